// The hands of a CAD user, driven by real Qt events on the view's viewport:
// the wheel zooms about the pointer, Shift+wheel scrolls, the middle button
// pans under any tool, Esc cancels in two steps, Enter and Space repeat the
// last drawing command or finish a figure, and typed coordinates place
// points exactly.

#include "ToolTestSupport.h"

#include "docview/PointEntry.h"
#include "tools/MultiPointTools.h"
#include "tools/PointTools.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QWheelEvent>

namespace {

TPersistent* NewPolyline(TMyPersistent* O) { return new TTestPolyline(O); }
// A class of its own for the multi-line tool over the test polyline; never registered.
const TMetaClass LineClass{"TTestCadLine", &TTestPolyline::StaticClass(), &NewPolyline};

class CadInputTest : public ToolTest {
protected:
  void SetUp() override {
    ToolTest::SetUp();
    view.SetPointEntry(&entry);
  }
  QWidget* Port() { return view.viewport(); }
  void Mouse(QEvent::Type Type, QPoint P, Qt::MouseButton Button, Qt::MouseButtons Buttons,
             Qt::KeyboardModifiers Mods = {}) {
    QMouseEvent e(Type, QPointF(P), Port()->mapToGlobal(QPointF(P)), Button, Buttons, Mods);
    QApplication::sendEvent(Port(), &e);
  }
  void Press(QPoint P, Qt::MouseButton B = Qt::LeftButton) { Mouse(QEvent::MouseButtonPress, P, B, B); }
  void Release(QPoint P, Qt::MouseButton B = Qt::LeftButton) { Mouse(QEvent::MouseButtonRelease, P, B, Qt::NoButton); }
  void Drag(QPoint P, Qt::MouseButtons Held) { Mouse(QEvent::MouseMove, P, Qt::NoButton, Held); }
  void LeftClick(QPoint P) { Press(P), Release(P); }
  void Wheel(QPoint P, int Delta, Qt::KeyboardModifiers Mods = {}) {
    QWheelEvent e(QPointF(P), Port()->mapToGlobal(QPointF(P)), QPoint(), QPoint(0, Delta), Qt::NoButton, Mods,
                  Qt::NoScrollPhase, false);
    QApplication::sendEvent(Port(), &e);
  }
  // Keys go where the keyboard is: the entry once it is open, else the view.
  void Key(int K, const QString& Text = {}) {
    QWidget* target = entry.Active() ? static_cast<QWidget*>(&entry.Edit()) : Port();
    QKeyEvent press(QEvent::KeyPress, K, Qt::NoModifier, Text);
    QApplication::sendEvent(target, &press);
  }
  void Type(const QString& Text) {
    for (QChar c : Text) Key(c == '@' ? Qt::Key_At : c.isDigit() ? Qt::Key_0 + c.digitValue() : Qt::Key_unknown, c);
  }
  void TypePoint(const QString& Text) {
    Type(Text);
    Key(Qt::Key_Return);
  }
  // The user point (dialog units) of a local point, the drawing scale being 2.
  static Tpt User(Tpt Local) { return {Local.x * 2, Local.y * 2}; }

