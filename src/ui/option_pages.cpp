// The option pages and the high-score screens of the UI process: filling the widgets from
// the stored options, applying and resetting them, the key capture of the binding fields and
// the name entry after a game.
#include "ui/option_pages.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <utility>

#include "audio/sound_instance.h"
#include "content/parser_process.h"
#include "core/game_object.h"
#include "core/message.h"
#include "game/shell_globals.h"
#include "platform/input/key_names.h"
#include "platform/input/keys.h"
#include "platform/system/log.h"
#include "platform/window/screen.h"
#include "ui/ui_component.h"
#include "ui/ui_process.h"

namespace {

constexpr u32 kGameId = HANDLER_GAME;
constexpr u32 kRendererId = HANDLER_GRAPHICS_PROCESS;
constexpr u32 kSoundId = HANDLER_SOUND_PROCESS;

constexpr f32 kSensitivityScale = 5.0f;
constexpr const char* kHighscoreInput = "HighscoreInput";
constexpr std::size_t kLongestName = 3;

// The binding fields of the controls page and the control each one sets.
struct BindingField {
    const char* element;
    ControlIndex control;
    const char* defaultKey;
};
constexpr BindingField kBindingFields[] = {
    {"MoveForwardInput", CONTROL_FORWARD, "W"},
    {"MoveBackwardInput", CONTROL_BACKWARD, "S"},
    {"MoveLeftInput", CONTROL_LEFT, "A"},
    {"MoveRightInput", CONTROL_RIGHT, "D"},
    {"JumpInput", CONTROL_JUMP, "SPACE"},
    {"GrabThrowInput", CONTROL_GRAB_THROW, "LEFT MOUSE"},
    {"PunchInput", CONTROL_PUNCH, "RIGHT MOUSE"},
    {"LaserInput", CONTROL_LASER, "E"},
    {"LaserAltInput", CONTROL_LASER_ALT, "Q"},
};

// The graphics page's sliders and check boxes and the stored values behind them.
struct IndexSlider {
    const char* element;
    i32 GraphicsOptions::*index;
};
constexpr IndexSlider kIndexSliders[] = {
    {"ResolutionSlider", &GraphicsOptions::m_resolution},
    {"ShadowMapSizeSlider", &GraphicsOptions::m_shadow_map_size},
    {"ShadowMapCountSlider", &GraphicsOptions::m_shadow_map_count},
};

struct FlagBox {
    const char* element;
    bool GraphicsOptions::*flag;
    bool byDefault;
};
constexpr FlagBox kFlagBoxes[] = {
    {"ShadowsCheckBox", &GraphicsOptions::m_shadows, true},
    {"MotionBlurCheckBox", &GraphicsOptions::m_motion_blur, true},
    {"DepthOfFieldCheckBox", &GraphicsOptions::m_depth_of_field, true},
    {"3DCheckBox", &GraphicsOptions::m_three_dee, false},
    {"FullscreenCheckBox", &GraphicsOptions::m_fullscreen, true},
};

// The read-out element of a slider: its name from the first "Slider" on replaced.
std::string OutputTextName(const std::string& sliderName) {
    const std::size_t at = sliderName.find("Slider");
    return (at == std::string::npos ? sliderName : sliderName.substr(0, at)) + "OutputText";
}

// The row number N of "<prefix>N<suffix>", or 0 when the name has none.
std::size_t RowNumber(const std::string& name, const std::string& prefix) {
    const std::size_t at = name.find(prefix);
    if (at == std::string::npos) {
        return 0;
    }
    std::size_t n = 0;
    for (std::size_t i = at + prefix.size();
         i < name.size() && name[i] >= '0' && name[i] <= '9' && n < 1000; ++i) {
        n = n * 10 + static_cast<std::size_t>(name[i] - '0');
    }
    return n;
}

// The stored options, or nothing for a UI without an options keeper.
struct Stored {
    static GraphicsOptions* Graphics(ParserProcess* parser, bool useCache) {
        return parser != nullptr ? ParserProcess::LoadGraphicsOptions(parser, useCache) : nullptr;
    }
    static SoundOptions* Sound(ParserProcess* parser, bool useCache) {
        return parser != nullptr ? ParserProcess::LoadSoundOptions(parser, useCache) : nullptr;
    }
    static KeyBindings* Controls(ParserProcess* parser, bool useCache) {
        return parser != nullptr ? ParserProcess::LoadKeyboardControls(parser, useCache) : nullptr;
    }
    static HighscoreTable* Highscores(ParserProcess* parser, bool useCache) {
        return parser != nullptr ? ParserProcess::LoadHighscores(parser, useCache) : nullptr;
    }
};

bool IsNameCharacter(const std::string& keyName) {
    if (keyName.size() != 1) {
        return false;
    }
    const char c = keyName[0];
    return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

} // namespace

Resolution ResolutionForScreen(i32 index, i32 screenWidth, i32 screenHeight) {
    Resolution r = kResolutions[static_cast<std::size_t>(
        std::clamp(index, 0, static_cast<i32>(kResolutions.size()) - 1))];
    if (r.width == screenWidth && screenHeight > 0 && screenHeight < r.height) {
        r.height = screenHeight;
    }
    return r;
}

std::string FormatMoney(f64 value) {
    if (!std::isfinite(value)) {
        value = 0.0;
    }
    std::string sign;
    if (value < 0.0) {
        sign = "-";
        value = -value;
    }
    // Beyond this many hundredths a double has no cents left to keep.
    constexpr f64 kLargest = 9.0e18;
    const f64 hundredths = std::min(value * 100.0 + 1.0e-6, kLargest);
    const auto total = static_cast<u64>(hundredths);
    u64 dollars = total / 100;
    const u64 cents = total % 100;
    std::string groups;
    do {
        char group[8];
        if (dollars >= 1000) {
            std::snprintf(group, sizeof group, ",%03u", static_cast<unsigned>(dollars % 1000));
        } else {
            std::snprintf(group, sizeof group, "%u", static_cast<unsigned>(dollars));
        }
        groups.insert(0, group);
        dollars /= 1000;
    } while (dollars > 0);
    char tail[8];
    std::snprintf(tail, sizeof tail, ".%02u", static_cast<unsigned>(cents));
    return sign + "$" + groups + tail;
}

// ---- Finding the page's widgets ----------------------------------------------------------

template <class T> T* UIProcess::FindByName(const std::string& name) const {
    return dynamic_cast<T*>(FindComponentByObjectName(name));
}

// ---- Read-outs ---------------------------------------------------------------------------

void UIProcess::UpdateSliderOutputText(const SliderUIComponent& slider, TextUIComponent& output) {
    const std::string& name = ObjectName(&output);
    const i32 index = slider.GetStep();
    std::string text;
    if (name == "ResolutionOutputText") {
        const window::ScreenMetrics screen = window::GetScreenMetrics();
        const Resolution r = ResolutionForScreen(index, screen.width, screen.height);
        text = std::to_string(r.width) + "x" + std::to_string(r.height);
    } else if (name == "ShadowMapSizeOutputText" || name == "ShadowMapCountOutputText") {
        static const char* const kLevels[] = {"LOW", "MED", "HIGH"};
        text = kLevels[std::clamp(index, 0, 2)];
    } else if (name == "MasterVolumeOutputText" || name == "SoundFXVolumeOutputText" ||
               name == "MusicVolumeOutputText") {
        text = std::to_string(static_cast<i32>(slider.m_value * 100.0f)) + "%";
    } else if (name == "SensitivityOutputText") {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%.1f",
                      static_cast<double>(slider.m_value * kSensitivityScale));
        text = buffer;
    } else {
        return;
    }
    output.SetText(text);
}

