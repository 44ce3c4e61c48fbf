// The selection tool: selecting, moving, sizing and rotating with undo
// entries, the rubber-band selection, real-time zoom and pan, adding a
// vertex, dropping copies and offsetting.

#include "ToolTestSupport.h"

#include "tools/PointTools.h"
#include "tools/SelectTool.h"

#include <QApplication>
#include <algorithm>
#include <QImage>
#include <QMouseEvent>
#include <QScrollBar>

namespace {
class SelectToolTest : public ToolTest {
protected:
  void SetUp() override {
    ToolTest::SetUp();
    a = AddRect({20, 20}, {60, 50});
    b = AddRect({120, 20}, {160, 50});
  }
  TTestRect* AddRect(Tpt Qd, Tpt Zd) {
    auto r = std::make_unique<TTestRect>();
    r->FQd = Qd;
    r->FZd = Zd;
    TTestRect* p = r.get();
    doc.Add(std::move(r), {0, 0}, &view);
    return p;
  }
  // A mouse event as the window system delivers it to the view's viewport.
  void Send(QEvent::Type Type, TPoint P, Qt::MouseButton Button, Qt::MouseButtons Buttons) {
    const QPointF at(P.x, P.y);
    QMouseEvent e(Type, at, view.viewport()->mapToGlobal(at), Button, Buttons, Qt::NoModifier);
    QApplication::sendEvent(view.viewport(), &e);
  }
  TTestRect *a = nullptr, *b = nullptr;
};

// Some figure of a drawing: still in its layers.
bool InDrawing(const std::vector<TCustomFigure*>& Figures, const TDocItem* F) {
  return std::find(Figures.begin(), Figures.end(), F) != Figures.end();
}

// The middle line of a scroll bar's picture without its two arrow buttons,
// as grey levels.
std::vector<int> BarLine(QScrollBar& Bar) {
  const QImage img = Bar.grab().toImage();
  const bool horz = Bar.orientation() == Qt::Horizontal;
  const int len = horz ? img.width() : img.height(), thick = horz ? img.height() : img.width();
  std::vector<int> line;
  for (int i = thick; i < len - thick; ++i)
    line.push_back(qGray(horz ? img.pixel(i, thick / 2) : img.pixel(thick / 2, i)));
  return line;
}

// Where the thumb lies along BarLine: the first and last of the darker pixels.
std::pair<int, int> DarkRun(const std::vector<int>& Line) {
  const auto [lo, hi] = std::minmax_element(Line.begin(), Line.end());
  const int mid = (*lo + *hi) / 2;
  int first = -1, last = -1;
  for (int i = 0; i < int(Line.size()); ++i)
    if (Line[std::size_t(i)] < mid) {
      if (first < 0) first = i;
      last = i;
    }
  return {first, last};
}
}  // namespace

TEST_F(SelectToolTest, ClickSelectsAndDragMovesWithAnEditEntryThatUndoTakesBack) {
  ASSERT_EQ(view.Operation(), omMove);
  Down(Client({40, 30}));
  EXPECT_TRUE(view.IsSelected(a));
  EXPECT_EQ(view.Selection().Count(), 1);
  ASSERT_EQ(UndoCount(), 1);
  EXPECT_EQ(LastUndo()->FOperationVerb, ovEdit);
  Move(Client({50, 35}));
  Move(Client({55, 40}));
  Up(Client({55, 40}));
  EXPECT_PT(a->FQd, 35, 30);
  EXPECT_PT(a->FZd, 75, 60);
  EXPECT_PT(b->FQd, 120, 20);
  view.Undo();
  EXPECT_PT(a->FQd, 20, 20);
}

TEST_F(SelectToolTest, ShiftClickAddsAndThenDeselects) {
  Click(Client({40, 30}));
  Click(Client({140, 30}), ssShift);
  EXPECT_EQ(view.Selection().Count(), 2);
  Click(Client({140, 30}), ssShift);
  EXPECT_FALSE(view.IsSelected(b));
  EXPECT_TRUE(view.IsSelected(a));
}

