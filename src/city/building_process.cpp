#include "city/building_process.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "PhysX/physx_component.h"
#include "city/building_component.h"
#include "city/building_services.h"
#include "content/particle_system_info.h"
#include "core/component_header.h"
#include "core/game_object.h"
#include "core/math_functions.h"
#include "core/message.h"
#include "core/stream_map.h"
#include "game/radial_force.h"
#include "platform/system/crt_rand.h"
#include "platform/system/log.h"

namespace {

bool Contains(const std::string& text, const char* word) {
    return text.find(word) != std::string::npos;
}

// Buildings that are never culled and never raised again.
bool IsSpecialType(const std::string& type, bool endless) {
    if (endless) {
        return Contains(type, "NuclearSign");
    }
    for (const char* word : {"Reactor", "Coil", "PowerRelay", "Car", "Billboard", "EpicBoss",
                             "Objective", "NuclearSign", "BaseHeadquarters", "MarketHeavy"}) {
        if (Contains(type, word)) {
            return true;
        }
    }
    return false;
}

float RespawnDelay(const std::string& type) {
    if (Contains(type, "Reactor")) {
        return 10.0f;
    }
    return Contains(type, "GasStation") ? 6.0f : 0.0f;
}

// The maximum corner of the object's box; zero without one.
Vector BoxCorner(const GameObject* object) {
    return object->boundingBox != nullptr ? object->boundingBox->m_extents : Vector();
}

// A robot within 40 units has seen the building; beyond 600 units it is out of the city.
constexpr float kVisitedSquared = 1600.0f;
constexpr float kCullSquared = 360000.0f;
constexpr float kRespawnDistanceSquared = 40000.0f;

constexpr float kGrabLift = 15.0f;
constexpr float kGrabSearchRadius = 60.0f;
constexpr float kGrabBestStart = 1.25f;
constexpr float kGrabCone = 0.5f;

constexpr const char* kMediumExplosion = "assets/sound fx/medium_explosion.mp3";

BuildingServices* g_building_services = nullptr;

} // namespace

BuildingServices& BuildingServices::Get() {
    static BuildingServices defaults;
    return g_building_services != nullptr ? *g_building_services : defaults;
}

void BuildingServices::Install(BuildingServices* services) {
    g_building_services = services;
}

BuildingProcess::BuildingProcess(bool stateFlag, bool endless)
    : m_state_flag(stateFlag), m_endless(endless),
      m_quadtree(Vector(400.0f, 400.0f, 400.0f), Vector(0.0f, 0.0f, 0.0f), 0, nullptr) {
    BuildingComponent::s_damage_multiplier = 1.0f;
}

BuildingProcess::~BuildingProcess() {
    // Objects normally hand their buildings back first; whatever is left goes with the
    // process, out of the tree before the tree goes.
    for (BuildingComponent* building : m_buildings) {
        delete building;
    }
    m_buildings.clear();
}

Component* BuildingProcess::CreateComponent(StreamMap* parameters) {
    ComponentHeader header;
    if (parameters == nullptr || !header.Read(parameters) ||
        header.Type() != ComponentType::Building) {
        return nullptr;
    }
    bool grabbable = false;
    float health = 0.0f;
    parameters->ReadBool(grabbable);
    parameters->ReadFloat(health);
    auto* building = new BuildingComponent(header.m_object_type, health, grabbable, this);
    building->process = this;
    m_buildings.push_back(building);
    return building;
}

void BuildingProcess::RemoveComponent(Component* component) {
    const auto it = std::find(m_buildings.begin(), m_buildings.end(), component);
    if (it == m_buildings.end()) {
        return;
    }
    BuildingComponent* building = *it;
    m_buildings.erase(it);
    delete building;
}

GameObject* BuildingProcess::RobotObject() const {
    return m_player != nullptr ? m_player->owner : nullptr;
}

u32 BuildingProcess::RobotPhysicsId() const {
    const GameObject* robot = RobotObject();
    if (robot == nullptr) {
        return 0;
    }
    const auto* physics =
        dynamic_cast<PhysXComponent*>(robot->GetComponent(ComponentType::Physics));
    return physics != nullptr ? physics->GetId() : 0u;
}

