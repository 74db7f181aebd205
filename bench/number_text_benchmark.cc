// The number text of a double: the library's integer rounding against the route that formats
// with snprintf("%f") and cuts the text, over a mix of ordinary values.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "lumotools/formula/number_text.h"

namespace {

CString NumberTextByPrintf(double value) {
  const double half = value < -1.1754943508222875e-38 ? -0.5 : 0.5;
  CString text;
  text.Format("%f", value + half / 10.0 / 10.0 / 10.0);
  const int point = text.Find('.');
  if (point >= 0) {
    if (point + 4 < text.GetLength()) text = text.Left(point + 4);
    text.TrimRight('0');
    text.TrimRight('.');
  }
  return text;
}

// Lengths, areas and angles as a take-off produces them: mostly a few digits before and after
// the point, some whole numbers, some large.
std::vector<double> SampleValues() {
  std::mt19937_64 random(42);
  std::uniform_real_distribution<double> measure(-5000.0, 5000.0);
  std::vector<double> values;
  for (int i = 0; i < 4096; ++i) {
    switch (i % 4) {
      case 0:
        values.push_back(measure(random));
        break;
      case 1:
        values.push_back(static_cast<double>(static_cast<int>(measure(random))));
        break;
      case 2:
        values.push_back(measure(random) / 1000.0);
        break;
      default:
        values.push_back(measure(random) * 1e6);
        break;
    }
  }
  return values;
}

template <CString (*Format)(double)>
void RunOver(benchmark::State& state) {
  const std::vector<double> values = SampleValues();
  size_t i = 0;
  for (auto _ : state) {
    CString text = Format(values[i]);
    benchmark::DoNotOptimize(text);
    i = (i + 1) % values.size();
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_NumberText_Library(benchmark::State& state) { RunOver<FormatNumberText>(state); }
BENCHMARK(BM_NumberText_Library);

void BM_NumberText_Snprintf(benchmark::State& state) { RunOver<NumberTextByPrintf>(state); }
BENCHMARK(BM_NumberText_Snprintf);

}  // namespace
