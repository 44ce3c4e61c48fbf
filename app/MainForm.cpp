// The main window: start-up of the window, actions, menus and tool bars
// from the tables, the status bar, the recent files, dropped files, the
// file commands and the idle update.

#include "app/MainForm.h"

#include "app/Actions.h"
#include "app/Commands.h"
#include "app/ToolWindows.h"
#include "docview/Environment.h"
#include "figures/FigureFamily.h"
#include "foundation/ClassRegistry.h"
#include "platform/FileDialog.h"
#include "platform/Language.h"
#include "platform/System.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QRegularExpression>
#include <QSettings>
#include <QStatusTipEvent>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>
#include <cmath>

TMainForm* MainForm = nullptr;

namespace {

constexpr int kRecentMax = 9;
const char* const kOrganisation = "Verdaplan";
const char* const kApplication = "Plandeck";
const char* const kRecentKey = "Plandeck MRU";

QString Q(const char* Utf8) { return QString::fromUtf8(Utf8); }
QString Q(const std::string& Utf8) { return QString::fromStdString(Utf8); }

bool HasSuffix(const std::string& Name, const char* Suffix) {
  return QFileInfo(Q(Name)).suffix().compare(Q(Suffix), Qt::CaseInsensitive) == 0;
}

bool FileExists(const std::string& Name) { return !Name.empty() && QFileInfo(Q(Name)).isFile(); }

// A second action standing for Source where a menu or tool bar shows
// another caption or hint; it follows the source's enabled state.
QAction* Proxy(QAction* Source, const char* Caption, const char* Hint, QObject* Owner) {
  auto* a = new QAction(Caption ? Q(Caption) : Source->text(), Owner);
  a->setIcon(Source->icon());
  a->setToolTip(Hint ? Q(Hint) : Source->toolTip());
  a->setStatusTip(Hint ? Q(Hint) : Source->statusTip());
  a->setEnabled(Source->isEnabled());
  QObject::connect(a, &QAction::triggered, Source, &QAction::trigger);
  QObject::connect(Source, &QAction::changed, a, [a, Source] { a->setEnabled(Source->isEnabled()); });
  return a;
}

}  // namespace

// ---- the program

namespace {
// desktop/plandeck.svg drawn on a 64 × 64 sheet: a plan with its grid, a
// site outline and a tower crane with its working radius.
void PaintProgramIcon(QPainter& P) {
  P.setRenderHint(QPainter::Antialiasing);
  const QRectF sheet(3, 5, 54, 54);
  P.setPen(Qt::NoPen);
  P.setBrush(QColor("#f5f8fc"));
  P.drawRoundedRect(sheet, 4, 4);
  P.setPen(QPen(QColor("#c8d3e0"), 1));
  for (const double y : {23.0, 41.0}) P.drawLine(QPointF(3, y), QPointF(57, y));
  for (const double x : {21.0, 39.0}) P.drawLine(QPointF(x, 5), QPointF(x, 59));
  QPen radius(QColor("#e0a000"), 1.2);
  radius.setDashPattern({3 / 1.2, 2.5 / 1.2});
  P.setPen(radius);
  P.setBrush(Qt::NoBrush);
  // The radius round the mast's top (49, 15) from the sheet's top edge to its right edge.
  P.save();
  P.setClipRect(sheet);
  P.drawEllipse(QPointF(49, 15), 27, 27);
  P.restore();
  P.setPen(QPen(QColor("#35557a"), 2));
  P.drawRoundedRect(sheet, 4, 4);
  const QColor red("#c00000");
  P.setPen(QPen(red, 2.5));
  P.drawRect(QRectF(10, 31, 32, 21));
  P.setPen(QPen(red, 1.5));
  for (const double x : {13.0, 19.0, 25.0, 31.0, 37.0}) P.drawLine(QPointF(x, 31), QPointF(x - 3, 28));
  for (const double y : {36.0, 42.0, 48.0}) P.drawLine(QPointF(10, y), QPointF(7, y + 3));
  const QColor yellow("#f0b400"), dark("#2b2b2b");
  auto pen = [](const QColor& C, double W) {
    QPen p(C, W);
    p.setCapStyle(Qt::RoundCap);
    p.setJoinStyle(Qt::RoundJoin);
    return p;
  };
  P.setPen(pen(yellow, 3));
  P.drawLine(QPointF(46, 58), QPointF(46, 16));
  P.drawLine(QPointF(52, 58), QPointF(52, 16));
  P.setPen(pen(yellow, 1.5));
  for (const double y : {52.0, 42.0, 32.0, 24.0}) P.drawLine(QPointF(46, y), QPointF(52, y - 6));
  P.setPen(pen(dark, 2));
  P.drawLine(QPointF(49, 6), QPointF(49, 14));
  P.setPen(pen(yellow, 3));
  P.drawLine(QPointF(18, 15), QPointF(61, 15));
  P.setPen(pen(dark, 1.2));
  P.drawLine(QPointF(49, 6), QPointF(22, 14));
  P.drawLine(QPointF(49, 6), QPointF(60, 14));
  P.fillRect(QRectF(56, 16, 5, 5), QColor("#555555"));
  P.drawLine(QPointF(26, 16), QPointF(26, 23));
  P.setPen(pen(dark, 1));
  P.setBrush(dark);
  P.drawPolygon(QPolygonF({QPointF(24, 23), QPointF(28, 23), QPointF(27, 26), QPointF(25, 26)}));
}
}  // namespace

