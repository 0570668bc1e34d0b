// The built game with its units. In the endless level, with the robot left standing, its camera
// behind it, tanks and helicopters fire at it and screenshots taken at their shots show the bursts
// around it. The endless level and the feature film's level, each left under random input
// for a minute of play with the robot invulnerable: the unit families each sends come out of
// the spawn points, the armed ones fire, units die and no death is reported more often than
// its type spawned, and nothing faults. Play time counts by the game's own health lines, so a
// slow build plays the same minute; what it waits for has a longer allowance.

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
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
// How far from the middle, in x or z, the robot may stand in either level.
constexpr float kCityReach = 2500.0f;
// When, in the story level's minute, the districts are skipped up to the ambush.
constexpr double kAmbushAfter = 30.0;
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

// The farthest from the city's middle, in x or z, that the robot said it stood (where it
// halts, lands, punches or grabs).
float FarthestRobotSpot(const std::string& output) {
    static const std::regex line("PlayerComponent: [^\n]* at (-?[0-9.e+]+), -?[0-9.e+]+, "
                                 "(-?[0-9.e+]+)");
    float farthest = 0.0f;
    for (auto it = std::sregex_iterator(output.begin(), output.end(), line);
         it != std::sregex_iterator(); ++it) {
        for (const int part : {1, 2}) {
            farthest =
                std::max(farthest, std::fabs(std::strtof((*it)[part].str().c_str(), nullptr)));
        }
    }
    return farthest;
}

// How many times text occurs in output.
int Occurrences(const std::string& output, const std::string& text) {
    int count = 0;
    for (std::size_t at = output.find(text); at != std::string::npos;
         at = output.find(text, at + 1)) {
        ++count;
    }
    return count;
}

int Starting(const std::map<std::string, int>& counts, const std::string& prefix) {
    int total = 0;
    for (const auto& [name, count] : counts) {
        total += name.rfind(prefix, 0) == 0 ? count : 0;
    }
    return total;
}

// What a level's minute at random must show: the families that spawn (as prefixes of their
// types) and those among them that fire.
struct Expected {
    std::vector<std::string> families;
    std::vector<std::string> armed;
};

// What the log of a stretch of play counts of each type.
struct Tally {
    explicit Tally(const std::string& played)
        : spawned(Payloads(played, "MSG_OBJECT_LEVEL_SPAWN")),
          died(Payloads(played, "MSG_AGENT_DIED")), shots(Shots(played)) {}

    // An armed family has done its part once it fired, or once random play killed every unit
    // of it before it could (a wave may bring a single jeep): then none is left that should
    // have.
    bool FiredOrAllKilled(const std::string& family) const {
        return Starting(shots, family) > 0 || Starting(died, family) >= Starting(spawned, family);
    }

    std::map<std::string, int> spawned;
    std::map<std::string, int> died;
    std::map<std::string, int> shots;
};

bool AllDone(const std::string& played, const Expected& expected) {
    const Tally tally(played);
    bool done = !tally.died.empty();
    for (const std::string& family : expected.families) {
        done = done && Starting(tally.spawned, family) > 0;
    }
    for (const std::string& family : expected.armed) {
        done = done && tally.FiredOrAllKilled(family);
    }
    return done;
}

