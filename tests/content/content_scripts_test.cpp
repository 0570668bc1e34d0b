// The bundled level scripts, each run from the levels package by the game's Lua host against
// a state that builds objects of the bundled types: no script error, no type that the state
// cannot build, nothing the resource loader's scan misses, no two blocks in one place.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "content/lua_handler.h"
#include "content/lua_test_fixture.h"
#include "core/message_router.h"
#include "support/content_fixture.h"

namespace {

struct Script {
    const char* path;
    // Menus build objects from definitions only; levels also have their composite types.
    bool level;
};

void PrintTo(const Script& script, std::ostream* out) {
    *out << script.path;
}

const Script kScripts[] = {
    {"./assets/levels/menu_level.lua", false},
    {"./assets/levels/ubergold.lua", true},
    {"./assets/levels/tutorial_extended.lua", true},
    {"./assets/levels/endless_mode.lua", true},
};

// The composite types a level state builds in code rather than from a definition.
const std::set<std::string> kLevelCreators = {"Robot", "AI-Boss-Fly-Mothership", "Tower"};

// The strings the resource loader takes from a script to know what to load: on each line
// ended by a line feed, less its last character and cut to 199 characters, the text from
// the first double quote to the next one (or to the end of the line).
std::set<std::string> ScannedNames(const std::string& script) {
    std::set<std::string> names;
    std::size_t start = 0;
    for (std::size_t end = script.find('\n'); end != std::string::npos;
         start = end + 1, end = script.find('\n', start)) {
        std::string line = script.substr(start, end - start);
        if (!line.empty()) {
            line.pop_back();
        }
        line.resize(std::min<std::size_t>(line.size(), 199));
        const std::size_t open = line.find('"');
        if (open != std::string::npos) {
            const std::size_t close = line.find('"', open + 1);
            names.insert(line.substr(open + 1, close == std::string::npos ? std::string::npos
                                                                          : close - open - 1));
        }
    }
    return names;
}

class ContentScripts : public testing::TestWithParam<Script> {
  protected:
    ContentScripts() {
        for (const auto& [typeName, components] : content_test::BundledDefinitions().definitions) {
            m_state.m_types.insert(typeName);
        }
        if (GetParam().level) {
            m_state.m_types.insert(kLevelCreators.begin(), kLevelCreators.end());
        }
        m_handler.Bind(&m_root, LuaHandler::kHandlerId);
        m_state.Bind(&m_root, LuaHandler::kDefaultObjectTarget);
        m_handler.SetPackagePaths(content_test::AssetPath("packages/levels.kzp"),
                                  content_test::AssetPath("packages/particles.kzp"));
    }

    // Runs the script in a state of its own, as the game states do; returns what it wrote.
    std::string Run() {
        m_handler.SwitchState(m_handler.CreateState());
        testing::internal::CaptureStdout();
        m_handler.DoScript(GetParam().path);
        return testing::internal::GetCapturedStdout();
    }

    std::vector<const GameObject*> Created(const std::string& typeName) const {
        std::vector<const GameObject*> objects;
        for (const auto& object : m_state.m_objects) {
            if (object->name == typeName) {
                objects.push_back(object.get());
            }
        }
        return objects;
    }

    MessageRouter m_root;
    LuaHandler m_handler;
    lua_test::FakeState m_state{{}};
};

TEST_P(ContentScripts, RunsWithoutAnErrorAndBuildsOnlyKnownTypes) {
    const std::string output = Run();
    EXPECT_EQ(lua_test::ErrorLines(output), std::vector<std::string>()) << output;
    EXPECT_EQ(output.find("FilePackage:"), std::string::npos) << output;
    ASSERT_FALSE(m_state.m_requests.empty());
    for (const std::string& request : m_state.m_requests) {
        EXPECT_EQ(m_state.m_types.count(request), 1u) << request;
    }
    EXPECT_EQ(m_state.m_objects.size(), m_state.m_requests.size());
    EXPECT_EQ(Created("Ground").size(), 1u);
    if (GetParam().level) {
        EXPECT_EQ(Created("Robot").size(), 1u);
        EXPECT_EQ(Created("InvisiblePlane").size(), 1u);
        EXPECT_FALSE(Created("BuildingBlock").empty());
    }
}

// Each tank trigger switches the units' thinking over when it fires, and a story level's
// opening flight fires them all at its end: an odd number of them would leave every unit of
// the level, the bosses too, idle for the rest of the play.
TEST_P(ContentScripts, TankTriggersLeaveTheUnitsThinkingOnceAllHaveFired) {
    Run();
    EXPECT_EQ(Created("TriggerTank").size() % 2, 0u);
}

TEST_P(ContentScripts, ResourceLoaderScanFindsEveryTypeTheScriptBuilds) {
    Run();
    const std::set<std::string> scanned =
        ScannedNames(content_test::ReadPackaged("levels", GetParam().path));
    for (const std::string& request : m_state.m_requests) {
        // The loader adds the robot's parts to every level itself.
        if (GetParam().level && request == "Robot") {
            continue;
        }
        EXPECT_EQ(scanned.count(request), 1u) << request;
    }
}

TEST_P(ContentScripts, BuildingBlocksNeverShareSpace) {
    Run();
    const std::vector<const GameObject*> blocks = Created("BuildingBlock");
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        EXPECT_GE(blocks[i]->position.y, 5.0f - 0.01f) << "block " << i << " below the ground";
        for (std::size_t j = i + 1; j < blocks.size(); ++j) {
            const Vector& a = blocks[i]->position;
            const Vector& b = blocks[j]->position;
            const bool apart = std::fabs(a.x - b.x) >= 10.0f || std::fabs(a.y - b.y) >= 10.0f ||
                               std::fabs(a.z - b.z) >= 10.0f;
            EXPECT_TRUE(apart) << "blocks " << i << " and " << j;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Bundled, ContentScripts, testing::ValuesIn(kScripts),
                         [](const testing::TestParamInfo<Script>& info) {
                             std::string name = FilePackage::SplitPath(info.param.path);
                             name = name.substr(0, name.find('.'));
                             std::erase(name, '_');
                             return name;
                         });

} // namespace
