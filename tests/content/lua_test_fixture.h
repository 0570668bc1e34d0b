#pragma once
// A LuaHandler bound at a root router as the Game binds it, with stand-ins for the
// handlers that scripts talk to: a game state that builds objects of the types it knows,
// a renderer that answers particle requests and records settings, and the particle
// script process.

#include <gtest/gtest.h>
#include <lua.hpp>

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "content/lua_handler.h"
#include "content/particle_system_info.h"
#include "core/game_object.h"
#include "core/message.h"
#include "core/message_router.h"

namespace lua_test {

// Builds objects for MSG_LEVEL_CREATE_OBJECT as a game state does, answering with
// MSG_LEVEL_OBJECT_CREATED (null for a type it does not know).
class FakeState : public MessageHandler {
  public:
    explicit FakeState(std::set<std::string> types) : m_types(std::move(types)) {}

    void HandleMessage(BaseMessage* msg, u32 fromId) override {
        if (msg->type != MSG_LEVEL_CREATE_OBJECT) {
            return;
        }
        const std::string& typeName = *msg->Payload<std::string>();
        m_requests.push_back(typeName);
        GameObject* created = nullptr;
        if (m_types.count(typeName) != 0) {
            m_objects.push_back(std::make_unique<GameObject>(typeName));
            created = m_objects.back().get();
            created->id = 1000 + static_cast<u32>(m_objects.size());
        }
        if (onCreate) {
            onCreate();
        }
        Message<GameObject*> reply(MSG_LEVEL_OBJECT_CREATED, created);
        SendMessage(&reply, fromId);
    }

    std::set<std::string> m_types;
    std::vector<std::string> m_requests;
    std::vector<std::unique_ptr<GameObject>> m_objects;
    // Runs while a request is being answered.
    std::function<void()> onCreate;
};

// Anything that records what reaches it.
class Recorder : public MessageHandler {
  public:
    struct Received {
        u32 type;
        u32 fromId;
        float number;
    };

    void HandleMessage(BaseMessage* msg, u32 fromId) override {
        m_received.push_back({msg->type, fromId, msg->ValueOr<float>(0.0f)});
        if (const auto* info = msg->Payload<ParticleSystemInfo>()) {
            m_info.push_back(*info);
        }
        if (msg->type == MSG_CREATE_PARTICLE_SYSTEM) {
            Message<ParticleSystemCPU*> reply(MSG_PARTICLE_SYSTEM, m_system);
            SendMessage(&reply, fromId);
        }
        if (msg->type == MSG_GRAPHICS_PARTICLE_SYSTEM_VALID) {
            ParticleSystemCPU* const asked = msg->ValueOr<ParticleSystemCPU*>(nullptr);
            Message<bool> reply(MSG_GRAPHICS_PARTICLE_SYSTEM_VALID,
                                asked != nullptr && asked == m_system);
            SendMessage(&reply, fromId);
        }
        if (msg->type == MSG_SCRIPTING_LUA_STATE) {
            m_stateIds.push_back(msg->ValueOr<u32>(0xFFFFFFFFu));
        }
    }

    std::vector<Received> m_received;
    std::vector<ParticleSystemInfo> m_info;
    std::vector<u32> m_stateIds;
    // What a particle request is answered with.
    ParticleSystemCPU* m_system = nullptr;
};

// The "LUA ERROR: " lines of a block of standard output.
inline std::vector<std::string> ErrorLines(const std::string& output) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < output.size()) {
        std::size_t end = output.find('\n', start);
        if (end == std::string::npos) {
            end = output.size();
        }
        const std::string line = output.substr(start, end - start);
        if (line.rfind(LuaHandler::kErrorPrefix, 0) == 0) {
            lines.push_back(line);
        }
        start = end + 1;
    }
    return lines;
}

class LuaTest : public testing::Test {
  protected:
    static constexpr u32 kAskerId = 5;

    LuaTest() {
        m_handler.Bind(&m_root, LuaHandler::kHandlerId);
        m_graphics.Bind(&m_root, LuaHandler::kGraphicsProcessId);
        m_asker.Bind(&m_root, kAskerId);
        m_state.Bind(&m_root, LuaHandler::kDefaultObjectTarget);
        m_particleScripts.Bind(&m_root, LuaHandler::kParticleScriptProcessId);
    }

    // Runs the chunk in the current state and returns what it wrote to standard output.
    std::string Run(const std::string& chunk) {
        testing::internal::CaptureStdout();
        m_handler.DoString(chunk, "test");
        return testing::internal::GetCapturedStdout();
    }

    // Runs the chunk and expects no error.
    void RunClean(const std::string& chunk) {
        const std::string output = Run(chunk);
        EXPECT_TRUE(ErrorLines(output).empty()) << output;
    }

    // Runs the chunk and returns its one error line (empty when there is not exactly one).
    std::string RunFailing(const std::string& chunk) {
        const std::vector<std::string> errors = ErrorLines(Run(chunk));
        EXPECT_EQ(errors.size(), 1u);
        return errors.size() == 1 ? errors[0] : std::string();
    }

    void Send(BaseMessage&& msg) { m_asker.SendMessage(&msg, LuaHandler::kHandlerId); }

    lua_State* L() const { return m_handler.CurrentState(); }

    double Number(const char* global) {
        lua_getglobal(L(), global);
        EXPECT_TRUE(lua_isnumber(L(), -1)) << global;
        const double value = lua_tonumber(L(), -1);
        lua_pop(L(), 1);
        return value;
    }

    bool Boolean(const char* global) {
        lua_getglobal(L(), global);
        EXPECT_TRUE(lua_isboolean(L(), -1)) << global;
        const bool value = lua_toboolean(L(), -1) != 0;
        lua_pop(L(), 1);
        return value;
    }

    std::string String(const char* global) {
        lua_getglobal(L(), global);
        const char* const text = lua_tostring(L(), -1);
        std::string value = text != nullptr ? text : "<nil>";
        lua_pop(L(), 1);
        return value;
    }

    void* Pointer(const char* global) {
        lua_getglobal(L(), global);
        void* const value = lua_touserdata(L(), -1);
        lua_pop(L(), 1);
        return value;
    }

    void SetPointer(const char* global, void* pointer) {
        lua_pushlightuserdata(L(), pointer);
        lua_setglobal(L(), global);
    }

    MessageRouter m_root;
    LuaHandler m_handler;
    Recorder m_graphics;
    Recorder m_asker;
    Recorder m_particleScripts;
    FakeState m_state{{"Building", "Tank"}};
};

} // namespace lua_test
