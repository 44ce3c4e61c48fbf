// The page model of printing: paper and margins, scale by layout, the page
// grid and its +5 tolerance, alignment, the print range on a PDF printer,
// and the printer kind's turn of label text.

#include "interchange/PrintPages.h"

#include "figures/FigureSet.h"
#include "figures/LabelFont.h"
#include "figures/Texts.h"
#include "foundation/Persistent.h"
#include "platform/QtCanvas.h"
#include "../support/QtTestEnvironment.h"

#include <QFile>
#include <QImage>
#include <QPrinter>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <array>

namespace {

[[maybe_unused]] ::testing::Environment* const kEnvironment =
    ::testing::AddGlobalTestEnvironment(new TQtTestEnvironment(TQtTestEnvironment::TKind::Gui));

class TPrintKindDocument : public TFigureDocument {
public:
  // As the drawing view's item invalidation does: it hands the root back in
  // the drawing view's state.
  void UpdateAllViews(TFigureView*, int Hint, TMyPersistent*) override {
    if (Hint == 1 && Root) Root->FViewState = vsDraw;
  }
  void SetModifiedFlag(bool Value) override { Modified = Value; }
  double GetDocScale() const override { return 1.0; }
  int GetUndoLimit() const override { return 5; }
  int GetCaptureBj() const override { return 8; }
  int GetPrinterLx() const override { return PrinterLx; }
  void AddItemMessage(TMyPersistent*) override {}
  void RemoveItemMessage(TMyPersistent*) override {}
  void FiguresFreeing(const std::vector<TMyPersistent*>&) override {}
  int PrinterLx = 0;
  bool Modified = false;
  TTxFigureSet* Root = nullptr;
};

class PrintPages : public ::testing::Test {
protected:
  void SetUp() override {
    FSavedLogPixels = ScreenLogPixels;
    ScreenLogPixels = 96;
    FRoot.SetDocument(&FDoc);
    FRoot.FWidth = 1000;
    FRoot.FHeight = 700;
  }
  void TearDown() override { ScreenLogPixels = FSavedLogPixels; }

  int PdfPages(const QString& File) {
    QFile f(File);
    if (!f.open(QIODevice::ReadOnly)) return -1;
    return int(QString::fromLatin1(f.readAll()).count(QRegularExpression("/Type\\s*/Page[^s]")));
  }

