// The UI process: its screens, the focus under keys and mouse, what each button does, the
// pause menu and the intro and credits screens.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "content/parser_process.h"
#include "core/globals.h"
#include "game/shell_globals.h"
#include "support/component_fixture.h"
#include "support/scoped_temp_home.h"
#include "ui_fixture.h"

namespace {

using component_fixture::ComponentStream;
using ui_fixture::Delivery;
using ui_fixture::UIFixture;
using ui_fixture::UIStream;

template <class T> bool Is(Component* c) {
    return dynamic_cast<T*>(c) != nullptr;
}

TEST(UIProcessComponents, CreatesTheWidgetOfEachUIComponentType) {
    EXPECT_EQ(UIProcess::kHandlerId, 10u);
    UIProcess ui("Menu", 22, nullptr);
    struct Case {
        const char* type;
        bool (*is)(Component*);
    };
    const std::vector<Case> cases = {
        {"UIElement", Is<UIComponent>},          {"UIButton", Is<ButtonUIComponent>},
        {"UICheckBox", Is<CheckBoxUIComponent>}, {"UISlider", Is<SliderUIComponent>},
        {"UIText", Is<TextUIComponent>},         {"UIInput", Is<InputUIComponent>},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.type);
        StreamMap stream = ComponentStream("MenuButton", c.type);
        Component* made = ui.CreateComponent(&stream);
        ASSERT_NE(made, nullptr);
        EXPECT_TRUE(c.is(made));
        EXPECT_EQ(made->process, &ui);
        EXPECT_EQ(static_cast<UIComponent*>(made)->m_elementName, "MenuButton");
    }
    // A plain element is not mistaken for a widget.
    StreamMap element = ComponentStream("Panel", "UIElement");
    EXPECT_FALSE(Is<ButtonUIComponent>(ui.CreateComponent(&element)));
    for (const char* other : {"UIDropDown", "Graphic", "SoundPlayer", "Invalid"}) {
        StreamMap stream = ComponentStream("MenuButton", other);
        EXPECT_EQ(ui.CreateComponent(&stream), nullptr) << other;
    }
    EXPECT_EQ(ui.Components().Size(), cases.size() + 1);

    // Texts and inputs take their initial text from the definition.
    const std::string text = "MASTER VOLUME";
    StreamMap label = UIStream("MasterVolumeText", "UIText", &text);
    auto* made = dynamic_cast<TextUIComponent*>(ui.CreateComponent(&label));
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->m_text, text);
    // A removed component is deleted; removing it again changes nothing.
    const std::size_t before = ui.Components().Size();
    ui.RemoveComponent(made);
    EXPECT_EQ(ui.Components().Size(), before - 1);
    ui.RemoveComponent(made);
    EXPECT_EQ(ui.Components().Size(), before - 1);
}

// ---- Screens -----------------------------------------------------------------------------

class Screens : public UIFixture {};

TEST_F(Screens, TheMenuStartsOnMainWithThePlayButtonFocused) {
    Start("Menu");
    EXPECT_EQ(ui->CurrentScreen(), "Main");
    EXPECT_EQ(FocusName(), "PlayButton");
    std::vector<std::string> names;
    for (GameObject* object : ui->ScreenObjects()) {
        names.push_back(object->name);
    }
    EXPECT_EQ(names,
              (std::vector<std::string>{"PlayButton", "FullscreenButton", "3DButton",
                                        "OptionsButton", "QuitButton", "LevelEditorButton"}));
    // The start asked for the window size and handle and gave the window the focus.
    EXPECT_EQ(renderer.Types()[0], MSG_GRAPHICS_CHECK_WINDOWED);
    EXPECT_EQ(game.Types()[0], MSG_GAME_HWND);
    EXPECT_EQ(game.Types()[1], MSG_GAME_SET_WINDOW_FOCUS);
    EXPECT_EQ(ui->WindowWidth(), 1280u);
    EXPECT_EQ(ui->WindowHeight(), 800u);
}

