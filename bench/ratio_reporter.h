#pragma once
// A console reporter that keeps each benchmark's real time per iteration (the median when it
// has repetitions), so that a bench can print ratios of benchmarks run in the same process.

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

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

}  // namespace kvbench
