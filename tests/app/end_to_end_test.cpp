// The built game played headless from start to finish: the logo screens run by themselves
// to the menu, keys from an input script walk the menu's screens into the feature film,
// wait out its loading, leave it for the menu through the pause screen and quit there. Every state
// must be shown and left exactly once, in order, and the game must end cleanly.

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "app/game_run.h"
#include "app/picture_checks.h"
#include "app/screen_checks.h"
#include "app/shadow_probe.h"
#include "core/globals.h"
#include "support/scoped_temp_home.h"

namespace {

using game_process::ExpectALitTexturedScene;
using game_process::GameProcess;
using game_process::InputScriptFile;
using game_process::TakeScreenshot;

// The "Game::PushState: " and "Game::PopState: " lines, in order, as "push X" and "pop X".
std::vector<std::string> StateLines(const std::string& output) {
    static const std::regex line("Game::(Push|Pop)State: ([^\n]*)\n");
    std::vector<std::string> lines;
    for (auto it = std::sregex_iterator(output.begin(), output.end(), line);
         it != std::sregex_iterator(); ++it) {
        lines.push_back(((*it)[1] == "Push" ? "push " : "pop ") + (*it)[2].str());
    }
    return lines;
}

TEST(EndToEnd, LogoScreensToMenuIntoALevelBackToTheMenuAndQuit) {
    const ScopedTempHome home;
    const InputScriptFile keys(home.Path() + "/keys.txt");
    GameProcess game(GORVANE_BINARY_DIR, home.Path(), {keys.Variable()});
    ASSERT_TRUE(game.Started());
    const std::string level = DEFAULT_LEVEL_PATH;

    std::size_t at = 0;
    ASSERT_TRUE(game.WaitFor("Game::PushState: Menu\n", 0, &at)) << game.Output();
    ScreenshotImage menu;
    keys.Send("10 tap PrintScreen\n");
    ASSERT_TRUE(TakeScreenshot(game, &at, menu)) << game.Output();
    ExpectALitTexturedScene(menu, "the menu");
    picture_checks::ExpectMenuPicture(menu);
    screen_checks::ExpectAButtonColumnWithTheFocusHighlighted(menu, {1, 2, 3, 4, 5, 6}, 2, "menu");
    // PLAY shows the play screen, whose first button starts the feature film. The screens
    // take a frame to appear, so the keys wait a few.
    keys.Send("10 tap Return\n10 tap Return\n");
    ASSERT_TRUE(game.WaitFor("Game::PushState: " + level + "\n", at, &at)) << game.Output();
    ASSERT_TRUE(game.WaitFor("GameState::HandleMessage: Loading complete\n", at, &at))
        << game.Output();
    ASSERT_TRUE(game.WaitFor("LevelState::StartPlay: " + level + "\n", at, &at)) << game.Output();
    ScreenshotImage street;
    keys.Send("10 tap PrintScreen\n");
    ASSERT_TRUE(TakeScreenshot(game, &at, street)) << game.Output();
    ExpectALitTexturedScene(street, "the level");
    shadow_probe::ExpectAShadowOnTheGround(street, "the level");
    // Once the opening camera flight has ended the camera stands behind the robot.
    ASSERT_TRUE(game.WaitFor("PlayerProcess: camera sequence Intro ends\n")) << game.Output();
    ScreenshotImage settled;
    keys.Send("1 tap PrintScreen\n");
    ASSERT_TRUE(TakeScreenshot(game, &at, settled)) << game.Output();
    picture_checks::ExpectLevelPicture(settled);
    picture_checks::ExpectSmokeAboveTheStack(settled, "the level");
    // Escape opens the pause screen on RESUME; MAIN MENU is the next button down.
    keys.Send("0 tap Escape\n");
    ASSERT_TRUE(game.WaitFor("UIProcess::Focus: ReturnToGameButton\n", at, &at)) << game.Output();
    ScreenshotImage pause;
    keys.Send("1 tap PrintScreen\n");
    ASSERT_TRUE(TakeScreenshot(game, &at, pause)) << game.Output();
    screen_checks::ExpectAButtonColumnWithTheFocusHighlighted(pause, {0, 1, 2, 3, 4, 5, 6}, 0,
                                                              "pause screen");
    keys.Send("10 tap Down\n5 tap Return\n");
    ASSERT_TRUE(game.WaitFor("Game::PushState: Menu\n", at, &at)) << game.Output();
    const int status = game_process::QuitFromTheMenu(game, keys);
    const std::string& output = game.Output();
    game_process::ExpectACleanExit(status, output);
    const std::vector<std::string> expected = {
        "push Vantrel",        "pop Vantrel",        "push Team Logo", "pop Team Logo",
        "push Physx Logo",     "pop Physx Logo",     "push Logo",      "pop Logo",
        "push Loading Screen", "pop Loading Screen", "push Menu",      "pop Menu",
        "push " + level,       "pop " + level,       "push Menu",      "pop Menu"};
    EXPECT_EQ(StateLines(output), expected) << output;
    // The level's physics runs in software and its scene gives back all it took.
    EXPECT_NE(output.find("Using PhysX software simulation\n"), std::string::npos) << output;
}

} // namespace
