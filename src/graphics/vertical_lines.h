#pragma once
// Scratches on the film: up to twenty thin vertical lines over the whole picture that
// appear, drift sideways, flicker and vanish at random, re-rolled 24 times a second.

#include <array>

#include "core/memory_allocator.h"
#include "core/types.h"

class GraphicsProcess;
class SpriteBatch;
class SpriteComponent;

class VerticalLines : public Allocator<VerticalLines> {
  public:
    static constexpr u32 kLineCount = 20;
    static constexpr const char* kImage = "assets/art/whitesquare.bmp";

    struct Line {
        float x = 0.0f;
        float grey = 0.0f;
        // Negative: the line shows nothing until it is hidden and rolled again.
        float opacity = 0.0f;
        // 0 drifts right, 1 left.
        u8 direction = 0;
        float step = 0.0f;
    };

    // Without a renderer the sprites have no texture (tests).
    VerticalLines(GraphicsProcess* graphics, SpriteBatch* batch, i32 screenHeight);
    ~VerticalLines();
    VerticalLines(const VerticalLines&) = delete;
    VerticalLines& operator=(const VerticalLines&) = delete;

    void Update(float dt, i32 screenWidth);
    // The lines reach over a screen this high.
    void Resize(i32 screenHeight);
    void Draw();

    const Line& LineAt(u32 i) const { return m_lines[i]; }
    const SpriteComponent& SpriteAt(u32 i) const { return *m_sprites[i]; }
    u32 Ticks() const { return m_ticks; }

  private:
    void Tick(i32 screenWidth);

    std::array<Line, kLineCount> m_lines{};
    std::array<SpriteComponent*, kLineCount> m_sprites{};
    SpriteBatch* m_batch;
    i32 m_height;
    float m_accumulator = 0.0f;
    u32 m_ticks = 0;
};
