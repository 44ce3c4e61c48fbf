#pragma once
// The page model behind printing and the print preview: the paper and its
// margins in printer pixels and in screen pixels, the print scale chosen by
// the layout, the grid of sheets the drawing is tiled over, the drawing's
// alignment on that grid, and the painting of one sheet. No widgets: the
// preview window shows this model, the print command and the command line
// print through it.
//
// Logical units are screen pixels at the print scale, y upwards; the tiled
// printable area runs from (0, 0) to (columns x printable width, rows x
// printable height), sheet (1, 1) at its top left.

#include "platform/Gdi.h"

#include <cstdint>
#include <string>

class QPrinter;
class TCanvas;
class TTxFigureSet;

// The document's print settings, saved with it.
struct TPageSetup {
  std::int32_t FOrientation = 0;  // 0 portrait, else landscape
  double FScale = 1.0;            // the drawing scale (user units per local unit)
  std::int32_t FLayout = 3;       // 0 one page, 1 N pages wide, 2 N pages high, 3 custom scale
  std::int32_t FPageLeftOff = 25;
  std::int32_t FPageRightOff = 12;
  std::int32_t FPageUpOff = 10;
  std::int32_t FPageDownOff = 10;
  double FPrintScale = 1.0;
  bool FPrintFrame = false;
  bool operator==(const TPageSetup&) const = default;
};

// What a printer says about its paper, in its own pixels.
struct TPrinterPaper {
  int Width = 0, Height = 0;
  int OffsetX = 0, OffsetY = 0;  // the physical offsets of the printable area
  int LogPixelsX = 0, LogPixelsY = 0;
};
// A4 at 600 pixels per inch, for a printer that cannot be asked.
TPrinterPaper FallbackPaper(int Orientation);
// Sets Printer's orientation and reads its paper; the fallback when there
// is no printer, it is not usable, or its paper is below 10 pixels.
TPrinterPaper AskPrinter(QPrinter* Printer, int Orientation);
// A printer writing PDF to File, with the fallback's paper and offsets, so
// that the file holds what the preview shows without a printer.
void SetUpPdfPrinter(QPrinter& Printer, const std::string& File, int Orientation);

class TPrintPageView {
public:
  static constexpr int kPageGap = 30;

  // The printer the pages are laid out for; null uses the fallback paper.
  void SetPrinter(QPrinter* Printer) { FPrinter = Printer; }
  QPrinter* Printer() const { return FPrinter; }

  // Attaches the drawing with its document's settings: print view state,
  // page size, scale by layout, grid, stored alignment. Null detaches.
  void SetDocument(TTxFigureSet* Root, const TPageSetup& Setup);
  TTxFigureSet* Root() const { return FRoot; }
  const TPageSetup& Setup() const { return FSetup; }
  TPageSetup& Setup() { return FSetup; }

  void RefreshPageSize();
  void ScaleToFit();
  void ScaleToWidth(int Pages);
  void ScaleToHeight(int Pages);
  // The layout's scale (the custom layout keeps the one there is).
  void ScaleByLayout();
  // S1 millimetres on paper for S2 drawing units; false (nothing changes)
  // unless both are above 0.
  bool SetCustomScale(double S1, double S2);
  void SetPageSize();
  void PageAlign(int Horizontal, int Vertical);
  // After any of the settings changed: page size, scale, grid, alignment.
  void Recompute();

  // Whether the margins leave a printable area on the paper.
  bool Printable() const { return FPrintWidth > 0 && FPrintHeight > 0; }
  // Whether margins of these millimetres would, each at least the printer's
  // offset, leave a printable area on the present paper.
  bool MarginsFit(int Left, int Right, int Up, int Down) const;
  int GetPageCount() const { return FPageNumX * FPageNumY; }
  // Margins as the user sees them, in millimetres: never below the printer's offsets.
  int GetPageLeftOff() const;
  int GetPageRightOff() const;
  int GetPageUpOff() const;
  int GetPageDownOff() const;
  void SetPageLeftOff(int Mm) { FSetup.FPageLeftOff = Mm; }
  void SetPageRightOff(int Mm) { FSetup.FPageRightOff = Mm; }
  void SetPageUpOff(int Mm) { FSetup.FPageUpOff = Mm; }
  void SetPageDownOff(int Mm) { FSetup.FPageDownOff = Mm; }
  // The paper in millimetres.
  double GetPageWidth() const;
  double GetPageHeight() const;
  // The print scale of the drawing root.
  double PrintScale() const;

