#pragma once
// The property dialogs of the rounded rectangle ("定义圆角矩形属性"), the
// ellipse ("定义椭圆属性") and the circle ("定义圆形属性"), described as data
// over the shared form. Perimeter ("周长") and area ("面积") follow the size
// fields as they are edited.

#include "app/PropertyForm.h"
#include "figures/RoundShapes.h"

#include <memory>

class TDocView;

class TP_RoundRect {
public:
  TP_RoundRect(TDocView& View, TCustomRoundRect& Figure, QWidget* Parent = nullptr);
  TPropertyForm& Form() { return *FForm; }
  bool Execute() { return FForm->Execute(); }

private:
  TRoundRectProperties FProps;
  std::unique_ptr<TPropertyForm> FForm;
};

class TP_Ellipse {
public:
  TP_Ellipse(TDocView& View, TCustomEllipse& Figure, QWidget* Parent = nullptr);
  TPropertyForm& Form() { return *FForm; }
  bool Execute() { return FForm->Execute(); }

private:
  TEllipseProperties FProps;
  std::unique_ptr<TPropertyForm> FForm;
};

class TP_Circle {
public:
  TP_Circle(TDocView& View, TCustomCircle& Figure, QWidget* Parent = nullptr);
  TPropertyForm& Form() { return *FForm; }
  bool Execute() { return FForm->Execute(); }

private:
  TCircleProperties FProps;
  std::unique_ptr<TPropertyForm> FForm;
};

// Registers the three dialogs as the shapes' EditProperties.
void RegisterRoundDialogs();
