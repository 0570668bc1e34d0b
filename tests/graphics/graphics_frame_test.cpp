// The frame of the renderer: what runs when scene updates are paused, the debug keys, the
// camera feed, and what a real device shows (the sky, the status line, a black first frame).
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "content/file_package.h"
#include "core/component.h"
#include "core/component_type.h"
#include "core/game_object.h"
#include "core/message.h"
#include "core/message_router.h"
#include "core/stream_map.h"
#include "game/input_state.h"
#include "game/laser_beam_info.h"
#include "game/player_info.h"
#include "graphics/graphics_process.h"
#include "graphics/graphics_window_fixture.h"
#include "graphics/render_settings.h"
#include "graphics/sky.h"
#include "platform/gfx/device.h"
#include "platform/input/keys.h"
#include "platform/system/message_box.h"
#include "platform/window/window.h"
#include "support/component_fixture.h"
#include "support/graphic_stream.h"

namespace {

class BeamComponent : public Component {
  public:
    void Update(float) override {}
};

int CountLines(const std::string& text, const std::string& what) {
    std::istringstream lines(text);
    int count = 0;
    for (std::string line; std::getline(lines, line);) {
        count += line.rfind(what, 0) == 0;
    }
    return count;
}

class GraphicsFrame : public ::testing::Test {
  protected:
    void SetUp() override {
        g_render_settings = RenderSettings{};
        testing::internal::CaptureStdout();
        graphics = std::make_unique<GraphicsProcess>(nullptr, nullptr, 0, 1024.0f, 3);
        testing::internal::GetCapturedStdout();
        graphics->Bind(&router, GraphicsProcess::kHandlerId);
        sender.Bind(&router, 22);
        beam.owner = &beamObject;
    }
    void TearDown() override {
        graphics.reset();
        g_render_settings = RenderSettings{};
    }
    void Send(BaseMessage&& message) { sender.SendMessage(&message, GraphicsProcess::kHandlerId); }
    void Input(const InputState& input) { Send(Message<InputState>(MSG_GRAPHIC_INPUT, input)); }

    LaserBeamInfo Beam() {
        LaserBeamInfo info;
        info.m_start = Vector(0.0f, 0.0f, 0.0f);
        info.m_end = Vector(0.0f, 0.0f, 10.0f);
        info.m_beam = &beam;
        info.m_elapsed = 0.5f;
        info.m_duration = 1.0f;
        info.m_width = 1.0f;
        return info;
    }

