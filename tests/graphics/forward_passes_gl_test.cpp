// The passes the frame draws forward over the lit scene, on a real device: blended and
// highlighted components, the fading ground quads, the collision displays and the editor's
// markers. Each test looks at what reaches the back buffer.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "content/file_package.h"
#include "core/bounds.h"
#include "core/component_type.h"
#include "core/game_object.h"
#include "core/message.h"
#include "core/message_router.h"
#include "core/stream_map.h"
#include "game/input_state.h"
#include "game/player_info.h"
#include "graphics/graphic_component.h"
#include "graphics/graphics_process.h"
#include "graphics/graphics_window_fixture.h"
#include "graphics/render_settings.h"
#include "graphics/render_state_cache.h"
#include "platform/gfx/device.h"
#include "platform/gfx/render_states.h"
#include "platform/input/keys.h"
#include "platform/system/message_box.h"
#include "platform/window/window.h"
#include "support/component_fixture.h"
#include "support/graphic_stream.h"

namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 40;
// Close enough that the unit box fills the middle of the small frame.
const Vector kEye(0.0f, 1.5f, -6.0f);
const Vector kTarget(0.0f, 0.0f, 0.0f);

struct Pixel {
    int r = 0;
    int g = 0;
    int b = 0;
    int Sum() const { return r + g + b; }
};

int Distance(const Pixel& a, const Pixel& b) {
    return std::abs(a.r - b.r) + std::abs(a.g - b.g) + std::abs(a.b - b.b);
}

class ForwardPasses : public GraphicsWindowFixture {
  protected:
    void SetUp() override {
        g_render_settings = RenderSettings{};
        // Straight to the back buffer: the post chain's grain and jitter change every frame.
        g_render_settings.editorOff = 0;
        StartGraphics(kWidth, kHeight);
        FollowThePlayerCamera();
    }
    void FollowThePlayerCamera() {
        PlayerInfo camera;
        camera.m_target = kTarget;
        camera.m_eye = kEye;
        Send(Message<PlayerInfo>(MSG_PLAYER_CAMERA, camera));
    }
    void TearDown() override {
        box.reset();
        graphics.reset();
        m_window.reset();
        g_render_settings = RenderSettings{};
    }
    void Send(BaseMessage&& message) { sender.SendMessage(&message, GraphicsProcess::kHandlerId); }

    GraphicComponent* AddBox() {
        box = std::make_unique<GameObject>("Box");
        graphic_stream::Parameters parameters;
        parameters.mesh = "assets/art/box.X";
        parameters.hdr = 1.0f;
        parameters.specular = 8.0f;
        StreamMap stream = graphic_stream::GraphicStream("Box", parameters);
        Component* component = graphics->CreateComponent(&stream);
        EXPECT_NE(component, nullptr);
        box->AddComponent(static_cast<u32>(ComponentType::Graphic), component);
        return static_cast<GraphicComponent*>(component);
    }
    // Two frames: the first one of a process shows black.
    void Draw() {
        graphics->Update(0.016f);
        graphics->Update(0.016f);
    }
    Pixel At(int x, int row) const {
        const std::vector<u8> pixels = graphics->GetDevice()->ReadBackBuffer();
        const std::size_t i = (static_cast<std::size_t>(row) * kWidth + x) * 4;
        return {pixels[i], pixels[i + 1], pixels[i + 2]};
    }
    Pixel Centre() const { return At(kWidth / 2, kHeight / 2); }
    // Pixels where, against an earlier frame, one channel rose by a margin more than the
    // other two.
    static int CountShifted(const std::vector<u8>& before, const std::vector<u8>& after,
                            int channel) {
        int count = 0;
        for (std::size_t i = 0; i + 2 < after.size() && i + 2 < before.size(); i += 4) {
            int rise[3];
            for (int k = 0; k < 3; ++k) {
                rise[k] = after[i + k] - before[i + k];
            }
            count += rise[channel] > rise[(channel + 1) % 3] + 20 &&
                     rise[channel] > rise[(channel + 2) % 3] + 20;
        }
        return count;
    }
    std::vector<u32> BlendStates() const {
        gfx::Device& device = *graphics->GetDevice();
        std::vector<u32> states;
        for (u32 state :
             {gfx::kRsAlphaBlendEnable, gfx::kRsAlphaTestEnable, gfx::kRsSrcBlend,
              gfx::kRsDestBlend, gfx::kRsLighting, gfx::kRsCullMode, gfx::kRsZWriteEnable}) {
            states.push_back(RenderStateCache::Get(device, state));
        }
        return states;
    }

    std::vector<sys::MessageBoxRequest> m_boxes;
    sys::ScopedMessageBoxSink m_sink{
        [this](const sys::MessageBoxRequest& request) { m_boxes.push_back(request); }};
    std::unique_ptr<GameObject> box;
};

