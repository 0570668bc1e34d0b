#pragma once
// The user interface of one game state (handler 10 at the state's router), named like the
// state ("Menu", "Level", "Credits", the logo screens). It owns the UI components of the
// state's objects and runs its screens: a screen is a list of element names, and showing it
// asks the state to create one object per element (the object types carry the widgets and
// their sprites); hiding it deletes them again. Each frame it follows the cursor and the
// keys from the input snapshot, moves the focus, edits and activates widgets and carries
// out what the activated element does on the current screen.
#include <string>
#include <vector>

#include "core/component_list_process.h"
#include "core/handler_ids.h"
#include "core/message.h"
#include "game/input_state.h"
#include "ui/ui_screens.h"

class GameObject;
class ParserProcess;
class InputUIComponent;
class SliderUIComponent;
class SoundInstance;
class TextUIComponent;
class UIComponent;
class WidgetGraphics;

namespace window {
class Window;
}

class UIProcess : public ComponentListProcess {
  public:
    static constexpr u32 kHandlerId = HANDLER_UI_PROCESS;
    static constexpr const char* kMenuState = "Menu";
    static constexpr const char* kLevelState = "Level";
    static constexpr const char* kCreditsState = "Credits";
    static constexpr const char* kCreditsMusic = "./assets/music/credits_music.mp3";

    // stateHandlerId is the handler id of the game state that owns the screens; object
    // creation and deletion requests go there.
    UIProcess(std::string stateName, u32 stateHandlerId, ParserProcess* options);

    void Update(float dt) override;
    void Initialize();
    void HandleMessage(BaseMessage* msg, u32 fromId) override;
    // "UIDropDown" has no widget and gives null, like any type not listed.
    Component* CreateComponent(StreamMap* parameters) override;
    void RemoveComponent(Component* component) override;

    // A name no screen has leaves everything as it is.
    void ShowScreen(const std::string& name);
    void HideScreen();
    void ShowElement(const std::string& elementName);
    // The widget of an object (button, check box, slider, input), or null.
    UIComponent* FindWidget(GameObject* object) const;
    UIComponent* FindComponentByObjectName(const std::string& name) const;
    // Links every widget of the screen to its nearest neighbour in each direction, wrapping
    // around to the farthest one where there is none.
    void LinkNavigation();
    // The first key (1 .. 237) or mouse button (256 + button) pressed this frame, or 0.
    i32 FirstPressedKey() const;
    i32 FirstPressedMouseButton() const;
    i32 FirstPressedInput() const;

    // What the widgets write sprites and texts through; WidgetGraphics::Default() at first.
    void SetGraphics(WidgetGraphics* graphics) { m_graphics = graphics; }
    WidgetGraphics& Graphics() const { return *m_graphics; }
    u32 WindowWidth() const { return m_windowWidth; }
    u32 WindowHeight() const { return m_windowHeight; }
    bool IsPaused() const { return m_paused; }
    const std::string& CurrentScreen() const { return m_currentScreen; }
    UIComponent* Focus() const { return m_focus; }
    const std::vector<GameObject*>& ScreenObjects() const { return m_screenObjects; }
    const std::vector<ScreenRecord>& Screens() const { return m_screens; }

    // The credits music's volume after the given time on the credits screen: 0.8, fading
    // to silence between 30 and 32 seconds.
    static f32 CreditsMusicVolume(f32 seconds);

    // The option pages: Show fills a page's widgets from the stored options, Apply stores,
    // saves and passes on what the widgets hold, Default puts the default values into the
    // widgets only.
    void ShowSoundOptions();
    void ApplySoundOptions();
    void DefaultSoundOptions();
    void ShowControlsOptions();
    void ApplyControlsOptions();
    void DefaultControlsOptions();
    void ShowGraphicsOptions();
    void ApplyGraphicsOptions();
    void DefaultGraphicsOptions();
    // Fills the high-score rows and the player's own score.
    void ShowHighscores();
    // Sets a slider's read-out from the slider (a resolution, a level, a percentage or the
    // sensitivity, by the read-out's name).
    void UpdateSliderOutputText(const SliderUIComponent& slider, TextUIComponent& output);
    void UpdateSliderOutputTexts();
    // One frame of an active binding field: the first key or button pressed this frame
    // becomes its binding (Escape keeps the old one) and leaves every other field.
    void CaptureKeyBinding();
    // One frame of the high-score name entry; once the name is complete (three characters,
    // Enter or Escape) the score is entered and the game goes back to the menu.
    void EnterHighscoreName();
    f64 FinalScore() const { return m_finalScore; }

