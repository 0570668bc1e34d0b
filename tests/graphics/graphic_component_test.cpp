#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "content/file_package.h"
#include "core/component_type.h"
#include "core/game_object.h"
#include "core/handler_ids.h"
#include "core/math_functions.h"
#include "core/message.h"
#include "core/message_handler.h"
#include "core/message_router.h"
#include "core/message_types.h"
#include "core/stream_map.h"
#include "game/physics_info.h"
#include "game/piece_body.h"
#include "graphics/boss_graphic_component.h"
#include "graphics/graphic_component.h"
#include "graphics/graphics_process.h"
#include "graphics/mesh_hierarchy.h"
#include "graphics/render_settings.h"
#include "platform/gfx/mesh.h"
#include "support/graphic_stream.h"
#include "support/package_fixture.h"

namespace {

// A box from (0,0,0) to (2,4,6) as one static mesh.
const char* const kBox = R"(xof 0303txt 0032
Mesh Box {
 4; 0;0;0;, 2;0;0;, 0;4;0;, 0;0;6;;
 4; 3;0,2,1;, 3;0,1,3;, 3;0,3,2;, 3;1,2,3;;
}
)";

// A walker skinned to two bones; the second bone's frame moves it up by 1.
const char* const kWalker = R"(xof 0303txt 0032
Frame Root {
 Frame Hip {
  Frame Knee {
   FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,1,0,1;; }
  }
 }
 Mesh Body {
  3; 0;0;0;, 1;0;0;, 0;0;1;;
  1; 3;0,2,1;;
  SkinWeights { "Hip"; 1; 0; 1.0; 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; }
  SkinWeights { "Knee"; 2; 1, 2; 1.0, 1.0; 1,0,0,0, 0,1,0,0, 0,0,1,0, 0,0,0,1;; }
 }
}
)";

using graphic_stream::GraphicStream;
using graphic_stream::Parameters;

Parameters WithMesh(const std::string& mesh) {
    Parameters p;
    p.mesh = mesh;
    return p;
}

// Two pieces: a wall moved by its frame and a ball.
const char* const kPieces = R"(xof 0303txt 0032
Frame Pieces {
 Frame Wall {
  FrameTransformMatrix { 1,0,0,0, 0,1,0,0, 0,0,1,0, 10,0,0,1;; }
  Mesh WallMesh { 4; 0;0;0;, 2;0;0;, 0;4;0;, 0;0;6;; 4; 3;0,2,1;, 3;0,1,3;, 3;0,3,2;, 3;1,2,3;; }
 }
 Frame Ball {
  Mesh BallSphereMesh { 4; 0;0;0;, 1;0;0;, 0;1;0;, 0;0;1;; 4; 3;0,2,1;, 3;0,1,3;, 3;0,3,2;, 3;1,2,3;; }
 }
}
)";

// A box of no depth, and a pieces hierarchy whose one piece has none.
const char* const kFlat = R"(xof 0303txt 0032
Mesh Flat { 3; 0;0;0;, 2;0;0;, 0;4;0;; 1; 3;0,1,2;; }
)";
const char* const kFlatPieces = R"(xof 0303txt 0032
Frame Pieces {
 Frame Sheet {
  Mesh SheetMesh { 3; 0;0;0;, 2;0;0;, 0;4;0;; 1; 3;0,1,2;; }
 }
}
)";

