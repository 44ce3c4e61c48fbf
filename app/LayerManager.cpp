#include "app/LayerManager.h"

#include "app/Commands.h"
#include "app/PropertyForm.h"
#include "docview/DrawView.h"
#include "docview/FiguresDoc.h"
#include "figures/FigureSet.h"
#include "platform/System.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <set>

namespace {

QString Q(const std::string& S) { return QString::fromStdString(S); }

const std::string kPrefix = "图层";

bool SameName(const std::string& A, const std::string& B) {
  return Q(A).compare(Q(B), Qt::CaseInsensitive) == 0;
}

}  // namespace

std::string NewLayerManagerName(const std::vector<TLayerManagerEntry>& Entries) {
  std::set<long long> used;
  for (const TLayerManagerEntry& e : Entries) {
    const std::string name = LayerName(e.Entry);
    if (name.compare(0, kPrefix.size(), kPrefix) != 0) continue;
    const std::string rest = name.substr(kPrefix.size());
    if (rest.empty() || rest.size() > 12 || !std::all_of(rest.begin(), rest.end(), [](char c) { return c >= '0' && c <= '9'; }))
      continue;
    if (const long long n = std::stoll(rest); n != 0) used.insert(n);
  }
  long long n = 1;
  while (used.count(n)) ++n;
  return kPrefix + std::to_string(n);
}

std::string LayerNameProblem(const std::vector<TLayerManagerEntry>& Entries, int Index, const std::string& Name) {
  if (Name.empty()) return "图层名不能为空！";
  // The entry is "name=flag": a second "=" would end the name early.
  if (Name.find('=') != std::string::npos) return "图层名不能含有“=”，请重新命名！";
  for (int i = 0; i < int(Entries.size()); ++i)
    if (i != Index && SameName(LayerName(Entries[std::size_t(i)].Entry), Name)) return "图层名不唯一，请重新命名！";
  return {};
}

TLayerManager::TLayerManager(std::vector<TLayerManagerEntry> Layers, bool HasHistory, QWidget* Parent)
    : QDialog(Parent), FLayers(std::move(Layers)), FHasHistory(HasHistory) {
  setWindowTitle(QStringLiteral("图层管理器"));
  auto* outer = new QHBoxLayout(this);
  auto* left = new QVBoxLayout;
  outer->addLayout(left, 1);
  FCurrent = new QLabel;
  left->addWidget(FCurrent);
  FList = new QTreeWidget;
  FList->setRootIsDecorated(false);
  FList->setColumnCount(3);
  FList->setHeaderLabels({QStringLiteral("名称"), QStringLiteral("显示"), QStringLiteral("编辑")});
  FList->setSelectionMode(QAbstractItemView::ExtendedSelection);
  FList->header()->setStretchLastSection(false);
  FList->header()->setSectionResizeMode(0, QHeaderView::Stretch);
  FList->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
  FList->header()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
  FList->setMinimumSize(300, 240);
  left->addWidget(FList, 1);
  FDetails = new QGroupBox(QStringLiteral("详细信息"));
  auto* details = new QHBoxLayout(FDetails);
  details->addWidget(new QLabel(QStringLiteral("名称:")));
  FName = new QLineEdit;
  details->addWidget(FName, 1);
  FShow = new QCheckBox(QStringLiteral("显示"));
  FEdit = new QCheckBox(QStringLiteral("编辑"));
  details->addWidget(FShow);
  details->addWidget(FEdit);
  left->addWidget(FDetails);
  FDetails->hide();

  auto* right = new QVBoxLayout;
  outer->addLayout(right);
  auto button = [&](const char* Text) {
    auto* b = new QPushButton(QString::fromUtf8(Text));
    right->addWidget(b);
    return b;
  };
  QPushButton* current = button("当前层");
  QPushButton* add = button("新建");
  QPushButton* del = button("删除");
  QPushButton* up = button("上移");
  QPushButton* down = button("下移");
  QPushButton* more = button("详细信息");
  right->addStretch(1);
  QPushButton* ok = button("确定");
  QPushButton* cancel = button("取消");
  QPushButton* help = button("帮助");
  ok->setDefault(true);

  connect(current, &QPushButton::clicked, this, [this] { CurrentClick(); });
  connect(add, &QPushButton::clicked, this, [this] { NewClick(); });
  connect(del, &QPushButton::clicked, this, [this] { DeleteClick(); });
  connect(up, &QPushButton::clicked, this, [this] { MoveClick(-1); });
  connect(down, &QPushButton::clicked, this, [this] { MoveClick(+1); });
  connect(more, &QPushButton::clicked, this, [this] { FDetails->setVisible(FDetails->isHidden()); });
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(help, &QPushButton::clicked, this, [] { OpenHelpFile(); });
  connect(FList, &QTreeWidget::itemSelectionChanged, this, [this] {
    if (!FUpdating) ShowDetails();
  });
  connect(FName, &QLineEdit::editingFinished, this, [this] {
    if (!FUpdating) RenameTo(FName->text().toStdString());
  });
  connect(FShow, &QCheckBox::toggled, this, [this](bool On) {
    if (!FUpdating) SetShow(On);
  });
  connect(FEdit, &QCheckBox::toggled, this, [this](bool On) {
    if (!FUpdating) SetEdit(On);
  });
  Fill();
}

