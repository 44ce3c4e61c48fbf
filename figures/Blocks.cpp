#include "figures/Blocks.h"

#include "figures/FigureFamily.h"
#include "figures/FigureKit.h"

#include "foundation/ValueStream.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

TTxFigureSet* RootOf(const TCustomFigure& Figure) {
  const TCustomFigure* top = &Figure;
  while (top->FParent) top = top->FParent;
  return dynamic_cast<TTxFigureSet*>(const_cast<TCustomFigure*>(top));
}

bool Visible(const std::string& Entry) {
  const int flag = LayerFlag(Entry);
  return flag == lfVisible || flag == lfCurrent || flag == lfLocked;
}


}  // namespace

Tpt ExplodePoint(Tpt P, const TCustomFigureSet& Set) {
  const double s = Set.GetScale();
  Tpt o = Set.FYd;
  // A child drawing keeps its own drawing's offsets in front of its origin.
  if (Set.InheritsFrom(TChildFigureSet::StaticClass())) o = {s * Set.FAbsx + Set.FYd.x, s * Set.FAbsy + Set.FYd.y};
  return Add(o, Rot({P.x * s, P.y * s}, Set.FXzJd));
}

// ---- vertex records

PLANDECK_DEFINE_CLASS(TTxPolygonBxdy, TCapPersistent)

void TTxPolygonBxdy::ReadData(TReader& Reader) {
  TCapPersistent::ReadData(Reader);
  FDwd.x = Reader.ReadFloat();
  FDwd.y = Reader.ReadFloat();
  const std::int32_t lx = Reader.ReadInteger();
  FLx = lx == blArc ? blArc : blLine;
  FYx.x = Reader.ReadFloat();
  FYx.y = Reader.ReadFloat();
  FBj = Reader.ReadFloat();
  FDirection = Reader.ReadInteger();
}

void TTxPolygonBxdy::WriteData(TWriter& Writer) {
  TCapPersistent::WriteData(Writer);
  Writer.WriteFloat(FDwd.x);
  Writer.WriteFloat(FDwd.y);
  Writer.WriteInteger(FLx);
  Writer.WriteFloat(FYx.x);
  Writer.WriteFloat(FYx.y);
  Writer.WriteFloat(FBj);
  Writer.WriteInteger(FDirection);
}

void TTxPolygonBxdy::AssignTo(TPersistent& Dest) const {
  if (auto* d = dynamic_cast<TTxPolygonBxdy*>(&Dest)) {
    d->FDwd = FDwd;
    d->FLx = FLx;
    d->FYx = FYx;
    d->FBj = FBj;
    d->FDirection = FDirection;
  }
  TCapPersistent::AssignTo(Dest);
}

PLANDECK_DEFINE_CLASS(TTxCollectBxdy, TTxCollectFound)

TTxCollectBxdy::TTxCollectBxdy(TMyPersistent* AOwner) : TTxCollectFound(AOwner) {
  FItemClass = &TTxPolygonBxdy::StaticClass();
}

// ---- blocks and child drawings

PLANDECK_DEFINE_ABSTRACT_CLASS(TFramedFigureSet, TCustomFigureSet)

Tpt TFramedFigureSet::FrameOrigin() const {
  if (!IsChild()) return FYd;
  const double s = GetScale();
  return {s * FAbsx + FYd.x, s * FAbsy + FYd.y};
}

std::array<TPoint, 5> TFramedFigureSet::GetDD() const {
  const TFrameRect frame{*this, FYd, FWidth, FHeight, FXzJd};
  const Tpt local[4] = {frame.Corner(0), frame.Corner(1), frame.Corner(2), frame.Corner(3)};
  std::array<TPoint, 5> out{};
  for (int i = 0; i < 4; ++i) {
    if (IsChild() || i == 0)
      out[std::size_t(i)] = ptodp(xyTransLogPt(local[i].x, local[i].y));
    else
      TransLogPt(ptodp(local[i]), out[std::size_t(i)]);
  }
  out[4] = out[0];
  return out;
}

std::unique_ptr<TWorkDbx> TFramedFigureSet::GetWdbx() const {
  const std::array<TPoint, 5> dd = GetDD();
  auto w = std::make_unique<TWorkDbx>();
  for (int i = 0; i < 4; ++i) {
    TWorkDbxbx e;
    e.qd = dptop(dd[std::size_t(i)]);
    e.zd = dptop(dd[std::size_t(i + 1)]);
    w->bx.push_back(e);
  }
  checkwdbx(*w);
  workdbxfxjs(*w);
  return w;
}