    const std::string m_stateName;
    const u32 m_stateHandlerId;
    // Where the option pages and the screen buttons read and save the stored options.
    ParserProcess* const m_options;

  private:
    // Steps 4 to 7 of a frame: editing the active widget, hover, arrows. Returns
    // justReleased (the focused widget stopped editing this frame).
    bool HandleFocus(float dt, i32 cx, i32 cy, bool moved, bool click);
    // Writes the focused element's name to the log when it changed since the last frame.
    void LogFocus();
    // Activation of the focused widget; the element name activated, or empty.
    std::string Activate(bool justReleased, bool click, i32 cx, i32 cy);
    // Places and shows the components created since the last time.
    void InitializeNewComponents();
    void MenuAction(const std::string& element);
    // Shows the page an "Options" button opens.
    void ShowOptionPage(const std::string& element);
    void InGameAction(const std::string& element);
    // The rows both action tables share; false when the element is none of them.
    bool SharedAction(const std::string& element, const char* home, const char* quit,
                      f32 pageExposure, f32 backExposure);
    // Any key or button pressed this frame moves the intro screen on to the next state.
    void AdvanceOnInput(const std::string& next);
    void TogglePause(bool howToPlay);
    // The game is over with the given score: everything stops, the in-game display goes and
    // the name entry starts.
    void EndOfPlay(f64 score);
    // Fills the page a screen shows, if it is an option page.
    void FillPage(const std::string& screen);
    void ApplyPage(const std::string& screen);
    void DefaultPage(const std::string& screen);
    // Refreshes the read-out of a slider being edited.
    void RefreshSliderOutput(const UIComponent* widget);
    template <class T> T* FindByName(const std::string& name) const;
    void ToggleFullscreen();
    void ToggleThreeDee();
    void SwitchToLevel(const std::string& levelPath);
    void SetExposure(f32 exposure);
    void Send(u32 type, u32 to);
    template <class T> void Send(u32 type, const T& value, u32 to);
    bool KeyPressed(u32 key) const;
    bool KeyDown(u32 key) const;
    bool EnterPressed() const;
    // The object type name of the component's owner, or empty.
    static const std::string& ObjectName(const UIComponent* component);

    u32 m_windowWidth = 0;
    u32 m_windowHeight = 0;
    f32 m_playerHealth = 1.0f;
    bool m_componentsAdded = false;
    bool m_paused = false;
    bool m_firstUpdate = true;
    InputState m_input;
    window::Window* m_hwnd = nullptr;
    GameObject* m_lastCreated = nullptr;
    std::vector<GameObject*> m_screenObjects;
    f32 m_creditsTime = 0.0f;
    SoundInstance* m_creditsMusic = nullptr;
    SoundInstance* m_soundReply = nullptr;
    UIComponent* m_focus = nullptr;
    i32 m_lastCursorX = 0;
    i32 m_lastCursorY = 0;
    bool m_skipInput = true;
    std::vector<ScreenRecord> m_screens;
    std::string m_currentScreen;
    // The focused element last written to the log, so only changes are written.
    std::string m_loggedFocus;
    f32 m_levelExposure = 0.0f;
    f64 m_finalScore = 0.0;
    // The name after a game has been taken; the entry does not start again.
    bool m_nameEntered = false;
    WidgetGraphics* m_graphics;
};

template <class T> void UIProcess::Send(u32 type, const T& value, u32 to) {
    Message<T> msg(type, value);
    SendMessage(&msg, to);
}
