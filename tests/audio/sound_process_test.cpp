#include <gtest/gtest.h>

#include <SDL_mixer.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <barrier>
#include <cstdlib>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "audio/sound_process.h"
#include "platform/sound/sound_system.h"
#include "support/package_fixture.h"

namespace {

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

// A real mixer on SDL's dummy driver, for the loader-thread test.
class SoundProcessTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        s_folder = new package_fixture::ScratchFolder();
        s_package = package_fixture::MakePackage(s_folder->Path(), "sounds",
                                                 {{"sound fx/Short.wav", MakeWav(60)}})
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
    }

    static package_fixture::ScratchFolder* s_folder;
    static std::string s_package;

    SoundProcess sound;
};

package_fixture::ScratchFolder* SoundProcessTest::s_folder = nullptr;
std::string SoundProcessTest::s_package;

TEST_F(SoundProcessTest, LoaderThreadAndMainThreadShareTheCache) {
    std::vector<Sound*> loaded(64, nullptr);
    std::thread loader([this, &loaded] {
        for (std::size_t i = 0; i < loaded.size(); i += 2) {
            loaded[i] = sound.LoadSound("assets/sound fx/short.wav", false);
        }
    });
    for (std::size_t i = 1; i < loaded.size(); i += 2) {
        loaded[i] = sound.LoadSound("./assets/sound fx/short.wav", false);
        if (SoundInstance* instance = sound.GetSoundInstance(loaded[i])) {
            instance->Play(0.0f, false);
        }
        sound.Update(0.016f);
    }
    loader.join();
    EXPECT_EQ(sound.SoundCount(), 1u);
    for (Sound* s : loaded) {
        EXPECT_EQ(s, loaded[0]);
    }
}

// The mixer itself: an MP3 decoded whole, played on the last channel index, the index past
// the end refused, and the channel paused, resumed, stopped and halted by freeing the clip.
TEST(SoundMixer, PlaysOnTheLastChannelAndRefusesTheIndexPastIt) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    sound::System system;
    ASSERT_TRUE(system.IsOpen());
    EXPECT_EQ(system.ChannelCount(), 1000u);
    EXPECT_TRUE(system.HasChannel(999));
    EXPECT_FALSE(system.HasChannel(1000));

    const auto bytes = package_fixture::ReadFile(std::string(GORVANE_SOURCE_DIR) +
                                                 "/data/sounds/music/credits_music.mp3");
    std::unique_ptr<sound::Clip> clip =
        system.Load(std::vector<u8>(bytes.begin(), bytes.end()), true);
    ASSERT_NE(clip, nullptr);
    EXPECT_TRUE(clip->IsStream());

    system.PlayPaused(999, *clip, true);
    EXPECT_TRUE(system.IsPlaying(999));
    EXPECT_FALSE(Mix_Playing(999));
    system.SetVolume(999, 0.5f);
    system.SetPaused(999, false);
    EXPECT_TRUE(Mix_Playing(999));
    EXPECT_EQ(Mix_Volume(999, -1), 64);
    system.SetPaused(999, true);
    EXPECT_TRUE(Mix_Paused(999));
    EXPECT_TRUE(system.IsPlaying(999));
    system.SetPaused(999, false);
    EXPECT_FALSE(Mix_Paused(999));
    system.Stop(999);
    EXPECT_FALSE(system.IsPlaying(999));

    system.PlayPaused(1000, *clip, false);
    system.SetPaused(1000, false);
    EXPECT_FALSE(system.IsPlaying(1000));

    system.PlayPaused(998, *clip, true);
    system.SetPaused(998, false);
    ASSERT_TRUE(system.IsPlaying(998));
    clip.reset();
    EXPECT_FALSE(system.IsPlaying(998));
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
