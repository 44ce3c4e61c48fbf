#include "app/PropertyForm.h"

#include "docview/DocView.h"
#include "docview/Document.h"
#include "figures/FigureSet.h"
#include "figures/FigureText.h"
#include "foundation/GbkCodec.h"
#include "platform/Gdi.h"
#include "platform/System.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QVBoxLayout>

#include <cstdlib>
#include <stdexcept>

namespace {

QString Q(const std::string& S) { return QString::fromStdString(S); }

QColor ToQColor(COLORREF C) {
  C = ColorToRGB(C);
  return QColor(GetRValue(C), GetGValue(C), GetBValue(C));
}

void PaintSwatch(QPushButton& Button, COLORREF C) {
  Button.setText(QString::number(C));
  Button.setStyleSheet(QStringLiteral("QPushButton { background-color: %1; color: %2; }")
                           .arg(ToQColor(C).name(), ToQColor(C).lightness() < 128 ? "white" : "black"));
}

COLORREF ParseColour(const std::string& S) {
  try {
    return COLORREF(std::stoul(S));
  } catch (const std::exception&) {
    return clBlack;
  }
}

}  // namespace

struct TPropertyForm::TImpl {
  TFormDef Def;
  QDialog Dialog;
  std::vector<QWidget*> Controls;
  std::vector<QLabel*> RowLabels;  // null for rows without a label
  std::vector<QButtonGroup*> RadioGroups;
  std::vector<std::string> Colours;  // Colour fields' values
  std::vector<QGroupBox*> Boxes;
  bool Filling = false;  // no live handlers while the form fills itself
};

