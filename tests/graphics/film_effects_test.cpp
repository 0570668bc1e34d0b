#include <gtest/gtest.h>

#include <iterator>
#include <vector>

#include "graphics/film_effects.h"
#include "graphics/render_settings.h"
#include "graphics/sprite_component.h"
#include "platform/system/crt_rand.h"

namespace {

class FilmEffectsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        g_render_settings = RenderSettings{};
        FilmDust::ResetClock();
        FilmBurn::ResetShared();
        crt::SeedRand(1);
    }
    void TearDown() override { g_render_settings = RenderSettings{}; }
};

float Alpha(const SpriteComponent* sprite) {
    return static_cast<float>(sprite->color >> 24) / 255.0f;
}

u32 VisibleCount(const std::list<SpriteComponent*>& sprites) {
    u32 n = 0;
    for (const SpriteComponent* sprite : sprites) {
        n += sprite->visible ? 1u : 0u;
    }
    return n;
}

TEST_F(FilmEffectsTest, DustChangesTwentyFourTimesASecond) {
    FilmDust dust(nullptr, nullptr);
    for (const SpriteComponent* sprite : dust.Sprites()) {
        EXPECT_FALSE(sprite->visible);
    }
    std::vector<u32> ticks;
    for (int i = 0; i < 5; ++i) {
        dust.Update(1.0f / 60.0f);
        ticks.push_back(dust.Ticks());
    }
    // 1/60 s a frame: the dust changes on 2 of every 5 frames.
    EXPECT_EQ(ticks, (std::vector<u32>{0, 0, 1, 1, 2}));

    FilmDust::ResetClock();
    FilmDust fast(nullptr, nullptr);
    fast.Update(0.1f);
    EXPECT_EQ(fast.Ticks(), 2u);
}

TEST_F(FilmEffectsTest, ARerolledSpeckIsACellOfTheAtlasOnTheScreen) {
    FilmDust dust(nullptr, nullptr);
    for (int i = 0; i < 48; ++i) {
        dust.Update(1.0f / 24.0f);
    }
    u32 shown = 0;
    for (const SpriteComponent* sprite : dust.Sprites()) {
        if (!sprite->visible) {
            continue;
        }
        ++shown;
        EXPECT_EQ(sprite->sourceRect.left % FilmDust::kCell, 0);
        EXPECT_EQ(sprite->sourceRect.right - sprite->sourceRect.left, FilmDust::kCell);
        EXPECT_LE(sprite->sourceRect.bottom, 2 * FilmDust::kCell);
        EXPECT_GE(sprite->scaling[0], 0.5f);
        EXPECT_LE(sprite->scaling[0], 2.9f);
        EXPECT_GE(Alpha(sprite), 0.19f);
        EXPECT_LE(Alpha(sprite), 0.7f);
    }
    EXPECT_GT(shown, 0u);
}

TEST_F(FilmEffectsTest, AnInactiveBurnKeepsItsSpritesHiddenAndItsTimerAtZero) {
    FilmBurn burn(nullptr, nullptr);
    for (int i = 0; i < 10; ++i) {
        burn.Update(0.1f);
    }
    EXPECT_EQ(VisibleCount(burn.Sprites()), 0u);
    EXPECT_EQ(FilmBurn::StepTimer(), 0.0f);
}

TEST_F(FilmEffectsTest, TheFirstStepsStartDarkSpotsFromTheEndOfTheList) {
    FilmBurn burn(nullptr, nullptr);
    burn.Start();
    burn.Update(0.05f); // the step timer fills
    EXPECT_EQ(VisibleCount(burn.Sprites()), 0u);
    burn.Update(0.01f); // first step
    const std::vector<SpriteComponent*> list(burn.Sprites().begin(), burn.Sprites().end());
    EXPECT_EQ(VisibleCount(burn.Sprites()), 1u);
    const SpriteComponent* first = list[38]; // second to last
    EXPECT_TRUE(first->visible);
    EXPECT_EQ(first->color, 0x00000000u); // black, alpha 0
    EXPECT_EQ(first->sourceRect, (SpriteRect{0, 0, 128, 128}));
    EXPECT_FLOAT_EQ(first->scalingCenter[0], 64.0f);

    // Steps run whenever the timer is past a tick; the next raises the spot's alpha by 0.9 s
    // and starts the fourth to last.
    for (int i = 0; i < 20 && !list[36]->visible; ++i) {
        burn.Update(0.05f);
    }
    EXPECT_TRUE(list[36]->visible);
    EXPECT_GT(Alpha(first), 0.0f);
    EXPECT_FALSE(list[39]->visible); // its bright spot waits for it to be opaque
}

TEST_F(FilmEffectsTest, AnOpaqueDarkSpotShowsItsBrightSpotOverIt) {
    FilmBurn burn(nullptr, nullptr);
    burn.Start();
    const std::vector<SpriteComponent*> list(burn.Sprites().begin(), burn.Sprites().end());
    SpriteComponent* dark = list[38];
    SpriteComponent* bright = list[39];
    for (int i = 0; i < 200 && !bright->visible && burn.IsActive(); ++i) {
        burn.Update(0.05f);
    }
    ASSERT_TRUE(bright->visible);
    EXPECT_GE(Alpha(dark), 0.99f);
    EXPECT_FLOAT_EQ(bright->translation[0], dark->translation[0]);
    EXPECT_FLOAT_EQ(bright->translation[1], dark->translation[1]);
    EXPECT_EQ(bright->color & 0xFFFFFFu, 0x808080u); // grey 0.5 (128 after rounding)
    EXPECT_EQ(bright->color >> 24, 0u);
}

TEST_F(FilmEffectsTest, SevenSecondsLaterEverySpotIsGoneAndTheExposureIsBack) {
    g_render_settings.exposure = 3.0f;
    FilmBurn burn(nullptr, nullptr);
    burn.Start();
    float highest = 0.0f;
    while (burn.IsActive()) {
        burn.Update(0.05f);
        highest = std::max(highest, g_render_settings.exposure);
    }
    EXPECT_GT(highest, 3.0f);
    EXPECT_FLOAT_EQ(g_render_settings.exposure, 3.0f);
    EXPECT_EQ(VisibleCount(burn.Sprites()), 0u);

    // A restart while burning keeps the exposure the running burn has raised.
    burn.Start();
    for (int i = 0; i < 30; ++i) {
        burn.Update(0.05f);
    }
    const float raised = g_render_settings.exposure;
    EXPECT_GT(raised, 3.0f);
    burn.Start();
    EXPECT_FLOAT_EQ(FilmBurn::SavedExposure(), raised);
    while (burn.IsActive()) {
        burn.Update(0.05f);
    }
    EXPECT_FLOAT_EQ(g_render_settings.exposure, raised);
}

} // namespace
