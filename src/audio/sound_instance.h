#pragma once
// One playback of a cached Sound on a channel index of its own, with its own base volume,
// group and optional position. Instances are made by the SoundProcess (by message) or by a
// SoundPlayer; whoever made one deletes it.
#include "core/memory_allocator.h"
#include "core/types.h"
#include "core/vector.h"

class Sound;
class SoundProcess;

class SoundInstance : public Allocator<SoundInstance> {
  public:
    // The sound groups the game uses; their volumes and mutes apply to every instance in them.
    static constexpr u32 kEffectsGroup = 0;
    static constexpr u32 kMusicGroup = 1;
    static constexpr u32 kFilmLeaderGroup = 2;
    // Within this squared distance from the listener a positional sound plays at full volume;
    // beyond it the volume falls with the inverse square.
    static constexpr f32 kFullVolumeDistanceSquared = 15000.0f;

    // Reserves a channel index; the position, when given, is shared and not owned.
    SoundInstance(Sound* sound, const Vector* position);
    virtual ~SoundInstance();
    SoundInstance(const SoundInstance&) = delete;
    SoundInstance& operator=(const SoundInstance&) = delete;

    // Restarts the sound paused, sets its volume from the base volume, group and master
    // volume, then lets it play; the sound counts as started this frame.
    void Play(f32 volume, bool loop);
    // Plays once from a position of its own, a copy of the given one.
    void PlayAt(f32 volume, const Vector& position);
    void Pause();
    void Resume();
    void Stop();
    bool IsPlaying() const;
    void SetVolume(f32 volume);
    // Applies distance, group and master volume to the channel.
    virtual void Update(float dt) { UpdateVolume(); }
    void UpdateVolume();
    // A persistent instance that has finished: its owner sets m_release and forgets it.
    bool FlagsSet() const { return m_persistent && m_finished; }

    bool HasChannel() const { return m_has_channel; }
    u32 ChannelIndex() const { return m_channel_index; }
    const Vector* Position() const { return m_position; }

    Sound* const m_sound;
    f32 m_base_volume = 0.0f;
    u32 m_group = kEffectsGroup;
    // Persistent (kept when it stops), finished (a persistent one that stopped), release
    // (its owner is done with a finished one).
    bool m_persistent = false;
    bool m_finished = false;
    bool m_release = false;

  private:
    f32 ChannelVolume(f32 volume) const;

    SoundProcess* const m_process;
    const u32 m_channel_index;
    const bool m_has_channel;
    const Vector* m_position;
    bool m_owns_position = false;
};
