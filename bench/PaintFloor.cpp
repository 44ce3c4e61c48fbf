#include "PaintFloor.h"

#include <QPaintDevice>
#include <QPaintEngine>
#include <QPixmap>
#include <QTextItem>

#include <cmath>

namespace {

class TCaptureEngine final : public QPaintEngine {
public:
  explicit TCaptureEngine(std::vector<TPaintFloor::TItem>& Out) : QPaintEngine(AllFeatures), FOut(Out) {}
  bool begin(QPaintDevice*) override { return true; }
  bool end() override { return true; }
  Type type() const override { return User; }

  void updateState(const QPaintEngineState& S) override {
    const DirtyFlags d = S.state();
    if (d & DirtyPen) FPen = S.pen();
    if (d & DirtyBrush) FBrush = S.brush();
    if (d & DirtyFont) FFont = S.font();
    if (d & DirtyTransform) FTransform = S.transform();
    if (d & DirtyHints) FHints = S.renderHints();
  }

  void drawLines(const QLineF* Lines, int Count) override {
    TPaintFloor::TItem& it = Add(TPaintFloor::TKind::Lines);
    for (int i = 0; i < Count; ++i) {
      it.Points.push_back(FTransform.map(Lines[i].p1()));
      it.Points.push_back(FTransform.map(Lines[i].p2()));
    }
  }
  void drawPolygon(const QPointF* Points, int Count, PolygonDrawMode Mode) override {
    TPaintFloor::TItem& it = Add(Mode == PolylineMode ? TPaintFloor::TKind::Polyline : TPaintFloor::TKind::Polygon);
    it.Fill = Mode == WindingMode ? Qt::WindingFill : Qt::OddEvenFill;
    for (int i = 0; i < Count; ++i) it.Points.push_back(FTransform.map(Points[i]));
  }
  void drawPath(const QPainterPath& Path) override { Add(TPaintFloor::TKind::Path).Path = FTransform.map(Path); }
  void drawTextItem(const QPointF& P, const QTextItem& Item) override {
    TPaintFloor::TItem& it = Add(TPaintFloor::TKind::Text);
    it.Font = Item.font();
    it.Text = Item.text();
    it.Target = QRectF(P, QSizeF());
    it.Transform = FTransform;
  }
  void drawPixmap(const QRectF& R, const QPixmap& Pm, const QRectF& Sr) override {
    drawImage(R, Pm.toImage(), Sr, Qt::AutoColor);
  }
  void drawImage(const QRectF& R, const QImage& Image, const QRectF& Sr, Qt::ImageConversionFlags) override {
    TPaintFloor::TItem& it = Add(TPaintFloor::TKind::Image);
    it.Image = Image;
    it.Target = R;
    it.Source = Sr;
    it.Transform = FTransform;
  }

private:
  TPaintFloor::TItem& Add(TPaintFloor::TKind Kind) {
    TPaintFloor::TItem& it = FOut.emplace_back();
    it.Kind = Kind;
    it.Pen = FPen;
    // Pens were widened by the painter's scale; the points are device points now.
    if (!FPen.isCosmetic() && Kind != TPaintFloor::TKind::Text && Kind != TPaintFloor::TKind::Image) {
      const qreal scale = std::sqrt(std::abs(FTransform.determinant()));
      if (scale > 0 && FPen.widthF() > 0) it.Pen.setWidthF(FPen.widthF() * scale);
    }
    it.Brush = FBrush;
    it.Hints = FHints;
    return it;
  }

  std::vector<TPaintFloor::TItem>& FOut;
  QPen FPen;
  QBrush FBrush;
  QFont FFont;
  QTransform FTransform;
  QPainter::RenderHints FHints;
};

class TCaptureDevice final : public QPaintDevice {
public:
  TCaptureDevice(QSize Size, std::vector<TPaintFloor::TItem>& Out) : FSize(Size), FEngine(Out) {}
  QPaintEngine* paintEngine() const override { return &FEngine; }

protected:
  // Measured as an image of the same size, so fonts and mappings come out alike.
  int metric(PaintDeviceMetric M) const override {
    static const QImage like(1, 1, QImage::Format_RGB32);
    switch (M) {
      case PdmWidth: return FSize.width();
      case PdmHeight: return FSize.height();
      case PdmWidthMM: return qRound(FSize.width() * 25.4 / like.logicalDpiX());
      case PdmHeightMM: return qRound(FSize.height() * 25.4 / like.logicalDpiY());
      case PdmNumColors: return like.colorCount();
      case PdmDepth: return like.depth();
      case PdmDpiX: return like.logicalDpiX();
      case PdmDpiY: return like.logicalDpiY();
      case PdmPhysicalDpiX: return like.physicalDpiX();
      case PdmPhysicalDpiY: return like.physicalDpiY();
      case PdmDevicePixelRatio: return 1;
      case PdmDevicePixelRatioScaled: return int(devicePixelRatioFScale());
      default: return 0;
    }
  }

private:
  QSize FSize;
  mutable TCaptureEngine FEngine;
};

}  // namespace

TPaintFloor TPaintFloor::Capture(QSize Size, const std::function<void(QPaintDevice&)>& Paint) {
  TPaintFloor floor;
  TCaptureDevice device(Size, floor.FItems);
  Paint(device);
  // Consecutive lines of one pen become one call.
  std::vector<TItem> merged;
  for (TItem& it : floor.FItems) {
    if (!merged.empty() && it.Kind == TKind::Lines && merged.back().Kind == TKind::Lines &&
        merged.back().Pen == it.Pen && merged.back().Hints == it.Hints) {
      merged.back().Points.insert(merged.back().Points.end(), it.Points.begin(), it.Points.end());
      continue;
    }
    merged.push_back(std::move(it));
  }
  floor.FItems = std::move(merged);
  return floor;
}

void TPaintFloor::Draw(QPainter& P) const {
  std::vector<QLineF> lines;
  for (const TItem& it : FItems) {
    if (P.renderHints() != it.Hints) {
      P.setRenderHints(P.renderHints(), false);
      P.setRenderHints(it.Hints, true);
    }
    if (P.pen() != it.Pen) P.setPen(it.Pen);
    switch (it.Kind) {
      case TKind::Lines:
        lines.clear();
        for (std::size_t i = 0; i + 1 < it.Points.size(); i += 2) lines.emplace_back(it.Points[i], it.Points[i + 1]);
        P.drawLines(lines.data(), int(lines.size()));
        break;
      case TKind::Polyline: P.drawPolyline(it.Points.data(), int(it.Points.size())); break;
      case TKind::Polygon:
        if (P.brush() != it.Brush) P.setBrush(it.Brush);
        P.drawPolygon(it.Points.data(), int(it.Points.size()), it.Fill);
        break;
      case TKind::Path:
        if (P.brush() != it.Brush) P.setBrush(it.Brush);
        P.drawPath(it.Path);
        break;
      case TKind::Text:
        if (P.font() != it.Font) P.setFont(it.Font);
        if (it.Transform.isIdentity()) {
          P.drawText(it.Target.topLeft(), it.Text);
        } else {
          P.setTransform(it.Transform);
          P.drawText(it.Target.topLeft(), it.Text);
          P.resetTransform();
        }
        break;
      case TKind::Image:
        P.setTransform(it.Transform);
        P.drawImage(it.Target, it.Image, it.Source);
        P.resetTransform();
        break;
    }
  }
}
