#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <type_traits>
#include <vector>

#include "content/particle_system_info.h"
#include "core/component_type.h"
#include "core/game_object.h"
#include "core/message.h"
#include "core/message_router.h"
#include "core/stream_map.h"
#include "core/thread.h"
#include "graphics/graphics_process.h"
#include "graphics/particle_system_cpu.h"
#include "graphics/particle_system_manager.h"
#include "graphics/render_settings.h"
#include "graphics/render_state_cache.h"
#include "graphics/sprite_component.h"
#include "graphics/text_graphic.h"
#include "graphics/video_manager.h"
#include "platform/gfx/device.h"
#include "platform/gfx/image.h"
#include "platform/gfx/texture.h"
#include "platform/input/keys.h"
#include "platform/system/message_box.h"
#include "platform/window/window.h"
#include "support/avi_fixture.h"
#include "support/component_fixture.h"
#include "support/package_fixture.h"

namespace {

using Recorder = component_fixture::MessageRecorder;

const BaseMessage& Last(const Recorder& recorder) {
    return *recorder.received.back().message;
}

// Runs the test in a scratch folder, so the renderer's relative video paths land there.
class ScratchDirectory {
  public:
    ScratchDirectory() : m_previous(std::filesystem::current_path()) {
        std::filesystem::current_path(m_folder.Path());
    }
    ~ScratchDirectory() { std::filesystem::current_path(m_previous); }
    const package_fixture::ScratchFolder& Folder() const { return m_folder; }

  private:
    package_fixture::ScratchFolder m_folder;
    std::filesystem::path m_previous;
};

constexpr u32 kAsker = 22;
constexpr u32 kGame = 0;
constexpr u32 kInput = 3;
constexpr u32 kLevel = 6;
constexpr u32 kUi = 10;

class GraphicsProcessMessages : public ::testing::Test {
  protected:
    void SetUp() override {
        g_render_settings = RenderSettings{};
        testing::internal::CaptureStdout();
        graphics = std::make_unique<GraphicsProcess>(nullptr, nullptr, 0, 1024.0f, 3);
        testing::internal::GetCapturedStdout();
        graphics->Bind(&router, GraphicsProcess::kHandlerId);
        game.Bind(&router, kGame);
        input.Bind(&router, kInput);
        level.Bind(&router, kLevel);
        ui.Bind(&router, kUi);
        asker.Bind(&router, kAsker);
    }
    void TearDown() override {
        graphics.reset();
        g_render_settings = RenderSettings{};
    }

    void Send(BaseMessage&& message) { asker.SendMessage(&message, GraphicsProcess::kHandlerId); }

    // Templates "Smoke" and "Fire" from a package of our own.
    void LoadTemplates() {
        const auto package = package_fixture::MakePackage(
            m_packages.Path(), "particles",
            {{"smoke.txt", "SystemName = Smoke\nPositionInitial = 1, 2, 3\nNumParticles = 8\n"},
             {"fire.txt", "SystemName = Fire\nNumParticles = 4\n"}});
        ParticleSystemManager::Instance()->Clear();
        ParticleSystemManager::Instance()->LoadTemplates(package.string());
    }

