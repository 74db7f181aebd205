// CBuildInFun: the built-in functions of every formula function table (trigonometry, angle
// conversion, extremes, rounding, square root, a conditional and message boxes), callable
// directly or by name through CExFunTable.
//
// Stateless. The numeric functions are pure and thread-safe; the message boxes block the
// calling thread until the box is closed.
#ifndef LUMOTOOLS_FORMULA_BUILD_IN_FUN_H_
#define LUMOTOOLS_FORMULA_BUILD_IN_FUN_H_

#include "lumotools/export.h"
#include "lumotools/platform/cstring.h"

class LUMO_EXPORT CBuildInFun {
 public:
  // The instance that the tables' built-in functors are bound to; lives as long as the library.
  static CBuildInFun& Instance();

  // Shows text in a modal OK box (AfxMessageBox, style 0, help id 0); returns once it is closed.
  void sys_popmsg_s(const CString& text);
  // Shows the number text of x (at most three decimals) the same way.
  void sys_popmsg_d(double x);
  // Shows the number text of i the same way.
  void sys_popmsg_i(int i);

  // The standard functions, angles in radians; out of their domain they give not-a-number.
  double mf_sin(double x) const;
  double mf_cos(double x) const;
  double mf_tan(double x) const;
  double mf_atan(double x) const;
  double mf_asin(double x) const;
  double mf_acos(double x) const;
  // r * 180 / pi, multiplied first.
  double mf_rtod(double r) const;
  // d * pi / 180, multiplied first.
  double mf_dtor(double d) const;
  // x with its sign bit cleared (-0.0 gives 0.0).
  double mf_abs(double x) const;

  // a when a > b, else b (so b for equal values and when either is not-a-number).
  double mf_max(double a, double b) const;
  double mf_max2(double a, double b) const;
  // a when a > mf_max(b, c), else mf_max(b, c).
  double mf_max3(double a, double b, double c) const;
  // a when a < b, else b.
  double mf_min(double a, double b) const;
  double mf_min2(double a, double b) const;
  // a when mf_min(b, c) > a, else mf_min(b, c).
  double mf_min3(double a, double b, double c) const;

  // The smallest whole number not below x.
  double mf_ceil(double x) const;
  // x truncated toward zero to a 32-bit int (-2.5 gives -2, registered as "floor"); out of the
  // int range, and not-a-number, -2147483648.
  double mf_int(double x) const;
  // Rounded half away from zero to a 32-bit int (2.5 gives 3, -2.5 gives -3); out of the int
  // range, and not-a-number, -2147483648.
  double mf_round(double x) const;
  // x rounded half away from zero to n decimals: trunc(x * 10^n +- 0.5) / 10^n, with 10^n
  // built by n multiplications by 10; n <= 0 rounds to a whole number.
  double mf_fround(double x, int n) const;
  // The whole part of x (no 32-bit limit), after adding 1e-10 when x >= 0, so 2.9999999999
  // gives 3 and -2.7 gives -2.
  double mf_intpart(double x) const;
  double mf_sqrt(double x) const;
  // a when c is not 0, else b.
  double mf_iif(int c, double a, double b) const;
};

#endif  // LUMOTOOLS_FORMULA_BUILD_IN_FUN_H_
