#include "ai/ai_view_component.h"

#include <algorithm>
#include <cmath>

#include "ai/ai_movement.h"
#include "ai/ai_view_process.h"
#include "ai/state_machine.h"
#include "ai/unit_names.h"
#include "ai/unit_services.h"
#include "core/component_type.h"
#include "core/game_object.h"
#include "core/handler_ids.h"
#include "core/message.h"
#include "game/laser_beam_info.h"
#include "platform/system/crt_rand.h"

namespace {

constexpr const char* kTankShotPath = "./assets/sound fx/tank_shot.mp3";
constexpr const char* kTankLoopPath = "./assets/sound fx/tank.mp3";
constexpr const char* kHelicopterShotPath = "./assets/sound fx/helicopter_shot.mp3";
constexpr const char* kHelicopterLoopPath = "./assets/sound fx/helicopter.mp3";

enum class MovementKind { None, Tank, Helicopter, Missile };

struct MovementRow {
    NameRule rule;
    MovementKind kind;
};

// First match wins. The exclusions name the mothership's part types exactly; the parts
// themselves are named "AI-Boss-Fly-Mothership..." and so fall through to the flyers' row.
constexpr MovementRow kMovementRows[] = {
    {{"Tank", NameRule::Contains}, MovementKind::Tank},
    {{"Ground-", NameRule::Contains}, MovementKind::Tank},
    {{"AI-Fly-UFOChild", NameRule::Is}, MovementKind::None},
    {{"AI-Fly-MothershipTurret", NameRule::Is}, MovementKind::None},
    {{"AI-Fly-MothershipHatch", NameRule::Is}, MovementKind::None},
    {{"AI-Fly-MothershipBFG", NameRule::Is}, MovementKind::None},
    {{"Fly-", NameRule::Contains}, MovementKind::Helicopter},
    {{"AI-Seek-Missile", NameRule::Is}, MovementKind::Missile},
};

AI_Movement* MakeMovement(MovementKind kind, AIViewComponent* owner) {
    switch (kind) {
    case MovementKind::Tank:
        return new TankMovement(owner);
    case MovementKind::Helicopter:
        return new HelicopterMovement(owner);
    case MovementKind::Missile:
        return new MissileMovement(owner);
    case MovementKind::None:
        break;
    }
    return nullptr;
}

u8 SeparationClass(const std::string& name) {
    const bool ground = Contains(name, "Ground-") && name != "AI-Ground-Citizen";
    return static_cast<u8>((ground ? 1u : 0u) | (Contains(name, "Fly-") ? 2u : 0u));
}

} // namespace

AIViewComponent::AIViewComponent(const std::string& objectType, const StreamMap& stream)
    : DefinitionComponent(objectType), m_stream(stream) {}

AIViewComponent::AIViewComponent(const std::string& objectType) : DefinitionComponent(objectType) {}

AIViewComponent::~AIViewComponent() {
    m_object = nullptr;
    delete m_movement;
    delete m_stateMachine;
}

const std::string& AIViewComponent::Name() const {
    return owner != nullptr ? owner->name : m_object_type;
}

AIViewProcess* AIViewComponent::Process() const {
    return static_cast<AIViewProcess*>(process);
}

bool AIViewComponent::InState(i32 id) const {
    return m_stateMachine != nullptr && m_stateMachine->IsCurrent(id);
}

void AIViewComponent::ChangeTo(i32 id) {
    if (m_stateMachine != nullptr) {
        m_stateMachine->ChangeTo(id);
    }
}

