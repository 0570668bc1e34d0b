#pragma once
// A textured quad on the screen, placed in pixels. Object types with a "Sprite" component,
// the letters of on-screen text and the film overlays are made of these. A sprite with an
// owner follows the owner's x and y on the screen and takes its z as the drawing depth.

#include "core/component.h"
#include "core/memory_allocator.h"
#include "core/types.h"

namespace gfx {
class Texture;
}

class GraphicsProcess;

// A source rectangle in texels: left and top inside, right and bottom just outside.
struct SpriteRect {
    i32 left = 0;
    i32 top = 0;
    i32 right = 0;
    i32 bottom = 0;
    bool operator==(const SpriteRect&) const = default;
};

// The smallest power of two, at least 2, that is not below size.
u32 SpritePowerOfTwo(u32 size);

// The 2D transformation the sprites are placed with, as a row-major 4x4 matrix for row
// vectors: scaling about scalingCenter along axes turned by scalingRotation, then rotation
// about rotationCenter, then translation.
void SpriteTransformation2D(const float scalingCenter[2], float scalingRotation,
                            const float scaling[2], const float rotationCenter[2], float rotation,
                            const float translation[2], float out[16]);

class SpriteComponent : public Component, public Allocator<SpriteComponent> {
  public:
    // The texture comes from the renderer's cache; a missing one leaves a 0 x 0 sprite.
    SpriteComponent(GraphicsProcess* graphicsProcess, const char* textureFile);
    // A texture the caller already has (null for none).
    SpriteComponent(GraphicsProcess* graphicsProcess, gfx::Texture* spriteTexture);
    ~SpriteComponent() override = default;

    // Follows the owner, then computes transform; dt is not used.
    void Update(float dt) override;

    float rotationCenter[2] = {0.0f, 0.0f};
    float translation[2] = {0.0f, 0.0f};
    float scaling[2] = {1.0f, 1.0f};
    float scalingCenter[2] = {0.0f, 0.0f};
    // Added to the owner's position.
    float offset[2] = {0.0f, 0.0f};
    float scalingRotation = 0.0f;
    // Radians.
    float rotation = 0.0f;
    float transform[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    // The whole texture unless a user picks a cell of it.
    SpriteRect sourceRect;
    // Larger depths are drawn first, so smaller ones come on top.
    float depth = 0.0f;
    GraphicsProcess* graphics = nullptr;
    gfx::Texture* texture = nullptr;
    bool visible = true;
    // A8R8G8B8, multiplied into the texture.
    u32 color = 0xFFFFFFFFu;
    u32 width = 0;
    u32 height = 0;
    u32 potWidth = 2;
    u32 potHeight = 2;

  private:
    void TakeTexture(gfx::Texture* spriteTexture);
};
