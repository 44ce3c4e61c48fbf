#pragma once
// Object snap and orthogonal drawing, the service every tool (and the
// drawing view's capture marker) calls for the points it places. Snap points come from the figures near the cursor
// (GetCapturePoint); the kinds tried are the environment's PointLxSet.

#include "docview/DocView.h"

// Looks for a snap point near a client point and records the answer in the
// view: PointLx (plNone when nothing is near) and CapturedPoint (logical).
TPointLx CaptureSnapPoint(TDocView& View, TPoint ClientPos);

// Whether the environment asks for orthogonal drawing.
bool OrthoMode();
// P aligned with Base: horizontal when |dx| >= |dy|, else vertical.
Tpt OrthoPoint(Tpt P, Tpt Base);

// The point a tool places for a client point, in logical units: the
// captured snap point when there is one; otherwise, when OrthoBase is given
// and orthogonal mode is on, aligned with it; otherwise the point itself.
Tpt SnapPoint(TDocView& View, TPoint ClientPos, const Tpt* OrthoBase = nullptr);
