// An octree over axis-aligned 3D boxes: COctNodeData (a box and an identifier, the base of the
// host's spatial objects), COctNode (a node holding every object that meets its box) and COctTree
// (the root, which owns the objects and widens itself for objects outside its known extent).
//
// Thread-safe: InsertNode, RemoveNode and Clear hold the write lock and GetNodesByBox the read
// lock of CGlobalLockMgr::__GetGlobalLock(GLOBAL_LOCK_OCTREE) for their whole run, one lock for
// all octrees of the process. Construction, destruction and the observers (GetDepth, GetChild,
// ...) take no lock: call them while no other thread changes the tree, or under that lock.
//
// Box tests use the default point tolerance (shapekit::CGeometryTolerate), read at every test:
// boxes apart by no more than it meet.
#ifndef LUMOTOOLS_GEOMETRY_OCTREE_H_
#define LUMOTOOLS_GEOMETRY_OCTREE_H_

#include <map>
#include <vector>

#include "lumotools/export.h"
#include "lumotools/geometry/oct_id_map.h"
#include "lumotools/platform/types.h"
#include "shapekit/box.h"
#include "shapekit/point.h"

using OctBox = shapekit::box<double, 3>;

class COctLeafIndex;

// A spatial object: its bounds and its identifier, unique within a tree. Hosts derive their
// objects from it. An object's box and identifier must not change while it is in a tree.
class LUMO_EXPORT COctNodeData {
 public:
  COctNodeData(const OctBox& box, DWORD dwID) : m_box(box), m_dwID(dwID) {}
  COctNodeData(const COctNodeData&) = default;
  COctNodeData& operator=(const COctNodeData&) = default;
  virtual ~COctNodeData();

  OctBox& GetBox() { return m_box; }
  const OctBox& GetBox() const { return m_box; }
  DWORD GetID() const { return m_dwID; }

 protected:
  OctBox m_box;
  DWORD m_dwID;
};

// A node of the tree: the objects that meet its box (not owned) and, once it has split, eight
// children, each taking the objects that meet its octant. A node splits when it holds more than
// GetMaxNodes() objects at a depth below GetMaxDepth(). Not copyable.
class LUMO_EXPORT COctNode {
 public:
  using DataMap = std::map<DWORD, COctNodeData*>;
  using DataList = std::vector<COctNodeData*>;

  COctNode(DWORD nDepth, const OctBox& box);
  // Destroys the children, not the objects.
  virtual ~COctNode();
  COctNode(const COctNode&) = delete;
  COctNode& operator=(const COctNode&) = delete;

  // The deepest level that may split: nodes at this depth never do. 5.
  virtual DWORD GetMaxDepth() const;
  // A node splits when it holds more objects than this. 20.
  virtual DWORD GetMaxNodes() const;

  // Adds to out every object below this node whose box meets q (objects of a node whose box q
  // contains are added without testing each). out is not cleared: entries already there stay,
  // and each object appears once. Returns out's size; 0 (out unchanged) when q misses this
  // node's box. The pointers stay owned by the tree and valid until the object is removed.
  int GetNodesByBox(const OctBox& q, DataMap& out) const;
  // The same objects, appended to out in identifier order (each once per call); returns out's
  // size, counting what it held before.
  int GetNodesByBox(const OctBox& q, DataList& out) const;

  // Observers (see the file comment on locking).
  DWORD GetDepth() const { return m_nDepth; }
  const OctBox& GetNodeBox() const { return m_box; }
  const COctIdMap& GetDataMap() const { return m_mapData; }
  // Child i (x = bit 0 of i, y = bit 1, z = bit 2; a set bit is the lower half), or null for a
  // leaf. REQUIRES: 0 <= i < 8.
  const COctNode* GetChild(int i) const { return ElementAt(i); }

