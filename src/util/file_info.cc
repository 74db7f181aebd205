#include "lumotools/util/file_info.h"

#include <isa-l/crc.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <typeinfo>
#include <vector>

#include "lumotools/platform/archive.h"
#include "lumotools/platform/exception.h"
#include "lumotools/platform/sync.h"

namespace {

constexpr ULONGLONG kFourGigabytes = 0x100000000ULL;

bool Aborted(const volatile int* abortFlag) {
  return abortFlag != nullptr && __atomic_load_n(abortFlag, __ATOMIC_ACQUIRE) != 0;
}

void AddProgress(volatile DWORD* progress, DWORD bytes) {
  if (progress != nullptr && bytes != 0) {
    InterlockedExchangeAdd(reinterpret_cast<volatile LONG*>(progress), static_cast<LONG>(bytes));
  }
}

// Whether the ordering code order sorts; any other code appends.
bool Sorts(long order) {
  return order >= CFileInfoArray::kBySizeAscending && order <= CFileInfoArray::kByPathDescending;
}

// Whether a goes strictly before b under an ordering code, one of the four that sort: the place
// of a new entry is before the first entry it does not follow.
struct EntryOrder {
  long order;
  bool operator()(const CFileInfo& a, const CFileInfo& b) const {
    switch (order) {
      case CFileInfoArray::kBySizeAscending:
        return a.GetLength64() < b.GetLength64();
      case CFileInfoArray::kBySizeDescending:
        return a.GetLength64() > b.GetLength64();
      case CFileInfoArray::kByPathAscending:
        return a.GetFilePath().Compare(b.GetFilePath()) < 0;
      default:  // kByPathDescending
        return a.GetFilePath().Compare(b.GetFilePath()) > 0;
    }
  }
};

// Moves the entries [data + kept, data + size), in the order they arrived, to the places that
// inserting each in turn would give them: each before the first entry it does not follow. When
// [data, data + kept) is in order, equal entries end in reverse order of arrival, ahead of the
// equal ones kept, and a sort and a merge place them all, in O(n log n) time; otherwise each is
// inserted in turn. Moves only; allocates at most scratch space it can do without.
void PlaceArrivals(CFileInfo* data, size_t kept, size_t size, EntryOrder before) {
  CFileInfo* const arrived = data + kept;
  CFileInfo* const end = data + size;
  if (arrived == end) return;
  if (!std::is_sorted(data, arrived, before)) {
    for (CFileInfo* next = arrived; next != end; ++next) {
      CFileInfo* const at =
          std::find_if_not(data, next, [&](const CFileInfo& x) { return before(x, *next); });
      std::rotate(at, next, next + 1);
    }
    return;
  }
  std::reverse(arrived, end);
  std::stable_sort(arrived, end, before);
  std::rotate(data, arrived, end);
  std::inplace_merge(data, data + (size - kept), end, before);
}

// The sum modulo 2^32 of the little-endian words of p, a last partial word padded with zeros.
DWORD SumWords(const BYTE* p, size_t n) {
  DWORD sum = 0;
  size_t i = 0;
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  // Four independent accumulators of four lanes each keep the loads flowing.
  typedef DWORD Lanes __attribute__((vector_size(16)));
  Lanes a = {0, 0, 0, 0}, b = {0, 0, 0, 0}, c = {0, 0, 0, 0}, d = {0, 0, 0, 0};
  for (; i + 64 <= n; i += 64) {
    Lanes w, x, y, z;
    std::memcpy(&w, p + i, 16);
    std::memcpy(&x, p + i + 16, 16);
    std::memcpy(&y, p + i + 32, 16);
    std::memcpy(&z, p + i + 48, 16);
    a += w;
    b += x;
    c += y;
    d += z;
  }
  a += b + c + d;
  sum += a[0] + a[1] + a[2] + a[3];
#endif
  // i is a multiple of 4 here: byte i goes to byte i % 4 of its word.
  for (; i < n; ++i) sum += static_cast<DWORD>(p[i]) << (8 * (i % 4));
  return sum;
}

// Owns a file or search handle and closes it with its close function.
class OwnedHandle {
 public:
  OwnedHandle(HANDLE h, BOOL (*close)(HANDLE)) : m_h(h), m_close(close) {}
  OwnedHandle(const OwnedHandle&) = delete;
  OwnedHandle& operator=(const OwnedHandle&) = delete;
  ~OwnedHandle() {
    if (m_h != INVALID_HANDLE_VALUE) m_close(m_h);
  }

