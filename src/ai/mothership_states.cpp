#include "ai/mothership_states.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "PhysX/physx_component.h"
#include "ai/ai_view_component.h"
#include "ai/ai_view_process.h"
#include "ai/state.h"
#include "ai/state_machine.h"
#include "animation/graphics_animation.h"
#include "content/particle_system_info.h"
#include "core/bounds.h"
#include "core/component_type.h"
#include "core/game_object.h"
#include "core/handler_ids.h"
#include "core/math_functions.h"
#include "core/matrix.h"
#include "core/message.h"
#include "core/quaternion.h"
#include "game/radial_force.h"
#include "game/sound_control.h"
#include "graphics/beam_mesh.h"
#include "graphics/graphic_component.h"
#include "graphics/light.h"
#include "platform/system/crt_rand.h"
#include "platform/system/log.h"

std::vector<GameObject*> g_mothershipParts;
bool g_mothershipInactive = false;
f32 g_entryStartZ = 0.0f;
std::vector<std::unique_ptr<BeamMesh>> g_tubeBeams;
f32 g_hatchSpawnRate = 1.0f;
f32 g_bfgPower = 0.4f;
f32 g_deathTime = 0.0f;
f32 g_explosionRadius = 0.0f;
Vector g_explosionCentreOffset(0.0f, 0.0f, 0.0f);
f32 g_fireClock = 0.0f;
f32 g_fireAllowance = 0.0f;
f32 g_smokeClock = 0.0f;
f32 g_smokeAllowance = 0.0f;
f32 g_sinkSpeed = 0.0f;
bool g_firstStageEnded = false;

