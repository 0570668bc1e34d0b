#include "platform/gfx/frame_pacer.h"

#include <chrono>
#include <thread>

namespace gfx {
namespace {

class Steady : public sys::TimeSource {
  public:
    std::uint64_t Counter() const override {
        return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(
                                              std::chrono::steady_clock::now().time_since_epoch())
                                              .count());
    }
    std::uint64_t Frequency() const override { return 1000000000; }
};

// Not the process-wide counter: tests that stop that one would stop the pacer's waits
// from ever ending.
const Steady s_steady;

} // namespace

FramePacer::FramePacer(const sys::TimeSource* clock, Sleeper sleep)
    : m_clock(clock != nullptr ? clock : &s_steady), m_sleep(std::move(sleep)) {
    if (!m_sleep) {
        m_sleep = [](double seconds) {
            std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
        };
    }
}

void FramePacer::SetRefreshRate(double hz) {
    m_period = 1.0 / (hz > 0.0 ? hz : kDefaultRefreshHz);
}

void FramePacer::SetSwapWaits(bool accepted) {
    m_pacing = !accepted;
}

std::uint64_t FramePacer::Now() const {
    return m_clock->Counter();
}

void FramePacer::Watch(std::uint64_t now) {
    if (m_has_last) {
        const double seconds =
            static_cast<double>(now - m_last) / static_cast<double>(m_clock->Frequency());
        double& slot = m_lengths[static_cast<std::size_t>(m_watched % kWatchedFrames)];
        m_sum += seconds - slot;
        slot = seconds;
        ++m_watched;
        // Once paced the frames are no longer fast, so the decision stays.
        m_pacing =
            m_watched >= kWatchedFrames && m_sum < kFasterThanRefresh * m_period * kWatchedFrames;
    }
    m_last = now;
    m_has_last = true;
}

void FramePacer::FrameDone() {
    std::uint64_t now = Now();
    if (!m_pacing) {
        Watch(now);
        if (!m_pacing) {
            return;
        }
    }
    const double frequency = static_cast<double>(m_clock->Frequency());
    const auto period = static_cast<std::uint64_t>(m_period * frequency);
    // A frame more than a whole period late starts the cadence afresh instead of letting
    // the next frames run unpaced to catch up.
    if (m_deadline == 0 || now > m_deadline + period) {
        m_deadline = now;
    } else if (now < m_deadline) {
        m_sleep(static_cast<double>(m_deadline - now) / frequency);
    }
    m_deadline += period;
}

} // namespace gfx
