#pragma once
// The index tree control: a tree view over a node list of layers, figure
// kinds and figures. The model works on the node list itself, so the list is
// the only copy of the tree and every change to it is announced row by row:
// nodes nobody touched keep their items, their expansion and their selection.

#include "foundation/ComponentLists.h"

#include <QAbstractItemModel>
#include <QColor>
#include <QTreeView>
#include <memory>
#include <string>
#include <vector>

class QAction;
class QMenu;
class TCustomFigure;
class TCustomNodeItem;
class TCustomNodeList;
class TDocView;
class TTxFigureSet;

// Tree levels: layers, figure kinds within a layer, figures.
enum TNodeLevel : int { nlLayer = 0, nlKind = 1, nlFigure = 2 };

class TCustomNodeListTreeView;

// The items of a node list as rows of a tree. Top-level rows are the list's
// nodes; a node's children are the rows under it.
class TNodeListModel : public QAbstractItemModel {
public:
  explicit TNodeListModel(TCustomNodeListTreeView& Tree);

  // Shows List (not owned), or nothing.
  void SetNodeList(TCustomNodeList* List);
  TCustomNodeList* NodeList() const { return FNodeList; }
  TCustomNodeItem* NodeOf(const QModelIndex& Index) const;
  QModelIndex IndexOf(const TCustomNodeItem* Node) const;
  // The list that holds Parent's children: the node list itself for none.
  TCustomNodeList* ChildList(TCustomNodeItem* Parent) const;

  // Structure edits, each announced to the views as row changes.
  TCustomNodeItem* Append(TCustomNodeItem* Parent, std::unique_ptr<TCustomNodeItem> Node);
  void Delete(TCustomNodeItem* Node);
  // Node goes to the end of NewParent's children.
  void MoveUnder(TCustomNodeItem* Node, TCustomNodeItem* NewParent);
  // Top-level row From goes to row To.
  void MoveTopRow(int From, int To);
  // Colours of the top-level rows follow the layer states.
  void TopRowsChanged();

  QModelIndex index(int Row, int Column, const QModelIndex& Parent = {}) const override;
  QModelIndex parent(const QModelIndex& Index) const override;
  int rowCount(const QModelIndex& Parent = {}) const override;
  int columnCount(const QModelIndex& Parent = {}) const override;
  QVariant data(const QModelIndex& Index, int Role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& Index) const override;
  QStringList mimeTypes() const override;
  QMimeData* mimeData(const QModelIndexList& Indexes) const override;
  Qt::DropActions supportedDropActions() const override { return Qt::MoveAction; }
  Qt::DropActions supportedDragActions() const override { return Qt::MoveAction; }

private:
  TCustomNodeListTreeView& FTree;
  TCustomNodeList* FNodeList = nullptr;
};

class TCustomNodeListTreeView : public QTreeView {
public:
  // Owner: the index view whose document the tree shows.
  explicit TCustomNodeListTreeView(TDocView& Owner, QWidget* Parent = nullptr);
  ~TCustomNodeListTreeView() override;

  // Shows List (not owned; the index view owns it).
  void SetNodeList(TCustomNodeList* List);
  TCustomNodeList* NodeList() const { return FNodeList; }
  // The drawing view of the owner's document, or none.
  TDocView* DocView() const;
  QMenu* ActPopMenu() const { return FPopMenu.get(); }
  TNodeListModel& Model() const { return *FModel; }

  // Sets the levels of List and of every node below it; Parent is the node
  // that owns List (none for the top).
  void LoadNodes(TCustomNodeList* List, TCustomNodeItem* Parent);
  // The node standing for Object, searched depth first through every layer.
  TCustomNodeItem* FindNodeByObject(const TPersistent* Object) const;
  // Deletes Node and its subtree, clearing the tree's selection first when
  // the node is selected.
  void DeleteItem(TCustomNodeItem* Node);
  // Removes Node and then each parent in turn while it has no children and
  // stands for no figure; layer nodes stay.
  void ClearEmptyNode(TCustomNodeItem* Node);
  // Drops the nodes standing for these objects (about to be freed), in one
  // pass over the tree, and the kind nodes they leave empty.
  void DropNodesOf(const std::vector<TMyPersistent*>& Objects);
  // The property dialog of the current figure node.
  void EditFigure();
  // Node goes under the kind node of its kind in layer ToLayer (made when
  // missing); the kind node it leaves is removed when emptied.
  void MoveFigureNode(TCustomNodeItem* Node, int ToLayer);

  // Levels, layers and kinds.
  int LevelOf(const TCustomNodeItem* Node) const;
  TCustomNodeItem* LayerNodeOf(TCustomNodeItem* Node) const;
  // The layer index of Node's layer, or -1.
  int LayerIndexOf(TCustomNodeItem* Node) const;
  TCustomNodeItem* LayerNode(int Index) const;
  // The kind node of Caption under a layer node, made when Create asks.
  TCustomNodeItem* KindNode(TCustomNodeItem* Layer, const std::string& Caption, bool Create);
  // A figure node for Figure under its kind in layer Layer.
  TCustomNodeItem* AddFigureNode(TCustomFigure* Figure, int Layer);
  TCustomNodeItem* CurrentNode() const;
  void SetCurrentNode(TCustomNodeItem* Node);

  // Event handlers.
  void OnPopMenuPopup();
  void OnPopMenuClick(QAction* Item);
  void MyClick(TCustomNodeItem* Node);
  void MyKeyUp(int Key);
  bool MyDragOver(TCustomNodeItem* Source, TCustomNodeItem* Target) const;
  void MyDragDrop(TCustomNodeItem* Source, TCustomNodeItem* Target);
  // Text colour of a node: layers by their state, the rest black.
  QColor MyCustomDrawItem(const TCustomNodeItem& Node) const;
  void WMLButtonDblClk();

  // Every edit from the tree ends so: the document is marked changed and the
  // drawing view and the layer colours show it.
  void DocumentChanged();

  TCustomNodeList* FNodeList = nullptr;
  TMyList FCopyList;
  std::int32_t FCopyStyle = 0;
  std::unique_ptr<QMenu> FPopMenu;

protected:
  void mouseDoubleClickEvent(QMouseEvent* Event) override;
  void keyReleaseEvent(QKeyEvent* Event) override;
  void contextMenuEvent(QContextMenuEvent* Event) override;
  void startDrag(Qt::DropActions Actions) override;
  void dragEnterEvent(QDragEnterEvent* Event) override;
  void dragMoveEvent(QDragMoveEvent* Event) override;
  void dragLeaveEvent(QDragLeaveEvent* Event) override;
  void dropEvent(QDropEvent* Event) override;

private:
  friend class TNodeListModel;
  TTxFigureSet* Root() const;
  void AddMenuItem(const char* Name, const char* Caption);
  QAction* MenuItem(const char* Name) const;
  bool AcceptDrag(const QDropEvent& Event);
  void MoveLayer(int From, int To);

  TDocView& FOwner;
  std::unique_ptr<TNodeListModel> FModel;
  TCustomNodeItem* FDragNode = nullptr;
  TCustomNodeItem* FDropTarget = nullptr;
};

// The tree control of the index view.
class TNodeListTreeView final : public TCustomNodeListTreeView {
public:
  using TCustomNodeListTreeView::TCustomNodeListTreeView;
};
