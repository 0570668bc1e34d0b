#pragma once
// What a subsystem below the audio layer may do with a sound instance the sound process
// handed it (MSG_SOUND_INSTANCE): play, pause, stop and mark it. The audio layer implements
// it over its own instances; tests implement it with a recording fake.
#include "core/types.h"

class SoundInstance;

class SoundControl {
  public:
    virtual ~SoundControl() = default;
    virtual void Play(SoundInstance* instance, f32 volume, bool loop) = 0;
    virtual void Pause(SoundInstance* instance) = 0;
    virtual void Resume(SoundInstance* instance) = 0;
    virtual void Stop(SoundInstance* instance) = 0;
    virtual void SetGroup(SoundInstance* instance, u32 group) = 0;
    // Kept by the sound process when it stops: persistent, not finished, not released.
    virtual void MarkPersistent(SoundInstance* instance) = 0;
    // A persistent instance that has played to its end.
    virtual bool IsFinished(const SoundInstance* instance) const = 0;
    // Its holder is done with it; the sound process deletes it.
    virtual void MarkRelease(SoundInstance* instance) = 0;
    // Changes the volume of a playing instance (music fades).
    virtual void SetVolume(SoundInstance* instance, f32 volume) = 0;
};
