#pragma once
// The "Building" component: a destructible building of the city.
#include "core/definition_component.h"
#include "core/memory_allocator.h"

class BuildingComponent : public DefinitionComponent, public Allocator<BuildingComponent> {
  public:
    using DefinitionComponent::DefinitionComponent;
};
