#include "app/game.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <iostream>
#include <utility>

#include "animation/graphics_animation_operations.h"
#include "animation/x_animation_set_source.h"
#include "app/input_controls.h"
#include "app/intro_state.h"
#include "app/level_state.h"
#include "app/menu_state.h"
#include "audio/sound_instance_control.h"
#include "audio/sound_process.h"
#include "content/parser_process.h"
#include "core/game_object.h"
#include "core/globals.h"
#include "core/message.h"
#include "editor/level_editor_state.h"
#include "game/shell_globals.h"
#include "graphics/graphics_process.h"
#include "platform/input/input_script.h"
#include "platform/input/sdl_input.h"
#include "platform/system/crt_rand.h"
#include "platform/system/log.h"
#include "platform/system/message_box.h"
#include "platform/window/cursor.h"

namespace {

constexpr float kShadowMapSizes[] = {512.0f, 1024.0f, 2048.0f};
constexpr u32 kShadowMapCounts[] = {2, 3, 4};

template <class T, std::size_t N> T ByIndex(const T (&table)[N], i32 index) {
    return table[std::clamp<i32>(index, 0, static_cast<i32>(N) - 1)];
}

bool IsScreenName(const std::string& name) {
    return std::any_of(std::begin(Game::kScreenNames), std::end(Game::kScreenNames),
                       [&name](const char* screen) { return name == screen; });
}

} // namespace

Resolution ChooseResolution(i32 storedIndex, window::ScreenMetrics screen) {
    // Menus write the index in memory and the file can be edited: never index past the table.
    i32 index = std::clamp(storedIndex, 0, kResolutionCount - 1);
    while (index > 0 && kResolutionWidths[index] > screen.width) {
        --index;
    }
    Resolution chosen{index, kResolutionWidths[index], kResolutionHeights[index]};
    // No display answered (0 high): keep the table's height rather than a window 0 high.
    if (screen.height > 0 && screen.height <= chosen.height) {
        chosen.height = screen.height;
    }
    return chosen;
}

std::shared_ptr<input::Device> GameEnvironment::PlatformInputDevice(window::Window& window) {
    return input::WithInputScript(input::CreateWindowDevice(window));
}

boost::shared_ptr<SoundProcess> GameEnvironment::PlatformSound() {
    return boost::shared_ptr<SoundProcess>(new SoundProcess());
}

boost::shared_ptr<GraphicsProcess>
GameEnvironment::PlatformGraphics(window::Window& window, float shadowMapSize, u32 shadowMapCount) {
    boost::shared_ptr<GraphicsProcess> graphics(
        new GraphicsProcess(&window, nullptr, 0, shadowMapSize, shadowMapCount));
    graphics->SetSoundControl(SoundInstanceControl::Instance());
    return graphics;
}

std::unique_ptr<GameState> GameEnvironment::PlatformState(StateKind kind, const std::string& name,
                                                          Game& game) {
    GraphicsProcess* graphics = game.Graphics();
    SoundProcess* sound = game.Sound();
    InputControls* input = game.Input();
    LuaHandler* lua = &game.Lua();
    ParserProcess* parser = game.Parser();
    MessageRouter* parent = &game.Router();
    switch (kind) {
    case StateKind::Intro:
        return std::make_unique<IntroState>(name, graphics, sound, input, lua, parser, parent);
    case StateKind::Menu:
        return std::make_unique<MenuState>(name, graphics, sound, input, lua, parser, parent);
    case StateKind::Level:
        return std::make_unique<LevelState>(name, graphics, sound, input, lua, parser, parent);
    case StateKind::LevelEditor:
        return std::make_unique<LevelEditorState>(name, graphics, sound, input, lua, parser,
                                                  parent);
    }
    return nullptr;
}

bool GameEnvironment::RandomPlayRequested() {
    return std::getenv("GORVANE_RANDOM_INPUT") != nullptr;
}

bool GameEnvironment::CheatKeysRequested() {
    return std::getenv("GORVANE_CHEATS") != nullptr;
}

double GameEnvironment::HealthSecondsRequested() {
    const char* const seconds = std::getenv("GORVANE_HEALTH_SECONDS");
    return seconds != nullptr ? std::strtod(seconds, nullptr) : 0.0;
}

