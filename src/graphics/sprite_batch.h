#pragma once
// Draws screen sprites: between Begin and End, each Draw puts a source rectangle of a texture
// through the transform last set, in screen pixels (row 0 at the top), modulated by a colour.
// Begin turns alpha blending on and depth testing off; End gives back the states Begin found.
// Draws go out in call order, so a later sprite covers an earlier one.

#include <vector>

#include "core/types.h"
#include "graphics/sprite_component.h"

namespace gfx {
class Device;
class Texture;
} // namespace gfx

class SpriteBatch {
  public:
    enum Flags : u32 { kAlphaBlend = 1 };

    // Without a device every call is accepted and nothing is drawn.
    explicit SpriteBatch(gfx::Device* device) : m_device(device) {}
    virtual ~SpriteBatch() = default;
    SpriteBatch(const SpriteBatch&) = delete;
    SpriteBatch& operator=(const SpriteBatch&) = delete;

    virtual void Begin(u32 flags);
    virtual void SetTransform(const float matrix[16]);
    // A null texture draws the rectangle in the plain colour.
    virtual void Draw(gfx::Texture* texture, const SpriteRect& source, u32 argb);
    virtual void End();

    bool Begun() const { return m_begun; }

  private:
    struct SavedState {
        u32 state;
        u32 value;
    };

    gfx::Device* m_device;
    bool m_begun = false;
    float m_transform[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    std::vector<SavedState> m_saved;
};

// The sprites' user pass: every sprite is updated, the list is sorted larger depth first
// (stable, so equal depths keep their order) and every visible sprite is drawn in one batch.
void DrawSpriteList(SpriteBatch& batch, std::vector<SpriteComponent*>& sprites);
// One batch over the given sprites in their order, each updated first; for the overlays
// whose sprites are drawn in a fixed order.
template <class Range> void DrawSpritesInOrder(SpriteBatch& batch, const Range& sprites) {
    batch.Begin(SpriteBatch::kAlphaBlend);
    for (SpriteComponent* sprite : sprites) {
        sprite->Update(0.0f);
        if (sprite->visible) {
            batch.SetTransform(sprite->transform);
            batch.Draw(sprite->texture, sprite->sourceRect, sprite->color);
        }
    }
    batch.End();
}