namespace {

constexpr f32 kPi = 3.14159265358979f;
constexpr f32 kTurnStep = 0.002f;
constexpr f32 kDyingTurnStep = 0.000165f;
constexpr f32 kPartsHeight = 42.065f;
constexpr f32 kArrivalZ = -800.0f;
constexpr f32 kSunkHeight = 40.0f;
constexpr const char* kMediumUfo = "AI-Fly-MediumUFO";
constexpr const char* kOpenSound = "./assets/sound fx/bfg_open.mp3";
constexpr const char* kChargeSound = "./assets/sound fx/bfg_charge.mp3";
constexpr const char* kShotSound = "./assets/sound fx/bfg_shot.mp3";
constexpr const char* kExplosionSound = "./assets/sound fx/mothership_explosion.mp3";
constexpr const char* kDemolitionSound = "./assets/sound fx/building_demolition_2.mp3";
constexpr u32 kMusicGroup = 1;

MothershipLinks g_no_links;
MothershipLinks* g_links = &g_no_links;
// The gun's current sound: requested persistent, so the sound process never frees it while
// it is held here; released before the next request and by the death sequence.
SoundInstance* g_gun_sound = nullptr;

f32 Clamp01(f32 v) {
    return std::clamp(v, 0.0f, 1.0f);
}

Vector Normalised(const Vector& v) {
    const f32 length = v.Length();
    return length > 0.0f ? v * (1.0f / length) : v;
}

void MarkMoved(GameObject& object) {
    object.positionChanged = true;
}

GameObject* Part(u32 index) {
    return index < g_mothershipParts.size() ? g_mothershipParts[index] : nullptr;
}

AIViewComponent* UnitOf(GameObject& object) {
    return dynamic_cast<AIViewComponent*>(object.GetComponent(ComponentType::AIView));
}

GraphicComponent* GraphicOf(GameObject& object, u32 which = 0) {
    const auto found = object.components.find(ComponentType::Graphic);
    if (found == object.components.end() || which >= found->second.size()) {
        return nullptr;
    }
    return dynamic_cast<GraphicComponent*>(found->second[which]);
}

GraphicsAnimationMap* AnimationsOf(GameObject& object) {
    GraphicComponent* const graphic = GraphicOf(object);
    return graphic != nullptr ? graphic->GetAnimationMap() : nullptr;
}

std::vector<Light*> LightsOf(GameObject* object) {
    std::vector<Light*> lights;
    if (object == nullptr) {
        return lights;
    }
    const auto found = object->components.find(ComponentType::Light);
    if (found != object->components.end()) {
        for (Component* c : found->second) {
            if (auto* light = dynamic_cast<Light*>(c)) {
                lights.push_back(light);
            }
        }
    }
    return lights;
}

void PostEmpty(MessageHandler& from, u32 type, u32 to) {
    BaseMessage message(type);
    from.SendMessage(&message, to);
}

void PostFloat(MessageHandler& from, u32 type, f32 value, u32 to) {
    Message<float> message(type, value);
    from.SendMessage(&message, to);
}

void CreateParticles(MessageHandler& from, const std::string& name, const Vector& at,
                     f32 delay = 0.0f) {
    Message<ParticleSystemInfo> message(MSG_CREATE_PARTICLE_SYSTEM, ParticleSystemInfo{at, name});
    from.SendMessage(&message, HANDLER_GRAPHICS_PROCESS, delay);
}

void PushRadial(MessageHandler& from, const RadialForce& force, f32 delay) {
    Message<RadialForce> message(MSG_PHYSICS_RADIAL_FORCE, force);
    from.SendMessage(&message, HANDLER_PHYSX_PROCESS, delay);
}

// Asks the sound process for an instance through the unit, which stores the answer.
SoundInstance* RequestSound(AIViewComponent& unit, const std::string& path) {
    unit.m_soundInstance = nullptr;
    Message<std::string> request(MSG_GET_SOUND_INSTANCE, path);
    unit.SendMessage(&request, HANDLER_SOUND_PROCESS);
    return unit.m_soundInstance;
}

void ReleaseGunSound(AIViewComponent* gun) {
    if (g_gun_sound == nullptr) {
        return;
    }
    if (SoundControl* const sounds = g_links->Sounds()) {
        sounds->Stop(g_gun_sound);
        sounds->MarkRelease(g_gun_sound);
    }
    if (gun != nullptr && gun->m_soundInstance == g_gun_sound) {
        gun->m_soundInstance = nullptr;
    }
    g_gun_sound = nullptr;
}

void PlayGunSound(AIViewComponent& gun, const std::string& path) {
    ReleaseGunSound(&gun);
    SoundInstance* const instance = RequestSound(gun, path);
    SoundControl* const sounds = g_links->Sounds();
    if (instance == nullptr || sounds == nullptr) {
        gun.m_soundInstance = nullptr;
        return;
    }
    sounds->MarkPersistent(instance);
    sounds->SetGroup(instance, kMusicGroup);
    sounds->Play(instance, 1.0f, false);
    g_gun_sound = instance;
}

// A one-shot the unit does not keep: the sound process frees it when it ends.
void PlayOneShot(AIViewComponent& unit, const std::string& path) {
    SoundInstance* const instance = RequestSound(unit, path);
    if (instance != nullptr && g_links->Sounds() != nullptr) {
        g_links->Sounds()->Play(instance, 1.0f, false);
    }
    unit.m_soundInstance = nullptr;
}

Vector MothershipOffset(const GameObject& base, const Vector& offset) {
    return Vector::Transform(offset, Math::MatrixRotationQuaternion(base.orientation));
}

// Turn, prune, place and sway: what every base state does first each frame.
void DriveBoss(GameObject& base, f32 step, float dt, GameObject* target) {
    TurnMothership(base, step);
    PruneMothershipParts(&base);
    PlaceMothershipParts(&base);
    UpdateMothershipTurrets(dt, target);
}

void SetUpTubes() {
    g_tubeBeams.clear();
    for (u32 j = 0; j < kMothershipTubeCount; ++j) {
        g_tubeBeams.push_back(std::make_unique<BeamMesh>());
        GameObject* const turret = Part(kMothershipFirstTurret + j);
        GraphicComponent* const tube = turret != nullptr ? GraphicOf(*turret, 1) : nullptr;
        if (tube == nullptr) {
            sys::Log() << "Mothership turret " << j << " has no tube; it hangs without one";
            continue;
        }
        // The bent tube leaves its straight box; it must never be culled.
        g_tubeBeams.back()->Create(tube, 5.0f);
    }
}

// --- the base ------------------------------------------------------------------------------

class MothershipSpawn_State : public PooledState<MothershipSpawn_State> {
  public:
    void Update(float dt) override {
        GameObject* const base = Self();
        AIViewComponent* const unit = Unit();
        if (base == nullptr || unit == nullptr) {
            return;
        }
        g_mothershipParts = base->childObjects;
        g_mothershipInactive = true;
        SetUpTubes();
        TurnMothership(*base, kTurnStep);
        PlaceMothershipParts(base);
        UpdateMothershipTurrets(dt, Target());
        SwitchTo(STATE_MOTHERSHIP_ENTRY);
        Message<bool> shadows(MSG_GRAPHICS_ENABLE_SHADOWS, false);
        unit->SendMessage(&shadows, HANDLER_GRAPHICS_PROCESS);
        f32 height = base->position.y - 20.0f;
        if (base->boundingBox != nullptr) {
            height -= base->boundingBox->m_extents.y;
        }
        PostFloat(*unit, MSG_BUILDINGS_MAX_RESPAWN_HEIGHT, height, HANDLER_BUILDING_PROCESS);
        g_hatchSpawnRate = 1.0f;
    }
};

class MothershipEntry_State : public PooledState<MothershipEntry_State> {
  public:
    void Enter() override {
        if (GameObject* const base = Self()) {
            g_entryStartZ = base->position.z;
        }
    }
    void Update(float dt) override {
        GameObject* const base = Self();
        AIViewComponent* const unit = Unit();
        if (base == nullptr || unit == nullptr) {
            return;
        }
        DriveBoss(*base, kTurnStep, dt, Target());
        MessageHandler& view =
            unit->Process() != nullptr ? static_cast<MessageHandler&>(*unit->Process()) : *unit;
        f32& z = base->position.z;
        if (z > kArrivalZ) {
            const f32 speed = std::min(std::fabs(z - kArrivalZ) * 1.5f + 5.0f, 300.0f);
            z -= speed * dt;
            MarkMoved(*base);
            const f32 t =
                Clamp01((1.0f - (z - kArrivalZ) / (g_entryStartZ - kArrivalZ)) * 1.6666666f);
            PostFloat(view, MSG_GRAPHICS_SET_LIGHT_MULTIPLIER, 0.88f * t + (1.0f - t),
                      HANDLER_GRAPHICS_PROCESS);
            PostFloat(view, MSG_GRAPHICS_SET_EXPOSURE_VALUE, 2.0f * t + 4.0f * (1.0f - t),
                      HANDLER_GRAPHICS_PROCESS);
            return;
        }
        g_mothershipInactive = false;
        sys::Log() << "Mothership over the city at " << base->position.x << ", " << base->position.y
                   << ", " << z << ": it attacks";
        SwitchTo(STATE_MOTHERSHIP_ATTACK);
        PostFloat(view, MSG_GRAPHICS_RANDOM_CAMERA_SHAKE, 0.0f, HANDLER_GRAPHICS_PROCESS);
        PostFloat(view, MSG_GRAPHICS_MOTION_BLUR, 0.0f, HANDLER_GRAPHICS_PROCESS);
        PostFloat(view, MSG_GRAPHICS_SET_LIGHT_MULTIPLIER, 0.88f, HANDLER_GRAPHICS_PROCESS);
        PostFloat(view, MSG_GRAPHICS_SET_EXPOSURE_VALUE, 2.0f, HANDLER_GRAPHICS_PROCESS);
    }
};

class MothershipAttack_State : public PooledState<MothershipAttack_State> {
  public:
    void Enter() override {
        if (AIViewComponent* const unit = Unit()) {
            PostEmpty(*unit, MSG_BUILDING_START_SPAWNING, HANDLER_BUILDING_PROCESS);
        }
    }
    void Update(float dt) override {
        GameObject* const base = Self();
        if (base == nullptr) {
            return;
        }
        DriveBoss(*base, kTurnStep, dt, Target());
        if (Part(kMothershipCoreIndex) == nullptr) {
            SwitchTo(STATE_MOTHERSHIP_DIE);
        }
    }
};

// Some base lights go out; the ones out are reset to white (and full level in the long form).
void FlickerBaseLights(GameObject& base, bool longForm) {
    for (Light* light : LightsOf(&base)) {
        light->m_enabled = crt::Rand() % 4 != 0;
        if (!light->m_enabled) {
            light->m_light.diffuse.r = 1.0f;
            light->m_light.diffuse.g = 1.0f;
            light->m_light.diffuse.b = 1.0f;
            if (longForm) {
                light->m_light.diffuse.a = 1.0f;
            }
        }
    }
}

// A random point of the box around the base, drawn z, then y, then x.
Vector RandomBoxOffset() {
    Vector offset;
    offset.z = static_cast<f32>(crt::Rand() % 100) * 6.0f - 300.0f;
    offset.y = -75.0f - static_cast<f32>(crt::Rand() % 100) * 0.5f;
    offset.x = static_cast<f32>(crt::Rand() % 100) * 6.0f - 300.0f;
    return offset;
}

class MothershipDie_State : public PooledState<MothershipDie_State> {
  public:
    void Enter() override {
        AIViewComponent* const unit = Unit();
        g_mothershipInactive = true;
        if (unit == nullptr) {
            return;
        }
        sys::LogLine("Mothership core destroyed: the base goes down");
        PostEmpty(*unit, MSG_BUILDING_STOP_SPAWNING, HANDLER_BUILDING_PROCESS);
        g_deathTime = 0.0f;
        g_fireClock = 0.0f;
        g_fireAllowance = 1.0f;
        g_explosionCentreOffset = Vector(0.0f, -160.0f, 0.0f);
        g_explosionRadius = 0.0f;
        g_smokeClock = 0.0f;
        g_smokeAllowance = 0.0f;
        g_sinkSpeed = 0.0f;
        g_firstStageEnded = false;
        PlayOneShot(*unit, kExplosionSound);
        GameObject* const gun = Part(kMothershipGunIndex);
        ReleaseGunSound(gun != nullptr ? UnitOf(*gun) : nullptr);
        for (GameObject* part : g_mothershipParts) {
            if (AIViewComponent* const partUnit = part != nullptr ? UnitOf(*part) : nullptr) {
                partUnit->m_maxHealth = 10000;
                partUnit->m_health = 10000;
            }
        }
    }

