#pragma once
// A game logic process on a router of its own, with recorders in place of the renderer,
// the level, the physics, the player and the AI, and a fake sound process whose instances
// are records of what was done with them.
#include <gtest/gtest.h>

#include <array>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "city/game_logic_process.h"
#include "core/handler_ids.h"
#include "core/message.h"
#include "core/message_router.h"
#include "game/sound_control.h"
#include "game/spawn_struct.h"
#include "platform/system/crt_rand.h"
#include "support/component_fixture.h"
#include "support/fake_sound.h"

namespace game_logic_fixture {

using fake_sound::FakeInstance;
using fake_sound::FakeSound;

class GameLogicTest : public ::testing::Test {
  protected:
    void SetUp() override { crt::SeedRand(7); }

    // A fresh process for the mode, bound with the recorders.
    GameLogicProcess& Make(bool endless, bool tutorial = false) {
        if (m_logic) {
            m_router.RemoveHandler(m_logic.get());
        }
        m_router.ClearQueue();
        m_logic = std::make_unique<GameLogicProcess>(endless, tutorial);
        m_logic->SetSoundControl(&m_sound);
        m_logic->Bind(&m_router, GameLogicProcess::kHandlerId);
        return *m_logic;
    }

    void SetUpRouter() {
        m_sound.Bind(&m_router, HANDLER_SOUND_PROCESS);
        m_graphics.Bind(&m_router, HANDLER_GRAPHICS_PROCESS);
        m_level.Bind(&m_router, HANDLER_LEVEL_STATE);
        m_physics.Bind(&m_router, HANDLER_PHYSX_PROCESS);
        m_player.Bind(&m_router, HANDLER_PLAYER_PROCESS);
        m_ai.Bind(&m_router, HANDLER_AI_VIEW_PROCESS);
        m_buildings.Bind(&m_router, HANDLER_BUILDING_PROCESS);
        m_game.Bind(&m_router, HANDLER_GAME);
    }

    GameLogicTest() { SetUpRouter(); }
    ~GameLogicTest() override {
        if (m_logic) {
            m_router.RemoveHandler(m_logic.get());
        }
    }

    void Send(u32 type) {
        BaseMessage msg(type);
        m_router.SendMessage(&msg, GameLogicProcess::kHandlerId, HANDLER_LEVEL_STATE);
    }
    template <class T> void Send(u32 type, const T& value) {
        Message<T> msg(type, value);
        m_router.SendMessage(&msg, GameLogicProcess::kHandlerId, HANDLER_LEVEL_STATE);
    }

    // The type names of the spawn requests the AI received, in order, and forgets them.
    std::vector<std::string> TakeSpawns() {
        std::vector<std::string> names;
        for (const auto& r : m_ai.received) {
            if (const SpawnStruct* s = r.message->Payload<SpawnStruct>()) {
                names.push_back(s->m_type_name);
            }
        }
        m_ai.received.clear();
        return names;
    }

    std::vector<double> XPSent() const {
        std::vector<double> sent;
        for (const auto& r : m_player.received) {
            if (r.message->type == MSG_PLAYER_XP) {
                sent.push_back(r.message->ValueOr<double>(-1.0));
            }
        }
        return sent;
    }

    MessageRouter m_router;
    FakeSound m_sound;
    component_fixture::MessageRecorder m_graphics;
    component_fixture::MessageRecorder m_level;
    component_fixture::MessageRecorder m_physics;
    component_fixture::MessageRecorder m_player;
    component_fixture::MessageRecorder m_ai;
    component_fixture::MessageRecorder m_buildings;
    component_fixture::MessageRecorder m_game;
    std::unique_ptr<GameLogicProcess> m_logic;
};

} // namespace game_logic_fixture
