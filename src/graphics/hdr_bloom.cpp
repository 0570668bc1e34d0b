#include "graphics/hdr_bloom.h"

#include <cmath>
#include <numbers>
#include <string>

#include "graphics/effect_loader.h"
#include "graphics/render_state_cache.h"
#include "graphics/screen_quad.h"
#include "platform/gfx/device.h"
#include "platform/gfx/pixel_shader.h"
#include "platform/gfx/texture.h"
#include "platform/system/log.h"

namespace {

constexpr const char* kPostProcessingFile = "graphics/shaders/postProcessing.fx";
constexpr const char* kFinalPassFile = "graphics/shaders/finalPass.fx";

f32 g_exposure = 4.0f;

// A shader that cannot be made is logged and left out; its pass then draws nothing.
std::unique_ptr<gfx::PixelShader> Shader(gfx::Device& device, const char* file, const char* entry,
                                         const char* profile, const char* package) {
    std::unique_ptr<gfx::PixelShader> shader;
    std::string error;
    if (!CompileShaderFromPackage(device, file, entry, profile, shader, &error, package)) {
        sys::Log() << "Bloom shader " << entry << ": " << error;
    }
    return shader;
}

std::unique_ptr<gfx::Texture> Target(gfx::Device& device, i32 width, i32 height) {
    return device.CreateRenderTexture(std::max(width, 1), std::max(height, 1), gfx::Format::RGBA8,
                                      1);
}

// One pass of a raw shader into `target` from `source`; `linear`: read filtered.
void Pass(gfx::Device& device, gfx::PixelShader* shader, gfx::Texture* target, gfx::Texture* source,
          bool linear = false) {
    device.SetRenderTarget(0, target->GetSurface());
    device.SetTexture(0, source);
    if (shader != nullptr) {
        device.SetProgram(shader->Name());
        if (linear) {
            DrawScreenQuadLinear(device);
        } else {
            DrawScreenQuad(device);
        }
        device.SetProgram(0);
    }
}

} // namespace

f32 GetExposure() {
    return g_exposure;
}

void SetExposure(f32 exposure) {
    g_exposure = exposure;
}

BloomSizes BloomTargetSizes(i32 width, i32 height) {
    return {width / 2, height / 2, width / 8, height / 8};
}

BloomKernel MakeBloomKernel(f32 scale, f32 mean, f32 deviation, i32 size) {
    BloomKernel kernel{};
    const f32 variance = deviation * deviation;
    for (int i = 0; i < 9; ++i) {
        const f32 x = static_cast<f32>(i - 4) * 0.25f - mean;
        const f32 g = std::exp(-x * x / (2.0f * variance)) /
                      std::sqrt(2.0f * std::numbers::pi_v<f32> * variance);
        kernel.weights[i] = scale * g;
        kernel.offsets[i] = static_cast<f32>(i - 4) / static_cast<f32>(std::max(size, 1));
    }
    return kernel;
}

BloomStage::BloomStage() = default;
BloomStage::~BloomStage() = default;

void BloomStage::CreateTargets(gfx::Device& device, i32 width, i32 height, const char* package) {
    const BloomSizes sizes = BloomTargetSizes(width, height);
    m_bright = Target(device, sizes.brightWidth, sizes.brightHeight);
    m_down = Target(device, sizes.blurWidth, sizes.blurHeight);
    m_horizontal = Target(device, sizes.blurWidth, sizes.blurHeight);
    m_vertical = Target(device, sizes.blurWidth, sizes.blurHeight);
    m_bright_shader = Shader(device, kPostProcessingFile, "BrightPass", "ps_2_0", package);
    m_down_shader = Shader(device, kPostProcessingFile, "DownSample", "ps_2_0", package);
    m_horizontal_shader = Shader(device, kPostProcessingFile, "HorizontalBlur", "ps_3_0", package);
    m_vertical_shader = Shader(device, kPostProcessingFile, "VerticalBlur", "ps_3_0", package);
    m_h = MakeBloomKernel(m_gaussian_scale, m_gaussian_mean, m_gaussian_deviation, m_down->Width());
    m_v =
        MakeBloomKernel(m_gaussian_scale, m_gaussian_mean, m_gaussian_deviation, m_down->Height());
}

void BloomStage::ReleaseTargets() {
    m_bright.reset();
    m_down.reset();
    m_horizontal.reset();
    m_vertical.reset();
    m_bright_shader.reset();
    m_down_shader.reset();
    m_horizontal_shader.reset();
    m_vertical_shader.reset();
}

