// The built game played headless into the endless level with the messages of a building's
// fall traced: walking into the small kiosk ahead brings it down, its fall is reported to the game
// logic, which turns it into experience for the robot, which shows it as money. Leaving by the
// pause screen ends the run cleanly.

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include "app/game_run.h"
#include "support/scoped_temp_home.h"

namespace {

using game_process::GameProcess;
using game_process::InputScriptFile;

constexpr const char* kEndless = "./assets/levels/endless_mode.lua";

// The payload of the first traced line that starts with head at or after *at; *at moves past
// it. Empty when there is none.
std::string TracedPayload(GameProcess& game, const std::string& head, std::size_t* at) {
    if (!game.WaitFor(head, *at, at) || !game.WaitFor("\n", *at, nullptr)) {
        return "";
    }
    const std::string& output = game.Output();
    const std::size_t start = *at + head.size();
    const std::size_t end = output.find('\n', start);
    *at = end;
    return output.substr(start, end - start);
}

TEST(TracedPlay, AKioskTheRobotWalksIntoFallsAndTheRobotIsPaidForIt) {
    const ScopedTempHome home;
    home.WriteFile(home.SaveFolder() + "keyboard_controls.xml", game_process::kWasdControls);
    const InputScriptFile keys(home.Path() + "/keys.txt");
    GameProcess game(GORVANE_BINARY_DIR, home.Path(),
                     {keys.Variable(),
                      "GORVANE_TRACE_MESSAGES=MSG_BUILDING_DESTRUCTION,MSG_PLAYER_XP,"
                      "MSG_BUILDING_COUNT"});
    ASSERT_TRUE(game.Started());

    std::size_t at = 0;
    ASSERT_TRUE(game.WaitFor("Game::PushState: Menu\n", 0, &at)) << game.Output();
    // PLAY, then ENDLESS, the second button of the play screen.
    keys.Send("5 tap Return\n3 tap Down\n2 tap Return\n");
    ASSERT_TRUE(game.WaitFor(std::string("LevelState::StartPlay: ") + kEndless + "\n", at, &at))
        << game.Output();
    // Up to the kiosk and on into it until it falls; on a slow machine the walk takes longer.
    const std::string fallen = "MSG_BUILDING_DESTRUCTION to 16: {BuildingKiosk, false}\n";
    keys.Send("0.5 down W\n");
    const bool down = game.WaitFor(fallen, at, &at, 2 * GameProcess::kTimeout);
    keys.Send("0 up W\n");
    // Loose blocks may fall first; the kiosk stands anchored, so it is no loose one.
    ASSERT_TRUE(down) << game.Output();
    const std::string xp = TracedPayload(game, "MSG_PLAYER_XP to 11: ", &at);
    EXPECT_GT(std::atof(xp.c_str()), 0.0) << game.Output();
    const std::string money = TracedPayload(game, "MSG_BUILDING_COUNT to 10: ", &at);
    EXPECT_EQ(money.rfind("$", 0), 0u) << game.Output();

    // Escape opens the pause screen on RESUME; MAIN MENU is the next button down.
    keys.Send("1 tap Escape\n10 tap Down\n5 tap Return\n");
    ASSERT_TRUE(game.WaitFor("Game::PushState: Menu\n", at, &at)) << game.Output();
    const int status = game_process::QuitFromTheMenu(game, keys);
    game_process::ExpectACleanExit(status, game.Output());
}

} // namespace