    MessageRouter router;
    std::unique_ptr<GraphicsProcess> graphics;
    Recorder game;
    Recorder input;
    Recorder level;
    Recorder ui;
    Recorder asker;
    package_fixture::ScratchFolder m_packages;
};

TEST_F(GraphicsProcessMessages, IsTheComponentProcessOfHandlerOne) {
    EXPECT_EQ(GraphicsProcess::kHandlerId, 1u);
    EXPECT_EQ(graphics->id, 1u);
    EXPECT_NE(dynamic_cast<ComponentProcess*>(graphics.get()), nullptr);
    EXPECT_EQ(g_graphics, graphics.get());
    EXPECT_EQ(graphics->GetDevice(), nullptr);
    EXPECT_TRUE(graphics->IsFirstFrame());
    EXPECT_FALSE(graphics->ReportDriverError());
}

TEST_F(GraphicsProcessMessages, TheDeviceMutexLivesWithTheRendererAndHoldsItsFrame) {
    // Another thread doing device work holds the frame back until it lets go.
    std::promise<void> taken;
    std::promise<void> letGo;
    std::thread loader([&] {
        NamedMutex::Wait("D3DDEVICE", 5000);
        taken.set_value();
        letGo.get_future().wait();
        NamedMutex::Release("D3DDEVICE");
    });
    taken.get_future().wait();
    auto frame = std::async(std::launch::async, [&] { graphics->Update(0.016f); });
    EXPECT_EQ(frame.wait_for(std::chrono::milliseconds(20)), std::future_status::timeout);
    letGo.set_value();
    frame.get();
    loader.join();

    graphics.reset();
    EXPECT_THROW(NamedMutex::Wait("D3DDEVICE", 0), openutils::ThreadException);
}

TEST_F(GraphicsProcessMessages, GettersWriteThroughTheAskersPointerBeforeTheSendReturns) {
    unsigned int threeDeeUnsigned = 77;
    Send(Message<unsigned int*>(MSG_GRAPHICS_GET_THREE_DEE_SETTING, &threeDeeUnsigned));
    EXPECT_EQ(threeDeeUnsigned, 1u);

    Send(Message<int>(MSG_GRAPHICS_SET_THREE_DEE_SETTING, 0));
    int threeDee = 77;
    Send(Message<int*>(MSG_GRAPHICS_GET_THREE_DEE_SETTING, &threeDee));
    EXPECT_EQ(threeDee, 0);
    Send(Message<unsigned int>(MSG_GRAPHICS_SET_THREE_DEE_SETTING, 1u));
    Send(Message<unsigned int*>(MSG_GRAPHICS_GET_THREE_DEE_SETTING, &threeDeeUnsigned));
    EXPECT_EQ(threeDeeUnsigned, 1u);

    bool motionBlur = true;
    Send(Message<bool>(MSG_GRAPHICS_SET_MOTION_BLUR_SETTING, false));
    Send(Message<bool*>(MSG_GRAPHICS_GET_MOTION_BLUR_SETTING, &motionBlur));
    EXPECT_FALSE(motionBlur);

    bool quality = false;
    Send(Message<bool*>(MSG_GRAPHICS_GET_USE_NORMAL_DEFERRED_SHADER_QUALITY, &quality));
    EXPECT_TRUE(quality);
    Send(Message<bool>(MSG_GRAPHICS_SET_USE_NORMAL_DEFERRED_SHADER_QUALITY, !quality));
    Send(Message<bool*>(MSG_GRAPHICS_GET_USE_NORMAL_DEFERRED_SHADER_QUALITY, &quality));
    EXPECT_FALSE(quality);

    // A getter without a pointer is ignored.
    Send(Message<bool*>(MSG_GRAPHICS_GET_MOTION_BLUR_SETTING, nullptr));
    Send(BaseMessage(MSG_GRAPHICS_GET_THREE_DEE_SETTING));
    EXPECT_TRUE(asker.received.empty());
}

TEST_F(GraphicsProcessMessages, ExposureAskedRightAfterSettingItIsTheNewValue) {
    Send(Message<float>(MSG_GRAPHICS_SET_EXPOSURE_VALUE, 2.5f));
    Send(BaseMessage(MSG_GRAPHICS_GET_EXPOSURE_VALUE));
    ASSERT_EQ(asker.Types(), std::vector<u32>{MSG_GRAPHICS_EXPOSURE_VALUE});
    EXPECT_EQ(Last(asker).ValueOr<float>(0.0f), 2.5f);
    EXPECT_EQ(g_render_settings.exposure, 4.0f); // the frame applies it

    Send(Message<float>(MSG_GRAPHICS_SET_LIGHT_MULTIPLIER, 0.6f));
    graphics->Update(0.016f);
    EXPECT_EQ(g_render_settings.exposure, 2.5f);
    EXPECT_EQ(g_render_settings.lightMultiplier, 0.6f);
    EXPECT_EQ(g_render_settings.exposurePending, 0);
    Send(BaseMessage(MSG_GRAPHICS_GET_EXPOSURE_VALUE));
    EXPECT_EQ(Last(asker).ValueOr<float>(0.0f), 2.5f);
}

TEST_F(GraphicsProcessMessages, SettingMessagesStoreTheirValues) {
    Send(Message<float>(MSG_GRAPHICS_SET_FOG_RANGE, 12000.0f));
    Send(Message<float>(MSG_GRAPHICS_SET_FDIST, 0.98f));
    Send(Message<float>(MSG_GRAPHICS_FADE_OUT, 0.5f));
    Send(Message<bool>(MSG_GRAPHICS_ENABLE_SHADOWS, false));
    Send(Message<float>(MSG_GRAPHICS_MOTION_BLUR, 0.5f));
    Send(Message<float>(MSG_GRAPHICS_RANDOM_CAMERA_SHAKE, 2.0f));
    Send(Message<std::string>(MSG_BUILDING_COUNT, "12 BUILDINGS"));
    EXPECT_EQ(g_render_settings.fogRange, 12000.0f);
    EXPECT_EQ(g_render_settings.farDistance, 0.98f);
    EXPECT_EQ(g_render_settings.colourFadeRate, -0.5f);
    EXPECT_EQ(g_render_settings.shadows, 0);
    EXPECT_EQ(graphics->StatusText(), "12 BUILDINGS");
    graphics->Update(0.25f);
    EXPECT_FLOAT_EQ(graphics->MotionBlurTimer(), 0.25f);
    EXPECT_FLOAT_EQ(graphics->CameraShakeTimer(), 1.75f);

    Send(Message<bool>(MSG_LEVEL_EDITOR_MODE, true));
    EXPECT_TRUE(graphics->LevelEditorMode());
    EXPECT_EQ(g_render_settings.editorOff, 0);
    EXPECT_EQ(g_render_settings.editorOffDust, 0);
    Send(Message<bool>(MSG_LEVEL_EDITOR_MODE, false));
    EXPECT_EQ(g_render_settings.editorOff, 1);

    GameObject object("Tank");
    Send(Message<GameObject*>(MSG_LEVEL_OBJECT_CREATED, &object));
    EXPECT_EQ(graphics->LevelObject(), &object);
}

TEST_F(GraphicsProcessMessages, SpaceRoutesEditorInputToTheEditorAndBack) {
    InputState state;
    state.m_mouse_x = 7;
    Send(Message<InputState>(MSG_GRAPHIC_INPUT, state));
    EXPECT_TRUE(graphics->IsFreeCamera());
    EXPECT_EQ(graphics->GraphicsInput().m_ui, 1);
    EXPECT_EQ(graphics->GraphicsInput().m_mouse_x, 7);
    Send(Message<int>(MSG_PLAYER_CAMERA, 0));
    EXPECT_FALSE(graphics->IsFreeCamera());
    EXPECT_EQ(graphics->GraphicsInput().m_ui, 0);

    InputState space;
    space.m_keys[input::key::Space] = INPUT_PRESSED;
    space.m_mouse_x = 3;
    Send(Message<InputState>(MSG_EDITOR_INPUT, space));
    EXPECT_TRUE(graphics->EditorInputRouting());
    EXPECT_EQ(graphics->EditorInput().m_mouse_x, 3);
    EXPECT_EQ(graphics->EditorInput().m_ui, 1);
    EXPECT_EQ(graphics->GraphicsInput().m_mouse_x, 0);

    space.m_keys[input::key::Space] = INPUT_HELD; // held is not pressed again
    Send(Message<InputState>(MSG_EDITOR_INPUT, space));
    EXPECT_TRUE(graphics->EditorInputRouting());

    space.m_keys[input::key::Space] = INPUT_PRESSED;
    space.m_mouse_x = 9;
    Send(Message<InputState>(MSG_EDITOR_INPUT, space));
    EXPECT_FALSE(graphics->EditorInputRouting());
    EXPECT_TRUE(graphics->IsFreeCamera());
    EXPECT_EQ(graphics->GraphicsInput().m_mouse_x, 9);
    EXPECT_EQ(graphics->EditorInput().m_mouse_x, 0);
    EXPECT_EQ(graphics->EditorInput().m_ui, 0);

    // Leaving the editor routes its input to the camera again.
    Send(Message<InputState>(MSG_EDITOR_INPUT, space));
    EXPECT_TRUE(graphics->EditorInputRouting());
    Send(Message<bool>(MSG_LEVEL_EDITOR_MODE, false));
    EXPECT_FALSE(graphics->EditorInputRouting());
}

TEST_F(GraphicsProcessMessages, ThePauseOfSceneUpdatesReachesTheFrameAtItsStart) {
    Send(BaseMessage(MSG_PAUSE_COMPONENT_UPDATE));
    EXPECT_EQ(g_render_settings.componentUpdate, 0);
    EXPECT_EQ(g_render_settings.sceneUpdate, 1);
    graphics->Update(0.016f);
    EXPECT_EQ(g_render_settings.sceneUpdate, 0);
    Send(BaseMessage(MSG_UNPAUSE_COMPONENT_UPDATE));
    graphics->Update(0.016f);
    EXPECT_EQ(g_render_settings.sceneUpdate, 1);
}

TEST_F(GraphicsProcessMessages, WindowedStateIsAnsweredAndAnUnchangedModeResetsNothing) {
    Send(BaseMessage(MSG_GRAPHICS_CHECK_WINDOWED));
    ASSERT_EQ(asker.Types(), std::vector<u32>{MSG_GRAPHICS_WINDOWED});
    EXPECT_TRUE(Last(asker).ValueOr<bool>(false));

    Send(Message<bool>(MSG_GRAPHICS_FULLSCREEN_SET, false));
    EXPECT_TRUE(ui.received.empty());
    Send(Message<bool>(MSG_GRAPHICS_FULLSCREEN_SET, true));
    EXPECT_TRUE(graphics->IsFullscreen());
    ASSERT_EQ(ui.Types(), std::vector<u32>{MSG_GRAPHICS_WINDOWED});
    EXPECT_FALSE(Last(ui).ValueOr<bool>(true));
    Send(BaseMessage(MSG_GRAPHICS_FULLSCREEN_SWITCH));
    EXPECT_FALSE(graphics->IsFullscreen());
    EXPECT_TRUE(Last(ui).ValueOr<bool>(false));
}

TEST_F(GraphicsProcessMessages, ParticleSystemsAreCreatedAtTheAskedPositionAndValidated) {
    LoadTemplates();
    Send(Message<ParticleSystemInfo>(MSG_CREATE_PARTICLE_SYSTEM,
                                     ParticleSystemInfo{Vector(10, 20, 30), "Smoke"}));
    ASSERT_EQ(asker.Types(), std::vector<u32>{MSG_PARTICLE_SYSTEM});
    ParticleSystemCPU* system = Last(asker).ValueOr<ParticleSystemCPU*>(nullptr);
    ASSERT_NE(system, nullptr);
    EXPECT_EQ(system->settings.systemName, "Smoke");
    EXPECT_EQ(system->position.x, 10.0f);
    EXPECT_EQ(system->position.z, 30.0f);
    EXPECT_EQ(system->particles.size(), 8u);

    Send(Message<ParticleSystemCPU*>(MSG_GRAPHICS_PARTICLE_SYSTEM_VALID, system));
    EXPECT_TRUE(Last(asker).ValueOr<bool>(false));
    ASSERT_TRUE(ParticleSystemManager::Instance()->RemoveSystem(system));
    Send(Message<ParticleSystemCPU*>(MSG_GRAPHICS_PARTICLE_SYSTEM_VALID, system));
    EXPECT_FALSE(Last(asker).ValueOr<bool>(true));

    // An unknown name is answered too, with no system.
    Send(Message<ParticleSystemInfo>(MSG_CREATE_PARTICLE_SYSTEM,
                                     ParticleSystemInfo{Vector(0, 0, 0), "smoke"}));
    EXPECT_EQ(Last(asker).type, MSG_PARTICLE_SYSTEM);
    EXPECT_EQ(Last(asker).ValueOr<ParticleSystemCPU*>(system), nullptr);
    EXPECT_EQ(asker.received.size(), 4u);
}

TEST(RendererRecords, TextRequestsAndParticleRequestsCopyWhole) {
    static_assert(std::is_trivially_copyable_v<TextGraphicStruct>);
    TextGraphicStruct request;
    EXPECT_EQ(request.text, nullptr);
    EXPECT_EQ(request.textGraphic, nullptr);
    request.text = "SCORE";
    request.bottomRight[1] = 40.0f;
    const TextGraphicStruct copy = request;
    EXPECT_STREQ(copy.text, "SCORE");
    EXPECT_EQ(copy.bottomRight[1], 40.0f);

    const Message<ParticleSystemInfo> sent(MSG_CREATE_PARTICLE_SYSTEM,
                                           ParticleSystemInfo{Vector(1, 2, 3), "nuke1"});
    const std::unique_ptr<BaseMessage> queued(sent.Clone());
    const ParticleSystemInfo* info = queued->Payload<ParticleSystemInfo>();
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->name, "nuke1");
    EXPECT_EQ(info->position, Vector(1, 2, 3));
    EXPECT_EQ(info->position.px, &info->position.x);
}

