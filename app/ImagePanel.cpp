#include "app/ImagePanel.h"

#include "app/Commands.h"
#include "app/OptionDialogs.h"
#include "app/Def_Tx.h"
#include "app/PropertyForm.h"
#include "foundation/ComponentImage.h"
#include "platform/Clipboard.h"
#include "platform/FileDialog.h"
#include "platform/QtCanvas.h"
#include "platform/System.h"

#include <QColorDialog>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

QString Q(const std::string& S) { return QString::fromStdString(S); }

// Puts back what a thumbnail changes on the block it paints.
class TThumbnailState {
public:
  explicit TThumbnailState(TCustomFigureSet& Set) : FSet(Set), FScale(Set.FScale), FYd(Set.FYd), FXzJd(Set.FXzJd) {}
  ~TThumbnailState() {
    FSet.FScale = FScale;
    FSet.FYd = FYd;
    FSet.FXzJd = FXzJd;
  }
  TThumbnailState(const TThumbnailState&) = delete;
  TThumbnailState& operator=(const TThumbnailState&) = delete;

private:
  TCustomFigureSet& FSet;
  double FScale;
  Tpt FYd;
  double FXzJd;
};

// The 8x8 diagonal of the selection overlay, one byte a row.
constexpr std::uint8_t kHatch[8] = {0x11, 0x22, 0x44, 0x88, 0x11, 0x22, 0x44, 0x88};

// Tiles bigger than this are cut: the preview shows a part of them anyway.
constexpr int kMaxTile = 2048;

// One logical unit a pixel, y up, the logical origin at device (0, OriginY).
void MapYUp(TCanvas& DC, int OriginY) {
  DC.SetMapMode(MM_ANISOTROPIC);
  DC.SetWindowExtEx(1, 1);
  DC.SetViewportExtEx(1, -1);
  DC.SetViewportOrgEx(0, OriginY);
}

bool ParseNumber(const std::string& Text, double& Value) {
  char* end = nullptr;
  const double v = std::strtod(Text.c_str(), &end);
  if (end == Text.c_str() || *end != '\0' || !std::isfinite(v)) return false;
  Value = v;
  return true;
}

std::string Format3(double V) {
  char s[64];
  std::snprintf(s, sizeof s, "%1.3f", V);
  return s;
}

}  // namespace

double ThumbnailFit(double Width, double Height, double BoxWidth, double BoxHeight) {
  const bool w = Width > 0 && std::isfinite(Width), h = Height > 0 && std::isfinite(Height);
  if (w && h) return std::min(BoxWidth / Width, BoxHeight / Height);
  if (w) return BoxWidth / Width;
  if (h) return BoxHeight / Height;
  return 0;
}

// ---- TImagePanel

TImagePanel::TImagePanel(QWidget* Parent) : QAbstractScrollArea(Parent) {
  setFocusPolicy(Qt::StrongFocus);
  FCaptionHeight = fontMetrics().boundingRect(QStringLiteral("V")).height();
  FPopMenu = new QMenu(this);
  const char* const entries[] = {"剪切", "复制", "粘贴", "-", "删除", "-", "重命名", "-", "间距及缩放系数..."};
  for (const char* e : entries) {
    QAction* a = std::string_view(e) == "-" ? FPopMenu->addSeparator() : FPopMenu->addAction(QString::fromUtf8(e));
    FMenuItems.push_back(a);
  }
  connect(FMenuItems[0], &QAction::triggered, this, [this] { CutItem(); });
  connect(FMenuItems[1], &QAction::triggered, this, [this] { CopyItem(); });
  connect(FMenuItems[2], &QAction::triggered, this, [this] { PasteItem(); });
  connect(FMenuItems[4], &QAction::triggered, this, [this] { DeleteItem(); });
  connect(FMenuItems[6], &QAction::triggered, this, [this] { AskRename(); });
  connect(FMenuItems[8], &QAction::triggered, this, [this] { EditScale(); });
  InitParameters();
}

TImagePanel::~TImagePanel() {
  if (FDocument && FDocument->FView == this) FDocument->FView = nullptr;
}

