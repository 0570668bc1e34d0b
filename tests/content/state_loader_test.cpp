#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <stdexcept>
#include <string>
#include <vector>

#include "content/game_state_loader_process.h"
#include "content/lua_handler.h"
#include "core/game_object.h"
#include "core/message.h"
#include "core/message_router.h"
#include "platform/system/clock.h"
#include "support/package_fixture.h"

namespace {

using Strings = std::vector<std::string>;

constexpr const char* kLevel = "./assets/levels/ubergold.lua";

// Runs one update and returns the lines it wrote.
Strings UpdateLogged(GameStateLoaderProcess& loader) {
    testing::internal::CaptureStdout();
    loader.Update(0.25f);
    const std::string out = testing::internal::GetCapturedStdout();
    Strings lines;
    std::size_t start = 0;
    for (std::size_t end = out.find('\n'); end != std::string::npos;
         start = end + 1, end = out.find('\n', start)) {
        lines.push_back(out.substr(start, end - start));
    }
    return lines;
}

// Writes what reaches it into a log shared with the other handlers, so the order across
// handlers shows.
class Recorder : public MessageHandler {
  public:
    Recorder(const char* name, Strings& log) : m_name(name), m_log(log) {}

    void HandleMessage(BaseMessage* msg, u32 fromId) override {
        std::string entry = m_name + ":" + MessageTypeName(msg->type);
        if (const auto* number = msg->Payload<u32>()) {
            entry += " " + std::to_string(*number);
        } else if (const auto* text = msg->Payload<std::string>()) {
            entry += " " + *text;
        } else if (const auto* step = msg->Payload<float>()) {
            entry += " " + std::to_string(*step);
        } else if (const auto* object = msg->Payload<GameObject*>()) {
            lastObject = *object;
        }
        m_log.push_back(entry);
        if (clock != nullptr && takes.count(msg->type) != 0) {
            clock->Advance(takes.at(msg->type));
        }
        Answer(msg, fromId);
        if (msg->type == throwOn) {
            throw std::runtime_error("handler failed");
        }
    }

    virtual void Answer(BaseMessage* msg, u32 fromId) {}

    u32 throwOn = MSG_NULL;
    // The seconds handling a message takes on the clock.
    sys::ManualClock* clock = nullptr;
    std::map<u32, double> takes;
    GameObject* lastObject = nullptr;

  private:
    std::string m_name;
    Strings& m_log;
};

// Answers a state request as the Lua handler does.
class FakeLuaHandler : public Recorder {
  public:
    using Recorder::Recorder;
    static constexpr u32 kStateId = 7;

    void Answer(BaseMessage* msg, u32 fromId) override {
        if (msg->type == MSG_SCRIPTING_CREATE_LUA_STATE) {
            Message<u32> reply(MSG_SCRIPTING_LUA_STATE, kStateId);
            SendMessage(&reply, fromId);
        }
    }
};

// The Game's router with the renderer and the Lua handler, and below it the level state's
// router with the level state and the loader, bound as a level binds them.
void Wire(MessageRouter& root, MessageRouter& stateRouter, MessageHandler& lua,
          MessageHandler& graphics, MessageHandler& level, GameStateLoaderProcess& loader) {
    root.AddChild(&stateRouter);
    lua.Bind(&root, GameStateLoaderProcess::kLuaHandlerId);
    graphics.Bind(&root, GameStateLoaderProcess::kGraphicsProcessId);
    level.Bind(&stateRouter, GameStateLoaderProcess::kLevelStateId);
    loader.Bind(&stateRouter, GameStateLoaderProcess::kHandlerId);
}

class StateLoaderTest : public testing::Test {
  protected:
    StateLoaderTest() : m_stateRouter(&m_root) {
        Wire(m_root, m_stateRouter, m_lua, m_graphics, m_level, m_loader);
    }

    Strings Update() { return UpdateLogged(m_loader); }