QIcon ProgramIcon() {
  QIcon icon;
  for (const int size : {16, 24, 32, 48, 64, 128}) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.scale(size / 64.0, size / 64.0);
    PaintProgramIcon(p);
    p.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

void InitPlandeckApplication() {
  QApplication::setOrganizationName(kOrganisation);
  QApplication::setApplicationName(kApplication);
  // No display name: Qt would append " — Plandeck" to every window title,
  // cutting the short captions of the dialogs.
  InstallChineseTranslations();
  // Every window without an icon of its own takes this one, the drawing
  // windows inside the main window too.
  QApplication::setWindowIcon(ProgramIcon());
}

// ---- status bar

TMainStatusBar::TMainStatusBar(QWidget* Parent) : QStatusBar(Parent) {
  setSizeGripEnabled(false);
  setMinimumHeight(fontMetrics().height() + 8);
}

void TMainStatusBar::SetPanelText(int Index, const QString& Text) {
  if (FText[Index] == Text) return;
  FText[Index] = Text;
  update();
}

void TMainStatusBar::UpdatePanelWidths() {
  const int w0 = static_cast<int>(std::lround(0.75 * (width() - 60)));
  const int w1 = static_cast<int>(std::lround(0.25 * (width() - 60)));
  if (w0 == FWidth[0] && w1 == FWidth[1]) return;
  FWidth[0] = w0;
  FWidth[1] = w1;
  PlacePanelWidget();
  update();
}

void TMainStatusBar::SetPanelWidget(QWidget* Widget) {
  FPanelWidget = Widget;
  PlacePanelWidget();
}

void TMainStatusBar::PlacePanelWidget() {
  if (FPanelWidget) FPanelWidget->setGeometry(2, 2, std::max(0, FWidth[0] - 5), std::max(0, height() - 4));
}

void TMainStatusBar::resizeEvent(QResizeEvent* Event) {
  QStatusBar::resizeEvent(Event);
  UpdatePanelWidths();
  PlacePanelWidget();
}

QColor TMainStatusBar::OrthoColor() const {
  return SysEnvironment && SysEnvironment->FOrtho ? QColor(0, 0, 0) : QColor(128, 128, 128);
}

void TMainStatusBar::paintEvent(QPaintEvent*) {
  UpdatePanelWidths();
  QPainter p(this);
  p.fillRect(rect(), palette().window());
  const QRect panels[3] = {QRect(0, 1, FWidth[0] - 2, height() - 2), QRect(FWidth[0], 1, FWidth[1] - 2, height() - 2),
                           QRect(FWidth[0] + FWidth[1], 1, 50, height() - 2)};
  for (int i = 0; i < 3; ++i) {
    p.setPen(palette().color(QPalette::Mid));
    p.drawLine(panels[i].topLeft(), panels[i].topRight());
    p.drawLine(panels[i].topLeft(), panels[i].bottomLeft());
    p.setPen(palette().color(QPalette::Light));
    p.drawLine(panels[i].bottomLeft(), panels[i].bottomRight());
    p.drawLine(panels[i].topRight(), panels[i].bottomRight());
  }
  p.setPen(palette().color(QPalette::WindowText));
  for (int i = 0; i < 2; ++i) p.drawText(panels[i].adjusted(4, 0, -2, 0), Qt::AlignVCenter | Qt::AlignLeft, FText[i]);
  p.setPen(OrthoColor());
  p.drawText(panels[2], Qt::AlignCenter, Q("正交"));
}

void TMainStatusBar::mouseDoubleClickEvent(QMouseEvent* Event) {
  if (Event->position().x() >= width() - 60 && SysEnvironment) {
    SysEnvironment->FOrtho = !SysEnvironment->FOrtho;
    repaint();
  }
  QStatusBar::mouseDoubleClickEvent(Event);
}

// ---- creation

TMainForm::TMainForm(QWidget* Parent) : QMainWindow(Parent) {
  setObjectName("MainForm");
  FMdiArea = new QMdiArea(this);
  FMdiArea->setBackground(palette().brush(QPalette::Dark));
  setCentralWidget(FMdiArea);
  FStatusBar = new TMainStatusBar(this);
  setStatusBar(FStatusBar);
  FPointEntry = new TPointEntryBox(FStatusBar);
  FStatusBar->SetPanelWidget(FPointEntry);
  FormCreate();
  BuildActions();
  BuildMenus();
  BuildToolBars();
  FIndex = new TfDef_Inh(this);
  FArial = new TArial(this);
  addDockWidget(Qt::RightDockWidgetArea, FIndex);
  addDockWidget(Qt::RightDockWidgetArea, FArial);
  FIndex->hide();
  FArial->hide();
  FAbout = new TAboutBox(this);
  setAcceptDrops(true);
  if (auto* dispatcher = QAbstractEventDispatcher::instance())
    connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this, [this] { IdleUpdate(); });
  if (!MainForm) MainForm = this;
  IdleUpdate();
}

