// The sound lifecycle on a fake mixer whose channels end when the test says.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "audio/sound_player.h"
#include "audio/sound_process.h"
#include "core/game_object.h"
#include "core/message.h"
#include "core/message_router.h"
#include "core/stream_map.h"
#include "platform/sound/fake_backend.h"
#include "support/component_fixture.h"
#include "support/package_fixture.h"

namespace {

using component_fixture::ComponentStream;

constexpr const char* kShot = "assets/sound fx/tank_shot.mp3";
constexpr const char* kHum = "assets/sound fx/hum.mp3";
constexpr const char* kTune = "assets/music/tune.mp3";

class Probe : public MessageHandler {
  public:
    void HandleMessage(BaseMessage* msg, u32) override {
        if (msg->type == MSG_SOUND_INSTANCE) {
            ++replies;
            instance = msg->ValueOr<SoundInstance*>(nullptr);
        }
    }
    int replies = 0;
    SoundInstance* instance = nullptr;
};

std::string PackagePath() {
    static package_fixture::ScratchFolder folder;
    static const std::string path =
        package_fixture::MakePackage(folder.Path(), "sounds",
                                     {{"sound fx/tank_shot.mp3", "shot"},
                                      {"sound fx/hum.mp3", "hum"},
                                      {"sound fx/broken.mp3", "bad bytes"},
                                      {"music/tune.mp3", "tune"}})
            .string();
    return path;
}

// A sound process on a fake mixer, bound to a router with a probe that asks it for things.
class Rig {
  public:
    explicit Rig(bool open = true, u32 channels = 1000) {
        auto backend = std::make_unique<sound::FakeBackend>(open, channels);
        fake = backend.get();
        sound = std::make_unique<SoundProcess>(std::move(backend));
        sound->m_package_path = PackagePath();
        sound->Bind(&router, SoundProcess::kHandlerId);
        probe.Bind(&router, 30);
    }

    SoundInstance* Request(const std::string& path, u32 type = MSG_GET_SOUND_INSTANCE) {
        probe.instance = nullptr;
        Message<std::string> ask(type, path);
        probe.SendMessage(&ask, SoundProcess::kHandlerId);
        return probe.instance;
    }
    template <class T> void Send(u32 type, T value) {
        Message<T> msg(type, value);
        probe.SendMessage(&msg, SoundProcess::kHandlerId);
    }
    const sound::FakeBackend::Channel& Channel(const SoundInstance* instance) const {
        return fake->m_channels.at(instance->ChannelIndex());
    }

