#include "app/PointListDialog.h"

#include "app/OptionDialogs.h"
#include "figures/FigureText.h"
#include "platform/System.h"

#include <QAction>
#include <QDialog>
#include <QListWidget>

#include <utility>

TEditPoints::TEditPoints(const TTxCollectBxdy& List, const TCustomFigure& Figure, QWidget* Parent)
    : FPoints(std::make_unique<TTxCollectBxdy>()), FFigure(Figure) {
  List.AssignTo(*FPoints);
  TFormDef d;
  d.Caption = "定义端点";
  d.Fields.push_back({TFieldKind::List, "端点集：", "", {}, nullptr, nullptr, nullptr});
  d.Fields.push_back({TFieldKind::Radio, "坐标类型：", "", {"绝对坐标", "相对第一点", "相对前一点"},
                      [] { return std::string("0"); }, nullptr, [this](TPropertyForm&) { Redraw(Selected()); }});
  const std::pair<const char*, void (TEditPoints::*)()> ops[] = {{"增加", &TEditPoints::Add},
                                                                  {"删除", &TEditPoints::Delete},
                                                                  {"编辑", &TEditPoints::Edit},
                                                                  {"上移", &TEditPoints::MoveUp},
                                                                  {"下移", &TEditPoints::MoveDown}};
  for (const auto& entry : ops) {
    const auto op = entry.second;
    d.Fields.push_back(
        {TFieldKind::Button, entry.first, "", {}, nullptr, nullptr, [this, op](TPropertyForm&) { (this->*op)(); }});
  }
  FForm = std::make_unique<TPropertyForm>(std::move(d), Parent);
  auto* list = static_cast<QListWidget*>(FForm->Control(FList));
  // The same operations as the list's pop-up menu; a double click edits.
  list->setContextMenuPolicy(Qt::ActionsContextMenu);
  for (const auto& entry : ops) {
    const auto op = entry.second;
    auto* a = new QAction(QString::fromUtf8(entry.first), list);
    QObject::connect(a, &QAction::triggered, list, [this, op] { (this->*op)(); });
    list->addAction(a);
  }
  QObject::connect(list, &QListWidget::itemDoubleClicked, list, [this] { Edit(); });
  Redraw(-1);
}

TEditPoints::~TEditPoints() = default;

bool TEditPoints::Execute() { return RunCommandForm(*FForm); }

TEditPoints::TMode TEditPoints::Mode() const {
  const std::string m = FForm->Text("坐标类型：");
  return m == "1" ? RelativeFirst : m == "2" ? RelativePrevious : Absolute;
}

Tpt TEditPoints::Shown(int Index) const {
  const Tpt p = FPoints->Points(Index)->FDwd;
  Tpt q;
  switch (Mode()) {
    case Absolute: FFigure.TransUserPt(p, q); return q;
    case RelativeFirst: {
      const Tpt o = FPoints->Points(0)->FDwd;
      return {FFigure.TransUserV(p.x - o.x), FFigure.TransUserV(p.y - o.y)};
    }
    case RelativePrevious: {
      const Tpt o = FPoints->Points(Index > 0 ? Index - 1 : 0)->FDwd;
      return {FFigure.TransUserV(p.x - o.x), FFigure.TransUserV(p.y - o.y)};
    }
  }
  return q;
}

Tpt TEditPoints::Typed(Tpt Value, int Base) const {
  Tpt q;
  if (Mode() == Absolute || FPoints->Count() == 0) {
    FFigure.TransSysPt(Value, q);
    return q;
  }
  const Tpt o = FPoints->Points(Mode() == RelativeFirst ? 0 : std::max(0, Base))->FDwd;
  return {o.x + FFigure.TransSysV(Value.x), o.y + FFigure.TransSysV(Value.y)};
}

std::vector<std::string> TEditPoints::Lines() const {
  std::vector<std::string> out;
  for (int i = 0; i < FPoints->Count(); ++i) {
    const Tpt s = Shown(i);
    out.push_back(Format("%1.3f", s.x) + "," + Format("%1.3f", s.y));
  }
  return out;
}

void TEditPoints::Redraw(int Row) {
  auto* list = static_cast<QListWidget*>(FForm->Control(FList));
  list->clear();
  for (const std::string& s : Lines()) list->addItem(QString::fromStdString(s));
  Select(Row);
}

int TEditPoints::Selected() const { return std::stoi(FForm->Text(FList)); }
void TEditPoints::Select(int Row) { FForm->Show(FList, std::to_string(Row)); }

bool TEditPoints::AskPoint(Tpt& Value, bool Empty) {
  std::string x = Empty ? "" : Format("%1.3f", Value.x), y = Empty ? "" : Format("%1.3f", Value.y);
  TFormDef d;
  d.Caption = "端点";
  for (const auto& entry : {std::pair{"X：", &x}, std::pair{"Y：", &y}}) {
    std::string* text = entry.second;
    d.Fields.push_back({TFieldKind::Number, entry.first, "", {}, [text] { return *text; },
                        [text](const std::string& v) { *text = v; }, nullptr});
  }
  TPropertyForm f(std::move(d), &FForm->Dialog());
  if (!RunCommandForm(f)) return false;
  Tpt v;
  if (!ParseFloat(x, v.x) || !ParseFloat(y, v.y)) return false;
  Value = v;
  return true;
}

void TEditPoints::Add() {
  const int n = FPoints->Count();
  int row = Selected();
  if (row < 0 || row >= n) row = n - 1;
  Tpt v;
  // The point dialog opens empty.
  if (!AskPoint(v, true)) return;
  const Tpt p = Typed(v, row);
  auto* item = static_cast<TTxPolygonBxdy*>(FPoints->InsertObject(row + 1));
  item->FDwd = p;
  Redraw(row + 1);
}

void TEditPoints::Delete() {
  const int row = Selected();
  if (row < 0 || row >= FPoints->Count() || FPoints->Count() < 3) return;
  FPoints->Delete(row);
  Redraw(std::min(row, FPoints->Count() - 1));
}

void TEditPoints::Edit() {
  const int row = Selected();
  if (row < 0 || row >= FPoints->Count()) return;
  if (row == 0 && Mode() != Absolute) {
    MessageDlg("相对坐标起点不能编辑！", mtWarning, mbOK);
    return;
  }
  Tpt v = Shown(row);
  if (!AskPoint(v, false)) return;
  FPoints->Points(row)->FDwd = Typed(v, row - 1);
  Redraw(row);
}

void TEditPoints::MoveUp() {
  const int row = Selected();
  if (row < 1 || row >= FPoints->Count()) return;
  FPoints->Move(row, row - 1);
  Redraw(row - 1);
}

void TEditPoints::MoveDown() {
  const int row = Selected();
  if (row < 0 || row + 1 >= FPoints->Count()) return;
  FPoints->Move(row, row + 1);
  Redraw(row + 1);
}