TEST_F(Screens, ShowingAScreenTwiceMakesItsObjectsAgainAndRefocusesTheDefault) {
    Start("Menu");
    Press(input::key::Down);
    EXPECT_EQ(FocusName(), "FullscreenButton");
    const std::vector<GameObject*> first = ui->ScreenObjects();
    ui->ShowScreen("Main");
    EXPECT_EQ(state->created["PlayButton"], 2);
    EXPECT_EQ(state->objects.size(), first.size());
    EXPECT_EQ(ui->ScreenObjects().size(), first.size());
    EXPECT_EQ(FocusName(), "PlayButton");
    EXPECT_EQ(ui->Components().Size(), first.size());
}

TEST_F(Screens, AnUnknownScreenLeavesTheCurrentOneAsItIs) {
    Start("Menu");
    const std::vector<GameObject*> shown = ui->ScreenObjects();
    ui->ShowScreen("Level");
    EXPECT_EQ(ui->CurrentScreen(), "Main");
    EXPECT_EQ(ui->ScreenObjects(), shown);
}

TEST_F(Screens, ScreensWithoutADefaultFocusFocusNothingUntilTheMouseComes) {
    Start("Level", 6);
    for (const char* screen : {"Display Controls", "Highscore", "Highscore Display"}) {
        SCOPED_TRACE(screen);
        ui->ShowScreen(screen);
        EXPECT_EQ(ui->Focus(), nullptr);
        Press(input::key::Down);
        EXPECT_EQ(ui->Focus(), nullptr);
    }
    // Hovering finds the one button of the high-score table.
    ui->ShowScreen("Highscore Display");
    const window::Point cancel = CentreOf("CancelButton");
    MoveCursor(cancel.x, cancel.y);
    Frame();
    EXPECT_EQ(FocusName(), "CancelButton");
}

TEST_F(Screens, AnElementTheStateCannotMakeIsLeftOut) {
    Start("Menu");
    state->missing["3DButton"] = 1;
    state->missing["PlayButton"] = 1;
    ui->ShowScreen("Main");
    EXPECT_EQ(ui->ScreenObjects().size(), 4u);
    EXPECT_EQ(ui->Focus(), nullptr);
    // Navigation runs around the ones that are there.
    UIComponent* fullscreen = ui->FindComponentByObjectName("FullscreenButton");
    EXPECT_EQ(fullscreen->m_down, ui->FindComponentByObjectName("OptionsButton"));
}

TEST_F(Screens, NavigationRunsDownAColumnAndWrapsAroundBothWays) {
    Start("Menu");
    ui->ShowScreen("Options");
    const std::vector<std::string> column = {"GraphicsOptionsButton", "ControlsOptionsButton",
                                             "SoundOptionsButton", "HighscoreButton",
                                             "OptionsReturnButton"};
    for (std::size_t i = 0; i < column.size(); ++i) {
        SCOPED_TRACE(column[i]);
        UIComponent* widget = ui->FindComponentByObjectName(column[i]);
        const std::size_t below = (i + 1) % column.size();
        const std::size_t above = (i + column.size() - 1) % column.size();
        EXPECT_EQ(widget->m_down, ui->FindComponentByObjectName(column[below]));
        EXPECT_EQ(widget->m_up, ui->FindComponentByObjectName(column[above]));
        // Nothing stands beside a single column.
        EXPECT_EQ(widget->m_left, nullptr);
        EXPECT_EQ(widget->m_right, nullptr);
    }
}

TEST_F(Screens, UpFromTheResolutionSliderWrapsToTheNearestBottomButton) {
    Start("Menu");
    ui->ShowScreen("Graphics Options");
    UIComponent* slider = ui->FindComponentByObjectName("ResolutionSlider");
    EXPECT_EQ(FocusName(), "ResolutionSlider");
    EXPECT_EQ(slider->m_up, ui->FindComponentByObjectName("CancelButton"));
    EXPECT_EQ(slider->m_down, ui->FindComponentByObjectName("ShadowMapSizeSlider"));
    // Texts take no part.
    EXPECT_EQ(ui->FindWidget(ui->FindComponentByObjectName("ResolutionText")->owner), nullptr);
    // Left of the leftmost button wraps to the rightmost column, to the box nearest in y.
    UIComponent* apply = ui->FindComponentByObjectName("ApplyButton");
    EXPECT_EQ(apply->m_right, ui->FindComponentByObjectName("DefaultButton"));
    EXPECT_EQ(apply->m_left, ui->FindComponentByObjectName("FullscreenCheckBox"));
}

