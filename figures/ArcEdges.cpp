#include "figures/ArcEdges.h"

#include <cmath>

namespace {
double Dist2(Tpt a, Tpt b) { return (a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y); }
}  // namespace

bool ArcEdgeCentre(Tpt A, Tpt B, double Bj, Tpt Yx, Tpt& Centre) {
  // A radius of zero (a vertex just switched to an arc) makes no circle.
  if (!(Bj > 0) || !std::isfinite(Bj)) return false;
  Tpt c1, c2;
  if (!bxbjqyx(pptobx(A, B), Bj, c1, c2)) return false;
  Centre = Dist2(c2, Yx) < Dist2(c1, Yx) ? c2 : c1;
  return std::isfinite(Centre.x) && std::isfinite(Centre.y);
}

TWorkDbxbx VertexEdge(Tpt A, Tpt B, TBxlx Lx, double Bj, Tpt& Yx, std::int32_t Direction) {
  TWorkDbxbx e;
  e.qd = A;
  e.zd = B;
  Tpt c;
  if (Lx == blArc && ArcEdgeCentre(A, B, Bj, Yx, c)) {
    Yx = c;
    e.lx = blArc;
    e.yx = c;
    e.bj = Bj;
    e.Direction = Direction != 0 ? 1 : 0;
    wbxqdarccs(e);
  }
  return e;
}

bool CircleThrough(Tpt S, Tpt M, Tpt E, Tpt& Centre, std::int32_t& Direction) {
  const double g = 2 * ((E.y - M.y) * S.x + (M.y - S.y) * E.x + (S.y - E.y) * M.x);
  const double h = 2 * (S.y * (E.x - M.x) + E.y * (M.x - S.x) + M.y * (S.x - E.x));
  if (!(std::abs(g) > 1e-7) || !(std::abs(h) > 1e-7)) return false;
  const double ls = S.x * S.x + S.y * S.y, lm = M.x * M.x + M.y * M.y, le = E.x * E.x + E.y * E.y;
  const Tpt c{(ls * (E.y - M.y) + le * (M.y - S.y) + lm * (S.y - E.y)) / g,
              (ls * (E.x - M.x) + le * (M.x - S.x) + lm * (S.x - E.x)) / h};
  if (!std::isfinite(c.x) || !std::isfinite(c.y)) return false;
  const double u = ppjd(c, S), v = ppjd(c, M), w = ppjd(c, E);
  if (u <= w)
    Direction = (u < v && v < w) ? 1 : 0;
  else
    Direction = (w < v && v < u) ? 0 : 1;
  Centre = c;
  return true;
}

Tpt EdgeMiddle(const TWorkDbxbx& E) {
  if (E.lx == blArc) return Arcjdtod(wdbxbxtoarc(E), (E.qj + E.zj) / 2);
  return ttod(0.5, pptobx(E.qd, E.zd));
}