// The renderer with an art package in a scratch working folder, as the game finds it.
class GraphicComponentTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_previous = std::filesystem::current_path();
        std::filesystem::current_path(m_folder.Path());
        const auto package =
            package_fixture::MakePackage(m_folder.Path() / "assets" / "packages", "art",
                                         {{"meshes/box.x", kBox},
                                          {"meshes/other.x", kBox},
                                          {"meshes/walker.x", kWalker},
                                          {"meshes/pieces.x", kPieces},
                                          {"meshes/flat.x", kFlat},
                                          {"meshes/flat_pieces.x", kFlatPieces}});
        ASSERT_FALSE(package.empty());
        // The package registry keeps what an earlier test registered under this relative
        // path; this test's package takes its place until TearDown puts the game's back.
        ReopenArtPackage();
        testing::internal::CaptureStdout();
        m_graphics = std::make_unique<GraphicsProcess>(nullptr, nullptr, 0, 1024.0f, 3);
        testing::internal::GetCapturedStdout();
    }
    void TearDown() override {
        m_objects.clear();
        m_graphics.reset();
        std::filesystem::current_path(m_previous);
        ReopenArtPackage();
    }
    static void ReopenArtPackage() {
        FilePackage::Get(GraphicsProcess::kArtPackage)->Open(GraphicsProcess::kArtPackage);
    }

    // A component on a new object of the type.
    GraphicComponent* Create(const std::string& objectType) {
        return Create(objectType, Parameters());
    }
    GraphicComponent* Create(const std::string& objectType, const Parameters& p) {
        StreamMap stream = GraphicStream(objectType, p);
        testing::internal::CaptureStdout();
        Component* const component = m_graphics->CreateComponent(&stream);
        testing::internal::GetCapturedStdout();
        auto* const graphic = dynamic_cast<GraphicComponent*>(component);
        if (graphic != nullptr) {
            m_objects.push_back(std::make_unique<GameObject>(objectType));
            graphic->owner = m_objects.back().get();
        }
        return graphic;
    }

    void Remove(GraphicComponent* component) {
        GameObject* const owner = component->owner;
        m_graphics->RemoveComponent(component);
        for (auto it = m_objects.begin(); it != m_objects.end(); ++it) {
            if (it->get() == owner) {
                m_objects.erase(it);
                break;
            }
        }
    }

    package_fixture::ScratchFolder m_folder;
    std::filesystem::path m_previous;
    std::unique_ptr<GraphicsProcess> m_graphics;
    // Owners only: the components are the renderer's.
    std::vector<std::unique_ptr<GameObject>> m_objects;
};

TEST_F(GraphicComponentTest, TheNineParametersReachTheComponent) {
    Parameters p;
    p.red = true;
    GraphicComponent* const component = Create("Crate", p);
    ASSERT_NE(component, nullptr);
    EXPECT_EQ(component->process, m_graphics.get());
    EXPECT_EQ(component->GetMeshName(), "assets/art/box.x");
    EXPECT_EQ(component->GetDefinitionFlag1(), 1);
    EXPECT_EQ(component->GetHdrMultiplier(), 2.0f);
    EXPECT_EQ(component->GetSpecularPower(), 16.0f);
    EXPECT_EQ(component->m_render_red, 1);
    EXPECT_FALSE(component->IsAnimated());
    ASSERT_NE(component->GetMesh(), nullptr);
    EXPECT_EQ(component->GetFaceCount(), 4u);
    EXPECT_EQ(component->GetVertexCount(), component->GetMesh()->VertexCount());
    EXPECT_EQ(component->GetCentreOffset().y, 2.0f);
    EXPECT_EQ(component->GetCentreOffsetMatrix().m[13], -2.0f);
    EXPECT_EQ(m_graphics->GraphicComponents().size(), 1u);
}

TEST_F(GraphicComponentTest, BreakableTextSetsTheFlagAndTheBrokenMesh) {
    const struct {
        const char* text;
        u8 flag;
        const char* name;
    } cases[] = {
        {"true", 1, ""},
        {"false", 0, ""},
        {"assets/art/other.x", 1, "assets/art/other.x"},
    };
    for (const auto& c : cases) {
        Parameters p;
        p.breakable = c.text;
        GraphicComponent* const component = Create("Crate", p);
        ASSERT_NE(component, nullptr);
        EXPECT_EQ(component->GetSecondHierarchy(), c.flag) << c.text;
        EXPECT_EQ(component->GetName(), c.name) << c.text;
        // A breakable component holds the broken mesh (or its own) as a second hierarchy.
        EXPECT_EQ(component->GetSecondRootFrame() != nullptr, c.flag != 0) << c.text;
    }
}

