#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>

#include "game/piece_body.h"

namespace {

constexpr float kInf = std::numeric_limits<float>::infinity();
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

struct ShareCase {
    const char* what;
    Vector pieceMin, pieceMax, ownerMin, ownerMax;
    float expected;
};

TEST(PieceBody, TheVolumeShareIsFiniteAndClampedForDegenerateBoxes) {
    const Vector o(0.0f, 0.0f, 0.0f);
    const ShareCase cases[] = {
        {"a quarter", o, Vector(1, 2, 3), o, Vector(2, 4, 3), 0.25f},
        {"the whole", Vector(-1, -1, -1), Vector(1, 1, 1), Vector(5, 5, 5), Vector(7, 7, 7), 1.0f},
        {"larger than its owner", o, Vector(4, 4, 4), o, Vector(1, 1, 1), 1.0f},
        {"a flat piece", o, Vector(2, 2, 0), o, Vector(2, 2, 2), PieceBody::kMinVolumeShare},
        {"a tiny piece", o, Vector(0.01f, 0.01f, 0.01f), o, Vector(10, 10, 10),
         PieceBody::kMinVolumeShare},
        {"a flat owner", o, Vector(1, 1, 1), o, Vector(2, 0, 2), 1.0f},
        {"both flat", o, Vector(1, 0, 1), o, Vector(2, 0, 2), 1.0f},
        {"an inside-out piece", Vector(1, 1, 1), o, o, Vector(2, 2, 2), PieceBody::kMinVolumeShare},
        {"an empty owner box", o, Vector(1, 1, 1), Vector(FLT_MAX, FLT_MAX, FLT_MAX),
         Vector(-FLT_MAX, -FLT_MAX, -FLT_MAX), 1.0f},
        {"an infinite owner", o, Vector(1, 1, 1), Vector(-FLT_MAX, -FLT_MAX, -FLT_MAX),
         Vector(FLT_MAX, FLT_MAX, FLT_MAX), 1.0f},
        {"a NaN corner", o, Vector(kNaN, 1, 1), o, Vector(2, 2, 2), PieceBody::kMinVolumeShare},
    };
    for (const ShareCase& c : cases) {
        const float share = VolumeShare(c.pieceMin, c.pieceMax, c.ownerMin, c.ownerMax);
        EXPECT_TRUE(std::isfinite(share)) << c.what;
        EXPECT_FLOAT_EQ(share, c.expected) << c.what;
    }
}

struct DivisorCase {
    const char* what;
    float ownerDivisor;
    float share;
    bool heavy;
    float expected;
};

TEST(PieceBody, APiecesMassIsATenthOfItsShareOfTheOwnersAndAlwaysFinite) {
    const DivisorCase cases[] = {
        // Mass is 1 over the divisor: a quarter share of an owner of mass 1/2 weighs 1/80.
        {"a quarter", 2.0f, 0.25f, false, 80.0f},
        {"the whole", 1.0f, 1.0f, false, 10.0f},
        {"the heavy type", 1.0f, 1.0f, true, 10.0f / PieceBody::kHeavyFactor},
        {"no share", 1.0f, 0.0f, false, 1.0f / (PieceBody::kMinVolumeShare * 0.1f)},
        {"a NaN share", 1.0f, kNaN, false, 10.0f},
        {"an infinite share", 1.0f, kInf, false, 10.0f},
        {"an owner without a divisor", 0.0f, 1.0f, false, 10.0f},
        {"a negative owner divisor", -3.0f, 1.0f, false, 10.0f},
        {"a NaN owner divisor", kNaN, 1.0f, false, 10.0f},
        {"a huge owner divisor", FLT_MAX, PieceBody::kMinVolumeShare, false, FLT_MAX},
    };
    for (const DivisorCase& c : cases) {
        const float divisor = PieceMassDivisor(c.ownerDivisor, c.share, c.heavy);
        EXPECT_TRUE(std::isfinite(divisor)) << c.what;
        EXPECT_GT(divisor, 0.0f) << c.what;
        EXPECT_FLOAT_EQ(divisor, c.expected) << c.what;
    }
}

} // namespace
