// Effects on the real device (Mesa llvmpipe): every packaged effect builds, parameters and
// pass states behave as the renderer expects, raw shaders draw with their constants, load
// errors end the start as the renderer's callers need, and a lit, textured cube comes out
// of TransformTech with the expected pixels.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <thread>

#include "content/file_package.h"
#include "core/math_functions.h"
#include "graphics/effect_loader.h"
#include "graphics/object_effects.h"
#include "graphics/render_state_cache.h"
#include "graphics/render_target_desc.h"
#include "graphics/screen_quad.h"
#include "graphics/start_error.h"
#include "platform/gfx/program.h"
#include "platform/system/message_box.h"
#include "support/gl_fixture.h"
#include "support/package_fixture.h"

namespace {

const std::string kPackage = std::string(GORVANE_ASSETS_DIR) + "/packages/shaders.kzp";

constexpr const char* kScreenVertex = R"(vertex Screen {{
void main() { gl_Position = PixelToGlClip(in_position); }
}}
)";

std::unique_ptr<gfx::Texture> Solid(u8 r, u8 g, u8 b, i32 size = 1) {
    gfx::Image image;
    image.width = size;
    image.height = size;
    for (i32 i = 0; i < size * size; ++i) {
        image.pixels.insert(image.pixels.end(), {r, g, b, 255});
    }
    return gfx::Texture::FromImage(std::move(image), false);
}

void ExpectNear(const gl_fixture::Rgba& actual, const gl_fixture::Rgba& expected, int tolerance) {
    EXPECT_NEAR(actual.r, expected.r, tolerance) << actual;
    EXPECT_NEAR(actual.g, expected.g, tolerance) << actual;
    EXPECT_NEAR(actual.b, expected.b, tolerance) << actual;
    EXPECT_NEAR(actual.a, expected.a, tolerance) << actual;
}

class EffectGlTest : public gl_fixture::DeviceTest {
  protected:
    void SetUp() override {
        DeviceTest::SetUp();
        RenderStateCache::Restart();
        m_device->Clear(gfx::kClearTarget | gfx::kClearZBuffer, 0xFF000000u, 1.0f, 0);
    }

    std::unique_ptr<gfx::Effect> Make(const std::string& text) {
        std::string error;
        std::unique_ptr<gfx::Effect> effect = gfx::Effect::Parse("test.fxo", text, &error);
        EXPECT_NE(effect, nullptr) << error;
        if (effect == nullptr) {
            return nullptr;
        }
        effect->Attach(*m_device, std::make_unique<CachedStateDevice>(*m_device));
        if (!effect->Build(&error)) {
            ADD_FAILURE() << error;
            return nullptr;
        }
        return effect;
    }

    // One pass of the current technique over the whole back buffer.
    void DrawScreen(gfx::Effect& effect) {
        u32 passes = 0;
        ASSERT_TRUE(effect.Begin(&passes));
        ASSERT_EQ(passes, 1u);
        effect.BeginPass(0);
        DrawScreenQuad(*m_device);
        effect.EndPass();
        effect.End();
    }
};

TEST_F(EffectGlTest, EveryPackagedEffectBuilds) {
    FilePackage* package = FilePackage::Get(kPackage);
    ASSERT_NE(package, nullptr);
    for (const FilePackage::Entry& entry : package->Entries()) {
        const std::string stored = entry.m_name;
        if (stored.size() < 5 || stored.substr(stored.size() - 4) != ".fxo") {
            continue;
        }
        const std::string name = "graphics/shaders/" + stored.substr(0, stored.size() - 1);
        std::unique_ptr<gfx::Effect> effect;
        std::string error;
        ASSERT_TRUE(CreateEffectFromPackage(m_device.get(), name, kEffectOptimizationFlag, effect,
                                            &error, kPackage.c_str()))
            << error;
        if (!effect->File().techniques.empty()) {
            continue;
        }
        // Raw shaders only: each fragment block is an entry.
        for (const gfx::EffectBlock& block : effect->File().fragmentBlocks) {
            std::unique_ptr<gfx::PixelShader> shader;
            EXPECT_TRUE(CompileShaderFromPackage(*m_device, name, block.name, "ps_3_0", shader,
                                                 &error, kPackage.c_str()))
                << error;
        }
    }
}