bool TFramedFigureSet::Selected(Tpt P, double) const {
  const std::unique_ptr<TWorkDbx> w = GetWdbx();
  return pinwdbx(P, *w);
}

void TFramedFigureSet::CalcPositionRect(TRect& Rect) const {
  Rect = TFrameRect{*this, FYd, FWidth, FHeight, FXzJd}.LogRect();
  if (!IsChild()) ExpandRect(Rect, 2);
}

bool TFramedFigureSet::HitBounds(double, TDBox& Box) const {
  // A hit lies inside the outline, which the position rectangle holds.
  TRect r;
  CalcPositionRect(r);
  Box = {double(r.Left) - 1, double(r.Top) - 1, double(r.Right) + 1, double(r.Bottom) + 1};
  return true;
}

void TFramedFigureSet::GetHandle(int Index, TPoint& P) const {
  if (Index < 1 || Index > 8) return;
  const Tpt h = TFrameRect{*this, FYd, FWidth, FHeight, FXzJd}.Handle(Index);
  P = ptodp(xyTransLogPt(h.x, h.y));
}

void TFramedFigureSet::MoveHandleTo(int Index, TPoint P) {
  if (Index < 1 || Index > 8 || !(FWidth > 0) || !(FHeight > 0)) return;
  const Tpt d = Rot(Sub(xyTransAbsPt(P.x, P.y), FYd), -FXzJd);
  const double a = GetScale();
  const double s = (Index == 2 || Index == 6) ? std::abs(d.y - a * FHeight / 2) * 2 / FHeight
                                              : std::abs(d.x - a * FWidth / 2) * 2 / FWidth;
  // A handle dragged onto the centre would collapse the set.
  if (!(s > 0) || !std::isfinite(s)) return;
  const Tpt delta = Rot({(s - a) * FWidth / 2, (s - a) * FHeight / 2}, FXzJd);
  Change(*this, [&] {
    FScale = s;
    FYd = Sub(FYd, delta);
  });
}

void TFramedFigureSet::RotateHandleTo(int Index, TPoint P) {
  if (Index < 2 || Index > 8) return;
  const Tpt p = xyTransAbsPt(P.x, P.y);
  double angle = RadToDeg(ppjd(FYd, p));
  if (Index >= 4) {
    const double sw = GetScale() * FWidth, sh = GetScale() * FHeight;
    static const double kx[8] = {0, 0.5, 1, 1, 1, 0.5, 0, 0};
    static const double ky[8] = {0, 0, 0, 0.5, 1, 1, 1, 0.5};
    const Tpt h{FYd.x + kx[Index - 1] * sw, FYd.y + ky[Index - 1] * sh};
    angle -= RadToDeg(ppjd(FYd, h));
  }
  Change(*this, [&] { FXzJd = angle; });
}

void TFramedFigureSet::SetScale(double Value) {
  if (!(Value > 0) || Value == FScale) return;
  TCustomFigure::SetScale(Value);
}

void TFramedFigureSet::SetWidth(double Value) {
  if (Value == FWidth || !(Value > 0) || !(FWidth > 0)) return;
  FScale = Value / FWidth * FScale;
  Modified();
}

void TFramedFigureSet::SetHeight(double Value) {
  if (Value == FHeight || !(Value > 0) || !(FHeight > 0)) return;
  FScale = Value / FHeight * FScale;
  Modified();
}

void TFramedFigureSet::InitialParas(double AWidth, double AHeight) {
  FWidth = AWidth;
  FHeight = AHeight;
}

void TFramedFigureSet::CreateByRefPoint(TTxCollectFound& Points) {
  std::vector<Tpt> pts;
  for (int i = 0; i < Points.Count() && i < 2; ++i)
    if (auto* v = dynamic_cast<TTxPolygonBxdy*>(Points.Items(i))) pts.push_back(v->FDwd);
  CreateByRefPoint(std::span<const Tpt>(pts));
}

