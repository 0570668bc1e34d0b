#pragma once
// A Game for tests: a hidden offscreen window without GL, a manual clock, a fixed screen, a
// temporary HOME, no renderer or sound unless a test asks, and states that write what
// happens to them into one log.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/game.h"
#include "core/globals.h"
#include "core/message.h"
#include "game/shell_globals.h"
#include "platform/window/cursor.h"
#include "support/scoped_temp_home.h"

namespace game_fixture {

struct Built {
    StateKind kind;
    std::string name;
};

struct StateLog {
    std::vector<std::string> events;
    std::vector<float> dts;
    std::vector<Built> built;
};

class RecordingState : public GameState {
  public:
    RecordingState(StateKind kind, const std::string& name, Game& game, StateLog& log,
                   int framesToInitialize)
        : GameState(name, game.Graphics(), game.Sound(), game.Input(), &game.Lua(), game.Parser(),
                    &game.Router()),
          kind(kind), m_log(log), m_frames_to_initialize(framesToInitialize) {
        switch (kind) {
        case StateKind::Level:
            SetStateId(HANDLER_LEVEL_STATE);
            break;
        case StateKind::LevelEditor:
            SetStateId(HANDLER_LEVEL_EDITOR_STATE);
            break;
        default:
            SetStateId(TakeScreenStateId());
            break;
        }
    }
    ~RecordingState() override { Log("destroy"); }

    void Initialize() override {
        Log("init");
        if (--m_frames_to_initialize <= 0) {
            m_initialized = true;
        }
    }
    void Update(float dt) override {
        Log("update");
        m_log.dts.push_back(dt);
    }
    void Exit() override { Log("exit"); }

    const StateKind kind;

  private:
    void Log(const std::string& what) { m_log.events.push_back(what + " " + Name()); }

    StateLog& m_log;
    int m_frames_to_initialize;
};

class GameFixture : public ::testing::Test {
  protected:
    GameFixture() {
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        window::ResetCursor();
    }
    ~GameFixture() override {
        game.reset();
        LevelPath = DEFAULT_LEVEL_PATH;
        EditorLevelPath = DEFAULT_LEVEL_PATH;
        g_editor_dialog = nullptr;
        g_editor_test = false;
        window::ResetCursor();
    }

    GameEnvironment Environment() {
        GameEnvironment environment;
        environment.clock = &clock;
        environment.screen = [this] { return screen; };
        environment.createWindow = [](const window::WindowDesc& desc) {
            window::WindowDesc plain = desc;
            plain.openGL = false;
            return window::Window::Create(plain);
        };
        environment.createSound = [] { return boost::shared_ptr<SoundProcess>(); };
        environment.createGraphics = [](window::Window&, float, u32) {
            return boost::shared_ptr<GraphicsProcess>();
        };
        environment.createState = [this](StateKind kind, const std::string& name, Game& g) {
            log.built.push_back({kind, name});
            return std::make_unique<RecordingState>(kind, name, g, log, framesToInitialize);
        };
        return environment;
    }

    Game& MakeGame() { return MakeGame(Environment()); }
    // The previous Game goes first: two at once would share the window and quit flags.
    Game& MakeGame(GameEnvironment environment) {
        game.reset();
        game = std::make_unique<Game>(std::move(environment));
        return *game;
    }

    // Delivered to the Game at once, as any handler of the game would send it.
    void Send(BaseMessage& msg) { game->Router().SendMessage(&msg, HANDLER_GAME, 99); }
    void Switch(const std::string& name) {
        Message<std::string> msg(MSG_GAME_SWITCH_STATE, name);
        Send(msg);
    }

    // The path of an option file in the save folder, which is made if missing.
    std::string SaveFile(const std::string& name) const {
        std::filesystem::create_directories(home.SaveFolder());
        return home.SaveFolder() + name;
    }

    bool Frame(double seconds = 0.01) {
        clock.Advance(seconds);
        return game->Update();
    }

    std::vector<std::string> StackNames() const {
        std::vector<std::string> names;
        for (const auto& state : game->States()) {
            names.push_back(state->Name());
        }
        return names;
    }

    ScopedTempHome home;
    sys::ManualClock clock;
    window::ScreenMetrics screen{1280, 800};
    StateLog log;
    int framesToInitialize = 1;
    std::unique_ptr<Game> game;
};

} // namespace game_fixture
