// The robot's right hand: picking up a unit, a building or its own head, carrying it, marking
// the unit a throw would aim at, and the throw.
#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

#include "PhysX/physx_component.h"
#include "animation/animation_controller.h"
#include "animation/joint.h"
#include "animation/skeleton.h"
#include "core/component_type.h"
#include "core/game_object.h"
#include "core/handler_ids.h"
#include "core/math_functions.h"
#include "core/message.h"
#include "core/message_types.h"
#include "game/holdable.h"
#include "game/input_state.h"
#include "graphics/graphic_component.h"
#include "graphics/particle_system_cpu.h"
#include "platform/physics/types.h"
#include "platform/system/log.h"
#include "player/player_component.h"
#include "player/player_effects.h"

namespace {

constexpr f32 kPi = std::numbers::pi_v<f32>;
constexpr f32 kLongPress = 0.35f;
constexpr f32 kAttachAfter = 0.15f;
constexpr f32 kThrowRelease = 0.3f;
constexpr f32 kPartsPassThrough = 0.75f;
constexpr f32 kThrowSpeed = 250.0f;
constexpr f32 kThrowSpin = 300.0f;
constexpr f32 kThrownLifetime = 3.0f;
constexpr f32 kTrackFade = 0.51f;
constexpr f32 kDefaultBlend = -1.0f;
constexpr const char* kThrowSound = "assets/sound fx/punch.mp3";
constexpr const char* kReticle = "Reticle";

PhysXComponent* BodyOf(const GameObject* object) {
    return object != nullptr
               ? dynamic_cast<PhysXComponent*>(object->GetComponent(ComponentType::Physics))
               : nullptr;
}

f32 DistanceSq(const Vector& a, const Vector& b) {
    const Vector d = a - b;
    return d.x * d.x + d.y * d.y + d.z * d.z;
}

// The aim from the camera's eye to its target; a zero vector stays as it is.
Vector Aim(const Vector& target, const Vector& eye) {
    const Vector d = target - eye;
    return Math::Vec3Length(d) > 0.0f ? Vector(Math::Vec3Normalize(d)) : d;
}

// The components of the object that carry the held and thrown marks.
template <typename F> void EachHoldable(GameObject* object, F&& f) {
    for (const u32 type : {ComponentType::Bullet, ComponentType::Building}) {
        if (auto* holdable = dynamic_cast<Holdable*>(object->GetComponent(type))) {
            f(*holdable);
        }
    }
}

ParticleSystemCPU* FindReticle(const GameObject* object) {
    const auto systems = object->components.find(ComponentType::ParticleSystem);
    if (systems == object->components.end()) {
        return nullptr;
    }
    for (Component* c : systems->second) {
        auto* system = dynamic_cast<ParticleSystemCPU*>(c);
        if (system != nullptr && system->settings.systemName == kReticle) {
            return system;
        }
    }
    return nullptr;
}

void SizeReticle(ParticleSystemCPU& reticle, const std::string& type) {
    f32 size = 0.0f;
    Vector offset;
    if (type == "AI-Boss-Fly-UFO" || type == "AI-Boss-Fly-MothershipTurret") {
        size = 20.0f;
    } else if (type == "AI-Boss-Fly-MothershipBFGCore") {
        size = 25.0f;
        offset = Vector(0.0f, -10.0f, 0.0f);
    } else if (type == "AI-Boss-Fly-MothershipHatch") {
        size = 30.0f;
        offset = Vector(0.0f, -25.0f, 0.0f);
    } else if (type == "AI-Fly-MediumUFO") {
        size = 12.0f;
    } else {
        return;
    }
    ParticleSettings& s = reticle.settings;
    s.sizeInitialLow = s.sizeInitialHigh = s.sizeFinalLow = s.sizeFinalHigh = size;
    s.offsetPosition[0] = offset.x;
    s.offsetPosition[1] = offset.y;
    s.offsetPosition[2] = offset.z;
}

} // namespace

bool PlayerComponent::AskValid(GameObject* object, u32 type, u32 handler) {
    m_reply_valid = 0;
    Message<GameObject*> ask(type, object);
    SendMessage(&ask, handler);
    return m_reply_valid != 0;
}

GameObject* PlayerComponent::AskObject(u32 type, u32 handler, const Vector& aim) {
    m_reply_object = nullptr;
    Message<std::pair<GameObject*, Vector>> ask(type, std::make_pair(owner, aim));
    SendMessage(&ask, handler);
    return m_reply_object;
}

void PlayerComponent::UnmarkThrowTarget(GameObject* unit) {
    if (ParticleSystemCPU* reticle = FindReticle(unit)) {
        player_effects::Remove(*unit, reticle);
    }
}

