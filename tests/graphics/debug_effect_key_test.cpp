#include <gtest/gtest.h>

#include <string>

#include "core/handler_ids.h"
#include "core/message.h"
#include "core/message_router.h"
#include "game/input_state.h"
#include "graphics/graphics_process.h"
#include "graphics/particle_system_manager.h"
#include "graphics/render_settings.h"
#include "platform/input/keys.h"
#include "support/fake_sound.h"

namespace {

constexpr const char* kDemolition = "assets/sound fx/building_demolition_2.mp3";

void PressN(GraphicsProcess& graphics) {
    InputState input;
    input.m_keys[input::key::N] = INPUT_PRESSED;
    Message<InputState> message(MSG_GRAPHIC_INPUT, input);
    graphics.HandleMessage(&message, 0);
    graphics.Update(0.0f);
    Message<InputState> none(MSG_GRAPHIC_INPUT, InputState{});
    graphics.HandleMessage(&none, 0);
}

TEST(DebugEffectKey, NPlaysTheDemolitionSoundOnceWhenAnInstanceComesBack) {
    struct Case {
        const char* name;
        bool control;
        bool soundFound;
        int plays;
    };
    const Case cases[] = {
        {"played at 1.5, not looping", true, true, 1},
        {"no instance to play", true, false, 0},
        {"nobody to play it", false, true, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        g_render_settings = RenderSettings{};
        MessageRouter root;
        fake_sound::FakeSound sound;
        if (!c.soundFound) {
            sound.m_missing[kDemolition] = true;
        }
        sound.Bind(&root, HANDLER_SOUND_PROCESS);
        testing::internal::CaptureStdout();
        {
            GraphicsProcess graphics(nullptr, nullptr, 0, 1024.0f, 3);
            graphics.Bind(&root, GraphicsProcess::kHandlerId);
            if (c.control) {
                graphics.SetSoundControl(&sound);
            }
            PressN(graphics);
            root.RemoveHandler(&graphics);
        }
        testing::internal::GetCapturedStdout();
        root.RemoveHandler(&sound);
        ParticleSystemManager::DestroyInstance();

        if (!c.soundFound) {
            EXPECT_EQ(sound.Last(), nullptr);
            continue;
        }
        ASSERT_NE(sound.Last(), nullptr);
        EXPECT_EQ(sound.Last()->path, kDemolition);
        EXPECT_EQ(sound.Last()->plays, c.plays);
        if (c.plays > 0) {
            EXPECT_FLOAT_EQ(sound.Last()->volume, 1.5f);
            EXPECT_FALSE(sound.Last()->loop);
        }
    }
    g_render_settings = RenderSettings{};
}

} // namespace