TEST_F(GraphicComponentTest, BossTypesGetTheBossComponent) {
    for (const char* type : {"Tiny", "AI-Boss-Fly-UFO", "Tinyish"}) {
        GraphicComponent* const component = Create(type);
        ASSERT_NE(component, nullptr);
        const bool boss = dynamic_cast<BossGraphicComponent*>(component) != nullptr;
        EXPECT_EQ(boss, std::string(type) != "Tinyish") << type;
        EXPECT_EQ(component->GetName(), boss ? "Boss" : "") << type;
    }
}

TEST_F(GraphicComponentTest, OnlyTheFirstCitizenIsRecordedUntilItGoes) {
    Parameters p;
    p.mesh = "assets/art/walker.x";
    p.animated = true;
    GraphicComponent* const first = Create("AI-Ground-Citizen", p);
    GraphicComponent* const second = Create("AI-Ground-Citizen", p);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(m_graphics->CitizenComponent(), first);
    EXPECT_TRUE(first->OwnsCitizenMesh());
    EXPECT_FALSE(second->OwnsCitizenMesh());
    // Citizens stay animated without animation sets and share one hierarchy.
    EXPECT_TRUE(first->IsAnimated());
    EXPECT_EQ(first->GetRootFrame(), second->GetRootFrame());

    Remove(second); // leaves the shared hierarchy whole
    EXPECT_EQ(m_graphics->CitizenComponent(), first);
    EXPECT_NE(FindFrame(first->GetRootFrame(), "Knee"), nullptr);
    Remove(first);
    EXPECT_EQ(m_graphics->CitizenComponent(), nullptr);
    EXPECT_FALSE(m_graphics->CitizenMeshBuilt());
    GraphicComponent* const third = Create("AI-Ground-Citizen", p);
    EXPECT_EQ(m_graphics->CitizenComponent(), third);
}

TEST_F(GraphicComponentTest, SkinningMovesTheWorkingMeshAfterABoneTurns) {
    Parameters p;
    p.mesh = "assets/art/walker.x";
    p.animated = true;
    GraphicComponent* const component = Create("AI-Ground-Citizen", p);
    ASSERT_NE(component, nullptr);
    EXPECT_TRUE(component->HasSkinnedContainers());
    EXPECT_EQ(component->GetMaxBones(), 2u);
    MeshContainer* const container = component->GetFirstContainer();
    ASSERT_NE(container, nullptr);
    ASSERT_NE(container->m_working_mesh, nullptr);
    component->UpdateSkinning(0.0f);
    // Vertex (1,0,0) follows the knee, one up.
    const float* p1 = container->m_working_mesh->Vertices()[2].position;
    const float* source = container->m_mesh->Vertices()[2].position;
    EXPECT_EQ(p1[1], source[1] + 1.0f);

    // Turn the hip a quarter about y: the knee's vertices turn with it.
    FindFrame(component->GetRootFrame(), "Hip")->m_transformation =
        Math::MatrixRotationY(1.5707964f);
    component->UpdateSkinning(0.0f);
    const float* turned = container->m_working_mesh->Vertices()[2].position;
    const Float3 expected = Math::Vec3TransformCoord({source[0], source[1] + 1.0f, source[2]},
                                                     Math::MatrixRotationY(1.5707964f));
    EXPECT_NEAR(turned[0], expected.x, 1e-5f);
    EXPECT_NEAR(turned[2], expected.z, 1e-5f);
    EXPECT_TRUE(container->m_working_mesh->IsDirty());
}

TEST_F(GraphicComponentTest, AnimatedWithoutSetsFallsBackToStatic) {
    Parameters p;
    p.mesh = "assets/art/walker.x";
    p.animated = true;
    GraphicComponent* const component = Create("AI-Ground-Tank", p);
    ASSERT_NE(component, nullptr);
    EXPECT_FALSE(component->IsAnimated());
    EXPECT_EQ(component->GetRootFrame(), nullptr);
    EXPECT_NE(component->GetMesh(), nullptr);
}

