#include "interchange/DxfCanvas.h"

#include <algorithm>
#include <cmath>

namespace {
constexpr double kPi = 3.14159265358979323846;
}

TDxfCanvas::TDxfCanvas(DXF_Layer& Layer, std::function<Point3D(double, double)> ToDxf, double Unit)
    : FLayer(Layer), FToDxf(std::move(ToDxf)), FUnit(Unit), FBitmap(1, 1), FIn(CreateBitmapCanvas(FBitmap)) {
  // As the drawing view maps: y up, one logical unit per pixel.
  FIn->SetMapMode(MM_ANISOTROPIC);
  FIn->SetWindowExtEx(1, 1);
  FIn->SetViewportExtEx(1, -1);
}

TDxfCanvas::~TDxfCanvas() = default;

int TDxfCanvas::SaveDC() {
  FSaved.push_back(FState);
  return FIn->SaveDC();
}

bool TDxfCanvas::RestoreDC(int savedDC) {
  const int level = int(FSaved.size());
  const int target = savedDC < 0 ? level + savedDC : savedDC - 1;
  if (target >= 0 && target < level) {
    FState = FSaved[std::size_t(target)];
    FSaved.resize(std::size_t(target));
  }
  return FIn->RestoreDC(savedDC);
}

COLORREF TDxfCanvas::SetTextColor(COLORREF c) {
  FState.text = c;
  return FIn->SetTextColor(c);
}

unsigned TDxfCanvas::SetTextAlign(unsigned align) {
  const unsigned old = FState.align;
  FState.align = align;
  FIn->SetTextAlign(align);
  return old;
}

int TDxfCanvas::SetArcDirection(int dir) {
  const int old = FState.arcDir;
  FState.arcDir = dir;
  FIn->SetArcDirection(dir);
  return old;
}

int TDxfCanvas::GetClipBox(TRect& box) const {
  box = {-1000000000, -1000000000, 1000000000, 1000000000};
  return 2;  // SIMPLEREGION
}

bool TDxfCanvas::PenVisible() const { return GetPen().Style != psClear; }
bool TDxfCanvas::BrushVisible() const { return GetBrush().HasPattern || GetBrush().Style != bsClear; }

void TDxfCanvas::Emit(std::unique_ptr<DXF_Entity> E, COLORREF Colour) {
  E->setcolour(ColorToRGB(Colour));
  FLayer.add_entity(std::move(E));
}

void TDxfCanvas::EmitChain(const std::vector<Tpt>& Pts, bool Closed) {
  std::vector<Tpt> p;
  for (const Tpt& q : Pts)
    if (p.empty() || q.x != p.back().x || q.y != p.back().y) p.push_back(q);
  if (Closed && p.size() > 2 && p.front().x == p.back().x && p.front().y == p.back().y) p.pop_back();
  if (p.size() < 2) return;
  const COLORREF colour = GetPen().Color;
  if (p.size() == 2 && !Closed) {
    auto l = std::make_unique<Line_>();
    l->p1 = FToDxf(p[0].x, p[0].y);
    l->p2 = FToDxf(p[1].x, p[1].y);
    Emit(std::move(l), colour);
    return;
  }
  auto pl = std::make_unique<Polyline_>();
  pl->closed = Closed;
  for (const Tpt& q : p) {
    pl->vertices.push_back(FToDxf(q.x, q.y));
    pl->bulges.push_back(0);
  }
  Emit(std::move(pl), colour);
}

TPoint TDxfCanvas::MoveToEx(std::int32_t x, std::int32_t y) {
  const TPoint old{std::int32_t(FPos.x), std::int32_t(FPos.y)};
  FPos = {double(x), double(y)};
  if (FInPath) FPath.push_back({{FPos}, false});
  return old;
}

void TDxfCanvas::LineTo(std::int32_t x, std::int32_t y) {
  const Tpt to{double(x), double(y)};
  if (FInPath) {
    if (FPath.empty() || FPath.back().closed) FPath.push_back({{FPos}, false});
    FPath.back().pts.push_back(to);
  } else if (PenVisible()) {
    EmitChain({FPos, to}, false);
  }
  FPos = to;
}

void TDxfCanvas::Polyline(const TPoint* points, int count) {
  if (count < 2) return;
  std::vector<Tpt> p;
  for (int i = 0; i < count; ++i) p.push_back({double(points[i].x), double(points[i].y)});
  if (FInPath) FPath.push_back({p, false});
  else if (PenVisible()) EmitChain(p, false);
}

