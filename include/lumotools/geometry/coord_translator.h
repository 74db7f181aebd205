// CCoordTranslator: how a host view maps between world space and its window, implemented by the
// view. The editing layer holds a pointer to one and never owns it. Thread safety is the
// implementer's.
#ifndef LUMOTOOLS_GEOMETRY_COORD_TRANSLATOR_H_
#define LUMOTOOLS_GEOMETRY_COORD_TRANSLATOR_H_

#include "lumotools/export.h"
#include "lumotools/platform/point_rect.h"
#include "shapekit/line.h"
#include "shapekit/point.h"

class LUMO_EXPORT CCoordTranslator {
 public:
  CCoordTranslator() = default;
  CCoordTranslator(const CCoordTranslator&) = default;
  CCoordTranslator& operator=(const CCoordTranslator&) = default;
  virtual ~CCoordTranslator();

  // The window point where the world point is drawn.
  virtual CPoint WorldToWindow(const shapekit::point3d<double>& pt) const = 0;
  // The pick line in world space through the window point, from the eye into the scene.
  virtual shapekit::tagLine3D WindowToWorldLine(const CPoint& pt) const = 0;
  // Window pixels per world unit at the world point. 1.0 unless the view says otherwise.
  virtual double GetTranslateScale(const shapekit::point3d<double>& pt) const;
  // True (the default) when labels are world-space rectangles (3D mode: placed through
  // CTextRect::GetQuad3D and WorldToWindow, hit with pick lines); false when they are drawn flat,
  // scaled around their anchor's window point (2D mode).
  virtual bool IsTextRotate() const;
};

#endif  // LUMOTOOLS_GEOMETRY_COORD_TRANSLATOR_H_