  std::int32_t FSavedLogPixels = 96;
  TPrintKindDocument FDoc;
  TTxFigureSet FRoot;
  TPrintPageView FView;
};

TEST_F(PrintPages, WithoutAPrinterTheA4FallbackGivesPaperMarginsAndScreenSizes) {
  FView.SetDocument(&FRoot, TPageSetup{});  // margins 25, 12, 10, 10 mm
  EXPECT_EQ(FView.FPageWidth, 4962);
  EXPECT_EQ(FView.FPageHeight, 7014);
  // 25 mm at 600 dpi = 590.55 -> 591; 12 mm -> 283; 10 mm -> 236.
  EXPECT_EQ(FView.FPrintLeftOff, 591);
  EXPECT_EQ(FView.FPrintRightOff, 283);
  EXPECT_EQ(FView.FPrintUpOff, 236);
  EXPECT_EQ(FView.FPrintDownOff, 236);
  EXPECT_EQ(FView.FPrintWidth, 4962 - 591 - 283);
  EXPECT_EQ(FView.FPrintHeight, 7014 - 472);
  // 96 / 600 of it on the screen, the pages 30 pixels apart on each side.
  EXPECT_EQ(FView.FAbsPageWidth, 794 + 60);
  EXPECT_EQ(FView.FAbsPageHeight, 1122 + 60);
  EXPECT_EQ(FView.FAbsPrintWidth, 654);
  EXPECT_EQ(FView.FAbsPrintHeight, 1047);
  EXPECT_NEAR(FView.GetPageWidth(), 210.1, 0.1);
  EXPECT_EQ(FRoot.FViewState, vsPrint);
}

TEST_F(PrintPages, LayoutsSetTheScaleAndTheGridFollows) {
  TPageSetup setup;
  setup.FLayout = 0;
  FView.SetDocument(&FRoot, setup);
  EXPECT_DOUBLE_EQ(FRoot.FPrintScale, std::min(654 / 1000.0, 1047 / 700.0));
  EXPECT_EQ(FView.GetPageCount(), 1);

  // Two pages wide: the drawing spans exactly two printable widths.
  setup.FLayout = 1;
  FView.Setup() = setup;
  FView.FPageNumX = 2;
  FView.Recompute();
  EXPECT_DOUBLE_EQ(FRoot.FPrintScale, 654 / 1000.0 * 2);
  EXPECT_EQ(FView.FPageNumX, 2);
  EXPECT_EQ(FView.FPageNumY, 1);
  EXPECT_EQ(FView.FPrintLastPage, 2);

  // A page count of 0 leaves the scale alone.
  FView.ScaleToHeight(0);
  EXPECT_DOUBLE_EQ(FRoot.FPrintScale, 654 / 1000.0 * 2);

  // Custom: 1 mm on paper = 2 drawing units.
  EXPECT_TRUE(FView.SetCustomScale(1, 2));
  EXPECT_DOUBLE_EQ(FRoot.FPrintScale, 96 / 25.4 / 2);
  EXPECT_FALSE(FView.SetCustomScale(0, 2));
  EXPECT_FALSE(FView.SetCustomScale(1, 0));
  EXPECT_DOUBLE_EQ(FRoot.FPrintScale, 96 / 25.4 / 2);
}

TEST_F(PrintPages, AScaledWidthOfThePrintableWidthPlusFiveTakesOneColumn) {
  FView.SetDocument(&FRoot, TPageSetup{});
  FRoot.FPrintScale = (654 + 5) / 1000.0;
  FView.SetPageSize();
  EXPECT_EQ(FView.FPageNumX, 1);
  FRoot.FPrintScale = (654 + 6) / 1000.0;
  FView.SetPageSize();
  EXPECT_EQ(FView.FPageNumX, 2);
}

TEST_F(PrintPages, MarginsBelowThePrintersOffsetsAreShownAndUsedAsTheOffsets) {
  QTemporaryDir dir;
  QPrinter printer(QPrinter::HighResolution);
  SetUpPdfPrinter(printer, (dir.path() + "/m.pdf").toStdString(), 0);
  TPageSetup setup;
  setup.FPageLeftOff = setup.FPageRightOff = setup.FPageUpOff = setup.FPageDownOff = 2;
  FView.SetPrinter(&printer);
  FView.SetDocument(&FRoot, setup);
  // The PDF printer keeps the fallback's offsets in whole points: 16 and
  // 18 points, 133 and 150 pixels.
  EXPECT_EQ(FView.FPrintLeftOff, 133);
  EXPECT_EQ(FView.FPrintRightOff, 133);
  EXPECT_EQ(FView.FPrintUpOff, 150);
  EXPECT_EQ(FView.FPrintDownOff, 150);
  EXPECT_EQ(FView.GetPageLeftOff(), 6);  // 5.6 mm
  EXPECT_EQ(FView.GetPageUpOff(), 6);    // 6.35 mm
  // A wider margin is the user's.
  FView.SetPageLeftOff(30);
  FView.RefreshPageSize();
  EXPECT_EQ(FView.GetPageLeftOff(), 30);
  EXPECT_EQ(FView.FPrintLeftOff, 709);
}

TEST_F(PrintPages, MarginsWiderThanThePaperLeaveAnEmptyGridThatPrintsNothing) {
  QTemporaryDir dir;
  const QString file = dir.path() + "/empty.pdf";
  QPrinter printer(QPrinter::HighResolution);
  SetUpPdfPrinter(printer, file.toStdString(), 0);
  TPageSetup setup;
  setup.FLayout = 0;
  setup.FPageLeftOff = setup.FPageRightOff = 150;
  FView.SetPrinter(&printer);
  FView.SetDocument(&FRoot, setup);
  EXPECT_FALSE(FView.Printable());
  EXPECT_EQ(FView.GetPageCount(), 0);
  EXPECT_DOUBLE_EQ(FRoot.FPrintScale, 1.0);  // no division by a width of 0 or less
  EXPECT_EQ(FView.Print(printer), 0);
  EXPECT_FALSE(QFile::exists(file));
}

TEST_F(PrintPages, APdfHoldsOnePagePerSheetOfTheRange) {
  QTemporaryDir dir;
  const QString file = dir.path() + "/grid.pdf";
  QPrinter printer(QPrinter::HighResolution);
  SetUpPdfPrinter(printer, file.toStdString(), 0);
  FView.SetPrinter(&printer);
  FView.SetDocument(&FRoot, TPageSetup{});
  FRoot.FPrintScale = 1.2;  // 1200 x 840 screen pixels: 2 x 1 sheets
  FView.SetPageSize();
  ASSERT_EQ(FView.GetPageCount(), 2);
  EXPECT_EQ(FView.Print(printer), 2);
  EXPECT_EQ(PdfPages(file), 2);

  // "selection": the range 0..0 prints nothing.
  const QString none = dir.path() + "/none.pdf";
  printer.setOutputFileName(none);
  FView.FPrintFirstPage = FView.FPrintLastPage = 0;
  EXPECT_EQ(FView.Print(printer), 0);
  EXPECT_FALSE(QFile::exists(none));

  // A range past the grid is cut to it.
  const QString second = dir.path() + "/second.pdf";
  printer.setOutputFileName(second);
  FView.FPrintFirstPage = 2;
  FView.FPrintLastPage = 9;
  EXPECT_EQ(FView.Print(printer), 1);
  EXPECT_EQ(PdfPages(second), 1);
  EXPECT_FALSE(FView.FIsPrinting);
}

TEST_F(PrintPages, AlignmentMovesTheReferencePointOnTheGridWithoutMarkingTheDrawing) {
  FRoot.FHorzPageAlign = 1;
  FRoot.FVertPageAlign = 0;
  FView.SetDocument(&FRoot, TPageSetup{});  // custom scale 1: 1000 x 700 on 654 x 1047
  ASSERT_EQ(FView.FPageNumX, 2);
  ASSERT_EQ(FView.FPageNumY, 1);
  EXPECT_DOUBLE_EQ(FRoot.FYd.x, (2 * 654 - 1000) / 2.0);
  // Top: the drawing's upper edge on the grid's upper edge (y points up).
  EXPECT_DOUBLE_EQ(FRoot.FYd.y + 700, 1047);
  EXPECT_FALSE(FDoc.Modified);

  FView.PageAlign(2, 2);
  EXPECT_DOUBLE_EQ(FRoot.FYd.x, 2 * 654 - 1000);
  EXPECT_DOUBLE_EQ(FRoot.FYd.y, 0);
  FRoot.FYd = {7, 8};
  FView.PageAlign(3, 3);  // custom keeps the point
  EXPECT_DOUBLE_EQ(FRoot.FYd.x, 7);
  EXPECT_DOUBLE_EQ(FRoot.FYd.y, 8);
}

TEST_F(PrintPages, TheMagnifierZoomsOntoThePageUnderThePointerAndBack) {
  FView.SetDocument(&FRoot, TPageSetup{});
  ASSERT_EQ(FView.GetPageCount(), 2);
  FView.ZoomToFit(854, 600);
  const double all = FView.FZoom;
  EXPECT_DOUBLE_EQ(all, std::min(854.0 / (2 * 854), 600.0 / 1182));
  EXPECT_DOUBLE_EQ(FRoot.FPreviewScale, FRoot.FPrintScale * all);
  const TPoint to = FView.ZoomOut({FView.FLPageWidth + 3, 10}, 854, 600);
  EXPECT_TRUE(FView.FSinglePage);
  EXPECT_DOUBLE_EQ(FView.FZoom, std::min(854.0 / 854, 600.0 / 1182));
  EXPECT_EQ(to.x, FView.FLPageWidth);  // the second page
  EXPECT_EQ(to.y, 0);
  FView.ZoomIn(854, 600);
  EXPECT_FALSE(FView.FSinglePage);
  EXPECT_DOUBLE_EQ(FView.FZoom, all);
}

TEST_F(PrintPages, PrintedLabelTextTurnsByThePrinterKind) {
  QImage paper(10, 10, QImage::Format_RGB32), glass(10, 10, QImage::Format_RGB32);
  TQtCanvas printer(&paper, DT_RASPRINTER);
  TQtCanvas screen(&glass, DT_RASDISPLAY);
  FDoc.PrinterLx = 0;
  EXPECT_EQ(LabelEscapement(FRoot, printer, 30), 300);
  EXPECT_EQ(LabelEscapement(FRoot, screen, 30), -300);
  FDoc.PrinterLx = 1;
  EXPECT_EQ(LabelEscapement(FRoot, printer, 30), -300);
}

TEST_F(PrintPages, APrinterCanvasTurnsTextTheWayTheScreenShowsIt) {
  // A first-kind printer takes the escapement unnegated; under the y-up
  // mapping the text must still run up to the right, as on the screen.
  auto inkTopRight = [](int Technology, int Escapement) {
    QImage image(200, 200, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
      TQtCanvas cv(&image, Technology);
      cv.SetMapMode(MM_ANISOTROPIC);
      cv.SetWindowExtEx(2540, -2540);
      cv.SetViewportExtEx(2540, 2540);
      cv.SetWindowOrgEx(0, 200);
      TLogFont f = cv.GetFont();
      f.Height = -20;
      f.Escapement = f.Orientation = Escapement;
      cv.SelectFont(f);
      cv.SetBkMode(TRANSPARENT);
      cv.TextOut(20, 100, "WWWWWWWW");
    }
    int top = 0, bottom = 0;  // ink in the upper or lower half
    for (int y = 0; y < 200; ++y)
      for (int x = 100; x < 200; ++x)
        if (qGray(image.pixel(x, y)) < 128) (y < 100 ? top : bottom)++;
    return top > bottom;
  };
  EXPECT_TRUE(inkTopRight(DT_RASDISPLAY, -450));
  EXPECT_TRUE(inkTopRight(DT_RASPRINTER, 450));
}

// A rectangle as (left, top, right, bottom), to compare in one go.
std::array<int, 4> Sides(const TRect& R) { return {R.Left, R.Top, R.Right, R.Bottom}; }
using TSides = std::array<int, 4>;

TEST_F(PrintPages, EachSheetPrintsItsPartOfTheTiledAreaFromTheDrawingsLeftEdge) {
  // The sample's sheet, 840 x 594, at the custom scale 1 on A4: 2 x 1 sheets
  // of 654 x 1047, the drawing at the top left.
  FRoot.FWidth = 840;
  FRoot.FHeight = 594;
  FView.SetDocument(&FRoot, TPageSetup{});
  ASSERT_EQ(FView.FPageNumX, 2);
  ASSERT_EQ(FView.FPageNumY, 1);
  TRect drawing;
  FRoot.CalcPositionRect(drawing);
  EXPECT_EQ(Sides(drawing), (TSides{0, 1047 - 594, 840, 1047}));
  EXPECT_EQ(Sides(FView.SheetRect(1, 1)), (TSides{0, 0, 654, 1047}));
  EXPECT_EQ(Sides(FView.SheetRect(2, 1)), (TSides{654, 0, 1308, 1047}));

  // Two rows: the top row holds the drawing's upper part.
  FRoot.FHeight = 1500;
  FView.Recompute();
  ASSERT_EQ(FView.FPageNumY, 2);
  FRoot.CalcPositionRect(drawing);
  EXPECT_EQ(Sides(drawing), (TSides{0, 2094 - 1500, 840, 2094}));
  EXPECT_EQ(Sides(FView.SheetRect(1, 1)), (TSides{0, 1047, 654, 2094}));
  EXPECT_EQ(Sides(FView.SheetRect(2, 2)), (TSides{654, 0, 1308, 1047}));
}

TEST_F(PrintPages, ALabelSizedToItsTextPaintsOnAPreviewPageAndKeepsItsSavedSize) {
  FDoc.Root = &FRoot;
  FRoot.FShowFrame = false;
  FRoot.AddLayer("文字=2", nullptr);
  auto owned = std::make_unique<TTxXLabel>();
  TTxXLabel& label = *owned;
  label.FText = "WWWW";
  label.FAutoSize = true;
  label.FFont->FHeight = 40;
  label.FFont->FColor = clBlack;
  label.FYd = {400, 500};  // stored 100 x 20, as never painted on the screen
  FRoot.InsertFigure(std::move(owned));
  FView.SetDocument(&FRoot, TPageSetup{});  // 1000 x 700 on 2 x 1 sheets
  FView.ZoomToFit(854, 591);                // half size
  ASSERT_DOUBLE_EQ(FView.FZoom, 0.5);

  QImage image(FView.GridSize().cx, FView.GridSize().cy, QImage::Format_RGB32);
  image.fill(Qt::gray);
  {
    TQtCanvas canvas(&image, DT_RASDISPLAY);
    FView.DrawPage(canvas, 1, 1);
  }
  // The label's box on the first page: local (400, 500) is preview pixel
  // 200 from the printable area's left and half of (700 - 500 - 20) from its
  // top, the drawing being at the top of the sheet.
  const int left = FView.FLPageXGap + FView.FLPrintLeftOff, top = FView.FLPageYGap + FView.FLPrintUpOff;
  const int x0 = left + 200, y0 = top + (700 - 500 - 20) / 2;
  int ink = 0;
  for (int y = y0 - 4; y < y0 + 30; ++y)
    for (int x = x0 - 4; x < x0 + 80; ++x) ink += qGray(image.pixel(x, y)) < 100;
  EXPECT_GT(ink, 40) << "the label's text on the page";
  // Measured at the preview's font, the box is not the drawing's.
  EXPECT_DOUBLE_EQ(label.FWidth, 100);
  EXPECT_DOUBLE_EQ(label.FHeight, 20);
  EXPECT_DOUBLE_EQ(label.FYd.y, 500);
  EXPECT_EQ(FRoot.FViewState, vsPrint);
}

}  // namespace
