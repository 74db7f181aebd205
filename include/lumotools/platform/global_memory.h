// Global memory: blocks of bytes reached through a handle, as the system's GlobalAlloc family
// hands them out.
//
// A fixed block (GMEM_FIXED) has a handle equal to the address of its bytes; a moveable block
// (GMEM_MOVEABLE) has a handle distinct from its bytes, which GlobalLock returns. Blocks never
// actually move here. Thread-safe: distinct blocks may be used from different threads.
#ifndef LUMOTOOLS_PLATFORM_GLOBAL_MEMORY_H_
#define LUMOTOOLS_PLATFORM_GLOBAL_MEMORY_H_

#include "lumotools/export.h"
#include "lumotools/platform/types.h"

constexpr UINT GMEM_FIXED = 0x0000;
constexpr UINT GMEM_MOVEABLE = 0x0002;
constexpr UINT GMEM_ZEROINIT = 0x0040;
constexpr UINT GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;
constexpr UINT GPTR = GMEM_FIXED | GMEM_ZEROINIT;

// A new block of dwBytes bytes (zeroed with GMEM_ZEROINIT), or null when memory runs out.
// Zero bytes give a valid, empty block.
LUMO_PLATFORM_EXPORT HGLOBAL GlobalAlloc(UINT uFlags, SIZE_T dwBytes);
// The address of the block's bytes, counting one more lock; null for a null handle.
LUMO_PLATFORM_EXPORT LPVOID GlobalLock(HGLOBAL hMem);
// Counts one lock less. TRUE while the block stays locked, FALSE once no lock remains (or for a
// fixed block, which is never counted as locked).
LUMO_PLATFORM_EXPORT BOOL GlobalUnlock(HGLOBAL hMem);
// Frees the block. Returns null; a null handle is accepted and does nothing.
LUMO_PLATFORM_EXPORT HGLOBAL GlobalFree(HGLOBAL hMem);
// The block's size in bytes; 0 for a null handle.
LUMO_PLATFORM_EXPORT SIZE_T GlobalSize(HGLOBAL hMem);

#endif  // LUMOTOOLS_PLATFORM_GLOBAL_MEMORY_H_
