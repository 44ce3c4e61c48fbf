#pragma once
// Every property dialog is described as data: a caption and a list of fields,
// each bound to the figure's dialog model through two small functions. The
// form builds the widgets, fills them, and on OK hands every field back in
// order; the model decides what converts. Tests drive a form without a human
// through SetText / Press / Accept.

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class QDialog;
class QWidget;
class TCustomFigure;
class TDocItem;
class TDocView;
struct TMetaClass;
class TPropertyForm;

enum class TFieldKind {
  Text,    // free text
  Number,  // "%1.3f" user values
  Angle,   // degrees
  Colour,  // swatch button with QColorDialog; the value is the colour number
  Combo,   // Items; the value is the index
  Radio,   // Items as one radio group; the value is the index
  Check,   // "1" or "0"
  Layer,   // Items are the layer names; the value is the layer index
  Ident,   // read only, "$" and 8 hexadecimal digits
  Label,   // read only text that live controls update
  Button,  // only Changed, when pressed
  Slider,  // 0..100
  List,    // Items in a list box; the value is the selected row, -1 for none
  Lines,   // multi-line free text, lines joined by line feeds
};

struct TFormField {
  TFieldKind Kind = TFieldKind::Text;
  std::string Label;
  std::string Group;               // group box caption; empty for the top of the dialog
  std::vector<std::string> Items;  // Combo, Radio and Layer choices
  std::function<std::string()> Get;
  std::function<void(const std::string&)> Set;   // on OK, in field order
  std::function<void(TPropertyForm&)> Changed;   // live: edited, chosen or pressed
};

struct TFormDef {
  std::string Caption;
  std::vector<TFormField> Fields;
  std::function<void()> Accepted;  // after every Set
};

class TPropertyForm {
public:
  explicit TPropertyForm(TFormDef Def, QWidget* Parent = nullptr);
  ~TPropertyForm();
  TPropertyForm(const TPropertyForm&) = delete;
  TPropertyForm& operator=(const TPropertyForm&) = delete;

  QDialog& Dialog() const;
  std::string Caption() const;
  int Count() const;
  std::vector<std::string> Labels() const;
  // Labels of the group boxes, in order.
  std::vector<std::string> Groups() const;
  // The first field with this label, or -1.
  int IndexOf(std::string_view Label) const;
  TFieldKind Kind(int Index) const;
  QWidget* Control(int Index) const;

  std::string Text(int Index) const;
  std::string Text(std::string_view Label) const { return Text(Need(Label)); }
  // As if the user typed or chose it; live handlers run.
  void SetText(int Index, const std::string& Value);
  void SetText(std::string_view Label, const std::string& Value) { SetText(Need(Label), Value); }
  // Without live handlers: what handlers use to show their results.
  void Show(int Index, const std::string& Value);
  void SetLabel(int Index, const std::string& Label);
  void SetEnabled(int Index, bool Enabled);
  bool IsEnabled(int Index) const;
  void Press(std::string_view Label);
  // Refills every control from its Get.
  void Reload();

  // "确定": every Set in order, then Accepted, then the dialog closes. A text
  // field that cannot be saved in a drawing stops it first: the user is told
  // and the dialog stays open on that field.
  void Accept();
  void Reject();
  // Modal; true on OK.
  bool Execute();

private:
  int Need(std::string_view Label) const;
  struct TImpl;
  std::unique_ptr<TImpl> F;
};

// What OK does for a figure: the view records an ovEdit step for it, Apply
// runs the model's set function, and the document is marked modified.
void ApplyFigureEdit(TDocView& View, TCustomFigure& Figure, const std::function<void()>& Apply);

// Registers Edit as the property dialog of Class and of its descendants
// without a dialog of their own; each dialog file registers its dialogs.
void RegisterFigureDialogOf(const TMetaClass& Class, std::function<bool(TDocView&, TDocItem&)> Edit);
template <class Figure>
void RegisterFigureDialog(const TMetaClass& Class, bool (*Edit)(TDocView&, Figure&)) {
  RegisterFigureDialogOf(Class,
                         [Edit](TDocView& View, TDocItem& Item) { return Edit(View, static_cast<Figure&>(Item)); });
}

// The names of the drawing root's layers, for a layer chooser.
std::vector<std::string> LayerNames(const TCustomFigure& Figure);

// True when Text can be saved in a drawing file (every character has a GBK
// form); otherwise tells the user which character cannot and returns false.
// Every place where users type or choose text that is saved asks this.
bool CheckSavableText(const std::string& Text);

// Colour numbers as the form shows them.
std::string ColorText(unsigned Color);

// Fields bound to a member of a dialog model: what every dialog is made of.
TFormField TextField(TFieldKind Kind, std::string Label, std::string& Value, std::string Group = {});
TFormField CheckField(std::string Label, bool& Value, std::string Group = {});
// A choice by index among Items (a slider has none: any position); an empty
// or unknown choice keeps the value.
TFormField IndexFieldOf(TFieldKind Kind, std::string Label, std::function<int()> Get, std::function<void(int)> Set,
                        std::vector<std::string> Items, std::string Group = {});
template <class Int>
TFormField IndexField(TFieldKind Kind, std::string Label, Int& Value, std::vector<std::string> Items,
                      std::string Group = {}) {
  return IndexFieldOf(
      Kind, std::move(Label), [&Value] { return int(Value); }, [&Value](int i) { Value = static_cast<Int>(i); },
      std::move(Items), std::move(Group));
}
// The swatch only ever holds a colour number; anything else keeps the colour.
TFormField ColourFieldOf(std::string Label, std::function<unsigned()> Get, std::function<void(unsigned)> Set,
                         std::string Group = {});
template <class Color>
TFormField ColourField(std::string Label, Color& Value, std::string Group = {}) {
  return ColourFieldOf(
      std::move(Label), [&Value] { return unsigned(Value); }, [&Value](unsigned c) { Value = static_cast<Color>(c); },
      std::move(Group));
}
