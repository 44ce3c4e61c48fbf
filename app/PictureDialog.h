#pragma once
// The picture figure's property dialog ("定义图片属性") as data over the shared
// form, and loading the picture that the insertion commands leave pending.

#include "app/PropertyForm.h"
#include "figures/Pictures.h"

#include <memory>
#include <string>

class TDocView;

// The picture-open dialog's filter, one entry per kind after "All".
extern const char* const kPictureOpenFilter;
// The filter of "另存为...".
extern const char* const kPictureSaveFilter;

class TP_Picture {
public:
  TP_Picture(TDocView& View, TCustomTxPicture& Picture, QWidget* Parent = nullptr);
  TPropertyForm& Form() { return *FForm; }
  bool Execute() { return FForm->Execute(); }

private:
  void SaveImage();
  TCustomTxPicture& FPicture;
  TPictureProperties FProps;
  std::unique_ptr<TPropertyForm> FForm;
};

bool EditPictureProperties(TDocView& View, TCustomTxPicture& Picture);
void RegisterPictureDialog();

// The picture-open dialog's filter: kPictureOpenFilter with the formats
// Qt's image readers add (ConvertedPictureExtensions), which insert as bitmaps.
std::string PictureOpenFilter();

// Loads FileName into MyPicture (by its extension); a file that cannot be
// loaded is named in a message and leaves MyPicture as it was. True when loaded.
// A picture of a kind the drawing format lacks is kept as a bitmap, which the
// user is told unless *Told says so already (it is set then).
bool LoadPendingPicture(const std::string& FileName, bool* Told = nullptr);
// The picture-open dialog, then LoadPendingPicture; true when a picture is pending.
bool ChoosePendingPicture(bool* Told = nullptr);
