// TCanvas writing EMF/WMF records through libUEMF. The DC state is kept here
// as in the Qt backend (same mapping formula and rounding), and every state
// change is also written as the record GDI would write for it.
//
// EMF and WMF differ in three ways that shape this file:
// - WMF coordinates are 16-bit (values are clamped) and WMF has no paths:
//   a WMF path is kept here and written as polylines/polygons when stroked
//   or filled.
// - In a WMF the viewport belongs to the player, which maps the window onto
//   the placeable frame; so the whole mapping is written as a window
//   (SetWindowOrg/SetWindowExt) just before the drawing that needs it.
// - WMF regions are logical and need region objects; clip regions are
//   written as clip rectangles (exact for rectangles and for RGN_DIFF).

#include "platform/MetafileCanvas.h"

#include <uemf.h>
#include <uemf_safe.h>
#include <uwmf.h>

#include <QFontMetricsF>
#include <QString>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <numbers>
#include <optional>
#include <string>
#include <vector>

#include "foundation/GbkCodec.h"
#include "platform/Bitmap.h"
#include "platform/QtCanvas.h"
#include "platform/Region.h"

namespace {

std::int16_t Clamp16(std::int64_t v) { return std::int16_t(std::clamp<std::int64_t>(v, INT16_MIN, INT16_MAX)); }
U_POINT16 P16(std::int32_t x, std::int32_t y) { return point16_set(Clamp16(x), Clamp16(y)); }
U_RECT16 R16(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b) {
  U_RECT16 rc;
  rc.left = Clamp16(l);
  rc.top = Clamp16(t);
  rc.right = Clamp16(r);
  rc.bottom = Clamp16(b);
  return rc;
}
U_RECTL RL(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b) {
  U_RECTL rc;
  rc.left = l;
  rc.top = t;
  rc.right = r;
  rc.bottom = b;
  return rc;
}

U_COLORREF Color(COLORREF c) {
  const COLORREF rgb = ColorToRGB(c);
  return colorref3_set(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

std::uint32_t PenStyleBits(const TLogPen& pen) {
  std::uint32_t style = pen.Style;  // psSolid..psInsideFrame are PS_SOLID..PS_INSIDEFRAME
  if (pen.Geometric) {
    style |= pen.EndCap == pecFlat ? U_PS_ENDCAP_FLAT : pen.EndCap == pecSquare ? U_PS_ENDCAP_SQUARE : U_PS_ENDCAP_ROUND;
    style |= pen.Join == pjMiter ? U_PS_JOIN_MITER : pen.Join == pjBevel ? U_PS_JOIN_BEVEL : U_PS_JOIN_ROUND;
  }
  return style;
}

// lbStyle and lbHatch of a LOGBRUSH.
std::pair<std::uint32_t, std::int32_t> BrushStyleBits(const TLogBrush& b) {
  switch (b.Style) {
    case bsSolid: return {U_BS_SOLID, 0};
    case bsClear: return {U_BS_NULL, 0};
    case bsHorizontal: return {U_BS_HATCHED, U_HS_HORIZONTAL};
    case bsVertical: return {U_BS_HATCHED, U_HS_VERTICAL};
    case bsFDiagonal: return {U_BS_HATCHED, U_HS_FDIAGONAL};
    case bsBDiagonal: return {U_BS_HATCHED, U_HS_BDIAGONAL};
    case bsCross: return {U_BS_HATCHED, U_HS_CROSS};
    case bsDiagCross: return {U_BS_HATCHED, U_HS_DIAGCROSS};
  }
  return {U_BS_SOLID, 0};
}

// The 8 x 8 pattern as a bottom-up 1-bit DIB whose colour table is black,
// white: GDI draws a monochrome brush's 0 bits in the text colour and its 1
// bits in the background colour, as TBrushPattern wants.
struct MonoDib {
  PU_BITMAPINFO bmi = nullptr;
  char px[32] = {};
  explicit MonoDib(const TBrushPattern& p) {
    U_RGBQUAD table[2] = {rgbquad_set(0, 0, 0, 0), rgbquad_set(255, 255, 255, 0)};
    bmi = bitmapinfo_set(bitmapinfoheader_set(8, 8, 1, 1, U_BI_RGB, 32, 0, 0, 2, 0), table);
    for (int row = 0; row < 8; ++row) px[row * 4] = char(p.Rows[7 - row]);
  }
  ~MonoDib() { free(bmi); }
  MonoDib(const MonoDib&) = delete;
  MonoDib& operator=(const MonoDib&) = delete;
};

std::u16string Utf16(std::string_view utf8) {
  const QString s = QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
  return std::u16string(reinterpret_cast<const char16_t*>(s.utf16()), size_t(s.size()));
}

// GBK bytes for WMF text and face names; characters GBK lacks become '?'.
std::string Gbk(std::string_view utf8) {
  try {
    return Utf8ToGbk(utf8);
  } catch (const std::exception&) {
  }
  std::string out;
  const QString s = QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
  for (const uint cp : s.toUcs4()) {
    const std::string one = QString::fromUcs4(reinterpret_cast<const char32_t*>(&cp), 1).toStdString();
    try {
      out += Utf8ToGbk(one);
    } catch (const std::exception&) {
      out += '?';
    }
  }
  return out;
}

struct PathFigure {
  std::vector<TPoint> points;  // logical
  bool closed = false;
};

}  // namespace

struct TMetafileCanvas::Impl {
  struct State {
    int mapMode = MM_TEXT;
    TPoint windowOrg{};
    TPoint viewportOrg{};
    TSize windowExt{1, 1};
    TSize viewportExt{1, 1};
    TLogPen pen = CreatePen(psSolid, 0, clBlack);
    TLogBrush brush = CreateSolidBrush(clWhite);
    TLogFont font;
    // Handles selected in the file; 0 is the file's default object, which
    // is the default pen and brush above but not the default font.
    std::uint32_t penH = 0, brushH = 0, fontH = 0;
    int rop2 = R2_COPYPEN;
    COLORREF textColor = clBlack;
    COLORREF bkColor = clWhite;
    int bkMode = OPAQUE;
    unsigned textAlign = TA_LEFT | TA_TOP;
    int polyFillMode = ALTERNATE;
    int arcDirection = AD_COUNTERCLOCKWISE;
    TPoint brushOrg{};
    TPoint current{};
    std::optional<TRegion> clip;  // device; none: the whole picture
    // WMF: the window last written, which the player saves and restores too.
    std::optional<std::pair<TPoint, TSize>> wmfWindow;
  };

  struct Object {
    std::string key;
    std::uint32_t handle = 0;
    std::uint64_t lastUse = 0;
  };

  std::string fileName;
  TMetafileKind kind;
  TSize size;
  int logPixels;
  bool open = false;
  bool failed = false;
  EMFTRACK* et = nullptr;
  EMFHANDLES* eht = nullptr;
  WMFTRACK* wt = nullptr;
  WMFHANDLES* wht = nullptr;

  State s;
  std::vector<State> saved;
  std::vector<Object> objects;
  std::uint64_t useClock = 0;

  enum class PathMode { None, Recording, Closed } pathMode = PathMode::None;
  std::vector<PathFigure> path;  // WMF only
  bool figureOpen = false;
  std::optional<U_RECTL> pathBounds;  // EMF: device bounds of what the path holds

  bool Emf() const { return kind == TMetafileKind::Emf; }
  bool Recording() const { return pathMode == PathMode::Recording; }
  static bool Same(TPoint a, TPoint b) { return a.x == b.x && a.y == b.y; }

  // ---- records ----
  void Put(char* rec) {
    if (!open) {
      free(rec);
      return;
    }
    if (!rec) {
      failed = true;
      return;
    }
    const int rc = Emf() ? emf_append(reinterpret_cast<PU_ENHMETARECORD>(rec), et, 1)
                         : wmf_append(reinterpret_cast<U_METARECORD*>(rec), wt, 1);
    if (rc) failed = true;
  }

  // ---- mapping (as the Qt canvas) ----
  TPoint ToDevice(std::int32_t x, std::int32_t y) const {
    if (s.mapMode == MM_TEXT) return {x - s.windowOrg.x + s.viewportOrg.x, y - s.windowOrg.y + s.viewportOrg.y};
    return {MulDivEven(std::int64_t(x) - s.windowOrg.x, s.viewportExt.cx, s.windowExt.cx) + s.viewportOrg.x,
            MulDivEven(std::int64_t(y) - s.windowOrg.y, s.viewportExt.cy, s.windowExt.cy) + s.viewportOrg.y};
  }
  TPoint ToLogical(std::int32_t x, std::int32_t y) const {
    if (s.mapMode == MM_TEXT) return {x - s.viewportOrg.x + s.windowOrg.x, y - s.viewportOrg.y + s.windowOrg.y};
    return {MulDivEven(std::int64_t(x) - s.viewportOrg.x, s.windowExt.cx, s.viewportExt.cx) + s.windowOrg.x,
            MulDivEven(std::int64_t(y) - s.viewportOrg.y, s.windowExt.cy, s.viewportExt.cy) + s.windowOrg.y};
  }
  double ScaleX() const { return s.mapMode == MM_TEXT ? 1.0 : double(s.viewportExt.cx) / s.windowExt.cx; }
  double ScaleY() const { return s.mapMode == MM_TEXT ? 1.0 : double(s.viewportExt.cy) / s.windowExt.cy; }
  std::int32_t LengthX(std::int32_t v) const {
    return s.mapMode == MM_TEXT ? std::abs(v) : std::abs(MulDivEven(v, s.viewportExt.cx, s.windowExt.cx));
  }
  std::int32_t LengthY(std::int32_t v) const {
    return s.mapMode == MM_TEXT ? std::abs(v) : std::abs(MulDivEven(v, s.viewportExt.cy, s.windowExt.cy));
  }
  TRect DeviceBox(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b) const {
    const TPoint p1 = ToDevice(l, t), p2 = ToDevice(r, b);
    return {std::min(p1.x, p2.x), std::min(p1.y, p2.y), std::max(p1.x, p2.x), std::max(p1.y, p2.y)};
  }
  TRect LogicalBox(const TRect& d) const {
    const TPoint a = ToLogical(d.Left, d.Top), b = ToLogical(d.Right, d.Bottom);
    return {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
  }

  // The device bounds GDI writes in a drawing record: inclusive, grown by
  // half the pen.
  U_RECTL Bounds(const TPoint* pts, int n, bool withPen) const {
    if (n <= 0) return RL(0, 0, -1, -1);
    TRect box{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN};
    for (int i = 0; i < n; ++i) {
      const TPoint d = ToDevice(pts[i].x, pts[i].y);
      box.Left = std::min(box.Left, d.x);
      box.Top = std::min(box.Top, d.y);
      box.Right = std::max(box.Right, d.x);
      box.Bottom = std::max(box.Bottom, d.y);
    }
    const std::int32_t grow = withPen && s.pen.Style != psClear ? (std::max(1, LengthX(s.pen.Width)) + 1) / 2 : 0;
    return RL(box.Left - grow, box.Top - grow, box.Right + grow, box.Bottom + grow);
  }
  U_RECTL BoxBounds(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b, bool withPen) const {
    const TPoint pts[2] = {{l, t}, {r, b}};
    return Bounds(pts, 2, withPen);
  }
  void AddPathBounds(const U_RECTL& b) {
    if (!pathBounds) {
      pathBounds = b;
      return;
    }
    pathBounds->left = std::min(pathBounds->left, b.left);
    pathBounds->top = std::min(pathBounds->top, b.top);
    pathBounds->right = std::max(pathBounds->right, b.right);
    pathBounds->bottom = std::max(pathBounds->bottom, b.bottom);
  }
  // Bounds for a drawing record; inside a path they widen the path's.
  U_RECTL Drawn(const U_RECTL& b) {
    if (Recording()) AddPathBounds(b);
    return b;
  }

  // EMF boxes are inclusive: GDI writes right and bottom one less in the
  // compatible graphics mode, and players add it back.
  static U_RECTL EmfBox(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b) {
    return RL(std::min(l, r), std::min(t, b), std::max(l, r) - 1, std::max(t, b) - 1);
  }

  // WMF: the window that maps the logical space onto the picture frame.
  void SyncWmfWindow() {
    if (Emf()) return;
    TPoint org;
    TSize ext;
    if (s.mapMode == MM_TEXT) {
      org = {s.windowOrg.x - s.viewportOrg.x, s.windowOrg.y - s.viewportOrg.y};
      ext = size;
    } else {
      org = ToLogical(0, 0);
      ext = {MulDivEven(size.cx, s.windowExt.cx, s.viewportExt.cx), MulDivEven(size.cy, s.windowExt.cy, s.viewportExt.cy)};
      if (ext.cx == 0) ext.cx = 1;
      if (ext.cy == 0) ext.cy = 1;
    }
    const std::pair<TPoint, TSize> window{org, ext};
    if (s.wmfWindow && Same(s.wmfWindow->first, org) && s.wmfWindow->second == ext) return;
    Put(U_WMRSETWINDOWORG_set(P16(org.x, org.y)));
    Put(U_WMRSETWINDOWEXT_set(P16(ext.cx, ext.cy)));
    s.wmfWindow = window;
  }

  // ---- objects ----
  static std::string PenKey(const TLogPen& p) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "P%d/%d/%u/%d/%d/%d", int(p.Style), p.Width, p.Color, int(p.Geometric),
                  int(p.EndCap), int(p.Join));
    return buf;
  }
  static std::string BrushKey(const TLogBrush& b) {
    std::string key = "B" + std::to_string(int(b.Style)) + "/" + std::to_string(b.Color) + "/" +
                      std::to_string(int(b.HasPattern));
    if (b.HasPattern) key.append(reinterpret_cast<const char*>(b.Pattern.Rows), 8);
    return key;
  }
  static std::string FontKey(const TLogFont& f) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "F%d/%d/%d/%d/%d%d%d/%d/", f.Height, f.Escapement, f.Orientation, f.Weight,
                  int(f.Italic), int(f.Underline), int(f.StrikeOut), int(f.CharSet));
    return buf + f.FaceName;
  }

  std::uint32_t CreatePenObject(const TLogPen& pen) {
    std::uint32_t ih = 0;
    const std::uint32_t style = PenStyleBits(pen);
    const std::int32_t width = std::max(0, pen.Width);
    if (!Emf()) {
      Put(wcreatepenindirect_set(&ih, wht, U_PEN_set(std::uint16_t(style), std::uint16_t(std::min(width, 32767)),
                                                     Color(pen.Color))));
    } else if (pen.Geometric) {
      PU_EXTLOGPEN elp = extlogpen_set(style | U_PS_GEOMETRIC, std::uint32_t(width), U_BS_SOLID, Color(pen.Color), 0, 0,
                                       nullptr);
      Put(extcreatepen_set(&ih, eht, nullptr, 0, nullptr, elp));
      free(elp);
    } else {
      Put(createpen_set(&ih, eht, logpen_set(style, point32_set(width, 0), Color(pen.Color))));
    }
    return ih;
  }

  std::uint32_t CreateBrushObject(const TLogBrush& brush) {
    std::uint32_t ih = 0;
    if (brush.HasPattern) {
      MonoDib dib(brush.Pattern);
      if (Emf()) Put(createmonobrush_set(&ih, eht, U_DIB_RGB_COLORS, dib.bmi, sizeof dib.px, dib.px));
      else Put(wcreatedibpatternbrush_srcdib_set(&ih, wht, U_DIB_RGB_COLORS, dib.bmi, sizeof dib.px, dib.px));
      return ih;
    }
    const auto [style, hatch] = BrushStyleBits(brush);
    if (Emf()) Put(createbrushindirect_set(&ih, eht, logbrush_set(style, Color(brush.Color), hatch)));
    else Put(wcreatebrushindirect_set(&ih, wht, U_WLOGBRUSH_set(std::uint16_t(style), Color(brush.Color), std::uint16_t(hatch))));
    return ih;
  }

  std::uint32_t CreateFontObject(const TLogFont& f) {
    std::uint32_t ih = 0;
    if (Emf()) {
      // EMF text is UTF-16: the face name too.
      uint16_t face[U_LF_FULLFACESIZE] = {};
      const std::u16string name = Utf16(f.FaceName);
      std::copy_n(name.begin(), std::min<size_t>(name.size(), U_LF_FACESIZE - 1), face);
      uint16_t style[U_LF_FACESIZE] = {};
      const U_LOGFONT lf = logfont_set(f.Height, 0, f.Escapement, f.Orientation, f.Weight, f.Italic, f.Underline,
                                       f.StrikeOut, f.CharSet, U_OUT_DEFAULT_PRECIS, U_CLIP_DEFAULT_PRECIS,
                                       U_DEFAULT_QUALITY, U_DEFAULT_PITCH | U_FF_DONTCARE, face);
      U_LOGFONT_PANOSE elfw = logfont_panose_set(lf, face, style, 0, panose_set(0, 0, 0, 0, 0, 0, 0, 0, 0, 0));
      Put(extcreatefontindirectw_set(&ih, eht, nullptr, reinterpret_cast<const char*>(&elfw)));
    } else {
      // WMF text is in the font's code page: GBK for the drawings' fonts.
      std::string face = Gbk(f.FaceName);
      if (face.size() > 31) face.resize(31);
      U_FONT* uf = U_FONT_set(Clamp16(f.Height), 0, Clamp16(f.Escapement), Clamp16(f.Orientation), Clamp16(f.Weight),
                              f.Italic, f.Underline, f.StrikeOut, f.CharSet, U_OUT_DEFAULT_PRECIS,
                              U_CLIP_DEFAULT_PRECIS, U_DEFAULT_QUALITY, U_DEFAULT_PITCH | U_FF_DONTCARE, face.data());
      Put(wcreatefontindirect_set(&ih, wht, uf));
      free(uf);
    }
    return ih;
  }

  bool Referenced(std::uint32_t h) const {
    auto uses = [h](const State& st) { return st.penH == h || st.brushH == h || st.fontH == h; };
    return uses(s) || std::any_of(saved.begin(), saved.end(), uses);
  }

  // The handle of an object made from key, created when missing. Objects are
  // kept for reuse (figures select the same few pens over and over) and the
  // least recently used ones no DC state holds are deleted beyond a limit.
  template <typename Create>
  std::uint32_t ObjectFor(const std::string& key, Create create) {
    ++useClock;
    for (Object& o : objects)
      if (o.key == key) {
        o.lastUse = useClock;
        return o.handle;
      }
    const std::uint32_t h = create();
    if (!h) return 0;
    objects.push_back({key, h, useClock});
    constexpr size_t kLimit = 48;
    while (objects.size() > kLimit) {
      auto victim = objects.end();
      for (auto it = objects.begin(); it != objects.end(); ++it)
        if (it->handle != h && !Referenced(it->handle) && (victim == objects.end() || it->lastUse < victim->lastUse))
          victim = it;
      if (victim == objects.end()) break;
      std::uint32_t dead = victim->handle;
      Put(Emf() ? deleteobject_set(&dead, eht) : wdeleteobject_set(&dead, wht));
      objects.erase(victim);
    }
    return h;
  }

  void Select(std::uint32_t h) {
    if (h) Put(Emf() ? selectobject_set(h, eht) : wselectobject_set(h, wht));
  }
  std::uint32_t PenHandle(const TLogPen& p) { return ObjectFor(PenKey(p), [&] { return CreatePenObject(p); }); }
  std::uint32_t BrushHandle(const TLogBrush& b) { return ObjectFor(BrushKey(b), [&] { return CreateBrushObject(b); }); }

  void SelectPenRecord() {
    s.penH = PenHandle(s.pen);
    Select(s.penH);
  }
  void SelectBrushRecord() {
    s.brushH = BrushHandle(s.brush);
    Select(s.brushH);
  }
  void EnsureFont() {
    if (s.fontH) return;
    s.fontH = ObjectFor(FontKey(s.font), [&] { return CreateFontObject(s.font); });
    Select(s.fontH);
  }
  // Runs draw with another brush or pen selected for a moment.
  template <typename Draw>
  void WithBrush(const TLogBrush& b, Draw draw) {
    if (b == s.brush) return draw();
    Select(BrushHandle(b));
    draw();
    if (s.brushH) Select(s.brushH);
    else SelectBrushRecord();
  }
  template <typename Draw>
  void WithPen(const TLogPen& p, Draw draw) {
    if (p == s.pen) return draw();
    Select(PenHandle(p));
    draw();
    if (s.penH) Select(s.penH);
    else SelectPenRecord();
  }

  // ---- WMF paths ----
  PathFigure& OpenFigure() {
    if (!figureOpen || path.empty()) {
      path.push_back({{s.current}, false});
      figureOpen = true;
    }
    return path.back();
  }
  void AddFigure(std::vector<TPoint> pts, bool closed) {
    path.push_back({std::move(pts), closed});
    figureOpen = false;
  }

  // Points of the ellipse in box from the ray through (xs, ys) to the ray
  // through (xe, ye) in the arc direction (the whole ellipse when full), in
  // logical units: WMF paths and nothing else flatten curves.
  std::vector<TPoint> ArcPoints(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b, std::int32_t xs,
                                std::int32_t ys, std::int32_t xe, std::int32_t ye, bool full) const {
    const double cx = (l + r) / 2.0, cy = (t + b) / 2.0;
    const double a = std::max(std::abs(r - l) / 2.0, 1e-9), bb = std::max(std::abs(b - t) / 2.0, 1e-9);
    const double a0 = full ? 0 : std::atan2((ys - cy) / bb, (xs - cx) / a);
    const double a1 = full ? 0 : std::atan2((ye - cy) / bb, (xe - cx) / a);
    // Counter-clockwise on the device is decreasing angle when both axes
    // keep their direction from logical to device (y down) and increasing
    // when one flips.
    bool increasing = (ScaleX() < 0) != (ScaleY() < 0);
    if (s.arcDirection == AD_CLOCKWISE) increasing = !increasing;
    double sweep = increasing ? a1 - a0 : a0 - a1;
    while (sweep <= 0) sweep += 2 * std::numbers::pi;
    if (full) sweep = 2 * std::numbers::pi;
    const int steps = std::max(4, int(std::ceil(sweep / (2 * std::numbers::pi) * 64)));
    std::vector<TPoint> pts;
    for (int i = 0; i <= steps; ++i) {
      const double ang = a0 + (increasing ? 1 : -1) * sweep * i / steps;
      pts.push_back({std::int32_t(std::lround(cx + a * std::cos(ang))), std::int32_t(std::lround(cy + bb * std::sin(ang)))});
    }
    if (full) pts.pop_back();
    return pts;
  }

  void WmfPolyPolygon() {
    std::vector<std::uint16_t> counts;
    std::vector<U_POINT16> pts;
    for (const PathFigure& f : path) {
      if (f.points.size() < 2) continue;
      counts.push_back(std::uint16_t(std::min<size_t>(f.points.size(), 8000)));
      for (size_t i = 0; i < counts.back(); ++i) pts.push_back(P16(f.points[i].x, f.points[i].y));
    }
    if (!counts.empty()) Put(U_WMRPOLYPOLYGON_set(std::uint16_t(counts.size()), counts.data(), pts.data()));
  }

  // ---- text ----
  QFont CurrentFont() const {
    const std::int32_t h = s.font.Height == 0 ? -12 : s.font.Height;
    const std::int32_t dev = std::max(1, LengthY(h));
    return QtFontFor(s.font, h < 0 ? -dev : dev);
  }
  QFontMetricsF Metrics() const { return QFontMetricsF(CurrentFont()); }

  void WriteText(std::int32_t x, std::int32_t y, std::string_view text) {
    EnsureFont();
    if (!Emf()) {
      SyncWmfWindow();
      std::string bytes = Gbk(text);
      if (bytes.size() > 30000) bytes.resize(30000);
      Put(U_WMRTEXTOUT_set(P16(x, y), bytes.data()));
      return;
    }
    const std::u16string str = Utf16(text);
    if (str.empty()) return;
    // Advances per UTF-16 unit in logical units, rounded from the running
    // total so they add up to the string's width.
    const QFontMetricsF fm = Metrics();
    const QString q = QString::fromUtf16(str.data(), qsizetype(str.size()));
    const double sx = std::abs(ScaleX());
    std::vector<std::uint32_t> dx(str.size(), 0);
    double total = 0;
    std::int32_t done = 0;
    for (qsizetype i = 0; i < q.size(); ++i) {
      const bool pair = q[i].isHighSurrogate() && i + 1 < q.size();
      total += fm.horizontalAdvance(q.mid(i, pair ? 2 : 1)) / sx;
      const std::int32_t upto = std::int32_t(std::lround(total));
      dx[size_t(i)] = std::uint32_t(upto - done);
      done = upto;
      if (pair) ++i;
    }
    const TPoint d = ToDevice(x, y);
    const std::int32_t w = LengthX(done) + 1, h = std::int32_t(std::ceil(fm.height())) + 1;
    const std::int32_t reach = s.font.Escapement % 3600 ? w + h : 0;
    const U_RECTL bounds = RL(d.x - w - reach, d.y - h - reach, d.x + w + reach, d.y + h + reach);
    char* emrtext = emrtext_set(point32_set(x, y), U_NUM_STR(str.size()), 2, const_cast<char16_t*>(str.data()), 0,
                                RL(0, 0, -1, -1), dx.data());
    if (!emrtext) {
      failed = true;
      return;
    }
    const float scale = float(2540.0 / logPixels);
    Put(U_EMREXTTEXTOUTW_set(Drawn(bounds), U_GM_COMPATIBLE, scale, scale, reinterpret_cast<PU_EMRTEXT>(emrtext)));
    free(emrtext);
  }

  // ---- regions ----
  PU_RGNDATA RegionData(const TRegion& rgn) const {
    const std::vector<TRect> rects = rgn.Rects();
    std::vector<U_RECTL> rl;
    TRect box;
    GetRgnBox(rgn, box);
    for (const TRect& r : rects) rl.push_back(RL(r.Left, r.Top, r.Right, r.Bottom));
    return rgndata_set(rgndataheader_set(U_NUM_RECTL(rl.size()), RL(box.Left, box.Top, box.Right, box.Bottom)),
                       rl.empty() ? nullptr : rl.data());
  }
  // WMF regions become PatBlts of their rectangles in logical units.
  void WmfPatRects(const TRegion& rgn, std::uint32_t rop) {
    SyncWmfWindow();
    for (const TRect& d : rgn.Rects()) {
      const TRect l = LogicalBox(d);
      Put(U_WMRPATBLT_set(P16(l.Left, l.Top), P16(l.Right - l.Left, l.Bottom - l.Top), rop));
    }
  }

  TRegion CurrentClip() const { return s.clip ? *s.clip : CreateRectRgn(0, 0, size.cx, size.cy); }
  int Complexity() const {
    if (!s.clip) return SIMPLEREGION;
    if (s.clip->IsEmpty()) return NULLREGION;
    return s.clip->Rects().size() == 1 ? SIMPLEREGION : COMPLEXREGION;
  }

  // ---- file ----
  void Start() {
    if (Emf()) {
      if (emf_start(fileName.c_str(), 1u << 20, 1u << 18, &et) || emf_htable_create(128, 128, &eht))
        throw EMetafileError("Cannot create the metafile " + fileName + ": " + std::strerror(errno));
      open = true;
      const std::int32_t wmm = std::max(1, std::int32_t(std::lround(size.cx * 25.4 / logPixels)));
      const std::int32_t hmm = std::max(1, std::int32_t(std::lround(size.cy * 25.4 / logPixels)));
      const U_RECTL bounds = RL(0, 0, std::max(0, size.cx - 1), std::max(0, size.cy - 1));
      // The frame in hundredths of a millimetre, inclusive like the bounds.
      const U_RECTL frame = RL(0, 0, std::int32_t(std::lround(size.cx * 2540.0 / logPixels)) - 1,
                               std::int32_t(std::lround(size.cy * 2540.0 / logPixels)) - 1);
      const std::u16string desc = std::u16string(u"Plandeck") + u'\0' + u"drawing" + u'\0' + u'\0';
      std::vector<uint16_t> d(desc.begin(), desc.end());
      Put(U_EMRHEADER_set(bounds, frame, nullptr, U_CBSTR(d.size()), d.data(), sizel_set(size.cx, size.cy),
                          sizel_set(wmm, hmm), 0));
    } else {
      if (wmf_start(fileName.c_str(), 1u << 20, 1u << 18, &wt) || wmf_htable_create(128, 128, &wht))
        throw EMetafileError("Cannot create the metafile " + fileName + ": " + std::strerror(errno));
      open = true;
      // The placeable frame: the picture in device pixels at logPixels.
      U_PAIRF* inches = U_PAIRF_set(float(double(size.cx) / logPixels), float(double(size.cy) / logPixels));
      char* header = U_WMRHEADER_set(inches, unsigned(logPixels));
      free(inches);
      if (!header || wmf_header_append(reinterpret_cast<U_METARECORD*>(header), wt, 1)) failed = true;
      Put(U_WMRSETMAPMODE_set(U_MM_ANISOTROPIC));
      SyncWmfWindow();
    }
  }

  void Free() {
    if (et) emf_free(&et);
    if (eht) emf_htable_free(&eht);
    if (wt) wmf_free(&wt);
    if (wht) wmf_htable_free(&wht);
  }

  // libUEMF 0.2.8 counts the placeable header in the WMF header's file size
  // and gets the largest record wrong; both are recomputed from the records.
  void FixWmfHeader() {
    std::fstream f(fileName, std::ios::in | std::ios::out | std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    if (!f.good() && !f.eof()) throw EMetafileError("Cannot reread the metafile " + fileName);
    const size_t start = U_SIZE_WMRPLACEABLE;
    if (bytes.size() < start + U_SIZE_WMRHEADER) throw EMetafileError("The metafile " + fileName + " is truncated");
    auto word = [&](size_t at) { return std::uint32_t(std::uint8_t(bytes[at])) | std::uint32_t(std::uint8_t(bytes[at + 1])) << 8; };
    std::uint32_t largest = 0;
    size_t at = start + U_SIZE_WMRHEADER;
    while (at + 6 <= bytes.size()) {
      const std::uint32_t words = word(at) | word(at + 2) << 16;
      if (words < 3 || at + size_t(words) * 2 > bytes.size())
        throw EMetafileError("The metafile " + fileName + " has a damaged record");
      largest = std::max(largest, words);
      at += size_t(words) * 2;
    }
    const std::uint32_t fileWords = std::uint32_t((bytes.size() - start) / 2);
    auto put32 = [&](size_t pos, std::uint32_t v) {
      for (int i = 0; i < 4; ++i) bytes[pos + size_t(i)] = char((v >> (8 * i)) & 0xFF);
    };
    put32(start + offsetof(U_WMRHEADER, Sizew), fileWords);
    put32(start + offsetof(U_WMRHEADER, maxSize), largest);
    f.clear();
    f.seekp(0);
    f.write(bytes.data(), std::streamsize(bytes.size()));
    f.flush();
    if (!f) throw EMetafileError("Cannot write the metafile " + fileName);
  }

  void Finish() {
    if (!open) return;
    if (pathMode != PathMode::None && Emf()) Put(U_EMRABORTPATH_set());
    int rc;
    if (Emf()) {
      Put(U_EMREOF_set(0, nullptr, et));
      rc = emf_finish(et, eht);
    } else {
      Put(U_WMREOF_set());
      rc = wmf_finish(wt);
    }
    open = false;
    Free();
    if (rc) throw EMetafileError("Cannot write the metafile " + fileName);
    if (failed) throw EMetafileError("The metafile " + fileName + " is incomplete: a record could not be made");
    if (!Emf()) FixWmfHeader();
  }
};