void TImagePanel::SetDocument(TImageDocument* Doc) {
  if (FDocument && FDocument->FView == this) FDocument->FView = nullptr;
  FDocument = Doc;
  if (FDocument) FDocument->FView = this;
  FSelectedList.clear();
  FSelection.clear();
  FItemIndex = -1;
  FCaptionHeight = fontMetrics().boundingRect(QStringLiteral("V")).height();
  InitParameters();
  viewport()->update();
}

void TImagePanel::DocumentChanged() {
  // Indices may point past the end now.
  std::erase_if(FSelectedList, [this](int i) { return i >= GetItemCount(); });
  if (FItemIndex >= GetItemCount()) FItemIndex = -1;
  RebuildSelection();
  InitParameters();
  viewport()->update();
}

void TImagePanel::DocumentFreed() {
  FDocument = nullptr;
  FSelectedList.clear();
  FSelection.clear();
  FItemIndex = -1;
  InitParameters();
  viewport()->update();
}

void TImagePanel::SetItemType(TItemType Type) {
  FItemType = Type;
  viewport()->update();
}

void TImagePanel::SetDisplayMode(TDisplayMode Mode) {
  FDisplayMode = Mode;
  InitParameters();
  viewport()->update();
}

int TImagePanel::GetItemCount() const { return FDocument ? FDocument->Count() : 0; }

void TImagePanel::SetItemIndex(int Index) {
  if (Index < 0 || Index >= GetItemCount()) return;
  FSelectedList = {Index};
  FItemIndex = Index;
  RebuildSelection();
  viewport()->update();
}

TTxBlock* TImagePanel::GetSelected() const {
  return FSelection.empty() ? nullptr : dynamic_cast<TTxBlock*>(FSelection.front());
}

void TImagePanel::RebuildSelection() {
  FSelection.clear();
  for (int i : FSelectedList)
    if (i >= 0 && i < GetItemCount()) FSelection.push_back(FDocument->Items(i));
}

void TImagePanel::InitParameters() {
  FItemWidth = FFigureItemWidth + FHorzGap;
  FItemHeight = FFigureItemHeight + FVertGap + FCaptionHeight;
  const int count = GetItemCount();
  const QSize client = maximumViewportSize();
  if (FDisplayMode == dmHorz) {
    FVertItemCount = std::max(1, client.height() / FItemHeight);
    FHorzItemCount = (count + FVertItemCount - 1) / FVertItemCount;
    if (FHorzItemCount * FItemWidth > client.width()) {
      // The horizontal scroll bar takes its height from the rows.
      const int h = client.height() - horizontalScrollBar()->sizeHint().height() - 1;
      FVertItemCount = std::max(1, h / FItemHeight);
      FHorzItemCount = (count + FVertItemCount - 1) / FVertItemCount;
    }
  } else {
    FHorzItemCount = std::max(1, client.width() / FItemWidth);
    FVertItemCount = (count + FHorzItemCount - 1) / FHorzItemCount;
    if (FVertItemCount * FItemHeight > client.height()) {
      const int w = client.width() - verticalScrollBar()->sizeHint().width() - 1;
      FHorzItemCount = std::max(1, w / FItemWidth);
      FVertItemCount = (count + FHorzItemCount - 1) / FHorzItemCount;
    }
  }
  const int rangeW = FHorzItemCount * FItemWidth, rangeH = FVertItemCount * FItemHeight;
  const QSize view = viewport()->size();
  horizontalScrollBar()->setRange(0, std::max(0, rangeW - view.width()));
  horizontalScrollBar()->setPageStep(view.width());
  verticalScrollBar()->setRange(0, std::max(0, rangeH - view.height()));
  verticalScrollBar()->setPageStep(view.height());
  verticalScrollBar()->setSingleStep(std::max(1, FItemHeight / 4));
  horizontalScrollBar()->setSingleStep(std::max(1, FItemWidth / 4));
}

TPoint TImagePanel::GetItemPoint(int Index) const {
  int column = 0, row = 0;
  if (FDisplayMode == dmHorz) {
    column = Index / std::max(1, FVertItemCount);
    row = Index % std::max(1, FVertItemCount);
  } else {
    column = Index % std::max(1, FHorzItemCount);
    row = Index / std::max(1, FHorzItemCount);
  }
  const int x = int(std::lround(FHorzGap / 2.0)) + column * FItemWidth;
  const int y = int(std::lround(FVertGap / 2.0)) + FCaptionHeight - (row + 1) * FItemHeight;
  return {x, y};
}