void PlayerComponent::SetPartsCollision(bool enabled) {
    for (const u32 k : {kRightArm, 1u, kBody}) {
        if (PhysXComponent* body = PartBody(k)) {
            body->SetCollisionEnabled(enabled);
        }
    }
}

void PlayerComponent::UpdateGrab(float dt) {
    m_held_camera_offset = Vector(0.0f, 0.0f, 0.0f);
    AnimationController* const anim = m_animation_controller;
    if (owner == nullptr || anim == nullptr) {
        return;
    }
    const u8 key = m_input.m_controls[CONTROL_GRAB_THROW];

    // The held object may have been destroyed since the last frame. The robot's own head is
    // its own to keep; anything else is asked about before it is read.
    if (m_arm_state >= 1 && m_arm_state <= 3 && m_held_object != nullptr &&
        m_held_object != m_fake_head &&
        !AskValid(m_held_object, MSG_AI_OBJECT_VALID, HANDLER_AI_VIEW_PROCESS) &&
        !AskValid(m_held_object, MSG_BUILDING_VALID, HANDLER_BUILDING_PROCESS)) {
        anim->DisableTrack(2, kTrackFade);
        m_held_object = nullptr;
        m_arm_state = kArmFree;
    }

    if (m_arm_state == kArmFree && !m_laser_firing) {
        if ((key == INPUT_HELD && m_grab_hold_time > 0.0f) || key == INPUT_PRESSED) {
            m_grab_hold_time += dt;
        }
        if (m_grab_hold_time > 0.0f && (key == INPUT_RELEASED || m_grab_hold_time >= kLongPress)) {
            StartGrab();
        }
    }
    if (!m_laser_firing && (key == INPUT_RELEASED || key == INPUT_UP)) {
        m_grab_hold_time = 0.0f;
    }

    if (m_arm_state == 1) {
        m_arm_timer += dt;
        if (m_arm_timer >= kAttachAfter) {
            AttachHeldObject();
        }
        if (anim->IsAnimationFinished("Grab")) {
            anim->PlayAnimation(2, "Hold", kDefaultBlend);
            m_arm_state = 2;
            m_arm_timer = 0.0f;
            if (PhysXComponent* body = BodyOf(m_held_object)) {
                body->SetCollisionEnabled(true);
            }
        }
    }

    if (m_arm_state == 2) {
        HoldingStep(key);
    }

    UpdateHeadRegrowth(dt);

    if (m_parts_collision_time >= 0.0f) {
        m_parts_collision_time += dt;
        if (m_parts_collision_time >= kPartsPassThrough && PartBody(kRightArm) != nullptr) {
            m_parts_collision_time = -1.0f;
            SetPartsCollision(true);
        }
    }

    if (m_arm_state == 3) {
        m_arm_timer += dt;
        if (m_arm_timer <= kThrowRelease) {
            AttachHeldObject();
        } else {
            m_grab_hold_time = 0.0f;
            if (m_held_object != nullptr) {
                Throw();
            }
        }
        if (anim->IsAnimationFinished("Throw")) {
            anim->DisableTrack(2, kTrackFade);
            m_arm_state = kArmFree;
        }
    }
}

void PlayerComponent::StartGrab() {
    m_held_object = nullptr;
    GameObject* taken = nullptr;
    if (m_grab_hold_time < kLongPress || m_head_off_time >= 0.0f) {
        const Vector aim = Aim(m_camera_target, m_camera_eye);
        GameObject* const unit = AskObject(MSG_AI_OBJECT_TO_GRAB, HANDLER_AI_VIEW_PROCESS, aim);
        GameObject* const building = AskObject(MSG_BUILDING_TO_GRAB, HANDLER_BUILDING_PROCESS, aim);
        const Vector p = owner->position + Vector(0.0f, 15.0f, 0.0f);
        if (unit != nullptr && building != nullptr) {
            // At equal distances the building is taken.
            taken =
                DistanceSq(building->position, p) > DistanceSq(unit->position, p) ? unit : building;
        } else {
            taken = unit != nullptr ? unit : building;
        }
        if (taken != nullptr && taken == unit) {
            Message<unsigned int> grab(MSG_GRAB, unit->id);
            SendMessage(&grab, HANDLER_AI_VIEW_PROCESS);
        }
        m_held_object = taken;
    }
    m_grab_hold_time = 0.0f;
    if (taken == nullptr && m_head_off_time < 0.0f) {
        PullHead();
    }
    if (m_held_object != nullptr) {
        sys::Log() << "PlayerComponent: grabs " << m_held_object->name << " at "
                   << m_held_object->position.x << ", " << m_held_object->position.y << ", "
                   << m_held_object->position.z;
        BeginHolding();
    }
}

