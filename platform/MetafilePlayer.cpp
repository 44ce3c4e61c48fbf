// EMF/WMF playback. Every record is turned into calls on a TQtCanvas drawing
// into the caller's painter. The player keeps the metafile's DC state itself
// (mapping, world transform, objects, clip) and hands the canvas device
// coordinates in sixteenths of a pixel, so one fixed canvas mapping serves
// every mapping mode, world transforms included.

#include "platform/MetafilePlayer.h"

#include <uemf.h>
#include <uemf_safe.h>
#include <uwmf.h>

#include <QBuffer>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QPainterPath>
#include <QRegion>
#include <QString>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <optional>
#include <string>
#include <vector>

#include "foundation/GbkCodec.h"
#include "platform/Bitmap.h"
#include "platform/QtCanvas.h"
#include "platform/Region.h"

namespace {

constexpr int kMaxRecords = 1'000'000;
constexpr std::size_t kMaxPointsPerRecord = 1'000'000;
constexpr std::size_t kMaxPoints = 8'000'000;  // over the whole picture
constexpr std::int64_t kMaxPixels = std::int64_t(8192) * 8192;
constexpr double kSub = 16;  // canvas units per device pixel
constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;

std::uint32_t Le32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}
std::uint16_t Le16(const std::uint8_t* p) { return std::uint16_t(p[0] | p[1] << 8); }

COLORREF Color(const U_COLORREF& c) { return RGB(c.Red, c.Green, c.Blue); }

std::int32_t ToUnits(double v) { return std::int32_t(std::clamp(std::round(v * kSub), -1e9, 1e9)); }

// Text in a font's code page: GBK for the Chinese (and the default) sets,
// Latin-1 for the rest.
std::string AnsiText(const char* s, std::size_t n, std::uint8_t charSet) {
  if (charSet == 134 || charSet == 1 || charSet == 136) return GbkToUtf8(std::string_view(s, n));
  return QString::fromLatin1(s, qsizetype(n)).toStdString();
}
std::string Utf16Text(const char* s, std::size_t n) {
  std::vector<char16_t> u(n);
  std::memcpy(u.data(), s, n * 2);
  while (!u.empty() && u.back() == 0) u.pop_back();
  return QString::fromUtf16(u.data(), qsizetype(u.size())).toStdString();
}

// A DIB (BITMAPINFO then bits, each possibly apart) through Qt's BMP reader,
// behind a file header of our own. Null when it does not decode or is huge.
QImage DecodeDib(const char* Bmi, std::size_t BmiSize, const char* Bits, std::size_t BitsSize) {
  if (BmiSize < 12) return {};
  std::int64_t w = 0, h = 0;
  const auto* b = reinterpret_cast<const std::uint8_t*>(Bmi);
  if (Le32(b) == 12) {
    w = Le16(b + 4), h = Le16(b + 6);
  } else if (BmiSize >= 16) {
    w = std::int32_t(Le32(b + 4)), h = std::int32_t(Le32(b + 8));
  }
  if (w <= 0 || h == 0 || w * std::abs(h) > kMaxPixels) return {};
  QByteArray file(14, '\0');
  file[0] = 'B', file[1] = 'M';
  const std::uint32_t total = std::uint32_t(14 + BmiSize + BitsSize), off = std::uint32_t(14 + BmiSize);
  for (int i = 0; i < 4; ++i) file[2 + i] = char(total >> (8 * i)), file[10 + i] = char(off >> (8 * i));
  file.append(Bmi, qsizetype(BmiSize));
  file.append(Bits, qsizetype(BitsSize));
  QBuffer buffer(&file);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, "BMP");
  QImage image;
  if (!reader.read(&image)) return {};
  return image;
}

// The size of a DIB's header and colour table, checked against Limit.
std::size_t DibHeaderSize(const char* Dib, const char* Limit) {
  if (Limit - Dib < 12) return 0;
  const auto* b = reinterpret_cast<const std::uint8_t*>(Dib);
  const std::uint32_t size = Le32(b);
  if (size == 12) {
    const std::uint16_t bits = Le16(b + 10);
    const std::size_t n = size + (bits <= 8 ? (std::size_t(1) << bits) * 3 : 0);
    return std::size_t(Limit - Dib) >= n ? n : 0;
  }
  if (size < 40 || std::size_t(Limit - Dib) < size) return 0;
  const std::uint16_t bits = Le16(b + 14);
  const std::uint32_t compression = Le32(b + 16), used = Le32(b + 32);
  std::size_t colours = used ? used : (bits <= 8 ? std::size_t(1) << bits : 0);
  if (colours > 256) colours = 256;
  std::size_t n = size + colours * 4;
  if (size == 40 && compression == 3) n += 12;  // BI_BITFIELDS masks
  return std::size_t(Limit - Dib) >= n ? n : 0;
}

TBitmap ToBitmap(const QImage& Image) {
  TBitmap out(Image.width(), Image.height());
  QtImage(out) = Image.convertToFormat(QImage::Format_RGB32);
  return out;
}

// An 8 x 8 pattern from a decoded brush image: light pixels are the 1 bits
// a monochrome brush paints in the background colour.
TLogBrush PatternBrush(const QImage& Image) {
  if (Image.isNull()) return CreateSolidBrush(clBlack);
  TBrushPattern p;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x)
      if (qGray(Image.pixel(x % Image.width(), y % Image.height())) >= 128) p.Rows[y] |= std::uint8_t(0x80 >> x);
  return CreatePatternBrush(p);
}

TLogBrush BrushOf(std::uint32_t Style, COLORREF Colour, std::uint32_t Hatch) {
  if (Style == U_BS_NULL) return NullBrush();
  if (Style == U_BS_HATCHED) {
    static constexpr TBrushStyle kHatch[6] = {bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross};
    return CreateHatchBrush(Hatch < 6 ? kHatch[Hatch] : bsCross, Colour);
  }
  return CreateSolidBrush(Colour);
}

TLogPen PenOf(std::uint32_t Style, std::int32_t Width, COLORREF Colour, bool Geometric) {
  TLogPen pen;
  const std::uint32_t kind = Style & 0xF;
  pen.Style = kind <= 6 ? TPenStyle(kind) : kind == 8 ? psDot : psSolid;
  pen.Width = std::max(0, Width);
  pen.Color = Colour;
  const std::uint32_t cap = Style & 0xF00, join = Style & 0xF000;
  pen.Geometric = Geometric || cap || join;
  pen.EndCap = cap == U_PS_ENDCAP_FLAT ? pecFlat : cap == U_PS_ENDCAP_SQUARE ? pecSquare : pecRound;
  pen.Join = join == U_PS_JOIN_MITER ? pjMiter : join == U_PS_JOIN_BEVEL ? pjBevel : pjRound;
  return pen;
}

struct TObject {
  enum Kind { Pen, Brush, Font, Other } K = Other;
  TLogPen P;
  TLogBrush B;
  TLogFont F;
};

struct TDcState {
  int MapMode = U_MM_TEXT;
  QPointF WinOrg{0, 0}, WinExt{1, 1}, VpOrg{0, 0}, VpExt{1, 1};
  QTransform World;
  TLogPen Pen = CreatePen(psSolid, 0, clBlack);
  TLogBrush Brush = CreateSolidBrush(clWhite);
  TLogFont Font;
  COLORREF TextColor = clBlack, BkColor = clWhite;
  int BkMode = OPAQUE, PolyFill = ALTERNATE, ArcDir = AD_COUNTERCLOCKWISE, Rop2 = R2_COPYPEN;
  unsigned Align = 0;
  QPointF Current{0, 0};
  std::optional<QRegion> Clip;  // target device; none: the whole frame
};

class TPlayer {
 public:
  TPlayer(QPainter& Painter, QTransform FrameToTarget, double PxPerMm, QRegion Base)
      : FCanvas(Painter), FFrame(FrameToTarget), FPxPerMm(PxPerMm), FBase(std::move(Base)) {
    FCanvas.SetMapMode(MM_ANISOTROPIC);
    FCanvas.SetWindowExtEx(std::int32_t(kSub), std::int32_t(kSub));
    FCanvas.SetViewportExtEx(1, 1);
    S.Font.Height = -12;
    S.Font.FaceName = "System";
    ApplyAll();
  }

