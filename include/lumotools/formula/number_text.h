// The numeric-text rule and the number text: how the library reads numbers from texts and writes
// real numbers as texts, shared by the function table, the type strategies and the SQL builders.
// All functions are pure and thread-safe.
#ifndef LUMOTOOLS_FORMULA_NUMBER_TEXT_H_
#define LUMOTOOLS_FORMULA_NUMBER_TEXT_H_

#include "lumotools/export.h"
#include "lumotools/platform/cstring.h"

// The numeric-text rule: after trimming white space at both ends, the text is digits with at most
// one '.', optionally led by one '-', and holds at least one digit. So "-.5", "5." and "007" are
// numeric; ".", "-", "1e5", "+5", "1-2", "1.2.3" and the empty or all-blank text are not.
LUMO_EXPORT bool IsNumericText(const CString& text);

// atof of text when it is numeric, else 0.0.
LUMO_EXPORT double NumericTextToDouble(const CString& text);
// atoi of text when it is numeric (so "3.7" gives 3 and "-2.9" gives -2), else 0.
LUMO_EXPORT int NumericTextToInt(const CString& text);

// The number text of value: rounded half away from zero to at most three decimals, trailing zeros
// and a trailing point dropped ("2", "0.1", "1.235", "-0.001", and "-0" for -0.0004). Exactly the
// text of adding +-0.0005, formatting with "%f", keeping three decimals and trimming; infinities
// and not-a-number stay as "%f" writes them.
LUMO_EXPORT CString FormatNumberText(double value);

// value + 0.5 when value > 0, else value - 0.5, truncated toward zero to a 32-bit int: halves go
// away from zero (2.5 gives 3, -2.5 gives -3). A result outside the int range, and not-a-number,
// give INT_MIN (-2147483648), as the processor's truncating conversion does.
LUMO_EXPORT int RoundHalfAwayFromZero(double value);

// value truncated toward zero to a 32-bit int; outside the int range, and not-a-number, INT_MIN.
LUMO_EXPORT int TruncateToInt32(double value);

#endif  // LUMOTOOLS_FORMULA_NUMBER_TEXT_H_