void TFramedFigureSet::CreateByRefPoint(std::span<const Tpt> Points) {
  if (Points.size() < 2) return;
  const TPoint a = ptodp(Points[0]), b = ptodp(Points[1]);
  const double left = std::min(a.x, b.x), top = std::min(a.y, b.y);
  const double w = std::abs(double(b.x) - a.x), h = std::abs(double(b.y) - a.y);
  double s = IsChild() ? std::min(w / (FScale * FWidth), h / (FScale * FHeight)) : std::min(w / FWidth, h / FHeight);
  // An empty set or a click without a drag keeps the scale it has.
  if (!(s > 0) || !std::isfinite(s)) s = FScale;
  Change(*this, [&] {
    FScale = s;
    FYd = {left, top};
  });
}

void TFramedFigureSet::Explode(TCustomFigureSet& Set) {
  FYd = ExplodePoint(FYd, Set);
  FScale *= Set.GetScale();
  FXzJd += Set.FXzJd;
  Modified();
}

void TFramedFigureSet::FigureMirror(TBx Line) {
  const double lineAngle = RadToDeg(ppjd(Line.qd, Line.zd));
  const double s = GetScale();
  const Tpt half{s * FWidth / 2, s * FHeight / 2};
  const Tpt centre = Caldcp(Add(FYd, Rot(half, FXzJd)), Line);
  const double angle = 2 * lineAngle - FXzJd;
  const Tpt oldOrigin = FrameOrigin();
  FXzJd = angle;
  FYd = Sub(centre, Rot(half, angle));
  // In their own frame the parts turn over a horizontal: p goes to
  // (p.x + t.x, t.y - p.y), t being where their origin's mirror image lies.
  // A child drawing's offsets do not turn with it, so its parts may also
  // have to slide along that horizontal (t.x), which an unturned set of the
  // same scale does by exploding.
  const Tpt t = Rot(Sub(Caldcp(oldOrigin, Line), FrameOrigin()), -angle);
  const TBx axis = pjdtobx({0, t.y / (2 * s)}, 0);
  TTxBlock slide;
  slide.FYd = {t.x / s, 0};
  for (TTxCollectFigure* list : PartLists())
    for (int i = 0; i < list->Count(); ++i) {
      list->Figures(i)->FigureMirror(axis);
      if (IsChild()) list->Figures(i)->Explode(slide);
    }
  Modified();
}

bool TFramedFigureSet::GetCapturePoint(Tpt& P, TPointLx& Kind, TFigureView* View, TPoint CursorPt,
                                       TPointLxSet KindSet) {
  if (View && View->IsSelected(this)) return false;
  if (FPen.Style != psClear) {
    const std::array<TPoint, 5> dd = GetDD();
    auto near = [&](Tpt q) { return PointInPoint(CursorPt, q); };
    if (KindSet & PointLxBit(plEndPoint))
      for (int i = 0; i < 4; ++i)
        if (near(dptop(dd[std::size_t(i)]))) return P = dptop(dd[std::size_t(i)]), Kind = plEndPoint, true;
    if (KindSet & PointLxBit(plMidPoint))
      for (int i = 0; i < 4; ++i) {
        const Tpt m{(dd[std::size_t(i)].x + dd[std::size_t(i + 1)].x) / 2.0,
                    (dd[std::size_t(i)].y + dd[std::size_t(i + 1)].y) / 2.0};
        if (near(m)) return P = m, Kind = plMidPoint, true;
      }
    if (KindSet & PointLxBit(plNearest))
      for (int i = 0; i < 4; ++i) {
        const Tpt a = xyTransAbsPt(dd[std::size_t(i)].x, dd[std::size_t(i)].y);
        const Tpt b = xyTransAbsPt(dd[std::size_t(i + 1)].x, dd[std::size_t(i + 1)].y);
        if (PointInLine(dptop(CursorPt), a, b, P)) return Kind = plNearest, true;
      }
  }
  // Only what is shown snaps: a hidden layer of a child drawing does not.
  for (const TLayer& layer : FLayers) {
    TTxCollectFigure* list = layer.List.get();
    if (!list || (IsChild() ? !Visible(layer.Entry) : list != FFigures)) continue;
    for (int i = 0; i < list->Count(); ++i)
      if (list->Figures(i)->GetCapturePoint(P, Kind, View, CursorPt, KindSet)) return true;
  }
  return false;
}