  TDcState S;
  std::vector<TDcState> Saved;
  std::vector<std::optional<TObject>> Objects;
  std::size_t PointsLeft = kMaxPoints;

  // ---- mapping ----
  QTransform Page() const {
    double sx = 1, sy = 1;
    switch (S.MapMode) {
      case U_MM_TEXT: break;
      case U_MM_LOMETRIC: sx = FPxPerMm / 10, sy = -sx; break;
      case U_MM_HIMETRIC: sx = FPxPerMm / 100, sy = -sx; break;
      case U_MM_LOENGLISH: sx = FPxPerMm * 0.254, sy = -sx; break;
      case U_MM_HIENGLISH: sx = FPxPerMm * 0.0254, sy = -sx; break;
      case U_MM_TWIPS: sx = FPxPerMm * 25.4 / 1440, sy = -sx; break;
      default:
        sx = S.WinExt.x() ? S.VpExt.x() / S.WinExt.x() : 1;
        sy = S.WinExt.y() ? S.VpExt.y() / S.WinExt.y() : 1;
        if (S.MapMode == U_MM_ISOTROPIC) {
          const double m = std::min(std::abs(sx), std::abs(sy));
          sx = std::copysign(m, sx), sy = std::copysign(m, sy);
        }
    }
    return QTransform(sx, 0, 0, sy, S.VpOrg.x() - S.WinOrg.x() * sx, S.VpOrg.y() - S.WinOrg.y() * sy);
  }
  void MappingChanged() {
    FA = S.World * Page() * FFrame;
    FAligned = std::abs(FA.m12()) < 1e-12 && std::abs(FA.m21()) < 1e-12;
    FObjectsDirty = true;
  }
  QPointF Dev(double x, double y) const { return FA.map(QPointF(x, y)); }
  TPoint Unit(double x, double y) const {
    const QPointF d = Dev(x, y);
    return {ToUnits(d.x()), ToUnits(d.y())};
  }
  double ScaleX() const { return std::hypot(FA.m11(), FA.m12()); }
  double ScaleY() const { return std::hypot(FA.m21(), FA.m22()); }

  // ---- state into the canvas ----
  void ApplyObjects() {
    if (!FObjectsDirty) return;
    FObjectsDirty = false;
    TLogPen pen = S.Pen;
    if (pen.Width > 0) pen.Width = std::max<std::int32_t>(1, std::int32_t(std::lround(pen.Width * ScaleX() * kSub)));
    FCanvas.SelectPen(pen);
    TLogFont font = S.Font;
    const double h = font.Height ? font.Height : -12;
    font.Height = std::int32_t(std::lround(h * ScaleY() * kSub));
    if (font.Height == 0) font.Height = -1;
    // The escapement is a direction in logical space; on the device it turns
    // with the mapping's rotation and flips.
    const double e = S.Font.Escapement / 10.0 * std::numbers::pi / 180.0;
    const QPointF d = FA.map(QPointF(std::cos(e), -std::sin(e))) - FA.map(QPointF(0, 0));
    font.Escapement = font.Orientation = std::int32_t(std::lround(std::atan2(-d.y(), d.x()) * 1800 / std::numbers::pi));
    FCanvas.SelectFont(font);
  }
  void ApplyClip() {
    QRegion r = FBase;
    if (S.Clip) r &= *S.Clip;
    const TRegion t = RegionFromQt(r);
    FCanvas.SelectClipRgn(&t);
  }
  void ApplyAll() {
    MappingChanged();
    ApplyObjects();
    FCanvas.SelectBrush(S.Brush);
    FCanvas.SetTextColor(S.TextColor);
    FCanvas.SetBkColor(S.BkColor);
    FCanvas.SetBkMode(S.BkMode);
    FCanvas.SetPolyFillMode(S.PolyFill);
    FCanvas.SetArcDirection(ArcDirOnDevice());
    FCanvas.SetROP2(S.Rop2);
    FCanvas.SetTextAlign(S.Align);
    ApplyClip();
  }
  // The canvas keeps arc directions as seen on the device; the metafile's
  // are too, so only a picture played mirrored turns them.
  int ArcDirOnDevice() const {
    const bool mirrored = FFrame.determinant() < 0;
    if (!mirrored) return S.ArcDir;
    return S.ArcDir == AD_CLOCKWISE ? AD_COUNTERCLOCKWISE : AD_CLOCKWISE;
  }

  void Save() {
    if (Saved.size() < 256) Saved.push_back(S);
  }
  void Restore(std::int32_t Level) {
    // Negative: that many back; positive: that save level.
    std::int64_t keep = Level < 0 ? std::int64_t(Saved.size()) + Level : std::int64_t(Level) - 1;
    if (keep < 0 || keep >= std::int64_t(Saved.size())) return;
    S = Saved[std::size_t(keep)];
    Saved.resize(std::size_t(keep));
    ApplyAll();
  }

  // ---- objects ----
  void Store(std::uint32_t Index, TObject O) {
    if (Index >= 65536) return;
    if (Index >= Objects.size()) Objects.resize(Index + 1);
    Objects[Index] = std::move(O);
  }
  // WMF objects take the lowest free slot.
  void StoreNext(TObject O) {
    std::size_t i = 0;
    while (i < Objects.size() && Objects[i]) ++i;
    Store(std::uint32_t(i), std::move(O));
  }
  void Delete(std::uint32_t Index) {
    if (Index < Objects.size()) Objects[Index].reset();
  }
  void Use(const TObject& O) {
    switch (O.K) {
      case TObject::Pen: S.Pen = O.P, FObjectsDirty = true; break;
      case TObject::Font: S.Font = O.F, FObjectsDirty = true; break;
      case TObject::Brush: S.Brush = O.B, FCanvas.SelectBrush(S.Brush); break;
      case TObject::Other: break;
    }
  }
  void Select(std::uint32_t Index) {
    if (Index & 0x80000000u) return SelectStock(Index & 0x7FFFFFFFu);
    if (Index < Objects.size() && Objects[Index]) Use(*Objects[Index]);
  }
  void SelectStock(std::uint32_t Stock) {
    TObject o;
    static constexpr std::uint8_t kGrey[5] = {255, 192, 128, 64, 0};
    if (Stock <= 4) o.K = TObject::Brush, o.B = CreateSolidBrush(RGB(kGrey[Stock], kGrey[Stock], kGrey[Stock]));
    else if (Stock == 5) o.K = TObject::Brush, o.B = NullBrush();
    else if (Stock == 6) o.K = TObject::Pen, o.P = CreatePen(psSolid, 0, clWhite);
    else if (Stock == 7) o.K = TObject::Pen, o.P = CreatePen(psSolid, 0, clBlack);
    else if (Stock == 8) o.K = TObject::Pen, o.P = CreatePen(psClear, 0, clBlack);
    else if (Stock >= 10 && Stock <= 17 && Stock != 15) o.K = TObject::Font, o.F = TLogFont{}, o.F.FaceName = "System";
    Use(o);
  }

  // ---- clipping ----
  QRegion BoxRegion(double l, double t, double r, double b) const {
    if (FAligned) {
      const QPointF a = Dev(l, t), c = Dev(r, b);
      const int x0 = int(std::lround(std::min(a.x(), c.x()))), x1 = int(std::lround(std::max(a.x(), c.x())));
      const int y0 = int(std::lround(std::min(a.y(), c.y()))), y1 = int(std::lround(std::max(a.y(), c.y())));
      return QRegion(x0, y0, x1 - x0, y1 - y0);
    }
    QPolygon p;
    for (QPointF q : {Dev(l, t), Dev(r, t), Dev(r, b), Dev(l, b)}) p << q.toPoint();
    return QRegion(p);
  }
  QRegion CurrentClip() const { return S.Clip ? *S.Clip : FBase; }
  void Clip(const QRegion& R, int Mode) {
    switch (Mode) {
      case RGN_AND: S.Clip = CurrentClip() & R; break;
      case RGN_OR: S.Clip = CurrentClip() | R; break;
      case RGN_XOR: S.Clip = CurrentClip() ^ R; break;
      case RGN_DIFF: S.Clip = CurrentClip() - R; break;
      default: S.Clip = R; break;
    }
    ApplyClip();
  }
  void ResetClip() {
    S.Clip.reset();
    ApplyClip();
  }
  // Rectangles in the picture's device units, as regions carry them.
  QRegion FrameRects(std::span<const U_RECTL> Rects) const {
    QRegion out;
    for (const U_RECTL& r : Rects) {
      const QPointF a = FFrame.map(QPointF(r.left, r.top)), b = FFrame.map(QPointF(r.right, r.bottom));
      const int x0 = int(std::lround(std::min(a.x(), b.x()))), x1 = int(std::lround(std::max(a.x(), b.x())));
      const int y0 = int(std::lround(std::min(a.y(), b.y()))), y1 = int(std::lround(std::max(a.y(), b.y())));
      if (x1 > x0 && y1 > y0) out |= QRect(x0, y0, x1 - x0, y1 - y0);
    }
    return out;
  }

