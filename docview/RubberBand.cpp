#include "docview/RubberBand.h"

#include "docview/RectHelpers.h"
#include "platform/Canvas.h"

#include <algorithm>

bool operator==(const TRubberShape& A, const TRubberShape& B) {
  return A.Kind == B.Kind && A.Width == B.Width && A.Color == B.Color && A.Style == B.Style &&
         std::equal(A.Points.begin(), A.Points.end(), B.Points.begin(), B.Points.end(),
                    [](TPoint p, TPoint q) { return p.x == q.x && p.y == q.y; });
}

TRect TRubberShape::Bounds() const {
  if (Points.empty()) return {};
  TRect r{Points[0].x, Points[0].y, Points[0].x, Points[0].y};
  for (const TPoint& p : Points) r = UnionRect(r, TRect{p.x, p.y, p.x, p.y});
  return ExpandRect(r, Width + 2);
}

void TRubberShape::Paint(TCanvas& DC) const {
  if (Points.empty()) return;
  DC.SelectPen(CreatePen(Style, Width, Color));
  DC.SelectBrush(NullBrush());
  DC.SetROP2(R2_NOTXORPEN);
  const int n = static_cast<int>(Points.size());
  switch (Kind) {
    case rkPolyline: DC.Polyline(Points.data(), n); break;
    case rkPolygon: DC.Polygon(Points.data(), n); break;
    case rkRectangle:
      if (n >= 2) DC.Rectangle(Points[0].x, Points[0].y, Points[1].x, Points[1].y);
      break;
    case rkEllipse:
      if (n >= 2) DC.Ellipse(Points[0].x, Points[0].y, Points[1].x, Points[1].y);
      break;
  }
}

TRect TRubberOverlay::Invert(const TRubberShape& Shape) {
  const auto it = std::find(FShapes.begin(), FShapes.end(), Shape);
  if (it != FShapes.end())
    FShapes.erase(it);
  else
    FShapes.push_back(Shape);
  return Shape.Bounds();
}

TRect TRubberOverlay::Clear() {
  TRect r;
  bool any = false;
  for (const TRubberShape& s : FShapes) {
    r = any ? UnionRect(r, s.Bounds()) : s.Bounds();
    any = true;
  }
  FShapes.clear();
  return r;
}

void TRubberOverlay::Paint(TCanvas& DC) const {
  if (FShapes.empty()) return;
  TDCSaver saved(DC);
  for (const TRubberShape& s : FShapes) s.Paint(DC);
}
