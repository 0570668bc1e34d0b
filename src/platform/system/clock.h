#pragma once
// The high-resolution counter that frame times and process timings are measured with.
// Tests replace the source to make elapsed times exact.
#include <atomic>
#include <cstdint>

namespace sys {

class TimeSource {
  public:
    virtual ~TimeSource() = default;
    virtual std::uint64_t Counter() const = 0;
    // Counts per second.
    virtual std::uint64_t Frequency() const = 0;
};

// A counter that moves only when told to; safe to advance while other threads read it.
class ManualClock : public TimeSource {
  public:
    static constexpr std::uint64_t kFrequency = 1000000000;

    std::uint64_t Counter() const override { return m_counter.load(); }
    std::uint64_t Frequency() const override { return kFrequency; }
    void Advance(double seconds);
    void Set(std::uint64_t counter) { m_counter.store(counter); }

  private:
    std::atomic<std::uint64_t> m_counter{0};
};

std::uint64_t PerformanceCounter();
std::uint64_t PerformanceFrequency();
double SecondsBetween(std::uint64_t from, std::uint64_t to);

// Routes both readings through source until called again; null restores the monotonic clock.
// The source must outlive its use.
void SetTimeSource(const TimeSource* source);

} // namespace sys