TEST_F(EffectGlTest, ParameterSetBeforeTheTechniqueSurvivesSwitchesAndBeginEnd) {
    auto effect = Make(std::string(kScreenVertex) + R"(
fragment Colour {{
void main() { o_colour0 = gColour; }
}}
fragment Blue {{
void main() { o_colour0 = vec4(0.0, 0.0, 1.0, 1.0); }
}}
param float4 gColour
technique Blue {
pass {
  vertex Screen
  fragment Blue
}
}
technique Colour {
pass {
  vertex Screen
  fragment Colour
}
}
)");
    ASSERT_NE(effect, nullptr);
    const float red[4] = {1.0f, 0.0f, 0.0f, 1.0f};
    effect->SetFloatArray("gColour", red, 4);
    ASSERT_TRUE(effect->SetTechnique("Blue"));
    DrawScreen(*effect);
    EXPECT_EQ(BackBufferPixel(5, 5), (gl_fixture::Rgba{0, 0, 255, 255}));
    ASSERT_TRUE(effect->SetTechnique("Colour"));
    DrawScreen(*effect);
    EXPECT_EQ(BackBufferPixel(5, 5), (gl_fixture::Rgba{255, 0, 0, 255}));
    // An unknown technique or parameter changes nothing.
    EXPECT_FALSE(effect->SetTechnique("Missing"));
    effect->SetFloat("missing", 1.0f);
    DrawScreen(*effect);
    EXPECT_EQ(BackBufferPixel(5, 5), (gl_fixture::Rgba{255, 0, 0, 255}));
}

// The light record as the renderer hands it over: 104 bytes.
struct LightRecord {
    u32 type;
    float diffuse[4], specular[4], ambient[4];
    float position[3], direction[3];
    float range, falloff, attenuation0, attenuation1, attenuation2, theta, phi;
};
static_assert(sizeof(LightRecord) == 104);

TEST_F(EffectGlTest, TheLightRecordReachesTheShader) {
    auto effect = Make(std::string(kScreenVertex) + R"(
fragment Light {{
void main() {
    o_colour0 = vec4(light.diffuse.g, light.range / 10.0 + light.position.y,
                     float(light.kind) / 4.0 + light.attenuation.z, light.outer_cone);
}
}}
param light light
technique Light {
pass {
  vertex Screen
  fragment Light
}
}
)");
    ASSERT_NE(effect, nullptr);
    LightRecord light{};
    light.type = 2;
    light.diffuse[1] = 0.5f;
    light.position[1] = 0.25f;
    light.range = 5.0f;
    light.attenuation2 = 0.25f;
    light.phi = 0.75f;
    effect->SetValue("light", &light, sizeof(light));
    DrawScreen(*effect);
    ExpectNear(BackBufferPixel(5, 5), {128, 191, 191, 191}, 1);
}

TEST_F(EffectGlTest, DeviceStageAndOwnUnitSamplersWorkSideBySide) {
    auto effect = Make(std::string(kScreenVertex) + R"(
fragment Both {{
void main() {
    o_colour0 = vec4(texture(staged, vec2(0.5)).r, texture(owned, vec2(0.5)).g, 0.0, 1.0);
}
}}
param sampler2D staged stage 0
param sampler2D owned unit 8
technique Both {
pass {
  vertex Screen
  fragment Both
}
}
)");
    ASSERT_NE(effect, nullptr);
    auto red = Solid(255, 0, 0);
    auto green = Solid(0, 255, 0);
    m_device->SetTexture(0, red.get());
    effect->SetTexture("owned", green.get());
    DrawScreen(*effect);
    EXPECT_EQ(BackBufferPixel(5, 5), (gl_fixture::Rgba{255, 255, 0, 255}));
    EXPECT_EQ(m_device->GetTexture(0), red.get());
}