void UIProcess::UpdateSliderOutputTexts() {
    for (std::size_t i = 0; i < m_components.Size(); ++i) {
        auto* slider = dynamic_cast<SliderUIComponent*>(m_components.At(i));
        if (slider == nullptr) {
            continue;
        }
        if (auto* output = FindByName<TextUIComponent>(OutputTextName(ObjectName(slider)))) {
            UpdateSliderOutputText(*slider, *output);
        }
    }
}

void UIProcess::RefreshSliderOutput(const UIComponent* widget) {
    const auto* slider = dynamic_cast<const SliderUIComponent*>(widget);
    if (slider == nullptr) {
        return;
    }
    if (auto* output = FindByName<TextUIComponent>(OutputTextName(ObjectName(slider)))) {
        UpdateSliderOutputText(*slider, *output);
    }
}

// ---- Pages -------------------------------------------------------------------------------

void UIProcess::FillPage(const std::string& screen) {
    if (screen == "Graphics Options") {
        ShowGraphicsOptions();
    } else if (screen == "Controls Options") {
        ShowControlsOptions();
    } else if (screen == "Sound Options") {
        ShowSoundOptions();
    } else if (screen == "Highscore Display" || screen == "Highscore") {
        ShowHighscores();
    }
}

void UIProcess::ApplyPage(const std::string& screen) {
    if (screen == "Graphics Options") {
        ApplyGraphicsOptions();
    } else if (screen == "Controls Options") {
        ApplyControlsOptions();
    } else if (screen == "Sound Options") {
        ApplySoundOptions();
    }
    sys::Log() << "UIProcess::ApplyPage: " << screen;
}

