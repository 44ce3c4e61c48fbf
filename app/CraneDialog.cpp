#include "app/CraneDialog.h"

#include "app/Commands.h"
#include "app/LineDialogs.h"

#include <QDialog>
#include <QSlider>

#include <exception>

TP_Tadiao::TP_Tadiao(TDocView& View, TCustomTadiao& Crane, QWidget* Parent) : FProps(GetTadiaoProperties(Crane)) {
  TFormDef d;
  d.Caption = "定义塔吊属性";
  TTadiaoProperties& p = FProps;
  AddFigureCommonFields(d.Fields, p, Crane);
  // The centre's two coordinates share one caption, as the radius line's label does below.
  d.Fields.push_back(TextField(TFieldKind::Number, "中心点：", p.YdX));
  d.Fields.push_back(TextField(TFieldKind::Number, " ", p.YdY));
  d.Fields.push_back(TextField(TFieldKind::Number, "半径：", p.Bj));
  d.Fields.push_back({TFieldKind::Check, "固定半径", "", {}, [&p] { return std::string(p.FixedBj ? "1" : "0"); },
                      [&p](const std::string& v) { p.FixedBj = v == "1"; }, nullptr});
  d.Fields.push_back(TextField(TFieldKind::Text, "标注：", p.Text));
  d.Fields.push_back(IndexField(TFieldKind::Slider, "标注位置：", p.Pos, {}));
  FAlignField = int(d.Fields.size());
  d.Fields.push_back(IndexField(TFieldKind::Radio, "", p.TextAlign, {"线上", "线中", "线下"}, "标注位置："));
  d.Fields.push_back({TFieldKind::Button, "字体", "", {}, nullptr, nullptr, [this](TPropertyForm& f) {
                        // The font dialog shows the size on the sheet; OK keeps the choice until OK here.
                        TMyFont font;
                        font.FName = FProps.FontName;
                        font.FColor = FProps.FontColor;
                        font.FHeight = FProps.FontHeight;
                        font.FStyle = FProps.FontStyle;
                        font.FPixelsPerInch = FProps.FontPixelsPerInch;
                        if (!ChooseFont(font, &f.Dialog())) return;
                        FProps.FontName = font.FName;
                        FProps.FontHeight = font.FHeight;
                        FProps.FontStyle = font.FStyle;
                      }});
  d.Accepted = [this, &View, &Crane] { ApplyFigureEdit(View, Crane, [&] { SetTadiaoProperties(Crane, FProps); }); };
  FForm = std::make_unique<TPropertyForm>(std::move(d), Parent);
  // The label's position moves in tenths of the radius line.
  const int pos = FForm->IndexOf("标注位置：");
  auto* slider = static_cast<QSlider*>(FForm->Control(pos));
  slider->setRange(0, 10);
  slider->setTickPosition(QSlider::TicksBelow);
  slider->setTickInterval(1);
  FForm->Show(pos, std::to_string(p.Pos));
}

bool EditTadiaoProperties(TDocView& View, TCustomTadiao& Crane) { return TP_Tadiao(View, Crane).Execute(); }

void RegisterCraneDialog() { RegisterFigureDialog(TCustomTadiao::StaticClass(), &EditTadiaoProperties); }
