// The bloom and the post-process chain on the real device (Mesa llvmpipe), checked by the
// pixels they leave.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/math_functions.h"
#include "graphics/hdr_bloom.h"
#include "graphics/post_process_chain.h"
#include "graphics/render_settings.h"
#include "graphics/render_state_cache.h"
#include "graphics/screen_quad.h"
#include "platform/gfx/device.h"
#include "platform/gfx/image.h"
#include "platform/gfx/pixel_shader.h"
#include "platform/gfx/texture.h"
#include "platform/input/keys.h"
#include "platform/window/window.h"
#include "support/gl_fixture.h"

namespace {

using gl_fixture::PixelAt;
using gl_fixture::Rgba;

const std::string kPackage = std::string(GORVANE_ASSETS_DIR) + "/packages/shaders.kzp";

std::unique_ptr<gfx::Texture> Solid(u8 r, u8 g, u8 b, i32 size) {
    gfx::Image image;
    image.width = size;
    image.height = size;
    for (i32 i = 0; i < size * size; ++i) {
        image.pixels.insert(image.pixels.end(), {r, g, b, 255});
    }
    return gfx::Texture::FromImage(std::move(image), false);
}

void ExpectNear(const Rgba& actual, const Rgba& expected, int tolerance) {
    EXPECT_NEAR(actual.r, expected.r, tolerance) << actual;
    EXPECT_NEAR(actual.g, expected.g, tolerance) << actual;
    EXPECT_NEAR(actual.b, expected.b, tolerance) << actual;
}

// The chain on a device of its own, with every setting at its start value.
struct ChainRig {
    explicit ChainRig(gfx::Device& device)
        : device(device), noise(Solid(128, 128, 128, 4)),
          chain(device, noise.get(), nullptr, kPackage.c_str()) {
        chain.SetJitterEnabled(false);
    }
    void DrawScene(u32 argb) {
        chain.BeginSceneTarget();
        device.Clear(gfx::kClearTarget, argb, 1.0f, 0);
        chain.EndSceneTarget();
        device.SetBackBufferTarget();
        device.Clear(gfx::kClearTarget, 0xFF00FF00u, 1.0f, 0);
    }
    void Compose(float frameTime = 0.01f) {
        ComposeInputs inputs;
        inputs.frameTime = frameTime;
        chain.Compose(inputs);
    }
    void LoopEffectsOff() {
        for (std::size_t i = 0; i + 1 < chain.Effects().size(); ++i) {
            chain.Effects()[i]->SetEnabledFlag(false);
        }
    }

    gfx::Device& device;
    std::unique_ptr<gfx::Texture> noise;
    PostProcessChain chain;
};

class PostChainGlTest : public gl_fixture::DeviceTest {
  protected:
    void SetUp() override {
        DeviceTest::SetUp();
        RenderStateCache::Restart();
        g_render_settings = RenderSettings{};
        SetExposure(4.0f);
    }
    void TearDown() override {
        g_render_settings = RenderSettings{};
        SetExposure(4.0f);
        RenderStateCache::Restart();
        DeviceTest::TearDown();
    }
};

TEST_F(PostChainGlTest, ABrightPatchBloomsIntoItsNeighbours) {
    // An HDR scene: black with one 8x8 patch eight times brighter than white.
    std::string error;
    auto patch = gfx::PixelShader::Create(*m_device, "patch.fxo", R"(fragment Patch {{
in vec2 v_uv;
void main() {
    ivec2 at = ivec2(gl_FragCoord.xy);
    bool inside = all(greaterThanEqual(at, ivec2(24, 16))) && all(lessThan(at, ivec2(32, 24)));
    o_colour0 = vec4(inside ? vec3(8.0) : vec3(0.0), 1.0);
}
}}
)",
                                          "Patch", &error);
    ASSERT_NE(patch, nullptr) << error;
    auto scene = m_device->CreateRenderTexture(kWidth, kHeight, gfx::Format::RGBA16F, 1);
    m_device->SetRenderTarget(0, scene->GetSurface());
    m_device->SetProgram(patch->Name());
    DrawScreenQuad(*m_device);
    m_device->SetProgram(0);
    m_device->SetBackBufferTarget();

    HdrBloom bloom(*m_device, kPackage.c_str());
    RenderStateCache::SetSampler(*m_device, 1, gfx::kSampAddressU, gfx::kAddressMirror);
    gfx::Texture* result = bloom.Render(scene.get());
    ASSERT_EQ(result, bloom.FinalTexture());
    // What the bloom changed on the device is back.
    EXPECT_EQ(m_device->GetRenderTarget(0), m_device->BackBufferSurface());
    EXPECT_EQ(RenderStateCache::GetSampler(*m_device, 1, gfx::kSampAddressU), gfx::kAddressMirror);
    EXPECT_EQ(m_device->GetTexture(2), nullptr);

    const std::vector<u8> pixels = m_device->ReadSurface(*result->GetSurface());
    const Rgba inside = PixelAt(pixels, kWidth, 28, 20);
    const Rgba near = PixelAt(pixels, kWidth, 35, 20);
    const Rgba nearLeft = PixelAt(pixels, kWidth, 20, 20);
    const Rgba far = PixelAt(pixels, kWidth, 63, 0);
    EXPECT_GT(inside.r, 240) << inside;
    EXPECT_GT(near.r, 10) << near;
    EXPECT_GT(nearLeft.r, 10) << nearLeft;
    EXPECT_LT(far.r, near.r) << far;
    EXPECT_EQ(near.r, near.b);
}