TLayerManager::~TLayerManager() = default;

int TLayerManager::Flag(int Entry) const { return LayerFlag(FLayers[std::size_t(Entry)].Entry); }
void TLayerManager::SetFlag(int Entry, int Flag) { SetLayerFlag(FLayers[std::size_t(Entry)].Entry, Flag); }

void TLayerManager::Fill() {
  FUpdating = true;
  FList->clear();
  for (int i = 0; i < int(FLayers.size()); ++i) {
    if (Flag(i) == lfDeleted) continue;
    auto* item = new QTreeWidgetItem(FList);
    item->setData(0, Qt::UserRole, i);
    ShowRow(FList->indexOfTopLevelItem(item));
  }
  FUpdating = false;
  ShowDetails();
}

int TLayerManager::RowCount() const { return FList->topLevelItemCount(); }

int TLayerManager::RowEntry(int Row) const {
  QTreeWidgetItem* item = FList->topLevelItem(Row);
  return item ? item->data(0, Qt::UserRole).toInt() : -1;
}

std::string TLayerManager::RowText(int Row, int Column) const {
  QTreeWidgetItem* item = FList->topLevelItem(Row);
  return item ? item->text(Column).toStdString() : std::string();
}

std::string TLayerManager::CurrentLayerLabel() const { return FCurrent->text().toStdString(); }

void TLayerManager::ShowRow(int Row) {
  const int e = RowEntry(Row);
  if (e < 0) return;
  QTreeWidgetItem* item = FList->topLevelItem(Row);
  const int flag = Flag(e);
  item->setText(0, Q(LayerName(FLayers[std::size_t(e)].Entry)));
  item->setText(1, flag == lfHidden ? QStringLiteral("隐藏") : QStringLiteral("可见"));
  item->setText(2, flag == lfVisible || flag == lfCurrent ? QStringLiteral("允许") : QStringLiteral("不允许"));
  if (flag == lfCurrent) FCurrent->setText(QStringLiteral("当前层：") + item->text(0));
}

int TLayerManager::SelectedRow() const {
  const QList<QTreeWidgetItem*> items = FList->selectedItems();
  return items.size() == 1 ? FList->indexOfTopLevelItem(items.front()) : -1;
}

void TLayerManager::ShowDetails() {
  FUpdating = true;
  const int row = SelectedRow();
  if (row < 0) {
    FName->clear();
    FShow->setChecked(false);
    FEdit->setChecked(false);
    for (QWidget* w : {static_cast<QWidget*>(FName), static_cast<QWidget*>(FShow), static_cast<QWidget*>(FEdit)})
      w->setEnabled(false);
  } else {
    const int flag = Flag(RowEntry(row));
    FName->setEnabled(true);
    FName->setText(Q(RowText(row, 0)));
    FShow->setChecked(flag != lfHidden);
    FEdit->setChecked(flag == lfVisible || flag == lfCurrent);
    FShow->setEnabled(flag != lfCurrent);
    FEdit->setEnabled(flag == lfVisible || flag == lfLocked);
  }
  FUpdating = false;
}

void TLayerManager::SelectRows(const std::vector<int>& Rows) {
  FList->clearSelection();
  for (int r : Rows)
    if (QTreeWidgetItem* item = FList->topLevelItem(r)) item->setSelected(true);
  if (!Rows.empty())
    if (QTreeWidgetItem* item = FList->topLevelItem(Rows.back())) FList->setCurrentItem(item, 0, QItemSelectionModel::NoUpdate);
  ShowDetails();
}

void TLayerManager::CurrentClick() {
  const int row = SelectedRow();
  if (row < 0) return;
  for (int i = 0; i < int(FLayers.size()); ++i)
    if (Flag(i) == lfCurrent) SetFlag(i, lfVisible);
  SetFlag(RowEntry(row), lfCurrent);
  for (int r = 0; r < RowCount(); ++r) ShowRow(r);
  ShowDetails();
}