TEST_F(SelectToolTest, CtrlClickDuplicatesTheSelectionAfterTheEditEntry) {
  Click(Client({40, 30}), ssCtrl);
  ASSERT_EQ(Figures().size(), 3u);
  ASSERT_EQ(view.Selection().Count(), 1);
  auto* dup = dynamic_cast<TTestRect*>(view.SelectedItem(0));
  ASSERT_TRUE(dup && dup != a);
  EXPECT_PT(dup->FQd, 30, 10);
  ASSERT_EQ(UndoCount(), 2);
  EXPECT_EQ(doc.FFigures->UndoItem(0)->FOperationVerb, ovEdit);
  EXPECT_EQ(doc.FFigures->UndoItem(1)->FOperationVerb, ovAdd);
}

TEST_F(SelectToolTest, DraggingAHandleSizesTheFigureAfterAnEditEntry) {
  view.Select(a, false);
  Down(Client({60, 50}));  // handle 2
  EXPECT_EQ(view.CurrentTool()->nDragHandle, 2);
  ASSERT_EQ(UndoCount(), 1);
  EXPECT_EQ(LastUndo()->FOperationVerb, ovEdit);
  Move(Client({80, 70}));
  Up(Client({80, 70}));
  EXPECT_PT(a->FQd, 20, 20);
  EXPECT_PT(a->FZd, 80, 70);
  view.Undo();
  EXPECT_PT(a->FZd, 60, 50);
}

TEST_F(SelectToolTest, RotatingByAHandleIsUndoable) {
  view.SetOperation(omRotate);
  view.Select(a, false);
  Down(Client({60, 50}));
  ASSERT_EQ(UndoCount(), 1);
  EXPECT_EQ(LastUndo()->FOperationVerb, ovEdit);
  Move(Client({20, 80}));  // straight up from FQd
  Up(Client({20, 80}));
  EXPECT_NEAR(a->FXzJd, 90, 1e-9);
  view.Undo();
  EXPECT_NEAR(a->FXzJd, 0, 1e-9);
}

TEST_F(SelectToolTest, RubberBandSelectsTheFiguresInside) {
  Down(Client({10, 100}));
  EXPECT_EQ(view.CurrentTool()->FSelectMode, smNetSelect);
  Move(Client({100, 5}));
  EXPECT_EQ(view.RubberOverlay().Shapes().size(), 1u);
  Up(Client({100, 5}));
  EXPECT_TRUE(view.RubberOverlay().Empty());
  EXPECT_TRUE(view.IsSelected(a));
  EXPECT_FALSE(view.IsSelected(b));
  EXPECT_EQ(UndoCount(), 0);
}

TEST_F(SelectToolTest, RealTimeZoomOfAHundredPixelsUpOnFiveHundredGivesSixPercent) {
  view.resize(400, 500);
  QApplication::processEvents();
  view.SetOperation(omZoomRealTime);
  const double s = doc.FFigures->GetScale();
  ASSERT_DOUBLE_EQ(s, 1.0);
  Down({200, 300});
  Move({200, 200});
  EXPECT_NEAR(doc.FFigures->GetScale(), 1.06, 1e-12);
  Up({200, 200});
  EXPECT_EQ(view.Operation(), omZoomRealTime);
}

TEST_F(SelectToolTest, PanScrollsOnEverySecondMoveMessage) {
  view.resize(100, 100);
  QApplication::processEvents();
  view.SetOperation(omPanRealTime);
  view.SetHorzPosition(50);
  Down({50, 50});
  Move({40, 50});
  EXPECT_EQ(view.HorzPosition(), 60);
  Move({30, 50});
  EXPECT_EQ(view.HorzPosition(), 60);
  Up({30, 50});
}

TEST_F(SelectToolTest, AddPointModeInsertsAVertexAndReturnsToMoving) {
  auto line = std::make_unique<TTestPolyline>();
  line->FPoints = {{20, 150}, {120, 150}};
  TTestPolyline* l = line.get();
  doc.Add(std::move(line), {0, 0}, &view);
  view.SetOperation(omRealTimeAddPoint);
  Click(Client({70, 150}));
  EXPECT_EQ(l->GetPointCount(), 3);
  EXPECT_EQ(view.Operation(), omMove);
}

