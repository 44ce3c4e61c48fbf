#pragma once
// Circular arcs as used by outline edges: points, angle ranges, hit tests.

#include "foundation/Comtype.h"

#include <cstdint>

// An arc covering qj..zj counter-clockwise (qj <= zj, radians) around yx.
struct TArc {
  double qj = 0;
  double zj = 0;
  Tpt yx;
  double bj = 0;
  std::int32_t Direction = 0;
};

// Pick tolerance of an arc edge, in device pixels.
inline constexpr double ArcPickPixels = 3.0;

Tpt Arcjdtod(const TArc& arc, double jd);
bool jonArc(const TArc& arc, double jd);
bool pjjArc(Tpt p, const TArc& arc, double showscale);
