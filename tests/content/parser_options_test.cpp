#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "content/parser_process.h"
#include "support/scoped_file_size_limit.h"
#include "support/scoped_temp_home.h"

namespace fs = std::filesystem;

namespace {

class ParserOptions : public ::testing::Test {
  protected:
    void WriteSaveFile(const std::string& name, const std::string& body) {
        home.WriteFile(home.SaveFolder() + name,
                       "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n" + body);
    }
    std::string ReadSaveFile(const std::string& name) {
        return home.ReadFile(home.SaveFolder() + name);
    }

    ScopedTempHome home;
    ParserProcess parser;
};

std::string Graphics(const std::string& elements) {
    return "<GraphicsOptions>" + elements + "</GraphicsOptions>";
}

std::string Controls(const std::string& elements) {
    return "<Controls>" + elements + "</Controls>";
}

std::string Control(const std::string& name, const std::string& value) {
    return "<Control name=\"" + name + "\" value=\"" + value + "\"/>";
}

void ExpectDefaultGraphics(const GraphicsOptions& g) {
    EXPECT_EQ(g.m_resolution, 1);
    EXPECT_EQ(g.m_shadow_map_size, 1);
    EXPECT_EQ(g.m_shadow_map_count, 1);
    EXPECT_TRUE(g.m_shadows);
    EXPECT_TRUE(g.m_motion_blur);
    EXPECT_TRUE(g.m_depth_of_field);
    EXPECT_FALSE(g.m_three_dee);
    EXPECT_TRUE(g.m_fullscreen);
}

} // namespace

TEST_F(ParserOptions, EverythingHasItsDefaultsWithoutFilesAndTheSaveFolderIsMade) {
    ::testing::internal::CaptureStdout();
    ExpectDefaultGraphics(*ParserProcess::LoadGraphicsOptions(&parser, true));

    const SoundOptions* sound = ParserProcess::LoadSoundOptions(&parser, true);
    EXPECT_EQ(sound->m_master_volume, 1.0f);
    EXPECT_EQ(sound->m_sound_fx_volume, 0.5f);
    EXPECT_EQ(sound->m_music_volume, 1.0f);

    const KeyBindings* keys = ParserProcess::LoadKeyboardControls(&parser, true);
    const std::vector<u32> codes(keys->m_codes, keys->m_codes + CONTROL_COUNT);
    EXPECT_EQ(codes, (std::vector<u32>{0x11, 0x1F, 0x1E, 0x20, 0x39, 256, 257, 257, 0x12, 0, 0x10,
                                       0, 0, 0, 0, 1, 0x0E, 0}));
    EXPECT_EQ(keys->m_sensitivity_x, 1.0f);
    EXPECT_EQ(keys->m_sensitivity_y, 1.0f);
    const std::string log = ::testing::internal::GetCapturedStdout();

    EXPECT_NE(log.find("graphics_options.xml"), std::string::npos) << log;
    EXPECT_TRUE(fs::is_directory(home.SaveFolder()));
    // Reading creates the folders but writes no file.
    EXPECT_TRUE(fs::is_empty(home.SaveFolder()));
}