void UIProcess::DefaultPage(const std::string& screen) {
    if (screen == "Graphics Options") {
        DefaultGraphicsOptions();
    } else if (screen == "Controls Options") {
        DefaultControlsOptions();
    } else if (screen == "Sound Options") {
        DefaultSoundOptions();
    }
}

namespace {

void SetSlider(SliderUIComponent* slider, f32 value) {
    if (slider != nullptr) {
        slider->m_value = value;
        slider->Snap();
    }
}

f32 SliderValue(const SliderUIComponent* slider, f32 fallback) {
    return slider != nullptr ? slider->m_value : fallback;
}

} // namespace

void UIProcess::ShowSoundOptions() {
    if (const SoundOptions* sound = Stored::Sound(m_options, true)) {
        SetSlider(FindByName<SliderUIComponent>("MasterVolumeSlider"), sound->m_master_volume);
        SetSlider(FindByName<SliderUIComponent>("SoundFXVolumeSlider"), sound->m_sound_fx_volume);
        SetSlider(FindByName<SliderUIComponent>("MusicVolumeSlider"), sound->m_music_volume);
    }
    UpdateSliderOutputTexts();
}

void UIProcess::ApplySoundOptions() {
    SoundOptions* sound = Stored::Sound(m_options, false);
    if (sound == nullptr) {
        return;
    }
    sound->m_master_volume =
        SliderValue(FindByName<SliderUIComponent>("MasterVolumeSlider"), sound->m_master_volume);
    sound->m_sound_fx_volume =
        SliderValue(FindByName<SliderUIComponent>("SoundFXVolumeSlider"), sound->m_sound_fx_volume);
    sound->m_music_volume =
        SliderValue(FindByName<SliderUIComponent>("MusicVolumeSlider"), sound->m_music_volume);
    Send(MSG_SOUND_SET_MASTER_VOLUME, sound->m_master_volume, kSoundId);
    Send(MSG_SOUND_SET_GROUP_VOLUME,
         std::pair<u32, f32>(SoundInstance::kEffectsGroup, sound->m_sound_fx_volume), kSoundId);
    Send(MSG_SOUND_SET_GROUP_VOLUME,
         std::pair<u32, f32>(SoundInstance::kMusicGroup, sound->m_music_volume), kSoundId);
    ParserProcess::SaveSoundOptions(m_options);
}

void UIProcess::DefaultSoundOptions() {
    SetSlider(FindByName<SliderUIComponent>("MasterVolumeSlider"), 1.0f);
    SetSlider(FindByName<SliderUIComponent>("SoundFXVolumeSlider"), 0.5f);
    SetSlider(FindByName<SliderUIComponent>("MusicVolumeSlider"), 1.0f);
    UpdateSliderOutputTexts();
}

