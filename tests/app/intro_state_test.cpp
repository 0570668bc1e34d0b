#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/game_fixture.h"
#include "app/intro_state.h"
#include "app/state_fixture.h"
#include "app/state_setup.h"
#include "content/resource_loader_process.h"
#include "core/threaded_process.h"

namespace {

using state_fixture::StateFixture;
using Strings = std::vector<std::string>;

constexpr const char* kChosenLevel = "./assets/levels/tutorial_extended.lua";

class IntroStateTest : public StateFixture {
  protected:
    IntroStateTest() {
        Define({"VantrelLogo", "Copyright", "White", "TeamLogo", "PhysxLogo", "GameLogo", "Loading",
                "Controls", "Lose", "Win"});
        LevelPath = kChosenLevel;
    }

    bool Journaled(const std::string& line) const {
        const Strings lines = Lines();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }

    // Marks the menu's scene as loaded, as a loader that has run to its end does.
    static void LoadMenuLevel() {
        ResourceLoaderProcess loader(nullptr, state_setup::kMenuLevelPath, nullptr);
        while (!loader.killed) {
            loader.Update(0.25f);
        }
    }
};

TEST_F(IntroStateTest, EachScreenShowsItsObjectsAndQueuesTheNextScreen) {
    struct Row {
        const char* name;
        Strings objects;
        std::string next;
        float delay;
    };
    const Row rows[] = {
        {"Vantrel", {"VantrelLogo", "Copyright", "White"}, "Team Logo", 2.0f},
        {"Team Logo", {"TeamLogo", "White"}, "Physx Logo", 2.0f},
        {"Physx Logo", {"PhysxLogo", "White"}, "Logo", 2.0f},
        {"Logo", {"GameLogo"}, "Loading Screen", 3.0f},
        {"Controls", {"Controls"}, kChosenLevel, 3.0f},
        {"Lose", {"Lose"}, "Credits", 2.0f},
        {"Win", {"Win"}, "Credits", 2.0f},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        journal.Clear();
        auto state = Make<IntroState>(row.name);
        state->Initialize();
        EXPECT_TRUE(state->m_initialized);
        EXPECT_EQ(ObjectNames(*state), row.objects);

        const std::string switchLine = "0:MSG_GAME_SWITCH_STATE " + row.next;
        root.Update(row.delay - 0.05f);
        EXPECT_FALSE(Journaled(switchLine));
        root.Update(0.1f);
        EXPECT_TRUE(Journaled(switchLine));
        state->Exit();
        EXPECT_TRUE(state->Objects().empty());
    }
}

TEST_F(IntroStateTest, CreditsStartTheCreditsAndAnUnknownScreenStaysPut) {
    auto credits = Make<IntroState>("Credits");
    credits->Initialize();
    EXPECT_TRUE(credits->Objects().empty());
    EXPECT_TRUE(Journaled("1:MSG_GRAPHICS_PLAY_CREDITS"));
    EXPECT_EQ(credits->Router().QueueSize(), 0u);
    credits->Exit();

    auto unknown = Make<IntroState>("Nowhere");
    unknown->Initialize();
    EXPECT_TRUE(unknown->m_initialized);
    EXPECT_TRUE(unknown->Objects().empty());
    EXPECT_EQ(unknown->Router().QueueSize(), 0u);
    unknown->Exit();
}

TEST_F(IntroStateTest, StartsInIntroInputAndPutsTheThreeDeeSettingBack) {
    graphics.threeDee = 7;
    auto state = Make<IntroState>("Logo");
    state->Initialize();
    EXPECT_EQ(Lines(), (Strings{"3:MSG_INPUT_SWITCH_INTRO", "1:MSG_GRAPHICS_GET_THREE_DEE_SETTING",
                                "1:MSG_GRAPHICS_SET_THREE_DEE_SETTING 1"}));
    EXPECT_EQ(state->m_three_dee, 7u);

    journal.Clear();
    state->Exit();
    EXPECT_EQ(Lines(), (Strings{"1:MSG_GRAPHICS_SET_THREE_DEE_SETTING 7"}));
}

TEST_F(IntroStateTest, ScreensTakeTheNextScreenStateIds) {
    const u32 before = g_screen_state_counter;
    auto first = Make<IntroState>("Logo");
    auto second = Make<IntroState>("Logo");
    EXPECT_EQ(first->m_state_id, HANDLER_FIRST_SCREEN_STATE + before);
    EXPECT_EQ(second->m_state_id, HANDLER_FIRST_SCREEN_STATE + before + 1);
    // Scripts build their objects in the screen made last.
    EXPECT_EQ(lua.ObjectTarget(), second->m_state_id);
}

TEST_F(IntroStateTest, LoadsTheMenuLevelAndThenTheChosenLevelInTheBackground) {
    auto state = Make<IntroState>("Vantrel");
    state->Initialize();

    const ResourceLoaderProcess* menuLoader = SoleFreeRunningLoader(*state, 0);
    ASSERT_NE(menuLoader, nullptr);
    EXPECT_EQ(menuLoader->ScriptPath(), state_setup::kMenuLevelPath);

    const auto* levelLoader = dynamic_cast<ResourceLoaderProcess*>(menuLoader->successor.get());
    ASSERT_NE(levelLoader, nullptr);
    EXPECT_EQ(levelLoader->ScriptPath(), kChosenLevel);
    EXPECT_TRUE(menuLoader->successorThreaded);
    EXPECT_FALSE(menuLoader->successorLockStep);
    EXPECT_EQ(menuLoader->successorPriority, 0);
    EXPECT_EQ(state->Router().HandlerCount(HANDLER_RESOURCE_LOADER_PROCESS), 2u);
    state->Exit();
    EXPECT_FALSE(state->m_threaded_process_manager.HasProcesses());
}

TEST_F(IntroStateTest, LoadingScreenWithTheMenuLevelLoadedGoesToTheMenuAtOnce) {
    LoadMenuLevel();
    auto state = Make<IntroState>("Loading Screen");
    state->Initialize();
    EXPECT_EQ(ObjectNames(*state), Strings{"GameLogo"});
    EXPECT_TRUE(Journaled("0:MSG_GAME_SWITCH_STATE Menu"));

    journal.Clear();
    state->Update(0.01f);
    EXPECT_FALSE(Journaled("0:MSG_GAME_SWITCH_STATE Menu"));
    state->Exit();
}

TEST_F(IntroStateTest, LoadingScreenWaitsForTheMenuLevelAndThenAsksForTheMenuOnce) {
    auto state = Make<IntroState>("Loading Screen");
    state->Initialize();
    EXPECT_EQ(ObjectNames(*state), (Strings{"GameLogo", "Loading"}));
    EXPECT_FALSE(Journaled("0:MSG_GAME_SWITCH_STATE Menu"));
    // Not before the menu level is in: stop the screen's own loader so it cannot finish it.
    state->m_threaded_process_manager.RemoveAllProcesses();
    state->Update(0.01f);
    EXPECT_FALSE(Journaled("0:MSG_GAME_SWITCH_STATE Menu"));

    LoadMenuLevel();
    state->Update(0.01f);
    state->Update(0.01f);
    const Strings lines = Lines();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "0:MSG_GAME_SWITCH_STATE Menu"), 1);
    state->Exit();
}

