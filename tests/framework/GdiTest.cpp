// Drawing helpers: the double-buffered context and rectangles.
#include <gtest/gtest.h>
#include <windows.h>

#include "framework/Gdi.h"

namespace brx {
namespace {

TEST(Gdi, DoubleBufferReachesTheTargetOnlyWhenItEnds) {
  CDC screen(::GetDC(nullptr));
  CDC target;
  ASSERT_TRUE(target.CreateCompatibleDC(screen));
  CBitmap bitmap;
  ASSERT_TRUE(bitmap.CreateCompatibleBitmap(screen, 40, 30));
  HGDIOBJ old = target.SelectObject(bitmap);
  target.FillSolidRect(CRect(0, 0, 40, 30), RGB(255, 255, 255));
  {
    CDoubleBufferDC buffer(target, CRect(10, 10, 30, 20));
    ASSERT_TRUE(buffer.IsBuffered());
    buffer.FillSolidRect(CRect(10, 10, 30, 20), RGB(255, 0, 0));  // the target's coordinates
    EXPECT_EQ(::GetPixel(target, 15, 15), RGB(255, 255, 255));
  }
  EXPECT_EQ(::GetPixel(target, 15, 15), RGB(255, 0, 0));
  EXPECT_EQ(::GetPixel(target, 29, 19), RGB(255, 0, 0));
  EXPECT_EQ(::GetPixel(target, 30, 20), RGB(255, 255, 255));  // outside the area
  EXPECT_EQ(::GetPixel(target, 5, 5), RGB(255, 255, 255));
  target.SelectObject(old);
  ::ReleaseDC(nullptr, screen.m_hDC);
}

TEST(Gdi, EmptyAreaDrawsStraightOnTheTarget) {
  CDC target;
  ASSERT_TRUE(target.CreateCompatibleDC(nullptr));
  CDoubleBufferDC buffer(target, CRect(5, 5, 5, 9));
  EXPECT_FALSE(buffer.IsBuffered());
  EXPECT_EQ(buffer.m_hDC, target.m_hDC);
}

TEST(Geometry, RectangleHelpers) {
  CRect rc(30, 40, 10, 20);
  rc.NormalizeRect();
  EXPECT_EQ(rc, CRect(10, 20, 30, 40));
  EXPECT_EQ(rc.Width(), 20);
  EXPECT_EQ(rc.CenterPoint(), CPoint(20, 30));
  EXPECT_TRUE(rc.PtInRect(CPoint(10, 20)));
  EXPECT_FALSE(rc.PtInRect(CPoint(30, 40)));
  CRect both;
  EXPECT_FALSE(both.IntersectRect(rc, CRect(50, 50, 60, 60)));
  EXPECT_TRUE(both.IsRectNull());
  rc.DeflateRect(CRect(1, 2, 3, 4));
  EXPECT_EQ(rc, CRect(11, 22, 27, 36));
}

} // namespace
} // namespace brx
