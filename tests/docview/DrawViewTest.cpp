// The drawing view: snap markers and the long cursor on pixels, window zoom,
// move and copy by a typed distance, arrays, copy object and offset.

#include "DocViewTestSupport.h"

#include "docview/DrawView.h"
#include "docview/Environment.h"
#include "figures/LineFigures.h"

#include <QApplication>
#include <QKeyEvent>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <unistd.h>
#include <gtest/gtest.h>

namespace {

constexpr QRgb Red = 0xFF0000;  // the capture colour 255 inverted over white

// A box that offers its first corner as a snap point of a chosen kind.
class TSnapBox : public TTestBox {
public:
  bool GetCapturePoint(Tpt& P, TPointLx& Kind, TFigureView*, TPoint CursorPt, TPointLxSet) override {
    const Tpt c = xyTransLogPt(FQd.x, FQd.y);
    if (std::hypot(CursorPt.x - c.x, CursorPt.y - c.y) > CaptureBj()) return false;
    P = c;
    Kind = SnapKind;
    return true;
  }
  TPointLx SnapKind = plEndPoint;
};

class DrawViewTest : public ::testing::Test {
protected:
  void SetUp() override {
    old = SysEnvironment;
    SysEnvironment = &env;
    env.FPointLxSet = 0xFF;
    env.FCaptureBj = 8;
    env.FCaptureColor = 255;
    view = std::make_unique<TDrawView>();
  }
  void TearDown() override {
    view.reset();
    SysEnvironment = old;
  }
  void Show() {
    view->SetDocument(&doc);
    ShowView(*view, 300, 200);
  }
  TSnapBox* AddSnapBox(Tpt Qd, Tpt Zd, TPointLx Kind) {
    auto b = std::make_unique<TSnapBox>();
    b->FQd = Qd;
    b->FZd = Zd;
    b->SnapKind = Kind;
    TSnapBox* raw = b.get();
    doc.Add(std::move(b), TPoint{0, 0}, nullptr);
    return raw;
  }
  TPoint Client(Tpt Logical) const {
    TPoint p = ptodp(Logical);
    view->PointDocToClient(p);
    return p;
  }
  static bool RedNear(const QImage& Img, int X, int Y) { return CountColour(Img, QRect(X - 1, Y - 1, 3, 3), Red) > 0; }

  TEnvironment env;
  TEnvironment* old = nullptr;
  TTestDrawingDoc doc{300, 200};
  std::unique_ptr<TDrawView> view;
};

}  // namespace

TEST_F(DrawViewTest, SetUpTakesTheEnvironmentAndAnswersAsADrawingView) {
  env.FViewBackColor = 0x00FFFF;
  env.FCursorPenStyle = psDot;
  TDrawView v;
  EXPECT_TRUE(v.IsDrawingView());
  EXPECT_TRUE(v.FActive);
  EXPECT_EQ(v.LastPoint().x, -100);
  EXPECT_EQ(v.LastPoint().y, -100);
  EXPECT_EQ(v.FColor, COLORREF(0x00FFFF));
  EXPECT_FALSE(v.IsMetaFile());
  const TRubberShape s = v.CursorShape(rkPolyline, {{0, 0}, {1, 1}});
  EXPECT_EQ(s.Style, psDot);
  EXPECT_EQ(s.Color, COLORREF(255));
}

TEST_F(DrawViewTest, SizesAreTakenAtTheDrawingScaleWhateverViewStateTheRootWasLeftIn) {
  doc.FFigures->FArialScale = 0.5;
  Show();
  doc.FFigures->FViewState = vsArial;
  const TSize s = view->GetDocumentLogSize();
  EXPECT_EQ(s.cx, 300);
  EXPECT_EQ(s.cy, 200);
  EXPECT_EQ(doc.FFigures->FViewState, vsDraw);
}

