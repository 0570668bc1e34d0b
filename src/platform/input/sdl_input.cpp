#include "platform/input/sdl_input.h"

#include <SDL.h>

#include <array>
#include <cmath>

#include "platform/window/window.h"

namespace input {
namespace {

struct ScancodeKey {
    SDL_Scancode scancode;
    u8 code;
};

// SDL numbers keys by USB usage; the game by the keyboard's own scan codes.
constexpr ScancodeKey kScancodes[] = {
    {SDL_SCANCODE_ESCAPE, key::Escape},
    {SDL_SCANCODE_1, key::Digit1},
    {SDL_SCANCODE_2, key::Digit2},
    {SDL_SCANCODE_3, key::Digit3},
    {SDL_SCANCODE_4, key::Digit4},
    {SDL_SCANCODE_5, key::Digit5},
    {SDL_SCANCODE_6, key::Digit6},
    {SDL_SCANCODE_7, key::Digit7},
    {SDL_SCANCODE_8, key::Digit8},
    {SDL_SCANCODE_9, key::Digit9},
    {SDL_SCANCODE_0, key::Digit0},
    {SDL_SCANCODE_MINUS, key::Minus},
    {SDL_SCANCODE_EQUALS, key::Equals},
    {SDL_SCANCODE_BACKSPACE, key::Backspace},
    {SDL_SCANCODE_TAB, key::Tab},
    {SDL_SCANCODE_Q, key::Q},
    {SDL_SCANCODE_W, key::W},
    {SDL_SCANCODE_E, key::E},
    {SDL_SCANCODE_R, key::R},
    {SDL_SCANCODE_T, key::T},
    {SDL_SCANCODE_Y, key::Y},
    {SDL_SCANCODE_U, key::U},
    {SDL_SCANCODE_I, key::I},
    {SDL_SCANCODE_O, key::O},
    {SDL_SCANCODE_P, key::P},
    {SDL_SCANCODE_LEFTBRACKET, key::LeftBracket},
    {SDL_SCANCODE_RIGHTBRACKET, key::RightBracket},
    {SDL_SCANCODE_RETURN, key::Enter},
    {SDL_SCANCODE_LCTRL, key::LeftControl},
    {SDL_SCANCODE_A, key::A},
    {SDL_SCANCODE_S, key::S},
    {SDL_SCANCODE_D, key::D},
    {SDL_SCANCODE_F, key::F},
    {SDL_SCANCODE_G, key::G},
    {SDL_SCANCODE_H, key::H},
    {SDL_SCANCODE_J, key::J},
    {SDL_SCANCODE_K, key::K},
    {SDL_SCANCODE_L, key::L},
    {SDL_SCANCODE_SEMICOLON, key::Semicolon},
    {SDL_SCANCODE_APOSTROPHE, key::Apostrophe},
    {SDL_SCANCODE_GRAVE, key::Grave},
    {SDL_SCANCODE_LSHIFT, key::LeftShift},
    {SDL_SCANCODE_BACKSLASH, key::Backslash},
    // The ISO keyboard's key left of Enter sends the same scan code as the US backslash.
    {SDL_SCANCODE_NONUSHASH, key::Backslash},
    {SDL_SCANCODE_Z, key::Z},
    {SDL_SCANCODE_X, key::X},
    {SDL_SCANCODE_C, key::C},
    {SDL_SCANCODE_V, key::V},
    {SDL_SCANCODE_B, key::B},
    {SDL_SCANCODE_N, key::N},
    {SDL_SCANCODE_M, key::M},
    {SDL_SCANCODE_COMMA, key::Comma},
    {SDL_SCANCODE_PERIOD, key::Period},
    {SDL_SCANCODE_SLASH, key::Slash},
    {SDL_SCANCODE_RSHIFT, key::RightShift},
    {SDL_SCANCODE_KP_MULTIPLY, key::NumpadMultiply},
    {SDL_SCANCODE_LALT, key::LeftAlt},
    {SDL_SCANCODE_SPACE, key::Space},
    {SDL_SCANCODE_CAPSLOCK, key::CapsLock},
    {SDL_SCANCODE_F1, key::F1},
    {SDL_SCANCODE_F2, key::F2},
    {SDL_SCANCODE_F3, key::F3},
    {SDL_SCANCODE_F4, key::F4},
    {SDL_SCANCODE_F5, key::F5},
    {SDL_SCANCODE_F6, key::F6},
    {SDL_SCANCODE_F7, key::F7},
    {SDL_SCANCODE_F8, key::F8},
    {SDL_SCANCODE_F9, key::F9},
    {SDL_SCANCODE_F10, key::F10},
    {SDL_SCANCODE_NUMLOCKCLEAR, key::NumLock},
    {SDL_SCANCODE_SCROLLLOCK, key::ScrollLock},
    {SDL_SCANCODE_KP_7, key::Numpad7},
    {SDL_SCANCODE_KP_8, key::Numpad8},
    {SDL_SCANCODE_KP_9, key::Numpad9},
    {SDL_SCANCODE_KP_MINUS, key::NumpadMinus},
    {SDL_SCANCODE_KP_4, key::Numpad4},
    {SDL_SCANCODE_KP_5, key::Numpad5},
    {SDL_SCANCODE_KP_6, key::Numpad6},
    {SDL_SCANCODE_KP_PLUS, key::NumpadPlus},
    {SDL_SCANCODE_KP_1, key::Numpad1},
    {SDL_SCANCODE_KP_2, key::Numpad2},
    {SDL_SCANCODE_KP_3, key::Numpad3},
    {SDL_SCANCODE_KP_0, key::Numpad0},
    {SDL_SCANCODE_KP_PERIOD, key::NumpadPeriod},
    {SDL_SCANCODE_NONUSBACKSLASH, key::IsoBackslash},
    {SDL_SCANCODE_F11, key::F11},
    {SDL_SCANCODE_F12, key::F12},
    {SDL_SCANCODE_F13, key::F13},
    {SDL_SCANCODE_F14, key::F14},
    {SDL_SCANCODE_F15, key::F15},
    {SDL_SCANCODE_INTERNATIONAL2, key::Kana},
    {SDL_SCANCODE_INTERNATIONAL1, key::Ro},
    {SDL_SCANCODE_INTERNATIONAL4, key::Henkan},
    {SDL_SCANCODE_INTERNATIONAL5, key::Muhenkan},
    {SDL_SCANCODE_INTERNATIONAL3, key::Yen},
    {SDL_SCANCODE_KP_EQUALS, key::NumpadEquals},
    {SDL_SCANCODE_AUDIOPREV, key::PreviousTrack},
    {SDL_SCANCODE_AUDIONEXT, key::NextTrack},
    // Extended keys: the scan code of their unextended twin plus 0x80.
    {SDL_SCANCODE_KP_ENTER, key::NumpadEnter},
    {SDL_SCANCODE_RCTRL, key::RightControl},
    {SDL_SCANCODE_MUTE, key::Mute},
    {SDL_SCANCODE_AUDIOMUTE, key::Mute},
    {SDL_SCANCODE_CALCULATOR, key::Calculator},
    {SDL_SCANCODE_AUDIOPLAY, key::PlayPause},
    {SDL_SCANCODE_AUDIOSTOP, key::MediaStop},
    {SDL_SCANCODE_VOLUMEDOWN, key::VolumeDown},
    {SDL_SCANCODE_VOLUMEUP, key::VolumeUp},
    {SDL_SCANCODE_AC_HOME, key::WebHome},
    {SDL_SCANCODE_KP_COMMA, key::NumpadComma},
    {SDL_SCANCODE_KP_DIVIDE, key::NumpadDivide},
    {SDL_SCANCODE_PRINTSCREEN, key::PrintScreen},
    {SDL_SCANCODE_RALT, key::RightAlt},
    {SDL_SCANCODE_PAUSE, key::Pause},
    {SDL_SCANCODE_HOME, key::Home},
    {SDL_SCANCODE_UP, key::Up},
    {SDL_SCANCODE_PAGEUP, key::PageUp},
    {SDL_SCANCODE_LEFT, key::Left},
    {SDL_SCANCODE_RIGHT, key::Right},
    {SDL_SCANCODE_END, key::End},
    {SDL_SCANCODE_DOWN, key::Down},
    {SDL_SCANCODE_PAGEDOWN, key::PageDown},
    {SDL_SCANCODE_INSERT, key::Insert},
    {SDL_SCANCODE_DELETE, key::Delete},
    {SDL_SCANCODE_LGUI, key::LeftGui},
    {SDL_SCANCODE_RGUI, key::RightGui},
    {SDL_SCANCODE_APPLICATION, key::Menu},
    {SDL_SCANCODE_POWER, key::Power},
    {SDL_SCANCODE_SLEEP, key::Sleep},
    {SDL_SCANCODE_AC_SEARCH, key::WebSearch},
    {SDL_SCANCODE_AC_BOOKMARKS, key::WebBookmarks},
    {SDL_SCANCODE_AC_REFRESH, key::WebRefresh},
    {SDL_SCANCODE_AC_STOP, key::WebStop},
    {SDL_SCANCODE_AC_FORWARD, key::WebForward},
    {SDL_SCANCODE_AC_BACK, key::WebBack},
    {SDL_SCANCODE_COMPUTER, key::Computer},
    {SDL_SCANCODE_MAIL, key::Mail},
    {SDL_SCANCODE_MEDIASELECT, key::MediaSelect},
};

constexpr std::array<u8, SDL_NUM_SCANCODES> BuildTable() {
    std::array<u8, SDL_NUM_SCANCODES> table{};
    for (const ScancodeKey& k : kScancodes) {
        table[k.scancode] = k.code;
    }
    return table;
}

constexpr std::array<u8, SDL_NUM_SCANCODES> kTable = BuildTable();

constexpr i32 kWheelNotch = 120;

} // namespace

u8 KeyCodeFromScancode(int scancode) {
    if (scancode < 0 || scancode >= SDL_NUM_SCANCODES) {
        return 0;
    }
    return kTable[static_cast<std::size_t>(scancode)];
}

u32 MouseButtonFromSdl(int button) {
    switch (button) {
    case SDL_BUTTON_LEFT:
        return mouse::Left;
    case SDL_BUTTON_RIGHT:
        return mouse::Right;
    case SDL_BUTTON_MIDDLE:
        return mouse::Middle;
    case SDL_BUTTON_X1:
        return mouse::X1;
    default:
        return kMouseButtonCount;
    }
}

void FeedEvent(EventDevice& device, const SDL_Event& event) {
    switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
        device.SetCapsLock((event.key.keysym.mod & KMOD_CAPS) != 0);
        const u8 code = KeyCodeFromScancode(event.key.keysym.scancode);
        if (code == 0) {
            break;
        }
        if (event.type == SDL_KEYDOWN) {
            device.KeyDown(code, event.key.repeat != 0);
        } else {
            device.KeyUp(code);
        }
        break;
    }
    case SDL_MOUSEMOTION:
        device.MouseMotion(event.motion.xrel, event.motion.yrel);
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        device.MouseButton(MouseButtonFromSdl(event.button.button),
                           event.type == SDL_MOUSEBUTTONDOWN);
        break;
    case SDL_MOUSEWHEEL: {
        // Fine-grained wheels report fractions of a notch; events made by hand may carry
        // only the whole notches.
        const float notches =
            event.wheel.preciseY != 0.0f ? event.wheel.preciseY : static_cast<float>(event.wheel.y);
        i32 delta = static_cast<i32>(std::lround(notches * kWheelNotch));
        if (event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED) {
            delta = -delta;
        }
        device.MouseWheel(delta);
        break;
    }
    case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_FOCUS_LOST) {
            device.Reset();
        }
        break;
    default:
        break;
    }
}

std::shared_ptr<EventDevice> CreateWindowDevice(window::Window& window) {
    auto device = std::make_shared<EventDevice>();
    window.AddEventListener([device](const window::Event& e) { FeedEvent(*device, e.Native()); });
    return device;
}

} // namespace input
