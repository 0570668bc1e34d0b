#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "graphics/mesh_cache.h"
#include "graphics/mesh_hierarchy.h"
#include "graphics/x_animation_tree.h"
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

// The glowing parts of the city: a street lamp's bulb and a store's neon signs are drawn at
// the full glow, the rest of either mesh at none. The signs stick out of the store's back
// wall as far as its awning does in front, so the box the store is centred on keeps the
// centre it had without them and the store still stands on the street.
TEST(MeshAssetsTest, LampBulbsAndNeonSignsGlowAndTheSignsLeaveTheStoreInPlace) {
    MeshCache cache(std::string(GORVANE_ASSETS_DIR) + "/packages/art.kzp", nullptr);
    const auto glowing = [&](const std::string& name) {
        const StaticMeshRecord record = cache.LoadStaticMesh(name);
        std::vector<float> glows;
        for (u32 i = 0; record.m_materials != nullptr && i < record.m_subset_count; ++i) {
            glows.push_back(MaterialGlow(record.m_materials[i]));
        }
        return glows;
    };
    EXPECT_EQ(glowing("assets/art/street_light.X"), (std::vector<float>{1.0f, kFullGlow}));
    EXPECT_EQ(glowing("assets/art/building_store.X"), (std::vector<float>{1.0f, 1.0f, kFullGlow}));
    EXPECT_EQ(glowing("assets/art/building_apartment.X"), (std::vector<float>{1.0f, 1.0f}));
    const StaticMeshRecord store = cache.LoadStaticMesh("assets/art/building_store.X");
    EXPECT_NEAR(store.m_centre_offset.x, 0.0f, 1e-4f);
    EXPECT_NEAR(store.m_centre_offset.y, 0.0f, 1e-4f);
    EXPECT_NEAR(store.m_centre_offset.z, -1.5f, 1e-4f);
}

// An emissive colour's brightest channel sets the glow; a file's colour beyond 1 or below 0
// (an artist's typo) neither blows the subset up nor darkens it.
TEST(MeshAssetsTest, MaterialGlowFollowsTheEmissiveColourWithinItsRange) {
    struct Case {
        Float3 emissive;
        float glow;
    };
    const Case cases[] = {
        {{0.0f, 0.0f, 0.0f}, 1.0f},    {{1.0f, 0.12f, 0.75f}, kFullGlow},
        {{0.0f, 0.5f, 0.2f}, 4.5f},    {{6.0f, 6.0f, 6.0f}, kFullGlow},
        {{-3.0f, -1.0f, -2.0f}, 1.0f},
    };
    for (const Case& c : cases) {
        MeshMaterialRecord material;
        material.m_emissive = c.emissive;
        EXPECT_FLOAT_EQ(MaterialGlow(material), c.glow)
            << c.emissive.x << " " << c.emissive.y << " " << c.emissive.z;
    }
}

} // namespace

namespace {

// Every set of the mesh, by name.
std::vector<std::string> SetNames(const std::string& mesh) {
    std::vector<std::string> names;
    const std::unique_ptr<AnimFrame> root(
        LoadXAnimationTree(std::string(GORVANE_ASSETS_DIR) + "/packages/art.kzp", mesh));
    EXPECT_NE(root, nullptr) << mesh;
    for (const AnimFrame* set = root ? root->m_first_child : nullptr; set != nullptr;
         set = set->m_next_sibling) {
        if (set->m_kind == AnimFrame::kAnimationSet) {
            names.push_back(set->m_name);
            EXPECT_NE(set->m_first_child, nullptr) << mesh << " " << set->m_name;
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(MeshAssetsTest, AnimatedMeshesCarryTheirSetsAndSkins) {
    using Names = std::vector<std::string>;
    EXPECT_EQ(SetNames("assets/art/tank.X"), (Names{"Shoot", "tred_rotation"}));
    EXPECT_EQ(SetNames("assets/art/helicopter.X"), Names{"Idle"});
    EXPECT_EQ(SetNames("assets/art/mothership_base.X"), Names{"Idle"});
    EXPECT_EQ(SetNames("assets/art/mothership_bfg.X"),
              (Names{"Charge", "Idle", "Open", "Rest", "Retract", "Shoot"}));
    EXPECT_EQ(SetNames("assets/art/mothership_hatch.X"), (Names{"Idle", "Spawn"}));
    EXPECT_EQ(SetNames("assets/art/ufo_boss.X"), Names{"Idle"});
    const Names citizen = SetNames("assets/art/citizen.X");
    ASSERT_FALSE(citizen.empty());
    EXPECT_EQ(citizen.front(), "Walk"); // the first set by name is the one citizens play
    EXPECT_GE(SetNames("assets/art/tiny.X").size(), 5u);

    MeshCache cache(std::string(GORVANE_ASSETS_DIR) + "/packages/art.kzp", nullptr);
    // The UFO boss turns its frames whole (its saucer is a lathed shape, not a skin).
    for (const char* skinned : {"assets/art/citizen.X", "assets/art/tiny.X"}) {
        MeshContainer* const container =
            FirstMeshContainer(cache.LoadAnimatedMeshInstance(skinned).m_root);
        ASSERT_NE(container, nullptr) << skinned;
        EXPECT_NE(container->m_skin_info, nullptr) << skinned;
    }
    bool sphere = false;
    std::vector<Frame*> frames{
        cache.LoadAnimatedMesh("assets/art/building_bowling_alley_pieces.X").m_root};
    while (!frames.empty()) {
        Frame* const frame = frames.back();
        frames.pop_back();
        for (MeshContainer* c = frame->m_mesh_container; c != nullptr; c = c->m_next) {
            sphere = sphere || c->m_name.find("Sphere") != std::string::npos;
        }
        for (Frame* f : {frame->m_sibling, frame->m_first_child}) {
            if (f != nullptr) {
                frames.push_back(f);
            }
        }
    }
    EXPECT_TRUE(sphere);
}

} // namespace