TEST_F(DrawViewTest, EndPointMarkerAppearsAtTheCapturedPointAndVanishesWhenTheCursorLeaves) {
  AddSnapBox({100, 80}, {160, 120}, plEndPoint);
  Show();
  const QImage before = Grab(*view);
  const TPoint c = Client({100, 80});
  view->CapturePoint({c.x + 3, c.y - 2});
  EXPECT_EQ(view->FPointLx, plEndPoint);
  const QImage on = Grab(*view);
  // The square's edges at distance 8, its centre left clear.
  EXPECT_TRUE(RedNear(on, c.x - 8, c.y));
  EXPECT_TRUE(RedNear(on, c.x + 7, c.y));
  EXPECT_TRUE(RedNear(on, c.x, c.y - 8));
  EXPECT_FALSE(RedNear(on, c.x, c.y + 3));
  EXPECT_EQ(CountColour(on, QRect(0, 0, 300, 200), Red), CountColour(on, QRect(c.x - 9, c.y - 9, 19, 19), Red))
      << "nothing drawn away from the point";

  view->CapturePoint({250, 20});
  EXPECT_EQ(view->FPointLx, plNone);
  EXPECT_EQ(Grab(*view), before);
}

TEST_F(DrawViewTest, OptionsChangedWhileTheViewIsOpenReachItWithoutLeavingTheOldMarker) {
  AddSnapBox({100, 80}, {160, 120}, plEndPoint);
  Show();
  const QImage before = Grab(*view);
  const TPoint c = Client({100, 80});
  view->CapturePoint({c.x + 3, c.y - 2});
  ASSERT_NE(Grab(*view), before);
  env.FCaptureColor = RGB(0, 160, 0);
  env.FCursorPenStyle = psDot;
  view->ApplyEnvironment();
  EXPECT_EQ(Grab(*view), before) << "the marker drawn with the old pen is gone";
  const TRubberShape s = view->CursorShape(rkPolyline, {{0, 0}, {1, 1}});
  EXPECT_EQ(s.Color, COLORREF(RGB(0, 160, 0)));
  EXPECT_EQ(s.Style, psDot);
}

TEST_F(DrawViewTest, EachSnapKindHasItsMarkerShape) {
  TSnapBox* box = AddSnapBox({100, 80}, {160, 120}, plMidPoint);
  Show();
  const QImage before = Grab(*view);
  const TPoint c = Client({100, 80});
  const int F = 8, w = 5;  // round(8 / sqrt 3)

  view->CapturePoint(c);
  QImage img = Grab(*view);
  EXPECT_TRUE(RedNear(img, c.x, c.y - 2 * w)) << "the triangle's apex";
  EXPECT_TRUE(RedNear(img, c.x, c.y + w)) << "its base";
  EXPECT_FALSE(RedNear(img, c.x - F, c.y - F));

  view->CapturePoint({250, 20});
  box->SnapKind = plCenter;
  view->CapturePoint(c);
  img = Grab(*view);
  EXPECT_TRUE(RedNear(img, c.x - F, c.y));
  EXPECT_EQ(CountColour(img, QRect(c.x - F + 1, c.y - F + 1, 1, 1), Red), 0) << "a circle, not a square";

  view->CapturePoint({250, 20});
  box->SnapKind = plTangent;
  view->CapturePoint(c);
  img = Grab(*view);
  EXPECT_TRUE(RedNear(img, c.x - F, c.y));
  EXPECT_TRUE(RedNear(img, c.x - F + 1, c.y - F)) << "the tangent line over the circle";

  view->CapturePoint({250, 20});
  box->SnapKind = plNearest;
  view->CapturePoint(c);
  img = Grab(*view);
  EXPECT_TRUE(RedNear(img, c.x, c.y)) << "the hourglass crosses at the point";
  EXPECT_TRUE(RedNear(img, c.x, c.y - F));
  EXPECT_FALSE(RedNear(img, c.x - F, c.y));

  view->CapturePoint({250, 20});
  EXPECT_EQ(Grab(*view), before);
}

