#include "app/TextDialogs.h"

#include "app/FontDialog.h"
#include "app/LineDialogs.h"
#include "app/MltLineDialogs.h"
#include "app/OptionDialogs.h"
#include "docview/DocView.h"
#include "figures/FigureKit.h"
#include "figures/FigureText.h"
#include "figures/LineFigureKit.h"

#include <QDialog>

#include <cmath>

namespace {

// The fields every boxed text shares, whichever class holds them.
struct TBoxRef {
  Tpt* Yd;
  double* Width;
  double* Height;
  bool* AutoSize;
  std::string* Text;
  TMyFont* Font;
};

TBoxRef BoxOf(TCustomFigure& F) {
  if (auto* x = dynamic_cast<TCustomXLabel*>(&F))
    return {&x->FYd, &x->FWidth, &x->FHeight, &x->FAutoSize, &x->FText, x->FFont.get()};
  auto& l = static_cast<TCustomTxLabel&>(F);
  return {&l.FYd, &l.FWidth, &l.FHeight, &l.FAutoSize, &l.FText, l.FFont.get()};
}

std::string JoinLines(const std::vector<std::string>& Lines) {
  std::string t;
  for (std::size_t i = 0; i < Lines.size(); ++i) t += (i ? "\n" : "") + Lines[i];
  return t;
}

std::vector<std::string> SplitText(const std::string& Text) {
  std::vector<std::string> out(1);
  for (char c : Text) {
    if (c == '\r') continue;
    if (c == '\n')
      out.emplace_back();
    else
      out.back() += c;
  }
  return out;
}

TFormField FontButton(TMyFont& Font) {
  return {TFieldKind::Button, "字体", "", {}, nullptr, nullptr, [&Font](TPropertyForm& f) {
            // The copy already holds the size on the sheet.
            EditFigureFont(Font, 1.0, &f.Dialog());
          }};
}

}  // namespace

// ---- boxed texts

TP_Label::TP_Label(TDocView& View, TCustomFigure& Figure, QWidget* Parent) {
  auto* xlabel = dynamic_cast<TCustomXLabel*>(&Figure);
  auto* memo = dynamic_cast<TCustomTxMemo*>(&Figure);
  const TBoxRef box = BoxOf(Figure);
  TLabelProperties& p = FProps;
  LineKit::FillCommon(Figure, p);
  const double s = Figure.GetScale();
  LineKit::UserPt(Figure, *box.Yd, p.YdX, p.YdY);
  p.Width = LineKit::UserLen(Figure, *box.Width);
  p.Height = LineKit::UserLen(Figure, *box.Height);
  p.Xzjd = std::to_string(int(std::lround(Figure.FXzJd)));
  p.Text = memo ? JoinLines(memo->FLines) : *box.Text;
  p.AutoSize = *box.AutoSize;
  p.Frame = Figure.FPen.Style != psClear;
  p.Transparent = Figure.FBrush.Style == bsClear;
  p.Font.Assign(*box.Font);
  p.Font.FHeight *= s;

  TFormDef d;
  d.Caption = xlabel ? "定义斜文本属性" : memo ? "定义文本框属性" : "定义编辑框属性";
  AddFigureCommonFields(d.Fields, p, Figure);
  d.Fields.push_back(TextField(TFieldKind::Number, "原点：", p.YdX));
  d.Fields.push_back(TextField(TFieldKind::Number, " ", p.YdY));
  d.Fields.push_back(TextField(TFieldKind::Number, "长：", p.Width));
  d.Fields.push_back(TextField(TFieldKind::Number, "宽：", p.Height));
  if (xlabel) d.Fields.push_back(TextField(TFieldKind::Angle, "旋转角度：", p.Xzjd));
  d.Fields.push_back(TextField(memo ? TFieldKind::Lines : TFieldKind::Text, "文本：", p.Text));
  d.Fields.push_back(FontButton(p.Font));
  if (!memo) d.Fields.push_back(CheckField("自动计算尺寸", p.AutoSize));
  d.Fields.push_back(CheckField("显示边框", p.Frame));
  d.Fields.push_back(CheckField("透明", p.Transparent));
  d.Accepted = [this, &View, &Figure, memo, xlabel] {
    ApplyFigureEdit(View, Figure, [&] {
      const TLabelProperties& p = FProps;
      const TBoxRef box = BoxOf(Figure);
      Figure.Invalidate();
      {
        TChangingGuard guard(Figure);
        LineKit::ApplyPen(Figure, p);
        Figure.FPen.Style = p.Frame ? (Figure.FPen.Style == psClear ? psSolid : Figure.FPen.Style) : psClear;
        Figure.FBrush.Style = p.Transparent ? bsClear : bsSolid;
        if (memo)
          memo->FLines = SplitText(p.Text);
        else
          *box.Text = p.Text;
        box.Font->Assign(p.Font);
        box.Font->FHeight /= Figure.GetScale();
        if (!memo) *box.AutoSize = p.AutoSize;
        // In field order; the first that does not convert ends the update.
        [&] {
          if (!LineKit::ApplyLineWidth(Figure, p)) return;
          Tpt yd;
          if (!LineKit::SysPt(Figure, p.YdX, p.YdY, yd)) return;
          *box.Yd = yd;
          const double s = Figure.GetScale();
          double w = 0, h = 0;
          if (!ParseFloat(p.Width, w) || !ParseFloat(p.Height, h)) return;
          *box.Width = Figure.TransSysV(w) / s;
          *box.Height = Figure.TransSysV(h) / s;
          if (xlabel) {
            int a = 0;
            if (!ParseInt(p.Xzjd, a)) return;
            Figure.FXzJd = a;
          }
          LineKit::ApplyLayer(Figure, p);
        }();
      }
      Figure.Modified();
    });
  };
  FForm = std::make_unique<TPropertyForm>(std::move(d), Parent);
}

