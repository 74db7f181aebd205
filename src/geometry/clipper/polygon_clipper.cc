// Vatti's scanbeam clipping.
//
// Terms used below:
// - Scanline: a height at which some input edge starts or ends. Consecutive scanlines bound a
//   scanbeam, inside which no edge starts or ends.
// - Local minima table: the input edges sorted by their lower end, so that the sweep takes the
//   edges starting on each scanline from its front.
// - Active edge table (AET): the edges crossing the current scanbeam, ordered left to right.
//   Edges that run on the same line through the whole beam form one bundle, which changes the
//   subject/clip parity by the xor of its members' types: shared edges cancel or merge.
// - Intersection table: the pairs of adjacent bundles that swap places inside a scanbeam, each
//   with the point where they cross, processed bottom to top.
// - Output chain: a partial result contour, a list of vertices grown at both ends and joined to
//   other chains, until its two ends meet and it closes.
//
// Horizontal input edges take no part: a region's inside is the even-odd parity of the
// non-horizontal edges left of a point. Horizontal result edges come from comparing the result
// just below and just above each scanline.
//
// Every place where result boundaries meet (a vertex on a scanline, or a crossing inside a beam)
// is handled the same way: the result boundaries at the point are listed counter-clockwise, each
// with the result state of the sector that follows it, and boundaries on both sides of an inside
// sector are connected. A boundary arriving at the point carries a chain end; one leaving it
// receives one. Chains run clockwise (the inside on their right), and are written to the result
// from the last array position to the first, so outer contours come out counter-clockwise.
#include "lumotools/geometry/polygon_clipper.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "gpc_memory.h"

using lumo_gpc::Allocate;
using lumo_gpc::Buffer;