void UIProcess::ShowControlsOptions() {
    if (const KeyBindings* controls = Stored::Controls(m_options, true)) {
        SetSlider(FindByName<SliderUIComponent>("SensitivitySlider"),
                  std::clamp(std::fabs(controls->m_sensitivity_y) / kSensitivityScale, 0.0f, 1.0f));
        if (auto* box = FindByName<CheckBoxUIComponent>("InvertYAxisCheckBox")) {
            box->m_checked = controls->m_sensitivity_y < 0.0f;
        }
        if (auto* box = FindByName<CheckBoxUIComponent>("InvertXAxisCheckBox")) {
            box->m_checked = controls->m_sensitivity_x < 0.0f;
        }
        for (const BindingField& field : kBindingFields) {
            if (auto* input = FindByName<InputUIComponent>(field.element)) {
                input->SetText(input::KeyNameFromCode(controls->m_codes[field.control]));
            }
        }
    }
    UpdateSliderOutputTexts();
}

void UIProcess::ApplyControlsOptions() {
    KeyBindings* controls = Stored::Controls(m_options, false);
    if (controls == nullptr) {
        return;
    }
    f32 x = SliderValue(FindByName<SliderUIComponent>("SensitivitySlider"),
                        std::fabs(controls->m_sensitivity_y) / kSensitivityScale) *
            kSensitivityScale;
    f32 y = x;
    if (const auto* box = FindByName<CheckBoxUIComponent>("InvertYAxisCheckBox");
        box != nullptr && box->m_checked) {
        y = -y;
    }
    if (const auto* box = FindByName<CheckBoxUIComponent>("InvertXAxisCheckBox");
        box != nullptr && box->m_checked) {
        x = -x;
    }
    for (const BindingField& field : kBindingFields) {
        if (const auto* input = FindByName<InputUIComponent>(field.element)) {
            const u32 code = input::KeyCodeFromName(input->m_text);
            controls->m_codes[field.control] = code;
            if (field.control == CONTROL_PUNCH) {
                controls->m_codes[CONTROL_ROCKET_PUNCH] = code;
            }
        }
    }
    controls->m_sensitivity_x = x;
    controls->m_sensitivity_y = y;
    ParserProcess::SaveKeyboardControls(m_options);
}

void UIProcess::DefaultControlsOptions() {
    SetSlider(FindByName<SliderUIComponent>("SensitivitySlider"), 0.2f);
    for (const char* name : {"InvertYAxisCheckBox", "InvertXAxisCheckBox"}) {
        if (auto* box = FindByName<CheckBoxUIComponent>(name)) {
            box->m_checked = false;
        }
    }
    for (const BindingField& field : kBindingFields) {
        if (auto* input = FindByName<InputUIComponent>(field.element)) {
            input->SetText(field.defaultKey);
        }
    }
    UpdateSliderOutputTexts();
}

void UIProcess::ShowGraphicsOptions() {
    if (const GraphicsOptions* graphics = Stored::Graphics(m_options, true)) {
        for (const IndexSlider& entry : kIndexSliders) {
            if (auto* slider = FindByName<SliderUIComponent>(entry.element)) {
                slider->SetStep(graphics->*entry.index);
            }
        }
        for (const FlagBox& entry : kFlagBoxes) {
            if (auto* box = FindByName<CheckBoxUIComponent>(entry.element)) {
                box->m_checked = graphics->*entry.flag;
            }
        }
    }
    UpdateSliderOutputTexts();
}