TEST_F(DrawViewTest, MarkerSurvivesARepaintOfTheDocumentUnderIt) {
  AddSnapBox({100, 80}, {160, 120}, plEndPoint);
  Show();
  const QImage before = Grab(*view);
  const TPoint c = Client({100, 80});
  view->CapturePoint(c);
  view->InvalidateClientRect({c.x - 20, c.y - 20, c.x + 20, c.y + 20});
  const QImage img = Grab(*view);
  EXPECT_TRUE(RedNear(img, c.x - 8, c.y)) << "a repaint must neither erase nor double the marker";
  view->CapturePoint({250, 20});
  EXPECT_EQ(Grab(*view), before);
}

TEST_F(DrawViewTest, LongCursorMovesWithoutTraceAndLeavesNoneOutsideThePage) {
  env.FCursorLx = 1;
  Show();
  const QImage before = Grab(*view);
  view->DrawLongCursor({100, 80});
  QImage img = Grab(*view);
  EXPECT_TRUE(RedNear(img, 5, 80));
  EXPECT_TRUE(RedNear(img, 290, 80));
  EXPECT_TRUE(RedNear(img, 100, 190));
  EXPECT_EQ(view->LastPoint().x, 100);
  EXPECT_TRUE(view->FPreventCursor);

  // A partial repaint of the document in between.
  view->InvalidateClientRect({90, 70, 130, 100});
  Grab(*view);
  EXPECT_TRUE(view->FPreventCursor);
  view->DrawLongCursor({150, 120});
  img = Grab(*view);
  EXPECT_EQ(CountColour(img, QRect(0, 80, 300, 1), Red), 1) << "only the new vertical line crosses row 80";
  EXPECT_TRUE(RedNear(img, 5, 120));

  view->DrawLongCursor({-5, 40});
  EXPECT_EQ(view->LastPoint().x, -100);
  EXPECT_FALSE(view->FPreventCursor);
  EXPECT_EQ(Grab(*view), before);
}

TEST_F(DrawViewTest, PointerLeavingTheViewTakesTheMarkerAndTheCrossHairAlong) {
  env.FCursorLx = 1;
  AddSnapBox({100, 80}, {160, 120}, plEndPoint);
  Show();
  const QImage before = Grab(*view);
  const TPoint c = Client({100, 80});
  view->DrawLongCursor({c.x + 3, c.y - 2});
  view->CapturePoint({c.x + 3, c.y - 2});
  ASSERT_TRUE(RedNear(Grab(*view), c.x - 8, c.y));
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(view->viewport(), &leave);
  EXPECT_EQ(Grab(*view), before);
  EXPECT_EQ(view->FPointLx, plNone);

  // Coming back draws them afresh rather than inverting what is gone.
  view->DrawLongCursor({c.x + 3, c.y - 2});
  view->CapturePoint({c.x + 3, c.y - 2});
  const QImage again = Grab(*view);
  EXPECT_TRUE(RedNear(again, c.x - 8, c.y));
  EXPECT_TRUE(RedNear(again, 5, c.y - 2));
  view->DrawLongCursor({-5, 40});
  view->CapturePoint({250, 20});
  EXPECT_EQ(Grab(*view), before);
}

TEST_F(DrawViewTest, MovingTheSelectionWithAnArrowKeyLeavesNoMarkerBehind) {
  env.FOffsetX = 10;
  AddSnapBox({100, 80}, {160, 120}, plEndPoint);
  Show();
  const TPoint c = Client({100, 80});
  view->CapturePoint({c.x + 3, c.y - 2});
  ASSERT_TRUE(RedNear(Grab(*view), c.x - 8, c.y));
  view->OnEditSelectAll();
  view->setFocus();
  QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
  QApplication::sendEvent(view.get(), &right);
  const QImage img = Grab(*view);
  EXPECT_EQ(CountColour(img, QRect(0, 0, 300, 200), Red), 0) << "the marker of the old corner is gone";
  // The next move over the moved corner shows its marker there.
  const TPoint moved = Client({110, 80});
  view->CapturePoint({moved.x + 1, moved.y});
  EXPECT_TRUE(RedNear(Grab(*view), moved.x - 8, moved.y));
}

