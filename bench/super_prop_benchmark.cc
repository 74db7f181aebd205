// Kv_SuperProp to bytes and back, over bag sizes up to 100,000 entries; the fitted complexity
// shows whether the round trip stays linear.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "lumotools/property/super_prop.h"

namespace {

Kv_SuperProp MakeBag(int64_t entries) {
  Kv_SuperProp bag;
  char name[32];
  for (int64_t i = 0; i < entries; ++i) {
    std::snprintf(name, sizeof name, "prop%08lld", static_cast<long long>(i));
    bag.m_mapVars[name] = "value of a property";
  }
  return bag;
}

void BM_SuperProp_RoundTrip(benchmark::State& state) {
  const Kv_SuperProp bag = MakeBag(state.range(0));
  for (auto _ : state) {
    Kv_SuperProp back;
    back.FromByteArray(bag.ToByteArray());
    benchmark::DoNotOptimize(back.m_mapVars.size());
  }
  state.SetComplexityN(state.range(0));
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SuperProp_RoundTrip)
    ->RangeMultiplier(10)
    ->Range(100, 100000)
    ->Complexity(benchmark::oN);

}  // namespace