TEST_F(ParserOptions, SavedFilesHoldTheElementsInTheirOrder) {
    ::testing::internal::CaptureStdout();
    GraphicsOptions* graphics = ParserProcess::LoadGraphicsOptions(&parser, true);
    SoundOptions* sound = ParserProcess::LoadSoundOptions(&parser, true);
    KeyBindings* keys = ParserProcess::LoadKeyboardControls(&parser, true);
    ::testing::internal::GetCapturedStdout();
    graphics->m_resolution = 4;
    graphics->m_three_dee = true;
    sound->m_music_volume = 0.3f;
    keys->m_codes[CONTROL_ROCKET_PUNCH] = 0x13;
    keys->m_codes[CONTROL_CHARGE] = 0x2A;
    keys->m_sensitivity_y = 2.5f;
    ASSERT_TRUE(ParserProcess::SaveGraphicsOptions(&parser));
    ASSERT_TRUE(ParserProcess::SaveSoundOptions(&parser));
    ASSERT_TRUE(ParserProcess::SaveKeyboardControls(&parser));

    const std::string declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n";
    EXPECT_EQ(ReadSaveFile("graphics_options.xml"),
              declaration + "<GraphicsOptions>\n"
                            "    <OptionInt name=\"Resolution\" value=\"4\" />\n"
                            "    <OptionInt name=\"Shadow Map Size\" value=\"1\" />\n"
                            "    <OptionInt name=\"Shadow Map Count\" value=\"1\" />\n"
                            "    <OptionBool name=\"Shadows\" value=\"true\" />\n"
                            "    <OptionBool name=\"Motion Blur\" value=\"true\" />\n"
                            "    <OptionBool name=\"Depth of Field\" value=\"true\" />\n"
                            "    <OptionBool name=\"3D\" value=\"true\" />\n"
                            "    <OptionBool name=\"Fullscreen\" value=\"true\" />\n"
                            "</GraphicsOptions>\n");
    EXPECT_EQ(ReadSaveFile("sound_options.xml"),
              declaration + "<SoundOptions>\n"
                            "    <OptionFloat name=\"Master Volume\" value=\"1\" />\n"
                            "    <OptionFloat name=\"Sound FX Volume\" value=\"0.5\" />\n"
                            "    <OptionFloat name=\"Music Volume\" value=\"0.3\" />\n"
                            "</SoundOptions>\n");
    // Charge is read but never written, as the file has always been.
    EXPECT_EQ(ReadSaveFile("keyboard_controls.xml"),
              declaration + "<Controls>\n"
                            "    <Control name=\"Forward\" value=\"17\" />\n"
                            "    <Control name=\"Backward\" value=\"31\" />\n"
                            "    <Control name=\"Left\" value=\"30\" />\n"
                            "    <Control name=\"Right\" value=\"32\" />\n"
                            "    <Control name=\"Jump\" value=\"57\" />\n"
                            "    <Control name=\"RocketPunch\" value=\"19\" />\n"
                            "    <Control name=\"GrabThrow\" value=\"256\" />\n"
                            "    <Control name=\"Punch\" value=\"257\" />\n"
                            "    <Control name=\"Laser\" value=\"18\" />\n"
                            "    <Control name=\"LaserAlt\" value=\"16\" />\n"
                            "    <Sensitivity axis=\"x\" value=\"1\" />\n"
                            "    <Sensitivity axis=\"y\" value=\"2.5\" />\n"
                            "</Controls>\n");

    ParserProcess fresh;
    EXPECT_EQ(ParserProcess::LoadGraphicsOptions(&fresh, true)->m_resolution, 4);
    EXPECT_EQ(ParserProcess::LoadSoundOptions(&fresh, true)->m_music_volume, 0.3f);
    EXPECT_EQ(ParserProcess::LoadKeyboardControls(&fresh, true)->m_codes[CONTROL_ROCKET_PUNCH],
              0x13u);
}

TEST_F(ParserOptions, OnlyTheExactTextTrueIsTrue) {
    WriteSaveFile("graphics_options.xml",
                  Graphics("<OptionBool name=\"Fullscreen\" value=\"True\"/>"
                           "<OptionBool name=\"Shadows\" value=\"1\"/>"
                           "<OptionBool name=\"3D\" value=\"true\"/>"));
    const GraphicsOptions* g = ParserProcess::LoadGraphicsOptions(&parser, true);
    EXPECT_FALSE(g->m_fullscreen);
    EXPECT_FALSE(g->m_shadows);
    EXPECT_TRUE(g->m_three_dee);
}

TEST_F(ParserOptions, APartialFileKeepsTheOtherValues) {
    WriteSaveFile("sound_options.xml",
                  "<SoundOptions><OptionFloat name=\"Master Volume\" value=\"0.25\"/>"
                  "<OptionFloat name=\"Unknown\" value=\"zzz\"/></SoundOptions>");
    const SoundOptions* sound = ParserProcess::LoadSoundOptions(&parser, true);
    EXPECT_EQ(sound->m_master_volume, 0.25f);
    EXPECT_EQ(sound->m_sound_fx_volume, 0.0f);
    EXPECT_EQ(sound->m_music_volume, 0.0f);

    parser.m_sound.m_music_volume = 0.75f;
    WriteSaveFile("sound_options.xml",
                  "<SoundOptions><OptionFloat name=\"Sound FX Volume\" value=\"0.1\"/>"
                  "<OptionFloat name=\"Sound FX Volume\" value=\"0.2\"/></SoundOptions>");
    ParserProcess::LoadSoundOptions(&parser, false);
    EXPECT_EQ(sound->m_master_volume, 0.25f);
    EXPECT_EQ(sound->m_sound_fx_volume, 0.2f);
    EXPECT_EQ(sound->m_music_volume, 0.75f);
}

