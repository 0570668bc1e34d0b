#pragma once
// The sound control the lower subsystems are given: the sound process's own instances.
#include "game/sound_control.h"

class SoundInstanceControl final : public SoundControl {
  public:
    static SoundInstanceControl* Instance();

    void Play(SoundInstance* instance, f32 volume, bool loop) override;
    void Pause(SoundInstance* instance) override;
    void Resume(SoundInstance* instance) override;
    void Stop(SoundInstance* instance) override;
    void SetGroup(SoundInstance* instance, u32 group) override;
    void MarkPersistent(SoundInstance* instance) override;
    bool IsFinished(const SoundInstance* instance) const override;
    void MarkRelease(SoundInstance* instance) override;
    void SetVolume(SoundInstance* instance, f32 volume) override;
};
