#include "lumotools/geometry/oct_id_map.h"

#include <algorithm>

namespace {

bool IdBelow(const COctIdMap::value_type& entry, DWORD id) { return entry.first < id; }

}  // namespace

size_t COctIdMap::BlockFor(DWORD id) const {
  auto block =
      std::partition_point(m_vecBlocks.begin(), m_vecBlocks.end(),
                           [id](const std::vector<value_type>& b) { return b.back().first < id; });
  return static_cast<size_t>(block - m_vecBlocks.begin());
}

COctNodeData* COctIdMap::Find(DWORD id) const {
  const size_t b = BlockFor(id);
  if (b == m_vecBlocks.size()) return nullptr;
  const std::vector<value_type>& block = m_vecBlocks[b];
  auto it = std::lower_bound(block.begin(), block.end(), id, IdBelow);
  return it != block.end() && it->first == id ? it->second : nullptr;
}

bool COctIdMap::Insert(DWORD id, COctNodeData* p) {
  // Increasing identifiers append: to the last block while it has room, else to a new one.
  if (m_vecBlocks.empty() || m_vecBlocks.back().back().first < id) {
    if (m_vecBlocks.empty() || m_vecBlocks.back().size() >= kBlockSize) {
      m_vecBlocks.emplace_back();
      m_vecBlocks.back().reserve(std::min(kBlockSize, m_nSize + 1));
    }
    m_vecBlocks.back().emplace_back(id, p);
    ++m_nSize;
    return true;
  }
  const size_t b = BlockFor(id);  // < size: the last block ends at or above id
  std::vector<value_type>* block = &m_vecBlocks[b];
  auto it = std::lower_bound(block->begin(), block->end(), id, IdBelow);
  if (it != block->end() && it->first == id) return false;
  if (block->size() >= kBlockSize) {
    // Split the full block in halves and insert into the half that takes id.
    const size_t half = block->size() / 2;
    std::vector<value_type> upper(block->begin() + half, block->end());
    block->erase(block->begin() + half, block->end());
    m_vecBlocks.insert(m_vecBlocks.begin() + b + 1, std::move(upper));
    block = &m_vecBlocks[b];
    if (block->back().first < id) block = &m_vecBlocks[b + 1];
    it = std::lower_bound(block->begin(), block->end(), id, IdBelow);
  }
  block->insert(it, value_type(id, p));
  ++m_nSize;
  return true;
}

bool COctIdMap::Erase(DWORD id) {
  const size_t b = BlockFor(id);
  if (b == m_vecBlocks.size()) return false;
  std::vector<value_type>& block = m_vecBlocks[b];
  auto it = std::lower_bound(block.begin(), block.end(), id, IdBelow);
  if (it == block.end() || it->first != id) return false;
  block.erase(it);
  if (block.empty()) m_vecBlocks.erase(m_vecBlocks.begin() + b);
  --m_nSize;
  return true;
}

void COctIdMap::Clear() {
  m_vecBlocks.clear();
  m_nSize = 0;
}
