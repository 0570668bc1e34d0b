#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/gfx/image.h"
#include "support/package_fixture.h"

namespace {

std::vector<u8> DataFile(const std::string& name) {
    return package_fixture::ReadFile(std::string(GORVANE_SOURCE_DIR) + "/data/art/textures/" +
                                     name);
}

bool Decode(const std::vector<u8>& bytes, gfx::Image& image, std::string* error = nullptr) {
    return gfx::DecodeImage(bytes.data(), bytes.size(), image, error);
}

TEST(GfxImageTest, TheGeneratedDdsFilesDecodeAsCubeVolumeAndAlphaTexture) {
    struct Case {
        const char* file;
        gfx::ImageKind kind;
        i32 width, height, depth;
    };
    const Case cases[] = {{"grassenvmap512.dds", gfx::ImageKind::Cube, 128, 128, 1},
                          {"noise.dds", gfx::ImageKind::Volume, 32, 32, 32},
                          {"smoke.dds", gfx::ImageKind::Texture2D, 64, 64, 1}};
    for (const Case& c : cases) {
        gfx::Image image;
        std::string error;
        ASSERT_TRUE(Decode(DataFile(c.file), image, &error)) << c.file << ": " << error;
        EXPECT_EQ(image.kind, c.kind) << c.file;
        EXPECT_EQ(image.width, c.width) << c.file;
        EXPECT_EQ(image.height, c.height) << c.file;
        EXPECT_EQ(image.depth, c.depth) << c.file;
        EXPECT_EQ(image.pixels.size(), image.LayerBytes() * image.Layers()) << c.file;
    }
}

TEST(GfxImageTest, DdsChannelsComeOutAsRgba) {
    gfx::Image sky;
    ASSERT_TRUE(Decode(DataFile("grassenvmap512.dds"), sky));
    // +Y (face 2) looks at the zenith: blue above all; -Y (face 3) at the ground: opaque.
    const std::size_t centre = (64 * 128 + 64) * 4;
    const u8* up = &sky.pixels[sky.LayerBytes() * 2 + centre];
    EXPECT_GT(up[2], up[0]);
    EXPECT_EQ(up[3], 255);

    gfx::Image noise;
    ASSERT_TRUE(Decode(DataFile("noise.dds"), noise));
    for (std::size_t i = 0; i < noise.pixels.size(); i += 4 * 97) {
        EXPECT_EQ(noise.pixels[i], noise.pixels[i + 1]);
        EXPECT_EQ(noise.pixels[i], noise.pixels[i + 2]);
        EXPECT_EQ(noise.pixels[i + 3], 255);
    }

    gfx::Image smoke;
    ASSERT_TRUE(Decode(DataFile("smoke.dds"), smoke));
    EXPECT_EQ(smoke.pixels[3], 0);                        // a transparent corner
    EXPECT_GT(smoke.pixels[(32 * 64 + 32) * 4 + 3], 150); // a dense middle
}

TEST(GfxImageTest, TruncatedGarbageAndCompressedDdsFilesFailWithoutACrash) {
    const std::vector<u8> good = DataFile("smoke.dds");
    ASSERT_GT(good.size(), 128u);
    std::vector<std::vector<u8>> bad;
    for (const std::size_t length : {std::size_t{0}, std::size_t{3}, std::size_t{4},
                                     std::size_t{100}, std::size_t{128}, good.size() - 1}) {
        bad.emplace_back(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(length));
    }
    std::vector<u8> garbage = good;
    for (std::size_t i = 4; i < 128; ++i) {
        garbage[i] = static_cast<u8>(i * 37);
    }
    bad.push_back(garbage);
    std::vector<u8> huge = good;
    huge[12] = huge[13] = huge[14] = huge[15] = 0xFF; // a height of four billion
    bad.push_back(huge);
    std::vector<u8> compressed = good;
    compressed[80] = 0x4; // a four-character code instead of plain colour
    std::copy_n("DXT5", 4, compressed.begin() + 84);
    bad.push_back(compressed);
    std::vector<u8> cube = DataFile("grassenvmap512.dds");
    cube.resize(cube.size() - 128 * 128 * 4); // the last face missing
    bad.push_back(cube);

    for (std::size_t i = 0; i < bad.size(); ++i) {
        gfx::Image image;
        std::string error;
        EXPECT_FALSE(gfx::DecodeDds(bad[i].data(), bad[i].size(), image, &error)) << i;
        EXPECT_FALSE(error.empty()) << i;
    }
}

TEST(GfxImageTest, ABmpWrittenHereDecodesToTheSamePixels) {
    const i32 width = 3; // rows need padding
    const i32 height = 2;
    const std::vector<u8> rgba = {255, 0,  0,  255, 0,  255, 0,  255, 0,  0,  255, 255,
                                  10,  20, 30, 255, 40, 50,  60, 255, 70, 80, 90,  255};
    const std::string bmp = gfx::EncodeBmp(rgba.data(), width, height);
    EXPECT_EQ(bmp.size(), 54u + 2u * 12u);
    gfx::Image image;
    ASSERT_TRUE(gfx::DecodeImage(reinterpret_cast<const u8*>(bmp.data()), bmp.size(), image));
    EXPECT_EQ(image.width, width);
    EXPECT_EQ(image.height, height);
    EXPECT_EQ(image.pixels, rgba);

    gfx::Image grid;
    ASSERT_TRUE(Decode(DataFile("grid.bmp"), grid));
    EXPECT_EQ(grid.width, 64);
}

TEST(GfxImageTest, DataThatIsNoImageFails) {
    const std::vector<u8> text = {'h', 'e', 'l', 'l', 'o'};
    gfx::Image image;
    std::string error;
    EXPECT_FALSE(Decode(text, image, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(gfx::DecodeImage(nullptr, 0, image));
}

} // namespace
