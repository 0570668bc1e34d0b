#pragma once
// The "AIView" component: an enemy unit or citizen driven by the AI.
#include "core/definition_component.h"
#include "core/memory_allocator.h"

class AIViewComponent : public DefinitionComponent, public Allocator<AIViewComponent> {
  public:
    using DefinitionComponent::DefinitionComponent;
};
