// The bundled object definitions: they read cleanly, every component reads the parameters
// its process expects, and every type that the game states, the screens and the loader
// create by name is there with the components their code relies on.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "core/component_type.h"
#include "support/content_fixture.h"

namespace {

using content_test::BundledDefinitions;
using content_test::Param;
using content_test::ParamsOf;

using Layout = std::vector<std::pair<std::string, std::string>>;

// The parameters each kind of component reads, in stream order. Kinds not listed read none.
const std::map<ComponentType::Value, Layout>& Layouts() {
    static const std::map<ComponentType::Value, Layout> layouts = {
        {ComponentType::Graphic,
         {{"Mesh", "string"},
          {"Bump Map", "string"},
          {"Specular Map", "string"},
          {"Cast Shadow", "bool"},
          {"HDR Multiplier", "float"},
          {"Specular Power", "float"},
          {"Render Red", "bool"},
          {"Animated", "bool"},
          {"Breakable", "string"}}},
        {ComponentType::ParticleSystem, {{"Name", "string"}}},
        {ComponentType::Sprite, {{"Texture", "string"}}},
        {ComponentType::Light,
         {{"Type", "string"},
          {"Diffuse", "vector4"},
          {"Specular", "vector4"},
          {"Offset", "vector3"},
          {"Direction", "vector3"},
          {"Range", "float"},
          {"Phi", "float"},
          {"Theta", "float"},
          {"Attenuation0", "float"},
          {"Attenuation1", "float"},
          {"Attenuation2", "float"},
          {"Enabled", "bool"},
          {"Volumetric Amount", "float"},
          {"Always Visible", "bool"}}},
        // The extents are read as one vector; they are written as three values so the level
        // editor can fill them from a mesh's bounds.
        {ComponentType::Physics,
         {{"Sleeping", "bool"},
          {"Mass Divisor", "float"},
          {"Reserved", "float"},
          {"Damping", "float"},
          {"BoundingSphere.Center", "vector3"},
          {"BoundingSphere.Radius", "float"},
          {"OBB.e.x", "float"},
          {"OBB.e.y", "float"},
          {"OBB.e.z", "float"},
          {"Collision Mesh", "string"}}},
        {ComponentType::AIView,
         {{"Health", "int"},
          {"Range", "float"},
          {"Arrival Notify", "bool"},
          {"Aim Divisor", "float"},
          {"Speed", "float"},
          {"Movement On", "bool"},
          {"Seek Gain", "float"},
          {"Heading Gain", "float"},
          {"Avoid Gain", "float"},
          {"State Count", "int"}}},
        {ComponentType::SpawnPoint,
         {{"Spawn Type", "string"},
          {"Interval", "float"},
          {"Count", "int"},
          {"Min Distance", "float"},
          {"Zone", "float"}}},
        {ComponentType::Building, {{"Grabbable", "bool"}, {"Health", "float"}}},
        {ComponentType::UIText, {{"Text", "string"}}},
        {ComponentType::UIInput, {{"Text", "string"}}},
    };
    return layouts;
}

// The AI states that a unit's list may name: those a state class stands behind.
const std::set<std::string>& AiStates() {
    static const std::set<std::string> states = [] {
        std::istringstream names(
            "TANK_SPAWN TANK_ATTACK TANK_RETREAT TANK_SEEK TANK_GUARD TANK_DROPPED TRUCK_SPAWN "
            "TRUCK_ATTACK TRUCK_RETREAT TRUCK_SEEK JEEP_SPAWN JEEP_ATTACK JEEP_RETREAT JEEP_SEEK "
            "HELICOPTER_SPAWN HELICOPTER_ATTACK HELICOPTER_RETREAT HELICOPTER_SEEK "
            "TRANSPORT_SPAWN TRANSPORT_DROP TRANSPORT_RETREAT TRANSPORT_SEEK UFO_SPAWN UFO_ENTRY "
            "UFO_SPAWNCHILDREN UFO_ATTACK UFO_RETREAT UFO_SEEK UFO_DIE UFOCHILD_SPAWN "
            "UFOCHILD_ATTACK MOTHERSHIP_SPAWN MOTHERSHIP_ENTRY MOTHERSHIP_ATTACK MOTHERSHIP_DIE "
            "MOTHERSHIP_HATCH_SPAWN MOTHERSHIP_TURRET_ATTACK MOTHERSHIP_BFG_ATTACK "
            "MOTHERSHIP_BFG_CORE MEDIUM_UFO_SPAWN MEDIUM_UFO_ENTRY MEDIUM_UFO_ATTACK "
            "MEDIUM_UFO_RETREAT MEDIUM_UFO_SEEK CAR_SPAWN CAR_TRACK FLYTHRA_SPAWN FLYTHRA_ENTRY "
            "FLYTHRA_RETREAT FLYTHRA_SEEK FLYTHRA_ATTACK FLYTHRA_DIE GRABBED THROWN MISSILE_SPAWN "
            "MISSILE_SEEK MISSILE_LOOPBACK MISSILE_EXPLODE CITIZEN_SPAWN CITIZEN_CALM "
            "CITIZEN_PANIC CITIZEN_CARDBOARD_SPAWN CITIZEN_CARDBOARD_CALM");
        std::set<std::string> set;
        for (std::string name; names >> name;) {
            set.insert("STATE_" + name);
        }
        return set;
    }();
    return states;
}

// Every type that code creates by name, by who creates it.
const std::vector<std::pair<std::string, std::vector<std::string>>>& CreatedByName() {
    static const std::vector<std::pair<std::string, std::vector<std::string>>> created = {
        {"intro screens",
         {"VantrelLogo", "Copyright", "White", "TeamLogo", "PhysxLogo", "GameLogo", "Loading",
          "Controls", "Lose", "Win"}},
        {"credits", {"Black"}},
        {"menu screens",
         {"PlayButton", "FullscreenButton", "3DButton", "OptionsButton", "QuitButton",
          "PlayFeatureFilmButton", "PlayEndlessButton", "TutorialButton", "PlayReturnButton",
          "ConfirmQuitButton", "DeconfirmQuitButton", "Controls"}},
        {"pause screens",
         {"ReturnToGameButton", "ReturnToMenuButton", "HowToPlayButton", "FullscreenButton",
          "3DButton", "OptionsButton", "QuitButton", "ConfirmQuitButton", "DeconfirmQuitButton"}},
        {"level",
         {"ScoreText", "RobotBase", "RobotBody", "RobotHead", "RobotRightArm", "RobotLeftArm",
          "RobotLeg", "RobotHealth", "BuildingBlock", "AI-Boss-Fly-MothershipBase",
          "AI-Boss-Fly-MothershipBFG", "AI-Boss-Fly-MothershipBFGCore",
          "AI-Boss-Fly-MothershipTurret", "AI-Boss-Fly-MothershipHatch"}},
        {"resource loader",
         {"AI-Ground-Tank", "AI-Fly-Transport", "AI-Fly-Helicopter", "AI-Ground-CitizenCardboard",
          "AI-Fly-MediumUFO", "RobotHead", "RobotBody", "RobotLeftArm", "RobotRightArm", "RobotLeg",
          "AI-Boss-Fly-MothershipBase", "AI-Boss-Fly-MothershipTurret",
          "AI-Boss-Fly-MothershipHatch", "AI-Boss-Fly-MothershipBFG", "AI-Boss-Fly-UFO",
          "AI-Fly-UFOChild"}},
        {"level editor", {"DUMMY"}},
    };
    return created;
}

std::size_t Count(const ComponentDefinitionList& components, ComponentType type) {
    return components.count(type);
}

bool IsUiType(ComponentType type) {
    return type >= ComponentType::UIElement && type <= ComponentType::UIText;
}

TEST(ContentDefinitions, PackagedFileReadsWithoutAWordAndNamesEachTypeOnce) {
    const content_test::Bundled& bundled = BundledDefinitions();
    EXPECT_TRUE(bundled.read);
    EXPECT_EQ(bundled.log, "");
    ASSERT_FALSE(bundled.definitions.empty());

    // A second type of one name would silently replace the first.
    std::size_t elements = 0;
    for (std::size_t at = bundled.text.find("<GameObject "); at != std::string::npos;
         at = bundled.text.find("<GameObject ", at + 1)) {
        ++elements;
    }
    EXPECT_EQ(elements, bundled.definitions.size());
}

TEST(ContentDefinitions, EveryComponentHasAKnownKindAndItsStreamHeader) {
    for (const auto& [typeName, components] : BundledDefinitions().definitions) {
        EXPECT_FALSE(components.empty()) << typeName;
        for (const auto& [kind, definition] : components) {
            EXPECT_NE(kind, ComponentType::Invalid) << typeName;
            StreamMap stream = definition;
            stream.BeginRead();
            std::string object;
            std::string component;
            stream.ReadString(object);
            stream.ReadString(component);
            EXPECT_EQ(object, typeName);
            EXPECT_EQ(component, kind.Name()) << typeName;
        }
    }
}

TEST(ContentDefinitions, ComponentsCarryTheParametersTheirProcessesRead) {
    const GameObjectDefinitionMap& definitions = BundledDefinitions().definitions;
    for (const auto& [typeName, components] : definitions) {
        for (const auto& [kind, definition] : components) {
            SCOPED_TRACE(typeName + " " + kind.Name());
            const std::vector<Param> params = ParamsOf(definition);
            const auto layout = Layouts().find(kind);
            const Layout expected = layout != Layouts().end() ? layout->second : Layout{};
            ASSERT_GE(params.size(), expected.size());
            for (std::size_t i = 0; i < expected.size(); ++i) {
                EXPECT_EQ(params[i].name, expected[i].first);
                EXPECT_EQ(params[i].type, expected[i].second) << params[i].name;
            }
            std::size_t extra = 0;
            if (kind == ComponentType::AIView) {
                // The unit's state list: a count, then that many state names, the first the
                // state the unit starts in.
                extra = static_cast<std::size_t>(std::stoi(params[expected.size() - 1].value));
                EXPECT_GT(extra, 0u);
                ASSERT_EQ(params.size(), expected.size() + extra);
                for (std::size_t i = expected.size(); i < params.size(); ++i) {
                    EXPECT_EQ(params[i].name, "State " + std::to_string(i - expected.size() + 1));
                    EXPECT_EQ(params[i].type, "string");
                    EXPECT_EQ(AiStates().count(params[i].value), 1u) << params[i].value;
                }
            }
            if (kind == ComponentType::Graphic && params.size() == expected.size() + 1) {
                // The optional last one: whether the object stands fixed in the city.
                extra = 1;
                EXPECT_EQ(params.back().name, "Anchored");
                EXPECT_EQ(params.back().type, "bool");
            }
            EXPECT_EQ(params.size(), expected.size() + extra);
            if (kind == ComponentType::SpawnPoint) {
                EXPECT_EQ(definitions.count(params[0].value), 1u) << params[0].value;
            }
            if (kind == ComponentType::Light) {
                EXPECT_TRUE(params[0].value == "POINT" || params[0].value == "SPOT");
            }
        }
    }
}

TEST(ContentDefinitions, StatesFindEveryTypeTheyCreateByName) {
    const GameObjectDefinitionMap& definitions = BundledDefinitions().definitions;
    for (const auto& [creator, types] : CreatedByName()) {
        for (const std::string& type : types) {
            EXPECT_EQ(definitions.count(type), 1u) << type << ", created by the " << creator;
        }
    }
}

TEST(ContentDefinitions, ScreenElementsCarryOneWidgetAndTheLooksItShows) {
    // Sprites each kind of widget shows in turn; a plain element shows at least one.
    const std::map<ComponentType::Value, std::size_t> looks = {
        {ComponentType::UIElement, 1}, {ComponentType::UIButton, 2}, {ComponentType::UICheckBox, 4},
        {ComponentType::UISlider, 4},  {ComponentType::UIInput, 3},  {ComponentType::UIText, 0},
    };
    std::size_t elements = 0;
    for (const auto& [typeName, components] : BundledDefinitions().definitions) {
        if (typeName == "DUMMY") {
            continue; // the editor's template holds one of every kind
        }
        std::vector<ComponentType> widgets;
        for (const auto& entry : components) {
            if (IsUiType(entry.first)) {
                widgets.push_back(entry.first);
            }
        }
        if (widgets.empty()) {
            continue;
        }
        ++elements;
        ASSERT_EQ(widgets.size(), 1u) << typeName;
        const std::size_t sprites = Count(components, ComponentType::Sprite);
        const auto wanted = looks.find(widgets[0]);
        ASSERT_NE(wanted, looks.end()) << typeName;
        if (widgets[0] == ComponentType::UIElement) {
            EXPECT_GE(sprites, wanted->second) << typeName;
        } else {
            EXPECT_EQ(sprites, wanted->second) << typeName;
        }
    }
    EXPECT_GT(elements, 20u);
}

TEST(ContentDefinitions, AssembledPartsCarryWhatTheAssemblyUses) {
    // The robot's assembly hangs the parts' joints on the base's animation controller and
    // stops after the body when the body has no joint; every part of the robot and of the
    // mothership shares the base's physics body.
    const std::vector<std::pair<std::string, std::vector<ComponentType>>> parts = {
        {"RobotBase",
         {ComponentType::Physics, ComponentType::Player, ComponentType::AnimationController,
          ComponentType::SoundPlayer}},
        // The body's Graphic components are counted below.
        {"RobotBody", {ComponentType::Physics, ComponentType::Joint}},
        {"RobotHead", {ComponentType::Graphic, ComponentType::Physics, ComponentType::Joint}},
        {"RobotRightArm", {ComponentType::Graphic, ComponentType::Physics, ComponentType::Joint}},
        {"RobotLeftArm", {ComponentType::Graphic, ComponentType::Physics, ComponentType::Joint}},
        {"RobotLeg", {ComponentType::Graphic, ComponentType::Physics, ComponentType::Joint}},
        {"RobotHealth", {ComponentType::Graphic}},
        {"BuildingBlock",
         {ComponentType::Graphic, ComponentType::Physics, ComponentType::Building}},
        {"AI-Boss-Fly-MothershipBase", {ComponentType::Graphic, ComponentType::Physics}},
        {"AI-Boss-Fly-MothershipBFG", {ComponentType::Graphic, ComponentType::Physics}},
        {"AI-Boss-Fly-MothershipBFGCore", {ComponentType::Graphic, ComponentType::Physics}},
        {"AI-Boss-Fly-MothershipTurret", {ComponentType::Graphic, ComponentType::Physics}},
        {"AI-Boss-Fly-MothershipHatch", {ComponentType::Graphic, ComponentType::Physics}},
    };
    const GameObjectDefinitionMap& definitions = BundledDefinitions().definitions;
    for (const auto& [typeName, kinds] : parts) {
        const auto found = definitions.find(typeName);
        ASSERT_NE(found, definitions.end()) << typeName;
        for (const ComponentType kind : kinds) {
            EXPECT_EQ(Count(found->second, kind), 1u) << typeName << " " << kind.Name();
        }
    }
    // The body's mesh, then the five cable tubes its PlayerChild bends.
    const auto body = definitions.find("RobotBody");
    ASSERT_NE(body, definitions.end());
    EXPECT_EQ(Count(body->second, ComponentType::Graphic), 6u);
    EXPECT_EQ(Count(body->second, ComponentType::PlayerChild), 1u);
}

TEST(ContentDefinitions, EditorTemplateHoldsOneComponentOfEveryKind) {
    const GameObjectDefinitionMap& definitions = BundledDefinitions().definitions;
    const auto dummy = definitions.find("DUMMY");
    ASSERT_NE(dummy, definitions.end());
    for (u32 kind = 0; kind < ComponentType::Invalid; ++kind) {
        EXPECT_EQ(Count(dummy->second, ComponentType(kind)), 1u) << ComponentType::Name(kind);
    }
}

} // namespace