    Strings m_log;
    MessageRouter m_root;
    MessageRouter m_stateRouter;
    FakeLuaHandler m_lua{"lua", m_log};
    Recorder m_graphics{"graphics", m_log};
    Recorder m_level{"level", m_log};
    GameStateLoaderProcess m_loader{kLevel};
};

const Strings kSequence = {
    "lua:MSG_SCRIPTING_CREATE_LUA_STATE",
    "lua:MSG_SCRIPTING_SWITCH_LUA_STATE 7",
    std::string("lua:MSG_SCRIPTING_DO_SCRIPT ") + kLevel,
    "lua:MSG_SCRIPTING_DELETE_LUA_STATE 7",
    "level:MSG_LEVEL_INITIALIZE_OCTREE",
    "graphics:MSG_GRAPHICS_INITIALIZE",
    "level:MSG_LEVEL_PROCESS_UPDATE_ONCE 0.000100",
    "level:MSG_LEVEL_LOADING_COMPLETE",
};

// The loader's own lines, among whatever else the handlers wrote.
void ExpectTimedLog(const Strings& output) {
    Strings lines;
    for (const std::string& line : output) {
        if (line.rfind("GameStateLoaderProcess::", 0) == 0) {
            lines.push_back(line);
        }
    }
    const std::string duration = R"(\(duration = [0-9.e+-]+\))";
    const std::vector<std::regex> expected = {
        std::regex("GameStateLoaderProcess::Update: Start loading"),
        std::regex("GameStateLoaderProcess::Initialize: Start script"),
        std::regex("GameStateLoaderProcess::Initialize: End script " + duration),
        std::regex("GameStateLoaderProcess::Update: Start update"),
        std::regex("GameStateLoaderProcess::Update: End update " + duration),
        std::regex("GameStateLoaderProcess::Update: End loading"),
    };
    ASSERT_EQ(lines.size(), expected.size()) << testing::PrintToString(lines);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_TRUE(std::regex_match(lines[i], expected[i])) << lines[i];
    }
}

TEST_F(StateLoaderTest, FirstUpdateRunsTheWholeSequenceAndKillsTheProcess) {
    EXPECT_FALSE(m_loader.killed);
    const Strings lines = Update();
    EXPECT_EQ(m_log, kSequence);
    ExpectTimedLog(lines);
    EXPECT_EQ(m_loader.LuaStateId(), FakeLuaHandler::kStateId);
    EXPECT_TRUE(m_loader.killed);

    // A further update sends and logs nothing and still ends the process.
    m_log.clear();
    m_loader.killed = false;
    EXPECT_TRUE(Update().empty());
    EXPECT_TRUE(m_log.empty());
    EXPECT_TRUE(m_loader.killed);
}

TEST_F(StateLoaderTest, TimesTheScriptAndTheUpdateByTheClock) {
    sys::ManualClock clock;
    sys::SetTimeSource(&clock);
    m_lua.clock = &clock;
    m_lua.takes = {{MSG_SCRIPTING_DO_SCRIPT, 1.5}, {MSG_SCRIPTING_DELETE_LUA_STATE, 7.0}};
    m_level.clock = &clock;
    m_level.takes = {{MSG_LEVEL_PROCESS_UPDATE_ONCE, 0.25}, {MSG_LEVEL_LOADING_COMPLETE, 3.0}};
    const Strings lines = Update();
    sys::SetTimeSource(nullptr);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[2], "GameStateLoaderProcess::Initialize: End script (duration = 1.5)");
    EXPECT_EQ(lines[4], "GameStateLoaderProcess::Update: End update (duration = 0.25)");
}

TEST_F(StateLoaderTest, AFailingHandlerDoesNotStopTheSequence) {
    for (const u32 failing :
         {MSG_SCRIPTING_DO_SCRIPT, MSG_LEVEL_PROCESS_UPDATE_ONCE, MSG_LEVEL_INITIALIZE_OCTREE}) {
        SCOPED_TRACE(MessageTypeName(failing));
        m_log.clear();
        m_lua.throwOn = failing;
        m_level.throwOn = failing;
        GameStateLoaderProcess loader(kLevel);
        loader.Bind(&m_stateRouter, GameStateLoaderProcess::kHandlerId);
        testing::internal::CaptureStdout();
        loader.Update(0.25f);
        const std::string out = testing::internal::GetCapturedStdout();
        EXPECT_EQ(m_log, kSequence);
        EXPECT_NE(out.find(std::string(MessageTypeName(failing)) + " failed: handler failed"),
                  std::string::npos)
            << out;
        EXPECT_TRUE(loader.killed);
    }
}

