// CString: the framework's 8-bit string.
//
// Text is held in the process's multibyte code page, UTF-8 here. The string may hold embedded NUL
// bytes; GetLength counts bytes. Comparison is byte-wise (bytes compared as unsigned); the
// case-insensitive forms and MakeLower/MakeUpper fold the ASCII letters only, which is
// multibyte-safe in UTF-8. Positions and counts are byte positions; Mid, Left and Right clamp
// their arguments to the text, Find returns -1 when nothing is found.
//
// A CString is a value: copies are independent. Not thread-safe for concurrent mutation of one
// object; distinct objects may be used from different threads.
#ifndef LUMOTOOLS_PLATFORM_CSTRING_H_
#define LUMOTOOLS_PLATFORM_CSTRING_H_

#include <cstdarg>
#include <string>

#include "lumotools/export.h"
#include "lumotools/platform/types.h"

class LUMO_PLATFORM_EXPORT CString {
 public:
  CString() = default;
  CString(const char* psz);  // NOLINT: implicit, as in the framework. A null pointer is empty.
  CString(const char* pch, int nLength);
  CString(char ch, int nRepeat = 1);
  explicit CString(const std::string& s) : m_str(s) {}
  CString(const CString&) = default;
  CString(CString&&) noexcept = default;
  CString& operator=(const CString&) = default;
  CString& operator=(CString&&) noexcept = default;
  CString& operator=(const char* psz);
  CString& operator=(char ch);

  int GetLength() const { return static_cast<int>(m_str.size()); }
  bool IsEmpty() const { return m_str.empty(); }
  void Empty() { m_str.clear(); }

  // The text, NUL-terminated. Valid until the string is next modified.
  const char* GetString() const { return m_str.c_str(); }
  operator const char*() const { return m_str.c_str(); }  // NOLINT: the framework's LPCSTR cast.
  const std::string& str() const { return m_str; }

  // REQUIRES: 0 <= nIndex < GetLength().
  char GetAt(int nIndex) const { return m_str[static_cast<size_t>(nIndex)]; }
  void SetAt(int nIndex, char ch) { m_str[static_cast<size_t>(nIndex)] = ch; }
  char operator[](int nIndex) const { return GetAt(nIndex); }

  CString& operator+=(const CString& s) {
    m_str += s.m_str;
    return *this;
  }
  CString& operator+=(const char* psz);
  CString& operator+=(char ch) {
    m_str += ch;
    return *this;
  }
  void Append(const char* psz) { *this += psz; }
  void Append(const char* pch, int nLength);
  void Append(const CString& s) { m_str += s.m_str; }
  void AppendChar(char ch) { m_str += ch; }

  // Byte-wise comparison: negative, zero or positive.
  int Compare(const char* psz) const;
  // Comparison with the ASCII letters folded to lower case.
  int CompareNoCase(const char* psz) const;

  // Position of the first occurrence at or after nStart, or -1. An empty needle is found at
  // nStart when 0 <= nStart <= GetLength().
  int Find(char ch, int nStart = 0) const;
  int Find(const char* pszSub, int nStart = 0) const;
  // Position of the last occurrence of ch, or -1.
  int ReverseFind(char ch) const;
  // Position of the first character that is in pszCharSet, or -1.
  int FindOneOf(const char* pszCharSet) const;

  CString Mid(int nFirst) const;
  CString Mid(int nFirst, int nCount) const;
  CString Left(int nCount) const;
  CString Right(int nCount) const;
  // The leading run of characters that are (Including) or are not (Excluding) in the set.
  CString SpanIncluding(const char* pszCharSet) const;
  CString SpanExcluding(const char* pszCharSet) const;
  // The next token after iStart delimited by any of pszTokens; iStart is advanced past it and
  // set to -1 (with an empty result) when no token remains.
  CString Tokenize(const char* pszTokens, int& iStart) const;

  CString& MakeUpper();
  CString& MakeLower();
  CString& MakeReverse();

