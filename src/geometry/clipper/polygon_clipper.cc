// Vatti's scanbeam clipping, driven by events.
//
// Terms used below:
// - Scanline: a height at which some input edge starts or ends. Consecutive scanlines bound a
//   scanbeam, inside which no edge starts or ends.
// - Local minima table: the input edges in the order of their lower ends, so that the sweep takes
//   the edges starting on each scanline from its front.
// - Active edge table (AET): the edges crossing the current scanbeam, ordered left to right.
//   Edges that run on the same line through the beam form one bundle, which changes the
//   subject/clip parity by the xor of its members' types: shared edges cancel or merge. The
//   bundles are kept in a list threaded through a treap (positional: its in-order is the list
//   order), so that a starting edge finds its place in O(log n). Each bundle keeps the
//   subject/clip parity just right of it, so a bundle's neighbourhood is classified from its left
//   neighbour alone.
// - Events: what happens on a scanline (an edge ends, two bundles meet at one point, a bundle's
//   members part), kept in a list per scanline, and what happens inside a beam (two neighbouring
//   bundles cross), kept in a heap. Events are predicted for neighbours only, when they become
//   neighbours, so a scanline or a crossing costs O(log n) plus the bundles at its point, and a
//   clip costs O((n + k) log n).
// - Small clips (up to kLinearEdges edges) keep the active edge table as a plain list without the
//   treap and predict nothing ahead: after each scanline one pass over the list finds the
//   neighbours that cross in the beam above and those that meet or part on the next scanline.
//   Bundles still list themselves on the scanline where they end. On a short table that pass
//   costs less than keeping the treap and bisecting for events.
// - Output chain: a partial result contour, a list of vertices grown at both ends and joined to
//   other chains, until its two ends meet and it closes.
//
// A difference lies within the heights of its subject and an intersection within those of both
// inputs: there, edges wholly below those heights are left out and the sweep ends at their top.
//
// Horizontal input edges take no part: a region's inside is the even-odd parity of the
// non-horizontal edges left of a point. Horizontal result edges come from comparing the result
// just below and just above each scanline; they run from a point where the two differ to the
// next point where they agree, across the bundles in between.
//
// Every place where result boundaries meet (a vertex on a scanline, or a crossing inside a beam)
// is handled the same way: the result boundaries at the point are listed counter-clockwise, each
// with the result state of the sector that follows it, and boundaries on both sides of an inside
// sector are connected. A boundary arriving at the point carries the chain it ends; one leaving it
// receives one. Chains run clockwise (the inside on their right), and are written to the result
// from the last array position to the first, so outer contours come out counter-clockwise.
#include "lumotools/geometry/polygon_clipper.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "gpc_memory.h"

using lumo_gpc::Allocate;
using lumo_gpc::Arena;
using lumo_gpc::Buffer;

#if defined(LUMO_CLIPPER_COUNT_WORK)
long lumo_gpc::abscissas_computed = 0;
#endif

namespace {

constexpr uint8_t kSubject = 1;
constexpr uint8_t kClip = 2;
constexpr int32_t kNone = -1;
// Up to this many edges the active edge table is a plain list passed over on every scanline.
constexpr size_t kLinearEdges = 256;
// Vertices are sorted by height through buckets; beyond kBucketedHeights of them, only when the
// buckets leave insertion sort few moves: a sum of squared bucket sizes up to kCrowdedBuckets per
// vertex.
constexpr size_t kBucketedHeights = 1024;
constexpr size_t kCrowdedBuckets = 8;
// Two abscissas on a scanline are the same point only when they are equal (see GPC_EPSILON).
bool SameX(double a, double b) { return a == b; }

// An input edge.
struct Edge {
  double xb, yb;   // lower end
  double xt, yt;   // upper end; yt > yb
  double slope;    // dx / dy
  int32_t bottom;  // scanline of the lower end
  int32_t top;     // scanline of the upper end
  uint8_t type;    // kSubject or kClip
};

double XAt(const Edge& e, double y) {
#if defined(LUMO_CLIPPER_COUNT_WORK)
  ++lumo_gpc::abscissas_computed;
#endif
  // Both values are computed and one is picked by index, which compilers turn into no branch:
  // which one it is depends on the data, and a branch on it is often mispredicted.
  const double x[2] = {e.xb + (y - e.yb) * e.slope, e.xt};
  return x[y >= e.yt];
}

// An edge on a scanline, ordered by abscissa and, at one point, by slope upwards.
struct Placed {
  double x, slope;
  int32_t edge;
};

bool Before(const Placed& a, const Placed& b) {
  return a.x < b.x || (a.x == b.x && a.slope < b.slope);
}

// A bundle of the active edge table: the input edges members_[first, first + count), running on
// one line through the beam, ordered by slope.
struct Bundle {
  int32_t first;
  int32_t edge;  // members_[first], whose line the bundle follows
  int32_t count;
  int32_t top;    // the lowest scanline where a member ends
  int32_t end;    // the chain the bundle's boundary extends, or kNone
  int32_t slot;   // place in the list
  int32_t mark;   // scanline + 1 when it was last a seed of a scanline
  int32_t done;   // scanline + 1 when Scanline made or replaced it there, read on that one only
  uint8_t mask;   // xor of the member types
  uint8_t right;  // subject/clip parity just right of the bundle
  bool alive;
};

// A place in the active edge table: a list node and a treap node. Slot kEnds holds no bundle
// (kNone) and closes the list into a ring: its next is the first slot and its prev the last, so
// that stepping along the list needs no test for its ends. It is never in the treap, whose
// updates write the parent of a missing child to it instead of testing for one.
constexpr int32_t kEnds = 0;

struct Slot {
  int32_t bundle;
  int32_t prev, next;
  int32_t parent;
  int32_t child[2];  // left and right; which side a step takes is an index, not a branch
  uint32_t priority;
};

static_assert(kNone == -1 && kEnds == 0, "OrEnds counts on these values");
int32_t OrEnds(int32_t slot) { return slot + (slot == kNone); }

// Bundles a and b (b may be kNone) to visit on a scanline: an entry of that scanline's list.
struct ScanEvent {
  int32_t a, b;
  int32_t next;  // the next entry of the list, or kNone
};

// Bundles a and b cross inside the beam above scanline `scan`, at height t (0 bottom to 1 top).
// Crossings at one height go by the abscissas of b and a at the bottom of the beam, so that
// several lines through one point swap in one order.
struct Event {
  int32_t scan;
  double t;
  double xb, xa;
  int32_t a, b;
};

bool Later(const Event& p, const Event& q) {
  if (p.scan != q.scan) return p.scan > q.scan;
  if (p.t != q.t) return p.t > q.t;
  if (p.xb != q.xb) return p.xb > q.xb;
  return p.xa > q.xa;
}

// What a scanline starts from: a bundle to visit or an edge starting there, at abscissa x.
struct Seed {
  double x;
  int32_t bundle;
  int32_t edge;
};

// The height of an input vertex.
struct Height {
  double y;
  int32_t vertex;
};

struct VertexNode {
  double x, y;
  int32_t next;
};

struct Chain {
  int32_t head, tail;  // vertex nodes
  int32_t parent;      // itself, or the chain it was joined onto
};

struct ClosedChain {
  int32_t chain;
  int32_t hole;
};

// A result boundary meeting at a point. Incoming ones carry their chain in `end`; outgoing ones
// receive one through `out`.
struct Item {
  bool incoming;
  bool after_inside;  // the result holds the sector that follows counter-clockwise
  int32_t edge;       // input edge (a bundle's first), or kNone for a horizontal result edge
  int32_t end;
  int32_t* out;
};

class Sweep {
 public:
  // The tables take their memory from arena first.
  Sweep(gpc_op op, Arena* arena) : arena_(arena) {
    for (unsigned s = 0; s < 4; ++s) {
      const bool in_subject = s & kSubject, in_clip = s & kClip;
      switch (op) {
        case GPC_DIFF:
          inside_[s] = in_subject && !in_clip;
          break;
        case GPC_INT:
          inside_[s] = in_subject && in_clip;
          break;
        case GPC_XOR:
          inside_[s] = in_subject != in_clip;
          break;
        default:
          inside_[s] = in_subject || in_clip;
          break;
      }
    }
  }