    MessageRouter router;
    component_fixture::MessageRecorder sender;
    std::unique_ptr<GraphicsProcess> graphics;
    GameObject beamObject{"LaserBeam"};
    BeamComponent beam;
};

TEST_F(GraphicsFrame, PausedSceneUpdatesFreezeLightsLasersAndTheCamera) {
    Send(Message<LaserBeamInfo>(MSG_GRAPHICS_LASER_BEAM_CREATION, Beam()));
    Light* nuke = graphics->AddNukeLight(Vector(0.0f, 0.0f, 0.0f));
    InputState input;
    input.m_keys[input::key::W] = INPUT_HELD;
    Input(input);
    const Float3 eye = graphics->Camera().m_eye;

    Send(BaseMessage(MSG_PAUSE_COMPONENT_UPDATE));
    graphics->Update(0.1f);
    EXPECT_FALSE(beamObject.positionChanged);
    EXPECT_EQ(nuke->m_timer, 0.0f);
    EXPECT_EQ(graphics->Camera().m_eye.x, eye.x);

    Send(BaseMessage(MSG_UNPAUSE_COMPONENT_UPDATE));
    graphics->Update(0.1f);
    EXPECT_TRUE(beamObject.positionChanged);
    EXPECT_FLOAT_EQ(beamObject.position.z, 5.0f); // the middle of the full beam
    EXPECT_FLOAT_EQ(nuke->m_timer, 0.1f);
    EXPECT_NE(graphics->Camera().m_eye.x, eye.x);
}

TEST_F(GraphicsFrame, LaserMessagesKeepOneRecordPerBeam) {
    Send(Message<LaserBeamInfo>(MSG_GRAPHICS_LASER_BEAM_CREATION, Beam()));
    LaserBeamInfo moved = Beam();
    moved.m_end = Vector(0.0f, 0.0f, 20.0f);
    Send(Message<LaserBeamInfo>(MSG_GRAPHICS_LASER_BEAM_UPDATE, moved));
    ASSERT_EQ(graphics->Lasers().Beams().size(), 1u);
    EXPECT_FLOAT_EQ(graphics->Lasers().Beams().front().m_end.z, 20.0f);
    Send(Message<LaserBeamInfo>(MSG_GRAPHICS_LASER_BEAM_CREATION, Beam()));
    Send(Message<LaserBeamInfo>(MSG_GRAPHICS_LASER_BEAM_DELETION, LaserBeamInfo{}));
    EXPECT_TRUE(graphics->Lasers().Beams().empty());

    // An object going away takes its beams along.
    Send(Message<LaserBeamInfo>(MSG_GRAPHICS_LASER_BEAM_CREATION, Beam()));
    graphics->RemoveComponent(&beam);
    EXPECT_TRUE(graphics->Lasers().Beams().empty());
}

TEST_F(GraphicsFrame, HoldingEWithNumpadPlusRaisesTheExposureATenthAFrame) {
    InputState input;
    input.m_keys[input::key::E] = INPUT_HELD;
    input.m_keys[input::key::NumpadPlus] = INPUT_HELD;
    Input(input);
    testing::internal::CaptureStdout();
    for (int frame = 0; frame < 10; ++frame) {
        graphics->Update(0.016f);
    }
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NEAR(g_render_settings.exposure, 5.0f, 1e-4f);
    EXPECT_EQ(CountLines(log, "Exposure: "), 10);
}

TEST_F(GraphicsFrame, DebugKeysFlipTheirFlagsOnThePressOnly) {
    const RenderSettings before = g_render_settings;
    InputState input;
    for (const u8 key : {input::key::F, input::key::Q, input::key::Z, input::key::L}) {
        input.m_keys[key] = INPUT_PRESSED;
    }
    Input(input);
    graphics->Update(0.016f);
    EXPECT_NE(g_render_settings.deferred, before.deferred);
    EXPECT_NE(g_render_settings.shadows, before.shadows);
    EXPECT_NE(g_render_settings.editorOff, before.editorOff);
    EXPECT_NE(g_render_settings.editorOffDust, before.editorOffDust);
    EXPECT_TRUE(graphics->ObjectListDisplay());
    for (const u8 key : {input::key::F, input::key::Q, input::key::Z, input::key::L}) {
        input.m_keys[key] = INPUT_HELD;
    }
    Input(input);
    graphics->Update(0.016f);
    EXPECT_NE(g_render_settings.deferred, before.deferred);
    EXPECT_TRUE(graphics->ObjectListDisplay());

    // Left Shift with F asks for the shader quality and sets its opposite instead.
    input = InputState{};
    input.m_keys[input::key::F] = INPUT_PRESSED;
    input.m_keys[input::key::LeftShift] = INPUT_HELD;
    Input(input);
    const u8 deferred = g_render_settings.deferred;
    graphics->Update(0.016f);
    EXPECT_EQ(g_render_settings.deferred, deferred);
    EXPECT_EQ(g_render_settings.normalDeferredShaderQuality, 0);
}

TEST_F(GraphicsFrame, TheCameraTakesTheEyeAndTargetOfThePlayerFeed) {
    PlayerInfo camera;
    camera.m_target = Vector(50.0f, -34.0f, 30.0f);
    camera.m_eye = Vector(-12.0f, -22.0f, -72.0f);
    Send(Message<PlayerInfo>(MSG_PLAYER_CAMERA, camera));
    graphics->Update(0.016f);
    const RenderCamera& render = graphics->Camera();
    EXPECT_FLOAT_EQ(render.m_eye.x, -12.0f);
    EXPECT_FLOAT_EQ(render.m_eye.z, -72.0f);
    EXPECT_FLOAT_EQ(render.m_target.y, -34.0f);
    EXPECT_FLOAT_EQ(render.m_near, 1.0f);
    EXPECT_FLOAT_EQ(render.m_far, 5000.0f);
    // The sun sits far behind the eye, along its direction.
    const Light* sun = graphics->Lights().MainLight();
    ASSERT_NE(sun, nullptr);
    EXPECT_NEAR(sun->m_light.position.x, -12.0f - sun->m_light.direction.x * 18200.0f, 0.01f);
}

TEST_F(GraphicsFrame, DefinitionLightsAreMadeUpdatedAndRemoved) {
    StreamMap stream;
    stream.AddString("Object", "StreetLamp");
    stream.AddString("Component", "Light");
    stream.AddString("Type", "POINT");
    const float white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    stream.AddVector4("Diffuse", white);
    stream.AddVector4("Specular", white);
    stream.AddVector3("Offset", 0.0f, 5.0f, 0.0f);
    stream.AddVector3("Direction", 0.0f, -1.0f, 0.0f);
    for (const char* name : {"Range", "Phi", "Theta", "A0", "A1", "A2"}) {
        stream.AddFloat(name, 20.0f);
    }
    stream.AddBool("Enabled", true);
    stream.AddFloat("Volumetric", 0.0f);
    stream.AddBool("Always Visible", false);
    Component* component = graphics->CreateComponent(&stream);
    ASSERT_NE(component, nullptr);
    auto* light = dynamic_cast<Light*>(component);
    ASSERT_NE(light, nullptr);
    EXPECT_EQ(graphics->Lights().Lights().size(), 2u); // after the sun
    GameObject lamp("StreetLamp");
    lamp.position = Vector(3.0f, 0.0f, 4.0f);
    light->owner = &lamp;
    graphics->Update(0.016f);
    EXPECT_FLOAT_EQ(light->m_light.position.y, 5.0f);
    EXPECT_FLOAT_EQ(light->m_light.position.x, 3.0f);
    EXPECT_EQ(light->m_light.ambient.r, 0.0f);

    graphics->RemoveComponent(component);
    EXPECT_EQ(graphics->Lights().Lights().size(), 1u);
}

// With the offscreen driver: a real device on a real window.
class GraphicsFrameDevice : public GraphicsWindowFixture {
  protected:
    void SetUp() override {
        g_render_settings = RenderSettings{};
        StartGraphics(64, 40);
    }
    void TearDown() override {
        graphics.reset();
        m_window.reset();
        g_render_settings = RenderSettings{};
    }
    int Brightness(int x, int row) const {
        const std::vector<u8> pixels = graphics->GetDevice()->ReadBackBuffer();
        const std::size_t i = (static_cast<std::size_t>(row) * 64 + x) * 4;
        return pixels[i] + pixels[i + 1] + pixels[i + 2];
    }

