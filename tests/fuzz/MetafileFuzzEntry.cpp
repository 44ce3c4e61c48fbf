#include "MetafileFuzzEntry.h"

#include "platform/Graphic.h"
#include "platform/MetafilePlayer.h"
#include "platform/QtCanvas.h"

#include <QGuiApplication>
#include <QImage>

#include <span>
#include <vector>

namespace {

void EnsureApplication() {
  if (QCoreApplication::instance()) return;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "fuzz_metafile";
  static char* argv[] = {name, nullptr};
  static QGuiApplication app(argc, argv);
}

void Put32(std::vector<std::uint8_t>& b, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(std::uint8_t(v >> (8 * i)));
}
void Put16(std::vector<std::uint8_t>& b, std::uint16_t v) {
  b.push_back(std::uint8_t(v));
  b.push_back(std::uint8_t(v >> 8));
}

// An EMF header: bounds 0..99, a 100 x 100 pixel device of 26 mm.
std::vector<std::uint8_t> EmfHeader() {
  std::vector<std::uint8_t> b;
  for (std::uint32_t v : {1u, 88u, 0u, 0u, 99u, 99u, 0u, 0u, 2645u, 2645u, 0x464D4520u, 0x10000u, 0u, 0u, 0u, 0u,
                          0u, 0u, 100u, 100u, 26u, 26u})
    Put32(b, v);
  return b;
}
// A WMF header without the placeable one: the first window record gives
// the frame.
std::vector<std::uint8_t> WmfHeader() {
  std::vector<std::uint8_t> b;
  for (std::uint16_t v : {1, 9, 0x300}) Put16(b, v);
  Put32(b, 0);
  Put16(b, 16);
  Put32(b, 0x10000);
  Put16(b, 0);
  return b;
}

}  // namespace

void FuzzMetafileOneInput(const std::uint8_t* Data, std::size_t Size) {
  EnsureApplication();
  if (Size == 0) return;
  const bool wmf = Data[0] & 1, flipped = Data[0] & 2;
  const std::span<const std::uint8_t> rest(Data + 1, Size - 1);
  std::vector<std::uint8_t> bytes;
  if (MetafileFormat(rest) != (wmf ? TMetafileFormat::Wmf : TMetafileFormat::Emf)) bytes = wmf ? WmfHeader() : EmfHeader();
  bytes.insert(bytes.end(), rest.begin(), rest.end());
  try {
    const TGraphic graphic(TGraphicKind::Metafile, std::move(bytes));
    QImage image(64, 64, QImage::Format_RGB32);
    image.fill(Qt::white);
    TQtCanvas canvas(&image);
    graphic.StretchDraw(canvas, flipped ? TRect{0, 64, 64, 0} : TRect{0, 0, 64, 64});
    canvas.Finish();
  } catch (const EGraphicError&) {
    // Not a metafile at all: the picture figure refuses it the same way.
  }
}