void BuildingProcess::Reply(BaseMessage* msg, u32 toId) {
    SendMessage(msg, toId);
}

void BuildingProcess::EnsureQuadtree() {
    if (!m_quadtree_ready) {
        InitializeQuadtree();
        UpdateQuadtree(1.0f);
        m_quadtree_ready = true;
    }
}

void BuildingProcess::LightObjectives(bool (*accepts)(const std::string& type)) {
    BuildingServices& services = BuildingServices::Get();
    for (BuildingComponent* building : m_buildings) {
        if (building->owner != nullptr && accepts(building->m_object_type)) {
            services.AddObjectiveMarker(building->owner);
        }
    }
}

void BuildingProcess::HandleMessage(BaseMessage* msg, u32 fromId) {
    BuildingServices& services = BuildingServices::Get();
    switch (msg->type) {
    case MSG_PLAYER_COMPONENT:
        if (Component* const* player = msg->Payload<Component*>()) {
            m_player = *player;
        }
        break;
    case MSG_BUILDING_TO_GRAB: {
        const auto* request = msg->Payload<std::pair<GameObject*, Vector>>();
        GameObject* chosen = request != nullptr && request->first != nullptr
                                 ? FindBuildingToGrab(request->first, request->second)
                                 : nullptr;
        Message<GameObject*> reply(MSG_BUILDING, chosen);
        Reply(&reply, fromId);
        break;
    }
    case MSG_BUILDING_VALID: {
        GameObject* const* object = msg->Payload<GameObject*>();
        bool valid = false;
        if (object != nullptr && *object != nullptr) {
            valid = std::any_of(m_buildings.begin(), m_buildings.end(),
                                [&](const BuildingComponent* b) { return b->owner == *object; });
        }
        Message<bool> reply(MSG_BUILDING_VALID, valid);
        Reply(&reply, fromId);
        break;
    }
    case MSG_SOUND_INSTANCE:
        if (SoundInstance* const* instance = msg->Payload<SoundInstance*>()) {
            m_sound_instance = *instance;
        }
        break;
    case MSG_LEVEL_OBJECT_CREATED:
        if (GameObject* const* object = msg->Payload<GameObject*>()) {
            m_last_created = *object;
        }
        break;
    case MSG_DAMAGE_BUILDING: {
        const auto* request = msg->Payload<std::pair<GameObject*, float>>();
        if (request == nullptr) {
            break;
        }
        const auto it =
            std::find_if(m_buildings.begin(), m_buildings.end(), [&](const BuildingComponent* b) {
                return b->owner != nullptr && b->owner == request->first;
            });
        if (it != m_buildings.end()) {
            (*it)->Damage(request->second);
            (*it)->StartCollapse();
        }
        break;
    }
    case MSG_BUILDING_DAMAGE_MULTIPLIER:
        BuildingComponent::s_damage_multiplier =
            msg->ValueOr<float>(BuildingComponent::s_damage_multiplier);
        break;
    case MSG_BUILDING_STOP_SPAWNING:
        m_spawning = false;
        break;
    case MSG_BUILDING_START_SPAWNING:
        m_spawning = true;
        break;
    case MSG_TUTORIAL_RIGHTMOUSE_OBJ_LIGHTS:
        LightObjectives([](const std::string& t) { return t == "BuildingHighClassObjective"; });
        break;
    case MSG_TUTORIAL_GASSTATION_OBJ_LIGHTS:
        LightObjectives([](const std::string& t) { return t == "BuildingGasObjective"; });
        break;
    case MSG_TURN_HEADQUARTERS_LIGHT_ON:
        LightObjectives([](const std::string& t) { return t == "BuildingBaseHeadquarters"; });
        break;
    case MSG_TURN_POWER_OBJECT_ON:
        LightObjectives([](const std::string& t) {
            return t == "BuildingPowerRelayStation" || Contains(t, "Reactor");
        });
        break;
    case MSG_BUILDING_OBJECTIVE_IN_MENU:
    case MSG_BUILDING_OBJECTIVE_IN_GAME: {
        const bool menu = msg->type == MSG_BUILDING_OBJECTIVE_IN_MENU;
        for (BuildingComponent* building : m_buildings) {
            if (!building->m_loose && building->owner != nullptr &&
                services.HasObjectiveMarker(building->owner)) {
                services.SetObjectiveLife(building->owner, menu ? 0.1f : 0.01f,
                                          menu ? 0.01f : 0.1f);
            }
        }
        break;
    }
    case MSG_BUILDING_GET_BUILDINGS: {
        EnsureQuadtree();
        Message<Quadtree<BuildingComponent*>*> reply(MSG_BUILDINGS, &m_quadtree);
        Reply(&reply, fromId);
        break;
    }
    case MSG_BUILDINGS_MAX_RESPAWN_HEIGHT:
        m_max_respawn_height = msg->ValueOr<float>(m_max_respawn_height);
        break;
    default:
        break;
    }
}

