#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "city/building_component.h"
#include "city/building_process.h"
#include "city/bullet_component.h"
#include "city/bullet_process.h"
#include "city/game_logic_component.h"
#include "city/game_logic_process.h"
#include "city/trigger_component.h"
#include "city/trigger_process.h"
#include "support/level_process_check.h"

namespace {

using level_process_check::Is;
using level_process_check::ProcessCase;

std::vector<ProcessCase> CityProcesses() {
    return {
        {"BulletProcess",
         [] { return std::make_unique<BulletProcess>(); },
         BulletProcess::kHandlerId,
         13,
         {{ComponentType::Bullet, Is<BulletComponent>}}},
    };
}

TEST(LevelProcesses, CityProcessesHaveTheirHandlerIdsAndCreateExactlyTheirComponentTypes) {
    for (const ProcessCase& c : CityProcesses()) {
        level_process_check::ExpectLevelProcess(c);
    }
}

TEST(LevelProcesses, CityProcessesKeepTheirConstructorArguments) {
    const GameLogicProcess logic(false, true);
    EXPECT_FALSE(logic.m_endless);
    EXPECT_TRUE(logic.m_tutorial);
    const BuildingProcess buildings(true, false);
    EXPECT_TRUE(buildings.m_state_flag);
    EXPECT_FALSE(buildings.m_endless);
}

// The building process keeps its buildings in a list of its own, in creation order.
TEST(LevelProcesses, BuildingProcessHasItsHandlerIdAndCreatesOnlyBuildings) {
    EXPECT_EQ(BuildingProcess::kHandlerId, 17u);
    BuildingProcess process(false, false);
    std::vector<Component*> made;
    for (u32 type = 0; type < ComponentType::kCount; ++type) {
        SCOPED_TRACE(ComponentType::Name(type));
        StreamMap stream =
            component_fixture::ComponentStream("Some-Object", ComponentType::Name(type));
        Component* component = process.CreateComponent(&stream);
        if (type != ComponentType::Building) {
            EXPECT_EQ(component, nullptr);
            continue;
        }
        ASSERT_NE(component, nullptr);
        EXPECT_NE(dynamic_cast<BuildingComponent*>(component), nullptr);
        EXPECT_EQ(component->process, &process);
        made.push_back(component);
    }
    EXPECT_EQ(process.BuildingCount(), 1u);
    for (Component* component : made) {
        process.RemoveComponent(component);
    }
    EXPECT_EQ(process.BuildingCount(), 0u);
}

} // namespace
