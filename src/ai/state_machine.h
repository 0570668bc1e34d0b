#pragma once
// The per-unit state machine: one state object per state the unit's definition lists, keyed
// by id, of which one is current. Built once from the unit's stream; switching happens only
// through ChangeState.
#include <list>
#include <string>
#include <unordered_map>

#include "ai/state.h"
#include "core/types.h"
#include "core/vector.h"

class AIViewComponent;
class GameObject;
class StreamMap;

// A laser beam a flying unit keeps alive: the beam object, where it ends, how long it has
// lived and when it hurts.
struct BeamRecord {
    GameObject* m_beam = nullptr;
    Vector m_end;
    f32 m_age = 0.0f;
    f32 m_hit_delay = 0.0f;
};

class StateMachine {
  public:
    // Reads the state list at the stream's cursor and enters the first listed state.
    StateMachine(StreamMap* stream, AIViewComponent* owner);
    // Deletes the states; the beam objects stay alive.
    ~StateMachine();
    StateMachine(const StateMachine&) = delete;
    StateMachine& operator=(const StateMachine&) = delete;

    // Runs the current state while the unit has a target.
    void Update(float dt);
    // Exits the current state and makes next current; enters it while the unit has a target.
    void ChangeState(State* next);
    // The switch the states use: to the unit's state of that id. An id the unit lacks keeps
    // the current state (logged once per unit type and id); false then.
    bool ChangeTo(i32 id);
    // The unit's state of that id, or null; never adds an entry.
    State* Find(i32 id) const;
    // Whether the current state is the unit's state of that id (false when it has none).
    bool IsCurrent(i32 id) const;
    AIViewComponent* GetOwner() const { return m_owner; }

    std::unordered_map<i32, State*> m_states;
    std::list<BeamRecord> m_beams;
    State* m_current = nullptr;
    AIViewComponent* m_owner = nullptr;
    std::string m_start_name;
};