StreamMap ComponentStream(const std::string& objectType, const std::string& componentType,
                          const std::string& value) {
    StreamMap stream;
    stream.AddString("Object", objectType);
    stream.AddString("Component", componentType);
    stream.AddString("Name", value);
    return stream;
}

TEST_F(GraphicsProcessMessages, CreatesParticleSystemComponentsThatOutliveTheirObject) {
    LoadTemplates();
    StreamMap stream = ComponentStream("Torch", "ParticleSystem", "Fire");
    Component* component = graphics->CreateComponent(&stream);
    ASSERT_NE(component, nullptr);
    EXPECT_EQ(component->process, graphics.get());
    auto* system = dynamic_cast<ParticleSystemCPU*>(component);
    ASSERT_NE(system, nullptr);
    EXPECT_EQ(system->settings.systemName, "Fire");
    EXPECT_EQ(system->position.x, -7.5f); // the template's position
    ParticleSystemManager* manager = ParticleSystemManager::Instance();
    EXPECT_TRUE(manager->ContainsSystem(system));

    {
        GameObject torch("Torch");
        torch.AddComponent(ComponentType::ParticleSystem, system);
        EXPECT_EQ(system->owner, &torch);
    } // hands the system back to the renderer
    EXPECT_TRUE(manager->ContainsSystem(system));
    EXPECT_EQ(system->owner, nullptr);
    manager->DetachAll(); // must not touch the object that has gone
    EXPECT_TRUE(manager->Systems().empty());

    StreamMap unknown = ComponentStream("Torch", "ParticleSystem", "Nothing");
    EXPECT_EQ(graphics->CreateComponent(&unknown), nullptr);
    StreamMap physics = ComponentStream("Torch", "Physics", "Fire");
    EXPECT_EQ(graphics->CreateComponent(&physics), nullptr);
    EXPECT_EQ(graphics->CreateComponent(nullptr), nullptr);
}

