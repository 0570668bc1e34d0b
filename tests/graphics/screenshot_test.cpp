#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "graphics/graphics_process.h"
#include "graphics/screenshot.h"
#include "graphics/start_error.h"
#include "platform/gfx/image.h"
#include "platform/system/message_box.h"
#include "support/package_fixture.h"

namespace {

namespace fs = std::filesystem;

std::string Name(int i) {
    char name[64];
    std::snprintf(name, sizeof name, "Screenshots/screenshot%.3d.bmp", i);
    return name;
}

TEST(ScreenshotNames, TheFirstFreeNumberIsTaken) {
    struct Case {
        std::set<int> taken;
        std::string next;
    };
    std::set<int> all;
    for (int i = 0; i < 999; ++i) {
        all.insert(i);
    }
    std::set<int> allButLast = all;
    allButLast.erase(998);
    const Case cases[] = {{{}, Name(0)},     {{0, 1}, Name(2)},
                          {{1, 2}, Name(0)}, // a gap at 000 is filled first
                          {{0, 2}, Name(1)}, {allButLast, Name(998)},
                          {all, ""}};
    for (const Case& c : cases) {
        const auto exists = [&](const std::string& name) {
            for (int i : c.taken) {
                if (name == Name(i)) {
                    return true;
                }
            }
            return false;
        };
        EXPECT_EQ(NextScreenshotName(exists), c.next) << c.taken.size();
    }
}

// Runs in a scratch working folder, as the game writes below its own.
class ScreenshotFiles : public ::testing::Test {
  protected:
    ScreenshotFiles() : m_previous(fs::current_path()) { fs::current_path(m_folder.Path()); }
    ~ScreenshotFiles() override { fs::current_path(m_previous); }

    std::string Save() {
        testing::internal::CaptureStdout();
        m_written = SaveScreenshot(m_pixels, 3, 2);
        return testing::internal::GetCapturedStdout();
    }

    package_fixture::ScratchFolder m_folder;
    fs::path m_previous;
    const std::vector<u8> m_pixels = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255,
                                      1,   2, 3, 255, 4, 5,   6, 255, 7, 8, 9,   255};
    std::string m_written;
};

TEST_F(ScreenshotFiles, TheFolderIsMadeOnDemandAndEachShotGetsTheNextNumber) {
    EXPECT_EQ(Save(), "Screenshot saved to: Screenshots/screenshot000.bmp\n");
    EXPECT_EQ(Save(), "Screenshot saved to: Screenshots/screenshot001.bmp\n");
    EXPECT_EQ(m_written, Name(1));
    const std::vector<u8> bytes = package_fixture::ReadFile(Name(0));
    gfx::Image image;
    ASSERT_TRUE(gfx::DecodeImage(bytes.data(), bytes.size(), image));
    EXPECT_EQ(image.pixels, m_pixels);
    EXPECT_EQ(bytes[28], 24); // bits per pixel
}

TEST_F(ScreenshotFiles, WithEveryNameTakenNothingIsWrittenOrOverwritten) {
    fs::create_directory("Screenshots");
    for (int i = 0; i < 999; ++i) {
        package_fixture::WriteFile(Name(i), std::string("old"));
    }
    const std::string log = Save();
    EXPECT_EQ(log.find("Screenshot saved to"), std::string::npos) << log;
    EXPECT_NE(log.find("not saved"), std::string::npos) << log;
    EXPECT_TRUE(m_written.empty());
    const std::vector<u8> last = package_fixture::ReadFile(Name(998));
    EXPECT_EQ(std::string(last.begin(), last.end()), "old");
}

TEST_F(ScreenshotFiles, AFailedWriteIsReportedAndNotCalledSaved) {
    package_fixture::WriteFile("Screenshots", std::string("a file where the folder goes"));
    const std::string log = Save();
    EXPECT_EQ(log.find("Screenshot saved to"), std::string::npos) << log;
    EXPECT_NE(log.find("Screenshot could not be saved to: Screenshots/screenshot000.bmp"),
              std::string::npos)
        << log;
}

// Games saving into one folder at once (a player's two windows, the test runs) never get one
// name: each picture is kept whole under a name of its own.
TEST_F(ScreenshotFiles, GamesSavingIntoOneFolderAtOnceKeepEveryPicture) {
    constexpr int kGames = 4;
    constexpr int kShots = 12;
    std::vector<std::vector<std::string>> names(kGames);
    testing::internal::CaptureStdout();
    {
        std::vector<std::thread> games;
        for (int game = 0; game < kGames; ++game) {
            games.emplace_back([&names, game] {
                // Each game's picture has its own colour.
                const std::vector<u8> pixels(3 * 2 * 4, static_cast<u8>(40 * (game + 1)));
                for (int shot = 0; shot < kShots; ++shot) {
                    names[game].push_back(SaveScreenshot(pixels, 3, 2));
                }
            });
        }
        for (std::thread& game : games) {
            game.join();
        }
    }
    testing::internal::GetCapturedStdout();
    std::set<std::string> distinct;
    for (int game = 0; game < kGames; ++game) {
        for (const std::string& name : names[game]) {
            ASSERT_FALSE(name.empty());
            distinct.insert(name);
            const std::vector<u8> bytes = package_fixture::ReadFile(name);
            gfx::Image image;
            ASSERT_TRUE(gfx::DecodeImage(bytes.data(), bytes.size(), image)) << name;
            EXPECT_EQ(image.pixels[0], 40 * (game + 1)) << name;
        }
    }
    EXPECT_EQ(distinct.size(), static_cast<std::size_t>(kGames * kShots));
    EXPECT_EQ(std::distance(fs::directory_iterator("Screenshots"), fs::directory_iterator()),
              kGames * kShots);
}

TEST(GraphicsStartError, ShowsTheTextLogsItAndExitsWithCodeZeroThroughTheHook) {
    std::vector<sys::MessageBoxRequest> boxes;
    sys::ScopedMessageBoxSink sink{
        [&](const sys::MessageBoxRequest& box) { boxes.push_back(box); }};
    std::vector<int> codes;
    const ExitHook previous = SetGraphicsExitHook([&](int code) { codes.push_back(code); });
    testing::internal::CaptureStdout();
    ShowGraphicsStartError();
    const std::string log = testing::internal::GetCapturedStdout();
    SetGraphicsExitHook(previous);

    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, GraphicsProcess::kStartupErrorText);
    EXPECT_EQ(log, std::string(GraphicsProcess::kStartupErrorText) + "\n");
    EXPECT_EQ(codes, std::vector<int>{0});
}

} // namespace
