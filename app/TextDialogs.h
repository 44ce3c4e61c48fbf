#pragma once
// The property dialogs of the text figures over the shared form: the text
// line ("定义字线属性", the multi-segment line's dialog with its text, gap
// and font), the slanted label ("定义斜文本属性"), the edit box
// ("定义编辑框属性"), the memo ("定义文本框属性") and the leader line
// ("定义引出线属性"). OK records one undo step before the figure changes.

#include "app/PropertyForm.h"
#include "figures/LineFigures.h"
#include "figures/Texts.h"

#include <memory>
#include <string>

class TDocView;

// What the label dialogs show; lengths and points as user values.
struct TLabelProperties : TLineCommonProperties {
  std::string YdX, YdY, Width, Height, Xzjd, Text;
  bool AutoSize = false, Frame = false, Transparent = false;
  TMyFont Font;  // its height as shown on the sheet (times the scale)
};

class TP_Label {
public:
  // One dialog for the three boxed texts: the slanted label has the angle,
  // the memo its lines in place of the one-line text and no auto size.
  TP_Label(TDocView& View, TCustomFigure& Figure, QWidget* Parent = nullptr);
  TPropertyForm& Form() { return *FForm; }
  bool Execute();

private:
  TLabelProperties FProps;
  std::unique_ptr<TPropertyForm> FForm;
};

class TP_Dimension {
public:
  TP_Dimension(TDocView& View, TCustomDimension& Line, QWidget* Parent = nullptr);
  TPropertyForm& Form() { return *FForm; }
  bool Execute();

private:
  TLineCommonProperties FCommon;
  std::string FText;
  std::int32_t FTextAlign = 1;
  TMyFont FFont;
  std::unique_ptr<TPropertyForm> FForm;
};

// The text line's dialog: the multi-segment line's with "文字：", "间距：" and "字体".
bool EditTextLineProperties(TDocView& View, TCustomTextLine& Line);

void RegisterTextDialogs();