TEST_F(GraphicComponentTest, BumpMappedComponentsComeFirstThenByDescendingRecord) {
    // The texture cannot be loaded, so no component really has a bump map: set one by hand.
    GraphicComponent* const a = Create("A");                                 // record 0
    GraphicComponent* const b = Create("B", WithMesh("assets/art/other.x")); // record 1
    GraphicComponent* const c = Create("C");                                 // record 0
    const auto& sorted = m_graphics->GraphicComponents();
    ASSERT_EQ(sorted.size(), 3u);
    EXPECT_EQ(sorted[0], b);
    EXPECT_EQ(a->GetRecordNumber(), c->GetRecordNumber());
    // Equal keys stay in insertion order.
    EXPECT_EQ(sorted[1], a);
    EXPECT_EQ(sorted[2], c);

    static int dummy = 0;
    gfx::Texture* const anything = reinterpret_cast<gfx::Texture*>(&dummy);
    c->SetBumpMap(anything);
    EXPECT_EQ(c->SortKey(), 1000000u);
    Create("D"); // every insertion sorts again
    EXPECT_EQ(sorted[0], c);
    c->SetBumpMapByName(""); // an empty name clears it
    EXPECT_FALSE(c->HasBumpMap());
    EXPECT_EQ(c->GetBumpMap(), nullptr);
}

TEST_F(GraphicComponentTest, InitializeSetsThePerTypeFlags) {
    const struct {
        const char* type;
        u8 drawn;
        float spawnScale;
        u8 noShadow;
        u8 park;
        u8 lit;
    } cases[] = {
        {"Crate", 1, 1.0f, 0, 0, 1},
        {"AI-Spawn-Point", 0, 0.5f, 0, 0, 1},
        {"Group", 0, 1.0f, 0, 0, 1},
        {"GroupSpawn", 0, 0.5f, 0, 0, 1},
        {"CardboardCityNoShadow", 1, 1.0f, 1, 0, 1},
        {"ParkOutside", 1, 1.0f, 0, 1, 1},
        {"RobotHealth", 1, 1.0f, 0, 0, 0},
    };
    for (const auto& c : cases) {
        GraphicComponent* const component = Create(c.type);
        component->Initialize();
        EXPECT_EQ(component->m_drawn, c.drawn) << c.type;
        EXPECT_EQ(component->m_spawn_scale, c.spawnScale) << c.type;
        EXPECT_EQ(component->m_spawned, c.spawnScale == 0.5f ? 1 : 0) << c.type;
        EXPECT_EQ(component->m_no_shadow_set, c.noShadow) << c.type;
        EXPECT_EQ(component->m_park, c.park) << c.type;
        EXPECT_EQ(component->m_lit, c.lit) << c.type;
    }
}

TEST_F(GraphicComponentTest, UpdatePlacesTheBoxAndTrimsBuildingShadows) {
    for (const char* type : {"BuildingSchool", "Crate"}) {
        GraphicComponent* const component = Create(type);
        GameObject& owner = *component->owner;
        owner.scale = Vector(2, 2, 2);
        owner.position = Vector(10, 0, 0);
        component->Update(0.0f);
        const Float4x4& world = *component->GetWorldMatrix();
        EXPECT_EQ(world.m[0], 2.0f);
        EXPECT_EQ(world.m[12], 10.0f);
        const float shadowScale = component->GetShadowWorldMatrix().m[0];
        EXPECT_FLOAT_EQ(shadowScale, std::string(type) == "Crate" ? 2.0f : 1.99f) << type;
        // Local box (-1,-2,-3)-(1,2,3) doubled and moved.
        const BoxRecord& box = component->GetWorldBox();
        EXPECT_EQ(box.min.x, 8.0f);
        EXPECT_EQ(box.max.x, 12.0f);
        EXPECT_EQ(box.max.z, 6.0f);
    }
}

