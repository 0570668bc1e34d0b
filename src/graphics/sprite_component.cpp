#include "graphics/sprite_component.h"

#include <cmath>

#include "core/game_object.h"
#include "graphics/graphics_process.h"
#include "platform/gfx/texture.h"

namespace {

using Matrix2D = float[16];

void Identity(Matrix2D m) {
    for (int i = 0; i < 16; ++i) {
        m[i] = (i % 5 == 0) ? 1.0f : 0.0f;
    }
}

void Translation(Matrix2D m, float x, float y) {
    Identity(m);
    m[12] = x;
    m[13] = y;
}

void RotationZ(Matrix2D m, float angle) {
    Identity(m);
    const float c = std::cos(angle);
    const float s = std::sin(angle);
    m[0] = c;
    m[1] = s;
    m[4] = -s;
    m[5] = c;
}

void Scaling(Matrix2D m, float x, float y) {
    Identity(m);
    m[0] = x;
    m[5] = y;
}

// out = out * right
void Append(Matrix2D out, const Matrix2D right) {
    Matrix2D result;
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 4; ++c) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k) {
                sum += out[r * 4 + k] * right[k * 4 + c];
            }
            result[r * 4 + c] = sum;
        }
    }
    for (int i = 0; i < 16; ++i) {
        out[i] = result[i];
    }
}

} // namespace

u32 SpritePowerOfTwo(u32 size) {
    u32 pot = 2;
    while (pot < size && pot < 0x80000000u) {
        pot <<= 1;
    }
    return pot;
}

void SpriteTransformation2D(const float scalingCenter[2], float scalingRotation,
                            const float scaling[2], const float rotationCenter[2], float rotation,
                            const float translation[2], float out[16]) {
    Matrix2D step;
    Translation(out, -scalingCenter[0], -scalingCenter[1]);
    RotationZ(step, -scalingRotation);
    Append(out, step);
    Scaling(step, scaling[0], scaling[1]);
    Append(out, step);
    RotationZ(step, scalingRotation);
    Append(out, step);
    Translation(step, scalingCenter[0] - rotationCenter[0], scalingCenter[1] - rotationCenter[1]);
    Append(out, step);
    RotationZ(step, rotation);
    Append(out, step);
    Translation(step, rotationCenter[0] + translation[0], rotationCenter[1] + translation[1]);
    Append(out, step);
}

SpriteComponent::SpriteComponent(GraphicsProcess* graphicsProcess, const char* textureFile)
    : graphics(graphicsProcess) {
    process = graphicsProcess;
    TakeTexture(graphicsProcess != nullptr && textureFile != nullptr
                    ? graphicsProcess->GetTexture(textureFile)
                    : nullptr);
}

SpriteComponent::SpriteComponent(GraphicsProcess* graphicsProcess, gfx::Texture* spriteTexture)
    : graphics(graphicsProcess) {
    process = graphicsProcess;
    TakeTexture(spriteTexture);
}

void SpriteComponent::TakeTexture(gfx::Texture* spriteTexture) {
    texture = spriteTexture;
    if (texture != nullptr) {
        width = static_cast<u32>(texture->Width());
        height = static_cast<u32>(texture->Height());
    }
    potWidth = SpritePowerOfTwo(width);
    potHeight = SpritePowerOfTwo(height);
    rotationCenter[0] = static_cast<float>(width) * 0.5f;
    rotationCenter[1] = static_cast<float>(height) * 0.5f;
    sourceRect = {0, 0, static_cast<i32>(width), static_cast<i32>(height)};
    Update(0.0f);
}

void SpriteComponent::Update(float) {
    if (owner != nullptr) {
        translation[0] = owner->position.x + offset[0];
        translation[1] = owner->position.y + offset[1];
    }
    SpriteTransformation2D(scalingCenter, scalingRotation, scaling, rotationCenter, rotation,
                           translation, transform);
    if (owner != nullptr) {
        depth = owner->position.z;
    }
}
