#pragma once
// The print preview ("打印预览"), the printer set-up and the print commands.
// TPrintScrollBox is the widget that shows a TPrintPageView (the page model,
// interchange/PrintPages.h): white pages on grey, scrolled, with the
// magnifier zooming onto one page and back. TPrintSession guards the
// drawing while it is laid out for printing: what printing and previewing
// move (the drawing's reference point, its print scale) is put back unless
// the user changed the page setup, which then becomes one undoable step.

#include "foundation/Comtype.h"
#include "interchange/PrintPages.h"

#include <QAbstractScrollArea>
#include <QDialog>

#include <functional>
#include <memory>
#include <string>

class QAction;
class QPrinter;
class TDocument;
class TFiguresDoc;

// The document's saved print settings and back.
TPageSetup PageSetupOf(const TDocument& Doc);
void StorePageSetup(TDocument& Doc, const TPageSetup& Setup);

// Every saved value printing may touch.
struct TPrintState {
  TPageSetup Setup;
  Tpt Yd;
  double Width = 0, Height = 0, Absx = 0, Absy = 0;
  std::int32_t HorzAlign = 0, VertAlign = 0;
  double RootPrintScale = 1.0;
};
bool operator==(const TPrintState& A, const TPrintState& B);
TPrintState CapturePrintState(const TFiguresDoc& Doc);
void RestorePrintState(TFiguresDoc& Doc, const TPrintState& State);

class TPrintSession {
public:
  explicit TPrintSession(TFiguresDoc& Doc);
  ~TPrintSession() { Finish(); }
  TPrintSession(const TPrintSession&) = delete;
  TPrintSession& operator=(const TPrintSession&) = delete;

  // The user accepted new page settings (Setup is what the page view holds).
  void SetupChanged(const TPageSetup& Setup);
  // Ends the session: back to the drawing's own view state; the drawing as
  // it was, or, after a change by the user, one undo step and modified.
  void Finish();

private:
  TFiguresDoc* FDoc;
  TPrintState FBefore;
  bool FChanged = false;
  TPageSetup FSetup;
};

// What the print dialog answered.
enum class TPrintRange { All, Selection, Pages };
struct TPrintChoice {
  bool Accepted = false;
  TPrintRange Range = TPrintRange::All;
  int From = 1, To = 1;
  int Orientation = 0;
};
// Applies an accepted choice to the page view: the range ("selection" is
// 0..0, nothing), the orientation, then everything is recomputed.
void ApplyPrintChoice(TPrintPageView& View, const TPrintChoice& Choice);
// Prints the view's range on Printer, telling the user when there is nothing
// to print (an empty grid, or no page chosen). Returns the pages printed.
int PrintWithMessages(TPrintPageView& View, QPrinter& Printer);

class TPrintScrollBox : public QAbstractScrollArea {
public:
  explicit TPrintScrollBox(TPrintPageView& Pages, QWidget* Parent = nullptr);

  void SetMagnifier(bool On);
  bool Magnifier() const { return FMagnifier; }
  void ZoomToFit();
  // After the page model changed: ranges and a repaint.
  void PagesChanged();
  // What a click does with the magnifier down, at a point of the viewport.
  void MagnifyAt(QPoint At);

protected:
  void paintEvent(QPaintEvent* Event) override;
  void mousePressEvent(QMouseEvent* Event) override;
  void resizeEvent(QResizeEvent* Event) override;

private:
  void UpdateCursor();
  TPrintPageView& FPages;
  bool FMagnifier = false;
};

class TPrintPrev : public QDialog {
public:
  explicit TPrintPrev(QWidget* Parent = nullptr);
  ~TPrintPrev() override;

  // Lays the document out; the preview is then fitted into the window.
  void SetDocument(TFiguresDoc* Doc);
  TPrintPageView& PageView() { return FPages; }
  TPrintScrollBox& ScrollBox() { return *FBox; }
  QPrinter& Printer() { return *FPrinter; }
  TPrintSession* Session() { return FSession.get(); }

  // The platform's print dialog; true when confirmed.
  bool PrinterSetup();
  // "页面设置"; true on OK.
  bool PageSetup();
  void Print();
  // Ends the session now (the window may live on).
  void ReleaseDocument();

  QAction* FMagnifierAction = nullptr;

private:
  TPrintPageView FPages;
  std::unique_ptr<QPrinter> FPrinter;
  bool FPrinterChosen = false;
  TPrintScrollBox* FBox = nullptr;
  TFiguresDoc* FDoc = nullptr;
  std::unique_ptr<TPrintSession> FSession;
};

// Hooks for tests: the print dialog's and the page setup's answers.
using TPrintDialogHook = std::function<TPrintChoice(QPrinter&, int PageCount)>;
TPrintDialogHook SetPrintDialogHook(TPrintDialogHook Hook);
class TSetPage;
using TPageSetupHook = std::function<bool(TSetPage&)>;
TPageSetupHook SetPageSetupHook(TPageSetupHook Hook);

// A_PrintPreview and A_Print on a drawing.
void PrintPreviewCommand(TFiguresDoc& Doc, QWidget* Parent);
void PrintCommand(TFiguresDoc& Doc, QWidget* Parent);
// Whether a real printer is installed (printing to a PDF file always is offered).
bool PrinterInstalled();
