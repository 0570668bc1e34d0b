// The feature film played through by keys: from the menu into the story level, objective by
// objective to the boss UFO and the mothership, the ending's "Win" camera and the credits,
// back to the menu and out. Each step waits for the game's own log lines, never for a time.
//
// Cheats (GORVANE_CHEATS): a scripted player cannot fight the story's battles in any
// reasonable time, so the run turns the robot invulnerable (F10) and skips each objective
// (F9). The script's steps, the bosses, the cameras, the ending and the credits all run as in
// play. Each boss is framed while its camera watches it come, and the frame must show its hull
// in the sky.

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "app/picture_checks.h"
#include "app/scripted_player.h"
#include "support/scoped_temp_home.h"

namespace {

using game_process::ExpectALitTexturedScene;
using game_process::GameProcess;
using game_process::InputScriptFile;
using game_process::ScriptedPlayer;

constexpr const char* kStory = "./assets/levels/ubergold.lua";

// The steps of the objective script in the order they are entered (3 and 8 never are).
struct Step {
    int number;
    const char* what;
};
constexpr Step kSteps[] = {
    {1, "the high-class buildings"},
    {2, "the tanks"},
    {4, "the gas stations"},
    {5, "the headquarters"},
    {6, "the ambush"},
    {7, "the power objects"},
    {9, "the boss UFO"},
    {10, "the mothership"},
};

std::string StepLine(const Step& step) {
    return "GameLogicProcess: objective step " + std::to_string(step.number) + " (" + step.what +
           ")\n";
}

// Skips the objective at hand with F9 until the script enters step; an objective that falls
// by itself meanwhile needs no skip. False when the step never comes.
bool SkipTo(GameProcess& game, ScriptedPlayer& player, const Step& step) {
    const std::string line = StepLine(step);
    const std::size_t from = player.Position();
    for (int press = 0; press < 3; ++press) {
        if (game.Output().find(line, player.Position()) != std::string::npos) {
            return player.Reach(line);
        }
        player.Send("0.2 tap F9\n");
        if (!player.Reach("GameLogicProcess: objective ") || !player.Reach(" skipped at step ")) {
            return false;
        }
        // The script takes the skip on its next frame; on a loaded machine that can be many
        // seconds away. The skips count objectives, not steps: when the objective at hand
        // falls by itself while the key is on its way, the skip goes to the one already done
        // and the step is entered before the skip's line.
        std::size_t at = 0;
        if (game.WaitFor(line, from, &at, std::chrono::seconds(90))) {
            return at < player.Position() || player.Reach(line);
        }
    }
    return false;
}

// Takes frames while a boss's camera sequence runs until one shows the boss's hull, or until a
// frame taken after the sequence's end line; where the camera stands at a frame depends on how
// fast the build runs, how long the boss stays in view does not. False when a frame could not
// be read.
bool FrameTheBoss(GameProcess& game, const ScriptedPlayer& player, const std::string& end,
                  ScreenshotImage& frame) {
    std::size_t at = player.Position();
    for (int i = 0; i < 100; ++i) {
        const bool ended = game.Output().find(end, player.Position()) != std::string::npos;
        player.Send("0.25 tap PrintScreen\n");
        if (!game_process::TakeScreenshot(game, &at, frame)) {
            return false;
        }
        if (ended || picture_checks::ShowsABossHull(frame)) {
            return true;
        }
    }
    return true;
}

TEST(StoryPlaythrough, EveryObjectiveBothBossesTheEndingTheCreditsAndBackToTheMenu) {
    if (game_process::kUnderThreadSanitizer) {
        GTEST_SKIP() << "too slow under ThreadSanitizer";
    }
    const ScopedTempHome home;
    home.WriteFile(home.SaveFolder() + "keyboard_controls.xml", game_process::kWasdControls);
    const InputScriptFile keys(home.Path() + "/keys.txt");
    GameProcess game(GORVANE_BINARY_DIR, home.Path(),
                     {keys.Variable(), "GORVANE_CHEATS=1",
                      "GORVANE_TRACE_MESSAGES=MSG_DISABLE_DEALTH,MSG_CAMERA_BOSS_ARRIVE,"
                      "MSG_CAMERA_BOSS_DIE,MSG_CAMERA_PLAYER_WIN,MSG_GRAPHICS_PLAY_CREDITS"});
    ASSERT_TRUE(game.Started());
    ScriptedPlayer player(game, keys);

    // PLAY, then the play screen's first button, the feature film.
    ASSERT_TRUE(player.StartLevel()) << game.Output();
    ASSERT_TRUE(player.Reach(std::string(kStory) + "\n")) << game.Output();
    const std::size_t playFrom = player.Position();
    const auto played = [&game, playFrom] { return game.Output().substr(playFrom); };

    // The opening flight ends behind the robot, in the sunny street.
    ASSERT_TRUE(player.Reach("PlayerProcess: camera sequence Intro ends\n")) << played();
    ASSERT_TRUE(player.Reach("PlayerComponent: the player steers the robot")) << played();
    ScreenshotImage start;
    ASSERT_TRUE(player.Screenshot(start)) << played();
    ExpectALitTexturedScene(start, "the level's start");
    picture_checks::ExpectSkyAbove(start, "the level's start");

    // Cheat: the robot cannot die.
    player.Send("0.2 tap F10\n");
    ASSERT_TRUE(player.Reach("MSG_DISABLE_DEALTH to 11")) << played();

    for (const Step& step : kSteps) {
        SCOPED_TRACE(step.what);
        if (step.number == 10) {
            // The boss UFO comes down over the needle while the camera looks on.
            ASSERT_TRUE(player.Reach("GameLogicProcess: the boss UFO arrives")) << played();
            // The camera looks up at it from the street as the needle bursts below it: its
            // saucer hangs in the sky.
            const std::string end = "PlayerProcess: camera sequence UFO ends\n";
            ScreenshotImage boss;
            ASSERT_TRUE(FrameTheBoss(game, player, end, boss)) << played();
            ExpectALitTexturedScene(boss, "the boss UFO");
            picture_checks::ExpectABossHull(boss, "the boss UFO");
            ASSERT_TRUE(player.Reach(end)) << played();
        }
        const std::size_t before = player.Position();
        ASSERT_TRUE(SkipTo(game, player, step)) << played();
        if (step.number == 9) {
            // The power-down calls the boss and turns the camera to where it will come.
            EXPECT_NE(game.Output().find("PlayerProcess: camera sequence UFO starts\n", before),
                      std::string::npos)
                << played();
        }
    }

    // The UFO falls: the camera watches the mothership come.
    ASSERT_TRUE(player.Reach("PlayerProcess: camera sequence Mothership starts\n")) << played();
    ASSERT_TRUE(player.Reach("GameLogicProcess: the mothership arrives")) << played();
    // It flies in high from the north over the camera, which looks up from the street, and on
    // to the south: its underside fills the upper frame. (Back with the robot, the camera sees
    // it only far off, faded into the fog.)
    const std::string end = "PlayerProcess: camera sequence Mothership ends\n";
    ScreenshotImage mothership;
    ASSERT_TRUE(FrameTheBoss(game, player, end, mothership)) << played();
    ExpectALitTexturedScene(mothership, "the mothership");
    picture_checks::ExpectABossHull(mothership, "the mothership");
    ASSERT_TRUE(player.Reach(end)) << played();
    // Then it stops over the city and attacks.
    ASSERT_TRUE(player.Reach("Mothership over the city at ")) << played();

    // The core falls: the ending, the "Win" camera, then the credits.
    player.Send("0.2 tap F9\n");
    ASSERT_TRUE(player.Reach("GameLogicProcess: the story is won")) << played();
    ASSERT_TRUE(player.Reach("MSG_CAMERA_PLAYER_WIN to 11")) << played();
    ASSERT_TRUE(player.Reach("PlayerProcess: camera sequence Win starts\n")) << played();
    ASSERT_TRUE(player.Reach("Game::PushState: Credits\n")) << played();
    ASSERT_TRUE(player.Reach("MSG_GRAPHICS_PLAY_CREDITS to 1")) << played();
    // The names roll up from the bottom: some seconds of the film in they fill the lower
    // frame. The film runs on the game's clock, slower than the wall's on a loaded machine, so
    // the frame is taken again, a few times at most, until the names are up.
    ScreenshotImage credits;
    std::size_t at = player.Position();
    for (int i = 0; i < 8 && (i == 0 || !picture_checks::CreditsFaults(credits).empty()); ++i) {
        player.Send("4 tap PrintScreen\n");
        ASSERT_TRUE(game_process::TakeScreenshot(game, &at, credits)) << played();
    }
    picture_checks::ExpectCredits(credits);

    // When the credits have run, the menu comes back.
    ASSERT_TRUE(player.Reach("Game::PushState: Menu\n")) << played();
    const int status = game_process::QuitFromTheMenu(game, keys);
    game_process::ExpectACleanExit(status, game.Output());
}

} // namespace