TMainForm::~TMainForm() {
  FClosing = true;
  // Drawing windows report to this window while they go; a closed one may
  // still wait for its deferred deletion and is no longer listed.
  for (QMdiSubWindow* s : FMdiArea->findChildren<QMdiSubWindow*>()) delete s;
  if (SysEnvironment == EnvironmentComponent1->FEnvironment.get()) SysEnvironment = nullptr;
  if (MainForm == this) MainForm = nullptr;
}

void TMainForm::FormCreate() {
  setWindowTitle("Plandeck");
  if (Dir_Sys.empty()) InitDirSys();
  EnvironmentComponent1 = std::make_unique<TEnvironmentComponent>();
  // A damaged file leaves the defaults.
  LoadProgramEnvironment(*EnvironmentComponent1, Dir_Sys, UserEnvironmentFolder());
  SysEnvironment = EnvironmentComponent1->FEnvironment.get();
  FShownOrtho = SysEnvironment->FOrtho;
}

void TMainForm::BuildActions() {
  for (const auto* table : {&ActionTable(), &MenuItemTable(), &ToolButtonTable()}) {
    for (const TActionDef& d : *table) {
      auto* a = new QAction(Q(d.Caption), this);
      a->setObjectName(d.Name);
      a->setToolTip(Q(d.Hint));
      a->setStatusTip(Q(d.Hint));
      // Buttons show the caption without its accelerator and ellipsis.
      a->setIconText(Q(d.Caption).remove(QRegularExpression("\\(&.\\)|&|\\.\\.\\.$")));
      if (*d.Shortcut) a->setShortcut(QKeySequence(Q(d.Shortcut), QKeySequence::PortableText));
      a->setIcon(ActionIcon(d.Name));
      bool enabled = !d.Missing;
      // A figure kind the program does not have yet has no tool.
      if (d.Effect == TActionEffect::Tool) enabled = FamilyOfAction(d.Name) != nullptr;
      a->setEnabled(enabled);
      const TActionDef* def = &d;
      connect(a, &QAction::triggered, this, [this, def] { RunAction(*def); });
      addAction(a);  // shortcuts work with the tool bars hidden too
      FActions.emplace(d.Name, a);
    }
  }
  for (const char* n : {"mi_ViewNormal", "mi_ViewDraw1", "mi_ViewDraw2", "mi_ViewOperate"}) {
    FActions[n]->setCheckable(true);
    FActions[n]->setChecked(true);
  }
}