void BuildingProcess::InitializeQuadtree() {
    [[maybe_unused]] const bool empty = !m_validate || m_quadtree.Size() == 0;
    assert(empty && "Quadtree contains items before initialization.");

    BuildingServices& services = BuildingServices::Get();
    bool anyBounds = false;
    bool anyFootprint = false;
    float smallest = 0.0f;
    float minX = 0.0f;
    float maxX = 0.0f;
    float minZ = 0.0f;
    float maxZ = 0.0f;
    for (const BuildingComponent* building : m_buildings) {
        if (building->m_loose || building->owner == nullptr) {
            continue;
        }
        GameObject* object = building->owner;
        float d = 0.0f;
        Vector lo;
        Vector hi;
        if (services.HasGraphic(object) && services.GetMeshBounds(object, &lo, &hi)) {
            const float w = hi.x - lo.x;
            const float l = hi.z - lo.z;
            d = std::sqrt(w * w + l * l);
        }
        if (std::fabs(d) >= 0.00001f) {
            smallest = anyFootprint ? std::min(smallest, d) : d;
            anyFootprint = true;
        }
        const float r = 2.0f * d;
        const Vector& p = object->position;
        if (!anyBounds) {
            minX = p.x - r;
            maxX = p.x + r;
            minZ = p.z - r;
            maxZ = p.z + r;
            anyBounds = true;
        } else {
            minX = std::min(minX, p.x - r);
            maxX = std::max(maxX, p.x + r);
            minZ = std::min(minZ, p.z - r);
            maxZ = std::max(maxZ, p.z + r);
        }
    }
    smallest = std::max(smallest, 1.0f);

    m_quadtree.volume = Vector((maxX - minX) / 2.0f * 1.25f, 0.0f, (maxZ - minZ) / 2.0f * 1.25f);
    m_quadtree.position = Vector(minX + (maxX - minX) / 2.0f, 0.0f, minZ + (maxZ - minZ) / 2.0f);
    sys::LogLine("Quadtree:");
    sys::Log() << "  volume: " << m_quadtree.volume;
    sys::Log() << "  position: " << m_quadtree.position;

    int halvings = 0;
    Vector half = m_quadtree.volume;
    while (half.x > smallest && half.z > smallest) {
        half = half * 0.5f;
        ++halvings;
    }
    Quadtree<BuildingComponent*>::s_max_depth = std::max(halvings - 1, 0);
}

void BuildingProcess::UpdateQuadtree(float force) {
    for (BuildingComponent* building : m_buildings) {
        if (building->m_loose || building->owner == nullptr) {
            continue;
        }
        const GameObject* object = building->owner;
        if (building->m_quadtree_node != nullptr) {
            if (std::fabs(object->velocity.x) >= 0.00001f ||
                std::fabs(object->velocity.z) >= 0.00001f || force > 0.0f) {
                building->UpdatePosition(object->position);
            }
        } else {
            const float radius = object->boundingBox != nullptr
                                     ? object->boundingBox->m_extents.Length()
                                     : m_quadtree.volume.Length();
            m_quadtree.Insert(object->position, radius, building);
            building->m_radius = radius;
            if (!building->m_static) {
                building->m_update_interval = 2;
            }
        }
        if (m_validate) {
            m_quadtree.Validate();
        }
    }
}

const std::vector<BuildingComponent*>& BuildingProcess::GrabCandidates(const Vector& point) {
    // The candidates' storage is kept from search to search.
    m_grab_candidates.clear();
    ClosestBuildingQuadtreeTraversal traversal(&m_grab_candidates);
    traversal.CollectNear(&m_quadtree, point, kGrabSearchRadius);
    return m_grab_candidates;
}

