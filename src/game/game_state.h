#pragma once
// The base of every screen or mode of the game (intro screens, menu, level, level editor).
// A state owns its processes, its router (a child of the Game's), its copy of the object
// definitions and the game objects it creates; it builds objects by type name, through a
// registered creator or from the definitions, and answers the level messages that
// scripts, loaders and processes send to it.

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "content/game_object_definition_map.h"
#include "core/component_type.h"
#include "core/entity.h"
#include "core/message_handler.h"
#include "core/message_router.h"
#include "core/process_manager.h"
#include "core/vector.h"
#include "game/handler_id.h"

class Component;
class ComponentProcess;
class GameObject;
class GraphicsProcess;
class InputControls;
class LuaHandler;
class ParserProcess;
class Process;
class SoundProcess;
class StreamMap;

class GameState : public Entity, public MessageHandler {
  public:
    // Builds a composite object on the state and registers and stores it itself.
    using ObjectCreator = std::function<GameObject*()>;

    static constexpr const char* kLevelEditorName = "Level Editor";

    // With a parent router, the state's router joins the parent's children.
    GameState(const std::string& name, GraphicsProcess* graphics, SoundProcess* sound,
              InputControls* input, LuaHandler* lua, ParserProcess* parser, MessageRouter* parent);
    // Destroys what Exit left: objects, then the threaded and the main processes.
    ~GameState() override;
    GameState(const GameState&) = delete;
    GameState& operator=(const GameState&) = delete;

    void Update(float dt) override {}
    // Called every frame until the state sets m_initialized.
    virtual void Initialize() {}
    virtual void Exit() {}
    void HandleMessage(BaseMessage* msg, u32 fromId) override;

    // Id 0 takes the next automatic id.
    void AddProcess(boost::shared_ptr<Process> process, HandlerId handlerId);
    // A type keeps the first process it was given; false for a later one.
    bool SetComponentProcess(ComponentType type, ComponentProcess* process);
    ComponentProcess* GetComponentProcess(ComponentType type) const;
    // Null when no process owns the type.
    Component* CreateComponent(ComponentType type, StreamMap* parameters);
    // The level editor's in-place change of a component's parameters.
    void UpdateComponent(ComponentType type, StreamMap* parameters);

    void RegisterObjectCallback(const std::string& typeName, ObjectCreator creator);
    // Through a creator when one is registered for the name, else from the definitions;
    // null for a name that has neither.
    GameObject* CreateObject(const std::string& typeName);
    // A new object with the next object id and a component per definition entry whose type
    // has a process; not yet attached to the state's router nor stored.
    GameObject* CreateObjectFromDefinition(const std::string& typeName);
    // An object the state does not hold is left alone.
    void DeleteObject(GameObject* object);
    void DestroyObjects();

    // The main processes, then the threaded ones (the loaders).
    void UpdateAllProcesses(float dt);
    // Runs the main processes once with the step a loader asked for from its own thread
    // (message MSG_LEVEL_PROCESS_UPDATE_ONCE); nothing when none is waiting. The processes
    // belong to the frame's thread, so the loader only leaves the request.
    void RunPendingUpdateOnce();
    // The threaded processes first: a loader may still be working for the main ones.
    void RemoveAllProcesses();

    // Every process of the main manager whose id is not listed.
    void PauseProcesses(const std::vector<HandlerId>& keep);
    void UnpauseProcesses(const std::vector<HandlerId>& keep);

    const std::string& Name() const { return m_name; }
    MessageRouter& Router() { return m_router; }
    const std::vector<GameObject*>& Objects() const { return m_objects; }

    ProcessManager m_process_manager;
    // The threaded processes: the resource loaders.
    ProcessManager m_threaded_process_manager;
    bool m_loading = false;
    // Set by the level's loader thread, read by the frame.
    std::atomic<bool> m_loading_complete{false};
    // The thread that made the state: the frame's.
    std::thread::id m_owner_thread = std::this_thread::get_id();
    std::mutex m_update_once_lock;
    std::optional<float> m_pending_update_once;
    std::vector<GameObject*> m_objects;
    bool m_initialized = false;
    bool m_exit = false;
    // Handed to the building process by the level; nothing sets it.
    bool m_building_flag = false;
    std::string m_name;
    HandlerId m_next_handler_id = kFirstAutomaticHandlerId;
    HandlerId m_state_id = MessageHandler::kUnbound;
    i32 m_screen_width = 0;
    i32 m_screen_height = 0;
    // The Lua state that runs the state's script; 0 while it has none.
    u32 m_lua_state = 0;
    GraphicsProcess* m_graphics;
    SoundProcess* m_sound;
    InputControls* m_input;
    LuaHandler* m_lua;
    ParserProcess* m_parser;
    GameObjectDefinitionMap m_definitions;
    HandlerId m_next_object_id = kFirstObjectId;
    std::map<u32, ComponentProcess*> m_component_processes;
    std::unordered_map<std::string, ObjectCreator> m_creators;
    std::unordered_map<std::string, ObjectCreator> m_editor_creators;
    MessageRouter m_router;
    Vector m_tower_size;
    Vector m_tower_location;

  protected:
    // The subclass's id: binds the state to its own router under it and makes it the
    // target of the scripts' object requests.
    void SetStateId(HandlerId stateId);
    // The object's router joins the state's, its components are initialised and the state
    // keeps it.
    void AdoptObject(GameObject* object);
};
