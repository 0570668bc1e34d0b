// The option pages over stored options in a temporary save folder: what Show puts into the
// widgets, what Apply stores and tells the renderer and the sound, what Default resets; the
// key capture of the binding fields; the high-score table and the name entry after a game.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "content/parser_process.h"
#include "game/shell_globals.h"
#include "platform/input/keys.h"
#include "support/scoped_temp_home.h"
#include "ui/option_pages.h"
#include "ui_fixture.h"

namespace {

using ui_fixture::Delivery;
using ui_fixture::UIFixture;

TEST(FormatMoney, GroupsDollarsAndCutsCents) {
    struct Case {
        f64 value;
        const char* text;
    };
    for (const Case& c :
         {Case{1234567.891, "$1,234,567.89"}, Case{1000.0, "$1,000.00"}, Case{0.5, "$0.50"},
          Case{1000000.0, "$1,000,000.00"}, Case{2.999, "$2.99"}, Case{2.30, "$2.30"},
          Case{0.29, "$0.29"}, Case{3e9, "$3,000,000,000.00"}, Case{12345.67, "$12,345.67"},
          Case{0.0, "$0.00"}}) {
        EXPECT_EQ(FormatMoney(c.value), c.text) << c.value;
    }
}

class OptionPages : public UIFixture {
  protected:
    void SetUp() override {
        options = &parser;
        savedWidth = g_render_width;
        savedHeight = g_render_height;
    }
    void TearDown() override {
        g_render_width = savedWidth;
        g_render_height = savedHeight;
        UIFixture::TearDown();
    }