GameObject* BuildingProcess::FindBuildingToGrab(GameObject* robot, const Vector& direction) {
    const Vector d = direction.LengthSquared() > 0.0f ? direction.GetNormalized() : direction;
    const Vector p = robot->position + Vector(0.0f, kGrabLift, 0.0f);
    float best = kGrabBestStart;
    GameObject* answer = nullptr;

    const auto available = [](const BuildingComponent* b) {
        return b->owner != nullptr && !b->m_collapsing && !b->m_held &&
               (!b->m_thrown || b->m_throw_time >= b->m_throw_ramp);
    };

    for (const BuildingComponent* b : GrabCandidates(p)) {
        if (!b->m_grabbable || !available(b)) {
            continue;
        }
        const GameObject* object = b->owner;
        const Vector corner = BoxCorner(object);
        const float radius = b->m_bounding_radius != 0.0f ? b->m_bounding_radius : corner.Length();
        if ((p - object->position).LengthSquared() > (radius + 30.0f) * (radius + 30.0f)) {
            continue;
        }
        Vector local = Math::RotateByQuaternion(p - object->position,
                                                Math::QuaternionInverse(object->orientation));
        local = Vector(std::clamp(local.x, -std::fabs(corner.x), std::fabs(corner.x)),
                       std::clamp(local.y, -std::fabs(corner.y), std::fabs(corner.y)),
                       std::clamp(local.z, -std::fabs(corner.z), std::fabs(corner.z)));
        const Vector q = Math::RotateByQuaternion(local, object->orientation) + object->position;
        const Vector v = q - p;
        const float dist = v.Length();
        if (dist * dist > 900.0f || dist <= 0.0f) {
            continue;
        }
        const float cosine = d.Dot(v) / dist;
        if (cosine < kGrabCone) {
            continue;
        }
        const float score = 1.0f - cosine + dist / 120.0f;
        if (score < best) {
            best = score;
            answer = b->owner;
        }
    }
    if (answer != nullptr) {
        return answer;
    }

    best = kGrabBestStart;
    for (const BuildingComponent* b : m_buildings) {
        if (!b->m_loose || !available(b) || BoxCorner(b->owner).LengthSquared() <= 25.0f) {
            continue;
        }
        const Vector v = b->owner->position - p;
        const float lengthSquared = v.LengthSquared();
        if (lengthSquared > 1600.0f || lengthSquared <= 0.0f) {
            continue;
        }
        const float length = std::sqrt(lengthSquared);
        const float cosine = d.Dot(v) / length;
        if (cosine < kGrabCone) {
            continue;
        }
        float score = 1.0f - cosine + length * 0.00625f;
        if (b->m_object_type == "BuildingBowlingBall") {
            score *= 0.5f;
        }
        if (score < best) {
            best = score;
            answer = b->owner;
        }
    }
    return answer;
}

void BuildingProcess::BuildSpawnRecords() {
    i32 index = 0;
    for (BuildingComponent* building : m_buildings) {
        const std::string& type = building->m_object_type;
        if (building->owner == nullptr || (!Contains(type, "Building") && !Contains(type, "Car"))) {
            continue;
        }
        const GameObject* object = building->owner;
        BuildingSpawnRecord record;
        record.position = object->position;
        record.extent = BoxCorner(object);
        record.scale = object->scale;
        record.orientation = object->orientation;
        record.type_name = type;
        record.index = index;
        record.delay = RespawnDelay(type);
        record.special = IsSpecialType(type, m_endless);
        if (record.special) {
            ++m_special_count;
        } else {
            ++m_ordinary_count;
        }
        building->m_spawn_id = index;
        m_spawn_records.push_back(std::move(record));
        ++index;
    }

    std::vector<Vector> halves;
    halves.reserve(m_spawn_records.size());
    for (const BuildingSpawnRecord& r : m_spawn_records) {
        const Vector h = Math::RotateByQuaternion(r.extent * 0.95f, r.orientation);
        halves.emplace_back(std::fabs(h.x), std::fabs(h.y), std::fabs(h.z));
    }
    for (std::size_t a = 0; a < m_spawn_records.size(); ++a) {
        for (std::size_t b = a + 1; b < m_spawn_records.size(); ++b) {
            BuildingSpawnRecord& ra = m_spawn_records[a];
            BuildingSpawnRecord& rb = m_spawn_records[b];
            if ((ra.position - rb.position).LengthSquared() >
                (ra.extent + rb.extent).LengthSquared()) {
                continue;
            }
            const bool overlapX =
                std::fabs(ra.position.x - rb.position.x) <= halves[a].x + halves[b].x;
            const bool overlapZ =
                std::fabs(ra.position.z - rb.position.z) <= halves[a].z + halves[b].z;
            if (!overlapX || !overlapZ) {
                continue;
            }
            if (ra.position.y > rb.position.y) {
                ra.supports.push_back(rb.index);
            } else {
                rb.supports.push_back(ra.index);
            }
        }
    }
    EnsureQuadtree();
}

