#include "lumotools/platform/crt.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

int CrtAtoi(const char* psz) {
  const int saved = errno;
  const long long value = std::strtoll(psz, nullptr, 10);
  errno = saved;
  if (value > INT_MAX) return INT_MAX;
  if (value < INT_MIN) return INT_MIN;
  return static_cast<int>(value);
}