TEST_F(DrawViewTest, LongCursorIsNotDrawnWhenTheEnvironmentAsksForTheShortOne) {
  env.FCursorLx = 0;
  Show();
  const QImage before = Grab(*view);
  view->DrawLongCursor({100, 80});
  EXPECT_EQ(Grab(*view), before);
  EXPECT_EQ(view->LastPoint().x, -100);
}

TEST_F(DrawViewTest, ZoomWindowScalesAndScrollsToTheRectangle) {
  Show();
  ASSERT_EQ(view->ClientWidth(), 300);
  ASSERT_EQ(view->ClientHeight(), 200);
  const int zooms = view->ZoomCount();
  // 100 x 100 pixels: f = max(300 / 100, 200 / 100) = 3.
  view->ZoomWindow({30, 20, 130, 120});
  EXPECT_DOUBLE_EQ(doc.FFigures->GetScale(), 3.0);
  EXPECT_EQ(view->HorzPosition(), 90);
  EXPECT_EQ(view->VertPosition(), 60);
  EXPECT_EQ(view->ZoomCount(), zooms + 1);
  EXPECT_DOUBLE_EQ(view->FZoomArray[std::size_t(view->ZoomCount())], 3.0);
}

TEST_F(DrawViewTest, ZoomWindowRefusesEmptyRectanglesAndPagesOutside101To9999) {
  Show();
  const int zooms = view->ZoomCount();
  view->ZoomWindow({30, 20, 30, 120});
  EXPECT_DOUBLE_EQ(doc.FFigures->GetScale(), 1.0);
  view->ZoomWindow({30, 20, 33, 23});  // f = 100: 30000 pixels wide
  EXPECT_DOUBLE_EQ(doc.FFigures->GetScale(), 1.0);
  view->ZoomWindow({0, 0, 3000, 3000});  // f = 0.1: 30 pixels wide
  EXPECT_DOUBLE_EQ(doc.FFigures->GetScale(), 1.0);
  EXPECT_EQ(view->ZoomCount(), zooms);
  view->ZoomWindow({0, 0, 30, 30});  // f = 10: 3000 x 2000, allowed
  EXPECT_DOUBLE_EQ(doc.FFigures->GetScale(), 10.0);
}

namespace {

class DrawViewEditing : public DrawViewTest {
protected:
  void SetUp() override {
    DrawViewTest::SetUp();
    doc.FScale = 2.0;  // a drawing unit is half a local unit
    a = doc.AddBox({10, 10}, {20, 20});
    b = doc.AddBox({40, 10}, {50, 20});
    Show();
    doc.FFigures->SetScale(1.5);
    doc.SetModifiedFlag(false);
  }
  TTestBox *a = nullptr, *b = nullptr;
};

}  // namespace

TEST_F(DrawViewEditing, MoveByXAndYConvertsDrawingUnitsAndUndoRestores) {
  view->Select(a, false);
  view->Select(b, true);
  ASSERT_TRUE(view->MoveObject({0, "10", "-4"}));
  EXPECT_DOUBLE_EQ(a->FQd.x, 15);
  EXPECT_DOUBLE_EQ(a->FQd.y, 8);
  EXPECT_DOUBLE_EQ(b->FZd.x, 55);
  EXPECT_TRUE(doc.GetModifiedFlag()) << "a move marks the drawing changed";
  EXPECT_EQ(doc.GetUndoCount(), 1);
  view->Undo();
  EXPECT_DOUBLE_EQ(a->FQd.x, 10);
  EXPECT_DOUBLE_EQ(a->FQd.y, 10);
  EXPECT_DOUBLE_EQ(b->FZd.x, 50);
}

