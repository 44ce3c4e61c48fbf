#include "foundation/Workdbx.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double Pi = std::numbers::pi;
constexpr double DegToRad = Pi / 180;
// Only guards the integer conversion against corrupt sweeps; real arcs stay far below.
constexpr double MaxArcSteps = 100000;

double finiteOr(double v, double fallback) { return std::isfinite(v) ? v : fallback; }

// Number of steps of `stepDeg` in the sweep, rounded halves to even.
int sweepSteps(double sweep, double stepDeg) {
  const double s = finiteOr(sweep / (stepDeg * DegToRad), 0);
  return static_cast<int>(std::nearbyint(std::clamp(s, 0.0, MaxArcSteps)));
}

TWorkDbxbx lineEdge(Tpt qd, Tpt zd) {
  TWorkDbxbx e;
  e.lx = blLine;
  e.qd = qd;
  e.zd = zd;
  return e;
}

void flattenEdge(const TWorkDbxbx& e, TWddList& out) {
  out.push_back(e.qd);
  if (e.lx != blArc) return;
  const TArc arc = wdbxbxtoarc(e);
  const double sweep = e.zj - e.qj;
  const int n = std::max(2, sweepSteps(sweep, FlattenStepDeg));
  // Points follow the edge direction, which need not be counter-clockwise.
  const bool forward = ppisxd(Arcjdtod(arc, e.qj), e.qd);
  for (int k = 1; k <= n; ++k) {
    const double a = forward ? e.qj + k * sweep / n : e.zj - k * sweep / n;
    out.push_back(Arcjdtod(arc, a));
  }
}

void dropRepeats(TWddList& pts) {
  auto last = std::unique(pts.begin(), pts.end(), [](Tpt a, Tpt b) { return ppisxd(a, b); });
  pts.erase(last, pts.end());
}

// Signed offset from the line of E, measured across it (x for a vertical E).
struct LineSide {
  TBx e;
  bool vertical;
  explicit LineSide(TBx E) : e(E), vertical(bxyzispx(E)) {}
  double operator()(Tpt p) const { return vertical ? plxjx(p, e) : plxjy(p, e); }
};

int sign(double v) { return (v > 0) - (v < 0); }

// Points P[from], P[from+1], ..., P[to] (indices modulo n, inclusive).
void appendRun(const TWddList& P, std::size_t from, std::size_t to, TWddList& out) {
  const std::size_t n = P.size();
  for (std::size_t i = from % n;; i = (i + 1) % n) {
    out.push_back(P[i]);
    if (i == to % n) break;
  }
}

// dbxqg and dbxzqg: cut along the line of an edge that meets the rest of the
// ring exactly once.
// Straddled, when given, tells whether any edge had ends on both sides of
// (or on) another edge's line; when none had, the forward-ray cut finds
// nothing either.
bool lineCut(const TWddList& P, bool forwardRayOnly, TWddList& A, TWddList& B, bool* Straddled = nullptr) {
  A.clear();
  B.clear();
  const std::size_t n = P.size();
  if (Straddled) *Straddled = false;
  if (n < 4) return false;
  for (std::size_t k = 0; k < n; ++k) {
    const TBx E{P[k], P[(k + 1) % n]};
    const LineSide side(E);
    int count = 0;
    std::size_t fj = 0;
    Tpt X;
    int firstSign = 0;
    // Each edge's end is the next one's start: one side value per point, and
    // the indices wrap by hand (a division per edge pair shows in a profile
    // of opening a large drawing).
    std::size_t j = (k + 2) % n, j1 = j + 1 == n ? 0 : j + 1;
    double o2 = side(P[j]);
    for (std::size_t i = 1; i + 2 < n && count < 2; ++i, j = j1, j1 = j1 + 1 == n ? 0 : j1 + 1) {
      const TBx F{P[j], P[j1]};
      const double o1 = o2;
      o2 = side(F.zd);
      if (o1 * o2 > 0) continue;
      if (Straddled) *Straddled = true;
      double lt1 = 0, lt2 = 0;
      const Tpt m = lljd(E, F, lt1, lt2);
      if (forwardRayOnly && !(lt1 > -SideEps)) continue;
      if (count == 0) {
        X = m;
        fj = j;
        firstSign = sign(o1);
        count = 1;
      } else if (!ppisxd(m, X)) {
        ++count;
      } else if (sign(o2) == firstSign) {
        ++count;  // the ring only touches the line at a vertex
      }
    }
    if (count != 1) continue;
    appendRun(P, k + 1, fj, A);
    if (!ppisxd(X, P[fj])) A.push_back(X);
    if (!ppisxd(X, P[(fj + 1) % n])) B.push_back(X);
    appendRun(P, fj + 1, k, B);
    return true;
  }
  return false;
}

}  // namespace

