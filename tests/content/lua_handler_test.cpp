#include "content/lua_handler.h"

#include <gtest/gtest.h>

#include <sstream>
#include <utility>

#include "content/lua_test_fixture.h"
#include "core/game_object.h"
#include "support/package_fixture.h"

namespace {

using lua_test::ErrorLines;
using lua_test::LuaTest;
using package_fixture::MakePackage;
using package_fixture::ScratchFolder;

class LuaHandlerTest : public LuaTest {
  protected:
    u32 CreateByMessage() {
        Send(BaseMessage(MSG_SCRIPTING_CREATE_LUA_STATE));
        return m_asker.m_stateIds.empty() ? 0xFFFFFFFFu : m_asker.m_stateIds.back();
    }

    // Points the handler at fresh levels and particles packages holding these scripts.
    void UsePackages(const std::map<std::string, std::string>& levels,
                     const std::map<std::string, std::string>& particles = {}) {
        const std::string tag = std::to_string(m_packageCount++);
        m_handler.SetPackagePaths(
            MakePackage(m_folder.Path(), "levels" + tag, levels).string(),
            MakePackage(m_folder.Path(), "particles" + tag, particles).string());
    }

    std::string Capture(const std::function<void()>& action) {
        testing::internal::CaptureStdout();
        action();
        return testing::internal::GetCapturedStdout();
    }

