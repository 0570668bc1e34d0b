#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "city/game_logic_process.h"
#include "game_logic_fixture.h"
#include "platform/system/log.h"

namespace {

using game_logic_fixture::GameLogicTest;

// Runs the process frame by frame until the wave changes; the new wave's id.
int RunToNextWave(GameLogicProcess& logic) {
    const int number = logic.m_waveNumber;
    for (int frame = 0; frame < 100000 && logic.m_waveNumber == number; ++frame) {
        logic.Update(0.1f);
    }
    return logic.m_phase;
}

TEST_F(GameLogicTest, StoryWavesFollowOneThreeTwoZero) {
    GameLogicProcess& logic = Make(false, true);
    logic.SetPhase(1);
    std::vector<int> sequence = {logic.m_phase};
    for (int i = 0; i < 8; ++i) {
        sequence.push_back(RunToNextWave(logic));
    }
    const std::vector<int> expected = {1, 3, 2, 0, 1, 3, 2, 0, 1};
    EXPECT_EQ(sequence, expected);

    std::ostringstream line;
    for (const int wave : sequence) {
        line << wave << ' ';
    }
    sys::Log() << "story waves: " << line.str();
}

TEST_F(GameLogicTest, WavesSetTheirTargetsAndTimes) {
    struct Row {
        int id;
        std::vector<int> targets; // tank, helicopter, missile, truck, jeep, transport
        float duration;
        float end;
        int waveMode;
    };
    const std::vector<Row> rows = {
        {0, {10, 3, 0, 2, 2, 0}, 30.0f, 35.0f, 4},    {1, {12, 4, 0, 4, 3, 0}, 30.0f, 35.0f, 4},
        {2, {16, 4, 0, 2, 2, 0}, 12.0f, 17.0f, 4},    {3, {8, 2, 0, 4, 12, 0}, 15.0f, 18.0f, 4},
        {4, {12, 4, 1, 2, 2, 0}, 14.0f, 18.0f, 4},    {5, {10, 4, 0, 3, 2, 0}, 16.0f, 21.0f, 4},
        {6, {9, 2, 0, 2, 4, 0}, 18.0f, 22.0f, 4},     {7, {6, 6, 0, 0, 0, 0}, 14.0f, 22.0f, 2},
        {8, {5, 0, 0, 0, 2, 0}, 6000.0f, 6010.0f, 6}, {9, {6, 0, 0, 0, 4, 0}, 6000.0f, 6010.0f, 4},
    };
    const int categories[] = {0, 1, 2, 5, 6, 7};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.id);
        GameLogicProcess& logic = Make(false);
        logic.m_phaseTime = 3.0f;
        logic.SetPhase(row.id);
        for (int i = 0; i < 6; ++i) {
            EXPECT_EQ(logic.m_waveTarget[categories[i]], row.targets[i]) << categories[i];
        }
        EXPECT_FLOAT_EQ(logic.m_phaseDuration, row.duration);
        EXPECT_FLOAT_EQ(logic.m_phaseEnd, row.end);
        EXPECT_EQ(logic.m_waveMode, row.waveMode);
        EXPECT_EQ(logic.m_waveNumber, 1);
        EXPECT_FLOAT_EQ(logic.m_phaseTime, 0.0f);
        // Citizens and cars keep the level's targets.
        EXPECT_EQ(logic.m_waveTarget[3], 30);
        EXPECT_EQ(logic.m_waveTarget[10], 14);
    }
}

TEST_F(GameLogicTest, AStoryLevelStartsWithOnlyCitizensAndCars) {
    GameLogicProcess& logic = Make(false);
    EXPECT_EQ(logic.m_waveNumber, 0);
    EXPECT_FLOAT_EQ(logic.m_phaseDuration, 6000.0f);
    EXPECT_FLOAT_EQ(logic.m_phaseEnd, 6010.0f);
    for (int c = 0; c < GameLogicProcess::kCategoryCount; ++c) {
        EXPECT_EQ(logic.m_waveTarget[c], c == 3 ? 30 : c == 10 ? 14 : 0) << c;
    }
    // An unknown wave id clears the civilians too.
    logic.SetPhase(42);
    EXPECT_EQ(logic.m_waveTarget[3], 0);
    EXPECT_EQ(logic.m_waveTarget[10], 0);
}

