// The undo and redo history of a drawing root.
//
// Who owns what: an item owns the figures that are out of the drawing while
// it waits (deleted ones, the sources of a combination, an exploded set) and
// the snapshots of an edit; everything else it only points at. Items are
// undone strictly newest first and a new step empties the redo history, so a
// pointer in an item is never left to a figure that another item freed.

#include "figures/FigureSet.h"

#include <algorithm>
#include <stdexcept>

// ---- TUndoRedoItem

void TUndoRedoItem::Add(TCustomFigure* Figure) {
  if (!Figure) return;
  if (FOperationVerb == ovEdit) {
    std::unique_ptr<TDocItem> copy = Figure->Clone();
    auto* snapshot = dynamic_cast<TCustomFigure*>(copy.get());
    if (!snapshot) return;  // a figure that cannot be copied cannot be restored
    copy.release();
    FOwned.emplace_back(snapshot);
    FList.push_back(snapshot);
    FEditList.push_back(Figure);
    // Where the figure lies belongs to what an edit gives back: a property
    // dialog may move it to another layer.
    TFigurePlace place;
    if (auto* list = dynamic_cast<TTxCollectFigure*>(Figure->FOwner))
      place = {list->FLayerId, list->IndexOfObject(Figure), 0};
    FPlaces.push_back(place);
    return;
  }
  FList.push_back(Figure);
  FPlaces.push_back({});
}

void TUndoRedoItem::Add(TRemovedFigure Removed) {
  if (!Removed.Figure) return;
  FList.push_back(Removed.Figure.get());
  FPlaces.push_back(Removed.Place);
  FOwned.push_back(std::move(Removed.Figure));
}

TCustomFigure* TUndoRedoItem::Items(int Index) const {
  return Index >= 0 && Index < Count() ? FList[static_cast<std::size_t>(Index)] : nullptr;
}

TCustomFigure* TUndoRedoItem::EditItems(int Index) const {
  return Index >= 0 && Index < static_cast<int>(FEditList.size()) ? FEditList[static_cast<std::size_t>(Index)]
                                                                    : nullptr;
}

TFigurePlace TUndoRedoItem::Place(int Index) const {
  return Index >= 0 && Index < Count() ? FPlaces[static_cast<std::size_t>(Index)] : TFigurePlace{};
}

std::unique_ptr<TCustomFigure> TUndoRedoItem::Release(TCustomFigure* Figure) {
  for (auto it = FOwned.begin(); it != FOwned.end(); ++it)
    if (it->get() == Figure) {
      std::unique_ptr<TCustomFigure> out = std::move(*it);
      FOwned.erase(it);
      return out;
    }
  return nullptr;
}

std::vector<TMyPersistent*> TUndoRedoItem::OwnedFigures() const {
  std::vector<TMyPersistent*> out;
  for (const auto& f : FOwned) out.push_back(f.get());
  return out;
}

// ---- TTxFigureSet history

namespace {

// Whether an item of Verb owns entry I of N.
bool Owns(TOperationVerb Verb, std::size_t I, std::size_t N) {
  switch (Verb) {
    case ovDelete: return true;
    case ovCombo: return I + 1 < N;
    case ovExplode: return I == 0;
    case ovAdd:
    case ovEdit: break;
  }
  return false;
}

}  // namespace

int TTxFigureSet::UndoLimit() const {
  const int n = FDocument ? FDocument->GetUndoLimit() : 5;
  return std::max(0, n);
}

void TTxFigureSet::FreeItem(std::unique_ptr<TUndoRedoItem> Item) {
  if (!Item) return;
  const std::vector<TMyPersistent*> owned = Item->OwnedFigures();
  if (FDocument && !owned.empty()) FDocument->FiguresFreeing(owned);
  Item.reset();
}

void TTxFigureSet::FreeFigures(std::vector<std::unique_ptr<TCustomFigure>> Figures) {
  std::vector<TMyPersistent*> raw;
  for (const auto& f : Figures)
    if (f) raw.push_back(f.get());
  if (FDocument && !raw.empty()) FDocument->FiguresFreeing(raw);
  Figures.clear();
}

void TTxFigureSet::FreeOldest(std::vector<std::unique_ptr<TUndoRedoItem>>& List, std::size_t Below) {
  while (!List.empty() && List.size() >= Below) {
    std::unique_ptr<TUndoRedoItem> oldest = std::move(List.front());
    List.erase(List.begin());
    FreeItem(std::move(oldest));
  }
}

void TTxFigureSet::ClearHistory() {
  FreeOldest(FRedoList, 0);
  FreeOldest(FUndoList, 0);
}

