#include "lumotools/formula/build_in_fun.h"

#include <cmath>

#include "lumotools/formula/number_text.h"
#include "lumotools/platform/message_box.h"

namespace {

constexpr double kPi = 3.141592653589793;

}  // namespace

CBuildInFun& CBuildInFun::Instance() {
  static CBuildInFun instance;
  return instance;
}

void CBuildInFun::sys_popmsg_s(const CString& text) { AfxMessageBox(text, 0, 0); }

void CBuildInFun::sys_popmsg_d(double x) { AfxMessageBox(FormatNumberText(x), 0, 0); }

void CBuildInFun::sys_popmsg_i(int i) {
  AfxMessageBox(FormatNumberText(static_cast<double>(i)), 0, 0);
}

double CBuildInFun::mf_sin(double x) const { return std::sin(x); }
double CBuildInFun::mf_cos(double x) const { return std::cos(x); }
double CBuildInFun::mf_tan(double x) const { return std::tan(x); }
double CBuildInFun::mf_atan(double x) const { return std::atan(x); }
double CBuildInFun::mf_asin(double x) const { return std::asin(x); }
double CBuildInFun::mf_acos(double x) const { return std::acos(x); }
double CBuildInFun::mf_rtod(double r) const { return r * 180.0 / kPi; }
double CBuildInFun::mf_dtor(double d) const { return d * kPi / 180.0; }
double CBuildInFun::mf_abs(double x) const { return std::fabs(x); }

double CBuildInFun::mf_max(double a, double b) const { return a > b ? a : b; }
double CBuildInFun::mf_max2(double a, double b) const { return mf_max(a, b); }

double CBuildInFun::mf_max3(double a, double b, double c) const {
  const double m = mf_max(b, c);
  return a > m ? a : m;
}

double CBuildInFun::mf_min(double a, double b) const { return a < b ? a : b; }
double CBuildInFun::mf_min2(double a, double b) const { return mf_min(a, b); }

double CBuildInFun::mf_min3(double a, double b, double c) const {
  const double m = mf_min(b, c);
  return m > a ? a : m;
}

double CBuildInFun::mf_ceil(double x) const { return std::ceil(x); }

double CBuildInFun::mf_int(double x) const { return TruncateToInt32(x); }

double CBuildInFun::mf_round(double x) const { return RoundHalfAwayFromZero(x); }

double CBuildInFun::mf_fround(double x, int n) const {
  double factor = 1.0;
  // Once the factor overflows to infinity further multiplications leave it there.
  for (int i = 0; i < n && !std::isinf(factor); ++i) factor *= 10.0;
  double y = factor * x;
  y = y >= 0.0 ? y + 0.5 : y - 0.5;
  return std::trunc(y) / factor;
}

double CBuildInFun::mf_intpart(double x) const {
  if (x >= 0.0) x += 1e-10;
  return std::trunc(x);
}

double CBuildInFun::mf_sqrt(double x) const { return std::sqrt(x); }

double CBuildInFun::mf_iif(int c, double a, double b) const { return c != 0 ? a : b; }
