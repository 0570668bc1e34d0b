#pragma once
// The "Trigger" component: a region or condition that sets off level events.
#include "core/definition_component.h"
#include "core/memory_allocator.h"

class TriggerComponent : public DefinitionComponent, public Allocator<TriggerComponent> {
  public:
    using DefinitionComponent::DefinitionComponent;
};