TRemovedFigure TTxFigureSet::TakeOutFigure(TCustomFigure* Figure) {
  TRemovedFigure out;
  auto* list = dynamic_cast<TTxCollectFigure*>(Figure ? Figure->FOwner : nullptr);
  if (!list || FindLayerById(list->FLayerId) < 0 || LayerList(FindLayerById(list->FLayerId)) != list) return out;
  out.Place = {list->FLayerId, list->IndexOfObject(Figure), ++FRemoveSerial};
  out.Figure = RemoveFigure(Figure);
  return out;
}

TCustomFigure* TTxFigureSet::PutBackFigure(std::unique_ptr<TCustomFigure> Figure, TFigurePlace Place) {
  if (!Figure) return nullptr;
  TCustomFigure* raw = Figure.get();
  const int layer = Place.LayerId ? FindLayerById(Place.LayerId) : -1;
  raw->FParent = this;
  raw->SetDocument(FDocument);
  if (layer >= 0)
    LayerList(layer)->Insert(Place.Index, std::move(Figure));
  else
    FFigures->Insert(0, std::move(Figure));
  return raw;
}

void TTxFigureSet::BackUp(const TMyList& List, TOperationVerb Verb, std::vector<TRemovedFigure> Removed) {
  std::vector<TCustomFigure*> figures;
  for (int i = 0; i < List.Count(); ++i)
    if (auto* f = dynamic_cast<TCustomFigure*>(List.Items(i))) figures.push_back(f);

  auto fromRemoved = [&Removed](TCustomFigure* f) -> TRemovedFigure* {
    for (TRemovedFigure& r : Removed)
      if (r.Figure.get() == f) return &r;
    return nullptr;
  };
  // Every figure the step owns must be out of the drawing or in one of the
  // layers; an item can own nothing else. Checked before anything changes.
  for (std::size_t i = 0; i < figures.size(); ++i) {
    if (!Owns(Verb, i, figures.size()) || fromRemoved(figures[i])) continue;
    auto* list = dynamic_cast<TTxCollectFigure*>(figures[i]->FOwner);
    if (!list || FindLayerById(list->FLayerId) < 0)
      throw std::invalid_argument("BackUp: a figure the step owns is neither removed nor in the drawing");
  }

  std::vector<TRemovedFigure> owned(figures.size());
  for (std::size_t i = 0; i < figures.size(); ++i) {
    if (!Owns(Verb, i, figures.size())) continue;
    if (TRemovedFigure* r = fromRemoved(figures[i])) {
      owned[i] = std::move(*r);
    } else {
      owned[i] = TakeOutFigure(figures[i]);
      if (FDocument) FDocument->RemoveItemMessage(figures[i]);
    }
  }
  // Removed figures the list does not name are out of the drawing for good.
  std::vector<std::unique_ptr<TCustomFigure>> strays;
  for (TRemovedFigure& r : Removed)
    if (r.Figure) strays.push_back(std::move(r.Figure));
  FreeFigures(std::move(strays));
  if (figures.empty()) return;

  // A new step makes the redo history meaningless: its entries act on
  // figures this step may change or free.
  FreeOldest(FRedoList, 0);

  const std::size_t n = static_cast<std::size_t>(UndoLimit());
  if (n == 0) {
    std::vector<std::unique_ptr<TCustomFigure>> gone;
    for (TRemovedFigure& r : owned)
      if (r.Figure) gone.push_back(std::move(r.Figure));
    FreeFigures(std::move(gone));
    return;
  }
  FreeOldest(FUndoList, n);
  auto item = std::make_unique<TUndoRedoItem>(Verb);
  for (std::size_t i = 0; i < figures.size(); ++i) {
    if (Owns(Verb, i, figures.size()))
      item->Add(std::move(owned[i]));
    else
      item->Add(figures[i]);
  }
  FUndoList.push_back(std::move(item));
}

void TTxFigureSet::BackUpState(std::function<void()> Swap) {
  if (!Swap) return;
  FreeOldest(FRedoList, 0);
  const std::size_t n = static_cast<std::size_t>(UndoLimit());
  if (n == 0) return;
  FreeOldest(FUndoList, n);
  auto item = std::make_unique<TUndoRedoItem>(ovEdit);
  item->FSwap = std::move(Swap);
  FUndoList.push_back(std::move(item));
}

void TTxFigureSet::Undo(TFigureView* View) { Step(FUndoList, FRedoList, View, false); }
void TTxFigureSet::Redo(TFigureView* View) { Step(FRedoList, FUndoList, View, true); }

