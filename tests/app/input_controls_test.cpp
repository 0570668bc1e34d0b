#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "app/console_cmd.h"
#include "app/input_controls.h"
#include "core/handler_ids.h"
#include "core/message.h"
#include "core/message_router.h"
#include "platform/input/event_device.h"
#include "platform/input/keyboard_layout.h"
#include "platform/window/cursor.h"
#include "platform/window/screen.h"

namespace {

namespace key = input::key;
namespace mouse = input::mouse;

// An event-fed device that can be told to fail its readings, as a lost device does.
class FlakyDevice : public input::Device {
  public:
    input::EventDevice events;
    int keyboardFailures = 0;
    int mouseFailures = 0;
    int keyboardAcquires = 0;
    int mouseAcquires = 0;

    bool AcquireKeyboard() override { return ++keyboardAcquires, true; }
    bool AcquireMouse() override { return ++mouseAcquires, true; }
    bool ReadKeyboard(input::KeyArray& keys) override {
        if (keyboardFailures > 0) {
            --keyboardFailures;
            return false;
        }
        return events.ReadKeyboard(keys);
    }
    bool ReadMouse(input::MouseState& state) override {
        if (mouseFailures > 0) {
            --mouseFailures;
            return false;
        }
        return events.ReadMouse(state);
    }
    void ReadTypedKeys(std::vector<input::TypedKey>& keys) override { events.ReadTypedKeys(keys); }
    char KeyToAscii(u8 code) const override { return events.KeyToAscii(code); }
};

struct Received {
    u32 to = 0;
    u32 type = 0;
    u32 from = 0;
    std::optional<InputState> state;
    std::optional<bool> flag;
    std::optional<ConsoleCmd> console;
};

class Recorder : public MessageHandler {
  public:
    explicit Recorder(std::vector<Received>& log) : m_log(log) {}
    void HandleMessage(BaseMessage* msg, u32 fromId) override {
        Received r;
        r.to = id;
        r.type = msg->type;
        r.from = fromId;
        if (const InputState* s = msg->Payload<InputState>()) {
            r.state = *s;
        }
        if (const bool* b = msg->Payload<bool>()) {
            r.flag = *b;
        }
        if (const ConsoleCmd* c = msg->Payload<ConsoleCmd>()) {
            r.console = *c;
        }
        m_log.push_back(r);
    }

  private:
    std::vector<Received>& m_log;
};

KeyBindings TestBindings() {
    KeyBindings b;
    const u32 codes[] = {key::W, key::S, key::A, key::D, key::Space, 256, 257, 257, key::E,
                         0,      key::Q, 0,      0,      0,          0,   0,   0,   0};
    for (u32 i = 0; i < CONTROL_COUNT; ++i) {
        b.m_codes[i] = codes[i];
    }
    b.m_sensitivity_x = 1.0f;
    b.m_sensitivity_y = 1.0f;
    return b;
}

class InputControlsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        window::SetScreenMetricsOverride(window::ScreenMetrics{1024, 768});
        window::ResetCursor();
        g_input_seen = 0;
        m_device = std::make_shared<FlakyDevice>();
        m_controls.Bind(&m_router, InputControls::kHandlerId);
        m_controls.CreateDevices(m_device);
        m_graphics.Bind(&m_router, 1);
        m_ui.Bind(&m_router, 10);
        m_asker.Bind(&m_router, 22);
    }
    void TearDown() override {
        window::SetScreenMetricsOverride(std::nullopt);
        window::ResetCursor();
    }

    input::EventDevice& Dev() { return m_device->events; }
    void Frame(float dt = 0.016f) { m_controls.Update(dt); }
    const BoundControls& Bound() const { return m_controls.GetBoundControls(); }
    void Send(u32 type) {
        BaseMessage msg(type);
        m_router.SendMessage(&msg, InputControls::kHandlerId, 0);
    }
    template <class T> void Send(u32 type, const T& value) {
        Message<T> msg(type, value);
        m_router.SendMessage(&msg, InputControls::kHandlerId, 0);
    }
    std::vector<Received> Take(u32 type) {
        std::vector<Received> out;
        for (const Received& r : m_log) {
            if (r.type == type) {
                out.push_back(r);
            }
        }
        return out;
    }
    void Tap(u8 code) {
        Dev().KeyDown(code);
        Dev().KeyUp(code);
    }

    MessageRouter m_router;
    KeyBindings m_bindings = TestBindings();
    InputControls m_controls{&m_bindings};
    std::shared_ptr<FlakyDevice> m_device;
    std::vector<Received> m_log;
    Recorder m_graphics{m_log};
    Recorder m_ui{m_log};
    Recorder m_asker{m_log};
};

