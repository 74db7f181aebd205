// Directory search and file reading over POSIX directories and descriptors.
#include "lumotools/platform/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

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
  if (name[0] == '.' && std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0) {
    attributes |= FILE_ATTRIBUTE_HIDDEN;
  }
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

// Describes the entry named fd->cFileName of the directory open as dirFd, whose directory-entry
// type is type. Returns false when the entry has vanished.
bool Describe(int dirFd, unsigned char type, WIN32_FIND_DATAA* fd) {
  struct statx st;
  if (!StatusOf(dirFd, fd->cFileName, &st)) return false;
  FillFromStatus(st, IsLink(dirFd, fd->cFileName, type), fd);
  return true;
}

// Describes the entries of directory-search batches on helper threads while the searching thread
// goes on. A thread offers a batch and then takes its entries in order as each is described:
// every thread working on a batch claims runs of entries from a common counter, so each entry is
// described exactly once, into its own slot, whichever thread does it. The searching thread
// describes a run itself only when the entry it needs next is unclaimed, so it never waits for a
// whole batch. Helpers take offered batches in order.
class DescribePool {
 public:
  // What is known of an entry of a batch.
  enum State : unsigned char { kPending, kFound, kVanished };

  struct Batch {
    int dirFd = -1;
    WIN32_FIND_DATAA* entries = nullptr;
    unsigned char* types = nullptr;  // the d_type of each entry
    std::atomic<unsigned char>* states = nullptr;
    size_t count = 0;
    std::atomic<size_t> next{0};
    std::atomic<int> workers{0};  // helpers working on the batch; rises only under the mutex
    bool offered = false;         // known to helpers; read and written by the searching thread
  };

  // The pool for the whole process, made on first use and kept until exit (its helpers may
  // still be asleep when static objects are destroyed).
  static DescribePool& Get() {
    static DescribePool* pool = new DescribePool;
    return *pool;
  }

  // Lets helpers start on batch, whose entries are all kPending. A batch of a few entries is
  // offered only when its reader will not need it at once (smallToo). REQUIRES: batch stays put
  // until Retire.
  void Offer(Batch& batch, bool smallToo) {
    batch.next.store(0, std::memory_order_relaxed);
    if (m_helpers == 0 || batch.count == 0 || (!smallToo && batch.count < kSharedBatch)) return;
    batch.offered = true;
    std::lock_guard<std::mutex> lock(m_mutex);
    m_offered.push_back(&batch);
    m_anyOffered.store(true, std::memory_order_relaxed);
    m_wake.notify_one();
  }

  // The state of entry i of an offered batch once it is described, describing it here when no
  // helper has claimed it. While a helper describes it, this thread describes runs of other
  // offered batches. REQUIRES: the entries before i are described.
  State Await(Batch& batch, size_t i) {
    for (unsigned looks = 1;; ++looks) {
      const auto state = static_cast<State>(batch.states[i].load(std::memory_order_acquire));
      if (state != kPending) return state;
      // The entries before i are claimed, so either i is the first unclaimed entry and the run
      // claimed here starts with it, or a helper holds i and the run is a later one.
      if (DescribeRun(batch)) continue;
      // Looking for other work takes the mutex: only now and then while nothing is found.
      if (looks % kLooksBetweenSearches == 1 && HelpElsewhere()) continue;
      if (looks % kLooksBeforeYield == 0) std::this_thread::yield();
    }
  }

