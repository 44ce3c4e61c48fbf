#pragma once
// Plane geometry kernel: value records and free routines over them.

#include <cstdint>
#include <memory>
#include <vector>

struct Tpt {
  double x = 0;
  double y = 0;
};

struct Tv {
  double x = 0;
  double y = 0;
};

struct TBx {
  Tpt qd;
  Tpt zd;
};

struct TPoint {
  std::int32_t x = 0;
  std::int32_t y = 0;
};

// Tolerances. Every comparison in the kernel goes through one of these so the
// figures, hit tests and area code agree on what "equal" and "on" mean.
inline constexpr double EPS = 1e-7;                 // equal points, zero cross products, zero angles
inline constexpr double ParamCeiling = 1.0000001;   // a parameter still on the segment (pgjqbx)
inline constexpr double EndInsideBound = 0.9999999; // pgjqpg
inline constexpr double BoxMargin = 0.0001;         // bounding-box rejection in pinpygon
inline constexpr double NearPointsDist = 10.0;      // ppjsxd, per axis
inline constexpr double MinOverlapArea = 10.0;      // smaller overlap polygons are discarded
inline constexpr double MinSemiPerimeter = 1.0;     // smaller triangles have area 0
inline constexpr double PickPixels = 4.0;           // pjjbx: device pixels, divided by the display factor
inline constexpr double AuxSegmentLength = 100.0;   // pjdtobx

enum TdbxLx : std::uint8_t { lxSolid = 0, lxVirsul = 1, lxDel = 2 };
enum Tdbxjx : std::uint8_t { jxAdd = 0, jxDec = 1 };
enum TdbxTx : std::uint8_t { txMain = 0, txXjzx = 1 };
enum TddlxLx : std::uint8_t { lxReal = 0, lxHide = 1 };

// One run of a polygon edge, by parameter along the edge.
struct TBxzd {
  double qt = 0;
  double zt = 1;
  TddlxLx lx = lxReal;
  std::int32_t zsid = 0;
};

// One polygon edge. The flags and stretch parameters are working state of a
// single pgpgxj call and are false / unused between calls.
struct Tpgbx {
  Tpt qd;
  Tpt zd;
  std::int32_t zsh = 0;
  std::vector<TBxzd> zbx;
  bool isxj = false;
  bool iscl = false;
  bool isch = false;
  double xjqt = 0;
  double xjzt = 0;
};

// A straight-edged polygon of the overlap machinery. It owns its edges and they
// own their runs, so dropping the record frees everything.
struct TPygon {
  TdbxLx lx = lxSolid;
  Tdbxjx jx = jxAdd;
  TdbxTx tx = txMain;
  std::vector<Tpgbx> bx;
};

using TPygonList = std::vector<std::unique_ptr<TPygon>>;

// A ring of an outline (TWorkDbx::fxpg): the same header as TPygon with plain
// segments, kept dense because every hit test walks it.
struct TSimplePygon {
  TdbxLx lx = lxSolid;
  Tdbxjx jx = jxAdd;
  TdbxTx tx = txMain;
  std::vector<TBx> bx;
  // Box of the edges' start points for pinpygon's rejection, kept so a hit
  // test need not walk the edges twice. Set by CacheRingBox (wddtopg calls
  // it); code that edits bx afterwards must call it again or clear boxed.
  bool boxed = false;
  double minx = 0, miny = 0, maxx = 0, maxy = 0;
};

// Points, vectors and segments.
double MinInTwo(double X, double Y);
double MaxInTwo(double X, double Y);
Tv ppV(Tpt d, Tpt t);
double modV(Tv d);
double VoV(Tv d, Tv t);
double VVd(Tv d, Tv t);
double ppjd(Tpt pyd, Tpt pjd);
Tpt dptop(TPoint d);
TPoint ptodp(Tpt d);
Tpt protate(Tpt p, double jd);
Tpt protateyd(Tpt yd, Tpt lp, double jd);
TBx pptobx(Tpt p1, Tpt p2);
TBx pjdtobx(Tpt p1, double jd);
TBx pbxtobx(const Tpgbx& L1);
double dtot(Tpt d, TBx bx1);
Tpt ttod(double t, TBx bx1);
bool ppisxd(Tpt p1, Tpt p2);
bool ppjsxd(Tpt p1, Tpt p2);
bool bxisch(TBx bx1, TBx bx2);
bool llispx(TBx L1, TBx L2);
Tpt lljd(TBx L1, TBx L2, double& lt1, double& lt2);
Tpt CalPtLine(Tpt Point, TBx bx1, double& t);
Tpt Caldcp(Tpt Point, TBx bx1);
bool pinbx(Tpt p, TBx L);
bool pinline(Tpt p, TBx L);
bool pjjbx(Tpt lp, TBx bx1, double showscale);
bool bxbjqyx(TBx bx1, double bj, Tpt& yx1, Tpt& yx2);
double sjxmj(Tpt p1, Tpt p2, Tpt p3);

// Polygons.
double pgmj(const TPygon& pg1);
double pgmj(const TSimplePygon& pg1);
double dbxmj(const TPygonList& dbx);
bool pinpygon(Tpt p, const TPygon& pg);
bool pinpygon(Tpt p, const TSimplePygon& pg);
void CacheRingBox(TSimplePygon& pg);
bool bxinpg(TBx bx, const TPygon& pg);
int pgjqbx(TBx bx, const TPygon& pg, double& jd1, double& jd2);
void pgjqpg(TPygon& pg1, const TPygon& pg2);
void bxzddj(Tpgbx& pgbx1);
std::unique_ptr<TPygon> pgpgxj(TPygon& pg1, TPygon& pg2, int xjfs);
void dbxxbdbx(TPygonList& dbx1, TPygonList& dbx2);

// Freeing, kept under the familiar names; ownership makes them plain clears.
void delpgzbx(Tpgbx& edge);
void delpgbx(TPygon& pg);
void delpg(std::unique_ptr<TPygon>& pg);