    MessageRouter router;
    sound::FakeBackend* fake = nullptr;
    std::unique_ptr<SoundProcess> sound;
    Probe probe;
};

class SoundLifecycleTest : public ::testing::Test, public Rig {};

TEST_F(SoundLifecycleTest, GroupsStartWithEffectsAtHalfAndMuteByNegation) {
    EXPECT_FLOAT_EQ(sound->GetGroupVolume(0), 0.5f);
    EXPECT_FLOAT_EQ(sound->GetGroupVolume(1), 1.0f);
    EXPECT_FLOAT_EQ(sound->GetGroupVolume(2), 1.0f);

    struct Case {
        const char* what;
        std::vector<std::pair<u32, u32>> messages; // type, group
        u32 group;
        f32 expected;
    };
    const std::vector<Case> cases = {
        {"unknown group", {}, 7, 0.0f},
        {"mute twice", {{MSG_SOUND_MUTE_GROUP, 0}, {MSG_SOUND_MUTE_GROUP, 0}}, 0, -0.5f},
        {"mute then unmute", {{MSG_SOUND_MUTE_GROUP, 1}, {MSG_SOUND_UNMUTE_GROUP, 1}}, 1, 1.0f},
        {"unmute unmuted", {{MSG_SOUND_UNMUTE_GROUP, 2}}, 2, 1.0f},
        {"mute unknown", {{MSG_SOUND_MUTE_GROUP, 9}}, 9, 0.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Rig fresh;
        for (const auto& [type, group] : c.messages) {
            fresh.Send<u32>(type, group);
        }
        EXPECT_FLOAT_EQ(fresh.sound->GetGroupVolume(c.group), c.expected);
    }

    // A group at 0 can be neither muted nor unmuted; a new id is appended.
    Send<std::pair<u32, f32>>(MSG_SOUND_SET_GROUP_VOLUME, {5u, 0.0f});
    Send<u32>(MSG_SOUND_MUTE_GROUP, 5u);
    EXPECT_EQ(sound->GetGroupVolume(5), 0.0f);
    Send<u32>(MSG_SOUND_UNMUTE_GROUP, 5u);
    EXPECT_EQ(sound->GetGroupVolume(5), 0.0f);
}

TEST_F(SoundLifecycleTest, ChannelVolumeIsInstanceTimesGroupTimesUnclampedMaster) {
    Send<f32>(MSG_SOUND_SET_MASTER_VOLUME, 2.0f);
    EXPECT_FLOAT_EQ(sound->GetMasterVolume(), 2.0f);

    SoundInstance* effect = Request(kShot);
    ASSERT_NE(effect, nullptr);
    effect->Play(0.5f, false);
    EXPECT_EQ(Channel(effect).volume, 64); // 0.5 x 0.5 x 2

    SoundInstance* unknown = Request(kHum);
    ASSERT_NE(unknown, nullptr);
    unknown->m_group = 7;
    unknown->Play(1.0f, false);
    EXPECT_EQ(Channel(unknown).volume, 0);

    // A muted group is silent; unmuted it comes back at the next update.
    Send<u32>(MSG_SOUND_MUTE_GROUP, 0u);
    sound->Update(0.016f);
    EXPECT_EQ(Channel(effect).volume, 0);
    Send<u32>(MSG_SOUND_UNMUTE_GROUP, 0u);
    effect->SetVolume(1.5f);
    EXPECT_EQ(Channel(effect).volume, 128);
    EXPECT_FLOAT_EQ(effect->m_base_volume, 1.5f);
}

TEST_F(SoundLifecycleTest, ElevenInstancesOfOnePathAtMost) {
    std::vector<SoundInstance*> playing;
    for (int i = 0; i < 11; ++i) {
        SoundInstance* instance = Request(kShot);
        ASSERT_NE(instance, nullptr) << i;
        instance->Play(1.0f, false);
        playing.push_back(instance);
        sound->Update(0.016f);
    }
    EXPECT_EQ(Request(kShot), nullptr);
    EXPECT_EQ(probe.replies, 12);
    // The other spelling of the path counts against the same cap.
    EXPECT_EQ(Request("./" + std::string(kShot)), nullptr);

    fake->End(playing.front()->ChannelIndex());
    sound->Update(0.016f);
    EXPECT_EQ(sound->InstanceCount(kShot), 10u);
    EXPECT_NE(Request(kShot), nullptr);
}

TEST_F(SoundLifecycleTest, NoNewInstanceOfASoundStartedThisFrame) {
    SoundInstance* first = Request(kShot);
    SoundInstance* second = Request(kShot);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    first->Play(1.0f, false);
    second->Play(1.0f, false);
    EXPECT_TRUE(first->IsPlaying());
    EXPECT_TRUE(second->IsPlaying());
    EXPECT_EQ(Request(kShot), nullptr);
    EXPECT_NE(Request(kHum), nullptr);
    sound->Update(0.016f);
    EXPECT_NE(Request(kShot), nullptr);
}

TEST_F(SoundLifecycleTest, SweepAfterAPartialReloadFreesExactlyTheOthers) {
    Sound* shot = sound->LoadSound(kShot, false);
    Sound* hum = sound->LoadSound(kHum, false);
    Sound* tune = sound->LoadSound(kTune, true);
    ASSERT_NE(shot, nullptr);
    ASSERT_NE(hum, nullptr);
    ASSERT_NE(tune, nullptr);
    sound->MarkSoundsUnused();
    EXPECT_EQ(sound->LoadSound(kHum, false), hum);
    sound->ReleaseUnusedSounds(false);
    EXPECT_EQ(sound->SoundCount(), 1u);
    EXPECT_EQ(sound->FindSound(kHum), hum);
    EXPECT_EQ(sound->FindSound(kShot), nullptr);
    EXPECT_EQ(sound->FindSound(kTune), nullptr);
    sound->ReleaseUnusedSounds(true);
    EXPECT_EQ(sound->SoundCount(), 0u);
}

TEST_F(SoundLifecycleTest, ReleasingASoundStopsItsChannels) {
    SoundInstance* music = Request(kTune, MSG_GET_SOUND_STREAM_INSTANCE);
    ASSERT_NE(music, nullptr);
    EXPECT_TRUE(music->m_sound->m_stream);
    music->Play(1.0f, true);
    const u32 channel = music->ChannelIndex();
    ASSERT_TRUE(fake->Playing(channel));
    EXPECT_TRUE(fake->m_channels[channel].loop);
    sound->MarkSoundsUnused();
    sound->ReleaseUnusedSounds(false);
    EXPECT_FALSE(fake->Playing(channel));
    EXPECT_EQ(sound->InstanceCount(), 0u);
    EXPECT_EQ(fake->m_freed, 1u);
}

TEST_F(SoundLifecycleTest, BothSpellingsOfAPathAreOneSound) {
    Sound* plain = sound->LoadSound("assets/sound fx/tank_shot.mp3", false);
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(sound->LoadSound("./assets/sound fx/tank_shot.mp3", false), plain);
    EXPECT_EQ(sound->LoadSound("././assets/sound fx/tank_shot.mp3", true), plain);
    EXPECT_EQ(sound->SoundCount(), 1u);
    EXPECT_EQ(SoundProcess::CacheKey("./a/./b"), "a/./b");
    // A path once loaded as a sample stays a sample when asked for as a stream.
    EXPECT_FALSE(plain->m_stream);
    EXPECT_EQ(sound->LoadSound("assets/sound fx/missing.mp3", false), nullptr);
    EXPECT_EQ(sound->LoadSound("assets/sound fx/broken.mp3", false), nullptr);
    EXPECT_EQ(sound->SoundCount(), 1u);
}

TEST_F(SoundLifecycleTest, PlayRestartsPausesAndStops) {
    SoundInstance* instance = Request(kHum);
    ASSERT_NE(instance, nullptr);
    EXPECT_FALSE(instance->IsPlaying());
    instance->Play(1.0f, true);
    instance->Play(1.0f, true);
    EXPECT_EQ(Channel(instance).starts, 2u);
    EXPECT_TRUE(instance->m_sound->m_loop);
    instance->Pause();
    EXPECT_TRUE(Channel(instance).paused);
    EXPECT_TRUE(instance->IsPlaying());
    instance->Resume();
    EXPECT_FALSE(Channel(instance).paused);
    instance->Stop();
    EXPECT_FALSE(instance->IsPlaying());
    // Pausing a stopped instance does not start it.
    instance->Resume();
    EXPECT_FALSE(instance->IsPlaying());
}

TEST_F(SoundLifecycleTest, PositionalVolumeFallsWithTheSquareOfTheDistance) {
    struct Case {
        f32 base;
        Vector at;
        i32 mixer; // of 128, effects group 0.5 and master 1 applied
    };
    const std::vector<Case> cases = {
        {0.8f, Vector(200.0f, 0.0f, 0.0f), 19},  // 0.8 x 15000 / 40000 = 0.3
        {0.8f, Vector(0.0f, 50.0f, 0.0f), 51},   // within the full-volume range: the base
        {0.8f, Vector(0.0f, 0.0f, 0.0f), 51},    // at the listener: the base, no NaN
        {1.5f, Vector(0.0f, 0.0f, 0.0f), 64},    // clamped to 1
        {0.0f, Vector(0.0f, 0.0f, 0.0f), 0},     // silent, no NaN
        {1.0f, Vector(10000.0f, 0.0f, 0.0f), 0}, // far away
    };
    Send<Vector>(MSG_SOUND_LISTENER_POSITION, Vector(0.0f, 0.0f, 0.0f));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.base);
        SoundInstance* instance = Request(kHum);
        ASSERT_NE(instance, nullptr);
        instance->PlayAt(c.base, c.at);
        sound->Update(0.016f);
        EXPECT_EQ(Channel(instance).volume, c.mixer);
        sound->ReleaseSoundInstance(instance);
    }

