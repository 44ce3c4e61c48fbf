#include "foundation/Comtype.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace {

constexpr double Pi = std::numbers::pi;
// How far rounding may carry a cosine past ±1 (a few ulps, with margin).
constexpr double CosineSlack = 1e-12;

// Where the routines promise a fixed value "on a fault", a non-finite result is
// that fault: it must never reach saved geometry.
double finiteOr(double v, double fallback) { return std::isfinite(v) ? v : fallback; }

Tpt addPt(Tpt a, Tpt b) { return {a.x + b.x, a.y + b.y}; }

template <class Edges>
double fanArea(const Edges& bx) {
  if (bx.size() < 3) return 0;
  const Tpt p0 = bx.front().qd;
  double s = 0;
  for (std::size_t i = 1; i + 1 < bx.size(); ++i) s += sjxmj(p0, bx[i].qd, bx[i].zd);
  return s;
}

struct StartBox {
  double minx = 1e40, miny = 1e40, maxx = -1e40, maxy = -1e40;
};

template <class Edges>
StartBox startBox(const Edges& bx) {
  StartBox b;
  for (const auto& e : bx) {
    b.minx = std::min(b.minx, e.qd.x);
    b.miny = std::min(b.miny, e.qd.y);
    b.maxx = std::max(b.maxx, e.qd.x);
    b.maxy = std::max(b.maxy, e.qd.y);
  }
  return b;
}

template <class Edges>
bool angleSumInside(Tpt p, const Edges& bx, const StartBox& b) {
  if (p.x > b.maxx + BoxMargin || p.y > b.maxy + BoxMargin || p.x < b.minx - BoxMargin ||
      p.y < b.miny - BoxMargin)
    return false;
  double s = 0;
  for (const auto& e : bx) s += VVd(ppV(p, e.qd), ppV(p, e.zd));
  return std::abs(s - 2 * Pi) < EPS || s >= 2 * Pi;
}

TBx stretchOf(const Tpgbx& e) {
  const TBx b = pbxtobx(e);
  return {ttod(e.xjqt, b), ttod(e.xjzt, b)};
}

Tpgbx newEdge(Tpt qd, Tpt zd, std::int32_t zsh) {
  Tpgbx e;
  e.qd = qd;
  e.zd = zd;
  e.zsh = zsh;
  return e;
}

// One pass of the overlap chaining over the edges of `own`; `other` is the
// polygon whose coinciding stretches get marked. Returns whether R grew.
bool chainPass(TPygon& own, TPygon& other, TPygon& R) {
  bool added = false;
  for (Tpgbx& E : own.bx) {
    if (!E.isxj) continue;
    const TBx S = stretchOf(E);
    bool coincided = false;
    for (const Tpgbx& D : R.bx) {
      const TBx d = pbxtobx(D);
      if (!bxisch(S, d)) continue;
      coincided = true;
      E.isxj = false;
      E.isch = true;
      for (Tpgbx& O : other.bx)
        if (O.iscl && bxisch(stretchOf(O), d)) O.isch = true;
    }
    if (coincided) continue;

    if (R.bx.empty()) {
      R.bx.push_back(newEdge(S.qd, S.zd, E.zsh));
    } else if (ppisxd(R.bx.front().qd, S.zd)) {
      R.bx.insert(R.bx.begin(), newEdge(S.qd, S.zd, E.zsh));
    } else if (ppisxd(R.bx.front().qd, S.qd)) {
      R.bx.insert(R.bx.begin(), newEdge(S.zd, S.qd, E.zsh));
    } else if (ppisxd(R.bx.back().zd, S.qd)) {
      R.bx.push_back(newEdge(S.qd, S.zd, E.zsh));
    } else if (ppisxd(R.bx.back().zd, S.zd)) {
      R.bx.push_back(newEdge(S.zd, S.qd, E.zsh));
    } else {
      continue;  // not adjacent to the chain yet; a later pass may attach it
    }
    E.isxj = false;
    added = true;
  }
  return added;
}

void hideCovered(TPygon& pg, const TPygon& cover, bool hideCoinciding, bool noOverlap) {
  if (cover.lx == lxVirsul) return;
  for (Tpgbx& e : pg.bx) {
    if (!e.iscl) continue;
    if (!e.isch || hideCoinciding || noOverlap) bxzddj(e);
  }
}