std::vector<TTxCollectFigure*> TFramedFigureSet::PartLists() const {
  std::vector<TTxCollectFigure*> out;
  if (!IsChild()) {
    out.push_back(FFigures);
    return out;
  }
  for (const TLayer& layer : FLayers)
    if (layer.List) out.push_back(layer.List.get());
  return out;
}

std::vector<TCustomFigure*> TFramedFigureSet::InsertParts(TTxCollectFigure& List, int Index, TFigureView* View) {
  std::vector<TCustomFigure*> parts;
  TCustomFigureSet* parent = FParent;
  TFigureDocument* doc = FDocument;
  // From the last figure to the first, each at the set's index, so the parts
  // keep their order.
  for (TTxCollectFigure* source : PartLists())
    for (int i = source->Count() - 1; i >= 0; --i) {
      std::unique_ptr<TDocItem> copy = source->Figures(i)->Clone();
      auto* part = dynamic_cast<TCustomFigure*>(copy.get());
      if (!part) continue;
      copy.release();
      List.Insert(Index, std::unique_ptr<TMyPersistent>(part));
      part->FParent = parent;
      part->SetDocument(doc);
      part->Invalidate();
      part->Explode(*this);
      part->Modified();
      if (View) View->Select(part, true);
      if (doc) doc->AddItemMessage(part);
      parts.push_back(part);
    }
  return parts;
}

void TFramedFigureSet::ExplodeItem(TFigureView* View) {
  TTxFigureSet* root = RootOf(*this);
  // Only a set lying in one of the drawing's layers can be broken up.
  if (!root || FParent != root) return;
  TFigureDocument* doc = FDocument;
  if (doc) doc->RemoveItemMessage(this);
  TRemovedFigure removed = root->TakeOutFigure(this);
  if (!removed.Figure) return;
  // Taking the set out let go of its parent; its parts still need it.
  FParent = root;
  TTxCollectFigure* list = root->LayerList(root->FindLayerById(removed.Place.LayerId));
  const std::vector<TCustomFigure*> parts = InsertParts(*list, removed.Place.Index, View);
  FParent = nullptr;
  if (doc) doc->SetModifiedFlag(true);
  TMyList step;
  step.Add(this);
  for (TCustomFigure* part : parts) step.Add(part);
  std::vector<TRemovedFigure> owned;
  owned.push_back(std::move(removed));
  // The set now belongs to the undo step.
  root->BackUp(step, ovExplode, std::move(owned));
  if (View) View->Deselect(this);
}

void TFramedFigureSet::PaintLayers(TShowPlace& ShowPlace, int Grow) {
  TCanvas& cv = *ShowPlace.cvs;
  TRect clip;
  CalcPositionRect(clip);
  ExpandRect(clip, Grow);
  TDCSaver saved(cv);
  cv.IntersectClipRect(clip.Left, clip.Top, clip.Right, clip.Bottom);
  const TLogFrame frame = ChildFrameOf(*this);
  struct TFrameScope {
    const TLogFrame*& Slot;
    ~TFrameScope() { Slot = nullptr; }
  } scope{FPaintFrame};
  FPaintFrame = &frame;
  for (const TLayer& layer : FLayers)
    if (layer.List && (!IsChild() ? layer.List.get() == FFigures : Visible(layer.Entry))) layer.List->Paint(ShowPlace);
}

// ---- TTxBlock

PLANDECK_DEFINE_CLASS(TTxBlock, TFramedFigureSet)

TTxBlock::TTxBlock(TMyPersistent* AOwner) : TFramedFigureSet(AOwner) {
  FClassNameDescription = "图块";
  FPen.Style = psClear;
}

double TTxBlock::GetWidth() const { return FWidth + FHorzGap; }
double TTxBlock::GetHeight() const { return FHeight + FVertGap; }

void TTxBlock::ReadData(TReader& Reader) {
  TCustomFigure::ReadData(Reader);
  FYd.x = Reader.ReadFloat();
  FYd.y = Reader.ReadFloat();
  FWidth = Reader.ReadFloat();
  FHeight = Reader.ReadFloat();
  FShowFrame = Reader.ReadBoolean();
  if (FFigures->Count() > 0) {
    FreeingFigures(FiguresOf(*FFigures));
    FFigures->Clear();
  }
  FFigures->ReadData(Reader);
  AdoptFigures(*FFigures);
  FFigures->Loaded();
}

