#include <SDL.h>
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/input/sdl_input.h"
#include "platform/system/message_box.h"
#include "platform/window/cursor.h"
#include "platform/window/window.h"

namespace {

using window::Window;

class WindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        window::g_quit = false;
        window::g_window_active = false;
        window::ResetCursor();
    }
    void TearDown() override { window::SetScreenMetricsOverride(std::nullopt); }

    std::unique_ptr<Window> Make(i32 w = 768, i32 h = 480, bool gl = false) {
        window::WindowDesc desc;
        desc.width = w;
        desc.height = h;
        desc.openGL = gl;
        auto win = Window::Create(desc);
        EXPECT_NE(win, nullptr) << SDL_GetError();
        return win;
    }

    void Push(SDL_Event e) { ASSERT_EQ(SDL_PushEvent(&e), 1) << SDL_GetError(); }

    SDL_Event WindowEvent(const Window& w, Uint8 what) {
        SDL_Event e{};
        e.type = SDL_WINDOWEVENT;
        e.window.windowID = w.Id();
        e.window.event = what;
        return e;
    }

    std::vector<sys::MessageBoxRequest> m_boxes;
    sys::ScopedMessageBoxSink m_sink{
        [this](const sys::MessageBoxRequest& b) { m_boxes.push_back(b); }};
};

TEST(WindowCentring, IntegerHalvesOfScreenAndWindow) {
    struct Case {
        window::ScreenMetrics screen;
        i32 w, h;
        window::Point expected;
    } const cases[] = {
        {{1024, 768}, 768, 480, {128, 144}},  {{1920, 1200}, 1920, 1200, {0, 0}},
        {{1366, 768}, 1280, 800, {43, -16}}, // taller than the screen: starts above it
        {{1025, 769}, 767, 481, {129, 144}}, // 512 - 383, 384 - 240
        {{1680, 1050}, 1440, 900, {120, 75}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(window::CentredPosition(c.screen, c.w, c.h), c.expected)
            << c.screen.width << "x" << c.screen.height << " " << c.w << "x" << c.h;
    }
}

TEST_F(WindowTest, OpensBorderlessCentredFocusedWithA33CoreContext) {
    auto w = Make(1024, 640, true);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(Window::Current(), w.get());
    EXPECT_STREQ(SDL_GetWindowTitle(w->Sdl()), "Gorvane");
    const Uint32 flags = SDL_GetWindowFlags(w->Sdl());
    EXPECT_NE(flags & SDL_WINDOW_BORDERLESS, 0u);
    EXPECT_NE(flags & SDL_WINDOW_SHOWN, 0u);
    int width = 0, height = 0;
    SDL_GetWindowSize(w->Sdl(), &width, &height);
    EXPECT_EQ(width, 1024);
    EXPECT_EQ(height, 640);
    EXPECT_EQ(w->Position(), window::CentredPosition(window::GetScreenMetrics(), 1024, 640));
    EXPECT_TRUE(window::g_window_active);
    EXPECT_FALSE(window::g_quit);

    ASSERT_TRUE(w->MakeCurrent());
    int profile = 0, major = 0, minor = 0;
    SDL_GL_GetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, &profile);
    SDL_GL_GetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, &major);
    SDL_GL_GetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, &minor);
    EXPECT_EQ(profile, SDL_GL_CONTEXT_PROFILE_CORE);
    EXPECT_GE(major * 10 + minor, 33);
    using GetString = const unsigned char* (*)(unsigned);
    const auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
    ASSERT_NE(getString, nullptr);
    const char* version = reinterpret_cast<const char*>(getString(0x1F02 /* version */));
    ASSERT_NE(version, nullptr);
    EXPECT_GE(std::atof(version), 3.3) << version;

    w.reset();
    EXPECT_EQ(Window::Current(), nullptr);
}

TEST_F(WindowTest, CentresOnTheScreenItIsGiven) {
    window::SetScreenMetricsOverride(window::ScreenMetrics{1280, 1024});
    EXPECT_EQ(window::GetScreenMetrics().width, 1280);
    auto w = Make(768, 480);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->Position(), (window::Point{256, 272}));
}