  // ---- drawing (logical coordinates of the metafile) ----
  bool TakePoints(std::size_t N) {
    if (N > kMaxPointsPerRecord || N > PointsLeft) return false;
    PointsLeft -= N;
    return true;
  }
  void MoveTo(double x, double y) {
    S.Current = {x, y};
    const TPoint p = Unit(x, y);
    FCanvas.MoveToEx(p.x, p.y);
  }
  void LineTo(double x, double y) {
    ApplyObjects();
    S.Current = {x, y};
    const TPoint p = Unit(x, y);
    FCanvas.LineTo(p.x, p.y);
  }
  void Poly(const std::vector<QPointF>& Pts, bool Closed) {
    if (Pts.size() < 2) return;
    ApplyObjects();
    std::vector<TPoint> u(Pts.size());
    for (std::size_t i = 0; i < Pts.size(); ++i) u[i] = Unit(Pts[i].x(), Pts[i].y());
    if (Closed) FCanvas.Polygon(u.data(), int(u.size()));
    else FCanvas.Polyline(u.data(), int(u.size()));
  }
  void PolyTo(const std::vector<QPointF>& Pts) {
    for (QPointF p : Pts) LineTo(p.x(), p.y());
  }
  // Cubic Bézier segments flattened on the device; the start point is From.
  std::vector<QPointF> Bezier(QPointF From, const std::vector<QPointF>& Pts) const {
    std::vector<QPointF> out{From};
    for (std::size_t i = 0; i + 2 < Pts.size() + 0 && i + 2 < Pts.size(); i += 3) {
      const QPointF p0 = out.back(), p1 = Pts[i], p2 = Pts[i + 1], p3 = Pts[i + 2];
      const double len = QLineF(Dev(p0.x(), p0.y()), Dev(p1.x(), p1.y())).length() +
                         QLineF(Dev(p1.x(), p1.y()), Dev(p2.x(), p2.y())).length() +
                         QLineF(Dev(p2.x(), p2.y()), Dev(p3.x(), p3.y())).length();
      const int steps = std::clamp(int(len / 3), 2, 64);
      for (int k = 1; k <= steps; ++k) {
        const double t = double(k) / steps, u = 1 - t;
        out.push_back(p0 * (u * u * u) + p1 * (3 * u * u * t) + p2 * (3 * u * t * t) + p3 * (t * t * t));
      }
    }
    return out;
  }
  void PolyBezier(const std::vector<QPointF>& Pts, bool To) {
    if (Pts.empty()) return;
    if (To) {
      std::vector<QPointF> flat = Bezier(S.Current, Pts);
      flat.erase(flat.begin());
      PolyTo(flat);
      return;
    }
    const std::vector<QPointF> rest(Pts.begin() + 1, Pts.end());
    Poly(Bezier(Pts[0], rest), false);
  }

  // Box shapes keep the canvas's GDI rules while the mapping is unturned;
  // a turned world flattens them into polygons.
  void Box(int Kind, double l, double t, double r, double b, double a = 0, double c = 0) {
    ApplyObjects();
    if (FAligned) {
      const TPoint p = Unit(l, t), q = Unit(r, b);
      if (Kind == 0) FCanvas.Rectangle(p.x, p.y, q.x, q.y);
      else if (Kind == 1) FCanvas.Ellipse(p.x, p.y, q.x, q.y);
      else FCanvas.RoundRect(p.x, p.y, q.x, q.y, ToUnits(a * ScaleX()), ToUnits(c * ScaleY()));
      return;
    }
    QPainterPath path;
    const QRectF box(QPointF(l, t), QPointF(r, b));
    if (Kind == 0) path.addRect(box);
    else if (Kind == 1) path.addEllipse(box);
    else path.addRoundedRect(box, a / 2, c / 2);
    const QPolygonF poly = path.toFillPolygon();
    Poly(std::vector<QPointF>(poly.begin(), poly.end()), true);
  }
  void ArcShape(int Kind, double l, double t, double r, double b, QPointF S0, QPointF E0) {
    ApplyObjects();
    if (FAligned) {
      const TPoint p = Unit(l, t), q = Unit(r, b), s = Unit(S0.x(), S0.y()), e = Unit(E0.x(), E0.y());
      if (Kind == 0) FCanvas.Arc(p.x, p.y, q.x, q.y, s.x, s.y, e.x, e.y);
      else if (Kind == 1) FCanvas.Chord(p.x, p.y, q.x, q.y, s.x, s.y, e.x, e.y);
      else FCanvas.Pie(p.x, p.y, q.x, q.y, s.x, s.y, e.x, e.y);
      return;
    }
    // Counter-clockwise on the device is decreasing angle in an unflipped
    // y-down frame.
    const double cx = (l + r) / 2, cy = (t + b) / 2, ra = std::max(std::abs(r - l) / 2, 1e-9),
                 rb = std::max(std::abs(b - t) / 2, 1e-9);
    const double a0 = std::atan2((S0.y() - cy) / rb, (S0.x() - cx) / ra);
    const double a1 = std::atan2((E0.y() - cy) / rb, (E0.x() - cx) / ra);
    bool increasing = FA.determinant() < 0;
    if (S.ArcDir == AD_CLOCKWISE) increasing = !increasing;
    double sweep = increasing ? a1 - a0 : a0 - a1;
    while (sweep <= 0) sweep += 2 * std::numbers::pi;
    std::vector<QPointF> pts;
    if (Kind == 2) pts.push_back({cx, cy});
    for (int i = 0; i <= 64; ++i) {
      const double ang = a0 + (increasing ? 1 : -1) * sweep * i / 64;
      pts.push_back({cx + ra * std::cos(ang), cy + rb * std::sin(ang)});
    }
    Poly(pts, Kind != 0);
  }

  void Text(double x, double y, const std::string& Utf8, const std::optional<QRectF>& Opaque) {
    ApplyObjects();
    if (Opaque && !Opaque->isEmpty()) {
      const TPoint a = Unit(Opaque->left(), Opaque->top()), b = Unit(Opaque->right(), Opaque->bottom());
      FCanvas.FillRect(TRect{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)},
                       CreateSolidBrush(S.BkColor));
    }
    if (Utf8.empty()) return;
    const TPoint p = Unit(x, y);
    FCanvas.TextOut(p.x, p.y, Utf8);
  }

  void Blit(double x, double y, double w, double h, const QImage& Image, double sx, double sy, double sw,
            double sh, std::uint32_t Rop) {
    ApplyObjects();
    const TPoint a = Unit(x, y), b = Unit(x + w, y + h);
    if (Image.isNull()) {
      FCanvas.PatBlt(a.x, a.y, b.x - a.x, b.y - a.y, Rop);
      return;
    }
    const TBitmap bmp = ToBitmap(Image);
    FCanvas.StretchBlt(a.x, a.y, b.x - a.x, b.y - a.y, bmp, std::int32_t(sx), std::int32_t(sy), std::int32_t(sw),
                       std::int32_t(sh), Rop);
  }

  TCanvas& Canvas() { return FCanvas; }
  const QTransform& Frame() const { return FFrame; }

 private:
  TQtCanvas FCanvas;
  QTransform FFrame;  // picture device -> target device
  double FPxPerMm;
  QRegion FBase;
  QTransform FA;  // logical -> target device
  bool FAligned = true;
  bool FObjectsDirty = true;
};

// ---- EMF ----

template <typename T>
const T* As(const char* Rec) {
  return reinterpret_cast<const T*>(Rec);
}

template <typename P>
std::vector<QPointF> Points(const P* Pts, std::size_t N) {
  std::vector<QPointF> out(N);
  for (std::size_t i = 0; i < N; ++i) out[i] = QPointF(Pts[i].x, Pts[i].y);
  return out;
}

