#pragma once
// Outlines whose edges are straight segments or circular arcs, and their
// conversion into flat point lists and convex straight-edged rings.

#include "foundation/Arcline.h"
#include "foundation/Comtype.h"

#include <cstdint>
#include <memory>
#include <vector>

enum TBxlx : std::uint8_t { blLine = 0, blArc = 1 };

// One outline edge. Straight edges keep qj, zj, bj and Direction zero.
struct TWorkDbxbx {
  TBxlx lx = blLine;
  Tpt qd;
  Tpt zd;
  double qj = 0;
  double zj = 0;
  Tpt yx;
  double bj = 0;
  std::int32_t Direction = 0;  // 1: qd -> zd counter-clockwise, 0: clockwise
};

using TWorkDbxbxList = std::vector<TWorkDbxbx>;
using TWddList = std::vector<Tpt>;  // a flattened point list

struct TWorkDbx {
  TWorkDbxbxList bx;
  std::vector<TSimplePygon> fxpg;  // convex rings rebuilt by workdbxfxjs
};

// Flattening steps, in degrees.
inline constexpr double FlattenStepDeg = 4.0;
inline constexpr double ChordStepDeg = 10.0;
// Chord end points sit slightly outside the arc so the chords straddle it.
inline constexpr double ChordRadiusCoarse = 1.0028624;
inline constexpr double ChordRadiusFine = 1.000675;
// An arc's own start further than this from the edge's qd runs backwards.
inline constexpr double ChordReverseDistance = 5.0;
// Offset products below this put two points on opposite sides of a line.
inline constexpr double SideEps = 1e-7;

TBx wdbxbxtobx(const TWorkDbxbx& e);
TArc wdbxbxtoarc(const TWorkDbxbx& e);
void wbxqdarccs(TWorkDbxbx& e);
double wdbxbxcd(const TWorkDbxbx& e);
double wdbxzc(const TWorkDbx& w);
double MltLinezc(const TWorkDbxbxList& bx);
void checkwdbx(TWorkDbx& w);
TWddList wdbxtowdd(const TWorkDbx& w);
TWddList MltLineToWdd(const TWorkDbxbxList& bx);
TWorkDbxbxList WbxToStandardWbx(const TWorkDbxbxList& bx, double minjl);
void workdbxfxjs(TWorkDbx& w);
// False when the ring has fewer than 3 edges (it is then dropped).
bool wddtopg(const TWddList& wdd, TSimplePygon& pg);
bool pinwdbx(Tpt p, const TWorkDbx& w);
bool pjjwdbxbx(Tpt p, const TWorkDbxbx& e, double showscale);
TPygonList wdbxtocdbx(const TWorkDbx& w);
void jmxztowdbx(TWorkDbx& w, double jd, double height, double width, double yxy, double yxx);
bool bxyzispx(TBx bx);
double plxjy(Tpt p, TBx bx);
double plxjx(Tpt p, TBx bx);

// Ring splitting. Each cut replaces `ring` by two smaller rings A and B and
// returns true; false leaves them untouched.
bool dbxqg(const TWddList& ring, TWddList& A, TWddList& B);
bool dbxhf(const TWddList& ring, TWddList& A, TWddList& B);
bool dbxzqg(const TWddList& ring, TWddList& A, TWddList& B);
// Splits a ring until every piece passes all three cuts; a point repeated
// in a row (or first and last) is kept once before each piece is cut.
std::vector<TWddList> SplitRing(TWddList ring);

void delwdd(TWddList& wdd);
void deldbxzxfx(TWorkDbx& w);
void delWdbx(std::unique_ptr<TWorkDbx>& w);