void AIViewComponent::Initialize() {
    m_stream.BeginRead();
    std::string definitionName;
    std::string componentName;
    m_stream.ReadString(definitionName);
    m_stream.ReadString(componentName);
    if (router != nullptr) {
        Message<std::string> spawned(MSG_OBJECT_LEVEL_SPAWN, definitionName);
        SendMessage(&spawned, HANDLER_GAME_LOGIC_PROCESS);
    }
    if (owner != nullptr) {
        m_waypoints.push_front(owner->position);
    }

    if (m_stream.ReadInt(m_maxHealth)) {
        m_health = m_maxHealth;
    }
    m_stream.ReadFloat(m_range);
    // The range of each unit is jittered so that a group does not stop on one circle.
    m_range += static_cast<f32>(crt::Rand() % 6 - 3);
    m_stream.ReadBool(m_arrivalNotify);
    f32 aimDivisor = 0.0f;
    const bool haveAim = m_stream.ReadFloat(aimDivisor);
    if (m_stream.ReadFloat(m_speed)) {
        m_baseSpeed = m_speed;
    }
    m_stream.ReadBool(m_movementOn);
    m_stream.ReadFloat(m_seekGain);
    m_stream.ReadFloat(m_headingGain);
    m_stream.ReadFloat(m_avoidGain);

    m_weaponTimer = 0.0f;
    if (haveAim && aimDivisor != 0.0f) {
        const f32 pi = 4.0f * std::atan(1.0f);
        m_aimCosine = std::cos(pi / aimDivisor);
    }
    m_reverse = 0;
    m_object = owner;

    delete m_stateMachine;
    m_stateMachine = new StateMachine(&m_stream, this);

    AIViewProcess* const ai = Process();
    m_target = ai != nullptr ? ai->GetPlayerObject() : nullptr;
    m_expired = false;
    const std::string& name = Name();
    if (ai != nullptr && ai->m_endlessMode && name == "AI-Fly-MediumUFO") {
        m_maxHealth = 135;
        m_health = 135;
    }

    m_separation_class = SeparationClass(name);
    m_soundInstance = nullptr;
    MovementKind kind = MovementKind::None;
    for (const MovementRow& row : kMovementRows) {
        if (row.rule.Matches(name)) {
            kind = row.kind;
            break;
        }
    }
    delete m_movement;
    m_movement = MakeMovement(kind, this);

    UnitAudio* const audio = ai != nullptr ? ai->Audio() : nullptr;
    if (audio == nullptr || owner == nullptr) {
        return;
    }
    const char* shot = nullptr;
    const char* loop = nullptr;
    f32 volume = 0.0f;
    if (name.find("Tank") != std::string::npos) {
        shot = kTankShotPath;
        loop = kTankLoopPath;
        volume = 0.45f;
    } else if (kind == MovementKind::Helicopter &&
               (name == "AI-Fly-Helicopter" || name == "AI-Fly-Transport")) {
        shot = kHelicopterShotPath;
        loop = kHelicopterLoopPath;
        volume = 0.7f;
    }
    if (loop == nullptr || !audio->Preload(*owner, shot)) {
        return;
    }
    m_soundInstance = audio->PlayerInstance(*owner, loop);
    if (m_soundInstance != nullptr) {
        audio->Play(m_soundInstance, volume, true);
    }
}

void AIViewComponent::Update(float dt) {
    UpdateHitFlash(dt);
    m_weaponTimer += dt;
    if (m_stateMachine != nullptr) {
        m_stateMachine->Update(dt);
    }
    UpdateDistanceRules();
    if (m_movementOn && m_movement != nullptr) {
        m_movement->Update(dt);
    }
    if (m_lifetimeOn) {
        m_lifetime -= dt;
        if (m_lifetime <= 0.0f) {
            m_expired = true;
        }
    }
    m_age += dt;
}

void AIViewComponent::UpdateHitFlash(float dt) {
    m_timeSinceHit += dt;
    const std::string& name = Name();
    if (name != "AI-Boss-Fly-UFO" && name.find("Mothership") == std::string::npos) {
        return;
    }
    AIViewProcess* const ai = Process();
    UnitLook* const look = ai != nullptr ? ai->Look() : nullptr;
    if (look == nullptr || owner == nullptr || !look->HasGraphic(*owner)) {
        return;
    }
    const f32 t = m_timeSinceHit;
    const f32 c = m_hitCooldown;
    const bool on = (t <= c * 0.33333334f || t >= c * 0.6666667f) && t < c;
    look->SetRenderRed(*owner, on);
    look->SetHdrMultiplier(*owner, on ? 2.0f : 1.0f);
}

