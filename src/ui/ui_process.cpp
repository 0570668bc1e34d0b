#include "ui/ui_process.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "audio/sound_instance.h"
#include "content/parser_process.h"
#include "core/component_header.h"
#include "core/game_object.h"
#include "core/globals.h"
#include "core/message.h"
#include "core/stream_map.h"
#include "game/shell_globals.h"
#include "graphics/video_manager.h"
#include "platform/input/keys.h"
#include "platform/system/log.h"
#include "platform/window/screen.h"
#include "platform/window/window.h"
#include "ui/ui_component.h"
#include "ui/widget_graphics.h"

namespace {

constexpr u32 kGameId = HANDLER_GAME;
constexpr u32 kRendererId = HANDLER_GRAPHICS_PROCESS;
constexpr u32 kSoundId = HANDLER_SOUND_PROCESS;
constexpr u32 kInputId = HANDLER_INPUT_CONTROLS;
constexpr u32 kAiId = HANDLER_AI_VIEW_PROCESS;
constexpr u32 kGameLogicId = HANDLER_GAME_LOGIC_PROCESS;
constexpr u32 kBuildingId = HANDLER_BUILDING_PROCESS;

// A second activation key beside Return.
constexpr u32 kSecondEnterKey = input::key::NumpadEquals;
constexpr u32 kLastKey = 237;
constexpr i32 kArrowSpeed = 1000;
constexpr f32 kMenuExposure = 0.6f;
constexpr f32 kMenuExposureBack = 1.2f;
constexpr f32 kInGameExposure = 1.5f;
constexpr f32 kCreditsMusicVolume = 0.8f;
constexpr f32 kCreditsFadeStart = 30.0f;

constexpr const char* kEndlessLevel = "./assets/levels/endless_mode.lua";
constexpr const char* kTutorialLevel = "./assets/levels/tutorial_extended.lua";
constexpr const char* kLevelEditorState = "Level Editor";

// The screens that advance to the next state on any key or button.
struct IntroStep {
    const char* state;
    const char* next;
};
constexpr IntroStep kIntroSteps[] = {
    {"Vantrel", "Team Logo"},   {"Team Logo", "Physx Logo"},        {"Physx Logo", "Logo"},
    {"Logo", "Loading Screen"}, {"Credits", UIProcess::kMenuState},
};

// The buttons of the "Options" screen and the pages they open.
struct OptionPage {
    const char* button;
    const char* screen;
};
constexpr OptionPage kOptionPages[] = {
    {"GraphicsOptionsButton", "Graphics Options"},
    {"ControlsOptionsButton", "Controls Options"},
    {"SoundOptionsButton", "Sound Options"},
    {"HighscoreButton", "Highscore Display"},
};

bool ShowsOptionPage(const std::string& element) {
    return std::any_of(std::begin(kOptionPages), std::end(kOptionPages),
                       [&](const OptionPage& page) { return element == page.button; });
}

bool IsWidget(const Component* component) {
    return dynamic_cast<const ButtonUIComponent*>(component) != nullptr ||
           dynamic_cast<const CheckBoxUIComponent*>(component) != nullptr ||
           dynamic_cast<const SliderUIComponent*>(component) != nullptr ||
           dynamic_cast<const InputUIComponent*>(component) != nullptr;
}

bool IsInput(const UIComponent* component) {
    return dynamic_cast<const InputUIComponent*>(component) != nullptr;
}

// The nearest widget in one direction; with wrap the farthest one the other way.
// along: the coordinate the direction runs on; across: the other one; sign: +1 for down or
// right, -1 for up or left.
struct Candidate {
    f32 along;
    f32 across;
    UIComponent* widget;
};

UIComponent* Nearest(const std::vector<Candidate>& others, f32 curAlong, f32 curAcross, int sign,
                     bool wrap) {
    const Candidate* best = nullptr;
    for (const Candidate& b : others) {
        // Nearest: on the side the direction points to. Wrap: on the other side.
        const bool qualifies = wrap ? (b.along - curAlong) * static_cast<f32>(sign) < 0.0f
                                    : (b.along - curAlong) * static_cast<f32>(sign) > 0.0f;
        if (!qualifies) {
            continue;
        }
        if (best == nullptr) {
            best = &b;
            continue;
        }
        if (std::fabs(b.along - best->along) < 0.00001f) {
            if (std::fabs(curAcross - b.across) < std::fabs(curAcross - best->across)) {
                best = &b;
            }
            continue;
        }
        // Nearest: the closest one on the pointed side. Wrap: the farthest one on the other
        // side. Both are the one with the smaller coordinate times sign.
        const bool closer = b.along * static_cast<f32>(sign) < best->along * static_cast<f32>(sign);
        if (closer) {
            best = &b;
        }
    }
    return best != nullptr ? best->widget : nullptr;
}

} // namespace

