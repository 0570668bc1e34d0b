#include "ai/ufo_states.h"

#include <cmath>
#include <string>
#include <vector>

#include "PhysX/physx_component.h"
#include "ai/ai_view_component.h"
#include "ai/ai_view_process.h"
#include "ai/laser_weapons.h"
#include "ai/state.h"
#include "ai/state_machine.h"
#include "ai/unit_services.h"
#include "content/particle_system_info.h"
#include "core/component_type.h"
#include "core/game_object.h"
#include "core/handler_ids.h"
#include "core/message.h"
#include "core/quaternion.h"
#include "game/radial_force.h"

namespace {

constexpr f32 kPi = 3.14159265358979f;
constexpr f32 kRingStep = 2.0f * kPi / static_cast<f32>(kUfoChildren);
// A child's spawn flight lasts this long.
constexpr f32 kChildFlight = kPi / 6.0f;
// The boss leaves for its seek this long after releasing its children at the latest.
constexpr f32 kChildrenWait = 5.0f;
// The camera shakes and blurs while a boss comes in, until the value 1 ends it.
constexpr f32 kEntryEffect = 100.0f;

UfoFamily g_ufo_family;

f32 Squared(f32 v) {
    return v * v;
}

// The process's router carries the screen effects, and the messages that must outlive the
// unit (the unit's own router goes, with its queue, when the unit is removed).
void SendFromProcess(State& state, BaseMessage& message, u32 to, f32 delay = 0.0f) {
    AIViewComponent* const unit = state.Unit();
    AIViewProcess* const ai = unit != nullptr ? unit->Process() : nullptr;
    if (ai != nullptr) {
        ai->SendMessage(&message, to, delay);
    }
}

void ScreenEffect(State& state, u32 type, f32 value) {
    Message<float> message(type, value);
    SendFromProcess(state, message, HANDLER_GRAPHICS_PROCESS);
}

void MoveTo(GameObject& object, const Vector& at) {
    object.SetPosition(at);
}

void Sink(GameObject& object, f32 by) {
    MoveTo(object, object.position - Vector(0.0f, by, 0.0f));
}

// The share of its health a unit has left; a unit without health counts as whole.
f32 HealthFraction(const AIViewComponent& unit) {
    return unit.m_maxHealth > 0 ? static_cast<f32>(unit.m_health) / unit.m_maxHealth : 1.0f;
}

// Advances the state's beam timer and fires a beam once it has passed the interval.
void BeamEvery(State& state, float dt, f32 interval, f32 spreadBase) {
    state.m_beam_timer += dt;
    if (state.m_beam_timer > interval) {
        FireLaserBeam(state, interval, spreadBase);
    }
}

void ClearShield(State& state) {
    AIViewComponent* const unit = state.Unit();
    if (AIViewProcess* const ai = unit != nullptr ? unit->Process() : nullptr) {
        ai->m_ufoShield = false;
    }
}

void TurnCollisionsOn(State& state) {
    if (GameObject* const self = state.Self()) {
        Flyers()->SetCollisionEnabled(*self, true);
    }
}

// The short wait every flyer makes before its entry: the time since it began, then one
// switch to the entry state.
class EntryWait {
  public:
    EntryWait(f32 length, i32 entry) : m_length(length), m_entry(entry) {}

    void Enter() { m_elapsed = 0.0f; }
    // True on each update past the wait, after asking for the switch.
    bool Update(State& state, float dt) {
        m_elapsed += dt;
        if (m_elapsed <= m_length) {
            return false;
        }
        state.SwitchTo(m_entry);
        return true;
    }

  private:
    f32 m_length;
    i32 m_entry;
    f32 m_elapsed = 0.0f;
};

// --- medium UFO ----------------------------------------------------------------------------

class MediumUFOSpawn_State : public PooledState<MediumUFOSpawn_State> {
  public:
    void Enter() override {
        Unit()->m_arrivalNotify = false;
        m_wait.Enter();
    }
    void Update(float dt) override { m_wait.Update(*this, dt); }

