#include "foundation/Splines.h"

#include "foundation/ErrorReport.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr double SameVertexEps = 1e-5;
constexpr float MinPivot = 1e-6f;

double basis(double d) {
  if (d < 1) return 2.0 / 3 - d * d + d * d * d / 2;
  if (d < 2) return (2 - d) * (2 - d) * (2 - d) / 6;
  return 0;
}

bool sameVertex(Tpt a, Tpt b) {
  return std::abs(a.x - b.x) < SameVertexEps && std::abs(a.y - b.y) < SameVertexEps;
}

}  // namespace

void TBSpline::Clear() {
  FCount = 0;
  FInterpolated = false;
}

void TBSpline::AddVertex(Tpt p) {
  if (FCount >= SplineMaxPoints) {
    ShowErrorMessage(SplineFullMessage);
    return;
  }
  FVertexList[FCount + 1] = p;
  ++FCount;
  PhantomPoints();
}

void TBSpline::PhantomPoints() {
  if (FCount < 2) return;
  auto& P = FVertexList;
  P[0] = {2 * P[1].x - P[2].x, 2 * P[1].y - P[2].y};
  const auto n = static_cast<std::size_t>(FCount);
  P[n + 1] = {2 * P[n].x - P[n - 1].x, 2 * P[n].y - P[n - 1].y};
}

void TBSpline::Interpolate() {
  if (FCount < 3 || FInterpolated) return;
  const auto n = static_cast<std::size_t>(FCount);
  auto& P = FVertexList;
  // Row r stands for point r + 1; end rows pin the end points.
  std::vector<float> a(n * n, 0.0f);
  auto at = [&](std::size_t r, std::size_t c) -> float& { return a[r * n + c]; };
  at(0, 0) = 1;
  at(n - 1, n - 1) = 1;
  for (std::size_t r = 1; r + 1 < n; ++r) {
    if (sameVertex(P[r + 1], P[r]) && sameVertex(P[r + 1], P[r + 2])) {
      at(r, r) = 1;
    } else {
      at(r, r - 1) = 1.0f / 6;
      at(r, r) = 2.0f / 3;
      at(r, r + 1) = 1.0f / 6;
    }
  }
  for (std::size_t r = 0; r < n; ++r)
    if (std::abs(at(r, r)) < MinPivot) return;

  std::vector<Tpt> b(P.begin() + 1, P.begin() + 1 + static_cast<std::ptrdiff_t>(n));
  for (std::size_t k = 0; k < n; ++k) {
    // Elimination can shrink a pivot; stop unchanged rather than divide by ~0.
    if (std::abs(at(k, k)) < MinPivot) return;
    for (std::size_t r = k + 1; r < n; ++r) {
      const float m = at(r, k) / at(k, k);
      if (m == 0) continue;
      for (std::size_t c = k; c < n; ++c) at(r, c) -= m * at(k, c);
      b[r].x -= m * b[k].x;
      b[r].y -= m * b[k].y;
    }
  }
  for (std::size_t k = n; k-- > 0;) {
    Tpt s = b[k];
    for (std::size_t c = k + 1; c < n; ++c) {
      s.x -= at(k, c) * b[c].x;
      s.y -= at(k, c) * b[c].y;
    }
    b[k] = {s.x / at(k, k), s.y / at(k, k)};
  }
  for (const Tpt& q : b)
    if (!std::isfinite(q.x) || !std::isfinite(q.y)) return;
  std::copy(b.begin(), b.end(), P.begin() + 1);
  PhantomPoints();
  FInterpolated = true;
}

Tpt TBSpline::Value(double t) const {
  if (FCount < 1) return {};
  if (FCount == 1) return FVertexList[1];
  const double s = t * (FCount - 1);
  const double c = std::nearbyint(s);
  // Indices outside 0..FCount + 1 carry zero weight for t in 0..1, so skipping
  // them leaves the curve unchanged and keeps the reads inside the array.
  const double lo = std::max(c - 2, 0.0);
  const double hi = std::min(c + 3, double(FCount + 1));
  Tpt r;
  for (double i = lo; i <= hi; i += 1) {
    const double w = basis(std::abs(s - (i - 1)));
    const Tpt& p = FVertexList[static_cast<std::size_t>(i)];
    r.x += w * p.x;
    r.y += w * p.y;
  }
  return r;
}
