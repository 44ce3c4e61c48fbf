#pragma once
// What every figure family needs and none should copy: point arithmetic on
// Tpt, angle units and the change protocol of a geometric edit.

#include "figures/Figure.h"

#include <cmath>
#include <numbers>

inline constexpr double Pi = std::numbers::pi;

inline double DegToRad(double Deg) { return Deg * Pi / 180.0; }
inline double RadToDeg(double Rad) { return Rad * 180.0 / Pi; }

inline Tpt operator+(Tpt a, Tpt b) { return {a.x + b.x, a.y + b.y}; }
inline Tpt operator-(Tpt a, Tpt b) { return {a.x - b.x, a.y - b.y}; }
inline Tpt operator*(double k, Tpt p) { return {k * p.x, k * p.y}; }

// p + k * v, and p - k * v.
inline Tpt Add(Tpt p, Tpt v, double k = 1) { return {p.x + k * v.x, p.y + k * v.y}; }
inline Tpt Sub(Tpt p, Tpt v, double k = 1) { return {p.x - k * v.x, p.y - k * v.y}; }
inline Tpt Mid(Tpt a, Tpt b) { return {(a.x + b.x) / 2, (a.y + b.y) / 2}; }
inline Tpt Lerp(Tpt a, Tpt b, double t) { return {a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)}; }
inline double Dist(Tpt a, Tpt b) { return std::hypot(b.x - a.x, b.y - a.y); }
// The unit vector at angle a (radians, counter-clockwise from +x).
inline Tpt Dir(double a) { return {std::cos(a), std::sin(a)}; }
// p turned counter-clockwise about the origin by Degrees.
inline Tpt Rot(Tpt p, double Degrees) { return protate(p, DegToRad(Degrees)); }

// A geometric edit under the change protocol: the old area is invalidated,
// the change is made under FChanging, then Modified.
template <class Fn>
void Change(TCustomFigure& F, Fn&& Do) {
  F.Invalidate();
  {
    TChangingGuard guard(F);
    Do();
  }
  F.Modified();
}
