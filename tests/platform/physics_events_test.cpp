#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

#include "platform/physics_fixture.h"

namespace {

using physics::Actor;
using physics::Vec3;
namespace contact_event = physics::contact_event;
namespace trigger_event = physics::trigger_event;

struct Recorder : physics::ContactReceiver, physics::TriggerReceiver {
    struct Contact {
        Actor* first;
        Actor* second;
        std::uint32_t events;
        std::vector<physics::ContactPatch> patches;
    };
    struct Crossing {
        Actor* trigger;
        Actor* other;
        std::uint32_t status;
    };

    void OnContact(const physics::ContactPair& pair, std::uint32_t events) override {
        contacts.push_back(Contact{
            pair.first, pair.second, events, {pair.patches, pair.patches + pair.patchCount}});
        if (onContact) {
            onContact(pair);
        }
    }
    void OnTrigger(Actor& trigger, Actor& other, std::uint32_t status) override {
        crossings.push_back(Crossing{&trigger, &other, status});
    }

    std::vector<Contact> contacts;
    std::vector<Crossing> crossings;
    std::function<void(const physics::ContactPair&)> onContact;
};

class PhysicsEventsTest : public PhysicsTest {
  protected:
    void SetUp() override {
        m_scene->SetContactReceiver(&m_recorder);
        m_scene->SetTriggerReceiver(&m_recorder);
    }

    // One frame; what it reported.
    std::vector<Recorder::Contact> Frame(float dt = kStep) {
        m_recorder.contacts.clear();
        m_scene->Simulate(dt);
        m_scene->Fetch();
        return m_recorder.contacts;
    }

    Recorder m_recorder;
};

TEST_F(PhysicsEventsTest, BoxOnPlaneStartsTouchesWhileRestingAndEndsWithItsLastPoints) {
    Actor* ground = Ground();
    Actor* box = Box({0.0f, 1.0f, 0.0f});

    const auto first = Frame();
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first[0].events, contact_event::kStartTouch | contact_event::kTouch);
    EXPECT_EQ(first[0].first, ground); // the older actor comes first
    EXPECT_EQ(first[0].second, box);
    ASSERT_EQ(first[0].patches.size(), 1u);
    const physics::ContactPatch& patch = first[0].patches[0];
    EXPECT_NEAR(patch.normal.y, -1.0f, 1e-4f); // from the second actor towards the first
    ASSERT_GE(patch.pointCount, 3u);
    for (std::uint32_t i = 0; i < patch.pointCount; ++i) {
        EXPECT_NEAR(patch.points[i].position.y, 0.0f, 0.05f);
        EXPECT_NEAR(std::abs(patch.points[i].position.x), 1.0f, 0.05f);
        EXPECT_LT(std::abs(patch.points[i].separation), 0.05f);
    }

    std::vector<physics::ContactPatch> last;
    for (int i = 0; i < 30; ++i) {
        const auto resting = Frame();
        ASSERT_EQ(resting.size(), 1u) << i;
        EXPECT_EQ(resting[0].events, contact_event::kTouch);
        last = resting[0].patches;
    }
    ASSERT_TRUE(box->IsSleeping());

    box->SetPosition({0.0f, 40.0f, 0.0f});
    box->WakeUp();
    const auto lifted = Frame();
    ASSERT_EQ(lifted.size(), 1u);
    EXPECT_EQ(lifted[0].events, contact_event::kEndTouch);
    ASSERT_EQ(lifted[0].patches.size(), last.size());
    ASSERT_EQ(lifted[0].patches[0].pointCount, last[0].pointCount);
    for (std::uint32_t i = 0; i < last[0].pointCount; ++i) {
        EXPECT_FLOAT_EQ(lifted[0].patches[0].points[i].position.x, last[0].points[i].position.x);
        EXPECT_FLOAT_EQ(lifted[0].patches[0].points[i].position.y, last[0].points[i].position.y);
    }
    EXPECT_TRUE(Frame().empty());
}

