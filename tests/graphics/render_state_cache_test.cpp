#include <gtest/gtest.h>

#include <map>
#include <tuple>
#include <vector>

#include "graphics/color.h"
#include "graphics/render_state_cache.h"
#include "platform/gfx/render_states.h"

namespace {

// A device that records every call and answers Get from what it was given.
class RecordingDevice : public gfx::StateDevice {
  public:
    struct Call {
        i32 sampler; // -1 for render states
        u32 state;
        u32 value;
        bool operator==(const Call&) const = default;
    };

    void SetRenderState(u32 state, u32 value) override {
        calls.push_back({-1, state, value});
        renderStates[state] = value;
    }
    u32 GetRenderState(u32 state) const override {
        const auto found = renderStates.find(state);
        return found != renderStates.end() ? found->second : 0;
    }
    void SetSamplerState(u32 sampler, u32 state, u32 value) override {
        calls.push_back({static_cast<i32>(sampler), state, value});
        samplerStates[{sampler, state}] = value;
    }
    u32 GetSamplerState(u32 sampler, u32 state) const override {
        const auto found = samplerStates.find({sampler, state});
        return found != samplerStates.end() ? found->second : 0;
    }

    std::vector<Call> calls;
    std::map<u32, u32> renderStates;
    std::map<std::pair<u32, u32>, u32> samplerStates;
};

class RenderStateCacheTest : public ::testing::Test {
  protected:
    void SetUp() override { RenderStateCache::Restart(); }
    void TearDown() override { RenderStateCache::Restart(); }
    RecordingDevice m_device;
};

TEST_F(RenderStateCacheTest, TheFirstSetReachesTheDeviceEvenWhenEqualAndARepeatDoesNot) {
    m_device.renderStates[gfx::kRsCullMode] = gfx::kCullNone;
    RenderStateCache::Set(m_device, gfx::kRsCullMode, gfx::kCullNone);
    ASSERT_EQ(m_device.calls.size(), 1u);
    EXPECT_EQ(m_device.calls[0], (RecordingDevice::Call{-1, gfx::kRsCullMode, gfx::kCullNone}));

    RenderStateCache::Set(m_device, gfx::kRsCullMode, gfx::kCullNone);
    EXPECT_EQ(m_device.calls.size(), 1u);

    RenderStateCache::Set(m_device, gfx::kRsCullMode, gfx::kCullCw);
    EXPECT_EQ(m_device.calls.size(), 2u);
    RenderStateCache::Set(m_device, gfx::kRsCullMode, gfx::kCullNone);
    EXPECT_EQ(m_device.calls.size(), 3u);
}

TEST_F(RenderStateCacheTest, SamplersAreCachedEachOnTheirOwn) {
    RenderStateCache::SetSampler(m_device, 2, gfx::kSampMinFilter, gfx::kFilterPoint);
    RenderStateCache::SetSampler(m_device, 3, gfx::kSampMinFilter, gfx::kFilterLinear);
    EXPECT_EQ(RenderStateCache::GetSampler(m_device, 2, gfx::kSampMinFilter), gfx::kFilterPoint);
    EXPECT_EQ(RenderStateCache::GetSampler(m_device, 3, gfx::kSampMinFilter), gfx::kFilterLinear);

    // The same value on sampler 2 is still cached; a new state of sampler 3 is not.
    m_device.calls.clear();
    RenderStateCache::SetSampler(m_device, 2, gfx::kSampMinFilter, gfx::kFilterPoint);
    RenderStateCache::SetSampler(m_device, 3, gfx::kSampMagFilter, gfx::kFilterLinear);
    ASSERT_EQ(m_device.calls.size(), 1u);
    EXPECT_EQ(m_device.calls[0],
              (RecordingDevice::Call{3, gfx::kSampMagFilter, gfx::kFilterLinear}));
}

TEST_F(RenderStateCacheTest, GetAsksTheDeviceUntilTheStateWasSetThroughTheCache) {
    m_device.renderStates[gfx::kRsZWriteEnable] = 1;
    m_device.samplerStates[{0, gfx::kSampAddressU}] = gfx::kAddressWrap;
    EXPECT_EQ(RenderStateCache::Get(m_device, gfx::kRsZWriteEnable), 1u);
    EXPECT_EQ(RenderStateCache::GetSampler(m_device, 0, gfx::kSampAddressU), gfx::kAddressWrap);

    // Another state set through the cache does not make this one valid.
    RenderStateCache::Set(m_device, gfx::kRsZEnable, 1);
    m_device.renderStates[gfx::kRsZWriteEnable] = 0;
    EXPECT_EQ(RenderStateCache::Get(m_device, gfx::kRsZWriteEnable), 0u);

    RenderStateCache::Set(m_device, gfx::kRsZWriteEnable, 1);
    m_device.renderStates[gfx::kRsZWriteEnable] = 7; // changed behind the cache's back
    EXPECT_EQ(RenderStateCache::Get(m_device, gfx::kRsZWriteEnable), 1u);
}

TEST_F(RenderStateCacheTest, StencilEnableKeepsATableOfItsOwn) {
    RenderStateCache::Set(m_device, gfx::kRsStencilEnable, 1);
    RenderStateCache::Set(m_device, gfx::kRsStencilEnable, 1);
    RenderStateCache::Set(m_device, gfx::kRsStencilEnable, 0);
    ASSERT_EQ(m_device.calls.size(), 2u);
    EXPECT_EQ(m_device.calls[1], (RecordingDevice::Call{-1, gfx::kRsStencilEnable, 0}));
    EXPECT_EQ(RenderStateCache::Get(m_device, gfx::kRsStencilEnable), 0u);
}

TEST_F(RenderStateCacheTest, StatesOutsideTheTablesNeverReachTheDevice) {
    RenderStateCache::Set(m_device, 0, 1);
    RenderStateCache::Set(m_device, gfx::kRenderStateCount + 1, 1);
    RenderStateCache::SetSampler(m_device, gfx::kSamplerStageCount, gfx::kSampMinFilter, 1);
    RenderStateCache::SetSampler(m_device, 0, gfx::kSamplerStateCount + 1, 1);
    EXPECT_TRUE(m_device.calls.empty());
}

TEST(ColorTest, ToArgbRoundsHalfwayToEvenAndPacksAlphaRedGreenBlue) {
    struct Case {
        float rgba[4];
        u32 argb;
    };
    const Case cases[] = {
        {{1.0f, 0.5f, 0.0f, 1.0f}, 0xFFFF8000u}, // 127.5 goes to 128
        {{0.0f, 0.0f, 0.0f, 0.0f}, 0x00000000u},
        {{0.2f, 0.4f, 0.6f, 1.0f}, 0xFF336699u},
        {{1.0f, 1.0f, 1.0f, 0.5f}, 0x80FFFFFFu},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Color::ToARGB(c.rgba), c.argb) << std::hex << c.argb;
    }
}

} // namespace
