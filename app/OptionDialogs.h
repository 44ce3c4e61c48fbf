#pragma once
// The main window's own dialogs as data over the shared form: the
// environment options ("环境选项"), the object-snap options ("设置端点捕捉"),
// the new drawing ("新建工程"), the drawing properties of the root
// ("定义图形属性") and the pen style of a selection ("线条样式"). Each
// class builds its form; OK writes back through the fields' Set functions.

#include "app/Commands.h"
#include "app/PropertyForm.h"
#include "figures/FigureSet.h"

#include <memory>
#include <string>
#include <vector>

class TEnvironment;
class TBrushStylePage;

// On OK the controls go into Env; numbers that do not convert keep the old
// values, the offsets are raised to at least 1.
class TEnvironmentDialog {
public:
  explicit TEnvironmentDialog(TEnvironment& Env, QWidget* Parent = nullptr);
  TPropertyForm& Form() { return *FForm; }

private:
  std::unique_ptr<TPropertyForm> FForm;
};

// The five snap kinds, the marker colour and the capture radius, shown on the
// track bar doubled.
class TSnapOptionsDialog {
public:
  explicit TSnapOptionsDialog(TEnvironment& Env, QWidget* Parent = nullptr);
  TPropertyForm& Form() { return *FForm; }

private:
  std::unique_ptr<TPropertyForm> FForm;
};

// The templates offered: the .GCK files of Folder (any letter case), sorted
// by name; empty when the folder does not exist.
std::vector<std::string> NewDrawingTemplates(const std::string& Folder);

// Filled from Choice; OK gives Choice the chosen template or the typed name
// and size, and Env's ShowNewDialog the opposite of "下次不显示此对话框".
class TNewDrawingDialog {
public:
  TNewDrawingDialog(TNewDrawingChoice& Choice, TEnvironment& Env, const std::string& TemplateFolder,
                    QWidget* Parent = nullptr);
  TPropertyForm& Form() { return *FForm; }
  // After OK: false when a number did not convert (nothing is to be created).
  bool Valid() const { return FValid; }

private:
  TNewDrawingChoice& FChoice;
  std::string FFolder;
  std::vector<std::string> FTemplates;
  std::string FWidth, FHeight;
  int FTemplate = -1;
  bool FValid = false;
  std::unique_ptr<TPropertyForm> FForm;
};

// The drawing root's properties. OK changes the root through its dialog model
// (scale kept so the sheet spans 100 to 10000 logical units) and marks the
// document modified. The root has no undo step for this: the history
// snapshots figures by cloning, and a clone of the whole drawing could not be
// assigned back without replacing every figure the history points at.
class TDrawingPropertiesDialog {
public:
  explicit TDrawingPropertiesDialog(TTxFigureSet& Root, QWidget* Parent = nullptr);
  TPropertyForm& Form() { return *FForm; }

private:
  TDrawingProperties FProps;
  std::unique_ptr<TPropertyForm> FForm;
};

// "线条样式": one choice among the pen styles.
class TPenStyleDialog {
public:
  explicit TPenStyleDialog(int Style, QWidget* Parent = nullptr);
  TPropertyForm& Form() { return *FForm; }
  int Style() const { return FStyle; }

private:
  int FStyle;
  std::unique_ptr<TPropertyForm> FForm;
};

// "定义填充": the page "系统填充" offers the brush styles and a colour; the
// page "自定义填充" (TBrushStylePage) a fill block from a fill library. The
// style choice "自定义填充" stands for that page's block: a figure filled
// with a block starts there, choosing a block selects it, and choosing a
// system style clears the block.
class TFillDialog {
public:
  // FillItem: the block the figure is filled with, at its size on the sheet.
  TFillDialog(TBrush Brush, const TCustomFigureSet* FillItem, QWidget* Parent = nullptr);
  TPropertyForm& Form() { return *FForm; }
  TBrushStylePage& CustomPage() { return *FPage; }
  TBrush Brush() const;
  bool KeepsFillItem() const;
  // The chosen block (at its size on the sheet), or none.
  const TCustomFigureSet* FillItem() const;

private:
  static constexpr int kCustom = 8;  // after the eight brush styles
  TBrush FStart;
  int FChoice;
  COLORREF FColor;
  std::unique_ptr<TPropertyForm> FForm;
  TBrushStylePage* FPage = nullptr;  // owned by the form's dialog
};

// Runs a form modally, or through the hook that tests install.
bool RunCommandForm(TPropertyForm& Form);
