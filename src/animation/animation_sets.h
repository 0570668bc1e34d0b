#pragma once
// The animation sets of a mesh as the renderer's mesh reader hands them over: each set has
// a name and one track per animated frame, the frame's name with its key frames in tick
// order. LoadAnimationSets asks the registered source for them.
#include <string>
#include <vector>

#include "core/math_types.h"
#include "core/quaternion.h"
#include "core/types.h"

// One key frame of one frame, 108 bytes as a mesh file stores it.
struct GraphicsAnimationKey {
    static constexpr float kTicksPerSecond = 3600.0f;

    u32 tick = 0;
    // The key's whole transform as read; the sampler uses the three parts below.
    Float4x4 matrix;
    Float3 scale{1.0f, 1.0f, 1.0f};
    Float3 translation;
    Quaternion rotation;
};
static_assert(sizeof(GraphicsAnimationKey) == 108, "a key is stored as 108 bytes");

struct AnimationSetTrack {
    std::string frame;
    std::vector<GraphicsAnimationKey> keys;
};

struct AnimationSet {
    std::string name;
    std::vector<AnimationSetTrack> tracks;
};

// Reads a mesh's animation sets, in file order; none for a mesh without any or one that
// cannot be read.
class AnimationSetSource {
  public:
    virtual ~AnimationSetSource() = default;
    virtual std::vector<AnimationSet> ReadAnimationSets(const std::string& meshName) = 0;
};

// The source LoadAnimationSets reads from (not owned; null: no mesh has sets). The
// renderer registers its mesh reader at start-up.
void SetAnimationSetSource(AnimationSetSource* source);
AnimationSetSource* GetAnimationSetSource();
