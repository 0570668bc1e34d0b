// The sun's split shadows without a device: the split distances, the split box, which
// components may cast into a split, the crop and texture matrices, and the splits' tiles in
// the shadow atlas.
#include <gtest/gtest.h>

#include <cmath>

#include "core/math_functions.h"
#include "graphics/light.h"
#include "graphics/render_camera.h"
#include "graphics/shadow_maps.h"
#include "platform/gfx/device.h"

namespace {

TEST(ShadowSplits, TwoSplitsFollowTheClosedForm) {
    for (const auto& [n, f] : {std::pair{1.0f, 400.0f}, std::pair{5.0f, 5000.0f}}) {
        const auto splits = shadow::ComputeSplits(n, f, 2);
        EXPECT_FLOAT_EQ(splits[0], n);
        EXPECT_NEAR(splits[1], (n + f) / 4.0f + n * std::sqrt(f / n) / 2.0f, 1e-3f * f);
        EXPECT_FLOAT_EQ(splits[2], f);
    }
    // More splits: increasing from near to far.
    const auto four = shadow::ComputeSplits(1.0f, 1000.0f, 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_LT(four[i], four[i + 1]);
    }
    EXPECT_FLOAT_EQ(four[4], 1000.0f);
}

TEST(ShadowSplits, TheSplitBoxHasAFortyFiveDegreeFieldAtSixteenTen) {
    RenderCamera camera(1.2f);
    camera.m_aspect = 2.0f;
    camera.m_eye = {0.0f, 0.0f, 0.0f};
    camera.m_target = {0.0f, 0.0f, 1.0f};
    const FrustumBox box = shadow::BuildSplitBox(camera, 10.0f, 100.0f);
    // Far face: half height tan(pi/8) * 100, half width 1.6 times that.
    const float halfHeight = std::tan(0.39269909f) * 100.0f;
    EXPECT_NEAR(box.box.max.y, halfHeight, 1e-2f);
    EXPECT_NEAR(box.box.max.x, halfHeight * 1.6f, 1e-2f);
    EXPECT_NEAR(box.box.min.z, 10.0f, 1e-3f);
    EXPECT_NEAR(box.box.max.z, 100.0f, 1e-3f);
}

TEST(ShadowSplits, WhoMayCastIntoASplit) {
    using shadow::CasterState;
    constexpr float fog = 400.0f;
    CasterState caster;
    caster.definitionCastsShadow = true;
    caster.castShadow = true;
    caster.distanceSquared = 100.0f;
    struct Case {
        const char* what;
        CasterState state;
        bool game;
        bool editor;
        bool drawnInEditor;
    };
    const auto with = [&](auto change) {
        CasterState s = caster;
        change(s);
        return s;
    };
    const Case cases[] = {
        {"a casting object", caster, true, true, true},
        {"definition without shadow", with([](CasterState& s) { s.definitionCastsShadow = false; }),
         false, false, true},
        {"shadow switched off", with([](CasterState& s) { s.castShadow = false; }), false, false,
         false},
        {"park", with([](CasterState& s) { s.park = true; }), false, false, true},
        {"no-shadow set", with([](CasterState& s) { s.noShadowSet = true; }), false, false, true},
        {"beyond the fog", with([](CasterState& s) { s.distanceSquared = fog * fog + 1.0f; }),
         false, false, true},
        {"at the fog range", with([](CasterState& s) { s.distanceSquared = fog * fog; }), true,
         true, true},
        {"spawning", with([](CasterState& s) { s.spawning = true; }), false, true, true},
        {"excluded", with([](CasterState& s) { s.excluded = true; }), false, true, true},
        {"spawning, shadow off", with([](CasterState& s) {
             s.spawning = true;
             s.castShadow = false;
         }),
         false, true, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(shadow::MayCastIntoSplit(c.state, fog, false), c.game) << c.what;
        EXPECT_EQ(shadow::MayCastIntoSplit(c.state, fog, true), c.editor) << c.what;
        if (c.editor) {
            EXPECT_EQ(shadow::DrawnIntoSplit(c.state, true), c.drawnInEditor) << c.what;
        }
    }
    // Outside the editor a spawning object that somehow reached a split is drawn only
    // when it casts a shadow itself.
    EXPECT_FALSE(shadow::DrawnIntoSplit(with([](CasterState& s) {
                                            s.spawning = true;
                                            s.castShadow = false;
                                        }),
                                        false));
}

BoxRecord Box(const Float3& lo, const Float3& hi) {
    BoxRecord box;
    for (int i = 0; i < 8; ++i) {
        box.corners[i] = {(i & 1) != 0 ? hi.x : lo.x, (i & 2) != 0 ? hi.y : lo.y,
                          (i & 4) != 0 ? hi.z : lo.z};
    }
    box.min = lo;
    box.max = hi;
    return box;
}

TEST(ShadowCrop, TheCropMatrixFitsTheBoxOntoTheMap) {
    const BoxRecord box = Box({2.0f, -1.0f, 0.25f}, {6.0f, 3.0f, 0.75f});
    const auto crop = shadow::ComputeCropMatrix(Math::MatrixIdentity(), box);
    ASSERT_TRUE(crop.has_value());
    // x and y go to -1..1; z from 0 (min z is taken as 0) to 1 at the box's far side.
    const Float3 lo = Math::Vec3TransformCoord({2.0f, -1.0f, 0.0f}, *crop);
    const Float3 hi = Math::Vec3TransformCoord({6.0f, 3.0f, 0.75f}, *crop);
    EXPECT_NEAR(lo.x, -1.0f, 1e-5f);
    EXPECT_NEAR(lo.y, -1.0f, 1e-5f);
    EXPECT_NEAR(lo.z, 0.0f, 1e-5f);
    EXPECT_NEAR(hi.x, 1.0f, 1e-5f);
    EXPECT_NEAR(hi.y, 1.0f, 1e-5f);
    EXPECT_NEAR(hi.z, 1.0f, 1e-5f);

    // The scale-bias takes clip x, y to texture u, v (v down) and keeps the depth.
    const Float3 uv = Math::Vec3TransformCoord({-1.0f, 1.0f, 0.3f}, shadow::ScaleBiasMatrix());
    EXPECT_FLOAT_EQ(uv.x, 0.0f);
    EXPECT_FLOAT_EQ(uv.y, 0.0f);
    EXPECT_FLOAT_EQ(uv.z, 0.3f);
}

TEST(ShadowCrop, AFlatSplitKeepsItsMatrix) {
    EXPECT_FALSE(shadow::ComputeCropMatrix(Math::MatrixIdentity(),
                                           Box({1.0f, 1.0f, 0.5f}, {1.0f, 4.0f, 0.9f})));
    EXPECT_FALSE(shadow::ComputeCropMatrix(Math::MatrixIdentity(),
                                           Box({1.0f, 1.0f, -0.5f}, {4.0f, 4.0f, -0.2f})));

    ShadowMaps maps(nullptr, 512.0f, 2);
    Light sun(true, Light::kSunName, SunLightRecord());
    sun.PlaceSun({0.0f, 0.0f, 0.0f});
    ASSERT_TRUE(maps.UpdateSplitMatrix(0, sun, Box({-10.0f, 0.0f, 5.0f}, {10.0f, 8.0f, 40.0f})));
    const Float4x4 kept = maps.TextureMatrices()[0];
    EXPECT_FALSE(maps.UpdateSplitMatrix(0, sun, Box({1.0f, 1.0f, 1.0f}, {1.0f, 1.0f, 1.0f})));
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(maps.TextureMatrices()[0].m[i], kept.m[i]);
    }
}

// Each split's tile lies inside the atlas, apart from every other one: a tile reaching into
// its neighbour would shade one split with another's depths.
TEST(ShadowAtlas, TheTilesFillTheAtlasWithoutOverlapping) {
    struct Case {
        u32 side, count, width, height;
    };
    for (const Case& c : {Case{1024, 2, 2048, 1024}, Case{1024, 3, 2048, 2048},
                          Case{512, 4, 1024, 1024}, Case{3, 3, 6, 6}}) {
        const shadow::AtlasExtent extent = shadow::AtlasSize(c.side, c.count);
        EXPECT_EQ(extent.width, c.width) << c.side << " x " << c.count;
        EXPECT_EQ(extent.height, c.height) << c.side << " x " << c.count;
        for (u32 i = 0; i < c.count; ++i) {
            const gfx::Viewport tile = shadow::AtlasTile(i, c.side);
            EXPECT_EQ(tile.width, static_cast<i32>(c.side));
            EXPECT_EQ(tile.height, static_cast<i32>(c.side));
            EXPECT_GE(tile.x, 0);
            EXPECT_GE(tile.y, 0);
            EXPECT_LE(static_cast<u32>(tile.x + tile.width), extent.width) << "split " << i;
            EXPECT_LE(static_cast<u32>(tile.y + tile.height), extent.height) << "split " << i;
            for (u32 k = 0; k < i; ++k) {
                const gfx::Viewport other = shadow::AtlasTile(k, c.side);
                const bool apart =
                    tile.x + tile.width <= other.x || other.x + other.width <= tile.x ||
                    tile.y + tile.height <= other.y || other.y + other.height <= tile.y;
                EXPECT_TRUE(apart) << "split " << i << " overlaps split " << k;
            }
        }
    }
}

TEST(ShadowCrop, ThePlacedSunLooksAlongItsDirectionFromBehindThePoint) {
    Light sun(true, Light::kSunName, SunLightRecord());
    const Float3 point{100.0f, 0.0f, -50.0f};
    sun.PlaceSun(point);
    const Float3& d = sun.m_light.direction;
    EXPECT_NEAR(sun.m_light.position.x, point.x - d.x * 18200.0f, 1e-2f);
    // The point lies straight ahead of the sun, 18200 units away.
    const Float3 inView = Math::Vec3TransformCoord(point, sun.m_shadow_view);
    EXPECT_NEAR(inView.x, 0.0f, 1e-1f);
    EXPECT_NEAR(inView.y, 0.0f, 1e-1f);
    EXPECT_NEAR(inView.z, 18200.0f, 1.0f);
}

} // namespace
