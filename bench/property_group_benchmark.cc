// Storing and loading a CAnyPropertyGroup of N items of mixed value kinds to and from a memory
// file, N from 1,000 to 100,000. Reports archive bytes per second; the fitted complexity shows
// whether both directions stay linear.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "lumotools/platform/archive.h"
#include "lumotools/platform/mem_file.h"
#include "lumotools/property/property_group.h"

namespace {

boost::any ValueOfKind(int64_t i) {
  switch (i % 7) {
    case 0:
      return static_cast<int>(i);
    case 1:
      return static_cast<long>(-i);
    case 2:
      return 0.5 * static_cast<double>(i);
    case 3:
      return CString("a text value");
    case 4:
      return std::string("another text");
    case 5:
      return static_cast<unsigned char>(i);
    default:
      return static_cast<unsigned long>(i) * 3ul;
  }
}

CAnyPropertyGroup MakeGroup(int64_t items) {
  CAnyPropertyGroup group;
  group.GetPropertyItems().reserve(static_cast<size_t>(items));
  char name[32];
  for (int64_t i = 0; i < items; ++i) {
    std::snprintf(name, sizeof name, "prop%06lld", static_cast<long long>(i));
    group.AddPropItem(CAnyPropertyItem(static_cast<long>(2000 + i % 7), "Caption", name,
                                       ValueOfKind(i), true, ""));
  }
  return group;
}

std::vector<BYTE> StoreGroup(CAnyPropertyGroup& group) {
  CMemFile file;
  {
    CArchive ar(&file, CArchive::store);
    group.Serialize(ar);
  }
  std::vector<BYTE> bytes(static_cast<size_t>(file.GetLength()));
  file.SeekToBegin();
  file.Read(bytes.data(), static_cast<UINT>(bytes.size()));
  return bytes;
}

void BM_PropertyGroup_Store(benchmark::State& state) {
  CAnyPropertyGroup group = MakeGroup(state.range(0));
  ULONGLONG bytes = 0;
  for (auto _ : state) {
    CMemFile file;
    CArchive ar(&file, CArchive::store);
    group.Serialize(ar);
    ar.Close();
    bytes = file.GetLength();
    benchmark::DoNotOptimize(bytes);
  }
  state.SetComplexityN(state.range(0));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}
BENCHMARK(BM_PropertyGroup_Store)
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Complexity(benchmark::oN);

void BM_PropertyGroup_Load(benchmark::State& state) {
  CAnyPropertyGroup source = MakeGroup(state.range(0));
  std::vector<BYTE> bytes = StoreGroup(source);
  for (auto _ : state) {
    CAnyPropertyGroup group;
    CMemFile file(bytes.data(), static_cast<UINT>(bytes.size()));
    CArchive ar(&file, CArchive::load);
    group.Serialize(ar);
    benchmark::DoNotOptimize(group.GetPropertyItems().data());
  }
  state.SetComplexityN(state.range(0));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_PropertyGroup_Load)
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Complexity(benchmark::oN);

}  // namespace
