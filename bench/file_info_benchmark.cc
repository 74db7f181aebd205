// CFileInfo and CFileInfoArray against their peers, on the same bytes and the same tree:
// GetCRC over a 256 MiB file in the page cache against zlib's crc32 over the same bytes in
// memory; GetChecksum over that file against a plain read pass over the bytes in memory; AddDir
// over a tree of 100,000 files against `find DIR -type f` listing it (the child process and its
// output to /dev/null included). `find` lists names from the directory entries alone, while
// AddDir describes every entry with its size and times, which costs one status call per file;
// `find DIR -type f -printf` of the size and times does the same work and is shown beside it.
// The bare floor of that work is shown too: every directory read and every entry given one
// status call, the directories split evenly over the cores, with nothing kept.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "lumotools/util/file_info.h"

namespace {

namespace fs = std::filesystem;

constexpr size_t kFileBytes = 256u << 20;
constexpr int kTreeDirs = 100;
constexpr int kFilesPerDir = 1000;

// The scratch data, made on first use and removed at exit.
class Data {
 public:
  static Data& Get() {
    static Data data;
    return data;
  }

  const std::string& file() const { return m_file; }
  const std::vector<unsigned char>& bytes() const { return m_bytes; }

  // The tree of kTreeDirs directories of kFilesPerDir small files each, with a trailing slash.
  const std::string& Tree() {
    if (m_tree.empty()) {
      const fs::path root = m_root / "tree";
      for (int d = 0; d < kTreeDirs; ++d) {
        const fs::path dir = root / ("d" + std::to_string(d));
        fs::create_directories(dir);
        for (int f = 0; f < kFilesPerDir; ++f) {
          std::ofstream(dir / ("file" + std::to_string(f) + ".dat")) << f;
        }
      }
      m_tree = root.string() + "/";
    }
    return m_tree;
  }

 private:
  Data() : m_root(fs::temp_directory_path() / ("lumo_bench_" + std::to_string(::getpid()))) {
    fs::create_directories(m_root);
    m_bytes.resize(kFileBytes);
    std::mt19937_64 rng(1);
    for (size_t i = 0; i < kFileBytes; i += 8) {
      const uint64_t word = rng();
      std::memcpy(&m_bytes[i], &word, 8);
    }
    m_file = (m_root / "big.bin").string();
    std::ofstream(m_file, std::ios::binary)
        .write(reinterpret_cast<const char*>(m_bytes.data()), kFileBytes);
  }
  ~Data() {
    std::error_code ignored;
    fs::remove_all(m_root, ignored);
  }

  fs::path m_root;
  std::string m_file;
  std::string m_tree;
  std::vector<unsigned char> m_bytes;
};

CFileInfo BigFile() {
  CFileInfo fi;
  fi.Create(CString(Data::Get().file().c_str()), 0);
  fi.GetChecksum(0, TRUE);  // into the page cache
  return fi;
}

void BM_FileInfo_GetCRC(benchmark::State& state) {
  CFileInfo fi = BigFile();
  for (auto _ : state) benchmark::DoNotOptimize(fi.GetCRC(0, TRUE));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(kFileBytes));
}
BENCHMARK(BM_FileInfo_GetCRC)->Unit(benchmark::kMillisecond);

void BM_Zlib_Crc32InMemory(benchmark::State& state) {
  const std::vector<unsigned char>& bytes = Data::Get().bytes();
  for (auto _ : state) benchmark::DoNotOptimize(crc32_z(0, bytes.data(), bytes.size()));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(kFileBytes));
}
BENCHMARK(BM_Zlib_Crc32InMemory)->Unit(benchmark::kMillisecond);

void BM_FileInfo_GetChecksum(benchmark::State& state) {
  CFileInfo fi = BigFile();
  for (auto _ : state) benchmark::DoNotOptimize(fi.GetChecksum(0, TRUE));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(kFileBytes));
}
BENCHMARK(BM_FileInfo_GetChecksum)->Unit(benchmark::kMillisecond);

