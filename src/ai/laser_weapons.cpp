#include "ai/laser_weapons.h"

#include <algorithm>
#include <string>

#include "PhysX/physx_component.h"
#include "ai/ai_view_component.h"
#include "ai/ai_view_process.h"
#include "ai/state.h"
#include "ai/state_machine.h"
#include "ai/unit_services.h"
#include "core/bounds.h"
#include "core/component_type.h"
#include "core/game_object.h"
#include "core/handler_ids.h"
#include "core/message.h"
#include "core/quaternion.h"
#include "game/laser_beam_info.h"
#include "game/radial_force.h"
#include "platform/system/crt_rand.h"
#include "player/player_component.h"

namespace {

FlyerServices* g_flyer_services = nullptr;

// One burst pattern: count pulses step seconds apart, starting again once the weapon timer
// has passed base.
struct PulseBurst {
    const char* m_name; // null: every other unit
    i32 m_count;
    f32 m_step;
    f32 m_base;
    const char* m_projectile;
    f32 m_volume_k;
    f32 m_volume_cap;
};

constexpr PulseBurst kBursts[] = {
    {"AI-Boss-Fly-UFO", 7, 0.33f, 4.0f, "LaserPulse", 22.5f, 0.95f},
    {"AI-Boss-Fly-MothershipTurret", 10, 0.33f, 4.0f, "LaserPulse", 19.5f, 0.85f},
    {"AI-Fly-MediumUFO", 2, 0.25f, 1.5f, "LaserPulseSmall", 16.5f, 0.75f},
    {nullptr, 4, 0.6f, 4.5f, "LaserPulseSmall", 16.5f, 0.65f},
};

// The turret stops sending pulses once its timer is this far on (and then starts over).
constexpr f32 kPulseCutoff = 19.0f;
constexpr f32 kBeamHit = 3.5f;
// The robot's body parts are its first children.
constexpr std::size_t kRobotParts = 6;

const PulseBurst& BurstOf(const std::string& name) {
    for (const PulseBurst& burst : kBursts) {
        if (burst.m_name == nullptr || name == burst.m_name) {
            return burst;
        }
    }
    return kBursts[std::size(kBursts) - 1];
}

Vector RobotPosition(const State& state) {
    GameObject* const robot = state.Target();
    return robot != nullptr ? robot->position : Vector();
}

// A volume falling off with distance: k / length, capped (the cap also for no length).
f32 Falloff(f32 k, f32 length, f32 cap) {
    return length > 0.0f ? std::min(k / length, cap) : cap;
}

u32 PhysicsIdOf(GameObject& object) {
    auto* const body = dynamic_cast<PhysXComponent*>(object.GetComponent(ComponentType::Physics));
    return body != nullptr ? body->GetId() : 0;
}

bool HasPhysics(GameObject& object) {
    return object.GetComponent(ComponentType::Physics) != nullptr;
}

void SendBeamInfo(AIViewComponent& unit, u32 type, const LaserBeamInfo& info) {
    Message<LaserBeamInfo> message(type, info);
    unit.SendMessage(&message, HANDLER_GRAPHICS_PROCESS);
}

LaserBeamInfo BeamInfo(const Vector& start, const Vector& end, GameObject* beam, f32 elapsed) {
    LaserBeamInfo info;
    info.m_start = start;
    info.m_end = end;
    info.m_beam = beam != nullptr ? beam->GetComponent(ComponentType::Graphic) : nullptr;
    info.m_elapsed = elapsed;
    info.m_duration = kBeamLife;
    info.m_width = kBeamWidth;
    return info;
}

// Whether the ray from origin along dir passes through one of the robot's body parts.
bool HitsRobot(GameObject& robot, const Vector& origin, const Vector& dir) {
    const std::size_t parts = std::min(robot.childObjects.size(), kRobotParts);
    for (std::size_t i = 0; i < parts; ++i) {
        GameObject* const part = robot.childObjects[i];
        if (part == nullptr || part->boundingBox == nullptr) {
            continue;
        }
        if (Math::BoxIntersect(part->position, part->boundingBox->m_extents, &part->orientation,
                               origin, dir) != 0) {
            return true;
        }
    }
    return false;
}

void Push(AIViewComponent& unit, const RadialForce& force, f32 delay) {
    Message<RadialForce> push(MSG_PHYSICS_RADIAL_FORCE, force);
    unit.SendMessage(&push, HANDLER_PHYSX_PROCESS, delay);
}

} // namespace

