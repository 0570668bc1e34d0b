#include "ai/ai_view_process.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "PhysX/physx_component.h"
#include "ai/ai_view_component.h"
#include "ai/state_machine.h"
#include "ai/unit_names.h"
#include "ai/unit_services.h"
#include "city/spawn_point_component.h"
#include "content/particle_system_info.h"
#include "core/bounds.h"
#include "core/component_header.h"
#include "core/component_type.h"
#include "core/game_object.h"
#include "core/math_functions.h"
#include "core/message.h"
#include "game/radial_force.h"
#include "game/remove_count.h"
#include "platform/system/crt_rand.h"

namespace {

constexpr const char* kPreloadedSounds[] = {
    "./assets/sound fx/tank_shot.mp3",
    "./assets/sound fx/helicopter_shot.mp3",
    "./assets/sound fx/helicopter.mp3",
    "./assets/sound fx/building_demolition_2.mp3",
};
constexpr const char* kDemolitionSound = "./assets/sound fx/building_demolition_2.mp3";
constexpr const char* kExplosionSound = "./assets/sound fx/medium_explosion.mp3";
constexpr i32 kMaxPending = std::numeric_limits<i32>::max();

i32 SaturatingAdd(i32 a, i32 b) {
    const i64 sum = static_cast<i64>(a) + b;
    return static_cast<i32>(std::clamp<i64>(sum, std::numeric_limits<i32>::min(), kMaxPending));
}

PhysXComponent* BodyOf(GameObject* object) {
    return dynamic_cast<PhysXComponent*>(object->GetComponent(ComponentType::Physics));
}

} // namespace

GameObject* AIViewProcess::GetPlayerObject() const {
    return m_player != nullptr ? m_player->owner : nullptr;
}

void AIViewProcess::Initialize() {
    BaseMessage octree(MSG_PHYSICS_GET_OCTREE);
    SendMessage(&octree, HANDLER_LEVEL_STATE);
    for (const char* path : kPreloadedSounds) {
        Message<std::string> load(MSG_LOAD_SOUND, path);
        SendMessage(&load, HANDLER_SOUND_PROCESS);
    }
}

Component* AIViewProcess::CreateComponent(StreamMap* parameters) {
    if (parameters == nullptr) {
        return nullptr;
    }
    ComponentHeader header;
    if (!header.Read(parameters)) {
        return nullptr;
    }
    if (header.Type() == ComponentType::AIView) {
        auto* unit = m_components.Create<AIViewComponent>(this, header.m_object_type, *parameters);
        m_units.push_back(unit);
        return unit;
    }
    if (header.Type() == ComponentType::SpawnPoint) {
        Component* point = nullptr;
        if (m_spawn_link != nullptr) {
            point = m_spawn_link->Create(header.m_object_type, parameters);
            if (point == nullptr) {
                return nullptr;
            }
            m_components.Adopt(this, point);
        } else {
            point = m_components.Create<SpawnPointComponent>(this, header.m_object_type);
        }
        m_spawnPoints.push_back(point);
        if (m_tutorial && header.m_object_type == "CitizenSpawner" && m_spawn_link != nullptr) {
            m_spawn_link->SetSpawnParameters(*point, 0.0f, 400.0f);
        }
        return point;
    }
    return nullptr;
}

void AIViewProcess::RemoveComponent(Component* component) {
    const auto unit = std::find(m_units.begin(), m_units.end(), component);
    if (unit != m_units.end()) {
        m_units.erase(unit);
        // A unit removed while its death is pending must not be handled after it is gone.
        m_dead.erase(std::remove(m_dead.begin(), m_dead.end(), component), m_dead.end());
        m_components.Remove(component);
        return;
    }
    const auto point = std::find(m_spawnPoints.begin(), m_spawnPoints.end(), component);
    if (point != m_spawnPoints.end()) {
        m_spawnPoints.erase(point);
        m_components.Remove(component);
    }
}

