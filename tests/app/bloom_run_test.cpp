// The bloom seen in the running game: the stores' neon signs glow in the feature film's opening
// view, and with the bloom on a halo of their light spreads over the wall around them, while
// the parts of the picture far from any sign keep their look. The run uses the cheat keys
// (GORVANE_CHEATS): F11 stills the units, so that nothing walks through the view between the
// shots, and H, the renderer's bloom key, toggles the bloom in play.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "app/picture_checks.h"
#include "app/scripted_player.h"
#include "support/scoped_temp_home.h"

namespace {

using game_process::GameProcess;
using game_process::InputScriptFile;
using game_process::ScriptedPlayer;

// A neon sign's pixel: magenta, far redder and bluer than green. Nothing else in the city is
// (the sky is blue, the robot's plates red, the walls grey and their windows yellow or blue).
bool IsNeon(const Rgb& p) {
    return p.r > 200.0f && p.b > 150.0f && p.r - p.g > 80.0f && p.b - p.g > 40.0f;
}

Rgb PixelAt(const ScreenshotImage& image, int x, int y) {
    return image.At((static_cast<float>(x) + 0.5f) / static_cast<float>(image.Width()),
                    (static_cast<float>(y) + 0.5f) / static_cast<float>(image.Height()));
}

// Each pixel's distance in pixels (the larger of the two axes') to the nearest neon pixel:
// a forward and a backward pass over the rows.
std::vector<int> DistanceToNeon(const ScreenshotImage& image) {
    const int w = image.Width();
    const int h = image.Height();
    constexpr int kFar = 1 << 20;
    std::vector<int> d(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), kFar);
    const auto at = [&](int x, int y) -> int& {
        return d[static_cast<std::size_t>(y) * static_cast<std::size_t>(w) +
                 static_cast<std::size_t>(x)];
    };
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            if (IsNeon(PixelAt(image, x, y))) {
                at(x, y) = 0;
            }
        }
    }
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            for (const auto& [dx, dy] : {std::pair{-1, 0}, {-1, -1}, {0, -1}, {1, -1}}) {
                const int nx = x + dx;
                const int ny = y + dy;
                if (nx >= 0 && nx < w && ny >= 0) {
                    at(x, y) = std::min(at(x, y), at(nx, ny) + 1);
                }
            }
        }
    }
    for (int y = h - 1; y >= 0; --y) {
        for (int x = w - 1; x >= 0; --x) {
            for (const auto& [dx, dy] : {std::pair{1, 0}, {1, 1}, {0, 1}, {-1, 1}}) {
                const int nx = x + dx;
                const int ny = y + dy;
                if (nx >= 0 && nx < w && ny < h) {
                    at(x, y) = std::min(at(x, y), at(nx, ny) + 1);
                }
            }
        }
    }
    return d;
}

// The film gate's jitter now and then drops a whole frame by a few rows: the rows by which
// the signs stand lower in `to` than in `from`.
int JitterRows(const ScreenshotImage& from, const ScreenshotImage& to) {
    const auto signRow = [](const ScreenshotImage& image) {
        double sum = 0.0;
        int count = 0;
        for (int y = 0; y < image.Height(); ++y) {
            for (int x = 0; x < image.Width(); ++x) {
                if (IsNeon(PixelAt(image, x, y))) {
                    sum += y;
                    ++count;
                }
            }
        }
        return count > 0 ? sum / count : 0.0;
    };
    return static_cast<int>(std::lround(signRow(to) - signRow(from)));
}

// How much brighter `to` is than `from` in the signs' own light, red and blue: the mean of
// the two channels' change over the scene's pixels whose distance to a sign in `from` lies in
// [near, far); `to` is read where its jitter put them.
struct Change {
    float light = 0.0f;
    int pixels = 0;
};

float SignLight(const Rgb& p) {
    return (p.r + p.b) * 0.5f;
}

Change LightChange(const ScreenshotImage& from, const ScreenshotImage& to,
                   const std::vector<int>& distance, int near, int far) {
    const int w = from.Width();
    const int h = from.Height();
    const int shift = JitterRows(from, to);
    // The letterbox's edge moves with the jitter: rows near it are left out.
    const picture_checks::Band rows = picture_checks::SceneRows(from);
    constexpr int kMargin = 12;
    const int top = static_cast<int>(rows.top * static_cast<float>(h)) + kMargin;
    const int bottom = static_cast<int>(rows.bottom * static_cast<float>(h)) - kMargin;
    double sum = 0.0;
    Change change;
    for (int y = std::max(top, -shift); y < std::min(bottom, h - shift); ++y) {
        for (int x = 0; x < w; ++x) {
            const int d = distance[static_cast<std::size_t>(y) * static_cast<std::size_t>(w) +
                                   static_cast<std::size_t>(x)];
            if (d >= near && d < far) {
                sum += SignLight(PixelAt(to, x, y + shift)) - SignLight(PixelAt(from, x, y));
                ++change.pixels;
            }
        }
    }
    change.light = change.pixels > 0 ? static_cast<float>(sum / change.pixels) : 0.0f;
    return change;
}

