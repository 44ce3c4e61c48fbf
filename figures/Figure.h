#pragma once
// The two abstract bases of every drawable thing: TDocItem, what the
// document/view framework selects and drags by handles, and TCustomFigure,
// which adds pen, brush, rotation, scale, the parent set, the transforms
// between a figure's frame and the drawing, its saved values and the drawing
// helpers every figure shares (dashed lines included).

#include "figures/FigureDocument.h"
#include "foundation/ComponentLists.h"
#include "foundation/Comtype.h"
#include "platform/Canvas.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TCustomFigureSet;
class TCustomNodeItem;
class TRegion;

// What Draw and Paint are handed.
struct TShowPlace {
  TCanvas* cvs = nullptr;
  double Factor = 1.0;  // logical units per device pixel of the target
  bool ShowSelect = false;
  TRect AClipRect;  // logical; empty means everything
  TFigureView* View = nullptr;
};

// A logical rectangle in doubles: where a figure can be hit.
struct TDBox {
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};

// Dash tables in logical units: positive entries are drawn, negative ones skipped.
extern const std::int32_t DotLine[2];
extern const std::int32_t DashLine[2];
extern const std::int32_t DashDotLine[4];
extern const std::int32_t DashDotDotLine[6];

// A dashed polyline through Count points with a pattern of High + 1 entries,
// recorded as moves and lines on Canvas (callers wrap it in a path). The
// pattern phase carries from one segment to the next.
void DrawOwnLine(TCanvas& Canvas, const TPoint* Points, int Count, int High, const std::int32_t* Pattern);
// The same, given the number of segments (Points holds Segments + 1 points).
void DrawOwnLineExt(TCanvas& Canvas, const TPoint* Points, int Segments, int High,
                    const std::int32_t* Pattern);
// Strokes the polyline with the pen style, dashes included, in one path so
// wide pens join cleanly. Only what lies near the clip box costs work.
void StrokeStyled(TCanvas& Canvas, const TPoint* Points, int Count, int Style);

// The parameters [U0, U1] of segment A-B (logical) that lie in Canvas's clip
// box grown by Margin; false when no part does. Routines that step along a
// figure use it so their work follows what is visible, not the figure's length.
bool VisibleSpan(const TCanvas& Canvas, Tpt A, Tpt B, double Margin, double& U0, double& U1);
// How far past the clip box a stroke of the selected pen can still reach.
double StrokeMargin(const TCanvas& Canvas);

void PenStyleToStr(int Style, std::string& S);

// Property dialogs live with the application, above the figures: it
// registers one editor per class, and EditProperties finds the nearest one up
// the class chain. Returns true when the user pressed OK.
using TPropertyEditor = std::function<bool(TFigureView* View, class TDocItem& Item)>;
void RegisterPropertyEditor(const TMetaClass& Class, TPropertyEditor Editor);
const TPropertyEditor* FindPropertyEditor(const TMetaClass& Class);

class TDocItem : public TMyPersistent {
  PLANDECK_DECLARE_CLASS(TDocItem)
public:
  explicit TDocItem(TMyPersistent* AOwner = nullptr) : TMyPersistent(AOwner) {}

  void Invalidate() override;

  virtual void SetDocument(TFigureDocument* Doc);
  virtual void CalcPositionRect(TRect& Rect) const;
  virtual void InvalidateSelf(TFigureView* View);
  virtual void DrawTracker(TCanvas& DC, TTrackerState State);
  virtual void GetHandleRect(int Index, TFigureView* View, TRect& Rect) const;
  virtual int GetHandleCount() const;
  virtual void GetHandle(int Index, TPoint& P) const;
  virtual void MoveHandleTo(int Index, TPoint P);
  virtual void RotateHandleTo(int Index, TPoint P);
  virtual bool Intersects(const TRect& Rect) const;
  virtual void OnEditProperties(TFigureView* View = nullptr);
  virtual void OnAfterEditProperties(TFigureView* View);
  virtual std::unique_ptr<TDocItem> Clone() const;
  virtual void EditProperties(TFigureView* View);
  virtual void MoveByOffset(double Dx, double Dy);
  virtual void SetRefPoint(double X, double Y);

  void SetModifiedFlag();
  // The display name, then "$" and the identity in eight hexadecimal digits.
  void GetIndexPath(std::vector<std::string>& Strings) const;
  // Finds or makes the tree nodes of the index path below Node; the last
  // one stands for this item.
  void InsertInheritList(TCustomNodeItem& Node);

  std::string FClassNameDescription;
  TFigureDocument* FDocument = nullptr;
};

class TCustomFigure : public TDocItem {
  PLANDECK_DECLARE_CLASS(TCustomFigure)
public:
  explicit TCustomFigure(TMyPersistent* AOwner = nullptr);
  ~TCustomFigure() override;