    template <class T> T* Widget(const std::string& name) {
        auto* widget = dynamic_cast<T*>(ui->FindComponentByObjectName(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    std::string Text(const std::string& name) {
        auto* text = Widget<TextUIComponent>(name);
        return text != nullptr ? text->m_text : "";
    }
    // Opens a page from the "Options" screen with the keyboard-free path of a click.
    void Open(const std::string& button) {
        ui->ShowScreen("Options");
        Frame();
        const window::Point at = CentreOf(button);
        ClickAt(at.x, at.y);
    }
    void Click(const std::string& element) {
        Frame();
        const window::Point at = CentreOf(element);
        ClickAt(at.x, at.y);
    }
    const ScopedTempHome home;
    ParserProcess parser;
    i32 savedWidth = 0;
    i32 savedHeight = 0;
};

TEST_F(OptionPages, TheSoundPageShowsAppliesAndResetsTheVolumes) {
    SoundOptions* stored = ParserProcess::LoadSoundOptions(&parser, true);
    stored->m_master_volume = 0.25f;
    stored->m_sound_fx_volume = 0.75f;
    stored->m_music_volume = 0.5f;
    Start("Menu");
    Open("SoundOptionsButton");
    ASSERT_EQ(ui->CurrentScreen(), "Sound Options");
    EXPECT_FLOAT_EQ(Widget<SliderUIComponent>("MasterVolumeSlider")->m_value, 0.25f);
    EXPECT_EQ(Text("MasterVolumeOutputText"), "25%");
    EXPECT_EQ(Text("SoundFXVolumeOutputText"), "75%");
    EXPECT_EQ(Text("MusicVolumeOutputText"), "50%");

    const std::size_t before = sound.received.size();
    Click("DefaultButton");
    EXPECT_EQ(sound.received.size(), before);
    EXPECT_EQ(Text("MasterVolumeOutputText"), "100%");
    EXPECT_EQ(Text("SoundFXVolumeOutputText"), "50%");
    EXPECT_FLOAT_EQ(ParserProcess::LoadSoundOptions(&parser, true)->m_master_volume, 0.25f);

    Widget<SliderUIComponent>("MasterVolumeSlider")->m_value = 0.4f;
    Click("ApplyButton");
    const std::vector<u32> sent = TypesFrom(sound, before);
    ASSERT_EQ(sent, (std::vector<u32>{MSG_SOUND_SET_MASTER_VOLUME, MSG_SOUND_SET_GROUP_VOLUME,
                                      MSG_SOUND_SET_GROUP_VOLUME}));
    EXPECT_FLOAT_EQ(*sound.received[before].message->Payload<f32>(), 0.4f);
    using Group = std::pair<u32, f32>;
    EXPECT_EQ(*sound.received[before + 1].message->Payload<Group>(), Group(0u, 0.5f));
    EXPECT_EQ(*sound.received[before + 2].message->Payload<Group>(), Group(1u, 1.0f));
    ParserProcess again;
    const SoundOptions* saved = ParserProcess::LoadSoundOptions(&again, true);
    EXPECT_FLOAT_EQ(saved->m_master_volume, 0.4f);
    EXPECT_FLOAT_EQ(saved->m_sound_fx_volume, 0.5f);
    EXPECT_FLOAT_EQ(saved->m_music_volume, 1.0f);
}

TEST_F(OptionPages, AVolumeSavedInOneRunIsShownInTheNext) {
    {
        ParserProcess earlier;
        ParserProcess::LoadSoundOptions(&earlier, true)->m_master_volume = 0.7f;
        ASSERT_TRUE(ParserProcess::SaveSoundOptions(&earlier));
    }
    Start("Menu");
    Open("SoundOptionsButton");
    EXPECT_EQ(Text("MasterVolumeOutputText"), "70%");
}

TEST_F(OptionPages, TheControlsPageShowsBindingsAndStoresTheDefaultsOnApply) {
    KeyBindings* stored = ParserProcess::LoadKeyboardControls(&parser, true);
    stored->m_codes[CONTROL_FORWARD] = input::key::Up;
    stored->m_codes[CONTROL_PUNCH] = 258;
    stored->m_sensitivity_x = 2.5f;
    stored->m_sensitivity_y = -2.5f;
    Start("Menu");
    Open("ControlsOptionsButton");
    ASSERT_EQ(ui->CurrentScreen(), "Controls Options");
    EXPECT_EQ(Text("MoveForwardInput"), "UP");
    EXPECT_EQ(Text("PunchInput"), "MOUSE 3");
    EXPECT_FLOAT_EQ(Widget<SliderUIComponent>("SensitivitySlider")->m_value, 0.5f);
    EXPECT_EQ(Text("SensitivityOutputText"), "2.5");
    EXPECT_TRUE(Widget<CheckBoxUIComponent>("InvertYAxisCheckBox")->m_checked);
    EXPECT_FALSE(Widget<CheckBoxUIComponent>("InvertXAxisCheckBox")->m_checked);

    Click("DefaultButton");
    EXPECT_EQ(Text("MoveForwardInput"), "W");
    EXPECT_EQ(Text("GrabThrowInput"), "LEFT MOUSE");
    EXPECT_EQ(Text("SensitivityOutputText"), "1.0");
    EXPECT_FALSE(Widget<CheckBoxUIComponent>("InvertYAxisCheckBox")->m_checked);
    Widget<CheckBoxUIComponent>("InvertXAxisCheckBox")->m_checked = true;
    const std::size_t sentBefore = log.size();
    Click("ApplyButton");
    for (std::size_t i = sentBefore; i < log.size(); ++i) {
        EXPECT_NE(log[i].to, 1u) << "the controls page tells no one";
        EXPECT_NE(log[i].to, 2u);
    }

    ParserProcess again;
    const KeyBindings* saved = ParserProcess::LoadKeyboardControls(&again, true);
    EXPECT_EQ(saved->m_codes[CONTROL_FORWARD], input::key::W);
    EXPECT_EQ(saved->m_codes[CONTROL_JUMP], input::key::Space);
    EXPECT_EQ(saved->m_codes[CONTROL_PUNCH], 257u);
    EXPECT_EQ(saved->m_codes[CONTROL_ROCKET_PUNCH], 257u);
    EXPECT_EQ(saved->m_codes[CONTROL_LASER_ALT], input::key::Q);
    EXPECT_FLOAT_EQ(saved->m_sensitivity_x, -1.0f);
    EXPECT_FLOAT_EQ(saved->m_sensitivity_y, 1.0f);
}

TEST_F(OptionPages, TheGraphicsPageStepsTheResolutionDownToTheScreen) {
    GraphicsOptions* stored = ParserProcess::LoadGraphicsOptions(&parser, true);
    stored->m_resolution = 1;
    stored->m_shadow_map_size = 0;
    stored->m_shadow_map_count = 2;
    stored->m_motion_blur = false;
    g_render_width = 1024;
    g_render_height = 640;
    Start("Menu", 22, 1280, 800);
    Open("GraphicsOptionsButton");
    ASSERT_EQ(ui->CurrentScreen(), "Graphics Options");
    auto* resolution = Widget<SliderUIComponent>("ResolutionSlider");
    EXPECT_EQ(resolution->m_steps, 5);
    EXPECT_FLOAT_EQ(resolution->m_value, 0.2f);
    EXPECT_EQ(Text("ResolutionOutputText"), "1024x640");
    EXPECT_EQ(Text("ShadowMapSizeOutputText"), "LOW");
    EXPECT_EQ(Text("ShadowMapCountOutputText"), "HIGH");
    EXPECT_FALSE(Widget<CheckBoxUIComponent>("MotionBlurCheckBox")->m_checked);

    resolution->SetStep(5); // 1920x1200, wider than the screen
    const std::size_t before = renderer.received.size();
    Click("ApplyButton");
    std::vector<u32> sent;
    for (u32 type : TypesFrom(renderer, before)) {
        if (type != MSG_GRAPHICS_DISPLAY_GRAPHICS_TEXT &&
            type != MSG_GRAPHICS_UNDISPLAY_GRAPHICS_TEXT) {
            sent.push_back(type);
        }
    }
    EXPECT_EQ(sent,
              (std::vector<u32>{MSG_GRAPHICS_CHANGE_RESOLUTION, MSG_GRAPHICS_ENABLE_SHADOWS,
                                MSG_GRAPHICS_SET_MOTION_BLUR_SETTING,
                                MSG_GRAPHICS_SET_THREE_DEE_SETTING, MSG_GRAPHICS_FULLSCREEN_SET}));
    EXPECT_EQ(g_render_width, 1280);
    EXPECT_EQ(g_render_height, 800);
    EXPECT_EQ(resolution->GetStep(), 2);
    EXPECT_EQ(Text("ResolutionOutputText"), "1280x800");
    ParserProcess again;
    EXPECT_EQ(ParserProcess::LoadGraphicsOptions(&again, true)->m_resolution, 2);
    EXPECT_EQ(ParserProcess::LoadGraphicsOptions(&again, true)->m_shadow_map_count, 2);
}

TEST_F(OptionPages, TheGraphicsDefaultsLeaveTheStoredOptions) {
    Start("Menu");
    Open("GraphicsOptionsButton");
    Click("DefaultButton");
    EXPECT_EQ(Widget<SliderUIComponent>("ResolutionSlider")->GetStep(), 1);
    EXPECT_EQ(Text("ShadowMapSizeOutputText"), "HIGH");
    EXPECT_TRUE(Widget<CheckBoxUIComponent>("ShadowsCheckBox")->m_checked);
    EXPECT_FALSE(Widget<CheckBoxUIComponent>("3DCheckBox")->m_checked);
    EXPECT_TRUE(Widget<CheckBoxUIComponent>("FullscreenCheckBox")->m_checked);
}

TEST_F(OptionPages, ASliderKnowsItsStepsBeforeItIsPlaced) {
    SliderUIComponent slider("ResolutionSlider");
    EXPECT_EQ(slider.m_steps, 5);
    SliderUIComponent volume("MasterVolumeSlider");
    EXPECT_EQ(volume.m_steps, 0);
}

// ---- Key capture -------------------------------------------------------------------------

class KeyCapture : public OptionPages {
  protected:
    void StartCapture(const std::string& field) {
        Start("Menu");
        Open("ControlsOptionsButton");
        Click("DefaultButton");
        const window::Point at = CentreOf(field);
        ClickAt(at.x, at.y);
        ASSERT_EQ(FocusName(), field);
        ASSERT_TRUE(ui->Focus()->IsActive());
    }
};

TEST_F(KeyCapture, AKeyTakenByAnotherActionLeavesIt) {
    StartCapture("LaserInput");
    Press(input::key::Space);
    EXPECT_EQ(Text("LaserInput"), "SPACE");
    EXPECT_EQ(Text("JumpInput"), "");
    EXPECT_FALSE(ui->Focus()->IsActive());
}

TEST_F(KeyCapture, EscapeKeepsTheBinding) {
    StartCapture("LaserInput");
    Press(input::key::Escape);
    EXPECT_EQ(Text("LaserInput"), "E");
    EXPECT_FALSE(ui->Focus()->IsActive());
}

TEST_F(KeyCapture, AMouseButtonIsCaptured) {
    StartCapture("JumpInput");
    Frame(); // nothing pressed: still waiting
    EXPECT_TRUE(ui->Focus()->IsActive());
    InputState snapshot;
    snapshot.m_mouse_buttons[2] = INPUT_PRESSED;
    Frame(snapshot);
    EXPECT_EQ(Text("JumpInput"), "MOUSE 3");
    EXPECT_FALSE(ui->Focus()->IsActive());
}

// ---- High scores -------------------------------------------------------------------------

class EndOfPlay : public OptionPages {
  protected:
    void EndLevel(f64 score) {
        Message<f64> msg(MSG_PLAYER_XP, score);
        logic.SendMessage(&msg, UIProcess::kHandlerId);
    }
    void Type(std::initializer_list<u8> keys) {
        for (u8 key : keys) {
            Press(key);
            Frame();
        }
    }
    std::string HighscoresFile() const {
        std::ifstream in(home.SaveFolder() + "highscores.xml");
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    void Fill(std::initializer_list<f64> scores) {
        HighscoreTable* table = ParserProcess::LoadHighscores(&parser, true);
        table->m_names.clear();
        table->m_values.clear();
        for (f64 s : scores) {
            table->m_names.push_back("OLD");
            table->m_values.push_back(s);
        }
        ParserProcess::SaveHighscores(&parser);
    }
};

TEST_F(EndOfPlay, TheGameStopsTheDisplayGoesAndTheNameEntryStarts) {
    Start("Level");
    ui->ShowElement("ScoreText");
    Frame();
    const std::size_t from = log.size();
    EndLevel(12345.67);
    std::vector<Delivery> sequence;
    for (std::size_t i = from; i < log.size(); ++i) {
        const u32 t = log[i].type;
        if (t != MSG_LEVEL_CREATE_OBJECT && t != MSG_GRAPHICS_DISPLAY_GRAPHICS_TEXT &&
            t != MSG_GRAPHICS_UNDISPLAY_GRAPHICS_TEXT) {
            sequence.push_back(log[i]);
        }
    }
    const std::vector<Delivery> expected = {{22, MSG_LEVEL_UNPAUSE_PROCESSES},
                                            {22, MSG_LEVEL_PAUSE_PROCESSES},
                                            {3, MSG_INPUT_SWITCH_PAUSE},
                                            {0, MSG_GAME_DT_MODIFIER},
                                            {2, MSG_SOUND_MUTE_GROUP},
                                            {2, MSG_SOUND_MUTE_GROUP},
                                            {1, MSG_GRAPHICS_GET_EXPOSURE_VALUE},
                                            {22, MSG_LEVEL_DELETE_OBJECT},
                                            {1, MSG_GRAPHICS_SET_EXPOSURE_VALUE},
                                            {16, MSG_PAUSE_MUSIC}};
    EXPECT_EQ(sequence, expected);
    for (GameObject* object : state->objects) {
        EXPECT_NE(object->name, "ScoreText");
    }
    EXPECT_EQ(ui->CurrentScreen(), "Highscore");
    EXPECT_TRUE(ui->IsPaused());
    EXPECT_EQ(Text("HighscoreText"), "$12,345.67");
    EXPECT_EQ(Text("HighscoreName1Text"), "VAN");
    EXPECT_EQ(FocusName(), "HighscoreInput");
    EXPECT_TRUE(ui->Focus()->IsActive());

    // A pause trigger now changes nothing.
    Message<bool> pause(MSG_PAUSE_TRIGGER, false);
    input.SendMessage(&pause, UIProcess::kHandlerId);
    EXPECT_EQ(ui->CurrentScreen(), "Highscore");
    EXPECT_TRUE(ui->IsPaused());
}

TEST_F(EndOfPlay, ThreeCharactersEndTheEntryAndTheScoreIsSaved) {
    Fill({20000.0, 100.0});
    Start("Level");
    EndLevel(12345.67);
    Frame();
    Type({input::key::A, input::key::Digit7, input::key::Space, input::key::C});
    EXPECT_EQ(Text("HighscoreInput"), "A7C");
    const std::string file = HighscoresFile();
    EXPECT_NE(file.find("A7C"), std::string::npos) << file;
    EXPECT_NE(file.find("12345.67"), std::string::npos) << file;
    ASSERT_GE(game.received.size(), 2u);
    EXPECT_EQ(game.Types()[game.Types().size() - 2], MSG_GAME_DT_MODIFIER);
    EXPECT_EQ(game.Types().back(), MSG_GAME_SWITCH_STATE);
    EXPECT_EQ(*game.received.back().message->Payload<std::string>(), "Menu");
    // The entry happens once.
    Press(input::key::Enter);
    Type({input::key::X, input::key::Y, input::key::Z});
    ParserProcess again;
    const HighscoreTable* table = ParserProcess::LoadHighscores(&again, true);
    EXPECT_EQ(std::count(table->m_names.begin(), table->m_names.end(), "A7C"), 1);
    EXPECT_EQ(std::count(table->m_names.begin(), table->m_names.end(), "XYZ"), 0);
}

TEST_F(EndOfPlay, AltEnterDoesNotEndTheEntryButEnterDoes) {
    Fill({300.0, 200.0, 100.0});
    Start("Level");
    EndLevel(250.0);
    Frame();
    Type({input::key::B});
    Frame(Keys({input::key::Enter, input::key::LeftAlt}));
    EXPECT_TRUE(ui->Focus()->IsActive());
    EXPECT_EQ(Text("HighscoreInput"), "B");
    Frame();
    Press(input::key::Enter);
    EXPECT_FALSE(ui->Focus()->IsActive());
    ParserProcess again;
    const HighscoreTable* table = ParserProcess::LoadHighscores(&again, true);
    EXPECT_EQ(table->m_names, (std::vector<std::string>{"OLD", "B", "OLD", "OLD"}));
    EXPECT_EQ(table->m_values, (std::vector<f64>{300.0, 250.0, 200.0, 100.0}));
}

TEST_F(EndOfPlay, AFullTableKeepsTenAndTakesNoScoreEqualToItsLowest) {
    Fill({10, 9, 8, 7, 6, 5, 4, 3, 2, 1});
    Start("Level");
    EndLevel(1.0);
    Frame();
    Type({input::key::L, input::key::O, input::key::W});
    {
        ParserProcess again;
        EXPECT_EQ(ParserProcess::LoadHighscores(&again, true)->m_values.back(), 1.0);
        EXPECT_EQ(ParserProcess::LoadHighscores(&again, true)->m_names.back(), "OLD");
    }
}

TEST_F(EndOfPlay, ALowScoreFillsAFreePlaceAtTheEnd) {
    Fill({10, 9});
    Start("Level");
    EndLevel(0.5);
    Frame();
    Type({input::key::L, input::key::O, input::key::W});
    ParserProcess again;
    const HighscoreTable* table = ParserProcess::LoadHighscores(&again, true);
    EXPECT_EQ(table->m_names, (std::vector<std::string>{"OLD", "OLD", "LOW"}));
}

TEST_F(EndOfPlay, AHighScoreGoesBeforeTheFirstSmallerOneAndTenAreKept) {
    Fill({10, 9, 8, 7, 6, 5, 4, 3, 2, 1});
    Start("Level");
    EndLevel(7.5);
    Frame();
    Type({input::key::N, input::key::E, input::key::W});
    ParserProcess again;
    const HighscoreTable* table = ParserProcess::LoadHighscores(&again, true);
    ASSERT_EQ(table->m_values.size(), 10u);
    EXPECT_EQ(table->m_names[3], "NEW");
    EXPECT_EQ(table->m_values[3], 7.5);
    EXPECT_EQ(table->m_values.back(), 2.0);
}

TEST_F(OptionPages, TheHighscoreDisplayShowsNamesAndMoney) {
    Start("Menu");
    Open("HighscoreButton");
    ASSERT_EQ(ui->CurrentScreen(), "Highscore Display");
    EXPECT_EQ(Text("HighscoreName1Text"), "VAN");
    EXPECT_EQ(Text("HighscoreValue1Text"), "$20,000,000.00");
    EXPECT_EQ(Text("HighscoreValue10Text"), "$39,062.50");
}

} // namespace