  private:
    EntryWait m_wait{0.5f, STATE_MEDIUM_UFO_ENTRY};
};

// Sinks from the sky to its fighting height; only then can it be hit.
class MediumUFOEntry_State : public PooledState<MediumUFOEntry_State> {
  public:
    void Update(float dt) override {
        GameObject* const self = Self();
        AIViewProcess* const ai = Unit()->Process();
        const bool endless = ai != nullptr && ai->m_endlessMode;
        const f32 y = self->position.y;
        if ((y <= 75.0f && endless) || y <= 67.0f) {
            SwitchTo(STATE_MEDIUM_UFO_ATTACK);
            TurnCollisionsOn(*this);
            return;
        }
        AimWaypoint();
        Sink(*self, 40.0f * dt);
    }
};

class MediumUFOSeek_State : public PooledState<MediumUFOSeek_State> {
  public:
    void Enter() override {
        BeginSeek();
        m_shootAnimPlayed = false;
        Unit()->m_weaponTimer = 0.0f;
        m_pulse_timer = 0.0f;
    }
    void Update(float) override {
        FireLaserPulse(*this, m_pulse_timer);
        AimWaypoint();
    }

  private:
    f32 m_pulse_timer = 0.0f;
};

// Its pulse timer carries over from one visit to the next.
class MediumUFOAttack_State : public PooledState<MediumUFOAttack_State> {
  public:
    void Enter() override {
        AdvanceMode();
        Unit()->m_weaponTimer = 0.0f;
    }
    void Update(float dt) override {
        FireLaserPulse(*this, m_pulse_timer);
        TurnTowardTarget(dt);
        const f32 d = TargetDistanceSquared();
        const f32 range = Unit()->m_range;
        if (d < Squared(range - 70.0f)) {
            SwitchTo(STATE_MEDIUM_UFO_RETREAT);
        } else if (d > Squared(range + 40.0f)) {
            SwitchTo(STATE_MEDIUM_UFO_SEEK);
        }
    }

  private:
    f32 m_pulse_timer = 0.0f;
};

class MediumUFORetreat_State : public PooledState<MediumUFORetreat_State> {
  public:
    void Enter() override {
        RetreatMode();
        ClearWaypoints();
        m_shootAnimPlayed = false;
        Unit()->m_weaponTimer = 0.0f;
        m_pulse_timer = 0.0f;
    }
    void Update(float) override {
        FireLaserPulse(*this, m_pulse_timer);
        // Measured over the ground: a UFO straight above the robot keeps backing off.
        Vector d = Target()->position - Self()->position;
        d.y = 0.0f;
        if (d.LengthSquared() > Squared(Unit()->m_range - 70.0f)) {
            SwitchTo(STATE_MEDIUM_UFO_ATTACK);
        } else {
            AimWaypoint();
        }
    }

  private:
    f32 m_pulse_timer = 0.0f;
};

// --- the bosses' deaths --------------------------------------------------------------------

struct DeathLook {
    bool m_building_messages;
    f32 m_shake;
    std::vector<float> m_exposure;
    bool m_shock_wave;
};

const DeathLook kUfoDeath{true, 11.95f, {6.0f, 1.8f, 8.0f, 1.0f}, true};
const DeathLook kFlythraDeath{false, 12.0f, {7.0f, 1.8f, 8.0f, 1.0f}, false};

// The boss fades, glows red brighter and brighter, and once its last beam has ended bursts
// with a push through the city; the unit is removed afterwards.
class DeathSequence {
  public:
    explicit DeathSequence(const DeathLook& look) : m_look(look) {}

    // Every child still flying with the boss goes with it; a held one stays in the hand.
    void Enter(State& state) {
        for (GameObject* child : state.Self()->childObjects) {
            auto* const unit =
                child != nullptr
                    ? static_cast<AIViewComponent*>(child->GetComponent(ComponentType::AIView))
                    : nullptr;
            if (unit != nullptr && !unit->InState(STATE_GRABBED) &&
                child->name != "AI-Boss-Fly-UFO") {
                unit->m_expired = true;
            }
        }
    }
    void Update(State& state, float dt) {
        AdvanceLaserBeams(state, dt);
        Flash(state);
        m_time += dt;
        if (m_time > 5.0f && state.m_machine->m_beams.empty() && !m_done) {
            m_done = true;
            Burst(state);
            state.Unit()->m_expired = true;
        }
    }

