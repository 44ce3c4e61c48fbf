#pragma once
// TDrawTool: the base of every interactive tool. Its virtual operations are
// the contract through which a view drives its current tool; points arrive
// in client pixels.

#include "foundation/Persistent.h"
#include "platform/Gdi.h"

#include <cstdint>

class TDocView;

// Keys and buttons held during a mouse event.
enum TShiftStateBit : std::uint8_t {
  ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32, ssDouble = 64
};
using TShiftState = std::uint8_t;

enum TSelectMode : std::uint8_t {
  smNone, smNetSelect, smMove, smSize, smRotate, smZoomWindow, smZoomRealTime, smPanRealTime,
  smOffset, smRealTimeAddPoint, smRealTimeDeletePoint, smCopyObject
};

class TDrawTool {
public:
  explicit TDrawTool(const TMetaClass* AItemClass);
  virtual ~TDrawTool();
  TDrawTool(const TDrawTool&) = delete;
  TDrawTool& operator=(const TDrawTool&) = delete;

  virtual void OnLButtonDown(TDocView& View, TShiftState Shift, TPoint Pos);
  virtual void OnRButtonUp(TDocView& View, TShiftState Shift, TPoint Pos);
  virtual void OnLButtonDblClk(TDocView& View, TShiftState Shift, TPoint Pos);
  virtual void OnLButtonUp(TDocView& View, TShiftState Shift, TPoint Pos);
  virtual void OnMouseMove(TDocView& View, TShiftState Shift, TPoint Pos);
  virtual void OnEditProperties(TDocView& View);
  virtual void OnInitialize(TDocView& View);
  virtual void OnCancel(TDocView& View);
  virtual void OnAddPointEnd(TDocView& View);
  // Whether a figure is under construction (some of its points placed):
  // Esc then cancels it and keeps the tool.
  virtual bool HasConstruction() const { return false; }

  const TMetaClass* ItemClass() const { return FItemClass; }
  // Moving or sizing keeps the pointer on the page: Qt cannot confine the
  // real pointer, so the view passes every point through here first.
  TPoint ConfinePoint(TPoint Pos) const;
  bool Confined() const { return FConfined; }

  const TMetaClass* FItemClass;
  TPoint FP_Down;
  TPoint FP_Last;
  TPoint FLastPoint;
  TSelectMode FSelectMode = smNone;
  std::int32_t nDragHandle = 0;

protected:
  void ReleaseConfinement() { FConfined = false; }

private:
  bool FConfined = false;
  TRect FConfineRect;  // client pixels, normalised, inclusive
};