TEST_F(PostChainGlTest, WithEveryLoopEffectOffTheSceneStillReachesTheBackBuffer) {
    ChainRig rig(*m_device);
    rig.chain.SetBloomOn(false);
    rig.LoopEffectsOff();
    // F5 would turn the grain off: the final pass runs whatever its flag.
    rig.chain.Effects().back()->SetEnabledFlag(false);
    rig.DrawScene(0xFF806040u);
    rig.Compose();
    for (const auto& [x, row] : {std::pair{0, 0}, std::pair{63, 39}, std::pair{30, 20}}) {
        ExpectNear(BackBufferPixel(x, row), {128, 96, 64, 255}, 2);
    }
    EXPECT_EQ(RenderStateCache::Get(*m_device, gfx::kRsZEnable), 1u);
}

TEST_F(PostChainGlTest, TheLoopEffectsAlternateTargetsAndKeepAFlatImageFlat) {
    ChainRig rig(*m_device);
    rig.chain.SetBloomOn(false);
    // Setting 1: depth of field and both blurs, each reading the other target.
    rig.DrawScene(0xFF806040u);
    rig.Compose();
    ExpectNear(BackBufferPixel(30, 20), {128, 96, 64, 255}, 3);
    ExpectNear(BackBufferPixel(0, 39), {128, 96, 64, 255}, 3);
}

// The blurs are done by the final pass when they come last (they are then not passes of
// their own): a one-pixel line of white comes out spread across it by the five taps of the
// blur along that axis, mixed in at 0.3, and only when that blur is on; at the image's edge
// the taps read the edge.
TEST_F(PostChainGlTest, EachBlurSpreadsALineAcrossItWheneverItRuns) {
    std::string error;
    struct Case {
        bool vertical;
        bool horizontal;
        // A column at x = line, or a row at y = line.
        bool row;
        int line;
        // Expected red at line + 0, 1 and 2 (0.3 of the 6/16, 4/16 and 1/16 taps).
        int near[3];
    };
    const Case cases[] = {
        {true, true, false, 30, {207, 19, 5}},
        {false, true, false, 30, {207, 19, 5}},
        {true, false, false, 30, {255, 0, 0}},
        {true, true, true, 20, {207, 19, 5}},
        {true, false, true, 20, {207, 19, 5}},
        {false, true, true, 20, {255, 0, 0}},
        // The taps before the first column and row read them.
        {true, true, false, 0, {231, 24, 5}},
        {true, true, true, 0, {231, 24, 5}},
    };
    for (const Case& c : cases) {
        const std::string source = std::string(R"(fragment Line {{
void main() {
    o_colour0 = vec4(int(gl_FragCoord.)") +
                                   (c.row ? "y" : "x") + ") == " + std::to_string(c.line) +
                                   R"( ? vec3(1.0) : vec3(0.0), 1.0);
}
}}
)";
        auto line = gfx::PixelShader::Create(*m_device, "line.fxo", source, "Line", &error);
        ASSERT_NE(line, nullptr) << error;
        ChainRig rig(*m_device);
        rig.chain.SetBloomOn(false);
        rig.LoopEffectsOff();
        rig.chain.Effects()[3]->SetEnabledFlag(c.vertical);
        rig.chain.Effects()[4]->SetEnabledFlag(c.horizontal);
        rig.chain.BeginSceneTarget();
        m_device->SetProgram(line->Name());
        DrawScreenQuad(*m_device);
        m_device->SetProgram(0);
        rig.chain.EndSceneTarget();
        m_device->SetBackBufferTarget();
        rig.Compose();
        const auto at = [&](int across) {
            return c.row ? BackBufferPixel(30, across) : BackBufferPixel(across, 20);
        };
        for (int k = 0; k < 3; ++k) {
            for (const int across : {c.line + k, c.line - k}) {
                if (across < 0) {
                    continue;
                }
                const Rgba pixel = at(across);
                EXPECT_NEAR(pixel.r, c.near[k], 2)
                    << (c.row ? "row " : "column ") << c.line << " at " << across << " vertical "
                    << c.vertical << " horizontal " << c.horizontal;
                EXPECT_EQ(pixel.r, pixel.b);
            }
        }
        // Away from the line nothing is lit.
        EXPECT_EQ(at(c.line + 8).r, 0);
    }
}

