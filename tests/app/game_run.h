#pragma once
// What the end-to-end runs share: the keys file the game follows and the screenshots it saves,
// read back for image checks.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "app/game_process.h"
#include "support/screenshot_image.h"

namespace game_process {

// The file the game follows for its keys; each Send appends lines as a player would type.
class InputScriptFile {
  public:
    explicit InputScriptFile(std::string path) : m_path(std::move(path)) {
        std::ofstream(m_path, std::ios::trunc);
    }
    void Send(const std::string& lines) const { std::ofstream(m_path, std::ios::app) << lines; }
    std::string Variable() const { return "GORVANE_INPUT_SCRIPT=" + m_path; }

  private:
    std::string m_path;
};

// The key bindings as the options screen saves them: movement on W A S D, Punch on P.
constexpr const char* kWasdControls =
    "<Controls>"
    "<Control name=\"Forward\" value=\"17\"/><Control name=\"Backward\" value=\"31\"/>"
    "<Control name=\"Left\" value=\"30\"/><Control name=\"Right\" value=\"32\"/>"
    "<Control name=\"Jump\" value=\"57\"/><Control name=\"RocketPunch\" value=\"19\"/>"
    "<Control name=\"GrabThrow\" value=\"256\"/><Control name=\"Punch\" value=\"25\"/>"
    "<Control name=\"Laser\" value=\"18\"/>"
    "</Controls>";

// Where the runs keep their screenshots for a person to look at: the folder
// GORVANE_KEEP_SCREENSHOTS names, or none.
inline void KeepScreenshot(const std::string& path) {
    const char* const folder = std::getenv("GORVANE_KEEP_SCREENSHOTS");
    if (folder == nullptr || *folder == '\0') {
        return;
    }
    static int kept = 0;
    const std::string name = std::string(folder) + "/" + std::to_string(getpid()) + "-" +
                             std::to_string(kept++) + ".bmp";
    std::ifstream from(path, std::ios::binary);
    std::ofstream(name, std::ios::binary) << from.rdbuf();
}

// Waits for the next "Screenshot saved to: " line after *at, reads the picture and removes the
// file (the game writes into the build folder, where later runs would pick other names); a
// copy stays in the folder of GORVANE_KEEP_SCREENSHOTS when it is set.
inline bool TakeScreenshot(GameProcess& game, std::size_t* at, ScreenshotImage& image) {
    const std::string saved = "Screenshot saved to: ";
    if (!game.WaitFor(saved, *at, at)) {
        return false;
    }
    if (!game.WaitFor("\n", *at, nullptr)) {
        return false;
    }
    const std::string& output = game.Output();
    const std::size_t start = output.find(saved, *at) + saved.size();
    const std::string name = output.substr(start, output.find('\n', start) - start);
    const std::string path = std::string(GORVANE_BINARY_DIR) + "/" + name;
    const bool loaded = image.Load(path);
    KeepScreenshot(path);
    std::remove(path.c_str());
    *at = start;
    return loaded;
}

// What any drawn scene must pass: most of the frame lit and many colours, never a black,
// blank or one-colour frame.
inline void ExpectALitTexturedScene(const ScreenshotImage& image, const std::string& what) {
    EXPECT_GT(image.LitFraction(), 0.5f) << what;
    EXPECT_GT(image.DistinctColours(), 64) << what;
}

// From the menu's main screen: QUIT is the fourth button below PLAY, and REALLY QUIT stands
// above the focused STAY. The menu's screens take a while to take keys after a level, hence
// the first wait. Returns the game's exit status.
inline int QuitFromTheMenu(GameProcess& game, const InputScriptFile& keys) {
    keys.Send("10 tap Down\n5 tap Down\n5 tap Down\n5 tap Down\n5 tap Return\n"
              "10 tap Up\n5 tap Return\n");
    return game.Finish();
}

// A run that ended by itself with status 0 and whose output holds no sanitizer report, no
// undefined behaviour, no fault of the scripted keys, no script error and no pool leak.
inline void ExpectACleanExit(int status, const std::string& output) {
    EXPECT_TRUE(WIFEXITED(status)) << "status " << status << "\n" << output;
    EXPECT_EQ(WEXITSTATUS(status), 0) << output;
    for (const char* fault :
         {"Sanitizer", "runtime error", "input script", "LUA ERROR", "Memory leak detected"}) {
        EXPECT_EQ(output.find(fault), std::string::npos) << fault << "\n" << output;
    }
}

} // namespace game_process
