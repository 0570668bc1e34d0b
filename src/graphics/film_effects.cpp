#include "graphics/film_effects.h"

#include <algorithm>
#include <iterator>

#include "graphics/color.h"
#include "graphics/graphics_process.h"
#include "graphics/render_settings.h"
#include "graphics/sprite_batch.h"
#include "graphics/sprite_component.h"
#include "platform/gfx/device.h"
#include "platform/system/crt_rand.h"

namespace {

constexpr float kTick = 0.041666668f;
constexpr float kTwoPi = 6.2831855f;

float g_dust_clock = 0.0f;
float g_burn_step_timer = 0.0f;
float g_saved_exposure = 4.0f;

// The screen in pixels; a renderer without a device draws nothing, so any size does.
void ScreenSize(const GraphicsProcess* graphics, int& width, int& height) {
    width = 1024;
    height = 768;
    if (graphics != nullptr && graphics->GetDevice() != nullptr) {
        width = std::max(1, graphics->GetDevice()->BackBufferWidth());
        height = std::max(1, graphics->GetDevice()->BackBufferHeight());
    }
}

SpriteComponent* HiddenSprite(GraphicsProcess* graphics, const char* image) {
    auto* sprite = graphics != nullptr
                       ? new SpriteComponent(graphics, image)
                       : new SpriteComponent(nullptr, static_cast<gfx::Texture*>(nullptr));
    sprite->visible = false;
    return sprite;
}

void Unpack(u32 argb, float rgba[4]) {
    rgba[0] = static_cast<float>((argb >> 16) & 0xFF) / 255.0f;
    rgba[1] = static_cast<float>((argb >> 8) & 0xFF) / 255.0f;
    rgba[2] = static_cast<float>(argb & 0xFF) / 255.0f;
    rgba[3] = static_cast<float>(argb >> 24) / 255.0f;
}

float Clamp01(float v) {
    return std::clamp(v, 0.0f, 1.0f);
}

} // namespace

FilmDust::FilmDust(GraphicsProcess* graphicsProcess, SpriteBatch* batch)
    : graphics(graphicsProcess), spriteRenderer(batch) {
    for (u32 i = 0; i < kSpriteCount; ++i) {
        sprites.push_back(HiddenSprite(graphics, kImage));
    }
}

FilmDust::~FilmDust() {
    for (SpriteComponent* sprite : sprites) {
        delete sprite;
    }
}

void FilmDust::ResetClock() {
    g_dust_clock = 0.0f;
}

void FilmDust::Update(float dt) {
    g_dust_clock += dt;
    while (g_dust_clock >= kTick) {
        for (SpriteComponent* sprite : sprites) {
            if (crt::Rand() % 20 == 0) {
                Reroll(*sprite);
            } else {
                sprite->visible = false;
            }
        }
        g_dust_clock -= kTick;
        ++m_ticks;
    }
}

void FilmDust::Reroll(SpriteComponent& sprite) const {
    int width = 0;
    int height = 0;
    ScreenSize(graphics, width, height);
    const i32 left = crt::Rand() % 5 * kCell;
    const i32 top = (crt::Rand() & 1) * kCell;
    sprite.sourceRect = {left, top, left + kCell, top + kCell};
    sprite.translation[0] = static_cast<float>(crt::Rand() % width);
    sprite.translation[1] = static_cast<float>(crt::Rand() % height);
    sprite.rotation = static_cast<float>(crt::Rand() % 360) * (1.0f / 360.0f) * kTwoPi;
    sprite.scaling[0] = static_cast<float>(crt::Rand() % 25) * 0.1f + 0.5f;
    sprite.scaling[1] = static_cast<float>(crt::Rand() % 25) * 0.1f + 0.5f;
    const float alpha = static_cast<float>(crt::Rand() % 20) * 0.05f * 0.5f + 0.2f;
    const float grey = static_cast<float>(crt::Rand() % 60) * 0.01f;
    const float rgba[4] = {grey, grey, grey, alpha};
    sprite.color = Color::ToARGB(rgba);
    sprite.visible = true;
}

void FilmDust::Render() {
    if (spriteRenderer != nullptr) {
        DrawSpritesInOrder(*spriteRenderer, sprites);
    }
}

