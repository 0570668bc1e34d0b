#include "graphics/render_camera.h"

#include <algorithm>
#include <cfloat>
#include <cmath>

#include "core/math_functions.h"
#include "game/input_state.h"
#include "graphics/key_state.h"
#include "graphics/light.h"
#include "platform/input/keys.h"

namespace {

constexpr float kShakeStep = 0.041666668f;
constexpr float kPitchMin = 0.7953982f;
constexpr float kPitchMax = 3.1315928f;
constexpr float kRunFactor = 7.5f;
constexpr float kFramesPerSecond = 59.999996f;
// Stands in for the up vector when the camera looks straight along it.
constexpr Float3 kFallbackUp{0.024f, 21985.443f, -0.092f};
constexpr float kBasisTolerance = 0.001f;

Float3 Add(const Float3& a, const Float3& b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
Float3 Sub(const Float3& a, const Float3& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
Float3 Scale(const Float3& a, float s) {
    return {a.x * s, a.y * s, a.z * s};
}

Float4 Column(const Float4x4& m, int c) {
    return {m(0, c), m(1, c), m(2, c), m(3, c)};
}
Float4 AddPlane(const Float4& a, const Float4& b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z, a.w + b.w};
}
Float4 SubPlane(const Float4& a, const Float4& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z, a.w - b.w};
}

bool Active(const InputState& input, u8 key) {
    return input.m_keys[key] != INPUT_UP;
}

} // namespace

RenderCamera::RenderCamera(float fieldOfView) : m_fov(fieldOfView) {
    m_target = Add(m_eye, m_look_offset);
    UpdateMatrices();
    ExtractPlanes(m_view, m_projection);
}

void RenderCamera::UpdateMatrices() {
    m_view = Math::MatrixLookAtLH(m_eye, m_target, m_up);
    m_projection = Math::MatrixPerspectiveFovLH(m_fov, m_aspect, m_near, m_far);
}

const Float4x4& RenderCamera::OrthonormalizeUp() {
    const Float3 f = Math::Vec3Normalize(Sub(m_target, m_eye));
    const Float3 r = Math::Vec3Normalize(Math::Vec3Cross(m_up, f));
    m_ortho_up = Math::Vec3Normalize(Math::Vec3Cross(f, r));
    return m_view;
}

void RenderCamera::ExtractPlanes(const Float4x4& view, const Float4x4& projection) {
    const Float4x4 m = view * projection;
    const Float4 c1 = Column(m, 0);
    const Float4 c2 = Column(m, 1);
    const Float4 c3 = Column(m, 2);
    const Float4 c4 = Column(m, 3);
    m_planes[CLIP_NEAR] = Math::PlaneNormalize(c3);
    m_planes[CLIP_FAR] = Math::PlaneNormalize(SubPlane(c4, c3));
    m_planes[CLIP_LEFT] = Math::PlaneNormalize(AddPlane(c4, c1));
    m_planes[CLIP_RIGHT] = Math::PlaneNormalize(SubPlane(c4, c1));
    m_planes[CLIP_TOP] = Math::PlaneNormalize(SubPlane(c4, c2));
    m_planes[CLIP_BOTTOM] = Math::PlaneNormalize(AddPlane(c4, c2));
}

FrustumBox RenderCamera::BuildFrustumBox(float nearDistance, float farDistance) const {
    const Float3 f = Math::Vec3Normalize(Sub(m_target, m_eye));
    Float3 r = Math::Vec3Normalize(Math::Vec3Cross(m_up, f));
    Float3 u = Math::Vec3Normalize(Math::Vec3Cross(f, r));
    // The basis built from the up vector is kept only when it is far from orthogonal,
    // which a well-formed one never is; every other case takes the fixed stand-in up.
    const bool keep = std::fabs(Math::Vec3Dot(r, f)) > kBasisTolerance &&
                      std::fabs(Math::Vec3Dot(u, r)) > kBasisTolerance &&
                      std::fabs(Math::Vec3Dot(u, f)) > kBasisTolerance;
    if (!keep) {
        r = Math::Vec3Normalize(Math::Vec3Cross(Math::Vec3Normalize(kFallbackUp), f));
        u = Math::Vec3Normalize(Math::Vec3Cross(f, r));
    }
    const float t = std::tan(m_fov * 0.5f);
    const float nearH = t * nearDistance;
    const float nearW = nearH * m_aspect;
    const float farH = t * farDistance;
    const float farW = farH * m_aspect;
    const Float3 n = Add(m_eye, Scale(f, nearDistance));
    const Float3 fc = Add(m_eye, Scale(f, farDistance));
    FrustumBox frustum;
    const auto face = [&](Float3* out, const Float3& centre, float w, float h) {
        out[0] = Sub(Sub(centre, Scale(r, w)), Scale(u, h));
        out[1] = Add(Sub(centre, Scale(r, w)), Scale(u, h));
        out[2] = Add(Add(centre, Scale(r, w)), Scale(u, h));
        out[3] = Sub(Add(centre, Scale(r, w)), Scale(u, h));
    };
    face(frustum.corners, n, nearW, nearH);
    face(frustum.corners + 4, fc, farW, farH);
    BoundingBox::FromPoints(frustum.box, frustum.corners, sizeof(Float3));
    return frustum;
}