// The post chain's blurs: five taps of 1/16, 1/4, 3/8, 1/4, 1/16 along their axis, the edge
// pixel repeated beyond the picture, mixed into the pixel by mult. Lines of white across the
// axis, one on the edge, show the kernel's weights pixel by pixel.
TEST_F(EffectGlTest, EachGaussianBlurSpreadsALineOverFivePixelsOfItsAxis) {
    std::unique_ptr<gfx::Effect> effect;
    std::string error;
    ASSERT_TRUE(CreateEffectFromPackage(m_device.get(), "graphics/shaders/gaussianblur.fx",
                                        kEffectOptimizationFlag, effect, &error, kPackage.c_str()))
        << error;
    struct Case {
        const char* technique;
        bool alongX;
        float mult;
        // The output at distances 0, 1, 2, 3 from the inner line (at 10) and at the edge
        // line itself (at 0) and one pixel in.
        int inner[4];
        int edge[2];
    };
    for (const Case& c :
         {Case{"GaussianBlurHorizontalTech", true, 1.0f, {96, 64, 16, 0}, {175, 80}},
          Case{"GaussianBlurVerticalTech", false, 1.0f, {96, 64, 16, 0}, {175, 80}},
          Case{"GaussianBlurVerticalTech", false, 0.3f, {207, 19, 5, 0}, {231, 24}}}) {
        gfx::Image image;
        image.width = kWidth;
        image.height = kHeight;
        for (i32 y = 0; y < kHeight; ++y) {
            for (i32 x = 0; x < kWidth; ++x) {
                const i32 along = c.alongX ? x : y;
                const u8 v = along == 0 || along == 10 ? 255 : 0;
                image.pixels.insert(image.pixels.end(), {v, v, v, 255});
            }
        }
        const auto scene = gfx::Texture::FromImage(std::move(image), false);
        effect->SetTechnique(c.technique);
        effect->SetFloat("mult", c.mult);
        m_device->SetTexture(0, scene.get());
        DrawScreen(*effect);
        const auto at = [&](i32 along) {
            return c.alongX ? BackBufferPixel(along, 20).r : BackBufferPixel(20, along).r;
        };
        for (i32 d = 0; d < 4; ++d) {
            EXPECT_NEAR(at(10 + d), c.inner[d], 1) << c.technique << " " << c.mult << " +" << d;
            EXPECT_NEAR(at(10 - d), c.inner[d], 1) << c.technique << " " << c.mult << " -" << d;
        }
        EXPECT_NEAR(at(0), c.edge[0], 1) << c.technique << " " << c.mult;
        EXPECT_NEAR(at(1), c.edge[1], 1) << c.technique << " " << c.mult;
        m_device->SetTexture(0, nullptr);
    }
}

TEST_F(EffectGlTest, PassStatesArePutBackAtEndPass) {
    auto effect = Make(std::string(kScreenVertex) + R"(
fragment White {{
void main() { o_colour0 = vec4(1.0); }
}}
technique States {
pass {
  vertex Screen
  fragment White
  state ZENABLE FALSE
  state CULLMODE NONE
  state ALPHABLENDENABLE TRUE
  state DESTBLEND ONE
}
}
)");
    ASSERT_NE(effect, nullptr);
    RenderStateCache::Set(*m_device, gfx::kRsZEnable, 1);
    RenderStateCache::Set(*m_device, gfx::kRsCullMode, gfx::kCullCcw);
    RenderStateCache::Set(*m_device, gfx::kRsAlphaBlendEnable, 0);
    RenderStateCache::Set(*m_device, gfx::kRsDestBlend, gfx::kBlendZero);
    const u32 states[] = {gfx::kRsZEnable, gfx::kRsCullMode, gfx::kRsAlphaBlendEnable,
                          gfx::kRsDestBlend};
    const u32 before[] = {1, gfx::kCullCcw, 0, gfx::kBlendZero};
    const u32 during[] = {0, gfx::kCullNone, 1, gfx::kBlendOne};

    u32 passes = 0;
    ASSERT_TRUE(effect->Begin(&passes));
    effect->BeginPass(0);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(m_device->GetRenderState(states[i]), during[i]) << states[i];
        EXPECT_EQ(RenderStateCache::Get(*m_device, states[i]), during[i]) << states[i];
    }
    DrawScreenQuad(*m_device);
    effect->EndPass();
    effect->End();
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(m_device->GetRenderState(states[i]), before[i]) << states[i];
        EXPECT_EQ(RenderStateCache::Get(*m_device, states[i]), before[i]) << states[i];
    }
}

