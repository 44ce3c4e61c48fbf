// generate_drawing N OUT.gck [--seed S] [--png PICTURE.png]: writes a
// generated drawing, and on request a 1920 x 1080 picture of it.

#include "DrawingGenerator.h"

#include "docview/FiguresDoc.h"
#include "figures/SheetMapping.h"
#include "foundation/StreamError.h"
#include "platform/QtCanvas.h"

#include <QGuiApplication>
#include <QImage>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

int Usage(const char* Self) {
  std::fprintf(stderr, "usage: %s N OUT.gck [--seed S] [--png PICTURE.png]\n", Self);
  return 2;
}

bool SavePicture(TFiguresDoc& Doc, const std::string& FileName) {
  QImage image(1920, 1080, QImage::Format_RGB32);
  image.fill(Qt::white);
  TQtCanvas canvas(&image);
  const TSize s = Doc.GetSize();
  SetSheetMapping(canvas, s);
  Doc.DrawDC(canvas, nullptr, Doc.GetRect());
  canvas.Finish();
  return image.save(QString::fromStdString(FileName));
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return Usage(argv[0]);
  unsigned long seed = 1;
  std::string png;
  for (int i = 3; i < argc; i += 2) {
    const std::string opt = argv[i];
    if (i + 1 >= argc) return Usage(argv[0]);
    if (opt == "--seed")
      seed = std::strtoul(argv[i + 1], nullptr, 10);
    else if (opt == "--png")
      png = argv[i + 1];
    else
      return Usage(argv[0]);
  }
  const long n = std::strtol(argv[1], nullptr, 10);
  if (n <= 0 || n > 50'000'000) {
    std::fprintf(stderr, "N must be between 1 and 50000000\n");
    return 2;
  }
  if (!png.empty() && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  RegisterDocumentClasses();
  try {
    auto file = GenerateDrawingFile(int(n), std::uint32_t(seed));
    WriteDrawingFile(argv[2], *file);
    if (!png.empty() &&
        !SavePicture(*static_cast<TFiguresDoc*>(file->FTxProject->FTxSpaces->Items(0)), png)) {
      std::fprintf(stderr, "%s: cannot write the picture\n", png.c_str());
      return 1;
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s: %s\n", argv[2], e.what());
    return 1;
  }
  return 0;
}
