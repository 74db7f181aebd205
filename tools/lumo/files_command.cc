// lumo files DIR [--mask M] [--recurse] [--dirs] [--order CODE] [--crc] [--checksum]
//
// Lists the entries of DIR with their size, times and the requested sums. While standard error
// is a terminal, a long run shows its progress there. Ctrl-C stops the run through the abort
// flag: what was computed so far is printed and the exit status is 130.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "commands.h"
#include "json_output.h"
#include "lumotools/platform.h"
#include "lumotools/util.h"

namespace lumo_cli {
namespace {

// Set by Ctrl-C; the library reads it as its abort flag.
volatile int g_interrupted = 0;

void OnInterrupt(int) { g_interrupted = 1; }

bool Interrupted() { return __atomic_load_n(&g_interrupted, __ATOMIC_ACQUIRE) != 0; }

struct FilesOptions {
  std::string dir;
  std::string mask = "*";
  bool recurse = false;
  bool dirs = false;
  long order = CFileInfoArray::kNoOrder;
  bool crc = false;
  bool checksum = false;
  bool json = false;
};

// A line on standard error that shows how far a run has got, redrawn from its own thread ten
// times a second once the run has taken longer than half a second. Silent when disabled.
class ProgressLine {
 public:
  explicit ProgressLine(bool enabled) : m_enabled(enabled) {
    if (m_enabled) m_thread = std::thread([this] { Draw(); });
  }
  ~ProgressLine() { Stop(); }
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  // The counter the library adds to: entries while listing, bytes of the current file while
  // summing.
  volatile DWORD* counter() { return &m_counter; }

  // Switches from counting entries to a bar over totalBytes.
  void StartSums(ULONGLONG totalBytes) {
    m_totalBytes.store(totalBytes);
    m_summing.store(true);
  }
  // Before each file: folds the finished file into the done bytes and zeroes the counter.
  void NextFile() { m_doneBytes.fetch_add(__atomic_exchange_n(&m_counter, 0, __ATOMIC_ACQ_REL)); }

  // Stops drawing and clears the line.
  void Stop() {
    if (!m_thread.joinable()) return;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_stop = true;
    }
    m_wake.notify_all();
    m_thread.join();
    if (m_drawn) std::fputs("\r\033[K", stderr);
  }

 private:
  void Draw() {
    using namespace std::chrono_literals;
    const auto start = std::chrono::steady_clock::now();
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_wake.wait_for(lock, 100ms, [this] { return m_stop; })) {
      if (std::chrono::steady_clock::now() - start < 500ms) continue;
      const DWORD counter = __atomic_load_n(&m_counter, __ATOMIC_ACQUIRE);
      if (!m_summing.load()) {
        std::fprintf(stderr, "\rlisting: %u entries\033[K", counter);
      } else {
        const ULONGLONG total = m_totalBytes.load();
        const ULONGLONG done = std::min(total, m_doneBytes.load() + counter);
        const int percent = total == 0 ? 100 : static_cast<int>(done * 100 / total);
        const int filled = percent / 5;
        std::fprintf(stderr, "\r[%s%s] %3d%%  %.1f of %.1f MiB\033[K",
                     std::string(filled, '#').c_str(), std::string(20 - filled, '.').c_str(),
                     percent, done / 1048576.0, total / 1048576.0);
      }
      std::fflush(stderr);
      m_drawn = true;
    }
  }

  const bool m_enabled;
  volatile DWORD m_counter = 0;
  std::atomic<bool> m_summing{false};
  std::atomic<ULONGLONG> m_totalBytes{0};
  std::atomic<ULONGLONG> m_doneBytes{0};
  std::mutex m_mutex;
  std::condition_variable m_wake;
  bool m_stop = false;
  bool m_drawn = false;
  std::thread m_thread;
};

// Installs the Ctrl-C handler for the lifetime of the object.
class InterruptScope {
 public:
  InterruptScope() : m_previous(std::signal(SIGINT, OnInterrupt)) { g_interrupted = 0; }
  ~InterruptScope() { std::signal(SIGINT, m_previous); }
  InterruptScope(const InterruptScope&) = delete;
  InterruptScope& operator=(const InterruptScope&) = delete;