UIProcess::UIProcess(std::string stateName, u32 stateHandlerId, ParserProcess* options)
    : m_stateName(std::move(stateName)), m_stateHandlerId(stateHandlerId), m_options(options),
      m_screens(BuildScreenTable()), m_graphics(WidgetGraphics::Default()) {}

f32 UIProcess::CreditsMusicVolume(f32 seconds) {
    if (seconds <= kCreditsFadeStart) {
        return kCreditsMusicVolume;
    }
    const f32 f = std::clamp(1.0f - (seconds - kCreditsFadeStart) * 0.5f, 0.0f, 1.0f);
    return f * kCreditsMusicVolume;
}

// ---- Components --------------------------------------------------------------------------

Component* UIProcess::CreateComponent(StreamMap* parameters) {
    ComponentHeader header;
    if (parameters == nullptr || !header.Read(parameters)) {
        return nullptr;
    }
    const std::string& name = header.m_object_type;
    UIComponent* made = nullptr;
    switch (header.Type()) {
    case ComponentType::UIButton:
        made = m_components.Create<ButtonUIComponent>(this, name);
        break;
    case ComponentType::UICheckBox:
        made = m_components.Create<CheckBoxUIComponent>(this, name);
        break;
    case ComponentType::UISlider:
        made = m_components.Create<SliderUIComponent>(this, name);
        break;
    case ComponentType::UIText:
    case ComponentType::UIInput: {
        // The initial text follows the header; a definition without one starts empty.
        std::string text;
        parameters->ReadString(text);
        if (header.Type() == ComponentType::UIText) {
            made = m_components.Create<TextUIComponent>(this, name, text);
        } else {
            made = m_components.Create<InputUIComponent>(this, name, text);
        }
        break;
    }
    case ComponentType::UIElement:
        made = m_components.Create<UIComponent>(this, name);
        break;
    default:
        return nullptr;
    }
    m_componentsAdded = true;
    return made;
}

void UIProcess::RemoveComponent(Component* component) {
    // Nothing keeps pointing at a widget that is gone.
    if (component == m_focus) {
        m_focus = nullptr;
    }
    for (std::size_t i = 0; i < m_components.Size(); ++i) {
        auto* widget = static_cast<UIComponent*>(m_components.At(i));
        for (UIComponent** link :
             {&widget->m_up, &widget->m_down, &widget->m_left, &widget->m_right}) {
            if (*link == component) {
                *link = nullptr;
            }
        }
    }
    ComponentListProcess::RemoveComponent(component);
}

const std::string& UIProcess::ObjectName(const UIComponent* component) {
    static const std::string none;
    return component != nullptr && component->owner != nullptr ? component->owner->name : none;
}

UIComponent* UIProcess::FindWidget(GameObject* object) const {
    if (object == nullptr) {
        return nullptr;
    }
    for (const u32 type :
         {ComponentType::UIButton, ComponentType::UICheckBox, ComponentType::UISlider,
          ComponentType::UIDropDown, ComponentType::UIInput}) {
        if (auto* widget = dynamic_cast<UIComponent*>(object->GetComponent(type))) {
            return widget;
        }
    }
    return nullptr;
}

