// C runtime conversions with the results of the Windows runtime where the C library differs.
#ifndef LUMOTOOLS_PLATFORM_CRT_H_
#define LUMOTOOLS_PLATFORM_CRT_H_

#include "lumotools/export.h"

// atoi: skips leading white space, reads an optional sign and decimal digits, stops at the first
// other character; 0 when there is no number. A value beyond the range of int gives INT_MAX or
// INT_MIN, as the Windows runtime does. REQUIRES: psz is not null.
LUMO_PLATFORM_EXPORT int CrtAtoi(const char* psz);

// _isatty: non-zero when the descriptor fd (0 input, 1 output, 2 error) is a terminal.
LUMO_PLATFORM_EXPORT int CrtIsatty(int fd);

#endif  // LUMOTOOLS_PLATFORM_CRT_H_