TEST_F(GraphicsProcessMessages, CreditsWithoutVideoSwitchToTheMenuAtOnce) {
    const ScratchDirectory here; // no assets/video/Credits.avi
    testing::internal::CaptureStdout();
    Send(BaseMessage(MSG_GRAPHICS_PLAY_CREDITS));
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(graphics->AreCreditsPlaying());
    EXPECT_EQ(g_render_settings.colourFadeRate, 1.0f);

    graphics->Update(0.016f);
    EXPECT_FALSE(graphics->AreCreditsPlaying());
    router.Update(0.05f);
    EXPECT_TRUE(game.received.empty());
    router.Update(0.06f);
    ASSERT_EQ(game.Types(), std::vector<u32>{MSG_GAME_SWITCH_STATE});
    EXPECT_EQ(*Last(game).Payload<std::string>(), "Menu");
    EXPECT_EQ(game.received.back().fromId, GraphicsProcess::kHandlerId);

    // The black screen and the fade-out come 31.5 s after the start, video or not.
    EXPECT_TRUE(level.received.empty());
    router.Update(31.5f);
    ASSERT_EQ(level.Types(), std::vector<u32>{MSG_LEVEL_CREATE_OBJECT});
    EXPECT_EQ(*Last(level).Payload<std::string>(), "Black");
    EXPECT_EQ(g_render_settings.colourFadeRate, -0.1f);
}