// Plays on at random from playFrom for the minute, and on past it until every family has
// done its part or kLongestSeconds have gone; at(seconds played) at each health line. Then
// ends the game and checks the minute: units spawned, fired and died, no unit's death was
// reported more often than its type spawned, and nothing faulted.
void PlayTheMinute(GameProcess& game, ScriptedPlayer& player, std::size_t playFrom,
                   const Expected& expected, const std::function<void(double)>& at) {
    double first = -1.0;
    double reached = 0.0;
    while (
        first < 0.0 || reached - first < kPlaySeconds ||
        (reached - first < kLongestSeconds && !AllDone(game.Output().substr(playFrom), expected))) {
        const std::string line = player.LineAfter("Health: seconds=");
        ASSERT_FALSE(line.empty()) << game.Output().substr(playFrom);
        reached = std::strtod(line.c_str(), nullptr);
        if (first < 0.0) {
            first = reached;
        }
        at(reached - first);
    }
    game.Signal(SIGTERM);
    const int status = game.Finish();
    const std::string& output = game.Output();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    for (const char* fault : {"Sanitizer", "runtime error", "LUA ERROR", "input script"}) {
        EXPECT_EQ(output.find(fault), std::string::npos) << fault << "\n" << output;
    }

    const std::string played = output.substr(playFrom);
    // Play went on for the whole minute: it never reached its end.
    EXPECT_EQ(played.find("UIProcess::EndOfPlay"), std::string::npos);
    // Nothing flung the robot out of the city (both levels lie within 2000 of the middle).
    EXPECT_LT(FarthestRobotSpot(played), kCityReach);
    const Tally tally(played);
    const std::map<std::string, int>& spawned = tally.spawned;
    const std::map<std::string, int>& died = tally.died;
    const std::map<std::string, int>& shots = tally.shots;
    for (const std::string& family : expected.families) {
        EXPECT_GT(Starting(spawned, family), 0) << family << " never spawned";
    }
    for (const std::string& family : expected.armed) {
        EXPECT_TRUE(tally.FiredOrAllKilled(family))
            << family << " never fired, and not all of it was killed";
    }
    EXPECT_FALSE(died.empty()) << "no unit died";
    // A unit's death reaches the game logic once: never more deaths of a type than units of
    // it, counted from the level's start (units placed by its script or spawned before the
    // minute die in it too).
    const std::map<std::string, int> everSpawned = Payloads(output, "MSG_OBJECT_LEVEL_SPAWN");
    for (const auto& [name, count] : Payloads(output, "MSG_AGENT_DIED")) {
        EXPECT_LE(count, everSpawned.count(name) != 0 ? everSpawned.at(name) : 0) << name;
    }
    std::string record;
    for (const auto& [name, count] : spawned) {
        record += name + ": " + std::to_string(count) + " spawned, " +
                  std::to_string(died.count(name) != 0 ? died.at(name) : 0) + " died, " +
                  std::to_string(shots.count(name) != 0 ? shots.at(name) : 0) + " shots\n";
    }
    ::testing::Test::RecordProperty("units", record);
    std::printf("%s", record.c_str());
    if (::testing::Test::HasFailure()) {
        std::printf("%s", played.c_str());
    }
}

// A game's environment for a minute at random with the cheat keys on, its health line every
// five seconds, tracing spawns, deaths and the messages named in traced.
std::vector<std::string> RandomPlay(const InputScriptFile& keys, const std::string& traced) {
    return {keys.Variable(), "GORVANE_RANDOM_INPUT=1", "GORVANE_CHEATS=1",
            "GORVANE_HEALTH_SECONDS=5",
            "GORVANE_TRACE_MESSAGES=MSG_OBJECT_LEVEL_SPAWN,MSG_AGENT_DIED," + traced};
}

// The endless level, a minute at random from its start.
void PlayAMinuteOfTheEndlessLevel() {
    const ScopedTempHome home;
    const InputScriptFile keys(home.Path() + "/keys.txt");
    GameProcess game(GORVANE_BINARY_DIR, home.Path(), RandomPlay(keys, "MSG_DISABLE_DEALTH"));
    ASSERT_TRUE(game.Started());
    ScriptedPlayer player(game, keys);

    // The endless level: PLAY, then the play screen's second button.
    ASSERT_TRUE(player.StartLevel("PlayEndlessButton")) << game.Output();
    // The cheat key F10 makes the robot invulnerable: the robot's death ends an endless
    // level's play (the score screen stops every process), and the minute would go on with
    // nothing left to come.
    keys.Send("0.5 tap F10\n");
    ASSERT_TRUE(player.Reach("MSG_DISABLE_DEALTH to ")) << game.Output();
    const Expected expected = {{"AI-Ground-Tank", "AI-Fly-Helicopter", "AI-Ground-Citizen"},
                               {"AI-Ground-Tank", "AI-Fly-Helicopter"}};
    PlayTheMinute(game, player, player.Position(), expected, [](double) {});
}

