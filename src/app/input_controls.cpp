#include "app/input_controls.h"

#include <cmath>

#include "app/console_cmd.h"
#include "core/handler_ids.h"
#include "core/message.h"
#include "platform/input/keys.h"
#include "platform/window/cursor.h"
#include "platform/window/screen.h"

u8 g_input_seen = 0;

namespace {

constexpr u32 kGraphicsHandler = 1;
constexpr u32 kUIHandler = 10;

// The cheat keys and where each one's message goes.
struct CheatKey {
    u8 key;
    u32 type;
    u32 to;
};
constexpr CheatKey kCheatKeys[] = {
    {input::key::F9, MSG_DISABLE_OBJECTIVE, HANDLER_GAME_LOGIC_PROCESS},
    {input::key::F10, MSG_DISABLE_DEALTH, HANDLER_PLAYER_PROCESS},
    {input::key::F11, MSG_DISABLE_AI, HANDLER_AI_VIEW_PROCESS},
    // The renderer's own bloom key, which otherwise reaches it only in the editor.
    {input::key::H, MSG_GRAPHICS_TOGGLE_BLOOM, HANDLER_GRAPHICS_PROCESS},
};

namespace key = input::key;

constexpr u8 kFunctionKeys[BoundControls::kFunctionKeyCount] = {
    key::F1, key::F2, key::F3, key::F4,  key::F5,  key::F6,
    key::F7, key::F8, key::F9, key::F10, key::F11, key::F12,
};

u8 ActionOf(u8 previous, u8 current) {
    const bool was = (previous & input::kDown) != 0;
    const bool is = (current & input::kDown) != 0;
    if (is) {
        return was ? INPUT_HELD : INPUT_PRESSED;
    }
    return was ? INPUT_RELEASED : INPUT_UP;
}

void Send(InputControls& self, u32 type, u32 to) {
    BaseMessage msg(type);
    self.SendMessage(&msg, to);
}

} // namespace

InputControls::InputControls(KeyBindings* bindings)
    : m_bindings(bindings != nullptr ? bindings : &m_own_bindings) {
    ResetState();
    SetDefaultControls();
}

InputControls::~InputControls() = default;

void InputControls::CreateDevices(std::shared_ptr<input::Device> device) {
    m_device = std::move(device);
    if (m_device) {
        m_device->AcquireKeyboard();
        m_device->AcquireMouse();
    }
}

void InputControls::SetDefaultControls() {
    u32* const codes = m_bindings->m_codes;
    codes[CONTROL_CHARGE] = 0;
    codes[CONTROL_ACTION2] = key::E;
    codes[CONTROL_ACTION3] = key::LeftShift;
    codes[CONTROL_ACTION4] = 0;
    codes[CONTROL_ACTION5] = 0;
    codes[CONTROL_FIXED_ESCAPE] = key::Escape;
    codes[CONTROL_FIXED_BACK] = key::Backspace;
    codes[CONTROL_FIXED_CONSOLE] = key::Grave;
    m_bindings->m_spare = 1.0f;
    m_bindings->m_switches[0] = 0;
    m_bindings->m_switches[1] = 0;
}

void InputControls::ResetState() {
    const std::lock_guard<std::mutex> hold(m_bound_lock);
    for (u8& action : m_bound.m_controls) {
        action = INPUT_UP;
    }
    m_bound.m_left_shift = INPUT_UP;
    m_bound.m_left_control = INPUT_UP;
    m_bound.m_movement.x = 0.0f;
    m_bound.m_movement.y = 0.0f;
    m_bound.m_movement.z = 0.0f;
    m_bound.m_mouse_x = 0.0f;
    m_bound.m_mouse_y = 0.0f;
}

u8 InputControls::Action(u32 code) const {
    if (code < input::kKeyCount) {
        return ActionOf(m_previous_keys[code], m_keys[code]);
    }
    const u32 button = code - input::kKeyCount;
    if (button < InputState::kMouseButtonCount) {
        return ActionOf(m_previous_buttons[button], m_buttons[button]);
    }
    return INPUT_UP;
}

char InputControls::KeyToAscii(u8 code) const {
    return m_device ? m_device->KeyToAscii(code) : 0;
}

void InputControls::Poll(bool force) {
    m_previous_keys = m_keys;
    if (m_device && !m_device->ReadKeyboard(m_keys)) {
        m_device->AcquireKeyboard();
        m_device->ReadKeyboard(m_keys);
    }

    // The buttons of the previous mouse reading: button actions lag the keys by one reading.
    for (u32 i = 0; i < InputState::kMouseButtonCount; ++i) {
        m_previous_buttons[i] = m_buttons[i];
        m_buttons[i] = i < input::kMouseButtonCount ? m_mouse.buttons[i] : 0;
    }
    bool read = m_device && m_device->ReadMouse(m_mouse);
    if (!read && m_device) {
        m_device->AcquireMouse();
        read = m_device->ReadMouse(m_mouse) || force;
    }
    if (read) {
        m_mouse_x = m_mouse.x;
        m_mouse_y = m_mouse.y;
        m_mouse_wheel = m_mouse.wheel;
    }

    m_typed.clear();
    if (m_device) {
        m_device->ReadTypedKeys(m_typed);
    }
}