void RenderCamera::FitDepthRange(const std::vector<const BoxRecord*>& boxes) {
    const Float3 f = Math::Vec3Normalize(Sub(m_target, m_eye));
    float maxDepth = 0.0f;
    float minDepth = FLT_MAX;
    for (const BoxRecord* box : boxes) {
        for (const Float3& corner : box->corners) {
            const float depth = Math::Vec3Dot(Sub(corner, m_eye), f);
            maxDepth = std::max(maxDepth, depth);
            minDepth = std::min(minDepth, depth);
        }
    }
    if (minDepth == FLT_MAX) {
        // Nothing counted: an infinite near plane would draw nothing at all.
        m_near = m_min_near;
        m_far = std::max(m_near + 1.0f, m_cull_far);
    } else {
        m_near = std::max(minDepth, m_min_near);
        m_far = std::max(m_near + 1.0f, maxDepth);
    }
    UpdateMatrices();
}

void RenderCamera::ResetDepthRange() {
    m_near = kDefaultNear;
    m_far = kDefaultFar;
    UpdateMatrices();
}

bool RenderCamera::IsBoxInFrustum(const BoxRecord& worldBox, FrustumFaceMemory& memory,
                                  const FrustumBox& frustum) {
    return Math::BoxInFrustum(&frustum.corners[0].x, Vector(), 0, worldBox, memory);
}

void RenderCamera::UpdateFreeFly(const InputState& input, float dt) {
    float speed = dt * kFramesPerSecond * m_move_speed;
    if (key_state::Held(input, input::key::LeftShift)) {
        speed *= kRunFactor;
    }
    if (input.m_mouse_x != 0) {
        m_yaw -= static_cast<float>(input.m_mouse_x) * 0.01f * m_mouse_sensitivity;
    }
    if (input.m_mouse_y != 0) {
        m_pitch += static_cast<float>(input.m_mouse_y) * 0.01f * m_mouse_sensitivity;
    }
    m_pitch = std::clamp(m_pitch, kPitchMin, kPitchMax);
    m_look_offset = Scale({std::cos(m_yaw) * std::sin(m_pitch), std::cos(m_pitch),
                           std::sin(m_yaw) * std::sin(m_pitch)},
                          m_look_radius);
    m_target = Add(m_eye, m_look_offset);
    const Float3 f = Math::Vec3Normalize(Sub(m_target, m_eye));
    const Float3 side = Math::Vec3Normalize(Math::Vec3Cross(m_up, f));
    if (Active(input, input::key::A)) {
        m_eye = Sub(m_eye, Scale(side, speed));
    } else if (Active(input, input::key::D)) {
        m_eye = Add(m_eye, Scale(side, speed));
    }
    if (Active(input, input::key::W)) {
        m_eye = Add(m_eye, Scale(f, speed));
    } else if (Active(input, input::key::S)) {
        m_eye = Sub(m_eye, Scale(f, speed));
    }
    m_target = Add(m_eye, m_look_offset);
}

void RenderCamera::SetPose(const Float3& eye, const Float3& target) {
    m_eye = eye;
    m_target = target;
    m_look_offset = Sub(target, eye);
}

u32 RenderCamera::Shake::Advance(float dt) {
    timer += dt;
    u32 flips = 0;
    while (timer > kShakeStep) {
        timer -= kShakeStep;
        on = !on;
        ++flips;
    }
    return flips;
}

void RenderCamera::ShakeJitter(float dt) {
    m_jitter.Advance(dt);
    if (m_jitter.on) {
        m_eye.y += 1.0f;
        m_target.y += 1.0f;
    }
}

void RenderCamera::ShakeRandom(float dt) {
    const bool wasOn = m_random.on;
    const u32 flips = m_random.Advance(dt);
    // A new direction each time the toggle turns on (more than one flip in a long frame
    // still draws once: only the last turn matters for this frame).
    if (m_random.on && (flips > 1 || !wasOn)) {
        m_shake_direction = RandomUnitVector(m_random_engine);
    }
    if (m_random.on) {
        m_eye = Add(m_eye, m_shake_direction);
        m_target = Add(m_target, m_shake_direction);
    }
}

bool IsLightVisible(const RenderCamera& camera, Light& light, float fogRange) {
    if (!light.m_enabled) {
        return false;
    }
    const Float3& p = light.m_light.position;
    if (!light.m_always_visible) {
        const Float3 d = Sub(p, camera.m_eye);
        if (Math::Vec3Dot(d, d) > fogRange * fogRange) {
            return false;
        }
    }
    if (light.m_name == Light::kNukeName) {
        return true;
    }
    const float radius = light.m_light.range;
    u32 plane = light.m_last_failed_plane % CLIP_PLANE_COUNT;
    for (u32 tried = 0; tried < CLIP_PLANE_COUNT; ++tried) {
        const Float4& q = camera.m_planes[plane];
        if (q.x * p.x + q.y * p.y + q.z * p.z + q.w < -radius) {
            light.m_last_failed_plane = plane;
            return false;
        }
        plane = (plane + 1) % CLIP_PLANE_COUNT;
    }
    return true;
}

Float3 RandomUnitVector(std::minstd_rand& engine) {
    const auto component = [&engine] {
        return 2.0f * static_cast<float>(engine() % 10001) * 0.0001f - 1.0f;
    };
    Float3 v{component(), component(), component()};
    // An all-zero draw (possible though rare) points up instead of dividing by zero.
    if (Math::Vec3Length(v) == 0.0f) {
        return {0.0f, 1.0f, 0.0f};
    }
    return Math::Vec3Normalize(v);
}