 protected:
  // Stores p at this node and, where it meets them, in the children, splitting this node first
  // when it is full. Always true.
  bool RecursionAddNode(COctNodeData* p);
  // Stores p under its identifier unless that identifier is already here. True when stored.
  bool InsertNodeToMap(COctNodeData* p);
  // Makes the eight children and hands each the objects of this node that meet its box.
  void CreateChildren();
  // Removes id from this node and, when it was here, from every child. False when it was not.
  bool __RemoveNode(DWORD id);
  // Destroys the children (and the leaf index); the map stays.
  void __Clear();
  // Removes p, stored under id, from this node and, when it was here, from every child, without
  // reading p (it may have been destroyed). False when it was not here.
  bool Unlink(DWORD id, const COctNodeData* p);
  bool ContainID(DWORD id) const { return m_mapData.Contains(id); }
  bool HasChildren() const { return !m_bLeafIndex && m_pChildren != nullptr; }
  COctNode* ElementAt(int i) const { return HasChildren() ? m_pChildren + i : nullptr; }
  COctNode* operator[](int i) const { return ElementAt(i); }
  // q misses this node's box.
  bool IsAwayBox(const OctBox& q) const;
  // This node's box contains q.
  bool IsContainBox(const OctBox& q) const;
  // q contains this node's box.
  bool IsContainByBox(const OctBox& q) const;
  // Rays are not pruned: always false.
  bool IsAwayRay(const shapekit::point3d<double>& p0, const shapekit::point3d<double>& p1) const;

  union {
    // The eight owned children, in one allocation indexed by child number; null for a leaf.
    COctNode* m_pChildren = nullptr;
    // When m_bLeafIndex: a leaf that holds more than GetMaxNodes() objects at the deepest level
    // keeps their boxes, coarsely, beside the map, so that queries test few objects (owned).
    COctLeafIndex* m_pLeafIndex;
  };
  DWORD m_nDepth;
  bool m_bLeafIndex = false;
  OctBox m_box;
  // Identifier -> object, every object stored at this node (not owned by the node).
  COctIdMap m_mapData;

 private:
  // The children whose boxes meet b, as bits by child number. REQUIRES: HasChildren().
  unsigned Octants(const OctBox& b) const;
  // Enters p, just stored in this leaf's map, in the leaf index, making the index when the leaf
  // has become full.
  void IndexLeafObject(COctNodeData* p);
  // The query behind GetNodesByBox, the lock already held and q known to meet this node's box:
  // appends to found (identifier, object) for every object below this node that meets q, some
  // maybe more than once. It walks the tree level by level to the nodes whose maps hold the
  // answer, then asks for their maps' blocks and objects before it reads any, so that those
  // loads are under way together rather than one after another.
  void CollectByBox(const OctBox& q, std::vector<COctIdMap::value_type>& found) const;
};

// The root of an octree. Owns every object inserted into it. The extent is a box known to
// enclose every object; an object that does not fit it widens it, and the tree is then rebuilt
// around a root box of twice the extent's size about its centre. Not copyable.
class LUMO_EXPORT COctTree : public COctNode {
 public:
  // Root box and extent the default box (-1e6 to 1e6 on every axis, flagged empty: the first
  // object outside it while the tree holds nothing makes the extent that object's box; once the
  // tree holds objects the extent only grows, so it always encloses every object).
  COctTree();
  // Root box and extent b.
  explicit COctTree(const OctBox& b);
  // Destroys every object.
  ~COctTree() override;

  // Takes ownership of p and stores it (p inside the extent), or widens the extent, doubles the
  // root box around it and rebuilds (p outside). When p's identifier is already in the tree, the
  // object of that identifier stays and p is destroyed, after widening and rebuilding as above
  // when p lies outside the extent. Always returns true. REQUIRES: p not null.
  bool InsertNode(COctNodeData* p);
  // Removes and destroys the object of identifier id; false (nothing changes) when there is
  // none.
  bool RemoveNode(DWORD id);
  // Destroys every object and every child; root box and extent stay.
  void Clear();

  // The box known to enclose every object (see the class comment).
  const OctBox& GetExtent() const { return m_boxExtent; }

 protected:
  // Makes the root box the extent doubled about its centre.
  void EnlargeTree();
  // Destroys the children and stores every object again, in identifier order.
  void ReBuildTree();

  OctBox m_boxExtent;
};

#endif  // LUMOTOOLS_GEOMETRY_OCTREE_H_
