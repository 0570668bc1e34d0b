// The built game in the endless level. With the robot left standing, its camera behind it,
// tanks and helicopters fire at it and screenshots taken at their shots show the bursts
// around it. Left under random input for a minute of play (disabled, see below): tanks,
// helicopters and citizens come out of the spawn points, tanks and helicopters fire, units
// die and no death is reported more often than its type spawned, and nothing faults. Play
// time counts by the game's own health lines, so a slow build plays the same minute; what it
// waits for has a longer allowance.

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "app/picture_checks.h"
#include "app/scripted_player.h"
#include "support/scoped_temp_home.h"

namespace {

using game_process::GameProcess;
using game_process::InputScriptFile;
using game_process::ScriptedPlayer;

constexpr double kPlaySeconds = 60.0;
// How long the run may go on past the minute for a family that has not yet done its part.
constexpr double kLongestSeconds = 180.0;
// Screenshots taken while tanks and helicopters fire, one a shot, at most.
constexpr int kScreenshots = 8;
constexpr float kFireShare = 0.003f;

// How many times each traced payload of a message type was delivered.
std::map<std::string, int> Payloads(const std::string& output, const std::string& type) {
    const std::regex line(type + " to [0-9]+: ([^\n]*)\n");
    std::map<std::string, int> counts;
    for (auto it = std::sregex_iterator(output.begin(), output.end(), line);
         it != std::sregex_iterator(); ++it) {
        ++counts[(*it)[1].str()];
    }
    return counts;
}

// How many shots of each unit type the log reports.
std::map<std::string, int> Shots(const std::string& output) {
    static const std::regex line("AI unit \"([^\"]+)\": fires a ");
    std::map<std::string, int> counts;
    for (auto it = std::sregex_iterator(output.begin(), output.end(), line);
         it != std::sregex_iterator(); ++it) {
        ++counts[(*it)[1].str()];
    }
    return counts;
}

int Starting(const std::map<std::string, int>& counts, const std::string& prefix) {
    int total = 0;
    for (const auto& [name, count] : counts) {
        total += name.rfind(prefix, 0) == 0 ? count : 0;
    }
    return total;
}

// A minute at random: units spawn, fire and die, and nothing faults.
void PlayAMinuteAtRandom() {
    const ScopedTempHome home;
    const InputScriptFile keys(home.Path() + "/keys.txt");
    GameProcess game(GORVANE_BINARY_DIR, home.Path(),
                     {keys.Variable(), "GORVANE_RANDOM_INPUT=1", "GORVANE_HEALTH_SECONDS=5",
                      "GORVANE_TRACE_MESSAGES=MSG_OBJECT_LEVEL_SPAWN,MSG_AGENT_DIED"});
    ASSERT_TRUE(game.Started());
    ScriptedPlayer player(game, keys);

    // The endless level: PLAY, then the play screen's second button.
    ASSERT_TRUE(player.StartLevel("PlayEndlessButton")) << game.Output();
    const std::size_t playFrom = player.Position();

    // The families the level's spawn points send, as the prefixes of their types.
    const std::vector<std::string> families = {"AI-Ground-Tank", "AI-Fly-Helicopter",
                                               "AI-Ground-Citizen"};
    const std::vector<std::string> armed = {"AI-Ground-Tank", "AI-Fly-Helicopter"};
    const auto allDone = [&](const std::string& played) {
        const std::map<std::string, int> spawned = Payloads(played, "MSG_OBJECT_LEVEL_SPAWN");
        const std::map<std::string, int> shots = Shots(played);
        bool done = !Payloads(played, "MSG_AGENT_DIED").empty();
        for (const std::string& family : families) {
            done = done && Starting(spawned, family) > 0;
        }
        for (const std::string& family : armed) {
            done = done && Starting(shots, family) > 0;
        }
        return done;
    };

    double first = -1.0;
    double reached = 0.0;
    while (first < 0.0 || reached - first < kPlaySeconds ||
           (reached - first < kLongestSeconds && !allDone(game.Output().substr(playFrom)))) {
        const std::string line = player.LineAfter("Health: seconds=");
        ASSERT_FALSE(line.empty()) << game.Output().substr(playFrom);
        reached = std::strtod(line.c_str(), nullptr);
        if (first < 0.0) {
            first = reached;
        }
    }
    game.Signal(SIGTERM);
    const int status = game.Finish();
    const std::string& output = game.Output();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    for (const char* fault : {"Sanitizer", "runtime error", "LUA ERROR", "input script"}) {
        EXPECT_EQ(output.find(fault), std::string::npos) << fault << "\n" << output;
    }

    const std::string played = output.substr(playFrom);
    const std::map<std::string, int> spawned = Payloads(played, "MSG_OBJECT_LEVEL_SPAWN");
    const std::map<std::string, int> died = Payloads(played, "MSG_AGENT_DIED");
    const std::map<std::string, int> shots = Shots(played);
    for (const std::string& family : families) {
        EXPECT_GT(Starting(spawned, family), 0) << family << " never spawned";
    }
    for (const std::string& family : armed) {
        EXPECT_GT(Starting(shots, family), 0) << family << " never fired";
    }
    EXPECT_FALSE(died.empty()) << "no unit died";
    // A unit's death reaches the game logic once: never more deaths of a type than units.
    for (const auto& [name, count] : died) {
        EXPECT_LE(count, spawned.count(name) != 0 ? spawned.at(name) : 0) << name;
    }
    std::string record;
    for (const auto& [name, count] : spawned) {
        record += name + ": " + std::to_string(count) + " spawned, " +
                  std::to_string(died.count(name) != 0 ? died.at(name) : 0) + " died, " +
                  std::to_string(shots.count(name) != 0 ? shots.at(name) : 0) + " shots\n";
    }
    ::testing::Test::RecordProperty("units", record);
    std::printf("%s", record.c_str());
}

// The robot left standing, its camera behind it looking south where the tanks come from (the
// random camera of the first run mostly looks at the sky): once a tank and a helicopter have
// fired, screenshots at the next shots.
void WatchTheFight() {
    const ScopedTempHome home;
    const InputScriptFile keys(home.Path() + "/keys.txt");
    GameProcess game(GORVANE_BINARY_DIR, home.Path(), {keys.Variable()});
    ASSERT_TRUE(game.Started());
    ScriptedPlayer player(game, keys);
    // The endless level: PLAY, then the play screen's second button.
    ASSERT_TRUE(player.StartLevel("PlayEndlessButton")) << game.Output();
    const std::size_t playFrom = player.Position();
    ASSERT_TRUE(player.Reach("AI unit \"AI-Ground-Tank\": fires a "))
        << game.Output().substr(playFrom);
    ASSERT_TRUE(player.Reach("AI unit \"AI-Fly-Helicopter\": fires a "))
        << game.Output().substr(playFrom);
    // Their rockets burst around the robot: at least one of the pictures shows the fire of an
    // explosion over a fair part of the frame (a burst in view covers a few percent).
    float fire = 0.0f;
    for (int i = 0; i < kScreenshots && fire < kFireShare; ++i) {
        ASSERT_TRUE(player.Reach("\": fires a ")) << game.Output().substr(playFrom);
        ScreenshotImage fight;
        ASSERT_TRUE(player.Screenshot(fight)) << game.Output().substr(playFrom);
        game_process::ExpectALitTexturedScene(fight, "the fight");
        fire = std::max(fire, picture_checks::FireShare(fight));
    }
    EXPECT_GE(fire, kFireShare);
    keys.Send("1 tap Escape\n10 tap Down\n5 tap Return\n");
    ASSERT_TRUE(player.Reach("Game::PushState: Menu\n")) << game.Output().substr(playFrom);
    game_process::ExpectACleanExit(game_process::QuitFromTheMenu(game, keys), game.Output());
}

// Disabled until it holds in every run: the robot stands still under fire, and on a loaded
// machine it was shot down after the first picture, before a burst was in view. Run it with
// --gtest_also_run_disabled_tests.
TEST(EndlessLevelUnits, DISABLED_TanksAndHelicoptersFireAndTheirShotsBurstAroundTheRobot) {
    WatchTheFight();
}

// Disabled until it holds in every run: some runs see no tank or helicopter come in three
// minutes of random play, others see them within the first. Run it with
// --gtest_also_run_disabled_tests.
TEST(EndlessLevelUnits, DISABLED_SpawnFireAndDieUnderRandomPlayWithoutAFault) {
    PlayAMinuteAtRandom();
}

} // namespace
