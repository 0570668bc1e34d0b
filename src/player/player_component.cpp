#include "player/player_component.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

#include "PhysX/physx_component.h"
#include "animation/animation_controller.h"
#include "content/particle_system_info.h"
#include "core/component_type.h"
#include "core/game_object.h"
#include "core/handler_ids.h"
#include "core/math_functions.h"
#include "core/message.h"
#include "core/message_types.h"
#include "game/collision.h"
#include "game/controls_source.h"
#include "game/input_state.h"
#include "game/laser_beam_info.h"
#include "game/projectile.h"
#include "game/radial_force.h"
#include "graphics/particle_system_cpu.h"
#include "platform/physics/types.h"
#include "platform/system/crt_rand.h"
#include "platform/system/log.h"
#include "player/player_process.h"
#include "player/robot_sounds.h"

namespace {

constexpr f32 kHalfPi = std::numbers::pi_v<f32> / 2.0f;
constexpr f32 kIdleSpeed = 0.25f;
constexpr f32 kDefaultBlend = -1.0f;
constexpr f32 kArmBlend = 0.5f;
constexpr f32 kTrackFade = 0.51f;
constexpr f32 kDeathHold = 1.0f;
constexpr f32 kDieSpeed = 0.5f;
constexpr f32 kRespawnFade = 1.0f;
constexpr f32 kRespawnHealth = 5.0f;
constexpr f32 kRespawnFlash = 2.0f;
constexpr f32 kFadeInDelay = 0.1f;
constexpr f32 kRefillPerSecond = 0.33333334f;
constexpr f32 kFlashBrightness = 1.8f;
constexpr f32 kEndlessDamageGrowth = 0.006666667f;
constexpr f32 kGroundBelow = -5.9f;
constexpr f32 kLaserBeamWidth = 3.0f;
constexpr f32 kRestingSpeed = 0.5f;
constexpr u32 kFrozenPosition = physics::body_flag::kFrozenPosX | physics::body_flag::kFrozenPosY |
                                physics::body_flag::kFrozenPosZ;

bool Contains(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

// The object of the contact that is not this component's own body.
GameObject* OtherObject(const Collision& contact, const GameObject* self) {
    const PhysXComponent* own =
        self != nullptr
            ? dynamic_cast<const PhysXComponent*>(self->GetComponent(ComponentType::Physics))
            : nullptr;
    const PhysXComponent* other =
        contact.m_first == own && own != nullptr ? contact.m_second : contact.m_first;
    return other != nullptr ? other->owner : nullptr;
}

void Effect(MessageHandler& sender, const char* name, const Vector& at) {
    ParticleSystemInfo info;
    info.position = at;
    info.name = name;
    Message<ParticleSystemInfo> request(MSG_CREATE_PARTICLE_SYSTEM, info);
    sender.SendMessage(&request, HANDLER_GRAPHICS_PROCESS);
}

void Blur(MessageHandler& sender, f32 amount) {
    Message<float> blur(MSG_GRAPHICS_MOTION_BLUR, amount);
    sender.SendMessage(&blur, HANDLER_GRAPHICS_PROCESS);
}

} // namespace

PlayerComponent::PlayerComponent(std::string objectType, ControlsSource* controls, bool editorTest)
    : DefinitionComponent(std::move(objectType)), m_input_controls(controls),
      m_editor_test(editorTest), m_pitch(kHalfPi), m_camera_pitch(kHalfPi) {}

PlayerComponent::~PlayerComponent() {
    LaserBeamInfo beams;
    beams.m_width = kLaserBeamWidth;
    Message<LaserBeamInfo> deletion(MSG_GRAPHICS_LASER_BEAM_DELETION, beams);
    SendMessage(&deletion, HANDLER_GRAPHICS_PROCESS);
    m_pending_animation.clear();
}

PlayerProcess* PlayerComponent::Process() const {
    return dynamic_cast<PlayerProcess*>(process);
}

GameObject* PlayerComponent::Part(u32 k) const {
    if (owner == nullptr || k >= owner->childObjects.size()) {
        return nullptr;
    }
    return owner->childObjects[k];
}

Quaternion PlayerComponent::Heading() const {
    if (owner == nullptr) {
        return Quaternion{};
    }
    // The object's base turn is kept in the orientation stored after its own.
    return Math::QuaternionMultiply(Math::QuaternionInverse(owner->lastOrientation),
                                    owner->orientation);
}

void PlayerComponent::SendToHandler(u32 type, u32 to) {
    BaseMessage msg(type);
    SendMessage(&msg, to);
}

void PlayerComponent::Initialize() {
    for (const u32 to : {HANDLER_AI_VIEW_PROCESS, HANDLER_BULLET_PROCESS, HANDLER_BUILDING_PROCESS,
                         HANDLER_PHYSX_PROCESS, HANDLER_GAME_LOGIC_PROCESS}) {
        Message<Component*> announce(MSG_PLAYER_COMPONENT, this);
        SendMessage(&announce, to);
    }
    if (owner != nullptr) {
        m_animation_controller = dynamic_cast<AnimationController*>(
            owner->GetComponent(ComponentType::AnimationController));
        m_sound_player = owner->GetComponent(ComponentType::SoundPlayer);
        robot_sounds::Preload(Audio(), *owner, m_sound_player);
        m_hum_pending = true;
    }
    if (m_animation_controller != nullptr) {
        m_animation_controller->SetAnimationSpeed("Idle", kIdleSpeed);
    }
    if (m_input_controls != nullptr) {
        m_input_controls->ResetState();
    }
    if (owner != nullptr) {
        sys::Log() << "PlayerComponent::Initialize: robot at " << owner->position.x << ", "
                   << owner->position.y << ", " << owner->position.z;
    }
}

void PlayerComponent::ClearHighlights() {
    std::fill(std::begin(m_part_highlight), std::end(m_part_highlight), u8{0});
}

void PlayerComponent::Update(float dt) {
    if (m_hum_pending && owner != nullptr) {
        m_hum_pending = false;
        robot_sounds::StartHum(Audio(), *owner, m_sound_player);
    }
    if (m_pending_animation_delay > 0.0f) {
        m_pending_animation_delay -= dt;
        if (m_pending_animation_delay <= 0.0f && m_animation_controller != nullptr) {
            m_animation_controller->PlayAnimation(0, m_pending_animation, kDefaultBlend);
            m_animation_controller->ResumeAnimation(m_pending_animation);
        }
    }
    Quaternion heading = Heading();
    if (m_dying) {
        if (m_death_time >= 0.0f) {
            m_death_time += dt;
            if (m_death_time >= kDeathHold) {
                g_player_mode = 3;
                if (m_animation_controller != nullptr) {
                    m_animation_controller->PlayAnimation(0, "Die", kDefaultBlend);
                    m_animation_controller->ResumeAnimation("Die");
                    m_animation_controller->SetAnimationSpeed("Die", kDieSpeed);
                }
                m_death_time = -1.0f;
                m_respawn_time = -1.0f;
            }
        } else {
            DeathStep(dt);
            return;
        }
    }
    if (g_player_cutscene) {
        UpdateHealthMeter();
        // The heading's facing decides the yaw the sequence starts and ends at.
        const f32 a = 2.0f * heading.x * heading.z - 2.0f * heading.w * heading.y;
        const f32 c = 1.0f - (2.0f * heading.y * heading.y + 2.0f * heading.x * heading.x);
        const f32 b = 2.0f * (heading.x * heading.w + heading.y * heading.z);
        const f32 length = std::sqrt(a * a + b * b + c * c);
        if (length > 0.0f) {
            m_yaw =
                2.0f * std::numbers::pi_v<f32> - (std::atan2(-c / length, -a / length) + kHalfPi);
        }
        m_pitch = kHalfPi;
        m_camera_pitch = kHalfPi;
        if (g_player_mode == 0) {
            return;
        }
        HoldStep(dt, heading);
        return;
    }
    if (g_player_mode == 0) {
        PlayerControlStep(dt, heading);
        return;
    }
    HoldStep(dt, heading);
}

void PlayerComponent::DeathStep(float dt) {
    Quaternion heading = Heading();
    UpdateHealthMeter();
    ClearHighlights();
    UpdateMouseLook(heading);
    UpdateCamera(dt, heading);
    if (m_animation_controller == nullptr || !m_animation_controller->IsAnimationFinished("Die")) {
        return;
    }
    const PlayerProcess* const owning = Process();
    const bool endless = owning != nullptr && owning->m_endless;
    if (m_respawn_time < 0.0f) {
        if (!endless) {
            m_respawn_time = 0.0f;
            Message<float> fade(MSG_GRAPHICS_FADE_OUT, 1.0f);
            SendMessage(&fade, HANDLER_GRAPHICS_PROCESS);
        } else {
            Message<double> report(MSG_PLAYER_XP, m_experience);
            SendMessage(&report, HANDLER_UI_PROCESS);
        }
        return;
    }
    m_respawn_time += dt;
    if (m_respawn_time < kRespawnFade) {
        return;
    }
    if (owner != nullptr) {
        owner->SetPosition(Vector(-50.0f, 75.0f, -55.0f));
        owner->SetOrientation(Quaternion{});
    }
    m_pitch = kHalfPi;
    m_camera_pitch = kHalfPi;
    m_yaw = 0.0f;
    m_health = kRespawnHealth;
    m_regenerating = 1;
    m_hit_flash = kRespawnFlash;
    m_dying = 0;
    Message<float> fade(MSG_GRAPHICS_FADE_IN, 0.5f);
    SendMessage(&fade, HANDLER_GRAPHICS_PROCESS, kFadeInDelay);
}

void PlayerComponent::HoldStep(float dt, Quaternion& heading) {
    AnimationController* const anim = m_animation_controller;
    if (g_player_mode == 1) {
        ClearHighlights();
        if (anim != nullptr) {
            for (const u32 layer : {1u, 2u}) {
                anim->SetRotationDuration(layer, 0.5f);
                anim->SetRotationAngle(layer, 0.0f);
            }
            anim->SetAnimationSpeed("Idle", kIdleSpeed);
            anim->PlayAnimation(0, "Idle", kDefaultBlend);
            anim->ResumeAnimation("Idle");
            for (const u32 track : {1u, 4u}) {
                if (anim->IsTrackEnabled(track)) {
                    anim->DisableTrack(track, kTrackFade);
                }
            }
            if (m_arm_state == kArmPunching) {
                anim->PlayAnimation(2, "Idle", kArmBlend);
            } else {
                anim->DisableTrack(2, kTrackFade);
            }
            if (m_left_punching) {
                anim->PlayAnimation(3, "Idle", kArmBlend);
            } else {
                anim->DisableTrack(3, kTrackFade);
            }
        }
        m_forward_tap_time = 1.0f;
        if (m_arm_state == 2 || m_arm_state == 3) {
            m_held_object = nullptr;
            m_arm_state = kArmFree;
        }
        m_laser_firing = 0;
        std::fill(std::begin(m_part_brightness), std::end(m_part_brightness), 1.0f);
        g_player_mode = 2;
    }
    if (g_player_mode == 2) {
        m_input.m_controls[CONTROL_PUNCH] = INPUT_UP;
        if (anim != nullptr && m_arm_state == kArmPunching && !anim->IsTrackEnabled(2)) {
            m_part_brightness[kRightArm] = 1.0f;
            anim->DisableTrack(2, kTrackFade);
            m_arm_state = kArmFree;
        }
        if (anim != nullptr && m_left_punching && !anim->IsTrackEnabled(3)) {
            m_part_brightness[kLeftArm] = 1.0f;
            anim->DisableTrack(3, kTrackFade);
            m_left_punching = 0;
        }
        UpdateHeadRegrowth(2.0f * dt);
    }
    if (g_player_mode < 3 && !g_player_cutscene) {
        UpdateHealthMeter();
        UpdateJump(dt, heading);
        UpdateCamera(dt, heading);
    }
    if (g_player_mode == 3) {
        if (anim != nullptr) {
            anim->SetRotationDuration(1, 0.1f);
            anim->SetRotationDuration(2, 0.1f);
        }
        m_arm_state = kArmFree;
        m_left_punching = 0;
        // An arm that flew off as a rocket when the hold began never finished its flight: it
        // comes back with the arms' release, seen and solid again.
        for (const u32 arm : {kRightArm, kLeftArm}) {
            if (m_part_hidden[arm]) {
                m_part_hidden[arm] = 0;
                m_part_brightness[arm] = 1.0f;
                if (PhysXComponent* body = PartBody(arm)) {
                    body->SetCollisionEnabled(true);
                }
            }
        }
        m_forward_tap_time = 0.5f;
        g_player_mode = 0;
    }
    const bool handedBack = g_player_mode == 0;
    if (!g_player_cutscene) {
        UpdateMouseLook(heading);
        UpdateCamera(dt, heading);
    }
    if (handedBack && owner != nullptr) {
        sys::Log() << "PlayerComponent: the player steers the robot at " << owner->position.x
                   << ", " << owner->position.y << ", " << owner->position.z << "; camera eye "
                   << m_camera_eye.x << ", " << m_camera_eye.y << ", " << m_camera_eye.z;
    }
    if (anim != nullptr) {
        anim->SetAnimationSpeed("Idle", kIdleSpeed);
    }
}

void PlayerComponent::PlayerControlStep(float dt, Quaternion& heading) {
    if (m_input_controls != nullptr) {
        m_input = m_input_controls->GetBoundControls();
    }
    if (m_input.m_play == 0) {
        return;
    }
    // The jump clears the vertical speed of a robot on the ground; how it moved before
    // tells whether it still rests there.
    const f32 verticalSpeed = owner != nullptr ? owner->velocity.y : 0.0f;
    UpdateJump(dt, heading);
    Vector move;
    UpdateLocomotion(move, dt, heading);
    const bool steered = !(m_input.m_movement == Vector(0.0f, 0.0f, 0.0f));
    if (m_steered && !steered && owner != nullptr) {
        sys::Log() << "PlayerComponent: halts at " << owner->position.x << ", " << owner->position.y
                   << ", " << owner->position.z;
    }
    m_steered = steered ? 1 : 0;
    UpdateMouseLook(heading);
    UpdateLaser(dt);
    UpdateHealthMeter();
    // Without an animation controller the robot is not steered.
    if (m_animation_controller == nullptr) {
        return;
    }
    const bool punchPressed = m_input.m_controls[CONTROL_PUNCH] == INPUT_PRESSED;
    const bool rocket = m_power_level >= 5 && m_input.m_left_control != 0;
    bool rightStarted = false;
    if (!m_laser_firing && m_arm_state == kArmFree && punchPressed) {
        m_arm_state = kArmPunching;
        m_right_punch.phase = PunchState::kStart;
        m_right_punch.rocket = rocket ? 1 : 0;
        rightStarted = true;
    }
    if (m_arm_state == kArmPunching && Punch(dt, heading, m_right_punch, "Right", 2, 2)) {
        m_arm_state = kArmFree;
    }
    UpdateGrab(dt);
    bool leftStarted = false;
    if (!m_laser_firing && m_arm_state != kArmFree && punchPressed && !m_left_punching &&
        !rightStarted) {
        m_left_punching = 1;
        m_left_punch.phase = PunchState::kStart;
        m_left_punch.rocket = rocket ? 1 : 0;
        leftStarted = true;
    }
    if ((rightStarted || leftStarted) && owner != nullptr) {
        sys::Log() << "PlayerComponent: punches with the " << (rightStarted ? "right" : "left")
                   << " at " << owner->position.x << ", " << owner->position.y << ", "
                   << owner->position.z;
    }
    if (m_left_punching && Punch(dt, heading, m_left_punch, "Left", 3, 3)) {
        m_left_punching = 0;
    }
    UpdateCamera(dt, heading);

    if (m_regenerating) {
        if (m_max_health > m_health) {
            m_health = std::min(m_health + m_max_health * dt * kRefillPerSecond, m_max_health);
        } else {
            m_regenerating = 0;
        }
    }
    m_health = std::max(m_health, 0.0f);
    Message<float> health(MSG_PLAYER_HEALTH, m_health / m_max_health);
    SendMessage(&health, HANDLER_UI_PROCESS);

    const PlayerProcess* const owning = Process();
    const f32 deathAt = owning != nullptr ? owning->m_death_toggle : 0.0f;
    if (m_health <= deathAt) {
        if (owner != nullptr) {
            sys::Log() << "PlayerComponent: the robot falls at " << owner->position.x << ", "
                       << owner->position.y << ", " << owner->position.z;
        }
        m_dying = 1;
        m_death_time = 0.0f;
        g_player_mode = 1;
    }
    HitFlashStep(dt);

    // A body resting on the ground reports no new contact, so a robot on the ground stays
    // there while it neither rises nor sinks; once in the air only a contact lands it.
    const bool resting = !m_airborne && std::fabs(verticalSpeed) < kRestingSpeed;
    if (m_physics_stepped && !m_touching && !resting) {
        m_airborne = 1;
    }
    m_touching = 0;
    m_physics_stepped = 0;

    if (owner == nullptr) {
        return;
    }
    if (m_jumping && m_airborne && m_falling && owner->position == m_last_position) {
        RadialForce nudge(owner->position + Vector(0.0f, 0.1f, 0.0f), 1.0f, 1.0f, 0.0f, 0, 0, 0);
        Message<RadialForce> push(MSG_PHYSICS_RADIAL_FORCE, nudge);
        SendMessage(&push, HANDLER_PHYSX_PROCESS);
    }
    m_last_velocity = owner->velocity;
    m_last_position = owner->position;
    if (auto* body = dynamic_cast<PhysXComponent*>(owner->GetComponent(ComponentType::Physics))) {
        body->ClearBodyFlags(kFrozenPosition);
    }
    if (owning != nullptr && owning->m_endless) {
        m_damage_rate += dt * kEndlessDamageGrowth;
    }
}

void PlayerComponent::HitFlashStep(float dt) {
    if (m_hit_flash < 0.0f) {
        return;
    }
    m_hit_flash = std::max(m_hit_flash - dt, 0.0f);
    // While the flash lasts the parts blink every other frame.
    const bool on = std::fabs(m_hit_flash) >= 0.00001f && m_part_highlight[kBody] == 0;
    for (u32 k = 0; k < kPartCount; ++k) {
        m_part_highlight[k] = on ? 1 : 0;
        const bool rightGlow = k == kRightArm && (m_right_punch.phase == PunchState::kCharge ||
                                                  m_right_punch.phase == PunchState::kRelease);
        const bool leftGlow = k == kLeftArm && (m_left_punch.phase == PunchState::kCharge ||
                                                m_left_punch.phase == PunchState::kRelease);
        if (!rightGlow && !leftGlow) {
            m_part_brightness[k] = on ? kFlashBrightness : 1.0f;
        }
    }
}

void PlayerComponent::TakeDamage(float amount) {
    if (g_player_invulnerable || g_player_cutscene || m_regenerating || g_player_mode != 0) {
        return;
    }
    const PlayerProcess* const owning = Process();
    if (owning == nullptr || !owning->m_tutorial) {
        m_health -= m_damage_rate * amount * 0.75f;
    }
    m_hit_flash = m_hit_flash * 0.5f + std::max(m_damage_rate * amount * 0.1875f, 1.0f) * 0.25f;
    for (u32 k = 0; k < kPartCount; ++k) {
        m_part_highlight[k] = m_power_level >= 1 ? 1 : 0;
    }
}

void PlayerComponent::HandleMessage(BaseMessage* msg, u32 /*fromId*/) {
    if (msg == nullptr) {
        return;
    }
    // Replies to the robot's own queries are kept in a sequence too, so what a hold made is
    // still known afterwards.
    switch (msg->type) {
    case MSG_AI_OBJECT:
    case MSG_BUILDING:
    case MSG_LEVEL_OBJECT_CREATED:
        m_reply_object = msg->ValueOr<GameObject*>(nullptr);
        return;
    case MSG_AI_OBJECT_VALID:
    case MSG_BUILDING_VALID:
    case MSG_BULLET_VALID:
        m_reply_valid = msg->ValueOr<bool>(false) ? 1 : 0;
        return;
    case MSG_PARTICLE_SYSTEM:
        m_reply_particle_system = msg->ValueOr<ParticleSystemCPU*>(nullptr);
        return;
    default:
        break;
    }
    if (g_player_cutscene) {
        return;
    }
    switch (msg->type) {
    case MSG_PHYSICS_COLLISION:
        if (const Collision* contact = msg->Payload<Collision>()) {
            Contact(*contact);
        }
        break;
    case MSG_PHYSICS_UPDATE:
        m_physics_stepped = 1;
        break;
    case MSG_PLAYER_POWERUP_LEVEL_INCREASE:
        IncreasePowerLevel();
        break;
    case MSG_PLAYER_XP:
        m_experience += msg->ValueOr<double>(0.0) * 0.2;
        if (m_experience != 0.0) {
            Message<std::string> text(MSG_BUILDING_COUNT, MoneyText(m_experience));
            SendMessage(&text, HANDLER_UI_PROCESS);
        }
        break;
    default:
        break;
    }
}

void PlayerComponent::Contact(const Collision& contact) {
    GameObject* const other = OtherObject(contact, owner);
    if (other == nullptr || owner == nullptr) {
        return;
    }
    const std::string& type = other->name;
    if (contact.m_kind != Collision::kNone) {
        const bool ground = type == "InvisiblePlane" ||
                            other->GetComponent(ComponentType::Building) != nullptr ||
                            Contains(type, "Building") || type == "AI-Ground-Tank" ||
                            type == "AI-Ground-TankObjective" || Contains(type, "CoilFence") ||
                            Contains(type, "GateBlocker");
        if (ground && contact.m_point.y - owner->position.y <= kGroundBelow) {
            if (m_airborne) {
                sys::Log() << "PlayerComponent: on the ground at " << owner->position.x << ", "
                           << owner->position.y << ", " << owner->position.z;
            }
            m_airborne = 0;
            m_touching = 1;
        }
    }
    if (Contains(type, "GateBlocker") && crt::Rand() % 10 == 0) {
        TakeDamage(0.5f);
        Blur(*this, 0.05f);
        Effect(*this, "ElectricSparks", contact.m_point);
        PlayOnce(robot_sounds::kElectricalExplosion, robot_sounds::kElectricalExplosionVolume);
    }
}

std::string PlayerComponent::MoneyText(double value) {
    // Whole cents first, so 0.29 stays 29 cents and 0.999 becomes a dollar.
    const double cents = std::round(value * 100.0);
    double dollars = std::floor(cents / 100.0);
    const int rest = static_cast<int>(cents - dollars * 100.0);
    std::vector<int> groups;
    do {
        groups.push_back(static_cast<int>(std::fmod(dollars, 1000.0)));
        dollars = std::floor(dollars / 1000.0);
    } while (dollars >= 1.0);
    std::string text = "$";
    char buffer[8];
    for (std::size_t i = groups.size(); i-- > 0;) {
        std::snprintf(buffer, sizeof buffer, i + 1 == groups.size() ? "%d" : ",%03d", groups[i]);
        text += buffer;
    }
    std::snprintf(buffer, sizeof buffer, ".%02d", rest);
    return text + buffer;
}

namespace {

constexpr const char* kStepSound = robot_sounds::kWalk;
constexpr const char* kPunchSound = "assets/sound fx/punch.mp3";
constexpr f32 kLandingFade = 0.05f;
constexpr f32 kTapWindow = 0.4f;
constexpr f32 kJuggernautLength = 0.7f;
constexpr f32 kJuggernautThrust = 1.79999995f;
constexpr f32 kWalkCycle = 1.5667f;
constexpr f32 kPoundLandSpeed = 0.25f;
constexpr const char* kCombatClips[] = {"Right Punch Charge",
                                        "Right Punch Release",
                                        "Right Punch Rest",
                                        "Left Punch Charge",
                                        "Left Punch Release",
                                        "Left Punch Rest",
                                        "Grab",
                                        "Hold",
                                        "Throw"};

bool IsZero(const Vector& v) {
    return v.x == 0.0f && v.y == 0.0f && v.z == 0.0f;
}

// A push on what lies around the robot. The robot's own body is left out: its fist, feet and
// landing stand within their own radius, and the push would fling it away.
void SendForce(PlayerComponent& robot, const Vector& centre, f32 radius, f32 force, f32 duration) {
    RadialForce push(centre, radius, force, duration, 0, 0, RadialForce::kImpulse);
    push.m_exclude_owner = robot.owner;
    Message<RadialForce> msg(MSG_PHYSICS_RADIAL_FORCE, push);
    robot.SendMessage(&msg, HANDLER_PHYSX_PROCESS);
}

// How hard a landing at this velocity is: 0 soft, 1 at 200 units a second or more.
f32 Hardness(const Vector& v) {
    return std::clamp((std::fabs(v.x) + std::fabs(v.z)) * 0.005f - v.y * 0.005f, 0.0f, 1.0f);
}

// The push of a punch of strength x (small x: harder).
f32 PunchRadius(f32 x) {
    return ((1.0f / x) * 0.6f + (1.0f - x) * 14.0f) * 1.25f;
}

f32 PunchForce(f32 x) {
    return (1.0f / x) * 140.0f + (1.0f - x) * 100.0f;
}

} // namespace

PhysXComponent* PlayerComponent::Body() const {
    return owner != nullptr
               ? dynamic_cast<PhysXComponent*>(owner->GetComponent(ComponentType::Physics))
               : nullptr;
}

RobotAudio* PlayerComponent::Audio() const {
    const auto* players = dynamic_cast<const PlayerProcess*>(process);
    return players != nullptr ? players->m_audio : nullptr;
}

void PlayerComponent::PlayOnce(const char* path, f32 volume) {
    robot_sounds::PlayOnce(m_sound_player, path, volume);
}

void PlayerComponent::FadeCombatClips(f32 weight, f32 duration) {
    if (m_animation_controller == nullptr) {
        return;
    }
    for (const char* clip : kCombatClips) {
        m_animation_controller->FadeAnimation(clip, weight, duration);
    }
}

void PlayerComponent::UpdateLocomotion(Vector& move, float dt, const Quaternion& heading) {
    AnimationController* const anim = m_animation_controller;
    move = m_laser_firing ? Vector(0.0f, 0.0f, 0.0f) : m_input.m_movement;
    f32 f = 3.0f;
    if (m_airborne) {
        f = m_light_jump ? 0.25f : (m_falling ? 3.0f / 7.5f : 3.0f / 6.5f);
    }
    if (move.z > 0.0001f) {
        m_juggernaut = 0;
    }
    const bool forwardPressed = m_input.m_controls[CONTROL_FORWARD] == INPUT_PRESSED;
    const bool chargePressed = m_input.m_controls[CONTROL_CHARGE] == INPUT_PRESSED;
    if (m_power_level > 3 && !m_airborne && !m_laser_firing &&
        std::fabs(m_juggernaut_time) < 0.00001f && move.z <= 0.0f &&
        ((forwardPressed && m_forward_tap_time < kTapWindow) || chargePressed)) {
        m_juggernaut = 1;
        m_juggernaut_time = 0.0f;
        if (anim != nullptr) {
            const std::string current = anim->GetCurrentAnimationName();
            if (current != "Walk" && current != "Idle" && anim->IsTrackEnabled(1)) {
                anim->DisableTrack(1, 0.15f);
                anim->FadeAnimation("Idle", 1.0f, 0.15f);
            }
            anim->PlayAnimation(0, "Juggernaut", 0.25f);
        }
        m_idle = 0;
        m_step_clock = 0.0f;
    }
    if (forwardPressed && m_input.m_controls[CONTROL_BACKWARD] == INPUT_UP) {
        m_forward_tap_time = 0.0f;
    }
    m_forward_tap_time += dt;
    if (!m_juggernaut && m_juggernaut_time > 0.0f) {
        m_juggernaut_time = std::max(m_juggernaut_time - dt, 0.0f);
        const f32 u = m_juggernaut_time * 1.5384616f;
        const f32 u3 = u * u * u;
        f = (u3 * 1.2f + (1.0f - u3) * 0.4f) * f;
    }
    if (m_juggernaut) {
        const Vector at = owner != nullptr ? owner->position : Vector(0.0f, 0.0f, 0.0f);
        SendForce(*this, at + Vector(0.0f, 5.0f, -5.0f), 20.0f, 25.0f, dt);
        SendForce(*this, at + Vector(0.0f, -5.0f, -5.0f), 25.0f, 40.0f, dt);
        f *= kJuggernautThrust;
        move.z = -1.0f;
        m_juggernaut_time += dt;
        if (m_juggernaut_time >= kJuggernautLength) {
            m_juggernaut_time = kJuggernautLength;
            m_juggernaut = 0;
            if (anim != nullptr && anim->GetCurrentAnimationName() != "Jump") {
                anim->PlayAnimation(0, "Walk", kJuggernautLength);
            }
        }
    }
    if (m_punch_reset_time >= 0.0f) {
        m_punch_reset_time += dt;
        if (m_punch_reset_time < 0.1f) {
            f = m_punch_reset_time * f * 10.0f;
        } else {
            m_punch_reset_time = -1.0f;
            FadeCombatClips(1.0f, 0.4f);
        }
    }
    if (anim != nullptr) {
        anim->SetAnimationSpeed("Walk", f * 0.6896551f);
        anim->SetAnimationSpeed("WalkBackwards", f * 0.9172414f);
        anim->SetAnimationSpeed("Juggernaut", 1.0f);
    }
    if (!IsZero(move)) {
        move = Math::Vec3Normalize(move);
    }
    move = move * (f * 90.0f) * 1.75f;
    if (PhysXComponent* body = Body()) {
        const Vector forward = Math::RotateByQuaternion(Vector(0.0f, 0.0f, 1.0f), heading);
        const Vector side = Math::RotateByQuaternion(Vector(1.0f, 0.0f, 0.0f), heading);
        // A long frame pushes for no more time than the physics simulates in it: the whole
        // frame's push in a third of a second sent the robot through buildings.
        const f32 span = std::min(dt, PhysXComponent::kLongestFrame);
        body->Move(forward * (move.z * span));
        body->Move(side * (-move.x * 0.9f * span));
    }
    if (anim != nullptr && !m_jumping && !m_airborne && !m_laser_firing && !m_juggernaut) {
        ChooseGroundClip(move);
    }
    if (!m_idle) {
        f32 rate = f;
        f32 step = 1.16f;
        if (m_juggernaut) {
            rate = 1.0f;
            step = 0.3167f;
        } else if (!m_walking_forward) {
            rate = 1.33f * f;
        }
        m_step_clock += rate * dt;
        if (m_step_clock >= step) {
            m_step_clock -= step;
            PlayOnce(kStepSound, 0.9f);
        }
    }
    if (anim != nullptr) {
        anim->SetRotationAngle(2, TwistAngle(move));
    }
}

f32 PlayerComponent::TwistAngle(const Vector& move) {
    const f32 quarter = std::numbers::pi_v<f32> / 4.0f;
    if (move.x > 0.0f) {
        return move.z < 0.0f ? -quarter : (move.z > 0.0f ? quarter : -kHalfPi);
    }
    if (move.x < 0.0f) {
        return move.z < 0.0f ? quarter : (move.z > 0.0f ? -quarter : kHalfPi);
    }
    return 0.0f;
}

void PlayerComponent::ChooseGroundClip(const Vector& move) {
    AnimationController* const anim = m_animation_controller;
    const bool landRuns = !anim->IsAnimationPaused("Land") && !anim->IsAnimationFinished("Land");
    const std::string current = anim->GetCurrentAnimationName();
    const auto dropTrackOne = [&](f32 fade) {
        if (anim->IsTrackEnabled(1)) {
            anim->DisableTrack(1, fade);
            anim->FadeAnimation("Idle", 1.0f, fade);
        }
    };
    const bool moving = !IsZero(move) || m_forward_tap_time < kTapWindow;
    if (!moving) {
        if (current != "Land" || !landRuns) {
            dropTrackOne(kLandingFade);
            anim->PlayAnimation(0, "Idle", kDefaultBlend);
            anim->SetAnimationSpeed("Idle", kIdleSpeed);
            m_idle = 1;
        }
    } else if (m_idle || current == "Land") {
        const char* walk = move.z > 0.0f ? "WalkBackwards" : "Walk";
        if (anim->HasTrackAnimation("Land")) {
            anim->SetAnimationSpeed("Land", 1.0f);
            anim->PlayAnimation(0, walk, 0.5f);
            dropTrackOne(kLandingFade);
        } else if (landRuns) {
            anim->PlayAnimation(0, walk, 0.5f);
            // Track 1 and the idle pose follow the landing over what is left of it.
            const f32 speed = std::max(anim->GetAnimationSpeed("Land"), 0.0001f);
            const f32 rest = std::max(
                (anim->GetAnimationLength("Land") - anim->GetAnimationTime("Land")) / speed,
                kLandingFade);
            dropTrackOne(rest);
        } else {
            dropTrackOne(kLandingFade);
            anim->PlayAnimation(0, walk, kDefaultBlend);
        }
        m_idle = 0;
        m_step_clock = 0.58f;
    } else if (m_walking_forward != (move.z <= 0.0f ? 1 : 0)) {
        const char* from = m_walking_forward ? "Walk" : "WalkBackwards";
        const char* to = m_walking_forward ? "WalkBackwards" : "Walk";
        anim->PlayAnimation(0, to, kDefaultBlend);
        anim->SetAnimationTime(to, kWalkCycle - anim->GetAnimationTime(from));
    }
    m_walking_forward = move.z <= 0.0f ? 1 : 0;
}

f32 PlayerComponent::WalkWeight() const {
    if (m_animation_controller == nullptr) {
        return 0.0f;
    }
    return m_animation_controller->GetTrackWeight(0, m_walking_forward ? "Walk" : "WalkBackwards");
}

void PlayerComponent::LandingPose(f32 hardness) {
    AnimationController* const anim = m_animation_controller;
    if (anim == nullptr || std::fabs(hardness - 1.0f) < 0.00001f) {
        return;
    }
    anim->PlayAnimation(1, "Idle", kLandingFade);
    anim->SetAnimationSpeed("Idle", kIdleSpeed);
    anim->FadeAnimation("Idle", 1.0f - hardness, 0.0f);
}

void PlayerComponent::ShowFootJets(bool shown) {
    for (const u32 k : {4u, 5u}) {
        GameObject* const leg = Part(k);
        if (leg == nullptr) {
            continue;
        }
        const auto jets = leg->components.find(ComponentType::ParticleSystem);
        if (jets == leg->components.end()) {
            continue;
        }
        // The first two of the leg's particle systems are its jets.
        const std::size_t count = std::min<std::size_t>(jets->second.size(), 2);
        for (std::size_t i = 0; i < count; ++i) {
            if (auto* jet = dynamic_cast<ParticleSystemCPU*>(jets->second[i])) {
                jet->invisible = shown ? 0 : 1;
            }
        }
    }
}

void PlayerComponent::UpdateJump(float dt, const Quaternion& /*heading*/) {
    AnimationController* const anim = m_animation_controller;
    PhysXComponent* const body = Body();
    const auto push = [&](const Vector& v) {
        if (body != nullptr) {
            body->Move(v);
        }
    };
    const auto damp = [&](f32 damping) {
        if (body != nullptr) {
            body->SetDamping(damping);
        }
    };
    const Vector at = owner != nullptr ? owner->position : Vector(0.0f, 0.0f, 0.0f);
    const u8 jumpKey = m_input.m_controls[CONTROL_JUMP];
    const bool jumpUp = jumpKey == INPUT_UP || jumpKey == INPUT_RELEASED;

    damp(m_airborne ? 0.6f : 4.0f);
    if (!m_airborne) {
        m_air_time = 0.0f;
        if (owner != nullptr) {
            owner->velocity.y = 0.0f;
        }
    } else {
        m_air_time += dt;
    }
    m_jump_press_time += dt;

    if (m_jumping && !m_airborne && (m_jump_time > 0.0f || jumpUp)) {
        m_jumping = 0;
        m_idle = 1;
        m_falling = 0;
        if (anim != nullptr) {
            if (!m_ground_pound) {
                LandingPose(Hardness(m_last_velocity));
                anim->SetAnimationSpeed("Land", 0.5f);
            } else {
                anim->SetAnimationSpeed("Land", kPoundLandSpeed);
            }
            anim->PlayAnimation(0, "Land", kLandingFade);
        }
        FadeCombatClips(0.05f, 0.75f);
        m_punch_reset_time = 0.0f;
        if (!m_ground_pound || m_jump_press_time < 0.1f) {
            Effect(*this, "RobotLandingDust", at - Vector(0.0f, 5.0f, 0.0f));
        } else {
            SendForce(*this, at - Vector(0.0f, 5.0f, 0.0f), 40.0f, 150.0f, 0.5f);
            SendForce(*this, at, 40.0f, 200.0f, 0.25f);
            SendForce(*this, at - Vector(0.0f, 10.0f, 0.0f), 40.0f, 200.0f, 0.25f);
            for (f32 angle = 0.0f; angle < 1.9999f * std::numbers::pi_v<f32>;
                 angle += std::numbers::pi_v<f32> / 4.0f) {
                const Vector offset = Math::Vec3TransformNormal(Vector(20.0f, -6.0f, 0.0f),
                                                                Math::MatrixRotationY(angle));
                SendForce(*this, at + offset, 60.0f, 150.0f, 0.25f);
            }
            Blur(*this, 1.0f);
            Effect(*this, "RobotGroundPoundDust", at - Vector(0.0f, 5.0f, 0.0f));
        }
        m_ground_pound = 0;
    } else if (m_jumping && m_airborne) {
        m_jump_time += dt;
        if (!m_ground_pound && m_jump_time > 0.5f && jumpKey == INPUT_PRESSED) {
            if (m_jump_press_time < 0.4f) {
                push(Vector(0.0f, -200.0f, 0.0f));
                m_ground_pound = 1;
            }
            m_jump_press_time = 0.0f;
        }
        if (!m_falling && owner != nullptr && owner->velocity.y < 0.0f) {
            m_falling = 1;
            if (anim != nullptr) {
                anim->PlayAnimation(0, "Fall", kDefaultBlend);
                anim->SetAnimationSpeed("Fall", 0.65f);
            }
        }
    }

    if (m_ground_pound) {
        SendForce(*this, at - Vector(0.0f, 5.0f, 0.0f), 30.0f, 20.0f, dt);
        push(Vector(0.0f, -1000.0f * dt, 0.0f));
    }
    if (m_falling || (m_jumping && m_airborne && (m_jump_time >= 1.0f || jumpUp))) {
        push(Vector(0.0f, -40.0f * dt, 0.0f));
        damp(0.2f);
    }

    const bool poundShowing =
        anim != nullptr &&
        std::fabs(anim->GetAnimationSpeed("Land") - kPoundLandSpeed) < 0.00001f &&
        (anim->GetCurrentAnimationName() == "Land" || anim->HasTrackAnimation("Land"));
    if (jumpKey == INPUT_PRESSED && !m_jumping && !m_airborne && !m_laser_firing && !poundShowing) {
        m_falling = 0;
        m_ground_pound = 0;
        m_jumping = 1;
        m_jump_time = 0.0f;
        // The robot leaves the ground by its own push; only a contact lands it again.
        m_airborne = 1;
        const f32 speed = owner != nullptr ? Math::Vec3Length(owner->velocity) : 0.0f;
        m_light_jump = IsZero(m_input.m_movement) || speed > 1.0f ? 1 : 0;
        push(Vector(0.0f, m_light_jump ? 80.0f : 100.0f, 0.0f));
        if (anim != nullptr) {
            anim->PlayAnimation(0, "Jump", 0.15f);
        }
        if (m_idle || WalkWeight() > 0.35f) {
            PlayOnce(kStepSound, 1.0f);
        }
    } else {
        if (!m_jumping && m_airborne && !m_laser_firing && !m_falling && m_air_time > 0.25f &&
            owner != nullptr && owner->velocity.y < -5.0f && owner->position.y > 10.0f) {
            m_falling = 1;
            if (anim != nullptr) {
                anim->PlayAnimation(0, "Fall", 0.4f);
            }
        }
        if (!m_airborne && m_falling) {
            m_falling = 0;
            if (anim != nullptr) {
                anim->SetAnimationSpeed("Land", 0.5f);
                anim->PlayAnimation(0, "Land", kLandingFade);
            }
            LandingPose(Hardness(m_last_velocity));
            FadeCombatClips(0.05f, 0.75f);
            m_punch_reset_time = 0.0f;
            Effect(*this, "RobotLandingDust", at - Vector(0.0f, 5.0f, 0.0f));
        }
        if (m_falling && m_airborne && anim != nullptr && owner != nullptr) {
            anim->SetAnimationSpeed("Fall", Hardness(owner->velocity));
        }
    }

    ShowFootJets(m_airborne && m_jumping && m_jump_time < 1.0f && m_power_level >= 3 &&
                 (jumpKey == INPUT_PRESSED || jumpKey == INPUT_HELD));
    if (m_airborne && m_jumping && m_jump_time < 1.0f && m_power_level >= 3 &&
        (jumpKey == INPUT_PRESSED || jumpKey == INPUT_HELD)) {
        push(Vector(0.0f, (1.0f - m_jump_time) * 180.0f * dt, 0.0f));
    }
}

PhysXComponent* PlayerComponent::PartBody(u32 k) const {
    GameObject* const part = Part(k);
    return part != nullptr
               ? dynamic_cast<PhysXComponent*>(part->GetComponent(ComponentType::Physics))
               : nullptr;
}

bool PlayerComponent::Punch(float dt, const Quaternion& heading, PunchState& punch,
                            const std::string& side, u32 track, u32 part) {
    AnimationController* const anim = m_animation_controller;
    if (anim == nullptr) {
        return false;
    }
    const std::string charge = side + " Punch Charge";
    const std::string release = side + " Punch Release";
    const std::string rest = side + " Punch Rest";
    const u8 key = m_input.m_controls[CONTROL_PUNCH];
    const bool keyUp = key == INPUT_UP || key == INPUT_RELEASED;
    f32& glow = m_part_brightness[part < kPartCount ? part : kRightArm];

    if (punch.phase == PunchState::kStart) {
        punch.phase = PunchState::kCharge;
        anim->PlayAnimation(track, charge, kDefaultBlend);
        punch.speed = 1.0f;
        punch.charge = 0.4f;
        punch.released = 0;
    }
    switch (punch.phase) {
    case PunchState::kCharge: {
        // A rocket punch charges for a fixed time. An ordinary one charges while the key is
        // held, counting only the frames it stayed down through: the frame that notices the
        // press and the one that notices the let-go may each last far longer than the key
        // was down (a slow frame), and would turn a tap into a full charge. Once let go the
        // charge stays where it was.
        if (punch.rocket || (!punch.released && key == INPUT_HELD)) {
            punch.charge = std::max(punch.charge - 0.35f * dt, 0.0f);
        }
        if (m_power_level >= 2) {
            punch.speed -= (punch.rocket ? 2.0f : 1.0f) * dt * 20.0f;
            punch.speed = std::max(punch.speed, punch.rocket ? 0.075f : 0.1f);
            const f32 t = anim->GetAnimationTime(charge) * 2.5f;
            glow = 2.0f * t * t * t + 1.0f;
        }
        anim->SetAnimationSpeed(charge, punch.speed * 5.0f);
        if (m_power_level < 2 || (!punch.rocket && punch.charge >= 0.2f && keyUp)) {
            if (!anim->IsAnimationFinished(charge)) {
                anim->SetAnimationSpeed(charge, 1.0f);
            }
            punch.charge = 0.3f;
            punch.released = 1;
        }
        const bool letGo = punch.rocket ? punch.charge <= 0.0f : keyUp && punch.charge <= 0.3f;
        if (!letGo || !anim->IsAnimationFinished(charge)) {
            return false;
        }
        anim->SetAnimationSpeed(release, (1.5f / punch.speed) * 5.0f);
        anim->PlayAnimation(track, release, kDefaultBlend);
        PlayOnce(kPunchSound, 1.0f);
        punch.phase = PunchState::kRelease;
        if ((punch.rocket || punch.charge < 0.2f) && m_power_level >= 5) {
            FireArm(punch, side, track, part);
        }
        return false;
    }
    case PunchState::kRelease: {
        if (!anim->IsAnimationFinished(release)) {
            return false;
        }
        const f32 x = std::clamp(1.0f - (glow - 1.0f) * 0.5f, 0.1f, 0.4f);
        glow = 1.0f;
        if (punch.speed < 0.95f) {
            GameObject* const arm = Part(part);
            const Vector at = arm != nullptr ? arm->position : Vector(0.0f, 0.0f, 0.0f);
            SendForce(*this, at + Math::RotateByQuaternion(Vector(0.0f, -1.0f, 0.0f), heading),
                      PunchRadius(x), PunchForce(x), 0.25f);
        }
        anim->SetAnimationSpeed(rest, std::clamp(x * x * 0.5f + 0.5f, 0.0f, 1.0f) * 5.0f);
        anim->PlayAnimation(track, rest, kDefaultBlend);
        Blur(*this, 1.0f - x);
        punch.phase = PunchState::kRest;
        return false;
    }
    case PunchState::kRocketFlight: {
        punch.elapsed += dt;
        if (punch.rocket_arm != nullptr) {
            m_reply_valid = 0;
            Message<GameObject*> ask(MSG_BULLET_VALID, punch.rocket_arm);
            SendMessage(&ask, HANDLER_BULLET_PROCESS);
            if (!m_reply_valid) {
                punch.rocket_arm = nullptr;
            } else {
                const f32 e = punch.elapsed * 1.3333334f;
                const f32 x = (1.0f - e) * 0.2f + e * 0.4f;
                GameObject* const arm = punch.rocket_arm;
                SendForce(*this,
                          arm->position +
                              Math::RotateByQuaternion(Vector(0.0f, -1.0f, 0.0f), arm->orientation),
                          PunchRadius(x), PunchForce(x), dt);
            }
        }
        if (punch.rocket_arm != nullptr && punch.elapsed >= 0.75f) {
            Message<GameObject*> remove(MSG_LEVEL_DELETE_OBJECT, punch.rocket_arm);
            SendMessage(&remove, HANDLER_LEVEL_STATE);
            punch.rocket_arm = nullptr;
        }
        if (punch.elapsed >= 0.9f) {
            if (part < kPartCount) {
                m_part_hidden[part] = 0;
            }
            glow = 1.0f;
            if (PhysXComponent* body = PartBody(part)) {
                body->SetCollisionEnabled(true);
            }
            punch.phase = PunchState::kRest;
        }
        return false;
    }
    case PunchState::kRest:
        if (anim->IsAnimationFinished(rest)) {
            anim->DisableTrack(track, kTrackFade);
            return true;
        }
        return false;
    default:
        return false;
    }
}

void PlayerComponent::FireArm(PunchState& punch, const std::string& side, u32 track, u32 part) {
    punch.rocket_arm = nullptr;
    m_reply_object = nullptr;
    Message<std::string> create(MSG_LEVEL_CREATE_OBJECT, "FakeRobot" + side + "Arm");
    SendMessage(&create, HANDLER_LEVEL_STATE);
    punch.rocket_arm = m_reply_object;
    GameObject* const arm = punch.rocket_arm;
    GameObject* const real = Part(part);
    if (arm == nullptr || real == nullptr) {
        // Without a flying arm the punch goes on as an ordinary one.
        punch.rocket_arm = nullptr;
        return;
    }
    if (part < kPartCount) {
        m_part_hidden[part] = 1;
    }
    if (PhysXComponent* body = PartBody(part)) {
        body->SetCollisionEnabled(false);
    }
    arm->SetPosition(real->position);
    arm->SetOrientation(real->orientation);
    arm->SetScale(real->scale);
    arm->NotifyComponents();
    if (auto* bullet = dynamic_cast<Projectile*>(arm->GetComponent(ComponentType::Bullet))) {
        bullet->SetFired();
    }
    const Vector d = Math::Vec3Normalize(m_camera_target - m_camera_eye);
    arm->SetVelocity(arm->velocity + d * 400.0f);
    arm->MovePhysics(d * 400.0f);
    punch.phase = PunchState::kRocketFlight;
    punch.elapsed = 0.0f;
    const std::string rest = side + " Punch Rest";
    m_animation_controller->SetAnimationSpeed(rest, 1.0f);
    m_animation_controller->PlayAnimation(track, rest, kDefaultBlend);
}

void PlayerChildComponent::HandleMessage(BaseMessage* msg, u32 /*fromId*/) {
    if (msg == nullptr || msg->type != MSG_PHYSICS_COLLISION || g_player_cutscene) {
        return;
    }
    const Collision* contact = msg->Payload<Collision>();
    if (contact == nullptr || contact->m_kind == Collision::kNone) {
        return;
    }
    GameObject* const other = OtherObject(*contact, owner);
    if (other == nullptr) {
        return;
    }
    GameObject* const robot = owner != nullptr ? owner->parentObject : nullptr;
    auto* const player =
        robot != nullptr
            ? dynamic_cast<PlayerComponent*>(robot->GetComponent(ComponentType::Player))
            : nullptr;
    const auto damage = [&](f32 amount) {
        if (player != nullptr) {
            player->TakeDamage(amount);
        }
    };
    const std::string& type = other->name;
    const bool building = other->GetComponent(ComponentType::Building) != nullptr;
    if (type == "Rocket" || type == "Missile") {
        damage(3.0f);
        Blur(*this, 0.5f);
        Effect(*this, "Sparks", contact->m_point);
    } else if (type == "LaserPulse") {
        damage(1.0f);
        Blur(*this, 0.5f);
        Effect(*this, "Sparks", contact->m_point);
    } else if (type == "LaserPulseSmall") {
        damage(1.0f / 2.0f);
        Blur(*this, 0.5f);
        Effect(*this, "Sparks", contact->m_point);
    } else if (type == "Bullet") {
        damage(1.0f);
        Blur(*this, 0.25f);
        Effect(*this, "Sparks", contact->m_point);
    } else if (building) {
        Blur(*this, 0.25f);
        Effect(*this, "dust_small", contact->m_point);
    } else if (type == "BuildingGasStation") {
        Blur(*this, 0.5f);
    } else if (Contains(type, "GateBlocker")) {
        damage(0.5f);
        Blur(*this, 0.05f);
        Effect(*this, "ElectricSparks", contact->m_point);
        robot_sounds::PlayOnce(robot_sounds::SoundPlayerOf(robot),
                               robot_sounds::kElectricalExplosion,
                               robot_sounds::kElectricalExplosionVolume);
    }
    if (player != nullptr &&
        robot_sounds::PunchImpact(*other, owner->name, player->m_right_punch.phase,
                                  player->m_left_punch.phase)) {
        robot_sounds::PlayOnce(robot_sounds::SoundPlayerOf(robot), robot_sounds::kPunchImpact,
                               robot_sounds::kPunchImpactVolume);
    }
}