    ScratchFolder m_folder;
    int m_packageCount = 0;
};

TEST_F(LuaHandlerTest, StatesAreCreatedSwitchedAndDeletedByMessage) {
    EXPECT_EQ(m_handler.CurrentStateId(), 0u);
    EXPECT_EQ(CreateByMessage(), 1u);
    EXPECT_EQ(m_asker.m_received.back().fromId, LuaHandler::kHandlerId);
    EXPECT_EQ(m_handler.CurrentStateId(), 0u) << "creating does not switch";

    Send(Message<u32>(MSG_SCRIPTING_SWITCH_LUA_STATE, 1));
    EXPECT_EQ(m_handler.CurrentStateId(), 1u);
    RunClean("inOne = true");

    Send(Message<u32>(MSG_SCRIPTING_SWITCH_LUA_STATE, 9));
    EXPECT_EQ(m_handler.CurrentStateId(), 1u) << "an id never created keeps the current state";

    Send(Message<u32>(MSG_SCRIPTING_DELETE_LUA_STATE, 1));
    EXPECT_EQ(m_handler.CurrentStateId(), 0u);
    EXPECT_FALSE(m_handler.HasState(1));
    EXPECT_EQ(String("inOne"), "<nil>") << "state 0 never saw state 1's globals";

    EXPECT_EQ(CreateByMessage(), 2u) << "ids are never reused";
}

TEST_F(LuaHandlerTest, StateZeroAndUnknownIdsAreNotDeleted) {
    const u32 second = m_handler.CreateState();
    m_handler.SwitchState(second);
    RunClean("kept = 1");

    m_handler.DeleteState(0);
    m_handler.DeleteState(77);
    EXPECT_TRUE(m_handler.HasState(0));
    EXPECT_EQ(m_handler.CurrentStateId(), second) << "an ignored deletion does not switch";
    EXPECT_EQ(Number("kept"), 1.0);

    m_handler.DeleteState(second);
    EXPECT_EQ(m_handler.CurrentStateId(), 0u);
    RunClean("stillWorks = 2");
    EXPECT_EQ(Number("stillWorks"), 2.0);
}

TEST_F(LuaHandlerTest, AStateDeletedWhileItsScriptRunsIsClosedAfterwards) {
    const u32 level = m_handler.CreateState();
    m_handler.SwitchState(level);
    m_state.onCreate = [&] {
        Message<u32> remove(MSG_SCRIPTING_DELETE_LUA_STATE, level);
        m_asker.SendMessage(&remove, LuaHandler::kHandlerId);
    };
    // The script goes on in its own state after the deletion; closing it under the
    // running script would crash.
    RunClean("local o = CreateGameObject('Tank')\n"
             "local t = {} for i = 1, 100 do t[i] = tostring(i) end\n"
             "after = #t");
    EXPECT_FALSE(m_handler.HasState(level));
    EXPECT_EQ(m_handler.CurrentStateId(), 0u);
    EXPECT_EQ(m_state.m_requests.size(), 1u);
}

TEST_F(LuaHandlerTest, ASyntaxErrorIsReportedOnceAndTheFixedScriptLoadsLater) {
    const std::string path = "./assets/levels/level.lua";
    UsePackages({{"level.lua", "ran = true\nx = = 1\n"}});
    std::string output =
        Capture([&] { Send(Message<std::string>(MSG_SCRIPTING_LOAD_SCRIPT, path)); });
    ASSERT_EQ(ErrorLines(output).size(), 1u) << output;
    EXPECT_NE(ErrorLines(output)[0].find("level.lua\"]:2:"), std::string::npos) << output;
    EXPECT_FALSE(m_handler.IsLoaded(path));

    output = Capture([&] { Send(Message<std::string>(MSG_SCRIPTING_RUN_SCRIPT, path)); });
    EXPECT_TRUE(ErrorLines(output).empty()) << "a path that is not loaded runs nothing";
    EXPECT_EQ(String("ran"), "<nil>");

    UsePackages({{"level.lua", "ran = (ran or 0) + 1\n"}});
    output = Capture([&] {
        Send(Message<std::string>(MSG_SCRIPTING_LOAD_SCRIPT, path));
        Send(Message<std::string>(MSG_SCRIPTING_RUN_SCRIPT, path));
        Send(Message<std::string>(MSG_SCRIPTING_LOAD_SCRIPT, path));
        Send(Message<std::string>(MSG_SCRIPTING_RUN_SCRIPT, path));
    });
    EXPECT_TRUE(ErrorLines(output).empty()) << output;
    EXPECT_TRUE(m_handler.IsLoaded(path));
    EXPECT_EQ(Number("ran"), 2.0) << "loaded once, run twice";
}

TEST_F(LuaHandlerTest, DoScriptTakesParticleScriptsFromTheParticlesPackage) {
    UsePackages({{"nuke.lua", "from = 'levels'"}, {"menu_level.lua", "from = 'menu'"}},
                {{"nuke.lua", "from = 'particles'"}});
    const std::pair<std::string, std::string> cases[] = {
        {"./assets/particles/nuke.lua", "particles"},
        {"./assets/levels/nuke.lua", "levels"},
        {"./Assets/Levels/MENU_LEVEL.LUA", "menu"},
    };
    for (const auto& [path, expected] : cases) {
        const std::string output =
            Capture([&] { Send(Message<std::string>(MSG_SCRIPTING_DO_SCRIPT, path)); });
        EXPECT_EQ(String("from"), expected) << path;
        std::ostringstream header;
        header << path << " : " << static_cast<const void*>(L()) << '\n';
        EXPECT_EQ(output.rfind(header.str(), 0), 0u) << output;
        lua_getglobal(L(), path.c_str());
        EXPECT_TRUE(lua_isfunction(L(), -1)) << "the chunk is kept under its path";
        lua_pop(L(), 1);
    }

    const std::string output = Capture([&] { m_handler.DoScript("./assets/levels/missing.lua"); });
    EXPECT_TRUE(ErrorLines(output).empty()) << "the package reports a missing file itself";
    EXPECT_NE(output.find("FilePackage"), std::string::npos) << output;
}

TEST_F(LuaHandlerTest, ErrorsAreReportedAndLeaveTheStateUsable) {
    EXPECT_NE(RunFailing("NoSuchFunction()").find("attempt to call global 'NoSuchFunction'"),
              std::string::npos);
    EXPECT_NE(RunFailing("error('boom')").find("LUA ERROR: [string \"test\"]:1: boom"),
              std::string::npos);
    EXPECT_EQ(RunFailing("error({})"), "LUA ERROR: (error object is not a string)");

    const std::string output =
        Capture([&] { Send(Message<std::string>(MSG_SCRIPTING_CALL_FUNCTION, "Missing")); });
    ASSERT_EQ(ErrorLines(output).size(), 1u) << output;
    EXPECT_NE(output.find("attempt to call a nil value"), std::string::npos) << output;

    EXPECT_EQ(lua_gettop(L()), 0) << "nothing is left on the stack";
    RunClean("afterwards = 3");
    EXPECT_EQ(Number("afterwards"), 3.0);
}

TEST_F(LuaHandlerTest, FunctionsAreCalledWithTheirArguments) {
    RunClean("calls = 0\n"
             "function Plain() calls = calls + 1 end\n"
             "function Float(f) got = f end\n"
             "function Vec(x, y, z) sum = x * 100 + y * 10 + z end\n"
             "function Obj(o) object = o; valid = Valid(o) end\n"
             "function Many() return 1, 2, 3 end\n");
    GameObject object("Tank");
    Send(Message<std::string>(MSG_SCRIPTING_CALL_FUNCTION, "Plain"));
    Send(Message<std::pair<std::string, float>>(MSG_SCRIPTING_CALL_FUNCTION_FLOAT_ARG,
                                                {"Float", 2.5f}));
    Send(Message<std::pair<std::string, Vector>>(MSG_SCRIPTING_CALL_FUNCTION_VECTOR_ARG,
                                                 {"Vec", Vector(1, 2, 3)}));
    Send(Message<std::pair<std::string, GameObject*>>(MSG_SCRIPTING_CALL_FUNCTION_GAME_OBJECT_ARG,
                                                      {"Obj", &object}));
    Send(Message<std::string>(MSG_SCRIPTING_CALL_FUNCTION, "Many"));
    // A payload of another type is not a call.
    Send(Message<float>(MSG_SCRIPTING_CALL_FUNCTION, 1.0f));

    EXPECT_EQ(Number("calls"), 1.0);
    EXPECT_EQ(Number("got"), 2.5);
    EXPECT_EQ(Number("sum"), 123.0);
    EXPECT_EQ(Pointer("object"), &object);
    EXPECT_TRUE(Boolean("valid"));
    EXPECT_EQ(lua_gettop(L()), 0) << "results are dropped";
}

TEST_F(LuaHandlerTest, TheLibrariesAreThoseScriptsUse) {
    RunClean(
        "has = { base = type(print) == 'function', table = type(table.insert) == 'function',\n"
        "  string = type(string.format) == 'function', math = type(math.floor) == 'function',\n"
        "  io = io ~= nil, os = os ~= nil }\n"
        "ok = has.base and has.table and has.string and has.math and not has.io and not has.os");
    EXPECT_TRUE(Boolean("ok"));
}

TEST(LuaHandlerInstance, IsTheLiveHandler) {
    {
        LuaHandler handler;
        EXPECT_EQ(LuaHandler::Instance(), &handler);
        EXPECT_EQ(LuaHandler::Owner(handler.CurrentState()), &handler);
        EXPECT_EQ(handler.router, nullptr) << "unbound until the Game binds it";
    }
    EXPECT_EQ(LuaHandler::Instance(), nullptr);
}

} // namespace
