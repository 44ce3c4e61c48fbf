#include "app/LineDialogs.h"

#include <QFont>
#include <QFontDialog>

#include <algorithm>

using TFields = std::vector<TFormField>;

void AddFigureCommonFields(std::vector<TFormField>& Fields, TLineCommonProperties& P, const TCustomFigure& Figure) {
  Fields.push_back({TFieldKind::Ident, "标识：", "", {}, [&P] { return P.Ident; }, nullptr, nullptr});
  Fields.push_back(ColourField("颜色：", P.PenColor));
  Fields.push_back(IndexField(TFieldKind::Combo, "线型：", P.PenStyle, PenStyleNames()));
  Fields.push_back(TextField(TFieldKind::Number, "线宽：", P.LineWidth));
  Fields.push_back(IndexField(TFieldKind::Layer, "图层：", P.LayerIndex, LayerNames(Figure)));
}

const std::vector<std::string>& PenStyleNames() {
  static const std::vector<std::string> names = {"实线", "虚线", "点线", "点划线", "双点划线", "空线", "内框线"};
  return names;
}

TP_Line::TP_Line(TDocView& View, TCustomTxLine& Line, QWidget* Parent) : FProps(GetTxLineProperties(Line)) {
  TFormDef d;
  d.Caption = "定义箭头线属性";
  TTxLineProperties& p = FProps;
  AddFigureCommonFields(d.Fields, p, Line);
  d.Fields.push_back(TextField(TFieldKind::Number, "起点X：", p.QdX, "坐标"));
  d.Fields.push_back(TextField(TFieldKind::Number, "起点Y：", p.QdY, "坐标"));
  d.Fields.push_back(TextField(TFieldKind::Number, "终点X：", p.ZdX, "坐标"));
  d.Fields.push_back(TextField(TFieldKind::Number, "终点Y：", p.ZdY, "坐标"));
  d.Fields.push_back(TextField(TFieldKind::Number, "箭头长度：", p.ArrowLength, "箭头"));
  d.Fields.push_back(TextField(TFieldKind::Angle, "箭头角度：", p.ArrowJd, "箭头"));
  d.Fields.push_back(CheckField("起点箭头", p.QdArrow, "箭头"));
  d.Fields.push_back(CheckField("终点箭头", p.ZdArrow, "箭头"));
  d.Fields.push_back(CheckField("填充箭头", p.FillArrow, "箭头"));
  d.Accepted = [this, &View, &Line] { ApplyFigureEdit(View, Line, [&] { SetTxLineProperties(Line, FProps); }); };
  FForm = std::make_unique<TPropertyForm>(std::move(d), Parent);
}

