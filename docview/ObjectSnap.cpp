#include "docview/ObjectSnap.h"

#include "docview/Environment.h"
#include "docview/FiguresDoc.h"

#include <cmath>

namespace {
TPoint ClientToLog(const TDocView& View, TPoint ClientPos) {
  View.PointClientToDoc(ClientPos);
  return ClientPos;
}
}  // namespace

TPointLx CaptureSnapPoint(TDocView& View, TPoint ClientPos) {
  View.FPointLx = plNone;
  const TPointLxSet kinds = SysEnvironment ? SysEnvironment->FPointLxSet : 0;
  auto* doc = dynamic_cast<TFiguresDoc*>(View.Document());
  if (!doc || kinds == 0) return plNone;
  const TPoint local = ClientToLog(View, ClientPos);
  // Only the figures whose boxes are near the cursor are asked.
  TMyList near;
  doc->PointSelectItem(local, near);
  for (int i = near.Count() - 1; i >= 0; --i) {
    auto* f = dynamic_cast<TCustomFigure*>(near.Items(i));
    Tpt p;
    TPointLx kind = plNone;
    if (f && f->GetCapturePoint(p, kind, &View, local, kinds) && kind != plNone) {
      View.FPointLx = kind;
      View.FCapturedPoint = p;
      break;
    }
  }
  return View.FPointLx;
}

bool OrthoMode() { return SysEnvironment && SysEnvironment->FOrtho; }

Tpt OrthoPoint(Tpt P, Tpt Base) {
  if (std::abs(P.x - Base.x) >= std::abs(P.y - Base.y)) return Tpt{P.x, Base.y};
  return Tpt{Base.x, P.y};
}

namespace {
Tpt SnappedPoint(TDocView& View, TPoint ClientPos, const Tpt* OrthoBase) {
  // A typed point is placed exactly: neither snap nor orthogonal mode moves it.
  if (View.FTypedPoint) return *View.FTypedPoint;
  if (CaptureSnapPoint(View, ClientPos) != plNone) return View.FCapturedPoint;
  const Tpt p = dptop(ClientToLog(View, ClientPos));
  if (OrthoBase && OrthoMode()) return OrthoPoint(p, *OrthoBase);
  return p;
}
}  // namespace

Tpt SnapPoint(TDocView& View, TPoint ClientPos, const Tpt* OrthoBase) {
  const Tpt p = SnappedPoint(View, ClientPos, OrthoBase);
  View.NotePlacedPoint(p);
  return p;
}
