#include "app/PageSetup.h"

#include "figures/FigureSet.h"
#include "figures/FigureText.h"
#include "interchange/PrintPages.h"
#include "platform/System.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <initializer_list>

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }
QString Q(const char* s) { return QString::fromUtf8(s); }
std::string S(const QLineEdit* e) { return e->text().toStdString(); }

// A radio group over Captions, ids 0 .. n-1, laid out in a row.
QButtonGroup* Radios(QWidget* Owner, QBoxLayout* Into, std::initializer_list<const char*> Captions) {
  auto* group = new QButtonGroup(Owner);
  int id = 0;
  for (const char* c : Captions) {
    auto* b = new QRadioButton(Q(c), Owner);
    group->addButton(b, id++);
    Into->addWidget(b);
  }
  return group;
}

void Check(QButtonGroup* Group, int Id) {
  if (QAbstractButton* b = Group->button(Id)) b->setChecked(true);
}

// A whole number of millimetres, or false.
bool Millimetres(const std::string& Text, int& Value) { return ParseInt(Text, Value); }

}  // namespace

TSetPageValues PageSetupValues(const TPrintPageView& View, int PrinterLx) {
  TSetPageValues v;
  const TPageSetup& s = View.Setup();
  v.Layout = s.FLayout;
  v.Up = std::to_string(View.GetPageUpOff());
  v.Down = std::to_string(View.GetPageDownOff());
  v.Right = std::to_string(View.GetPageRightOff());
  v.Left = std::to_string(View.GetPageLeftOff());
  v.PrintFrame = s.FPrintFrame;
  v.PrinterLx = PrinterLx;
  if (const TTxFigureSet* root = View.Root()) {
    const double scale = View.PrintScale();
    v.S2 = Format("%1.3f", scale > 0 ? View.FMMScale / scale : 0.0);
    v.Width = Format("%1.3f", root->TransUserV(root->GetWidth()));
    v.Height = Format("%1.3f", root->TransUserV(root->GetHeight()));
    v.OriginX = Format("%1.3f", root->TransUserV(root->FYd.x));
    v.OriginY = Format("%1.3f", root->TransUserV(root->FYd.y));
    v.HorzAlign = root->FHorzPageAlign;
    v.VertAlign = root->FVertPageAlign;
  }
  return v;
}

std::string RefusePageSetup(const TSetPageValues& Values, const TPrintPageView& View) {
  double s1 = 0, s2 = 0;
  if ((ParseFloat(Values.S1, s1) && !(s1 > 0)) || (ParseFloat(Values.S2, s2) && !(s2 > 0)))
    return "比例必须大于0！";
  int pages = 0;
  if (Values.Layout == 1 && ParseInt(Values.PagesWide, pages) && pages <= 0) return "页数必须大于0！";
  if (Values.Layout == 2 && ParseInt(Values.PagesHigh, pages) && pages <= 0) return "页数必须大于0！";
  int up = 0, down = 0, right = 0, left = 0;
  if (Millimetres(Values.Up, up) && Millimetres(Values.Down, down) && Millimetres(Values.Right, right) &&
      Millimetres(Values.Left, left)) {
    if (!View.MarginsFit(left, right, up, down)) return "页边距超出纸张范围！";
  }
  return {};
}

