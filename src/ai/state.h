#pragma once
// The base of the AI states, the pooled base every concrete state class derives from, and the
// table from state id to the function that makes that id's state. The state families fill
// the table; a unit's machine asks it for every name its definition lists.
#include <string>

#include "ai/state_id.h"
#include "core/memory_allocator.h"
#include "core/types.h"
#include "core/vector.h"

class AIViewComponent;
class GameObject;
class StateMachine;

class State : public Allocator<State> {
  public:
    State() = default;
    virtual ~State() = default;
    State(const State&) = delete;
    State& operator=(const State&) = delete;

    virtual void Enter() {}
    virtual void Update(float dt) {}
    virtual void Exit() {}
    // Called once the machine has taken the state, before any state of the unit is entered.
    virtual void Attached() {}

    // The steps the unit families share. All of them do nothing for a state outside a machine
    // or a unit without an object.
    AIViewComponent* Unit() const;
    GameObject* Self() const;
    GameObject* Target() const;
    // The unit's forward axis (its negated direction axis); zero without an object.
    Vector Facing() const;
    // Squared distance from the unit to its target; 0 without either.
    f32 TargetDistanceSquared() const;
    // The waypoint list becomes the target's current position alone.
    void AimWaypoint();
    void ClearWaypoints();
    // Toward the first waypoint with arrival reports, or away from it without them.
    void AdvanceMode();
    void RetreatMode();
    // Appends the target's position and starts the unit's particle emission: how every seek
    // begins.
    void BeginSeek();
    bool SwitchTo(i32 id);
    // Turns about the world's up toward dir (its y ignored); returns the cosine used, clamped
    // below by the unit's aim cosine.
    f32 TurnToward(Vector dir, float dt);
    f32 TurnTowardTarget(float dt);
    // The named clip's paused flag and the particle emission of the unit's look; a unit
    // without a look, that clip or particles skips them.
    void SetAnimationPaused(const std::string& clip, bool paused);
    void SetEmissionPaused(bool paused);
    // Fires the unit's weapon with this state's shot flag.
    void Fire();
    // Whether the unit is nose or tail toward its target.
    bool LinedUp() const;

    StateMachine* m_machine = nullptr;
    // Seconds since the last beam; only the beam-firing states use it.
    f32 m_beam_timer = 0.0f;
    // Handed to FireUnitWeapon; the families clear it when the state is entered.
    bool m_shootAnimPlayed = false;
};

// A concrete state class X derives from PooledState<X>, so that its objects come from the pool
// of its own size.
template <class X> class PooledState : public State, public Allocator<X> {
  public:
    using Allocator<X>::operator new;
    using Allocator<X>::operator delete;
};

using StateFactory = State* (*)();

// The state made for an id, or null for an id without a registered class.
State* MakeState(i32 id);
// Registers (or with null, forgets) the class of an id; ids without a class are refused.
// Returns the previous factory, so a test can put it back.
StateFactory RegisterStateFactory(i32 id, StateFactory factory);
// Forgets every registered class.
void ClearStateFactories();

template <class X> State* MakeStateOf() {
    return new X();
}