UIComponent* UIProcess::FindComponentByObjectName(const std::string& name) const {
    for (std::size_t i = 0; i < m_components.Size(); ++i) {
        auto* component = static_cast<UIComponent*>(m_components.At(i));
        if (component->owner != nullptr && component->owner->name == name) {
            return component;
        }
    }
    return nullptr;
}

// ---- Screens -----------------------------------------------------------------------------

void UIProcess::ShowScreen(const std::string& name) {
    const auto record = std::find_if(m_screens.begin(), m_screens.end(),
                                     [&](const ScreenRecord& r) { return r.name == name; });
    if (record == m_screens.end()) {
        return;
    }
    m_currentScreen = name;
    // The log tells a scripted player which screen its keys now reach.
    sys::Log() << "UIProcess::ShowScreen: " << name;
    HideScreen();
    for (const std::string& element : record->elements) {
        ShowElement(element);
        if (element == record->focus && m_lastCreated != nullptr) {
            m_focus = FindWidget(m_lastCreated);
        }
    }
    // Neighbours are found from where the widgets sit, so the new ones are placed first.
    InitializeNewComponents();
    LinkNavigation();
}

void UIProcess::InitializeNewComponents() {
    if (!m_componentsAdded) {
        return;
    }
    for (std::size_t i = 0; i < m_components.Size(); ++i) {
        static_cast<UIComponent*>(m_components.At(i))->InitializeByName();
    }
    m_componentsAdded = false;
}

void UIProcess::HideScreen() {
    const std::vector<GameObject*> objects = std::move(m_screenObjects);
    m_screenObjects.clear();
    for (GameObject* object : objects) {
        Send(MSG_LEVEL_DELETE_OBJECT, object, m_stateHandlerId);
    }
    m_focus = nullptr;
}

void UIProcess::ShowElement(const std::string& elementName) {
    m_lastCreated = nullptr;
    // The state answers with MSG_LEVEL_OBJECT_CREATED before the send returns.
    Send(MSG_LEVEL_CREATE_OBJECT, elementName, m_stateHandlerId);
    if (m_lastCreated != nullptr) {
        m_screenObjects.push_back(m_lastCreated);
    }
}

void UIProcess::LinkNavigation() {
    struct Placed {
        Vector position;
        UIComponent* widget;
    };
    std::vector<Placed> placed;
    for (GameObject* object : m_screenObjects) {
        if (UIComponent* widget = FindWidget(object)) {
            placed.push_back({object->position, widget});
        }
    }
    for (std::size_t a = 0; a < placed.size(); ++a) {
        const Vector cur = placed[a].position;
        std::vector<Candidate> vertical;
        std::vector<Candidate> horizontal;
        for (std::size_t b = 0; b < placed.size(); ++b) {
            if (b != a) {
                vertical.push_back({placed[b].position.y, placed[b].position.x, placed[b].widget});
                horizontal.push_back(
                    {placed[b].position.x, placed[b].position.y, placed[b].widget});
            }
        }
        UIComponent* widget = placed[a].widget;
        auto link = [&](const std::vector<Candidate>& others, f32 along, f32 across, int sign) {
            UIComponent* found = Nearest(others, along, across, sign, false);
            return found != nullptr ? found : Nearest(others, along, across, sign, true);
        };
        widget->m_up = link(vertical, cur.y, cur.x, -1);
        widget->m_down = link(vertical, cur.y, cur.x, +1);
        widget->m_left = link(horizontal, cur.x, cur.y, -1);
        widget->m_right = link(horizontal, cur.x, cur.y, +1);
    }
}

// ---- Input queries -----------------------------------------------------------------------

