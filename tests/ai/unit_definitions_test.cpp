// The shipped unit definitions against the state table: a unit whose list names an unknown
// state, starts in a state without a class or lacks a state the rules switch it to would
// stand still or ignore the robot's hands.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "ai/state.h"
#include "ai/state_id.h"
#include "ai/unit_states.h"

namespace {

// Unit type -> its "AIView" state list, read from the definitions file's text.
std::map<std::string, std::vector<std::string>> ShippedStateLists() {
    std::ifstream in(std::string(GORVANE_SOURCE_DIR) + "/data/levels/game_objects.xml");
    std::stringstream text;
    text << in.rdbuf();
    const std::string xml = text.str();
    std::map<std::string, std::vector<std::string>> lists;
    const std::regex object(R"re(<GameObject name="([^"]+)">([\s\S]*?)</GameObject>)re");
    const std::regex view(R"re(<Component type="AIView">([\s\S]*?)</Component>)re");
    const std::regex state(R"re(<Param name="State \d+" type="string" value="([^"]+)" />)re");
    for (std::sregex_iterator o(xml.begin(), xml.end(), object), end; o != end; ++o) {
        const std::string body = (*o)[2];
        std::smatch v;
        if (!std::regex_search(body, v, view)) {
            continue;
        }
        const std::string states = v[1];
        std::vector<std::string>& list = lists[(*o)[1]];
        for (std::sregex_iterator s(states.begin(), states.end(), state); s != end; ++s) {
            list.push_back((*s)[1]);
        }
    }
    return lists;
}

bool Lists(const std::vector<std::string>& list, i32 id) {
    for (const std::string& name : list) {
        if (StateIdFromName(name) == id) {
            return true;
        }
    }
    return false;
}

// The families whose classes exist so far.
const char* const kFamilies[] = {
    "AI-Ground-Tank",    "AI-Ground-Tank-Swarm", "AI-Ground-TankObjective",
    "AI-Fly-Helicopter", "AI-Fly-Transport",     "AI-Ground-CitizenCardboard",
    "AI-Ground-Truck",   "AI-Ground-Jeep",       "AI-Ground-CarGame",
    "AI-Seek-Missile",   "AI-Ground-Citizen"};

TEST(UnitDefinitions, EveryStateNameIsKnown) {
    const auto lists = ShippedStateLists();
    ASSERT_FALSE(lists.empty());
    for (const auto& [type, list] : lists) {
        ASSERT_FALSE(list.empty()) << type;
        for (const std::string& name : list) {
            EXPECT_NE(StateIdFromName(name), kInvalidStateId) << type << ": " << name;
        }
    }
}

TEST(UnitDefinitions, UnitsOfTheBuiltFamiliesStartInAStateWithAClassAndListOnlyThose) {
    RegisterUnitStates();
    const auto lists = ShippedStateLists();
    for (const char* type : kFamilies) {
        const auto at = lists.find(type);
        ASSERT_NE(at, lists.end()) << type;
        for (const std::string& name : at->second) {
            State* state = MakeState(StateIdFromName(name));
            EXPECT_NE(state, nullptr) << type << ": " << name;
            delete state;
        }
    }
    ClearStateFactories();
}

TEST(UnitDefinitions, UnitsListTheStatesTheRulesSwitchThemTo) {
    const auto lists = ShippedStateLists();
    for (const auto& [type, list] : lists) {
        const bool ground = type.rfind("AI-Ground-", 0) == 0;
        // The bosses' parts are never thrown; their own rules are theirs.
        const bool flying = type.rfind("AI-Fly-", 0) == 0;
        if (ground || flying) {
            EXPECT_TRUE(Lists(list, STATE_THROWN)) << type;
        }
        if (ground) {
            EXPECT_TRUE(Lists(list, STATE_GRABBED)) << type;
        }
        if (type.rfind("AI-Ground-Citizen", 0) == 0) {
            EXPECT_TRUE(Lists(list, STATE_CITIZEN_PANIC)) << type;
        }
        if (type.find("AI-Ground-Tank") != std::string::npos) {
            for (i32 id : {STATE_TANK_SPAWN, STATE_TANK_SEEK, STATE_TANK_ATTACK, STATE_TANK_RETREAT,
                           STATE_TANK_DROPPED}) {
                EXPECT_TRUE(Lists(list, id)) << type << ": " << StateIdName(id);
            }
        }
    }
}

// Every unit the waves ask for has a spawn point type that makes it, and every spawn point
// makes a defined type; a missing one leaves the requests counted but never met.
TEST(UnitDefinitions, EveryRequestedUnitHasASpawnPointTypeForADefinedType) {
    std::ifstream in(std::string(GORVANE_SOURCE_DIR) + "/data/levels/game_objects.xml");
    std::stringstream text;
    text << in.rdbuf();
    const std::string xml = text.str();
    const std::regex object(R"re(<GameObject name="([^"]+)">([\s\S]*?)</GameObject>)re");
    const std::regex spawnType(
        R"re(<Component type="SpawnPoint">\s*<Param name="Spawn Type" type="string" value="([^"]+)")re");
    std::map<std::string, std::string> made; // spawn point type -> unit type
    std::vector<std::string> defined;
    for (std::sregex_iterator o(xml.begin(), xml.end(), object), end; o != end; ++o) {
        defined.push_back((*o)[1]);
        const std::string body = (*o)[2];
        std::smatch m;
        // The editor's catch-all object lists every component; it spawns nothing.
        if (std::regex_search(body, m, spawnType) && body.find("\"AIView\"") == std::string::npos) {
            made[(*o)[1]] = m[1];
        }
    }
    const char* const requested[] = {"AI-Ground-Tank",       "AI-Fly-Helicopter",
                                     "AI-Seek-Missile",      "AI-Ground-CitizenCardboard",
                                     "AI-Fly-MediumUFO",     "AI-Ground-Truck",
                                     "AI-Ground-Jeep",       "AI-Fly-Transport",
                                     "AI-Ground-Tank-Swarm", "AI-Ground-CarGame"};
    for (const char* unit : requested) {
        const bool spawned = std::any_of(made.begin(), made.end(),
                                         [&](const auto& point) { return point.second == unit; });
        EXPECT_TRUE(spawned) << unit;
    }
    for (const auto& [point, unit] : made) {
        EXPECT_NE(std::find(defined.begin(), defined.end(), unit), defined.end())
            << point << " makes " << unit;
        // Names the game's substring rules would take for something else.
        for (const char* trap : {"Robot", "Trigger", "Car", "Ground-", "Fly-"}) {
            EXPECT_EQ(point.find(trap), std::string::npos) << point;
        }
    }
}

// The laser-firing flyers start in their spawn state, and every state they list has a class.
TEST(UnitDefinitions, TheFlyersStartInTheirSpawnStatesAndListOnlyStatesWithClasses) {
    RegisterUnitStates();
    const auto lists = ShippedStateLists();
    const std::pair<const char*, i32> flyers[] = {{"AI-Fly-MediumUFO", STATE_MEDIUM_UFO_SPAWN},
                                                  {"AI-Boss-Fly-UFO", STATE_UFO_SPAWN},
                                                  {"AI-Fly-UFOChild", STATE_UFOCHILD_SPAWN},
                                                  {"AI-Boss-Fly-Flythra", STATE_FLYTHRA_SPAWN}};
    for (const auto& [type, spawn] : flyers) {
        const auto at = lists.find(type);
        ASSERT_NE(at, lists.end()) << type;
        ASSERT_FALSE(at->second.empty()) << type;
        EXPECT_EQ(StateIdFromName(at->second.front()), spawn) << type;
        EXPECT_TRUE(Lists(at->second, STATE_THROWN)) << type;
        for (const std::string& name : at->second) {
            State* state = MakeState(StateIdFromName(name));
            EXPECT_NE(state, nullptr) << type << ": " << name;
            delete state;
        }
    }
    EXPECT_TRUE(Lists(lists.at("AI-Boss-Fly-UFO"), STATE_UFO_DIE));
    EXPECT_TRUE(Lists(lists.at("AI-Boss-Fly-Flythra"), STATE_FLYTHRA_DIE));
    ClearStateFactories();
}

} // namespace
