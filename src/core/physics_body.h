#pragma once
// What the object model may ask of an object's physics body without knowing the physics
// subsystem: GameObject::MovePhysics steers through it.
#include "core/vector.h"

class PhysicsBody {
  public:
    virtual ~PhysicsBody() = default;
    // Adds the velocity change v to the body.
    virtual void Move(const Vector& v) = 0;
};