std::string GameEnvironment::LevelRequested() {
    const char* const level = std::getenv("GORVANE_LEVEL");
    return level != nullptr ? level : "";
}

Game::Game(GameEnvironment environment)
    : m_environment(std::move(environment)), m_health(m_environment.healthSeconds) {
    window::g_quit = false;
    // An object that finds a component without a process tells the player, not stderr.
    GameObject::SetReporter(
        [](const char* text) { sys::ShowMessageBox("", text, sys::MessageBoxIcon::Information); });
    crt::SeedRand(static_cast<u32>(std::time(nullptr)));
    if (!m_environment.level.empty()) {
        // The logo screens load the level ahead, so it is the next level from the start.
        g_feature_film_level = m_environment.level;
        LevelPath = m_environment.level;
    }

    Bind(&m_router, HANDLER_GAME);
    // The renderer reaches the meshes' animation maps through these.
    RegisterGraphicsAnimationOperations();
    // Their animation sets come out of the art package's .X files.
    RegisterXAnimationSetSource();
    m_lua.Bind(&m_router, HANDLER_LUA_HANDLER);

    const boost::shared_ptr<ParserProcess> parser(new ParserProcess());
    m_parser = parser.get();
    m_process_manager.AddProcess(parser);
    parser->Bind(&m_router, HANDLER_PARSER_PROCESS);

    GraphicsOptions* options = ParserProcess::LoadGraphicsOptions(m_parser, true);
    const Resolution resolution = ChooseResolution(options->m_resolution, m_environment.screen());
    options->m_resolution = resolution.index;
    g_render_width = resolution.width;
    g_render_height = resolution.height;
    const float shadowMapSize = ByIndex(kShadowMapSizes, options->m_shadow_map_size);
    const u32 shadowMapCount = ByIndex(kShadowMapCounts, options->m_shadow_map_count);

    if (CreateGameWindow()) {
        const boost::shared_ptr<InputControls> input(
            new InputControls(ParserProcess::LoadKeyboardControls(m_parser, true)));
        m_input = input.get();
        input->SetRandomPlay(m_environment.randomPlay);
        input->SetCheatKeys(m_environment.cheatKeys);
        m_process_manager.AddProcess(input);
        input->Bind(&m_router, HANDLER_INPUT_CONTROLS);
        input->CreateDevices(m_environment.createInputDevice(*m_window));

        if (const boost::shared_ptr<SoundProcess> sound = m_environment.createSound()) {
            m_sound = sound.get();
            m_process_manager.AddProcess(sound);
            sound->Bind(&m_router, HANDLER_SOUND_PROCESS);
        }
        if (const boost::shared_ptr<GraphicsProcess> graphics =
                m_environment.createGraphics(*m_window, shadowMapSize, shadowMapCount)) {
            m_graphics = graphics.get();
            m_process_manager.AddProcess(graphics);
            graphics->Bind(&m_router, HANDLER_GRAPHICS_PROCESS);
            // The menus show and hide their looks in the renderer's sprites.
            WidgetGraphics::SetDefault(&m_widget_graphics);
        }

        SendStoredOptions();
        if (m_graphics != nullptr) {
            // A frame is on screen before the first state is built.
            m_graphics->Update(kFirstFrameTime);
        }
        PushState(m_environment.createState(StateKind::Intro, kFirstStateName, *this));
    } else {
        window::g_quit = true;
    }
    m_last = ReadCounter();
}

Game::~Game() {
    while (!m_states.empty()) {
        PopState();
    }
    m_pending.reset();
    m_process_manager.RemoveAllProcesses();
    GameObject::SetReporter(nullptr);
    if (WidgetGraphics::Default() == &m_widget_graphics) {
        WidgetGraphics::SetDefault(nullptr);
    }
}

bool Game::CreateGameWindow() {
    window::WindowDesc desc;
    desc.title = "Gorvane";
    desc.className = "Tovask";
    desc.width = g_render_width;
    desc.height = g_render_height;
    m_window = m_environment.createWindow(desc);
    if (!m_window) {
        return false;
    }
    m_window->SetEventHook(
        [](const window::Event& event) { return g_editor_dialog && g_editor_dialog(event); });
    return true;
}