void ApplyPageSetup(const TSetPageValues& Values, TPrintPageView& View, int& PrinterLx) {
  TTxFigureSet* root = View.Root();
  if (!root) return;
  auto apply = [&]() -> bool {
    double v = 0, w = 0;
    if (!ParseFloat(Values.S1, v) || !ParseFloat(Values.S2, w)) return false;
    View.SetCustomScale(v, w);
    if (!ParseFloat(Values.Width, v)) return false;
    root->SetWidth(root->TransSysV(v));
    if (!ParseFloat(Values.Height, v)) return false;
    root->SetHeight(root->TransSysV(v));
    if (!ParseFloat(Values.OriginX, v) || !ParseFloat(Values.OriginY, w)) return false;
    root->FYd = {root->TransSysV(v), root->TransSysV(w)};
    ++root->FGeneration;
    int mm = 0;
    if (!Millimetres(Values.Up, mm)) return false;
    View.SetPageUpOff(mm);
    if (!Millimetres(Values.Down, mm)) return false;
    View.SetPageDownOff(mm);
    if (!Millimetres(Values.Right, mm)) return false;
    View.SetPageRightOff(mm);
    if (!Millimetres(Values.Left, mm)) return false;
    View.SetPageLeftOff(mm);
    View.Setup().FLayout = Values.Layout;
    int pages = 1;
    if (Values.Layout == 1) {
      if (!ParseInt(Values.PagesWide, pages)) return false;
      View.FPageNumX = pages;
    } else if (Values.Layout == 2) {
      if (!ParseInt(Values.PagesHigh, pages)) return false;
      View.FPageNumY = pages;
    }
    View.Setup().FPrintFrame = Values.PrintFrame;
    PrinterLx = Values.PrinterLx;
    return true;
  };
  apply();
  root->FHorzPageAlign = Values.HorzAlign;
  root->FVertPageAlign = Values.VertAlign;
  View.Recompute();
}

// ---- the dialog

TSetPage::TSetPage(const TSetPageValues& Values, const TPrintPageView& View, QWidget* Parent)
    : QDialog(Parent), FView(View) {
  setWindowTitle(Q("页面设置"));
  auto* top = new QVBoxLayout(this);
  FTabs = new QTabWidget(this);
  top->addWidget(FTabs);

  // 图纸属性
  auto* paper = new QWidget;
  auto* pl = new QVBoxLayout(paper);
  auto* layoutBox = new QGroupBox(Q("打印方式"), paper);
  auto* lg = new QGridLayout(layoutBox);
  FLayout = new QButtonGroup(layoutBox);
  const char* layouts[] = {"满页打印", "自适应到页宽", "自适应到页高", "自定义"};
  for (int i = 0; i < 4; ++i) {
    auto* b = new QRadioButton(Q(layouts[i]), layoutBox);
    FLayout->addButton(b, i);
    lg->addWidget(b, i, 0);
  }
  FPagesWide = new QLineEdit(layoutBox);
  FPagesHigh = new QLineEdit(layoutBox);
  lg->addWidget(FPagesWide, 1, 1);
  lg->addWidget(new QLabel(Q("页"), layoutBox), 1, 2);
  lg->addWidget(FPagesHigh, 2, 1);
  lg->addWidget(new QLabel(Q("页"), layoutBox), 2, 2);
  pl->addWidget(layoutBox);
  auto* marginBox = new QGroupBox(Q("页边距："), paper);
  auto* mg = new QGridLayout(marginBox);
  FUp = new QLineEdit(marginBox);
  FDown = new QLineEdit(marginBox);
  FRight = new QLineEdit(marginBox);
  FLeft = new QLineEdit(marginBox);
  mg->addWidget(new QLabel(Q("上"), marginBox), 0, 0);
  mg->addWidget(FUp, 0, 1);
  mg->addWidget(new QLabel(Q("下"), marginBox), 0, 2);
  mg->addWidget(FDown, 0, 3);
  mg->addWidget(new QLabel(Q("右"), marginBox), 1, 0);
  mg->addWidget(FRight, 1, 1);
  mg->addWidget(new QLabel(Q("左"), marginBox), 1, 2);
  mg->addWidget(FLeft, 1, 3);
  pl->addWidget(marginBox);
  FFrame = new QCheckBox(Q("打印边框"), paper);
  pl->addWidget(FFrame);
  pl->addWidget(new QLabel(Q("打印纸幅面：") + QString::number(qRound(View.GetPageWidth())) + "*" +
                               QString::number(qRound(View.GetPageHeight())),
                           paper));
  FTabs->addTab(paper, Q("图纸属性"));

  // 图形属性
  auto* figure = new QWidget;
  auto* fl = new QVBoxLayout(figure);
  auto* scale = new QHBoxLayout;
  FS1 = new QLineEdit(figure);
  FS2 = new QLineEdit(figure);
  scale->addWidget(new QLabel(Q("比例："), figure));
  scale->addWidget(FS1);
  scale->addWidget(new QLabel(Q("(毫米) ="), figure));
  scale->addWidget(FS2);
  scale->addWidget(new QLabel(Q("(画图单位)"), figure));
  fl->addLayout(scale);
  auto* area = new QGridLayout;
  FWidth = new QLineEdit(figure);
  FHeight = new QLineEdit(figure);
  FOriginX = new QLineEdit(figure);
  FOriginY = new QLineEdit(figure);
  area->addWidget(new QLabel(Q("图纸有效区域："), figure), 0, 0);
  area->addWidget(new QLabel(Q("水平"), figure), 0, 1);
  area->addWidget(FWidth, 0, 2);
  area->addWidget(new QLabel(Q("垂直"), figure), 0, 3);
  area->addWidget(FHeight, 0, 4);
  area->addWidget(new QLabel(Q("原点："), figure), 1, 0);
  area->addWidget(new QLabel(Q("X"), figure), 1, 1);
  area->addWidget(FOriginX, 1, 2);
  area->addWidget(new QLabel(Q("Y"), figure), 1, 3);
  area->addWidget(FOriginY, 1, 4);
  fl->addLayout(area);
  auto* horzBox = new QGroupBox(Q("水平对齐"), figure);
  FHorz = Radios(horzBox, new QHBoxLayout(horzBox), {"靠左", "居中", "靠右", "自定义"});
  fl->addWidget(horzBox);
  auto* vertBox = new QGroupBox(Q("垂直对齐"), figure);
  FVert = Radios(vertBox, new QHBoxLayout(vertBox), {"靠上", "居中", "靠下", "自定义"});
  fl->addWidget(vertBox);
  FTabs->addTab(figure, Q("图形属性"));

  // the printer kind
  auto* printer = new QWidget;
  auto* kl = new QVBoxLayout(printer);
  auto* kindBox = new QGroupBox(Q("打印机类型"), printer);
  FPrinterLx = Radios(kindBox, new QHBoxLayout(kindBox), {"A类", "B类"});
  kl->addWidget(kindBox);
  kl->addWidget(new QLabel(Q("注：当打印字旋转方向错误时，请选择另一类打印机"), printer));
  kl->addStretch();
  FTabs->addTab(printer, Q("打印机"));

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &TSetPage::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  top->addWidget(buttons);
  SetValues(Values);
}