bool TP_Label::Execute() { return RunCommandForm(*FForm); }

// ---- leader line

TP_Dimension::TP_Dimension(TDocView& View, TCustomDimension& Line, QWidget* Parent) {
  LineKit::FillCommon(Line, FCommon);
  FText = Line.FText;
  FTextAlign = Line.FTextAlign;
  FFont.Assign(*Line.FFont);
  FFont.FHeight *= Line.GetScale();
  TFormDef d;
  d.Caption = "定义引出线属性";
  AddFigureCommonFields(d.Fields, FCommon, Line);
  d.Fields.push_back(TextField(TFieldKind::Text, "文本：", FText));
  d.Fields.push_back(FontButton(FFont));
  d.Fields.push_back(IndexField(TFieldKind::Radio, "文字显示位置：", FTextAlign, {"左边", "右边"}));
  d.Accepted = [this, &View, &Line] {
    ApplyFigureEdit(View, Line, [&] {
      Line.Invalidate();
      {
        TChangingGuard guard(Line);
        LineKit::ApplyPen(Line, FCommon);
        Line.FText = FText;
        Line.FTextAlign = FTextAlign;
        Line.FFont->Assign(FFont);
        Line.FFont->FHeight /= Line.GetScale();
        if (LineKit::ApplyLineWidth(Line, FCommon)) LineKit::ApplyLayer(Line, FCommon);
      }
      Line.Modified();
    });
  };
  FForm = std::make_unique<TPropertyForm>(std::move(d), Parent);
}

bool TP_Dimension::Execute() { return RunCommandForm(*FForm); }

// ---- text line

bool EditTextLineProperties(TDocView& View, TCustomTextLine& Line) {
  TP_MltLine dlg(View, Line, nullptr, "定义字线属性", [](std::vector<TFormField>& Fields, TCustomMltLine& Clone) {
    auto& c = static_cast<TCustomTextLine&>(Clone);
    Fields.push_back({TFieldKind::Text, "文字：", "", {}, [&c] { return c.FText; }, nullptr,
                      [&c](TPropertyForm& f) { c.SetText(f.Text("文字：")); }});
    Fields.push_back({TFieldKind::Number, "间距：", "", {}, [&c] { return Format("%1.3f", c.TransUserV(c.FGap)); },
                      nullptr, [&c](TPropertyForm& f) {
                        double g = 0;
                        if (ParseFloat(f.Text("间距："), g) && g >= 0) c.SetGap(c.TransSysV(g));
                      }});
    Fields.push_back({TFieldKind::Button, "字体", "", {}, nullptr, nullptr, [&c](TPropertyForm& f) {
                        if (EditFigureFont(*c.FFont, c.FScale, &f.Dialog())) c.Modified();
                      }});
  });
  dlg.Form().Reload();
  return dlg.Execute();
}

void RegisterTextDialogs() {
  RegisterPropertyEditor(TCustomTextLine::StaticClass(), [](TFigureView* View, TDocItem& Item) {
    auto* view = dynamic_cast<TDocView*>(View);
    return view && EditTextLineProperties(*view, static_cast<TCustomTextLine&>(Item));
  });
  for (const TMetaClass* c : {&TCustomXLabel::StaticClass(), &TCustomTxLabel::StaticClass()})
    RegisterPropertyEditor(*c, [](TFigureView* View, TDocItem& Item) {
      auto* view = dynamic_cast<TDocView*>(View);
      return view && TP_Label(*view, static_cast<TCustomFigure&>(Item)).Execute();
    });
  RegisterPropertyEditor(TCustomDimension::StaticClass(), [](TFigureView* View, TDocItem& Item) {
    auto* view = dynamic_cast<TDocView*>(View);
    return view && TP_Dimension(*view, static_cast<TCustomDimension&>(Item)).Execute();
  });
}