// ---- Focus and activation ----------------------------------------------------------------

class Activation : public UIFixture {};

TEST_F(Activation, EnterActivatesTheFocusedButtonButAltEnterDoesNot) {
    Start("Menu");
    Frame(Keys({input::key::Enter, input::key::LeftAlt}));
    EXPECT_EQ(ui->CurrentScreen(), "Main");
    InputState altHeld = Keys({input::key::Enter});
    altHeld.m_keys[input::key::RightAlt] = INPUT_HELD;
    Frame(altHeld);
    EXPECT_EQ(ui->CurrentScreen(), "Main");
    // A held Enter is not a new press.
    Frame(Keys({input::key::Enter}, INPUT_HELD));
    EXPECT_EQ(ui->CurrentScreen(), "Main");
    Press(input::key::Enter);
    EXPECT_EQ(ui->CurrentScreen(), "Main Play");
    EXPECT_EQ(FocusName(), "PlayFeatureFilmButton");
    // The second activation key does the same.
    Press(input::key::Up);
    Press(input::key::NumpadEquals);
    EXPECT_EQ(ui->CurrentScreen(), "Main");
}

TEST_F(Activation, AClickActivatesTheWidgetUnderItAndAClickBesideItNothing) {
    Start("Menu");
    ClickAt(5, 5);
    EXPECT_EQ(ui->CurrentScreen(), "Main");
    EXPECT_EQ(FocusName(), "PlayButton");
    const window::Point options = CentreOf("OptionsButton");
    ClickAt(options.x, options.y);
    EXPECT_EQ(ui->CurrentScreen(), "Options");
}

TEST_F(Activation, HoverMovesTheFocusAndTheLaterOfTwoWidgetsWins) {
    Start("Menu");
    const window::Point quit = CentreOf("QuitButton");
    MoveCursor(quit.x, quit.y);
    Frame();
    EXPECT_EQ(FocusName(), "QuitButton");
    EXPECT_EQ(VisibleOf("QuitButton"), (std::vector<bool>{false, true}));
    EXPECT_EQ(VisibleOf("PlayButton"), (std::vector<bool>{true, false}));

    // Two check boxes in one place: the one made later takes the focus.
    ui->ShowElement("DepthOfFieldCheckBox");
    ui->ShowElement("3DCheckBox");
    Frame();
    const window::Point box = CentreOf("3DCheckBox");
    MoveCursor(box.x, box.y);
    Frame();
    EXPECT_EQ(FocusName(), "3DCheckBox");
    // A cursor that stays where it is leaves the focus to the keys.
    Press(input::key::Up);
    EXPECT_EQ(FocusName(), "3DCheckBox");
    Press(input::key::Down);
    Frame();
    EXPECT_EQ(FocusName(), "3DCheckBox");
}

TEST_F(Activation, ArrowsMoveAnIdleFocusOncePerPress) {
    Start("Menu");
    Press(input::key::Down);
    EXPECT_EQ(FocusName(), "FullscreenButton");
    Frame(Keys({input::key::Down}, INPUT_HELD));
    Frame(Keys({input::key::Down}, INPUT_HELD));
    EXPECT_EQ(FocusName(), "FullscreenButton");
    Press(input::key::Up);
    Press(input::key::Up);
    EXPECT_EQ(FocusName(), "LevelEditorButton");
    Press(input::key::Up);
    EXPECT_EQ(FocusName(), "QuitButton");
}

