// The mothership test level played headless: the run asks for it in place of the story
// (GORVANE_LEVEL) and stores graphics options with motion blur off, so that the turrets
// hanging under the base are drawn as still, separate shapes. The medium UFOs the hatches
// release must live past their entry and fire at the robot, and the frame taken as the gun
// fires must be a lit, textured scene.

#include <gtest/gtest.h>

#include <string>

#include "app/game_run.h"
#include "support/scoped_temp_home.h"

namespace {

using game_process::GameProcess;
using game_process::InputScriptFile;
using game_process::TakeScreenshot;

constexpr const char* kMothershipLevel = "./assets/levels/mothership_test.lua";

// The options screen's file with "Motion Blur" unticked.
constexpr const char* kGraphicsWithoutMotionBlur =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n"
    "<GraphicsOptions>\n"
    "    <OptionInt name=\"Resolution\" value=\"1\" />\n"
    "    <OptionInt name=\"Shadow Map Size\" value=\"1\" />\n"
    "    <OptionInt name=\"Shadow Map Count\" value=\"1\" />\n"
    "    <OptionBool name=\"Shadows\" value=\"true\" />\n"
    "    <OptionBool name=\"Motion Blur\" value=\"false\" />\n"
    "    <OptionBool name=\"Depth of Field\" value=\"true\" />\n"
    "    <OptionBool name=\"3D\" value=\"false\" />\n"
    "    <OptionBool name=\"Fullscreen\" value=\"true\" />\n"
    "</GraphicsOptions>\n";

TEST(MothershipRun, ReleasedSaucersLiveAndFireAndTheAttackIsDrawnWithoutMotionBlur) {
    const ScopedTempHome home;
    home.WriteFile(home.SaveFolder() + "graphics_options.xml", kGraphicsWithoutMotionBlur);
    const InputScriptFile keys(home.Path() + "/keys.txt");
    GameProcess game(GORVANE_BINARY_DIR, home.Path(),
                     {keys.Variable(), std::string("GORVANE_LEVEL=") + kMothershipLevel,
                      "GORVANE_TRACE_MESSAGES=MSG_LEVEL_CREATE_OBJECT,"
                      "MSG_GRAPHICS_SET_MOTION_BLUR_SETTING"});
    ASSERT_TRUE(game.Started());

    std::size_t at = 0;
    // The stored options reach the renderer before anything is drawn.
    ASSERT_TRUE(game.WaitFor("MSG_GRAPHICS_SET_MOTION_BLUR_SETTING to ", 0, &at)) << game.Output();
    ASSERT_TRUE(game.WaitFor("\n", at, nullptr)) << game.Output();
    const std::string blur = game.Output().substr(at, game.Output().find('\n', at) - at);
    EXPECT_EQ(blur.substr(blur.find(": ") + 2), "false") << blur;
    ASSERT_TRUE(game.WaitFor("Game::PushState: Menu\n", 0, &at)) << game.Output();
    // PLAY, then the feature film button, which plays the asked level.
    keys.Send("10 tap Return\n10 tap Return\n");
    ASSERT_TRUE(
        game.WaitFor(std::string("LevelState::StartPlay: ") + kMothershipLevel + "\n", at, &at))
        << game.Output();

    // The boss's entry takes a while of game time, which a slow build stretches: these waits
    // allow a few of the usual spans.
    const auto waitLong = [&game](const std::string& text, std::size_t from, std::size_t* found) {
        for (int span = 0; span < 4; ++span) {
            if (game.WaitFor(text, from, found)) {
                return true;
            }
        }
        return false;
    };
    // A hatch releases a medium UFO; one of them, its entry over, fires its small pulses.
    std::size_t released = at;
    ASSERT_TRUE(waitLong(": AI-Fly-MediumUFO\n", at, &released)) << game.Output();
    EXPECT_TRUE(waitLong(": LaserPulseSmall\n", released, nullptr)) << game.Output();

    // The gun fires: the base is over the street, turned towards the robot.
    ASSERT_TRUE(waitLong("Mothership gun fires with power", at, &at)) << game.Output();
    ScreenshotImage attack;
    keys.Send("0 tap PrintScreen\n");
    ASSERT_TRUE(TakeScreenshot(game, &at, attack)) << game.Output();
    game_process::ExpectALitTexturedScene(attack, "the mothership");

    // Escape opens the pause screen on RESUME; MAIN MENU is the next button down.
    keys.Send("1 tap Escape\n10 tap Down\n5 tap Return\n");
    ASSERT_TRUE(game.WaitFor("Game::PushState: Menu\n", at, &at)) << game.Output();
    const int status = game_process::QuitFromTheMenu(game, keys);
    game_process::ExpectACleanExit(status, game.Output());
}

} // namespace
