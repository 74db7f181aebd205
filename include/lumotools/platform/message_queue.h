// The per-thread message queue: posting, getting and dispatching messages, and thread timers.
//
// Each thread has one queue, created the first time the thread looks for a message, posts to
// itself or sets a timer, and removed when the thread ends. Messages are taken from a queue only
// by its own thread; any thread may post to it. A thread timer (SetTimer without a window)
// belongs to the thread that set it and fires periodically until killed. As on Windows, its
// WM_TIMER is not queued: it is generated when the thread looks for a message and no posted
// message (nor a quit request) is waiting, and at most one is pending per timer. Time is the
// process clock of time.h, so a test that installs a LumoManualClock and pumps with PeekMessage
// fires timers by hand. Thread-safe.
#ifndef LUMOTOOLS_PLATFORM_MESSAGE_QUEUE_H_
#define LUMOTOOLS_PLATFORM_MESSAGE_QUEUE_H_

#include "lumotools/export.h"
#include "lumotools/platform/types.h"

constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_USER = 0x0400;
constexpr UINT WM_APP = 0x8000;

// PeekMessage options.
constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;
constexpr UINT PM_NOYIELD = 0x0002;

// A message as a queue hands it out. time is the tick count (GetTickCount) when it was posted,
// or for WM_TIMER when it was taken.
struct MSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
};
using LPMSG = MSG*;

// A timer's procedure, called by DispatchMessage as (hwnd, WM_TIMER, timer id, tick count).
using TIMERPROC = void (*)(HWND hwnd, UINT uMsg, UINT_PTR idEvent, DWORD dwTime);

// Posts a message with no window to the queue of thread idThread. FALSE if that thread has no
// queue (it has not yet looked for a message, posted to itself or set a timer, or has ended).
LUMO_PLATFORM_EXPORT BOOL PostThreadMessage(DWORD idThread, UINT Msg, WPARAM wParam, LPARAM lParam);

// Posts a message for hWnd to the queue of the thread owning it; a null hWnd posts to the calling
// thread's queue. FALSE for a handle that names no window.
LUMO_PLATFORM_EXPORT BOOL PostMessage(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);

// Waits until the calling thread has a message that passes the filter and takes it into *lpMsg.
// Returns 0 for WM_QUIT, nonzero otherwise. The filter: hWnd null takes any message, (HWND)-1
// only messages without a window, another handle only that window's; wMsgFilterMin and
// wMsgFilterMax both 0 take every number, else only those between them. WM_QUIT passes every
// filter. Order: posted messages first-in first-out, then a quit request, then due timers in the
// order they fell due. While nothing is there, the thread sleeps until a post or the next due
// timer.
LUMO_PLATFORM_EXPORT BOOL GetMessage(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin,
                                     UINT wMsgFilterMax);

// As GetMessage without waiting: FALSE if no message passes the filter, else TRUE with the
// message in *lpMsg, taken from the queue when wRemoveMsg includes PM_REMOVE and left there
// (to be seen again) with PM_NOREMOVE.
LUMO_PLATFORM_EXPORT BOOL PeekMessage(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin,
                                      UINT wMsgFilterMax, UINT wRemoveMsg);

// Delivers a message. WM_TIMER whose lParam holds a TIMERPROC calls that procedure as
// (hwnd, WM_TIMER, wParam, time) and returns 0. Other messages go to the procedure of their
// window; a message without a window is not delivered anywhere and gives 0.
LUMO_PLATFORM_EXPORT LRESULT DispatchMessage(const MSG* lpMsg);

// Asks the calling thread's message loop to end: once no posted message is waiting, GetMessage
// returns 0 with WM_QUIT and wParam nExitCode.
LUMO_PLATFORM_EXPORT void PostQuitMessage(int nExitCode);

// With a null hWnd, sets a thread timer of the calling thread that falls due every uElapse
// milliseconds (0: whenever the thread looks) until killed, and returns its identifier: a fresh
// nonzero value, unless nIDEvent names a timer of this thread, which is then reset with the new
// period and procedure (dropping a WM_TIMER pending for it) and keeps its identifier. Its
// WM_TIMER carries the identifier in wParam and lpTimerFunc in lParam. Returns 0 on failure
// (timers owned by a window are not available yet).
LUMO_PLATFORM_EXPORT UINT_PTR SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse,
                                       TIMERPROC lpTimerFunc);

// Stops a timer of the calling thread and drops its pending WM_TIMER. FALSE if the thread has no
// such timer.
LUMO_PLATFORM_EXPORT BOOL KillTimer(HWND hWnd, UINT_PTR uIDEvent);

#endif  // LUMOTOOLS_PLATFORM_MESSAGE_QUEUE_H_
