#include "figures/FigureSet.h"

#include "figures/Arcs.h"
#include "figures/Blocks.h"
#include "figures/ComboFigure.h"
#include "figures/CodeVersion.h"
#include "figures/FigureText.h"
#include "figures/LineFigures.h"
#include "figures/MltLine.h"
#include "figures/Pictures.h"
#include "figures/RoundShapes.h"
#include "figures/RouteLines.h"
#include "figures/Texts.h"
#include "figures/TowerCrane.h"
#include "figures/WdbxShapes.h"
#include "foundation/StreamError.h"
#include "foundation/Streams.h"
#include "foundation/ValueStream.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <set>
#include <stdexcept>

namespace {

bool ParseExactInt(std::string_view s, int& Value) {
  if (s.empty()) return false;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), Value);
  return ec == std::errc() && end == s.data() + s.size();
}

std::int32_t RoundHalfEven(double v) { return ptodp({v, 0}).x; }

const std::string kLayerPrefix = "图层";

}  // namespace

// ---- layer entries

std::string LayerName(const std::string& Entry) { return Entry.substr(0, Entry.find('=')); }

bool TryLayerFlag(const std::string& Entry, int& Flag) {
  const auto eq = Entry.find('=');
  if (eq == std::string::npos) return false;
  return ParseExactInt(std::string_view(Entry).substr(eq + 1), Flag);
}

int LayerFlag(const std::string& Entry) {
  int flag = lfVisible;
  return TryLayerFlag(Entry, flag) ? flag : int(lfVisible);
}

void SetLayerFlag(std::string& Entry, int Flag) { Entry = LayerName(Entry) + "=" + std::to_string(Flag); }

// ---- TTxCollectFigure

PLANDECK_DEFINE_CLASS(TTxCollectFigure, TUndoSaveComponentList)

namespace {
void NoteListChanged(const TMyPersistent* Owner) {
  if (auto* set = dynamic_cast<const TCustomFigure*>(Owner)) set->NoteChanged();
}
}  // namespace

void TTxCollectFigure::ReadData(TReader& Reader) {
  TReader::TNestingGuard nesting(Reader);
  Reader.ReadListBegin();
  TListItemReader items;
  while (!Reader.EndOfList()) {
    auto item = items.Read(Reader, this);
    if (!dynamic_cast<TCustomFigure*>(item.get())) throw EStreamError(StreamMsg::InvalidPropertyValue);
    AppendRead(std::move(item));
  }
  Reader.ReadListEnd();
}

void TTxCollectFigure::Add(std::unique_ptr<TMyPersistent> Item) {
  if (!dynamic_cast<TCustomFigure*>(Item.get())) throw std::invalid_argument("a layer holds figures only");
  TUndoSaveComponentList::Add(std::move(Item));
  NoteListChanged(FOwner);
}

void TTxCollectFigure::Insert(int Index, std::unique_ptr<TMyPersistent> Item) {
  if (!dynamic_cast<TCustomFigure*>(Item.get())) throw std::invalid_argument("a layer holds figures only");
  TUndoSaveComponentList::Insert(Index, std::move(Item));
  NoteListChanged(FOwner);
}

void TTxCollectFigure::Clear() {
  TUndoSaveComponentList::Clear();
  NoteListChanged(FOwner);
}

void TTxCollectFigure::Delete(int Index) {
  TUndoSaveComponentList::Delete(Index);
  NoteListChanged(FOwner);
}

std::unique_ptr<TMyPersistent> TTxCollectFigure::Remove(TMyPersistent* Item) {
  auto out = TUndoSaveComponentList::Remove(Item);
  NoteListChanged(FOwner);
  return out;
}

void TTxCollectFigure::Move(int CurIndex, int NewIndex) {
  TUndoSaveComponentList::Move(CurIndex, NewIndex);
  NoteListChanged(FOwner);
}

void TTxCollectFigure::Paint(TShowPlace& ShowPlace) {
  for (int i = Count() - 1; i >= 0; --i) Figures(i)->Draw(ShowPlace);
}

// ---- TCustomFigureSet

PLANDECK_DEFINE_ABSTRACT_CLASS(TCustomFigureSet, TCustomFigure)

TCustomFigureSet::TCustomFigureSet(TMyPersistent* AOwner) : TCustomFigure(AOwner) {
  FLayers.push_back({kLayerPrefix + "1=2", NewLayerList()});
  FFigures = FLayers.front().List.get();
}

TCustomFigureSet::~TCustomFigureSet() {
  FFigures = nullptr;
  FLayers.clear();
}

std::unique_ptr<TTxCollectFigure> TCustomFigureSet::NewLayerList() {
  auto list = std::make_unique<TTxCollectFigure>(this);
  list->FLayerId = ++FLayerSerial;
  return list;
}

