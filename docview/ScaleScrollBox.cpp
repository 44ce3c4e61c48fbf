#include "docview/ScaleScrollBox.h"

#include "platform/QtCanvas.h"

#include <QPainter>
#include <QProxyStyle>
#include <QScrollBar>
#include <QStyleOptionSlider>
#include <algorithm>

namespace {

// A canvas with no device: only its mapping is used, so conversions round
// exactly as painting does.
class TMappingCanvas {
public:
  TMappingCanvas() : FCanvas(nullptr) {}
  TCanvas& operator*() { return FCanvas; }

private:
  TQtCanvas FCanvas;
};

// Qt's own style draws a scroll bar's thumb lighter than its groove. Users
// of this program know the thumb as the darker part and read such a bar
// backwards (thumb right while the view shows the left), so the thumb is
// drawn darker than the groove, everything else as the style has it.
class TScrollBarStyle : public QProxyStyle {
public:
  void drawComplexControl(ComplexControl Control, const QStyleOptionComplex* Option, QPainter* Painter,
                          const QWidget* Widget) const override {
    const auto* bar = qstyleoption_cast<const QStyleOptionSlider*>(Option);
    if (Control != CC_ScrollBar || !bar || !(bar->subControls & SC_ScrollBarSlider)) {
      QProxyStyle::drawComplexControl(Control, Option, Painter, Widget);
      return;
    }
    QStyleOptionSlider rest(*bar);
    rest.subControls &= ~SC_ScrollBarSlider;
    QProxyStyle::drawComplexControl(Control, &rest, Painter, Widget);
    const QRect r = subControlRect(Control, bar, SC_ScrollBarSlider, Widget);
    if (r.width() < 3 || r.height() < 3 || bar->minimum >= bar->maximum) return;
    const bool onThumb = (bar->activeSubControls & SC_ScrollBarSlider) != 0;
    QColor fill = bar->palette.color(QPalette::Mid);
    if (onThumb && (bar->state & State_Sunken))
      fill = fill.darker(125);
    else if (onThumb && (bar->state & State_MouseOver))
      fill = fill.darker(110);
    Painter->save();
    Painter->setPen(bar->palette.color(QPalette::Dark));
    Painter->setBrush(fill);
    Painter->drawRect(r.adjusted(1, 1, -2, -2));
    Painter->restore();
  }
};

}  // namespace

TScaleScrollBox::TScaleScrollBox(QWidget* Parent) : QAbstractScrollArea(Parent) {
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  auto* barStyle = new TScrollBarStyle;
  barStyle->setParent(this);
  horizontalScrollBar()->setStyle(barStyle);
  verticalScrollBar()->setStyle(barStyle);
}

TScaleScrollBox::~TScaleScrollBox() = default;

void TScaleScrollBox::PaintWindow(QPainter& Painter, const QRegion& Clip) {
  auto canvas = std::make_unique<TQtCanvas>(Painter);
  const TRegion clip = RegionFromQt(Clip);
  canvas->SelectClipRgn(&clip);
  FCanvas = std::move(canvas);
  struct TUnbind {
    std::unique_ptr<TCanvas>& Canvas;
    ~TUnbind() { Canvas.reset(); }
  } unbind{FCanvas};
  Paint();
}

void TScaleScrollBox::Paint() {
  if (FOnPaint) FOnPaint(*this);
}

void TScaleScrollBox::SetPageSize() {}

int TScaleScrollBox::ClientWidth() const { return viewport()->width(); }
int TScaleScrollBox::ClientHeight() const { return viewport()->height(); }

int TScaleScrollBox::CentreDx() const {
  return FHorzRange < ClientWidth() ? (FHorzRange - ClientWidth()) / 2 : 0;
}
int TScaleScrollBox::CentreDy() const {
  return FVertRange < ClientHeight() ? (FVertRange - ClientHeight()) / 2 : 0;
}

void TScaleScrollBox::OnPrepareDC(TCanvas& DC) const {
  DC.SetMapMode(MM_TEXT);
  const TPoint org = FOrg();
  DC.SetViewportOrgEx(org.x - CentreDx(), org.y - CentreDy());
}

void TScaleScrollBox::RectDocToClient(TRect& R) const {
  TMappingCanvas dc;
  OnPrepareDC(*dc);
  TPoint p[2] = {{R.Left, R.Top}, {R.Right, R.Bottom}};
  (*dc).LPtoDP(p, 2);
  R = TRect{p[0].x, p[0].y, p[1].x, p[1].y};
}

void TScaleScrollBox::PointDocToClient(TPoint& P) const {
  TMappingCanvas dc;
  OnPrepareDC(*dc);
  (*dc).LPtoDP(&P, 1);
}

void TScaleScrollBox::PointClientToDoc(TPoint& P) const {
  TMappingCanvas dc;
  OnPrepareDC(*dc);
  (*dc).DPtoLP(&P, 1);
}

void TScaleScrollBox::RectClientToDoc(TRect& R) const {
  TMappingCanvas dc;
  OnPrepareDC(*dc);
  TPoint p[2] = {{R.Left, R.Top}, {R.Right, R.Bottom}};
  (*dc).DPtoLP(p, 2);
  R = TRect{p[0].x, p[0].y, p[1].x, p[1].y};
}

void TScaleScrollBox::SetHorzRange(int Range) {
  FHorzRange = std::max(0, Range);
  UpdateScrollBars();
}

void TScaleScrollBox::SetVertRange(int Range) {
  FVertRange = std::max(0, Range);
  UpdateScrollBars();
}

int TScaleScrollBox::HorzPosition() const { return horizontalScrollBar()->value(); }
int TScaleScrollBox::VertPosition() const { return verticalScrollBar()->value(); }
void TScaleScrollBox::SetHorzPosition(int Pos) { horizontalScrollBar()->setValue(Pos); }
void TScaleScrollBox::SetVertPosition(int Pos) { verticalScrollBar()->setValue(Pos); }

void TScaleScrollBox::UpdateScrollBars() {
  // Showing a bar narrows the client area, which can call for the other bar,
  // so settle twice.
  for (int pass = 0; pass < 2; ++pass) {
    horizontalScrollBar()->setRange(0, std::max(0, FHorzRange - ClientWidth()));
    horizontalScrollBar()->setPageStep(std::max(1, ClientWidth()));
    horizontalScrollBar()->setSingleStep(8);
    verticalScrollBar()->setRange(0, std::max(0, FVertRange - ClientHeight()));
    verticalScrollBar()->setPageStep(std::max(1, ClientHeight()));
    verticalScrollBar()->setSingleStep(8);
  }
}

void TScaleScrollBox::resizeEvent(QResizeEvent* Event) {
  QAbstractScrollArea::resizeEvent(Event);
  UpdateScrollBars();
}

void TScaleScrollBox::scrollContentsBy(int, int) { viewport()->update(); }