TEST_F(GraphicComponentTest, WithoutAMeshTheWorldBoxStaysEmpty) {
    GraphicComponent* const component = Create("Crate", WithMesh("assets/art/missing.x"));
    ASSERT_NE(component, nullptr);
    EXPECT_EQ(component->GetMesh(), nullptr);
    component->Update(0.0f);
    const BoxRecord& box = component->GetWorldBox();
    EXPECT_EQ(box.min.x, FLT_MAX);
    EXPECT_EQ(box.max.x, -FLT_MAX);
    EXPECT_TRUE(std::isfinite(box.corners[0].x) || box.corners[0].x == 0.0f);
}

TEST_F(GraphicComponentTest, UpdateComponentReappliesTheDefinitionToItsType) {
    GraphicComponent* const crate = Create("Crate");
    GraphicComponent* const barrel = Create("Barrel");
    Parameters p;
    p.mesh = "assets/art/other.x";
    p.hdr = 5.0f;
    p.red = true;
    p.castShadow = false;
    StreamMap stream = GraphicStream("Crate", p);
    testing::internal::CaptureStdout();
    m_graphics->UpdateComponent(&stream);
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(crate->GetHdrMultiplier(), 5.0f);
    EXPECT_EQ(crate->m_render_red, 1);
    EXPECT_EQ(crate->GetDefinitionFlag1(), 0);
    EXPECT_EQ(crate->GetMeshName(), "assets/art/other.x");
    EXPECT_EQ(barrel->GetHdrMultiplier(), 2.0f);
    EXPECT_EQ(m_graphics->GraphicComponents().front(), crate); // other.x: the higher number
}

TEST_F(GraphicComponentTest, ShadowSplitVisibilityCountsOnlyTheUsedSplits) {
    GraphicComponent* const component = Create("Crate");
    EXPECT_FALSE(component->IsInAnyShadowSplit());
    component->SetVisibleInSplit(g_shadow_split_count, 1); // beyond the renderer's splits
    EXPECT_FALSE(component->IsInAnyShadowSplit());
    component->SetVisibleInSplit(g_shadow_split_count - 1, 1);
    EXPECT_TRUE(component->IsInAnyShadowSplit());
}

TEST_F(GraphicComponentTest, CollisionMeshDataGivesOneShapePerContainer) {
    std::vector<PhysicsInfo> records;
    Message<CollisionMeshRequest> ask(MSG_GRAPHICS_GET_COLLISION_MESH_DATA,
                                      {&records, {"assets/art/pieces.x", nullptr}});
    m_graphics->HandleMessage(&ask, 0);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].m_name, "WallMesh");
    EXPECT_EQ(records[0].m_dimensions[1], 2.0f);
    EXPECT_EQ(records[0].m_translation[0], 11.0f); // box centre (1,2,3) moved by the frame
    EXPECT_EQ(records[0].m_translation[2], 3.0f);
    EXPECT_EQ(records[0].m_mass, 48.0f);
    EXPECT_EQ(records[1].m_name, PhysicsInfo::kSphereName);

    // Through the object: its own mesh, or its broken pieces when it has them.
    Parameters breakable;
    breakable.breakable = "assets/art/pieces.x";
    for (const Parameters& p : {Parameters(), breakable}) {
        GraphicComponent* const component = Create("Crate", p);
        component->owner->AddComponent(ComponentType::Graphic, component);
        records.clear();
        Message<CollisionMeshRequest> byObject(MSG_GRAPHICS_GET_COLLISION_MESH_DATA,
                                               {&records, {"", component->owner}});
        m_graphics->HandleMessage(&byObject, 0);
        EXPECT_EQ(records.size(), p.breakable == "false" ? 1u : 2u);
    }
}

// The running level: makes each object asked for with a graphic component of the box.
class FakeLevel : public MessageHandler {
  public:
    explicit FakeLevel(GraphicsProcess* graphics) : m_graphics(graphics) {}

