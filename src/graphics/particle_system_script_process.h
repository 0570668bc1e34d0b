#pragma once
// Runs particle-effect scripts ("./assets/particles/nuke.lua" and the like): each script
// gets a Lua state of its own from the Lua handler, its "Initialize" is called once with a
// position or a game object, its "Update" every frame, and its state is deleted when the
// script asks to be killed. Everything goes through messages to the Lua handler, all sent
// at once, so each answer is in before the send returns.

#include <list>

#include "core/handler_ids.h"
#include "core/process.h"
#include "core/types.h"

class ParticleSystemScriptProcess : public Process {
  public:
    static constexpr u32 kHandlerId = HANDLER_PARTICLE_SYSTEM_SCRIPT_PROCESS;
    static constexpr u32 kLuaHandlerId = HANDLER_LUA_HANDLER;
    static constexpr u32 kNoState = 0xFFFFFFFFu;
    // The level's own Lua state, made current again after the scripts ran.
    static constexpr u32 kLevelState = 0;

    ParticleSystemScriptProcess() = default;
    ~ParticleSystemScriptProcess() override = default;

    void Update(float dt) override;
    void HandleMessage(BaseMessage* message, u32 fromId) override;

    const std::list<u32>& States() const { return m_states; }

  private:
    // Creates a state for the script and runs its top level; false when no state came back.
    bool StartScript(const std::string& path);

    std::list<u32> m_states;
    u32 m_announced = kNoState;
    u8 m_kill = 0;
};