// A few pixels off the signs: their halo. Far from them: the rest of the picture.
constexpr int kHaloFrom = 3;
constexpr int kHaloTo = 10;
constexpr int kFarFrom = 80;
constexpr int kEverywhere = 1 << 20;

TEST(BloomRun, TheNeonSignsHaveAHaloThatComesAndGoesWithTheBloom) {
    if (game_process::kUnderThreadSanitizer) {
        GTEST_SKIP() << "too slow under ThreadSanitizer";
    }
    const ScopedTempHome home;
    const InputScriptFile keys(home.Path() + "/keys.txt");
    GameProcess game(
        GORVANE_BINARY_DIR, home.Path(),
        {keys.Variable(), "GORVANE_CHEATS=1", "GORVANE_TRACE_MESSAGES=MSG_DISABLE_AI"});
    ASSERT_TRUE(game.Started());
    ScriptedPlayer player(game, keys);

    // The feature film; once its opening flight has ended the camera stands still behind the
    // robot, looking down the street, a store with its sign at the right.
    ASSERT_TRUE(player.StartLevel()) << game.Output();
    ASSERT_TRUE(player.Reach("PlayerComponent: the player steers the robot")) << game.Output();
    player.Send("0.1 tap F11\n");
    ASSERT_TRUE(player.Reach("MSG_DISABLE_AI to ")) << game.Output();

    // Bloom on (as the game starts), off, and on again.
    ScreenshotImage on;
    ASSERT_TRUE(player.Screenshot(on)) << game.Output();
    player.Send("0.1 tap H\n");
    ASSERT_TRUE(player.Reach("PostProcessChain: bloom off\n")) << game.Output();
    ScreenshotImage off;
    ASSERT_TRUE(player.Screenshot(off)) << game.Output();
    player.Send("0.1 tap H\n");
    ASSERT_TRUE(player.Reach("PostProcessChain: bloom on\n")) << game.Output();
    ScreenshotImage again;
    ASSERT_TRUE(player.Screenshot(again)) << game.Output();

    game_process::ExpectALitTexturedScene(on, "bloom on");
    game_process::ExpectALitTexturedScene(off, "bloom off");

    // The signs are found where the picture without the bloom shows them sharp.
    const std::vector<int> distance = DistanceToNeon(off);
    const int neon = static_cast<int>(std::count(distance.begin(), distance.end(), 0));
    const Change halo = LightChange(off, on, distance, kHaloFrom, kHaloTo);
    const Change far = LightChange(off, on, distance, kFarFrom, kEverywhere);
    const Change haloAgain = LightChange(off, again, distance, kHaloFrom, kHaloTo);
    const std::string figures =
        "neon pixels " + std::to_string(neon) + "; halo (" + std::to_string(halo.pixels) +
        " pixels) brighter by " + std::to_string(halo.light) + " with the bloom; far (" +
        std::to_string(far.pixels) + " pixels) by " + std::to_string(far.light) +
        "; halo with the bloom on again " + std::to_string(haloAgain.light);
    std::printf("%s\n", figures.c_str());
    RecordProperty("figures", figures);

    EXPECT_GE(neon, 200) << figures;
    ASSERT_GE(halo.pixels, 500) << figures;
    ASSERT_GE(far.pixels, 100000) << figures;
    // Measured: the halo about 15 brighter, the far parts within 1 (of 255).
    EXPECT_GT(halo.light, 9.0f) << figures;
    EXPECT_LT(std::abs(far.light), 4.0f) << figures;
    EXPECT_GT(halo.light, std::abs(far.light) + 7.0f) << figures;
    // With the bloom on again the halo is back: it is the bloom's, not a change of the view.
    EXPECT_LT(std::abs(haloAgain.light - halo.light), 5.0f) << figures;

    keys.Send("1 tap Escape\n10 tap Down\n5 tap Return\n");
    ASSERT_TRUE(player.Reach("Game::PushState: Menu\n")) << game.Output();
    const int status = game_process::QuitFromTheMenu(game, keys);
    game_process::ExpectACleanExit(status, game.Output());
}

} // namespace