    void Update(float dt) override {
        GameObject* const base = Self();
        AIViewComponent* const unit = Unit();
        if (base == nullptr || unit == nullptr) {
            return;
        }
        if (base->position.y <= kSunkHeight) {
            PostFloat(*unit, MSG_GRAPHICS_RANDOM_CAMERA_SHAKE, 0.0f, HANDLER_GRAPHICS_PROCESS);
            PostFloat(*unit, MSG_GRAPHICS_MOTION_BLUR, 0.0f, HANDLER_GRAPHICS_PROCESS);
            return;
        }
        DriveBoss(*base, kDyingTurnStep, dt, Target());
        g_deathTime += dt;
        const f32 t = g_deathTime;
        if (t <= 4.0f) {
            g_explosionCentreOffset += Vector(0.0f, 40.0f * dt, 0.0f);
            g_fireAllowance += 0.25f * dt;
            g_explosionRadius += 5.0f * dt;
        } else if (t <= 12.0f) {
            // The first stage's end runs once, on the first frame past 4 s, however uneven
            // the frames are.
            if (!g_firstStageEnded) {
                EndFirstStage(*unit, *base);
            }
            SecondStage(*base, dt);
        } else {
            if (!g_firstStageEnded) {
                EndFirstStage(*unit, *base);
            }
            FlickerBaseLights(*base, true);
        }
        Fire(*unit, *base, dt);
        Smoke(*unit, *base);
        g_sinkSpeed = std::min(10.0f, std::max(0.0f, g_sinkSpeed + 0.42f * dt));
        base->position.y -= g_sinkSpeed * dt;
        MarkMoved(*base);
    }