  HANDLE get() const { return m_h; }

 private:
  const HANDLE m_h;
  BOOL (*const m_close)(HANDLE);
};

}  // namespace

void CFileInfo::Create(const WIN32_FIND_DATAA* fd, CString dir, long userValue) {
  Describe(*fd, dir, userValue);
}

void CFileInfo::Describe(const WIN32_FIND_DATAA& fd, const CString& dir, long userValue) {
  const int nameLength = static_cast<int>(std::strlen(fd.cFileName));
  m_sPath.Preallocate(dir.GetLength() + nameLength);
  m_sPath = dir;
  m_sPath.Append(fd.cFileName, nameLength);
  m_nAttrib = fd.dwFileAttributes;
  m_nSize = (static_cast<ULONGLONG>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
  m_tCreated = CTime(fd.ftCreationTime);
  m_tAccessed = CTime(fd.ftLastAccessTime);
  m_tWritten = CTime(fd.ftLastWriteTime);
  m_nUserValue = static_cast<LONG>(userValue);
  m_nCrcDone = 0;
  m_nChecksumDone = 0;
}

void CFileInfo::Create(CString path, long userValue) {
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA(path, &fd);
  if (h == INVALID_HANDLE_VALUE) return;
  OwnedHandle closer(h, FindClose);
  const int separator = std::max(path.ReverseFind('/'), path.ReverseFind('\\'));
  Create(&fd, path.Left(separator + 1), userValue);
}

void CFileInfo::SplitPath(CString* drive, CString* dir, CString* title, CString* ext) const {
  char driveBuf[_MAX_DRIVE], dirBuf[_MAX_DIR], titleBuf[_MAX_FNAME], extBuf[_MAX_EXT];
  _splitpath_s(m_sPath, driveBuf, sizeof driveBuf, dirBuf, sizeof dirBuf, titleBuf, sizeof titleBuf,
               extBuf, sizeof extBuf);
  if (drive != nullptr) *drive = driveBuf;
  if (dir != nullptr) *dir = dirBuf;
  if (title != nullptr) *title = titleBuf;
  if (ext != nullptr) *ext = extBuf;
}

CString CFileInfo::GetFileDrive() const {
  CString drive;
  SplitPath(&drive, nullptr, nullptr, nullptr);
  return drive;
}

CString CFileInfo::GetFileDir() const {
  CString dir;
  SplitPath(nullptr, &dir, nullptr, nullptr);
  return dir;
}

CString CFileInfo::GetFileTitle() const {
  CString title;
  SplitPath(nullptr, nullptr, &title, nullptr);
  return title;
}

CString CFileInfo::GetFileExt() const {
  CString ext;
  SplitPath(nullptr, nullptr, nullptr, &ext);
  return ext;
}

CString CFileInfo::GetFileRoot() const {
  CString drive, dir;
  SplitPath(&drive, &dir, nullptr, nullptr);
  return drive + dir;
}

CString CFileInfo::GetFileName() const {
  CString title, ext;
  SplitPath(nullptr, nullptr, &title, &ext);
  return title + ext;
}

template <class Use>
bool CFileInfo::Run(ULONGLONG count, BOOL reset, const volatile int* abortFlag,
                    volatile DWORD* progress, DWORD start, DWORD& value, DWORD& done, Use use) {
  // Rounding up stops at the end: past it, a finished run would count as unfinished and its CRC
  // be complemented once more.
  const ULONGLONG target =
      count == 0 || count > m_nSize ? m_nSize : std::min(m_nSize, (count + 3) & ~3ULL);
  const bool large = target >= kFourGigabytes;
  // The done-counters are 32 bits: a file of 4 GB or more is always run from its start.
  if (reset || large) {
    done = 0;
    value = start;
  }
  if (!large && done >= target) return false;

  HANDLE h = CreateFileA(m_sPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  OwnedHandle closer(h, CloseHandle);
  LONG high = 0;
  if (SetFilePointer(h, static_cast<LONG>(done), &high, FILE_BEGIN) == INVALID_SET_FILE_POINTER) {
    return false;
  }

  const DWORD chunk = target < kChunkSize ? static_cast<DWORD>(target) : kChunkSize;
  BYTE buffer[kChunkSize];
  do {
    DWORD got = 0;
    const BYTE* bytes = nullptr;
    if (!LumoReadFileView(h, buffer, chunk, &bytes, &got) || got == 0 || Aborted(abortFlag)) {
      break;
    }
    value = use(value, bytes, got);
    AddProgress(progress, got);
    done += got;
  } while (large || done < target);
  // The 32-bit done-counter cannot tell whether a file of 4 GB or more was read whole.
  return !large && done >= m_nSize;
}

DWORD CFileInfo::GetChecksum(ULONGLONG count, BOOL reset, const volatile int* abortFlag,
                             volatile DWORD* progress) {
  Run(count, reset, abortFlag, progress, 0, m_nChecksum, m_nChecksumDone,
      [](DWORD sum, const BYTE* p, DWORD n) { return sum + SumWords(p, n); });
  return m_nChecksum;
}

DWORD CFileInfo::GetCRC(ULONGLONG count, BOOL reset, const volatile int* abortFlag,
                        volatile DWORD* progress) {
  // The library's CRC takes and returns the complemented register, as zlib's does.
  const bool whole = Run(count, reset, abortFlag, progress, 0xFFFFFFFF, m_nCrc, m_nCrcDone,
                         [](DWORD reg, const BYTE* p, DWORD n) {
                           return ~static_cast<DWORD>(crc32_gzip_refl(~reg, p, n));
                         });
  // Only a file below 4 GB is ever whole: stored CRCs of larger files are the register.
  if (whole) m_nCrc = ~m_nCrc;
  return m_nCrc;
}

CFileInfoArray::CFileInfoArray() { SetSize(0, 50); }

CFileInfoArray::~CFileInfoArray() = default;

void CFileInfoArray::Serialize(CArchive&) {
  AfxThrowArchiveException(CArchiveException::genericException);
}

struct CFileInfoArray::DirWalk {
  // A directory being walked, and what tells it apart once asked: the walk enters a directory
  // reached through a link only when it is none of the directories it is inside already.
  struct Level {
    const CString& dir;
    const Level* parent;
    mutable bool identified = false;
    mutable LUMO_FILE_ID id{};
  };

  // The entries of one directory, kept while the walk is below it, and the texts made from its
  // path: one set per depth, reused from directory to directory so that their storage is too.
  struct Found {
    std::vector<WIN32_FIND_DATAA> subdirectories;
    std::vector<WIN32_FIND_DATAA> files;
    CString pattern;    // what a search of the directory asks for
    CString childPath;  // the subdirectory being walked, with a trailing separator
  };

  CFileInfoArray& array;
  const CString& mask;
  const bool everyName;  // the mask takes every name: one reading of a directory serves both rounds
  const bool recurse;
  const long order;
  const bool withDirs;
  const volatile int* const abortFlag;
  volatile DWORD* const progress;
  // Entries are described straight into the array's storage: AddFileInfo would append a copy
  // of each, and no derived class stands in between.
  const bool inPlace;
  std::vector<std::unique_ptr<Found>> found{};  // by depth

  // Appends the entries of dir, as AddFileInfo does when it appends, until the abort flag is
  // raised; returns how many. The array grows once for all of them.
  int AppendDescribed(const std::vector<WIN32_FIND_DATAA>& entries, const CString& dir) {
    const INT_PTR at = array.GetSize();
    INT_PTR end = at;
    array.SetSize(at + static_cast<INT_PTR>(entries.size()));
    try {
      for (const WIN32_FIND_DATAA& fd : entries) {
        array.ElementAt(end).Describe(fd, dir, 0);
        ++end;
        AddProgress(progress, 1);
        if (Aborted(abortFlag)) break;
      }
    } catch (...) {
      array.SetSize(end);
      throw;
    }
    array.SetSize(end);
    return static_cast<int>(end - at);
  }

  static bool Identify(const Level& level) {
    if (!level.identified) {
      level.identified = LumoGetFileIdA(level.dir, &level.id) != FALSE;
    }
    return level.identified;
  }

  // Whether the directory at path, reached through a link, leads back to a directory the walk
  // is inside; such a directory is listed but not entered again.
  static bool LeadsBack(const CString& path, const Level& inside) {
    LUMO_FILE_ID id;
    if (LumoGetFileIdA(path, &id) == FALSE) return true;
    for (const Level* level = &inside; level != nullptr; level = level->parent) {
      if (Identify(*level) && level->id.volume == id.volume && level->id.index == id.index) {
        return true;
      }
    }
    return false;
  }

  // Adds the entries of level.dir, depth levels below the walk's start, and what lies below it.
  int Add(const Level& level, size_t depth) {
    const CString& dir = level.dir;
    // One entry object serves the whole directory: its path keeps its storage from entry to entry.
    CFileInfo fi;
    int count = 0;
    auto add = [&](const WIN32_FIND_DATAA& fd) {
      fi.Describe(fd, dir, 0);
      array.AddFileInfo(fi, order);
      ++count;
      AddProgress(progress, 1);
    };

    // The directory is read in full, and closed, before anything below it: its subdirectories
    // come first, and with everyName its files wait in files until they are done.
    if (found.size() == depth) found.push_back(std::make_unique<Found>());
    Found& here = *found[depth];
    std::vector<WIN32_FIND_DATAA>& subdirectories = here.subdirectories;
    std::vector<WIN32_FIND_DATAA>& files = here.files;
    subdirectories.clear();
    files.clear();
    WIN32_FIND_DATAA fd;
    const DWORD searchFlags =
        LUMO_FIND_NO_DOT_ENTRIES | (withDirs ? 0 : LUMO_FIND_DIRECTORY_NAMES_ONLY);
    here.pattern = dir;
    here.pattern += '*';
    {
      OwnedHandle search(
          FindFirstFileExA(here.pattern, FindExInfoBasic, &fd,
                           everyName ? FindExSearchNameMatch : FindExSearchLimitToDirectories,
                           nullptr, searchFlags),
          FindClose);
      bool have = search.get() != INVALID_HANDLE_VALUE;
      for (; have && !Aborted(abortFlag); have = FindNextFileA(search.get(), &fd) != FALSE) {
        if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
          if (everyName) files.push_back(fd);
        } else {
          subdirectories.push_back(fd);
        }
      }
    }
    if (Aborted(abortFlag)) return count;

    for (const WIN32_FIND_DATAA& sub : subdirectories) {
      if (withDirs) add(sub);
      if (Aborted(abortFlag)) return count;
      if (recurse) {
        CString& path = here.childPath;
        path = dir;
        path += sub.cFileName;
        path += LUMO_PATH_SEPARATOR;
        if ((sub.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0 || !LeadsBack(path, level)) {
          count += Add(Level{path, &level}, depth + 1);
        }
      }
      if (Aborted(abortFlag)) return count;
    }

    if (!everyName) {
      here.pattern = dir;
      here.pattern += mask;
      HANDLE h =
          FindFirstFileExA(here.pattern, FindExInfoBasic, &fd, FindExSearchNameMatch, nullptr,
                           LUMO_FIND_NO_DOT_ENTRIES | LUMO_FIND_DIRECTORY_NAMES_ONLY);
      if (h == INVALID_HANDLE_VALUE) return count;
      OwnedHandle closer(h, FindClose);
      do {
        if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) files.push_back(fd);
      } while (!Aborted(abortFlag) && FindNextFileA(h, &fd));
    }
    if (inPlace) return count + AppendDescribed(files, dir);
    for (const WIN32_FIND_DATAA& file : files) {
      add(file);
      if (Aborted(abortFlag)) break;
    }
    return count;
  }
};

int CFileInfoArray::AddDir(CString dir, CString mask, BOOL recurse, long order, BOOL withDirs,
                           const volatile int* abortFlag, volatile DWORD* progress) {
  const bool plain = typeid(*this) == typeid(CFileInfoArray);
  // A plain array takes the walk's entries at its end and, for an order, places them when the
  // walk ends, also by an exception, where inserting each by a scan would have.
  DirWalk walk{*this,
               mask,
               mask == "*" || mask == "*.*",
               recurse != FALSE,
               plain ? kNoOrder : order,
               withDirs != FALSE,
               abortFlag,
               progress,
               plain};
  if (!(plain && Sorts(order))) return walk.Add(DirWalk::Level{dir, nullptr}, 0);
  struct Place {
    CFileInfoArray& array;
    const size_t kept;
    const EntryOrder before;
    ~Place() { PlaceArrivals(array.GetData(), kept, static_cast<size_t>(array.GetSize()), before); }
  } place{*this, static_cast<size_t>(GetSize()), EntryOrder{order}};
  return walk.Add(DirWalk::Level{dir, nullptr}, 0);
}

INT_PTR CFileInfoArray::AddFile(CString path, long order) {
  CFileInfo fi;
  fi.Create(path, 0);
  return AddFileInfo(fi, order);
}

INT_PTR CFileInfoArray::AddFileInfo(CFileInfo& fi, long order) {
  const INT_PTR size = GetSize();
  if (!Sorts(order)) return Add(fi);
  INT_PTR at = 0;
  const EntryOrder before{order};
  while (at < size && before(GetAt(at), fi)) ++at;
  InsertAt(at, fi);
  return at;
}
