#include "figures/PolygonMesh.h"

#include "figures/FigureKit.h"
#include "figures/FigureSet.h"
#include "figures/MltLine.h"
#include "foundation/StreamError.h"
#include "foundation/ValueStream.h"

#include <algorithm>
#include <cmath>

namespace {

// M * N worked out without overflow; -1 when either is negative.
std::int64_t MeshSize(std::int32_t M, std::int32_t N) {
  if (M < 0 || N < 0) return -1;
  return std::int64_t(M) * std::int64_t(N);
}

}  // namespace

PLANDECK_DEFINE_ABSTRACT_CLASS(TCustomPolygonMesh, TCustomFigure)

TCustomPolygonMesh::TCustomPolygonMesh(TMyPersistent* AOwner) : TCustomFigure(AOwner) {
  FClassNameDescription = "三维网格";
}

void TCustomPolygonMesh::ReadData(TReader& Reader) {
  TCustomFigure::ReadData(Reader);
  FPoints.clear();
  FMCount = FNCount = 0;
  const std::int32_t m = Reader.ReadInteger();
  const std::int32_t n = Reader.ReadInteger();
  const bool closeM = Reader.ReadBoolean();
  const bool closeN = Reader.ReadBoolean();
  const std::int64_t size = MeshSize(m, n);
  // Painting has room for MeshMaxPoints; a larger mesh is refused here
  // rather than written past that room later.
  if (size < 0 || size > MeshMaxPoints) throw EStreamError(MeshTooLargeMessage);
  Reader.CheckCount(size);
  std::vector<Tpt> pts;
  pts.reserve(std::size_t(size));
  for (std::int64_t i = 0; i < size; ++i) {
    Tpt p;
    p.x = Reader.ReadFloat();
    p.y = Reader.ReadFloat();
    pts.push_back(p);
  }
  FPoints = std::move(pts);
  FMCount = m;
  FNCount = n;
  FCloseM = closeM;
  FCloseN = closeN;
}

void TCustomPolygonMesh::WriteData(TWriter& Writer) {
  TCustomFigure::WriteData(Writer);
  Writer.WriteInteger(FMCount);
  Writer.WriteInteger(FNCount);
  Writer.WriteBoolean(FCloseM);
  Writer.WriteBoolean(FCloseN);
  const std::size_t size = std::size_t(std::max<std::int64_t>(0, MeshSize(FMCount, FNCount)));
  for (std::size_t i = 0; i < size && i < FPoints.size(); ++i) {
    Writer.WriteFloat(FPoints[i].x);
    Writer.WriteFloat(FPoints[i].y);
  }
}

void TCustomPolygonMesh::AssignTo(TPersistent& Dest) const {
  TCustomFigure::AssignTo(Dest);
  auto* d = dynamic_cast<TCustomPolygonMesh*>(&Dest);
  if (!d) return;
  d->FPoints = FPoints;
  d->FMCount = FMCount;
  d->FNCount = FNCount;
  d->FCloseM = FCloseM;
  d->FCloseN = FCloseN;
}

bool TCustomPolygonMesh::InitFigure(std::int32_t M, std::int32_t N, bool CloseN, bool CloseM,
                                    const std::vector<Tpt>& Points) {
  const std::int64_t size = MeshSize(M, N);
  if (size < 0 || size > MeshMaxPoints || std::int64_t(Points.size()) < size) return false;
  Change(*this, [&] {
    FMCount = M;
    FNCount = N;
    FCloseN = CloseN;
    FCloseM = CloseM;
    FPoints.assign(Points.begin(), Points.begin() + std::ptrdiff_t(size));
  });
  return true;
}

void TCustomPolygonMesh::CalcPositionRect(TRect& Rect) const {
  Rect = TRect{};
  if (FPoints.empty()) return;
  const TLogFrame f = LogFrame();
  for (std::size_t i = 0; i < FPoints.size(); ++i) {
    const TPoint d = ptodp(f.Map(FPoints[i]));
    if (i == 0) {
      Rect = {d.x, d.y, d.x, d.y};
      continue;
    }
    Rect.Left = std::min(Rect.Left, d.x);
    Rect.Top = std::min(Rect.Top, d.y);
    Rect.Right = std::max(Rect.Right, d.x);
    Rect.Bottom = std::max(Rect.Bottom, d.y);
  }
  ExpandRect(Rect, FPen.Width + 1);
}

