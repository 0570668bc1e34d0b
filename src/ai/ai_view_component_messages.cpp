// How a unit answers the world: arrival, the robot's grab, throw, laser and push, contacts,
// the level's reply with a created shot, and sound instances.
#include <cmath>
#include <mutex>
#include <set>
#include <string>
#include <utility>

#include "PhysX/physx_component.h"
#include "ai/ai_view_component.h"
#include "ai/ai_view_process.h"
#include "ai/shot_aim.h"
#include "ai/state_machine.h"
#include "ai/unit_names.h"
#include "ai/unit_services.h"
#include "core/component_type.h"
#include "core/game_object.h"
#include "core/handler_ids.h"
#include "core/math_functions.h"
#include "core/message.h"
#include "game/collision.h"
#include "platform/system/crt_rand.h"
#include "platform/system/log.h"

namespace {

enum class Arrival { CycleWaypoints, Change, Missile };

struct ArrivalRow {
    NameRule rule;
    Arrival action;
    i32 state;
    // The change is skipped while the unit is in this state (STATE_NULL: never).
    i32 unless;
};

constexpr ArrivalRow kArrivalRows[] = {
    {{"AI-Ground-CarGame", NameRule::Is}, Arrival::CycleWaypoints, STATE_NULL, STATE_NULL},
    {{"AI-Ground-CitizenCardboard", NameRule::Is}, Arrival::CycleWaypoints, STATE_NULL, STATE_NULL},
    {{"AI-Ground-Tank", NameRule::Contains}, Arrival::Change, STATE_TANK_ATTACK, STATE_NULL},
    {{"AI-Ground-Truck", NameRule::Is}, Arrival::Change, STATE_TRUCK_ATTACK, STATE_NULL},
    {{"AI-Ground-Jeep", NameRule::Is}, Arrival::Change, STATE_JEEP_ATTACK, STATE_NULL},
    {{"AI-Fly-Helicopter", NameRule::Is}, Arrival::Change, STATE_HELICOPTER_ATTACK, STATE_NULL},
    {{"AI-Fly-Transport", NameRule::Is}, Arrival::Change, STATE_TRANSPORT_DROP, STATE_NULL},
    {{"AI-Boss-Fly-MothershipBase", NameRule::Is},
     Arrival::Change,
     STATE_MOTHERSHIP_ATTACK,
     STATE_MOTHERSHIP_DIE},
    {{"AI-Boss-Fly-UFO", NameRule::Is}, Arrival::Change, STATE_UFO_ATTACK, STATE_UFO_DIE},
    {{"AI-Fly-MediumUFO", NameRule::Is}, Arrival::Change, STATE_MEDIUM_UFO_ATTACK, STATE_NULL},
    {{"AI-Boss-Fly-Flythra", NameRule::Is},
     Arrival::Change,
     STATE_FLYTHRA_ATTACK,
     STATE_FLYTHRA_DIE},
    {{"AI-Seek-Missile", NameRule::Is}, Arrival::Missile, STATE_NULL, STATE_NULL},
};

// The laser shots of the saucers: their scale and how far below the unit they leave.
struct PulseRow {
    const char* name;
    Vector scale;
    f32 drop;
};

const PulseRow kPulseRows[] = {
    {"AI-Boss-Fly-UFO", Vector(14.5f, 6.0f, 6.0f), 7.5f},
    {"AI-Fly-MediumUFO", Vector(10.0f, 4.0f, 4.0f), 6.0f},
    {"AI-Fly-UFOChild", Vector(5.0f, 2.0f, 2.0f), 5.0f},
    {"AI-Boss-Fly-MothershipTurret", Vector(14.5f, 6.0f, 6.0f), 0.0f},
};

// Types whose arrival no row names: reported once each.
void ReportUnhandledArrival(const std::string& name) {
    static std::mutex lock;
    static std::set<std::string> reported;
    const std::lock_guard<std::mutex> guard(lock);
    if (reported.insert(name).second) {
        sys::Log() << "AI unit \"" << name << "\" reported arrival but has no attack state";
    }
}

AIViewComponent* UnitOf(GameObject* object) {
    if (object == nullptr) {
        return nullptr;
    }
    return static_cast<AIViewComponent*>(object->GetComponent(ComponentType::AIView));
}

PhysXComponent* BodyOf(GameObject* object) {
    if (object == nullptr) {
        return nullptr;
    }
    return dynamic_cast<PhysXComponent*>(object->GetComponent(ComponentType::Physics));
}

// A shot belongs to its shooter's group, which radial forces and the collidable switch match.
void CopyGroup(GameObject* unit, GameObject* shot) {
    PhysXComponent* const from = BodyOf(unit);
    PhysXComponent* const to = BodyOf(shot);
    if (from != nullptr && to != nullptr) {
        to->SetId(from->GetId());
    }
}

// The robot's position with a jitter of r1 up and r2 sideways, as seen from the shot.
Vector AimFrom(GameObject* target, GameObject* shot, f32 up, f32 side) {
    const Vector robot = target != nullptr ? target->position : Vector();
    const Vector aimPoint = robot + Vector(side, up, side);
    return (shot->position - aimPoint).Normalize();
}

// How a rocket or bullet is sent at the robot: the aim point's height above the robot and its
// sideways jitter (the same for x and z) are drawn in this order, then the shot is aimed from
// the aim point through itself and pushed back along that line.
struct Launch {
    f32 upLo;
    f32 upHi;
    f32 jitter;
    f32 speed;
    // A scale given to the shot before it is set up; 0 keeps its own.
    f32 scale = 0.0f;
};

void AimAndLaunch(GameObject* target, GameObject* shot, const Launch& launch) {
    const f32 up = Math::RandomRange(launch.upLo, launch.upHi);
    const f32 side = Math::RandomRange(-launch.jitter, launch.jitter);
    const Vector d = AimFrom(target, shot, up, side);
    shot->SetOrientation(OrientationAlong(d));
    if (launch.scale > 0.0f) {
        shot->SetScale(Vector(launch.scale, launch.scale, launch.scale));
    }
    shot->NotifyComponents();
    shot->MovePhysics(-d * launch.speed);
}

} // namespace