    // The listener moves by message.
    SoundInstance* instance = Request(kHum);
    ASSERT_NE(instance, nullptr);
    instance->PlayAt(0.8f, Vector(200.0f, 0.0f, 0.0f));
    Send<Vector>(MSG_SOUND_LISTENER_POSITION, Vector(200.0f, 0.0f, 0.0f));
    sound->Update(0.016f);
    EXPECT_EQ(Channel(instance).volume, 51);
}

TEST_F(SoundLifecycleTest, PlayAtThenPlayKeepsThePosition) {
    SoundInstance* instance = Request(kHum);
    ASSERT_NE(instance, nullptr);
    EXPECT_EQ(instance->Position(), nullptr);
    instance->PlayAt(1.0f, Vector(1.0f, 2.0f, 3.0f));
    instance->PlayAt(1.0f, Vector(400.0f, 0.0f, 0.0f));
    sound->Update(0.016f);
    instance->Play(1.0f, false);
    ASSERT_NE(instance->Position(), nullptr);
    EXPECT_FLOAT_EQ(instance->Position()->x, 400.0f);
    EXPECT_FALSE(instance->m_sound->m_loop);
}

TEST_F(SoundLifecycleTest, OneShotsGoWhenStoppedPersistentOnesWaitForRelease) {
    SoundInstance* oneShot = Request(kShot);
    SoundInstance* music = Request(kTune, MSG_GET_SOUND_STREAM_INSTANCE);
    ASSERT_NE(oneShot, nullptr);
    ASSERT_NE(music, nullptr);
    music->m_persistent = true;
    oneShot->Play(1.0f, false);
    music->Play(1.0f, false);
    sound->Update(0.016f);
    EXPECT_EQ(sound->InstanceCount(), 2u);

    fake->End(oneShot->ChannelIndex());
    fake->End(music->ChannelIndex());
    sound->Update(0.016f);
    EXPECT_EQ(sound->InstanceCount(), 1u);
    EXPECT_TRUE(music->FlagsSet());
    sound->Update(0.016f);
    EXPECT_EQ(sound->InstanceCount(), 1u);
    music->m_release = true;
    sound->Update(0.016f);
    EXPECT_EQ(sound->InstanceCount(), 0u);

    // Paused updates remove nothing; a released instance goes at once.
    SoundInstance* paused = Request(kHum);
    ASSERT_NE(paused, nullptr);
    Send<u32>(MSG_PAUSE_COMPONENT_UPDATE, 0u);
    sound->Update(0.016f);
    EXPECT_EQ(sound->InstanceCount(), 1u);
    Send<u32>(MSG_UNPAUSE_COMPONENT_UPDATE, 0u);
    Send<SoundInstance*>(MSG_RELEASE_SOUND_INSTANCE, paused);
    EXPECT_EQ(sound->InstanceCount(), 0u);
    // An instance the process does not own is ignored.
    Send<SoundInstance*>(MSG_RELEASE_SOUND_INSTANCE, reinterpret_cast<SoundInstance*>(&probe));
}

