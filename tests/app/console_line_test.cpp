#include <gtest/gtest.h>

#include <string>

#include "app/console_line.h"

namespace {

TEST(ConsoleLine, KeepsTheFirst33PrintableCharacters) {
    ConsoleLine line;
    const std::string typed = "abcdefghijklmnopqrstuvwxyz0123456789ABCD"; // 40
    for (const char c : typed) {
        line.Type(c);
    }
    EXPECT_EQ(line.Text(), typed.substr(0, ConsoleLine::kMaxLength));
    line.Type(8);
    line.Type('!');
    EXPECT_EQ(line.Text(), typed.substr(0, 32) + "!");
}

TEST(ConsoleLine, TypedCharacters) {
    struct Case {
        std::string before;
        char c;
        std::string after;
        bool submitted;
    } const cases[] = {
        {"", 8, "", false},                          // backspace on nothing
        {"ab", 8, "a", false}, {"", 13, "", false},  // Enter on an empty line submits nothing
        {"x", 13, "", true},   {"", '`', "", false}, // the grave accent never enters
        {"", '~', "~", false}, {"", ' ', " ", false},
        {"", 31, "", false}, // control characters and DEL are ignored
        {"", 127, "", false},  {"", 27, "", false},
        {"", 0, "", false},    {"", static_cast<char>(-61), "", false},
    };
    for (const Case& c : cases) {
        ConsoleLine line;
        for (const char b : c.before) {
            line.Type(b);
        }
        EXPECT_EQ(line.Type(c.c), c.submitted) << int(c.c);
        EXPECT_EQ(line.Text(), c.after) << int(c.c);
    }
}

TEST(ConsoleLine, SubmittedLineNamesItsCommand) {
    ConsoleLine line;
    EXPECT_EQ(line.Commands().size(), 4u);
    const std::pair<std::string, u32> cases[] = {
        {"core on", 1}, {"gfx on", 2}, {"physics on", 3}, {"ai on", 4}, {"AI ON", 0}, {"gfx", 0},
    };
    for (const auto& [text, number] : cases) {
        for (const char c : text) {
            line.Type(c);
        }
        EXPECT_TRUE(line.Type(13));
        EXPECT_EQ(line.LastCommand(), number) << text;
    }
}

} // namespace
