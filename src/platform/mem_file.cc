#include "lumotools/platform/mem_file.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>

CMemFile::CMemFile(UINT nGrowBytes)
    : m_nGrowBytes(nGrowBytes),
      m_nPosition(0),
      m_nBufferSize(0),
      m_nFileSize(0),
      m_lpBuffer(nullptr),
      m_bAutoDelete(true) {}

CMemFile::CMemFile(BYTE* lpBuffer, UINT nBufferSize, UINT nGrowBytes) : CMemFile(nGrowBytes) {
  Attach(lpBuffer, nBufferSize, nGrowBytes);
}

CMemFile::~CMemFile() { Close(); }

void CMemFile::Attach(BYTE* lpBuffer, UINT nBufferSize, UINT nGrowBytes) {
  Close();
  m_lpBuffer = lpBuffer;
  m_nBufferSize = nBufferSize;
  m_nGrowBytes = nGrowBytes;
  m_nFileSize = nGrowBytes == 0 ? nBufferSize : 0;
  m_nPosition = 0;
  m_bAutoDelete = false;
}

BYTE* CMemFile::Detach() {
  BYTE* buffer = m_lpBuffer;
  m_lpBuffer = nullptr;
  m_nBufferSize = m_nFileSize = m_nPosition = 0;
  m_bAutoDelete = true;
  return buffer;
}

void CMemFile::GrowFile(SIZE_T dwNewLen) {
  if (dwNewLen <= m_nBufferSize) return;
  if (m_nGrowBytes == 0) AfxThrowMemoryException();
  SIZE_T size = (dwNewLen + m_nGrowBytes - 1) / m_nGrowBytes * m_nGrowBytes;
  if (size < dwNewLen) AfxThrowMemoryException();
  if (m_nBufferSize <= std::numeric_limits<SIZE_T>::max() / 2)
    size = std::max(size, 2 * m_nBufferSize);
  BYTE* grown;
  if (m_bAutoDelete) {
    grown = static_cast<BYTE*>(std::realloc(m_lpBuffer, size));
  } else {
    grown = static_cast<BYTE*>(std::malloc(size));
    if (grown != nullptr && m_nFileSize > 0) std::memcpy(grown, m_lpBuffer, m_nFileSize);
  }
  if (grown == nullptr) AfxThrowMemoryException();
  m_lpBuffer = grown;
  m_nBufferSize = size;
  m_bAutoDelete = true;
}

UINT CMemFile::Read(void* lpBuf, UINT nCount) {
  if (m_nPosition >= m_nFileSize) return 0;
  const SIZE_T n = std::min(static_cast<SIZE_T>(nCount), m_nFileSize - m_nPosition);
  std::memcpy(lpBuf, m_lpBuffer + m_nPosition, n);
  m_nPosition += n;
  return static_cast<UINT>(n);
}

void CMemFile::Write(const void* lpBuf, UINT nCount) {
  if (nCount == 0) return;
  if (m_nPosition > std::numeric_limits<SIZE_T>::max() - nCount) AfxThrowMemoryException();
  const SIZE_T end = m_nPosition + nCount;
  GrowFile(end);
  if (m_nPosition > m_nFileSize)
    std::memset(m_lpBuffer + m_nFileSize, 0, m_nPosition - m_nFileSize);
  std::memcpy(m_lpBuffer + m_nPosition, lpBuf, nCount);
  m_nPosition = end;
  m_nFileSize = std::max(m_nFileSize, end);
}

ULONGLONG CMemFile::Seek(LONGLONG lOff, UINT nFrom) {
  LONGLONG base = 0;
  if (nFrom == current) base = static_cast<LONGLONG>(m_nPosition);
  if (nFrom == end) base = static_cast<LONGLONG>(m_nFileSize);
  if (nFrom > end || (lOff < 0 && base + lOff < 0) ||
      (lOff > 0 && base > std::numeric_limits<LONGLONG>::max() - lOff)) {
    AfxThrowFileException(CFileException::badSeek);
  }
  m_nPosition = static_cast<SIZE_T>(base + lOff);
  return m_nPosition;
}

ULONGLONG CMemFile::GetPosition() const { return m_nPosition; }

ULONGLONG CMemFile::GetLength() const { return m_nFileSize; }

void CMemFile::SetLength(ULONGLONG dwNewLen) {
  if (dwNewLen > std::numeric_limits<SIZE_T>::max()) AfxThrowMemoryException();
  const auto len = static_cast<SIZE_T>(dwNewLen);
  GrowFile(len);
  if (len > m_nFileSize) std::memset(m_lpBuffer + m_nFileSize, 0, len - m_nFileSize);
  m_nFileSize = len;
  m_nPosition = std::min(m_nPosition, len);
}

void CMemFile::Flush() {}

void CMemFile::Close() {
  if (m_bAutoDelete) std::free(m_lpBuffer);
  m_lpBuffer = nullptr;
  m_nBufferSize = m_nFileSize = m_nPosition = 0;
  m_bAutoDelete = true;
}

void CMemFile::Abort() { Close(); }