i32 UIProcess::FirstPressedKey() const {
    for (u32 k = 1; k <= kLastKey; ++k) {
        if (m_input.m_keys[k] == INPUT_PRESSED) {
            return static_cast<i32>(k);
        }
    }
    return 0;
}

i32 UIProcess::FirstPressedMouseButton() const {
    for (u32 b = 0; b < InputState::kMouseButtonCount; ++b) {
        if (m_input.m_mouse_buttons[b] == INPUT_PRESSED) {
            return 256 + static_cast<i32>(b);
        }
    }
    return 0;
}

i32 UIProcess::FirstPressedInput() const {
    const i32 key = FirstPressedKey();
    return key != 0 ? key : FirstPressedMouseButton();
}

bool UIProcess::KeyPressed(u32 key) const {
    return m_input.m_keys[key] == INPUT_PRESSED;
}

bool UIProcess::KeyDown(u32 key) const {
    return m_input.m_keys[key] == INPUT_PRESSED || m_input.m_keys[key] == INPUT_HELD;
}

bool UIProcess::EnterPressed() const {
    return (KeyPressed(input::key::Enter) || KeyPressed(kSecondEnterKey)) &&
           !KeyDown(input::key::LeftAlt) && !KeyDown(input::key::RightAlt);
}

// ---- Sending -----------------------------------------------------------------------------

void UIProcess::Send(u32 type, u32 to) {
    BaseMessage msg(type);
    SendMessage(&msg, to);
}

void UIProcess::SetExposure(f32 exposure) {
    Send(MSG_GRAPHICS_SET_EXPOSURE_VALUE, exposure, kRendererId);
}

// ---- Frame -------------------------------------------------------------------------------

void UIProcess::Initialize() {
    Send(MSG_GRAPHICS_CHECK_WINDOWED, kRendererId);
    Send(MSG_GAME_HWND, kGameId);
    Send(MSG_GAME_SET_WINDOW_FOCUS, kGameId);
    if (m_stateName == kCreditsState) {
        m_creditsMusic = nullptr;
        m_soundReply = nullptr;
        Send(MSG_GET_SOUND_STREAM_INSTANCE, std::string(kCreditsMusic), kSoundId);
        if (m_soundReply != nullptr) {
            m_creditsMusic = m_soundReply;
            m_creditsMusic->Play(kCreditsMusicVolume, true);
        }
    } else if (m_stateName == kMenuState) {
        ShowScreen("Main");
    }
}

void UIProcess::Update(float dt) {
    if (m_firstUpdate) {
        Initialize();
        m_firstUpdate = false;
        ComponentListProcess::Update(dt);
        return;
    }
    if (!m_skipInput) {
        i32 cx = m_lastCursorX;
        i32 cy = m_lastCursorY;
        bool moved = false;
        if (m_hwnd != nullptr) {
            const window::Point cursor = window::ClientCursor(m_hwnd);
            cx = cursor.x;
            cy = cursor.y;
            moved = cx != m_lastCursorX || cy != m_lastCursorY;
            m_lastCursorX = cx;
            m_lastCursorY = cy;
        }
        const bool click = m_input.m_mouse_buttons[0] == INPUT_PRESSED;
        const bool justReleased = HandleFocus(dt, cx, cy, moved, click);

        if (m_stateName == kMenuState) {
            MenuAction(Activate(justReleased, click, cx, cy));
            VideoManager* videos = VideoManager::Instance();
            if (!videos->Update(dt)) {
                videos->Restart(asset_path::kIntroVideo);
            }
            if (m_focus != nullptr) {
                m_focus->ShowHighlight();
            }
        } else if (m_stateName == kLevelState) {
            if (!m_paused) {
                Send(MSG_INPUT_DISPLAY_CURSOR, false, kInputId);
            } else {
                if (m_currentScreen == "Display Controls") {
                    Send(MSG_INPUT_DISPLAY_CURSOR, false, kInputId);
                    if (FirstPressedInput() != 0) {
                        ShowScreen("In-Game");
                    }
                } else {
                    Send(MSG_INPUT_DISPLAY_CURSOR, true, kInputId);
                    InGameAction(Activate(justReleased, click, cx, cy));
                }
                if (m_focus != nullptr) {
                    m_focus->ShowHighlight();
                }
            }
        } else if (m_stateName == "Controls") {
            AdvanceOnInput(LevelPath);
        } else {
            for (const IntroStep& step : kIntroSteps) {
                if (m_stateName == step.state) {
                    AdvanceOnInput(step.next);
                }
            }
            if (m_stateName == kCreditsState) {
                m_creditsTime += dt;
                if (m_creditsTime > kCreditsFadeStart && m_creditsMusic != nullptr) {
                    m_creditsMusic->SetVolume(CreditsMusicVolume(m_creditsTime));
                }
            }
        }
    }
    InitializeNewComponents();
    LogFocus();
    // A click is used once.
    m_input.m_mouse_buttons[0] = INPUT_UP;
    m_skipInput = false;
}

