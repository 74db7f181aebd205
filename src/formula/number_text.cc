#include "lumotools/formula/number_text.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "lumotools/platform/crt.h"

namespace {

// Built by the same three divisions the rule prescribes, so the sum below matches it bit for bit.
constexpr double kHalfThousandth = 0.5 / 10.0 / 10.0 / 10.0;
// Minus the smallest normal float: values below it are rounded away from zero downwards.
constexpr double kNegativeRoundingLimit = -1.1754943508222875e-38;

// Powers of ten that a double holds exactly.
constexpr double kExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr int kMaxExactPowerOfTen = 22;
constexpr uint64_t kMaxExactMantissa = uint64_t{1} << 53;
constexpr int kMaxUint64Digits = 19;

bool IsCSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// A numeric text, trimmed and split into its parts.
struct NumericParts {
  bool negative = false;
  // Value of the digits without the point, valid when significant_digits <= kMaxUint64Digits.
  uint64_t mantissa = 0;
  int significant_digits = 0;
  int fraction_digits = 0;
};

// Applies the numeric-text rule to text; fills parts when it holds.
[[gnu::always_inline]] inline bool ParseNumericText(const CString& text, NumericParts* parts) {
  const char* begin = text.GetString();
  const char* end = begin + text.GetLength();
  while (begin < end && IsCSpace(*begin)) ++begin;
  while (end > begin && IsCSpace(end[-1])) --end;
  if (begin < end && *begin == '-') {
    parts->negative = true;
    ++begin;
  }
  bool digit = false;
  bool point = false;
  for (const char* p = begin; p < end; ++p) {
    const char c = *p;
    if (c >= '0' && c <= '9') {
      digit = true;
      if (point) ++parts->fraction_digits;
      if (parts->significant_digits > 0 || c != '0') {
        if (++parts->significant_digits <= kMaxUint64Digits) {
          parts->mantissa = parts->mantissa * 10 + static_cast<uint64_t>(c - '0');
        }
      }
    } else if (c == '.' && !point) {
      point = true;
    } else {
      return false;
    }
  }
  return digit;
}

// Writes v in decimal at out; returns the number of characters written.
int WriteUnsigned(uint64_t v, char* out) {
  char reversed[20];
  int n = 0;
  do {
    reversed[n++] = static_cast<char>('0' + v % 10);
    v /= 10;
  } while (v != 0);
  for (int i = 0; i < n; ++i) out[i] = reversed[n - 1 - i];
  return n;
}

// The trimmed text of "%f" of sum, cut to three decimals, written at out without snprintf.
// "%f" rounds the exact binary value to six decimals, ties to even; that rounding is done here
// in integers: sum = m * 2^e, and the six-decimal fraction is (fraction bits * 10^6) / 2^-e,
// which fits in 128 bits. Returns the length, or -1 for infinities, not-a-number and
// magnitudes of 2^64 and above, which are left to snprintf.
int WriteThousandths(double sum, char* out) {
  uint64_t bits;
  std::memcpy(&bits, &sum, sizeof bits);
  const bool negative = (bits >> 63) != 0;
  const int biased_exponent = static_cast<int>((bits >> 52) & 0x7FF);
  uint64_t mantissa = bits & ((uint64_t{1} << 52) - 1);
  if (biased_exponent == 0x7FF) return -1;
  int exponent = -1074;
  if (biased_exponent != 0) {
    mantissa |= uint64_t{1} << 52;
    exponent = biased_exponent - 1075;
  }

  uint64_t whole = 0;
  uint32_t millionths = 0;
  if (exponent >= 0) {
    if (exponent > 11) return -1;
    whole = mantissa << exponent;
  } else {
    const int shift = -exponent;
    uint64_t fraction = mantissa;
    if (shift < 64) {
      whole = mantissa >> shift;
      fraction = mantissa & ((uint64_t{1} << shift) - 1);
    }
    // fraction * 10^6 < 2^73, so for shifts above 74 it is below half a millionth.
    if (shift <= 74) {
      const unsigned __int128 scaled = static_cast<unsigned __int128>(fraction) * 1000000u;
      const unsigned __int128 half = static_cast<unsigned __int128>(1) << (shift - 1);
      const unsigned __int128 remainder = scaled & ((half << 1) - 1);
      millionths = static_cast<uint32_t>(scaled >> shift);
      // "%f" breaks ties to even, but no tie reaches the three decimals kept: a tie is a fraction
      // (2N + 1) / (2 * 10^6) with 5^6 dividing 2N + 1, and no such N ends in 999.
      if (remainder >= half) ++millionths;
      if (millionths == 1000000) {
        ++whole;
        millionths = 0;
      }
    }
  }

  int n = 0;
  if (negative) out[n++] = '-';
  n += WriteUnsigned(whole, out + n);
  const uint32_t thousandths = millionths / 1000;
  if (thousandths != 0) {
    out[n++] = '.';
    out[n++] = static_cast<char>('0' + thousandths / 100);
    out[n++] = static_cast<char>('0' + thousandths / 10 % 10);
    out[n++] = static_cast<char>('0' + thousandths % 10);
    while (out[n - 1] == '0') --n;
  }
  return n;
}

CString FormatThousandthsWithPrintf(double sum) {
  CString text;
  text.Format("%f", sum);
  const int point = text.Find('.');
  if (point >= 0) {
    text = text.Left(point + 4);
    text.TrimRight('0');
    text.TrimRight('.');
  }
  return text;
}

}  // namespace

bool IsNumericText(const CString& text) {
  NumericParts parts;
  return ParseNumericText(text, &parts);
}

double NumericTextToDouble(const CString& text) {
  NumericParts parts;
  if (!ParseNumericText(text, &parts)) return 0.0;
  // Both operands are exact doubles, so the one rounding of the division gives the correctly
  // rounded value that atof gives; longer texts go to atof itself.
  if (parts.significant_digits <= kMaxUint64Digits && parts.mantissa <= kMaxExactMantissa &&
      parts.fraction_digits <= kMaxExactPowerOfTen) {
    const double magnitude =
        static_cast<double>(parts.mantissa) / kExactPowersOfTen[parts.fraction_digits];
    return parts.negative ? -magnitude : magnitude;
  }
  return std::atof(text);
}

int NumericTextToInt(const CString& text) { return IsNumericText(text) ? CrtAtoi(text) : 0; }

CString FormatNumberText(double value) {
  const double sum = value + (value < kNegativeRoundingLimit ? -kHalfThousandth : kHalfThousandth);
  char buffer[32];
  const int length = WriteThousandths(sum, buffer);
  if (length < 0) return FormatThousandthsWithPrintf(sum);
  return CString(buffer, length);
}

int TruncateToInt32(double value) {
  if (!(value > -2147483649.0 && value < 2147483648.0)) return INT32_MIN;
  return static_cast<int>(value);
}

int RoundHalfAwayFromZero(double value) {
  return TruncateToInt32(value > 0.0 ? value + 0.5 : value - 0.5);
}
