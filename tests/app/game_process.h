#pragma once
// The built game binary started as a child process the way CI and a desktop-less machine
// run it: headless drivers, a given HOME, its game folder as working directory, and its
// standard output and error collected through one pipe.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

extern char** environ;

namespace game_process {

// Whether this build runs under ThreadSanitizer, which slows the game several times over.
#if defined(__SANITIZE_THREAD__)
inline constexpr bool kUnderThreadSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
inline constexpr bool kUnderThreadSanitizer = true;
#else
inline constexpr bool kUnderThreadSanitizer = false;
#endif
#else
inline constexpr bool kUnderThreadSanitizer = false;
#endif

class GameProcess {
  public:
    using Clock = std::chrono::steady_clock;
    // ThreadSanitizer runs the game several times slower than the other builds.
    static constexpr auto kTimeout = std::chrono::seconds(kUnderThreadSanitizer ? 300 : 120);

    // extraEnvironment holds "NAME=value" entries added to the game's environment.
    GameProcess(const std::string& workingDirectory, const std::string& home,
                const std::vector<std::string>& extraEnvironment = {}) {
        int pipeEnds[2];
        if (pipe2(pipeEnds, O_CLOEXEC) != 0) {
            return;
        }
        std::vector<std::string> variables;
        const auto givenExtra = [&](const std::string& name) {
            for (const std::string& extra : extraEnvironment) {
                if (extra.rfind(name + "=", 0) == 0) {
                    return true;
                }
            }
            return false;
        };
        for (char** entry = environ; *entry != nullptr; ++entry) {
            const std::string variable = *entry;
            const std::string name = variable.substr(0, variable.find('='));
            // An extra entry replaces an inherited variable of the same name.
            if (name != "HOME" && name != "SDL_VIDEODRIVER" && name != "SDL_AUDIODRIVER" &&
                name != "XDG_CONFIG_HOME" && name != "DISPLAY" && name != "WAYLAND_DISPLAY" &&
                !givenExtra(name)) {
                variables.push_back(variable);
            }
        }
        variables.push_back("HOME=" + home);
        // An extra entry replaces a default of the same name (the first one found counts).
        for (const char* fixed : {"SDL_VIDEODRIVER=offscreen", "SDL_AUDIODRIVER=dummy"}) {
            const std::string variable = fixed;
            const std::string name = variable.substr(0, variable.find('=') + 1);
            bool replaced = false;
            for (const std::string& extra : extraEnvironment) {
                replaced = replaced || extra.rfind(name, 0) == 0;
            }
            if (!replaced) {
                variables.push_back(variable);
            }
        }
        variables.insert(variables.end(), extraEnvironment.begin(), extraEnvironment.end());
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

    GameProcess(const GameProcess&) = delete;
    GameProcess& operator=(const GameProcess&) = delete;

    bool Started() const { return m_pid > 0 && m_output >= 0; }

    // Reads until the output holds text at or after from (true) or the game's output ends or
    // time (kTimeout unless given) runs out. at receives where the text starts.
    bool WaitFor(const std::string& text, std::size_t from = 0, std::size_t* at = nullptr,
                 Clock::duration timeout = kTimeout) {
        const Clock::time_point deadline = Clock::now() + timeout;
        std::size_t found = std::string::npos;
        while ((found = m_text.find(text, from)) == std::string::npos) {
            if (!ReadSome(deadline)) {
                return false;
            }
        }
        if (at != nullptr) {
            *at = found;
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

// Reads a game's output forward: each wait starts where the last one ended.
class OutputCursor {
  public:
    explicit OutputCursor(GameProcess& game) : m_game(game) {}

    // Waits for text after the last text waited for; the next wait starts after it.
    bool Reach(const std::string& text,
               GameProcess::Clock::duration timeout = GameProcess::kTimeout) {
        std::size_t found = 0;
        if (!m_game.WaitFor(text, m_at, &found, timeout)) {
            return false;
        }
        m_at = found + text.size();
        return true;
    }

    // The rest of the line that starts with prefix; empty when none comes.
    std::string LineAfter(const std::string& prefix) {
        if (!Reach(prefix) || !m_game.WaitFor("\n", m_at, nullptr)) {
            return {};
        }
        const std::string& output = m_game.Output();
        return output.substr(m_at, output.find('\n', m_at) - m_at);
    }

    std::size_t Position() const { return m_at; }

  protected:
    GameProcess& m_game;
    std::size_t m_at = 0;
};

} // namespace game_process