TEST_F(Activation, AKeyboardSliderEditFollowsTheHeldArrowAndEnterEndsItOnly) {
    Start("Menu");
    ui->ShowScreen("Sound Options");
    auto* slider =
        static_cast<SliderUIComponent*>(ui->FindComponentByObjectName("MasterVolumeSlider"));
    ASSERT_EQ(ui->Focus(), slider);
    Press(input::key::Enter);
    EXPECT_TRUE(slider->IsActive());
    EXPECT_FALSE(slider->IsMouseActivated());
    // 16 pixels a frame at 60 frames a second: 16 × 0.001 × 1.25 × 125 / 400 of the track.
    const float step = 16 * 0.001f * 1.25f * 125.0f / 400.0f;
    for (int frame = 1; frame <= 3; ++frame) {
        Frame(Keys({input::key::Left}, INPUT_HELD));
        EXPECT_NEAR(slider->m_value, 1.0f - frame * step, 1e-5f);
    }
    // While editing, the arrows do not move the focus and the knob looks pressed.
    EXPECT_EQ(ui->Focus(), slider);
    EXPECT_EQ(VisibleOf("MasterVolumeSlider"), (std::vector<bool>{true, false, false, true}));
    // The Enter that ends the edit does not start it again.
    Press(input::key::Enter);
    EXPECT_FALSE(slider->IsActive());
    Press(input::key::Down);
    EXPECT_EQ(FocusName(), "SoundFXVolumeSlider");
}

TEST_F(Activation, TheClickThatEndsAKeyboardSliderEditDoesNotActivate) {
    Start("Menu");
    ui->ShowScreen("Sound Options");
    auto* slider =
        static_cast<SliderUIComponent*>(ui->FindComponentByObjectName("MasterVolumeSlider"));
    Press(input::key::Enter);
    ASSERT_TRUE(slider->IsActive());
    const window::Point knob = {static_cast<i32>(slider->owner->position.x + 400 * 1.25f - 1),
                                static_cast<i32>(slider->owner->position.y + 10)};
    ClickAt(knob.x, knob.y);
    EXPECT_FALSE(slider->IsActive());
    Frame();
    EXPECT_FALSE(slider->IsActive());
}

TEST_F(Activation, AMouseDragMovesTheSliderUntilTheButtonIsLetGo) {
    Start("Menu");
    ui->ShowScreen("Sound Options");
    auto* slider =
        static_cast<SliderUIComponent*>(ui->FindComponentByObjectName("MasterVolumeSlider"));
    const i32 x = static_cast<i32>(slider->owner->position.x + 400 * 1.25f - 1);
    const i32 y = static_cast<i32>(slider->owner->position.y + 10);
    ClickAt(x, y);
    ASSERT_TRUE(slider->IsActive());
    EXPECT_TRUE(slider->IsMouseActivated());
    InputState held;
    held.m_mouse_buttons[0] = INPUT_HELD;
    MoveCursor(x - 250, y + 40);
    Frame(held);
    // 250 pixels of a 500-pixel track.
    EXPECT_NEAR(slider->m_value, 0.5f, 1e-5f);
    InputState released;
    released.m_mouse_buttons[0] = INPUT_RELEASED;
    Frame(released);
    EXPECT_FALSE(slider->IsActive());
}

TEST_F(Activation, AClickedInputFieldWaitsForItsKeyUntilEnterStartsTheCapture) {
    Start("Menu");
    ui->ShowScreen("Controls Options");
    const window::Point field = CentreOf("MoveForwardInput");
    MoveCursor(field.x, field.y);
    Frame();
    EXPECT_EQ(FocusName(), "MoveForwardInput");
    EXPECT_FALSE(ui->Focus()->IsActive());
    Press(input::key::Enter);
    EXPECT_TRUE(ui->Focus()->IsActive());
}

TEST_F(Activation, ACheckBoxTogglesWhenActivated) {
    Start("Menu");
    ui->ShowScreen("Graphics Options");
    auto* box = static_cast<CheckBoxUIComponent*>(ui->FindComponentByObjectName("ShadowsCheckBox"));
    const window::Point at = CentreOf("ShadowsCheckBox");
    ClickAt(at.x, at.y);
    EXPECT_TRUE(box->m_checked);
    Press(input::key::Enter);
    EXPECT_FALSE(box->m_checked);
}