void FlyerServices::DamageRobot(GameObject& robot, f32 amount) {
    if (auto* const player =
            dynamic_cast<PlayerComponent*>(robot.GetComponent(ComponentType::Player))) {
        player->TakeDamage(amount);
    }
}

void FlyerServices::SetCollisionEnabled(GameObject& object, bool enabled) {
    if (auto* const body =
            dynamic_cast<PhysXComponent*>(object.GetComponent(ComponentType::Physics))) {
        body->SetCollisionEnabled(enabled);
    }
}

FlyerServices* Flyers() {
    static FlyerServices defaults;
    return g_flyer_services != nullptr ? g_flyer_services : &defaults;
}

void SetFlyerServices(FlyerServices* services) {
    g_flyer_services = services;
}

BeamAim AimBeam(const Vector& origin, const Vector& target) {
    const Vector toTarget = target - origin;
    if (toTarget.y < 0.0f && origin.y > 0.0f) {
        const f32 t = -origin.y / toTarget.y;
        return {origin + toTarget * t, kBeamLife / t};
    }
    return {origin + toTarget * 2.0f, kBeamLife * 0.5f};
}

void FireLaserPulse(State& state, f32& pulseTimer) {
    AIViewComponent* const unit = state.Unit();
    GameObject* const self = state.Self();
    if (unit == nullptr || self == nullptr || pulseTimer >= unit->m_weaponTimer) {
        return;
    }
    const Vector p = RobotPosition(state) + Vector(0.0f, 12.0f, 0.0f);
    AIViewProcess* const ai = unit->Process();
    UnitAudio* const audio = ai != nullptr ? ai->Audio() : nullptr;
    SoundInstance* const instance =
        audio != nullptr ? audio->PlayerInstance(*self, kLaserSoundPath) : nullptr;

    const PulseBurst& burst = BurstOf(unit->Name());
    const bool turret = unit->Name() == "AI-Boss-Fly-MothershipTurret";
    if ((!turret || pulseTimer < kPulseCutoff) && unit->router != nullptr) {
        Message<std::string> create(MSG_LEVEL_CREATE_OBJECT, std::string(burst.m_projectile));
        unit->SendMessage(&create, HANDLER_LEVEL_STATE);
    }
    if (instance != nullptr) {
        audio->Play(instance, Falloff(burst.m_volume_k, p.Length(), burst.m_volume_cap), false);
    }
    pulseTimer += burst.m_step;
    const f32 limit = burst.m_base + static_cast<f32>(burst.m_count) * burst.m_step;
    if (pulseTimer >= limit) {
        if (pulseTimer >= kPulseCutoff) {
            pulseTimer = 4.0f;
            unit->m_weaponTimer = 4.0f;
        } else {
            pulseTimer = burst.m_base;
            unit->m_weaponTimer = -static_cast<f32>(crt::Rand() % 100) * 0.01f;
        }
    }
}

