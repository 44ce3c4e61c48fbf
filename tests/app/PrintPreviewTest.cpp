// Printing the drawing: the preview and printing leave the saved drawing
// alone unless the page setup changed (one undo step then), the page setup
// refuses values that leave nothing to print, "selection" is told, and the
// command line's PDF and SVG open in other readers.

#include "AppTestSupport.h"
#include "ScriptedAnswers.h"

#include "app/CommandLine.h"
#include "app/PageSetup.h"
#include "app/PrintPreview.h"
#include "docview/DrawView.h"
#include "figures/Texts.h"
#include "foundation/ValueStream.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QSvgRenderer>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QXmlStreamReader>

#include <filesystem>
#include <optional>
#include <sstream>

namespace fs = std::filesystem;

namespace {

const std::string kSample = std::string(PLANDECK_SOURCE_DIR) + "/samples/site.gck";

// The document's saved values, as bytes.
std::vector<std::uint8_t> SavedBytes(TFiguresDoc& Doc) {
  std::vector<std::uint8_t> bytes;
  TWriter writer(bytes);
  Doc.WriteData(writer);
  return bytes;
}

int Plandeck(std::initializer_list<std::string> Args, std::string* Err = nullptr) {
  std::vector<std::string> words{"plandeck"};
  words.insert(words.end(), Args);
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  std::ostringstream out, err;
  const int code = RunCommandLine(static_cast<int>(words.size()), argv.data(), out, err);
  if (Err) *Err = err.str();
  return code;
}

// A tool's output, or nothing when it is not installed.
std::optional<QByteArray> Tool(const QString& Name, const QStringList& Args) {
  if (QStandardPaths::findExecutable(Name).isEmpty()) return std::nullopt;
  QProcess p;
  p.start(Name, Args);
  if (!p.waitForFinished(60000) || p.exitCode() != 0) return QByteArray();
  return p.readAllStandardOutput();
}

class PrintPreview : public DialogTest {
protected:
  void SetUp() override {
    DialogTest::SetUp();
    doc.FFigures->FWidth = 840;
    doc.FFigures->FHeight = 594;
    doc.SetModifiedFlag(false);
  }
  void TearDown() override {
    SetPrintDialogHook({});
    SetPageSetupHook({});
    DialogTest::TearDown();
  }
};

TEST_F(PrintPreview, PreviewingAndPrintingLeaveTheSavedDrawingAlone) {
  doc.FFigures->FHorzPageAlign = 1;  // centring moves the reference point while laid out
  doc.FFigures->FVertPageAlign = 1;
  doc.FLayout = 0;
  // A label sized to its text, never painted on the screen: printing
  // measures it with other fonts and must not store what it measured.
  auto* label = AddFigure<TTxXLabel>();
  label->FAutoSize = true;
  label->FText = "拟建建筑";
  label->SetRefPoint(100, 100);
  doc.SetModifiedFlag(false);
  const auto before = SavedBytes(doc);
  {
    TPrintPrev prev;
    prev.SetDocument(&doc);
    prev.FMagnifierAction->trigger();
    prev.ScrollBox().MagnifyAt({50, 50});
    EXPECT_TRUE(prev.PageView().FSinglePage);
    prev.ReleaseDocument();
  }
  EXPECT_EQ(doc.FFigures->FViewState, vsDraw);
  EXPECT_EQ(SavedBytes(doc), before);
  EXPECT_FALSE(doc.GetModifiedFlag());
  EXPECT_EQ(UndoCount(), 0);

  QTemporaryDir dir;
  SetPrintDialogHook([&](QPrinter& Printer, int) {
    SetUpPdfPrinter(Printer, (dir.path() + "/p.pdf").toStdString(), 0);
    return TPrintChoice{true, TPrintRange::All, 1, 1, 0};
  });
  PrintCommand(doc, nullptr);
  EXPECT_TRUE(QFile::exists(dir.path() + "/p.pdf"));
  EXPECT_EQ(SavedBytes(doc), before);
  EXPECT_FALSE(doc.GetModifiedFlag());
}

TEST_F(PrintPreview, AChangedPageSetupIsOneUndoableStepAndMarksTheDrawing) {
  const auto before = SavedBytes(doc);
  SetPageSetupHook([](TSetPage& Dialog) {
    TSetPageValues v = Dialog.Values();
    v.Left = "40";
    v.HorzAlign = 2;
    v.PrintFrame = true;
    Dialog.SetValues(v);
    return true;
  });
  {
    TPrintPrev prev;
    prev.SetDocument(&doc);
    EXPECT_TRUE(prev.PageSetup());
    prev.ReleaseDocument();
  }
  EXPECT_TRUE(doc.GetModifiedFlag());
  EXPECT_EQ(UndoCount(), 1);
  EXPECT_EQ(doc.FPageLeftOff, 40);
  EXPECT_TRUE(doc.FPrintFrame);
  EXPECT_EQ(doc.FFigures->FHorzPageAlign, 2);
  const auto after = SavedBytes(doc);
  EXPECT_NE(after, before);

  view->Undo();
  EXPECT_EQ(SavedBytes(doc), before);
  EXPECT_EQ(doc.FFigures->RedoCount(), 1);
  doc.FFigures->Redo(view.get());
  EXPECT_EQ(SavedBytes(doc), after);
}

TEST_F(PrintPreview, ThePageSetupRefusesAZeroScaleMarginsWiderThanThePaperAndNoPages) {
  TPrintPageView pages;
  pages.SetDocument(doc.FFigures.get(), PageSetupOf(doc));
  const TSetPageValues good = PageSetupValues(pages, 0);
  EXPECT_EQ(RefusePageSetup(good, pages), "");
  EXPECT_EQ(good.S1, "1");

  TSetPageValues v = good;
  v.S2 = "0";
  EXPECT_EQ(RefusePageSetup(v, pages), "比例必须大于0！");
  v = good;
  v.S1 = "0.000";
  EXPECT_EQ(RefusePageSetup(v, pages), "比例必须大于0！");
  v = good;
  v.Left = "150";
  v.Right = "100";
  EXPECT_EQ(RefusePageSetup(v, pages), "页边距超出纸张范围！");
  // The printer's offset stands in for a smaller margin: 0 + 205 mm leaves
  // nothing of 210 mm once the left side takes the offset of 5.5 mm.
  v = good;
  v.Left = "0";
  v.Right = "205";
  EXPECT_EQ(RefusePageSetup(v, pages), "页边距超出纸张范围！");
  v.Right = "200";
  EXPECT_EQ(RefusePageSetup(v, pages), "");
  v.Right = "2147483647";
  EXPECT_EQ(RefusePageSetup(v, pages), "页边距超出纸张范围！");
  v = good;
  v.Layout = 1;
  v.PagesWide = "0";
  EXPECT_EQ(RefusePageSetup(v, pages), "页数必须大于0！");

  // The dialog says so and stays open.
  TSetPage dialog(v, pages);
  EXPECT_EQ(dialog.Tabs()->count(), 3);
  TScopedMessageAnswer answer(mrOk);
  dialog.accept();
  ASSERT_EQ(answer.Asked().size(), 1u);
  EXPECT_EQ(answer.Asked()[0].Text, "页数必须大于0！");
  EXPECT_NE(dialog.result(), QDialog::Accepted);

  // A number that does not parse ends the update there.
  v = good;
  v.Up = "x";
  v.Layout = 0;
  int lx = 5;
  ApplyPageSetup(v, pages, lx);
  EXPECT_EQ(pages.Setup().FLayout, 3);
  EXPECT_EQ(lx, 5);
}

TEST_F(PrintPreview, ChoosingSelectionInThePrintDialogSaysNoPageIsSelected) {
  QTemporaryDir dir;
  const QString file = dir.path() + "/s.pdf";
  SetPrintDialogHook([&](QPrinter& Printer, int) {
    SetUpPdfPrinter(Printer, file.toStdString(), 0);
    return TPrintChoice{true, TPrintRange::Selection, 1, 1, 0};
  });
  TScopedMessageAnswer answer(mrOk);
  PrintCommand(doc, nullptr);
  ASSERT_EQ(answer.Asked().size(), 1u);
  EXPECT_EQ(answer.Asked()[0].Text, "没有选定要打印的页面！");
  EXPECT_FALSE(QFile::exists(file));
}

TEST_F(PrintPreview, AnEmptyGridPrintsNothingAndSaysSo) {
  doc.FPageLeftOff = 300;  // wider than A4
  QTemporaryDir dir;
  const QString file = dir.path() + "/e.pdf";
  SetPrintDialogHook([&](QPrinter& Printer, int Count) {
    EXPECT_EQ(Count, 0);
    SetUpPdfPrinter(Printer, file.toStdString(), 0);
    return TPrintChoice{true, TPrintRange::All, 1, 1, 0};
  });
  TScopedMessageAnswer answer(mrOk);
  PrintCommand(doc, nullptr);
  ASSERT_EQ(answer.Asked().size(), 1u);
  EXPECT_EQ(answer.Asked()[0].Text, "没有可打印的页面！");
  EXPECT_FALSE(QFile::exists(file));
}

// ---- the command line's files in other readers

class PrintFiles : public ::testing::Test {
protected:
  void SetUp() override { RegisterPlandeckClasses(); }
  QTemporaryDir FDir;
  std::string Path(const char* Name) const { return (FDir.path() + "/" + Name).toStdString(); }
};

TEST_F(PrintFiles, TheSampleOnA2By2GridIsSplitAtTheSheetEdges) {
  // The sample laid out landscape at 1 mm = 0.5 drawing units: 420 x 297 mm
  // of drawing over sheets of 260 x 190 mm.
  TTxProjectFile file;
  ASSERT_TRUE(ReadDrawingFile(kSample, file).Ok);
  TFiguresDoc& d = *file.FTxProject->FTxSpaces->Docs(0);
  d.FOrientation = 1;
  d.FLayout = 3;
  d.FPrintScale = 96 / 25.4 * d.FScale / 0.5;
  const std::string gck = Path("grid.gck");
  WriteDrawingFile(gck, file);
  ASSERT_EQ(Plandeck({"convert", gck, Path("grid.pdf")}), 0);

  const auto info = Tool("pdfinfo", {QString::fromStdString(Path("grid.pdf"))});
  if (!info) GTEST_SKIP() << "poppler-utils (pdfinfo, pdftoppm) are not installed";
  EXPECT_TRUE(QString::fromUtf8(*info).contains(QRegularExpression("Pages:\\s+4\\n"))) << info->toStdString();
  ASSERT_TRUE(Tool("pdftoppm", {"-r", "75", "-png", QString::fromStdString(Path("grid.pdf")),
                                QString::fromStdString(Path("sheet"))}));
  QImage sheet[4];
  for (int i = 0; i < 4; ++i) {
    sheet[i].load(QString::fromStdString(Path(("sheet-" + std::to_string(i + 1) + ".png").c_str())));
    ASSERT_FALSE(sheet[i].isNull()) << i;
  }
  // The printable area at 75 dpi: margins 25, 12, 10, 10 mm on 297 x 210.
  const int w = sheet[0].width(), h = sheet[0].height();
  const int left = qRound(25 / 25.4 * 75), right = w - qRound(12 / 25.4 * 75);
  const int top = qRound(10 / 25.4 * 75), bottom = h - qRound(10 / 25.4 * 75);
  auto ink = [](const QImage& I, int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = std::max(0, y0); y < std::min(I.height(), y1); ++y)
      for (int x = std::max(0, x0); x < std::min(I.width(), x1); ++x) n += qGray(I.pixel(x, y)) < 200;
    return n;
  };
  for (int i = 0; i < 4; ++i) {
    EXPECT_GT(ink(sheet[i], left, top, right, bottom), 100) << "sheet " << i + 1 << " shows its part";
    // Nothing in the margins: the drawing is cut at the printable area.
    EXPECT_EQ(ink(sheet[i], 0, 0, left - 2, h), 0) << i;
    EXPECT_EQ(ink(sheet[i], right + 2, 0, w, h), 0) << i;
    EXPECT_EQ(ink(sheet[i], 0, bottom + 2, w, h), 0) << i;
  }
  // What leaves sheet 1 at its right edge comes in on sheet 2 at its left,
  // row for row; the same downwards from sheet 1 to sheet 3.
  int rows = 0, matched = 0;
  for (int y = top; y < bottom; ++y) {
    if (ink(sheet[0], right - 3, y, right, y + 1) == 0) continue;
    ++rows;
    matched += ink(sheet[1], left, y - 2, left + 3, y + 3) > 0;
  }
  EXPECT_GT(rows, 3);
  EXPECT_GE(matched * 10, rows * 7) << matched << " of " << rows;
  int cols = 0, matchedCols = 0;
  for (int x = left; x < right; ++x) {
    if (ink(sheet[0], x, bottom - 3, x + 1, bottom) == 0) continue;
    ++cols;
    matchedCols += ink(sheet[2], x - 2, top, x + 3, top + 3) > 0;
  }
  EXPECT_GT(cols, 3);
  EXPECT_GE(matchedCols * 10, cols * 7) << matchedCols << " of " << cols;
}

