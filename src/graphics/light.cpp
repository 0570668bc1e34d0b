#include "graphics/light.h"

#include <algorithm>
#include <cmath>

#include "core/game_object.h"
#include "core/math_functions.h"
#include "core/stream_map.h"
#include "game/input_state.h"
#include "graphics/key_state.h"
#include "platform/input/keys.h"

namespace {

constexpr float kNukeGrowth = 10.0f;
constexpr float kNukeFadeStart = 3.5f;
constexpr float kNukeLifetime = 7.0f;
constexpr float kSunMinimumAmbient = 0.2f;
constexpr float kKeyStep = 0.01f;

using key_state::Held;

ColorValue ReadColor(StreamMap& stream) {
    float v[4] = {};
    stream.ReadVector4(v);
    return {v[0], v[1], v[2], v[3]};
}

Float3 ReadFloat3(StreamMap& stream) {
    float v[3] = {};
    stream.ReadVector3(v);
    return {v[0], v[1], v[2]};
}

} // namespace

Light::Light(bool enabled, const std::string& name, const LightRecord& record)
    : m_light(record), m_enabled(enabled), m_name(name), m_base_direction(record.direction) {}

void Light::Update(float) {
    if (m_detached || owner == nullptr) {
        return;
    }
    const Float4x4 rotation = Math::MatrixRotationQuaternion(owner->orientation);
    const Float3 r = Math::Vec3TransformNormal(m_offset, rotation);
    if (m_light.type == LIGHT_SPOT) {
        m_light.direction =
            Math::Vec3Normalize(Math::Vec3TransformNormal(m_base_direction, rotation));
    }
    m_light.position = {owner->position.x + r.x, owner->position.y + r.y, owner->position.z + r.z};
}

LightDefinition ReadLightDefinition(StreamMap& stream) {
    LightDefinition definition;
    LightRecord& light = definition.light;
    std::string kind;
    stream.ReadString(kind);
    light.type = kind == "SPOT" ? LIGHT_SPOT : LIGHT_POINT;
    light.diffuse = ReadColor(stream);
    light.specular = ReadColor(stream);
    definition.offset = ReadFloat3(stream);
    light.direction = ReadFloat3(stream);
    // A zero direction (a point light's usual value) stays zero instead of becoming NaN.
    if (Math::Vec3Length(light.direction) > 0.0f) {
        light.direction = Math::Vec3Normalize(light.direction);
    }
    stream.ReadFloat(light.range);
    stream.ReadFloat(light.phi);
    stream.ReadFloat(light.theta);
    stream.ReadFloat(light.attenuation0);
    stream.ReadFloat(light.attenuation1);
    stream.ReadFloat(light.attenuation2);
    stream.ReadBool(definition.enabled);
    stream.ReadFloat(definition.volumetricAmount);
    stream.ReadBool(definition.alwaysVisible);
    return definition;
}

LightRecord SunLightRecord() {
    LightRecord light;
    light.type = LIGHT_DIRECTIONAL;
    light.diffuse = {0.9f, 0.9f, 0.9f, 1.0f};
    light.specular = {0.6f, 0.6f, 0.6f, 1.0f};
    light.ambient = {0.4f, 0.4f, 0.4f, 1.0f};
    light.position = {-1500.0f, 1500.0f, -1300.0f};
    light.direction = Math::Vec3Normalize({2.0f, -2.0f, 1.5f});
    light.range = 50.0f;
    light.attenuation1 = 0.5f;
    return light;
}

LightRecord NukeLightRecord(const Float3& position) {
    LightRecord light;
    light.type = LIGHT_POINT;
    light.diffuse = {0.9f, 0.9f, 0.9f, 1.0f};
    light.specular = light.diffuse;
    light.position = position;
    light.range = 2.0f;
    light.falloff = 2.0f;
    light.attenuation2 = 0.005f;
    return light;
}

LightList::~LightList() {
    Clear();
}

Light* LightList::CreateSunLight() {
    auto* sun = new Light(true, Light::kSunName, SunLightRecord());
    m_lights.push_back(sun);
    m_main = sun;
    m_saved_sun.reset();
    return sun;
}

