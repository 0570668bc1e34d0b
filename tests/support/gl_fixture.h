#pragma once
// Tests that draw: one hidden 64x40 window on the offscreen video driver (Mesa llvmpipe) for
// the suite, a fresh device for every test, and pixel probes.
#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <vector>

#include "core/types.h"
#include "platform/gfx/device.h"

namespace window {
class Window;
}

namespace gl_fixture {

struct Rgba {
    u8 r, g, b, a;
    bool operator==(const Rgba&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Rgba& c);

// The pixel at column x of row `row` (row 0 first) of R, G, B, A bytes.
Rgba PixelAt(const std::vector<u8>& pixels, i32 width, i32 x, i32 row);

class DeviceTest : public ::testing::Test {
  public:
    static constexpr i32 kWidth = 64;
    static constexpr i32 kHeight = 40;

  protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    Rgba BackBufferPixel(i32 x, i32 row) const;

    static window::Window* s_window;
    std::unique_ptr<gfx::Device> m_device;
};

} // namespace gl_fixture
