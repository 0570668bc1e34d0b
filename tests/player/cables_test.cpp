// The body's five cables on a rig whose clip moves and turns every part, the body too.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "animation/joint.h"
#include "core/bounds.h"
#include "core/math_functions.h"
#include "graphics/beam_mesh.h"
#include "graphics/graphic_component.h"
#include "hand_fixture.h"

namespace {

using hand::Hand;

// A part's joint at a time of the clip "Swing": each part a little further out and turned
// further about its own axis as time goes on.
AnimationJoint* SwingJoint(int slot, float time) {
    const Vector rest[Skeleton::kSlotCount] = {
        Vector(0.0f, 12.0f, 0.0f), Vector(0.0f, 18.0f, 0.0f), Vector(-6.0f, 14.0f, 0.0f),
        Vector(6.0f, 14.0f, 0.0f), Vector(-2.5f, 5.0f, 0.0f), Vector(2.5f, 5.0f, 0.0f)};
    const Vector drift(0.5f * time * static_cast<float>(slot + 1), 0.75f * time, -0.25f * time);
    const float angle = 0.6f * time * static_cast<float>(slot + 1) / 3.0f;
    const Float4x4 turn =
        slot % 2 == 0 ? Math::MatrixRotationX(angle) : Math::MatrixRotationZ(angle);
    return new AnimationJoint(Math::QuaternionRotationMatrix(turn), rest[slot] + drift, 1.0f);
}

class Cables : public Hand {
  protected:
    Cables() {
        // The base stands off the origin and turned, so the body's frame is not the world's.
        robot->position = Vector(100.0f, 0.0f, 50.0f);
        robot->orientation = Math::QuaternionRotationMatrix(Math::MatrixRotationY(0.5f));
        for (int slot = 0; slot < Skeleton::kSlotCount; ++slot) {
            auto* joint = new JointComponent(parts[slot]->name);
            parts[slot]->AddComponent(ComponentType::Joint, joint);
            ownComponents[parts[slot].get()].push_back(joint);
            skeleton.AddJoint(joint);
        }
        boost::shared_ptr<Animation> swing(new Animation("Swing"));
        for (const float time : {0.0f, 1.0f, 2.0f}) {
            Skeleton pose(true);
            for (int slot = 0; slot < Skeleton::kSlotCount; ++slot) {
                pose.AddJoint(SwingJoint(slot, time));
            }
            swing->AddKeyFrame(time, pose);
        }
        animation->m_animations["Swing"] = swing;
        // The body mesh, then one tube for each cable.
        AddGraphic(Float3{-4.0f, -4.5f, -2.5f}, Float3{4.0f, 4.5f, 2.5f});
        for (u32 i = 0; i < PlayerChildComponent::kCableCount; ++i) {
            AddGraphic(Float3{-0.4f, -5.0f, -0.4f}, Float3{0.4f, 5.0f, 0.4f});
        }
        child =
            dynamic_cast<PlayerChildComponent*>(parts[0]->GetComponent(ComponentType::PlayerChild));
        child->Initialize();
        animation->PlayAnimation(0, "Swing", 0.0f);
    }

    GraphicComponent* AddGraphic(const Float3& min, const Float3& max) {
        auto* graphic =
            new GraphicComponent("RobotBody", nullptr, nullptr, "", 0, 0.0f, 1.0f, 0, 0, "");
        BoxRecord box;
        BoundingBox::ComputeCorners(box, min, max);
        graphic->SetBoundingBox(box);
        parts[0]->AddComponent(ComponentType::Graphic, graphic);
        bodies.push_back(graphic);
        ownComponents[parts[0].get()].push_back(graphic);
        graphics.push_back(graphic);
        return graphic;
    }

    // Poses the rig and bends the cables, as the animation and player processes do (the
    // robot's own frame stays out: its moves would change the clip).
    void Step(float dt) {
        animation->Update(dt);
        child->Update(dt);
    }

    // A point of the body's frame in the world.
    Vector BodyToWorld(const Vector& local) const {
        return parts[0]->position + Math::RotateByQuaternion(local, parts[0]->orientation);
    }