void PlayerComponent::PullHead() {
    m_reply_object = nullptr;
    Message<std::string> create(MSG_LEVEL_CREATE_OBJECT, std::string("FakeRobotHead"));
    SendMessage(&create, HANDLER_LEVEL_STATE);
    GameObject* const head = m_reply_object;
    if (head == nullptr) {
        return;
    }
    if (BodyOf(head) == nullptr) {
        // A head that cannot fly is no head to throw: the robot keeps its own.
        Message<GameObject*> remove(MSG_LEVEL_DELETE_OBJECT, head);
        SendMessage(&remove, HANDLER_LEVEL_STATE);
        return;
    }
    m_held_object = head;
    m_fake_head = head;
    head->SetOrientation(owner->orientation);
    head->SetPosition(owner->position +
                      Math::RotateByQuaternion(Vector(0.0f, 16.0f, -5.0f), owner->orientation));
    head->NotifyComponents();
    GameObject* const realHead = Part(1);
    if (m_laser_cooldown > 0.0f) {
        // The cooldown glow goes with the head.
        if (ParticleSystemCPU* glow = CreateEffect("LaserCooldown", head->position)) {
            glow->settings.systemLife = m_laser_cooldown * 1000.0f;
            player_effects::Attach(*head, glow);
        }
        if (realHead != nullptr) {
            const auto systems = realHead->components.find(ComponentType::ParticleSystem);
            if (systems != realHead->components.end() && !systems->second.empty()) {
                player_effects::Remove(*realHead,
                                       dynamic_cast<ParticleSystemCPU*>(systems->second.front()));
            }
        }
    }
    if (realHead != nullptr) {
        player_effects::ShowGraphics(*realHead, false);
        if (PhysXComponent* body = BodyOf(realHead)) {
            body->SetCollisionEnabled(false);
        }
    }
}

void PlayerComponent::BeginHolding() {
    GameObject* const held = m_held_object;
    m_grab_orientation = held == m_fake_head
                             ? Math::QuaternionRotationMatrix(Math::MatrixRotationY(kPi))
                             : owner->orientation;
    m_hold_axis = 1;
    if (held->boundingBox != nullptr) {
        const Vector& ext = held->boundingBox->m_extents;
        const f32 e[3] = {ext.x, ext.y, ext.z};
        int i = 0;
        for (int k = 1; k < 3; ++k) {
            if (e[k] > e[i]) {
                i = k;
            }
        }
        const bool isLong =
            e[i] > 20.0f && (e[i] / e[(i + 1) % 3] > 1.5f || e[i] / e[(i + 2) % 3] > 1.5f);
        if (isLong) {
            // The long axis hangs down the arm.
            if (i == 0) {
                m_grab_orientation =
                    Math::QuaternionRotationMatrix(Math::MatrixRotationZ(-kPi / 2));
            } else if (i == 2) {
                m_grab_orientation =
                    Math::QuaternionRotationMatrix(Math::MatrixRotationX(-kPi / 2));
            }
            m_hold_axis = i;
        }
    }
    EachHoldable(held, [](Holdable& h) { h.SetHeld(); });
    if (PhysXComponent* body = BodyOf(held)) {
        body->SetCollisionEnabled(false);
    }
    m_arm_timer = 0.0f;
    m_arm_state = 1;
    m_animation_controller->PlayAnimation(2, "Grab", kDefaultBlend);
    m_animation_controller->AdjustAnimation(
        "Grab", Math::RotateByQuaternion(held->position - owner->position,
                                         Math::QuaternionInverse(owner->orientation)));
}

void PlayerComponent::HoldingStep(u8 key) {
    AttachHeldObject();
    Vector aim = Aim(m_camera_target, m_camera_eye);
    aim.y += 0.1f;
    aim = Aim(aim, Vector(0.0f, 0.0f, 0.0f));
    GameObject* const candidate =
        AskObject(MSG_AI_OBJECT_TO_THROW_TO, HANDLER_AI_VIEW_PROCESS, aim);
    if (candidate != nullptr && FindReticle(candidate) == nullptr) {
        if (ParticleSystemCPU* reticle = CreateEffect(kReticle, candidate->position)) {
            SizeReticle(*reticle, candidate->name);
            player_effects::Attach(*candidate, reticle);
        }
    }
    if (m_throw_target != nullptr && m_throw_target != candidate &&
        AskValid(m_throw_target, MSG_AI_OBJECT_VALID, HANDLER_AI_VIEW_PROCESS)) {
        UnmarkThrowTarget(m_throw_target);
    }
    m_throw_target = candidate;
    if (m_arm_state == 2 && !m_laser_firing && key == INPUT_PRESSED) {
        m_animation_controller->PlayAnimation(2, "Throw", kDefaultBlend);
        PlayOnce(kThrowSound, 1.0f);
        if (m_throw_target != nullptr &&
            AskValid(m_throw_target, MSG_AI_OBJECT_VALID, HANDLER_AI_VIEW_PROCESS)) {
            UnmarkThrowTarget(m_throw_target);
        }
        m_arm_state = 3;
        m_arm_timer = 0.0f;
    }
}

