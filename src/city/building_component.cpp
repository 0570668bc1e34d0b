#include "city/building_component.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "PhysX/physx_component.h"
#include "city/building_process.h"
#include "city/building_services.h"
#include "core/component_type.h"
#include "core/game_object.h"
#include "core/handler_ids.h"
#include "core/message.h"
#include "game/collision.h"
#include "platform/system/crt_rand.h"

namespace {

constexpr u32 kStartTouch = 2;
constexpr u32 kTouch = 8;

bool Contains(const std::string& text, const char* word) {
    return text.find(word) != std::string::npos;
}

bool IsGroundUnit(const std::string& type) {
    return type == "AI-Ground-Tank" || type == "AI-Ground-TankObjective" ||
           type == "AI-Fly-Helicopter" || Contains(type, "AI-Ground-Car");
}

bool IsMothership(const std::string& type) {
    return type == "AI-Boss-Fly-MothershipBase" || type == "AI-Boss-Fly-MothershipBFGCore";
}

// The multiple of the base damage an enemy's impact does; 0 for anything else.
float EnemyImpact(const std::string& type) {
    if (type == "AI-Boss-Fly-Flythra" || type == "AI-Boss-Fly-UFO") {
        return 4.0f;
    }
    if (type == "AI-Fly-UFOChild" || type == "AI-Fly-MediumUFO") {
        return 2.0f;
    }
    if (IsMothership(type)) {
        return 15.0f;
    }
    return Contains(type, "AI") ? 2.0f : 0.0f;
}

bool IsArm(const std::string& type) {
    return Contains(type, "RobotRightArm") || Contains(type, "RobotLeftArm");
}

BuildingComponent* BuildingOf(GameObject* object) {
    return object != nullptr
               ? dynamic_cast<BuildingComponent*>(object->GetComponent(ComponentType::Building))
               : nullptr;
}

std::string ImpactSound() {
    return "assets/sound fx/building_impact" + std::to_string(crt::Rand() % 3 + 1) + ".mp3";
}

} // namespace

BuildingComponent::BuildingComponent(const std::string& objectType, float health, bool grabbable,
                                     BuildingProcess* buildingProcess)
    : DefinitionComponent(objectType), m_grabbable(grabbable), m_health(health),
      m_max_health(health), m_building_process(buildingProcess) {}

BuildingComponent::~BuildingComponent() {
    if (m_quadtree_node != nullptr) {
        [[maybe_unused]] const bool removed = m_quadtree_node->Remove(this);
        assert(removed && "Object not removed from quadtree node.");
        m_quadtree_node = nullptr;
    }
}

PhysXComponent* BuildingComponent::Physics() const {
    return owner != nullptr
               ? dynamic_cast<PhysXComponent*>(owner->GetComponent(ComponentType::Physics))
               : nullptr;
}

GameObject* BuildingComponent::RobotObject() const {
    return m_building_process != nullptr ? m_building_process->RobotObject() : nullptr;
}

float BuildingComponent::ThrowFactor() const {
    if (!m_thrown) {
        return 2.0f;
    }
    const float t = m_throw_time / m_throw_ramp;
    return 2.0f * t * t * t;
}

void BuildingComponent::Damage(float amount) {
    m_health -= s_damage_multiplier * ThrowFactor() * amount;
}

void BuildingComponent::DamageHeavy(float amount) {
    Damage(amount * 4.0f);
}

void BuildingComponent::StartCollapse() {
    m_collapsing = true;
    m_timer = 0.0f;
}

void BuildingComponent::Anchor() {
    if (m_anchored || m_loose || m_grabbable || m_held || m_thrown) {
        return;
    }
    PhysXComponent* physics = Physics();
    if (physics == nullptr || physics->GetActor() == nullptr) {
        return;
    }
    physics->FreezeAll();
    m_anchored = true;
}

void BuildingComponent::Initialize() {
    BuildingServices& services = BuildingServices::Get();
    if (owner == nullptr) {
        return;
    }
    if (services.HasSoundPlayer(owner)) {
        for (const char* path :
             {"assets/sound fx/building_impact1.mp3", "assets/sound fx/building_impact2.mp3",
              "assets/sound fx/building_impact3.mp3", "assets/sound fx/medium_explosion.mp3"}) {
            services.PreloadSound(path);
        }
    }
    if (router != nullptr) {
        Message<std::string> spawned(MSG_OBJECT_LEVEL_SPAWN, m_object_type);
        SendMessage(&spawned, HANDLER_GAME_LOGIC_PROCESS);
    }
    if (services.HasGraphic(owner) && !services.IsGraphicAnchored(owner)) {
        m_loose = true;
    }
    if (services.HasObjectiveMarker(owner)) {
        Vector min;
        Vector max;
        float top = services.GetMeshBounds(owner, &min, &max) ? max.y : 0.0f;
        if (m_object_type == "BuildingReactor") {
            top += 5.0f;
        } else if (m_object_type == "BuildingGasObjective") {
            top -= 8.0f;
        }
        services.SetObjectiveOffset(owner, Vector(0.0f, top, 0.0f));
        if (m_building_process != nullptr && m_building_process->m_endless) {
            services.RemoveObjectiveMarker(owner);
        }
    }
    if (const PhysXComponent* physics = Physics()) {
        m_physics_id = physics->GetId();
    }
    Anchor();
}

