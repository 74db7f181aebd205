// CFileInfo and CFileInfoArray against their peers, on the same bytes and the same tree:
// GetCRC over a 256 MiB file in the page cache against zlib's crc32 over the same bytes in
// memory; GetChecksum over that file against a plain read pass over the bytes in memory; AddDir
// over trees of 100,000 files against `find DIR -type f` listing them (the child process and its
// output to /dev/null included). The trees are 100 directories of 1,000 files (argument 0) and
// 10,000 directories of 10 files, 100 under each of 100 (argument 1). `find` lists names from the
// directory entries alone, while AddDir describes every entry with its size and times, which
// costs one status call per entry; `find DIR -type f -printf` of the size and times does the same
// work and is shown beside it, as is AddDir keeping the array in path order. The bare floor
// of that work is shown too: every directory read and every entry given one status call on one
// thread, as AddDir runs, with nothing kept.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "lumotools/util/file_info.h"

namespace {

namespace fs = std::filesystem;

constexpr size_t kFileBytes = 256u << 20;
constexpr int kTreeFiles = 100'000;

// The scratch data, made on first use and removed at exit.
class Data {
 public:
  static Data& Get() {
    static Data data;
    return data;
  }

  const std::string& file() const { return m_file; }
  const std::vector<unsigned char>& bytes() const { return m_bytes; }

  // Tree 0 or 1 (see above), with a trailing slash.
  const std::string& Tree(int shape) {
    std::string& tree = m_trees[shape];
    if (tree.empty()) {
      const fs::path root = m_root / ("tree" + std::to_string(shape));
      const int dirs = shape == 0 ? 100 : 10'000;
      for (int d = 0; d < dirs; ++d) {
        const fs::path dir =
            shape == 0 ? root / ("d" + std::to_string(d))
                       : root / ("d" + std::to_string(d / 100)) / ("e" + std::to_string(d % 100));
        fs::create_directories(dir);
        for (int f = 0; f < kTreeFiles / dirs; ++f) {
          std::ofstream(dir / ("file" + std::to_string(f) + ".dat")) << f;
        }
      }
      tree = root.string() + "/";
      WriteOut();
    }
    return tree;
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
    WriteOut();
  }
  // Writes what was just made to the disk, so that the kernel's writeback of it does not share
  // the time of the benchmarks that follow.
  static void WriteOut() { ::sync(); }

  ~Data() {
    std::error_code ignored;
    fs::remove_all(m_root, ignored);
  }

  fs::path m_root;
  std::string m_file;
  std::string m_trees[2];
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
  const CString tree(Data::Get().Tree(static_cast<int>(state.range(0))).c_str());
  for (auto _ : state) {
    CFileInfoArray array;
    if (array.AddDir(tree, "*.*", TRUE, 0, FALSE) != kTreeFiles) {
      state.SkipWithError("AddDir missed files");
    }
  }
  state.SetItemsProcessed(state.iterations() * kTreeFiles);
}
BENCHMARK(BM_FileInfoArray_AddDir)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// The same walk keeping the array in path order, as a host listing a tree for display does.
void BM_FileInfoArray_AddDirByPath(benchmark::State& state) {
  const CString tree(Data::Get().Tree(static_cast<int>(state.range(0))).c_str());
  for (auto _ : state) {
    CFileInfoArray array;
    if (array.AddDir(tree, "*.*", TRUE, CFileInfoArray::kByPathAscending, FALSE) != kTreeFiles) {
      state.SkipWithError("AddDir missed files");
    }
  }
  state.SetItemsProcessed(state.iterations() * kTreeFiles);
}
BENCHMARK(BM_FileInfoArray_AddDirByPath)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// Reads dir and every directory below it, making one status call per entry ("." and ".." are
// none) that asks what AddDir asks. Returns the number of files.
long ReadAndStat(const std::string& dir) {
  DIR* stream = ::opendir(dir.c_str());
  if (stream == nullptr) return 0;
  long files = 0;
  std::vector<std::string> subdirectories;
  while (const dirent* entry = ::readdir(stream)) {
    const char* name = entry->d_name;
    if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
    struct statx st;
    if (::statx(::dirfd(stream), entry->d_name, AT_NO_AUTOMOUNT, STATX_BASIC_STATS | STATX_BTIME,
                &st) != 0) {
      continue;
    }
    if (!S_ISDIR(st.stx_mode)) {
      ++files;
    } else {
      subdirectories.push_back(dir + name + "/");
    }
  }
  ::closedir(stream);
  for (const std::string& sub : subdirectories) files += ReadAndStat(sub);
  return files;
}

void BM_Bare_ReadAndStatTree(benchmark::State& state) {
  const std::string& tree = Data::Get().Tree(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    if (ReadAndStat(tree) != kTreeFiles) state.SkipWithError("entries missed");
  }
  state.SetItemsProcessed(state.iterations() * kTreeFiles);
}
BENCHMARK(BM_Bare_ReadAndStatTree)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// Microseconds of processor time (user and system) that waited-for children have used.
double ChildrenCpuMicroseconds() {
  struct rusage usage;
  ::getrusage(RUSAGE_CHILDREN, &usage);
  return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e6 + usage.ru_utime.tv_usec +
         usage.ru_stime.tv_usec;
}

// Runs find over the tree. Its processor time is the counter child_cpu_ms, to set beside the CPU
// column of AddDir when other work shares the cores and wall times stretch.
void RunFind(benchmark::State& state, const std::string& arguments) {
  const std::string command =
      "find '" + Data::Get().Tree(static_cast<int>(state.range(0))) + "' " + arguments;
  const double cpuBefore = ChildrenCpuMicroseconds();
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) state.SkipWithError("find failed");
  }
  state.SetItemsProcessed(state.iterations() * kTreeFiles);
  state.counters["child_cpu_ms"] = benchmark::Counter((ChildrenCpuMicroseconds() - cpuBefore) / 1e3,
                                                      benchmark::Counter::kAvgIterations);
}

void BM_Find_ListTree(benchmark::State& state) { RunFind(state, "-type f > /dev/null"); }
BENCHMARK(BM_Find_ListTree)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Find_ListTreeWithSizesAndTimes(benchmark::State& state) {
  RunFind(state, "-type f -printf '%s %A@ %T@ %p\\n' > /dev/null");
}
BENCHMARK(BM_Find_ListTreeWithSizesAndTimes)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
