// CFileInfo and CFileInfoArray: files and directories found on disk, with a 32-bit additive
// checksum and a CRC-32 of a file's contents computed at once or in resumable steps.
//
// A CFileInfo or a CFileInfoArray is used from one thread at a time. The checksum and directory
// calls read an abort flag and add to a progress counter through pointers, so another thread may
// cancel a run and watch it: the flag is read and the counter written atomically.
#ifndef LUMOTOOLS_UTIL_FILE_INFO_H_
#define LUMOTOOLS_UTIL_FILE_INFO_H_

#include "lumotools/export.h"
#include "lumotools/platform/array.h"
#include "lumotools/platform/cstring.h"
#include "lumotools/platform/file_system.h"
#include "lumotools/platform/time.h"
#include "lumotools/platform/types.h"

class LUMO_EXPORT CFileInfo {
 public:
  // Bytes read from the file at a time by the checksum calls (fewer for smaller targets).
  static constexpr DWORD kChunkSize = 16384;

  CFileInfo() = default;
  CFileInfo(const CFileInfo&) = default;
  CFileInfo& operator=(const CFileInfo&) = default;
  CFileInfo(CFileInfo&&) noexcept = default;
  CFileInfo& operator=(CFileInfo&&) noexcept = default;
  ~CFileInfo() = default;

  // Describes the found entry fd in directory dir: path = dir + fd's name, its attributes, size
  // and times (converted to CTime). Clears the done-counters; the running checksum and CRC stay.
  // Raises CInvalidArgException (leaving this object partly filled) for a time CTime cannot
  // hold. REQUIRES: dir is empty or ends with a separator.
  void Create(const WIN32_FIND_DATAA* fd, CString dir, long userValue);
  // Looks path up on disk and, when found, describes it as above with the directory part of
  // path (through its last separator). Changes nothing when nothing is found.
  void Create(CString path, long userValue);

  // Parts of the path: drive ("C:" or empty), directory with its separators, name without
  // extension, extension with its dot, drive + directory, name + extension. A part longer than
  // 255 bytes makes every part empty.
  CString GetFileDrive() const;
  CString GetFileDir() const;
  CString GetFileTitle() const;
  CString GetFileExt() const;
  CString GetFileRoot() const;
  CString GetFileName() const;
  const CString& GetFilePath() const { return m_sPath; }

  // The attribute bits (FILE_ATTRIBUTE_*), each test non-zero when set. IsNormal is true when
  // no bit at all is set.
  DWORD GetAttributes() const { return m_nAttrib; }
  DWORD IsDirectory() const { return m_nAttrib & FILE_ATTRIBUTE_DIRECTORY; }
  DWORD IsArchived() const { return m_nAttrib & FILE_ATTRIBUTE_ARCHIVE; }
  DWORD IsReadOnly() const { return m_nAttrib & FILE_ATTRIBUTE_READONLY; }
  DWORD IsCompressed() const { return m_nAttrib & FILE_ATTRIBUTE_COMPRESSED; }
  DWORD IsSystem() const { return m_nAttrib & FILE_ATTRIBUTE_SYSTEM; }
  DWORD IsHidden() const { return m_nAttrib & FILE_ATTRIBUTE_HIDDEN; }
  DWORD IsTemporary() const { return m_nAttrib & FILE_ATTRIBUTE_TEMPORARY; }
  bool IsNormal() const { return m_nAttrib == 0; }

  DWORD GetLength() const { return static_cast<DWORD>(m_nSize); }
  ULONGLONG GetLength64() const { return m_nSize; }
  CTime GetCreationTime() const { return m_tCreated; }
  CTime GetLastAccessTime() const { return m_tAccessed; }
  CTime GetLastWriteTime() const { return m_tWritten; }
  long GetUserValue() const { return m_nUserValue; }

  // The sum modulo 2^32 of the file's little-endian 32-bit words (a last partial word padded
  // with zero bytes), over the first count bytes rounded up to a multiple of 4 (count 0 or
  // beyond the size: the whole file). Resumable: a call continues from the bytes already summed
  // unless reset, and returns at once when they reach the target. A non-zero *abortFlag stops
  // the run between chunks, keeping what was summed so far; *progress grows by the bytes used.
  // A file that cannot be opened leaves the running value as it was. abortFlag and progress may
  // be null.
  DWORD GetChecksum(ULONGLONG count = 0, BOOL reset = TRUE, const volatile int* abortFlag = nullptr,
                    volatile DWORD* progress = nullptr);