// ---- The menu's buttons ------------------------------------------------------------------

class MenuRows : public UIFixture {
  protected:
    void Click(const std::string& screen, const std::string& element) {
        ui->ShowScreen(screen);
        Frame();
        const window::Point at = CentreOf(element);
        ClickAt(at.x, at.y);
    }
    // The last message the Game got, with its text.
    std::string LastSwitch() const {
        for (auto it = game.received.rbegin(); it != game.received.rend(); ++it) {
            if (it->message->type == MSG_GAME_SWITCH_STATE) {
                return *it->message->Payload<std::string>();
            }
        }
        return "";
    }
    float LastExposure() const {
        for (auto it = renderer.received.rbegin(); it != renderer.received.rend(); ++it) {
            if (it->message->type == MSG_GRAPHICS_SET_EXPOSURE_VALUE) {
                return *it->message->Payload<float>();
            }
        }
        return -1.0f;
    }
};

TEST_F(MenuRows, ButtonsThatShowAScreen) {
    struct Case {
        const char* screen;
        const char* element;
        const char* shows;
        float exposure; // -1: none sent
    };
    const std::vector<Case> cases = {
        {"Main", "PlayButton", "Main Play", -1.0f},
        {"Main", "OptionsButton", "Options", -1.0f},
        {"Main", "QuitButton", "Main Quit", -1.0f},
        {"Main Play", "PlayReturnButton", "Main", -1.0f},
        {"Main Quit", "DeconfirmQuitButton", "Main", -1.0f},
        {"Options", "GraphicsOptionsButton", "Graphics Options", 0.6f},
        {"Options", "ControlsOptionsButton", "Controls Options", 0.6f},
        {"Options", "SoundOptionsButton", "Sound Options", 0.6f},
        {"Options", "HighscoreButton", "Highscore Display", 0.6f},
        {"Options", "OptionsReturnButton", "Main", -1.0f},
        {"Graphics Options", "CancelButton", "Options", 1.2f},
        {"Controls Options", "CancelButton", "Options", 1.2f},
        {"Sound Options", "CancelButton", "Options", 1.2f},
        {"Highscore Display", "CancelButton", "Options", 1.2f},
    };
    Start("Menu");
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.screen) + " / " + c.element);
        renderer.received.clear();
        Click(c.screen, c.element);
        EXPECT_EQ(ui->CurrentScreen(), c.shows);
        EXPECT_FLOAT_EQ(LastExposure(), c.exposure);
    }
}

TEST_F(MenuRows, PlayButtonsStartTheirLevelAndQuitEndsTheGame) {
    struct Case {
        const char* element;
        const char* level;
    };
    const std::string keep = LevelPath;
    Start("Menu");
    for (const Case& c : {Case{"PlayFeatureFilmButton", "./assets/levels/ubergold.lua"},
                          Case{"PlayEndlessButton", "./assets/levels/endless_mode.lua"},
                          Case{"TutorialButton", "./assets/levels/tutorial_extended.lua"}}) {
        SCOPED_TRACE(c.element);
        const std::size_t inputBefore = input.received.size();
        Click("Main Play", c.element);
        EXPECT_EQ(LevelPath, c.level);
        EXPECT_EQ(LastSwitch(), c.level);
        EXPECT_EQ(TypesFrom(input, inputBefore).back(), MSG_INPUT_SWITCH_GAME);
    }
    LevelPath = keep;

    Click("Main", "LevelEditorButton");
    EXPECT_EQ(LastSwitch(), "Level Editor");
    Click("Main Quit", "ConfirmQuitButton");
    EXPECT_EQ(game.Types().back(), MSG_GAME_QUIT);
}

