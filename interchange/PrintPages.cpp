#include "interchange/PrintPages.h"

#include "figures/FigureSet.h"
#include "foundation/Comtype.h"
#include "foundation/Persistent.h"
#include "platform/Canvas.h"
#include "platform/QtCanvas.h"

#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPrinter>

#include <algorithm>
#include <cmath>

namespace {

std::int32_t Round(double v) { return ptodp({v, 0}).x; }

// Whole sheets needed for Length when each takes Sheet (the Sheet's 5 extra
// screen pixels let a drawing that overshoots by a hair stay on one sheet).
int SheetsFor(int Length, int Sheet) {
  if (Length <= 0 || Sheet <= 0) return 0;
  return (Length + Sheet - 1) / Sheet;
}

constexpr int kFallbackDpi = 600;

}  // namespace

TPrinterPaper FallbackPaper(int Orientation) {
  TPrinterPaper p{4962, 7014, 130, 150, kFallbackDpi, kFallbackDpi};
  // Turned with the page, so a landscape drawing previews on landscape paper.
  if (Orientation != 0) {
    std::swap(p.Width, p.Height);
    std::swap(p.OffsetX, p.OffsetY);
  }
  return p;
}

TPrinterPaper AskPrinter(QPrinter* Printer, int Orientation) {
  if (!Printer) return FallbackPaper(Orientation);
  Printer->setPageOrientation(Orientation != 0 ? QPageLayout::Landscape : QPageLayout::Portrait);
  if (Printer->outputFormat() == QPrinter::NativeFormat && !Printer->isValid()) return FallbackPaper(Orientation);
  const QRectF paper = Printer->paperRect(QPrinter::DevicePixel);
  const QRectF page = Printer->pageRect(QPrinter::DevicePixel);
  TPrinterPaper p;
  p.Width = qRound(paper.width());
  p.Height = qRound(paper.height());
  p.OffsetX = qRound(page.left() - paper.left());
  p.OffsetY = qRound(page.top() - paper.top());
  p.LogPixelsX = p.LogPixelsY = Printer->resolution();
  if (p.Width < 10 || p.Height < 10 || p.LogPixelsX <= 0) return FallbackPaper(Orientation);
  return p;
}

void SetUpPdfPrinter(QPrinter& Printer, const std::string& File, int Orientation) {
  Printer.setOutputFormat(QPrinter::PdfFormat);
  Printer.setOutputFileName(QString::fromStdString(File));
  Printer.setResolution(kFallbackDpi);
  Printer.setFullPage(false);
  // PDF margins come in whole points: the fallback's offsets to the nearest.
  const TPrinterPaper a4 = FallbackPaper(0);
  const double x = std::round(a4.OffsetX * 72.0 / kFallbackDpi), y = std::round(a4.OffsetY * 72.0 / kFallbackDpi);
  Printer.setPageLayout(
      QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(x, y, x, y), QPageLayout::Point));
  Printer.setPageOrientation(Orientation != 0 ? QPageLayout::Landscape : QPageLayout::Portrait);
}

// ---- attaching and page size

void TPrintPageView::SetDocument(TTxFigureSet* Root, const TPageSetup& Setup) {
  FRoot = Root;
  FSetup = Setup;
  if (!FRoot) return;
  FRoot->FViewState = vsPrint;
  Recompute();
}

void TPrintPageView::Recompute() {
  RefreshPageSize();
  ScaleByLayout();
  SetPageSize();
  if (FRoot) PageAlign(FRoot->FHorzPageAlign, FRoot->FVertPageAlign);
}