  private:
    void Flash(State& state) const {
        AIViewProcess* const ai = state.Unit()->Process();
        UnitLook* const look = ai != nullptr ? ai->Look() : nullptr;
        GameObject* const self = state.Self();
        if (look == nullptr || !look->HasGraphic(*self)) {
            return;
        }
        if (m_time <= 2.3f) {
            look->SetHdrMultiplier(*self, (2.3f - m_time) / 2.3f);
        } else if (m_time <= 5.0f) {
            look->SetRenderRed(*self, true);
            look->SetHdrMultiplier(*self, (m_time - 2.3f) * 5.0f);
        }
    }
    void Burst(State& state) const {
        AIViewComponent* const unit = state.Unit();
        const Vector at = state.Self()->position;
        if (m_look.m_building_messages) {
            BaseMessage stop(MSG_BUILDING_STOP_SPAWNING);
            unit->SendMessage(&stop, HANDLER_BUILDING_PROCESS);
            Message<float> raise(MSG_BUILDING_DAMAGE_MULTIPLIER, 100.0f);
            SendFromProcess(state, raise, HANDLER_BUILDING_PROCESS);
            Message<float> restore(MSG_BUILDING_DAMAGE_MULTIPLIER, 1.0f);
            SendFromProcess(state, restore, HANDLER_BUILDING_PROCESS, 3.0f);
        }
        for (int i = 0; i < 6; ++i) {
            for (const char* name : {"BossExplosion1", "BossExplosion2"}) {
                Message<ParticleSystemInfo> create(MSG_CREATE_PARTICLE_SYSTEM,
                                                   ParticleSystemInfo{at, name});
                SendFromProcess(state, create, HANDLER_GRAPHICS_PROCESS);
            }
        }
        ScreenEffect(state, MSG_GRAPHICS_RANDOM_CAMERA_SHAKE, m_look.m_shake);
        Message<std::vector<float>> exposure(MSG_GRAPHICS_EXPOSURE_TEMP_CHANGE, m_look.m_exposure);
        SendFromProcess(state, exposure, HANDLER_GRAPHICS_PROCESS);
        if (m_look.m_shock_wave) {
            // A ring that widens over four seconds, strongest at two.
            for (int step = 0; step < 20; ++step) {
                const f32 k = 0.2f * static_cast<f32>(step);
                Message<RadialForce> push(MSG_PHYSICS_RADIAL_FORCE,
                                          RadialForce(at, 100.0f + 150.0f * k,
                                                      1500.0f - 650.0f * std::fabs(k - 2.0f), 0.2f,
                                                      0, 0, RadialForce::kMassImpulse));
                SendFromProcess(state, push, HANDLER_PHYSX_PROCESS, k);
            }
        } else {
            Message<RadialForce> push(
                MSG_PHYSICS_RADIAL_FORCE,
                RadialForce(at, 400.0f, 4000.0f, 0.0f, 0, 0, RadialForce::kMassImpulse));
            SendFromProcess(state, push, HANDLER_PHYSX_PROCESS);
        }
    }

    const DeathLook& m_look;
    f32 m_time = 0.0f;
    bool m_done = false;
};

class UFODie_State : public PooledState<UFODie_State> {
  public:
    void Enter() override { m_death.Enter(*this); }
    void Update(float dt) override { m_death.Update(*this, dt); }

  private:
    DeathSequence m_death{kUfoDeath};
};

class FlythraDie_State : public PooledState<FlythraDie_State> {
  public:
    void Enter() override { m_death.Enter(*this); }
    void Update(float dt) override { m_death.Update(*this, dt); }

  private:
    DeathSequence m_death{kFlythraDeath};
};

// --- UFO boss --------------------------------------------------------------------------------

class UFOSpawn_State : public PooledState<UFOSpawn_State> {
  public:
    void Enter() override {
        Unit()->m_arrivalNotify = false;
        m_wait.Enter();
    }
    void Update(float dt) override {
        if (m_wait.Update(*this, dt)) {
            TurnCollisionsOn(*this);
        }
    }