TEST_F(DrawViewEditing, MoveByDistanceAndAngle) {
  view->Select(a, false);
  ASSERT_TRUE(view->MoveObject({1, "10", "30"}));
  EXPECT_NEAR(a->FQd.x, 10 + 5 * std::cos(M_PI / 6), 1e-9);
  EXPECT_NEAR(a->FQd.y, 10 + 5 * std::sin(M_PI / 6), 1e-9);
}

TEST_F(DrawViewEditing, ANonNumberCancelsTheMove) {
  view->Select(a, false);
  EXPECT_FALSE(view->MoveObject({0, "10", "abc"}));
  EXPECT_FALSE(view->MoveCopy({1, "", "0"}));
  EXPECT_DOUBLE_EQ(a->FQd.x, 10);
  EXPECT_EQ(doc.GetUndoCount(), 0);
  EXPECT_EQ(doc.Figures().size(), 2u);
  EXPECT_FALSE(doc.GetModifiedFlag());
}

TEST_F(DrawViewEditing, MoveCopyAddsMovedClonesSelectsThemAndUndoTakesThemBack) {
  view->Select(a, false);
  view->Select(b, true);
  ASSERT_TRUE(view->MoveCopy({0, "0", "20"}));
  ASSERT_EQ(doc.Figures().size(), 4u);
  ASSERT_EQ(view->Selection().Count(), 2);
  for (int i = 0; i < 2; ++i) {
    auto* c = static_cast<TTestBox*>(view->SelectedItem(i));
    EXPECT_NE(c, a);
    EXPECT_NE(c, b);
    EXPECT_DOUBLE_EQ(c->FQd.y, 20);
  }
  EXPECT_DOUBLE_EQ(a->FQd.y, 10) << "the originals stay";
  EXPECT_TRUE(doc.GetModifiedFlag());
  EXPECT_EQ(doc.GetUndoCount(), 1);
  view->Undo();
  EXPECT_EQ(doc.Figures().size(), 2u);
}

TEST_F(DrawViewEditing, RectangularArrayOfTwoRowsAndThreeColumns) {
  view->Select(a, false);
  TArrayParams p;
  p.Rows = "2";
  p.Cols = "3";
  p.RowDistance = "30";  // 15 local units
  p.ColDistance = "40";  // 20 local units
  ASSERT_TRUE(view->ArrayFigures(p));
  ASSERT_EQ(doc.Figures().size(), 7u);
  ASSERT_EQ(view->Selection().Count(), 5);
  std::vector<std::pair<double, double>> got;
  for (int i = 0; i < 5; ++i) {
    auto* c = static_cast<TTestBox*>(view->SelectedItem(i));
    got.emplace_back(c->FQd.x, c->FQd.y);
  }
  const std::vector<std::pair<double, double>> want = {{30, 10}, {50, 10}, {10, 25}, {30, 25}, {50, 25}};
  EXPECT_EQ(got, want);
  EXPECT_TRUE(doc.GetModifiedFlag());
  EXPECT_EQ(doc.GetUndoCount(), 1);
  view->Undo();
  EXPECT_EQ(doc.Figures().size(), 2u);
}

TEST_F(DrawViewEditing, ArrayWithABadFieldEndsSilently) {
  view->Select(a, false);
  TArrayParams p;
  p.Rows = "2";
  p.Cols = "x";
  EXPECT_FALSE(view->ArrayFigures(p));
  EXPECT_EQ(doc.Figures().size(), 2u);
  EXPECT_EQ(doc.GetUndoCount(), 0);
}

