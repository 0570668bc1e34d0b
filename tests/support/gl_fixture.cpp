#include "support/gl_fixture.h"

#include <cstdlib>

#include "platform/system/message_box.h"
#include "platform/window/window.h"

namespace gl_fixture {

window::Window* DeviceTest::s_window = nullptr;

std::ostream& operator<<(std::ostream& out, const Rgba& c) {
    return out << "(" << int(c.r) << ", " << int(c.g) << ", " << int(c.b) << ", " << int(c.a)
               << ")";
}

Rgba PixelAt(const std::vector<u8>& pixels, i32 width, i32 x, i32 row) {
    const std::size_t at = (static_cast<std::size_t>(row) * width + x) * 4;
    return {pixels[at], pixels[at + 1], pixels[at + 2], pixels[at + 3]};
}

// One window for the suite: starting the driver is what costs time, not the device.
void DeviceTest::SetUpTestSuite() {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    sys::ScopedMessageBoxSink sink{[](const sys::MessageBoxRequest&) {}};
    window::WindowDesc desc;
    desc.width = kWidth;
    desc.height = kHeight;
    s_window = window::Window::Create(desc).release();
}

void DeviceTest::TearDownTestSuite() {
    delete s_window;
    s_window = nullptr;
}

void DeviceTest::SetUp() {
    ASSERT_NE(s_window, nullptr);
    std::string error;
    m_device = gfx::Device::Create(*s_window, &error);
    ASSERT_NE(m_device, nullptr) << error;
}

void DeviceTest::TearDown() {
    m_device.reset();
}

Rgba DeviceTest::BackBufferPixel(i32 x, i32 row) const {
    return PixelAt(m_device->ReadBackBuffer(), m_device->BackBufferWidth(), x, row);
}

} // namespace gl_fixture
