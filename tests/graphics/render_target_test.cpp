#include <gtest/gtest.h>

#include <vector>

#include "graphics/render_state_cache.h"
#include "graphics/render_target_desc.h"
#include "graphics/screen_quad.h"
#include "platform/gfx/image.h"
#include "platform/gfx/texture.h"
#include "support/gl_fixture.h"

namespace {

using gl_fixture::PixelAt;
using gl_fixture::Rgba;

class RenderTargetTest : public gl_fixture::DeviceTest {
  protected:
    void SetUp() override {
        gl_fixture::DeviceTest::SetUp();
        RenderStateCache::Restart();
    }
    void TearDown() override {
        RenderStateCache::Restart();
        gl_fixture::DeviceTest::TearDown();
    }
};

gfx::Image Checker() {
    gfx::Image image;
    image.width = 4;
    image.height = 4;
    for (int row = 0; row < 4; ++row) {
        for (int x = 0; x < 4; ++x) {
            const bool dark = (row + x) % 2 == 0;
            image.pixels.insert(image.pixels.end(), {u8(dark ? 10 + x * 20 : 200 + x * 10),
                                                     u8(dark ? 30 + row * 40 : 100 + row * 30),
                                                     u8(dark ? 0 : 255), 255});
        }
    }
    return image;
}

TEST_F(RenderTargetTest, AScreenQuadReproducesEveryTexelWithPointOrLinearFiltering) {
    const gfx::Image image = Checker();
    auto texture = gfx::Texture::FromImage(image, false);
    RenderTargetDesc target(m_device.get(), 4, 4, 1, gfx::Format::RGBA8, 1, gfx::Format::D24S8,
                            {0, 0, 4, 4, 0.0f, 1.0f}, false);
    ASSERT_TRUE(target.Create());
    for (void (*draw)(gfx::Device&) : {&DrawScreenQuad, &DrawScreenQuadLinear}) {
        BeginOffscreenTarget(*m_device, target);
        m_device->Clear(gfx::kClearTarget | gfx::kClearZBuffer, 0xFF000000u, 1.0f, 0);
        m_device->SetTexture(0, texture.get());
        draw(*m_device);
        RestoreBackBuffer(*m_device, target);
        const std::vector<u8> pixels = m_device->ReadSurface(*target.Surface());
        for (int row = 0; row < 4; ++row) {
            for (int x = 0; x < 4; ++x) {
                EXPECT_EQ(PixelAt(pixels, 4, x, row), PixelAt(image.pixels, 4, x, row))
                    << x << "," << row;
            }
        }
    }
    EXPECT_EQ(RenderStateCache::GetSampler(*m_device, 0, gfx::kSampMinFilter), gfx::kFilterLinear);
    EXPECT_EQ(m_device->GetRenderTarget(0), m_device->BackBufferSurface());
}

TEST_F(RenderTargetTest, AnOwnDepthTargetIsClearedAndTheBackBufferComesBackWithItsViewport) {
    RenderTargetDesc target(m_device.get(), 32, 32, 0, gfx::Format::R32F, 1, gfx::Format::D24S8,
                            {0, 0, 32, 32, 0.0f, 1.0f}, true);
    ASSERT_TRUE(target.Create());
    ASSERT_NE(target.DepthSurface(), nullptr);
    EXPECT_EQ(target.Texture()->GetFormat(), gfx::Format::R32F);

    m_device->SetViewport({2, 3, 20, 10, 0.0f, 1.0f});
    BeginOffscreenTarget(*m_device, target);
    EXPECT_TRUE(m_device->TargetsComplete());
    EXPECT_EQ(m_device->GetDepthStencil(), target.DepthSurface());
    EXPECT_EQ(m_device->GetViewport().width, 32);
    EXPECT_FLOAT_EQ(m_device->ReadSurfaceFloats(*target.Surface())[0], 1.0f);

    RestoreBackBuffer(*m_device, target);
    EXPECT_EQ(m_device->GetRenderTarget(0), m_device->BackBufferSurface());
    EXPECT_EQ(m_device->GetDepthStencil(), m_device->BackBufferDepth());
    EXPECT_EQ(m_device->GetViewport().x, 2);
    EXPECT_EQ(m_device->GetViewport().width, 20);
}

TEST_F(RenderTargetTest, ASharedDepthTargetKeepsTheBoundDepthAndIsNotCleared) {
    RenderTargetDesc target(m_device.get(), 1, 1, 1, gfx::Format::RGBA16F, 1, gfx::Format::D24S8,
                            {}, false);
    target.ResizeToScreen({0, 0, 64, 40, 0.0f, 1.0f});
    EXPECT_EQ(target.Width(), 64u);
    EXPECT_EQ(target.Height(), 40u);
    ASSERT_TRUE(target.Create());
    EXPECT_EQ(target.DepthSurface(), nullptr);

    BeginOffscreenTarget(*m_device, target);
    EXPECT_EQ(m_device->GetRenderTarget(0), target.Surface());
    EXPECT_EQ(m_device->GetDepthStencil(), m_device->BackBufferDepth());
    EXPECT_TRUE(m_device->TargetsComplete());
    m_device->Clear(gfx::kClearTarget, 0xFF00FF00u, 1.0f, 0);
    RestoreBackBuffer(*m_device, target);
    BeginOffscreenTarget(*m_device, target);
    EXPECT_FLOAT_EQ(m_device->ReadSurfaceFloats(*target.Surface())[1], 1.0f);
    RestoreBackBuffer(*m_device, target);

    target.Release();
    EXPECT_EQ(target.Texture(), nullptr);
}

} // namespace
