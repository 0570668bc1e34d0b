#include <gtest/gtest.h>

#include <map>
#include <string>

#include "graphics/graphic_component.h"
#include "graphics/window_lights.h"
#include "platform/gfx/image.h"
#include "support/package_fixture.h"

namespace {

// Stand-in textures: only their addresses are compared, never dereferenced.
alignas(8) char g_slots[4][8];
gfx::Texture* Fake(int i) {
    return reinterpret_cast<gfx::Texture*>(g_slots[i]);
}

TEST(WindowLights, LitWindowsSwapForTheirDarkTwinAndEverythingElseStays) {
    std::map<std::string, int> asked;
    WindowLights lights([&asked](const std::string& name) -> gfx::Texture* {
        ++asked[name];
        if (name == "assets/art/windows.png") {
            return Fake(0);
        }
        return name == "assets/art/windows_dark.png" ? Fake(1) : nullptr;
    });
    EXPECT_TRUE(asked.empty()) << "nothing is loaded before a building goes dark";
    struct Case {
        gfx::Texture* drawn;
        gfx::Texture* expected;
    };
    const Case cases[] = {
        {Fake(0), Fake(1)}, {Fake(2), Fake(2)}, {nullptr, nullptr}, {Fake(0), Fake(1)}};
    for (const Case& c : cases) {
        EXPECT_EQ(lights.Unlit(c.drawn), c.expected);
    }
    // The twins are looked up once.
    EXPECT_EQ(asked["assets/art/windows.png"], 1);
    EXPECT_EQ(asked["assets/art/windows_dark.png"], 1);
}

TEST(WindowLights, WithoutTheDarkTwinTheLitTextureStays) {
    WindowLights lights([](const std::string& name) -> gfx::Texture* {
        return name == "assets/art/windows.png" ? Fake(0) : nullptr;
    });
    EXPECT_EQ(lights.Unlit(Fake(0)), Fake(0));
    WindowLights none(nullptr);
    EXPECT_EQ(none.Unlit(Fake(3)), Fake(3));
}

TEST(WindowLights, AComponentDrawsItsOwnTexturesUntilItsWindowsGoDark) {
    GraphicComponent wall("BuildingHighrise", nullptr, nullptr, "", 0, 0.0f, 1.0f, 0, 0, "");
    EXPECT_TRUE(wall.WindowsLit());
    EXPECT_EQ(wall.SubsetTexture(Fake(0)), Fake(0));
    wall.SwitchOffWindows();
    EXPECT_FALSE(wall.WindowsLit());
    // Without a renderer there is no twin to draw.
    EXPECT_EQ(wall.SubsetTexture(Fake(0)), Fake(0));
}

// The mean of R, G and B over the texture as the generator wrote it.
double MeanBrightness(const std::string& packagedName) {
    const std::string prefix = "assets/art/";
    const std::vector<u8> bytes =
        package_fixture::ReadFile(std::string(GORVANE_SOURCE_DIR) + "/data/art/textures/" +
                                  packagedName.substr(prefix.size()));
    gfx::Image image;
    EXPECT_TRUE(gfx::DecodeImage(bytes.data(), bytes.size(), image)) << packagedName;
    double sum = 0.0;
    for (std::size_t i = 0; i < image.pixels.size(); i += 4) {
        sum += image.pixels[i] + image.pixels[i + 1] + image.pixels[i + 2];
    }
    return image.pixels.empty() ? 0.0 : sum / (3.0 * static_cast<double>(image.pixels.size() / 4));
}

TEST(WindowLights, EachDarkTwinIsTheSameSizeAndDarkerThanItsLitTexture) {
    for (const auto& [lit, dark] : WindowLights::Twins()) {
        ASSERT_EQ(lit.rfind("assets/art/", 0), 0u) << lit;
        ASSERT_EQ(dark.rfind("assets/art/", 0), 0u) << dark;
        EXPECT_LT(MeanBrightness(dark) + 5.0, MeanBrightness(lit)) << dark;
    }
}

} // namespace