    std::vector<sys::MessageBoxRequest> m_boxes;
    sys::ScopedMessageBoxSink m_sink{
        [this](const sys::MessageBoxRequest& box) { m_boxes.push_back(box); }};
};

TEST_F(GraphicsFrameDevice, TheFirstFrameIsBlackThenTheSkyFillsTheBackground) {
    ASSERT_NE(graphics->GetSky(), nullptr);
    EXPECT_TRUE(graphics->Fonts().IsLoaded());
    graphics->Update(0.016f);
    EXPECT_EQ(Brightness(32, 5), 0);
    graphics->Update(0.016f);
    for (const auto& [x, row] : {std::pair{1, 1}, std::pair{32, 20}, std::pair{62, 38}}) {
        EXPECT_GT(Brightness(x, row), 60) << x << "," << row;
    }
    EXPECT_TRUE(m_boxes.empty());
}

TEST_F(GraphicsFrameDevice, TheStatusLineIsDrawnOverTheScene) {
    graphics->Update(0.016f);
    graphics->Update(0.016f);
    const std::vector<u8> plain = graphics->GetDevice()->ReadBackBuffer();
    sender.SendMessage(&*std::make_unique<Message<std::string>>(MSG_BUILDING_COUNT, "WWW 88"),
                       GraphicsProcess::kHandlerId);
    graphics->Update(0.016f);
    const std::vector<u8> text = graphics->GetDevice()->ReadBackBuffer();
    int brighter = 0;
    for (std::size_t i = 0; i < text.size(); i += 4) {
        brighter += text[i] > plain[i] + 40;
    }
    EXPECT_GT(brighter, 20);
}

} // namespace

namespace {

StreamMap BoxGraphic() {
    graphic_stream::Parameters box;
    box.mesh = "assets/art/box.X";
    box.hdr = 1.0f;
    box.specular = 8.0f;
    return graphic_stream::GraphicStream("Box", box);
}

TEST_F(GraphicsFrameDevice, AComponentRemovedWhileScenesArePausedLeavesTheDrawLists) {
    PlayerInfo camera;
    camera.m_target = Vector(0.0f, 0.0f, 0.0f);
    camera.m_eye = Vector(0.0f, 5.0f, -30.0f);
    sender.SendMessage(&*std::make_unique<Message<PlayerInfo>>(MSG_PLAYER_CAMERA, camera),
                       GraphicsProcess::kHandlerId);
    GameObject box("Box");
    StreamMap stream = BoxGraphic();
    Component* component = graphics->CreateComponent(&stream);
    ASSERT_NE(component, nullptr);
    box.AddComponent(static_cast<u32>(ComponentType::Graphic), component);
    graphics->Update(0.016f);
    graphics->Update(0.016f);
    ASSERT_EQ(graphics->VisibleList().size(), 1u);

    // Loading a level pauses the scene; the objects of the last one go meanwhile and the
    // frame still draws its depth image and sky.
    sender.SendMessage(&*std::make_unique<BaseMessage>(MSG_PAUSE_COMPONENT_UPDATE),
                       GraphicsProcess::kHandlerId);
    box.RemoveComponent(component, true);
    EXPECT_TRUE(graphics->VisibleList().empty());
    graphics->Update(0.016f);
    EXPECT_TRUE(m_boxes.empty());
}

} // namespace
