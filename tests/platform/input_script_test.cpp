#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "platform/input/input_script.h"
#include "platform/input/keys.h"
#include "support/package_fixture.h"

namespace {

using input::InputScript;
using Action = InputScript::Action;

class InputScriptTest : public ::testing::Test {
  protected:
    void Append(const std::string& text) const { std::ofstream(m_path, std::ios::app) << text; }

    // "tap:<code>" per event.
    static std::vector<std::string> Names(const std::vector<InputScript::Event>& events) {
        std::vector<std::string> names;
        for (const InputScript::Event& e : events) {
            const char* action = e.action == Action::Tap    ? "tap"
                                 : e.action == Action::Down ? "down"
                                                            : "up";
            names.push_back(std::string(action) + ":" + std::to_string(e.code));
        }
        return names;
    }

    package_fixture::ScratchFolder m_scratch;
    const std::string m_path = (m_scratch / "keys.txt").string();
};

TEST_F(InputScriptTest, ReadsDelayActionAndKeyName) {
    struct Row {
        const char* line;
        bool event;
        double delay;
        Action action;
        u8 code;
    };
    const Row rows[] = {
        {"0 tap Return", true, 0.0, Action::Tap, input::key::Enter},
        {"1.5 down Left Shift", true, 1.5, Action::Down, input::key::LeftShift},
        {"  2   up   Escape  \r", true, 2.0, Action::Up, input::key::Escape},
        {"0 tap F1", true, 0.0, Action::Tap, input::key::F1},
    };
    for (const Row& row : rows) {
        InputScript::Event event;
        std::string error;
        ASSERT_TRUE(InputScript::ParseLine(row.line, event, error)) << row.line << ": " << error;
        EXPECT_DOUBLE_EQ(event.delay, row.delay) << row.line;
        EXPECT_EQ(event.action, row.action) << row.line;
        EXPECT_EQ(event.code, row.code) << row.line;
    }
}

TEST_F(InputScriptTest, SkipsCommentsAndBlankLinesQuietlyAndReportsFaultyOnes) {
    const std::vector<std::pair<std::string, bool>> lines = {
        {"", false},          {"   ", false},     {"# Escape later", false},
        {"soon tap Q", true}, {"-1 tap Q", true}, {"nan tap Q", true},
        {"1 press Q", true},  {"1 tap", true},    {"1 tap NoSuchKey", true},
        {"1s tap Q", true}};
    for (const auto& [line, faulty] : lines) {
        InputScript::Event event;
        std::string error;
        EXPECT_FALSE(InputScript::ParseLine(line, event, error)) << line;
        EXPECT_EQ(!error.empty(), faulty) << line << ": " << error;
    }
}

TEST_F(InputScriptTest, ReadsMouseButtonsCursorPlacesAndMotion) {
    InputScript::Event event;
    std::string error;
    ASSERT_TRUE(InputScript::ParseLine("0.5 down Mouse Right", event, error)) << error;
    EXPECT_TRUE(event.mouseButton);
    EXPECT_EQ(event.code, 1);
    EXPECT_EQ(event.action, Action::Down);
    ASSERT_TRUE(InputScript::ParseLine("1 cursor 512 -3", event, error)) << error;
    EXPECT_EQ(event.action, Action::Cursor);
    EXPECT_EQ(event.x, 512);
    EXPECT_EQ(event.y, -3);
    ASSERT_TRUE(InputScript::ParseLine("0 move -4 7", event, error)) << error;
    EXPECT_EQ(event.action, Action::Move);
    EXPECT_EQ(event.x, -4);
    EXPECT_EQ(event.y, 7);
    for (const char* faulty : {"1 cursor 5", "1 move x y"}) {
        EXPECT_FALSE(InputScript::ParseLine(faulty, event, error)) << faulty;
        EXPECT_FALSE(error.empty()) << faulty;
    }
}

TEST_F(InputScriptTest, EventsComeDueTheirDelayAfterThePreviousOne) {
    Append("0.5 tap Q\n0 down W\n1 up W\n");
    InputScript script(m_path);
    EXPECT_TRUE(script.TakeDue(0.0).empty());
    EXPECT_TRUE(script.TakeDue(0.4).empty());
    EXPECT_EQ(Names(script.TakeDue(0.6)),
              (std::vector<std::string>{"tap:" + std::to_string(input::key::Q),
                                        "down:" + std::to_string(input::key::W)}));
    // Counted from when the previous event fired, not from when it was due.
    EXPECT_TRUE(script.TakeDue(1.5).empty());
    EXPECT_EQ(Names(script.TakeDue(1.6)),
              std::vector<std::string>{"up:" + std::to_string(input::key::W)});
    EXPECT_TRUE(script.TakeDue(10.0).empty());
}

TEST_F(InputScriptTest, FollowsTheFileAsItGrowsAndWaitsForWholeLines) {
    InputScript script(m_path);
    // No file yet: nothing, and it is looked for again.
    EXPECT_TRUE(script.TakeDue(1.0).empty());
    Append("# written while the game runs\n1 tap E\n0 tap ");
    EXPECT_TRUE(script.TakeDue(2.0).empty());
    EXPECT_EQ(script.TakeDue(3.0).size(), 1u);
    EXPECT_TRUE(script.TakeDue(4.0).empty());
    Append("R\nbad line\n0 tap T\n");
    testing::internal::CaptureStderr();
    const auto due = script.TakeDue(5.0);
    const std::string report = testing::internal::GetCapturedStderr();
    EXPECT_EQ(Names(due), (std::vector<std::string>{"tap:" + std::to_string(input::key::R),
                                                    "tap:" + std::to_string(input::key::T)}));
    EXPECT_NE(report.find(m_path + ":4:"), std::string::npos) << report;
}

TEST_F(InputScriptTest, DeviceWithAScriptSeesTheKeysOnlyWhenTheVariableIsSet) {
    unsetenv(InputScript::kVariable);
    const auto plain = std::make_shared<input::EventDevice>();
    EXPECT_EQ(input::WithInputScript(plain), plain);

    Append("0 tap Return\n");
    setenv(InputScript::kVariable, m_path.c_str(), 1);
    const auto device = input::WithInputScript(std::make_shared<input::EventDevice>());
    unsetenv(InputScript::kVariable);
    input::KeyArray keys{};
    ASSERT_TRUE(device->ReadKeyboard(keys));
    // A tap reads as down once, then up.
    EXPECT_EQ(keys[input::key::Enter], input::kDown);
    ASSERT_TRUE(device->ReadKeyboard(keys));
    EXPECT_EQ(keys[input::key::Enter], 0);
}

} // namespace
