#include "DrawingFuzzEntry.h"

#include "app/CommandLine.h"
#include "app/ImagePanel.h"
#include "docview/Environment.h"
#include "docview/FiguresDoc.h"
#include "docview/ImageLibrary.h"
#include "figures/SheetMapping.h"
#include "foundation/ComponentImage.h"
#include "foundation/StreamError.h"
#include "foundation/Streams.h"
#include "foundation/ZLibContainer.h"
#include "platform/QtCanvas.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>

#include <memory>
#include <span>

namespace {

// Far below what a real drawing may inflate to, so that the fuzzer cannot
// spend its memory on one input.
constexpr std::size_t kMaxImage = 64u << 20;

void EnsureApplication() {
  if (QCoreApplication::instance()) return;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "fuzz_drawing";
  static char* argv[] = {name, nullptr};
  // Widgets, for the library palette. Never destroyed: its destructor at exit
  // runs after Qt's own globals are gone.
  static QApplication* app = new QApplication(argc, argv);
  (void)app;
  RegisterPlandeckClasses();
}

// Painted as the view paints at zoom 1 from the sheet's corner.
void PaintAll(TTxProjectFile& File) {
  QImage image(256, 256, QImage::Format_RGB32);
  TTxCollectTxSpace& spaces = *File.FTxProject->FTxSpaces;
  for (int i = 0; i < spaces.Count(); ++i) {
    TFiguresDoc& doc = *spaces.Docs(i);
    TQtCanvas canvas(&image);
    SetSheetMapping(canvas, doc.GetSize());
    doc.DrawDC(canvas, nullptr, doc.GetRect());
    canvas.Finish();
  }
}

void ReadPaintWrite(std::span<const std::uint8_t> Bytes, bool Packed) {
  TTxProjectFile file;
  try {
    if (Packed) {
      TSpanStream in(Bytes);
      ReadZLibComponentFromStream(in, file, kMaxImage);
    } else {
      ReadComponentImage(Bytes, file);
    }
  } catch (const std::exception&) {
    // As the window does: what was read before the error is shown and may be saved.
  }
  PaintAll(file);
  try {
    WriteResourceImage(file);
  } catch (const EStreamError&) {
  }
}

// A block or fill library as the palette opens it: from a file, shown as
// blocks and as fills, each item copied out as choosing it does, written back.
void ReadLibrary(std::span<const std::uint8_t> Bytes) {
  static const std::string path = QDir::temp().filePath(QString("fuzz-library-%1.tkk").arg(QCoreApplication::applicationPid())).toStdString();
  {
    QFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return;
    f.write(reinterpret_cast<const char*>(Bytes.data()), qint64(Bytes.size()));
  }
  TImageProject project;
  std::string error;
  ReadImageLibrary(path, project, error);
  TImageDocument& doc = project.FirstDocument();
  {
    TImagePanel panel;
    panel.resize(320, 240);
    panel.SetDocument(&doc);
    panel.Render();
    panel.SetItemType(itFill);
    panel.Render();
    panel.SetDocument(nullptr);
  }
  for (int i = 0; i < doc.Count(); ++i)
    if (TCustomFigureSet* set = doc.SetItems(i)) set->Clone();
  try {
    WriteImageLibrary(path, project);
  } catch (const std::exception&) {
  }
}

}  // namespace

void FuzzDrawingOneInput(const std::uint8_t* Data, std::size_t Size) {
  EnsureApplication();
  if (Size == 0) return;
  // The first byte picks the entry point, so one corpus covers them all.
  const std::uint8_t mode = Data[0] % 5;
  const std::span<const std::uint8_t> rest(Data + 1, Size - 1);
  switch (mode) {
    case 0: ReadPaintWrite(rest, true); break;
    case 1: ReadPaintWrite(rest, false); break;
    case 2: {
      TEnvironmentComponent env;
      try {
        TSpanStream in(rest);
        ReadZLibComponentFromStream(in, env, kMaxImage);
        WriteResourceImage(env);
      } catch (const EStreamError&) {
      }
      break;
    }
    case 3: {
      try {
        if (CheckClipboardImage(rest)) ReadClipboardImage(rest);
      } catch (const EStreamError&) {
      }
      break;
    }
    case 4: ReadLibrary(rest); break;
  }
}
