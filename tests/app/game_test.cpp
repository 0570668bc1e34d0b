#include <gtest/gtest.h>

#include <SDL.h>

#include <algorithm>
#include <csignal>
#include <optional>
#include <string>
#include <vector>

#include "app/game_fixture.h"
#include "app/input_controls.h"
#include "app/intro_state.h"
#include "app/level_state.h"
#include "app/menu_state.h"
#include "audio/sound_process.h"
#include "content/option_files.h"
#include "content/parser_process.h"
#include "core/component.h"
#include "core/component_type.h"
#include "core/game_object.h"
#include "editor/level_editor_state.h"
#include "graphics/graphics_process.h"
#include "graphics/render_settings.h"
#include "platform/gfx/device.h"
#include "platform/system/message_box.h"
#include "support/component_fixture.h"

namespace {

using component_fixture::MessageRecorder;
using game_fixture::GameFixture;

struct ResolutionCase {
    i32 stored;
    window::ScreenMetrics screen;
    Resolution expected;
};

TEST(ChooseResolution, StepsDownToTheScreenAndCapsTheHeight) {
    const ResolutionCase cases[] = {
        {5, {1280, 1024}, {2, 1280, 800}},
        {5, {1280, 800}, {2, 1280, 800}},
        {4, {1680, 1000}, {4, 1680, 1000}},
        {1, {1920, 1200}, {1, 1024, 640}}, // never steps up
        {3, {640, 480}, {0, 768, 480}},    // narrower than every entry
        {5, {1024, 768}, {1, 1024, 640}},
        {9, {1920, 1200}, {5, 1920, 1200}}, // corrupt indices are brought into the table
        {-3, {1920, 1200}, {0, 768, 480}},
        {2, {0, 0}, {0, 768, 480}}, // no display answered
    };
    for (const ResolutionCase& c : cases) {
        EXPECT_EQ(ChooseResolution(c.stored, c.screen), c.expected)
            << "index " << c.stored << " on " << c.screen.width << "x" << c.screen.height;
    }
}

TEST_F(GameFixture, ResolutionIsChosenForTheScreenAndStoredBack) {
    struct Case {
        window::ScreenMetrics screen;
        i32 stored;
        i32 width, height, index;
    };
    const Case cases[] = {{{1280, 1024}, 5, 1280, 800, 2}, {{1680, 1000}, 4, 1680, 1000, 4}};
    for (const Case& c : cases) {
        GraphicsOptions options = GraphicsOptions::Defaults();
        options.m_resolution = c.stored;
        ASSERT_TRUE(WriteGraphicsOptions(SaveFile("graphics_options.xml"), options));
        screen = c.screen;
        Game& g = MakeGame();
        EXPECT_EQ(g_render_width, c.width);
        EXPECT_EQ(g_render_height, c.height);
        ASSERT_NE(g.GameWindow(), nullptr);
        EXPECT_EQ(g.GameWindow()->Width(), c.width);
        EXPECT_EQ(g.GameWindow()->Height(), c.height);
        EXPECT_EQ(ParserProcess::LoadGraphicsOptions(g.Parser(), true)->m_resolution, c.index);
        game.reset();
    }
}

TEST_F(GameFixture, StartsWithTheMakersLogoAndItsCoreHandlers) {
    Game& g = MakeGame();
    ASSERT_EQ(log.built.size(), 1u);
    EXPECT_EQ(log.built[0].kind, StateKind::Intro);
    EXPECT_EQ(StackNames(), std::vector<std::string>{"Vantrel"});
    EXPECT_FALSE(g.TopState()->m_initialized);
    EXPECT_EQ(g.id, HANDLER_GAME);
    EXPECT_EQ(g.Lua().id, HANDLER_LUA_HANDLER);
    ASSERT_NE(g.Input(), nullptr);
    EXPECT_EQ(g.Input()->id, HANDLER_INPUT_CONTROLS);
    EXPECT_EQ(g.Parser()->id, HANDLER_PARSER_PROCESS);
    EXPECT_EQ(g.Processes().processes.size(), 2u); // parser and input: no renderer or sound here
    EXPECT_EQ(g.Router().Children(), std::vector<MessageRouter*>{&g.TopState()->Router()});

    EXPECT_TRUE(Frame());
    EXPECT_EQ(log.events, (std::vector<std::string>{"init Vantrel", "update Vantrel"}));
}

TEST_F(GameFixture, InitializeRunsEveryFrameUntilTheStateIsReady) {
    framesToInitialize = 3;
    MakeGame();
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(Frame());
    }
    EXPECT_EQ(log.events, (std::vector<std::string>{
                              "init Vantrel", "update Vantrel", "init Vantrel", "update Vantrel",
                              "init Vantrel", "update Vantrel", "update Vantrel"}));
}

