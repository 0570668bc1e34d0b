#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <string>

#include "core/math_functions.h"
#include "graphics/render_state_cache.h"
#include "graphics/sky.h"
#include "graphics/texture_cache.h"
#include "platform/gfx/texture.h"
#include "support/gl_fixture.h"

namespace {

TEST(Sky, TheSphereHasPolesRingsAndClosedFans) {
    const SphereGeometry sphere = BuildSphere(5000.0f, 8, 8);
    ASSERT_EQ(sphere.positions.size(), 2u + 7u * 8u);
    EXPECT_EQ(sphere.indices.size(), 3u * (8u + 2u * 8u * 6u + 8u));
    for (const Float3& p : sphere.positions) {
        EXPECT_NEAR(Math::Vec3Length(p), 5000.0f, 0.05f);
    }
    EXPECT_FLOAT_EQ(sphere.positions.front().z, 5000.0f);
    EXPECT_FLOAT_EQ(sphere.positions.back().z, -5000.0f);
    for (u32 index : sphere.indices) {
        EXPECT_LT(index, sphere.positions.size());
    }
    // Every edge is shared by exactly two triangles: the surface is closed.
    std::map<std::pair<u32, u32>, int> edges;
    for (std::size_t t = 0; t < sphere.indices.size(); t += 3) {
        for (int k = 0; k < 3; ++k) {
            const u32 a = sphere.indices[t + k];
            const u32 b = sphere.indices[t + (k + 1) % 3];
            ++edges[{std::min(a, b), std::max(a, b)}];
        }
    }
    for (const auto& [edge, count] : edges) {
        EXPECT_EQ(count, 2);
    }
    EXPECT_TRUE(BuildSphere(1.0f, 1, 8).positions.empty());
}

class SkyGlTest : public gl_fixture::DeviceTest {};

TEST_F(SkyGlTest, TheSkyFillsTheBackgroundWhateverTheFarPlane) {
    const std::string assets = GORVANE_ASSETS_DIR;
    RenderStateCache::Restart();
    std::unique_ptr<gfx::Texture> cube = LoadCubeTextureFromPackage(assets + "/packages/art.kzp");
    ASSERT_TRUE(cube);
    static std::string reported;
    std::unique_ptr<Sky> sky = Sky::Create(
        *m_device, std::move(cube), [](const std::string& text) { reported = text; },
        (assets + "/packages/shaders.kzp").c_str());
    ASSERT_TRUE(sky);
    EXPECT_TRUE(reported.empty()) << reported;

    // A far plane far inside the sphere's radius still shows the sky everywhere.
    const Float3 eye{300.0f, 20.0f, -700.0f};
    const Float4x4 view = Math::MatrixLookAtLH(eye, {300.0f, 25.0f, -690.0f}, {0.0f, 1.0f, 0.0f});
    const Float4x4 projection = Math::MatrixPerspectiveFovLH(0.785f, 1.6f, 1.0f, 50.0f);
    m_device->Clear(gfx::kClearTarget | gfx::kClearZBuffer, 0xFF000000u, 1.0f, 0);
    sky->Render(view * projection, eye);
    for (const auto& [x, row] : {std::pair{2, 2}, std::pair{32, 20}, std::pair{61, 37}}) {
        const gl_fixture::Rgba pixel = BackBufferPixel(x, row);
        EXPECT_GT(pixel.r + pixel.g + pixel.b, 60) << x << "," << row << " " << pixel;
    }
    // Looking up, the sky is bluer than it is red.
    const Float4x4 up = Math::MatrixLookAtLH(eye, {300.0f, 40.0f, -699.0f}, {0.0f, 1.0f, 0.0f});
    sky->Render(up * projection, eye);
    const gl_fixture::Rgba top = BackBufferPixel(32, 20);
    EXPECT_GT(top.b, top.r) << top;
}

} // namespace
