// The renderer's exposure messages and keys drive the fades of the final image.
#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

#include "core/message.h"
#include "core/message_router.h"
#include "graphics/graphics_process.h"
#include "graphics/hdr_bloom.h"
#include "graphics/render_settings.h"
#include "platform/input/keys.h"
#include "support/component_fixture.h"

namespace {

class ExposureMessages : public ::testing::Test {
  protected:
    void SetUp() override {
        g_render_settings = RenderSettings{};
        SetExposure(4.0f);
        testing::internal::CaptureStdout();
        graphics = std::make_unique<GraphicsProcess>(nullptr, nullptr, 0, 1024.0f, 3);
        testing::internal::GetCapturedStdout();
        graphics->Bind(&router, GraphicsProcess::kHandlerId);
        asker.Bind(&router, 22);
    }
    void TearDown() override {
        graphics.reset();
        g_render_settings = RenderSettings{};
        SetExposure(4.0f);
    }
    void Send(BaseMessage&& message) { asker.SendMessage(&message, GraphicsProcess::kHandlerId); }

    MessageRouter router;
    std::unique_ptr<GraphicsProcess> graphics;
    component_fixture::MessageRecorder asker;
};

TEST_F(ExposureMessages, StartEndAndTemporaryChangeRunTheFades) {
    const ExposureFade& fade = graphics->ExposureFades();
    Send(Message<std::pair<float, float>>(MSG_GRAPHICS_EXPOSURE_CHANGE_START, {6.0f, 1.0f}));
    EXPECT_TRUE(fade.FadingIn());
    EXPECT_FALSE(fade.DelayedFadeOut());
    Send(Message<float>(MSG_GRAPHICS_EXPOSURE_CHANGE_END, 2.0f));
    EXPECT_TRUE(fade.FadingOut());

    const std::vector<float> temporary{8.0f, 1.8f, 8.0f, 1.0f};
    Send(Message<std::vector<float>>(MSG_GRAPHICS_EXPOSURE_TEMP_CHANGE, temporary));
    // The fade-out turned into the fade-in of the temporary change, with its delay armed.
    EXPECT_TRUE(fade.FadingIn());
    EXPECT_TRUE(fade.DelayedFadeOut());
    // Setting the exposure cancels the delayed fade-out.
    Send(Message<float>(MSG_GRAPHICS_SET_EXPOSURE_VALUE, 2.5f));
    EXPECT_FALSE(fade.DelayedFadeOut());
    EXPECT_FALSE(fade.HoldsExposure());
}

TEST_F(ExposureMessages, EWithUpFadesInAndEWithDownFadesOut) {
    InputState state;
    state.m_keys[input::key::E] = INPUT_HELD;
    state.m_keys[input::key::Up] = INPUT_PRESSED;
    Send(Message<InputState>(MSG_GRAPHIC_INPUT, state));
    graphics->Update(0.01f);
    EXPECT_TRUE(graphics->ExposureFades().FadingIn());
    state.m_keys[input::key::Up] = INPUT_UP;
    state.m_keys[input::key::Down] = INPUT_PRESSED;
    Send(Message<InputState>(MSG_GRAPHIC_INPUT, state));
    graphics->Update(0.01f);
    EXPECT_TRUE(graphics->ExposureFades().FadingOut());
    // Without E the arrows do nothing.
    state.m_keys[input::key::E] = INPUT_UP;
    state.m_keys[input::key::Down] = INPUT_UP;
    state.m_keys[input::key::Up] = INPUT_PRESSED;
    Send(Message<InputState>(MSG_GRAPHIC_INPUT, state));
    graphics->Update(0.01f);
    EXPECT_FALSE(graphics->ExposureFades().FadingIn());
}

} // namespace