  private:
    void EndFirstStage(AIViewComponent& unit, GameObject& base) {
        g_firstStageEnded = true;
        const Vector centre = base.position + g_explosionCentreOffset;
        PostFloat(unit, MSG_GRAPHICS_RANDOM_CAMERA_SHAKE, 4.0f, HANDLER_GRAPHICS_PROCESS);
        Message<std::vector<float>> exposure(MSG_GRAPHICS_EXPOSURE_TEMP_CHANGE,
                                             std::vector<float>{10.0f, 1.0f, 4.0f, 2.5f});
        unit.SendMessage(&exposure, HANDLER_GRAPHICS_PROCESS);
        for (int k = 0; k < 5; ++k) {
            const f32 i = 0.1f * static_cast<f32>(k);
            PushRadial(unit,
                       RadialForce(centre, 100.0f * i + 50.0f,
                                   750.0f - 650.0f * std::fabs(i - 0.75f), 0.1f, 0, 0,
                                   RadialForce::kMassImpulse),
                       i);
        }
        PlayOneShot(unit, kDemolitionSound);
        CreateParticles(unit, "MothershipBFGFlame", centre);
        CreateParticles(unit, "MothershipBFGFlame2", centre);
    }

    void SecondStage(GameObject& base, float dt) {
        AIViewComponent* const unit = Unit();
        g_explosionCentreOffset = Vector(0.0f, -75.0f, 0.0f);
        g_explosionRadius += 35.0f * dt;
        g_fireAllowance = g_explosionRadius * kPi * 0.6666667f;
        g_smokeClock -= dt;
        g_smokeAllowance += 0.5f * dt;
        PruneMothershipParts(&base);
        KillMothershipParts("AI-Boss-Fly-MothershipBFG");
        if (g_explosionRadius >= 178.0f) {
            PruneMothershipParts(&base);
            KillMothershipParts("AI-Boss-Fly-MothershipTurret");
            FlickerBaseLights(base, false);
        }
        if (g_explosionRadius >= 275.0f) {
            PruneMothershipParts(&base);
            KillMothershipParts("AI-Boss-Fly-MothershipHatch");
        }
        if (crt::Rand() % 10 < 9) {
            PostFloat(*unit, MSG_GRAPHICS_RANDOM_CAMERA_SHAKE, 0.15f, HANDLER_GRAPHICS_PROCESS);
        }
    }

    void Fire(AIViewComponent& unit, GameObject& base, float dt) {
        g_fireClock -= dt;
        if (g_fireClock > g_fireAllowance || crt::Rand() % 2 == 0) {
            return;
        }
        g_fireClock += 0.2f;
        Vector offset = RandomBoxOffset();
        if (g_explosionRadius < 320.0f) {
            offset = Normalised(offset) * g_explosionRadius;
        }
        const f32 length = offset.Length();
        const f32 bell = (length - 175.0f) * 0.0057142857f;
        const f32 f = std::max(0.0f, 1.0f - bell * bell);
        offset.y = -25.0f * f;
        CreateParticles(unit, "MothershipExplosionFire",
                        base.position + g_explosionCentreOffset + MothershipOffset(base, offset));
    }

    void Smoke(AIViewComponent& unit, GameObject& base) {
        if (g_smokeAllowance < g_smokeClock || crt::Rand() % 2 == 0) {
            return;
        }
        g_smokeClock += 0.25f;
        const Vector offset = RandomBoxOffset();
        CreateParticles(unit, "MothershipExplosionSmoke",
                        base.position + MothershipOffset(base, offset));
    }
};

// --- the parts -----------------------------------------------------------------------------

class MothershipHatchSpawn_State : public PooledState<MothershipHatchSpawn_State> {
  public:
    void Enter() override {
        m_spawnClock = 100.0f;
        m_lightTimer = 0.0f;
    }

