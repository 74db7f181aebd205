#include "lumotools/sync/timer_trace.h"

#include "lumotools/sync/win_timer.h"

CTimerTrace::CTimerTrace(const char*) { Begin(); }

CTimerTrace::CTimerTrace(const char*, int) { Begin(); }

CTimerTrace::CTimerTrace(const char* name, const char*, int) : m_strName(name) { Begin(); }

CTimerTrace::~CTimerTrace() {
  const int length = s_strIndent.GetLength();
  if (length > 0) s_strIndent = s_strIndent.Left(length - 1);
}

void CTimerTrace::Begin() {
  m_strIndent = s_strIndent;
  m_nSeq = ++s_nSeq;
  m_dwStartMs = CWinTimer::__get_cur_time_ms();
  s_strIndent += '\t';
}
