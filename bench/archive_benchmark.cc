// CArchive over a CMemFile against memcpy of the same bytes, for 4-byte integers and for short
// strings. Bytes processed are the archive bytes (for strings: the length byte and 8 characters).
// Integers run at two sizes: 4 MiB, which stays in the processor's caches where memcpy is at its
// fastest, and 64 MiB, which goes to main memory.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "lumotools/platform/archive.h"
#include "lumotools/platform/mem_file.h"

namespace {

constexpr int kStrings = 1 << 18;
constexpr int kStringBytes = 9;

void BM_Memcpy_Ints(benchmark::State& state) {
  const int kInts = static_cast<int>(state.range(0));
  std::vector<int> source(kInts);
  for (int i = 0; i < kInts; ++i) source[i] = i;
  std::vector<unsigned char> target(sizeof(int) * kInts);
  for (auto _ : state) {
    std::memcpy(target.data(), source.data(), target.size());
    benchmark::DoNotOptimize(target.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(target.size()));
}
BENCHMARK(BM_Memcpy_Ints)->Arg(1 << 20)->Arg(16 << 20);

// The memory file is reused across iterations, as memcpy reuses its target, so that both write
// into memory that is already mapped.
void BM_Archive_StoreInts(benchmark::State& state) {
  const int kInts = static_cast<int>(state.range(0));
  CMemFile file;
  for (auto _ : state) {
    file.SeekToBegin();
    CArchive ar(&file, CArchive::store);
    for (int i = 0; i < kInts; ++i) ar << i;
    ar.Close();
    benchmark::DoNotOptimize(file.GetLength());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(sizeof(int)) * kInts);
}
BENCHMARK(BM_Archive_StoreInts)->Arg(1 << 20)->Arg(16 << 20);

void BM_Archive_LoadInts(benchmark::State& state) {
  const int kInts = static_cast<int>(state.range(0));
  std::vector<int> source(kInts);
  for (int i = 0; i < kInts; ++i) source[i] = i;
  for (auto _ : state) {
    CMemFile file(reinterpret_cast<BYTE*>(source.data()), static_cast<UINT>(sizeof(int)) * kInts);
    CArchive ar(&file, CArchive::load);
    int sum = 0;
    for (int i = 0; i < kInts; ++i) {
      int value;
      ar >> value;
      sum += value;
    }
    benchmark::DoNotOptimize(sum);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(sizeof(int)) * kInts);
}
BENCHMARK(BM_Archive_LoadInts)->Arg(1 << 20)->Arg(16 << 20);

void BM_Memcpy_ShortStrings(benchmark::State& state) {
  std::vector<unsigned char> source(static_cast<size_t>(kStringBytes) * kStrings, 'a');
  std::vector<unsigned char> target(source.size());
  for (auto _ : state) {
    std::memcpy(target.data(), source.data(), target.size());
    benchmark::DoNotOptimize(target.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(source.size()));
}
BENCHMARK(BM_Memcpy_ShortStrings);

void BM_Archive_StoreShortStrings(benchmark::State& state) {
  const CString text("abcdefgh");
  CMemFile file;
  for (auto _ : state) {
    file.SeekToBegin();
    CArchive ar(&file, CArchive::store);
    for (int i = 0; i < kStrings; ++i) ar << text;
    ar.Close();
    benchmark::DoNotOptimize(file.GetLength());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(kStringBytes) * kStrings);
}
BENCHMARK(BM_Archive_StoreShortStrings);

void BM_Archive_LoadShortStrings(benchmark::State& state) {
  std::vector<unsigned char> source;
  for (int i = 0; i < kStrings; ++i) {
    source.push_back(8);
    source.insert(source.end(), {'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h'});
  }
  for (auto _ : state) {
    CMemFile file(source.data(), static_cast<UINT>(source.size()));
    CArchive ar(&file, CArchive::load);
    CString text;
    size_t total = 0;
    for (int i = 0; i < kStrings; ++i) {
      ar >> text;
      total += static_cast<size_t>(text.GetLength());
    }
    benchmark::DoNotOptimize(total);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(source.size()));
}
BENCHMARK(BM_Archive_LoadShortStrings);

}  // namespace
