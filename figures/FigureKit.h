#pragma once
// What every figure family needs and none should copy: point arithmetic on
// Tpt, angle units and the change protocol of a geometric edit.

#include "figures/Figure.h"

#include <algorithm>
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

// The framed rectangle pictures, embedded objects and block frames are:
// origin corner Yd, size s*W by s*H in the figure's frame (y up), turned by
// Angle degrees about Yd, s the figure's own scale. Handles run as the design
// numbers them: the origin corner, the bottom middle, and on round the frame.
struct TFrameRect {
  const TCustomFigure& F;
  Tpt Yd;
  double W, H;
  double Angle = 0;

  double S() const { return F.GetScale(); }
  // The point at fractions (u, v) of the width and height.
  Tpt At(double u, double v) const {
    const Tpt d{u * S() * W, v * S() * H};
    return Angle == 0 ? Tpt{Yd.x + d.x, Yd.y + d.y} : Add(Yd, Rot(d, Angle));
  }
  // Corner i (0..3) counter-clockwise from the origin corner.
  Tpt Corner(int i) const {
    static constexpr double ku[4] = {0, 1, 1, 0}, kv[4] = {0, 0, 1, 1};
    return At(ku[i], kv[i]);
  }
  // Handle 1..8.
  Tpt Handle(int Index) const {
    static constexpr double ku[8] = {0, 0.5, 1, 1, 1, 0.5, 0, 0};
    static constexpr double kv[8] = {0, 0, 0, 0.5, 1, 1, 1, 0.5};
    return At(ku[Index - 1], kv[Index - 1]);
  }
  // The logical box of the four corners.
  TRect LogRect() const {
    TRect r;
    for (int i = 0; i < 4; ++i) {
      const Tpt c = Corner(i);
      const TPoint d = ptodp(F.xyTransLogPt(c.x, c.y));
      if (i == 0) {
        r = {d.x, d.y, d.x, d.y};
        continue;
      }
      r.Left = std::min(r.Left, d.x);
      r.Top = std::min(r.Top, d.y);
      r.Right = std::max(r.Right, d.x);
      r.Bottom = std::max(r.Bottom, d.y);
    }
    return r;
  }
  void DrawFrame(TCustomFigure& Fig, TCanvas& Canvas) const {
    for (int i = 0; i < 4; ++i) Fig.DrawLine(Corner(i), Corner((i + 1) % 4), Canvas);
  }
};
