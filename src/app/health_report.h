#pragma once
// A testing aid for long unattended runs: every so many seconds of real time the Game writes
// one "Health: " line with the frames of the interval, their mean and longest time, the
// resident memory and the object pools' live, high-water and page counts, so a soak can
// tell a leak or a slowdown from the log alone.
#include <string>
#include <utility>
#include <vector>

#include "core/types.h"

class HealthReport {
  public:
    // An interval of 0 or less writes nothing.
    explicit HealthReport(double intervalSeconds) : m_interval(intervalSeconds) {}

    bool On() const { return m_interval > 0.0; }

    // Adds seconds of the current frame to a named share of the frame's work; the line gives
    // each share's mean per frame of the interval.
    void AddShare(const std::string& name, double seconds);

    // Counts one frame of the given real length; writes the line when an interval is full.
    void Frame(double seconds);

    // The line for the interval that just ended.
    std::string Line() const;

  private:
    double m_interval;
    double m_total = 0.0;
    double m_interval_time = 0.0;
    double m_longest = 0.0;
    u64 m_frames = 0;
    // In the order first added, so the line reads the same every interval.
    std::vector<std::pair<std::string, double>> m_shares;
};