// An excluded component leaves the main pass and is drawn by the transparent pass, blended
// by its opacity: opaque it looks as the main pass draws it, clear it leaves what is behind.
TEST_F(ForwardPasses, ExcludedComponentsAreBlendedOverTheSceneByTheirOpacity) {
    for (const u8 deferred : {u8{0}, u8{1}}) {
        SCOPED_TRACE(static_cast<int>(deferred));
        g_render_settings.deferred = deferred;
        GraphicComponent* component = AddBox();
        Draw();
        const Pixel opaque = Centre();

        const std::vector<u32> states = BlendStates();
        component->m_excluded = 1;
        component->m_alpha = 1.0f;
        Draw();
        EXPECT_LE(Distance(Centre(), opaque), 12);
        component->m_alpha = 0.0f;
        Draw();
        const Pixel clear = Centre();
        EXPECT_GT(Distance(clear, opaque), 30);
        component->m_alpha = 0.5f;
        Draw();
        const Pixel half = Centre();
        EXPECT_GT(Distance(half, clear), 6);
        EXPECT_GT(Distance(half, opaque), 6);
        // The pass leaves the path and the render states as it found them.
        EXPECT_EQ(g_render_settings.deferred, deferred);
        EXPECT_EQ(BlendStates(), states);
        box.reset();
    }
    EXPECT_TRUE(m_boxes.empty());
}

TEST_F(ForwardPasses, NothingExcludedOrHighlightedLeavesTheFrameAndTheStatesAlone) {
    AddBox();
    Draw();
    const std::vector<u8> before = graphics->GetDevice()->ReadBackBuffer();
    const std::vector<u32> states = BlendStates();
    graphics->DrawTransparentObjects();
    graphics->DrawHighlightedObjects();
    EXPECT_EQ(BlendStates(), states);
    EXPECT_EQ(graphics->GetDevice()->ReadBackBuffer(), before);
}

// The highlighted pass draws what the editor selects again over the scene, so a component
// the main pass leaves out still shows while it is highlighted.
TEST_F(ForwardPasses, AHighlightedComponentShowsOverTheScene) {
    Draw();
    const Pixel sky = Centre();
    GraphicComponent* component = AddBox();
    component->m_drawn = 1;
    component->m_excluded = 0;
    component->m_cast_shadow = 0;
    Draw();
    EXPECT_LE(Distance(Centre(), sky), 12);
    component->m_highlighted = 1;
    Draw();
    EXPECT_GT(Distance(Centre(), sky), 30);
}

TEST_F(ForwardPasses, AFadingQuadShowsOnTheGroundByItsOpacity) {
    Draw();
    const Pixel sky = Centre();
    static const FadingQuadDefinition definition{0.0f, 0.0f};
    FadingQuadGroup& group = graphics->FadingQuadGroups().Group("marks");
    group.Add(Float3{0.0f, 0.0f, 0.0f}, 3.0f, &definition);
    Draw();
    const Pixel shown = Centre();
    // A white quad over the sky.
    EXPECT_GT(shown.Sum(), sky.Sum() + 60);
    group.quads.front()->FadeOut();
    for (int frame = 0; frame < 4; ++frame) {
        graphics->Update(0.016f);
    }
    EXPECT_LE(Distance(Centre(), sky), 12);
}

// Keys 9 and 0 switch the wire displays of the collision boxes and spheres: red box edges,
// green circles.
TEST_F(ForwardPasses, TheCollisionDisplaysDrawWireShapesOverTheirComponents) {
    AddBox();
    box->SetBoundingBox(new BoundingBox(Vector(1.6f, 1.6f, 1.6f)));
    box->SetBoundingSphere(new BoundingSphere(2.2f));
    Draw();
    const std::vector<u8> before = graphics->GetDevice()->ReadBackBuffer();
    for (const u8 key : {input::key::Digit9, input::key::Digit0}) {
        InputState input;
        input.m_keys[key] = INPUT_PRESSED;
        Send(Message<InputState>(MSG_GRAPHIC_INPUT, input));
        graphics->Update(0.016f);
    }
    // Keys give the renderer's camera to the free flight; the player's feed takes it back.
    Send(Message<InputState>(MSG_GRAPHIC_INPUT, InputState{}));
    FollowThePlayerCamera();
    Draw();
    EXPECT_TRUE(graphics->BoundsDisplayOn(0));
    EXPECT_TRUE(graphics->BoundsDisplayOn(1));
    const std::vector<u8> after = graphics->GetDevice()->ReadBackBuffer();
    EXPECT_GT(CountShifted(before, after, 0), 10);
    EXPECT_GT(CountShifted(before, after, 1), 10);
}

// The editor's markers show only while the editor is present, each on its own byte.
TEST_F(ForwardPasses, EditorMarkersShowWhileTheEditorIsPresent) {
    GraphicComponent* component = AddBox();
    component->m_editor_display[0] = 1;
    Draw();
    const std::vector<u8> without = graphics->GetDevice()->ReadBackBuffer();
    graphics->m_level_editor_present = 1;
    graphics->Update(0.016f);
    const std::vector<u8> with = graphics->GetDevice()->ReadBackBuffer();
    int changed = 0;
    for (std::size_t i = 0; i < with.size(); i += 4) {
        changed += std::abs(with[i] - without[i]) + std::abs(with[i + 1] - without[i + 1]) > 60;
    }
    EXPECT_GT(changed, 20);
}

} // namespace
