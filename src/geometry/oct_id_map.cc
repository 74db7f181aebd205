#include "lumotools/geometry/oct_id_map.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

#include "lumotools/geometry/octree.h"

namespace {

DWORD IdOf(const COctNodeData* p) { return p->GetID(); }

void* Allocate(void* old, size_t bytes) {
  void* p = std::realloc(old, bytes);
  if (p == nullptr) throw std::bad_alloc();
  return p;
}

// Entries a block of n should have room for: a quarter more, at least one, as an even count,
// so that the 8-byte header and the entries fill an allocator chunk without padding.
uint32_t CapacityFor(uint32_t n) {
  uint32_t capacity = n + std::max<uint32_t>(1, n / 4);
  capacity += capacity & 1;
  return std::min<uint32_t>(capacity, COctIdMap::kBlockSize);
}

}  // namespace

const COctIdMap::value_type& COctIdMap::const_iterator::operator*() const {
  COctNodeData* p = Entries(m_pMap->BlockAt(m_nBlock))[m_nIndex];
  m_entry = value_type(p->GetID(), p);
  return m_entry;
}

COctIdMap::COctIdMap(const COctIdMap& o) {
  if (o.empty()) return;
  auto copyBlock = [](const Block* block) {
    const size_t bytes = sizeof(Block) + block->nCapacity * sizeof(COctNodeData*);
    return static_cast<Block*>(std::memcpy(Allocate(nullptr, bytes), block, bytes));
  };
  if (!o.IsDirectory()) {
    m_pStore = reinterpret_cast<uintptr_t>(copyBlock(o.SingleBlock()));
    return;
  }
  const Directory* from = o.Dir();
  const size_t bytes = sizeof(Directory) + from->nCapacity * sizeof(Slot);
  auto* dir = static_cast<Directory*>(Allocate(nullptr, bytes));
  dir->nSize = from->nSize;
  dir->nBlocks = 0;
  dir->nCapacity = from->nCapacity;
  m_pStore = reinterpret_cast<uintptr_t>(dir) | 1;
  for (uint32_t b = 0; b < from->nBlocks; ++b) {
    Slots(dir)[b] = Slot{copyBlock(Slots(from)[b].pBlock), Slots(from)[b].dwFirstID};
    dir->nBlocks = b + 1;
  }
}

COctIdMap& COctIdMap::operator=(const COctIdMap& o) {
  if (this != &o) {
    COctIdMap copy(o);
    std::swap(m_pStore, copy.m_pStore);
  }
  return *this;
}

COctIdMap& COctIdMap::operator=(COctIdMap&& o) noexcept {
  if (this != &o) {
    Clear();
    std::swap(m_pStore, o.m_pStore);
  }
  return *this;
}

size_t COctIdMap::size() const {
  if (m_pStore == 0) return 0;
  return IsDirectory() ? static_cast<size_t>(Dir()->nSize) : SingleBlock()->nSize;
}

size_t COctIdMap::BlockFor(DWORD id) const {
  if (!IsDirectory()) return 0;
  const Directory* dir = Dir();
  const Slot* slots = Slots(dir);
  const Slot* after = std::upper_bound(slots, slots + dir->nBlocks, id,
                                       [](DWORD v, const Slot& s) { return v < s.dwFirstID; });
  return after == slots ? 0 : static_cast<size_t>(after - slots - 1);
}

COctNodeData* COctIdMap::Find(DWORD id) const {
  if (empty()) return nullptr;
  const Block* last = BlockAt(BlockCount() - 1);
  if (last->dwLastID < id) return nullptr;
  const Block* block = BlockAt(BlockFor(id));
  COctNodeData* const* entries = Entries(block);
  COctNodeData* const* end = entries + block->nSize;
  COctNodeData* const* it = std::lower_bound(
      entries, end, id, [](const COctNodeData* e, DWORD v) { return IdOf(e) < v; });
  return it != end && IdOf(*it) == id ? *it : nullptr;
}

bool COctIdMap::Insert(DWORD id, COctNodeData* p) {
  if (empty()) {
    m_pStore = reinterpret_cast<uintptr_t>(NewBlock(&p, 1));
    return true;
  }
  // Increasing identifiers append to the last block, read from its last entry alone.
  const size_t last = BlockCount() - 1;
  const Block* lastBlock = BlockAt(last);
  if (lastBlock->dwLastID < id) {
    InsertAt(last, lastBlock->nSize, id, p);
    return true;
  }
  const size_t b = BlockFor(id);
  const Block* block = BlockAt(b);
  COctNodeData* const* entries = Entries(block);
  COctNodeData* const* end = entries + block->nSize;
  COctNodeData* const* it = std::lower_bound(
      entries, end, id, [](const COctNodeData* e, DWORD v) { return IdOf(e) < v; });
  if (it != end && IdOf(*it) == id) return false;
  InsertAt(b, static_cast<uint32_t>(it - entries), id, p);
  return true;
}

COctIdMap::Block* COctIdMap::Resize(size_t b, Block* block, uint32_t capacity) {
  block = static_cast<Block*>(Allocate(block, sizeof(Block) + capacity * sizeof(COctNodeData*)));
  block->nCapacity = static_cast<uint16_t>(capacity);
  if (IsDirectory()) {
    Slots(Dir())[b].pBlock = block;
  } else {
    m_pStore = reinterpret_cast<uintptr_t>(block);
  }
  return block;
}

void COctIdMap::AddBlockAfter(size_t b, Block* block) {
  Directory* dir = GrowDirectory();
  Slot* slots = Slots(dir);
  std::memmove(slots + b + 2, slots + b + 1, (dir->nBlocks - b - 1) * sizeof(Slot));
  slots[b + 1] = Slot{block, IdOf(Entries(block)[0])};
  ++dir->nBlocks;
  dir->nSize += block->nSize;
}

