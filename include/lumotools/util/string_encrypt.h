// StringEncrypt: the text-encryption entry points the host links against. They have no effect:
// every operation leaves its arguments alone and returns 0. Thread-safe.
#ifndef LUMOTOOLS_UTIL_STRING_ENCRYPT_H_
#define LUMOTOOLS_UTIL_STRING_ENCRYPT_H_

#include "lumotools/export.h"
#include "lumotools/platform/cstring.h"
#include "lumotools/platform/types.h"

class LUMO_EXPORT StringEncrypt {
 public:
  static int ConvertToByte(const CString& text, BYTE* bytes, int size);
  static int ConvertToString(const BYTE* bytes, int size, CString& text);
  static int Encrypt(const CString& plain, CString& cipher);
  static int Decrypt(const CString& cipher, CString& plain);
};

#endif  // LUMOTOOLS_UTIL_STRING_ENCRYPT_H_
