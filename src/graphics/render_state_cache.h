#pragma once
// Every render and sampler state of the renderer is set through this cache. It remembers the
// last value written for each state and calls the device only when the value changes; the
// first write of a state after start-up always reaches the device. It is never emptied, also
// not when the back buffer is rebuilt (the context and its states survive that).
//
// Only the render thread draws, so the tables have no lock.
#include "core/types.h"
#include "platform/gfx/render_states.h"

class RenderStateCache {
  public:
    // Stencil enable is kept in a table of its own (the shadow-map pass is its one user).
    static void Set(gfx::StateDevice& device, u32 state, u32 value);
    static void SetSampler(gfx::StateDevice& device, u32 sampler, u32 state, u32 value);
    // The cached value once the state has been set through the cache, else the device's.
    static u32 Get(gfx::StateDevice& device, u32 state);
    static u32 GetSampler(gfx::StateDevice& device, u32 sampler, u32 state);

    // Back to program start: nothing cached, so the next write of each state reaches the
    // device. For tests that start devices of their own.
    static void Restart();
};
