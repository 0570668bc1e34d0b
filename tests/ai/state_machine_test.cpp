#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ai/state_id.h"
#include "ai_kit.h"

namespace {

using ai_kit::Kit;
using ai_kit::StateLog;
using ai_kit::UnitParams;

std::vector<std::pair<i32, char>> Calls(const void* machine) {
    std::vector<std::pair<i32, char>> out;
    for (const ai_kit::StateCall& call : StateLog()) {
        if (call.machine == machine) {
            out.emplace_back(call.id, call.what);
        }
    }
    return out;
}

TEST(StateIds, NameTableHasSeventyOneIdsAndInvalidAfterThem) {
    EXPECT_STREQ(StateIdName(STATE_NULL), "STATE_NULL");
    EXPECT_STREQ(StateIdName(STATE_MISSILE_LOOPBACK), "STATE_MISSILE_LOOPBACK");
    EXPECT_STREQ(StateIdName(STATE_KRAID_DIE), "STATE_KRAID_DIE");
    EXPECT_STREQ(StateIdName(kInvalidStateId), "Invalid");
    EXPECT_STREQ(StateIdName(-1), "Invalid");
    EXPECT_EQ(kInvalidStateId, 71);
}

TEST(StateIds, NamesAreFoundOnlyByExactMatch) {
    EXPECT_EQ(StateIdFromName("STATE_TANK_SEEK"), STATE_TANK_SEEK);
    EXPECT_EQ(StateIdFromName("STATE_CITIZEN_CARDBOARD_CALM"), STATE_CITIZEN_CARDBOARD_CALM);
    EXPECT_EQ(StateIdFromName("state_tank_seek"), kInvalidStateId);
    EXPECT_EQ(StateIdFromName("STATE_TANK_SEEK "), kInvalidStateId);
    EXPECT_EQ(StateIdFromName("Invalid"), kInvalidStateId);
    for (i32 id = 0; id < kStateIdCount; ++id) {
        EXPECT_EQ(StateIdFromName(StateIdName(id)), id);
    }
}

TEST(StateIds, SixtyThreeIdsHaveAClass) {
    int withClass = 0;
    for (i32 id = 0; id < kStateIdCount; ++id) {
        withClass += StateIdHasClass(id) ? 1 : 0;
    }
    EXPECT_EQ(withClass, 63);
    for (i32 id : {0, 53, 54, 55, 56, 68, 69, 70}) {
        EXPECT_FALSE(StateIdHasClass(id)) << StateIdName(id);
        EXPECT_EQ(RegisterStateFactory(id, &MakeStateOf<ai_kit::LoggingState<1>>), nullptr);
        EXPECT_EQ(MakeState(id), nullptr);
    }
}

struct MachineTest : ::testing::Test {
    Kit kit;

