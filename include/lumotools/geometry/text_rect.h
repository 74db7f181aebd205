// CTextRect: a text label's rectangle in world space (centre, reading direction, width, height)
// and the quads it covers in world space and, in 2D views, on screen. Value type;
// thread-compatible.
#ifndef LUMOTOOLS_GEOMETRY_TEXT_RECT_H_
#define LUMOTOOLS_GEOMETRY_TEXT_RECT_H_

#include "lumotools/export.h"
#include "lumotools/geometry/quad.h"
#include "lumotools/platform/point_rect.h"
#include "shapekit/line.h"
#include "shapekit/point.h"

class LUMO_EXPORT CTextRect {
 public:
  // Everything zero.
  CTextRect() = default;
  CTextRect(shapekit::point3d<double> ptPos, const shapekit::vector3d<double>& vDir, double dWidth,
            double dHeight)
      : m_ptPos(ptPos), m_vDir(vDir), m_dWidth(dWidth), m_dHeight(dHeight) {}

  // The four world corners: with D the unit reading direction (a direction shorter than 1e-6
  // counts as +x) and V D turned a quarter turn counter-clockwise about z, P0 = pos - A + B,
  // P1 = pos - A - B, P2 = pos + A - B, P3 = pos + A + B where A = D width/2 and B = V height/2.
  // All four share the z value pos.z + A.z + B.z. A zero width puts every corner at pos.
  CQuad3D GetQuad3D() const;
  // The window quad of a label drawn flat in a 2D view: the rectangle of width and height
  // times scale around the window point origin, turned by the direction's x and y parts,
  // corners truncated toward zero and then sorted.
  CQuad GetQuad(const CPoint& origin, double scale) const;
  // GetQuad3D().RayCrossQuad(line, tol).
  bool RayCrossRect(const shapekit::tagLine3D& line, double tol) const;
  // GetQuad(origin, scale).PtInQuad(pt).
  bool PtInRect(const CPoint& pt, const CPoint& origin, double scale) const;

  shapekit::point3d<double> m_ptPos;
  // Need not be unit length.
  shapekit::vector3d<double> m_vDir;
  double m_dWidth = 0.0;
  double m_dHeight = 0.0;
};

#endif  // LUMOTOOLS_GEOMETRY_TEXT_RECT_H_
