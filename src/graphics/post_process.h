#pragma once
// The full-screen effects that run after the scene and the bloom, in chain order: red-cyan
// three-dee, camera motion blur, depth of field, a vertical and a horizontal blur, and the
// film grain that draws the image onto the back buffer. Each is one effect file; the chain
// asks every effect once a frame whether it runs, lets it set its parameters and draws a
// screen quad through it.
#include <memory>
#include <string>

#include "core/math_functions.h"
#include "core/math_types.h"
#include "core/types.h"
#include "game/input_state.h"

namespace gfx {
class Device;
class Effect;
class Texture;
} // namespace gfx

// What the composition publishes every frame for the effects to read, and the settings they
// follow. Owned by the chain; every effect keeps a reference.
struct PostFrame {
    u32 width = 0;
    u32 height = 0;
    f32 cameraPosition[3] = {};
    Float4x4 view = Math::MatrixIdentity();
    Float4x4 projection = Math::MatrixIdentity();
    const InputState* input = nullptr;
    gfx::Texture* depthTexture = nullptr;
    gfx::Texture* secondTexture = nullptr;
    bool deferred = false;
    f32 frameTime = 0.0f;
    f32 focalDistance = 0.9749f;
    f32 colourMultiplier = 1.0f;
    // 0: three-dee only, 1: depth of field and motion blur, 2: three-dee and depth of field,
    // 3: none of the three.
    u32 threeDee = 1;
    bool motionBlurOption = true;
    // Set for the one frame in which the small camera shake starts or stops.
    bool toggleRequest = false;
};

// The frames per second over windows of a little more than 2 s, as a fraction of 60 (1 at
// the start and at 60 fps or more, never below 0).
class FrameRateScalar {
  public:
    f32 Update(f32 frameTime);
    f32 Value() const { return m_scalar; }

  private:
    u32 m_frames = 0;
    f32 m_time = 0.0f;
    f32 m_scalar = 1.0f;
};

class PostProcess {
  public:
    PostProcess(std::string name, std::unique_ptr<gfx::Effect> effect, const PostFrame& frame);
    virtual ~PostProcess();
    PostProcess(const PostProcess&) = delete;
    PostProcess& operator=(const PostProcess&) = delete;

    virtual void OnResetDevice();
    void OnLostDevice();
    // The effect's parameters and technique for this frame; `device` gets the stage textures.
    virtual void SetParameters(gfx::Device* device);
    // Asked once a frame; some effects toggle on their keys here.
    virtual bool IsEnabled();
    // Whether the pass just set up scales the image by the colour multiplier.
    virtual bool AppliesColourMultiplier() const { return false; }

    const std::string& Name() const { return m_name; }
    gfx::Effect* GetEffect() const { return m_effect.get(); }
    bool EnabledFlag() const { return m_enabled; }
    void SetEnabledFlag(bool enabled) { m_enabled = enabled; }

  protected:
    bool Pressed(u8 key) const;
    bool Held(u8 key) const;
    void SetStageTexture(gfx::Device* device, u32 stage, gfx::Texture* texture) const;
    Float4x4 ViewProjection() const { return m_frame.view * m_frame.projection; }

    std::string m_name;
    std::unique_ptr<gfx::Effect> m_effect;
    const PostFrame& m_frame;
    bool m_enabled = true;
};

// The motion-blur parameters ThreeDee and MotionBlur share: the previous frame's
// view-projection (the current one on the frame of a toggle), the frame-rate scalar and the
// inverse of this frame's view-projection.
class MotionBlurState {
  public:
    void Apply(gfx::Effect& effect, const PostFrame& frame, bool hold);

  private:
    Float4x4 m_previous = Math::MatrixIdentity();
    FrameRateScalar m_rate;
};

class ThreeDee : public PostProcess {
  public:
    ThreeDee(std::unique_ptr<gfx::Effect> effect, const PostFrame& frame);
    void SetParameters(gfx::Device* device) override;
    bool IsEnabled() override;
    bool AppliesColourMultiplier() const override { return m_frame.threeDee != 2; }
    bool MotionTechnique() const { return m_motion_technique; }

  private:
    bool m_hold = false;
    bool m_motion_technique = false;
    MotionBlurState m_motion;
};

class MotionBlur : public PostProcess {
  public:
    MotionBlur(std::unique_ptr<gfx::Effect> effect, const PostFrame& frame);
    void SetParameters(gfx::Device* device) override;
    bool IsEnabled() override;
    bool Hold() const { return m_hold; }

  private:
    bool m_hold = false;
    MotionBlurState m_motion;
};

class DepthOfField : public PostProcess {
  public:
    static constexpr f32 kRangeBase = 0.2165f;
    static constexpr f32 kCocBase = 35.0f;
    // Of the twelve taps of the disk the effect file reads the first six.
    static constexpr u32 kUploadedTaps = 6;

    DepthOfField(std::unique_ptr<gfx::Effect> effect, const PostFrame& frame);
    void SetParameters(gfx::Device* device) override;
    bool IsEnabled() override;
    bool AppliesColourMultiplier() const override { return true; }
    // The technique is chosen again at the next SetParameters (after a resize).
    void ReselectTechnique() { m_technique_set = false; }

    // The live tuning values; the focal distance is the frame's own.
    f32 RangeBase() const { return m_range_base; }
    f32 CocBase() const { return m_coc_base; }
    // What the keys have added to the frame's focal distance.
    f32 FocalOffset() const { return m_focal_offset; }

  private:
    f32 m_range_base = kRangeBase;
    f32 m_coc_base = kCocBase;
    f32 m_focal_offset = 0.0f;
    bool m_technique_set = false;
    bool m_deferred = false;
};

class GaussianBlur : public PostProcess {
  public:
    static constexpr f32 kMult = 0.3f;

    GaussianBlur(std::unique_ptr<gfx::Effect> effect, const PostFrame& frame, std::string name,
                 std::string technique);
    void OnResetDevice() override;
    bool IsEnabled() override;
    // How much of the blurred image is mixed into the pixel.
    f32 Mult() const { return m_mult; }

  private:
    std::string m_technique;
    f32 m_mult = kMult;
};

class NoiseTexture : public PostProcess {
  public:
    NoiseTexture(std::unique_ptr<gfx::Effect> effect, const PostFrame& frame, gfx::Texture* noise);
    void SetParameters(gfx::Device* device) override;
    bool IsEnabled() override;
    // Which of the chain's blurs the pass does before the grain (their passes are then left
    // out), from the next SetParameters: none, the horizontal one, or the vertical one and the
    // horizontal one over it; mult: how much each mixes in.
    enum class Blurs { None, Horizontal, Both };
    void SetBlurs(Blurs blurs, f32 mult) {
        m_blurs = blurs;
        m_blur_mult = mult;
    }

  private:
    gfx::Texture* m_noise;
    Blurs m_blurs = Blurs::None;
    f32 m_blur_mult = 0.0f;
};