TEST_F(IntroStateTest, LeavingTheCreditsDiscardsTheirQueuedMessages) {
    const std::vector<std::pair<std::string, std::size_t>> cases = {{"Credits", 0u}, {"Win", 1u}};
    for (const auto& [screen, left] : cases) {
        SCOPED_TRACE(screen);
        auto state = Make<IntroState>(screen);
        state->Initialize();
        // A later step of the credits sequence, waiting at the Game's router.
        Message<std::string> black(MSG_LEVEL_CREATE_OBJECT, "Black");
        root.SendMessage(&black, HANDLER_LEVEL_STATE, HANDLER_GRAPHICS_PROCESS, 31.5f);
        journal.Clear();
        state->Exit();
        EXPECT_EQ(root.QueueSize(), left);
        EXPECT_EQ(Journaled("1:MSG_GRAPHICS_STOP_CREDITS"), screen == "Credits");
        root.ClearQueue();
    }
}

class IntroChainTest : public game_fixture::GameFixture {};

TEST_F(IntroChainTest, LogoScreensLastTwoTwoTwoAndThreeSecondsThenTheLoadingScreen) {
    GameEnvironment environment = Environment();
    environment.createState = GameEnvironment::PlatformState;
    MakeGame(std::move(environment));

    constexpr double kFrame = 0.05;
    std::vector<std::pair<std::string, double>> shown = {{"Vantrel", 0.0}};
    double now = 0.0;
    while (now < 12.0 && shown.back().first != "Loading Screen") {
        ASSERT_TRUE(Frame(kFrame));
        now += kFrame;
        if (game->TopState()->Name() != shown.back().first) {
            shown.emplace_back(game->TopState()->Name(), now);
        }
    }
    const std::vector<std::pair<std::string, double>> expected = {{"Vantrel", 2.0},
                                                                  {"Team Logo", 2.0},
                                                                  {"Physx Logo", 2.0},
                                                                  {"Logo", 3.0},
                                                                  {"Loading Screen", 0.0}};
    ASSERT_EQ(shown.size(), expected.size());
    for (std::size_t i = 0; i < shown.size(); ++i) {
        EXPECT_EQ(shown[i].first, expected[i].first);
    }
    // A screen is pushed at the end of a frame, initialised in the next and its switch
    // counts down from the frame after that.
    for (std::size_t i = 0; i + 1 < shown.size(); ++i) {
        const double shownFor = shown[i + 1].second - shown[i].second;
        EXPECT_NEAR(shownFor - 2 * kFrame, expected[i].second, kFrame / 2) << shown[i].first;
    }
}

} // namespace