TEST_F(GameLogicTest, NextWaveFollowsTheModeAndNoneComesAfterWaveSeven) {
    struct Row {
        int current;
        int waveMode;
        int next;
    };
    const std::vector<Row> rows = {
        {6, 4, 0}, {0, 4, 1}, {5, 4, 1}, {8, 6, 1}, {9, 4, 1},  {1, 4, 3}, {3, 4, 2},
        {2, 4, 0}, {2, 5, 4}, {4, 4, 0}, {4, 6, 5}, {10, 4, 0}, {7, 2, 7},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.current);
        GameLogicProcess& logic = Make(false);
        logic.m_phase = row.current;
        logic.m_waveMode = row.waveMode;
        logic.m_phaseTime = 50.0f;
        const int number = logic.m_waveNumber;
        logic.NextPhase();
        EXPECT_EQ(logic.m_phase, row.next);
        EXPECT_EQ(logic.m_waveNumber, row.current == 7 ? number : number + 1);
        EXPECT_FLOAT_EQ(logic.m_phaseTime, row.current == 7 ? 50.0f : 0.0f);
    }

    GameLogicProcess& logic = Make(false, true);
    logic.SetPhase(7);
    for (int frame = 0; frame < 600; ++frame) {
        logic.Update(0.1f);
    }
    EXPECT_EQ(logic.m_phase, 7);
    EXPECT_EQ(logic.m_waveNumber, 1);
}

TEST_F(GameLogicTest, AtMostSixRequestsAFrameLowestCategoriesFirst) {
    GameLogicProcess& logic = Make(false, true);
    logic.Update(0.0f);
    m_ai.received.clear();
    for (int c = 0; c < GameLogicProcess::kCategoryCount; ++c) {
        logic.m_waveTarget[c] = 5;
        logic.m_spawnTimer[c] = 1.0f;
    }
    logic.SpawnNormal();
    const std::vector<std::string> first = {"AI-Ground-Tank",   "AI-Fly-Helicopter",
                                            "AI-Seek-Missile",  "AI-Ground-CitizenCardboard",
                                            "AI-Fly-MediumUFO", "AI-Ground-Truck"};
    EXPECT_EQ(TakeSpawns(), first);
    logic.SpawnNormal();
    const std::vector<std::string> second = {"AI-Ground-Jeep", "AI-Fly-Transport",
                                             "AI-Ground-Tank-Swarm", "Boss", "AI-Ground-CarGame"};
    EXPECT_EQ(TakeSpawns(), second);
    logic.SpawnNormal();
    EXPECT_TRUE(TakeSpawns().empty());

    // Requests carry one unit, the zone and the radius.
    logic.m_spawnZone = 2;
    logic.m_spawnTimer[0] = 1.0f;
    logic.SpawnNormal();
    ASSERT_EQ(m_ai.received.size(), 1u);
    const SpawnStruct* request = m_ai.received[0].message->Payload<SpawnStruct>();
    ASSERT_NE(request, nullptr);
    EXPECT_EQ(request->m_count, 1);
    EXPECT_EQ(request->m_spawn_count, 1);
    EXPECT_EQ(request->m_zone, 2);
    EXPECT_FLOAT_EQ(request->m_radius, 710.0f);
    m_ai.received.clear();
    logic.SendSpawn("AI-Ground-Tank", 0);
    EXPECT_TRUE(m_ai.received.empty());
}

TEST_F(GameLogicTest, ACategoryIsRefilledOnePerIntervalOfItsMode) {
    struct Row {
        bool endless;
        int gapFrames;
    };
    // Frames of 0.15 s. Story: more than 0.4 s since the last request, so every third frame;
    // endless: more than 0.7 s, every fifth.
    const std::vector<Row> rows = {{false, 3}, {true, 5}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.endless);
        GameLogicProcess& logic = Make(row.endless, true);
        logic.Update(0.0f);
        if (!row.endless) {
            logic.SetPhase(2);
        }
        m_ai.received.clear();
        logic.m_waveTarget[0] = 100;
        // The agents die at once: the count never reaches the target.
        std::vector<int> frames;
        for (int frame = 0; frame < 30; ++frame) {
            logic.Update(0.15f);
            for (const std::string& name : TakeSpawns()) {
                if (name == "AI-Ground-Tank") {
                    frames.push_back(frame);
                }
            }
        }
        ASSERT_GE(frames.size(), 3u);
        for (size_t i = 1; i < frames.size(); ++i) {
            EXPECT_EQ(frames[i] - frames[i - 1], row.gapFrames) << i;
        }
    }
}

