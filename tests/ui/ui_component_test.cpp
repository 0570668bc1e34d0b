// The widgets on their own screens: where they sit, what they show, what the mouse hits,
// and the texts they put on screen.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui_fixture.h"

namespace {

using ui_fixture::UIFixture;

class Widgets : public UIFixture {};

class ScreenSizes : public UIFixture, public ::testing::WithParamInterface<i32> {};

TEST_P(ScreenSizes, ButtonsSitInTheUsableAreaCentredOnTheTallScreen) {
    const i32 height = GetParam();
    // Taller than 16:10, the usable 800 rows are centred: (1024 - 800) / 2 = 112 below.
    const float top = height == 1024 ? 112.0f : 0.0f;
    Start("Menu", 22, 1280, height);
    UIComponent* play = ui->FindComponentByObjectName("PlayButton");
    ASSERT_NE(play, nullptr);
    // Centre (0.87, row 2) less half the 200 x 50 box at 1.25 pixels a unit.
    EXPECT_FLOAT_EQ(play->owner->position.x, 0.87f * 1280.0f - 125.0f);
    EXPECT_FLOAT_EQ(play->owner->position.y, 0.51109374f * 800.0f - 31.25f + top);
    EXPECT_TRUE(play->owner->positionChanged);
    for (const ui_fixture::SpriteFields& sprite : SpritesOf("PlayButton")) {
        EXPECT_FLOAT_EQ(sprite.sizeX, 1.25f);
        EXPECT_FLOAT_EQ(sprite.sizeY, 1.25f);
    }
}

INSTANTIATE_TEST_SUITE_P(Widgets, ScreenSizes, ::testing::Values(800, 1024));

TEST_F(Widgets, HitTestsTakeTheBoxOfButtonsAndOnlyTheKnobOfSliders) {
    Start("Menu");
    ui->ShowScreen("Graphics Options");
    ui->ShowElement("PlayButton");
    Frame();
    // The button's box runs from (988.6, 377.625) for 250 x 62.5 pixels.
    // The slider's track starts at (771, 65); its knob (value 1) spans x 1006 .. 1036 and
    // y 65 .. 95.
    struct Case {
        const char* name;
        i32 x, y;
        bool hit;
    };
    const std::vector<Case> cases = {
        {"PlayButton", 989, 378, true},       {"PlayButton", 988, 378, false},
        {"PlayButton", 1238, 440, true},      {"PlayButton", 1239, 440, false},
        {"PlayButton", 1000, 441, false},     {"ResolutionSlider", 1020, 80, true},
        {"ResolutionSlider", 1006, 65, true}, {"ResolutionSlider", 1036, 95, true},
        {"ResolutionSlider", 800, 80, false}, {"ResolutionSlider", 1037, 80, false},
        {"ResolutionText", 0, 0, false},      {"ResolutionText", 300, 80, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.x) + "," + std::to_string(c.y));
        UIComponent* widget = ui->FindComponentByObjectName(c.name);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->HitTest(c.x, c.y), c.hit);
    }
    // With the knob at the left end, the left end is what the mouse finds.
    auto* slider =
        static_cast<SliderUIComponent*>(ui->FindComponentByObjectName("ResolutionSlider"));
    slider->m_value = 0.0f;
    EXPECT_TRUE(slider->HitTest(771, 80));
    EXPECT_FALSE(slider->HitTest(1020, 80));
}