namespace {

constexpr uint8_t kSubject = 1;
constexpr uint8_t kClip = 2;
constexpr int32_t kNone = -1;
// Relative tolerance under which two abscissas on a scanline are the same point.
constexpr double kSamePointTolerance = 4 * GPC_EPSILON;

bool SameX(double a, double b) {
  return a == b || std::fabs(a - b) <= kSamePointTolerance * std::max(std::fabs(a), std::fabs(b));
}

// An input edge, or its copy in the active edge table.
struct Edge {
  double xb, yb;  // lower end
  double xt, yt;  // upper end; yt > yb
  double slope;   // dx / dy
  double x;       // abscissa on the current scanline
  double xnext;   // abscissa on the next scanline
  int32_t id;     // place in the input edge list
  uint8_t type;   // kSubject or kClip
};

double XAt(const Edge& e, double y) {
  if (y >= e.yt) return e.xt;
  return e.xb + (y - e.yb) * e.slope;
}

// Edges ordered by abscissa on a scanline and, at one point, by slope upwards.
bool Before(const Edge& a, const Edge& b) { return a.x < b.x || (a.x == b.x && a.slope < b.slope); }

// A bundle of the active edge table: the edges [first, first + count) of the scanline's edge list,
// running on one line through the beam.
struct Bundle {
  double x;      // abscissa at the bottom of the beam
  double xnext;  // abscissa at the top of the beam
  int32_t first;
  int32_t count;
  int32_t end;    // chain end held by the bundle, or kNone
  uint8_t mask;   // xor of the member types
  uint8_t right;  // subject/clip parity just right of the bundle
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

// A result boundary meeting at a point. Incoming ones carry `end`; outgoing ones receive an end
// through `out`.
struct Item {
  bool incoming;
  bool after_inside;  // the result holds the sector that follows counter-clockwise
  int32_t edge;       // input edge (a bundle's first), or kNone for a horizontal result edge
  int32_t end;
  int32_t* out;
};

struct Crossing {
  int32_t left, right;  // bundles, the left one at the bottom of the beam
  double t;             // height in the beam, 0 bottom to 1 top
};

int32_t EndOf(int32_t chain, bool tail) { return chain * 2 + (tail ? 1 : 0); }

class Sweep {
 public:
  explicit Sweep(gpc_op op) {
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

  void AddContour(const gpc_vertex_list& c, uint8_t type);
  void Run();
  void Emit(gpc_polygon* result);

 private:
  void StartScanline(double y);
  void BundleAbove(double ynext);
  void ConnectScanline(double y);
  void ProcessBeam(double y, double ynext);
  void Cross(const Crossing& c, double y, double ynext);
  void Connect(double x, double y);

  int32_t NewChain(double x, double y);
  int32_t Root(int32_t chain);
  void AddAtTail(int32_t end, double x, double y);
  void AddAtHead(int32_t end, double x, double y);
  void Join(int32_t tail_end, int32_t head_end, int32_t hole);

  bool inside_[4];
  Buffer<Edge> input_{"edge table creation"};
  Buffer<int32_t> lmt_{"LMT insertion"};
  Buffer<double> scanlines_{"sbt creation"};
  // The active edge table of the beam below the scanline (edges_below_, bundles_below_ in the
  // order order_below_) and of the beam above it (edges_, bundles_, order_).
  Buffer<Edge> edges_below_{"ST insertion"};
  Buffer<Bundle> bundles_below_{"ST insertion"};
  Buffer<int32_t> order_below_{"ST insertion"};
  Buffer<Edge> edges_{"ST insertion"};
  Buffer<Bundle> bundles_{"ST insertion"};
  Buffer<int32_t> order_{"ST insertion"};     // bundles left to right
  Buffer<int32_t> position_{"ST insertion"};  // bundle -> place in order_
  Buffer<Crossing> crossings_{"IT insertion"};
  Buffer<Item> items_{"IT insertion"};
  Buffer<Item> incoming_{"IT insertion"};
  Buffer<Item> outgoing_{"IT insertion"};
  Buffer<VertexNode> nodes_{"vertex node creation"};
  Buffer<Chain> chains_{"polygon node creation"};
  Buffer<ClosedChain> closed_{"polygon node creation"};
  size_t next_new_ = 0;
  int32_t pending_ = kNone;  // end of the horizontal result edge running right along a scanline
};

void Sweep::AddContour(const gpc_vertex_list& c, uint8_t type) {
  const int32_t n = c.num_vertices;
  for (int32_t i = 0; i < n; ++i) {
    if (!std::isfinite(c.vertex[i].x) || !std::isfinite(c.vertex[i].y)) return;
  }
  for (int32_t i = 0; i < n; ++i) {
    gpc_vertex a = c.vertex[i];
    gpc_vertex b = c.vertex[i + 1 == n ? 0 : i + 1];
    if (a.y == b.y) continue;
    if (a.y > b.y) std::swap(a, b);
    Edge e{};
    e.xb = a.x;
    e.yb = a.y;
    e.xt = b.x;
    e.yt = b.y;
    e.slope = (b.x - a.x) / (b.y - a.y);
    e.x = a.x;
    e.id = static_cast<int32_t>(input_.size());
    e.type = type;
    input_.push_back(e);
  }
}

void Sweep::Run() {
  const size_t n = input_.size();
  if (n == 0) return;
  lmt_.resize(n);
  scanlines_.resize(2 * n);
  for (size_t i = 0; i < n; ++i) {
    lmt_[i] = static_cast<int32_t>(i);
    scanlines_[2 * i] = input_[i].yb;
    scanlines_[2 * i + 1] = input_[i].yt;
  }
  std::sort(lmt_.begin(), lmt_.end(), [this](int32_t a, int32_t b) {
    const Edge& ea = input_[a];
    const Edge& eb = input_[b];
    if (ea.yb != eb.yb) return ea.yb < eb.yb;
    return Before(ea, eb);
  });
  std::sort(scanlines_.begin(), scanlines_.end());
  scanlines_.resize(
      static_cast<size_t>(std::unique(scanlines_.begin(), scanlines_.end()) - scanlines_.begin()));
  const size_t count = scanlines_.size();
  for (size_t i = 0; i < count; ++i) {
    const double y = scanlines_[i];
    const double ynext = i + 1 < count ? scanlines_[i + 1] : y;
    StartScanline(y);
    BundleAbove(ynext);
    ConnectScanline(y);
    if (i + 1 < count) ProcessBeam(y, ynext);
    edges_below_.swap(edges_);
    bundles_below_.swap(bundles_);
    order_below_.swap(order_);
  }
}

// Lists the edges leaving scanline y upwards in edges_, ordered by abscissa and, at one point, by
// slope: the edges going on from below, in their order, with the edges starting at y merged in.
void Sweep::StartScanline(double y) {
  edges_.clear();
  size_t first_new = next_new_;
  while (next_new_ < lmt_.size() && input_[lmt_[next_new_]].yb == y) ++next_new_;
  size_t k = first_new;
  bool sorted = true;
  for (int32_t b : order_below_) {
    const Bundle& bundle = bundles_below_[b];
    for (int32_t m = bundle.first; m < bundle.first + bundle.count; ++m) {
      const Edge& e = edges_below_[m];
      if (e.yt <= y) continue;
      Edge going_on = e;
      going_on.x = e.xnext;
      while (k < next_new_ && Before(input_[lmt_[k]], going_on))
        edges_.push_back(input_[lmt_[k++]]);
      if (!edges_.empty() && Before(going_on, edges_.back())) sorted = false;
      edges_.push_back(going_on);
    }
  }
  while (k < next_new_) edges_.push_back(input_[lmt_[k++]]);
  if (sorted) return;
  // Edges going on from below meet at one point in abscissa order only; order them by slope.
  for (size_t i = 1; i < edges_.size(); ++i) {
    if (!Before(edges_[i], edges_[i - 1])) continue;
    const Edge e = edges_[i];
    size_t j = i;
    for (; j > 0 && Before(e, edges_[j - 1]); --j) edges_[j] = edges_[j - 1];
    edges_[j] = e;
  }
}

// Groups the edges of edges_ that run on one line up to the next scanline into bundles.
void Sweep::BundleAbove(double ynext) {
  bundles_.clear();
  order_.clear();
  const int32_t n = static_cast<int32_t>(edges_.size());
  for (int32_t k = 0; k < n; ++k) {
    Edge& e = edges_[k];
    e.xnext = XAt(e, ynext);
    if (k > 0 && SameX(edges_[k - 1].x, e.x) && SameX(edges_[k - 1].xnext, e.xnext)) {
      bundles_.back().count++;
      bundles_.back().mask ^= e.type;
    } else {
      order_.push_back(static_cast<int32_t>(bundles_.size()));
      bundles_.push_back(Bundle{e.x, e.xnext, k, 1, kNone, e.type, 0});
    }
  }
}

// Connects the result boundaries meeting on scanline y, point by point from left to right.
void Sweep::ConnectScanline(double y) {
  size_t b = 0, a = 0;
  const size_t below_count = order_below_.size(), above_count = bundles_.size();
  unsigned below_state = 0, above_state = 0;
  while (b < below_count || a < above_count) {
    // Fast path: a bundle going straight on through the scanline, alone at its point, with the
    // result the same just below and just above: it keeps its chain end and adds no vertex.
    if (b < below_count && a < above_count && below_state == above_state) {
      const Bundle& down = bundles_below_[order_below_[b]];
      Bundle& up = bundles_[a];
      if (down.xnext == up.x && down.mask == up.mask &&
          edges_below_[down.first].id == edges_[up.first].id &&
          (b + 1 == below_count || !SameX(bundles_below_[order_below_[b + 1]].xnext, up.x)) &&
          (a + 1 == above_count || !SameX(bundles_[a + 1].x, up.x)) &&
          (b == 0 || !SameX(bundles_below_[order_below_[b - 1]].xnext, up.x)) &&
          (a == 0 || !SameX(bundles_[a - 1].x, up.x))) {
        below_state ^= up.mask;
        above_state = below_state;
        up.right = static_cast<uint8_t>(above_state);
        up.end = down.end;
        ++a;
        ++b;
        continue;
      }
    }
    double x;
    if (b == below_count) {
      x = bundles_[a].x;
    } else if (a == above_count) {
      x = bundles_below_[order_below_[b]].xnext;
    } else {
      x = std::min(bundles_below_[order_below_[b]].xnext, bundles_[a].x);
    }
    const bool left_below = inside_[below_state];
    const bool left_above = inside_[above_state];
    // Horizontal result edge arriving from the left.
    const bool has_from_left = left_below != left_above;
    const Item from_left{true, left_below, kNone, pending_, nullptr};
    pending_ = kNone;
    // Boundaries arriving from below, left to right.
    incoming_.clear();
    for (; b < below_count; ++b) {
      const int32_t id = order_below_[b];
      const Bundle& bundle = bundles_below_[id];
      if (bundle.xnext > x && !SameX(bundle.xnext, x)) break;
      const bool left = inside_[below_state];
      below_state ^= bundle.mask;
      const bool right = inside_[below_state];
      if (left != right) {
        incoming_.push_back(Item{true, right, edges_below_[bundle.first].id, bundle.end, nullptr});
      }
    }
    // Boundaries leaving upwards, left to right.
    outgoing_.clear();
    for (; a < above_count; ++a) {
      Bundle& bundle = bundles_[a];
      if (bundle.x > x && !SameX(bundle.x, x)) break;
      const bool left = inside_[above_state];
      above_state ^= bundle.mask;
      bundle.right = static_cast<uint8_t>(above_state);
      const bool right = inside_[above_state];
      if (left != right) {
        outgoing_.push_back(Item{false, left, edges_[bundle.first].id, kNone, &bundle.end});
      }
    }
    const bool right_below = inside_[below_state];
    const bool right_above = inside_[above_state];
    // Counter-clockwise from the east: the horizontal leaving right, the outgoing boundaries right
    // to left, the horizontal from the left, the incoming boundaries left to right.
    items_.clear();
    if (right_below != right_above) {
      items_.push_back(Item{false, right_above, kNone, kNone, &pending_});
    }
    for (size_t i = outgoing_.size(); i-- > 0;) items_.push_back(outgoing_[i]);
    if (has_from_left) items_.push_back(from_left);
    for (const Item& item : incoming_) items_.push_back(item);
    if (items_.empty()) continue;
    Connect(x, y);
  }
}

// Swaps the bundles that cross inside the beam from y to ynext, bottom crossing first, and leaves
// order_ ordered by abscissa at ynext.
void Sweep::ProcessBeam(double y, double ynext) {
  const size_t n = order_.size();
  crossings_.clear();
  // Insertion sort of a copy of the order by abscissa at the top; every exchange of neighbours
  // is a crossing. position_ serves as the copy.
  position_.resize(n);
  for (size_t i = 0; i < n; ++i) position_[i] = static_cast<int32_t>(i);
  for (size_t i = 1; i < n; ++i) {
    const int32_t id = position_[i];
    const Bundle& r = bundles_[id];
    size_t j = i;
    for (; j > 0; --j) {
      const Bundle& l = bundles_[position_[j - 1]];
      if (!(l.xnext > r.xnext) || SameX(l.xnext, r.xnext)) break;
      const double gap_bottom = r.x - l.x;
      const double gap_top = r.xnext - l.xnext;
      double t = gap_bottom / (gap_bottom - gap_top);
      if (!(t >= 0)) t = 0;
      if (t > 1) t = 1;
      crossings_.push_back(Crossing{position_[j - 1], id, t});
      position_[j] = position_[j - 1];
    }
    position_[j] = id;
  }
  if (crossings_.empty()) return;
  for (size_t i = 0; i < n; ++i) position_[i] = static_cast<int32_t>(i);
  std::stable_sort(crossings_.begin(), crossings_.end(),
                   [](const Crossing& a, const Crossing& b) { return a.t < b.t; });
  for (size_t k = 0; k < crossings_.size(); ++k) {
    // Rounding can order two crossings against the bundles' order; take the next pair that is
    // adjacent. One always is while the table is not yet sorted.
    size_t m = k;
    while (m < crossings_.size() &&
           position_[crossings_[m].right] != position_[crossings_[m].left] + 1) {
      ++m;
    }
    if (m == crossings_.size()) break;
    if (m != k) std::swap(crossings_[k], crossings_[m]);
    Cross(crossings_[k], y, ynext);
  }
}

void Sweep::Cross(const Crossing& c, double y, double ynext) {
  Bundle& l = bundles_[c.left];
  Bundle& r = bundles_[c.right];
  const int32_t at = position_[c.left];
  const unsigned west = at > 0 ? bundles_[order_[at - 1]].right : 0;
  const unsigned south = l.right;  // between the two, below the crossing
  const unsigned east = r.right;
  const unsigned north = west ^ r.mask;
  const bool w = inside_[west], s = inside_[south], e = inside_[east], n = inside_[north];
  const int32_t l_end = l.end, r_end = r.end;
  l.end = kNone;
  r.end = kNone;
  items_.clear();
  const int32_t l_edge = edges_[l.first].id, r_edge = edges_[r.first].id;
  if (n != e) items_.push_back(Item{false, n, l_edge, kNone, &l.end});
  if (w != n) items_.push_back(Item{false, w, r_edge, kNone, &r.end});
  if (w != s) items_.push_back(Item{true, s, l_edge, l_end, nullptr});
  if (s != e) items_.push_back(Item{true, e, r_edge, r_end, nullptr});
  if (!items_.empty()) {
    Connect(l.x + c.t * (l.xnext - l.x), y + c.t * (ynext - y));
  }
  order_[at] = c.right;
  order_[at + 1] = c.left;
  position_[c.right] = at;
  position_[c.left] = at + 1;
  r.right = static_cast<uint8_t>(north);
  l.right = static_cast<uint8_t>(east);
}

// Connects the boundaries in items_ (counter-clockwise) at point (x, y): each boundary followed
// by an inside sector is joined to the boundary after that sector.
void Sweep::Connect(double x, double y) {
  const size_t n = items_.size();
  size_t start = 0;
  while (start < n && !items_[start].after_inside) ++start;
  if (start == n || n % 2 != 0) return;  // cannot happen with consistent parities
  for (size_t k = 0; k < n; k += 2) {
    const size_t ia = (start + k) % n, ib = (start + k + 1) % n;
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
      *a.out = EndOf(chain, false);
      *b.out = EndOf(chain, true);
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

void Sweep::AddAtTail(int32_t end, double x, double y) {
  Chain& c = chains_[Root(end / 2)];
  const VertexNode& last = nodes_[c.tail];
  if (last.x == x && last.y == y) return;
  const int32_t node = static_cast<int32_t>(nodes_.size());
  nodes_.push_back(VertexNode{x, y, kNone});
  nodes_[c.tail].next = node;
  c.tail = node;
}

void Sweep::AddAtHead(int32_t end, double x, double y) {
  Chain& c = chains_[Root(end / 2)];
  const VertexNode& first = nodes_[c.head];
  if (first.x == x && first.y == y) return;
  const int32_t node = static_cast<int32_t>(nodes_.size());
  nodes_.push_back(VertexNode{x, y, c.head});
  c.head = node;
}

// Joins the chain whose tail is tail_end to the chain whose head is head_end; when both are one
// chain it closes as a contour with the given hole flag.
void Sweep::Join(int32_t tail_end, int32_t head_end, int32_t hole) {
  const int32_t t = Root(tail_end / 2), h = Root(head_end / 2);
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
  Buffer<int32_t> counts("contour creation");
  counts.resize(closed_.size());
  int32_t kept = 0;
  for (size_t i = 0; i < closed_.size(); ++i) {
    const Chain& c = chains_[closed_[i].chain];
    int32_t count = 1;
    const VertexNode* prev = &nodes_[c.head];
    for (int32_t v = nodes_[c.head].next; v != kNone; v = nodes_[v].next) {
      const VertexNode& node = nodes_[v];
      if (node.x != prev->x || node.y != prev->y) ++count;
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

// The bounding box of every contour of p.
void ContourBoxes(const gpc_polygon* p, Buffer<Box>& boxes) {
  boxes.resize(static_cast<size_t>(p->num_contours));
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
  }
}

// Marks the contours of subject and clip that overlap some contour of the other polygon.
void MarkOverlapping(const gpc_polygon* subject, const gpc_polygon* clip,
                     Buffer<uint8_t>& subject_used, Buffer<uint8_t>& clip_used) {
  Buffer<Box> s("Bounding box creation");
  Buffer<Box> c("Bounding box creation");
  ContourBoxes(subject, s);
  ContourBoxes(clip, c);
  subject_used.resize(s.size());
  clip_used.resize(c.size());
  std::memset(subject_used.data(), 0, s.size());
  std::memset(clip_used.data(), 0, c.size());
  // Sweep over x: each box, taken by its lower x, is tested against the boxes of the other
  // polygon that have begun and not yet ended.
  const size_t subject_count = s.size();
  Buffer<int32_t> order("overlap table creation");
  order.resize(subject_count + c.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int32_t>(i);
  auto box = [&](int32_t k) -> const Box& {
    return k < static_cast<int32_t>(subject_count) ? s[k] : c[k - subject_count];
  };
  std::sort(order.begin(), order.end(),
            [&box](int32_t a, int32_t b) { return box(a).xmin < box(b).xmin; });
  Buffer<int32_t> open_subject("overlap table creation");
  Buffer<int32_t> open_clip("overlap table creation");
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

  // Contours far from the other polygon cannot change a difference or an intersection.
  Buffer<uint8_t> subject_used("overlap table creation");
  Buffer<uint8_t> clip_used("overlap table creation");
  const bool prune = (op == GPC_DIFF || op == GPC_INT) && !IsEmpty(subject) && !IsEmpty(clip);
  if (prune) MarkOverlapping(subject, clip, subject_used, clip_used);

  Sweep sweep(op);
  for (int32_t c = 0; c < subject->num_contours; ++c) {
    if (prune && op == GPC_INT && !subject_used[c]) continue;
    if (subject->contour[c].num_vertices >= 3) sweep.AddContour(subject->contour[c], kSubject);
  }
  for (int32_t c = 0; c < clip->num_contours; ++c) {
    if (prune && !clip_used[c]) continue;
    if (clip->contour[c].num_vertices >= 3) sweep.AddContour(clip->contour[c], kClip);
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