void TMainForm::BuildMenus() {
  for (const TMenuNode& top : MainMenuLayout()) {
    QMenu* m = menuBar()->addMenu(Q(top.Caption));
    FTopMenus.push_back(m);
    FillMenu(*m, top);
  }
  connect(FRecentMenu, &QMenu::aboutToShow, this, [this] { RebuildRecentMenus(); });
  connect(FWindowMenu, &QMenu::aboutToShow, this, [this] { RebuildWindowMenu(); });
}

void TMainForm::FillMenu(QMenu& Menu, const TMenuNode& Node) {
  for (const TMenuNode& item : Node.Items) {
    const std::string_view name = item.Name;
    if (name == "-") {
      Menu.addSeparator();
    } else if (name == "MRU") {
      FRecentMenu = Menu.addMenu(Q("重新打开"));
    } else if (name == "WindowList") {
      FWindowMenu = &Menu;
      FWindowListStart = static_cast<int>(Menu.actions().size());
    } else if (!item.Items.empty()) {
      FillMenu(*Menu.addMenu(Q(item.Caption)), item);
    } else if (QAction* a = Action(name)) {
      Menu.addAction(item.Caption ? Proxy(a, item.Caption, nullptr, &Menu) : a);
    }
  }
}

void TMainForm::BuildToolBars() {
  FRecentDropDown = new QMenu(this);
  connect(FRecentDropDown, &QMenu::aboutToShow, this, [this] { RebuildRecentMenus(); });
  int index = 0;
  for (const TToolBarDef& def : ToolBarLayout()) {
    auto* bar = new QToolBar(Q(def.Caption), this);
    bar->setObjectName(def.Name);
    bar->setIconSize(QSize(24, 24));
    addToolBar(def.Area, bar);
    FToolBars[index++] = bar;
    for (const char* n : def.Items) {
      const std::string_view name = n;
      if (name == "|") {
        bar->addSeparator();
      } else if (name == "TB_PenColor" || name == "TB_FillColor" || name == "TB_FontColor") {
        const TActionDef& d = *FindActionDef(name);
        const char* none = name == "TB_PenColor" ? "无线条颜色" : name == "TB_FillColor" ? "无填充颜色" : "自动";
        auto* b = new TColorButton(Q(none), Q(d.Hint), bar);
        b->setObjectName(d.Name);
        FColorButtons.push_back(b);
        if (name == "TB_PenColor") {
          b->Current = [this]() -> std::optional<unsigned> {
            return View() ? SelectionPenColor(*View()) : std::optional<unsigned>{};
          };
          b->Chosen = [this](std::optional<unsigned> c) {
            if (View()) PenColorCommand(*View(), c);
          };
        } else if (name == "TB_FillColor") {
          b->ShowColor(std::nullopt);  // starts in its no-colour state
          b->Current = [this]() -> std::optional<unsigned> {
            return View() ? SelectionFillColor(*View()) : std::optional<unsigned>{};
          };
          b->Chosen = [this](std::optional<unsigned> c) {
            if (View()) FillColorCommand(*View(), c);
          };
        } else {
          b->Current = [this]() -> std::optional<unsigned> {
            return View() ? SelectionFontColor(*View()) : std::optional<unsigned>{};
          };
          b->Chosen = [this](std::optional<unsigned> c) {
            if (View()) FontColorCommand(*View(), c.value_or(0));
          };
        }
        bar->addWidget(b);
      } else if (QAction* a = Action(name)) {
        const char* hint = ToolBarHint(name);
        bar->addAction(hint ? Proxy(a, nullptr, hint, bar) : a);
        if (name == "A_Open") {
          if (auto* b = qobject_cast<QToolButton*>(bar->widgetForAction(a))) {
            b->setMenu(FRecentDropDown);
            b->setPopupMode(QToolButton::MenuButtonPopup);
          }
        }
      }
    }
  }
}