void BuildingProcess::Update(float dt) {
    if (m_first_update) {
        BuildSpawnRecords();
        m_first_update = false;
    }
    const GameObject* robot = RobotObject();
    std::vector<BuildingComponent*> finished;
    for (std::size_t i = 0; i < m_buildings.size(); ++i) {
        BuildingComponent* building = m_buildings[i];
        if (building->owner == nullptr) {
            continue;
        }
        if (!building->m_loose && robot != nullptr) {
            const float distanceSquared =
                (building->owner->position - robot->position).LengthSquared();
            BuildingSpawnRecord* record =
                building->m_spawn_id >= 0 &&
                        static_cast<std::size_t>(building->m_spawn_id) < m_spawn_records.size()
                    ? &m_spawn_records[static_cast<std::size_t>(building->m_spawn_id)]
                    : nullptr;
            // Only buildings that can rise again leave the city when far from the robot.
            if (record != nullptr && !record->unvisited && !record->special &&
                distanceSquared > kCullSquared) {
                building->m_health = 0.0f;
                building->m_silent = true;
            }
            if (record != nullptr && record->unvisited && !record->special &&
                distanceSquared < kVisitedSquared) {
                record->unvisited = false;
            }
        }
        building->Update(dt);
        if (building->m_remove && !building->m_handed_over) {
            finished.push_back(building);
        }
    }
    RemoveFinished(finished, dt);
    Respawn();
    for (BuildingSpawnRecord& record : m_spawn_records) {
        if (record.delay > 0.0f && record.timer >= 0.0f && record.delay > record.timer) {
            record.timer = std::min(record.timer + dt, record.delay);
        }
    }
    UpdateQuadtree(0.0f);
}

void BuildingProcess::RemoveFinished(const std::vector<BuildingComponent*>& finished, float dt) {
    BuildingServices& services = BuildingServices::Get();
    for (auto it = finished.rbegin(); it != finished.rend(); ++it) {
        BuildingComponent* building = *it;
        GameObject* object = building->owner;
        const std::string type = building->m_object_type;
        const i32 spawnId = building->m_spawn_id;
        if (spawnId >= 0) {
            if (IsSpecialType(type, m_endless)) {
                --m_special_count;
            } else {
                --m_ordinary_count;
            }
            if (static_cast<std::size_t>(spawnId) < m_spawn_records.size()) {
                BuildingSpawnRecord& record = m_spawn_records[static_cast<std::size_t>(spawnId)];
                if (record.index == spawnId) {
                    record.present = false;
                    record.unvisited = false;
                    record.timer = 0.0f;
                } else {
                    sys::Log() << "Building Spawn at location (" << spawnId
                               << ") doesn't match with contained ID (" << record.index << ")";
                }
            } else {
                sys::Log() << "Building Spawn doesn't exist for Spawn ID (" << spawnId << ")";
            }
        }
        if (!building->m_silent) {
            DestructionEffects(building);
        }
        if (!building->m_loose && services.HasObjectiveMarker(object)) {
            services.FadeObjectiveMarker(object, dt);
        }
        const bool loose = building->m_loose;
        const bool silent = building->m_silent;
        building->m_handed_over = true;
        // Buildings taken away for distance or cleared for a rebuilt one earn nothing.
        if (!silent) {
            Message<std::pair<std::string, bool>> report(MSG_BUILDING_DESTRUCTION, {type, loose});
            SendMessage(&report, HANDLER_GAME_LOGIC_PROCESS);
        }
        // The level may delete the object, and with it the building, right here.
        Message<GameObject*> remove(MSG_LEVEL_DELETE_OBJECT, object);
        SendMessage(&remove, HANDLER_LEVEL_STATE);
    }
}