TEST_F(MenuRows, FullscreenAnd3DFlipTheStoredOptionsAndTellTheRenderer) {
    const ScopedTempHome home;
    ParserProcess parser;
    options = &parser;
    Start("Menu");
    // Started fullscreen: the stored flag follows the renderer.
    EXPECT_TRUE(ParserProcess::LoadGraphicsOptions(&parser, true)->m_fullscreen);
    Click("Main", "FullscreenButton");
    ASSERT_EQ(renderer.Types().back(), MSG_GRAPHICS_FULLSCREEN_SET);
    EXPECT_FALSE(*renderer.received.back().message->Payload<bool>());
    EXPECT_FALSE(ParserProcess::LoadGraphicsOptions(&parser, false)->m_fullscreen);

    const bool threeDee = ParserProcess::LoadGraphicsOptions(&parser, true)->m_three_dee;
    for (int press = 0; press < 2; ++press) {
        SCOPED_TRACE(press);
        Click("Main", "3DButton");
        const bool now = ParserProcess::LoadGraphicsOptions(&parser, false)->m_three_dee;
        EXPECT_EQ(now, press == 0 ? !threeDee : threeDee);
        ASSERT_EQ(renderer.Types().back(), MSG_GRAPHICS_SET_THREE_DEE_SETTING);
        // The renderer is told 1 when the stored flag is off.
        EXPECT_EQ(*renderer.received.back().message->Payload<int>(), now ? 0 : 1);
    }
}

TEST_F(MenuRows, AWindowedStartTakesTheChosenResolutionAndTheFullscreenBoxFollows) {
    const i32 width = g_render_width;
    const i32 height = g_render_height;
    g_render_width = 1024;
    g_render_height = 768;
    renderer.windowed = true;
    Start("Menu");
    EXPECT_EQ(ui->WindowWidth(), 1024u);
    EXPECT_EQ(ui->WindowHeight(), 768u);
    g_render_width = width;
    g_render_height = height;

    ui->ShowScreen("Graphics Options");
    auto* box =
        static_cast<CheckBoxUIComponent*>(ui->FindComponentByObjectName("FullscreenCheckBox"));
    Message<bool> fullscreen(MSG_GRAPHICS_WINDOWED, false);
    renderer.SendMessage(&fullscreen, UIProcess::kHandlerId);
    EXPECT_TRUE(box->m_checked);
    EXPECT_EQ(ui->WindowWidth(), 1280u);
    Message<bool> windowed(MSG_GRAPHICS_WINDOWED, true);
    renderer.SendMessage(&windowed, UIProcess::kHandlerId);
    EXPECT_FALSE(box->m_checked);
}

TEST_F(MenuRows, PageButtonsWithoutPagesLeaveTheScreen) {
    Start("Menu");
    for (const char* page : {"Graphics Options", "Controls Options", "Sound Options"}) {
        for (const char* element : {"ApplyButton", "DefaultButton"}) {
            SCOPED_TRACE(std::string(page) + " / " + element);
            Click(page, element);
            EXPECT_EQ(ui->CurrentScreen(), page);
        }
    }
}

// ---- The pause menu ----------------------------------------------------------------------

class Pause : public UIFixture {
  protected:
    void Trigger(bool howToPlay = false) {
        Message<bool> msg(MSG_PAUSE_TRIGGER, howToPlay);
        input.SendMessage(&msg, UIProcess::kHandlerId);
    }
    // The log without the object requests to the state and the text messages.
    std::vector<Delivery> Sequence(std::size_t from) const {
        std::vector<Delivery> out;
        for (std::size_t i = from; i < log.size(); ++i) {
            const u32 t = log[i].type;
            if (t != MSG_LEVEL_CREATE_OBJECT && t != MSG_LEVEL_DELETE_OBJECT &&
                t != MSG_GRAPHICS_DISPLAY_GRAPHICS_TEXT &&
                t != MSG_GRAPHICS_UNDISPLAY_GRAPHICS_TEXT) {
                out.push_back(log[i]);
            }
        }
        return out;
    }
};