// Source y of a DIB: bottom-up rows count from the bottom.
double DibTop(const QImage& Image, double Sy, double Sh, bool BottomUp) {
  return BottomUp ? Image.height() - Sy - Sh : Sy;
}
bool BottomUp(const char* Bmi) { return std::int32_t(Le32(reinterpret_cast<const std::uint8_t*>(Bmi) + 8)) > 0; }

QImage EmfDib(const char* Rec, std::uint32_t Size, std::uint32_t OffBmi, std::uint32_t CbBmi, std::uint32_t OffBits,
              std::uint32_t CbBits) {
  if (!CbBmi || OffBmi > Size || CbBmi > Size - OffBmi || OffBits > Size || CbBits > Size - OffBits) return {};
  if (!bitmapinfo_safe(Rec + OffBmi, Rec + Size)) return {};
  return DecodeDib(Rec + OffBmi, CbBmi, Rec + OffBits, CbBits);
}

// One EMF record; false ends the playback.
bool PlayEmfRecord(TPlayer& P, const char* Rec, std::uint32_t Size, bool& End) {
  const std::uint32_t type = As<U_EMR>(Rec)->iType;
  auto poly = [&](auto* r, auto cpts, auto* pts, std::size_t headSize) -> std::optional<std::vector<QPointF>> {
    const std::size_t n = cpts;
    if ((Size - headSize) / sizeof(pts[0]) < n || !P.TakePoints(n)) return std::nullopt;
    (void)r;
    return Points(pts, n);
  };
  switch (type) {
    case U_EMR_EOF: End = true; return true;
    case U_EMR_POLYBEZIER: case U_EMR_POLYGON: case U_EMR_POLYLINE: case U_EMR_POLYBEZIERTO: case U_EMR_POLYLINETO: {
      const auto* r = As<U_EMRPOLYLINE>(Rec);
      auto pts = poly(r, r->cptl, r->aptl, U_SIZE_EMRPOLYLINE);
      if (!pts) return false;
      if (type == U_EMR_POLYBEZIER || type == U_EMR_POLYBEZIERTO) P.PolyBezier(*pts, type == U_EMR_POLYBEZIERTO);
      else if (type == U_EMR_POLYLINETO) P.PolyTo(*pts);
      else P.Poly(*pts, type == U_EMR_POLYGON);
      return true;
    }
    case U_EMR_POLYBEZIER16: case U_EMR_POLYGON16: case U_EMR_POLYLINE16: case U_EMR_POLYBEZIERTO16:
    case U_EMR_POLYLINETO16: {
      const auto* r = As<U_EMRPOLYLINE16>(Rec);
      auto pts = poly(r, r->cpts, r->apts, U_SIZE_EMRPOLYLINE16);
      if (!pts) return false;
      if (type == U_EMR_POLYBEZIER16 || type == U_EMR_POLYBEZIERTO16) P.PolyBezier(*pts, type == U_EMR_POLYBEZIERTO16);
      else if (type == U_EMR_POLYLINETO16) P.PolyTo(*pts);
      else P.Poly(*pts, type == U_EMR_POLYGON16);
      return true;
    }
    case U_EMR_POLYPOLYLINE: case U_EMR_POLYPOLYGON: case U_EMR_POLYPOLYLINE16: case U_EMR_POLYPOLYGON16: {
      const bool small = type == U_EMR_POLYPOLYLINE16 || type == U_EMR_POLYPOLYGON16;
      const auto* r = As<U_EMRPOLYPOLYLINE>(Rec);
      const std::size_t polys = r->nPolys, total = r->cptl;
      const std::size_t each = small ? sizeof(U_POINT16) : sizeof(U_POINTL);
      const std::size_t head = U_SIZE_EMRPOLYPOLYLINE;
      if (polys > (Size - head) / 4 || total > (Size - head - polys * 4) / each || !P.TakePoints(total)) return false;
      const auto* counts = reinterpret_cast<const std::uint32_t*>(Rec + head);
      const char* pts = Rec + head + polys * 4;
      const bool closed = type == U_EMR_POLYPOLYGON || type == U_EMR_POLYPOLYGON16;
      std::size_t at = 0;
      for (std::size_t i = 0; i < polys; ++i) {
        const std::size_t n = counts[i];
        if (n > total - at) return false;
        std::vector<QPointF> one =
            small ? Points(reinterpret_cast<const U_POINT16*>(pts) + at, n) : Points(reinterpret_cast<const U_POINTL*>(pts) + at, n);
        P.Poly(one, closed);
        at += n;
      }
      return true;
    }
    case U_EMR_SETWINDOWEXTEX: P.S.WinExt = QPointF(As<U_EMRSETWINDOWEXTEX>(Rec)->szlExtent.cx, As<U_EMRSETWINDOWEXTEX>(Rec)->szlExtent.cy); break;
    case U_EMR_SETWINDOWORGEX: P.S.WinOrg = QPointF(As<U_EMRSETWINDOWORGEX>(Rec)->ptlOrigin.x, As<U_EMRSETWINDOWORGEX>(Rec)->ptlOrigin.y); break;
    case U_EMR_SETVIEWPORTEXTEX: P.S.VpExt = QPointF(As<U_EMRSETVIEWPORTEXTEX>(Rec)->szlExtent.cx, As<U_EMRSETVIEWPORTEXTEX>(Rec)->szlExtent.cy); break;
    case U_EMR_SETVIEWPORTORGEX: P.S.VpOrg = QPointF(As<U_EMRSETVIEWPORTORGEX>(Rec)->ptlOrigin.x, As<U_EMRSETVIEWPORTORGEX>(Rec)->ptlOrigin.y); break;
    case U_EMR_SETMAPMODE: P.S.MapMode = int(As<U_EMRSETMAPMODE>(Rec)->iMode); break;
    case U_EMR_SCALEVIEWPORTEXTEX: case U_EMR_SCALEWINDOWEXTEX: {
      const auto* r = As<U_EMRSCALEVIEWPORTEXTEX>(Rec);
      if (!r->xDenom || !r->yDenom) return true;
      QPointF& e = type == U_EMR_SCALEVIEWPORTEXTEX ? P.S.VpExt : P.S.WinExt;
      e = QPointF(e.x() * r->xNum / r->xDenom, e.y() * r->yNum / r->yDenom);
      break;
    }
    case U_EMR_SETWORLDTRANSFORM: case U_EMR_MODIFYWORLDTRANSFORM: {
      const U_XFORM& x = As<U_EMRSETWORLDTRANSFORM>(Rec)->xform;
      const QTransform m(x.eM11, x.eM12, x.eM21, x.eM22, x.eDx, x.eDy);
      if (!m.isInvertible() || !std::isfinite(m.m11() + m.m12() + m.m21() + m.m22() + m.dx() + m.dy())) return true;
      const std::uint32_t mode = type == U_EMR_SETWORLDTRANSFORM ? 4 : As<U_EMRMODIFYWORLDTRANSFORM>(Rec)->iMode;
      if (mode == U_MWT_IDENTITY) P.S.World = QTransform();
      else if (mode == U_MWT_LEFTMULTIPLY) P.S.World = m * P.S.World;
      else if (mode == U_MWT_RIGHTMULTIPLY) P.S.World = P.S.World * m;
      else P.S.World = m;
      break;
    }
    case U_EMR_SETBKMODE: P.S.BkMode = int(As<U_EMRSETBKMODE>(Rec)->iMode); P.Canvas().SetBkMode(P.S.BkMode); return true;
    case U_EMR_SETPOLYFILLMODE: P.S.PolyFill = int(As<U_EMRSETPOLYFILLMODE>(Rec)->iMode); P.Canvas().SetPolyFillMode(P.S.PolyFill); return true;
    case U_EMR_SETROP2: P.S.Rop2 = int(As<U_EMRSETROP2>(Rec)->iMode); P.Canvas().SetROP2(P.S.Rop2); return true;
    case U_EMR_SETTEXTALIGN: P.S.Align = As<U_EMRSETTEXTALIGN>(Rec)->iMode; P.Canvas().SetTextAlign(P.S.Align); return true;
    case U_EMR_SETTEXTCOLOR: P.S.TextColor = Color(As<U_EMRSETTEXTCOLOR>(Rec)->crColor); P.Canvas().SetTextColor(P.S.TextColor); return true;
    case U_EMR_SETBKCOLOR: P.S.BkColor = Color(As<U_EMRSETBKCOLOR>(Rec)->crColor); P.Canvas().SetBkColor(P.S.BkColor); return true;
    case U_EMR_SETARCDIRECTION: P.S.ArcDir = int(As<U_EMRSETARCDIRECTION>(Rec)->iArcDirection); P.Canvas().SetArcDirection(P.ArcDirOnDevice()); return true;
    case U_EMR_MOVETOEX: P.MoveTo(As<U_EMRMOVETOEX>(Rec)->ptl.x, As<U_EMRMOVETOEX>(Rec)->ptl.y); return true;
    case U_EMR_LINETO: P.LineTo(As<U_EMRLINETO>(Rec)->ptl.x, As<U_EMRLINETO>(Rec)->ptl.y); return true;
    case U_EMR_SAVEDC: P.Save(); return true;
    case U_EMR_RESTOREDC: P.Restore(As<U_EMRRESTOREDC>(Rec)->iRelative); return true;
    case U_EMR_INTERSECTCLIPRECT: case U_EMR_EXCLUDECLIPRECT: {
      const U_RECTL& r = As<U_EMRINTERSECTCLIPRECT>(Rec)->rclClip;
      P.Clip(P.BoxRegion(r.left, r.top, r.right, r.bottom), type == U_EMR_INTERSECTCLIPRECT ? RGN_AND : RGN_DIFF);
      return true;
    }
    case U_EMR_EXTSELECTCLIPRGN: {
      const auto* r = As<U_EMREXTSELECTCLIPRGN>(Rec);
      if (r->cbRgnData == 0) {
        if (r->iMode == U_RGN_COPY) P.ResetClip();
        return true;
      }
      const U_RGNDATA& rd = r->RgnData[0];
      P.Clip(P.FrameRects(std::span<const U_RECTL>(rd.Buffer, rd.rdh.nCount)), int(r->iMode));
      return true;
    }
    case U_EMR_SELECTOBJECT: P.Select(As<U_EMRSELECTOBJECT>(Rec)->ihObject); return true;
    case U_EMR_DELETEOBJECT: P.Delete(As<U_EMRDELETEOBJECT>(Rec)->ihObject); return true;
    case U_EMR_CREATEPEN: {
      const auto* r = As<U_EMRCREATEPEN>(Rec);
      TObject o;
      o.K = TObject::Pen;
      o.P = PenOf(r->lopn.lopnStyle, r->lopn.lopnWidth.x, Color(r->lopn.lopnColor), false);
      P.Store(r->ihPen, o);
      return true;
    }
    case U_EMR_EXTCREATEPEN: {
      const auto* r = As<U_EMREXTCREATEPEN>(Rec);
      TObject o;
      o.K = TObject::Pen;
      const bool geometric = r->elp.elpPenStyle & U_PS_GEOMETRIC;
      o.P = PenOf(r->elp.elpPenStyle & ~std::uint32_t(U_PS_GEOMETRIC), geometric ? std::int32_t(r->elp.elpWidth) : 0,
                  Color(r->elp.elpColor), geometric);
      if (r->elp.elpBrushStyle == U_BS_NULL) o.P.Style = psClear;
      P.Store(r->ihPen, o);
      return true;
    }
    case U_EMR_CREATEBRUSHINDIRECT: {
      const auto* r = As<U_EMRCREATEBRUSHINDIRECT>(Rec);
      TObject o;
      o.K = TObject::Brush;
      o.B = BrushOf(r->lb.lbStyle, Color(r->lb.lbColor), r->lb.lbHatch);
      P.Store(r->ihBrush, o);
      return true;
    }
    case U_EMR_CREATEMONOBRUSH: case U_EMR_CREATEDIBPATTERNBRUSHPT: {
      const auto* r = As<U_EMRCREATEMONOBRUSH>(Rec);
      TObject o;
      o.K = TObject::Brush;
      o.B = PatternBrush(EmfDib(Rec, Size, r->offBmi, r->cbBmi, r->offBits, r->cbBits));
      P.Store(r->ihBrush, o);
      return true;
    }
    case U_EMR_EXTCREATEFONTINDIRECTW: {
      const auto* r = As<U_EMREXTCREATEFONTINDIRECTW>(Rec);
      if (Size < U_SIZE_EMREXTCREATEFONTINDIRECTW_LOGFONT) return false;
      const U_LOGFONT& lf = r->elfw.elfLogFont;
      TObject o;
      o.K = TObject::Font;
      o.F.Height = lf.lfHeight;
      o.F.Escapement = lf.lfEscapement;
      o.F.Orientation = lf.lfOrientation;
      o.F.Weight = lf.lfWeight;
      o.F.Italic = lf.lfItalic, o.F.Underline = lf.lfUnderline, o.F.StrikeOut = lf.lfStrikeOut;
      o.F.CharSet = lf.lfCharSet;
      std::size_t n = 0;
      while (n < U_LF_FACESIZE && lf.lfFaceName[n]) ++n;
      o.F.FaceName = Utf16Text(reinterpret_cast<const char*>(lf.lfFaceName), n);
      P.Store(r->ihFont, o);
      return true;
    }
    case U_EMR_RECTANGLE: case U_EMR_ELLIPSE: {
      // Boxes are inclusive in the file; the canvas's exclude their far edges.
      const U_RECTL& b = As<U_EMRRECTANGLE>(Rec)->rclBox;
      P.Box(type == U_EMR_RECTANGLE ? 0 : 1, b.left, b.top, b.right + 1, b.bottom + 1);
      return true;
    }
    case U_EMR_ROUNDRECT: {
      const auto* r = As<U_EMRROUNDRECT>(Rec);
      P.Box(2, r->rclBox.left, r->rclBox.top, r->rclBox.right + 1, r->rclBox.bottom + 1, r->szlCorner.cx, r->szlCorner.cy);
      return true;
    }
    case U_EMR_ARC: case U_EMR_CHORD: case U_EMR_PIE: case U_EMR_ARCTO: {
      const auto* r = As<U_EMRARC>(Rec);
      const U_RECTL& b = r->rclBox;
      P.ArcShape(type == U_EMR_CHORD ? 1 : type == U_EMR_PIE ? 2 : 0, b.left, b.top, b.right + 1, b.bottom + 1,
                 QPointF(r->ptlStart.x, r->ptlStart.y), QPointF(r->ptlEnd.x, r->ptlEnd.y));
      return true;
    }
    case U_EMR_ANGLEARC: {
      const auto* r = As<U_EMRANGLEARC>(Rec);
      const double rad = r->nRadius, a0 = r->eStartAngle * std::numbers::pi / 180,
                   sw = std::clamp<double>(r->eSweepAngle, -3600, 3600) * std::numbers::pi / 180;
      if (!std::isfinite(a0) || !std::isfinite(sw)) return true;
      std::vector<QPointF> pts;
      for (int i = 0; i <= 64; ++i) {
        const double a = a0 + sw * i / 64;
        pts.push_back({r->ptlCenter.x + rad * std::cos(a), r->ptlCenter.y - rad * std::sin(a)});
      }
      P.PolyTo(pts);
      return true;
    }
    case U_EMR_BEGINPATH: P.Canvas().BeginPath(); return true;
    case U_EMR_ENDPATH: P.Canvas().EndPath(); return true;
    case U_EMR_ABORTPATH: P.Canvas().AbortPath(); return true;
    case U_EMR_CLOSEFIGURE: P.Canvas().CloseFigure(); return true;
    case U_EMR_FILLPATH: P.ApplyObjects(); P.Canvas().FillPath(); return true;
    case U_EMR_STROKEPATH: P.ApplyObjects(); P.Canvas().StrokePath(); return true;
    case U_EMR_STROKEANDFILLPATH: P.ApplyObjects(); P.Canvas().StrokeAndFillPath(); return true;
    case U_EMR_FILLRGN: case U_EMR_PAINTRGN: case U_EMR_INVERTRGN: case U_EMR_FRAMERGN: {
      const U_RGNDATA* rd = type == U_EMR_FILLRGN    ? As<U_EMRFILLRGN>(Rec)->RgnData
                            : type == U_EMR_FRAMERGN ? As<U_EMRFRAMERGN>(Rec)->RgnData
                                                     : As<U_EMRPAINTRGN>(Rec)->RgnData;
      const TRegion rgn = RegionFromQt(P.FrameRects(std::span<const U_RECTL>(rd->Buffer, rd->rdh.nCount)));
      TLogBrush brush = P.S.Brush;
      if (type == U_EMR_FILLRGN || type == U_EMR_FRAMERGN) {
        const std::uint32_t ih = type == U_EMR_FILLRGN ? As<U_EMRFILLRGN>(Rec)->ihBrush : As<U_EMRFRAMERGN>(Rec)->ihBrush;
        if (ih < P.Objects.size() && P.Objects[ih] && P.Objects[ih]->K == TObject::Brush) brush = P.Objects[ih]->B;
      }
      if (type == U_EMR_FILLRGN) P.Canvas().FillRgn(rgn, brush);
      else if (type == U_EMR_PAINTRGN) P.Canvas().PaintRgn(rgn);
      else if (type == U_EMR_INVERTRGN) P.Canvas().InvertRgn(rgn);
      else {
        const U_SIZEL& s = As<U_EMRFRAMERGN>(Rec)->szlStroke;
        const QPointF d = P.Frame().map(QPointF(s.cx, s.cy)) - P.Frame().map(QPointF(0, 0));
        P.Canvas().FrameRgn(rgn, brush, std::max(1, int(std::lround(std::abs(d.x())))),
                            std::max(1, int(std::lround(std::abs(d.y())))));
      }
      return true;
    }
    case U_EMR_BITBLT: case U_EMR_STRETCHBLT: {
      // A stretch adds the source's size at the end of the same layout.
      const auto* r = As<U_EMRBITBLT>(Rec);
      const U_POINTL cs = type == U_EMR_STRETCHBLT ? As<U_EMRSTRETCHBLT>(Rec)->cSrc : r->cDest;
      const QImage img = r->cbBitsSrc ? EmfDib(Rec, Size, r->offBmiSrc, r->cbBmiSrc, r->offBitsSrc, r->cbBitsSrc) : QImage();
      if (r->cbBitsSrc && img.isNull()) return true;
      const bool up = !img.isNull() && BottomUp(Rec + r->offBmiSrc);
      P.Blit(r->Dest.x, r->Dest.y, r->cDest.x, r->cDest.y, img, r->Src.x, DibTop(img, r->Src.y, cs.y, up), cs.x, cs.y,
             r->dwRop);
      return true;
    }
    case U_EMR_STRETCHDIBITS: {
      const auto* r = As<U_EMRSTRETCHDIBITS>(Rec);
      const QImage img = EmfDib(Rec, Size, r->offBmiSrc, r->cbBmiSrc, r->offBitsSrc, r->cbBitsSrc);
      if (img.isNull()) return true;
      const bool up = BottomUp(Rec + r->offBmiSrc);
      P.Blit(r->Dest.x, r->Dest.y, r->cDest.x, r->cDest.y, img, r->Src.x, DibTop(img, r->Src.y, r->cSrc.y, up),
             r->cSrc.x, r->cSrc.y, r->dwRop);
      return true;
    }
    case U_EMR_EXTTEXTOUTW: case U_EMR_EXTTEXTOUTA: {
      const auto* r = As<U_EMREXTTEXTOUTW>(Rec);
      const U_EMRTEXT& t = r->emrtext;
      const std::size_t unit = type == U_EMR_EXTTEXTOUTW ? 2 : 1;
      if (t.offString > Size || t.nChars > (Size - t.offString) / unit) return false;
      const char* s = Rec + t.offString;
      const std::string text = unit == 2 ? Utf16Text(s, t.nChars) : AnsiText(s, t.nChars, P.S.Font.CharSet);
      std::optional<QRectF> opaque;
      if ((t.fOptions & U_ETO_OPAQUE) && !(t.fOptions & U_ETO_NO_RECT) &&
          Size >= U_SIZE_EMREXTTEXTOUTW + sizeof(U_RECTL)) {
        const auto* rc = reinterpret_cast<const U_RECTL*>(Rec + U_SIZE_EMREXTTEXTOUTW);
        opaque = QRectF(QPointF(rc->left, rc->top), QPointF(rc->right, rc->bottom));
      }
      P.Text(t.ptlReference.x, t.ptlReference.y, text, opaque);
      return true;
    }
    default: return true;  // comments, palettes and what is not painted
  }
  P.MappingChanged();
  return true;
}