void InputControls::BuildBoundControls() {
    const std::lock_guard<std::mutex> hold(m_bound_lock);
    for (u32 i = 0; i < CONTROL_COUNT; ++i) {
        m_bound.m_controls[i] = Action(m_bindings->m_codes[i]);
    }
    m_bound.m_left_shift = Action(key::LeftShift);
    m_bound.m_left_control = Action(key::LeftControl);
    g_input_seen = 1;
    for (u32 i = 0; i < BoundControls::kFunctionKeyCount; ++i) {
        m_bound.m_function_keys[i] = Action(kFunctionKeys[i]);
    }

    f32 x = 0.0f;
    f32 z = 0.0f;
    // Forward wins when both are held; left and right cancel out.
    if (m_bound.m_controls[CONTROL_FORWARD] != INPUT_UP) {
        z -= 1.0f;
    } else if (m_bound.m_controls[CONTROL_BACKWARD] != INPUT_UP) {
        z += 1.0f;
    }
    if (m_bound.m_controls[CONTROL_LEFT] != INPUT_UP) {
        x -= 1.0f;
    }
    if (m_bound.m_controls[CONTROL_RIGHT] != INPUT_UP) {
        x += 1.0f;
    }
    const f32 length = std::sqrt(x * x + z * z);
    if (length > 0.0f) {
        x /= length;
        z /= length;
    }
    m_bound.m_movement.x = x;
    m_bound.m_movement.y = 0.0f;
    m_bound.m_movement.z = z;

    m_bound.m_mouse_x = static_cast<f32>(m_mouse_x) * m_bindings->m_sensitivity_x;
    m_bound.m_mouse_y = static_cast<f32>(m_mouse_y) * m_bindings->m_sensitivity_y;
    m_bound.m_mouse_wheel = static_cast<f32>(m_mouse_wheel);
}

void InputControls::FillInputState() {
    for (u32 i = 0; i < InputState::kKeyCount; ++i) {
        m_state.m_keys[i] = Action(i);
    }
    for (u32 i = 0; i < InputState::kMouseButtonCount; ++i) {
        m_state.m_mouse_buttons[i] = Action(input::kKeyCount + i);
    }
    m_state.m_mouse_x = m_mouse_x;
    m_state.m_mouse_y = m_mouse_y;
    m_state.m_mouse_wheel = m_mouse_wheel;
}

void InputControls::Update(float dt) {
    Poll(false);

    if (Action(key::PrintScreen) == INPUT_PRESSED) {
        Send(*this, MSG_GRAPHICS_SAVE_SCREENSHOT, kGraphicsHandler);
    }
    const bool altHeld = Action(key::LeftAlt) == INPUT_HELD || Action(key::RightAlt) == INPUT_HELD;
    if (altHeld && Action(key::Enter) == INPUT_PRESSED) {
        Send(*this, MSG_GRAPHICS_FULLSCREEN_SWITCH, kGraphicsHandler);
    }

    switch (m_mode) {
    case MODE_GAME:
        BuildBoundControls();
        FillInputState();
        if (Action(m_bindings->m_codes[CONTROL_FIXED_CONSOLE]) == INPUT_PRESSED) {
            OpenConsole();
        }
        break;
    case MODE_CONSOLE:
        ConsoleStep();
        break;
    case MODE_GRAPHIC_INPUT:
    case MODE_EDITOR:
    case MODE_MENU:
    case MODE_PAUSE:
    case MODE_INTRO: {
        FillInputState();
        u32 type = MSG_NULL;
        u32 to = kGraphicsHandler;
        if (m_mode == MODE_GRAPHIC_INPUT) {
            type = MSG_GRAPHIC_INPUT;
        } else if (m_mode == MODE_EDITOR) {
            type = MSG_EDITOR_INPUT;
        } else if (m_mode == MODE_MENU || m_mode == MODE_PAUSE) {
            type = MSG_MENU_INPUT;
            to = kUIHandler;
        }
        if (type != MSG_NULL) {
            Message<InputState> msg(type, m_state);
            SendMessage(&msg, to);
        }
        break;
    }
    case MODE_RANDOM:
        BuildBoundControls();
        m_random.Step(dt, m_bound);
        break;
    }

    if (m_cheat_keys && (m_mode == MODE_GAME || m_mode == MODE_RANDOM)) {
        for (const CheatKey& cheat : kCheatKeys) {
            if (Action(cheat.key) == INPUT_PRESSED) {
                Send(*this, cheat.type, cheat.to);
            }
        }
    }

    const bool pausable = (m_mode == MODE_GAME || m_mode == MODE_PAUSE) && m_menu_enabled != 0;
    if (pausable && Action(key::Escape) == INPUT_PRESSED) {
        // Read again so the key that opened the menu is not seen pressed once more.
        Poll(false);
        Message<bool> msg(MSG_PAUSE_TRIGGER, false);
        SendMessage(&msg, kUIHandler);
    } else if (pausable && Action(key::F1) == INPUT_PRESSED) {
        Poll(false);
        Message<bool> msg(MSG_PAUSE_TRIGGER, true);
        SendMessage(&msg, kUIHandler);
    }

    if (m_mode != MODE_EDITOR && m_mode != MODE_MENU && m_mode != MODE_PAUSE) {
        const window::ScreenMetrics screen = window::GetScreenMetrics();
        window::SetCursorPos(screen.width / 2, screen.height / 2);
    }
}

