#include "content/lua_handler.h"

#include <lua.hpp>

#include <algorithm>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <utility>

#include "content/file_package.h"
#include "content/level_files.h"
#include "content/particle_system_info.h"
#include "core/game_object.h"
#include "core/message.h"
#include "platform/system/log.h"

namespace {

// Its address keys the owning handler in each state's registry.
char g_ownerKey = 0;

LuaHandler* g_instance = nullptr;

void WriteLine(const std::string& text) {
    sys::LogLine(text);
}

void OpenLibrary(lua_State* L, lua_CFunction open, const char* name) {
    lua_pushcfunction(L, open);
    lua_pushstring(L, name);
    lua_call(L, 1, 0);
}

} // namespace

LuaHandler::LuaHandler() {
    g_instance = this;
    CreateState();
    m_current = m_states.at(0);
}

LuaHandler::~LuaHandler() {
    for (const auto& [id, L] : m_states) {
        lua_close(L);
    }
    for (lua_State* L : m_closeLater) {
        lua_close(L);
    }
    if (g_instance == this) {
        g_instance = nullptr;
    }
}

LuaHandler* LuaHandler::Instance() {
    return g_instance;
}

LuaHandler* LuaHandler::Owner(lua_State* L) {
    lua_pushlightuserdata(L, &g_ownerKey);
    lua_rawget(L, LUA_REGISTRYINDEX);
    LuaHandler* const owner = static_cast<LuaHandler*>(lua_touserdata(L, -1));
    lua_pop(L, 1);
    return owner;
}

void LuaHandler::HandleMessage(BaseMessage* msg, u32 fromId) {
    switch (msg->type) {
    case MSG_LEVEL_OBJECT_CREATED:
        m_lastObject = msg->ValueOr<GameObject*>(nullptr);
        break;
    case MSG_PARTICLE_SYSTEM:
        m_lastParticleSystem = msg->ValueOr<ParticleSystemCPU*>(nullptr);
        break;
    case MSG_GRAPHICS_PARTICLE_SYSTEM_VALID:
        m_particleSystemValid = msg->ValueOr<bool>(false) ? 1 : 0;
        break;
    case MSG_SCRIPTING_CREATE_LUA_STATE: {
        Message<u32> reply(MSG_SCRIPTING_LUA_STATE, CreateState());
        SendMessage(&reply, fromId);
        break;
    }
    // An id no state has (the fallback for a message without one) changes nothing.
    case MSG_SCRIPTING_DELETE_LUA_STATE:
        DeleteState(msg->ValueOr<u32>(kUnbound));
        break;
    case MSG_SCRIPTING_SWITCH_LUA_STATE:
        SwitchState(msg->ValueOr<u32>(kUnbound));
        break;
    case MSG_SCRIPTING_LOAD_SCRIPT:
        if (const std::string* path = msg->Payload<std::string>()) {
            LoadScript(*path);
        }
        break;
    case MSG_SCRIPTING_RUN_SCRIPT:
        if (const std::string* path = msg->Payload<std::string>()) {
            RunScript(*path);
        }
        break;
    case MSG_SCRIPTING_DO_SCRIPT:
        if (const std::string* path = msg->Payload<std::string>()) {
            DoScript(*path);
        }
        break;
    case MSG_SCRIPTING_CALL_FUNCTION:
        if (const std::string* name = msg->Payload<std::string>()) {
            CallFunction(*name);
        }
        break;
    case MSG_SCRIPTING_CALL_FUNCTION_FLOAT_ARG:
        if (const auto* call = msg->Payload<std::pair<std::string, float>>()) {
            CallFunctionFloat(call->first, call->second);
        }
        break;
    case MSG_SCRIPTING_CALL_FUNCTION_VECTOR_ARG:
        if (const auto* call = msg->Payload<std::pair<std::string, Vector>>()) {
            CallFunctionVector(call->first, call->second);
        }
        break;
    case MSG_SCRIPTING_CALL_FUNCTION_GAME_OBJECT_ARG:
        if (const auto* call = msg->Payload<std::pair<std::string, GameObject*>>()) {
            CallFunctionGameObject(call->first, call->second);
        }
        break;
    default:
        break;
    }
}

u32 LuaHandler::CreateState() {
    lua_State* const L = luaL_newstate();
    OpenLibrary(L, luaopen_base, "");
    OpenLibrary(L, luaopen_table, LUA_TABLIBNAME);
    OpenLibrary(L, luaopen_string, LUA_STRLIBNAME);
    OpenLibrary(L, luaopen_math, LUA_MATHLIBNAME);
    lua_pushlightuserdata(L, &g_ownerKey);
    lua_pushlightuserdata(L, this);
    lua_rawset(L, LUA_REGISTRYINDEX);
    RegisterGlobals(L);
    lua_settop(L, 0);

    const u32 stateId = m_nextId++;
    m_states.emplace(stateId, L);
    return stateId;
}

void LuaHandler::SwitchState(u32 stateId) {
    const auto found = m_states.find(stateId);
    if (found != m_states.end()) {
        m_current = found->second;
    }
}

void LuaHandler::DeleteState(u32 stateId) {
    // State 0 is the fallback of every deletion, so it stays for the handler's lifetime.
    const auto found = m_states.find(stateId);
    if (stateId == 0 || found == m_states.end()) {
        return;
    }
    lua_State* const L = found->second;
    m_states.erase(found);
    m_current = m_states.at(0);
    CloseState(L);
}

void LuaHandler::CloseState(lua_State* L) {
    if (m_callDepth > 0) {
        m_closeLater.push_back(L);
    } else {
        lua_close(L);
    }
}

