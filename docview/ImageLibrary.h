#pragma once
// Block libraries (*.tkk) and fill libraries (*.tck): the compressed component
// file of drawings with a TImageProject root, whose documents hold named
// blocks. Also where the program finds them: the lists of known libraries in
// the settings and the "图例文件" folder of the bundled libraries.

#include "docview/FiguresDoc.h"
#include "figures/Blocks.h"

#include <memory>
#include <string>
#include <vector>

// What shows a library document (the palette); told when its items change.
class TImageDocumentView {
public:
  virtual ~TImageDocumentView() = default;
  virtual void DocumentChanged() = 0;
  // The document is being freed: drop every pointer into it.
  virtual void DocumentFreed() = 0;
};

class TImageDocument : public TMyPersistent {
  PLANDECK_DECLARE_CLASS(TImageDocument)
public:
  explicit TImageDocument(TMyPersistent* AOwner = nullptr);
  ~TImageDocument() override;

  // The writer's code version, then the figures; the figures are read under
  // that version.
  void ReadData(TReader& Reader) override;
  void WriteData(TWriter& Writer) override;
  void ReadStream(TStream& Stream) override;
  void WriteStream(TStream& Stream) override;

  // The block sits at its own origin, unrotated, once added. An index
  // outside 0 .. count is ignored (the block is freed).
  void AddItem(std::unique_ptr<TTxBlock> Block);
  void InsertItem(int Index, std::unique_ptr<TTxBlock> Block);
  int Count() const { return FFigures->Count(); }
  TCustomFigure* Items(int Index) const { return FFigures->Figures(Index); }
  // The item as a block (or figure set), null when it is something else.
  TCustomFigureSet* SetItems(int Index) const;

  std::unique_ptr<TTxCollectFigure> FFigures;
  TImageDocumentView* FView = nullptr;  // not stored
  bool FChanged = false;                // not stored
};

// The root of a library file.
class TImageProject : public TComponent {
  PLANDECK_DECLARE_CLASS(TImageProject)
public:
  explicit TImageProject(TMyPersistent* AOwner = nullptr);
  void GetPublishedSlots(TPublishedSlots& Slots) override { Slots.push_back({"TxSpaces", FTxSpaces.get()}); }

  int DocumentCount() const { return FTxSpaces->Count(); }
  TImageDocument* Documents(int Index) const;
  // The document a palette shows: the first, added when there is none.
  TImageDocument& FirstDocument();

  std::unique_ptr<TTxCollectTxSpace> FTxSpaces;
};

// Reads FileName into Project, its documents cleared first. On any failure
// (missing file, damaged or not a library) Project is left with one empty
// document and Error holds the message for the user, naming the file.
bool ReadImageLibrary(const std::string& FileName, TImageProject& Project, std::string& Error);
void WriteImageLibrary(const std::string& FileName, TImageProject& Project);

enum class TLibraryKind { Block, Fill };
struct TLibraryEntry {
  std::string Name;  // what the list shows
  std::string Path;
};
// The settings group of the known libraries: "图块库" or "填充库".
const char* LibraryKey(TLibraryKind Kind);
// "*.tkk" or "*.tck" without the star and dot.
const char* LibraryExtension(TLibraryKind Kind);
// The libraries named in the settings (names and paths, as stored), then the
// bundled ones of the legend folders that the settings do not name already.
std::vector<TLibraryEntry> KnownLibraries(TLibraryKind Kind);
// The "图例文件" folders that exist: beside the program, then in the
// installed data folder (share/plandeck beside the program's bin folder).
std::vector<std::string> LegendFolders();
// The first of them, or "" (what the file dialogs start in).
std::string LegendFolder();

void RegisterImageLibraryClasses();