void InputControls::ConsoleStep() {
    if (Action(m_bindings->m_codes[CONTROL_FIXED_CONSOLE]) == INPUT_PRESSED) {
        CloseConsole();
        return;
    }
    m_bound.m_line_submitted = 0;
    for (const input::TypedKey& typed : m_typed) {
        // The console key closes the line; shifted it would type a tilde.
        if (typed.code == m_bindings->m_codes[CONTROL_FIXED_CONSOLE]) {
            continue;
        }
        if (m_console.Type(typed.ascii)) {
            m_bound.m_line_submitted = 1;
        }
    }
    SendConsole();
}

void InputControls::OpenConsole() {
    // The robot must not keep walking on the actions of the frame the console opened in.
    ResetState();
    m_mode = MODE_CONSOLE;
    m_bound.m_console_open = 1;
    m_bound.m_line_submitted = 0;
    SendConsole();
}

void InputControls::CloseConsole() {
    const bool wasOpen = m_bound.m_console_open != 0;
    m_bound.m_console_open = 0;
    m_bound.m_line_submitted = 0;
    if (m_mode == MODE_CONSOLE) {
        m_mode = MODE_GAME;
    }
    if (wasOpen) {
        // The renderer hides the line when it hears the console is closed.
        SendConsole();
    }
}

void InputControls::SendConsole() {
    ConsoleCmd cmd;
    cmd.m_console_open = m_bound.m_console_open;
    cmd.m_line_submitted = m_bound.m_line_submitted;
    cmd.m_line = m_console.Text();
    Message<ConsoleCmd> msg(MSG_CONSOLE, cmd);
    SendMessage(&msg, kGraphicsHandler);
}

void InputControls::ShowCursor(bool show) {
    if (show) {
        window::SetCursor(window::CursorShape::Arrow);
        m_cursor_counter = window::ShowCursor(true);
    } else {
        HideCursor();
    }
}

void InputControls::HideCursor() {
    while (m_cursor_counter >= 0) {
        window::SetCursor(window::CursorShape::None);
        m_cursor_counter = window::ShowCursor(false);
    }
}

void InputControls::CursorMode() {
    m_state.m_ui = 1;
    m_bound.m_play = 0;
    CloseConsole();
    ResetState();
    ShowCursor(true);
}

void InputControls::HandleMessage(BaseMessage* msg, u32 fromId) {
    switch (msg->type) {
    case MSG_INPUT_SWITCH_EDITOR:
        m_mode = MODE_EDITOR;
        CursorMode();
        break;
    case MSG_INPUT_SWITCH_MENU:
        m_mode = MODE_MENU;
        CursorMode();
        break;
    case MSG_INPUT_SWITCH_PAUSE:
        m_mode = MODE_PAUSE;
        CursorMode();
        break;
    case MSG_INPUT_SWITCH_GAME:
        m_bound.m_play = 1;
        m_state.m_ui = 0;
        CloseConsole();
        m_mode = m_random_play ? MODE_RANDOM : MODE_GAME;
        ResetState();
        HideCursor();
        break;
    case MSG_INPUT_SWITCH_INTRO:
        m_mode = MODE_INTRO;
        m_state.m_ui = 1;
        m_bound.m_play = 0;
        CloseConsole();
        ResetState();
        HideCursor();
        break;
    case MSG_INPUT_FORCE_UPDATE:
        Poll(true);
        break;
    case MSG_INPUT_DISPLAY_CURSOR:
        if (msg->Tag() != nullptr) {
            ShowCursor(msg->ValueOr<bool>(false));
        }
        break;
    case MSG_INPUT_DISABLE_MENU:
        m_menu_enabled = 0;
        break;
    case MSG_INPUT_ENABLE_MENU:
        m_menu_enabled = 1;
        break;
    case MSG_INPUT_GET_INPUT_STATE: {
        Message<InputState> reply(MSG_INPUT_STATE, m_state);
        SendMessage(&reply, fromId);
        break;
    }
    case MSG_SETUP_CONTROLS_KEYBOARD:
        if (const KeyBindings* bindings = msg->Payload<KeyBindings>()) {
            *m_bindings = *bindings;
        }
        break;
    case MSG_SET_DEFAULT_CONTROLS:
        if (msg->ValueOr<u32>(0) != 0) {
            SetDefaultControls();
        }
        break;
    case MSG_INPUT_SET_X_SENSITIVITY:
        m_bindings->m_sensitivity_x = msg->ValueOr<f32>(m_bindings->m_sensitivity_x);
        break;
    case MSG_INPUT_SET_Y_SENSITIVITY:
        m_bindings->m_sensitivity_y = msg->ValueOr<f32>(m_bindings->m_sensitivity_y);
        break;
    default:
        break;
    }
}