void Game::SendStoredOptions() {
    const GraphicsOptions* graphics = ParserProcess::LoadGraphicsOptions(m_parser, true);
    Message<bool> shadows(MSG_GRAPHICS_ENABLE_SHADOWS, graphics->m_shadows);
    SendMessage(&shadows, HANDLER_GRAPHICS_PROCESS);
    Message<bool> motionBlur(MSG_GRAPHICS_SET_MOTION_BLUR_SETTING, graphics->m_motion_blur);
    SendMessage(&motionBlur, HANDLER_GRAPHICS_PROCESS);
    // The renderer's setting counts the other way round from the option.
    Message<int> threeDee(MSG_GRAPHICS_SET_THREE_DEE_SETTING, graphics->m_three_dee ? 0 : 1);
    SendMessage(&threeDee, HANDLER_GRAPHICS_PROCESS);
    Message<bool> fullscreen(MSG_GRAPHICS_FULLSCREEN_SET, graphics->m_fullscreen);
    SendMessage(&fullscreen, HANDLER_GRAPHICS_PROCESS);

    const SoundOptions* sound = ParserProcess::LoadSoundOptions(m_parser, true);
    Message<float> master(MSG_SOUND_SET_MASTER_VOLUME, sound->m_master_volume);
    SendMessage(&master, HANDLER_SOUND_PROCESS);
    using GroupVolume = std::pair<unsigned int, float>;
    Message<GroupVolume> effects(MSG_SOUND_SET_GROUP_VOLUME,
                                 GroupVolume(0, sound->m_sound_fx_volume));
    SendMessage(&effects, HANDLER_SOUND_PROCESS);
    Message<GroupVolume> music(MSG_SOUND_SET_GROUP_VOLUME, GroupVolume(1, sound->m_music_volume));
    SendMessage(&music, HANDLER_SOUND_PROCESS);
}

u64 Game::ReadCounter() const {
    return m_environment.clock != nullptr ? m_environment.clock->Counter()
                                          : sys::PerformanceCounter();
}

u64 Game::CounterFrequency() const {
    return m_environment.clock != nullptr ? m_environment.clock->Frequency()
                                          : sys::PerformanceFrequency();
}

bool Game::Update() {
    m_now = ReadCounter();
    const u64 frequency = std::max<u64>(CounterFrequency(), 1);
    const double realSeconds = static_cast<double>(m_now - m_last) / static_cast<double>(frequency);
    m_health.Frame(realSeconds);
    float dt = static_cast<float>(realSeconds) * m_time_scale;
    if (dt >= kMaxFrameTime) {
        dt = kMaxFrameTime;
    }

    if (m_input != nullptr) {
        m_input->active = window::g_window_active.load();
    }

    // A lost device or a driver error skips the frame's work.
    if (m_graphics == nullptr || !m_graphics->ReportDriverError()) {
        if (m_router_dispatch) {
            m_router.Update(dt);
        }
        if (GameState* top = TopState()) {
            if (!top->m_initialized) {
                top->Initialize();
            }
            top->Update(dt);
        }
        m_process_manager.Update(dt);
        if (m_health.On()) {
            AddFrameShares();
        }
    }

    // Runs on skipped frames too: a close or the driver's quit request arrives here.
    if (m_window) {
        m_window->PumpEvents();
    }

    const bool quitting = window::g_quit;
    if (quitting) {
        for (const std::unique_ptr<GameState>& state : m_states) {
            state->m_exit = true;
        }
    }
    while (!m_states.empty() && m_states.back()->m_exit) {
        PopState();
    }
    if (m_pending) {
        if (quitting) {
            // The game ends with this frame; a state pushed now would run once more first.
            SetPendingState(nullptr);
        } else {
            PushState(std::move(m_pending));
        }
    }

    m_last = m_now;
    return !m_states.empty() && m_process_manager.HasProcesses();
}

