#include <gtest/gtest.h>

#include <string>

#include "core/math_functions.h"
#include "graphics/mesh_hierarchy.h"
#include "platform/gfx/mesh.h"
#include "platform/gfx/x_file.h"

namespace {

// Root holds the skinned mesh; Arm (turned 90° about z) holds Hand (moved 2 along y in
// Arm's space). Vertex 0 follows Arm alone, vertex 1 half Arm and half Hand, whose offset
// moves it back by (0,2,0) first; vertex 2 has no bone.
const char* const kSkinned = R"(xof 0303txt 0032
Frame Root {
 Frame Arm {
  FrameTransformMatrix { 0,1,0,0, -1,0,0,0, 0,0,1,0, 0,0,0,1;; }
  Frame Hand {
   FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,2,0,1;; }
  }
 }
 Mesh Body {
  3; 1;0;0;, 0;1;0;, 0;0;1;;
  1; 3;0,1,2;;
  MeshNormals { 1; 0;1;0;; 1; 3;0,0,0;; }
  SkinWeights { "Arm"; 2; 0, 1; 1.0, 0.5; 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; }
  SkinWeights { "Hand"; 1; 1; 0.5; 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,-2,0,1;; }
 }
}
)";

class MeshHierarchyTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(m_file.Parse(kSkinned, &error)) << error;
        m_root = LoadMeshHierarchy(m_file, m_allocator, nullptr, &error);
        ASSERT_NE(m_root, nullptr) << error;
    }
    void TearDown() override { DestroyFrameHierarchy(m_root, m_allocator); }

    gfx::XFile m_file;
    AllocMeshHierarchy m_allocator;
    Frame* m_root = nullptr;
};

void ExpectPoint(const float* p, float x, float y, float z) {
    EXPECT_NEAR(p[0], x, 1e-5f);
    EXPECT_NEAR(p[1], y, 1e-5f);
    EXPECT_NEAR(p[2], z, 1e-5f);
}

TEST_F(MeshHierarchyTest, FramesAndContainersAreFoundByName) {
    EXPECT_EQ(m_root->m_name, "Root");
    ASSERT_NE(FindFrame(m_root, "Hand"), nullptr);
    EXPECT_EQ(FindFrame(m_root, "Hand"), m_root->m_first_child->m_first_child);
    EXPECT_EQ(FindFrame(m_root, "Foot"), nullptr);
    MeshContainer* const body = FirstMeshContainer(m_root);
    ASSERT_NE(body, nullptr);
    EXPECT_EQ(body->m_name, "Body");
    ASSERT_NE(body->m_skin_info, nullptr);
    EXPECT_EQ(body->m_skin_info->BoneCount(), 2u);
    EXPECT_EQ(body->m_bone_offsets[1].m[13], -2.0f);
}

TEST_F(MeshHierarchyTest, TwoBonesBlendPositionsAndNormalsByTheirWeights) {
    UpdateFrameMatrices(m_root, nullptr);
    MeshContainer* const body = FirstMeshContainer(m_root);
    const SkinInfo& skin = *body->m_skin_info;
    Float4x4 bones[2];
    bones[0] = Math::MatrixMultiply(skin.BoneOffset(0), FindFrame(m_root, "Arm")->m_combined);
    bones[1] = Math::MatrixMultiply(skin.BoneOffset(1), FindFrame(m_root, "Hand")->m_combined);
    const auto working = body->m_mesh->Clone();
    skin.UpdateSkinnedMesh(bones, *body->m_mesh, *working);

    // Arm turns (x, y) into (-y, x).
    //   vertex 0 (1,0,0): Arm alone -> (0,1,0); its normal (0,1,0) -> (-1,0,0).
    //   vertex 1 (0,1,0): Arm -> (-1,0,0); Hand: back by 2 -> (0,-1,0), turned (1,0,0),
    //   then on by Arm's (0,2,0) turned, i.e. (-2,0,0) -> (-1,0,0). Half each: (-1,0,0).
    //   vertex 2 keeps (0,0,1).
    const gfx::ObjectVertex* v = working->Vertices();
    ExpectPoint(v[0].position, 0, 1, 0);
    ExpectPoint(v[0].normal, -1, 0, 0);
    ExpectPoint(v[1].position, -1, 0, 0);
    ExpectPoint(v[2].position, 0, 0, 1);
    ExpectPoint(v[2].normal, 0, 1, 0);
    EXPECT_TRUE(working->IsDirty());
    // The source is untouched.
    ExpectPoint(body->m_mesh->Vertices()[0].position, 1, 0, 0);
}

TEST_F(MeshHierarchyTest, DestroyingACopyFreesOnlyItsOwnData) {
    Frame* const copy = CloneFrameHierarchy(m_root);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->m_is_copy, 1);
    MeshContainer* const copied = FirstMeshContainer(copy);
    MeshContainer* const original = FirstMeshContainer(m_root);
    ASSERT_NE(copied, nullptr);
    EXPECT_EQ(copied->m_is_copy, 1);
    EXPECT_EQ(copied->m_mesh, original->m_mesh);
    EXPECT_EQ(copied->m_skin_info, original->m_skin_info);
    // Per-copy data: a working mesh of its own.
    copied->m_working_mesh = copied->m_mesh->Clone().release();
    DestroyFrameHierarchy(copy, m_allocator);
    // The cached hierarchy is whole (AddressSanitizer reports any use of freed data).
    EXPECT_EQ(original->m_mesh->VertexCount(), 3u);
    EXPECT_EQ(original->m_skin_info->m_bones[0].frame, "Arm");
    EXPECT_EQ(FindFrame(m_root, "Hand")->m_name, "Hand");
}

TEST_F(MeshHierarchyTest, TheBoundingSphereHoldsEveryMesh) {
    Float3 centre;
    float radius = 0.0f;
    FrameBoundingSphere(m_root, centre, radius);
    for (u32 i = 0; i < 3; ++i) {
        const float* p = FirstMeshContainer(m_root)->m_mesh->Vertices()[i].position;
        const float d = Math::Vec3Length({p[0] - centre.x, p[1] - centre.y, p[2] - centre.z});
        EXPECT_LE(d, radius + 1e-5f);
    }
}

TEST(MeshHierarchyLoadTest, SeveralTopLevelFramesHangUnderAnUnnamedRoot) {
    gfx::XFile file;
    ASSERT_TRUE(file.Parse("xof 0303txt 0032\nFrame A { }\nFrame B { }\n"));
    AllocMeshHierarchy allocator;
    Frame* const root = LoadMeshHierarchy(file, allocator, nullptr);
    ASSERT_NE(root, nullptr);
    EXPECT_TRUE(root->m_name.empty());
    ASSERT_NE(root->m_first_child, nullptr);
    EXPECT_EQ(root->m_first_child->m_name, "A");
    ASSERT_NE(root->m_first_child->m_sibling, nullptr);
    EXPECT_EQ(root->m_first_child->m_sibling->m_name, "B");
    DestroyFrameHierarchy(root, allocator);

    ASSERT_TRUE(file.Parse("xof 0303txt 0032\nMaterial M { 1;1;1;1;; 0; 0;0;0;; 0;0;0;; }\n"));
    std::string error;
    EXPECT_EQ(LoadMeshHierarchy(file, allocator, nullptr, &error), nullptr);
    EXPECT_FALSE(error.empty());
}

} // namespace