TTxCollectFigure* TCustomFigureSet::LayerList(int Index) const {
  if (Index < 0 || Index >= LayerCount()) return nullptr;
  return FLayers[static_cast<std::size_t>(Index)].List.get();
}

int TCustomFigureSet::FindLayerById(std::uint64_t Id) const {
  for (int i = 0; i < LayerCount(); ++i)
    if (FLayers[static_cast<std::size_t>(i)].List && FLayers[static_cast<std::size_t>(i)].List->FLayerId == Id)
      return i;
  return -1;
}

void TCustomFigureSet::AdoptFigures(TTxCollectFigure& List) {
  for (int i = 0; i < List.Count(); ++i) {
    List.Figures(i)->FParent = this;
    List.Figures(i)->SetDocument(FDocument);
  }
}

std::vector<TMyPersistent*> TCustomFigureSet::FiguresOf(const TUndoSaveComponentList& List) {
  std::vector<TMyPersistent*> out;
  out.reserve(static_cast<std::size_t>(List.Count()));
  for (int i = 0; i < List.Count(); ++i) out.push_back(List.Items(i));
  return out;
}

std::vector<TMyPersistent*> TCustomFigureSet::AllFigures() const {
  std::vector<TMyPersistent*> out;
  for (const TLayer& layer : FLayers)
    if (layer.List)
      for (int i = 0; i < layer.List->Count(); ++i) out.push_back(layer.List->Items(i));
  return out;
}

void TCustomFigureSet::FreeingFigures(const std::vector<TMyPersistent*>& Figures) {
  if (FDocument && !Figures.empty()) FDocument->FiguresFreeing(Figures);
}

void TCustomFigureSet::EnsureCurrentLayer() {
  int current = -1;
  for (int i = 0; i < LayerCount(); ++i) {
    TLayer& layer = FLayers[static_cast<std::size_t>(i)];
    if (!layer.List) layer.List = NewLayerList();
    if (LayerFlag(layer.Entry) != lfCurrent) continue;
    if (current < 0)
      current = i;
    else
      SetLayerFlag(layer.Entry, lfVisible);
  }
  for (int i = LayerCount() - 1; current < 0 && i >= 0; --i) {
    TLayer& layer = FLayers[static_cast<std::size_t>(i)];
    if (LayerFlag(layer.Entry) == lfVisible) {
      SetLayerFlag(layer.Entry, lfCurrent);
      current = i;
    }
  }
  if (current < 0) {
    FLayers.push_back({NewLayerName() + "=2", NewLayerList()});
    current = LayerCount() - 1;
  }
  FFigures = FLayers[static_cast<std::size_t>(current)].List.get();
}

std::string TCustomFigureSet::NewLayerName() const {
  std::set<int> used;
  for (const TLayer& layer : FLayers) {
    const std::string name = LayerName(layer.Entry);
    if (name.compare(0, kLayerPrefix.size(), kLayerPrefix) != 0) continue;
    int k = 0;
    if (ParseExactInt(std::string_view(name).substr(kLayerPrefix.size()), k) && k != 0) used.insert(k);
  }
  // Without numbered layers the count of layers names the new one (at least 1).
  int n = std::max(1, LayerCount());
  if (!used.empty()) {
    n = 1;
    while (used.count(n)) ++n;
  }
  return kLayerPrefix + std::to_string(n);
}

void TCustomFigureSet::AssignTo(TPersistent& Dest) const {
  auto* d = dynamic_cast<TCustomFigureSet*>(&Dest);
  if (!d || d == this) {
    TCustomFigure::AssignTo(Dest);
    return;
  }
  {
    TChangingGuard guard(*d);
    TCustomFigure::AssignTo(Dest);
    d->FAbsx = FAbsx;
    d->FAbsy = FAbsy;
    d->SetYd(FYd);
    d->FWidth = FWidth;
    d->FHeight = FHeight;
    d->SetFigures(*FFigures);
  }
  d->AdoptFigures(*d->FFigures);
}

void TCustomFigureSet::SetDocument(TFigureDocument* Doc) {
  TCustomFigure::SetDocument(Doc);
  for (TLayer& layer : FLayers)
    if (layer.List)
      for (int i = 0; i < layer.List->Count(); ++i) layer.List->Figures(i)->SetDocument(Doc);
}

void TCustomFigureSet::CalcPositionRect(TRect& Rect) const {
  const TPoint a = ptodp(xyTransLogPt(FYd.x, FYd.y));
  const TPoint b = ptodp(xyTransLogPt(FYd.x + GetScale() * FWidth, FYd.y + GetScale() * FHeight));
  Rect = TRect{a.x, a.y, b.x, b.y};
}