    void Update(float dt) override {
        GameObject* const hatch = Self();
        AIViewComponent* const unit = Unit();
        if (hatch == nullptr || unit == nullptr) {
            return;
        }
        const std::vector<Light*> lights = LightsOf(hatch);
        if (m_lightTimer > 0.0f) {
            m_lightTimer -= dt;
            if (m_lightTimer <= 0.0f && !lights.empty()) {
                lights.front()->m_enabled = false;
            }
        }
        if (g_mothershipInactive) {
            return;
        }
        if (std::fabs(m_spawnClock - 100.0f) < 0.00001f) {
            m_spawnClock = 0.0f;
            m_spawnClock -= static_cast<f32>((ChildIndex(*hatch) - 7) % 4) * 8.0f;
        }
        m_spawnClock += g_hatchSpawnRate * dt;
        GraphicsAnimationMap* const clips = AnimationsOf(*hatch);
        if (m_spawnClock > 4.0f) {
            m_spawnClock -= 32.0f;
            if (CountMediumUfos(*unit) < 6) {
                Release(*hatch, *unit, clips);
                if (!lights.empty()) {
                    lights.front()->m_enabled = true;
                }
                m_lightTimer = 1.0f;
            }
        }
        // A stop leaves the finished flag up: Idle starts once per release, not every frame.
        if (clips != nullptr && IsAnimationFinished(*clips, "Spawn") &&
            !IsAnimationActive(*clips, "Idle")) {
            StopAllAnimations(*clips);
            PlayAnimation(*clips, "Idle", true);
            SetAnimationSpeedAll(*clips, 0.5f);
        }
    }

    f32 m_spawnClock = 0.0f;
    f32 m_lightTimer = 0.0f;

  private:
    static i32 ChildIndex(const GameObject& hatch) {
        const GameObject* const parent = hatch.parentObject;
        if (parent == nullptr) {
            return 0;
        }
        const auto& children = parent->childObjects;
        const auto at = std::find(children.begin(), children.end(), &hatch);
        return static_cast<i32>(at - children.begin());
    }

    static i32 CountMediumUfos(AIViewComponent& unit) {
        AIViewProcess* const ai = unit.Process();
        if (ai == nullptr) {
            return 0;
        }
        return static_cast<i32>(
            std::count_if(ai->m_units.begin(), ai->m_units.end(), [](AIViewComponent* u) {
                return u != nullptr && u->Name() == kMediumUfo;
            }));
    }

    static void Release(GameObject& hatch, AIViewComponent& unit, GraphicsAnimationMap* clips) {
        if (clips != nullptr) {
            StopAllAnimations(*clips);
            PlayAnimation(*clips, "Spawn", false);
            SetAnimationSpeedAll(*clips, 0.5f);
        }
        unit.m_createdObject = nullptr;
        Message<std::string> create(MSG_LEVEL_CREATE_OBJECT, kMediumUfo);
        unit.SendMessage(&create, HANDLER_LEVEL_STATE);
        GameObject* const ufo = unit.m_createdObject;
        if (ufo == nullptr) {
            return;
        }
        ufo->SetScale(Vector(0.6f, 0.6f, 0.6f));
        ufo->position = hatch.position + Vector(0.0f, -20.0f, 0.0f);
        ufo->positionChanged = true;
        ufo->NotifyComponents();
        if (auto* body = dynamic_cast<PhysXComponent*>(ufo->GetComponent(ComponentType::Physics))) {
            body->SetCollisionEnabled(false);
        }
    }
};

class MothershipTurretAttack_State : public PooledState<MothershipTurretAttack_State> {
  public:
    void Enter() override {
        m_fireThreshold = 20.0f;
        if (AIViewComponent* const unit = Unit()) {
            unit->m_weaponTimer = 20.0f;
        }
    }
    void Update(float) override {
        if (!g_mothershipInactive) {
            g_links->FireLaserPulse(*this, m_fireThreshold);
        }
    }

    f32 m_fireThreshold = 0.0f;
};

class MothershipBFGAttack_State : public PooledState<MothershipBFGAttack_State> {
  public:
    void Enter() override {
        if (GameObject* const gun = Self()) {
            if (GraphicsAnimationMap* const clips = AnimationsOf(*gun)) {
                SetAnimationSpeedAll(*clips, 0.5f);
                PlayPhase(*clips, "Idle", true);
            }
        }
        m_timer = 0.0f;
        g_bfgPower = 0.4f;
    }

