#include "lumotools/geometry/octree.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
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

// What a query finds, identifier and object, some maybe more than once.
using Found = std::vector<COctIdMap::value_type>;

// Orders found by identifier and drops the repeats. Past a few dozen entries, a radix sort on the
// identifier's bytes, skipping those that all entries share, takes a fraction of a comparison
// sort's time.
void SortUnique(Found& found) {
  constexpr size_t kRadixFrom = 64;
  if (found.size() < kRadixFrom) {
    std::sort(found.begin(), found.end(),
              [](const auto& a, const auto& b) { return a.first < b.first; });
  } else {
    Found scratch(found.size());
    for (int shift = 0; shift < 32; shift += 8) {
      size_t counts[256] = {};
      for (const auto& entry : found) ++counts[entry.first >> shift & 0xFF];
      if (counts[found.front().first >> shift & 0xFF] == found.size()) continue;
      size_t at = 0;
      for (size_t& count : counts) at += std::exchange(count, at);
      for (const auto& entry : found) scratch[counts[entry.first >> shift & 0xFF]++] = entry;
      found.swap(scratch);
    }
  }
  found.erase(std::unique(found.begin(), found.end(),
                          [](const auto& a, const auto& b) { return a.first == b.first; }),
              found.end());
}

struct Span {
  double lo, hi;
};

// What a child's box spans on an axis, the lower or the upper half of its parent's: the span of
// an empty box extended by the parent's centre and then by the corner half the parent's size away.
Span ChildSpan(const OctBox& parent, int axis, bool lower) {
  const double min = parent.min_corner()[axis], max = parent.max_corner()[axis];
  const double c = (min + max) * 0.5;
  const double h = (max - min) * 0.5;
  const double k = lower ? c - h : c + h;
  return Span{c > k ? k : c, k > c ? k : c};
}

// The slice, of 256 across a leaf's box, at t (a coordinate in slices from the leaf's min
// corner): monotonic in t; nan for NaN, which meets compares as meeting.
uint8_t Cell(double t, uint8_t nan) {
  if (t >= 255.0) return 255;
  if (t >= 0.0) return static_cast<uint8_t>(t);
  return t < 0.0 ? 0 : nan;
}

}  // namespace

