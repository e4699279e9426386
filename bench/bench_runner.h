#pragma once
// What every bench shares: a console reporter that keeps each benchmark's real time per
// iteration (the median when it has repetitions), so that a bench can print ratios of
// benchmarks run in the same process, and the main that runs them.

#include <benchmark/benchmark.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "backend/headless/headless_hub.h"

namespace kvbench {

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred) continue;
            const std::string& name = run.run_name.function_name;
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median") {
                times_[name] = run.GetAdjustedRealTime();
                medians_[name] = true;
            } else if (run.run_type == Run::RT_Iteration && !medians_[name]) {
                times_[name] = run.GetAdjustedRealTime();
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    // How many times faster `subject` runs than `reference` (time of reference / time of
    // subject); false when either did not run.
    bool Ratio(const std::string& subject, const std::string& reference, double& ratio) const {
        const auto s = times_.find(subject);
        const auto r = times_.find(reference);
        if (s == times_.end() || r == times_.end() || s->second <= 0) return false;
        ratio = r->second / s->second;
        return true;
    }

    // The time per iteration in the benchmark's own unit; false when it did not run.
    bool Time(const std::string& name, double& time) const {
        const auto it = times_.find(name);
        if (it == times_.end()) return false;
        time = it->second;
        return true;
    }

private:
    std::map<std::string, double> times_;
    std::map<std::string, bool> medians_;
};

// Runs the benchmarks the command line names on a headless hub (the engine's objects read the
// clock and show boxes through it) and then prints the bench's figures.
inline int RunBenchmarks(int argc, char** argv, const std::function<void(const RatioReporter&)>& printFigures) {
    backend::HeadlessOptions options;
    options.gameFolder = "/tmp";
    backend::Install(std::make_unique<backend::HeadlessHub>(options));
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    printFigures(reporter);
    benchmark::Shutdown();
    backend::Uninstall();
    return 0;
}

}  // namespace kvbench
