#include "lumotools/geometry/octree.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <new>
#include <utility>

#include "lumotools/sync/auto_lock.h"
#include "lumotools/sync/global_lock.h"
#include "shapekit/tolerance.h"

namespace {

CReaderWriterLock& OctreeLock() {
  static CReaderWriterLock& lock = CGlobalLockMgr::__GetGlobalLock(GLOBAL_LOCK_OCTREE);
  return lock;
}

using ReadLock = CAutoReadLockT<CReaderWriterLock>;
using WriteLock = CAutoWriteLockT<CReaderWriterLock>;

bool ById(const COctNodeData* a, const COctNodeData* b) { return a->GetID() < b->GetID(); }

// Orders [first, found.end()) by identifier and drops the repeats.
void SortUnique(COctNode::DataList& found, size_t first) {
  const auto begin = found.begin() + static_cast<std::ptrdiff_t>(first);
  std::sort(begin, found.end(), ById);
  found.erase(std::unique(begin, found.end()), found.end());
}

// The slice, of 256 across a leaf's box, at t (a coordinate in slices from the leaf's min
// corner): monotonic in t; nan for NaN, which meets compares as meeting.
uint8_t Cell(double t, uint8_t nan) {
  if (t >= 255.0) return 255;
  if (t >= 0.0) return static_cast<uint8_t>(t);
  return t < 0.0 ? 0 : nan;
}

}  // namespace

// The boxes of a full leaf's objects, coarsely: for each object its pointer and, per axis, the
// slices (of 256 across the leaf's box) of its min and max. The same monotonic rounding turns a
// query, widened by the tolerance, into slices, so an object whose slices miss the query's on
// some axis cannot meet it. The objects are in no order. One allocation.
class COctLeafIndex {
 public:
  static COctLeafIndex* Make(const OctBox& leaf, const COctIdMap& map) {
    const uint32_t capacity = static_cast<uint32_t>(map.size()) + 4;
    auto* index = Allocate(nullptr, capacity);
    index->m_nSize = 0;
    for (int axis = 0; axis < 3; ++axis) {
      index->m_dLow[axis] = leaf.min_corner()[axis];
      const double scale = 256.0 / (leaf.max_corner()[axis] - leaf.min_corner()[axis]);
      // A flat or unbounded leaf puts everything in one slice.
      index->m_dScale[axis] = scale > 0 && scale < 1e300 ? scale : 0;
    }
    map.ForEach([index](COctNodeData* p) { index->Append(p); });
    return index;
  }
  static void Destroy(COctLeafIndex* index) { std::free(index); }

  // Adds p; returns where the index now lies.
  static COctLeafIndex* Add(COctLeafIndex* index, COctNodeData* p) {
    if (index->m_nSize == index->m_nCapacity) {
      index = Allocate(index, index->m_nCapacity + std::max<uint32_t>(4, index->m_nCapacity / 4));
    }
    index->Append(p);
    return index;
  }

  // Removes p without reading it.
  void Remove(const COctNodeData* p) {
    Entry* entries = Entries();
    for (uint32_t i = 0; i < m_nSize; ++i) {
      if (entries[i].p == p) {
        entries[i] = entries[--m_nSize];
        return;
      }
    }
  }

  // Appends to found the objects whose boxes meet q.
  void Collect(const OctBox& q, COctNode::DataList& found) const {
    const double tol = shapekit::CGeometryTolerate::GetDefaultTol().GetPointTol();
    uint8_t low[3], high[3];
    for (int axis = 0; axis < 3; ++axis) {
      low[axis] = Cell((q.min_corner()[axis] - tol - m_dLow[axis]) * m_dScale[axis], 0);
      high[axis] = Cell((q.max_corner()[axis] + tol - m_dLow[axis]) * m_dScale[axis], 255);
    }
    const Entry* entries = Entries();
    for (uint32_t i = 0; i < m_nSize; ++i) {
      const uint8_t* c = entries[i].cells;
      if (c[0] <= high[0] && low[0] <= c[3] && c[1] <= high[1] && low[1] <= c[4] &&
          c[2] <= high[2] && low[2] <= c[5] && entries[i].p->GetBox().meets(q)) {
        found.push_back(entries[i].p);
      }
    }
  }

 private:
  struct Entry {
    COctNodeData* p;
    uint8_t cells[6];  // min x, y, z, max x, y, z
  };

