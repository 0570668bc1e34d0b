#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "graphics/mesh_cache.h"
#include "graphics/start_error.h"
#include "platform/gfx/image.h"
#include "platform/gfx/mesh.h"
#include "platform/system/message_box.h"
#include "support/package_fixture.h"

namespace {

// A tetrahedron spanning (0,0,0) to (2,4,6); the first face red and untextured, the others
// naming a texture the package may or may not hold.
std::string Tetrahedron(const std::string& texture) {
    return R"(xof 0303txt 0032
Mesh Tetra {
 4; 0;0;0;, 2;0;0;, 0;4;0;, 0;0;6;;
 4; 3;0,2,1;, 3;0,1,3;, 3;0,3,2;, 3;1,2,3;;
 MeshMaterialList {
  2; 4; 0,1,1,1;;
  Material { 1;0;0;1;; 0; 0;0;0;; 0;0;0;; }
  Material { 0;1;0;1;; 0; 0;0;0;; 0;0;0;; TextureFilename { ")" +
           texture + R"("; } }
 }
}
)";
}

std::string SmallBmp() {
    const std::vector<u8> rgba(4 * 4 * 4, 200);
    return gfx::EncodeBmp(rgba.data(), 4, 4);
}

class MeshCacheTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_package = package_fixture::MakePackage(
            m_folder.Path(), "art",
            {{"meshes/tetra.x", Tetrahedron("wall.bmp")},
             {"meshes/other.x", Tetrahedron("missing.png")},
             {"meshes/broken.x", "xof 0303txt 0032\nMesh B { 3; 0;0;0;, 1;0;0;, 0;1;0;; "
                                 "1; 3;0,1,1;; }\n"},
             {"meshes/cut.x", "xof 0303txt 0032\nMesh B { 3; 0;0;0;"},
             {"textures/wall.bmp", SmallBmp()}});
        ASSERT_FALSE(m_package.empty());
    }

    MeshCache MakeCache() {
        return MeshCache(m_package.string(), [this](const std::string& name) -> gfx::Texture* {
            m_texture_requests.push_back(name);
            return name == "assets/art/wall.bmp" ? m_wall : nullptr;
        });
    }

    package_fixture::ScratchFolder m_folder;
    std::filesystem::path m_package;
    std::vector<std::string> m_texture_requests;
    // Any non-null pointer will do: the cache only hands it on.
    int m_wall_stand_in = 0;
    gfx::Texture* m_wall = reinterpret_cast<gfx::Texture*>(&m_wall_stand_in);
};

TEST_F(MeshCacheTest, AStaticMeshIsRecentredOnItsBox) {
    MeshCache cache = MakeCache();
    const StaticMeshRecord record = cache.LoadStaticMesh("assets/art/tetra.x");
    ASSERT_NE(record.m_mesh, nullptr);
    EXPECT_EQ(record.m_min.x, -1.0f);
    EXPECT_EQ(record.m_min.y, -2.0f);
    EXPECT_EQ(record.m_min.z, -3.0f);
    EXPECT_EQ(record.m_max.x, 1.0f);
    EXPECT_EQ(record.m_max.y, 2.0f);
    EXPECT_EQ(record.m_max.z, 3.0f);
    EXPECT_EQ(record.m_centre_offset.x, 1.0f);
    EXPECT_EQ(record.m_centre_offset.y, 2.0f);
    EXPECT_EQ(record.m_centre_offset.z, 3.0f);
    EXPECT_EQ(record.m_box.min.y, -2.0f);
    EXPECT_EQ(record.m_box.corners[7].z, 3.0f);
    EXPECT_EQ(record.m_box.corners[2].z, 3.0f); // bit 1: z from max
    EXPECT_EQ(record.m_box.corners[2].y, -2.0f);
    EXPECT_FLOAT_EQ(record.m_sphere_radius, std::sqrt(1.0f + 4.0f + 9.0f));
    EXPECT_EQ(record.m_sphere_centre.x, 0.0f);
    // The first file vertex (0,0,0) now sits at minus the offset.
    bool moved = false;
    for (u32 i = 0; i < record.m_mesh->VertexCount(); ++i) {
        const float* p = record.m_mesh->Vertices()[i].position;
        moved = moved || (p[0] == -1.0f && p[1] == -2.0f && p[2] == -3.0f);
    }
    EXPECT_TRUE(moved);
}

