#include "app/PrintPreview.h"

#include "app/PageSetup.h"
#include "docview/Cursors.h"
#include "docview/Environment.h"
#include "docview/FiguresDoc.h"
#include "figures/FigureSet.h"
#include "platform/QtCanvas.h"
#include "platform/System.h"

#include <QAction>
#include <QMouseEvent>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QScrollBar>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

namespace {

QString Q(const char* s) { return QString::fromUtf8(s); }

TPrintDialogHook& PrintDialogHook() {
  static TPrintDialogHook hook;
  return hook;
}
TPageSetupHook& PageSetupHook() {
  static TPageSetupHook hook;
  return hook;
}

// The preview's background around the white pages.
const QColor kPreviewBackground(128, 128, 128);

}  // namespace

TPrintDialogHook SetPrintDialogHook(TPrintDialogHook Hook) {
  std::swap(PrintDialogHook(), Hook);
  return Hook;
}
TPageSetupHook SetPageSetupHook(TPageSetupHook Hook) {
  std::swap(PageSetupHook(), Hook);
  return Hook;
}

bool PrinterInstalled() { return !QPrinterInfo::availablePrinters().isEmpty(); }

// ---- the document's settings

TPageSetup PageSetupOf(const TDocument& Doc) {
  TPageSetup s;
  s.FOrientation = Doc.FOrientation;
  s.FScale = Doc.FScale;
  s.FLayout = Doc.FLayout;
  s.FPageLeftOff = Doc.FPageLeftOff;
  s.FPageRightOff = Doc.FPageRightOff;
  s.FPageUpOff = Doc.FPageUpOff;
  s.FPageDownOff = Doc.FPageDownOff;
  s.FPrintScale = Doc.FPrintScale;
  s.FPrintFrame = Doc.FPrintFrame;
  return s;
}

void StorePageSetup(TDocument& Doc, const TPageSetup& s) {
  Doc.FOrientation = s.FOrientation;
  Doc.FLayout = s.FLayout;
  Doc.FPageLeftOff = s.FPageLeftOff;
  Doc.FPageRightOff = s.FPageRightOff;
  Doc.FPageUpOff = s.FPageUpOff;
  Doc.FPageDownOff = s.FPageDownOff;
  Doc.FPrintScale = s.FPrintScale;
  Doc.FPrintFrame = s.FPrintFrame;
}

TPrintState CapturePrintState(const TFiguresDoc& Doc) {
  const TTxFigureSet& r = *Doc.FFigures;
  TPrintState s;
  s.Setup = PageSetupOf(Doc);
  s.Yd = r.FYd;
  s.Width = r.FWidth;
  s.Height = r.FHeight;
  s.Absx = r.FAbsx;
  s.Absy = r.FAbsy;
  s.HorzAlign = r.FHorzPageAlign;
  s.VertAlign = r.FVertPageAlign;
  s.RootPrintScale = r.FPrintScale;
  return s;
}

bool operator==(const TPrintState& A, const TPrintState& B) {
  return A.Setup == B.Setup && A.Yd.x == B.Yd.x && A.Yd.y == B.Yd.y && A.Width == B.Width &&
         A.Height == B.Height && A.Absx == B.Absx && A.Absy == B.Absy && A.HorzAlign == B.HorzAlign &&
         A.VertAlign == B.VertAlign && A.RootPrintScale == B.RootPrintScale;
}

void RestorePrintState(TFiguresDoc& Doc, const TPrintState& s) {
  TTxFigureSet& r = *Doc.FFigures;
  StorePageSetup(Doc, s.Setup);
  r.FYd = s.Yd;
  r.FWidth = s.Width;
  r.FHeight = s.Height;
  r.FAbsx = s.Absx;
  r.FAbsy = s.Absy;
  r.FHorzPageAlign = s.HorzAlign;
  r.FVertPageAlign = s.VertAlign;
  r.FPrintScale = s.RootPrintScale;
  ++r.FGeneration;
}

// ---- the session

TPrintSession::TPrintSession(TFiguresDoc& Doc) : FDoc(&Doc), FBefore(CapturePrintState(Doc)) {}

void TPrintSession::SetupChanged(const TPageSetup& Setup) {
  FChanged = true;
  FSetup = Setup;
}

void TPrintSession::Finish() {
  if (!FDoc) return;
  TFiguresDoc& doc = *FDoc;
  FDoc = nullptr;
  TTxFigureSet& root = *doc.FFigures;
  root.FViewState = vsDraw;
  if (!FChanged) {
    RestorePrintState(doc, FBefore);
    return;
  }
  TPageSetup setup = FSetup;
  setup.FPrintScale = root.FPrintScale;  // the scale the pages were laid out with
  setup.FScale = doc.FScale;
  StorePageSetup(doc, setup);
  const TPrintState after = CapturePrintState(doc);
  if (after == FBefore) return;
  // One step: undo puts the settings of before back, redo those of after.
  auto kept = std::make_shared<TPrintState>(FBefore);
  TFiguresDoc* d = &doc;
  root.BackUpState([d, kept] {
    const TPrintState now = CapturePrintState(*d);
    RestorePrintState(*d, *kept);
    *kept = now;
    d->SetModifiedFlag(true);
    d->UpdateAllViews(nullptr, 4, nullptr);
  });
  doc.SetModifiedFlag(true);
  doc.UpdateAllViews(nullptr, 4, nullptr);
}

