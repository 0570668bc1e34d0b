#include "audio/sound_instance.h"

#include <algorithm>

#include "audio/sound.h"
#include "audio/sound_process.h"

SoundInstance::SoundInstance(Sound* sound, const Vector* position)
    : m_sound(sound), m_process(sound->m_process),
      m_channel_index(m_process->AllocateChannelIndex()),
      m_has_channel(m_process->GetSystem().HasChannel(m_channel_index)), m_position(position) {}

SoundInstance::~SoundInstance() {
    Stop();
    m_process->FreeChannelIndex(m_channel_index);
    if (m_owns_position) {
        delete m_position;
    }
}

f32 SoundInstance::ChannelVolume(f32 volume) const {
    return volume * m_process->GetGroupVolume(m_group) * m_process->GetMasterVolume();
}

void SoundInstance::Play(f32 volume, bool loop) {
    if (!m_has_channel) {
        return;
    }
    sound::System& system = m_process->GetSystem();
    if (IsPlaying()) {
        system.Stop(m_channel_index);
    }
    m_sound->SetLoop(loop);
    system.PlayPaused(m_channel_index, *m_sound->m_clip, loop);
    m_base_volume = volume;
    // Distance falloff waits for the next update.
    system.SetVolume(m_channel_index, ChannelVolume(sound::ClampVolume(volume)));
    system.SetPaused(m_channel_index, false);
    m_sound->m_started = true;
}

void SoundInstance::PlayAt(f32 volume, const Vector& position) {
    Play(volume, false);
    if (m_owns_position) {
        delete m_position;
    }
    m_position = new Vector(position);
    m_owns_position = true;
}

void SoundInstance::Pause() {
    if (IsPlaying()) {
        m_process->GetSystem().SetPaused(m_channel_index, true);
    }
}

void SoundInstance::Resume() {
    if (IsPlaying()) {
        m_process->GetSystem().SetPaused(m_channel_index, false);
    }
}

void SoundInstance::Stop() {
    if (IsPlaying()) {
        m_process->GetSystem().Stop(m_channel_index);
    }
}

bool SoundInstance::IsPlaying() const {
    return m_has_channel && m_process->GetSystem().IsPlaying(m_channel_index);
}

void SoundInstance::SetVolume(f32 volume) {
    m_base_volume = volume;
    if (m_has_channel) {
        m_process->GetSystem().SetVolume(m_channel_index,
                                         ChannelVolume(sound::ClampVolume(volume)));
    }
}

void SoundInstance::UpdateVolume() {
    if (!m_has_channel) {
        return;
    }
    f32 volume = sound::ClampVolume(m_base_volume);
    if (m_position != nullptr) {
        const Vector listener = m_process->ListenerPosition();
        const f32 dx = m_position->x - listener.x;
        const f32 dy = m_position->y - listener.y;
        const f32 dz = m_position->z - listener.z;
        const f32 distanceSquared = dx * dx + dy * dy + dz * dz;
        // At the listener's own place the falloff would divide by zero: full base volume.
        if (distanceSquared > 0.0f) {
            const f32 falloff =
                sound::ClampVolume(m_base_volume * kFullVolumeDistanceSquared / distanceSquared);
            volume = std::min(falloff, m_base_volume);
        }
    }
    m_process->GetSystem().SetVolume(m_channel_index, ChannelVolume(volume));
}
