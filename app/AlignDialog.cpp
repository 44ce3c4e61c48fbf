#include "app/AlignDialog.h"

#include "docview/DocView.h"
#include "docview/Document.h"
#include "figures/Figure.h"

#include <cmath>
#include <string>
#include <vector>

namespace {

// Halves go to the even neighbour, like the rest of the program's rounding.
int RoundHalf(int Twice) { return static_cast<int>(std::nearbyint(Twice / 2.0)); }

TRect PositionRect(const TDocItem& Item) {
  TRect r;
  Item.CalcPositionRect(r);
  return ExpandRect(r, 0);
}

TFormField ChoiceField(std::string Label, int& Value, std::vector<std::string> Items) {
  return {TFieldKind::Radio, std::move(Label), {}, std::move(Items), [&Value] { return std::to_string(Value); },
          [&Value](const std::string& v) {
            if (v != "-1") Value = std::stoi(v);
          },
          nullptr};
}

}  // namespace

TPoint AlignOffset(const TRect& R0, const TRect& Ri, TAlignParams Params) {
  TPoint d{0, 0};
  switch (Params.Vert) {
    case 1: d.y = R0.Top - Ri.Top; break;
    case 2: d.y = RoundHalf(R0.Top + R0.Bottom - Ri.Top - Ri.Bottom); break;
    case 3: d.y = R0.Bottom - Ri.Bottom; break;
    default: break;
  }
  switch (Params.Horz) {
    case 1: d.x = R0.Left - Ri.Left; break;
    case 2: d.x = RoundHalf(R0.Left + R0.Right - Ri.Left - Ri.Right); break;
    case 3: d.x = R0.Right - Ri.Right; break;
    default: break;
  }
  return d;
}

bool AlignSelection(TDocView& View, TAlignParams Params) {
  const TMyList& selection = View.Selection();
  if (!View.Document() || selection.Count() < 2 || (Params.Vert == 0 && Params.Horz == 0)) return false;
  const std::vector<TMyPersistent*> items = selection.FList;
  const TRect r0 = PositionRect(*static_cast<TDocItem*>(items.front()));
  std::vector<TPoint> offsets;
  bool moves = false;
  for (std::size_t i = 1; i < items.size(); ++i) {
    offsets.push_back(AlignOffset(r0, PositionRect(*static_cast<TDocItem*>(items[i])), Params));
    moves = moves || offsets.back().x != 0 || offsets.back().y != 0;
  }
  if (!moves) return false;
  // Moving figures is an edit like any other: undoable, and it must be saved.
  View.BackUp(ovEdit);
  View.Document()->SetModifiedFlag(true);
  for (std::size_t i = 1; i < items.size(); ++i) {
    const TPoint d = offsets[i - 1];
    if (d.x != 0 || d.y != 0) static_cast<TDocItem*>(items[i])->MoveByOffset(d.x, d.y);
  }
  return true;
}

TAlignDialog::TAlignDialog(QWidget* Parent) {
  TFormDef d;
  d.Caption = "排列";
  d.Fields.push_back(ChoiceField("水平方向；", FParams.Vert, {"不改变", "下对齐", "中对齐", "上对齐"}));
  d.Fields.push_back(ChoiceField("垂直方向：", FParams.Horz, {"不改变", "左对齐", "中对齐", "右对齐"}));
  FForm = std::make_unique<TPropertyForm>(std::move(d), Parent);
}

bool TAlignDialog::Run(TDocView& View) { return FForm->Execute() && Apply(View); }
