#pragma once
// The "Bullet" component: a projectile (a laser pulse, a rocket or missile, the robot's flying
// arm or thrown head). It ages, and a contact or old age marks it for its process to blow up.
#include <string>

#include "core/definition_component.h"
#include "core/types.h"
#include "game/holdable.h"
#include "game/projectile.h"

class BulletComponent : public DefinitionComponent, public Projectile, public Holdable {
  public:
    using DefinitionComponent::DefinitionComponent;

    void Update(float dt) override;
    void HandleMessage(BaseMessage* msg, u32 fromId) override;
    void SetFired() override { m_fired = 1; }
    void SetHeld() override { m_held = 1; }
    void SetThrown(float lifetime, bool spent) override {
        m_held = 0;
        m_lifetime = lifetime;
        if (spent) {
            m_hit = 1;
        }
    }

    f32 m_age = 0.0f;
    f32 m_lifetime = 6.5f;
    // To be blown up by the process this frame.
    u8 m_dead = 0;
    // Held by the robot: neither aged nor retired by a contact.
    u8 m_held = 0;
    // Launched by the robot (its flying arm).
    u8 m_fired = 0;
    // Touched something that counts.
    u8 m_hit = 0;

  private:
    const std::string& Kind() const;
};
