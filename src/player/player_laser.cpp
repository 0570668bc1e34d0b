// The robot's laser: a tap fires a quick beam from the head at the unit in the aim or at a
// scattered point ahead; a long hold fires the charged beam with its train of pushes and
// its cooldown. The renderer draws the beams from the messages sent here.
#include <algorithm>
#include <utility>

#include "PhysX/physx_component.h"
#include "animation/animation_controller.h"
#include "core/component_type.h"
#include "core/game_object.h"
#include "core/handler_ids.h"
#include "core/math_functions.h"
#include "core/message.h"
#include "core/message_types.h"
#include "game/input_state.h"
#include "game/laser_beam_info.h"
#include "game/radial_force.h"
#include "graphics/particle_system_cpu.h"
#include "platform/system/crt_rand.h"
#include "platform/system/log.h"
#include "player/player_component.h"
#include "player/player_effects.h"

namespace {

constexpr f32 kChargeTime = 0.4f;
constexpr f32 kQuickLength = 0.35f;
constexpr f32 kChargedDelay = 0.75f;
constexpr f32 kCooldown = 6.0f;
constexpr f32 kQuickWidth = 3.0f;
constexpr f32 kChargedWidth = 6.0f;
constexpr f32 kChargedReach = 400.0f;
constexpr f32 kDefaultBlend = -1.0f;
constexpr const char* kLaserSound = "./assets/sound fx/laser.mp3";
constexpr const char* kEndPoint = "Empty";
const Vector kEyeOffset(0.0f, -0.25f, -0.75f);

Component* BeamGraphic(const GameObject* beam) {
    return beam != nullptr ? beam->GetComponent(ComponentType::Graphic) : nullptr;
}

Vector Offset(const GameObject& object, const Vector& local) {
    return object.position + Math::RotateByQuaternion(local, object.orientation);
}

} // namespace

void PlayerComponent::SendBeam(u32 type, const ActiveLaserBeam& beam, const LaserBeamInfo& info) {
    LaserBeamInfo sent = info;
    sent.m_beam = BeamGraphic(beam.beam_object);
    Message<LaserBeamInfo> msg(type, sent);
    SendMessage(&msg, HANDLER_GRAPHICS_PROCESS);
}

bool PlayerComponent::IsEndPoint(const GameObject* object) const {
    return std::any_of(m_laser_end_points.begin(), m_laser_end_points.end(),
                       [object](const GameObject& e) { return &e == object; });
}

void PlayerComponent::UpdateLaser(float dt) {
    // The beams in flight.
    for (auto it = m_laser_beams.begin(); it != m_laser_beams.end();) {
        ActiveLaserBeam& beam = *it;
        beam.age += dt;
        const bool finished = beam.charged
                                  ? m_animation_controller == nullptr ||
                                        m_animation_controller->IsAnimationFinished("Laser")
                                  : beam.age > kQuickLength;
        if (!finished) {
            const bool valid = AskValid(beam.target, MSG_AI_OBJECT_VALID, HANDLER_AI_VIEW_PROCESS);
            if (!valid && !IsEndPoint(beam.target)) {
                // The unit died: the beam ends with the next frame.
                beam.age = 1.0f;
            } else {
                UpdateLaserBeam(beam);
            }
            ++it;
            continue;
        }
        FinishBeam(beam);
        it = m_laser_beams.erase(it);
    }

    // A long hold charges the shot.
    bool charged = false;
    for (const u32 i : {0u, 1u}) {
        const u8 key = m_input.m_controls[i == 0 ? CONTROL_LASER : CONTROL_LASER_ALT];
        if (key == INPUT_HELD || key == INPUT_RELEASED) {
            m_laser_hold_time[i] += dt;
            if (m_laser_hold_time[i] >= kChargeTime) {
                std::fill(std::begin(m_laser_hold_time), std::end(m_laser_hold_time), 0.0f);
                charged = true;
                break;
            }
        }
    }
    const bool released = m_input.m_controls[CONTROL_LASER] == INPUT_RELEASED ||
                          m_input.m_controls[CONTROL_LASER_ALT] == INPUT_RELEASED;
    if (!m_laser_firing && m_power_level >= 1 && m_laser_cooldown <= 0.0f &&
        (released || charged)) {
        if (m_head_off_time >= 2.5f) {
            // The head is about to grow back: no shot, and the hold times keep counting.
            return;
        }
        FireLaser(charged);
    }
    for (const u32 i : {0u, 1u}) {
        const u8 key = m_input.m_controls[i == 0 ? CONTROL_LASER : CONTROL_LASER_ALT];
        if (key == INPUT_RELEASED || key == INPUT_UP) {
            m_laser_hold_time[i] = 0.0f;
        }
    }
    m_laser_cooldown -= dt;
}

