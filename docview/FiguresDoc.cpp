#include "docview/FiguresDoc.h"

#include "docview/DocView.h"
#include "docview/DrawView.h"
#include "docview/Environment.h"
#include "docview/IndexView.h"
#include "docview/RectHelpers.h"
#include "figures/CodeVersion.h"
#include "foundation/NodeItems.h"
#include "foundation/StreamError.h"
#include "foundation/ValueStream.h"
#include "foundation/ZLibContainer.h"
#include "platform/Canvas.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace {
TToolListFactory ToolListFactory = nullptr;
}

void SetToolListFactory(TToolListFactory Factory) { ToolListFactory = Factory; }

double CodeVersionToNumber(const std::string& Version) {
  std::string_view s(Version);
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  double v = 0;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (s.empty() || ec != std::errc() || end != s.data() + s.size() || !std::isfinite(v))
    throw EStreamError(StreamMsg::InvalidPropertyValue);
  return v;
}

// ---- TFiguresDoc

PLANDECK_DEFINE_CLASS(TFiguresDoc, TDocument)

TFiguresDoc::TFiguresDoc(TMyPersistent* AOwner)
    : TDocument(AOwner), FFigures(std::make_unique<TTxFigureSet>(this)) {
  FFigures->SetDocument(this);
  if (ToolListFactory) ToolListFactory(*this);
}

TFiguresDoc::~TFiguresDoc() {
  // Views hold selections of our figures: they leave before the figures go.
  while (!FViewList.empty()) FViewList.front()->SetDocument(nullptr);
  FRemoved.clear();
  FFigures.reset();
}

void TFiguresDoc::ReadData(TReader& Reader) {
  TDocument::ReadData(Reader);
  const TOldCodeVersionGuard version(CodeVersionToNumber(Reader.ReadString()));
  if (OldCodeVersion < 2.1) {
    FHorzPosition = 0;
    FVertPosition = 0;
  } else {
    FHorzPosition = Reader.ReadInteger();
    FVertPosition = Reader.ReadInteger();
  }
  FFigures->ReadData(Reader);
  FFigures->FPrintScale = FPrintScale;
}

void TFiguresDoc::WriteData(TWriter& Writer) {
  TDocument::WriteData(Writer);
  Writer.WriteString(CodeVersion);
  if (!FViewList.empty()) {
    FHorzPosition = FViewList.front()->HorzPosition();
    FVertPosition = FViewList.front()->VertPosition();
  }
  Writer.WriteInteger(FHorzPosition);
  Writer.WriteInteger(FVertPosition);
  FFigures->WriteData(Writer);
}

void TFiguresDoc::ReadStream(TStream& Stream) { FFigures->ReadStream(Stream); }
void TFiguresDoc::WriteStream(TStream& Stream) { FFigures->WriteStream(Stream); }

void TFiguresDoc::AssignTo(TPersistent& Dest) const {
  if (auto* d = dynamic_cast<TFiguresDoc*>(&Dest)) d->FFigures->Assign(*FFigures);
  TDocument::AssignTo(Dest);
}

void TFiguresDoc::Refresh() {
  FFigures->Refresh();
  TDocument::Refresh();
}

void TFiguresDoc::SetModifiedFlag(bool Value) {
  TDocument::SetModifiedFlag(Value);
  // Saved: the history goes with the unsaved state.
  if (!Value) FFigures->ClearHistory();
}

TRect TFiguresDoc::GetRect() const {
  TRect r;
  FFigures->CalcPositionRect(r);
  return r;
}

TSize TFiguresDoc::GetSize() const { return RectToSize(GetRect()); }

TPoint TFiguresDoc::DocOrg() const {
  const double s = FFigures->GetScale();
  return ptodp({s * FFigures->FYd.x, s * FFigures->FYd.y});
}