// ---- the print dialog's answer

void ApplyPrintChoice(TPrintPageView& View, const TPrintChoice& Choice) {
  if (!Choice.Accepted) return;
  View.Setup().FOrientation = Choice.Orientation;
  View.Recompute();
  switch (Choice.Range) {
    case TPrintRange::All:
      View.FPrintFirstPage = 1;
      View.FPrintLastPage = View.GetPageCount();
      break;
    case TPrintRange::Selection:
      View.FPrintFirstPage = View.FPrintLastPage = 0;
      break;
    case TPrintRange::Pages:
      View.FPrintFirstPage = Choice.From;
      View.FPrintLastPage = Choice.To;
      break;
  }
}

int PrintWithMessages(TPrintPageView& View, QPrinter& Printer) {
  if (View.GetPageCount() == 0) {
    ShowMessage("没有可打印的页面！");
    return 0;
  }
  if (View.FPrintFirstPage == 0 && View.FPrintLastPage == 0) {
    ShowMessage("没有选定要打印的页面！");
    return 0;
  }
  const int printed = View.Print(Printer);
  if (printed == 0) ShowMessage("没有选定要打印的页面！");
  return printed;
}

// ---- the scroll box

TPrintScrollBox::TPrintScrollBox(TPrintPageView& Pages, QWidget* Parent) : QAbstractScrollArea(Parent), FPages(Pages) {
  viewport()->setAutoFillBackground(false);
  setMinimumSize(200, 200);
  UpdateCursor();
}

void TPrintScrollBox::SetMagnifier(bool On) {
  FMagnifier = On;
  UpdateCursor();
}

void TPrintScrollBox::UpdateCursor() {
  if (!FMagnifier) viewport()->setCursor(Qt::ArrowCursor);
  else viewport()->setCursor(AppCursor(FPages.FSinglePage ? crZoomOut : crZoomIn));
}

void TPrintScrollBox::ZoomToFit() {
  FPages.ZoomToFit(viewport()->width(), viewport()->height());
  PagesChanged();
}

void TPrintScrollBox::PagesChanged() {
  const TSize grid = FPages.GridSize();
  const QSize client = viewport()->size();
  horizontalScrollBar()->setRange(0, std::max(0, grid.cx - 5 - client.width()));
  verticalScrollBar()->setRange(0, std::max(0, grid.cy - 5 - client.height()));
  horizontalScrollBar()->setPageStep(client.width());
  verticalScrollBar()->setPageStep(client.height());
  UpdateCursor();
  viewport()->update();
}

void TPrintScrollBox::MagnifyAt(QPoint At) {
  const int cw = viewport()->width(), ch = viewport()->height();
  if (FPages.FSinglePage) {
    FPages.ZoomIn(cw, ch);
    PagesChanged();
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
    return;
  }
  const TPoint grid{At.x() + horizontalScrollBar()->value(), At.y() + verticalScrollBar()->value()};
  const TPoint to = FPages.ZoomOut(grid, cw, ch);
  PagesChanged();
  horizontalScrollBar()->setValue(to.x);
  verticalScrollBar()->setValue(to.y);
}

void TPrintScrollBox::paintEvent(QPaintEvent*) {
  QPainter painter(viewport());
  painter.fillRect(viewport()->rect(), kPreviewBackground);
  if (!FPages.Root()) return;
  TQtCanvas canvas(painter);
  canvas.SetViewportOrgEx(-horizontalScrollBar()->value(), -verticalScrollBar()->value());
  for (int row = 1; row <= FPages.FPageNumY; ++row)
    for (int col = 1; col <= FPages.FPageNumX; ++col) FPages.DrawPage(canvas, col, row);
}

void TPrintScrollBox::mousePressEvent(QMouseEvent* Event) {
  if (FMagnifier && Event->button() == Qt::LeftButton) MagnifyAt(Event->position().toPoint());
  QAbstractScrollArea::mousePressEvent(Event);
}

void TPrintScrollBox::resizeEvent(QResizeEvent* Event) {
  QAbstractScrollArea::resizeEvent(Event);
  // All pages stay fitted to the window as it changes (and when it first shows).
  if (!FPages.FSinglePage) FPages.ZoomToFit(viewport()->width(), viewport()->height());
  PagesChanged();
}

// ---- the preview window