TRect TImagePanel::GetFigureRect(int Index) const {
  const TPoint p = GetItemPoint(Index);
  return {p.x, p.y + FFigureItemHeight, p.x + FFigureItemWidth, p.y};
}

TRect TImagePanel::GetItemRect(int Index) const {
  const TPoint p = GetItemPoint(Index);
  const int left = p.x - int(std::lround(FHorzGap / 2.0));
  const int bottom = p.y - FCaptionHeight - int(std::lround(FVertGap / 2.0));
  return {left, bottom + FItemHeight, left + FItemWidth, bottom};
}

// Logical: one unit a pixel, y up, the origin at the scrolled top-left.
void TImagePanel::PointClientToDoc(TPoint& P) const {
  P = {P.x + horizontalScrollBar()->value(), -(P.y + verticalScrollBar()->value())};
}

void TImagePanel::PointDocToClient(TPoint& P) const {
  P = {P.x - horizontalScrollBar()->value(), -P.y - verticalScrollBar()->value()};
}

void TImagePanel::RectClientToDoc(TRect& R) const {
  TPoint a{R.Left, R.Top}, b{R.Right, R.Bottom};
  PointClientToDoc(a);
  PointClientToDoc(b);
  R = {a.x, a.y, b.x, b.y};
}

void TImagePanel::RectDocToClient(TRect& R) const {
  TPoint a{R.Left, R.Top}, b{R.Right, R.Bottom};
  PointDocToClient(a);
  PointDocToClient(b);
  R = {a.x, a.y, b.x, b.y};
}

void TImagePanel::RefreshItem(int Index) {
  if (Index < 0 || Index >= GetItemCount()) return;
  TRect r = GetItemRect(Index);
  RectDocToClient(r);
  ExpandRect(r, 4);
  viewport()->update(QRect(QPoint(r.Left, r.Top), QPoint(r.Right, r.Bottom)));
}

// ---- painting

void TImagePanel::paintEvent(QPaintEvent*) {
  QImage image(viewport()->size(), QImage::Format_RGB32);
  RenderInto(image, image.rect());
  QPainter(viewport()).drawImage(0, 0, image);
}

QImage TImagePanel::Render() {
  QImage image(viewport()->size(), QImage::Format_RGB32);
  RenderInto(image, image.rect());
  return image;
}

void TImagePanel::RenderInto(QImage& Image, const QRect& Clip) {
  Image.fill(Qt::white);
  const int count = GetItemCount();
  {
    TQtCanvas dc(&Image);
    MapYUp(dc, 0);
    for (int i = 0; i < count; ++i) {
      TRect cell = GetItemRect(i);
      RectDocToClient(cell);
      ExpandRect(cell, 0);
      if (FItemType == itBlock && QRect(QPoint(cell.Left, cell.Top), QPoint(cell.Right, cell.Bottom)).intersects(Clip))
        PaintItem(dc, i);
    }
    dc.Finish();
  }
  QPainter painter(&Image);
  painter.setPen(Qt::black);
  const int space = std::max(1, painter.fontMetrics().horizontalAdvance(' '));
  for (int i = 0; i < count; ++i) {
    const TCustomFigure* f = FDocument->Items(i);
    TPoint p = GetItemPoint(i);
    PointDocToClient(p);
    if (FItemType == itFill) {
      PaintFill(painter, i);
      painter.setBrush(Qt::NoBrush);
      painter.drawRect(p.x, p.y - FFigureItemHeight, FFigureItemWidth - 1, FFigureItemHeight - 1);
    }
    // Centred by leading spaces, as the caption strip has always been laid out.
    const QString name = Q(f->FName);
    const int pad = std::max(0, (FFigureItemWidth - painter.fontMetrics().horizontalAdvance(name)) / (2 * space));
    painter.drawText(QRect(p.x, p.y, FItemWidth, FCaptionHeight), Qt::AlignLeft | Qt::AlignVCenter,
                     QString(pad, ' ') + name);
  }
  painter.end();
  for (int i : FSelectedList) HatchSelected(Image, i);
}

