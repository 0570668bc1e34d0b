#pragma once
// The "SoundPlayer" component: the part of a game object that plays its sounds.
#include "core/definition_component.h"
#include "core/memory_allocator.h"

class SoundPlayer : public DefinitionComponent, public Allocator<SoundPlayer> {
  public:
    using DefinitionComponent::DefinitionComponent;
};
