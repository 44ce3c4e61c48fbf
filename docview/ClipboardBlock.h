#pragma once
// TClipboardBlock: the block that carries copied figures through the
// clipboard. A group of clones in its own frame, placed by a reference
// point and scaled uniformly; pasting explodes it back into figures. It
// covers what copy and paste need until the full block figure exists.

#include "figures/FigureSet.h"

class TDocView;

class TClipboardBlock : public TCustomFigureSet {
  PLANDECK_DECLARE_CLASS(TClipboardBlock)
public:
  explicit TClipboardBlock(TMyPersistent* AOwner = nullptr);

  void ReadData(TReader& Reader) override;
  void WriteData(TWriter& Writer) override;
  std::unique_ptr<TDocItem> Clone() const override;
  void CalcPositionRect(TRect& Rect) const override;
  void Explode(TCustomFigureSet& Set) override;

  // Stores the extent without checks or notification.
  void InitialParas(double AWidth, double AHeight);
  // Replaces the block in its layer by its figures, moved into the layer's
  // frame, selected in View and announced; records them as added. Returns
  // the block itself, now out of the drawing, for the caller to free.
  std::unique_ptr<TCustomFigure> ExplodeItemEx(TDocView& View);
};

void RegisterClipboardBlockClass();
