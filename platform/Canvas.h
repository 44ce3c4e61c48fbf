#pragma once
// TCanvas: the device context figures and views draw on.
//
// Why an interface shaped like GDI: one Paint per figure must draw on the
// screen, into off-screen bitmaps, on printers and into EMF/WMF files. So
// figures never see QPainter; they call this class, whose operations map one
// to one onto GDI calls and metafile records (object selection, MoveTo/LineTo,
// Polyline, Polygon, paths, Rectangle, Ellipse, Arc, TextOut, clipping,
// SaveDC/RestoreDC, mapping). Every coordinate handed in is a logical integer
// point and every style a GDI value, so a metafile backend can write records
// without interpreting anything. The Qt backend (QtCanvas.h) converts to device
// pixels itself, with the rounding the drawings rely on, and only then paints.
//
// Objects are selected by value (TLogPen, TLogBrush, TLogFont); Select*
// returns the previous one so callers restore it, and SaveDC/RestoreDC keep
// them with the rest of the state.

#include <cstdint>
#include <string_view>

#include "platform/Gdi.h"

class TRegion;
class TBitmap;

class TCanvas {
 public:
  virtual ~TCanvas() = default;
  TCanvas() = default;
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  // ---- device ----
  virtual int GetDeviceCaps(int index) const = 0;

  // ---- state ----
  // SaveDC returns the new save level (>= 1). RestoreDC takes a level, or a
  // negative number of levels back from the current one (-1: the last save).
  virtual int SaveDC() = 0;
  virtual bool RestoreDC(int savedDC) = 0;

  // ---- mapping ----
  // MM_TEXT (one unit per pixel, y down) or MM_ANISOTROPIC:
  // device = (logical - windowOrg) * viewportExt / windowExt + viewportOrg.
  virtual int SetMapMode(int mode) = 0;
  virtual int GetMapMode() const = 0;
  virtual TSize SetWindowExtEx(std::int32_t cx, std::int32_t cy) = 0;
  virtual TSize SetViewportExtEx(std::int32_t cx, std::int32_t cy) = 0;
  virtual TPoint SetWindowOrgEx(std::int32_t x, std::int32_t y) = 0;
  virtual TPoint SetViewportOrgEx(std::int32_t x, std::int32_t y) = 0;
  virtual TPoint OffsetWindowOrgEx(std::int32_t dx, std::int32_t dy) = 0;
  virtual TPoint OffsetViewportOrgEx(std::int32_t dx, std::int32_t dy) = 0;
  virtual TSize GetWindowExtEx() const = 0;
  virtual TSize GetViewportExtEx() const = 0;
  virtual TPoint GetWindowOrgEx() const = 0;
  virtual TPoint GetViewportOrgEx() const = 0;
  // In place; results are rounded to the nearest integer, halves to even.
  virtual void LPtoDP(TPoint* points, int count) const = 0;
  virtual void DPtoLP(TPoint* points, int count) const = 0;

  // ---- objects and attributes ----
  virtual TLogPen SelectPen(const TLogPen& pen) = 0;
  virtual TLogBrush SelectBrush(const TLogBrush& brush) = 0;
  virtual TLogFont SelectFont(const TLogFont& font) = 0;
  virtual const TLogPen& GetPen() const = 0;
  virtual const TLogBrush& GetBrush() const = 0;
  virtual const TLogFont& GetFont() const = 0;
  virtual int SetROP2(int rop2) = 0;
  virtual int GetROP2() const = 0;
  virtual COLORREF SetTextColor(COLORREF c) = 0;
  virtual COLORREF SetBkColor(COLORREF c) = 0;
  virtual int SetBkMode(int mode) = 0;  // TRANSPARENT or OPAQUE
  virtual unsigned SetTextAlign(unsigned align) = 0;
  virtual int SetPolyFillMode(int mode) = 0;  // ALTERNATE or WINDING
  virtual int SetArcDirection(int dir) = 0;   // AD_COUNTERCLOCKWISE / AD_CLOCKWISE
  virtual TPoint SetBrushOrgEx(std::int32_t x, std::int32_t y) = 0;  // device