COctIdMap::Block* COctIdMap::NewBlock(COctNodeData* const* entries, uint32_t n) {
  const uint32_t capacity = CapacityFor(n);
  auto* block =
      static_cast<Block*>(Allocate(nullptr, sizeof(Block) + capacity * sizeof(COctNodeData*)));
  block->nSize = static_cast<uint16_t>(n);
  block->nCapacity = static_cast<uint16_t>(capacity);
  block->dwLastID = IdOf(entries[n - 1]);
  std::memcpy(Entries(block), entries, n * sizeof(COctNodeData*));
  return block;
}

void COctIdMap::InsertAt(size_t b, uint32_t i, DWORD id, COctNodeData* p) {
  Block* block = BlockAt(b);
  if (block->nSize == kBlockSize) {
    if (i == kBlockSize) {
      // Past the end of a full block (increasing identifiers do this): a block of its own.
      AddBlockAfter(b, NewBlock(&p, 1));
      return;
    }
    // Otherwise the upper half moves to a new block after this one, and the entry goes to the
    // half that takes position i.
    const uint16_t half = block->nSize / 2;
    Block* upper = NewBlock(Entries(block) + half, block->nSize - half);
    block->nSize = half;
    block->dwLastID = IdOf(Entries(block)[half - 1]);
    if (IsDirectory()) Dir()->nSize -= upper->nSize;
    AddBlockAfter(b, upper);
    block = Resize(b, block, CapacityFor(half));
    if (i > half) {
      ++b;
      i -= half;
      block = upper;
    }
  }
  if (block->nSize == block->nCapacity) block = Resize(b, block, CapacityFor(block->nSize + 1));
  COctNodeData** entries = Entries(block);
  std::memmove(entries + i + 1, entries + i, (block->nSize - i) * sizeof(COctNodeData*));
  entries[i] = p;
  if (i == block->nSize) block->dwLastID = id;
  ++block->nSize;
  if (IsDirectory()) {
    ++Dir()->nSize;
    if (i == 0) Slots(Dir())[b].dwFirstID = id;
  }
}

COctIdMap::Directory* COctIdMap::GrowDirectory() {
  if (!IsDirectory()) {
    Block* block = SingleBlock();
    constexpr uint32_t kFirstCapacity = 4;
    auto* dir = static_cast<Directory*>(
        Allocate(nullptr, sizeof(Directory) + kFirstCapacity * sizeof(Slot)));
    dir->nSize = block->nSize;
    dir->nBlocks = 1;
    dir->nCapacity = kFirstCapacity;
    Slots(dir)[0] = Slot{block, IdOf(Entries(block)[0])};
    m_pStore = reinterpret_cast<uintptr_t>(dir) | 1;
  }
  Directory* dir = Dir();
  if (dir->nBlocks == dir->nCapacity) {
    const uint32_t capacity = dir->nCapacity * 2;
    dir = static_cast<Directory*>(Allocate(dir, sizeof(Directory) + capacity * sizeof(Slot)));
    dir->nCapacity = capacity;
    m_pStore = reinterpret_cast<uintptr_t>(dir) | 1;
  }
  return dir;
}

bool COctIdMap::Erase(DWORD id) {
  const COctNodeData* p = Find(id);
  return p != nullptr && Erase(id, p);
}

bool COctIdMap::Erase(DWORD id, const COctNodeData* p) {
  if (empty()) return false;
  const size_t b = BlockFor(id);
  const Block* block = BlockAt(b);
  COctNodeData* const* entries = Entries(block);
  COctNodeData* const* end = entries + block->nSize;
  // p is known to be stored under id, so it is never read.
  COctNodeData* const* it = std::lower_bound(
      entries, end, id, [p](const COctNodeData* e, DWORD v) { return e != p && IdOf(e) < v; });
  if (it == end || *it != p) return false;
  EraseAt(b, static_cast<uint32_t>(it - entries));
  return true;
}

void COctIdMap::EraseAt(size_t b, uint32_t i) {
  Block* block = BlockAt(b);
  COctNodeData** entries = Entries(block);
  std::memmove(entries + i, entries + i + 1, (block->nSize - i - 1) * sizeof(COctNodeData*));
  --block->nSize;
  if (i == block->nSize && i > 0) block->dwLastID = IdOf(entries[i - 1]);
  if (!IsDirectory()) {
    if (block->nSize == 0) {
      std::free(block);
      m_pStore = 0;
    } else if (block->nSize * 2 < block->nCapacity) {
      Resize(b, block, CapacityFor(block->nSize));
    }
    return;
  }
  Directory* dir = Dir();
  --dir->nSize;
  Slot* slots = Slots(dir);
  if (block->nSize == 0) {
    std::free(block);
    std::memmove(slots + b, slots + b + 1, (dir->nBlocks - b - 1) * sizeof(Slot));
    if (--dir->nBlocks == 1) {
      // Back to a map of one block.
      m_pStore = reinterpret_cast<uintptr_t>(slots[0].pBlock);
      std::free(dir);
    }
    return;
  }
  if (i == 0) slots[b].dwFirstID = IdOf(entries[0]);
  if (block->nSize * 2 < block->nCapacity) Resize(b, block, CapacityFor(block->nSize));
}

void COctIdMap::Clear() {
  if (IsDirectory()) {
    Directory* dir = Dir();
    for (uint32_t b = 0; b < dir->nBlocks; ++b) std::free(Slots(dir)[b].pBlock);
    std::free(dir);
  } else {
    std::free(SingleBlock());
  }
  m_pStore = 0;
}
