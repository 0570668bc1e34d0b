#include "platform/system/clock.h"

#include <chrono>

namespace sys {
namespace {

class SteadyClock : public TimeSource {
  public:
    std::uint64_t Counter() const override {
        const auto since = std::chrono::steady_clock::now().time_since_epoch();
        return static_cast<std::uint64_t>(
            std::chrono::duration_cast<std::chrono::nanoseconds>(since).count());
    }
    std::uint64_t Frequency() const override { return 1000000000; }
};

const SteadyClock s_steady;
std::atomic<const TimeSource*> s_source{&s_steady};

} // namespace

void ManualClock::Advance(double seconds) {
    m_counter.fetch_add(static_cast<std::uint64_t>(seconds * static_cast<double>(kFrequency)));
}

std::uint64_t PerformanceCounter() {
    return s_source.load()->Counter();
}

std::uint64_t PerformanceFrequency() {
    return s_source.load()->Frequency();
}

double SecondsBetween(std::uint64_t from, std::uint64_t to) {
    return static_cast<double>(to - from) / static_cast<double>(PerformanceFrequency());
}

void SetTimeSource(const TimeSource* source) {
    s_source.store(source != nullptr ? source : &s_steady);
}

} // namespace sys
