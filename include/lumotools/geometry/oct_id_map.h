// COctIdMap: the ordered map from object identifier to object pointer that each octree node
// keeps. Not thread-safe (the octree's lock guards it).
//
// An entry is the object pointer alone, 8 bytes: the map reads an object's identifier from the
// object, so an object's identifier must equal the one it is stored under and must not change
// while the object is in a map. Entries lie in sorted blocks of at most kBlockSize, each grown
// in small steps; a map of one block is that block, a larger one a directory of blocks that
// keeps each block's first identifier. The map itself is one pointer wide. Identifiers that
// arrive in increasing order fill blocks completely; others split a full block in two.
// Iteration runs in identifier order.
#ifndef LUMOTOOLS_GEOMETRY_OCT_ID_MAP_H_
#define LUMOTOOLS_GEOMETRY_OCT_ID_MAP_H_

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <utility>

#include "lumotools/export.h"
#include "lumotools/platform/types.h"

class COctNodeData;

class LUMO_EXPORT COctIdMap {
 public:
  using value_type = std::pair<DWORD, COctNodeData*>;
  static constexpr size_t kBlockSize = 128;

 private:
  // A block's header; nCapacity entry pointers follow it in the same allocation. The last
  // identifier is kept here so that appending reads no object.
  struct Block {
    uint16_t nSize;
    uint16_t nCapacity;
    DWORD dwLastID;
  };
  struct Slot {
    Block* pBlock;
    DWORD dwFirstID;
  };
  // A directory's header; nCapacity slots follow it in the same allocation.
  struct Directory {
    uint64_t nSize;  // entries in all blocks
    uint32_t nBlocks;
    uint32_t nCapacity;
  };
  static COctNodeData** Entries(const Block* block) {
    return reinterpret_cast<COctNodeData**>(const_cast<Block*>(block) + 1);
  }
  static Slot* Slots(const Directory* dir) {
    return reinterpret_cast<Slot*>(const_cast<Directory*>(dir) + 1);
  }

 public:
  class const_iterator {
   public:
    // An input iterator: the pair it gives lives in the iterator itself.
    using iterator_category = std::input_iterator_tag;
    using value_type = COctIdMap::value_type;
    using difference_type = std::ptrdiff_t;
    using pointer = const value_type*;
    using reference = const value_type&;

    const_iterator() = default;
    // Valid until the iterator moves on.
    const value_type& operator*() const;
    const value_type* operator->() const { return &**this; }
    const_iterator& operator++() {
      if (++m_nIndex == m_pMap->BlockAt(m_nBlock)->nSize) {
        ++m_nBlock;
        m_nIndex = 0;
      }
      return *this;
    }
    bool operator==(const const_iterator& o) const {
      return m_nBlock == o.m_nBlock && m_nIndex == o.m_nIndex;
    }
    bool operator!=(const const_iterator& o) const { return !(*this == o); }

   private:
    friend class COctIdMap;
    const_iterator(const COctIdMap* pMap, size_t nBlock) : m_pMap(pMap), m_nBlock(nBlock) {}

    const COctIdMap* m_pMap = nullptr;
    size_t m_nBlock = 0;
    size_t m_nIndex = 0;
    mutable value_type m_entry;
  };

  COctIdMap() = default;
  COctIdMap(const COctIdMap& o);
  COctIdMap& operator=(const COctIdMap& o);
  COctIdMap(COctIdMap&& o) noexcept : m_pStore(o.m_pStore) { o.m_pStore = 0; }
  COctIdMap& operator=(COctIdMap&& o) noexcept;
  ~COctIdMap() { Clear(); }

  size_t size() const;
  bool empty() const { return m_pStore == 0; }
  const_iterator begin() const { return const_iterator(this, 0); }
  const_iterator end() const { return const_iterator(this, BlockCount()); }

  // The pointer stored under id, or null.
  COctNodeData* Find(DWORD id) const;
  bool Contains(DWORD id) const { return Find(id) != nullptr; }
  // Stores p under id unless id is already there (the existing entry stays). True when stored.
  // REQUIRES: p is not null and p->GetID() == id.
  bool Insert(DWORD id, COctNodeData* p);
  // Removes id's entry; false when there was none.
  bool Erase(DWORD id);
  // Removes p, stored under id, reading no other object than those of the map it passes while
  // searching: p itself may already have been destroyed. False when p is not stored under id.
  bool Erase(DWORD id, const COctNodeData* p);
  // Removes every entry (the objects are not touched).
  void Clear();
  // Starts loading the map's first block into the cache; changes nothing.
  void Prefetch() const {
    if (m_pStore != 0) __builtin_prefetch(reinterpret_cast<const void*>(m_pStore & ~uintptr_t{1}));
  }

  // Calls f(p) for every object, in identifier order.
  template <typename F>
  void ForEach(F&& f) const {
    const size_t blocks = BlockCount();
    for (size_t b = 0; b < blocks; ++b) {
      const Block* block = BlockAt(b);
      COctNodeData* const* entries = Entries(block);
      for (uint32_t i = 0; i < block->nSize; ++i) f(entries[i]);
    }
  }

 private:
  // m_pStore is 0 for an empty map, a Block* for a map of one block, and a Directory* with the
  // low bit set for a larger one.
  bool IsDirectory() const { return (m_pStore & 1) != 0; }
  Block* SingleBlock() const { return reinterpret_cast<Block*>(m_pStore); }
  Directory* Dir() const { return reinterpret_cast<Directory*>(m_pStore & ~uintptr_t{1}); }
  size_t BlockCount() const { return m_pStore == 0 ? 0 : IsDirectory() ? Dir()->nBlocks : 1; }
  Block* BlockAt(size_t b) const { return IsDirectory() ? Slots(Dir())[b].pBlock : SingleBlock(); }
  // The index of the block whose range takes id: the last block whose first identifier is not
  // above id, or 0. REQUIRES: not empty.
  size_t BlockFor(DWORD id) const;
  // Inserts p, stored under id, at position i of block b, growing or splitting the block.
  void InsertAt(size_t b, uint32_t i, DWORD id, COctNodeData* p);
  // Gives block b (block itself) room for capacity entries; returns where it now lies.
  Block* Resize(size_t b, Block* block, uint32_t capacity);
  // A block holding entries[0, n), with room for a few more.
  static Block* NewBlock(COctNodeData* const* entries, uint32_t n);
  // Places a new non-empty block after block b.
  void AddBlockAfter(size_t b, Block* block);
  // Removes position i of block b.
  void EraseAt(size_t b, uint32_t i);
  // Makes room for one more slot in the directory (making one from the single block first).
  Directory* GrowDirectory();

  uintptr_t m_pStore = 0;
};

#endif  // LUMOTOOLS_GEOMETRY_OCT_ID_MAP_H_
