// What the benchmark programs share: a console reporter that keeps each benchmark's time per
// iteration, so that figures can be printed after the run as ratios to a reference timed in
// the same run, and the main loop that runs the benchmarks through it.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

// The demo game the build makes and the replays the tests play, for the programs that measure
// the game itself (the build names both).
#ifndef ISORA_DEMO_DIR
#define ISORA_DEMO_DIR "demo"
#endif
#ifndef ISORA_REPLAY_DIR
#define ISORA_REPLAY_DIR "tests/e2e/replays"
#endif

namespace isora::bench {

class TimesReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& r : runs) {
      if (r.run_type != Run::RT_Iteration || r.iterations <= 0) continue;
      // Manual-time runs carry their median as real time.
      const bool manual = r.benchmark_name().find("manual_time") != std::string::npos;
      const double t = manual ? r.GetAdjustedRealTime() : r.GetAdjustedCPUTime();
      times[r.benchmark_name()] = t / benchmark::GetTimeUnitMultiplier(r.time_unit);
      if (auto it = r.counters.find("p99_us"); it != r.counters.end())
        p99[r.benchmark_name()] = it->second.value * 1e-6;
      for (const auto& [key, counter] : r.counters)
        counters[r.benchmark_name()][key] = counter.value;
    }
  }

  // The time of `name` over that of `reference`; 0 when either did not run.
  double Ratio(const std::string& name, const std::string& reference) const {
    auto n = times.find(name);
    auto r = times.find(reference);
    if (n == times.end() || r == times.end() || r->second <= 0) return 0;
    return n->second / r->second;
  }

  std::map<std::string, double> times;  // seconds per iteration
  std::map<std::string, double> p99;    // seconds, for benchmarks that count it
  std::map<std::string, std::map<std::string, double>> counters;  // every counter, by benchmark
};

// Runs the benchmarks the command line selects, reported through `reporter`; 1 for an
// argument the library does not know.
inline int RunBenchmarks(int argc, char** argv, TimesReporter& reporter) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}

}  // namespace isora::bench
