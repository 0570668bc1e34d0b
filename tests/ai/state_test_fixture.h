#pragma once
// The fixture the state-family tests share: a unit of a type made on the level kit with its
// state list, standing still, and transition cases as data (from a state at a distance from
// the robot, one update, the expected state).
#include <gtest/gtest.h>

#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

#include "ai/state_id.h"
#include "ai_kit.h"

namespace ai_kit {

struct StateTest : ::testing::Test {
    Kit kit;

    // A still unit of the type; its range is pinned, since the definition's comes with a
    // random offset.
    AIViewComponent* Make(const std::string& type, const std::vector<std::string>& states,
                          const Vector& at, float range, i32 health = 100, bool body = true) {
        UnitParams p;
        p.states = states;
        p.range = range;
        p.health = health;
        p.movementOn = false;
        kit.DefineUnit(type, p, body);
        AIViewComponent* unit = Kit::Unit(kit.Spawn(type, at));
        unit->m_range = range;
        return unit;
    }
    std::size_t Objects(const char* type) const { return kit.Live(type); }
};

struct Transition {
    const char* type;
    const std::vector<std::string>* states;
    float range;
    i32 from;
    // From the robot at the origin along +z; the unit faces -z, toward the robot.
    float distance;
    i32 to;
};

inline void PrintTo(const Transition& t, std::ostream* os) {
    *os << t.type << " " << StateIdName(t.from) << " at " << t.distance << " range " << t.range;
}

// Puts the case's unit in its first state, runs one machine update of dt and checks the state
// it is in after.
inline void ExpectTransition(StateTest& test, const Transition& t, float dt) {
    AIViewComponent* unit = test.Make(t.type, *t.states, Vector(0.0f, 0.0f, t.distance), t.range);
    unit->ChangeTo(t.from);
    ASSERT_TRUE(unit->InState(t.from));
    unit->m_stateMachine->Update(dt);
    EXPECT_TRUE(unit->InState(t.to)) << "expected " << StateIdName(t.to);
}

} // namespace ai_kit
