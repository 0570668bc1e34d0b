#include "app/level_building_services.h"

#include "audio/sound_instance.h"
#include "audio/sound_player.h"
#include "audio/sound_process.h"
#include "core/component_type.h"
#include "core/game_object.h"

namespace {

SoundPlayer* PlayerOf(GameObject* object) {
    return object != nullptr
               ? dynamic_cast<SoundPlayer*>(object->GetComponent(ComponentType::SoundPlayer))
               : nullptr;
}

} // namespace

void LevelBuildingServices::PreloadSound(const std::string& path) {
    if (m_sound != nullptr) {
        m_sound->LoadSound(path, false);
    }
}

void LevelBuildingServices::PlayInstanceAt(SoundInstance* instance, const Vector& at,
                                           float volume) {
    if (instance != nullptr) {
        instance->PlayAt(volume, at);
    }
}

bool LevelBuildingServices::HasSoundPlayer(GameObject* object) {
    return PlayerOf(object) != nullptr;
}

void LevelBuildingServices::PlaySound(GameObject* object, const std::string& path, float volume) {
    SoundPlayer* player = PlayerOf(object);
    if (player == nullptr || m_sound == nullptr) {
        return;
    }
    Sound* sound = m_sound->FindSound(path);
    if (sound == nullptr) {
        sound = m_sound->LoadSound(path, false);
    }
    if (SoundInstance* instance = player->GetSoundInstance(sound)) {
        instance->Play(volume, false);
    }
}
