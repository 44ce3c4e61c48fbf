// Keyboard moves, the zoom stack and fitting, deletion, tools and operations,
// and mouse routing.

#include "DocViewTestSupport.h"

#include "docview/Cursors.h"
#include "docview/Environment.h"
#include "platform/System.h"

#include <QApplication>
#include <QMouseEvent>
#include <gtest/gtest.h>

namespace {

class ViewEditing : public ::testing::Test {
protected:
  void SetUp() override {
    old = SysEnvironment;
    SysEnvironment = &env;
    a = doc.AddBox({10, 10}, {40, 30});
    b = doc.AddBox({60, 60}, {90, 80});
    c = doc.AddBox({100, 20}, {140, 50});
    view.SetDocument(&doc);
    ShowView(view, 300, 200);
  }
  void TearDown() override { SysEnvironment = old; }

  void Send(QEvent::Type Type, Qt::MouseButton Button, QPoint P, Qt::MouseButtons Held = Qt::NoButton) {
    QMouseEvent e(Type, QPointF(P), view.viewport()->mapToGlobal(QPointF(P)), Button, Held, Qt::NoModifier);
    QApplication::sendEvent(view.viewport(), &e);
  }

  TEnvironment env;
  TEnvironment* old = nullptr;
  TTestDrawingDoc doc{300, 200};
  TTestView view;
  TTestBox *a = nullptr, *b = nullptr, *c = nullptr;
};

}  // namespace

TEST_F(ViewEditing, ArrowKeysMoveTheSelectionByTheEnvironmentStepsAndUndoRestoresIt) {
  env.FOffsetX = 5;
  env.FOffsetY = 3;
  view.Select(a, false);
  view.Select(b, true);
  doc.SetModifiedFlag(false);
  view.KeyDown(Qt::Key_Right, 0);
  view.KeyDown(Qt::Key_Up, 0);
  EXPECT_DOUBLE_EQ(a->FQd.x, 15);
  EXPECT_DOUBLE_EQ(a->FQd.y, 13);
  EXPECT_DOUBLE_EQ(b->FZd.x, 95);
  EXPECT_TRUE(doc.GetModifiedFlag());
  EXPECT_EQ(doc.FFigures->UndoCount(), 2);
  view.Undo();
  view.Undo();
  EXPECT_DOUBLE_EQ(a->FQd.x, 10);
  EXPECT_DOUBLE_EQ(a->FQd.y, 10);
  EXPECT_DOUBLE_EQ(b->FZd.x, 90);
  EXPECT_DOUBLE_EQ(c->FQd.x, 100) << "unselected figures never move";
}

TEST_F(ViewEditing, ArrowKeyWithEmptySelectionRecordsNothing) {
  view.KeyDown(Qt::Key_Left, 0);
  EXPECT_EQ(doc.FFigures->UndoCount(), 0);
  EXPECT_DOUBLE_EQ(a->FQd.x, 10);
}

TEST_F(ViewEditing, PageKeysScrollByTheClientHeightWithinTheRangeAndF8TogglesOrtho) {
  doc.FFigures->SetScale(3);  // 900 x 600 pixels in a 300 x 200 window
  view.KeyDown(Qt::Key_PageDown, 0);
  EXPECT_EQ(view.VertPosition(), 200);
  view.KeyDown(Qt::Key_PageDown, 0);
  view.KeyDown(Qt::Key_PageDown, 0);
  EXPECT_EQ(view.VertPosition(), 400) << "no further than the range allows";
  view.KeyDown(Qt::Key_PageUp, 0);
  view.KeyDown(Qt::Key_PageUp, 0);
  view.KeyDown(Qt::Key_PageUp, 0);
  EXPECT_EQ(view.VertPosition(), 0);
  view.KeyDown(Qt::Key_F8, 0);
  EXPECT_TRUE(env.FOrtho);
  view.KeyDown(Qt::Key_F8, 0);
  EXPECT_FALSE(env.FOrtho);
}

TEST_F(ViewEditing, ZoomStackKeepsTheLastTwentyAndPopsBackOneStateAtATime) {
  ASSERT_EQ(view.ZoomCount(), 1) << "a drawing view pushes its scale when it attaches";
  EXPECT_FALSE(doc.GetModifiedFlag()) << "attaching leaves the document unmodified";
  for (int i = 1; i <= 25; ++i) view.PushZoom(i);
  EXPECT_EQ(view.ZoomCount(), 20);
  EXPECT_DOUBLE_EQ(view.FZoomArray[1], 6);
  EXPECT_DOUBLE_EQ(view.FZoomArray[20], 25);
  EXPECT_TRUE(doc.GetModifiedFlag());
  view.PopZoom();
  EXPECT_EQ(view.ZoomCount(), 19);
  EXPECT_DOUBLE_EQ(doc.FFigures->GetScale(), 24);
  for (int i = 0; i < 30; ++i) view.PopZoom();
  EXPECT_EQ(view.ZoomCount(), 1);
  EXPECT_DOUBLE_EQ(doc.FFigures->GetScale(), 6) << "at the bottom the scale stays";
}

