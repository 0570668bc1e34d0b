#include "audio/sound_instance.h"

#include "audio/sound.h"
#include "audio/sound_process.h"

SoundInstance::~SoundInstance() {
    Stop();
}

void SoundInstance::Play(f32 volume, u32 loop) {
    sound::System& system = m_process->GetSystem();
    system.Stop(m_voice);
    m_volume = sound::ClampVolume(volume);
    m_voice =
        system.Play(*m_sound->m_clip, loop == 1, m_volume * m_process->GetMasterVolume(), m_group);
}

void SoundInstance::Stop() {
    m_process->GetSystem().Stop(m_voice);
    m_voice = sound::Voice();
}

bool SoundInstance::IsPlaying() const {
    return m_process->GetSystem().IsPlaying(m_voice);
}

void SoundInstance::ApplyMasterVolume(f32 master) {
    m_process->GetSystem().SetVolume(m_voice, m_volume * master);
}
