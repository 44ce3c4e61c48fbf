#pragma once
// The property dialogs of the arc figures ("定义弧线属性", "定义扇形属性",
// "定义弦形属性", "定义杆形属性") and of the combined figure
// ("定义组合块属性"), as data over the shared form, and the command that
// makes a combined figure of the selection.

#include "app/PropertyForm.h"
#include "figures/Arcs.h"
#include "figures/ComboFigure.h"

#include <memory>

class TDocView;

class TP_Arc {
public:
  // Kind: 0 arc, 1 sector, 2 segment.
  TP_Arc(TDocView& View, TCustomFigure& Figure, int Kind, QWidget* Parent = nullptr);
  TPropertyForm& Form() { return *FForm; }
  bool Execute() { return FForm->Execute(); }

private:
  TArcProperties FProps;
  std::unique_ptr<TPropertyForm> FForm;
};

class TP_RectArc {
public:
  TP_RectArc(TDocView& View, TCustomRectArc& Figure, QWidget* Parent = nullptr);
  TPropertyForm& Form() { return *FForm; }
  bool Execute() { return FForm->Execute(); }

private:
  TRectArcProperties FProps;
  std::unique_ptr<TPropertyForm> FForm;
};

class TP_ComboFigure {
public:
  TP_ComboFigure(TDocView& View, TComboFigure& Figure, QWidget* Parent = nullptr);
  TPropertyForm& Form() { return *FForm; }
  bool Execute() { return FForm->Execute(); }

private:
  TComboProperties FProps;
  std::unique_ptr<TPropertyForm> FForm;
};

void RegisterArcDialogs();

// The selected figures (at least two, all closed: see CanCombine) replaced by
// one combined figure of Mode (1, 2 or 4) in the order they were selected,
// recorded as one ovCombo step and selected. None when they do not qualify.
TComboFigure* MakeComboFigure(TDocView& View, int Mode);
