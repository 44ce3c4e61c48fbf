// The clipboard commands of TDocView: copy, cut, paste, paste to a layer,
// paste picture and duplicate in place. Figures travel as one TMyList whose
// only item is a block holding clones; its Yd is where they were copied from.

#include "docview/DocView.h"
#include "docview/Document.h"
#include "docview/RectHelpers.h"
#include "figures/Blocks.h"
#include "foundation/ComponentImage.h"
#include "platform/Bitmap.h"
#include "platform/Clipboard.h"

namespace {

TRect PositionRect(const TDocItem* Item) {
  TRect r;
  Item->CalcPositionRect(r);
  return ExpandRect(r, 0);
}

}  // namespace

std::unique_ptr<TTxBlock> BlockOfFigures(const std::vector<TCustomFigure*>& Figures, TRect& Box) {
  if (Figures.empty()) return nullptr;
  const TCustomFigure& first = *Figures.front();
  Box = PositionRect(&first);
  for (std::size_t i = 1; i < Figures.size(); ++i) Box = UnionRect(Box, PositionRect(Figures[i]));

  auto block = std::make_unique<TTxBlock>();
  block->SetScale(first.GetAbsParentScale());
  block->InitialParas((Box.Right - Box.Left) / block->GetScale(), (Box.Bottom - Box.Top) / block->GetScale());
  const double offX = first.GetLogOrgx() - Box.Left;
  const double offY = first.GetLogOrgy() - Box.Top;
  for (TCustomFigure* f : Figures) {
    std::unique_ptr<TDocItem> copy = f->Clone();
    auto* figure = dynamic_cast<TCustomFigure*>(copy.get());
    if (!figure) continue;
    copy.release();
    std::unique_ptr<TCustomFigure> c(figure);
    // The copy belongs to no drawing: its moves must repaint nothing.
    c->SetDocument(nullptr);
    if (c->FFillItem) c->FFillItem->FScale = c->FFillItem->FScale * c->GetAbsParentScale();
    block->InsertFigure(std::move(c));
    figure->MoveByOffset(offX, offY);
  }
  return block;
}

void TDocView::OnEditCopy() {
  std::vector<TCustomFigure*> figures;
  for (TMyPersistent* p : FSelection.FList)
    if (auto* f = dynamic_cast<TCustomFigure*>(p)) figures.push_back(f);
  if (!dynamic_cast<TCustomFigure*>(SelectedItem(0))) return;
  TRect r;
  std::unique_ptr<TTxBlock> block = BlockOfFigures(figures, r);
  if (!block) return;
  TMyList list;
  list.Add(block.get());
  list.FYd = TPoint{r.Left, r.Top};
  SetClipboardComponent(WriteClipboardImage(list));
}

void TDocView::OnEditCut() {
  OnEditCopy();
  DeleteSelection();
}

void TDocView::OnEditPaste() { PasteList(-1); }

void TDocView::PasteToLayer(int Index) { PasteList(Index); }

void TDocView::PasteList(int LayerIndex) {
  TTxFigureSet* root = Root();
  if (!FDocument || !root) return;
  // Whatever is wrong with the clipboard's content, pasting ends silently.
  try {
    const std::optional<std::vector<std::uint8_t>> image = GetClipboardComponent();
    if (!image) return;
    std::unique_ptr<TMyList> list = ReadClipboardImage(*image);
    if (!list) return;
    std::vector<std::unique_ptr<TMyPersistent>> items = list->TakeReadItems();
    if (items.empty() || !dynamic_cast<TTxBlock*>(items.front().get())) return;
    std::unique_ptr<TTxBlock> owned(static_cast<TTxBlock*>(items.front().release()));
    TTxBlock* block = owned.get();
    if (LayerIndex < 0) {
      FDocument->Add(std::move(owned), FMouse_Click, this);
    } else {
      TTxCollectFigure* layer = root->LayerList(LayerIndex);
      if (!layer) return;
      layer->Insert(0, std::move(owned));
      block->FParent = root;
      block->SetDocument(FDocument);
    }
    block->SetScale(block->GetScale() / root->GetScale());
    if (LayerIndex < 0) {
      TRect q;
      block->CalcPositionRect(q);
      block->MoveByOffset((q.Left - q.Right) / 2.0, (q.Top - q.Bottom) / 2.0);
    } else {
      // The copied place is logical; the layer's frame may start elsewhere
      // when the drawing's origin is moved.
      block->MoveByOffset(list->FYd.x - block->GetLogOrgx(), list->FYd.y - block->GetLogOrgy());
    }
    block->ExplodeItemEx(*this);
  } catch (...) {
  }
}

void TDocView::OnEditPastePicture() {
  if (!FDocument) return;
  try {
    const std::optional<TBitmap> picture = GetClipboardPicture();
    if (!picture || picture->IsEmpty()) return;
    std::unique_ptr<TDocItem> owned = NewPictureItem();
    if (!owned) return;
    TDocItem* item = owned.get();
    FDocument->Add(std::move(owned), FMouse_Click, this);
    TPoint c = FMouse_Click;
    PointDocToClient(c);
    const int hw = picture->Width() / 2, hh = picture->Height() / 2;
    TRect r{c.x - hw, c.y - hh, c.x + hw, c.y + hh};
    RectClientToDoc(r);
    ExpandRect(r, 0);
    CreateFromPicture(*item, *picture, r);
    FDocument->AddItemMessage(item);
    Select(item, false);
    BackUp(ovAdd);
  } catch (...) {
  }
}

std::unique_ptr<TDocItem> TDocView::NewPictureItem() { return nullptr; }
void TDocView::CreateFromPicture(TDocItem&, const TBitmap&, const TRect&) {}

void TDocView::CloneSelection() {
  if (!FDocument || FSelection.Count() == 0) return;
  const std::vector<TMyPersistent*> items = FSelection.FList;
  for (std::size_t i = 0; i < items.size(); ++i) {
    auto* item = static_cast<TDocItem*>(items[i]);
    Deselect(item);
    std::unique_ptr<TDocItem> copy = item->Clone();
    if (!copy) continue;
    TDocItem* c = copy.get();
    c->MoveByOffset(10, -10);
    FDocument->Add(std::move(copy), TPoint{0, 0}, this);
    FDocument->AddItemMessage(c);
    FSelection.Insert(static_cast<int>(i), c);
  }
  BackUp(ovAdd);
}