TBx wdbxbxtobx(const TWorkDbxbx& e) { return {e.qd, e.zd}; }

TArc wdbxbxtoarc(const TWorkDbxbx& e) {
  TArc a;
  if (e.lx == blArc) {
    a.qj = e.qj;
    a.zj = e.zj;
  } else {
    a.qj = 0;
    a.zj = Pi;
  }
  a.yx = e.yx;
  a.bj = e.bj;
  a.Direction = 0;
  return a;
}

void wbxqdarccs(TWorkDbxbx& e) {
  const double a = ppjd(e.yx, e.qd);
  const double d = ppjd(e.yx, e.zd);
  if (e.Direction == 1) {
    e.qj = a > d ? a - 2 * Pi : a;
    e.zj = d;
  } else {
    e.qj = d > a ? d - 2 * Pi : d;
    e.zj = a;
  }
}

double wdbxbxcd(const TWorkDbxbx& e) {
  if (e.lx == blArc) return finiteOr((e.zj - e.qj) * e.bj, 0);
  return modV(ppV(e.qd, e.zd));
}

double MltLinezc(const TWorkDbxbxList& bx) {
  double s = 0;
  for (const TWorkDbxbx& e : bx) s += wdbxbxcd(e);
  return s;
}

double wdbxzc(const TWorkDbx& w) { return MltLinezc(w.bx); }

void checkwdbx(TWorkDbx& w) {
  auto& bx = w.bx;
  if (bx.size() <= 1) return;
  if (!ppisxd(bx.back().zd, bx.front().qd)) {
    if (ppisxd(bx.back().zd, bx.front().zd)) {
      bx.erase(bx.begin());
    } else if (ppisxd(bx.back().qd, bx.front().qd)) {
      bx.pop_back();
    } else if (pinbx(bx.back().zd, wdbxbxtobx(bx.front()))) {
      bx.front().qd = bx.back().zd;
    } else if (pinbx(bx.front().qd, wdbxbxtobx(bx.back()))) {
      bx.back().zd = bx.front().qd;
    } else {
      bx.push_back(lineEdge(bx.back().zd, bx.front().qd));
    }
  }
  std::erase_if(bx, [](const TWorkDbxbx& e) { return ppisxd(e.qd, e.zd); });

  auto mergeable = [](const TWorkDbxbx& a, const TWorkDbxbx& b) {
    return a.lx == blLine && b.lx == blLine && llispx(wdbxbxtobx(a), wdbxbxtobx(b));
  };
  for (std::size_t i = 0; i + 1 < bx.size();) {
    if (mergeable(bx[i], bx[i + 1])) {
      bx[i].zd = bx[i + 1].zd;
      bx.erase(bx.begin() + static_cast<std::ptrdiff_t>(i) + 1);
    } else {
      ++i;
    }
  }
  if (bx.size() > 1 && mergeable(bx.front(), bx.back())) {
    bx.front().qd = bx.back().qd;
    bx.pop_back();
  }
}

TWddList wdbxtowdd(const TWorkDbx& w) {
  TWddList pts;
  for (const TWorkDbxbx& e : w.bx) flattenEdge(e, pts);
  dropRepeats(pts);
  return pts;
}

TWddList MltLineToWdd(const TWorkDbxbxList& bx) {
  TWddList pts;
  for (const TWorkDbxbx& e : bx) flattenEdge(e, pts);
  if (!bx.empty()) pts.push_back(bx.back().zd);
  dropRepeats(pts);
  return pts;
}