  private:
    EntryWait m_wait{0.5f, STATE_UFO_ENTRY};
};

// Comes down sweeping beams under a shaking, blurred camera for at least 3.03 s.
class UFOEntry_State : public PooledState<UFOEntry_State> {
  public:
    void Enter() override {
        m_updates = 0;
        m_time = 0.0f;
        ScreenEffect(*this, MSG_GRAPHICS_RANDOM_CAMERA_SHAKE, kEntryEffect);
    }
    void Update(float dt) override {
        ScreenEffect(*this, MSG_GRAPHICS_MOTION_BLUR, kEntryEffect);
        ++m_updates;
        m_time += dt;
        BeamEvery(*this, dt, 0.32f, 50.0f);
        AdvanceLaserBeams(*this, dt);
        GameObject* const self = Self();
        const f32 y = self->position.y;
        if (y > 110.0f || m_time < 3.03f) {
            if (y > 108.0f) {
                Sink(*self, 25.0f * dt);
            }
            return;
        }
        SwitchTo(STATE_UFO_SPAWNCHILDREN);
        ScreenEffect(*this, MSG_GRAPHICS_RANDOM_CAMERA_SHAKE, 1.0f);
        ScreenEffect(*this, MSG_GRAPHICS_MOTION_BLUR, 1.0f);
    }
    void Exit() override { Unit()->m_range = 145.0f; }

  private:
    i32 m_updates = 0;
    f32 m_time = 0.0f;
};

// Holds still and releases its ring of children; leaves once none is still flying out, or
// after five seconds with the children it has.
class UFOSpawnChildren_State : public PooledState<UFOSpawnChildren_State> {
  public:
    void Enter() override {
        m_created = 0;
        m_time = 0.0f;
        g_ufo_family.m_children_timer = 0.0f;
        g_ufo_family.m_attack_count = 0;
    }
    void Update(float dt) override {
        AdvanceLaserBeams(*this, dt);
        GameObject* const self = Self();
        self->SetVelocity(Vector());
        m_time += dt;
        g_ufo_family.m_children_timer += dt;
        for (i32 attempt = 0; attempt < kUfoChildren && m_created < kUfoChildren; ++attempt) {
            CreateChild(*self);
        }
        if (g_ufo_family.m_children_timer > kChildrenWait) {
            SwitchTo(STATE_UFO_SEEK);
            return;
        }
        if (m_created < kUfoChildren) {
            return;
        }
        for (GameObject* child : self->childObjects) {
            auto* const unit =
                child != nullptr
                    ? static_cast<AIViewComponent*>(child->GetComponent(ComponentType::AIView))
                    : nullptr;
            if (unit != nullptr && unit->InState(STATE_UFOCHILD_SPAWN)) {
                return;
            }
        }
        SwitchTo(STATE_UFO_SEEK);
    }
    void Exit() override { Unit()->m_arrivalNotify = true; }

  private:
    void CreateChild(GameObject& self) {
        AIViewComponent* const unit = Unit();
        unit->m_createdObject = nullptr;
        if (unit->router == nullptr) {
            return;
        }
        Message<std::string> create(MSG_LEVEL_CREATE_OBJECT, std::string("AI-Fly-UFOChild"));
        unit->SendMessage(&create, HANDLER_LEVEL_STATE);
        GameObject* const child = unit->m_createdObject;
        if (child == nullptr) {
            return;
        }
        child->SetScale(Vector(0.2f, 0.2f, 0.2f));
        child->NotifyComponents();
        child->parentObject = &self;
        self.childObjects.push_back(child);
        // The children share the boss's physics id, so its own pushes leave them alone.
        auto* const own = dynamic_cast<PhysXComponent*>(self.GetComponent(ComponentType::Physics));
        auto* const body =
            dynamic_cast<PhysXComponent*>(child->GetComponent(ComponentType::Physics));
        if (own != nullptr && body != nullptr) {
            body->SetId(own->GetId());
        }
        ++m_created;
    }