  static COctLeafIndex* Allocate(COctLeafIndex* old, uint32_t capacity) {
    auto* index = static_cast<COctLeafIndex*>(
        std::realloc(old, sizeof(COctLeafIndex) + capacity * sizeof(Entry)));
    if (index == nullptr) throw std::bad_alloc();
    index->m_nCapacity = capacity;
    return index;
  }
  Entry* Entries() const { return reinterpret_cast<Entry*>(const_cast<COctLeafIndex*>(this) + 1); }
  void Append(COctNodeData* p) {
    Entry& entry = Entries()[m_nSize++];
    entry.p = p;
    const OctBox& b = p->GetBox();
    for (int axis = 0; axis < 3; ++axis) {
      entry.cells[axis] = Cell((b.min_corner()[axis] - m_dLow[axis]) * m_dScale[axis], 0);
      entry.cells[axis + 3] = Cell((b.max_corner()[axis] - m_dLow[axis]) * m_dScale[axis], 255);
    }
  }

  uint32_t m_nSize;
  uint32_t m_nCapacity;
  double m_dLow[3];
  double m_dScale[3];
};

COctNodeData::~COctNodeData() = default;

COctNode::COctNode(DWORD nDepth, const OctBox& box) : m_nDepth(nDepth), m_box(box) {}

COctNode::~COctNode() { __Clear(); }

DWORD COctNode::GetMaxDepth() const { return 5; }
DWORD COctNode::GetMaxNodes() const { return 20; }

bool COctNode::InsertNodeToMap(COctNodeData* p) { return m_mapData.Insert(p->GetID(), p); }

unsigned COctNode::Octants(const OctBox& b) const {
  // On each axis a child spans what child 0 (upper on every axis) or child 7 (lower on every
  // axis) spans there, and boxes meet when they meet on every axis.
  static constexpr unsigned kLowerOn[3] = {0xAA, 0xCC, 0xF0};  // the children whose bit is set
  const double tol = shapekit::CGeometryTolerate::GetDefaultTol().GetPointTol();
  const OctBox& upper = m_pChildren[0].m_box;
  const OctBox& lower = m_pChildren[7].m_box;
  unsigned octants = 0xFF;
  for (int axis = 0; axis < 3; ++axis) {
    const double lo = b.min_corner()[axis] - tol, hi = b.max_corner()[axis] + tol;
    if (upper.min_corner()[axis] > hi || lo > upper.max_corner()[axis]) octants &= kLowerOn[axis];
    if (lower.min_corner()[axis] > hi || lo > lower.max_corner()[axis]) octants &= ~kLowerOn[axis];
  }
  return octants;
}

bool COctNode::RecursionAddNode(COctNodeData* p) {
  const bool added = InsertNodeToMap(p);
  if (!HasChildren()) {
    if (m_nDepth < GetMaxDepth() && m_mapData.size() > GetMaxNodes()) CreateChildren();
    if (!HasChildren()) {
      if (added) IndexLeafObject(p);
      return true;
    }
  }
  const unsigned octants = Octants(p->GetBox());
  for (int i = 0; i < 8; ++i) {
    if (octants >> i & 1) m_pChildren[i].RecursionAddNode(p);
  }
  return true;
}

void COctNode::IndexLeafObject(COctNodeData* p) {
  if (m_bLeafIndex) {
    m_pLeafIndex = COctLeafIndex::Add(m_pLeafIndex, p);
  } else if (m_mapData.size() > GetMaxNodes()) {
    m_pLeafIndex = COctLeafIndex::Make(m_box, m_mapData);
    m_bLeafIndex = true;
  }
}

void COctNode::CreateChildren() {
  __Clear();  // a leaf index, were there one
  const shapekit::point3d<double> c = m_box.center();
  const shapekit::vector3d<double> h = m_box.size() * 0.5;
  auto* children = static_cast<COctNode*>(::operator new(8 * sizeof(COctNode)));
  for (int i = 0; i < 8; ++i) {
    const shapekit::point3d<double> corner((i & 1) ? c.x - h.x : c.x + h.x,
                                           (i & 2) ? c.y - h.y : c.y + h.y,
                                           (i & 4) ? c.z - h.z : c.z + h.z);
    OctBox childBox;
    childBox.extend(c);
    childBox.extend(corner);
    new (children + i) COctNode(m_nDepth + 1, childBox);
  }
  m_pChildren = children;
  // Each child receives the objects in identifier order, as if given them child by child.
  m_mapData.ForEach([this](COctNodeData* p) {
    const unsigned octants = Octants(p->GetBox());
    for (int i = 0; i < 8; ++i) {
      if (octants >> i & 1) m_pChildren[i].RecursionAddNode(p);
    }
  });
}