    AIViewComponent* MakeUnit(const std::vector<std::string>& states, bool withRobot = true) {
        if (withRobot && kit.robot == nullptr) {
            kit.MakeRobot(Vector(0.0f, 0.0f, -100.0f));
        }
        UnitParams p;
        p.states = states;
        kit.DefineUnit("AI-Ground-Tank", p);
        return Kit::Unit(kit.Spawn("AI-Ground-Tank"));
    }
};

TEST_F(MachineTest, ListedStatesAreMadeAndTheFirstIsEnteredOnce) {
    AIViewComponent* unit = MakeUnit(
        {"STATE_TANK_SPAWN", "STATE_TANK_SEEK", "STATE_TANK_ATTACK", "STATE_TANK_RETREAT"});
    StateMachine* machine = unit->m_stateMachine;
    ASSERT_NE(machine, nullptr);
    EXPECT_EQ(machine->m_states.size(), 4u);
    EXPECT_TRUE(unit->InState(STATE_TANK_SPAWN));
    EXPECT_EQ(Calls(machine), (std::vector<std::pair<i32, char>>{{STATE_TANK_SPAWN, 'E'}}));
    EXPECT_EQ(machine->GetOwner(), unit);
    for (const auto& [id, state] : machine->m_states) {
        EXPECT_EQ(state->m_machine, machine);
        EXPECT_FALSE(state->m_shootAnimPlayed);
        EXPECT_EQ(state->m_beam_timer, 0.0f);
    }
}

TEST_F(MachineTest, NamesWithoutAClassAreSkipped) {
    AIViewComponent* unit =
        MakeUnit({"STATE_TANK_SPAWN", "STATE_ATTACK", "STATE_BOGUS", "STATE_TANK_SEEK"});
    EXPECT_EQ(unit->m_stateMachine->m_states.size(), 2u);
    EXPECT_EQ(unit->m_stateMachine->Find(STATE_ATTACK), nullptr);
    EXPECT_EQ(unit->m_stateMachine->m_states.count(STATE_ATTACK), 0u);
}

TEST_F(MachineTest, ChangeExitsTheOldStateBeforeEnteringTheNew) {
    AIViewComponent* unit = MakeUnit({"STATE_TANK_SPAWN", "STATE_TANK_SEEK"});
    StateLog().clear();
    unit->ChangeTo(STATE_TANK_SEEK);
    EXPECT_EQ(Calls(unit->m_stateMachine),
              (std::vector<std::pair<i32, char>>{{STATE_TANK_SPAWN, 'X'}, {STATE_TANK_SEEK, 'E'}}));
}

TEST_F(MachineTest, WithoutATargetOnlyExitRunsAndUpdateDoesNothing) {
    AIViewComponent* unit = MakeUnit({"STATE_TANK_SPAWN", "STATE_TANK_SEEK"}, false);
    ASSERT_EQ(unit->m_target, nullptr);
    // The start state is entered even without a robot.
    EXPECT_EQ(Calls(unit->m_stateMachine),
              (std::vector<std::pair<i32, char>>{{STATE_TANK_SPAWN, 'E'}}));
    StateLog().clear();
    for (int i = 0; i < 50; ++i) {
        unit->m_stateMachine->Update(0.1f);
    }
    unit->ChangeTo(STATE_TANK_SEEK);
    EXPECT_EQ(Calls(unit->m_stateMachine),
              (std::vector<std::pair<i32, char>>{{STATE_TANK_SPAWN, 'X'}}));
    EXPECT_TRUE(unit->InState(STATE_TANK_SEEK));
}

TEST_F(MachineTest, SwitchToAMissingStateKeepsTheCurrentOne) {
    AIViewComponent* unit = MakeUnit({"STATE_TANK_SPAWN"});
    StateLog().clear();
    EXPECT_FALSE(unit->m_stateMachine->ChangeTo(STATE_TANK_ATTACK));
    EXPECT_TRUE(unit->InState(STATE_TANK_SPAWN));
    EXPECT_TRUE(Calls(unit->m_stateMachine).empty());
    EXPECT_FALSE(unit->InState(STATE_TANK_ATTACK));
    EXPECT_EQ(unit->m_stateMachine->m_states.count(STATE_TANK_ATTACK), 0u);
}

TEST_F(MachineTest, AStartNameWithoutAClassLeavesNoCurrentState) {
    for (const std::vector<std::string>& list :
         {std::vector<std::string>{"STATE_SEEK", "STATE_TANK_SEEK"}, std::vector<std::string>{}}) {
        AIViewComponent* unit = MakeUnit(list);
        EXPECT_EQ(unit->m_stateMachine->m_current, nullptr);
        unit->m_stateMachine->Update(0.1f);
        unit->Update(0.1f);
        EXPECT_FALSE(unit->InState(STATE_NULL));
    }
}

TEST_F(MachineTest, DestroyingTheMachineKeepsTheBeamObjects) {
    AIViewComponent* unit = MakeUnit({"STATE_TANK_SPAWN"});
    GameObject beam("LaserBeam");
    unit->m_stateMachine->m_beams.push_back(BeamRecord{&beam, Vector(), 0.0f, 0.0f});
    delete unit->m_stateMachine;
    unit->m_stateMachine = nullptr;
    EXPECT_EQ(beam.name, "LaserBeam");
}

} // namespace
