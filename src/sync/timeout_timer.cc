#include "lumotools/sync/timeout_timer.h"

#include <utility>

#include "lumotools/platform/message_queue.h"

CTimeoutTimer& CTimeoutTimer::instance() {
  static CTimeoutTimer timer;
  return timer;
}

CTimeoutTimer::CTimeoutTimer() = default;

CTimeoutTimer::~CTimeoutTimer() {
  for (const auto& entry : m_mapTimers) KillTimer(nullptr, entry.first);
  m_mapTimers.clear();
}

unsigned int CTimeoutTimer::set_timer(DWORD ms, const std::function<void()>& callback) {
  const auto id = static_cast<unsigned int>(SetTimer(nullptr, 0, ms, &CTimeoutTimer::__TimerProc));
  m_mapTimers[id] = callback;
  return id;
}

void CTimeoutTimer::__TimerProc(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  auto& timers = instance().m_mapTimers;
  auto it = timers.find(static_cast<unsigned int>(id));
  if (it == timers.end()) return;
  std::function<void()> callback = std::move(it->second);
  timers.erase(it);
  callback();
}
