// Directory search and file reading over POSIX directories and descriptors.
#include "lumotools/platform/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <memory>
#include <string>
#include <typeinfo>

#include "../kernel_object.h"
#include "../path_rules.h"

namespace {

using lumo_platform::KernelObject;

// `\` arriving in a path is a separator here.
std::string NativePath(const char* path) {
  std::string native(path);
  for (char& c : native) {
    if (c == '\\') c = '/';
  }
  return native;
}

// A time before 1601 gives 0; one beyond the year 30000 is held there.
FILETIME ToFileTime(const statx_timestamp& t) {
  constexpr long long kSecondsFrom1601To1970 = 11'644'473'600;
  constexpr long long kLatestSecond = 900'000'000'000;
  const long long seconds = std::min<long long>(t.tv_sec, kLatestSecond) + kSecondsFrom1601To1970;
  if (seconds < 0) return FILETIME{0, 0};
  const long long intervals = seconds * 10'000'000 + t.tv_nsec / 100;
  FILETIME ft;
  ft.dwLowDateTime = static_cast<DWORD>(intervals & 0xFFFFFFFF);
  ft.dwHighDateTime = static_cast<DWORD>(static_cast<unsigned long long>(intervals) >> 32);
  return ft;
}

constexpr unsigned kStatxMask =
    STATX_TYPE | STATX_MODE | STATX_SIZE | STATX_ATIME | STATX_MTIME | STATX_BTIME;

// Whether the entry name of the directory open as dirFd is a symbolic link, given its
// directory-entry type (DT_UNKNOWN when the file system does not say).
bool IsLink(int dirFd, const char* name, unsigned char type) {
  if (type != DT_UNKNOWN) return type == DT_LNK;
  struct stat st;
  return ::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(st.st_mode);
}

// The status of the entry name (what a link points to; the link itself when that is gone).
bool StatusOf(int dirFd, const char* name, struct statx* st) {
  return ::statx(dirFd, name, AT_NO_AUTOMOUNT, kStatxMask, st) == 0 ||
         ::statx(dirFd, name, AT_NO_AUTOMOUNT | AT_SYMLINK_NOFOLLOW, kStatxMask, st) == 0;
}

// A name beginning with '.', other than "." and "..", is hidden.
bool IsHiddenName(const char* name) {
  return name[0] == '.' && std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0;
}

// Fills the rest of fd, whose cFileName is set, from the entry's status st.
void FillFromStatus(const struct statx& st, bool isLink, WIN32_FIND_DATAA* fd) {
  const char* name = fd->cFileName;
  DWORD attributes = 0;
  const bool directory = S_ISDIR(st.stx_mode);
  if (directory) {
    attributes |= FILE_ATTRIBUTE_DIRECTORY;
  } else if (!S_ISREG(st.stx_mode) && !S_ISLNK(st.stx_mode)) {
    attributes |= FILE_ATTRIBUTE_SYSTEM;
  }
  if ((st.stx_mode & S_IWUSR) == 0) attributes |= FILE_ATTRIBUTE_READONLY;
  if (IsHiddenName(name)) attributes |= FILE_ATTRIBUTE_HIDDEN;
  if (isLink) attributes |= FILE_ATTRIBUTE_REPARSE_POINT;
  if (attributes == 0) attributes = FILE_ATTRIBUTE_NORMAL;

  fd->dwFileAttributes = attributes;
  fd->ftCreationTime = (st.stx_mask & STATX_BTIME) ? ToFileTime(st.stx_btime) : FILETIME{0, 0};
  fd->ftLastAccessTime = ToFileTime(st.stx_atime);
  fd->ftLastWriteTime = ToFileTime(st.stx_mtime);
  const unsigned long long size = directory ? 0 : st.stx_size;
  fd->nFileSizeHigh = static_cast<DWORD>(size >> 32);
  fd->nFileSizeLow = static_cast<DWORD>(size & 0xFFFFFFFF);
  fd->dwReserved0 = fd->dwReserved1 = 0;
  fd->cAlternateFileName[0] = '\0';
}

// Fills the rest of fd, whose cFileName names a directory, without asking for its status.
void FillAsDirectory(WIN32_FIND_DATAA* fd) {
  fd->dwFileAttributes =
      FILE_ATTRIBUTE_DIRECTORY | (IsHiddenName(fd->cFileName) ? FILE_ATTRIBUTE_HIDDEN : 0);
  fd->ftCreationTime = fd->ftLastAccessTime = fd->ftLastWriteTime = FILETIME{0, 0};
  fd->nFileSizeHigh = fd->nFileSizeLow = 0;
  fd->dwReserved0 = fd->dwReserved1 = 0;
  fd->cAlternateFileName[0] = '\0';
}

// Describes the entry named fd->cFileName of the directory open as dirFd, whose directory-entry
// type is type. Returns false when the entry has vanished.
bool Describe(int dirFd, unsigned char type, WIN32_FIND_DATAA* fd) {
  struct statx st;
  if (!StatusOf(dirFd, fd->cFileName, &st)) return false;
  FillFromStatus(st, IsLink(dirFd, fd->cFileName, type), fd);
  return true;
}

bool IsDotEntry(const char* name) {
  return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// The entries of a directory, read straight from the kernel in blocks. The C library's directory
// stream would ask for the directory's status and take a fresh 32 KiB buffer for every directory
// opened, and lock itself for every entry; a walk over many small directories feels all three.
class DirectoryReader {
 public:
  // Takes the directory open as fd, and closes it when destroyed.
  // Raises std::bad_alloc, leaving fd open, when no buffer can be had.
  explicit DirectoryReader(int fd) : m_buffer(TakeBuffer()), m_fd(fd) {}
  DirectoryReader(const DirectoryReader&) = delete;
  DirectoryReader& operator=(const DirectoryReader&) = delete;
  ~DirectoryReader() {
    ::close(m_fd);
    ReturnBuffer(std::move(m_buffer));
  }

  int fd() const { return m_fd; }

  // The next entry; nullptr at the end, or when the directory cannot be read further.
  const struct dirent64* Next() {
    if (m_next == m_end) {
      const ssize_t got = ::getdents64(m_fd, m_buffer.get(), kBufferSize);
      if (got <= 0) return nullptr;
      m_next = 0;
      m_end = static_cast<size_t>(got);
    }
    const auto* entry = reinterpret_cast<const struct dirent64*>(m_buffer.get() + m_next);
    m_next += entry->d_reclen;
    return entry;
  }

 private:
  static constexpr size_t kBufferSize = 32 * 1024;
  using Buffer = std::unique_ptr<char[]>;

  // The buffer of the last reader closed, if no other reader has taken it since: one directory
  // after another reuses the same storage, on any thread.
  static std::atomic<char*> s_spare;

  static Buffer TakeBuffer() {
    if (char* spare = s_spare.exchange(nullptr, std::memory_order_acquire)) return Buffer(spare);
    // Aligned as new aligns, which suits the kernel's 8-byte aligned records.
    return Buffer(new char[kBufferSize]);
  }
  static void ReturnBuffer(Buffer buffer) {
    char* expected = nullptr;
    if (s_spare.compare_exchange_strong(expected, buffer.get(), std::memory_order_release)) {
      buffer.release();
    }
  }

  Buffer m_buffer;
  const int m_fd;
  size_t m_next = 0;  // the unread records are [m_next, m_end) of m_buffer
  size_t m_end = 0;
};

std::atomic<char*> DirectoryReader::s_spare{nullptr};

// A search over one open directory. Each entry is read and described when it is asked for, on
// the caller's thread.
class Search final : public KernelObject {
 public:
  Search(int directoryFd, std::string mask, bool onlyDirectories, DWORD flags)
      : m_dir(directoryFd),
        m_mask(std::move(mask)),
        m_exact(!lumo_platform::HasWildcards(m_mask)),
        m_everyName(lumo_platform::TakesEveryName(m_mask)),
        m_onlyDirectories(onlyDirectories),
        m_noDotEntries((flags & LUMO_FIND_NO_DOT_ENTRIES) != 0),
        m_directoryNamesOnly((flags & LUMO_FIND_DIRECTORY_NAMES_ONLY) != 0) {}

  // Fills fd with the first matching entry; false when there is none. A name without wildcards
  // is looked up directly, and the directory is read for a spelling in another case only when
  // the name itself is not there.
  bool First(WIN32_FIND_DATAA* fd) {
    if (!m_exact || m_mask.size() >= MAX_PATH || (m_noDotEntries && IsDotEntry(m_mask.c_str()))) {
      return Next(fd);
    }
    struct stat st;
    if (::fstatat(m_dir.fd(), m_mask.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
      std::strcpy(fd->cFileName, m_mask.c_str());
      if (Describe(m_dir.fd(), S_ISLNK(st.st_mode) ? DT_LNK : DT_REG, fd) &&
          (!m_onlyDirectories || (fd->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)) {
        m_done = true;
        return true;
      }
    }
    return Next(fd);
  }

  // Fills fd with the next matching entry; false at the end.
  bool Next(WIN32_FIND_DATAA* fd) {
    while (const struct dirent64* entry = m_dir.Next()) {
      const char* name = entry->d_name;
      if (m_onlyDirectories && entry->d_type != DT_DIR && entry->d_type != DT_LNK &&
          entry->d_type != DT_UNKNOWN) {
        continue;
      }
      if (m_noDotEntries && IsDotEntry(name)) continue;
      const size_t length = std::strlen(name);
      if (length >= MAX_PATH || (!m_everyName && !lumo_platform::MatchesMask(name, m_mask))) {
        continue;
      }
      std::memcpy(fd->cFileName, name, length + 1);
      if (m_directoryNamesOnly && entry->d_type == DT_DIR) {
        FillAsDirectory(fd);
      } else if (!Describe(m_dir.fd(), entry->d_type, fd)) {
        continue;
      }
      if (m_onlyDirectories && (fd->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) continue;
      if (m_exact) m_done = true;
      return true;
    }
    return false;
  }

  bool Done() const { return m_done; }

 private:
  DirectoryReader m_dir;
  const std::string m_mask;
  const bool m_exact;      // a mask without wildcards names one entry
  const bool m_everyName;  // the mask takes every name, so names need no matching
  const bool m_onlyDirectories;
  const bool m_noDotEntries;        // "." and ".." are passed over
  const bool m_directoryNamesOnly;  // directories named so by their entries get no status call
  bool m_done = false;
};

// Search is final, so comparing the dynamic type answers what dynamic_cast would, at a fraction of
// its cost on every entry.
Search* AsSearch(HANDLE h) {
  if (h == nullptr || h == INVALID_HANDLE_VALUE) return nullptr;
  lumo_platform::KernelObject* object = lumo_platform::FromHandle(h);
  return typeid(*object) == typeid(Search) ? static_cast<Search*>(object) : nullptr;
}

// Opens a search for the pattern lpFileName (a directory followed by a mask); nullptr when the
// pattern has no mask or the directory cannot be read.
Search* OpenSearch(LPCSTR lpFileName, FINDEX_SEARCH_OPS fSearchOp, DWORD flags) {
  std::string directory = NativePath(lpFileName);
  const size_t slash = directory.rfind('/');
  std::string mask = slash == std::string::npos ? directory : directory.substr(slash + 1);
  if (mask.empty()) return nullptr;
  if (slash == std::string::npos) {
    directory = ".";
  } else {
    directory.resize(slash + 1);
  }
  const int dir = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC);
  if (dir < 0) return nullptr;
  try {
    return new Search(dir, std::move(mask), fSearchOp == FindExSearchLimitToDirectories, flags);
  } catch (...) {
    ::close(dir);
    throw;
  }
}

// An open file. Opened for a sequential scan it reads ahead in large blocks and serves smaller
// reads from them, which saves most of the system calls of a scan in small chunks.
class ReadableFile : public KernelObject {
 public:
  // A sequential scan of a file larger than kSmallFile reads ahead; the buffer is no larger than
  // the file.
  ReadableFile(int fd, bool sequential, off_t size) : m_fd(fd) {
    if (sequential && size > kSmallFile) {
      m_aheadSize = std::min<size_t>(kReadAhead, static_cast<size_t>(size));
      m_ahead.reset(new char[m_aheadSize]);
    }
  }
  ~ReadableFile() override { ::close(m_fd); }

  // Reads up to n bytes; false on a system error (what was read before it is in *got).
  bool Read(char* out, DWORD n, DWORD* got) {
    *got = 0;
    while (*got < n) {
      if (m_next == m_end && n - *got < m_aheadSize) {
        if (!Refill()) return false;
        if (m_end == 0) return true;
      }
      if (m_next < m_end) {
        const DWORD take = std::min<DWORD>(n - *got, static_cast<DWORD>(m_end - m_next));
        std::memcpy(out + *got, m_ahead.get() + m_next, take);
        m_next += take;
        *got += take;
        continue;
      }
      DWORD direct = 0;
      const bool ok = ReadDirect(out + *got, n - *got, &direct);
      *got += direct;
      return ok;
    }
    return true;
  }

  // Reads as Read, pointing *data at the bytes: inside the read-ahead when they lie there in one
  // piece, else in fallback.
  bool View(char* fallback, DWORD n, const char** data, DWORD* got) {
    if (m_aheadSize > 0 && n < m_aheadSize) {
      if (m_next == m_end && !Refill()) return false;
      const size_t held = m_end - m_next;
      if (held >= n || m_atEnd) {
        *data = m_ahead.get() + m_next;
        *got = static_cast<DWORD>(std::min<size_t>(n, held));
        m_next += *got;
        return true;
      }
    }
    *data = fallback;
    return Read(fallback, n, got);
  }

  // Moves the position as lseek does; the read-ahead is dropped.
  off_t Seek(off_t distance, int whence) {
    if (whence == SEEK_CUR) distance -= static_cast<off_t>(m_end - m_next);
    const off_t pos = ::lseek(m_fd, distance, whence);
    if (pos >= 0) {
      m_next = m_end = 0;
      m_atEnd = false;
    }
    return pos;
  }

 private:
  static constexpr size_t kReadAhead = 1024 * 1024;
  static constexpr off_t kSmallFile = 64 * 1024;

  // Fills the read-ahead from the file position; false on a system error.
  bool Refill() {
    m_next = m_end = 0;
    DWORD filled = 0;
    if (!ReadDirect(m_ahead.get(), static_cast<DWORD>(m_aheadSize), &filled)) return false;
    m_end = filled;
    m_atEnd = filled < m_aheadSize;
    return true;
  }

  bool ReadDirect(char* out, DWORD n, DWORD* got) {
    *got = 0;
    while (*got < n) {
      const ssize_t r = ::read(m_fd, out + *got, n - *got);
      if (r < 0) {
        if (errno == EINTR) continue;
        return false;
      }
      if (r == 0) break;
      *got += static_cast<DWORD>(r);
    }
    return true;
  }

  const int m_fd;
  std::unique_ptr<char[]> m_ahead;
  size_t m_aheadSize = 0;
  size_t m_next = 0;  // the unread part of m_ahead is [m_next, m_end)
  size_t m_end = 0;
  bool m_atEnd = false;  // the last refill reached the end of the file
};

ReadableFile* AsFile(HANDLE h) {
  if (h == nullptr || h == INVALID_HANDLE_VALUE) return nullptr;
  return dynamic_cast<ReadableFile*>(lumo_platform::FromHandle(h));
}

}  // namespace

HANDLE FindFirstFileA(LPCSTR lpFileName, LPWIN32_FIND_DATAA lpFindFileData) {
  return FindFirstFileExA(lpFileName, FindExInfoStandard, lpFindFileData, FindExSearchNameMatch,
                          nullptr, 0);
}

HANDLE FindFirstFileExA(LPCSTR lpFileName, FINDEX_INFO_LEVELS, LPVOID lpFindFileData,
                        FINDEX_SEARCH_OPS fSearchOp, LPVOID lpSearchFilter,
                        DWORD dwAdditionalFlags) {
  if (lpFileName == nullptr || lpFindFileData == nullptr || lpSearchFilter != nullptr) {
    return INVALID_HANDLE_VALUE;
  }
  Search* search = OpenSearch(lpFileName, fSearchOp, dwAdditionalFlags);
  if (search == nullptr) return INVALID_HANDLE_VALUE;
  if (!search->First(static_cast<LPWIN32_FIND_DATAA>(lpFindFileData))) {
    delete search;
    return INVALID_HANDLE_VALUE;
  }
  return lumo_platform::ToHandle(search);
}

BOOL FindNextFileA(HANDLE hFindFile, LPWIN32_FIND_DATAA lpFindFileData) {
  Search* search = AsSearch(hFindFile);
  if (search == nullptr || lpFindFileData == nullptr || search->Done()) return FALSE;
  return search->Next(lpFindFileData) ? TRUE : FALSE;
}

BOOL FindClose(HANDLE hFindFile) {
  Search* search = AsSearch(hFindFile);
  if (search == nullptr) return FALSE;
  delete search;
  return TRUE;
}

BOOL LumoGetFileIdA(LPCSTR lpFileName, LUMO_FILE_ID* lpFileId) {
  if (lpFileName == nullptr || lpFileId == nullptr) return FALSE;
  struct stat st;
  if (::stat(NativePath(lpFileName).c_str(), &st) != 0) return FALSE;
  lpFileId->volume = static_cast<ULONGLONG>(st.st_dev);
  lpFileId->index = static_cast<ULONGLONG>(st.st_ino);
  return TRUE;
}

HANDLE CreateFileA(LPCSTR lpFileName, DWORD dwDesiredAccess, DWORD, LPVOID,
                   DWORD dwCreationDisposition, DWORD dwFlagsAndAttributes, HANDLE) {
  if (lpFileName == nullptr || dwDesiredAccess != GENERIC_READ ||
      dwCreationDisposition != OPEN_EXISTING) {
    return INVALID_HANDLE_VALUE;
  }
  // Non-blocking, so that opening a pipe never waits for a writer; refused below anyway.
  const int fd = ::open(NativePath(lpFileName).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return INVALID_HANDLE_VALUE;
  struct stat st;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return INVALID_HANDLE_VALUE;
  }
  if (dwFlagsAndAttributes & FILE_FLAG_SEQUENTIAL_SCAN) {
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
  }
  return lumo_platform::ToHandle(
      new ReadableFile(fd, (dwFlagsAndAttributes & FILE_FLAG_SEQUENTIAL_SCAN) != 0, st.st_size));
}

BOOL ReadFile(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead, DWORD* lpNumberOfBytesRead,
              LPVOID lpOverlapped) {
  ReadableFile* file = AsFile(hFile);
  if (lpNumberOfBytesRead != nullptr) *lpNumberOfBytesRead = 0;
  if (file == nullptr || lpOverlapped != nullptr || lpNumberOfBytesRead == nullptr) return FALSE;
  return file->Read(static_cast<char*>(lpBuffer), nNumberOfBytesToRead, lpNumberOfBytesRead)
             ? TRUE
             : FALSE;
}

BOOL LumoReadFileView(HANDLE hFile, LPVOID lpBuffer, DWORD nNumberOfBytesToRead,
                      const BYTE** lpData, DWORD* lpNumberOfBytesRead) {
  ReadableFile* file = AsFile(hFile);
  if (lpNumberOfBytesRead != nullptr) *lpNumberOfBytesRead = 0;
  if (file == nullptr || lpData == nullptr || lpNumberOfBytesRead == nullptr) return FALSE;
  const char* data = nullptr;
  const bool ok =
      file->View(static_cast<char*>(lpBuffer), nNumberOfBytesToRead, &data, lpNumberOfBytesRead);
  *lpData = reinterpret_cast<const BYTE*>(data);
  return ok ? TRUE : FALSE;
}

DWORD SetFilePointer(HANDLE hFile, LONG lDistanceToMove, LONG* lpDistanceToMoveHigh,
                     DWORD dwMoveMethod) {
  ReadableFile* file = AsFile(hFile);
  if (file == nullptr || dwMoveMethod > FILE_END) return INVALID_SET_FILE_POINTER;
  long long distance = lDistanceToMove;
  if (lpDistanceToMoveHigh != nullptr) {
    distance =
        static_cast<long long>((static_cast<unsigned long long>(*lpDistanceToMoveHigh) << 32) |
                               static_cast<DWORD>(lDistanceToMove));
  }
  const int whence = dwMoveMethod == FILE_BEGIN     ? SEEK_SET
                     : dwMoveMethod == FILE_CURRENT ? SEEK_CUR
                                                    : SEEK_END;
  const off_t pos = file->Seek(static_cast<off_t>(distance), whence);
  if (pos < 0) return INVALID_SET_FILE_POINTER;
  if (lpDistanceToMoveHigh != nullptr) {
    *lpDistanceToMoveHigh = static_cast<LONG>(static_cast<unsigned long long>(pos) >> 32);
  }
  return static_cast<DWORD>(static_cast<unsigned long long>(pos) & 0xFFFFFFFF);
}