void clearFlags(TPygon& pg) {
  for (Tpgbx& e : pg.bx) e.isxj = e.iscl = e.isch = false;
}

}  // namespace

double MinInTwo(double X, double Y) { return X < Y ? X : Y; }
double MaxInTwo(double X, double Y) { return X > Y ? X : Y; }

Tv ppV(Tpt d, Tpt t) { return {t.x - d.x, t.y - d.y}; }

double modV(Tv d) { return finiteOr(std::sqrt(d.x * d.x + d.y * d.y), 0); }

double VoV(Tv d, Tv t) { return finiteOr(d.x * t.x + d.y * t.y, 0); }

double VVd(Tv d, Tv t) {
  const double m = modV(d) * modV(t);
  if (!(m >= EPS)) return 0;
  double c = VoV(d, t) / m;
  if (!std::isfinite(c)) return 0;
  // Rounding can push the cosine of (anti)parallel vectors just past ±1; that
  // is still 0 or π, or a point on a polygon edge would test as outside.
  if (std::abs(c) > 1) {
    if (std::abs(c) - 1 > CosineSlack) return 0;
    c = c > 0 ? 1 : -1;
  }
  return std::acos(c);
}

double ppjd(Tpt pyd, Tpt pjd) {
  const double dx = pjd.x - pyd.x;
  const double dy = pjd.y - pyd.y;
  double a;
  if (!(std::abs(dx) >= EPS)) {
    a = dy > 0 ? Pi / 2 : -Pi / 2;
  } else if (!(std::abs(dy) >= EPS)) {
    a = dx > 0 ? 0 : Pi;
  } else {
    a = finiteOr(std::atan(dy / dx), Pi / 2);
    if (a > 0 && dy < 0) a -= Pi;
    if (a < 0 && dy > 0) a += Pi;
  }
  if (a < 0) a += 2 * Pi;
  return a;
}

Tpt dptop(TPoint d) { return {double(d.x), double(d.y)}; }

TPoint ptodp(Tpt d) {
  // nearbyint rounds halves to even in the default rounding mode; out-of-range
  // and NaN values are clamped so the integer conversion stays defined.
  auto conv = [](double v) -> std::int32_t {
    if (std::isnan(v)) return 0;
    const double r = std::nearbyint(v);
    constexpr double lo = std::numeric_limits<std::int32_t>::min();
    constexpr double hi = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(std::clamp(r, lo, hi));
  };
  return {conv(d.x), conv(d.y)};
}

Tpt protate(Tpt p, double jd) {
  const double c = std::cos(jd), s = std::sin(jd);
  return {p.x * c - p.y * s, p.x * s + p.y * c};
}

Tpt protateyd(Tpt yd, Tpt lp, double jd) {
  return addPt(yd, protate({lp.x - yd.x, lp.y - yd.y}, jd));
}

TBx pptobx(Tpt p1, Tpt p2) { return {p1, p2}; }

TBx pjdtobx(Tpt p1, double jd) {
  return {p1, addPt(p1, protate({AuxSegmentLength, 0}, jd))};
}

TBx pbxtobx(const Tpgbx& L1) { return {L1.qd, L1.zd}; }

double dtot(Tpt d, TBx bx1) {
  double t = 0;
  if (std::abs(bx1.qd.x - bx1.zd.x) > EPS)
    t = (d.x - bx1.qd.x) / (bx1.zd.x - bx1.qd.x);
  else if (std::abs(bx1.qd.y - bx1.zd.y) > EPS)
    t = (d.y - bx1.qd.y) / (bx1.zd.y - bx1.qd.y);
  return finiteOr(t, 0);
}

Tpt ttod(double t, TBx bx1) {
  const Tpt p{bx1.qd.x + t * (bx1.zd.x - bx1.qd.x), bx1.qd.y + t * (bx1.zd.y - bx1.qd.y)};
  if (!std::isfinite(p.x) || !std::isfinite(p.y)) return {0, 0};
  return p;
}

bool ppisxd(Tpt p1, Tpt p2) {
  return std::abs(p1.x - p2.x) < EPS && std::abs(p1.y - p2.y) < EPS;
}

