#include "content/game_state_loader_process.h"

#include <exception>
#include <sstream>

#include "core/message.h"
#include "platform/system/clock.h"
#include "platform/system/log.h"

class GameObject;

namespace {

constexpr const char* kInitialize = "GameStateLoaderProcess::Initialize";
constexpr const char* kUpdate = "GameStateLoaderProcess::Update";

void Log(const char* operation, const std::string& text) {
    sys::LogLine(operation + (": " + text));
}

std::string Duration(double seconds) {
    std::ostringstream text;
    text << "(duration = " << seconds << ")";
    return text.str();
}

} // namespace

void GameStateLoaderProcess::Timer::Start() {
    m_start = sys::PerformanceCounter();
    m_stopped = false;
}

void GameStateLoaderProcess::Timer::Stop() {
    m_stop = sys::PerformanceCounter();
    m_stopped = true;
}

double GameStateLoaderProcess::Timer::Elapsed() const {
    return m_stopped ? sys::SecondsBetween(m_start, m_stop) : 0.0;
}

GameStateLoaderProcess::GameStateLoaderProcess(std::string scriptPath)
    : m_scriptPath(std::move(scriptPath)) {}

void GameStateLoaderProcess::HandleMessage(BaseMessage* msg, u32 fromId) {
    switch (msg->type) {
    case MSG_SCRIPTING_LUA_STATE:
        m_luaStateId = msg->ValueOr<u32>(m_luaStateId);
        break;
    case MSG_LEVEL_OBJECT_CREATED:
        if (const auto* object = msg->Payload<GameObject*>()) {
            Message<GameObject*> reply(MSG_LEVEL_DELETE_OBJECT, *object);
            SendMessage(&reply, fromId);
        }
        break;
    default:
        break;
    }
}

void GameStateLoaderProcess::Send(BaseMessage&& msg, u32 toId, const char* operation) {
    try {
        SendMessage(&msg, toId);
    } catch (const std::exception& failure) {
        Log(operation, std::string(MessageTypeName(msg.type)) + " failed: " + failure.what());
    }
}

void GameStateLoaderProcess::Initialize() {
    Send(BaseMessage(MSG_SCRIPTING_CREATE_LUA_STATE), kLuaHandlerId, kInitialize);
    Send(Message<u32>(MSG_SCRIPTING_SWITCH_LUA_STATE, m_luaStateId), kLuaHandlerId, kInitialize);

    Log(kInitialize, "Start script");
    Timer timer;
    timer.Start();
    Send(Message<std::string>(MSG_SCRIPTING_DO_SCRIPT, m_scriptPath), kLuaHandlerId, kInitialize);
    timer.Stop();
    Log(kInitialize, "End script " + Duration(timer.Elapsed()));

    Send(Message<u32>(MSG_SCRIPTING_DELETE_LUA_STATE, m_luaStateId), kLuaHandlerId, kInitialize);
    Send(BaseMessage(MSG_LEVEL_INITIALIZE_OCTREE), kLevelStateId, kInitialize);
    Send(BaseMessage(MSG_GRAPHICS_INITIALIZE), kGraphicsProcessId, kInitialize);
}

void GameStateLoaderProcess::Update(float dt) {
    if (m_firstUpdate) {
        Log(kUpdate, "Start loading");
        Initialize();

        Log(kUpdate, "Start update");
        Timer timer;
        timer.Start();
        Send(Message<float>(MSG_LEVEL_PROCESS_UPDATE_ONCE, kUpdateOnceStep), kLevelStateId,
             kUpdate);
        timer.Stop();
        Log(kUpdate, "End update " + Duration(timer.Elapsed()));
        Log(kUpdate, "End loading");

        Send(BaseMessage(MSG_LEVEL_LOADING_COMPLETE), kLevelStateId, kUpdate);
        m_firstUpdate = false;
    }
    killed = true;
}