TPropertyForm::TPropertyForm(TFormDef Def, QWidget* Parent) : F(std::make_unique<TImpl>()) {
  F->Def = std::move(Def);
  QDialog& dlg = F->Dialog;
  dlg.setParent(Parent, dlg.windowFlags());
  dlg.setWindowTitle(Q(F->Def.Caption));
  auto* outer = new QVBoxLayout(&dlg);
  auto* top = new QFormLayout;
  outer->addLayout(top);
  const int n = static_cast<int>(F->Def.Fields.size());
  F->Controls.assign(std::size_t(n), nullptr);
  F->RowLabels.assign(std::size_t(n), nullptr);
  F->RadioGroups.assign(std::size_t(n), nullptr);
  F->Colours.assign(std::size_t(n), {});
  std::vector<std::pair<std::string, QFormLayout*>> groups;

  for (int i = 0; i < n; ++i) {
    const TFormField& f = F->Def.Fields[std::size_t(i)];
    QFormLayout* form = top;
    if (!f.Group.empty()) {
      form = nullptr;
      for (auto& [name, layout] : groups)
        if (name == f.Group) form = layout;
      if (!form) {
        auto* box = new QGroupBox(Q(f.Group));
        form = new QFormLayout(box);
        outer->addWidget(box);
        F->Boxes.push_back(box);
        groups.emplace_back(f.Group, form);
      }
    }
    auto changed = [this, i] {
      const TFormField& field = F->Def.Fields[std::size_t(i)];
      if (!F->Filling && field.Changed) field.Changed(*this);
    };
    QWidget* w = nullptr;
    bool labelled = true;
    switch (f.Kind) {
      case TFieldKind::Text:
      case TFieldKind::Number:
      case TFieldKind::Angle: {
        auto* e = new QLineEdit;
        if (f.Kind != TFieldKind::Text) e->setAlignment(Qt::AlignRight);
        QObject::connect(e, &QLineEdit::textChanged, e, changed);
        w = e;
        break;
      }
      case TFieldKind::Colour: {
        auto* b = new QPushButton;
        QObject::connect(b, &QPushButton::clicked, b, [this, i, b] {
          const QColor c = QColorDialog::getColor(ToQColor(ParseColour(Text(i))), b, QStringLiteral("颜色"));
          if (c.isValid()) SetText(i, std::to_string(RGB(std::uint8_t(c.red()), std::uint8_t(c.green()),
                                                         std::uint8_t(c.blue()))));
        });
        w = b;
        break;
      }
      case TFieldKind::Combo:
      case TFieldKind::Layer: {
        auto* c = new QComboBox;
        for (const std::string& s : f.Items) c->addItem(Q(s));
        QObject::connect(c, &QComboBox::currentIndexChanged, c, changed);
        w = c;
        break;
      }
      case TFieldKind::Radio: {
        w = new QWidget;
        auto* row = new QHBoxLayout(w);
        row->setContentsMargins(0, 0, 0, 0);
        auto* group = new QButtonGroup(w);
        for (std::size_t k = 0; k < f.Items.size(); ++k) {
          auto* r = new QRadioButton(Q(f.Items[k]));
          group->addButton(r, int(k));
          row->addWidget(r);
        }
        QObject::connect(group, &QButtonGroup::idToggled, w, [changed](int, bool on) {
          if (on) changed();
        });
        F->RadioGroups[std::size_t(i)] = group;
        break;
      }
      case TFieldKind::Lines: {
        auto* e = new QPlainTextEdit;
        QObject::connect(e, &QPlainTextEdit::textChanged, e, changed);
        w = e;
        break;
      }
      case TFieldKind::List: {
        auto* l = new QListWidget;
        for (const std::string& s : f.Items) l->addItem(Q(s));
        l->setSelectionMode(QAbstractItemView::SingleSelection);
        QObject::connect(l, &QListWidget::currentRowChanged, l, changed);
        w = l;
        break;
      }
      case TFieldKind::Check: {
        auto* c = new QCheckBox(Q(f.Label));
        QObject::connect(c, &QCheckBox::toggled, c, changed);
        w = c;
        labelled = false;
        break;
      }
      case TFieldKind::Ident:
      case TFieldKind::Label:
        w = new QLabel;
        break;
      case TFieldKind::Button: {
        auto* b = new QPushButton(Q(f.Label));
        QObject::connect(b, &QPushButton::clicked, b, changed);
        w = b;
        labelled = false;
        break;
      }
      case TFieldKind::Slider: {
        auto* s = new QSlider(Qt::Horizontal);
        s->setRange(0, 100);
        QObject::connect(s, &QSlider::valueChanged, s, changed);
        w = s;
        break;
      }
    }
    F->Controls[std::size_t(i)] = w;
    if (labelled && !f.Label.empty()) {
      auto* l = new QLabel(Q(f.Label));
      F->RowLabels[std::size_t(i)] = l;
      form->addRow(l, w);
    } else {
      form->addRow(w);
    }
  }

  auto* buttons = new QDialogButtonBox;
  QPushButton* ok = buttons->addButton(QStringLiteral("确定"), QDialogButtonBox::AcceptRole);
  buttons->addButton(QStringLiteral("取消"), QDialogButtonBox::RejectRole);
  ok->setDefault(true);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dlg, [this] { Accept(); });
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dlg, [this] { Reject(); });
  outer->addWidget(buttons);
  Reload();
}

TPropertyForm::~TPropertyForm() = default;

QDialog& TPropertyForm::Dialog() const { return F->Dialog; }
std::string TPropertyForm::Caption() const { return F->Def.Caption; }
int TPropertyForm::Count() const { return static_cast<int>(F->Def.Fields.size()); }

std::vector<std::string> TPropertyForm::Labels() const {
  std::vector<std::string> r;
  for (const TFormField& f : F->Def.Fields) r.push_back(f.Label);
  return r;
}

std::vector<std::string> TPropertyForm::Groups() const {
  std::vector<std::string> r;
  for (QGroupBox* b : F->Boxes) r.push_back(b->title().toStdString());
  return r;
}

int TPropertyForm::IndexOf(std::string_view Label) const {
  for (int i = 0; i < Count(); ++i)
    if (F->Def.Fields[std::size_t(i)].Label == Label) return i;
  return -1;
}

int TPropertyForm::Need(std::string_view Label) const {
  const int i = IndexOf(Label);
  if (i < 0) throw std::out_of_range("no field " + std::string(Label));
  return i;
}

TFieldKind TPropertyForm::Kind(int Index) const { return F->Def.Fields.at(std::size_t(Index)).Kind; }
QWidget* TPropertyForm::Control(int Index) const { return F->Controls.at(std::size_t(Index)); }

