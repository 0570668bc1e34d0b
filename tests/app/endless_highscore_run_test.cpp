// The built game played headless through an endless session to its end: the robot is left
// standing where the level's tanks and helicopters come for it until they shoot it down, the
// game ends and asks for a name, the player types one, and the score lands in the high-score
// file under the run's HOME and in the table the options screen shows. Every step waits for
// the log line of the one before, never for a time.

#include <gtest/gtest.h>

#include <string>

#include "app/screen_checks.h"
#include "app/scripted_player.h"
#include "support/scoped_temp_home.h"

namespace {

using game_process::GameProcess;
using game_process::InputScriptFile;
using game_process::ScriptedPlayer;

// A short table of two, so that any score of the session earns a row: one far above what a
// robot standing still scores, one at nothing.
constexpr const char* kStartingTable = "<Highscores>"
                                       "<Score name=\"TOP\" value=\"90000000\"/>"
                                       "<Score name=\"LOW\" value=\"0\"/>"
                                       "</Highscores>";

// Where the table's CANCEL button stands, as fractions of the width and of the screens' band.
constexpr float kCancelX = 0.75f;
constexpr float kCancelY = 0.9f;

// The white letters of the table's first rows across the top of the band, where the scene
// behind is sky or wall and has next to no white.
float RowLetters(const ScreenshotImage& image) {
    return screen_checks::WhiteShare(image, 0.3f, 0.0f, 0.8f, 0.16f);
}

// A screen of the high-score table over the scene: the scene lit and textured behind it, and
// the table's rows. The texts are laid out a frame or two after the screen is logged and the
// exposure eases to the screen's, so a picture is taken again, a few times at most, until the
// rows show.
void ExpectATableScreen(ScriptedPlayer& player, const std::string& what, ScreenshotImage& image) {
    for (int i = 0; i < 4 && (i == 0 || RowLetters(image) <= 0.03f); ++i) {
        ASSERT_TRUE(player.Screenshot(image)) << what;
    }
    game_process::ExpectALitTexturedScene(image, what);
    EXPECT_GT(RowLetters(image), 0.03f) << what << ": no rows of text";
}

// The session lasts until the units have worn the robot down, over a minute and a half of
// play under AddressSanitizer; under ThreadSanitizer that is too long for the waits.
TEST(EndlessHighscoreRun, TheRobotFallsAndTheNameEnteredIsSavedAndShownInTheTable) {
    if (game_process::kUnderThreadSanitizer) {
        GTEST_SKIP() << "too slow under ThreadSanitizer";
    }
    const ScopedTempHome home;
    const std::string table = home.SaveFolder() + "highscores.xml";
    home.WriteFile(table, kStartingTable);
    const InputScriptFile keys(home.Path() + "/keys.txt");
    GameProcess game(GORVANE_BINARY_DIR, home.Path(), {keys.Variable()});
    ASSERT_TRUE(game.Started());
    ScriptedPlayer player(game, keys);

    // PLAY, then the play screen's second button, the endless mode.
    ASSERT_TRUE(player.StartLevel("PlayEndlessButton")) << game.Output();
    const std::size_t playFrom = player.Position();

    // Left standing, the robot is shot down by the units that come for it; the game ends with
    // its score and asks for a name.
    ASSERT_TRUE(player.Reach("PlayerComponent: the robot falls at "))
        << game.Output().substr(playFrom);
    const std::string score = player.LineAfter("UIProcess::EndOfPlay: ");
    ASSERT_FALSE(score.empty()) << game.Output().substr(playFrom);
    ASSERT_TRUE(player.Reach("UIProcess::ShowScreen: Highscore\n"))
        << game.Output().substr(playFrom);
    ScreenshotImage entry;
    ASSERT_NO_FATAL_FAILURE(ExpectATableScreen(player, "the name entry", entry));

    // The name field has the keyboard: three letters complete the name, and the game goes
    // back to the menu.
    keys.Send("0.5 tap Z\n0.5 tap Q\n0.5 tap 7\n");
    ASSERT_TRUE(player.Reach("UIProcess::HighscoreName: ZQ7\n")) << game.Output().substr(playFrom);
    ASSERT_TRUE(player.Reach("Game::PushState: Menu\n")) << game.Output().substr(playFrom);

    // Saved: the file holds the name with the session's score, below TOP. (The score line
    // and the file write the same amount in different forms, so the name is looked up.)
    const std::string saved = home.ReadFile(table);
    const std::size_t top = saved.find("\"TOP\"");
    const std::size_t ours = saved.find("\"ZQ7\"");
    EXPECT_NE(ours, std::string::npos) << saved;
    EXPECT_LT(top, ours) << saved;

    // Shown: OPTIONS, then HIGH SCORES; the table lists the name with the score the game
    // ended with.
    ASSERT_TRUE(player.WaitForFocus()) << game.Output().substr(playFrom);
    ASSERT_TRUE(player.MoveFocus("Down", "OptionsButton")) << game.Output().substr(playFrom);
    ASSERT_TRUE(player.Activate("UIProcess::ShowScreen: Options\n"))
        << game.Output().substr(playFrom);
    ASSERT_TRUE(player.WaitForFocus()) << game.Output().substr(playFrom);
    ASSERT_TRUE(player.MoveFocus("Down", "HighscoreButton")) << game.Output().substr(playFrom);
    ASSERT_TRUE(player.Activate("UIProcess::ShowScreen: Highscore Display\n"))
        << game.Output().substr(playFrom);
    const std::string rows = player.LineAfter("UIProcess::ShowHighscores: ");
    EXPECT_NE(rows.find("TOP "), std::string::npos) << rows;
    EXPECT_NE(rows.find(" ZQ7 " + score + ";"), std::string::npos) << rows << "\n" << score;
    EXPECT_LT(rows.find("TOP "), rows.find(" ZQ7 ")) << rows;
    ScreenshotImage shown;
    ASSERT_NO_FATAL_FAILURE(ExpectATableScreen(player, "the high-score table", shown));

    // The table takes no keys; its one button, CANCEL, is clicked with the mouse and leads
    // back to the options, RETURN to the main screen, and then the game is quit.
    const screen_checks::Band band(shown);
    keys.Send("0.2 cursor " + std::to_string(static_cast<int>(kCancelX * shown.Width())) + " " +
              std::to_string(static_cast<int>(band.Y(kCancelY) * shown.Height())) + "\n");
    ASSERT_TRUE(player.WaitForFocus()) << game.Output().substr(playFrom);
    EXPECT_EQ(player.Focus(), "CancelButton");
    keys.Send("0.2 tap Mouse Left\n");
    ASSERT_TRUE(player.Reach("UIProcess::ShowScreen: Options\n")) << game.Output().substr(playFrom);
    ASSERT_TRUE(player.WaitForFocus()) << game.Output().substr(playFrom);
    ASSERT_TRUE(player.MoveFocus("Down", "OptionsReturnButton")) << game.Output().substr(playFrom);
    ASSERT_TRUE(player.Activate("UIProcess::ShowScreen: Main\n")) << game.Output().substr(playFrom);
    ASSERT_TRUE(player.WaitForFocus()) << game.Output().substr(playFrom);
    ASSERT_TRUE(player.MoveFocus("Down", "QuitButton")) << game.Output().substr(playFrom);
    ASSERT_TRUE(player.Activate("UIProcess::ShowScreen: Main Quit\n"))
        << game.Output().substr(playFrom);
    ASSERT_TRUE(player.WaitForFocus()) << game.Output().substr(playFrom);
    ASSERT_TRUE(player.MoveFocus("Up", "ConfirmQuitButton")) << game.Output().substr(playFrom);
    keys.Send("0.2 tap Return\n");
    game_process::ExpectACleanExit(game.Finish(), game.Output());
}

} // namespace
