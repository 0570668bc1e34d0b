#include "graphics/animation_map_operations.h"

#include <atomic>

namespace {

// Registered once at start-up, read by the renderer and its loader thread.
std::atomic<AnimationMapOperations*> g_operations{nullptr};

} // namespace

void SetAnimationMapOperations(AnimationMapOperations* operations) {
    g_operations = operations;
}

AnimationMapOperations* GetAnimationMapOperations() {
    return g_operations;
}
