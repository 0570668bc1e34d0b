#pragma once
// The renderer's lights. Element 0 of the light list is the directional main light "sun",
// made with the device; point and spot lights come from "Light" components of object
// definitions and follow their owner; explosions add short-lived point lights named "nuke"
// that grow and fade out by themselves. The sun feeds the object techniques and the
// full-screen pass, every other light is drawn as a lit sphere volume.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/component.h"
#include "core/math_types.h"
#include "core/memory_allocator.h"
#include "core/types.h"

class StreamMap;
struct InputState;

enum LightType : u32 {
    LIGHT_POINT = 1,
    LIGHT_SPOT = 2,
    LIGHT_DIRECTIONAL = 3,
};

struct ColorValue {
    float r = 0.0f;
    float g = 0.0f;
    float b = 0.0f;
    float a = 0.0f;
};

// What one light is: the values the lighting shaders read.
struct LightRecord {
    LightType type = LIGHT_POINT;
    ColorValue diffuse;
    ColorValue specular;
    ColorValue ambient;
    Float3 position;
    Float3 direction;
    float range = 0.0f;
    float falloff = 0.0f;
    float attenuation0 = 0.0f;
    float attenuation1 = 0.0f;
    float attenuation2 = 0.0f;
    float theta = 0.0f;
    float phi = 0.0f;
};

class Light : public Component, public Allocator<Light> {
  public:
    static constexpr const char* kSunName = "sun";
    static constexpr const char* kNukeName = "nuke";

    Light(bool enabled, const std::string& name, const LightRecord& record);

    // Follows the owner: the offset turned by the owner's orientation is added to its
    // position, and a spot light turns its direction with it. Detached lights stay put.
    void Update(float dt) override;

    LightRecord m_light;
    bool m_enabled = true;
    std::string m_name;
    // Age of a "nuke" light.
    float m_timer = 0.0f;
    // Set every frame by the light update when the camera cannot see the light.
    bool m_culled = false;
    // The clip plane that rejected the light last; the next test starts there.
    u32 m_last_failed_plane = 0;
    bool m_detached = false;
    float m_volumetric_amount = 0.0f;
    Float3 m_offset;
    // The direction given at construction; a spot light turns it with its owner.
    Float3 m_base_direction;
    // A light's own shadow view and projection, written by the shadow code.
    Float4x4 m_shadow_view;
    Float4x4 m_shadow_projection;
    float m_shadow_near = 50.0f;
    float m_shadow_far = 400.0f;
    float m_shadow_fov = 1.5707964f;
    float m_shadow_aspect = 1.0f;
    // The sun sits this far behind a point, along its direction, then its shadow matrices.
    void PlaceSun(const Float3& point);
    // view = look-at along the direction, projection = orthographic over the field of view
    // at the far distance.
    void UpdateShadowMatrices();

    // Ignores the fog-range test and is shaded as always visible.
    bool m_always_visible = false;
};

// The values of a "Light" component in an object definition, in the order they are stored.
struct LightDefinition {
    LightRecord light;
    Float3 offset;
    bool enabled = false;
    float volumetricAmount = 0.0f;
    bool alwaysVisible = false;
};

// Reads kind ("POINT" or "SPOT"; anything else is a point light), diffuse, specular,
// offset, direction (normalised), range, phi, theta, the three attenuations, enabled,
// volumetric amount and always visible. Ambient, position and falloff stay zero.
LightDefinition ReadLightDefinition(StreamMap& stream);

LightRecord SunLightRecord();
LightRecord NukeLightRecord(const Float3& position);

// The renderer's list of lights in draw order, owner of the lights in it.
class LightList {
  public:
    // Says whether the camera can see a light this frame.
    using VisibilityTest = std::function<bool(Light&)>;

    LightList() = default;
    ~LightList();
    LightList(const LightList&) = delete;
    LightList& operator=(const LightList&) = delete;

    // The sun becomes element 0 when the list is empty; it is appended otherwise.
    Light* CreateSunLight();
    Light* AddNukeLight(const Float3& position);
    // Takes ownership.
    void Add(Light* light);
    // Deletes the light when the list holds it.
    void Remove(Light* light);
    void Clear();

    // One frame: the C key with numpad plus or minus changes the sun's intensity, with
    // the arrow keys its turn; "nuke" lights grow, fade and expire (at most one expires
    // per frame, the rest of the list then waits for the next frame); the sun takes its
    // saved colours times the intensity; other lights follow their owners. Every light
    // updated gets its culled flag from isVisible.
    void Update(float dt, const InputState& input, const VisibilityTest& isVisible);

    const std::vector<Light*>& Lights() const { return m_lights; }
    Light* MainLight() const { return m_main; }
    float SunIntensity() const { return m_sun_intensity; }
    float SunAngle() const { return m_sun_angle; }

  private:
    std::vector<Light*> m_lights;
    Light* m_main = nullptr;
    float m_sun_intensity = 1.0f;
    float m_sun_angle = 0.0f;
    // The sun as it was made, taken on its first update.
    std::optional<LightRecord> m_saved_sun;
};