  // The result lies between heights low and high: edges added after this that lie wholly below
  // low are left out, and the sweep ends at high.
  void KeepHeights(double low, double high) {
    low_ = low;
    high_ = high;
  }
  // At most `vertices` vertices (and so edges) will be added.
  void Reserve(size_t vertices) {
    input_.reserve(vertices);
    heights_.reserve(vertices);
  }
  // REQUIRES: Reserve made room for the contour's vertices.
  void AddContour(const gpc_vertex_list& c, uint8_t type);
  void Run();
  void Emit(gpc_polygon* result);

 private:
  // Active edge table.
  double XOf(int32_t bundle, double y) const { return XAt(input_[bundles_[bundle].edge], y); }
  int32_t Next(int32_t bundle) const;
  int32_t Prev(int32_t bundle) const;
  int32_t Extreme(bool last) const;
  int32_t Locate(double x, double y, int32_t after) const;
  void InsertAfter(int32_t bundle, int32_t after);
  void Replace(int32_t old, int32_t bundle);
  void Remove(int32_t bundle);
  void RotateUp(int32_t slot);
  int32_t Sloped(int32_t bundle) const { return input_[bundles_[bundle].edge].slope != 0; }

  // Events.
  void Visit(int32_t scan, int32_t a, int32_t b);
  void Push(const Event& e);
  Event Pop();
  void Predict(int32_t left, int32_t right, int32_t from);
  bool Parted(const Bundle& b, double y) const;
  void PredictParting(int32_t bundle, int32_t from);
  void PredictBeam(int32_t j);
  void SortHeights();

  void Scanline(int32_t j);
  bool SimplePoint(int32_t j);
  int32_t Group(int32_t first, int32_t below, const int32_t* starting, size_t starting_count,
                int32_t anchor);
  void Beam(int32_t j);
  void Cross(int32_t left, int32_t right, double t, int32_t j);
  void Connect(double x, double y);

  int32_t NewChain(double x, double y);
  int32_t Root(int32_t chain);
  void AddAtTail(int32_t chain, double x, double y);
  void AddAtHead(int32_t chain, double x, double y);
  void Join(int32_t tail, int32_t head, int32_t hole);

