// The deferred lighting's arithmetic without a device: light volumes, the noise phase,
// the effect file per split count and where the light image lands in the window.
#include <gtest/gtest.h>

#include "graphics/gbuffer.h"
#include "graphics/light.h"

namespace {

TEST(LightVolumes, NukeSpotAndPointLightSpheres) {
    Light nuke(true, Light::kNukeName, NukeLightRecord({1.0f, 2.0f, 3.0f}));
    nuke.m_light.range = 5.0f;
    const deferred::LightVolume n = deferred::VolumeOf(nuke);
    EXPECT_FLOAT_EQ(n.radius, 10.0f);
    EXPECT_FLOAT_EQ(n.distanceMod, 5.0f);
    EXPECT_FLOAT_EQ(n.centre.y, 2.0f);

    LightRecord spotRecord;
    spotRecord.type = LIGHT_SPOT;
    spotRecord.position = {0.0f, 10.0f, 0.0f};
    spotRecord.direction = {0.0f, -1.0f, 0.0f};
    spotRecord.range = 4.0f;
    const Light spot(true, "lamp", spotRecord);
    const deferred::LightVolume s = deferred::VolumeOf(spot);
    // One range behind the light, against its direction.
    EXPECT_FLOAT_EQ(s.centre.y, 14.0f);
    EXPECT_FLOAT_EQ(s.radius, 4.0f);
    EXPECT_FLOAT_EQ(s.distanceMod, 0.0f);

    LightRecord pointRecord = spotRecord;
    pointRecord.type = LIGHT_POINT;
    const deferred::LightVolume p = deferred::VolumeOf(Light(true, "nuke2", pointRecord));
    EXPECT_FLOAT_EQ(p.centre.y, 10.0f);
    EXPECT_FLOAT_EQ(p.radius, 4.0f);
}

TEST(LightVolumes, TheMeshCoversTheWholeSphere) {
    // The mesh is drawn a little larger than the sphere it stands for.
    const deferred::LightVolume unit{{0.0f, 0.0f, 0.0f}, 1.0f, 0.0f};
    const float scale = deferred::VolumeMeshScale();
    EXPECT_GT(scale, 1.0f);
    EXPECT_LT(scale, 1.1f);
    const Float4x4 world = deferred::VolumeWorld(unit);
    EXPECT_FLOAT_EQ(world.m[0], scale);
    // Placed at the centre, scaled by the radius.
    const deferred::LightVolume lamp{{5.0f, 6.0f, 7.0f}, 40.0f, 0.0f};
    const Float4x4 placed = deferred::VolumeWorld(lamp);
    EXPECT_FLOAT_EQ(placed.m[5], 40.0f * scale);
    EXPECT_FLOAT_EQ(placed.m[13], 6.0f);
}

TEST(DeferredLighting, TheNoisePhaseWrapsAtOne) {
    EXPECT_NEAR(deferred::AdvanceNoisePhase(0.99f, 1.0f), 0.0425f, 1e-5f);
    EXPECT_NEAR(deferred::AdvanceNoisePhase(0.0f, 2.0f), 0.105f, 1e-6f);
    EXPECT_FLOAT_EQ(deferred::AdvanceNoisePhase(0.5f, 0.0f), 0.5f);
}

TEST(DeferredLighting, TheEffectFileFollowsTheSplitCount) {
    EXPECT_STREQ(deferred::LightingEffectFile(2), "graphics/shaders/deferredlighting2.fx");
    EXPECT_STREQ(deferred::LightingEffectFile(4), "graphics/shaders/deferredlighting4.fx");
    EXPECT_EQ(deferred::LightingEffectFile(1), nullptr);
    EXPECT_EQ(deferred::LightingEffectFile(5), nullptr);
}

TEST(DeferredLighting, TheLightImageIsLetterboxedToSixteenTen) {
    struct Case {
        int w, h;
        bool clear;
        float top, bottom;
    };
    const Case cases[] = {
        {1280, 800, false, -0.5f, 799.5f},    // 16:10 fills the window
        {1920, 1080, false, -0.5f, 1079.5f},  // wider: no bars
        {1024, 768, true, 63.5f, 703.5f},     // 4:3: bars of 64 rows, cleared first
        {1500, 1000, false, 30.75f, 968.25f}, // 1.5: bars, no clear
    };
    for (const Case& c : cases) {
        const deferred::PresentLayout layout = deferred::LayoutFor(c.w, c.h);
        EXPECT_EQ(layout.clearFirst, c.clear) << c.w << "x" << c.h;
        EXPECT_FLOAT_EQ(layout.top, c.top) << c.w << "x" << c.h;
        EXPECT_FLOAT_EQ(layout.bottom, c.bottom) << c.w << "x" << c.h;
    }
}

} // namespace