TPrintPrev::TPrintPrev(QWidget* Parent) : QDialog(Parent), FPrinter(std::make_unique<QPrinter>()) {
  setWindowTitle(Q("打印预览"));
  resize(900, 700);
  // Without a printer the pages follow the fallback paper and printing goes
  // to a PDF file, which the print dialog always offers.
  if (!PrinterInstalled()) SetUpPdfPrinter(*FPrinter, "plandeck.pdf", 0);
  FPages.SetPrinter(PrinterInstalled() ? FPrinter.get() : nullptr);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* bar = new QToolBar(this);
  bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
  FMagnifierAction = bar->addAction(Q("放大镜"));
  FMagnifierAction->setObjectName("PrevMagnifier");
  FMagnifierAction->setCheckable(true);
  QAction* setup = bar->addAction(Q("打印机设置"));
  setup->setObjectName("PrevPrinterSetup");
  QAction* page = bar->addAction(Q("页面设置"));
  page->setObjectName("PrevPageSetup");
  QAction* print = bar->addAction(Q("打印"));
  print->setObjectName("PrevPrint");
  QAction* close = bar->addAction(Q("关闭"));
  close->setObjectName("PrevClose");
  layout->addWidget(bar);
  FBox = new TPrintScrollBox(FPages, this);
  layout->addWidget(FBox, 1);
  connect(FMagnifierAction, &QAction::toggled, this, [this](bool on) { FBox->SetMagnifier(on); });
  connect(setup, &QAction::triggered, this, [this] { PrinterSetup(); });
  connect(page, &QAction::triggered, this, [this] { PageSetup(); });
  connect(print, &QAction::triggered, this, [this] { Print(); });
  connect(close, &QAction::triggered, this, &QDialog::accept);
}

TPrintPrev::~TPrintPrev() { ReleaseDocument(); }

void TPrintPrev::SetDocument(TFiguresDoc* Doc) {
  ReleaseDocument();
  FDoc = Doc;
  if (!Doc) {
    FPages.SetDocument(nullptr, {});
    return;
  }
  FSession = std::make_unique<TPrintSession>(*Doc);
  FPages.SetDocument(Doc->FFigures.get(), PageSetupOf(*Doc));
  FBox->ZoomToFit();
}

void TPrintPrev::ReleaseDocument() {
  if (FSession) FSession->Finish();
  FSession.reset();
  FDoc = nullptr;
}

bool TPrintPrev::PrinterSetup() {
  if (!FDoc) return false;
  TPrintChoice choice;
  const int count = FPages.GetPageCount();
  if (PrintDialogHook()) {
    choice = PrintDialogHook()(*FPrinter, count);
  } else {
    FPrinter->setPageOrientation(FPages.Setup().FOrientation != 0 ? QPageLayout::Landscape : QPageLayout::Portrait);
    QPrintDialog dlg(FPrinter.get(), this);
    dlg.setMinMax(count > 0 ? 1 : 0, count);
    dlg.setFromTo(count > 0 ? 1 : 0, count);
    dlg.setOption(QAbstractPrintDialog::PrintSelection, true);
    dlg.setOption(QAbstractPrintDialog::PrintPageRange, true);
    choice.Accepted = dlg.exec() == QDialog::Accepted;
    switch (dlg.printRange()) {
      case QAbstractPrintDialog::Selection: choice.Range = TPrintRange::Selection; break;
      case QAbstractPrintDialog::PageRange:
        choice.Range = TPrintRange::Pages;
        choice.From = FPrinter->fromPage();
        choice.To = FPrinter->toPage();
        break;
      default: choice.Range = TPrintRange::All; break;
    }
    choice.Orientation = FPrinter->pageLayout().orientation() == QPageLayout::Landscape ? 1 : 0;
  }
  if (!choice.Accepted) return false;
  FPages.SetPrinter(FPrinter.get());
  if (choice.Orientation != FPages.Setup().FOrientation && FSession) {
    TPageSetup s = FPages.Setup();
    s.FOrientation = choice.Orientation;
    FSession->SetupChanged(s);
  }
  ApplyPrintChoice(FPages, choice);
  FBox->ZoomToFit();
  return true;
}

bool TPrintPrev::PageSetup() {
  if (!FDoc) return false;
  const int printerLx = SysEnvironment ? SysEnvironment->FPrinterLx : 0;
  TSetPage dlg(PageSetupValues(FPages, printerLx), FPages, this);
  const bool ok = PageSetupHook() ? PageSetupHook()(dlg) : dlg.exec() == QDialog::Accepted;
  if (!ok) return false;
  int lx = printerLx;
  ApplyPageSetup(dlg.Values(), FPages, lx);
  if (SysEnvironment) SysEnvironment->FPrinterLx = lx;
  if (FSession) FSession->SetupChanged(FPages.Setup());
  FBox->ZoomToFit();
  return true;
}

void TPrintPrev::Print() {
  if (PrinterSetup()) PrintWithMessages(FPages, *FPrinter);
  FBox->ZoomToFit();
}

// ---- the commands

void PrintPreviewCommand(TFiguresDoc& Doc, QWidget* Parent) {
  TPrintPrev prev(Parent);
  prev.SetDocument(&Doc);
  prev.exec();
  prev.ReleaseDocument();
}

void PrintCommand(TFiguresDoc& Doc, QWidget* Parent) {
  TPrintPrev prev(Parent);
  prev.SetDocument(&Doc);
  if (prev.PrinterSetup()) PrintWithMessages(prev.PageView(), prev.Printer());
  prev.ReleaseDocument();
}
