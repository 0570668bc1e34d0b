#pragma once
// The level's physics (handler 9): creates the "Physics" components.
#include "core/component_list_process.h"
#include "core/handler_ids.h"

class PhysXProcess : public ComponentListProcess {
  public:
    static constexpr u32 kHandlerId = HANDLER_PHYSX_PROCESS;

    PhysXProcess() = default;
    Component* CreateComponent(StreamMap* parameters) override;
};