void TImagePanel::PaintItem(TCanvas& DC, int Index) {
  TCustomFigureSet* set = FDocument->SetItems(Index);
  // An empty block (or one of no size) shows an empty cell.
  if (!set || !set->FFigures || set->FFigures->Count() == 0) return;
  TPoint p = GetItemPoint(Index);
  PointDocToClient(p);
  const double s = set->GetScale();
  const double fit = ThumbnailFit(s * set->GetWidth(), s * set->GetHeight(), FFigureItemWidth, FFigureItemHeight);
  if (!(fit > 0) || !std::isfinite(fit)) return;
  TDCSaver saver(DC);
  DC.SetViewportOrgEx(p.x, p.y);
  DC.IntersectClipRect(0, 0, FFigureItemWidth, FFigureItemHeight);
  TThumbnailState keep(*set);
  set->FScale = s * fit;
  set->FYd = {0, 0};
  set->FXzJd = 0;
  set->DrawDC(DC, nullptr, TRect{});
}

void TImagePanel::PaintFill(QPainter& Painter, int Index) {
  TCustomFigureSet* set = FDocument->SetItems(Index);
  if (!set) return;
  TPoint p = GetItemPoint(Index);
  PointDocToClient(p);
  // One tile at its natural size, repeated over the inset thumbnail.
  const double s = set->GetScale();
  const int tw = int(std::lround(s * set->GetWidth())), th = int(std::lround(s * set->GetHeight()));
  if (tw < 1 || th < 1) return;
  QImage tile(std::min(tw, kMaxTile), std::min(th, kMaxTile), QImage::Format_RGB32);
  tile.fill(Qt::white);
  {
    TQtCanvas tc(&tile);
    MapYUp(tc, th);
    TThumbnailState keep(*set);
    set->FYd = {0, 0};
    set->FXzJd = 0;
    set->DrawDC(tc, nullptr, TRect{});
    tc.Finish();
  }
  Painter.drawTiledPixmap(QRect(p.x + 2, p.y - FFigureItemHeight + 2, FFigureItemWidth - 4, FFigureItemHeight - 4),
                          QPixmap::fromImage(tile));
}