TEST_F(InputControlsTest, StartsInIntroModeWithMenuEnabled) {
    EXPECT_EQ(m_controls.GetMode(), InputControls::MODE_INTRO);
    EXPECT_TRUE(m_controls.MenuEnabled());
    EXPECT_EQ(m_controls.CursorCounter(), 0);
    EXPECT_EQ(m_controls.GetInputState().m_ui, 0);
    EXPECT_EQ(Bound().m_play, 0);
    EXPECT_TRUE(m_controls.GetConsoleLine().Text().empty());
}

TEST_F(InputControlsTest, KeyHeldThreeFramesThenReleasedReads1223) {
    Send(MSG_INPUT_SWITCH_GAME);
    std::vector<int> bound;
    std::vector<int> snapshot;
    Dev().KeyDown(key::W);
    for (int frame = 0; frame < 4; ++frame) {
        if (frame == 3) {
            Dev().KeyUp(key::W);
        }
        Frame();
        bound.push_back(Bound().m_controls[CONTROL_FORWARD]);
        snapshot.push_back(m_controls.GetInputState().m_keys[key::W]);
    }
    EXPECT_EQ(bound, (std::vector<int>{1, 2, 2, 3}));
    EXPECT_EQ(snapshot, (std::vector<int>{1, 2, 2, 3}));
    Frame();
    EXPECT_EQ(Bound().m_controls[CONTROL_FORWARD], INPUT_UP);
    EXPECT_EQ(g_input_seen, 1);
}

TEST_F(InputControlsTest, MouseButtonsLagOneReadingAnd257IsTheRightButton) {
    Send(MSG_INPUT_SWITCH_GAME);
    std::vector<int> punch; // bound to 257
    std::vector<int> grab;  // bound to 256
    std::vector<int> state;
    Dev().MouseButton(mouse::Right, true);
    for (int frame = 0; frame < 5; ++frame) {
        if (frame == 3) {
            Dev().MouseButton(mouse::Right, false);
        }
        Frame();
        punch.push_back(Bound().m_controls[CONTROL_PUNCH]);
        grab.push_back(Bound().m_controls[CONTROL_GRAB_THROW]);
        state.push_back(m_controls.GetInputState().m_mouse_buttons[mouse::Right]);
    }
    EXPECT_EQ(punch, (std::vector<int>{0, 1, 2, 2, 3}));
    EXPECT_EQ(state, punch);
    EXPECT_EQ(grab, (std::vector<int>{0, 0, 0, 0, 0}));
}

TEST_F(InputControlsTest, CodesOutsideKeysAndButtonsAreUnbound) {
    Send(MSG_INPUT_SWITCH_GAME);
    m_bindings.m_codes[CONTROL_FORWARD] = 264;
    m_bindings.m_codes[CONTROL_JUMP] = 0xFFFFFFFFu;
    m_bindings.m_codes[CONTROL_LASER] = 263; // mouse button 7: valid, never down
    m_bindings.m_codes[CONTROL_RIGHT] = 255;
    for (u32 code = 0; code < 256; ++code) {
        if (code != key::Grave) { // it would open the console
            Dev().KeyDown(static_cast<u8>(code));
        }
    }
    for (u32 b = 0; b < input::kMouseButtonCount; ++b) {
        Dev().MouseButton(b, true);
    }
    Frame();
    Frame();
    EXPECT_EQ(Bound().m_controls[CONTROL_FORWARD], INPUT_UP);
    EXPECT_EQ(Bound().m_controls[CONTROL_JUMP], INPUT_UP);
    EXPECT_EQ(Bound().m_controls[CONTROL_LASER], INPUT_UP);
    EXPECT_EQ(Bound().m_controls[CONTROL_RIGHT], INPUT_HELD);
    EXPECT_NE(m_controls.Action(259), INPUT_UP); // X1
    EXPECT_EQ(m_controls.Action(1000), INPUT_UP);
}