TEST_F(GraphicsProcessMessages, CreditsRunForTheirVideoAndStoppingThemSwitchesNothing) {
    const ScratchDirectory here;
    ASSERT_TRUE(avi_fixture::WriteTinyAvi("assets/video/Credits.avi", {5})); // 0.5 s
    Send(BaseMessage(MSG_GRAPHICS_PLAY_CREDITS));
    graphics->Update(0.3f);
    EXPECT_TRUE(graphics->AreCreditsPlaying());
    graphics->Update(0.3f);
    EXPECT_FALSE(graphics->AreCreditsPlaying());
    router.Update(0.1f);
    EXPECT_EQ(game.Types(), std::vector<u32>{MSG_GAME_SWITCH_STATE});
    EXPECT_TRUE(VideoManager::Instance()->Videos().empty());

    game.received.clear();
    Send(BaseMessage(MSG_GRAPHICS_PLAY_CREDITS));
    graphics->Update(0.3f);
    Send(BaseMessage(MSG_GRAPHICS_STOP_CREDITS));
    EXPECT_FALSE(graphics->AreCreditsPlaying());
    EXPECT_TRUE(VideoManager::Instance()->Videos().empty());
    graphics->Update(0.3f);
    router.Update(1.0f);
    EXPECT_TRUE(game.received.empty());
}

TEST_F(GraphicsProcessMessages, FilmLeaderWithoutVideoStartsAndEndsTheLevelsFilmLeader) {
    const ScratchDirectory here;
    testing::internal::CaptureStdout();
    Send(BaseMessage(MSG_GRAPHICS_PLAY_FILM_LEAD));
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(level.Types(), std::vector<u32>{MSG_LEVEL_FILM_LEAD_STARTED});
    EXPECT_EQ(input.Types(), std::vector<u32>{MSG_INPUT_DISABLE_MENU});
    EXPECT_TRUE(graphics->IsFilmLeaderPlaying());

    graphics->Update(0.016f);
    EXPECT_EQ(level.Types(),
              (std::vector<u32>{MSG_LEVEL_FILM_LEAD_STARTED, MSG_LEVEL_FILM_LEAD_ENDED}));
    EXPECT_EQ(input.Types(), (std::vector<u32>{MSG_INPUT_DISABLE_MENU, MSG_INPUT_ENABLE_MENU}));
    EXPECT_FALSE(graphics->IsFilmLeaderPlaying());
    EXPECT_FLOAT_EQ(g_render_settings.colourFadeRate, -0.0001f);
}

TEST_F(GraphicsProcessMessages, FilmLeaderEndsWithItsOwnVideoWhateverElseIsLoaded) {
    const ScratchDirectory here;
    ASSERT_TRUE(avi_fixture::WriteTinyAvi("assets/video/FilmLeader.avi", {5}));
    ASSERT_TRUE(avi_fixture::WriteTinyAvi("assets/video/introscreen.avi", {5}));
    // Loaded and never started: it stays unfinished for ever.
    ASSERT_NE(VideoManager::Instance()->Load("./assets/video/introscreen.avi", nullptr), nullptr);

    Send(BaseMessage(MSG_GRAPHICS_PLAY_FILM_LEAD));
    graphics->Update(0.3f);
    EXPECT_EQ(level.Types(), std::vector<u32>{MSG_LEVEL_FILM_LEAD_STARTED});
    graphics->Update(0.3f);
    EXPECT_EQ(level.Types(),
              (std::vector<u32>{MSG_LEVEL_FILM_LEAD_STARTED, MSG_LEVEL_FILM_LEAD_ENDED}));
    EXPECT_EQ(VideoManager::Instance()->Videos().size(), 1u);

    // Stopped early, the film leader sends no end.
    Send(BaseMessage(MSG_GRAPHICS_PLAY_FILM_LEAD));
    Send(BaseMessage(MSG_GRAPHICS_STOP_FILM_LEAD));
    EXPECT_FALSE(graphics->IsFilmLeaderPlaying());
    graphics->Update(1.0f);
    EXPECT_EQ(level.received.size(), 3u);
    EXPECT_EQ(level.Types().back(), MSG_LEVEL_FILM_LEAD_STARTED);
}

