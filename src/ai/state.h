#pragma once
// The base of the AI states, the pooled base every concrete state class derives from, and the
// table from state id to the function that makes that id's state. The state families fill
// the table; a unit's machine asks it for every name its definition lists.
#include "ai/state_id.h"
#include "core/memory_allocator.h"
#include "core/types.h"

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
