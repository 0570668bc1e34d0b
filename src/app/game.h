#pragma once
// The one application object: it owns the window, the core processes (parser, input, sound,
// renderer), the top-level message router and the stack of game states, and one call of
// Update is one frame. It is handler 0: states are switched by sending it
// MSG_GAME_SWITCH_STATE with a name.
//
// What the Game takes from the outside world (clock, screen, window, renderer, sound, input
// device, the states it builds) comes through a GameEnvironment, so the frame logic runs in
// tests without a display.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "app/health_report.h"
#include "content/lua_handler.h"
#include "core/message_handler.h"
#include "core/message_router.h"
#include "core/process_manager.h"
#include "core/types.h"
#include "game/game_state.h"
#include "game/handler_id.h"
#include "platform/input/device.h"
#include "platform/system/clock.h"
#include "platform/window/screen.h"
#include "platform/window/window.h"
#include "ui/sprite_widget_graphics.h"

class Game;
class GraphicsProcess;
class InputControls;
class ParserProcess;
class SoundProcess;

// The kinds of state the Game switches to.
enum class StateKind { Intro, Menu, Level, LevelEditor };

// One of the 16:10 resolutions the game offers, by the "Resolution" option's index.
struct Resolution {
    i32 index = 0;
    i32 width = 0;
    i32 height = 0;
    bool operator==(const Resolution&) const = default;
};

inline constexpr i32 kResolutionCount = 6;
inline constexpr i32 kResolutionWidths[kResolutionCount] = {768, 1024, 1280, 1440, 1680, 1920};
inline constexpr i32 kResolutionHeights[kResolutionCount] = {480, 640, 800, 900, 1050, 1200};

// Starting at the stored index (brought into the table first), the largest entry whose width
// fits the screen, or entry 0; the height is capped at the screen's.
Resolution ChooseResolution(i32 storedIndex, window::ScreenMetrics screen);

struct GameEnvironment {
    using WindowFactory =
        std::function<std::unique_ptr<window::Window>(const window::WindowDesc& desc)>;
    using InputDeviceFactory =
        std::function<std::shared_ptr<input::Device>(window::Window& window)>;
    using SoundFactory = std::function<boost::shared_ptr<SoundProcess>()>;
    using GraphicsFactory = std::function<boost::shared_ptr<GraphicsProcess>(
        window::Window& window, float shadowMapSize, u32 shadowMapCount)>;
    // Null when the state cannot be built.
    using StateFactory = std::function<std::unique_ptr<GameState>(
        StateKind kind, const std::string& name, Game& game)>;

    // The frame clock; null reads the process-wide performance counter.
    const sys::TimeSource* clock = nullptr;
    std::function<window::ScreenMetrics()> screen = window::GetScreenMetrics;
    // Shows the failure's message box itself and returns null when no window can be made.
    WindowFactory createWindow = window::Window::Create;
    InputDeviceFactory createInputDevice = PlatformInputDevice;
    // A factory that returns null leaves the Game without that process.
    SoundFactory createSound = PlatformSound;
    GraphicsFactory createGraphics = PlatformGraphics;
    StateFactory createState = PlatformState;
    // Aids for unattended runs, off unless the environment asks: the robot played by random
    // input in every level (GORVANE_RANDOM_INPUT set), and a health line every so many
    // seconds (GORVANE_HEALTH_SECONDS), and the level script the feature film button plays
    // instead of the story (GORVANE_LEVEL, a path like "./assets/levels/endless_mode.lua"),
    // and the cheat keys of InputControls (GORVANE_CHEATS set).
    bool randomPlay = RandomPlayRequested();
    bool cheatKeys = CheatKeysRequested();
    double healthSeconds = HealthSecondsRequested();
    std::string level = LevelRequested();

    static bool RandomPlayRequested();
    static bool CheatKeysRequested();
    static double HealthSecondsRequested();
    static std::string LevelRequested();

    static std::shared_ptr<input::Device> PlatformInputDevice(window::Window& window);
    static boost::shared_ptr<SoundProcess> PlatformSound();
    static boost::shared_ptr<GraphicsProcess>
    PlatformGraphics(window::Window& window, float shadowMapSize, u32 shadowMapCount);
    // IntroState, MenuState, LevelState or LevelEditorState with the Game's processes and
    // the Game's router as parent.
    static std::unique_ptr<GameState> PlatformState(StateKind kind, const std::string& name,
                                                    Game& game);
};

class Game : public MessageHandler {
  public:
    // The screens an IntroState shows.
    static constexpr const char* kScreenNames[] = {
        "Logo", "Lose", "Win", "Team Logo", "Physx Logo", "Credits", "Controls", "Loading Screen"};
    static constexpr const char* kFirstStateName = "Vantrel";
    static constexpr const char* kMenuName = "Menu";
    static constexpr const char* kLevelEditorName = "Level Editor";
    static constexpr float kFirstFrameTime = 0.001f;
    static constexpr float kMaxFrameTime = 1.0f;

    // Builds everything up to the first state; when the window cannot be made the quit flag
    // is set and the first Update returns false.
    explicit Game(GameEnvironment environment = {});
    // Exits the states that were initialised, deletes every state, then the processes.
    ~Game() override;
    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;

    // One frame; false ends the program.
    bool Update();
    void HandleMessage(BaseMessage* msg, u32 fromId) override;
    // Flags the top state; it leaves at the end of the frame.
    void RequestStateExit();
    bool CreateGameWindow();

    GraphicsProcess* Graphics() const { return m_graphics; }
    SoundProcess* Sound() const { return m_sound; }
    InputControls* Input() const { return m_input; }
    ParserProcess* Parser() const { return m_parser; }
    LuaHandler& Lua() { return m_lua; }
    MessageRouter& Router() { return m_router; }
    ProcessManager& Processes() { return m_process_manager; }
    window::Window* GameWindow() const { return m_window.get(); }
    const std::vector<std::unique_ptr<GameState>>& States() const { return m_states; }
    GameState* TopState() const { return m_states.empty() ? nullptr : m_states.back().get(); }
    GameState* PendingState() const { return m_pending.get(); }
    float TimeScale() const { return m_time_scale; }
    bool RouterDispatch() const { return m_router_dispatch; }

  private:
    void SwitchState(const std::string& name);
    // Replaces the pending state; one replaced in its own frame is detached and destroyed.
    void SetPendingState(std::unique_ptr<GameState> state);
    void PushState(std::unique_ptr<GameState> state);
    void PopState();
    void SendStoredOptions();
    // The frame's work by subsystem, for the health lines.
    void AddFrameShares();
    void SetWindowFocus();
    u64 ReadCounter() const;
    u64 CounterFrequency() const;

    GameEnvironment m_environment;
    // Declared before the processes: the renderer draws into it until it is destroyed.
    std::unique_ptr<window::Window> m_window;
    ProcessManager m_process_manager;
    InputControls* m_input = nullptr;
    GraphicsProcess* m_graphics = nullptr;
    SoundProcess* m_sound = nullptr;
    MessageRouter m_router;
    LuaHandler m_lua;
    ParserProcess* m_parser = nullptr;
    std::vector<std::unique_ptr<GameState>> m_states;
    std::unique_ptr<GameState> m_pending;
    u64 m_now = 0;
    u64 m_last = 0;
    float m_time_scale = 1.0f;
    bool m_router_dispatch = true;
    HealthReport m_health;
    SpriteWidgetGraphics m_widget_graphics;
};
