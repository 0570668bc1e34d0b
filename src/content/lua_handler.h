#pragma once
// The owner of every Lua state of the program. States are numbered by small ids; state 0
// exists from construction to destruction and every script operation runs in the current
// state. The Game registers the one instance as handler 4 and drives it by message.
//
// Script errors never leave the handler: each one is written to the standard output as a
// "LUA ERROR: " line, the operation ends and the state stays usable.

#include <map>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "core/asset_paths.h"
#include "core/handler_ids.h"
#include "core/message_handler.h"
#include "core/types.h"

struct lua_State;
class GameObject;
class ParticleSystemCPU;
class Vector;

class LuaHandler : public MessageHandler {
  public:
    static constexpr u32 kHandlerId = HANDLER_LUA_HANDLER;
    // Where the bindings send their requests.
    static constexpr u32 kGraphicsProcessId = HANDLER_GRAPHICS_PROCESS;
    static constexpr u32 kParticleScriptProcessId = HANDLER_PARTICLE_SYSTEM_SCRIPT_PROCESS;
    // The id the running level state has; object requests go there until a state says
    // otherwise.
    static constexpr u32 kDefaultObjectTarget = 6;
    static constexpr const char* kLevelsPackage = asset_path::kLevelsPackage;
    static constexpr const char* kParticlesPackage = asset_path::kParticlesPackage;
    static constexpr const char* kErrorPrefix = "LUA ERROR: ";

    // Unbound; creates state 0 and makes it current.
    LuaHandler();
    // Closes every state.
    ~LuaHandler() override;
    LuaHandler(const LuaHandler&) = delete;
    LuaHandler& operator=(const LuaHandler&) = delete;

    // The handler constructed last and not yet destroyed, or null.
    static LuaHandler* Instance();
    // The handler that owns state L, or null.
    static LuaHandler* Owner(lua_State* L);

    void HandleMessage(BaseMessage* msg, u32 fromId) override;

    // A new state with the base, table, string and math libraries and the game's bindings;
    // returns its id. Ids are never reused.
    u32 CreateState();
    // An id that names no state leaves the current state alone.
    void SwitchState(u32 id);
    // Closes the state and falls back to state 0. State 0 and ids that name no state are
    // ignored. A state that is running a script is closed once that script returns.
    void DeleteState(u32 id);

    // Compiles the script, keeps the chunk in the global named by the path and runs it.
    void DoScript(const std::string& path);
    // The same for a script given as text; name is its chunk name and global.
    void DoString(const std::string& text, const std::string& name);
    // Compiles the script into the global named by the path, once; a script that failed to
    // compile may be loaded again.
    void LoadScript(const std::string& path);
    // Runs a script loaded with LoadScript; other paths do nothing.
    void RunScript(const std::string& path);

    // Call the global function of that name; results are dropped.
    void CallFunction(const std::string& name);
    void CallFunctionFloat(const std::string& name, f32 value);
    void CallFunctionVector(const std::string& name, const Vector& value);
    void CallFunctionGameObject(const std::string& name, GameObject* object);

    // Requests answered by other handlers before the send returns.
    GameObject* RequestGameObject(const std::string& typeName);
    ParticleSystemCPU* RequestParticleSystem(const std::string& name, const Vector& position);
    bool ValidateParticleSystem(ParticleSystemCPU* system);

    // The handler id of the game state that builds objects for scripts.
    void SetObjectTarget(u32 target) { m_objectTarget = target; }
    u32 ObjectTarget() const { return m_objectTarget; }

    // Where scripts are read from: paths containing "/particles" come from the particles
    // package, all others from the levels package.
    void SetPackagePaths(const std::string& levels, const std::string& particles);
    const std::string& PackageFor(const std::string& scriptPath) const;

    lua_State* CurrentState() const { return m_current; }
    // The id of the current state.
    u32 CurrentStateId() const;
    bool HasState(u32 id) const { return m_states.count(id) != 0; }
    std::size_t StateCount() const { return m_states.size(); }
    bool IsLoaded(const std::string& path) const { return m_loaded.count(path) != 0; }

  private:
    // The script's bytes from its package; null (after the package's own message) when
    // there are none.
    std::unique_ptr<u8[]> ReadScript(const std::string& path, u32& size) const;
    // Compiles into the global named `name` of the current state; false after reporting a
    // compile error.
    bool Compile(const char* bytes, std::size_t size, const std::string& name);
    void CompileAndRun(const char* bytes, std::size_t size, const std::string& name);
    // Pushes the global function of that name on the current state and returns the state.
    lua_State* PushGlobal(const std::string& name);
    // Calls the function below its nargs arguments, reports any error and clears what the
    // call left on the stack.
    void ProtectedCall(lua_State* L, int nargs);
    // Writes the error text on top of the stack and pops it.
    static void ReportError(lua_State* L);
    void CloseState(lua_State* L);

    static void RegisterGlobals(lua_State* L);

    std::map<u32, lua_State*> m_states;
    lua_State* m_current = nullptr;
    std::unordered_set<std::string> m_loaded;
    GameObject* m_lastObject = nullptr;
    ParticleSystemCPU* m_lastParticleSystem = nullptr;
    u8 m_particleSystemValid = 0;
    u32 m_objectTarget = kDefaultObjectTarget;
    u32 m_nextId = 0;

    std::string m_levelsPackage = kLevelsPackage;
    std::string m_particlesPackage = kParticlesPackage;
    // Calls in progress; states deleted meanwhile wait here until the outermost returns.
    u32 m_callDepth = 0;
    std::vector<lua_State*> m_closeLater;
};
