// COctIdMap: the ordered map from object identifier to object pointer that each octree node
// keeps. Not thread-safe (the octree's lock guards it).
//
// Stored as a sequence of sorted blocks of at most kBlockSize entries, so that a map of a
// million entries costs about 16 bytes per entry and inserts move at most one block.
// Identifiers that arrive in increasing order fill blocks completely; others split a full
// block in two. Iteration runs in identifier order.
#ifndef LUMOTOOLS_GEOMETRY_OCT_ID_MAP_H_
#define LUMOTOOLS_GEOMETRY_OCT_ID_MAP_H_

#include <cstddef>
#include <utility>
#include <vector>

#include "lumotools/export.h"
#include "lumotools/platform/types.h"

class COctNodeData;

class LUMO_EXPORT COctIdMap {
 public:
  using value_type = std::pair<DWORD, COctNodeData*>;
  static constexpr size_t kBlockSize = 128;

  class const_iterator {
   public:
    const_iterator() = default;
    const value_type& operator*() const { return (*m_pBlocks)[m_nBlock][m_nIndex]; }
    const value_type* operator->() const { return &**this; }
    const_iterator& operator++() {
      if (++m_nIndex == (*m_pBlocks)[m_nBlock].size()) {
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
    const_iterator(const std::vector<std::vector<value_type>>* pBlocks, size_t nBlock,
                   size_t nIndex)
        : m_pBlocks(pBlocks), m_nBlock(nBlock), m_nIndex(nIndex) {}

    const std::vector<std::vector<value_type>>* m_pBlocks = nullptr;
    size_t m_nBlock = 0;
    size_t m_nIndex = 0;
  };

  size_t size() const { return m_nSize; }
  bool empty() const { return m_nSize == 0; }
  const_iterator begin() const { return const_iterator(&m_vecBlocks, 0, 0); }
  const_iterator end() const { return const_iterator(&m_vecBlocks, m_vecBlocks.size(), 0); }

  // The pointer stored under id, or null.
  COctNodeData* Find(DWORD id) const;
  bool Contains(DWORD id) const { return Find(id) != nullptr; }
  // Stores p under id unless id is already there (the existing entry stays). True when stored.
  // REQUIRES: p is not null.
  bool Insert(DWORD id, COctNodeData* p);
  // Removes id's entry; false when there was none.
  bool Erase(DWORD id);
  // Removes every entry (the objects are not touched).
  void Clear();

 private:
  // The index of the first block whose last identifier is not below id; the block count when
  // every block ends below it.
  size_t BlockFor(DWORD id) const;

  // Non-empty blocks, each sorted, every identifier of a block below those of the next.
  std::vector<std::vector<value_type>> m_vecBlocks;
  size_t m_nSize = 0;
};

#endif  // LUMOTOOLS_GEOMETRY_OCT_ID_MAP_H_