TEST_F(ViewEditing, ScaleToFitFillsTheClientAreaLessMarginsAndPushesTheScale) {
  view.ScaleToFit();
  // min(280 / 300, 180 / 200) = 0.9
  EXPECT_NEAR(doc.FFigures->GetScale(), 0.9, 1e-12);
  // Attaching pushed the scale of the time; fitting pushes the new one.
  EXPECT_EQ(view.ZoomCount(), 2);
  EXPECT_DOUBLE_EQ(view.FZoomArray[1], 1.0);
  EXPECT_NEAR(view.FZoomArray[2], 0.9, 1e-12);
}

TEST(ViewFitting, FittingAnEmptyDrawingChangesNoScale) {
  TTestDrawingDoc doc(300, 200);
  doc.FFigures->FWidth = 0;
  doc.FFigures->FHeight = 0;
  TTestView view;
  view.SetDocument(&doc);
  ShowView(view, 300, 200);
  view.ScaleToFit();
  view.ZoomToFit();
  EXPECT_DOUBLE_EQ(doc.FFigures->GetScale(), 1.0);
  EXPECT_DOUBLE_EQ(doc.FFigures->FArialScale, 1.0);
  EXPECT_EQ(view.ZoomCount(), 1) << "only the push of attaching";
}

TEST(ViewFitting, ZoomToFitSetsTheOverviewScaleToTheWindow) {
  TTestDrawingDoc doc(600, 400);
  TTestView view(false);
  view.FViewState = vsArial;
  view.FZoomState = qrZoomToFit;
  view.SetDocument(&doc);
  ShowView(view, 300, 100);
  view.ZoomToFit();
  EXPECT_NEAR(doc.FFigures->FArialScale, 0.25, 1e-12);
  EXPECT_DOUBLE_EQ(doc.FFigures->FScale, 1.0) << "the drawing scale is not the overview's";
  doc.FFigures->FViewState = vsDraw;
}

TEST_F(ViewEditing, DeletionAsksWithTheCountAndCancelChangesNothing) {
  view.OnEditSelectAll();
  ASSERT_EQ(view.Selection().Count(), 3);
  {
    TScopedMessageAnswer answer(mrCancel);
    view.OnEditClear();
    ASSERT_EQ(answer.Asked().size(), 1u);
    EXPECT_EQ(answer.Asked()[0].Text, "真的要删除这3个图形?");
  }
  EXPECT_EQ(doc.Figures().size(), 3u);
  EXPECT_EQ(view.Selection().Count(), 3);
  EXPECT_TRUE(view.Deleted.empty());
}

TEST_F(ViewEditing, ConfirmedDeletionRemovesAnnouncesAndIsUndoable) {
  TTestView other;
  other.SetDocument(&doc);
  other.Select(b, false);
  view.Select(a, false);
  view.Select(b, true);
  {
    TScopedMessageAnswer answer(mrOk);
    view.OnEditClear();
  }
  EXPECT_EQ(doc.Figures().size(), 1u);
  EXPECT_EQ(view.Selection().Count(), 0);
  EXPECT_EQ(other.Selection().Count(), 0) << "other views drop the deleted items";
  EXPECT_EQ(view.Deleted.size(), 2u);
  view.Undo();
  EXPECT_EQ(doc.Figures().size(), 3u);
}

TEST_F(ViewEditing, DeletionWithoutConfirmationSettingAsksNothingAndEmptySelectionDoesNothing) {
  TScopedMessageAnswer answer(mrCancel);
  view.OnEditClear();
  env.FDeleteConfirm = false;
  view.Select(c, false);
  view.OnEditClear();
  EXPECT_TRUE(answer.Asked().empty());
  EXPECT_EQ(doc.Figures().size(), 2u);
}

TEST_F(ViewEditing, SelectWithinRectTakesTheItemsInsideTheClientRectangle) {
  view.Select(c, false);
  view.SelectWithinRect(TRect{0, 100, 100, 200});  // logical x 0..100, y 0..100
  EXPECT_EQ(view.Selection().Count(), 2);
  EXPECT_TRUE(view.IsSelected(a));
  EXPECT_TRUE(view.IsSelected(b));
  EXPECT_FALSE(view.IsSelected(c));
  view.Deselect(a);
  EXPECT_FALSE(view.IsSelected(a));
}

TEST_F(ViewEditing, PositionSelectInCenterScrollsTheSelectionToTheMiddle) {
  doc.FFigures->SetScale(4);  // 1200 x 800 pixels
  view.Select(c, false);      // logical 400..560 x 80..200 -> client y 600..720
  view.PositionSelectInCenter();
  EXPECT_EQ(view.HorzPosition(), (399 + 561) / 2 - 150);
  EXPECT_EQ(view.VertPosition(), (599 + 721) / 2 - 100);
}