void BuildingComponent::Update(float dt) {
    if (owner == nullptr) {
        return;
    }
    Anchor();
    BuildingServices& services = BuildingServices::Get();
    if (!m_loose && m_bounding_radius == 0.0f && owner->boundingBox != nullptr) {
        m_bounding_radius = owner->boundingBox->m_extents.Length();
    }
    if (!m_held) {
        if (m_thrown) {
            m_throw_time = std::min(m_throw_time + dt, m_throw_ramp);
            // While the ramp runs the robot's own pushes skip the building and the robot's
            // body passes through it (the robot's group); afterwards both are its own again.
            if (PhysXComponent* physics = Physics()) {
                if (m_throw_time < m_throw_ramp) {
                    physics->SetId(
                        m_building_process != nullptr ? m_building_process->RobotPhysicsId() : 0u);
                    physics->SetGroupsMask(0u);
                } else {
                    physics->SetId(m_physics_id);
                    physics->SetGroupsMask(m_physics_id);
                }
            }
        }
        if (m_collapsing) {
            m_timer += dt;
            const bool gas = Contains(m_object_type, "BuildingGas");
            const float end = m_loose ? 1.0f : (gas ? 1.5f : 0.0f);
            m_timer = std::clamp(m_timer, 0.0f, end);
            if (m_timer >= end) {
                m_remove = true;
            }
            if (services.HasGraphic(owner)) {
                services.SetDamageShade(owner,
                                        gas ? 1.0f + 0.5f * m_timer : 0.75f - 0.25f * m_timer);
            }
        } else {
            if (m_loose && m_timer > 0.0f) {
                const float n = m_building_process != nullptr
                                    ? static_cast<float>(m_building_process->BuildingCount())
                                    : 0.0f;
                const float speed = std::max((n - 500.0f) * 0.02f, 0.0f) + 1.0f;
                float g = 1.0f;
                if (m_thrown) {
                    const float t = m_throw_time / m_throw_ramp;
                    g = t * t * t;
                }
                const float m = 1.1f - static_cast<float>(crt::Rand() % 100) * 0.002f;
                m_timer += m * g * speed * dt;
            }
            if (m_thrown) {
                m_health -= owner->velocity.Length() * dt * 0.02f;
            }
            if ((m_loose && m_timer >= kCrumbleEnd) || m_health <= 0.0f) {
                StartCollapse();
            }
            if (services.HasGraphic(owner)) {
                const float share = m_max_health > 0.0f ? m_health / m_max_health : 0.0f;
                const float v = m_loose ? (share + m_timer * 0.2f) * 0.5f : share;
                services.SetDamageShade(owner, 0.75f + 0.25f * v);
            }
        }
    }
    if (m_loose) {
        const GameObject* robot = RobotObject();
        if (robot != nullptr && (owner->position - robot->position).LengthSquared() > kFarSquared) {
            // Taken away for distance, not destroyed: no effects and no reward.
            m_remove = true;
            m_silent = true;
        }
    }
    if (m_thrown && !Contains(m_object_type, "Billboard")) {
        services.SwitchOffLights(owner);
    }
}

void BuildingComponent::HandleMessage(BaseMessage* msg, u32) {
    if (msg->type == MSG_PHYSICS_COLLISION) {
        const Collision* contact = msg->Payload<Collision>();
        if (contact == nullptr) {
            return;
        }
        const PhysXComponent* other = nullptr;
        if (contact->m_first != nullptr && contact->m_first->GetOwner() != owner) {
            other = contact->m_first;
        } else if (contact->m_second != nullptr && contact->m_second->GetOwner() != owner) {
            other = contact->m_second;
        }
        if (other == nullptr) {
            return;
        }
        if ((contact->m_events & kStartTouch) != 0) {
            OnStartTouch(other->GetOwner(), other->m_object_type);
        } else if ((contact->m_events & kTouch) != 0) {
            OnTouch(*contact, other->m_object_type);
        }
    } else if (msg->type == MSG_PHYSICS_FORCE) {
        OnForce(msg->ValueOr<float>(0.0f));
    }
}

