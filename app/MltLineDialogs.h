#pragma once
// The property dialogs of the open line figures over the shared form: the
// multi-segment line ("定义折线属性") with its edge browser, the freehand line
// ("定义自由曲线属性") and the spline ("定义样条曲线属性"). Each works on a
// clone; OK gives the figure the clone's values as one undo step.

#include "app/PropertyForm.h"
#include "figures/Bezier.h"
#include "figures/LineFigures.h"
#include "figures/MltLine.h"
#include "figures/PenLine.h"

#include <functional>
#include <memory>
#include <string>

class TDocView;

// What the three dialogs share: identity, pen and layer of the clone.
using TOpenLineCommon = TLineCommonProperties;

class TP_MltLine {
public:
  // Lines built on the multi-segment line add their own fields after its
  // own, acting on the clone.
  using TExtraFields = std::function<void(std::vector<TFormField>& Fields, TCustomMltLine& Clone)>;
  TP_MltLine(TDocView& View, TCustomMltLine& Line, QWidget* Parent = nullptr, std::string Caption = "定义折线属性",
             TExtraFields Extra = {});
  TPropertyForm& Form() { return *FForm; }
  bool Execute();
  const TCustomMltLine& Clone() const { return *FClone; }
  int Edge() const { return FEdge; }

private:
  void ShowEdge();
  void EdgeChanged();
  TOpenLineCommon FCommon;
  std::unique_ptr<TCustomMltLine> FClone;
  int FEdge = 0;
  std::unique_ptr<TPropertyForm> FForm;
};

class TP_PenLine {
public:
  TP_PenLine(TDocView& View, TCustomPenLine& Line, QWidget* Parent = nullptr);
  TPropertyForm& Form() { return *FForm; }
  bool Execute();

private:
  TOpenLineCommon FCommon;
  bool FXLine = false;
  std::string FGap, FJd, FLength1, FLength2;
  std::unique_ptr<TCustomPenLine> FClone;
  std::unique_ptr<TPropertyForm> FForm;
};

class TP_Bezier {
public:
  TP_Bezier(TDocView& View, TCustomBezier& Line, QWidget* Parent = nullptr);
  TPropertyForm& Form() { return *FForm; }
  bool Execute();
  const TCustomBezier& Clone() const { return *FClone; }

private:
  TOpenLineCommon FCommon;
  std::unique_ptr<TCustomBezier> FClone;
  std::unique_ptr<TPropertyForm> FForm;
};

// Registers the dialogs above with the figures.
void RegisterMltLineDialogs();
