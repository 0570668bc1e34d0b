// The game left in a level under random input: nothing the sanitizers or the scripts report,
// and after the first minute neither memory nor the object pools keep growing and frames do
// not slow down. CI runs 100 s of play under AddressSanitizer (the build where a leak
// or a stray write shows); `make soak` runs an hour. Other builds skip it unless
// GORVANE_SOAK_SECONDS asks for a length.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/health_lines.h"
#include "app/screen_checks.h"
#include "app/scripted_player.h"
#include "support/scoped_temp_home.h"

namespace {

using game_process::GameProcess;
using game_process::HealthSample;
using game_process::InputScriptFile;
using game_process::ScriptedPlayer;

#if defined(__SANITIZE_ADDRESS__)
constexpr double kDefaultSoakSeconds = 100.0;
#else
constexpr double kDefaultSoakSeconds = 0.0;
#endif
constexpr double kWarmUpSeconds = 60.0;
constexpr const char* kHealthEvery = "10";

double SoakSeconds() {
    const char* const asked = std::getenv("GORVANE_SOAK_SECONDS");
    return asked != nullptr ? std::strtod(asked, nullptr) : kDefaultSoakSeconds;
}

TEST(SoakFaults, AReferenceAfterTheWarmUpAndGrowthBeyondItsShareFail) {
    const auto sample = [](double seconds, double frameMs, double rss, double high) {
        return HealthSample{seconds, frameMs, rss, high, 10.0};
    };
    struct Case {
        const char* what;
        std::vector<HealthSample> samples;
        std::size_t faults;
    };
    const std::vector<Case> cases = {
        // Growth during the warm-up does not count.
        {"steady",
         {sample(10, 20, 1000, 10), sample(60, 30, 5000, 90), sample(70, 31, 5100, 92),
          sample(80, 30, 5050, 92)},
         0},
        {"leak", {sample(60, 30, 5000, 90), sample(70, 30, 6000, 90), sample(80, 30, 7000, 90)}, 1},
        {"pool creep",
         {sample(60, 30, 5000, 90), sample(70, 30, 5000, 100), sample(80, 30, 5000, 120)},
         1},
        // A long run's waves fill the pools further for a while, then the mark holds.
        {"pools busier while the waves grow",
         {sample(60, 30, 5000, 90), sample(120, 30, 5000, 110), sample(300, 30, 5000, 120),
          sample(600, 30, 5000, 120), sample(900, 30, 5000, 121)},
         0},
        {"pool creep to the end of a long run",
         {sample(60, 30, 5000, 90), sample(300, 30, 5000, 100), sample(600, 30, 5000, 120),
          sample(900, 30, 5000, 140)},
         1},
        {"slowing",
         {sample(60, 20, 5000, 90), sample(70, 20, 5000, 90), sample(80, 30, 5000, 90),
          sample(90, 40, 5000, 90)},
         1},
        {"no lines after the warm-up", {sample(10, 20, 1000, 10), sample(20, 20, 1000, 10)}, 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(game_process::SoakFaults(c.samples, kWarmUpSeconds).size(), c.faults) << c.what;
    }
}

TEST(Soak, RandomPlayInALevelLeaksNothingAndDoesNotSlowDown) {
    const double seconds = SoakSeconds();
    if (seconds <= 0.0) {
        GTEST_SKIP() << "the soak runs under AddressSanitizer or with GORVANE_SOAK_SECONDS set";
    }
    const ScopedTempHome home;
    const InputScriptFile keys(home.Path() + "/keys.txt");
    std::vector<std::string> environment = {keys.Variable(), "GORVANE_RANDOM_INPUT=1",
                                            std::string("GORVANE_HEALTH_SECONDS=") + kHealthEvery};
    // A smaller quarantine of freed blocks, so the sanitizer's own memory levels off within
    // the warm-up and what grows afterwards is the game's.
    const char* const asan = std::getenv("ASAN_OPTIONS");
    environment.push_back(std::string("ASAN_OPTIONS=") + (asan != nullptr ? asan : "") +
                          ":quarantine_size_mb=32");
    GameProcess game(GORVANE_BINARY_DIR, home.Path(), environment);
    ASSERT_TRUE(game.Started());
    ScriptedPlayer player(game, keys);

    // The endless level: PLAY, then the play screen's second button.
    ASSERT_TRUE(player.StartLevel("PlayEndlessButton")) << game.Output();
    const std::size_t playFrom = player.Position();
    // Play time counts from the first health line after play began.
    double first = -1.0;
    double reached = 0.0;
    bool shot = false;
    while (first < 0.0 || reached - first < seconds) {
        const std::string line = player.LineAfter("Health: seconds=");
        ASSERT_FALSE(line.empty()) << game.Output().substr(playFrom);
        reached = std::strtod(line.c_str(), nullptr);
        if (first < 0.0) {
            first = reached;
        } else if (!shot) {
            // The level in play, its fade-in over: a lit scene with the score in its corner.
            shot = true;
            ScreenshotImage inPlay;
            ASSERT_TRUE(player.Screenshot(inPlay)) << game.Output().substr(playFrom);
            game_process::ExpectALitTexturedScene(inPlay, "the endless level");
            screen_checks::ExpectTheScoreText(inPlay, "the endless level");
        }
    }
    game.Signal(SIGTERM);
    const int status = game.Finish();
    const std::string& output = game.Output();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    EXPECT_EQ(output.find("Sanitizer"), std::string::npos) << output;
    EXPECT_EQ(output.find("runtime error"), std::string::npos) << output;
    EXPECT_EQ(output.find("LUA ERROR: "), std::string::npos) << output;

    std::vector<HealthSample> played;
    for (HealthSample sample : game_process::ReadHealthLines(output.substr(playFrom))) {
        sample.seconds -= first;
        played.push_back(sample);
    }
    for (const std::string& fault : game_process::SoakFaults(played, kWarmUpSeconds)) {
        ADD_FAILURE() << fault;
    }
    // The health lines of the run, for the record of a long soak.
    std::string record;
    for (const HealthSample& s : played) {
        record += std::to_string(s.seconds) + " s: " + std::to_string(s.frameMs) + " ms, " +
                  std::to_string(s.rssKb) + " kB, pool high " + std::to_string(s.poolHigh) + "\n";
    }
    RecordProperty("health", record);
    std::printf("%s", record.c_str());
}

} // namespace