TEST_F(StateLoaderTest, AnswersACreatedObjectWithItsDeletion) {
    GameObject object("Tank");
    Message<GameObject*> created(MSG_LEVEL_OBJECT_CREATED, &object);
    m_level.SendMessage(&created, GameStateLoaderProcess::kHandlerId);
    ASSERT_EQ(m_log.size(), 1u);
    EXPECT_EQ(m_log[0], "level:MSG_LEVEL_DELETE_OBJECT");
    EXPECT_EQ(m_level.lastObject, &object);

    // Other messages are ignored.
    BaseMessage other(MSG_LEVEL_LOADING_COMPLETE);
    m_level.SendMessage(&other, GameStateLoaderProcess::kHandlerId);
    EXPECT_EQ(m_log.size(), 1u);
}

// The level state of a real level: it notes which Lua states exist when it is told to
// build its octree.
class LevelWatcher : public Recorder {
  public:
    LevelWatcher(Strings& log, const LuaHandler& lua) : Recorder("level", log), m_lua(lua) {}

    void Answer(BaseMessage* msg, u32 fromId) override {
        if (msg->type == MSG_LEVEL_INITIALIZE_OCTREE) {
            statesAtOctree = m_lua.StateCount();
            currentAtOctree = m_lua.CurrentStateId();
        }
    }

    std::size_t statesAtOctree = 0;
    u32 currentAtOctree = 0xFFFFFFFFu;

  private:
    const LuaHandler& m_lua;
};

// The same wiring with the real Lua handler reading the level from a levels package.
class StateLoaderLuaTest : public testing::Test {
  protected:
    StateLoaderLuaTest() : m_stateRouter(&m_root) {
        Wire(m_root, m_stateRouter, m_lua, m_graphics, m_level, m_loader);
    }

    Strings RunLevel(const std::string& script) {
        const std::string package =
            package_fixture::MakePackage(m_scratch.Path(), "levels", {{"ubergold.lua", script}})
                .string();
        m_lua.SetPackagePaths(package, package);
        return UpdateLogged(m_loader);
    }

    package_fixture::ScratchFolder m_scratch;
    Strings m_log;
    MessageRouter m_root;
    MessageRouter m_stateRouter;
    LuaHandler m_lua;
    Recorder m_graphics{"graphics", m_log};
    LevelWatcher m_level{m_log, m_lua};
    GameStateLoaderProcess m_loader{kLevel};
};

TEST_F(StateLoaderLuaTest, AScriptErrorStillCompletesTheLoadingWithTheStateGone) {
    const Strings lines = RunLevel("CreateGameObject(\"Tank\")\n"
                                   "error(\"broken level\")\n"
                                   "CreateGameObject(\"Jeep\")\n");
    EXPECT_EQ(
        m_log,
        (Strings{"level:MSG_LEVEL_CREATE_OBJECT Tank", "level:MSG_LEVEL_INITIALIZE_OCTREE",
                 "graphics:MSG_GRAPHICS_INITIALIZE", "level:MSG_LEVEL_PROCESS_UPDATE_ONCE 0.000100",
                 "level:MSG_LEVEL_LOADING_COMPLETE"}));
    std::size_t errors = 0;
    for (const std::string& line : lines) {
        if (line.rfind(LuaHandler::kErrorPrefix, 0) == 0) {
            ++errors;
            EXPECT_NE(line.find("broken level"), std::string::npos) << line;
        }
    }
    EXPECT_EQ(errors, 1u);
    ExpectTimedLog(lines);

    // The script's state was made for it and was gone before the level heard of it.
    EXPECT_NE(m_loader.LuaStateId(), 0u);
    EXPECT_EQ(m_level.statesAtOctree, 1u);
    EXPECT_EQ(m_level.currentAtOctree, 0u);
    EXPECT_FALSE(m_lua.HasState(m_loader.LuaStateId()));
    EXPECT_TRUE(m_loader.killed);
}

} // namespace
