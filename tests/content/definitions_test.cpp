#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "content/game_object_definition_map.h"
#include "content/parser_process.h"
#include "core/component_type.h"
#include "core/message.h"
#include "core/message_router.h"
#include "core/stream_map.h"
#include "support/package_fixture.h"
#include "support/scoped_temp_home.h"

namespace fs = std::filesystem;

namespace {

std::string Document(const std::string& objects) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<GameObjects>" + objects +
           "</GameObjects>";
}

// Reads with stdout captured; the captured text lands in `log`.
bool Read(const std::string& text, GameObjectDefinitionMap& definitions,
          std::string* log = nullptr) {
    ::testing::internal::CaptureStdout();
    const bool ok = ReadGameObjectDefinitions(text.data(), text.size(), definitions);
    const std::string out = ::testing::internal::GetCapturedStdout();
    if (log != nullptr) {
        *log = out;
    }
    return ok;
}

// The index of a stream as (name, type) pairs in stream order.
std::vector<std::pair<std::string, std::string>> ParamsOf(const StreamMap& stream) {
    std::vector<std::pair<u32, std::pair<std::string, std::string>>> sorted(stream.Index().begin(),
                                                                            stream.Index().end());
    std::sort(sorted.begin(), sorted.end());
    std::vector<std::pair<std::string, std::string>> params;
    for (const auto& [offset, entry] : sorted) {
        params.push_back(entry);
    }
    return params;
}

void ExpectSameDefinitions(const GameObjectDefinitionMap& a, const GameObjectDefinitionMap& b) {
    ASSERT_EQ(a.size(), b.size());
    for (const auto& [name, components] : a) {
        const auto other = b.find(name);
        ASSERT_NE(other, b.end()) << name;
        ASSERT_EQ(components.size(), other->second.size()) << name;
        auto j = other->second.begin();
        for (auto i = components.begin(); i != components.end(); ++i, ++j) {
            EXPECT_EQ(i->first, j->first) << name;
            ASSERT_EQ(i->second.Size(), j->second.Size()) << name;
            EXPECT_EQ(std::memcmp(i->second.Data(), j->second.Data(), i->second.Size()), 0) << name;
            EXPECT_EQ(i->second.Index(), j->second.Index()) << name;
        }
    }
}

const std::string kRobotObjects = R"(
  <GameObject name="Robot">
    <Component type="Physics">
      <Param name="mass" type="float" value="0.1"/>
    </Component>
    <Component type="Graphic">
      <Param name="mesh" type="string" value="robot.x"/>
      <Param name="scale" type="vector3" value="1.5 2,3"/>
    </Component>
    <Component type="Graphic">
      <Param name="mesh" type="string" value="arm.x"/>
    </Component>
    <Component type="graphic"/>
  </GameObject>
  <GameObject name="Tank">
    <Component type="AIView">
      <Param name="a" type="int" value="5"/>
      <Param name="b" type="bool" value="true"/>
      <Param name="c" type="string" value="xy"/>
    </Component>
  </GameObject>)";
const std::string kRobot = Document(kRobotObjects);

} // namespace

TEST(Definitions, ComponentsAreOrderedByTypeThenFileOrder) {
    GameObjectDefinitionMap definitions;
    ASSERT_TRUE(Read(kRobot, definitions));
    ASSERT_EQ(definitions.size(), 2u);
    const ComponentDefinitionList& robot = definitions.at("Robot");
    std::vector<u32> types;
    std::vector<std::string> meshes;
    for (const auto& [type, definition] : robot) {
        types.push_back(type);
        StreamMap stream = definition;
        std::string objectName, componentName, mesh;
        stream.ReadString(objectName);
        stream.ReadString(componentName);
        EXPECT_EQ(objectName, "Robot");
        if (type == ComponentType::Graphic) {
            stream.ReadString(mesh);
            meshes.push_back(mesh);
        }
        if (type == ComponentType::Invalid) {
            EXPECT_EQ(componentName, "graphic");
        }
    }
    EXPECT_EQ(types, (std::vector<u32>{ComponentType::Graphic, ComponentType::Graphic,
                                       ComponentType::Physics, ComponentType::Invalid}));
    EXPECT_EQ(meshes, (std::vector<std::string>{"robot.x", "arm.x"}));
}