void TDxfCanvas::Polygon(const TPoint* points, int count) {
  if (count < 2) return;
  std::vector<Tpt> p;
  for (int i = 0; i < count; ++i) p.push_back({double(points[i].x), double(points[i].y)});
  if (FInPath) {
    FPath.push_back({p, true});
    return;
  }
  if (p.size() > 3 && p.front().x == p.back().x && p.front().y == p.back().y) p.pop_back();
  // A small filled polygon (an arrow head) is a SOLID.
  if (BrushVisible() && !GetBrush().HasPattern && GetBrush().Style == bsSolid && (p.size() == 3 || p.size() == 4)) {
    auto s = std::make_unique<Solid_>();
    // SOLID takes its corners in the order 1, 2, 4, 3.
    const std::size_t order[4] = {0, 1, p.size() == 4 ? 3u : 2u, 2};
    for (int i = 0; i < 4; ++i) s->corners[std::size_t(i)] = FToDxf(p[order[i]].x, p[order[i]].y);
    Emit(std::move(s), GetBrush().Color);
    if (!PenVisible()) return;
  }
  if (PenVisible() || BrushVisible()) EmitChain(p, true);
}

void TDxfCanvas::Rectangle(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b) {
  const TPoint p[4] = {{l, t}, {r, t}, {r, b}, {l, b}};
  if (FInPath) {
    Polygon(p, 4);
    return;
  }
  if (PenVisible()) {
    std::vector<Tpt> q;
    for (const TPoint& c : p) q.push_back({double(c.x), double(c.y)});
    EmitChain(q, true);
  }
}

std::vector<Tpt> TDxfCanvas::ArcPoints(double l, double t, double r, double b, double A0, double Sweep, int Steps) const {
  const double cx = (l + r) / 2, cy = (t + b) / 2, rx = std::abs(r - l) / 2, ry = std::abs(b - t) / 2;
  std::vector<Tpt> out;
  for (int i = 0; i <= Steps; ++i) {
    const double a = A0 + Sweep * i / Steps;
    out.push_back({cx + rx * std::cos(a), cy + ry * std::sin(a)});
  }
  return out;
}

void TDxfCanvas::RoundRect(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b, std::int32_t cornerW,
                           std::int32_t cornerH) {
  const double x0 = std::min(l, r), x1 = std::max(l, r), y0 = std::min(t, b), y1 = std::max(t, b);
  const double w = std::min(std::abs(double(cornerW)), x1 - x0) / 2, h = std::min(std::abs(double(cornerH)), y1 - y0) / 2;
  std::vector<Tpt> p;
  const double cx[4] = {x1 - w, x0 + w, x0 + w, x1 - w}, cy[4] = {y1 - h, y1 - h, y0 + h, y0 + h};
  for (int k = 0; k < 4; ++k) {
    const auto q = ArcPoints(cx[k] - w, cy[k] - h, cx[k] + w, cy[k] + h, k * kPi / 2, kPi / 2, 8);
    p.insert(p.end(), q.begin(), q.end());
  }
  if (FInPath) FPath.push_back({p, true});
  else if (PenVisible()) EmitChain(p, true);
}

void TDxfCanvas::Ellipse(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b) {
  const double w = std::abs(double(r) - l), h = std::abs(double(b) - t);
  if (!FInPath && w == h) {
    if (!PenVisible()) return;
    auto c = std::make_unique<Circle_>();
    c->p1 = FToDxf((l + r) / 2.0, (t + b) / 2.0);
    c->radius = w / 2 * FUnit;
    Emit(std::move(c), GetPen().Color);
    return;
  }
  const auto p = ArcPoints(l, t, r, b, 0, 2 * kPi, 72);
  if (FInPath) FPath.push_back({p, true});
  else if (PenVisible()) EmitChain(p, true);
}

void TDxfCanvas::ArcShape(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b, std::int32_t xs,
                          std::int32_t ys, std::int32_t xe, std::int32_t ye, int Closing) {
  const double cx = (l + r) / 2.0, cy = (t + b) / 2.0;
  double a0 = std::atan2(ys - cy, xs - cx), a1 = std::atan2(ye - cy, xe - cx);
  // The arc runs counter-clockwise from the start ray unless told otherwise.
  const bool ccw = FState.arcDir == AD_COUNTERCLOCKWISE;
  double sweep = ccw ? a1 - a0 : a0 - a1;
  while (sweep <= 0) sweep += 2 * kPi;
  const bool round = std::abs(double(r) - l) == std::abs(double(b) - t);
  const auto pts = ArcPoints(l, t, r, b, a0, ccw ? sweep : -sweep, std::max(8, int(sweep * 18 / kPi)));
  if (FInPath || !round) {
    std::vector<Tpt> p = pts;
    if (Closing == 2) p.push_back({cx, cy});
    if (FInPath) FPath.push_back({p, Closing != 0});
    else if (PenVisible()) EmitChain(p, Closing != 0);
    return;
  }
  if (!PenVisible()) return;
  auto a = std::make_unique<Arc_>();
  a->p1 = FToDxf(cx, cy);
  a->radius = std::abs(double(r) - l) / 2 * FUnit;
  // Angles measured in the drawing's frame: map two points, not the angles.
  const Point3D c = a->p1, s = FToDxf(pts.front().x, pts.front().y), e = FToDxf(pts.back().x, pts.back().y);
  double d0 = std::atan2(s.y - c.y, s.x - c.x) * 180 / kPi, d1 = std::atan2(e.y - c.y, e.x - c.x) * 180 / kPi;
  if (!ccw) std::swap(d0, d1);
  a->angle1 = d0, a->angle2 = d1;
  Emit(std::move(a), GetPen().Color);
  if (Closing == 1) EmitChain({pts.front(), pts.back()}, false);
  if (Closing == 2) EmitChain({pts.front(), {cx, cy}, pts.back()}, false);
}

