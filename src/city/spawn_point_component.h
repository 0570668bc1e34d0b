#pragma once
// The "SpawnPoint" component: a place where enemies enter the level. The AIViewProcess
// creates it.
#include "core/definition_component.h"
#include "core/memory_allocator.h"

class SpawnPointComponent : public DefinitionComponent, public Allocator<SpawnPointComponent> {
  public:
    using DefinitionComponent::DefinitionComponent;
};
