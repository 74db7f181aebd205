#include "lumotools/platform/archive.h"

#include <algorithm>
#include <climits>
#include <string>

#include "utf16.h"

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__,
              "CArchive copies values in host byte order, which must be little-endian");

namespace {

constexpr int kMinBufferSize = 128;
// Bytes read for a string before memory is committed to its whole claimed length.
constexpr size_t kStringReadStep = 4096;

}  // namespace

CArchive::CArchive(CFile* pFile, UINT nMode, int nBufSize, void* lpBuf)
    : m_nMode(nMode), m_pFile(pFile) {
  nBufSize = std::max(nBufSize, kMinBufferSize);
  if (lpBuf == nullptr) {
    m_ownBuffer.reset(new BYTE[static_cast<size_t>(nBufSize)]);
    lpBuf = m_ownBuffer.get();
  }
  m_lpBufStart = static_cast<BYTE*>(lpBuf);
  m_lpBufMax = m_lpBufStart + nBufSize;
  m_lpBufCur = m_lpBufStart;
  m_uStoreLimit = IsStoring() ? reinterpret_cast<std::uintptr_t>(m_lpBufMax) : 0;
  m_lpLoadEnd = m_lpBufStart;
}

CArchive::~CArchive() {
  if (m_pFile != nullptr && (m_nMode & bNoFlushOnDelete) == 0) {
    try {
      Close();
    } catch (CException* e) {
      e->Delete();
    }
  }
}

void CArchive::Flush() {
  if (m_pFile == nullptr) return;
  if (IsStoring()) {
    if (m_lpBufCur != m_lpBufStart) {
      m_pFile->Write(m_lpBufStart, static_cast<UINT>(m_lpBufCur - m_lpBufStart));
      m_lpBufCur = m_lpBufStart;
    }
  } else if (m_lpLoadEnd != m_lpBufCur) {
    m_pFile->Seek(-static_cast<LONGLONG>(m_lpLoadEnd - m_lpBufCur), CFile::current);
    m_lpBufCur = m_lpLoadEnd = m_lpBufStart;
  }
}

void CArchive::Close() {
  Flush();
  m_pFile = nullptr;
}

void CArchive::Abort() { m_pFile = nullptr; }

void CArchive::MakeWriteRoom() {
  if (IsLoading()) AfxThrowArchiveException(CArchiveException::readOnly);
  Flush();
}

void CArchive::FillReadData(size_t nNeeded) {
  if (IsStoring()) AfxThrowArchiveException(CArchiveException::writeOnly);
  const size_t kept = static_cast<size_t>(m_lpLoadEnd - m_lpBufCur);
  std::memmove(m_lpBufStart, m_lpBufCur, kept);
  m_lpBufCur = m_lpBufStart;
  m_lpLoadEnd = m_lpBufStart + kept;
  while (static_cast<size_t>(m_lpLoadEnd - m_lpBufCur) < nNeeded) {
    const UINT got = m_pFile->Read(m_lpLoadEnd, static_cast<UINT>(m_lpBufMax - m_lpLoadEnd));
    if (got == 0) AfxThrowArchiveException(CArchiveException::endOfFile);
    m_lpLoadEnd += got;
  }
}

UINT CArchive::Read(void* lpBuf, UINT nMax) {
  if (IsStoring()) AfxThrowArchiveException(CArchiveException::writeOnly);
  auto* out = static_cast<BYTE*>(lpBuf);
  UINT done = std::min(nMax, static_cast<UINT>(m_lpLoadEnd - m_lpBufCur));
  std::memcpy(out, m_lpBufCur, done);
  m_lpBufCur += done;
  // Large remainders go straight from the file; small ones refill the buffer first.
  while (done < nMax) {
    const UINT left = nMax - done;
    if (left >= static_cast<UINT>(m_lpBufMax - m_lpBufStart)) {
      const UINT got = m_pFile->Read(out + done, left);
      if (got == 0) break;
      done += got;
      continue;
    }
    m_lpBufCur = m_lpLoadEnd = m_lpBufStart;
    const UINT got = m_pFile->Read(m_lpBufStart, static_cast<UINT>(m_lpBufMax - m_lpBufStart));
    if (got == 0) break;
    m_lpLoadEnd += got;
    const UINT take = std::min(left, got);
    std::memcpy(out + done, m_lpBufCur, take);
    m_lpBufCur += take;
    done += take;
  }
  return done;
}