TEST_F(GameFixture, FrameTimeIsScaledThenClampedAtOneSecond) {
    MakeGame();
    Frame(0.25);
    Frame(5.0);
    Message<float> half(MSG_GAME_DT_MODIFIER, 0.5f);
    Send(half);
    Frame(0.25);
    Frame(1.9);
    Frame(3.0);
    Message<float> triple(MSG_GAME_DT_MODIFIER, 3.0f);
    Send(triple);
    Frame(0.3);
    const std::vector<float> expected = {0.25f, 1.0f, 0.125f, 0.95f, 1.0f, 0.9f};
    ASSERT_EQ(log.dts.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_NEAR(log.dts[i], expected[i], 1e-6f) << "frame " << i;
    }
    EXPECT_FLOAT_EQ(game->TimeScale(), 3.0f);
}

struct SwitchCase {
    std::string name;
    std::optional<StateKind> kind; // none: the request is ignored
};

TEST_F(GameFixture, SwitchByName) {
    EditorLevelPath = "./assets/levels/level.lua";
    const std::vector<SwitchCase> cases = {
        {"Logo", StateKind::Intro},
        {"Lose", StateKind::Intro},
        {"Win", StateKind::Intro},
        {"Team Logo", StateKind::Intro},
        {"Physx Logo", StateKind::Intro},
        {"Credits", StateKind::Intro},
        {"Controls", StateKind::Intro},
        {"Loading Screen", StateKind::Intro},
        {"Menu", StateKind::Menu},
        {"Level Editor", StateKind::LevelEditor},
        {"./assets/levels/ubergold.lua", StateKind::Level}, // the current level path
        {"./assets/levels/level.lua", StateKind::Level},    // the editor level path
        {"win", std::nullopt},
        {"menu", std::nullopt},
        {"Vantrel", std::nullopt},
        {"", std::nullopt},
        {"./assets/levels/tutorial_extended.lua", std::nullopt}, // a level no one chose
    };
    for (const SwitchCase& c : cases) {
        SCOPED_TRACE(c.name);
        game.reset();
        log = {};
        MakeGame();
        ASSERT_TRUE(Frame());
        Switch(c.name);
        if (!c.kind) {
            EXPECT_EQ(log.built.size(), 1u);
            EXPECT_EQ(game->PendingState(), nullptr);
            EXPECT_FALSE(game->TopState()->m_exit);
            EXPECT_TRUE(Frame());
            EXPECT_EQ(StackNames(), std::vector<std::string>{"Vantrel"});
            continue;
        }
        ASSERT_EQ(log.built.size(), 2u);
        EXPECT_EQ(log.built[1].kind, *c.kind);
        ASSERT_NE(game->PendingState(), nullptr);
        EXPECT_EQ(game->PendingState()->Name(), c.name);
        EXPECT_TRUE(game->TopState()->m_exit);
        // The switch happens at the end of the frame; the new state starts in the next one.
        EXPECT_TRUE(Frame());
        EXPECT_EQ(StackNames(), std::vector<std::string>{c.name});
        EXPECT_EQ(game->PendingState(), nullptr);
        EXPECT_FALSE(game->TopState()->m_initialized);
        EXPECT_TRUE(Frame());
        EXPECT_EQ(log.events,
                  (std::vector<std::string>{"init Vantrel", "update Vantrel", "update Vantrel",
                                            "exit Vantrel", "destroy Vantrel", "init " + c.name,
                                            "update " + c.name}));
    }
}