void TSetPage::SetValues(const TSetPageValues& v) {
  Check(FLayout, v.Layout);
  FPagesWide->setText(Q(v.PagesWide));
  FPagesHigh->setText(Q(v.PagesHigh));
  FUp->setText(Q(v.Up));
  FDown->setText(Q(v.Down));
  FRight->setText(Q(v.Right));
  FLeft->setText(Q(v.Left));
  FFrame->setChecked(v.PrintFrame);
  FS1->setText(Q(v.S1));
  FS2->setText(Q(v.S2));
  FWidth->setText(Q(v.Width));
  FHeight->setText(Q(v.Height));
  FOriginX->setText(Q(v.OriginX));
  FOriginY->setText(Q(v.OriginY));
  Check(FHorz, v.HorzAlign);
  Check(FVert, v.VertAlign);
  Check(FPrinterLx, v.PrinterLx);
}

TSetPageValues TSetPage::Values() const {
  TSetPageValues v;
  v.Layout = std::max(0, FLayout->checkedId());
  v.PagesWide = S(FPagesWide);
  v.PagesHigh = S(FPagesHigh);
  v.Up = S(FUp);
  v.Down = S(FDown);
  v.Right = S(FRight);
  v.Left = S(FLeft);
  v.PrintFrame = FFrame->isChecked();
  v.S1 = S(FS1);
  v.S2 = S(FS2);
  v.Width = S(FWidth);
  v.Height = S(FHeight);
  v.OriginX = S(FOriginX);
  v.OriginY = S(FOriginY);
  v.HorzAlign = std::max(0, FHorz->checkedId());
  v.VertAlign = std::max(0, FVert->checkedId());
  v.PrinterLx = std::max(0, FPrinterLx->checkedId());
  return v;
}

void TSetPage::accept() {
  const std::string refusal = RefusePageSetup(Values(), FView);
  if (!refusal.empty()) {
    ShowMessage(refusal);
    return;
  }
  QDialog::accept();
}
