#pragma once
// Keeps presented frames from coming faster than the display refreshes when the swap does
// not wait for the display: the driver refused the swap interval, or took it and ignores it
// (a window with no display, some software drivers). It waits by sleeping, so a static menu
// costs a few percent of a core instead of a whole one. Where the swap waits, it adds
// nothing.
#include <array>
#include <cstdint>
#include <functional>

#include "platform/system/clock.h"

namespace gfx {

class FramePacer {
  public:
    using Sleeper = std::function<void(double seconds)>;

    static constexpr double kDefaultRefreshHz = 60.0;
    // A swap that waits for the refresh cannot deliver frames faster than the refresh on
    // average: frames of the last kWatchedFrames coming at least this much faster show that
    // the swap does not wait (single frames may, while a swap queue fills or drains).
    static constexpr int kWatchedFrames = 30;
    static constexpr double kFasterThanRefresh = 0.9;

    // A null clock reads the steady clock and an empty sleeper sleeps the calling thread;
    // tests give both.
    explicit FramePacer(const sys::TimeSource* clock = nullptr, Sleeper sleep = {});

    // The display's refresh rate; unknown (0 or less) counts as 60 Hz.
    void SetRefreshRate(double hz);
    // Whether the driver took the request to wait for the refresh. When it did not, frames
    // are paced from the start; when it did, only once the frames show it does not wait.
    void SetSwapWaits(bool accepted);

    // Called after each swap; sleeps until the frame's turn when pacing.
    void FrameDone();

    bool Pacing() const { return m_pacing; }
    double Period() const { return m_period; }

  private:
    std::uint64_t Now() const;
    void Watch(std::uint64_t now);

    const sys::TimeSource* m_clock;
    Sleeper m_sleep;
    double m_period = 1.0 / kDefaultRefreshHz;
    bool m_pacing = false;
    // The lengths of the watched frames in seconds, as a ring, and their sum.
    std::array<double, kWatchedFrames> m_lengths{};
    int m_watched = 0;
    double m_sum = 0.0;
    std::uint64_t m_last = 0;
    bool m_has_last = false;
    // When the next frame may end, in clock counts; 0 before the first paced frame.
    std::uint64_t m_deadline = 0;
};

} // namespace gfx
