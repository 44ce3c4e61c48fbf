#include "app/FontDialog.h"

#include "app/OptionDialogs.h"
#include "figures/FigureText.h"
#include "foundation/Persistent.h"

#include <QComboBox>
#include <QFontDatabase>

#include <algorithm>
#include <cmath>

TMyFontDialog::TMyFontDialog(QWidget* Parent) {
  for (const QString& f : QFontDatabase::families()) FFaces.push_back(f.toStdString());
  TFormDef d;
  d.Caption = "字体";
  TValues& v = FValues;
  d.Fields.push_back(IndexFieldOf(
      TFieldKind::Combo, "字体：",
      [this] {
        const auto it = std::find(FFaces.begin(), FFaces.end(), FValues.Name);
        return it == FFaces.end() ? -1 : int(it - FFaces.begin());
      },
      [this](int i) {
        if (i >= 0 && i < int(FFaces.size())) FValues.Name = FFaces[std::size_t(i)];
      },
      {}));
  d.Fields.push_back(ColourField("颜色：", v.Color));
  d.Fields.push_back(CheckField("粗体", v.Bold));
  d.Fields.push_back(CheckField("斜体", v.Italic));
  d.Fields.push_back(CheckField("下划线", v.Underline));
  d.Fields.push_back(CheckField("删除线", v.StrikeOut));
  d.Fields.push_back(TextField(TFieldKind::Number, "字高：", v.Height));
  FForm = std::make_unique<TPropertyForm>(std::move(d), Parent);
}

void TMyFontDialog::SetFont(const TMyFont& Font) {
  // A face this machine lacks (宋体 on most) still shows, and is kept.
  if (std::find(FFaces.begin(), FFaces.end(), Font.FName) == FFaces.end()) FFaces.insert(FFaces.begin(), Font.FName);
  FValues.Name = Font.FName;
  FValues.Color = Font.FColor;
  FValues.Bold = Font.FStyle & fsBold;
  FValues.Italic = Font.FStyle & fsItalic;
  FValues.Underline = Font.FStyle & fsUnderline;
  FValues.StrikeOut = Font.FStyle & fsStrikeOut;
  FValues.Height = Format("%1.3f", Font.FHeight);
  auto* combo = FForm->Control(FForm->IndexOf("字体："));
  // The combo box was built before the faces were known to include this one.
  if (auto* c = qobject_cast<QComboBox*>(combo)) {
    c->clear();
    for (const std::string& f : FFaces) c->addItem(QString::fromStdString(f));
  }
  FForm->Reload();
}

void TMyFontDialog::GetFontValue(TMyFont& Font) const {
  Font.FName = FValues.Name;
  Font.FColor = FValues.Color;
  Font.FStyle = std::uint8_t((FValues.Bold ? fsBold : 0) | (FValues.Italic ? fsItalic : 0) |
                             (FValues.Underline ? fsUnderline : 0) | (FValues.StrikeOut ? fsStrikeOut : 0));
  double h = 0;
  // A height of 0 is refused: labels divide by it.
  if (ParseFloat(FValues.Height, h) && h != 0) Font.FHeight = h;
}

bool TMyFontDialog::Execute() { return RunCommandForm(*FForm); }

bool EditFigureFont(TMyFont& Font, double Scale, QWidget* Parent) {
  TMyFont copy;
  copy.Assign(Font);
  copy.FHeight *= Scale;
  TMyFontDialog dlg(Parent);
  dlg.SetFont(copy);
  if (!dlg.Execute()) return false;
  dlg.GetFontValue(copy);
  copy.FHeight /= Scale;
  Font.Assign(copy);
  return true;
}
