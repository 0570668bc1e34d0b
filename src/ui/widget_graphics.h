#pragma once
// What a widget writes into the renderer's pictures: the visibility, size multipliers and
// offset of each of its owner's "Sprite" components, and the corners an on-screen text is
// spread between. The widgets see sprites only as components of type "Sprite"; the renderer
// installs the implementation that knows its sprite class, and tests install one that
// records what was written.

class Component;
class TextGraphic;

class WidgetGraphics {
  public:
    virtual ~WidgetGraphics() = default;

    virtual void SetSpriteVisible(Component* sprite, bool visible) = 0;
    virtual void SetSpriteSize(Component* sprite, float x, float y) = 0;
    virtual void SetSpriteOffset(Component* sprite, float x, float y) = 0;
    // Spreads the letters of a displayed text evenly between the two corners (pixels).
    virtual void LayOutText(TextGraphic* text, float x1, float y1, float x2, float y2) = 0;

    // What a new UI process starts with: the one installed last, or one that writes nothing.
    static WidgetGraphics* Default();
    // Null returns to the one that writes nothing. The caller keeps ownership.
    static void SetDefault(WidgetGraphics* graphics);
};