TMetafilePlayback PlayEmf(TPlayer& P, const char* Data, std::size_t Size) {
  TMetafilePlayback out;
  std::size_t at = 0;
  while (at + 8 <= Size && out.Records < kMaxRecords) {
    const char* rec = Data + at;
    const std::uint32_t n = As<U_EMR>(rec)->nSize;
    // The record must lie within the file and hold together inside.
    if (n < 8 || n % 4 || n > Size - at || !U_emf_record_safe(rec)) break;
    ++out.Records;
    bool end = false;
    if (!PlayEmfRecord(P, rec, n, end)) break;
    if (end) {
      out.Complete = true;
      break;
    }
    at += n;
  }
  return out;
}

// ---- WMF ----

template <typename Get>
bool Got(Get G) {
  return G() > 0;
}

QRectF Rect16(const U_RECT16& r) { return QRectF(QPointF(r.left, r.top), QPointF(r.right, r.bottom)); }

std::vector<QPointF> WmfPoints(const char* Data, std::size_t N) {
  std::vector<QPointF> out(N);
  for (std::size_t i = 0; i < N; ++i) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(Data) + i * 4;
    out[i] = QPointF(std::int16_t(Le16(p)), std::int16_t(Le16(p + 2)));
  }
  return out;
}

QImage WmfDib(const char* Dib, const char* Limit) {
  const std::size_t head = DibHeaderSize(Dib, Limit);
  if (!head) return {};
  return DecodeDib(Dib, head, Dib + head, std::size_t(Limit - Dib) - head);
}