void TTxBlock::WriteData(TWriter& Writer) {
  TCustomFigure::WriteData(Writer);
  Writer.WriteFloat(FYd.x);
  Writer.WriteFloat(FYd.y);
  Writer.WriteFloat(FWidth);
  Writer.WriteFloat(FHeight);
  Writer.WriteBoolean(FShowFrame);
  FFigures->WriteData(Writer);
}

void TTxBlock::AssignTo(TPersistent& Dest) const {
  TFramedFigureSet::AssignTo(Dest);
  if (auto* d = dynamic_cast<TTxBlock*>(&Dest)) {
    d->FHorzGap = FHorzGap;
    d->FVertGap = FVertGap;
    d->FShowFrame = FShowFrame;
  }
}

std::unique_ptr<TDocItem> TTxBlock::Clone() const {
  auto copy = std::make_unique<TTxBlock>(FOwner);
  copy->Assign(*this);
  return copy;
}

void TTxBlock::Paint(TShowPlace& ShowPlace) {
  TCanvas& cv = *ShowPlace.cvs;
  const std::array<TPoint, 5> dd = GetDD();
  if (FBrush.Style != bsClear) {
    const TLogPen old = cv.SelectPen(TLogPen{psClear, 0, FPen.Color});
    cv.Polygon(dd.data(), 5);
    cv.SelectPen(old);
  }
  if (FPen.Style != psClear) StrokeStyled(cv, dd.data(), 5, FPen.Style);
  PaintLayers(ShowPlace, 2);
}

std::unique_ptr<TCustomFigure> TTxBlock::ExplodeItemEx(TFigureView& View) {
  View.Select(nullptr, false);
  auto* list = dynamic_cast<TTxCollectFigure*>(FOwner);
  TCustomFigureSet* parent = FParent;
  if (!list || !parent) return nullptr;
  const int index = list->IndexOfObject(this);
  std::unique_ptr<TCustomFigure> self = parent->RemoveFigure(this);
  if (!self) return nullptr;
  FParent = parent;
  const std::vector<TCustomFigure*> parts = InsertParts(*list, index, &View);
  FParent = nullptr;
  if (TTxFigureSet* root = RootOf(*parent)) {
    TMyList added;
    for (TCustomFigure* part : parts) added.Add(part);
    root->BackUp(added, ovAdd);
  }
  if (parent->FDocument) parent->FDocument->SetModifiedFlag(true);
  return self;
}

// ---- TChildFigureSet

PLANDECK_DEFINE_CLASS(TChildFigureSet, TFramedFigureSet)

TChildFigureSet::TChildFigureSet(TMyPersistent* AOwner) : TFramedFigureSet(AOwner) {
  FClassNameDescription = "子图形";
}

void TChildFigureSet::ReadData(TReader& Reader) {
  TCustomFigure::ReadData(Reader);
  FAbsx = Reader.ReadFloat();
  FAbsy = Reader.ReadFloat();
  FWidth = Reader.ReadFloat();
  FHeight = Reader.ReadFloat();
  FYd.x = Reader.ReadFloat();
  FYd.y = Reader.ReadFloat();
  const std::int32_t n = Reader.ReadInteger();
  if (n > 0) Reader.CheckCount(n);
  FreeingFigures(AllFigures());
  // The parts get the after-load refresh the root's get, or figures that
  // keep derived geometry (a crane's working-radius arc) would show without it.
  ReadLayers(Reader, n, true);
}

void TChildFigureSet::WriteData(TWriter& Writer) {
  TCustomFigure::WriteData(Writer);
  Writer.WriteFloat(FAbsx);
  Writer.WriteFloat(FAbsy);
  Writer.WriteFloat(GetWidth());
  Writer.WriteFloat(GetHeight());
  Writer.WriteFloat(FYd.x);
  Writer.WriteFloat(FYd.y);
  WriteLayers(Writer);
}

void TChildFigureSet::AssignTo(TPersistent& Dest) const {
  auto* d = dynamic_cast<TChildFigureSet*>(&Dest);
  if (!d || d == this) {
    TFramedFigureSet::AssignTo(Dest);
    return;
  }
  TFramedFigureSet::AssignTo(Dest);
  // Every layer, not only the current one.
  d->FreeingFigures(d->AllFigures());
  d->FFigures = nullptr;
  d->FLayers.clear();
  for (const TLayer& layer : FLayers) {
    std::unique_ptr<TTxCollectFigure> list = d->NewLayerList();
    layer.List->AssignTo(*list);
    d->AdoptFigures(*list);
    if (layer.List.get() == FFigures) d->FFigures = list.get();
    d->FLayers.push_back({layer.Entry, std::move(list)});
  }
  d->EnsureCurrentLayer();
}

