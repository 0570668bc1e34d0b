#pragma once
// Bloom and tone mapping of the lit scene: a bright pass keeps what exceeds a threshold at
// half size, a down-sample takes it to an eighth, a nine-tap Gaussian blurs it along x and
// then y, and the final pass adds the glow to the scene and tone-maps both with the
// exposure into a screen-sized texture. All five passes are raw pixel shaders on screen
// quads; their constants are set by name through the shaders' constant tables.
#include <array>
#include <memory>
#include <utility>

#include "core/types.h"
#include "graphics/pass_probe.h"

namespace gfx {
class Device;
class PixelShader;
class Texture;
} // namespace gfx

// The exposure the final pass scales the scene by (4.0 at start). The exposure fades of the
// post-process chain move it; HdrBloom::RenderWithExposure sets it.
f32 GetExposure();
void SetExposure(f32 exposure);

struct BloomSizes {
    i32 brightWidth, brightHeight;
    // Down-sample and both blurs.
    i32 blurWidth, blurHeight;
};
// Half and an eighth of the screen, by integer division.
BloomSizes BloomTargetSizes(i32 width, i32 height);

// The nine blur weights (the same for both directions) and the offsets of one direction,
// in texture coordinates of a blur texture `size` texels across.
struct BloomKernel {
    std::array<f32, 9> weights;
    std::array<f32, 9> offsets;
};
BloomKernel MakeBloomKernel(f32 scale, f32 mean, f32 deviation, i32 size);

class BloomStage {
  public:
    static constexpr f32 kBrightPassThreshold = 0.8f;
    static constexpr f32 kGaussianScale = 0.4f;
    static constexpr f32 kGaussianMean = 0.0f;
    static constexpr f32 kGaussianDeviation = 0.4f;

    BloomStage();
    ~BloomStage();
    BloomStage(const BloomStage&) = delete;
    BloomStage& operator=(const BloomStage&) = delete;

    // The four textures for a screen of width x height, the four shaders from `package`
    // (null: the game's shaders package), then the weights and offsets.
    void CreateTargets(gfx::Device& device, i32 width, i32 height, const char* package);
    void ReleaseTargets();
    // Source on stage 0; leaves the vertical blur texture filled. The probe hears each pass.
    void Render(gfx::Device& device, gfx::Texture* source, const PassProbe& probe = {});

    f32 GetScale() const { return m_gaussian_scale; }
    gfx::Texture* BrightTexture() const { return m_bright.get(); }
    gfx::Texture* DownSampleTexture() const { return m_down.get(); }
    gfx::Texture* HorizontalTexture() const { return m_horizontal.get(); }
    gfx::Texture* VerticalTexture() const { return m_vertical.get(); }
    const BloomKernel& Horizontal() const { return m_h; }
    const BloomKernel& Vertical() const { return m_v; }

  private:
    std::unique_ptr<gfx::Texture> m_bright;
    std::unique_ptr<gfx::Texture> m_down;
    std::unique_ptr<gfx::Texture> m_horizontal;
    std::unique_ptr<gfx::Texture> m_vertical;
    std::unique_ptr<gfx::PixelShader> m_bright_shader;
    std::unique_ptr<gfx::PixelShader> m_down_shader;
    std::unique_ptr<gfx::PixelShader> m_horizontal_shader;
    std::unique_ptr<gfx::PixelShader> m_vertical_shader;
    f32 m_threshold = kBrightPassThreshold;
    f32 m_gaussian_scale = kGaussianScale;
    f32 m_gaussian_mean = kGaussianMean;
    f32 m_gaussian_deviation = kGaussianDeviation;
    BloomKernel m_v{};
    BloomKernel m_h{};
};

class HdrBloom {
  public:
    // Made for the size of the back buffer; package null: the game's shaders package.
    HdrBloom(gfx::Device& device, const char* package = nullptr);
    ~HdrBloom();
    HdrBloom(const HdrBloom&) = delete;
    HdrBloom& operator=(const HdrBloom&) = delete;

    // Also the re-creation after the back buffer changed size.
    void CreateTargets();
    void ReleaseTargets();

    // The tone-mapped scene with its glow; the device's target 0, stages 0 to 2 and the
    // address modes of samplers 0 to 2 are as they were before.
    gfx::Texture* Render(gfx::Texture* source);
    gfx::Texture* RenderWithExposure(f32 exposure, gfx::Texture* source);
    // The bloom stage alone, for a pass that adds the glow and tone-maps as it reads the
    // scene itself: the blurred glow (an eighth of the screen), or null without targets. The
    // device is left as Render leaves it.
    gfx::Texture* RenderGlow(gfx::Texture* source);

    gfx::Texture* FinalTexture() const { return m_final.get(); }
    BloomStage& Stage() { return m_stage; }
    void SetPassProbe(PassProbe probe) { m_probe = std::move(probe); }

  private:
    gfx::Device& m_device;
    const char* m_package;
    std::unique_ptr<gfx::PixelShader> m_final_shader;
    std::unique_ptr<gfx::Texture> m_final;
    BloomStage m_stage;
    PassProbe m_probe;
};