std::string TPropertyForm::Text(int Index) const {
  QWidget* w = Control(Index);
  switch (Kind(Index)) {
    case TFieldKind::Text:
    case TFieldKind::Number:
    case TFieldKind::Angle:
      return static_cast<QLineEdit*>(w)->text().toStdString();
    case TFieldKind::Lines:
      return static_cast<QPlainTextEdit*>(w)->toPlainText().toStdString();
    case TFieldKind::Colour:
      return F->Colours[std::size_t(Index)];
    case TFieldKind::Combo:
    case TFieldKind::Layer:
      return std::to_string(static_cast<QComboBox*>(w)->currentIndex());
    case TFieldKind::Radio:
      return std::to_string(F->RadioGroups[std::size_t(Index)]->checkedId());
    case TFieldKind::Check:
      return static_cast<QCheckBox*>(w)->isChecked() ? "1" : "0";
    case TFieldKind::Ident:
    case TFieldKind::Label:
      return static_cast<QLabel*>(w)->text().toStdString();
    case TFieldKind::Button:
      return {};
    case TFieldKind::Slider:
      return std::to_string(static_cast<QSlider*>(w)->value());
    case TFieldKind::List: {
      // A row counts only while it is selected: the user may clear the choice.
      auto* l = static_cast<QListWidget*>(w);
      const QList<QListWidgetItem*> sel = l->selectedItems();
      return std::to_string(sel.isEmpty() ? -1 : l->row(sel.first()));
    }
  }
  return {};
}

void TPropertyForm::SetText(int Index, const std::string& Value) {
  QWidget* w = Control(Index);
  // An index that is not a number picks nothing, as an empty choice would.
  auto index = [&] {
    try {
      return std::stoi(Value);
    } catch (const std::exception&) {
      return -1;
    }
  };
  switch (Kind(Index)) {
    case TFieldKind::Text:
    case TFieldKind::Number:
    case TFieldKind::Angle:
      static_cast<QLineEdit*>(w)->setText(Q(Value));
      break;
    case TFieldKind::Lines:
      static_cast<QPlainTextEdit*>(w)->setPlainText(Q(Value));
      break;
    case TFieldKind::Colour: {
      F->Colours[std::size_t(Index)] = Value;
      PaintSwatch(*static_cast<QPushButton*>(w), ParseColour(Value));
      if (!F->Filling && F->Def.Fields[std::size_t(Index)].Changed) F->Def.Fields[std::size_t(Index)].Changed(*this);
      break;
    }
    case TFieldKind::Combo:
    case TFieldKind::Layer:
      static_cast<QComboBox*>(w)->setCurrentIndex(index());
      break;
    case TFieldKind::Radio: {
      QAbstractButton* b = F->RadioGroups[std::size_t(Index)]->button(index());
      if (b) b->setChecked(true);
      break;
    }
    case TFieldKind::Check:
      static_cast<QCheckBox*>(w)->setChecked(Value == "1");
      break;
    case TFieldKind::Ident:
    case TFieldKind::Label:
      static_cast<QLabel*>(w)->setText(Q(Value));
      break;
    case TFieldKind::Button:
      break;
    case TFieldKind::Slider:
      static_cast<QSlider*>(w)->setValue(index());
      break;
    case TFieldKind::List: {
      auto* l = static_cast<QListWidget*>(w);
      const int row = index();
      if (row >= 0 && row < l->count()) {
        l->setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
      } else {
        l->clearSelection();
        l->setCurrentRow(-1);
      }
      break;
    }
  }
}

void TPropertyForm::Show(int Index, const std::string& Value) {
  const bool was = F->Filling;
  F->Filling = true;
  SetText(Index, Value);
  F->Filling = was;
}

void TPropertyForm::SetLabel(int Index, const std::string& Label) {
  if (QLabel* l = F->RowLabels.at(std::size_t(Index))) l->setText(Q(Label));
}

void TPropertyForm::SetEnabled(int Index, bool Enabled) {
  Control(Index)->setEnabled(Enabled);
  if (QLabel* l = F->RowLabels.at(std::size_t(Index))) l->setEnabled(Enabled);
}

bool TPropertyForm::IsEnabled(int Index) const { return Control(Index)->isEnabled(); }

void TPropertyForm::Press(std::string_view Label) {
  const int i = Need(Label);
  if (Kind(i) == TFieldKind::Button) static_cast<QPushButton*>(Control(i))->click();
}

