#pragma once
// The level's triggers (handler 21): creates the "Trigger" components.
#include "core/component_list_process.h"
#include "core/handler_ids.h"

class TriggerProcess : public ComponentListProcess {
  public:
    static constexpr u32 kHandlerId = HANDLER_TRIGGER_PROCESS;

    TriggerProcess() = default;
    Component* CreateComponent(StreamMap* parameters) override;
};