TEST_F(DrawViewEditing, CircularArrayOfFourOver360PlacesCopiesAtQuarterTurns) {
  doc.FScale = 1.0;
  doc.FFigures->SetScale(1.0);
  view->Select(a, false);  // centre (15, 15)
  TArrayParams p;
  p.Mode = 1;
  p.Count = "4";
  p.CenterX = "100";
  p.CenterY = "100";
  p.Angle = "360";
  ASSERT_TRUE(view->ArrayFigures(p));
  ASSERT_EQ(view->Selection().Count(), 3);
  // (15, 15) about (100, 100): (185, 15), (185, 185), (15, 185).
  const double want[3][2] = {{180, 10}, {180, 180}, {10, 180}};
  for (int i = 0; i < 3; ++i) {
    auto* c = static_cast<TTestBox*>(view->SelectedItem(i));
    EXPECT_NEAR(c->FQd.x, want[i][0], 1e-9) << i;
    EXPECT_NEAR(c->FQd.y, want[i][1], 1e-9) << i;
  }
  EXPECT_EQ(doc.GetUndoCount(), 1);
}

TEST_F(DrawViewEditing, CircularArrayWithRotationTurnsEachCopyAboutTheCentre) {
  if (!GetClass("TTxLine")) RegisterLineFigureClasses();
  doc.FScale = 1.0;
  doc.FFigures->SetScale(1.0);
  auto owned = std::make_unique<TTxLine>();
  TTxLine* line = owned.get();
  line->FQd = {110, 100};
  line->FZd = {130, 100};
  doc.Add(std::move(owned), TPoint{0, 0}, nullptr);
  view->Select(line, false);
  TArrayParams p;
  p.Mode = 1;
  p.Count = "4";
  p.CenterX = "100";
  p.CenterY = "100";
  p.Angle = "360";
  p.Rotate = true;
  ASSERT_TRUE(view->ArrayFigures(p));
  ASSERT_EQ(view->Selection().Count(), 3);
  // Quarter turns about (100, 100); the block is placed on whole logical
  // units, so allow one unit.
  const Tpt want[3][2] = {{{100, 110}, {100, 130}}, {{90, 100}, {70, 100}}, {{100, 90}, {100, 70}}};
  for (const auto& w : want) {
    bool found = false;
    for (int i = 0; i < view->Selection().Count(); ++i) {
      auto* c = dynamic_cast<TTxLine*>(view->SelectedItem(i));
      ASSERT_NE(c, nullptr);
      found = found || (std::hypot(c->FQd.x - w[0].x, c->FQd.y - w[0].y) <= 1.0 &&
                        std::hypot(c->FZd.x - w[1].x, c->FZd.y - w[1].y) <= 1.0);
    }
    EXPECT_TRUE(found) << "no copy from (" << w[0].x << "," << w[0].y << ") to (" << w[1].x << "," << w[1].y << ")";
  }
  EXPECT_EQ(doc.GetUndoCount(), 1);
  view->Undo();
  EXPECT_EQ(doc.FFigures->LayerList(0)->Count(), 3) << "undo takes the copies back: the two boxes and the line";
}

TEST_F(DrawViewEditing, CircularArrayOverMinus90StepsClockwiseByThirds) {
  doc.FScale = 1.0;
  doc.FFigures->SetScale(1.0);
  view->Select(a, false);
  TArrayParams p;
  p.Mode = 1;
  p.Count = "4";
  p.CenterX = "15";
  p.CenterY = "0";
  p.Angle = "-90";
  ASSERT_TRUE(view->ArrayFigures(p));
  ASSERT_EQ(view->Selection().Count(), 3);
  // (15, 15) about (15, 0), radius 15, at -30, -60, -90 degrees from +y.
  auto* last = static_cast<TTestBox*>(view->SelectedItem(2));
  EXPECT_NEAR(last->FQd.x + 5, 30, 1e-9);
  EXPECT_NEAR(last->FQd.y + 5, 0, 1e-9);
  auto* first = static_cast<TTestBox*>(view->SelectedItem(0));
  EXPECT_NEAR(first->FQd.x + 5, 15 + 15 * std::sin(M_PI / 6), 1e-9);
  EXPECT_NEAR(first->FQd.y + 5, 15 * std::cos(M_PI / 6), 1e-9);
}