void TCustomFigureSet::Paint(TShowPlace& ShowPlace) {
  TCanvas& cv = *ShowPlace.cvs;
  TRect r;
  CalcPositionRect(r);
  if (FShowFrame) {
    const TPoint frame[5] = {{r.Left, r.Top}, {r.Left, r.Bottom}, {r.Right, r.Bottom}, {r.Right, r.Top}, {r.Left, r.Top}};
    cv.Polyline(frame, 5);
  }
  TDCSaver saved(cv);
  TRect clip = r;
  ExpandRect(clip, 1);
  cv.IntersectClipRect(clip.Left, clip.Top, clip.Right, clip.Bottom);
  const TLogFrame frame = ChildFrameOf(*this);
  struct TFrameScope {
    const TLogFrame*& Slot;
    ~TFrameScope() { Slot = nullptr; }
  } scope{FPaintFrame};
  FPaintFrame = &frame;
  for (int l = 0; l < LayerCount(); ++l) {
    TLayer& layer = FLayers[static_cast<std::size_t>(l)];
    const int flag = LayerFlag(layer.Entry);
    if (flag == lfVisible || flag == lfCurrent || flag == lfLocked)
      if (!PaintLayerIndexed(l, ShowPlace)) layer.List->Paint(ShowPlace);
  }
}

bool TCustomFigureSet::PaintLayerIndexed(int, TShowPlace&) { return false; }

bool TCustomFigureSet::Selected(Tpt P, double) const {
  const Tpt p = xyTransAbsPt(P.x, P.y);
  return FYd.x <= p.x && p.x <= FYd.x + GetScale() * GetWidth() && FYd.y <= p.y &&
         p.y <= FYd.y + GetScale() * GetHeight();
}

void TCustomFigureSet::MoveByOffset(double Dx, double Dy) {
  SetRefPoint(FYd.x + TransAbsV(Dx), FYd.y + TransAbsV(Dy));
}

void TCustomFigureSet::SetRefPoint(double X, double Y) {
  if (X == FYd.x && Y == FYd.y) return;
  Invalidate();
  {
    TChangingGuard guard(*this);
    FYd = {X, Y};
  }
  Modified();
}

int TCustomFigureSet::GetHandleCount() const { return 8; }

void TCustomFigureSet::ReadStream(TStream& Stream) {
  std::int32_t n = 0;
  Stream.ReadBuffer(&n, 4);
  for (std::int32_t i = 0; i < n; ++i) {
    if (i >= LayerCount()) throw EStreamError(FormatStreamMsg(StreamMsg::ListIndexOutOfBounds, i));
    FLayers[static_cast<std::size_t>(i)].List->ReadStream(Stream);
  }
}

void TCustomFigureSet::WriteStream(TStream& Stream) {
  const auto n = static_cast<std::int32_t>(FLayers.size());
  Stream.Write(&n, 4);
  for (TLayer& layer : FLayers) layer.List->WriteStream(Stream);
}

double TCustomFigureSet::GetWidth() const { return FWidth; }
double TCustomFigureSet::GetHeight() const { return FHeight; }

void TCustomFigureSet::SetWidth(double Value) {
  if (Value > 0) FWidth = Value;
}

void TCustomFigureSet::SetHeight(double Value) {
  if (Value > 0) FHeight = Value;
}

void TCustomFigureSet::SetYd(Tpt P) {
  FYd = P;
  Modified();
}

void TCustomFigureSet::InsertFigure(std::unique_ptr<TCustomFigure> Figure) {
  if (!Figure) return;
  Figure->FParent = this;
  if (FDocument) Figure->SetDocument(FDocument);
  FFigures->Insert(0, std::move(Figure));
}

std::unique_ptr<TCustomFigure> TCustomFigureSet::RemoveFigure(TCustomFigure* Figure) {
  if (!Figure || Figure == this) return nullptr;
  auto* list = dynamic_cast<TUndoSaveComponentList*>(Figure->FOwner);
  if (!list) return nullptr;
  std::unique_ptr<TMyPersistent> item = list->Remove(Figure);
  if (!item) return nullptr;
  item.release();
  std::unique_ptr<TCustomFigure> out(Figure);
  out->FOwner = nullptr;
  out->OnAfterEditProperties(nullptr);
  out->FParent = nullptr;
  return out;
}

TCustomFigure* TCustomFigureSet::SelectFigure(Tpt P, const TMetaClass* AClass, double Factor) {
  for (int i = 0; i < FFigures->Count(); ++i) {
    TCustomFigure* f = FFigures->Figures(i);
    if ((!AClass || f->InheritsFrom(*AClass)) && f->Selected(P, Factor)) return f;
  }
  if (AClass == &TCustomFigureSet::StaticClass() && Selected(P, Factor)) return this;
  return nullptr;
}

