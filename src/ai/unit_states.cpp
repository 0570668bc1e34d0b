#include "ai/unit_states.h"

#include <cmath>
#include <string>
#include <vector>

#include "ai/ai_view_component.h"
#include "ai/ai_view_process.h"
#include "ai/mothership_states.h"
#include "ai/state.h"
#include "ai/state_machine.h"
#include "ai/ufo_states.h"
#include "ai/unit_names.h"
#include "ai/unit_services.h"
#include "ai/unit_weapon.h"
#include "core/component_type.h"
#include "core/game_object.h"
#include "core/handler_ids.h"
#include "core/message.h"
#include "core/physics_body.h"
#include "core/quaternion.h"
#include "platform/system/crt_rand.h"

namespace {

f32 Squared(f32 v) {
    return v * v;
}

// --- steps the families share ----------------------------------------------------------------

// Heads for the robot with the shot flag down.
void EnterSeek(State& state) {
    state.BeginSeek();
    state.m_shootAnimPlayed = false;
}

// Backs off from the robot with no waypoints and the shot flag down.
void EnterRetreat(State& state) {
    state.RetreatMode();
    state.ClearWaypoints();
    state.m_shootAnimPlayed = false;
}

void FireWithin(State& state, f32 reach) {
    if (state.TargetDistanceSquared() < Squared(reach)) {
        state.Fire();
    }
}

// Keeps the unit in its band round its range: closer than range - inner retreats, farther
// than range + outer seeks.
void KeepRange(State& state, f32 inner, f32 outer, i32 retreat, i32 seek) {
    const f32 d = state.TargetDistanceSquared();
    const f32 range = state.Unit()->m_range;
    if (d < Squared(range - inner)) {
        state.SwitchTo(retreat);
    } else if (d > Squared(range + outer)) {
        state.SwitchTo(seek);
    }
}

// Turns back to attack once at least range - margin away (and lined up, when asked), else
// keeps driving off.
void RetreatUntilBack(State& state, f32 margin, bool linedUp, i32 attack) {
    if (state.TargetDistanceSquared() >= Squared(state.Unit()->m_range - margin) &&
        (!linedUp || state.LinedUp())) {
        state.SwitchTo(attack);
    } else {
        state.AimWaypoint();
    }
}

// The retreat of the tank and the helicopter: firing all the while, back to attack 5 inside
// the range.
template <class X, i32 kAttack> class FiringRetreat : public PooledState<X> {
  public:
    void Enter() override { EnterRetreat(*this); }
    void Update(float) override {
        this->Fire();
        RetreatUntilBack(*this, 5.0f, false, kAttack);
    }
};

// --- tank --------------------------------------------------------------------------------

class TankSpawn_State : public PooledState<TankSpawn_State> {
  public:
    void Update(float) override {
        SetAnimationPaused("tred_rotation", false);
        SwitchTo(STATE_TANK_SEEK);
    }
};

class TankSeek_State : public PooledState<TankSeek_State> {
  public:
    void Enter() override { EnterSeek(*this); }
    void Update(float) override {
        FireWithin(*this, 160.0f);
        AimWaypoint();
    }
    void Exit() override { SetEmissionPaused(true); }
};

class TankAttack_State : public PooledState<TankAttack_State> {
  public:
    void Enter() override {
        AdvanceMode();
        SetAnimationPaused("tred_rotation", true);
        m_shootAnimPlayed = false;
    }
    void Update(float dt) override {
        Fire();
        TurnTowardTarget(dt);
        KeepRange(*this, 20.0f, 10.0f, STATE_TANK_RETREAT, STATE_TANK_SEEK);
    }
    void Exit() override { SetAnimationPaused("tred_rotation", false); }
};

class TankRetreat_State : public FiringRetreat<TankRetreat_State, STATE_TANK_ATTACK> {};

// Holds its place: never changes its waypoints.
class TankGuard_State : public PooledState<TankGuard_State> {
  public:
    void Enter() override {
        m_shootAnimPlayed = false;
        PauseLook();
    }
    void Update(float dt) override {
        if (Target() == nullptr) {
            return;
        }
        FireWithin(*this, 110.0f);
        TurnTowardTarget(dt);
    }
    // A guard stands still from the moment its machine is built.
    void Attached() override {
        SetAnimationPaused("Shoot", true);
        SetAnimationPaused("tred_rotation", true);
    }

