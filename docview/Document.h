#pragma once
// TDocument: the abstract document of the document/view framework. It knows
// the views that show it and the tools that edit it, keeps the page and print
// settings, and forwards every change notice to its views synchronously.

#include "figures/FigureDocument.h"
#include "foundation/ComponentLists.h"
#include "platform/Gdi.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

class TCanvas;
class TCustomNodeList;
class TDocItem;
class TDocView;
class TDrawTool;
class TTxFigureSet;

class TDocument : public TFigureDocument {
  PLANDECK_DECLARE_CLASS(TDocument)
public:
  explicit TDocument(TMyPersistent* AOwner = nullptr);
  ~TDocument() override;

  void ReadData(TReader& Reader) override;
  void WriteData(TWriter& Writer) override;
  void AssignTo(TPersistent& Dest) const override;
  void Loaded() override;

  // What the figures call.
  void UpdateAllViews(TFigureView* Sender, int Hint, TMyPersistent* HintObject) override;
  // Hints 2 and 3 carry a list, which is no figure.
  void UpdateAllViews(TFigureView* Sender, int Hint, TPersistent* HintObject);
  void UpdateAllViews(TFigureView* Sender, int Hint, std::nullptr_t) {
    UpdateAllViews(Sender, Hint, static_cast<TPersistent*>(nullptr));
  }
  void SetModifiedFlag(bool Value) override;
  double GetDocScale() const override { return FScale; }
  // The figures ask for the history limit here: the environment's.
  int GetUndoLimit() const override;
  int GetCaptureBj() const override;
  int GetPrinterLx() const override;
  // The item messages of the views, delivered as direct calls.
  void AddItemMessage(TMyPersistent* Item) override;
  void RemoveItemMessage(TMyPersistent* Item) override;
  void FiguresFreeing(const std::vector<TMyPersistent*>& Figures) override;

  // The abstract operations; the drawing document fills them in.
  // Steps that Undo can take back (enables the undo command).
  virtual int GetUndoCount() const;
  virtual TSize GetSize() const;
  virtual TRect GetRect() const;
  virtual TPoint DocOrg() const;
  // Hit test at a logical point; AClass null means any class.
  virtual TDocItem* ObjectAt(TPoint P, const TMetaClass* AClass, double Factor);
  virtual void DrawDC(TCanvas& DC, TDocView* View, const TRect& ClipRect);
  // Takes Item into the drawing; a non-zero Offset places its reference point there.
  virtual void Add(std::unique_ptr<TDocItem> Item, TPoint Offset, TDocView* View);
  virtual void AddToolFigure(TDocItem* Item, TDocView* View);
  void SelectItem(TDocItem* Item);
  virtual void SelectAllItem(TMyList& List);
  virtual void RectSelectItem(const TRect& Rect, TMyList& List);
  // Announces the removal; the drawing document also takes the item out and frees it.
  virtual void RemoveItem(TDocItem* Item);
  // Announces the removal and takes the item out of the drawing, kept for
  // the undo step that the next BackUp(ovDelete) records.
  virtual void Remove(TDocItem* Item);
  virtual void ItemMoveToBack(TDocItem* Item);
  virtual void ItemMoveToFront(TDocItem* Item);
  virtual std::unique_ptr<TCustomNodeList> GetInheritList();
  virtual TDocItem* AddItemByPath(const std::vector<std::string>& Path);
  virtual void CopyItemByPath(const std::vector<std::string>& Path, TDocItem* Item);
  virtual void CutItemByPath(const std::vector<std::string>& Path, TDocItem* Item);
  virtual void BackUp(const TMyList& Selected, TOperationVerb Mode);
  virtual void Undo(TDocView* View);
  // The drawing root, for the views' scales and paste to a layer; none here.
  virtual TTxFigureSet* GetFigures() const { return nullptr; }

  void AddView(TDocView* View);
  void RemoveView(TDocView* View);
  const std::vector<TDocView*>& Views() const { return FViewList; }
  void AddTool(std::unique_ptr<TDrawTool> Tool);
  TDrawTool* FindTool(const TMetaClass* ItemClass) const;
  bool GetModifiedFlag() const { return FModifiedFlag; }

  std::vector<TDocView*> FViewList;
  std::vector<std::unique_ptr<TDrawTool>> FToolList;
  std::int32_t FOrientation = 0;
  bool FModifiedFlag = false;
  double FScale = 1.0;
  std::int32_t FLayout = 3;
  std::int32_t FPageLeftOff = 25;
  std::int32_t FPageRightOff = 12;
  std::int32_t FPageUpOff = 10;
  std::int32_t FPageDownOff = 10;
  double FPrintScale = 1.0;
  bool FPrintFrame = false;
  std::int32_t FHorzPosition = 0;
  std::int32_t FVertPosition = 0;
};