void AIViewComponent::UpdateDistanceRules() {
    if (m_target == nullptr || owner == nullptr) {
        return;
    }
    const f32 d2 = (m_target->position - owner->position).LengthSquared();
    const std::string& name = Name();
    const bool contains = [&] {
        return InState(STATE_GRABBED) || InState(STATE_TANK_DROPPED) ||
               InState(STATE_MEDIUM_UFO_ENTRY) || name.find("Boss") != std::string::npos ||
               name.find("Citizen") != std::string::npos || name == "AI-Fly-Transport" ||
               name == "AI-Fly-UFOChild";
    }();
    if (!contains) {
        const f32 r = name.find("AI-Ground-Tank") != std::string::npos ? 200.0f : 250.0f;
        m_speed = static_cast<f32>(std::ceil(static_cast<double>(d2) / (r * r)) * m_baseSpeed);
        if (d2 > 361201.0f) {
            m_expired = true;
        }
    }
    if (name.find("Citizen") != std::string::npos) {
        AIViewProcess* const ai = Process();
        const f32 limit = ai != nullptr && ai->m_tutorial ? 400.0f : 251.0f;
        if (d2 > limit * limit) {
            m_expired = true;
        }
    }
}

void AIViewComponent::TakeDamage(i32 amount) {
    const std::string& name = Name();
    AIViewProcess* const ai = Process();
    const bool shielded = ai != nullptr && ai->m_ufoShield;
    if (InState(STATE_GRABBED) || name == "AI-Boss-Fly-MothershipBase" ||
        name == "AI-Boss-Fly-MothershipBFG" ||
        (shielded && (name == "AI-Boss-Fly-UFO" || name == "AI-Fly-UFOChild"))) {
        return;
    }
    UnitLook* const look = ai != nullptr ? ai->Look() : nullptr;
    if (m_timeSinceHit > m_hitCooldown) {
        m_health -= amount;
        m_timeSinceHit = 0.0f;
        if (look != nullptr && owner != nullptr && look->HasGraphic(*owner) &&
            name != "AI-Boss-Fly-UFO") {
            // A unit without health to speak of animates at full hurry.
            const f32 ratio = m_maxHealth > 0 ? static_cast<f32>(m_health) / m_maxHealth : 0.0f;
            look->SetAnimationSpeedAll(*owner, std::max(3.0f * (1.0f - ratio), 1.0f));
        }
    }
    if (m_health >= 0) {
        return;
    }
    if (name == "AI-Boss-Fly-UFO" && !m_expired && !InState(STATE_UFO_DIE)) {
        ToggleDeathLook();
        ChangeTo(STATE_UFO_DIE);
    } else if (name == "AI-Boss-Fly-Flythra" && !m_expired && !InState(STATE_FLYTHRA_DIE)) {
        ToggleDeathLook();
        ChangeTo(STATE_FLYTHRA_DIE);
    } else if (name != "AI-Boss-Fly-MothershipBase" && name != "AI-Boss-Fly-UFO") {
        Expire();
    }
}

void AIViewComponent::ToggleDeathLook() {
    AIViewProcess* const ai = Process();
    UnitLook* const look = ai != nullptr ? ai->Look() : nullptr;
    if (look == nullptr || owner == nullptr || !look->HasGraphic(*owner)) {
        return;
    }
    look->SetRenderRed(*owner, !look->RenderRed(*owner));
    look->SetHdrMultiplier(*owner, look->HdrMultiplier(*owner) > 1.0f ? 1.0f : 2.0f);
}

void AIViewComponent::Expire() {
    if (InState(STATE_GRABBED) || Name() == "AI-Boss-Fly-UFO") {
        return;
    }
    m_expired = true;
}

void AIViewComponent::RemoveLaserBeams() {
    if (m_stateMachine == nullptr) {
        return;
    }
    for (const BeamRecord& beam : m_stateMachine->m_beams) {
        LaserBeamInfo info;
        info.m_end = beam.m_end;
        if (beam.m_beam != nullptr) {
            info.m_start = beam.m_beam->position;
            info.m_beam = beam.m_beam->GetComponent(ComponentType::Graphic);
        }
        Message<LaserBeamInfo> graphic(MSG_GRAPHICS_LASER_BEAM_DELETION, info);
        SendMessage(&graphic, HANDLER_GRAPHICS_PROCESS);
        Message<GameObject*> object(MSG_LEVEL_DELETE_OBJECT, beam.m_beam);
        SendMessage(&object, HANDLER_LEVEL_STATE);
    }
    m_stateMachine->m_beams.clear();
}