TP_Arrowbz::TP_Arrowbz(TDocView& View, TCustomArrowLine& Line, QWidget* Parent)
    : FProps(GetArrowLineProperties(Line)) {
  FClone.reset(static_cast<TCustomArrowLine*>(Line.Clone().release()));
  FClone->Modified();
  TFormDef d;
  d.Caption = "定义标注属性";
  TArrowLineProperties& p = FProps;
  AddFigureCommonFields(d.Fields, p, Line);
  d.Fields.push_back({TFieldKind::Radio, "标注方式：", "", {"箭头", "斜线"},
                      [&p] { return std::string(p.ArrowBz ? "0" : "1"); },
                      [&p](const std::string& v) { p.ArrowBz = v == "0"; },
                      [this](TPropertyForm& f) {
                        // The usual angle and mark width of the chosen marks.
                        ChooseArrowBz(FProps, f.Text("标注方式：") == "0");
                        f.Show(f.IndexOf("箭头角度："), FProps.ArrowJd);
                        f.Show(f.IndexOf("标注线宽："), FProps.BzLineWidth);
                      }});
  d.Fields.push_back(TextField(TFieldKind::Number, "标注线宽：", p.BzLineWidth));
  d.Fields.push_back(TextField(TFieldKind::Number, "箭头长度：", p.ArrowLength));
  d.Fields.push_back(TextField(TFieldKind::Angle, "箭头角度：", p.ArrowJd));
  d.Fields.push_back(CheckField("填充箭头", p.FillArrow));
  d.Fields.push_back({TFieldKind::Angle, "旋转角度：", "", {}, [&p] { return p.Xzjd; }, nullptr,
                      [this](TPropertyForm& f) {
                        // Turned at once; what does not convert is ignored.
                        try {
                          FClone->SetXzjd(std::stod(f.Text("旋转角度：")));
                        } catch (const std::exception&) {
                        }
                        ShowSegment();
                      }});
  d.Fields.push_back({TFieldKind::Button, "字体", "", {}, nullptr, nullptr, [this](TPropertyForm& f) {
                        QFont font(QString::fromStdString(FProps.FontName));
                        font.setPixelSize(std::max(1, int(std::abs(FProps.FontHeight))));
                        font.setBold(FProps.FontStyle & 1);
                        font.setItalic(FProps.FontStyle & 2);
                        font.setUnderline(FProps.FontStyle & 4);
                        font.setStrikeOut(FProps.FontStyle & 8);
                        bool ok = false;
                        font = QFontDialog::getFont(&ok, font, &f.Dialog(), QStringLiteral("字体"));
                        if (!ok || !CheckSavableText(font.family().toStdString())) return;
                        FProps.FontName = font.family().toStdString();
                        if (font.pixelSize() > 0) FProps.FontHeight = font.pixelSize();
                        else FProps.FontHeight = font.pointSizeF() * FProps.FontPixelsPerInch / 72.0;
                        FProps.FontStyle = std::uint8_t((font.bold() ? 1 : 0) | (font.italic() ? 2 : 0) |
                                                        (font.underline() ? 4 : 0) | (font.strikeOut() ? 8 : 0));
                      }});
  const std::string seg = "标注线";
  FSegmentFields = int(d.Fields.size());
  d.Fields.push_back({TFieldKind::Label, "", seg, {}, [this] { return BzLineCountCaption(*FClone); }, nullptr, nullptr});
  d.Fields.push_back({TFieldKind::Label, "", seg, {}, [this] { return BzLineCaption(FSegment); }, nullptr, nullptr});
  d.Fields.push_back({TFieldKind::Label, "起点：", seg, {}, nullptr, nullptr, nullptr});
  d.Fields.push_back({TFieldKind::Label, " ", seg, {}, nullptr, nullptr, nullptr});
  d.Fields.push_back({TFieldKind::Label, "终点：", seg, {}, nullptr, nullptr, nullptr});
  d.Fields.push_back({TFieldKind::Label, "  ", seg, {}, nullptr, nullptr, nullptr});
  d.Fields.push_back({TFieldKind::Text, "文本：", seg, {}, nullptr, nullptr, [this](TPropertyForm& f) {
                        SetBzLineText(FClone->FBzLines[std::size_t(FSegment)], f.Text("文本："));
                      }});
  d.Fields.push_back({TFieldKind::Slider, "文字位置：", seg, {}, nullptr, nullptr, [this](TPropertyForm& f) {
                        FClone->FBzLines[std::size_t(FSegment)].Pos = std::stoi(f.Text("文字位置：")) / 100.0;
                      }});
  d.Fields.push_back({TFieldKind::Radio, "对齐方式：", seg, {"线上", "线中", "线下"}, nullptr, nullptr,
                      [this](TPropertyForm& f) {
                        const int i = std::stoi(f.Text("对齐方式："));
                        if (i >= 0) FClone->FBzLines[std::size_t(FSegment)].TextAlign = i;
                      }});
  d.Fields.push_back({TFieldKind::Button, "下一边线", seg, {}, nullptr, nullptr, [this](TPropertyForm& f) {
                        if (FClone->FBzLines.empty()) return;
                        // OK checks only the text shown: a segment's text is checked as it is left.
                        if (!CheckSavableText(f.Text("文本："))) return;
                        FSegment = (FSegment + 1) % int(FClone->FBzLines.size());
                        ShowSegment();
                      }});
  d.Accepted = [this, &View, &Line] {
    ApplyFigureEdit(View, Line, [&] { SetArrowLineProperties(Line, *FClone, FProps); });
  };
  FForm = std::make_unique<TPropertyForm>(std::move(d), Parent);
  ShowSegment();
}