bool ppjsxd(Tpt p1, Tpt p2) {
  return std::abs(p1.x - p2.x) < NearPointsDist && std::abs(p1.y - p2.y) < NearPointsDist;
}

bool bxisch(TBx bx1, TBx bx2) {
  return (ppisxd(bx1.qd, bx2.qd) && ppisxd(bx1.zd, bx2.zd)) ||
         (ppisxd(bx1.qd, bx2.zd) && ppisxd(bx1.zd, bx2.qd));
}

namespace {
double crossDenominator(TBx L1, TBx L2) {
  return (L2.qd.x - L2.zd.x) * (L1.zd.y - L1.qd.y) - (L1.zd.x - L1.qd.x) * (L2.qd.y - L2.zd.y);
}
}  // namespace

bool llispx(TBx L1, TBx L2) { return !(std::abs(crossDenominator(L1, L2)) >= EPS); }

Tpt lljd(TBx L1, TBx L2, double& lt1, double& lt2) {
  const double fm = crossDenominator(L1, L2);
  if (std::abs(fm) > EPS) {
    const double fz1 = (L2.qd.x - L1.qd.x) * (L2.zd.y - L2.qd.y) -
                       (L2.zd.x - L2.qd.x) * (L2.qd.y - L1.qd.y);
    const double fz2 = (L2.qd.x - L1.qd.x) * (L1.zd.y - L1.qd.y) -
                       (L1.zd.x - L1.qd.x) * (L2.qd.y - L1.qd.y);
    lt1 = finiteOr(fz1 / fm, 0);
    lt2 = finiteOr(fz2 / fm, 0);
    return ttod(lt1, L1);
  }
  // Parallel (or NaN): report where L2's ends sit along L1.
  lt1 = dtot(L2.qd, L1);
  lt2 = dtot(L2.zd, L1);
  return L1.qd;
}

Tpt CalPtLine(Tpt Point, TBx bx1, double& t) {
  double t2 = 0;
  return lljd(bx1, pjdtobx(Point, ppjd(bx1.qd, bx1.zd) + Pi / 2), t, t2);
}

Tpt Caldcp(Tpt Point, TBx bx1) {
  double t = 0;
  const Tpt foot = CalPtLine(Point, bx1, t);
  return {2 * foot.x - Point.x, 2 * foot.y - Point.y};
}

bool pinbx(Tpt p, TBx L) {
  return std::abs(modV(ppV(L.qd, p)) + modV(ppV(L.zd, p)) - modV(ppV(L.qd, L.zd))) < EPS;
}

bool pinline(Tpt p, TBx L) {
  const double a = VVd(ppV(p, L.qd), ppV(L.qd, L.zd));
  return std::abs(a) < EPS || std::abs(a - Pi) < EPS;
}

bool pjjbx(Tpt lp, TBx bx1, double showscale) {
  if (pinbx(lp, bx1)) return true;
  const double d = PickPixels / showscale;
  const Tpt q = bx1.qd, z = bx1.zd;
  auto strictlyBetween = [](double v, double a, double b) {
    return (a < v && v < b) || (b < v && v < a);
  };
  if (std::abs(q.x - z.x) < EPS) return strictlyBetween(lp.y, q.y, z.y) && std::abs(lp.x - q.x) < d;
  if (std::abs(q.y - z.y) < EPS) return strictlyBetween(lp.x, q.x, z.x) && std::abs(lp.y - q.y) < d;
  double t = 0, t2 = 0;
  const Tpt foot = lljd(bx1, pjdtobx(lp, ppjd(q, z) + Pi / 2), t, t2);
  return t > 0 && t < 1 && modV(ppV(lp, foot)) < d;
}

bool bxbjqyx(TBx bx1, double bj, Tpt& yx1, Tpt& yx2) {
  const double h = modV(ppV(bx1.qd, bx1.zd)) / 2;
  if (h > bj) return false;
  const Tpt m{(bx1.qd.x + bx1.zd.x) / 2, (bx1.qd.y + bx1.zd.y) / 2};
  const double a = ppjd(bx1.qd, bx1.zd);
  const double k = finiteOr(std::sqrt(bj * bj - h * h), 0);
  yx1 = addPt(m, protate({k, 0}, a + Pi / 2));
  yx2 = addPt(m, protate({k, 0}, a - Pi / 2));
  return true;
}