TEST_F(Pause, PausingAndResumingSendTheirMessagesInOrder) {
    Start("Level", 6);
    std::size_t from = log.size();
    Trigger();
    EXPECT_TRUE(ui->IsPaused());
    EXPECT_EQ(ui->CurrentScreen(), "In-Game");
    EXPECT_EQ(FocusName(), "ReturnToGameButton");
    const std::vector<Delivery> paused = {
        {6, MSG_LEVEL_UNPAUSE_PROCESSES},
        {6, MSG_LEVEL_PAUSE_PROCESSES},
        {3, MSG_INPUT_SWITCH_PAUSE},
        {0, MSG_GAME_DT_MODIFIER},
        {17, MSG_BUILDING_OBJECTIVE_IN_MENU},
        {12, MSG_BUILDING_OBJECTIVE_IN_MENU},
        {2, MSG_SOUND_MUTE_GROUP},
        {2, MSG_SOUND_MUTE_GROUP},
        {1, MSG_GRAPHICS_GET_EXPOSURE_VALUE},
        {16, MSG_PAUSE_MUSIC},
    };
    EXPECT_EQ(Sequence(from), paused);
    EXPECT_EQ(*sound.received[0].message->Payload<u32>(), 0u);
    EXPECT_EQ(*sound.received[1].message->Payload<u32>(), 1u);
    EXPECT_FLOAT_EQ(*game.received.back().message->Payload<float>(), 0.0f);

    from = log.size();
    Trigger();
    EXPECT_FALSE(ui->IsPaused());
    const std::vector<Delivery> resumed = {
        {6, MSG_LEVEL_UNPAUSE_PROCESSES},
        {3, MSG_INPUT_SWITCH_GAME},
        {0, MSG_GAME_DT_MODIFIER},
        {17, MSG_BUILDING_OBJECTIVE_IN_GAME},
        {12, MSG_BUILDING_OBJECTIVE_IN_GAME},
        {2, MSG_SOUND_UNMUTE_GROUP},
        {2, MSG_SOUND_UNMUTE_GROUP},
        {1, MSG_GRAPHICS_SET_EXPOSURE_VALUE},
        {16, MSG_UNPAUSE_MUSIC},
    };
    EXPECT_EQ(Sequence(from), resumed);
    // The exposure the renderer reported when the pause began comes back.
    EXPECT_FLOAT_EQ(*renderer.received.back().message->Payload<float>(), 0.9f);
    EXPECT_TRUE(ui->ScreenObjects().empty());
    EXPECT_TRUE(state->objects.empty());
}

TEST_F(Pause, F1OpensTheControlsPageAndTheFrameAfterAPauseTakesNoInput) {
    Start("Level", 6);
    Trigger(true);
    EXPECT_EQ(ui->CurrentScreen(), "Controls Options");
    EXPECT_EQ(FocusName(), "InvertYAxisCheckBox");
    // The key that paused is not seen by the new screen.
    Press(input::key::Down);
    EXPECT_EQ(FocusName(), "InvertYAxisCheckBox");
}

TEST_F(Pause, TriggersOutsideALevelAreIgnored) {
    Start("Menu");
    Trigger();
    EXPECT_FALSE(ui->IsPaused());
    EXPECT_EQ(ui->CurrentScreen(), "Main");
}

TEST_F(Pause, TriggersOnTheControlsAndScoreEntryScreensAreIgnored) {
    Start("Level", 6);
    for (const char* screen : {"Display Controls", "Highscore"}) {
        SCOPED_TRACE(screen);
        ui->ShowScreen(screen);
        const std::size_t from = log.size();
        Trigger();
        EXPECT_FALSE(ui->IsPaused());
        EXPECT_TRUE(Sequence(from).empty());
    }
}

