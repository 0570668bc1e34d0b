#pragma once
// The level's buildings (handler 17): creates the "Building" components.
#include "core/component_list_process.h"
#include "core/handler_ids.h"

class BuildingProcess : public ComponentListProcess {
  public:
    static constexpr u32 kHandlerId = HANDLER_BUILDING_PROCESS;

    // stateFlag is the creating game state's spare flag byte, passed on as it is.
    BuildingProcess(bool stateFlag, bool endless) : m_state_flag(stateFlag), m_endless(endless) {}
    Component* CreateComponent(StreamMap* parameters) override;

    const bool m_state_flag;
    const bool m_endless;
};