void TCustomFigureSet::ReadLayers(TReader& Reader, std::int32_t N, bool CallLoaded) {
  // The first current layer reads into the existing list.
  std::unique_ptr<TTxCollectFigure> current;
  for (TLayer& layer : FLayers)
    if (layer.List.get() == FFigures) current = std::move(layer.List);
  FFigures = nullptr;
  FLayers.clear();
  if (current) current->Clear();

  try {
    for (std::int32_t i = 0; i < N; ++i) {
      std::string entry = Reader.ReadString();
      int flag = 0;
      if (!TryLayerFlag(entry, flag)) {
        // A damaged flag must not cost the whole drawing.
        flag = lfVisible;
        SetLayerFlag(entry, flag);
      }
      std::unique_ptr<TTxCollectFigure> list;
      const bool makeCurrent = flag == lfCurrent && !FFigures;
      if (makeCurrent && current) {
        list = std::move(current);
      } else {
        if (flag == lfCurrent && !makeCurrent) SetLayerFlag(entry, lfVisible);  // one current layer only
        list = NewLayerList();
      }
      TTxCollectFigure& figures = *list;
      FLayers.push_back({std::move(entry), std::move(list)});
      if (makeCurrent) FFigures = &figures;
      figures.ReadData(Reader);
      AdoptFigures(figures);
      if (CallLoaded) figures.Loaded();
    }
  } catch (...) {
    // Keep what was read, consistent.
    for (TLayer& layer : FLayers) AdoptFigures(*layer.List);
    EnsureCurrentLayer();
    throw;
  }
  EnsureCurrentLayer();
}

void TCustomFigureSet::WriteLayers(TWriter& Writer) {
  Writer.WriteInteger(LayerCount());
  for (TLayer& layer : FLayers) {
    Writer.WriteString(layer.Entry);
    layer.List->WriteData(Writer);
  }
}

void TCustomFigureSet::AddLayer(const std::string& Entry, std::unique_ptr<TTxCollectFigure> List) {
  if (!List) List = NewLayerList();
  List->FOwner = this;
  List->FLayerId = ++FLayerSerial;
  AdoptFigures(*List);
  if (!FFigures) FFigures = List.get();
  FLayers.push_back({Entry, std::move(List)});
  NoteChanged();
}

std::vector<TLayer> TCustomFigureSet::TakeLayers() {
  std::vector<TLayer> out = std::move(FLayers);
  FLayers.clear();
  FFigures = nullptr;
  NoteChanged();
  return out;
}

void TCustomFigureSet::ExplodeItem(TFigureView*) {}

void TCustomFigureSet::GetFigureLayerName(const TCustomFigure* Figure, std::string& Name) const {
  const int i = GetFigureLayerIndex(Figure);
  Name = i < LayerCount() ? LayerName(FLayers[static_cast<std::size_t>(i)].Entry) : std::string();
}

int TCustomFigureSet::GetFigureLayerIndex(const TCustomFigure* Figure) const {
  for (int i = 0; i < LayerCount(); ++i)
    if (FLayers[static_cast<std::size_t>(i)].List->IndexOfObject(Figure) >= 0) return i;
  return LayerCount();
}

void TCustomFigureSet::ExchangeFigureLayer(TCustomFigure* Figure, int FromIndex, int ToIndex) {
  if (FromIndex == ToIndex) return;
  TTxCollectFigure* from = LayerList(FromIndex);
  TTxCollectFigure* to = LayerList(ToIndex);
  if (!from || !to) return;
  std::unique_ptr<TMyPersistent> item = from->Remove(Figure);
  if (!item) return;
  Figure->OnAfterEditProperties(nullptr);
  to->Insert(0, std::move(item));
  if (FDocument) FDocument->FigureLayerChanged(Figure);
}

void TCustomFigureSet::SetFigures(const TTxCollectFigure& List) {
  if (&List == FFigures) return;
  Invalidate();
  FreeingFigures(FiguresOf(*FFigures));
  List.AssignTo(*FFigures);
  AdoptFigures(*FFigures);
  Modified();
}

// ---- TTxFigureSet

PLANDECK_DEFINE_CLASS(TTxFigureSet, TCustomFigureSet)

TTxFigureSet::TTxFigureSet(TMyPersistent* AOwner) : TCustomFigureSet(AOwner) {
  FDocument = dynamic_cast<TFigureDocument*>(AOwner);
  FGridPen.Color = 15262952;
  FGridPen.Style = psDot;
}

TTxFigureSet::~TTxFigureSet() {
  // The document may be going away too: free the history without notices.
  FRedoList.clear();
  FUndoList.clear();
}

void TTxFigureSet::FreeingFigures(const std::vector<TMyPersistent*>& Figures) {
  if (Figures.empty()) return;
  TCustomFigureSet::FreeingFigures(Figures);
  // History entries may point at these figures.
  ClearHistory();
}