void TImagePanel::HatchSelected(QImage& Image, int Index) {
  if (Index < 0 || Index >= GetItemCount()) return;
  TPoint p = GetItemPoint(Index);
  PointDocToClient(p);
  const QRect r = QRect(p.x, p.y - FFigureItemHeight, FFigureItemWidth, FFigureItemHeight).intersected(Image.rect());
  // Destination AND pattern, white ink on black: the set bits turn black.
  for (int y = r.top(); y <= r.bottom(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(Image.scanLine(y));
    for (int x = r.left(); x <= r.right(); ++x)
      if ((kHatch[y & 7] >> (7 - (x & 7))) & 1) line[x] = qRgb(0, 0, 0);
  }
}

void TImagePanel::resizeEvent(QResizeEvent* Event) {
  QAbstractScrollArea::resizeEvent(Event);
  InitParameters();
}

// ---- selection

int TImagePanel::HitItem(TPoint Client) const {
  TPoint p = Client;
  PointClientToDoc(p);
  const int x = p.x, y = std::abs(p.y);
  if (x < 0 || FItemWidth <= 0 || FItemHeight <= 0) return -1;
  int index = -1;
  if (FDisplayMode == dmHorz) {
    if (y >= FVertItemCount * FItemHeight) return -1;
    index = (x / FItemWidth) * FVertItemCount + y / FItemHeight;
  } else {
    if (x >= FHorzItemCount * FItemWidth) return -1;
    index = (y / FItemHeight) * FHorzItemCount + x / FItemWidth;
  }
  return index < GetItemCount() ? index : -1;
}

void TImagePanel::ClickAt(TPoint Client, bool Ctrl, bool Shift) {
  std::vector<int> before = FSelectedList;
  const int hit = HitItem(Client);
  if (hit < 0) {
    FSelectedList.clear();
    FItemIndex = -1;
  } else if (Ctrl) {
    if (auto it = std::find(FSelectedList.begin(), FSelectedList.end(), hit); it != FSelectedList.end())
      FSelectedList.erase(it);
    else
      FSelectedList.push_back(hit);
  } else if (Shift) {
    const int from = std::max(FItemIndex, 0);
    FSelectedList.clear();
    for (int i = std::min(from, hit); i <= std::max(from, hit); ++i) FSelectedList.push_back(i);
  } else if (std::find(FSelectedList.begin(), FSelectedList.end(), hit) == FSelectedList.end()) {
    FSelectedList = {hit};
    FItemIndex = hit;
  } else {
    FItemIndex = hit;
  }
  RebuildSelection();
  for (int i : before) RefreshItem(i);
  for (int i : FSelectedList) RefreshItem(i);
  if (FOnSelect) FOnSelect();
}

void TImagePanel::mousePressEvent(QMouseEvent* Event) {
  if (Event->button() != Qt::LeftButton) return;
  const QPoint p = Event->position().toPoint();
  ClickAt({p.x(), p.y()}, Event->modifiers() & Qt::ControlModifier, Event->modifiers() & Qt::ShiftModifier);
}

void TImagePanel::mouseDoubleClickEvent(QMouseEvent* Event) {
  if (Event->button() == Qt::LeftButton && FOnDblClick) FOnDblClick();
}

// ---- the pop-up menu

void TImagePanel::SetPopUpMenuOption(int Option) {
  for (std::size_t i = 0; i < FMenuItems.size(); ++i)
    FMenuItems[i]->setVisible(Option == 0 || (Option == 2 && i == 8));
}

void TImagePanel::UpdatePopupMenu() {
  const bool any = !FSelection.empty(), one = FSelection.size() == 1;
  for (QAction* a : FMenuItems) a->setEnabled(any);
  FMenuItems[6]->setEnabled(one);
  FMenuItems[8]->setEnabled(one);
  FMenuItems[2]->setEnabled(CheckClipBoard());
}

void TImagePanel::contextMenuEvent(QContextMenuEvent* Event) {
  const bool shown = std::any_of(FMenuItems.begin(), FMenuItems.end(), [](QAction* a) { return a->isVisible(); });
  if (!shown || !FDocument) return;
  UpdatePopupMenu();
  FPopMenu->exec(Event->globalPos());
}

void TImagePanel::Changed() {
  if (FDocument) FDocument->FChanged = true;
  if (FOnChange) FOnChange();
}

void TImagePanel::CopyItem() {
  if (FSelection.empty()) return;
  TMyList list;
  for (TCustomFigure* f : FSelection) list.Add(f);
  SetClipboardComponent(WriteClipboardImage(list));
}

void TImagePanel::CutItem() {
  CopyItem();
  DeleteItem();
}

void TImagePanel::DeleteItem() {
  if (!FDocument) return;
  std::vector<int> gone = FSelectedList;
  std::sort(gone.rbegin(), gone.rend());
  bool removed = false;
  for (int i : gone)
    if (i >= 0 && i < GetItemCount()) {
      FDocument->FFigures->Delete(i);
      removed = true;
    }
  FSelectedList.clear();
  FSelection.clear();
  FItemIndex = -1;
  if (removed) Changed();
  InitParameters();
  viewport()->update();
}

void TImagePanel::PasteItem() {
  if (!FDocument) return;
  // Anything but a figure list on the clipboard is ignored.
  try {
    const auto image = GetClipboardComponent();
    if (!image) return;
    std::unique_ptr<TMyList> list = ReadClipboardImage(*image);
    if (!list) return;
    std::vector<std::unique_ptr<TMyPersistent>> items = list->TakeReadItems();
    int at = FItemIndex < 0 ? GetItemCount() : FItemIndex;
    FSelectedList.clear();
    // Last first at one index keeps the pasted order.
    for (auto it = items.rbegin(); it != items.rend(); ++it) {
      auto* block = dynamic_cast<TTxBlock*>(it->get());
      if (!block) continue;
      it->release();
      FDocument->InsertItem(at, std::unique_ptr<TTxBlock>(block));
    }
    for (int i = 0; i < int(items.size()); ++i)
      if (at + i < GetItemCount()) FSelectedList.push_back(at + i);
    RebuildSelection();
    Changed();
  } catch (const std::exception&) {
    return;
  }
  InitParameters();
  viewport()->update();
}

void TImagePanel::RenameCurrentItem(const std::string& Name) {
  if (FSelection.size() != 1 || !CheckSavableText(Name)) return;
  FSelection.front()->FName = Name;
  RefreshItem(FSelectedList.front());
  Changed();
}

void TImagePanel::AskRename() {
  if (FSelection.size() != 1) return;
  std::string text = FSelection.front()->FName;
  if (InputQuery({"重命名", "请输入元件新名称：", text}, text)) RenameCurrentItem(text);
}

void TImagePanel::EditScale() {
  TTxBlock* block = GetSelected();
  if (!block || FSelection.size() != 1) return;
  if (FillItemGapScale(*block, this)) {
    RefreshItem(FSelectedList.front());
    Changed();
  }
}

// ---- 填充块属性

bool FillItemGapScale(TTxBlock& Block, QWidget* Parent) {
  std::string scale = Format3(Block.GetScale());
  std::string horz = Format3(Block.GetScale() * Block.FHorzGap);
  std::string vert = Format3(Block.GetScale() * Block.FVertGap);
  TFormDef d;
  d.Caption = "填充块属性";
  d.Fields.push_back(TextField(TFieldKind::Number, "缩放系数:", scale));
  d.Fields.push_back(TextField(TFieldKind::Number, "水平方向：", horz, "填充块间距："));
  d.Fields.push_back(TextField(TFieldKind::Number, "垂直方向：", vert, "填充块间距："));
  d.Accepted = [&] {
    double s = 0, h = 0, v = 0;
    if (!ParseNumber(scale, s)) return;
    Block.SetScale(s);
    const double now = Block.GetScale();
    if (!ParseNumber(horz, h)) return;
    Block.FHorzGap = h / now;
    if (!ParseNumber(vert, v)) return;
    Block.FVertGap = v / now;
  };
  TPropertyForm form(std::move(d), Parent);
  return RunCommandForm(form);
}

// ---- loading a library

TImageDocument& TLibraryLoader::Load(const std::string& Path) {
  std::string error;
  FLoaded = Path;
  if (!ReadImageLibrary(Path, FProject, error)) ShowMessage(error);
  return FProject.FirstDocument();
}

namespace {

// Adds a browsed library file to List and Paths; the index of its entry.
int AddBrowsed(TLibraryKind Kind, QWidget* Owner, std::vector<std::string>& Paths,
               const std::function<void(const std::string&)>& AddName) {
  TFileDialogRequest r;
  r.Caption = "打开";
  r.Filter = Kind == TLibraryKind::Block ? "图块库文件(*.tkk)|*.tkk|所有文件(*.*)|*.*"
                                         : "填充库文件(*.tck)|*.tck|所有文件(*.*)|*.*";
  r.InitialDir = LegendFolder();
  (void)Owner;
  const TFileDialogAnswer a = RunFileDialog(r);
  if (!a.Ok || a.FileName.empty()) return -1;
  Paths.push_back(a.FileName);
  AddName(a.FileName);
  return int(Paths.size()) - 1;
}

QPushButton* Button(const char* Text, QWidget* Parent) { return new QPushButton(QString::fromUtf8(Text), Parent); }

void PaintColourButton(QPushButton& B, COLORREF C) {
  const QColor q = ColorRefToQColor(C);
  B.setStyleSheet(QStringLiteral("QPushButton { background-color: %1; }").arg(q.name()));
}

}  // namespace

// ---- 输入图块

TInputItem::TInputItem(QWidget* Parent) : QDialog(Parent) {
  setWindowTitle(QStringLiteral("输入图块"));
  auto* outer = new QHBoxLayout(this);
  auto* left = new QVBoxLayout;
  outer->addLayout(left, 1);
  left->addWidget(new QLabel(QStringLiteral("图块库：")));
  FList = new QListWidget;
  left->addWidget(FList, 1);
  QPushButton* browse = Button("浏览...", this);
  left->addWidget(browse);
  auto* right = new QVBoxLayout;
  outer->addLayout(right, 3);
  FFileLabel = new QLabel(QStringLiteral("文件："));
  FFileLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
  right->addWidget(FFileLabel);
  FPanel = new TImagePanel;
  FPanel->setMinimumSize(460, 320);
  FPanel->SetPopUpMenuOption(1);
  right->addWidget(FPanel, 1);
  auto* buttons = new QDialogButtonBox;
  buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole)->setDefault(true);
  buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
  QPushButton* help = buttons->addButton(QStringLiteral("帮助"), QDialogButtonBox::HelpRole);
  right->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(help, &QPushButton::clicked, this, [] { OpenHelpFile(); });
  connect(browse, &QPushButton::clicked, this, [this] { Browse(); });
  FPanel->FOnDblClick = [this] { accept(); };

  for (const TLibraryEntry& e : KnownLibraries(TLibraryKind::Block)) {
    FList->addItem(Q(e.Name));
    FPaths.push_back(e.Path);
  }
  connect(FList, &QListWidget::currentRowChanged, this, [this](int Row) { SelectLibrary(Row); });
  if (!FPaths.empty()) FList->setCurrentRow(0);
}