void PlayerComponent::FinishBeam(ActiveLaserBeam& beam) {
    GameObject* const target = beam.target;
    if (AskValid(target, MSG_AI_OBJECT_VALID, HANDLER_AI_VIEW_PROCESS)) {
        if (target->name.find("AI-Ground-Citizen") == std::string::npos) {
            for (const char* smoke : {"Firesmoke1", "Firesmoke2"}) {
                player_effects::Attach(*target, CreateEffect(smoke, target->position));
            }
            Message<GameObject*> hit(MSG_LASER_OBJ, target);
            SendMessage(&hit, HANDLER_AI_VIEW_PROCESS);
        }
    } else if (IsEndPoint(target)) {
        m_laser_end_points.remove_if([target](const GameObject& e) { return &e == target; });
    }
    if (beam.created) {
        LaserBeamInfo info;
        info.m_width = kQuickWidth;
        SendBeam(MSG_GRAPHICS_LASER_BEAM_DELETION, beam, info);
    }
    Message<GameObject*> remove(MSG_LEVEL_DELETE_OBJECT, beam.beam_object);
    SendMessage(&remove, HANDLER_LEVEL_STATE);
    if (beam.charged) {
        m_laser_firing = 0;
        m_laser_cooldown = kCooldown;
        if (m_animation_controller != nullptr) {
            m_animation_controller->PlayAnimation(0, "Idle", kDefaultBlend);
        }
        m_idle = 1;
        if (GameObject* head = Part(1)) {
            player_effects::Attach(*head, CreateEffect("LaserCooldown", head->position));
        }
    }
}