void AIViewProcess::Update(float dt) {
    if (m_initialize_pending) {
        m_initialize_pending = false;
        Initialize();
    }
    BaseMessage buildings(MSG_BUILDING_GET_BUILDINGS);
    SendMessage(&buildings, HANDLER_BUILDING_PROCESS);

    // Units made during the walk are updated too; the index keeps up with removals.
    for (std::size_t i = 0; i < m_units.size(); ++i) {
        AIViewComponent* const unit = m_units[i];
        if (m_active) {
            unit->Update(dt);
        }
        if (i < m_units.size() && m_units[i] == unit && unit->m_expired) {
            m_dead.push_back(unit);
        }
    }
    if (m_active && m_spawn_link != nullptr) {
        for (std::size_t i = 0; i < m_spawnPoints.size(); ++i) {
            m_spawn_link->Update(*m_spawnPoints[i], dt);
        }
    }
    while (!m_dead.empty()) {
        AIViewComponent* const unit = m_dead.back();
        m_dead.pop_back();
        HandleDead(unit);
    }
}

void AIViewProcess::CreateParticleSystem(const std::string& name, const Vector& position) {
    Message<ParticleSystemInfo> create(MSG_CREATE_PARTICLE_SYSTEM,
                                       ParticleSystemInfo{position, name});
    SendMessage(&create, HANDLER_GRAPHICS_PROCESS);
}

void AIViewProcess::HandleDead(AIViewComponent* unit) {
    GameObject* const obj = unit->owner;
    if (obj == nullptr) {
        return;
    }
    const std::string name = obj->name;
    if (name == "AI-Boss-Fly-MothershipBase") {
        return;
    }
    PlayDeathEffect(unit, name, obj);
    Message<std::string> died(MSG_AGENT_DIED, name);
    SendMessage(&died, HANDLER_GAME_LOGIC_PROCESS);
    PlayDeathSound(unit, name, obj);
    Message<GameObject*> remove(MSG_LEVEL_DELETE_OBJECT, obj);
    SendMessage(&remove, HANDLER_LEVEL_STATE);
}

void AIViewProcess::PlayDeathEffect(AIViewComponent* unit, const std::string& name,
                                    GameObject* obj) {
    if (Contains(name, "AI-Ground-Citizen")) {
        CreateParticleSystem("CitizenDeath", obj->position);
        return;
    }
    if (!Contains(name, "AI-")) {
        CreateParticleSystem("explosion", obj->position);
        return;
    }
    const bool graphic = m_look != nullptr && m_look->HasGraphic(*obj);
    if (graphic) {
        m_look->SetRenderRed(*obj, false);
        m_look->SetHdrMultiplier(*obj, 1.0f);
    }
    if (Contains(name, "UFO")) {
        unit->RemoveLaserBeams();
    }
    CreateParticleSystem("unitexplosion", obj->position);
    u32 bodyId = 0;
    if (PhysXComponent* const body = BodyOf(obj)) {
        body->SetDamping(0.0f);
        body->ApplyDamping();
        bodyId = body->GetId();
    }
    const f32 radius = obj->boundingSphere != nullptr ? obj->boundingSphere->m_radius : 0.0f;
    Message<RadialForce> push(MSG_PHYSICS_RADIAL_FORCE,
                              RadialForce(obj->position, 1.25f * radius, 50.0f, 0.0f, 0, bodyId,
                                          RadialForce::kMassImpulse));
    SendMessage(&push, HANDLER_PHYSX_PROCESS);
    if (graphic) {
        m_look->BreakObject(*obj, *this);
    }
}

SoundInstance* AIViewProcess::RequestSoundInstance(const std::string& path) {
    m_soundInstance = nullptr;
    Message<std::string> request(MSG_GET_SOUND_INSTANCE, path);
    SendMessage(&request, HANDLER_SOUND_PROCESS);
    return m_soundInstance;
}

void AIViewProcess::PlayDeathSound(AIViewComponent* unit, const std::string& name,
                                   GameObject* obj) {
    if (name == "Tiny" || name == "AI-Boss-Fly-UFO" || name == "AI-Boss-Fly-Flythra") {
        SoundInstance* const instance = RequestSoundInstance(kDemolitionSound);
        if (instance != nullptr && m_audio != nullptr) {
            m_audio->Play(instance, 1.0f, false);
        }
    } else if (Contains(name, "AI-Ground-Citizen")) {
        SoundInstance* const instance = RequestSoundInstance(kExplosionSound);
        if (instance != nullptr && m_audio != nullptr) {
            m_audio->PlayAt(instance, 0.5f, obj->position);
        }
    } else if (Contains(name, "AI-Fly-Transport")) {
        // The carried vehicle falls when its transport dies on the way in.
        if (unit->InState(STATE_TRANSPORT_SEEK) && !obj->childObjects.empty()) {
            Physics()->LetFall(*obj->childObjects.front());
        }
    } else {
        SoundInstance* const instance = RequestSoundInstance(kExplosionSound);
        if (instance != nullptr && m_audio != nullptr) {
            m_audio->PlayAt(instance, 1.0f, obj->position);
        }
    }
}

