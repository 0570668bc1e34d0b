#pragma once
// Turns a level script into a running level. The level state asks for it as the successor
// of its resource loader, so it starts, on a lock-step thread of its own, once the
// resources are in. Its first update has the Lua handler run the script in a fresh Lua
// state (the script builds the level's objects), deletes that state, has the level and the
// renderer build their derived structures, runs every level process once, reports the
// level loaded and ends the process. Each step is timed and logged.
//
// Everything goes through messages sent without delay, so each has been handled when its
// send returns. A failing script, or a handler that throws, is logged and the sequence
// goes on, so the level always leaves its loading screen.
#include <string>

#include "core/handler_ids.h"
#include "core/process.h"
#include "core/types.h"

class GameStateLoaderProcess : public Process {
  public:
    static constexpr u32 kHandlerId = HANDLER_GAME_STATE_LOADER_PROCESS;
    // Started lock-step at this priority (time-critical) as the resource loader's successor.
    static constexpr int kThreadPriority = 15;
    static constexpr u32 kGraphicsProcessId = HANDLER_GRAPHICS_PROCESS;
    static constexpr u32 kLuaHandlerId = HANDLER_LUA_HANDLER;
    static constexpr u32 kLevelStateId = HANDLER_LEVEL_STATE;
    // The time step of the one update of the level's processes.
    static constexpr float kUpdateOnceStep = 0.0001f;

    explicit GameStateLoaderProcess(std::string scriptPath);
    ~GameStateLoaderProcess() override = default;

    // MSG_SCRIPTING_LUA_STATE: the id of the state created for the script.
    // MSG_LEVEL_OBJECT_CREATED: answered at once with MSG_LEVEL_DELETE_OBJECT of the same
    // object.
    void HandleMessage(BaseMessage* msg, u32 fromId) override;
    // Runs the script in its own Lua state, deletes the state and asks the level for its
    // octree and the renderer for its set-up.
    void Initialize() override;
    // The whole sequence on the first call; every call kills the process.
    void Update(float dt) override;

    const std::string& ScriptPath() const { return m_scriptPath; }
    u32 LuaStateId() const { return m_luaStateId; }

  private:
    // Durations of the logged steps, by the performance counter.
    class Timer {
      public:
        void Start();
        void Stop();
        // Seconds from Start to Stop; 0 while not stopped.
        double Elapsed() const;

      private:
        u64 m_start = 0;
        u64 m_stop = 0;
        bool m_stopped = false;
    };

    // Sends at once; a handler's exception is logged, so the messages after it still go.
    void Send(BaseMessage&& msg, u32 toId, const char* operation);

    std::string m_scriptPath;
    u32 m_luaStateId = 0;
    bool m_firstUpdate = true;
};
