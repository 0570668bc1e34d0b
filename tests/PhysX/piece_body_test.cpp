// A broken object's piece takes its body over from the object it broke from.
#include <gtest/gtest.h>

#include <cmath>

#include "PhysX/physics_level_fixture.h"
#include "PhysX/physx_component.h"
#include "core/message.h"
#include "core/message_types.h"
#include "game/piece_body.h"
#include "platform/physics/actor.h"

namespace {

using physics_level::Record;

class PieceBodies : public physics_level::Level {
  protected:
    PieceBodies() {
        Record record;
        record.massDivisor = 2.0f;
        record.reserved = 7.0f;
        record.extents = Vector(10.0f, 10.0f, 10.0f);
        broken = Make("BuildingStore", record, Vector(0.0f, 20.0f, 0.0f));
        physics::Actor* actor = Body(broken)->GetActor();
        actor->SetLinearVelocity(physics::Vec3{1.0f, 0.0f, 0.0f});
        actor->SetAngularVelocity(physics::Vec3{0.0f, 2.0f, 0.0f});
    }

    void Send(GameObject* piece, const PieceBody& body) {
        Message<PieceBody> message(MSG_PHYSICS_PIECE_BODY, body);
        root.SendMessage(&message, piece->id, HANDLER_GRAPHICS_PROCESS);
    }

    GameObject* broken = nullptr;
};

struct PieceCase {
    const char* type;
    float share;
    bool sphere;
    bool awake;
};

TEST_F(PieceBodies, APieceTakesItsShapeMassAndVelocityFromTheBrokenBody) {
    const PieceCase cases[] = {{"BuildingBlock", 0.25f, false, true},
                               {"BuildingBlock", 0.25f, false, false},
                               {"BuildingBowlingBall", 0.5f, true, true},
                               {"BuildingBlock", 0.0f, false, true}};
    for (const PieceCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.type << " share " << c.share << " awake " << c.awake);
        // A piece 5 along z from the broken body's centre, made with its type's own box.
        GameObject* piece = Make(c.type, Record{}, Vector(0.0f, 20.0f, 5.0f));
        PieceBody body;
        body.m_broken = broken;
        body.m_volume_share = c.share;
        body.m_half_extents = Vector(1.0f, 2.0f, 3.0f);
        body.m_radius = 1.5f;
        body.m_sphere = c.sphere;
        body.m_awake = c.awake;
        Send(piece, body);
        const PhysXComponent* made = Body(piece);
        ASSERT_NE(made->GetActor(), nullptr);
        EXPECT_EQ(made->GetShapeKind(), c.sphere ? PhysXComponent::kSphere : PhysXComponent::kBox);
        if (!c.sphere) {
            EXPECT_FLOAT_EQ(made->GetExtents().z, 3.0f);
        }
        EXPECT_FLOAT_EQ(
            made->GetMassDivisor(),
            PieceMassDivisor(2.0f, c.share, std::string(c.type) == "BuildingBowlingBall"));
        EXPECT_TRUE(std::isfinite(made->GetMass()));
        EXPECT_GT(made->GetMass(), 0.0f);
        EXPECT_FLOAT_EQ(made->GetReserved(), 7.0f);
        const physics::Vec3 v = made->GetActor()->GetLinearVelocity();
        if (c.awake) {
            // (1, 0, 0) + (0, 2, 0) x (0, 0, 5) = (11, 0, 0).
            EXPECT_NEAR(v.x, 11.0f, 1e-3f);
            EXPECT_NEAR(piece->velocity.x, 11.0f, 1e-3f);
            EXPECT_FALSE(made->GetActor()->IsSleeping());
        } else {
            EXPECT_EQ(v.x, 0.0f);
            EXPECT_TRUE(made->GetActor()->IsSleeping());
        }
        EXPECT_NEAR(v.y, 0.0f, 1e-3f);
        EXPECT_NEAR(v.z, 0.0f, 1e-3f);
    }
}

TEST_F(PieceBodies, APieceOfAnObjectWithoutABodyStillGetsAFiniteBody) {
    GameObject bare("BuildingStore");
    GameObject* piece = Make("BuildingBlock");
    PieceBody body;
    body.m_broken = &bare;
    body.m_volume_share = 1.0f;
    body.m_half_extents = Vector(1.0f, 1.0f, 1.0f);
    body.m_awake = true;
    Send(piece, body);
    EXPECT_FLOAT_EQ(Body(piece)->GetMassDivisor(), PieceMassDivisor(1.0f, 1.0f, false));
    ASSERT_NE(Body(piece)->GetActor(), nullptr);
    EXPECT_TRUE(std::isfinite(Body(piece)->GetMass()));
    body.m_broken = nullptr;
    Send(piece, body);
    EXPECT_NE(Body(piece)->GetActor(), nullptr);
}

} // namespace
