#pragma once
// The "Joint" component: a part of an animated object that its skeleton moves.
#include "core/definition_component.h"
#include "core/memory_allocator.h"

class Joint : public DefinitionComponent, public Allocator<Joint> {
  public:
    using DefinitionComponent::DefinitionComponent;
};