// ---- lookups

QAction* TMainForm::Action(std::string_view Name) const {
  auto it = FActions.find(Name);
  return it == FActions.end() ? nullptr : it->second;
}

std::vector<std::string> TMainForm::ActionNames() const {
  std::vector<std::string> names;
  for (const auto& [n, a] : FActions) names.push_back(n);
  return names;
}

QMenu* TMainForm::TopMenu(int Index) const {
  return Index >= 0 && Index < static_cast<int>(FTopMenus.size()) ? FTopMenus[Index] : nullptr;
}

QToolBar* TMainForm::ToolBar(int Index) const { return Index >= 1 && Index <= 4 ? FToolBars[Index - 1] : nullptr; }

TDef_Tx* TMainForm::ActiveDrawing() const {
  // The current window stays known while the frame itself is not active.
  QMdiSubWindow* s = FMdiArea->currentSubWindow();
  return s ? dynamic_cast<TDef_Tx*>(s->widget()) : nullptr;
}

std::vector<TDef_Tx*> TMainForm::Drawings() const {
  std::vector<TDef_Tx*> out;
  for (QMdiSubWindow* s : FMdiArea->subWindowList())
    if (auto* tx = dynamic_cast<TDef_Tx*>(s->widget())) out.push_back(tx);
  return out;
}

TDrawView* TMainForm::View() const {
  TDef_Tx* tx = ActiveDrawing();
  return tx && tx->Document() ? &tx->DrawView() : nullptr;
}

void TMainForm::RunAction(const TActionDef& Def) {
  switch (Def.Effect) {
    case TActionEffect::Tool:
      if (TDef_Tx* tx = ActiveDrawing(); tx && tx->Document())
        if (const TFigureFamily* f = FamilyOfAction(Def.Name)) tx->SetTool(f->Class);
      break;
    case TActionEffect::Operation:
      if (TDrawView* v = View()) v->SetOperation(Def.Operation);
      break;
    case TActionEffect::Command:
      if (Def.Command) (this->*Def.Command)();
      break;
  }
}

void TMainForm::SetDefaultOperation(TDrawView& V) const {
  V.SetOperation(SysEnvironment && !SysEnvironment->FAllowMove ? omNormal : omMove);
}

TDrawingWindowHost TMainForm::Host() {
  TDrawingWindowHost h;
  h.ShowPosition = [this](const std::string& Text) { FStatusBar->SetPanelText(1, Q(Text)); };
  h.StatusChanged = [this] { FStatusBar->repaint(); };
  h.AddRecentFile = [this](const std::string& Name) { AddRecentFile(Name); };
  h.RebuildIndex = [this] {
    if (FIndex->isVisible()) FIndex->IndexView().OnInitialUpdate();
  };
  return h;
}

// ---- events

bool TMainForm::event(QEvent* Event) {
  if (Event->type() == QEvent::StatusTip) {
    FStatusBar->SetPanelText(0, static_cast<QStatusTipEvent*>(Event)->tip());
    return true;
  }
  return QMainWindow::event(Event);
}

