#pragma once
// The tower crane's property dialog ("定义塔吊属性"), described as data over
// the shared form. It works on the figure itself: on OK the view records
// one undo step and the model applies the values in its order.

#include "app/PropertyForm.h"
#include "figures/TowerCrane.h"

#include <memory>

class TDocView;

class TP_Tadiao {
public:
  TP_Tadiao(TDocView& View, TCustomTadiao& Crane, QWidget* Parent = nullptr);
  TPropertyForm& Form() { return *FForm; }
  bool Execute() { return FForm->Execute(); }
  // The field of the label alignment ("线上", "线中", "线下").
  int AlignField() const { return FAlignField; }

private:
  TTadiaoProperties FProps;
  int FAlignField = -1;
  std::unique_ptr<TPropertyForm> FForm;
};

// EditProperties of the crane: the modal dialog; true on OK.
bool EditTadiaoProperties(TDocView& View, TCustomTadiao& Crane);
void RegisterCraneDialog();
