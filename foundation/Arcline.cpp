#include "foundation/Arcline.h"

#include <cmath>
#include <numbers>

Tpt Arcjdtod(const TArc& arc, double jd) {
  return {arc.yx.x + arc.bj * std::cos(jd), arc.yx.y + arc.bj * std::sin(jd)};
}

bool jonArc(const TArc& arc, double jd) {
  constexpr double TwoPi = 2 * std::numbers::pi;
  // The range may start below 0 or end past 2π; try the angle in both neighbours.
  for (const double a : {jd, jd + TwoPi, jd - TwoPi})
    if (a >= arc.qj && a <= arc.zj) return true;
  return false;
}

bool pjjArc(Tpt p, const TArc& arc, double showscale) {
  if (!jonArc(arc, ppjd(arc.yx, p))) return false;
  return std::abs(modV(ppV(arc.yx, p)) - arc.bj) < ArcPickPixels / showscale;
}
