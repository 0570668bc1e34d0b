#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graphics/texture_cache.h"
#include "platform/gfx/image.h"
#include "support/package_fixture.h"

namespace {

std::string SmallBmp() {
    const std::vector<u8> rgba(4 * 4 * 4, 200);
    return gfx::EncodeBmp(rgba.data(), 4, 4);
}

std::string DataFile(const std::string& name) {
    const std::vector<u8> bytes =
        package_fixture::ReadFile(std::string(GORVANE_SOURCE_DIR) + "/data/art/textures/" + name);
    return {bytes.begin(), bytes.end()};
}

class TextureCacheTest : public ::testing::Test {
  protected:
    void SetUp() override {
        m_package = package_fixture::MakePackage(
            m_folder.Path(), "art",
            {{"textures/wall.bmp", SmallBmp()},
             {"textures/grassenvmap512.dds", DataFile("grassenvmap512.dds")},
             {"noise.dds", DataFile("noise.dds")},
             {"broken.png", "not a png"}});
        ASSERT_FALSE(m_package.empty());
    }

    package_fixture::ScratchFolder m_folder;
    std::filesystem::path m_package;
};

TEST_F(TextureCacheTest, AMissingNameIsLoggedOnEveryCallAndNothingIsCached) {
    TextureCache cache(m_package.string());
    for (const char* name : {"assets/art/missing.png", "assets/art/broken.png",
                             "assets/art/noise.dds"}) { // a volume is no plain texture
        for (int call = 0; call < 2; ++call) {
            testing::internal::CaptureStdout();
            EXPECT_EQ(cache.Get(name), nullptr);
            const std::string out = testing::internal::GetCapturedStdout();
            EXPECT_NE(out.find(std::string("Failed to load ") + name + "\n"), std::string::npos)
                << out;
        }
    }
    EXPECT_EQ(cache.Size(), 0u);
}

TEST_F(TextureCacheTest, ATextureIsFoundByBaseNameDecodedOnceAndNotUploadedUntilUsed) {
    TextureCache cache(m_package.string());
    gfx::Texture* wall = cache.Get("assets/art/Wall.bmp");
    ASSERT_NE(wall, nullptr);
    EXPECT_EQ(wall->Width(), 4);
    EXPECT_EQ(wall->Kind(), gfx::ImageKind::Texture2D);
    EXPECT_FALSE(wall->IsUploaded());
    EXPECT_EQ(wall->Levels(), 3u); // 4, 2, 1
    EXPECT_EQ(cache.Get("assets/art/Wall.bmp"), wall);
    EXPECT_EQ(cache.Size(), 1u);
}

TEST_F(TextureCacheTest, TheCubeAndVolumeLoadersReadTheirFixedFiles) {
    const auto cube = LoadCubeTextureFromPackage(m_package.string());
    ASSERT_NE(cube, nullptr);
    EXPECT_EQ(cube->Kind(), gfx::ImageKind::Cube);
    EXPECT_EQ(cube->Width(), 128);
    const auto volume = LoadVolumeTextureFromPackage(m_package.string());
    ASSERT_NE(volume, nullptr);
    EXPECT_EQ(volume->Kind(), gfx::ImageKind::Volume);
    EXPECT_EQ(volume->Depth(), 32);
}

} // namespace