void TPropertyForm::Reload() {
  const bool was = F->Filling;
  F->Filling = true;
  for (int i = 0; i < Count(); ++i) {
    const TFormField& f = F->Def.Fields[std::size_t(i)];
    if (f.Get) SetText(i, f.Get());
  }
  F->Filling = was;
}

void TPropertyForm::Accept() {
  // Checked before any Set, so a refused field changes nothing.
  for (int i = 0; i < Count(); ++i) {
    if (Kind(i) != TFieldKind::Text && Kind(i) != TFieldKind::Lines) continue;
    if (!CheckSavableText(Text(i))) {
      Control(i)->setFocus();
      return;
    }
  }
  for (int i = 0; i < Count(); ++i) {
    const TFormField& f = F->Def.Fields[std::size_t(i)];
    if (f.Set) f.Set(Text(i));
  }
  if (F->Def.Accepted) F->Def.Accepted();
  F->Dialog.accept();
}

void TPropertyForm::Reject() { F->Dialog.reject(); }

bool TPropertyForm::Execute() { return F->Dialog.exec() == QDialog::Accepted; }

void ApplyFigureEdit(TDocView& View, TCustomFigure& Figure, const std::function<void()>& Apply) {
  TDocument* doc = View.Document();
  if (doc) {
    TMyList list;
    list.Add(&Figure);
    doc->BackUp(list, ovEdit);
  }
  Apply();
  if (doc) doc->SetModifiedFlag(true);
}

void RegisterFigureDialogOf(const TMetaClass& Class, std::function<bool(TDocView&, TDocItem&)> Edit) {
  RegisterPropertyEditor(Class, [Edit = std::move(Edit)](TFigureView* View, TDocItem& Item) {
    auto* view = dynamic_cast<TDocView*>(View);
    return view && Edit(*view, Item);
  });
}

std::vector<std::string> LayerNames(const TCustomFigure& Figure) {
  const TCustomFigureSet* top = Figure.FParent;
  while (top && top->FParent) top = top->FParent;
  std::vector<std::string> names;
  if (!top) return names;
  for (const TLayer& layer : top->FLayers) names.push_back(layer.Entry.substr(0, layer.Entry.rfind('=')));
  return names;
}

bool CheckSavableText(const std::string& Text) {
  std::string offender;
  if (HasGbkForm(Text, &offender)) return true;
  MessageDlg(GbkRefusalMessage(offender) + "\n" + CodePointText(offender), mtError, mbOK);
  return false;
}

std::string ColorText(unsigned Color) { return std::to_string(Color); }

TFormField TextField(TFieldKind Kind, std::string Label, std::string& Value, std::string Group) {
  return {Kind, std::move(Label), std::move(Group), {}, [&Value] { return Value; },
          [&Value](const std::string& v) { Value = v; }, nullptr};
}

TFormField CheckField(std::string Label, bool& Value, std::string Group) {
  return {TFieldKind::Check, std::move(Label), std::move(Group), {},
          [&Value] { return std::string(Value ? "1" : "0"); }, [&Value](const std::string& v) { Value = v == "1"; },
          nullptr};
}

TFormField IndexFieldOf(TFieldKind Kind, std::string Label, std::function<int()> Get, std::function<void(int)> Set,
                        std::vector<std::string> Items, std::string Group) {
  const int n = int(Items.size());
  return {Kind,
          std::move(Label),
          std::move(Group),
          std::move(Items),
          [Get = std::move(Get)] { return std::to_string(Get()); },
          [Set = std::move(Set), n](const std::string& v) {
            int i = -1;
            if (ParseInt(v, i) && i >= 0 && (n == 0 || i < n)) Set(i);
          },
          nullptr};
}

TFormField ColourFieldOf(std::string Label, std::function<unsigned()> Get, std::function<void(unsigned)> Set,
                         std::string Group) {
  return {TFieldKind::Colour,
          std::move(Label),
          std::move(Group),
          {},
          [Get = std::move(Get)] { return ColorText(Get()); },
          [Set = std::move(Set)](const std::string& v) {
            char* end = nullptr;
            const unsigned long c = std::strtoul(v.c_str(), &end, 10);
            if (!v.empty() && end && *end == 0 && c <= 0xFFFFFFFFul) Set(unsigned(c));
          },
          nullptr};
}
