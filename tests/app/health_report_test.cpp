// The health lines of unattended runs: one per full interval, with the figures the soak reads.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/health_lines.h"
#include "app/health_report.h"

namespace {

using game_process::HealthSample;

TEST(HealthReport, OneLinePerFullIntervalWithFiguresTheSoakReadsBack) {
    testing::internal::CaptureStdout();
    HealthReport report(1.0);
    for (int i = 0; i < 7; ++i) {
        report.Frame(0.25);
    }
    report.Frame(0.5);
    HealthReport off(0.0);
    off.Frame(5.0);
    const std::string output = testing::internal::GetCapturedStdout();

    const std::vector<HealthSample> samples = game_process::ReadHealthLines(output);
    ASSERT_EQ(samples.size(), 2u) << output;
    // Four frames filled the first second; three more and a long one the next 1.25 s.
    EXPECT_EQ(samples[0].seconds, 1.0);
    EXPECT_DOUBLE_EQ(samples[0].frameMs, 250.0);
    EXPECT_EQ(samples[1].seconds, 2.0);
    EXPECT_DOUBLE_EQ(samples[1].frameMs, 312.5);
    EXPECT_GT(samples[0].rssKb, 0.0);
    EXPECT_NE(output.find("frame_max_ms=500"), std::string::npos) << output;
}

} // namespace
