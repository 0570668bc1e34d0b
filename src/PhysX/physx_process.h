#pragma once
// The level's physics (handler 9): creates the "Physics" components.
#include "core/component_list_process.h"

class PhysXProcess : public ComponentListProcess {
  public:
    static constexpr u32 kHandlerId = 9;

    PhysXProcess() = default;
    Component* CreateComponent(StreamMap* parameters) override;
};