  // Ends the work on an offered batch: no helper claims more of it, and this returns when no
  // helper touches it any more. Entries not described by then stay kPending.
  void Retire(Batch& batch) {
    batch.next.store(batch.count, std::memory_order_relaxed);
    if (!batch.offered) return;
    batch.offered = false;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      Unoffer(batch);
    }
    // No helper joins the batch from here on; those at work finish their current run.
    auto helpersGone = [&batch] { return batch.workers.load(std::memory_order_acquire) == 0; };
    if (SpinFor(helpersGone)) return;
    std::unique_lock<std::mutex> lock(m_mutex);
    m_idle.wait(lock, helpersGone);
  }

 private:
  // Batches smaller than this are described by their own thread alone when it needs them now.
  static constexpr size_t kSharedBatch = 32;
  // Entries claimed at a time.
  static constexpr size_t kRun = 16;
  // A thread waiting for an entry that a helper is describing gives up its core now and then.
  static constexpr unsigned kLooksBeforeYield = 4096;
  static constexpr unsigned kLooksBetweenSearches = 64;
  // While a search runs, batches follow each other within a few hundred microseconds, and waking
  // a sleeping thread costs tens of them: a helper looks for the next batch, and a retiring
  // thread for the helpers to leave, this long before sleeping.
  static constexpr std::chrono::microseconds kSpin{400};

  DescribePool() {
    const unsigned cores = std::thread::hardware_concurrency();
    m_helpers = cores > 1 ? std::min(cores - 1, 3u) : 0;
    for (unsigned i = 0; i < m_helpers; ++i) std::thread([this] { Help(); }).detach();
  }

  // Claims the next run of batch and describes it; false when every entry is claimed.
  static bool DescribeRun(Batch& batch) {
    const size_t first = batch.next.fetch_add(kRun, std::memory_order_relaxed);
    if (first >= batch.count) return false;
    const size_t end = std::min(first + kRun, batch.count);
    for (size_t i = first; i < end; ++i) {
      const bool found = Describe(batch.dirFd, batch.types[i], &batch.entries[i]);
      batch.states[i].store(found ? kFound : kVanished, std::memory_order_release);
    }
    return true;
  }

  // Describes a run of the oldest offered batch that has unclaimed entries, as a helper would;
  // false when none has.
  bool HelpElsewhere() {
    if (!m_anyOffered.load(std::memory_order_relaxed)) return false;
    Batch* batch = nullptr;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      for (Batch* offered : m_offered) {
        if (offered->next.load(std::memory_order_relaxed) < offered->count) {
          batch = offered;
          break;
        }
      }
      if (batch == nullptr) return false;
      batch->workers.fetch_add(1, std::memory_order_relaxed);
    }
    DescribeRun(*batch);
    if (batch->workers.fetch_sub(1, std::memory_order_release) == 1) {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_idle.notify_all();
    }
    return true;
  }

  // Waits up to kSpin for condition without sleeping; its last answer.
  template <typename Condition>
  static bool SpinFor(Condition condition) {
    const auto deadline = std::chrono::steady_clock::now() + kSpin;
    while (!condition()) {
      if (std::chrono::steady_clock::now() > deadline) return false;
    }
    return true;
  }

  // REQUIRES: the mutex is held.
  void Unoffer(const Batch& batch) {
    m_offered.erase(std::remove(m_offered.begin(), m_offered.end(), &batch), m_offered.end());
    m_anyOffered.store(!m_offered.empty(), std::memory_order_relaxed);
  }

  void Help() {
    for (;;) {
      SpinFor([this] { return m_anyOffered.load(std::memory_order_relaxed); });
      std::unique_lock<std::mutex> lock(m_mutex);
      m_wake.wait(lock, [this] { return !m_offered.empty(); });
      Batch* batch = m_offered.front();
      batch->workers.fetch_add(1, std::memory_order_relaxed);
      lock.unlock();
      while (DescribeRun(*batch)) {
      }
      lock.lock();
      // Every entry is claimed now: the next helper goes on to the following batch.
      Unoffer(*batch);
      if (batch->workers.fetch_sub(1, std::memory_order_release) == 1) m_idle.notify_all();
    }
  }

  unsigned m_helpers = 0;
  std::mutex m_mutex;
  std::condition_variable m_wake;  // a batch was offered
  std::condition_variable m_idle;  // a helper left its batch
  std::vector<Batch*> m_offered;   // batches on offer, oldest first
  // Whether m_offered holds any batch: read without the mutex to decide whether to take it.
  std::atomic<bool> m_anyOffered{false};
};

// Room for one batch of a search: capacity entries.
struct Slot {
  static constexpr size_t kLargestBatch = 512;

  explicit Slot(size_t capacity)
      : capacity(capacity),
        entries(new WIN32_FIND_DATAA[capacity]),
        types(new unsigned char[capacity]),
        states(new std::atomic<unsigned char>[capacity]) {
    batch.entries = entries.get();
    batch.types = types.get();
    batch.states = states.get();
  }

  const size_t capacity;
  std::unique_ptr<WIN32_FIND_DATAA[]> entries;
  std::unique_ptr<unsigned char[]> types;
  std::unique_ptr<std::atomic<unsigned char>[]> states;
  DescribePool::Batch batch;
};

// Slots outlive their searches: a walk over a tree opens a search per directory, and fresh
// storage each time would be faulted in page by page again.
class SlotCache {
 public:
  static std::unique_ptr<Slot> Take(size_t capacity) {
    SlotCache& cache = Get();
    std::lock_guard<std::mutex> lock(cache.m_mutex);
    for (auto it = cache.m_slots.rbegin(); it != cache.m_slots.rend(); ++it) {
      if ((*it)->capacity == capacity) {
        std::unique_ptr<Slot> slot = std::move(*it);
        cache.m_slots.erase(std::next(it).base());
        return slot;
      }
    }
    return std::make_unique<Slot>(capacity);
  }

