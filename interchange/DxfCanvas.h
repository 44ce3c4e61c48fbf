#pragma once
// TDxfCanvas: a canvas that turns what a figure paints into DXF entities,
// for the figure kinds that have no DXF form of their own (arrow, dimension
// and edge lines, ellipses, rounded rectangles, splines, meshes, leader
// lines, positioning points). Lines, polylines and outlines become LINE and
// POLYLINE, circular arcs ARC, circles CIRCLE, small filled polygons (arrow
// heads) SOLID, and text TEXT. State, mapping and text measures come from an
// off-screen canvas it passes them to; fills and pictures are not written.

#include "interchange/DxfEntities.h"
#include "foundation/Comtype.h"
#include "platform/Bitmap.h"
#include "platform/Canvas.h"

#include <functional>
#include <memory>
#include <vector>

class TDxfCanvas final : public TCanvas {
public:
  // ToDxf maps a logical point to the drawing's DXF coordinates; Unit is
  // the length of one logical unit there.
  TDxfCanvas(DXF_Layer& Layer, std::function<Point3D(double, double)> ToDxf, double Unit);
  ~TDxfCanvas() override;

  int GetDeviceCaps(int index) const override { return FIn->GetDeviceCaps(index); }
  int SaveDC() override;
  bool RestoreDC(int savedDC) override;
  int SetMapMode(int mode) override { return FIn->SetMapMode(mode); }
  int GetMapMode() const override { return FIn->GetMapMode(); }
  TSize SetWindowExtEx(std::int32_t cx, std::int32_t cy) override { return FIn->SetWindowExtEx(cx, cy); }
  TSize SetViewportExtEx(std::int32_t cx, std::int32_t cy) override { return FIn->SetViewportExtEx(cx, cy); }
  TPoint SetWindowOrgEx(std::int32_t x, std::int32_t y) override { return FIn->SetWindowOrgEx(x, y); }
  TPoint SetViewportOrgEx(std::int32_t x, std::int32_t y) override { return FIn->SetViewportOrgEx(x, y); }
  TPoint OffsetWindowOrgEx(std::int32_t dx, std::int32_t dy) override { return FIn->OffsetWindowOrgEx(dx, dy); }
  TPoint OffsetViewportOrgEx(std::int32_t dx, std::int32_t dy) override { return FIn->OffsetViewportOrgEx(dx, dy); }
  TSize GetWindowExtEx() const override { return FIn->GetWindowExtEx(); }
  TSize GetViewportExtEx() const override { return FIn->GetViewportExtEx(); }
  TPoint GetWindowOrgEx() const override { return FIn->GetWindowOrgEx(); }
  TPoint GetViewportOrgEx() const override { return FIn->GetViewportOrgEx(); }
  void LPtoDP(TPoint* points, int count) const override { FIn->LPtoDP(points, count); }
  void DPtoLP(TPoint* points, int count) const override { FIn->DPtoLP(points, count); }
  TLogPen SelectPen(const TLogPen& pen) override { return FIn->SelectPen(pen); }
  TLogBrush SelectBrush(const TLogBrush& brush) override { return FIn->SelectBrush(brush); }
  TLogFont SelectFont(const TLogFont& font) override { return FIn->SelectFont(font); }
  const TLogPen& GetPen() const override { return FIn->GetPen(); }
  const TLogBrush& GetBrush() const override { return FIn->GetBrush(); }
  const TLogFont& GetFont() const override { return FIn->GetFont(); }
  int SetROP2(int rop2) override { return FIn->SetROP2(rop2); }
  int GetROP2() const override { return FIn->GetROP2(); }
  COLORREF SetTextColor(COLORREF c) override;
  COLORREF SetBkColor(COLORREF c) override { return FIn->SetBkColor(c); }
  int SetBkMode(int mode) override { return FIn->SetBkMode(mode); }
  unsigned SetTextAlign(unsigned align) override;
  int SetPolyFillMode(int mode) override { return FIn->SetPolyFillMode(mode); }
  int SetArcDirection(int dir) override;
  TPoint SetBrushOrgEx(std::int32_t x, std::int32_t y) override { return FIn->SetBrushOrgEx(x, y); }
  TPoint MoveToEx(std::int32_t x, std::int32_t y) override;
  void LineTo(std::int32_t x, std::int32_t y) override;
  void Polyline(const TPoint* points, int count) override;
  void Polygon(const TPoint* points, int count) override;
  void Rectangle(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b) override;
  void RoundRect(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b, std::int32_t cornerW,
                 std::int32_t cornerH) override;
  void Ellipse(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b) override;
  void Arc(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b, std::int32_t xs, std::int32_t ys,
           std::int32_t xe, std::int32_t ye) override;
  void Chord(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b, std::int32_t xs, std::int32_t ys,
             std::int32_t xe, std::int32_t ye) override;
  void Pie(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b, std::int32_t xs, std::int32_t ys,
           std::int32_t xe, std::int32_t ye) override;
  void BeginPath() override;
  void EndPath() override { FInPath = false; }
  void AbortPath() override;
  void CloseFigure() override;
  void StrokePath() override { EmitPath(); }
  void FillPath() override { EmitPath(); }
  void StrokeAndFillPath() override { EmitPath(); }
  void FillRect(const TRect&, const TLogBrush&) override {}
  void PatBlt(std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::uint32_t) override {}
  void FillRgn(const TRegion&, const TLogBrush&) override {}
  void PaintRgn(const TRegion&) override {}
  void FrameRgn(const TRegion&, const TLogBrush&, std::int32_t, std::int32_t) override {}
  void InvertRgn(const TRegion&) override {}
  int IntersectClipRect(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b) override {
    return FIn->IntersectClipRect(l, t, r, b);
  }
  int ExcludeClipRect(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b) override {
    return FIn->ExcludeClipRect(l, t, r, b);
  }
  int ExtSelectClipRgn(const TRegion* rgn, int mode) override { return FIn->ExtSelectClipRgn(rgn, mode); }
  // Everything is written, so everything is in view.
  int GetClipBox(TRect& box) const override;
  void TextOut(std::int32_t x, std::int32_t y, std::string_view text) override;
  TSize GetTextExtentPoint(std::string_view text) const override { return FIn->GetTextExtentPoint(text); }
  TTextMetric GetTextMetrics() const override { return FIn->GetTextMetrics(); }
  int DrawText(std::string_view text, TRect& rect, unsigned format) override;
  void StretchBlt(std::int32_t, std::int32_t, std::int32_t, std::int32_t, const TBitmap&, std::int32_t, std::int32_t,
                  std::int32_t, std::int32_t, std::uint32_t) override {}

private:
  struct TState {
    unsigned align = 0;
    int arcDir = 1;
    COLORREF text = 0;
  };
  struct TSub {
    std::vector<Tpt> pts;
    bool closed = false;
  };
  bool PenVisible() const;
  bool BrushVisible() const;
  void Emit(std::unique_ptr<DXF_Entity> E, COLORREF Colour);
  // Logical points to a LINE or POLYLINE.
  void EmitChain(const std::vector<Tpt>& Pts, bool Closed);
  void EmitPath();
  // The points of an elliptic arc in the box from angle A0 sweeping Sweep (radians).
  std::vector<Tpt> ArcPoints(double l, double t, double r, double b, double A0, double Sweep, int Steps) const;
  // Adds a circular arc as ARC, or its points when the box is no square.
  void ArcShape(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b, std::int32_t xs, std::int32_t ys,
                std::int32_t xe, std::int32_t ye, int Closing);

  DXF_Layer& FLayer;
  std::function<Point3D(double, double)> FToDxf;
  double FUnit;
  TBitmap FBitmap;
  std::unique_ptr<TCanvas> FIn;
  TState FState;
  std::vector<TState> FSaved;
  Tpt FPos;
  bool FInPath = false;
  std::vector<TSub> FPath;
};