void UIProcess::ApplyGraphicsOptions() {
    GraphicsOptions* graphics = Stored::Graphics(m_options, false);
    if (graphics == nullptr) {
        return;
    }
    for (const IndexSlider& entry : kIndexSliders) {
        if (const auto* slider = FindByName<SliderUIComponent>(entry.element)) {
            graphics->*entry.index = slider->GetStep();
        }
    }
    for (const FlagBox& entry : kFlagBoxes) {
        if (const auto* box = FindByName<CheckBoxUIComponent>(entry.element)) {
            graphics->*entry.flag = box->m_checked;
        }
    }
    // A slider never leaves the list, but the record must not either.
    const i32 last = static_cast<i32>(kResolutions.size()) - 1;
    graphics->m_resolution = std::clamp(graphics->m_resolution, 0, last);

    const auto width = [](i32 index) {
        return kResolutions[static_cast<std::size_t>(index)].width;
    };
    if (width(graphics->m_resolution) != g_render_width) {
        const window::ScreenMetrics screen = window::GetScreenMetrics();
        // Without a known screen size every resolution is allowed.
        while (screen.width > 0 && graphics->m_resolution > 0 &&
               width(graphics->m_resolution) > screen.width) {
            --graphics->m_resolution;
        }
        const Resolution chosen =
            ResolutionForScreen(graphics->m_resolution, screen.width, screen.height);
        g_render_width = kResolutions[static_cast<std::size_t>(graphics->m_resolution)].width;
        g_render_height = chosen.height;
        if (auto* slider = FindByName<SliderUIComponent>("ResolutionSlider")) {
            slider->SetStep(graphics->m_resolution);
        }
        UpdateSliderOutputTexts();
        Send(MSG_GRAPHICS_CHANGE_RESOLUTION, kRendererId);
    }
    Send(MSG_GRAPHICS_ENABLE_SHADOWS, graphics->m_shadows, kRendererId);
    Send(MSG_GRAPHICS_SET_MOTION_BLUR_SETTING, graphics->m_motion_blur, kRendererId);
    Send(MSG_GRAPHICS_SET_THREE_DEE_SETTING, graphics->m_three_dee ? 0 : 1, kRendererId);
    Send(MSG_GRAPHICS_FULLSCREEN_SET, graphics->m_fullscreen, kRendererId);
    ParserProcess::SaveGraphicsOptions(m_options);
}

void UIProcess::DefaultGraphicsOptions() {
    SetSlider(FindByName<SliderUIComponent>("ResolutionSlider"), 0.2f);
    SetSlider(FindByName<SliderUIComponent>("ShadowMapSizeSlider"), 1.0f);
    SetSlider(FindByName<SliderUIComponent>("ShadowMapCountSlider"), 1.0f);
    for (const FlagBox& entry : kFlagBoxes) {
        if (auto* box = FindByName<CheckBoxUIComponent>(entry.element)) {
            box->m_checked = entry.byDefault;
        }
    }
    UpdateSliderOutputTexts();
}

// ---- High scores -------------------------------------------------------------------------

void UIProcess::ShowHighscores() {
    const HighscoreTable* table = Stored::Highscores(m_options, true);
    if (table != nullptr) {
        // The rows as the table shows them, best first.
        sys::Log log;
        log << "UIProcess::ShowHighscores:";
        for (std::size_t n = 0; n < std::min(table->m_names.size(), table->m_values.size()); ++n) {
            log << ' ' << table->m_names[n] << ' ' << FormatMoney(table->m_values[n]) << ';';
        }
    }
    for (std::size_t i = 0; i < m_components.Size(); ++i) {
        auto* text = dynamic_cast<TextUIComponent*>(m_components.At(i));
        if (text == nullptr || dynamic_cast<InputUIComponent*>(text) != nullptr) {
            continue;
        }
        const std::string& name = ObjectName(text);
        if (name == "HighscoreText") {
            text->SetText(FormatMoney(m_finalScore));
            continue;
        }
        if (table == nullptr) {
            continue;
        }
        if (name.find("HighscoreName") != std::string::npos) {
            const std::size_t n = RowNumber(name, "HighscoreName");
            if (n >= 1 && n <= table->m_names.size()) {
                text->SetText(table->m_names[n - 1]);
            }
        } else if (name.find("HighscoreValue") != std::string::npos) {
            const std::size_t n = RowNumber(name, "HighscoreValue");
            if (n >= 1 && n <= table->m_values.size()) {
                text->SetText(FormatMoney(table->m_values[n - 1]));
            }
        }
    }
}

// ---- Key capture and name entry ----------------------------------------------------------

