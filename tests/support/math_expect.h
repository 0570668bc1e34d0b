#pragma once
// Element-wise comparisons with a tolerance for the maths tests.

#include <gtest/gtest.h>

#include "core/math_types.h"
#include "core/quaternion.h"
#include "core/vector.h"

inline void ExpectNear3(const Float3& actual, const Float3& expected, float tolerance = 1e-5f) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

inline void ExpectNear4(const Float4& actual, const Float4& expected, float tolerance = 1e-5f) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
    EXPECT_NEAR(actual.w, expected.w, tolerance);
}

inline void ExpectNearQ(const Quaternion& actual, const Quaternion& expected,
                        float tolerance = 1e-5f) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
    EXPECT_NEAR(actual.w, expected.w, tolerance);
}

inline void ExpectNearM(const Float4x4& actual, const Float4x4& expected, float tolerance = 1e-5f) {
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(actual.m[i], expected.m[i], tolerance) << "element " << i;
    }
}