  private:
    void PauseLook() {
        Attached();
        SetEmissionPaused(true);
    }
};

class TankDropped_State : public PooledState<TankDropped_State> {
  public:
    void Enter() override { Unit()->m_movementOn = false; }
    void Exit() override { Unit()->m_movementOn = true; }
};

// --- helicopter ----------------------------------------------------------------------------

class HelicopterSpawn_State : public PooledState<HelicopterSpawn_State> {
  public:
    void Update(float) override { SwitchTo(STATE_HELICOPTER_SEEK); }
};

class HelicopterSeek_State : public PooledState<HelicopterSeek_State> {
  public:
    void Enter() override { EnterSeek(*this); }
    void Update(float) override {
        FireWithin(*this, 200.0f);
        AimWaypoint();
    }
};

class HelicopterAttack_State : public PooledState<HelicopterAttack_State> {
  public:
    void Enter() override { AdvanceMode(); }
    void Update(float dt) override {
        Fire();
        TurnTowardTarget(dt);
        KeepRange(*this, 15.0f, 25.0f, STATE_HELICOPTER_RETREAT, STATE_HELICOPTER_SEEK);
    }
};

class HelicopterRetreat_State
    : public FiringRetreat<HelicopterRetreat_State, STATE_HELICOPTER_ATTACK> {};

// --- transport -----------------------------------------------------------------------------

class TransportSpawn_State : public PooledState<TransportSpawn_State> {
  public:
    void Enter() override {
        AIViewComponent* const unit = Unit();
        GameObject* const self = Self();
        unit->m_createdObject = nullptr;
        AIViewProcess* const ai = unit->Process();
        const bool endless = ai != nullptr && ai->m_endlessMode;
        if (unit->router != nullptr) {
            Message<std::string> create(MSG_LEVEL_CREATE_OBJECT,
                                        endless ? "AI-Ground-Tank" : "AI-Ground-Tank-Swarm");
            unit->SendMessage(&create, HANDLER_LEVEL_STATE);
        }
        GameObject* const cargo = unit->m_createdObject;
        if (cargo == nullptr || self == nullptr) {
            return;
        }
        cargo->SetPosition(self->position + Vector(0.0f, 100.0f, 0.0f));
        cargo->NotifyComponents();
        cargo->parentObject = self;
        self->childObjects.push_back(cargo);
        if (ai != nullptr) {
            ai->Physics()->SetGravityEnabled(*cargo, true);
        }
        auto* const cargoUnit =
            static_cast<AIViewComponent*>(cargo->GetComponent(ComponentType::AIView));
        if (cargoUnit != nullptr) {
            cargoUnit->ChangeTo(STATE_TANK_DROPPED);
        }
        if (!endless && ai != nullptr && ai->Look() != nullptr) {
            ai->Look()->AddObjectiveMarker(*cargo);
        }
    }
    void Update(float) override { SwitchTo(STATE_TRANSPORT_SEEK); }
};

class TransportSeek_State : public PooledState<TransportSeek_State> {
  public:
    void Enter() override { EnterSeek(*this); }
    void Update(float) override {
        GameObject* const self = Self();
        if (self->childObjects.empty()) {
            SwitchTo(STATE_TRANSPORT_RETREAT);
        } else {
            GameObject* const cargo = self->childObjects.front();
            cargo->SetPosition(self->position - Vector(0.0f, 10.0f, 0.0f));
            cargo->SetOrientation(self->orientation);
        }
        AimWaypoint();
    }
};

class TransportDrop_State : public PooledState<TransportDrop_State> {
  public:
    void Enter() override {
        AdvanceMode();
        GameObject* const self = Self();
        AIViewProcess* const ai = Unit()->Process();
        if (self->childObjects.empty() || ai == nullptr) {
            return;
        }
        // The cargo keeps its parent and its place among the children; it leaves its dropped
        // state when it lands.
        GameObject* const cargo = self->childObjects.back();
        ai->Physics()->LetFall(*cargo);
    }
    void Update(float) override { SwitchTo(STATE_TRANSPORT_RETREAT); }
};

// Flies to a far point away from the robot and is removed once behind it.
class TransportRetreat_State : public PooledState<TransportRetreat_State> {
  public:
    void Enter() override {
        AIViewComponent* const unit = Unit();
        unit->m_reverse = 0;
        unit->m_arrivalNotify = false;
        ClearWaypoints();
        m_shootAnimPlayed = false;
        AimAway();
    }
    void Update(float) override {
        const Vector diff = AimAway();
        GameObject* const target = Target();
        if (target == nullptr) {
            return;
        }
        const Vector robotFacing = -Quaternion::GetDirection(target->orientation);
        if (diff.LengthSquared() > Squared(200.0f) && robotFacing.Dot(diff) < 0.0f) {
            Unit()->m_expired = true;
        }
    }