bool COctNode::Unlink(DWORD id, const COctNodeData* p) {
  if (!m_mapData.Erase(id, p)) return false;
  if (m_bLeafIndex) {
    m_pLeafIndex->Remove(p);
  } else if (HasChildren()) {
    for (int i = 0; i < 8; ++i) m_pChildren[i].Unlink(id, p);
  }
  return true;
}

bool COctNode::__RemoveNode(DWORD id) {
  const COctNodeData* p = m_mapData.Find(id);
  return p != nullptr && Unlink(id, p);
}

void COctNode::__Clear() {
  if (m_bLeafIndex) {
    COctLeafIndex::Destroy(m_pLeafIndex);
    m_bLeafIndex = false;
    m_pChildren = nullptr;
    return;
  }
  if (m_pChildren == nullptr) return;
  for (int i = 7; i >= 0; --i) m_pChildren[i].~COctNode();
  ::operator delete(m_pChildren);
  m_pChildren = nullptr;
}

bool COctNode::IsAwayBox(const OctBox& q) const { return !m_box.meets(q); }
bool COctNode::IsContainBox(const OctBox& q) const { return m_box.contains(q); }
bool COctNode::IsContainByBox(const OctBox& q) const { return q.contains(m_box); }
bool COctNode::IsAwayRay(const shapekit::point3d<double>& /*p0*/,
                         const shapekit::point3d<double>& /*p1*/) const {
  return false;
}

void COctNode::CollectByBox(const OctBox& q, DataList& found) const {
  if (IsContainByBox(q)) {
    m_mapData.ForEach([&found](COctNodeData* p) { found.push_back(p); });
  } else if (m_bLeafIndex) {
    m_pLeafIndex->Collect(q, found);
  } else if (!HasChildren()) {
    m_mapData.ForEach([&q, &found](COctNodeData* p) {
      if (p->GetBox().meets(q)) found.push_back(p);
    });
  } else {
    const unsigned octants = Octants(q);
    for (int i = 0; i < 8; ++i) {
      if (octants >> i & 1) m_pChildren[i].CollectByBox(q, found);
    }
  }
}

int COctNode::GetNodesByBox(const OctBox& q, DataMap& out) const {
  DataList found;
  {
    ReadLock lock(OctreeLock());
    if (IsAwayBox(q)) return 0;
    CollectByBox(q, found);
  }
  SortUnique(found, 0);
  // In identifier order each entry goes right after the one before; one already there stays.
  auto hint = out.begin();
  for (COctNodeData* p : found) hint = std::next(out.emplace_hint(hint, p->GetID(), p));
  return static_cast<int>(out.size());
}

int COctNode::GetNodesByBox(const OctBox& q, DataList& out) const {
  // Gathered at the back of out, repeats included, then ordered and made unique there.
  const size_t before = out.size();
  {
    ReadLock lock(OctreeLock());
    if (IsAwayBox(q)) return static_cast<int>(before);
    CollectByBox(q, out);
  }
  SortUnique(out, before);
  return static_cast<int>(out.size());
}
COctTree::COctTree() : COctTree(OctBox()) {}

COctTree::COctTree(const OctBox& b) : COctNode(0, b), m_boxExtent(b) {}

COctTree::~COctTree() {
  m_mapData.ForEach([](COctNodeData* p) { delete p; });
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
  return Unlink(id, p);
}

void COctTree::Clear() {
  WriteLock lock(OctreeLock());
  m_mapData.ForEach([](COctNodeData* p) { delete p; });
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
  // Storing the objects again one by one splits the root at the first of them (when it is full),
  // handing every object to the children in identifier order; the rest then find themselves in
  // place, so that split is the whole rebuild.
  __Clear();
  if (m_nDepth < GetMaxDepth() && m_mapData.size() > GetMaxNodes()) CreateChildren();
}
