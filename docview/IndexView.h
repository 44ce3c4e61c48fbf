#pragma once
// TIndexView: the index window's view, a tree of layers, figure kinds and
// figures that follows the document through its item messages. It draws
// nothing itself; the tree fills it.

#include "docview/DocView.h"
#include "docview/NodeListTreeView.h"

#include <memory>
#include <string>

class TCustomNodeList;

class TIndexView : public TDocView {
public:
  explicit TIndexView(QWidget* Parent = nullptr);
  ~TIndexView() override;

  // Rebuilds the tree from the document's node list.
  void OnInitialUpdate() override;
  void OnUpdate(TDocView*, int, TPersistent*) override {}
  void CMAddItem(TMyPersistent* Item) override;
  void CMDelItem(TMyPersistent* Item) override;
  void FiguresFreeing(const std::vector<TMyPersistent*>& Figures) override;
  // Item was moved to another layer (a property dialog's layer chooser, a
  // drop): its node follows it there.
  void FigureLayerChanged(TMyPersistent* Item);
  // Both forward to the drawing view.
  void Select(TDocItem* Item, bool Add) override;
  void PositionSelectInCenter() override;

  // The root has just gained the layer Name: the tree shows it too.
  void AddLayer(const std::string& Name);
  // The selected layer and its figures go, after the user agrees.
  void DeleteLayer();
  // The selected layer changes places with the one before / after it.
  void MoveUp();
  void MoveDown();

  void OnPrepareDC(TCanvas&) const override {}
  void Paint() override {}
  void KeyDown(int, TShiftState) override {}
  void MouseDown(TMouseButton, TShiftState, TPoint) override {}
  void MouseMove(TShiftState, TPoint) override {}
  void MouseUp(TMouseButton, TShiftState, TPoint) override {}
  void DblClick(TShiftState, TPoint) override {}

  TNodeListTreeView& TreeView() const { return *FTreeView; }
  TCustomNodeList* NodeList() const { return FNodeList.get(); }

  std::unique_ptr<TNodeListTreeView> FTreeView;
  std::unique_ptr<TCustomNodeList> FNodeList;

protected:
  void resizeEvent(QResizeEvent* Event) override;

private:
  void ExchangeLayer(int Step);
};