  // Replaces every occurrence and returns how many were replaced. An empty pszOld replaces
  // nothing.
  int Replace(char chOld, char chNew);
  int Replace(const char* pszOld, const char* pszNew);
  // Removes every occurrence of ch; returns how many were removed.
  int Remove(char ch);
  // Inserts at nIndex (clamped to the text); returns the new length.
  int Insert(int nIndex, char ch);
  int Insert(int nIndex, const char* psz);
  // Deletes up to nCount characters from nIndex; returns the new length.
  int Delete(int nIndex, int nCount = 1);

  // Without an argument: removes the C locale's white space. With a character or a set: removes
  // those characters.
  CString& Trim();
  CString& Trim(char chTarget);
  CString& Trim(const char* pszTargets);
  CString& TrimLeft();
  CString& TrimLeft(char chTarget);
  CString& TrimLeft(const char* pszTargets);
  CString& TrimRight();
  CString& TrimRight(char chTarget);
  CString& TrimRight(const char* pszTargets);

  // printf formatting. A CString argument must be passed as (LPCSTR) or GetString().
  void Format(const char* pszFormat, ...)
#if defined(__GNUC__)
      __attribute__((format(printf, 2, 3)))
#endif
      ;
  void FormatV(const char* pszFormat, va_list args);
  void AppendFormat(const char* pszFormat, ...)
#if defined(__GNUC__)
      __attribute__((format(printf, 2, 3)))
#endif
      ;

  // Direct access to the characters. GetBuffer returns a writable buffer of at least
  // nMinBufLength characters plus a terminating NUL, holding the current text; after writing,
  // ReleaseBuffer(n) sets the length to n, or to the position of the first NUL when n is -1.
  // The buffer is valid until ReleaseBuffer or the next modification.
  char* GetBuffer(int nMinBufLength = 0);
  // Makes room for nLength characters without changing the text, so that appending up to that
  // length allocates nothing.
  void Preallocate(int nLength) { m_str.reserve(static_cast<size_t>(nLength < 0 ? 0 : nLength)); }
  char* GetBufferSetLength(int nNewLength);
  void ReleaseBuffer(int nNewLength = -1);

 private:
  std::string m_str;
};

LUMO_PLATFORM_EXPORT CString operator+(const CString& a, const CString& b);
LUMO_PLATFORM_EXPORT CString operator+(const CString& a, const char* b);
LUMO_PLATFORM_EXPORT CString operator+(const char* a, const CString& b);
LUMO_PLATFORM_EXPORT CString operator+(const CString& a, char b);
LUMO_PLATFORM_EXPORT CString operator+(char a, const CString& b);

inline bool operator==(const CString& a, const CString& b) { return a.str() == b.str(); }
inline bool operator==(const CString& a, const char* b) { return a.Compare(b) == 0; }
inline bool operator==(const char* a, const CString& b) { return b.Compare(a) == 0; }
inline bool operator!=(const CString& a, const CString& b) { return !(a == b); }
inline bool operator!=(const CString& a, const char* b) { return !(a == b); }
inline bool operator!=(const char* a, const CString& b) { return !(a == b); }
inline bool operator<(const CString& a, const CString& b) { return a.str() < b.str(); }
inline bool operator<(const CString& a, const char* b) { return a.Compare(b) < 0; }
inline bool operator<(const char* a, const CString& b) { return b.Compare(a) > 0; }
inline bool operator>(const CString& a, const CString& b) { return b < a; }
inline bool operator>(const CString& a, const char* b) { return a.Compare(b) > 0; }
inline bool operator>(const char* a, const CString& b) { return b.Compare(a) < 0; }
inline bool operator<=(const CString& a, const CString& b) { return !(b < a); }
inline bool operator<=(const CString& a, const char* b) { return a.Compare(b) <= 0; }
inline bool operator<=(const char* a, const CString& b) { return b.Compare(a) >= 0; }
inline bool operator>=(const CString& a, const CString& b) { return !(a < b); }
inline bool operator>=(const CString& a, const char* b) { return a.Compare(b) >= 0; }
inline bool operator>=(const char* a, const CString& b) { return b.Compare(a) <= 0; }

#endif  // LUMOTOOLS_PLATFORM_CSTRING_H_
