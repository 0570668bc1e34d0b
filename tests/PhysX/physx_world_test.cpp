#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "PhysX/physics_level_fixture.h"
#include "PhysX/physics_params.h"
#include "PhysX/physx_component.h"
#include "PhysX/physx_process.h"
#include "PhysX/physx_reports.h"
#include "core/message.h"
#include "core/message_types.h"
#include "game/collision.h"
#include "game/physics_info.h"
#include "game/radial_force.h"
#include "platform/physics/actor.h"
#include "platform/physics/scene.h"
#include "platform/physics/types.h"

namespace {

using physics_level::Record;
namespace body_flag = physics::body_flag;

class PhysicsWorld : public physics_level::Level {};

float Speed(const physics::Actor* actor) {
    const physics::Vec3 v = actor->GetLinearVelocity();
    return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
}

std::vector<float> Values(const component_fixture::MessageRecorder& recorder, u32 type) {
    std::vector<float> values;
    for (const auto& r : recorder.received) {
        if (r.message->type == type) {
            values.push_back(r.message->ValueOr(-1.0f));
        }
    }
    return values;
}

std::vector<Collision> Collisions(const component_fixture::MessageRecorder& recorder) {
    std::vector<Collision> found;
    for (const auto& r : recorder.received) {
        if (const Collision* c = r.message->Payload<Collision>()) {
            found.push_back(*c);
        }
    }
    return found;
}

TEST(PhysicsParamsRead, AShortRecordLeavesTheMissingFieldsAtZero) {
    Record record;
    record.sleeping = true;
    record.massDivisor = 2.0f;
    record.damping = 0.5f;
    record.count = 4;
    StreamMap stream = physics_level::PhysicsStream("Crate", record);
    std::string skipped;
    stream.ReadString(skipped);
    stream.ReadString(skipped);
    const PhysicsParams params = PhysicsParams::Read(stream);
    EXPECT_EQ(params.m_sleeping, 1);
    EXPECT_FLOAT_EQ(params.m_mass_divisor, 2.0f);
    EXPECT_FLOAT_EQ(params.m_damping, 0.5f);
    EXPECT_FLOAT_EQ(params.m_radius, 0.0f);
    EXPECT_FLOAT_EQ(params.m_extents.x, 0.0f);
    EXPECT_EQ(params.m_collision_mesh, "");
}

TEST_F(PhysicsWorld, ComponentIdsStartAtFourAndAreNotReused) {
    GameObject* a = Make("BuildingBlock");
    GameObject* b = Make("BuildingBlock");
    EXPECT_EQ(Body(a)->GetId(), 4u);
    EXPECT_EQ(Body(b)->GetId(), 5u);
    Remove(b);
    EXPECT_EQ(Body(Make("BuildingBlock"))->GetId(), 6u);
}

struct NameRow {
    const char* type;
    bool kinematic;
    u32 frozen;
    bool gravity;
    bool robotMask; // mask 0 instead of the id
};

TEST_F(PhysicsWorld, TheTypeNameChoosesTheBody) {
    const NameRow rows[] = {
        {"BuildingBlock", false, 0, true, false},
        {"Trigger-Checkpoint", true, 0, true, false},
        {"FakeRobotHead", false, body_flag::kFrozenRot, true, true},
        {"FakeRobotRightArm", false, body_flag::kFrozenRot, false, true},
        {"RobotBody", false, body_flag::kFrozenRot, true, true},
        {"AnimTestDummy", false, body_flag::kFrozenRot, true, true},
        {"CardboardCity3", true, 0, true, false},
        {"BuildingMarketHeavy", true, 0, true, false},
        {"BuildingNeedle", true, 0, true, false},
        // Only the whole name makes a needle kinematic.
        {"BuildingNeedleX", false, 0, true, false},
        {"AI-Ground-Tank", false, body_flag::kFrozenRot | body_flag::kFrozenPosY, true, false},
        {"AI-Fly-Helicopter", false, body_flag::kFrozenRot | body_flag::kFrozenPosY, false, false},
        {"LaserPulse", false, body_flag::kFrozenRot, false, false},
        // Projectiles are matched by their whole name.
        {"LaserPulseSmall", false, 0, true, false},
    };
    for (const NameRow& row : rows) {
        SCOPED_TRACE(row.type);
        PhysXComponent* body = Body(Make(row.type));
        physics::Actor* actor = body->GetActor();
        ASSERT_NE(actor, nullptr);
        EXPECT_TRUE(actor->IsDynamic());
        EXPECT_EQ(actor->IsKinematic(), row.kinematic);
        EXPECT_EQ(body->IsKinematic(), row.kinematic);
        EXPECT_EQ(actor->BodyFlags(), row.frozen);
        EXPECT_EQ(actor->GravityEnabled(), row.gravity);
        EXPECT_EQ(body->IsGravityEnabled(), row.gravity);
        EXPECT_EQ(actor->GroupsMask(), row.robotMask ? 0u : body->GetId());
        EXPECT_EQ(actor->UserData(), body);
    }
    // The head is a sphere, the trigger weighs 1 / divisor with unit inertia.
    EXPECT_EQ(Body(Make("FakeRobotHead"))->GetShapeKind(), PhysXComponent::kSphere);
    Record heavy;
    heavy.massDivisor = 4.0f;
    PhysXComponent* trigger = Body(Make("Trigger-Door", heavy));
    EXPECT_FLOAT_EQ(trigger->GetMass(), 0.25f);
    EXPECT_FLOAT_EQ(trigger->GetMassSpaceInertia().x, 1.0f);
}

TEST_F(PhysicsWorld, ScaleSignsAreIgnoredAndASphereTakesTheLargestExtent) {
    Record record;
    record.extents = Vector(1.0f, 2.0f, 3.0f);
    record.radius = 0.5f;
    GameObject* box = Make("Crate", record, Vector(0, 0, 0), Vector(-2.0f, 1.0f, 1.0f));
    EXPECT_FLOAT_EQ(Body(box)->GetExtents().x, 2.0f);
    EXPECT_FLOAT_EQ(Body(box)->GetExtents().y, 2.0f);
    EXPECT_FLOAT_EQ(Body(box)->GetExtents().z, 3.0f);
    EXPECT_FLOAT_EQ(Body(box)->GetRadius(), 1.0f);
    ASSERT_NE(box->boundingBox, nullptr);
    GameObject* ball = Make("BigSphere", record, Vector(0, 0, 0), Vector(1.0f, -1.0f, 2.0f));
    EXPECT_EQ(Body(ball)->GetShapeKind(), PhysXComponent::kSphere);
    EXPECT_FLOAT_EQ(Body(ball)->GetRadius(), 6.0f);
    // Sphere kind: ten times the shape's mass.
    EXPECT_FLOAT_EQ(Body(ball)->GetMass(), 10.0f);
}

TEST_F(PhysicsWorld, ABodyWithoutAPositiveMassDivisorIsNotMadeAndItsOperationsDoNothing) {
    Record shortRecord;
    shortRecord.count = 1;
    PhysXComponent* body = Body(Make("Crate", shortRecord));
    EXPECT_TRUE(body->IsActorCreated());
    EXPECT_EQ(body->GetActor(), nullptr);
    body->Move(Vector(1.0f, 0.0f, 0.0f));
    body->SetKinematic(true);
    body->FreezeAll();
    body->RestoreSleepState();
    body->Land();
    EXPECT_FLOAT_EQ(body->GetMass(), 0.0f);
    // A plane ignores the divisor.
    EXPECT_NE(Body(Make("InvisiblePlane", shortRecord))->GetActor(), nullptr);
    Step(2);
}

TEST_F(PhysicsWorld, ABoxFallsOntoTheInvisiblePlaneAndRests) {
    GameObject* plane = Make("InvisiblePlane");
    EXPECT_FALSE(Body(plane)->GetActor()->IsDynamic());
    EXPECT_EQ(Body(plane)->GetShapeKind(), PhysXComponent::kPlane);
    GameObject* box = Make("BuildingBlock", {}, Vector(0.0f, 10.0f, 0.0f));
    auto& planeHeard = Listen(plane);
    auto& boxHeard = Listen(box);
    Step(180);
    EXPECT_NEAR(box->position.y, 1.0f, 0.1f);
    const std::vector<Collision> atBox = Collisions(boxHeard);
    ASSERT_FALSE(atBox.empty());
    EXPECT_FALSE(Collisions(planeHeard).empty());
    const Collision& first = atBox.front();
    EXPECT_NE(first.m_events & physics::contact_event::kStartTouch, 0u);
    const bool boxFirst = first.m_first == Body(box);
    EXPECT_EQ(first.m_kind, boxFirst ? Collision::kFirstDynamic : Collision::kFirstStatic);
    EXPECT_FLOAT_EQ(first.m_value, 0.0f);
}

TEST_F(PhysicsWorld, ACeilingStopsBodiesAtThreeHundred) {
    Make("InvisiblePlane");
    GameObject* box = Make("BuildingBlock", {}, Vector(0.0f, 290.0f, 0.0f));
    box->SetVelocity(Vector(0.0f, 2000.0f, 0.0f));
    Step(30);
    EXPECT_LT(box->position.y, 300.0f);
}

TEST_F(PhysicsWorld, ListenersHearOfStepsWithContactsOncePerRegistration) {
    GameObject* player = Make("RobotBase", {}, Vector(0.0f, 50.0f, 0.0f));
    auto& heard = Listen(player);
    Message<Component*> listen(MSG_PLAYER_COMPONENT, Body(player));
    process->HandleMessage(&listen, 0);
    process->HandleMessage(&listen, 0);
    Step(1);
    EXPECT_TRUE(Values(heard, MSG_PHYSICS_UPDATE).empty());
    Make("InvisiblePlane");
    Step(120);
    const std::size_t updates = Values(heard, MSG_PHYSICS_UPDATE).size();
    EXPECT_GT(updates, 0u);
    EXPECT_EQ(updates % 2, 0u);
}

TEST_F(PhysicsWorld, AnExplosionPushesOutwardsAndTellsHowHard) {
    Record record;
    record.massDivisor = 1.0f;
    GameObject* near = Make("Crate", record, Vector(5.0f, 0.0f, 0.0f));
    GameObject* edge = Make("Crate", record, Vector(0.0f, 0.0f, 10.0f));
    GameObject* centre = Make("Crate", record, Vector(0.0f, 0.0f, 0.0f));
    for (GameObject* o : {near, edge, centre}) {
        Body(o)->SetGravityEnabled(false);
    }
    auto& nearHeard = Listen(near);
    auto& edgeHeard = Listen(edge);
    auto& centreHeard = Listen(centre);
    Message<RadialForce> blast(
        MSG_PHYSICS_RADIAL_FORCE,
        RadialForce(Vector(0.0f, 0.0f, 0.0f), 10.0f, 150.0f, 0.0f, 0, 0, RadialForce::kImpulse));
    process->HandleMessage(&blast, 0);
    // The scene steps every 1/24 s: three frames make sure the push has landed.
    Step(3);
    ASSERT_EQ(Values(nearHeard, MSG_PHYSICS_FORCE).size(), 1u);
    EXPECT_FLOAT_EQ(Values(nearHeard, MSG_PHYSICS_FORCE)[0], 10.0f * 75.0f * 75.0f);
    EXPECT_GT(near->velocity.x, 0.0f);
    EXPECT_NEAR(near->velocity.y, 0.0f, 1e-3f);
    EXPECT_TRUE(Values(edgeHeard, MSG_PHYSICS_FORCE).empty());
    ASSERT_EQ(Values(centreHeard, MSG_PHYSICS_FORCE).size(), 1u);
    EXPECT_FLOAT_EQ(Values(centreHeard, MSG_PHYSICS_FORCE)[0], 0.0f);
    EXPECT_FLOAT_EQ(Speed(Body(centre)->GetActor()), 0.0f);
    EXPECT_EQ(process->ExplosionCount(), 0u);
}

// The robot's punches and landings push what is around it, never its own body: its fist
// stands well inside the push's radius, and the push flung it thousands of units away.
// The robot punching: neither its base nor the parts hung under it (its arms, legs and head,
// bodies of their own) take the push.
TEST_F(PhysicsWorld, AnExplosionLeavesTheObjectItComesFromAndItsPartsAlone) {
    Record record;
    record.massDivisor = 1.0f;
    GameObject* source = Make("Crate", record, Vector(0.0f, 0.0f, 3.0f));
    GameObject* part = Make("Crate", record, Vector(3.0f, 0.0f, 0.0f));
    part->parentObject = source;
    GameObject* struck = Make("Crate", record, Vector(0.0f, 0.0f, -3.0f));
    for (GameObject* o : {source, part, struck}) {
        Body(o)->SetGravityEnabled(false);
    }
    auto& sourceHeard = Listen(source);
    auto& struckHeard = Listen(struck);
    RadialForce punch(Vector(0.0f, 0.0f, 0.0f), 10.0f, 150.0f, 0.0f, 0, 0, RadialForce::kImpulse);
    punch.m_exclude_owner = source;
    Message<RadialForce> blast(MSG_PHYSICS_RADIAL_FORCE, punch);
    process->HandleMessage(&blast, 0);
    Step(3);
    part->parentObject = nullptr;
    EXPECT_FLOAT_EQ(Speed(Body(source)->GetActor()), 0.0f);
    EXPECT_FLOAT_EQ(Speed(Body(part)->GetActor()), 0.0f);
    EXPECT_TRUE(Values(sourceHeard, MSG_PHYSICS_FORCE).empty());
    EXPECT_LT(struck->velocity.z, 0.0f);
    EXPECT_EQ(Values(struckHeard, MSG_PHYSICS_FORCE).size(), 1u);
}

// A push's impulse is sized for bodies far heavier than ours: a light body (mass 1, a loose
// block) is brought to no more than a few hundred units a second along the push, however
// often a lasting push lands, where it flew off at tens of millions and took the robot it
// touched along; a heavy body takes the whole impulse.
TEST_F(PhysicsWorld, APushGivesALightBodyNoMoreThanAFewHundredUnitsASecond) {
    Record light;
    light.massDivisor = 1.0f;
    Record heavy;
    heavy.massDivisor = 0.0001f;
    GameObject* block = Make("Crate", light, Vector(5.0f, 0.0f, 0.0f));
    GameObject* tower = Make("Crate", heavy, Vector(-5.0f, 0.0f, 0.0f));
    for (GameObject* o : {block, tower}) {
        Body(o)->SetGravityEnabled(false);
    }
    // Both at half the radius: an impulse of 0.5 x 150 x 50000 = 3.75e6 each.
    Message<RadialForce> blast(
        MSG_PHYSICS_RADIAL_FORCE,
        RadialForce(Vector(0.0f, 0.0f, 0.0f), 10.0f, 150.0f, 0.0f, 0, 0, RadialForce::kImpulse));
    process->HandleMessage(&blast, 0);
    // The scene steps every 1/24 s: three frames make sure the push has landed.
    Step(3);
    EXPECT_GT(Body(block)->GetActor()->GetLinearVelocity().x, 300.0f);
    EXPECT_LE(Speed(Body(block)->GetActor()), 400.0f + 1e-2f);
    const float mass = Body(tower)->GetActor()->GetMass();
    ASSERT_GT(mass, 1000.0f);
    EXPECT_NEAR(Body(tower)->GetActor()->GetLinearVelocity().x, -3.75e6f / mass, 1.0f);

    // A push lasting a second, wide enough to reach it all along, lands every frame: the block
    // still goes no faster.
    const physics::Vec3 at = Body(block)->GetActor()->GetPosition();
    Message<RadialForce> lasting(MSG_PHYSICS_RADIAL_FORCE,
                                 RadialForce(Vector(at.x - 5.0f, at.y, at.z), 1000.0f, 150.0f, 1.0f,
                                             0, Body(block)->GetId(), RadialForce::kImpulse));
    process->HandleMessage(&lasting, 0);
    for (int i = 0; i < 5; ++i) {
        process->Update(0.1f);
        EXPECT_LE(Speed(Body(block)->GetActor()), 400.0f + 1e-2f) << "frame " << i;
    }
}

// A force (the laser's on a unit: 150 x 5000000 at the centre) likewise brings a light body to
// no more than a few hundred units a second, over short frames and long ones (a frame of
// 1/20 s runs one step of the scene).
TEST_F(PhysicsWorld, AForceGivesALightBodyNoMoreThanAFewHundredUnitsASecond) {
    float z = 0.0f;
    for (const float dt : {1.0f / 20.0f, 0.25f, 2.0f}) {
        Record light;
        light.massDivisor = 1.0f;
        // Apart, so that the units of earlier frames do not touch this one.
        z += 50.0f;
        GameObject* unit = Make("Crate", light, Vector(1.0f, 0.0f, z));
        Body(unit)->SetGravityEnabled(false);
        Message<RadialForce> laser(MSG_PHYSICS_RADIAL_FORCE,
                                   RadialForce(Vector(0.0f, 0.0f, z), 30.0f, 150.0f, 0.0f, 0,
                                               Body(unit)->GetId(), RadialForce::kForce));
        process->HandleMessage(&laser, 0);
        process->Update(dt);
        EXPECT_GT(Body(unit)->GetActor()->GetLinearVelocity().x, 100.0f) << dt;
        EXPECT_LE(Speed(Body(unit)->GetActor()), 400.0f + 1e-2f) << dt;
    }
}

TEST_F(PhysicsWorld, AnExplosionShrinksOverItsDurationAndOnlyIdWins) {
    GameObject* a = Make("Crate", {}, Vector(5.0f, 0.0f, 0.0f));
    GameObject* b = Make("Crate", {}, Vector(-5.0f, 0.0f, 0.0f));
    Body(a)->SetGravityEnabled(false);
    Body(b)->SetGravityEnabled(false);
    auto& aHeard = Listen(a);
    auto& bHeard = Listen(b);
    Message<RadialForce> blast(MSG_PHYSICS_RADIAL_FORCE,
                               RadialForce(Vector(0.0f, 0.0f, 0.0f), 100.0f, 10.0f, 0.25f,
                                           Body(b)->GetId(), Body(a)->GetId(), 99));
    process->HandleMessage(&blast, 0);
    for (int i = 0; i < 4; ++i) {
        process->Update(0.1f);
    }
    const std::vector<float> told = Values(aHeard, MSG_PHYSICS_FORCE);
    ASSERT_EQ(told.size(), 3u);
    // Mode 99 pushes nothing but still tells; radius and force shrink together.
    const float full = 10.0f * std::pow(10.0f * (1.0f - 5.0f / 100.0f), 2.0f);
    EXPECT_NEAR(told[0], full, full * 1e-4f);
    EXPECT_NEAR(told[1], 10.0f * std::pow(6.0f * (1.0f - 5.0f / 60.0f), 2.0f), 1.0f);
    EXPECT_NEAR(told[2], 10.0f * std::pow(2.0f * (1.0f - 5.0f / 20.0f), 2.0f), 0.1f);
    EXPECT_TRUE(Values(bHeard, MSG_PHYSICS_FORCE).empty());
    EXPECT_EQ(process->ExplosionCount(), 0u);
}

TEST_F(PhysicsWorld, ContactRecordsAverageThePointsAndNeedASeparatedPatch) {
    GameObject* a = Make("Crate");
    GameObject* b = Make("Crate", {}, Vector(10.0f, 0.0f, 0.0f));
    physics::ContactPatch patches[2];
    patches[0].normal = physics::Vec3{0.0f, 1.0f, 0.0f};
    patches[0].points[0] = {physics::Vec3{0.0f, 0.0f, 0.0f}, -0.5f};
    patches[0].points[1] = {physics::Vec3{2.0f, 0.0f, 0.0f}, -0.5f};
    patches[0].pointCount = 2;
    patches[1].normal = physics::Vec3{1.0f, 0.0f, 0.0f};
    patches[1].points[0] = {physics::Vec3{4.0f, 0.0f, 0.0f}, 0.0f};
    patches[1].pointCount = 1;
    physics::ContactPair pair{Body(a)->GetActor(), Body(b)->GetActor(), patches, 2};

    const auto started = ContactCollision(pair, physics::contact_event::kStartTouch);
    ASSERT_TRUE(started.has_value());
    EXPECT_FLOAT_EQ(started->m_point.x, 2.0f);
    EXPECT_FLOAT_EQ(started->m_normal.x, 1.0f);
    EXPECT_EQ(started->m_kind, Collision::kBothDynamic);
    EXPECT_EQ(started->m_first, Body(a));
    EXPECT_EQ(started->m_second, Body(b));

    const auto ended = ContactCollision(pair, physics::contact_event::kEndTouch);
    ASSERT_TRUE(ended.has_value());
    EXPECT_EQ(ended->m_kind, Collision::kNone);
    // Ongoing touches are sent for the robot base only.
    EXPECT_FALSE(ContactCollision(pair, physics::contact_event::kTouch).has_value());

    patches[0].points[1].separation = 1e-6f;
    pair.patchCount = 1;
    EXPECT_FALSE(ContactCollision(pair, physics::contact_event::kStartTouch).has_value());

    const Collision trigger = TriggerCollision(Body(a), Body(b), physics::trigger_event::kEnter);
    EXPECT_EQ(trigger.m_kind, Collision::kNone);
    EXPECT_FLOAT_EQ(trigger.m_point.LengthSquared(), 0.0f);
    EXPECT_FLOAT_EQ(trigger.m_normal.LengthSquared(), 0.0f);
}

TEST_F(PhysicsWorld, TheRobotBaseReportsTouchingEveryStep) {
    Make("InvisiblePlane");
    GameObject* base = Make("RobotBase", {}, Vector(0.0f, 1.5f, 0.0f));
    auto& heard = Listen(base);
    Step(60);
    u32 touches = 0;
    for (const Collision& c : Collisions(heard)) {
        if ((c.m_events & physics::contact_event::kTouch) != 0 &&
            (c.m_events & physics::contact_event::kStartTouch) == 0) {
            ++touches;
        }
    }
    EXPECT_GE(touches, 3u);
}

TEST_F(PhysicsWorld, RobotPartsNeverTouchEachOtherButTouchTheRest) {
    GameObject* body = Make("RobotBody", {}, Vector(0.0f, 0.0f, 0.0f));
    GameObject* arm = Make("RobotArm", {}, Vector(0.5f, 0.0f, 0.0f));
    GameObject* block = Make("BuildingBlock", {}, Vector(0.0f, 1.5f, 0.0f));
    for (GameObject* o : {body, arm, block}) {
        Body(o)->SetGravityEnabled(false);
    }
    auto& armHeard = Listen(arm);
    auto& blockHeard = Listen(block);
    Step(5);
    for (const Collision& c : Collisions(armHeard)) {
        EXPECT_FALSE((c.m_first == Body(body) || c.m_second == Body(body)));
    }
    EXPECT_FALSE(Collisions(blockHeard).empty());
}

// Deletes its own object when a collision reaches it.
class Deleter : public MessageHandler {
  public:
    void HandleMessage(BaseMessage* msg, u32) override {
        if (msg->type == MSG_PHYSICS_COLLISION && level != nullptr && victim != nullptr) {
            GameObject* gone = victim;
            victim = nullptr;
            remove(gone);
        }
    }
    void* level = nullptr;
    GameObject* victim = nullptr;
    std::function<void(GameObject*)> remove;
};

TEST_F(PhysicsWorld, AReceiverMayDeleteItsObjectWhileHandlingTheReport) {
    GameObject* floor = Make("InvisiblePlane");
    GameObject* box = Make("BuildingBlock", {}, Vector(0.0f, 3.0f, 0.0f));
    Deleter deleter;
    deleter.level = this;
    deleter.victim = floor;
    deleter.remove = [this](GameObject* o) { Remove(o); };
    floor->router.RegisterHandler(floor->id, &deleter);
    auto& heard = Listen(box);
    Step(60);
    EXPECT_EQ(deleter.victim, nullptr);
    (void)heard;
    EXPECT_LT(box->position.y, 0.0f);
}

// Answers the renderer's collision-mesh question with a fixed list.
class MeshAnswer : public MessageHandler {
  public:
    using Question = std::pair<std::vector<PhysicsInfo>*, std::pair<std::string, GameObject*>>;
    void HandleMessage(BaseMessage* msg, u32) override {
        if (Question* q = msg->Payload<Question>(); q != nullptr && q->second.first == name) {
            *q->first = records;
        }
    }
    std::string name;
    std::vector<PhysicsInfo> records;
};

TEST_F(PhysicsWorld, EveryMeshRecordBecomesAShapeAndAnEmptyAnswerMakesNoBody) {
    MeshAnswer renderer;
    renderer.Bind(&root, HANDLER_GRAPHICS_PROCESS);
    renderer.name = "tower.x";
    for (int i = 0; i < 513; ++i) {
        PhysicsInfo r;
        r.m_dimensions[0] = r.m_dimensions[1] = r.m_dimensions[2] = 0.5f;
        r.m_translation[1] = static_cast<float>(i);
        r.m_name = i % 2 == 0 ? "Box" : "Sphere";
        r.m_mass = 2.0f;
        renderer.records.push_back(r);
    }
    Record record;
    record.mesh = "tower.x";
    record.massDivisor = 2.0f;
    PhysXComponent* tower = Body(Make("BuildingTower", record));
    ASSERT_NE(tower->GetActor(), nullptr);
    EXPECT_NEAR(tower->GetMass(), 513.0f, 0.01f);

    record.mesh = "unknown.x";
    EXPECT_EQ(Body(Make("BuildingTower", record))->GetActor(), nullptr);
}

TEST_F(PhysicsWorld, ObjectsMadeUncollidableStopTouching) {
    GameObject* a = Make("Crate", {}, Vector(0.0f, 0.0f, 0.0f));
    GameObject* b = Make("Crate", {}, Vector(0.0f, 1.5f, 0.0f));
    using Payload = std::pair<std::pair<GameObject*, GameObject*>, bool>;
    Message<Payload> off(MSG_PHYSICS_SET_OBJECTS_COLLIDABLE, Payload{{a, b}, false});
    process->HandleMessage(&off, 0);
    EXPECT_EQ(Body(a)->GetActor()->GroupsMask(), Body(b)->GetActor()->GroupsMask());
    Message<Payload> on(MSG_PHYSICS_SET_OBJECTS_COLLIDABLE, Payload{{a, b}, true});
    process->HandleMessage(&on, 0);
    EXPECT_NE(Body(a)->GetActor()->GroupsMask(), Body(b)->GetActor()->GroupsMask());
    // An object without a body changes nothing.
    GameObject bare("Bare");
    Message<Payload> none(MSG_PHYSICS_SET_OBJECTS_COLLIDABLE, Payload{{a, &bare}, false});
    process->HandleMessage(&none, 0);
    EXPECT_EQ(Body(a)->GetActor()->GroupsMask(), Body(a)->GetId());
}

TEST_F(PhysicsWorld, PreStepPushesTheObjectsOwnChangesIntoTheBody) {
    GameObject* box = Make("Crate", {}, Vector(0.0f, 0.0f, 0.0f));
    Body(box)->SetGravityEnabled(false);
    box->SetPosition(Vector(3.0f, 4.0f, 5.0f));
    box->SetVelocity(Vector(1.0f, 0.0f, 0.0f));
    // The scene steps every 1/24 s: three frames run at least one step.
    Step(3);
    EXPECT_FALSE(box->positionChanged);
    EXPECT_FALSE(box->velocityChanged);
    EXPECT_NEAR(box->position.y, 4.0f, 1e-3f);
    EXPECT_GT(box->position.x, 3.0f);
    box->MovePhysics(Vector(0.0f, 0.0f, 2.0f));
    Step(3);
    EXPECT_NEAR(box->velocity.z, 2.0f, 1e-3f);
}

TEST_F(PhysicsWorld, TheRobotStandsAndATowerRestsOnTheGround) {
    Make("InvisiblePlane");
    Record base;
    base.damping = 2.0f;
    base.extents = Vector(4.0f, 6.75f, 4.0f);
    GameObject* robot = Make("RobotBase", base, Vector(0.0f, 20.0f, 0.0f));
    Record block;
    block.sleeping = true;
    block.damping = 0.5f;
    block.extents = Vector(5.0f, 5.0f, 5.0f);
    std::vector<GameObject*> tower;
    for (int i = 0; i < 3; ++i) {
        tower.push_back(Make("BuildingBlock", block, Vector(40.0f, 5.0f + 10.0f * i, 0.0f)));
    }
    Step(180);
    EXPECT_NEAR(robot->position.y, 6.75f, 0.1f);
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_NEAR(tower[i]->position.y, 5.0f + 10.0f * i, 0.1f);
        EXPECT_NEAR(tower[i]->position.x, 40.0f, 0.1f);
    }
    for (const auto& object : objects) {
        EXPECT_GE(object->position.y, 0.0f) << object->name;
    }
}