TEST_F(GameFixture, LevelEditorShowsTheCursorAndTakesTheFocus) {
    MakeGame();
    Frame();
    window::g_window_active = false;
    const i32 counter = window::CursorCounter();
    Switch("Level Editor");
    EXPECT_EQ(window::CursorCounter(), counter + 1);
    EXPECT_TRUE(window::g_window_active);
}

TEST_F(GameFixture, RunningOrPendingLevelIsNotRestarted) {
    const std::string level = LevelPath;
    MakeGame();
    Frame();
    Switch(level);
    Switch(level); // the same frame: the pending state already bears the name
    EXPECT_EQ(log.built.size(), 2u);
    Frame();
    ASSERT_EQ(StackNames(), std::vector<std::string>{level});
    Switch(level); // while it runs
    EXPECT_EQ(log.built.size(), 2u);
    EXPECT_FALSE(game->TopState()->m_exit);
    EXPECT_EQ(game->PendingState(), nullptr);

    // Leaving for the menu, the level is still on top: asking for it again in that frame
    // keeps the menu.
    Switch("Menu");
    Switch(level);
    EXPECT_EQ(log.built.size(), 3u);
    EXPECT_EQ(game->PendingState()->Name(), "Menu");
}

TEST_F(GameFixture, ReplacedPendingStateIsDetachedAndDestroyed) {
    MakeGame();
    Frame();
    Switch("Menu");
    MessageRouter* first = &game->PendingState()->Router();
    const auto& children = game->Router().Children();
    ASSERT_NE(std::find(children.begin(), children.end(), first), children.end());

    Switch("Menu");
    ASSERT_EQ(log.built.size(), 3u);
    EXPECT_EQ(std::count(log.events.begin(), log.events.end(), "destroy Menu"), 1);
    EXPECT_EQ(std::find(children.begin(), children.end(), first), children.end());
    EXPECT_EQ(children.size(), 2u); // the leaving top and the pending menu

    // The root router walks its children every frame; a freed one would be found here.
    Frame();
    Frame();
    EXPECT_EQ(StackNames(), std::vector<std::string>{"Menu"});
    EXPECT_EQ(std::count(log.events.begin(), log.events.end(), "init Menu"), 1);
    EXPECT_EQ(game->Router().Children(), std::vector<MessageRouter*>{&game->TopState()->Router()});
}

TEST_F(GameFixture, PushedLevelRunsAboveTheStateBelowUntilPopped) {
    MakeGame();
    Frame();
    Message<std::string> push(MSG_GAME_PUSH_STATE, "./assets/levels/any.lua");
    Send(push);
    EXPECT_FALSE(game->TopState()->m_exit);
    Frame();
    ASSERT_EQ(StackNames(), (std::vector<std::string>{"Vantrel", "./assets/levels/any.lua"}));
    // A flagged state below the top stays while the top does not leave.
    game->States()[0]->m_exit = true;
    Frame();
    EXPECT_EQ(game->States().size(), 2u);
    game->States()[0]->m_exit = false;

    BaseMessage pop(MSG_GAME_POP_STATE);
    Send(pop);
    Frame();
    Frame();
    EXPECT_EQ(StackNames(), std::vector<std::string>{"Vantrel"});
    EXPECT_EQ(log.events, (std::vector<std::string>{
                              "init Vantrel", "update Vantrel", "update Vantrel",
                              "init ./assets/levels/any.lua", "update ./assets/levels/any.lua",
                              "update ./assets/levels/any.lua", "exit ./assets/levels/any.lua",
                              "destroy ./assets/levels/any.lua", "update Vantrel"}));
}