void TMainForm::closeEvent(QCloseEvent* Event) {
  // Every drawing is asked first; one refusal keeps everything open.
  for (TDef_Tx* tx : Drawings()) {
    if (!tx->CloseQuery()) {
      Event->ignore();
      return;
    }
  }
  FClosing = true;
  // The environment file is a convenience: failing to write it must not stop the exit.
  SaveProgramEnvironment(*EnvironmentComponent1, Dir_Sys, UserEnvironmentFolder());
  // Released without asking a second time.
  for (QMdiSubWindow* s : FMdiArea->subWindowList()) delete s;
  FIndex->hide();
  FArial->hide();
  Event->accept();
}

void TMainForm::dragEnterEvent(QDragEnterEvent* Event) {
  if (Event->mimeData()->hasUrls()) Event->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* Event) {
  std::vector<std::string> names;
  for (const QUrl& u : Event->mimeData()->urls())
    if (u.isLocalFile()) names.push_back(u.toLocalFile().toStdString());
  Event->acceptProposedAction();
  DropFiles(names);
}

// ---- files

TDef_Tx* TMainForm::CreateDrawing(const std::string& AName) {
  auto* tx = new TDef_Tx(Host());
  tx->DrawView().SetPointEntry(FPointEntry);
  tx->setWindowTitle(Q(AName));
  QMdiSubWindow* s = FMdiArea->addSubWindow(tx);
  s->setAttribute(Qt::WA_DeleteOnClose);
  s->showMaximized();
  FMdiArea->setActiveSubWindow(s);
  return tx;
}

bool TMainForm::OpenFile(const std::string& AName) {
  if (!FileExists(AName)) {
    MessageDlg("文件不存在！", mtWarning, mbOK);
    return false;
  }
  // A DXF file chosen under another filter, given on the command line or dropped.
  if (HasSuffix(AName, "DXF")) {
    CreateDrawing(AName)->LoadFromDxfFile(AName);
    return true;
  }
  for (QMdiSubWindow* s : FMdiArea->subWindowList()) {
    auto* tx = dynamic_cast<TDef_Tx*>(s->widget());
    if (!tx || tx->windowTitle().compare(Q(AName), Qt::CaseInsensitive) != 0) continue;
    s->showMaximized();
    FMdiArea->setActiveSubWindow(s);
    if (MessageDlg("文件 " + AName + " 已经打开,需要重新打开该文件吗？", mtConfirmation, mbYes | mbNo) != mrYes)
      return false;
    tx->LoadFromFile(AName);
    tx->update();
    return true;
  }
  TDef_Tx* tx = CreateDrawing(AName);
  tx->LoadFromFile(AName);
  tx->update();
  return true;
}

void TMainForm::DropFiles(const std::vector<std::string>& Names) {

  for (const std::string& n : Names)
    if (HasSuffix(n, "GCK") || HasSuffix(n, "DXF")) OpenFile(n);
}

std::vector<std::string> TMainForm::RecentFiles() const {
  QSettings settings(kOrganisation, kApplication);
  std::vector<std::string> out;
  for (const QString& s : settings.value(kRecentKey).toStringList()) out.push_back(s.toStdString());
  return out;
}

namespace {
void StoreRecent(const std::vector<std::string>& List) {
  QStringList l;
  for (const std::string& s : List) l << Q(s);
  QSettings settings(kOrganisation, kApplication);
  settings.setValue(kRecentKey, l);
}
}  // namespace

void TMainForm::AddRecentFile(const std::string& Name) {
  if (Name.empty()) return;
  std::vector<std::string> list = RecentFiles();
  std::erase(list, Name);
  list.insert(list.begin(), Name);
  if (list.size() > kRecentMax) list.resize(kRecentMax);
  StoreRecent(list);
}

void TMainForm::ClearRecentFiles() { StoreRecent({}); }

void TMainForm::RemoveMissingRecentFiles() {
  std::vector<std::string> list = RecentFiles();
  std::erase_if(list, [](const std::string& n) { return !FileExists(n); });
  StoreRecent(list);
}

void TMainForm::OpenRecentFile(const std::string& Name) {
  if (!HasSuffix(Name, "DXF")) {
    OpenFile(Name);
  } else if (FileExists(Name)) {
    CreateDrawing(Name)->LoadFromDxfFile(Name);
  } else {
    MessageDlg("文件不存在！", mtWarning, mbOK);
  }
}

