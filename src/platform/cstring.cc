#include "lumotools/platform/cstring.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

const char kWhiteSpace[] = " \t\n\v\f\r";

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

size_t Clamp(int value, size_t limit) {
  if (value <= 0) return 0;
  return std::min(static_cast<size_t>(value), limit);
}

size_t CStrLen(const char* psz) { return psz ? std::strlen(psz) : 0; }

}  // namespace

CString::CString(const char* psz) : m_str(psz ? psz : "") {}

CString::CString(const char* pch, int nLength)
    : m_str(pch && nLength > 0 ? std::string(pch, static_cast<size_t>(nLength)) : std::string()) {}

CString::CString(char ch, int nRepeat)
    : m_str(nRepeat > 0 ? static_cast<size_t>(nRepeat) : 0, ch) {}

CString& CString::operator=(const char* psz) {
  m_str.assign(psz ? psz : "");
  return *this;
}

CString& CString::operator=(char ch) {
  m_str.assign(1, ch);
  return *this;
}

CString& CString::operator+=(const char* psz) {
  if (psz) m_str += psz;
  return *this;
}

void CString::Append(const char* pch, int nLength) {
  if (pch && nLength > 0) m_str.append(pch, static_cast<size_t>(nLength));
}

int CString::Compare(const char* psz) const {
  const size_t n = CStrLen(psz);
  const size_t common = std::min(n, m_str.size());
  const int c = std::memcmp(m_str.data(), psz ? psz : "", common);
  if (c != 0) return c > 0 ? 1 : -1;
  return (m_str.size() > n) - (m_str.size() < n);
}

int CString::CompareNoCase(const char* psz) const {
  const size_t n = CStrLen(psz);
  const size_t common = std::min(n, m_str.size());
  for (size_t i = 0; i < common; ++i) {
    const auto a = static_cast<unsigned char>(AsciiLower(m_str[i]));
    const auto b = static_cast<unsigned char>(AsciiLower(psz[i]));
    if (a != b) return a < b ? -1 : 1;
  }
  return (m_str.size() > n) - (m_str.size() < n);
}