TEST(Definitions, StreamStartsWithTheTwoNamesThenPacksTheParameters) {
    GameObjectDefinitionMap definitions;
    ASSERT_TRUE(Read(kRobot, definitions));
    const StreamMap& tank = definitions.at("Tank").begin()->second;
    // "Tank\0AIView\0" then 05 00 00 00, 01, 'x' 'y' 00.
    const std::string header("Tank\0AIView\0", 12);
    const u8 values[] = {5, 0, 0, 0, 1, 'x', 'y', 0};
    ASSERT_EQ(tank.Size(), header.size() + sizeof values);
    EXPECT_EQ(std::memcmp(tank.Data(), header.data(), header.size()), 0);
    EXPECT_EQ(std::memcmp(tank.Data() + header.size(), values, sizeof values), 0);
    EXPECT_EQ(tank.Index().size(), 3u);
    EXPECT_EQ(tank.GetName(12), "a");
    EXPECT_EQ(tank.GetType(12), "int");
    EXPECT_EQ(tank.GetName(16), "b");
    EXPECT_EQ(tank.GetType(17), "string");
    EXPECT_EQ(tank.GetName(0), StreamMap::kInvalid);
}

TEST(Definitions, ValuesConvertByTheirType) {
    GameObjectDefinitionMap definitions;
    ASSERT_TRUE(Read(Document(R"(<GameObject name="T"><Component type="Light">
        <Param name="i" type="int" value="-2147483648"/>
        <Param name="l" type="long" value="42"/>
        <Param name="f" type="float" value="0.1"/>
        <Param name="d" type="double" value="0.1"/>
        <Param name="b1" type="bool" value="T"/>
        <Param name="b2" type="bool" value="FALSE"/>
        <Param type="vector3" value=" , ,1"/>
        <Param name="v4" type="vector4" value="1,2,3,4,5"/>
        <Param name="s" type="string" value=""/>
        <Param name="v3" type="vector3" value="1.5 2,3"/>
      </Component></GameObject>)"),
                     definitions));
    StreamMap stream = definitions.at("T").begin()->second;
    std::string text;
    stream.ReadString(text);
    stream.ReadString(text);
    i32 i = 0, l = 0;
    float f = 0;
    double d = 0;
    bool b1 = false, b2 = true;
    float v3a[3] = {9, 9, 9}, v4[4] = {}, v3b[3] = {};
    EXPECT_EQ(stream.GetCurrentName(), "i");
    stream.ReadInt(i);
    stream.ReadInt(l);
    stream.ReadFloat(f);
    stream.ReadDouble(d);
    stream.ReadBool(b1);
    stream.ReadBool(b2);
    EXPECT_EQ(stream.GetCurrentName(), "Name Unknown");
    stream.ReadVector3(v3a);
    stream.ReadVector4(v4);
    text = "not empty";
    EXPECT_TRUE(stream.ReadString(text));
    stream.ReadVector3(v3b);
    EXPECT_EQ(i, INT32_MIN);
    EXPECT_EQ(l, 42);
    EXPECT_EQ(f, 0.1f);
    EXPECT_EQ(d, 0.1);
    EXPECT_TRUE(b1);
    EXPECT_FALSE(b2);
    EXPECT_EQ(std::vector<float>(v3a, v3a + 3), (std::vector<float>{1, 0, 0}));
    EXPECT_EQ(std::vector<float>(v4, v4 + 4), (std::vector<float>{1, 2, 3, 4}));
    EXPECT_EQ(text, "");
    EXPECT_EQ(std::vector<float>(v3b, v3b + 3), (std::vector<float>{1.5f, 2, 3}));
    EXPECT_EQ(stream.Cursor(), stream.Size());
}

