#pragma once
// The render and sampler states the game sets, numbered as the game's code and its state
// tables number them, and the values they take. The renderer's state cache writes them
// through StateDevice; gfx::Device is the real one, tests use a recording stand-in.
#include "platform/system/types.h"

namespace gfx {

// Render states; the number is the state's index + 1 in the cache's tables.
enum RenderState : u32 {
    kRsZEnable = 7,
    kRsFillMode = 8,
    kRsZWriteEnable = 14,
    kRsAlphaTestEnable = 15,
    kRsSrcBlend = 19,
    kRsDestBlend = 20,
    kRsCullMode = 22,
    kRsZFunc = 23,
    kRsAlphaBlendEnable = 27,
    kRsStencilEnable = 52,
    kRsLighting = 137,
};
inline constexpr u32 kRenderStateCount = 210;

// Sampler states 1 to 14; stages 0 to 7.
enum SamplerState : u32 {
    kSampAddressU = 1,
    kSampAddressV = 2,
    kSampAddressW = 3,
    kSampBorderColor = 4,
    kSampMagFilter = 5,
    kSampMinFilter = 6,
    kSampMipFilter = 7,
};
inline constexpr u32 kSamplerStateCount = 14;
inline constexpr u32 kSamplerStageCount = 8;

enum FillMode : u32 { kFillPoint = 1, kFillWireframe = 2, kFillSolid = 3 };
enum CullMode : u32 { kCullNone = 1, kCullCw = 2, kCullCcw = 3 };
enum Blend : u32 {
    kBlendZero = 1,
    kBlendOne = 2,
    kBlendSrcColor = 3,
    kBlendInvSrcColor = 4,
    kBlendSrcAlpha = 5,
    kBlendInvSrcAlpha = 6,
    kBlendDestAlpha = 7,
    kBlendInvDestAlpha = 8,
    kBlendDestColor = 9,
    kBlendInvDestColor = 10,
};
enum CompareFunc : u32 {
    kCmpNever = 1,
    kCmpLess = 2,
    kCmpEqual = 3,
    kCmpLessEqual = 4,
    kCmpGreater = 5,
    kCmpNotEqual = 6,
    kCmpGreaterEqual = 7,
    kCmpAlways = 8,
};
enum TextureAddress : u32 {
    kAddressWrap = 1,
    kAddressMirror = 2,
    kAddressClamp = 3,
    kAddressBorder = 4
};
enum TextureFilter : u32 { kFilterNone = 0, kFilterPoint = 1, kFilterLinear = 2 };

// What the state cache talks to. Get answers the value the device holds now.
class StateDevice {
  public:
    virtual ~StateDevice() = default;
    virtual void SetRenderState(u32 state, u32 value) = 0;
    virtual u32 GetRenderState(u32 state) const = 0;
    virtual void SetSamplerState(u32 sampler, u32 state, u32 value) = 0;
    virtual u32 GetSamplerState(u32 sampler, u32 state) const = 0;
};

} // namespace gfx
