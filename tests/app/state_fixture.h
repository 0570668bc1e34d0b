#pragma once
// Game states built as the Game builds them, below a router that stands for the Game's,
// without renderer, sound or input processes: stand-in handlers at the Game's, the
// renderer's, the sound's and the input's ids write every message they receive into one
// journal, so the order across handlers shows. The parser holds the object types a test
// defines; HOME and the working folder are a temporary folder, so no package is found.

#include <gtest/gtest.h>

#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "audio/sound_instance.h"
#include "content/lua_handler.h"
#include "content/parser_process.h"
#include "content/resource_loader_process.h"
#include "core/game_object.h"
#include "core/globals.h"
#include "core/message.h"
#include "core/message_router.h"
#include "core/threaded_process.h"
#include "game/game_state.h"
#include "game/handler_id.h"
#include "game/player_info.h"
#include "game/shell_globals.h"
#include "support/scoped_temp_home.h"

namespace state_fixture {

// Lines "<handler id>:<message name>[ <payload>]" in arrival order. Loader threads may write
// too, hence the lock.
class Journal {
  public:
    void Add(std::string line) {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_lines.push_back(std::move(line));
    }
    std::vector<std::string> Lines() const {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return m_lines;
    }
    void Clear() {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_lines.clear();
    }

  private:
    mutable std::mutex m_mutex;
    std::vector<std::string> m_lines;
};

inline std::string Describe(u32 handlerId, const BaseMessage& msg) {
    std::ostringstream line;
    line << handlerId << ':' << MessageTypeName(msg.type);
    double number = 0.0;
    if (msg.NumericValue(&number)) {
        line << ' ' << number;
    } else if (const auto* text = msg.Payload<std::string>()) {
        line << ' ' << *text;
    }
    return line.str();
}

// Journals what reaches it and answers what the real process would answer at once.
class StandIn : public MessageHandler {
  public:
    StandIn(Journal& journal, u32 handlerId) : m_journal(journal), m_handler_id(handlerId) {}

    void HandleMessage(BaseMessage* msg, u32 fromId) override {
        m_journal.Add(Describe(m_handler_id, *msg));
        if (msg->type == MSG_GRAPHICS_GET_THREE_DEE_SETTING) {
            if (unsigned int* const* setting = msg->Payload<unsigned int*>()) {
                **setting = threeDee;
            }
        } else if (msg->type == MSG_GET_SOUND_STREAM_INSTANCE) {
            Message<SoundInstance*> reply(MSG_SOUND_INSTANCE, nullptr);
            SendMessage(&reply, fromId);
        } else if (msg->type == MSG_PLAYER_CAMERA) {
            if (const auto* info = msg->Payload<PlayerInfo>()) {
                camera = *info;
            }
        }
    }

    // What the renderer's 3D setting reads as.
    unsigned int threeDee = 7;
    PlayerInfo camera;

  private:
    Journal& m_journal;
    u32 m_handler_id;
};

class StateFixture : public ::testing::Test {
  protected:
    StateFixture() {
        ResourceLoaderProcess::ClearShared();
        game.Bind(&root, HANDLER_GAME);
        graphics.Bind(&root, HANDLER_GRAPHICS_PROCESS);
        sound.Bind(&root, HANDLER_SOUND_PROCESS);
        input.Bind(&root, HANDLER_INPUT_CONTROLS);
        lua.Bind(&root, HANDLER_LUA_HANDLER);
    }
    ~StateFixture() override {
        ResourceLoaderProcess::ClearShared();
        LevelPath = DEFAULT_LEVEL_PATH;
        g_editor_test = false;
    }

    // Object types without components.
    void Define(std::initializer_list<const char*> typeNames) {
        for (const char* typeName : typeNames) {
            parser.m_definitions[typeName];
        }
    }

    template <class State> std::unique_ptr<State> Make(const std::string& name) {
        return std::make_unique<State>(name, nullptr, nullptr, nullptr, &lua, &parser, &root);
    }

    std::vector<std::string> Lines() const { return journal.Lines(); }

    static std::vector<std::string> ObjectNames(const GameState& state) {
        std::vector<std::string> names;
        for (const GameObject* object : state.Objects()) {
            names.push_back(object->name);
        }
        return names;
    }

    // The state's one threaded process: a resource loader running freely at the priority.
    // Null, with the failure recorded, when there is not exactly one.
    static const ResourceLoaderProcess* SoleFreeRunningLoader(const GameState& state,
                                                              int priority) {
        const auto& threaded = state.m_threaded_process_manager.threadedProcesses;
        EXPECT_EQ(threaded.size(), 1u);
        if (threaded.size() != 1) {
            return nullptr;
        }
        EXPECT_FALSE(threaded.front()->lockStep);
        EXPECT_EQ(threaded.front()->priority, priority);
        return dynamic_cast<const ResourceLoaderProcess*>(threaded.front()->process.get());
    }

    ScopedTempHome home;
    MessageRouter root;
    Journal journal;
    StandIn game{journal, HANDLER_GAME};
    StandIn graphics{journal, HANDLER_GRAPHICS_PROCESS};
    StandIn sound{journal, HANDLER_SOUND_PROCESS};
    StandIn input{journal, HANDLER_INPUT_CONTROLS};
    LuaHandler lua;
    ParserProcess parser;
};

} // namespace state_fixture
