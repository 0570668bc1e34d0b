#include "game/game_state.h"

#include <algorithm>
#include <iostream>

#include "content/lua_handler.h"
#include "core/component.h"
#include "core/game_object.h"
#include "core/message.h"
#include "core/process.h"
#include "game/shell_globals.h"
#include "platform/system/log.h"
#include "platform/window/screen.h"

namespace {

bool Listed(const std::vector<HandlerId>& ids, HandlerId id) {
    return std::find(ids.begin(), ids.end(), id) != ids.end();
}

} // namespace

GameState::GameState(const std::string& name, GraphicsProcess* graphics, SoundProcess* sound,
                     InputControls* input, LuaHandler* lua, ParserProcess* parser,
                     MessageRouter* parent)
    : m_name(name), m_graphics(graphics), m_sound(sound), m_input(input), m_lua(lua),
      m_parser(parser), m_router(parent) {
    m_router.AttachToParent();
}

GameState::~GameState() {
    // Normally Exit has done this; a state that is deleted without it must not leave
    // objects whose components outlive their processes.
    DestroyObjects();
    // Before the router goes: the processes are bound to it, and a loader thread may still
    // be sending through it.
    RemoveAllProcesses();
    // A state that never reached the stack (a pending state replaced in its frame) is still
    // among the parent's children; the parent must never walk a freed router.
    if (MessageRouter* parent = m_router.Parent()) {
        parent->RemoveChild(&m_router);
    }
}

void GameState::SetStateId(HandlerId stateId) {
    m_state_id = stateId;
    Bind(&m_router, stateId);
    if (m_lua != nullptr) {
        m_lua->SetObjectTarget(stateId);
    }
}

void GameState::AddProcess(boost::shared_ptr<Process> process, HandlerId handlerId) {
    if (!process) {
        return;
    }
    if (handlerId == 0) {
        handlerId = m_next_handler_id++;
    }
    m_process_manager.AddProcess(process);
    process->Bind(&m_router, handlerId);
}

bool GameState::SetComponentProcess(ComponentType type, ComponentProcess* process) {
    if (process == nullptr) {
        return false;
    }
    return m_component_processes.emplace(type.value, process).second;
}

ComponentProcess* GameState::GetComponentProcess(ComponentType type) const {
    const auto found = m_component_processes.find(type.value);
    return found == m_component_processes.end() ? nullptr : found->second;
}

Component* GameState::CreateComponent(ComponentType type, StreamMap* parameters) {
    ComponentProcess* process = GetComponentProcess(type);
    return process == nullptr ? nullptr : process->CreateComponent(parameters);
}

void GameState::UpdateComponent(ComponentType type, StreamMap* parameters) {
    if (ComponentProcess* process = GetComponentProcess(type)) {
        process->UpdateComponent(parameters);
    }
}

void GameState::RegisterObjectCallback(const std::string& typeName, ObjectCreator creator) {
    auto& creators = m_name == kLevelEditorName ? m_editor_creators : m_creators;
    creators[typeName] = std::move(creator);
}

GameObject* GameState::CreateObjectFromDefinition(const std::string& typeName) {
    const auto definition = m_definitions.find(typeName);
    if (definition == m_definitions.end()) {
        return nullptr;
    }
    GameObject* object = new GameObject(typeName);
    object->id = m_next_object_id++;
    for (auto& [type, stream] : definition->second) {
        stream.BeginRead();
        object->AddComponent(type.value, CreateComponent(type, &stream));
    }
    return object;
}

GameObject* GameState::CreateObject(const std::string& typeName) {
    if (m_name == kLevelEditorName) {
        const auto creator = m_editor_creators.find(typeName);
        if (creator != m_editor_creators.end()) {
            return creator->second();
        }
    }
    const auto creator = m_creators.find(typeName);
    if (creator != m_creators.end()) {
        return creator->second();
    }
    GameObject* object = CreateObjectFromDefinition(typeName);
    if (object != nullptr) {
        AdoptObject(object);
    }
    return object;
}

void GameState::AdoptObject(GameObject* object) {
    object->SetRouterParent(&m_router);
    object->InitializeComponents();
    m_objects.push_back(object);
}