TEST_F(MeshCacheTest, NamesShareOneRecordAndNewMeshesTakeTheNextNumber) {
    MeshCache cache = MakeCache();
    const StaticMeshRecord first = cache.LoadStaticMesh("assets/art/tetra.x");
    const StaticMeshRecord again = cache.LoadStaticMesh("assets/art/tetra.x");
    const AnimatedMeshRecord animated = cache.LoadAnimatedMesh("assets/art/tetra.x");
    const StaticMeshRecord other = cache.LoadStaticMesh("assets/art/other.x");
    EXPECT_EQ(first.m_mesh, again.m_mesh);
    EXPECT_EQ(first.m_record_number, 0u);
    EXPECT_EQ(again.m_record_number, 0u);
    EXPECT_EQ(animated.m_record_number, 1u); // one counter for both kinds
    EXPECT_EQ(other.m_record_number, 2u);

    cache.UnloadMesh("assets/art/tetra.x");
    cache.UnloadMesh("assets/art/never-loaded.x");
    EXPECT_EQ(cache.StaticCount(), 1u);
    EXPECT_EQ(cache.LoadStaticMesh("assets/art/tetra.x").m_record_number, 3u);
}

TEST_F(MeshCacheTest, MaterialsKeepTheirDiffuseColourAndAMissingTextureIsNull) {
    MeshCache cache = MakeCache();
    const StaticMeshRecord textured = cache.LoadStaticMesh("assets/art/tetra.x");
    ASSERT_EQ(textured.m_subset_count, 2u);
    EXPECT_EQ(textured.m_materials[0].m_diffuse.x, 1.0f);
    EXPECT_EQ(textured.m_textures[0], nullptr);
    EXPECT_EQ(textured.m_textures[1], m_wall);
    const StaticMeshRecord missing = cache.LoadStaticMesh("assets/art/other.x");
    EXPECT_EQ(missing.m_textures[1], nullptr);
    EXPECT_EQ(missing.m_materials[1].m_diffuse.y, 1.0f);
    EXPECT_EQ(m_texture_requests,
              (std::vector<std::string>{"assets/art/wall.bmp", "assets/art/missing.png"}));
}

TEST_F(MeshCacheTest, AMissingFileIsLoggedUncachedAndTakesNoNumber) {
    MeshCache cache = MakeCache();
    for (int call = 0; call < 2; ++call) {
        testing::internal::CaptureStdout();
        const StaticMeshRecord record = cache.LoadStaticMesh("assets/art/nothing.x");
        const std::string out = testing::internal::GetCapturedStdout();
        EXPECT_EQ(record.m_mesh, nullptr);
        EXPECT_NE(out.find("Failed to load assets/art/nothing.x\n"), std::string::npos) << out;
    }
    testing::internal::CaptureStdout();
    EXPECT_EQ(cache.LoadAnimatedMesh("assets/art/cut.x").m_root, nullptr); // unreadable text
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(cache.NextRecordNumber(), 0u);
    EXPECT_EQ(cache.StaticCount(), 0u);
}

TEST_F(MeshCacheTest, ABrokenFaceShowsItsTextAndEndsTheGame) {
    std::vector<int> exits;
    const ExitHook previous = SetGraphicsExitHook([&exits](int code) { exits.push_back(code); });
    std::vector<std::string> boxes;
    StaticMeshRecord record;
    {
        const sys::ScopedMessageBoxSink sink(
            [&boxes](const sys::MessageBoxRequest& box) { boxes.push_back(box.text); });
        MeshCache cache = MakeCache();
        testing::internal::CaptureStdout();
        record = cache.LoadStaticMesh("assets/art/broken.x");
        testing::internal::GetCapturedStdout();
    }
    SetGraphicsExitHook(previous);
    EXPECT_EQ(record.m_mesh, nullptr);
    EXPECT_EQ(exits, std::vector<int>{0});
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].find("one vertex twice"), std::string::npos) << boxes[0];
}

} // namespace
