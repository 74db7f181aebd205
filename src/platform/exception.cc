#include "lumotools/platform/exception.h"

#include <algorithm>
#include <cstring>

namespace {

const char* const kArchiveCauses[] = {
    "no error",
    "unexpected archive error",
    "attempt to write to an archive opened for loading",
    "attempt to read beyond the end of the archive",
    "attempt to read from an archive opened for storing",
    "invalid archive format (bad index)",
    "archive holds an object of an unexpected class",
    "archive holds an unsupported schema",
    "archive buffer is full",
};

const char* const kFileCauses[] = {
    "no error",
    "unspecified file error",
    "file not found",
    "bad path",
    "too many open files",
    "access denied",
    "invalid file",
    "cannot remove the current directory",
    "directory is full",
    "seek failed",
    "hardware input/output error",
    "sharing violation",
    "lock violation",
    "disk full",
    "attempt to access beyond the end of the file",
};

template <size_t N>
const char* CauseText(const char* const (&table)[N], int cause) {
  return (cause >= 0 && static_cast<size_t>(cause) < N) ? table[cause] : "unknown error";
}

}  // namespace

void CException::Delete() { delete this; }

BOOL CException::GetErrorMessage(LPTSTR lpszError, UINT nMaxError, UINT* pnHelpContext) const {
  if (pnHelpContext != nullptr) *pnHelpContext = 0;
  if (lpszError == nullptr || nMaxError == 0) return FALSE;
  const CString text = GetDescription();
  const size_t n =
      std::min(static_cast<size_t>(text.GetLength()), static_cast<size_t>(nMaxError - 1));
  std::memcpy(lpszError, text.GetString(), n);
  lpszError[n] = '\0';
  return text.IsEmpty() ? FALSE : TRUE;
}

CString CMemoryException::GetDescription() const { return "out of memory"; }

CArchiveException::CArchiveException(int cause, LPCTSTR lpszArchiveName)
    : m_cause(cause), m_strFileName(lpszArchiveName) {}

CString CArchiveException::GetDescription() const {
  CString text(CauseText(kArchiveCauses, m_cause));
  if (!m_strFileName.IsEmpty()) text += " (" + m_strFileName + ")";
  return text;
}

CFileException::CFileException(int cause, LONG lOsError, LPCTSTR lpszFileName)
    : m_cause(cause), m_lOsError(lOsError), m_strFileName(lpszFileName) {}

CString CFileException::GetDescription() const {
  CString text(CauseText(kFileCauses, m_cause));
  if (!m_strFileName.IsEmpty()) text += ": " + m_strFileName;
  if (m_lOsError > 0) text.AppendFormat(" (%s)", std::strerror(m_lOsError));
  return text;
}

CString CInvalidArgException::GetDescription() const { return "invalid argument"; }

void AfxThrowMemoryException() { throw new CMemoryException(); }

void AfxThrowInvalidArgException() { throw new CInvalidArgException(); }

void AfxThrowArchiveException(int cause, LPCTSTR lpszArchiveName) {
  throw new CArchiveException(cause, lpszArchiveName);
}

void AfxThrowFileException(int cause, LONG lOsError, LPCTSTR lpszFileName) {
  throw new CFileException(cause, lOsError, lpszFileName);
}
