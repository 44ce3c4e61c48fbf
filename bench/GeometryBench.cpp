// Flattening and ring splitting of a 1,000-edge outline (half of them arcs),
// and point queries against it, compared with a plain even-odd test on the
// same flattened ring measured in the same run.

#include "foundation/Workdbx.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <numbers>
#include <random>
#include <vector>

namespace {

constexpr int EdgeCount = 1000;
constexpr int QueryCount = 1'000'000;

// A toothed ring: vertices alternate between two radii; every second edge is
// a shallow arc bulging outwards.
TWorkDbx MakeOutline() {
  constexpr double Pi = std::numbers::pi;
  std::vector<Tpt> v;
  for (int i = 0; i < EdgeCount; ++i) {
    const double a = 2 * Pi * i / EdgeCount;
    const double r = i % 2 ? 1000 : 960;
    v.push_back({r * std::cos(a), r * std::sin(a)});
  }
  TWorkDbx w;
  for (int i = 0; i < EdgeCount; ++i) {
    TWorkDbxbx e;
    e.qd = v[i];
    e.zd = v[(i + 1) % EdgeCount];
    if (i % 2) {
      e.lx = blArc;
      e.bj = 3 * modV(ppV(e.qd, e.zd));
      Tpt left, right;
      bxbjqyx({e.qd, e.zd}, e.bj, left, right);
      e.yx = left;  // centre inside: the arc bulges outwards
      e.Direction = 1;
      wbxqdarccs(e);
    }
    w.bx.push_back(e);
  }
  workdbxfxjs(w);
  return w;
}

const TWorkDbx& Outline() {
  static const TWorkDbx w = MakeOutline();
  return w;
}

const std::vector<Tpt>& Queries() {
  static const std::vector<Tpt> q = [] {
    std::mt19937 rng(1);
    std::uniform_real_distribution<double> c(-1050, 1050);
    std::vector<Tpt> out(QueryCount);
    for (Tpt& p : out) p = {c(rng), c(rng)};
    return out;
  }();
  return q;
}

bool EvenOdd(Tpt p, const TWddList& ring) {
  bool inside = false;
  for (std::size_t i = 0, j = ring.size() - 1; i < ring.size(); j = i++) {
    const Tpt a = ring[i], b = ring[j];
    if ((a.y > p.y) != (b.y > p.y) && p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x)
      inside = !inside;
  }
  return inside;
}

void BM_Flatten(benchmark::State& state) {
  const TWorkDbx& w = Outline();
  std::size_t points = 0;
  for (auto _ : state) {
    TWddList pts = wdbxtowdd(w);
    points = pts.size();
    benchmark::DoNotOptimize(pts.data());
  }
  state.counters["points"] = double(points);
}
BENCHMARK(BM_Flatten)->Unit(benchmark::kMicrosecond);

void BM_FlattenAndSplitRings(benchmark::State& state) {
  TWorkDbx w = Outline();
  for (auto _ : state) {
    workdbxfxjs(w);
    benchmark::DoNotOptimize(w.fxpg.data());
  }
  state.counters["rings"] = double(w.fxpg.size());
}
BENCHMARK(BM_FlattenAndSplitRings)->Unit(benchmark::kMillisecond);

// One iteration = 1M pinwdbx queries and, timed alongside, 1M even-odd
// queries on the same flattened ring; both per-query times and their ratio.
void BM_PinwdbxVersusEvenOdd(benchmark::State& state) {
  const TWorkDbx& w = Outline();
  const std::vector<Tpt>& q = Queries();
  TWddList ring = wdbxtowdd(w);
  if (ring.size() > 1 && ppisxd(ring.front(), ring.back())) ring.pop_back();
  using Clock = std::chrono::steady_clock;
  double pinNs = 0, evenOddNs = 0;
  long hits = 0, agree = 0;
  for (auto _ : state) {
    const auto t0 = Clock::now();
    for (const Tpt& p : q) hits += pinwdbx(p, w);
    const auto t1 = Clock::now();
    for (const Tpt& p : q) agree += EvenOdd(p, ring);
    const auto t2 = Clock::now();
    pinNs += std::chrono::duration<double, std::nano>(t1 - t0).count();
    evenOddNs += std::chrono::duration<double, std::nano>(t2 - t1).count();
  }
  const double n = double(state.iterations()) * QueryCount;
  state.counters["pinwdbx_ns_per_query"] = pinNs / n;
  state.counters["evenodd_ns_per_query"] = evenOddNs / n;
  state.counters["ratio"] = pinNs / evenOddNs;
  state.counters["inside_share"] = double(hits) / n;
  state.counters["evenodd_inside_share"] = double(agree) / n;
}
BENCHMARK(BM_PinwdbxVersusEvenOdd)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace

BENCHMARK_MAIN();
