#pragma once
// The "Player" component (the robot itself) and the "PlayerChild" component (one of its body
// parts).
#include "core/definition_component.h"
#include "core/memory_allocator.h"

class PlayerComponent : public DefinitionComponent, public Allocator<PlayerComponent> {
  public:
    using DefinitionComponent::DefinitionComponent;
};

class PlayerChildComponent : public DefinitionComponent, public Allocator<PlayerChildComponent> {
  public:
    using DefinitionComponent::DefinitionComponent;
};
