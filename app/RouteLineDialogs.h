#pragma once
// The property dialogs of the route lines over the shared form: the double
// line ("定义双线属性"), the telecom line ("定义电讯线属性"), the electric line
// ("定义电线属性") and the railway ("定义铁路线属性"). Each works on a clone;
// OK gives the figure the clone's values as one undo step. A spacing the
// line could not be painted with is refused and the old one kept.

#include "app/PropertyForm.h"
#include "figures/LineFigures.h"
#include "figures/RouteLines.h"

#include <memory>
#include <string>

class TDocView;

class TP_RouteLine {
public:
  TP_RouteLine(TDocView& View, TCustomMltLine& Line, QWidget* Parent = nullptr);
  TPropertyForm& Form() { return *FForm; }
  bool Execute();
  const TCustomMltLine& Clone() const { return *FClone; }
  int Edge() const { return FEdge; }

private:
  void ShowEdge();
  void EdgeChanged();
  // The double line: which pen the colour, style and width controls edit.
  void SwitchPen();
  TLineCommonProperties FCommon;
  std::unique_ptr<TCustomMltLine> FClone;
  std::string FGap, FWidth;
  std::int32_t FLx = 0;
  int FEdge = 0;
  bool FEditingParallel = false;  // the controls show the parallel line's pen
  std::unique_ptr<TPropertyForm> FForm;
};

void RegisterRouteLineDialogs();
