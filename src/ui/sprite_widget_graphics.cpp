#include "ui/sprite_widget_graphics.h"

#include "graphics/sprite_component.h"
#include "graphics/text_graphic.h"

namespace {

SpriteComponent* AsSprite(Component* component) {
    return dynamic_cast<SpriteComponent*>(component);
}

} // namespace

void SpriteWidgetGraphics::SetSpriteVisible(Component* sprite, bool visible) {
    if (SpriteComponent* s = AsSprite(sprite)) {
        s->visible = visible;
    }
}

void SpriteWidgetGraphics::SetSpriteSize(Component* sprite, float x, float y) {
    if (SpriteComponent* s = AsSprite(sprite)) {
        s->scaling[0] = x;
        s->scaling[1] = y;
    }
}

void SpriteWidgetGraphics::SetSpriteOffset(Component* sprite, float x, float y) {
    if (SpriteComponent* s = AsSprite(sprite)) {
        s->offset[0] = x;
        s->offset[1] = y;
    }
}

void SpriteWidgetGraphics::LayOutText(TextGraphic* text, float x1, float y1, float x2, float y2) {
    if (text != nullptr) {
        const float topLeft[2] = {x1, y1};
        const float bottomRight[2] = {x2, y2};
        text->LayOut(topLeft, bottomRight);
    }
}