void GameState::DeleteObject(GameObject* object) {
    const auto at = std::find(m_objects.begin(), m_objects.end(), object);
    if (at == m_objects.end()) {
        return;
    }
    m_router.RemoveChild(&object->router);
    m_objects.erase(at);
    delete object;
}

void GameState::DestroyObjects() {
    // Taken out first: a component's removal may ask the state about its objects.
    std::vector<GameObject*> objects;
    objects.swap(m_objects);
    for (GameObject* object : objects) {
        m_router.RemoveChild(&object->router);
        delete object;
    }
}

void GameState::UpdateAllProcesses(float dt) {
    m_process_manager.Update(dt);
    m_threaded_process_manager.Update(dt);
}

void GameState::RunPendingUpdateOnce() {
    std::optional<float> step;
    {
        const std::lock_guard<std::mutex> hold(m_update_once_lock);
        step.swap(m_pending_update_once);
    }
    if (!step) {
        return;
    }
    m_process_manager.forceUpdate = true;
    BaseMessage disableAi(MSG_DISABLE_AI);
    SendMessage(&disableAi, HANDLER_AI_VIEW_PROCESS);
    m_process_manager.Update(*step);
    SendMessage(&disableAi, HANDLER_AI_VIEW_PROCESS);
    m_process_manager.forceUpdate = false;
}

void GameState::RemoveAllProcesses() {
    m_threaded_process_manager.RemoveAllProcesses();
    m_process_manager.RemoveAllProcesses();
}

void GameState::PauseProcesses(const std::vector<HandlerId>& keep) {
    for (const boost::shared_ptr<Process>& process : m_process_manager.processes) {
        if (!Listed(keep, process->id)) {
            process->paused = true;
        }
    }
}

void GameState::UnpauseProcesses(const std::vector<HandlerId>& keep) {
    for (const boost::shared_ptr<Process>& process : m_process_manager.processes) {
        if (!Listed(keep, process->id)) {
            process->paused = false;
        }
    }
}

void GameState::HandleMessage(BaseMessage* msg, u32 fromId) {
    switch (msg->type) {
    case MSG_LEVEL_CREATE_OBJECT: {
        GameObject* object = nullptr;
        if (const std::string* typeName = msg->Payload<std::string>()) {
            object = CreateObject(*typeName);
        }
        Message<GameObject*> reply(MSG_LEVEL_OBJECT_CREATED, object);
        SendMessage(&reply, fromId);
        break;
    }
    case MSG_LEVEL_DELETE_OBJECT:
        if (GameObject* const* object = msg->Payload<GameObject*>()) {
            DeleteObject(*object);
        }
        break;
    case MSG_LEVEL_TOWER_SIZE:
        if (const Vector* size = msg->Payload<Vector>()) {
            m_tower_size = *size;
        }
        break;
    case MSG_LEVEL_TOWER_LOCATION:
        if (const Vector* location = msg->Payload<Vector>()) {
            m_tower_location = *location;
        }
        break;
    case MSG_GRAPHICS_WINDOWED:
        if (msg->ValueOr<bool>(false)) {
            m_screen_width = g_render_width;
            m_screen_height = g_render_height;
        } else {
            const window::ScreenMetrics screen = window::GetScreenMetrics();
            m_screen_width = screen.width;
            m_screen_height = screen.height;
        }
        break;
    case MSG_LEVEL_PAUSE_PROCESSES:
        if (const auto* keep = msg->Payload<std::vector<unsigned int>>()) {
            PauseProcesses(*keep);
        }
        break;
    case MSG_LEVEL_UNPAUSE_PROCESSES:
        if (const auto* keep = msg->Payload<std::vector<unsigned int>>()) {
            UnpauseProcesses(*keep);
        }
        break;
    case MSG_LEVEL_LOADING_COMPLETE:
        sys::LogLine("GameState::HandleMessage: Loading complete");
        m_loading_complete = true;
        break;
    case MSG_LEVEL_PROCESS_UPDATE_ONCE: {
        {
            const std::lock_guard<std::mutex> hold(m_update_once_lock);
            m_pending_update_once = msg->ValueOr<float>(0.0f);
        }
        if (std::this_thread::get_id() == m_owner_thread) {
            RunPendingUpdateOnce();
        }
        break;
    }
    default:
        break;
    }
}
