#include "graphics/render_state_cache.h"

#include <array>

namespace {

// One group of states: values and valid bytes, cleared at the group's first use.
template <std::size_t N> struct StateTable {
    std::array<u32, N> values{};
    std::array<u8, N> valid{};
    u8 notYetCleared = 1;

    // True when the device must be called.
    bool Store(std::size_t index, u32 value) {
        if (notYetCleared != 0) {
            valid.fill(0);
            notYetCleared = 0;
        }
        if (valid[index] == 0) {
            values[index] = value;
            valid[index] = 1;
            return true;
        }
        if (values[index] != value) {
            values[index] = value;
            return true;
        }
        return false;
    }

    const u32* Cached(std::size_t index) const {
        return notYetCleared == 0 && valid[index] != 0 ? &values[index] : nullptr;
    }

    void Restart() { notYetCleared = 1; }
};

constexpr std::size_t kSamplerEntries = gfx::kSamplerStateCount * gfx::kSamplerStageCount;

StateTable<gfx::kRenderStateCount> g_render_states;
StateTable<kSamplerEntries> g_sampler_states;
StateTable<gfx::kRenderStateCount> g_stencil_states;

bool ValidState(u32 state) {
    return state >= 1 && state <= gfx::kRenderStateCount;
}

bool ValidSampler(u32 sampler, u32 state) {
    return sampler < gfx::kSamplerStageCount && state >= 1 && state <= gfx::kSamplerStateCount;
}

StateTable<gfx::kRenderStateCount>& TableOf(u32 state) {
    return state == gfx::kRsStencilEnable ? g_stencil_states : g_render_states;
}

std::size_t SamplerIndex(u32 sampler, u32 state) {
    return (state - 1) * gfx::kSamplerStageCount + sampler;
}

} // namespace

void RenderStateCache::Set(gfx::StateDevice& device, u32 state, u32 value) {
    if (ValidState(state) && TableOf(state).Store(state - 1, value)) {
        device.SetRenderState(state, value);
    }
}

void RenderStateCache::SetSampler(gfx::StateDevice& device, u32 sampler, u32 state, u32 value) {
    if (ValidSampler(sampler, state) &&
        g_sampler_states.Store(SamplerIndex(sampler, state), value)) {
        device.SetSamplerState(sampler, state, value);
    }
}

u32 RenderStateCache::Get(gfx::StateDevice& device, u32 state) {
    if (ValidState(state)) {
        if (const u32* cached = TableOf(state).Cached(state - 1)) {
            return *cached;
        }
    }
    return device.GetRenderState(state);
}

u32 RenderStateCache::GetSampler(gfx::StateDevice& device, u32 sampler, u32 state) {
    if (ValidSampler(sampler, state)) {
        if (const u32* cached = g_sampler_states.Cached(SamplerIndex(sampler, state))) {
            return *cached;
        }
    }
    return device.GetSamplerState(sampler, state);
}

void RenderStateCache::Restart() {
    g_render_states.Restart();
    g_sampler_states.Restart();
    g_stencil_states.Restart();
}