void AIViewComponent::HandleMessage(BaseMessage* msg, u32 fromId) {
    const std::string& name = Name();
    switch (msg->type) {
    case MSG_SEEK_ARRIVAL:
        OnSeekArrival();
        break;
    case MSG_GRAB:
        if (!Contains(name, "Citizen") && !Contains(name, "Boss-")) {
            ChangeTo(STATE_GRABBED);
        }
        break;
    case MSG_THROWN:
        if (!Contains(name, "AI-Ground-Citizen") && !Contains(name, "Boss-")) {
            ChangeTo(STATE_THROWN);
        }
        break;
    case MSG_LASER_OBJ:
        OnLaser();
        break;
    case MSG_CITIZEN_PANIC:
        if (Contains(name, "AI-Ground-Citizen") && !InState(STATE_CITIZEN_PANIC)) {
            ChangeTo(STATE_CITIZEN_PANIC);
        }
        break;
    case MSG_LEVEL_OBJECT_CREATED:
        OnObjectCreated(msg->ValueOr<GameObject*>(nullptr));
        break;
    case MSG_PHYSICS_COLLISION:
        OnCollision(msg);
        break;
    case MSG_PHYSICS_FORCE:
        OnForce();
        break;
    case MSG_SOUND_INSTANCE:
        m_soundInstance = msg->ValueOr<SoundInstance*>(nullptr);
        break;
    default:
        break;
    }
    (void)fromId;
}

void AIViewComponent::CycleWaypoints() {
    if (m_waypoints.empty()) {
        return;
    }
    m_waypoints.push_back(m_waypoints.front());
    m_waypoints.pop_front();
}

void AIViewComponent::OnSeekArrival() {
    if (InState(STATE_GRABBED) || InState(STATE_THROWN)) {
        return;
    }
    const std::string& name = Name();
    for (const ArrivalRow& row : kArrivalRows) {
        if (!row.rule.Matches(name)) {
            continue;
        }
        switch (row.action) {
        case Arrival::CycleWaypoints:
            CycleWaypoints();
            break;
        case Arrival::Change:
            if (row.unless == STATE_NULL || !InState(row.unless)) {
                ChangeTo(row.state);
            }
            break;
        case Arrival::Missile:
            ChangeTo(InState(STATE_MISSILE_LOOPBACK) ? STATE_MISSILE_SEEK : STATE_MISSILE_EXPLODE);
            break;
        }
        return;
    }
    // No attack state of its own: the unit keeps what it is doing.
    ReportUnhandledArrival(name);
}

void AIViewComponent::RaiseGlow(f32 step) {
    AIViewProcess* const ai = Process();
    UnitLook* const look = ai != nullptr ? ai->Look() : nullptr;
    if (look == nullptr || owner == nullptr || !look->HasGraphic(*owner)) {
        return;
    }
    m_laserGlow += step;
    look->SetHdrMultiplier(*owner, m_laserGlow);
}