// ---------------------------------------------------------------------------

TMetafileCanvas::TMetafileCanvas(const std::string& fileName, TMetafileKind kind, TSize deviceSize, int logPixels)
    : d_(std::make_unique<Impl>()) {
  d_->fileName = fileName;
  d_->kind = kind;
  d_->size = {std::max(1, deviceSize.cx), std::max(1, deviceSize.cy)};
  d_->logPixels = logPixels > 0 ? logPixels : 96;
  try {
    d_->Start();
  } catch (...) {
    d_->Free();
    throw;
  }
}

TMetafileCanvas::~TMetafileCanvas() {
  try {
    d_->Finish();
  } catch (const EMetafileError&) {
    // Close() reports these; a destructor cannot.
  }
  d_->Free();
}

void TMetafileCanvas::Close() { d_->Finish(); }
TMetafileKind TMetafileCanvas::Kind() const { return d_->kind; }

int TMetafileCanvas::GetDeviceCaps(int index) const {
  const int px = d_->logPixels;
  switch (index) {
    case TECHNOLOGY: return DT_METAFILE;
    case LOGPIXELSX:
    case LOGPIXELSY: return px;
    case HORZRES: return d_->size.cx;
    case VERTRES: return d_->size.cy;
    case HORZSIZE: return int(std::lround(d_->size.cx * 25.4 / px));
    case VERTSIZE: return int(std::lround(d_->size.cy * 25.4 / px));
    default: return 0;
  }
}