TEST(Definitions, TheLastTypeOfANameWins) {
    GameObjectDefinitionMap definitions;
    ASSERT_TRUE(Read(Document(R"(<GameObject name="A"><Component type="Graphic"/></GameObject>
                                 <GameObject name="A"><Component type="Light"/></GameObject>)"),
                     definitions));
    ASSERT_EQ(definitions.at("A").size(), 1u);
    EXPECT_EQ(definitions.at("A").begin()->first, ComponentType::Light);
}

TEST(Definitions, AnXmlErrorKeepsTheTypesCompletedBeforeIt) {
    const std::vector<std::pair<std::string, std::string>> faults = {
        {R"(<Param name="p" value="1"/>)", "'type'"},
        {R"(<Param name="p" type="int"/>)", "'value'"},
        {R"(<Param name="p" type="int" value="abc"/>)", "\"abc\""},
        {R"(<Param name="p" type="bool" value="yes"/>)", "\"yes\""},
        {R"(<Param name="p" type="vector3" value="1,x,3"/>)", "\"x\""},
    };
    for (const auto& [param, named] : faults) {
        GameObjectDefinitionMap definitions;
        definitions["Old"];
        std::string log;
        EXPECT_FALSE(Read(Document(R"(<GameObject name="Good"><Component type="Light"/></GameObject>
                                      <GameObject name="Bad"><Component type="Light">)" +
                                   param + R"(</Component></GameObject>
                                      <GameObject name="Later"/>)"),
                          definitions, &log));
        EXPECT_EQ(definitions.count("Old"), 1u);
        EXPECT_EQ(definitions.count("Good"), 1u);
        EXPECT_EQ(definitions.count("Bad"), 0u);
        EXPECT_EQ(definitions.count("Later"), 0u);
        EXPECT_NE(log.find(named), std::string::npos) << log;
    }
    GameObjectDefinitionMap definitions;
    EXPECT_FALSE(Read("<Objects/>", definitions));
    EXPECT_TRUE(definitions.empty());
}

TEST(Definitions, AParameterOfUnknownTypeIsReportedAndSkipped) {
    GameObjectDefinitionMap definitions;
    std::string log;
    ASSERT_TRUE(Read(Document(R"(<GameObject name="T"><Component type="Light">
        <Param name="before" type="int" value="1"/>
        <Param name="odd" type="colour" value="red"/>
        <Param name="after" type="float" value="2"/>
      </Component></GameObject>)"),
                     definitions, &log));
    EXPECT_NE(log.find("colour"), std::string::npos) << log;
    const std::vector<std::pair<std::string, std::string>> expected = {{"before", "int"},
                                                                       {"after", "float"}};
    EXPECT_EQ(ParamsOf(definitions.at("T").begin()->second), expected);

    // The save keeps what follows it.
    ScopedTempHome home;
    ASSERT_TRUE(WriteGameObjectDefinitions(definitions, "defs.xml"));
    GameObjectDefinitionMap reread;
    const std::string text = home.ReadFile("defs.xml");
    ASSERT_TRUE(Read(text, reread));
    EXPECT_EQ(ParamsOf(reread.at("T").begin()->second), expected);
}

TEST(Definitions, ReadSaveReadKeepsEveryComponentAndParameter) {
    ScopedTempHome home;
    GameObjectDefinitionMap definitions;
    ASSERT_TRUE(Read(Document(R"(<GameObject name="Z"><Component type="Trigger">
        <Param name="i" type="int" value="-2147483648"/>
        <Param name="l" type="long" value="2147483647"/>
        <Param name="f" type="float" value="16777215"/>
        <Param name="g" type="float" value="3.14159274"/>
        <Param name="d" type="double" value="0.30000000000000004"/>
        <Param name="b" type="bool" value="t"/>
        <Param type="string" value="a &lt;b&gt; &amp; &quot;c&quot;"/>
        <Param name="v3" type="vector3" value="0.1 -0 1e-7"/>
        <Param name="v4" type="vector4" value="1,2,3"/>
      </Component><Component type="Trigger"/><Component type="Sprte"/></GameObject>)" +
                              kRobotObjects),
                     definitions));
    ASSERT_TRUE(WriteGameObjectDefinitions(definitions, "defs.xml"));
    GameObjectDefinitionMap reread;
    ASSERT_TRUE(Read(home.ReadFile("defs.xml"), reread));
    EXPECT_EQ(reread.size(), 3u);
    ExpectSameDefinitions(definitions, reread);
}

