#include "docview/IndexView.h"

#include "docview/Document.h"
#include "figures/FigureSet.h"
#include "foundation/NodeItems.h"
#include "platform/System.h"

TIndexView::TIndexView(QWidget* Parent) : TDocView(Parent) {
  setFrameStyle(0);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  FTreeView = std::make_unique<TNodeListTreeView>(*this, viewport());
  FTreeView->setGeometry(viewport()->rect());
}

TIndexView::~TIndexView() {
  // The tree shows our node list: both go before the base leaves the document.
  FTreeView.reset();
  FNodeList.reset();
}

void TIndexView::resizeEvent(QResizeEvent* Event) {
  TDocView::resizeEvent(Event);
  if (FTreeView) FTreeView->setGeometry(viewport()->rect());
}

void TIndexView::OnInitialUpdate() {
  if (!FTreeView) return;
  FTreeView->SetNodeList(nullptr);
  FNodeList.reset();
  if (FDocument) FNodeList = FDocument->GetInheritList();
  FTreeView->SetNodeList(FNodeList.get());
}

void TIndexView::CMAddItem(TMyPersistent* Item) {
  auto* figure = dynamic_cast<TCustomFigure*>(Item);
  TTxFigureSet* root = Root();
  if (!figure || !root || !FNodeList) return;
  // A figure announced twice (put back by undo while still listed) keeps one node.
  if (FTreeView->FindNodeByObject(figure)) return;
  const int layer = root->GetFigureLayerIndex(figure);
  if (layer >= root->LayerCount()) return;
  TCustomNodeItem* node = FTreeView->AddFigureNode(figure, layer);
  if (!node) return;
  TNodeListModel& model = FTreeView->Model();
  FTreeView->collapse(model.parent(model.IndexOf(node)));
  if (FTreeView->isVisible()) {
    FTreeView->scrollTo(model.IndexOf(node));
    FTreeView->SetCurrentNode(node);
  }
}

void TIndexView::CMDelItem(TMyPersistent* Item) {
  TCustomNodeItem* node = FTreeView->FindNodeByObject(Item);
  if (!node) return;
  TCustomNodeList* owner = node->OwnerList();
  auto* parent = owner ? dynamic_cast<TCustomNodeItem*>(owner->FOwner) : nullptr;
  FTreeView->DeleteItem(node);
  FTreeView->ClearEmptyNode(parent);
}

void TIndexView::FigureLayerChanged(TMyPersistent* Item) {
  auto* figure = dynamic_cast<TCustomFigure*>(Item);
  TTxFigureSet* root = Root();
  TCustomNodeItem* node = figure ? FTreeView->FindNodeByObject(figure) : nullptr;
  if (!node || !root) return;
  // Only figures of the root's own layers have layer nodes.
  const int layer = root->GetFigureLayerIndex(figure);
  if (layer >= root->LayerCount() || layer == FTreeView->LayerIndexOf(node)) return;
  FTreeView->MoveFigureNode(node, layer);
}

void TIndexView::FiguresFreeing(const std::vector<TMyPersistent*>& Figures) {
  TDocView::FiguresFreeing(Figures);
  // No node may outlive its figure, whoever frees it.
  FTreeView->DropNodesOf(Figures);
}

void TIndexView::Select(TDocItem* Item, bool Add) {
  TDocView* view = FTreeView->DocView();
  if (view && view != this) view->Select(Item, Add);
}

void TIndexView::PositionSelectInCenter() {
  TDocView* view = FTreeView->DocView();
  if (view && view != this) view->PositionSelectInCenter();
}

void TIndexView::AddLayer(const std::string& Name) {
  if (!FNodeList) return;
  auto node = std::make_unique<TCustomNodeItem>();
  node->FCaption = "Figure";
  node->FDescription = Name;
  FTreeView->Model().Append(nullptr, std::move(node));
  // The layer list is saved with the drawing.
  if (FDocument) FDocument->SetModifiedFlag(true);
}

void TIndexView::DeleteLayer() {
  TTxFigureSet* root = Root();
  TCustomNodeItem* node = FTreeView->CurrentNode();
  if (!FDocument || !root || !node || FTreeView->LevelOf(node) != nlLayer) return;
  const int index = FTreeView->LayerIndexOf(node);
  if (index < 0 || index >= root->LayerCount()) return;
  if (LayerFlag(root->FLayers[static_cast<std::size_t>(index)].Entry) == lfCurrent) {
    ShowMessage("当前层不能删除！");
    return;
  }
  if (!Confirm("该层所有图形将被删除，继续吗？")) return;
  FTreeView->DeleteItem(node);
  // The root frees the layer marked deleted and, before its figures go,
  // tells every view to drop them (selections included) and drops the
  // history, whose entries may point at them.
  std::vector<TLayerRef> layers;
  for (int i = 0; i < root->LayerCount(); ++i) {
    const TLayer& layer = root->FLayers[static_cast<std::size_t>(i)];
    layers.push_back({i == index ? LayerName(layer.Entry) + "=-1" : layer.Entry, layer.List.get()});
  }
  root->RefreshLayers(layers);
  FTreeView->DocumentChanged();
}

void TIndexView::ExchangeLayer(int Step) {
  TTxFigureSet* root = Root();
  TCustomNodeItem* node = FTreeView->CurrentNode();
  if (!root || !node || FTreeView->LevelOf(node) != nlLayer) return;
  const int i = FTreeView->LayerIndexOf(node), j = i + Step;
  if (i < 0 || j < 0 || j >= root->LayerCount() || j >= FNodeList->Count()) return;
  std::swap(root->FLayers[static_cast<std::size_t>(i)], root->FLayers[static_cast<std::size_t>(j)]);
  FTreeView->Model().MoveTopRow(i, j);
  FTreeView->DocumentChanged();
}

void TIndexView::MoveUp() { ExchangeLayer(-1); }
void TIndexView::MoveDown() { ExchangeLayer(+1); }
