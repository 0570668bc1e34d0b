#pragma once
// The level's projectiles (handler 13): creates the "Bullet" components.
#include "core/component_list_process.h"

class BulletProcess : public ComponentListProcess {
  public:
    static constexpr u32 kHandlerId = 13;

    BulletProcess() = default;
    Component* CreateComponent(StreamMap* parameters) override;
};