void BuildingProcess::SendPush(const Vector& center, float radius, float force, float duration,
                               u32 excludeId, u32 onlyId, u32 mode, float delay) {
    Message<RadialForce> push(MSG_PHYSICS_RADIAL_FORCE, RadialForce(center, radius, force, duration,
                                                                    excludeId, onlyId, mode));
    SendMessage(&push, HANDLER_PHYSX_PROCESS, delay);
}

void BuildingProcess::PlaySoundAt(const std::string& path, const Vector& at, float volume) {
    m_sound_instance = nullptr;
    Message<std::string> request(MSG_GET_SOUND_INSTANCE, path);
    SendMessage(&request, HANDLER_SOUND_PROCESS);
    if (m_sound_instance != nullptr) {
        BuildingServices::Get().PlayInstanceAt(m_sound_instance, at, volume);
    }
}

void BuildingProcess::SendParticles(const std::string& name, const Vector& at, float delay) {
    ParticleSystemInfo info;
    info.position = at;
    info.name = name;
    Message<ParticleSystemInfo> create(MSG_CREATE_PARTICLE_SYSTEM, info);
    SendMessage(&create, HANDLER_GRAPHICS_PROCESS, delay);
}

void BuildingProcess::DestructionEffects(BuildingComponent* building) {
    BuildingServices& services = BuildingServices::Get();
    GameObject* object = building->owner;
    const std::string& type = building->m_object_type;
    const Vector p = object->position;
    const u32 own = building->m_physics_id;
    const float g = BuildingComponent::s_damage_multiplier;
    GraphicComponent* graphic = services.Graphic(object);

    // The shock waves of a blast: one throw of the building's own body, one long push of
    // everything else, then fourteen pulses that widen over 2.8 s.
    const auto blast = [&](float ownRadius, float ownForce, float wideRadius, float wideForce,
                           float pulseGrowth, float pulsePeak, float pulseFall) {
        SendPush(p, ownRadius, ownForce, 0.0f, 0u, own, RadialForce::kMassImpulse);
        SendPush(p, wideRadius, wideForce, 5.0f, own, 0u, RadialForce::kForce);
        for (int i = 1; i <= 14; ++i) {
            const float t = 0.2f * static_cast<float>(i);
            SendPush(p, pulseGrowth * t + 50.0f, pulsePeak - pulseFall * std::fabs(t - 2.0f), 0.2f,
                     0u, 0u, RadialForce::kForce, t);
        }
    };

    const bool hasGraphic = services.HasGraphic(object);
    if (type == "BuildingReactor") {
        if (hasGraphic) {
            services.SetDamageShade(object, 1.0f);
        }
        PlaySoundAt(kMediumExplosion, p, 0.9f);
        Message<std::pair<std::string, Vector>> script(
            MSG_PARTICLE_SYSTEM_SCRIPT_CREATE_SCRIPT_VECTOR,
            {"./assets/particles/nuke.lua", Vector(p.x, 0.0f, p.z)});
        SendMessage(&script, HANDLER_PARTICLE_SYSTEM_SCRIPT_PROCESS);
        blast(150.0f, 1000.0f, 200.0f, 1200.0f, 100.0f, 1000.0f, 400.0f);
        return;
    }
    if (Contains(type, "BuildingGas") || type == "BuildingReactorCenter") {
        if (hasGraphic) {
            services.SetDamageShade(object, 1.0f);
        }
        PlaySoundAt(kMediumExplosion, p, 0.9f);
        services.NukeExplosion(type == "BuildingReactorCenter" ? Vector(p.x, 2.0f, p.z)
                                                               : Vector(p.x, p.y - 7.5f, p.z));
        blast(75.0f, 200.0f, 100.0f, 400.0f, 35.0f, 100.0f, 25.0f);
        const bool pieces = g < 100.0f || crt::Rand() % 3 == 0;
        Message<std::pair<GraphicComponent*, bool>> shatter(MSG_GRAPHICS_BREAK_OBJECT,
                                                            {graphic, pieces});
        SendMessage(&shatter, HANDLER_GRAPHICS_PROCESS);
        return;
    }
    if (hasGraphic && services.IsGraphicAnchored(object)) {
        SendParticles("explosion", p);
        Message<std::pair<GraphicComponent*, bool>> shatter(MSG_GRAPHICS_BREAK_OBJECT,
                                                            {graphic, g < 100.0f});
        SendMessage(&shatter, HANDLER_GRAPHICS_PROCESS);
    } else {
        SendParticles("dust_small", p);
    }
    if (type == "BuildingPowerRelayStation") {
        PlaySoundAt("assets/sound fx/electrical_explosion.mp3", p, 1.0f);
        for (int i = 0; i < 4; ++i) {
            const float z = static_cast<float>(crt::Rand() % 100) * 0.2f - 10.0f;
            const float y = static_cast<float>(crt::Rand() % 100) * 0.2f - 15.0f;
            const float x = static_cast<float>(crt::Rand() % 100) * 0.2f - 10.0f;
            SendParticles("PowerRelaySparks", p + Vector(x, y, z), 0.5f * static_cast<float>(i));
        }
    }
}