  private:
    Vector AimAway() {
        AIViewComponent* const unit = Unit();
        if (Target() == nullptr) {
            return Vector();
        }
        const Vector own = Self()->position;
        const Vector diff = own - Target()->position;
        unit->m_waypoints.clear();
        unit->m_waypoints.push_back(own + diff * 100.0f);
        return diff;
    }
};

// --- truck, jeep and car ---------------------------------------------------------------------

// Three shots a burst: the threshold steps on with each shot and starts over, with the
// weapon timer, past its limit.
struct Burst {
    f32 start;
    f32 step;
    f32 limit;
    bool limitInclusive;
    f32 threshold;

    void Reset() { threshold = start; }
    void Run(State& state, bool* shotFlag) {
        AIViewComponent* const unit = state.Unit();
        if (!(threshold < unit->m_weaponTimer)) {
            return;
        }
        FireUnitWeapon(shotFlag, &state, &unit->m_weaponTimer);
        threshold += step;
        if (limitInclusive ? threshold >= limit : threshold > limit) {
            threshold = start;
            unit->m_weaponTimer = 0.0f;
        }
    }
};

Burst TruckBurst() {
    return {5.5f, 1.0f, 8.5f, true, 5.5f};
}
Burst JeepBurst() {
    return {3.0f, 0.185f, 3.4625f, false, 3.0f};
}

class TruckSpawn_State : public PooledState<TruckSpawn_State> {
  public:
    void Update(float) override { SwitchTo(STATE_TRUCK_SEEK); }
};

class TruckSeek_State : public PooledState<TruckSeek_State> {
  public:
    void Enter() override { EnterSeek(*this); }
    void Update(float) override { AimWaypoint(); }
    void Exit() override { SetEmissionPaused(true); }
};

class TruckAttack_State : public PooledState<TruckAttack_State> {
  public:
    void Enter() override {
        AdvanceMode();
        m_burst.Reset();
        Unit()->m_weaponTimer = 0.0f;
        m_shootAnimPlayed = false;
    }
    void Update(float) override {
        if (!LinedUp()) {
            SwitchTo(STATE_TRUCK_RETREAT);
            return;
        }
        m_burst.Run(*this, &m_shootAnimPlayed);
        KeepRange(*this, 100.0f, 10.0f, STATE_TRUCK_RETREAT, STATE_TRUCK_SEEK);
    }

  private:
    Burst m_burst = TruckBurst();
};

class TruckRetreat_State : public PooledState<TruckRetreat_State> {
  public:
    void Enter() override { EnterRetreat(*this); }
    void Update(float) override { RetreatUntilBack(*this, 30.0f, true, STATE_TRUCK_ATTACK); }
};

class JeepSpawn_State : public PooledState<JeepSpawn_State> {
  public:
    void Update(float) override { SwitchTo(STATE_JEEP_SEEK); }
};

// The jeep states fire with a shot flag of their own.
class JeepSeek_State : public PooledState<JeepSeek_State> {
  public:
    void Enter() override {
        BeginSeek();
        m_jeepShot = false;
    }
    void Update(float) override {
        if (TargetDistanceSquared() < Squared(Unit()->m_range + 25.0f)) {
            m_burst.Run(*this, &m_jeepShot);
        }
        AimWaypoint();
    }
    void Exit() override { SetEmissionPaused(true); }