    i32 m_created = 0;
    f32 m_time = 0.0f;
};

class UFOSeek_State : public PooledState<UFOSeek_State> {
  public:
    void Enter() override {
        ClearShield(*this);
        BeginSeek();
        m_shootAnimPlayed = false;
        Unit()->m_weaponTimer = 0.0f;
    }
    void Update(float dt) override {
        AIViewComponent* const unit = Unit();
        BeamEvery(*this, dt, 2.0f - (1.0f - HealthFraction(*unit)), 40.0f);
        AdvanceLaserBeams(*this, dt);
        AimWaypoint();
        unit->m_speed = TargetDistanceSquared() <= Squared(220.0f) ? 55.0f : 140.0f;
    }
    void Exit() override { Unit()->m_speed = 55.0f; }
};

class UFOAttack_State : public PooledState<UFOAttack_State> {
  public:
    void Enter() override {
        ClearShield(*this);
        AdvanceMode();
        Unit()->m_weaponTimer = 0.0f;
    }
    void Update(float dt) override {
        AIViewComponent* const unit = Unit();
        BeamEvery(*this, dt, 0.7f - (1.0f - HealthFraction(*unit)) * 0.3f, 20.0f);
        AdvanceLaserBeams(*this, dt);
        TurnTowardTarget(dt);
        const f32 d = TargetDistanceSquared();
        if (d < Squared(unit->m_range - 40.0f)) {
            SwitchTo(STATE_UFO_RETREAT);
        } else if (d > Squared(unit->m_range + 60.0f)) {
            SwitchTo(STATE_UFO_SEEK);
        }
    }
};

class UFORetreat_State : public PooledState<UFORetreat_State> {
  public:
    void Enter() override {
        ClearShield(*this);
        RetreatMode();
        ClearWaypoints();
        m_shootAnimPlayed = false;
        Unit()->m_weaponTimer = 0.0f;
    }
    void Update(float dt) override {
        AIViewComponent* const unit = Unit();
        BeamEvery(*this, dt, 1.8f - (1.0f - HealthFraction(*unit)), 30.0f);
        AdvanceLaserBeams(*this, dt);
        if (TargetDistanceSquared() < Squared(unit->m_range - 40.0f)) {
            AimWaypoint();
        } else {
            SwitchTo(STATE_UFO_ATTACK);
        }
    }
};

// --- child UFO -------------------------------------------------------------------------------

// The boss a child circles; a child whose boss has gone (it was held while the boss died)
// expires instead.
GameObject* ParentOrExpire(State& state) {
    GameObject* const parent = state.Self()->parentObject;
    if (parent == nullptr) {
        state.Unit()->m_expired = true;
    }
    return parent;
}

// Flies out of the boss on a dipping curve to its place in the ring.
class UFOChildSpawn_State : public PooledState<UFOChildSpawn_State> {
  public:
    void Enter() override {
        m_angle = g_ufo_family.m_next_spawn_angle;
        g_ufo_family.m_next_spawn_angle += kRingStep;
    }
    void Update(float dt) override {
        GameObject* const parent = ParentOrExpire(*this);
        if (parent == nullptr) {
            return;
        }
        m_flight += dt;
        const f32 u = m_flight / kChildFlight;
        MoveTo(*Self(), Vector(parent->position.x + u * 40.0f * std::cos(m_angle),
                               140.0f * u * u - 180.0f * u + 105.0f,
                               parent->position.z + 40.0f * std::sin(m_angle)));
        if (m_flight >= kChildFlight) {
            SwitchTo(STATE_UFOCHILD_ATTACK);
        }
    }