void CArchive::Write(const void* lpBuf, UINT nMax) {
  if (IsLoading()) AfxThrowArchiveException(CArchiveException::readOnly);
  if (nMax == 0) return;
  const auto* in = static_cast<const BYTE*>(lpBuf);
  if (nMax <= static_cast<UINT>(m_lpBufMax - m_lpBufCur)) {
    std::memcpy(m_lpBufCur, in, nMax);
    m_lpBufCur += nMax;
    return;
  }
  Flush();
  if (nMax >= static_cast<UINT>(m_lpBufMax - m_lpBufStart)) {
    m_pFile->Write(in, nMax);
  } else {
    std::memcpy(m_lpBufCur, in, nMax);
    m_lpBufCur += nMax;
  }
}

void CArchive::ReadExact(std::string& out, ULONGLONG nBytes) {
  if (IsStoring()) AfxThrowArchiveException(CArchiveException::writeOnly);
  out.clear();
  if (nBytes > out.max_size()) AfxThrowArchiveException(CArchiveException::genericException);
  // The common case: the bytes are already in the buffer.
  if (nBytes <= static_cast<ULONGLONG>(m_lpLoadEnd - m_lpBufCur)) {
    out.assign(reinterpret_cast<const char*>(m_lpBufCur), static_cast<size_t>(nBytes));
    m_lpBufCur += nBytes;
    return;
  }
  // A forged length must not commit memory the input cannot back: grow by what actually arrived.
  size_t left = static_cast<size_t>(nBytes);
  while (left > 0) {
    const size_t step =
        std::min({left, std::max(out.size(), kStringReadStep), static_cast<size_t>(UINT_MAX)});
    const size_t old = out.size();
    out.resize(old + step);
    if (Read(&out[old], static_cast<UINT>(step)) != step) {
      AfxThrowArchiveException(CArchiveException::endOfFile);
    }
    left -= step;
  }
}

ULONGLONG CArchive::GetLoadRemaining() const {
  if (IsStoring() || m_pFile == nullptr) return 0;
  const ULONGLONG length = m_pFile->GetLength();
  const ULONGLONG position = m_pFile->GetPosition();
  return static_cast<ULONGLONG>(m_lpLoadEnd - m_lpBufCur) +
         (length > position ? length - position : 0);
}

CArchive& CArchive::operator<<(const CString& s) {
  AfxWriteStringLength(*this, static_cast<ULONGLONG>(s.GetLength()), FALSE);
  Write(s.GetString(), static_cast<UINT>(s.GetLength()));
  return *this;
}

CArchive& CArchive::operator<<(const char* psz) {
  const size_t n = psz ? std::strlen(psz) : 0;
  AfxWriteStringLength(*this, n, FALSE);
  Write(psz, static_cast<UINT>(n));
  return *this;
}

CArchive& CArchive::operator>>(CString& s) {
  int charSize = 1;
  const ULONGLONG length = AfxReadStringLength(*this, charSize);
  // A CString holds at most INT_MAX bytes, which also bounds what a claimed length may commit.
  if (length > static_cast<ULONGLONG>(INT_MAX) / static_cast<ULONGLONG>(charSize)) {
    AfxThrowArchiveException(CArchiveException::genericException);
  }
  std::string bytes;
  ReadExact(bytes, length * static_cast<ULONGLONG>(charSize));
  if (charSize == 2) {
    bytes = lumo_platform::Utf16LeToUtf8(reinterpret_cast<const unsigned char*>(bytes.data()),
                                         static_cast<size_t>(length));
    if (bytes.size() > static_cast<size_t>(INT_MAX)) {
      AfxThrowArchiveException(CArchiveException::genericException);
    }
  }
  s = CString(bytes);
  return *this;
}

void AfxWriteStringLength(CArchive& ar, ULONGLONG nLength, BOOL bUnicode) {
  if (bUnicode) ar << static_cast<BYTE>(0xFF) << static_cast<WORD>(0xFFFE);
  if (nLength < 0xFF) {
    ar << static_cast<BYTE>(nLength);
    return;
  }
  ar << static_cast<BYTE>(0xFF);
  if (nLength < 0xFFFE) {
    ar << static_cast<WORD>(nLength);
    return;
  }
  ar << static_cast<WORD>(0xFFFF);
  if (nLength < 0xFFFFFFFF) {
    ar << static_cast<DWORD>(nLength);
    return;
  }
  ar << static_cast<DWORD>(0xFFFFFFFF) << nLength;
}

ULONGLONG AfxReadStringLength(CArchive& ar, int& nCharSize) {
  nCharSize = 1;
  BYTE b;
  ar >> b;
  if (b < 0xFF) return b;
  WORD w;
  ar >> w;
  if (w == 0xFFFE) {
    nCharSize = 2;
    ar >> b;
    if (b < 0xFF) return b;
    ar >> w;
  }
  if (w < 0xFFFF) return w;
  DWORD dw;
  ar >> dw;
  if (dw < 0xFFFFFFFF) return dw;
  ULONGLONG qw;
  ar >> qw;
  return qw;
}
