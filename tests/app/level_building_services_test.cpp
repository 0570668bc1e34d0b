#include <gtest/gtest.h>

#include <string>

#include "app/level_building_services.h"
#include "content/parser_process.h"
#include "core/bounds.h"
#include "core/game_object.h"

namespace {

// A definition holding a "Graphic" component with the nine usual parameters and, when given,
// the anchored flag.
void DefineGraphic(ParserProcess& parser, const std::string& type, int anchored) {
    StreamMap stream;
    stream.WriteString(type);
    stream.WriteString("Graphic");
    stream.AddString("Mesh", "assets/art/" + type + ".X");
    stream.AddString("Bump Map", "");
    stream.AddString("Specular Map", "");
    stream.AddBool("Cast Shadow", true);
    stream.AddFloat("HDR Multiplier", 1.0f);
    stream.AddFloat("Specular Power", 8.0f);
    stream.AddBool("Render Red", false);
    stream.AddBool("Animated", false);
    stream.AddString("Breakable", "false");
    if (anchored >= 0) {
        stream.AddBool("Anchored", anchored != 0);
    }
    parser.m_definitions[type].emplace(ComponentType::Graphic, stream);
}

TEST(LevelBuildingServices, TheGraphicDefinitionSaysWhetherAnObjectIsAnchored) {
    ParserProcess parser;
    DefineGraphic(parser, "BuildingBlock", 0);
    DefineGraphic(parser, "BuildingStore", 1);
    DefineGraphic(parser, "LightPost", -1);
    LevelBuildingServices services(nullptr, &parser);
    for (const auto& [type, anchored] : {std::pair<std::string, bool>{"BuildingBlock", false},
                                         {"BuildingStore", true},
                                         {"LightPost", true},
                                         {"Undefined", true}}) {
        GameObject object(type);
        EXPECT_EQ(services.IsGraphicAnchored(&object), anchored) << type;
    }
    EXPECT_TRUE(LevelBuildingServices(nullptr, nullptr).IsGraphicAnchored(nullptr));
}

TEST(LevelBuildingServices, TheObjectsBoxStandsInForItsMeshBounds) {
    LevelBuildingServices services(nullptr, nullptr);
    GameObject object("BuildingStore");
    Vector min;
    Vector max;
    EXPECT_FALSE(services.GetMeshBounds(&object, &min, &max));
    object.SetBoundingBox(new BoundingBox(Vector(3.0f, 4.0f, 5.0f)));
    ASSERT_TRUE(services.GetMeshBounds(&object, &min, &max));
    EXPECT_EQ(max, Vector(3.0f, 4.0f, 5.0f));
    EXPECT_EQ(min, Vector(-3.0f, -4.0f, -5.0f));
    EXPECT_FALSE(services.HasGraphic(&object));
    EXPECT_FALSE(services.HasSoundPlayer(&object));
    services.PlaySound(&object, "assets/sound fx/building_impact1.mp3", 1.0f);
}

} // namespace
