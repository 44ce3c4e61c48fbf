#pragma once
// The multi-segment line ("折线"): an open chain of vertices, each segment
// straight or a circular arc of a given radius. The route lines and the text
// line build on it: they keep its vertex model, saved values, handles, edits
// and snapping, and paint in their own way (Paint, and PaintPath for the
// plain chain).

#include "figures/Blocks.h"
#include "figures/Figure.h"
#include "foundation/Workdbx.h"

#include <memory>
#include <span>

class TCustomMltLine : public TCustomFigure {
  PLANDECK_DECLARE_CLASS(TCustomMltLine)
public:
  explicit TCustomMltLine(TMyPersistent* AOwner = nullptr);
  ~TCustomMltLine() override;

  void ReadData(TReader& Reader) override;
  void WriteData(TWriter& Writer) override;
  void AssignTo(TPersistent& Dest) const override;
  void Refresh() override;
  void CalcPositionRect(TRect& Rect) const override;
  int GetHandleCount() const override;
  void GetHandle(int Index, TPoint& P) const override;
  void MoveHandleTo(int Index, TPoint P) override;
  void RotateHandleTo(int Index, TPoint P) override;
  void MoveByOffset(double Dx, double Dy) override;
  void SetScale(double Value) override;
  void Paint(TShowPlace& ShowPlace) override;
  bool RealTimeAddPoint(Tpt P, TFigureView* View) override;
  bool RealTimeDeletePoint(Tpt P, TFigureView* View) override;
  bool Selected(Tpt P, double Factor) const override;
  bool HitBounds(double Factor, TDBox& Box) const override;
  // The vertices become the reference points (local to the parent).
  void CreateByRefPoint(TTxCollectFound& Points) override;
  void Explode(TCustomFigureSet& Set) override;
  void FigureMirror(TBx Line) override;
  bool GetCapturePoint(Tpt& P, TPointLx& Kind, TFigureView* View, TPoint CursorPt,
                       TPointLxSet KindSet) override;

  // Appends a vertex at the logical point P (the drawing tool's clicks).
  virtual void AddPoint(Tpt P);
  // The tools' rubber vertex: the last vertex moves to, or is dropped.
  void ReplaceLastPoint(Tpt P);
  void RemoveLastPoint();
  int GetPointCount() const { return FDDList->Count(); }

  // The vertices become copies of List's.
  void SetDDList(const TTxCollectBxdy& List);
  // Rebuilds the edge list from the vertices.
  void CreateWDbxByDDList();

  TTxCollectBxdy& DDList() const { return *FDDList; }
  TTxPolygonBxdy& Vertex(int Index) const { return *FDDList->Points(Index); }
  const TWorkDbxbxList& PWLine() const { return FPWLine; }

  // The vertices (FDDList) and the edges derived from them (FPWLine).
  std::unique_ptr<TTxCollectBxdy> FDDList;
  TWorkDbxbxList FPWLine;

protected:
  // The chain flattened, mapped and stroked in one path with the pen style.
  void PaintPath(TCanvas& Canvas);
  // The first edge within T (local units) of the local point P.
  bool EdgesHit(Tpt P, double T) const;
  // Where the hit test reaches from the chain, in local units.
  virtual double HitTolerance() const;
  // The logical box of the edges (arcs' outermost points included).
  bool EdgeBox(TDBox& Box) const;
  // Records an undo step for this figure in its drawing (the view's kind 2).
  void BackUpSelf();
};

class TTxMltLine : public TCustomMltLine {
  PLANDECK_DECLARE_CLASS(TTxMltLine)
public:
  explicit TTxMltLine(TMyPersistent* AOwner = nullptr) : TCustomMltLine(AOwner) {}
  std::unique_ptr<TDocItem> Clone() const override;
};

void RegisterMltLineClasses();
void RegisterPenLineClasses();
void RegisterBezierClasses();
void RegisterPolygonMeshClasses();
// The open line figures: multi-segment, freehand and spline lines, meshes.
inline void RegisterOpenLineClasses() {
  RegisterMltLineClasses();
  RegisterPenLineClasses();
  RegisterBezierClasses();
  RegisterPolygonMeshClasses();
}