TEST_F(PhysicsWorld, ATriggerTellsOnlyItsOwnObject) {
    GameObject* trigger = Make("Trigger-Gate", {}, Vector(0.0f, 0.0f, 0.0f));
    GameObject* crate = Make("Crate", {}, Vector(0.0f, 4.0f, 0.0f));
    auto& triggerHeard = Listen(trigger);
    auto& crateHeard = Listen(crate);
    Step(30);
    const std::vector<Collision> told = Collisions(triggerHeard);
    ASSERT_FALSE(told.empty());
    EXPECT_EQ(told.front().m_events, physics::trigger_event::kEnter);
    EXPECT_EQ(told.front().m_first, Body(trigger));
    EXPECT_EQ(told.front().m_second, Body(crate));
    EXPECT_EQ(told.front().m_kind, Collision::kNone);
    EXPECT_TRUE(Collisions(crateHeard).empty());
    // The crate falls through.
    EXPECT_LT(crate->position.y, -2.0f);
}

TEST_F(PhysicsWorld, TheEditorsChangeReachesEveryObjectOfTheType) {
    GameObject* a = Make("Crate", {}, Vector(0.0f, 0.0f, 0.0f), Vector(2.0f, 1.0f, 1.0f));
    GameObject* other = Make("Barrel");
    Record changed;
    changed.sleeping = true;
    changed.damping = 3.0f;
    changed.reserved = 7.0f;
    changed.radius = 2.0f;
    changed.extents = Vector(1.0f, 2.0f, 3.0f);
    StreamMap stream = physics_level::PhysicsStream("Crate", changed);
    process->UpdateComponent(&stream);
    EXPECT_FLOAT_EQ(Body(a)->GetDamping(), 3.0f);
    EXPECT_FLOAT_EQ(Body(a)->GetActor()->LinearDamping(), 3.0f);
    EXPECT_FLOAT_EQ(Body(a)->GetReserved(), 7.0f);
    EXPECT_TRUE(Body(a)->GetActor()->IsSleeping());
    ASSERT_NE(a->boundingSphere, nullptr);
    EXPECT_FLOAT_EQ(a->boundingSphere->m_radius, 4.0f);
    EXPECT_FLOAT_EQ(Body(other)->GetDamping(), 0.0f);
}

