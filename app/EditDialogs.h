#pragma once
// The drawing view's typed-distance dialogs: move/copy ("平移拷贝",
// captioned "平移" for the move) and the array ("阵列"). OK fills the view's
// parameters; Apply runs the command with them.

#include "app/PropertyForm.h"
#include "docview/DrawView.h"

#include <memory>

class TMoveCopyDialog {
public:
  // Copy: "平移拷贝"; otherwise the move, "平移".
  explicit TMoveCopyDialog(bool Copy, QWidget* Parent = nullptr);
  TPropertyForm& Form() { return *FForm; }
  const TMoveCopyParams& Params() const { return FParams; }
  // MoveCopy or MoveObject of the view; false when nothing was done.
  bool Apply(TDrawView& View) const;
  // Modal; runs the command on OK.
  bool Run(TDrawView& View);

private:
  bool FCopy;
  TMoveCopyParams FParams;
  std::unique_ptr<TPropertyForm> FForm;
};

class TArrayDialog {
public:
  explicit TArrayDialog(QWidget* Parent = nullptr);
  TPropertyForm& Form() { return *FForm; }
  const TArrayParams& Params() const { return FParams; }
  bool Apply(TDrawView& View) const { return View.ArrayFigures(FParams); }
  bool Run(TDrawView& View);

private:
  TArrayParams FParams;
  std::unique_ptr<TPropertyForm> FForm;
};

// The commands "平移拷贝", "平移" and "阵列" on a view's selection.
bool MoveCopyCommand(TDrawView& View);
bool MoveObjectCommand(TDrawView& View);
bool ArrayCommand(TDrawView& View);
