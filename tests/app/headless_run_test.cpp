// The built game, started the way CI and a desktop-less machine run it: it must come up
// headless, show its first state and end cleanly when asked to by SIGTERM.

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

#include <string>

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

} // namespace