// With the offscreen driver: a real device on a real window.
class GraphicsProcessDevice : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        window::g_quit = false;
        window::WindowDesc desc;
        desc.width = 48;
        desc.height = 30;
        desc.openGL = WantsContext();
        m_window = window::Window::Create(desc);
        ASSERT_NE(m_window, nullptr);
        testing::internal::CaptureStdout();
        graphics = std::make_unique<GraphicsProcess>(m_window.get(), nullptr, 0, 2048.0f, 4);
        testing::internal::GetCapturedStdout();
        // Film dust and scratches follow the wall clock; the pictures these tests check must
        // not.
        g_render_settings.editorOff = 0;
        g_render_settings.editorOffDust = 0;
    }
    void TearDown() override {
        graphics.reset();
        m_window.reset();
        window::g_quit = false;
        g_render_settings = RenderSettings{};
    }
    virtual bool WantsContext() const { return true; }

    std::vector<sys::MessageBoxRequest> m_boxes;
    sys::ScopedMessageBoxSink m_sink{
        [this](const sys::MessageBoxRequest& box) { m_boxes.push_back(box); }};
    std::unique_ptr<window::Window> m_window;
    std::unique_ptr<GraphicsProcess> graphics;
};

TEST_F(GraphicsProcessDevice, EachFrameClearsTheBackBufferToBlackAndPresentsIt) {
    gfx::Device* device = graphics->GetDevice();
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(g_shadow_map_size, 2048.0f);
    EXPECT_EQ(g_shadow_map_texel_size, 1.0f / 2048.0f);
    EXPECT_EQ(g_shadow_split_count, 4u);
    EXPECT_GE(g_processor_count, 1u);

    device->SetBackBufferTarget();
    device->Clear(gfx::kClearTarget, 0xFFFFFFFFu, 1.0f, 0);
    graphics->Update(0.001f);
    EXPECT_FALSE(graphics->IsFirstFrame());
    const std::vector<u8> pixels = device->ReadBackBuffer();
    ASSERT_EQ(pixels.size(), 48u * 30u * 4u);
    for (std::size_t i = 0; i < pixels.size(); i += 4) {
        ASSERT_EQ(pixels[i], 0) << i;
        ASSERT_EQ(pixels[i + 1], 0) << i;
        ASSERT_EQ(pixels[i + 2], 0) << i;
        ASSERT_EQ(pixels[i + 3], 255) << i;
    }
    EXPECT_FALSE(graphics->ReportDriverError());
    EXPECT_TRUE(m_boxes.empty());
}

TEST_F(GraphicsProcessDevice, PrintScreenWritesTheLastFrameAsABmp) {
    gfx::Device* device = graphics->GetDevice();
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(RenderStateCache::Get(*device, gfx::kRsZEnable), 1u);
    const ScratchDirectory scratch;
    device->SetBackBufferTarget();
    device->Clear(gfx::kClearTarget, 0xFF2040C0u, 1.0f, 0);
    device->SetViewport({5, 0, 10, 3});
    device->Clear(gfx::kClearTarget, 0xFFFF0000u, 1.0f, 0);
    device->Present();
    const std::vector<u8> frame = device->ReadBackBuffer();

    BaseMessage save(MSG_GRAPHICS_SAVE_SCREENSHOT);
    testing::internal::CaptureStdout();
    graphics->HandleMessage(&save, kAsker);
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_EQ(log, "Screenshot saved to: Screenshots/screenshot000.bmp\n");

    const std::vector<u8> bytes = package_fixture::ReadFile("Screenshots/screenshot000.bmp");
    gfx::Image image;
    ASSERT_TRUE(gfx::DecodeImage(bytes.data(), bytes.size(), image));
    EXPECT_EQ(image.width, 48);
    EXPECT_EQ(image.height, 30);
    EXPECT_EQ(image.pixels, frame);
    EXPECT_EQ(image.pixels[(0 * 48 + 5) * 4], 255);      // red at the top
    EXPECT_EQ(image.pixels[(3 * 48 + 5) * 4 + 2], 0xC0); // blue below it
}

