// Printing the 100,000-figure generated drawing to PDF, against painting the
// same sheets, with the same mapping, into an image of the printer's pixels
// (see README.md for the latest ratio).

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPrinter>

#include <filesystem>
#include <memory>

#include "DrawingGenerator.h"
#include "RatioReporter.h"
#include "docview/FiguresDoc.h"
#include "interchange/PrintPages.h"
#include "platform/QtCanvas.h"

namespace fs = std::filesystem;

namespace {

// The drawing on two sheets wide: a few sheets, every figure on one of them.
struct TPrintInput {
  std::unique_ptr<TTxProjectFile> File;
  TFiguresDoc* Doc = nullptr;
  TPageSetup Setup;
};

TPrintInput& Input() {
  static TPrintInput in = [] {
    TPrintInput i;
    i.File = GenerateDrawingFile(100000, 1);
    i.Doc = i.File->FTxProject->FTxSpaces->Docs(0);
    i.Setup.FLayout = 1;
    return i;
  }();
  return in;
}

void Layout(TPrintPageView& Pages, QPrinter* Printer) {
  TPrintInput& in = Input();
  Pages.SetPrinter(Printer);
  Pages.FPageNumX = 2;
  Pages.SetDocument(in.Doc->FFigures.get(), in.Setup);
}

void BM_PrintPdf(benchmark::State& state) {
  const std::string file = (fs::temp_directory_path() / "plandeck-bench-print.pdf").string();
  int pages = 0;
  for (auto _ : state) {
    QPrinter printer(QPrinter::HighResolution);
    SetUpPdfPrinter(printer, file, 0);
    TPrintPageView view;
    Layout(view, &printer);
    pages = view.Print(printer);
    benchmark::DoNotOptimize(pages);
  }
  state.counters["sheets"] = pages;
  std::error_code ec;
  fs::remove(file, ec);
}

void BM_PaintSheetsIntoImage(benchmark::State& state) {
  TPrintPageView view;
  Layout(view, nullptr);
  QImage image(view.FPageWidth - 2 * 130, view.FPageHeight - 2 * 150, QImage::Format_RGB32);
  for (auto _ : state) {
    for (int page = 1; page <= view.GetPageCount(); ++page) {
      image.fill(Qt::white);
      TQtCanvas canvas(&image, DT_RASPRINTER, 600);
      view.PrintPage(canvas, page);
    }
    benchmark::DoNotOptimize(image.constBits());
  }
  state.counters["sheets"] = view.GetPageCount();
}

BENCHMARK(BM_PrintPdf)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_PaintSheetsIntoImage)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  RegisterDocumentClasses();
  return RunWithRatios(argc, argv, {{"BM_PrintPdf/iterations:3", "BM_PaintSheetsIntoImage/iterations:3"}});
}
