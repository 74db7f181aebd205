#include "lumotools/platform/global_memory.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <new>

namespace {

// Every block is a header followed by its bytes. A fixed block's handle is the address of the
// bytes; a moveable block's handle is the header's address with the lowest bit set, so the two
// kinds of handle cannot be confused.
struct alignas(16) BlockHeader {
  SIZE_T size;
  UINT flags;
  std::atomic<int> locks;
};

constexpr std::uintptr_t kMoveableTag = 1;

BlockHeader* HeaderOf(HGLOBAL handle) {
  const auto value = reinterpret_cast<std::uintptr_t>(handle);
  if (value & kMoveableTag) return reinterpret_cast<BlockHeader*>(value & ~kMoveableTag);
  return reinterpret_cast<BlockHeader*>(handle) - 1;
}

void* BytesOf(BlockHeader* header) { return header + 1; }

}  // namespace

HGLOBAL GlobalAlloc(UINT uFlags, SIZE_T dwBytes) {
  if (dwBytes > SIZE_MAX - sizeof(BlockHeader)) return nullptr;
  // calloc zeroes without touching memory the system already gives zeroed.
  void* raw = (uFlags & GMEM_ZEROINIT) ? std::calloc(1, sizeof(BlockHeader) + dwBytes)
                                       : std::malloc(sizeof(BlockHeader) + dwBytes);
  if (raw == nullptr) return nullptr;
  auto* header = new (raw) BlockHeader{dwBytes, uFlags, {0}};
  if (uFlags & GMEM_MOVEABLE) {
    return reinterpret_cast<HGLOBAL>(reinterpret_cast<std::uintptr_t>(header) | kMoveableTag);
  }
  return static_cast<HGLOBAL>(BytesOf(header));
}

LPVOID GlobalLock(HGLOBAL hMem) {
  if (hMem == nullptr) return nullptr;
  BlockHeader* header = HeaderOf(hMem);
  if (header->flags & GMEM_MOVEABLE) header->locks.fetch_add(1);
  return BytesOf(header);
}

BOOL GlobalUnlock(HGLOBAL hMem) {
  if (hMem == nullptr) return FALSE;
  BlockHeader* header = HeaderOf(hMem);
  if (!(header->flags & GMEM_MOVEABLE)) return FALSE;
  int locks = header->locks.load();
  while (locks > 0 && !header->locks.compare_exchange_weak(locks, locks - 1)) {
  }
  return locks > 1 ? TRUE : FALSE;
}

HGLOBAL GlobalFree(HGLOBAL hMem) {
  if (hMem == nullptr) return nullptr;
  BlockHeader* header = HeaderOf(hMem);
  header->~BlockHeader();
  std::free(header);
  return nullptr;
}

SIZE_T GlobalSize(HGLOBAL hMem) { return hMem == nullptr ? 0 : HeaderOf(hMem)->size; }
