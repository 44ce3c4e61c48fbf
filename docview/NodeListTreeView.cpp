#include "docview/NodeListTreeView.h"

#include "docview/DocView.h"
#include "docview/Document.h"
#include "figures/FigureSet.h"
#include "foundation/NodeItems.h"
#include "platform/Clipboard.h"
#include "platform/System.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDrag>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <algorithm>
#include <unordered_set>

namespace {

// Drags carry no data: only nodes of the same tree are accepted, and the
// tree knows which node it is dragging.
constexpr const char* IndexNodeMime = "application/x-plandeck-index-node";

TCustomNodeItem* ParentNode(const TCustomNodeItem* Node) {
  TCustomNodeList* list = Node ? Node->OwnerList() : nullptr;
  return list ? dynamic_cast<TCustomNodeItem*>(list->FOwner) : nullptr;
}

int RowIn(const TCustomNodeList& List, const TCustomNodeItem* Node) {
  for (int i = 0; i < List.Count(); ++i)
    if (List.Items(i) == Node) return i;
  return -1;
}

bool IsWithin(const TCustomNodeItem* Node, const TCustomNodeItem* Ancestor) {
  for (; Node; Node = ParentNode(Node))
    if (Node == Ancestor) return true;
  return false;
}

QString Text(const std::string& S) { return QString::fromUtf8(S.data(), static_cast<qsizetype>(S.size())); }

// Layer states as the menu shows them.
bool LayerShown(int Flag) { return Flag == lfVisible || Flag == lfCurrent || Flag == lfLocked; }
bool LayerEditable(int Flag) { return Flag == lfVisible || Flag == lfCurrent; }

}  // namespace

// ---- TNodeListModel

TNodeListModel::TNodeListModel(TCustomNodeListTreeView& Tree) : FTree(Tree) {}

void TNodeListModel::SetNodeList(TCustomNodeList* List) {
  beginResetModel();
  FNodeList = List;
  endResetModel();
}

TCustomNodeItem* TNodeListModel::NodeOf(const QModelIndex& Index) const {
  return Index.isValid() ? static_cast<TCustomNodeItem*>(Index.internalPointer()) : nullptr;
}

TCustomNodeList* TNodeListModel::ChildList(TCustomNodeItem* Parent) const {
  return Parent ? Parent->FList.get() : FNodeList;
}

QModelIndex TNodeListModel::IndexOf(const TCustomNodeItem* Node) const {
  TCustomNodeList* list = Node ? Node->OwnerList() : nullptr;
  if (!list) return {};
  const int row = RowIn(*list, Node);
  return row < 0 ? QModelIndex() : createIndex(row, 0, const_cast<TCustomNodeItem*>(Node));
}

QModelIndex TNodeListModel::index(int Row, int Column, const QModelIndex& Parent) const {
  TCustomNodeList* list = ChildList(NodeOf(Parent));
  if (!list || Column != 0 || Row < 0 || Row >= list->Count()) return {};
  return createIndex(Row, 0, list->Items(Row));
}

QModelIndex TNodeListModel::parent(const QModelIndex& Index) const {
  TCustomNodeItem* node = NodeOf(Index);
  if (!node || node->OwnerList() == FNodeList) return {};
  return IndexOf(ParentNode(node));
}

int TNodeListModel::rowCount(const QModelIndex& Parent) const {
  if (Parent.column() > 0) return 0;
  TCustomNodeList* list = ChildList(NodeOf(Parent));
  return list ? list->Count() : 0;
}

int TNodeListModel::columnCount(const QModelIndex&) const { return 1; }

QVariant TNodeListModel::data(const QModelIndex& Index, int Role) const {
  const TCustomNodeItem* node = NodeOf(Index);
  if (!node) return {};
  const bool target = node == FTree.FDropTarget;
  switch (Role) {
    case Qt::DisplayRole:
      // Layer nodes are captioned "Figure" and carry the layer name.
      return Text(FTree.LevelOf(node) == nlLayer ? node->FDescription : node->FCaption);
    case Qt::ForegroundRole:
      return target ? FTree.palette().color(QPalette::HighlightedText) : FTree.MyCustomDrawItem(*node);
    case Qt::BackgroundRole:
      return target ? QVariant(FTree.palette().color(QPalette::Highlight)) : QVariant();
    default: return {};
  }
}