void TCustomPolygonMesh::GetHandle(int Index, TPoint& P) const {
  if (Index < 1 || std::size_t(Index) > FPoints.size()) return;
  const Tpt p = FPoints[std::size_t(Index - 1)];
  P = ptodp(xyTransLogPt(p.x, p.y));
}

void TCustomPolygonMesh::MoveHandleTo(int Index, TPoint P) {
  if (Index < 1 || std::size_t(Index) > FPoints.size()) return;
  const Tpt p = xyTransAbsPt(P.x, P.y);
  Change(*this, [&] { FPoints[std::size_t(Index - 1)] = p; });
}

void TCustomPolygonMesh::MoveByOffset(double Dx, double Dy) {
  const Tpt o = xyTransAbsPt(0, 0), q = xyTransAbsPt(Dx, Dy);
  const Tpt d{q.x - o.x, q.y - o.y};
  Change(*this, [&] {
    for (Tpt& p : FPoints) p = Add(p, d);
  });
}

void TCustomPolygonMesh::Paint(TShowPlace& ShowPlace) {
  const std::int64_t size = MeshSize(FMCount, FNCount);
  if (FPen.Style == psClear || !ShowPlace.cvs || FMCount <= 0 || FNCount <= 0) return;
  // Counts that do not match the points (never from a file) draw nothing.
  if (size > MeshMaxPoints || std::int64_t(FPoints.size()) < size) return;
  TCanvas& cv = *ShowPlace.cvs;
  std::vector<TPoint> pts(static_cast<std::size_t>(size));
  const TLogFrame f = LogFrame();
  for (std::int64_t i = 0; i < size; ++i) pts[std::size_t(i)] = ptodp(f.Map(FPoints[std::size_t(i)]));
  const int m = FMCount, n = FNCount;
  std::vector<TPoint> line;
  line.reserve(std::size_t(std::max(m, n)) + 1);
  // A closed row or column returns to its first point; the mesh is never filled.
  for (int i = 0; i < m; ++i) {
    line.assign(pts.begin() + i * n, pts.begin() + (i + 1) * n);
    if (FCloseN && n > 1) line.push_back(line.front());
    StrokeStyled(cv, line.data(), int(line.size()), FPen.Style);
  }
  for (int j = 0; j < n; ++j) {
    line.clear();
    for (int i = 0; i < m; ++i) line.push_back(pts[std::size_t(i * n + j)]);
    if (FCloseM && m > 1) line.push_back(line.front());
    StrokeStyled(cv, line.data(), int(line.size()), FPen.Style);
  }
}

bool TCustomPolygonMesh::Selected(Tpt P, double) const {
  TRect r;
  CalcPositionRect(r);
  return !FPoints.empty() && P.x >= r.Left && P.x <= r.Right && P.y >= r.Top && P.y <= r.Bottom;
}

bool TCustomPolygonMesh::HitBounds(double, TDBox& Box) const {
  if (FPoints.empty()) return false;
  TRect r;
  CalcPositionRect(r);
  Box = {double(r.Left), double(r.Top), double(r.Right), double(r.Bottom)};
  return true;
}

void TCustomPolygonMesh::Explode(TCustomFigureSet& Set) {
  Change(*this, [&] {
    for (Tpt& p : FPoints) p = ExplodePoint(p, Set);
  });
}

void TCustomPolygonMesh::FigureMirror(TBx Line) {
  for (Tpt& p : FPoints) p = Caldcp(p, Line);
  Modified();
}

bool TCustomPolygonMesh::GetCapturePoint(Tpt& P, TPointLx& Kind, TFigureView* View, TPoint CursorPt,
                                         TPointLxSet KindSet) {
  if (View && View->IsSelected(this)) return false;
  if (KindSet & PointLxBit(plEndPoint))
    for (Tpt p : FPoints)
      if (NearPoint(p, CursorPt, P)) return Kind = plEndPoint, true;
  return false;
}

PLANDECK_DEFINE_CLASS(TPolygonMesh, TCustomPolygonMesh)

std::unique_ptr<TDocItem> TPolygonMesh::Clone() const {
  auto copy = std::make_unique<TPolygonMesh>(FOwner);
  copy->Assign(*this);
  return copy;
}

void RegisterPolygonMeshClasses() { RegisterClass(TPolygonMesh::StaticClass()); }