TInputItem::~TInputItem() { FPanel->SetDocument(nullptr); }

void TInputItem::SelectLibrary(int Index) {
  if (Index < 0 || Index >= int(FPaths.size())) return;
  if (FList->currentRow() != Index) {
    FList->setCurrentRow(Index);  // comes back here
    return;
  }
  FPanel->SetDocument(nullptr);
  FPanel->SetDocument(&FLoader.Load(FPaths[std::size_t(Index)]));
  FFileLabel->setText(QStringLiteral("文件：") + Q(FPaths[std::size_t(Index)]));
}

void TInputItem::Browse() {
  const int i = AddBrowsed(TLibraryKind::Block, this, FPaths, [this](const std::string& Name) {
    FList->addItem(Q(Name));
  });
  if (i >= 0) SelectLibrary(i);
}

// ---- 自定义填充

TBrushStylePage::TBrushStylePage(QWidget* Parent) : QWidget(Parent) {
  auto* outer = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  outer->addLayout(top);
  top->addWidget(new QLabel(QStringLiteral("填充库：")));
  FCombo = new QComboBox;
  top->addWidget(FCombo, 1);
  QPushButton* browse = Button("浏览...", this);
  top->addWidget(browse);
  FLibrary = new TImagePanel;
  FLibrary->SetItemType(itFill);
  FLibrary->SetPopUpMenuOption(1);
  FLibrary->setMinimumSize(360, 150);
  outer->addWidget(FLibrary, 1);
  auto* bottom = new QHBoxLayout;
  outer->addLayout(bottom);
  FChosenPanel = new TImagePanel;
  FChosenPanel->SetItemType(itFill);
  FChosenPanel->SetPopUpMenuOption(2);
  FChosenPanel->setFixedSize(FChosenPanel->FFigureItemWidth + FChosenPanel->FHorzGap + 4,
                             FChosenPanel->FFigureItemHeight + FChosenPanel->FVertGap + FChosenPanel->CaptionHeight() + 4);
  FChosenPanel->SetDocument(&FChosen);
  bottom->addWidget(FChosenPanel);
  auto* colours = new QGridLayout;
  bottom->addLayout(colours);
  colours->addWidget(new QLabel(QStringLiteral("前景色：")), 0, 0);
  FFore = new QPushButton;
  colours->addWidget(FFore, 0, 1);
  colours->addWidget(new QLabel(QStringLiteral("背景色：")), 1, 0);
  FBack = new QPushButton;
  colours->addWidget(FBack, 1, 1);
  bottom->addStretch(1);
  ShowColours();

  connect(browse, &QPushButton::clicked, this, [this] { Browse(); });
  connect(FFore, &QPushButton::clicked, this, [this] {
    const QColor c = QColorDialog::getColor(ColorRefToQColor(FForeground), this, QStringLiteral("前景色"));
    if (c.isValid()) SetForeground(QColorToColorRef(c));
  });
  connect(FBack, &QPushButton::clicked, this, [this] {
    const QColor c = QColorDialog::getColor(ColorRefToQColor(FBackground), this, QStringLiteral("背景色"));
    if (c.isValid()) SetBackground(QColorToColorRef(c));
  });
  FLibrary->FOnSelect = [this] {
    if (TTxBlock* b = FLibrary->GetSelected()) Choose(b);
  };
  FLibrary->FOnDblClick = [this] {
    if (FOnDblClick) FOnDblClick();
  };
  FChosenPanel->FOnDblClick = FLibrary->FOnDblClick;
  FChosenPanel->FOnChange = [this] { FChosenPanel->viewport()->update(); };

  for (const TLibraryEntry& e : KnownLibraries(TLibraryKind::Fill)) {
    FCombo->addItem(Q(e.Name));
    FPaths.push_back(e.Path);
  }
  connect(FCombo, &QComboBox::currentIndexChanged, this, [this](int i) { SelectLibrary(i); });
  if (!FPaths.empty()) SelectLibrary(0);
}

