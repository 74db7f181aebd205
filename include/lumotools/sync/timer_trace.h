// CTimerTrace: a scoped marker of a timed block, giving it a sequence number, the nesting
// indentation at its start and its start on the process millisecond clock.
//
// Each trace appends a TAB to the shared indentation while it lives and takes it off when it
// ends, so nested traces see one TAB more per level. Traces write nothing themselves; the host
// reads the fields. The shared indentation and sequence number are not guarded: traces are for
// one thread at a time. A copy of a trace takes off a TAB of its own when destroyed.
#ifndef LUMOTOOLS_SYNC_TIMER_TRACE_H_
#define LUMOTOOLS_SYNC_TIMER_TRACE_H_

#include "lumotools/export.h"
#include "lumotools/platform/cstring.h"
#include "lumotools/platform/types.h"

class LUMO_EXPORT CTimerTrace {
 public:
  // Starts a trace without a name; name, file and line are not kept.
  explicit CTimerTrace(const char* name);
  CTimerTrace(const char* name, int line);
  // Starts a trace named name; file and line are not kept. REQUIRES: name is not null.
  CTimerTrace(const char* name, const char* file, int line);
  // Takes the last character off the shared indentation, if there is one.
  ~CTimerTrace();

  CString m_strName;    // the traced block's name; empty unless given with a file and line
  CString m_strIndent;  // the shared indentation when this trace began
  int m_nSeq;           // this trace's sequence number: 1 for the first trace of the process
  DWORD m_dwStartMs;    // CWinTimer::__get_cur_time_ms() when this trace began

  // The current indentation: one TAB per live trace. Starts empty.
  static CString s_strIndent;
  // The last sequence number given. Starts at 0.
  static int s_nSeq;

 private:
  void Begin();
};

#endif  // LUMOTOOLS_SYNC_TIMER_TRACE_H_
