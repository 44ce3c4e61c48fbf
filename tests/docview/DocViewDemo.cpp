// A drawing view over a few boxes, driven through a short script: zoom,
// scroll, a click that selects through the tool, and a rubber band left
// dragging. Quits after the given number of seconds (default 6).

#include "DocViewTestSupport.h"

#include "figures/Blocks.h"
#include "platform/System.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTimer>
#include <cstdio>
#include <cstdlib>

namespace {

// Click selects the figure under the pointer; dragging on empty paper
// spans a rubber band that selects what lies inside.
class TDemoSelectTool : public TDrawTool {
public:
  TDemoSelectTool() : TDrawTool(&TDocItem::StaticClass()) {}

  void OnLButtonDown(TDocView& View, TShiftState Shift, TPoint Pos) override {
    TDrawTool::OnLButtonDown(View, Shift, Pos);
    TPoint p = Pos;
    View.PointClientToDoc(p);
    TDocItem* hit = View.Document()->ObjectAt(p, nullptr, 1.0);
    View.Select(hit, (Shift & ssShift) != 0);
    if (!hit) {
      FSelectMode = smNetSelect;
      Band(View);
    }
  }
  void OnMouseMove(TDocView& View, TShiftState Shift, TPoint Pos) override {
    if (FSelectMode == smNetSelect) Band(View);  // erase
    TDrawTool::OnMouseMove(View, Shift, Pos);
    if (FSelectMode == smNetSelect) Band(View);  // show
  }
  void OnLButtonUp(TDocView& View, TShiftState Shift, TPoint Pos) override {
    if (FSelectMode == smNetSelect) {
      Band(View);
      View.SelectWithinRect(TRect{FP_Down.x, FP_Down.y, Pos.x, Pos.y});
    }
    TDrawTool::OnLButtonUp(View, Shift, Pos);
  }

private:
  void Band(TDocView& View) { View.DrawRubberShape({rkRectangle, {FP_Down, FP_Last}, 1, clBlack}); }
};

void Mouse(TDocView& View, QEvent::Type Type, QPoint P, Qt::MouseButtons Held,
           Qt::KeyboardModifiers Mods = Qt::NoModifier) {
  QMouseEvent e(Type, QPointF(P), View.viewport()->mapToGlobal(QPointF(P)), Qt::LeftButton, Held, Mods);
  QApplication::sendEvent(View.viewport(), &e);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  InitScreenLogPixels();
  RegisterFigureClasses();
  const int seconds = argc > 1 ? std::atoi(argv[1]) : 6;

  TTestDrawingDoc doc(420, 297);
  doc.FFigures->FShowFrame = true;
  doc.AddBox({20, 20}, {120, 90}, RGB(255, 0, 0));
  doc.AddBox({150, 40}, {260, 200}, RGB(0, 0, 255));
  doc.AddBox({280, 150}, {400, 280}, RGB(0, 128, 0));
  doc.AddBox({60, 180}, {130, 260}, RGB(128, 0, 128));
  doc.AddTool(std::make_unique<TDemoSelectTool>());

  TDocView view;
  view.FActive = true;
  view.FColor = RGB(192, 192, 192);
  view.setWindowTitle("Plandeck view");
  view.resize(640, 480);
  view.SetDocument(&doc);
  view.SetDrawShape(&TDocItem::StaticClass());
  view.show();

  QTimer::singleShot(300, [&] {
    // Zoom in so the page outgrows the window, and scroll a little.
    doc.FFigures->SetScale(1.8);
    view.PushZoom(doc.FFigures->GetScale());
    view.SetHorzPosition(60);
    view.SetVertPosition(80);
    // A click on the blue box selects it through the tool.
    TPoint p{200, 120};
    doc.FFigures->FViewState = vsDraw;
    view.PointDocToClient(p);
    Mouse(view, QEvent::MouseButtonPress, {p.x, p.y}, Qt::LeftButton);
    Mouse(view, QEvent::MouseButtonRelease, {p.x, p.y}, Qt::NoButton);
    // A rubber band dragged from empty paper with Shift (keeping the
    // selection), left open.
    Mouse(view, QEvent::MouseButtonPress, {20, 300}, Qt::LeftButton, Qt::ShiftModifier);
    Mouse(view, QEvent::MouseMove, {200, 380}, Qt::LeftButton);
    Mouse(view, QEvent::MouseMove, {330, 430}, Qt::LeftButton);
    std::printf("scale %.2f, scroll %d,%d, selected %d, rubber bands %zu\n", doc.FFigures->GetScale(),
                view.HorzPosition(), view.VertPosition(), view.Selection().Count(),
                view.RubberOverlay().Shapes().size());
    std::fflush(stdout);
  });
  QTimer::singleShot(seconds * 1000, &app, &QApplication::quit);
  return app.exec();
}
