#pragma once
// The font dialog ("字体") of the text figures and the tower crane: face,
// colour, the four style checks and the height, over the shared form.

#include "app/PropertyForm.h"

#include <cstdint>
#include <memory>
#include <string>

class TMyFont;

class TMyFontDialog {
public:
  explicit TMyFontDialog(QWidget* Parent = nullptr);
  TPropertyForm& Form() { return *FForm; }
  // Fills the controls from Font.
  void SetFont(const TMyFont& Font);
  // Writes the controls back; a height that does not parse, or is 0, keeps Font's.
  void GetFontValue(TMyFont& Font) const;
  // Modal (or through the command form hook); true on OK.
  bool Execute();

private:
  struct TValues {
    std::string Name;
    std::uint32_t Color = 0;
    bool Bold = false, Italic = false, Underline = false, StrikeOut = false;
    std::string Height;
  };
  TValues FValues;
  std::vector<std::string> FFaces;
  std::unique_ptr<TPropertyForm> FForm;
};

// The dialog on a copy of Font whose height is times Scale (the size on the
// sheet); on OK Font takes the copy with its height divided by Scale again.
bool EditFigureFont(TMyFont& Font, double Scale, QWidget* Parent);
