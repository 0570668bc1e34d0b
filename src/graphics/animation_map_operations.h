#pragma once
// What the renderer does with the animation maps of its meshes, without knowing their
// insides: the animation library implements these and registers them at start-up. Maps
// that Load and Copy hand out belong to the caller, who gives them back through Release.
#include <string>

#include "core/math_types.h"
#include "core/types.h"

class GraphicsAnimationMap;

class AnimationMapOperations {
  public:
    virtual ~AnimationMapOperations() = default;

    // The mesh's animation sets as a new map; never null (a mesh without sets gives an
    // empty map, see HasAnimations).
    virtual GraphicsAnimationMap* Load(const std::string& meshName) = 0;
    virtual bool HasAnimations(const GraphicsAnimationMap& map) const = 0;
    // An independent copy for one graphic component.
    virtual GraphicsAnimationMap* Copy(const GraphicsAnimationMap& map) = 0;
    virtual void Update(GraphicsAnimationMap& map, float dt) = 0;
    virtual bool IsAnyPlaying(const GraphicsAnimationMap& map) const = 0;
    // Samples the playing sets' frames at their times.
    virtual void ApplyPoses(GraphicsAnimationMap& map) = 0;
    // The frame's blended local matrix; false (matrix the identity) when no playing set
    // animates the frame.
    virtual bool Blend(const GraphicsAnimationMap& map, const std::string& frameName,
                       Float4x4& matrix) const = 0;
    // Deletes the map with its sets; null is ignored.
    virtual void Release(GraphicsAnimationMap* map) = 0;

    // Starting sets, as graphic components do for their object types.
    virtual void Play(GraphicsAnimationMap& map, const std::string& name, bool loop) = 0;
    virtual void PlayAt(GraphicsAnimationMap& map, u32 n) = 0;
    virtual void SetTimeAt(GraphicsAnimationMap& map, u32 n, float t) = 0;
    virtual void SetSpeedAll(GraphicsAnimationMap& map, float speed) = 0;
    virtual void SpeedUpFirst(GraphicsAnimationMap& map) = 0;
    virtual void PauseSecond(GraphicsAnimationMap& map) = 0;
};

// Not owned; null until registered, and the renderer then has no animation maps.
void SetAnimationMapOperations(AnimationMapOperations* operations);
AnimationMapOperations* GetAnimationMapOperations();