TEST_F(GraphicsProcessDevice, ALostDeviceSkipsFramesUntilItCanBeReset) {
    gfx::Device* device = graphics->GetDevice();
    ASSERT_NE(device, nullptr);
    device->InjectLoss(true);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(graphics->ReportDriverError());
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(20));
    device->InjectLoss(false);
    EXPECT_FALSE(graphics->ReportDriverError()); // reset here
    EXPECT_EQ(device->CheckStatus(), gfx::DeviceStatus::Ok);
    graphics->Update(0.016f);
    EXPECT_EQ(device->ReadBackBuffer()[3], 255);
}

TEST_F(GraphicsProcessDevice, ADriverErrorIsReportedOnceAndEndsTheGame) {
    ASSERT_NE(graphics->GetDevice(), nullptr);
    graphics->GetDevice()->InjectDriverError();
    EXPECT_TRUE(graphics->ReportDriverError());
    EXPECT_TRUE(graphics->ReportDriverError());
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(m_boxes[0].text, "Internal Driver Error...Exiting");
    EXPECT_TRUE(window::g_quit);
}

class GraphicsProcessWithoutContext : public GraphicsProcessDevice {
  protected:
    bool WantsContext() const override { return false; }
};

TEST_F(GraphicsProcessWithoutContext, ShowsTheStartUpErrorAndEndsTheGame) {
    EXPECT_EQ(graphics->GetDevice(), nullptr);
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_EQ(m_boxes[0].text, GraphicsProcess::kStartupErrorText);
    EXPECT_TRUE(window::g_quit);
    graphics->Update(0.016f); // still safe to run
    EXPECT_FALSE(graphics->ReportDriverError());
}

} // namespace

namespace {

TEST_F(GraphicsProcessDevice, TheFilmQuadShowsTheDecodedFrameOfThePlayingFilm) {
    gfx::Device* device = graphics->GetDevice();
    ASSERT_NE(device, nullptr);
    const ScratchDirectory here;
    ASSERT_TRUE(avi_fixture::WriteTinyAvi("assets/video/FilmLeader.avi", {5}));
    graphics->Update(0.0f); // the first frame shows black
    graphics->PlayFilmLeader();
    graphics->Update(0.25f); // 250 ms at 10 pictures a second: picture 2
    Video* film = VideoManager::Instance()->Videos().front();
    EXPECT_EQ(film->lastFrame, 2);
    ASSERT_NE(film->texture, nullptr);
    gfx::Texture* texture = film->texture;
    const u8 grey = avi_fixture::FrameByte(0, 2);
    const std::vector<u8> pixels = device->ReadBackBuffer();
    for (const std::size_t at :
         {std::size_t{0}, std::size_t{(15 * 48 + 30) * 4}, pixels.size() - 4}) {
        EXPECT_NEAR(pixels[at], grey, 2) << at;
        EXPECT_NEAR(pixels[at + 2], grey, 2) << at;
    }

    // The next picture goes into the same texture.
    graphics->Update(0.1f);
    EXPECT_EQ(film->lastFrame, 3);
    EXPECT_EQ(film->texture, texture);
    EXPECT_NEAR(device->ReadBackBuffer()[0], avi_fixture::FrameByte(0, 3), 2);
}

TEST_F(GraphicsProcessDevice, ScreenSpritesAreDrawnEveryFrameAndPauseWithTheScene) {
    gfx::Device* device = graphics->GetDevice();
    ASSERT_NE(device, nullptr);
    gfx::Image image;
    image.width = 4;
    image.height = 4;
    for (int i = 0; i < 16; ++i) {
        image.pixels.insert(image.pixels.end(), {255, 0, 0, 255});
    }
    auto texture = gfx::Texture::FromImage(image, false);
    graphics->Update(0.0f); // the first frame shows black
    auto* sprite = new SpriteComponent(graphics.get(), texture.get());
    sprite->translation[0] = 8.0f;
    sprite->translation[1] = 4.0f;
    graphics->AddSprite(sprite);
    graphics->Update(0.01f);
    // The red sprite over the scene (sky behind it, which has green in it).
    const auto red = [device](u32 x, u32 row) {
        const std::vector<u8> pixels = device->ReadBackBuffer();
        const std::size_t at = (row * 48u + x) * 4u;
        return pixels[at] == 255 && pixels[at + 1] == 0;
    };
    EXPECT_TRUE(red(9, 5));
    EXPECT_FALSE(red(13, 5));

    BaseMessage pause(MSG_PAUSE_COMPONENT_UPDATE);
    graphics->HandleMessage(&pause, kAsker);
    graphics->Update(0.01f);
    EXPECT_FALSE(red(9, 5));
    graphics->RemoveComponent(sprite);
    EXPECT_TRUE(graphics->Sprites().empty());
    g_render_settings = RenderSettings{};
}

TEST_F(GraphicsProcessMessages, SpriteComponentsAreMadeFromTheirStreamAndRemovedAgain) {
    StreamMap stream = ComponentStream("Button", "Sprite", "assets/art/none.png");
    testing::internal::CaptureStdout();
    Component* component = graphics->CreateComponent(&stream);
    testing::internal::GetCapturedStdout();
    ASSERT_NE(component, nullptr);
    auto* sprite = dynamic_cast<SpriteComponent*>(component);
    ASSERT_NE(sprite, nullptr);
    EXPECT_EQ(sprite->process, graphics.get());
    EXPECT_EQ(sprite->graphics, graphics.get());
    ASSERT_EQ(graphics->Sprites().size(), 1u);
    {
        GameObject button("Button");
        button.AddComponent(ComponentType::Sprite, sprite);
    } // hands the sprite back to the renderer, which deletes it
    EXPECT_TRUE(graphics->Sprites().empty());
}

TEST_F(GraphicsProcessMessages, KeyVLoadsPausesAndUnloadsTheLogoVideo) {
    const ScratchDirectory here;
    ASSERT_TRUE(avi_fixture::WriteTinyAvi("assets/video/kelmorvideo.avi", {20}));
    const auto press = [this](bool alt) {
        InputState input;
        input.m_keys[input::key::V] = INPUT_PRESSED;
        input.m_keys[input::key::LeftAlt] = alt ? INPUT_HELD : INPUT_UP;
        Send(Message<InputState>(MSG_GRAPHIC_INPUT, input));
        graphics->Update(0.1f);
        Send(Message<InputState>(MSG_GRAPHIC_INPUT, InputState{}));
    };
    press(false);
    EXPECT_TRUE(graphics->IsLogoVideoLoaded());
    ASSERT_EQ(VideoManager::Instance()->Videos().size(), 1u);
    Video* logo = VideoManager::Instance()->Videos().front();
    EXPECT_TRUE(logo->playing);
    EXPECT_EQ(logo->timeMs, 100); // played in the frame it was loaded
    press(false);
    EXPECT_FALSE(logo->playing);
    graphics->Update(0.1f);
    EXPECT_EQ(logo->timeMs, 100);
    press(true);
    EXPECT_FALSE(graphics->IsLogoVideoLoaded());
    EXPECT_TRUE(VideoManager::Instance()->Videos().empty());
}

} // namespace