TEST_F(SelectToolTest, CopyModeDropsCopiesAtTheMouseWithAnAddEntry) {
  // The view's copy command selects copies that follow the mouse.
  view.Select(a, false);
  view.CopyObject();
  ASSERT_EQ(view.Selection().Count(), 1);
  TDocItem* f = view.SelectedItem(0);
  ASSERT_NE(f, a);
  Click(Client({20, 20}));  // base point
  Move(Client({30, 25}));
  EXPECT_PT(static_cast<TTestRect*>(f)->FQd, 30, 25);
  Click(Client({40, 20}));
  ASSERT_EQ(Figures().size(), 4u);
  ASSERT_EQ(UndoCount(), 1);
  EXPECT_EQ(LastUndo()->FOperationVerb, ovAdd);
  auto* dropped = dynamic_cast<TTestRect*>(LastUndo()->Items(0));
  ASSERT_TRUE(dropped && dropped != f);
  EXPECT_PT(dropped->FQd, 40, 20);
  EXPECT_TRUE(view.IsSelected(f));
  // A right click ends the mode and takes the follower away.
  RightClick(Client({40, 20}));
  EXPECT_EQ(Figures().size(), 3u);
  EXPECT_EQ(view.Operation(), omMove);
}

TEST_F(SelectToolTest, OffsetFollowsTheMouseAndARightClickPutsItBack) {
  view.FTempList.Add(a);
  view.SetOperation(omOffset);
  doc.SetModifiedFlag(false);
  Click(Client({20, 20}));
  ASSERT_EQ(UndoCount(), 1);
  EXPECT_EQ(LastUndo()->FOperationVerb, ovEdit);
  EXPECT_TRUE(doc.GetModifiedFlag());
  Move(Client({35, 20}));
  EXPECT_PT(a->FQd, 35, 20);
  RightClick(Client({35, 20}));
  EXPECT_PT(a->FQd, 20, 20);
  EXPECT_EQ(view.Operation(), omMove);
  EXPECT_TRUE(InSelectTool());
}

// ---- a click, a double click and the property dialog

TEST_F(SelectToolTest, AClickThatOnlySelectsRecordsAnEditStepInEveryModeButChangesNothing) {
  doc.SetModifiedFlag(false);
  for (TOperationMode op : {omNormal, omRotate, omMove}) {
    view.Select(nullptr, false);
    view.SetOperation(op);
    const int before = UndoCount();
    Down(Client({40, 30}));
    Move(Client({40, 30}));  // the pointer trembles on the spot
    Up(Client({40, 30}));
    EXPECT_TRUE(view.IsSelected(a)) << op;
    ASSERT_EQ(UndoCount(), before + 1) << op;
    EXPECT_EQ(LastUndo()->FOperationVerb, ovEdit) << op;
    ASSERT_EQ(LastUndo()->Count(), 1) << op;
    EXPECT_EQ(LastUndo()->EditItems(0), a) << op;
    EXPECT_PT(a->FQd, 20, 20);
    EXPECT_FALSE(doc.GetModifiedFlag()) << "a click that moves nothing changes nothing, op " << int(op);
  }
  // Undoing such a step gives the figure back as it was.
  view.Undo();
  EXPECT_PT(a->FQd, 20, 20);
  EXPECT_PT(a->FZd, 60, 50);
}

