#pragma once
// The drawing document and the objects a .GCK file is read into: the project
// file (root of the image), its project, the list of documents, and the
// document joining the framework to one drawing root.

#include "docview/Document.h"
#include "figures/FigureSet.h"

#include <memory>
#include <string>
#include <vector>

class TFiguresDoc : public TDocument {
  PLANDECK_DECLARE_CLASS(TFiguresDoc)
public:
  explicit TFiguresDoc(TMyPersistent* AOwner = nullptr);
  ~TFiguresDoc() override;

  void ReadData(TReader& Reader) override;
  void WriteData(TWriter& Writer) override;
  void ReadStream(TStream& Stream) override;
  void WriteStream(TStream& Stream) override;
  void AssignTo(TPersistent& Dest) const override;
  void Refresh() override;

  void SetModifiedFlag(bool Value) override;
  TSize GetSize() const override;
  TRect GetRect() const override;
  TPoint DocOrg() const override;
  TDocItem* ObjectAt(TPoint P, const TMetaClass* AClass, double Factor) override;
  void DrawDC(TCanvas& DC, TDocView* View, const TRect& ClipRect) override;
  void Add(std::unique_ptr<TDocItem> Item, TPoint Offset, TDocView* View) override;
  void Remove(TDocItem* Item) override;
  void RemoveItem(TDocItem* Item) override;
  void SelectAllItem(TMyList& List) override;
  void RectSelectItem(const TRect& Rect, TMyList& List) override;
  void ItemMoveToBack(TDocItem* Item) override;
  void ItemMoveToFront(TDocItem* Item) override;
  std::unique_ptr<TCustomNodeList> GetInheritList() override;
  void BackUp(const TMyList& Selected, TOperationVerb Mode) override;
  void Undo(TDocView* View) override;
  TTxFigureSet* GetFigures() const override { return FFigures.get(); }
  // The index trees regroup the figure under its new layer.
  void FigureLayerChanged(TMyPersistent* Item) override;

  // A page without area (as a damaged file leaves it) gets the default page
  // of UserWidth x UserHeight user units, widened to take in the figures that
  // were read; scales that show nothing become 1. True when anything changed.
  bool EnsurePageSize(double UserWidth, double UserHeight);

  // Every figure whose rectangle meets the square P +- 10 on a visible layer.
  void PointSelectItem(TPoint P, TMyList& List);
  int GetUndoCount() const override { return FFigures->UndoCount(); }

  std::unique_ptr<TTxFigureSet> FFigures;

private:
  // Figures taken out by Remove, owned by the next BackUp(ovDelete).
  std::vector<TRemovedFigure> FRemoved;
};

// Fills a new drawing document's tool list; the tools live above this layer
// and install it at start-up.
using TToolListFactory = void (*)(TFiguresDoc& Doc);
void SetToolListFactory(TToolListFactory Factory);

class TTxCollectTxSpace : public TTxCollectFound {
  PLANDECK_DECLARE_CLASS(TTxCollectTxSpace)
public:
  explicit TTxCollectTxSpace(TMyPersistent* AOwner = nullptr);
  // A document damaged half-way keeps what it read.
  void ReadData(TReader& Reader) override;
  TFiguresDoc* Docs(int Index) const { return static_cast<TFiguresDoc*>(Items(Index)); }
};

class TTxCustomProject : public TCapPersistent {
  PLANDECK_DECLARE_CLASS(TTxCustomProject)
public:
  explicit TTxCustomProject(TMyPersistent* AOwner = nullptr);
  void GetPublishedSlots(TPublishedSlots& Slots) override;
  void AssignTo(TPersistent& Dest) const override;

  std::unique_ptr<TTxCollectTxSpace> FTxSpaces;
};

class TTxProject : public TTxCustomProject {
  PLANDECK_DECLARE_CLASS(TTxProject)
public:
  explicit TTxProject(TMyPersistent* AOwner = nullptr) : TTxCustomProject(AOwner) {}
};

// The root of every .GCK image.
class TTxProjectFile : public TComponent {
  PLANDECK_DECLARE_CLASS(TTxProjectFile)
public:
  explicit TTxProjectFile(TMyPersistent* = nullptr) : FTxProject(std::make_unique<TTxProject>()) {}
  void GetPublishedSlots(TPublishedSlots& Slots) override { Slots.push_back({"TxProject", FTxProject.get()}); }

  std::unique_ptr<TTxProject> FTxProject;
};

// The result of reading a drawing: what was read stays usable (a document
// is added when none was read), and Error says why the read stopped, so the
// caller can warn and keep the damaged original from being overwritten.
struct TDrawingReadResult {
  bool Ok = true;
  std::string Error;
};
TDrawingReadResult ReadDrawingFile(const std::string& FileName, TTxProjectFile& File);
// Throws EStreamError on failure; the existing file is then untouched.
void WriteDrawingFile(const std::string& FileName, TTxProjectFile& File);

// The version string of a file as a number; throws "Invalid property value".
double CodeVersionToNumber(const std::string& Version);

void RegisterDocumentClasses();