double sjxmj(Tpt p1, Tpt p2, Tpt p3) {
  const double a = modV(ppV(p1, p2));
  const double b = modV(ppV(p1, p3));
  const double c = modV(ppV(p2, p3));
  const double s = (a + b + c) / 2;
  if (s < MinSemiPerimeter) return 0;
  const double q = s * (s - a) * (s - b) * (s - c);
  if (!(q >= 0)) return 0;
  return finiteOr(std::sqrt(q), 0);
}

double pgmj(const TPygon& pg1) { return fanArea(pg1.bx); }
double pgmj(const TSimplePygon& pg1) { return fanArea(pg1.bx); }

double dbxmj(const TPygonList& dbx) {
  double s = 0;
  for (const auto& pg : dbx) s += pg->jx == jxDec ? -pgmj(*pg) : pgmj(*pg);
  return s;
}

bool pinpygon(Tpt p, const TPygon& pg) { return angleSumInside(p, pg.bx, startBox(pg.bx)); }

bool pinpygon(Tpt p, const TSimplePygon& pg) {
  if (!pg.boxed) return angleSumInside(p, pg.bx, startBox(pg.bx));
  return angleSumInside(p, pg.bx, StartBox{pg.minx, pg.miny, pg.maxx, pg.maxy});
}

void CacheRingBox(TSimplePygon& pg) {
  const StartBox b = startBox(pg.bx);
  pg.minx = b.minx;
  pg.miny = b.miny;
  pg.maxx = b.maxx;
  pg.maxy = b.maxy;
  pg.boxed = true;
}

bool bxinpg(TBx bx, const TPygon& pg) { return pinpygon(bx.qd, pg) && pinpygon(bx.zd, pg); }

int pgjqbx(TBx bx, const TPygon& pg, double& jd1, double& jd2) {
  jd1 = 0;
  jd2 = 0;
  if (bxinpg(bx, pg)) {
    jd2 = 1;
    return 2;
  }
  auto onSegment = [](double t) { return t >= 0 && t <= ParamCeiling; };
  int result = 0;
  for (const Tpgbx& edge : pg.bx) {
    const TBx g = pbxtobx(edge);
    if (llispx(bx, g)) {
      if (!pinline(bx.qd, g)) continue;
      const double t1 = dtot(g.qd, bx), t2 = dtot(g.zd, bx);
      if (!onSegment(t1) && !onSegment(t2)) continue;
      // A collinear edge decides the overlap by itself.
      if (t1 > t2) {
        if (t1 <= 0) return 0;
        jd2 = t1 > 1 ? 1 : t1;
        jd1 = t2 > 0 ? t2 : 0;
      } else {
        if (t1 >= 1) return 0;
        jd1 = t1 > 0 ? t1 : 0;
        jd2 = t2 > 1 ? 1 : t2;
      }
      return std::abs(jd1 - jd2) < EPS ? 1 : 2;
    }
    double tb = 0, tg = 0;
    lljd(bx, g, tb, tg);
    if (!onSegment(tb) || !onSegment(tg)) continue;
    if (result == 0) {
      jd1 = tb;
      result = 1;
    } else if (std::abs(tb - jd1) > EPS) {
      jd2 = tb;
      if (jd1 > jd2) std::swap(jd1, jd2);
      return 2;
    }
  }
  return result;
}

void pgjqpg(TPygon& pg1, const TPygon& pg2) {
  for (Tpgbx& E : pg1.bx) {
    double j1 = 0, j2 = 0;
    const int r = pgjqbx(pbxtobx(E), pg2, j1, j2);
    double qt, zt;
    if (r == 1 && j1 > EPS && pinpygon(E.qd, pg2)) {
      qt = 0;
      zt = j1;
    } else if (r == 1 && j1 < EndInsideBound && pinpygon(E.zd, pg2)) {
      qt = j1;
      zt = 1;
    } else if (r == 2 && j2 - j1 > EPS) {
      qt = j1;
      zt = j2;
    } else {
      continue;
    }
    E.isxj = E.iscl = true;
    E.xjqt = qt;
    E.xjzt = zt;
  }
}