void TTxFigureSet::ReadData(TReader& Reader) {
  TCustomFigure::ReadData(Reader);
  FShowGrid = Reader.ReadBoolean();
  FGridWidth = Reader.ReadFloat();
  FGridHeight = Reader.ReadFloat();
  FBackColor = static_cast<COLORREF>(Reader.ReadInteger());
  FGridPen.Color = static_cast<COLORREF>(Reader.ReadInteger());
  std::uint8_t raw = 0;
  Reader.Read(&raw, 1);
  FGridPen.Style = static_cast<TPenStyle>(raw);
  FAbsx = Reader.ReadFloat();
  FAbsy = Reader.ReadFloat();
  FWidth = Reader.ReadFloat();
  FHeight = Reader.ReadFloat();
  FYd.x = Reader.ReadFloat();
  FYd.y = Reader.ReadFloat();
  const std::int32_t n = Reader.ReadInteger();
  if (n > 0) Reader.CheckCount(n);

  FreeingFigures(AllFigures());
  ClearHistory();
  ReadLayers(Reader, n, true);
  if (OldCodeVersion > 2.11) {
    FHorzPageAlign = Reader.ReadInteger();
    FVertPageAlign = Reader.ReadInteger();
  }
}

void TTxFigureSet::WriteData(TWriter& Writer) {
  TCustomFigure::WriteData(Writer);
  Writer.WriteBoolean(FShowGrid);
  Writer.WriteFloat(FGridWidth);
  Writer.WriteFloat(FGridHeight);
  Writer.WriteInteger(static_cast<std::int32_t>(FBackColor));
  Writer.WriteInteger(static_cast<std::int32_t>(FGridPen.Color));
  const std::uint8_t raw = FGridPen.Style;
  Writer.Write(&raw, 1);
  Writer.WriteFloat(FAbsx);
  Writer.WriteFloat(FAbsy);
  Writer.WriteFloat(GetWidth());
  Writer.WriteFloat(GetHeight());
  Writer.WriteFloat(FYd.x);
  Writer.WriteFloat(FYd.y);
  WriteLayers(Writer);
  Writer.WriteInteger(FHorzPageAlign);
  Writer.WriteInteger(FVertPageAlign);
}

void TTxFigureSet::AssignTo(TPersistent& Dest) const {
  auto* d = dynamic_cast<TTxFigureSet*>(&Dest);
  if (d && d != this) {
    d->FreeingFigures(d->AllFigures());
    std::unique_ptr<TTxCollectFigure> current;
    for (TLayer& layer : d->FLayers)
      if (layer.List.get() == d->FFigures) current = std::move(layer.List);
    d->FFigures = nullptr;
    d->FLayers.clear();
    for (const TLayer& layer : FLayers) {
      std::unique_ptr<TTxCollectFigure> target =
          LayerFlag(layer.Entry) == lfCurrent && current ? std::move(current) : d->NewLayerList();
      layer.List->AssignTo(*target);
      d->AdoptFigures(*target);
      d->FLayers.push_back({layer.Entry, std::move(target)});
    }
    d->EnsureCurrentLayer();
  }
  TCustomFigureSet::AssignTo(Dest);
}

void TTxFigureSet::CalcPositionRect(TRect& Rect) const {
  const double s = GetScale();
  Rect = TRect{RoundHalfEven(s * FYd.x), RoundHalfEven(s * FYd.y), RoundHalfEven(s * (FWidth + FYd.x)),
               RoundHalfEven(s * (FHeight + FYd.y))};
}

int TTxFigureSet::GetHandleCount() const { return 0; }

double TTxFigureSet::GetScale() const {
  switch (FViewState) {
    case vsArial: return FArialScale;
    case vsPrint: return FPrintScale;
    case vsPreview: return FPreviewScale;
    case vsDraw: break;
  }
  return FScale;
}

void TTxFigureSet::SetScale(double Value) {
  if (Value == FScale || !(Value > 0)) return;
  Invalidate();
  FScale = Value;
  Modified();
  if (FDocument) FDocument->UpdateAllViews(nullptr, 4, nullptr);
}

void TTxFigureSet::TransUserPt(Tpt P, Tpt& Q) const { Q = {TransUserV(P.x), TransUserV(P.y)}; }
void TTxFigureSet::TransSysPt(Tpt P, Tpt& Q) const { Q = {TransSysV(P.x), TransSysV(P.y)}; }
double TTxFigureSet::TransUserV(double V) const { return V * (FDocument ? FDocument->GetDocScale() : 1.0); }
double TTxFigureSet::TransSysV(double V) const { return V / (FDocument ? FDocument->GetDocScale() : 1.0); }

