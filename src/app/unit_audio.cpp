#include "app/unit_audio.h"

#include "ai/unit_services.h"
#include "audio/sound_instance.h"
#include "audio/sound_player.h"
#include "audio/sound_process.h"
#include "core/component_type.h"
#include "core/game_object.h"
#include "player/robot_audio.h"

namespace {

class SoundPlayerAudio : public UnitAudio, public RobotAudio {
  public:
    bool Preload(GameObject& object, const std::string& path) override {
        return Load(object, path) != nullptr || PlayerOf(object) != nullptr;
    }
    void PlayLooping(GameObject& object, const std::string& path, f32 volume, u32 group) override {
        if (SoundInstance* instance = PlayerInstance(object, path)) {
            instance->m_group = group;
            instance->Play(volume, true);
        }
    }
    SoundInstance* PlayerInstance(GameObject& object, const std::string& path) override {
        SoundPlayer* const player = PlayerOf(object);
        if (player == nullptr) {
            return nullptr;
        }
        return player->GetSoundInstance(Load(object, path));
    }
    void Play(SoundInstance* instance, f32 volume, bool loop) override {
        if (instance != nullptr) {
            instance->Play(volume, loop);
        }
    }
    void PlayAt(SoundInstance* instance, f32 volume, const Vector& position) override {
        if (instance != nullptr) {
            instance->PlayAt(volume, position);
        }
    }

  private:
    static SoundPlayer* PlayerOf(GameObject& object) {
        return dynamic_cast<SoundPlayer*>(object.GetComponent(ComponentType::SoundPlayer));
    }
    static Sound* Load(GameObject& object, const std::string& path) {
        SoundPlayer* const player = PlayerOf(object);
        auto* const sounds =
            player != nullptr ? dynamic_cast<SoundProcess*>(player->process) : nullptr;
        return sounds != nullptr ? sounds->LoadSound(path, false) : nullptr;
    }
};

SoundPlayerAudio& SharedAudio() {
    static SoundPlayerAudio audio;
    return audio;
}

} // namespace

UnitAudio* SoundPlayerUnitAudio() {
    return &SharedAudio();
}

RobotAudio* SoundPlayerRobotAudio() {
    return &SharedAudio();
}
