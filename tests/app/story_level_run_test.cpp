// The built game played headless into the feature film's level: the opening flight runs out,
// only then do the level's triggers wake, and the player walks the robot down the street to the
// first district's apartments and punches one down. The robot is steered by where it says it
// halts after each step and stands at each punch, never by how long a key is held, so a slow
// build walks the same way.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "app/robot_driver.h"
#include "support/scoped_temp_home.h"

namespace {

using game_process::GameProcess;
using game_process::InputScriptFile;
using game_process::RobotDriver;
using game_process::ScriptedPlayer;
using game_process::Spot;
using game_process::Where;

constexpr const char* kStory = "./assets/levels/ubergold.lua";
// The western apartment of the first district stands at x = -120, z = 740, 20 by 21 units:
// its north face at z = 750.5, its east face at x = -110. The robot (about 4.7 units in
// radius, facing south, its start) punches it from the north: walking south from anywhere in
// kPunchFrom's x span the face stops it at z = 755, and one of its fists (they alternate, the
// right one west of its middle, the left one east) lands on the face. Against the east face
// (x = -114.7) its fists would pass the building, so that x is left out.
struct Area {
    float x0, x1, z0, z1;
};
constexpr Area kPunchFrom = {-130.0f, -116.0f, 745.0f, 760.0f};
// Where the robot crosses from the street westwards: north of the apartment and south of the
// lamp post at (-100, 800).
constexpr float kCrossFrom = 764.0f;
constexpr float kCrossTo = 792.0f;

// The movement key that brings the robot nearer to kPunchFrom, or "" when it is there.
const char* NextStep(const Spot& at) {
    if (at.x < kPunchFrom.x0 || at.x > kPunchFrom.x1) {
        if (at.z > kCrossTo) {
            return "W";
        }
        if (at.z < kCrossFrom) {
            return "S";
        }
        return at.x > kPunchFrom.x1 ? "D" : "A";
    }
    if (at.z > kPunchFrom.z1) {
        return "W";
    }
    return at.z < kPunchFrom.z0 ? "S" : "";
}

// Into the feature film's level: the triggers wake once, when the opening flight ends, and
// the player takes the robot over. With punchDown the robot is then walked to the first
// apartments and punches until one falls.
void PlayTheStoryLevel(bool punchDown) {
    const ScopedTempHome home;
    home.WriteFile(home.SaveFolder() + "keyboard_controls.xml", game_process::kWasdControls);
    const InputScriptFile keys(home.Path() + "/keys.txt");
    GameProcess game(
        GORVANE_BINARY_DIR, home.Path(),
        {keys.Variable(), "GORVANE_CHEATS=1",
         "GORVANE_TRACE_MESSAGES=MSG_TRIGGERS_ACTIVATE,MSG_BUILDING_DESTRUCTION,MSG_DISABLE_AI"});
    ASSERT_TRUE(game.Started());
    ScriptedPlayer player(game, keys);

    // PLAY, then the play screen's first button, the feature film.
    ASSERT_TRUE(player.StartLevel()) << game.Output();
    ASSERT_TRUE(player.Reach(std::string(kStory) + "\n")) << game.Output();
    const std::size_t playFrom = player.Position();

    // The opening flight ends, and with it the triggers wake: once, at its end.
    ASSERT_TRUE(player.Reach("PlayerProcess: camera sequence Intro ends\n"))
        << game.Output().substr(playFrom);
    const std::string woke = player.LineAfter("PlayerProcess: triggers activated ");
    EXPECT_GT(std::strtod(woke.c_str(), nullptr), 15.5) << woke;
    ASSERT_TRUE(player.Reach("MSG_TRIGGERS_ACTIVATE to ")) << game.Output().substr(playFrom);
    RobotDriver robot(player);
    ASSERT_TRUE(robot.TakeOver()) << game.Output().substr(playFrom);

    if (punchDown) {
        // Cheat: the units stop thinking (F11), so that no car or citizen comes between the
        // fists and the wall while the robot walks and punches.
        player.Send("0.2 tap F11\n");
        ASSERT_TRUE(player.Reach("MSG_DISABLE_AI to 12")) << game.Output().substr(playFrom);
        // Steps bring the robot south down the street to the band north of the apartment,
        // west across it and then south until the face stops it; then it punches until one
        // apartment falls. A step moves the robot by as much as its frame lasted, so on a slow
        // machine it may overshoot: it then steps back.
        const std::string fell = "MSG_BUILDING_DESTRUCTION to 16: {BuildingApartmentObjective, ";
        for (int i = 0; i < 300 && game.Output().find(fell, playFrom) == std::string::npos; ++i) {
            const Spot& at = robot.At();
            const char* const key = NextStep(at);
            ASSERT_TRUE(*key != '\0' ? robot.Step(key) : robot.Punch())
                << Where(at) << "\n"
                << game.Output().substr(playFrom);
        }
        ASSERT_NE(game.Output().find(fell, playFrom), std::string::npos)
            << Where(robot.At()) << "\n"
            << game.Output().substr(playFrom);
        // The apartment comes down in front of the robot: the frame is still a drawn scene.
        ScreenshotImage collapsing;
        ASSERT_TRUE(player.Screenshot(collapsing)) << game.Output().substr(playFrom);
        game_process::ExpectALitTexturedScene(collapsing, "a collapsing apartment");
    }
    // No trigger wakes a second time.
    const std::string& output = game.Output();
    const std::size_t first = output.find("MSG_TRIGGERS_ACTIVATE to ", playFrom);
    EXPECT_EQ(output.find("MSG_TRIGGERS_ACTIVATE to ", first + 1), std::string::npos);

    // Escape opens the pause screen on RESUME; MAIN MENU is the next button down.
    keys.Send("1 tap Escape\n10 tap Down\n5 tap Return\n");
    ASSERT_TRUE(player.Reach("Game::PushState: Menu\n")) << game.Output().substr(playFrom);
    const int status = game_process::QuitFromTheMenu(game, keys);
    game_process::ExpectACleanExit(status, game.Output());
}

TEST(StoryLevelRun, TriggersWakeOnceWhenTheOpeningFlightEnds) {
    PlayTheStoryLevel(false);
}

// The apartment has 300 health: it takes dozens of punches, and it stands where it stood
// through all of them (the fists driven into its wall do not shove it aside). Under
// ThreadSanitizer the game runs too slowly for that within the waits.
TEST(StoryLevelRun, PunchesFellTheFirstApartments) {
    if (game_process::kUnderThreadSanitizer) {
        GTEST_SKIP() << "too slow under ThreadSanitizer";
    }
    PlayTheStoryLevel(true);
}

} // namespace
