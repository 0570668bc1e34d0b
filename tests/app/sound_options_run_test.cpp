// A new player changes the master volume in the real game: the built binary is run headless
// with a temporary HOME and keys from an input script, walks the menu to the sound page,
// lowers the master volume with the arrow keys, applies it, goes back and quits. The saved
// options hold the lowered volume, and the sound page shows it when the menu comes back.

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <fstream>
#include <regex>
#include <sstream>
#include <string>

#include "app/game_process.h"
#include "content/parser_process.h"
#include "support/scoped_temp_home.h"
#include "ui/ui_fixture.h"

namespace {

using game_process::GameProcess;

class SoundOptionsRun : public ui_fixture::UIFixture {
  protected:
    void SetUp() override { options = &parser; }

    // Appends lines to the game's input script.
    void Keys(const std::string& lines) const {
        std::ofstream(home.Path() + "/keys.txt", std::ios::app) << lines;
    }

    std::string SavedSoundOptions() const {
        std::ifstream in(home.SaveFolder() + "sound_options.xml");
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    const ScopedTempHome home;
    ParserProcess parser;
};

TEST_F(SoundOptionsRun, TheLoweredMasterVolumeIsSavedAndShownAfterARestart) {
    std::ofstream(home.Path() + "/keys.txt", std::ios::trunc);
    {
        GameProcess game(GORVANE_BINARY_DIR, home.Path(),
                         {"GORVANE_INPUT_SCRIPT=" + home.Path() + "/keys.txt"});
        ASSERT_TRUE(game.Started());
        std::size_t at = 0;
        ASSERT_TRUE(game.WaitFor("Game::PushState: Menu\n", 0, &at)) << game.Output();
        // OPTIONS is the third button below PLAY; SOUND the second below GRAPHICS.
        Keys("3 tap Down\n0.5 tap Down\n0.5 tap Down\n0.5 tap Return\n"
             "1 tap Down\n0.5 tap Down\n0.5 tap Return\n");
        // The page opens on the master volume: Enter takes the slider, a held Left lowers
        // it, Enter lets it go.
        Keys("1 tap Return\n0.5 down Left\n0.6 up Left\n0.5 tap Return\n");
        // APPLY, then CANCEL back to the options, RETURN to the menu, QUIT and REALLY QUIT.
        Keys("0.5 tap Up\n0.5 tap Left\n0.5 tap Left\n0.5 tap Return\n"
             "0.5 tap Right\n0.5 tap Right\n0.5 tap Return\n"
             "1 tap Up\n0.5 tap Return\n"
             "1 tap Down\n0.5 tap Down\n0.5 tap Down\n0.5 tap Down\n0.5 tap Return\n"
             "1 tap Up\n0.5 tap Return\n");
        const int status = game.Finish();
        ASSERT_TRUE(WIFEXITED(status)) << game.Output();
        EXPECT_EQ(WEXITSTATUS(status), 0) << game.Output();
        EXPECT_EQ(game.Output().find("input script"), std::string::npos) << game.Output();
    }

    const std::string saved = SavedSoundOptions();
    const std::regex master("[Mm]aster[^0-9]*([0-9.]+)");
    std::smatch found;
    ASSERT_TRUE(std::regex_search(saved, found, master)) << saved;
    const float volume = std::stof(found[1].str());
    EXPECT_LT(volume, 1.0f) << saved;
    EXPECT_GT(volume, 0.0f) << saved;

    // The next start: the menu's sound page reads the saved file.
    Start("Menu");
    ui->ShowScreen("Options");
    Frame();
    const window::Point button = CentreOf("SoundOptionsButton");
    ClickAt(button.x, button.y);
    ASSERT_EQ(ui->CurrentScreen(), "Sound Options");
    auto* readOut = dynamic_cast<TextUIComponent*>(
        ui->FindComponentByObjectName("MasterVolumeOutputText"));
    ASSERT_NE(readOut, nullptr);
    EXPECT_EQ(readOut->m_text, std::to_string(static_cast<int>(std::lround(volume * 100.0f))) +
                                   "%");
}

} // namespace
