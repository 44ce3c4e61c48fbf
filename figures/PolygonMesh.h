#pragma once
// The polygon mesh ("三维网格"): an M by N grid of points drawn as its rows
// and columns. Only DXF import makes one.

#include "figures/Figure.h"

#include <cstdint>
#include <memory>
#include <vector>

// Painting maps the points into one fixed array.
inline constexpr std::int64_t MeshMaxPoints = 8192;
inline constexpr const char* MeshTooLargeMessage = "三维网格的点数超过8192个，无法读入！";

class TCustomPolygonMesh : public TCustomFigure {
  PLANDECK_DECLARE_CLASS(TCustomPolygonMesh)
public:
  explicit TCustomPolygonMesh(TMyPersistent* AOwner = nullptr);

  void ReadData(TReader& Reader) override;
  void WriteData(TWriter& Writer) override;
  void AssignTo(TPersistent& Dest) const override;
  void CalcPositionRect(TRect& Rect) const override;
  int GetHandleCount() const override { return int(FPoints.size()); }
  void GetHandle(int Index, TPoint& P) const override;
  void MoveHandleTo(int Index, TPoint P) override;
  void MoveByOffset(double Dx, double Dy) override;
  void Paint(TShowPlace& ShowPlace) override;
  bool Selected(Tpt P, double Factor) const override;
  bool HitBounds(double Factor, TDBox& Box) const override;
  void Explode(TCustomFigureSet& Set) override;
  void FigureMirror(TBx Line) override;
  bool GetCapturePoint(Tpt& P, TPointLx& Kind, TFigureView* View, TPoint CursorPt,
                       TPointLxSet KindSet) override;

  // The DXF reader's mesh: M rows of N points, row by row. False (and
  // nothing changes) when the counts are negative, their product exceeds
  // MeshMaxPoints or Points holds fewer.
  bool InitFigure(std::int32_t M, std::int32_t N, bool CloseN, bool CloseM, const std::vector<Tpt>& Points);

  std::vector<Tpt> FPoints;  // entry i * N + j is row i, column j
  std::int32_t FMCount = 0;
  std::int32_t FNCount = 0;
  bool FCloseM = false;  // each column is closed
  bool FCloseN = false;  // each row is closed
};

class TPolygonMesh : public TCustomPolygonMesh {
  PLANDECK_DECLARE_CLASS(TPolygonMesh)
public:
  explicit TPolygonMesh(TMyPersistent* AOwner = nullptr) : TCustomPolygonMesh(AOwner) {}
  std::unique_ptr<TDocItem> Clone() const override;
};