 private:
  void (*m_previous)(int);
};

struct Sums {
  bool crcDone = false;
  bool checksumDone = false;
  DWORD crc = 0;
  DWORD checksum = 0;
};

std::string TimeText(const CTime& t) {
  return t.GetTime() == 0 ? "-" : t.Format("%Y-%m-%d %H:%M:%S").str();
}

std::string HexOrDash(bool done, DWORD value) {
  char text[16];
  std::snprintf(text, sizeof text, "%08X", value);
  return done ? text : "--------";
}

void Print(const FilesOptions& options, const CFileInfoArray& array,
           const std::vector<Sums>& sums) {
  std::printf("%12s  %-19s  %-19s  %-19s  ", "size", "created", "accessed", "written");
  if (options.crc) std::printf("%-8s  ", "crc32");
  if (options.checksum) std::printf("%-8s  ", "checksum");
  std::printf("path\n");
  for (INT_PTR i = 0; i < array.GetSize(); ++i) {
    const CFileInfo& fi = array[i];
    const std::string size =
        fi.IsDirectory() ? "<DIR>"
                         : std::to_string(static_cast<unsigned long long>(fi.GetLength64()));
    std::printf("%12s  %-19s  %-19s  %-19s  ", size.c_str(), TimeText(fi.GetCreationTime()).c_str(),
                TimeText(fi.GetLastAccessTime()).c_str(), TimeText(fi.GetLastWriteTime()).c_str());
    if (options.crc) std::printf("%s  ", HexOrDash(sums[i].crcDone, sums[i].crc).c_str());
    if (options.checksum) {
      std::printf("%s  ", HexOrDash(sums[i].checksumDone, sums[i].checksum).c_str());
    }
    std::printf("%s\n", fi.GetFilePath().GetString());
  }
  std::fflush(stdout);
}

// ISO 8601 in UTC ("2026-12-06T11:37:00Z"), or null for a time the file system does not record.
Json IsoTime(const CTime& t) {
  if (t.GetTime() == 0) return nullptr;
  const std::time_t seconds = static_cast<std::time_t>(t.GetTime());
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", std::gmtime(&seconds));
  return text;
}

void PrintAsJson(const FilesOptions& options, const CFileInfoArray& array,
                 const std::vector<Sums>& sums) {
  Json entries = Json::array();
  ULONGLONG files = 0, directories = 0, bytes = 0;
  for (INT_PTR i = 0; i < array.GetSize(); ++i) {
    const CFileInfo& fi = array[i];
    const bool directory = fi.IsDirectory() != 0;
    Json entry = {{"path", fi.GetFilePath().str()},
                  {"directory", directory},
                  {"size", directory ? Json() : Json(fi.GetLength64())},
                  {"created", IsoTime(fi.GetCreationTime())},
                  {"accessed", IsoTime(fi.GetLastAccessTime())},
                  {"written", IsoTime(fi.GetLastWriteTime())}};
    const Sums& s = sums[static_cast<size_t>(i)];
    if (options.crc) entry["crc32"] = s.crcDone ? Json(HexOrDash(true, s.crc)) : Json();
    if (options.checksum) {
      entry["checksum"] = s.checksumDone ? Json(HexOrDash(true, s.checksum)) : Json();
    }
    entries.push_back(std::move(entry));
    if (directory) {
      ++directories;
    } else {
      ++files;
      bytes += fi.GetLength64();
    }
  }
  PrintJson({{"dir", options.dir},
             {"entries", entries},
             {"totals", {{"files", files}, {"directories", directories}, {"bytes", bytes}}},
             {"interrupted", Interrupted()}});
}

// Runs one sum over a file; false when it did not cover the whole file (stopped or unreadable).
template <class SumCall>
bool SumWhole(CFileInfo& fi, ProgressLine& progress, SumCall call, DWORD* value) {
  progress.NextFile();
  *value = call(fi, progress.counter());
  return __atomic_load_n(progress.counter(), __ATOMIC_ACQUIRE) >= fi.GetLength64();
}

