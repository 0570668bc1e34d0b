#include <gtest/gtest.h>

#include <memory>

#include "ai/ai_view_component.h"
#include "ai/ai_view_process.h"
#include "city/spawn_point_component.h"
#include "core/message_router.h"
#include "support/component_fixture.h"
#include "support/level_process_check.h"

namespace {

using level_process_check::Is;

TEST(LevelProcesses, AIViewProcessHasItsHandlerIdAndCreatesExactlyItsComponentTypes) {
    level_process_check::ExpectLevelProcess(
        {"AIViewProcess",
         [] { return std::make_unique<AIViewProcess>(true); },
         AIViewProcess::kHandlerId,
         12,
         {{ComponentType::AIView, Is<AIViewComponent>},
          {ComponentType::SpawnPoint, Is<SpawnPointComponent>}}});
}

TEST(LevelProcesses, AIViewProcessKeepsItsConstructorArguments) {
    EXPECT_TRUE(AIViewProcess(true).m_tutorial);
}

TEST(AIViewProcess, DisableMessageTogglesTheProcess) {
    MessageRouter router;
    AIViewProcess ai(false);
    ai.Bind(&router, AIViewProcess::kHandlerId);
    component_fixture::MessageRecorder level;
    level.Bind(&router, 6);
    EXPECT_FALSE(ai.IsDisabled());
    BaseMessage disable(MSG_DISABLE_AI);
    level.SendMessage(&disable, AIViewProcess::kHandlerId);
    EXPECT_TRUE(ai.IsDisabled());
    ai.Update(0.1f);
    level.SendMessage(&disable, AIViewProcess::kHandlerId);
    EXPECT_FALSE(ai.IsDisabled());
    BaseMessage other(MSG_DISABLE_DEALTH);
    level.SendMessage(&other, AIViewProcess::kHandlerId);
    EXPECT_FALSE(ai.IsDisabled());
}

} // namespace