TEST_F(PrintFiles, APdfAndAnSvgFromTheCommandLineOpenInOtherReaders) {
  ASSERT_EQ(Plandeck({"convert", kSample, Path("site.pdf")}), 0);
  ASSERT_EQ(Plandeck({"convert", kSample, Path("site.svg")}), 0);
  ASSERT_EQ(Plandeck({"convert", kSample, Path("site.png")}), 0);
  EXPECT_FALSE(QImage(QString::fromStdString(Path("site.png"))).isNull());

  // The SVG is well-formed XML with vector paths and the texts as text.
  QFile svg(QString::fromStdString(Path("site.svg")));
  ASSERT_TRUE(svg.open(QIODevice::ReadOnly));
  const QByteArray xml = svg.readAll();
  QXmlStreamReader reader(xml);
  int paths = 0, texts = 0, images = 0;
  while (!reader.atEnd()) {
    if (reader.readNext() != QXmlStreamReader::StartElement) continue;
    paths += reader.name() == u"path" || reader.name() == u"polyline" || reader.name() == u"polygon";
    texts += reader.name() == u"text";
    images += reader.name() == u"image";
  }
  EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString();
  EXPECT_GT(paths, 10);
  EXPECT_GT(texts, 0);
  EXPECT_EQ(images, 0);
  EXPECT_TRUE(xml.contains("80.000"));
  // The labels and the memo are there as text too.
  for (const char* label : {"拟建建筑", "1#塔吊", "施工道路", "施工说明："})
    EXPECT_TRUE(xml.contains(label)) << label;
  EXPECT_TRUE(QSvgRenderer(xml).isValid());

  const auto text = Tool("pdftotext", {QString::fromStdString(Path("site.pdf")), "-"});
  if (!text) GTEST_SKIP() << "poppler-utils (pdftotext) are not installed";
  EXPECT_TRUE(text->contains("80.000")) << text->toStdString();
  EXPECT_TRUE(text->contains("120.000")) << text->toStdString();
  for (const char* label : {"拟建建筑", "1#塔吊", "2#塔吊", "施工道路", "施工说明：", "现场办公室"})
    EXPECT_TRUE(text->contains(label)) << label;
  // Vector output: no picture stands in for the drawing.
  const auto pictures = Tool("pdfimages", {"-list", QString::fromStdString(Path("site.pdf"))});
  if (pictures) {
    EXPECT_LE(pictures->count('\n'), 2) << pictures->toStdString();
  }
  const auto fonts = Tool("pdffonts", {QString::fromStdString(Path("site.pdf"))});
  if (fonts) {
    EXPECT_TRUE(fonts->contains("yes")) << "fonts are embedded: " << fonts->toStdString();
  }
}

