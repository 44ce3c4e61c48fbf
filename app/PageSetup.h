#pragma once
// "页面设置": the page setup of printing, three pages ("图纸属性", "图形属性"
// and the printer kind). The values are text as the user types them;
// TSetPageValues is the dialog's model, so tests drive it without a human.

#include <QDialog>

#include <string>

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QTabWidget;
class TPrintPageView;

struct TSetPageValues {
  int Layout = 3;                      // 0 满页打印, 1 自适应到页宽, 2 自适应到页高, 3 自定义
  std::string PagesWide = "1", PagesHigh = "1";
  std::string Up, Down, Right, Left;   // millimetres
  bool PrintFrame = false;
  std::string S1 = "1", S2;            // S1 millimetres = S2 drawing units
  std::string Width, Height;           // the effective drawing area, user units
  std::string OriginX, OriginY;        // the drawing's reference point, user units
  int HorzAlign = 0, VertAlign = 0;    // 0 left/top, 1 centre, 2 right/bottom, 3 custom
  int PrinterLx = 0;                   // "A类" 0, "B类" 1
};

// The dialog's values for the page view's drawing.
TSetPageValues PageSetupValues(const TPrintPageView& View, int PrinterLx);
// Why the values cannot be taken (the message to show), or empty: a scale
// of 0, margins that leave no paper, a page count of 0.
std::string RefusePageSetup(const TSetPageValues& Values, const TPrintPageView& View);
// Applies the values in the dialog's order; a number that does not parse
// ends the update there without a word. Then the pages are laid out again.
// PrinterLx receives the printer kind when it was reached.
void ApplyPageSetup(const TSetPageValues& Values, TPrintPageView& View, int& PrinterLx);

class TSetPage : public QDialog {
public:
  TSetPage(const TSetPageValues& Values, const TPrintPageView& View, QWidget* Parent = nullptr);

  // The controls' values.
  TSetPageValues Values() const;
  void SetValues(const TSetPageValues& Values);
  QTabWidget* Tabs() const { return FTabs; }
  // OK: refused values are told and the dialog stays.
  void accept() override;

private:
  const TPrintPageView& FView;
  QTabWidget* FTabs = nullptr;
  QButtonGroup* FLayout = nullptr;
  QLineEdit *FPagesWide = nullptr, *FPagesHigh = nullptr;
  QLineEdit *FUp = nullptr, *FDown = nullptr, *FRight = nullptr, *FLeft = nullptr;
  QCheckBox* FFrame = nullptr;
  QLineEdit *FS1 = nullptr, *FS2 = nullptr, *FWidth = nullptr, *FHeight = nullptr;
  QLineEdit *FOriginX = nullptr, *FOriginY = nullptr;
  QButtonGroup *FHorz = nullptr, *FVert = nullptr, *FPrinterLx = nullptr;
};