TEST_F(EffectGlTest, RawShadersDrawWithTheirConstants) {
    std::unique_ptr<gfx::PixelShader> final;
    std::string error;
    ASSERT_TRUE(CompileShaderFromPackage(*m_device, "graphics/shaders/finalPass.fx", "main",
                                         "ps_2_0", final, &error, kPackage.c_str()))
        << error;
    // The scene is read at the pixels it covers, so it is at least the target's size.
    auto scene = Solid(128, 128, 128, kWidth);
    auto bloom = Solid(0, 0, 0);
    m_device->SetTexture(0, scene.get());
    m_device->SetTexture(2, bloom.get());
    final->Constants().SetFloat("fExposure", 1.0f);
    final->Constants().SetFloat("fGaussianScalar", 1.0f);
    final->Constants().SetBool("use_tone_mapping", true);
    m_device->SetProgram(final->Name());
    DrawScreenQuad(*m_device);
    m_device->SetProgram(0);
    // 0.502 tone-mapped at exposure 1 (a gain of 0.913): c = 0.458, c (1 + c / 4) / (1 + c).
    ExpectNear(BackBufferPixel(10, 10), {89, 89, 89, 255}, 1);

    std::unique_ptr<gfx::PixelShader> bright;
    ASSERT_TRUE(CompileShaderFromPackage(*m_device, "graphics/shaders/postProcessing.fx",
                                         "BrightPass", "ps_2_0", bright, &error, kPackage.c_str()))
        << error;
    const float offsets[16] = {};
    bright->Constants().SetVectorArray("tcDownSampleOffsets", offsets, 4);
    bright->Constants().SetFloat("fBrightPassThreshold", 0.25f);
    m_device->SetProgram(bright->Name());
    DrawScreenQuad(*m_device);
    m_device->SetProgram(0);
    ExpectNear(BackBufferPixel(10, 10), {64, 64, 64, 255}, 1);
}

// The loader thread has no context: it parses, and the first Begin on the render thread
// compiles.
TEST_F(EffectGlTest, AnEffectLoadedOffTheRenderThreadBuildsAtItsFirstBegin) {
    std::unique_ptr<gfx::Effect> effect;
    std::string error;
    bool loaded = false;
    std::thread loader([&] {
        loaded = CreateEffectFromPackage(m_device.get(), "graphics/shaders/nodepth.fx",
                                         kEffectOptimizationFlag, effect, &error, kPackage.c_str());
    });
    loader.join();
    ASSERT_TRUE(loaded) << error;
    EXPECT_FALSE(effect->IsBuilt());
    ASSERT_TRUE(effect->SetTechnique("NoDepthDeferredTech"));
    auto green = Solid(0, 255, 0);
    m_device->SetTexture(0, green.get());
    DrawScreen(*effect);
    EXPECT_TRUE(effect->IsBuilt());
    EXPECT_EQ(BackBufferPixel(5, 5), (gl_fixture::Rgba{0, 255, 0, 255}));
}

class EffectErrorTest : public EffectGlTest {
  protected:
    void SetUp() override {
        EffectGlTest::SetUp();
        m_previous_hook = SetGraphicsExitHook([this](int code) { m_exit_codes.push_back(code); });
        m_package = package_fixture::MakePackage(
            m_folder.Path(), "shaders",
            {{"broken.fxo", std::string(kScreenVertex) +
                                "fragment Bad {{\nvoid main() { o_colour0 = undefined_name; }\n}}\n"
                                "technique T {\npass {\n vertex Screen\n fragment Bad\n}\n}\n"},
             {"sky.fxo", "technique T {\n"}});
    }
    void TearDown() override {
        SetGraphicsExitHook(m_previous_hook);
        EffectGlTest::TearDown();
    }

    package_fixture::ScratchFolder m_folder;
    std::filesystem::path m_package;
    ExitHook m_previous_hook;
    std::vector<int> m_exit_codes;
};