u32 LuaHandler::CurrentStateId() const {
    const auto found = std::find_if(m_states.begin(), m_states.end(), [this](const auto& entry) {
        return entry.second == m_current;
    });
    return found->first;
}

void LuaHandler::SetPackagePaths(const std::string& levels, const std::string& particles) {
    m_levelsPackage = levels;
    m_particlesPackage = particles;
}

const std::string& LuaHandler::PackageFor(const std::string& scriptPath) const {
    return scriptPath.find("/particles") != std::string::npos ? m_particlesPackage
                                                              : m_levelsPackage;
}

std::unique_ptr<u8[]> LuaHandler::ReadScript(const std::string& path, u32& size) const {
    // Particle scripts come from their package only.
    if (path.find("/particles") != std::string::npos) {
        return FilePackage::Get(PackageFor(path))->GetFile(FilePackage::SplitPath(path), size);
    }
    return ReadLevelFile(PackageFor(path), path, size);
}

bool LuaHandler::Compile(const char* bytes, std::size_t size, const std::string& name) {
    lua_State* const L = m_current;
    if (luaL_loadbuffer(L, bytes, size, name.c_str()) != 0) {
        ReportError(L);
        return false;
    }
    lua_setfield(L, LUA_GLOBALSINDEX, name.c_str());
    return true;
}

void LuaHandler::CompileAndRun(const char* bytes, std::size_t size, const std::string& name) {
    if (Compile(bytes, size, name)) {
        ProtectedCall(PushGlobal(name), 0);
    }
}

void LuaHandler::DoScript(const std::string& path) {
    std::ostringstream line;
    line << path << " : " << static_cast<const void*>(m_current);
    WriteLine(line.str());
    u32 size = 0;
    if (const std::unique_ptr<u8[]> bytes = ReadScript(path, size)) {
        CompileAndRun(reinterpret_cast<const char*>(bytes.get()), size, path);
    }
}

void LuaHandler::DoString(const std::string& text, const std::string& name) {
    CompileAndRun(text.data(), text.size(), name);
}

void LuaHandler::LoadScript(const std::string& path) {
    if (IsLoaded(path)) {
        return;
    }
    u32 size = 0;
    const std::unique_ptr<u8[]> bytes = ReadScript(path, size);
    if (bytes && Compile(reinterpret_cast<const char*>(bytes.get()), size, path)) {
        m_loaded.insert(path);
    }
}

void LuaHandler::RunScript(const std::string& path) {
    if (IsLoaded(path)) {
        ProtectedCall(PushGlobal(path), 0);
    }
}

lua_State* LuaHandler::PushGlobal(const std::string& name) {
    lua_State* const L = m_current;
    lua_getfield(L, LUA_GLOBALSINDEX, name.c_str());
    return L;
}

void LuaHandler::ProtectedCall(lua_State* L, int nargs) {
    // The state may stop being current, or be deleted, while its script runs; it is
    // closed only once no call is left on the C stack.
    const int base = lua_gettop(L) - nargs - 1;
    ++m_callDepth;
    if (lua_pcall(L, nargs, 0, 0) != 0) {
        ReportError(L);
    }
    lua_settop(L, base);
    if (--m_callDepth == 0) {
        std::vector<lua_State*> closing;
        closing.swap(m_closeLater);
        for (lua_State* done : closing) {
            lua_close(done);
        }
    }
}

void LuaHandler::CallFunction(const std::string& name) {
    ProtectedCall(PushGlobal(name), 0);
}

void LuaHandler::CallFunctionFloat(const std::string& name, f32 value) {
    lua_State* const L = PushGlobal(name);
    lua_pushnumber(L, value);
    ProtectedCall(L, 1);
}

void LuaHandler::CallFunctionVector(const std::string& name, const Vector& value) {
    lua_State* const L = PushGlobal(name);
    lua_pushnumber(L, value.x);
    lua_pushnumber(L, value.y);
    lua_pushnumber(L, value.z);
    ProtectedCall(L, 3);
}

void LuaHandler::CallFunctionGameObject(const std::string& name, GameObject* object) {
    lua_State* const L = PushGlobal(name);
    lua_pushlightuserdata(L, object);
    ProtectedCall(L, 1);
}

void LuaHandler::ReportError(lua_State* L) {
    const char* const text = lua_tostring(L, -1);
    WriteLine(std::string(kErrorPrefix) +
              (text != nullptr ? text : "(error object is not a string)"));
    lua_pop(L, 1);
}

GameObject* LuaHandler::RequestGameObject(const std::string& typeName) {
    m_lastObject = nullptr;
    Message<std::string> request(MSG_LEVEL_CREATE_OBJECT, typeName);
    SendMessage(&request, m_objectTarget);
    return m_lastObject;
}

ParticleSystemCPU* LuaHandler::RequestParticleSystem(const std::string& name,
                                                     const Vector& position) {
    m_lastParticleSystem = nullptr;
    Message<ParticleSystemInfo> request(MSG_CREATE_PARTICLE_SYSTEM, {position, name});
    SendMessage(&request, kGraphicsProcessId);
    return m_lastParticleSystem;
}

bool LuaHandler::ValidateParticleSystem(ParticleSystemCPU* system) {
    m_particleSystemValid = 0;
    Message<ParticleSystemCPU*> question(MSG_GRAPHICS_PARTICLE_SYSTEM_VALID, system);
    SendMessage(&question, kGraphicsProcessId);
    return m_particleSystemValid != 0;
}
