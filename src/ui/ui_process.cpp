#include "ui/ui_process.h"

#include <utility>
#include <vector>

#include "core/handler_ids.h"
#include "core/message.h"
#include "game/input_state.h"
#include "platform/input/keys.h"
#include "ui/ui_component.h"

namespace {

constexpr u32 kGameId = HANDLER_GAME;
constexpr u32 kInputId = HANDLER_INPUT_CONTROLS;

bool Pressed(const InputState& input, u8 key) {
    return input.m_keys[key] == INPUT_PRESSED;
}

} // namespace

UIProcess::UIProcess(std::string screen, u32 stateId, ParserProcess* parser)
    : m_screen(std::move(screen)), m_state_id(stateId), m_parser(parser) {}

Component* UIProcess::CreateComponent(StreamMap* parameters) {
    return CreateFromStream<UIComponent, ButtonUIComponent, CheckBoxUIComponent, SliderUIComponent,
                            TextUIComponent, InputUIComponent>(
        parameters, ComponentType::UIElement, ComponentType::UIButton, ComponentType::UICheckBox,
        ComponentType::UISlider, ComponentType::UIText, ComponentType::UIInput);
}

void UIProcess::HandleMessage(BaseMessage* msg, u32 fromId) {
    switch (msg->type) {
    case MSG_MENU_INPUT:
        if (const auto* input = msg->Payload<InputState>()) {
            MenuInput(*input);
        }
        break;
    case MSG_PAUSE_TRIGGER:
        if (m_screen == kLevelScreen) {
            ShowPause(!m_pause_shown);
        }
        break;
    default:
        break;
    }
}

void UIProcess::MenuInput(const InputState& input) {
    const bool enter = Pressed(input, input::key::Enter) || Pressed(input, input::key::NumpadEnter);
    if (m_screen == kMenuScreen) {
        if (enter) {
            Message<std::string> start(MSG_GAME_SWITCH_STATE, "Controls");
            SendMessage(&start, kGameId);
        } else if (Pressed(input, input::key::Escape)) {
            BaseMessage quit(MSG_GAME_QUIT);
            SendMessage(&quit, kGameId);
        }
    } else if (m_screen == kLevelScreen && m_pause_shown) {
        if (enter) {
            Message<std::string> menu(MSG_GAME_SWITCH_STATE, kMenuScreen);
            SendMessage(&menu, kGameId);
        } else if (Pressed(input, input::key::Q)) {
            BaseMessage quit(MSG_GAME_QUIT);
            SendMessage(&quit, kGameId);
        }
    }
}

void UIProcess::ShowPause(bool show) {
    m_pause_shown = show;
    // The pause screen itself keeps running; everything else of the level stops.
    Message<std::vector<u32>> processes(show ? MSG_LEVEL_PAUSE_PROCESSES
                                             : MSG_LEVEL_UNPAUSE_PROCESSES,
                                        std::vector<u32>{kHandlerId});
    SendMessage(&processes, m_state_id);
    BaseMessage mode(show ? MSG_INPUT_SWITCH_PAUSE : MSG_INPUT_SWITCH_GAME);
    SendMessage(&mode, kInputId);
}
