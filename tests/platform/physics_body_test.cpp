#include <cmath>

#include "platform/physics_fixture.h"

namespace {

using physics::Vec3;

TEST_F(PhysicsTest, DampingScalesSpeedEachStep) {
    struct Case {
        float damping;
        float kept;
    };
    // Per step of 1/24 s: max(0, 1 - c / 24), for c above 1 too.
    const Case cases[] = {{0.0f, 1.0f}, {4.0f, 5.0f / 6.0f}, {12.0f, 0.5f}, {30.0f, 0.0f}};
    for (const Case& c : cases) {
        physics::Actor* box = FloatingBox(2.0f);
        box->SetLinearDamping(c.damping);
        box->SetAngularDamping(c.damping);
        box->AddImpulse({12.0f, 0.0f, 0.0f});
        box->SetAngularVelocity({0.0f, 3.0f, 0.0f});
        Frames(1);
        EXPECT_NEAR(box->GetLinearVelocity().x, 6.0f * c.kept, 1e-4f) << c.damping;
        EXPECT_NEAR(box->GetAngularVelocity().y, 3.0f * c.kept, 1e-4f) << c.damping;
        m_scene->ReleaseActor(box);
    }
}

TEST_F(PhysicsTest, ImpulseAndVelocityWriteAddUpInEitherOrder) {
    for (const bool impulseFirst : {true, false}) {
        physics::Actor* box = FloatingBox(2.0f);
        if (impulseFirst) {
            box->AddImpulse({4.0f, 0.0f, 0.0f});
            box->SetLinearVelocity({1.0f, 0.0f, 0.0f});
        } else {
            box->SetLinearVelocity({1.0f, 0.0f, 0.0f});
            box->AddImpulse({4.0f, 0.0f, 0.0f});
        }
        EXPECT_FLOAT_EQ(box->GetLinearVelocity().x, 1.0f); // the impulse waits for the step
        Frames(1);
        EXPECT_NEAR(box->GetLinearVelocity().x, 3.0f, 1e-4f) << impulseFirst;
        m_scene->ReleaseActor(box);
    }
}

TEST_F(PhysicsTest, PushesWaitThroughFramesWithoutAStep) {
    physics::Actor* box = FloatingBox();
    box->AddForce({24.0f, 0.0f, 0.0f});
    box->AddImpulse({0.0f, 0.0f, 2.0f});
    EXPECT_EQ(m_scene->Simulate(0.01f), 0);
    m_scene->Fetch();
    EXPECT_FLOAT_EQ(box->GetLinearVelocity().x, 0.0f);
    EXPECT_EQ(m_scene->Simulate(kStep), 1);
    EXPECT_NEAR(box->GetLinearVelocity().x, 1.0f, 1e-4f); // 24 units of force for 1/24 s
    EXPECT_NEAR(box->GetLinearVelocity().z, 2.0f, 1e-4f);
    Frames(1);
    EXPECT_NEAR(box->GetLinearVelocity().x, 1.0f, 1e-4f); // spent: no longer pushing
}

TEST_F(PhysicsTest, ImpulsesLandOnceAndForcesEveryStepOfACall) {
    physics::Actor* box = FloatingBox();
    box->AddForce({24.0f, 0.0f, 0.0f});
    box->AddImpulse({0.0f, 0.0f, 2.0f});
    box->AddTorque({0.0f, 0.0f, 0.0f});
    EXPECT_EQ(m_scene->Simulate(2.0f * kStep), 2);
    EXPECT_NEAR(box->GetLinearVelocity().x, 2.0f, 1e-4f);
    EXPECT_NEAR(box->GetLinearVelocity().z, 2.0f, 1e-4f);
}

// A long frame of eight steps: the plain impulse lands whole at the first step and carries the
// body eight steps at full speed; the smooth one reaches the same speed an eighth at a time,
// so the body covers 1+2+...+8 eighths of a step's travel instead of eight whole ones. A frame
// without a step keeps the smooth impulse for the next.
TEST_F(PhysicsTest, ASmoothImpulseIsSharedOutOverTheStepsOfACall) {
    physics::Actor* plain = FloatingBox();
    physics::Actor* smooth = FloatingBox();
    const float startX = smooth->GetPosition().x;
    plain->AddImpulse({8.0f, 0.0f, 0.0f});
    smooth->AddSmoothImpulse({4.0f, 0.0f, 0.0f});
    EXPECT_EQ(m_scene->Simulate(0.01f), 0);
    m_scene->Fetch();
    smooth->AddSmoothImpulse({4.0f, 0.0f, 0.0f});
    EXPECT_EQ(m_scene->Simulate(8.0f * kStep), 8);
    m_scene->Fetch();
    EXPECT_NEAR(plain->GetLinearVelocity().x, 8.0f, 1e-3f);
    EXPECT_NEAR(smooth->GetLinearVelocity().x, 8.0f, 1e-3f);
    EXPECT_NEAR(plain->GetPosition().x - startX, 8.0f * 8.0f * kStep, 1e-3f);
    EXPECT_NEAR(smooth->GetPosition().x - startX, 36.0f * kStep, 1e-3f);
    Frames(1);
    EXPECT_NEAR(smooth->GetLinearVelocity().x, 8.0f, 1e-3f); // spent
}

TEST_F(PhysicsTest, FrozenAxisHoldsUnderGravityAndVelocityWrites) {
    physics::Actor* box = Box({0.0f, 20.0f, 0.0f});
    box->RaiseBodyFlags(physics::body_flag::kFrozenPosY | physics::body_flag::kFrozenRot);
    EXPECT_EQ(box->BodyFlags(), 4u | 16u | 32u | 64u);
    box->SetLinearVelocity({3.0f, 7.0f, 0.0f});
    EXPECT_FLOAT_EQ(box->GetLinearVelocity().y, 0.0f);
    box->AddImpulse({0.0f, 50.0f, 0.0f});
    box->AddTorque({10.0f, 10.0f, 10.0f});
    Frames(12);
    EXPECT_FLOAT_EQ(box->GetPosition().y, 20.0f);
    EXPECT_NEAR(box->GetPosition().x, 1.5f, 1e-3f);
    EXPECT_FLOAT_EQ(box->GetOrientation().w, 1.0f);

    box->ClearBodyFlags(physics::body_flag::kFrozen);
    EXPECT_EQ(box->BodyFlags(), 0u);
    Frames(2);
    EXPECT_LT(box->GetPosition().y, 20.0f);
}

TEST_F(PhysicsTest, GravityCanBeSwitchedPerBody) {
    physics::Actor* box = Box({0.0f, 20.0f, 0.0f});
    box->SetGravityEnabled(false);
    EXPECT_FALSE(box->GravityEnabled());
    Frames(6);
    EXPECT_FLOAT_EQ(box->GetPosition().y, 20.0f);
    box->SetGravityEnabled(true);
    Frames(2);
    EXPECT_LT(box->GetPosition().y, 20.0f);
}

TEST_F(PhysicsTest, MasksDecideWhoTouches) {
    struct Case {
        std::uint32_t groundMask, boxMask;
        bool rests;
    };
    const Case cases[] = {{5, 5, false}, {5, 6, true}, {0, 0, false}, {0, 1, true}};
    for (const Case& c : cases) {
        physics::Actor* ground = Ground(c.groundMask);
        physics::Actor* box = Box({0.0f, 3.0f, 0.0f}, 1.0f, 1.0f, c.boxMask);
        Frames(24);
        EXPECT_EQ(box->GetPosition().y > 0.5f, c.rests) << c.groundMask << " " << c.boxMask;
        m_scene->ReleaseActor(box);
        m_scene->ReleaseActor(ground);
    }
}

TEST_F(PhysicsTest, ChangingAMaskMeetsTheFilterAgain) {
    Ground(1);
    physics::Actor* box = Box({0.0f, 3.0f, 0.0f}, 1.0f, 1.0f, 2);
    Frames(24);
    EXPECT_NEAR(box->GetPosition().y, 1.0f, 0.01f);
    box->SetGroupsMask(1);
    EXPECT_EQ(box->GroupsMask(), 1u);
    box->WakeUp();
    Frames(12);
    EXPECT_LT(box->GetPosition().y, -1.0f);
}

TEST_F(PhysicsTest, KinematicAndBackKeepsTheMass) {
    physics::Actor* box = Box({0.0f, 20.0f, 0.0f}, 1.0f, 3.0f);
    box->SetKinematic(true);
    EXPECT_TRUE(box->IsKinematic());
    EXPECT_TRUE(box->IsDynamic());
    EXPECT_FLOAT_EQ(box->GetMass(), 3.0f);
    Frames(6);
    EXPECT_FLOAT_EQ(box->GetPosition().y, 20.0f);
    box->SetPosition({0.0f, 30.0f, 0.0f}); // kinematic bodies are placed by hand
    EXPECT_FLOAT_EQ(box->GetPosition().y, 30.0f);

    box->SetKinematic(false);
    EXPECT_FALSE(box->IsKinematic());
    EXPECT_FLOAT_EQ(box->GetMass(), 3.0f);
    box->SetGravityEnabled(false);
    box->AddImpulse({6.0f, 0.0f, 0.0f});
    Frames(1);
    EXPECT_NEAR(box->GetLinearVelocity().x, 2.0f, 1e-4f);
}

TEST_F(PhysicsTest, KinematicBodyPushesButIsNotPushed) {
    Ground();
    physics::ActorDesc wall = BoxDesc({0.0f, 1.0f, 0.0f}, 1.0f, 1.0f, 3);
    wall.body = physics::BodyKind::kKinematic;
    physics::Actor* kinematic = m_scene->CreateActor(wall);
    EXPECT_FALSE(kinematic->IsSleeping());
    physics::Actor* box = Box({2.5f, 1.0f, 0.0f});
    box->SetLinearVelocity({-20.0f, 0.0f, 0.0f});
    Frames(12);
    EXPECT_FLOAT_EQ(kinematic->GetPosition().x, 0.0f);
    EXPECT_GT(box->GetPosition().x, 1.9f);
}

TEST_F(PhysicsTest, FrictionIsTheMeanOfBothMaterials) {
    struct Case {
        float groundFriction, boxFriction;
        bool stops;
    };
    const Case cases[] = {{1.0f, 0.0f, true}, {0.0f, 0.0f, false}};
    for (const Case& c : cases) {
        m_scene->SetMaterial(1, physics::Material{0.0f, 0.0f, c.groundFriction});
        m_scene->SetMaterial(2, physics::Material{0.0f, 0.0f, c.boxFriction});
        physics::Actor* ground = Ground(1, 1);
        physics::ActorDesc desc = BoxDesc({0.0f, 1.0f, 0.0f});
        desc.shapes[0].material = 2;
        physics::Actor* box = m_scene->CreateActor(desc);
        box->SetLinearVelocity({20.0f, 0.0f, 0.0f});
        Frames(48);
        EXPECT_EQ(std::abs(box->GetLinearVelocity().x) < 0.1f, c.stops) << c.groundFriction;
        m_scene->ReleaseActor(box);
        m_scene->ReleaseActor(ground);
    }
}

TEST_F(PhysicsTest, PoseWritesTeleportAndKeepASleeperAsleep) {
    Ground();
    physics::Actor* box = Box({0.0f, 1.0f, 0.0f});
    box->PutToSleep();
    EXPECT_TRUE(box->IsSleeping());
    box->SetPosition({4.0f, 1.0f, 0.0f});
    box->SetOrientation({0.0f, 0.70710678f, 0.0f, 0.70710678f});
    EXPECT_TRUE(box->IsSleeping());
    Frames(2);
    EXPECT_TRUE(box->IsSleeping());
    EXPECT_FLOAT_EQ(box->GetPosition().x, 4.0f);
    EXPECT_NEAR(box->GetOrientation().y, 0.70710678f, 1e-5f);
}

TEST_F(PhysicsTest, StaticActorsIgnorePoseAndVelocityWrites) {
    physics::ActorDesc desc = BoxDesc({1.0f, 2.0f, 3.0f});
    desc.body = physics::BodyKind::kStatic;
    physics::Actor* wall = m_scene->CreateActor(desc);
    EXPECT_FALSE(wall->IsDynamic());
    wall->SetPosition({9.0f, 9.0f, 9.0f});
    wall->SetLinearVelocity({1.0f, 0.0f, 0.0f});
    wall->AddImpulse({1.0f, 0.0f, 0.0f});
    Frames(1);
    EXPECT_FLOAT_EQ(wall->GetPosition().x, 1.0f);
    EXPECT_FLOAT_EQ(wall->GetLinearVelocity().x, 0.0f);
    EXPECT_FLOAT_EQ(wall->GetMass(), 0.0f);
}

TEST_F(PhysicsTest, WakeCounterKeepsABodyAwakeThatLong) {
    Ground();
    physics::Actor* box = Box({0.0f, 1.0f, 0.0f});
    Frames(48);
    ASSERT_TRUE(box->IsSleeping());
    box->WakeUp(2.0f);
    EXPECT_FALSE(box->IsSleeping());
    Frames(36); // 1.5 s
    EXPECT_FALSE(box->IsSleeping());
    Frames(24);
    EXPECT_TRUE(box->IsSleeping());
}

TEST_F(PhysicsTest, PushWakesASleeperUnlessToldNot) {
    Ground();
    physics::Actor* box = Box({0.0f, 1.0f, 0.0f});
    box->PutToSleep();
    box->AddImpulse({0.0f, 0.0f, 0.0f}, false);
    EXPECT_TRUE(box->IsSleeping());
    box->AddImpulse({0.0f, 10.0f, 0.0f});
    EXPECT_FALSE(box->IsSleeping());
    Frames(1);
    EXPECT_GT(box->GetPosition().y, 1.0f);
}

TEST_F(PhysicsTest, MassAndInertiaCanBeSet) {
    physics::Actor* box = FloatingBox(1.0f);
    box->SetMass(4.0f);
    box->SetMassSpaceInertia({2.0f, 2.0f, 2.0f});
    EXPECT_FLOAT_EQ(box->GetMass(), 4.0f);
    EXPECT_FLOAT_EQ(box->GetMassSpaceInertia().x, 2.0f);
    box->AddImpulse({8.0f, 0.0f, 0.0f});
    Frames(1);
    EXPECT_NEAR(box->GetLinearVelocity().x, 2.0f, 1e-4f);
}

} // namespace