void TTxFigureSet::Step(std::vector<std::unique_ptr<TUndoRedoItem>>& From,
                        std::vector<std::unique_ptr<TUndoRedoItem>>& To, TFigureView* View, bool IsRedo) {
  if (From.empty()) return;
  FreeOldest(To, static_cast<std::size_t>(UndoLimit()));
  std::unique_ptr<TUndoRedoItem> p = std::move(From.back());
  From.pop_back();
  if (p->FSwap) {
    p->FSwap();
    To.push_back(std::move(p));
    return;
  }

  auto announce = [this](TCustomFigure* f) {
    if (FDocument) FDocument->AddItemMessage(f);
  };
  auto select = [View](TCustomFigure* f, bool add) {
    if (View) View->Select(f, add);
  };
  // Takes a live figure out of the drawing for the new item.
  auto takeOut = [this](TCustomFigure* f) {
    f->Invalidate();
    TRemovedFigure r = TakeOutFigure(f);
    if (r.Figure && FDocument) FDocument->RemoveItemMessage(f);
    return r;
  };
  // Puts entries [First, Last) of p back, later removals first so that every
  // index is the one the figure had.
  auto putBack = [&](int First, int Last) {
    std::vector<int> order;
    for (int i = First; i < Last; ++i) order.push_back(i);
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return p->Place(a).Seq > p->Place(b).Seq; });
    std::vector<TCustomFigure*> back;
    for (int i : order) {
      TCustomFigure* f = p->Items(i);
      if (std::unique_ptr<TCustomFigure> owned = p->Release(f)) PutBackFigure(std::move(owned), p->Place(i));
    }
    for (int i = First; i < Last; ++i) back.push_back(p->Items(i));
    return back;
  };

  std::unique_ptr<TUndoRedoItem> r;
  const int n = p->Count();
  switch (p->FOperationVerb) {
    case ovDelete:
      r = std::make_unique<TUndoRedoItem>(ovAdd);
      for (TCustomFigure* f : putBack(0, n)) {
        announce(f);
        select(f, true);
        r->Add(f);
      }
      break;
    case ovAdd:
      r = std::make_unique<TUndoRedoItem>(ovDelete);
      for (int i = 0; i < n; ++i) r->Add(takeOut(p->Items(i)));
      break;
    case ovEdit: {
      r = std::make_unique<TUndoRedoItem>(ovEdit);
      // Figures that go back to another layer or place: all are taken out
      // first and put back by rising index, so each lands where it was.
      std::vector<std::pair<TCustomFigure*, TFigurePlace>> moves;
      for (int i = 0; i < n; ++i) {
        TCustomFigure* live = p->EditItems(i);
        const TCustomFigure* snapshot = p->Items(i);
        if (!live || !snapshot) continue;
        r->Add(live);
        live->Invalidate();
        // The snapshot carries the parent of its time; the figure keeps its own.
        TCustomFigureSet* parent = live->FParent;
        live->Assign(*snapshot);
        live->FParent = parent;
        live->Modified();
        // r keeps the place the figure leaves.
        const TFigurePlace was = p->Place(i), now = r->Place(r->Count() - 1);
        if (parent == this && was.LayerId && FindLayerById(was.LayerId) >= 0 &&
            (was.LayerId != now.LayerId || was.Index != now.Index))
          moves.push_back({live, was});
        select(live, true);
      }
      std::vector<std::pair<TRemovedFigure, TFigurePlace>> out;
      for (auto& [live, was] : moves)
        if (TRemovedFigure moved = TakeOutFigure(live); moved.Figure) out.push_back({std::move(moved), was});
      std::stable_sort(out.begin(), out.end(),
                       [](const auto& a, const auto& b) { return a.second.Index < b.second.Index; });
      for (auto& [moved, was] : out) {
        TCustomFigure* f = PutBackFigure(std::move(moved.Figure), was);
        if (FDocument) FDocument->FigureLayerChanged(f);
      }
      break;
    }
    case ovCombo:
      r = std::make_unique<TUndoRedoItem>(ovExplode);
      if (n > 0) r->Add(takeOut(p->Items(n - 1)));
      for (TCustomFigure* f : putBack(0, n - 1)) {
        announce(f);
        if (IsRedo) f->Invalidate();
        select(f, true);
        r->Add(f);
      }
      break;
    case ovExplode:
      r = std::make_unique<TUndoRedoItem>(ovCombo);
      for (int i = 1; i < n; ++i) r->Add(takeOut(p->Items(i)));
      if (n > 0) {
        TCustomFigure* f = putBack(0, 1).front();
        announce(f);
        r->Add(f);
        select(f, IsRedo);
      }
      break;
  }
  To.push_back(std::move(r));
  FreeItem(std::move(p));
}