TEST_F(GameFixture, QuitExitsEveryStateFromTheTopAndEndsTheLoop) {
    MakeGame();
    Frame();
    Message<std::string> push(MSG_GAME_PUSH_STATE, "./assets/levels/any.lua");
    Send(push);
    Frame();
    log.events.clear();

    // A switch in the quitting frame is dropped rather than run once more.
    Switch("Menu");
    BaseMessage quit(MSG_GAME_QUIT);
    Send(quit);
    EXPECT_FALSE(Frame());
    EXPECT_TRUE(game->States().empty());
    EXPECT_EQ(game->PendingState(), nullptr);
    EXPECT_EQ(log.events, (std::vector<std::string>{
                              "init ./assets/levels/any.lua", "update ./assets/levels/any.lua",
                              "exit ./assets/levels/any.lua", "destroy ./assets/levels/any.lua",
                              "exit Vantrel", "destroy Vantrel", "destroy Menu"}));
}

TEST_F(GameFixture, ClosingTheWindowEndsTheGameAfterTheFrame) {
    MakeGame();
    Frame();
    game->GameWindow()->Close();
    EXPECT_FALSE(Frame());
    EXPECT_EQ(std::count(log.events.begin(), log.events.end(), "exit Vantrel"), 1);
    EXPECT_EQ(log.events.back(), "destroy Vantrel");
}

TEST_F(GameFixture, DestructionExitsOnlyInitialisedStates) {
    framesToInitialize = 2;
    MakeGame();
    Frame();
    game.reset();
    EXPECT_EQ(log.events,
              (std::vector<std::string>{"init Vantrel", "update Vantrel", "destroy Vantrel"}));

    log = {};
    framesToInitialize = 1;
    MakeGame();
    Frame();
    game.reset();
    EXPECT_EQ(log.events, (std::vector<std::string>{"init Vantrel", "update Vantrel",
                                                    "exit Vantrel", "destroy Vantrel"}));
}

TEST_F(GameFixture, QuitBeforeInitialisationEndsWithoutExitingTheState) {
    framesToInitialize = 2;
    MakeGame();
    BaseMessage quit(MSG_GAME_QUIT);
    Send(quit);
    EXPECT_FALSE(Frame());
    EXPECT_TRUE(game->States().empty());
    EXPECT_EQ(log.events,
              (std::vector<std::string>{"init Vantrel", "update Vantrel", "destroy Vantrel"}));
}

TEST_F(GameFixture, FailedWindowEndsThroughTheNormalPath) {
    std::vector<sys::MessageBoxRequest> boxes;
    sys::ScopedMessageBoxSink sink(
        [&boxes](const sys::MessageBoxRequest& box) { boxes.push_back(box); });
    // Video must really start here for the driver to be looked at.
    ASSERT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
    setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
    GameEnvironment environment = Environment();
    environment.createWindow = window::Window::Create;
    MakeGame(std::move(environment));
    setenv("SDL_VIDEODRIVER", "offscreen", 1);

    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Window Registration Failed!");
    EXPECT_EQ(game->GameWindow(), nullptr);
    EXPECT_EQ(game->Input(), nullptr);
    EXPECT_EQ(game->Sound(), nullptr);
    EXPECT_EQ(game->Graphics(), nullptr);
    EXPECT_TRUE(log.built.empty());
    EXPECT_TRUE(window::g_quit);
    EXPECT_FALSE(Frame());
    EXPECT_FALSE(Frame());
}

TEST_F(GameFixture, AComponentWithoutAProcessIsReportedInAMessageBox) {
    std::vector<sys::MessageBoxRequest> boxes;
    sys::ScopedMessageBoxSink sink(
        [&boxes](const sys::MessageBoxRequest& box) { boxes.push_back(box); });
    struct Orphan : Component {
        void Update(float) override {}
    } orphan;
    MakeGame();
    {
        GameObject object("Orphan");
        object.AddComponent(ComponentType::Graphic, &orphan);
    }
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, GameObject::kNoProcessText);
    EXPECT_EQ(boxes[0].title, "");
    // Once the game is gone the report goes back to stderr.
    game.reset();
    testing::internal::CaptureStderr();
    {
        GameObject object("Orphan");
        object.AddComponent(ComponentType::Graphic, &orphan);
    }
    EXPECT_NE(testing::internal::GetCapturedStderr().find(GameObject::kNoProcessText),
              std::string::npos);
    EXPECT_EQ(boxes.size(), 1u);
}

