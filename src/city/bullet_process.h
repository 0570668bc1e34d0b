#pragma once
// The level's projectiles (handler 13): ages the "Bullet" components, blows up those that hit,
// slowed down or grew too old (an explosion, its sound and the deletion of the object), and
// tells whether an object is still a flying projectile.
#include <vector>

#include "core/component_list_process.h"
#include "core/handler_ids.h"

class BulletComponent;
class Component;
class SoundInstance;

class BulletProcess : public ComponentListProcess {
  public:
    static constexpr u32 kHandlerId = HANDLER_BULLET_PROCESS;
    static constexpr const char* kExplosionSound = "assets/sound fx/medium_explosion.mp3";

    BulletProcess() = default;

    Component* CreateComponent(StreamMap* parameters) override;
    void RemoveComponent(Component* component) override;
    void Update(float dt) override;
    void HandleMessage(BaseMessage* msg, u32 fromId) override;

    // In creation order.
    std::vector<BulletComponent*> m_bullets;
    std::vector<BulletComponent*> m_toRetire;
    SoundInstance* m_soundReply = nullptr;
    Component* m_player = nullptr;

  private:
    bool m_initialized = false;
};
