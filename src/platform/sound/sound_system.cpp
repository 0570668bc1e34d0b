#include "platform/sound/sound_system.h"
#include "platform/system/log.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

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

} // namespace

f32 ClampVolume(f32 volume) {
    if (!(volume > 0.0f)) {
        return 0.0f;
    }
    return std::min(volume, 1.0f);
}

Clip::~Clip() {
    // Freeing halts whatever plays the clip, so no channel reads freed samples.
    if (m_chunk != nullptr) {
        Mix_FreeChunk(m_chunk);
    }
    if (m_music != nullptr) {
        Mix_FreeMusic(m_music);
    }
}

System::System() {
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
    Mix_AllocateChannels(static_cast<int>(kFirstChannels));
    m_channels.resize(kFirstChannels);
    SetUpConversion();
    m_open = true;
}

System::~System() {
    if (!m_open) {
        return;
    }
    Mix_HaltChannel(-1);
    Mix_HaltMusic();
    Mix_CloseAudio();
    Mix_Quit();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

std::unique_ptr<Clip> System::Load(std::vector<u8> bytes, bool stream) {
    if (!m_open || bytes.empty()) {
        return nullptr;
    }
    std::unique_ptr<Clip> clip(new Clip());
    const std::lock_guard<std::mutex> decoding(g_decodeLock);
    if (stream) {
        clip->m_bytes = std::move(bytes);
        SDL_RWops* rw =
            SDL_RWFromConstMem(clip->m_bytes.data(), static_cast<int>(clip->m_bytes.size()));
        clip->m_music = rw != nullptr ? Mix_LoadMUS_RW(rw, 1) : nullptr;
        if (clip->m_music == nullptr) {
            sys::Log() << "Sound: cannot decode stream: " << Mix_GetError();
            return nullptr;
        }
    } else {
        SDL_RWops* rw = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
        clip->m_chunk = rw != nullptr ? Mix_LoadWAV_RW(rw, 1) : nullptr;
        if (clip->m_chunk == nullptr) {
            sys::Log() << "Sound: cannot decode sound: " << Mix_GetError();
            return nullptr;
        }
    }
    return clip;
}

i32 System::FreeChannel() {
    const int free = Mix_GroupAvailable(-1);
    if (free >= 0) {
        return free;
    }
    const std::size_t count = m_channels.size();
    if (count >= kMaxChannels) {
        return -1;
    }
    const std::size_t grown = std::min<std::size_t>(count * 2, kMaxChannels);
    Mix_AllocateChannels(static_cast<int>(grown));
    m_channels.resize(grown);
    return static_cast<i32>(count);
}

Voice System::Play(Clip& clip, bool loop, f32 volume, u32 group) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    if (!m_open) {
        return {};
    }
    const Slot slot{m_next_token++, group, ClampVolume(volume)};
    const int loops = loop ? -1 : 0;
    if (clip.m_music != nullptr) {
        const Voice voice{Voice::kStreamChannel, slot.token};
        Apply(voice, slot);
        if (Mix_PlayMusic(clip.m_music, loops) != 0) {
            return {};
        }
        m_stream = slot;
        return voice;
    }
    const i32 channel = FreeChannel();
    if (channel < 0) {
        return {};
    }
    const Voice voice{channel, slot.token};
    // The volume goes first so the start is never heard louder than asked.
    Apply(voice, slot);
    if (Mix_PlayChannel(channel, clip.m_chunk, loops) < 0) {
        return {};
    }
    m_channels[channel] = slot;
    return voice;
}

System::Slot* System::Find(const Voice& voice) {
    return const_cast<Slot*>(static_cast<const System*>(this)->Find(voice));
}