bool AIViewProcess::SkippedBy(Query query, AIViewComponent* unit) const {
    const std::string& name = unit->Name();
    if (m_ufoShield && (name == "AI-Boss-Fly-UFO" || name == "AI-Fly-UFOChild")) {
        return true;
    }
    if (unit->InState(STATE_GRABBED) || unit->InState(STATE_THROWN) || unit->m_expired) {
        return true;
    }
    switch (query) {
    case Query::Laser:
        return unit->InState(STATE_CITIZEN_PANIC) || unit->m_lifetimeOn;
    case Query::Grab:
        return Contains(name, "AI-Ground-Citizen") || name == "Tiny" || name == "AI-Boss-Fly-UFO";
    case Query::Throw:
        return Contains(name, "Citizen") || Contains(name, "Car") || name == "AI-Fly-UFOChild";
    }
    return false;
}

bool AIViewProcess::LineClear(AIViewComponent* unit, const Vector& eye, const Vector& toUnit,
                              f32 dist) {
    if (unit->m_age < 0.5f) {
        return unit->m_lineClear;
    }
    unit->m_age = 0.0f;
    unit->m_lineClear = true;
    if (m_buildings == nullptr) {
        return true;
    }
    std::vector<GameObject*> buildings;
    m_buildings->Collect(eye + toUnit / 2.0f, dist, buildings);
    for (GameObject* building : buildings) {
        if (building == nullptr) {
            continue;
        }
        const f32 radius =
            building->boundingSphere != nullptr ? building->boundingSphere->m_radius : 0.0f;
        if ((building->position - eye).LengthSquared() > (radius + dist) * (radius + dist)) {
            continue;
        }
        if (Math::RaySphereIntersect(eye, building->position, toUnit, radius) == 0) {
            continue;
        }
        if (building->boundingBox != nullptr &&
            Math::BoxIntersect(building->position, building->boundingBox->m_extents,
                               &building->orientation, eye, toUnit) != 0) {
            unit->m_lineClear = false;
            break;
        }
    }
    return unit->m_lineClear;
}

GameObject* AIViewProcess::FindTarget(Query query, const std::pair<GameObject*, Vector>& request) {
    if (m_player == nullptr || request.first == nullptr) {
        return nullptr;
    }
    Vector dir = request.second;
    dir.Normalize();
    const Vector eye = request.first->position + Vector(0.0f, 15.0f, 0.0f);
    AIViewComponent* best = nullptr;
    f32 bestScore = 1.25f;
    const f32 pi = 3.14159265f;
    for (AIViewComponent* unit : m_units) {
        if (unit->owner == nullptr || SkippedBy(query, unit)) {
            continue;
        }
        const std::string& name = unit->Name();
        const bool core = name == "AI-Boss-Fly-MothershipBFGCore";
        Vector point = unit->owner->position;
        if (query == Query::Laser && core) {
            point = point + Vector(0.0f, -20.0f, 0.0f);
        }
        const Vector d = point - eye;
        const f32 dist = d.Length();
        if (dist <= 0.0f) {
            continue;
        }
        const f32 along = dir.Dot(d) / dist;
        f32 term = 0.0f;
        f32 cone = std::cos(pi / 3.0f);
        if (query == Query::Laser) {
            const f32 s = core ? 1.25f : 1.0f;
            if (dist > 120.0f * s) {
                continue;
            }
            term = 0.25f * dist / (120.0f * s);
        } else if (query == Query::Grab) {
            if (dist * dist > 2025.0f) {
                continue;
            }
            term = dist / 180.0f;
        } else {
            if (dist * dist > 62500.0f) {
                continue;
            }
            cone = std::cos(pi / 11.0f);
            term = 0.001f * dist;
        }
        if (along < cone) {
            continue;
        }
        if (query == Query::Throw && !LineClear(unit, eye, d, dist)) {
            continue;
        }
        // The laser prefers any unit to a citizen.
        if (query == Query::Laser && best != nullptr &&
            Contains(best->Name(), "AI-Ground-Citizen") && !Contains(name, "AI-Ground-Citizen")) {
            bestScore = 1.25f;
        }
        const f32 score = (1.0f - along) + term;
        if (bestScore > score) {
            bestScore = score;
            best = unit;
        }
    }
    return best != nullptr ? best->owner : nullptr;
}

