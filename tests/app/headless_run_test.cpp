// The built game, started the way CI and a desktop-less machine run it: it must come up
// headless, show its first state and end cleanly when asked to by SIGTERM.

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/scoped_temp_home.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kTimeout = std::chrono::seconds(120);

class GameProcess {
  public:
    GameProcess(const std::string& workingDirectory, const std::string& home) {
        int pipeEnds[2];
        if (pipe2(pipeEnds, O_CLOEXEC) != 0) {
            return;
        }
        std::vector<std::string> variables;
        for (char** entry = environ; *entry != nullptr; ++entry) {
            const std::string variable = *entry;
            const std::string name = variable.substr(0, variable.find('='));
            if (name != "HOME" && name != "SDL_VIDEODRIVER" && name != "SDL_AUDIODRIVER" &&
                name != "XDG_CONFIG_HOME" && name != "DISPLAY" && name != "WAYLAND_DISPLAY") {
                variables.push_back(variable);
            }
        }
        variables.push_back("HOME=" + home);
        variables.push_back("SDL_VIDEODRIVER=offscreen");
        variables.push_back("SDL_AUDIODRIVER=dummy");
        std::vector<char*> envp;
        for (std::string& variable : variables) {
            envp.push_back(variable.data());
        }
        envp.push_back(nullptr);
        const std::string binary = workingDirectory + "/gorvane";
        char* argv[] = {const_cast<char*>(binary.c_str()), nullptr};

        m_pid = fork();
        if (m_pid == 0) {
            dup2(pipeEnds[1], STDOUT_FILENO);
            dup2(pipeEnds[1], STDERR_FILENO);
            if (chdir(workingDirectory.c_str()) == 0) {
                execve(binary.c_str(), argv, envp.data());
            }
            _exit(127);
        }
        close(pipeEnds[1]);
        m_output = pipeEnds[0];
    }

    ~GameProcess() {
        if (m_pid > 0 && !m_reaped) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, nullptr, 0);
        }
        if (m_output >= 0) {
            close(m_output);
        }
    }

    bool Started() const { return m_pid > 0 && m_output >= 0; }

    // Reads until the output holds text (true) or the game's output ends or time runs out.
    bool WaitFor(const std::string& text) {
        const Clock::time_point deadline = Clock::now() + kTimeout;
        while (m_text.find(text) == std::string::npos) {
            if (!ReadSome(deadline)) {
                return false;
            }
        }
        return true;
    }

    // Reads to the end of the output, then collects the exit status.
    int Finish() {
        const Clock::time_point deadline = Clock::now() + kTimeout;
        while (ReadSome(deadline)) {
        }
        int status = 0;
        if (Clock::now() >= deadline) {
            kill(m_pid, SIGKILL);
        }
        waitpid(m_pid, &status, 0);
        m_reaped = true;
        return status;
    }

    void Signal(int signal) const { kill(m_pid, signal); }
    const std::string& Output() const { return m_text; }

  private:
    bool ReadSome(Clock::time_point deadline) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) {
            return false;
        }
        pollfd ready{m_output, POLLIN, 0};
        if (poll(&ready, 1, static_cast<int>(left.count())) <= 0) {
            return false;
        }
        char buffer[4096];
        const ssize_t got = read(m_output, buffer, sizeof(buffer));
        if (got <= 0) {
            return false;
        }
        m_text.append(buffer, static_cast<std::size_t>(got));
        return true;
    }

    pid_t m_pid = -1;
    int m_output = -1;
    bool m_reaped = false;
    std::string m_text;
};

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
