// Narrowing of UTF-16LE text to UTF-8, for the framework's wide strings. Internal.
#ifndef LUMOTOOLS_SRC_PLATFORM_UTF16_H_
#define LUMOTOOLS_SRC_PLATFORM_UTF16_H_

#include <cstddef>
#include <string>

namespace lumo_platform {

// Converts nUnits 16-bit little-endian code units at bytes to UTF-8. An unpaired surrogate
// becomes U+FFFD.
std::string Utf16LeToUtf8(const unsigned char* bytes, size_t nUnits);

}  // namespace lumo_platform

#endif  // LUMOTOOLS_SRC_PLATFORM_UTF16_H_
