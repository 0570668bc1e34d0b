#pragma once
// The two classes scripts use to reach the game: "LuaGameObject" wraps a GameObject and
// "LuaParticleSystem" a particle system. A script builds one by calling the global of the
// class's name with a pointer (a light userdata, such as CreateGameObject returns) and
// calls its methods with ':'. LuaHandler::RegisterGlobals installs both classes and the
// global functions into every state.
//
// A wrapper never owns what it points to. Each method reads its arguments from the top of
// the Lua stack (the last argument is -1) and returns the number of results it pushed.
// Methods that use the wrapped object raise a Lua error when it is null, as they do for a
// null pointer argument, so a typo in a script's type name is reported instead of
// crashing the game.

#include "core/types.h"

struct lua_State;
class GameObject;
class ParticleSystemCPU;

class LuaGameObject {
  public:
    static constexpr const char* kClassName = "LuaGameObject";
    using Target = GameObject;

    explicit LuaGameObject(GameObject* object) : m_object(object) {}

    int SetPosition(lua_State* L);
    int GetPosition(lua_State* L);
    int SetVelocity(lua_State* L);
    int GetVelocity(lua_State* L);
    // Nine numbers: the rows of a rotation matrix.
    int SetOrientation(lua_State* L);
    // A light userdata aiming at the object's own quaternion (x, y, z, w): it follows the
    // object's later turns.
    int GetOrientation(lua_State* L);
    int SetScale(lua_State* L);
    int GetScale(lua_State* L);
    int SetObject(lua_State* L);
    int GetObject(lua_State* L);
    // Appends (name, type name, value) to the object's per-instance parameters.
    int Stream(lua_State* L);
    // Has every component re-read the object's transform and parameters.
    int FinalizeMore(lua_State* L);
    int SetParent(lua_State* L);
    int AttachParticleSystem(lua_State* L);

    GameObject* m_object;

  private:
    // The wrapped object, after a Lua error when it is null or no longer exists.
    GameObject* Object(lua_State* L);

    // GameObject::Destructions() when m_object was last found live; kUnchecked before.
    static constexpr u64 kUnchecked = ~u64{0};
    u64 m_liveAt = kUnchecked;
};

class LuaParticleSystem {
  public:
    static constexpr const char* kClassName = "LuaParticleSystem";
    using Target = ParticleSystemCPU;

    explicit LuaParticleSystem(ParticleSystemCPU* system) : m_system(system) {}

    int GetParticleSystem(lua_State* L);
    // A value that is not a number sets 0.
    int SetBornDelayHigh(lua_State* L);
    int SetBornDelayLow(lua_State* L);

    ParticleSystemCPU* m_system;

  private:
    ParticleSystemCPU* System(lua_State* L) const;
};
