#pragma once
// The "Bullet" component: a projectile.
#include "core/definition_component.h"
#include "core/memory_allocator.h"

class BulletComponent : public DefinitionComponent, public Allocator<BulletComponent> {
  public:
    using DefinitionComponent::DefinitionComponent;
};
