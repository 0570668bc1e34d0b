#include <gtest/gtest.h>

#include <SDL_mixer.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <barrier>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "audio/sound_player.h"
#include "audio/sound_process.h"
#include "core/message.h"
#include "core/message_router.h"
#include "core/stream_map.h"
#include "platform/sound/sound_system.h"
#include "support/component_fixture.h"
#include "support/package_fixture.h"

namespace {

using component_fixture::ComponentStream;

// A mono 16-bit PCM WAV file of the given length in milliseconds: a quiet square wave.
std::string MakeWav(u32 milliseconds) {
    const u32 rate = 22050;
    const u32 samples = rate * milliseconds / 1000;
    const u32 dataBytes = samples * 2;
    std::string wav;
    const auto put32 = [&wav](u32 v) {
        for (int i = 0; i < 4; ++i) {
            wav.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
        }
    };
    const auto put16 = [&wav](u16 v) {
        wav.push_back(static_cast<char>(v & 0xFF));
        wav.push_back(static_cast<char>(v >> 8));
    };
    wav += "RIFF";
    put32(36 + dataBytes);
    wav += "WAVEfmt ";
    put32(16);
    put16(1); // PCM
    put16(1); // mono
    put32(rate);
    put32(rate * 2); // bytes per second
    put16(2);        // block align
    put16(16);       // bits per sample
    wav += "data";
    put32(dataBytes);
    for (u32 i = 0; i < samples; ++i) {
        put16(static_cast<u16>((i / 50) % 2 == 0 ? 2000 : -2000));
    }
    return wav;
}

class Probe : public MessageHandler {
  public:
    void HandleMessage(BaseMessage* msg, u32 fromId) override {
        if (msg->type == MSG_SOUND_INSTANCE) {
            ++replies;
            instance = msg->ValueOr<SoundInstance*>(nullptr);
            from = fromId;
        }
    }
    int replies = 0;
    SoundInstance* instance = nullptr;
    u32 from = 0;
};

class SoundProcessTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        s_folder = new package_fixture::ScratchFolder();
        s_package = package_fixture::MakePackage(s_folder->Path(), "sounds",
                                                 {{"sound fx/Short.wav", MakeWav(60)},
                                                  {"music/Tune.wav", MakeWav(400)},
                                                  {"sound fx/broken.wav", "RIFF nonsense"}})
                        .string();
    }
    static void TearDownTestSuite() {
        delete s_folder;
        s_folder = nullptr;
    }

    void SetUp() override {
        ASSERT_FALSE(s_package.empty());
        sound.m_package_path = s_package;
        ASSERT_TRUE(sound.GetSystem().IsOpen());
        sound.Bind(&router, SoundProcess::kHandlerId);
        probe.Bind(&router, 30);
    }

    // Waits until the condition holds or the time is up; true when it held.
    template <class Condition> static bool WaitFor(Condition condition, int milliseconds) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        while (!condition()) {
            if (std::chrono::steady_clock::now() > end) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return true;
    }

    static package_fixture::ScratchFolder* s_folder;
    static std::string s_package;

    MessageRouter router;
    SoundProcess sound;
    Probe probe;
};

package_fixture::ScratchFolder* SoundProcessTest::s_folder = nullptr;
std::string SoundProcessTest::s_package;

TEST_F(SoundProcessTest, CreatesOnlySoundPlayerComponentsAndDeletesThemOnRemoval) {
    EXPECT_EQ(SoundProcess::kHandlerId, 2u);

    StreamMap player = ComponentStream("AI-Ground-Tank", "SoundPlayer");
    Component* created = sound.CreateComponent(&player);
    ASSERT_NE(created, nullptr);
    auto* soundPlayer = dynamic_cast<SoundPlayer*>(created);
    ASSERT_NE(soundPlayer, nullptr);
    EXPECT_EQ(soundPlayer->m_object_type, "AI-Ground-Tank");
    EXPECT_EQ(created->process, &sound);
    EXPECT_EQ(sound.Components().Size(), 1u);

    StreamMap graphic = ComponentStream("AI-Ground-Tank", "Graphic");
    StreamMap headless;
    headless.AddFloat("Volume", 1.0f);
    EXPECT_EQ(sound.CreateComponent(&graphic), nullptr);
    EXPECT_EQ(sound.CreateComponent(&headless), nullptr);
    EXPECT_EQ(sound.CreateComponent(nullptr), nullptr);

    sound.RemoveComponent(created);
    EXPECT_EQ(sound.Components().Size(), 0u);
}

