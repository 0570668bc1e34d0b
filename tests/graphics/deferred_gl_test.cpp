// Shadows and the deferred path on a real device (the offscreen driver): what the G-buffer
// holds, shadows in both paths and in every split, a local light's pool, the ambient grain, and the
// letterboxed light image.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <memory>
#include <vector>

#include "content/file_package.h"
#include "core/component_type.h"
#include "core/game_object.h"
#include "core/math_functions.h"
#include "core/message.h"
#include "core/message_router.h"
#include "core/stream_map.h"
#include "game/input_state.h"
#include "game/player_info.h"
#include "graphics/gbuffer.h"
#include "graphics/graphics_process.h"
#include "graphics/graphics_window_fixture.h"
#include "graphics/light.h"
#include "graphics/render_settings.h"
#include "graphics/shadow_maps.h"
#include "platform/gfx/device.h"
#include "platform/gfx/texture.h"
#include "platform/input/keys.h"
#include "platform/system/message_box.h"
#include "platform/window/window.h"
#include "support/component_fixture.h"

namespace {

StreamMap BoxGraphic() {
    StreamMap stream;
    stream.AddString("Object", "Box");
    stream.AddString("Component", "Graphic");
    stream.AddString("Mesh", "assets/art/box.X");
    stream.AddString("Bump Map", "");
    stream.AddString("Specular Map", "");
    stream.AddBool("Cast Shadow", true);
    stream.AddFloat("HDR Multiplier", 1.0f);
    stream.AddFloat("Specular Power", 8.0f);
    stream.AddBool("Render Red", false);
    stream.AddBool("Animated", false);
    stream.AddString("Breakable", "false");
    return stream;
}

class DeferredDevice : public GraphicsWindowFixture {
  protected:
    static constexpr int kWidth = 160;
    static constexpr int kHeight = 100;

    void SetUp() override { Start(kWidth, kHeight); }
    void Start(int width, int height) {
        g_render_settings = RenderSettings{};
        g_render_settings.deferred = 1;
        m_width = width;
        m_height = height;
        StartGraphics(width, height);
        SendCamera();
    }
    // The player's camera; it also ends the free camera that key input turns on.
    void SendCamera() {
        PlayerInfo camera;
        camera.m_target = Vector(0.0f, 0.0f, 0.0f);
        camera.m_eye = Vector(0.0f, 5.0f, -30.0f);
        sender.SendMessage(&*std::make_unique<Message<PlayerInfo>>(MSG_PLAYER_CAMERA, camera),
                           GraphicsProcess::kHandlerId);
    }
    // One frame with a key pressed on the renderer's debug keys.
    void PressFor1Frame(u8 key) {
        InputState input;
        input.m_keys[key] = INPUT_PRESSED;
        Message<InputState> down(MSG_GRAPHIC_INPUT, input);
        graphics->HandleMessage(&down, 0);
        SendCamera();
        Frames(1);
        Message<InputState> none(MSG_GRAPHIC_INPUT, InputState{});
        graphics->HandleMessage(&none, 0);
        SendCamera();
    }
    void TearDown() override {
        for (auto& object : m_objects) {
            for (Component* c : m_components[object.get()]) {
                object->RemoveComponent(c, true);
            }
        }
        m_objects.clear();
        graphics.reset();
        m_window.reset();
        g_render_settings = RenderSettings{};
    }

    void AddBox(const Vector& position, const Vector& scale) {
        auto object = std::make_unique<GameObject>("Box");
        object->position = position;
        object->scale = scale;
        StreamMap stream = BoxGraphic();
        Component* component = graphics->CreateComponent(&stream);
        ASSERT_NE(component, nullptr);
        object->AddComponent(static_cast<u32>(ComponentType::Graphic), component);
        m_components[object.get()].push_back(component);
        m_objects.push_back(std::move(object));
    }
    // A wall facing the camera and the sun, 9 units behind the origin.
    void AddWall() { AddBox(Vector(0.0f, 0.0f, 10.0f), Vector(25.0f, 20.0f, 1.0f)); }

