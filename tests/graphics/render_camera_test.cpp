#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "core/math_functions.h"
#include "game/input_state.h"
#include "graphics/light.h"
#include "graphics/render_camera.h"
#include "platform/input/keys.h"

namespace {

BoxRecord Box(Float3 min, Float3 max) {
    BoxRecord box;
    BoundingBox::ComputeCorners(box, min, max);
    return box;
}

RenderCamera LookingDownZ() {
    RenderCamera camera;
    camera.SetPose({0.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 1.0f});
    camera.UpdateMatrices();
    camera.ExtractPlanes(camera.m_view, camera.m_projection);
    return camera;
}

TEST(RenderCamera, StartsAtItsPoseWithTheDefaultPlanes) {
    const RenderCamera camera;
    EXPECT_FLOAT_EQ(camera.m_target.x, -13.560603f + 0.05728137f);
    EXPECT_FLOAT_EQ(camera.m_near, 1.0f);
    EXPECT_FLOAT_EQ(camera.m_far, 5000.0f);
    EXPECT_FLOAT_EQ(camera.m_fov, 0.7853982f);
    EXPECT_FLOAT_EQ(camera.m_yaw, -7.232398f);
}

TEST(RenderCamera, TheFrustumBoxHasItsCornersInFaceOrder) {
    RenderCamera camera = LookingDownZ();
    camera.m_aspect = 2.0f;
    const FrustumBox frustum = camera.BuildFrustumBox(1.0f, 10.0f);
    const float t = std::tan(camera.m_fov * 0.5f);
    // Near face: left-bottom, left-top, right-top, right-bottom; then the far face.
    const float expect[8][3] = {{-2 * t, -t, 1},      {-2 * t, t, 1},         {2 * t, t, 1},
                                {2 * t, -t, 1},       {-20 * t, -10 * t, 10}, {-20 * t, 10 * t, 10},
                                {20 * t, 10 * t, 10}, {20 * t, -10 * t, 10}};
    for (int i = 0; i < 8; ++i) {
        EXPECT_NEAR(frustum.corners[i].x, expect[i][0], 1e-3f) << i;
        EXPECT_NEAR(frustum.corners[i].y, expect[i][1], 1e-3f) << i;
        EXPECT_NEAR(frustum.corners[i].z, expect[i][2], 1e-3f) << i;
    }
    EXPECT_NEAR(frustum.box.min.x, -20 * t, 1e-3f);
    EXPECT_NEAR(frustum.box.max.z, 10.0f, 1e-3f);
    EXPECT_NEAR(frustum.box.min.z, 1.0f, 1e-3f);
}

TEST(RenderCamera, BoxesAreCulledAndTheFailingFaceIsRemembered) {
    const RenderCamera camera = LookingDownZ();
    const FrustumBox frustum = camera.BuildFrustumBox(1.0f, 100.0f);
    struct Case {
        const char* what;
        BoxRecord box;
        bool visible;
    };
    const Case cases[] = {
        {"ahead", Box({-1, -1, 20}, {1, 1, 22}), true},
        {"behind", Box({-1, -1, -22}, {1, 1, -20}), false},
        {"far left", Box({-200, -1, 20}, {-180, 1, 22}), false},
        {"straddling the right side", Box({5, -1, 10}, {40, 1, 12}), true},
        {"far above", Box({-1, 300, 50}, {1, 310, 52}), false},
    };
    for (const Case& c : cases) {
        FrustumFaceMemory memory;
        EXPECT_EQ(RenderCamera::IsBoxInFrustum(c.box, memory, frustum), c.visible) << c.what;
    }
    // The box far left fails on the left face (1) and the next test starts there; the box
    // behind fails on the near face (0).
    FrustumFaceMemory memory;
    RenderCamera::IsBoxInFrustum(cases[2].box, memory, frustum);
    EXPECT_EQ(memory.face[0], 1u);
    FrustumFaceMemory fresh;
    RenderCamera::IsBoxInFrustum(cases[1].box, fresh, frustum);
    EXPECT_EQ(fresh.face[0], 0u);
}

TEST(RenderCamera, DepthFittingKeepsNearAboveTheMinimumAndFarBeyondNear) {
    RenderCamera camera = LookingDownZ();
    const BoxRecord ahead = Box({-1, -1, 20}, {1, 1, 30});
    camera.FitDepthRange({&ahead});
    EXPECT_FLOAT_EQ(camera.m_near, 20.0f);
    EXPECT_FLOAT_EQ(camera.m_far, 30.0f);

    const BoxRecord close = Box({-1, -1, -5}, {1, 1, 0.5f});
    camera.FitDepthRange({&close});
    EXPECT_FLOAT_EQ(camera.m_near, 1.0f);
    EXPECT_FLOAT_EQ(camera.m_far, 2.0f);

    camera.FitDepthRange({});
    EXPECT_FLOAT_EQ(camera.m_near, 1.0f);
    EXPECT_FLOAT_EQ(camera.m_far, 5000.0f);
    EXPECT_TRUE(std::isfinite(camera.m_projection.m[10]));

    camera.ResetDepthRange();
    EXPECT_FLOAT_EQ(camera.m_near, 1.0f);
    EXPECT_FLOAT_EQ(camera.m_far, 5000.0f);
}

TEST(RenderCamera, LightVisibility) {
    const RenderCamera camera = LookingDownZ();
    struct Case {
        const char* what;
        const char* name;
        Float3 position;
        bool enabled;
        bool always;
        bool visible;
    };
    const Case cases[] = {
        {"in view", "lamp", {0, 0, 50}, true, false, true},
        {"disabled", "lamp", {0, 0, 50}, false, false, false},
        {"behind", "lamp", {0, 0, -50}, true, false, false},
        {"beyond the fog", "lamp", {0, 0, 500}, true, false, false},
        {"beyond the fog, always visible", "lamp", {0, 0, 500}, true, true, true},
        {"nuke behind", "nuke", {0, 0, -50}, true, false, true},
        {"nuke disabled", "nuke", {0, 0, 50}, false, false, false},
        {"nuke beyond the fog", "nuke", {0, 0, 500}, true, false, false},
    };
    for (const Case& c : cases) {
        LightRecord record;
        record.position = c.position;
        record.range = 5.0f;
        Light light(c.enabled, c.name, record);
        light.m_always_visible = c.always;
        EXPECT_EQ(IsLightVisible(camera, light, 400.0f), c.visible) << c.what;
    }
    LightRecord record;
    record.position = {0, 0, -50};
    record.range = 5.0f;
    Light behind(true, "lamp", record);
    IsLightVisible(camera, behind, 400.0f);
    EXPECT_EQ(behind.m_last_failed_plane, static_cast<u32>(CLIP_NEAR));
}

TEST(RenderCamera, FreeFlyMovesAlongTheLookAndClampsThePitch) {
    RenderCamera camera;
    InputState input;
    input.m_keys[input::key::W] = INPUT_HELD;
    const Float3 before = camera.m_eye;
    camera.UpdateFreeFly(input, 1.0f / 60.0f);
    const Float3 f = Math::Vec3Normalize(camera.m_look_offset);
    EXPECT_NEAR(camera.m_eye.x - before.x, f.x, 1e-4f);
    EXPECT_NEAR(camera.m_eye.z - before.z, f.z, 1e-4f);

    input = InputState{};
    input.m_mouse_y = 100000;
    camera.UpdateFreeFly(input, 0.0f);
    EXPECT_FLOAT_EQ(camera.m_pitch, 3.1315928f);
    input.m_mouse_y = -100000;
    camera.UpdateFreeFly(input, 0.0f);
    EXPECT_FLOAT_EQ(camera.m_pitch, 0.7953982f);
}

TEST(RenderCamera, TheSmallShakeLiftsTheEyeEveryOtherStep) {
    RenderCamera camera = LookingDownZ();
    camera.ShakeJitter(0.05f); // one step: on
    EXPECT_FLOAT_EQ(camera.m_eye.y, 1.0f);
    camera.ShakeJitter(0.04f); // second step: off
    EXPECT_FLOAT_EQ(camera.m_eye.y, 1.0f);

    std::minstd_rand engine(7);
    for (int i = 0; i < 100; ++i) {
        EXPECT_NEAR(Math::Vec3Length(RandomUnitVector(engine)), 1.0f, 1e-5f);
    }
}

} // namespace
