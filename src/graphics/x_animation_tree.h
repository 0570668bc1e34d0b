#pragma once
// The animation keys of an .X file as a tree for the animation library: a root named
// "$ROOT$" over the file's animation sets, each over its animations, each animation
// carrying the name of the frame it moves and its keys. Children are kept newest first, as
// they were met (so in reverse file order).
//
// Key conversion: rotation keys (w, x, y, z in the file) become the quaternion
// (x, y, z, −w), normalised; matrix keys are split into scale, rotation and position; an
// animation's separate scale, rotation and position key lists are merged by key index into
// one list of combined keys, and keys beyond the shortest list are dropped.
#include <string>
#include <vector>

#include "core/math_types.h"
#include "core/memory_allocator.h"
#include "core/quaternion.h"
#include "core/types.h"

namespace gfx {
class XFile;
}

struct AnimFrameKey {
    u32 m_time = 0;
    Float4x4 m_matrix{{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}};
    Float3 m_scale{1.0f, 1.0f, 1.0f};
    Float3 m_position;
    Quaternion m_rotation;
};
static_assert(sizeof(AnimFrameKey) == 108, "a key is stored as 108 bytes");

struct AnimFrame : Allocator<AnimFrame> {
    enum Kind : u32 { kAnimationSet = 0, kAnimation = 1, kFrameReference = 2, kAnimationKey = 3 };
    enum KeyType : u32 {
        kRotationKeys = 0,
        kScaleKeys = 1,
        kPositionKeys = 2,
        kNoKeys = 3,
        kMatrixKeys = 4,
        kCombinedKeys = 5
    };

    AnimFrame() = default;
    // Deletes the child and sibling chains.
    ~AnimFrame();
    AnimFrame(const AnimFrame&) = delete;
    AnimFrame& operator=(const AnimFrame&) = delete;

    std::string m_name;
    AnimFrame* m_first_child = nullptr;
    AnimFrame* m_next_sibling = nullptr;
    u32 m_kind = kAnimationSet;
    u32 m_key_type = kNoKeys;
    std::vector<AnimFrameKey> m_keys;
    std::string m_target;
};

// The tree of a read file; never null (a file without sets gives a bare root).
AnimFrame* BuildXAnimationTree(const gfx::XFile& file);
// The tree of a file in the package, found by its base name; null when it cannot be read.
AnimFrame* LoadXAnimationTree(const std::string& package, const std::string& name);
