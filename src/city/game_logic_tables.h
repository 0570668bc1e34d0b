#pragma once
// The game logic's data: category names, the lookup tables from object type names to
// categories (tried top to bottom, the first match decides), the story waves and the
// endless growth.
#include <array>
#include <string>

#include "core/types.h"

namespace game_logic_tables {

enum class Match { kEquals, kContains };

inline bool Matches(Match match, const char* pattern, const std::string& name) {
    return match == Match::kEquals ? name == pattern : name.find(pattern) != std::string::npos;
}

// A row of a counting table; alsoCategory (or -1) changes along with the category.
struct CountRow {
    Match match;
    const char* pattern;
    i32 category;
    i32 alsoCategory = -1;
};

// A row of a reward table; category -1 rewards without counting.
struct RewardRow {
    Match match;
    const char* pattern;
    i32 category;
    f32 base;
    f32 baseFlagSet = 0.0f;
    double heat = 0.0;
};

template <class Row, std::size_t N>
const Row* Find(const std::array<Row, N>& rows, const std::string& name) {
    for (const Row& row : rows) {
        if (Matches(row.match, row.pattern, name)) {
            return &row;
        }
    }
    return nullptr;
}

inline constexpr const char* kCategoryNames[20] = {
    "AI-Ground-Tank",
    "AI-Fly-Helicopter",
    // The AI's homing missile.
    "AI-Seek-Missile",
    "AI-Ground-CitizenCardboard",
    "AI-Fly-MediumUFO",
    "AI-Ground-Truck",
    "AI-Ground-Jeep",
    "AI-Fly-Transport",
    "AI-Ground-Tank-Swarm",
    "Boss",
    "AI-Ground-CarGame",
    "AI-Fly-Boss-Mothership",
    "Building",
    "Lightpost",
    "BuildingApartmentObjective",
    "BuildingHighClassObjective",
    "AI-Ground-TankObjective",
    "BuildingGasObjective",
    "BuildingPowerRelayStation",
    "BuildingBaseHeadquarters",
};

constexpr Match E = Match::kEquals;
constexpr Match C = Match::kContains;
constexpr double kKillHeat = 0.075;

// Kills (MSG_AGENT_DIED): reward 100 x base x (1 + heat)^2.
inline const std::array<RewardRow, 15> kKillRows = {{
    {E, "AI-Ground-Tank", 0, 10.0f, 0.0f, kKillHeat},
    {E, "AI-Fly-Helicopter", 1, 15.0f, 0.0f, kKillHeat},
    {C, "AI-Ground-Citizen", 3, 0.25f, 0.0f, kKillHeat},
    {E, "AI-Fly-MediumUFO", 4, 40.0f, 0.0f, kKillHeat},
    {E, "AI-Ground-Jeep", 6, 3.0f, 0.0f, kKillHeat},
    {E, "AI-Ground-CarGame", 10, 1.0f, 0.0f, kKillHeat},
    {E, "AI-Ground-Truck", 5, 10.0f, 0.0f, kKillHeat},
    {E, "AI-Fly-Transport", 7, 10.0f, 0.0f, kKillHeat},
    {E, "AI-Ground-Tank-Swarm", 8, 10.0f, 0.0f, kKillHeat},
    {E, "AI-Boss-Fly-MothershipBFGCore", 11, 0.0f, 0.0f, kKillHeat},
    {E, "Missile", 2, 15.0f, 0.0f, kKillHeat},
    {E, "AI-Seek-Missile", 2, 15.0f, 0.0f, kKillHeat},
    {E, "AI-Boss-Fly-UFO", 9, 1000.0f, 0.0f, kKillHeat},
    {E, "AI-Ground-TankObjective", 16, 10.0f, 0.0f, kKillHeat},
    // Any other car: rewarded, not counted.
    {C, "Car", -1, 20.0f, 0.0f, 0.05},
}};

// Destroyed buildings (MSG_BUILDING_DESTRUCTION): base with the flag clear, then set.
inline const std::array<RewardRow, 9> kBuildingRows = {{
    {E, "BuildingPowerRelayStation", 18, 500.0f, 0.0f},
    {C, "Reactor", 18, 500.0f, 0.0f},
    {E, "BuildingGasObjective", 17, 500.0f, 0.0f},
    {E, "BuildingApartmentObjective", 14, 500.0f, 0.0f},
    {E, "BuildingHighClassObjective", 15, 500.0f, 0.0f},
    {E, "LightPost", 13, 5.0f, 5.0f},
    {E, "BuildingBaseHeadquarters", 19, 300.0f, 300.0f},
    {C, "Building", 12, 100.0f, 0.0f},
    {C, "Car", 12, 2.0f, 2.0f},
}};

// Objects placed in the level (MSG_OBJECT_LEVEL_SPAWN).
inline const std::array<CountRow, 21> kLevelSpawnRows = {{
    {E, "AI-Ground-Tank", 0},
    {E, "AI-Fly-Helicopter", 1},
    {C, "AI-Ground-Citizen", 3},
    {E, "AI-Fly-MediumUFO", 4},
    {E, "AI-Ground-Jeep", 6},
    {E, "AI-Ground-Truck", 5},
    {E, "AI-Ground-CarGame", 10},
    {E, "Missile", 2},
    {E, "AI-Seek-Missile", 2},
    {E, "AI-Fly-Transport", 7},
    {E, "AI-Ground-Tank-Swarm", 8},
    {E, "AI-Boss-Fly-MothershipBFGCore", 11},
    {E, "AI-Boss-Fly-UFO", 9},
    {E, "BuildingPowerRelayStation", 18},
    {C, "Reactor", 18},
    {E, "BuildingApartmentObjective", 14},
    {E, "BuildingHighClassObjective", 15},
    {E, "AI-Ground-TankObjective", 16},
    {E, "BuildingGasObjective", 17},
    {E, "BuildingBaseHeadquarters", 19},
    {C, "Building", 12},
}};

// Agents the AI placed (MSG_INC_AGENT_COUNT); a transport brings its swarm.
inline const std::array<CountRow, 12> kIncreaseRows = {{
    {E, "AI-Ground-Tank", 0},
    {E, "AI-Fly-Helicopter", 1},
    {C, "AI-Ground-Citizen", 3},
    {E, "AI-Fly-MediumUFO", 4},
    {E, "AI-Ground-Jeep", 6},
    {E, "AI-Ground-CarGame", 10},
    {E, "AI-Ground-Truck", 5},
    {E, "AI-Boss-Fly-MothershipBFGCore", 11},
    {E, "Missile", 2},
    {E, "AI-Seek-Missile", 2},
    {E, "AI-Fly-Transport", 7, 8},
    {E, "AI-Boss-Fly-UFO", 9},
}};

// Agents given back (MSG_REMOVE_COUNT): the mirror of the increase.
inline const std::array<CountRow, 13> kDecreaseRows = {{
    {E, "AI-Ground-Tank", 0},
    {E, "AI-Ground-TankObjective", 16},
    {E, "AI-Fly-Helicopter", 1},
    {E, "AI-Fly-MediumUFO", 4},
    {C, "AI-Ground-Citizen", 3},
    {E, "AI-Ground-Jeep", 6},
    {E, "AI-Ground-Truck", 5},
    {E, "AI-Boss-Fly-MothershipBFGCore", 11},
    {E, "AI-Ground-CarGame", 10},
    {E, "Missile", 2},
    {E, "AI-Seek-Missile", 2},
    {E, "AI-Fly-Transport", 7, 8},
    {E, "AI-Boss-Fly-UFO", 9},
}};

// Story waves by id: targets of tank, helicopter, missile, truck, jeep and transport,
// spawning time and pause. waveMode -1 keeps the mode.
struct WaveRow {
    i32 tank, helicopter, missile, truck, jeep, transport;
    i32 waveMode;
    bool clearsCivilians;
    f32 duration, gap;
};

inline constexpr i32 kEmptyWave = 10;

inline constexpr WaveRow kWaves[11] = {
    {10, 3, 0, 2, 2, 0, -1, false, 30.0f, 5.0f},
    {12, 4, 0, 4, 3, 0, -1, false, 30.0f, 5.0f},
    {16, 4, 0, 2, 2, 0, -1, false, 12.0f, 5.0f},
    {8, 2, 0, 4, 12, 0, -1, false, 15.0f, 3.0f},
    {12, 4, 1, 2, 2, 0, -1, false, 14.0f, 4.0f},
    {10, 4, 0, 3, 2, 0, -1, false, 16.0f, 5.0f},
    {9, 2, 0, 2, 4, 0, -1, false, 18.0f, 4.0f},
    {6, 6, 0, 0, 0, 0, 2, false, 14.0f, 8.0f},
    {5, 0, 0, 0, 2, 0, 6, false, 6000.0f, 10.0f},
    {6, 0, 0, 0, 4, 0, -1, false, 6000.0f, 10.0f},
    // Any other id: nothing but what the level sets afterwards.
    {0, 0, 0, 0, 0, 0, -1, true, 6000.0f, 10.0f},
};

inline const WaveRow& Wave(i32 id) {
    return id >= 0 && id < kEmptyWave ? kWaves[id] : kWaves[kEmptyWave];
}

// The wave after the current one; -1 after wave 7, which has no successor.
inline i32 NextWave(i32 current, i32 waveMode) {
    switch (current) {
    case 6:
        return 0;
    case 0:
    case 5:
    case 8:
    case 9:
        return 1;
    case 1:
        return 3;
    case 7:
        return -1;
    case 3:
        return 2;
    case 2:
        return waveMode == 5 ? 4 : 0;
    case 4:
        return waveMode == 6 ? 5 : 0;
    default:
        return 0;
    }
}

// Endless growth per category: start target, cap, growth interval, interval step.
struct EndlessRow {
    i32 category;
    i32 startTarget;
    i32 cap;
    f32 interval;
    f32 step;
};

inline constexpr EndlessRow kEndlessRows[11] = {
    {0, 6, 18, 60.0f, 5.0f},   {1, 3, 14, 60.0f, 4.1f},  {2, 0, 6, 30.0f, 0.0f},
    {3, 20, 20, 100.0f, 0.0f}, {4, 0, 8, 60.0f, 10.0f},  {5, 0, 12, 114.0f, 0.0f},
    {6, 0, 0, 116.0f, 0.0f},   {7, 0, 0, 60.0f, 3.7f},   {8, 0, 0, 200.0f, 0.0f},
    {9, 0, 0, 200.0f, 0.0f},   {10, 4, 8, 200.0f, 0.0f},
};

} // namespace game_logic_tables
