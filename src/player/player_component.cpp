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
#include "game/radial_force.h"
#include "platform/physics/types.h"
#include "platform/system/crt_rand.h"
#include "platform/system/log.h"
#include "player/player_process.h"

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
                         HANDLER_PHYSX_PROCESS}) {
        Message<Component*> announce(MSG_PLAYER_COMPONENT, this);
        SendMessage(&announce, to);
    }
    if (owner != nullptr) {
        m_animation_controller = dynamic_cast<AnimationController*>(
            owner->GetComponent(ComponentType::AnimationController));
        m_sound_player = owner->GetComponent(ComponentType::SoundPlayer);
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
    UpdateJump(dt, heading);
    Vector move;
    UpdateLocomotion(move, dt, heading);
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
    if (!m_laser_firing && m_arm_state != kArmFree && punchPressed && !m_left_punching &&
        !rightStarted) {
        m_left_punching = 1;
        m_left_punch.phase = PunchState::kStart;
        m_left_punch.rocket = rocket ? 1 : 0;
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
        m_dying = 1;
        m_death_time = 0.0f;
        g_player_mode = 1;
    }
    HitFlashStep(dt);

    if (m_physics_stepped && !m_touching) {
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
        m_power_level = std::min(m_power_level + 1, kMaxPowerLevel);
        SendToHandler(MSG_PLAYER_POWER_LEVEL, HANDLER_BUILDING_PROCESS);
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

void PlayerComponent::UpdateLocomotion(Vector& move, float /*dt*/, const Quaternion&) {
    move = m_laser_firing ? Vector(0.0f, 0.0f, 0.0f) : m_input.m_movement;
}

void PlayerComponent::UpdateJump(float, const Quaternion&) {}

bool PlayerComponent::Punch(float, const Quaternion&, PunchState&, const std::string&, u32, u32) {
    return false;
}

void PlayerComponent::UpdateGrab(float) {}

void PlayerComponent::UpdateLaser(float) {}

void PlayerComponent::UpdateHealthMeter() {}

void PlayerComponent::UpdateHeadRegrowth(float) {}

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
    }
}
