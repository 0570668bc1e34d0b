#include <gtest/gtest.h>

#include <string>

#include "graphics/video_manager.h"
#include "platform/video/clip.h"
#include "support/avi_fixture.h"
#include "support/package_fixture.h"

namespace {

class VideoManagerTest : public ::testing::Test {
  protected:
    void TearDown() override { VideoManager::DestroyInstance(); }

    // A video of the given frame counts at 10 frames per second.
    std::string Avi(const std::string& name, const std::vector<int>& frames) {
        const auto path = m_folder / name;
        EXPECT_TRUE(avi_fixture::WriteTinyAvi(path, frames));
        return path.string();
    }

    VideoManager& videos = *VideoManager::Instance();
    package_fixture::ScratchFolder m_folder;
};

TEST_F(VideoManagerTest, ReadsTheLengthOfEveryVideoStream) {
    const std::string path = Avi("two.avi", {5, 12});
    Video* video = videos.Load(path.c_str(), nullptr);
    ASSERT_NE(video, nullptr);
    ASSERT_EQ(video->videoStreams.size(), 2u);
    EXPECT_EQ(video->videoStreams[0].durationMs, 500);
    EXPECT_EQ(video->videoStreams[1].durationMs, 1200);
    EXPECT_EQ(video->name, path);
    // Loaded, not yet playing.
    EXPECT_FALSE(video->playing);
    EXPECT_FALSE(video->IsFinished());
    EXPECT_EQ(videos.GetTexture(path.c_str()), nullptr);
}

TEST_F(VideoManagerTest, LoadingTheSameNameTwiceGivesTheSameVideo) {
    const std::string path = Avi("a.avi", {3});
    Video* first = videos.Load(path.c_str(), nullptr);
    EXPECT_EQ(videos.Load(path.c_str(), nullptr), first);
    EXPECT_EQ(videos.Videos().size(), 1u);
}

TEST_F(VideoManagerTest, PlaysEachStreamForItsLengthThenFinishes) {
    const std::string path = Avi("two.avi", {5, 12}); // 500 ms, then 1200 ms
    Video* video = videos.Load(path.c_str(), nullptr);
    ASSERT_NE(video, nullptr);
    videos.Restart(path.c_str());
    EXPECT_TRUE(videos.Update(0.5f)); // at 500 ms: still the first stream
    EXPECT_EQ(video->streamIndex, 0u);
    EXPECT_TRUE(videos.Update(0.1f)); // past it: the second starts at 0
    EXPECT_EQ(video->streamIndex, 1u);
    EXPECT_EQ(video->timeMs, 0);
    EXPECT_TRUE(videos.Update(1.2f));
    EXPECT_FALSE(videos.Update(0.1f));
    EXPECT_TRUE(video->IsFinished());
    EXPECT_FALSE(video->playing);
    EXPECT_EQ(video->streamIndex, 0u);

    // Restart plays it again from the start.
    videos.Restart(path.c_str());
    EXPECT_TRUE(videos.IsUnfinished(path.c_str()));
    EXPECT_EQ(video->timeMs, 0);
    EXPECT_EQ(video->lastFrame, -1);
}

TEST_F(VideoManagerTest, TimeAdvancesInWholeMillisecondsAndOnlyWhilePlaying) {
    const std::string path = Avi("a.avi", {10});
    Video* video = videos.Load(path.c_str(), nullptr);
    ASSERT_NE(video, nullptr);
    videos.Update(0.3f);
    EXPECT_EQ(video->timeMs, 0); // not restarted
    videos.Restart(path.c_str());
    videos.Update(0.0004f);
    EXPECT_EQ(video->timeMs, 0);
    videos.Update(0.0126f);
    EXPECT_EQ(video->timeMs, 12);
    videos.Stop(path.c_str());
    videos.Update(0.1f);
    EXPECT_EQ(video->timeMs, 12);
}

TEST_F(VideoManagerTest, UpdateIsFalseWithNothingLoadedAndTrueWhileAnyVideoIsUnfinished) {
    EXPECT_FALSE(videos.Update(0.1f));
    const std::string a = Avi("a.avi", {1});
    const std::string b = Avi("b.avi", {1});
    videos.Load(a.c_str(), nullptr);
    videos.Load(b.c_str(), nullptr);
    videos.Restart(a.c_str());
    EXPECT_TRUE(videos.Update(0.2f)); // a finishes; b is loaded but was never started
    EXPECT_FALSE(videos.IsUnfinished(a.c_str()));
    EXPECT_TRUE(videos.IsUnfinished(b.c_str()));
    videos.Unload(b.c_str());
    EXPECT_FALSE(videos.Update(0.1f));
    EXPECT_FALSE(videos.IsUnfinished(b.c_str()));
}

TEST_F(VideoManagerTest, MissingAndUnreadableFilesLoadNothingAndSaySo) {
    const std::string missing = (m_folder / "missing.avi").string();
    testing::internal::CaptureStdout();
    EXPECT_EQ(videos.Load(missing.c_str(), nullptr), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Video filename " + missing + " was not found\nVideo failed to load\n");

    const auto junk = m_folder / "junk.avi";
    package_fixture::WriteFile(junk, std::string("this is not a video at all"));
    testing::internal::CaptureStdout();
    EXPECT_EQ(videos.Load(junk.c_str(), nullptr), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Video (" + junk.string() +
                  ") could not be read or has a bad format\nVideo failed to load\n");
    EXPECT_TRUE(videos.Videos().empty());
}

TEST_F(VideoManagerTest, ReleaseAndReloadKeepThePlaybackState) {
    const std::string path = Avi("a.avi", {10});
    Video* video = videos.Load(path.c_str(), nullptr);
    ASSERT_NE(video, nullptr);
    videos.Restart(path.c_str());
    videos.Update(0.25f);
    videos.ReleaseAll();
    EXPECT_TRUE(video->videoStreams.empty());
    videos.ReloadAll(nullptr);
    ASSERT_EQ(video->videoStreams.size(), 1u);
    EXPECT_EQ(video->timeMs, 250);
    EXPECT_TRUE(video->playing);
}

// A file of streams with the given lengths at 10 pictures a second that counts what is
// asked of it.
class FakeDecoder : public video::Decoder {
  public:
    explicit FakeDecoder(std::vector<i32> durations) {
        for (i32 ms : durations) {
            m_streams.push_back({ms});
        }
    }
    const std::vector<video::VideoStream>& VideoStreams() const override { return m_streams; }
    u32 AudioStreamCount() const override { return 0; }
    i32 TimeToSample(u32 stream, i32 timeMs) const override {
        return stream < m_streams.size() && timeMs < m_streams[stream].durationMs ? timeMs / 100
                                                                                  : -1;
    }
    video::Picture Frame(u32 stream, i32 sample) override {
        frames.emplace_back(stream, sample);
        return {};
    }
    void Rewind() override { ++rewinds; }

    std::vector<std::pair<u32, i32>> frames;
    int rewinds = 0;

  private:
    std::vector<video::VideoStream> m_streams;
};

Video& WithFake(Video& video, FakeDecoder*& fake, std::vector<i32> durations) {
    auto decoder = std::make_unique<FakeDecoder>(std::move(durations));
    fake = decoder.get();
    video.file = std::move(decoder);
    for (const video::VideoStream& stream : fake->VideoStreams()) {
        video.videoStreams.push_back({stream.durationMs});
    }
    video.playing = true;
    return video;
}

TEST(VideoPlaybackTest, APictureIsFetchedOnlyWhenTheTimeReachesAnotherOne) {
    Video video;
    FakeDecoder* fake = nullptr;
    WithFake(video, fake, {1000});
    video.Update(0.0004f); // 0 ms: picture 0
    video.Update(0.0004f); // still 0 ms, still picture 0: nothing fetched
    video.Update(0.0509f); // 50 ms
    video.Update(0.0605f); // 110 ms: picture 1
    const std::vector<std::pair<u32, i32>> expected = {{0, 0}, {0, 1}};
    EXPECT_EQ(fake->frames, expected);
    EXPECT_EQ(video.timeMs, 110);
    EXPECT_EQ(video.lastFrame, 1);
    EXPECT_EQ(video.framesFetched, 2u);
}

TEST(VideoPlaybackTest, StreamsPlayOneAfterAnotherWithoutDecodingAtTheSwitch) {
    Video video;
    FakeDecoder* fake = nullptr;
    WithFake(video, fake, {200, 300});
    video.Update(0.15f); // stream 0, picture 1
    video.Update(0.1f);  // 250 ms > 200: stream 1 starts, nothing fetched
    EXPECT_EQ(video.streamIndex, 1u);
    EXPECT_EQ(video.timeMs, 0);
    video.Update(0.2f); // stream 1, picture 2
    video.Update(0.2f); // 400 ms > 300: finished
    const std::vector<std::pair<u32, i32>> expected = {{0, 1}, {1, 2}};
    EXPECT_EQ(fake->frames, expected);
    EXPECT_TRUE(video.IsFinished());
    EXPECT_FALSE(video.playing);
}

TEST(VideoPlaybackTest, AVideoWithoutVideoStreamsFinishesAtItsFirstUpdate) {
    Video video;
    FakeDecoder* fake = nullptr;
    WithFake(video, fake, {});
    video.Update(0.01f);
    EXPECT_TRUE(video.IsFinished());
    EXPECT_TRUE(fake->frames.empty());
}

TEST_F(VideoManagerTest, RestartRewindsTheFile) {
    const std::string path = Avi("a.avi", {3});
    Video* video = videos.Load(path.c_str(), nullptr);
    ASSERT_NE(video, nullptr);
    FakeDecoder* fake = nullptr;
    video->videoStreams.clear();
    WithFake(*video, fake, {300});
    videos.Restart(path.c_str());
    videos.Restart(path.c_str());
    EXPECT_EQ(fake->rewinds, 2);
}

TEST_F(VideoManagerTest, AClipDecodesForwardToThePictureAskedForAndBackOnlyAfterRewind) {
    const std::string path = Avi("two.avi", {4, 3});
    auto clip = video::Clip::Open(path);
    ASSERT_NE(clip, nullptr);
    EXPECT_EQ(clip->TimeToSample(0, 0), 0);
    EXPECT_EQ(clip->TimeToSample(0, 299), 2);
    EXPECT_EQ(clip->TimeToSample(0, 400), -1); // past the last picture
    EXPECT_EQ(clip->TimeToSample(2, 0), -1);

    const auto grey = [&](u32 stream, i32 sample) {
        const video::Picture picture = clip->Frame(stream, sample);
        EXPECT_EQ(picture.width, 2);
        EXPECT_EQ(picture.height, 2);
        return picture.rgb != nullptr ? int(picture.rgb[0]) : -1;
    };
    EXPECT_EQ(grey(0, 2), avi_fixture::FrameByte(0, 2));
    EXPECT_EQ(grey(0, 1), avi_fixture::FrameByte(0, 2)); // never backwards
    EXPECT_EQ(grey(0, 3), avi_fixture::FrameByte(0, 3));
    clip->Rewind();
    EXPECT_EQ(grey(0, 0), avi_fixture::FrameByte(0, 0));
    // The next stream is read from the start of the file.
    EXPECT_EQ(grey(1, 1), avi_fixture::FrameByte(1, 1));
    EXPECT_EQ(grey(1, 2), avi_fixture::FrameByte(1, 2));
}

} // namespace
