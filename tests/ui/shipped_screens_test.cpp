// Every screen built from the shipped object definitions: each element exists, carries the
// widget its name promises and as many sprites as the widget's looks use.
#include <gtest/gtest.h>

#include <string>

#include "content/game_object_definition_map.h"
#include "shipped_definitions.h"
#include "ui_fixture.h"

namespace {

using ui_fixture::ShippedDefinitions;

struct Expected {
    ComponentType type;
    std::size_t sprites;
};

// By the suffix of the element name, as the screens name them.
Expected ExpectedFor(const std::string& name) {
    const auto ends = [&](const std::string& suffix) {
        return name.size() >= suffix.size() &&
               name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0;
    };
    if (ends("Button")) {
        return {ComponentType::UIButton, 2};
    }
    if (ends("CheckBox")) {
        return {ComponentType::UICheckBox, 4};
    }
    if (ends("Slider")) {
        return {ComponentType::UISlider, 4};
    }
    if (ends("Input")) {
        return {ComponentType::UIInput, 3};
    }
    if (ends("Text")) {
        return {ComponentType::UIText, 0};
    }
    return {ComponentType::UIElement, 1};
}

class ShippedScreens : public ui_fixture::UIFixture {
  protected:
    void SetUp() override {
        shipped = ShippedDefinitions();
        definitions = &shipped;
    }

    void ExpectBuilt(const std::string& element) {
        SCOPED_TRACE(element);
        const Expected expected = ExpectedFor(element);
        UIComponent* component = ui->FindComponentByObjectName(element);
        ASSERT_NE(component, nullptr);
        GameObject* object = component->owner;
        EXPECT_NE(object->GetComponent(expected.type), nullptr);
        std::size_t sprites = 0;
        for (Component* s = object->GetComponent(ComponentType::Sprite); s != nullptr;
             s = s->nextOfType) {
            ++sprites;
        }
        EXPECT_EQ(sprites, expected.sprites);
    }

    GameObjectDefinitionMap shipped;
};

TEST_F(ShippedScreens, EveryScreenIsBuiltWithTheSpritesItsWidgetsNeed) {
    Start("Menu");
    for (const ScreenRecord& screen : ui->Screens()) {
        SCOPED_TRACE(screen.name);
        ui->ShowScreen(screen.name);
        Frame();
        EXPECT_EQ(ui->ScreenObjects().size(), screen.elements.size());
        for (const std::string& element : screen.elements) {
            ExpectBuilt(element);
        }
        if (!screen.focus.empty()) {
            EXPECT_EQ(FocusName(), screen.focus);
        }
    }
}

TEST_F(ShippedScreens, TheIntroScreensAndTheScoreAreDefined) {
    Start("Level", 6);
    for (const char* element :
         {"VantrelLogo", "Copyright", "White", "Black", "TeamLogo", "PhysxLogo", "GameLogo",
          "Loading", "Controls", "ScoreText", "ConfigureControlsButton", "DepthOfFieldCheckBox",
          "DepthOfFieldText"}) {
        ui->ShowElement(element);
        Frame();
        ExpectBuilt(element);
    }
}

TEST_F(ShippedScreens, LabelsCarryTheirTextAndReadOutsStartEmpty) {
    Start("Menu");
    ui->ShowScreen("Sound Options");
    Frame();
    auto text = [&](const char* name) {
        return static_cast<TextUIComponent*>(ui->FindComponentByObjectName(name))->m_text;
    };
    EXPECT_EQ(text("MasterVolumeText"), "MASTER VOLUME");
    EXPECT_EQ(text("MasterVolumeOutputText"), "");
}

} // namespace
