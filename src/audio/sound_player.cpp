#include "audio/sound_player.h"

#include "audio/sound.h"
#include "audio/sound_instance.h"
#include "audio/sound_process.h"
#include "core/game_object.h"

SoundPlayer::~SoundPlayer() = default;

SoundInstance* SoundPlayer::GetSoundInstance(Sound* sound) {
    if (sound == nullptr || sound->m_started ||
        m_instances.count(sound->m_path) >= kMaxInstancesPerPath) {
        return nullptr;
    }
    auto instance =
        std::make_unique<SoundInstance>(sound, owner != nullptr ? &owner->position : nullptr);
    if (!instance->HasChannel()) {
        return nullptr;
    }
    SoundInstance* const result = instance.get();
    m_instances.emplace(sound->m_path, std::move(instance));
    return result;
}

void SoundPlayer::PlayOnce(const std::string& path, float volume) {
    auto* const sounds = dynamic_cast<SoundProcess*>(process);
    if (sounds == nullptr) {
        return;
    }
    if (SoundInstance* const instance = GetSoundInstance(sounds->LoadSound(path, false))) {
        instance->Play(volume, false);
    }
}

void SoundPlayer::Update(float dt) {
    for (auto it = m_instances.begin(); it != m_instances.end(); ++it) {
        it->second->Update(dt);
        if (!it->second->IsPlaying()) {
            m_instances.erase(it);
            return;
        }
    }
}