void AIViewComponent::OnLaser() {
    const std::string& name = Name();
    if (name == "AI-Boss-Fly-MothershipBase" || name == "AI-Boss-Fly-MothershipBFG") {
        return;
    }
    if (name == "AI-Ground-CitizenCardboard") {
        if (!InState(STATE_THROWN)) {
            ChangeTo(STATE_THROWN);
        }
    } else if (Contains(name, "Boss-")) {
        TakeDamage(19);
    } else if (Contains(name, "Fly-")) {
        RaiseGlow(0.3f);
        TakeDamage(25 + crt::Rand() % 10);
        if (m_health < 50) {
            ChangeTo(STATE_THROWN);
            RemoveLaserBeams();
        }
    } else {
        RaiseGlow(0.35f);
        TakeDamage(55);
    }
}

void AIViewComponent::OnObjectCreated(GameObject* created) {
    m_createdObject = created;
    // Every placement below needs the object; a failed creation leaves nothing to place.
    if (created == nullptr || owner == nullptr) {
        return;
    }
    const std::string& name = Name();
    GameObject* const unit = owner;
    const Vector& at = unit->position;

    for (const PulseRow& row : kPulseRows) {
        if (name != row.name) {
            continue;
        }
        if (!Contains(created->name, "LaserPulse")) {
            return;
        }
        created->SetScale(row.scale);
        const bool turret = name == "AI-Boss-Fly-MothershipTurret";
        const Vector point = turret
                                 ? at + RotateByUnit(unit->orientation, Vector(0.0f, -15.0f, 0.0f))
                                 : Vector(at.x, at.y - row.drop, at.z);
        created->SetPosition(point);
        CopyGroup(unit, created);
        created->NotifyComponents();
        if (turret) {
            created->SetOrientation(Math::QuaternionMultiply(unit->orientation, QuarterTurnZ()));
            created->MovePhysics(RotateByUnit(unit->orientation, Vector(0.0f, -1.0f, 0.0f)) *
                                 225.0f);
        } else {
            const f32 up = Math::RandomRange(12.0f, 16.0f);
            const Vector d = AimFrom(m_target, created, up, 0.0f);
            created->SetOrientation(OrientationAlong(d));
            created->MovePhysics(-d * 280.0f);
        }
        return;
    }

    if (name == "AI-Boss-Fly-Flythra") {
        if (created->name == "LaserBeam") {
            created->SetPosition(Vector(at.x, at.y - 7.5f, at.z));
            created->NotifyComponents();
        }
    } else if (name == "AI-Fly-Helicopter") {
        const f32 side = crt::Rand() % 2 == 0 ? -1.0f : 2.0f;
        const Quaternion& q = unit->orientation;
        created->SetPosition(Vector(at.x, at.y - 0.4f, at.z) + Quaternion::GetDirection(q) +
                             Quaternion::GetRight(q) * side);
        AimAndLaunch(m_target, created, {14.0f, 18.0f, 2.0f, 90.0f});
        Message<std::pair<std::pair<GameObject*, GameObject*>, bool>> passThrough(
            MSG_PHYSICS_SET_OBJECTS_COLLIDABLE, {{created, unit}, false});
        SendMessage(&passThrough, HANDLER_PHYSX_PROCESS);
    } else if (name == "AI-Ground-Truck") {
        const i32 k = crt::Rand() % 6;
        // The remainder is truncated toward zero: k = 0 gives -3.
        const f32 x = static_cast<f32>((k - 1) % 3) * 3.0f;
        created->SetPosition(at + Vector(x, 2.0f - static_cast<f32>(k / 3), 0.0f));
        CopyGroup(unit, created);
        AimAndLaunch(m_target, created, {12.0f, 20.0f, 3.0f, 75.0f});
    } else if (name == "AI-Ground-Jeep") {
        created->SetPosition(at + Vector(3.0f, 4.0f, 0.0f));
        CopyGroup(unit, created);
        AimAndLaunch(m_target, created, {13.0f, 14.0f, 0.2f, 75.0f, 2.0f});
    } else if (Contains(name, "AI-Ground-Tank")) {
        created->SetPosition(at + RotateByUnit(unit->orientation, Vector(0.0f, 2.0f, -6.0f)));
        CopyGroup(unit, created);
        AimAndLaunch(m_target, created, {12.0f, 20.0f, 3.0f, 75.0f});
    } else if (name == "Tiny") {
        created->SetPosition(at + Quaternion::GetDirection(unit->orientation) * 4.5f);
        const Vector robot = m_target != nullptr ? m_target->position : Vector();
        const Vector d = (robot - created->position).Normalize();
        created->SetOrientation(OrientationAlong(d));
        created->NotifyComponents();
    }
}