void Game::AddFrameShares() {
    if (m_graphics != nullptr) {
        const GraphicsProcess::FrameTimings& steps = m_graphics->LastFrameTimings();
        m_health.AddShare("culling", steps.culling);
        m_health.AddShare("particles", steps.particles);
        m_health.AddShare("skinning", steps.skinning);
        m_health.AddShare("components", steps.componentUpdate);
    }
    GameState* const top = TopState();
    if (top == nullptr) {
        return;
    }
    struct Share {
        u32 id;
        const char* name;
    };
    static constexpr Share kShares[] = {{HANDLER_AI_VIEW_PROCESS, "ai"},
                                        {HANDLER_PHYSX_PROCESS, "physics"},
                                        {HANDLER_BUILDING_PROCESS, "buildings"},
                                        {HANDLER_ANIMATION_PROCESS, "animation"}};
    // The state's manager keeps the last frame's time of each process once asked to.
    top->m_process_manager.timingEnabled = true;
    for (const ProcessTiming& timing : top->m_process_manager.timings) {
        for (const Share& share : kShares) {
            if (timing.process->id == share.id) {
                m_health.AddShare(share.name, timing.seconds);
            }
        }
    }
}

void Game::PushState(std::unique_ptr<GameState> state) {
    if (!state) {
        return;
    }
    sys::Log() << "Game::PushState: " << state->Name();
    m_states.push_back(std::move(state));
}

void Game::PopState() {
    GameState* top = m_states.back().get();
    // A state whose Initialize has not finished (a skipped frame, a quit before it ran) is
    // not exited: its Exit would put back settings it never read.
    if (top->m_initialized) {
        top->Exit();
    }
    // Before the state is destroyed: nothing routed from the root may reach it meanwhile.
    m_router.RemoveChild(&top->Router());
    sys::Log() << "Game::PopState: " << top->Name();
    m_states.pop_back();
}

void Game::RequestStateExit() {
    if (GameState* top = TopState()) {
        top->m_exit = true;
    }
}

void Game::SetPendingState(std::unique_ptr<GameState> state) {
    // A replaced state detaches its router from ours as it is destroyed.
    m_pending = std::move(state);
}

void Game::SetWindowFocus() {
    if (m_window) {
        m_window->Focus();
    }
}

void Game::SwitchState(const std::string& name) {
    if (IsScreenName(name)) {
        RequestStateExit();
        SetPendingState(m_environment.createState(StateKind::Intro, name, *this));
    } else if (name == kMenuName) {
        RequestStateExit();
        SetPendingState(m_environment.createState(StateKind::Menu, name, *this));
    } else if (name == kLevelEditorName) {
        RequestStateExit();
        SetPendingState(m_environment.createState(StateKind::LevelEditor, name, *this));
        window::ShowCursor(true);
        SetWindowFocus();
    } else if (name == LevelPath || name == EditorLevelPath) {
        // A level is not restarted by a repeated request, in the same frame or while it runs.
        const GameState* top = TopState();
        if ((top != nullptr && top->Name() == name) || (m_pending && m_pending->Name() == name)) {
            return;
        }
        RequestStateExit();
        SetPendingState(m_environment.createState(StateKind::Level, name, *this));
    }
}

void Game::HandleMessage(BaseMessage* msg, u32 fromId) {
    switch (msg->type) {
    case MSG_GAME_SWITCH_STATE:
        if (const std::string* name = msg->Payload<std::string>()) {
            SwitchState(*name);
        }
        break;
    case MSG_GAME_PUSH_STATE:
        if (const std::string* name = msg->Payload<std::string>()) {
            SetPendingState(m_environment.createState(StateKind::Level, *name, *this));
        }
        break;
    case MSG_GAME_POP_STATE:
        RequestStateExit();
        break;
    case MSG_GAME_QUIT:
        window::g_quit = true;
        break;
    case MSG_GAME_HWND: {
        Message<window::Window*> reply(MSG_GAME_HWND, m_window.get());
        SendMessage(&reply, fromId);
        break;
    }
    case MSG_GAME_SET_WINDOW_FOCUS:
        SetWindowFocus();
        break;
    case MSG_GAME_DT_MODIFIER:
        m_time_scale = msg->ValueOr<float>(m_time_scale);
        break;
    case MSG_PAUSE_COMPONENT_UPDATE:
        m_router_dispatch = false;
        break;
    case MSG_UNPAUSE_COMPONENT_UPDATE:
        m_router_dispatch = true;
        break;
    default:
        break;
    }
}