TDocItem* TFiguresDoc::ObjectAt(TPoint P, const TMetaClass* AClass, double Factor) {
  return FFigures->SelectFigure(dptop(P), AClass, Factor);
}

void TFiguresDoc::DrawDC(TCanvas& DC, TDocView* View, const TRect& ClipRect) {
  // Printers and metafiles get neither background nor grid.
  if (DC.GetDeviceCaps(TECHNOLOGY) == DT_RASDISPLAY) {
    DC.FillRect(GetRect(), CreateSolidBrush(FFigures->FBackColor));
    // Pictures exported from the drawing view get no grid.
    const auto* drawView = dynamic_cast<const TDrawView*>(View);
    if (View && View->IsDrawingView() && !(drawView && drawView->FIsMetaFile)) FFigures->DrawNet(DC);
  }
  FFigures->DrawDC(DC, View, ClipRect);
}

void TFiguresDoc::Add(std::unique_ptr<TDocItem> Item, TPoint Offset, TDocView*) {
  auto* figure = dynamic_cast<TCustomFigure*>(Item.get());
  if (!figure) return;
  Item.release();
  FFigures->InsertFigure(std::unique_ptr<TCustomFigure>(figure));
  figure->SetDocument(this);
  figure->Modified();
  if (Offset.x != 0 || Offset.y != 0) {
    const double s = FFigures->GetScale();
    figure->SetRefPoint(Offset.x / s - FFigures->FYd.x - FFigures->FAbsx,
                        Offset.y / s - FFigures->FYd.y - FFigures->FAbsy);
  }
}

void TFiguresDoc::Remove(TDocItem* Item) {
  RemoveItemMessage(Item);
  auto* figure = dynamic_cast<TCustomFigure*>(Item);
  if (!figure) return;
  TRemovedFigure removed = FFigures->TakeOutFigure(figure);
  if (removed.Figure) FRemoved.push_back(std::move(removed));
}

void TFiguresDoc::RemoveItem(TDocItem* Item) {
  TDocument::RemoveItem(Item);
  auto* figure = dynamic_cast<TCustomFigure*>(Item);
  if (!figure) return;
  if (std::unique_ptr<TCustomFigure> gone = FFigures->RemoveFigure(figure)) FiguresFreeing({gone.get()});
}

void TFiguresDoc::FigureLayerChanged(TMyPersistent* Item) {
  TDocument::SetModifiedFlag(true);
  const std::vector<TDocView*> views = FViewList;
  for (TDocView* v : views)
    if (auto* index = dynamic_cast<TIndexView*>(v)) index->FigureLayerChanged(Item);
}

void TFiguresDoc::SelectAllItem(TMyList& List) {
  TTxCollectFigure* layer = FFigures->FFigures;
  for (int i = 0; i < layer->Count(); ++i) List.Add(layer->Figures(i));
}

namespace {
// Visits, layer by layer from the last figure to the first, the figures
// whose rectangle may meet Near: the index names them when it can, else all.
template <typename Visit>
void ForLayerFiguresBackwards(TTxFigureSet& Root, std::initializer_list<int> Flags, const TRect& Near, Visit visit) {
  std::vector<TCustomFigure*> near;
  for (int l = 0; l < Root.LayerCount(); ++l) {
    const int flag = LayerFlag(Root.FLayers[static_cast<std::size_t>(l)].Entry);
    if (std::find(Flags.begin(), Flags.end(), flag) == Flags.end()) continue;
    if (Root.FiguresMeeting(l, Near, near)) {
      for (TCustomFigure* f : near) visit(f);
      continue;
    }
    TTxCollectFigure* layer = Root.LayerList(l);
    for (int i = layer->Count() - 1; i >= 0; --i) visit(layer->Figures(i));
  }
}

TRect NormalisedPositionRect(const TCustomFigure* Figure) {
  TRect q;
  Figure->CalcPositionRect(q);
  return ExpandRect(q, 0);
}

bool RectsMeet(const TRect& A, const TRect& B) {
  return A.Left <= B.Right && B.Left <= A.Right && A.Top <= B.Bottom && B.Top <= A.Bottom;
}
}  // namespace

