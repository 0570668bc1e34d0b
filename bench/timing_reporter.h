#pragma once
// A console reporter that also keeps each benchmark's time per iteration by name, so a
// program can print how its benchmarks compare once they have all run.
#include <benchmark/benchmark.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

class TimingReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            m_times[run.benchmark_name()] = run.GetAdjustedRealTime();
        }
    }

    // The time of the named benchmark, when it ran and took any.
    std::optional<double> Time(const std::string& name) const {
        const auto found = m_times.find(name);
        if (found == m_times.end() || found->second <= 0) {
            return std::nullopt;
        }
        return found->second;
    }

  private:
    std::map<std::string, double> m_times;
};