namespace {

TEST_F(GraphicsProcessDevice, AParticleIsDrawnFacingTheCameraAndFadesWithDistance) {
    gfx::Device* device = graphics->GetDevice();
    ASSERT_NE(device, nullptr);
    g_render_settings = RenderSettings{};
    package_fixture::ScratchFolder folder;
    const auto package =
        package_fixture::MakePackage(folder.Path(), "particles",
                                     {{"dot.txt", "SystemName = Dot\nNumParticles = 1\n"
                                                  "TextureName = assets/art/whitesquare.bmp\n"}});
    ParticleSystemManager* manager = ParticleSystemManager::Instance();
    manager->Clear();
    manager->LoadTemplates(package.string());
    ParticleSystemCPU* dot = manager->CreateParticleSystem("Dot", nullptr);
    ASSERT_NE(dot, nullptr);
    ASSERT_EQ(dot->particles.size(), 1u);

    const float identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    // 90 degrees high, near 1, far 1000, left-handed, looking down +z.
    const float aspect = 48.0f / 30.0f;
    const float q = 1000.0f / 999.0f;
    const float projection[16] = {1.0f / aspect, 0, 0, 0, 0, 1, 0, 0, 0, 0, q, 1, 0, 0, -q, 0};
    const float eye[3] = {0.0f, 0.0f, 0.0f};
    const auto centre = [&](float distance) {
        Particle& p = dot->particles[0];
        p = Particle{};
        p.age = 0.0f;
        p.life = 100.0f;
        p.position[2] = distance;
        p.size = distance * 0.2f; // the same size on screen at every distance
        dot->WriteVertices(p, dot->vertices.data());
        dot->invisible = 0;
        device->SetBackBufferTarget();
        device->Clear(gfx::kClearTarget | gfx::kClearZBuffer, 0xFF000000u, 1.0f, 0);
        testing::internal::CaptureStdout();
        manager->Render(*graphics, eye, identity, projection);
        testing::internal::GetCapturedStdout();
        return device->ReadBackBuffer()[(15u * 48u + 24u) * 4u];
    };
    EXPECT_GT(centre(10.0f), 240);      // alpha 0.975
    EXPECT_NEAR(centre(300.0f), 64, 4); // a quarter of the way to nothing: alpha 0.25
    EXPECT_EQ(centre(500.0f), 0);       // beyond the fog range
    EXPECT_EQ(manager->DrawnParticles(), 1u);
    // The corner of the screen stays clear: the quad is small.
    EXPECT_EQ(device->ReadBackBuffer()[0], 0);
}

} // namespace