int TMetafileCanvas::SaveDC() {
  d_->saved.push_back(d_->s);
  d_->Put(d_->Emf() ? U_EMRSAVEDC_set() : U_WMRSAVEDC_set());
  return int(d_->saved.size());
}

bool TMetafileCanvas::RestoreDC(int savedDC) {
  const int depth = int(d_->saved.size());
  const int level = savedDC < 0 ? depth + savedDC + 1 : savedDC;
  if (level < 1 || level > depth) return false;
  // Both formats take the level relative to the current one, negative.
  const int relative = level - depth - 1;
  d_->Put(d_->Emf() ? U_EMRRESTOREDC_set(relative) : U_WMRRESTOREDC_set(std::int16_t(relative)));
  d_->s = d_->saved[size_t(level - 1)];
  d_->saved.resize(size_t(level - 1));
  return true;
}

// ---- mapping ---------------------------------------------------------------
// EMF gets the calls as they come; WMF gets its window before the next
// drawing (SyncWmfWindow).

int TMetafileCanvas::SetMapMode(int mode) {
  const int old = d_->s.mapMode;
  if (mode != MM_TEXT && mode != MM_ANISOTROPIC) return 0;
  d_->s.mapMode = mode;
  if (mode == MM_TEXT) d_->s.windowExt = d_->s.viewportExt = TSize{1, 1};
  if (d_->Emf()) d_->Put(U_EMRSETMAPMODE_set(std::uint32_t(mode)));
  return old;
}
int TMetafileCanvas::GetMapMode() const { return d_->s.mapMode; }