TBrushStylePage::~TBrushStylePage() {
  FLibrary->SetDocument(nullptr);
  FChosenPanel->SetDocument(nullptr);
}

void TBrushStylePage::SelectLibrary(int Index) {
  if (Index < 0 || Index >= int(FPaths.size())) return;
  if (FCombo->currentIndex() != Index) {
    FCombo->setCurrentIndex(Index);  // comes back here
    return;
  }
  FLibrary->SetDocument(nullptr);
  FLibrary->SetDocument(&FLoader.Load(FPaths[std::size_t(Index)]));
}

void TBrushStylePage::Browse() {
  const int i = AddBrowsed(TLibraryKind::Fill, this, FPaths, [this](const std::string& Name) {
    FCombo->addItem(Q(Name));
  });
  if (i >= 0) SelectLibrary(i);
}

void TBrushStylePage::Choose(const TCustomFigureSet* Block) {
  FChosenPanel->SetDocument(nullptr);
  FChosen.FFigures->Clear();
  if (Block) {
    std::unique_ptr<TDocItem> copy = Block->Clone();
    if (auto* b = dynamic_cast<TTxBlock*>(copy.get())) {
      copy.release();
      std::unique_ptr<TTxBlock> owned(b);
      // Detached: the clone hangs in no drawing and no library.
      owned->FParent = nullptr;
      owned->SetDocument(nullptr);
      FForeground = owned->FPen.Color;
      FBackground = owned->FBrush.Style == bsClear ? clWhite : owned->FBrush.Color;
      FChosen.FFigures->Add(std::move(owned));
    }
  }
  FChosenPanel->SetDocument(&FChosen);
  ShowColours();
  if (FOnChoose) FOnChoose();
}