TWorkDbxbxList WbxToStandardWbx(const TWorkDbxbxList& bx, double minjl) {
  TWorkDbxbxList out;
  for (const TWorkDbxbx& e : bx) {
    if (e.lx != blArc) {
      out.push_back(lineEdge(e.qd, e.zd));
      continue;
    }
    const double sweep = e.zj - e.qj;
    const TArc arc = wdbxbxtoarc(e);
    TArc outer = arc;
    int n = sweepSteps(sweep, ChordStepDeg);
    if (n > 2) {
      outer.bj = e.bj * ChordRadiusCoarse;
    } else {
      n = sweepSteps(sweep, FlattenStepDeg);
      outer.bj = e.bj * ChordRadiusFine;
    }
    n = std::max(n, 1);
    const bool backwards = modV(ppV(Arcjdtod(arc, e.qj), e.qd)) >= ChordReverseDistance;
    Tpt last = e.qd;
    for (int k = 1; k < n; ++k) {
      const double a = backwards ? e.zj - k * sweep / n : e.qj + k * sweep / n;
      const Tpt c = Arcjdtod(outer, a);
      if (modV(ppV(last, c)) >= minjl) {
        out.push_back(lineEdge(last, c));
        last = c;
      }
    }
    out.push_back(lineEdge(last, e.zd));
  }
  return out;
}

bool wddtopg(const TWddList& wdd, TSimplePygon& pg) {
  pg = TSimplePygon{};
  if (wdd.empty()) return false;
  Tpt prev = wdd.front();
  for (std::size_t i = 1; i < wdd.size(); ++i) {
    if (ppisxd(prev, wdd[i])) continue;
    pg.bx.push_back({prev, wdd[i]});
    prev = wdd[i];
  }
  if (!ppisxd(prev, wdd.front())) pg.bx.push_back({prev, wdd.front()});
  if (pg.bx.size() < 3) {
    pg.bx.clear();
    return false;
  }
  CacheRingBox(pg);
  return true;
}

void workdbxfxjs(TWorkDbx& w) {
  TWddList ring = wdbxtowdd(w);
  deldbxzxfx(w);
  // The ring closes implicitly; SplitRing drops a repeated first point.
  for (const TWddList& piece : SplitRing(std::move(ring))) {
    TSimplePygon pg;
    if (wddtopg(piece, pg)) w.fxpg.push_back(std::move(pg));
  }
}

bool pinwdbx(Tpt p, const TWorkDbx& w) {
  return std::any_of(w.fxpg.begin(), w.fxpg.end(),
                     [p](const TSimplePygon& pg) { return pinpygon(p, pg); });
}

bool pjjwdbxbx(Tpt p, const TWorkDbxbx& e, double showscale) {
  if (e.lx == blArc) return pjjArc(p, wdbxbxtoarc(e), showscale);
  return pjjbx(p, wdbxbxtobx(e), showscale);
}

TPygonList wdbxtocdbx(const TWorkDbx& w) {
  TPygonList R;
  for (const TSimplePygon& ring : w.fxpg) {
    auto pg = std::make_unique<TPygon>();
    pg->lx = lxSolid;
    pg->jx = jxAdd;
    pg->tx = txMain;
    std::int32_t tag = 0;
    for (const TBx& b : ring.bx) {
      Tpgbx e;
      e.qd = b.qd;
      e.zd = b.zd;
      e.zsh = tag++;
      e.zbx.push_back({0, 1, lxReal, 0});
      pg->bx.push_back(std::move(e));
    }
    TPygonList one;
    one.push_back(std::move(pg));
    dbxxbdbx(R, one);
  }
  return R;
}

void jmxztowdbx(TWorkDbx& w, double jd, double height, double width, double yxy, double yxx) {
  const double hw = width / 2, hh = height / 2;
  const Tpt corners[4] = {{-hw, -hh}, {hw, -hh}, {hw, hh}, {-hw, hh}};
  Tpt p[4];
  for (int i = 0; i < 4; ++i) {
    const Tpt r = protate(corners[i], jd);
    p[i] = {r.x + yxx, r.y + yxy};
  }
  for (int i = 0; i < 4; ++i) w.bx.push_back(lineEdge(p[i], p[(i + 1) % 4]));
  workdbxfxjs(w);
}

