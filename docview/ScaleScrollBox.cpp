#include "docview/ScaleScrollBox.h"

#include "platform/QtCanvas.h"

#include <QPainter>
#include <QScrollBar>
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

}  // namespace

TScaleScrollBox::TScaleScrollBox(QWidget* Parent) : QAbstractScrollArea(Parent) {
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
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