TEST_F(Widgets, LooksShowTheNormalSpritesAndTheFocusedWidgetHighlighted) {
    Start("Menu");
    ui->ShowScreen("Graphics Options");
    ui->ShowElement("MoveForwardInput");
    Frame();
    struct Case {
        const char* name;
        std::vector<bool> normal;
        std::vector<bool> highlighted;
    };
    const std::vector<Case> cases = {
        {"ApplyButton", {true, false}, {false, true}},
        {"ShadowsCheckBox", {true, false, false, false}, {false, true, false, false}},
        {"ResolutionSlider", {true, true, false, false}, {true, false, true, false}},
        {"MoveForwardInput", {true, false, false}, {false, true, false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        UIComponent* widget = ui->FindComponentByObjectName(c.name);
        widget->Update(0.0f);
        EXPECT_EQ(VisibleOf(c.name), c.normal);
        widget->ShowHighlight();
        EXPECT_EQ(VisibleOf(c.name), c.highlighted);
    }
    // While edited the slider's knob and the input field show their pressed look.
    UIComponent* slider = ui->FindComponentByObjectName("ResolutionSlider");
    slider->Activate(false);
    slider->ShowHighlight();
    EXPECT_EQ(VisibleOf("ResolutionSlider"), (std::vector<bool>{true, false, false, true}));
    auto* input = ui->FindComponentByObjectName("MoveForwardInput");
    input->Activate(false);
    input->ShowHighlight();
    EXPECT_EQ(VisibleOf("MoveForwardInput"), (std::vector<bool>{false, false, true}));

    // A frame leaves exactly the focused widget highlighted.
    Frame();
    EXPECT_EQ(FocusName(), "ResolutionSlider");
    EXPECT_EQ(VisibleOf("ApplyButton"), (std::vector<bool>{true, false}));
}

TEST_F(Widgets, ACheckBoxToggledTwiceIsBackToItsFirstLook) {
    Start("Menu");
    ui->ShowScreen("Graphics Options");
    auto* box = static_cast<CheckBoxUIComponent*>(ui->FindComponentByObjectName("ShadowsCheckBox"));
    box->Update(0.0f);
    const std::vector<bool> first = VisibleOf("ShadowsCheckBox");
    box->Toggle();
    EXPECT_TRUE(box->m_checked);
    // Toggling shows the highlighted checked look at once.
    EXPECT_EQ(VisibleOf("ShadowsCheckBox"), (std::vector<bool>{false, false, false, true}));
    box->Update(0.0f);
    EXPECT_EQ(VisibleOf("ShadowsCheckBox"), (std::vector<bool>{false, false, true, false}));
    box->Toggle();
    EXPECT_FALSE(box->m_checked);
    box->Update(0.0f);
    EXPECT_EQ(VisibleOf("ShadowsCheckBox"), first);
}

TEST_F(Widgets, SliderKnobFollowsTheValueAndStepsSnap) {
    Start("Menu");
    ui->ShowScreen("Graphics Options");
    auto* slider =
        static_cast<SliderUIComponent*>(ui->FindComponentByObjectName("ResolutionSlider"));
    // Six positions are five intervals.
    EXPECT_EQ(slider->m_steps, 5);
    EXPECT_EQ(slider->GetStep(), 5);
    slider->SetStep(2);
    EXPECT_FLOAT_EQ(slider->m_value, 0.4f);
    slider->m_value = 0.33f;
    slider->Snap();
    EXPECT_FLOAT_EQ(slider->m_value, 0.4f);
    slider->Update(0.0f);
    const std::vector<ui_fixture::SpriteFields> sprites = SpritesOf("ResolutionSlider");
    ASSERT_EQ(sprites.size(), 4u);
    EXPECT_FLOAT_EQ(sprites[0].offsetX, 0.0f);
    for (int knob = 1; knob < 4; ++knob) {
        EXPECT_FLOAT_EQ(sprites[knob].offsetX, (0.4f * 200.0f - 12.0f) * 1.25f);
    }

    // A mouse drag over the track moves the value; pushed past the end it waits for the way
    // back before it moves again.
    slider->Activate(true);
    slider->BeginDrag(0, 0);
    slider->Drag(50, 0); // 50 pixels = 0.2 of the 250-pixel track
    EXPECT_FLOAT_EQ(slider->m_value, 0.6f);
    slider->Drag(500, 0);
    EXPECT_FLOAT_EQ(slider->m_value, 1.0f);
    slider->Drag(450, 0);
    EXPECT_FLOAT_EQ(slider->m_value, 1.0f);
    // Keyboard speed: x × 0.001 × s × 125 / 200 × (10 / 5) a step.
    slider->Activate(false);
    slider->m_value = 0.4f;
    slider->Drag(0, 0);
    slider->Drag(-80, 0); // -0.125, snapped to the next position down
    EXPECT_FLOAT_EQ(slider->m_value, 0.2f);
}

TEST_F(Widgets, AnInputFieldShrinksALongTextToItsBox) {
    Start("Menu");
    ui->ShowElement("HighscoreInput");
    Frame();
    auto* input = static_cast<InputUIComponent*>(ui->FindComponentByObjectName("HighscoreInput"));
    // Box 150 × 1.4 = 210 units; letters 64 × 0.6 = 38.4 units: six fit, fourteen do not.
    input->SetText("ABCDEFGHIJKLMN");
    input->Layout();
    const TextGraphicStruct& g = input->m_textGraphic;
    const float s = 1.25f;
    EXPECT_NEAR(g.bottomRight[0] - g.topLeft[0], 210.0f * s, 0.01f);
    EXPECT_NEAR((g.topLeft[0] + g.bottomRight[0]) * 0.5f, 0.325f * 1280.0f, 0.01f);
    input->SetText("AB");
    input->Layout();
    EXPECT_NEAR(input->m_textGraphic.bottomRight[0] - input->m_textGraphic.topLeft[0],
                2.0f * 38.4f * s, 0.01f);
}

// ---- Texts -------------------------------------------------------------------------------

class Texts : public UIFixture {
  protected:
    std::size_t Count(u32 type) const {
        std::size_t n = 0;
        for (const auto& r : renderer.received) {
            n += r.message->type == type ? 1 : 0;
        }
        return n;
    }
};

TEST_F(Texts, EachTextWidgetShowsItsTextOnceAndIsLaidOutInPixels) {
    Start("Level", 6);
    ui->ShowScreen("Highscore Display");
    Frame();
    Frame();
    EXPECT_EQ(Count(MSG_GRAPHICS_DISPLAY_GRAPHICS_TEXT), 20u);
    EXPECT_EQ(Count(MSG_GRAPHICS_UNDISPLAY_GRAPHICS_TEXT), 0u);

    ui->ShowElement("ScoreText");
    Frame();
    auto* score = static_cast<TextUIComponent*>(ui->FindComponentByObjectName("ScoreText"));
    ASSERT_NE(score, nullptr);
    const auto& display = renderer.received.back();
    EXPECT_EQ(display.message->type, MSG_GRAPHICS_DISPLAY_GRAPHICS_TEXT);
    EXPECT_EQ(display.fromId, score->owner->id);
    EXPECT_EQ(*display.message->Payload<TextGraphicStruct*>(), &score->m_textGraphic);
    // Half a letter left of its place, one letter high: 64 × 0.5 × 1.25 by 64 × 0.625 × 1.25.
    score->SetText("123");
    score->Update(0.0f);
    EXPECT_FLOAT_EQ(score->m_textGraphic.topLeft[0], 0.025f * 1280.0f - 20.0f);
    EXPECT_FLOAT_EQ(score->m_textGraphic.topLeft[1], 0.05f * 800.0f - 25.0f);
    EXPECT_FLOAT_EQ(score->m_textGraphic.bottomRight[0], 0.025f * 1280.0f - 20.0f + 3 * 40.0f);
    EXPECT_FLOAT_EQ(score->m_textGraphic.bottomRight[1], 0.05f * 800.0f + 25.0f);
    ASSERT_FALSE(graphics.layouts.empty());
    EXPECT_EQ(graphics.layouts.back().text, score->m_textGraphic.textGraphic);
    EXPECT_STREQ(score->m_textGraphic.text, "123");
}

TEST_F(Texts, ANewScoreWithdrawsTheOldTextBeforeShowingTheNewOne) {
    Start("Level", 6);
    ui->ShowElement("ScoreText");
    Frame();
    auto* score = static_cast<TextUIComponent*>(ui->FindComponentByObjectName("ScoreText"));
    TextGraphic* old = score->m_textGraphic.textGraphic;
    ASSERT_NE(old, nullptr);
    const std::size_t before = renderer.received.size();
    Message<std::string> count(MSG_BUILDING_COUNT, "BUILDINGS 12");
    game.SendMessage(&count, UIProcess::kHandlerId);
    ASSERT_EQ(TypesFrom(renderer, before), (std::vector<u32>{MSG_GRAPHICS_UNDISPLAY_GRAPHICS_TEXT,
                                                             MSG_GRAPHICS_DISPLAY_GRAPHICS_TEXT}));
    EXPECT_EQ(*renderer.received[before].message->Payload<TextGraphic*>(), old);
    EXPECT_EQ(score->m_text, "BUILDINGS 12");
}

TEST_F(Texts, ATextSetBeforeItsWidgetIsPlacedIsShownOnceAndWithdrawnWithIt) {
    Start("Level", 6);
    ui->ShowElement("ScoreText");
    // The score arrives in the frame the widget appears, before it is placed.
    Message<std::string> count(MSG_BUILDING_COUNT, "7");
    game.SendMessage(&count, UIProcess::kHandlerId);
    EXPECT_EQ(Count(MSG_GRAPHICS_DISPLAY_GRAPHICS_TEXT), 1u);
    EXPECT_EQ(Count(MSG_GRAPHICS_UNDISPLAY_GRAPHICS_TEXT), 0u);
    Frame();
    Frame();
    EXPECT_EQ(Count(MSG_GRAPHICS_DISPLAY_GRAPHICS_TEXT), 1u);
    // Deleting the object takes its one text off the screen.
    ui->HideScreen();
    EXPECT_EQ(Count(MSG_GRAPHICS_UNDISPLAY_GRAPHICS_TEXT), 1u);
}

TEST_F(Texts, AWidgetOfANameNoTableListsStaysAtTheDefaults) {
    Start("Menu");
    ui->ShowElement("MysteryButton");
    Frame();
    UIComponent* widget = ui->FindComponentByObjectName("MysteryButton");
    ASSERT_NE(widget, nullptr);
    EXPECT_EQ(widget->m_position, Vector(0.0f, 0.0f, 0.0f));
    EXPECT_FLOAT_EQ(widget->m_width, 200.0f);
    EXPECT_FLOAT_EQ(widget->m_height, 50.0f);
}

} // namespace
