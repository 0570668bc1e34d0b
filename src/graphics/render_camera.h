#pragma once
// The one camera the renderer looks through: its pose, the free-fly debug mode, camera
// shake, the clip planes that cull lights, the frustum box that culls objects, and the
// view and projection, with near and far fitted to what is visible.

#include <random>
#include <vector>

#include "core/bounds.h"
#include "core/math_types.h"
#include "core/types.h"

class Light;
struct InputState;

// The eight corners of a frustum (near face 0-3, far face 4-7, corner k and k + 4 on one
// side edge) and the axis-aligned box around them.
struct FrustumBox {
    Float3 corners[8];
    BoxRecord box;
};

enum ClipPlane : u32 {
    CLIP_NEAR,
    CLIP_FAR,
    CLIP_LEFT,
    CLIP_RIGHT,
    CLIP_TOP,
    CLIP_BOTTOM,
    CLIP_PLANE_COUNT,
};

class RenderCamera {
  public:
    static constexpr float kDefaultNear = 1.0f;
    static constexpr float kDefaultFar = 5000.0f;
    static constexpr float kDefaultFieldOfView = 0.7853982f;

    explicit RenderCamera(float fieldOfView = kDefaultFieldOfView);

    // view = look-at(eye, target, up), projection = perspective(fov, aspect, near, far).
    void UpdateMatrices();
    // Rebuilds the orthonormal up from the current pose; returns the view matrix.
    const Float4x4& OrthonormalizeUp();
    // The six planes of view × projection, normalised, in ClipPlane order.
    void ExtractPlanes(const Float4x4& view, const Float4x4& projection);
    FrustumBox BuildFrustumBox(float nearDistance, float farDistance) const;
    // Near and far from the corners of the boxes given (those that cast shadows and are
    // neither excluded nor spawning), never nearer than the minimum near distance and far
    // at least one unit beyond near; then the matrices. With no boxes near is the minimum
    // and far the culling distance.
    void FitDepthRange(const std::vector<const BoxRecord*>& boxes);
    // Near kDefaultNear, far kDefaultFar and the matrices: what an empty scene gets.
    void ResetDepthRange();

    // The face tests of the frustum box, starting at the face that failed last time
    // (memory slot 0) and remembering the one that fails now.
    static bool IsBoxInFrustum(const BoxRecord& worldBox, FrustumFaceMemory& memory,
                               const FrustumBox& frustum);

    // Debug free-fly camera (mode 1): WASD moves, the mouse turns, left Shift runs.
    // Mode 0 takes eye and target as given.
    void UpdateFreeFly(const InputState& input, float dt);
    void SetPose(const Float3& eye, const Float3& target);

    // Small shake: every 1/24 s the eye and target jump up one unit and back.
    void ShakeJitter(float dt);
    // Large shake: every other 1/24 s eye and target move one unit in a random direction.
    void ShakeRandom(float dt);

    Float3 m_eye{-13.560603f, 13.528235f, 18.401239f};
    Float3 m_target;
    Float3 m_look_offset{0.05728137f, -0.03283931f, -0.07510276f};
    Float3 m_up{0.0f, 1.0f, 0.0f};
    Float3 m_ortho_up{0.0f, 1.0f, 0.0f};
    float m_look_radius = 0.1f;
    float m_yaw = -7.232398f;
    float m_pitch = 1.8053975f;
    float m_move_speed = 1.0f;
    float m_mouse_sensitivity = 0.5f;
    Float4 m_planes[CLIP_PLANE_COUNT];
    float m_min_near = kDefaultNear;
    float m_near = kDefaultNear;
    float m_cull_far = kDefaultFar;
    float m_far = kDefaultFar;
    float m_fov;
    Float4x4 m_view;
    Float4x4 m_projection;
    float m_aspect = 1.6f;

  private:
    struct Shake {
        float timer = 0.0f;
        bool on = false;
        // Whole 1/24 s steps passed in this update.
        u32 Advance(float dt);
    };
    Shake m_jitter;
    Shake m_random;
    Float3 m_shake_direction;
    std::minstd_rand m_random_engine{24};
};

// Disabled lights are never visible; lights farther than the fog range are not, unless
// always visible; "nuke" lights skip the plane test; others are tested as a sphere of
// their range against the six clip planes, starting at the plane that failed last time.
bool IsLightVisible(const RenderCamera& camera, Light& light, float fogRange);

// A random direction of unit length.
Float3 RandomUnitVector(std::minstd_rand& engine);
