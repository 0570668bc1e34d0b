// The frame-rate report of the whole game: the built game is run headless (offscreen driver,
// llvmpipe) at 1280x800 with every pass on, walked by scripted keys from the menu into each
// level; its own "Health: " lines give the frames per second, the frame's work by subsystem
// and the peak memory, and the time from the key that starts the level to "Loading complete"
// its load time. Printed as a table; `make bench` runs it after the other benchmarks.
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "../tests/app/game_process.h"
#include "content/option_files.h"
#include "content/options.h"

namespace {

namespace fs = std::filesystem;
using game_process::GameProcess;
using Clock = std::chrono::steady_clock;

struct Level {
    const char* name;
    const char* path;
    // Taps of Down on the play screen before Return.
    int downs;
    // Health lines of play to average, after one that is skipped as warm-up.
    int samples;
};

struct Result {
    double loadSeconds = -1.0;
    std::map<std::string, double> means;
    double peakKb = 0.0;
    int samples = 0;
    std::string fault;
};

// The "name=value" fields of a health line.
std::map<std::string, double> Fields(const std::string& line) {
    std::map<std::string, double> fields;
    std::istringstream words(line);
    std::string word;
    while (words >> word) {
        const std::size_t equals = word.find('=');
        if (equals != std::string::npos) {
            fields[word.substr(0, equals)] = std::strtod(word.c_str() + equals + 1, nullptr);
        }
    }
    return fields;
}

// The game's output read forward, and its keys file.
class Run : public game_process::OutputCursor {
  public:
    Run(GameProcess& game, std::string keys) : OutputCursor(game), m_keys(std::move(keys)) {}
    std::string Line(const std::string& prefix) { return LineAfter(prefix); }
    void Send(const std::string& lines) const { std::ofstream(m_keys, std::ios::app) << lines; }

  private:
    std::string m_keys;
};

Result Measure(const std::string& gameFolder, const Level& level) {
    Result result;
    char pattern[] = "/tmp/gorvane_report_XXXXXX";
    const char* made = mkdtemp(pattern);
    if (made == nullptr) {
        result.fault = "no temporary folder";
        return result;
    }
    const fs::path home = made;
    const fs::path save = home / "Documents/My Games/Vantrel/Gorvane";
    fs::create_directories(save);
    GraphicsOptions options = GraphicsOptions::Defaults();
    options.m_resolution = 2; // 1280x800
    options.m_shadows = true;
    options.m_motion_blur = true;
    options.m_depth_of_field = true;
    options.m_fullscreen = false;
    WriteGraphicsOptions((save / "graphics_options.xml").string(), options);
    const std::string keys = (home / "keys.txt").string();
    std::ofstream(keys, std::ios::trunc);
    {
        GameProcess game(gameFolder, home.string(),
                         {"GORVANE_INPUT_SCRIPT=" + keys, "GORVANE_HEALTH_SECONDS=5"});
        Run run(game, keys);
        Clock::time_point start = Clock::now();
        if (!run.Reach("UIProcess::Focus: PlayButton\n")) {
            result.fault = "the menu did not appear";
        } else {
            // One key at a time, each after the menu says it has moved its focus.
            run.Send("0.2 tap Return\n");
            run.Reach("UIProcess::ShowScreen: Main Play\n");
            run.Reach("UIProcess::Focus: ");
            for (int i = 0; i < level.downs; ++i) {
                run.Send("0.2 tap Down\n");
                run.Reach("UIProcess::Focus: ");
            }
            // The load counts from the key that starts the level (tapped 0.2 s after it is
            // sent), so the loader's work before the state is pushed is in it.
            start = Clock::now() + std::chrono::milliseconds(200);
            run.Send("0.2 tap Return\n");
            if (!run.Reach(std::string("Game::PushState: ") + level.path + "\n")) {
                result.fault = "the level did not start";
            }
        }
        if (result.fault.empty() && run.Reach("Loading complete\n")) {
            result.loadSeconds = std::chrono::duration<double>(Clock::now() - start).count();
        } else if (result.fault.empty()) {
            result.fault = "the level did not load";
        }
        if (result.fault.empty() && run.Reach("LevelState::StartPlay: ")) {
            run.Line("Health: "); // the interval play began in
            for (int i = 0; i < level.samples; ++i) {
                const std::string line = run.Line("Health: ");
                if (line.empty()) {
                    break;
                }
                const std::map<std::string, double> fields = Fields(line);
                for (const auto& [name, value] : fields) {
                    if (name.size() > 3 && name.compare(name.size() - 3, 3, "_ms") == 0) {
                        result.means[name] += value;
                    }
                }
                const auto peak = fields.find("rss_peak_kb");
                result.peakKb = peak != fields.end() ? peak->second : result.peakKb;
                ++result.samples;
            }
        }
        game.Signal(SIGTERM);
        game.Finish();
    }
    for (auto& [name, total] : result.means) {
        total /= result.samples > 0 ? result.samples : 1;
    }
    fs::remove_all(home);
    return result;
}

} // namespace

int main() {
    const std::string gameFolder = GORVANE_BINARY_DIR;
    if (access((gameFolder + "/gorvane").c_str(), X_OK) != 0) {
        std::printf("game_report: no game built in %s\n", gameFolder.c_str());
        return 1;
    }
    const std::vector<Level> levels = {
        {"city (feature film)", "./assets/levels/ubergold.lua", 0, 6},
        {"endless", "./assets/levels/endless_mode.lua", 1, 2},
        {"tutorial", "./assets/levels/tutorial_extended.lua", 2, 2},
    };
    std::printf("Game report: 1280x800, shadows, motion blur and depth of field on\n");
    std::printf("%-22s %8s %8s %9s  %s\n", "level", "load s", "fps", "peak MB",
                "CPU ms per frame (culling particles skinning components ai physics buildings "
                "animation)");
    bool complete = true;
    for (const Level& level : levels) {
        const Result r = Measure(gameFolder, level);
        if (!r.fault.empty()) {
            std::printf("%-22s %s\n", level.name, r.fault.c_str());
            complete = false;
            continue;
        }
        const auto mean = [&](const char* name) {
            const auto found = r.means.find(name);
            return found != r.means.end() ? found->second : 0.0;
        };
        const double frameMs = mean("frame_ms");
        std::printf("%-22s %8.2f %8.1f %9.0f  %.2f %.2f %.2f %.2f %.2f %.2f %.2f %.2f\n",
                    level.name, r.loadSeconds, frameMs > 0.0 ? 1000.0 / frameMs : 0.0,
                    r.peakKb / 1024.0, mean("culling_ms"), mean("particles_ms"),
                    mean("skinning_ms"), mean("components_ms"), mean("ai_ms"), mean("physics_ms"),
                    mean("buildings_ms"), mean("animation_ms"));
    }
    return complete ? 0 : 1;
}