  void ReadData(TReader& Reader) override;
  void WriteData(TWriter& Writer) override;
  void AssignTo(TPersistent& Dest) const override;
  void Invalidate() override;
  void Modified() override;
  void Refresh() override;
  void Loaded() override;
  // The kind of figure, its name if it has one, and its identity.
  std::string ErrorSubject() const override;

  virtual double GetScale() const;
  virtual void SetScale(double Value);
  virtual void SetXzjd(double Value);
  virtual void Paint(TShowPlace& ShowPlace);
  virtual void Draw(TShowPlace& ShowPlace);
  virtual bool RealTimeAddPoint(Tpt P, TFigureView* View);
  virtual bool RealTimeDeletePoint(Tpt P, TFigureView* View);
  virtual void TransUserPt(Tpt P, Tpt& Q) const;
  virtual void TransSysPt(Tpt P, Tpt& Q) const;
  virtual double TransUserV(double V) const;
  virtual double TransSysV(double V) const;
  virtual std::unique_ptr<TRegion> GetRegion();
  virtual std::unique_ptr<TRegion> GetClientRegion(TCanvas& DC);
  // P is a logical point; Factor the logical units per device pixel.
  virtual bool Selected(Tpt P, double Factor) const;
  // Points: a vertex list whose items hold the clicked points.
  virtual void CreateByRefPoint(TTxCollectFound& Points);
  virtual void Explode(TCustomFigureSet& Set);
  virtual void FigureMirror(TBx Line);
  virtual void DrawLine(Tpt P1, Tpt P2, TCanvas& Canvas);
  virtual bool GetCapturePoint(Tpt& P, TPointLx& Kind, TFigureView* View, TPoint CursorPt,
                               TPointLxSet KindSet);
  // A logical rectangle outside which Selected(P, Factor) is never true, or
  // false when the figure cannot say; the drawing's spatial index uses it.
  virtual bool HitBounds(double Factor, TDBox& Box) const;

  // Tells the drawing root that a figure of it changed, so what it derived
  // from its figures (the spatial index) is worked out again.
  void NoteChanged() const;

  // Transforms between the local frame (the parent set's) and logical units.
  double GetAbsParentScale() const;
  double GetAbsParentXzjd() const;
  double GetLogOrgx() const;
  double GetLogOrgy() const;
  Tpt xyTransLogPt(double x, double y) const;
  Tpt xyTransAbsPt(double x, double y) const;
  void TransLogPt(TPoint P, TPoint& Q) const;
  void TransAbsPt(TPoint P, TPoint& Q) const;
  double TransLogV(double V) const;
  double TransAbsV(double V) const;

  void GetLayerName(std::string& Name) const;
  int GetLayerIndex() const;

  int HitTest(TPoint P, TFigureView* View, bool HandlesOnly);
  // P and Q logical: the capture radius is measured on the sheet as shown,
  // whatever the scales of the sets above the figure.
  bool PointInPoint(TPoint P, Tpt Q) const;
  // The snap rule every figure shares: the local point Local, mapped to
  // logical, within the capture radius of Cursor; P gets the logical point.
  bool NearPoint(Tpt Local, TPoint Cursor, Tpt& P) const;
  bool PointInLine(Tpt P, Tpt A, Tpt B, Tpt& Foot) const;
  bool PointInArc(Tpt P, Tpt Center, Tpt& Foot, double StartAngle, double EndAngle, double Radius) const;
  // True when Figure is drawn above this figure.
  bool IsTop(const TCustomFigure* Figure) const;

  void DrawDC(TCanvas& DC, TFigureView* View, const TRect& ClipRect);
  void DrawCircle(Tpt Center, TCanvas& Canvas, double Radius);
  void DrawAster(Tpt Center, TCanvas& Canvas, double Radius);

  void SetPen(const TPen& Pen) { FPen = Pen; }
  void SetBrush(const TBrush& Brush) { FBrush = Brush; }
  // The fill item becomes a copy of Block (keeping its size on the sheet), or none.
  void SetFillItem(const TCustomFigureSet* Block);
  // Block's copy with its scale multiplied by Factor: a block taken from a
  // figure whose parents scale by Factor keeps its size on the sheet.
  void SetFillItemScaled(const TCustomFigureSet* Block, double Factor);

  std::string FCaption;
  std::string FName;
  TPen FPen;
  TBrush FBrush;
  TCustomFigureSet* FParent = nullptr;
  double FXzJd = 0;
  double FScale = 1.0;
  std::unique_ptr<TCustomFigureSet> FFillItem;

protected:
  int CaptureBj() const;

  // The local-to-logical map of this figure's frame, worked out once for
  // many points: O + s * R(theta)(p).
  struct TLogFrame {
    double s = 1, c = 1, sn = 0;
    Tpt o;
    Tpt Map(Tpt p) const { return {o.x + s * (p.x * c - p.y * sn), o.y + s * (p.x * sn + p.y * c)}; }
  };
  TLogFrame LogFrame() const;
  // The frame of the children of Set, as each of them would work it out.
  static TLogFrame ChildFrameOf(const TCustomFigureSet& Set);
};