TEST_F(EffectErrorTest, ABrokenEffectEndsTheStartWithGlsLogInTheBox) {
    std::vector<sys::MessageBoxRequest> boxes;
    sys::ScopedMessageBoxSink sink{
        [&](const sys::MessageBoxRequest& box) { boxes.push_back(box); }};
    EXPECT_EQ(LoadRequiredEffect(m_device.get(), "graphics/shaders/broken.fx", m_package.c_str()),
              nullptr);
    EXPECT_EQ(m_exit_codes, std::vector<int>{0});
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find("broken.fxo"), std::string::npos) << boxes[0].text;
    EXPECT_NE(boxes[0].text.find("undefined_name"), std::string::npos) << boxes[0].text;
    // GL's log names the line of the file: the fragment body is line 5.
    EXPECT_NE(boxes[0].text.find(":5("), std::string::npos) << boxes[0].text;

    // A file the package lacks ends the start the same way.
    EXPECT_EQ(LoadRequiredEffect(m_device.get(), "graphics/shaders/missing.fx", m_package.c_str()),
              nullptr);
    EXPECT_EQ(m_exit_codes, (std::vector<int>{0, 0}));
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_NE(boxes[1].text.find("missing.fxo"), std::string::npos) << boxes[1].text;
}

TEST_F(EffectErrorTest, ABrokenSkyEffectShowsTheBoxAndGoesOn) {
    std::vector<sys::MessageBoxRequest> boxes;
    sys::ScopedMessageBoxSink sink{
        [&](const sys::MessageBoxRequest& box) { boxes.push_back(box); }};
    EXPECT_EQ(LoadOptionalEffect(m_device.get(), "graphics/shaders/sky.fx", m_package.c_str()),
              nullptr);
    EXPECT_TRUE(m_exit_codes.empty());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find("sky.fxo:1:"), std::string::npos) << boxes[0].text;
}

TEST_F(EffectGlTest, TheObjectAndParticleCachesSelectTheirTechniques) {
    ObjectEffects effects(m_device.get(), kPackage.c_str());
    effects.LoadObjectTechniques();
    effects.LoadDepthBufferTechnique();
    ASSERT_NE(effects.Fogged(), nullptr);
    EXPECT_EQ(effects.Fogged()->CurrentTechnique(), "FoggedTechDeferred");
    EXPECT_EQ(effects.Simple()->CurrentTechnique(), "SimpleTech");
    EXPECT_EQ(effects.DepthBuffer()->CurrentTechnique(), "BuildDepthBufferTech");
    ASSERT_NE(effects.DepthTarget(), nullptr);
    EXPECT_EQ(effects.DepthTarget()->ColourFormat(), gfx::Format::R32F);
    EXPECT_TRUE(effects.DepthTarget()->OwnDepthBuffer());
    gfx::Effect* particle = effects.GetParticleEffect("graphics/shaders/particle_default.fx");
    ASSERT_NE(particle, nullptr);
    EXPECT_EQ(particle->CurrentTechnique(), "ParticleTech");
    EXPECT_EQ(effects.GetParticleEffect("graphics/shaders/particle_default.fx"), particle);
}

// One face of the cube: position, tangent, binormal, normal, texture coordinate.
struct ObjectVertex {
    float position[3], tangent[3], binormal[3], normal[3], uv[2];
};
static_assert(sizeof(ObjectVertex) == 56);

std::vector<ObjectVertex> Cube() {
    std::vector<ObjectVertex> vertices;
    for (int axis = 0; axis < 3; ++axis) {
        for (const float sign : {-1.0f, 1.0f}) {
            float n[3] = {}, u[3] = {}, v[3] = {};
            n[axis] = sign;
            u[(axis + 1) % 3] = 1.0f;
            v[(axis + 2) % 3] = 1.0f;
            const auto corner = [&](float a, float b) {
                ObjectVertex vertex{};
                for (int i = 0; i < 3; ++i) {
                    vertex.position[i] = n[i] + a * u[i] + b * v[i];
                    vertex.tangent[i] = u[i];
                    vertex.binormal[i] = v[i];
                    vertex.normal[i] = n[i];
                }
                vertex.uv[0] = (a + 1.0f) * 0.5f;
                vertex.uv[1] = (b + 1.0f) * 0.5f;
                return vertex;
            };
            for (const auto& [a, b] : {std::pair{-1.0f, -1.0f},
                                       {1.0f, -1.0f},
                                       {1.0f, 1.0f},
                                       {-1.0f, -1.0f},
                                       {1.0f, 1.0f},
                                       {-1.0f, 1.0f}}) {
                vertices.push_back(corner(a, b));
            }
        }
    }
    return vertices;
}

