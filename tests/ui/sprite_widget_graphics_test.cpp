// The widgets' looks in the renderer's own sprites: one look of a button shown at a time, the
// looks sized and moved, a text's letters spread over its box, and components that are no
// sprites of the renderer left alone.
#include <gtest/gtest.h>

#include "graphics/sprite_component.h"
#include "graphics/text_graphic.h"
#include "ui/sprite_widget_graphics.h"
#include "ui_fixture.h"

namespace {

SpriteComponent Sprite() {
    return SpriteComponent(nullptr, static_cast<gfx::Texture*>(nullptr));
}

TEST(SpriteWidgetGraphics, WritesVisibilitySizeAndOffsetIntoTheRenderersSprites) {
    SpriteWidgetGraphics looks;
    SpriteComponent normal = Sprite();
    SpriteComponent over = Sprite();
    // A focused button: its highlighted look replaces the normal one, then goes again.
    looks.SetSpriteVisible(&normal, false);
    looks.SetSpriteVisible(&over, true);
    EXPECT_FALSE(normal.visible);
    EXPECT_TRUE(over.visible);
    looks.SetSpriteVisible(&normal, true);
    looks.SetSpriteVisible(&over, false);
    EXPECT_TRUE(normal.visible);
    EXPECT_FALSE(over.visible);

    looks.SetSpriteSize(&normal, 1.25f, 0.5f);
    looks.SetSpriteOffset(&normal, 30.0f, -4.0f);
    EXPECT_EQ(normal.scaling[0], 1.25f);
    EXPECT_EQ(normal.scaling[1], 0.5f);
    EXPECT_EQ(normal.offset[0], 30.0f);
    EXPECT_EQ(normal.offset[1], -4.0f);

    ui_fixture::FakeSprite other;
    looks.SetSpriteVisible(&other, false);
    looks.SetSpriteSize(&other, 2.0f, 2.0f);
    looks.SetSpriteOffset(&other, 1.0f, 1.0f);
    looks.LayOutText(nullptr, 0.0f, 0.0f, 1.0f, 1.0f);
}

TEST(SpriteWidgetGraphics, SpreadsATextsLettersOverItsBox) {
    SpriteWidgetGraphics looks;
    SpriteComponent a = Sprite();
    SpriteComponent b = Sprite();
    TextGraphic text;
    text.letters = {&a, &b};
    looks.LayOutText(&text, 100.0f, 20.0f, 180.0f, 40.0f);
    EXPECT_EQ(a.translation[0], 100.0f);
    EXPECT_EQ(b.translation[0], 140.0f);
    EXPECT_EQ(a.translation[1], 20.0f);
    EXPECT_EQ(b.translation[1], 20.0f);
}

} // namespace