int CString::Find(char ch, int nStart) const {
  if (nStart < 0 || static_cast<size_t>(nStart) >= m_str.size()) return -1;
  const size_t pos = m_str.find(ch, static_cast<size_t>(nStart));
  return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

int CString::Find(const char* pszSub, int nStart) const {
  if (nStart < 0 || static_cast<size_t>(nStart) > m_str.size()) return -1;
  const size_t pos = m_str.find(pszSub ? pszSub : "", static_cast<size_t>(nStart));
  return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

int CString::ReverseFind(char ch) const {
  const size_t pos = m_str.rfind(ch);
  return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

int CString::FindOneOf(const char* pszCharSet) const {
  const size_t pos = m_str.find_first_of(pszCharSet ? pszCharSet : "");
  return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

CString CString::Mid(int nFirst) const { return Mid(nFirst, GetLength()); }

CString CString::Mid(int nFirst, int nCount) const {
  const size_t first = Clamp(nFirst, m_str.size());
  const size_t count = Clamp(nCount, m_str.size() - first);
  return CString(m_str.substr(first, count));
}

CString CString::Left(int nCount) const {
  return CString(m_str.substr(0, Clamp(nCount, m_str.size())));
}

CString CString::Right(int nCount) const {
  const size_t count = Clamp(nCount, m_str.size());
  return CString(m_str.substr(m_str.size() - count));
}

CString CString::SpanIncluding(const char* pszCharSet) const {
  const size_t end = m_str.find_first_not_of(pszCharSet ? pszCharSet : "");
  return CString(m_str.substr(0, end));
}

CString CString::SpanExcluding(const char* pszCharSet) const {
  const size_t end = m_str.find_first_of(pszCharSet ? pszCharSet : "");
  return CString(m_str.substr(0, end));
}

CString CString::Tokenize(const char* pszTokens, int& iStart) const {
  const std::string delims = pszTokens ? pszTokens : "";
  if (iStart >= 0 && static_cast<size_t>(iStart) <= m_str.size()) {
    const size_t begin = m_str.find_first_not_of(delims, static_cast<size_t>(iStart));
    if (begin != std::string::npos) {
      size_t end = m_str.find_first_of(delims, begin);
      if (end == std::string::npos) end = m_str.size();
      iStart = static_cast<int>(std::min(end + 1, m_str.size() + 1));
      return CString(m_str.substr(begin, end - begin));
    }
  }
  iStart = -1;
  return CString();
}

CString& CString::MakeUpper() {
  std::transform(m_str.begin(), m_str.end(), m_str.begin(), AsciiUpper);
  return *this;
}

CString& CString::MakeLower() {
  std::transform(m_str.begin(), m_str.end(), m_str.begin(), AsciiLower);
  return *this;
}

CString& CString::MakeReverse() {
  std::reverse(m_str.begin(), m_str.end());
  return *this;
}

int CString::Replace(char chOld, char chNew) {
  int count = 0;
  for (char& c : m_str) {
    if (c == chOld) {
      c = chNew;
      ++count;
    }
  }
  return count;
}

int CString::Replace(const char* pszOld, const char* pszNew) {
  const size_t oldLen = CStrLen(pszOld);
  if (oldLen == 0) return 0;
  const std::string replacement = pszNew ? pszNew : "";
  std::string out;
  int count = 0;
  size_t from = 0;
  for (size_t pos; (pos = m_str.find(pszOld, from, oldLen)) != std::string::npos;
       from = pos + oldLen) {
    out.append(m_str, from, pos - from).append(replacement);
    ++count;
  }
  if (count == 0) return 0;
  out.append(m_str, from, std::string::npos);
  m_str.swap(out);
  return count;
}

int CString::Remove(char ch) {
  const auto end = std::remove(m_str.begin(), m_str.end(), ch);
  const int count = static_cast<int>(m_str.end() - end);
  m_str.erase(end, m_str.end());
  return count;
}

int CString::Insert(int nIndex, char ch) {
  m_str.insert(Clamp(nIndex, m_str.size()), 1, ch);
  return GetLength();
}

int CString::Insert(int nIndex, const char* psz) {
  m_str.insert(Clamp(nIndex, m_str.size()), psz ? psz : "");
  return GetLength();
}

int CString::Delete(int nIndex, int nCount) {
  const size_t first = Clamp(nIndex, m_str.size());
  m_str.erase(first, Clamp(nCount, m_str.size() - first));
  return GetLength();
}

CString& CString::Trim() { return TrimRight().TrimLeft(); }
CString& CString::Trim(char chTarget) { return TrimRight(chTarget).TrimLeft(chTarget); }
CString& CString::Trim(const char* pszTargets) {
  return TrimRight(pszTargets).TrimLeft(pszTargets);
}
CString& CString::TrimLeft() { return TrimLeft(kWhiteSpace); }
// The single-character forms search for the character itself so that a NUL can be trimmed too.
CString& CString::TrimLeft(char chTarget) {
  m_str.erase(0, std::min(m_str.find_first_not_of(chTarget), m_str.size()));
  return *this;
}

CString& CString::TrimLeft(const char* pszTargets) {
  m_str.erase(0, std::min(m_str.find_first_not_of(pszTargets ? pszTargets : ""), m_str.size()));
  return *this;
}

CString& CString::TrimRight() { return TrimRight(kWhiteSpace); }

CString& CString::TrimRight(char chTarget) {
  const size_t last = m_str.find_last_not_of(chTarget);
  m_str.erase(last == std::string::npos ? 0 : last + 1);
  return *this;
}

CString& CString::TrimRight(const char* pszTargets) {
  const size_t last = m_str.find_last_not_of(pszTargets ? pszTargets : "");
  m_str.erase(last == std::string::npos ? 0 : last + 1);
  return *this;
}

void CString::Format(const char* pszFormat, ...) {
  va_list args;
  va_start(args, pszFormat);
  FormatV(pszFormat, args);
  va_end(args);
}

void CString::FormatV(const char* pszFormat, va_list args) {
  char small[256];
  va_list copy;
  va_copy(copy, args);
  const int needed = std::vsnprintf(small, sizeof small, pszFormat, copy);
  va_end(copy);
  if (needed < 0) {
    m_str.clear();
  } else if (static_cast<size_t>(needed) < sizeof small) {
    m_str.assign(small, static_cast<size_t>(needed));
  } else {
    std::string out(static_cast<size_t>(needed) + 1, '\0');
    std::vsnprintf(&out[0], out.size(), pszFormat, args);
    out.resize(static_cast<size_t>(needed));
    m_str.swap(out);
  }
}

void CString::AppendFormat(const char* pszFormat, ...) {
  CString tail;
  va_list args;
  va_start(args, pszFormat);
  tail.FormatV(pszFormat, args);
  va_end(args);
  m_str += tail.m_str;
}

char* CString::GetBuffer(int nMinBufLength) {
  // The caller may write anywhere up to the larger length, so those bytes must be part of the
  // string; the padding is NUL, which ReleaseBuffer(-1) then cuts off.
  m_str.resize(std::max(m_str.size(), static_cast<size_t>(std::max(nMinBufLength, 0))));
  return &m_str[0];
}

char* CString::GetBufferSetLength(int nNewLength) {
  m_str.resize(static_cast<size_t>(std::max(nNewLength, 0)));
  return &m_str[0];
}

void CString::ReleaseBuffer(int nNewLength) {
  if (nNewLength < 0) {
    nNewLength = static_cast<int>(std::strlen(m_str.c_str()));
  }
  m_str.resize(std::min(static_cast<size_t>(nNewLength), m_str.size()));
}

CString operator+(const CString& a, const CString& b) { return CString(a.str() + b.str()); }
CString operator+(const CString& a, const char* b) {
  CString r(a);
  r += b;
  return r;
}
CString operator+(const char* a, const CString& b) {
  CString r(a);
  r += b;
  return r;
}
CString operator+(const CString& a, char b) { return CString(a.str() + b); }
CString operator+(char a, const CString& b) { return CString(a + b.str()); }