TEST_F(InputControlsTest, MovementRules) {
    struct Case {
        const char* name;
        std::vector<u8> held;
        float x, z;
    } const cases[] = {
        {"none", {}, 0, 0},
        {"forward", {key::W}, 0, -1},
        {"backward", {key::S}, 0, 1},
        {"forward wins over backward", {key::W, key::S}, 0, -1},
        {"left and right cancel", {key::A, key::D}, 0, 0},
        {"forward left", {key::W, key::A}, -std::sqrt(0.5f), -std::sqrt(0.5f)},
        {"backward right", {key::S, key::D}, std::sqrt(0.5f), std::sqrt(0.5f)},
        {"all four", {key::W, key::S, key::A, key::D}, 0, -1},
    };
    Send(MSG_INPUT_SWITCH_GAME);
    for (const Case& c : cases) {
        Dev().Reset();
        Frame(); // the keys of the case before read "released" here
        for (const u8 k : c.held) {
            Dev().KeyDown(k);
        }
        Frame();
        EXPECT_NEAR(Bound().m_movement.x, c.x, 1e-6f) << c.name;
        EXPECT_NEAR(Bound().m_movement.y, 0.0f, 1e-6f) << c.name;
        EXPECT_NEAR(Bound().m_movement.z, c.z, 1e-6f) << c.name;
    }
    // A key let go this frame still counts: only "up" stops the robot.
    Dev().Reset();
    Frame();
    EXPECT_EQ(Bound().m_controls[CONTROL_FORWARD], INPUT_RELEASED);
    EXPECT_NEAR(Bound().m_movement.z, -1.0f, 1e-6f);
}

TEST_F(InputControlsTest, MouseValuesUseTheSensitivities) {
    Send(MSG_INPUT_SWITCH_GAME);
    Send(MSG_INPUT_SET_X_SENSITIVITY, 2.5f);
    Send(MSG_INPUT_SET_Y_SENSITIVITY, 0.5f);
    EXPECT_EQ(m_bindings.m_sensitivity_x, 2.5f); // written into the parser's block
    Dev().MouseMotion(4, -6);
    Dev().MouseWheel(240);
    Frame();
    EXPECT_FLOAT_EQ(Bound().m_mouse_x, 10.0f);
    EXPECT_FLOAT_EQ(Bound().m_mouse_y, -3.0f);
    EXPECT_FLOAT_EQ(Bound().m_mouse_wheel, 240.0f);
    EXPECT_EQ(m_controls.GetInputState().m_mouse_x, 4);
    EXPECT_EQ(m_controls.GetInputState().m_mouse_wheel, 240);
    Frame();
    EXPECT_FLOAT_EQ(Bound().m_mouse_x, 0.0f);
}

TEST_F(InputControlsTest, FailedMouseReadingKeepsTheLastDeltas) {
    Send(MSG_INPUT_SWITCH_GAME);
    Dev().MouseMotion(7, 3);
    Frame();
    m_device->mouseFailures = 2; // the read and the read after acquiring
    Dev().MouseMotion(100, 100);
    Frame();
    EXPECT_FLOAT_EQ(Bound().m_mouse_x, 7.0f);
    EXPECT_GE(m_device->mouseAcquires, 2);
    Frame();
    EXPECT_FLOAT_EQ(Bound().m_mouse_x, 100.0f);

    // One failure: acquiring again gives the reading.
    m_device->mouseFailures = 1;
    m_device->keyboardFailures = 1;
    Dev().MouseMotion(-2, 0);
    Dev().KeyDown(key::W);
    Frame();
    EXPECT_FLOAT_EQ(Bound().m_mouse_x, -2.0f);
    EXPECT_EQ(Bound().m_controls[CONTROL_FORWARD], INPUT_PRESSED);
}

