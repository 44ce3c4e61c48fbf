#pragma once
// The metafile player's device context: the GDI state a metafile keeps
// (mapping, world transform, objects, clip, the open path) and the drawing
// it does through a TQtCanvas. Shared by the EMF and WMF record players
// (MetafilePlayer.cpp, MetafileWmfPlayer.cpp) and by nothing else.

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

namespace metafile_play {

constexpr int kMaxRecords = 1'000'000;
constexpr std::size_t kMaxPointsPerRecord = 1'000'000;
constexpr std::size_t kMaxPoints = 8'000'000;  // over the whole picture
constexpr std::int64_t kMaxPixels = std::int64_t(8192) * 8192;
constexpr double kSub = 16;  // canvas units per device pixel
constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;

inline std::uint32_t Le32(const std::uint8_t* p) {
  return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}
inline std::uint16_t Le16(const std::uint8_t* p) { return std::uint16_t(p[0] | p[1] << 8); }

inline COLORREF Color(const U_COLORREF& c) { return RGB(c.Red, c.Green, c.Blue); }

inline std::int32_t ToUnits(double v) {
  return std::isfinite(v) ? std::int32_t(std::clamp(std::round(v * kSub), -1e9, 1e9)) : 0;
}

// Text in a font's code page: GBK for the Chinese (and the default) sets,
// Latin-1 for the rest.
inline std::string AnsiText(const char* s, std::size_t n, std::uint8_t charSet) {
  if (charSet == 134 || charSet == 1 || charSet == 136) return GbkToUtf8(std::string_view(s, n));
  return QString::fromLatin1(s, qsizetype(n)).toStdString();
}
inline std::string Utf16Text(const char* s, std::size_t n) {
  if (n == 0) return {};
  std::vector<char16_t> u(n);
  std::memcpy(u.data(), s, n * 2);
  while (!u.empty() && u.back() == 0) u.pop_back();
  return QString::fromUtf16(u.data(), qsizetype(u.size())).toStdString();
}

// A DIB (BITMAPINFO then bits, each possibly apart) through Qt's BMP reader,
// behind a file header of our own. Null when it does not decode or is huge.
inline QImage DecodeDib(const char* Bmi, std::size_t BmiSize, const char* Bits, std::size_t BitsSize) {
  if (BmiSize < 12) return {};
  std::int64_t w = 0, h = 0, bits = 0, compression = 0;
  const auto* b = reinterpret_cast<const std::uint8_t*>(Bmi);
  if (Le32(b) == 12) {
    w = Le16(b + 4), h = Le16(b + 6), bits = Le16(b + 10);
  } else if (BmiSize >= 20) {
    w = std::int32_t(Le32(b + 4)), h = std::int32_t(Le32(b + 8));
    bits = Le16(b + 14), compression = Le32(b + 16);
  }
  if (w <= 0 || h == 0 || w * std::abs(h) > kMaxPixels) return {};
  // The reader makes the whole bitmap whatever the bits hold: rows must be
  // there (a run-length row may be two bytes, a skip four for many rows).
  const std::int64_t rows = std::abs(h), have = std::int64_t(BitsSize);
  if ((compression == 0 || compression == 3) && ((w * bits + 31) / 32) * 4 * rows > have) return {};
  if ((compression == 1 || compression == 2) && w * rows > (have + 1) * 1024) return {};
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
inline std::size_t DibHeaderSize(const char* Dib, const char* Limit) {
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

// Source y of a DIB: bottom-up rows count from the bottom.
inline double DibTop(const QImage& Image, double Sy, double Sh, bool BottomUp) {
  return BottomUp ? Image.height() - Sy - Sh : Sy;
}
inline bool BottomUp(const char* Bmi) { return std::int32_t(Le32(reinterpret_cast<const std::uint8_t*>(Bmi) + 8)) > 0; }

inline TBitmap ToBitmap(const QImage& Image) {
  TBitmap out(Image.width(), Image.height());
  QtImage(out) = Image.convertToFormat(QImage::Format_RGB32);
  return out;
}

// An 8 x 8 pattern from a decoded brush image: light pixels are the 1 bits
// a monochrome brush paints in the background colour.
inline TLogBrush PatternBrush(const QImage& Image) {
  if (Image.isNull()) return CreateSolidBrush(clBlack);
  TBrushPattern p;
  for (int y = 0; y < 8; ++y)
    for (int x = 0; x < 8; ++x)
      if (qGray(Image.pixel(x % Image.width(), y % Image.height())) >= 128) p.Rows[y] |= std::uint8_t(0x80 >> x);
  return CreatePatternBrush(p);
}

inline TLogBrush BrushOf(std::uint32_t Style, COLORREF Colour, std::uint32_t Hatch) {
  if (Style == U_BS_NULL) return NullBrush();
  if (Style == U_BS_HATCHED) {
    static constexpr TBrushStyle kHatch[6] = {bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross};
    return CreateHatchBrush(Hatch < 6 ? kHatch[Hatch] : bsCross, Colour);
  }
  return CreateSolidBrush(Colour);
}

inline TLogPen PenOf(std::uint32_t Style, std::int32_t Width, COLORREF Colour, bool Geometric) {
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

// Characters (UTF-8) and their advances in logical units, from the dx
// array of an ExtTextOut.
using TSpacing = std::vector<std::pair<std::string, double>>;

inline TSpacing Utf16Spacing(const char* s, std::size_t n, const std::vector<double>& Dx) {
  TSpacing out;
  for (std::size_t i = 0; i < n && i < Dx.size(); ++i) {
    const bool pair = QChar::isHighSurrogate(Le16(reinterpret_cast<const std::uint8_t*>(s) + 2 * i)) && i + 1 < n &&
                      i + 1 < Dx.size();
    out.emplace_back(Utf16Text(s + 2 * i, pair ? 2 : 1), pair ? Dx[i] + Dx[i + 1] : Dx[i]);
    if (pair) ++i;
  }
  return out;
}
// One dx entry per byte: a GBK character's two add up.
inline TSpacing AnsiSpacing(const char* s, std::size_t n, std::uint8_t CharSet, const std::vector<double>& Dx) {
  const bool gbk = CharSet == 134 || CharSet == 1 || CharSet == 136;
  TSpacing out;
  for (std::size_t i = 0; i < n && i < Dx.size(); ++i) {
    const std::uint8_t b = std::uint8_t(s[i]);
    const bool pair = gbk && b >= 0x81 && b <= 0xFE && i + 1 < n && i + 1 < Dx.size();
    out.emplace_back(AnsiText(s + i, pair ? 2 : 1, CharSet), pair ? Dx[i] + Dx[i + 1] : Dx[i]);
    if (pair) ++i;
  }
  return out;
}

// The union of N regions in halves: one by one it would take time in the
// square of their number.
template <typename Part>
QRegion UnionOf(std::size_t N, const Part& P, std::size_t From = 0) {
  if (N == 0) return {};
  if (N == 1) return P(From);
  const std::size_t half = N / 2;
  return UnionOf(half, P, From) | UnionOf(N - half, P, From + half);
}

struct TObject {
  enum Kind { Pen, Brush, Font, Region, Other } K = Other;
  TLogPen P;
  TLogBrush B;
  QImage Pattern;  // a colour pattern brush's tile
  TLogFont F;
  std::vector<QRectF> Rects;  // a WMF region, logical
};

struct TDcState {
  int MapMode = U_MM_TEXT;
  QPointF WinOrg{0, 0}, WinExt{1, 1}, VpOrg{0, 0}, VpExt{1, 1};
  QTransform World;
  TLogPen Pen = CreatePen(psSolid, 0, clBlack);
  TLogBrush Brush = CreateSolidBrush(clWhite);
  QImage Pattern;  // set: the brush paints this tile, which the canvas cannot
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
    // Extents scaled again and again can overflow to infinity; such a
    // mapping draws nothing sensible, so the frame's own stands in.
    if (!std::isfinite(FA.m11() + FA.m12() + FA.m21() + FA.m22() + FA.dx() + FA.dy())) FA = FFrame;
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
    if (pen.Width > 0) pen.Width = std::int32_t(std::clamp(std::round(pen.Width * ScaleX() * kSub), 1.0, 1e6));
    FCanvas.SelectPen(pen);
    TLogFont font = S.Font;
    const double h = font.Height ? font.Height : -12;
    font.Height = std::int32_t(std::clamp(std::round(h * ScaleY() * kSub), -1e6, 1e6));
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
      case TObject::Brush:
        S.Brush = O.Pattern.isNull() ? O.B : NullBrush();
        S.Pattern = O.Pattern;
        FCanvas.SelectBrush(S.Brush);
        break;
      case TObject::Region: SelectRegion(O); break;
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
  // Device rectangles and polygons as regions. Far-off coordinates are
  // clipped to the target first: a region's cost grows with its height.
  QRegion DeviceRect(QPointF A, QPointF C) const {
    const QRectF box = QRectF(A, C).normalized() & QRectF(FBase.boundingRect().adjusted(-2, -2, 2, 2));
    if (box.isEmpty()) return {};
    const int x0 = int(std::lround(box.left())), x1 = int(std::lround(box.right()));
    const int y0 = int(std::lround(box.top())), y1 = int(std::lround(box.bottom()));
    return QRegion(x0, y0, x1 - x0, y1 - y0);
  }
  // Not all its points on one line (a bow tie has no net area but covers).
  static bool HasArea(const QPolygon& P) {
    for (qsizetype i = 1; i < P.size(); ++i) {
      if (P[i] == P[0]) continue;
      const std::int64_t dx = P[i].x() - P[0].x(), dy = P[i].y() - P[0].y();
      for (qsizetype j = i + 1; j < P.size(); ++j)
        if (dx * (P[j].y() - P[0].y()) != dy * (P[j].x() - P[0].x())) return true;
      return false;
    }
    return false;
  }
  QRegion PathRegion(QPainterPath Device) const {
    QPainterPath bounds;
    bounds.addRect(QRectF(FBase.boundingRect().adjusted(-2, -2, 2, 2)));
    const bool winding = S.PolyFill == WINDING;
    QRegion out;
    for (const QPolygonF& poly : Device.toSubpathPolygons()) {
      QPainterPath one;
      one.addPolygon(poly);
      one.setFillRule(winding ? Qt::WindingFill : Qt::OddEvenFill);
      for (const QPolygonF& part : one.intersected(bounds).toFillPolygons()) {
        // A polygon of no area covers nothing, and Qt's polygon region leaks
        // its edge table on some of them.
        const QPolygon ints = part.toPolygon();
        if (!HasArea(ints)) continue;
        const QRegion r(ints, winding ? Qt::WindingFill : Qt::OddEvenFill);
        out = winding ? out | r : out ^ r;
      }
    }
    return out;
  }
  QRegion BoxRegion(double l, double t, double r, double b) const {
    if (FAligned) return DeviceRect(Dev(l, t), Dev(r, b));
    QPainterPath path;
    path.addPolygon(QPolygonF{Dev(l, t), Dev(r, t), Dev(r, b), Dev(l, b)});
    return PathRegion(path);
  }
  QRegion CurrentClip() const { return S.Clip ? *S.Clip : FBase; }
  QRegion Effective() const { return S.Clip ? FBase & *S.Clip : FBase; }
  // A region object's rectangles are logical: they go through the mapping
  // in force when the region is selected.
  void SelectRegion(const TObject& O) {
    Clip(UnionOf(O.Rects.size(), [&](std::size_t i) {
           const QRectF& b = O.Rects[i];
           return BoxRegion(b.left(), b.top(), b.right(), b.bottom());
         }),
         RGN_COPY);
  }
  void OffsetClip(double Dx, double Dy) {
    if (!S.Clip) return;
    const QPointF d = Dev(Dx, Dy) - Dev(0, 0);
    S.Clip->translate(int(std::round(std::clamp(d.x(), -1e5, 1e5))), int(std::round(std::clamp(d.y(), -1e5, 1e5))));
    ApplyClip();
  }
  // Without a path GDI fails the call and the clip stays.
  void ClipPath(int Mode) {
    if (FPath.isEmpty()) return;
    const QRegion r = PathRegion(FPath);
    ClearPath();
    Clip(r, Mode);
  }
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
    return UnionOf(Rects.size(), [&](std::size_t i) {
      const U_RECTL& r = Rects[i];
      return DeviceRect(FFrame.map(QPointF(r.left, r.top)), FFrame.map(QPointF(r.right, r.bottom)));
    });
  }

  // ---- the open path, on the target device ----
  // Kept beside the canvas's own so that a path can become the clip or be
  // filled with a colour pattern.
  void BeginPath() {
    FInPath = true;
    FPath = QPainterPath();
    FCanvas.BeginPath();
  }
  void EndPath() {
    FInPath = false;
    FCanvas.EndPath();
  }
  void ClearPath() {
    FInPath = false;
    FPath = QPainterPath();
    FCanvas.AbortPath();
  }
  void CloseFigure() {
    if (FInPath) FPath.closeSubpath();
    FCanvas.CloseFigure();
  }
  void PathOp(int Kind) {  // 0 fill, 1 stroke, 2 both
    ApplyObjects();
    if (Kind != 1) {
      FPath.setFillRule(S.PolyFill == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
      FillPattern(FPath);
    }
    if (Kind == 0) FCanvas.FillPath();
    else if (Kind == 1) FCanvas.StrokePath();
    else FCanvas.StrokeAndFillPath();
    FPath = QPainterPath();
  }
  // A shape drawn: recorded into the open path, or filled here when the
  // brush is a colour pattern (before the canvas strokes its outline).
  void Shape(const QPainterPath& Device, bool Closed) {
    if (FInPath) {
      FPath.addPath(Device);
      if (Closed) FPath.closeSubpath();
    } else if (Closed) {
      FillPattern(Device);
    }
  }
  void FillPattern(QPainterPath Device) {
    if (S.Pattern.isNull() || Device.isEmpty()) return;
    Device.setFillRule(S.PolyFill == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
    QPainter& p = FCanvas.Painter();
    p.save();
    p.resetTransform();
    p.setClipRegion(Effective());
    p.fillPath(Device, QBrush(S.Pattern));
    p.restore();
  }
  QPainterPath DevicePath(const QPainterPath& Logical) const { return FA.map(Logical); }
  QPainterPath DevicePoly(const std::vector<QPointF>& Pts) const {
    QPolygonF poly;
    for (QPointF p : Pts) poly << Dev(p.x(), p.y());
    QPainterPath path;
    path.addPolygon(poly);
    return path;
  }

  // ---- drawing (logical coordinates of the metafile) ----
  bool TakePoints(std::size_t N) {
    if (N > kMaxPointsPerRecord || N > PointsLeft) return false;
    PointsLeft -= N;
    return true;
  }
  void MoveTo(double x, double y) {
    if (FInPath) FPath.moveTo(Dev(x, y));
    S.Current = {x, y};
    const TPoint p = Unit(x, y);
    FCanvas.MoveToEx(p.x, p.y);
  }
  void LineTo(double x, double y) {
    ApplyObjects();
    if (FInPath) {
      if (FPath.elementCount() == 0) FPath.moveTo(Dev(S.Current.x(), S.Current.y()));
      FPath.lineTo(Dev(x, y));
    }
    S.Current = {x, y};
    const TPoint p = Unit(x, y);
    FCanvas.LineTo(p.x, p.y);
  }
  void Poly(const std::vector<QPointF>& Pts, bool Closed) {
    if (Pts.size() < 2) return;
    ApplyObjects();
    Shape(DevicePoly(Pts), Closed);
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
      const int steps = std::isfinite(len) ? int(std::clamp(len / 3, 2.0, 64.0)) : 64;
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
    QPainterPath path;
    const QRectF box(QPointF(l, t), QPointF(r, b));
    if (Kind == 0) path.addRect(box);
    else if (Kind == 1) path.addEllipse(box);
    else path.addRoundedRect(box, a / 2, c / 2);
    if (FAligned) {
      Shape(DevicePath(path), true);
      const TPoint p = Unit(l, t), q = Unit(r, b);
      if (Kind == 0) FCanvas.Rectangle(p.x, p.y, q.x, q.y);
      else if (Kind == 1) FCanvas.Ellipse(p.x, p.y, q.x, q.y);
      else FCanvas.RoundRect(p.x, p.y, q.x, q.y, ToUnits(a * ScaleX()), ToUnits(c * ScaleY()));
      return;
    }
    const QPolygonF poly = path.toFillPolygon();
    Poly(std::vector<QPointF>(poly.begin(), poly.end()), true);
  }
  void ArcShape(int Kind, double l, double t, double r, double b, QPointF S0, QPointF E0) {
    ApplyObjects();
    const std::vector<QPointF> pts = ArcPoints(Kind, l, t, r, b, S0, E0);
    if (FAligned) {
      Shape(DevicePoly(pts), Kind != 0);
      const TPoint p = Unit(l, t), q = Unit(r, b), s = Unit(S0.x(), S0.y()), e = Unit(E0.x(), E0.y());
      if (Kind == 0) FCanvas.Arc(p.x, p.y, q.x, q.y, s.x, s.y, e.x, e.y);
      else if (Kind == 1) FCanvas.Chord(p.x, p.y, q.x, q.y, s.x, s.y, e.x, e.y);
      else FCanvas.Pie(p.x, p.y, q.x, q.y, s.x, s.y, e.x, e.y);
      return;
    }
    Poly(pts, Kind != 0);
  }
  std::vector<QPointF> ArcPoints(int Kind, double l, double t, double r, double b, QPointF S0, QPointF E0) const {
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
    return pts;
  }

  void Text(double x, double y, const std::string& Utf8, const std::optional<QRectF>& Opaque,
            const TSpacing& Spacing = {}) {
    ApplyObjects();
    if (Opaque && !Opaque->isEmpty()) {
      const TPoint a = Unit(Opaque->left(), Opaque->top()), b = Unit(Opaque->right(), Opaque->bottom());
      FCanvas.FillRect(TRect{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)},
                       CreateSolidBrush(S.BkColor));
    }
    if (Utf8.empty()) return;
    const TPoint p = Unit(x, y);
    if (Spacing.empty() || (S.Align & U_TA_UPDATECP) || NaturalSpacing(Spacing)) {
      FCanvas.TextOut(p.x, p.y, Utf8);
      return;
    }
    // Each character at its own advance along the baseline, the run placed
    // by the horizontal alignment as a whole.
    const QPointF u = Baseline();
    double total = 0;
    for (const auto& c : Spacing) total += c.second;
    const unsigned h = S.Align & (TA_CENTER | TA_RIGHT);
    double at = h == TA_CENTER ? -total / 2 : h == TA_RIGHT ? -total : 0;
    FCanvas.SetTextAlign(S.Align & ~unsigned(TA_CENTER | TA_RIGHT));
    for (const auto& [ch, advance] : Spacing) {
      const TPoint q = Unit(x + u.x() * at, y + u.y() * at);
      FCanvas.TextOut(q.x, q.y, ch);
      at += advance;
    }
    FCanvas.SetTextAlign(S.Align);
  }
  // The text direction in logical units, from the font's escapement.
  QPointF Baseline() const {
    const double e = S.Font.Escapement / 10.0 * std::numbers::pi / 180.0;
    return {std::cos(e), -std::sin(e)};
  }
  // Spacing within about half a device pixel of the font's own advances
  // (which is what this program writes) paints the string whole, shaped.
  bool NaturalSpacing(const TSpacing& Spacing) const {
    const QPointF u = Baseline();
    const double perUnit = QLineF(Dev(0, 0), Dev(u.x(), u.y())).length();
    // Very long runs are drawn whole rather than glyph by glyph.
    if (Spacing.size() > 4096) return true;
    double at = 0, natural = 0;
    for (const auto& c : Spacing) {
      at += c.second;
      natural += FCanvas.GetTextExtentPoint(c.first).cx / kSub;
      if (std::abs(natural - at * perUnit) > 0.5 + 0.02 * std::abs(natural)) return false;
    }
    return true;
  }

  void Blit(double x, double y, double w, double h, const QImage& Image, double sx, double sy, double sw,
            double sh, std::uint32_t Rop) {
    ApplyObjects();
    const TPoint a = Unit(x, y), b = Unit(x + w, y + h);
    if (Image.isNull()) {
      if (Rop == U_PATCOPY && !S.Pattern.isNull()) {
        QPainterPath box;
        box.addRect(QRectF(QPointF(x, y), QPointF(x + w, y + h)));
        FillPattern(DevicePath(box));
        return;
      }
      FCanvas.PatBlt(a.x, a.y, b.x - a.x, b.y - a.y, Rop);
      return;
    }
    // The source is cut to the bitmap, and the destination with it: a source
    // rectangle reaching past the bitmap would be copied out whole.
    if (sw == 0 || sh == 0 || !std::isfinite(sx + sy + sw + sh)) return;
    auto cut = [](double& s, double& n, double& d, double& dn, double Extent) {
      const double lo = std::clamp(std::min(s, s + n), 0.0, Extent), hi = std::clamp(std::max(s, s + n), 0.0, Extent);
      if (hi <= lo) return false;
      const double s2 = n > 0 ? lo : hi, n2 = n > 0 ? hi - lo : lo - hi;
      const double d2 = d + (s2 - s) * dn / n, e2 = d + (s2 + n2 - s) * dn / n;
      s = s2, n = n2, d = d2, dn = e2 - d2;
      return true;
    };
    if (!cut(sx, sw, x, w, Image.width()) || !cut(sy, sh, y, h, Image.height())) return;
    const TPoint c = Unit(x, y), e = Unit(x + w, y + h);
    const TBitmap bmp = ToBitmap(Image);
    FCanvas.StretchBlt(c.x, c.y, e.x - c.x, e.y - c.y, bmp, std::int32_t(std::lround(sx)), std::int32_t(std::lround(sy)),
                       std::int32_t(std::lround(sw)), std::int32_t(std::lround(sh)), Rop);
  }

  // An image (with its alpha) onto the parallelogram whose corners
  // Origin, XEnd and YEnd the logical points give: PlgBlt and masked blits.
  void DrawImage(const QImage& Image, QPointF Origin, QPointF XEnd, QPointF YEnd) {
    if (Image.isNull()) return;
    const QPointF o = Dev(Origin.x(), Origin.y()), x = Dev(XEnd.x(), XEnd.y()) - o, y = Dev(YEnd.x(), YEnd.y()) - o;
    const QTransform t(x.x() / Image.width(), x.y() / Image.width(), y.x() / Image.height(), y.y() / Image.height(),
                       o.x(), o.y());
    if (!t.isInvertible()) return;
    QPainter& p = FCanvas.Painter();
    p.save();
    p.setClipRegion(Effective());
    p.setTransform(t);
    p.setRenderHint(QPainter::SmoothPixmapTransform, false);
    p.drawImage(QPointF(0, 0), Image);
    p.restore();
  }
  // PolyDraw: each point's type moves, draws a line, or is one of three
  // Bézier points; a close flag returns to the figure's start.
  void PolyDraw(const std::vector<QPointF>& Pts, const std::uint8_t* Types) {
    QPointF start = S.Current;
    for (std::size_t i = 0; i < Pts.size(); ++i) {
      const std::uint8_t kind = Types[i] & ~std::uint8_t(U_PT_CLOSEFIGURE);
      std::size_t last = i;
      if (kind == U_PT_MOVETO) {
        MoveTo(Pts[i].x(), Pts[i].y());
        start = Pts[i];
      } else if (kind == U_PT_LINETO) {
        LineTo(Pts[i].x(), Pts[i].y());
      } else if (kind == U_PT_BEZIERTO && i + 2 < Pts.size()) {
        PolyBezier({Pts[i], Pts[i + 1], Pts[i + 2]}, true);
        last = i += 2;
      } else {
        return;  // not a point type, or a Bézier cut short: GDI draws nothing further
      }
      if ((Types[last] & U_PT_CLOSEFIGURE) && kind != U_PT_MOVETO) {
        if (FInPath) CloseFigure();
        else LineTo(start.x(), start.y());
      }
    }
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
  bool FInPath = false;
  QPainterPath FPath;
};

// The WMF side (MetafileWmfPlayer.cpp).
TMetafilePlayback PlayWmf(TPlayer& P, const char* Data, std::size_t Size, std::size_t Start);
// The window a WMF without a placeable header sets first: its frame.
QRectF FirstWindow(const char* Data, std::size_t Size, std::size_t Start);

}  // namespace metafile_play
