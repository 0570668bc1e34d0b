#include <gtest/gtest.h>

#include "platform/system/clock.h"

namespace {

class SystemClock : public ::testing::Test {
  protected:
    void TearDown() override { sys::SetTimeSource(nullptr); }
};

TEST_F(SystemClock, MonotonicCounterInNanoseconds) {
    EXPECT_EQ(sys::PerformanceFrequency(), 1000000000u);
    const std::uint64_t first = sys::PerformanceCounter();
    const std::uint64_t second = sys::PerformanceCounter();
    EXPECT_LE(first, second);
    EXPECT_GT(first, 0u);
}

TEST_F(SystemClock, InjectedSourceGivesExactTimesUntilRemoved) {
    sys::ManualClock clock;
    clock.Set(1000);
    sys::SetTimeSource(&clock);
    const std::uint64_t before = sys::PerformanceCounter();
    EXPECT_EQ(before, 1000u);
    clock.Advance(0.5);
    EXPECT_DOUBLE_EQ(sys::SecondsBetween(before, sys::PerformanceCounter()), 0.5);

    sys::SetTimeSource(nullptr);
    EXPECT_GT(sys::PerformanceCounter(), 1000u + 500000000u);
}

} // namespace