namespace {

TEST_F(PhysicsTest, SweptMotionStopsAFastBodyAtAThinWall) {
    for (const bool swept : {false, true}) {
        physics::ActorDesc wallDesc = BoxDesc({0.0f, 0.0f, 0.0f}, 1.0f, 1.0f, 1);
        wallDesc.body = physics::BodyKind::kStatic;
        wallDesc.shapes[0].halfExtents = {0.1f, 10.0f, 10.0f};
        physics::Actor* wall = m_scene->CreateActor(wallDesc);
        physics::ActorDesc ballDesc = BoxDesc({-5.0f, 0.0f, 0.0f});
        ballDesc.shapes[0].kind = physics::ShapeKind::kSphere;
        ballDesc.shapes[0].radius = 0.5f;
        ballDesc.gravity = false;
        if (swept) {
            ballDesc.ccdMotionThreshold = 100.0f;
            ballDesc.ccdSweptRadius = 0.5f;
        }
        physics::Actor* ball = m_scene->CreateActor(ballDesc);
        ball->SetLinearVelocity({600.0f, 0.0f, 0.0f}); // 25 units a step
        Frames(3);
        EXPECT_EQ(ball->GetPosition().x < 0.0f, swept) << ball->GetPosition().x;
        m_scene->ReleaseActor(ball);
        m_scene->ReleaseActor(wall);
    }
}

} // namespace
