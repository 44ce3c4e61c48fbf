#pragma once
// The QPainter backend of TCanvas, and the Qt side of the plain platform
// types. Views, printing and tests include this; figures do not.
//
// Geometry is converted to device pixels here (integer, halves to even) and
// painted with an identity painter transform, so Qt never re-rounds a point:
// integer device coordinates give GDI's pixels under Qt's aliased rules.
// Antialiasing is off for geometry unless SetGeometryAntialiasing turns it
// on, and always on for text.

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRegion>
#include <memory>

#include "platform/Bitmap.h"
#include "platform/Canvas.h"
#include "platform/Region.h"

class QPaintDevice;
class QPainter;

QColor ColorRefToQColor(COLORREF c);
COLORREF QColorToColorRef(const QColor& c);

// The Qt objects behind the plain handles.
struct TRegion::Impl {
  QRegion rgn;
};
struct TBitmap::Impl {
  QImage image;  // Format_RGB32
};
inline const QRegion& QtRegion(const TRegion& r) { return r.impl().rgn; }
TRegion RegionFromQt(const QRegion& r);
inline QImage& QtImage(TBitmap& b) { return b.impl().image; }
inline const QImage& QtImage(const TBitmap& b) { return b.impl().image; }

// The family a Windows face name resolves to here. Faces that are not
// installed (宋体, 黑体, SimSun ...) fall back to an installed CJK family, so
// Chinese never renders as boxes. Empty when no CJK family is installed.
QString CjkFallbackFamily();
// deviceHeight is the LOGFONT height in device pixels, with its sign.
QFont QtFontFor(const TLogFont& font, int deviceHeight);

class TQtCanvas final : public TCanvas {
 public:
  // technology: DT_RASDISPLAY for screens and bitmaps, DT_RASPRINTER for
  // printers. logPixels 0 takes the device's own resolution.
  TQtCanvas(QPaintDevice* device, int technology = DT_RASDISPLAY, int logPixels = 0);
  // Draws through a painter someone else began (a widget's paint event).
  explicit TQtCanvas(QPainter& painter, int technology = DT_RASDISPLAY, int logPixels = 0);
  ~TQtCanvas() override;

  // The painter itself, for drawing the canvas does not offer. Whatever the
  // caller changes on it, the canvas puts its own state back before it
  // paints again.
  QPainter& Painter();
  // Ends painting now (a printer finishes its file); later calls do nothing.
  void Finish();
  // Starts the next sheet of a paged device (printer, PDF); false elsewhere.
  bool NewPage();
  void SetGeometryAntialiasing(bool on);

  int GetDeviceCaps(int index) const override;
  int SaveDC() override;
  bool RestoreDC(int savedDC) override;

  int SetMapMode(int mode) override;
  int GetMapMode() const override;
  TSize SetWindowExtEx(std::int32_t cx, std::int32_t cy) override;
  TSize SetViewportExtEx(std::int32_t cx, std::int32_t cy) override;
  TPoint SetWindowOrgEx(std::int32_t x, std::int32_t y) override;
  TPoint SetViewportOrgEx(std::int32_t x, std::int32_t y) override;
  TPoint OffsetWindowOrgEx(std::int32_t dx, std::int32_t dy) override;
  TPoint OffsetViewportOrgEx(std::int32_t dx, std::int32_t dy) override;
  TSize GetWindowExtEx() const override;
  TSize GetViewportExtEx() const override;
  TPoint GetWindowOrgEx() const override;
  TPoint GetViewportOrgEx() const override;
  void LPtoDP(TPoint* points, int count) const override;
  void DPtoLP(TPoint* points, int count) const override;

  TLogPen SelectPen(const TLogPen& pen) override;
  TLogBrush SelectBrush(const TLogBrush& brush) override;
  TLogFont SelectFont(const TLogFont& font) override;
  const TLogPen& GetPen() const override;
  const TLogBrush& GetBrush() const override;
  const TLogFont& GetFont() const override;
  int SetROP2(int rop2) override;
  int GetROP2() const override;
  COLORREF SetTextColor(COLORREF c) override;
  COLORREF SetBkColor(COLORREF c) override;
  int SetBkMode(int mode) override;
  unsigned SetTextAlign(unsigned align) override;
  int SetPolyFillMode(int mode) override;
  int SetArcDirection(int dir) override;
  TPoint SetBrushOrgEx(std::int32_t x, std::int32_t y) override;

  TPoint MoveToEx(std::int32_t x, std::int32_t y) override;
  void LineTo(std::int32_t x, std::int32_t y) override;
  void Polyline(const TPoint* points, int count) override;
  void Polygon(const TPoint* points, int count) override;
  void Rectangle(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b) override;
  void RoundRect(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b,
                 std::int32_t cornerW, std::int32_t cornerH) override;
  void Ellipse(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b) override;
  void Arc(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b, std::int32_t xs,
           std::int32_t ys, std::int32_t xe, std::int32_t ye) override;
  void Chord(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b, std::int32_t xs,
             std::int32_t ys, std::int32_t xe, std::int32_t ye) override;
  void Pie(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b, std::int32_t xs,
           std::int32_t ys, std::int32_t xe, std::int32_t ye) override;

  void BeginPath() override;
  void EndPath() override;
  void AbortPath() override;
  void CloseFigure() override;
  void StrokePath() override;
  void FillPath() override;
  void StrokeAndFillPath() override;

  void FillRect(const TRect& rect, const TLogBrush& brush) override;
  void PatBlt(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
              std::uint32_t rop) override;
  void FillRgn(const TRegion& rgn, const TLogBrush& brush) override;
  void PaintRgn(const TRegion& rgn) override;
  void FrameRgn(const TRegion& rgn, const TLogBrush& brush, std::int32_t w,
                std::int32_t h) override;
  void InvertRgn(const TRegion& rgn) override;

  int IntersectClipRect(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b) override;
  int ExcludeClipRect(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b) override;
  int ExtSelectClipRgn(const TRegion* rgn, int mode) override;
  int GetClipBox(TRect& box) const override;

  void TextOut(std::int32_t x, std::int32_t y, std::string_view text) override;
  TSize GetTextExtentPoint(std::string_view text) const override;
  TTextMetric GetTextMetrics() const override;
  int DrawText(std::string_view text, TRect& rect, unsigned format) override;

  void StretchBlt(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h,
                  const TBitmap& src, std::int32_t sx, std::int32_t sy, std::int32_t sw,
                  std::int32_t sh, std::uint32_t rop) override;

  struct State;

 private:
  struct Impl;
  std::unique_ptr<Impl> d_;
};