    void Frames(int count, float dt = 0.0f) {
        for (int i = 0; i < count; ++i) {
            graphics->Update(dt);
        }
    }
    // The pixel a world point lands on.
    std::pair<int, int> Pixel(const Float3& p) const {
        const RenderCamera& camera = graphics->Camera();
        const Float4 clip = Math::Vec3Transform(p, camera.m_view * camera.m_projection);
        const float x = clip.x / clip.w;
        const float y = clip.y / clip.w;
        return {static_cast<int>((x * 0.5f + 0.5f) * static_cast<float>(m_width)),
                static_cast<int>((0.5f - 0.5f * y) * static_cast<float>(m_height))};
    }
    // A point outside the frame reads as -1000, so a probe placed wrong fails its check.
    int Brightness(const std::vector<u8>& pixels, std::pair<int, int> at) const {
        if (at.first < 0 || at.second < 0 || at.first >= m_width || at.second >= m_height) {
            return -1000;
        }
        const std::size_t i = (static_cast<std::size_t>(at.second) * m_width + at.first) * 4;
        return pixels[i] + pixels[i + 1] + pixels[i + 2];
    }
    std::vector<u8> LightImage() const {
        return graphics->GetDevice()->ReadSurface(
            *graphics->GetGBuffer()->LightTarget()->GetSurface());
    }