void PlayerComponent::FireLaser(bool charged) {
    GameObject* source = m_fake_head != nullptr && m_head_off_time <= 3.0f ? m_fake_head : Part(1);
    if (source == nullptr) {
        return;
    }
    const bool headOff = m_fake_head != nullptr || m_head_off_time >= 0.0f;
    if (charged && (m_airborne || m_juggernaut || m_jumping || headOff)) {
        charged = false;
    }
    if (charged) {
        m_laser_firing = 1;
        if (m_animation_controller != nullptr) {
            m_animation_controller->PlayAnimation(0, "Laser", kDefaultBlend);
        }
    }
    Vector aim = m_camera_target - m_camera_eye;
    if (Math::Vec3Length(aim) > 0.0f) {
        aim = Math::Vec3Normalize(aim);
    }
    m_reply_object = nullptr;
    GameObject* target = nullptr;
    if (!charged) {
        m_reply_object = nullptr;
        Message<std::pair<GameObject*, Vector>> ask(MSG_AI_OBJECT_TO_LASER,
                                                    std::make_pair(source, aim));
        SendMessage(&ask, HANDLER_AI_VIEW_PROCESS);
        target = m_reply_object;
    }
    if (target == nullptr) {
        GameObject& end = m_laser_end_points.emplace_back(kEndPoint);
        Vector at;
        if (charged) {
            at = source->position + aim * kChargedReach + Vector(0.0f, 10.0f, 0.0f);
        } else {
            // The draws are taken in this order: depth, height, side, distance.
            const f32 oz = static_cast<f32>(crt::Rand() % 100) * 0.2f - 10.0f;
            const f32 oy = static_cast<f32>(crt::Rand() % 100) * 0.4f - 30.0f;
            const f32 ox = static_cast<f32>(crt::Rand() % 100) * 0.6f - 30.0f;
            const f32 distance = static_cast<f32>(crt::Rand() % 100) * 0.2f + 60.0f;
            at = source->position + aim * distance + Vector(ox, oy, oz);
            at.y = std::max(at.y, 0.0f);
        }
        end.SetPosition(at);
        target = &end;
    }
    m_reply_object = nullptr;
    Message<std::string> create(MSG_LEVEL_CREATE_OBJECT, std::string("LaserBeam"));
    SendMessage(&create, HANDLER_LEVEL_STATE);
    GameObject* const beamObject = m_reply_object;
    if (target->name != kEndPoint) {
        player_effects::Attach(*target, CreateEffect("LaserExplosion", target->position));
    }
    if (beamObject == nullptr) {
        return;
    }
    sys::Log() << "PlayerComponent: fires a " << (charged ? "charged" : "quick") << " laser at "
               << target->name;
    ActiveLaserBeam beam{beamObject, target, 0.0f, static_cast<u8>(charged ? 1 : 0), 0};
    if (!charged) {
        PlayOnce(kLaserSound, 0.85f);
        LaserBeamInfo info;
        info.m_width = kQuickWidth;
        SendBeam(MSG_GRAPHICS_LASER_BEAM_CREATION, beam, info);
        beam.created = 1;
    } else if (PhysXComponent* body = Body()) {
        const GameObject* const head = Part(1);
        const Vector origin = head != nullptr ? Offset(*head, kEyeOffset) : source->position;
        // The pushes sweep from the head to the end point in the second after the clip's
        // first 0.75 s, weakening over the last quarter.
        for (f32 s = 0.0f; s <= 1.05f; s += 0.05f) {
            const f32 w = std::min(1.25f - s, 1.0f);
            RadialForce push(target->position * s + origin * (1.0f - s), 75.0f * w, 250.0f * w,
                             0.0f, body->GetId(), 0, RadialForce::kForce);
            Message<RadialForce> msg(MSG_PHYSICS_RADIAL_FORCE, push);
            SendMessage(&msg, HANDLER_PHYSX_PROCESS, kChargedDelay + s);
        }
    }
    m_laser_beams.push_back(beam);
    UpdateLaserBeam(m_laser_beams.back());
}

void PlayerComponent::UpdateLaserBeam(ActiveLaserBeam& beam) {
    Vector start;
    GameObject* const head = Part(1);
    if (m_fake_head != nullptr && m_fake_head == m_held_object) {
        if (GameObject* arm = Part(kRightArm)) {
            start = Offset(*arm, Vector(0.0f, -5.777f, -0.75f));
        }
    } else if (m_fake_head != nullptr && m_head_off_time <= 2.65f) {
        start = Offset(*m_fake_head, kEyeOffset);
    } else if (head != nullptr) {
        start = Offset(*head, kEyeOffset);
    }
    const f32 e = beam.charged ? std::max(beam.age - kChargedDelay, 0.0f) : beam.age;
    const bool shown = !beam.charged || (e > 0.0f && e <= 1.0f);
    if (shown) {
        if (!beam.created) {
            PlayOnce(kLaserSound, 0.95f);
            LaserBeamInfo info;
            info.m_width = beam.charged ? kChargedWidth : kQuickWidth;
            SendBeam(MSG_GRAPHICS_LASER_BEAM_CREATION, beam, info);
            beam.created = 1;
        }
        Vector end = beam.target->position;
        if (beam.target->name == "AI-Boss-Fly-MothershipBFGCore") {
            end.y -= 20.0f;
        }
        LaserBeamInfo info;
        info.m_start = start;
        info.m_end = end;
        info.m_elapsed = e;
        info.m_duration = beam.charged ? 1.0f : kQuickLength;
        info.m_width = beam.charged ? kChargedWidth : kQuickWidth;
        SendBeam(MSG_GRAPHICS_LASER_BEAM_UPDATE, beam, info);
    }
    if (beam.charged && e > 1.0f) {
        LaserBeamInfo info;
        info.m_width = kChargedWidth;
        SendBeam(MSG_GRAPHICS_LASER_BEAM_DELETION, beam, info);
        beam.created = 0;
    }
}