TSize TMetafileCanvas::SetWindowExtEx(std::int32_t cx, std::int32_t cy) {
  const TSize old = d_->s.windowExt;
  if (d_->s.mapMode == MM_ANISOTROPIC && cx != 0 && cy != 0) {
    d_->s.windowExt = {cx, cy};
    if (d_->Emf()) d_->Put(U_EMRSETWINDOWEXTEX_set(sizel_set(cx, cy)));
  }
  return old;
}
TSize TMetafileCanvas::SetViewportExtEx(std::int32_t cx, std::int32_t cy) {
  const TSize old = d_->s.viewportExt;
  if (d_->s.mapMode == MM_ANISOTROPIC && cx != 0 && cy != 0) {
    d_->s.viewportExt = {cx, cy};
    if (d_->Emf()) d_->Put(U_EMRSETVIEWPORTEXTEX_set(sizel_set(cx, cy)));
  }
  return old;
}
TPoint TMetafileCanvas::SetWindowOrgEx(std::int32_t x, std::int32_t y) {
  if (d_->Emf()) d_->Put(U_EMRSETWINDOWORGEX_set(point32_set(x, y)));
  return std::exchange(d_->s.windowOrg, TPoint{x, y});
}
TPoint TMetafileCanvas::SetViewportOrgEx(std::int32_t x, std::int32_t y) {
  if (d_->Emf()) d_->Put(U_EMRSETVIEWPORTORGEX_set(point32_set(x, y)));
  return std::exchange(d_->s.viewportOrg, TPoint{x, y});
}
// EMF has no offset records: GDI writes the resulting origin.
TPoint TMetafileCanvas::OffsetWindowOrgEx(std::int32_t dx, std::int32_t dy) {
  const TPoint old = d_->s.windowOrg;
  SetWindowOrgEx(old.x + dx, old.y + dy);
  return old;
}
TPoint TMetafileCanvas::OffsetViewportOrgEx(std::int32_t dx, std::int32_t dy) {
  const TPoint old = d_->s.viewportOrg;
  SetViewportOrgEx(old.x + dx, old.y + dy);
  return old;
}
TSize TMetafileCanvas::GetWindowExtEx() const { return d_->s.windowExt; }
TSize TMetafileCanvas::GetViewportExtEx() const { return d_->s.viewportExt; }
TPoint TMetafileCanvas::GetWindowOrgEx() const { return d_->s.windowOrg; }
TPoint TMetafileCanvas::GetViewportOrgEx() const { return d_->s.viewportOrg; }

