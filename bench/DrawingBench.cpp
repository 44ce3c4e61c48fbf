// Large generated drawings: open, save, full repaint, repaint after a small
// pan and a click hit test, each measured against its baseline in the same
// run (see README.md for how to run it and the latest ratios).

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QPicture>
#include <QScrollBar>
#include <QWheelEvent>
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <stdexcept>
#include <vector>

#include "DrawingGenerator.h"
#include "PaintFloor.h"
#include "RatioReporter.h"
#include "docview/DocView.h"
#include "docview/DrawView.h"
#include "docview/FiguresDoc.h"
#include "figures/SheetMapping.h"
#include "foundation/ComponentImage.h"
#include "foundation/Streams.h"
#include "foundation/ZLibContainer.h"
#include "platform/QtCanvas.h"

namespace fs = std::filesystem;

namespace {

constexpr int kWidth = 1920, kHeight = 1080;

fs::path BenchDir() {
  static const fs::path dir = [] {
    fs::path d = fs::temp_directory_path() / "plandeck-bench";
    fs::create_directories(d);
    return d;
  }();
  return dir;
}

std::vector<std::uint8_t> ReadBytes(const fs::path& Path) {
  std::ifstream in(Path, std::ios::binary);
  return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// One generated drawing per size: in memory, on disk, and its inflated image.
struct TInput {
  std::unique_ptr<TTxProjectFile> File;
  fs::path Path;
  std::vector<std::uint8_t> Compressed, Image;
  TFiguresDoc& Doc() const { return *static_cast<TFiguresDoc*>(File->FTxProject->FTxSpaces->Items(0)); }
};

std::vector<std::uint8_t> Inflate(const std::vector<std::uint8_t>& In, std::size_t Size) {
  std::vector<std::uint8_t> out(Size);
  z_stream zs{};
  inflateInit(&zs);
  zs.next_in = const_cast<Bytef*>(In.data());
  zs.avail_in = uInt(In.size());
  zs.next_out = out.data();
  zs.avail_out = uInt(out.size());
  const int ret = inflate(&zs, Z_FINISH);
  out.resize(zs.total_out);
  inflateEnd(&zs);
  if (ret != Z_STREAM_END) throw std::runtime_error("inflate failed");
  return out;
}

std::size_t Deflate1(const std::vector<std::uint8_t>& In, std::vector<std::uint8_t>& Out) {
  Out.resize(compressBound(uLong(In.size())));
  z_stream zs{};
  deflateInit(&zs, 1);
  zs.next_in = const_cast<Bytef*>(In.data());
  zs.avail_in = uInt(In.size());
  zs.next_out = Out.data();
  zs.avail_out = uInt(Out.size());
  deflate(&zs, Z_FINISH);
  const std::size_t n = zs.total_out;
  deflateEnd(&zs);
  return n;
}

const TInput& Input(int Figures) {
  static std::map<int, TInput> inputs;
  auto it = inputs.find(Figures);
  if (it != inputs.end()) return it->second;
  TInput& in = inputs[Figures];
  in.File = GenerateDrawingFile(Figures, 1);
  in.Path = BenchDir() / ("drawing-" + std::to_string(Figures) + ".gck");
  WriteDrawingFile(in.Path.string(), *in.File);
  in.Compressed = ReadBytes(in.Path);
  // The image the file holds, as the writer made it.
  in.Image = WriteResourceImage(*in.File);
  return in;
}

// ---- open

void BM_Open(benchmark::State& state) {
  const TInput& in = Input(int(state.range(0)));
  for (auto _ : state) {
    TTxProjectFile file;
    const TDrawingReadResult r = ReadDrawingFile(in.Path.string(), file);
    if (!r.Ok) state.SkipWithError(r.Error.c_str());
    benchmark::DoNotOptimize(file.FTxProject.get());
  }
}

void BM_InflateOnly(benchmark::State& state) {
  const TInput& in = Input(int(state.range(0)));
  for (auto _ : state) {
    const std::vector<std::uint8_t> bytes = ReadBytes(in.Path);
    benchmark::DoNotOptimize(Inflate(bytes, in.Image.size()).data());
  }
}

// ---- save: the image written and compressed into memory; the file write
// alone adds the disk's own time (fsync), measured separately.

void BM_Save(benchmark::State& state) {
  const TInput& in = Input(int(state.range(0)));
  for (auto _ : state) {
    TMemoryStream out;
    WriteZLibComponentToStream(out, *in.File);
    benchmark::DoNotOptimize(out.Size());
  }
}

void BM_SaveFile(benchmark::State& state) {
  const TInput& in = Input(int(state.range(0)));
  const std::string path = (BenchDir() / "saved.gck").string();
  for (auto _ : state) WriteDrawingFile(path, *in.File);
}

void BM_DeflateOnly(benchmark::State& state) {
  const TInput& in = Input(int(state.range(0)));
  std::vector<std::uint8_t> out;
  for (auto _ : state) benchmark::DoNotOptimize(Deflate1(in.Image, out));
}

// ---- painting the whole drawing into a full-HD image

void PrepareScreen(TCanvas& C, const TFiguresDoc& Doc) {
  const TSize s = Doc.GetSize();
  SetSheetMapping(C, s);
}

void PaintDoc(TFiguresDoc& Doc, QPaintDevice& Device) {
  TQtCanvas canvas(&Device);
  PrepareScreen(canvas, Doc);
  Doc.DrawDC(canvas, nullptr, Doc.GetRect());
  canvas.Finish();
}

void BM_PaintFull(benchmark::State& state) {
  const TInput& in = Input(int(state.range(0)));
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  for (auto _ : state) {
    image.fill(Qt::white);
    PaintDoc(in.Doc(), image);
    benchmark::DoNotOptimize(image.constBits());
  }
}

// The floor: the same drawing's geometry in device points drawn by bare
// QPainter calls. The share of pixels that differ from the program's own
// picture is reported, to show that the floor draws the same drawing.
void BM_PaintFloor(benchmark::State& state) {
  const TInput& in = Input(int(state.range(0)));
  const TPaintFloor floor = TPaintFloor::Capture({kWidth, kHeight}, [&](QPaintDevice& d) { PaintDoc(in.Doc(), d); });
  QImage own(kWidth, kHeight, QImage::Format_RGB32), image(kWidth, kHeight, QImage::Format_RGB32);
  own.fill(Qt::white);
  PaintDoc(in.Doc(), own);
  for (auto _ : state) {
    image.fill(Qt::white);
    QPainter p(&image);
    floor.Draw(p);
    p.end();
    benchmark::DoNotOptimize(image.constBits());
  }
  std::int64_t differ = 0;
  for (int y = 0; y < kHeight; ++y) {
    const auto* a = reinterpret_cast<const QRgb*>(own.constScanLine(y));
    const auto* b = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < kWidth; ++x) differ += a[x] != b[x];
  }
  state.counters["calls"] = double(floor.Calls());
  state.counters["differ%"] = 100.0 * double(differ) / (double(kWidth) * kHeight);
}

// The same drawing calls recorded once (QPicture) and played back, for
// information: the replay resolves every font change again.
void BM_BareQPainter(benchmark::State& state) {
  const TInput& in = Input(int(state.range(0)));
  QPicture picture;
  PaintDoc(in.Doc(), picture);
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  for (auto _ : state) {
    image.fill(Qt::white);
    QPainter p(&image);
    p.drawPicture(0, 0, picture);
    p.end();
    benchmark::DoNotOptimize(image.constBits());
  }
}

// ---- the view: a full repaint against a small pan

class TBenchView : public TDocView {
public:
  TBenchView() { FActive = true; }
  bool IsDrawingView() const override { return true; }
};

struct TViewFixture {
  std::unique_ptr<TTxProjectFile> File;
  std::unique_ptr<TBenchView> View;
  explicit TViewFixture(int Figures) : File(GenerateDrawingFile(Figures, 1)) {
    auto& doc = *static_cast<TFiguresDoc*>(File->FTxProject->FTxSpaces->Items(0));
    // Twice the fitting zoom, so there is somewhere to pan to.
    doc.FFigures->FScale *= 2;
    View = std::make_unique<TBenchView>();
    View->resize(kWidth, kHeight);
    View->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    View->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    View->SetDocument(&doc);
    View->show();
    View->SetHorzPosition(kWidth / 2);
    View->SetVertPosition(kHeight / 2);
    View->viewport()->grab();
  }
};

void BM_ViewFullRepaint(benchmark::State& state) {
  TViewFixture f(int(state.range(0)));
  for (auto _ : state) {
    f.View->InvalidateView();
    benchmark::DoNotOptimize(f.View->viewport()->grab());
  }
}

void BM_ViewPan(benchmark::State& state) {
  TViewFixture f(int(state.range(0)));
  int step = 16;
  for (auto _ : state) {
    // 16 pixels right and 8 down, then back: the drag of a hand tool.
    f.View->SetHorzPosition(f.View->HorzPosition() + step);
    f.View->SetVertPosition(f.View->VertPosition() + step / 2);
    benchmark::DoNotOptimize(f.View->viewport()->grab());
    step = -step;
  }
}

// One wheel notch in at the middle of the window and, next time, one out:
// the zoom and the repaint it causes, as the user waits for them.
void BM_ViewZoomWheel(benchmark::State& state) {
  auto file = GenerateDrawingFile(int(state.range(0)), 1);
  auto& doc = *static_cast<TFiguresDoc*>(file->FTxProject->FTxSpaces->Items(0));
  TDrawView view;
  view.resize(kWidth, kHeight);
  view.SetDocument(&doc);
  view.show();
  view.viewport()->grab();
  const QPointF at(kWidth / 2.0, kHeight / 2.0);
  int notch = 120;
  for (auto _ : state) {
    QWheelEvent e(at, view.viewport()->mapToGlobal(at), QPoint(), QPoint(0, notch), Qt::NoButton, Qt::NoModifier,
                  Qt::NoScrollPhase, false);
    QApplication::sendEvent(view.viewport(), &e);
    benchmark::DoNotOptimize(view.viewport()->grab());
    notch = -notch;
  }
  view.SetDocument(nullptr);
}

// The heap a drawing of a million figures holds once open, against the
// inflated image it was read from.
void BM_OpenMemory(benchmark::State& state) {
  const TInput& in = Input(int(state.range(0)));
  for (auto _ : state) {
    const std::size_t before = mallinfo2().uordblks;
    auto file = std::make_unique<TTxProjectFile>();
    const TDrawingReadResult r = ReadDrawingFile(in.Path.string(), *file);
    if (!r.Ok) state.SkipWithError(r.Error.c_str());
    const double held = double(mallinfo2().uordblks - before);
    state.counters["held_MB"] = held / 1e6;
    state.counters["image_MB"] = double(in.Image.size()) / 1e6;
    state.counters["x_image"] = held / double(in.Image.size());
  }
}

// ---- a click: ObjectAt through the index against the straightforward scan

std::vector<TPoint> ClickPoints(TFiguresDoc& Doc) {
  // Half on figures (the middle of a random figure's rectangle), half anywhere.
  std::vector<TPoint> pts;
  TTxFigureSet& root = *Doc.FFigures;
  const TRect page = Doc.GetRect();
  std::uint32_t s = 99;
  auto next = [&s] { return s = s * 1664525u + 1013904223u; };
  for (int i = 0; i < 512; ++i) {
    if (i % 2 == 0) {
      TTxCollectFigure* layer = root.LayerList(int(next() % unsigned(root.LayerCount())));
      if (layer->Count() == 0) continue;
      TRect r;
      layer->Figures(int(next() % unsigned(layer->Count())))->CalcPositionRect(r);
      pts.push_back({(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2});
    } else {
      pts.push_back({page.Left + int(next() % unsigned(page.Right - page.Left + 1)),
                     page.Top + int(next() % unsigned(page.Bottom - page.Top + 1))});
    }
  }
  return pts;
}

void HitBench(benchmark::State& state, bool Indexed) {
  const TInput& in = Input(int(state.range(0)));
  TFiguresDoc& doc = in.Doc();
  const std::vector<TPoint> pts = ClickPoints(doc);
  // The index must answer exactly as the scan does.
  for (TPoint p : pts) {
    doc.FFigures->FUseSpatialIndex = false;
    TDocItem* plain = doc.ObjectAt(p, nullptr, 1.0);
    doc.FFigures->FUseSpatialIndex = true;
    if (doc.ObjectAt(p, nullptr, 1.0) != plain) {
      state.SkipWithError("the index and the scan disagree");
      return;
    }
  }
  doc.FFigures->FUseSpatialIndex = Indexed;
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(doc.ObjectAt(pts[i], nullptr, 1.0));
    i = (i + 1) % pts.size();
  }
  doc.FFigures->FUseSpatialIndex = true;
}

void BM_HitIndexed(benchmark::State& state) { HitBench(state, true); }
void BM_HitLinear(benchmark::State& state) { HitBench(state, false); }

}  // namespace