    void Update(float dt) override {
        GameObject* const gun = Self();
        AIViewComponent* const unit = Unit();
        if (gun == nullptr || unit == nullptr) {
            return;
        }
        CopyHitFlash(*gun);
        GraphicsAnimationMap* const clips = AnimationsOf(*gun);
        if (g_mothershipInactive) {
            if (clips != nullptr) {
                PauseAllAnimations(*clips);
            }
            return;
        }
        PruneMothershipParts(gun->parentObject);
        if (clips == nullptr || m_phase.empty()) {
            return;
        }
        // Coming back from a pause: the phase's clip runs on where it stood.
        if (GraphicsAnimation* const current = clips->Find(m_phase)) {
            current->Resume();
        }
        const f32 p = PhaseProgress(*clips);
        const bool done = IsAnimationFinished(*clips, m_phase);
        if (m_phase == "Idle") {
            MoveCore(*gun, 0.0f);
            m_timer += dt;
            if (m_timer >= 10.0f) {
                m_timer = 0.0f;
                PlayPhase(*clips, "Open", false);
                for (Light* light : LightsOf(gun)) {
                    light->m_enabled = true;
                }
                PlayGunSound(*unit, kOpenSound);
            }
        } else if (m_phase == "Open") {
            SetBaseLights(*gun, Clamp01(1.0f - (2.0f / 3.0f) * p));
            MoveCore(*gun, -165.0f * Clamp01(1.6f * p));
            SetGunLightOffset(*gun, -100.0f * Clamp01(3.3333333f * p));
            if (done) {
                PlayPhase(*clips, "Charge", false);
                SetGunLightOffset(*gun, -100.0f);
                MoveCore(*gun, -165.0f);
                PlayGunSound(*unit, kChargeSound);
            }
        } else if (m_phase == "Charge") {
            SetBaseLights(*gun, 1.0f / 3.0f);
            MoveCore(*gun, -165.0f);
            if (done) {
                PlayPhase(*clips, "Shoot", false);
                Shoot(*gun, *unit);
            }
        } else if (m_phase == "Shoot") {
            SetBaseLights(*gun, 1.0f / 3.0f);
            MoveCore(*gun, 25.0f * p - 165.0f);
            SetGunLightOffset(*gun, -100.0f - 25.0f * p);
            if (done) {
                PlayPhase(*clips, "Rest", true);
                m_timer = 0.0f;
                SetGunLightOffset(*gun, -75.0f);
                MoveCore(*gun, -140.0f);
            }
        } else if (m_phase == "Rest") {
            MoveCore(*gun, -140.0f);
            m_timer += dt;
            SetBaseLights(*gun, Clamp01(m_timer * 0.2f * (2.0f / 3.0f) + 1.0f / 3.0f));
            const GraphicsAnimation* const retract = clips->Find("Retract");
            const f32 length = retract != nullptr ? retract->m_length : 0.0f;
            const f32 q = length > 0.0f ? Clamp01(m_timer / length) : 1.0f;
            SetGunLightOffset(*gun, 10.0f * q - 125.0f);
            if (m_timer >= 5.0f) {
                g_hatchSpawnRate = std::min(3.0f, std::max(0.0f, g_hatchSpawnRate + 0.25f));
                m_timer = 0.0f;
                PlayPhase(*clips, "Retract", false);
                SetGunLightOffset(*gun, -115.0f);
                PostEmpty(*unit, MSG_BUILDING_START_SPAWNING, HANDLER_BUILDING_PROCESS);
            }
        } else if (m_phase == "Retract") {
            SetBaseLights(*gun, 1.0f);
            if (p < 0.4f) {
                const f32 u = Clamp01(2.5f * p);
                MoveCore(*gun, -140.0f - 10.0f * u);
                SetGunLightOffset(*gun, -115.0f - 10.0f * u);
            } else {
                const f32 u = Clamp01((p - 0.4f) * 1.6666666f);
                MoveCore(*gun, 150.0f * u - 150.0f);
                SetGunLightOffset(*gun, 125.0f * u - 125.0f);
            }
            if (done) {
                PlayPhase(*clips, "Idle", true);
                m_timer = 0.0f;
                for (Light* light : LightsOf(gun)) {
                    light->m_offset = Float3{0.0f, 0.0f, 0.0f};
                    light->m_enabled = false;
                }
                MoveCore(*gun, 0.0f);
            }
        }
    }

    std::string m_phase;
    f32 m_timer = 0.0f;

  private:
    void PlayPhase(GraphicsAnimationMap& clips, const std::string& name, bool loop) {
        m_phase = name;
        StopAllAnimations(clips);
        PlayAnimation(clips, name, loop);
    }

    f32 PhaseProgress(const GraphicsAnimationMap& clips) const {
        const GraphicsAnimation* const clip = clips.Find(m_phase);
        if (clip == nullptr || clip->m_length <= 0.0f) {
            return 1.0f;
        }
        return clip->m_time / clip->m_length;
    }

    static void CopyHitFlash(GameObject& gun) {
        GameObject* const core = Part(kMothershipCoreIndex);
        GraphicComponent* const coreLook = core != nullptr ? GraphicOf(*core) : nullptr;
        GraphicComponent* const gunLook = GraphicOf(gun);
        if (coreLook != nullptr && gunLook != nullptr) {
            gunLook->m_render_red = coreLook->m_render_red;
            gunLook->SetHdrMultiplier(coreLook->GetHdrMultiplier());
        }
    }

