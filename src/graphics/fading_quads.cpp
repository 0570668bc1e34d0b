#include "graphics/fading_quads.h"

#include <algorithm>
#include <cmath>

u32 FadingQuadColour(float alpha) {
    const float clamped = std::clamp(alpha, 0.0f, 1.0f);
    const auto a = static_cast<u32>(std::lround(clamped * 255.0f));
    return (a << 24) | 0x00FFFFFFu;
}

bool FadingQuad::IsActive() const {
    return fadeInLeft >= kActiveThreshold || fadeOutLeft >= kActiveThreshold || rebuild || expired;
}

void FadingQuad::Update(FadingQuadVertex* vertices, float dt) {
    const auto writeColours = [&] {
        const u32 colour = FadingQuadColour(alpha);
        for (int i = 0; i < 6; ++i) {
            vertices[i].colour = colour;
        }
    };
    if (rebuild) {
        rebuild = false;
        const float x = centre.x;
        const float y = centre.y;
        const float z = centre.z;
        const float s = halfSize;
        const Float2 corners[6] = {{x - s, z + s}, {x + s, z + s}, {x + s, z - s},
                                   {x + s, z - s}, {x - s, z - s}, {x - s, z + s}};
        const Float2 uvs[6] = {{0, 0}, {1, 0}, {1, 1}, {1, 1}, {0, 1}, {0, 0}};
        for (int i = 0; i < 6; ++i) {
            vertices[i].position = {corners[i].x, y, corners[i].y};
            vertices[i].uv = uvs[i];
        }
        if (fadeInLeft < kActiveThreshold) {
            alpha = 1.0f;
            writeColours();
        }
    }
    if (expired) {
        alpha = 0.0f;
        writeColours();
        expired = false;
    }
    const float fadeIn = definition != nullptr ? definition->fadeInDuration : 0.0f;
    const float fadeOut = definition != nullptr ? definition->fadeOutDuration : 0.0f;
    if (fadeInLeft > 0.0f) {
        // Alpha from the time left after this step, so the last step of the fade reaches
        // full opacity whatever the frame time.
        fadeInLeft = std::max(0.0f, fadeInLeft - dt);
        alpha = fadeIn > 0.0f ? 1.0f - fadeInLeft / fadeIn : 1.0f;
        writeColours();
    }
    if (fadeOutLeft > 0.0f) {
        alpha = fadeOut > 0.0f ? fadeOutLeft / fadeOut : 0.0f;
        fadeOutLeft -= dt;
        if (fadeOutLeft <= 0.0f) {
            fadeOutLeft = 0.0f;
            fadingOut = false;
            expired = true;
        }
        writeColours();
    }
}

void FadingQuad::FadeOut() {
    fadingOut = true;
    fadeInLeft = 0.0f;
    fadeOutLeft = definition != nullptr ? definition->fadeOutDuration : 0.0f;
    if (fadeOutLeft <= 0.0f) {
        expired = true;
    }
}

FadingQuad& FadingQuadGroup::Add(const Float3& centre, float halfSize,
                                 const FadingQuadDefinition* definition) {
    auto quad = std::make_unique<FadingQuad>();
    quad->centre = centre;
    quad->halfSize = halfSize;
    quad->definition = definition;
    quad->fadeInLeft = definition != nullptr ? definition->fadeInDuration : 0.0f;
    quads.push_back(std::move(quad));
    vertices.resize(quads.size() * 6);
    dirty = true;
    return *quads.back();
}

void FadingQuads::Update(float dt) {
    for (auto& [name, group] : m_groups) {
        for (std::size_t i = 0; i < group.quads.size(); ++i) {
            FadingQuad& quad = *group.quads[i];
            if (quad.IsActive()) {
                quad.Update(&group.vertices[i * 6], dt);
                group.dirty = true;
            }
        }
    }
}