// Reads every 64-bit word once and folds them together: as cheap as touching the bytes gets.
void BM_Memory_ReadPass(benchmark::State& state) {
  const std::vector<unsigned char>& bytes = Data::Get().bytes();
  for (auto _ : state) {
    uint64_t folded = 0;
    for (size_t i = 0; i < bytes.size(); i += 8) {
      uint64_t word;
      std::memcpy(&word, &bytes[i], 8);
      folded ^= word;
    }
    benchmark::DoNotOptimize(folded);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(kFileBytes));
}
BENCHMARK(BM_Memory_ReadPass)->Unit(benchmark::kMillisecond);

void BM_FileInfoArray_AddDir(benchmark::State& state) {
  const CString tree(Data::Get().Tree().c_str());
  for (auto _ : state) {
    CFileInfoArray array;
    const int added = array.AddDir(tree, "*.*", TRUE, 0, FALSE);
    if (added != kTreeDirs * kFilesPerDir) state.SkipWithError("AddDir missed files");
  }
  state.SetItemsProcessed(state.iterations() * kTreeDirs * kFilesPerDir);
}
BENCHMARK(BM_FileInfoArray_AddDir)->Unit(benchmark::kMillisecond);

// Reads every directory of the tree and makes one status call per entry, asking what AddDir
// asks; the directories are split over the cores. Returns the number of entries.
long ReadAndStatTree(const std::string& tree) {
  const unsigned threads = std::max(1u, std::thread::hardware_concurrency());
  std::vector<long> entries(threads, 0);
  std::vector<std::thread> workers;
  for (unsigned t = 0; t < threads; ++t) {
    workers.emplace_back([&tree, &entries, t, threads] {
      long found = 0;
      for (unsigned d = t; d < static_cast<unsigned>(kTreeDirs); d += threads) {
        DIR* dir = ::opendir((tree + "d" + std::to_string(d)).c_str());
        if (dir == nullptr) continue;
        while (const dirent* entry = ::readdir(dir)) {
          struct statx st;
          if (::statx(::dirfd(dir), entry->d_name, AT_NO_AUTOMOUNT, STATX_BASIC_STATS | STATX_BTIME,
                      &st) == 0) {
            ++found;
          }
        }
        ::closedir(dir);
      }
      entries[t] = found;
    });
  }
  for (std::thread& worker : workers) worker.join();
  long total = 0;
  for (long n : entries) total += n;
  return total;
}

void BM_Bare_ReadAndStatTree(benchmark::State& state) {
  const std::string& tree = Data::Get().Tree();
  for (auto _ : state) {
    // Each directory's files plus its "." and "..".
    if (ReadAndStatTree(tree) != kTreeDirs * (kFilesPerDir + 2)) {
      state.SkipWithError("entries missed");
    }
  }
  state.SetItemsProcessed(state.iterations() * kTreeDirs * kFilesPerDir);
}
BENCHMARK(BM_Bare_ReadAndStatTree)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Find_ListTree(benchmark::State& state) {
  const std::string command = "find '" + Data::Get().Tree() + "' -type f > /dev/null";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) state.SkipWithError("find failed");
  }
  state.SetItemsProcessed(state.iterations() * kTreeDirs * kFilesPerDir);
}
BENCHMARK(BM_Find_ListTree)->Unit(benchmark::kMillisecond);

void BM_Find_ListTreeWithSizesAndTimes(benchmark::State& state) {
  const std::string command =
      "find '" + Data::Get().Tree() + "' -type f -printf '%s %A@ %T@ %p\\n' > /dev/null";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) state.SkipWithError("find failed");
  }
  state.SetItemsProcessed(state.iterations() * kTreeDirs * kFilesPerDir);
}
BENCHMARK(BM_Find_ListTreeWithSizesAndTimes)->Unit(benchmark::kMillisecond);

}  // namespace
