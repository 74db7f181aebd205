// The framework's exceptions.
//
// As in the framework, an exception is allocated with new and thrown as a pointer; whoever
// catches it owns it and releases it with Delete():
//
//   try { ar >> value; } catch (CArchiveException* e) { ...; e->Delete(); }
//
// The AfxThrow* functions are the only places that throw them.
#ifndef LUMOTOOLS_PLATFORM_EXCEPTION_H_
#define LUMOTOOLS_PLATFORM_EXCEPTION_H_

#include "lumotools/export.h"
#include "lumotools/platform/cstring.h"
#include "lumotools/platform/object.h"
#include "lumotools/platform/types.h"

class LUMO_PLATFORM_EXPORT CException : public CObject {
 public:
  // Destroys the exception. REQUIRES: it was thrown (so allocated with new) and is no longer used.
  void Delete();
  // Copies a readable description, truncated to nMaxError - 1 bytes and NUL-terminated, into
  // lpszError. Returns FALSE when the exception has no description.
  virtual BOOL GetErrorMessage(LPTSTR lpszError, UINT nMaxError,
                               UINT* pnHelpContext = nullptr) const;
  // The same description as a string.
  virtual CString GetDescription() const = 0;

 protected:
  CException() = default;
};

class LUMO_PLATFORM_EXPORT CMemoryException : public CException {
 public:
  CString GetDescription() const override;
};

class LUMO_PLATFORM_EXPORT CArchiveException : public CException {
 public:
  enum {
    none = 0,
    genericException = 1,
    readOnly = 2,
    endOfFile = 3,
    writeOnly = 4,
    badIndex = 5,
    badClass = 6,
    badSchema = 7,
    bufferFull = 8,
  };
  explicit CArchiveException(int cause = none, LPCTSTR lpszArchiveName = nullptr);
  CString GetDescription() const override;

  int m_cause;
  CString m_strFileName;
};

class LUMO_PLATFORM_EXPORT CFileException : public CException {
 public:
  enum {
    none = 0,
    genericException = 1,
    fileNotFound = 2,
    badPath = 3,
    tooManyOpenFiles = 4,
    accessDenied = 5,
    invalidFile = 6,
    removeCurrentDir = 7,
    directoryFull = 8,
    badSeek = 9,
    hardIO = 10,
    sharingViolation = 11,
    lockViolation = 12,
    diskFull = 13,
    endOfFile = 14,
  };
  explicit CFileException(int cause = none, LONG lOsError = -1, LPCTSTR lpszFileName = nullptr);
  CString GetDescription() const override;

  int m_cause;
  LONG m_lOsError;  // the system's error number, -1 when none
  CString m_strFileName;
};

// An argument outside what a framework class can hold (a time before 1970, ...).
class LUMO_PLATFORM_EXPORT CInvalidArgException : public CException {
 public:
  CString GetDescription() const override;
};

[[noreturn]] LUMO_PLATFORM_EXPORT void AfxThrowMemoryException();
[[noreturn]] LUMO_PLATFORM_EXPORT void AfxThrowInvalidArgException();
[[noreturn]] LUMO_PLATFORM_EXPORT void AfxThrowArchiveException(int cause,
                                                                LPCTSTR lpszArchiveName = nullptr);
[[noreturn]] LUMO_PLATFORM_EXPORT void AfxThrowFileException(int cause, LONG lOsError = -1,
                                                             LPCTSTR lpszFileName = nullptr);

#endif  // LUMOTOOLS_PLATFORM_EXCEPTION_H_
