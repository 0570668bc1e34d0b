#pragma once
// The object definitions the game ships, read from the source tree, for tests that build the
// real screens.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "content/game_object_definition_map.h"

namespace ui_fixture {

inline GameObjectDefinitionMap ShippedDefinitions() {
    std::ifstream file(std::string(GORVANE_SOURCE_DIR) + "/data/levels/game_objects.xml");
    std::stringstream text;
    text << file.rdbuf();
    const std::string xml = text.str();
    GameObjectDefinitionMap definitions;
    EXPECT_TRUE(ReadGameObjectDefinitions(xml.data(), xml.size(), definitions));
    return definitions;
}

} // namespace ui_fixture