TEST_F(PhysicsWorld, TheTogglesReachTheBody) {
    Record asleep;
    asleep.sleeping = true;
    PhysXComponent* crate = Body(Make("Crate", asleep, Vector(0.0f, 10.0f, 0.0f)));
    physics::Actor* actor = crate->GetActor();
    EXPECT_TRUE(actor->IsSleeping());
    // A thrown part wakes; RestoreSleepState puts back what the record or the last step said.
    crate->SetSleeping(false);
    EXPECT_FALSE(actor->IsSleeping());
    crate->SetSleeping(true);
    crate->RestoreSleepState();
    EXPECT_TRUE(actor->IsSleeping());

    // A dropped tank landing: gravity off, no vertical speed.
    crate->SetSleeping(false);
    actor->SetLinearVelocity(physics::Vec3{1.0f, -20.0f, 0.0f});
    crate->Land();
    EXPECT_FALSE(actor->GravityEnabled());
    EXPECT_FLOAT_EQ(actor->GetLinearVelocity().y, 0.0f);
    EXPECT_FLOAT_EQ(actor->GetLinearVelocity().x, 1.0f);

    // A citizen's reset.
    crate->SetCollisionEnabled(false);
    crate->PutToSleep();
    crate->SetKinematic(true);
    crate->FreezeAll();
    EXPECT_FALSE(actor->CollisionEnabled());
    EXPECT_TRUE(actor->IsKinematic());
    EXPECT_TRUE(crate->IsKinematic());
    EXPECT_EQ(actor->BodyFlags(), body_flag::kFrozen);
    crate->UnfreezeAll();
    crate->FreezePositionY();
    EXPECT_EQ(actor->BodyFlags(), body_flag::kFrozenPosY);
    crate->SetDamping(1.5f);
    EXPECT_FLOAT_EQ(actor->AngularDamping(), 1.5f);
}

TEST(PhysicsProcessLog, EachProcessSaysItSimulatesInSoftware) {
    testing::internal::CaptureStdout();
    { PhysXProcess process; }
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find(PhysXProcess::kSoftwareText), std::string::npos);
    EXPECT_EQ(out.find(PhysXProcess::kSoftwareText), out.rfind(PhysXProcess::kSoftwareText));
}

} // namespace