  static void Give(std::unique_ptr<Slot> slot) {
    SlotCache& cache = Get();
    std::lock_guard<std::mutex> lock(cache.m_mutex);
    const auto alike = std::count_if(
        cache.m_slots.begin(), cache.m_slots.end(),
        [&slot](const std::unique_ptr<Slot>& kept) { return kept->capacity == slot->capacity; });
    if (alike < kKeptPerCapacity) cache.m_slots.push_back(std::move(slot));
  }

 private:
  // Enough for a walk that starts searches of several directories ahead, or for a few threads
  // searching at once.
  static constexpr std::ptrdiff_t kKeptPerCapacity = 8;

  static SlotCache& Get() {
    static SlotCache* cache = new SlotCache;
    return *cache;
  }

  std::mutex m_mutex;
  std::vector<std::unique_ptr<Slot>> m_slots;
};

// Hands a search's slot back to the cache.
struct SlotReturn {
  void operator()(Slot* slot) const { SlotCache::Give(std::unique_ptr<Slot>(slot)); }
};

class Search : public KernelObject {
 public:
  Search(DIR* dir, std::string mask, bool onlyDirectories)
      : m_dir(dir),
        m_mask(std::move(mask)),
        m_exact(!lumo_platform::HasWildcards(m_mask)),
        m_onlyDirectories(onlyDirectories) {}
  ~Search() override {
    if (m_current != nullptr) DescribePool::Get().Retire(m_current->batch);
    for (size_t i = 0; i < m_aheadCount; ++i) DescribePool::Get().Retire(m_ahead[i]->batch);
    ::closedir(m_dir);
  }