  private:
    Burst m_burst = JeepBurst();
    bool m_jeepShot = false;
};

class JeepAttack_State : public PooledState<JeepAttack_State> {
  public:
    void Enter() override {
        AdvanceMode();
        m_burst.Reset();
        m_jeepShot = false;
        Unit()->m_weaponTimer = 0.0f;
    }
    void Update(float) override {
        m_burst.Run(*this, &m_jeepShot);
        KeepRange(*this, 60.0f, 10.0f, STATE_JEEP_RETREAT, STATE_JEEP_SEEK);
    }

  private:
    Burst m_burst = JeepBurst();
    bool m_jeepShot = false;
};

class JeepRetreat_State : public PooledState<JeepRetreat_State> {
  public:
    void Enter() override {
        RetreatMode();
        ClearWaypoints();
        m_jeepShot = false;
        Unit()->m_weaponTimer = 0.0f;
        m_burst.Reset();
    }
    void Update(float) override {
        m_burst.Run(*this, &m_jeepShot);
        RetreatUntilBack(*this, 30.0f, true, STATE_JEEP_ATTACK);
    }

  private:
    Burst m_burst = JeepBurst();
    bool m_jeepShot = false;
};

// A loop of four corners from the unit's place by its facing, or its place alone when it
// faces no axis. Ahead along z the sides are a and b of the given step, once or twice; along
// x the car's sides are one step, the cardboard citizen's b then a.
enum class LoopKind { Car, Cardboard };

void BuildLoop(State& state, f32 unitStep, LoopKind kind) {
    AIViewComponent* const unit = state.Unit();
    const Vector w0 = state.Self()->position;
    const Vector f = state.Facing().Normalize();
    unit->m_waypoints.clear();
    unit->m_waypoints.push_back(w0);
    const bool alongZ = f.z < -0.7f || f.z > 0.7f;
    const bool alongX = f.x < -0.7f || f.x > 0.7f;
    f32 a = unitStep;
    f32 b = unitStep;
    if (alongZ || (alongX && kind == LoopKind::Cardboard)) {
        (void)crt::Rand();
        a = static_cast<f32>(crt::Rand() % 2 + 1) * unitStep;
        b = static_cast<f32>(crt::Rand() % 2 + 1) * unitStep;
    } else if (alongX) {
        (void)crt::Rand();
    }
    Vector w1;
    Vector w2;
    Vector w3;
    if (f.z < -0.7f) {
        w1 = w0 + Vector(0.0f, 0.0f, -b);
        w2 = w1 + Vector(a, 0.0f, 0.0f);
        w3 = w2 + Vector(0.0f, 0.0f, b);
    } else if (f.z > 0.7f) {
        w1 = w0 + Vector(0.0f, 0.0f, b);
        w2 = w1 + Vector(-a, 0.0f, 0.0f);
        w3 = w2 + Vector(0.0f, 0.0f, -b);
    } else if (f.x < -0.7f) {
        w1 = w0 + Vector(-b, 0.0f, 0.0f);
        w2 = w1 + Vector(0.0f, 0.0f, a);
        w3 = w2 + Vector(b, 0.0f, 0.0f);
    } else if (f.x > 0.7f) {
        w1 = w0 + Vector(b, 0.0f, 0.0f);
        w2 = w1 + Vector(0.0f, 0.0f, -a);
        w3 = w2 + Vector(-b, 0.0f, 0.0f);
    } else {
        return;
    }
    unit->m_waypoints.push_back(w1);
    unit->m_waypoints.push_back(w2);
    unit->m_waypoints.push_back(w3);
}

// Expires the unit once the robot is farther than limit.
void ExpireBeyond(State& state, f32 limit) {
    if (state.TargetDistanceSquared() > limit * limit) {
        state.Unit()->m_expired = true;
    }
}

class Car_Spawn_State : public PooledState<Car_Spawn_State> {
  public:
    void Update(float) override { SwitchTo(STATE_CAR_TRACK); }
};

class Car_Track_State : public PooledState<Car_Track_State> {
  public:
    void Enter() override { BuildLoop(*this, 60.0f, LoopKind::Car); }
    void Update(float) override { ExpireBeyond(*this, 540.0f); }
};

// --- missile -------------------------------------------------------------------------------

class MissileSpawn_State : public PooledState<MissileSpawn_State> {
  public:
    void Update(float) override { SwitchTo(STATE_MISSILE_SEEK); }
};

class MissileSeek_State : public PooledState<MissileSeek_State> {
  public:
    void Update(float) override {
        AIViewComponent* const unit = Unit();
        if (!unit->m_waypoints.empty()) {
            const Vector w = (unit->m_waypoints.front() - Self()->position).Normalize();
            const Vector f = Facing().Normalize();
            if ((w + f).LengthSquared() < f.LengthSquared()) {
                SwitchTo(STATE_MISSILE_LOOPBACK);
                return;
            }
        }
        AimWaypoint();
    }
};

// Flies on for a loop: the waypoint lies 60 ahead of the nose.
class MissileLoop_State : public PooledState<MissileLoop_State> {
  public:
    void Enter() override {
        AIViewComponent* const unit = Unit();
        unit->m_waypoints.clear();
        unit->m_waypoints.push_back(Self()->position + Facing().Normalize() * 60.0f);
    }
};

// The explosion and removal happen outside the state.
class MissileExplode_State : public PooledState<MissileExplode_State> {};

// --- citizens --------------------------------------------------------------------------------

class CitizenSpawn_State : public PooledState<CitizenSpawn_State> {
  public:
    void Update(float) override { SwitchTo(STATE_CITIZEN_CALM); }
};

// Walks by itself toward a goal drawn ahead each frame.
class CitizenCalm_State : public PooledState<CitizenCalm_State> {
  public:
    void Enter() override { m_goal = Self()->position + Facing().Normalize() * 8.0f; }
    void Update(float dt) override {
        AIViewComponent* const unit = Unit();
        GameObject* const self = Self();
        const Vector f = Facing().Normalize();
        const f32 rx = static_cast<f32>(crt::Rand() % 30 - 15);
        const f32 rz = static_cast<f32>(crt::Rand() % 30 - 15);
        m_goal = self->position + f * 18.0f + Vector(rx, 0.0f, rz);
        const f32 c = TurnToward(m_goal - self->position, dt);
        const Vector turned = Facing().Normalize();
        if (auto* body = dynamic_cast<PhysicsBody*>(self->GetComponent(ComponentType::Physics))) {
            body->Move(turned * c * unit->m_speed * dt);
        }
        ExpireBeyond(*this, 525.0f);
    }