  TPointEntryBox entry;
};

TEST_F(CadInputTest, WheelZoomsAboutThePointUnderThePointerAndStacksTheZoom) {
  const QPoint at(300, 100);
  const Tpt before = Local({at.x(), at.y()});
  const double scale = doc.FFigures->GetScale();
  const int stacked = view.ZoomCount();
  Wheel(at, 120);
  EXPECT_NEAR(doc.FFigures->GetScale(), scale * TDrawView::WheelZoomStep, 1e-12);
  EXPECT_EQ(view.ZoomCount(), stacked + 1);
  // The drawing under the pointer stays there, to the pixel.
  const Tpt after = Local({at.x(), at.y()});
  EXPECT_NEAR(after.x, before.x, 1.0);
  EXPECT_NEAR(after.y, before.y, 1.0);
  Wheel(at, -120);
  EXPECT_NEAR(doc.FFigures->GetScale(), scale, 1e-12);
  // The previous zoom, as the view's other zoom commands leave it.
  view.PopZoom();
  EXPECT_NEAR(doc.FFigures->GetScale(), scale * TDrawView::WheelZoomStep, 1e-12);
}

TEST_F(CadInputTest, WheelStopsAtThePageLimitsOfTheWindowZoom) {
  for (int i = 0; i < 40; ++i) Wheel({200, 150}, 120);
  const TSize big = view.GetDocumentLogSize();
  EXPECT_LE(big.cx, 9999);
  EXPECT_GT(big.cx, 9000);
  EXPECT_LE(view.ZoomCount(), TDocView::ZoomStackSize);
  for (int i = 0; i < 80; ++i) Wheel({200, 150}, -120);
  const TSize small = view.GetDocumentLogSize();
  EXPECT_GE(small.cy, 101);
  EXPECT_LT(small.cy, 130);
}

TEST_F(CadInputTest, ShiftWheelScrollsWithoutZooming) {
  view.SetVertPosition(0);
  const double scale = doc.FFigures->GetScale();
  Wheel({200, 150}, -120, Qt::ShiftModifier);
  EXPECT_EQ(view.VertPosition(), 30);
  EXPECT_EQ(view.HorzPosition(), 0);
  Wheel({200, 150}, -120, Qt::ShiftModifier | Qt::ControlModifier);
  EXPECT_EQ(view.HorzPosition(), 40);
  EXPECT_DOUBLE_EQ(doc.FFigures->GetScale(), scale);
}

TEST_F(CadInputTest, MiddleButtonPansUnderADrawingToolThatCarriesOnAfterwards) {
  Use<TTwoPointTool>(TTestRect::StaticClass());
  view.SetHorzPosition(100);
  view.SetVertPosition(50);
  LeftClick({50, 60});
  const Tpt first = Local({50, 60});
  Press({100, 100}, Qt::MiddleButton);
  Drag({130, 120}, Qt::MiddleButton);
  Release({130, 120}, Qt::MiddleButton);
  EXPECT_EQ(view.HorzPosition(), 70);
  EXPECT_EQ(view.VertPosition(), 30);
  EXPECT_FALSE(view.Panning());
  // The tool never saw the middle button: its figure goes on where it was.
  ASSERT_TRUE(view.CurrentTool()->HasConstruction());
  EXPECT_EQ(view.ItemClass(), &TTestRect::StaticClass());
  LeftClick({200, 150});
  ASSERT_EQ(Figures().size(), 1u);
  auto* r = dynamic_cast<TTestRect*>(Figures()[0]);
  ASSERT_TRUE(r);
  EXPECT_PT(r->FQd, first.x, first.y);
  const Tpt second = Local({200, 150});
  EXPECT_PT(r->FZd, second.x, second.y);
}

TEST_F(CadInputTest, EscCancelsTheFigureThenReturnsToTheSelectionTool) {
  Use<TTwoPointTool>(TTestRect::StaticClass());
  LeftClick({50, 60});
  Drag({90, 90}, Qt::NoButton);
  Key(Qt::Key_Escape);
  EXPECT_TRUE(Figures().empty());
  EXPECT_EQ(UndoCount(), 0);
  EXPECT_TRUE(view.RubberOverlay().Empty());
  EXPECT_EQ(view.ItemClass(), &TTestRect::StaticClass());
  EXPECT_FALSE(InSelectTool());
  // The tool starts a new figure at once.
  LeftClick({10, 10});
  LeftClick({40, 30});
  EXPECT_EQ(Figures().size(), 1u);
  Use<TTwoPointTool>(TTestRect::StaticClass());
  Key(Qt::Key_Escape);
  EXPECT_TRUE(InSelectTool());
}

TEST_F(CadInputTest, EnterOrSpaceInTheSelectionToolRepeatsTheLastDrawingCommand) {
  Use<TTwoPointTool>(TTestRect::StaticClass());
  LeftClick({50, 60});
  LeftClick({80, 90});
  ASSERT_TRUE(InSelectTool());
  Key(Qt::Key_Return);
  EXPECT_EQ(view.ItemClass(), &TTestRect::StaticClass());
  EXPECT_EQ(view.Operation(), omAdd);
  LeftClick({100, 100});
  LeftClick({150, 130});
  ASSERT_EQ(Figures().size(), 2u);
  ASSERT_TRUE(InSelectTool());
  Key(Qt::Key_Space, " ");
  EXPECT_EQ(view.ItemClass(), &TTestRect::StaticClass());
}

TEST_F(CadInputTest, EnterFinishesAMultiSegmentLine) {
  Use<TMultiLineTool>(LineClass);
  LeftClick({10, 10});
  LeftClick({60, 10});
  LeftClick({60, 50});
  Key(Qt::Key_Enter);
  ASSERT_EQ(Figures().size(), 1u);
  auto* l = dynamic_cast<TTestPolyline*>(Figures()[0]);
  ASSERT_TRUE(l);
  EXPECT_EQ(l->GetPointCount(), 3);
  EXPECT_EQ(UndoCount(), 1);
  EXPECT_FALSE(view.CurrentTool()->HasConstruction());
}

TEST_F(CadInputTest, TypedAbsoluteRelativeAndPolarPointsLandExactlyWithSnapAndOrthoOff) {
  doc.FScale = 2;  // user units are twice the local ones
  env.FOrtho = true;
  env.FPointLxSet = PointLxBit(plEndPoint) | PointLxBit(plMidPoint);
  Use<TMultiLineTool>(LineClass);
  // A digit opens the entry with itself in it.
  Key(Qt::Key_1, "1");
  ASSERT_TRUE(entry.Active());
  EXPECT_EQ(entry.Edit().text(), "1");
  TypePoint("0.5,20");
  EXPECT_FALSE(entry.Active());
  TypePoint("@30,-40");
  TypePoint("@50<90");
  Key(Qt::Key_Return);  // the entry is closed: Enter finishes the line
  ASSERT_EQ(Figures().size(), 1u);
  auto* l = dynamic_cast<TTestPolyline*>(Figures()[0]);
  ASSERT_TRUE(l);
  ASSERT_EQ(l->GetPointCount(), 3);
  EXPECT_PT(User(l->FPoints[0]), 10.5, 20);
  EXPECT_PT(User(l->FPoints[1]), 40.5, -20);
  EXPECT_PT(User(l->FPoints[2]), 40.5, 30);
}

TEST_F(CadInputTest, TypedPointsPlaceARectangleAndStartFromTheLastClick) {
  Use<TTwoPointTool>(TTestRect::StaticClass());
  LeftClick({50, 60});
  const Tpt first = Local({50, 60});
  TypePoint("@100,25");
  ASSERT_EQ(Figures().size(), 1u);
  auto* r = dynamic_cast<TTestRect*>(Figures()[0]);
  ASSERT_TRUE(r);
  EXPECT_PT(r->FQd, first.x, first.y);
  EXPECT_PT(r->FZd, first.x + 100, first.y + 25);
  EXPECT_TRUE(InSelectTool());
}

TEST_F(CadInputTest, AWrongEntryIsRefusedWithAHintAndPlacesNothing) {
  Use<TTwoPointTool>(TTestRect::StaticClass());
  TypePoint("12;3");
  EXPECT_TRUE(entry.Active());
  EXPECT_FALSE(entry.Hint().isEmpty());
  EXPECT_TRUE(entry.Hint().contains(QString::fromUtf8("坐标")));
  EXPECT_TRUE(Figures().empty());
  EXPECT_FALSE(view.CurrentTool()->HasConstruction());
  // Without a point before, the @ forms have nothing to start from.
  entry.Edit().setText("@1,2");
  Key(Qt::Key_Return);
  EXPECT_TRUE(entry.Hint().contains(QString::fromUtf8("上一点")));
  EXPECT_TRUE(Figures().empty());
  // Esc closes the entry and leaves the tool as it was.
  Key(Qt::Key_Escape);
  EXPECT_FALSE(entry.Active());
  EXPECT_EQ(view.ItemClass(), &TTestRect::StaticClass());
}

TEST_F(CadInputTest, TheSelectionToolOpensNoEntry) {
  Key(Qt::Key_5, "5");
  EXPECT_FALSE(entry.Active());
}

}  // namespace
