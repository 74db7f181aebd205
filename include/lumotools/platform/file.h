// CFile: an unbuffered file of the file system, the base of the framework's files.
//
// Failures raise CFileException (thrown as a pointer, see exception.h) carrying the system's
// error number, except Open, which reports them through its result. A CFile is used from one
// thread at a time.
#ifndef LUMOTOOLS_PLATFORM_FILE_H_
#define LUMOTOOLS_PLATFORM_FILE_H_

#include "lumotools/export.h"
#include "lumotools/platform/cstring.h"
#include "lumotools/platform/exception.h"
#include "lumotools/platform/object.h"
#include "lumotools/platform/types.h"

class LUMO_PLATFORM_EXPORT CFile : public CObject {
 public:
  enum OpenFlags : UINT {
    modeRead = 0x0000,
    modeWrite = 0x0001,
    modeReadWrite = 0x0002,
    shareCompat = 0x0000,
    shareExclusive = 0x0010,
    shareDenyWrite = 0x0020,
    shareDenyRead = 0x0030,
    shareDenyNone = 0x0040,
    modeNoInherit = 0x0080,
    modeCreate = 0x1000,
    modeNoTruncate = 0x2000,
    typeText = 0x4000,
    typeBinary = 0x8000,
  };
  enum SeekPosition : UINT { begin = 0, current = 1, end = 2 };

  // A file that is not open; Open attaches it to a file.
  CFile();
  // Opens lpszFileName; raises CFileException when it cannot.
  CFile(LPCTSTR lpszFileName, UINT nOpenFlags);
  // Closes the file if it is open; a failure to close is not reported.
  ~CFile() override;
  CFile(const CFile&) = delete;
  CFile& operator=(const CFile&) = delete;

  // Opens the file with the modeXxx flags (the share flags are accepted and have no effect).
  // modeCreate creates or truncates, unless modeNoTruncate is given too. Returns FALSE on
  // failure and, when pError is given, fills it with the cause, the system error and the name.
  virtual BOOL Open(LPCTSTR lpszFileName, UINT nOpenFlags, CFileException* pError = nullptr);

  // Reads up to nCount bytes and returns how many were read; fewer only at the end of the file.
  virtual UINT Read(void* lpBuf, UINT nCount);
  // Writes all nCount bytes.
  virtual void Write(const void* lpBuf, UINT nCount);
  // Moves the position and returns the new position. A position before the start raises badSeek.
  virtual ULONGLONG Seek(LONGLONG lOff, UINT nFrom);
  void SeekToBegin() { Seek(0, begin); }
  ULONGLONG SeekToEnd() { return Seek(0, end); }
  virtual ULONGLONG GetPosition() const;
  virtual ULONGLONG GetLength() const;
  virtual void SetLength(ULONGLONG dwNewLen);
  // Writes what the system holds for the file to the device.
  virtual void Flush();
  // Closes the file; raises CFileException when the system reports an error.
  virtual void Close();
  // Closes the file, ignoring errors.
  virtual void Abort();

  // The path as given to Open, and its last component.
  CString GetFilePath() const { return m_strFileName; }
  CString GetFileName() const;

  static void Remove(LPCTSTR lpszFileName);
  static void Rename(LPCTSTR lpszOldName, LPCTSTR lpszNewName);

  // The backend's handle of the open file, or hFileNull.
  HANDLE m_hFile;
  static const HANDLE hFileNull;

 protected:
  CString m_strFileName;
};

#endif  // LUMOTOOLS_PLATFORM_FILE_H_