void UIProcess::LogFocus() {
    const std::string focus = m_focus != nullptr ? ObjectName(m_focus) : std::string();
    if (focus != m_loggedFocus) {
        m_loggedFocus = focus;
        if (!focus.empty()) {
            sys::Log() << "UIProcess::Focus: " << focus;
        }
    }
}

bool UIProcess::HandleFocus(float dt, i32 cx, i32 cy, bool moved, bool click) {
    bool justReleased = false;
    if (m_focus != nullptr && m_focus->IsActive()) {
        if (!m_focus->IsMouseActivated()) {
            i32 dx = 0;
            i32 dy = 0;
            if (KeyDown(input::key::Up)) {
                dy = -kArrowSpeed;
            } else if (KeyDown(input::key::Down)) {
                dy = kArrowSpeed;
            } else if (KeyDown(input::key::Left)) {
                dx = -kArrowSpeed;
            } else if (KeyDown(input::key::Right)) {
                dx = kArrowSpeed;
            }
            m_focus->Drag(static_cast<i32>(static_cast<f32>(dx) * dt),
                          static_cast<i32>(static_cast<f32>(dy) * dt));
        } else {
            m_focus->Drag(cx, cy);
        }
        if (ObjectName(m_focus) == "HighscoreInput") {
            EnterHighscoreName();
        } else if (IsInput(m_focus)) {
            CaptureKeyBinding();
        } else {
            const bool keyboardEnd = !m_focus->IsMouseActivated() && (click || EnterPressed());
            const i32 button = m_input.m_mouse_buttons[0];
            const bool mouseEnd =
                m_focus->IsMouseActivated() && (button == INPUT_RELEASED || button == INPUT_UP);
            if (keyboardEnd || mouseEnd) {
                m_focus->Deactivate();
            }
        }
        RefreshSliderOutput(m_focus);
        justReleased = !m_focus->IsActive();
        if (const auto* slider = dynamic_cast<const SliderUIComponent*>(m_focus);
            slider != nullptr && justReleased) {
            sys::Log() << "UIProcess::SliderSet: " << ObjectName(m_focus) << ' ' << slider->m_value;
        }
    }

    for (std::size_t i = 0; i < m_components.Size(); ++i) {
        auto* component = static_cast<UIComponent*>(m_components.At(i));
        component->Update(dt);
        if ((moved || click) && IsWidget(component) && component->HitTest(cx, cy) &&
            (m_focus == nullptr || !m_focus->IsActive())) {
            m_focus = component;
        }
    }

    if (m_focus != nullptr && !m_focus->IsActive()) {
        UIComponent* next = nullptr;
        if (KeyPressed(input::key::Up)) {
            next = m_focus->m_up;
        } else if (KeyPressed(input::key::Down)) {
            next = m_focus->m_down;
        } else if (KeyPressed(input::key::Left)) {
            next = m_focus->m_left;
        } else if (KeyPressed(input::key::Right)) {
            next = m_focus->m_right;
        }
        if (next != nullptr) {
            m_focus = next;
        }
    }

    if (m_focus != nullptr && m_focus->IsActive()) {
        m_focus->ShowHighlight();
    }
    return justReleased;
}