void TP_Arrowbz::ShowSegment() {
  TPropertyForm& f = *FForm;
  const int count = FSegmentFields;
  f.Show(count, BzLineCountCaption(*FClone));
  f.Show(count + 1, BzLineCaption(FSegment));
  if (FClone->FBzLines.empty()) return;
  std::string qx, qy, zx, zy;
  BzLineEnds(*FClone, FSegment, qx, qy, zx, zy);
  f.Show(count + 2, qx);
  f.Show(count + 3, qy);
  f.Show(count + 4, zx);
  f.Show(count + 5, zy);
  const TBzLineData& s = FClone->FBzLines[std::size_t(FSegment)];
  f.Show(f.IndexOf("文本："), s.AutoCalText ? "<>" : s.Text);
  f.Show(f.IndexOf("文字位置："), std::to_string(int(s.Pos * 100 + 0.5)));
  f.Show(f.IndexOf("对齐方式："), std::to_string(s.TextAlign));
}

TP_ConstrutionLine::TP_ConstrutionLine(TDocView& View, TCustomConstructionLine& Line, QWidget* Parent)
    : FProps(GetConstructionLineProperties(Line)) {
  TFormDef d;
  d.Caption = "定义边缘线属性";
  TConstructionLineProperties& p = FProps;
  AddFigureCommonFields(d.Fields, p, Line);
  d.Fields.push_back(TextField(TFieldKind::Number, "起点X：", p.QdX, "坐标"));
  d.Fields.push_back(TextField(TFieldKind::Number, "起点Y：", p.QdY, "坐标"));
  d.Fields.push_back(TextField(TFieldKind::Number, "终点X：", p.ZdX, "坐标"));
  d.Fields.push_back(TextField(TFieldKind::Number, "终点Y：", p.ZdY, "坐标"));
  d.Fields.push_back(TextField(TFieldKind::Number, "长度1：", p.Length1));
  d.Fields.push_back(TextField(TFieldKind::Number, "长度2：", p.Length2));
  d.Fields.push_back(TextField(TFieldKind::Number, "间距：", p.Gap));
  d.Fields.push_back(TextField(TFieldKind::Angle, "角度：", p.LineJd));
  TFormField arc = CheckField("弧形", p.Arc, "弧形");
  arc.Changed = [](TPropertyForm& f) {
    // Without the arc there is no radius and no direction to give.
    const bool on = f.Text("弧形") == "1";
    const int bj = f.IndexOf("半径：");
    if (!on) f.Show(bj, "");
    f.SetEnabled(bj, on);
    f.SetEnabled(f.IndexOf("旋转方向："), on);
  };
  d.Fields.push_back(std::move(arc));
  d.Fields.push_back(TextField(TFieldKind::Number, "半径：", p.Bj, "弧形"));
  d.Fields.push_back(IndexField(TFieldKind::Radio, "旋转方向：", p.Direction, {"顺时针", "逆时针"}, "弧形"));
  d.Accepted = [this, &View, &Line] {
    ApplyFigureEdit(View, Line, [&] { SetConstructionLineProperties(Line, FProps); });
  };
  FForm = std::make_unique<TPropertyForm>(std::move(d), Parent);
  FForm->SetEnabled(FForm->IndexOf("半径："), p.Arc);
  FForm->SetEnabled(FForm->IndexOf("旋转方向："), p.Arc);
}

bool EditTxLineProperties(TDocView& View, TCustomTxLine& Line) { return TP_Line(View, Line).Execute(); }
bool EditArrowLineProperties(TDocView& View, TCustomArrowLine& Line) { return TP_Arrowbz(View, Line).Execute(); }
bool EditConstructionLineProperties(TDocView& View, TCustomConstructionLine& Line) {
  return TP_ConstrutionLine(View, Line).Execute();
}

void RegisterLineDialogs() {
  RegisterFigureDialog(TCustomTxLine::StaticClass(), &EditTxLineProperties);
  RegisterFigureDialog(TCustomArrowLine::StaticClass(), &EditArrowLineProperties);
  RegisterFigureDialog(TCustomConstructionLine::StaticClass(), &EditConstructionLineProperties);
}