TTxBlock* TBrushStylePage::Chosen() const {
  return FChosen.Count() > 0 ? dynamic_cast<TTxBlock*>(FChosen.Items(0)) : nullptr;
}

void TBrushStylePage::SetForeground(COLORREF Color) {
  FForeground = Color;
  if (TTxBlock* b = Chosen()) {
    b->FPen.Color = Color;
    for (int i = 0; i < b->FFigures->Count(); ++i) b->FFigures->Figures(i)->FPen.Color = Color;
  }
  ShowColours();
  FChosenPanel->viewport()->update();
}

void TBrushStylePage::SetBackground(COLORREF Color) {
  FBackground = Color;
  if (TTxBlock* b = Chosen()) b->FBrush.Color = Color;
  ShowColours();
  FChosenPanel->viewport()->update();
}

void TBrushStylePage::ShowColours() {
  PaintColourButton(*FFore, FForeground);
  PaintColourButton(*FBack, FBackground);
}

// ---- the insert-block command

namespace {
TInputItemHook& InputItemHook() {
  static TInputItemHook hook;
  return hook;
}
}  // namespace

TInputItemHook SetInputItemHook(TInputItemHook Hook) {
  TInputItemHook previous = std::move(InputItemHook());
  InputItemHook() = std::move(Hook);
  return previous;
}

void InsertBlockCommand(TDef_Tx& Tx, QWidget* Parent) {
  if (!Tx.Document()) return;
  TInputItem dialog(Parent);
  const bool ok = InputItemHook() ? InputItemHook()(dialog) : dialog.exec() == QDialog::Accepted;
  if (!ok) return;
  TDrawView& view = Tx.DrawView();
  view.SetCurrentItem(nullptr);
  TTxBlock* chosen = dialog.Chosen();
  if (!chosen) return;
  view.SetCurrentItem(chosen);
  Tx.SetTool(&TTxBlock::StaticClass());
}