TEST_F(PhysicsEventsTest, ASleepingStackSleepsThroughANearMissAndWakesOntoThePlaneItLayOn) {
    // Two layers of boxes a hair apart and a hair above the plane, each put to sleep as it is
    // made, as a level's stacked blocks are.
    Actor* ground = Ground();
    std::vector<Actor*> boxes;
    for (int layer = 0; layer < 2; ++layer) {
        for (int i = 0; i < 3; ++i) {
            const float lift = 0.005f + static_cast<float>(layer) * 2.01f;
            const auto mask = static_cast<std::uint32_t>(10 + boxes.size());
            boxes.push_back(
                Box({static_cast<float>(i) * 2.01f, 1.0f + lift, 0.0f}, 1.0f, 1.0f, mask));
            boxes.back()->PutToSleep();
        }
    }
    const auto inStack = [&boxes](const Actor* actor) {
        return std::find(boxes.begin(), boxes.end(), actor) != boxes.end();
    };
    // A body skims the top row 0.06 above it: close enough for the broadphase boxes to
    // overlap, too far for any contact.
    physics::ActorDesc skimming = BoxDesc({-4.0f, 4.015f + 0.06f + 1.0f, 0.0f}, 1.0f, 1.0f, 3);
    skimming.gravity = false;
    Actor* skimmer = m_scene->CreateActor(skimming);
    skimmer->SetLinearVelocity({10.0f, 0.0f, 0.0f});
    for (int i = 0; i < 120; ++i) {
        for (const Recorder::Contact& contact : Frame()) {
            ASSERT_FALSE(inStack(contact.first) || inStack(contact.second)) << "frame " << i;
        }
    }
    ASSERT_GT(skimmer->GetPosition().x, 8.0f);
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        EXPECT_TRUE(boxes[i]->IsSleeping()) << i;
        EXPECT_FLOAT_EQ(boxes[i]->GetPosition().y, i < 3 ? 1.005f : 3.015f) << i;
    }
    // Woken, the stack settles. The plane under the bottom row was touched all along, so its
    // first report goes on and does not start (the boxes above, a hair apart, do meet anew).
    for (Actor* box : boxes) {
        box->WakeUp();
    }
    std::vector<const Actor*> onPlane;
    for (int i = 0; i < 30; ++i) {
        for (const Recorder::Contact& contact : Frame()) {
            if (contact.first != ground || !inStack(contact.second) ||
                std::find(onPlane.begin(), onPlane.end(), contact.second) != onPlane.end()) {
                continue;
            }
            EXPECT_EQ(contact.events, contact_event::kTouch) << "frame " << i;
            onPlane.push_back(contact.second);
        }
    }
    EXPECT_EQ(onPlane.size(), 3u);
}

TEST_F(PhysicsEventsTest, ABodyPutToSleepAfterMovingStartsItsNextTouchAsUsual) {
    // Only a body asleep since it was made counts as resting: one that fell and slept, then
    // is lifted and dropped, starts touching the plane again.
    Ground();
    Actor* box = Box({0.0f, 1.0f, 0.0f});
    Frame();
    box->PutToSleep();
    box->SetPosition({0.0f, 3.0f, 0.0f});
    box->WakeUp();
    bool started = false;
    for (int i = 0; i < 30; ++i) {
        for (const Recorder::Contact& contact : Frame()) {
            started = started || (contact.events & contact_event::kStartTouch) != 0;
        }
    }
    EXPECT_TRUE(started);
}

TEST_F(PhysicsEventsTest, AFrameWithoutAStepReportsNothing) {
    Ground();
    Box({0.0f, 1.0f, 0.0f});
    ASSERT_EQ(Frame().size(), 1u);
    EXPECT_TRUE(Frame(0.01f).empty());
    EXPECT_EQ(Frame(kStep).size(), 1u);
}

TEST_F(PhysicsEventsTest, TwoSimulatesBeforeOneFetchAreReportedTogether) {
    Ground();
    Box({0.0f, 1.0f, 0.0f});
    m_scene->Simulate(0.01f);
    m_scene->Simulate(0.035f);
    m_scene->Fetch();
    ASSERT_EQ(m_recorder.contacts.size(), 1u);
    EXPECT_EQ(m_recorder.contacts[0].events, contact_event::kStartTouch | contact_event::kTouch);
}

TEST_F(PhysicsEventsTest, CompoundPairReportsOnePatchPerShape) {
    Ground();
    physics::ActorDesc desc = BoxDesc({0.0f, 0.5f, 0.0f}, 0.5f);
    desc.shapes[0].localPose.position = {-2.0f, 0.0f, 0.0f};
    desc.shapes.push_back(desc.shapes[0]);
    desc.shapes[1].localPose.position = {2.0f, 0.0f, 0.0f};
    m_scene->CreateActor(desc);
    const auto reports = Frame();
    ASSERT_EQ(reports.size(), 1u);
    ASSERT_EQ(reports[0].patches.size(), 2u);
    const float x0 = reports[0].patches[0].points[0].position.x;
    const float x1 = reports[0].patches[1].points[0].position.x;
    EXPECT_NEAR(std::abs(x0 - x1), 4.0f, 1.1f); // one patch under each box
}