BENCHMARK(BM_Open)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InflateOnly)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Save)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DeflateOnly)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveFile)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintFull)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintFloor)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BareQPainter)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ViewFullRepaint)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ViewPan)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ViewZoomWheel)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HitIndexed)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HitLinear)->Arg(100000)->Unit(benchmark::kMicrosecond);
// A million figures: open and save only, a few iterations, to keep the run short.
BENCHMARK(BM_Open)->Arg(1000000)->Iterations(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_InflateOnly)->Arg(1000000)->Iterations(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Save)->Arg(1000000)->Iterations(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DeflateOnly)->Arg(1000000)->Iterations(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenMemory)->Arg(1000000)->Iterations(1)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  RegisterDocumentClasses();
  std::vector<std::pair<std::string, std::string>> pairs;
  for (const char* n : {"10000", "100000", "1000000/iterations:2"}) {
    const std::string a = std::string("/") + n;
    pairs.push_back({"BM_Open" + a, "BM_InflateOnly" + a});
    pairs.push_back({"BM_Save" + a, "BM_DeflateOnly" + a});
  }
  for (const char* n : {"/10000", "/100000"}) {
    pairs.push_back({std::string("BM_PaintFull") + n, std::string("BM_PaintFloor") + n});
    pairs.push_back({std::string("BM_PaintFull") + n, std::string("BM_BareQPainter") + n});
  }
  pairs.push_back({"BM_ViewPan/100000", "BM_ViewFullRepaint/100000"});
  pairs.push_back({"BM_HitIndexed/100000", "BM_HitLinear/100000"});
  return RunWithRatios(argc, argv, pairs);
}
