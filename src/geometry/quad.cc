#include "lumotools/geometry/quad.h"

#include <algorithm>

#include "shapekit/math2d.h"
#include "shapekit/math3d.h"

namespace {

shapekit::point2d<double> ToPoint2d(const CPoint& p) { return shapekit::point2d<double>(p.x, p.y); }

}  // namespace

CQuad::CQuad(const CPoint& ptTopLeft, const CPoint& ptTopRight, const CPoint& ptBottomLeft,
             const CPoint& ptBottomRight)
    : m_ptTopLeft(ptTopLeft),
      m_ptTopRight(ptTopRight),
      m_ptBottomLeft(ptBottomLeft),
      m_ptBottomRight(ptBottomRight) {
  Sort();
}

bool CQuad::operator==(const CQuad& o) const {
  return m_ptTopLeft == o.m_ptTopLeft && m_ptTopRight == o.m_ptTopRight &&
         m_ptBottomLeft == o.m_ptBottomLeft && m_ptBottomRight == o.m_ptBottomRight;
}

CPoint CQuad::CenterPoint() const {
  shapekit::point2d<double> centre(0.0, 0.0);
  shapekit::CLumoMath2D::GetCrossPtLineAndLine(ToPoint2d(m_ptTopLeft), ToPoint2d(m_ptBottomRight),
                                               ToPoint2d(m_ptTopRight), ToPoint2d(m_ptBottomLeft),
                                               centre);
  return CPoint(static_cast<int>(centre.x), static_cast<int>(centre.y));
}

bool CQuad::PtInQuad(const CPoint& pt) const {
  const shapekit::point2d<double> p = ToPoint2d(pt);
  const shapekit::point2d<double> corners[4] = {ToPoint2d(m_ptTopLeft), ToPoint2d(m_ptTopRight),
                                                ToPoint2d(m_ptBottomRight),
                                                ToPoint2d(m_ptBottomLeft)};
  for (int i = 0; i < 4; ++i) {
    if (shapekit::CLumoMath2D::IsOnRight(corners[i], corners[(i + 1) % 4], p)) return false;
  }
  return true;
}

CRect CQuad::GetHoriRect() const {
  const CPoint centre = CenterPoint();
  const double toBottomLeft = ToPoint2d(m_ptTopLeft).distance(ToPoint2d(m_ptBottomLeft));
  const double toTopRight = ToPoint2d(m_ptTopLeft).distance(ToPoint2d(m_ptTopRight));
  const int width = static_cast<int>(std::max(toBottomLeft, toTopRight));
  const int height = static_cast<int>(std::min(toBottomLeft, toTopRight));
  const int left = centre.x - width / 2;
  const int top = centre.y - height / 2;
  return CRect(left, top, left + width, top + height);
}

void CQuad::Sort() {
  std::vector<CPoint> points = {m_ptTopLeft, m_ptTopRight, m_ptBottomLeft, m_ptBottomRight};
  SortByMinY(points);
  if (points[0].x < points[1].x) {
    m_ptTopLeft = points[0];
    m_ptTopRight = points[1];
  } else {
    m_ptTopLeft = points[1];
    m_ptTopRight = points[0];
  }
  if (points[2].x > points[3].x) {
    m_ptBottomLeft = points[3];
    m_ptBottomRight = points[2];
  } else {
    m_ptBottomLeft = points[2];
    m_ptBottomRight = points[3];
  }
}

void CQuad::SortByMinY(std::vector<CPoint>& points) {
  std::sort(points.begin(), points.end(),
            [](const CPoint& a, const CPoint& b) { return a.y != b.y ? a.y < b.y : a.x < b.x; });
}

CQuad3D::CQuad3D(const shapekit::point3d<double>& p0, const shapekit::point3d<double>& p1,
                 const shapekit::point3d<double>& p2, const shapekit::point3d<double>& p3)
    : m_pts{p0, p1, p2, p3} {}

bool CQuad3D::RayCrossQuad(const shapekit::tagLine3D& line, double tol) const {
  using shapekit::CLumoMath3D;
  const shapekit::geo_plane<double> plane(m_pts[0], m_pts[1], m_pts[2]);
  shapekit::point3d<double> x(0.0, 0.0, 0.0);
  if (!CLumoMath3D::GetCrossPtLineToPlane(plane, line.m_ptFirst, line.m_ptSecond, x)) {
    return false;
  }
  const double around = CLumoMath3D::GetTriangleArea(m_pts[0], m_pts[1], x) +
                        CLumoMath3D::GetTriangleArea(m_pts[1], m_pts[2], x) +
                        CLumoMath3D::GetTriangleArea(m_pts[2], m_pts[3], x) +
                        CLumoMath3D::GetTriangleArea(m_pts[3], m_pts[0], x);
  const double own = CLumoMath3D::GetTriangleArea(m_pts[2], m_pts[3], m_pts[0]) +
                     CLumoMath3D::GetTriangleArea(m_pts[0], m_pts[1], m_pts[2]);
  return tol > around - own;
}