std::string UIProcess::Activate(bool justReleased, bool click, i32 cx, i32 cy) {
    // The key or click that ends an edit does not start another one.
    if (justReleased) {
        return {};
    }
    const bool byClick = (m_focus == nullptr || !m_focus->IsActive()) && click;
    if (!byClick && !EnterPressed()) {
        return {};
    }
    if (m_focus == nullptr || (click && !m_focus->HitTest(cx, cy))) {
        return {};
    }
    std::string element = ObjectName(m_focus);
    if (element.empty()) {
        return {};
    }
    m_focus->Activate(click);
    if (m_focus->IsActive()) {
        m_focus->BeginDrag(cx, cy);
    }
    m_focus->Toggle();
    sys::Log() << "UIProcess::Activate: " << element;
    return element;
}

void UIProcess::AdvanceOnInput(const std::string& next) {
    Send(MSG_INPUT_GET_INPUT_STATE, kInputId);
    if (FirstPressedInput() != 0) {
        Send(MSG_GAME_SWITCH_STATE, next, kGameId);
    }
}

// ---- Actions -----------------------------------------------------------------------------

void UIProcess::SwitchToLevel(const std::string& levelPath) {
    LevelPath = levelPath;
    Send(MSG_GAME_SWITCH_STATE, LevelPath, kGameId);
    Send(MSG_INPUT_SWITCH_GAME, kInputId);
}

void UIProcess::ToggleFullscreen() {
    if (m_options == nullptr) {
        return;
    }
    GraphicsOptions* options = ParserProcess::LoadGraphicsOptions(m_options, true);
    if (options == nullptr) {
        return;
    }
    options->m_fullscreen = !options->m_fullscreen;
    ParserProcess::SaveGraphicsOptions(m_options);
    Send(MSG_GRAPHICS_FULLSCREEN_SET, options->m_fullscreen, kRendererId);
}

void UIProcess::ToggleThreeDee() {
    if (m_options == nullptr) {
        return;
    }
    GraphicsOptions* options = ParserProcess::LoadGraphicsOptions(m_options, true);
    if (options == nullptr) {
        return;
    }
    options->m_three_dee = !options->m_three_dee;
    ParserProcess::SaveGraphicsOptions(m_options);
    Send(MSG_GRAPHICS_SET_THREE_DEE_SETTING, options->m_three_dee ? 0 : 1, kRendererId);
}

void UIProcess::ShowOptionPage(const std::string& element) {
    for (const OptionPage& page : kOptionPages) {
        if (element == page.button) {
            ShowScreen(page.screen);
            FillPage(page.screen);
        }
    }
}

// The rows the menu and the pause screen share: the main column's toggles, options and quit
// button, the quit question, the options list and the option pages. `home` is the column
// the screens return to; the exposures are those a page opens and closes with.
bool UIProcess::SharedAction(const std::string& element, const char* home, const char* quit,
                             f32 pageExposure, f32 backExposure) {
    const std::string& screen = m_currentScreen;
    if (screen == home) {
        if (element == "FullscreenButton") {
            ToggleFullscreen();
        } else if (element == "3DButton") {
            ToggleThreeDee();
        } else if (element == "OptionsButton") {
            ShowScreen("Options");
        } else if (element == "QuitButton") {
            ShowScreen(quit);
        } else {
            return false;
        }
    } else if (screen == quit) {
        if (element == "ConfirmQuitButton") {
            Send(MSG_GAME_QUIT, kGameId);
        } else if (element == "DeconfirmQuitButton") {
            ShowScreen(home);
        }
    } else if (screen == "Options") {
        if (element == "OptionsReturnButton") {
            ShowScreen(home);
        } else if (ShowsOptionPage(element)) {
            SetExposure(pageExposure);
            ShowOptionPage(element);
        }
    } else if (screen == "Graphics Options" || screen == "Controls Options" ||
               screen == "Sound Options" || screen == "Highscore Display") {
        if (element == "CancelButton") {
            SetExposure(backExposure);
            ShowScreen("Options");
        } else if (element == "DefaultButton") {
            DefaultPage(screen);
        } else if (element == "ApplyButton") {
            ApplyPage(screen);
        }
    } else {
        return false;
    }
    return true;
}

