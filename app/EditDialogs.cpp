#include "app/EditDialogs.h"

namespace {

TFormField ModeField(std::string Label, int& Mode, std::vector<std::string> Items,
                     std::function<void(TPropertyForm&)> Changed) {
  TFormField f = IndexField(TFieldKind::Radio, std::move(Label), Mode, std::move(Items));
  f.Changed = std::move(Changed);
  return f;
}

// Mode 1 takes a distance and an angle instead of x and y.
void ShowMoveMode(TPropertyForm& F) {
  const bool polar = F.Text("平移方式：") == "1";
  F.SetLabel(F.IndexOf("X："), polar ? "距离：" : "X：");
  F.SetLabel(F.IndexOf("Y："), polar ? "角度：" : "Y：");
}

void ShowArrayMode(TPropertyForm& F) {
  const bool circular = F.Text("阵列方式 :") == "1";
  for (const char* l : {"行数:", "列数:", "行距:", "列距:"}) F.SetEnabled(F.IndexOf(l), !circular);
  for (const char* l : {"个数:", "圆点X:", "圆点Y:", "角度:", "绕圆点旋转"}) F.SetEnabled(F.IndexOf(l), circular);
}

}  // namespace

TMoveCopyDialog::TMoveCopyDialog(bool Copy, QWidget* Parent) : FCopy(Copy) {
  TFormDef d;
  d.Caption = Copy ? "平移拷贝" : "平移";
  d.Fields.push_back(ModeField("平移方式：", FParams.Mode, {"坐标", "距离和角度"}, ShowMoveMode));
  d.Fields.push_back(TextField(TFieldKind::Number, "X：", FParams.Value1));
  d.Fields.push_back(TextField(TFieldKind::Number, "Y：", FParams.Value2));
  FForm = std::make_unique<TPropertyForm>(std::move(d), Parent);
  ShowMoveMode(*FForm);
}

bool TMoveCopyDialog::Apply(TDrawView& View) const {
  return FCopy ? View.MoveCopy(FParams) : View.MoveObject(FParams);
}

bool TMoveCopyDialog::Run(TDrawView& View) { return FForm->Execute() && Apply(View); }

TArrayDialog::TArrayDialog(QWidget* Parent) {
  TFormDef d;
  d.Caption = "阵列";
  TArrayParams& p = FParams;
  d.Fields.push_back(ModeField("阵列方式 :", p.Mode, {"矩形阵列", "圆阵列"}, ShowArrayMode));
  d.Fields.push_back(TextField(TFieldKind::Number, "行数:", p.Rows, "矩形阵列"));
  d.Fields.push_back(TextField(TFieldKind::Number, "列数:", p.Cols, "矩形阵列"));
  d.Fields.push_back(TextField(TFieldKind::Number, "行距:", p.RowDistance, "矩形阵列"));
  d.Fields.push_back(TextField(TFieldKind::Number, "列距:", p.ColDistance, "矩形阵列"));
  d.Fields.push_back(TextField(TFieldKind::Number, "个数:", p.Count, "圆阵列"));
  d.Fields.push_back(TextField(TFieldKind::Number, "圆点X:", p.CenterX, "圆阵列"));
  d.Fields.push_back(TextField(TFieldKind::Number, "圆点Y:", p.CenterY, "圆阵列"));
  d.Fields.push_back(TextField(TFieldKind::Number, "角度:", p.Angle, "圆阵列"));
  d.Fields.push_back({TFieldKind::Check, "绕圆点旋转", "圆阵列", {}, [&p] { return std::string(p.Rotate ? "1" : "0"); },
                      [&p](const std::string& v) { p.Rotate = v == "1"; }, nullptr});
  FForm = std::make_unique<TPropertyForm>(std::move(d), Parent);
  ShowArrayMode(*FForm);
}

bool TArrayDialog::Run(TDrawView& View) { return FForm->Execute() && Apply(View); }

bool MoveCopyCommand(TDrawView& View) { return TMoveCopyDialog(true, &View).Run(View); }
bool MoveObjectCommand(TDrawView& View) { return TMoveCopyDialog(false, &View).Run(View); }

bool ArrayCommand(TDrawView& View) {
  // Nothing to ask about without a selection.
  if (View.Selection().Count() == 0) return false;
  return TArrayDialog(&View).Run(View);
}
