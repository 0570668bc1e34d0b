#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/message.h"
#include "core/message_router.h"
#include "game/input_state.h"
#include "platform/input/keys.h"
#include "support/component_fixture.h"
#include "ui/ui_component.h"
#include "ui/ui_process.h"

namespace {

using component_fixture::ComponentStream;
using component_fixture::MessageRecorder;

template <class T> bool Is(Component* c) {
    return dynamic_cast<T*>(c) != nullptr;
}

TEST(UIProcess, CreatesTheWidgetOfEachUIComponentType) {
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
    }
    // A plain element is not mistaken for a widget.
    StreamMap element = ComponentStream("Panel", "UIElement");
    EXPECT_FALSE(Is<ButtonUIComponent>(ui.CreateComponent(&element)));
    for (const char* other : {"UIDropDown", "Graphic", "SoundPlayer", "Invalid"}) {
        StreamMap stream = ComponentStream("MenuButton", other);
        EXPECT_EQ(ui.CreateComponent(&stream), nullptr) << other;
    }
    EXPECT_EQ(ui.Components().Size(), cases.size() + 1);
}

// The Game's router with the Game (0) and InputControls (3), and below it a state's router
// with the state and its UIProcess.
class UIProcessRouting : public ::testing::Test {
  protected:
    void Start(const std::string& screen, u32 stateId) {
        ui = std::make_unique<UIProcess>(screen, stateId, nullptr);
        game.Bind(&root, 0);
        input.Bind(&root, 3);
        stateRouter.AttachToParent();
        state.Bind(&stateRouter, stateId);
        ui->Bind(&stateRouter, UIProcess::kHandlerId);
    }

    void Key(u8 key, i32 action = INPUT_PRESSED) {
        InputState snapshot;
        snapshot.m_ui = 1;
        snapshot.m_keys[key] = action;
        Message<InputState> msg(MSG_MENU_INPUT, snapshot);
        input.SendMessage(&msg, UIProcess::kHandlerId);
    }

    void PauseTrigger(bool f1) {
        Message<bool> msg(MSG_PAUSE_TRIGGER, f1);
        input.SendMessage(&msg, UIProcess::kHandlerId);
    }

    MessageRouter root;
    MessageRouter stateRouter{&root};
    MessageRecorder game;
    MessageRecorder input;
    MessageRecorder state;
    std::unique_ptr<UIProcess> ui;
};

TEST_F(UIProcessRouting, MenuStartsTheChosenLevelOnEnterAndQuitsOnEscape) {
    Start("Menu", 22);
    Key(input::key::Enter, INPUT_HELD);
    Key(input::key::Q);
    EXPECT_TRUE(game.received.empty());

    Key(input::key::Enter);
    ASSERT_EQ(game.Types(), (std::vector<u32>{MSG_GAME_SWITCH_STATE}));
    EXPECT_EQ(*game.received[0].message->Payload<std::string>(), "Controls");
    EXPECT_EQ(game.received[0].fromId, UIProcess::kHandlerId);

    Key(input::key::NumpadEnter);
    Key(input::key::Escape);
    EXPECT_EQ(game.Types(),
              (std::vector<u32>{MSG_GAME_SWITCH_STATE, MSG_GAME_SWITCH_STATE, MSG_GAME_QUIT}));

    // The menu has no pause screen.
    PauseTrigger(false);
    EXPECT_FALSE(ui->IsPauseShown());
    EXPECT_TRUE(state.received.empty());
}

TEST_F(UIProcessRouting, LevelPauseScreenPausesTheLevelAndLeadsToTheMenuOrOut) {
    Start("Level", 6);
    // Without the pause screen the level ignores menu keys.
    Key(input::key::Enter);
    EXPECT_TRUE(game.received.empty());

    PauseTrigger(false);
    EXPECT_TRUE(ui->IsPauseShown());
    ASSERT_EQ(state.Types(), (std::vector<u32>{MSG_LEVEL_PAUSE_PROCESSES}));
    EXPECT_EQ(*state.received[0].message->Payload<std::vector<u32>>(),
              (std::vector<u32>{UIProcess::kHandlerId}));
    EXPECT_EQ(input.Types(), (std::vector<u32>{MSG_INPUT_SWITCH_PAUSE}));

    // F1 closes it as Escape does.
    PauseTrigger(true);
    EXPECT_FALSE(ui->IsPauseShown());
    EXPECT_EQ(state.Types(),
              (std::vector<u32>{MSG_LEVEL_PAUSE_PROCESSES, MSG_LEVEL_UNPAUSE_PROCESSES}));
    EXPECT_EQ(input.Types(), (std::vector<u32>{MSG_INPUT_SWITCH_PAUSE, MSG_INPUT_SWITCH_GAME}));

    PauseTrigger(false);
    Key(input::key::Enter);
    ASSERT_EQ(game.Types(), (std::vector<u32>{MSG_GAME_SWITCH_STATE}));
    EXPECT_EQ(*game.received[0].message->Payload<std::string>(), "Menu");
    Key(input::key::Q);
    EXPECT_EQ(game.Types(), (std::vector<u32>{MSG_GAME_SWITCH_STATE, MSG_GAME_QUIT}));
}

TEST_F(UIProcessRouting, PauseTriggerWithoutPayloadStillToggles) {
    Start("Level", 6);
    BaseMessage bare(MSG_PAUSE_TRIGGER);
    input.SendMessage(&bare, UIProcess::kHandlerId);
    EXPECT_TRUE(ui->IsPauseShown());
}

} // namespace
