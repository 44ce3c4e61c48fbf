#include "DxfFuzzEntry.h"

#include "docview/FiguresDoc.h"
#include "figures/FigureSet.h"
#include "figures/SheetMapping.h"
#include "interchange/DxfMapping.h"
#include "interchange/DxfReader.h"
#include "interchange/DxfWriter.h"
#include "platform/QtCanvas.h"

#include <QGuiApplication>
#include <QImage>

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

void EnsureApplication() {
  if (QCoreApplication::instance()) return;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "fuzz_dxf";
  static char* argv[] = {name, nullptr};
  static QGuiApplication app(argc, argv);
}

}  // namespace

void FuzzDxfOneInput(const std::uint8_t* Data, std::size_t Size) {
  EnsureApplication();
  TFiguresDoc doc;
  // A failed read keeps what came before the error, as the drawing window does.
  ReadFromDxfText(*doc.FFigures, std::string_view(reinterpret_cast<const char*>(Data), Size));
  QImage image(256, 256, QImage::Format_RGB32);
  {
    TQtCanvas canvas(&image);
    SetSheetMapping(canvas, doc.GetSize());
    doc.DrawDC(canvas, nullptr, doc.GetRect());
    canvas.Finish();
  }
  const DXF_Object written = BuildDxfObject(*doc.FFigures);
  std::string out;
  DXF_Writer(out).write_file(written.layers);
  // Whatever was read must be written so that it reads again.
  DXF_Reader back;
  if (!back.read_text(out)) {
    std::fprintf(stderr, "the written DXF does not read back: %s\n", back.error().c_str());
    std::abort();
  }
}
