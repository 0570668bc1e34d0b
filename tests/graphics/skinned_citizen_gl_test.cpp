// The citizen's skinned mesh drawn on the GL device: turning its right leg's bone out to the
// side moves the drawn leg with it.

#include <gtest/gtest.h>

#include <fstream>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "core/math_functions.h"
#include "graphics/mesh_hierarchy.h"
#include "platform/gfx/device.h"
#include "platform/gfx/mesh.h"
#include "platform/gfx/render_states.h"
#include "platform/gfx/x_file.h"
#include "support/gl_fixture.h"

namespace {

using gl_fixture::DeviceTest;
using gl_fixture::Rgba;

constexpr Rgba kBlack{0, 0, 0, 255};

class SkinnedCitizen : public DeviceTest {
  protected:
    void SetUp() override {
        DeviceTest::SetUp();
        std::ifstream in(std::string(GORVANE_SOURCE_DIR) + "/data/art/meshes/citizen.x");
        std::stringstream text;
        text << in.rdbuf();
        std::string error;
        ASSERT_TRUE(m_file.Parse(text.str(), &error)) << error;
        m_root = LoadMeshHierarchy(
            m_file, m_allocator, [](const std::string&) { return nullptr; }, &error);
        ASSERT_NE(m_root, nullptr) << error;
        m_container = FirstMeshContainer(m_root);
        ASSERT_NE(m_container, nullptr);
        ASSERT_NE(m_container->m_skin_info, nullptr);
        ASSERT_NE(m_container->m_working_mesh, nullptr);

        // Looking along +z at the citizen's middle, 20 pixels to the unit.
        const Float4x4 world = Frame::kIdentity;
        const Float4x4 view = Math::MatrixTranslation(0.0f, -0.9f, 5.0f);
        const Float4x4 projection = Math::MatrixOrthoLH(3.2f, 2.0f, 0.1f, 100.0f);
        m_device->SetTransform(gfx::TransformKind::World, world.m);
        m_device->SetTransform(gfx::TransformKind::View, view.m);
        m_device->SetTransform(gfx::TransformKind::Projection, projection.m);
        const float white[4] = {1, 1, 1, 1};
        m_device->SetMaterialColour(white);
        m_device->SetRenderState(gfx::kRsLighting, 0);
        m_device->SetRenderState(gfx::kRsZEnable, 0);
        m_device->SetRenderState(gfx::kRsCullMode, gfx::kCullNone);
    }
    void TearDown() override {
        if (m_root != nullptr) {
            DestroyFrameHierarchy(m_root, m_allocator);
        }
        DeviceTest::TearDown();
    }

    // Poses the skin from the frames and draws it; the covered pixels, row by row.
    std::vector<bool> Draw() {
        UpdateFrameMatrices(m_root, nullptr);
        const SkinInfo& skin = *m_container->m_skin_info;
        std::vector<Float4x4> bones;
        for (u32 i = 0; i < skin.BoneCount(); ++i) {
            const Frame* frame = FindFrame(m_root, skin.m_bones[i].frame);
            bones.push_back(Math::MatrixMultiply(
                skin.BoneOffset(i), frame != nullptr ? frame->m_combined : Frame::kIdentity));
        }
        skin.UpdateSkinnedMesh(bones.data(), *m_container->m_mesh, *m_container->m_working_mesh);
        EXPECT_TRUE(m_container->m_working_mesh->IsDirty());
        m_device->Clear(gfx::kClearTarget, 0xFF000000u, 1.0f, 0);
        for (u32 i = 0; i < m_container->m_working_mesh->SubsetCount(); ++i) {
            m_container->m_working_mesh->DrawSubset(*m_device, i);
        }
        // The new vertices went up with the draw.
        EXPECT_FALSE(m_container->m_working_mesh->IsDirty());
        std::vector<bool> covered;
        for (i32 row = 0; row < kHeight; ++row) {
            for (i32 x = 0; x < kWidth; ++x) {
                covered.push_back(BackBufferPixel(x, row) != kBlack);
            }
        }
        return covered;
    }

    // Covered pixels in columns [x0, x1) and rows [row0, row1).
    static int Count(const std::vector<bool>& covered, i32 x0, i32 x1, i32 row0, i32 row1) {
        int n = 0;
        for (i32 row = row0; row < row1; ++row) {
            for (i32 x = x0; x < x1; ++x) {
                n += covered[static_cast<std::size_t>(row * kWidth + x)] ? 1 : 0;
            }
        }
        return n;
    }

    gfx::XFile m_file;
    AllocMeshHierarchy m_allocator;
    Frame* m_root = nullptr;
    MeshContainer* m_container = nullptr;
};

TEST_F(SkinnedCitizen, TurningTheRightLegsBoneSwingsTheDrawnLegOutToTheSide) {
    const std::vector<bool> rest = Draw();
    // Beside the hips, right of the body (x 0.5 to 1.4 units, hip height): empty at rest.
    const auto besideHips = [](const std::vector<bool>& c) { return Count(c, 42, 60, 14, 22); };
    // Below the hips on the right (x 0.05 to 0.45 units, the lower legs).
    const auto underRightHip = [](const std::vector<bool>& c) { return Count(c, 33, 41, 24, 38); };
    ASSERT_GT(Count(rest, 0, kWidth, 0, kHeight), 0);
    EXPECT_EQ(besideHips(rest), 0);
    EXPECT_GT(underRightHip(rest), 0);

    Frame* leg = FindFrame(m_root, "LegRight");
    ASSERT_NE(leg, nullptr);
    // A quarter turn about z at the hip: the leg points out along +x.
    leg->m_transformation = Math::MatrixMultiply(
        Math::MatrixRotationZ(std::numbers::pi_v<float> * 0.5f), leg->m_transformation);
    const std::vector<bool> kicked = Draw();
    EXPECT_GT(besideHips(kicked), 0);
    EXPECT_LT(underRightHip(kicked), underRightHip(rest));
}

} // namespace