// In the deferred path depth of field reads its distances from the position map: what is
// blurred follows how far a thing is from the eye, not where it stands across the view.
// Stripes one pixel wide; on the left a wall at the focus (about 69 units) far to the
// right of the eye, on the right one 3 units in front of it, near the eye's axis.
TEST_F(PostChainGlTest, DeferredDepthOfFieldBlursByDistanceFromTheEye) {
    std::string error;
    auto stripes = gfx::PixelShader::Create(*m_device, "stripes.fxo", R"(fragment Stripes {{
void main() {
    o_colour0 = vec4(vec3(float(int(gl_FragCoord.x) % 2) * 0.2), 1.0);
}
}}
)",
                                            "Stripes", &error);
    ASSERT_NE(stripes, nullptr) << error;
    auto walls = gfx::PixelShader::Create(*m_device, "walls.fxo", R"(fragment Walls {{
void main() {
    o_colour0 = gl_FragCoord.x < 32.0 ? vec4(300.0, 0.0, 69.0, 0.5) : vec4(69.0, 0.0, 3.0, 0.5);
}
}}
)",
                                          "Walls", &error);
    ASSERT_NE(walls, nullptr) << error;
    auto scene = m_device->CreateRenderTexture(kWidth, kHeight, gfx::Format::RGBA16F, 1);
    auto positions = m_device->CreateRenderTexture(kWidth, kHeight, gfx::Format::RGBA32F, 1);
    for (const auto& [target, shader] :
         {std::pair{scene.get(), stripes.get()}, std::pair{positions.get(), walls.get()}}) {
        m_device->SetRenderTarget(0, target->GetSurface());
        m_device->SetProgram(shader->Name());
        DrawScreenQuad(*m_device);
    }
    m_device->SetProgram(0);
    m_device->SetBackBufferTarget();

    ChainRig rig(*m_device);
    rig.chain.SetBloomOn(false);
    rig.LoopEffectsOff();
    rig.chain.Effects()[2]->SetEnabledFlag(true);
    ComposeInputs inputs;
    inputs.frameTime = 0.01f;
    inputs.projection = Math::MatrixPerspectiveFovLH(0.8f, 1.6f, 2.0f, 500.0f);
    inputs.deferredResult = scene.get();
    inputs.depthTexture = positions.get();
    rig.chain.Compose(inputs);
    // How far two neighbouring pixels still differ: the stripes kept sharp or blurred away.
    const auto contrast = [&](int x) {
        return std::abs(BackBufferPixel(x, 20).r - BackBufferPixel(x + 1, 20).r);
    };
    const int inFocus = contrast(12);
    const int near = contrast(50);
    EXPECT_GT(inFocus, 40) << "near " << near;
    EXPECT_LT(near * 3, inFocus) << "in focus " << inFocus;
}

// A fade is applied once: by depth of field when it runs, else by the final pass.
TEST_F(PostChainGlTest, AFadeIsAppliedExactlyOnce) {
    for (const bool depthOfField : {true, false}) {
        ChainRig rig(*m_device);
        rig.chain.SetBloomOn(false);
        rig.LoopEffectsOff();
        rig.chain.Effects()[2]->SetEnabledFlag(depthOfField);
        g_render_settings.colourFadeRate = -1.0f;
        rig.DrawScene(0xFF808080u);
        rig.Compose(0.5f);
        EXPECT_FLOAT_EQ(rig.chain.ColourMultiplier(), 0.5f);
        ExpectNear(BackBufferPixel(30, 20), {64, 64, 64, 255}, 3);
        g_render_settings = RenderSettings{};
    }
}

