#include "graphics/vertical_lines.h"

#include <algorithm>

#include "graphics/color.h"
#include "graphics/sprite_batch.h"
#include "graphics/sprite_component.h"
#include "platform/system/crt_rand.h"

namespace {

constexpr float kTick = 1.0f / 24.0f;

} // namespace

VerticalLines::VerticalLines(GraphicsProcess* graphics, SpriteBatch* batch, i32 screenHeight)
    : m_batch(batch), m_height(screenHeight) {
    for (SpriteComponent*& sprite : m_sprites) {
        sprite = graphics != nullptr
                     ? new SpriteComponent(graphics, kImage)
                     : new SpriteComponent(nullptr, static_cast<gfx::Texture*>(nullptr));
        sprite->visible = false;
        // Scaled about its middle, so the line's position is its centre and a line as high as
        // the screen placed at half the height covers it from top to bottom.
        sprite->scalingCenter[0] = sprite->rotationCenter[0];
        sprite->scalingCenter[1] = sprite->rotationCenter[1];
    }
    Resize(screenHeight);
}

VerticalLines::~VerticalLines() {
    for (SpriteComponent* sprite : m_sprites) {
        delete sprite;
    }
}

void VerticalLines::Resize(i32 screenHeight) {
    m_height = screenHeight;
    for (SpriteComponent* sprite : m_sprites) {
        sprite->scaling[0] = 1.5f;
        sprite->scaling[1] = static_cast<float>(screenHeight);
    }
}

void VerticalLines::Update(float dt, i32 screenWidth) {
    m_accumulator += dt;
    // One tick at a whole tick's time; further ones only while more than a tick is left.
    bool first = true;
    while (first ? m_accumulator >= kTick : m_accumulator > kTick) {
        first = false;
        Tick(std::max(screenWidth, 1));
        m_accumulator -= kTick;
    }
    for (u32 i = 0; i < kLineCount; ++i) {
        const Line& line = m_lines[i];
        SpriteComponent& sprite = *m_sprites[i];
        const float rgba[4] = {std::clamp(line.grey, 0.0f, 1.0f), std::clamp(line.grey, 0.0f, 1.0f),
                               std::clamp(line.grey, 0.0f, 1.0f),
                               std::clamp(line.opacity, 0.0f, 1.0f)};
        sprite.color = Color::ToARGB(rgba);
        sprite.translation[0] = line.x - sprite.rotationCenter[0];
        sprite.translation[1] = static_cast<float>(m_height) * 0.5f - sprite.rotationCenter[1];
    }
}

void VerticalLines::Tick(i32 screenWidth) {
    ++m_ticks;
    for (u32 i = 0; i < kLineCount; ++i) {
        Line& line = m_lines[i];
        SpriteComponent& sprite = *m_sprites[i];
        if (!sprite.visible) {
            if (crt::Rand() % 10 == 0) {
                sprite.visible = true;
                line.opacity = static_cast<float>(crt::Rand() % 20) * 0.05f * 0.35f;
            } else {
                line.opacity = 0.0f;
            }
            if (crt::Rand() % 2 == 1) {
                line.opacity = -line.opacity;
            }
            line.x = static_cast<float>(crt::Rand() % screenWidth);
            line.grey = static_cast<float>(crt::Rand() % 100) * 0.01f;
            line.direction = static_cast<u8>(crt::Rand() % 2);
            line.step = static_cast<float>(crt::Rand() % 5 + 1);
        } else if (crt::Rand() % 4 == 0) {
            sprite.visible = false;
        } else {
            line.x += line.direction == 0 ? line.step : -line.step;
        }
    }
}

void VerticalLines::Draw() {
    if (m_batch != nullptr) {
        DrawSpritesInOrder(*m_batch, m_sprites);
    }
}
