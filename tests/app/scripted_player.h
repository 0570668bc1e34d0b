#pragma once
// A player for end-to-end runs: keys go into the game's script file, and each step waits for
// the log line that says the game has reached the point the next keys are meant for, never
// for a time, so a slow (sanitized, loaded) build plays the same path as a fast one.
#include <gtest/gtest.h>

#include <string>

#include "app/game_run.h"

namespace game_process {

class ScriptedPlayer : public OutputCursor {
  public:
    ScriptedPlayer(GameProcess& game, const InputScriptFile& keys)
        : OutputCursor(game), m_keys(keys) {}

    // Appends script lines ("<seconds> tap <key>" and so on).
    void Send(const std::string& lines) const { m_keys.Send(lines); }

    // Taps key until the UI's focus lands on element, at most tries times; each tap must move
    // the focus (the UI writes every change to its log). Nothing is tapped when the focus is
    // there already.
    bool MoveFocus(const std::string& key, const std::string& element, int tries = 8) {
        for (int i = 0; i < tries && m_focus != element; ++i) {
            if (!Step(key)) {
                return false;
            }
        }
        return m_focus == element;
    }

    // Taps key once and waits for the focus to move; false if it did not.
    bool Step(const std::string& key) {
        Send("0.1 tap " + key + "\n");
        return WaitForFocus();
    }

    // Waits for the next focus line; the focused element is then Focus().
    bool WaitForFocus() {
        m_focus = LineAfter("UIProcess::Focus: ");
        return !m_focus.empty();
    }

    // Taps Return on the focused element and waits for what it shows.
    bool Activate(const std::string& expected) {
        Send("0.1 tap Return\n");
        return Reach(expected);
    }

    // From the menu's first screen into a level: PLAY, then the play screen's button at
    // focus (its first, the feature film, when empty); true once the level's play starts.
    bool StartLevel(const std::string& focus = "") {
        return WaitForFocus() && Activate("UIProcess::ShowScreen: Main Play\n") && WaitForFocus() &&
               (focus.empty() || MoveFocus("Down", focus)) && Activate("LevelState::StartPlay: ");
    }

    bool Screenshot(ScreenshotImage& image) {
        Send("0.1 tap PrintScreen\n");
        return TakeScreenshot(m_game, &m_at, image);
    }

    const std::string& Focus() const { return m_focus; }

  private:
    const InputScriptFile& m_keys;
    std::string m_focus;
};

} // namespace game_process