TEST_F(PostChainGlTest, AFadeToBlackAtThreeDeeSettingThreeEndsBlack) {
    ChainRig rig(*m_device);
    g_render_settings.threeDee = 3;
    rig.DrawScene(0xFF808080u);
    rig.Compose();
    EXPECT_GT(BackBufferPixel(30, 20).r, 100);
    g_render_settings.colourFadeRate = -0.2f;
    for (int frame = 0; frame < 4; ++frame) {
        rig.DrawScene(0xFF808080u);
        rig.Compose(0.1f);
    }
    EXPECT_EQ(g_render_settings.colourFadeRate, 0.0f);
    const std::vector<u8> pixels = m_device->ReadBackBuffer();
    for (i32 row = 0; row < kHeight; ++row) {
        for (i32 x = 0; x < kWidth; ++x) {
            ASSERT_EQ(PixelAt(pixels, kWidth, x, row), (Rgba{0, 0, 0, 255})) << x << "," << row;
        }
    }
}

TEST_F(PostChainGlTest, BloomOffByKeyAndBackOnWhenAsked) {
    ChainRig rig(*m_device);
    InputState input;
    input.m_keys[input::key::H] = INPUT_PRESSED;
    ComposeInputs inputs;
    inputs.input = &input;
    rig.DrawScene(0xFF808080u);
    rig.chain.Compose(inputs);
    EXPECT_FALSE(rig.chain.BloomOn());
    // Without the bloom the scene is not tone-mapped: it arrives as drawn.
    ExpectNear(BackBufferPixel(30, 20), {128, 128, 128, 255}, 3);
    rig.chain.OnLostDevice();
    EXPECT_EQ(rig.chain.Bloom(), nullptr);
    rig.chain.Resize();
    rig.chain.OnResetDevice();
    rig.chain.Compose(inputs);
    EXPECT_TRUE(rig.chain.BloomOn());
    EXPECT_NE(rig.chain.Bloom(), nullptr);
}

// The tone map keeps a sunlit white, a half grey and a shade well apart (the lit city must
// not crowd just under white), and depth of field, when it comes first and tone-maps as it
// reads the scene, gives the picture the bloom's own tone-map pass gives.
TEST_F(PostChainGlTest, ToneMappingKeepsTheLitRangeApartWhicheverPassDoesIt) {
    struct Case {
        u8 grey;
        int low;
        int high;
    };
    const Case cases[] = {{255, 200, 255}, {128, 100, 160}, {77, 60, 100}};
    for (const Case& c : cases) {
        Rgba pixels[2];
        for (const bool depthOfFieldFirst : {false, true}) {
            ChainRig rig(*m_device);
            rig.LoopEffectsOff();
            // Depth of field (effect 2) or the vertical blur (effect 3) alone.
            rig.chain.Effects()[depthOfFieldFirst ? 2 : 3]->SetEnabledFlag(true);
            rig.DrawScene(0xFF000000u | c.grey << 16 | c.grey << 8 | c.grey);
            rig.Compose();
            pixels[depthOfFieldFirst ? 1 : 0] = BackBufferPixel(30, 20);
        }
        EXPECT_GE(pixels[0].r, c.low) << int{c.grey};
        EXPECT_LE(pixels[0].r, c.high) << int{c.grey};
        ExpectNear(pixels[1], pixels[0], 2);
    }
}

// A 4:3 back buffer of its own: black bars above and below the 16:10 band.
TEST(PostChainLetterboxTest, AtFourToThreeTheBarsAreBlack) {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    window::WindowDesc desc;
    desc.width = 64;
    desc.height = 48;
    auto window = window::Window::Create(desc);
    ASSERT_NE(window, nullptr);
    std::string error;
    auto device = gfx::Device::Create(*window, &error);
    ASSERT_NE(device, nullptr) << error;
    RenderStateCache::Restart();
    g_render_settings = RenderSettings{};
    {
        ChainRig rig(*device);
        rig.chain.SetBloomOn(false);
        rig.LoopEffectsOff();
        rig.DrawScene(0xFFC0C0C0u);
        rig.Compose();
        const std::vector<u8> pixels = device->ReadBackBuffer();
        for (i32 x = 0; x < 64; ++x) {
            for (const i32 row : {0, 1, 2, 3, 44, 45, 46, 47}) {
                ASSERT_EQ(PixelAt(pixels, 64, x, row), (Rgba{0, 0, 0, 255})) << x << "," << row;
            }
            for (const i32 row : {6, 24, 41}) {
                ExpectNear(PixelAt(pixels, 64, x, row), {192, 192, 192, 255}, 3);
            }
        }
    }
    RenderStateCache::Restart();
}

} // namespace