void AIViewComponent::OnCollision(BaseMessage* msg) {
    const Collision* const contact = msg->Payload<Collision>();
    AIViewProcess* const ai = Process();
    const std::string& name = Name();
    if (contact == nullptr || (ai != nullptr && ai->paused) ||
        name == "AI-Boss-Fly-MothershipBase" || name == "AI-Boss-Fly-MothershipBFG") {
        return;
    }
    if (name == "AI-Boss-Fly-MothershipBFGCore" && (contact->m_events & 2u) == 0) {
        return;
    }
    if (contact->m_first == nullptr || contact->m_second == nullptr) {
        return;
    }
    GameObject* const first = contact->m_first->owner;
    GameObject* const second = contact->m_second->owner;
    if (first == nullptr || second == nullptr) {
        return;
    }
    GameObject* const other = first == owner ? second : first;
    const std::string& otherName = other->name;

    if (name == "AI-Ground-CitizenCardboard" || name == "AI-Ground-CarGame") {
        if (Contains(second->name, "Building") || Contains(second->name, "CardboardCity") ||
            Contains(second->name, "AI-")) {
            if (!InState(STATE_CITIZEN_PANIC) && !InState(STATE_THROWN)) {
                CycleWaypoints();
            }
        } else if (!InState(STATE_THROWN) && first->name != second->name) {
            ChangeTo(STATE_THROWN);
        }
        return;
    }
    if (Contains(name, "AI-Ground-Citizen")) {
        if (Contains(first->name, "AI-Ground-Citizen") && InState(STATE_CITIZEN_PANIC)) {
            AIViewComponent* const panicked = UnitOf(first);
            if (panicked != nullptr && !panicked->InState(STATE_CITIZEN_PANIC)) {
                panicked->ChangeTo(STATE_CITIZEN_PANIC);
            }
        }
        if (Contains(otherName, "Robot")) {
            Expire();
        } else if (other->GetComponent(ComponentType::Building) != nullptr &&
                   other->velocity.LengthSquared() > 36.0f) {
            Expire();
        }
        return;
    }

    if (Contains(name, "AI-Ground-Tank") && InState(STATE_TANK_DROPPED) &&
        otherName == "InvisiblePlane") {
        if (PhysXComponent* const body = BodyOf(owner)) {
            body->Land();
            body->FreezePositionY();
        }
        ChangeTo(STATE_TANK_SEEK);
    }
    if (Contains(name, "Boss-") &&
        (otherName == "RobotBase" || otherName == "RobotLeg" || otherName == "RobotBody")) {
        TakeDamage(51);
        return;
    }
    if (Contains(otherName, "Fake")) {
        if (Contains(name, "Boss-")) {
            TakeDamage(60);
        } else if (name == "AI-Fly-MediumUFO") {
            TakeDamage(60);
            const Vector robot = m_target != nullptr ? m_target->position : Vector();
            owner->MovePhysics((owner->position - robot).Normalize() * 155.0f);
        } else {
            Expire();
        }
        return;
    }
    AIViewComponent* const otherUnit = UnitOf(other);
    const bool thrownHit =
        (otherUnit != nullptr && otherUnit->InState(STATE_THROWN)) || InState(STATE_THROWN);
    if (Contains(otherName, "AI-") && !Contains(otherName, "AI-Ground-Citizen") && thrownHit) {
        if (Contains(name, "Boss-") || name == "AI-Fly-MediumUFO") {
            TakeDamage(35);
            if (otherName != "AI-Boss-Fly-UFO" && otherName != "AI-Fly-UFOChild" &&
                name != "AI-Boss-Fly-Flythra" && otherUnit != nullptr) {
                otherUnit->Expire();
            }
        } else if (Contains(otherName, "Boss-")) {
            if (name != "AI-Fly-UFOChild") {
                Expire();
            }
        } else {
            Expire();
            if (otherUnit != nullptr) {
                otherUnit->Expire();
            }
        }
        return;
    }
    if (other->GetComponent(ComponentType::Building) != nullptr &&
        (other->velocity.LengthSquared() > 225.0f || InState(STATE_THROWN))) {
        // The building's destruction flag is not reachable from here yet: an intact building.
        const bool destroyed = false;
        if (Contains(name, "Boss-")) {
            TakeDamage(destroyed ? 8 : 20);
        } else if (name == "AI-Fly-UFOChild") {
            TakeDamage(destroyed ? 13 : 25);
        } else if (name == "AI-Fly-MediumUFO") {
            TakeDamage(destroyed ? 20 : 30);
        } else {
            Expire();
        }
    }
}

void AIViewComponent::OnForce() {
    const std::string& name = Name();
    if (name == "AI-Ground-CitizenCardboard") {
        if (!InState(STATE_THROWN) && !InState(STATE_CITIZEN_PANIC)) {
            ChangeTo(STATE_THROWN);
        }
    } else if (name == "AI-Fly-MediumUFO") {
        TakeDamage(20);
    } else if (Contains(name, "Boss-")) {
        TakeDamage(3);
    } else if (name == "AI-Fly-UFOChild" || name == "AI-Ground-Citizen") {
        TakeDamage(9);
    } else {
        Expire();
    }
}