// The boxes of a full leaf's objects, coarsely: for each object its pointer, its identifier and,
// per axis, the slices (of 256 across the leaf's box) of its min and max. The same monotonic
// rounding turns a query, widened by the tolerance, into slices: an object whose slices miss the
// query's on some axis cannot meet it, and one whose slices lie strictly within the query's on
// every axis meets it. Only the objects between are read. The objects are in no order. One
// allocation: the header, then the pointers, the identifiers and the slices.
class COctLeafIndex {
 public:
  static COctLeafIndex* Make(const OctBox& leaf, const COctIdMap& map) {
    auto* index = Allocate(nullptr, static_cast<uint32_t>(map.size()) + 4);
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
      COctLeafIndex* grown =
          Allocate(index, index->m_nCapacity + std::max<uint32_t>(4, index->m_nCapacity / 8));
      std::free(index);
      index = grown;
    }
    index->Append(p);
    return index;
  }

  // Removes p without reading it.
  void Remove(const COctNodeData* p) {
    COctNodeData** objects = Objects();
    for (uint32_t i = 0; i < m_nSize; ++i) {
      if (objects[i] == p) {
        --m_nSize;
        objects[i] = objects[m_nSize];
        Ids()[i] = Ids()[m_nSize];
        std::memcpy(Cells(i), Cells(m_nSize), kCells);
        return;
      }
    }
  }

  // Appends to found every object (contains) or those whose boxes meet q.
  void Collect(const OctBox& q, bool contains, Found& found) const {
    COctNodeData* const* objects = Objects();
    const DWORD* ids = Ids();
    if (contains) {
      for (uint32_t i = 0; i < m_nSize; ++i) found.emplace_back(ids[i], objects[i]);
      return;
    }
    const double tol = shapekit::CGeometryTolerate::GetDefaultTol().GetPointTol();
    uint8_t low[3], high[3];
    for (int axis = 0; axis < 3; ++axis) {
      low[axis] = Cell((q.min_corner()[axis] - tol - m_dLow[axis]) * m_dScale[axis], 0);
      high[axis] = Cell((q.max_corner()[axis] + tol - m_dLow[axis]) * m_dScale[axis], 255);
    }
    for (uint32_t i = 0; i < m_nSize; ++i) {
      const uint8_t* c = Cells(i);
      bool inside = true;
      bool meets = true;
      for (int axis = 0; axis < 3; ++axis) {
        meets &= c[axis] <= high[axis] && low[axis] <= c[axis + 3];
        inside &= c[axis] < high[axis] && low[axis] < c[axis + 3];
      }
      if (inside || (meets && objects[i]->GetBox().meets(q))) {
        found.emplace_back(ids[i], objects[i]);
      }
    }
  }

 private:
  static constexpr size_t kCells = 6;  // min x, y, z, max x, y, z

  // An index for capacity objects holding those of old (not freed), or an empty one.
  static COctLeafIndex* Allocate(const COctLeafIndex* old, uint32_t capacity) {
    void* raw = std::malloc(sizeof(COctLeafIndex) +
                            capacity * (sizeof(COctNodeData*) + sizeof(DWORD) + kCells));
    if (raw == nullptr) throw std::bad_alloc();
    auto* index = static_cast<COctLeafIndex*>(raw);
    index->m_nSize = 0;
    index->m_nCapacity = capacity;
    if (old != nullptr) {
      index->m_nSize = old->m_nSize;
      std::copy(old->m_dLow, old->m_dLow + 3, index->m_dLow);
      std::copy(old->m_dScale, old->m_dScale + 3, index->m_dScale);
      std::memcpy(index->Objects(), old->Objects(), old->m_nSize * sizeof(COctNodeData*));
      std::memcpy(index->Ids(), old->Ids(), old->m_nSize * sizeof(DWORD));
      std::memcpy(index->Cells(0), old->Cells(0), old->m_nSize * kCells);
    }
    return index;
  }
  COctNodeData** Objects() const {
    return reinterpret_cast<COctNodeData**>(const_cast<COctLeafIndex*>(this) + 1);
  }
  DWORD* Ids() const { return reinterpret_cast<DWORD*>(Objects() + m_nCapacity); }
  uint8_t* Cells(uint32_t i) const {
    return reinterpret_cast<uint8_t*>(Ids() + m_nCapacity) + i * kCells;
  }
  void Append(COctNodeData* p) {
    const uint32_t i = m_nSize++;
    Objects()[i] = p;
    Ids()[i] = p->GetID();
    uint8_t* c = Cells(i);
    const OctBox& b = p->GetBox();
    for (int axis = 0; axis < 3; ++axis) {
      c[axis] = Cell((b.min_corner()[axis] - m_dLow[axis]) * m_dScale[axis], 0);
      c[axis + 3] = Cell((b.max_corner()[axis] - m_dLow[axis]) * m_dScale[axis], 255);
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
  // Boxes meet when they meet on every axis, and on each axis a child spans the upper or the
  // lower half of this node's box.
  static constexpr unsigned kLowerOn[3] = {0xAA, 0xCC, 0xF0};  // the children whose bit is set
  const double tol = shapekit::CGeometryTolerate::GetDefaultTol().GetPointTol();
  unsigned octants = 0xFF;
  for (int axis = 0; axis < 3; ++axis) {
    const double lo = b.min_corner()[axis] - tol, hi = b.max_corner()[axis] + tol;
    const Span upper = ChildSpan(m_box, axis, false);
    const Span lower = ChildSpan(m_box, axis, true);
    if (upper.lo > hi || lo > upper.hi) octants &= kLowerOn[axis];
    if (lower.lo > hi || lo > lower.hi) octants &= ~kLowerOn[axis];
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
  auto* children = static_cast<COctNode*>(::operator new(8 * sizeof(COctNode)));
  for (int i = 0; i < 8; ++i) {
    Span spans[3];
    for (int axis = 0; axis < 3; ++axis) spans[axis] = ChildSpan(m_box, axis, (i >> axis) & 1);
    const OctBox childBox(shapekit::point3d<double>(spans[0].lo, spans[1].lo, spans[2].lo),
                          shapekit::point3d<double>(spans[0].hi, spans[1].hi, spans[2].hi));
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

void COctNode::CollectByBox(const OctBox& q, Found& found) const {
  constexpr size_t kPrefetchedObjects = 64;
  struct Scan {
    const COctNode* node;
    bool contains;
  };
  std::vector<const COctNode*> level{this}, next;
  std::vector<Scan> scans;
  while (!level.empty()) {
    for (const COctNode* node : level) {
      const bool contains = node->IsContainByBox(q);
      if (node->m_bLeafIndex) {
        __builtin_prefetch(node->m_pLeafIndex);
        scans.push_back({node, contains});
      } else if (contains || !node->HasChildren()) {
        node->m_mapData.Prefetch();
        scans.push_back({node, contains});
      } else {
        const unsigned octants = node->Octants(q);
        for (int i = 0; i < 8; ++i) {
          if (octants >> i & 1) next.push_back(node->m_pChildren + i);
        }
      }
    }
    level.swap(next);
    next.clear();
  }
  // The objects of small maps, which are read next; a large map's reading streams anyway.
  for (const Scan& scan : scans) {
    if (!scan.node->m_bLeafIndex && scan.node->m_mapData.size() <= kPrefetchedObjects) {
      scan.node->m_mapData.ForEach([](COctNodeData* p) {
        __builtin_prefetch(p);
        __builtin_prefetch(reinterpret_cast<const char*>(p) + sizeof(COctNodeData) - 1);
      });
    }
  }
  for (const Scan& scan : scans) {
    const COctNode* node = scan.node;
    if (node->m_bLeafIndex) {
      node->m_pLeafIndex->Collect(q, scan.contains, found);
    } else if (scan.contains) {
      node->m_mapData.ForEach([&found](COctNodeData* p) { found.emplace_back(p->GetID(), p); });
    } else {
      node->m_mapData.ForEach([&q, &found](COctNodeData* p) {
        if (p->GetBox().meets(q)) found.emplace_back(p->GetID(), p);
      });
    }
  }
}

int COctNode::GetNodesByBox(const OctBox& q, DataMap& out) const {
  Found found;
  {
    ReadLock lock(OctreeLock());
    if (IsAwayBox(q)) return 0;
    CollectByBox(q, found);
  }
  SortUnique(found);
  // In identifier order each entry goes right after the one before; one already there stays.
  auto hint = out.begin();
  for (const auto& entry : found) hint = std::next(out.insert(hint, entry));
  return static_cast<int>(out.size());
}

int COctNode::GetNodesByBox(const OctBox& q, DataList& out) const {
  Found found;
  {
    ReadLock lock(OctreeLock());
    if (IsAwayBox(q)) return static_cast<int>(out.size());
    CollectByBox(q, found);
  }
  SortUnique(found);
  out.reserve(out.size() + found.size());
  for (const auto& entry : found) out.push_back(entry.second);
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
