#pragma once
// Small poses and clips for the animation tests.
#include <cmath>

#include <boost/shared_ptr.hpp>
#include <gtest/gtest.h>

#include "animation/animation.h"
#include "animation/skeleton.h"

namespace animation_fixture {

// Six joints, all at position with rotation and weight.
inline Skeleton UniformPose(const Vector& position, const Quaternion& rotation = Quaternion{},
                            float weight = 1.0f) {
    Skeleton pose(true);
    for (int i = 0; i < Skeleton::kSlotCount; ++i) {
        pose.AddJoint(new AnimationJoint(rotation, position, weight));
    }
    return pose;
}

// A clip not built in code, with key frames at the given times whose joints all sit at
// (10 × time, 0, 0).
inline boost::shared_ptr<Animation> ClipAt(std::initializer_list<float> times,
                                           bool looping = false) {
    boost::shared_ptr<Animation> clip(new Animation("Test"));
    for (const float time : times) {
        clip->AddKeyFrame(time, UniformPose(Vector(10.0f * time, 0.0f, 0.0f)));
    }
    clip->SetLooping(looping);
    return clip;
}

// Equal as rotations: q and -q turn alike.
inline void ExpectSameTurn(const Quaternion& actual, const Quaternion& expected) {
    const float dot = actual.x * expected.x + actual.y * expected.y + actual.z * expected.z +
                      actual.w * expected.w;
    EXPECT_NEAR(std::fabs(dot), 1.0f, 1e-6f)
        << actual.x << " " << actual.y << " " << actual.z << " " << actual.w;
}

} // namespace animation_fixture
