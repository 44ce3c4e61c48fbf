// DXF import against the bare parse of the same group codes, and against
// ezdxf's readfile when python3-ezdxf is installed.
//
//   BM_DxfImport/lines, /mixed: DXF_Reader and the mapping into a drawing
//     root (layers and figures), from the text in memory.
//   BM_DxfRawParse/lines, /mixed: the text split into group pairs, every
//     group code and every number converted, nothing built (the floor any
//     reader stands on).
//   BM_Ezdxf/lines, /mixed: ezdxf.readfile of the same file, timed inside
//     Python (interpreter start-up excluded).
//   BM_DxfExport: the drawing read from the 100,000-LINE file written as
//     DXF into memory (BuildDxfObject and DXF_Writer).
//   BM_DxfBytesWritten: the same bytes appended to a string line by line,
//     the pieces the writer appends (its floor: no figures, no numbers).
//
// The files are a 100,000-LINE R12 file and a 20,000-entity mixed file.

#include "DxfGenerator.h"
#include "RatioReporter.h"

#include "figures/FigureSet.h"
#include "interchange/DxfMapping.h"
#include "interchange/DxfWriter.h"

#include <benchmark/benchmark.h>

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace {

const std::string& Text(int Kind) {
  static const std::string lines = GenerateDxfLines(100000);
  static const std::string mixed = GenerateDxfMixed(20000);
  return Kind == 0 ? lines : mixed;
}

const char* Name(int Kind) { return Kind == 0 ? "lines" : "mixed"; }

// The file on disk for ezdxf, written once.
std::string FileOf(int Kind) {
  const std::string path = (std::filesystem::temp_directory_path() / (std::string("plandeck-bench-") + Name(Kind) + ".dxf")).string();
  static bool written[2] = {false, false};
  if (!written[Kind]) {
    std::ofstream(path, std::ios::binary) << Text(Kind);
    written[Kind] = true;
  }
  return path;
}

double RawParse(std::string_view S) {
  double sum = 0;
  const char* p = S.data();
  const char* end = p + S.size();
  auto line = [&]() {
    const char* nl = static_cast<const char*>(std::memchr(p, '\n', std::size_t(end - p)));
    const char* e = nl ? nl : end;
    std::string_view l(p, std::size_t(e - p));
    p = nl ? nl + 1 : end;
    while (!l.empty() && (l.back() == '\r' || l.back() == ' ')) l.remove_suffix(1);
    while (!l.empty() && l.front() == ' ') l.remove_prefix(1);
    return l;
  };
  while (p < end) {
    const std::string_view c = line();
    const std::string_view v = line();
    int code = 0;
    std::from_chars(c.data(), c.data() + c.size(), code);
    if ((code >= 10 && code < 60) || (code >= 110 && code < 150) || (code >= 210 && code < 240)) {
      double d = 0;
      std::from_chars(v.data(), v.data() + v.size(), d);
      sum += d;
    } else if ((code >= 60 && code < 100) || (code >= 170 && code < 180)) {
      int n = 0;
      std::from_chars(v.data(), v.data() + v.size(), n);
      sum += n;
    } else {
      sum += double(v.size());
    }
  }
  return sum;
}

void BM_DxfRawParse(benchmark::State& State) {
  const std::string& text = Text(int(State.range(0)));
  for (auto _ : State) benchmark::DoNotOptimize(RawParse(text));
  State.SetBytesProcessed(std::int64_t(State.iterations()) * std::int64_t(text.size()));
}

void BM_DxfImport(benchmark::State& State) {
  const std::string& text = Text(int(State.range(0)));
  for (auto _ : State) {
    auto root = std::make_unique<TTxFigureSet>();
    const TDxfReadResult r = ReadFromDxfText(*root, text);
    if (!r.Complete) State.SkipWithError(r.Error.c_str());
    benchmark::DoNotOptimize(r.Figures);
    // Freeing the drawing is no part of reading it.
    State.PauseTiming();
    root.reset();
    State.ResumeTiming();
  }
  State.SetBytesProcessed(std::int64_t(State.iterations()) * std::int64_t(text.size()));
}

bool HaveEzdxf() {
  static const int have = std::system("/usr/bin/python3 -c 'import ezdxf' >/dev/null 2>&1");
  return have == 0;
}

void BM_Ezdxf(benchmark::State& State) {
  if (!HaveEzdxf()) {
    State.SkipWithError("python3-ezdxf is not installed");
    return;
  }
  const std::string file = FileOf(int(State.range(0)));
  const std::string cmd = "/usr/bin/python3 -c 'import ezdxf,time,sys; t=time.perf_counter(); ezdxf.readfile(sys.argv[1]); "
                          "print(time.perf_counter()-t)' " + file;
  for (auto _ : State) {
    FILE* p = ::popen(cmd.c_str(), "r");
    char buf[64] = {};
    const bool ok = p && std::fgets(buf, sizeof buf, p);
    if (p) ::pclose(p);
    if (!ok) {
      State.SkipWithError("ezdxf did not read the file");
      return;
    }
    State.SetIterationTime(std::atof(buf));
  }
}

TTxFigureSet& LinesDrawing() {
  static const std::unique_ptr<TTxFigureSet> root = [] {
    auto r = std::make_unique<TTxFigureSet>();
    ReadFromDxfText(*r, Text(0));
    return r;
  }();
  return *root;
}

std::string WriteDxf(TTxFigureSet& Root) {
  const DXF_Object obj = BuildDxfObject(Root);
  std::string out;
  DXF_Writer(out).write_file(obj.layers);
  return out;
}

void BM_DxfExport(benchmark::State& State) {
  TTxFigureSet& root = LinesDrawing();
  std::size_t bytes = 0;
  for (auto _ : State) {
    const std::string out = WriteDxf(root);
    bytes = out.size();
    benchmark::DoNotOptimize(out.data());
  }
  State.SetBytesProcessed(std::int64_t(State.iterations()) * std::int64_t(bytes));
}

void BM_DxfBytesWritten(benchmark::State& State) {
  static const std::string written = WriteDxf(LinesDrawing());
  static const std::vector<std::string_view> lines = [] {
    std::vector<std::string_view> v;
    for (std::size_t p = 0; p < written.size();) {
      const std::size_t e = written.find('\n', p);
      const std::size_t end = e == std::string::npos ? written.size() : e + 1;
      v.push_back(std::string_view(written).substr(p, end - p));
      p = end;
    }
    return v;
  }();
  for (auto _ : State) {
    std::string out;
    for (const std::string_view l : lines) out += l;
    benchmark::DoNotOptimize(out.data());
  }
  State.SetBytesProcessed(std::int64_t(State.iterations()) * std::int64_t(written.size()));
}

}  // namespace

BENCHMARK(BM_DxfExport)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DxfBytesWritten)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DxfRawParse)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DxfImport)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Ezdxf)->Arg(0)->Arg(1)->UseManualTime()->Iterations(2)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  RegisterFigureClasses();
  return RunWithRatios(argc, argv,
                       {{"BM_DxfImport/0", "BM_DxfRawParse/0"},
                        {"BM_DxfImport/1", "BM_DxfRawParse/1"},
                        {"BM_DxfExport", "BM_DxfBytesWritten"},
                        {"BM_Ezdxf/0/iterations:2/manual_time", "BM_DxfImport/0"},
                        {"BM_Ezdxf/1/iterations:2/manual_time", "BM_DxfImport/1"}});
}
