#include "player/robot_sounds.h"

#include "core/component.h"
#include "core/component_type.h"
#include "core/game_object.h"
#include "game/sound_cue.h"
#include "player/player_component.h"
#include "player/robot_audio.h"
#include "player/struck_building.h"

namespace robot_sounds {

void Preload(RobotAudio* audio, GameObject& robot, Component* soundPlayer) {
    if (audio == nullptr || soundPlayer == nullptr) {
        return;
    }
    for (const char* path : {kPunch, kWalk, kHum, kLaser}) {
        audio->Preload(robot, path);
    }
}

void StartHum(RobotAudio* audio, GameObject& robot, Component* soundPlayer) {
    if (audio != nullptr && soundPlayer != nullptr) {
        audio->PlayLooping(robot, kHum, kHumVolume, kEffectsGroup);
    }
}

void PlayOnce(Component* soundPlayer, const std::string& path, f32 volume) {
    if (auto* cue = dynamic_cast<SoundCue*>(soundPlayer)) {
        cue->PlayOnce(path, volume);
    }
}

Component* SoundPlayerOf(GameObject* robot) {
    return robot != nullptr ? robot->GetComponent(ComponentType::SoundPlayer) : nullptr;
}

bool PunchImpact(const GameObject& other, const std::string& partType, i32 rightPhase,
                 i32 leftPhase) {
    const auto* building =
        dynamic_cast<const StruckBuilding*>(other.GetComponent(ComponentType::Building));
    if (building == nullptr || building->Loose() || partType.find("Arm") == std::string::npos) {
        return false;
    }
    const auto striking = [](i32 phase) {
        return phase == PunchState::kRelease || phase == PunchState::kRest;
    };
    return (partType.find("Right") != std::string::npos && striking(rightPhase)) ||
           (partType.find("Left") != std::string::npos && striking(leftPhase));
}

} // namespace robot_sounds
