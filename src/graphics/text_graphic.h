#pragma once
// One displayed text: a row of letter sprites spread over a rectangle, and the request by
// which other subsystems ask the renderer for one.

#include <list>

class GraphicsProcess;
class SpriteComponent;

class TextGraphic {
  public:
    // Letters in the order of the text.
    std::list<SpriteComponent*> letters;
    GraphicsProcess* graphics = nullptr;

    // Spreads the letters over the rectangle in equal cells, each letter scaled to fill its
    // cell; also for users that move a text.
    void LayOut(const float* topLeft, const float* bottomRight);
};

// Sent by pointer with MSG_GRAPHICS_DISPLAY_GRAPHICS_TEXT and kept by the sender, who later
// undisplays textGraphic with MSG_GRAPHICS_UNDISPLAY_GRAPHICS_TEXT.
struct TextGraphicStruct {
    const char* text = nullptr;
    // Screen pixels (x, y).
    float topLeft[2] = {0.0f, 0.0f};
    float bottomRight[2] = {0.0f, 0.0f};
    // Written by the renderer.
    TextGraphic* textGraphic = nullptr;
};
