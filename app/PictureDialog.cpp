#include "app/PictureDialog.h"

#include "platform/FileDialog.h"
#include "platform/Graphic.h"
#include "platform/ImageFiles.h"
#include "platform/System.h"

#include <QDialog>

#include <algorithm>
#include <cctype>
#include <vector>

const char* const kPictureOpenFilter =
    "All (*.gif;*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf)|*.gif;*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf|"
    "CompuServe GIF Image (*.gif)|*.gif|JPEG Image File (*.jpg)|*.jpg|JPEG Image File (*.jpeg)|*.jpeg|"
    "Bitmaps (*.bmp)|*.bmp|Icons (*.ico)|*.ico|Enhanced Metafiles (*.emf)|*.emf|Metafiles (*.wmf)|*.wmf";

const char* const kPictureSaveFilter = "JPEG Image File (*.JPG)|*.JPG|Bitmaps (*.BMP)|*.BMP";

namespace {

bool HasExtension(const std::string& Name) {
  const auto dot = Name.find_last_of('.');
  const auto slash = Name.find_last_of("/\\");
  return dot != std::string::npos && (slash == std::string::npos || dot > slash);
}

}  // namespace

TP_Picture::TP_Picture(TDocView& View, TCustomTxPicture& Picture, QWidget* Parent)
    : FPicture(Picture), FProps(GetPictureProperties(Picture)) {
  TFormDef d;
  d.Caption = "定义图片属性";
  TPictureProperties& p = FProps;
  d.Fields.push_back({TFieldKind::Ident, "标识：", "", {}, [&p] { return p.Ident; }, nullptr, nullptr});
  d.Fields.push_back(TextField(TFieldKind::Number, "X：", p.X, "原点："));
  d.Fields.push_back(TextField(TFieldKind::Number, "Y：", p.Y, "原点："));
  // With the aspect locked one size follows the other by the image's own ratio.
  TFormField length = TextField(TFieldKind::Number, "长：", p.Length, "尺寸");
  length.Changed = [this](TPropertyForm& f) {
    if (f.Text("锁定纵横比") != "1") return;
    const std::string w = PictureWidthForLength(FPicture, f.Text("长："));
    if (!w.empty()) f.Show(f.IndexOf("宽："), w);
  };
  d.Fields.push_back(std::move(length));
  TFormField width = TextField(TFieldKind::Number, "宽：", p.Width, "尺寸");
  width.Changed = [this](TPropertyForm& f) {
    if (f.Text("锁定纵横比") != "1") return;
    const std::string l = PictureLengthForWidth(FPicture, f.Text("宽："));
    if (!l.empty()) f.Show(f.IndexOf("长："), l);
  };
  d.Fields.push_back(std::move(width));
  d.Fields.push_back(CheckField("保持原始尺寸", p.KeepOriginalSize));
  d.Fields.push_back(CheckField("锁定纵横比", p.KeepAspect));
  d.Fields.push_back(IndexField(TFieldKind::Layer, "图层", p.LayerIndex, LayerNames(Picture)));
  d.Fields.push_back({TFieldKind::Button, "另存为...", "", {}, nullptr, nullptr, [this](TPropertyForm&) { SaveImage(); }});
  d.Accepted = [this, &View] { ApplyFigureEdit(View, FPicture, [this] { SetPictureProperties(FPicture, FProps); }); };
  FForm = std::make_unique<TPropertyForm>(std::move(d), Parent);
}

void TP_Picture::SaveImage() {
  const TPicture* picture = FPicture.Picture();
  if (!picture || !picture->HasGraphic()) {
    MessageDlg("图片为空！", mtWarning, mbOK);
    return;
  }
  TFileDialogRequest request;
  request.Save = true;
  request.Caption = "另存为";
  request.Filter = kPictureSaveFilter;
  const TFileDialogAnswer answer = RunFileDialog(request);
  if (!answer.Ok || answer.FileName.empty()) return;
  std::string name = answer.FileName;
  if (!HasExtension(name)) name += answer.FilterIndex == 2 ? ".BMP" : ".JPG";
  try {
    picture->SaveAsImage(name);
  } catch (const std::exception& e) {
    MessageDlg(FileErrorMessage(TFileAction::Export, name, e), mtError, mbOK);
  }
}

bool EditPictureProperties(TDocView& View, TCustomTxPicture& Picture) { return TP_Picture(View, Picture).Execute(); }

std::string PictureOpenFilter() {
  std::string filter = kPictureOpenFilter;
  const std::vector<std::string> extra = ConvertedPictureExtensions();
  if (extra.empty()) return filter;
  std::string patterns, entries;
  for (const std::string& e : extra) {
    patterns += ";*." + e;
    std::string upper = e;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    entries += "|" + upper + "图片 (*." + e + ")|*." + e;
  }
  // The first entry takes every kind: its caption's list and its patterns.
  const auto close = filter.find(')');
  const auto bar = filter.find('|');
  const auto next = filter.find('|', bar + 1);
  if (close == std::string::npos || bar == std::string::npos || close > bar || next == std::string::npos)
    return filter + entries;
  filter.insert(next, patterns);
  filter.insert(close, patterns);
  return filter + entries;
}

bool LoadPendingPicture(const std::string& FileName, bool* Told) {
  auto picture = std::make_unique<TPicture>();
  bool converted = false;
  try {
    converted = picture->LoadFromFile(FileName);
  } catch (const EGraphicError&) {
    MessageDlg("无法打开图片文件 " + FileName + "！", mtError, mbOK);
    return false;
  }
  MyPicture = std::move(picture);
  if (converted && !(Told && *Told)) {
    MessageDlg("图形文件只保存位图、图标、图元文件、JPEG 和 GIF 五种图片，这张图片将作为位图保存。", mtInformation,
               mbOK);
    if (Told) *Told = true;
  }
  return true;
}

bool ChoosePendingPicture(bool* Told) {
  TFileDialogRequest request;
  request.Caption = "打开";
  request.Filter = PictureOpenFilter();
  const TFileDialogAnswer answer = RunFileDialog(request);
  if (!answer.Ok || answer.FileName.empty()) return false;
  return LoadPendingPicture(answer.FileName, Told);
}

void RegisterPictureDialog() { RegisterFigureDialog(TCustomTxPicture::StaticClass(), &EditPictureProperties); }