// The feature film's level. Its enemies come with the story: the waves begin when the first
// district's apartments fall. The cheat keys take the run there: F10 makes the robot
// invulnerable (random play would otherwise lose it within the minute), F9 skips the
// apartments, and the first district's
// wave sends tanks, helicopters, trucks, jeeps, and the spawners citizens and cars. Half a
// minute on, F9 four times more skips the districts up to the headquarters: the ambush
// follows, with transports carrying the swarm tanks in (the citizens have left by then);
// dropped, the swarm tanks land and fire. The run checks that nothing put the units to sleep
// on the way.
void PlayAMinuteOfTheStoryLevel() {
    const ScopedTempHome home;
    const InputScriptFile keys(home.Path() + "/keys.txt");
    GameProcess game(GORVANE_BINARY_DIR, home.Path(),
                     RandomPlay(keys, "MSG_DISABLE_DEALTH,MSG_DISABLE_AI,MSG_DISABLE_OBJECTIVE"));
    ASSERT_TRUE(game.Started());
    ScriptedPlayer player(game, keys);

    // PLAY, then the play screen's first button, the feature film.
    ASSERT_TRUE(player.StartLevel()) << game.Output();
    ASSERT_TRUE(player.Reach("PlayerProcess: camera sequence Intro ends\n")) << game.Output();
    // The cheats, each once and in this order.
    ASSERT_TRUE(player.Reach("PlayerProcess: triggers activated ")) << game.Output();
    keys.Send("0.5 tap F10\n0.5 tap F9\n");
    ASSERT_TRUE(player.Reach("MSG_DISABLE_DEALTH to ")) << game.Output();
    ASSERT_TRUE(player.Reach("MSG_DISABLE_OBJECTIVE to ")) << game.Output();
    const std::size_t playFrom = player.Position();

    const Expected expected = {
        {"AI-Ground-Tank", "AI-Fly-Helicopter", "AI-Ground-Truck", "AI-Ground-Jeep",
         "AI-Ground-Citizen", "AI-Ground-CarGame", "AI-Fly-Transport", "AI-Ground-Tank-Swarm"},
        {"AI-Ground-Tank", "AI-Fly-Helicopter", "AI-Ground-Jeep", "AI-Ground-Tank-Swarm"}};
    // One skip at a time: two taps within one slow frame would count once.
    int skipped = 0;
    PlayTheMinute(game, player, playFrom, expected, [&](double seconds) {
        for (; seconds >= kAmbushAfter && skipped < 4; ++skipped) {
            keys.Send("0.5 tap F9\n");
            if (!player.Reach("MSG_DISABLE_OBJECTIVE to ")) {
                break;
            }
        }
    });
    EXPECT_EQ(skipped, 4);
    // The units stayed awake: nothing put them to sleep.
    const std::string played = game.Output().substr(playFrom);
    EXPECT_EQ(Occurrences(played, "MSG_DISABLE_AI to "), 0);
    EXPECT_EQ(Occurrences(played, "MSG_DISABLE_OBJECTIVE to "), skipped);
}

// The robot left standing, its camera behind it looking south where the tanks come from (the
// random camera of the first run mostly looks at the sky): once a tank and a helicopter have
// fired, screenshots at the next shots.
void WatchTheFight() {
    // At ThreadSanitizer's few frames a second the shots taken at the units' fire mostly
    // miss their bursts.
    if (game_process::kUnderThreadSanitizer) {
        GTEST_SKIP() << "too slow under ThreadSanitizer";
    }
    const ScopedTempHome home;
    const InputScriptFile keys(home.Path() + "/keys.txt");
    GameProcess game(
        GORVANE_BINARY_DIR, home.Path(),
        {keys.Variable(), "GORVANE_CHEATS=1", "GORVANE_TRACE_MESSAGES=MSG_DISABLE_DEALTH"});
    ASSERT_TRUE(game.Started());
    ScriptedPlayer player(game, keys);
    // The endless level: PLAY, then the play screen's second button.
    ASSERT_TRUE(player.StartLevel("PlayEndlessButton")) << game.Output();
    // The cheat key F10 makes the robot invulnerable: standing still under fire it would
    // otherwise be shot down before a burst is in view on a slow machine.
    keys.Send("0.5 tap F10\n");
    ASSERT_TRUE(player.Reach("MSG_DISABLE_DEALTH to ")) << game.Output();
    const std::size_t playFrom = player.Position();
    ASSERT_TRUE(player.Reach("AI unit \"AI-Ground-Tank\": fires a "))
        << game.Output().substr(playFrom);
    // The helicopters come with a later wave: on a loaded machine the game's clock, and the
    // waves with it, run well behind the wall's.
    ASSERT_TRUE(player.Reach("AI unit \"AI-Fly-Helicopter\": fires a ", 3 * GameProcess::kTimeout))
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

TEST(EndlessLevelUnits, TanksAndHelicoptersFireAndTheirShotsBurstAroundTheRobot) {
    WatchTheFight();
}

TEST(EndlessLevelUnits, SpawnFireAndDieUnderRandomPlayWithoutAFault) {
    PlayAMinuteOfTheEndlessLevel();
}

TEST(StoryLevelUnits, SpawnFireAndDieUnderRandomPlayWithoutAFault) {
    PlayAMinuteOfTheStoryLevel();
}

} // namespace
