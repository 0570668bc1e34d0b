// The robot's third-person camera and its mouse look.
#include <cmath>
#include <numbers>

#include "animation/animation_controller.h"
#include "core/game_object.h"
#include "core/handler_ids.h"
#include "core/math_functions.h"
#include "core/message.h"
#include "core/message_types.h"
#include "game/controls_source.h"
#include "game/player_info.h"
#include "player/player_component.h"
#include "player/player_process.h"

namespace {

constexpr f32 kPi = std::numbers::pi_v<f32>;
constexpr f32 kTwoPi = 2.0f * kPi;
constexpr f32 kTurnRate = 14.0f;
constexpr f32 kOffsetRate = 2.0f;
constexpr f32 kStrafeShift = 4.0f;

constexpr f32 kLookSensitivity = 0.5f;
constexpr f32 kLaserSensitivity = 0.05f;
constexpr f32 kHoldSensitivity = 0.075f;
constexpr f32 kTurnScale = 0.0085f;
constexpr f32 kPitchScale = 0.005f;
constexpr f32 kPitchMargin = 0.2f * kPi;
constexpr f32 kMinTurn = 0.0000099999997f;
constexpr u32 kUpperBodyLayer = 1;

// Moves value toward goal by the fraction rate of the gap, never past it.
f32 Approach(f32 value, f32 goal, f32 rate) {
    const f32 gap = goal - value;
    const f32 next = value + gap * rate;
    if ((gap > 0.0f && next > goal) || (gap <= 0.0f && next < goal)) {
        return goal;
    }
    return next;
}

} // namespace

Vector PlayerComponent::Orbit() const {
    return Vector(std::sin(m_yaw) * std::sin(m_camera_pitch), std::cos(m_camera_pitch),
                  std::cos(m_yaw) * std::sin(m_camera_pitch)) *
           kOrbitRadius;
}

void PlayerComponent::UpdateCamera(float dt, const Quaternion& q) {
    if (owner == nullptr) {
        return;
    }
    // The object's offset is the vector stored after its position.
    const Vector base = owner->position - owner->lastPosition + Vector(0.0f, kCameraHeight, 0.0f);
    m_camera_target = base;

    Vector facing = Quaternion::GetDirection(q) * -1.0f;
    const f32 targetYaw = kTwoPi - (kPi / 2.0f + std::atan2(facing.z, facing.x));
    m_target_yaw = targetYaw;
    m_target_pitch = m_pitch;

    const f32 rate = dt * kTurnRate;
    m_camera_pitch = Approach(m_camera_pitch, m_pitch, rate);

    const f32 a = m_yaw;
    if (std::fabs(a - targetYaw) > kPi) {
        // The short way round crosses the 0/2π seam.
        const f32 s = targetYaw > a ? -1.0f : 1.0f;
        f32 yaw = a + ((targetYaw + kTwoPi * s) - a) * rate;
        while (yaw > kTwoPi) {
            yaw -= kTwoPi;
        }
        while (yaw < 0.0f) {
            yaw += kTwoPi;
        }
        if ((s < 0.0f && targetYaw > yaw) || (s > 0.0f && yaw > targetYaw)) {
            yaw = targetYaw;
        }
        m_yaw = yaw;
    } else {
        m_yaw = Approach(a, targetYaw, rate);
    }

    Vector move = m_input.m_movement;
    if (g_player_mode != 0) {
        move = Vector(0.0f, 0.0f, 0.0f);
    }
    f32 n = move.Length();
    move.z = 0.0f;
    const Vector& held = m_held_camera_offset;
    if (!(held == Vector(0.0f, 0.0f, 0.0f))) {
        if (held.x * move.x + held.y * move.y < 0.0f) {
            move.x *= 0.25f;
        }
        move.x = held.x + move.x;
    }
    const Vector right = Quaternion::GetRight(q);
    if (n == 0.0f) {
        n = 1.0f;
    }
    const Vector goal = right * (-move.x * (kStrafeShift / n));
    m_camera_offset += (goal - m_camera_offset) * (dt * kOffsetRate);

    const Vector orbit = Orbit();
    m_camera_eye = base + orbit + m_camera_offset;
    m_camera_target = base + m_camera_offset;

    PlayerInfo info;
    info.m_target = m_camera_target;
    info.m_eye = m_camera_eye;
    info.m_controls = m_input;
    Message<PlayerInfo> feed(MSG_PLAYER_CAMERA, info);
    SendMessage(&feed, HANDLER_GRAPHICS_PROCESS);
    Message<Vector> listener(MSG_SOUND_LISTENER_POSITION,
                             m_camera_eye - orbit * (kListenerDistance / orbit.Length()));
    SendMessage(&listener, HANDLER_SOUND_PROCESS);
}

void PlayerComponent::UpdateMouseLook(Quaternion& heading) {
    f32 s = m_laser_firing ? kLaserSensitivity : kLookSensitivity;
    if (g_player_mode != 0) {
        s = kHoldSensitivity;
    }
    f32 dx = 0.0f;
    f32 dy = 0.0f;
    if (m_first_mouse_frame) {
        m_first_mouse_frame = 0;
    } else if (m_input_controls != nullptr) {
        const BoundControls& controls = m_input_controls->GetBoundControls();
        dx = controls.m_mouse_x;
        dy = controls.m_mouse_y;
    }
    if (std::fabs(dx) >= kMinTurn && g_player_mode == 0 && !m_dying && owner != nullptr) {
        heading.Integrate(Vector(0.0f, 1.0f, 0.0f), -dx * s * kTurnScale);
        owner->SetOrientation(Math::QuaternionMultiply(heading, owner->lastOrientation));
    }
    m_pitch -= kPi * s * kPitchScale * dy;
    m_pitch = std::fmin(std::fmax(m_pitch, kPitchMargin), kPi - kPitchMargin);
    if (m_animation_controller != nullptr) {
        const bool bowed =
            m_juggernaut || m_animation_controller->GetCurrentAnimationName() == "Die";
        m_animation_controller->SetRotationAngle(kUpperBodyLayer,
                                                 bowed ? kPi * 0.125f : kPi / 2.0f - m_pitch);
    }
}
