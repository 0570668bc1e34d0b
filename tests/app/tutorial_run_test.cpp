// The built game played headless through the tutorial by keys alone: from the menu into the
// tutorial's practice ground, where play starts at once (no opening flight, no triggers, no
// objective script), then its lessons one after another: walking round the tower of blocks,
// punching it until a block breaks, grabbing and throwing what lies about, firing the laser;
// and out through the pause screen, the tutorial having no ending of its own. Each step waits
// for the log line of the one before.

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "app/picture_checks.h"
#include "app/robot_driver.h"
#include "support/scoped_temp_home.h"

namespace {

using game_process::GameProcess;
using game_process::InputScriptFile;
using game_process::RobotDriver;
using game_process::ScriptedPlayer;
using game_process::Spot;
using game_process::Where;

constexpr const char* kTutorial = "./assets/levels/tutorial_extended.lua";

// The robot starts at the origin facing south (-z); W walks it forward, S back, D to its
// right (-x), A to its left. The tower of blocks stands behind it, 30 units square around
// x = 0, z = 60: its north face at z = 75. The robot goes round it on the west, clear of the
// lamp post at (-25, 30) and the apartment at x = -70..-50, z = 69.5..90.5, to stand north
// of the tower facing it; walking forward from there the face stops it and its fists land.
// Going back it keeps between the two: the apartment, heavy, stops a robot that walks into it.
constexpr float kWestOf = -31.0f;
constexpr float kEastOfTheApartment = -44.0f;
constexpr float kNorthOf = 84.0f;
constexpr float kFacingX = 6.0f;

// The practice ground: the robot never leaves it. (Its own punches once flung it millions of
// units away through the blocks they sent flying into it.)
bool OnTheGround(const Spot& at) {
    return std::fabs(at.x) < 200.0f && std::fabs(at.z) < 200.0f && at.y < 50.0f;
}

const char* NextStep(const Spot& at) {
    if (at.z < kNorthOf) {
        // Back past the tower on its west side first.
        if (at.x > kWestOf) {
            return "D";
        }
        return at.x < kEastOfTheApartment ? "A" : "S";
    }
    if (at.x < -kFacingX) {
        return "A";
    }
    return at.x > kFacingX ? "D" : "";
}

TEST(TutorialRun, TheLessonsPlayByKeysAndThePauseScreenLeavesIt) {
    if (game_process::kUnderThreadSanitizer) {
        GTEST_SKIP() << "too slow under ThreadSanitizer";
    }
    const ScopedTempHome home;
    home.WriteFile(home.SaveFolder() + "keyboard_controls.xml", game_process::kWasdControls);
    const InputScriptFile keys(home.Path() + "/keys.txt");
    GameProcess game(GORVANE_BINARY_DIR, home.Path(),
                     {keys.Variable(), "GORVANE_TRACE_MESSAGES=MSG_BUILDING_DESTRUCTION"});
    ASSERT_TRUE(game.Started());
    ScriptedPlayer player(game, keys);

    // PLAY, then the play screen's third button.
    ASSERT_TRUE(player.StartLevel("TutorialButton")) << game.Output();
    ASSERT_TRUE(player.Reach(std::string(kTutorial) + "\n")) << game.Output();
    const std::size_t playFrom = player.Position();

    // No opening flight: the player has the robot at once, where the level placed it, and a
    // first step to its right moves it from there (a step lasts as long as its frame, and the
    // first frames of play are long ones under the sanitizers: it may carry the robot far).
    RobotDriver robot(player);
    ASSERT_TRUE(robot.Step("D")) << game.Output().substr(playFrom);
    EXPECT_LT(robot.At().x, 0.0f) << Where(robot.At());
    EXPECT_GT(robot.At().x, -40.0f) << Where(robot.At());
    EXPECT_NEAR(robot.At().z, 0.0f, 2.0f) << Where(robot.At());
    EXPECT_EQ(game.Output().find("PlayerProcess: camera sequence", playFrom), std::string::npos);
    // The level fades in from the film leader over its first frames: a picture is taken
    // again, a few times at most, until the fade has run its course.
    ScreenshotImage start;
    for (int i = 0; i < 4 && (i == 0 || start.DistinctColours() <= 64); ++i) {
        ASSERT_TRUE(player.Screenshot(start)) << game.Output().substr(playFrom);
    }
    game_process::ExpectALitTexturedScene(start, "the tutorial's start");
    picture_checks::ExpectSkyAbove(start, "the tutorial's start");
    picture_checks::ExpectTexturedGround(start, "the tutorial's start");

    // Walking: round the tower to its north face. A step moves the robot by as much as its
    // frame lasted, so on a slow machine it may overshoot and step back.
    const std::string broke = "MSG_BUILDING_DESTRUCTION to 16: {BuildingBlock, ";
    for (int i = 0; i < 300 && game.Output().find(broke, playFrom) == std::string::npos; ++i) {
        const Spot& at = robot.At();
        ASSERT_TRUE(OnTheGround(at)) << Where(at) << "\n" << game.Output().substr(playFrom);
        const char* const key = NextStep(at);
        // Punching: forward into the face until a block breaks.
        ASSERT_TRUE(*key != '\0' ? robot.Step(key) : robot.Step("W") && robot.Punch())
            << Where(at) << "\n"
            << game.Output().substr(playFrom);
    }
    ASSERT_NE(game.Output().find(broke, playFrom), std::string::npos)
        << Where(robot.At()) << "\n"
        << game.Output().substr(playFrom);

    // Grabbing and throwing: once the punches still queued are over (a step after them says
    // the keys before it have been read), the grab key takes hold of what lies within reach,
    // and a second tap throws it. An arm still punching takes no grab.
    ASSERT_TRUE(robot.Step("S")) << game.Output().substr(playFrom);
    keys.Send("2 tap Mouse Left\n");
    ASSERT_TRUE(player.Reach("PlayerComponent: grabs ")) << game.Output().substr(playFrom);
    keys.Send("1 tap Mouse Left\n");
    ASSERT_TRUE(player.Reach("PlayerComponent: throws ")) << game.Output().substr(playFrom);

    // The laser.
    keys.Send("1 tap E\n");
    ASSERT_TRUE(player.Reach("PlayerComponent: fires a ")) << game.Output().substr(playFrom);
    // After all that the robot still stands by the tower.
    ASSERT_TRUE(robot.Step("S")) << game.Output().substr(playFrom);
    EXPECT_TRUE(OnTheGround(robot.At())) << Where(robot.At());
    ScreenshotImage later;
    ASSERT_TRUE(player.Screenshot(later)) << game.Output().substr(playFrom);
    game_process::ExpectALitTexturedScene(later, "the tutorial after the tower");
    picture_checks::ExpectTexturedGround(later, "the tutorial after the tower");

    // The robot never loses health here, and nothing ends the tutorial by itself: Escape
    // opens the pause screen on RESUME; MAIN MENU is the next button down.
    EXPECT_EQ(game.Output().find("PlayerComponent: the robot falls at ", playFrom),
              std::string::npos);
    keys.Send("1 tap Escape\n10 tap Down\n5 tap Return\n");
    ASSERT_TRUE(player.Reach("Game::PushState: Menu\n")) << game.Output().substr(playFrom);
    game_process::ExpectACleanExit(game_process::QuitFromTheMenu(game, keys), game.Output());
}

} // namespace