// Names and values as a file without a declaration may hold them: any bytes but NUL (which
// ends the text TinyXML reads), including ones that are not UTF-8, references written out
// as text and markup characters.
TEST(Definitions, ArbitraryBytesInNamesAndValuesReadBackIdentically) {
    std::vector<std::string> texts = {"caf\xE9",      "\xC3",         "ends in a lead \xE2",
                                      "\xF0\x9F\x98", "\xFF\xFE",     "&#x41;",
                                      "&#x",          "&#65;",        "&amp;",
                                      "a & b",        "\"'<>",        "]]>",
                                      "\r\n\t",       " padded ",     "",
                                      "Gr\xC3\xBCn",  "\x01\x1F\x7F", "&#x26;#x41;"};
    u32 seed = 17;
    for (int i = 0; i < 200; ++i) {
        std::string text;
        seed = seed * 1664525u + 1013904223u;
        const u32 length = seed >> 28;
        for (u32 j = 0; j < length; ++j) {
            seed = seed * 1664525u + 1013904223u;
            text.push_back(static_cast<char>(1 + (seed >> 24) % 255));
        }
        texts.push_back(text);
    }
    GameObjectDefinitionMap definitions;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const std::string name = texts[i] + "#" + std::to_string(i);
        StreamMap stream;
        stream.WriteString(name);
        stream.WriteString("Trigger");
        stream.AddString(texts[(i + 1) % texts.size()], texts[(i + 2) % texts.size()]);
        stream.AddInt("after", static_cast<i32>(i));
        definitions[name].emplace(ComponentType::FromName("Trigger"), std::move(stream));
    }
    ScopedTempHome home;
    ASSERT_TRUE(WriteGameObjectDefinitions(definitions, "defs.xml"));
    GameObjectDefinitionMap reread;
    std::string log;
    ASSERT_TRUE(Read(home.ReadFile("defs.xml"), reread, &log)) << log;
    ExpectSameDefinitions(definitions, reread);

    // Valid UTF-8 throughout keeps its declaration.
    GameObjectDefinitionMap plain;
    StreamMap stream;
    stream.WriteString("Gr\xC3\xBCn");
    stream.WriteString("Trigger");
    plain["Gr\xC3\xBCn"].emplace(ComponentType::FromName("Trigger"), std::move(stream));
    ASSERT_TRUE(WriteGameObjectDefinitions(plain, "plain.xml"));
    EXPECT_EQ(home.ReadFile("plain.xml").rfind("<?xml version=\"1.0\" encoding=\"UTF-8\" ?>", 0),
              0u);
}

TEST(Definitions, WrittenFileListsTypesByNameWithAttributesInOrder) {
    ScopedTempHome home;
    GameObjectDefinitionMap definitions;
    ASSERT_TRUE(Read(Document(R"(
        <GameObject name="b"><Component type="graphic"/></GameObject>
        <GameObject name="a"><Component type="Sprite">
          <Param name="v" type="vector3" value="1.5 2 3"/><Param name="on" type="bool" value="1"/>
        </Component></GameObject>)"),
                     definitions));
    ASSERT_TRUE(WriteGameObjectDefinitions(definitions, "defs.xml"));
    EXPECT_EQ(home.ReadFile("defs.xml"),
              "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n"
              "<GameObjects>\n"
              "    <GameObject name=\"a\">\n"
              "        <Component type=\"Sprite\">\n"
              "            <Param name=\"v\" type=\"vector3\" value=\"1.5, 2, 3\" />\n"
              "            <Param name=\"on\" type=\"bool\" value=\"true\" />\n"
              "        </Component>\n"
              "    </GameObject>\n"
              "    <GameObject name=\"b\">\n"
              "        <Component type=\"graphic\" />\n"
              "    </GameObject>\n"
              "</GameObjects>\n");
}

