#include "docview/DrawView.h"

#include "docview/Document.h"
#include "figures/FigureSet.h"
#include "platform/Bitmap.h"
#include "platform/Canvas.h"
#include "platform/ImageFiles.h"
#include "platform/MetafileCanvas.h"

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

}  // namespace

void TDrawView::OnPrepareMetaFileDC(TCanvas& DC) const {
  if (!FDocument) return;
  if (TTxFigureSet* root = FDocument->GetFigures()) root->FViewState = vsDraw;
  const TPoint o = FDocument->DocOrg();
  const TSize s = FDocument->GetSize();
  DC.SetMapMode(MM_ANISOTROPIC);
  DC.SetViewportExtEx(2540, -2540);
  DC.SetWindowExtEx(2540, 2540);
  DC.SetWindowOrgEx(0, s.cy);
  DC.OffsetWindowOrgEx(o.x, o.y);
}

void TDrawView::PaintWMF(TCanvas& DC) {
  if (!FDocument) return;
  OnPrepareMetaFileDC(DC);
  FDocument->DrawDC(DC, this, FDocument->GetRect());
}

void TDrawView::SaveAsWMF(std::string Name, int Kind) {
  const bool enhanced = Kind == 2;
  Name = WithExtension(std::move(Name), enhanced ? ".EMF" : ".WMF");
  TMetafileCanvas mf(Name, enhanced ? TMetafileKind::Emf : TMetafileKind::Wmf, GetDocumentDevSize());
  {
    TMetaFileScope scope(FIsMetaFile);
    PaintWMF(mf);
  }
  mf.Close();
}

namespace {
// Draws the page into a bitmap of the view's device size; a failure while
// drawing leaves what was drawn, as the picture is still worth saving.
TBitmap PagePicture(TDrawView& View, bool& MetaFileFlag) {
  const TSize size = View.GetDocumentDevSize();
  TBitmap picture(size.cx > 0 ? size.cx : 1, size.cy > 0 ? size.cy : 1, clWhite);
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
  SaveBitmapAsBMP(Name, PagePicture(*this, FIsMetaFile));
}

void TDrawView::SaveAsJPEG(std::string Name) {
  Name = WithExtension(std::move(Name), ".JPG");
  SaveBitmapAsJPEG(Name, PagePicture(*this, FIsMetaFile));
}