TEST_F(DrawViewEditing, CopyObjectPutsUnannouncedClonesTopmostFirstIntoTheSelection) {
  view->Select(a, false);
  view->Select(b, true);  // b lies above a
  view->CopyObject();
  EXPECT_EQ(view->Operation(), omCopyObject);
  EXPECT_EQ(view->toolTip().toStdString(), "先选择基点,之后左键复制对象,右键结束");
  ASSERT_EQ(view->Selection().Count(), 2);
  auto* c0 = static_cast<TTestBox*>(view->SelectedItem(0));
  auto* c1 = static_cast<TTestBox*>(view->SelectedItem(1));
  EXPECT_NE(c0, b);
  EXPECT_DOUBLE_EQ(c0->FQd.x, 40) << "the clone of the topmost figure comes first";
  EXPECT_DOUBLE_EQ(c1->FQd.x, 10);
  EXPECT_EQ(doc.Figures().size(), 4u);
  EXPECT_EQ(doc.GetUndoCount(), 0);
}

TEST_F(DrawViewEditing, OffsetMovesTheSortedSelectionToTheTempList) {
  view->Select(a, false);
  view->Select(b, true);
  view->Offset();
  EXPECT_EQ(view->Operation(), omOffset);
  EXPECT_EQ(view->Selection().Count(), 0);
  ASSERT_EQ(view->FTempList.Count(), 2);
  EXPECT_EQ(view->FTempList.Items(0), b);
  EXPECT_EQ(view->FTempList.Items(1), a);
}

TEST_F(DrawViewEditing, ExplodeIgnoresAnythingButOneFigureSet) {
  view->Select(a, false);
  view->Explode();
  EXPECT_EQ(doc.Figures().size(), 2u);
  EXPECT_FALSE(doc.GetModifiedFlag());
}

// ---- picture export

