#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "platform/gfx/buffer.h"
#include "platform/gfx/device.h"
#include "platform/gfx/image.h"
#include "platform/gfx/program.h"
#include "platform/gfx/texture.h"
#include "support/gl_fixture.h"

namespace {

using gl_fixture::PixelAt;
using gl_fixture::Rgba;
using GfxDrawTest = gl_fixture::DeviceTest;

struct ScreenVertex {
    float x, y, z, rhw, u, v;
};

struct ColourVertex {
    float x, y, z;
    u32 colour;
};

struct ObjectVertex {
    float position[3];
    float tangent[3];
    float binormal[3];
    float normal[3];
    float uv[2];
};

constexpr Rgba kBlack{0, 0, 0, 255};
constexpr Rgba kWhite{255, 255, 255, 255};
constexpr float kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

// A full-target quad of pixel positions with the given texture corners.
void DrawQuad(gfx::Device& device, float w, float h, float u0, float u1) {
    const ScreenVertex quad[4] = {{-0.5f, -0.5f, 0, 1, u0, u0},
                                  {w - 0.5f, -0.5f, 0, 1, u1, u0},
                                  {-0.5f, h - 0.5f, 0, 1, u0, u1},
                                  {w - 0.5f, h - 0.5f, 0, 1, u1, u1}};
    device.SetVertexLayout(gfx::VertexLayout::ScreenTexture);
    device.DrawPrimitiveUP(gfx::PrimitiveType::TriangleStrip, 2, quad, sizeof(ScreenVertex));
}

gfx::Image SolidLayers(gfx::ImageKind kind, i32 side, i32 layers) {
    gfx::Image image;
    image.kind = kind;
    image.width = side;
    image.height = side;
    image.depth = kind == gfx::ImageKind::Volume ? layers : 1;
    image.pixels.resize(image.LayerBytes() * layers);
    for (i32 layer = 0; layer < layers; ++layer) {
        for (std::size_t i = 0; i < image.LayerBytes(); i += 4) {
            u8* p = &image.pixels[image.LayerBytes() * layer + i];
            p[0] = static_cast<u8>(layer * 40);
            p[1] = static_cast<u8>(255 - layer * 40);
            p[2] = static_cast<u8>(layer);
            p[3] = 255;
        }
    }
    return image;
}

// Samples stage 0 once per pixel of a one-row target: pixel i reads layer i.
std::vector<u8> SampleLayers(gfx::Device& device, gfx::Texture& texture, const char* sampler,
                             const char* lookup, i32 layers) {
    const std::string vertex = R"(
layout(location = 0) in vec4 in_position;
void main() { gl_Position = vec4(in_position.xy, 0.0, 1.0); }
)";
    const std::string fragment = std::string("uniform ") + sampler + R"( s_stage0;
uniform int u_layers;
out vec4 o_colour;
void main() {
    int i = int(gl_FragCoord.x);
    o_colour = )" + lookup + ";\n}\n";
    std::string error;
    const auto program = gfx::Program::Create(vertex, fragment, &error);
    EXPECT_NE(program, nullptr) << error;
    if (program == nullptr) {
        return {};
    }
    program->SetInt("s_stage0", 0);
    program->SetInt("u_layers", layers);

    auto target = device.CreateRenderTexture(layers, 1, gfx::Format::RGBA8);
    device.SetRenderTarget(0, target->GetSurface());
    device.SetTexture(0, &texture);
    device.SetProgram(program->Name());
    const ScreenVertex quad[4] = {
        {-1, -1, 0, 1, 0, 0}, {1, -1, 0, 1, 0, 0}, {-1, 1, 0, 1, 0, 0}, {1, 1, 0, 1, 0, 0}};
    device.SetRenderState(gfx::kRsCullMode, gfx::kCullNone);
    device.SetRenderState(gfx::kRsZEnable, 0);
    device.SetVertexLayout(gfx::VertexLayout::ScreenTexture);
    device.DrawPrimitiveUP(gfx::PrimitiveType::TriangleStrip, 2, quad, sizeof(ScreenVertex));
    device.SetProgram(0);
    std::vector<u8> pixels = device.ReadSurface(*target->GetSurface());
    device.SetBackBufferTarget();
    return pixels;
}

