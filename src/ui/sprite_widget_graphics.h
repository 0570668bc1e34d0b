#pragma once
// The widgets' looks written into the renderer's own pictures: a "Sprite" component of a
// widget's object is the renderer's SpriteComponent, and a displayed text its TextGraphic.
// The Game installs one as the default of every UI process when it has a renderer; without
// it the widgets could not hide a look, so every look of a button would show at once.
#include "ui/widget_graphics.h"

class SpriteWidgetGraphics : public WidgetGraphics {
  public:
    // Components that are not the renderer's sprites are left alone.
    void SetSpriteVisible(Component* sprite, bool visible) override;
    void SetSpriteSize(Component* sprite, float x, float y) override;
    void SetSpriteOffset(Component* sprite, float x, float y) override;
    void LayOutText(TextGraphic* text, float x1, float y1, float x2, float y2) override;
};
