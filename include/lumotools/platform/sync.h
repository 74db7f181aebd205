// The system's synchronisation names: critical sections, events, kernel handles, thread ids and
// interlocked arithmetic.
//
// Every function here is thread-safe in the sense the system gives it: a critical section or an
// event may be used from any number of threads at once, as long as it is initialised before the
// first use and deleted (closed) after the last.
#ifndef LUMOTOOLS_PLATFORM_SYNC_H_
#define LUMOTOOLS_PLATFORM_SYNC_H_

#include "lumotools/export.h"
#include "lumotools/platform/types.h"

// A wait without limit, as a time-out in milliseconds.
constexpr DWORD INFINITE = 0xFFFFFFFF;

// Results of WaitForSingleObject.
constexpr DWORD WAIT_OBJECT_0 = 0x00000000;
constexpr DWORD WAIT_TIMEOUT = 0x00000102;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;

// Identifier of the calling thread: never 0, unique among the threads alive at one moment (an
// identifier may be given again after its thread has ended). Cheap enough to call on every lock.
LUMO_PLATFORM_EXPORT DWORD GetCurrentThreadId();

// A recursive mutual-exclusion section. The storage belongs to the caller; its content is private
// to the platform. Initialise before the first use, delete after the last.
// The size is the system's (40 bytes on 64-bit), so that objects holding one keep their layout.
struct CRITICAL_SECTION {
  alignas(8) unsigned char opaque[40];
};
using LPCRITICAL_SECTION = CRITICAL_SECTION*;

// Prepares *section for use with no spinning before a blocked enter sleeps.
LUMO_PLATFORM_EXPORT void InitializeCriticalSection(LPCRITICAL_SECTION section);
// Prepares *section for use: an enter that finds the section held by another thread tries again
// up to spinCount times before it sleeps, which pays off for sections held only briefly. Returns
// TRUE.
LUMO_PLATFORM_EXPORT BOOL InitializeCriticalSectionAndSpinCount(LPCRITICAL_SECTION section,
                                                                DWORD spinCount);
// Releases what the section holds. REQUIRES: no thread holds or waits for it.
LUMO_PLATFORM_EXPORT void DeleteCriticalSection(LPCRITICAL_SECTION section);

// Takes the section, waiting as long as another thread holds it. The holder may enter again; it
// must leave as many times as it entered.
LUMO_PLATFORM_EXPORT void EnterCriticalSection(LPCRITICAL_SECTION section);
// Takes the section if that is possible without waiting (always for its holder): TRUE when taken.
LUMO_PLATFORM_EXPORT BOOL TryEnterCriticalSection(LPCRITICAL_SECTION section);
// Undoes one enter. REQUIRES: the calling thread holds the section.
LUMO_PLATFORM_EXPORT void LeaveCriticalSection(LPCRITICAL_SECTION section);

// Accepted for the system's signature; ignored.
struct SECURITY_ATTRIBUTES {
  DWORD nLength;
  LPVOID lpSecurityDescriptor;
  BOOL bInheritHandle;
};
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;

// Creates an event and returns its handle, to be closed with CloseHandle. A manual-reset event
// stays signalled until ResetEvent and releases every waiter; an auto-reset event releases one
// waiter and becomes unsignalled again as it does (set with no waiter, it stays signalled until
// the next wait). Named events, shared between processes on the system, are not provided: a
// non-null name gives NULL.
LUMO_PLATFORM_EXPORT HANDLE CreateEvent(LPSECURITY_ATTRIBUTES security, BOOL bManualReset,
                                        BOOL bInitialState, LPCTSTR lpName);
// Signals the event. FALSE when the handle is not an event.
LUMO_PLATFORM_EXPORT BOOL SetEvent(HANDLE hEvent);
// Makes the event unsignalled. FALSE when the handle is not an event.
LUMO_PLATFORM_EXPORT BOOL ResetEvent(HANDLE hEvent);

// Waits until the object is signalled (WAIT_OBJECT_0) or dwMilliseconds have passed on a
// monotonic clock (WAIT_TIMEOUT); 0 only looks, INFINITE waits without limit. WAIT_FAILED for a
// null handle or one that cannot be waited on.
LUMO_PLATFORM_EXPORT DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds);

// Closes any handle the platform's kernel objects hand out (events and later kinds) and frees the
// object. FALSE for a null handle. REQUIRES: no thread waits on the object.
LUMO_PLATFORM_EXPORT BOOL CloseHandle(HANDLE hObject);

// Atomic arithmetic on a 32-bit value, with full ordering. Increment and Decrement return the new
// value; ExchangeAdd returns the value before the addition. Overflow wraps.
LUMO_PLATFORM_EXPORT LONG InterlockedIncrement(volatile LONG* addend);
LUMO_PLATFORM_EXPORT LONG InterlockedDecrement(volatile LONG* addend);
LUMO_PLATFORM_EXPORT LONG InterlockedExchangeAdd(volatile LONG* addend, LONG value);
// Adds value and returns the new value.
LUMO_PLATFORM_EXPORT LONG InterlockedAdd(volatile LONG* addend, LONG value);
// Stores value and returns the value before.
LUMO_PLATFORM_EXPORT LONG InterlockedExchange(volatile LONG* target, LONG value);

#endif  // LUMOTOOLS_PLATFORM_SYNC_H_