TEST_F(SoundProcessTest, LoadSoundCachesByPathAndFindsTheFileByItsLowercaseBaseName) {
    Sound* first = sound.LoadSound("./assets/sound fx/short.WAV", false);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->m_path, "./assets/sound fx/short.WAV");
    EXPECT_FALSE(first->m_stream);
    EXPECT_EQ(sound.LoadSound("./assets/sound fx/short.WAV", false), first);
    // Another path to the same file is another cache entry.
    Sound* other = sound.LoadSound("assets/sound fx/Short.wav", false);
    ASSERT_NE(other, nullptr);
    EXPECT_NE(other, first);

    Sound* stream = sound.LoadSound("./assets/music/Tune.wav", true);
    ASSERT_NE(stream, nullptr);
    EXPECT_TRUE(stream->m_stream);
    EXPECT_TRUE(stream->m_clip->IsStream());

    EXPECT_EQ(sound.LoadSound("./assets/sound fx/missing.wav", false), nullptr);
    EXPECT_EQ(sound.LoadSound("./assets/sound fx/broken.wav", false), nullptr);
    EXPECT_EQ(sound.SoundCount(), 3u);
}

TEST_F(SoundProcessTest, InstanceRequestsAreAnsweredBeforeTheSendReturns) {
    struct Case {
        u32 request;
        std::string path;
        bool expectInstance;
    };
    const std::vector<Case> cases = {
        {MSG_GET_SOUND_INSTANCE, "assets/sound fx/short.wav", true},
        {MSG_GET_SOUND_STREAM_INSTANCE, "./assets/music/Tune.wav", true},
        {MSG_GET_SOUND_INSTANCE, "assets/sound fx/missing.wav", false},
        {MSG_GET_SOUND_STREAM_INSTANCE, "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        probe.replies = 0;
        probe.instance = reinterpret_cast<SoundInstance*>(&probe);
        Message<std::string> ask(c.request, c.path);
        probe.SendMessage(&ask, SoundProcess::kHandlerId);
        EXPECT_EQ(probe.replies, 1);
        EXPECT_EQ(probe.from, SoundProcess::kHandlerId);
        EXPECT_EQ(probe.instance != nullptr, c.expectInstance);
        if (probe.instance != nullptr) {
            EXPECT_EQ(probe.instance->m_sound->m_path, c.path);
            EXPECT_EQ(probe.instance->m_sound->m_stream,
                      c.request == MSG_GET_SOUND_STREAM_INSTANCE);
        }
    }

    // A request without a path is answered too, with null.
    probe.replies = 0;
    BaseMessage bare(MSG_GET_SOUND_INSTANCE);
    probe.SendMessage(&bare, SoundProcess::kHandlerId);
    EXPECT_EQ(probe.replies, 1);
    EXPECT_EQ(probe.instance, nullptr);
}

TEST_F(SoundProcessTest, LoadMessagesCacheTheSoundWithTheirStreamMode) {
    Message<std::string> load(MSG_LOAD_SOUND, "assets/sound fx/short.wav");
    Message<std::string> loadStream(MSG_LOAD_SOUND_STREAM, "assets/music/tune.wav");
    probe.SendMessage(&load, SoundProcess::kHandlerId);
    probe.SendMessage(&loadStream, SoundProcess::kHandlerId);
    ASSERT_EQ(sound.SoundCount(), 2u);
    EXPECT_FALSE(sound.LoadSound("assets/sound fx/short.wav", true)->m_stream);
    EXPECT_TRUE(sound.LoadSound("assets/music/tune.wav", false)->m_stream);
}

TEST_F(SoundProcessTest, ReleasingUnusedSoundsKeepsWhatTheNextStateAskedFor) {
    Sound* kept = sound.LoadSound("assets/sound fx/short.wav", false);
    Sound* dropped = sound.LoadSound("assets/music/tune.wav", true);
    ASSERT_NE(kept, nullptr);
    ASSERT_NE(dropped, nullptr);
    SoundInstance* music = sound.GetSoundInstance(dropped);
    ASSERT_NE(music, nullptr);
    music->m_group = SoundInstance::kMusicGroup;
    music->Play(0.5f, 1);
    const sound::Voice voice = music->m_voice;
    ASSERT_TRUE(sound.GetSystem().IsPlaying(voice));

    sound.MarkSoundsUnused();
    EXPECT_FALSE(kept->m_in_use);
    EXPECT_EQ(sound.LoadSound("assets/sound fx/short.wav", false), kept);
    EXPECT_TRUE(kept->m_in_use);
    sound.ReleaseUnusedSounds(false);

    EXPECT_EQ(sound.SoundCount(), 1u);
    EXPECT_EQ(sound.InstanceCount(), 0u);
    EXPECT_FALSE(sound.GetSystem().IsPlaying(voice));
    // A pointer to a released sound gives no instance.
    EXPECT_EQ(sound.GetSoundInstance(dropped), nullptr);

    sound.ReleaseUnusedSounds(true);
    EXPECT_EQ(sound.SoundCount(), 0u);
}

TEST_F(SoundProcessTest, PlayScalesByMasterAndGroupAndHonoursTheLoopFlag) {
    SoundInstance* once =
        sound.GetSoundInstance(sound.LoadSound("assets/sound fx/short.wav", false));
    SoundInstance* looped =
        sound.GetSoundInstance(sound.LoadSound("assets/sound fx/short.wav", false));
    ASSERT_NE(once, nullptr);
    ASSERT_NE(looped, nullptr);
    ASSERT_NE(once, looped);

    Message<f32> master(MSG_SOUND_SET_MASTER_VOLUME, 0.5f);
    probe.SendMessage(&master, SoundProcess::kHandlerId);
    EXPECT_FLOAT_EQ(sound.GetMasterVolume(), 0.5f);
    Message<std::pair<u32, f32>> group(MSG_SOUND_SET_GROUP_VOLUME, {0u, 0.5f});
    probe.SendMessage(&group, SoundProcess::kHandlerId);
    EXPECT_FLOAT_EQ(sound.GetSystem().GroupVolume(0), 0.5f);

    // Volumes above the maximum are clamped before the master volume applies.
    once->Play(1.5f, 0);
    looped->Play(1.0f, 1);
    ASSERT_TRUE(once->IsPlaying());
    ASSERT_TRUE(looped->IsPlaying());
    EXPECT_EQ(Mix_Volume(once->m_voice.m_channel, -1), 32); // 1 x 0.5 x 0.5 of 128

    Message<u32> mute(MSG_SOUND_MUTE_GROUP, 0u);
    probe.SendMessage(&mute, SoundProcess::kHandlerId);
    EXPECT_EQ(Mix_Volume(looped->m_voice.m_channel, -1), 0);
    Message<u32> unmute(MSG_SOUND_UNMUTE_GROUP, 0u);
    probe.SendMessage(&unmute, SoundProcess::kHandlerId);
    EXPECT_EQ(Mix_Volume(looped->m_voice.m_channel, -1), 32);
    // A changed master volume reaches sounds that are playing.
    sound.SetMasterVolume(1.0f);
    EXPECT_EQ(Mix_Volume(looped->m_voice.m_channel, -1), 64);

    // The 60 ms sound played once ends; the looped one keeps going.
    EXPECT_TRUE(WaitFor([once] { return !once->IsPlaying(); }, 3000));
    EXPECT_TRUE(looped->IsPlaying());

    // Playing again restarts on a fresh voice; the old one goes stale.
    const sound::Voice before = looped->m_voice;
    looped->Play(1.0f, 0);
    EXPECT_FALSE(sound.GetSystem().IsPlaying(before));
    EXPECT_TRUE(looped->IsPlaying());
    looped->Stop();
    EXPECT_FALSE(looped->IsPlaying());
}

TEST_F(SoundProcessTest, LoaderThreadAndMainThreadShareTheCache) {
    std::vector<Sound*> loaded(64, nullptr);
    std::thread loader([this, &loaded] {
        for (std::size_t i = 0; i < loaded.size(); i += 2) {
            loaded[i] = sound.LoadSound("assets/sound fx/short.wav", false);
        }
    });
    for (std::size_t i = 1; i < loaded.size(); i += 2) {
        loaded[i] = sound.LoadSound("assets/sound fx/short.wav", false);
        if (SoundInstance* instance = sound.GetSoundInstance(loaded[i])) {
            instance->Play(0.0f, 0);
        }
    }
    loader.join();
    EXPECT_EQ(sound.SoundCount(), 1u);
    for (Sound* s : loaded) {
        EXPECT_EQ(s, loaded[0]);
    }
}

// The first decodes of a process set up the audio conversion, which SDL does not guard:
// several threads decoding their first sounds at the same moment must all succeed. Only
// a fresh process shows it, so the test runs its own binary again for each try.
constexpr const char* kFirstDecodeChild = "GORVANE_FIRST_DECODE_CHILD";

TEST(SoundFirstDecode, ThreadsDecodingTheirFirstSoundsAtOnceAllSucceed) {
    if (std::getenv(kFirstDecodeChild) != nullptr) {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        sound::System system;
        ASSERT_TRUE(system.IsOpen());
        constexpr int kThreads = 6;
        const std::string wav = MakeWav(30);
        std::barrier start(kThreads);
        std::vector<int> decoded(kThreads, 0);
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t) {
            threads.emplace_back([&, t] {
                std::vector<u8> bytes(wav.begin(), wav.end());
                start.arrive_and_wait();
                decoded[static_cast<std::size_t>(t)] =
                    system.Load(std::move(bytes), false) != nullptr ? 1 : 0;
            });
        }
        for (std::thread& thread : threads) {
            thread.join();
        }
        for (int t = 0; t < kThreads; ++t) {
            EXPECT_EQ(decoded[static_cast<std::size_t>(t)], 1) << "thread " << t;
        }
        return;
    }
    const std::string filter = std::string("--gtest_filter=") +
                               ::testing::UnitTest::GetInstance()->current_test_suite()->name() +
                               "." +
                               ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        env.emplace_back(*e);
    }
    env.push_back(std::string(kFirstDecodeChild) + "=1");
    std::vector<char*> envp;
    for (std::string& e : env) {
        envp.push_back(e.data());
    }
    envp.push_back(nullptr);
    std::string self = "/proc/self/exe";
    std::string quiet = "--gtest_brief=1";
    char* argv[] = {self.data(), const_cast<char*>(filter.c_str()), quiet.data(), nullptr};
    // A few at a time: each start of a sanitizer build takes about half a second.
    constexpr int kTries = 18;
    constexpr int kAtOnce = 6;
    int failures = 0;
    for (int round = 0; round < kTries / kAtOnce; ++round) {
        std::vector<pid_t> children;
        for (int i = 0; i < kAtOnce; ++i) {
            pid_t pid = 0;
            ASSERT_EQ(posix_spawn(&pid, self.c_str(), nullptr, nullptr, argv, envp.data()), 0);
            children.push_back(pid);
        }
        for (const pid_t pid : children) {
            int status = 0;
            ASSERT_EQ(waitpid(pid, &status, 0), pid);
            failures += WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 0 : 1;
        }
    }
    EXPECT_EQ(failures, 0) << "of " << kTries << " fresh processes";
}

} // namespace