void bxzddj(Tpgbx& pgbx1) {
  std::vector<TBxzd>& runs = pgbx1.zbx;
  if (runs.empty()) return;
  // Crossings may sit a hair past the segment ends; the runs only cover 0..1.
  const double qt = std::clamp(pgbx1.xjqt, 0.0, 1.0);
  const double zt = std::clamp(pgbx1.xjzt, 0.0, 1.0);

  struct Break {
    double f;
    TddlxLx lx;
  };
  // A growing list, so an edge cut into many runs never overflows.
  std::vector<Break> f;
  f.reserve(runs.size() + 3);
  for (const TBxzd& z : runs) {
    if (z.zt <= qt) {
      f.push_back({z.zt, z.lx});
    } else if (z.qt <= qt) {  // the stretch starts inside this run
      if (qt - EPS > z.qt) f.push_back({qt, z.lx});
      f.push_back({zt, lxHide});
      if (zt + EPS < z.zt) f.push_back({z.zt, z.lx});
    } else if (z.qt >= zt) {
      f.push_back({z.zt, z.lx});
    } else if (zt + EPS < z.zt) {  // starts inside the stretch, ends beyond it
      f.push_back({z.zt, z.lx});
    }
  }
  // Breaks snapped within EPS must not shorten the edge's coverage.
  if (!f.empty()) f.back().f = std::max(f.back().f, runs.back().zt);

  std::vector<TBxzd> merged;
  double from = runs.front().qt;
  for (const Break& b : f) {
    if (b.f <= from) continue;  // empty interval
    if (!merged.empty() && merged.back().lx == b.lx) {
      merged.back().zt = b.f;
    } else {
      merged.push_back({from, b.f, b.lx, 0});
    }
    from = b.f;
  }
  // Reuse the existing records in order so their zsid survives.
  for (std::size_t i = 0; i < merged.size() && i < runs.size(); ++i) merged[i].zsid = runs[i].zsid;
  runs = std::move(merged);
}

std::unique_ptr<TPygon> pgpgxj(TPygon& pg1, TPygon& pg2, int xjfs) {
  pgjqpg(pg1, pg2);
  pgjqpg(pg2, pg1);
  auto R = std::make_unique<TPygon>();
  for (;;) {
    const bool a = chainPass(pg1, pg2, *R);
    const bool b = chainPass(pg2, pg1, *R);
    if (!a && !b) break;
  }
  if (R->bx.size() < 3 || !ppisxd(R->bx.front().qd, R->bx.back().zd) || pgmj(*R) < MinOverlapArea)
    delpgbx(*R);
  const bool noOverlap = R->bx.size() < 3;
  if (pg1.tx != txXjzx) hideCovered(pg1, pg2, xjfs == 0 || xjfs == 1, noOverlap);
  if (pg2.tx != txXjzx && xjfs != 3) hideCovered(pg2, pg1, xjfs == 0 || xjfs == 2, noOverlap);
  clearFlags(pg1);
  clearFlags(pg2);
  R->tx = txXjzx;
  return R;
}

void dbxxbdbx(TPygonList& dbx1, TPygonList& dbx2) {
  TPygonList J;
  for (auto& A : dbx1) {
    for (auto& B : dbx2) {
      auto R = pgpgxj(*A, *B, 1);
      if (R->bx.size() < 3) continue;  // freed with R
      R->lx = (A->lx != lxSolid && B->lx != lxSolid) ? lxVirsul : lxSolid;
      // Inclusion-exclusion: the overlap of two same-signed polygons subtracts.
      R->jx = (A->jx == B->jx) ? jxDec : jxAdd;
      if (A->lx == lxDel || B->lx == lxDel) {
        R->lx = lxVirsul;
        R->jx = jxDec;
      }
      J.push_back(std::move(R));
    }
  }
  for (TPygonList* src : {&dbx1, &dbx2})
    for (auto& pg : *src)
      if (pg->lx != lxDel) J.push_back(std::move(pg));
  dbx1 = std::move(J);
  dbx2.clear();
}

void delpgzbx(Tpgbx& edge) { edge.zbx.clear(); }

void delpgbx(TPygon& pg) { pg.bx.clear(); }

void delpg(std::unique_ptr<TPygon>& pg) { pg.reset(); }