void TMainForm::RebuildRecentMenus() {
  const std::vector<std::string> list = RecentFiles();
  for (QMenu* m : {FRecentMenu, FRecentDropDown}) {
    m->clear();
    for (std::size_t i = 0; i < list.size(); ++i) {
      const std::string name = list[i];
      QAction* a = m->addAction(QString("&%1 %2").arg(i + 1).arg(Q(name)));
      connect(a, &QAction::triggered, this, [this, name] { OpenRecentFile(name); });
    }
    if (!list.empty()) m->addSeparator();
    connect(m->addAction(Q("清空文件列表")), &QAction::triggered, this, [this] { ClearRecentFiles(); });
    connect(m->addAction(Q("删除无效文件列表")), &QAction::triggered, this, [this] { RemoveMissingRecentFiles(); });
  }
}

void TMainForm::RebuildWindowMenu() {
  QList<QAction*> all = FWindowMenu->actions();
  for (int i = FWindowListStart; i < all.size(); ++i) {
    FWindowMenu->removeAction(all[i]);
    if (all[i]->parent() == FWindowMenu) delete all[i];
  }
  const QList<QMdiSubWindow*> windows = FMdiArea->subWindowList();
  if (windows.isEmpty()) return;
  FWindowMenu->addSeparator();
  for (int i = 0; i < windows.size(); ++i) {
    QMdiSubWindow* s = windows[i];
    QAction* a = FWindowMenu->addAction(QString("&%1 %2").arg(i + 1).arg(s->windowTitle()));
    a->setCheckable(true);
    a->setChecked(s == FMdiArea->currentSubWindow());
    connect(a, &QAction::triggered, this, [this, s] { FMdiArea->setActiveSubWindow(s); });
  }
}

// ---- idle update

void TMainForm::IdleUpdate() {
  if (FInIdle || FClosing) return;
  FInIdle = true;
  TDef_Tx* tx = ActiveDrawing();
  TFiguresDoc* doc = tx ? tx->Document() : nullptr;
  if (tx && !doc) {
    FInIdle = false;
    return;
  }
  for (const char* n : {"A_Close", "mi_FileSaveAs", "mi_FileProperties", "A_Cut", "A_Copy", "A_Paste",
                        "mi_EditPastePicture", "A_Delete", "mi_EditSelectAll"})
    Action(n)->setEnabled(doc != nullptr);
  // Printing to a PDF file is always offered, so a drawing is all it takes.
  for (const char* n : {"A_Print", "A_PrintPreview"}) Action(n)->setEnabled(!Drawings().empty());
  Action("A_Undo")->setEnabled(doc && doc->GetUndoCount() > 0);
  Action("A_Redo")->setEnabled(doc && doc->FFigures->RedoCount() > 0);
  Action("A_Save")->setEnabled(doc && (tx->IsNew || doc->GetModifiedFlag()));
  if (doc && FArial->isVisible()) {
    TArialView& arial = FArial->ArialView();
    if (arial.Document() != doc) {
      arial.SetDocument(doc);
      arial.ZoomToFit();
      arial.SetDocRect(tx->DrawView().GetClientDocRect());
    }
  }
  if (FIndex->isVisible() && FIndex->IndexView().Document() != doc) FIndex->IndexView().SetDocument(doc);
  const char* checks[4] = {"mi_ViewNormal", "mi_ViewDraw1", "mi_ViewDraw2", "mi_ViewOperate"};
  for (int i = 0; i < 4; ++i) Action(checks[i])->setChecked(!FToolBars[i]->isHidden());
  // A position belongs to a drawing: with none open there is none to show.
  if (!tx) FStatusBar->SetPanelText(1, QString());
  FStatusBar->UpdatePanelWidths();
  if (SysEnvironment && SysEnvironment->FOrtho != FShownOrtho) {
    FShownOrtho = SysEnvironment->FOrtho;
    FStatusBar->update();
  }
  FInIdle = false;
}