bool PlayWmfRecord(TPlayer& P, const char* Rec, std::size_t Size, bool& End) {
  const std::uint8_t type = std::uint8_t(Rec[4]);
  const char* limit = Rec + Size;
  U_POINT16 a{}, b{};
  U_RECT16 rc{};
  std::uint16_t u16 = 0;
  U_COLORREF colour{};
  switch (type) {
    case U_WMR_EOF: End = true; return true;
    case U_WMR_SETWINDOWORG: if (U_WMRSETWINDOWORG_get(Rec, &a)) P.S.WinOrg = QPointF(a.x, a.y); break;
    case U_WMR_SETWINDOWEXT: if (U_WMRSETWINDOWEXT_get(Rec, &a)) P.S.WinExt = QPointF(a.x, a.y); break;
    case U_WMR_SETVIEWPORTORG: if (U_WMRSETVIEWPORTORG_get(Rec, &a)) P.S.VpOrg = QPointF(a.x, a.y); break;
    case U_WMR_SETVIEWPORTEXT: if (U_WMRSETVIEWPORTEXT_get(Rec, &a)) P.S.VpExt = QPointF(a.x, a.y); break;
    case U_WMR_OFFSETWINDOWORG: if (U_WMROFFSETWINDOWORG_get(Rec, &a)) P.S.WinOrg += QPointF(a.x, a.y); break;
    case U_WMR_OFFSETVIEWPORTORG: if (U_WMROFFSETVIEWPORTORG_get(Rec, &a)) P.S.VpOrg += QPointF(a.x, a.y); break;
    case U_WMR_SCALEWINDOWEXT: case U_WMR_SCALEVIEWPORTEXT: {
      const bool window = type == U_WMR_SCALEWINDOWEXT;
      if (!(window ? U_WMRSCALEWINDOWEXT_get(Rec, &a, &b) : U_WMRSCALEVIEWPORTEXT_get(Rec, &a, &b)) || !a.x || !a.y) return true;
      QPointF& e = window ? P.S.WinExt : P.S.VpExt;
      e = QPointF(e.x() * b.x / a.x, e.y() * b.y / a.y);
      break;
    }
    case U_WMR_SETMAPMODE: if (U_WMRSETMAPMODE_get(Rec, &u16)) P.S.MapMode = u16; break;
    case U_WMR_SETBKMODE: if (U_WMRSETBKMODE_get(Rec, &u16)) P.S.BkMode = u16, P.Canvas().SetBkMode(u16); return true;
    case U_WMR_SETPOLYFILLMODE: if (U_WMRSETPOLYFILLMODE_get(Rec, &u16)) P.S.PolyFill = u16, P.Canvas().SetPolyFillMode(u16); return true;
    case U_WMR_SETROP2: if (U_WMRSETROP2_get(Rec, &u16)) P.S.Rop2 = u16, P.Canvas().SetROP2(u16); return true;
    case U_WMR_SETTEXTALIGN: if (U_WMRSETTEXTALIGN_get(Rec, &u16)) P.S.Align = u16, P.Canvas().SetTextAlign(u16); return true;
    case U_WMR_SETTEXTCOLOR: if (U_WMRSETTEXTCOLOR_get(Rec, &colour)) P.S.TextColor = Color(colour), P.Canvas().SetTextColor(P.S.TextColor); return true;
    case U_WMR_SETBKCOLOR: if (U_WMRSETBKCOLOR_get(Rec, &colour)) P.S.BkColor = Color(colour), P.Canvas().SetBkColor(P.S.BkColor); return true;
    case U_WMR_MOVETO: if (U_WMRMOVETO_get(Rec, &a)) P.MoveTo(a.x, a.y); return true;
    case U_WMR_LINETO: if (U_WMRLINETO_get(Rec, &a)) P.LineTo(a.x, a.y); return true;
    case U_WMR_SAVEDC: P.Save(); return true;
    case U_WMR_RESTOREDC: {
      std::int16_t level = 0;
      if (U_WMRRESTOREDC_get(Rec, &level)) P.Restore(level);
      return true;
    }
    case U_WMR_INTERSECTCLIPRECT: case U_WMR_EXCLUDECLIPRECT: {
      const bool in = type == U_WMR_INTERSECTCLIPRECT;
      if (in ? U_WMRINTERSECTCLIPRECT_get(Rec, &rc) : U_WMREXCLUDECLIPRECT_get(Rec, &rc))
        P.Clip(P.BoxRegion(rc.left, rc.top, rc.right, rc.bottom), in ? RGN_AND : RGN_DIFF);
      return true;
    }
    case U_WMR_SELECTCLIPREGION:
      // Region objects are not kept: selecting one (or none) lifts the clip.
      if (U_WMRSELECTCLIPREGION_get(Rec, &u16)) P.ResetClip();
      return true;
    case U_WMR_SELECTOBJECT: if (U_WMRSELECTOBJECT_get(Rec, &u16)) P.Select(u16); return true;
    case U_WMR_DELETEOBJECT: if (U_WMRDELETEOBJECT_get(Rec, &u16)) P.Delete(u16); return true;
    case U_WMR_CREATEPENINDIRECT: {
      U_PEN pen{};
      if (Size < 16 || !U_WMRCREATEPENINDIRECT_get(Rec, &pen)) return false;
      TObject o;
      o.K = TObject::Pen;
      o.P = PenOf(pen.Style, std::int16_t(pen.Widthw[0]), Color(pen.Color), false);
      P.StoreNext(o);
      return true;
    }
    case U_WMR_CREATEBRUSHINDIRECT: {
      const char* brush = nullptr;
      if (Size < 14 || !U_WMRCREATEBRUSHINDIRECT_get(Rec, &brush) || !brush || brush + 8 > limit) return false;
      const auto* p = reinterpret_cast<const std::uint8_t*>(brush);
      TObject o;
      o.K = TObject::Brush;
      o.B = BrushOf(Le16(p), RGB(p[2], p[3], p[4]), Le16(p + 6));
      P.StoreNext(o);
      return true;
    }
    case U_WMR_DIBCREATEPATTERNBRUSH: {
      // Style, usage, then a DIB.
      TObject o;
      o.K = TObject::Brush;
      o.B = Size > 10 ? PatternBrush(WmfDib(Rec + 10, limit)) : CreateSolidBrush(clBlack);
      P.StoreNext(o);
      return true;
    }
    case U_WMR_CREATEFONTINDIRECT: {
      const char* font = nullptr;
      if (!U_WMRCREATEFONTINDIRECT_get(Rec, &font) || !font || font + 18 > limit) return false;
      const auto* f = reinterpret_cast<const std::uint8_t*>(font);
      TObject o;
      o.K = TObject::Font;
      o.F.Height = std::int16_t(Le16(f));
      o.F.Escapement = std::int16_t(Le16(f + 4));
      o.F.Orientation = std::int16_t(Le16(f + 6));
      o.F.Weight = std::int16_t(Le16(f + 8));
      o.F.Italic = f[10], o.F.Underline = f[11], o.F.StrikeOut = f[12], o.F.CharSet = f[13];
      const char* face = font + 18;
      std::size_t n = 0;
      while (face + n < limit && n < 32 && face[n]) ++n;
      o.F.FaceName = AnsiText(face, n, o.F.CharSet);
      P.StoreNext(o);
      return true;
    }
    case U_WMR_CREATEPALETTE: case U_WMR_CREATEPATTERNBRUSH: case U_WMR_CREATEREGION:
      P.StoreNext(TObject{});  // kept only so later indices stay right
      return true;
    case U_WMR_RECTANGLE: case U_WMR_ELLIPSE:
      if (type == U_WMR_RECTANGLE ? U_WMRRECTANGLE_get(Rec, &rc) : U_WMRELLIPSE_get(Rec, &rc))
        P.Box(type == U_WMR_RECTANGLE ? 0 : 1, rc.left, rc.top, rc.right, rc.bottom);
      return true;
    case U_WMR_ROUNDRECT: {
      std::int16_t w = 0, h = 0;
      if (U_WMRROUNDRECT_get(Rec, &w, &h, &rc)) P.Box(2, rc.left, rc.top, rc.right, rc.bottom, w, h);
      return true;
    }
    case U_WMR_ARC: case U_WMR_CHORD: case U_WMR_PIE: {
      const int got = type == U_WMR_ARC ? U_WMRARC_get(Rec, &a, &b, &rc)
                      : type == U_WMR_CHORD ? U_WMRCHORD_get(Rec, &a, &b, &rc)
                                            : U_WMRPIE_get(Rec, &a, &b, &rc);
      if (got)
        P.ArcShape(type == U_WMR_ARC ? 0 : type == U_WMR_CHORD ? 1 : 2, rc.left, rc.top, rc.right, rc.bottom,
                   QPointF(a.x, a.y), QPointF(b.x, b.y));
      return true;
    }
    case U_WMR_POLYGON: case U_WMR_POLYLINE: {
      const char* data = nullptr;
      const int got = type == U_WMR_POLYGON ? U_WMRPOLYGON_get(Rec, &u16, &data) : U_WMRPOLYLINE_get(Rec, &u16, &data);
      if (!got || !data || data > limit || std::size_t(limit - data) / 4 < u16 || !P.TakePoints(u16)) return false;
      P.Poly(WmfPoints(data, u16), type == U_WMR_POLYGON);
      return true;
    }
    case U_WMR_POLYPOLYGON: {
      const std::uint16_t* counts = nullptr;
      const char* data = nullptr;
      if (!U_WMRPOLYPOLYGON_get(Rec, &u16, &counts, &data) || !counts || !data) return false;
      const char* c = reinterpret_cast<const char*>(counts);
      if (c > limit || std::size_t(limit - c) / 2 < u16) return false;
      std::size_t total = 0;
      for (std::size_t i = 0; i < u16; ++i) total += Le16(reinterpret_cast<const std::uint8_t*>(c) + 2 * i);
      if (data > limit || std::size_t(limit - data) / 4 < total || !P.TakePoints(total)) return false;
      for (std::size_t i = 0, at = 0; i < u16; ++i) {
        const std::size_t n = Le16(reinterpret_cast<const std::uint8_t*>(c) + 2 * i);
        P.Poly(WmfPoints(data + at * 4, n), true);
        at += n;
      }
      return true;
    }
    case U_WMR_TEXTOUT: {
      std::int16_t len = 0;
      const char* s = nullptr;
      if (!U_WMRTEXTOUT_get(Rec, &a, &len, &s) || !s || len < 0 || s > limit || limit - s < len) return false;
      P.Text(a.x, a.y, AnsiText(s, std::size_t(len), P.S.Font.CharSet), std::nullopt);
      return true;
    }
    case U_WMR_EXTTEXTOUT: {
      std::int16_t len = 0;
      std::uint16_t opts = 0;
      const char* s = nullptr;
      const std::int16_t* dx = nullptr;
      if (!U_WMREXTTEXTOUT_get(Rec, &a, &len, &opts, &s, &dx, &rc) || !s || len < 0 || s > limit || limit - s < len)
        return false;
      std::optional<QRectF> opaque;
      if (opts & U_ETO_OPAQUE) opaque = Rect16(rc);
      P.Text(a.x, a.y, AnsiText(s, std::size_t(len), P.S.Font.CharSet), opaque);
      return true;
    }
    case U_WMR_PATBLT: {
      std::uint32_t rop = 0;
      if (U_WMRPATBLT_get(Rec, &a, &b, &rop)) P.Blit(a.x, a.y, b.x, b.y, QImage(), 0, 0, 0, 0, rop);
      return true;
    }
    case U_WMR_STRETCHDIB: case U_WMR_DIBSTRETCHBLT: case U_WMR_DIBBITBLT: {
      U_POINT16 dst{}, cdst{}, src{}, csrc{};
      std::uint32_t rop = 0;
      const char* dib = nullptr;
      std::uint16_t usage = 0;
      int got = 0;
      if (type == U_WMR_STRETCHDIB) got = U_WMRSTRETCHDIB_get(Rec, &dst, &cdst, &src, &csrc, &usage, &rop, &dib);
      else if (type == U_WMR_DIBSTRETCHBLT) got = U_WMRDIBSTRETCHBLT_get(Rec, &dst, &cdst, &src, &csrc, &rop, &dib);
      else got = U_WMRDIBBITBLT_get(Rec, &dst, &cdst, &src, &rop, &dib), csrc = cdst;
      if (!got) return true;
      if (!dib) {
        P.Blit(dst.x, dst.y, cdst.x, cdst.y, QImage(), 0, 0, 0, 0, rop);
        return true;
      }
      if (dib > limit) return false;
      const QImage img = WmfDib(dib, limit);
      if (img.isNull()) return true;
      const bool up = BottomUp(dib) && Le32(reinterpret_cast<const std::uint8_t*>(dib)) != 12;
      P.Blit(dst.x, dst.y, cdst.x, cdst.y, img, src.x, DibTop(img, src.y, csrc.y, up), csrc.x, csrc.y, rop);
      return true;
    }
    default: return true;
  }
  P.MappingChanged();
  return true;
}

