#include "platform/sound/sound_system.h"
#include "platform/system/log.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <cmath>

namespace sound {

namespace {

constexpr int kFrequency = 44100;
constexpr int kOutputChannels = 2;
constexpr int kChunkSize = 1024;

// SDL picks its sample converters on the first conversion of the process without a guard,
// so two first decodes at once can find none ("No conversion from source format to float
// available"); the decoders keep shared state besides. Decodes take turns.
std::mutex g_decodeLock;

// Makes SDL pick its converters now, on the opening thread, before any loader thread or
// the mixer's thread converts anything.
void SetUpConversion() {
    SDL_AudioCVT cvt;
    const std::lock_guard<std::mutex> lock(g_decodeLock);
    SDL_BuildAudioCVT(&cvt, AUDIO_S16SYS, 1, 22050, AUDIO_F32SYS, kOutputChannels, kFrequency);
}

class MixerBackend : public Backend {
  public:
    explicit MixerBackend(u32 channels) {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            sys::Log() << "Sound: no audio: " << SDL_GetError();
            return;
        }
        // Decoders that cannot load leave their formats unplayable; WAV needs none.
        Mix_Init(MIX_INIT_MP3 | MIX_INIT_OGG);
        if (Mix_OpenAudio(kFrequency, MIX_DEFAULT_FORMAT, kOutputChannels, kChunkSize) != 0) {
            sys::Log() << "Sound: cannot open the audio device: " << Mix_GetError();
            Mix_Quit();
            SDL_QuitSubSystem(SDL_INIT_AUDIO);
            return;
        }
        m_channels = static_cast<u32>(Mix_AllocateChannels(static_cast<int>(channels)));
        sys::Log() << "Software channels: " << m_channels;
        SetUpConversion();
        m_open = true;
    }
    ~MixerBackend() override {
        if (!m_open) {
            return;
        }
        Mix_HaltChannel(-1);
        Mix_CloseAudio();
        Mix_Quit();
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    MixerBackend(const MixerBackend&) = delete;
    MixerBackend& operator=(const MixerBackend&) = delete;

    bool IsOpen() const override { return m_open; }
    u32 ChannelCount() const override { return m_channels; }
    void* Decode(const std::vector<u8>& bytes) override {
        const std::lock_guard<std::mutex> decoding(g_decodeLock);
        SDL_RWops* rw = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
        Mix_Chunk* chunk = rw != nullptr ? Mix_LoadWAV_RW(rw, 1) : nullptr;
        if (chunk == nullptr) {
            sys::Log() << "Sound: cannot decode sound: " << Mix_GetError();
        }
        return chunk;
    }
    // Freeing halts whatever plays the chunk, so no channel reads freed samples.
    void Free(void* samples) override { Mix_FreeChunk(static_cast<Mix_Chunk*>(samples)); }
    bool Start(u32 channel, void* samples, bool loop, i32 mixerVolume) override {
        // The volume goes first so the start is never heard louder than asked.
        Mix_Volume(static_cast<int>(channel), mixerVolume);
        return Mix_PlayChannel(static_cast<int>(channel), static_cast<Mix_Chunk*>(samples),
                               loop ? -1 : 0) >= 0;
    }
    void SetMixerVolume(u32 channel, i32 mixerVolume) override {
        Mix_Volume(static_cast<int>(channel), mixerVolume);
    }
    void Pause(u32 channel) override { Mix_Pause(static_cast<int>(channel)); }
    void Resume(u32 channel) override { Mix_Resume(static_cast<int>(channel)); }
    void Halt(u32 channel) override { Mix_HaltChannel(static_cast<int>(channel)); }
    bool Playing(u32 channel) const override { return Mix_Playing(static_cast<int>(channel)) != 0; }

  private:
    bool m_open = false;
    u32 m_channels = 0;
};

i32 ToMixerVolume(f32 volume) {
    return static_cast<i32>(std::lround(ClampVolume(volume) * System::kMaxMixerVolume));
}

} // namespace

std::unique_ptr<Backend> MakeMixerBackend(u32 channels) {
    return std::make_unique<MixerBackend>(channels);
}

f32 ClampVolume(f32 volume) {
    if (!(volume > 0.0f)) {
        return 0.0f;
    }
    return std::min(volume, 1.0f);
}

Clip::~Clip() {
    m_system->Release(*this);
}

System::System() : System(MakeMixerBackend(kChannels)) {}

System::System(std::unique_ptr<Backend> backend) : m_backend(std::move(backend)) {
    if (m_backend->IsOpen()) {
        m_channels.resize(m_backend->ChannelCount());
    }
}

System::~System() = default;

bool System::IsOpen() const {
    return m_backend->IsOpen();
}

u32 System::ChannelCount() const {
    return static_cast<u32>(m_channels.size());
}

bool System::HasChannel(u32 channel) const {
    return channel < m_channels.size();
}

std::unique_ptr<Clip> System::Load(std::vector<u8> bytes, bool stream) {
    if (!IsOpen() || bytes.empty()) {
        return nullptr;
    }
    void* samples = m_backend->Decode(bytes);
    if (samples == nullptr) {
        return nullptr;
    }
    return std::unique_ptr<Clip>(new Clip(this, samples, stream));
}

void System::Release(Clip& clip) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    for (Channel& channel : m_channels) {
        if (channel.pending == &clip) {
            channel.pending = nullptr;
        }
    }
    m_backend->Free(clip.m_samples);
}

void System::PlayPaused(u32 channel, Clip& clip, bool loop) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    if (!HasChannel(channel)) {
        return;
    }
    m_backend->Halt(channel);
    m_channels[channel].pending = &clip;
    m_channels[channel].loop = loop;
}

void System::SetPaused(u32 channel, bool paused) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    if (!HasChannel(channel)) {
        return;
    }
    Channel& c = m_channels[channel];
    if (c.pending != nullptr) {
        if (!paused) {
            m_backend->Start(channel, c.pending->m_samples, c.loop, c.volume);
            c.pending = nullptr;
        }
        return;
    }
    paused ? m_backend->Pause(channel) : m_backend->Resume(channel);
}

void System::SetVolume(u32 channel, f32 volume) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    if (!HasChannel(channel)) {
        return;
    }
    m_channels[channel].volume = ToMixerVolume(volume);
    m_backend->SetMixerVolume(channel, m_channels[channel].volume);
}

bool System::IsPlaying(u32 channel) const {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    if (!HasChannel(channel)) {
        return false;
    }
    return m_channels[channel].pending != nullptr || m_backend->Playing(channel);
}

void System::Stop(u32 channel) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    if (!HasChannel(channel)) {
        return;
    }
    m_channels[channel].pending = nullptr;
    m_backend->Halt(channel);
}

i32 System::MixerVolume(u32 channel) const {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    return HasChannel(channel) ? m_channels[channel].volume : -1;
}

} // namespace sound