  // ---- lines and shapes (logical coordinates) ----
  virtual TPoint MoveToEx(std::int32_t x, std::int32_t y) = 0;
  virtual void LineTo(std::int32_t x, std::int32_t y) = 0;
  virtual void Polyline(const TPoint* points, int count) = 0;
  virtual void Polygon(const TPoint* points, int count) = 0;
  // Bounding boxes exclude their right and bottom edges, as in GDI.
  virtual void Rectangle(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b) = 0;
  virtual void RoundRect(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b,
                         std::int32_t cornerW, std::int32_t cornerH) = 0;
  virtual void Ellipse(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b) = 0;
  // The arc runs from the ray through (xs, ys) to the ray through (xe, ye)
  // in the arc direction, which is counter-clockwise as seen on the device.
  virtual void Arc(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b,
                   std::int32_t xs, std::int32_t ys, std::int32_t xe, std::int32_t ye) = 0;
  virtual void Chord(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b,
                     std::int32_t xs, std::int32_t ys, std::int32_t xe, std::int32_t ye) = 0;
  virtual void Pie(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b,
                   std::int32_t xs, std::int32_t ys, std::int32_t xe, std::int32_t ye) = 0;

  // ---- paths ----
  // Between BeginPath and EndPath the drawing calls above only record; the
  // stroke then draws the whole path at once, so wide pens join cleanly.
  virtual void BeginPath() = 0;
  virtual void EndPath() = 0;
  virtual void AbortPath() = 0;
  virtual void CloseFigure() = 0;
  virtual void StrokePath() = 0;
  virtual void FillPath() = 0;
  virtual void StrokeAndFillPath() = 0;

  // ---- areas ----
  virtual void FillRect(const TRect& rect, const TLogBrush& brush) = 0;  // logical
  virtual void PatBlt(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
                      std::uint32_t rop) = 0;  // logical; PATCOPY, DSTINVERT, BLACKNESS, WHITENESS
  // Regions here are in device coordinates, as GDI takes them.
  virtual void FillRgn(const TRegion& rgn, const TLogBrush& brush) = 0;
  virtual void PaintRgn(const TRegion& rgn) = 0;  // with the selected brush
  virtual void FrameRgn(const TRegion& rgn, const TLogBrush& brush, std::int32_t w,
                        std::int32_t h) = 0;
  virtual void InvertRgn(const TRegion& rgn) = 0;

  // ---- clipping ----
  virtual int IntersectClipRect(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b) = 0;
  virtual int ExcludeClipRect(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b) = 0;
  // Device coordinates. RGN_COPY with a null region removes the clip.
  virtual int ExtSelectClipRgn(const TRegion* rgn, int mode) = 0;
  int SelectClipRgn(const TRegion* rgn) { return ExtSelectClipRgn(rgn, RGN_COPY); }
  // The clip (or the whole device) as a logical rectangle.
  virtual int GetClipBox(TRect& box) const = 0;

  // ---- text (UTF-8) ----
  virtual void TextOut(std::int32_t x, std::int32_t y, std::string_view text) = 0;
  // The extent with the selected font unrotated, in logical units.
  virtual TSize GetTextExtentPoint(std::string_view text) const = 0;
  virtual TTextMetric GetTextMetrics() const = 0;
  // Lines split at line feeds; DT_EXPANDTABS sets tab stops every eight
  // average character widths. Returns the text height in logical units.
  virtual int DrawText(std::string_view text, TRect& rect, unsigned format) = 0;

  // ---- bitmaps ----
  // Destination in logical units, source in bitmap pixels; negative sizes
  // mirror, as in StretchBlt.
  virtual void StretchBlt(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
                          const TBitmap& src, std::int32_t sx, std::int32_t sy, std::int32_t sw,
                          std::int32_t sh, std::uint32_t rop) = 0;
  void BitBlt(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h, const TBitmap& src,
              std::int32_t sx, std::int32_t sy, std::uint32_t rop);
};

// SaveDC on construction, RestoreDC of that level on destruction.
class TDCSaver {
 public:
  explicit TDCSaver(TCanvas& canvas) : canvas_(canvas), level_(canvas.SaveDC()) {}
  ~TDCSaver() { canvas_.RestoreDC(level_); }
  TDCSaver(const TDCSaver&) = delete;
  TDCSaver& operator=(const TDCSaver&) = delete;

 private:
  TCanvas& canvas_;
  int level_;
};