TMetafilePlayback PlayWmf(TPlayer& P, const char* Data, std::size_t Size, std::size_t Start) {
  TMetafilePlayback out;
  const char* limit = Data + Size;
  std::size_t at = Start;
  while (at + 6 <= Size && out.Records < kMaxRecords) {
    const char* rec = Data + at;
    const std::size_t n = U_WMRRECSAFE_get(rec, limit);
    if (n < 6 || n > Size - at) break;
    ++out.Records;
    bool end = false;
    if (!PlayWmfRecord(P, rec, n, end)) break;
    if (end) {
      out.Complete = true;
      break;
    }
    at += n;
  }
  return out;
}

// The window a WMF without a placeable header sets first: its frame.
QRectF FirstWindow(const char* Data, std::size_t Size, std::size_t Start) {
  QPointF org(0, 0);
  const char* limit = Data + Size;
  for (std::size_t at = Start, k = 0; at + 6 <= Size && k < 10000; ++k) {
    const std::size_t n = U_WMRRECSAFE_get(Data + at, limit);
    if (n < 6) break;
    U_POINT16 p{};
    const std::uint8_t type = std::uint8_t(Data[at + 4]);
    if (type == U_WMR_SETWINDOWORG && U_WMRSETWINDOWORG_get(Data + at, &p)) org = QPointF(p.x, p.y);
    if (type == U_WMR_SETWINDOWEXT && U_WMRSETWINDOWEXT_get(Data + at, &p)) return QRectF(org, QSizeF(p.x, p.y));
    at += n;
  }
  return {};
}

