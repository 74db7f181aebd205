// CMemFile: a file held in memory, either grown by the file itself or attached to a caller's bytes.
//
// A file that grows allocates in steps of at least nGrowBytes (and at least doubling, so that
// writing n bytes costs O(n)); the memory is released by the file unless it is detached. Writing
// past the end of an attached buffer of growth step 0 raises CMemoryException. Used from one
// thread at a time.
#ifndef LUMOTOOLS_PLATFORM_MEM_FILE_H_
#define LUMOTOOLS_PLATFORM_MEM_FILE_H_

#include "lumotools/export.h"
#include "lumotools/platform/file.h"
#include "lumotools/platform/types.h"

class LUMO_PLATFORM_EXPORT CMemFile : public CFile {
 public:
  // An empty growing file.
  explicit CMemFile(UINT nGrowBytes = 1024);
  // A file over the caller's buffer; see Attach.
  CMemFile(BYTE* lpBuffer, UINT nBufferSize, UINT nGrowBytes = 0);
  ~CMemFile() override;

  // Uses the caller's buffer as the file's memory; the caller keeps ownership and the buffer must
  // outlive the file's use of it. With nGrowBytes 0 the file's length is nBufferSize (its content
  // can be read) and it cannot grow; otherwise the file starts empty and, when it must grow, moves
  // to memory of its own. REQUIRES: the file holds no memory (new, closed or detached).
  void Attach(BYTE* lpBuffer, UINT nBufferSize, UINT nGrowBytes = 0);
  // Gives up the memory and returns it; the file is then empty. Memory the file allocated
  // itself must be released by the caller with free(). The length is GetLength() before the call.
  BYTE* Detach();

  UINT Read(void* lpBuf, UINT nCount) override;
  void Write(const void* lpBuf, UINT nCount) override;
  ULONGLONG Seek(LONGLONG lOff, UINT nFrom) override;
  ULONGLONG GetPosition() const override;
  ULONGLONG GetLength() const override;
  void SetLength(ULONGLONG dwNewLen) override;
  void Flush() override;
  void Close() override;
  void Abort() override;

 protected:
  // Makes room for at least dwNewLen bytes; raises CMemoryException when the file cannot grow.
  void GrowFile(SIZE_T dwNewLen);

  SIZE_T m_nGrowBytes;
  SIZE_T m_nPosition;
  SIZE_T m_nBufferSize;
  SIZE_T m_nFileSize;
  BYTE* m_lpBuffer;
  bool m_bAutoDelete;  // the file allocated m_lpBuffer and frees it
};

#endif  // LUMOTOOLS_PLATFORM_MEM_FILE_H_
