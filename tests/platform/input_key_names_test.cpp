// The names of control codes: the scan-code table, the mouse buttons and what has no name.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/input/key_names.h"

namespace {

TEST(KeyNames, EveryCodeOfTheTableComesBackFromItsName) {
    const auto table = input::KeyNameTable();
    ASSERT_EQ(table.size(), 146u);
    std::set<u32> codes;
    for (const input::KeyName& key : table) {
        codes.insert(key.code);
    }
    for (const u32 code : codes) {
        SCOPED_TRACE(code);
        const std::string name = input::KeyNameFromCode(code);
        EXPECT_EQ(name.rfind("DIK_", 0), std::string::npos);
        EXPECT_EQ(input::KeyCodeFromName(name), code);
    }
}

TEST(KeyNames, TheAltKeysShowTheirFirstNamesButTheAliasesStillBind) {
    EXPECT_EQ(input::KeyNameFromCode(56), "LMENU");
    EXPECT_EQ(input::KeyNameFromCode(184), "RMENU");
    EXPECT_EQ(input::KeyCodeFromName("LALT"), 56u);
    EXPECT_EQ(input::KeyCodeFromName("RALT"), 184u);
    const auto table = input::KeyNameTable();
    EXPECT_STREQ(table[table.size() - 2].name, "DIK_LALT");
    EXPECT_STREQ(table[table.size() - 1].name, "DIK_RALT");
}

TEST(KeyNames, CommonKeys) {
    struct Case {
        u32 code;
        const char* name;
    };
    for (const Case& c :
         {Case{0x39, "SPACE"}, Case{0x11, "W"}, Case{0x2A, "LSHIFT"}, Case{0x0B, "0"},
          Case{0x1C, "RETURN"}, Case{0xC8, "UP"}, Case{0x8D, "NUMPADEQUALS"}}) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(input::KeyNameFromCode(c.code), c.name);
        EXPECT_EQ(input::KeyCodeFromName(c.name), c.code);
    }
}

TEST(KeyNames, MouseButtons) {
    struct Case {
        u32 code;
        const char* name;
    };
    for (const Case& c : {Case{256, "LEFT MOUSE"}, Case{257, "RIGHT MOUSE"}, Case{258, "MOUSE 3"},
                          Case{262, "MOUSE 7"}}) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(input::KeyNameFromCode(c.code), c.name);
        EXPECT_EQ(input::KeyCodeFromName(c.name), c.code);
    }
    // A mouse name without a button number leaves the control unbound.
    EXPECT_EQ(input::KeyCodeFromName("MOUSE"), 0u);
    EXPECT_EQ(input::KeyCodeFromName("MOUSE x"), 0u);
    EXPECT_EQ(input::KeyCodeFromName("MOUSE 0"), 0u);
}

TEST(KeyNames, UnknownCodesShowASpaceAndUnknownNamesBindNothing) {
    for (const u32 code : {0u, 0x84u, 0xFFu}) {
        EXPECT_EQ(input::KeyNameFromCode(code), " ") << code;
    }
    for (const char* name : {"", " ", "space", "DIK_SPACE", "NOPE"}) {
        EXPECT_EQ(input::KeyCodeFromName(name), 0u) << name;
    }
}

} // namespace
