#include "lumotools/util/string_encrypt.h"

int StringEncrypt::ConvertToByte(const CString&, BYTE*, int) { return 0; }

int StringEncrypt::ConvertToString(const BYTE*, int, CString&) { return 0; }

int StringEncrypt::Encrypt(const CString&, CString&) { return 0; }

int StringEncrypt::Decrypt(const CString&, CString&) { return 0; }
