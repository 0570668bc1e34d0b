#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

#include "core/definition_component.h"
#include "player/robot_audio.h"
#include "player/robot_sounds.h"
#include "player/struck_building.h"
#include "player_level_fixture.h"
#include "robot_moves_fixture.h"

namespace {

class RecordingAudio : public RobotAudio {
  public:
    bool Preload(GameObject& object, const std::string& path) override {
        preloaded.emplace_back(object.name, path);
        return true;
    }
    void PlayLooping(GameObject& object, const std::string& path, f32 volume, u32 group) override {
        loops.emplace_back(object.name, path, volume, group);
    }

    std::vector<std::pair<std::string, std::string>> preloaded;
    std::vector<std::tuple<std::string, std::string, f32, u32>> loops;
};

class Building : public DefinitionComponent, public StruckBuilding {
  public:
    explicit Building(bool loose) : DefinitionComponent("BuildingApartment"), m_loose(loose) {}
    bool Loose() const override { return m_loose; }

  private:
    const bool m_loose;
};

class RobotSounds : public player_level::Level {
  protected:
    // The sound player and the buildings belong to this fixture: they leave their objects
    // before they go.
    ~RobotSounds() override {
        for (auto& [object, list] : ownComponents) {
            std::erase_if(list, [&](Component* c) {
                const bool mine =
                    c == &cue || std::any_of(buildings.begin(), buildings.end(),
                                             [&](const auto& b) { return b.get() == c; });
                if (mine) {
                    object->RemoveComponent(c, false);
                }
                return mine;
            });
        }
    }

    void GiveSoundPlayer() {
        robot->AddComponent(ComponentType::SoundPlayer, &cue);
        ownComponents[robot].push_back(&cue);
    }

    // A building of the kind next to the robot.
    GameObject* BuildingNearby(bool loose) {
        GameObject* other = Other("BuildingApartment");
        buildings.push_back(std::make_unique<Building>(loose));
        other->AddComponent(ComponentType::Building, buildings.back().get());
        ownComponents[other].push_back(buildings.back().get());
        return other;
    }

    GameObject* PartNamed(const std::string& name) {
        for (auto& part : parts) {
            if (part->name == name) {
                return part.get();
            }
        }
        return nullptr;
    }

    RecordingAudio audio;
    robot_moves::Sounds cue;
    std::vector<std::unique_ptr<Building>> buildings;
};

TEST_F(RobotSounds, TheRobotLoadsItsSoundsAndStartsItsHumOnce) {
    process->m_audio = &audio;
    GiveSoundPlayer();
    player->Initialize();
    // Loaded at once; the hum waits for the first update, on the main thread.
    EXPECT_EQ(audio.preloaded.size(), 4u);
    EXPECT_TRUE(audio.loops.empty());
    Frames(2);

    const std::vector<std::pair<std::string, std::string>> preloads = {
        {"RobotBase", "./assets/sound fx/punch.mp3"},
        {"RobotBase", "./assets/sound fx/walk.mp3"},
        {"RobotBase", "./assets/sound fx/hum.mp3"},
        {"RobotBase", "./assets/sound fx/laser.mp3"}};
    EXPECT_EQ(audio.preloaded, preloads);
    ASSERT_EQ(audio.loops.size(), 1u);
    EXPECT_EQ(audio.loops[0], std::make_tuple(std::string("RobotBase"),
                                              std::string("./assets/sound fx/hum.mp3"), 0.25f, 0u));
}

TEST_F(RobotSounds, WithoutASoundPlayerNothingIsLoadedOrStarted) {
    process->m_audio = &audio;
    player->Initialize();
    Frames(1);
    EXPECT_TRUE(audio.preloaded.empty());
    EXPECT_TRUE(audio.loops.empty());
}

TEST_F(RobotSounds, APunchingArmSoundsOnAStandingBuildingOnlyWhileReleasingOrAtRest) {
    GiveSoundPlayer();
    struct Case {
        const char* part;
        bool loose;
        i32 right;
        i32 left;
        bool sounds;
    };
    const Case cases[] = {
        {"RobotRightArm", false, PunchState::kRelease, PunchState::kStart, true},
        {"RobotRightArm", false, PunchState::kRest, PunchState::kStart, true},
        {"RobotRightArm", false, PunchState::kCharge, PunchState::kRelease, false},
        {"RobotRightArm", false, PunchState::kRocketFlight, PunchState::kStart, false},
        {"RobotLeftArm", false, PunchState::kStart, PunchState::kRelease, true},
        {"RobotLeftArm", false, PunchState::kRelease, PunchState::kCharge, false},
        {"RobotRightArm", true, PunchState::kRelease, PunchState::kRelease, false},
        {"RobotBody", false, PunchState::kRelease, PunchState::kRelease, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.part) + (c.loose ? " loose" : " standing") + " " +
                     std::to_string(c.right) + "/" + std::to_string(c.left));
        cue.played.clear();
        player->m_right_punch.phase = c.right;
        player->m_left_punch.phase = c.left;
        Touch(PartNamed(c.part), BuildingNearby(c.loose), Vector(0.0f, 5.0f, 0.0f));
        const bool impact =
            std::find(cue.played.begin(), cue.played.end(),
                      std::make_pair(std::string("assets/sound fx/punch_impact.mp3"), 0.9f)) !=
            cue.played.end();
        EXPECT_EQ(impact, c.sounds);
    }
}

TEST_F(RobotSounds, AnyArmHittingSomethingOtherThanABuildingMakesNoImpactSound) {
    GiveSoundPlayer();
    player->m_right_punch.phase = PunchState::kRelease;
    Touch(PartNamed("RobotRightArm"), Other("AI-Ground-Citizen"), Vector(0.0f, 5.0f, 0.0f));
    EXPECT_TRUE(cue.played.empty());
}

TEST_F(RobotSounds, AnElectricFenceCracklesOnTheRobotsSoundPlayer) {
    GiveSoundPlayer();
    Touch(PartNamed("RobotLeg"), Other("GateBlocker01"), Vector(0.0f, 1.0f, 0.0f));
    const std::vector<std::pair<std::string, float>> expected = {
        {"assets/sound fx/electrical_explosion.mp3", 0.4f}};
    EXPECT_EQ(cue.played, expected);
}

TEST_F(RobotSounds, WithoutASoundPlayerAFenceStillSparksSilently) {
    Touch(PartNamed("RobotLeg"), Other("GateBlocker01"), Vector(0.0f, 1.0f, 0.0f));
    EXPECT_TRUE(cue.played.empty());
    EXPECT_FALSE(Received(HANDLER_GRAPHICS_PROCESS, MSG_CREATE_PARTICLE_SYSTEM).empty());
}

} // namespace
