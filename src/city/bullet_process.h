#pragma once
// The level's projectiles (handler 13): creates the "Bullet" components.
#include "core/component_list_process.h"
#include "core/handler_ids.h"

class BulletProcess : public ComponentListProcess {
  public:
    static constexpr u32 kHandlerId = HANDLER_BULLET_PROCESS;

    BulletProcess() = default;
    Component* CreateComponent(StreamMap* parameters) override;
};
