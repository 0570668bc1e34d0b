#pragma once
// A mixer that plays nothing: channels start, pause and end only when told, so the sound
// lifecycle runs deterministically in tests. The state it records is public for checks.
#include <map>
#include <memory>
#include <vector>

#include "platform/sound/sound_system.h"

namespace sound {

class FakeBackend : public Backend {
  public:
    struct Channel {
        const void* samples = nullptr;
        bool loop = false;
        bool paused = false;
        i32 volume = System::kMaxMixerVolume;
        u32 starts = 0;
    };

    FakeBackend(bool open, u32 channels) : m_open(open), m_channels(channels) {}

    bool IsOpen() const override { return m_open; }
    u32 ChannelCount() const override { return static_cast<u32>(m_channels.size()); }
    // Bytes that begin with "bad" do not decode.
    void* Decode(const std::vector<u8>& bytes) override {
        if (bytes.size() >= 3 && bytes[0] == 'b' && bytes[1] == 'a' && bytes[2] == 'd') {
            return nullptr;
        }
        m_decoded.push_back(std::make_unique<int>(0));
        return m_decoded.back().get();
    }
    void Free(void* samples) override {
        for (Channel& channel : m_channels) {
            if (channel.samples == samples) {
                channel.samples = nullptr;
            }
        }
        ++m_freed;
    }
    bool Start(u32 channel, void* samples, bool loop, i32 mixerVolume) override {
        Channel& c = m_channels.at(channel);
        c.samples = samples;
        c.loop = loop;
        c.paused = false;
        c.volume = mixerVolume;
        ++c.starts;
        return true;
    }
    void SetMixerVolume(u32 channel, i32 mixerVolume) override {
        m_channels.at(channel).volume = mixerVolume;
    }
    void Pause(u32 channel) override { m_channels.at(channel).paused = true; }
    void Resume(u32 channel) override { m_channels.at(channel).paused = false; }
    void Halt(u32 channel) override { m_channels.at(channel).samples = nullptr; }
    bool Playing(u32 channel) const override { return m_channels.at(channel).samples != nullptr; }

    // Ends the channel as if its clip had played out.
    void End(u32 channel) { m_channels.at(channel).samples = nullptr; }

    bool m_open;
    std::vector<Channel> m_channels;
    std::vector<std::unique_ptr<int>> m_decoded;
    u32 m_freed = 0;
};

} // namespace sound
