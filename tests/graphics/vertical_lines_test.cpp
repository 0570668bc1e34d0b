#include <gtest/gtest.h>

#include "graphics/sprite_component.h"
#include "graphics/vertical_lines.h"
#include "platform/system/crt_rand.h"

namespace {

TEST(VerticalLinesTest, AFrameOfATenthOfASecondRunsTwoTicks) {
    crt::SeedRand(3);
    VerticalLines lines(nullptr, nullptr, 600);
    lines.Update(0.1f, 800);
    EXPECT_EQ(lines.Ticks(), 2u);
    lines.Update(0.02f, 800); // 0.0167 + 0.02 < 1/24
    EXPECT_EQ(lines.Ticks(), 2u);
    lines.Update(0.01f, 800);
    EXPECT_EQ(lines.Ticks(), 3u);
}

TEST(VerticalLinesTest, LinesShowDriftAndStayTransparentWithANegativeOpacity) {
    crt::SeedRand(11);
    VerticalLines lines(nullptr, nullptr, 600);
    bool sawDrift = false;
    bool sawNegative = false;
    for (int tick = 0; tick < 400; ++tick) {
        float before[VerticalLines::kLineCount];
        bool wasVisible[VerticalLines::kLineCount];
        for (u32 i = 0; i < VerticalLines::kLineCount; ++i) {
            before[i] = lines.LineAt(i).x;
            wasVisible[i] = lines.SpriteAt(i).visible;
        }
        lines.Update(1.0f / 24.0f, 800);
        for (u32 i = 0; i < VerticalLines::kLineCount; ++i) {
            const VerticalLines::Line& line = lines.LineAt(i);
            const SpriteComponent& sprite = lines.SpriteAt(i);
            if (wasVisible[i] && sprite.visible) {
                // A visible line drifts by its step, even past the edges.
                const float expected = before[i] + (line.direction == 0 ? line.step : -line.step);
                EXPECT_FLOAT_EQ(line.x, expected);
                sawDrift = true;
            }
            if (sprite.visible && line.opacity < 0.0f) {
                EXPECT_EQ(sprite.color >> 24, 0u);
                sawNegative = true;
            }
            EXPECT_GE(line.step, sprite.visible || line.step > 0.0f ? 1.0f : 0.0f);
        }
    }
    EXPECT_TRUE(sawDrift);
    EXPECT_TRUE(sawNegative);
    // Each line is as high as the screen and centred on its x.
    EXPECT_FLOAT_EQ(lines.SpriteAt(0).scaling[1], 600.0f);
    EXPECT_FLOAT_EQ(lines.SpriteAt(0).scaling[0], 1.5f);
}

} // namespace