  private:
    f32 m_flight = 0.0f;
    f32 m_angle = 0.0f;
};

// Circles the boss a quarter turn a second and fires at a robot that comes close.
class UFOChildAttack_State : public PooledState<UFOChildAttack_State> {
  public:
    void Enter() override {
        ++g_ufo_family.m_attack_count;
        m_angle = g_ufo_family.m_next_orbit_angle;
        g_ufo_family.m_next_orbit_angle += kRingStep;
    }
    void Update(float dt) override {
        GameObject* const parent = ParentOrExpire(*this);
        if (parent == nullptr) {
            return;
        }
        m_angle += kPi * dt * 0.5f;
        GameObject* const self = Self();
        MoveTo(*self, Vector(parent->position.x + 50.0f * std::cos(m_angle), 80.0f,
                             parent->position.z + 50.0f * std::sin(m_angle)));
        self->SetOrientation(Quaternion());
        if (TargetDistanceSquared() <= Squared(80.0f)) {
            FireLaserPulse(*this, m_pulse_timer);
        }
    }
    void Exit() override {
        // Every beam ends at once, with its end push.
        AdvanceLaserBeams(*this, 100.0f);
        RemoveLaserBeams(*this);
    }

  private:
    f32 m_angle = 0.0f;
    f32 m_pulse_timer = 0.0f;
};

// --- flying boss -----------------------------------------------------------------------------

class FlythraSpawn_State : public PooledState<FlythraSpawn_State> {
  public:
    void Enter() override {
        Unit()->m_movementOn = true;
        m_wait.Enter();
    }
    void Update(float dt) override {
        Unit()->m_arrivalNotify = false;
        ScreenEffect(*this, MSG_GRAPHICS_MOTION_BLUR, kEntryEffect);
        m_wait.Update(*this, dt);
    }

  private:
    EntryWait m_wait{0.6f, STATE_FLYTHRA_ENTRY};
};

// Dives at where the robot stood when it began, beaming all the way down. The dive sinks a
// fixed step each update, so its length in time follows the frame rate.
class FlythraEntry_State : public PooledState<FlythraEntry_State> {
  public:
    void Enter() override {
        m_dive_point = Target()->position;
        ScreenEffect(*this, MSG_GRAPHICS_RANDOM_CAMERA_SHAKE, kEntryEffect);
    }
    void Update(float dt) override {
        ScreenEffect(*this, MSG_GRAPHICS_MOTION_BLUR, kEntryEffect);
        BeamEvery(*this, dt, 0.35f, 50.0f);
        AdvanceLaserBeams(*this, dt);
        GameObject* const self = Self();
        if (self->position.y >= 82.0f) {
            Vector dir = m_dive_point - self->position;
            dir.Normalize();
            self->MovePhysics(dir * 130.0f * dt);
            Sink(*self, 2.0f);
        }
        if (self->position.y < 82.0f) {
            SwitchTo(STATE_FLYTHRA_SEEK);
            ScreenEffect(*this, MSG_GRAPHICS_RANDOM_CAMERA_SHAKE, 1.0f);
            ScreenEffect(*this, MSG_GRAPHICS_MOTION_BLUR, 1.0f);
        }
    }
    void Exit() override { Unit()->m_range = 120.0f; }

  private:
    Vector m_dive_point;
};

class FlythraSeek_State : public PooledState<FlythraSeek_State> {
  public:
    void Enter() override {
        AdvanceMode();
        if (Target() != nullptr) {
            Unit()->m_waypoints.push_back(Target()->position);
        }
        m_shootAnimPlayed = false;
    }
    void Update(float dt) override {
        BeamEvery(*this, dt, 2.0f, 40.0f);
        AdvanceLaserBeams(*this, dt);
        AimWaypoint();
    }
};

class FlythraAttack_State : public PooledState<FlythraAttack_State> {
  public:
    void Enter() override {
        Unit()->m_reverse = 0;
        Unit()->m_arrivalNotify = false;
    }
    void Update(float dt) override {
        BeamEvery(*this, dt, 0.7f, 20.0f);
        AdvanceLaserBeams(*this, dt);
        TurnTowardTarget(dt);
        const f32 d = TargetDistanceSquared();
        const f32 range = Unit()->m_range;
        if (d <= Squared(range + 15.0f)) {
            SwitchTo(STATE_FLYTHRA_RETREAT);
        } else if (d > Squared(range + 70.0f)) {
            SwitchTo(STATE_FLYTHRA_SEEK);
        }
    }
};

// Close combat: holds still and rams a robot in front of it every 0.7 s.
class FlythraRetreat_State : public PooledState<FlythraRetreat_State> {
  public:
    static constexpr f32 kStrikeEvery = 0.7f;