void TDxfCanvas::Arc(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b, std::int32_t xs, std::int32_t ys,
                     std::int32_t xe, std::int32_t ye) {
  ArcShape(l, t, r, b, xs, ys, xe, ye, 0);
}
void TDxfCanvas::Chord(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b, std::int32_t xs,
                       std::int32_t ys, std::int32_t xe, std::int32_t ye) {
  ArcShape(l, t, r, b, xs, ys, xe, ye, 1);
}
void TDxfCanvas::Pie(std::int32_t l, std::int32_t t, std::int32_t r, std::int32_t b, std::int32_t xs, std::int32_t ys,
                     std::int32_t xe, std::int32_t ye) {
  ArcShape(l, t, r, b, xs, ys, xe, ye, 2);
}

void TDxfCanvas::BeginPath() {
  FPath.clear();
  FInPath = true;
}

void TDxfCanvas::AbortPath() {
  FPath.clear();
  FInPath = false;
}

void TDxfCanvas::CloseFigure() {
  if (!FPath.empty()) FPath.back().closed = true;
}

void TDxfCanvas::EmitPath() {
  FInPath = false;
  if (PenVisible() || BrushVisible())
    for (const TSub& s : FPath) EmitChain(s.pts, s.closed);
  FPath.clear();
}

void TDxfCanvas::TextOut(std::int32_t x, std::int32_t y, std::string_view text) {
  if (text.empty()) return;
  const TLogFont& f = GetFont();
  const TTextMetric m = GetTextMetrics();
  // The escapement turns the baseline counter-clockwise in a y-down frame
  // (as the painting canvas takes it): in this y-up logical frame the text
  // runs at minus that angle.
  const double angle = -f.Escapement / 10.0 * kPi / 180;
  const double em = f.Height < 0 ? -f.Height : std::max(1, m.tmHeight - m.tmInternalLeading);
  // DXF places a text by its baseline; GDI by the top unless told otherwise.
  // A text hung from its top stands one font size lower, where a label's box
  // starts: read back, it is a label at the same place.
  double down = 0;
  if ((FState.align & TA_BASELINE) == TA_BASELINE) down = 0;
  else if (FState.align & TA_BOTTOM) down = -m.tmDescent;
  else down = em;
  const Tpt base{x + down * std::sin(angle), y - down * std::cos(angle)};
  auto t = std::make_unique<Text_>();
  t->p1 = FToDxf(base.x, base.y);
  t->h = DxfTextHeight(em * FUnit);
  t->textstr = std::string(text);
  // Measured in the drawing's frame, as the arcs are.
  const Point3D dir = FToDxf(base.x + 100 * std::cos(angle), base.y + 100 * std::sin(angle));
  t->xzjd = std::atan2(dir.y - t->p1.y, dir.x - t->p1.x) * 180 / kPi;
  const unsigned h = FState.align & TA_CENTER;
  if (h == TA_CENTER || h == TA_RIGHT) {
    t->hor_align = h == TA_CENTER ? 1 : 2;
    t->has_align = true;
    t->align_pt = t->p1;
  }
  Emit(std::move(t), FState.text);
}

int TDxfCanvas::DrawText(std::string_view text, TRect& rect, unsigned format) {
  const int height = FIn->DrawText(text, rect, format);
  if (format & DT_CALCRECT) return height;
  const TTextMetric m = GetTextMetrics();
  const int line = std::max(1, m.tmHeight);
  const unsigned old = FState.align;
  FState.align = (format & DT_CENTER) ? TA_CENTER : (format & DT_RIGHT) ? TA_RIGHT : TA_LEFT;
  const int x = (format & DT_CENTER) ? (rect.Left + rect.Right) / 2 : (format & DT_RIGHT) ? rect.Right : rect.Left;
  // y points up: the first line sits at the rectangle's upper edge.
  int y = std::max(rect.Top, rect.Bottom);
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string part(text.substr(start, end - start));
    // A tab is room on the sheet, a tab at the end none: TEXT holds no tabs.
    while (!part.empty() && (part.back() == '\r' || part.back() == '\t')) part.pop_back();
    std::replace(part.begin(), part.end(), '\t', ' ');
    TextOut(x, y, part);
    y -= line;
    start = end + 1;
  }
  FState.align = old;
  return height;
}