TEST_F(Pause, TheInGameButtons) {
    Start("Level", 6);
    Trigger();
    Frame();
    // Down and Return on MAIN MENU leave for the menu at normal speed.
    Press(input::key::Down);
    EXPECT_EQ(FocusName(), "ReturnToMenuButton");
    const std::size_t from = game.received.size();
    Press(input::key::Enter);
    ASSERT_EQ(TypesFrom(game, from),
              (std::vector<u32>{MSG_GAME_DT_MODIFIER, MSG_GAME_SWITCH_STATE}));
    EXPECT_FLOAT_EQ(*game.received[from].message->Payload<float>(), 1.0f);
    EXPECT_EQ(*game.received[from + 1].message->Payload<std::string>(), "Menu");

    struct Case {
        const char* screen;
        const char* element;
        const char* shows;
    };
    for (const Case& c : {Case{"In-Game", "QuitButton", "In-Game Quit"},
                          Case{"In-Game Quit", "DeconfirmQuitButton", "In-Game"},
                          Case{"In-Game", "OptionsButton", "Options"},
                          Case{"Options", "OptionsReturnButton", "In-Game"},
                          Case{"In-Game", "HowToPlayButton", "Controls Options"},
                          Case{"Options", "SoundOptionsButton", "Sound Options"},
                          Case{"Sound Options", "CancelButton", "Options"}}) {
        SCOPED_TRACE(std::string(c.screen) + " / " + c.element);
        ui->ShowScreen(c.screen);
        Frame();
        const window::Point at = CentreOf(c.element);
        ClickAt(at.x, at.y);
        EXPECT_EQ(ui->CurrentScreen(), c.shows);
    }
    // The return button closes the pause menu through the pause trigger.
    ui->ShowScreen("In-Game");
    Press(input::key::Enter);
    EXPECT_FALSE(ui->IsPaused());
}

TEST_F(Pause, TheDisplayedControlsGoBackToThePauseMenuOnAnyKey) {
    Start("Level", 6);
    Trigger();
    ui->ShowScreen("Display Controls");
    Frame();
    Press(input::key::Space);
    EXPECT_EQ(ui->CurrentScreen(), "In-Game");
}

// ---- Intro and credits -------------------------------------------------------------------

struct IntroStep {
    const char* state;
    const char* next; // null: the chosen level
};

class IntroSteps : public UIFixture, public ::testing::WithParamInterface<IntroStep> {};

TEST_P(IntroSteps, LogoScreensMoveOnWhenAnyKeyOrButtonIsPressed) {
    const IntroStep step = GetParam();
    const std::string next = step.next != nullptr ? step.next : LevelPath;
    Start(step.state);
    Frame(Keys({input::key::A}, INPUT_HELD));
    EXPECT_TRUE(game.received.empty() || game.Types().back() != MSG_GAME_SWITCH_STATE);
    InputState click;
    click.m_mouse_buttons[1] = INPUT_PRESSED;
    Frame(click);
    ASSERT_EQ(game.Types().back(), MSG_GAME_SWITCH_STATE);
    EXPECT_EQ(*game.received.back().message->Payload<std::string>(), next);
    // The intro screens ask for the keys themselves.
    EXPECT_EQ(input.Types().back(), MSG_INPUT_GET_INPUT_STATE);
}

INSTANTIATE_TEST_SUITE_P(
    Intro, IntroSteps,
    ::testing::Values(IntroStep{"Vantrel", "Team Logo"}, IntroStep{"Team Logo", "Physx Logo"},
                      IntroStep{"Physx Logo", "Logo"}, IntroStep{"Logo", "Loading Screen"},
                      IntroStep{"Credits", "Menu"}, IntroStep{"Controls", nullptr}));

class Intro : public UIFixture {};

TEST(Credits, TheMusicFadesOutBetweenThirtyAndThirtyTwoSeconds) {
    struct Case {
        float seconds;
        float volume;
    };
    for (const Case c : {Case{0.0f, 0.8f}, Case{29.9f, 0.8f}, Case{30.0f, 0.8f}, Case{31.0f, 0.4f},
                         Case{32.0f, 0.0f}, Case{40.0f, 0.0f}}) {
        EXPECT_NEAR(UIProcess::CreditsMusicVolume(c.seconds), c.volume, 1e-6f) << c.seconds;
    }
}

TEST_F(Intro, TheCreditsAskForTheirMusic) {
    Start("Credits");
    ASSERT_FALSE(sound.received.empty());
    EXPECT_EQ(sound.received[0].message->type, MSG_GET_SOUND_STREAM_INSTANCE);
    EXPECT_EQ(*sound.received[0].message->Payload<std::string>(),
              "./assets/music/credits_music.mp3");
}

} // namespace
