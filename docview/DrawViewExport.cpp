#include "docview/DrawView.h"

#include "docview/Document.h"
#include "figures/FigureSet.h"
#include "figures/SheetMapping.h"
#include "platform/Bitmap.h"
#include "platform/Canvas.h"
#include "platform/ImageFiles.h"
#include "platform/MetafileCanvas.h"

#include <filesystem>
#include <functional>
#include <stdexcept>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Appends Ext unless Name already ends with it, ignoring case.
std::string WithExtension(std::string Name, const std::string& Ext) {
  auto upper = [](std::string s) {
    for (char& c : s)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
  };
  if (Name.size() < Ext.size() || upper(Name.substr(Name.size() - Ext.size())) != Ext) Name += Ext;
  return Name;
}

// FIsMetaFile for the time of one export: no grid goes into a picture.
class TMetaFileScope {
public:
  explicit TMetaFileScope(bool& Flag) : FFlag(Flag) { FFlag = true; }
  ~TMetaFileScope() { FFlag = false; }
  TMetaFileScope(const TMetaFileScope&) = delete;
  TMetaFileScope& operator=(const TMetaFileScope&) = delete;

private:
  bool& FFlag;
};

// Writes the picture into a file beside Name and only then puts it in Name's
// place, so a failed export never leaves the user's earlier file damaged.
// Messages name the user's file, not the temporary one.
void WriteAtomically(const std::string& Name, const std::function<void(const std::string&)>& Write) {
  const fs::path target(Name);
  const std::string temp =
      (target.parent_path() / (".plandeck-" + std::to_string(::getpid()) + "-" + target.filename().string())).string();
  try {
    Write(temp);
    std::error_code ec;
    if (!fs::is_regular_file(temp, ec) || ec) throw std::runtime_error("Cannot save " + Name + ": nothing was written");
    fs::rename(temp, target);
  } catch (const std::exception& e) {
    std::error_code ignored;
    fs::remove(temp, ignored);
    std::string message = e.what();
    for (std::size_t at = message.find(temp); at != std::string::npos; at = message.find(temp, at + Name.size()))
      message.replace(at, temp.size(), Name);
    throw std::runtime_error(message);
  }
}

}  // namespace

void TDrawView::OnPrepareMetaFileDC(TCanvas& DC) const {
  if (!FDocument) return;
  if (TTxFigureSet* root = FDocument->GetFigures()) root->FViewState = vsDraw;
  const TPoint o = FDocument->DocOrg();
  const TSize s = FDocument->GetSize();
  SetSheetMapping(DC, s, o);
}

void TDrawView::PaintWMF(TCanvas& DC) {
  if (!FDocument) return;
  OnPrepareMetaFileDC(DC);
  FDocument->DrawDC(DC, this, FDocument->GetRect());
}

void TDrawView::SaveAsWMF(std::string Name, int Kind) {
  const bool enhanced = Kind == 2;
  Name = WithExtension(std::move(Name), enhanced ? ".EMF" : ".WMF");
  WriteAtomically(Name, [&](const std::string& File) {
    TMetafileCanvas mf(File, enhanced ? TMetafileKind::Emf : TMetafileKind::Wmf, GetDocumentDevSize());
    {
      TMetaFileScope scope(FIsMetaFile);
      PaintWMF(mf);
    }
    mf.Close();
  });
}

namespace {
// Draws the page into a bitmap of the view's device size; a failure while
// drawing leaves what was drawn, as the picture is still worth saving. The
// page frame's right and bottom edges lie on the pixel just past the size,
// so the bitmap takes one more column and row to hold them.
TBitmap PagePicture(TDrawView& View, bool& MetaFileFlag) {
  const TSize size = View.GetDocumentDevSize();
  TBitmap picture(size.cx > 0 ? size.cx + 1 : 1, size.cy > 0 ? size.cy + 1 : 1, clWhite);
  auto canvas = CreateBitmapCanvas(picture);
  TMetaFileScope scope(MetaFileFlag);
  try {
    View.PaintWMF(*canvas);
  } catch (const std::exception&) {
  }
  canvas.reset();
  return picture;
}
}  // namespace

void TDrawView::SaveAsBMP(std::string Name) {
  Name = WithExtension(std::move(Name), ".BMP");
  const TBitmap picture = PagePicture(*this, FIsMetaFile);
  WriteAtomically(Name, [&](const std::string& File) { SaveBitmapAsBMP(File, picture); });
}

void TDrawView::SaveAsJPEG(std::string Name) {
  Name = WithExtension(std::move(Name), ".JPG");
  const TBitmap picture = PagePicture(*this, FIsMetaFile);
  WriteAtomically(Name, [&](const std::string& File) { SaveBitmapAsJPEG(File, picture); });
}
