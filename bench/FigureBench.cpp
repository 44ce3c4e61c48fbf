// Painting a drawing root of 100,000 short segments into a full-HD image,
// against the same segments drawn with bare QPainter::drawLine.

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <cstdint>
#include <memory>
#include <vector>

#include "RatioReporter.h"
#include "figures/FigureSet.h"
#include "platform/QtCanvas.h"

namespace {

constexpr int kWidth = 1920, kHeight = 1080, kSegments = 100000;

// The smallest real figure: a segment drawn with the figure's pen.
class TBenchSegment : public TCustomFigure {
  PLANDECK_DECLARE_CLASS(TBenchSegment)
public:
  explicit TBenchSegment(TMyPersistent* AOwner = nullptr) : TCustomFigure(AOwner) {}
  void Paint(TShowPlace& ShowPlace) override { DrawLine(FQd, FZd, *ShowPlace.cvs); }
  void CalcPositionRect(TRect& Rect) const override {
    const TPoint a = ptodp(xyTransLogPt(FQd.x, FQd.y)), b = ptodp(xyTransLogPt(FZd.x, FZd.y));
    Rect = TRect{a.x, a.y, b.x, b.y};
    ExpandRect(Rect, FPen.Width + 1);
  }
  Tpt FQd, FZd;
};
PLANDECK_DEFINE_CLASS(TBenchSegment, TCustomFigure)

struct Segments {
  std::vector<Tpt> from, to;
  Segments() {
    std::uint32_t seed = 12345;
    auto next = [&seed](int range) {
      seed = seed * 1664525u + 1013904223u;
      return int((seed >> 8) % std::uint32_t(range));
    };
    for (int i = 0; i < kSegments; ++i) {
      const Tpt a{double(next(kWidth - 20) + 10), double(next(kHeight - 20) + 10)};
      from.push_back(a);
      to.push_back({a.x + next(17) - 8, a.y + next(17) - 8});
    }
  }
};

const Segments& Data() {
  static const Segments data;
  return data;
}

void BM_PaintRoot(benchmark::State& state) {
  TTxFigureSet root;
  root.FWidth = kWidth;
  root.FHeight = kHeight;
  root.FShowGrid = false;
  root.FShowFrame = false;
  const Segments& d = Data();
  for (int i = 0; i < kSegments; ++i) {
    auto s = std::make_unique<TBenchSegment>();
    s->FQd = d.from[std::size_t(i)];
    s->FZd = d.to[std::size_t(i)];
    root.FFigures->Add(std::move(s));
    root.FFigures->Figures(i)->FParent = &root;
  }
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  for (auto _ : state) {
    image.fill(Qt::white);
    TQtCanvas canvas(&image);
    canvas.SetMapMode(MM_ANISOTROPIC);
    canvas.SetWindowExtEx(1, 1);
    canvas.SetViewportExtEx(1, -1);
    canvas.SetWindowOrgEx(0, kHeight);
    root.DrawNet(canvas);
    root.DrawDC(canvas, nullptr, TRect{});
    canvas.Finish();
    benchmark::DoNotOptimize(image.constBits());
  }
}
BENCHMARK(BM_PaintRoot)->Unit(benchmark::kMillisecond);

void BM_BareQPainter(benchmark::State& state) {
  const Segments& d = Data();
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  for (auto _ : state) {
    image.fill(Qt::white);
    QPainter p(&image);
    QPen pen(Qt::black);
    pen.setWidth(1);
    pen.setCapStyle(Qt::FlatCap);
    p.setPen(pen);
    for (int i = 0; i < kSegments; ++i) {
      const Tpt a = d.from[std::size_t(i)], b = d.to[std::size_t(i)];
      p.drawLine(QPointF(a.x, kHeight - a.y), QPointF(b.x, kHeight - b.y));
    }
    p.end();
    benchmark::DoNotOptimize(image.constBits());
  }
}
BENCHMARK(BM_BareQPainter)->Unit(benchmark::kMillisecond);

// The same lines through the canvas alone, no figures: what the platform
// layer costs by itself, so the figures' own share can be read off.
void BM_CanvasLines(benchmark::State& state) {
  const Segments& d = Data();
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  for (auto _ : state) {
    image.fill(Qt::white);
    TQtCanvas canvas(&image);
    canvas.SetMapMode(MM_ANISOTROPIC);
    canvas.SetWindowExtEx(1, 1);
    canvas.SetViewportExtEx(1, -1);
    canvas.SetWindowOrgEx(0, kHeight);
    canvas.SelectPen(GeometricPen(TPen{}));
    for (int i = 0; i < kSegments; ++i) {
      const TPoint a = ptodp(d.from[std::size_t(i)]), b = ptodp(d.to[std::size_t(i)]);
      canvas.MoveToEx(a.x, a.y);
      canvas.LineTo(b.x, b.y);
    }
    canvas.Finish();
    benchmark::DoNotOptimize(image.constBits());
  }
}
BENCHMARK(BM_CanvasLines)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  return RunWithRatios(argc, argv,
                       {{"BM_PaintRoot", "BM_BareQPainter"},
                        {"BM_PaintRoot", "BM_CanvasLines"},
                        {"BM_CanvasLines", "BM_BareQPainter"}});
}