  private:
    Vector m_goal;
};

class CitizenPanic_State : public PooledState<CitizenPanic_State> {
  public:
    void Enter() override {
        AIViewComponent* const unit = Unit();
        GameObject* const self = Self();
        unit->m_speed += 40.0f;
        AIViewProcess* const ai = unit->Process();
        UnitLook* const look = ai != nullptr ? ai->Look() : nullptr;
        if (look == nullptr || !look->HasGraphic(*self)) {
            return;
        }
        look->SetHdrMultiplier(*self, 8.0f);
        // The sound's number is drawn between creating the systems and adding them.
        const std::string path =
            "assets/sound fx/citizen_fire" + std::to_string(crt::Rand() % 2 + 1) + ".mp3";
        if (UnitAudio* const audio = ai->Audio()) {
            if (SoundInstance* const instance = audio->PlayerInstance(*self, path)) {
                audio->Play(instance, 0.65f, false);
            }
        }
        look->AddParticleSystems(*self, {"CitizenFlame", "CitizenSmoke", "CitizenIgnite"});
    }
    void Update(float dt) override {
        AIViewComponent* const unit = Unit();
        AIViewProcess* const ai = unit->Process();
        UnitLook* const look = ai != nullptr ? ai->Look() : nullptr;
        if (look != nullptr && look->HasGraphic(*Self())) {
            look->SetHdrMultiplier(*Self(), m_panicTime + 1.0f);
        }
        if (m_panicTime > 6.0f) {
            unit->m_expired = true;
        }
        m_panicTime += dt;
    }

