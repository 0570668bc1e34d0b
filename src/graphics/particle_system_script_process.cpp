#include "graphics/particle_system_script_process.h"

#include <string>
#include <utility>

#include "core/game_object.h"
#include "core/message.h"

bool ParticleSystemScriptProcess::StartScript(const std::string& path) {
    m_announced = kNoState;
    BaseMessage create(MSG_SCRIPTING_CREATE_LUA_STATE);
    SendMessage(&create, kLuaHandlerId);
    if (m_announced == kNoState) {
        return false;
    }
    const u32 state = m_announced;
    m_states.push_back(state);
    Message<unsigned int> current(MSG_SCRIPTING_SWITCH_LUA_STATE, state);
    SendMessage(&current, kLuaHandlerId);
    Message<std::string> run(MSG_SCRIPTING_DO_SCRIPT, path);
    SendMessage(&run, kLuaHandlerId);
    return true;
}

void ParticleSystemScriptProcess::HandleMessage(BaseMessage* message, u32) {
    switch (message->type) {
    case MSG_SCRIPTING_LUA_STATE:
        m_announced = message->ValueOr<unsigned int>(kNoState);
        break;
    case MSG_PARTICLE_SYSTEM_SCRIPT_CREATE_SCRIPT_VECTOR:
        if (const auto* request = message->Payload<std::pair<std::string, Vector>>()) {
            // The request may be a clone that the router deletes once this returns.
            const std::pair<std::string, Vector> copy = *request;
            if (StartScript(copy.first)) {
                Message<std::pair<std::string, Vector>> call(MSG_SCRIPTING_CALL_FUNCTION_VECTOR_ARG,
                                                             {"Initialize", copy.second});
                SendMessage(&call, kLuaHandlerId);
            }
        }
        break;
    case MSG_PARTICLE_SYSTEM_SCRIPT_CREATE_SCRIPT_GAME_OBJECT:
        if (const auto* request = message->Payload<std::pair<std::string, GameObject*>>()) {
            const std::pair<std::string, GameObject*> copy = *request;
            if (StartScript(copy.first)) {
                Message<std::pair<std::string, GameObject*>> call(
                    MSG_SCRIPTING_CALL_FUNCTION_GAME_OBJECT_ARG, {"Initialize", copy.second});
                SendMessage(&call, kLuaHandlerId);
            }
        }
        break;
    case MSG_PARTICLE_SYSTEM_SCRIPT_KILL:
        m_kill = 1;
        break;
    default:
        break;
    }
}

void ParticleSystemScriptProcess::Update(float dt) {
    for (auto it = m_states.begin(); it != m_states.end();) {
        const u32 state = *it;
        m_kill = 0;
        Message<unsigned int> current(MSG_SCRIPTING_SWITCH_LUA_STATE, state);
        SendMessage(&current, kLuaHandlerId);
        Message<std::pair<std::string, float>> call(MSG_SCRIPTING_CALL_FUNCTION_FLOAT_ARG,
                                                    {"Update", dt});
        SendMessage(&call, kLuaHandlerId);
        if (m_kill != 0) {
            Message<unsigned int> remove(MSG_SCRIPTING_DELETE_LUA_STATE, state);
            SendMessage(&remove, kLuaHandlerId);
            it = m_states.erase(it);
        } else {
            ++it;
        }
    }
    Message<unsigned int> level(MSG_SCRIPTING_SWITCH_LUA_STATE, kLevelState);
    SendMessage(&level, kLuaHandlerId);
}