    void Enter() override {
        RetreatMode();
        ClearWaypoints();
        m_shootAnimPlayed = false;
        Unit()->m_movementOn = false;
    }
    void Update(float dt) override {
        AdvanceLaserBeams(*this, dt);
        AIViewComponent* const unit = Unit();
        GameObject* const self = Self();
        GameObject* const robot = Target();
        const f32 d = TargetDistanceSquared();
        const f32 range = unit->m_range;
        const Vector facing = Facing();
        const Vector toRobot = robot->position - self->position;
        if (d <= Squared(range + 20.0f) && unit->m_weaponTimer > kStrikeEvery &&
            facing.Dot(toRobot) > 0.0f) {
            unit->m_weaponTimer = 0.0f;
            robot->SetPosition(robot->position + Vector(1.0f, 0.0f, 0.0f));
            robot->MovePhysics((facing + Vector(0.0f, 0.25f, 0.0f)) * 425.0f);
            Flyers()->DamageRobot(*robot, 7.5f);
        }
        if (unit->m_weaponTimer > kStrikeEvery) {
            unit->m_weaponTimer = 0.0f;
        }
        if (d < Squared(range + 30.0f)) {
            AimWaypoint();
        } else {
            SwitchTo(STATE_FLYTHRA_ATTACK);
        }
    }
    void Exit() override { Unit()->m_movementOn = true; }
};

} // namespace

UfoFamily& TheUfoFamily() {
    return g_ufo_family;
}

void ResetUfoFamily() {
    g_ufo_family = UfoFamily();
}

void RegisterFlyerStates() {
    RegisterStateFactory(STATE_MEDIUM_UFO_SPAWN, &MakeStateOf<MediumUFOSpawn_State>);
    RegisterStateFactory(STATE_MEDIUM_UFO_ENTRY, &MakeStateOf<MediumUFOEntry_State>);
    RegisterStateFactory(STATE_MEDIUM_UFO_ATTACK, &MakeStateOf<MediumUFOAttack_State>);
    RegisterStateFactory(STATE_MEDIUM_UFO_RETREAT, &MakeStateOf<MediumUFORetreat_State>);
    RegisterStateFactory(STATE_MEDIUM_UFO_SEEK, &MakeStateOf<MediumUFOSeek_State>);
    RegisterStateFactory(STATE_UFO_SPAWN, &MakeStateOf<UFOSpawn_State>);
    RegisterStateFactory(STATE_UFO_ENTRY, &MakeStateOf<UFOEntry_State>);
    RegisterStateFactory(STATE_UFO_SPAWNCHILDREN, &MakeStateOf<UFOSpawnChildren_State>);
    RegisterStateFactory(STATE_UFO_ATTACK, &MakeStateOf<UFOAttack_State>);
    RegisterStateFactory(STATE_UFO_RETREAT, &MakeStateOf<UFORetreat_State>);
    RegisterStateFactory(STATE_UFO_SEEK, &MakeStateOf<UFOSeek_State>);
    RegisterStateFactory(STATE_UFO_DIE, &MakeStateOf<UFODie_State>);
    RegisterStateFactory(STATE_UFOCHILD_SPAWN, &MakeStateOf<UFOChildSpawn_State>);
    RegisterStateFactory(STATE_UFOCHILD_ATTACK, &MakeStateOf<UFOChildAttack_State>);
    RegisterStateFactory(STATE_FLYTHRA_SPAWN, &MakeStateOf<FlythraSpawn_State>);
    RegisterStateFactory(STATE_FLYTHRA_ENTRY, &MakeStateOf<FlythraEntry_State>);
    RegisterStateFactory(STATE_FLYTHRA_RETREAT, &MakeStateOf<FlythraRetreat_State>);
    RegisterStateFactory(STATE_FLYTHRA_SEEK, &MakeStateOf<FlythraSeek_State>);
    RegisterStateFactory(STATE_FLYTHRA_ATTACK, &MakeStateOf<FlythraAttack_State>);
    RegisterStateFactory(STATE_FLYTHRA_DIE, &MakeStateOf<FlythraDie_State>);
}