  // Fills fd with the first matching entry; false when there is none. A name without wildcards
  // is looked up directly, and the directory is read for a spelling in another case only when
  // the name itself is not there.
  bool First(WIN32_FIND_DATAA* fd) {
    if (!m_exact || m_mask.size() >= MAX_PATH) return Next(fd);
    struct stat st;
    if (::fstatat(::dirfd(m_dir), m_mask.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
      std::strcpy(fd->cFileName, m_mask.c_str());
      if (Describe(::dirfd(m_dir), S_ISLNK(st.st_mode) ? DT_LNK : DT_REG, fd) &&
          (!m_onlyDirectories || (fd->dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)) {
        m_done = true;
        return true;
      }
    }
    return Next(fd);
  }

  // Reads the first names and offers them for describing, to be handed out later by Next from
  // the first entry on.
  void StartAhead() {
    m_firstPending = true;
    if (!m_exact || m_mask.size() >= MAX_PATH) Fill();
  }

  // Fills fd with the next matching entry; false at the end.
  bool Next(WIN32_FIND_DATAA* fd) {
    if (m_firstPending) {
      m_firstPending = false;
      return First(fd);
    }
    for (;;) {
      DescribePool::Batch* batch = m_current == nullptr ? nullptr : &m_current->batch;
      while (batch != nullptr && m_next < batch->count) {
        const size_t i = m_next++;
        if (DescribePool::Get().Await(*batch, i) != DescribePool::kFound) continue;
        const WIN32_FIND_DATAA& entry = batch->entries[i];
        if (m_onlyDirectories && (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
          continue;
        }
        std::memcpy(fd, &entry, offsetof(WIN32_FIND_DATAA, cFileName));
        std::strcpy(fd->cFileName, entry.cFileName);
        fd->cAlternateFileName[0] = '\0';
        if (m_exact) m_done = true;
        return true;
      }
      if (!Advance()) return false;
    }
  }

  bool Done() const { return m_done; }

 private:
  // Names read at a time: a first batch small enough that a helper starts early, then larger
  // ones that keep the hand-overs few.
  static constexpr size_t kFirstBatch = 64;
  // Batches read and offered ahead of the one handed out.
  static constexpr size_t kAhead = 3;

  // Makes the next batch current; false at the end of the directory. The batches after it are
  // offered for describing before the caller reads their names, so that helpers describe them
  // while the caller reads and hands out entries.
  bool Advance() {
    if (m_current != nullptr) {
      // Handed out in full: once no helper touches it, its slot is free.
      DescribePool::Get().Retire(m_current->batch);
      m_current = nullptr;
    }
    Fill();
    if (m_aheadCount == 0) return false;
    m_current = m_ahead[0];
    m_next = 0;
    std::copy(m_ahead + 1, m_ahead + m_aheadCount, m_ahead);
    --m_aheadCount;
    ReadAhead();
    return true;
  }

  // Reads the first batches, once.
  void Fill() {
    if (m_started) return;
    m_started = true;
    while (m_aheadCount < kAhead && ReadAhead()) {
    }
  }

  // Reads the next names that match into a free slot and offers them; false when the directory
  // has no more. A small batch is worth sharing when it is not handed out at once: one read
  // behind the batch being handed out, or at the start of a search started ahead.
  bool ReadAhead() {
    if (m_atEnd) return false;
    auto* free = m_slots;
    while (*free &&
           (free->get() == m_current ||
            std::find(m_ahead, m_ahead + m_aheadCount, free->get()) != m_ahead + m_aheadCount)) {
      ++free;
    }
    const size_t wanted = m_batchSize;
    m_batchSize = std::min(m_batchSize * 2, Slot::kLargestBatch);
    if (!*free || (*free)->capacity < wanted) free->reset(SlotCache::Take(wanted).release());
    DescribePool::Batch& batch = (*free)->batch;
    batch.dirFd = ::dirfd(m_dir);
    batch.count = 0;
    while (batch.count < wanted) {
      const dirent* entry = ::readdir(m_dir);
      if (entry == nullptr) {
        m_atEnd = true;
        break;
      }
      const char* name = entry->d_name;
      if (std::strlen(name) >= MAX_PATH) continue;
      if (m_onlyDirectories && entry->d_type != DT_DIR && entry->d_type != DT_LNK &&
          entry->d_type != DT_UNKNOWN) {
        continue;
      }
      if (!lumo_platform::MatchesMask(name, m_mask)) continue;
      std::strcpy(batch.entries[batch.count].cFileName, name);
      batch.types[batch.count] = entry->d_type;
      batch.states[batch.count].store(DescribePool::kPending, std::memory_order_relaxed);
      ++batch.count;
    }
    if (batch.count == 0) return false;
    m_ahead[m_aheadCount++] = free->get();
    DescribePool::Get().Offer(batch, m_current != nullptr || m_firstPending);
    return true;
  }

  DIR* m_dir;
  const std::string m_mask;
  const bool m_exact;  // a mask without wildcards names one entry
  const bool m_onlyDirectories;
  bool m_done = false;
  bool m_firstPending = false;  // started ahead: Next hands out the first entry
  bool m_started = false;
  bool m_atEnd = false;  // readdir has reported the end of the directory
  size_t m_batchSize = kFirstBatch;
  // Storage for the batch handed out and those ahead, made as needed.
  std::unique_ptr<Slot, SlotReturn> m_slots[kAhead + 1];
  Slot* m_current = nullptr;  // the batch being handed out, the next entry at m_next
  size_t m_next = 0;
  Slot* m_ahead[kAhead] = {};  // batches offered for describing, in directory order
  size_t m_aheadCount = 0;
};

Search* AsSearch(HANDLE h) {
  if (h == nullptr || h == INVALID_HANDLE_VALUE) return nullptr;
  return dynamic_cast<Search*>(lumo_platform::FromHandle(h));
}

// Opens a search for the pattern lpFileName (a directory followed by a mask); nullptr when the
// pattern has no mask or the directory cannot be read.
Search* OpenSearch(LPCSTR lpFileName, FINDEX_SEARCH_OPS fSearchOp) {
  const std::string pattern = NativePath(lpFileName);
  const size_t slash = pattern.rfind('/');
  std::string directory = slash == std::string::npos ? "." : pattern.substr(0, slash + 1);
  std::string mask = slash == std::string::npos ? pattern : pattern.substr(slash + 1);
  if (mask.empty()) return nullptr;
  DIR* dir = ::opendir(directory.c_str());
  if (dir == nullptr) return nullptr;
  return new Search(dir, std::move(mask), fSearchOp == FindExSearchLimitToDirectories);
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
                        FINDEX_SEARCH_OPS fSearchOp, LPVOID lpSearchFilter, DWORD) {
  if (lpFileName == nullptr || lpFindFileData == nullptr || lpSearchFilter != nullptr) {
    return INVALID_HANDLE_VALUE;
  }
  Search* search = OpenSearch(lpFileName, fSearchOp);
  if (search == nullptr) return INVALID_HANDLE_VALUE;
  if (!search->First(static_cast<LPWIN32_FIND_DATAA>(lpFindFileData))) {
    delete search;
    return INVALID_HANDLE_VALUE;
  }
  return lumo_platform::ToHandle(search);
}

HANDLE LumoFindStartA(LPCSTR lpFileName, FINDEX_SEARCH_OPS fSearchOp) {
  if (lpFileName == nullptr) return INVALID_HANDLE_VALUE;
  Search* search = OpenSearch(lpFileName, fSearchOp);
  if (search == nullptr) return INVALID_HANDLE_VALUE;
  search->StartAhead();
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