TFigureIndexKey TTxFigureSet::IndexKey(double Factor) const {
  TFigureIndexKey k;
  k.ViewState = FViewState;
  k.Scale = GetScale();
  k.Xzjd = FXzJd;
  k.Absx = FAbsx;
  k.Absy = FAbsy;
  k.Ydx = FYd.x;
  k.Ydy = FYd.y;
  k.Factor = Factor;
  k.Generation = FGeneration;
  for (const TLayer& layer : FLayers) {
    k.Lists.push_back(layer.List.get());
    k.Counts.push_back(layer.List ? layer.List->Count() : 0);
  }
  return k;
}

const TFigureIndex* TTxFigureSet::CurrentIndex(double Factor) {
  // A drawing inside another follows its ancestors' mapping too, which the
  // key does not hold: only the top root keeps an index.
  if (!FUseSpatialIndex || FParent) return nullptr;
  for (const TLayer& layer : FLayers)
    if (!layer.List) return nullptr;
  TFigureIndexKey key = IndexKey(Factor);
  for (std::size_t i = 0; i < FIndexes.size(); ++i)
    if (FIndexes[i].Key == key) {
      std::rotate(FIndexes.begin(), FIndexes.begin() + std::ptrdiff_t(i), FIndexes.begin() + std::ptrdiff_t(i) + 1);
      return FIndexes.front().Index.get();
    }
  constexpr std::size_t kKept = 2, kRemembered = 4;
  const auto asked = std::find(FAsked.begin(), FAsked.end(), key);
  if (asked == FAsked.end()) {
    FAsked.insert(FAsked.begin(), std::move(key));
    if (FAsked.size() > kRemembered) FAsked.pop_back();
    return nullptr;
  }
  FAsked.erase(asked);
  // Indexes of an older state of the figures can never be asked for again.
  std::erase_if(FIndexes, [&key](const TIndexSlot& s) { return s.Key.Generation != key.Generation; });
  std::vector<TTxCollectFigure*> lists;
  for (const TLayer& layer : FLayers) lists.push_back(layer.List.get());
  FIndexes.insert(FIndexes.begin(), TIndexSlot{std::move(key), std::make_unique<TFigureIndex>(lists, Factor)});
  if (FIndexes.size() > kKept) FIndexes.pop_back();
  return FIndexes.front().Index.get();
}

bool TTxFigureSet::SpatialIndexCurrent(double Factor) const {
  const TFigureIndexKey key = IndexKey(Factor);
  return std::any_of(FIndexes.begin(), FIndexes.end(), [&key](const TIndexSlot& s) { return s.Key == key; });
}

void TTxFigureSet::Paint(TShowPlace& ShowPlace) {
  // One question per paint, not per layer. Painting does not depend on the
  // hit factor: ask with the one last used, so one index serves both.
  const TFigureIndex* index = ShowPlace.AClipRect.IsEmpty() ? nullptr : CurrentIndex(FIndexFactor);
  struct TScope {
    const TFigureIndex*& Slot;
    ~TScope() { Slot = nullptr; }
  } scope{FPaintIndex};
  FPaintIndex = index;
  TCustomFigureSet::Paint(ShowPlace);
}

bool TTxFigureSet::FiguresMeeting(int Layer, const TRect& R, std::vector<TCustomFigure*>& Out) {
  const TFigureIndex* index = CurrentIndex(FIndexFactor);
  return index && Layer >= 0 && Layer < LayerCount() && index->RectCandidates(Layer, R, Out);
}

bool TTxFigureSet::PaintLayerIndexed(int Layer, TShowPlace& ShowPlace) {
  if (!FPaintIndex || ShowPlace.AClipRect.IsEmpty()) return false;
  // Figures may change while they paint (a dimension text is measured): the
  // candidates are taken before the first is drawn.
  std::vector<TCustomFigure*> figures;
  if (!FPaintIndex->PaintCandidates(Layer, ShowPlace.AClipRect, figures)) return false;
  for (TCustomFigure* f : figures) f->Draw(ShowPlace);
  return true;
}

TCustomFigure* TTxFigureSet::SelectFigure(Tpt P, const TMetaClass* AClass, double Factor) {
  if (const TFigureIndex* index = CurrentIndex(Factor)) {
    FIndexFactor = Factor;
    for (int l = LayerCount() - 1; l >= 0; --l) {
      const int flag = LayerFlag(FLayers[static_cast<std::size_t>(l)].Entry);
      if (flag != lfVisible && flag != lfCurrent) continue;
      index->HitCandidates(l, P, FCandidates);
      for (TCustomFigure* f : FCandidates)
        if ((!AClass || f->InheritsFrom(*AClass)) && f->Selected(P, Factor)) return f;
    }
    if (AClass == &TTxFigureSet::StaticClass() && Selected(P, Factor)) return this;
    return nullptr;
  }
  for (int l = LayerCount() - 1; l >= 0; --l) {
    const TLayer& layer = FLayers[static_cast<std::size_t>(l)];
    const int flag = LayerFlag(layer.Entry);
    if (flag != lfVisible && flag != lfCurrent) continue;
    for (int i = 0; i < layer.List->Count(); ++i) {
      TCustomFigure* f = layer.List->Figures(i);
      if ((!AClass || f->InheritsFrom(*AClass)) && f->Selected(P, Factor)) return f;
    }
  }
  if (AClass == &TTxFigureSet::StaticClass() && Selected(P, Factor)) return this;
  return nullptr;
}