void TFiguresDoc::RectSelectItem(const TRect& Rect, TMyList& List) {
  TRect r = Rect;
  ExpandRect(r, 0);
  const bool touching = SysEnvironment && SysEnvironment->FSelectMode != 0;
  ForLayerFiguresBackwards(*FFigures, {lfVisible, lfCurrent}, r, [&](TCustomFigure* f) {
    const TRect q = NormalisedPositionRect(f);
    const bool inside = q.Left > r.Left && q.Top > r.Top && q.Right < r.Right && q.Bottom < r.Bottom;
    if (touching ? RectsMeet(q, r) : inside) List.Add(f);
  });
}

void TFiguresDoc::PointSelectItem(TPoint P, TMyList& List) {
  const TRect r{P.x - 10, P.y - 10, P.x + 10, P.y + 10};
  ForLayerFiguresBackwards(*FFigures, {lfVisible, lfCurrent, lfLocked}, r, [&](TCustomFigure* f) {
    if (RectsMeet(NormalisedPositionRect(f), r)) List.Add(f);
  });
}

bool TFiguresDoc::EnsurePageSize(double UserWidth, double UserHeight) {
  TTxFigureSet& root = *FFigures;
  auto usable = [](double V) { return std::isfinite(V) && V > 0; };
  bool changed = false;
  if (!usable(FScale)) {
    FScale = 1.0;
    changed = true;
  }
  if (!usable(root.FScale)) {
    root.FScale = 1.0;
    changed = true;
  }
  if (usable(root.FWidth) && usable(root.FHeight)) return changed;
  if (!std::isfinite(root.FYd.x) || !std::isfinite(root.FYd.y)) root.FYd = Tpt{0, 0};
  double width = usable(UserWidth) ? UserWidth / FScale : 420.0;
  double height = usable(UserHeight) ? UserHeight / FScale : 297.0;
  // Figures beyond the default page pull its far edges out (logical units
  // at the drawing scale, y up).
  const TViewState state = root.FViewState;
  root.FViewState = vsDraw;
  const double s = root.GetScale();
  for (int l = 0; l < root.LayerCount(); ++l) {
    const TTxCollectFigure& layer = *root.LayerList(l);
    for (int i = 0; i < layer.Count(); ++i) {
      const TRect r = NormalisedPositionRect(layer.Figures(i));
      width = std::max(width, r.Right / s - root.FYd.x);
      height = std::max(height, r.Bottom / s - root.FYd.y);
    }
  }
  root.FViewState = state;
  root.FWidth = width;
  root.FHeight = height;
  return true;
}

void TFiguresDoc::ItemMoveToBack(TDocItem* Item) {
  TTxCollectFigure* layer = FFigures->FFigures;
  const int i = layer->IndexOfObject(Item);
  if (i < 0) return;
  TDocument::ItemMoveToBack(Item);
  layer->Move(i, layer->Count() - 1);
  Item->Invalidate();
}

void TFiguresDoc::ItemMoveToFront(TDocItem* Item) {
  TTxCollectFigure* layer = FFigures->FFigures;
  const int i = layer->IndexOfObject(Item);
  if (i < 0) return;
  TDocument::ItemMoveToFront(Item);
  layer->Move(i, 0);
  Item->Invalidate();
}

std::unique_ptr<TCustomNodeList> TFiguresDoc::GetInheritList() {
  auto list = std::make_unique<TCustomNodeList>();
  for (int l = 0; l < FFigures->LayerCount(); ++l) {
    auto node = std::make_unique<TCustomNodeItem>();
    node->FCaption = "Figure";
    node->FDescription = LayerName(FFigures->FLayers[static_cast<std::size_t>(l)].Entry);
    TTxCollectFigure* layer = FFigures->LayerList(l);
    for (int i = layer->Count() - 1; i >= 0; --i) layer->Figures(i)->InsertInheritList(*node);
    list->Add(std::move(node));
  }
  return list;
}

