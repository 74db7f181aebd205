// The library's process-wide objects that static initialisers create when the library is loaded,
// before any of its functions is called, gathered in one translation unit so that their order
// is fixed:
//
//   - the message passer's map from hooked view windows to their passers (CMsgPasser::m_mapPasser);
//   - the shared indentation text of the timing traces (CTimerTrace::s_strIndent);
//   - the class-level locks of the script functors' small-object allocator, which are
//     constant-initialised (CClassLevelLockable in formula/script_functor.h) and so exist even
//     before the first of these initialisers runs.
//
// Every other process-wide object is a function-local static reached through its class's
// instance() or Instance(), created on first use (safely when several threads ask at once) and
// destroyed at process exit: the value registry, the strategy register, the style-ID caches,
// the built-in function table, the time-out timer and the global lock table.
#include <map>

#include "lumotools/labeledit/msg_passer.h"
#include "lumotools/platform/cstring.h"
#include "lumotools/sync/timer_trace.h"

std::map<HWND, CMsgPasser*> CMsgPasser::m_mapPasser;

CString CTimerTrace::s_strIndent;
int CTimerTrace::s_nSeq = 0;
