#include <gtest/gtest.h>

#include <cmath>

#include "graphics/game_camera.h"

namespace {

Quaternion Q(float x, float y, float z, float w) {
    Quaternion q;
    q.x = x;
    q.y = y;
    q.z = z;
    q.w = w;
    return q;
}

TEST(GameCamera, TheGlobalCameraStartsEmptyAndStill) {
    EXPECT_TRUE(g_game_camera.pathKeys.empty());
    EXPECT_TRUE(g_game_camera.rotationKeys.empty());
    EXPECT_TRUE(g_game_camera.targetKeys.empty());
    EXPECT_EQ(g_game_camera.duration, 0.0f);
    EXPECT_FALSE(g_game_camera.finished);
    EXPECT_FALSE(g_game_camera.linearTarget);
    EXPECT_TRUE(g_game_camera.name.empty());
}

TEST(GameCamera, TheClockWrapsOnceAtTheDurationAndThenStops) {
    GameCamera camera;
    camera.Update(1.0f);
    EXPECT_EQ(camera.time, 0.0f); // no duration: no clock
    camera.duration = 2.0f;
    camera.Update(1.5f);
    EXPECT_FALSE(camera.finished);
    camera.Update(1.5f);
    EXPECT_TRUE(camera.finished);
    EXPECT_FLOAT_EQ(camera.time, 1.0f);
    camera.Update(1.5f);
    EXPECT_FLOAT_EQ(camera.time, 1.0f);
}

TEST(GameCamera, RotationKeysBlendAlongTheShorterArc) {
    GameCamera camera;
    const Quaternion identity = camera.EvaluateRotation();
    EXPECT_EQ(identity.w, 1.0f);
    const float h = std::sqrt(0.5f);
    camera.rotationKeys.push_back({Q(0, 0, 0, 1), 0.0f});
    camera.rotationKeys.push_back({Q(0, h, 0, h), 2.0f}); // 90 degrees about y
    camera.time = 1.0f;
    const Quaternion half = camera.EvaluateRotation();
    EXPECT_NEAR(half.y, std::sin(0.3926991f), 1e-5f);
    EXPECT_NEAR(half.w, std::cos(0.3926991f), 1e-5f);
    camera.time = 3.0f;
    EXPECT_NEAR(camera.EvaluateRotation().y, h, 1e-6f);

    // Looking along -z turned 90 degrees about y looks along -x.
    camera.time = 2.0f;
    const Vector target = camera.GetTarget();
    EXPECT_NEAR(target.x, -1.0f, 1e-5f);
    EXPECT_NEAR(target.z, 0.0f, 1e-5f);
}

TEST(GameCamera, LinearTargetsMoveBetweenTheirKeysAndHoldTheLast) {
    GameCamera camera;
    camera.linearTarget = true;
    EXPECT_EQ(camera.GetTarget().x, 0.0f);
    camera.AddTargetKey(Vector(0, 0, 0), 0.0f);
    camera.AddTargetKey(Vector(10, 0, 0), 4.0f);
    camera.time = 1.0f;
    EXPECT_FLOAT_EQ(camera.GetTarget().x, 2.5f);
    camera.time = 5.0f;
    EXPECT_FLOAT_EQ(camera.GetTarget().x, 10.0f);
    EXPECT_EQ(camera.GetTargetKey(1).time, 4.0f);
    camera.ClearTargetKeys();
    EXPECT_TRUE(camera.targetKeys.empty());
}

TEST(GameCamera, ThePathRunsAlongTheSegmentOfTheClock) {
    GameCamera camera;
    EXPECT_EQ(camera.EvaluatePath().x, 0.0f);
    GameCamera::PathSegment first;
    first.curve.controlPoints = {Vector(0, 0, 0), Vector(10, 0, 0)};
    first.startTime = 1.0f;
    first.endTime = 3.0f;
    GameCamera::PathSegment second;
    second.curve.controlPoints = {Vector(0, 0, 0), Vector(0, 8, 0), Vector(0, 0, 8)};
    second.startTime = 3.0f;
    second.endTime = 5.0f;
    camera.AddPathKey(first);
    camera.AddPathKey(second);

    camera.time = 0.0f; // before the first segment: its start
    EXPECT_FLOAT_EQ(camera.EvaluatePath().x, 0.0f);
    camera.time = 2.0f;
    EXPECT_FLOAT_EQ(camera.EvaluatePath().x, 5.0f);
    camera.time = 4.0f; // half-way along the quadratic curve
    const Vector p = camera.EvaluatePath();
    EXPECT_FLOAT_EQ(p.y, 4.0f);
    EXPECT_FLOAT_EQ(p.z, 2.0f);
    camera.time = 9.0f; // after the last: its end
    EXPECT_FLOAT_EQ(camera.EvaluatePath().z, 8.0f);
}

TEST(MeshPointLists, BinomialsComeFromTheTableAndTheTriangleRule) {
    EXPECT_EQ(MeshPointLists::Binomial(6, 3), 20.0f);
    EXPECT_EQ(MeshPointLists::Binomial(8, 4), 70.0f);
    EXPECT_EQ(MeshPointLists::Binomial(9, 0), 1.0f);
    EXPECT_EQ(MeshPointLists::Binomial(3, 4), 0.0f);
}

} // namespace
