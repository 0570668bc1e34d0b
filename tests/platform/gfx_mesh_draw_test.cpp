#include <gtest/gtest.h>

#include <vector>

#include "platform/gfx/device.h"
#include "platform/gfx/mesh.h"
#include "platform/gfx/render_states.h"
#include "support/gl_fixture.h"

namespace {

using gl_fixture::Rgba;
using GfxMeshDrawTest = gl_fixture::DeviceTest;

constexpr float kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
constexpr Rgba kBlack{0, 0, 0, 255};
constexpr Rgba kWhite{255, 255, 255, 255};

// Subset 0 covers the left half of the target, subset 1 the right half.
std::unique_ptr<gfx::Mesh> Halves() {
    const float corners[8][2] = {{-1, -1}, {0, -1}, {0, 1}, {-1, 1},
                                 {0, -1},  {1, -1}, {1, 1}, {0, 1}};
    std::vector<gfx::ObjectVertex> vertices(8);
    for (int i = 0; i < 8; ++i) {
        vertices[i].position[0] = corners[i][0];
        vertices[i].position[1] = corners[i][1];
        vertices[i].position[2] = 0.5f;
        vertices[i].normal[2] = -1.0f;
    }
    const std::vector<u32> indices{0, 1, 2, 0, 2, 3, 4, 5, 6, 4, 6, 7};
    return std::make_unique<gfx::Mesh>(
        vertices, indices, std::vector<gfx::AttributeRange>{{0, 0, 2, 0, 8}, {1, 2, 2, 0, 8}});
}

class MeshDraw : public GfxMeshDrawTest {
  protected:
    void SetUp() override {
        GfxMeshDrawTest::SetUp();
        for (gfx::TransformKind kind : {gfx::TransformKind::World, gfx::TransformKind::View,
                                        gfx::TransformKind::Projection}) {
            m_device->SetTransform(kind, kIdentity);
        }
        const float white[4] = {1, 1, 1, 1};
        m_device->SetMaterialColour(white);
        m_device->SetRenderState(gfx::kRsLighting, 0);
        m_device->SetRenderState(gfx::kRsZEnable, 0);
        m_device->SetRenderState(gfx::kRsCullMode, gfx::kCullNone);
        m_device->Clear(gfx::kClearTarget, 0xFF000000u, 1.0f, 0);
    }
};

TEST_F(MeshDraw, ASubsetDrawsOnlyItsOwnFaces) {
    const auto mesh = Halves();
    mesh->DrawSubset(*m_device, 1);
    EXPECT_EQ(BackBufferPixel(10, 20), kBlack);
    EXPECT_EQ(BackBufferPixel(50, 20), kWhite);
    mesh->DrawSubset(*m_device, 7); // no such subset: nothing
    EXPECT_EQ(BackBufferPixel(10, 20), kBlack);
    mesh->DrawSubset(*m_device, 0);
    EXPECT_EQ(BackBufferPixel(10, 20), kWhite);
    EXPECT_FALSE(mesh->IsDirty());
}

TEST_F(MeshDraw, VerticesChangedOnTheCpuAreUploadedAtTheNextDraw) {
    const auto mesh = Halves();
    mesh->DrawSubset(*m_device, 0);
    EXPECT_EQ(BackBufferPixel(10, 20), kWhite);
    // Skinning writes the vertices: move the left half to the right.
    gfx::ObjectVertex* vertices = mesh->LockVertices();
    for (int i = 0; i < 4; ++i) {
        vertices[i].position[0] += 1.0f;
    }
    mesh->UnlockVertices();
    EXPECT_TRUE(mesh->IsDirty());
    m_device->Clear(gfx::kClearTarget, 0xFF000000u, 1.0f, 0);
    mesh->DrawSubset(*m_device, 0);
    EXPECT_EQ(BackBufferPixel(10, 20), kBlack);
    EXPECT_EQ(BackBufferPixel(50, 20), kWhite);
}

} // namespace