void TPrintPageView::RefreshPageSize() {
  FPaper = AskPrinter(FPrinter, FSetup.FOrientation);
  FScreenLogPixels = ScreenLogPixels > 0 ? ScreenLogPixels : 96;
  FPageWidth = FPaper.Width;
  FPageHeight = FPaper.Height;
  FMMScale = FScreenLogPixels / 25.4 * FSetup.FScale;
  FPrinterLogPixels = FPaper.LogPixelsX / 25.4;
  // The printer reports one offset per axis: the far side takes the same.
  FPrintLeftOff = MarginPixels(FPaper.OffsetX, FSetup.FPageLeftOff);
  FPrintRightOff = MarginPixels(FPaper.OffsetX, FSetup.FPageRightOff);
  FPrintUpOff = MarginPixels(FPaper.OffsetY, FSetup.FPageUpOff);
  FPrintDownOff = MarginPixels(FPaper.OffsetY, FSetup.FPageDownOff);
  FPrintWidth = FPageWidth - FPrintLeftOff - FPrintRightOff;
  FPrintHeight = FPageHeight - FPrintUpOff - FPrintDownOff;

  const double d = double(FScreenLogPixels) / FPaper.LogPixelsX;
  const double e = double(FScreenLogPixels) / FPaper.LogPixelsY;
  FAbsPageWidth = Round(d * FPageWidth) + 2 * FAbsPageXGap;
  FAbsPageHeight = Round(e * FPageHeight) + 2 * FAbsPageYGap;
  FAbsPrintLeftOff = Round(d * FPrintLeftOff);
  FAbsPrintRightOff = Round(d * FPrintRightOff);
  FAbsPrintUpOff = Round(e * FPrintUpOff);
  FAbsPrintDownOff = Round(e * FPrintDownOff);
  FAbsPrintWidth = Round(d * FPrintWidth);
  FAbsPrintHeight = Round(e * FPrintHeight);
  Zoom(1.0);
}

int TPrintPageView::MarginPixels(int Offset, int Mm) const {
  // Bounded: a typed margin of any size is wider than any paper, never an overflow.
  return std::max(Offset, Round(std::min(Mm * FPrinterLogPixels, 1e8)));
}

bool TPrintPageView::MarginsFit(int Left, int Right, int Up, int Down) const {
  if (Left < 0 || Right < 0 || Up < 0 || Down < 0) return false;
  return FPageWidth - MarginPixels(FPaper.OffsetX, Left) - MarginPixels(FPaper.OffsetX, Right) > 0 &&
         FPageHeight - MarginPixels(FPaper.OffsetY, Up) - MarginPixels(FPaper.OffsetY, Down) > 0;
}

// ---- scale

double TPrintPageView::PrintScale() const { return FRoot ? FRoot->FPrintScale : 1.0; }

void TPrintPageView::ScaleToFit() {
  if (!FRoot || !Printable()) return;
  const double w = FRoot->GetWidth(), h = FRoot->GetHeight();
  if (!(w > 0) || !(h > 0)) return;
  FRoot->FPrintScale = std::min(FAbsPrintWidth / w, FAbsPrintHeight / h);
  FRoot->FPreviewScale = FRoot->FPrintScale * FZoom;
}

void TPrintPageView::ScaleToWidth(int Pages) {
  if (!FRoot || Pages <= 0 || !Printable() || !(FRoot->GetWidth() > 0)) return;
  FRoot->FPrintScale = FAbsPrintWidth / FRoot->GetWidth() * Pages;
  FRoot->FPreviewScale = FRoot->FPrintScale * FZoom;
}

void TPrintPageView::ScaleToHeight(int Pages) {
  if (!FRoot || Pages <= 0 || !Printable() || !(FRoot->GetHeight() > 0)) return;
  FRoot->FPrintScale = FAbsPrintHeight / FRoot->GetHeight() * Pages;
  FRoot->FPreviewScale = FRoot->FPrintScale * FZoom;
}

void TPrintPageView::ScaleByLayout() {
  switch (FSetup.FLayout) {
    case 0: ScaleToFit(); break;
    case 1: ScaleToWidth(FPageNumX); break;
    case 2: ScaleToHeight(FPageNumY); break;
    default: break;
  }
}

bool TPrintPageView::SetCustomScale(double S1, double S2) {
  if (!FRoot || !(S1 > 0) || !(S2 > 0) || !std::isfinite(S1) || !std::isfinite(S2)) return false;
  FRoot->FPrintScale = S1 * FMMScale / S2;
  FRoot->FPreviewScale = FRoot->FPrintScale * FZoom;
  return true;
}

// ---- grid and alignment

void TPrintPageView::SetPageSize() {
  if (!FRoot || !Printable()) {
    FPageNumX = FPageNumY = 0;
  } else {
    const double s = FRoot->FPrintScale;
    FPageNumX = SheetsFor(Round(FRoot->GetWidth() * s), FAbsPrintWidth + 5);
    FPageNumY = SheetsFor(Round(FRoot->GetHeight() * s), FAbsPrintHeight + 5);
    if (FPageNumX == 0 || FPageNumY == 0) FPageNumX = FPageNumY = 0;
  }
  FPrintFirstPage = 1;
  FPrintLastPage = GetPageCount();
}