  private:
    f32 m_panicTime = 0.0f;
};

class CitizenCardSpawn_State : public PooledState<CitizenCardSpawn_State> {
  public:
    void Update(float) override { SwitchTo(STATE_CITIZEN_CARDBOARD_CALM); }
};

class CitizenCardCalm_State : public PooledState<CitizenCardCalm_State> {
  public:
    void Enter() override { BuildLoop(*this, 50.0f, LoopKind::Cardboard); }
    void Update(float) override { ExpireBeyond(*this, 525.0f); }
};

// --- grabbed and thrown ----------------------------------------------------------------------

class Grab_State : public PooledState<Grab_State> {
  public:
    void Enter() override {
        AIViewComponent* const unit = Unit();
        unit->m_lifetimeOn = false;
        const std::string& name = unit->Name();
        if (Contains(name, "AI-Ground-Tank")) {
            SetAnimationPaused("tred_rotation", false);
        } else if (name == "AI-Fly-Helicopter") {
            SetAnimationPaused("Idle", true);
        }
    }
};

class Thrown_State : public PooledState<Thrown_State> {
  public:
    static constexpr u32 kKinematic = 0x80;
    static constexpr u32 kFrozenRotation = 0x70;
    static constexpr u32 kFrozenPositionY = 4;

    void Enter() override {
        AIViewComponent* const unit = Unit();
        GameObject* const self = Self();
        AIViewProcess* const ai = unit->Process();
        UnitPhysics* const physics = ai != nullptr ? ai->Physics() : nullptr;
        if (physics != nullptr && physics->HasBody(*self)) {
            physics->SetGravityEnabled(*self, true);
            physics->ClearBodyFlags(*self, kKinematic);
            physics->ClearBodyFlags(*self, kFrozenRotation);
            physics->ClearBodyFlags(*self, kFrozenPositionY);
            physics->Wake(*self);
            physics->SetDamping(*self, 0.0f);
            Spin(*physics, *self);
        }
        unit->m_movementOn = false;
        if (unit->Name() == "AI-Fly-Helicopter") {
            SetAnimationPaused("Idle", false);
        }
    }
    void Update(float dt) override {
        m_flightTime += dt;
        if (m_flightTime > 2.8f) {
            Unit()->m_expired = true;
        }
    }

  private:
    static f32 Draw() { return static_cast<f32>(crt::Rand() % 100) * 0.2f - 10.0f; }
    // A torque of length |inertia| x m x mass about a random axis. The axis is drawn from
    // three values that can all be zero: then there is no spin rather than a huge one.
    static void Spin(UnitPhysics& physics, GameObject& self) {
        const f32 inertia = physics.MassSpaceInertia(self).Length();
        const f32 r1 = Draw();
        const f32 r2 = Draw();
        const f32 r3 = Draw();
        const f32 m = static_cast<f32>(crt::Rand() % 100) * 1.5f + 150.0f;
        const f32 axisLength = Vector(r1, r2, r3).Length();
        if (axisLength < 1e-3f) {
            return;
        }
        const f32 k = inertia / axisLength;
        physics.AddTorque(self, Vector(r3, r2, r1) * k * m * physics.Mass(self));
    }

    f32 m_flightTime = 0.0f;
};

} // namespace