TEST_F(GfxDrawTest, AClockwiseTriangleSurvivesCullCcwAndVanishesUnderCullCw) {
    // Clockwise as seen on screen, rows growing downwards.
    const ScreenVertex triangle[3] = {
        {10, 5, 0, 1, 0, 0}, {50, 5, 0, 1, 0, 0}, {30, 35, 0, 1, 0, 0}};
    m_device->SetVertexLayout(gfx::VertexLayout::ScreenTexture);
    for (const auto& [cull, expected] :
         {std::pair{gfx::kCullCcw, kWhite}, std::pair{gfx::kCullCw, kBlack},
          std::pair{gfx::kCullNone, kWhite}}) {
        m_device->Clear(gfx::kClearTarget, 0xFF000000u, 1.0f, 0);
        m_device->SetRenderState(gfx::kRsCullMode, cull);
        m_device->DrawPrimitiveUP(gfx::PrimitiveType::TriangleList, 1, triangle,
                                  sizeof(ScreenVertex));
        EXPECT_EQ(BackBufferPixel(30, 15), expected) << "cull mode " << cull;
    }
}

TEST_F(GfxDrawTest, SettingRenderTargetZeroResetsTheViewport) {
    auto target = m_device->CreateRenderTexture(16, 8, gfx::Format::RGBA8);
    m_device->SetViewport({1, 2, 3, 4, 0.2f, 0.8f});
    m_device->SetRenderTarget(0, target->GetSurface());
    const gfx::Viewport v = m_device->GetViewport();
    EXPECT_EQ(v.x, 0);
    EXPECT_EQ(v.y, 0);
    EXPECT_EQ(v.width, 16);
    EXPECT_EQ(v.height, 8);
    EXPECT_FLOAT_EQ(v.minZ, 0.0f);
    EXPECT_FLOAT_EQ(v.maxZ, 1.0f);

    // Target 1 leaves the viewport alone.
    m_device->SetViewport({1, 2, 3, 4});
    auto second = m_device->CreateRenderTexture(16, 8, gfx::Format::RGBA8);
    m_device->SetRenderTarget(1, second->GetSurface());
    EXPECT_EQ(m_device->GetViewport().width, 3);
}

TEST_F(GfxDrawTest, FloatTargetsAreCompleteWithSharedOrOwnDepth) {
    auto rgba32 = m_device->CreateRenderTexture(16, 8, gfx::Format::RGBA32F);
    auto rgba16 = m_device->CreateRenderTexture(16, 8, gfx::Format::RGBA16F);
    m_device->SetRenderTarget(0, rgba32->GetSurface());
    m_device->SetRenderTarget(1, rgba16->GetSurface());
    EXPECT_EQ(m_device->GetDepthStencil(), m_device->BackBufferDepth());
    EXPECT_TRUE(m_device->TargetsComplete());
    m_device->Clear(gfx::kClearTarget | gfx::kClearZBuffer, 0xFF336699u, 1.0f, 0);
    for (const gfx::Texture* t : {rgba32.get(), rgba16.get()}) {
        const std::vector<float> texels = m_device->ReadSurfaceFloats(*t->GetSurface());
        EXPECT_NEAR(texels[0], 0x33 / 255.0f, 1e-3f);
        EXPECT_NEAR(texels[1], 0x66 / 255.0f, 1e-3f);
        EXPECT_NEAR(texels[2], 0x99 / 255.0f, 1e-3f);
        EXPECT_NEAR(texels[3], 1.0f, 1e-3f);
    }

    auto r32 = m_device->CreateRenderTexture(32, 32, gfx::Format::R32F);
    auto depth = m_device->CreateDepthStencil(32, 32);
    m_device->SetRenderTarget(1, nullptr);
    m_device->SetRenderTarget(0, r32->GetSurface());
    m_device->SetDepthStencil(depth.get());
    EXPECT_TRUE(m_device->TargetsComplete());
    m_device->Clear(gfx::kClearTarget | gfx::kClearZBuffer, 0xFF800000u, 1.0f, 0);
    EXPECT_NEAR(m_device->ReadSurfaceFloats(*r32->GetSurface())[0], 128 / 255.0f, 1e-4f);

    // A target that goes away while bound leaves the device drawing to the back buffer.
    r32.reset();
    depth.reset();
    m_device->SetBackBufferTarget();
    EXPECT_TRUE(m_device->TargetsComplete());
    m_device->Clear(gfx::kClearTarget, 0xFF00FF00u, 1.0f, 0);
    EXPECT_EQ(BackBufferPixel(0, 0), (Rgba{0, 255, 0, 255}));
}

