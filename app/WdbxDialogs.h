#pragma once
// The property dialogs of the rectangle ("定义矩形属性"), the regular polygon
// ("定义正多边形属性") and the polygon ("定义多边形属性"), described as data
// over the shared form, with the perimeter and area shown as fields change.

#include "app/PropertyForm.h"
#include "figures/WdbxShapes.h"

#include <memory>

class TDocView;

class TP_Rectangle {
public:
  TP_Rectangle(TDocView& View, TCustomRectangle& Rect, QWidget* Parent = nullptr);
  TPropertyForm& Form() { return *FForm; }
  bool Execute() { return FForm->Execute(); }

private:
  TRectangleProperties FProps;
  std::unique_ptr<TPropertyForm> FForm;
};

class TP_ZPolygon {
public:
  TP_ZPolygon(TDocView& View, TCustomZPolygon& Polygon, QWidget* Parent = nullptr);
  TPropertyForm& Form() { return *FForm; }
  bool Execute() { return FForm->Execute(); }

private:
  TZPolygonProperties FProps;
  std::unique_ptr<TPropertyForm> FForm;
};

class TP_Polygon {
public:
  TP_Polygon(TDocView& View, TCustomPolygon& Polygon, QWidget* Parent = nullptr);
  TPropertyForm& Form() { return *FForm; }
  bool Execute() { return FForm->Execute(); }

private:
  TPolygonProperties FProps;
  std::unique_ptr<TPropertyForm> FForm;
};

// Registers the three dialogs as the figures' property editors.
void RegisterWdbxDialogs();