void RegisterUnitStates() {
    RegisterStateFactory(STATE_TANK_SPAWN, &MakeStateOf<TankSpawn_State>);
    RegisterStateFactory(STATE_TANK_ATTACK, &MakeStateOf<TankAttack_State>);
    RegisterStateFactory(STATE_TANK_RETREAT, &MakeStateOf<TankRetreat_State>);
    RegisterStateFactory(STATE_TANK_SEEK, &MakeStateOf<TankSeek_State>);
    RegisterStateFactory(STATE_TANK_GUARD, &MakeStateOf<TankGuard_State>);
    RegisterStateFactory(STATE_TANK_DROPPED, &MakeStateOf<TankDropped_State>);
    RegisterStateFactory(STATE_TRUCK_SPAWN, &MakeStateOf<TruckSpawn_State>);
    RegisterStateFactory(STATE_TRUCK_ATTACK, &MakeStateOf<TruckAttack_State>);
    RegisterStateFactory(STATE_TRUCK_RETREAT, &MakeStateOf<TruckRetreat_State>);
    RegisterStateFactory(STATE_TRUCK_SEEK, &MakeStateOf<TruckSeek_State>);
    RegisterStateFactory(STATE_JEEP_SPAWN, &MakeStateOf<JeepSpawn_State>);
    RegisterStateFactory(STATE_JEEP_ATTACK, &MakeStateOf<JeepAttack_State>);
    RegisterStateFactory(STATE_JEEP_RETREAT, &MakeStateOf<JeepRetreat_State>);
    RegisterStateFactory(STATE_JEEP_SEEK, &MakeStateOf<JeepSeek_State>);
    RegisterStateFactory(STATE_HELICOPTER_SPAWN, &MakeStateOf<HelicopterSpawn_State>);
    RegisterStateFactory(STATE_HELICOPTER_ATTACK, &MakeStateOf<HelicopterAttack_State>);
    RegisterStateFactory(STATE_HELICOPTER_RETREAT, &MakeStateOf<HelicopterRetreat_State>);
    RegisterStateFactory(STATE_HELICOPTER_SEEK, &MakeStateOf<HelicopterSeek_State>);
    RegisterStateFactory(STATE_TRANSPORT_SPAWN, &MakeStateOf<TransportSpawn_State>);
    RegisterStateFactory(STATE_TRANSPORT_DROP, &MakeStateOf<TransportDrop_State>);
    RegisterStateFactory(STATE_TRANSPORT_RETREAT, &MakeStateOf<TransportRetreat_State>);
    RegisterStateFactory(STATE_TRANSPORT_SEEK, &MakeStateOf<TransportSeek_State>);
    RegisterStateFactory(STATE_CAR_SPAWN, &MakeStateOf<Car_Spawn_State>);
    RegisterStateFactory(STATE_CAR_TRACK, &MakeStateOf<Car_Track_State>);
    RegisterStateFactory(STATE_GRABBED, &MakeStateOf<Grab_State>);
    RegisterStateFactory(STATE_THROWN, &MakeStateOf<Thrown_State>);
    RegisterStateFactory(STATE_MISSILE_SPAWN, &MakeStateOf<MissileSpawn_State>);
    RegisterStateFactory(STATE_MISSILE_SEEK, &MakeStateOf<MissileSeek_State>);
    RegisterStateFactory(STATE_MISSILE_LOOPBACK, &MakeStateOf<MissileLoop_State>);
    RegisterStateFactory(STATE_MISSILE_EXPLODE, &MakeStateOf<MissileExplode_State>);
    RegisterStateFactory(STATE_CITIZEN_SPAWN, &MakeStateOf<CitizenSpawn_State>);
    RegisterStateFactory(STATE_CITIZEN_CALM, &MakeStateOf<CitizenCalm_State>);
    RegisterStateFactory(STATE_CITIZEN_PANIC, &MakeStateOf<CitizenPanic_State>);
    RegisterStateFactory(STATE_CITIZEN_CARDBOARD_SPAWN, &MakeStateOf<CitizenCardSpawn_State>);
    RegisterStateFactory(STATE_CITIZEN_CARDBOARD_CALM, &MakeStateOf<CitizenCardCalm_State>);
    RegisterMothershipStates();
    RegisterFlyerStates();
}