void FireLaserBeam(State& state, f32 interval, f32 spreadBase) {
    AIViewComponent* const unit = state.Unit();
    GameObject* const self = state.Self();
    if (unit == nullptr || self == nullptr) {
        return;
    }
    unit->m_createdObject = nullptr;
    if (unit->router != nullptr) {
        Message<std::string> create(MSG_LEVEL_CREATE_OBJECT, std::string("LaserBeam"));
        unit->SendMessage(&create, HANDLER_LEVEL_STATE);
    }
    GameObject* const beam = unit->m_createdObject;
    if (beam != nullptr && state.m_machine != nullptr) {
        const Vector origin = self->position - Vector(0.0f, 5.0f, 0.0f);
        const Vector target = RobotPosition(state) + Vector(0.0f, 15.0f, 0.0f);
        BeamAim aim = AimBeam(origin, target);
        const f32 spread = spreadBase * 0.25f + target.Length() * 0.02f;
        aim.m_end.z += static_cast<f32>(crt::Rand() % 100) * 0.01f * 2.0f * spread - spread;
        aim.m_end.x += static_cast<f32>(crt::Rand() % 100) * 0.01f * 2.0f * spread - spread;
        state.m_machine->m_beams.push_back({beam, aim.m_end, 0.0f, aim.m_hit_delay});
        SendBeamInfo(*unit, MSG_GRAPHICS_LASER_BEAM_CREATION,
                     BeamInfo(origin, aim.m_end, beam, 0.0f));

        unit->m_soundInstance = nullptr;
        Message<std::string> sound(MSG_GET_SOUND_INSTANCE, std::string(kLaserSoundPath));
        unit->SendMessage(&sound, HANDLER_SOUND_PROCESS);
        AIViewProcess* const ai = unit->Process();
        if (unit->m_soundInstance != nullptr && ai != nullptr && ai->Audio() != nullptr) {
            ai->Audio()->Play(unit->m_soundInstance, 0.8f, false);
        }

        if (HasPhysics(*self)) {
            const u32 own = PhysicsIdOf(*self);
            for (int k = 0; k < 10; ++k) {
                const Vector at = origin + (aim.m_end - origin) * (0.125f * static_cast<f32>(k));
                Push(*unit, RadialForce(at, 30.0f, 150.0f, 0.0f, own, 0, RadialForce::kForce),
                     0.05f * static_cast<f32>(k));
            }
        }
    }
    state.m_beam_timer = (state.m_beam_timer - interval) * 0.5f;
}

void AdvanceLaserBeams(State& state, float dt) {
    AIViewComponent* const unit = state.Unit();
    GameObject* const self = state.Self();
    if (unit == nullptr || self == nullptr || state.m_machine == nullptr) {
        return;
    }
    std::list<BeamRecord>& beams = state.m_machine->m_beams;
    for (auto it = beams.begin(); it != beams.end();) {
        BeamRecord& beam = *it;
        beam.m_age += dt;
        if (beam.m_hit_delay > 0.0f && beam.m_age >= beam.m_hit_delay) {
            const Vector origin = self->position - Vector(0.0f, 5.0f, 0.0f);
            GameObject* const robot = state.Target();
            if (robot != nullptr && HitsRobot(*robot, origin, beam.m_end - origin)) {
                Flyers()->DamageRobot(*robot, kBeamHit);
            }
            beam.m_hit_delay = -1.0f;
        }
        if (beam.m_age > kBeamLife) {
            SendBeamInfo(*unit, MSG_GRAPHICS_LASER_BEAM_DELETION,
                         BeamInfo(Vector(), Vector(), beam.m_beam, 0.0f));
            Message<GameObject*> remove(MSG_LEVEL_DELETE_OBJECT, beam.m_beam);
            unit->SendMessage(&remove, HANDLER_LEVEL_STATE);
            if (HasPhysics(*self)) {
                Push(*unit,
                     RadialForce(beam.m_end, 30.0f, 400.0f, 0.0f, PhysicsIdOf(*self), 0,
                                 RadialForce::kForce),
                     0.0f);
            }
            it = beams.erase(it);
        } else {
            UpdateLaserBeamGraphic(state, beam);
            ++it;
        }
    }
}

void UpdateLaserBeamGraphic(State& state, const BeamRecord& beam) {
    AIViewComponent* const unit = state.Unit();
    GameObject* const self = state.Self();
    if (unit == nullptr || self == nullptr) {
        return;
    }
    Vector origin = self->position - Vector(0.0f, 5.0f, 0.0f);
    if (unit->Name() == "AI-Boss-Fly-Flythra") {
        // The flying boss fires from its mouth.
        origin = self->position + state.Facing() * 39.0f + Vector(0.0f, 33.0f, 0.0f);
    }
    SendBeamInfo(*unit, MSG_GRAPHICS_LASER_BEAM_UPDATE,
                 BeamInfo(origin, beam.m_end, beam.m_beam, beam.m_age));
}

void RemoveLaserBeams(State& state) {
    if (AIViewComponent* const unit = state.Unit()) {
        unit->RemoveLaserBeams();
    }
}