void UIProcess::CaptureKeyBinding() {
    auto* field = dynamic_cast<InputUIComponent*>(m_focus);
    if (field == nullptr) {
        return;
    }
    const i32 key = FirstPressedKey();
    i32 code = 0;
    if (key == input::key::Escape) {
        field->Deactivate();
        return;
    }
    code = key != 0 ? key : FirstPressedMouseButton();
    if (code == 0) {
        return;
    }
    const std::string bound = input::KeyNameFromCode(static_cast<u32>(code));
    field->SetText(bound);
    field->Deactivate();
    // One key, one action: the field that had the key loses it.
    for (std::size_t i = 0; i < m_components.Size(); ++i) {
        auto* other = dynamic_cast<InputUIComponent*>(m_components.At(i));
        if (other != nullptr && other != field && other->m_text == bound) {
            other->SetText("");
            break;
        }
    }
}

void UIProcess::EnterHighscoreName() {
    auto* field = dynamic_cast<InputUIComponent*>(m_focus);
    if (field == nullptr) {
        return;
    }
    if (m_nameEntered) {
        // The score is in; the game is on its way back to the menu.
        field->Deactivate();
        return;
    }
    const i32 key = FirstPressedKey();
    bool done = key == input::key::Escape ||
                ((key == input::key::Enter || key == input::key::NumpadEquals) &&
                 !KeyDown(input::key::LeftAlt) && !KeyDown(input::key::RightAlt));
    if (!done && key != 0) {
        const std::string letter = input::KeyNameFromCode(static_cast<u32>(key));
        if (IsNameCharacter(letter)) {
            field->SetText(field->m_text.size() <= kLongestName ? field->m_text + letter : letter);
            done = field->m_text.size() >= kLongestName;
        }
    }
    if (!done) {
        return;
    }
    field->Deactivate();
    m_nameEntered = true;
    sys::Log() << "UIProcess::HighscoreName: " << field->m_text;
    if (HighscoreTable* table = Stored::Highscores(m_options, false)) {
        if (table->Insert(field->m_text, m_finalScore) >= 0) {
            ParserProcess::SaveHighscores(m_options);
        }
    }
    Send(MSG_GAME_DT_MODIFIER, 1.0f, kGameId);
    Send(MSG_GAME_SWITCH_STATE, std::string(kMenuState), kGameId);
}

// ---- End of play -------------------------------------------------------------------------

void UIProcess::EndOfPlay(f64 score) {
    m_finalScore = score;
    m_nameEntered = false;
    sys::Log() << "UIProcess::EndOfPlay: " << FormatMoney(score);
    const std::vector<u32> keep{kHandlerId};
    Send(MSG_LEVEL_UNPAUSE_PROCESSES, keep, m_stateHandlerId);
    Send(MSG_LEVEL_PAUSE_PROCESSES, keep, m_stateHandlerId);
    Send(MSG_INPUT_SWITCH_PAUSE, HANDLER_INPUT_CONTROLS);
    Send(MSG_GAME_DT_MODIFIER, 0.0f, kGameId);
    Send(MSG_SOUND_MUTE_GROUP, SoundInstance::kEffectsGroup, kSoundId);
    Send(MSG_SOUND_MUTE_GROUP, SoundInstance::kMusicGroup, kSoundId);
    Send(MSG_GRAPHICS_GET_EXPOSURE_VALUE, kRendererId);
    // Everything the UI shows goes: the score display and whatever screen is up.
    std::vector<GameObject*> owners;
    for (std::size_t i = 0; i < m_components.Size(); ++i) {
        GameObject* owner = m_components.At(i)->owner;
        if (owner != nullptr && std::find(owners.begin(), owners.end(), owner) == owners.end()) {
            owners.push_back(owner);
        }
    }
    m_screenObjects.clear();
    m_focus = nullptr;
    for (GameObject* owner : owners) {
        Send(MSG_LEVEL_DELETE_OBJECT, owner, m_stateHandlerId);
    }
    SetExposure(1.5f);
    ShowScreen("Highscore");
    ShowHighscores();
    // The screen has no default focus: the name field takes the keyboard at once, so a
    // player without a mouse can enter a name too.
    if (auto* field = FindByName<InputUIComponent>(kHighscoreInput)) {
        m_focus = field;
        field->Activate(false);
    }
    m_paused = true;
    m_skipInput = true;
    Send(MSG_PAUSE_MUSIC, HANDLER_GAME_LOGIC_PROCESS);
}
