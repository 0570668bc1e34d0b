#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/globals.h"
#include "core/math_functions.h"
#include "platform/system/crt_rand.h"

TEST(MathScalar, CosAndSinOfAFloatAngle) {
    EXPECT_EQ(Math::Cos(0.0f), 1.0f);
    EXPECT_EQ(Math::Sin(0.0f), 0.0f);
    // The float π lies 8.742278e-8 above π, so its sine is that much below 0.
    EXPECT_FLOAT_EQ(Math::Sin(PI), -8.742278e-8f);
    EXPECT_FLOAT_EQ(Math::Cos(PI), -1.0f);
    EXPECT_FLOAT_EQ(Math::Cos(1.0471976f), 0.5f);
    EXPECT_FLOAT_EQ(Math::Sin(0.5235988f), 0.5f);
}

TEST(MathScalar, AbsClearsTheSignBit) {
    EXPECT_EQ(Math::Abs(-2.5f), 2.5f);
    EXPECT_EQ(Math::Abs(2.5f), 2.5f);
    EXPECT_FALSE(std::signbit(Math::Abs(-0.0f)));
    EXPECT_EQ(Math::Abs(-std::numeric_limits<float>::infinity()),
              std::numeric_limits<float>::infinity());
    const float nan = Math::Abs(-std::numeric_limits<float>::quiet_NaN());
    EXPECT_TRUE(std::isnan(nan));
    EXPECT_FALSE(std::signbit(nan));
}

TEST(MathScalar, RandomRangeTakesOneOfEvenlySpacedValues) {
    // The runtime's sequence from seed 1 starts 41, 18467, 6334.
    crt::SeedRand(1);
    EXPECT_EQ(Math::RandomRange(0.0f, 10.0f, 4.0f), 2.5f);               // 41 mod 4 = 1
    EXPECT_EQ(Math::RandomRange(0.0f, 10.0f, 4.0f), 7.5f);               // 18467 mod 4 = 3
    EXPECT_FLOAT_EQ(Math::RandomRange(-1.0f, 1.0f, 3.0f), -1.0f / 3.0f); // 6334 mod 3 = 1
}

TEST(MathScalar, RandomRangeWithAFractionalStepCount) {
    // n = 2, so r mod 2 / 2.5 is 0 or 0.4 of the range.
    crt::SeedRand(1);
    EXPECT_FLOAT_EQ(Math::RandomRange(10.0f, 20.0f, 2.5f), 14.0f); // 41 mod 2 = 1
    EXPECT_FLOAT_EQ(Math::RandomRange(10.0f, 20.0f, 2.5f), 14.0f); // 18467 mod 2 = 1
    EXPECT_FLOAT_EQ(Math::RandomRange(10.0f, 20.0f, 2.5f), 10.0f); // 6334 mod 2 = 0
}

TEST(MathScalar, RandomRangeBelowOneStepGivesTheLowEnd) {
    crt::SeedRand(1);
    EXPECT_EQ(Math::RandomRange(3.0f, 9.0f, 0.5f), 3.0f);
    EXPECT_EQ(Math::RandomRange(3.0f, 9.0f, 0.0f), 3.0f);
}

TEST(MathScalar, UniformRandomRange) {
    crt::SeedRand(1);
    EXPECT_NEAR(Math::RandomRange(0.0f, 32767.0f), 41.0f, 1e-3f);
    EXPECT_NEAR(Math::RandomRange(-1.0f, 1.0f), -1.0f + 2.0f * 18467.0f / 32767.0f, 1e-6f);
}

TEST(MathGlobals, MathsConstants) {
    EXPECT_EQ(PI, static_cast<float>(std::atan(1.0)) * 4.0f);
    EXPECT_EQ(PI * 2.0f, TWO_PI);
    EXPECT_EQ(INV_TWO_PI * TWO_PI, 1.0f);
    EXPECT_EQ(TWO_PI, 6.2831855f);
    EXPECT_EQ(INV_TWO_PI, 0.15915494f);
}

TEST(MathGlobals, IdentityMatrixWithItsPointersSet) {
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(IDENTITY.m[i], i % 5 == 0 ? 1.0f : 0.0f);
        EXPECT_EQ(IDENTITY.pm[i], &IDENTITY.m[i]);
    }
    EXPECT_EQ(IDENTITY.pdata, &IDENTITY.m[0]);
}

TEST(MathGlobals, LevelPathsStartAtTheFirstLevel) {
    EXPECT_EQ(LevelPath, "./assets/levels/ubergold.lua");
    EXPECT_EQ(EditorLevelPath, "./assets/levels/ubergold.lua");
}