bool bxyzispx(TBx bx) { return llispx(bx, {{0, 0}, {0, 100}}); }

double plxjy(Tpt p, TBx bx) {
  const double y = bx.qd.y + (p.x - bx.qd.x) * (bx.zd.y - bx.qd.y) / (bx.zd.x - bx.qd.x);
  return finiteOr(p.y - y, 0);
}

double plxjx(Tpt p, TBx bx) {
  const double x = bx.qd.x + (p.y - bx.qd.y) * (bx.zd.x - bx.qd.x) / (bx.zd.y - bx.qd.y);
  return finiteOr(p.x - x, 0);
}

bool dbxqg(const TWddList& ring, TWddList& A, TWddList& B) { return lineCut(ring, false, A, B); }

bool dbxzqg(const TWddList& ring, TWddList& A, TWddList& B) { return lineCut(ring, true, A, B); }

bool dbxhf(const TWddList& P, TWddList& A, TWddList& B) {
  A.clear();
  B.clear();
  const std::size_t n = P.size();
  if (n < 4) return false;
  for (std::size_t k = 0; k < n; ++k) {
    const TBx E{P[k], P[(k + 1) % n]};
    const LineSide side(E);
    const double oQ = side(P[(k + 2) % n]);
    auto otherSide = [&](std::size_t idx) { return side(P[idx % n]) * oQ < -SideEps; };
    std::size_t j = (k + 2) % n, j1 = j + 1 == n ? 0 : j + 1;
    for (std::size_t i = 1; i + 2 < n; ++i, j = j1, j1 = j1 + 1 == n ? 0 : j1 + 1) {
      const TBx F{P[j], P[j1]};
      if (!llispx(E, F) || !pinline(F.qd, E) || !pinline(F.zd, E)) continue;
      const double t1 = dtot(F.qd, E), t2 = dtot(F.zd, E);
      if (!((t1 > 0 && t2 > 0) || (t1 < 0 && t2 < 0))) continue;
      // Points strictly between Q = P[k+2] and F's start, then after F's end up to P[k-1].
      bool between = false;
      for (std::size_t m = k + 3; m < k + 1 + i; ++m) between = between || otherSide(m);
      if (between) continue;
      bool after = false;
      for (std::size_t m = k + 3 + i; m < k + n; ++m) after = after || otherSide(m);
      if (!after) continue;
      appendRun(P, k + 1, j, A);
      appendRun(P, j + 1, k, B);
      return true;
    }
  }
  return false;
}

namespace {

// A cut through a vertex the ring visits twice leaves that point twice in a
// row (or first and last). The zero-length edge between them has no line,
// and the cuts would then take every other edge as meeting it; one copy is
// enough, as wddtopg would keep only one anyway.
void dropRingRepeats(TWddList& r) {
  dropRepeats(r);
  while (r.size() > 1 && ppisxd(r.back(), r.front())) r.pop_back();
}

}  // namespace

std::vector<TWddList> SplitRing(TWddList ring) {
  // An explicit stack: long outlines can need thousands of nested cuts.
  std::vector<TWddList> out, pending;
  pending.push_back(std::move(ring));
  while (!pending.empty()) {
    TWddList r = std::move(pending.back());
    pending.pop_back();
    dropRingRepeats(r);
    if (r.size() < 3) continue;
    TWddList A, B;
    // A convex ring (most outlines: flattened circles, arcs, rectangles)
    // straddles no edge line, and then needs no third pass.
    bool straddled = true;
    if (lineCut(r, false, A, B, &straddled) || dbxhf(r, A, B) || (straddled && dbxzqg(r, A, B))) {
      pending.push_back(std::move(B));
      pending.push_back(std::move(A));  // A's pieces come first, as with recursion
      continue;
    }
    out.push_back(std::move(r));
  }
  return out;
}

void delwdd(TWddList& wdd) { wdd.clear(); }

void deldbxzxfx(TWorkDbx& w) { w.fxpg.clear(); }

void delWdbx(std::unique_ptr<TWorkDbx>& w) { w.reset(); }