void TFiguresDoc::BackUp(const TMyList& Selected, TOperationVerb Mode) {
  std::vector<TRemovedFigure> removed;
  if (Mode == ovDelete) removed = std::move(FRemoved);
  FRemoved.clear();
  FFigures->BackUp(Selected, Mode, std::move(removed));
}

void TFiguresDoc::Undo(TDocView* View) { FFigures->Undo(View); }

// ---- the project

PLANDECK_DEFINE_CLASS(TTxCollectTxSpace, TTxCollectFound)

TTxCollectTxSpace::TTxCollectTxSpace(TMyPersistent* AOwner) : TTxCollectFound(AOwner) {
  FItemClass = &TFiguresDoc::StaticClass();
}

void TTxCollectTxSpace::ReadData(TReader& Reader) {
  // Unlike other lists, a document joins the list before it reads: when one
  // figure deep inside is damaged, the layers and figures read before it
  // survive instead of the whole drawing.
  TReader::TNestingGuard nesting(Reader);
  const std::int32_t n = Reader.ReadInteger();
  if (n <= 0) return;
  const TMetaClass& cls = FindClass(Reader.ReadRawString());
  Reader.CheckCount(n);
  for (std::int32_t i = 0; i < n; ++i) {
    auto doc = CreateMyPersistent(cls, this);
    TMyPersistent* raw = doc.get();
    AppendRead(std::move(doc));
    raw->ReadData(Reader);
  }
}

PLANDECK_DEFINE_CLASS(TTxCustomProject, TCapPersistent)

TTxCustomProject::TTxCustomProject(TMyPersistent* AOwner)
    : TCapPersistent(AOwner), FTxSpaces(std::make_unique<TTxCollectTxSpace>(this)) {}

void TTxCustomProject::GetPublishedSlots(TPublishedSlots& Slots) {
  TCapPersistent::GetPublishedSlots(Slots);
  Slots.push_back({"TxSpaces", FTxSpaces.get()});
}

void TTxCustomProject::AssignTo(TPersistent& Dest) const {
  if (auto* d = dynamic_cast<TTxCustomProject*>(&Dest)) d->FTxSpaces->Assign(*FTxSpaces);
  TCapPersistent::AssignTo(Dest);
}

PLANDECK_DEFINE_CLASS(TTxProject, TTxCustomProject)
PLANDECK_DEFINE_CLASS(TTxProjectFile, TComponent)

TDrawingReadResult ReadDrawingFile(const std::string& FileName, TTxProjectFile& File) {
  TDrawingReadResult result;
  try {
    ReadZLibComponentResFile(FileName, File);
  } catch (const EStreamError& e) {
    result.Ok = false;
    result.Error = e.Detail().empty() ? e.what() : std::string(e.what()) + " (" + e.Detail() + ")";
  } catch (const std::exception& e) {
    result.Ok = false;
    result.Error = e.what();
  }
  // A window always shows a document, even of a file that held none.
  TTxCollectTxSpace& spaces = *File.FTxProject->FTxSpaces;
  if (spaces.Count() == 0) spaces.AddObject();
  return result;
}

void WriteDrawingFile(const std::string& FileName, TTxProjectFile& File) {
  WriteZLibComponentResFile(FileName, File);
}

void RegisterDocumentClasses() {
  RegisterStreamingClasses();
  RegisterFigureClasses();
  RegisterClass(TTxCollectTxSpace::StaticClass());
  RegisterClass(TTxProject::StaticClass());
  RegisterClass(TFiguresDoc::StaticClass());
  RegisterClass(TTxProjectFile::StaticClass());
  RegisterEnvironmentClasses();
}
