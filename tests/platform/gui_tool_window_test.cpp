#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/gui/tool_window.h"

namespace {

using gui::ControlKind;
using gui::kError;

class ToolWindowTest : public testing::Test {
  protected:
    gui::ControlHandle MakeCombo(const std::vector<std::string>& items, bool sorted = false) {
        const gui::ControlHandle combo =
            m_window.Create(ControlKind::Combo, 20, {10, 170, 120, 200}, "Components");
        m_window.SetSorted(combo, sorted);
        for (const std::string& item : items) {
            m_window.AddString(combo, item);
        }
        return combo;
    }

    gui::ToolWindow m_window;
};

TEST_F(ToolWindowTest, ControlsStayInCreationOrderAndDestroyedOnesLeaveNoGap) {
    const auto a = m_window.Create(ControlKind::Label, 0, {10, 10, 100, 20}, "Position (x,y,z):");
    const auto b = m_window.Create(ControlKind::Edit, 2, {10, 30, 75, 18}, "");
    const auto c =
        m_window.Create(ControlKind::Button, 11, {3, 610, 80, 20}, "Apply Updates", true);
    ASSERT_TRUE(m_window.Destroy(b));
    EXPECT_FALSE(m_window.Destroy(b));
    EXPECT_FALSE(m_window.Destroy(0));
    const auto d = m_window.Create(ControlKind::CheckBox, 1003, {0, 0, 1, 1}, "Copy from:");

    std::vector<gui::ControlHandle> order;
    for (const gui::Control& control : m_window.Controls()) {
        order.push_back(control.handle);
    }
    EXPECT_EQ(order, (std::vector<gui::ControlHandle>{a, c, d}));
    EXPECT_NE(d, b) << "a handle is never given twice";
    EXPECT_TRUE(m_window.Find(c)->isDefault);
    EXPECT_EQ(m_window.FindById(11)->handle, c);
    EXPECT_EQ(m_window.Find(b), nullptr);
    EXPECT_EQ(m_window.GetText(b), "");
}

TEST_F(ToolWindowTest, TextIsCutAt510Characters) {
    const auto edit = m_window.Create(ControlKind::Edit, 2, {}, std::string(600, 'a'));
    EXPECT_EQ(m_window.GetText(edit).size(), gui::kMaxText);
    m_window.SetText(edit, std::string(510, 'b') + "c");
    EXPECT_EQ(m_window.GetText(edit), std::string(510, 'b'));
    m_window.SetText(edit, "12.5");
    EXPECT_EQ(m_window.GetText(edit), "12.5");
}

TEST_F(ToolWindowTest, SelectionAnswers) {
    const auto combo = MakeCombo({"Graphic", "Light", "Light"});
    struct Case {
        i32 index;
        i32 answer;
        i32 selection;
    };
    // An index equal to the count (how the editor shows no entry) and -1 both clear it.
    const Case cases[] = {{1, 1, 1}, {3, kError, kError}, {2, 2, 2}, {-1, kError, kError},
                          {0, 0, 0}, {7, kError, kError}};
    for (const Case& c : cases) {
        EXPECT_EQ(m_window.SetCurSel(combo, c.index), c.answer) << c.index;
        EXPECT_EQ(m_window.GetCurSel(combo), c.selection) << c.index;
    }
    EXPECT_EQ(m_window.GetCount(combo), 3);
    EXPECT_EQ(m_window.GetCurSel(MakeCombo({})), kError) << "a new combo box shows no entry";
}

TEST_F(ToolWindowTest, EntryTextsAndDeletion) {
    const auto combo = MakeCombo({"Graphic", "Light", "Physics"});
    std::string text = "unchanged";
    EXPECT_EQ(m_window.GetLBText(combo, 1, text), 5);
    EXPECT_EQ(text, "Light");
    text = "unchanged";
    EXPECT_EQ(m_window.GetLBText(combo, 3, text), kError);
    EXPECT_EQ(m_window.GetLBText(combo, -1, text), kError);
    EXPECT_EQ(text, "unchanged");

    m_window.SetCurSel(combo, 2);
    EXPECT_EQ(m_window.DeleteString(combo, 0), 2);
    EXPECT_EQ(m_window.GetCurSel(combo), 1) << "the selection follows its entry";
    EXPECT_EQ(m_window.DeleteString(combo, 1), 1);
    EXPECT_EQ(m_window.GetCurSel(combo), kError) << "deleting the selected entry clears it";
    EXPECT_EQ(m_window.DeleteString(combo, 1), kError);
    EXPECT_EQ(m_window.DeleteString(combo, -1), kError);
    EXPECT_EQ(m_window.GetCount(combo), 1);
}

TEST_F(ToolWindowTest, FindStringExactSearchesAfterTheStartAndWraps) {
    const auto combo = MakeCombo({"Light", "Graphic", "light", "Physics"});
    struct Case {
        i32 start;
        const char* text;
        i32 found;
    };
    const Case cases[] = {
        {-1, "Light", 0},       {0, "Light", 2},      {2, "Light", 0},
        {1, "LIGHT", 2},        {3, "Graphic", 1},    {1, "Graphic", 1},
        {-1, "Sprite", kError}, {-1, "Ligh", kError}, {9, "Physics", 3},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(m_window.FindStringExact(combo, c.start, c.text), c.found)
            << c.start << " " << c.text;
    }
    EXPECT_EQ(m_window.FindStringExact(MakeCombo({}), -1, "Light"), kError);
}

TEST_F(ToolWindowTest, ComboOperationsOnOtherControlsFail) {
    const auto edit = m_window.Create(ControlKind::Edit, 2, {}, "x");
    std::string text;
    EXPECT_EQ(m_window.AddString(edit, "a"), kError);
    EXPECT_EQ(m_window.SetCurSel(edit, 0), kError);
    EXPECT_EQ(m_window.GetCurSel(edit), kError);
    EXPECT_EQ(m_window.GetLBText(edit, 0, text), kError);
    EXPECT_EQ(m_window.DeleteString(edit, 0), kError);
    EXPECT_EQ(m_window.FindStringExact(edit, -1, "x"), kError);
    EXPECT_EQ(m_window.GetCount(edit), kError);
    EXPECT_EQ(m_window.GetCount(0), kError);
}

TEST_F(ToolWindowTest, ASortedComboInsertsInOrderIgnoringCaseAndKeepsItsSelection) {
    const auto combo = MakeCombo({"Trigger", "Graphic"}, true);
    m_window.SetCurSel(combo, 1); // Trigger
    EXPECT_EQ(m_window.AddString(combo, "light"), 1);
    EXPECT_EQ(m_window.AddString(combo, "AIView"), 0);
    EXPECT_EQ(m_window.Find(combo)->items,
              (std::vector<std::string>{"AIView", "Graphic", "light", "Trigger"}));
    EXPECT_EQ(m_window.GetCurSel(combo), 3);
}

TEST_F(ToolWindowTest, CommandsAreDrainedInOrderAsOneWordAndLaterPostsWait) {
    m_window.Post(11);
    m_window.Post(20, gui::kNotifySelChange);
    std::vector<u32> seen;
    m_window.Drain([&](u32 param) {
        seen.push_back(param);
        if (seen.size() == 1) {
            m_window.Post(gui::kIdOk);
        }
    });
    EXPECT_EQ(seen, (std::vector<u32>{11u, (1u << 16) | 20u}));
    ASSERT_TRUE(m_window.HasCommands());
    const std::vector<gui::Command> left = m_window.TakeCommands();
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].id, gui::kIdOk);
    EXPECT_FALSE(m_window.HasCommands());
}

TEST_F(ToolWindowTest, CheckBoxes) {
    const auto box = m_window.Create(ControlKind::CheckBox, 1003, {}, "Copy from:");
    EXPECT_FALSE(m_window.GetCheck(box));
    m_window.SetCheck(box, true);
    EXPECT_TRUE(m_window.GetCheck(box));
    EXPECT_FALSE(m_window.GetCheck(0));
}

} // namespace
