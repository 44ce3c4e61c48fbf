// The index and navigator windows, the about box, the splash window and the
// colour buttons.

#include "app/ToolWindows.h"

#include "docview/Document.h"
#include "figures/FigureSet.h"
#include "platform/QtCanvas.h"

#include <QColorDialog>
#include <QGridLayout>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QToolBar>
#include <QVBoxLayout>
#include <QWidgetAction>

// ---- index window

TfDef_Inh::TfDef_Inh(QWidget* Parent) : QDockWidget(QString::fromUtf8("索引列表"), Parent) {
  setObjectName("fDef_Inh");
  auto* body = new QWidget(this);
  auto* column = new QVBoxLayout(body);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  auto* bar = new QToolBar(body);
  bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
  const char* captions[4] = {"增加图层", "删除图层", "上移", "下移"};
  void (TfDef_Inh::*handlers[4])() = {&TfDef_Inh::TB_AddLayerClick, &TfDef_Inh::TB_DeleteLayerClick,
                                      &TfDef_Inh::TB_MoveUpClick, &TfDef_Inh::TB_MoveDownClick};
  for (int i = 0; i < 4; ++i) {
    FButtons[i] = bar->addAction(QString::fromUtf8(captions[i]));
    FButtons[i]->setToolTip(QString::fromUtf8(captions[i]));
    connect(FButtons[i], &QAction::triggered, this, handlers[i]);
  }
  column->addWidget(bar);
  FIndexView = new TIndexView(body);
  column->addWidget(FIndexView, 1);
  setWidget(body);
}

void TfDef_Inh::TB_AddLayerClick() {
  TDocument* doc = FIndexView->Document();
  TTxFigureSet* root = doc ? doc->GetFigures() : nullptr;
  if (!root) return;
  std::string name;
  root->AddLayer(name);
  FIndexView->AddLayer(name);
  doc->SetModifiedFlag(true);
}

void TfDef_Inh::TB_DeleteLayerClick() {
  if (FIndexView->Document()) FIndexView->DeleteLayer();
}

void TfDef_Inh::TB_MoveUpClick() { FIndexView->MoveUp(); }
void TfDef_Inh::TB_MoveDownClick() { FIndexView->MoveDown(); }

// ---- navigator

TArial::TArial(QWidget* Parent) : QDockWidget(QString::fromUtf8("导航器"), Parent) {
  setObjectName("Arial");
  FArialView = new TArialView(this);
  FArialView->FColor = RGB(192, 192, 192);
  FArialView->setMinimumSize(160, 120);
  setWidget(FArialView);
}

// ---- about box and splash

TAboutBox::TAboutBox(QWidget* Parent) : QDialog(Parent) {
  setWindowTitle(QString::fromUtf8("关于"));
  setMinimumWidth(360);
  auto* column = new QVBoxLayout(this);
  auto* title = new QLabel("Plandeck", this);
  QFont f = title->font();
  f.setPointSize(f.pointSize() * 2);
  f.setBold(true);
  title->setFont(f);
  column->addWidget(title, 0, Qt::AlignHCenter);
  column->addWidget(new QLabel(QString::fromUtf8("施工现场平面图编辑器  版本 3.1"), this), 0, Qt::AlignHCenter);
  auto* ok = new QPushButton(QString::fromUtf8("确定"), this);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  column->addWidget(ok, 0, Qt::AlignHCenter);
}

TSplashWindow::TSplashWindow() : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint) {
  setFixedSize(420, 220);
}

void TSplashWindow::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), QColor(0, 64, 128));
  p.setPen(Qt::white);
  QFont f = font();
  f.setPixelSize(48);
  f.setBold(true);
  p.setFont(f);
  p.drawText(rect().adjusted(0, 0, 0, -50), Qt::AlignCenter, "Plandeck");
  f.setPixelSize(16);
  f.setBold(false);
  p.setFont(f);
  p.drawText(rect().adjusted(0, 100, 0, 0), Qt::AlignCenter, QString::fromUtf8("施工现场平面图编辑器"));
}

// ---- colour buttons

namespace {
const unsigned kPalette[16] = {RGB(0, 0, 0),     RGB(128, 0, 0),   RGB(0, 128, 0),   RGB(128, 128, 0),
                               RGB(0, 0, 128),   RGB(128, 0, 128), RGB(0, 128, 128), RGB(128, 128, 128),
                               RGB(192, 192, 192), RGB(255, 0, 0), RGB(0, 255, 0),   RGB(255, 255, 0),
                               RGB(0, 0, 255),   RGB(255, 0, 255), RGB(0, 255, 255), RGB(255, 255, 255)};

QIcon Swatch(std::optional<unsigned> Color) {
  QPixmap pm(24, 24);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setPen(Qt::black);
  if (Color) {
    p.setBrush(ColorRefToQColor(*Color));
    p.drawRect(3, 3, 17, 17);
  } else {
    p.setBrush(Qt::NoBrush);
    p.drawRect(3, 3, 17, 17);
    p.drawLine(3, 20, 20, 3);
  }
  return QIcon(pm);
}
}  // namespace

TColorButton::TColorButton(const QString& NoColorText, const QString& Hint, QWidget* Parent) : QToolButton(Parent) {
  setToolTip(Hint);
  setStatusTip(Hint);
  setPopupMode(QToolButton::InstantPopup);
  ShowColor(RGB(0, 0, 0));
  auto* menu = new QMenu(this);
  connect(menu->addAction(NoColorText), &QAction::triggered, this, [this] {
    ShowColor(std::nullopt);
    if (Chosen) Chosen(std::nullopt);
  });
  auto* grid = new QWidget(menu);
  auto* layout = new QGridLayout(grid);
  layout->setSpacing(2);
  for (int i = 0; i < 16; ++i) {
    auto* b = new QToolButton(grid);
    b->setIcon(Swatch(kPalette[i]));
    b->setAutoRaise(true);
    const unsigned c = kPalette[i];
    connect(b, &QToolButton::clicked, this, [this, menu, c] {
      menu->close();
      ShowColor(c);
      if (Chosen) Chosen(c);
    });
    layout->addWidget(b, i / 8, i % 8);
  }
  auto* holder = new QWidgetAction(menu);
  holder->setDefaultWidget(grid);
  menu->addAction(holder);
  connect(menu->addAction(QString::fromUtf8("其他颜色...")), &QAction::triggered, this, [this] {
    const QColor c = QColorDialog::getColor(FShown ? ColorRefToQColor(*FShown) : QColor(Qt::black), this);
    if (!c.isValid()) return;
    ShowColor(QColorToColorRef(c));
    if (Chosen) Chosen(QColorToColorRef(c));
  });
  connect(menu, &QMenu::aboutToShow, this, [this] {
    if (Current) ShowColor(Current());
  });
  setMenu(menu);
}

void TColorButton::ShowColor(std::optional<unsigned> Color) {
  FShown = Color;
  setIcon(Swatch(Color));
}
