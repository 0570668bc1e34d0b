#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <vector>

#include "platform/gfx/device.h"
#include "platform/system/message_box.h"
#include "platform/window/window.h"
#include "support/gl_fixture.h"

namespace {

using gl_fixture::PixelAt;
using gl_fixture::Rgba;
using GfxDeviceTest = gl_fixture::DeviceTest;

TEST_F(GfxDeviceTest, BackBufferHasTheWindowSizeAndClearsToTheGivenColour) {
    EXPECT_EQ(m_device->BackBufferWidth(), 64);
    EXPECT_EQ(m_device->BackBufferHeight(), 40);
    EXPECT_FALSE(m_device->RendererName().empty());

    m_device->SetBackBufferTarget();
    m_device->Clear(gfx::kClearTarget | gfx::kClearZBuffer | gfx::kClearStencil, 0xFF336699u, 1.0f,
                    0);
    const std::vector<u8> pixels = m_device->ReadBackBuffer();
    ASSERT_EQ(pixels.size(), 64u * 40u * 4u);
    for (i32 row = 0; row < 40; ++row) {
        for (i32 x = 0; x < 64; ++x) {
            ASSERT_EQ(PixelAt(pixels, 64, x, row), (Rgba{0x33, 0x66, 0x99, 0xFF}))
                << x << "," << row;
        }
    }
}

TEST_F(GfxDeviceTest, ClearFillsOnlyTheViewportAndRowZeroIsTheTop) {
    m_device->SetBackBufferTarget();
    m_device->Clear(gfx::kClearTarget, 0xFF0000FFu, 1.0f, 0); // blue everywhere
    m_device->SetViewport({8, 0, 16, 10});
    m_device->Clear(gfx::kClearTarget, 0xFFFF0000u, 1.0f, 0); // red rectangle at the top

    const std::vector<u8> pixels = m_device->ReadBackBuffer();
    const Rgba red{255, 0, 0, 255};
    const Rgba blue{0, 0, 255, 255};
    EXPECT_EQ(PixelAt(pixels, 64, 8, 0), red);
    EXPECT_EQ(PixelAt(pixels, 64, 23, 9), red);
    EXPECT_EQ(PixelAt(pixels, 64, 7, 0), blue);
    EXPECT_EQ(PixelAt(pixels, 64, 24, 0), blue);
    EXPECT_EQ(PixelAt(pixels, 64, 8, 10), blue);
    EXPECT_EQ(PixelAt(pixels, 64, 8, 39), blue);

    // Binding the back buffer again covers it all.
    m_device->SetBackBufferTarget();
    EXPECT_EQ(m_device->GetViewport().width, 64);
    EXPECT_EQ(m_device->GetViewport().height, 40);
}

TEST_F(GfxDeviceTest, PresentShowsTheTopRowAtTheTopOfTheWindow) {
    m_device->SetBackBufferTarget();
    m_device->Clear(gfx::kClearTarget, 0xFF00FF00u, 1.0f, 0);
    m_device->SetViewport({0, 0, 64, 4});
    m_device->Clear(gfx::kClearTarget, 0xFFFF0000u, 1.0f, 0);
    m_device->CopyToWindow();

    // GL keeps window rows bottom-up: the top of the window is the last row read.
    const std::vector<u8> window = m_device->ReadWindowBuffer();
    EXPECT_EQ(PixelAt(window, 64, 10, 39), (Rgba{255, 0, 0, 255}));
    EXPECT_EQ(PixelAt(window, 64, 10, 36), (Rgba{255, 0, 0, 255}));
    EXPECT_EQ(PixelAt(window, 64, 10, 35), (Rgba{0, 255, 0, 255}));
    EXPECT_EQ(PixelAt(window, 64, 10, 0), (Rgba{0, 255, 0, 255}));
    m_device->Present();
}

TEST_F(GfxDeviceTest, StatusGoesFromLostToNotResetUntilTheBackBufferIsRebuilt) {
    EXPECT_EQ(m_device->CheckStatus(), gfx::DeviceStatus::Ok);
    m_device->InjectLoss(true);
    EXPECT_EQ(m_device->CheckStatus(), gfx::DeviceStatus::Lost);
    EXPECT_EQ(m_device->CheckStatus(), gfx::DeviceStatus::Lost);
    m_device->InjectLoss(false);
    EXPECT_EQ(m_device->CheckStatus(), gfx::DeviceStatus::NotReset);
    EXPECT_EQ(m_device->CheckStatus(), gfx::DeviceStatus::NotReset);
    ASSERT_TRUE(m_device->Reset());
    EXPECT_EQ(m_device->CheckStatus(), gfx::DeviceStatus::Ok);

    // The rebuilt back buffer works.
    m_device->Clear(gfx::kClearTarget, 0xFF102030u, 1.0f, 0);
    EXPECT_EQ(PixelAt(m_device->ReadBackBuffer(), 64, 63, 39), (Rgba{0x10, 0x20, 0x30, 0xFF}));

    m_device->InjectDriverError();
    EXPECT_EQ(m_device->CheckStatus(), gfx::DeviceStatus::DriverInternalError);
}

TEST(GfxDeviceCreation, FailsWithAReasonForAWindowWithoutContext) {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    sys::ScopedMessageBoxSink sink{[](const sys::MessageBoxRequest&) {}};
    window::WindowDesc desc;
    desc.width = 32;
    desc.height = 20;
    desc.openGL = false;
    auto w = window::Window::Create(desc);
    ASSERT_NE(w, nullptr);
    std::string error;
    EXPECT_EQ(gfx::Device::Create(*w, &error), nullptr);
    EXPECT_NE(error.find("no OpenGL context"), std::string::npos) << error;
}

TEST_F(GfxDeviceTest, PresentWithoutADisplayIsPacedByTheRefreshRate) {
    // The offscreen driver's swap never waits for a display, whatever interval it takes.
    constexpr int kWatched = gfx::FramePacer::kWatchedFrames;
    constexpr int kFrames = kWatched + 12;
    std::vector<std::chrono::steady_clock::time_point> ends;
    for (int i = 0; i < kFrames; ++i) {
        m_device->Present();
        ends.push_back(std::chrono::steady_clock::now());
    }
    const double period = m_device->Pacer().Period();
    const std::chrono::duration<double> watched = ends[kWatched] - ends[0];
    if (watched.count() >= kWatched * period * gfx::FramePacer::kFasterThanRefresh) {
        GTEST_SKIP() << "this build presents no faster than the refresh by itself";
    }
    EXPECT_TRUE(m_device->Pacer().Pacing());
    const std::chrono::duration<double> last10 = ends.back() - ends[kFrames - 11];
    EXPECT_GE(last10.count(), 10 * period * 0.9);
}

} // namespace
