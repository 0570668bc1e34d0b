#include <gtest/gtest.h>

#include <string>

#include "app/level_building_services.h"
#include "content/parser_process.h"
#include "core/bounds.h"
#include "core/game_object.h"
#include "graphics/graphic_component.h"
#include "graphics/light.h"
#include "support/graphic_stream.h"

namespace {

// A definition holding a "Graphic" component with the nine usual parameters and, when given,
// the anchored flag.
void DefineGraphic(ParserProcess& parser, const std::string& type, int anchored) {
    graphic_stream::Parameters p;
    p.mesh = "assets/art/" + type + ".X";
    p.hdr = 1.0f;
    p.specular = 8.0f;
    if (anchored >= 0) {
        p.anchored = anchored != 0;
    }
    parser.m_definitions[type].emplace(ComponentType::Graphic,
                                       graphic_stream::GraphicStream(type, p));
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

TEST(LevelBuildingServices, DamageShadesTheObjectsGraphicAndSwitchesOffItsLights) {
    LevelBuildingServices services(nullptr, nullptr);
    GameObject post("LightPost");
    auto* graphic =
        new GraphicComponent("LightPost", nullptr, nullptr, "", 1, 8.0f, 1.0f, 0, 0, "LightPost");
    post.AddComponent(ComponentType::Graphic, graphic);
    auto* lamp = new Light(true, "lamp", LightRecord{});
    auto* glow = new Light(true, "glow", LightRecord{});
    post.AddComponent(ComponentType::Light, lamp);
    post.AddComponent(ComponentType::Light, glow);

    EXPECT_EQ(services.Graphic(&post), graphic);
    EXPECT_FLOAT_EQ(graphic->GetDamageShade(), 1.0f);
    services.SetDamageShade(&post, 0.8f);
    EXPECT_FLOAT_EQ(graphic->GetDamageShade(), 0.8f);
    EXPECT_TRUE(graphic->WindowsLit());
    services.SwitchOffLights(&post);
    EXPECT_FALSE(lamp->m_enabled);
    EXPECT_FALSE(glow->m_enabled);
    // Its lit windows go dark with them.
    EXPECT_FALSE(graphic->WindowsLit());

    // Objects without the components, and no object, are left alone.
    GameObject bare("Crate");
    EXPECT_EQ(services.Graphic(&bare), nullptr);
    services.SetDamageShade(&bare, 0.5f);
    services.SwitchOffLights(&bare);
    services.SwitchOffLights(nullptr);
    EXPECT_EQ(services.Graphic(nullptr), nullptr);

    post.RemoveComponent(lamp, false);
    post.RemoveComponent(glow, false);
    post.RemoveComponent(graphic, false);
    delete lamp;
    delete glow;
    delete graphic;
}

} // namespace
