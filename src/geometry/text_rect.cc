#include "lumotools/geometry/text_rect.h"

namespace {

// Below this length a reading direction counts as none, and +x is used.
constexpr double kMinDirection = 1e-6;

}  // namespace

CQuad3D CTextRect::GetQuad3D() const {
  using Vec = shapekit::vector3d<double>;
  Vec dir = m_vDir;
  if (dir.length() < kMinDirection) dir.x = 1.0;
  dir.normalize();
  const double halfWidth = m_dWidth * 0.5;
  const double halfHeight = m_dHeight * 0.5;
  Vec across(-halfWidth * dir.y, halfWidth * dir.x, halfWidth * dir.z);
  across.normalize();
  const Vec a = dir * halfWidth;
  const Vec b = across * halfHeight;
  const double z = m_ptPos.z + a.z + b.z;
  auto corner = [&](double signA, double signB) {
    return shapekit::point3d<double>(m_ptPos.x + signA * a.x + signB * b.x,
                                     m_ptPos.y + signA * a.y + signB * b.y, z);
  };
  return CQuad3D(corner(-1, 1), corner(-1, -1), corner(1, -1), corner(1, 1));
}

CQuad CTextRect::GetQuad(const CPoint& origin, double scale) const {
  using Vec2 = shapekit::point2d<double>;
  Vec2 dir(m_vDir.x, m_vDir.y);
  if (dir.length() < kMinDirection) dir.x = 1.0;
  dir.normalize();
  const double halfWidth = m_dWidth * scale * 0.5;
  const double halfHeight = m_dHeight * scale * 0.5;
  Vec2 across(-halfWidth * dir.y, halfWidth * dir.x);
  across.normalize();
  const Vec2 a = dir * halfWidth;
  const Vec2 b = across * halfHeight;
  const Vec2 o(origin.x, origin.y);
  auto corner = [](const Vec2& p) { return CPoint(static_cast<int>(p.x), static_cast<int>(p.y)); };
  const CPoint q0 = corner(o - a + b);
  const CPoint q1 = corner(o - a - b);
  const CPoint q2 = corner(o + a + b);
  const CPoint q3 = corner(o + a - b);
  return CQuad(q0, q1, q3, q2);
}

bool CTextRect::RayCrossRect(const shapekit::tagLine3D& line, double tol) const {
  return GetQuad3D().RayCrossQuad(line, tol);
}

bool CTextRect::PtInRect(const CPoint& pt, const CPoint& origin, double scale) const {
  return GetQuad(origin, scale).PtInQuad(pt);
}