void TPrintPageView::PageAlign(int Horizontal, int Vertical) {
  if (!FRoot) return;
  FRoot->FHorzPageAlign = Horizontal;
  FRoot->FVertPageAlign = Vertical;
  const double s = FRoot->FPrintScale;
  if (!(s > 0) || GetPageCount() == 0) return;
  const double dx = FPageNumX * FAbsPrintWidth / s - FRoot->GetWidth();
  const double dy = FPageNumY * FAbsPrintHeight / s - FRoot->GetHeight();
  Tpt yd = FRoot->FYd;
  switch (Horizontal) {
    case 0: yd.x = 0; break;
    case 1: yd.x = dx / 2; break;
    case 2: yd.x = dx; break;
    default: break;
  }
  // y points up: the drawing touches the top of the grid when it is lifted
  // by the whole difference.
  switch (Vertical) {
    case 0: yd.y = dy; break;
    case 1: yd.y = dy / 2; break;
    case 2: yd.y = 0; break;
    default: break;
  }
  if (yd.x == FRoot->FYd.x && yd.y == FRoot->FYd.y) return;
  // Not through SetYd: laying out pages is no edit of the drawing.
  FRoot->FYd = yd;
  ++FRoot->FGeneration;
}

int TPrintPageView::GetPageLeftOff() const {
  return std::max(FSetup.FPageLeftOff, Round(FPaper.OffsetX / FPrinterLogPixels));
}
int TPrintPageView::GetPageRightOff() const {
  return std::max(FSetup.FPageRightOff, Round(FPaper.OffsetX / FPrinterLogPixels));
}
int TPrintPageView::GetPageUpOff() const {
  return std::max(FSetup.FPageUpOff, Round(FPaper.OffsetY / FPrinterLogPixels));
}
int TPrintPageView::GetPageDownOff() const {
  return std::max(FSetup.FPageDownOff, Round(FPaper.OffsetY / FPrinterLogPixels));
}
double TPrintPageView::GetPageWidth() const { return FPageWidth / FPrinterLogPixels; }
double TPrintPageView::GetPageHeight() const { return FPageHeight / FPrinterLogPixels; }

// ---- preview zoom

void TPrintPageView::Zoom(double Factor) {
  FZoom = Factor > 0 && std::isfinite(Factor) ? Factor : 1.0;
  auto z = [this](int v) { return Round(v * FZoom); };
  FLPageWidth = z(FAbsPageWidth);
  FLPageHeight = z(FAbsPageHeight);
  FLPrintLeftOff = z(FAbsPrintLeftOff);
  FLPrintRightOff = z(FAbsPrintRightOff);
  FLPrintUpOff = z(FAbsPrintUpOff);
  FLPrintDownOff = z(FAbsPrintDownOff);
  FLPrintWidth = z(FAbsPrintWidth);
  FLPrintHeight = z(FAbsPrintHeight);
  FLPageXGap = z(FAbsPageXGap);
  FLPageYGap = z(FAbsPageYGap);
  if (FRoot) FRoot->FPreviewScale = FRoot->FPrintScale * FZoom;
}

void TPrintPageView::ZoomToFit(int ClientWidth, int ClientHeight) {
  FSinglePage = false;
  const int cols = std::max(1, FPageNumX), rows = std::max(1, FPageNumY);
  if (FAbsPageWidth <= 0 || FAbsPageHeight <= 0 || ClientWidth <= 0 || ClientHeight <= 0) return Zoom(1.0);
  Zoom(std::min(double(ClientWidth) / (cols * FAbsPageWidth), double(ClientHeight) / (rows * FAbsPageHeight)));
}

TPoint TPrintPageView::ZoomOut(TPoint At, int ClientWidth, int ClientHeight) {
  const int col = FLPageWidth > 0 ? std::clamp(At.x / FLPageWidth, 0, std::max(0, FPageNumX - 1)) : 0;
  const int row = FLPageHeight > 0 ? std::clamp(At.y / FLPageHeight, 0, std::max(0, FPageNumY - 1)) : 0;
  FSinglePage = true;
  if (FAbsPageWidth > 0 && FAbsPageHeight > 0 && ClientWidth > 0 && ClientHeight > 0)
    Zoom(std::min(double(ClientWidth) / FAbsPageWidth, double(ClientHeight) / FAbsPageHeight));
  return {col * FLPageWidth, row * FLPageHeight};
}

void TPrintPageView::ZoomIn(int ClientWidth, int ClientHeight) { ZoomToFit(ClientWidth, ClientHeight); }

// ---- painting

