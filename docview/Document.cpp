#include "docview/Document.h"

#include "docview/DocView.h"
#include "docview/DrawTool.h"
#include "docview/Environment.h"
#include "figures/Figure.h"
#include "foundation/NodeItems.h"
#include "foundation/ValueStream.h"

#include <algorithm>

PLANDECK_DEFINE_CLASS(TDocument, TFigureDocument)

TDocument::TDocument(TMyPersistent* AOwner) : TFigureDocument(AOwner) {}

TDocument::~TDocument() {
  // Each view leaves the list itself.
  while (!FViewList.empty()) FViewList.front()->SetDocument(nullptr);
  FToolList.clear();
}

void TDocument::ReadData(TReader& Reader) {
  TFigureDocument::ReadData(Reader);
  FScale = Reader.ReadFloat();
  FOrientation = Reader.ReadInteger();
  FLayout = Reader.ReadInteger();
  FPageLeftOff = Reader.ReadInteger();
  FPageUpOff = Reader.ReadInteger();
  FPageRightOff = Reader.ReadInteger();
  FPageDownOff = Reader.ReadInteger();
  FPrintScale = Reader.ReadFloat();
  FPrintFrame = Reader.ReadBoolean();
}

void TDocument::WriteData(TWriter& Writer) {
  TFigureDocument::WriteData(Writer);
  Writer.WriteFloat(FScale);
  Writer.WriteInteger(FOrientation);
  Writer.WriteInteger(FLayout);
  // Margins go left, up, right, down.
  Writer.WriteInteger(FPageLeftOff);
  Writer.WriteInteger(FPageUpOff);
  Writer.WriteInteger(FPageRightOff);
  Writer.WriteInteger(FPageDownOff);
  Writer.WriteFloat(FPrintScale);
  Writer.WriteBoolean(FPrintFrame);
}

void TDocument::AssignTo(TPersistent& Dest) const {
  auto* d = dynamic_cast<TDocument*>(&Dest);
  if (!d) {
    TFigureDocument::AssignTo(Dest);
    return;
  }
  // The print scale stays the target's.
  d->FScale = FScale;
  d->FOrientation = FOrientation;
  d->FLayout = FLayout;
  d->FPageLeftOff = FPageLeftOff;
  d->FPageRightOff = FPageRightOff;
  d->FPageUpOff = FPageUpOff;
  d->FPageDownOff = FPageDownOff;
  d->FPrintFrame = FPrintFrame;
}

void TDocument::Loaded() {
  TFigureDocument::Loaded();
  Refresh();
}

void TDocument::UpdateAllViews(TFigureView* Sender, int Hint, TMyPersistent* HintObject) {
  UpdateAllViews(Sender, Hint, static_cast<TPersistent*>(HintObject));
}

void TDocument::UpdateAllViews(TFigureView* Sender, int Hint, TPersistent* HintObject) {
  auto* sender = dynamic_cast<TDocView*>(Sender);
  // A view may leave the list while it handles a notice.
  const std::vector<TDocView*> views = FViewList;
  for (TDocView* v : views)
    if (std::find(FViewList.begin(), FViewList.end(), v) != FViewList.end()) v->OnUpdate(sender, Hint, HintObject);
}

void TDocument::SetModifiedFlag(bool Value) { FModifiedFlag = Value; }

int TDocument::GetUndoLimit() const { return SysEnvironment ? SysEnvironment->FUndoCount : 5; }

int TDocument::GetCaptureBj() const { return SysEnvironment ? SysEnvironment->FCaptureBj : 8; }
int TDocument::GetPrinterLx() const { return SysEnvironment ? SysEnvironment->FPrinterLx : 0; }

void TDocument::AddItemMessage(TMyPersistent* Item) {
  FModifiedFlag = true;
  const std::vector<TDocView*> views = FViewList;
  for (TDocView* v : views) v->CMAddItem(Item);
}

void TDocument::RemoveItemMessage(TMyPersistent* Item) {
  FModifiedFlag = true;
  const std::vector<TDocView*> views = FViewList;
  for (TDocView* v : views) v->CMDelItem(Item);
}

void TDocument::FiguresFreeing(const std::vector<TMyPersistent*>& Figures) {
  for (TDocView* v : FViewList) v->FiguresFreeing(Figures);
}

TSize TDocument::GetSize() const { return TSize{500, 500}; }
TRect TDocument::GetRect() const { return TRect{0, 0, 500, 500}; }
int TDocument::GetUndoCount() const { return 0; }
TPoint TDocument::DocOrg() const { return TPoint{0, 0}; }
TDocItem* TDocument::ObjectAt(TPoint, const TMetaClass*, double) { return nullptr; }
void TDocument::DrawDC(TCanvas&, TDocView*, const TRect&) {}
void TDocument::Add(std::unique_ptr<TDocItem>, TPoint, TDocView*) {}
void TDocument::AddToolFigure(TDocItem*, TDocView*) {}

void TDocument::SelectItem(TDocItem* Item) {
  for (TDocView* v : FViewList) v->Select(Item, false);
}

void TDocument::SelectAllItem(TMyList&) {}
void TDocument::RectSelectItem(const TRect&, TMyList&) {}

void TDocument::RemoveItem(TDocItem* Item) { RemoveItemMessage(Item); }
void TDocument::Remove(TDocItem* Item) { RemoveItemMessage(Item); }

void TDocument::ItemMoveToBack(TDocItem*) { FModifiedFlag = true; }
void TDocument::ItemMoveToFront(TDocItem*) { FModifiedFlag = true; }
std::unique_ptr<TCustomNodeList> TDocument::GetInheritList() { return nullptr; }
TDocItem* TDocument::AddItemByPath(const std::vector<std::string>&) { return nullptr; }
void TDocument::CopyItemByPath(const std::vector<std::string>&, TDocItem*) {}
void TDocument::CutItemByPath(const std::vector<std::string>&, TDocItem*) {}
void TDocument::BackUp(const TMyList&, TOperationVerb) {}
void TDocument::Undo(TDocView*) {}

void TDocument::AddView(TDocView* View) {
  if (View && std::find(FViewList.begin(), FViewList.end(), View) == FViewList.end()) FViewList.push_back(View);
}

void TDocument::RemoveView(TDocView* View) { std::erase(FViewList, View); }

void TDocument::AddTool(std::unique_ptr<TDrawTool> Tool) {
  if (Tool) FToolList.push_back(std::move(Tool));
}

TDrawTool* TDocument::FindTool(const TMetaClass* ItemClass) const {
  for (const auto& t : FToolList)
    if (t->FItemClass == ItemClass) return t.get();
  return nullptr;
}
