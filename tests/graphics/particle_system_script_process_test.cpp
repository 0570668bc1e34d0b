#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "core/game_object.h"
#include "core/message.h"
#include "core/message_router.h"
#include "graphics/particle_system_script_process.h"

namespace {

// Stands in for the Lua handler: hands out state ids, and lets a test decide which calls of
// "Initialize" or "Update" make the script ask to be killed.
class FakeLua : public MessageHandler {
  public:
    void HandleMessage(BaseMessage* message, u32 fromId) override {
        switch (message->type) {
        case MSG_SCRIPTING_CREATE_LUA_STATE:
            log.push_back("create");
            if (giveStates) {
                Message<unsigned int> reply(MSG_SCRIPTING_LUA_STATE, nextState++);
                SendMessage(&reply, fromId);
            }
            break;
        case MSG_SCRIPTING_SWITCH_LUA_STATE:
            current = message->ValueOr<unsigned int>(999);
            log.push_back("switch " + std::to_string(current));
            break;
        case MSG_SCRIPTING_DELETE_LUA_STATE:
            log.push_back("delete " + std::to_string(message->ValueOr<unsigned int>(999)));
            break;
        case MSG_SCRIPTING_DO_SCRIPT:
            log.push_back("run " + *message->Payload<std::string>());
            break;
        case MSG_SCRIPTING_CALL_FUNCTION_VECTOR_ARG: {
            const auto& call = *message->Payload<std::pair<std::string, Vector>>();
            log.push_back(call.first + " at " + std::to_string(int(call.second.x)));
            KillIfAsked(fromId);
            break;
        }
        case MSG_SCRIPTING_CALL_FUNCTION_GAME_OBJECT_ARG: {
            const auto& call = *message->Payload<std::pair<std::string, GameObject*>>();
            log.push_back(call.first + " on " + call.second->name);
            KillIfAsked(fromId);
            break;
        }
        case MSG_SCRIPTING_CALL_FUNCTION_FLOAT_ARG:
            log.push_back(message->Payload<std::pair<std::string, float>>()->first + " " +
                          std::to_string(current));
            KillIfAsked(fromId);
            break;
        default:
            break;
        }
    }

    void KillIfAsked(u32 script) {
        if (current < killOnCall.size() && killOnCall[current] > 0 && --killOnCall[current] == 0) {
            BaseMessage kill(MSG_PARTICLE_SYSTEM_SCRIPT_KILL);
            SendMessage(&kill, script);
        }
    }

    bool giveStates = true;
    unsigned int nextState = 5;
    unsigned int current = 0;
    // Per state id: the number of the call (1 = Initialize) at which the script kills itself.
    std::vector<int> killOnCall = std::vector<int>(16, 0);
    std::vector<std::string> log;
};

class ScriptProcessTest : public ::testing::Test {
  protected:
    void SetUp() override {
        lua.Bind(&router, ParticleSystemScriptProcess::kLuaHandlerId);
        scripts.Bind(&router, ParticleSystemScriptProcess::kHandlerId);
    }

    void Start(const std::string& path, int x) {
        Message<std::pair<std::string, Vector>> start(
            MSG_PARTICLE_SYSTEM_SCRIPT_CREATE_SCRIPT_VECTOR, {path, Vector(float(x), 0, 0)});
        router.SendMessage(&start, ParticleSystemScriptProcess::kHandlerId, 2);
    }

    MessageRouter router;
    FakeLua lua;
    ParticleSystemScriptProcess scripts;
};

TEST_F(ScriptProcessTest, HasHandlerEighteen) {
    EXPECT_EQ(ParticleSystemScriptProcess::kHandlerId, 18u);
    EXPECT_EQ(scripts.id, 18u);
}

TEST_F(ScriptProcessTest, TwoScriptsGetTheirOwnStatesAndRunInStartOrder) {
    Start("./assets/particles/nuke.lua", -50);
    GameObject boss("AI-Boss-Fly-UFO");
    Message<std::pair<std::string, GameObject*>> start(
        MSG_PARTICLE_SYSTEM_SCRIPT_CREATE_SCRIPT_GAME_OBJECT,
        {"./assets/particles/ring.lua", &boss});
    router.SendMessage(&start, ParticleSystemScriptProcess::kHandlerId, 2);
    scripts.Update(0.5f);

    EXPECT_EQ(lua.log, (std::vector<std::string>{
                           "create", "switch 5", "run ./assets/particles/nuke.lua",
                           "Initialize at -50", "create", "switch 6",
                           "run ./assets/particles/ring.lua", "Initialize on AI-Boss-Fly-UFO",
                           "switch 5", "Update 5", "switch 6", "Update 6", "switch 0"}));
    EXPECT_EQ(scripts.States(), (std::list<u32>{5, 6}));
}

TEST_F(ScriptProcessTest, AKillFromInitializeIsForgottenAndOnlyAKillFromUpdateCounts) {
    lua.killOnCall[5] = 1; // kills itself in Initialize
    Start("a.lua", 1);
    scripts.Update(0.1f);
    EXPECT_EQ(scripts.States(), (std::list<u32>{5}));

    lua.killOnCall[5] = 1; // and now in its next Update
    lua.log.clear();
    scripts.Update(0.1f);
    EXPECT_EQ(lua.log, (std::vector<std::string>{"switch 5", "Update 5", "delete 5", "switch 0"}));
    EXPECT_TRUE(scripts.States().empty());

    lua.log.clear();
    scripts.Update(0.1f);
    EXPECT_EQ(lua.log, std::vector<std::string>{"switch 0"});
}

TEST_F(ScriptProcessTest, ARequestWithoutAStateIsDropped) {
    lua.giveStates = false;
    Start("a.lua", 1);
    EXPECT_EQ(lua.log, std::vector<std::string>{"create"});
    EXPECT_TRUE(scripts.States().empty());
}

} // namespace