TRect TPrintPageView::SheetRect(int Column, int Row, int PrintWidth, int PrintHeight) const {
  // Rows are counted from the top, y points up.
  const int top = (FPageNumY - Row + 1) * PrintHeight;
  return {(Column - 1) * PrintWidth, top - PrintHeight, Column * PrintWidth, top};
}

void TPrintPageView::PaintSheet(TCanvas& DC, int Column, int Row, TPoint Corner, int PrintWidth, int PrintHeight,
                                int Ext, bool Frame) {
  if (!FRoot) return;
  TDCSaver saved(DC);
  DC.SetMapMode(MM_ANISOTROPIC);
  DC.SetWindowExtEx(2540, -2540);
  DC.SetViewportExtEx(Ext, Ext);
  DC.SetViewportOrgEx(Corner.x, Corner.y);
  const TRect sheet = SheetRect(Column, Row, PrintWidth, PrintHeight);
  // The sheet's top-left corner comes to the printable area's corner.
  DC.SetWindowOrgEx(sheet.Left, sheet.Bottom);
  {
    TDCSaver clipped(DC);
    DC.IntersectClipRect(sheet.Left, sheet.Top, sheet.Right, sheet.Bottom);
    FRoot->DrawDC(DC, nullptr, sheet);
  }
  if (Frame) {
    const TPoint outline[5] = {{sheet.Left, sheet.Top},
                               {sheet.Left, sheet.Bottom},
                               {sheet.Right, sheet.Bottom},
                               {sheet.Right, sheet.Top},
                               {sheet.Left, sheet.Top}};
    DC.Polyline(outline, 5);
  }
}

void TPrintPageView::DrawPage(TCanvas& DC, int Column, int Row) {
  if (!FRoot || Column < 1 || Row < 1 || Column > FPageNumX || Row > FPageNumY) return;
  FRoot->FViewState = vsPreview;
  const TPoint grid = DC.GetViewportOrgEx();
  const TRect page{(Column - 1) * FLPageWidth + FLPageXGap, (Row - 1) * FLPageHeight + FLPageYGap,
                   Column * FLPageWidth - FLPageXGap, Row * FLPageHeight - FLPageYGap};
  {
    TDCSaver saved(DC);
    DC.SetMapMode(MM_TEXT);
    DC.FillRect(page, CreateSolidBrush(clWhite));
  }
  const TPoint corner{grid.x + page.Left + FLPrintLeftOff, grid.y + page.Top + FLPrintUpOff};
  PaintSheet(DC, Column, Row, corner, FLPrintWidth, FLPrintHeight, 2540, true);
  FRoot->FViewState = vsPrint;
}

void TPrintPageView::PrintPage(TCanvas& DC, int Page) {
  if (!FRoot || Page < 1 || Page > GetPageCount()) return;
  FRoot->FViewState = vsPrint;
  FPageNow = Page;
  const int column = (Page - 1) % FPageNumX + 1, row = (Page - 1) / FPageNumX + 1;
  // One logical unit is one screen pixel on the printer too.
  const int ext = Round(2540.0 * FPaper.LogPixelsX / FScreenLogPixels);
  const TPoint corner{FPrintLeftOff - FPaper.OffsetX, FPrintUpOff - FPaper.OffsetY};
  PaintSheet(DC, column, row, corner, FAbsPrintWidth, FAbsPrintHeight, ext, FSetup.FPrintFrame);
}

int TPrintPageView::Print(QPrinter& Printer) {
  if (!FRoot) return 0;
  struct TPrintingScope {
    bool& Flag;
    explicit TPrintingScope(bool& F) : Flag(F) { Flag = true; }
    ~TPrintingScope() { Flag = false; }
  } scope(FIsPrinting);
  const int first = std::max(1, FPrintFirstPage), last = std::min(GetPageCount(), FPrintLastPage);
  if (first > last) return 0;
  int printed = 0;
  if (Printer.outputFormat() == QPrinter::PdfFormat) {
    TQtCanvas canvas(&Printer, DT_RASPRINTER, FPaper.LogPixelsX);
    for (int page = first; page <= last; ++page) {
      if (page > first && !canvas.NewPage()) break;
      PrintPage(canvas, page);
      ++printed;
    }
    canvas.Finish();
  } else {
    // Each sheet its own job, as the spooler gets them one by one.
    for (int page = first; page <= last; ++page) {
      TQtCanvas canvas(&Printer, DT_RASPRINTER, FPaper.LogPixelsX);
      PrintPage(canvas, page);
      canvas.Finish();
      ++printed;
    }
  }
  return printed;
}
