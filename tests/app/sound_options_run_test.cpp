// A new player changes an option in the menu of the real game and finds it kept: the master
// volume is lowered with the arrow keys on the sound page, applied, and the game quit from
// the menu; the saved file holds the new volume, and the page shows it at the next start.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "app/scripted_player.h"
#include "content/parser_process.h"
#include "platform/input/keys.h"
#include "ui/shipped_ui_fixture.h"

namespace {

using game_process::GameProcess;
using game_process::InputScriptFile;
using game_process::ScriptedPlayer;

class SoundOptionsRun : public ui_fixture::ShippedUIFixture {};

TEST_F(SoundOptionsRun, TheMasterVolumeLoweredInTheMenuIsSavedAndShownAtTheNextStart) {
    const InputScriptFile keys(home.Path() + "/keys.txt");
    GameProcess game(GORVANE_BINARY_DIR, home.Path(), {keys.Variable()});
    ASSERT_TRUE(game.Started());
    ScriptedPlayer player(game, keys);

    ASSERT_TRUE(player.WaitForFocus()) << game.Output();
    ASSERT_EQ(player.Focus(), "PlayButton") << game.Output();
    ASSERT_TRUE(player.MoveFocus("Down", "OptionsButton")) << game.Output();
    ASSERT_TRUE(player.Activate("UIProcess::ShowScreen: Options\n")) << game.Output();
    ASSERT_TRUE(player.WaitForFocus()) << game.Output();
    ASSERT_TRUE(player.MoveFocus("Down", "SoundOptionsButton")) << game.Output();
    ASSERT_TRUE(player.Activate("UIProcess::ShowScreen: Sound Options\n")) << game.Output();
    ASSERT_TRUE(player.WaitForFocus()) << game.Output();
    ASSERT_EQ(player.Focus(), "MasterVolumeSlider") << game.Output();
    // Return takes the slider, a short hold of Left drags it down, Return lets it go. How far
    // it goes depends on the frame times, so only the direction is checked.
    ASSERT_TRUE(player.Activate("UIProcess::Activate: MasterVolumeSlider\n")) << game.Output();
    player.Send("0.1 down Left\n0.15 up Left\n0.2 tap Return\n");
    const std::string set = player.LineAfter("UIProcess::SliderSet: MasterVolumeSlider ");
    ASSERT_FALSE(set.empty()) << game.Output();
    const float lowered = std::strtof(set.c_str(), nullptr);
    EXPECT_LT(lowered, 1.0f) << game.Output();
    // The buttons sit in a row below the sliders.
    ASSERT_TRUE(player.MoveFocus("Down", "MusicVolumeSlider")) << game.Output();
    ASSERT_TRUE(player.Step("Down")) << game.Output();
    ASSERT_TRUE(player.MoveFocus("Left", "ApplyButton")) << game.Output();
    ASSERT_TRUE(player.Activate("UIProcess::ApplyPage: Sound Options\n")) << game.Output();
    ASSERT_TRUE(player.MoveFocus("Right", "CancelButton")) << game.Output();
    ASSERT_TRUE(player.Activate("UIProcess::ShowScreen: Options\n")) << game.Output();
    ASSERT_TRUE(player.WaitForFocus()) << game.Output();
    ASSERT_TRUE(player.MoveFocus("Up", "OptionsReturnButton")) << game.Output();
    ASSERT_TRUE(player.Activate("UIProcess::ShowScreen: Main\n")) << game.Output();
    ASSERT_TRUE(player.WaitForFocus()) << game.Output();
    ASSERT_TRUE(player.MoveFocus("Down", "QuitButton")) << game.Output();
    ASSERT_TRUE(player.Activate("UIProcess::ShowScreen: Main Quit\n")) << game.Output();
    ASSERT_TRUE(player.WaitForFocus()) << game.Output();
    ASSERT_TRUE(player.MoveFocus("Up", "ConfirmQuitButton")) << game.Output();
    player.Send("0.1 tap Return\n");
    const int status = game.Finish();
    game_process::ExpectACleanExit(status, game.Output());

    // The file the next start reads holds the volume the slider was left at.
    const SoundOptions* stored = ParserProcess::LoadSoundOptions(&parser, true);
    ASSERT_NE(stored, nullptr);
    EXPECT_NEAR(stored->m_master_volume, lowered, 1e-4f);

    // The next start: the same keys reach the page, whose read-out shows the stored volume.
    Start("Menu");
    for (int i = 0; i < 3; ++i) {
        Tap(input::key::Down);
    }
    ASSERT_EQ(FocusName(), "OptionsButton");
    Tap(input::key::Enter);
    Tap(input::key::Down);
    Tap(input::key::Down);
    ASSERT_EQ(FocusName(), "SoundOptionsButton");
    Tap(input::key::Enter);
    ASSERT_EQ(ui->CurrentScreen(), "Sound Options");
    EXPECT_EQ(Text("MasterVolumeOutputText"),
              std::to_string(static_cast<int>(stored->m_master_volume * 100.0f)) + "%");
    EXPECT_NE(Text("MasterVolumeOutputText"), "100%");
}

} // namespace
