// The built game, started the way CI and a desktop-less machine run it: it must come up
// headless, show its first state and end cleanly when asked to by SIGTERM.

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "app/game_process.h"
#include "support/scoped_temp_home.h"

namespace {

using game_process::GameProcess;

TEST(HeadlessRun, ShowsTheFirstStateAndQuitsCleanlyOnSigterm) {
    const ScopedTempHome home;
    GameProcess game(GORVANE_BINARY_DIR, home.Path());
    ASSERT_TRUE(game.Started());

    ASSERT_TRUE(game.WaitFor("Game::PushState: Vantrel\n")) << game.Output();
    game.Signal(SIGTERM);
    const int status = game.Finish();
    const std::string& output = game.Output();

    EXPECT_TRUE(WIFEXITED(status)) << "status " << status << "\n" << output;
    EXPECT_EQ(WEXITSTATUS(status), 0) << output;
    const std::size_t pushed = output.find("Game::PushState: Vantrel\n");
    const std::size_t popped = output.find("Game::PopState: Vantrel\n");
    EXPECT_NE(popped, std::string::npos) << output;
    EXPECT_GT(popped, pushed) << output;
    EXPECT_EQ(output.find("Sanitizer"), std::string::npos) << output;
}

// With SDL's disk audio driver the mix is written to a file: once the menu is up, what is
// written holds the menu's music, not silence.
TEST(HeadlessRun, TheMenuMusicReachesTheMix) {
    const ScopedTempHome home;
    const std::string mix = home.Path() + "/mix.raw";
    GameProcess game(GORVANE_BINARY_DIR, home.Path(),
                     {"SDL_AUDIODRIVER=disk", "SDL_DISKAUDIOFILE=" + mix});
    ASSERT_TRUE(game.Started());
    ASSERT_TRUE(game.WaitFor("Game::PushState: Menu\n")) << game.Output();
    std::error_code error;
    const auto before = std::filesystem::file_size(mix, error);
    ASSERT_FALSE(error) << game.Output();
    std::this_thread::sleep_for(std::chrono::seconds(2));
    game.Signal(SIGTERM);
    game.Finish();

    std::ifstream in(mix, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), before) << game.Output();
    std::size_t loud = 0;
    for (std::size_t i = before; i < bytes.size(); ++i) {
        loud += bytes[i] != 0 ? 1 : 0;
    }
    EXPECT_GT(loud, (bytes.size() - before) / 10) << game.Output();
}

} // namespace
