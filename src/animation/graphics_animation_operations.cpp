#include "animation/graphics_animation_operations.h"

#include "animation/graphics_animation.h"
#include "graphics/animation_map_operations.h"

namespace {

class Operations final : public AnimationMapOperations {
  public:
    GraphicsAnimationMap* Load(const std::string& meshName) override {
        return LoadAnimationSets(meshName).release();
    }
    bool HasAnimations(const GraphicsAnimationMap& map) const override {
        return map.m_hasAnimations;
    }
    GraphicsAnimationMap* Copy(const GraphicsAnimationMap& map) override {
        return CopyAnimations(map).release();
    }
    void Update(GraphicsAnimationMap& map, float dt) override { UpdateAnimations(map, dt); }
    bool IsAnyPlaying(const GraphicsAnimationMap& map) const override {
        return IsAnyAnimationPlaying(map);
    }
    void ApplyPoses(GraphicsAnimationMap& map) override { ApplyAnimationPoses(map); }
    bool Blend(const GraphicsAnimationMap& map, const std::string& frameName,
               Float4x4& matrix) const override {
        return BlendAnimations(map, frameName, matrix);
    }
    void Release(GraphicsAnimationMap* map) override {
        if (map != nullptr) {
            ReleaseAnimations(*map);
            delete map;
        }
    }
    void Play(GraphicsAnimationMap& map, const std::string& name, bool loop) override {
        PlayAnimation(map, name, loop);
    }
    void PlayAt(GraphicsAnimationMap& map, u32 n) override { PlayAnimationAt(map, n); }
    void SetTimeAt(GraphicsAnimationMap& map, u32 n, float t) override {
        SetAnimationTimeAt(map, n, t);
    }
    void SetSpeedAll(GraphicsAnimationMap& map, float speed) override {
        SetAnimationSpeedAll(map, speed);
    }
    void SpeedUpFirst(GraphicsAnimationMap& map) override { SpeedUpFirstAnimation(map); }
    void PauseSecond(GraphicsAnimationMap& map) override { PauseSecondAnimation(map); }
};

} // namespace

AnimationMapOperations& GraphicsAnimationOperations() {
    static Operations operations;
    return operations;
}

void RegisterGraphicsAnimationOperations() {
    SetAnimationMapOperations(&GraphicsAnimationOperations());
}