TEST_F(InputControlsTest, ForcedUpdateReadsTheDevicesAtOnce) {
    Send(MSG_INPUT_SWITCH_MENU);
    Frame();
    Dev().KeyDown(key::Space);
    Dev().MouseMotion(9, 0);
    Send(MSG_INPUT_FORCE_UPDATE);
    m_device->mouseFailures = 2; // forced or not, a failing mouse keeps the last deltas
    Frame();
    EXPECT_EQ(m_controls.GetInputState().m_keys[key::Space], INPUT_HELD);
    EXPECT_EQ(m_controls.GetInputState().m_mouse_x, 9);
    Frame();
    EXPECT_EQ(m_controls.GetInputState().m_mouse_x, 0);
}

TEST_F(InputControlsTest, EscapeAndF1ByModeAndMenuSwitch) {
    struct Case {
        u32 switchTo;
        u8 key;
        bool menuEnabled;
        std::optional<bool> expected;
    } const cases[] = {
        {MSG_INPUT_SWITCH_GAME, key::Escape, true, false},
        {MSG_INPUT_SWITCH_GAME, key::F1, true, true},
        {MSG_INPUT_SWITCH_PAUSE, key::Escape, true, false},
        {MSG_INPUT_SWITCH_PAUSE, key::F1, true, true},
        {MSG_INPUT_SWITCH_MENU, key::Escape, true, std::nullopt},
        {MSG_INPUT_SWITCH_MENU, key::F1, true, std::nullopt},
        {MSG_INPUT_SWITCH_EDITOR, key::Escape, true, std::nullopt},
        {MSG_INPUT_SWITCH_INTRO, key::Escape, true, std::nullopt},
        {MSG_INPUT_SWITCH_GAME, key::Escape, false, std::nullopt},
        {MSG_INPUT_SWITCH_PAUSE, key::F1, false, std::nullopt},
    };
    for (const Case& c : cases) {
        Dev().Reset();
        Frame();
        Send(c.switchTo);
        Send(c.menuEnabled ? MSG_INPUT_ENABLE_MENU : MSG_INPUT_DISABLE_MENU);
        m_log.clear();
        Dev().KeyDown(c.key);
        Frame();
        const auto triggers = Take(MSG_PAUSE_TRIGGER);
        if (c.expected) {
            ASSERT_EQ(triggers.size(), 1u) << c.switchTo << " " << int(c.key);
            EXPECT_EQ(triggers[0].to, 10u);
            EXPECT_EQ(triggers[0].from, InputControls::kHandlerId);
            EXPECT_EQ(triggers[0].flag, c.expected);
        } else {
            EXPECT_TRUE(triggers.empty()) << c.switchTo << " " << int(c.key);
        }
        // Held on, the key does not trigger again.
        m_log.clear();
        Frame();
        EXPECT_TRUE(Take(MSG_PAUSE_TRIGGER).empty());
    }
}

TEST_F(InputControlsTest, EachModeSendsItsSnapshotToItsHandler) {
    struct Case {
        u32 mode;
        u32 type;
        u32 to;
    } const cases[] = {
        {InputControls::MODE_GRAPHIC_INPUT, MSG_GRAPHIC_INPUT, 1},
        {InputControls::MODE_EDITOR, MSG_EDITOR_INPUT, 1},
        {InputControls::MODE_MENU, MSG_MENU_INPUT, 10},
        {InputControls::MODE_PAUSE, MSG_MENU_INPUT, 10},
        {InputControls::MODE_INTRO, MSG_NULL, 0},
        {InputControls::MODE_GAME, MSG_NULL, 0},
    };
    for (const Case& c : cases) {
        Dev().Reset();
        Frame();
        m_controls.SetMode(static_cast<InputControls::Mode>(c.mode));
        m_log.clear();
        Dev().KeyDown(key::P);
        Dev().MouseMotion(3, 4);
        Frame();
        std::vector<Received> inputs;
        for (const Received& r : m_log) {
            if (r.state) {
                inputs.push_back(r);
            }
        }
        if (c.type == MSG_NULL) {
            EXPECT_TRUE(inputs.empty()) << "mode " << c.mode;
            EXPECT_EQ(m_controls.GetInputState().m_keys[key::P], INPUT_PRESSED);
            continue;
        }
        ASSERT_EQ(inputs.size(), 1u) << "mode " << c.mode;
        EXPECT_EQ(inputs[0].type, c.type);
        EXPECT_EQ(inputs[0].to, c.to);
        EXPECT_EQ(inputs[0].state->m_keys[key::P], INPUT_PRESSED);
        EXPECT_EQ(inputs[0].state->m_mouse_y, 4);
    }
}