std::unique_ptr<TDocItem> TChildFigureSet::Clone() const {
  auto copy = std::make_unique<TChildFigureSet>(FOwner);
  copy->Assign(*this);
  return copy;
}

void TChildFigureSet::Paint(TShowPlace& ShowPlace) {
  TCanvas& cv = *ShowPlace.cvs;
  if (FShowFrame) {
    const std::array<TPoint, 5> dd = GetDD();
    cv.Polyline(dd.data(), 5);
  }
  // The inserted drawing shows no selection marks of its own.
  const bool showSelect = ShowPlace.ShowSelect;
  ShowPlace.ShowSelect = false;
  PaintLayers(ShowPlace, 1);
  ShowPlace.ShowSelect = showSelect;
}

void TChildFigureSet::TakeDrawingFrom(TTxFigureSet& Root) {
  InitialParas(Root.FWidth, Root.FHeight);
  FScale = Root.FScale;
  FAbsx = Root.FAbsx;
  FAbsy = Root.FAbsy;
  // The former current list goes to the root, emptied; the lists are handed
  // over, not copied.
  FreeingFigures(AllFigures());
  std::vector<TLayer> former = TakeLayers();
  std::unique_ptr<TTxCollectFigure> spare;
  for (TLayer& layer : former)
    if (!spare) spare = std::move(layer.List);
  former.clear();
  if (spare) spare->Clear();
  for (TLayer& layer : Root.TakeLayers()) AddLayer(layer.Entry, std::move(layer.List));
  if (!FFigures) EnsureCurrentLayer();
  Root.AddLayer("", std::move(spare));
  Modified();
}

void TTxFigureSet::AssignToChildFigureSet(TChildFigureSet& Child) { Child.TakeDrawingFrom(*this); }

// ---- TTxDefineDwd

PLANDECK_DEFINE_CLASS(TTxDefineDwd, TCustomFigure)

TTxDefineDwd::TTxDefineDwd(TMyPersistent* AOwner) : TCustomFigure(AOwner) { FClassNameDescription = "点"; }

void TTxDefineDwd::ReadData(TReader& Reader) {
  TCustomFigure::ReadData(Reader);
  FDwd.x = Reader.ReadFloat();
  FDwd.y = Reader.ReadFloat();
  FXz = Reader.ReadInteger();
  FBj = Reader.ReadInteger();
}

void TTxDefineDwd::WriteData(TWriter& Writer) {
  TCustomFigure::WriteData(Writer);
  Writer.WriteFloat(FDwd.x);
  Writer.WriteFloat(FDwd.y);
  Writer.WriteInteger(FXz);
  Writer.WriteInteger(FBj);
}

void TTxDefineDwd::AssignTo(TPersistent& Dest) const {
  auto* d = dynamic_cast<TTxDefineDwd*>(&Dest);
  TCustomFigure::AssignTo(Dest);
  if (!d || d == this) return;
  d->FDwd = FDwd;
  d->SetXz(FXz);
  d->FBj = FBj;
}

std::unique_ptr<TDocItem> TTxDefineDwd::Clone() const {
  auto copy = std::make_unique<TTxDefineDwd>(FOwner);
  copy->Assign(*this);
  return copy;
}

void TTxDefineDwd::SetXz(std::int32_t Value) {
  FXz = Value;
  if (Value == dsFilledCircle || Value == dsFilledSquare) {
    FBrush.Color = FPen.Color;
    FBrush.Style = bsSolid;
  } else if (Value == dsWhiteCircle || Value == dsWhiteSquare) {
    FBrush.Color = 0xFFFFFF;
    FBrush.Style = bsSolid;
  }
}

void TTxDefineDwd::Paint(TShowPlace& ShowPlace) {
  TCanvas& cv = *ShowPlace.cvs;
  const double parentScale = GetAbsParentScale();
  const double r = parentScale > 0 ? FBj / parentScale : FBj;
  switch (FXz) {
    case dsAster: DrawAster(FDwd, cv, r); break;
    case dsFilledCircle:
    case dsWhiteCircle: DrawCircle(FDwd, cv, r); break;
    case dsFilledSquare:
    case dsWhiteSquare: {
      const TPoint c = ptodp(xyTransLogPt(FDwd.x, FDwd.y));
      cv.Rectangle(c.x - FBj, c.y - FBj, c.x + FBj, c.y + FBj);
      break;
    }
    default: break;
  }
}