    static void MoveCore(GameObject& gun, f32 y) {
        if (GameObject* const core = Part(kMothershipCoreIndex)) {
            core->SetPosition(gun.position + Vector(0.0f, y, 0.0f));
            core->positionChanged = true;
        }
    }

    static void SetBaseLights(GameObject& gun, f32 v) {
        for (Light* light : LightsOf(gun.parentObject)) {
            light->m_light.diffuse = ColorValue{v, v, v, v};
        }
    }

    static void SetGunLightOffset(GameObject& gun, f32 y) {
        for (Light* light : LightsOf(&gun)) {
            light->m_offset = Float3{0.0f, y, 0.0f};
        }
    }

    static void Shoot(GameObject& gun, AIViewComponent& unit) {
        PostEmpty(unit, MSG_BUILDING_STOP_SPAWNING, HANDLER_BUILDING_PROCESS);
        const Vector centre(gun.position.x, 10.0f, gun.position.z);
        auto* const body = dynamic_cast<PhysXComponent*>(gun.GetComponent(ComponentType::Physics));
        const u32 excluded = body != nullptr ? body->GetId() : 0;
        for (int k = 0; k < 15; ++k) {
            const f32 i = 0.2f * static_cast<f32>(k);
            PushRadial(unit,
                       RadialForce(centre, (175.0f * i + 25.0f) * g_bfgPower,
                                   (1200.0f - 400.0f * std::fabs(i - 2.0f)) * g_bfgPower, 0.2f,
                                   excluded, 0, RadialForce::kMassImpulse),
                       i);
        }
        if (GameObject* const robot = unit.m_target) {
            Vector d = robot->position - gun.position;
            d.y *= 0.1f;
            const f32 damage = 25.0f * std::max(0.0f, 1.0f - 0.004f * d.Length());
            g_links->DamageRobot(*robot, damage);
        }
        sys::Log() << "Mothership gun fires with power " << g_bfgPower;
        g_bfgPower = std::min(0.8f, std::max(0.0f, g_bfgPower + 0.075f));
        CreateParticles(unit, "LaserSystem", gun.position + Vector(0.0f, -175.0f, 0.0f));
        CreateParticles(unit, "LaserSystem2", Vector(gun.position.x, 0.0f, gun.position.z), 0.1f);
        PlayGunSound(unit, kShotSound);
    }
};

// The gun moves the core; the core only takes hits.
class MothershipBFGCore_State : public PooledState<MothershipBFGCore_State> {};

} // namespace

void SetMothershipLinks(MothershipLinks* links) {
    g_links = links != nullptr ? links : &g_no_links;
}

void ResetMothershipFamily() {
    g_mothershipParts.clear();
    g_mothershipInactive = false;
    g_entryStartZ = 0.0f;
    g_tubeBeams.clear();
    g_hatchSpawnRate = 1.0f;
    g_bfgPower = 0.4f;
    g_deathTime = 0.0f;
    g_explosionRadius = 0.0f;
    g_explosionCentreOffset = Vector(0.0f, 0.0f, 0.0f);
    g_fireClock = 0.0f;
    g_fireAllowance = 0.0f;
    g_smokeClock = 0.0f;
    g_smokeAllowance = 0.0f;
    g_sinkSpeed = 0.0f;
    g_firstStageEnded = false;
    // The level that held it is gone, and its sound process with it.
    g_gun_sound = nullptr;
}

void TurnMothership(GameObject& base, f32 step) {
    Quaternion::Integrate(base.orientation, Vector(0.0f, 1.0f, 0.0f), step);
    base.orientationChanged = true;
}

void PruneMothershipParts(GameObject* base) {
    for (GameObject*& part : g_mothershipParts) {
        if (part == nullptr) {
            continue;
        }
        if (base == nullptr || std::find(base->childObjects.begin(), base->childObjects.end(),
                                         part) == base->childObjects.end()) {
            part = nullptr;
        }
    }
}

void PlaceMothershipParts(GameObject* base) {
    if (base == nullptr) {
        return;
    }
    const Vector p = base->position;
    const Quaternion q = base->orientation;
    const Float4x4 r = Math::MatrixRotationQuaternion(q);
    const f32 pi = std::atan(1.0f) * 4.0f;
    for (u32 k = 0; k < g_mothershipParts.size() && k < kMothershipPartCount; ++k) {
        GameObject* const part = g_mothershipParts[k];
        if (part == nullptr) {
            continue;
        }
        if (k < kMothershipFirstTurret) {
            part->position = p + Vector(0.0f, kPartsHeight, 0.0f);
            part->orientation = q;
        } else if (k < kMothershipFirstHatch) {
            const f32 j = static_cast<f32>(k - kMothershipFirstTurret);
            const f32 a = (j * (1.0f / 3.0f) + 1.0f / 6.0f) * pi;
            const Vector offset(-188.634f * std::cos(a), -113.464f, -188.634f * std::sin(a));
            part->position = p + Vector::Transform(offset, r);
            part->orientation = q;
        } else {
            const f32 m = static_cast<f32>(k - kMothershipFirstHatch);
            const f32 a = (m + 1.0f) * pi * (1.0f / 6.0f);
            const Vector offset(-285.832f * std::cos(a), -72.0f, -285.832f * std::sin(a));
            part->position = p + Vector::Transform(offset, r);
            part->orientation = Math::QuaternionMultiply(
                q, Math::QuaternionRotationMatrix(Math::MatrixRotationY(a)));
        }
        part->positionChanged = true;
        part->orientationChanged = true;
    }
}

