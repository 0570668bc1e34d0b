#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "content/file_package.h"
#include "core/stream_map.h"
#include "support/resource_loader_fixture.h"

namespace resource_loader_test {
namespace {

using Strings = std::vector<std::string>;

const Strings kRunTimeTypes = {
    "AI-Ground-Tank",   "AI-Fly-Transport", "AI-Fly-Helicopter", "AI-Ground-CitizenCardboard",
    "AI-Fly-MediumUFO", "RobotHead",        "RobotBody",         "RobotLeftArm",
    "RobotRightArm",    "RobotLeg"};
const Strings kBossTypes = {"AI-Boss-Fly-MothershipBase",
                            "AI-Boss-Fly-MothershipTurret",
                            "AI-Boss-Fly-MothershipHatch",
                            "AI-Boss-Fly-MothershipBFG",
                            "AI-Boss-Fly-UFO",
                            "AI-Fly-UFOChild"};
const Strings kNeverRequested = {"AI-Ground-Citizen", "AI-Boss-Fly-Mothership", "RobotEditor"};

TEST(ResourceLoaderScan, TakesEveryQuotedStringOfEveryLine) {
    struct Case {
        const char* what;
        std::string text;
        Strings expected;
    };
    const Case cases[] = {
        {"a call", "local o = CreateGameObject(\"AI-Fly-Helicopter\")\n", {"AI-Fly-Helicopter"}},
        {"a comment line", "-- the \"Boss\" comes last\n", {"Boss"}},
        {"a CRLF line", "CreateGameObject(\"Tank\")\r\nx = 1\r\n", {"Tank"}},
        {"a line ending in its quoted string", "name = \"Tank\"\n", {"Tank"}},
        {"two strings on a line", "SetParameter(o, \"Mesh\", \"tank.x\")\n", {"Mesh", "tank.x"}},
        {"a quote left open", "print(\"half\n", {"half"}},
        {"an empty string", "s = \"\"\n", {""}},
        {"the last line without a line feed", "a()\nCreateGameObject(\"Jeep\")", {"Jeep"}},
        {"lines without quotes", "x = 1\n\n-- nothing\n", {}},
        {"a quote does not run into the next line", "a = \"one\nb = two\"\n", {"one", ""}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ResourceLoaderProcess::ScanQuotedStrings(c.text), c.expected) << c.what;
    }
}

TEST_F(ResourceLoaderTest, RequestsTheScriptsStringsAndTheRunTimeTypesOfItsKind) {
    const std::string script = "-- spawn a \"Decoy\" here\n"
                               "local h = CreateGameObject(\"AI-Fly-Helicopter\")\n"
                               "CreateGameObject(\"Building-Tower\")\n"
                               "CreateGameObject(\"AI-Ground-Citizen\")\n";
    struct Case {
        std::string path;
        bool runTime;
        bool boss;
    };
    const Case cases[] = {
        {"./assets/levels/ubergold.lua", true, true},
        {"./assets/levels/endless_mode.lua", true, false},
        {"./assets/levels/menu.lua", false, false},
    };
    std::map<std::string, std::string> scripts;
    for (const Case& c : cases) {
        scripts[FilePackage::SplitPath(c.path)] = script;
    }
    MakePackages(scripts);

    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        auto loader = MakeLoader(c.path, nullptr);
        testing::internal::CaptureStdout();
        loader->Update(0.25f);
        testing::internal::GetCapturedStdout();

        const std::map<std::string, bool> requested = ResourceLoaderProcess::Requested();
        for (const char* fromScript : {"Decoy", "AI-Fly-Helicopter", "Building-Tower"}) {
            EXPECT_EQ(requested.count(fromScript), 1u) << fromScript;
            EXPECT_TRUE(requested.at(fromScript)) << fromScript;
        }
        for (const std::string& type : kNeverRequested) {
            ASSERT_EQ(requested.count(type), 1u) << type;
            EXPECT_FALSE(requested.at(type)) << type;
        }
        for (const std::string& type : kRunTimeTypes) {
            // The helicopter is named by the script, so it is there in every case.
            if (type != "AI-Fly-Helicopter") {
                EXPECT_EQ(requested.count(type), c.runTime ? 1u : 0u) << type;
            }
        }
        for (const std::string& type : kBossTypes) {
            EXPECT_EQ(requested.count(type), c.boss ? 1u : 0u) << type;
        }
        const std::size_t expectedSize =
            4 + 2 + (c.runTime ? kRunTimeTypes.size() - 1 : 0) + (c.boss ? kBossTypes.size() : 0);
        EXPECT_EQ(requested.size(), expectedSize);
    }
}

TEST_F(ResourceLoaderTest, OneDefinitionThenOneSoundPerUpdate) {
    // Four requested types with one mesh each and two types the script never names.
    std::string objects;
    for (const char* type : {"A", "B", "C", "D", "Unused1", "Unused2"}) {
        objects += ObjectXml(type, GraphicXml(std::string(type) + ".x", false));
    }
    const GameObjectDefinitionMap definitions = Definitions(objects);
    MakePackages({{"ubergold.lua", "x(\"A\")\ny(\"B\")\nz(\"C\")\nw(\"D\")\n"}},
                 {"Punch.wav", "boom.mp3", "alarm.wav"});
    auto loader = MakeLoader(kLevel, &definitions);

    testing::internal::CaptureStdout();
    std::set<std::string> loadedMeshes;
    for (std::size_t update = 1; update <= definitions.size(); ++update) {
        const std::size_t before = m_graphics.Calls().size();
        loader->Update(0.25f);
        const Strings calls = m_graphics.Calls();
        ASSERT_LE(calls.size(), before + 1) << "update " << update;
        loadedMeshes.insert(calls.begin() + static_cast<std::ptrdiff_t>(before), calls.end());
        EXPECT_TRUE(m_sounds.Paths().empty()) << "update " << update;
        EXPECT_FALSE(loader->killed);
    }
    EXPECT_EQ(loadedMeshes,
              (std::set<std::string>{"static:A.x", "static:B.x", "static:C.x", "static:D.x"}));

    // The sounds package's entries, in directory order, under the sound folder.
    const Strings expectedSounds = {"./assets/sound fx/alarm.wav", "./assets/sound fx/boom.mp3",
                                    "./assets/sound fx/punch.wav"};
    for (std::size_t sound = 1; sound <= expectedSounds.size(); ++sound) {
        EXPECT_FALSE(ResourceLoaderProcess::IsLoaded(kLevel));
        loader->Update(0.25f);
        const Strings paths = m_sounds.Paths();
        ASSERT_EQ(paths.size(), sound);
        EXPECT_EQ(paths.back(), expectedSounds[sound - 1]);
        EXPECT_FALSE(loader->killed);
    }
    EXPECT_EQ(m_graphics.Calls().size(), 4u);

    EXPECT_FALSE(ResourceLoaderProcess::IsLoaded(kLevel));
    loader->Update(0.25f);
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(loader->killed);
    EXPECT_TRUE(ResourceLoaderProcess::IsLoaded(kLevel));
    EXPECT_EQ(log, "ResourceLoader: Finished parsing ./assets/levels/ubergold.lua\n"
                   "ResourceLoader: Starting loading ./assets/levels/ubergold.lua\n"
                   "ResourceLoader: Finished loading resources./assets/levels/ubergold.lua\n");
}

TEST_F(ResourceLoaderTest, GraphicAndSpriteStreamsCallTheirLoaders) {
    struct Case {
        const char* type;
        std::string components;
        Strings calls;
    };
    const Case cases[] = {
        {"Static", GraphicXml("crate.x", false), {"static:crate.x"}},
        {"Animated", GraphicXml("walker.x", true), {"map:walker.x", "instance:walker.x"}},
        {"BreaksWithoutMesh",
         GraphicXml("wall.x", false, "true"),
         {"static:wall.x", "animated:wall.x"}},
        {"BreaksIntoMesh",
         GraphicXml("tower.x", false, "tower_broken.x"),
         {"static:tower.x", "animated:tower_broken.x"}},
        {"AnimatedAndBreaking",
         GraphicXml("mech.x", true, "mech_broken.x"),
         {"map:mech.x", "instance:mech.x", "animated:mech_broken.x"}},
        {"Sprite", SpriteXml("flare.dds"), {"texture:flare.dds"}},
        {"TwoGraphics",
         GraphicXml("body.x", false) + GraphicXml("legs.x", true),
         {"static:body.x", "map:legs.x", "instance:legs.x"}},
        {"NothingToLoad",
         "<Component type=\"Physics\"><Param name=\"mass\" type=\"float\" value=\"2\"/>"
         "</Component><Component type=\"Light\"/>",
         {}},
    };
    std::string objects;
    std::string script;
    for (const Case& c : cases) {
        objects += ObjectXml(c.type, c.components);
        script += std::string("CreateGameObject(\"") + c.type + "\")\n";
    }
    GameObjectDefinitionMap definitions = Definitions(objects);

    // The mothership's tube, written by code in the same order.
    StreamMap tube;
    tube.WriteString("AI-Boss-Fly-MothershipTube");
    tube.WriteString("Graphic");
    tube.AddString("Mesh", "assets/art/mothership_tube3.X");
    tube.AddString("Bump Map", "");
    tube.AddString("Specular Map", "");
    tube.AddBool("Cast Shadow", false);
    tube.AddFloat("HDR Multiplier", 1.0f);
    tube.AddFloat("Specular Power", 0.0f);
    tube.AddBool("Render Red", false);
    tube.AddBool("Animated", false);
    tube.AddString("Breakable", "false");
    definitions["Tube"].emplace(ComponentType::Graphic, tube);
    script += "CreateGameObject(\"Tube\")\n";

    MakePackages({{"ubergold.lua", script}});
    auto loader = MakeLoader(kLevel, &definitions);

    // Each update walks one definition, so the calls of one update belong to the type
    // whose request it took.
    testing::internal::CaptureStdout();
    loader->Initialize();
    std::map<std::string, Strings> callsByType;
    for (std::size_t update = 0; update < definitions.size(); ++update) {
        const std::size_t before = m_graphics.Calls().size();
        const std::map<std::string, bool> pending = ResourceLoaderProcess::Requested();
        loader->Update(0.25f);
        const Strings calls = m_graphics.Calls();
        for (const auto& [type, stillToLoad] : ResourceLoaderProcess::Requested()) {
            if (pending.at(type) && !stillToLoad) {
                callsByType[type].assign(calls.begin() + static_cast<std::ptrdiff_t>(before),
                                         calls.end());
            }
        }
    }
    testing::internal::GetCapturedStdout();
    ASSERT_EQ(callsByType.size(), definitions.size());

    for (const Case& c : cases) {
        EXPECT_EQ(callsByType[c.type], c.calls) << c.type;
    }
    EXPECT_EQ(callsByType["Tube"], Strings{"static:assets/art/mothership_tube3.X"});
}

TEST_F(ResourceLoaderTest, IsLoadedBeforeAndAfterAndForASecondLoader) {
    const GameObjectDefinitionMap definitions =
        Definitions(ObjectXml("Crate", GraphicXml("crate.x", false)));
    MakePackages({{"ubergold.lua", "CreateGameObject(\"Crate\")\n"}}, {"hit.wav"});

    EXPECT_FALSE(ResourceLoaderProcess::IsLoaded(kLevel));
    auto first = MakeLoader(kLevel, &definitions);
    EXPECT_FALSE(ResourceLoaderProcess::IsLoaded(kLevel));
    EXPECT_EQ(RunToEnd(*first), 1 + 1 + 1);
    EXPECT_TRUE(ResourceLoaderProcess::IsLoaded(kLevel));
    EXPECT_FALSE(ResourceLoaderProcess::IsLoaded("./assets/levels/never_scanned.lua"));

    // Nothing is scanned, loaded or sent again; the second loader just retires.
    auto second = MakeLoader(kLevel, &definitions);
    EXPECT_TRUE(ResourceLoaderProcess::IsLoaded(kLevel));
    std::string log;
    EXPECT_EQ(RunToEnd(*second, &log), 1);
    EXPECT_EQ(log, "");
    EXPECT_EQ(m_graphics.Calls(), Strings{"static:crate.x"});
    EXPECT_EQ(m_sounds.Paths(), Strings{"./assets/sound fx/hit.wav"});
}

TEST_F(ResourceLoaderTest, ALaterScriptWalksTheDefinitionsAgain) {
    const GameObjectDefinitionMap definitions = Definitions(
        ObjectXml("Crate", GraphicXml("crate.x", false)) + ObjectXml("Jeep", SpriteXml("j.dds")));
    MakePackages({{"menu.lua", "CreateGameObject(\"Crate\")\n"},
                  {"ubergold.lua", "CreateGameObject(\"Jeep\")\n"}},
                 {"hit.wav"});

    auto menu = MakeLoader("./assets/levels/menu.lua", &definitions);
    RunToEnd(*menu);
    // The definitions copy is made once; a later, different map does not replace it.
    const GameObjectDefinitionMap other = Definitions(ObjectXml("Other", SpriteXml("o.dds")));
    auto level = MakeLoader(kLevel, &other);
    std::string log;
    EXPECT_EQ(RunToEnd(*level, &log), 2 + 1 + 1);
    EXPECT_TRUE(ResourceLoaderProcess::IsLoaded("./assets/levels/menu.lua"));
    EXPECT_TRUE(ResourceLoaderProcess::IsLoaded(kLevel));
    EXPECT_EQ(m_graphics.Calls(), (Strings{"static:crate.x", "texture:j.dds"}));
    // The sound list is built once and walked again for the new script.
    EXPECT_EQ(m_sounds.Paths(),
              (Strings{"./assets/sound fx/hit.wav", "./assets/sound fx/hit.wav"}));
}

TEST_F(ResourceLoaderTest, AMissingScriptOrPackageStillEndsTheLoad) {
    const GameObjectDefinitionMap definitions =
        Definitions(ObjectXml("RobotHead", GraphicXml("head.x", true)));
    MakePackages({{"other.lua", "CreateGameObject(\"Crate\")\n"}});
    auto loader = MakeLoader(kLevel, &definitions);
    loader->m_soundsPackagePath = (m_scratch.Path() / "no_sounds.kzp").string();

    std::string log;
    EXPECT_EQ(RunToEnd(*loader, &log), 1 + 1);
    EXPECT_TRUE(ResourceLoaderProcess::IsLoaded(kLevel));
    // The run-time types are still loaded.
    EXPECT_EQ(m_graphics.Calls(), (Strings{"map:head.x", "instance:head.x"}));
    EXPECT_NE(log.find("ResourceLoader: Finished loading resources"), std::string::npos) << log;
}

TEST_F(ResourceLoaderTest, AFailingLoadIsLoggedAndTheLoadGoesOn) {
    const GameObjectDefinitionMap definitions =
        Definitions(ObjectXml("Crate", GraphicXml("crate.x", false, "crate_broken.x")) +
                    ObjectXml("Jeep", GraphicXml("jeep.x", false)));
    MakePackages({{"menu.lua", "CreateGameObject(\"Crate\")\nCreateGameObject(\"Jeep\")\n"}});
    m_graphics.failOn = "crate.x";
    auto loader = MakeLoader("./assets/levels/menu.lua", &definitions);

    std::string log;
    EXPECT_EQ(RunToEnd(*loader, &log), 2 + 1 + 1);
    EXPECT_TRUE(ResourceLoaderProcess::IsLoaded("./assets/levels/menu.lua"));
    // The rest of the failing definition is dropped; the other one is loaded.
    const Strings calls = m_graphics.Calls();
    EXPECT_EQ(std::set<std::string>(calls.begin(), calls.end()),
              (std::set<std::string>{"static:crate.x", "static:jeep.x"}));
    EXPECT_NE(log.find("ResourceLoader: ./assets/levels/menu.lua: cannot decode crate.x"),
              std::string::npos)
        << log;
}

TEST_F(ResourceLoaderTest, WithoutDefinitionsOrRendererOnlySoundsAreLoaded) {
    MakePackages({{"ubergold.lua", "CreateGameObject(\"Crate\")\n"}}, {"a.wav", "b.wav"});
    const boost::shared_ptr<ResourceLoaderProcess> loader(
        new ResourceLoaderProcess(nullptr, kLevel, nullptr));
    loader->m_levelsPackagePath = m_levelsPackage;
    loader->m_soundsPackagePath = m_soundsPackage;
    loader->Bind(&m_router, ResourceLoaderProcess::kHandlerId);
    EXPECT_EQ(RunToEnd(*loader), 2 + 1);
    EXPECT_EQ(m_sounds.Paths().size(), 2u);
    EXPECT_TRUE(ResourceLoaderProcess::IsLoaded(kLevel));
}

} // namespace
} // namespace resource_loader_test