void PlayerComponent::Throw() {
    GameObject* const held = m_held_object;
    const Vector a = Aim(m_camera_target, m_camera_eye);
    const bool targeted = m_throw_target != nullptr &&
                          AskValid(m_throw_target, MSG_AI_OBJECT_VALID, HANDLER_AI_VIEW_PROCESS);
    Vector d = a;
    if (targeted) {
        d = m_throw_target->position - held->position;
        const f32 s = Math::Vec3Length(d) * 0.0033333334f;
        d.y += 22.0f * s * s * s;
        d = Vector(Math::Vec3Normalize(d)) * 2.0f;
    }
    const f32 along = d.x * a.x + d.y * a.y + d.z * a.z;
    const Vector base =
        std::fabs(along - 1.0f) < 0.0000099999997f ? owner->velocity * 0.5f : Vector();
    const f32 k = targeted ? 0.1f : 1.0f;
    held->SetVelocity(d * kThrowSpeed + base * k);
    sys::Log() << "PlayerComponent: throws " << held->name << " at " << held->velocity.x << ", "
               << held->velocity.y << ", " << held->velocity.z;
    Message<GameObject*> thrown(MSG_THROWN, held);
    SendMessage(&thrown, HANDLER_AI_VIEW_PROCESS);
    const bool spent = m_throw_target == nullptr;
    EachHoldable(held, [spent](Holdable& h) { h.SetThrown(kThrownLifetime, spent); });
    if (PhysXComponent* body = BodyOf(held)) {
        body->SetDamping(0.0f);
        if (body->GetActor() != nullptr) {
            body->ApplyDamping();
        }
        body->AddTorque(body->GetMassSpaceInertia() * kThrowSpin * body->GetMass());
        body->SetKinematic(false);
        body->ClearBodyFlags(physics::body_flag::kFrozen);
    }
    if (held == m_fake_head) {
        // The thrown head is the projectiles' now: it may blow up on its first contact, so
        // the robot keeps no hold of it (a new one grows from the neck).
        m_head_thrown = 1;
        m_head_off_time = 0.0f;
        m_fake_head = nullptr;
    }
    if (PartBody(kRightArm) != nullptr) {
        m_parts_collision_time = 0.0f;
        GameObject* const arm = Part(kRightArm);
        if (arm != nullptr && arm->boundingSphere != nullptr) {
            // The robot's own body does not stop what it has just thrown.
            SetPartsCollision(false);
        }
    }
    m_held_object = nullptr;
    m_throw_target = nullptr;
}

void PlayerComponent::AttachHeldObject() {
    GameObject* const held = m_held_object;
    if (held == nullptr) {
        return;
    }
    GameObject* hand = Part(kRightArm);
    if (m_animation_controller != nullptr && m_animation_controller->m_skeleton != nullptr &&
        m_animation_controller->m_skeleton->m_joints.size() > Skeleton::kRightArm) {
        if (auto* joint = dynamic_cast<JointComponent*>(
                m_animation_controller->m_skeleton->m_joints[Skeleton::kRightArm].get())) {
            if (joint->owner != nullptr) {
                hand = joint->owner;
            }
        }
    }
    if (hand == nullptr) {
        return;
    }
    Vector o(0.0f, -3.0f, 0.0f);
    if (held->name.find("Billboard") != std::string::npos) {
        o.y += 3.0f;
    }
    f32 e[3] = {0.0f, 0.0f, 0.0f};
    if (held->boundingBox != nullptr) {
        const Vector& ext = held->boundingBox->m_extents;
        e[0] = ext.x;
        e[1] = ext.y;
        e[2] = ext.z;
    }
    const int axis = m_hold_axis >= 0 && m_hold_axis < 3 ? m_hold_axis : 1;
    if (BodyOf(held) != nullptr && held->boundingBox != nullptr) {
        o.y -= e[axis];
        if (e[axis] <= 1.0f) {
            o.y -= 1.0f;
        }
    }
    held->SetPosition(hand->position + Math::RotateByQuaternion(o, hand->orientation));
    held->SetOrientation(Math::QuaternionMultiply(hand->orientation, m_grab_orientation));
    if (held->boundingBox != nullptr) {
        f32 v[3] = {e[0], e[1], e[2]};
        v[axis] = 0.0f;
        const f32 across = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
        m_held_camera_offset = Vector(-std::max((across - 5.0f) * 0.1f, 0.0f), 0.0f, 0.0f);
    }
}