// ---- layer management

void TTxFigureSet::GetCurLayerName(std::string& Name) const {
  Name.clear();
  for (const TLayer& layer : FLayers)
    if (layer.List.get() == FFigures) Name = LayerName(layer.Entry);
}

void TTxFigureSet::RefreshLayers(const std::vector<TLayerRef>& List) {
  std::vector<TLayer> old = std::move(FLayers);
  FLayers.clear();
  FFigures = nullptr;
  auto take = [&old](TTxCollectFigure* p) -> std::unique_ptr<TTxCollectFigure> {
    if (!p) return nullptr;
    for (TLayer& layer : old)
      if (layer.List.get() == p) return std::move(layer.List);
    return nullptr;
  };
  for (const TLayerRef& ref : List) {
    std::unique_ptr<TTxCollectFigure> list = take(ref.List);
    int flag = 0;
    if (TryLayerFlag(ref.Entry, flag) && flag == lfDeleted) {
      if (list) old.push_back({ref.Entry, std::move(list)});
      continue;
    }
    FLayers.push_back({ref.Entry, std::move(list)});
  }
  for (int i = LayerCount() - 1; i >= 0; --i)
    if (!FLayers[static_cast<std::size_t>(i)].List) FLayers[static_cast<std::size_t>(i)].List = NewLayerList();
  EnsureCurrentLayer();
  // Deleted layers, and any the dialog left out, go with their figures.
  std::vector<TMyPersistent*> freed;
  for (TLayer& layer : old)
    if (layer.List)
      for (TMyPersistent* f : FiguresOf(*layer.List)) freed.push_back(f);
  FreeingFigures(freed);
  old.clear();
}

void TTxFigureSet::SetCurLayer(int Index) {
  TTxCollectFigure* list = LayerList(Index);
  if (!list || list == FFigures) return;
  for (TLayer& layer : FLayers)
    if (layer.List.get() == FFigures) SetLayerFlag(layer.Entry, lfVisible);
  SetLayerFlag(FLayers[static_cast<std::size_t>(Index)].Entry, lfCurrent);
  FFigures = list;
}

bool TTxFigureSet::SetLayerVisible(int Index, bool Visible) {
  if (!LayerList(Index)) return false;
  std::string& entry = FLayers[static_cast<std::size_t>(Index)].Entry;
  const int flag = LayerFlag(entry);
  int to = flag;
  if (flag == lfHidden && Visible) to = lfLocked;
  if ((flag == lfVisible || flag == lfLocked) && !Visible) to = lfHidden;
  if (to == flag) return false;
  SetLayerFlag(entry, to);
  return true;
}

bool TTxFigureSet::SetLayerEdit(int Index, bool Editable) {
  if (!LayerList(Index)) return false;
  std::string& entry = FLayers[static_cast<std::size_t>(Index)].Entry;
  const int flag = LayerFlag(entry);
  int to = flag;
  if (flag == lfHidden && Editable) to = lfVisible;
  if (flag == lfVisible && !Editable) to = lfLocked;
  if (flag == lfLocked && Editable) to = lfVisible;
  if (to == flag) return false;
  SetLayerFlag(entry, to);
  return true;
}

void TTxFigureSet::AddLayer(std::string& Name) {
  Name = NewLayerName();
  FLayers.push_back({Name + "=1", NewLayerList()});
}