TEST_F(PrintFiles, ThePreviewOfTheSampleShowsTheMemoAndTheLabelsOnTheFirstPage) {
  TTxProjectFile file;
  ASSERT_TRUE(ReadDrawingFile(kSample, file).Ok);
  TFiguresDoc& d = *file.FTxProject->FTxSpaces->Docs(0);
  // The drawing shown and active behind the preview, as in the program.
  TDrawView drawing;
  drawing.SetDocument(&d);
  drawing.resize(900, 700);
  drawing.show();
  drawing.FActive = true;
  drawing.viewport()->grab();
  TPrintPrev prev;
  prev.resize(900, 700);
  prev.SetDocument(&d);
  prev.show();
  QApplication::processEvents();
  prev.ScrollBox().viewport()->grab();  // a second paint, with the spatial index
  const QImage image = prev.ScrollBox().viewport()->grab().toImage();
  const TPrintPageView& pages = prev.PageView();
  ASSERT_EQ(pages.GetPageCount(), 2);
  const int left = pages.FLPageXGap + pages.FLPrintLeftOff, top = pages.FLPageYGap + pages.FLPrintUpOff;
  const int width = pages.FLPrintWidth, height = pages.FLPrintHeight;
  auto count = [&](int x0, int y0, int x1, int y1, auto&& Is) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) n += Is(image.pixelColor(x, y));
    return n;
  };
  // The memo (at the sheet's top-left corner) in page 1's top-left fifth.
  const int memo = count(left, top, left + width / 5, top + height / 10,
                         [](QColor c) { return c == QColor(255, 255, 224); });
  EXPECT_GT(memo, 200);
  // "拟建建筑" in its brown over the building, about a third across the page.
  const int brown = count(left, top, left + width, top + height / 2, [](QColor c) {
    return c.red() > c.green() + 40 && c.green() > c.blue() + 20 && c.red() < 200;
  });
  EXPECT_GT(brown, 15);
  prev.ReleaseDocument();
  drawing.SetDocument(nullptr);
}

}  // namespace
