#pragma once
// The property dialogs of the straight line figures: the arrow line
// ("定义箭头线属性"), the dimension line ("定义标注属性") and the edge line
// ("定义边缘线属性"), described as data over the shared form.

#include "app/PropertyForm.h"
#include "figures/LineFigures.h"

#include <memory>

class TDocView;

// The pen styles psSolid..psInsideFrame as every dialog names them.
const std::vector<std::string>& PenStyleNames();
// Identity, pen and layer: what every figure's dialog shows first.
void AddFigureCommonFields(std::vector<TFormField>& Fields, TLineCommonProperties& P, const TCustomFigure& Figure);

class TP_Line {
public:
  TP_Line(TDocView& View, TCustomTxLine& Line, QWidget* Parent = nullptr);
  TPropertyForm& Form() { return *FForm; }
  bool Execute() { return FForm->Execute(); }

private:
  TTxLineProperties FProps;
  std::unique_ptr<TPropertyForm> FForm;
};

// Works on a clone: the segment controls act on it at once, and OK gives the
// figure the clone's values with the rest of the fields.
class TP_Arrowbz {
public:
  TP_Arrowbz(TDocView& View, TCustomArrowLine& Line, QWidget* Parent = nullptr);
  TPropertyForm& Form() { return *FForm; }
  bool Execute() { return FForm->Execute(); }
  const TCustomArrowLine& Clone() const { return *FClone; }
  int Segment() const { return FSegment; }

private:
  void ShowSegment();
  TArrowLineProperties FProps;
  std::unique_ptr<TCustomArrowLine> FClone;
  int FSegment = 0;
  int FSegmentFields = 0;  // the first field of the segment group
  std::unique_ptr<TPropertyForm> FForm;
};

class TP_ConstrutionLine {
public:
  TP_ConstrutionLine(TDocView& View, TCustomConstructionLine& Line, QWidget* Parent = nullptr);
  TPropertyForm& Form() { return *FForm; }
  bool Execute() { return FForm->Execute(); }

private:
  TConstructionLineProperties FProps;
  std::unique_ptr<TPropertyForm> FForm;
};

// EditProperties of the three figures: the modal dialog; true on OK.
bool EditTxLineProperties(TDocView& View, TCustomTxLine& Line);
bool EditArrowLineProperties(TDocView& View, TCustomArrowLine& Line);
bool EditConstructionLineProperties(TDocView& View, TCustomConstructionLine& Line);
void RegisterLineDialogs();
