// The renderer's screen sprites and texts: the "Sprite" components, the letters of displayed
// texts, their drawing step and the debug text; and the film overlays drawn as sprites.
#include <algorithm>
#include <string>

#include "core/stream_map.h"
#include "graphics/film_effects.h"
#include "graphics/graphics_process.h"
#include "graphics/key_state.h"
#include "graphics/render_settings.h"
#include "graphics/sprite_batch.h"
#include "graphics/sprite_component.h"
#include "graphics/text_graphic_manager.h"
#include "graphics/vertical_lines.h"
#include "platform/gfx/device.h"
#include "platform/input/keys.h"

namespace {

constexpr float kDebugTextSpeed = 50.0f;
constexpr const char* kDebugText = "AABC";

using key_state::Down;
using key_state::Pressed;

} // namespace

SpriteComponent* GraphicsProcess::CreateSpriteComponent(StreamMap* stream) {
    std::string textureName;
    stream->ReadString(textureName);
    auto* sprite = new SpriteComponent(this, textureName.c_str());
    AddSprite(sprite);
    return sprite;
}

void GraphicsProcess::AddSprite(SpriteComponent* sprite) {
    sprite->process = this;
    m_sprites.push_back(sprite);
}

bool GraphicsProcess::RemoveSprite(Component* component) {
    const auto found = std::find(m_sprites.begin(), m_sprites.end(), component);
    if (found == m_sprites.end()) {
        return false;
    }
    delete *found;
    m_sprites.erase(found);
    return true;
}

TextGraphicManager& GraphicsProcess::TextGraphics() {
    if (m_text_graphics == nullptr) {
        m_text_graphics = std::make_unique<TextGraphicManager>(this);
    }
    return *m_text_graphics;
}

void GraphicsProcess::DrawSprites() {
    if (m_sprite_batch == nullptr) {
        m_sprite_batch = std::make_unique<SpriteBatch>(m_device.get());
    }
    DrawSpriteList(*m_sprite_batch, m_sprites);
}

void GraphicsProcess::UpdateDebugText(float dt) {
    const InputState& input = m_graphics_input;
    if (!Down(input, input::key::T)) {
        return;
    }
    float(&corners)[2][2] = m_debug_text_corners;
    if (!m_debug_text_placed) {
        m_debug_text_placed = true;
        corners[0][0] = 20.0f;
        corners[0][1] = 40.0f;
        corners[1][0] = 50.0f;
        corners[1][1] = 70.0f;
    }
    if (Pressed(input, input::key::Backspace)) {
        TextGraphics().Undisplay(m_debug_text);
        m_debug_text = nullptr;
    } else if (Pressed(input, input::key::Enter)) {
        m_debug_text = TextGraphics().Display(kDebugText, corners[0], corners[1]);
    } else {
        const float step = kDebugTextSpeed * dt;
        float dx = 0.0f;
        float dy = 0.0f;
        bool moved = false;
        if (Down(input, input::key::Up)) {
            dy -= step;
            moved = true;
        }
        if (Down(input, input::key::Down)) {
            dy += step;
            moved = true;
        }
        if (Down(input, input::key::Right)) {
            dx += step;
            moved = true;
        }
        if (Down(input, input::key::Left)) {
            dx -= step;
            moved = true;
        }
        if (!moved) {
            return;
        }
        if (!Down(input, input::key::LeftShift)) {
            corners[0][0] += dx;
            corners[0][1] += dy;
        }
        corners[1][0] += dx;
        corners[1][1] += dy;
        const auto& texts = TextGraphics().Texts();
        if (std::find(texts.begin(), texts.end(), m_debug_text) != texts.end()) {
            m_debug_text->LayOut(corners[0], corners[1]);
        }
    }
}

void GraphicsProcess::UpdateFilmEffects(float realDt) {
    if (m_graphics_input.m_keys[input::key::B] == INPUT_PRESSED && m_film_burn != nullptr) {
        m_film_burn->Start();
    }
    if (m_film_dust != nullptr && g_render_settings.editorOffDust != 0) {
        m_film_dust->Update(realDt);
    }
    if (m_vertical_lines != nullptr && g_render_settings.editorOff != 0) {
        m_vertical_lines->Update(realDt, m_device->BackBufferWidth());
    }
    if (m_film_burn != nullptr) {
        m_film_burn->Update(realDt);
    }
}

void GraphicsProcess::RenderScratchLines() {
    if (m_vertical_lines != nullptr && g_render_settings.editorOff != 0) {
        m_vertical_lines->Draw();
    }
}

void GraphicsProcess::RenderFilmEffects() {
    if (m_film_dust != nullptr && g_render_settings.editorOffDust != 0) {
        m_film_dust->Render();
    }
    if (m_film_burn != nullptr) {
        m_film_burn->Render();
    }
}
