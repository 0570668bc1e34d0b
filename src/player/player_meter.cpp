// The robot keeping its own body in step: the health meter ring on its chest, the head that
// grows back after a throw, and the power-up step.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "PhysX/physx_component.h"
#include "content/particle_system_info.h"
#include "core/component_type.h"
#include "core/game_object.h"
#include "core/handler_ids.h"
#include "core/math_functions.h"
#include "core/message.h"
#include "core/message_types.h"
#include "game/holdable.h"
#include "graphics/graphic_component.h"
#include "graphics/particle_system_cpu.h"
#include "player/player_component.h"
#include "player/player_effects.h"

namespace {

constexpr f32 kPi = std::numbers::pi_v<f32>;
constexpr int kSegments = 12;
constexpr u32 kFirstSegment = 6;
constexpr f32 kRingTilt = kPi / 18.0f;
constexpr f32 kLitBrightness = 15.0f;
constexpr f32 kRegrowStart = 3.0f;
constexpr f32 kRegrowEnd = 4.0f;

GraphicComponent* FirstGraphic(const GameObject& object) {
    return dynamic_cast<GraphicComponent*>(object.GetComponent(ComponentType::Graphic));
}

void RotateDirection(f32 (&v)[3], const Quaternion& q) {
    const Vector turned = Math::RotateByQuaternion(Vector(v[0], v[1], v[2]), q);
    v[0] = turned.x;
    v[1] = turned.y;
    v[2] = turned.z;
}

} // namespace

void PlayerComponent::IncreasePowerLevel() {
    m_power_level = std::min(m_power_level + 1, kMaxPowerLevel);
    SendToHandler(MSG_PLAYER_POWER_LEVEL, HANDLER_BUILDING_PROCESS);
}

void PlayerComponent::UpdateHealthMeter() {
    GameObject* const body = Part(kBody);
    if (body == nullptr || m_max_health == 0.0f) {
        return;
    }
    const int n = static_cast<int>(m_health / m_max_health * kSegments);
    if (m_meter_segments > n) {
        m_meter_segments = n;
        const Vector at =
            body->position + Math::RotateByQuaternion(Vector(0.0f, 1.25f, 2.6f), body->orientation);
        if (ParticleSystemCPU* sparks = CreateEffect("RobotMeterSparks", at)) {
            RotateDirection(sparks->settings.velocityInitialLow, owner->orientation);
            RotateDirection(sparks->settings.velocityInitialHigh, owner->orientation);
        }
    }
    const Quaternion tilt = Math::QuaternionRotationMatrix(Math::MatrixRotationX(kRingTilt));
    for (int i = 0; i < kSegments; ++i) {
        // A robot built with fewer segments shows the ones it has.
        GameObject* const segment = Part(kFirstSegment + static_cast<u32>(i));
        if (segment == nullptr) {
            break;
        }
        const f32 theta = (static_cast<f32>(i) / 6.0f + 1.0f / 12.0f) * kPi;
        const Float4x4 turn = Math::MatrixRotationZ(theta) * Math::MatrixRotationX(kRingTilt);
        const Vector local = Vector(Math::Vec3TransformCoord(Vector(0.0f, 0.9f, 0.0f), turn)) +
                             Vector(0.0f, 2.25f, 2.6f);
        segment->SetPosition(body->position + Math::RotateByQuaternion(local, body->orientation));
        segment->SetOrientation(
            Math::QuaternionMultiply(Math::QuaternionMultiply(body->orientation, tilt),
                                     Math::QuaternionRotationMatrix(Math::MatrixRotationZ(theta))));
        segment->SetScale(Vector(1.25f, 1.25f, 2.0f));
        if (GraphicComponent* graphic = FirstGraphic(*segment)) {
            graphic->SetHdrMultiplier(i <= n ? kLitBrightness : 1.0f);
        }
    }
}

void PlayerComponent::UpdateHeadRegrowth(float dt) {
    GameObject* const body = Part(kBody);
    GameObject* const head = Part(1);
    auto* const cables =
        body != nullptr
            ? dynamic_cast<PlayerChildComponent*>(body->GetComponent(ComponentType::PlayerChild))
            : nullptr;
    const auto bulge = [cables](f32 amplitude, f32 centre, f32 spread) {
        if (cables != nullptr) {
            cables->SetBulge(amplitude, centre, spread);
        }
    };
    if (m_head_off_time < 0.0f) {
        bulge(0.0f, 0.0f, 0.0f);
        return;
    }
    m_head_off_time += dt;
    if (m_head_off_time < kRegrowStart) {
        bulge(0.0f, 0.0f, 0.0f);
        return;
    }
    if (m_head_thrown) {
        m_reply_object = nullptr;
        Message<std::string> create(MSG_LEVEL_CREATE_OBJECT, std::string("FakeRobotHead"));
        SendMessage(&create, HANDLER_LEVEL_STATE);
        if (GameObject* grown = m_reply_object) {
            m_fake_head = grown;
            grown->SetScale(Vector(0.1f, 0.1f, 0.1f));
            grown->NotifyComponents();
            if (auto* holdable =
                    dynamic_cast<Holdable*>(grown->GetComponent(ComponentType::Bullet))) {
                holdable->SetHeld();
            }
        }
        m_head_thrown = 0;
    }
    const f32 f = std::min(1.0f - (kRegrowEnd - m_head_off_time), 1.0f);
    if (m_head_off_time < kRegrowEnd) {
        bulge(f, 1.5f * f, 0.5f * f);
    } else {
        bulge(0.0f, 0.0f, 0.0f);
    }
    if (body != nullptr && head != nullptr && m_fake_head != nullptr) {
        m_fake_head->SetPosition((body->position + Vector(0.0f, 3.0f, 0.0f)) * (1.0f - f) +
                                 head->position * f);
        m_fake_head->SetScale(Vector(f, f, f));
        m_fake_head->SetOrientation(head->orientation);
    }
    if (m_head_off_time >= kRegrowEnd) {
        if (head != nullptr) {
            player_effects::ShowGraphics(*head, true);
            if (auto* physics =
                    dynamic_cast<PhysXComponent*>(head->GetComponent(ComponentType::Physics))) {
                physics->SetCollisionEnabled(true);
            }
        }
        m_head_off_time = -1.0f;
        Message<GameObject*> remove(MSG_LEVEL_DELETE_OBJECT, m_fake_head);
        SendMessage(&remove, HANDLER_LEVEL_STATE);
        m_fake_head = nullptr;
    }
}
