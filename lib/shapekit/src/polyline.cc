#include "shapekit/polyline.h"

#include <algorithm>
#include <cmath>

namespace shapekit {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kMaxArcSegments = 65536;

// The circle of an arc edge from a to b with the given bulge (not 0, a != b).
struct Arc {
  point2d<double> centre;
  double radius;
  double startAngle;
  double sweep;  // signed, counter-clockwise positive
};

Arc ArcOf(const point2d<double>& a, const point2d<double>& b, double bulge) {
  const point2d<double> chord = b - a;
  const point2d<double> leftNormal(-chord.y, chord.x);  // length of the chord
  const point2d<double> mid = (a + b) * 0.5;
  Arc arc;
  // The centre lies on the chord's perpendicular bisector, (1 - bulge^2) / (4 bulge) chord
  // lengths to the left of the chord.
  arc.centre = mid + leftNormal * ((1.0 - bulge * bulge) / (4.0 * bulge));
  arc.radius = arc.centre.distance(a);
  arc.startAngle = std::atan2(a.y - arc.centre.y, a.x - arc.centre.x);
  arc.sweep = 4.0 * std::atan(bulge);
  return arc;
}

int SegmentCount(const Arc& arc, int nSegmentsPerCircle, double dChordTol) {
  const double sweep = std::fabs(arc.sweep);
  // A sweep stays below a full turn, so one segment per circle or fewer asks for one segment.
  double n = std::max(1.0, std::ceil(nSegmentsPerCircle * sweep / (2 * kPi)));
  // A segment spanning angle s lies at most r (1 - cos(s / 2)) from its arc, and never beyond 2r.
  // A tolerance of 0 or below gives no span and asks for nothing.
  const double maxSpan = 2.0 * std::acos(std::clamp(1.0 - dChordTol / arc.radius, -1.0, 1.0));
  if (maxSpan > 0.0) n = std::max(n, std::ceil(sweep / maxSpan));
  return static_cast<int>(std::min(n, static_cast<double>(kMaxArcSegments)));
}

void PushDistinct(std::vector<point2d<double>>& pts, const point2d<double>& p) {
  if (pts.empty() || pts.back() != p) pts.push_back(p);
}

}  // namespace

tagPolyLine tagPolyLine::FromPoints(const std::vector<point2d<double>>& pts, bool bClosed) {
  tagPolyLine line;
  line.m_bClosed = bClosed;
  line.m_vecEdges.reserve(pts.size());
  for (const point2d<double>& p : pts) line.m_vecEdges.emplace_back(p, 0.0);
  return line;
}

void tagPolyLine::GetPolygonPoint(std::vector<point2d<double>>& pts, int nSegmentsPerCircle,
                                  double dChordTol) const {
  pts.clear();
  const size_t n = m_vecEdges.size();
  for (size_t i = 0; i < n; ++i) {
    const CPolyEdge& edge = m_vecEdges[i];
    PushDistinct(pts, edge.m_ptStart);
    const bool hasEnd = i + 1 < n || m_bClosed;
    if (!hasEnd || edge.m_dBulge == 0.0) continue;
    const point2d<double>& end = m_vecEdges[(i + 1) % n].m_ptStart;
    if (end == edge.m_ptStart) continue;
    const Arc arc = ArcOf(edge.m_ptStart, end, edge.m_dBulge);
    const int segments = SegmentCount(arc, nSegmentsPerCircle, dChordTol);
    for (int k = 1; k < segments; ++k) {
      const double angle = arc.startAngle + arc.sweep * k / segments;
      PushDistinct(pts, point2d<double>(arc.centre.x + arc.radius * std::cos(angle),
                                        arc.centre.y + arc.radius * std::sin(angle)));
    }
  }
  if (m_bClosed && pts.size() > 1 && pts.back() == pts.front()) pts.pop_back();
}

double tagPolyLine::GetSignedArea() const {
  const size_t n = m_vecEdges.size();
  if (n < 2) return 0.0;
  double twiceArea = 0.0;
  double arcSegments = 0.0;
  const point2d<double>& origin = m_vecEdges[0].m_ptStart;  // keeps the sums small
  for (size_t i = 0; i < n; ++i) {
    const point2d<double>& a = m_vecEdges[i].m_ptStart;
    const point2d<double>& b = m_vecEdges[(i + 1) % n].m_ptStart;
    twiceArea += (a - origin).cross(b - origin);
    const double bulge = m_vecEdges[i].m_dBulge;
    const bool hasArc = bulge != 0.0 && (i + 1 < n || m_bClosed) && a != b;
    if (hasArc) {
      // The circular segment between chord and arc: r^2 / 2 (t - sin t) for sweep t, on the
      // outside of the chord for a counter-clockwise arc.
      const Arc arc = ArcOf(a, b, bulge);
      const double t = std::fabs(arc.sweep);
      const double segment = 0.5 * arc.radius * arc.radius * (t - std::sin(t));
      arcSegments += std::copysign(segment, bulge);
    }
  }
  return 0.5 * twiceArea + arcSegments;
}

void tagPolyLine::Reverse() {
  const size_t n = m_vecEdges.size();
  if (n < 2) return;
  // Edge i runs from point i to point i + 1; reversed, it runs from point i + 1 to point i with
  // the opposite bulge and becomes the edge that starts at point i + 1.
  std::vector<CPolyEdge> reversed;
  reversed.reserve(n);
  if (m_bClosed) {
    // The closing edge (n-1 -> 0) becomes the first edge, 0 -> n-1.
    reversed.emplace_back(m_vecEdges[0].m_ptStart, -m_vecEdges[n - 1].m_dBulge);
    for (size_t i = n - 1; i >= 1; --i) {
      reversed.emplace_back(m_vecEdges[i].m_ptStart, -m_vecEdges[i - 1].m_dBulge);
    }
  } else {
    for (size_t i = n; i-- > 0;) {
      const double bulge = i >= 1 ? -m_vecEdges[i - 1].m_dBulge : 0.0;
      reversed.emplace_back(m_vecEdges[i].m_ptStart, bulge);
    }
  }
  m_vecEdges = std::move(reversed);
}

}  // namespace shapekit