  // The CRC-32 of IEEE 802.3 over the same bytes, with the same steps. The register runs
  // uncomplemented between calls; when the whole file has been fed it is complemented once and
  // that final CRC is kept and returned from then on. A partial run returns the register.
  // For a file of 4 GB or more every call runs from the start to the end of the file (as if
  // reset) and returns the register uncomplemented: such a file never gets a final CRC.
  DWORD GetCRC(ULONGLONG count = 0, BOOL reset = TRUE, const volatile int* abortFlag = nullptr,
               volatile DWORD* progress = nullptr);

 private:
  // Runs the common steps of GetChecksum and GetCRC; use adds one chunk to value. Returns true
  // when the file, below 4 GB, was read (the target was not already reached) and the bytes fed
  // now reach the end of the file.
  template <class Use>
  bool Run(ULONGLONG count, BOOL reset, const volatile int* abortFlag, volatile DWORD* progress,
           DWORD start, DWORD& value, DWORD& done, Use use);
  void SplitPath(CString* drive, CString* dir, CString* title, CString* ext) const;
  // Create from a found entry, without copying dir.
  void Describe(const WIN32_FIND_DATAA& fd, const CString& dir, long userValue);

  friend class CFileInfoArray;

  LONG m_nUserValue = 0;
  CString m_sPath;
  DWORD m_nAttrib = 0xFFFFFFFF;
  ULONGLONG m_nSize = 0;
  CTime m_tCreated;
  CTime m_tAccessed;
  CTime m_tWritten;
  DWORD m_nChecksum = 0;
  DWORD m_nCrc = 0xFFFFFFFF;
  DWORD m_nCrcDone = 0;
  DWORD m_nChecksumDone = 0;
};

// A list of CFileInfo kept in one of five orders, filled from directories or single paths.
class LUMO_EXPORT CFileInfoArray : public CArray<CFileInfo, CFileInfo&> {
 public:
  // Where AddFileInfo inserts: before the first element of not smaller size (kBySizeAscending),
  // not larger size, not smaller path, not larger path (paths by CString::Compare); any other
  // code appends.
  enum Order : long {
    kNoOrder = 0,
    kBySizeAscending = 2,
    kBySizeDescending = 3,
    kByPathAscending = 4,
    kByPathDescending = 5,
  };

  // Sets the growth step to 50 elements.
  CFileInfoArray();
  ~CFileInfoArray() override;

  // Serialising the array is not supported: raises CArchiveException (genericException).
  void Serialize(CArchive& ar) override;

  // Adds the files of dir matching mask (which filters files only) and, with withDirs, its
  // subdirectories; with recurse, the same for every subdirectory, found whatever the mask.
  // Symbolic links to directories are entered as directories, except one that leads back to a
  // directory the walk is inside (dir or one below it on the way down): that one is listed and
  // not entered, so a cycle of links is walked once. Directories that cannot be read add
  // nothing. Each entry goes where AddFileInfo(fi, order) puts it, through that virtual on a
  // derived class. On a CFileInfoArray itself the walk's entries are placed when the walk ends
  // (also when it ends by an exception), and when the array was in that order already, all at
  // once in O(n log n) time rather than O(n^2). Runs on the calling thread alone. A
  // non-zero *abortFlag stops the walk after the current entry; *progress grows by one per entry
  // added. Returns the number of entries added.
  // Raises CInvalidArgException for a file time CTime cannot hold (entries added before stay).
  // REQUIRES: dir ends with a separator.
  int AddDir(CString dir, CString mask, BOOL recurse, long order, BOOL withDirs,
             const volatile int* abortFlag = nullptr, volatile DWORD* progress = nullptr);

  // Adds the entry for path (the default entry, with an empty path, when nothing is there) and
  // returns its index.
  INT_PTR AddFile(CString path, long order);

 protected:
  // Inserts a copy of fi at the place order gives (found by a scan from the start; equal
  // entries go before existing ones) and returns its index.
  virtual INT_PTR AddFileInfo(CFileInfo& fi, long order);

 private:
  struct DirWalk;  // one AddDir's walk over a tree
};

#endif  // LUMOTOOLS_UTIL_FILE_INFO_H_
