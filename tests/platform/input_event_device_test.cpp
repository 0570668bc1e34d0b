#include <gtest/gtest.h>

#include "platform/input/event_device.h"
#include "platform/input/keyboard_layout.h"

namespace {

using input::EventDevice;
using input::kDown;
namespace key = input::key;
namespace mouse = input::mouse;

input::KeyArray ReadKeys(EventDevice& d) {
    input::KeyArray keys{};
    EXPECT_TRUE(d.ReadKeyboard(keys));
    return keys;
}

input::MouseState ReadMouse(EventDevice& d) {
    input::MouseState m;
    EXPECT_TRUE(d.ReadMouse(m));
    return m;
}

TEST(InputEventDevice, KeysReadDownUntilReleased) {
    EventDevice d;
    d.KeyDown(key::W);
    d.KeyDown(key::RightControl);
    auto keys = ReadKeys(d);
    EXPECT_EQ(keys[key::W], kDown);
    EXPECT_EQ(keys[key::RightControl], kDown);
    EXPECT_EQ(keys[key::S], 0);
    EXPECT_EQ(ReadKeys(d)[key::W], kDown);
    d.KeyUp(key::W);
    keys = ReadKeys(d);
    EXPECT_EQ(keys[key::W], 0);
    EXPECT_EQ(keys[key::RightControl], kDown);
}

TEST(InputEventDevice, TapBetweenReadingsIsSeenOnce) {
    EventDevice d;
    d.KeyDown(key::Space);
    d.KeyUp(key::Space);
    d.MouseButton(mouse::Left, true);
    d.MouseButton(mouse::Left, false);
    EXPECT_EQ(ReadKeys(d)[key::Space], kDown);
    EXPECT_EQ(ReadMouse(d).buttons[mouse::Left], kDown);
    EXPECT_EQ(ReadKeys(d)[key::Space], 0);
    EXPECT_EQ(ReadMouse(d).buttons[mouse::Left], 0);
}

TEST(InputEventDevice, MouseMotionAndWheelAccumulateUntilRead) {
    EventDevice d;
    d.MouseMotion(3, -2);
    d.MouseMotion(4, 7);
    d.MouseWheel(120);
    d.MouseWheel(-240);
    d.MouseButton(mouse::X1, true);
    d.MouseButton(7, true); // no such button: ignored
    auto m = ReadMouse(d);
    EXPECT_EQ(m.x, 7);
    EXPECT_EQ(m.y, 5);
    EXPECT_EQ(m.wheel, -120);
    EXPECT_EQ(m.buttons[mouse::X1], kDown);
    EXPECT_EQ(m.buttons[mouse::Right], 0);
    m = ReadMouse(d);
    EXPECT_EQ(m.x, 0);
    EXPECT_EQ(m.y, 0);
    EXPECT_EQ(m.wheel, 0);
    EXPECT_EQ(m.buttons[mouse::X1], kDown);
}

TEST(InputEventDevice, TypedKeysKeepOrderShiftAndRepeats) {
    EventDevice d;
    d.KeyDown(key::H);
    d.KeyUp(key::H);
    d.KeyDown(key::LeftShift);
    d.KeyDown(key::I);
    d.KeyUp(key::LeftShift);
    d.KeyDown(key::I, true); // auto-repeat, shift already let go
    d.KeyDown(key::F1);
    std::vector<input::TypedKey> typed;
    d.ReadTypedKeys(typed);
    ASSERT_EQ(typed.size(), 5u);
    EXPECT_EQ(typed[0].ascii, 'h');
    EXPECT_EQ(typed[1].code, key::LeftShift);
    EXPECT_EQ(typed[1].ascii, 0);
    EXPECT_EQ(typed[2].ascii, 'I');
    EXPECT_EQ(typed[3].ascii, 'i');
    EXPECT_EQ(typed[4].code, key::F1);
    d.ReadTypedKeys(typed);
    EXPECT_TRUE(typed.empty());
}

TEST(InputEventDevice, TypedKeysKeepOnlyTheNewestWhenNobodyReads) {
    EventDevice d;
    for (std::size_t i = 0; i < EventDevice::kTypedKeyLimit + 10; ++i) {
        d.KeyDown(i % 2 == 0 ? key::A : key::B, true);
    }
    d.KeyDown(key::C);
    std::vector<input::TypedKey> typed;
    d.ReadTypedKeys(typed);
    ASSERT_EQ(typed.size(), EventDevice::kTypedKeyLimit);
    EXPECT_EQ(typed.back().ascii, 'c');
}

TEST(InputEventDevice, ResetReleasesEverything) {
    EventDevice d;
    d.KeyDown(key::W);
    d.MouseButton(mouse::Right, true);
    d.MouseMotion(10, 10);
    d.Reset();
    EXPECT_EQ(ReadKeys(d)[key::W], 0);
    const auto m = ReadMouse(d);
    EXPECT_EQ(m.buttons[mouse::Right], 0);
    EXPECT_EQ(m.x, 0);
}

TEST(InputEventDevice, KeyToAsciiFollowsShiftAndCapsLock) {
    EventDevice d;
    EXPECT_EQ(d.KeyToAscii(key::A), 'a');
    d.SetCapsLock(true);
    EXPECT_EQ(d.KeyToAscii(key::A), 'A');
    d.KeyDown(key::RightShift);
    EXPECT_EQ(d.KeyToAscii(key::A), 'a');
    EXPECT_EQ(d.KeyToAscii(key::Digit2), '@');
}

TEST(InputKeyboardLayout, UsLayoutCharacters) {
    struct Case {
        u8 code;
        bool shift;
        bool caps;
        char expected;
    } const cases[] = {
        {key::Q, false, false, 'q'},
        {key::P, false, false, 'p'},
        {key::A, false, false, 'a'},
        {key::L, false, false, 'l'},
        {key::Z, false, false, 'z'},
        {key::M, true, false, 'M'},
        {key::M, false, true, 'M'},
        {key::M, true, true, 'm'},
        {key::Digit1, false, false, '1'},
        {key::Digit0, true, false, ')'},
        {key::Digit5, false, true, '5'},
        {key::Grave, false, false, '`'},
        {key::Grave, true, false, '~'},
        {key::Apostrophe, true, false, '"'},
        {key::Slash, true, false, '?'},
        {key::Space, false, false, ' '},
        {key::Enter, false, false, 13},
        {key::NumpadEnter, false, false, 13},
        {key::Backspace, false, false, 8},
        {key::Numpad7, false, false, '7'},
        {key::NumpadDivide, false, false, '/'},
        {key::F1, false, false, 0},
        {key::LeftShift, true, false, 0},
        {key::Up, false, false, 0},
        {0, false, false, 0},
        {0xFF, false, false, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(input::KeyToAscii(c.code, c.shift, c.caps), c.expected)
            << "code " << int(c.code) << " shift " << c.shift << " caps " << c.caps;
    }
}

} // namespace
