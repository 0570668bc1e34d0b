#include <SDL.h>
#include <gtest/gtest.h>

#include <map>

#include "platform/input/sdl_input.h"

namespace {

namespace key = input::key;

TEST(InputSdl, ScancodesGiveKeyboardScanCodes) {
    const std::pair<SDL_Scancode, u8> cases[] = {
        {SDL_SCANCODE_ESCAPE, 0x01},
        {SDL_SCANCODE_W, 0x11},
        {SDL_SCANCODE_S, 0x1F},
        {SDL_SCANCODE_A, 0x1E},
        {SDL_SCANCODE_D, 0x20},
        {SDL_SCANCODE_E, 0x12},
        {SDL_SCANCODE_Q, 0x10},
        {SDL_SCANCODE_SPACE, 0x39},
        {SDL_SCANCODE_BACKSPACE, 0x0E},
        {SDL_SCANCODE_GRAVE, 0x29},
        {SDL_SCANCODE_LSHIFT, 0x2A},
        {SDL_SCANCODE_LCTRL, 0x1D},
        {SDL_SCANCODE_RETURN, 0x1C},
        {SDL_SCANCODE_F1, 0x3B},
        {SDL_SCANCODE_F10, 0x44},
        {SDL_SCANCODE_F11, 0x57},
        {SDL_SCANCODE_F12, 0x58},
        {SDL_SCANCODE_LALT, 0x38},
        {SDL_SCANCODE_KP_7, 0x47},
        {SDL_SCANCODE_KP_PERIOD, 0x53},
        // Extended keys carry 0x80 on top of their twin's code.
        {SDL_SCANCODE_RALT, 0xB8},
        {SDL_SCANCODE_RCTRL, 0x9D},
        {SDL_SCANCODE_KP_ENTER, 0x9C},
        {SDL_SCANCODE_KP_DIVIDE, 0xB5},
        {SDL_SCANCODE_PRINTSCREEN, 0xB7},
        {SDL_SCANCODE_HOME, 0xC7},
        {SDL_SCANCODE_UP, 0xC8},
        {SDL_SCANCODE_PAGEUP, 0xC9},
        {SDL_SCANCODE_LEFT, 0xCB},
        {SDL_SCANCODE_RIGHT, 0xCD},
        {SDL_SCANCODE_END, 0xCF},
        {SDL_SCANCODE_DOWN, 0xD0},
        {SDL_SCANCODE_PAGEDOWN, 0xD1},
        {SDL_SCANCODE_INSERT, 0xD2},
        {SDL_SCANCODE_DELETE, 0xD3},
        {SDL_SCANCODE_LGUI, 0xDB},
        {SDL_SCANCODE_PAUSE, 0xC5},
        {SDL_SCANCODE_UNKNOWN, 0},
        {SDL_SCANCODE_F24, 0},
    };
    for (const auto& [scancode, code] : cases) {
        EXPECT_EQ(input::KeyCodeFromScancode(scancode), code) << SDL_GetScancodeName(scancode);
    }
    EXPECT_EQ(input::KeyCodeFromScancode(-1), 0);
    EXPECT_EQ(input::KeyCodeFromScancode(SDL_NUM_SCANCODES), 0);
}

TEST(InputSdl, NoTwoKeysShareACodeBeyondTheKnownTwins) {
    std::map<u8, int> seen;
    for (int sc = 0; sc < SDL_NUM_SCANCODES; ++sc) {
        const u8 code = input::KeyCodeFromScancode(sc);
        if (code != 0) {
            ++seen[code];
        }
    }
    EXPECT_EQ(seen[key::Backslash], 2); // US backslash and the ISO key in its place
    EXPECT_EQ(seen[key::Mute], 2);
    for (const auto& [code, count] : seen) {
        if (code != key::Backslash && code != key::Mute) {
            EXPECT_EQ(count, 1) << "code " << int(code);
        }
    }
}

TEST(InputSdl, MouseButtonsInTheGamesOrder) {
    EXPECT_EQ(input::MouseButtonFromSdl(SDL_BUTTON_LEFT), 0u);
    EXPECT_EQ(input::MouseButtonFromSdl(SDL_BUTTON_RIGHT), 1u);
    EXPECT_EQ(input::MouseButtonFromSdl(SDL_BUTTON_MIDDLE), 2u);
    EXPECT_EQ(input::MouseButtonFromSdl(SDL_BUTTON_X1), 3u);
    EXPECT_EQ(input::MouseButtonFromSdl(SDL_BUTTON_X2), input::kMouseButtonCount);
}

SDL_Event KeyEvent(Uint32 type, SDL_Scancode sc, bool repeat = false, Uint16 mod = 0) {
    SDL_Event e{};
    e.type = type;
    e.key.keysym.scancode = sc;
    e.key.keysym.mod = mod;
    e.key.repeat = repeat ? 1 : 0;
    return e;
}

SDL_Event WheelEvent(Sint32 y, float precise, Uint32 direction) {
    SDL_Event e{};
    e.type = SDL_MOUSEWHEEL;
    e.wheel.y = y;
    e.wheel.preciseY = precise;
    e.wheel.direction = direction;
    return e;
}

TEST(InputSdl, FeedingEventsFillsTheDevice) {
    input::EventDevice d;
    input::FeedEvent(d, KeyEvent(SDL_KEYDOWN, SDL_SCANCODE_RALT));
    input::FeedEvent(d, KeyEvent(SDL_KEYDOWN, SDL_SCANCODE_F24)); // no code: ignored
    input::FeedEvent(d, KeyEvent(SDL_KEYDOWN, SDL_SCANCODE_A, false, KMOD_CAPS));
    SDL_Event b{};
    b.type = SDL_MOUSEBUTTONDOWN;
    b.button.button = SDL_BUTTON_RIGHT;
    input::FeedEvent(d, b);
    SDL_Event m{};
    m.type = SDL_MOUSEMOTION;
    m.motion.xrel = -4;
    m.motion.yrel = 9;
    input::FeedEvent(d, m);

    input::KeyArray keys{};
    d.ReadKeyboard(keys);
    EXPECT_EQ(keys[key::RightAlt], input::kDown);
    EXPECT_EQ(keys[key::A], input::kDown);
    std::vector<input::TypedKey> typed;
    d.ReadTypedKeys(typed);
    ASSERT_EQ(typed.size(), 2u);
    EXPECT_EQ(typed[1].ascii, 'A'); // caps lock came with the event
    input::MouseState ms;
    d.ReadMouse(ms);
    EXPECT_EQ(ms.buttons[input::mouse::Right], input::kDown);
    EXPECT_EQ(ms.x, -4);
    EXPECT_EQ(ms.y, 9);

    input::FeedEvent(d, KeyEvent(SDL_KEYUP, SDL_SCANCODE_RALT));
    d.ReadKeyboard(keys);
    EXPECT_EQ(keys[key::RightAlt], 0);
}

TEST(InputSdl, WheelReports120ANotch) {
    struct Case {
        Sint32 y;
        float precise;
        Uint32 direction;
        i32 expected;
    } const cases[] = {
        {1, 1.0f, SDL_MOUSEWHEEL_NORMAL, 120},   {-2, -2.0f, SDL_MOUSEWHEEL_NORMAL, -240},
        {1, 1.0f, SDL_MOUSEWHEEL_FLIPPED, -120}, {0, 0.25f, SDL_MOUSEWHEEL_NORMAL, 30},
        {3, 0.0f, SDL_MOUSEWHEEL_NORMAL, 360}, // made by hand: whole notches only
    };
    for (const Case& c : cases) {
        input::EventDevice d;
        input::FeedEvent(d, WheelEvent(c.y, c.precise, c.direction));
        input::MouseState ms;
        d.ReadMouse(ms);
        EXPECT_EQ(ms.wheel, c.expected) << c.y << " " << c.precise;
    }
}

TEST(InputSdl, LosingFocusReleasesKeys) {
    input::EventDevice d;
    input::FeedEvent(d, KeyEvent(SDL_KEYDOWN, SDL_SCANCODE_W));
    SDL_Event f{};
    f.type = SDL_WINDOWEVENT;
    f.window.event = SDL_WINDOWEVENT_FOCUS_LOST;
    input::FeedEvent(d, f);
    input::KeyArray keys{};
    d.ReadKeyboard(keys);
    EXPECT_EQ(keys[key::W], 0);
}

} // namespace