TEST_F(SelectToolTest, NoDragOrCaptureOutlivesAPropertyDialogOpenedByDoubleClick) {
  for (bool ok : {true, false}) {
    int opened = 0;
    // The dialog is modal: the release of the second click goes to it, never to the view.
    RegisterPropertyEditor(TTestRect::StaticClass(), [&](TFigureView*, TDocItem&) {
      ++opened;
      return ok;
    });
    view.Select(nullptr, false);
    const int before = UndoCount();
    const TPoint p = Client({40, 30});
    Send(QEvent::MouseButtonPress, p, Qt::LeftButton, Qt::LeftButton);
    Send(QEvent::MouseButtonRelease, p, Qt::LeftButton, Qt::NoButton);
    Send(QEvent::MouseButtonDblClick, p, Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(opened, 1);
    EXPECT_NE(QWidget::mouseGrabber(), view.viewport()) << "OK " << ok;
    EXPECT_EQ(view.CurrentTool()->FSelectMode, smNone);
    // The mouse moves with no button held: nothing follows it.
    Send(QEvent::MouseMove, Client({80, 70}), Qt::NoButton, Qt::NoButton);
    EXPECT_PT(a->FQd, 20, 20);
    EXPECT_PT(a->FZd, 60, 50);
    EXPECT_EQ(UndoCount(), before + 1) << "only the first click's step";
    // The next click selects where it lands and drops nothing there.
    Send(QEvent::MouseButtonPress, Client({140, 30}), Qt::LeftButton, Qt::LeftButton);
    Send(QEvent::MouseButtonRelease, Client({140, 30}), Qt::LeftButton, Qt::NoButton);
    EXPECT_PT(a->FQd, 20, 20);
    EXPECT_TRUE(view.IsSelected(b));
  }
  RegisterPropertyEditor(TTestRect::StaticClass(), [](TFigureView*, TDocItem&) { return false; });
}

// ---- leaving copy object and offset

TEST_F(SelectToolTest, CopyObjectClonesGoWhenAnotherOperationIsChosenBeforeTheFirstClick) {
  for (TOperationMode op : {omMove, omNormal, omRotate, omZoomWindow, omPanRealTime, omZoomRealTime,
                            omRealTimeAddPoint, omOffset}) {
    view.SetOperation(omMove);
    view.Select(a, false);
    view.CopyObject();
    ASSERT_EQ(view.Operation(), omCopyObject);
    ASSERT_EQ(Figures().size(), 3u);
    view.SetOperation(op);
    EXPECT_EQ(Figures(), (std::vector<TCustomFigure*>{b, a})) << "operation " << int(op);
    EXPECT_EQ(view.Selection().Count(), 0);
    EXPECT_EQ(UndoCount(), 0);
    EXPECT_TRUE(view.toolTip().isEmpty());
  }
}

TEST_F(SelectToolTest, CopyObjectClonesGoWhenADrawingToolIsChosenAfterTheBasePoint) {
  view.Select(a, false);
  view.CopyObject();
  Click(Client({20, 20}));  // base point
  Move(Client({30, 25}));
  Use<TTwoPointTool>(TTestRect::StaticClass());
  EXPECT_EQ(Figures(), (std::vector<TCustomFigure*>{b, a}));
  EXPECT_EQ(UndoCount(), 0);
}

TEST_F(SelectToolTest, CopyObjectKeepsTheDroppedCopiesAndLosesOnlyTheFollowersWhenLeft) {
  view.Select(a, false);
  view.CopyObject();
  Click(Client({20, 20}));
  Move(Client({40, 20}));
  Click(Client({40, 20}));  // one copy dropped
  ASSERT_EQ(Figures().size(), 4u);
  auto* dropped = dynamic_cast<TTestRect*>(LastUndo()->Items(0));
  ASSERT_TRUE(dropped);
  view.SetOperation(omRotate);
  ASSERT_EQ(Figures().size(), 3u);
  EXPECT_TRUE(InDrawing(Figures(), dropped));
  EXPECT_TRUE(InDrawing(Figures(), a));
  EXPECT_PT(dropped->FQd, 40, 20);
  EXPECT_EQ(UndoCount(), 1);
}

TEST_F(SelectToolTest, EscapeAndClosingTheViewTakeTheCopyObjectClonesAway) {
  view.Select(a, false);
  view.CopyObject();
  view.KeyDown(Qt::Key_Escape, 0);
  EXPECT_EQ(Figures(), (std::vector<TCustomFigure*>{b, a}));
  EXPECT_EQ(view.Operation(), omMove);

  view.Select(b, false);
  view.CopyObject();
  Click(Client({120, 20}));
  view.SetDocument(nullptr);
  EXPECT_EQ(Figures(), (std::vector<TCustomFigure*>{b, a}));
}

TEST_F(SelectToolTest, LeavingCopyModeNeverRemovesFiguresSelectedMeanwhile) {
  view.Select(a, false);
  view.CopyObject();
  Click(Client({20, 20}));
  // The index tree selects a figure of the drawing while the copies follow the mouse.
  view.Select(b, false);
  RightClick(Client({30, 30}));
  EXPECT_EQ(Figures(), (std::vector<TCustomFigure*>{b, a}));
  EXPECT_EQ(view.Operation(), omMove);
}

TEST_F(SelectToolTest, ChoosingAnotherOperationDuringAnOffsetPutsTheFiguresBack) {
  view.Select(a, false);
  view.Offset();
  Click(Client({20, 20}));
  Move(Client({35, 20}));
  EXPECT_PT(a->FQd, 35, 20);
  view.SetOperation(omZoomWindow);
  EXPECT_PT(a->FQd, 20, 20);
  Move(Client({50, 20}));
  EXPECT_PT(a->FQd, 20, 20);
}

// ---- the scroll bars after a real-time zoom

TEST_F(SelectToolTest, AfterARealTimeZoomTheThumbsShowWhereTheViewIsAndDragTheRightWay) {
  view.setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  view.setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  view.resize(700, 500);  // the page fits: no scroll bars yet
  QApplication::processEvents();
  view.SetOperation(omZoomRealTime);
  for (int gesture = 0; gesture < 2; ++gesture) {
    Down({300, 450});
    for (int y = 430; y >= 30; y -= 20) Move({300, y});
    Up({300, 30});
  }
  QApplication::processEvents();
  QScrollBar& h = *view.horizontalScrollBar();
  QScrollBar& v = *view.verticalScrollBar();
  ASSERT_GT(h.maximum(), 100);
  ASSERT_GT(v.maximum(), 100);
  ASSERT_EQ(h.value(), 0);
  ASSERT_EQ(v.value(), 0);
  // The page's top-left corner (logical (0, height), y up) at the window's corner.
  auto pageCorner = [&] {
    TPoint p{0, doc.GetSize().cy};
    view.PointDocToClient(p);
    return p;
  };
  EXPECT_EQ(pageCorner().x, 0);
  EXPECT_EQ(pageCorner().y, 0);

  // The thumbs are drawn darker than their grooves, at the start of their bars.
  for (QScrollBar* bar : {&h, &v}) {
    const std::vector<int> line = BarLine(*bar);
    const auto [first, last] = DarkRun(line);
    EXPECT_LT(first, int(line.size()) / 10) << "the thumb of a bar at 0 is at its start";
    EXPECT_LT(last, int(line.size()) * 9 / 10) << "and leaves room to move";
  }

  // Dragging the horizontal thumb right shows what lies right of the window.
  const int thick = h.height();
  const auto [hf, hl] = DarkRun(BarLine(h));
  const QPointF from(thick + (hf + hl) / 2, thick / 2), to = from + QPointF(60, 0);
  auto drag = [](QScrollBar& Bar, QPointF From, QPointF To) {
    QMouseEvent press(QEvent::MouseButtonPress, From, Bar.mapToGlobal(From), Qt::LeftButton, Qt::LeftButton, {});
    QApplication::sendEvent(&Bar, &press);
    QMouseEvent move(QEvent::MouseMove, To, Bar.mapToGlobal(To), Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(&Bar, &move);
    QMouseEvent release(QEvent::MouseButtonRelease, To, Bar.mapToGlobal(To), Qt::LeftButton, Qt::NoButton, {});
    QApplication::sendEvent(&Bar, &release);
  };
  drag(h, from, to);
  EXPECT_GT(h.value(), 0);
  EXPECT_EQ(pageCorner().x, -h.value());

  const int vthick = v.width();
  const auto [vf, vl] = DarkRun(BarLine(v));
  const QPointF vfrom(vthick / 2, vthick + (vf + vl) / 2), vto = vfrom + QPointF(0, 60);
  drag(v, vfrom, vto);
  EXPECT_GT(v.value(), 0);
  EXPECT_EQ(pageCorner().y, -v.value()) << "dragging the thumb down shows what lies below";
}
