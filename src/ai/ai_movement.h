#pragma once
// The movement models: each drives one unit's body toward the front of its waypoint list,
// turning about the vertical axis, steering around buildings and away from units of its
// class, and reporting arrival when the unit asks for it.
#include "core/memory_allocator.h"
#include "core/vector.h"

class AIViewComponent;
class AIViewProcess;

class AI_Movement : public Allocator<AI_Movement> {
  public:
    // The kinds differ in mixing and in how they move.
    enum class Kind { Tank, Helicopter, Missile };

    explicit AI_Movement(AIViewComponent* owner) : m_owner(owner) {}
    virtual ~AI_Movement() = default;
    AI_Movement(const AI_Movement&) = delete;
    AI_Movement& operator=(const AI_Movement&) = delete;

    virtual void Update(float dt) {}
    // Fills m_avoid from the units around and the nearest building ahead.
    void AvoidBuildings(AIViewProcess& process);

    Vector m_heading;
    Vector m_avoid;
    AIViewComponent* m_owner;

  protected:
    // The steps every model shares.
    void Steer(float dt, Kind kind);
};

// One model per kind, each pooled on its own.
template <AI_Movement::Kind K>
class KindMovement : public AI_Movement, public Allocator<KindMovement<K>> {
  public:
    using Allocator<KindMovement<K>>::operator new;
    using Allocator<KindMovement<K>>::operator delete;
    using AI_Movement::AI_Movement;
    void Update(float dt) override { Steer(dt, K); }
};

using TankMovement = KindMovement<AI_Movement::Kind::Tank>;
using HelicopterMovement = KindMovement<AI_Movement::Kind::Helicopter>;
using MissileMovement = KindMovement<AI_Movement::Kind::Missile>;