void UIProcess::MenuAction(const std::string& element) {
    if (element.empty() ||
        SharedAction(element, "Main", "Main Quit", kMenuExposure, kMenuExposureBack)) {
        return;
    }
    const std::string& screen = m_currentScreen;
    if (screen == "Main") {
        if (element == "PlayButton") {
            ShowScreen("Main Play");
        } else if (element == "LevelEditorButton") {
            Send(MSG_GAME_SWITCH_STATE, std::string(kLevelEditorState), kGameId);
        }
    } else if (screen == "Main Play") {
        if (element == "PlayReturnButton") {
            ShowScreen("Main");
        } else if (element == "PlayFeatureFilmButton") {
            SwitchToLevel(g_feature_film_level);
        } else if (element == "PlayEndlessButton") {
            SwitchToLevel(kEndlessLevel);
        } else if (element == "TutorialButton") {
            SwitchToLevel(kTutorialLevel);
        }
    }
}

void UIProcess::InGameAction(const std::string& element) {
    if (element.empty() ||
        SharedAction(element, "In-Game", "In-Game Quit", kInGameExposure, m_levelExposure)) {
        return;
    }
    if (m_currentScreen == "In-Game") {
        if (element == "ReturnToGameButton") {
            Send(MSG_PAUSE_TRIGGER, false, kHandlerId);
        } else if (element == "ReturnToMenuButton") {
            Send(MSG_GAME_DT_MODIFIER, 1.0f, kGameId);
            Send(MSG_GAME_SWITCH_STATE, std::string(kMenuState), kGameId);
        } else if (element == "HowToPlayButton") {
            SetExposure(kInGameExposure);
            ShowScreen("Controls Options");
            ShowControlsOptions();
        }
    }
}

// ---- Messages ----------------------------------------------------------------------------

void UIProcess::TogglePause(bool howToPlay) {
    if (m_stateName != kLevelState || m_currentScreen == "Display Controls" ||
        m_currentScreen == "Highscore") {
        return;
    }
    m_paused = !m_paused;
    const std::vector<u32> keep{kHandlerId};
    if (m_paused) {
        Send(MSG_LEVEL_UNPAUSE_PROCESSES, keep, m_stateHandlerId);
        Send(MSG_LEVEL_PAUSE_PROCESSES, keep, m_stateHandlerId);
        Send(MSG_INPUT_SWITCH_PAUSE, kInputId);
        Send(MSG_GAME_DT_MODIFIER, 0.0f, kGameId);
        Send(MSG_BUILDING_OBJECTIVE_IN_MENU, kBuildingId);
        Send(MSG_BUILDING_OBJECTIVE_IN_MENU, kAiId);
        Send(MSG_SOUND_MUTE_GROUP, SoundInstance::kEffectsGroup, kSoundId);
        Send(MSG_SOUND_MUTE_GROUP, SoundInstance::kMusicGroup, kSoundId);
        Send(MSG_GRAPHICS_GET_EXPOSURE_VALUE, kRendererId);
        if (howToPlay) {
            SetExposure(kInGameExposure);
            ShowScreen("Controls Options");
            ShowControlsOptions();
        } else {
            ShowScreen("In-Game");
        }
        m_skipInput = true;
        Send(MSG_PAUSE_MUSIC, kGameLogicId);
    } else {
        Send(MSG_LEVEL_UNPAUSE_PROCESSES, keep, m_stateHandlerId);
        Send(MSG_INPUT_SWITCH_GAME, kInputId);
        Send(MSG_GAME_DT_MODIFIER, 1.0f, kGameId);
        Send(MSG_BUILDING_OBJECTIVE_IN_GAME, kBuildingId);
        Send(MSG_BUILDING_OBJECTIVE_IN_GAME, kAiId);
        Send(MSG_SOUND_UNMUTE_GROUP, SoundInstance::kEffectsGroup, kSoundId);
        Send(MSG_SOUND_UNMUTE_GROUP, SoundInstance::kMusicGroup, kSoundId);
        SetExposure(m_levelExposure);
        HideScreen();
        Send(MSG_UNPAUSE_MUSIC, kGameLogicId);
    }
}

