#pragma once
// Runs the registered benchmarks and then prints, for each pair given, the
// ratio of the measured case's time to its baseline's from the same run.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

class TRatioReporter : public benchmark::ConsoleReporter {
public:
  void ReportRuns(const std::vector<Run>& Runs) override {
    // With repetitions the median stands for the case; otherwise its one run.
    for (const Run& r : Runs) {
      const bool median = r.run_type == Run::RT_Aggregate && r.aggregate_name == "median";
      if (r.run_type == Run::RT_Iteration || median)
        FTimes[r.run_name.str()] = {r.GetAdjustedRealTime(), r.GetAdjustedCPUTime()};
    }
    ConsoleReporter::ReportRuns(Runs);
  }
  void PrintRatios(const std::vector<std::pair<std::string, std::string>>& Pairs) const {
    std::printf("\nRatios (case / baseline, same run; real time, CPU time):\n");
    for (const auto& [measured, baseline] : Pairs) {
      const auto m = FTimes.find(measured), b = FTimes.find(baseline);
      if (m == FTimes.end() || b == FTimes.end() || b->second.first <= 0 || b->second.second <= 0) continue;
      std::printf("  %-36s / %-30s = %.3g real, %.3g cpu\n", measured.c_str(), baseline.c_str(),
                  m->second.first / b->second.first, m->second.second / b->second.second);
    }
  }

private:
  std::map<std::string, std::pair<double, double>> FTimes;
};

inline int RunWithRatios(int argc, char** argv, const std::vector<std::pair<std::string, std::string>>& Pairs) {
  benchmark::Initialize(&argc, argv);
  TRatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios(Pairs);
  benchmark::Shutdown();
  return 0;
}