void TMetafileCanvas::LPtoDP(TPoint* points, int count) const {
  for (int i = 0; i < count; ++i) points[i] = d_->ToDevice(points[i].x, points[i].y);
}
void TMetafileCanvas::DPtoLP(TPoint* points, int count) const {
  for (int i = 0; i < count; ++i) points[i] = d_->ToLogical(points[i].x, points[i].y);
}

// ---- objects and attributes --------------------------------------------------

TLogPen TMetafileCanvas::SelectPen(const TLogPen& pen) {
  const TLogPen old = std::exchange(d_->s.pen, pen);
  if (!(old == pen)) d_->SelectPenRecord();
  return old;
}
TLogBrush TMetafileCanvas::SelectBrush(const TLogBrush& brush) {
  const TLogBrush old = std::exchange(d_->s.brush, brush);
  if (!(old == brush)) d_->SelectBrushRecord();
  return old;
}
// Fonts are created when text is first drawn with them: most selections in
// a drawing never reach a TextOut.
TLogFont TMetafileCanvas::SelectFont(const TLogFont& font) {
  const TLogFont old = std::exchange(d_->s.font, font);
  if (!(old == font)) d_->s.fontH = 0;
  return old;
}
const TLogPen& TMetafileCanvas::GetPen() const { return d_->s.pen; }
const TLogBrush& TMetafileCanvas::GetBrush() const { return d_->s.brush; }
const TLogFont& TMetafileCanvas::GetFont() const { return d_->s.font; }

// Recorded as it is; a player with pixels applies it, others ignore it.
int TMetafileCanvas::SetROP2(int rop2) {
  const int old = std::exchange(d_->s.rop2, rop2);
  if (old != rop2) d_->Put(d_->Emf() ? U_EMRSETROP2_set(std::uint32_t(rop2)) : U_WMRSETROP2_set(std::uint16_t(rop2)));
  return old;
}
int TMetafileCanvas::GetROP2() const { return d_->s.rop2; }
COLORREF TMetafileCanvas::SetTextColor(COLORREF c) {
  const COLORREF old = std::exchange(d_->s.textColor, c);
  if (old != c) d_->Put(d_->Emf() ? U_EMRSETTEXTCOLOR_set(Color(c)) : U_WMRSETTEXTCOLOR_set(Color(c)));
  return old;
}
COLORREF TMetafileCanvas::SetBkColor(COLORREF c) {
  const COLORREF old = std::exchange(d_->s.bkColor, c);
  if (old != c) d_->Put(d_->Emf() ? U_EMRSETBKCOLOR_set(Color(c)) : U_WMRSETBKCOLOR_set(Color(c)));
  return old;
}
int TMetafileCanvas::SetBkMode(int mode) {
  const int old = std::exchange(d_->s.bkMode, mode);
  if (old != mode) d_->Put(d_->Emf() ? U_EMRSETBKMODE_set(std::uint32_t(mode)) : U_WMRSETBKMODE_set(std::uint16_t(mode)));
  return old;
}
unsigned TMetafileCanvas::SetTextAlign(unsigned align) {
  const unsigned old = std::exchange(d_->s.textAlign, align);
  if (old != align) d_->Put(d_->Emf() ? U_EMRSETTEXTALIGN_set(align) : U_WMRSETTEXTALIGN_set(std::uint16_t(align)));
  return old;
}
int TMetafileCanvas::SetPolyFillMode(int mode) {
  const int old = std::exchange(d_->s.polyFillMode, mode);
  if (old != mode)
    d_->Put(d_->Emf() ? U_EMRSETPOLYFILLMODE_set(std::uint32_t(mode)) : U_WMRSETPOLYFILLMODE_set(std::uint16_t(mode)));
  return old;
}
// WMF has no arc direction: its arcs are written with the ends swapped.
int TMetafileCanvas::SetArcDirection(int dir) {
  const int old = std::exchange(d_->s.arcDirection, dir);
  if (old != dir && d_->Emf()) d_->Put(U_EMRSETARCDIRECTION_set(std::uint32_t(dir)));
  return old;
}
// WMF has no brush origin record; the state is kept for the caller.
TPoint TMetafileCanvas::SetBrushOrgEx(std::int32_t x, std::int32_t y) {
  const TPoint old = std::exchange(d_->s.brushOrg, TPoint{x, y});
  if (!Impl::Same(old, TPoint{x, y}) && d_->Emf()) d_->Put(U_EMRSETBRUSHORGEX_set(point32_set(x, y)));
  return old;
}

// ---- lines and shapes --------------------------------------------------------

TPoint TMetafileCanvas::MoveToEx(std::int32_t x, std::int32_t y) {
  const TPoint old = std::exchange(d_->s.current, TPoint{x, y});
  if (d_->Emf()) {
    d_->Put(U_EMRMOVETOEX_set(point32_set(x, y)));
  } else if (d_->Recording()) {
    d_->path.push_back({{TPoint{x, y}}, false});
    d_->figureOpen = true;
  } else {
    d_->SyncWmfWindow();
    d_->Put(U_WMRMOVETO_set(P16(x, y)));
  }
  return old;
}