TEST_F(EffectGlTest, ALitTexturedCubeThroughTransformTech) {
    std::unique_ptr<gfx::Effect> phong;
    std::string error;
    ASSERT_TRUE(CreateEffectFromPackage(m_device.get(), ObjectEffects::kPhongEffect,
                                        kEffectOptimizationFlag, phong, &error, kPackage.c_str()))
        << error;
    ASSERT_TRUE(phong->SetTechnique("TransformTech"));

    const Float4x4 world = Math::MatrixIdentity();
    const Float4x4 view =
        Math::MatrixLookAtLH({0.0f, 0.0f, -5.0f}, {0.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f});
    const Float4x4 projection = Math::MatrixPerspectiveFovLH(
        std::numbers::pi_v<float> / 3.0f, static_cast<float>(kWidth) / kHeight, 1.0f, 100.0f);
    const Float4x4 wvp = world * view * projection;
    phong->SetMatrix("gWVP", wvp.m);
    phong->SetMatrix("gWorld", world.m);
    phong->SetMatrix("gWorldInverseTranspose", world.m);
    phong->SetMatrix("gView", view.m);
    const float eye[3] = {0.0f, 0.0f, -5.0f};
    const float towardsLight[3] = {0.0f, 0.0f, -1.0f};
    const float diffuse[4] = {0.6f, 0.6f, 0.6f, 1.0f};
    const float ambient[4] = {0.2f, 0.2f, 0.2f, 1.0f};
    const float specular[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    phong->SetValue("gEyePosW", eye, sizeof(eye));
    phong->SetValue("gLightVecW", towardsLight, sizeof(towardsLight));
    phong->SetValue("gDiffuseLight", diffuse, sizeof(diffuse));
    phong->SetValue("gAmbientLight", ambient, sizeof(ambient));
    phong->SetValue("gSpecularLight", specular, sizeof(specular));
    phong->SetBool("render_shadows", false);
    phong->SetBool("useTexture", true);
    phong->SetBool("useSpecularMapping", false);
    phong->SetFloat("hdr_multiplier", 1.0f);
    phong->SetFloat("alpha_color", 1.0f);
    phong->SetFloat("gSpecularPower", 16.0f);
    auto texture = Solid(200, 100, 50, 2);
    phong->SetTexture("gTex", texture.get());

    const std::vector<ObjectVertex> cube = Cube();
    const auto draw = [&] {
        m_device->Clear(gfx::kClearTarget | gfx::kClearZBuffer, 0xFF000000u, 1.0f, 0);
        m_device->SetVertexLayout(gfx::VertexLayout::Object);
        u32 passes = 0;
        ASSERT_TRUE(phong->Begin(&passes));
        phong->BeginPass(0);
        m_device->DrawPrimitiveUP(gfx::PrimitiveType::TriangleList, 12, cube.data(),
                                  sizeof(ObjectVertex));
        phong->EndPass();
        phong->End();
    };
    RenderStateCache::Set(*m_device, gfx::kRsZEnable, 1);
    RenderStateCache::Set(*m_device, gfx::kRsCullMode, gfx::kCullNone);
    draw();
    // The face towards the eye is lit head-on: texture × (ambient + diffuse).
    ExpectNear(BackBufferPixel(kWidth / 2, kHeight / 2), {160, 80, 40, 255}, 2);
    EXPECT_EQ(BackBufferPixel(1, 1), (gl_fixture::Rgba{0, 0, 0, 255}));

    // A negative specular power marks the object red.
    phong->SetFloat("gSpecularPower", -16.0f);
    draw();
    EXPECT_EQ(BackBufferPixel(kWidth / 2, kHeight / 2), (gl_fixture::Rgba{255, 0, 0, 255}));
}

} // namespace
