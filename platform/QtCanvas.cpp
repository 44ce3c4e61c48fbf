// TCanvas over QPainter. The DC state lives here, not in the painter: every
// logical point is mapped to an integer device point with GDI's formula and
// halves-to-even rounding, and the painter only ever sees device pixels.

#include "platform/QtCanvas.h"
#include "platform/QtTextShapes.h"

#include <QFontMetricsF>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPrinter>
#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>
#include <vector>

QColor ColorRefToQColor(COLORREF c) {
  const COLORREF rgb = ColorToRGB(c);
  return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

COLORREF QColorToColorRef(const QColor& c) {
  return RGB(std::uint8_t(c.red()), std::uint8_t(c.green()), std::uint8_t(c.blue()));
}

void TCanvas::BitBlt(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
                     const TBitmap& src, std::int32_t sx, std::int32_t sy, std::uint32_t rop) {
  StretchBlt(x, y, w, h, src, sx, sy, w, h, rop);
}

namespace {

// GDI's cosmetic dash patterns, in device pixels.
QList<qreal> DashPattern(TPenStyle style) {
  switch (style) {
    case psDash: return {18, 6};
    case psDot: return {3, 3};
    case psDashDot: return {9, 6, 3, 6};
    case psDashDotDot: return {9, 3, 3, 3, 3, 3};
    default: return {};
  }
}

Qt::BrushStyle HatchStyle(TBrushStyle style) {
  switch (style) {
    case bsHorizontal: return Qt::HorPattern;
    case bsVertical: return Qt::VerPattern;
    case bsFDiagonal: return Qt::FDiagPattern;
    case bsBDiagonal: return Qt::BDiagPattern;
    case bsCross: return Qt::CrossPattern;
    case bsDiagCross: return Qt::DiagCrossPattern;
    case bsSolid: return Qt::SolidPattern;
    case bsClear: break;
  }
  return Qt::NoBrush;
}

// GDI fills the gaps of hatches (only) with the background colour in opaque
// mode. Qt would also lay it under texture brushes, which breaks DPa.
bool IsHatch(const QBrush& b) { return b.style() >= Qt::HorPattern && b.style() <= Qt::DiagCrossPattern; }

QString FromUtf8(std::string_view text) {
  return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// The point of the ellipse in box on the ray from its centre through p, as
// Qt's parametric angle in degrees (counter-clockwise on the device).
double EllipseAngle(const QRectF& box, QPointF p) {
  const QPointF c = box.center();
  const double a = std::max(box.width() / 2, 1e-9);
  const double b = std::max(box.height() / 2, 1e-9);
  return std::atan2(-(p.y() - c.y()) / b, (p.x() - c.x()) / a) * 180.0 / std::numbers::pi;
}

}  // namespace

struct TQtCanvas::State {
  int mapMode = MM_TEXT;
  TPoint windowOrg{};
  TPoint viewportOrg{};
  TSize windowExt{1, 1};
  TSize viewportExt{1, 1};
  // viewportExt / windowExt per axis when it is whole, else 0: the views'
  // mappings then cost a multiplication per point instead of a division.
  std::int32_t factorX = 1, factorY = 1;
  TLogPen pen = CreatePen(psSolid, 0, clBlack);
  TLogBrush brush = CreateSolidBrush(clWhite);
  TLogFont font;
  int rop2 = R2_COPYPEN;
  COLORREF textColor = clBlack;
  COLORREF bkColor = clWhite;
  int bkMode = OPAQUE;
  unsigned textAlign = TA_LEFT | TA_TOP;
  int polyFillMode = ALTERNATE;
  int arcDirection = AD_COUNTERCLOCKWISE;
  TPoint brushOrg{};
  TPoint current{};  // logical
  std::optional<QRegion> clip;  // device; none means the whole device
};

struct TQtCanvas::Impl {
  QPaintDevice* device = nullptr;
  std::unique_ptr<QPainter> owned;
  QPainter* painter = nullptr;
  int technology = DT_RASDISPLAY;
  int logPixels = 0;
  bool geometryAntialiasing = false;
  bool rasterOps = false;
  State s;
  std::vector<State> saved;

  enum class PathMode { None, Recording, Closed } pathMode = PathMode::None;
  QPainterPath path;
  bool figureOpen = false;
  QPolygonF points;  // reused for every polyline, so drawing allocates nothing

  // The Qt objects for the selected pen and brush, built when what they are
  // made from changes rather than on every drawing call. Each build gets a
  // new serial number, so "the painter has this pen" is one compare.
  struct PenKey {
    TLogPen pen;
    int rop2;
    int mapMode;
    std::int32_t viewportExt, windowExt;
    bool operator==(const PenKey&) const = default;
  };
  struct BrushKey {
    TLogBrush brush;
    int rop2;
    COLORREF textColor, bkColor;  // only a pattern brush takes them
    bool operator==(const BrushKey&) const = default;
  };
  std::optional<PenKey> penKey;
  QPen pen;
  std::optional<BrushKey> brushKey;
  QBrush brush;
  std::optional<COLORREF> backgroundKey;
  QBrush background;
  int serial = 0;
  int penSerial = 0, brushSerial = 0, backgroundSerial = 0;

  // What the canvas last gave the painter: a drawing call passes on only
  // what differs, since QPainter's setters do work (and allocate) even for
  // an unchanged value. kUnknown after the painter was handed out by
  // Painter(), whose caller may have changed anything. Serial 0 stands for
  // no pen or no brush.
  static constexpr int kUnknown = -1;
  struct Applied {
    int antialiasing = kUnknown;
    int composition = kUnknown;
    int pen = kUnknown;
    int brush = kUnknown;
    int backgroundMode = kUnknown;
    int background = kUnknown;
    std::optional<QPoint> brushOrigin;
    std::optional<QRegion> clip;  // none: unclipped
    bool clipKnown = false;
  } applied;

  bool Active() const { return painter && painter->isActive(); }

  // ---- mapping ----
  QPoint ToDevice(std::int32_t x, std::int32_t y) const {
    if (s.mapMode == MM_TEXT)
      return QPoint(x - s.windowOrg.x + s.viewportOrg.x, y - s.windowOrg.y + s.viewportOrg.y);
    // An exact quotient needs no rounding, so the factor gives the same point.
    const std::int32_t dx = s.factorX ? std::int32_t((std::int64_t(x) - s.windowOrg.x) * s.factorX)
                                      : MulDivEven(std::int64_t(x) - s.windowOrg.x, s.viewportExt.cx, s.windowExt.cx);
    const std::int32_t dy = s.factorY ? std::int32_t((std::int64_t(y) - s.windowOrg.y) * s.factorY)
                                      : MulDivEven(std::int64_t(y) - s.windowOrg.y, s.viewportExt.cy, s.windowExt.cy);
    return QPoint(dx + s.viewportOrg.x, dy + s.viewportOrg.y);
  }
  static std::int32_t Factor(std::int64_t viewportExt, std::int64_t windowExt) {
    if (viewportExt % windowExt != 0) return 0;
    const std::int64_t f = viewportExt / windowExt;
    return f >= -INT32_MAX && f <= INT32_MAX ? std::int32_t(f) : 0;
  }
  void UpdateFactors() {
    s.factorX = Factor(s.viewportExt.cx, s.windowExt.cx);
    s.factorY = Factor(s.viewportExt.cy, s.windowExt.cy);
  }
  QPoint ToLogical(std::int32_t x, std::int32_t y) const {
    if (s.mapMode == MM_TEXT)
      return QPoint(x - s.viewportOrg.x + s.windowOrg.x, y - s.viewportOrg.y + s.windowOrg.y);
    return QPoint(MulDivEven(std::int64_t(x) - s.viewportOrg.x, s.windowExt.cx, s.viewportExt.cx) +
                      s.windowOrg.x,
                  MulDivEven(std::int64_t(y) - s.viewportOrg.y, s.windowExt.cy, s.viewportExt.cy) +
                      s.windowOrg.y);
  }
  double ScaleX() const { return s.mapMode == MM_TEXT ? 1.0 : double(s.viewportExt.cx) / s.windowExt.cx; }
  double ScaleY() const { return s.mapMode == MM_TEXT ? 1.0 : double(s.viewportExt.cy) / s.windowExt.cy; }
  std::int32_t LengthX(std::int32_t v) const {
    return s.mapMode == MM_TEXT ? std::abs(v) : std::abs(MulDivEven(v, s.viewportExt.cx, s.windowExt.cx));
  }
  std::int32_t LengthY(std::int32_t v) const {
    return s.mapMode == MM_TEXT ? std::abs(v) : std::abs(MulDivEven(v, s.viewportExt.cy, s.windowExt.cy));
  }
  // A logical box as device pixels [left, right) x [top, bottom).
  QRect DeviceBox(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b) const {
    const QPoint p1 = ToDevice(l, t);
    const QPoint p2 = ToDevice(r, b);
    const int x1 = std::min(p1.x(), p2.x()), x2 = std::max(p1.x(), p2.x());
    const int y1 = std::min(p1.y(), p2.y()), y2 = std::max(p1.y(), p2.y());
    return QRect(x1, y1, x2 - x1, y2 - y1);
  }
  const QPolygonF& DevicePoly(const TPoint* pts, int n) {
    points.clear();
    points.reserve(n);
    for (int i = 0; i < n; ++i) points << QPointF(ToDevice(pts[i].x, pts[i].y));
    return points;
  }
  QRect DeviceRect() const { return QRect(0, 0, device->width(), device->height()); }

  // ---- objects ----
  int PenDeviceWidth() const { return s.pen.Width <= 0 ? 0 : std::max(1, LengthX(s.pen.Width)); }

  QPen MakePen() const {
    if (s.pen.Style == psClear || s.rop2 == R2_NOP) return Qt::NoPen;
    QColor color = ColorRefToQColor(s.pen.Color);
    if (s.rop2 == R2_BLACK) color = Qt::black;
    if (s.rop2 == R2_WHITE) color = Qt::white;
    const int w = PenDeviceWidth();
    QPen pen(color);
    pen.setWidth(std::max(1, w));
    if (w <= 1) {
      // One pixel: GDI's cosmetic line, which leaves out its last pixel.
      pen.setCapStyle(Qt::FlatCap);
      pen.setJoinStyle(Qt::MiterJoin);
      const QList<qreal> dashes = DashPattern(s.pen.Style);
      if (!dashes.isEmpty()) pen.setDashPattern(dashes);
      return pen;
    }
    if (!s.pen.Geometric) {
      pen.setCapStyle(Qt::RoundCap);
      pen.setJoinStyle(Qt::RoundJoin);
      return pen;
    }
    pen.setCapStyle(s.pen.EndCap == pecFlat     ? Qt::FlatCap
                    : s.pen.EndCap == pecSquare ? Qt::SquareCap
                                                : Qt::RoundCap);
    // GDI bevels a join whose mitre is longer than 10 widths (measured
    // across the join); Qt measures from the centre in widths, hence 5.
    pen.setJoinStyle(s.pen.Join == pjMiter   ? Qt::SvgMiterJoin
                     : s.pen.Join == pjBevel ? Qt::BevelJoin
                                             : Qt::RoundJoin);
    pen.setMiterLimit(5.0);
    return pen;
  }

  QBrush MakeBrush(const TLogBrush& b) const {
    if (b.HasPattern) {
      QImage tile(8, 8, QImage::Format_RGB32);
      const QRgb fore = ColorRefToQColor(s.textColor).rgb();
      const QRgb back = ColorRefToQColor(s.bkColor).rgb();
      for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) tile.setPixel(x, y, (b.Pattern.Rows[y] & (0x80 >> x)) ? back : fore);
      return QBrush(tile);
    }
    const Qt::BrushStyle style = HatchStyle(b.Style);
    if (style == Qt::NoBrush) return Qt::NoBrush;
    QColor color = ColorRefToQColor(b.Color);
    if (s.rop2 == R2_BLACK) color = Qt::black;
    if (s.rop2 == R2_WHITE) color = Qt::white;
    return QBrush(color, style);
  }

  QPainter::CompositionMode Rop2Mode() const {
    if (!rasterOps) return QPainter::CompositionMode_SourceOver;
    switch (s.rop2) {
      case R2_NOT: return QPainter::RasterOp_NotDestination;
      case R2_XORPEN: return QPainter::RasterOp_SourceXorDestination;
      case R2_NOTXORPEN: return QPainter::RasterOp_NotSourceXorDestination;
      case R2_MASKPEN: return QPainter::RasterOp_SourceAndDestination;
      case R2_MERGEPEN: return QPainter::RasterOp_SourceOrDestination;
      case R2_NOTCOPYPEN: return QPainter::RasterOp_NotSource;
      case R2_NOTMASKPEN: return QPainter::RasterOp_NotSourceOrNotDestination;
      case R2_NOTMERGEPEN: return QPainter::RasterOp_NotSourceAndNotDestination;
      case R2_MASKPENNOT: return QPainter::RasterOp_SourceAndNotDestination;
      case R2_MASKNOTPEN: return QPainter::RasterOp_NotSourceAndDestination;
      case R2_MERGENOTPEN: return QPainter::RasterOp_NotSourceOrDestination;
      default: return QPainter::CompositionMode_SourceOver;
    }
  }

  int SelectedPen() {
    const PenKey key{s.pen, s.rop2, s.mapMode, s.viewportExt.cx, s.windowExt.cx};
    if (penKey != key) {
      pen = MakePen();
      penKey = key;
      penSerial = ++serial;
    }
    return penSerial;
  }

  int SelectedBrush() {
    const bool pattern = s.brush.HasPattern;
    const BrushKey key{s.brush, s.rop2, pattern ? s.textColor : 0, pattern ? s.bkColor : 0};
    if (brushKey != key) {
      brush = MakeBrush(s.brush);
      brushKey = key;
      brushSerial = ++serial;
    }
    return brushSerial;
  }

  void SetAntialiasing(bool on) {
    if (applied.antialiasing == int(on)) return;
    painter->setRenderHint(QPainter::Antialiasing, on);
    applied.antialiasing = int(on);
  }
  void SetComposition(QPainter::CompositionMode mode) {
    if (applied.composition == int(mode)) return;
    painter->setCompositionMode(mode);
    applied.composition = int(mode);
  }
  // Background mode, colour and brush origin, as hatches and patterns use them.
  void SetBackgroundFor(bool hatch) {
    QPainter& p = *painter;
    const Qt::BGMode mode = s.bkMode == OPAQUE && hatch ? Qt::OpaqueMode : Qt::TransparentMode;
    if (applied.backgroundMode != int(mode)) {
      p.setBackgroundMode(mode);
      applied.backgroundMode = int(mode);
    }
    if (backgroundKey != s.bkColor) {
      background = QBrush(ColorRefToQColor(s.bkColor));
      backgroundKey = s.bkColor;
      backgroundSerial = ++serial;
    }
    if (applied.background != backgroundSerial) {
      p.setBackground(background);
      applied.background = backgroundSerial;
    }
    const QPoint origin(s.brushOrg.x, s.brushOrg.y);
    if (applied.brushOrigin != origin) {
      p.setBrushOrigin(origin);
      applied.brushOrigin = origin;
    }
  }

  // Sets the painter up for geometry with the DC's pen, brush and ROP2.
  void Prepare(bool withPen, bool withBrush) {
    SyncClip();
    QPainter& p = *painter;
    SetAntialiasing(geometryAntialiasing);
    SetComposition(Rop2Mode());
    const int penWanted = withPen ? SelectedPen() : 0;
    if (applied.pen != penWanted) {
      p.setPen(penWanted ? pen : QPen(Qt::NoPen));
      applied.pen = penWanted;
    }
    const int brushWanted = withBrush && s.rop2 != R2_NOP ? SelectedBrush() : 0;
    if (applied.brush != brushWanted) {
      p.setBrush(brushWanted ? brush : QBrush(Qt::NoBrush));
      applied.brush = brushWanted;
    }
    SetBackgroundFor(brushWanted && IsHatch(brush));
  }

  // The painter has the DC's clip at all times (views draw through Painter()
  // under it); it is only given again when it differs.
  void ApplyClip() {
    if (!Active()) return;
    if (applied.clipKnown && applied.clip == s.clip) return;
    // Unclipped is the whole device: Qt 6.4's raster engine ignores a clip
    // region given after setClipping(false), so the next clip would be lost.
    painter->setClipRegion(s.clip ? *s.clip : QRegion(DeviceRect()));
    applied.clip = s.clip;
    applied.clipKnown = true;
  }
  void SyncClip() {
    if (!applied.clipKnown) ApplyClip();
  }

  // Inside-frame pens stay within the shape's box.
  QRectF ShapeBox(const QRect& box) const {
    QRectF r(box.left(), box.top(), box.width() - 1, box.height() - 1);
    if (s.pen.Style == psInsideFrame && s.pen.Style != psClear) {
      const double half = PenDeviceWidth() / 2.0;
      if (half > 0.5) r.adjust(half - 0.5, half - 0.5, 0.5 - half, 0.5 - half);
    }
    return r;
  }

  // Qt's curves may stray a pixel past the box a thin GDI outline keeps to;
  // such outlines are held to the box (wide pens rightly cross it).
  template <typename DrawFn>
  void DrawInBox(const QRectF& box, DrawFn draw) {
    if (PenDeviceWidth() > 1 && s.pen.Style != psClear) {
      draw(*painter);
      return;
    }
    painter->save();
    painter->setClipRect(QRectF(box.left(), box.top(), box.width() + 1, box.height() + 1), Qt::IntersectClip);
    draw(*painter);
    painter->restore();
  }

  // Either records the shape into the open path or draws it.
  void Emit(const QPainterPath& shape, bool closed) {
    if (pathMode == PathMode::Recording) {
      path.addPath(shape);
      figureOpen = false;
      return;
    }
    if (!Active()) return;
    Prepare(true, closed);
    DrawInBox(shape.boundingRect(), [&](QPainter& p) { p.drawPath(shape); });
  }

  QPainterPath ArcPath(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b,
                       std::int32_t xs, std::int32_t ys, std::int32_t xe, std::int32_t ye,
                       int kind) const {  // 0 arc, 1 chord, 2 pie
    const QRectF box = ShapeBox(DeviceBox(l, t, r, b));
    const double a0 = EllipseAngle(box, QPointF(ToDevice(xs, ys)));
    const double a1 = EllipseAngle(box, QPointF(ToDevice(xe, ye)));
    double sweep = std::fmod(a1 - a0 + 720.0, 360.0);
    if (s.arcDirection == AD_CLOCKWISE) sweep = sweep == 0 ? -360.0 : sweep - 360.0;
    else if (sweep == 0) sweep = 360.0;  // coinciding rays: the whole ellipse
    QPainterPath path;
    if (kind == 2) {
      path.moveTo(box.center());
      path.arcTo(box, a0, sweep);
      path.closeSubpath();
    } else {
      path.arcMoveTo(box, a0);
      path.arcTo(box, a0, sweep);
      if (kind == 1) path.closeSubpath();
    }
    return path;
  }

  void FillRegion(const QRegion& rgn, const QBrush& brush, QPainter::CompositionMode mode) {
    if (!Active() || rgn.isEmpty()) return;
    SyncClip();
    SetAntialiasing(false);
    SetComposition(rasterOps ? mode : QPainter::CompositionMode_SourceOver);
    SetBackgroundFor(IsHatch(brush));
    for (const QRect& r : rgn) painter->fillRect(r, brush);
  }

  QFont CurrentFont() const {
    const std::int32_t h = s.font.Height == 0 ? -12 : s.font.Height;
    const std::int32_t dev = std::max(1, LengthY(h));
    return QtFontFor(s.font, h < 0 ? -dev : dev);
  }
  QFontMetricsF Metrics(const QFont& font) const { return QFontMetricsF(font, device); }

  void PrepareText(const QFont& font) {
    QPainter& p = *painter;
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setFont(font);
    p.setPen(ColorRefToQColor(s.textColor));
    p.setBackgroundMode(Qt::TransparentMode);
  }

  // One line of text with its left edge at x and its baseline at y (in the
  // painter's current frame), tabs expanded when tabWidth > 0.
  double Advance(const QFontMetricsF& fm, const QFont& font, const QString& text) const {
    return CachesTextShapes(device) ? TextAdvance(font, text, device) : fm.horizontalAdvance(text);
  }

  double DrawLine(const QFontMetricsF& fm, const QFont& font, double x, double y, const QString& line,
                  double tabWidth, bool draw) {
    double pen = 0;
    const QStringList parts = tabWidth > 0 ? line.split(u'\t') : QStringList{line};
    for (qsizetype i = 0; i < parts.size(); ++i) {
      if (i > 0) pen = (std::floor(pen / tabWidth) + 1) * tabWidth;
      if (draw && !parts[i].isEmpty()) DrawShapedText(*painter, QPointF(x + pen, y), font, parts[i], device);
      pen += Advance(fm, font, parts[i]);
    }
    return pen;
  }
};

// ---------------------------------------------------------------------------

TQtCanvas::TQtCanvas(QPaintDevice* device, int technology, int logPixels)
    : d_(std::make_unique<Impl>()) {
  d_->device = device;
  d_->technology = technology;
  d_->logPixels = logPixels;
  d_->owned = std::make_unique<QPainter>();
  d_->painter = d_->owned.get();
  if (device) d_->owned->begin(device);
  d_->applied.clipKnown = true;  // a painter begins unclipped
  d_->rasterOps = d_->Active() && d_->painter->paintEngine()->hasFeature(QPaintEngine::RasterOpModes);
}

TQtCanvas::TQtCanvas(QPainter& painter, int technology, int logPixels) : d_(std::make_unique<Impl>()) {
  d_->device = painter.device();
  d_->painter = &painter;
  d_->technology = technology;
  d_->logPixels = logPixels;
  d_->painter->resetTransform();
  d_->painter->setClipping(false);
  d_->applied.clipKnown = true;
  d_->rasterOps = d_->Active() && d_->painter->paintEngine()->hasFeature(QPaintEngine::RasterOpModes);
}

TQtCanvas::~TQtCanvas() { Finish(); }

QPainter& TQtCanvas::Painter() {
  // The caller may change anything; the canvas gives the painter its own
  // state again before it paints next.
  // It does paint under the DC's clip, which may have changed since the
  // last drawing; and whatever it changes is given back before the next.
  d_->applied = {};
  d_->ApplyClip();
  d_->applied = {};
  return *d_->painter;
}

void TQtCanvas::Finish() {
  if (d_->owned && d_->owned->isActive()) d_->owned->end();
}

bool TQtCanvas::NewPage() {
  auto* paged = dynamic_cast<QPagedPaintDevice*>(d_->device);
  return paged && d_->Active() && paged->newPage();
}

void TQtCanvas::SetGeometryAntialiasing(bool on) { d_->geometryAntialiasing = on; }

int TQtCanvas::GetDeviceCaps(int index) const {
  const QPaintDevice* dev = d_->device;
  if (!dev) return 0;
  const auto* printer = dynamic_cast<const QPrinter*>(dev);
  switch (index) {
    case TECHNOLOGY: return d_->technology;
    case LOGPIXELSX: return d_->logPixels > 0 ? d_->logPixels : dev->logicalDpiX();
    case LOGPIXELSY: return d_->logPixels > 0 ? d_->logPixels : dev->logicalDpiY();
    case HORZRES: return dev->width();
    case VERTRES: return dev->height();
    case HORZSIZE: return dev->widthMM();
    case VERTSIZE: return dev->heightMM();
    case PHYSICALWIDTH: return printer ? qRound(printer->paperRect(QPrinter::DevicePixel).width()) : 0;
    case PHYSICALHEIGHT: return printer ? qRound(printer->paperRect(QPrinter::DevicePixel).height()) : 0;
    case PHYSICALOFFSETX:
      return printer ? qRound(printer->pageRect(QPrinter::DevicePixel).left() -
                              printer->paperRect(QPrinter::DevicePixel).left())
                     : 0;
    case PHYSICALOFFSETY:
      return printer ? qRound(printer->pageRect(QPrinter::DevicePixel).top() -
                              printer->paperRect(QPrinter::DevicePixel).top())
                     : 0;
    default: return 0;
  }
}

int TQtCanvas::SaveDC() {
  d_->saved.push_back(d_->s);
  return int(d_->saved.size());
}

bool TQtCanvas::RestoreDC(int savedDC) {
  const int level = savedDC < 0 ? int(d_->saved.size()) + savedDC + 1 : savedDC;
  if (level < 1 || level > int(d_->saved.size())) return false;
  d_->s = d_->saved[size_t(level - 1)];
  d_->saved.resize(size_t(level - 1));
  d_->ApplyClip();
  return true;
}

// ---- mapping ---------------------------------------------------------------

int TQtCanvas::SetMapMode(int mode) {
  const int old = d_->s.mapMode;
  if (mode != MM_TEXT && mode != MM_ANISOTROPIC) return 0;
  d_->s.mapMode = mode;
  if (mode == MM_TEXT) d_->s.windowExt = d_->s.viewportExt = TSize{1, 1};
  d_->UpdateFactors();
  return old;
}
int TQtCanvas::GetMapMode() const { return d_->s.mapMode; }

TSize TQtCanvas::SetWindowExtEx(std::int32_t cx, std::int32_t cy) {
  const TSize old = d_->s.windowExt;
  if (d_->s.mapMode == MM_ANISOTROPIC && cx != 0 && cy != 0) d_->s.windowExt = {cx, cy};
  d_->UpdateFactors();
  return old;
}
TSize TQtCanvas::SetViewportExtEx(std::int32_t cx, std::int32_t cy) {
  const TSize old = d_->s.viewportExt;
  if (d_->s.mapMode == MM_ANISOTROPIC && cx != 0 && cy != 0) d_->s.viewportExt = {cx, cy};
  d_->UpdateFactors();
  return old;
}
TPoint TQtCanvas::SetWindowOrgEx(std::int32_t x, std::int32_t y) {
  return std::exchange(d_->s.windowOrg, TPoint{x, y});
}
TPoint TQtCanvas::SetViewportOrgEx(std::int32_t x, std::int32_t y) {
  return std::exchange(d_->s.viewportOrg, TPoint{x, y});
}
TPoint TQtCanvas::OffsetWindowOrgEx(std::int32_t dx, std::int32_t dy) {
  const TPoint old = d_->s.windowOrg;
  d_->s.windowOrg = {old.x + dx, old.y + dy};
  return old;
}
TPoint TQtCanvas::OffsetViewportOrgEx(std::int32_t dx, std::int32_t dy) {
  const TPoint old = d_->s.viewportOrg;
  d_->s.viewportOrg = {old.x + dx, old.y + dy};
  return old;
}
TSize TQtCanvas::GetWindowExtEx() const { return d_->s.windowExt; }
TSize TQtCanvas::GetViewportExtEx() const { return d_->s.viewportExt; }
TPoint TQtCanvas::GetWindowOrgEx() const { return d_->s.windowOrg; }
TPoint TQtCanvas::GetViewportOrgEx() const { return d_->s.viewportOrg; }

void TQtCanvas::LPtoDP(TPoint* points, int count) const {
  for (int i = 0; i < count; ++i) {
    const QPoint p = d_->ToDevice(points[i].x, points[i].y);
    points[i] = {p.x(), p.y()};
  }
}
void TQtCanvas::DPtoLP(TPoint* points, int count) const {
  for (int i = 0; i < count; ++i) {
    const QPoint p = d_->ToLogical(points[i].x, points[i].y);
    points[i] = {p.x(), p.y()};
  }
}

// ---- objects and attributes --------------------------------------------------

TLogPen TQtCanvas::SelectPen(const TLogPen& pen) { return std::exchange(d_->s.pen, pen); }
TLogBrush TQtCanvas::SelectBrush(const TLogBrush& brush) { return std::exchange(d_->s.brush, brush); }
TLogFont TQtCanvas::SelectFont(const TLogFont& font) { return std::exchange(d_->s.font, font); }
const TLogPen& TQtCanvas::GetPen() const { return d_->s.pen; }
const TLogBrush& TQtCanvas::GetBrush() const { return d_->s.brush; }
const TLogFont& TQtCanvas::GetFont() const { return d_->s.font; }
int TQtCanvas::SetROP2(int rop2) { return std::exchange(d_->s.rop2, rop2); }
int TQtCanvas::GetROP2() const { return d_->s.rop2; }
COLORREF TQtCanvas::SetTextColor(COLORREF c) { return std::exchange(d_->s.textColor, c); }
COLORREF TQtCanvas::SetBkColor(COLORREF c) { return std::exchange(d_->s.bkColor, c); }
int TQtCanvas::SetBkMode(int mode) { return std::exchange(d_->s.bkMode, mode); }
unsigned TQtCanvas::SetTextAlign(unsigned align) { return std::exchange(d_->s.textAlign, align); }
int TQtCanvas::SetPolyFillMode(int mode) { return std::exchange(d_->s.polyFillMode, mode); }
int TQtCanvas::SetArcDirection(int dir) { return std::exchange(d_->s.arcDirection, dir); }
TPoint TQtCanvas::SetBrushOrgEx(std::int32_t x, std::int32_t y) {
  return std::exchange(d_->s.brushOrg, TPoint{x, y});
}

// ---- lines and shapes --------------------------------------------------------

TPoint TQtCanvas::MoveToEx(std::int32_t x, std::int32_t y) {
  const TPoint old = d_->s.current;
  d_->s.current = {x, y};
  if (d_->pathMode == Impl::PathMode::Recording) {
    d_->path.moveTo(QPointF(d_->ToDevice(x, y)));
    d_->figureOpen = true;
  }
  return old;
}

void TQtCanvas::LineTo(std::int32_t x, std::int32_t y) {
  const QPointF from(d_->ToDevice(d_->s.current.x, d_->s.current.y));
  const QPointF to(d_->ToDevice(x, y));
  d_->s.current = {x, y};
  if (d_->pathMode == Impl::PathMode::Recording) {
    if (!d_->figureOpen) d_->path.moveTo(from);
    d_->path.lineTo(to);
    d_->figureOpen = true;
    return;
  }
  if (!d_->Active()) return;
  d_->Prepare(true, false);
  d_->painter->drawLine(from, to);
}

void TQtCanvas::Polyline(const TPoint* points, int count) {
  if (!points || count < 2) return;
  const QPolygonF& poly = d_->DevicePoly(points, count);
  if (d_->pathMode == Impl::PathMode::Recording) {
    d_->path.addPolygon(poly);
    d_->figureOpen = false;
    return;
  }
  if (!d_->Active()) return;
  d_->Prepare(true, false);
  d_->painter->drawPolyline(poly);
}

void TQtCanvas::Polygon(const TPoint* points, int count) {
  if (!points || count < 2) return;
  QPainterPath shape;
  shape.addPolygon(d_->DevicePoly(points, count));
  shape.closeSubpath();
  shape.setFillRule(d_->s.polyFillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
  d_->Emit(shape, true);
}

void TQtCanvas::Rectangle(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b) {
  QPainterPath shape;
  shape.addRect(d_->ShapeBox(d_->DeviceBox(l, t, r, b)));
  d_->Emit(shape, true);
}

void TQtCanvas::RoundRect(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b,
                          std::int32_t cornerW, std::int32_t cornerH) {
  QPainterPath shape;
  shape.addRoundedRect(d_->ShapeBox(d_->DeviceBox(l, t, r, b)), d_->LengthX(cornerW) / 2.0,
                       d_->LengthY(cornerH) / 2.0);
  d_->Emit(shape, true);
}

void TQtCanvas::Ellipse(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b) {
  const QRectF box = d_->ShapeBox(d_->DeviceBox(l, t, r, b));
  if (d_->pathMode == Impl::PathMode::Recording) {
    d_->path.addEllipse(box);
    d_->figureOpen = false;
    return;
  }
  if (!d_->Active()) return;
  d_->Prepare(true, true);
  d_->DrawInBox(box, [&](QPainter& p) { p.drawEllipse(box); });
}

void TQtCanvas::Arc(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b, std::int32_t xs,
                    std::int32_t ys, std::int32_t xe, std::int32_t ye) {
  d_->Emit(d_->ArcPath(l, t, r, b, xs, ys, xe, ye, 0), false);
}
void TQtCanvas::Chord(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b, std::int32_t xs,
                      std::int32_t ys, std::int32_t xe, std::int32_t ye) {
  d_->Emit(d_->ArcPath(l, t, r, b, xs, ys, xe, ye, 1), true);
}
void TQtCanvas::Pie(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b, std::int32_t xs,
                    std::int32_t ys, std::int32_t xe, std::int32_t ye) {
  d_->Emit(d_->ArcPath(l, t, r, b, xs, ys, xe, ye, 2), true);
}

// ---- paths -----------------------------------------------------------------

void TQtCanvas::BeginPath() {
  d_->path = QPainterPath();
  d_->pathMode = Impl::PathMode::Recording;
  d_->figureOpen = false;
}
void TQtCanvas::EndPath() {
  if (d_->pathMode == Impl::PathMode::Recording) d_->pathMode = Impl::PathMode::Closed;
}
void TQtCanvas::AbortPath() {
  d_->path = QPainterPath();
  d_->pathMode = Impl::PathMode::None;
}
void TQtCanvas::CloseFigure() {
  if (d_->pathMode != Impl::PathMode::Recording) return;
  d_->path.closeSubpath();
  d_->figureOpen = false;
}

void TQtCanvas::StrokePath() {
  if (d_->pathMode != Impl::PathMode::Closed) return;
  if (d_->Active()) {
    d_->Prepare(true, false);
    d_->painter->drawPath(d_->path);
  }
  AbortPath();
}

void TQtCanvas::FillPath() {
  if (d_->pathMode != Impl::PathMode::Closed) return;
  if (d_->Active()) {
    d_->path.setFillRule(d_->s.polyFillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    d_->Prepare(false, true);
    d_->painter->drawPath(d_->path);
  }
  AbortPath();
}

void TQtCanvas::StrokeAndFillPath() {
  if (d_->pathMode != Impl::PathMode::Closed) return;
  if (d_->Active()) {
    d_->path.setFillRule(d_->s.polyFillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    d_->Prepare(true, true);
    d_->painter->drawPath(d_->path);
  }
  AbortPath();
}

// ---- areas -------------------------------------------------------------------

void TQtCanvas::FillRect(const TRect& rect, const TLogBrush& brush) {
  d_->FillRegion(QRegion(d_->DeviceBox(rect.Left, rect.Top, rect.Right, rect.Bottom)),
                 d_->MakeBrush(brush), QPainter::CompositionMode_SourceOver);
}

void TQtCanvas::PatBlt(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
                       std::uint32_t rop) {
  const QRegion area(d_->DeviceBox(x, y, x + w, y + h));
  switch (rop) {
    case DSTINVERT:
      d_->FillRegion(area, QBrush(Qt::white), QPainter::RasterOp_NotDestination);
      break;
    case BLACKNESS: d_->FillRegion(area, QBrush(Qt::black), QPainter::CompositionMode_SourceOver); break;
    case WHITENESS: d_->FillRegion(area, QBrush(Qt::white), QPainter::CompositionMode_SourceOver); break;
    case DPa:
      d_->FillRegion(area, d_->MakeBrush(d_->s.brush), QPainter::RasterOp_SourceAndDestination);
      break;
    default:  // PATCOPY
      d_->FillRegion(area, d_->MakeBrush(d_->s.brush), QPainter::CompositionMode_SourceOver);
      break;
  }
}

void TQtCanvas::FillRgn(const TRegion& rgn, const TLogBrush& brush) {
  d_->FillRegion(QtRegion(rgn), d_->MakeBrush(brush), QPainter::CompositionMode_SourceOver);
}

void TQtCanvas::PaintRgn(const TRegion& rgn) {
  d_->FillRegion(QtRegion(rgn), d_->MakeBrush(d_->s.brush), d_->Rop2Mode());
}

void TQtCanvas::FrameRgn(const TRegion& rgn, const TLogBrush& brush, std::int32_t w, std::int32_t h) {
  // The frame is what an erosion by w across and h down takes away.
  const QRegion& r = QtRegion(rgn);
  w = std::max(w, 1);
  h = std::max(h, 1);
  const QRegion inner =
      r.intersected(r.translated(w, 0)).intersected(r.translated(-w, 0)).intersected(r.translated(0, h)).intersected(
          r.translated(0, -h));
  d_->FillRegion(r.subtracted(inner), d_->MakeBrush(brush), QPainter::CompositionMode_SourceOver);
}

void TQtCanvas::InvertRgn(const TRegion& rgn) {
  d_->FillRegion(QtRegion(rgn), QBrush(Qt::white), QPainter::RasterOp_NotDestination);
}

// ---- clipping ------------------------------------------------------------------

namespace {
int Complexity(const std::optional<QRegion>& r) {
  if (!r) return SIMPLEREGION;
  if (r->isEmpty()) return NULLREGION;
  return r->rectCount() == 1 ? SIMPLEREGION : COMPLEXREGION;
}
}  // namespace

int TQtCanvas::IntersectClipRect(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b) {
  const QRegion box(d_->DeviceBox(l, t, r, b));
  d_->s.clip = d_->s.clip ? d_->s.clip->intersected(box) : box;
  d_->ApplyClip();
  return Complexity(d_->s.clip);
}

int TQtCanvas::ExcludeClipRect(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b) {
  const QRegion box(d_->DeviceBox(l, t, r, b));
  d_->s.clip = (d_->s.clip ? *d_->s.clip : QRegion(d_->DeviceRect())).subtracted(box);
  d_->ApplyClip();
  return Complexity(d_->s.clip);
}

int TQtCanvas::ExtSelectClipRgn(const TRegion* rgn, int mode) {
  if (!rgn) {
    if (mode != RGN_COPY) return RGN_ERROR;
    d_->s.clip.reset();
    d_->ApplyClip();
    return SIMPLEREGION;
  }
  const QRegion current = d_->s.clip ? *d_->s.clip : QRegion(d_->DeviceRect());
  const QRegion& r = QtRegion(*rgn);
  switch (mode) {
    case RGN_COPY: d_->s.clip = r; break;
    case RGN_AND: d_->s.clip = current.intersected(r); break;
    case RGN_OR: d_->s.clip = current.united(r); break;
    case RGN_XOR: d_->s.clip = current.xored(r); break;
    case RGN_DIFF: d_->s.clip = current.subtracted(r); break;
    default: return RGN_ERROR;
  }
  d_->ApplyClip();
  return Complexity(d_->s.clip);
}

int TQtCanvas::GetClipBox(TRect& box) const {
  const QRect r = d_->s.clip ? d_->s.clip->boundingRect() : d_->DeviceRect();
  if (r.isEmpty()) {
    box = {};
    return NULLREGION;
  }
  const QPoint a = d_->ToLogical(r.left(), r.top());
  const QPoint b = d_->ToLogical(r.right() + 1, r.bottom() + 1);
  box = {std::min(a.x(), b.x()), std::min(a.y(), b.y()), std::max(a.x(), b.x()), std::max(a.y(), b.y())};
  return Complexity(d_->s.clip);
}

// ---- text ----------------------------------------------------------------------

void TQtCanvas::TextOut(std::int32_t x, std::int32_t y, std::string_view text) {
  if (!d_->Active() || text.empty()) return;
  d_->SyncClip();
  const QString str = FromUtf8(text);
  const QFont font = d_->CurrentFont();
  const QFontMetricsF fm = d_->Metrics(font);
  const double width = d_->Advance(fm, font, str);

  // The escapement turns the baseline counter-clockwise in a y-down logical
  // frame; carried through the mapping's axis signs to the device. Glyphs
  // stay upright whatever the mapping.
  // A printer takes it in its own y-down frame whatever the mapping, as the
  // drivers of the first printer kind do (figures choose the sign to suit).
  const double e = d_->s.font.Escapement / 10.0 * std::numbers::pi / 180.0;
  const bool deviceFrame = d_->technology == DT_RASPRINTER;
  const double dx = std::cos(e) * (!deviceFrame && d_->ScaleX() < 0 ? -1 : 1);
  const double dy = -std::sin(e) * (!deviceFrame && d_->ScaleY() < 0 ? -1 : 1);
  const double angle = std::atan2(dy, dx) * 180.0 / std::numbers::pi;

  const unsigned align = d_->s.textAlign;
  double left = 0;
  if ((align & TA_CENTER) == TA_CENTER) left = -width / 2;
  else if (align & TA_RIGHT) left = -width;
  double baseline = fm.ascent();
  if ((align & TA_BASELINE) == TA_BASELINE) baseline = 0;
  else if (align & TA_BOTTOM) baseline = -fm.descent();

  QPainter& p = *d_->painter;
  p.save();
  p.translate(QPointF(d_->ToDevice(x, y)));
  p.rotate(angle);
  if (d_->s.bkMode == OPAQUE)
    p.fillRect(QRectF(left, baseline - fm.ascent(), width, fm.ascent() + fm.descent()),
               ColorRefToQColor(d_->s.bkColor));
  d_->PrepareText(font);
  DrawShapedText(p, QPointF(left, baseline), font, str, d_->device);
  p.restore();
}

TSize TQtCanvas::GetTextExtentPoint(std::string_view text) const {
  const QFont font = d_->CurrentFont();
  const QFontMetricsF fm = d_->Metrics(font);
  const double w = d_->Advance(fm, font, FromUtf8(text)) / std::abs(d_->ScaleX());
  const double h = (fm.ascent() + fm.descent()) / std::abs(d_->ScaleY());
  return {std::int32_t(std::lround(w)), std::int32_t(std::lround(h))};
}

TTextMetric TQtCanvas::GetTextMetrics() const {
  const QFont font = d_->CurrentFont();
  const QFontMetricsF fm = d_->Metrics(font);
  const double sy = std::abs(d_->ScaleY());
  TTextMetric tm;
  tm.tmAscent = std::int32_t(std::lround(fm.ascent() / sy));
  tm.tmDescent = std::int32_t(std::lround(fm.descent() / sy));
  tm.tmHeight = tm.tmAscent + tm.tmDescent;
  tm.tmInternalLeading = std::max(0, tm.tmHeight - std::int32_t(std::lround(font.pixelSize() / sy)));
  tm.tmAveCharWidth = std::int32_t(std::lround(fm.averageCharWidth() / std::abs(d_->ScaleX())));
  return tm;
}

int TQtCanvas::DrawText(std::string_view text, TRect& rect, unsigned format) {
  const QFont font = d_->CurrentFont();
  const QFontMetricsF fm = d_->Metrics(font);
  QString str = FromUtf8(text);
  str.remove(u'\r');
  QStringList lines = (format & DT_SINGLELINE) ? QStringList{QString(str).replace(u'\n', u' ')}
                                               : str.split(u'\n');
  if (!lines.isEmpty() && lines.last().isEmpty() && lines.size() > 1) lines.removeLast();
  const double tab = (format & DT_EXPANDTABS) ? 8 * fm.averageCharWidth() : 0;
  const double lineHeight = fm.ascent() + fm.descent();
  const double total = lineHeight * double(lines.size());
  const QRect box = d_->DeviceBox(rect.Left, rect.Top, rect.Right, rect.Bottom);
  const int heightLogical = int(std::lround(total / std::abs(d_->ScaleY())));

  if (format & DT_CALCRECT) {
    double widest = 0;
    for (const QString& line : lines) widest = std::max(widest, d_->DrawLine(fm, font, 0, 0, line, tab, false));
    const std::int32_t wl = std::int32_t(std::lround(widest / std::abs(d_->ScaleX())));
    rect.Right = rect.Left + (d_->ScaleX() < 0 ? -wl : wl);
    rect.Bottom = rect.Top + (d_->ScaleY() < 0 ? -heightLogical : heightLogical);
    return heightLogical;
  }
  if (!d_->Active()) return heightLogical;
  d_->SyncClip();

  QPainter& p = *d_->painter;
  p.save();
  if (!(format & DT_NOCLIP)) p.setClipRect(box, Qt::IntersectClip);
  double top = box.top();
  if (format & DT_SINGLELINE) {
    if (format & DT_BOTTOM) top = box.bottom() + 1 - lineHeight;
    else if (format & DT_VCENTER) top = box.top() + (box.height() - lineHeight) / 2;
  }
  d_->PrepareText(font);
  for (const QString& line : lines) {
    const double width = d_->DrawLine(fm, font, 0, 0, line, tab, false);
    double left = box.left();
    if (format & DT_RIGHT) left = box.right() + 1 - width;
    else if (format & DT_CENTER) left = box.left() + (box.width() - width) / 2;
    if (d_->s.bkMode == OPAQUE) p.fillRect(QRectF(left, top, width, lineHeight), ColorRefToQColor(d_->s.bkColor));
    d_->DrawLine(fm, font, left, top + fm.ascent(), line, tab, true);
    top += lineHeight;
  }
  p.restore();
  return heightLogical;
}

// ---- bitmaps -------------------------------------------------------------------

void TQtCanvas::StretchBlt(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
                           const TBitmap& src, std::int32_t sx, std::int32_t sy, std::int32_t sw,
                           std::int32_t sh, std::uint32_t rop) {
  if (!d_->Active() || src.IsEmpty() || w == 0 || h == 0 || sw == 0 || sh == 0) return;
  d_->SyncClip();
  const QPoint p1 = d_->ToDevice(x, y);
  const QPoint p2 = d_->ToDevice(x + w, y + h);
  const int dw = p2.x() - p1.x();
  const int dh = p2.y() - p1.y();
  if (dw == 0 || dh == 0) return;
  // Opposite signs of source and destination extents mirror the image.
  const bool mirrorX = (dw < 0) != (sw < 0);
  const bool mirrorY = (dh < 0) != (sh < 0);
  const QRect source(std::min(sx, sx + sw), std::min(sy, sy + sh), std::abs(sw), std::abs(sh));
  QImage image = QtImage(src).copy(source);
  if (mirrorX || mirrorY) image = image.mirrored(mirrorX, mirrorY);
  const QRect target(std::min(p1.x(), p2.x()), std::min(p1.y(), p2.y()), std::abs(dw), std::abs(dh));

  QPainter& p = *d_->painter;
  QPainter::CompositionMode mode = QPainter::CompositionMode_Source;
  if (d_->rasterOps) {
    if (rop == SRCAND) mode = QPainter::RasterOp_SourceAndDestination;
    if (rop == SRCPAINT) mode = QPainter::RasterOp_SourceOrDestination;
    if (rop == SRCINVERT) mode = QPainter::RasterOp_SourceXorDestination;
  }
  d_->SetComposition(mode);
  p.setRenderHint(QPainter::SmoothPixmapTransform, false);
  p.drawImage(target, image);
  d_->SetComposition(QPainter::CompositionMode_SourceOver);
}
