#pragma once
// The "Physics" component: the part of a game object that has a physics body.
#include "core/definition_component.h"
#include "core/memory_allocator.h"

namespace physics {
class Actor;
}

class PhysXComponent : public DefinitionComponent, public Allocator<PhysXComponent> {
  public:
    using DefinitionComponent::DefinitionComponent;

    // The body this component moves. The parts of a composite object (the robot, the
    // mothership) all point at their base object's body.
    physics::Actor* m_actor = nullptr;
};
