// One-shot timeouts: how late they run, and what setting one costs with n already pending.
//
// Lateness: 10,000 timeouts with delays spread over 2 s, run by a GetMessage loop on the system
// clock; each one's lateness is the tick count when its callback runs less its due tick. The
// delays start 100 ms out, past the time it takes to set them all (setup_ms), so that no timeout
// falls due before the loop runs.
// Setting: with n timeouts pending far in the future, the cost of set_timer for a batch of 100
// short timeouts (fired, with the clock advanced by hand, outside the timed part), next to a
// std::multimap insert keyed by due time as the peer. Times are per batch.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <vector>

#include "lumotools/platform/message_queue.h"
#include "lumotools/platform/time.h"
#include "lumotools/sync/timeout_timer.h"

namespace {

constexpr int kLatenessTimers = 10000;
constexpr DWORD kSpreadMs = 2000;
constexpr DWORD kLeadMs = 100;
constexpr DWORD kFarMs = 0x80000000u;  // pending timeouts that never fall due in the benchmark
constexpr int kBatch = 100;            // timeouts set per timed step

void RunMessageLoop() {
  MSG msg;
  while (GetMessage(&msg, nullptr, 0, 0)) DispatchMessage(&msg);
}

void DispatchWaitingMessages() {
  MSG msg;
  while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessage(&msg);
}

void BM_TimeoutTimer_Lateness(benchmark::State& state) {
  std::mt19937 random(1);
  std::uniform_int_distribution<DWORD> delay(kLeadMs, kLeadMs + kSpreadMs - 1);
  std::vector<LONGLONG> lateness(kLatenessTimers);
  ULONGLONG setupMs = 0;
  for (auto _ : state) {
    std::vector<ULONGLONG> due(kLatenessTimers);
    int remaining = kLatenessTimers;
    const ULONGLONG setupStart = GetTickCount64();
    for (int i = 0; i < kLatenessTimers; ++i) {
      const DWORD ms = delay(random);
      due[i] = GetTickCount64() + ms;
      CTimeoutTimer::instance().set_timer(ms, [i, &due, &lateness, &remaining] {
        lateness[i] = static_cast<LONGLONG>(GetTickCount64() - due[i]);
        if (--remaining == 0) PostQuitMessage(0);
      });
    }
    setupMs = GetTickCount64() - setupStart;
    RunMessageLoop();
  }
  std::sort(lateness.begin(), lateness.end());
  state.counters["min_ms"] = static_cast<double>(lateness.front());
  state.counters["p99_ms"] = static_cast<double>(lateness[kLatenessTimers * 99 / 100]);
  state.counters["max_ms"] = static_cast<double>(lateness.back());
  state.counters["setup_ms"] = static_cast<double>(setupMs);
}
BENCHMARK(BM_TimeoutTimer_Lateness)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_TimeoutTimer_Set(benchmark::State& state) {
  const auto pending = static_cast<int>(state.range(0));
  auto clock = std::make_shared<LumoManualClock>();
  auto previous = LumoSetClock(clock);
  std::mt19937 random(2);
  std::uniform_int_distribution<DWORD> far(kFarMs, kFarMs + 1'000'000);
  std::uniform_int_distribution<DWORD> soon(1, 1000);
  CTimeoutTimer& timers = CTimeoutTimer::instance();
  const std::function<void()> nothing = [] {};
  for (int i = 0; i < pending; ++i) timers.set_timer(far(random), nothing);
  std::vector<DWORD> delays(kBatch);
  for (auto _ : state) {
    state.PauseTiming();
    for (DWORD& d : delays) d = soon(random);
    state.ResumeTiming();
    for (DWORD d : delays) benchmark::DoNotOptimize(timers.set_timer(d, nothing));
    state.PauseTiming();
    clock->AdvanceMs(1000);
    DispatchWaitingMessages();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * kBatch);
  state.SetComplexityN(pending);
  // Timeouts cannot be cancelled: run the far ones out so the next run starts with none.
  clock->AdvanceMs(2ULL * kFarMs);
  DispatchWaitingMessages();
  LumoSetClock(previous);
}

void BM_StdMultimap_Insert(benchmark::State& state) {
  const auto pending = static_cast<int>(state.range(0));
  std::mt19937 random(2);
  std::uniform_int_distribution<ULONGLONG> far(kFarMs, kFarMs + 1'000'000);
  std::uniform_int_distribution<ULONGLONG> soon(1, 1000);
  std::multimap<ULONGLONG, std::function<void()>> timers;
  const std::function<void()> nothing = [] {};
  for (int i = 0; i < pending; ++i) timers.emplace(far(random), nothing);
  std::vector<ULONGLONG> delays(kBatch);
  for (auto _ : state) {
    state.PauseTiming();
    for (ULONGLONG& d : delays) d = soon(random);
    state.ResumeTiming();
    for (ULONGLONG d : delays) benchmark::DoNotOptimize(timers.emplace(d, nothing));
    state.PauseTiming();
    timers.erase(timers.begin(), timers.upper_bound(1000));
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * kBatch);
  state.SetComplexityN(pending);
}

}  // namespace

BENCHMARK(BM_TimeoutTimer_Set)
    ->RangeMultiplier(10)
    ->Range(100, 100000)
    ->Complexity(benchmark::oLogN);
BENCHMARK(BM_StdMultimap_Insert)
    ->RangeMultiplier(10)
    ->Range(100, 100000)
    ->Complexity(benchmark::oLogN);
