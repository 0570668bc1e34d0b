#pragma once
// The level's player robot (handler 11): creates the "Player" and "PlayerChild" components.
// The robot reads its controls straight from InputControls each frame.
#include "core/component_list_process.h"
#include "core/handler_ids.h"

class InputControls;

class PlayerProcess : public ComponentListProcess {
  public:
    static constexpr u32 kHandlerId = HANDLER_PLAYER_PROCESS;

    PlayerProcess(InputControls* input, bool endless, bool tutorial)
        : m_input(input), m_endless(endless), m_tutorial(tutorial) {}
    Component* CreateComponent(StreamMap* parameters) override;

    InputControls* const m_input;
    const bool m_endless;
    const bool m_tutorial;
};