TEST_F(GameFixture, PausedComponentUpdateHoldsTheDelayedMessages) {
    MakeGame();
    MessageRecorder recorder;
    recorder.Bind(&game->Router(), HANDLER_SOUND_PROCESS);
    BaseMessage ping(MSG_NULL);
    game->Router().SendMessage(&ping, HANDLER_SOUND_PROCESS, HANDLER_SOUND_PROCESS, 0.05f);

    BaseMessage pause(MSG_PAUSE_COMPONENT_UPDATE);
    Send(pause);
    EXPECT_FALSE(game->RouterDispatch());
    Frame(0.1);
    Frame(0.1);
    EXPECT_TRUE(recorder.received.empty());

    BaseMessage unpause(MSG_UNPAUSE_COMPONENT_UPDATE);
    Send(unpause);
    Frame(0.1);
    EXPECT_EQ(recorder.Types(), std::vector<u32>{MSG_NULL});
}

TEST_F(GameFixture, WindowHandleAndFocusRequests) {
    MakeGame();
    MessageRecorder asker;
    asker.Bind(&game->Router(), HANDLER_SOUND_PROCESS);
    BaseMessage request(MSG_GAME_HWND);
    asker.SendMessage(&request, HANDLER_GAME);
    ASSERT_EQ(asker.received.size(), 1u);
    EXPECT_EQ(asker.received[0].message->type, MSG_GAME_HWND);
    EXPECT_EQ(asker.received[0].fromId, HANDLER_GAME);
    ASSERT_NE(asker.received[0].message->Payload<window::Window*>(), nullptr);
    EXPECT_EQ(*asker.received[0].message->Payload<window::Window*>(), game->GameWindow());

    window::g_window_active = false;
    BaseMessage focus(MSG_GAME_SET_WINDOW_FOCUS);
    Send(focus);
    EXPECT_TRUE(window::g_window_active);
}

TEST_F(GameFixture, InactiveWindowOffersEventsToTheEditorFirst) {
    MakeGame();
    Frame();
    int offered = 0;
    g_editor_dialog = [&offered](const window::Event& event) {
        if (event.Type() != SDL_QUIT) {
            return false;
        }
        ++offered;
        return true;
    };
    SDL_Event quit{};
    quit.type = SDL_QUIT;

    window::g_window_active = false;
    SDL_PushEvent(&quit);
    EXPECT_TRUE(Frame());
    EXPECT_EQ(offered, 1);
    EXPECT_FALSE(game->Input()->active);

    window::g_window_active = true;
    SDL_PushEvent(&quit);
    EXPECT_FALSE(Frame());
    EXPECT_EQ(offered, 1);
}

TEST_F(GameFixture, PlatformStatesAreBuiltWithTheirIds) {
    GameEnvironment environment = Environment();
    environment.createState = GameEnvironment::PlatformState;
    Game& g = MakeGame(std::move(environment));
    ASSERT_NE(dynamic_cast<IntroState*>(g.TopState()), nullptr);
    const HandlerId first = g.TopState()->id;
    EXPECT_GE(first, HANDLER_FIRST_SCREEN_STATE);
    EXPECT_EQ(g.Lua().ObjectTarget(), first);

    struct Case {
        std::string name;
        bool (*isKind)(GameState*);
        HandlerId id;
    };
    EditorLevelPath = "./assets/levels/level.lua";
    const Case cases[] = {
        {"Menu", [](GameState* s) { return dynamic_cast<MenuState*>(s) != nullptr; }, first + 1},
        {"Credits", [](GameState* s) { return dynamic_cast<IntroState*>(s) != nullptr; },
         first + 2},
        {"Level Editor", [](GameState* s) { return dynamic_cast<LevelEditorState*>(s) != nullptr; },
         HANDLER_LEVEL_EDITOR_STATE},
        {LevelPath, [](GameState* s) { return dynamic_cast<LevelState*>(s) != nullptr; },
         HANDLER_LEVEL_STATE},
    };
    for (const Case& c : cases) {
        Switch(c.name);
        GameState* pending = g.PendingState();
        ASSERT_NE(pending, nullptr) << c.name;
        EXPECT_TRUE(c.isKind(pending)) << c.name;
        EXPECT_EQ(pending->Name(), c.name);
        EXPECT_EQ(pending->id, c.id) << c.name;
        EXPECT_EQ(pending->router, &pending->Router());
        EXPECT_EQ(pending->Router().Parent(), &g.Router());
        EXPECT_EQ(g.Lua().ObjectTarget(), c.id);
    }

    // During the editor's test run a level plays the "_temp" copy of its script.
    g_editor_test = true;
    Switch(EditorLevelPath);
    ASSERT_NE(g.PendingState(), nullptr);
    EXPECT_EQ(g.PendingState()->Name(), "./assets/levels/level_temp.lua");
}

