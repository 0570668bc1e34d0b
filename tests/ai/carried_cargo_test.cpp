// A transport's cargo on real bodies: carried, it is placed under the transport every frame
// and its body falls asleep there; let go, it must fall to the street all the same.
#include <gtest/gtest.h>

#include "PhysX/physics_level_fixture.h"
#include "ai/ai_view_process.h"
#include "ai/unit_services.h"
#include "platform/physics/actor.h"

namespace {

class CarriedCargo : public physics_level::Level {};

TEST_F(CarriedCargo, ACargoLetGoFallsThoughItFellAsleepWhileCarried) {
    GameObject* street = Make("InvisiblePlane");
    ASSERT_NE(Body(street), nullptr);
    GameObject* tank =
        Make("AI-Ground-Tank-Swarm", {}, Vector(0.0f, 70.0f, 0.0f), Vector(4.0f, 2.5f, 5.0f));
    physics::Actor* body = Body(tank)->GetActor();
    ASSERT_NE(body, nullptr);

    // Carried for four seconds: the transport puts it in place every frame.
    for (int frame = 0; frame < 240; ++frame) {
        tank->SetPosition(Vector(0.0f, 70.0f, 0.0f));
        Step(1);
    }
    ASSERT_TRUE(body->IsSleeping()) << "the carried body stayed awake; the test shows nothing";

    // The drop, as the transport's drop state and its death do it.
    AIViewProcess ai(false);
    ai.Physics()->LetFall(*tank);
    Step(120);
    EXPECT_LT(tank->position.y, 20.0f);
}

} // namespace
