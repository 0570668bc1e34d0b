// The include-order check, run over small fixture trees: it passes a tree whose includes
// run down the layers and fails one with a single include planted against the order.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;

using Files = std::vector<std::pair<std::string, std::string>>;

// A tree under a fresh temporary folder, removed again at the end of the test.
class FixtureTree {
  public:
    explicit FixtureTree(const Files& files)
        : m_root(fs::temp_directory_path() /
                 ("gorvane_check_includes_" + std::to_string(::getpid()) + "_" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name())) {
        fs::remove_all(m_root);
        for (const auto& [path, text] : files) {
            const fs::path file = m_root / path;
            fs::create_directories(file.parent_path());
            std::ofstream(file) << text;
        }
    }
    ~FixtureTree() { fs::remove_all(m_root); }

    // The check's exit status over this tree.
    int Check() const {
        const std::string command = std::string(GORVANE_SOURCE_DIR) + "/scripts/check-includes '" +
                                    m_root.string() + "' > /dev/null";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

  private:
    fs::path m_root;
};

// Includes that keep to the order, from the bottom to the top.
const Files kOrderedTree = {
    {"src/platform/system/clock.h", "#pragma once\n#include <cstdint>\n"},
    {"src/platform/window/window.h", "#pragma once\n#include \"platform/system/clock.h\"\n"},
    {"src/core/router.h", "#pragma once\n#include \"platform/system/clock.h\"\n"},
    {"src/content/package.cpp", "#include \"core/router.h\"\n#include \"content/package.h\"\n"},
    {"src/game/handler_id.h", "#include \"content/package.h\"\n"},
    {"src/graphics/renderer.cpp", "#include \"game/handler_id.h\"\n"},
    {"src/city/building.cpp", "#include \"graphics/renderer.h\"\n#include \"platform/gfx/x.h\"\n"},
    {"src/app/game.cpp", "#include \"city/building.h\"\n#include \"editor/editor.h\"\n"},
    {"src/main.cpp", "#include \"app/game.h\"\n"},
    {"tests/core/router_test.cpp", "#include \"core/router.h\"\n#include \"support/fix.h\"\n"},
};

TEST(CheckIncludes, PassesATreeWhoseIncludesRunDownTheLayers) {
    EXPECT_EQ(FixtureTree(kOrderedTree).Check(), 0);
}

TEST(CheckIncludes, FailsOnOnePlantedUpwardInclude) {
    struct Case {
        const char* what;
        std::pair<std::string, std::string> planted;
    };
    const Case cases[] = {
        {"core reaching content", {"src/core/object.h", "#include \"content/package.h\"\n"}},
        {"system reaching core",
         {"src/platform/system/thread.cpp", "#include \"core/router.h\"\n"}},
        {"a platform layer reaching game types",
         {"src/platform/gfx/device.h", "#include \"game/handler_id.h\"\n"}},
        {"content reaching the contracts",
         {"src/content/loader.cpp", "#include \"game/handler_id.h\"\n"}},
        {"a subsystem reaching the shell", {"src/ui/ui.cpp", "#include \"app/game.h\"\n"}},
        {"a subsystem reaching a later one",
         {"src/graphics/camera.cpp", "#include \"player/player.h\"\n"}},
        {"a core test reaching up", {"tests/core/odd_test.cpp", "#include \"graphics/r.h\"\n"}},
        {"a folder with no place in the order",
         {"src/newthing/a.cpp", "#include \"core/router.h\"\n"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Files files = kOrderedTree;
        files.push_back(c.planted);
        EXPECT_EQ(FixtureTree(files).Check(), 1);
    }
}

TEST(CheckIncludes, ThisRepositoryKeepsTheOrder) {
    const std::string command =
        std::string(GORVANE_SOURCE_DIR) + "/scripts/check-includes '" GORVANE_SOURCE_DIR "'";
    EXPECT_EQ(std::system(command.c_str()), 0);
}

} // namespace