TEST_F(ParserOptions, ABrokenFileResetsTheWholeFileToDefaults) {
    const std::string resolution3 = "<OptionInt name=\"Resolution\" value=\"3\"/>";
    const std::vector<std::string> broken = {
        Graphics(resolution3 + "<OptionInt name=\"Shadow Map Size\" value=\"big\"/>"),
        Graphics(resolution3 + "<OptionInt name=\"Shadow Map Size\" value=\"2.5\"/>"),
        Graphics(resolution3 + "<OptionBool name=\"Shadows\"/>"),
        Graphics(resolution3 + "<OptionBool value=\"false\"/>"),
        "<Options>" + resolution3 + "</Options>",
        "<GraphicsOptions>" + resolution3 + "<OptionInt name=",
        "",
    };
    for (const std::string& body : broken) {
        parser.m_graphics = GraphicsOptions{};
        WriteSaveFile("graphics_options.xml", body);
        ::testing::internal::CaptureStdout();
        ExpectDefaultGraphics(*ParserProcess::LoadGraphicsOptions(&parser, false));
        const std::string log = ::testing::internal::GetCapturedStdout();
        EXPECT_FALSE(log.empty()) << body;
        EXPECT_EQ(log.find('\n'), log.size() - 1) << "one line per failure: " << log;
    }
}

TEST_F(ParserOptions, IndicesAndControlCodesOutOfRangeReadAsDefaults) {
    struct Case {
        const char* name;
        const char* value;
        i32 expected;
    };
    const Case graphics[] = {
        {"Resolution", "5", 5},       {"Resolution", "6", 1},        {"Resolution", "-1", 1},
        {"Resolution", "0", 0},       {"Shadow Map Size", "2", 2},   {"Shadow Map Size", "3", 1},
        {"Shadow Map Count", "0", 0}, {"Shadow Map Count", "99", 1},
    };
    for (const Case& c : graphics) {
        WriteSaveFile("graphics_options.xml", Graphics(std::string("<OptionInt name=\"") + c.name +
                                                       "\" value=\"" + c.value + "\"/>"));
        const GraphicsOptions* g = ParserProcess::LoadGraphicsOptions(&parser, false);
        const i32 read = std::string(c.name) == "Resolution"        ? g->m_resolution
                         : std::string(c.name) == "Shadow Map Size" ? g->m_shadow_map_size
                                                                    : g->m_shadow_map_count;
        EXPECT_EQ(read, c.expected) << c.name << " = " << c.value;
    }

    WriteSaveFile("keyboard_controls.xml",
                  Controls(Control("Forward", "263") + Control("Backward", "264") +
                           Control("Left", "-5") + Control("Right", "4294967313") +
                           Control("Jump", "0")));
    const KeyBindings* keys = ParserProcess::LoadKeyboardControls(&parser, false);
    EXPECT_EQ(keys->m_codes[CONTROL_FORWARD], 263u);
    EXPECT_EQ(keys->m_codes[CONTROL_BACKWARD], 0x1Fu);
    EXPECT_EQ(keys->m_codes[CONTROL_LEFT], 0x1Eu);
    EXPECT_EQ(keys->m_codes[CONTROL_RIGHT], 0x20u);
    EXPECT_EQ(keys->m_codes[CONTROL_JUMP], 0u);
}

TEST_F(ParserOptions, OldControlNamesAreReadIntoTheirBindings) {
    WriteSaveFile("keyboard_controls.xml",
                  Controls(Control("LaserAlt", "44") + Control("Action1", "45") +
                           Control("Charge", "46") + Control("Action2", "47") +
                           Control("Action5", "48") + Control("Unknown", "1") +
                           "<Sensitivity axis=\"x\" value=\"0.5\"/>"
                           "<Sensitivity axis=\"z\" value=\"9\"/>"));
    const KeyBindings* keys = ParserProcess::LoadKeyboardControls(&parser, false);
    EXPECT_EQ(keys->m_codes[CONTROL_LASER_ALT], 45u);
    EXPECT_EQ(keys->m_codes[CONTROL_CHARGE], 46u);
    EXPECT_EQ(keys->m_codes[CONTROL_ACTION2], 47u);
    EXPECT_EQ(keys->m_codes[CONTROL_ACTION5], 48u);
    EXPECT_EQ(keys->m_sensitivity_x, 0.5f);
    EXPECT_EQ(keys->m_sensitivity_y, 0.0f);
}

