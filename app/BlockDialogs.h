#pragma once
// Blocks, child drawings and point markers in the editor: their property
// dialogs ("定义图块属性", "定义子图形属性", "定义点属性") described as data
// over the shared form, making a block from the selection ("生成图块") and
// inserting another drawing as a child drawing ("插入子图形").

#include "app/PropertyForm.h"
#include "figures/Blocks.h"
#include "platform/Gdi.h"

#include <memory>
#include <string>
#include <vector>

class TDocView;

// The brush styles bsSolid..bsDiagCross as the dialogs name them.
const std::vector<std::string>& BrushStyleNames();
// The marker shapes dsAster..dsWhiteSquare.
const std::vector<std::string>& DwdShapeNames();

// ---- the block and child drawing dialog's model
//
// Points in user coordinates and lengths in user units ("%1.3f"), the angle
// rounded to whole degrees. Applying converts in order; the first value that
// does not convert ends the update silently.
struct TBlockProperties {
  std::string Ident;
  COLORREF PenColor = clBlack;
  int PenStyle = psClear;
  int BrushStyle = bsClear;
  COLORREF BrushColor = clWhite;
  std::string X, Y;
  std::string Width, Height;
  std::string Angle;  // not shown for a child drawing
  std::string LineWidth;
  int LayerIndex = 0;
  // What the dialog showed, so that fields left alone change nothing: the
  // texts are rounded, and the width and height both set the one scale.
  std::string ShownWidth, ShownHeight, ShownAngle;
  double ShownScale = 1.0;
};

TBlockProperties GetBlockProperties(const TFramedFigureSet& Set);
void SetBlockProperties(TFramedFigureSet& Set, const TBlockProperties& Props);

struct TDwdProperties {
  std::string Ident;
  COLORREF PenColor = clBlack;
  std::string X, Y;
  int LayerIndex = 0;
  int Shape = dsAster;
  std::string Radius;
};

TDwdProperties GetDwdProperties(const TTxDefineDwd& Dwd);
void SetDwdProperties(TTxDefineDwd& Dwd, const TDwdProperties& Props);

// One dialog for both: a child drawing gets its own caption and no angle.
class TP_Block {
public:
  TP_Block(TDocView& View, TFramedFigureSet& Set, QWidget* Parent = nullptr);
  TPropertyForm& Form() { return *FForm; }
  bool Execute() { return FForm->Execute(); }

private:
  TBlockProperties FProps;
  std::unique_ptr<TPropertyForm> FForm;
};

class TP_DefineDwd {
public:
  TP_DefineDwd(TDocView& View, TTxDefineDwd& Dwd, QWidget* Parent = nullptr);
  TPropertyForm& Form() { return *FForm; }
  bool Execute() { return FForm->Execute(); }

private:
  TDwdProperties FProps;
  std::unique_ptr<TPropertyForm> FForm;
};

bool EditBlockProperties(TDocView& View, TFramedFigureSet& Set);
bool EditDwdProperties(TDocView& View, TTxDefineDwd& Dwd);
void RegisterBlockDialogs();

// ---- make block

// "生成图块": the scale ("缩放比例：") and whether to keep the sources.
class TMakeBlockDialog {
public:
  explicit TMakeBlockDialog(QWidget* Parent = nullptr);
  TPropertyForm& Form() { return *FForm; }
  std::string ScaleText;
  bool Keep = false;

private:
  std::unique_ptr<TPropertyForm> FForm;
};

// Clones of the selected figures become one block in the current layer,
// drawn where the sources were: its reference corner is the lower left of
// their position rectangles, and Scale scales them about it. Kept sources:
// the block is selected and recorded as added. Otherwise the sources leave
// the drawing in the same undo step (ovCombo), so one undo brings them back
// and takes the block away. Returns the block, or null with nothing selected.
TTxBlock* MakeBlockFromSelection(TDocView& View, double Scale, bool KeepSources);
// The dialog, then the above; a scale that is not a number above zero cancels.
void MakeBlockCommand(TDocView& View, QWidget* Parent = nullptr);

// ---- child drawings

// "插入子图形": origin ("原点：" X and Y), scale and the drawing file, with a
// browse button.
class TInsertChildDialog {
public:
  explicit TInsertChildDialog(QWidget* Parent = nullptr);
  TPropertyForm& Form() { return *FForm; }
  std::string X = "0", Y = "0", ScaleText = "1", Path;

private:
  std::unique_ptr<TPropertyForm> FForm;
};

// Reads the drawing at Path and inserts its first document as a child
// drawing whose reference point is Origin (user coordinates of the drawing
// shown by View), scaled by Scale; it becomes the selection, the view
// centres on it, and it is recorded as added. A missing file says
// "文件不存在！", a file that cannot be read names itself; both insert
// nothing and give null.
TChildFigureSet* InsertChildFigureSet(TDocView& View, const std::string& Path, Tpt Origin, double Scale);
// The dialog, then the above. Numbers that do not convert cancel silently.
void InsertChildFigureSetCommand(TDocView& View, QWidget* Parent = nullptr);
