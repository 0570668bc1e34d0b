#pragma once
// The level's triggers (handler 21): creates the "Trigger" components.
#include "core/component_list_process.h"

class TriggerProcess : public ComponentListProcess {
  public:
    static constexpr u32 kHandlerId = 21;

    TriggerProcess() = default;
    Component* CreateComponent(StreamMap* parameters) override;
};