TEST_F(SoundLifecycleTest, ChannelIndicesAreReusedLowestFirst) {
    EXPECT_EQ(sound->AllocateChannelIndex(), 0u);
    EXPECT_EQ(sound->AllocateChannelIndex(), 1u);
    EXPECT_EQ(sound->AllocateChannelIndex(), 2u);
    sound->FreeChannelIndex(1);
    EXPECT_EQ(sound->AllocateChannelIndex(), 1u);
    EXPECT_EQ(sound->AllocateChannelIndex(), 3u);
}

TEST_F(SoundLifecycleTest, AnIndexPastTheMixersChannelsGivesNoInstance) {
    Rig small(true, 2);
    EXPECT_NE(small.Request(kShot), nullptr);
    EXPECT_NE(small.Request(kShot), nullptr);
    EXPECT_EQ(small.Request(kShot), nullptr);
    EXPECT_EQ(small.probe.replies, 3);
    EXPECT_EQ(small.sound->InstanceCount(), 2u);
}

TEST_F(SoundLifecycleTest, PlayersHoldThreeInstancesOfAPathAndRemoveOneStoppedAFrame) {
    StreamMap stream = ComponentStream("AI-Ground-Tank", "SoundPlayer");
    auto* player = dynamic_cast<SoundPlayer*>(sound->CreateComponent(&stream));
    ASSERT_NE(player, nullptr);
    EXPECT_EQ(player->process, sound.get());
    GameObject tank("Tank");
    tank.position = Vector(300.0f, 0.0f, 0.0f);
    player->owner = &tank;

    Sound* shot = sound->LoadSound(kShot, false);
    std::vector<SoundInstance*> held;
    for (int i = 0; i < 3; ++i) {
        SoundInstance* instance = player->GetSoundInstance(shot);
        ASSERT_NE(instance, nullptr);
        EXPECT_EQ(instance->Position(), &tank.position);
        instance->Play(1.0f, false);
        held.push_back(instance);
        sound->Update(0.016f);
    }
    EXPECT_EQ(player->GetSoundInstance(shot), nullptr);

    // The owner moves: the instance follows its live position.
    tank.position = Vector(0.0f, 0.0f, 0.0f);
    sound->Update(0.016f);
    EXPECT_EQ(Channel(held[2]).volume, 64);

    fake->End(held[0]->ChannelIndex());
    fake->End(held[1]->ChannelIndex());
    EXPECT_EQ(player->GetSoundInstance(shot), nullptr);
    sound->Update(0.016f);
    EXPECT_EQ(player->InstanceCount(), 2u);
    sound->Update(0.016f);
    EXPECT_EQ(player->InstanceCount(), 1u);
    EXPECT_NE(player->GetSoundInstance(shot), nullptr);

    // A sound started this frame gives no instance to a player either.
    held[2]->Play(1.0f, false);
    EXPECT_EQ(player->GetSoundInstance(shot), nullptr);
    EXPECT_EQ(player->GetSoundInstance(nullptr), nullptr);
    sound->RemoveComponent(player);
    EXPECT_EQ(sound->Components().Size(), 0u);
}