void AIViewProcess::ForwardToObject(BaseMessage* msg, u32 type) {
    GameObject* const object = msg->ValueOr<GameObject*>(nullptr);
    if (object != nullptr) {
        BaseMessage forward(type);
        SendMessage(&forward, object->id);
    }
}

std::vector<Component*> AIViewProcess::SelectSpawnPoints(SpawnStruct& s) {
    std::vector<Component*> taken;
    if (m_spawn_link == nullptr) {
        return taken;
    }
    for (Component* point : m_spawnPoints) {
        if (m_spawn_link->SpawnTypeName(*point) != s.m_type_name) {
            continue;
        }
        const Vector at = m_spawn_link->Position(*point);
        const Vector target = m_spawn_link->TargetPosition(*point);
        const f32 dx = at.x - target.x;
        const f32 dz = at.z - target.z;
        const f32 d2 = dx * dx + dz * dz;
        m_spawn_link->StoreTargetDistance(*point, d2);
        if (!(s.m_radius * s.m_radius > d2) && s.m_type_name != "AI-Fly-Transport") {
            continue;
        }
        const bool inZone = s.m_zone >= 2 || m_endlessMode || (s.m_zone == 0 && at.z >= -337.0f) ||
                            (s.m_zone == 1 && at.z >= -957.0f);
        if (!inZone) {
            continue;
        }
        if (taken.empty()) {
            // Once one is found, the search reaches a little further.
            s.m_radius += 50.0f;
        }
        taken.push_back(point);
    }
    const std::size_t most = static_cast<std::size_t>(std::max(s.m_count, 0));
    while (taken.size() > most) {
        taken.erase(taken.begin() + crt::Rand() % static_cast<i32>(taken.size()));
    }
    return taken;
}

void AIViewProcess::SpawnAgents(SpawnStruct s) {
    const std::vector<Component*> points = SelectSpawnPoints(s);
    if (points.empty()) {
        return;
    }
    for (i32 i = 0; i < s.m_spawn_count; ++i) {
        Component& point = *points[static_cast<std::size_t>(i) % points.size()];
        m_spawn_link->SetPendingCount(point, SaturatingAdd(m_spawn_link->PendingCount(point), 1));
        Message<std::string> count(MSG_INC_AGENT_COUNT, s.m_type_name);
        SendMessage(&count, HANDLER_GAME_LOGIC_PROCESS);
    }
}

