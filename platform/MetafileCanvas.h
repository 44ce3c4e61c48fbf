#pragma once
// The metafile backend of TCanvas: the same drawing calls the screen gets,
// written as enhanced (EMF) or Windows (WMF, with the placeable header)
// metafile records through libUEMF.
//
// What is recorded is what a GDI metafile DC records: object creation and
// selection, attribute and mapping changes, SaveDC/RestoreDC, clipping and
// the drawing calls in logical coordinates. The canvas also keeps the DC
// state itself, so Get* queries, LPtoDP and text metrics answer as on screen.
//
// Calls with no metafile record (reading pixels back, ROP2 on a picture that
// has no pixels) behave as noted at each override in MetafileCanvas.cpp.

#include <memory>
#include <stdexcept>
#include <string>

#include "platform/Canvas.h"

enum class TMetafileKind { Wmf = 1, Emf = 2 };

// A metafile could not be created or written; the message names the file.
class EMetafileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TMetafileCanvas final : public TCanvas {
 public:
  // Creates fileName at once (EMetafileError when it cannot be created).
  // deviceSize is the picture in device pixels at logPixels per inch: the
  // reference device of the EMF header and the WMF placeable frame.
  TMetafileCanvas(const std::string& fileName, TMetafileKind kind, TSize deviceSize,
                  int logPixels = 96);
  // Closes the file if Close was not called; errors are lost there, so call
  // Close to learn of them.
  ~TMetafileCanvas() override;

  // Writes the end-of-file record and the header totals and closes the file;
  // throws EMetafileError on failure. Later drawing calls do nothing.
  void Close();
  TMetafileKind Kind() const;

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

  struct Impl;

 private:
  std::unique_ptr<Impl> d_;
};