TEST_F(PhysicsEventsTest, TriggerReportsEnterStayLeaveAtMostOncePerFrame) {
    physics::ActorDesc zone = BoxDesc({0.0f, 0.0f, 0.0f}, 2.0f, 1.0f, 1);
    zone.body = physics::BodyKind::kKinematic;
    zone.shapes[0].trigger = true;
    Actor* trigger = m_scene->CreateActor(zone);
    physics::ActorDesc ball = BoxDesc({-6.0f, 0.0f, 0.0f}, 1.0f, 1.0f, 2);
    ball.shapes[0].kind = physics::ShapeKind::kSphere;
    ball.shapes[0].radius = 0.5f;
    ball.gravity = false;
    Actor* sphere = m_scene->CreateActor(ball);
    sphere->SetLinearVelocity({12.0f, 0.0f, 0.0f}); // one unit per frame of two steps

    std::vector<std::uint32_t> statuses;
    for (int frame = 0; frame < 14; ++frame) {
        m_recorder.crossings.clear();
        EXPECT_EQ(m_scene->Simulate(2.0f * kStep), 2);
        m_scene->Fetch();
        ASSERT_LE(m_recorder.crossings.size(), 1u) << frame;
        if (!m_recorder.crossings.empty()) {
            EXPECT_EQ(m_recorder.crossings[0].trigger, trigger);
            EXPECT_EQ(m_recorder.crossings[0].other, sphere);
            statuses.push_back(m_recorder.crossings[0].status);
        }
    }
    ASSERT_GE(statuses.size(), 4u);
    EXPECT_EQ(statuses.front(), trigger_event::kEnter);
    EXPECT_EQ(statuses.back(), trigger_event::kLeave);
    for (std::size_t i = 1; i + 1 < statuses.size(); ++i) {
        EXPECT_EQ(statuses[i], trigger_event::kStay) << i;
    }
    EXPECT_TRUE(m_recorder.contacts.empty());
    EXPECT_NEAR(sphere->GetLinearVelocity().x, 12.0f, 1e-4f); // passes through untouched
    EXPECT_FLOAT_EQ(trigger->GetPosition().x, 0.0f);
}

TEST_F(PhysicsEventsTest, AReportWhoseActorAnEarlierReceiverReleasedIsSkipped) {
    Ground();
    Actor* a = Box({-5.0f, 1.0f, 0.0f});
    Actor* b = Box({5.0f, 1.0f, 0.0f}, 1.0f, 1.0f, 3);
    m_recorder.onContact = [&](const physics::ContactPair& pair) {
        if (pair.second == a && b) {
            m_scene->ReleaseActor(b);
            b = nullptr;
        }
    };
    const auto reports = Frame();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].second, a);
    const auto later = Frame();
    ASSERT_EQ(later.size(), 1u); // no end report for the released box
    EXPECT_EQ(later[0].events, contact_event::kTouch);
}

TEST_F(PhysicsEventsTest, CollisionOffSilencesAPairAndOnRestoresIt) {
    Ground();
    Actor* box = Box({0.0f, 1.0f, 0.0f});
    ASSERT_EQ(Frame().size(), 1u);
    box->SetCollisionEnabled(false);
    EXPECT_FALSE(box->CollisionEnabled());
    EXPECT_TRUE(Frame().empty());
    EXPECT_LT(box->GetPosition().y, 1.0f); // falling into the ground
    box->SetCollisionEnabled(true);
    const auto restored = Frame();
    ASSERT_EQ(restored.size(), 1u);
    EXPECT_EQ(restored[0].events, contact_event::kStartTouch | contact_event::kTouch);
    Frame(); // a few frames of the ground pushing it back out
}

TEST_F(PhysicsEventsTest, AReceiverThatStopsAPairsCollisionSilencesItsLaterReports) {
    Ground();
    Actor* a = Box({-5.0f, 1.0f, 0.0f});
    Actor* b = Box({5.0f, 1.0f, 0.0f}, 1.0f, 1.0f, 3);
    m_recorder.onContact = [&](const physics::ContactPair& pair) {
        if (pair.second == a) {
            b->SetGroupsMask(1); // now equal to the ground's
        }
    };
    const auto reports = Frame();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].second, a);
}

TEST_F(PhysicsEventsTest, AKinematicBodyLeavesTheGroundAloneUntilItTurnsDynamicAgain) {
    Ground();
    Actor* box = Box({0.0f, 1.0f, 0.0f});
    ASSERT_EQ(Frame().size(), 1u);
    box->SetKinematic(true);
    const auto ended = Frame(); // kinematic and static bodies never meet
    ASSERT_EQ(ended.size(), 1u);
    EXPECT_EQ(ended[0].events, contact_event::kEndTouch);
    EXPECT_TRUE(Frame().empty());
    box->SetKinematic(false);
    const auto reports = Frame();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0].events, contact_event::kStartTouch | contact_event::kTouch);
}

} // namespace
