#pragma once
// The UI over the shipped screen definitions and the stored options of a temporary HOME, as
// a player meets them: keys go in frame by frame, texts and the files are read back.
#include <gtest/gtest.h>

#include <string>

#include "content/parser_process.h"
#include "shipped_definitions.h"
#include "support/scoped_temp_home.h"
#include "ui_fixture.h"

namespace ui_fixture {

class ShippedUIFixture : public UIFixture {
  protected:
    void SetUp() override {
        shipped = ShippedDefinitions();
        definitions = &shipped;
        options = &parser;
    }

    // One frame with the key pressed, then one without, as a tap reaches the UI.
    void Tap(u8 key) {
        Press(key);
        Frame();
    }

    std::string Text(const std::string& name) const {
        const auto* text = dynamic_cast<TextUIComponent*>(ui->FindComponentByObjectName(name));
        return text != nullptr ? text->m_text : "<no " + name + ">";
    }

    const ScopedTempHome home;
    ParserProcess parser;
    GameObjectDefinitionMap shipped;
};

} // namespace ui_fixture
