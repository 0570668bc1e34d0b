#include <cstdio>
#include <limits>

#include "platform/physics_fixture.h"

namespace {

using physics::Vec3;

TEST_F(PhysicsTest, FirstFrameStepsOnceOnItsTwoTimesThenALaterShortFrameWaits) {
    EXPECT_EQ(m_scene->Simulate(0.01f), 0);
    EXPECT_EQ(m_scene->Simulate(0.035f), 1);
    m_scene->Fetch();
    EXPECT_EQ(m_scene->Simulate(0.035f), 0);
    EXPECT_EQ(m_scene->Simulate(0.035f), 1); // the carried remainder completes a step
}

TEST_F(PhysicsTest, NineStepsWorthRunsEight) {
    EXPECT_EQ(m_scene->Simulate(9.5f * kStep), 8);
}

TEST_F(PhysicsTest, ZeroNegativeAndInvalidTimesRunNothing) {
    for (const float dt : {0.0f, -1.0f, std::numeric_limits<float>::quiet_NaN(),
                           std::numeric_limits<float>::infinity()}) {
        EXPECT_EQ(m_scene->Simulate(dt), 0) << dt;
    }
    EXPECT_EQ(m_scene->Simulate(kStep), 1);
}

TEST_F(PhysicsTest, PosesAreTheLastStepsNotInterpolated) {
    physics::Actor* box = Box({0.0f, 100.0f, 0.0f});
    m_scene->Simulate(1.5f * kStep);
    const float afterOneStep = box->GetPosition().y;
    m_scene->Simulate(0.25f * kStep); // owes 0.75 of a step: nothing moves
    EXPECT_EQ(box->GetPosition().y, afterOneStep);
    EXPECT_LT(afterOneStep, 100.0f);
}

TEST_F(PhysicsTest, DroppedBoxRestsOnThePlaneAtItsHalfHeightAndSleeps) {
    Ground();
    physics::Actor* box = Box({0.0f, 6.0f, 0.0f}, 1.5f);
    Frames(24 * 4);
    const Vec3 at = box->GetPosition();
    std::printf("dropped box: y = %.3f (half-height 1.5), sleeping = %s\n", at.y,
                box->IsSleeping() ? "yes" : "no");
    EXPECT_NEAR(at.y, 1.5f, 0.01f);
    EXPECT_NEAR(at.x, 0.0f, 1e-3f);
    EXPECT_TRUE(box->IsSleeping());
}

TEST_F(PhysicsTest, GravityIsTheGamesAndCanBeChanged) {
    EXPECT_FLOAT_EQ(m_scene->Gravity().y, -98.1f);
    physics::Actor* box = Box({0.0f, 100.0f, 0.0f});
    m_scene->SetGravity({0.0f, 0.0f, 0.0f});
    Frames(2);
    EXPECT_FLOAT_EQ(box->GetPosition().y, 100.0f);
}

TEST_F(PhysicsTest, MaterialsAreKeptByIndex) {
    m_scene->SetMaterial(2, physics::Material{0.0f, 0.5f, 0.25f});
    EXPECT_FLOAT_EQ(m_scene->GetMaterial(2).dynamicFriction, 0.25f);
    EXPECT_FLOAT_EQ(m_scene->GetMaterial(2).staticFriction, 0.5f);
    EXPECT_FLOAT_EQ(m_scene->GetMaterial(1).dynamicFriction, 0.0f);
    EXPECT_FLOAT_EQ(m_scene->GetMaterial(9).dynamicFriction, 0.0f);
}

TEST_F(PhysicsTest, InvalidDescriptionsMakeNoActor) {
    struct Case {
        const char* name;
        void (*edit)(physics::ActorDesc&);
    };
    const Case cases[] = {
        {"no shapes", [](physics::ActorDesc& d) { d.shapes.clear(); }},
        {"plane on a body",
         [](physics::ActorDesc& d) { d.shapes.emplace_back().kind = physics::ShapeKind::kPlane; }},
        {"flat box", [](physics::ActorDesc& d) { d.shapes[0].halfExtents.y = 0.0f; }},
        {"sphere without radius",
         [](physics::ActorDesc& d) {
             d.shapes[0].kind = physics::ShapeKind::kSphere;
             d.shapes[0].radius = -1.0f;
         }},
        {"trigger and solid mixed",
         [](physics::ActorDesc& d) {
             d.shapes.push_back(d.shapes[0]);
             d.shapes[1].trigger = true;
         }},
    };
    for (const Case& c : cases) {
        physics::ActorDesc desc = BoxDesc({0.0f, 0.0f, 0.0f});
        c.edit(desc);
        EXPECT_EQ(m_scene->CreateActor(desc), nullptr) << c.name;
    }
}

TEST_F(PhysicsTest, CompoundTakesMassFromItsShapesAndKeepsTheActorsPose) {
    physics::ActorDesc desc = BoxDesc({0.0f, 10.0f, 0.0f});
    desc.gravity = false;
    desc.shapes[0].localPose.position = {-1.0f, 0.0f, 0.0f};
    desc.shapes.push_back(desc.shapes[0]);
    desc.shapes[1].localPose.position = {1.0f, 0.0f, 0.0f};
    desc.shapes[1].mass = 3.0f;
    physics::Actor* actor = m_scene->CreateActor(desc);
    ASSERT_NE(actor, nullptr);
    EXPECT_FLOAT_EQ(actor->GetMass(), 4.0f);
    EXPECT_NEAR(actor->GetPosition().x, 0.0f, 1e-5f);
    EXPECT_NEAR(actor->GetPosition().y, 10.0f, 1e-5f);
    actor->SetPosition({5.0f, 20.0f, 0.0f});
    EXPECT_NEAR(actor->GetPosition().x, 5.0f, 1e-5f);
    EXPECT_NEAR(actor->GetPosition().y, 20.0f, 1e-5f);
}

TEST_F(PhysicsTest, DensityGivesMassWhenShapesGiveNoneAndAGivenMassWins) {
    physics::ActorDesc desc = BoxDesc({0.0f, 0.0f, 0.0f}, 0.5f, 0.0f);
    desc.density = 10.0f;
    EXPECT_FLOAT_EQ(m_scene->CreateActor(desc)->GetMass(), 10.0f);
    desc.mass = 2.5f;
    desc.inertia = {1.0f, 2.0f, 3.0f};
    physics::Actor* given = m_scene->CreateActor(desc);
    EXPECT_FLOAT_EQ(given->GetMass(), 2.5f);
    EXPECT_FLOAT_EQ(given->GetMassSpaceInertia().z, 3.0f);
}

} // namespace
