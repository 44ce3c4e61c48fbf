#pragma once
// What the three line families (arrow, dimension and edge lines) share:
// reading and writing points, bounds, hit bounds of a segment, snapping to
// local points and the pieces of their property dialogs' models.

#include "figures/FigureKit.h"
#include "figures/FigureSet.h"
#include "figures/FigureText.h"
#include "figures/LineFigures.h"
#include "foundation/ValueStream.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace LineKit {

inline std::int32_t Round(double v) { return ptodp({v, 0}).x; }

// Block explode: Set's frame into Set's parent frame.
inline Tpt ExplodePt(Tpt p, const TCustomFigureSet& Set) { return ExplodePoint(p, Set); }

// A length, spacing or count: refused unless above zero.
inline bool ParsePositive(std::string_view s, double& Value) { return ParseFloat(s, Value) && Value > 0; }

inline std::string IdentOf(const TDocItem& Item) {
  std::vector<std::string> path;
  Item.GetIndexPath(path);
  return path.back();
}

inline void ReadPt(TReader& Reader, Tpt& P) {
  P.x = Reader.ReadFloat();
  P.y = Reader.ReadFloat();
}

inline void WritePt(TWriter& Writer, Tpt P) {
  Writer.WriteFloat(P.x);
  Writer.WriteFloat(P.y);
}

// The figure's bounding box in logical units around the given local points.
inline TRect LogBox(const TCustomFigure& F, std::initializer_list<Tpt> Points) {
  bool first = true;
  TRect r;
  for (Tpt p : Points) {
    const TPoint d = ptodp(F.xyTransLogPt(p.x, p.y));
    if (first) {
      r = {d.x, d.y, d.x, d.y};
      first = false;
    } else {
      r.Left = std::min(r.Left, d.x);
      r.Top = std::min(r.Top, d.y);
      r.Right = std::max(r.Right, d.x);
      r.Bottom = std::max(r.Bottom, d.y);
    }
  }
  return r;
}

inline void FillCommon(const TCustomFigure& F, TLineCommonProperties& P) {
  P.Ident = IdentOf(F);
  P.PenColor = F.FPen.Color;
  P.PenStyle = F.FPen.Style;
  P.LineWidth = std::to_string(F.FPen.Width);
  P.LayerIndex = F.GetLayerIndex();
}

inline void ApplyPen(TCustomFigure& F, const TLineCommonProperties& P) {
  F.FPen.Color = P.PenColor;
  if (P.PenStyle >= psSolid && P.PenStyle <= psInsideFrame) F.FPen.Style = static_cast<TPenStyle>(P.PenStyle);
}

inline bool ApplyLineWidth(TCustomFigure& F, const TLineCommonProperties& P) {
  int w = 0;
  if (!ParseInt(P.LineWidth, w) || w < 0) return false;
  F.FPen.Width = w;
  return true;
}

inline void ApplyLayer(TCustomFigure& F, const TLineCommonProperties& P) {
  if (F.FParent) F.FParent->ExchangeFigureLayer(&F, F.GetLayerIndex(), P.LayerIndex);
}

inline void UserPt(const TCustomFigure& F, Tpt P, std::string& X, std::string& Y) {
  Tpt q;
  F.TransUserPt(P, q);
  X = Format("%1.3f", q.x);
  Y = Format("%1.3f", q.y);
}

inline bool SysPt(const TCustomFigure& F, const std::string& X, const std::string& Y, Tpt& P) {
  Tpt u;
  if (!ParseFloat(X, u.x) || !ParseFloat(Y, u.y)) return false;
  F.TransSysPt(u, P);
  return true;
}

// A local length as the dialogs show it, and back.
inline std::string UserLen(const TCustomFigure& F, double V) { return Format("%1.3f", F.TransUserV(F.GetScale() * V)); }
inline bool SysLen(const TCustomFigure& F, const std::string& S, double& V) {
  double u = 0;
  if (!ParsePositive(S, u)) return false;
  V = F.TransSysV(u) / F.GetScale();
  return true;
}


// Where pjjbx(P, segment A-B, ShowScale) can be true, as a logical box: the
// pick distance round the segment, and the thin ellipse of pinbx.
inline bool SegmentHitBounds(const TCustomFigure& F, Tpt A, Tpt B, double ShowScale, TDBox& Box) {
  if (!(ShowScale > 0)) return false;
  const double len = Dist(A, B);
  const double reach = std::max(PickPixels / ShowScale, std::sqrt(len * EPS / 2 + EPS * EPS)) + EPS;
  const Tpt a = F.xyTransLogPt(A.x, A.y), b = F.xyTransLogPt(B.x, B.y);
  // Mapping keeps distances up to the scale; one unit more for rounding.
  const double r = reach * F.GetAbsParentScale() + 1;
  Box = {std::min(a.x, b.x) - r, std::min(a.y, b.y) - r, std::max(a.x, b.x) + r, std::max(a.y, b.y) + r};
  return std::isfinite(r);
}


// Snapping shared by the three figures: end points, then midpoints, then
// the arc centre, then the nearest point on the line (or arc). Points are
// local; the answer is logical.
struct TSnapQuery {
  const TCustomFigure& F;
  TPoint Cursor;

  TSnapQuery(const TCustomFigure& Figure, TPoint CursorPt) : F(Figure), Cursor(CursorPt) {}

  bool Near(Tpt Local, Tpt& P) const { return F.NearPoint(Local, Cursor, P); }
};

}  // namespace LineKit
