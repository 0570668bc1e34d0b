#pragma once
// A graphic component without a mesh whose clips a test makes: each clip is as long as asked,
// so the states that play, pause and wait on clips run without loaded art.
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "animation/graphics_animation.h"
#include "graphics/graphic_component.h"

class ClipGraphic : public GraphicComponent {
  public:
    explicit ClipGraphic(const std::string& type)
        : GraphicComponent(type, nullptr, nullptr, "", 0, 0.0f, 1.0f, 0, 0, "") {}
    // The clips are the test's own, not the component's to free.
    ~ClipGraphic() override { m_animation_map = nullptr; }
    ClipGraphic(const ClipGraphic&) = delete;
    ClipGraphic& operator=(const ClipGraphic&) = delete;

    void AddClip(const std::string& name, float seconds) {
        auto clip = std::make_unique<GraphicsAnimation>();
        clip->m_name = name;
        std::vector<GraphicsAnimationKey> keys(2);
        keys[1].tick =
            static_cast<u32>(std::lround(seconds * GraphicsAnimationKey::kTicksPerSecond));
        clip->m_tracks["Frame"] = std::make_unique<GraphicsAnimationTrack>(keys);
        clip->RecomputeLength();
        m_clips.m_animations[name] = std::move(clip);
        m_clips.m_hasAnimations = true;
        m_animation_map = &m_clips;
    }
    GraphicsAnimationMap& Clips() { return m_clips; }

  private:
    GraphicsAnimationMap m_clips;
};