TEST_F(WindowTest, FocusEventsSetTheActiveFlag) {
    auto w = Make();
    ASSERT_NE(w, nullptr);
    Push(WindowEvent(*w, SDL_WINDOWEVENT_FOCUS_LOST));
    w->PumpEvents();
    EXPECT_FALSE(window::g_window_active);
    Push(WindowEvent(*w, SDL_WINDOWEVENT_FOCUS_GAINED));
    w->PumpEvents();
    EXPECT_TRUE(window::g_window_active);

    // Another window's focus (an editor tool window) is not the game's.
    SDL_Event other = WindowEvent(*w, SDL_WINDOWEVENT_FOCUS_LOST);
    other.window.windowID = w->Id() + 100;
    Push(other);
    w->PumpEvents();
    EXPECT_TRUE(window::g_window_active);
    EXPECT_FALSE(window::g_quit);
}

TEST_F(WindowTest, CloseButtonSetsQuitAndKeepsTheWindowUsable) {
    auto w = Make();
    ASSERT_NE(w, nullptr);
    Push(WindowEvent(*w, SDL_WINDOWEVENT_CLOSE));
    w->PumpEvents();
    EXPECT_TRUE(window::g_quit);
    EXPECT_TRUE(w->IsClosed());
    EXPECT_FALSE(window::g_window_active);
    EXPECT_EQ(SDL_GetWindowFlags(w->Sdl()) & SDL_WINDOW_SHOWN, 0u);
    w->PumpEvents(); // still safe after the close
}

TEST_F(WindowTest, QuitEventSetsQuit) {
    auto w = Make();
    ASSERT_NE(w, nullptr);
    SDL_Event e{};
    e.type = SDL_QUIT;
    Push(e);
    w->PumpEvents();
    EXPECT_TRUE(window::g_quit);
}

TEST_F(WindowTest, TerminationSignalsCloseLikeTheCloseButton) {
    for (const int sig : {SIGTERM, SIGINT}) {
        window::g_quit = false;
        auto w = Make();
        ASSERT_NE(w, nullptr);
        ASSERT_EQ(std::raise(sig), 0);
        EXPECT_FALSE(window::g_quit); // nothing happens inside the handler
        w->PumpEvents();
        EXPECT_TRUE(window::g_quit) << sig;
        EXPECT_TRUE(w->IsClosed());
    }
    struct sigaction now {};
    sigaction(SIGTERM, nullptr, &now);
    EXPECT_EQ(now.sa_handler, SIG_DFL); // handed back once no window is left
}

TEST_F(WindowTest, HookSeesEventsFirstOnlyWhileInactive) {
    auto w = Make();
    ASSERT_NE(w, nullptr);
    std::vector<Uint32> hooked;
    std::vector<Uint32> heard;
    w->SetEventHook([&](const window::Event& e) {
        hooked.push_back(e.Type());
        return e.Type() == SDL_KEYDOWN; // the tool window takes the keys
    });
    w->AddEventListener([&](const window::Event& e) { heard.push_back(e.Type()); });
    w->PumpEvents();
    hooked.clear();
    heard.clear();

    SDL_Event key{};
    key.type = SDL_KEYDOWN;
    key.key.keysym.scancode = SDL_SCANCODE_W;
    Push(key);
    w->PumpEvents();
    EXPECT_TRUE(hooked.empty());
    EXPECT_EQ(heard, std::vector<Uint32>{SDL_KEYDOWN});

    window::g_window_active = false;
    heard.clear();
    Push(key);
    SDL_Event up = key;
    up.type = SDL_KEYUP;
    Push(up);
    w->PumpEvents();
    EXPECT_EQ(hooked, (std::vector<Uint32>{SDL_KEYDOWN, SDL_KEYUP}));
    EXPECT_EQ(heard, std::vector<Uint32>{SDL_KEYUP});
}

