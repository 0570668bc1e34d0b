#pragma once
// The "Bullet" component: a projectile.
#include "core/definition_component.h"
#include "core/memory_allocator.h"
#include "core/types.h"
#include "game/projectile.h"

class BulletComponent : public DefinitionComponent,
                        public Projectile,
                        public Allocator<BulletComponent> {
  public:
    using DefinitionComponent::DefinitionComponent;

    void SetFired() override { m_fired = 1; }

    // Launched by the robot (its flying arm).
    u8 m_fired = 0;
    // Held by the robot: neither aged nor retired.
    u8 m_held = 0;
};