TEST_F(GfxDrawTest, CubeFacesAndVolumeSlicesSampleAsWritten) {
    auto cube = gfx::Texture::FromImage(SolidLayers(gfx::ImageKind::Cube, 4, 6));
    EXPECT_FALSE(cube->IsUploaded());
    const std::vector<u8> faces = SampleLayers(*m_device, *cube, "samplerCube", R"(texture(s_stage0,
        vec3[6](vec3(1, 0, 0), vec3(-1, 0, 0), vec3(0, 1, 0), vec3(0, -1, 0), vec3(0, 0, 1),
                vec3(0, 0, -1))[i]))",
                                               6);
    EXPECT_TRUE(cube->IsUploaded());
    ASSERT_EQ(faces.size(), 6u * 4u);
    for (i32 face = 0; face < 6; ++face) {
        EXPECT_EQ(PixelAt(faces, 6, face, 0),
                  (Rgba{u8(face * 40), u8(255 - face * 40), u8(face), 255}))
            << "face " << face;
    }

    auto volume = gfx::Texture::FromImage(SolidLayers(gfx::ImageKind::Volume, 2, 4));
    EXPECT_EQ(volume->Depth(), 4);
    const std::vector<u8> slices =
        SampleLayers(*m_device, *volume, "sampler3D",
                     "texture(s_stage0, vec3(0.5, 0.5, (float(i) + 0.5) / float(u_layers)))", 4);
    ASSERT_EQ(slices.size(), 4u * 4u);
    for (i32 slice = 0; slice < 4; ++slice) {
        EXPECT_EQ(PixelAt(slices, 4, slice, 0),
                  (Rgba{u8(slice * 40), u8(255 - slice * 40), u8(slice), 255}))
            << "slice " << slice;
    }
}

TEST_F(GfxDrawTest, BorderAddressingGivesTheBorderColourOutsideTheTexture) {
    gfx::Image red;
    red.width = 2;
    red.height = 2;
    red.pixels = {255, 0, 0, 255, 255, 0, 0, 255, 255, 0, 0, 255, 255, 0, 0, 255};
    auto texture = gfx::Texture::FromImage(red, false);
    m_device->SetTexture(0, texture.get());
    m_device->SetSamplerState(0, gfx::kSampAddressU, gfx::kAddressBorder);
    m_device->SetSamplerState(0, gfx::kSampAddressV, gfx::kAddressBorder);
    m_device->SetSamplerState(0, gfx::kSampBorderColor, 0xFFFFFFFFu);
    m_device->Clear(gfx::kClearTarget, 0xFF000000u, 1.0f, 0);
    DrawQuad(*m_device, 64, 40, -1.0f, 2.0f);
    EXPECT_EQ(BackBufferPixel(1, 1), kWhite);
    EXPECT_EQ(BackBufferPixel(62, 38), kWhite);
    EXPECT_EQ(BackBufferPixel(32, 20), (Rgba{255, 0, 0, 255}));

    // Wrapping repeats the texture instead.
    m_device->SetSamplerState(0, gfx::kSampAddressU, gfx::kAddressWrap);
    m_device->SetSamplerState(0, gfx::kSampAddressV, gfx::kAddressWrap);
    DrawQuad(*m_device, 64, 40, -1.0f, 2.0f);
    EXPECT_EQ(BackBufferPixel(1, 1), (Rgba{255, 0, 0, 255}));
}

