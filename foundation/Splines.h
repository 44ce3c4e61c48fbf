#pragma once
// Interpolating cubic B-spline through up to 50 points.

#include "foundation/Comtype.h"

#include <array>
#include <cstdint>

inline constexpr std::int32_t SplineMaxPoints = 50;
inline constexpr const char* SplineFullMessage = "样条曲线已达到最大端点数！";

class TBSpline {
 public:
  TBSpline() = default;

  void Clear();
  void AddVertex(Tpt p);
  // Replaces the points by control points so that Value passes through them.
  void Interpolate();
  Tpt Value(double t) const;
  void PhantomPoints();

  std::int32_t FCount = 0;
  // Index 0 and FCount + 1 hold phantom points; the points are at 1..FCount.
  std::array<Tpt, SplineMaxPoints + 2> FVertexList{};
  bool FInterpolated = false;
};
