// A call by name through the formula function table against the direct call it wraps: "sin"
// with a text argument, and mf_sin followed by the number text of its result.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "lumotools/formula/build_in_fun.h"
#include "lumotools/formula/ex_fun_table.h"
#include "lumotools/formula/number_text.h"

namespace {

const char* const kArguments[] = {"0.5", "1.25", "-0.75", "3", "2.718", "-1.5707", "0.001", "12"};
const double kValues[] = {0.5, 1.25, -0.75, 3, 2.718, -1.5707, 0.001, 12};
constexpr size_t kCount = sizeof kValues / sizeof kValues[0];

void BM_ExFunTable_ExecuteSin(benchmark::State& state) {
  CExFunTable table;
  const std::string name = "sin";
  std::vector<CString> arguments(kArguments, kArguments + kCount);
  const CString none;
  size_t i = 0;
  for (auto _ : state) {
    CString text = table.Execute(name, arguments[i], none, none, none, none);
    benchmark::DoNotOptimize(text);
    i = (i + 1) % kCount;
  }
}
BENCHMARK(BM_ExFunTable_ExecuteSin);

void BM_ExFunTable_DirectSin(benchmark::State& state) {
  CBuildInFun& functions = CBuildInFun::Instance();
  size_t i = 0;
  for (auto _ : state) {
    double value = kValues[i];
    benchmark::DoNotOptimize(value);
    CString text = FormatNumberText(functions.mf_sin(value));
    benchmark::DoNotOptimize(text);
    i = (i + 1) % kCount;
  }
}
BENCHMARK(BM_ExFunTable_DirectSin);

// The lookup alone, for the whole table's names in mixed case.
void BM_ExFunTable_GetFunctor(benchmark::State& state) {
  CExFunTable table;
  const std::vector<std::string> names = {"SIN", "max3", "Popmsg_S", "intpart", "ABS", "tan"};
  size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(table.GetFunctor(names[i]));
    i = (i + 1) % names.size();
  }
}
BENCHMARK(BM_ExFunTable_GetFunctor);

}  // namespace
