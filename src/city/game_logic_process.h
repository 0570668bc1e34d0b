#pragma once
// The level's rules (handler 16): score, experience, enemy spawning, objectives and music
// cues. Creates the "GameLogic" components.
#include "core/component_list_process.h"
#include "core/handler_ids.h"

class GameLogicProcess : public ComponentListProcess {
  public:
    static constexpr u32 kHandlerId = HANDLER_GAME_LOGIC_PROCESS;

    GameLogicProcess(bool endless, bool tutorial) : m_endless(endless), m_tutorial(tutorial) {}
    Component* CreateComponent(StreamMap* parameters) override;

    const bool m_endless;
    const bool m_tutorial;
};
