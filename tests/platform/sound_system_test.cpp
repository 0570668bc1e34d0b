// The channel model of the sound layer, on the fake mixer.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "platform/sound/fake_backend.h"
#include "platform/sound/sound_system.h"

namespace {

struct FakeSystem {
    FakeSystem() {
        auto backend = std::make_unique<sound::FakeBackend>(true, 4);
        fake = backend.get();
        system = std::make_unique<sound::System>(std::move(backend));
    }
    std::unique_ptr<sound::Clip> Clip() { return system->Load({1, 2, 3}, false); }

    sound::FakeBackend* fake = nullptr;
    std::unique_ptr<sound::System> system;
};

TEST(SoundSystem, TheFinalVolumeIsClampedAndNaNIsSilent) {
    FakeSystem s;
    struct Case {
        f32 volume;
        i32 mixer;
    };
    for (const Case& c : std::vector<Case>{
             {-0.5f, 0}, {std::nanf(""), 0}, {0.0f, 0}, {0.5f, 64}, {1.0f, 128}, {2.0f, 128}}) {
        SCOPED_TRACE(c.volume);
        s.system->SetVolume(1, c.volume);
        EXPECT_EQ(s.system->MixerVolume(1), c.mixer);
        EXPECT_EQ(s.fake->m_channels[1].volume, c.mixer);
    }
    EXPECT_EQ(s.system->MixerVolume(4), -1);
}

TEST(SoundSystem, APausedStartBeginsOnUnpauseAtTheVolumeSetMeanwhile) {
    FakeSystem s;
    auto clip = s.Clip();
    ASSERT_NE(clip, nullptr);
    s.system->PlayPaused(2, *clip, true);
    EXPECT_TRUE(s.system->IsPlaying(2));
    EXPECT_FALSE(s.fake->Playing(2));
    s.system->SetPaused(2, true);
    EXPECT_FALSE(s.fake->Playing(2));
    s.system->SetVolume(2, 0.25f);
    s.system->SetPaused(2, false);
    ASSERT_TRUE(s.fake->Playing(2));
    EXPECT_EQ(s.fake->m_channels[2].volume, 32);
    EXPECT_TRUE(s.fake->m_channels[2].loop);

    s.system->SetPaused(2, true);
    EXPECT_TRUE(s.fake->m_channels[2].paused);
    EXPECT_TRUE(s.system->IsPlaying(2));
    s.system->SetPaused(2, false);
    EXPECT_FALSE(s.fake->m_channels[2].paused);
    s.fake->End(2);
    EXPECT_FALSE(s.system->IsPlaying(2));

    // A stop drops a pending start too.
    s.system->PlayPaused(2, *clip, false);
    s.system->Stop(2);
    s.system->SetPaused(2, false);
    EXPECT_FALSE(s.system->IsPlaying(2));
}

TEST(SoundSystem, FreeingAClipHaltsItsChannelsAndDropsItsPendingStarts) {
    FakeSystem s;
    auto playing = s.Clip();
    auto other = s.Clip();
    s.system->PlayPaused(0, *playing, false);
    s.system->SetPaused(0, false);
    s.system->PlayPaused(1, *playing, false);
    s.system->PlayPaused(3, *other, false);
    s.system->SetPaused(3, false);
    playing.reset();
    EXPECT_FALSE(s.system->IsPlaying(0));
    EXPECT_FALSE(s.system->IsPlaying(1));
    EXPECT_TRUE(s.system->IsPlaying(3));
    EXPECT_EQ(s.fake->m_freed, 1u);
}

TEST(SoundSystem, IndicesPastTheChannelsAndAClosedDeviceDoNothing) {
    FakeSystem s;
    auto clip = s.Clip();
    EXPECT_TRUE(s.system->HasChannel(3));
    EXPECT_FALSE(s.system->HasChannel(4));
    s.system->PlayPaused(4, *clip, false);
    s.system->SetPaused(4, false);
    EXPECT_FALSE(s.system->IsPlaying(4));

    sound::System closed(std::make_unique<sound::FakeBackend>(false, 4));
    EXPECT_FALSE(closed.IsOpen());
    EXPECT_EQ(closed.ChannelCount(), 0u);
    EXPECT_EQ(closed.Load({1, 2, 3}, false), nullptr);
    EXPECT_EQ(s.system->Load({'b', 'a', 'd'}, false), nullptr);
    EXPECT_EQ(s.system->Load({}, false), nullptr);
}

} // namespace