TEST_F(WindowTest, InputDeviceHearsTheWindowAndNotTheRecentring) {
    auto w = Make();
    ASSERT_NE(w, nullptr);
    auto device = input::CreateWindowDevice(*w);
    w->PumpEvents();
    input::MouseState ms;
    device->ReadMouse(ms);

    SDL_Event key{};
    key.type = SDL_KEYDOWN;
    key.key.windowID = w->Id();
    key.key.keysym.scancode = SDL_SCANCODE_KP_ENTER;
    Push(key);
    SDL_Event foreign = key;
    foreign.key.windowID = w->Id() + 100;
    foreign.key.keysym.scancode = SDL_SCANCODE_Q;
    Push(foreign);

    const window::Point corner = w->Position();
    window::SetCursorPos(corner.x + 384, corner.y + 240);
    EXPECT_EQ(window::LastCursorPos(), (window::Point{corner.x + 384, corner.y + 240}));
    // However the window system reports the pointer's jump, it is not mouse movement.
    SDL_Event jump{};
    jump.type = SDL_MOUSEMOTION;
    jump.motion.x = 384;
    jump.motion.y = 240;
    jump.motion.xrel = 200;
    jump.motion.yrel = -90;
    Push(jump);
    SDL_Event move = jump;
    move.motion.x = 389;
    move.motion.xrel = 5;
    move.motion.yrel = 0;
    Push(move);
    w->PumpEvents();

    input::KeyArray keys{};
    device->ReadKeyboard(keys);
    EXPECT_EQ(keys[input::key::NumpadEnter], input::kDown);
    EXPECT_EQ(keys[input::key::Q], 0);
    device->ReadMouse(ms);
    EXPECT_EQ(ms.x, 5);
    EXPECT_EQ(ms.y, 0);
}

TEST_F(WindowTest, ClientCursorFollowsPushedPointerEventsOrTheOverride) {
    auto w = Make();
    ASSERT_NE(w, nullptr);
    w->PumpEvents();
    SDL_Event move{};
    move.type = SDL_MOUSEMOTION;
    move.motion.windowID = w->Id();
    move.motion.x = 120;
    move.motion.y = 45;
    Push(move);
    w->PumpEvents();
    // Pushed events never reach the system's pointer; the window keeps their position.
    EXPECT_EQ(window::ClientCursor(w.get()), (window::Point{120, 45}));
    SDL_Event click{};
    click.type = SDL_MOUSEBUTTONDOWN;
    click.button.windowID = w->Id();
    click.button.x = 300;
    click.button.y = 200;
    Push(click);
    SDL_Event elsewhere = move;
    elsewhere.motion.windowID = w->Id() + 100;
    elsewhere.motion.x = 1;
    Push(elsewhere);
    w->PumpEvents();
    EXPECT_EQ(window::ClientCursor(w.get()), (window::Point{300, 200}));

    window::SetClientCursorOverride(window::Point{7, 9});
    EXPECT_EQ(window::ClientCursor(w.get()), (window::Point{7, 9}));
    EXPECT_EQ(window::ClientCursor(nullptr), (window::Point{7, 9}));
    window::SetClientCursorOverride(std::nullopt);
    EXPECT_EQ(window::ClientCursor(nullptr), (window::Point{0, 0}));
}

TEST_F(WindowTest, CursorCounterBehavesAsOnWindows) {
    auto w = Make();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(window::CursorCounter(), 0);
    EXPECT_TRUE(window::CursorVisible());
    EXPECT_EQ(window::ShowCursor(false), -1);
    EXPECT_FALSE(window::CursorVisible());
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
    EXPECT_EQ(window::ShowCursor(false), -2);
    EXPECT_EQ(window::ShowCursor(true), -1);
    EXPECT_FALSE(window::CursorVisible()); // one show does not undo two hides
    EXPECT_EQ(window::ShowCursor(true), 0);
    EXPECT_TRUE(window::CursorVisible());
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
    EXPECT_EQ(window::ShowCursor(true), 1);
    EXPECT_EQ(window::ShowCursor(false), 0);
    EXPECT_TRUE(window::CursorVisible());
    window::SetCursor(window::CursorShape::None);
    EXPECT_FALSE(window::CursorVisible());
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
    window::SetCursor(window::CursorShape::Arrow);
    EXPECT_TRUE(window::CursorVisible());
}

TEST_F(WindowTest, NoVideoDriverReportsRegistrationFailure) {
    setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
    window::WindowDesc desc;
    EXPECT_EQ(Window::Create(desc), nullptr);
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(m_boxes[0].title, "Error!");
    EXPECT_EQ(m_boxes[0].text, "Window Registration Failed!");
    EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
}

TEST_F(WindowTest, ImpossibleContextReportsCreationFailure) {
    window::WindowDesc desc;
    desc.glMajor = 9;
    desc.glMinor = 9;
    EXPECT_EQ(Window::Create(desc), nullptr);
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(m_boxes[0].title, "Error!");
    EXPECT_EQ(m_boxes[0].text, "Window Creation Failed!");
    EXPECT_EQ(m_boxes[0].icon, sys::MessageBoxIcon::Warning);
    EXPECT_EQ(Window::Current(), nullptr);
    EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
}

} // namespace