    PlayerChildComponent* child = nullptr;
    std::vector<GraphicComponent*> graphics;
};

struct Route {
    int joint;
    Vector body[2];
    Vector limb[2];
};

// Each cable's joint, its two points on the body and its two points on the joint's part.
const Route kRoutes[PlayerChildComponent::kCableCount] = {
    {5,
     {Vector(2.15f, -4.5f, 0.0f), Vector(2.15f, -5.5f, 0.0f)},
     {Vector(0.25f, 4.25f, 1.0f), Vector(0.25f, 3.25f, 1.0f)}},
    {4,
     {Vector(-2.15f, -4.5f, 0.0f), Vector(-2.15f, -5.5f, 0.0f)},
     {Vector(-0.25f, 4.25f, 1.0f), Vector(-0.25f, 3.25f, 1.0f)}},
    {3,
     {Vector(3.75f, 2.25f, 0.0f), Vector(4.25f, 1.75f, 0.0f)},
     {Vector(0.0f, 3.0f, 0.0f), Vector(0.0f, 2.0f, 0.0f)}},
    {2,
     {Vector(-3.75f, 2.25f, 0.0f), Vector(-4.25f, 1.75f, 0.0f)},
     {Vector(0.0f, 3.0f, 0.0f), Vector(0.0f, 2.0f, 0.0f)}},
    {1,
     {Vector(0.0f, 3.0f, 0.0f), Vector(0.0f, 3.5f, 0.0f)},
     {Vector(0.0f, -1.75f, 0.0f), Vector(0.0f, -1.5f, 0.0f)}},
};

void ExpectNear(const Vector& a, const Vector& b, const char* what) {
    EXPECT_NEAR(a.x, b.x, 1e-3f) << what;
    EXPECT_NEAR(a.y, b.y, 1e-3f) << what;
    EXPECT_NEAR(a.z, b.z, 1e-3f) << what;
}

TEST_F(Cables, EachCableRunsFromItsBodyPointsToItsJointWhileTheRigAnimates) {
    std::vector<Vector> firstJointEnds;
    for (int frame = 0; frame < 12; ++frame) {
        Step(0.125f);
        for (u32 i = 0; i < PlayerChildComponent::kCableCount; ++i) {
            SCOPED_TRACE(testing::Message() << "cable " << i << " frame " << frame);
            const BeamMesh* cable = child->Cable(i);
            ASSERT_NE(cable, nullptr);
            ASSERT_EQ(cable->controlPoints.size(), 4u);
            const Route& route = kRoutes[i];
            // The body end is fixed in the body's frame, whatever the body does.
            ExpectNear(cable->controlPoints[0], route.body[0], "first body point");
            ExpectNear(cable->controlPoints[1], route.body[1], "second body point");
            // The joint end, put back into the world, sits on the joint's part.
            const GameObject& limb = *parts[route.joint];
            for (int k = 0; k < 2; ++k) {
                const Vector expected =
                    limb.position + Math::RotateByQuaternion(route.limb[k], limb.orientation);
                ExpectNear(BodyToWorld(cable->controlPoints[2 + k]), expected, "joint point");
            }
            if (frame == 0) {
                firstJointEnds.push_back(cable->controlPoints[3]);
            } else if (frame == 11) {
                // The clip moved every joint: the cable followed.
                EXPECT_GT((cable->controlPoints[3] - firstJointEnds[i]).Length(), 0.1f);
            }
        }
    }
}

TEST_F(Cables, TubesAreWidenedAgainstCullingAndKeepTheirLengthAsExtent) {
    for (u32 i = 0; i < PlayerChildComponent::kCableCount; ++i) {
        const BeamMesh* cable = child->Cable(i);
        ASSERT_NE(cable, nullptr);
        EXPECT_EQ(cable->HalfExtent().y, 5.0f);
        const BoxRecord& box = graphics[i + 1]->GetLocalBoxRecord();
        EXPECT_EQ(box.max.y, 50.0f);
        EXPECT_EQ(box.min.x, -4.0f);
        // The culling passes read the corners.
        EXPECT_EQ(box.corners[0].y, -50.0f);
    }
    // The body mesh is not a cable.
    EXPECT_EQ(graphics[0]->GetLocalBoxRecord().max.y, 4.5f);
    EXPECT_EQ(child->Cable(PlayerChildComponent::kCableCount), nullptr);
}

TEST_F(Cables, OnlyTheBodyHasCables) {
    for (std::size_t k = 1; k < PlayerComponent::kPartCount; ++k) {
        auto* part =
            dynamic_cast<PlayerChildComponent*>(parts[k]->GetComponent(ComponentType::PlayerChild));
        ASSERT_NE(part, nullptr);
        part->Initialize();
        part->Update(0.1f);
        EXPECT_EQ(part->Cable(0), nullptr) << parts[k]->name;
    }
}

TEST_F(Cables, TheHeadCableSwellsWhileTheHeadGrowsBack) {
    Step(0.1f);
    const BeamMesh* head = child->Cable(PlayerChildComponent::kHeadCable);
    ASSERT_NE(head, nullptr);
    player->m_head_off_time = 0.0f;
    player->m_head_thrown = 1;
    player->UpdateHeadRegrowth(2.0f);
    EXPECT_EQ(head->BulgeAmplitude(), 0.0f);
    player->UpdateHeadRegrowth(1.5f);
    // f = 0.5 at 3.5 s.
    EXPECT_NEAR(head->BulgeAmplitude(), 0.5f, 1e-5f);
    EXPECT_NEAR(head->BulgeCentre(), 0.75f, 1e-5f);
    EXPECT_NEAR(head->BulgeSpread(), 0.25f, 1e-5f);
    // The other cables keep their shape.
    EXPECT_EQ(child->Cable(0)->BulgeAmplitude(), 0.0f);
    // The bulge alone rewrites the cable, though no point moved.
    const u32 writes = head->WriteCount();
    Step(0.0f);
    EXPECT_EQ(head->WriteCount(), writes + 1);
    player->UpdateHeadRegrowth(1.0f);
    EXPECT_EQ(head->BulgeAmplitude(), 0.0f);
    EXPECT_EQ(head->BulgeSpread(), 0.0f);
}

} // namespace
