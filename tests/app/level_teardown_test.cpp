#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "PhysX/physx_process.h"
#include "app/level_state.h"
#include "app/state_fixture.h"
#include "core/game_object.h"
#include "support/component_fixture.h"

namespace {

using state_fixture::StateFixture;
using Strings = std::vector<std::string>;

// A level full of what play leaves behind: the robot with its parts, a street of buildings,
// a coil, a projectile in flight, a trigger and a spawn point. Each test leaves it one way;
// the sanitizers catch a component handed to a dead process or a message to a dead handler.
class LevelTeardownTest : public StateFixture {
  protected:
    LevelTeardownTest() {
        Define({"ScoreText"});
        Define("RobotBase", {"Physics", "AnimationController"});
        for (const char* part :
             {"RobotBody", "RobotHead", "RobotRightArm", "RobotLeftArm", "RobotLeg"}) {
            Define(part, {"Joint", "Physics"});
        }
        Define("RobotHealth", {"Physics"});
        Define("BuildingShop", {"Building", "Physics", "GameLogic"});
        Define("Coil", {"Physics", "GameLogic"});
        Define("Missile", {"Bullet", "Physics"});
        Define("TriggerTank", {"Trigger", "Physics"});
        Define("SpawnTank", {"SpawnPoint"});
    }

    void Define(const std::string& typeName, const Strings& componentTypes) {
        ComponentDefinitionList& components = parser.m_definitions[typeName];
        for (const std::string& type : componentTypes) {
            components.emplace(ComponentType::FromName(type),
                               component_fixture::ComponentStream(typeName, type));
        }
    }
    using StateFixture::Define;

    std::unique_ptr<LevelState> Played() {
        auto level = Make<LevelState>("./assets/levels/ubergold.lua");
        level->Initialize();
        EXPECT_NE(level->CreateObject("Robot"), nullptr);
        for (int i = 0; i < 50; ++i) {
            GameObject* building = level->CreateObject("BuildingShop");
            EXPECT_NE(building, nullptr);
            if (building != nullptr) {
                building->SetPosition(Vector(20.0f * static_cast<f32>(i % 10), 0.0f,
                                             20.0f * static_cast<f32>(i / 10)));
            }
        }
        for (const char* type : {"Coil", "Missile", "TriggerTank", "SpawnTank"}) {
            EXPECT_NE(level->CreateObject(type), nullptr) << type;
        }
        level->UpdateAllProcesses(0.016f);
        journal.Clear();
        return level;
    }

    // Journal lines of a coil's burst: its particles or its explosion sound.
    size_t CoilEffects() const {
        const Strings lines = Lines();
        return static_cast<size_t>(std::count_if(lines.begin(), lines.end(), [](const auto& l) {
            return l.find("MSG_CREATE_PARTICLE_SYSTEM") != std::string::npos ||
                   l.find("medium_explosion") != std::string::npos;
        }));
    }

    GameObject* Find(const LevelState& level, const std::string& type) const {
        for (GameObject* object : level.Objects()) {
            if (object->name == type) {
                return object;
            }
        }
        return nullptr;
    }
};

TEST_F(LevelTeardownTest, ACoilDestroyedInPlayBursts) {
    auto level = Played();
    GameObject* coil = Find(*level, "Coil");
    ASSERT_NE(coil, nullptr);
    level->DeleteObject(coil);
    // The first round of four effects and the sound go at once, the rest later.
    EXPECT_EQ(CoilEffects(), 5u);
    level->Exit();
}

TEST_F(LevelTeardownTest, LeavingThroughExitIsQuiet) {
    auto level = Played();
    level->Exit();
    EXPECT_TRUE(level->Objects().empty());
    EXPECT_TRUE(level->m_process_manager.processes.empty());
    level.reset();
    root.Update(2.0f);
    EXPECT_EQ(CoilEffects(), 0u);
}

TEST_F(LevelTeardownTest, DeletingTheLevelWithoutExitIsQuiet) {
    auto level = Played();
    level.reset();
    root.Update(2.0f);
    EXPECT_EQ(CoilEffects(), 0u);
}

TEST_F(LevelTeardownTest, DeletingTheLevelWhileItLoadsIsQuiet) {
    auto level = Make<LevelState>("./assets/levels/ubergold.lua");
    level->Initialize();
    EXPECT_NE(level->CreateObject("Coil"), nullptr);
    level.reset();
    root.Update(2.0f);
    EXPECT_EQ(CoilEffects(), 0u);
}

} // namespace