void ListFiles(const FilesOptions& options) {
  std::string dir = options.dir;
  if (dir.empty()) throw CommandFailure("no directory given");
  if (dir.back() != '/' && dir.back() != '\\') dir += LUMO_PATH_SEPARATOR;
  WIN32_FIND_DATAA found;
  HANDLE h = FindFirstFileA((dir + ".").c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) throw CommandFailure("cannot read directory " + options.dir);
  FindClose(h);

  InterruptScope interrupt;
  ProgressLine progress(CrtIsatty(2) != 0);
  CFileInfoArray array;
  try {
    array.AddDir(CString(dir), CString(options.mask), options.recurse, options.order, options.dirs,
                 &g_interrupted, progress.counter());
  } catch (CException* e) {
    const std::string reason = e->GetDescription().str();
    e->Delete();
    throw CommandFailure("cannot list " + options.dir + ": " + reason +
                         " (a file time outside 1970 to 3000)");
  }

  std::vector<Sums> sums(static_cast<size_t>(array.GetSize()));
  std::vector<std::string> unreadable;
  if ((options.crc || options.checksum) && !Interrupted()) {
    ULONGLONG total = 0;
    for (INT_PTR i = 0; i < array.GetSize(); ++i) {
      if (!array[i].IsDirectory()) total += array[i].GetLength64();
    }
    progress.StartSums(total * ((options.crc ? 1 : 0) + (options.checksum ? 1 : 0)));
    for (INT_PTR i = 0; i < array.GetSize() && !Interrupted(); ++i) {
      CFileInfo& fi = array[i];
      if (fi.IsDirectory()) continue;
      Sums& s = sums[static_cast<size_t>(i)];
      bool whole = true;
      if (options.crc) {
        s.crcDone = whole = SumWhole(
            fi, progress,
            [](CFileInfo& f, volatile DWORD* counter) {
              return f.GetCRC(0, TRUE, &g_interrupted, counter);
            },
            &s.crc);
      }
      if (options.checksum && whole && !Interrupted()) {
        s.checksumDone = whole = SumWhole(
            fi, progress,
            [](CFileInfo& f, volatile DWORD* counter) {
              return f.GetChecksum(0, TRUE, &g_interrupted, counter);
            },
            &s.checksum);
      }
      if (!whole && !Interrupted()) unreadable.push_back(fi.GetFilePath().str());
    }
  }
  progress.Stop();
  for (const std::string& path : unreadable) {
    std::fprintf(stderr, "lumo: cannot read %s; its sums are left out\n", path.c_str());
  }
  if (options.json) {
    PrintAsJson(options, array, sums);
  } else {
    Print(options, array, sums);
  }
  if (Interrupted()) throw CommandInterrupted();
}

}  // namespace

void AddFilesCommand(CLI::App& app) {
  auto options = std::make_shared<FilesOptions>();
  CLI::App* files = app.add_subcommand(
      "files", "List the entries of a directory with size, times and optional sums");
  files->add_option("dir", options->dir, "Directory to list")->required();
  files
      ->add_option("--mask", options->mask,
                   "Files to list, with * and ? (case-insensitive); directories are not filtered")
      ->capture_default_str();
  files->add_flag("--recurse", options->recurse, "Descend into subdirectories");
  files->add_flag("--dirs", options->dirs, "List the directories themselves too");
  const std::map<std::string, long> orders{{"none", CFileInfoArray::kNoOrder},
                                           {"size", CFileInfoArray::kBySizeAscending},
                                           {"size-desc", CFileInfoArray::kBySizeDescending},
                                           {"path", CFileInfoArray::kByPathAscending},
                                           {"path-desc", CFileInfoArray::kByPathDescending}};
  files
      ->add_option("--order", options->order,
                   "Order: none (0), size (2), size-desc (3), path (4), path-desc (5)")
      ->transform(CLI::CheckedTransformer(orders, CLI::ignore_case));
  files->add_flag("--crc", options->crc, "Show the CRC-32 of each file");
  files->add_flag("--checksum", options->checksum,
                  "Show the 32-bit additive checksum of each file");
  files->add_flag("--json", options->json, "Print one JSON document (see the README)");
  files->callback([options] { ListFiles(*options); });
}

}  // namespace lumo_cli