Light* LightList::AddNukeLight(const Float3& position) {
    auto* nuke = new Light(true, Light::kNukeName, NukeLightRecord(position));
    m_lights.push_back(nuke);
    return nuke;
}

void LightList::Add(Light* light) {
    if (light != nullptr) {
        m_lights.push_back(light);
    }
}

void LightList::Remove(Light* light) {
    const auto found = std::find(m_lights.begin(), m_lights.end(), light);
    if (found == m_lights.end()) {
        return;
    }
    m_lights.erase(found);
    if (light == m_main) {
        m_main = nullptr;
    }
    delete light;
}

void LightList::Clear() {
    for (Light* light : m_lights) {
        delete light;
    }
    m_lights.clear();
    m_main = nullptr;
    m_saved_sun.reset();
}

void LightList::Update(float dt, const InputState& input, const VisibilityTest& isVisible) {
    const bool tuning = Held(input, input::key::C);
    if (tuning && Held(input, input::key::NumpadPlus)) {
        m_sun_intensity += kKeyStep;
    }
    if (tuning && Held(input, input::key::NumpadMinus)) {
        m_sun_intensity -= kKeyStep;
    }
    for (std::size_t i = 0; i < m_lights.size(); ++i) {
        Light* light = m_lights[i];
        LightRecord& record = light->m_light;
        if (light->m_name == Light::kNukeName) {
            light->m_timer += dt;
            record.range += dt * kNukeGrowth;
            if (light->m_timer > kNukeFadeStart) {
                const float f = 1.0f - (kNukeLifetime - light->m_timer) * (1.0f / kNukeFadeStart);
                const float level = 0.9f - 0.9f * f;
                record.diffuse = {level, level, level, 1.0f - f};
                record.specular = record.diffuse;
            }
            if (light->m_timer > kNukeLifetime) {
                m_lights.erase(m_lights.begin() + static_cast<std::ptrdiff_t>(i));
                delete light;
                return;
            }
            light->m_base_direction = record.direction;
        } else if (i == 0) {
            if (!m_saved_sun) {
                m_saved_sun = record;
            }
            const LightRecord& saved = *m_saved_sun;
            const float k = m_sun_intensity;
            record.diffuse = {saved.diffuse.r * k, saved.diffuse.g * k, saved.diffuse.b * k,
                              record.diffuse.a};
            record.specular = {saved.specular.r * k, saved.specular.g * k, saved.specular.b * k,
                               record.specular.a};
            record.ambient = {std::max(saved.ambient.r * k, kSunMinimumAmbient),
                              std::max(saved.ambient.g * k, kSunMinimumAmbient),
                              std::max(saved.ambient.b * k, kSunMinimumAmbient), record.ambient.a};
            if (tuning && Held(input, input::key::Left)) {
                m_sun_angle -= kKeyStep;
            }
            if (tuning && Held(input, input::key::Right)) {
                m_sun_angle += kKeyStep;
            }
            record.direction = Math::Vec3Normalize(
                Math::Vec3TransformNormal(saved.direction, Math::MatrixRotationZ(m_sun_angle)));
            light->m_base_direction = record.direction;
        } else {
            light->Update(dt);
        }
        light->m_culled = isVisible ? !isVisible(*light) : false;
    }
}

void Light::PlaceSun(const Float3& point) {
    constexpr float kSunDistance = 18200.0f;
    const Float3& d = m_light.direction;
    m_light.position = {point.x - d.x * kSunDistance, point.y - d.y * kSunDistance,
                        point.z - d.z * kSunDistance};
    UpdateShadowMatrices();
}

void Light::UpdateShadowMatrices() {
    const Float3& p = m_light.position;
    const Float3& d = m_light.direction;
    m_shadow_view = Math::MatrixLookAtLH(p, {p.x + d.x, p.y + d.y, p.z + d.z}, {0.0f, 1.0f, 0.0f});
    const float h = 2.0f * std::tan(m_shadow_fov * 0.5f) * m_shadow_far;
    m_shadow_projection = Math::MatrixOrthoLH(h * m_shadow_aspect, h, m_shadow_near, m_shadow_far);
}