TEST_F(GameLogicTest, NoCitizensSkipsTheCitizenCategory) {
    GameLogicProcess& logic = Make(false, true);
    logic.Update(0.0f);
    for (int c = 0; c < GameLogicProcess::kSpawnedCategories; ++c) {
        logic.m_spawnTimer[c] = 1.0f;
    }
    logic.m_noCitizens = true;
    logic.SpawnNormal();
    const std::vector<std::string> expected = {"AI-Ground-CarGame"};
    EXPECT_EQ(TakeSpawns(), expected);
    logic.m_noCitizens = false;
    logic.SpawnNormal();
    const std::vector<std::string> citizens = {"AI-Ground-CitizenCardboard"};
    EXPECT_EQ(TakeSpawns(), citizens);
}

TEST_F(GameLogicTest, SpawnTimersStandStillInAWavesPause) {
    GameLogicProcess& logic = Make(false, true);
    logic.SetPhase(3); // 15 s of spawning, 3 s of pause
    logic.Update(14.95f);
    const float atEnd = logic.m_spawnTimer[0];
    logic.Update(0.1f);
    logic.Update(1.0f);
    EXPECT_FLOAT_EQ(logic.m_spawnTimer[0], atEnd);
    EXPECT_EQ(logic.m_phase, 3);
    logic.Update(2.0f);
    EXPECT_EQ(logic.m_phase, 2);
}

TEST_F(GameLogicTest, EndlessStartsWithItsTablesAndGrowsTheMediumUFOs) {
    GameLogicProcess& logic = Make(true);
    EXPECT_EQ(logic.m_phase, 1);
    EXPECT_EQ(logic.m_waveNumber, 1);
    EXPECT_EQ(logic.m_waveTarget[0], 12);
    logic.Update(0.0f);
    const int starts[] = {6, 3, 0, 20, 0, 0, 0, 0, 0, 0, 4};
    for (int c = 0; c < GameLogicProcess::kSpawnedCategories; ++c) {
        EXPECT_EQ(logic.m_waveTarget[c], starts[c]) << c;
    }

    // Growth times of the medium UFO target.
    std::vector<float> grown;
    const float dt = 0.05f;
    float now = 0.0f;
    int target = 0;
    for (int frame = 0; frame < 8000; ++frame) {
        logic.Update(dt);
        now += dt;
        if (logic.m_waveTarget[GameLogicProcess::kMediumUFO] != target) {
            target = logic.m_waveTarget[GameLogicProcess::kMediumUFO];
            grown.push_back(now);
        }
    }
    const std::vector<float> gaps = {60.0f, 50.0f, 40.0f, 30.0f, 20.0f, 10.0f, 6.5f, 6.5f};
    ASSERT_EQ(grown.size(), gaps.size());
    float previous = 0.0f;
    for (size_t i = 0; i < gaps.size(); ++i) {
        EXPECT_NEAR(grown[i] - previous, gaps[i], 0.11f) << i;
        previous = grown[i];
    }
    EXPECT_EQ(logic.m_waveTarget[GameLogicProcess::kMediumUFO], 8);
    // Categories with a cap of 0 never grow; the others stop at their caps.
    EXPECT_EQ(logic.m_waveTarget[GameLogicProcess::kJeep], 0);
    EXPECT_EQ(logic.m_waveTarget[GameLogicProcess::kTransport], 0);
    EXPECT_EQ(logic.m_waveTarget[GameLogicProcess::kMissile], 6);
    EXPECT_EQ(logic.m_waveTarget[GameLogicProcess::kCitizen], 20);
}

TEST_F(GameLogicTest, TenMinutesOfEndlessTargets) {
    GameLogicProcess& logic = Make(true);
    logic.Update(0.0f);
    const char* names[] = {"tank", "heli",      "missile", "citizen", "ufo", "truck",
                           "jeep", "transport", "swarm",   "boss",    "car"};
    std::ostringstream header;
    header << "endless targets: minute";
    for (const char* name : names) {
        header << ' ' << name;
    }
    sys::LogLine(header.str());
    std::vector<int> lastMinute;
    for (int minute = 1; minute <= 10; ++minute) {
        for (int frame = 0; frame < 600; ++frame) {
            logic.Update(0.1f);
        }
        std::ostringstream line;
        line << "endless targets: " << minute;
        lastMinute.clear();
        for (int c = 0; c < GameLogicProcess::kSpawnedCategories; ++c) {
            line << ' ' << logic.m_waveTarget[c];
            lastMinute.push_back(logic.m_waveTarget[c]);
        }
        sys::LogLine(line.str());
    }
    // Ten minutes is enough for every growing category to reach its cap but the truck's.
    const std::vector<int> expected = {18, 14, 6, 20, 8, 5, 0, 0, 0, 0, 7};
    EXPECT_EQ(lastMinute, expected);
}

} // namespace
