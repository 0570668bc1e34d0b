#pragma once
// Named groups of flat square quads on the ground that fade in after they appear and fade
// out before they vanish. Each group keeps six vertices per quad in one array that the
// scene passes draw; once per frame the quads still changing rewrite their vertices.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "core/math_types.h"
#include "core/types.h"

struct FadingQuadVertex {
    Float3 position;
    // Packed as 0xAARRGGBB.
    u32 colour = 0;
    Float2 uv;
};
static_assert(sizeof(FadingQuadVertex) == 24);

struct FadingQuadDefinition {
    float fadeInDuration = 0.0f;
    float fadeOutDuration = 0.0f;
};

struct FadingQuad {
    static constexpr float kActiveThreshold = 0.00001f;

    Float3 centre;
    // Half the side.
    float halfSize = 0.0f;
    float fadeInLeft = 0.0f;
    float fadeOutLeft = 0.0f;
    float alpha = 0.0f;
    bool expired = false;
    bool fadingOut = false;
    bool rebuild = true;
    const FadingQuadDefinition* definition = nullptr;

    // Still changing: fading, waiting to be rebuilt or to go transparent.
    bool IsActive() const;
    // Writes the six vertices of this quad as far as they changed.
    void Update(FadingQuadVertex* vertices, float dt);
    // Starts the fade-out from now.
    void FadeOut();
};

struct FadingQuadGroup {
    std::vector<FadingQuadVertex> vertices;
    std::vector<std::unique_ptr<FadingQuad>> quads;
    // Set when vertices changed since the last upload.
    bool dirty = false;

    // Appends a quad (it starts its fade-in from its definition) and its six vertices.
    FadingQuad& Add(const Float3& centre, float halfSize, const FadingQuadDefinition* definition);
};

class FadingQuads {
  public:
    FadingQuadGroup& Group(const std::string& name) { return m_groups[name]; }
    const std::map<std::string, FadingQuadGroup>& Groups() const { return m_groups; }
    // Every active quad of every group, in name order.
    void Update(float dt);
    void Clear() { m_groups.clear(); }

  private:
    std::map<std::string, FadingQuadGroup> m_groups;
};

// (1, 1, 1, alpha) packed as 0xAARRGGBB.
u32 FadingQuadColour(float alpha);