bool TTxDefineDwd::Selected(Tpt P, double) const {
  const Tpt l = xyTransLogPt(FDwd.x, FDwd.y);
  return std::hypot(P.x - l.x, P.y - l.y) < FBj + 5;
}

bool TTxDefineDwd::HitBounds(double, TDBox& Box) const {
  const Tpt l = xyTransLogPt(FDwd.x, FDwd.y);
  const double r = std::abs(double(FBj)) + 6;
  Box = {l.x - r, l.y - r, l.x + r, l.y + r};
  return true;
}

void TTxDefineDwd::CalcPositionRect(TRect& Rect) const {
  const TPoint c = ptodp(xyTransLogPt(FDwd.x, FDwd.y));
  Rect = TRect{c.x - FBj, c.y - FBj, c.x + FBj, c.y + FBj};
}

void TTxDefineDwd::GetHandle(int Index, TPoint& P) const {
  if (Index == 1) P = ptodp(xyTransLogPt(FDwd.x, FDwd.y));
}

void TTxDefineDwd::MoveHandleTo(int Index, TPoint P) {
  if (Index != 1) return;
  const TPoint q = ptodp(xyTransAbsPt(P.x, P.y));
  Change(*this, [&] { FDwd = dptop(q); });
}

void TTxDefineDwd::SetRefPoint(double X, double Y) {
  Change(*this, [&] { FDwd = {X, Y}; });
}

void TTxDefineDwd::MoveByOffset(double Dx, double Dy) {
  // Offsets are lengths: the origin of the frame must not come into them.
  const Tpt o = xyTransAbsPt(0, 0), d = xyTransAbsPt(Dx, Dy);
  Change(*this, [&] { FDwd = Add(FDwd, Sub(d, o)); });
}

void TTxDefineDwd::Explode(TCustomFigureSet& Set) {
  FDwd = ExplodePoint(FDwd, Set);
  Modified();
}

void TTxDefineDwd::FigureMirror(TBx Line) {
  FDwd = Caldcp(FDwd, Line);
  Modified();
}

bool TTxDefineDwd::GetCapturePoint(Tpt& P, TPointLx& Kind, TFigureView* View, TPoint CursorPt,
                                   TPointLxSet KindSet) {
  if ((View && View->IsSelected(this)) || !(KindSet & PointLxBit(plEndPoint))) return false;
  if (!NearPoint(FDwd, CursorPt, P)) return false;
  Kind = plEndPoint;
  return true;
}

void RegisterBlockClasses() {
  RegisterClass(TTxPolygonBxdy::StaticClass());
  RegisterClass(TTxCollectBxdy::StaticClass());
  RegisterClass(TTxBlock::StaticClass());
  RegisterClass(TChildFigureSet::StaticClass());
  RegisterClass(TTxDefineDwd::StaticClass());
  // A chosen library block is placed by two corners; the button inserts one.
  RegisterFamily({.Class = &TTxBlock::StaticClass(),
                  .Action = "A_Item",
                  .Tool = tkTwoPoint,
                  .Rubber = TPlacingRubber::Rect,
                  .OrthoWhileMoving = false,
                  .PlacesCurrentItem = true,
                  .PaintIcon =
                      [](TIconSketch& s) {
                        s.Pen(1, true);
                        s.Rect(3, 4, 18, 16);
                        s.Pen(1.5);
                        s.Ellipse(6, 7, 6, 6);
                        s.Rect(12, 12, 6, 5);
                      },
                  .Ops = FamilyOps<TTxBlock>()});
  RegisterFamily({.Class = &TTxDefineDwd::StaticClass(),
                  .Action = "A_Point",
                  .Tool = tkOnePoint,
                  .PaintIcon =
                      [](TIconSketch& s) {
                        s.Line(12, 4, 12, 20);
                        s.Line(4, 12, 20, 12);
                        s.Ellipse(8, 8, 8, 8);
                      },
                  .Ops = FamilyOps<TTxDefineDwd>()});
}
