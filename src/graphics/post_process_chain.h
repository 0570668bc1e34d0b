#pragma once
// The last drawing step of every frame: the lit scene goes through the bloom and tone
// mapping, then through every enabled effect of the chain, and is drawn onto the back
// buffer through the film grain, letterboxed to 16:10. The chain also owns the screen-wide
// animations that feed these passes: the exposure fades, the fade to and from black and the
// film-gate jitter.
//
// The effects draw in turn into the chain's two screen-sized targets, each into the one
// that is not its source, so no pass samples the texture it renders into. The two blurs,
// last of the loop, are done by the final grain pass instead when it lays a target of the
// back buffer's size pixel for pixel (no letterbox): a full-screen pass fewer for each. The
// forward path draws its scene into the first target (BeginSceneTarget / EndSceneTarget).
#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

#include "core/types.h"
#include "graphics/pass_probe.h"
#include "graphics/post_process.h"
#include "graphics/render_target_desc.h"

class HdrBloom;

// --- the frame's animations, kept apart from the drawing so they can be followed alone ---

// Fades of the bloom's exposure (GetExposure / SetExposure of graphics/hdr_bloom.h).
class ExposureFade {
  public:
    // target, fade-in duration, delay before fading out, fade-out duration. A fade-in that
    // runs is left alone; a fade-out that runs turns into the fade-in from where it is.
    void StartExposureFade(const std::vector<f32>& parameters);
    void FadeExposureIn(f32 target, f32 duration);
    void FadeExposureOut(f32 duration);
    void CancelDelayedFade();
    // One frame: the delayed fade-out counts down, a running fade moves the exposure.
    void Update(f32 frameTime);

    bool FadingIn() const { return m_fade_in; }
    bool FadingOut() const { return m_fade_out; }
    bool DelayedFadeOut() const { return m_delayed_fade_out; }
    // While true the exposure belongs to the fades, not to the renderer's exposure setting:
    // from the start of a fade-in until a fade-out has ended or the delay is cancelled.
    bool HoldsExposure() const { return m_holding || m_fade_out || m_delayed_fade_out; }

  private:
    // Fade-in keeping the exposure where it is now.
    void BeginFadeIn(f32 target, f32 duration);

    f32 m_base = 0.0f;
    bool m_fade_in = false;
    bool m_fade_out = false;
    f32 m_time = 0.0f;
    f32 m_target = 0.0f;
    f32 m_duration = 0.0f;
    f32 m_start = 0.0f;
    bool m_delayed_fade_out = false;
    f32 m_delay = 0.0f;
    bool m_holding = false;
    std::vector<f32> m_parameters;
};

// The fade to and from black: `rate` is the fade's length in seconds, positive fading in,
// negative fading out, 0 for none. Moves `progress` and sets `multiplier` (clamped to 0..1);
// a finished fade puts rate and progress back to 0.
void UpdateColourFade(f32 frameTime, f32& rate, f32& progress, f32& multiplier);

// The film gate's jump: every whole 1/24 s, one chance in 200 that the image drops by 5 to 7
// pixels for that step.
class FilmJitter {
  public:
    void Update(f32 frameTime);
    f32 OffsetX() const { return m_x; }
    f32 OffsetY() const { return m_y; }

  private:
    f32 m_timer = 0.0f;
    f32 m_x = 0.0f;
    f32 m_y = 0.0f;
};

// --- the letterbox ---

inline constexpr f32 kScreenAspect = 1.6f;

// All of a width x height back buffer; narrower than 16:10, the middle 16:10 band.
gfx::Viewport MakeScreenViewport(i32 width, i32 height);

struct FinalQuadVertex {
    f32 x, y, z, rhw, u, v;
};
struct FinalQuad {
    // Below 3:2 the back buffer is cleared to black first.
    bool clear = false;
    FinalQuadVertex vertices[4];
};
// The quad the image is drawn onto the back buffer with, moved by the jitter offset; without
// the letterbox, the quad that covers all of a target of that size.
FinalQuad MakeFinalQuad(i32 width, i32 height, f32 offsetX, f32 offsetY, bool letterbox = true);

// --- the chain ---

// The chain's target an effect draws into when it reads `source` (0 or 1: one of the
// chain's targets, -1: any other texture): never the one it reads.
i32 ChainTargetFor(i32 source);

