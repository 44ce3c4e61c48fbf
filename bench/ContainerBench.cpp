// Writing and reading a large drawing-sized image through the container,
// against zlib alone on the same bytes.

#include "RatioReporter.h"

#include "foundation/ComponentImage.h"
#include "foundation/ComponentLists.h"
#include "foundation/Streams.h"
#include "foundation/ValueStream.h"
#include "foundation/ZLibContainer.h"

#include <zlib.h>

#include <memory>

namespace {

// About the values of a short line figure: integers, floats and a caption.
class TBenchFigure : public TTxPersistent {
  PLANDECK_DECLARE_CLASS(TBenchFigure)
public:
  explicit TBenchFigure(TMyPersistent* AOwner = nullptr) : TTxPersistent(AOwner) {}
  void WriteData(TWriter& w) override {
    w.WriteInteger(FId);
    w.WriteInteger(FColor);
    w.WriteInteger(FWidth);
    w.WriteBoolean(FVisible);
    for (double v : FPoints) w.WriteFloat(v);
    w.WriteString(FText);
  }
  void ReadData(TReader& r) override {
    FId = r.ReadInteger();
    FColor = r.ReadInteger();
    FWidth = r.ReadInteger();
    FVisible = r.ReadBoolean();
    for (double& v : FPoints) v = r.ReadFloat();
    FText = r.ReadString();
  }
  std::int32_t FId = 0, FColor = 0, FWidth = 1;
  bool FVisible = true;
  double FPoints[2] = {};
  std::string FText;
};
PLANDECK_DEFINE_CLASS(TBenchFigure, TTxPersistent)

class TBenchRoot : public TComponent {
  PLANDECK_DECLARE_CLASS(TBenchRoot)
public:
  explicit TBenchRoot(TMyPersistent* = nullptr) : FFigures(std::make_unique<TUndoSaveComponentList>()) {}
  void GetPublishedSlots(TPublishedSlots& Slots) override { Slots.push_back({"Figures", FFigures.get()}); }
  std::unique_ptr<TUndoSaveComponentList> FFigures;
};
PLANDECK_DEFINE_CLASS(TBenchRoot, TComponent)

constexpr int kFigures = 1'000'000;

struct TFixture {
  std::unique_ptr<TBenchRoot> Root = std::make_unique<TBenchRoot>();
  std::vector<std::uint8_t> Image;       // resource header + image
  std::vector<std::uint8_t> Compressed;  // the file's bytes

  TFixture() {
    RegisterStreamingClasses();
    RegisterClass(TBenchFigure::StaticClass());
    RegisterClass(TBenchRoot::StaticClass());
    for (int i = 0; i < kFigures; ++i) {
      auto f = std::make_unique<TBenchFigure>();
      f->FId = i;
      f->FColor = (i * 2654435761u) & 0xFFFFFF;
      f->FWidth = i % 5;
      f->FVisible = i % 3 != 0;
      f->FPoints[0] = i * 0.25;
      f->FPoints[1] = -i * 1.5;
      f->FText = i % 4 == 0 ? "塔吊" + std::to_string(i % 100) : "L" + std::to_string(i);
      Root->FFigures->Add(std::move(f));
    }
    Image = WriteResourceImage(*Root);
    TMemoryStream out;
    DeflateToStream(Image, out);
    Compressed = std::move(out.Data());
  }
};

TFixture& Fixture() {
  static TFixture f;
  return f;
}

void BM_InflateAlone(benchmark::State& state) {
  auto& fx = Fixture();
  // The strictest baseline: a destination already in memory, so only the
  // inflating itself is measured.
  std::vector<std::uint8_t> out(fx.Image.size());
  for (auto _ : state) {
    uLongf len = out.size();
    if (uncompress(out.data(), &len, fx.Compressed.data(), fx.Compressed.size()) != Z_OK)
      state.SkipWithError("inflate failed");
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * fx.Image.size()));
}
BENCHMARK(BM_InflateAlone)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ReadContainer(benchmark::State& state) {
  auto& fx = Fixture();
  for (auto _ : state) {
    auto root = std::make_unique<TBenchRoot>();
    TSpanStream in(fx.Compressed);
    ReadZLibComponentFromStream(in, *root);
    if (root->FFigures->Count() != kFigures) state.SkipWithError("wrong figure count");
    state.PauseTiming();
    root.reset();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * fx.Image.size()));
  state.counters["image_MB"] = static_cast<double>(fx.Image.size()) / 1e6;
}
BENCHMARK(BM_ReadContainer)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_DeflateAlone(benchmark::State& state) {
  auto& fx = Fixture();
  std::vector<std::uint8_t> out(compressBound(fx.Image.size()));
  for (auto _ : state) {
    uLongf len = out.size();
    compress2(out.data(), &len, fx.Image.data(), fx.Image.size(), 1);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * fx.Image.size()));
}
BENCHMARK(BM_DeflateAlone)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_WriteContainer(benchmark::State& state) {
  auto& fx = Fixture();
  for (auto _ : state) {
    TMemoryStream out;
    WriteZLibComponentToStream(out, *fx.Root);
    benchmark::DoNotOptimize(out.Data().data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * fx.Image.size()));
}
BENCHMARK(BM_WriteContainer)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  return RunWithRatios(argc, argv,
                       {{"BM_ReadContainer/real_time", "BM_InflateAlone/real_time"},
                        {"BM_WriteContainer/real_time", "BM_DeflateAlone/real_time"}});
}
