#include <gtest/gtest.h>

#include <string>

#include "graphics/render_state_cache.h"
#include "graphics/screen_fonts.h"
#include "support/gl_fixture.h"

namespace {

const std::string kArt = std::string(GORVANE_ASSETS_DIR) + "/packages/art.kzp";

TEST(ScreenFonts, TheRectangleSitsOnTheLetterboxInFullscreen) {
    struct Case {
        bool windowed;
        int width, height;
        int top, bottom;
    };
    for (const Case& c : {Case{true, 1920, 1080, 0, 650}, Case{false, 1920, 1080, -60, 590},
                          Case{false, 1280, 1024, 112, 762}, Case{false, 1280, 800, 0, 650}}) {
        const gfx::TextRect rect = ScreenFonts::Rectangle(c.windowed, c.width, c.height);
        EXPECT_EQ(rect.left, 5);
        EXPECT_EQ(rect.right, 1015);
        EXPECT_EQ(rect.top, c.top) << c.width << "x" << c.height;
        EXPECT_EQ(rect.bottom, c.bottom);
    }
}

TEST(ScreenFonts, BothFontsLoadAndTextIsCutAtTheRectangle) {
    ScreenFonts status;
    ASSERT_TRUE(status.Load(kArt));
    const gfx::Font& large = *status.Large();
    const auto quads = large.Layout("Buildings: 12", {0, 0, 1000, 100});
    EXPECT_EQ(quads.size(), 12u); // the space draws nothing
    EXPECT_GT(quads.back().x1, quads.front().x0 + 100.0f);
    for (const auto& q : quads) {
        EXPECT_GE(q.y0, 0.0f);
        EXPECT_LE(q.y1, 40.0f);
    }
    // A narrow rectangle keeps only what fits, with the atlas coordinates cut along.
    const auto cut = large.Layout("WWWW", {0, 0, 30, 100});
    ASSERT_FALSE(cut.empty());
    EXPECT_LE(cut.back().x1, 30.0f);
    EXPECT_LT(cut.size(), 4u);
    // Lines go down one font height each.
    const auto lines = status.Small()->Layout("A\nA", {0, 0, 100, 100});
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_FLOAT_EQ(lines[1].y0 - lines[0].y0, 12.0f);
    EXPECT_FALSE(gfx::Font::Create({1, 2, 3}, 12.0f));
}

class ScreenFontsGlTest : public gl_fixture::DeviceTest {};

TEST_F(ScreenFontsGlTest, TheTextIsDrawnWhiteAndTheStatesArePutBack) {
    RenderStateCache::Restart();
    ScreenFonts status;
    ASSERT_TRUE(status.Load(kArt));
    m_device->Clear(gfx::kClearTarget, 0xFF000000u, 1.0f, 0);
    status.Draw(*m_device, "", true);
    EXPECT_EQ(BackBufferPixel(10, 20), (gl_fixture::Rgba{0, 0, 0, 255}));
    status.Draw(*m_device, "MMMMMMMM", true);
    int white = 0;
    for (int x = 0; x < kWidth; ++x) {
        for (int row = 0; row < kHeight; ++row) {
            const gl_fixture::Rgba p = BackBufferPixel(x, row);
            white += p.r > 200 && p.g > 200 && p.b > 200;
            EXPECT_EQ(p.r, p.b); // white or black, nothing tinted
        }
    }
    EXPECT_GT(white, 50);
    EXPECT_EQ(RenderStateCache::Get(*m_device, gfx::kRsAlphaBlendEnable), 0u);
}

} // namespace