void TMetafileCanvas::LineTo(std::int32_t x, std::int32_t y) {
  const TPoint from = std::exchange(d_->s.current, TPoint{x, y});
  if (d_->Emf()) {
    const TPoint pts[2] = {from, {x, y}};
    d_->Drawn(d_->Bounds(pts, 2, true));
    d_->Put(U_EMRLINETO_set(point32_set(x, y)));
  } else if (d_->Recording()) {
    d_->s.current = from;
    d_->OpenFigure().points.push_back({x, y});
    d_->s.current = {x, y};
  } else {
    d_->SyncWmfWindow();
    d_->Put(U_WMRLINETO_set(P16(x, y)));
  }
}

void TMetafileCanvas::Polyline(const TPoint* points, int count) {
  if (!points || count < 2) return;
  if (d_->Emf()) {
    std::vector<U_POINTL> pts;
    for (int i = 0; i < count; ++i) pts.push_back(point32_set(points[i].x, points[i].y));
    d_->Put(U_EMRPOLYLINE_set(d_->Drawn(d_->Bounds(points, count, true)), std::uint32_t(count), pts.data()));
  } else if (d_->Recording()) {
    d_->AddFigure(std::vector<TPoint>(points, points + count), false);
  } else {
    d_->SyncWmfWindow();
    std::vector<U_POINT16> pts;
    for (int i = 0; i < count && i < 8000; ++i) pts.push_back(P16(points[i].x, points[i].y));
    d_->Put(U_WMRPOLYLINE_set(std::uint16_t(pts.size()), pts.data()));
  }
}

void TMetafileCanvas::Polygon(const TPoint* points, int count) {
  if (!points || count < 2) return;
  if (d_->Emf()) {
    std::vector<U_POINTL> pts;
    for (int i = 0; i < count; ++i) pts.push_back(point32_set(points[i].x, points[i].y));
    d_->Put(U_EMRPOLYGON_set(d_->Drawn(d_->Bounds(points, count, true)), std::uint32_t(count), pts.data()));
  } else if (d_->Recording()) {
    d_->AddFigure(std::vector<TPoint>(points, points + count), true);
  } else {
    d_->SyncWmfWindow();
    std::vector<U_POINT16> pts;
    for (int i = 0; i < count && i < 8000; ++i) pts.push_back(P16(points[i].x, points[i].y));
    d_->Put(U_WMRPOLYGON_set(std::uint16_t(pts.size()), pts.data()));
  }
}

void TMetafileCanvas::Rectangle(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b) {
  if (d_->Emf()) {
    d_->Drawn(d_->BoxBounds(l, t, r, b, true));
    d_->Put(U_EMRRECTANGLE_set(Impl::EmfBox(l, t, r, b)));
  } else if (d_->Recording()) {
    d_->AddFigure({{l, t}, {r, t}, {r, b}, {l, b}}, true);
  } else {
    d_->SyncWmfWindow();
    d_->Put(U_WMRRECTANGLE_set(R16(l, t, r, b)));
  }
}

void TMetafileCanvas::RoundRect(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b, std::int32_t cornerW,
                                std::int32_t cornerH) {
  if (d_->Emf()) {
    d_->Drawn(d_->BoxBounds(l, t, r, b, true));
    d_->Put(U_EMRROUNDRECT_set(Impl::EmfBox(l, t, r, b), sizel_set(cornerW, cornerH)));
  } else if (d_->Recording()) {
    // Four quarter ellipses joined by the sides.
    const std::int32_t x0 = std::min(l, r), x1 = std::max(l, r), y0 = std::min(t, b), y1 = std::max(t, b);
    const std::int32_t cw = std::min(std::abs(cornerW), x1 - x0), ch = std::min(std::abs(cornerH), y1 - y0);
    std::vector<TPoint> pts;
    const int saved = d_->s.arcDirection;
    d_->s.arcDirection = AD_COUNTERCLOCKWISE;
    auto corner = [&](std::int32_t bx, std::int32_t by, double from, double to) {
      const std::int32_t cx = bx + cw / 2, cy = by + ch / 2;
      for (int i = 0; i <= 8; ++i) {
        const double a = from + (to - from) * i / 8;
        pts.push_back({std::int32_t(std::lround(cx + cw / 2.0 * std::cos(a))), std::int32_t(std::lround(cy + ch / 2.0 * std::sin(a)))});
      }
    };
    const double pi = std::numbers::pi;
    corner(x0, y0, pi, 1.5 * pi);
    corner(x1 - cw, y0, 1.5 * pi, 2 * pi);
    corner(x1 - cw, y1 - ch, 0, 0.5 * pi);
    corner(x0, y1 - ch, 0.5 * pi, pi);
    d_->s.arcDirection = saved;
    d_->AddFigure(std::move(pts), true);
  } else {
    d_->SyncWmfWindow();
    d_->Put(U_WMRROUNDRECT_set(Clamp16(cornerW), Clamp16(cornerH), R16(l, t, r, b)));
  }
}

void TMetafileCanvas::Ellipse(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b) {
  if (d_->Emf()) {
    d_->Drawn(d_->BoxBounds(l, t, r, b, true));
    d_->Put(U_EMRELLIPSE_set(Impl::EmfBox(l, t, r, b)));
  } else if (d_->Recording()) {
    d_->AddFigure(d_->ArcPoints(l, t, r, b, 0, 0, 0, 0, true), true);
  } else {
    d_->SyncWmfWindow();
    d_->Put(U_WMRELLIPSE_set(R16(l, t, r, b)));
  }
}

namespace {
enum class ArcKind { Arc, Chord, Pie };
}

static void ArcRecord(TMetafileCanvas::Impl& d, ArcKind kind, std::int32_t l, std::int32_t t, std::int32_t r,
                      std::int32_t b, std::int32_t xs, std::int32_t ys, std::int32_t xe, std::int32_t ye) {
  if (d.Emf()) {
    d.Drawn(d.BoxBounds(l, t, r, b, true));
    const U_RECTL box = TMetafileCanvas::Impl::EmfBox(l, t, r, b);
    const U_POINTL s = point32_set(xs, ys), e = point32_set(xe, ye);
    d.Put(kind == ArcKind::Arc ? U_EMRARC_set(box, s, e) : kind == ArcKind::Chord ? U_EMRCHORD_set(box, s, e)
                                                                                 : U_EMRPIE_set(box, s, e));
    return;
  }
  if (d.Recording()) {
    std::vector<TPoint> pts = d.ArcPoints(l, t, r, b, xs, ys, xe, ye, false);
    if (kind == ArcKind::Pie) pts.insert(pts.begin(), TPoint{(l + r) / 2, (t + b) / 2});
    d.AddFigure(std::move(pts), kind != ArcKind::Arc);
    return;
  }
  d.SyncWmfWindow();
  // WMF arcs run counter-clockwise; a clockwise arc is the same curve from
  // the other end.
  if (d.s.arcDirection == AD_CLOCKWISE) {
    std::swap(xs, xe);
    std::swap(ys, ye);
  }
  const U_POINT16 s = P16(xs, ys), e = P16(xe, ye);
  const U_RECT16 box = R16(l, t, r, b);
  d.Put(kind == ArcKind::Arc ? U_WMRARC_set(s, e, box) : kind == ArcKind::Chord ? U_WMRCHORD_set(s, e, box)
                                                                               : U_WMRPIE_set(s, e, box));
}

void TMetafileCanvas::Arc(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b, std::int32_t xs,
                          std::int32_t ys, std::int32_t xe, std::int32_t ye) {
  ArcRecord(*d_, ArcKind::Arc, l, t, r, b, xs, ys, xe, ye);
}
void TMetafileCanvas::Chord(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b, std::int32_t xs,
                            std::int32_t ys, std::int32_t xe, std::int32_t ye) {
  ArcRecord(*d_, ArcKind::Chord, l, t, r, b, xs, ys, xe, ye);
}
void TMetafileCanvas::Pie(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b, std::int32_t xs,
                          std::int32_t ys, std::int32_t xe, std::int32_t ye) {
  ArcRecord(*d_, ArcKind::Pie, l, t, r, b, xs, ys, xe, ye);
}

// ---- paths -----------------------------------------------------------------

