#pragma once
// The "GameLogic" component: an object that takes part in the level's rules.
#include "core/definition_component.h"
#include "core/memory_allocator.h"

class GameLogicComponent : public DefinitionComponent, public Allocator<GameLogicComponent> {
  public:
    using DefinitionComponent::DefinitionComponent;
};