Qt::ItemFlags TNodeListModel::flags(const QModelIndex& Index) const {
  if (!Index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
}

QStringList TNodeListModel::mimeTypes() const { return {IndexNodeMime}; }

QMimeData* TNodeListModel::mimeData(const QModelIndexList&) const {
  auto* data = new QMimeData;
  data->setData(IndexNodeMime, QByteArray());
  return data;
}

TCustomNodeItem* TNodeListModel::Append(TCustomNodeItem* Parent, std::unique_ptr<TCustomNodeItem> Node) {
  TCustomNodeList* list = ChildList(Parent);
  if (!list || !Node) return nullptr;
  TCustomNodeItem* raw = Node.get();
  raw->FLevel = list->FLevel;
  raw->FList->FLevel = list->FLevel + 1;
  const int row = list->Count();
  beginInsertRows(IndexOf(Parent), row, row);
  list->Add(std::move(Node));
  endInsertRows();
  return raw;
}

void TNodeListModel::Delete(TCustomNodeItem* Node) {
  TCustomNodeList* list = Node ? Node->OwnerList() : nullptr;
  if (!list) return;
  const int row = RowIn(*list, Node);
  beginRemoveRows(IndexOf(ParentNode(Node)), row, row);
  Node->Delete();
  endRemoveRows();
}

void TNodeListModel::MoveUnder(TCustomNodeItem* Node, TCustomNodeItem* NewParent) {
  TCustomNodeList* from = Node ? Node->OwnerList() : nullptr;
  TCustomNodeList* to = ChildList(NewParent);
  if (!from || !to || from == to || IsWithin(NewParent, Node)) return;
  const int row = RowIn(*from, Node);
  beginMoveRows(IndexOf(ParentNode(Node)), row, row, IndexOf(NewParent), to->Count());
  Node->MoveTo(*to);
  endMoveRows();
}

void TNodeListModel::MoveTopRow(int From, int To) {
  if (!FNodeList || From == To || From < 0 || To < 0 || From >= FNodeList->Count() || To >= FNodeList->Count())
    return;
  // Qt counts the destination before the move.
  beginMoveRows({}, From, From, {}, To > From ? To + 1 : To);
  auto& items = FNodeList->FList;
  auto node = std::move(items[static_cast<std::size_t>(From)]);
  items.erase(items.begin() + From);
  items.insert(items.begin() + To, std::move(node));
  endMoveRows();
}

void TNodeListModel::TopRowsChanged() {
  const int n = rowCount();
  if (n > 0) emit dataChanged(index(0, 0), index(n - 1, 0), {Qt::ForegroundRole});
}

// ---- TCustomNodeListTreeView

TCustomNodeListTreeView::TCustomNodeListTreeView(TDocView& Owner, QWidget* Parent)
    : QTreeView(Parent), FPopMenu(std::make_unique<QMenu>()), FOwner(Owner),
      FModel(std::make_unique<TNodeListModel>(*this)) {
  setModel(FModel.get());
  setHeaderHidden(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setDragEnabled(true);
  setAcceptDrops(true);
  setDropIndicatorShown(false);
  setDragDropMode(QAbstractItemView::DragDrop);

  AddMenuItem("pI_Cut", "剪切");
  AddMenuItem("pI_Copy", "复制");
  AddMenuItem("pi_Paste", "粘贴");
  AddMenuItem("pI_Seporateor1", "-");
  AddMenuItem("pI_Del", "删除");
  AddMenuItem("pI_Seporateor2", "-");
  AddMenuItem("pI_CurLayer", "当前层");
  AddMenuItem("pI_Show", "可见");
  AddMenuItem("pI_Edit", "可编辑");
  AddMenuItem("pI_Seporateor3", "-");
  AddMenuItem("Pi_Properties", "属性...");
  QObject::connect(FPopMenu.get(), &QMenu::aboutToShow, this, [this] { OnPopMenuPopup(); });
  QObject::connect(FPopMenu.get(), &QMenu::triggered, this, [this](QAction* a) { OnPopMenuClick(a); });
  QObject::connect(this, &QAbstractItemView::clicked, this,
                   [this](const QModelIndex& i) { MyClick(FModel->NodeOf(i)); });
}

TCustomNodeListTreeView::~TCustomNodeListTreeView() {
  // The view lets go of the model before the model goes.
  setModel(nullptr);
}

void TCustomNodeListTreeView::AddMenuItem(const char* Name, const char* Caption) {
  QAction* a = std::string_view(Caption) == "-" ? FPopMenu->addSeparator() : FPopMenu->addAction(Caption);
  a->setObjectName(Name);
}

QAction* TCustomNodeListTreeView::MenuItem(const char* Name) const {
  return FPopMenu->findChild<QAction*>(Name, Qt::FindDirectChildrenOnly);
}

TTxFigureSet* TCustomNodeListTreeView::Root() const {
  return FOwner.Document() ? FOwner.Document()->GetFigures() : nullptr;
}

TDocView* TCustomNodeListTreeView::DocView() const {
  if (!FOwner.Document()) return nullptr;
  for (TDocView* v : FOwner.Document()->Views())
    if (v->IsDrawingView()) return v;
  return nullptr;
}

void TCustomNodeListTreeView::DocumentChanged() {
  if (TDocument* doc = FOwner.Document()) {
    doc->SetModifiedFlag(true);
    // Every picture of the document, the navigator's too, shows layer states.
    doc->UpdateAllViews(nullptr, 0, nullptr);
  }
  FModel->TopRowsChanged();
}

// ---- nodes

void TCustomNodeListTreeView::SetNodeList(TCustomNodeList* List) {
  const bool busy = List && QApplication::instance();
  if (busy) QApplication::setOverrideCursor(Qt::WaitCursor);
  FDragNode = FDropTarget = nullptr;
  FNodeList = List;
  if (List) LoadNodes(List, nullptr);
  FModel->SetNodeList(List);
  if (busy) QApplication::restoreOverrideCursor();
}

void TCustomNodeListTreeView::LoadNodes(TCustomNodeList* List, TCustomNodeItem* Parent) {
  if (!List) return;
  // The lists' levels let GetPathNames find its way up.
  List->FLevel = Parent ? Parent->FLevel + 1 : 0;
  for (const auto& item : List->FList) {
    item->FLevel = List->FLevel;
    LoadNodes(item->FList.get(), item.get());
  }
}

int TCustomNodeListTreeView::LevelOf(const TCustomNodeItem* Node) const {
  int level = 0;
  for (const TCustomNodeItem* p = ParentNode(Node); p; p = ParentNode(p)) ++level;
  return level;
}

TCustomNodeItem* TCustomNodeListTreeView::LayerNodeOf(TCustomNodeItem* Node) const {
  while (Node && ParentNode(Node)) Node = ParentNode(Node);
  return Node && FNodeList && Node->OwnerList() == FNodeList ? Node : nullptr;
}

int TCustomNodeListTreeView::LayerIndexOf(TCustomNodeItem* Node) const {
  TCustomNodeItem* layer = LayerNodeOf(Node);
  return layer ? RowIn(*FNodeList, layer) : -1;
}

TCustomNodeItem* TCustomNodeListTreeView::LayerNode(int Index) const {
  return FNodeList && Index >= 0 && Index < FNodeList->Count() ? FNodeList->Items(Index) : nullptr;
}

TCustomNodeItem* TCustomNodeListTreeView::KindNode(TCustomNodeItem* Layer, const std::string& Caption,
                                                   bool Create) {
  if (!Layer) return nullptr;
  const int i = Layer->FList->FindByIdent(Caption);
  if (i >= 0) return Layer->FList->Items(i);
  if (!Create) return nullptr;
  auto node = std::make_unique<TCustomNodeItem>();
  node->FCaption = Caption;
  node->FDescription = Caption;
  return FModel->Append(Layer, std::move(node));
}

TCustomNodeItem* TCustomNodeListTreeView::AddFigureNode(TCustomFigure* Figure, int Layer) {
  TCustomNodeItem* node = LayerNode(Layer);
  if (!Figure || !node) return nullptr;
  std::vector<std::string> path;
  Figure->GetIndexPath(path);
  if (path.empty()) return nullptr;
  // The kinds above are shared; the figure's own node is always new, as an
  // identity may repeat one of a figure freed meanwhile.
  for (std::size_t i = 0; i + 1 < path.size(); ++i) node = KindNode(node, path[i], true);
  auto item = std::make_unique<TCustomNodeItem>();
  item->FCaption = path.back();
  item->FDescription = path.back();
  item->FData = Figure;
  return FModel->Append(node, std::move(item));
}

TCustomNodeItem* TCustomNodeListTreeView::FindNodeByObject(const TPersistent* Object) const {
  if (!FNodeList || !Object) return nullptr;
  std::vector<TCustomNodeItem*> stack;
  for (int i = FNodeList->Count() - 1; i >= 0; --i) stack.push_back(FNodeList->Items(i));
  while (!stack.empty()) {
    TCustomNodeItem* node = stack.back();
    stack.pop_back();
    if (node->FData == Object) return node;
    for (int i = node->FList->Count() - 1; i >= 0; --i) stack.push_back(node->FList->Items(i));
  }
  return nullptr;
}

void TCustomNodeListTreeView::DeleteItem(TCustomNodeItem* Node) {
  if (!Node) return;
  if (IsWithin(CurrentNode(), Node)) {
    selectionModel()->clear();
    setCurrentIndex({});
  }
  if (IsWithin(FDragNode, Node)) FDragNode = nullptr;
  if (IsWithin(FDropTarget, Node)) FDropTarget = nullptr;
  FModel->Delete(Node);
}

void TCustomNodeListTreeView::ClearEmptyNode(TCustomNodeItem* Node) {
  while (Node && LevelOf(Node) > nlLayer && !Node->HasChild() && !Node->FData) {
    TCustomNodeItem* parent = ParentNode(Node);
    DeleteItem(Node);
    Node = parent;
  }
}

void TCustomNodeListTreeView::DropNodesOf(const std::vector<TMyPersistent*>& Objects) {
  if (!FNodeList || Objects.empty()) return;
  const std::unordered_set<const TPersistent*> gone(Objects.begin(), Objects.end());
  std::vector<TCustomNodeItem*> hits;
  std::vector<TCustomNodeItem*> stack(FNodeList->FList.size());
  std::transform(FNodeList->FList.begin(), FNodeList->FList.end(), stack.begin(), [](auto& p) { return p.get(); });
  while (!stack.empty()) {
    TCustomNodeItem* node = stack.back();
    stack.pop_back();
    if (node->FData && gone.count(node->FData)) hits.push_back(node);
    for (const auto& child : node->FList->FList) stack.push_back(child.get());
  }
  for (TCustomNodeItem* node : hits) {
    TCustomNodeItem* parent = ParentNode(node);
    DeleteItem(node);
    ClearEmptyNode(parent);
  }
}

TCustomNodeItem* TCustomNodeListTreeView::CurrentNode() const { return FModel->NodeOf(currentIndex()); }

void TCustomNodeListTreeView::SetCurrentNode(TCustomNodeItem* Node) { setCurrentIndex(FModel->IndexOf(Node)); }

void TCustomNodeListTreeView::MoveFigureNode(TCustomNodeItem* Node, int ToLayer) {
  TCustomNodeItem* oldKind = ParentNode(Node);
  if (!oldKind) return;
  TCustomNodeItem* kind = KindNode(LayerNode(ToLayer), oldKind->FCaption, true);
  if (!kind || kind == oldKind) return;
  FModel->MoveUnder(Node, kind);
  ClearEmptyNode(oldKind);
}

void TCustomNodeListTreeView::MoveLayer(int From, int To) {
  TTxFigureSet* root = Root();
  if (!root || From == To || From < 0 || To < 0 || From >= root->LayerCount() || To >= root->LayerCount()) return;
  auto& layers = root->FLayers;
  TLayer layer = std::move(layers[static_cast<std::size_t>(From)]);
  layers.erase(layers.begin() + From);
  layers.insert(layers.begin() + To, std::move(layer));
  FModel->MoveTopRow(From, To);
}

void TCustomNodeListTreeView::EditFigure() {
  TCustomNodeItem* node = CurrentNode();
  TTxFigureSet* root = Root();
  if (!node || !root || LevelOf(node) != nlFigure) return;
  auto* figure = dynamic_cast<TCustomFigure*>(node->FData);
  if (!figure) return;
  // A layer chosen in the dialog moves the node through the document's notice.
  figure->EditProperties(DocView());
  if (TDocument* doc = FOwner.Document()) doc->SetModifiedFlag(true);
}

// ---- events

QColor TCustomNodeListTreeView::MyCustomDrawItem(const TCustomNodeItem& Node) const {
  TTxFigureSet* root = Root();
  if (!root || LevelOf(&Node) != nlLayer) return Qt::black;
  const int index = RowIn(*FNodeList, &Node);
  if (index < 0 || index >= root->LayerCount()) return Qt::black;
  switch (LayerFlag(root->FLayers[static_cast<std::size_t>(index)].Entry)) {
    case lfHidden: return QColor(0, 128, 0);
    case lfVisible: return QColor(0, 0, 255);
    case lfCurrent: return QColor(255, 0, 0);
    case lfLocked: return QColor(128, 0, 128);
    default: return Qt::black;
  }
}

void TCustomNodeListTreeView::MyClick(TCustomNodeItem* Node) {
  TDocView* view = DocView();
  if (!view || !Node) return;
  std::vector<TPersistent*> items;
  Node->GetChildrenData(items, TDocItem::StaticClass());
  if (items.empty()) {
    view->Select(nullptr, false);
  } else {
    for (std::size_t i = 0; i < items.size(); ++i) view->Select(static_cast<TDocItem*>(items[i]), i > 0);
  }
  view->PositionSelectInCenter();
}

void TCustomNodeListTreeView::MyKeyUp(int Key) {
  if (Key == Qt::Key_Left || Key == Qt::Key_Up || Key == Qt::Key_Right || Key == Qt::Key_Down)
    MyClick(CurrentNode());
}

void TCustomNodeListTreeView::WMLButtonDblClk() { EditFigure(); }

void TCustomNodeListTreeView::OnPopMenuPopup() {
  for (QAction* a : FPopMenu->actions()) {
    a->setVisible(false);
    a->setCheckable(false);
  }
  TDocView* view = DocView();
  TCustomNodeItem* node = CurrentNode();
  TTxFigureSet* root = Root();
  if (!view || !node) return;
  const bool cut = view->Selection().Count() > 0;
  if (cut)
    for (const char* name : {"pI_Cut", "pI_Copy", "pI_Seporateor1", "pI_Del"}) MenuItem(name)->setVisible(true);
  const int level = LevelOf(node);
  if (level == nlFigure)
    for (const char* name : {"pI_Seporateor3", "Pi_Properties"}) MenuItem(name)->setVisible(true);
  const bool paste = CheckClipBoard();
  if (paste) MenuItem("pi_Paste")->setVisible(true);
  if (level == nlLayer && root) {
    if (cut || paste) MenuItem("pI_Seporateor2")->setVisible(true);
    const int index = LayerIndexOf(node);
    const int flag = index < root->LayerCount() ? LayerFlag(root->FLayers[static_cast<std::size_t>(index)].Entry) : 0;
    const std::pair<const char*, bool> states[] = {
        {"pI_CurLayer", flag == lfCurrent}, {"pI_Show", LayerShown(flag)}, {"pI_Edit", LayerEditable(flag)}};
    for (const auto& [name, checked] : states) {
      QAction* a = MenuItem(name);
      a->setVisible(true);
      a->setCheckable(true);
      a->setChecked(checked);
    }
  }
}

void TCustomNodeListTreeView::OnPopMenuClick(QAction* Item) {
  TDocView* view = DocView();
  TCustomNodeItem* node = CurrentNode();
  TTxFigureSet* root = Root();
  if (!Item || !view) return;
  auto is = [&](const char* name) { return Item->objectName().compare(name, Qt::CaseInsensitive) == 0; };
  if (is("pI_Cut")) return view->OnEditCut();
  if (is("pI_Copy")) return view->OnEditCopy();
  if (is("pI_Del")) return view->OnEditClear();
  if (is("Pi_Properties")) return EditFigure();
  const int index = LayerIndexOf(node);
  if (is("pi_Paste")) {
    if (index >= 0) view->PasteToLayer(index);
    return;
  }
  if (!root || index < 0 || index >= root->LayerCount()) return;
  // The states as they were when the menu opened: a click asks for the other one.
  const int flag = LayerFlag(root->FLayers[static_cast<std::size_t>(index)].Entry);
  if (is("pI_CurLayer")) {
    if (flag == lfCurrent) return;
    root->SetCurLayer(index);
    DocumentChanged();
  } else if (is("pI_Show")) {
    if (!root->SetLayerVisible(index, !LayerShown(flag))) return;
    // A hidden figure cannot be seen to be selected: it leaves the selection.
    if (!LayerShown(LayerFlag(root->FLayers[static_cast<std::size_t>(index)].Entry))) {
      TTxCollectFigure* list = root->LayerList(index);
      for (int i = 0; i < list->Count(); ++i) view->Deselect(list->Figures(i));
    }
    DocumentChanged();
  } else if (is("pI_Edit")) {
    if (root->SetLayerEdit(index, !LayerEditable(flag))) DocumentChanged();
  }
}

bool TCustomNodeListTreeView::MyDragOver(TCustomNodeItem* Source, TCustomNodeItem* Target) const {
  if (!Source || !Target || Source == Target || !Root()) return false;
  const int from = LayerIndexOf(Source), to = LayerIndexOf(Target);
  // Within one layer there is nothing to move.
  return from >= 0 && to >= 0 && from != to;
}

void TCustomNodeListTreeView::MyDragDrop(TCustomNodeItem* Source, TCustomNodeItem* Target) {
  if (!MyDragOver(Source, Target)) return;
  TTxFigureSet* root = Root();
  const int from = LayerIndexOf(Source), to = LayerIndexOf(Target);
  auto exchange = [&](TCustomNodeItem* node) {
    auto* figure = dynamic_cast<TCustomFigure*>(node->FData);
    if (!figure) return;
    // From the layer the figure really is in, so tree and drawing cannot part.
    const int layer = root->GetFigureLayerIndex(figure);
    if (layer < root->LayerCount()) root->ExchangeFigureLayer(figure, layer, to);
  };
  switch (LevelOf(Source)) {
    case nlLayer: MoveLayer(from, to); break;
    case nlKind: {
      TCustomNodeItem* kind = KindNode(LayerNode(to), Source->FCaption, true);
      if (!kind) return;
      // Bottom to top, each put on top: the figures keep their order.
      std::vector<TCustomNodeItem*> children;
      for (const auto& child : Source->FList->FList) children.push_back(child.get());
      // Each node moves before its figure, so the document's notice of the
      // new layer finds it already there.
      for (TCustomNodeItem* child : children) {
        FModel->MoveUnder(child, kind);
        exchange(child);
      }
      ClearEmptyNode(Source);
      SetCurrentNode(kind);
      expand(FModel->IndexOf(kind));
      break;
    }
    default:
      MoveFigureNode(Source, to);
      exchange(Source);
      break;
  }
  DocumentChanged();
}

void TCustomNodeListTreeView::mouseDoubleClickEvent(QMouseEvent* Event) {
  QTreeView::mouseDoubleClickEvent(Event);
  WMLButtonDblClk();
}

void TCustomNodeListTreeView::keyReleaseEvent(QKeyEvent* Event) {
  QTreeView::keyReleaseEvent(Event);
  if (!Event->isAutoRepeat()) MyKeyUp(Event->key());
}

void TCustomNodeListTreeView::contextMenuEvent(QContextMenuEvent* Event) {
  FPopMenu->popup(Event->globalPos());
  Event->accept();
}

void TCustomNodeListTreeView::startDrag(Qt::DropActions) {
  TCustomNodeItem* node = CurrentNode();
  if (!node) return;
  FDragNode = node;
  auto* drag = new QDrag(this);
  drag->setMimeData(FModel->mimeData({}));
  drag->exec(Qt::MoveAction);
  FDragNode = nullptr;
  if (FDropTarget) {
    FDropTarget = nullptr;
    viewport()->update();
  }
}

bool TCustomNodeListTreeView::AcceptDrag(const QDropEvent& Event) {
  if (Event.source() != this || !Event.mimeData()->hasFormat(IndexNodeMime) || !FDragNode) return false;
  return MyDragOver(FDragNode, FModel->NodeOf(indexAt(Event.position().toPoint())));
}

void TCustomNodeListTreeView::dragEnterEvent(QDragEnterEvent* Event) {
  if (Event->source() == this && Event->mimeData()->hasFormat(IndexNodeMime))
    Event->acceptProposedAction();
  else
    Event->ignore();
}

void TCustomNodeListTreeView::dragMoveEvent(QDragMoveEvent* Event) {
  // The base scrolls and expands under the pointer; whether a drop is
  // possible is decided here.
  QTreeView::dragMoveEvent(Event);
  TCustomNodeItem* target = FModel->NodeOf(indexAt(Event->position().toPoint()));
  const bool ok = AcceptDrag(*Event);
  TCustomNodeItem* shown = ok ? target : nullptr;
  if (shown != FDropTarget) {
    FDropTarget = shown;
    viewport()->update();
  }
  if (ok) {
    Event->setDropAction(Qt::MoveAction);
    Event->accept();
  } else {
    Event->ignore();
  }
}

void TCustomNodeListTreeView::dragLeaveEvent(QDragLeaveEvent* Event) {
  QTreeView::dragLeaveEvent(Event);
  FDropTarget = nullptr;
  viewport()->update();
}

void TCustomNodeListTreeView::dropEvent(QDropEvent* Event) {
  FDropTarget = nullptr;
  viewport()->update();
  if (!AcceptDrag(*Event)) {
    Event->ignore();
    return;
  }
  MyDragDrop(FDragNode, FModel->NodeOf(indexAt(Event->position().toPoint())));
  Event->setDropAction(Qt::MoveAction);
  Event->accept();
}