struct ComposeInputs {
    f32 cameraPosition[3] = {};
    Float4x4 view = Math::MatrixIdentity();
    Float4x4 projection = Math::MatrixIdentity();
    const InputState* input = nullptr;
    // The forward path's depth target, or the deferred path's position map.
    gfx::Texture* depthTexture = nullptr;
    // The deferred path's lit image; null: the scene drawn into the first target.
    gfx::Texture* deferredResult = nullptr;
    f32 frameTime = 0.0f;
    // While a film plays the image goes out without the bloom.
    bool skipBloom = false;
    bool cameraShake = false;
};

class PostProcessChain {
  public:
    // 512 x 512 grey grain.
    static constexpr const char* kNoiseTextureName = "assets/art/noise.bmp";

    // Effects from `package` (null: the game's shaders package); the noise texture comes
    // from the renderer's texture cache. fade: the exposure fades the renderer's messages
    // drive, which outlive the chain; null: the chain's own.
    PostProcessChain(gfx::Device& device, gfx::Texture* noise, ExposureFade* fade = nullptr,
                     const char* package = nullptr);
    ~PostProcessChain();
    PostProcessChain(const PostProcessChain&) = delete;
    PostProcessChain& operator=(const PostProcessChain&) = delete;

    // Render thread, with the back buffer bound: the whole final image.
    void Compose(const ComposeInputs& inputs);

    // The forward path's scene goes into the first target between these.
    void BeginSceneTarget();
    void EndSceneTarget();
    gfx::Texture* SceneTexture() const { return m_targets[0]->Texture(); }

    // Drawn into the target of GaussianBlurVertical right after it (the film scratches).
    void SetOverlay(std::function<void()> overlay) { m_overlay = std::move(overlay); }
    // Hears every pass of the bloom and of the chain (benchmarks).
    void SetPassProbe(PassProbe probe);

    // The back buffer changed size: the targets follow at the next OnResetDevice.
    void Resize();
    void OnLostDevice();
    void OnResetDevice();

    ExposureFade& Fade() { return *m_fade; }
    const FilmJitter& Jitter() const { return m_jitter; }
    const std::vector<std::unique_ptr<PostProcess>>& Effects() const { return m_effects; }
    PostFrame& Frame() { return m_frame; }
    HdrBloom* Bloom() const { return m_bloom.get(); }
    bool BloomOn() const { return m_bloom_on; }
    void SetBloomOn(bool on) { m_bloom_on = on; }
    // The H key's toggle, also sent in play as MSG_GRAPHICS_TOGGLE_BLOOM; logs the new state.
    void ToggleBloom();
    f32 ColourMultiplier() const { return m_colour_multiplier; }
    // Forces the jitter offset (tests).
    void SetScreenOffset(f32 x, f32 y) { m_offset_x = x, m_offset_y = y; }
    void SetJitterEnabled(bool on) { m_jitter_on = on; }

  private:
    static constexpr const char* kToneMappedDepthOfField = "DepthOfFieldToneMapTech";
    static constexpr u32 kGlowStage = 3;
    // The horizontal blur's place in the effects: the last of the loop.
    static constexpr std::size_t kLastBlur = 4;

    void ApplyDebugKeys(const InputState* input);
    void DrawFinal(gfx::Texture* source, bool colourApplied);
    // Depth of field on the scene before the tone map, with the bloom's glow on stage 3.
    void BeginToneMappedDepthOfField(gfx::Texture* glow);
    void EndToneMappedDepthOfField();

    gfx::Device& m_device;
    const char* m_package;
    PostFrame m_frame;
    std::vector<std::unique_ptr<PostProcess>> m_effects;
    std::unique_ptr<RenderTargetDesc> m_targets[2];
    std::unique_ptr<HdrBloom> m_bloom;
    bool m_bloom_on = true;
    ExposureFade m_own_fade;
    ExposureFade* m_fade;
    FilmJitter m_jitter;
    bool m_jitter_on = true;
    f32 m_offset_x = 0.0f;
    f32 m_offset_y = 0.0f;
    f32 m_colour_progress = 0.0f;
    f32 m_colour_multiplier = 1.0f;
    bool m_last_shake = false;
    DepthOfField* m_depth_of_field = nullptr;
    GaussianBlur* m_horizontal_blur = nullptr;
    NoiseTexture* m_grain = nullptr;
    std::function<void()> m_overlay;
    PassProbe m_probe;
};
