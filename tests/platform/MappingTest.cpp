// The anisotropic y-up mapping, logical/device conversion and DC save/restore.

#include <gtest/gtest.h>

#include "CanvasTestUtil.h"

TEST(Mapping, YUpMappingPutsLogicalPointWhereExtentsAndOriginsSay) {
  Sheet s(100, 80);
  SetViewMapping(*s, 80);
  s->SetViewportOrgEx(5, 3);  // the scrolled origin of a view
  // device = (logical - windowOrg) * viewportExt / windowExt + viewportOrg
  TPoint p{10, 10};
  s->LPtoDP(&p, 1);
  EXPECT_EQ(p.x, 15);
  EXPECT_EQ(p.y, 73);

  s->MoveToEx(10, 10);
  s->LineTo(20, 10);
  EXPECT_TRUE(s.Ink(15, 73));
  EXPECT_TRUE(s.Ink(24, 73));
  EXPECT_FALSE(s.Ink(25, 73)) << "a line leaves out its last pixel";
  EXPECT_FALSE(s.Ink(15, 72));
  EXPECT_FALSE(s.Ink(15, 74));
  EXPECT_EQ(s.InkCount(), 10);

  // Logical y grows upwards: a higher point lands on a higher row.
  s->MoveToEx(10, 30);
  s->LineTo(11, 30);
  EXPECT_TRUE(s.Ink(15, 53));
}

TEST(Mapping, DeviceToLogicalInvertsTheMapping) {
  Sheet s(100, 80);
  SetViewMapping(*s, 80);
  s->OffsetWindowOrgEx(-7, 4);  // a document origin, as views offset it
  s->SetViewportOrgEx(-20, 11);
  for (TPoint p : {TPoint{0, 0}, TPoint{33, -12}, TPoint{-5, 90}}) {
    TPoint q = p;
    s->LPtoDP(&q, 1);
    s->DPtoLP(&q, 1);
    EXPECT_EQ(q.x, p.x);
    EXPECT_EQ(q.y, p.y);
  }
}

TEST(Mapping, ConversionRoundsHalvesToEven) {
  Sheet s(10, 10);
  s->SetMapMode(MM_ANISOTROPIC);
  s->SetWindowExtEx(2, 2);
  s->SetViewportExtEx(1, -1);
  // x: l / 2, y: -l / 2; every case is an exact half.
  const TPoint in[] = {{1, 1}, {3, 3}, {5, 5}, {-1, -1}, {-3, -3}, {7, -7}};
  const TPoint want[] = {{0, 0}, {2, -2}, {2, -2}, {0, 0}, {-2, 2}, {4, 4}};
  for (size_t i = 0; i < std::size(in); ++i) {
    TPoint p = in[i];
    s->LPtoDP(&p, 1);
    EXPECT_EQ(p.x, want[i].x) << "logical x " << in[i].x;
    EXPECT_EQ(p.y, want[i].y) << "logical y " << in[i].y;
  }
}

TEST(Mapping, TextModeIgnoresExtentsButKeepsOrigins) {
  Sheet s(10, 10);
  s->SetWindowExtEx(2540, 2540);
  s->SetViewportExtEx(1270, -1270);
  s->SetWindowOrgEx(3, 4);
  s->SetViewportOrgEx(1, 1);
  TPoint p{10, 10};
  s->LPtoDP(&p, 1);
  EXPECT_EQ(p.x, 8);
  EXPECT_EQ(p.y, 7);
  EXPECT_EQ(s->GetWindowExtEx(), (TSize{1, 1}));

  s->SetMapMode(MM_ANISOTROPIC);
  s->SetWindowExtEx(2540, 2540);
  s->SetViewportExtEx(1270, -1270);
  s->SetMapMode(MM_TEXT);  // back to text mode: one to one again
  p = {10, 10};
  s->LPtoDP(&p, 1);
  EXPECT_EQ(p.x, 8);
  EXPECT_EQ(p.y, 7);
}

TEST(DeviceContextState, RestoreBringsBackPenMappingAndClip) {
  Sheet s(60, 60);
  s->SelectPen(CreatePen(psSolid, 1, RGB(255, 0, 0)));
  const int level = s->SaveDC();
  EXPECT_EQ(level, 1);

  s->SelectPen(CreatePen(psSolid, 1, RGB(0, 0, 255)));
  SetViewMapping(*s, 60);
  s->IntersectClipRect(0, 0, 5, 5);
  s->SetTextColor(RGB(0, 255, 0));
  s->SaveDC();  // a nested level that the outer restore drops too
  s->SetBkMode(TRANSPARENT);

  EXPECT_TRUE(s->RestoreDC(level));
  EXPECT_EQ(s->GetMapMode(), MM_TEXT);
  EXPECT_EQ(s->GetPen().Color, RGB(255, 0, 0));
  EXPECT_FALSE(s->RestoreDC(-1)) << "both levels are gone";

  s->MoveToEx(10, 20);
  s->LineTo(40, 20);  // outside the old clip, in text-mode coordinates
  EXPECT_EQ(s.At(10, 20), RGB(255, 0, 0));
  EXPECT_EQ(s.At(39, 20), RGB(255, 0, 0));
}

TEST(DeviceContextState, RelativeRestoreTakesTheLatestSave) {
  Sheet s(40, 40);
  s->SaveDC();
  s->SelectPen(CreatePen(psSolid, 1, RGB(0, 128, 0)));
  s->SaveDC();
  s->SelectPen(CreatePen(psSolid, 1, RGB(0, 0, 255)));
  EXPECT_TRUE(s->RestoreDC(-1));
  EXPECT_EQ(s->GetPen().Color, RGB(0, 128, 0));
  EXPECT_TRUE(s->RestoreDC(-1));
  EXPECT_EQ(s->GetPen().Color, clBlack);
  EXPECT_FALSE(s->RestoreDC(1));
}

TEST(DeviceContextState, SaverRestoresOnScopeExit) {
  Sheet s(40, 40);
  {
    TDCSaver saver(*s);
    s->IntersectClipRect(0, 0, 1, 1);
    s->SelectBrush(CreateSolidBrush(RGB(0, 0, 0)));
  }
  s->FillRect(TRect{10, 10, 20, 20}, CreateSolidBrush(RGB(9, 9, 9)));
  EXPECT_EQ(s.At(15, 15), RGB(9, 9, 9)) << "the clip went with the saver";
  EXPECT_EQ(s->GetBrush().Color, clWhite);
}