TEST_F(ParserOptions, CachedCopiesAreServedUntilAReReadIsAskedFor) {
    WriteSaveFile("graphics_options.xml", Graphics("<OptionInt name=\"Resolution\" value=\"2\"/>"));
    GraphicsOptions* first = ParserProcess::LoadGraphicsOptions(&parser, true);
    WriteSaveFile("graphics_options.xml", Graphics("<OptionInt name=\"Resolution\" value=\"3\"/>"));
    EXPECT_EQ(ParserProcess::LoadGraphicsOptions(&parser, true), first);
    EXPECT_EQ(first->m_resolution, 2);
    EXPECT_EQ(ParserProcess::LoadGraphicsOptions(&parser, false)->m_resolution, 3);

    // Complete bindings are cached; a movement or action control bound to 0 is not, so the
    // next cached request reads the file again.
    const std::string complete =
        Control("Forward", "17") + Control("Backward", "31") + Control("Left", "30") +
        Control("Right", "32") + Control("Jump", "57") + Control("RocketPunch", "19") +
        Control("GrabThrow", "256") + Control("Punch", "257") + Control("Laser", "18");
    WriteSaveFile("keyboard_controls.xml", Controls(complete + Control("Forward", "0")));
    EXPECT_EQ(ParserProcess::LoadKeyboardControls(&parser, true)->m_codes[CONTROL_FORWARD], 0u);
    WriteSaveFile("keyboard_controls.xml", Controls(complete));
    EXPECT_EQ(ParserProcess::LoadKeyboardControls(&parser, true)->m_codes[CONTROL_FORWARD], 17u);
    WriteSaveFile("keyboard_controls.xml", Controls(complete + Control("Forward", "5")));
    EXPECT_EQ(ParserProcess::LoadKeyboardControls(&parser, true)->m_codes[CONTROL_FORWARD], 17u);
}

TEST_F(ParserOptions, AFailedSaveLeavesTheOldFile) {
    ::testing::internal::CaptureStdout();
    ParserProcess::LoadGraphicsOptions(&parser, true);
    ASSERT_TRUE(ParserProcess::SaveGraphicsOptions(&parser));
    const std::string before = ReadSaveFile("graphics_options.xml");
    parser.m_graphics.m_resolution = 5;
    bool saved = true;
    {
        const ScopedFileSizeLimit limit(before.size() / 2);
        saved = ParserProcess::SaveGraphicsOptions(&parser);
    }
    const std::string log = ::testing::internal::GetCapturedStdout();
    EXPECT_FALSE(saved);
    EXPECT_NE(log.find("graphics_options.xml"), std::string::npos) << log;
    EXPECT_EQ(ReadSaveFile("graphics_options.xml"), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(home.SaveFolder()), fs::directory_iterator()),
              1);
}

TEST_F(ParserOptions, SaveFolderFallsBackToTheWorkingDirectory) {
    ::testing::internal::CaptureStdout();
    // A documents folder on a network share: files go to "./".
    home.WriteFile(home.Path() + "/.config/user-dirs.dirs",
                   "XDG_DOCUMENTS_DIR=\"//server/docs\"\n");
    ParserProcess::LoadGraphicsOptions(&parser, true);
    ASSERT_TRUE(ParserProcess::SaveGraphicsOptions(&parser));
    EXPECT_TRUE(fs::exists(home.Path() + "/graphics_options.xml"));

    // No documents folder at all: "./save/", made on first use.
    ::unsetenv("HOME");
    ASSERT_TRUE(ParserProcess::SaveSoundOptions(&parser));
    EXPECT_TRUE(fs::exists(home.Path() + "/save/sound_options.xml"));
    ::testing::internal::GetCapturedStdout();
}