    void HandleMessage(BaseMessage* message, u32 fromId) override {
        const std::string* type = message->Payload<std::string>();
        if (message->type != MSG_LEVEL_CREATE_OBJECT || type == nullptr) {
            return;
        }
        auto object = std::make_unique<GameObject>(*type);
        StreamMap stream;
        stream.AddString("Object", *type);
        stream.AddString("Component", "Graphic");
        stream.AddString("Mesh", "assets/art/box.x");
        testing::internal::CaptureStdout();
        Component* const component = m_graphics->CreateComponent(&stream);
        testing::internal::GetCapturedStdout();
        object->AddComponent(ComponentType::Graphic, component);
        Message<GameObject*> reply(MSG_LEVEL_OBJECT_CREATED, object.get());
        m_objects.push_back(std::move(object));
        SendMessage(&reply, fromId);
    }

    GraphicsProcess* m_graphics;
    std::vector<std::unique_ptr<GameObject>> m_objects;
};

TEST_F(GraphicComponentTest, BreakingMakesOneObjectPerPieceInFrameOrder) {
    MessageRouter router;
    m_graphics->Bind(&router, GraphicsProcess::kHandlerId);
    FakeLevel level(m_graphics.get());
    level.Bind(&router, HANDLER_LEVEL_STATE);

    Parameters plain;
    GraphicComponent* const solid = Create("BuildingBowlingAlley", plain);
    Message<std::pair<GraphicComponent*, bool>> ignored(MSG_GRAPHICS_BREAK_OBJECT, {solid, true});
    m_graphics->HandleMessage(&ignored, 0);
    EXPECT_TRUE(level.m_objects.empty()); // not breakable

    const struct {
        const char* type;
        const char* ballType;
    } cases[] = {{"BuildingBowlingAlley", "BuildingBowlingBall"},
                 {"BuildingStore", "BuildingBlock"}};
    for (const auto& c : cases) {
        level.m_objects.clear();
        Parameters breakable;
        breakable.hdr = 3.0f;
        breakable.breakable = "assets/art/pieces.x";
        GraphicComponent* const broken = Create(c.type, breakable);
        broken->owner->position = Vector(100, 0, 0);
        broken->Update(0.0f);
        Message<std::pair<GraphicComponent*, bool>> message(MSG_GRAPHICS_BREAK_OBJECT,
                                                            {broken, true});
        m_graphics->HandleMessage(&message, 0);
        EXPECT_TRUE(m_graphics->LastBreakFlag());
        ASSERT_EQ(level.m_objects.size(), 2u) << c.type;
        EXPECT_EQ(level.m_objects[0]->name, "BuildingBlock");
        EXPECT_EQ(level.m_objects[1]->name, c.ballType);
        auto* const wall = dynamic_cast<GraphicComponent*>(
            level.m_objects[0]->GetComponent(ComponentType::Graphic));
        ASSERT_NE(wall, nullptr);
        EXPECT_EQ(wall->GetMesh(), FirstMeshContainer(broken->GetSecondRootFrame())->m_mesh);
        EXPECT_EQ(wall->GetHdrMultiplier(), 3.0f);
        EXPECT_FALSE(wall->IsAnimated());
        EXPECT_EQ(wall->GetSecondHierarchy(), 0);
        // The wall's frame sits 10 along x in a mesh re-centred by (1, 2, 3).
        EXPECT_EQ(level.m_objects[0]->position.x, 109.0f);
        EXPECT_EQ(level.m_objects[0]->position.y, -2.0f);
        EXPECT_TRUE(level.m_objects[0]->positionChanged);
    }
    level.m_objects.clear();
    m_objects.clear();
    m_graphics->Bind(nullptr, GraphicsProcess::kHandlerId); // the router goes first
}

// The level of FakeLevel whose objects have ids on the router and a stand-in body that
// keeps what the renderer tells it.
class PieceBodyLevel : public FakeLevel {
  public:
    class Body : public Component {
      public:
        void Update(float) override {}
        void HandleMessage(BaseMessage* message, u32) override {
            if (const PieceBody* body = message->Payload<PieceBody>()) {
                if (message->type == MSG_PHYSICS_PIECE_BODY) {
                    bodies.push_back(*body);
                }
            }
        }
        std::vector<PieceBody> bodies;
    };

