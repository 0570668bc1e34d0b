#include <gtest/gtest.h>

#include <memory>

#include "game/controls_source.h"
#include "player/player_component.h"
#include "player/player_process.h"
#include "support/level_process_check.h"

namespace {

using level_process_check::Is;

TEST(LevelProcesses, PlayerProcessHasItsHandlerIdAndCreatesExactlyItsComponentTypes) {
    level_process_check::ExpectLevelProcess(
        {"PlayerProcess",
         [] { return std::make_unique<PlayerProcess>(nullptr, true, false); },
         PlayerProcess::kHandlerId,
         11,
         {{ComponentType::Player, Is<PlayerComponent>},
          {ComponentType::PlayerChild, Is<PlayerChildComponent>}}});
}

TEST(LevelProcesses, PlayerProcessKeepsItsConstructorArguments) {
    struct Controls : ControlsSource {
        const BoundControls& GetBoundControls() const override { return bound; }
        void ResetState() override {}
        BoundControls bound;
    } controls;
    const PlayerProcess player(&controls, true, false);
    EXPECT_EQ(player.m_input, &controls);
    EXPECT_TRUE(player.m_endless);
    EXPECT_FALSE(player.m_tutorial);
}

} // namespace