void TLayerManager::NewClick() {
  const std::string name = NewLayerManagerName(FLayers);
  FLayers.push_back({name + "=1", -1, 0});
  FUpdating = true;
  auto* item = new QTreeWidgetItem(FList);
  item->setData(0, Qt::UserRole, int(FLayers.size()) - 1);
  ShowRow(RowCount() - 1);
  FUpdating = false;
}

void TLayerManager::DeleteClick() {
  const int row = SelectedRow();
  if (row < 0) return;
  const int e = RowEntry(row);
  if (Flag(e) == lfCurrent) {
    ShowMessage("当前层不能删除！");
    return;
  }
  std::string question = "该层所有图形将被删除，继续吗？";
  // Undo steps may point at the figures that go: the history goes with them.
  if (FHasHistory && FLayers[std::size_t(e)].Figures > 0) question += "\n删除后，此前的操作将不能再撤消。";
  if (!Confirm(question)) return;
  TLayerManagerEntry& entry = FLayers[std::size_t(e)];
  entry.Entry = "--" + LayerName(entry.Entry) + "=-1";
  FUpdating = true;
  delete FList->takeTopLevelItem(row);
  FUpdating = false;
  ShowDetails();
}

void TLayerManager::MoveClick(int Step) {
  const int row = SelectedRow(), to = row + Step;
  if (row < 0 || to < 0 || to >= RowCount()) return;
  const int a = RowEntry(row), b = RowEntry(to);
  std::swap(FLayers[std::size_t(a)], FLayers[std::size_t(b)]);
  FUpdating = true;
  ShowRow(row);
  ShowRow(to);
  FList->clearSelection();
  FList->topLevelItem(to)->setSelected(true);
  FList->scrollToItem(FList->topLevelItem(to));
  FUpdating = false;
  ShowDetails();
}

void TLayerManager::RenameTo(const std::string& Name) {
  const int row = SelectedRow();
  if (row < 0) return;
  const int e = RowEntry(row);
  if (Name == LayerName(FLayers[std::size_t(e)].Entry)) return;
  const std::string problem = LayerNameProblem(FLayers, e, Name);
  if (!problem.empty() || !CheckSavableText(Name)) {
    if (!problem.empty()) ShowMessage(problem);
    FUpdating = true;
    FName->setText(Q(RowText(row, 0)));
    FUpdating = false;
    return;
  }
  std::string& entry = FLayers[std::size_t(e)].Entry;
  entry = Name + entry.substr(entry.find('='));
  ShowRow(row);
  FUpdating = true;
  FName->setText(Q(Name));
  FUpdating = false;
}

void TLayerManager::SetShow(bool On) {
  const int row = SelectedRow();
  if (row < 0 || Flag(RowEntry(row)) == lfCurrent) return;
  SetFlag(RowEntry(row), On ? lfLocked : lfHidden);
  ShowRow(row);
  ShowDetails();
}

void TLayerManager::SetEdit(bool On) {
  const int row = SelectedRow();
  if (row < 0) return;
  const int flag = Flag(RowEntry(row));
  if (flag != lfVisible && flag != lfLocked) return;
  SetFlag(RowEntry(row), On ? lfVisible : lfLocked);
  ShowRow(row);
  ShowDetails();
}

// ---- the command

namespace {
TLayerManagerHook& Hook() {
  static TLayerManagerHook hook;
  return hook;
}
}  // namespace

TLayerManagerHook SetLayerManagerHook(TLayerManagerHook H) {
  TLayerManagerHook previous = std::move(Hook());
  Hook() = std::move(H);
  return previous;
}

bool LayerManagerCommand(TDrawView& View, QWidget* Parent) {
  TDocument* doc = View.Document();
  TTxFigureSet* root = doc ? doc->GetFigures() : nullptr;
  if (!root) return false;
  std::vector<TLayerManagerEntry> layers;
  for (int i = 0; i < root->LayerCount(); ++i)
    layers.push_back({root->FLayers[std::size_t(i)].Entry, i, root->LayerList(i)->Count()});
  TLayerManager dialog(layers, root->UndoCount() + root->RedoCount() > 0, Parent);
  const bool ok = Hook() ? Hook()(dialog) : dialog.exec() == QDialog::Accepted;
  if (!ok) return false;
  // A figure under construction lies in a layer that may go.
  View.CancelTool();
  std::vector<TLayerRef> refs;
  for (const TLayerManagerEntry& e : dialog.Layers())
    refs.push_back({e.Entry, e.Origin >= 0 ? root->LayerList(e.Origin) : nullptr});
  // Before the figures of a deleted layer are freed, the root tells every
  // view to drop them (selection, copies, index) and drops the history.
  root->RefreshLayers(refs);
  doc->SetModifiedFlag(true);
  doc->UpdateAllViews(nullptr, 0, nullptr);
  View.InvalidateView();
  return true;
}
