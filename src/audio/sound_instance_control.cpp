#include "audio/sound_instance_control.h"

#include "audio/sound_instance.h"

SoundInstanceControl* SoundInstanceControl::Instance() {
    static SoundInstanceControl control;
    return &control;
}

void SoundInstanceControl::Play(SoundInstance* instance, f32 volume, bool loop) {
    instance->Play(volume, loop);
}

void SoundInstanceControl::Pause(SoundInstance* instance) {
    instance->Pause();
}

void SoundInstanceControl::Resume(SoundInstance* instance) {
    instance->Resume();
}

void SoundInstanceControl::Stop(SoundInstance* instance) {
    instance->Stop();
}

void SoundInstanceControl::SetGroup(SoundInstance* instance, u32 group) {
    instance->m_group = group;
}

void SoundInstanceControl::MarkPersistent(SoundInstance* instance) {
    instance->m_persistent = true;
    instance->m_finished = false;
    instance->m_release = false;
}

bool SoundInstanceControl::IsFinished(const SoundInstance* instance) const {
    return instance->FlagsSet();
}

void SoundInstanceControl::MarkRelease(SoundInstance* instance) {
    instance->m_release = true;
}

void SoundInstanceControl::SetVolume(SoundInstance* instance, f32 volume) {
    instance->SetVolume(volume);
}