TEST_F(ViewEditing, OperationsSetTheirCursorsAndRightClickReturnsToTheSelectionTool) {
  auto selectTool = std::make_unique<TRecordingTool>(&TDocItem::StaticClass());
  auto boxTool = std::make_unique<TRecordingTool>(&TTestBox::StaticClass());
  TRecordingTool* sel = selectTool.get();
  TRecordingTool* draw = boxTool.get();
  doc.AddTool(std::move(selectTool));
  doc.AddTool(std::move(boxTool));

  view.SetOperation(omPanRealTime);
  EXPECT_EQ(view.CurrentTool(), sel);
  EXPECT_EQ(view.Operation(), omPanRealTime) << "choosing the selection tool keeps the asked mode";
  EXPECT_EQ(view.CursorIndex(), crPanRealTime);
  view.SetOperation(omZoomRealTime);
  EXPECT_EQ(view.CursorIndex(), crZoomRealTime);
  view.SetOperation(omRealTimeDeletePoint);
  EXPECT_EQ(view.CursorIndex(), crDeletePoint);

  view.Select(a, false);
  view.SetOperation(omAdd);
  EXPECT_EQ(view.Selection().Count(), 0);
  EXPECT_EQ(view.CursorIndex(), crDraw);
  view.SetDrawShape(&TTestBox::StaticClass());
  EXPECT_EQ(view.CurrentTool(), draw);
  EXPECT_EQ(sel->Calls.back(), "cancel");

  Send(QEvent::MouseButtonRelease, Qt::RightButton, {20, 20});
  EXPECT_EQ(view.CurrentTool(), sel);
  EXPECT_EQ(view.ItemClass(), &TDocItem::StaticClass());
  EXPECT_EQ(view.Operation(), omMove);
  EXPECT_EQ(view.CursorIndex(), crCapture);
  env.FAllowMove = false;
  view.SetDrawShape(&TTestBox::StaticClass());
  view.SetDrawShape(&TDocItem::StaticClass());
  EXPECT_EQ(view.Operation(), omNormal);
  EXPECT_EQ(view.CursorIndex(), crDefaultArrow);
}

TEST_F(ViewEditing, MouseEventsReachTheCurrentToolInClientPixels) {
  auto tool = std::make_unique<TRecordingTool>(&TDocItem::StaticClass());
  TRecordingTool* t = tool.get();
  doc.AddTool(std::move(tool));
  view.SetDrawShape(&TDocItem::StaticClass());
  t->Calls.clear();
  Send(QEvent::MouseButtonPress, Qt::LeftButton, {30, 40}, Qt::LeftButton);
  Send(QEvent::MouseMove, Qt::NoButton, {35, 45}, Qt::LeftButton);
  Send(QEvent::MouseButtonRelease, Qt::LeftButton, {36, 47});
  Send(QEvent::MouseButtonDblClick, Qt::LeftButton, {36, 47}, Qt::LeftButton);
  Send(QEvent::MouseButtonPress, Qt::RightButton, {5, 5}, Qt::RightButton);
  const std::vector<std::string> want = {"down 30 40", "move 35 45", "up 36 47", "dbl 36 47", "down 36 47"};
  EXPECT_EQ(t->Calls, want) << "the right press reaches no tool";
  EXPECT_TRUE(t->LastShift & ssDouble);
  EXPECT_EQ(view.FMouse_Click.x, 36);
  EXPECT_EQ(view.FMouse_Click.y, 200 - 47);
  EXPECT_EQ(t->FP_Down.x, 36);
}

TEST_F(ViewEditing, InactiveViewOrMissingToolReachesNoTool) {
  Send(QEvent::MouseButtonPress, Qt::LeftButton, {30, 40}, Qt::LeftButton);  // no tool yet
  auto tool = std::make_unique<TRecordingTool>(&TDocItem::StaticClass());
  TRecordingTool* t = tool.get();
  doc.AddTool(std::move(tool));
  view.SetDrawShape(&TDocItem::StaticClass());
  t->Calls.clear();
  view.FActive = false;
  Send(QEvent::MouseButtonPress, Qt::LeftButton, {30, 40}, Qt::LeftButton);
  Send(QEvent::MouseButtonRelease, Qt::LeftButton, {50, 60});
  EXPECT_TRUE(t->Calls.empty());
  EXPECT_EQ(view.FMouse_Click.x, 50) << "the mouse-up point is kept regardless";
}

TEST_F(ViewEditing, MovingOrSizingKeepsThePointerOnThePage) {
  TTestDrawingDoc small(200, 100);  // centred: page at client (50, 50)..(250, 150)
  TTestView v;
  v.SetDocument(&small);
  ShowView(v, 300, 200);
  auto tool = std::make_unique<TRecordingTool>(&TDocItem::StaticClass());
  TRecordingTool* t = tool.get();
  small.AddTool(std::move(tool));
  v.SetDrawShape(&TDocItem::StaticClass());
  t->FSelectMode = smMove;
  t->Calls.clear();
  v.MouseDown(mbLeft, ssLeft, {100, 100});
  v.MouseMove(ssLeft, {10, 190});
  v.MouseUp(mbLeft, 0, {299, 0});
  v.MouseMove(0, {10, 190});
  const std::vector<std::string> want = {"down 100 100", "move 50 149", "up 249 50", "move 10 190"};
  EXPECT_EQ(t->Calls, want);
}