// The real renderer and sound on an offscreen GL window. One Game only: LeakSanitizer trips
// over the driver's thread-local data once a process has made a second GL context.
TEST_F(GameFixture, RealRendererAndSoundGetTheOptionsAndSkippedFramesStillPump) {
    GraphicsOptions graphics = GraphicsOptions::Defaults();
    graphics.m_shadows = false;
    graphics.m_motion_blur = false;
    graphics.m_three_dee = true;
    ASSERT_TRUE(WriteGraphicsOptions(SaveFile("graphics_options.xml"), graphics));
    SoundOptions sound = SoundOptions::Defaults();
    sound.m_master_volume = 0.25f;
    sound.m_sound_fx_volume = 0.75f;
    sound.m_music_volume = 0.125f;
    ASSERT_TRUE(WriteSoundOptions(SaveFile("sound_options.xml"), sound));
    g_render_settings = RenderSettings{};

    GameEnvironment environment = Environment();
    const GameEnvironment platform;
    environment.createWindow = platform.createWindow;
    environment.createGraphics = platform.createGraphics;
    environment.createSound = platform.createSound;
    Game& g = MakeGame(std::move(environment));
    ASSERT_NE(g.Graphics(), nullptr);
    ASSERT_NE(g.Graphics()->GetDevice(), nullptr);
    ASSERT_NE(g.Sound(), nullptr);
    EXPECT_EQ(g.Graphics()->id, HANDLER_GRAPHICS_PROCESS);
    EXPECT_EQ(g.Sound()->id, HANDLER_SOUND_PROCESS);
    // The renderer is updated last in the frame, and a frame was presented before the first
    // state was built.
    ASSERT_EQ(g.Processes().processes.size(), 4u);
    EXPECT_EQ(g.Processes().processes.back().get(), g.Graphics());
    EXPECT_FALSE(g.Graphics()->IsFirstFrame());

    EXPECT_EQ(g_render_settings.shadows, 0);
    EXPECT_EQ(g_render_settings.motionBlur, 0);
    EXPECT_EQ(g_render_settings.threeDee, 0);
    EXPECT_FLOAT_EQ(g.Sound()->GetMasterVolume(), 0.25f);
    EXPECT_FLOAT_EQ(g.Sound()->GetGroupVolume(0), 0.75f);
    EXPECT_FLOAT_EQ(g.Sound()->GetGroupVolume(1), 0.125f);
    g_render_settings = RenderSettings{};

    ASSERT_TRUE(Frame());
    MessageRecorder recorder;
    recorder.Bind(&g.Router(), 2);
    BaseMessage ping(MSG_NULL);
    g.Router().SendMessage(&ping, 2, 2, 0.001f);

    g.Graphics()->GetDevice()->InjectLoss(true);
    ASSERT_TRUE(Frame());
    // Nothing ran: no update of the state, no delayed message.
    EXPECT_EQ(log.events, (std::vector<std::string>{"init Vantrel", "update Vantrel"}));
    EXPECT_TRUE(recorder.received.empty());

    // SIGTERM closes the window as its close button does; the pump sees it on a skipped frame.
    std::raise(SIGTERM);
    EXPECT_FALSE(Frame());
    EXPECT_EQ(log.events, (std::vector<std::string>{"init Vantrel", "update Vantrel",
                                                    "exit Vantrel", "destroy Vantrel"}));
}

} // namespace
