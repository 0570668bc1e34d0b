#pragma once
// The deferred path's targets and its lighting effect. The visible objects are shaded into
// two floating-point targets (normal and diffuse colour in target 0, position and specular
// in target 1) that share the back buffer's depth; the lighting passes then add the sun
// with its split shadows, and one sphere volume per local light, into the RGBA8
// light-accumulation target.
#include <memory>
#include <string>
#include <vector>

#include "core/math_types.h"
#include "core/types.h"

namespace gfx {
class Device;
class Effect;
class Texture;
} // namespace gfx

class Light;

namespace deferred {

inline constexpr float kNoiseSpeed = 0.0525f;
inline constexpr float kLightingNear = 0.0f;
inline constexpr float kLightingFar = 5000.0f;

// The lighting effect for a split count (2, 3 or 4); null for any other count.
const char* LightingEffectFile(u32 splitCount);

// The noise phase after dt: it runs at kNoiseSpeed per second and wraps at 1.
float AdvanceNoisePhase(float phase, float dt);

// The sphere a local light is drawn as: a spot light's one range behind it, a "nuke"
// twice its range with its attenuation starting at the range.
struct LightVolume {
    Float3 centre;
    float radius = 0.0f;
    float distanceMod = 0.0f;
};
LightVolume VolumeOf(const Light& light);
// How much larger than the volume its mesh is drawn: the unit sphere's mesh lies inside the
// sphere between its vertices, and scaled by this its faces cover the whole sphere.
float VolumeMeshScale();
// The world matrix that makes the unit sphere's mesh cover the volume.
Float4x4 VolumeWorld(const LightVolume& volume);
// Whether a local light adds to the image this frame: switched on (a badly damaged building
// switches its lights off) and not culled by the camera.
bool LightShines(const Light& light);
// Calls draw(light, volume) for each local light that shines this frame (the first light is
// the sun, drawn by its own pass).
template <class Draw> void ForEachShiningVolume(const std::vector<Light*>& lights, Draw draw) {
    for (std::size_t i = 1; i < lights.size(); ++i) {
        const Light& light = *lights[i];
        if (LightShines(light)) {
            draw(light, VolumeOf(light));
        }
    }
}

// Where the light image lands in a window of w × h: cleared to black first below an
// aspect of 1.5, and held at 16:10 with bars above and below under 1.6.
struct PresentLayout {
    bool clearFirst = false;
    float top = 0.0f;
    float bottom = 0.0f;
};
PresentLayout LayoutFor(i32 width, i32 height);

} // namespace deferred

class GBuffer {
  public:
    GBuffer(gfx::Device* device, u32 splitCount);
    ~GBuffer();
    GBuffer(const GBuffer&) = delete;
    GBuffer& operator=(const GBuffer&) = delete;

    // The three targets at the back buffer's size: normal and colour in RGBA16F, the position
    // in RGBA32F with highPrecision, else RGBA16F. False when any is missing.
    bool CreateTargets(bool highPrecision);
    void ReleaseTargets();
    // The lighting effect of the split count, the noise volume and the constants. False
    // when the effect could not be loaded.
    bool LoadLightingEffect(const std::string& artPackage);
    // "window_dimensions" (after a resize).
    void SetWindowDimensions();

    // Targets 0 and 1 to the G-buffer, the depth left as bound (the back buffer's).
    void Bind();
    // Target 0 to the back buffer and target 1 unbound.
    void RestoreBackBuffer();
    void BindMaps(gfx::Effect& effect) const;
    // Noise phase (when the scene updates), eye, the sun's values and the flags.
    void SetGlobalLightParameters(float dt, const Float3& eye, const Light& sun, bool shadows,
                                  float multiplier, float fogRange);
    // The unit sphere, drawn with the bound program.
    void DrawSphere();
    // Debug display of the local lights' spheres over the current target, drawn with the
    // device's own lit program under its view and the lighting projection, with no depth
    // test so each shows whole; the device's projection goes back to
    // frameProjection. The two presses flip the display and its solid fill (wire frames
    // otherwise); both start off.
    void DrawLightVolumes(const std::vector<Light*>& lights, const Float4x4& frameProjection,
                          bool showPressed, bool solidPressed);
    bool ShowsLightVolumes() const { return m_show_volumes; }

    // Targets and effect in place: the deferred path can draw.
    bool Ready() const {
        return m_effect != nullptr && m_normal_diffuse != nullptr &&
               m_position_specular != nullptr && m_light != nullptr;
    }
    gfx::Effect* LightingEffect() const { return m_effect.get(); }
    gfx::Texture* NormalDiffuse() const { return m_normal_diffuse.get(); }
    gfx::Texture* PositionSpecular() const { return m_position_specular.get(); }
    gfx::Texture* LightTarget() const { return m_light.get(); }
    const Float4x4& LightingProjection() const { return m_lighting_projection; }
    float NoisePhase() const { return m_noise_phase; }
    u32 SplitCount() const { return m_split_count; }
    bool HighPrecision() const { return m_high_precision; }

  private:
    gfx::Device* m_device;
    u32 m_split_count;
    bool m_high_precision = true;
    std::unique_ptr<gfx::Texture> m_normal_diffuse;
    std::unique_ptr<gfx::Texture> m_position_specular;
    std::unique_ptr<gfx::Texture> m_light;
    std::unique_ptr<gfx::Effect> m_effect;
    std::unique_ptr<gfx::Texture> m_noise;
    Float4x4 m_lighting_projection;
    float m_noise_phase = 0.0f;
    std::vector<float> m_sphere;
    bool m_show_volumes = false;
    bool m_solid_volumes = false;
};
