#include <filesystem>
#include <gtest/gtest.h>
#include <string>

#include "platform/system/files.h"
#include "support/scoped_file_size_limit.h"
#include "support/scoped_temp_home.h"

namespace fs = std::filesystem;

namespace {

// The folder "out" holds exactly a.xml with these contents: no temporary file is left.
void ExpectOnlyFile(const std::string& contents) {
    std::string read;
    ASSERT_TRUE(sys::ReadFile("out/a.xml", read));
    EXPECT_EQ(read, contents);
    EXPECT_EQ(std::distance(fs::directory_iterator("out"), fs::directory_iterator()), 1);
}

} // namespace

TEST(DocumentsFolder, ComesFromUserDirsOrHomeDocuments) {
    struct Case {
        const char* userDirs; // null: no user-dirs.dirs
        std::string expected; // "~" stands for HOME
    };
    const Case cases[] = {
        {nullptr, "~/Documents"},
        {"XDG_DOCUMENTS_DIR=\"$HOME/Dokumente\"\n", "~/Dokumente"},
        {"# comment\nXDG_DESKTOP_DIR=\"$HOME/Desk\"\n  XDG_DOCUMENTS_DIR=\"/srv/docs/\"\n",
         "/srv/docs"},
        {"XDG_DOCUMENTS_DIR=\"$HOME/A\"\nXDG_DOCUMENTS_DIR=\"$HOME/B\"\n", "~/B"},
        {"XDG_DOCUMENTS_DIR=\"relative/docs\"\n", "~/Documents"},
        {"XDG_DOCUMENTS_DIR=\"$HOMEWORK/x\"\n", "~/Documents"},
        {"XDG_DOCUMENTS_DIR=\"$HOME/My \\\"Docs\\\"\"\n", "~/My \"Docs\""},
    };
    for (const Case& c : cases) {
        ScopedTempHome home;
        if (c.userDirs != nullptr) {
            home.WriteFile(home.Path() + "/.config/user-dirs.dirs", c.userDirs);
        }
        std::string expected = c.expected;
        if (expected[0] == '~') {
            expected = home.Path() + expected.substr(1);
        }
        EXPECT_EQ(sys::DocumentsFolder(), expected) << (c.userDirs ? c.userDirs : "(none)");
    }
}

TEST(DocumentsFolder, HonoursXdgConfigHomeAndNeedsHome) {
    ScopedTempHome home;
    home.WriteFile(home.Path() + "/elsewhere/user-dirs.dirs", "XDG_DOCUMENTS_DIR=\"$HOME/Else\"\n");
    ::setenv("XDG_CONFIG_HOME", (home.Path() + "/elsewhere").c_str(), 1);
    EXPECT_EQ(sys::DocumentsFolder(), home.Path() + "/Else");

    ::unsetenv("HOME");
    EXPECT_EQ(sys::DocumentsFolder(), "");
}

TEST(CreateFolder, MakesOneLevelAndAcceptsAnExistingFolder) {
    ScopedTempHome home;
    EXPECT_TRUE(sys::CreateFolder("a"));
    EXPECT_TRUE(sys::CreateFolder("a"));
    EXPECT_TRUE(fs::is_directory("a"));
    EXPECT_FALSE(sys::CreateFolder("missing/b"));
    home.WriteFile("file", "x");
    EXPECT_FALSE(sys::CreateFolder("file"));
}

TEST(WriteFileAtomic, CreatesAndReplacesWithoutLeavingTemporaryFiles) {
    ScopedTempHome home;
    fs::create_directory("out");
    ASSERT_TRUE(sys::WriteFileAtomic("out/a.xml", "first"));
    ASSERT_TRUE(sys::WriteFileAtomic("out/a.xml", "second, longer"));
    ExpectOnlyFile("second, longer");
}

TEST(WriteFileAtomic, FullDiskKeepsTheOldFile) {
    ScopedTempHome home;
    fs::create_directory("out");
    ASSERT_TRUE(sys::WriteFileAtomic("out/a.xml", "old contents"));

    std::string error;
    bool written = true;
    {
        const ScopedFileSizeLimit limit(100);
        written = sys::WriteFileAtomic("out/a.xml", std::string(5000, 'x'), &error);
    }
    EXPECT_FALSE(written);
    EXPECT_NE(error.find("out/a.xml"), std::string::npos) << error;
    ExpectOnlyFile("old contents");
}

TEST(WriteFileAtomic, MissingFolderFailsWithReason) {
    ScopedTempHome home;
    std::string error;
    EXPECT_FALSE(sys::WriteFileAtomic("nowhere/a.xml", "x", &error));
    EXPECT_NE(error.find("nowhere/a.xml"), std::string::npos) << error;
    std::string contents;
    EXPECT_FALSE(sys::ReadFile("nowhere/a.xml", contents, &error));
    EXPECT_FALSE(sys::DeleteFile("nowhere/a.xml"));
    ASSERT_TRUE(sys::WriteFileAtomic("a.xml", "x"));
    EXPECT_TRUE(sys::DeleteFile("a.xml"));
    EXPECT_FALSE(fs::exists("a.xml"));
}

TEST(WriteNewFile, CreatesButNeverReplacesAndSaysWhenTheNameIsTaken) {
    ScopedTempHome home;
    fs::create_directory("out");
    bool taken = true;
    ASSERT_TRUE(sys::WriteNewFile("out/a.xml", "first", nullptr, &taken));
    EXPECT_FALSE(taken);
    std::string error;
    EXPECT_FALSE(sys::WriteNewFile("out/a.xml", "second", &error, &taken));
    EXPECT_TRUE(taken);
    EXPECT_NE(error.find("out/a.xml"), std::string::npos) << error;
    ExpectOnlyFile("first");

    // A missing folder is a failure, not a taken name.
    EXPECT_FALSE(sys::WriteNewFile("nowhere/a.xml", "x", &error, &taken));
    EXPECT_FALSE(taken);
    EXPECT_FALSE(fs::exists("nowhere"));
}