TEST_F(InputControlsTest, SwitchMessagesSetFlagsModeAndCursor) {
    Send(MSG_INPUT_SWITCH_MENU);
    EXPECT_EQ(m_controls.GetMode(), InputControls::MODE_MENU);
    EXPECT_EQ(m_controls.GetInputState().m_ui, 1);
    EXPECT_EQ(Bound().m_play, 0);
    EXPECT_EQ(m_controls.CursorCounter(), 1);
    EXPECT_TRUE(window::CursorVisible());

    Dev().KeyDown(key::W);
    Send(MSG_INPUT_SWITCH_GAME);
    Frame();
    EXPECT_EQ(Bound().m_controls[CONTROL_FORWARD], INPUT_PRESSED);
    EXPECT_EQ(m_controls.GetMode(), InputControls::MODE_GAME);
    EXPECT_EQ(m_controls.GetInputState().m_ui, 0);
    EXPECT_EQ(Bound().m_play, 1);
    EXPECT_EQ(m_controls.CursorCounter(), -1); // hidden from 1: two steps down
    EXPECT_EQ(window::CursorCounter(), -1);
    EXPECT_FALSE(window::CursorVisible());

    Send(MSG_INPUT_SWITCH_PAUSE); // the actions of play are cleared on the way
    EXPECT_EQ(m_controls.GetMode(), InputControls::MODE_PAUSE);
    EXPECT_EQ(Bound().m_controls[CONTROL_FORWARD], INPUT_UP);
    EXPECT_EQ(Bound().m_movement.z, 0.0f);
    EXPECT_EQ(Bound().m_play, 0);
    EXPECT_EQ(m_controls.CursorCounter(), 0);
    EXPECT_TRUE(window::CursorVisible());

    Send(MSG_INPUT_SWITCH_EDITOR);
    EXPECT_EQ(m_controls.GetMode(), InputControls::MODE_EDITOR);
    EXPECT_EQ(m_controls.CursorCounter(), 1);

    Send(MSG_INPUT_SWITCH_INTRO);
    EXPECT_EQ(m_controls.GetMode(), InputControls::MODE_INTRO);
    EXPECT_EQ(m_controls.GetInputState().m_ui, 1);
    EXPECT_EQ(Bound().m_play, 0);
    EXPECT_EQ(m_controls.CursorCounter(), -1);
    EXPECT_FALSE(window::CursorVisible());
    Send(MSG_INPUT_SWITCH_INTRO); // already hidden: the counter stays
    EXPECT_EQ(window::CursorCounter(), -1);

    Send(MSG_INPUT_DISPLAY_CURSOR, true);
    EXPECT_EQ(m_controls.CursorCounter(), 0);
    EXPECT_TRUE(window::CursorVisible());
    Send(MSG_INPUT_DISPLAY_CURSOR, false);
    EXPECT_FALSE(window::CursorVisible());
}

TEST_F(InputControlsTest, RecentresThePointerOutsideTheCursorModes) {
    const struct {
        u32 mode;
        bool recentred;
    } cases[] = {
        {InputControls::MODE_GAME, true},          {InputControls::MODE_INTRO, true},
        {InputControls::MODE_GRAPHIC_INPUT, true}, {InputControls::MODE_RANDOM, true},
        {InputControls::MODE_EDITOR, false},       {InputControls::MODE_MENU, false},
        {InputControls::MODE_PAUSE, false},
    };
    for (const auto& c : cases) {
        window::ResetCursor();
        m_controls.SetMode(static_cast<InputControls::Mode>(c.mode));
        Frame();
        EXPECT_EQ(window::LastCursorPos() == (window::Point{512, 384}), c.recentred)
            << "mode " << c.mode;
    }
}