void UpdateMothershipTurrets(float dt, GameObject* target) {
    const Vector down(0.0f, -1.0f, 0.0f);
    for (u32 j = 0; j < kMothershipTubeCount; ++j) {
        GameObject* const turret = Part(kMothershipFirstTurret + j);
        if (turret == nullptr) {
            continue;
        }
        // The sway lives in the vector after the position, which turrets use for nothing else.
        Vector& s = turret->lastPosition;
        if (!g_mothershipInactive) {
            const Vector p = turret->position;
            const Vector d =
                target != nullptr ? Normalised(target->position - p) : Vector(0.0f, 0.0f, 0.0f);
            const f32 gain = s.LengthSquared() <= 400.0f ? 6.0f : 10.0f;
            s += d * (gain * dt);
            if (s.LengthSquared() > 400.0f) {
                s = Normalised(s) * 20.0f;
            }
            turret->position = p + s;
            turret->positionChanged = true;
            if (s.Length() > 0.0f) {
                const Vector n = Normalised(s.Cross(down));
                const f32 angle = -std::acos(std::clamp(Normalised(s).Dot(down), -1.0f, 1.0f));
                Vector rows[3] = {Vector(1.0f, 0.0f, 0.0f), Vector(0.0f, 1.0f, 0.0f),
                                  Vector(0.0f, 0.0f, 1.0f)};
                const Vector origin(0.0f, 0.0f, 0.0f);
                for (Vector& row : rows) {
                    Matrix::FromAxisAngle(row, origin, n, angle);
                }
                const Float4x4 tilt =
                    Matrix::FromRotation(rows[0].x, rows[0].y, rows[0].z, rows[1].x, rows[1].y,
                                         rows[1].z, rows[2].x, rows[2].y, rows[2].z);
                turret->orientation = Math::QuaternionRotationMatrix(tilt);
                turret->orientationChanged = true;
            }
        }
        if (j >= g_tubeBeams.size() || g_tubeBeams[j] == nullptr) {
            continue;
        }
        const Float4x4 m =
            Math::MatrixRotationQuaternion(Math::QuaternionInverse(turret->orientation));
        const std::vector<Vector> points = {Vector(0.0f, 3.0f, 0.0f), Vector(0.0f, 20.0f, 0.0f),
                                            Vector::Transform(-s + Vector(0.0f, 20.0f, 0.0f), m),
                                            Vector::Transform(-s + Vector(0.0f, 30.0f, 0.0f), m)};
        g_tubeBeams[j]->SetControlPoints(points);
        g_tubeBeams[j]->Update();
    }
}

void KillMothershipParts(const std::string& typeName) {
    const bool gun = typeName.find("BFG") != std::string::npos;
    for (GameObject* part : g_mothershipParts) {
        if (part == nullptr || part->name != typeName) {
            continue;
        }
        AIViewComponent* const unit = UnitOf(*part);
        if (unit == nullptr) {
            continue;
        }
        if (unit->m_soundInstance != nullptr && unit->m_soundInstance == g_gun_sound) {
            ReleaseGunSound(unit);
        }
        unit->Expire();
        if (!gun) {
            CreateParticles(*unit, "MothershipExplosionFire2", part->position);
            CreateParticles(*unit, "MothershipFlame", part->position);
        }
    }
}

void RegisterMothershipStates() {
    ResetMothershipFamily();
    RegisterStateFactory(STATE_MOTHERSHIP_SPAWN, &MakeStateOf<MothershipSpawn_State>);
    RegisterStateFactory(STATE_MOTHERSHIP_ENTRY, &MakeStateOf<MothershipEntry_State>);
    RegisterStateFactory(STATE_MOTHERSHIP_ATTACK, &MakeStateOf<MothershipAttack_State>);
    RegisterStateFactory(STATE_MOTHERSHIP_DIE, &MakeStateOf<MothershipDie_State>);
    RegisterStateFactory(STATE_MOTHERSHIP_HATCH_SPAWN, &MakeStateOf<MothershipHatchSpawn_State>);
    RegisterStateFactory(STATE_MOTHERSHIP_TURRET_ATTACK,
                         &MakeStateOf<MothershipTurretAttack_State>);
    RegisterStateFactory(STATE_MOTHERSHIP_BFG_ATTACK, &MakeStateOf<MothershipBFGAttack_State>);
    RegisterStateFactory(STATE_MOTHERSHIP_BFG_CORE, &MakeStateOf<MothershipBFGCore_State>);
}