TEST_F(GfxDrawTest, ALockedVertexBufferIsUploadedAgainAtTheNextDraw) {
    gfx::VertexBuffer buffer(3 * sizeof(ColourVertex));
    const ColourVertex triangle[3] = {
        {-1, -1, 0.5f, 0xFFFF0000u}, {3, -1, 0.5f, 0xFFFF0000u}, {-1, 3, 0.5f, 0xFFFF0000u}};
    std::memcpy(buffer.Lock(), triangle, sizeof(triangle));
    buffer.Unlock();
    m_device->Clear(gfx::kClearTarget | gfx::kClearZBuffer, 0xFF000000u, 1.0f, 0);
    m_device->SetRenderState(gfx::kRsCullMode, gfx::kCullNone);
    m_device->SetRenderState(gfx::kRsLighting, 0);
    m_device->SetVertexLayout(gfx::VertexLayout::Colour);
    m_device->SetStreamSource(&buffer, sizeof(ColourVertex));
    for (gfx::TransformKind kind :
         {gfx::TransformKind::World, gfx::TransformKind::View, gfx::TransformKind::Projection}) {
        m_device->SetTransform(kind, kIdentity);
    }
    m_device->DrawPrimitive(gfx::PrimitiveType::TriangleList, 0, 1);
    EXPECT_EQ(BackBufferPixel(5, 5), (Rgba{255, 0, 0, 255}));
    EXPECT_FALSE(buffer.IsDirty());

    ColourVertex* vertices = reinterpret_cast<ColourVertex*>(buffer.Lock());
    for (int i = 0; i < 3; ++i) {
        vertices[i].colour = 0xFF0000FFu;
    }
    buffer.Unlock();
    gfx::IndexBuffer indices(3 * sizeof(u16), false);
    const u16 order[3] = {0, 1, 2};
    std::memcpy(indices.Lock(), order, sizeof(order));
    m_device->SetIndices(&indices);
    m_device->DrawIndexedPrimitive(gfx::PrimitiveType::TriangleList, 0, 0, 1);
    EXPECT_EQ(BackBufferPixel(5, 5), (Rgba{0, 0, 255, 255}));
}

TEST_F(GfxDrawTest, ObjectsTakeTheMaterialColourAndAreShadedWhileLightingIsOn) {
    ObjectVertex triangle[3] = {};
    const float corners[3][2] = {{-1, -1}, {3, -1}, {-1, 3}};
    for (int i = 0; i < 3; ++i) {
        triangle[i].position[0] = corners[i][0];
        triangle[i].position[1] = corners[i][1];
        triangle[i].position[2] = 0.5f;
        triangle[i].normal[2] = -1.0f; // towards the viewer
    }
    const float material[4] = {1.0f, 0.5f, 0.0f, 1.0f};
    m_device->SetMaterialColour(material);
    m_device->SetRenderState(gfx::kRsZEnable, 0);
    m_device->SetRenderState(gfx::kRsCullMode, gfx::kCullNone);
    m_device->SetVertexLayout(gfx::VertexLayout::Object);

    const float away[3] = {0, 0, 1};
    const float behind[3] = {0, 0, -1};
    struct Case {
        u32 lighting;
        const float* light;
        Rgba expected;
    };
    for (const Case& c : {Case{0, behind, {255, 128, 0, 255}}, Case{1, away, {255, 128, 0, 255}},
                          Case{1, behind, {77, 38, 0, 255}}}) {
        m_device->SetRenderState(gfx::kRsLighting, c.lighting);
        m_device->SetLightDirection(c.light);
        m_device->DrawPrimitiveUP(gfx::PrimitiveType::TriangleList, 1, triangle,
                                  sizeof(ObjectVertex));
        const Rgba got = BackBufferPixel(10, 10);
        EXPECT_NEAR(got.r, c.expected.r, 1) << c.lighting;
        EXPECT_NEAR(got.g, c.expected.g, 1) << c.lighting;
        EXPECT_EQ(got.b, c.expected.b);
    }
}

TEST_F(GfxDrawTest, StatesStartAtTheDefaultsOfANewDevice) {
    EXPECT_EQ(m_device->GetRenderState(gfx::kRsZEnable), 1u);
    EXPECT_EQ(m_device->GetRenderState(gfx::kRsCullMode), gfx::kCullCcw);
    EXPECT_EQ(m_device->GetRenderState(gfx::kRsZFunc), gfx::kCmpLessEqual);
    EXPECT_EQ(m_device->GetRenderState(gfx::kRsSrcBlend), gfx::kBlendOne);
    EXPECT_EQ(m_device->GetRenderState(gfx::kRsDestBlend), gfx::kBlendZero);
    EXPECT_EQ(m_device->GetRenderState(gfx::kRsLighting), 1u);
    EXPECT_EQ(m_device->GetRenderState(gfx::kRsAlphaBlendEnable), 0u);
    for (u32 stage = 0; stage < gfx::kSamplerStageCount; ++stage) {
        EXPECT_EQ(m_device->GetSamplerState(stage, gfx::kSampAddressU), gfx::kAddressWrap);
        EXPECT_EQ(m_device->GetSamplerState(stage, gfx::kSampMinFilter), gfx::kFilterPoint);
        EXPECT_EQ(m_device->GetSamplerState(stage, gfx::kSampMipFilter), gfx::kFilterNone);
    }
}

} // namespace
