// Planar polylines of straight and circular-arc edges: CPolyEdge and tagPolyLine.
// Value types; thread-compatible.
//
// Each edge starts at its point and ends at the next edge's point; in a closed polyline the last
// edge ends at the first edge's point. An edge's shape value is the bulge of its arc: the tangent
// of a quarter of the arc's signed sweep angle. 0 is a straight edge, 1 a half circle turning
// counter-clockwise (centre on the left of the travel direction), -1 a half circle turning
// clockwise; a positive bulge below 1 is a shallow counter-clockwise arc. The last edge of an open
// polyline has no end, so its bulge is not used.
#ifndef SHAPEKIT_POLYLINE_H_
#define SHAPEKIT_POLYLINE_H_

#include <vector>

#include "shapekit/export.h"
#include "shapekit/point.h"

namespace shapekit {

class SHAPEKIT_EXPORT CPolyEdge {
 public:
  CPolyEdge() = default;
  CPolyEdge(const point2d<double>& ptStart, double dBulge = 0.0)
      : m_ptStart(ptStart), m_dBulge(dBulge) {}

  const point2d<double>& GetStartPoint() const { return m_ptStart; }
  double GetBulge() const { return m_dBulge; }
  bool IsArc() const { return m_dBulge != 0.0; }

  bool operator==(const CPolyEdge& o) const {
    return m_ptStart == o.m_ptStart && m_dBulge == o.m_dBulge;
  }
  bool operator!=(const CPolyEdge& o) const { return !(*this == o); }

  point2d<double> m_ptStart;
  double m_dBulge = 0.0;
};

struct SHAPEKIT_EXPORT tagPolyLine {
  std::vector<CPolyEdge> m_vecEdges;
  bool m_bClosed = false;

  tagPolyLine() = default;
  explicit tagPolyLine(std::vector<CPolyEdge> vecEdges, bool bClosed = true)
      : m_vecEdges(std::move(vecEdges)), m_bClosed(bClosed) {}
  // A polyline of straight edges through pts.
  static tagPolyLine FromPoints(const std::vector<point2d<double>>& pts, bool bClosed = true);

  // Adds edge after the last edge.
  void AppendEdge(const CPolyEdge& edge) { m_vecEdges.push_back(edge); }
  int GetEdgeCount() const { return static_cast<int>(m_vecEdges.size()); }

  // The outline as points in polyline order: each edge's start point, and for an arc edge the
  // points strictly between its ends. Replaces the contents of pts.
  //
  // An arc of sweep angle a gets ceil(nSegmentsPerCircle * |a| / 2pi) segments (at least one);
  // when dChordTol > 0 it gets more where needed so that no segment lies farther than dChordTol
  // from its arc. nSegmentsPerCircle < 1 leaves the chord tolerance alone in charge, and with
  // neither an arc becomes its chord. At most 65536 segments per arc.
  // A point equal to the one before it is left out, and so is a closing point equal to the
  // first point of a closed polyline (the outline is closed implicitly).
  void GetPolygonPoint(std::vector<point2d<double>>& pts, int nSegmentsPerCircle = 36,
                       double dChordTol = -1.0) const;

  // The signed area enclosed by the polyline taken as closed (an open one is closed by a straight
  // edge from its last point to its first), arcs included exactly: positive when the outline runs
  // counter-clockwise. 0 for fewer than two edges.
  double GetSignedArea() const;
  // True when GetSignedArea() > 0; false also for a zero-area polyline.
  bool IsCCW() const { return GetSignedArea() > 0.0; }
  // Reverses the travel direction: the points in reverse order, each arc turning the other way.
  void Reverse();
};

}  // namespace shapekit

#endif  // SHAPEKIT_POLYLINE_H_