void TTxFigureSet::DrawNet(TCanvas& DC) {
  if (!FShowGrid) return;
  TRect r;
  CalcPositionRect(r);
  const std::int32_t width = r.Right - r.Left;
  const std::int32_t height = r.Bottom - r.Top;
  // The stored scale, not the view's: the grid is laid out on the sheet.
  const std::int32_t sx = RoundHalfEven(FGridWidth * FScale);
  const std::int32_t sy = RoundHalfEven(FGridHeight * FScale);
  if (sx <= 20 || sy <= 20) return;
  const TLogPen old = DC.SelectPen(CreatePen(FGridPen.Style, FGridPen.Width, FGridPen.Color));
  const std::int64_t x0 = RoundHalfEven(FYd.x), y0 = RoundHalfEven(FYd.y);
  // Only the grid lines inside the clip box are drawn: a page size read from
  // a file must not decide how long painting takes.
  TRect clip;
  if (DC.GetClipBox(clip) == NULLREGION) clip = {};
  auto range = [](std::int64_t lo, std::int64_t hi, std::int64_t org, std::int64_t step, std::int64_t last) {
    const std::int64_t first = std::max<std::int64_t>(0, (lo - org) / step - 1);
    return std::pair{first, std::min(last, (hi - org) / step + 1)};
  };
  auto clamp32 = [](std::int64_t v) {
    return std::int32_t(std::clamp<std::int64_t>(v, INT32_MIN, INT32_MAX));
  };
  const auto [i0, i1] = range(clip.Left, clip.Right, x0, sx, width / sx);
  for (std::int64_t i = i0; i <= i1; ++i) {
    DC.MoveToEx(clamp32(x0 + i * sx), clamp32(y0));
    DC.LineTo(clamp32(x0 + i * sx), clamp32(y0 + height));
  }
  const auto [j0, j1] = range(std::min(clip.Top, clip.Bottom), std::max(clip.Top, clip.Bottom), y0, sy, height / sy);
  for (std::int64_t j = j0; j <= j1; ++j) {
    DC.MoveToEx(clamp32(x0), clamp32(y0 + j * sy));
    DC.LineTo(clamp32(x0 + width), clamp32(y0 + j * sy));
  }
  DC.SelectPen(old);
}

// ---- drawing properties

TDrawingProperties TTxFigureSet::GetDrawingProperties() const {
  TDrawingProperties p;
  p.BackColor = FBackColor;
  p.GridPenColor = std::to_string(FGridPen.Color);
  p.GridPenStyle = FGridPen.Style;
  p.AbsX = Format("%1.3f", TransUserV(FAbsx));
  p.AbsY = Format("%1.3f", TransUserV(FAbsy));
  p.Width = Format("%1.3f", TransUserV(GetWidth()));
  p.Height = Format("%1.3f", TransUserV(GetHeight()));
  p.Scale = Format("%1.5f", FScale);
  p.GridWidth = Format("%1.3f", TransUserV(FGridWidth));
  p.GridHeight = Format("%1.3f", TransUserV(FGridHeight));
  p.ShowGrid = FShowGrid;
  return p;
}

void TTxFigureSet::SetDrawingProperties(const TDrawingProperties& Props) {
  // Each step converts one field; false ends the update where it stands.
  auto apply = [&]() -> bool {
    double v = 0;
    FBackColor = Props.BackColor;
    if (!ParseFloat(Props.AbsX, v)) return false;
    FAbsx = TransSysV(v);
    if (!ParseFloat(Props.AbsY, v)) return false;
    FAbsy = TransSysV(v);
    if (!ParseFloat(Props.Width, v)) return false;
    SetWidth(TransSysV(v));
    if (!ParseFloat(Props.Height, v)) return false;
    SetHeight(TransSysV(v));
    FShowGrid = Props.ShowGrid;
    if (FShowGrid) {
      if (!ParseFloat(Props.GridWidth, v)) return false;
      FGridWidth = TransSysV(v);
      if (!ParseFloat(Props.GridHeight, v)) return false;
      FGridHeight = TransSysV(v);
      int color = 0;
      if (!ParseExactInt(TrimBlanks(Props.GridPenColor), color)) return false;
      FGridPen.Color = static_cast<COLORREF>(color);
      if (Props.GridPenStyle >= psSolid && Props.GridPenStyle <= psInsideFrame)
        FGridPen.Style = static_cast<TPenStyle>(Props.GridPenStyle);
    }
    double q = 0;
    // The scale must stay above 0.
    if (!ParseFloat(Props.Scale, q) || !(q > 0)) return false;
    // Keep the sheet between 100 and 10000 logical units across.
    const double w = GetWidth(), h = GetHeight();
    if (w > 0 && w * q > 10000) q = 10000 / w;
    if (h > 0 && h * q > 10000) q = 10000 / h;
    if (w > 0 && w * q < 100) q = 100 / w;
    if (h > 0 && h * q < 100) q = 100 / h;
    FScale = q;
    return true;
  };
  {
    TChangingGuard guard(*this);
    apply();
  }
  Modified();
  if (FDocument) FDocument->UpdateAllViews(nullptr, 4, nullptr);
}

void RegisterFigureClasses() {
  RegisterStreamingClasses();
  RegisterClass(TCustomFigure::StaticClass());
  RegisterClass(TTxFigureSet::StaticClass());
  RegisterClass(TTxCollectFigure::StaticClass());
  RegisterLineFigureClasses();
  RegisterPictureFigureClasses();
  RegisterTowerCraneClasses();
  RegisterBlockClasses();
  RegisterWdbxShapeClasses();
  RegisterRoundShapeClasses();
  RegisterOpenLineClasses();
  RegisterRouteLineClasses();
  RegisterArcClasses();
  RegisterComboClasses();
  RegisterTextClasses();
}
