#pragma once
// The process (handler 3) that reads keyboard and mouse once a frame, turns them into
// actions and publishes them by input mode: in play the robot reads the bound-control block
// directly; the menus, the editor and the graphics tools get the whole snapshot as a
// message. It also keeps the cursor shown or hidden and recentred, takes the screenshot and
// fullscreen keys, opens the pause menu and runs the console line.
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/bound_controls.h"
#include "app/console_line.h"
#include "app/random_input.h"
#include "content/options.h"
#include "core/process.h"
#include "game/controls_source.h"
#include "game/handler_id.h"
#include "game/input_state.h"
#include "platform/input/device.h"

class InputControls : public Process, public ControlsSource {
  public:
    static constexpr u32 kHandlerId = HANDLER_INPUT_CONTROLS;

    enum Mode : u32 {
        MODE_GAME = 0,
        MODE_CONSOLE = 1,
        MODE_GRAPHIC_INPUT = 2,
        MODE_EDITOR = 3,
        MODE_MENU = 4,
        MODE_PAUSE = 5,
        MODE_INTRO = 6,
        MODE_RANDOM = 7,
    };

    // Reads and writes the bindings through the pointer; null gives a block of its own.
    explicit InputControls(KeyBindings* bindings);
    ~InputControls() override;

    // The keyboard and mouse to read; until then every reading fails.
    void CreateDevices(std::shared_ptr<input::Device> device);

    void Update(float dt) override;
    void HandleMessage(BaseMessage* msg, u32 fromId) override;

    // Clears the bound actions of controls, shift and control, the movement and the view.
    void ResetState() override;
    // Shows the arrow cursor, or hides it until the display counter is below 0.
    void ShowCursor(bool show);
    void SetDefaultControls();
    char KeyToAscii(u8 code) const;

    // Modes 1 (console), 2 (graphic input) and 7 (random input) are not entered by any
    // message; the console opens and closes with the grave key in play.
    void SetMode(Mode mode) { m_mode = mode; }
    // With random play on, the switch to play enters random input instead of the game mode,
    // so unattended runs play the robot without keys.
    void SetRandomPlay(bool on) { m_random_play = on; }
    // With the cheat keys on, in play F9 skips the current objective, F10 toggles the robot's
    // deaths and damage and F11 toggles the units' thinking: how test runs reach the later
    // parts of a level in reasonable time. Off in the shipped game.
    void SetCheatKeys(bool on) { m_cheat_keys = on; }
    Mode GetMode() const { return m_mode; }

    const BoundControls& GetBoundControls() const override { return m_bound; }
    const InputState& GetInputState() const { return m_state; }
    const KeyBindings& GetBindings() const { return *m_bindings; }
    bool MenuEnabled() const { return m_menu_enabled != 0; }
    i32 CursorCounter() const { return m_cursor_counter; }
    const ConsoleLine& GetConsoleLine() const { return m_console; }
    const RandomInput& GetRandomInput() const { return m_random; }

    // The action of a control code: scan codes 0-255, mouse buttons from 256; any other
    // code is unbound and reads INPUT_UP.
    u8 Action(u32 code) const;

  private:
    void Poll(bool force);
    void BuildBoundControls();
    void FillInputState();
    void ConsoleStep();
    void OpenConsole();
    void CloseConsole();
    void SendConsole();
    void CursorMode();
    void HideCursor();

    KeyBindings m_own_bindings;
    KeyBindings* m_bindings;
    std::shared_ptr<input::Device> m_device;

    input::KeyArray m_keys{};
    input::KeyArray m_previous_keys{};
    input::MouseState m_mouse;
    u8 m_buttons[InputState::kMouseButtonCount] = {};
    u8 m_previous_buttons[InputState::kMouseButtonCount] = {};
    i32 m_mouse_x = 0;
    i32 m_mouse_y = 0;
    i32 m_mouse_wheel = 0;
    std::vector<input::TypedKey> m_typed;

    InputState m_state;
    BoundControls m_bound;
    // The robot clears the controls when it is made, which happens on the level loader's
    // thread while the frame builds them here.
    std::mutex m_bound_lock;
    Mode m_mode = MODE_INTRO;
    i32 m_cursor_counter = 0;
    u8 m_menu_enabled = 1;
    RandomInput m_random;
    bool m_random_play = false;
    bool m_cheat_keys = false;
    ConsoleLine m_console;
};
