#include "lumotools/platform/point_rect.h"

#include <gtest/gtest.h>

namespace {

TEST(PointRect, RectangleEdgesAndCentre) {
  CRect r(10, 20, 30, 60);
  EXPECT_EQ(r.Width(), 20);
  EXPECT_EQ(r.Height(), 40);
  EXPECT_EQ(r.CenterPoint(), CPoint(20, 40));
  EXPECT_TRUE(r.PtInRect(CPoint(10, 20)));                       // left and top edges inside
  EXPECT_FALSE(r.PtInRect(CPoint(30, 40)));                      // right edge outside
  EXPECT_FALSE(r.PtInRect(CPoint(20, 60)));                      // bottom edge outside
  EXPECT_EQ(CRect(-3, -3, 0, 0).CenterPoint(), CPoint(-1, -1));  // truncated toward zero
  r.OffsetRect(-10, 5);
  EXPECT_EQ(r, CRect(0, 25, 20, 65));
  r.InflateRect(1, 2);
  EXPECT_EQ(r, CRect(-1, 23, 21, 67));
  CRect flipped(5, 9, 1, 2);
  EXPECT_TRUE(flipped.IsRectEmpty());
  flipped.NormalizeRect();
  EXPECT_EQ(flipped, CRect(1, 2, 5, 9));
  EXPECT_EQ(CRect(CPoint(1, 2), CSize(3, 4)), CRect(1, 2, 4, 6));
  EXPECT_EQ(CPoint(5, 5) - CPoint(2, 1), CSize(3, 4));
  EXPECT_EQ(CPoint(5, 5) + CSize(1, -1), CPoint(6, 4));
}

}  // namespace
