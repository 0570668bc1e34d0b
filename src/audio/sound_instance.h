#pragma once
// One playing use of a cached Sound, owned by the SoundProcess; it lives until its sound is
// released.
#include "core/memory_allocator.h"
#include "core/types.h"
#include "platform/sound/sound_system.h"

class Sound;
class SoundProcess;

class SoundInstance : public Allocator<SoundInstance> {
  public:
    // The sound groups the game uses; their volumes and mutes apply to every instance in them.
    static constexpr u32 kEffectsGroup = 0;
    static constexpr u32 kMusicGroup = 1;
    static constexpr u32 kFilmLeaderGroup = 2;

    SoundInstance(SoundProcess* process, Sound* sound) : m_process(process), m_sound(sound) {}
    ~SoundInstance();
    SoundInstance(const SoundInstance&) = delete;
    SoundInstance& operator=(const SoundInstance&) = delete;

    // Restarts the sound from its beginning in the instance's group: looping when loop is 1,
    // once otherwise, at the volume clamped to [0, 1] times the master volume.
    void Play(f32 volume, u32 loop);
    void Stop();
    bool IsPlaying() const;
    // Applies a changed master volume to a sound that is playing.
    void ApplyMasterVolume(f32 master);

    SoundProcess* const m_process;
    Sound* const m_sound;
    // Set by the owner before Play; a change takes effect at the next Play.
    u32 m_group = kEffectsGroup;
    f32 m_volume = 1.0f;
    sound::Voice m_voice;
};