void BloomStage::Render(gfx::Device& device, gfx::Texture* source, const PassProbe& probe) {
    if (m_bright == nullptr || source == nullptr) {
        return;
    }
    {
        const f32 w = static_cast<f32>(source->Width());
        const f32 h = static_cast<f32>(source->Height());
        const f32 offsets[16] = {-0.5f / w, 0.5f / h,  0, 0, 0.5f / w, 0.5f / h,  0, 0,
                                 -0.5f / w, -0.5f / h, 0, 0, 0.5f / w, -0.5f / h, 0, 0};
        if (m_bright_shader != nullptr) {
            m_bright_shader->Constants().SetFloat("fBrightPassThreshold", m_threshold);
            m_bright_shader->Constants().SetVectorArray("tcDownSampleOffsets", offsets, 4);
        }
        // The shader averages each 2x2 block of the source with one filtered read.
        Pass(device, m_bright_shader.get(), m_bright.get(), source, true);
        MarkPass(probe, "bloom bright pass");
    }
    {
        const f32 w = static_cast<f32>(m_bright->Width());
        const f32 h = static_cast<f32>(m_bright->Height());
        f32 offsets[64] = {};
        int at = 0;
        for (int column = -2; column <= 1; ++column) {
            for (const f32 row : {-1.5f, -0.5f, 0.5f, 1.5f}) {
                offsets[at * 4] = (static_cast<f32>(column) + 0.5f) / w;
                offsets[at * 4 + 1] = row / h;
                ++at;
            }
        }
        if (m_down_shader != nullptr) {
            m_down_shader->Constants().SetVectorArray("tcDownSampleOffsets", offsets, 16);
        }
        Pass(device, m_down_shader.get(), m_down.get(), m_bright.get());
        MarkPass(probe, "bloom down-sample");
    }
    if (m_horizontal_shader != nullptr) {
        m_horizontal_shader->Constants().SetFloatArray("HBloomWeights", m_h.weights.data(), 9);
        m_horizontal_shader->Constants().SetFloatArray("HBloomOffsets", m_h.offsets.data(), 9);
    }
    Pass(device, m_horizontal_shader.get(), m_horizontal.get(), m_down.get());
    MarkPass(probe, "bloom horizontal blur");
    if (m_vertical_shader != nullptr) {
        m_vertical_shader->Constants().SetFloatArray("VBloomWeights", m_v.weights.data(), 9);
        m_vertical_shader->Constants().SetFloatArray("VBloomOffsets", m_v.offsets.data(), 9);
    }
    Pass(device, m_vertical_shader.get(), m_vertical.get(), m_horizontal.get());
    MarkPass(probe, "bloom vertical blur");
}

HdrBloom::HdrBloom(gfx::Device& device, const char* package)
    : m_device(device), m_package(package) {
    CreateTargets();
}

HdrBloom::~HdrBloom() {
    ReleaseTargets();
}

void HdrBloom::CreateTargets() {
    const i32 width = m_device.BackBufferWidth();
    const i32 height = m_device.BackBufferHeight();
    m_final = Target(m_device, width, height);
    m_final_shader = Shader(m_device, kFinalPassFile, "main", "ps_2_0", m_package);
    m_stage.CreateTargets(m_device, width, height, m_package);
}

void HdrBloom::ReleaseTargets() {
    m_final.reset();
    m_final_shader.reset();
    m_stage.ReleaseTargets();
}

gfx::Texture* HdrBloom::RenderWithExposure(f32 exposure, gfx::Texture* source) {
    SetExposure(exposure);
    return Render(source);
}

namespace {

// The blurs must not wrap the far edge of the image onto the near one: samplers 0 to 2
// clamp while the bloom draws, and render target 0 and the address modes are put back after.
class BloomDeviceState {
  public:
    explicit BloomDeviceState(gfx::Device& device)
        : m_device(device), m_target(device.GetRenderTarget(0)) {
        for (u32 sampler = 0; sampler < 3; ++sampler) {
            m_kept[sampler][0] = RenderStateCache::GetSampler(device, sampler, gfx::kSampAddressU);
            m_kept[sampler][1] = RenderStateCache::GetSampler(device, sampler, gfx::kSampAddressV);
            RenderStateCache::SetSampler(device, sampler, gfx::kSampAddressU, gfx::kAddressClamp);
            RenderStateCache::SetSampler(device, sampler, gfx::kSampAddressV, gfx::kAddressClamp);
        }
    }
    ~BloomDeviceState() {
        m_device.SetProgram(0);
        m_device.SetTexture(2, nullptr);
        m_device.SetTexture(1, nullptr);
        m_device.SetTexture(0, nullptr);
        m_device.SetRenderTarget(0, m_target);
        for (u32 sampler = 0; sampler < 3; ++sampler) {
            RenderStateCache::SetSampler(m_device, sampler, gfx::kSampAddressU, m_kept[sampler][0]);
            RenderStateCache::SetSampler(m_device, sampler, gfx::kSampAddressV, m_kept[sampler][1]);
        }
    }
    BloomDeviceState(const BloomDeviceState&) = delete;
    BloomDeviceState& operator=(const BloomDeviceState&) = delete;

  private:
    gfx::Device& m_device;
    gfx::Surface* m_target;
    u32 m_kept[3][2] = {};
};

} // namespace

gfx::Texture* HdrBloom::RenderGlow(gfx::Texture* source) {
    if (m_final == nullptr || source == nullptr) {
        return nullptr;
    }
    const BloomDeviceState state(m_device);
    m_stage.Render(m_device, source, m_probe);
    return m_stage.VerticalTexture();
}

gfx::Texture* HdrBloom::Render(gfx::Texture* source) {
    if (m_final == nullptr || source == nullptr) {
        return source;
    }
    const BloomDeviceState state(m_device);
    m_stage.Render(m_device, source, m_probe);

    gfx::Texture* const bloom = m_stage.VerticalTexture();
    m_device.SetRenderTarget(0, m_final->GetSurface());
    m_device.SetTexture(0, source);
    m_device.SetTexture(2, bloom);
    if (m_final_shader != nullptr) {
        gfx::ConstantTable& constants = m_final_shader->Constants();
        constants.SetFloat("g_rcp_bloom_tex_w", 1.0f / static_cast<f32>(bloom->Width()));
        constants.SetFloat("g_rcp_bloom_tex_h", 1.0f / static_cast<f32>(bloom->Height()));
        constants.SetFloat("fExposure", GetExposure());
        constants.SetFloat("fGaussianScalar", m_stage.GetScale());
        constants.SetBool("use_tone_mapping", true);
        m_device.SetProgram(m_final_shader->Name());
        DrawScreenQuadLinear(m_device);
        MarkPass(m_probe, "bloom tone map");
    }
    return m_final.get();
}