namespace {
class DrawViewExport : public DrawViewTest {
protected:
  void SetUp() override {
    DrawViewTest::SetUp();
    FDir = std::filesystem::temp_directory_path() /
           ("plandeck-export-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(FDir);
    std::filesystem::create_directories(FDir);
    // A thick black box on a page with its grid shown on screen.
    TTestBox* box = doc.AddBox({50, 50}, {250, 150});
    box->FPen.Width = 6;
    doc.FFigures->FShowGrid = true;
    doc.FFigures->FGridPen.Color = 0x00FF00;
    doc.FFigures->FGridPen.Style = psSolid;
    Show();
  }
  void TearDown() override {
    std::filesystem::remove_all(FDir);
    DrawViewTest::TearDown();
  }
  std::string Path(const char* Name) const { return (FDir / Name).string(); }
  static std::vector<std::uint8_t> FileBytes(const std::string& P) {
    std::ifstream f(P, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(f), {});
  }
  std::filesystem::path FDir;
};

int CountGreen(const QImage& Img) {
  int n = 0;
  for (int y = 0; y < Img.height(); ++y)
    for (int x = 0; x < Img.width(); ++x) n += (Img.pixel(x, y) & 0xFFFFFF) == 0x00FF00;
  return n;
}
}  // namespace

TEST_F(DrawViewExport, BitmapOfThePageHasTheFiguresButNoGrid) {
  EXPECT_GT(CountGreen(Grab(*view)), 0);  // the screen shows the grid
  view->SaveAsBMP(Path("page"));
  QImage bmp(QString::fromStdString(Path("page.BMP")));
  ASSERT_FALSE(bmp.isNull());
  const TSize dev = view->GetDocumentDevSize();
  // One more column and row hold the page frame's right and bottom edges.
  EXPECT_EQ(bmp.width(), dev.cx + 1);
  EXPECT_EQ(bmp.height(), dev.cy + 1);
  EXPECT_EQ(CountGreen(bmp), 0);
  // The box's left edge: logical x 50 at scale 1, y up from the page bottom.
  EXPECT_EQ(bmp.pixel(50, dev.cy - 100) & 0xFFFFFF, 0x000000u);
  EXPECT_EQ(bmp.pixel(150, dev.cy - 100) & 0xFFFFFF, 0xFFFFFFu);
  EXPECT_FALSE(view->IsMetaFile());
}

TEST_F(DrawViewExport, JpegKeepsTheThickLineDark) {
  view->SaveAsJPEG(Path("page.jpg"));  // an extension in any case is kept
  QImage jpg(QString::fromStdString(Path("page.jpg")));
  ASSERT_FALSE(jpg.isNull());
  const int y = view->GetDocumentDevSize().cy - 100;
  EXPECT_LT(qGray(jpg.pixel(50, y)), 80);
  EXPECT_GT(qGray(jpg.pixel(150, y)), 200);
  EXPECT_FALSE(std::filesystem::exists(Path("page.jpg.JPG")));
}

TEST_F(DrawViewExport, MetafilesGetTheirExtensionAndWellFormedHeaders) {
  view->SaveAsWMF(Path("plan"), 2);
  const auto emf = FileBytes(Path("plan.EMF"));
  ASSERT_GE(emf.size(), 88u);
  EXPECT_EQ(emf[0], 1);  // the header record
  EXPECT_EQ(emf[40], ' ');
  EXPECT_EQ(emf[41], 'E');
  EXPECT_EQ(emf[42], 'M');
  EXPECT_EQ(emf[43], 'F');
  std::uint32_t bytes = 0;
  std::memcpy(&bytes, emf.data() + 48, 4);
  EXPECT_EQ(bytes, emf.size());

  view->SaveAsWMF(Path("plan2.wmf"), 1);
  const auto wmf = FileBytes(Path("plan2.wmf"));
  ASSERT_GE(wmf.size(), 40u);
  std::uint32_t key = 0;
  std::memcpy(&key, wmf.data(), 4);
  EXPECT_EQ(key, 0x9AC6CDD7u);  // the placeable header
  EXPECT_FALSE(view->IsMetaFile());
}

TEST_F(DrawViewExport, ExportToAMissingFolderFailsWithItsName) {
  try {
    view->SaveAsWMF(Path("no/such/plan"), 2);
    FAIL();
  } catch (const std::exception& e) {
    EXPECT_NE(std::string(e.what()).find("plan"), std::string::npos) << e.what();
  }
  EXPECT_THROW(view->SaveAsBMP(Path("no/such/plan")), std::exception);
  EXPECT_FALSE(view->IsMetaFile());
}

TEST_F(DrawViewExport, AFailedExportLeavesTheEarlierFileAsItWas) {
  const std::string target = Path("kept.JPG");
  { std::ofstream(target) << "earlier picture"; }
  // The picture is made beside the target first; a folder in that place
  // makes writing it fail.
  const std::string temp = Path((".plandeck-" + std::to_string(::getpid()) + "-kept.JPG").c_str());
  std::filesystem::create_directory(temp);
  try {
    view->SaveAsJPEG(target);
    FAIL() << "the export should have failed";
  } catch (const std::exception& e) {
    EXPECT_EQ(std::string(e.what()).find(".plandeck-"), std::string::npos) << "names the user's file: " << e.what();
    EXPECT_NE(std::string(e.what()).find("kept.JPG"), std::string::npos) << e.what();
  }
  view->SaveAsBMP(Path("kept.BMP"));
  view->SaveAsWMF(Path("kept.EMF"), 2);
  std::ifstream in(target);
  std::string text;
  std::getline(in, text);
  EXPECT_EQ(text, "earlier picture");
  // Exports that work leave no temporary file behind.
  EXPECT_TRUE(std::filesystem::exists(Path("kept.BMP")));
  EXPECT_TRUE(std::filesystem::exists(Path("kept.EMF")));
  std::filesystem::remove(temp);
  int left = 0;
  for (const auto& e : std::filesystem::directory_iterator(std::filesystem::path(target).parent_path()))
    left += e.path().filename().string().rfind(".plandeck-", 0) == 0;
  EXPECT_EQ(left, 0);
}
