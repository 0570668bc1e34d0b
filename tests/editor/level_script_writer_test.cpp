#include <clocale>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>
#include <random>
#include <sstream>
#include <vector>

#include "editor/level_script_writer.h"
#include "editor_fixture.h"

namespace {

using editor_test::EditorTest;

std::string ReadText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

TEST(LevelScriptText, NoObjectsGiveAnEmptyScript) {
    EXPECT_EQ(level_script::Text({}), "");
}

TEST(LevelScriptText, AnObjectWithoutValuesHasItsTransformLinesOnly) {
    GameObject block("BuildingBlock");
    block.SetPosition(Vector(1.5f, -2.0f, 300.25f));
    block.SetScale(Vector(1.0f, 2.0f, 0.5f));
    EXPECT_EQ(level_script::Text({&block}),
              "object = LuaGameObject( CreateGameObject( \"BuildingBlock\" ) )\n"
              "if Valid( object:GetObject( ) ) then\n"
              "  object:SetPosition( 1.5000, -2.0000, 300.2500 )\n"
              "  object:SetOrientation( 1.0000, 0.0000, 0.0000, 0.0000, 1.0000, 0.0000, 0.0000, "
              "0.0000, 1.0000 )\n"
              "  object:SetScale( 1.0000, 2.0000, 0.5000 )\n"
              "  object:FinalizeMore( )\n"
              "end\n");
}

TEST(LevelScriptText, EachValueTypeHasItsOwnText) {
    GameObject spawn("SpawnPointA");
    const float four[4] = {1.0f, 0.5f, -2.0f, 4.0f};
    spawn.parameters.AddBool("Active", false);
    spawn.parameters.AddBool("Loop", true);
    spawn.parameters.AddVector3("Offset", 1.0f, 2.0f, 3.0f);
    spawn.parameters.AddVector4("Colour", four);
    spawn.parameters.AddInt("Count", -7);
    spawn.parameters.AddLong("Wave", 12);
    spawn.parameters.AddFloat("Delay", 0.125f);
    spawn.parameters.AddDouble("Rate", 1.0 / 3.0);
    spawn.parameters.AddString("Unit", "Tank");
    const std::string text = level_script::Text({&spawn});
    for (const char* line : {
             "  object:Stream( \"Active\", \"bool\", false )\n",
             "  object:Stream( \"Loop\", \"bool\", true )\n",
             "  object:Stream( \"Offset\", \"vector3\", \"1, 2, 3\" )\n",
             "  object:Stream( \"Colour\", \"vector4\", \"1, 0.5, -2, 4\" )\n",
             "  object:Stream( \"Count\", \"int\", -7 )\n",
             "  object:Stream( \"Wave\", \"long\", 12 )\n",
             "  object:Stream( \"Delay\", \"float\", 0.125 )\n",
             "  object:Stream( \"Rate\", \"double\", 0.333333 )\n",
             "  object:Stream( \"Unit\", \"string\", \"Tank\" )\n",
         }) {
        EXPECT_NE(text.find(line), std::string::npos) << line;
    }
    // In the order they were given, between the scale and the end of the block.
    EXPECT_LT(text.find("SetScale"), text.find("\"Active\""));
    EXPECT_LT(text.find("\"Unit\""), text.find("FinalizeMore"));
}

TEST(LevelScriptText, ObjectsAreSeparatedByOneEmptyLine) {
    GameObject first("BuildingBlock");
    GameObject second("Tiny");
    const std::string text = level_script::Text({&first, &second});
    EXPECT_NE(text.find("end\n\nobject = LuaGameObject( CreateGameObject( \"Tiny\" ) )\n"),
              std::string::npos);
    EXPECT_EQ(text.rfind("end\n"), text.size() - 4);
}

// Each object's rotation rows are its own, whatever orientation the object before it had:
// the same quaternion, another, or one that differs only in the sign of a zero.
TEST(LevelScriptText, EachObjectGetsTheRowsOfItsOwnOrientation) {
    const Quaternion turned{0.0f, 0.7071068f, 0.0f, 0.7071068f};
    const Quaternion square{0.0f, 0.0f, 0.0f, 1.0f};
    const Quaternion signedZero{-0.0f, 0.0f, 0.0f, 1.0f};
    const Quaternion tilted{0.3826834f, 0.0f, 0.0f, 0.9238795f};
    const Quaternion order[] = {turned, turned, square, signedZero, turned, tilted, square};
    std::vector<std::unique_ptr<GameObject>> objects;
    std::vector<GameObject*> level;
    std::string expected;
    for (const Quaternion& q : order) {
        objects.push_back(std::make_unique<GameObject>("BuildingBlock"));
        objects.back()->SetOrientation(q);
        level.push_back(objects.back().get());
        expected += (expected.empty() ? "" : "\n") + level_script::Text({level.back()});
    }
    EXPECT_EQ(level_script::Text(level), expected);
}

TEST(LevelScriptText, QuotedTextEscapesWhatWouldEndTheString) {
    const struct {
        std::string text;
        std::string quoted;
    } cases[] = {
        {"plain", "\"plain\""},
        {"a\"b", "\"a\\\"b\""},
        {"back\\slash", "\"back\\\\slash\""},
        {"two\nlines\r", "\"two\\nlines\\r\""},
        {std::string("tab\tbell\a", 9), "\"tab\\009bell\\007\""},
        {"\") os.exit() --", "\"\\\") os.exit() --\""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(level_script::Quoted(c.text), c.quoted) << c.text;
    }
}

// The fixed four decimals are printf's "%.4f" digit for digit (exact ties go to the even
// digit, nines carry into the whole part, huge and non-finite values still print), but
// never "-0.0000".
TEST(LevelScriptText, FixedNumbersAreWhatPrintfWrites) {
    std::vector<float> values = {0.03125f,    -0.03125f,    0.09375f,  0.00005f, -0.00005f,
                                 0.99995f,    9.99995f,     -9.99995f, 0.5f,     -0.5f,
                                 1.00005f,    123456.789f,  1e10f,     -3e15f,   3.4e38f,
                                 1.0f / 0.0f, -1.0f / 0.0f, 2.5e-4f,   -2.5e-4f, 16777215.0f};
    std::mt19937 random(42);
    std::uniform_real_distribution<float> mantissa(-1.0f, 1.0f);
    std::uniform_int_distribution<int> exponent(-16, 24);
    for (int i = 0; i < 20000; ++i) {
        values.push_back(std::ldexp(mantissa(random), exponent(random)));
    }
    GameObject block("BuildingBlock");
    for (const float value : values) {
        block.SetPosition(Vector(value, 0.0f, 0.0f));
        const std::string text = level_script::Text({&block});
        const std::string start = "  object:SetPosition( ";
        const std::size_t at = text.find(start) + start.size();
        const std::string written = text.substr(at, text.find(',', at) - at);
        char printed[64];
        std::snprintf(printed, sizeof printed, "%.4f", value);
        // What rounds to zero has no sign, or a reload and save would not give the same text.
        const std::string expected = std::string(printed) == "-0.0000" ? "0.0000" : printed;
        ASSERT_EQ(written, expected) << std::hexfloat << value;
    }
}

TEST(LevelScriptText, NumbersIgnoreTheEnvironmentsLocale) {
    const char* const previous = std::setlocale(LC_ALL, nullptr);
    const std::string saved = previous != nullptr ? previous : "C";
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr &&
        std::setlocale(LC_ALL, "fr_FR.UTF-8") == nullptr) {
        GTEST_SKIP() << "no locale with a decimal comma is installed";
    }
    std::locale::global(std::locale(std::setlocale(LC_ALL, nullptr)));
    GameObject block("BuildingBlock");
    block.SetPosition(Vector(0.5f, 0.0f, 0.0f));
    block.parameters.AddFloat("Delay", 0.25f);
    const std::string text = level_script::Text({&block});
    std::locale::global(std::locale::classic());
    std::setlocale(LC_ALL, saved.c_str());
    EXPECT_NE(text.find("SetPosition( 0.5000, 0.0000, 0.0000 )"), std::string::npos) << text;
    EXPECT_NE(text.find("\"float\", 0.25 )"), std::string::npos) << text;
}

TEST(LevelScriptFile, AFolderThatDoesNotExistIsReportedAndNothingIsLeft) {
    GameObject block("BuildingBlock");
    EXPECT_FALSE(level_script::Write({&block}, "/nonexistent-folder/level.lua"));
}

TEST_F(EditorTest, SavedLevelLoadsBackAndSavesTheSameLines) {
    MakeState();
    const std::string awkward = "odd \"name\" \\ with\nnewline";
    m_state->m_definitions[awkward] = editor_test::GraphicOnly(awkward);
    GameObject* block = m_state->CreateObject("BuildingBlock");
    ASSERT_NE(block, nullptr);
    block->SetPosition(Vector(10.0f, 2.0f, -4.0f));
    block->SetOrientation(Quaternion{0.0f, 0.7071068f, 0.0f, 0.7071068f});
    block->SetScale(Vector(2.0f, 1.0f, 3.0f));
    block->parameters.AddString("Note", awkward);
    block->parameters.AddVector3("Offset", 1.0f, 2.0f, 3.0f);
    block->parameters.AddBool("Lit", false);
    GameObject* odd = m_state->CreateObject(awkward);
    ASSERT_NE(odd, nullptr);
    ASSERT_TRUE(m_state->SaveLevelScript("./assets/levels/first.lua"));

    m_state->DestroyObjects();
    m_lua.SwitchState(m_lua.CreateState());
    testing::internal::CaptureStdout();
    m_lua.DoScript("./assets/levels/first.lua");
    const std::string output = testing::internal::GetCapturedStdout();
    EXPECT_EQ(output.find(LuaHandler::kErrorPrefix), std::string::npos) << output;
    ASSERT_EQ(m_state->Objects().size(), 2u);
    EXPECT_EQ(m_state->Objects()[1]->name, awkward);
    const GameObject& loaded = *m_state->Objects()[0];
    EXPECT_NEAR(loaded.position.x, 10.0f, 1e-4f);
    EXPECT_NEAR(std::abs(loaded.orientation.y), 0.7071068f, 1e-3f);

    ASSERT_TRUE(m_state->SaveLevelScript("./assets/levels/second.lua"));
    EXPECT_EQ(ReadText("./assets/levels/first.lua"), ReadText("./assets/levels/second.lua"));
}

} // namespace