void UIProcess::HandleMessage(BaseMessage* msg, u32) {
    switch (msg->type) {
    case MSG_GRAPHICS_WINDOWED: {
        const bool windowed = msg->ValueOr<bool>(true);
        if (!windowed) {
            const window::ScreenMetrics screen = window::GetScreenMetrics();
            m_windowWidth = static_cast<u32>(std::max(screen.width, 0));
            m_windowHeight = static_cast<u32>(std::max(screen.height, 0));
        } else {
            m_windowWidth = static_cast<u32>(std::max(g_render_width, 0));
            m_windowHeight = static_cast<u32>(std::max(g_render_height, 0));
        }
        if (m_options != nullptr) {
            if (GraphicsOptions* options = ParserProcess::LoadGraphicsOptions(m_options, true)) {
                options->m_fullscreen = !windowed;
                ParserProcess::SaveGraphicsOptions(m_options);
            }
        }
        for (std::size_t i = 0; i < m_components.Size(); ++i) {
            auto* box = dynamic_cast<CheckBoxUIComponent*>(m_components.At(i));
            if (box != nullptr && ObjectName(box) == "FullscreenCheckBox") {
                box->m_checked = !windowed;
            }
        }
        break;
    }
    case MSG_PLAYER_HEALTH:
        m_playerHealth = msg->ValueOr<f32>(m_playerHealth);
        break;
    case MSG_MENU_INPUT:
    case MSG_INPUT_STATE:
        if (const auto* input = msg->Payload<InputState>()) {
            m_input = *input;
        }
        break;
    case MSG_GAME_HWND:
        if (window::Window* const* window = msg->Payload<window::Window*>()) {
            m_hwnd = *window;
        }
        break;
    case MSG_PAUSE_TRIGGER:
        TogglePause(msg->ValueOr<bool>(false));
        break;
    case MSG_PLAYER_XP:
        if (const auto* score = msg->Payload<f64>()) {
            EndOfPlay(*score);
        } else if (const auto* score32 = msg->Payload<f32>()) {
            EndOfPlay(static_cast<f64>(*score32));
        }
        break;
    case MSG_LEVEL_OBJECT_CREATED:
        if (GameObject* const* object = msg->Payload<GameObject*>()) {
            m_lastCreated = *object;
        }
        break;
    case MSG_SOUND_INSTANCE:
        if (SoundInstance* const* instance = msg->Payload<SoundInstance*>()) {
            m_soundReply = *instance;
        }
        break;
    case MSG_GRAPHICS_EXPOSURE_VALUE:
        m_levelExposure = msg->ValueOr<f32>(m_levelExposure);
        break;
    case MSG_BUILDING_COUNT:
        if (const std::string* text = msg->Payload<std::string>()) {
            for (std::size_t i = 0; i < m_components.Size(); ++i) {
                auto* score = dynamic_cast<TextUIComponent*>(m_components.At(i));
                if (score != nullptr && ObjectName(score) == "ScoreText") {
                    score->SetText(*text);
                }
            }
        }
        break;
    default:
        break;
    }
}
