#pragma once
// The user interface of one game state (handler 10 at the state's router): the screen named
// like the state ("Menu", "Level", the intro screens). It creates the UI components and
// answers the input InputControls sends it.
//
// Until the screens have their widgets, the keys act directly:
// - "Menu": Enter starts the chosen level (through the "Controls" screen), Escape quits.
// - "Level": Escape or F1 (MSG_PAUSE_TRIGGER) opens the pause screen, which pauses every
//   process of the level but this one, and closes it again. While it is open, Enter returns
//   to the menu and Q quits.
#include <string>

#include "core/component_list_process.h"
#include "core/handler_ids.h"

class ParserProcess;
struct InputState;

class UIProcess : public ComponentListProcess {
  public:
    static constexpr u32 kHandlerId = HANDLER_UI_PROCESS;
    static constexpr const char* kMenuScreen = "Menu";
    static constexpr const char* kLevelScreen = "Level";

    // stateId is the handler id of the game state that owns the screen.
    UIProcess(std::string screen, u32 stateId, ParserProcess* parser);

    void HandleMessage(BaseMessage* msg, u32 fromId) override;
    // "UIDropDown" has no widget yet and gives null, like any type not listed above.
    Component* CreateComponent(StreamMap* parameters) override;

    bool IsPauseShown() const { return m_pause_shown; }

    const std::string m_screen;
    const u32 m_state_id;
    // Where the option pages and the high-score entry read and save their files.
    ParserProcess* const m_parser;

  private:
    void MenuInput(const InputState& input);
    void ShowPause(bool show);

    bool m_pause_shown = false;
};
