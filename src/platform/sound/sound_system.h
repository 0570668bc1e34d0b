#pragma once
// The sound layer: one open audio device with its mixer, sounds held in memory, and the
// voices that play them. A sound is either decoded once into samples (short effects) or
// kept as encoded bytes and decoded while it plays (music). Every voice belongs to a group
// whose volume and mute scale it. Only one decoded-while-playing sound plays at a time;
// starting another stops the first.
//
// All calls may come from any thread.
#include <memory>
#include <mutex>
#include <vector>

#include "platform/system/types.h"

struct Mix_Chunk;
struct _Mix_Music;

namespace sound {

// A sound in memory. Destroying it stops every voice that plays it.
class Clip {
  public:
    ~Clip();
    Clip(const Clip&) = delete;
    Clip& operator=(const Clip&) = delete;

    bool IsStream() const { return m_music != nullptr; }

  private:
    friend class System;
    Clip() = default;

    Mix_Chunk* m_chunk = nullptr;
    _Mix_Music* m_music = nullptr;
    // The encoded bytes a stream decodes from while it plays.
    std::vector<u8> m_bytes;
};

// One start of a clip. It goes stale when the clip ends or its mixer channel is taken by
// another start; calls on a stale voice do nothing.
struct Voice {
    static constexpr i32 kStreamChannel = -2;

    bool IsValid() const { return m_token != 0; }

    i32 m_channel = -1;
    u64 m_token = 0;
};

class System {
  public:
    static constexpr u32 kFirstChannels = 32;
    static constexpr u32 kMaxChannels = 256;

    // Opens the default audio device. When there is none, IsOpen is false, the reason is
    // logged once, and every later call fails or does nothing.
    System();
    // Clips must be gone before the system closes.
    ~System();
    System(const System&) = delete;
    System& operator=(const System&) = delete;

    bool IsOpen() const { return m_open; }

    // A WAV, MP3 or OGG file's bytes; null when the device is closed or the bytes do not
    // decode.
    std::unique_ptr<Clip> Load(std::vector<u8> bytes, bool stream);

    // Starts the clip at once at the given volume (0 to 1, before the group's scaling).
    // An invalid voice when nothing can play it.
    Voice Play(Clip& clip, bool loop, f32 volume, u32 group);
    bool IsPlaying(const Voice& voice) const;
    void Stop(const Voice& voice);
    void SetPaused(const Voice& voice, bool paused);
    void SetVolume(const Voice& voice, f32 volume);

    // Group volumes are 1 and unmuted until set; playing voices follow changes at once.
    void SetGroupVolume(u32 group, f32 volume);
    void SetGroupMuted(u32 group, bool muted);
    f32 GroupVolume(u32 group) const;
    bool IsGroupMuted(u32 group) const;

    // The mixer volume (0 to 128) a voice of the group at this volume gets.
    i32 MixerVolume(u32 group, f32 volume) const;

  private:
    struct Slot {
        u64 token = 0;
        u32 group = 0;
        f32 volume = 1.0f;
    };
    struct Group {
        u32 id = 0;
        f32 volume = 1.0f;
        bool muted = false;
    };

    Slot* Find(const Voice& voice);
    const Slot* Find(const Voice& voice) const;
    bool SlotPlaying(const Voice& voice) const;
    i32 FreeChannel();
    void Apply(const Voice& voice, const Slot& slot) const;
    const Group* FindGroup(u32 group) const;
    Group& GetGroup(u32 group);
    void ApplyGroup(u32 group);

    mutable std::recursive_mutex m_mutex;
    bool m_open = false;
    u64 m_next_token = 1;
    std::vector<Slot> m_channels;
    Slot m_stream;
    std::vector<Group> m_groups;
};

// Clamps to [0, 1]; NaN gives 0.
f32 ClampVolume(f32 volume);

} // namespace sound