const System::Slot* System::Find(const Voice& voice) const {
    if (!m_open || !voice.IsValid()) {
        return nullptr;
    }
    const Slot* slot = nullptr;
    if (voice.m_channel == Voice::kStreamChannel) {
        slot = &m_stream;
    } else if (voice.m_channel >= 0 &&
               static_cast<std::size_t>(voice.m_channel) < m_channels.size()) {
        slot = &m_channels[voice.m_channel];
    }
    return slot != nullptr && slot->token == voice.m_token ? slot : nullptr;
}

bool System::SlotPlaying(const Voice& voice) const {
    if (voice.m_channel == Voice::kStreamChannel) {
        return Mix_PlayingMusic() != 0;
    }
    return Mix_Playing(voice.m_channel) != 0;
}

bool System::IsPlaying(const Voice& voice) const {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    return Find(voice) != nullptr && SlotPlaying(voice);
}

void System::Stop(const Voice& voice) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    Slot* slot = Find(voice);
    if (slot == nullptr) {
        return;
    }
    if (voice.m_channel == Voice::kStreamChannel) {
        Mix_HaltMusic();
    } else {
        Mix_HaltChannel(voice.m_channel);
    }
    slot->token = 0;
}

void System::SetPaused(const Voice& voice, bool paused) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    if (Find(voice) == nullptr) {
        return;
    }
    if (voice.m_channel == Voice::kStreamChannel) {
        paused ? Mix_PauseMusic() : Mix_ResumeMusic();
    } else {
        paused ? Mix_Pause(voice.m_channel) : Mix_Resume(voice.m_channel);
    }
}

void System::SetVolume(const Voice& voice, f32 volume) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    Slot* slot = Find(voice);
    if (slot == nullptr) {
        return;
    }
    slot->volume = ClampVolume(volume);
    Apply(voice, *slot);
}

i32 System::MixerVolume(u32 group, f32 volume) const {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    const Group* found = FindGroup(group);
    const f32 scale = found == nullptr ? 1.0f : (found->muted ? 0.0f : found->volume);
    return static_cast<i32>(std::lround(ClampVolume(volume) * scale * MIX_MAX_VOLUME));
}

void System::Apply(const Voice& voice, const Slot& slot) const {
    const int mixer = MixerVolume(slot.group, slot.volume);
    if (voice.m_channel == Voice::kStreamChannel) {
        Mix_VolumeMusic(mixer);
    } else {
        Mix_Volume(voice.m_channel, mixer);
    }
}

const System::Group* System::FindGroup(u32 group) const {
    const auto found = std::find_if(m_groups.begin(), m_groups.end(),
                                    [group](const Group& g) { return g.id == group; });
    return found == m_groups.end() ? nullptr : &*found;
}

System::Group& System::GetGroup(u32 group) {
    if (const Group* found = FindGroup(group)) {
        return const_cast<Group&>(*found);
    }
    m_groups.push_back(Group{group, 1.0f, false});
    return m_groups.back();
}

void System::ApplyGroup(u32 group) {
    if (!m_open) {
        return;
    }
    for (std::size_t i = 0; i < m_channels.size(); ++i) {
        const Voice voice{static_cast<i32>(i), m_channels[i].token};
        if (voice.IsValid() && m_channels[i].group == group) {
            Apply(voice, m_channels[i]);
        }
    }
    const Voice stream{Voice::kStreamChannel, m_stream.token};
    if (stream.IsValid() && m_stream.group == group) {
        Apply(stream, m_stream);
    }
}

void System::SetGroupVolume(u32 group, f32 volume) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    GetGroup(group).volume = ClampVolume(volume);
    ApplyGroup(group);
}

void System::SetGroupMuted(u32 group, bool muted) {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    GetGroup(group).muted = muted;
    ApplyGroup(group);
}

f32 System::GroupVolume(u32 group) const {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    const Group* found = FindGroup(group);
    return found == nullptr ? 1.0f : found->volume;
}

bool System::IsGroupMuted(u32 group) const {
    std::lock_guard<std::recursive_mutex> lock(m_mutex);
    const Group* found = FindGroup(group);
    return found != nullptr && found->muted;
}

} // namespace sound
