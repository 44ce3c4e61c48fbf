#pragma once
// The arc edge of a vertex record, as the multi-segment lines and the closed
// polygons build it: the radius is the master value; the stored centre only
// chooses between the two circles of that radius through the edge's ends.

#include "foundation/Workdbx.h"

// The centre of the arc of radius Bj from A to B: of the two candidates the
// one nearer to Yx (the second only when strictly nearer). False when no
// such circle exists (radius not above zero, or shorter than half the chord).
bool ArcEdgeCentre(Tpt A, Tpt B, double Bj, Tpt Yx, Tpt& Centre);

// The edge from A to B that a vertex of kind Lx describes. An arc whose
// circle does not exist is built straight; an arc that does stores its
// centre back into Yx.
TWorkDbxbx VertexEdge(Tpt A, Tpt B, TBxlx Lx, double Bj, Tpt& Yx, std::int32_t Direction);

// The circle through S, M and E, and the sense (1 counter-clockwise) in which
// S -> M -> E runs round it. False for (nearly) collinear points.
bool CircleThrough(Tpt S, Tpt M, Tpt E, Tpt& Centre, std::int32_t& Direction);

// The point half way along an edge: a line's middle, an arc's mid angle.
Tpt EdgeMiddle(const TWorkDbxbx& E);
