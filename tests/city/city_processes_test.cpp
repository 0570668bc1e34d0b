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
        {"BuildingProcess",
         [] { return std::make_unique<BuildingProcess>(false, false); },
         BuildingProcess::kHandlerId,
         17,
         {{ComponentType::Building, Is<BuildingComponent>}}},
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

} // namespace
