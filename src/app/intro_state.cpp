#include "app/intro_state.h"

#include <boost/shared_ptr.hpp>

#include "app/state_setup.h"
#include "content/graphics_preloader.h"
#include "content/resource_loader_process.h"
#include "core/globals.h"
#include "core/message.h"
#include "ui/ui_process.h"

namespace {

struct Screen {
    const char* name;
    IntroState::ObjectList objects;
    const char* next;
    float delay;
};

// The screens that show for a while and then move on by themselves.
const Screen kTimedScreens[] = {
    {"Vantrel", {"VantrelLogo", "Copyright", "White"}, "Team Logo", 2.0f},
    {"Team Logo", {"TeamLogo", "White"}, "Physx Logo", 2.0f},
    {"Physx Logo", {"PhysxLogo", "White"}, "Logo", 2.0f},
    {"Logo", {"GameLogo"}, IntroState::kLoadingScreen, 3.0f},
    {"Lose", {"Lose"}, IntroState::kCredits, 2.0f},
    {"Win", {"Win"}, IntroState::kCredits, 2.0f},
};

constexpr const char* kControlsScreen = "Controls";
constexpr float kControlsDelay = 3.0f;
constexpr const char* kMenu = "Menu";

} // namespace

IntroState::IntroState(const std::string& name, GraphicsProcess* graphics, SoundProcess* sound,
                       InputControls* input, LuaHandler* lua, ParserProcess* parser,
                       MessageRouter* parent)
    : GameState(name, graphics, sound, input, lua, parser, parent),
      m_preloader(state_setup::MakePreloader(graphics)) {
    SetStateId(TakeScreenStateId());
}

IntroState::~IntroState() {
    RemoveAllProcesses();
}

void IntroState::Initialize() {
    const boost::shared_ptr<UIProcess> ui(new UIProcess(m_name, m_state_id, m_parser));
    AddProcess(ui, HANDLER_UI_PROCESS);

    state_setup::MapGraphicsComponents(*this, true);
    state_setup::MapUIComponents(*this, ui.get());
    state_setup::MapSoundComponents(*this);
    state_setup::CopyDefinitions(*this);

    StartLoaders();
    BuildScreen();

    state_setup::Post(*this, MSG_INPUT_SWITCH_INTRO, HANDLER_INPUT_CONTROLS);
    state_setup::SaveThreeDeeSetting(*this, &m_three_dee);

    state_setup::ReleaseUnusedSounds(*this);
    m_initialized = true;
}

void IntroState::StartLoaders() {
    const boost::shared_ptr<ResourceLoaderProcess> menuLoader =
        state_setup::MakeResourceLoader(*this, m_preloader.get(), state_setup::kMenuLevelPath);
    state_setup::AddFreeRunning(*this, menuLoader, 0);
    // The chosen level loads once the menu's scene is in.
    menuLoader->SetThreadRequest(
        state_setup::MakeResourceLoader(*this, m_preloader.get(), LevelPath), true, false, 0);
}

void IntroState::BuildScreen() {
    for (const Screen& screen : kTimedScreens) {
        if (m_name == screen.name) {
            CreateObjects(screen.objects);
            SwitchTo(screen.next, screen.delay);
            return;
        }
    }
    if (m_name == kLoadingScreen) {
        CreateObjects({"GameLogo"});
        if (ResourceLoaderProcess::IsLoaded(state_setup::kMenuLevelPath)) {
            SwitchTo(kMenu, 0.0f);
            m_menu_requested = true;
        } else {
            CreateObjects({"Loading"});
        }
    } else if (m_name == kControlsScreen) {
        CreateObjects({"Controls"});
        SwitchTo(LevelPath, kControlsDelay);
    } else if (m_name == kCredits) {
        state_setup::Post(*this, MSG_GRAPHICS_PLAY_CREDITS, HANDLER_GRAPHICS_PROCESS);
    }
}

void IntroState::SwitchTo(const std::string& name, float delay) {
    Message<std::string> next(MSG_GAME_SWITCH_STATE, name);
    SendMessage(&next, HANDLER_GAME, delay);
}

void IntroState::CreateObjects(const ObjectList& typeNames) {
    for (const char* typeName : typeNames) {
        if (typeName != nullptr) {
            CreateObject(typeName);
        }
    }
}

void IntroState::Update(float dt) {
    UpdateAllProcesses(dt);
    if (m_name == kLoadingScreen && !m_menu_requested &&
        ResourceLoaderProcess::IsLoaded(state_setup::kMenuLevelPath)) {
        SwitchTo(kMenu, 0.0f);
        m_menu_requested = true;
    }
}

void IntroState::Exit() {
    if (m_name == kCredits) {
        state_setup::Post(*this, MSG_GRAPHICS_STOP_CREDITS, HANDLER_GRAPHICS_PROCESS);
        // The credits sequence queued its later steps at the Game's router; none of them
        // may fire in the state that follows.
        if (MessageRouter* game = m_router.Parent()) {
            game->ClearQueue();
        }
    }
    DestroyObjects();
    state_setup::MarkSoundsUnused(*this);
    RemoveAllProcesses();

    state_setup::SendThreeDeeSetting(*this, m_three_dee);
}