  // Preview zoom: the whole grid into the client area, or one page.
  void ZoomToFit(int ClientWidth, int ClientHeight);
  // Onto the page holding the grid point (preview pixels); returns where
  // the view should scroll to, the page's top-left corner.
  TPoint ZoomOut(TPoint At, int ClientWidth, int ClientHeight);
  void ZoomIn(int ClientWidth, int ClientHeight);
  // The whole grid in preview pixels.
  TSize GridSize() const { return {FPageNumX * FLPageWidth, FPageNumY * FLPageHeight}; }

  // The part of the tiled area sheet (Column, Row) prints, in logical units
  // of the printer (the print scale), y up: top-left sheet first.
  TRect SheetRect(int Column, int Row) const { return SheetRect(Column, Row, FAbsPrintWidth, FAbsPrintHeight); }

  // Paints preview sheet (Column, Row), counted from 1, as a white page with
  // its part of the drawing; the canvas's viewport origin is the grid's
  // top-left corner on the device.
  void DrawPage(TCanvas& DC, int Column, int Row);
  // Paints page Page (1 .. count, row by row) onto a printer's canvas whose
  // origin is the printable area's corner.
  void PrintPage(TCanvas& DC, int Page);
  // Prints pages FPrintFirstPage .. FPrintLastPage that exist; a file gets
  // one document with a page per sheet, a real printer one job per sheet.
  // Returns the number of pages printed.
  int Print(QPrinter& Printer);

  // Printer values (printer pixels).
  int FPageWidth = 0, FPageHeight = 0;
  int FPrintLeftOff = 0, FPrintRightOff = 0, FPrintUpOff = 0, FPrintDownOff = 0;
  int FPrintWidth = 0, FPrintHeight = 0;
  // Preview values (screen pixels, zoomed) and their unzoomed copies.
  int FLPageWidth = 0, FLPageHeight = 0;
  int FLPrintLeftOff = 0, FLPrintRightOff = 0, FLPrintUpOff = 0, FLPrintDownOff = 0;
  int FLPrintWidth = 0, FLPrintHeight = 0;
  int FLPageXGap = kPageGap, FLPageYGap = kPageGap;
  int FAbsPageWidth = 0, FAbsPageHeight = 0;
  int FAbsPrintLeftOff = 0, FAbsPrintRightOff = 0, FAbsPrintUpOff = 0, FAbsPrintDownOff = 0;
  int FAbsPrintWidth = 0, FAbsPrintHeight = 0;
  int FAbsPageXGap = kPageGap, FAbsPageYGap = kPageGap;
  int FPageNumX = 1, FPageNumY = 1;
  int FPageNow = 1;
  int FPrintFirstPage = 1, FPrintLastPage = 1;
  double FMMScale = 1.0;           // screen pixels per millimetre times the drawing scale
  double FPrinterLogPixels = 1.0;  // printer pixels per millimetre
  double FZoom = 1.0;
  bool FSinglePage = false;
  bool FIsPrinting = false;

private:
  int MarginPixels(int Offset, int Mm) const;
  TRect SheetRect(int Column, int Row, int PrintWidth, int PrintHeight) const;
  void Zoom(double Factor);
  // Paints the drawing's part of sheet (Column, Row) into the printable
  // rectangle whose device corner is Corner; Ext device units per 2540 logical.
  void PaintSheet(TCanvas& DC, int Column, int Row, TPoint Corner, int PrintWidth, int PrintHeight, int Ext,
                  bool Frame);

  QPrinter* FPrinter = nullptr;
  TTxFigureSet* FRoot = nullptr;
  TPageSetup FSetup;
  TPrinterPaper FPaper;
  int FScreenLogPixels = 96;
};
