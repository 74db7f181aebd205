// Uses the installed library: a property bag through its byte array, the number text, and a
// shapekit polyline. Exits 0 only when every answer is right.
#include <cstdio>

#include "lumotools/formula.h"
#include "lumotools/property.h"
#include "shapekit/shapekit.h"

int main() {
  Kv_SuperProp bag;
  bag.m_mapVars["width"] = "2.5";
  Kv_SuperProp back;
  back.FromByteArray(bag.ToByteArray());
  const bool bagOk = back.m_mapVars.size() == 1 && back.m_mapVars["width"] == "2.5";

  const bool textOk = FormatNumberText(1.23456) == "1.235";

  const auto square =
      shapekit::tagPolyLine::FromPoints({{0.0, 0.0}, {2.0, 0.0}, {2.0, 2.0}, {0.0, 2.0}});
  const bool areaOk = square.GetSignedArea() == 4.0;

  std::printf("bag %s, number text %s, polyline %s\n", bagOk ? "ok" : "WRONG",
              textOk ? "ok" : "WRONG", areaOk ? "ok" : "WRONG");
  return bagOk && textOk && areaOk ? 0 : 1;
}