void BuildingComponent::OnStartTouch(GameObject* other, const std::string& type) {
    if (m_collapsing || m_held) {
        return;
    }
    if (!m_thrown && IsGroundUnit(type)) {
        if (!BuildingServices::Get().IsUnitThrown(other)) {
            return;
        }
    } else if (Contains(type, "AI-Ground-Citizen")) {
        return;
    }

    float b = 1.0f;
    if (m_thrown) {
        b = m_throw_time < m_throw_ramp ? 1.5f * 7.5f : 7.5f;
    }
    if (type == "BuildingBowlingBall") {
        b *= 7.5f;
    }

    const float enemy = EnemyImpact(type);
    if (enemy > 0.0f) {
        Damage(b * enemy);
    }

    if (type == "InvisiblePlane") {
        if (m_loose) {
            m_timer = 0.1f;
        }
        if (Contains(m_object_type, "BuildingGas")) {
            Damage(3.0f * b);
            if (m_health <= 0.0f) {
                m_collapsing = true;
                m_timer = 0.75f;
            }
        }
    }

    float volume = 0.0f;
    bool robotBase = false;
    if (IsArm(type)) {
        DamageHeavy(0.75f * b);
    } else if (Contains(type, "RobotHead")) {
        DamageHeavy(1.25f * b);
    } else if (type == "RobotBody") {
        DamageHeavy(0.35f * b);
    } else if (type == "RobotLeg") {
        DamageHeavy(m_loose ? 50.0f * b * 0.35f : 0.25f * b * 0.35f);
    } else if (type == "RobotBase" && (m_loose || Contains(m_object_type, "Car"))) {
        DamageHeavy(3.0f * b);
        robotBase = true;
    } else if (Contains(type, "Building")) {
        const BuildingComponent* otherBuilding = BuildingOf(other);
        float s = type == m_object_type ? 0.75f : 1.0f;
        if (other != nullptr && other->velocity.LengthSquared() < 25.0f) {
            s *= 0.2f;
        }
        const bool otherLoose = otherBuilding != nullptr && otherBuilding->m_loose;
        if (m_loose) {
            Damage(b * (otherLoose ? 0.35f : 0.75f) * 0.4f);
        } else {
            Damage((otherLoose ? 0.15f : 6.0f) * s * b * 0.25f);
        }
        volume = otherBuilding != nullptr && otherBuilding->m_thrown ? 0.8f : 0.6f;
        if (otherLoose) {
            volume *= 0.8f;
        }
    } else if (m_thrown && type == "InvisiblePlane") {
        Damage(0.15f * b);
    } else {
        Damage(0.1f * b);
    }

    LightsOutWhenWeak();

    if (IsArm(type)) {
        volume = 0.9f;
    } else if (type == "RobotBody" || type == "RobotLeg" || Contains(type, "RobotHead")) {
        volume = 0.8f;
    } else if (robotBase) {
        volume = 0.4f;
    } else if (type == "Missile" || type == "Rocket" || type == "AI-Ground-Tank" ||
               type == "AI-Ground-TankObjective" || type == "AI-Fly-Helicopter" ||
               type == "AI-Boss-Fly-UFO" || type == "AI-Fly-UFOChild") {
        volume = 0.6f;
    } else if ((m_thrown && type == "InvisiblePlane") || Contains(type, "CardBoardCity") ||
               Contains(type, "GateBlocker")) {
        volume = 0.5f;
    }

    if (QuietLoosePiece(40)) {
        return;
    }
    if (!BuildingServices::Get().HasSoundPlayer(owner)) {
        return;
    }
    PlayImpact(!m_loose && IsArm(type) ? std::string("assets/sound fx/punch_impact.mp3")
                                       : ImpactSound(),
               volume);
}

void BuildingComponent::OnTouch(const Collision& contact, const std::string& type) {
    const bool mesh =
        (contact.m_first != nullptr && contact.m_first->GetCollisionMesh() != "false") ||
        (contact.m_second != nullptr && contact.m_second->GetCollisionMesh() != "false");
    if (mesh) {
        m_health -= ThrowFactor() * s_damage_multiplier * 0.1f;
    }
    if (!m_loose && IsMothership(type)) {
        Damage(1.0f);
    }
}

void BuildingComponent::OnForce(float force) {
    const float k = m_loose ? 0.65f + static_cast<float>(crt::Rand() % 100) * 0.0015f : 1.0f;
    // A building defined without health would take infinite damage; it collapses on its
    // first update anyway.
    if (m_max_health > 0.0f) {
        m_health -= k / m_max_health * force * 0.0001f * ThrowFactor() * s_damage_multiplier;
    }
    LightsOutWhenWeak();
    const float volume = Contains(m_object_type, "Building") ? 0.75f : 0.3f;
    if (QuietLoosePiece(60)) {
        return;
    }
    if (BuildingServices::Get().HasSoundPlayer(owner)) {
        PlayImpact(ImpactSound(), volume);
    }
}

void BuildingComponent::LightsOutWhenWeak() {
    if (m_health < kLightsOutHealth && !Contains(m_object_type, "Billboard") && owner != nullptr) {
        BuildingServices::Get().SwitchOffLights(owner);
    }
}

bool BuildingComponent::QuietLoosePiece(int oneIn) {
    return m_loose && !m_thrown &&
           !(static_cast<float>(crt::Rand() % oneIn) * s_damage_multiplier < 1.0f);
}

void BuildingComponent::PlayImpact(const std::string& path, float volume) {
    BuildingServices::Get().PlaySound(owner, path, volume);
}
