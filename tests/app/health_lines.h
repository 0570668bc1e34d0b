#pragma once
// The "Health: " lines an unattended run writes (see app/health_report.h), read back, and the
// verdict of a soak over them: after the warm-up nothing may keep growing.
#include <algorithm>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace game_process {

struct HealthSample {
    double seconds = 0.0;
    double frameMs = 0.0;
    double rssKb = 0.0;
    double poolHigh = 0.0;
    double poolPages = 0.0;
};

// Every health line of a run's output, in order; a line missing a field is skipped.
inline std::vector<HealthSample> ReadHealthLines(const std::string& output) {
    std::vector<HealthSample> samples;
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        if (line.rfind("Health: ", 0) != 0) {
            continue;
        }
        HealthSample sample;
        int found = 0;
        std::istringstream fields(line.substr(8));
        std::string field;
        while (fields >> field) {
            const std::size_t equals = field.find('=');
            if (equals == std::string::npos) {
                continue;
            }
            const std::string name = field.substr(0, equals);
            const double value = std::strtod(field.c_str() + equals + 1, nullptr);
            double* const slot = name == "seconds"      ? &sample.seconds
                                 : name == "frame_ms"   ? &sample.frameMs
                                 : name == "rss_kb"     ? &sample.rssKb
                                 : name == "pool_high"  ? &sample.poolHigh
                                 : name == "pool_pages" ? &sample.poolPages
                                                        : nullptr;
            if (slot != nullptr) {
                *slot = value;
                ++found;
            }
        }
        if (found == 5) {
            samples.push_back(sample);
        }
    }
    return samples;
}

// What grew after the warm-up, one sentence per fault; empty when the run held steady.
// The first sample at or after warmUpSeconds is the reference (for the pools, the first at
// or after a third of the run, when that is later); memory and pools may grow by the given
// share of it, the frame time of the last third of the run may not pass the
// reference third's by more than that share plus a few milliseconds of scheduling noise.
inline std::vector<std::string> SoakFaults(const std::vector<HealthSample>& samples,
                                           double warmUpSeconds, double share = 0.15) {
    std::vector<std::string> faults;
    std::size_t reference = 0;
    while (reference < samples.size() && samples[reference].seconds < warmUpSeconds) {
        ++reference;
    }
    if (samples.size() < reference + 2) {
        faults.push_back("too few health lines after the warm-up");
        return faults;
    }
    const HealthSample& from = samples[reference];
    const HealthSample& last = samples.back();
    const auto grew = [&](double before, double after, const char* what) {
        if (after > before * (1.0 + share) + 1.0) {
            std::ostringstream fault;
            fault << what << " grew from " << before << " to " << after;
            faults.push_back(fault.str());
        }
    };
    grew(from.rssKb, last.rssKb, "resident memory (kB)");
    // The pools' busiest moment comes later as a level's waves grow over its first minutes;
    // a leak keeps raising it to the end. In a long run the pools count from a third of it.
    std::size_t poolReference = reference;
    while (poolReference + 1 < samples.size() &&
           samples[poolReference].seconds < last.seconds / 3.0) {
        ++poolReference;
    }
    grew(samples[poolReference].poolHigh, last.poolHigh, "pool high-water mark");
    grew(samples[poolReference].poolPages, last.poolPages, "pool pages");
    // Mean frame time of the first and the last third of the samples after the warm-up.
    const std::size_t count = samples.size() - reference;
    const std::size_t third = std::max<std::size_t>(count / 3, 1);
    const auto mean = [&](std::size_t first) {
        double sum = 0.0;
        for (std::size_t i = first; i < first + third; ++i) {
            sum += samples[i].frameMs;
        }
        return sum / static_cast<double>(third);
    };
    const double early = mean(reference);
    const double late = mean(samples.size() - third);
    if (late > early * (1.0 + share) + 5.0) {
        std::ostringstream fault;
        fault << "frame time grew from " << early << " ms to " << late << " ms";
        faults.push_back(fault.str());
    }
    return faults;
}

} // namespace game_process