FilmBurn::FilmBurn(GraphicsProcess* graphicsProcess, SpriteBatch* batch)
    : graphics(graphicsProcess), spriteRenderer(batch) {
    for (u32 i = 0; i < kSpriteCount; ++i) {
        sprites.push_back(HiddenSprite(graphics, kImage));
    }
}

FilmBurn::~FilmBurn() {
    for (SpriteComponent* sprite : sprites) {
        delete sprite;
    }
}

float FilmBurn::StepTimer() {
    return g_burn_step_timer;
}

float FilmBurn::SavedExposure() {
    return g_saved_exposure;
}

void FilmBurn::ResetShared() {
    g_burn_step_timer = 0.0f;
    g_saved_exposure = 4.0f;
}

void FilmBurn::Start() {
    time = 0.0f;
    active = true;
    g_saved_exposure = g_render_settings.exposure;
}

void FilmBurn::PlaceSpot(SpriteComponent& spot, const SpriteComponent* follows) const {
    int width = 0;
    int height = 0;
    ScreenSize(graphics, width, height);
    const int r1 = crt::Rand() % 15;
    const int r2 = crt::Rand() % std::max(1, width - 128);
    const int r3 = crt::Rand() % std::max(1, height - 128);
    spot.sourceRect = {0, 0, 128, 128};
    float grey = 0.0f;
    if (follows == nullptr) {
        spot.translation[0] = static_cast<float>(r2);
        spot.translation[1] = static_cast<float>(r3);
        spot.scaling[0] = spot.scaling[1] = static_cast<float>(r1) * 0.1f;
    } else {
        spot.translation[0] = follows->translation[0];
        spot.translation[1] = follows->translation[1];
        spot.scaling[0] = follows->scaling[0] * 0.5f;
        spot.scaling[1] = follows->scaling[1] * 0.5f;
        grey = 0.5f;
    }
    spot.scalingCenter[0] = spot.scalingCenter[1] = 64.0f;
    const float rgba[4] = {grey, grey, grey, 0.0f};
    spot.color = Color::ToARGB(rgba);
    spot.visible = true;
}

void FilmBurn::Update(float dt) {
    if (!active) {
        g_burn_step_timer = 0.0f;
        return;
    }
    time += dt;
    if (time >= kDuration) {
        active = false;
        time = 0.0f;
        for (SpriteComponent* sprite : sprites) {
            sprite->visible = false;
        }
        g_render_settings.exposure = g_saved_exposure;
        return;
    }
    if (g_burn_step_timer < kTick) {
        g_burn_step_timer += dt;
        return;
    }
    g_render_settings.exposure += 2.0f * g_burn_step_timer;
    g_burn_step_timer *= 1.5f;
    const float s = g_burn_step_timer;
    // Position 0 is the last sprite of the list.
    std::vector<SpriteComponent*> byPosition(sprites.rbegin(), sprites.rend());
    for (std::size_t position = 0; position < byPosition.size(); ++position) {
        SpriteComponent& spot = *byPosition[position];
        float rgba[4];
        Unpack(spot.color, rgba);
        if (position % 2 == 0) {
            if (!spot.visible) {
                continue;
            }
            rgba[3] = Clamp01(rgba[3] + 1.5f * s);
            if (rgba[3] >= 0.99f) {
                for (int c = 0; c < 3; ++c) {
                    rgba[c] = Clamp01(rgba[c] + 0.5f * s);
                }
                spot.scaling[0] += 2.0f * s;
                spot.scaling[1] += 2.0f * s;
            }
            spot.color = Color::ToARGB(rgba);
            continue;
        }
        if (!spot.visible) {
            PlaceSpot(spot, nullptr);
            break;
        }
        rgba[3] = Clamp01(rgba[3] + 0.9f * s);
        float growth = 0.5f * s;
        if (rgba[3] >= 0.99f) {
            SpriteComponent& bright = *byPosition[position - 1];
            if (!bright.visible) {
                PlaceSpot(bright, &spot);
            }
            growth = 2.0f * s;
        }
        spot.color = Color::ToARGB(rgba);
        spot.scaling[0] += growth;
        spot.scaling[1] += growth;
    }
    g_burn_step_timer = g_burn_step_timer * 0.6666667f - kTick;
}

void FilmBurn::Render() {
    if (spriteRenderer != nullptr) {
        DrawSpritesInOrder(*spriteRenderer, sprites);
    }
}
