#include "app/menu_state.h"

#include <boost/shared_ptr.hpp>

#include "app/state_setup.h"
#include "audio/sound_instance.h"
#include "audio/sound_process.h"
#include "content/graphics_preloader.h"
#include "content/lua_handler.h"
#include "content/resource_loader_process.h"
#include "core/globals.h"
#include "core/message.h"
#include "game/player_info.h"
#include "game/shell_globals.h"
#include "graphics/graphics_process.h"
#include "graphics/video_manager.h"
#include "ui/ui_process.h"

namespace {

constexpr const char* kMenuScreen = "Menu";
constexpr float kMusicVolume = 0.5f;

} // namespace

MenuState::MenuState(const std::string& name, GraphicsProcess* graphics, SoundProcess* sound,
                     InputControls* input, LuaHandler* lua, ParserProcess* parser,
                     MessageRouter* parent)
    : GameState(name, graphics, sound, input, lua, parser, parent),
      m_preloader(state_setup::MakePreloader(graphics)) {
    SetStateId(TakeScreenStateId());
}

MenuState::~MenuState() {
    RemoveAllProcesses();
}

void MenuState::Initialize() {
    // A test run left through the menu is over: the next level opens the level itself.
    g_editor_test = false;
    const boost::shared_ptr<UIProcess> ui(new UIProcess(kMenuScreen, m_state_id, m_parser));
    AddProcess(ui, HANDLER_UI_PROCESS);

    // The menu's scene has no particle systems.
    state_setup::MapGraphicsComponents(*this, false);
    state_setup::MapSoundComponents(*this);
    state_setup::MapUIComponents(*this, ui.get());
    state_setup::CopyDefinitions(*this);

    state_setup::AddFreeRunning(
        *this, state_setup::MakeResourceLoader(*this, m_preloader.get(), LevelPath), 0);

    if (m_lua != nullptr) {
        m_lua_state = m_lua->CreateState();
        m_lua->SwitchState(m_lua_state);
        m_lua->DoScript(state_setup::kMenuLevelPath);
    }

    SendCamera();
    state_setup::SendSceneSettings(*this, 1.2f, 0.6f, 12000.0f, 0.98f);
    state_setup::SendShadowOption(*this);
    Message<float> shake(MSG_GRAPHICS_RANDOM_CAMERA_SHAKE, 0.0f);
    SendMessage(&shake, HANDLER_GRAPHICS_PROCESS);
    Message<float> blur(MSG_GRAPHICS_MOTION_BLUR, 0.0f);
    SendMessage(&blur, HANDLER_GRAPHICS_PROCESS);

    VideoManager* videos = VideoManager::Instance();
    videos->Load(kIntroVideo, m_graphics != nullptr ? m_graphics->GetDevice() : nullptr);
    videos->Restart(kIntroVideo);

    state_setup::Post(*this, MSG_INPUT_SWITCH_MENU, HANDLER_INPUT_CONTROLS);
    Message<bool> cursor(MSG_INPUT_DISPLAY_CURSOR, true);
    SendMessage(&cursor, HANDLER_INPUT_CONTROLS);
    state_setup::SendToEffectsAndMusic(*this, MSG_SOUND_UNMUTE_GROUP);
    StartMusic();

    Message<float> fadeIn(MSG_GRAPHICS_FADE_IN, 1.0f);
    SendMessage(&fadeIn, HANDLER_GRAPHICS_PROCESS);
    state_setup::ReleaseUnusedSounds(*this);
    m_initialized = true;
}

void MenuState::SendCamera() {
    PlayerInfo camera;
    camera.m_target = Vector(50.0f, -34.0f, 30.0f);
    camera.m_eye = Vector(-12.0f, -22.0f, -72.0f);
    Message<PlayerInfo> msg(MSG_PLAYER_CAMERA, camera);
    SendMessage(&msg, HANDLER_GRAPHICS_PROCESS);
}

void MenuState::StartMusic() {
    // The answer arrives in HandleMessage before the send returns.
    Message<std::string> request(MSG_GET_SOUND_STREAM_INSTANCE, kMusic);
    SendMessage(&request, HANDLER_SOUND_PROCESS);
    if (m_music == nullptr) {
        return;
    }
    if (m_sound != nullptr) {
        m_sound->SetGroupVolume(SoundInstance::kMusicGroup, 1.0f);
    }
    m_music->m_group = SoundInstance::kMusicGroup;
    m_music->Play(kMusicVolume, true);
}

void MenuState::Update(float dt) {
    UpdateAllProcesses(dt);
}

void MenuState::HandleMessage(BaseMessage* msg, u32 fromId) {
    if (msg->type == MSG_SOUND_INSTANCE) {
        if (SoundInstance* const* music = msg->Payload<SoundInstance*>()) {
            m_music = *music;
        }
        return;
    }
    GameState::HandleMessage(msg, fromId);
}

void MenuState::Exit() {
    VideoManager* videos = VideoManager::Instance();
    videos->Stop(kIntroVideo);
    videos->Unload(kIntroVideo);

    DestroyObjects();
    state_setup::MarkSoundsUnused(*this);
    RemoveAllProcesses();

    state_setup::DeleteLuaState(*this);
}