    PieceBodyLevel(GraphicsProcess* graphics, MessageRouter* router)
        : FakeLevel(graphics), m_router(router) {}
    ~PieceBodyLevel() override {
        for (std::size_t i = 0; i < m_bodies.size(); ++i) {
            m_objects[i]->RemoveComponent(m_bodies[i].get(), false);
        }
    }

    void HandleMessage(BaseMessage* message, u32 fromId) override {
        const std::size_t before = m_objects.size();
        // The object gets its id and body before the reply reaches the renderer.
        if (message->type == MSG_LEVEL_CREATE_OBJECT) {
            m_pending_id = m_next_id++;
        }
        FakeLevel::HandleMessage(message, fromId);
        if (m_objects.size() == before + 1) {
            GameObject& made = *m_objects.back();
            made.id = m_pending_id;
            made.SetRouterParent(m_router);
            m_bodies.push_back(std::make_unique<Body>());
            made.AddComponent(ComponentType::Physics, m_bodies.back().get());
        }
    }

    MessageRouter* m_router;
    u32 m_next_id = kFirstObjectId;
    u32 m_pending_id = 0;
    std::vector<std::unique_ptr<Body>> m_bodies;
};

TEST_F(GraphicComponentTest, EachPieceTellsItsBodyItsBoxAndAFiniteShareOfTheBrokenOne) {
    MessageRouter router;
    m_graphics->Bind(&router, GraphicsProcess::kHandlerId);
    struct Case {
        const char* type;
        const char* mesh;
        const char* pieces;
        bool flag;
        // Per piece in frame order: share, whether a sphere.
        std::vector<std::pair<float, bool>> expected;
    } cases[] = {
        // The wall's box is the broken box (0,0,0)-(2,4,6); the ball's is 1 of its 48.
        {"BuildingStore",
         "assets/art/box.x",
         "assets/art/pieces.x",
         true,
         {{1.0f, false}, {1.0f / 48.0f, true}}},
        // (other.x is the same box under another name.)
        {"BuildingApartment",
         "assets/art/other.x",
         "assets/art/flat_pieces.x",
         false,
         {{PieceBody::kMinVolumeShare, false}}},
        {"BuildingHighrise",
         "assets/art/flat.x",
         "assets/art/pieces.x",
         true,
         {{1.0f, false}, {1.0f, true}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.mesh << " broken into " << c.pieces);
        PieceBodyLevel level(m_graphics.get(), &router);
        level.Bind(&router, HANDLER_LEVEL_STATE);
        Parameters breakable;
        breakable.mesh = c.mesh;
        breakable.breakable = c.pieces;
        GraphicComponent* const broken = Create(c.type, breakable);
        ASSERT_NE(broken, nullptr);
        broken->Update(0.0f);
        Message<std::pair<GraphicComponent*, bool>> message(MSG_GRAPHICS_BREAK_OBJECT,
                                                            {broken, c.flag});
        m_graphics->HandleMessage(&message, 0);
        ASSERT_EQ(level.m_bodies.size(), c.expected.size());
        for (std::size_t i = 0; i < c.expected.size(); ++i) {
            ASSERT_EQ(level.m_bodies[i]->bodies.size(), 1u) << i;
            const PieceBody& body = level.m_bodies[i]->bodies[0];
            EXPECT_EQ(body.m_broken, broken->owner);
            EXPECT_TRUE(std::isfinite(body.m_volume_share));
            EXPECT_NEAR(body.m_volume_share, c.expected[i].first, 1e-6f) << i;
            EXPECT_EQ(body.m_sphere, c.expected[i].second) << i;
            EXPECT_EQ(body.m_awake, c.flag);
            EXPECT_TRUE(std::isfinite(body.m_radius));
        }
        if (c.expected.size() == 2) {
            // The wall's half sizes are its mesh's.
            const PieceBody& wall = level.m_bodies[0]->bodies[0];
            EXPECT_FLOAT_EQ(wall.m_half_extents.x, 1.0f);
            EXPECT_FLOAT_EQ(wall.m_half_extents.y, 2.0f);
            EXPECT_FLOAT_EQ(wall.m_half_extents.z, 3.0f);
        }
        router.RemoveHandler(&level);
    }
    m_objects.clear();
    m_graphics->Bind(nullptr, GraphicsProcess::kHandlerId);
}

TEST(BossGraphicComponentTest, TheBlendFactorRisesByStepsAndStopsJustAboveOne) {
    BossGraphicComponent boss("Tiny", nullptr, nullptr, "", 0, 0.0f, 1.0f, 0, 0);
    EXPECT_EQ(boss.GetName(), "Boss");
    ASSERT_EQ(boss.Poses().size(), BossGraphicComponent::kPoseCount);
    for (const Quaternion& q : boss.Poses()) {
        EXPECT_NEAR(q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w, 1.0f, 1e-5f);
    }
    EXPECT_EQ(boss.Target().x, boss.Poses().back().x);

    boss.UpdateSkinning(0.1f); // not turning: nothing grows
    EXPECT_EQ(boss.BlendFactor(), 0.0f);
    boss.ResetAnimationPose();
    std::vector<float> factors;
    while (boss.IsRising()) {
        boss.UpdateSkinning(0.1f);
        factors.push_back(boss.BlendFactor());
    }
    ASSERT_GE(factors.size(), 3u);
    EXPECT_NEAR(factors[0], 0.03f, 1e-6f);
    EXPECT_NEAR(factors[1], 0.06f, 1e-6f);
    EXPECT_GT(factors.back(), 1.0f);
    EXPECT_LE(factors[factors.size() - 2], 1.0f);
    boss.UpdateSkinning(0.1f);
    EXPECT_EQ(boss.BlendFactor(), factors.back()); // no longer rising
    EXPECT_NEAR(boss.BlendTime(), 0.1f * static_cast<float>(factors.size() + 1), 1e-4f);
}

TEST(BossGraphicComponentTest, TurningBlendsEveryBoneButTheRoot) {
    BossGraphicComponent boss("Tiny", nullptr, nullptr, "", 0, 0.0f, 1.0f, 0, 0);
    AllocMeshHierarchy allocator;
    Frame* const root = allocator.CreateFrame("Root");
    root->m_transformation = Math::MatrixTranslation(0, 0, 5);
    Frame* const bone = allocator.CreateFrame("Bone");
    bone->m_transformation = Math::MatrixTranslation(1, 2, 3);
    root->m_first_child = bone;

    boss.UpdateFrameMatrices(root, nullptr); // not turning: plain products
    EXPECT_EQ(bone->m_combined.m[14], 8.0f);

    boss.ResetAnimationPose();
    for (int i = 0; i < 40; ++i) {
        boss.UpdateSkinning(0.1f); // no hierarchy of its own: only the factor moves
    }
    boss.UpdateFrameMatrices(root, nullptr);
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(root->m_combined.m[i], root->m_transformation.m[i]);
    }
    // The bone keeps its position, and its rotation is the slerp to (just past) the target.
    EXPECT_NEAR(bone->m_combined.m[12], 1.0f, 1e-5f);
    EXPECT_NEAR(bone->m_combined.m[14], 8.0f, 1e-5f);
    const Quaternion turned =
        Math::QuaternionSlerp(Quaternion{}, boss.Target(), boss.BlendFactor());
    const Float4x4 expected = Math::MatrixRotationQuaternion(turned);
    const Float4x4 composed = ComposeTransformMatrix({1, 1, 1}, turned, {0, 0, 0});
    for (int i = 0; i < 11; ++i) {
        EXPECT_NEAR(composed.m[i], expected.m[i], 1e-6f);
        EXPECT_NEAR(bone->m_combined.m[i], expected.m[i], 1e-5f);
    }
    DestroyFrameHierarchy(root, allocator);
}

} // namespace