void AIViewProcess::HandleMessage(BaseMessage* msg, u32 fromId) {
    switch (msg->type) {
    case MSG_PLAYER_COMPONENT:
        m_player = msg->ValueOr<Component*>(nullptr);
        break;
    case MSG_AI_OBJECT_VALID: {
        GameObject* const object = msg->ValueOr<GameObject*>(nullptr);
        const bool valid = object != nullptr &&
                           std::any_of(m_units.begin(), m_units.end(),
                                       [&](AIViewComponent* u) { return u->owner == object; });
        Message<bool> reply(MSG_AI_OBJECT_VALID, valid);
        SendMessage(&reply, fromId);
        break;
    }
    case MSG_AI_OBJECT_TO_GRAB:
    case MSG_AI_OBJECT_TO_LASER:
    case MSG_AI_OBJECT_TO_THROW_TO: {
        const auto* request = msg->Payload<std::pair<GameObject*, Vector>>();
        GameObject* found = nullptr;
        if (request != nullptr) {
            const Query query = msg->type == MSG_AI_OBJECT_TO_GRAB    ? Query::Grab
                                : msg->type == MSG_AI_OBJECT_TO_LASER ? Query::Laser
                                                                      : Query::Throw;
            found = FindTarget(query, *request);
            if (query == Query::Laser && found != nullptr) {
                if (found->name == "Tiny") {
                    BaseMessage kraid(MSG_LASER_KRAID);
                    SendMessage(&kraid, found->id);
                } else if (Contains(found->name, "AI-Ground-Citizen")) {
                    BaseMessage panic(MSG_CITIZEN_PANIC);
                    SendMessage(&panic, found->id);
                }
            }
        }
        Message<GameObject*> reply(MSG_AI_OBJECT, found);
        SendMessage(&reply, fromId);
        break;
    }
    case MSG_GRAB:
    case MSG_THROWN:
    case MSG_LASER_OBJ:
        ForwardToObject(msg, msg->type);
        break;
    case MSG_KILL_ALL_AI_AGENTS:
        for (AIViewComponent* unit : m_units) {
            const std::string& name = unit->Name();
            if (name != "Tiny" && !Contains(name, "Boss-")) {
                unit->m_expired = true;
            }
        }
        break;
    case MSG_ENDLESS_MODE_ON:
        m_endlessMode = msg->ValueOr<bool>(m_endlessMode);
        break;
    case MSG_TUTORIAL_LASER_OBJ_LIGHTS:
        if (m_look != nullptr) {
            for (AIViewComponent* unit : m_units) {
                if (unit->owner != nullptr && unit->Name() == "AI-Ground-TankObjective") {
                    m_look->AddObjectiveMarker(*unit->owner);
                }
            }
        }
        break;
    case MSG_SPAWN_ADD_COUNT:
        if (m_spawn_link != nullptr) {
            const i32 add = msg->ValueOr<i32>(0);
            for (Component* point : m_spawnPoints) {
                m_spawn_link->SetPendingCount(
                    *point, SaturatingAdd(m_spawn_link->PendingCount(*point), add));
            }
        }
        break;
    case MSG_SPAWN_CLEAR_COUNT:
        if (m_spawn_link != nullptr) {
            for (Component* point : m_spawnPoints) {
                Message<RemoveCount> removed(MSG_REMOVE_COUNT,
                                             RemoveCount{m_spawn_link->SpawnTypeName(*point),
                                                         m_spawn_link->PendingCount(*point)});
                SendMessage(&removed, HANDLER_GAME_LOGIC_PROCESS);
                m_spawn_link->SetPendingCount(*point, 0);
            }
        }
        break;
    case MSG_SPAWN_CONSTANT:
        if (m_spawn_link != nullptr) {
            for (Component* point : m_spawnPoints) {
                m_spawn_link->SetPendingCount(*point, kMaxPending);
            }
        }
        break;
    case MSG_SPAWN_AGENTS:
        if (const SpawnStruct* s = msg->Payload<SpawnStruct>()) {
            SpawnAgents(*s);
        }
        break;
    case MSG_LEVEL_OBJECT_CREATED:
        m_createdObject = msg->ValueOr<GameObject*>(nullptr);
        break;
    case MSG_DISABLE_AI:
        m_active = !m_active;
        break;
    case MSG_BUILDING_OBJECTIVE_IN_MENU:
    case MSG_BUILDING_OBJECTIVE_IN_GAME:
        if (m_look != nullptr) {
            for (AIViewComponent* unit : m_units) {
                if (unit->owner != nullptr) {
                    m_look->SetObjectiveMarkerLook(*unit->owner,
                                                   msg->type == MSG_BUILDING_OBJECTIVE_IN_MENU);
                }
            }
        }
        break;
    case MSG_BUILDINGS:
        if (BuildingIndex* const* index = msg->Payload<BuildingIndex*>()) {
            m_buildings = *index;
        } else if (auto* const* tree = msg->Payload<Quadtree<BuildingComponent*>*>()) {
            m_quadtree_index.SetTree(*tree);
            m_buildings = *tree != nullptr ? &m_quadtree_index : nullptr;
        }
        break;
    case MSG_SOUND_INSTANCE:
        m_soundInstance = msg->ValueOr<SoundInstance*>(nullptr);
        break;
    default:
        break;
    }
}
