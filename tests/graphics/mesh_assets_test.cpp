#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "graphics/mesh_cache.h"
#include "platform/gfx/mesh.h"

namespace {

// Every mesh file the object definitions name, broken meshes included.
std::set<std::string> DefinedMeshes() {
    std::ifstream in(std::string(GORVANE_SOURCE_DIR) + "/data/levels/game_objects.xml");
    std::stringstream text;
    text << in.rdbuf();
    const std::string xml = text.str();
    std::set<std::string> meshes;
    const std::regex param("name=\"(Mesh|Breakable)\" type=\"string\" value=\"([^\"]*)\"");
    for (auto it = std::sregex_iterator(xml.begin(), xml.end(), param);
         it != std::sregex_iterator(); ++it) {
        const std::string value = (*it)[2];
        if (!value.empty() && value != "true" && value != "false") {
            meshes.insert(value);
        }
    }
    return meshes;
}

TEST(MeshAssetsTest, EveryDefinedMeshLoadsStaticAndAsAHierarchy) {
    const std::set<std::string> meshes = DefinedMeshes();
    ASSERT_FALSE(meshes.empty());
    MeshCache cache(std::string(GORVANE_ASSETS_DIR) + "/packages/art.kzp", nullptr);
    testing::internal::CaptureStdout();
    for (const std::string& name : meshes) {
        const StaticMeshRecord record = cache.LoadStaticMesh(name);
        EXPECT_NE(record.m_mesh, nullptr) << name;
        if (record.m_mesh != nullptr) {
            EXPECT_GT(record.m_mesh->FaceCount(), 0u) << name;
        }
        EXPECT_NE(cache.LoadAnimatedMesh(name).m_root, nullptr) << name;
    }
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.find("Failed to load"), std::string::npos) << out;
}

} // namespace
