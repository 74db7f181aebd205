#include "lumotools/geometry/octree.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "lumotools/sync/auto_lock.h"
#include "lumotools/sync/global_lock.h"

namespace {

CReaderWriterLock& OctreeLock() {
  static CReaderWriterLock& lock = CGlobalLockMgr::__GetGlobalLock(GLOBAL_LOCK_OCTREE);
  return lock;
}

using ReadLock = CAutoReadLockT<CReaderWriterLock>;
using WriteLock = CAutoWriteLockT<CReaderWriterLock>;

}  // namespace

COctNodeData::~COctNodeData() = default;

COctNode::COctNode(DWORD nDepth, const OctBox& box) : m_nDepth(nDepth), m_box(box) {}

COctNode::~COctNode() = default;

DWORD COctNode::GetMaxDepth() const { return 5; }
DWORD COctNode::GetMaxNodes() const { return 20; }

bool COctNode::InsertNodeToMap(COctNodeData* p) { return m_mapData.Insert(p->GetID(), p); }

bool COctNode::RecursionAddNode(COctNodeData* p) {
  InsertNodeToMap(p);
  if (!HasChildren()) {
    if (m_nDepth < GetMaxDepth() && m_mapData.size() > GetMaxNodes()) CreateChildren();
    if (!HasChildren()) return true;
  }
  for (int i = 0; i < 8; ++i) {
    COctNode* child = ElementAt(i);
    if (child->m_box.meets(p->GetBox())) child->RecursionAddNode(p);
  }
  return true;
}

void COctNode::CreateChildren() {
  const shapekit::point3d<double> c = m_box.center();
  const shapekit::vector3d<double> h = m_box.size() * 0.5;
  for (int i = 0; i < 8; ++i) {
    const shapekit::point3d<double> corner((i & 1) ? c.x - h.x : c.x + h.x,
                                           (i & 2) ? c.y - h.y : c.y + h.y,
                                           (i & 4) ? c.z - h.z : c.z + h.z);
    OctBox childBox;
    childBox.extend(c);
    childBox.extend(corner);
    auto child = std::make_unique<COctNode>(m_nDepth + 1, childBox);
    for (const COctIdMap::value_type& entry : m_mapData) {
      if (child->m_box.meets(entry.second->GetBox())) child->RecursionAddNode(entry.second);
    }
    m_pChildren[i & 1][(i >> 1) & 1][(i >> 2) & 1] = std::move(child);
  }
}

bool COctNode::__RemoveNode(DWORD id) {
  if (!m_mapData.Erase(id)) return false;
  if (HasChildren()) {
    for (int i = 0; i < 8; ++i) ElementAt(i)->__RemoveNode(id);
  }
  return true;
}

void COctNode::__Clear() {
  for (auto& plane : m_pChildren) {
    for (auto& row : plane) {
      for (auto& child : row) child.reset();
    }
  }
}

bool COctNode::IsAwayBox(const OctBox& q) const { return !m_box.meets(q); }
bool COctNode::IsContainBox(const OctBox& q) const { return m_box.contains(q); }
bool COctNode::IsContainByBox(const OctBox& q) const { return q.contains(m_box); }
bool COctNode::IsAwayRay(const shapekit::point3d<double>& /*p0*/,
                         const shapekit::point3d<double>& /*p1*/) const {
  return false;
}

template <typename Sink>
void COctNode::CollectByBox(const OctBox& q, Sink& sink) const {
  if (IsAwayBox(q)) return;
  if (IsContainByBox(q)) {
    for (const COctIdMap::value_type& entry : m_mapData) sink(entry.first, entry.second);
  } else if (!HasChildren()) {
    for (const COctIdMap::value_type& entry : m_mapData) {
      if (entry.second->GetBox().meets(q)) sink(entry.first, entry.second);
    }
  } else {
    for (int i = 0; i < 8; ++i) ElementAt(i)->CollectByBox(q, sink);
  }
}

int COctNode::GetNodesByBox(const OctBox& q, DataMap& out) const {
  ReadLock lock(OctreeLock());
  if (IsAwayBox(q)) return 0;
  auto sink = [&out](DWORD id, COctNodeData* p) { out.emplace(id, p); };
  CollectByBox(q, sink);
  return static_cast<int>(out.size());
}

int COctNode::GetNodesByBox(const OctBox& q, DataList& out) const {
  // Gathered unsorted, then ordered and made unique: the order and contents of the map form
  // without building a map.
  std::vector<std::pair<DWORD, COctNodeData*>> found;
  {
    ReadLock lock(OctreeLock());
    auto sink = [&found](DWORD id, COctNodeData* p) { found.emplace_back(id, p); };
    CollectByBox(q, sink);
  }
  std::sort(found.begin(), found.end(),
            [](const auto& a, const auto& b) { return a.first < b.first; });
  auto last = std::unique(found.begin(), found.end(),
                          [](const auto& a, const auto& b) { return a.first == b.first; });
  out.reserve(out.size() + static_cast<size_t>(last - found.begin()));
  for (auto it = found.begin(); it != last; ++it) out.push_back(it->second);
  return static_cast<int>(out.size());
}

COctTree::COctTree() : COctTree(OctBox()) {}

COctTree::COctTree(const OctBox& b) : COctNode(0, b), m_boxExtent(b) {}

COctTree::~COctTree() {
  for (const COctIdMap::value_type& entry : m_mapData) delete entry.second;
}

bool COctTree::InsertNode(COctNodeData* p) {
  WriteLock lock(OctreeLock());
  // A second object under a known identifier is in no map; the tree owns it, so it goes once
  // the extent has taken its box in, as for any other object.
  std::unique_ptr<COctNodeData> duplicate(ContainID(p->GetID()) ? p : nullptr);
  if (m_boxExtent.contains(p->GetBox())) {
    if (duplicate == nullptr) RecursionAddNode(p);
    return true;
  }
  // The extent must enclose every object: a default tree's extent is flagged empty, and
  // extending it would forget the objects already inside its corners.
  if (!m_mapData.empty()) m_boxExtent.set(m_boxExtent.min_corner(), m_boxExtent.max_corner());
  InsertNodeToMap(p);
  m_boxExtent.extend(p->GetBox());
  EnlargeTree();
  ReBuildTree();
  return true;
}

bool COctTree::RemoveNode(DWORD id) {
  WriteLock lock(OctreeLock());
  COctNodeData* p = m_mapData.Find(id);
  if (p == nullptr) return false;
  delete p;
  return __RemoveNode(id);
}

void COctTree::Clear() {
  WriteLock lock(OctreeLock());
  for (const COctIdMap::value_type& entry : m_mapData) delete entry.second;
  m_mapData.Clear();
  __Clear();
}

void COctTree::EnlargeTree() {
  m_box = m_boxExtent;
  const shapekit::point3d<double> c = m_box.center();
  const shapekit::vector3d<double> s = m_box.size();
  m_box.extend(c - s);
  m_box.extend(c + s);
}

void COctTree::ReBuildTree() {
  __Clear();
  for (const COctIdMap::value_type& entry : m_mapData) RecursionAddNode(entry.second);
}