TEST_F(InputControlsTest, ScreenshotAndFullscreenKeys) {
    Send(MSG_INPUT_SWITCH_GAME);
    Dev().KeyDown(key::PrintScreen);
    Dev().KeyDown(key::RightAlt);
    Dev().KeyDown(key::Enter); // Alt pressed in the same frame: not yet held
    Frame();
    EXPECT_EQ(Take(MSG_GRAPHICS_SAVE_SCREENSHOT).size(), 1u);
    EXPECT_TRUE(Take(MSG_GRAPHICS_FULLSCREEN_SWITCH).empty());
    Frame();
    EXPECT_EQ(Take(MSG_GRAPHICS_SAVE_SCREENSHOT).size(), 1u); // held: not again
    Dev().KeyUp(key::Enter);
    Frame();
    Dev().KeyDown(key::Enter);
    Frame();
    const auto switches = Take(MSG_GRAPHICS_FULLSCREEN_SWITCH);
    ASSERT_EQ(switches.size(), 1u);
    EXPECT_EQ(switches[0].to, 1u);
}

TEST_F(InputControlsTest, InputStateRequestIsAnsweredToTheAsker) {
    Send(MSG_INPUT_SWITCH_MENU);
    Dev().KeyDown(key::Space);
    Frame();
    m_log.clear();
    BaseMessage ask(MSG_INPUT_GET_INPUT_STATE);
    m_asker.SendMessage(&ask, InputControls::kHandlerId);
    ASSERT_EQ(m_log.size(), 1u); // answered before the send returned
    EXPECT_EQ(m_log[0].type, MSG_INPUT_STATE);
    EXPECT_EQ(m_log[0].to, 22u);
    EXPECT_EQ(m_log[0].from, InputControls::kHandlerId);
    EXPECT_EQ(m_log[0].state->m_keys[key::Space], INPUT_PRESSED);
    EXPECT_EQ(m_log[0].state->m_ui, 1);
}

TEST_F(InputControlsTest, BindingsAreSharedCopiedAndDefaulted) {
    // The constructor wrote the fixed codes into the given block and kept the rest.
    EXPECT_EQ(m_bindings.m_codes[CONTROL_FORWARD], key::W);
    EXPECT_EQ(m_bindings.m_codes[CONTROL_ACTION2], key::E);
    EXPECT_EQ(m_bindings.m_codes[CONTROL_ACTION3], key::LeftShift);
    EXPECT_EQ(m_bindings.m_codes[CONTROL_FIXED_ESCAPE], 1u);
    EXPECT_EQ(m_bindings.m_codes[CONTROL_FIXED_BACK], 0x0Eu);
    EXPECT_EQ(m_bindings.m_codes[CONTROL_FIXED_CONSOLE], 0x29u);
    EXPECT_EQ(m_bindings.m_spare, 1.0f);

    KeyBindings changed = TestBindings();
    changed.m_codes[CONTROL_FORWARD] = key::Up;
    changed.m_codes[CONTROL_CHARGE] = key::C;
    changed.m_sensitivity_x = 3.0f;
    Send(MSG_SETUP_CONTROLS_KEYBOARD, changed);
    EXPECT_EQ(m_bindings.m_codes[CONTROL_FORWARD], key::Up);
    EXPECT_EQ(m_bindings.m_codes[CONTROL_FIXED_ESCAPE], 0u); // copied as given
    EXPECT_EQ(m_bindings.m_sensitivity_x, 3.0f);

    Send(MSG_SET_DEFAULT_CONTROLS, 0u);
    EXPECT_EQ(m_bindings.m_codes[CONTROL_CHARGE], key::C);
    Send(MSG_SET_DEFAULT_CONTROLS, 1u);
    EXPECT_EQ(m_bindings.m_codes[CONTROL_CHARGE], 0u);
    EXPECT_EQ(m_bindings.m_codes[CONTROL_FIXED_ESCAPE], 1u);
    EXPECT_EQ(m_bindings.m_codes[CONTROL_FORWARD], key::Up);

    Send(MSG_INPUT_SWITCH_GAME);
    Dev().KeyDown(key::Up);
    Frame();
    EXPECT_EQ(Bound().m_controls[CONTROL_FORWARD], INPUT_PRESSED);

    InputControls own(nullptr);
    EXPECT_EQ(own.GetBindings().m_codes[CONTROL_FIXED_CONSOLE], 0x29u);
}

