// The level's look of its units over real graphic components: the flags and clips the AI
// states set, the break request, and objects without a graphic left alone.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "animation/clip_graphic.h"
#include "app/level_unit_look.h"
#include "core/component_type.h"
#include "core/game_object.h"
#include "core/handler_ids.h"
#include "core/message.h"
#include "core/message_router.h"
#include "support/component_fixture.h"

namespace {

struct LevelUnitLookTest : ::testing::Test {
    ClipGraphic* graphic = new ClipGraphic("AI-Ground-Tank");
    GameObject tank{"AI-Ground-Tank"};
    GameObject bare{"AI-Ground-Citizen"};
    LevelUnitLook look;
    MessageRouter router;
    component_fixture::MessageRecorder graphics;
    component_fixture::MessageRecorder unit;

    LevelUnitLookTest() {
        graphic->AddClip("Shoot", 0.5f);
        graphic->AddClip("tred_rotation", 1.0f);
        tank.AddComponent(ComponentType::Graphic, graphic);
        graphics.Bind(&router, HANDLER_GRAPHICS_PROCESS);
        unit.Bind(&router, 40);
    }
    // No graphics process takes the component back: the test frees its own.
    ~LevelUnitLookTest() override {
        tank.RemoveComponent(graphic, false);
        delete graphic;
    }
    const GraphicsAnimation& Clip(const std::string& name) {
        return *graphic->Clips().m_animations.at(name);
    }
};

TEST_F(LevelUnitLookTest, FlashAndGlowGoToTheGraphicAndComeBack) {
    EXPECT_TRUE(look.HasGraphic(tank));
    EXPECT_FALSE(look.RenderRed(tank));
    look.SetRenderRed(tank, true);
    EXPECT_TRUE(look.RenderRed(tank));
    EXPECT_EQ(graphic->m_render_red, 1);
    look.SetRenderRed(tank, false);
    EXPECT_FALSE(look.RenderRed(tank));
    look.SetHdrMultiplier(tank, 7.5f);
    EXPECT_FLOAT_EQ(look.HdrMultiplier(tank), 7.5f);
    EXPECT_FLOAT_EQ(graphic->GetHdrMultiplier(), 7.5f);
}

TEST_F(LevelUnitLookTest, ClipsArePlayedPausedAndHurriedByName) {
    look.PlayAnimation(tank, "Shoot");
    EXPECT_TRUE(Clip("Shoot").m_active);
    // A clip the mesh lacks changes nothing.
    look.PlayAnimation(tank, "Fly");
    look.SetAnimationPaused(tank, "Fly", true);
    EXPECT_TRUE(Clip("Shoot").m_active);
    EXPECT_EQ(graphic->Clips().m_animations.size(), 2u);

    look.SetAnimationPaused(tank, "tred_rotation", true);
    EXPECT_TRUE(Clip("tred_rotation").m_paused);
    EXPECT_FALSE(Clip("Shoot").m_paused);
    look.SetAnimationPaused(tank, "tred_rotation", false);
    EXPECT_FALSE(Clip("tred_rotation").m_paused);

    look.SetAnimationSpeedAll(tank, 3.0f);
    EXPECT_FLOAT_EQ(Clip("Shoot").m_speed, 3.0f);
    EXPECT_FLOAT_EQ(Clip("tred_rotation").m_speed, 3.0f);
}

TEST_F(LevelUnitLookTest, BreakingAsksTheGraphicsProcessForTheWholeObject) {
    look.BreakObject(tank, unit);
    ASSERT_EQ(graphics.received.size(), 1u);
    const BaseMessage& sent = *graphics.received[0].message;
    EXPECT_EQ(sent.type, MSG_GRAPHICS_BREAK_OBJECT);
    const auto* payload = sent.Payload<std::pair<GraphicComponent*, bool>>();
    ASSERT_NE(payload, nullptr);
    EXPECT_EQ(payload->first, graphic);
    EXPECT_FALSE(payload->second);
    EXPECT_EQ(graphics.received[0].fromId, 40u);
    // Without a second hierarchy there is nothing to fall apart into.
    EXPECT_EQ(BreakableGraphicOf(tank), nullptr);
}

TEST_F(LevelUnitLookTest, AnObjectWithoutAGraphicIsLeftAlone) {
    EXPECT_FALSE(look.HasGraphic(bare));
    look.SetRenderRed(bare, true);
    EXPECT_FALSE(look.RenderRed(bare));
    look.SetHdrMultiplier(bare, 4.0f);
    EXPECT_FLOAT_EQ(look.HdrMultiplier(bare), 1.0f);
    look.PlayAnimation(bare, "Shoot");
    look.SetAnimationPaused(bare, "Shoot", true);
    look.SetAnimationSpeedAll(bare, 2.0f);
    look.BreakObject(bare, unit);
    EXPECT_TRUE(graphics.received.empty());
    EXPECT_EQ(BreakableGraphicOf(bare), nullptr);
    EXPECT_TRUE(bare.components.empty());
}

} // namespace