TEST(Definitions, LoadedFromTheLevelsPackageOnceAndThenFromMemory) {
    ScopedTempHome home;
    package_fixture::ScratchFolder scratch;
    const fs::path package =
        package_fixture::MakePackage(scratch.Path(), "levels", {{"game_objects.xml", kRobot}});
    ASSERT_FALSE(package.empty());
    ParserProcess parser;
    parser.m_levels_package_path = package.string();

    GameObjectDefinitionMap* definitions = LoadGameObjectDefinitions(&parser, true);
    EXPECT_EQ(definitions, &parser.m_definitions);
    EXPECT_EQ(definitions->size(), 2u);
    EXPECT_TRUE(fs::is_empty(home.Path())) << "no temporary file is needed";

    // Served from memory: the package is not touched again.
    fs::remove(package);
    ::testing::internal::CaptureStdout();
    EXPECT_EQ(LoadGameObjectDefinitions(&parser, true), definitions);
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");

    // A forced re-read that finds no file leaves the definitions as they were.
    ::testing::internal::CaptureStdout();
    LoadGameObjectDefinitions(&parser, false);
    EXPECT_NE(::testing::internal::GetCapturedStdout().find("game_objects.xml"), std::string::npos);
    EXPECT_EQ(definitions->size(), 2u);
}

namespace {

class Asker : public MessageHandler {
  public:
    void HandleMessage(BaseMessage* msg, u32 fromId) override {
        ++replies;
        from = fromId;
        if (GameObjectDefinitionMap* const* map = msg->Payload<GameObjectDefinitionMap*>()) {
            received = *map;
        }
    }
    int replies = 0;
    u32 from = 0;
    GameObjectDefinitionMap* received = nullptr;
};

} // namespace

TEST(Definitions, ParserAnswersRequestsAndStoresAndSavesEditedMaps) {
    ScopedTempHome home;
    package_fixture::ScratchFolder scratch;
    MessageRouter router;
    ParserProcess parser;
    parser.m_levels_package_path =
        package_fixture::MakePackage(scratch.Path(), "levels", {{"game_objects.xml", kRobot}})
            .string();
    parser.Bind(&router, ParserProcess::kHandlerId);
    Asker asker;
    asker.Bind(&router, 7);

    BaseMessage request(MSG_PARSER_GAME_OBJECTS);
    asker.SendMessage(&request, ParserProcess::kHandlerId);
    EXPECT_EQ(asker.replies, 1);
    EXPECT_EQ(asker.from, ParserProcess::kHandlerId);
    EXPECT_EQ(asker.received, &parser.m_definitions);
    EXPECT_EQ(parser.m_definitions.size(), 2u);

    GameObjectDefinitionMap edited = parser.m_definitions;
    edited.erase("Tank");
    edited["New"];
    Message<GameObjectDefinitionMap> save(MSG_PARSER_SAVE_GAME_OBJECTS, edited);
    asker.SendMessage(&save, ParserProcess::kHandlerId);
    ExpectSameDefinitions(parser.m_definitions, edited);
    GameObjectDefinitionMap saved;
    ASSERT_TRUE(Read(home.ReadFile(kGameObjectDefinitionsPath), saved));
    ExpectSameDefinitions(saved, edited);

    BaseMessage other(MSG_NULL);
    asker.SendMessage(&other, ParserProcess::kHandlerId);
    Message<GameObjectDefinitionMap*> stray(MSG_PARSER_GAME_OBJECTS, &edited);
    asker.SendMessage(&stray, ParserProcess::kHandlerId);
    EXPECT_EQ(asker.replies, 1);
}