TEST_F(SoundLifecycleTest, WithoutADeviceNothingIsMadeAndNothingAnswers) {
    Rig closed(false, 1000);
    EXPECT_EQ(closed.sound->LoadSound(kShot, false), nullptr);
    EXPECT_EQ(closed.Request(kShot), nullptr);
    EXPECT_EQ(closed.Request(kTune, MSG_GET_SOUND_STREAM_INSTANCE), nullptr);
    EXPECT_EQ(closed.probe.replies, 0);
    StreamMap stream = ComponentStream("AI-Ground-Tank", "SoundPlayer");
    EXPECT_EQ(closed.sound->CreateComponent(&stream), nullptr);
    closed.Send<std::string>(MSG_LOAD_SOUND, kShot);
    closed.sound->Update(0.016f);
    EXPECT_EQ(closed.sound->SoundCount(), 0u);
    EXPECT_TRUE(closed.fake->m_decoded.empty());
}

TEST_F(SoundLifecycleTest, CreatesOnlySoundPlayerComponents) {
    StreamMap graphic = ComponentStream("AI-Ground-Tank", "Graphic");
    StreamMap headless;
    headless.AddFloat("Volume", 1.0f);
    EXPECT_EQ(sound->CreateComponent(&graphic), nullptr);
    EXPECT_EQ(sound->CreateComponent(&headless), nullptr);
    EXPECT_EQ(sound->CreateComponent(nullptr), nullptr);
    EXPECT_EQ(SoundProcess::kHandlerId, 2u);
}

} // namespace

namespace {

TEST_F(SoundLifecycleTest, APlayerPlaysASoundOnceByItsPathAtItsOwner) {
    StreamMap stream = ComponentStream("RobotBase", "SoundPlayer");
    auto* player = dynamic_cast<SoundPlayer*>(sound->CreateComponent(&stream));
    ASSERT_NE(player, nullptr);
    GameObject robot("RobotBase");
    player->owner = &robot;
    SoundCue& cue = *player;
    cue.PlayOnce(kShot, 0.9f);
    EXPECT_EQ(player->InstanceCount(), 1u);
    // A path the package does not hold plays nothing.
    sound->Update(0.016f);
    cue.PlayOnce("assets/sound fx/none.mp3", 1.0f);
    EXPECT_EQ(player->InstanceCount(), 1u);
    sound->RemoveComponent(player);
}

} // namespace
