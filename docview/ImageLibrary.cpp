#include "docview/ImageLibrary.h"

#include "docview/Environment.h"
#include "figures/CodeVersion.h"
#include "foundation/StreamError.h"
#include "foundation/ValueStream.h"
#include "foundation/ZLibContainer.h"
#include "platform/FileDialog.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include <algorithm>

namespace {

QString Q(const std::string& S) { return QString::fromStdString(S); }

// Where the program keeps its settings (the recent files live there too).
const char* const kOrganisation = "Verdaplan";
const char* const kApplication = "Plandeck";
const char* const kLegendFolder = "图例文件";

std::string WithSlash(QString Folder) {
  if (!Folder.endsWith('/')) Folder += '/';
  return Folder.toStdString();
}

}  // namespace

// ---- TImageDocument

PLANDECK_DEFINE_CLASS(TImageDocument, TMyPersistent)

TImageDocument::TImageDocument(TMyPersistent* AOwner)
    : TMyPersistent(AOwner), FFigures(std::make_unique<TTxCollectFigure>(this)) {}

TImageDocument::~TImageDocument() {
  if (FView) FView->DocumentFreed();
}

void TImageDocument::ReadData(TReader& Reader) {
  const TOldCodeVersionGuard version(CodeVersionToNumber(Reader.ReadString()));
  FFigures->ReadData(Reader);
  // Library blocks hang in no drawing.
  for (int i = 0; i < Count(); ++i) {
    Items(i)->FParent = nullptr;
    Items(i)->SetDocument(nullptr);
  }
}

void TImageDocument::WriteData(TWriter& Writer) {
  Writer.WriteString(CodeVersion);
  FFigures->WriteData(Writer);
  FChanged = false;
}

void TImageDocument::ReadStream(TStream& Stream) { FFigures->ReadStream(Stream); }
void TImageDocument::WriteStream(TStream& Stream) { FFigures->WriteStream(Stream); }

void TImageDocument::AddItem(std::unique_ptr<TTxBlock> Block) { InsertItem(Count(), std::move(Block)); }

void TImageDocument::InsertItem(int Index, std::unique_ptr<TTxBlock> Block) {
  if (!Block || Index < 0 || Index > Count()) return;
  TTxBlock* b = Block.get();
  FFigures->Insert(Index, std::move(Block));
  b->FParent = nullptr;
  {
    TChangingGuard lock(*b);
    b->SetYd({0, 0});
    b->SetXzjd(0);
  }
  b->Modified();
  FChanged = true;
}

TCustomFigureSet* TImageDocument::SetItems(int Index) const {
  if (Index < 0 || Index >= Count()) return nullptr;
  return dynamic_cast<TCustomFigureSet*>(Items(Index));
}

// ---- TImageProject

PLANDECK_DEFINE_CLASS(TImageProject, TComponent)

TImageProject::TImageProject(TMyPersistent*) : FTxSpaces(std::make_unique<TTxCollectTxSpace>()) {
  FTxSpaces->FItemClass = &TImageDocument::StaticClass();
}

TImageDocument* TImageProject::Documents(int Index) const {
  if (Index < 0 || Index >= DocumentCount()) return nullptr;
  return dynamic_cast<TImageDocument*>(FTxSpaces->Items(Index));
}

TImageDocument& TImageProject::FirstDocument() {
  if (DocumentCount() == 0) FTxSpaces->AddObject();
  return *Documents(0);
}

bool ReadImageLibrary(const std::string& FileName, TImageProject& Project, std::string& Error) {
  Error.clear();
  Project.FTxSpaces->Clear();
  if (!QFileInfo(Q(FileName)).isFile()) {
    Error = FileErrorMessage(TFileAction::Open, FileName, "文件不存在！");
  } else {
    try {
      ReadZLibComponentResFile(FileName, Project);
      // A list of other documents (a drawing's) is no library.
      for (int i = 0; i < Project.DocumentCount(); ++i)
        if (!Project.Documents(i)) throw EStreamError(StreamMsg::InvalidStreamFormat);
    } catch (const std::exception& e) {
      Error = FileErrorMessage(TFileAction::Open, FileName, e);
    }
  }
  // Half a library is not shown: its blocks could be cut anywhere.
  if (!Error.empty()) Project.FTxSpaces->Clear();
  Project.FirstDocument();
  return Error.empty();
}

void WriteImageLibrary(const std::string& FileName, TImageProject& Project) {
  WriteZLibComponentResFile(FileName, Project);
}

// ---- where the libraries are

const char* LibraryKey(TLibraryKind Kind) { return Kind == TLibraryKind::Block ? "图块库" : "填充库"; }
const char* LibraryExtension(TLibraryKind Kind) { return Kind == TLibraryKind::Block ? "tkk" : "tck"; }

std::vector<std::string> LegendFolders() {
  std::vector<std::string> out;
  const QString sys = Q(Dir_Sys.empty() ? std::string("./") : Dir_Sys);
  for (const QString& dir : {sys + kLegendFolder, sys + "../share/plandeck/" + kLegendFolder}) {
    const QFileInfo info(dir);
    if (info.isDir()) out.push_back(WithSlash(info.canonicalFilePath()));
  }
  return out;
}

std::string LegendFolder() {
  const std::vector<std::string> folders = LegendFolders();
  return folders.empty() ? std::string() : folders.front();
}

std::vector<TLibraryEntry> KnownLibraries(TLibraryKind Kind) {
  std::vector<TLibraryEntry> out;
  {
    QSettings settings(kOrganisation, kApplication);
    // Only read: a missing group stays missing.
    if (settings.childGroups().contains(LibraryKey(Kind))) {
      settings.beginGroup(LibraryKey(Kind));
      for (const QString& name : settings.childKeys())
        out.push_back({name.toStdString(), settings.value(name).toString().toStdString()});
    }
  }
  auto listed = [&out](const QString& Path) {
    const QString canonical = QFileInfo(Path).canonicalFilePath();
    return std::any_of(out.begin(), out.end(),
                       [&](const TLibraryEntry& e) { return QFileInfo(Q(e.Path)).canonicalFilePath() == canonical; });
  };
  for (const std::string& folder : LegendFolders()) {
    QDir dir(Q(folder));
    const QStringList files = dir.entryList({QString("*.") + LibraryExtension(Kind)}, QDir::Files, QDir::Name);
    for (const QString& f : files) {
      const QString path = dir.filePath(f);
      if (!listed(path)) out.push_back({QFileInfo(f).completeBaseName().toStdString(), path.toStdString()});
    }
  }
  return out;
}

void RegisterImageLibraryClasses() {
  RegisterDocumentClasses();
  RegisterClass(TImageDocument::StaticClass());
  RegisterClass(TImageProject::StaticClass());
}