TEST_F(InputControlsTest, FunctionShiftAndControlActions) {
    Send(MSG_INPUT_SWITCH_GAME);
    Send(MSG_INPUT_DISABLE_MENU); // F1 would pause otherwise
    Dev().KeyDown(key::F1);
    Dev().KeyDown(key::F11);
    Dev().KeyDown(key::F12);
    Dev().KeyDown(key::LeftShift);
    Dev().KeyDown(key::LeftControl);
    Frame();
    EXPECT_EQ(Bound().m_function_keys[0], INPUT_PRESSED);
    EXPECT_EQ(Bound().m_function_keys[1], INPUT_UP);
    EXPECT_EQ(Bound().m_function_keys[10], INPUT_PRESSED);
    EXPECT_EQ(Bound().m_function_keys[11], INPUT_PRESSED);
    EXPECT_EQ(Bound().m_left_shift, INPUT_PRESSED);
    EXPECT_EQ(Bound().m_left_control, INPUT_PRESSED);
    m_controls.ResetState();
    EXPECT_EQ(Bound().m_left_shift, INPUT_UP);
    EXPECT_EQ(Bound().m_function_keys[0], INPUT_PRESSED); // not a bound control
}

class ConsoleTest : public InputControlsTest {
  protected:
    void SetUp() override {
        InputControlsTest::SetUp();
        Send(MSG_INPUT_SWITCH_GAME);
        Dev().KeyDown(key::W);
        Frame();
        Tap(key::Grave);
        Frame();
    }
    std::vector<ConsoleCmd> Consoles() {
        std::vector<ConsoleCmd> out;
        for (const Received& r : Take(MSG_CONSOLE)) {
            EXPECT_EQ(r.to, 1u);
            out.push_back(*r.console);
        }
        m_log.clear();
        return out;
    }
    void Type(const std::string& text) {
        for (const char c : text) {
            const u8 code = c == ' ' ? key::Space : CodeOf(c);
            Tap(code);
        }
    }
    static u8 CodeOf(char c) {
        for (int code = 0; code < 256; ++code) {
            if (input::KeyToAscii(static_cast<u8>(code), false, false) == c) {
                return static_cast<u8>(code);
            }
        }
        return 0;
    }
};

TEST_F(ConsoleTest, GraveOpensTheConsoleAndStopsTheRobot) {
    EXPECT_EQ(m_controls.GetMode(), InputControls::MODE_CONSOLE);
    EXPECT_EQ(Bound().m_console_open, 1);
    EXPECT_EQ(Bound().m_controls[CONTROL_FORWARD], INPUT_UP);
    EXPECT_EQ(Bound().m_movement.z, 0.0f);
    const auto sent = Consoles();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].m_console_open, 1);
    EXPECT_EQ(sent[0].m_line, "");
}

TEST_F(ConsoleTest, OneMessagePerFrameWithTheLineSoFar) {
    Consoles();
    Type("gfx");
    Frame();
    Type(" on");
    Frame();
    Frame();
    const auto sent = Consoles();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0].m_line, "gfx");
    EXPECT_EQ(sent[1].m_line, "gfx on");
    EXPECT_EQ(sent[2].m_line, "gfx on");
    EXPECT_EQ(sent[2].m_line_submitted, 0);

    Tap(key::Enter);
    Frame();
    Frame();
    const auto submitted = Consoles();
    ASSERT_EQ(submitted.size(), 2u);
    EXPECT_EQ(submitted[0].m_line_submitted, 1);
    EXPECT_EQ(submitted[0].m_line, "");
    EXPECT_EQ(submitted[1].m_line_submitted, 0);
    EXPECT_EQ(m_controls.GetConsoleLine().LastCommand(), 2u);
}

TEST_F(ConsoleTest, EnterOnEmptyLineAndGraveAccentsTypeNothing) {
    Consoles();
    Tap(key::Enter);
    Tap(key::Backspace);
    Dev().KeyDown(key::LeftShift);
    Dev().KeyDown(key::Grave, true); // a held console key repeating, shifted to '~'
    Frame();
    auto sent = Consoles();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].m_line_submitted, 0);
    EXPECT_EQ(sent[0].m_line, "");
    EXPECT_EQ(m_controls.GetMode(), InputControls::MODE_CONSOLE);
}