QTransform RectToPoints(const QRectF& Frame, QPointF TopLeft, QPointF BottomRight) {
  const double sx = (BottomRight.x() - TopLeft.x()) / Frame.width();
  const double sy = (BottomRight.y() - TopLeft.y()) / Frame.height();
  return QTransform(sx, 0, 0, sy, TopLeft.x() - Frame.left() * sx, TopLeft.y() - Frame.top() * sy);
}

}  // namespace

TMetafileFormat MetafileFormat(std::span<const std::uint8_t> Bytes) {
  if (Bytes.size() >= 88 && Le32(Bytes.data()) == U_EMR_HEADER && Le32(Bytes.data() + 40) == U_ENHMETA_SIGNATURE)
    return TMetafileFormat::Emf;
  std::size_t at = 0;
  if (Bytes.size() >= 22 && Le32(Bytes.data()) == kPlaceableKey) at = 22;
  if (Bytes.size() >= at + 18 && (Le16(Bytes.data() + at) == 1 || Le16(Bytes.data() + at) == 2) &&
      Le16(Bytes.data() + at + 2) == 9)
    return TMetafileFormat::Wmf;
  return TMetafileFormat::None;
}

TMetafilePlayback PlayMetafile(QPainter& Painter, std::span<const std::uint8_t> Bytes, QPointF TopLeft,
                               QPointF BottomRight) {
  const TMetafileFormat format = MetafileFormat(Bytes);
  if (format == TMetafileFormat::None || !Painter.isActive()) return {};
  const char* data = reinterpret_cast<const char*>(Bytes.data());
  const std::size_t size = Bytes.size();
  const QRect target = QRectF(TopLeft, BottomRight).normalized().toAlignedRect();
  QRegion base(target);
  if (Painter.hasClipping()) base &= Painter.clipRegion();

  Painter.save();
  TMetafilePlayback result;
  if (format == TMetafileFormat::Emf) {
    const auto* h = reinterpret_cast<const U_EMRHEADER*>(data);
    if (h->emr.nSize < U_SIZE_EMRHEADER_MIN || h->emr.nSize > size || !U_emf_record_safe(data)) {
      Painter.restore();
      return {};
    }
    // The frame is the bounds (inclusive device pixels), or the 0.01 mm
    // frame on the reference device when nothing was bounded.
    QRectF frame(QPointF(h->rclBounds.left, h->rclBounds.top), QPointF(h->rclBounds.right + 1.0, h->rclBounds.bottom + 1.0));
    const double pxPerMm = h->szlMillimeters.cx > 0 && h->szlDevice.cx > 0
                               ? double(h->szlDevice.cx) / h->szlMillimeters.cx
                               : 96 / 25.4;
    if (frame.width() <= 1 || frame.height() <= 1)
      frame = QRectF(QPointF(h->rclFrame.left, h->rclFrame.top) * pxPerMm / 100,
                     QPointF(h->rclFrame.right, h->rclFrame.bottom) * pxPerMm / 100);
    if (frame.width() > 0 && frame.height() > 0) {
      TPlayer player(Painter, RectToPoints(frame, TopLeft, BottomRight), pxPerMm, base);
      result = PlayEmf(player, data, size);
    }
  } else {
    U_WMRPLACEABLE placeable{};
    U_WMRHEADER header{};
    const int start = wmfheader_get(data, data + size, &placeable, &header);
    if (start > 0) {
      QRectF frame;
      double perInch = 96;
      if (placeable.Key == kPlaceableKey) {
        frame = QRectF(QPointF(placeable.Dst.left, placeable.Dst.top), QPointF(placeable.Dst.right, placeable.Dst.bottom)).normalized();
        if (placeable.Inch) perInch = placeable.Inch;
      } else {
        frame = FirstWindow(data, size, std::size_t(start)).normalized();
      }
      if (frame.width() > 0 && frame.height() > 0) {
        TPlayer player(Painter, RectToPoints(frame, TopLeft, BottomRight), perInch / 25.4, base);
        // The player owns the viewport: the window maps onto the frame.
        player.S.MapMode = U_MM_ANISOTROPIC;
        player.S.WinOrg = player.S.VpOrg = frame.topLeft();
        player.S.WinExt = player.S.VpExt = QPointF(frame.width(), frame.height());
        player.MappingChanged();
        result = PlayWmf(player, data, size, std::size_t(start));
      }
    }
  }
  Painter.restore();
  return result;
}
