#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "property_window_fixture.h"
#include "support/scoped_temp_home.h"

namespace {

using editor_test::HandleOf;
using editor_test::ScriptedRunner;

// Picks a listed file or types a name, then OK.
ScriptedRunner::Answer Choose(const std::string& listed, const std::string& typed) {
    return [=](gui::ToolWindow& dialog) {
        const auto list = HandleOf(dialog, editor::ID_FILE_LIST);
        if (!listed.empty()) {
            dialog.SetCurSel(list, dialog.FindStringExact(list, -1, listed));
        }
        dialog.SetText(HandleOf(dialog, editor::ID_FILE_NAME), typed);
        return gui::kIdOk;
    };
}

ScriptedRunner::Answer Answer(i32 id) {
    return [id](gui::ToolWindow&) { return id; };
}

class LevelFileDialogsTest : public testing::Test {
  protected:
    LevelFileDialogsTest()
        : m_folder(m_home.Path() + "/levels"),
          m_dialogs(m_runner, m_folder, {"ubergold.lua", "game_objects.xml", "menu_level.lua"}) {
        m_home.WriteFile("levels/city.lua", "");
        m_home.WriteFile("levels/ubergold.lua", "");
        m_home.WriteFile("levels/notes.txt", "");
    }

    ScopedTempHome m_home;
    std::string m_folder;
    ScriptedRunner m_runner;
    editor::LevelFileDialogs m_dialogs;
};

TEST_F(LevelFileDialogsTest, TheListHoldsTheLevelScriptsOfTheFolderAndThePackageOnce) {
    EXPECT_EQ(m_dialogs.Names(),
              (std::vector<std::string>{"city.lua", "menu_level.lua", "ubergold.lua"}));
}

TEST_F(LevelFileDialogsTest, SaveAddsTheExtensionAndAsksBeforeMakingANewFile) {
    struct Case {
        std::vector<ScriptedRunner::Answer> answers;
        std::string path;
        std::size_t dialogs;
    };
    const std::string folder = m_folder + "/";
    std::vector<Case> cases;
    cases.push_back({{Choose("", "city")}, folder + "city.lua", 1});
    cases.push_back({{Choose("", "fresh"), Answer(gui::kIdOk)}, folder + "fresh.lua", 2});
    cases.push_back({{Choose("", "fresh.level"), Answer(gui::kIdOk)}, folder + "fresh.level", 2});
    cases.push_back({{Choose("", "fresh"), Answer(gui::kIdCancel)}, "", 2});
    cases.push_back({{Choose("city.lua", "")}, folder + "city.lua", 1});
    cases.push_back({{Answer(gui::kIdCancel)}, "", 1});
    cases.push_back({{Choose("", "")}, "", 1});
    for (Case& c : cases) {
        m_runner.m_titles.clear();
        m_runner.m_answers.assign(c.answers.begin(), c.answers.end());
        EXPECT_EQ(m_dialogs.Save(), c.path) << c.path;
        EXPECT_EQ(m_runner.m_titles.size(), c.dialogs) << c.path;
    }
}

TEST_F(LevelFileDialogsTest, OpenAnswersOnlyLevelsThatExist) {
    m_runner.m_answers = {Choose("city.lua", ""), Choose("", "missing"),
                          Choose("menu_level.lua", "")};
    EXPECT_EQ(m_dialogs.Open(), m_folder + "/city.lua");
    EXPECT_EQ(m_dialogs.Open(), "");
    EXPECT_EQ(m_dialogs.Open(), m_folder + "/menu_level.lua") << "packaged levels are found too";
}

} // namespace
