// Calls the built-in formula functions with arbitrary argument texts: the first byte picks the
// function, the rest is split at newlines into up to five arguments. A numeric function must answer
// with a numeric text, or with what "%f" writes for an infinity or not-a-number.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "lumotools/formula/ex_fun_table.h"
#include "lumotools/formula/number_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  lumo_fuzz::SilenceMessageBoxes();
  static CExFunTable table;
  if (size == 0) return 0;
  const auto& functions = table.GetFunctorMap();
  auto picked = functions.begin();
  std::advance(picked, data[0] % functions.size());
  std::vector<CString> args(5);
  size_t arg = 0;
  for (size_t i = 1; i < size && arg < args.size(); ++i) {
    if (data[i] == '\n') {
      ++arg;
    } else {
      args[arg] += static_cast<char>(data[i]);
    }
  }
  const std::string& name = picked->first;
  const CString result = table.Execute(name, args[0], args[1], args[2], args[3], args[4]);
  const bool textual = name.rfind("popmsg", 0) == 0 || name == "iif";
  const std::string& text = result.str();
  const bool nonFinite = text == "inf" || text == "-inf" || text == "nan" || text == "-nan";
  if (!textual && !nonFinite && !IsNumericText(result)) std::abort();
  return 0;
}
