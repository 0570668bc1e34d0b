#include "content/lua_bindings.h"

#include <lua.hpp>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>
#include <iterator>
#include <limits>
#include <new>
#include <numbers>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "content/lua_handler.h"
#include "content/particle_system_link.h"
#include "core/component.h"
#include "core/component_type.h"
#include "core/game_object.h"
#include "core/math_functions.h"
#include "core/matrix.h"
#include "core/message.h"
#include "platform/system/crt_rand.h"

// Lua reports errors with longjmp, which skips C++ destructors: every function below
// finishes reading and checking its arguments before it builds a C++ object, and never
// calls into Lua while one is alive.

namespace {

template <class T> struct Method {
    const char* name;
    int (T::*call)(lua_State*);
};

template <class T> struct Methods;

template <> struct Methods<LuaGameObject> {
    static constexpr Method<LuaGameObject> list[] = {
        {"SetPosition", &LuaGameObject::SetPosition},
        {"GetPosition", &LuaGameObject::GetPosition},
        {"SetVelocity", &LuaGameObject::SetVelocity},
        {"GetVelocity", &LuaGameObject::GetVelocity},
        {"SetOrientation", &LuaGameObject::SetOrientation},
        {"GetOrientation", &LuaGameObject::GetOrientation},
        {"SetScale", &LuaGameObject::SetScale},
        {"GetScale", &LuaGameObject::GetScale},
        {"SetObject", &LuaGameObject::SetObject},
        {"GetObject", &LuaGameObject::GetObject},
        {"Stream", &LuaGameObject::Stream},
        {"FinalizeMore", &LuaGameObject::FinalizeMore},
        {"SetParent", &LuaGameObject::SetParent},
        {"AttachParticleSystem", &LuaGameObject::AttachParticleSystem},
    };
};

template <> struct Methods<LuaParticleSystem> {
    static constexpr Method<LuaParticleSystem> list[] = {
        {"GetParticleSystem", &LuaParticleSystem::GetParticleSystem},
        {"SetBornDelayHigh", &LuaParticleSystem::SetBornDelayHigh},
        {"SetBornDelayLow", &LuaParticleSystem::SetBornDelayLow},
    };
};

// C++ exceptions must not unwind through Lua's C frames: they become Lua errors here.
template <lua_CFunction F> int Guarded(lua_State* L) {
    char text[256] = "";
    try {
        return F(L);
    } catch (const std::exception& e) {
        std::snprintf(text, sizeof(text), "%s", e.what());
    } catch (const char* e) {
        std::snprintf(text, sizeof(text), "%s", e);
    } catch (...) {
        std::snprintf(text, sizeof(text), "unknown C++ exception");
    }
    return luaL_error(L, "%s", text);
}

// The stack index just below a method's `count` arguments, which are read from the top;
// the object's table (index 1) must stay below them.
int Arguments(lua_State* L, int count) {
    const int base = lua_gettop(L) - count;
    if (base < 1) {
        luaL_error(L, "this method takes %d argument(s)", count);
    }
    return base;
}

float CheckFloat(lua_State* L, int index) {
    return static_cast<float>(luaL_checknumber(L, index));
}

// Lua numbers are doubles; out of range values saturate and NaN gives 0.
i64 ToInteger(lua_Number number, i64 lo, i64 hi) {
    if (std::isnan(number)) {
        return 0;
    }
    if (number <= static_cast<lua_Number>(lo)) {
        return lo;
    }
    if (number >= static_cast<lua_Number>(hi)) {
        return hi;
    }
    return static_cast<i64>(number);
}

i32 ToInt32(lua_Number number) {
    return static_cast<i32>(
        ToInteger(number, std::numeric_limits<i32>::min(), std::numeric_limits<i32>::max()));
}

i32 CheckInt32(lua_State* L, int index) {
    return ToInt32(luaL_checknumber(L, index));
}

// A pointer argument: a light userdata, or nil for null. Anything else (a full userdata
// or a wrapper's table) would be taken for an address, so it is an error.
void* CheckPointer(lua_State* L, int index) {
    if (!lua_isnoneornil(L, index) && !lua_islightuserdata(L, index)) {
        luaL_typerror(L, index, "light userdata");
    }
    return lua_touserdata(L, index);
}

void* CheckNonNull(lua_State* L, int index, const char* what) {
    void* const pointer = CheckPointer(L, index);
    if (pointer == nullptr) {
        luaL_error(L, "%s is null", what);
    }
    return pointer;
}

// Scripts hold objects and particle systems as bare addresses and may hand any address
// back (an orientation where an object is expected, one of a deleted object): each is
// checked against what exists before it is used.
bool IsLiveSystem(const ParticleSystemCPU* system) {
    ParticleSystemLink* const link = ParticleSystemLink::Installed();
    return link != nullptr && link->IsLive(system);
}

GameObject* CheckObject(lua_State* L, int index, bool nullable, const char* what) {
    void* const pointer = nullable ? CheckPointer(L, index) : CheckNonNull(L, index, what);
    if (pointer != nullptr && !GameObject::IsLive(pointer)) {
        luaL_error(L, "%s is not a live game object", what);
    }
    return static_cast<GameObject*>(pointer);
}

ParticleSystemCPU* CheckSystem(lua_State* L, int index, bool nullable, const char* what) {
    void* const pointer = nullable ? CheckPointer(L, index) : CheckNonNull(L, index, what);
    auto* const system = static_cast<ParticleSystemCPU*>(pointer);
    if (system != nullptr && !IsLiveSystem(system)) {
        luaL_error(L, "%s is not a live particle system", what);
    }
    return system;
}

template <class T> typename T::Target* CheckTarget(lua_State* L, int index);

template <> GameObject* CheckTarget<LuaGameObject>(lua_State* L, int index) {
    return CheckObject(L, index, true, "the object");
}

template <> ParticleSystemCPU* CheckTarget<LuaParticleSystem>(lua_State* L, int index) {
    return CheckSystem(L, index, true, "the particle system");
}

void PushVector(lua_State* L, const Vector& v) {
    lua_pushnumber(L, v.x);
    lua_pushnumber(L, v.y);
    lua_pushnumber(L, v.z);
}

Vector CheckVector(lua_State* L, int base) {
    const float x = CheckFloat(L, base + 1);
    const float y = CheckFloat(L, base + 2);
    const float z = CheckFloat(L, base + 3);
    return Vector(x, y, z);
}

// --- classes ---

// A class's wrapper block is told from any other userdata by its metatable, which every
// closure of the class holds as an upvalue: no registry or string lookup per call.
constexpr int kMethodSlot = 1; // a method closure's place in its class's list
constexpr int kClassSlot = 2;  // the wrapper blocks' metatable

// Wrappers hold a bare pointer and own nothing, so Lua frees their blocks without a
// finalizer (a __gc would queue every block for a call at collection).
static_assert(std::is_trivially_destructible_v<LuaGameObject> &&
              std::is_trivially_destructible_v<LuaParticleSystem>);

template <class T> T* ToClass(lua_State* L, int index, int metatable) {
    void* const block = lua_touserdata(L, index);
    if (block == nullptr || lua_islightuserdata(L, index) || !lua_getmetatable(L, index)) {
        return nullptr;
    }
    const bool same = lua_rawequal(L, -1, metatable) != 0;
    lua_pop(L, 1);
    return same ? static_cast<T*>(block) : nullptr;
}

template <class T> int CallMethod(lua_State* L) {
    constexpr int kCount = static_cast<int>(std::size(Methods<T>::list));
    const lua_Number position = lua_tonumber(L, lua_upvalueindex(kMethodSlot));
    const int index = static_cast<int>(position);
    if (index < 0 || index >= kCount) {
        return luaL_error(L, "%s has no method %f", T::kClassName, position);
    }
    const Method<T>& method = Methods<T>::list[index];
    if (!lua_istable(L, 1)) {
        return luaL_error(L, "%s:%s needs its object: call it with ':'", T::kClassName,
                          method.name);
    }
    lua_rawgeti(L, 1, 0);
    T* const self = ToClass<T>(L, -1, lua_upvalueindex(kClassSlot));
    if (self == nullptr) {
        return luaL_error(L, "%s:%s called on an object that is not a %s", T::kClassName,
                          method.name, T::kClassName);
    }
    lua_pop(L, 1);
    return (self->*method.call)(L);
}

// The script-side object: a table holding the wrapper's userdata at key 0, whose metatable
// finds the class's methods, each closure knowing its place in the method list. The
// constructor's upvalues are the wrapper blocks' metatable and the objects' metatable.
template <class T> int Construct(lua_State* L) {
    auto* const target = CheckTarget<T>(L, 1);
    lua_createtable(L, 0, 1);
    void* const block = lua_newuserdata(L, sizeof(T));
    new (block) T(target);
    lua_pushvalue(L, lua_upvalueindex(1));
    lua_setmetatable(L, -2);
    lua_rawseti(L, -2, 0);
    lua_pushvalue(L, lua_upvalueindex(2));
    lua_setmetatable(L, -2);
    return 1;
}

template <class T> void RegisterClass(lua_State* L) {
    // The wrapper blocks' metatable, also kept under the class's name in the registry.
    luaL_newmetatable(L, T::kClassName);
    // The objects' metatable and its method table.
    lua_createtable(L, 0, 1);
    lua_createtable(L, 0, static_cast<int>(std::size(Methods<T>::list)));
    int position = 0;
    for (const Method<T>& method : Methods<T>::list) {
        lua_pushnumber(L, position++);
        lua_pushvalue(L, -4);
        lua_pushcclosure(L, Guarded<CallMethod<T>>, 2);
        lua_setfield(L, -2, method.name);
    }
    lua_setfield(L, -2, "__index");
    lua_pushcclosure(L, Guarded<Construct<T>>, 2);
    lua_setglobal(L, T::kClassName);
}

// --- the "Stream" encoding ---

// The value split at every comma and space, empty pieces skipped; components the text
// does not give, or gives as no number, stay 0. Numbers are read in the C locale's form
// whatever the program's locale, as the level writer puts them.
void ParseComponents(const char* text, float* out, int count) {
    int filled = 0;
    const char* p = text;
    while (*p != '\0' && filled < count) {
        while (*p == ',' || *p == ' ') {
            ++p;
        }
        const char* const end = p + std::strcspn(p, ", ");
        if (end != p) {
            // from_chars takes no sign of plus.
            const char* const digits = *p == '+' ? p + 1 : p;
            float value = 0.0f;
            std::from_chars(digits, end, value);
            out[filled++] = value;
        }
        p = end;
    }
}

void StreamValue(lua_State* L, StreamMap& stream, const char* name, const char* type,
                 int valueIndex) {
    using ValueType = StreamMap::ValueType;
    const ValueType kind = StreamMap::TypeOf(type);
    const char* text = nullptr;
    lua_Number number = 0.0;
    switch (kind) {
    case ValueType::String:
    case ValueType::Vector3:
    case ValueType::Vector4:
        text = luaL_checkstring(L, valueIndex);
        break;
    case ValueType::Int:
    case ValueType::Long:
    case ValueType::Float:
    case ValueType::Double:
        number = luaL_checknumber(L, valueIndex);
        break;
    case ValueType::Bool:
        number = lua_toboolean(L, valueIndex);
        break;
    case ValueType::Other:
        break;
    }

    float xyzw[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    switch (kind) {
    case ValueType::String:
        stream.AddString(name, text);
        break;
    case ValueType::Int:
        stream.AddInt(name, ToInt32(number));
        break;
    case ValueType::Long:
        stream.AddLong(name, ToInt32(number));
        break;
    case ValueType::Float:
        stream.AddFloat(name, static_cast<float>(number));
        break;
    case ValueType::Double:
        stream.AddDouble(name, number);
        break;
    case ValueType::Bool:
        stream.AddBool(name, number != 0.0);
        break;
    case ValueType::Vector3:
        ParseComponents(text, xyzw, 3);
        stream.AddVector3(name, xyzw[0], xyzw[1], xyzw[2]);
        break;
    case ValueType::Vector4:
        ParseComponents(text, xyzw, 4);
        stream.AddVector4(name, xyzw);
        break;
    case ValueType::Other:
        // The entry is recorded with no bytes; an empty write first puts the cursor where
        // the next value will start, as it would after reads.
        stream.Write(nullptr, 0);
        stream.AddValue(name, type, stream.Cursor());
        break;
    }
}

// --- globals ---

LuaHandler* Handler(lua_State* L) {
    return LuaHandler::Owner(L);
}

int CreateGameObject(lua_State* L) {
    const char* const typeName = luaL_checkstring(L, 1);
    LuaHandler* const handler = Handler(L);
    lua_pushlightuserdata(L, handler != nullptr ? handler->RequestGameObject(typeName) : nullptr);
    return 1;
}

int CreateParticleSystem(lua_State* L) {
    const int count = lua_gettop(L);
    if (count != 1 && count != 4) {
        return luaL_error(L, "CreateParticleSystem takes a name, or a name and x, y, z");
    }
    const char* const name = luaL_checkstring(L, 1);
    ParticleSystemCPU* system = nullptr;
    if (count == 1) {
        if (ParticleSystemLink* const link = ParticleSystemLink::Installed()) {
            system = link->Create(name);
        }
    } else {
        const Vector position = CheckVector(L, 1);
        if (LuaHandler* const handler = Handler(L)) {
            system = handler->RequestParticleSystem(name, position);
        }
    }
    lua_pushlightuserdata(L, system);
    return 1;
}

int ValidateParticleSystem(lua_State* L) {
    auto* const system = static_cast<ParticleSystemCPU*>(CheckPointer(L, 1));
    LuaHandler* const handler = Handler(L);
    lua_pushboolean(L, handler != nullptr && handler->ValidateParticleSystem(system));
    return 1;
}

int KillParticleSystemScript(lua_State* L) {
    if (LuaHandler* const handler = Handler(L)) {
        BaseMessage kill(MSG_PARTICLE_SYSTEM_SCRIPT_KILL);
        handler->SendMessage(&kill, LuaHandler::kParticleScriptProcessId);
    }
    return 0;
}

int Valid(lua_State* L) {
    lua_pushboolean(L, lua_touserdata(L, 1) != nullptr);
    return 1;
}

int Pi(lua_State* L) {
    lua_pushnumber(L, std::numbers::pi_v<float>);
    return 1;
}

int Cos(lua_State* L) {
    lua_pushnumber(L, Math::Cos(CheckFloat(L, 1)));
    return 1;
}

int Sin(lua_State* L) {
    lua_pushnumber(L, Math::Sin(CheckFloat(L, 1)));
    return 1;
}

// lo + (r mod (hi - lo)): lo up to hi, hi itself excluded. With hi below lo the values run
// down from lo instead of past it.
int Rand(lua_State* L) {
    const i64 lo = CheckInt32(L, 1);
    const i64 hi = CheckInt32(L, 2);
    const i64 r = crt::Rand();
    i64 value = lo;
    if (hi > lo) {
        value = lo + r % (hi - lo);
    } else if (hi < lo) {
        value = lo - r % (lo - hi);
    }
    lua_pushnumber(L, static_cast<lua_Number>(value));
    return 1;
}

int FRand(lua_State* L) {
    const float lo = CheckFloat(L, 1);
    const float hi = CheckFloat(L, 2);
    const float steps = CheckFloat(L, 3);
    lua_pushnumber(L, Math::RandomRange(lo, hi, steps));
    return 1;
}

int GetNull(lua_State* L) {
    lua_pushlightuserdata(L, nullptr);
    return 1;
}

int QuatTimesVector(lua_State* L) {
    const void* const pointer = CheckNonNull(L, 1, "the quaternion");
    const GameObject* const owner = GameObject::OwnerOfOrientation(pointer);
    if (owner == nullptr) {
        return luaL_error(L, "the quaternion is not the orientation of a live game object");
    }
    const Quaternion* const q = &owner->orientation;
    const Vector v = CheckVector(L, 1);
    PushVector(L, Math::RotateByQuaternion(v, *q));
    return 3;
}

template <u32 kType> int SendGraphicsFloat(lua_State* L) {
    const float value = CheckFloat(L, 1);
    if (LuaHandler* const handler = Handler(L)) {
        Message<float> setting(kType, value);
        handler->SendMessage(&setting, LuaHandler::kGraphicsProcessId);
    }
    return 0;
}

const luaL_Reg kGlobals[] = {
    {"CreateGameObject", Guarded<CreateGameObject>},
    {"CreateParticleSystem", Guarded<CreateParticleSystem>},
    {"ValidateParticleSystem", Guarded<ValidateParticleSystem>},
    {"KillParticleSystemScript", Guarded<KillParticleSystemScript>},
    {"Valid", Valid},
    {"PI", Pi},
    {"cos", Cos},
    {"sin", Sin},
    {"Rand", Rand},
    {"FRand", FRand},
    {"GetNULL", GetNull},
    {"QuatTimesVector", Guarded<QuatTimesVector>},
    {"SetHDRExposure", Guarded<SendGraphicsFloat<MSG_GRAPHICS_SET_EXPOSURE_VALUE>>},
    {"SetLightMultiplier", Guarded<SendGraphicsFloat<MSG_GRAPHICS_SET_LIGHT_MULTIPLIER>>},
    {"MotionBlur", Guarded<SendGraphicsFloat<MSG_GRAPHICS_MOTION_BLUR>>},
};

} // namespace

void LuaHandler::RegisterGlobals(lua_State* L) {
    RegisterClass<LuaGameObject>(L);
    RegisterClass<LuaParticleSystem>(L);
    for (const luaL_Reg& global : kGlobals) {
        lua_register(L, global.name, global.func);
    }
}

// --- LuaGameObject ---

GameObject* LuaGameObject::Object(lua_State* L) {
    if (m_object == nullptr) {
        luaL_error(L, "%s holds no object (is its type defined?)", kClassName);
    }
    // Looked up again only after some object has gone, not on every call of a script.
    const u64 destructions = GameObject::Destructions();
    if (m_liveAt != destructions) {
        if (!GameObject::IsLive(m_object)) {
            luaL_error(L, "%s holds an object that no longer exists", kClassName);
        }
        m_liveAt = destructions;
    }
    return m_object;
}

int LuaGameObject::SetPosition(lua_State* L) {
    GameObject* const object = Object(L);
    object->SetPosition(CheckVector(L, Arguments(L, 3)));
    return 0;
}

int LuaGameObject::GetPosition(lua_State* L) {
    PushVector(L, Object(L)->position);
    return 3;
}

int LuaGameObject::SetVelocity(lua_State* L) {
    GameObject* const object = Object(L);
    object->SetVelocity(CheckVector(L, Arguments(L, 3)));
    return 0;
}

int LuaGameObject::GetVelocity(lua_State* L) {
    PushVector(L, Object(L)->velocity);
    return 3;
}

int LuaGameObject::SetOrientation(lua_State* L) {
    GameObject* const object = Object(L);
    const int base = Arguments(L, 9);
    float m[9];
    for (int i = 0; i < 9; ++i) {
        m[i] = CheckFloat(L, base + 1 + i);
    }
    const Matrix rotation =
        Matrix::FromRotation(m[0], m[1], m[2], m[3], m[4], m[5], m[6], m[7], m[8]);
    object->SetOrientation(Math::QuaternionRotationMatrix(rotation));
    return 0;
}

int LuaGameObject::GetOrientation(lua_State* L) {
    lua_pushlightuserdata(L, &Object(L)->orientation);
    return 1;
}

int LuaGameObject::SetScale(lua_State* L) {
    GameObject* const object = Object(L);
    object->SetScale(CheckVector(L, Arguments(L, 3)));
    return 0;
}

int LuaGameObject::GetScale(lua_State* L) {
    PushVector(L, Object(L)->scale);
    return 3;
}

int LuaGameObject::SetObject(lua_State* L) {
    m_object = CheckObject(L, Arguments(L, 1) + 1, true, "the object");
    m_liveAt = kUnchecked;
    return 0;
}

int LuaGameObject::GetObject(lua_State* L) {
    lua_pushlightuserdata(L, m_object);
    return 1;
}

int LuaGameObject::Stream(lua_State* L) {
    GameObject* const object = Object(L);
    const int base = Arguments(L, 3);
    const char* const name = luaL_checkstring(L, base + 1);
    const char* const type = luaL_checkstring(L, base + 2);
    StreamValue(L, object->parameters, name, type, base + 3);
    return 0;
}

int LuaGameObject::FinalizeMore(lua_State* L) {
    Object(L)->NotifyComponents();
    return 0;
}

int LuaGameObject::SetParent(lua_State* L) {
    GameObject* const object = Object(L);
    GameObject* const parent = CheckObject(L, Arguments(L, 1) + 1, false, "the parent");
    for (const GameObject* above = parent; above != nullptr; above = above->parentObject) {
        if (above == object) {
            return luaL_error(L, "SetParent would make the object its own ancestor");
        }
    }
    // An object sits in one parent's child list only, or destroying the old parent would
    // reach a child that no longer points back at it.
    if (object->parentObject != nullptr && object->parentObject != parent) {
        object->parentObject->RemoveChildObject(object);
    }
    if (object->parentObject != parent) {
        object->parentObject = parent;
        parent->childObjects.push_back(object);
    }
    return 0;
}

int LuaGameObject::AttachParticleSystem(lua_State* L) {
    GameObject* const object = Object(L);
    ParticleSystemCPU* const system =
        CheckSystem(L, Arguments(L, 1) + 1, false, "the particle system");
    if (ParticleSystemLink* const link = ParticleSystemLink::Installed()) {
        Component* const component = link->AsComponent(system);
        // A system rides on one object at a time: attached again, it leaves the first.
        if (component->owner != nullptr && component->owner != object) {
            component->owner->RemoveComponent(component, false);
        }
        if (component->owner != object) {
            object->AddComponent(ComponentType::ParticleSystem, component);
        }
    }
    return 0;
}

// --- LuaParticleSystem ---

ParticleSystemCPU* LuaParticleSystem::System(lua_State* L) const {
    if (m_system == nullptr) {
        luaL_error(L, "%s holds no particle system", kClassName);
    }
    if (!IsLiveSystem(m_system)) {
        luaL_error(L, "%s holds a particle system that no longer exists", kClassName);
    }
    return m_system;
}

int LuaParticleSystem::GetParticleSystem(lua_State* L) {
    lua_pushlightuserdata(L, m_system);
    return 1;
}

namespace {

// The two bounds read their number unchecked: anything else sets 0.
int SetBornDelay(lua_State* L, ParticleSystemCPU* system,
                 void (ParticleSystemLink::*set)(ParticleSystemCPU*, float)) {
    const float seconds = static_cast<float>(lua_tonumber(L, Arguments(L, 1) + 1));
    if (ParticleSystemLink* const link = ParticleSystemLink::Installed()) {
        (link->*set)(system, seconds);
    }
    return 0;
}

} // namespace

int LuaParticleSystem::SetBornDelayHigh(lua_State* L) {
    return SetBornDelay(L, System(L), &ParticleSystemLink::SetBornDelayHigh);
}

int LuaParticleSystem::SetBornDelayLow(lua_State* L) {
    return SetBornDelay(L, System(L), &ParticleSystemLink::SetBornDelayLow);
}
