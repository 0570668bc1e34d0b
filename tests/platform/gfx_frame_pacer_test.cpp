#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "platform/gfx/frame_pacer.h"
#include "platform/system/clock.h"

namespace {

// A clock that moves only by the frames' own work and by the pacer's sleeps, so frame ends
// are exact.
class PacedFrames : public ::testing::Test {
  protected:
    PacedFrames()
        : pacer(&clock, [this](double seconds) {
              sleeps.push_back(seconds);
              clock.Advance(seconds);
          }) {}

    // Runs frames that each take work seconds before the swap; returns the frame ends.
    std::vector<double> Run(int frames, double work) {
        std::vector<double> ends;
        for (int i = 0; i < frames; ++i) {
            clock.Advance(work);
            pacer.FrameDone();
            ends.push_back(Seconds());
        }
        return ends;
    }
    double Seconds() const {
        return static_cast<double>(clock.Counter()) / static_cast<double>(clock.Frequency());
    }

    sys::ManualClock clock;
    std::vector<double> sleeps;
    gfx::FramePacer pacer;
};

TEST_F(PacedFrames, ARefusedSwapIntervalPacesFastFramesToTheRefreshBySleeping) {
    pacer.SetSwapWaits(false);
    pacer.SetRefreshRate(0); // unknown: 60 Hz
    EXPECT_TRUE(pacer.Pacing());
    EXPECT_DOUBLE_EQ(pacer.Period(), 1.0 / 60.0);
    const std::vector<double> ends = Run(120, 0.002);
    for (std::size_t i = 1; i < ends.size(); ++i) {
        EXPECT_NEAR(ends[i] - ends[i - 1], 1.0 / 60.0, 1e-6) << "frame " << i;
    }
    // One sleep per frame after the first, each the rest of the period: no spinning.
    ASSERT_EQ(sleeps.size(), 119u);
    for (const double s : sleeps) {
        EXPECT_NEAR(s, 1.0 / 60.0 - 0.002, 1e-6);
    }
}

TEST_F(PacedFrames, TheDisplaysRefreshRateSetsThePeriod) {
    pacer.SetSwapWaits(false);
    pacer.SetRefreshRate(144);
    const std::vector<double> ends = Run(10, 0.001);
    EXPECT_NEAR(ends.back() - ends.front(), 9.0 / 144.0, 1e-6);
}

TEST_F(PacedFrames, AnAcceptedIntervalThatIsIgnoredIsFoundAndPaced) {
    pacer.SetSwapWaits(true);
    EXPECT_FALSE(pacer.Pacing());
    // The first frame starts the watch; the watched frames come in at 100 per second,
    // too slow for a quick look at single frames to tell, too fast for a waiting swap.
    Run(gfx::FramePacer::kWatchedFrames, 0.010);
    EXPECT_FALSE(pacer.Pacing());
    EXPECT_TRUE(sleeps.empty());
    Run(1, 0.010);
    EXPECT_TRUE(pacer.Pacing());
    sleeps.clear();
    const std::vector<double> ends = Run(30, 0.010);
    // The frame that showed it started the cadence; each later one waits for its turn.
    EXPECT_EQ(sleeps.size(), 30u);
    EXPECT_NEAR(ends.back() - ends.front(), 29.0 / 60.0, 1e-6);
}

TEST_F(PacedFrames, ASwapThatWaitsForTheDisplayGetsNoExtraWait) {
    pacer.SetSwapWaits(true);
    pacer.SetRefreshRate(60);
    // A swap queue filling returns at once a few times; after that the swap takes up the
    // rest of each period, with frames jittering around it and a missed refresh now and
    // then.
    Run(3, 0.001);
    for (int i = 0; i < 100; ++i) {
        Run(1, 1.0 / 60.0 + 0.004);
        Run(1, 1.0 / 60.0 - 0.004);
        Run(1, i % 10 == 0 ? 2.0 / 60.0 : 1.0 / 60.0);
    }
    EXPECT_FALSE(pacer.Pacing());
    EXPECT_TRUE(sleeps.empty());
}

TEST_F(PacedFrames, ALateFrameRestartsTheCadenceInsteadOfRushingToCatchUp) {
    pacer.SetSwapWaits(false);
    Run(5, 0.001);
    const double lateEnd = Run(1, 0.5).back(); // a load that held the frame up
    sleeps.clear();
    const std::vector<double> ends = Run(5, 0.001);
    // The late frame started the cadence afresh: every later frame waits its whole turn
    // instead of a burst of unpaced frames.
    ASSERT_EQ(sleeps.size(), 5u);
    EXPECT_NEAR(ends.front() - lateEnd, 1.0 / 60.0, 1e-6);
    for (std::size_t i = 1; i < ends.size(); ++i) {
        EXPECT_NEAR(ends[i] - ends[i - 1], 1.0 / 60.0, 1e-6);
    }
}

TEST_F(PacedFrames, AFrameLateByLessThanAPeriodKeepsTheCadence) {
    pacer.SetSwapWaits(false);
    const std::vector<double> first = Run(3, 0.001);
    const double start = first.front();
    Run(1, 1.0 / 60.0 + 0.005); // ends 5 ms after its turn, no sleep
    const std::vector<double> after = Run(2, 0.001);
    // The next frames end on the original grid again.
    EXPECT_NEAR(after.back() - start, 5.0 / 60.0, 1e-6);
}

} // namespace