void TMetafileCanvas::BeginPath() {
  d_->pathMode = Impl::PathMode::Recording;
  d_->path.clear();
  d_->figureOpen = false;
  d_->pathBounds.reset();
  if (d_->Emf()) d_->Put(U_EMRBEGINPATH_set());
}
void TMetafileCanvas::EndPath() {
  if (!d_->Recording()) return;
  d_->pathMode = Impl::PathMode::Closed;
  if (d_->Emf()) d_->Put(U_EMRENDPATH_set());
}
void TMetafileCanvas::AbortPath() {
  if (d_->pathMode != Impl::PathMode::None && d_->Emf()) d_->Put(U_EMRABORTPATH_set());
  d_->pathMode = Impl::PathMode::None;
  d_->path.clear();
}
void TMetafileCanvas::CloseFigure() {
  if (!d_->Recording()) return;
  if (d_->Emf()) {
    d_->Put(U_EMRCLOSEFIGURE_set());
  } else if (!d_->path.empty()) {
    d_->path.back().closed = true;
    d_->figureOpen = false;
  }
}

void TMetafileCanvas::StrokePath() {
  if (d_->pathMode != Impl::PathMode::Closed) return;
  if (d_->Emf()) {
    d_->Put(U_EMRSTROKEPATH_set(d_->pathBounds.value_or(RL(0, 0, -1, -1))));
  } else {
    d_->SyncWmfWindow();
    // Closed figures as polygons under a hollow brush, so they join where
    // they close; open ones as polylines.
    bool anyClosed = false;
    for (const PathFigure& f : d_->path) {
      if (f.points.size() < 2) continue;
      std::vector<U_POINT16> pts;
      for (size_t i = 0; i < f.points.size() && i < 8000; ++i) pts.push_back(P16(f.points[i].x, f.points[i].y));
      if (f.closed) {
        anyClosed = true;
        continue;
      }
      d_->Put(U_WMRPOLYLINE_set(std::uint16_t(pts.size()), pts.data()));
    }
    if (anyClosed) {
      d_->WithBrush(NullBrush(), [&] {
        for (const PathFigure& f : d_->path) {
          if (!f.closed || f.points.size() < 2) continue;
          std::vector<U_POINT16> pts;
          for (size_t i = 0; i < f.points.size() && i < 8000; ++i) pts.push_back(P16(f.points[i].x, f.points[i].y));
          d_->Put(U_WMRPOLYGON_set(std::uint16_t(pts.size()), pts.data()));
        }
      });
    }
  }
  d_->pathMode = Impl::PathMode::None;
  d_->path.clear();
}

void TMetafileCanvas::FillPath() {
  if (d_->pathMode != Impl::PathMode::Closed) return;
  if (d_->Emf()) {
    d_->Put(U_EMRFILLPATH_set(d_->pathBounds.value_or(RL(0, 0, -1, -1))));
  } else {
    d_->SyncWmfWindow();
    d_->WithPen(CreatePen(psClear, 0, clBlack), [&] { d_->WmfPolyPolygon(); });
  }
  d_->pathMode = Impl::PathMode::None;
  d_->path.clear();
}

void TMetafileCanvas::StrokeAndFillPath() {
  if (d_->pathMode != Impl::PathMode::Closed) return;
  if (d_->Emf()) {
    d_->Put(U_EMRSTROKEANDFILLPATH_set(d_->pathBounds.value_or(RL(0, 0, -1, -1))));
  } else {
    d_->SyncWmfWindow();
    d_->WmfPolyPolygon();
  }
  d_->pathMode = Impl::PathMode::None;
  d_->path.clear();
}

// ---- areas -------------------------------------------------------------------
// FillRect is a PatBlt with the brush selected for the moment, as GDI records it.

void TMetafileCanvas::FillRect(const TRect& rect, const TLogBrush& brush) {
  d_->WithBrush(brush, [&] { PatBlt(rect.Left, rect.Top, rect.Right - rect.Left, rect.Bottom - rect.Top, PATCOPY); });
}

void TMetafileCanvas::PatBlt(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h, std::uint32_t rop) {
  if (d_->Emf()) {
    const U_XFORM identity = xform_set(1, 0, 0, 1, 0, 0);
    d_->Put(U_EMRBITBLT_set(d_->BoxBounds(x, y, x + w, y + h, false), point32_set(x, y), point32_set(w, h),
                            point32_set(0, 0), identity, colorref3_set(0, 0, 0), U_DIB_RGB_COLORS, rop, nullptr, 0,
                            nullptr));
  } else {
    d_->SyncWmfWindow();
    d_->Put(U_WMRPATBLT_set(P16(x, y), P16(w, h), rop));
  }
}

void TMetafileCanvas::FillRgn(const TRegion& rgn, const TLogBrush& brush) {
  if (rgn.IsEmpty()) return;
  if (d_->Emf()) {
    const std::uint32_t ih = d_->BrushHandle(brush);
    PU_RGNDATA rd = d_->RegionData(rgn);
    TRect box;
    GetRgnBox(rgn, box);
    d_->Put(U_EMRFILLRGN_set(RL(box.Left, box.Top, box.Right - 1, box.Bottom - 1), ih, rd));
    free(rd);
  } else {
    d_->WithBrush(brush, [&] { d_->WmfPatRects(rgn, PATCOPY); });
  }
}

void TMetafileCanvas::PaintRgn(const TRegion& rgn) {
  if (rgn.IsEmpty()) return;
  if (d_->Emf()) {
    PU_RGNDATA rd = d_->RegionData(rgn);
    d_->Put(U_EMRPAINTRGN_set(rd));
    free(rd);
  } else {
    d_->WmfPatRects(rgn, PATCOPY);
  }
}

void TMetafileCanvas::FrameRgn(const TRegion& rgn, const TLogBrush& brush, std::int32_t w, std::int32_t h) {
  if (rgn.IsEmpty()) return;
  w = std::max(w, 1);
  h = std::max(h, 1);
  if (d_->Emf()) {
    const std::uint32_t ih = d_->BrushHandle(brush);
    PU_RGNDATA rd = d_->RegionData(rgn);
    TRect box;
    GetRgnBox(rgn, box);
    d_->Put(U_EMRFRAMERGN_set(RL(box.Left, box.Top, box.Right - 1, box.Bottom - 1), ih, sizel_set(w, h), rd));
    free(rd);
    return;
  }
  // The frame is what an erosion by w across and h down takes away.
  TRegion inner = rgn;
  const std::int32_t shifts[4][2] = {{w, 0}, {-w, 0}, {0, h}, {0, -h}};
  for (const auto& sh : shifts) {
    TRegion moved = rgn;
    OffsetRgn(moved, sh[0], sh[1]);
    CombineRgn(inner, inner, moved, RGN_AND);
  }
  TRegion frame;
  CombineRgn(frame, rgn, inner, RGN_DIFF);
  d_->WithBrush(brush, [&] { d_->WmfPatRects(frame, PATCOPY); });
}

void TMetafileCanvas::InvertRgn(const TRegion& rgn) {
  if (rgn.IsEmpty()) return;
  if (d_->Emf()) {
    PU_RGNDATA rd = d_->RegionData(rgn);
    d_->Put(U_EMRINVERTRGN_set(rd));
    free(rd);
  } else {
    d_->WmfPatRects(rgn, DSTINVERT);
  }
}

// ---- clipping ------------------------------------------------------------------

int TMetafileCanvas::IntersectClipRect(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b) {
  const TRect box = d_->DeviceBox(l, t, r, b);
  TRegion clip = d_->CurrentClip();
  CombineRgn(clip, clip, CreateRectRgn(box.Left, box.Top, box.Right, box.Bottom), RGN_AND);
  d_->s.clip = std::move(clip);
  if (d_->Emf()) {
    d_->Put(U_EMRINTERSECTCLIPRECT_set(RL(l, t, r, b)));
  } else {
    d_->SyncWmfWindow();
    d_->Put(U_WMRINTERSECTCLIPRECT_set(R16(l, t, r, b)));
  }
  return d_->Complexity();
}

int TMetafileCanvas::ExcludeClipRect(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b) {
  const TRect box = d_->DeviceBox(l, t, r, b);
  TRegion clip = d_->CurrentClip();
  CombineRgn(clip, clip, CreateRectRgn(box.Left, box.Top, box.Right, box.Bottom), RGN_DIFF);
  d_->s.clip = std::move(clip);
  if (d_->Emf()) {
    d_->Put(U_EMREXCLUDECLIPRECT_set(RL(l, t, r, b)));
  } else {
    d_->SyncWmfWindow();
    d_->Put(U_WMREXCLUDECLIPRECT_set(R16(l, t, r, b)));
  }
  return d_->Complexity();
}

