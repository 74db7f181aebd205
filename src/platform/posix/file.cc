// CFile over POSIX file descriptors.
#include "lumotools/platform/file.h"

#include "lumotools/platform/crt.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>

namespace {

int Descriptor(HANDLE h) { return static_cast<int>(reinterpret_cast<std::intptr_t>(h)); }
HANDLE Handle(int fd) { return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(fd)); }

int CauseOfErrno(int error) {
  switch (error) {
    case 0:
      return CFileException::none;
    case ENOENT:
      return CFileException::fileNotFound;
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP:
    case EISDIR:
      return CFileException::badPath;
    case EMFILE:
    case ENFILE:
      return CFileException::tooManyOpenFiles;
    case EACCES:
    case EPERM:
    case EROFS:
      return CFileException::accessDenied;
    case EBADF:
      return CFileException::invalidFile;
    case EBUSY:
      return CFileException::sharingViolation;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return CFileException::diskFull;
    case EINVAL:
    case ESPIPE:
      return CFileException::badSeek;
    case EIO:
      return CFileException::hardIO;
    default:
      return CFileException::genericException;
  }
}

// The one place where a system error number becomes a file exception.
[[noreturn]] void ThrowErrno(int error, const CString& path) {
  AfxThrowFileException(CauseOfErrno(error), error, path);
}

void Fill(CFileException* pError, int error, const CString& path) {
  if (pError == nullptr) return;
  pError->m_cause = CauseOfErrno(error);
  pError->m_lOsError = error;
  pError->m_strFileName = path;
}

}  // namespace

const HANDLE CFile::hFileNull = Handle(-1);

CFile::CFile() : m_hFile(hFileNull) {}

CFile::CFile(LPCTSTR lpszFileName, UINT nOpenFlags) : m_hFile(hFileNull) {
  CFileException error;
  if (!Open(lpszFileName, nOpenFlags, &error)) {
    AfxThrowFileException(error.m_cause, error.m_lOsError, error.m_strFileName);
  }
}

CFile::~CFile() {
  if (m_hFile != hFileNull) Abort();
}

BOOL CFile::Open(LPCTSTR lpszFileName, UINT nOpenFlags, CFileException* pError) {
  if (m_hFile != hFileNull) Abort();
  m_strFileName = lpszFileName;
  int flags = O_CLOEXEC;
  switch (nOpenFlags & 3) {
    case modeWrite:
      flags |= O_WRONLY;
      break;
    case modeReadWrite:
      flags |= O_RDWR;
      break;
    default:
      flags |= O_RDONLY;
      break;
  }
  if (nOpenFlags & modeCreate) {
    flags |= O_CREAT;
    if ((nOpenFlags & modeNoTruncate) == 0) flags |= O_TRUNC;
  }
  const int fd = ::open(m_strFileName, flags, 0666);
  if (fd < 0) {
    Fill(pError, errno, m_strFileName);
    return FALSE;
  }
  m_hFile = Handle(fd);
  return TRUE;
}

UINT CFile::Read(void* lpBuf, UINT nCount) {
  auto* out = static_cast<char*>(lpBuf);
  UINT done = 0;
  while (done < nCount) {
    const ssize_t got = ::read(Descriptor(m_hFile), out + done, nCount - done);
    if (got < 0) {
      if (errno == EINTR) continue;
      ThrowErrno(errno, m_strFileName);
    }
    if (got == 0) break;
    done += static_cast<UINT>(got);
  }
  return done;
}

void CFile::Write(const void* lpBuf, UINT nCount) {
  const auto* in = static_cast<const char*>(lpBuf);
  UINT done = 0;
  while (done < nCount) {
    const ssize_t put = ::write(Descriptor(m_hFile), in + done, nCount - done);
    if (put < 0) {
      if (errno == EINTR) continue;
      ThrowErrno(errno, m_strFileName);
    }
    done += static_cast<UINT>(put);
  }
}

ULONGLONG CFile::Seek(LONGLONG lOff, UINT nFrom) {
  const int whence = nFrom == current ? SEEK_CUR : nFrom == end ? SEEK_END : SEEK_SET;
  const off_t pos = ::lseek(Descriptor(m_hFile), static_cast<off_t>(lOff), whence);
  if (pos < 0) ThrowErrno(errno, m_strFileName);
  return static_cast<ULONGLONG>(pos);
}

ULONGLONG CFile::GetPosition() const {
  const off_t pos = ::lseek(Descriptor(m_hFile), 0, SEEK_CUR);
  if (pos < 0) ThrowErrno(errno, m_strFileName);
  return static_cast<ULONGLONG>(pos);
}

ULONGLONG CFile::GetLength() const {
  struct stat st;
  if (::fstat(Descriptor(m_hFile), &st) != 0) ThrowErrno(errno, m_strFileName);
  return static_cast<ULONGLONG>(st.st_size);
}

void CFile::SetLength(ULONGLONG dwNewLen) {
  if (::ftruncate(Descriptor(m_hFile), static_cast<off_t>(dwNewLen)) != 0) {
    ThrowErrno(errno, m_strFileName);
  }
}

void CFile::Flush() {
  if (m_hFile != hFileNull && ::fsync(Descriptor(m_hFile)) != 0 && errno != EINVAL) {
    ThrowErrno(errno, m_strFileName);
  }
}

void CFile::Close() {
  if (m_hFile == hFileNull) return;
  const int fd = Descriptor(m_hFile);
  m_hFile = hFileNull;
  if (::close(fd) != 0 && errno != EINTR) ThrowErrno(errno, m_strFileName);
}

void CFile::Abort() {
  if (m_hFile == hFileNull) return;
  ::close(Descriptor(m_hFile));
  m_hFile = hFileNull;
}

int CrtIsatty(int fd) { return ::isatty(fd); }

CString CFile::GetFileName() const {
  const int slash = std::max(m_strFileName.ReverseFind('/'), m_strFileName.ReverseFind('\\'));
  return m_strFileName.Mid(slash + 1);
}

void CFile::Remove(LPCTSTR lpszFileName) {
  if (::unlink(lpszFileName) != 0) ThrowErrno(errno, lpszFileName);
}

void CFile::Rename(LPCTSTR lpszOldName, LPCTSTR lpszNewName) {
  if (::rename(lpszOldName, lpszNewName) != 0) ThrowErrno(errno, lpszOldName);
}