    std::vector<sys::MessageBoxRequest> m_boxes;
    sys::ScopedMessageBoxSink m_sink{
        [this](const sys::MessageBoxRequest& box) { m_boxes.push_back(box); }};
    std::vector<std::unique_ptr<GameObject>> m_objects;
    std::map<GameObject*, std::vector<Component*>> m_components;
    int m_width = 0;
    int m_height = 0;
};

TEST_F(DeferredDevice, TheGBufferHoldsTheWallAndTheLightPassReadsItBack) {
    ASSERT_NE(graphics->GetGBuffer(), nullptr);
    ASSERT_NE(graphics->GetGBuffer()->LightingEffect(), nullptr);
    AddWall();
    Frames(3);
    ASSERT_EQ(g_render_settings.deferred, 1);
    const auto centre = Pixel({0.0f, 0.0f, 9.0f});
    const std::vector<float> normals = graphics->GetDevice()->ReadSurfaceFloats(
        *graphics->GetGBuffer()->NormalDiffuse()->GetSurface());
    const std::vector<float> positions = graphics->GetDevice()->ReadSurfaceFloats(
        *graphics->GetGBuffer()->PositionSpecular()->GetSurface());
    const std::size_t i = (static_cast<std::size_t>(centre.second) * m_width + centre.first) * 4;
    // The front face's normal (0, 0, -1) folds to (1, 1) in two channels.
    EXPECT_NEAR(normals[i], 1.0f, 1e-3f);
    EXPECT_NEAR(normals[i + 1], 1.0f, 1e-3f);
    EXPECT_GT(normals[i + 2], 0.0f); // the colour's luma
    EXPECT_NEAR(positions[i + 2], 9.0f, 0.05f);
    // The light image: the lit wall, not the sky's colour and not black.
    const std::vector<u8> light = LightImage();
    EXPECT_GT(Brightness(light, centre), 60);
    EXPECT_TRUE(m_boxes.empty());
}

// The sun pass's ambient grain: still while no time passes, drifting a little as its phase
// runs, and never more than its tenth of the ambient light either way.
TEST_F(DeferredDevice, TheAmbientGrainDriftsSlowlyWithTime) {
    AddWall();
    Frames(3);
    std::vector<std::pair<int, int>> wall;
    for (float x = -10.0f; x <= 10.0f; x += 0.5f) {
        for (float y = -6.0f; y <= 6.0f; y += 2.0f) {
            wall.push_back(Pixel({x, y, 9.0f}));
        }
    }
    const std::vector<u8> first = LightImage();
    Frames(1);
    const std::vector<u8> still = LightImage();
    Frames(1, 0.5f);
    const std::vector<u8> later = LightImage();
    int changed = 0;
    int largest = 0;
    for (const auto& at : wall) {
        ASSERT_GT(Brightness(first, at), 0);
        EXPECT_EQ(Brightness(still, at), Brightness(first, at));
        const int step = std::abs(Brightness(later, at) - Brightness(first, at));
        changed += step > 0 ? 1 : 0;
        largest = std::max(largest, step);
    }
    EXPECT_GT(changed, static_cast<int>(wall.size()) / 4);
    EXPECT_LE(largest, 30);
}

TEST_F(DeferredDevice, AnOccluderDarkensTheWallInBothPaths) {
    AddWall();
    // Between the sun and a point of the wall's face.
    const Float3 shaded{-4.0f, -2.0f, 9.0f};
    const Float3 d = Math::Vec3Normalize({2.0f, -2.0f, 1.5f});
    AddBox(Vector(shaded.x - d.x * 5.0f, shaded.y - d.y * 5.0f, shaded.z - d.z * 5.0f),
           Vector(1.2f, 1.2f, 1.2f));
    const Float3 lit{8.0f, -4.0f, 9.0f};
    // The lit scene itself, without the post chain's blurs over it.
    g_render_settings.editorOff = 0;
    for (const u8 deferred : {1, 0}) {
        g_render_settings.deferred = deferred;
        Frames(4);
        const std::vector<u8> image = graphics->GetDevice()->ReadBackBuffer();
        EXPECT_LT(Brightness(image, Pixel(shaded)) + 30, Brightness(image, Pixel(lit)))
            << "deferred " << int(deferred);
    }
    // Without shadows the same point is as bright as the lit one.
    g_render_settings.shadows = 0;
    g_render_settings.deferred = 1;
    Frames(3);
    const std::vector<u8> light = LightImage();
    EXPECT_NEAR(Brightness(light, Pixel(shaded)), Brightness(light, Pixel(lit)), 30);
}

// Every split reads its own tile of the shadow atlas: a long ground with an occluder over
// the middle of each split's stretch, in both paths. A tile read at the wrong place leaves
// that split's shadow out (or puts another split's depths on it).
TEST_F(DeferredDevice, EverySplitShadowsItsOwnStretchOfTheGround) {
    // The ground's top at y = -5, from behind the eye to far beyond the wall's place.
    AddBox(Vector(0.0f, -6.0f, 0.0f), Vector(100.0f, 1.0f, 300.0f));
    g_render_settings.editorOff = 0;
    Frames(3);
    const ShadowMaps* maps = graphics->GetShadowMaps();
    ASSERT_NE(maps, nullptr);
    const u32 count = maps->Count();
    const auto splits = maps->Splits();
    // The eye (0, 5, -30) looks at the origin: view depth along the x = 0 line of the ground.
    const Float3 forward = Math::Vec3Normalize({0.0f, -5.0f, 30.0f});
    const auto groundAtDepth = [&](float depth) {
        // depth = ((0, -10, z + 30) . forward), solved for z.
        const float z = (depth + 10.0f * forward.y) / forward.z - 30.0f;
        return Float3{0.0f, -5.0f, z};
    };
    const Float3 d = Math::Vec3Normalize({2.0f, -2.0f, 1.5f});
    std::vector<std::pair<Float3, Float3>> probes; // (shaded, lit) per split
    for (u32 i = 0; i < count; ++i) {
        // The nearest ground in view is about 16 units away.
        const float depth = std::max(0.5f * (splits[i] + splits[i + 1]), 25.0f);
        ASSERT_LT(depth, splits[i + 1]) << "split " << i;
        const Float3 shaded = groundAtDepth(depth);
        const float size = depth * 0.04f;
        // Far enough along the sun's ray for the box to stand clear of the shaded point in
        // the picture.
        const float t = size * 5.0f;
        AddBox(Vector(shaded.x - d.x * t, shaded.y - d.y * t, shaded.z - d.z * t),
               Vector(size, size, size));
        probes.push_back({shaded, {shaded.x + size * 6.0f, shaded.y, shaded.z}});
    }
    for (const u8 deferred : {1, 0}) {
        g_render_settings.deferred = deferred;
        Frames(4);
        const std::vector<u8> image = graphics->GetDevice()->ReadBackBuffer();
        for (u32 i = 0; i < count; ++i) {
            EXPECT_LT(Brightness(image, Pixel(probes[i].first)) + 30,
                      Brightness(image, Pixel(probes[i].second)))
                << "split " << i << ", deferred " << int(deferred);
        }
    }
    // The occluders did not move the splits the probes were placed by.
    for (u32 i = 0; i <= count; ++i) {
        EXPECT_NEAR(maps->Splits()[i], splits[i], 1e-3f * splits[i]) << "plane " << i;
    }
}

TEST_F(DeferredDevice, APointLightBrightensOnlyThePixelsInsideItsSphere) {
    AddWall();
    Frames(3);
    const std::vector<u8> before = LightImage();
    // A nuke light of range 2 (radius 4) one unit in front of the wall.
    graphics->AddNukeLight(Vector(6.0f, -3.0f, 8.0f));
    Frames(2);
    const std::vector<u8> after = LightImage();
    const auto inside = Pixel({6.0f, -3.0f, 9.0f});
    const auto outside = Pixel({14.0f, -3.0f, 9.0f});
    EXPECT_GT(Brightness(after, inside), Brightness(before, inside) + 60);
    EXPECT_NEAR(Brightness(after, outside), Brightness(before, outside), 6);
}

TEST_F(DeferredDevice, ALightAroundTheEyeLightsTheSurfacesInsideItsSphere) {
    AddWall();
    Frames(3);
    const std::vector<u8> before = LightImage();
    // A nuke light of range 15 (radius 30) between the eye and the wall: the eye and the
    // wall in front of it are inside, the sphere's far side lies well beyond the wall, past
    // the far plane fitted to the scene, and its near side behind the eye.
    Light* light = graphics->AddNukeLight(Vector(0.0f, 2.0f, -5.0f));
    ASSERT_NE(light, nullptr);
    light->m_light.range = 15.0f;
    Frames(2);
    const std::vector<u8> after = LightImage();
    for (const Float3& wall : {Float3{0.0f, 2.0f, 9.0f}, Float3{-8.0f, -4.0f, 9.0f}}) {
        const auto at = Pixel(wall);
        EXPECT_GT(Brightness(after, at), Brightness(before, at) + 30) << wall.x;
    }
}

TEST_F(DeferredDevice, ASwitchedOffLightLightsNothing) {
    AddWall();
    Frames(3);
    const std::vector<u8> before = LightImage();
    Light* light = graphics->AddNukeLight(Vector(6.0f, -3.0f, 8.0f));
    ASSERT_NE(light, nullptr);
    // A badly damaged building switches its lights off: the pool must go with it.
    light->m_enabled = false;
    Frames(2);
    const std::vector<u8> after = LightImage();
    const auto inside = Pixel({6.0f, -3.0f, 9.0f});
    EXPECT_NEAR(Brightness(after, inside), Brightness(before, inside), 6);
}

TEST_F(DeferredDevice, TheLightVolumeDisplayDrawsTheSphereAndGoesAwayAgain) {
    AddWall();
    // Its sphere (radius 4) ends well before the wall: the light alone changes no pixel.
    graphics->AddNukeLight(Vector(-8.0f, 4.0f, 0.0f));
    Frames(3);
    const std::vector<u8> plain = LightImage();
    // Solid, so every pixel of the sphere changes, not only its wire frame.
    PressFor1Frame(input::key::J);
    PressFor1Frame(input::key::I);
    const std::vector<u8> shown = LightImage();
    ASSERT_TRUE(graphics->GetGBuffer()->ShowsLightVolumes());
    // The sphere's centre, and a wall point well outside its radius of 4.
    const auto centre = Pixel({-8.0f, 4.0f, 0.0f});
    const auto outside = Pixel({8.0f, -4.0f, 9.0f});
    EXPECT_GT(std::abs(Brightness(shown, centre) - Brightness(plain, centre)), 30)
        << centre.first << ", " << centre.second;
    EXPECT_NEAR(Brightness(shown, outside), Brightness(plain, outside), 6);
    PressFor1Frame(input::key::I);
    EXPECT_FALSE(graphics->GetGBuffer()->ShowsLightVolumes());
    const std::vector<u8> hidden = LightImage();
    EXPECT_NEAR(Brightness(hidden, centre), Brightness(plain, centre), 6);
}

class DeferredDeviceFourThree : public DeferredDevice {
  protected:
    void SetUp() override { Start(64, 48); }
};

TEST_F(DeferredDeviceFourThree, TheLightImageIsLetterboxedWithBlackBars) {
    // Without the post chain (the level editor's setting) the light image is copied.
    g_render_settings.editorOff = 0;
    Frames(3);
    const std::vector<u8> image = graphics->GetDevice()->ReadBackBuffer();
    // 64 wide at 16:10 is 40 rows: bars of 4 rows above and below, the sky between.
    for (const int row : {0, 2, 45, 47}) {
        EXPECT_EQ(Brightness(image, {32, row}), 0) << row;
    }
    EXPECT_GT(Brightness(image, {32, 24}), 60);
}

} // namespace