  Arena* const arena_;
  bool inside_[4];
  double low_ = -HUGE_VAL, high_ = HUGE_VAL;  // the heights the result can lie between
  Buffer<Edge> input_{"edge table creation", arena_};
  // The vertices of the contours that have edges, in input order; until Run, an edge's bottom and
  // top are the indices of its ends here.
  Buffer<Height> heights_{"sbt creation", arena_};
  Buffer<int32_t> order_{"LMT insertion", arena_};  // the edges by lower end, then input order
  Buffer<double> scanlines_{"sbt creation", arena_};
  Buffer<int32_t> members_{"ST insertion", arena_};
  Buffer<Bundle> bundles_{"ST insertion", arena_};
  Buffer<Slot> slots_{"ST insertion", arena_};
  Buffer<int32_t> scan_first_{"IT insertion", arena_};  // per scanline: its first event
  Buffer<ScanEvent> scan_events_{"IT insertion", arena_};
  Buffer<Event> events_{"IT insertion", arena_};
  Buffer<Seed> seeds_{"IT insertion", arena_};
  Buffer<int32_t> starting_{"LMT insertion", arena_};
  Buffer<Placed> placed_{"ST insertion", arena_};
  Buffer<Item> items_{"IT insertion", arena_};
  Buffer<VertexNode> nodes_{"vertex node creation", arena_};
  Buffer<Chain> chains_{"polygon node creation", arena_};
  Buffer<ClosedChain> closed_{"polygon node creation", arena_};
  // A small clip keeps the table as a plain list and passes over all of it on every scanline,
  // which costs less than keeping the treap and predicting events when the table is short.
  bool linear_ = false;
  int32_t root_ = kNone;
  uint32_t random_ = 0x9e3779b9u;
  size_t next_new_ = 0;
  // The scanline being processed, its height and the next one's.
  int32_t scan_ = 0;
  double y_ = 0, ynext_ = 0;
  // Subject/clip parity just below and just above the scanline, left of the point at hand.
  unsigned below_state_ = 0, above_state_ = 0;
  int32_t pending_ = kNone;  // chain of the horizontal result edge running right along a scanline
  int32_t sloped_ = 0;       // bundles in a plain table that are not vertical
  // Seeds of the scanline that are bundles, and how many of them have left the table.
  int32_t seed_bundles_ = 0, retired_seeds_ = 0;
};

void Sweep::AddContour(const gpc_vertex_list& c, uint8_t type) {
  const int32_t n = c.num_vertices;
  const size_t first = input_.size();
  const int32_t base = static_cast<int32_t>(heights_.size());
  // Every edge is written to the next free place and kept unless horizontal, and its ends are
  // picked by index: branches on the data here are mispredicted often.
  Edge* out = input_.data() + first;
  size_t kept = 0;
  for (int32_t i = 0; i < n; ++i) {
    const gpc_vertex a = c.vertex[i];
    if (!std::isfinite(a.x) || !std::isfinite(a.y)) {
      heights_.resize(static_cast<size_t>(base));
      return;
    }
    heights_.push_back(Height{a.y, base + i});
    const int32_t next = i + 1 == n ? 0 : i + 1;
    const gpc_vertex ends[2] = {a, c.vertex[next]};
    const int32_t vertices[2] = {base + i, base + next};
    const int up = a.y > ends[1].y;  // the lower end is ends[up]
    const gpc_vertex& lo = ends[up];
    const gpc_vertex& hi = ends[1 - up];
    const double dy = hi.y - lo.y;
    Edge& e = out[kept];
    e.xb = lo.x;
    e.yb = lo.y;
    e.xt = hi.x;
    e.yt = hi.y;
    e.slope = (hi.x - lo.x) / (dy + (dy == 0));  // a horizontal edge is not kept
    e.bottom = vertices[up];
    e.top = vertices[1 - up];
    e.type = type;
    kept += static_cast<size_t>(dy != 0) & static_cast<size_t>(e.yt >= low_);
  }
  input_.resize(first + kept);
  // A contour of horizontal edges only takes no part, and its heights make no scanlines.
  if (kept == 0) heights_.resize(static_cast<size_t>(base));
}

// The bundle after `bundle` (kNone: the first one), or kNone.
int32_t Sweep::Next(int32_t bundle) const {
  const int32_t s = bundle == kNone ? kEnds : bundles_[bundle].slot;
  return slots_[slots_[s].next].bundle;
}

int32_t Sweep::Prev(int32_t bundle) const {
  return slots_[slots_[bundles_[bundle].slot].prev].bundle;
}

// The first or the last bundle of the table, or kNone.
int32_t Sweep::Extreme(bool last) const {
  return slots_[last ? slots_[kEnds].prev : slots_[kEnds].next].bundle;
}

// The first bundle that is not left of abscissa x on scanline y, or kNone. A plain list is
// searched from the bundle after `after` (kNone: from the front), which must be left of x.
int32_t Sweep::Locate(double x, double y, int32_t after) const {
  if (linear_) {
    const int32_t from = slots_[after == kNone ? kEnds : bundles_[after].slot].next;
    for (int32_t s = from; s != kEnds; s = slots_[s].next) {
      const double bx = XOf(slots_[s].bundle, y);
      if (!(bx < x) || SameX(bx, x)) return slots_[s].bundle;
    }
    return kNone;
  }
  int32_t found = kNone;
  for (int32_t s = root_; s != kNone;) {
    const double bx = XOf(slots_[s].bundle, y);
    if (bx < x && !SameX(bx, x)) {
      s = slots_[s].child[1];
    } else {
      found = slots_[s].bundle;
      s = slots_[s].child[0];
    }
  }
  return found;
}

void Sweep::RotateUp(int32_t s) {
  Slot& x = slots_[s];
  const int32_t p = x.parent;
  Slot& ps = slots_[p];
  const int32_t g = ps.parent;
  const int side = ps.child[1] == s;  // x is the child of p on this side
  const int32_t inner = x.child[1 - side];
  ps.child[side] = inner;
  slots_[OrEnds(inner)].parent = p;
  x.child[1 - side] = p;
  ps.parent = s;
  x.parent = g;
  if (g == kNone) {
    root_ = s;
  } else {
    Slot& gs = slots_[g];
    gs.child[gs.child[1] == p] = s;
  }
}

// Puts bundle into the table right after `after` (kNone: at the front).
void Sweep::InsertAfter(int32_t bundle, int32_t after) {
  const int32_t s = static_cast<int32_t>(slots_.size());
  slots_.push_back(Slot{bundle, kNone, kNone, kNone, {kNone, kNone}, 0});
  bundles_[bundle].slot = s;
  const int32_t prev = after == kNone ? kEnds : bundles_[after].slot;
  const int32_t next = slots_[prev].next;
  slots_[s].prev = prev;
  slots_[s].next = next;
  slots_[prev].next = s;
  slots_[next].prev = s;
  if (linear_) {
    sloped_ += Sloped(bundle);
    return;
  }
  const int32_t a = after == kNone ? kNone : prev;
  random_ ^= random_ << 13;
  random_ ^= random_ >> 17;
  random_ ^= random_ << 5;
  slots_[s].priority = random_;
  // In the treap: the right child of `after`, or the left child of its successor.
  if (root_ == kNone) {
    root_ = s;
    return;
  }
  if (a != kNone && slots_[a].child[1] == kNone) {
    slots_[a].child[1] = s;
    slots_[s].parent = a;
  } else {
    int32_t n = a == kNone ? root_ : slots_[a].child[1];
    while (slots_[n].child[0] != kNone) n = slots_[n].child[0];
    slots_[n].child[0] = s;
    slots_[s].parent = n;
  }
  while (slots_[s].parent != kNone && slots_[slots_[s].parent].priority < slots_[s].priority) {
    RotateUp(s);
  }
}

// Puts bundle in the place of `old`, which leaves the table.
void Sweep::Replace(int32_t old, int32_t bundle) {
  const int32_t s = bundles_[old].slot;
  bundles_[old].alive = false;
  if (linear_) sloped_ += Sloped(bundle) - Sloped(old);
  slots_[s].bundle = bundle;
  bundles_[bundle].slot = s;
}

void Sweep::Remove(int32_t bundle) {
  const int32_t s = bundles_[bundle].slot;
  bundles_[bundle].alive = false;
  Slot& x = slots_[s];
  slots_[x.prev].next = x.next;
  slots_[x.next].prev = x.prev;
  if (linear_) {
    sloped_ -= Sloped(bundle);
    return;
  }
  while (x.child[0] != kNone && x.child[1] != kNone) {
    const int side = slots_[x.child[1]].priority >= slots_[x.child[0]].priority;
    RotateUp(x.child[side]);
  }
  const int32_t child = x.child[x.child[0] == kNone];
  slots_[OrEnds(child)].parent = x.parent;
  if (x.parent == kNone) {
    root_ = child;
  } else {
    Slot& ps = slots_[x.parent];
    ps.child[ps.child[1] == s] = child;
  }
}

// Queues a visit of bundles a and b on scanline `scan`.
inline void Sweep::Visit(int32_t scan, int32_t a, int32_t b) {
  scan_events_.push_back(ScanEvent{a, b, scan_first_[scan]});
  scan_first_[scan] = static_cast<int32_t>(scan_events_.size() - 1);
}

void Sweep::Push(const Event& e) {
  events_.push_back(e);
  std::push_heap(events_.begin(), events_.end(), Later);
}

Event Sweep::Pop() {
  std::pop_heap(events_.begin(), events_.end(), Later);
  const Event e = events_.back();
  events_.resize(events_.size() - 1);
  return e;
}

// Queues what next happens to the neighbours `left` and `right` (in this order on scanline
// from - 1): on the first scanline from `from` on where `right` is no longer right of `left`, they
// either meet at one point or have crossed inside the beam below it. Their gap is linear in
// height, so that scanline is found by bisection.
void Sweep::Predict(int32_t left, int32_t right, int32_t from) {
  if (left == kNone || right == kNone) return;
  const int32_t last = std::min(bundles_[left].top, bundles_[right].top);
  if (from > last) return;
  auto reached = [&](int32_t j, bool* same) {
    const double xl = XOf(left, scanlines_[j]), xr = XOf(right, scanlines_[j]);
    *same = SameX(xl, xr);
    return *same || xl > xr;
  };
  bool same = false;
  int32_t lo = from;
  if (linear_) {
    // Only the beam below `from`: PredictBeam looks at the next one when it comes.
    if (!reached(from, &same)) return;
    if (same) {
      Visit(from, left, right);
      return;
    }
  } else {
    if (!reached(last, &same)) return;
    int32_t hi = last;
    // Which half is taken depends on the data, so it is picked without a branch.
    while (lo < hi) {
      const int32_t mid = lo + (hi - lo) / 2;
      bool s = false;
      const bool r = reached(mid, &s);
      hi = r ? mid : hi;
      lo = r ? lo : mid + 1;
    }
    reached(lo, &same);
    if (same || lo == 0) {
      Visit(lo, left, right);
      return;
    }
  }
  // A crossing in the beam below scanline lo.
  const double y = scanlines_[lo - 1], ynext = scanlines_[lo];
  const double xl = XOf(left, y), xr = XOf(right, y);
  const double gap_bottom = xr - xl;
  const double gap_top = XOf(right, ynext) - XOf(left, ynext);
  double t = gap_bottom / (gap_bottom - gap_top);
  if (!(t >= 0)) t = 0;
  if (t > 1) t = 1;
  Push(Event{lo - 1, t, xr, xl, left, right});
}

// Whether the members of b are no longer at one point on height y.
bool Sweep::Parted(const Bundle& b, double y) const {
  double prev = XAt(input_[b.edge], y);
  for (int32_t m = 1; m < b.count; ++m) {
    const double x = XAt(input_[members_[b.first + m]], y);
    if (!SameX(prev, x)) return true;
    prev = x;
  }
  return false;
}

// On a table kept as a plain list: what happens in the beam above scanline j and on the scanline
// after it, to neighbours that meet or cross and to bundles whose members part.
void Sweep::PredictBeam(int32_t j) {
  int32_t s = slots_[kEnds].next;
  if (s == kEnds) return;
  const bool parting = j + 2 < static_cast<int32_t>(scanlines_.size());
  double xl = XOf(slots_[s].bundle, ynext_);
  for (;; s = slots_[s].next) {
    const int32_t b = slots_[s].bundle;
    const Bundle& bundle = bundles_[b];
    if (parting && bundle.count > 1 && Parted(bundle, scanlines_[j + 2])) Visit(j + 1, b, kNone);
    const int32_t r = slots_[s].next;
    if (r == kEnds) break;
    const double xr = XOf(slots_[r].bundle, ynext_);
    if (!(xl < xr) || SameX(xl, xr)) Predict(b, slots_[r].bundle, j + 1);
    xl = xr;
  }
}

// Sorts heights_ by height. They are first spread over as many buckets by value, after which
// insertion sort has little left to move: that avoids most of the mispredicted comparisons of a
// quicksort. Insertion sort moves a height only past the others of its bucket; beyond
// kBucketedHeights heights, crowded buckets are left to quicksort instead. Temporary arrays come
// from the arena, which gets them back.
void Sweep::SortHeights() {
  const size_t v = heights_.size();
  double lo = heights_[0].y, hi = lo;
  for (size_t i = 1; i < v; ++i) {
    lo = std::min(lo, heights_[i].y);
    hi = std::max(hi, heights_[i].y);
  }
  const double range = hi - lo;
  bool bucketed = range > 0 && std::isfinite(range);
  const size_t arena_used = arena_->used();
  if (bucketed) {
    const double scale = static_cast<double>(v - 1) / range;  // buckets 0 to v - 1
    Buffer<int32_t> bucket("sbt creation", arena_);
    Buffer<int32_t> place("sbt creation", arena_);
    Buffer<Height> sorted("sbt creation", arena_);
    bucket.resize(v);
    place.resize(v + 1);
    sorted.resize(v);
    std::fill(place.begin(), place.end(), 0);
    for (size_t i = 0; i < v; ++i) {
      bucket[i] = static_cast<int32_t>((heights_[i].y - lo) * scale);
      ++place[bucket[i] + 1];
    }
    if (v > kBucketedHeights) {
      size_t moves = 0;
      for (size_t b = 1; b <= v; ++b) moves += static_cast<size_t>(place[b]) * place[b];
      bucketed = moves <= kCrowdedBuckets * v;
    }
    if (bucketed) {
      for (size_t b = 1; b <= v; ++b) place[b] += place[b - 1];
      for (size_t i = 0; i < v; ++i) sorted[place[bucket[i]]++] = heights_[i];
      for (size_t i = 0; i < v; ++i) {
        const Height h = sorted[i];
        size_t k = i;
        for (; k > 0 && h.y < heights_[k - 1].y; --k) heights_[k] = heights_[k - 1];
        heights_[k] = h;
      }
    }
  }
  arena_->Rewind(arena_used);
  if (!bucketed) {
    std::sort(heights_.begin(), heights_.end(),
              [](const Height& a, const Height& b) { return a.y < b.y; });
  }
}

// The members of a bundle run on one line up to the next scanline; they part on the first
// scanline from `from` on where they are no longer at one point on the scanline after it.
void Sweep::PredictParting(int32_t bundle, int32_t from) {
  const Bundle& b = bundles_[bundle];
  if (b.count < 2) return;
  const int32_t last = b.top - 1;
  if (from > last) return;
  auto parted = [&](int32_t j) { return Parted(b, scanlines_[j + 1]); };
  if (!parted(last)) return;
  int32_t lo = from, hi = last;
  while (lo < hi) {
    const int32_t mid = lo + (hi - lo) / 2;
    if (parted(mid)) {
      hi = mid;
    } else {
      lo = mid + 1;
    }
  }
  Visit(lo, bundle, kNone);
}

void Sweep::Run() {
  const size_t n = input_.size();
  if (n == 0) return;
  linear_ = n <= kLinearEdges;
  // The scanlines are the distinct heights of the vertices: every vertex of a contour with
  // edges is an end of an edge or lies on a horizontal run of them that ends in one. Sorting the
  // vertices (half as many as the ends of the edges) gives each vertex its scanline, hence each
  // edge its bottom and top; the edges are then put in order of their bottoms by counting, which
  // keeps input order at one height.
  const size_t v = heights_.size();
  scanlines_.resize(v);
  order_.resize(n);
  size_t count = 1;
  const size_t arena_used = arena_->used();
  SortHeights();
  {
    Buffer<int32_t> scanline_of("sbt creation", arena_);
    scanline_of.resize(v);
    // Without branches, which the order of the heights would defeat.
    scanlines_[0] = heights_[0].y;
    for (size_t i = 0; i < v; ++i) {
      const Height& h = heights_[i];
      scanlines_[count] = h.y;
      count += scanlines_[count - 1] != h.y;
      scanline_of[h.vertex] = static_cast<int32_t>(count - 1);
    }
    Buffer<int32_t> place("LMT insertion", arena_);
    place.resize(count + 1);
    std::fill(place.begin(), place.end(), 0);
    for (size_t i = 0; i < n; ++i) {
      Edge& e = input_[i];
      e.bottom = scanline_of[e.bottom];
      e.top = scanline_of[e.top];
      ++place[e.bottom + 1];
    }
    for (size_t s = 1; s <= count; ++s) place[s] += place[s - 1];
    for (size_t i = 0; i < n; ++i) order_[place[input_[i].bottom]++] = static_cast<int32_t>(i);
  }
  arena_->Rewind(arena_used);  // the scanline of each vertex is not needed any more
  scanlines_.resize(count);
  // Each edge makes about one bundle and one slot and leaves up to two result vertices (an
  // exclusive or keeps both sides of a crossing), more where edges cross or meet; reserving that
  // much at once keeps a small clip within its arena.
  members_.reserve(n);
  bundles_.reserve(n);
  slots_.reserve(n + 1);
  slots_.push_back(Slot{kNone, kEnds, kEnds, kNone, {kNone, kNone}, 0});
  nodes_.reserve(2 * n);
  scan_first_.resize(count);
  std::fill(scan_first_.begin(), scan_first_.end(), kNone);
  scan_events_.reserve(2 * n);
  const int32_t last = static_cast<int32_t>(count) - 1;
  const int32_t final_scanline =
      static_cast<int32_t>(std::upper_bound(scanlines_.begin(), scanlines_.end(), high_) -
                           scanlines_.begin()) -
      1;
  for (int32_t j = 0; j <= final_scanline; ++j) {
    scan_ = j;
    y_ = scanlines_[j];
    ynext_ = j < last ? scanlines_[j + 1] : y_;
    if (!SimplePoint(j)) Scanline(j);
    if (j < final_scanline) {
      // Vertical bundles alone neither meet, cross nor part.
      if (linear_ && sloped_ > 0) PredictBeam(j);
      Beam(j);
    }
  }
}

// Connects the result boundaries meeting on scanline j, point by point from left to right, and
// brings the active edge table from the beam below to the beam above. Only the points of seeds
// (ending, meeting or parting bundles, starting edges) are visited, and the bundles in between
// where the parities below and above the scanline differ, along a horizontal input edge.
void Sweep::Scanline(int32_t j) {
  const int32_t stamp = j + 1;
  seeds_.clear();
  seed_bundles_ = retired_seeds_ = 0;
  for (int32_t v = scan_first_[j]; v != kNone; v = scan_events_[v].next) {
    const ScanEvent& e = scan_events_[v];
    for (int32_t b : {e.a, e.b}) {
      if (b == kNone || !bundles_[b].alive || bundles_[b].mark == stamp) continue;
      bundles_[b].mark = stamp;
      seeds_.push_back(Seed{XOf(b, y_), b, kNone});
      ++seed_bundles_;
    }
  }
  while (next_new_ < order_.size() && input_[order_[next_new_]].yb == y_) {
    const int32_t e = order_[next_new_++];
    seeds_.push_back(Seed{input_[e].xb, kNone, e});
  }
  if (seeds_.empty()) return;
  std::sort(seeds_.begin(), seeds_.end(), [](const Seed& a, const Seed& b) { return a.x < b.x; });
  pending_ = kNone;
  below_state_ = above_state_ = 0;
  int32_t cursor = kNone;  // the last bundle of the beam above made so far, or its left neighbour
  size_t i = 0;
  while (i < seeds_.size()) {
    const double xlo = seeds_[i].x;
    size_t k = i;
    while (k < seeds_.size() && SameX(seeds_[k].x, xlo)) ++k;
    const double xhi = seeds_[k - 1].x;
    int32_t start;
    if (below_state_ != above_state_) {
      // Along a horizontal input edge every bundle up to the point is visited.
      start = Next(cursor);
      while (start != kNone && bundles_[start].mark != stamp) {
        const double x = XOf(start, y_);
        if (!(x < xlo) || SameX(x, xlo)) break;
        cursor = Group(start, 1, nullptr, 0, Prev(start));
        start = Next(cursor);
      }
    } else {
      // A seed in the table is found from its place, with the neighbours at its point before it:
      // no search.
      start = kNone;
      for (size_t s = i; s < k && start == kNone; ++s) {
        const int32_t b = seeds_[s].bundle;
        if (b != kNone && bundles_[b].alive) start = b;
      }
      for (int32_t p = start == kNone ? kNone : Prev(start); p != kNone && p != cursor;
           p = Prev(p)) {
        const double x = XOf(p, y_);
        if (x < xlo && !SameX(x, xlo)) break;
        start = p;
      }
      if (start == kNone) start = Locate(xlo, y_, cursor);
      while (start != kNone && bundles_[start].done == stamp) start = Next(start);
      if (start == kNone) {
        cursor = Extreme(true);
      } else {
        cursor = Prev(start);
      }
      below_state_ = above_state_ = cursor == kNone ? 0 : bundles_[cursor].right;
    }
    int32_t below = 0;
    for (int32_t b = start; b != kNone && bundles_[b].done != stamp; b = Next(b), ++below) {
      const double x = XOf(b, y_);
      if (x > xhi && !SameX(x, xhi)) break;
    }
    // The edges starting at the point.
    starting_.resize(k - i);
    size_t starting = 0;
    for (size_t s = i; s < k; ++s) {
      starting_[starting] = seeds_[s].edge;
      starting += seeds_[s].edge != kNone;
    }
    cursor = Group(below > 0 ? start : kNone, below, starting_.data(), starting, cursor);
    i = k;
  }
  // Past the last seed the parities below and above agree again.
  for (int32_t b = Next(cursor); below_state_ != above_state_ && b != kNone; b = Next(cursor)) {
    cursor = Group(b, 1, nullptr, 0, Prev(b));
  }
  // A seed that rounding left out of place in the table is still handled where it is, so that
  // no ended edge stays in the table.
  for (size_t s = 0; retired_seeds_ < seed_bundles_ && s < seeds_.size(); ++s) {
    const int32_t b = seeds_[s].bundle;
    if (b == kNone || !bundles_[b].alive || bundles_[b].done == stamp) continue;
    cursor = Prev(b);
    below_state_ = above_state_ = cursor == kNone ? 0 : bundles_[cursor].right;
    cursor = Group(b, 1, nullptr, 0, cursor);
    for (int32_t c = Next(cursor); below_state_ != above_state_ && c != kNone; c = Next(cursor)) {
      cursor = Group(c, 1, nullptr, 0, Prev(c));
    }
  }
}

// Most scanlines hold one vertex of one contour, where an edge ends and the next one starts, two
// edges start (a local minimum) or two end (a local maximum). When scanline j holds just such a
// point, of edges of one type and with no other bundle at it, handles it as Scanline and Group
// would, without their general bookkeeping, and returns true; otherwise changes nothing and
// returns false.
bool Sweep::SimplePoint(int32_t j) {
  int32_t starting[2];
  int32_t ending[2];
  // Whether the next three edges start here, found without a branch on each.
  const size_t n = order_.size();
  int starts = 0;
  for (size_t k = 0; k < 3; ++k) {
    const size_t i = next_new_ + k;
    const int32_t e = order_[std::min(i, n - 1)];
    const int here = static_cast<int>(i < n) & static_cast<int>(input_[e].yb == y_);
    starts += here & static_cast<int>(starts == static_cast<int>(k));
    if (k < 2) starting[k] = e;
  }
  if (starts > 2) return false;
  int ends = 0;
  for (int32_t v = scan_first_[j]; v != kNone; v = scan_events_[v].next) {
    for (int32_t c : {scan_events_[v].a, scan_events_[v].b}) {
      if (c == kNone || !bundles_[c].alive) continue;
      if ((ends > 0 && c == ending[0]) || (ends > 1 && c == ending[1])) continue;
      if (starts + ends == 2) return false;
      ending[ends++] = c;
    }
  }
  if (starts + ends != 2) return false;
  uint8_t type = 0;
  for (int k = 0; k < ends; ++k) {
    const Bundle& e = bundles_[ending[k]];
    if (e.count != 1 || e.top != j) return false;
    type = e.mask;
  }
  for (int k = 0; k < starts; ++k) type = input_[starting[k]].type;
  for (int k = 0; k < ends; ++k) {
    if (bundles_[ending[k]].mask != type) return false;
  }
  for (int k = 0; k < starts; ++k) {
    if (input_[starting[k]].type != type) return false;
  }
  if (ends == 2) {
    // A local maximum: the two bundles are neighbours and leave the table.
    if (Next(ending[1]) == ending[0]) std::swap(ending[0], ending[1]);
    const int32_t l = ending[0], r = ending[1];
    if (Next(l) != r) return false;
    const double x = XOf(l, y_);
    if (!SameX(x, XOf(r, y_))) return false;
    const int32_t prev = Prev(l), next = Next(r);
    if (prev != kNone && !(XOf(prev, y_) < x)) return false;
    if (next != kNone && !(XOf(next, y_) > x)) return false;
    const unsigned left = prev == kNone ? 0 : bundles_[prev].right;
    // What Connect does with the two: the chain that arrives along the boundary followed by the
    // inside is closed at the point or joined to the other.
    const bool outside = inside_[left], between = inside_[left ^ type];
    const int32_t l_end = bundles_[l].end, r_end = bundles_[r].end;
    if (outside != between && l_end != kNone && r_end != kNone) {
      AddAtTail(between ? l_end : r_end, x, y_);
      Join(between ? l_end : r_end, between ? r_end : l_end, between ? 0 : 1);
    }
    Remove(l);
    Remove(r);
    Predict(prev, next, j + 1);
    return true;
  }
  if (ends == 1) {
    // An edge going on: the bundle of the ending edge passes to the starting one.
    const int32_t b = ending[0], e = starting[0];
    const Edge& edge = input_[e];
    const double x = XOf(b, y_);
    if (!SameX(x, edge.xb)) return false;
    const int32_t prev = Prev(b), next = Next(b);
    if (prev != kNone && !(XOf(prev, y_) < x)) return false;
    if (next != kNone && !(XOf(next, y_) > x)) return false;
    ++next_new_;
    const int32_t id = static_cast<int32_t>(bundles_.size());
    const unsigned left = prev == kNone ? 0 : bundles_[prev].right;
    bundles_.push_back(Bundle{static_cast<int32_t>(members_.size()), e, 1, edge.top, kNone, kNone,
                              0, 0, type, static_cast<uint8_t>(left ^ type), true});
    members_.push_back(e);
    Bundle& made = bundles_[id];
    const Bundle& old = bundles_[b];
    // What Connect does with the two: the chain goes on through the point, at its head when the
    // inside is left of it.
    const bool outside = inside_[left], inside = inside_[left ^ type];
    if (outside != inside && old.end != kNone) {
      if (outside) {
        AddAtHead(old.end, x, y_);
      } else {
        AddAtTail(old.end, x, y_);
      }
      made.end = old.end;
    }
    Replace(b, id);
    Visit(made.top, id, kNone);
    Predict(prev, id, j + 1);
    Predict(id, next, j + 1);
    return true;
  }
  // A local minimum: two edges start apart from any bundle, the less steep one first.
  const Edge* first = &input_[starting[0]];
  const Edge* second = &input_[starting[1]];
  if (!SameX(first->xb, second->xb)) return false;
  if (second->slope < first->slope) {
    std::swap(starting[0], starting[1]);
    std::swap(first, second);
  }
  if (SameX(XAt(*first, ynext_), XAt(*second, ynext_))) return false;
  const double x = first->xb;
  const int32_t start = Locate(x, y_, kNone);
  if (start != kNone && !(XOf(start, y_) > x)) return false;
  next_new_ += 2;
  const int32_t prev = start == kNone ? Extreme(true) : Prev(start);
  const unsigned left = prev == kNone ? 0 : bundles_[prev].right;
  const int32_t lower = static_cast<int32_t>(bundles_.size()), upper = lower + 1;
  for (int k = 0; k < 2; ++k) {
    const Edge& edge = input_[starting[k]];
    bundles_.push_back(Bundle{static_cast<int32_t>(members_.size()), starting[k], 1, edge.top,
                              kNone, kNone, 0, 0, type,
                              static_cast<uint8_t>(k == 0 ? left ^ type : left), true});
    members_.push_back(starting[k]);
  }
  // What Connect does with the two: a new chain, its head on the boundary followed by the inside.
  const bool outside = inside_[left], inside = inside_[left ^ type];
  if (outside != inside) {
    const int32_t chain = NewChain(x, y_);
    bundles_[upper].end = chain;
    bundles_[lower].end = chain;
  }
  InsertAfter(lower, prev);
  Visit(bundles_[lower].top, lower, kNone);
  Predict(prev, lower, j + 1);
  InsertAfter(upper, lower);
  Visit(bundles_[upper].top, upper, kNone);
  // Two straight edges from one point meet nowhere else: no prediction between them.
  Predict(upper, Next(upper), j + 1);
  return true;
}

// Handles one point of the scanline: the `below` bundles from `first` on end or go on, the
// `starting_count` edges of `starting` start; they are replaced by the bundles of the beam above
// at the point, put after `anchor`. Returns the last bundle put in, or `anchor` when none.
int32_t Sweep::Group(int32_t first, int32_t below, const int32_t* starting, size_t starting_count,
                     int32_t anchor) {
  const int32_t j = scan_;
  const int32_t stamp = j + 1;
  const double y = y_;
  const unsigned below_left = below_state_, above_left = above_state_;
  const bool left_below = inside_[below_left];
  const bool left_above = inside_[above_left];
  // The edges going on.
  placed_.clear();
  int32_t b = first;
  for (int32_t m = 0; m < below; ++m, b = Next(b)) {
    const Bundle& bundle = bundles_[b];
    below_state_ ^= bundle.mask;
    for (int32_t e = 0; e < bundle.count; ++e) {
      const int32_t id = members_[bundle.first + e];
      const Edge& edge = input_[id];
      if (edge.top > j) placed_.push_back(Placed{XAt(edge, y), edge.slope, id});
    }
  }
  for (size_t s = 0; s < starting_count; ++s) {
    const Edge& edge = input_[starting[s]];
    placed_.push_back(Placed{edge.xb, edge.slope, starting[s]});
  }
  for (size_t p = 1; p < placed_.size(); ++p) {
    const Placed e = placed_[p];
    size_t q = p;
    for (; q > 0 && Before(e, placed_[q - 1]); --q) placed_[q] = placed_[q - 1];
    placed_[q] = e;
  }
  double x = HUGE_VAL;
  if (below > 0) x = XOf(first, y);
  if (!placed_.empty()) x = std::min(x, placed_[0].x);
  // The bundles of the beam above: neighbours at one point here and on the next scanline.
  const size_t made_first = bundles_.size();
  for (size_t p = 0; p < placed_.size(); ++p) {
    const Placed& e = placed_[p];
    const Edge& edge = input_[e.edge];
    const double xnext = XAt(edge, ynext_);
    if (p > 0 && SameX(placed_[p - 1].x, e.x) &&
        SameX(XAt(input_[placed_[p - 1].edge], ynext_), xnext)) {
      Bundle& last = bundles_.back();
      last.count++;
      last.mask ^= edge.type;
      last.top = std::min(last.top, edge.top);
    } else {
      bundles_.push_back(Bundle{static_cast<int32_t>(members_.size()), e.edge, 1, edge.top, kNone,
                                kNone, 0, stamp, edge.type, 0, true});
    }
    members_.push_back(e.edge);
  }
  const size_t made_end = bundles_.size();
  for (size_t m = made_first; m < made_end; ++m) {
    above_state_ ^= bundles_[m].mask;
    bundles_[m].right = static_cast<uint8_t>(above_state_);
  }
  const bool right_below = inside_[below_state_];
  const bool right_above = inside_[above_state_];
  // The result boundaries at the point, counter-clockwise from the east: the horizontal leaving
  // right, the boundaries leaving upwards right to left, the horizontal from the left, the
  // boundaries arriving from below left to right.
  items_.clear();
  if (right_below != right_above) {
    items_.push_back(Item{false, right_above, kNone, kNone, &pending_});
  }
  for (size_t m = made_end; m-- > made_first;) {
    Bundle& bundle = bundles_[m];
    const bool left = inside_[m > made_first ? bundles_[m - 1].right : above_left];
    if (left != inside_[bundle.right]) {
      items_.push_back(Item{false, left, bundle.edge, kNone, &bundle.end});
    }
  }
  if (left_below != left_above) items_.push_back(Item{true, left_below, kNone, pending_, nullptr});
  unsigned state = below_left;
  b = first;
  for (int32_t m = 0; m < below; ++m, b = Next(b)) {
    const Bundle& bundle = bundles_[b];
    const bool left = inside_[state];
    state ^= bundle.mask;
    const bool right = inside_[state];
    if (left != right) items_.push_back(Item{true, right, bundle.edge, bundle.end, nullptr});
  }
  pending_ = kNone;
  if (!items_.empty()) Connect(x, y);
  // The table: the bundles of the point replace those below it, taking over their places in
  // order (most points of a contour only pass one edge on to the next), the rest removed or put
  // in after them.
  b = first;
  size_t reused = made_first;
  for (int32_t m = 0; m < below; ++m) {
    const int32_t next = Next(b);
    if (bundles_[b].mark == stamp) ++retired_seeds_;
    if (reused < made_end) {
      Replace(b, static_cast<int32_t>(reused++));
    } else {
      Remove(b);
    }
    b = next;
  }
  int32_t last = anchor;
  for (size_t m = made_first; m < made_end; ++m) {
    const int32_t id = static_cast<int32_t>(m);
    if (m >= reused) InsertAfter(id, last);
    Visit(bundles_[id].top, id, kNone);
    if (!linear_) {
      PredictParting(id, j + 1);
      Predict(last, id, j + 1);
    }
    last = id;
  }
  if (!linear_) Predict(last, Next(last), j + 1);
  return last;
}

// Swaps the neighbours that cross inside the beam above scanline j, bottom crossing first.
void Sweep::Beam(int32_t j) {
  while (!events_.empty() && events_[0].scan == j) {
    const Event e = Pop();
    if (!bundles_[e.a].alive || !bundles_[e.b].alive || Next(e.a) != e.b) continue;
    Cross(e.a, e.b, e.t, j);
  }
}

void Sweep::Cross(int32_t left, int32_t right, double t, int32_t j) {
  Bundle& l = bundles_[left];
  Bundle& r = bundles_[right];
  const int32_t before = Prev(left);
  const unsigned west = before != kNone ? bundles_[before].right : 0;
  const unsigned south = l.right;  // between the two, below the crossing
  const unsigned east = r.right;
  const unsigned north = west ^ r.mask;
  const bool w = inside_[west], s = inside_[south], e = inside_[east], n = inside_[north];
  const int32_t l_end = l.end, r_end = r.end;
  l.end = kNone;
  r.end = kNone;
  items_.clear();
  const int32_t l_edge = l.edge, r_edge = r.edge;
  if (n != e) items_.push_back(Item{false, n, l_edge, kNone, &l.end});
  if (w != n) items_.push_back(Item{false, w, r_edge, kNone, &r.end});
  if (w != s) items_.push_back(Item{true, s, l_edge, l_end, nullptr});
  if (s != e) items_.push_back(Item{true, e, r_edge, r_end, nullptr});
  if (!items_.empty()) {
    const double x = XOf(left, y_), xnext = XOf(left, ynext_);
    Connect(x + t * (xnext - x), y_ + t * (ynext_ - y_));
  }
  const int32_t ls = l.slot, rs = r.slot;
  slots_[ls].bundle = right;
  slots_[rs].bundle = left;
  l.slot = rs;
  r.slot = ls;
  r.right = static_cast<uint8_t>(north);
  l.right = static_cast<uint8_t>(east);
  Predict(before, right, j + 1);
  Predict(right, left, j + 1);
  Predict(left, Next(left), j + 1);
}

// Connects the boundaries in items_ (counter-clockwise) at point (x, y): each boundary followed
// by an inside sector is joined to the boundary after that sector.
void Sweep::Connect(double x, double y) {
  const size_t n = items_.size();
  // Two boundaries, the most common case, need no search: one of them comes first.
  size_t start = n == 2 && !items_[0].after_inside ? 1 : 0;
  while (start < n && !items_[start].after_inside) ++start;
  if (start == n || n % 2 != 0) return;  // cannot happen with consistent parities
  for (size_t k = 0; k < n; k += 2) {
    size_t ia = start + k, ib = ia + 1;
    if (ia >= n) ia -= n;
    if (ib >= n) ib -= n;
    const Item& a = items_[ia];  // the chain runs into the point along a
    const Item& b = items_[ib];  // and leaves it along b
    if (a.incoming && b.incoming) {
      if (a.end == kNone || b.end == kNone) continue;
      AddAtTail(a.end, x, y);
      // A wrap-around pair holds the whole upper side: the top of a hole.
      Join(a.end, b.end, ia > ib ? 1 : 0);
    } else if (a.incoming) {
      if (a.end == kNone) continue;
      const bool straight = b.edge == a.edge;  // an edge or horizontal going straight on
      if (!straight) AddAtTail(a.end, x, y);
      *b.out = a.end;
    } else if (b.incoming) {
      if (b.end == kNone) continue;
      if (b.edge != a.edge) AddAtHead(b.end, x, y);
      *a.out = b.end;
    } else {
      const int32_t chain = NewChain(x, y);
      *a.out = chain;
      *b.out = chain;
    }
  }
}

int32_t Sweep::NewChain(double x, double y) {
  const int32_t node = static_cast<int32_t>(nodes_.size());
  nodes_.push_back(VertexNode{x, y, kNone});
  const int32_t chain = static_cast<int32_t>(chains_.size());
  chains_.push_back(Chain{node, node, chain});
  return chain;
}

int32_t Sweep::Root(int32_t chain) {
  int32_t root = chain;
  while (chains_[root].parent != root) root = chains_[root].parent;
  while (chains_[chain].parent != root) {
    const int32_t next = chains_[chain].parent;
    chains_[chain].parent = root;
    chain = next;
  }
  return root;
}

void Sweep::AddAtTail(int32_t chain, double x, double y) {
  Chain& c = chains_[Root(chain)];
  const VertexNode& last = nodes_[c.tail];
  if (last.x == x && last.y == y) return;
  const int32_t node = static_cast<int32_t>(nodes_.size());
  nodes_.push_back(VertexNode{x, y, kNone});
  nodes_[c.tail].next = node;
  c.tail = node;
}

void Sweep::AddAtHead(int32_t chain, double x, double y) {
  Chain& c = chains_[Root(chain)];
  const VertexNode& first = nodes_[c.head];
  if (first.x == x && first.y == y) return;
  const int32_t node = static_cast<int32_t>(nodes_.size());
  nodes_.push_back(VertexNode{x, y, c.head});
  c.head = node;
}

// Joins the tail of chain `tail` to the head of chain `head`; when both are one chain it closes
// as a contour with the given hole flag.
void Sweep::Join(int32_t tail, int32_t head, int32_t hole) {
  const int32_t t = Root(tail), h = Root(head);
  if (t == h) {
    closed_.push_back(ClosedChain{t, hole});
    return;
  }
  nodes_[chains_[t].tail].next = chains_[h].head;
  chains_[t].tail = chains_[h].tail;
  chains_[h].parent = t;
}

// Copies the closed chains with at least 3 distinct vertices into result.
void Sweep::Emit(gpc_polygon* result) {
  Buffer<int32_t> counts("contour creation", arena_);
  counts.resize(closed_.size());
  int32_t kept = 0;
  for (size_t i = 0; i < closed_.size(); ++i) {
    const Chain& c = chains_[closed_[i].chain];
    int32_t count = 1;
    const VertexNode* prev = &nodes_[c.head];
    for (int32_t v = nodes_[c.head].next; v != kNone; v = nodes_[v].next) {
      const VertexNode& node = nodes_[v];
      count += static_cast<int>(node.x != prev->x) | static_cast<int>(node.y != prev->y);
      prev = &node;
      if (v == c.tail) break;
    }
    const VertexNode& first = nodes_[c.head];
    if (count > 1 && prev->x == first.x && prev->y == first.y) --count;
    counts[i] = count;
    if (count >= 3) ++kept;
  }
  result->num_contours = kept;
  result->hole =
      static_cast<int32_t*>(Allocate(kept * sizeof(int32_t), "hole flag table creation"));
  result->contour =
      static_cast<gpc_vertex_list*>(Allocate(kept * sizeof(gpc_vertex_list), "contour creation"));
  int32_t out = 0;
  for (size_t i = 0; i < closed_.size(); ++i) {
    const int32_t count = counts[i];
    if (count < 3) continue;
    const Chain& c = chains_[closed_[i].chain];
    gpc_vertex* v =
        static_cast<gpc_vertex*>(Allocate(count * sizeof(gpc_vertex), "vertex creation"));
    int32_t slot = count;
    const VertexNode* prev = nullptr;
    for (int32_t node = c.head; node != kNone && slot > 0; node = nodes_[node].next) {
      const VertexNode& vn = nodes_[node];
      if (prev == nullptr || vn.x != prev->x || vn.y != prev->y) v[--slot] = gpc_vertex{vn.x, vn.y};
      prev = &vn;
      if (node == c.tail) break;
    }
    result->hole[out] = closed_[i].hole;
    result->contour[out].num_vertices = count;
    result->contour[out].vertex = v;
    ++out;
  }
}

struct Box {
  double xmin, ymin, xmax, ymax;
};

// Up to this many pairs of contours, the boxes of two polygons are tested pair by pair.
constexpr size_t kPairwiseBoxes = 64;

// The bounding box of every contour of p, and of all of them.
void ContourBoxes(const gpc_polygon* p, Buffer<Box>& boxes, Box* extent) {
  boxes.resize(static_cast<size_t>(p->num_contours));
  *extent = Box{HUGE_VAL, HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
  for (int32_t c = 0; c < p->num_contours; ++c) {
    Box b{HUGE_VAL, HUGE_VAL, -HUGE_VAL, -HUGE_VAL};
    const gpc_vertex_list& list = p->contour[c];
    for (int32_t v = 0; v < list.num_vertices; ++v) {
      b.xmin = std::min(b.xmin, list.vertex[v].x);
      b.xmax = std::max(b.xmax, list.vertex[v].x);
      b.ymin = std::min(b.ymin, list.vertex[v].y);
      b.ymax = std::max(b.ymax, list.vertex[v].y);
    }
    boxes[c] = b;
    extent->xmin = std::min(extent->xmin, b.xmin);
    extent->ymin = std::min(extent->ymin, b.ymin);
    extent->xmax = std::max(extent->xmax, b.xmax);
    extent->ymax = std::max(extent->ymax, b.ymax);
  }
}

// Marks the contours of subject and clip that overlap some contour of the other polygon, and
// gives the bounding box of each polygon.
void MarkOverlapping(const gpc_polygon* subject, const gpc_polygon* clip,
                     Buffer<uint8_t>& subject_used, Buffer<uint8_t>& clip_used, Box* subject_extent,
                     Box* clip_extent, Arena* arena) {
  Buffer<Box> s("Bounding box creation", arena);
  Buffer<Box> c("Bounding box creation", arena);
  ContourBoxes(subject, s, subject_extent);
  ContourBoxes(clip, c, clip_extent);
  subject_used.resize(s.size());
  clip_used.resize(c.size());
  std::memset(subject_used.data(), 0, s.size());
  std::memset(clip_used.data(), 0, c.size());
  if (s.size() * c.size() <= kPairwiseBoxes) {
    // Few boxes: every pair is tested, marking without a branch on the outcome.
    for (size_t i = 0; i < s.size(); ++i) {
      for (size_t k = 0; k < c.size(); ++k) {
        const uint8_t meet =
            static_cast<int>(s[i].xmin <= c[k].xmax) & static_cast<int>(c[k].xmin <= s[i].xmax) &
            static_cast<int>(s[i].ymin <= c[k].ymax) & static_cast<int>(c[k].ymin <= s[i].ymax);
        subject_used[i] |= meet;
        clip_used[k] |= meet;
      }
    }
    return;
  }
  // Sweep over x: each box, taken by its lower x, is tested against the boxes of the other
  // polygon that have begun and not yet ended.
  const size_t subject_count = s.size();
  Buffer<int32_t> order("overlap table creation", arena);
  order.resize(subject_count + c.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int32_t>(i);
  auto box = [&](int32_t k) -> const Box& {
    return k < static_cast<int32_t>(subject_count) ? s[k] : c[k - subject_count];
  };
  std::sort(order.begin(), order.end(),
            [&box](int32_t a, int32_t b) { return box(a).xmin < box(b).xmin; });
  Buffer<int32_t> open_subject("overlap table creation", arena);
  Buffer<int32_t> open_clip("overlap table creation", arena);
  for (int32_t k : order) {
    const bool is_subject = k < static_cast<int32_t>(subject_count);
    const Box& b = box(k);
    Buffer<int32_t>& others = is_subject ? open_clip : open_subject;
    size_t kept = 0;
    for (size_t i = 0; i < others.size(); ++i) {
      const int32_t other = others[i];
      const Box& o = box(other);
      if (o.xmax < b.xmin) continue;  // ended before this box begins
      others[kept++] = other;
      if (o.ymin <= b.ymax && b.ymin <= o.ymax) {
        (is_subject ? subject_used[k] : clip_used[k - subject_count]) = 1;
        (is_subject ? clip_used[other - subject_count] : subject_used[other]) = 1;
      }
    }
    others.resize(kept);
    (is_subject ? open_subject : open_clip).push_back(k);
  }
}

bool IsEmpty(const gpc_polygon* p) { return p->num_contours <= 0; }

}  // namespace

void gpc_add_contour(gpc_polygon* p, gpc_vertex_list* contour, int hole) {
  const size_t n = static_cast<size_t>(p->num_contours) + 1;
  int32_t* holes = static_cast<int32_t*>(Allocate(n * sizeof(int32_t), "contour hole addition"));
  gpc_vertex_list* lists =
      static_cast<gpc_vertex_list*>(Allocate(n * sizeof(gpc_vertex_list), "contour addition"));
  if (n > 1) {
    std::memcpy(holes, p->hole, (n - 1) * sizeof(int32_t));
    std::memcpy(lists, p->contour, (n - 1) * sizeof(gpc_vertex_list));
  }
  const int32_t count = contour->num_vertices;
  gpc_vertex* vertices =
      static_cast<gpc_vertex*>(Allocate(count * sizeof(gpc_vertex), "contour addition"));
  if (count > 0) std::memcpy(vertices, contour->vertex, count * sizeof(gpc_vertex));
  holes[n - 1] = hole;
  lists[n - 1].num_vertices = count;
  lists[n - 1].vertex = vertices;
  std::free(p->hole);
  std::free(p->contour);
  p->hole = holes;
  p->contour = lists;
  p->num_contours = static_cast<int32_t>(n);
}

void gpc_polygon_clip(gpc_op op, gpc_polygon* subject, gpc_polygon* clip, gpc_polygon* result) {
  result->num_contours = 0;
  result->hole = nullptr;
  result->contour = nullptr;
  if (IsEmpty(subject) && IsEmpty(clip)) return;
  if (IsEmpty(subject) && (op == GPC_DIFF || op == GPC_INT)) return;
  if (IsEmpty(clip) && op == GPC_INT) return;

  Arena arena;
  // Contours far from the other polygon cannot change a difference or an intersection.
  Buffer<uint8_t> subject_used("overlap table creation", &arena);
  Buffer<uint8_t> clip_used("overlap table creation", &arena);
  const bool prune = (op == GPC_DIFF || op == GPC_INT) && !IsEmpty(subject) && !IsEmpty(clip);
  Box subject_extent{}, clip_extent{};
  if (prune) {
    MarkOverlapping(subject, clip, subject_used, clip_used, &subject_extent, &clip_extent, &arena);
  }
  auto take_subject = [&](int32_t c) {
    return subject->contour[c].num_vertices >= 3 && !(prune && op == GPC_INT && !subject_used[c]);
  };
  auto take_clip = [&](int32_t c) {
    return clip->contour[c].num_vertices >= 3 && !(prune && !clip_used[c]);
  };

  Sweep sweep(op, &arena);
  // A difference lies within the heights of the subject, an intersection within those of both.
  if (prune) {
    const bool both = op == GPC_INT;
    sweep.KeepHeights(both ? std::max(subject_extent.ymin, clip_extent.ymin) : subject_extent.ymin,
                      both ? std::min(subject_extent.ymax, clip_extent.ymax) : subject_extent.ymax);
  }
  size_t edges = 0;
  for (int32_t c = 0; c < subject->num_contours; ++c) {
    if (take_subject(c)) edges += static_cast<size_t>(subject->contour[c].num_vertices);
  }
  for (int32_t c = 0; c < clip->num_contours; ++c) {
    if (take_clip(c)) edges += static_cast<size_t>(clip->contour[c].num_vertices);
  }
  sweep.Reserve(edges);
  for (int32_t c = 0; c < subject->num_contours; ++c) {
    if (take_subject(c)) sweep.AddContour(subject->contour[c], kSubject);
  }
  for (int32_t c = 0; c < clip->num_contours; ++c) {
    if (take_clip(c)) sweep.AddContour(clip->contour[c], kClip);
  }
  sweep.Run();
  sweep.Emit(result);
}

void gpc_free_polygon(gpc_polygon* p) {
  for (int32_t c = 0; c < p->num_contours; ++c) std::free(p->contour[c].vertex);
  std::free(p->hole);
  std::free(p->contour);
  p->num_contours = 0;
  p->hole = nullptr;
  p->contour = nullptr;
}
