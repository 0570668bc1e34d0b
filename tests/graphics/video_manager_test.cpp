#include <gtest/gtest.h>

#include <string>

#include "graphics/video_manager.h"
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

} // namespace