void BuildingProcess::Respawn() {
    const GameObject* robot = RobotObject();
    if (!m_spawning || m_ordinary_count >= OrdinaryCap() || robot == nullptr ||
        m_spawn_records.empty()) {
        return;
    }
    const Vector forward = Math::RotateByQuaternion(Vector(0.0f, 0.0f, -1.0f), robot->orientation);
    const auto eligible = [&](const BuildingSpawnRecord& r) {
        if (r.present || r.special || r.delay > r.timer) {
            return false;
        }
        for (const i32 below : r.supports) {
            if (!m_spawn_records[static_cast<std::size_t>(below)].present) {
                return false;
            }
        }
        const Vector toRecord = r.position - robot->position;
        return r.position.y + r.extent.y <= m_max_respawn_height && forward.Dot(toRecord) <= 0.0f &&
               toRecord.LengthSquared() >= kRespawnDistanceSquared;
    };
    const int n = static_cast<int>(m_spawn_records.size());
    for (int tries = 0; tries <= n; ++tries) {
        const int pick = crt::Rand() % n;
        if (eligible(m_spawn_records[static_cast<std::size_t>(pick)])) {
            RaiseRecord(pick);
            return;
        }
    }
}

void BuildingProcess::RaiseRecord(i32 index) {
    BuildingSpawnRecord& record = m_spawn_records[static_cast<std::size_t>(index)];
    m_last_created = nullptr;
    Message<std::string> create(MSG_LEVEL_CREATE_OBJECT, record.type_name);
    SendMessage(&create, HANDLER_LEVEL_STATE);
    GameObject* object = m_last_created;
    if (object == nullptr) {
        return;
    }
    object->SetPosition(record.position);
    object->SetScale(record.scale);
    object->SetOrientation(record.orientation);
    object->NotifyComponents();
    if (auto* building =
            dynamic_cast<BuildingComponent*>(object->GetComponent(ComponentType::Building))) {
        building->m_spawn_id = index;
    }
    // Loose pieces lying where the building rises are cleared away without a trace.
    const Vector corner = BoxCorner(object);
    const float reach = std::sqrt(corner.x * corner.x + corner.z * corner.z);
    for (BuildingComponent* piece : m_buildings) {
        if (!piece->m_loose || piece->owner == nullptr || piece->owner == object) {
            continue;
        }
        const float dx = piece->owner->position.x - record.position.x;
        const float dz = piece->owner->position.z - record.position.z;
        if (std::sqrt(dx * dx + dz * dz) < reach) {
            piece->m_health = 0.0f;
            piece->m_silent = true;
            if (PhysXComponent* physics = piece->Physics()) {
                physics->SetGravityEnabled(false);
            }
        }
    }
    record.present = true;
    record.timer = -1.0f;
    ++m_ordinary_count;
}
