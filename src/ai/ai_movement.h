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
    enum class Kind { Tank, Helicopter, Missile };
    // The steps every model shares; the kinds differ in mixing and in how they move.
    void Steer(float dt, Kind kind);
};

class TankMovement : public AI_Movement, public Allocator<TankMovement> {
  public:
    using Allocator<TankMovement>::operator new;
    using Allocator<TankMovement>::operator delete;
    using AI_Movement::AI_Movement;
    void Update(float dt) override { Steer(dt, Kind::Tank); }
};

class HelicopterMovement : public AI_Movement, public Allocator<HelicopterMovement> {
  public:
    using Allocator<HelicopterMovement>::operator new;
    using Allocator<HelicopterMovement>::operator delete;
    using AI_Movement::AI_Movement;
    void Update(float dt) override { Steer(dt, Kind::Helicopter); }
};

class MissileMovement : public AI_Movement, public Allocator<MissileMovement> {
  public:
    using Allocator<MissileMovement>::operator new;
    using Allocator<MissileMovement>::operator delete;
    using AI_Movement::AI_Movement;
    void Update(float dt) override { Steer(dt, Kind::Missile); }
};