int TMetafileCanvas::ExtSelectClipRgn(const TRegion* rgn, int mode) {
  if (mode < RGN_AND || mode > RGN_COPY) return RGN_ERROR;
  if (!rgn && mode != RGN_COPY) return RGN_ERROR;
  if (!rgn) {
    d_->s.clip.reset();
  } else if (mode == RGN_COPY) {
    d_->s.clip = *rgn;
  } else {
    TRegion clip = d_->CurrentClip();
    CombineRgn(clip, clip, *rgn, mode);
    d_->s.clip = std::move(clip);
  }
  if (d_->Emf()) {
    if (rgn) {
      PU_RGNDATA rd = d_->RegionData(*rgn);
      d_->Put(U_EMREXTSELECTCLIPRGN_set(std::uint32_t(mode), rd));
      free(rd);
    } else {
      // libUEMF makes no record without a region, which GDI writes for
      // SelectClipRgn(NULL): the fixed part alone, with no region data.
      auto* rec = static_cast<PU_EMREXTSELECTCLIPRGN>(calloc(1, U_SIZE_EMREXTSELECTCLIPRGN));
      if (rec) {
        rec->emr.iType = U_EMR_EXTSELECTCLIPRGN;
        rec->emr.nSize = U_SIZE_EMREXTSELECTCLIPRGN;
        rec->iMode = U_RGN_COPY;
      }
      d_->Put(reinterpret_cast<char*>(rec));
    }
    return d_->Complexity();
  }
  // WMF: handle 0 in SELECTCLIPREGION removes the clip; the clip is then
  // rebuilt from rectangles, exact while it is one rectangle or a rectangle
  // with holes cut by RGN_DIFF, else its bounding box.
  d_->SyncWmfWindow();
  auto intersectBox = [&](const TRegion& r) {
    TRect box;
    GetRgnBox(r, box);
    const TRect l = d_->LogicalBox(box);
    d_->Put(U_WMRINTERSECTCLIPRECT_set(R16(l.Left, l.Top, l.Right, l.Bottom)));
  };
  if (rgn && mode == RGN_DIFF) {
    for (const TRect& d : rgn->Rects()) {
      const TRect l = d_->LogicalBox(d);
      d_->Put(U_WMREXCLUDECLIPRECT_set(R16(l.Left, l.Top, l.Right, l.Bottom)));
    }
  } else if (rgn && mode == RGN_AND) {
    intersectBox(*rgn);
  } else {
    d_->Put(U_WMRSELECTCLIPREGION_set(0));
    if (d_->s.clip) intersectBox(*d_->s.clip);
  }
  return d_->Complexity();
}

int TMetafileCanvas::GetClipBox(TRect& box) const {
  TRect r{0, 0, d_->size.cx, d_->size.cy};
  if (d_->s.clip) GetRgnBox(*d_->s.clip, r);
  if (r.IsEmpty()) {
    box = {};
    return NULLREGION;
  }
  box = d_->LogicalBox(r);
  return d_->Complexity();
}

// ---- text ----------------------------------------------------------------------

void TMetafileCanvas::TextOut(std::int32_t x, std::int32_t y, std::string_view text) {
  if (text.empty()) return;
  d_->WriteText(x, y, text);
}

TSize TMetafileCanvas::GetTextExtentPoint(std::string_view text) const {
  const QFontMetricsF fm = d_->Metrics();
  const double w = fm.horizontalAdvance(QString::fromUtf8(text.data(), qsizetype(text.size()))) / std::abs(d_->ScaleX());
  const double h = (fm.ascent() + fm.descent()) / std::abs(d_->ScaleY());
  return {std::int32_t(std::lround(w)), std::int32_t(std::lround(h))};
}

TTextMetric TMetafileCanvas::GetTextMetrics() const {
  const QFont font = d_->CurrentFont();
  const QFontMetricsF fm(font);
  const double sy = std::abs(d_->ScaleY());
  TTextMetric tm;
  tm.tmAscent = std::int32_t(std::lround(fm.ascent() / sy));
  tm.tmDescent = std::int32_t(std::lround(fm.descent() / sy));
  tm.tmHeight = tm.tmAscent + tm.tmDescent;
  tm.tmInternalLeading = std::max(0, tm.tmHeight - std::int32_t(std::lround(font.pixelSize() / sy)));
  tm.tmAveCharWidth = std::int32_t(std::lround(fm.averageCharWidth() / std::abs(d_->ScaleX())));
  return tm;
}

// GDI lays DrawText out itself and records the lines as text records; so
// does this, with top-left alignment for the moment. Tabs and the clip to
// the rectangle are not recorded (the lines are written whole).
int TMetafileCanvas::DrawText(std::string_view text, TRect& rect, unsigned format) {
  const QFontMetricsF fm = d_->Metrics();
  QString str = QString::fromUtf8(text.data(), qsizetype(text.size()));
  str.remove(u'\r');
  if (format & DT_EXPANDTABS) str.replace(u'\t', QString(8, u' '));
  QStringList lines = (format & DT_SINGLELINE) ? QStringList{QString(str).replace(u'\n', u' ')} : str.split(u'\n');
  if (lines.size() > 1 && lines.last().isEmpty()) lines.removeLast();
  const double sx = std::abs(d_->ScaleX()), sy = std::abs(d_->ScaleY());
  const double lineHeight = (fm.ascent() + fm.descent()) / sy;
  const int height = int(std::lround(lineHeight * double(lines.size())));
  const int xdir = d_->ScaleX() < 0 ? -1 : 1, ydir = d_->ScaleY() < 0 ? -1 : 1;
  if (format & DT_CALCRECT) {
    double widest = 0;
    for (const QString& line : lines) widest = std::max(widest, fm.horizontalAdvance(line) / sx);
    rect.Right = rect.Left + xdir * std::int32_t(std::lround(widest));
    rect.Bottom = rect.Top + ydir * height;
    return height;
  }
  const TRect dev = d_->DeviceBox(rect.Left, rect.Top, rect.Right, rect.Bottom);
  const TRect box = d_->LogicalBox(dev);  // normalised
  const std::int32_t boxW = std::abs(rect.Right - rect.Left), boxH = std::abs(rect.Bottom - rect.Top);
  const std::int32_t left0 = xdir > 0 ? box.Left : box.Right, top0 = ydir > 0 ? box.Top : box.Bottom;
  double top = 0;
  if (format & DT_SINGLELINE) {
    if (format & DT_BOTTOM) top = boxH - lineHeight;
    else if (format & DT_VCENTER) top = (boxH - lineHeight) / 2;
  }
  const unsigned oldAlign = SetTextAlign(TA_LEFT | TA_TOP);
  for (const QString& line : lines) {
    const double width = fm.horizontalAdvance(line) / sx;
    double left = 0;
    if (format & DT_RIGHT) left = boxW - width;
    else if (format & DT_CENTER) left = (boxW - width) / 2;
    if (!line.isEmpty())
      d_->WriteText(left0 + xdir * std::int32_t(std::lround(left)), top0 + ydir * std::int32_t(std::lround(top)),
                    line.toStdString());
    top += lineHeight;
  }
  SetTextAlign(oldAlign);
  return height;
}

// ---- bitmaps -------------------------------------------------------------------

// The bitmap goes in as a 32-bit DIB (bottom-up, B G R 0 per pixel).
void TMetafileCanvas::StretchBlt(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h, const TBitmap& src,
                                 std::int32_t sx, std::int32_t sy, std::int32_t sw, std::int32_t sh,
                                 std::uint32_t rop) {
  if (src.IsEmpty() || w == 0 || h == 0 || sw == 0 || sh == 0) return;
  const int bw = src.Width(), bh = src.Height();
  std::vector<char> px(size_t(bw) * size_t(bh) * 4);
  for (int row = 0; row < bh; ++row)
    std::memcpy(px.data() + size_t(bh - 1 - row) * size_t(bw) * 4, src.ScanLine(row), size_t(bw) * 4);
  PU_BITMAPINFO bmi =
      bitmapinfo_set(bitmapinfoheader_set(bw, bh, 1, 32, U_BI_RGB, std::uint32_t(px.size()), 0, 0, 0, 0), nullptr);
  // DIB source rows count from the bottom.
  const std::int32_t dibY = bh - (sy + sh);
  if (d_->Emf()) {
    d_->Put(U_EMRSTRETCHDIBITS_set(d_->BoxBounds(x, y, x + w, y + h, false), point32_set(x, y), point32_set(w, h),
                                   point32_set(sx, dibY), point32_set(sw, sh), U_DIB_RGB_COLORS, rop, bmi,
                                   std::uint32_t(px.size()), px.data()));
  } else {
    d_->SyncWmfWindow();
    d_->Put(U_WMRSTRETCHDIB_set(P16(x, y), P16(w, h), P16(sx, dibY), P16(sw, sh), U_DIB_RGB_COLORS, rop, bmi,
                                std::uint32_t(px.size()), px.data()));
  }
  free(bmi);
}