TEST_F(ConsoleTest, GraveClosesAndSwitchingClosesToo) {
    Consoles();
    Type("ai");
    Frame();
    Tap(key::Grave);
    Frame();
    auto sent = Consoles();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[1].m_console_open, 0);
    EXPECT_EQ(m_controls.GetMode(), InputControls::MODE_GAME);
    EXPECT_EQ(Bound().m_console_open, 0);

    Frame();
    Tap(key::Grave);
    Frame();
    ASSERT_EQ(m_controls.GetMode(), InputControls::MODE_CONSOLE);
    Consoles();
    Send(MSG_INPUT_SWITCH_MENU);
    sent = Consoles();
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].m_console_open, 0);
    EXPECT_EQ(m_controls.GetMode(), InputControls::MODE_MENU);
    Send(MSG_INPUT_SWITCH_GAME); // closed already: nothing more to tell
    EXPECT_TRUE(Consoles().empty());
}

TEST_F(ConsoleTest, EscapeInTheConsoleDoesNotPause) {
    Tap(key::Escape);
    Frame();
    EXPECT_TRUE(Take(MSG_PAUSE_TRIGGER).empty());
}

// Unattended runs play the robot by random input: each switch to play enters it while the
// aid is on, the pause screen still takes the keys, and no key is needed to walk.
TEST_F(InputControlsTest, RandomPlayEntersRandomInputAtEverySwitchToPlay) {
    m_controls.SetRandomPlay(true);
    Send(MSG_INPUT_SWITCH_GAME);
    EXPECT_EQ(m_controls.GetMode(), InputControls::MODE_RANDOM);
    Frame();
    EXPECT_NE(Bound().m_movement.z, 0.0f);
    Send(MSG_INPUT_SWITCH_PAUSE);
    EXPECT_EQ(m_controls.GetMode(), InputControls::MODE_PAUSE);
    Send(MSG_INPUT_SWITCH_GAME);
    EXPECT_EQ(m_controls.GetMode(), InputControls::MODE_RANDOM);
    m_controls.SetRandomPlay(false);
    Send(MSG_INPUT_SWITCH_GAME);
    EXPECT_EQ(m_controls.GetMode(), InputControls::MODE_GAME);
    Frame();
    EXPECT_EQ(Bound().m_movement.z, 0.0f);
}

// The cheat keys reach the game logic, the player, the AI and the renderer only while the aid
// is on and the robot is in play, random or not; in the menu and the console they are plain
// keys.
TEST_F(InputControlsTest, CheatKeysSendTheirMessagesOnlyInPlayWithTheAidOn) {
    Recorder logic{m_log};
    Recorder player{m_log};
    Recorder ai{m_log};
    logic.Bind(&m_router, HANDLER_GAME_LOGIC_PROCESS);
    player.Bind(&m_router, HANDLER_PLAYER_PROCESS);
    ai.Bind(&m_router, HANDLER_AI_VIEW_PROCESS);
    constexpr u32 kCheats[] = {MSG_DISABLE_OBJECTIVE, MSG_DISABLE_DEALTH, MSG_DISABLE_AI,
                               MSG_GRAPHICS_TOGGLE_BLOOM};
    const auto sent = [&] {
        std::size_t n = 0;
        for (const u32 type : kCheats) {
            n += Take(type).size();
        }
        m_log.clear();
        return n;
    };
    const auto tapAll = [&] {
        Tap(key::F9);
        Tap(key::F10);
        Tap(key::F11);
        Tap(key::H);
        Frame();
        Frame();
    };
    Send(MSG_INPUT_SWITCH_GAME);
    tapAll();
    EXPECT_EQ(sent(), 0u) << "the aid is off";

    m_controls.SetCheatKeys(true);
    tapAll();
    for (const u32 type : kCheats) {
        EXPECT_EQ(Take(type).size(), 1u) << MessageTypeName(type);
    }
    m_log.clear();
    m_controls.SetRandomPlay(true);
    Send(MSG_INPUT_SWITCH_GAME);
    tapAll();
    EXPECT_EQ(sent(), 4u) << "random play";
    Send(MSG_INPUT_SWITCH_MENU);
    tapAll();
    EXPECT_EQ(sent(), 0u) << "the menu";
}

} // namespace
