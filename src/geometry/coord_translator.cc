#include "lumotools/geometry/coord_translator.h"

CCoordTranslator::~CCoordTranslator() = default;

double CCoordTranslator::GetTranslateScale(const shapekit::point3d<double>& /*pt*/) const {
  return 1.0;
}

bool CCoordTranslator::IsTextRotate() const { return true; }
