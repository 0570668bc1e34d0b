#pragma once
// The sound layer: one open audio device with its mixer, sounds decoded once into memory,
// and a fixed set of channels addressed by index. A caller reserves an index of its own and
// drives that channel: it starts a clip paused, sets the final volume, unpauses, pauses,
// resumes and stops it. The layer knows nothing of groups or master volume: the caller
// hands it the volume the channel is to play at.
//
// The mixer itself sits behind Backend, so the lifecycle can be driven by a fake whose
// channels end when a test says. All calls may come from any thread.
#include <memory>
#include <mutex>
#include <vector>

#include "platform/system/types.h"

namespace sound {

class System;

// What the mixer does for the System; the SDL mixer in the program, a fake in tests.
class Backend {
  public:
    virtual ~Backend() = default;
    virtual bool IsOpen() const = 0;
    virtual u32 ChannelCount() const = 0;
    // Decoded samples for the bytes, or null when they do not decode.
    virtual void* Decode(const std::vector<u8>& bytes) = 0;
    // Halts every channel playing the samples, then frees them.
    virtual void Free(void* samples) = 0;
    virtual bool Start(u32 channel, void* samples, bool loop, i32 mixerVolume) = 0;
    virtual void SetMixerVolume(u32 channel, i32 mixerVolume) = 0;
    virtual void Pause(u32 channel) = 0;
    virtual void Resume(u32 channel) = 0;
    virtual void Halt(u32 channel) = 0;
    // Started and not yet ended; a paused channel plays.
    virtual bool Playing(u32 channel) const = 0;
};

// The SDL mixer's backend: opens the default device with the given number of channels.
std::unique_ptr<Backend> MakeMixerBackend(u32 channels);

// A sound in memory. Destroying it stops every channel that plays it.
class Clip {
  public:
    ~Clip();
    Clip(const Clip&) = delete;
    Clip& operator=(const Clip&) = delete;

    // Music: decoded whole like an effect; the flag is kept as data.
    bool IsStream() const { return m_stream; }

  private:
    friend class System;
    Clip(System* system, void* samples, bool stream)
        : m_system(system), m_samples(samples), m_stream(stream) {}

    System* const m_system;
    void* const m_samples;
    const bool m_stream;
};

class System {
  public:
    static constexpr u32 kChannels = 1000;
    // The mixer's full volume.
    static constexpr i32 kMaxMixerVolume = 128;

    // Opens the default audio device with kChannels channels. When there is none, IsOpen is
    // false, the reason is logged once, and every later call fails or does nothing.
    System();
    explicit System(std::unique_ptr<Backend> backend);
    // Clips must be gone before the system closes.
    ~System();
    System(const System&) = delete;
    System& operator=(const System&) = delete;

    bool IsOpen() const;
    u32 ChannelCount() const;
    // True for an index the mixer has a channel for.
    bool HasChannel(u32 channel) const;

    // A WAV, MP3 or OGG file's bytes, decoded whole; null when the device is closed or the
    // bytes do not decode.
    std::unique_ptr<Clip> Load(std::vector<u8> bytes, bool stream);

    // Halts the channel and records a start of the clip, made by SetPaused(channel, false).
    void PlayPaused(u32 channel, Clip& clip, bool loop);
    void SetPaused(u32 channel, bool paused);
    // The final volume of the channel: negative or NaN is silent, above 1 full.
    void SetVolume(u32 channel, f32 volume);
    // A pending start and a paused channel count as playing.
    bool IsPlaying(u32 channel) const;
    void Stop(u32 channel);

    // The mixer volume (0 to 128) of a channel; -1 for one without a channel.
    i32 MixerVolume(u32 channel) const;

  private:
    friend class Clip;
    struct Channel {
        const Clip* pending = nullptr;
        bool loop = false;
        i32 volume = kMaxMixerVolume;
    };

    void Release(Clip& clip);

    mutable std::recursive_mutex m_mutex;
    std::unique_ptr<Backend> m_backend;
    std::vector<Channel> m_channels;
};

// Clamps to [0, 1]; NaN gives 0.
f32 ClampVolume(f32 volume);

} // namespace sound
