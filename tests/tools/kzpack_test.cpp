#include <gtest/gtest.h>

#include "content/file_package.h"
#include "content/package_format.h"
#include "support/package_fixture.h"

namespace {

namespace fs = std::filesystem;
using package_fixture::MakePackage;
using package_fixture::ReadFile;
using package_fixture::RunKzpack;
using package_fixture::ScratchFolder;
using package_fixture::ToolRun;
using package_fixture::WriteFile;

std::string EveryByte() {
    std::string bytes;
    for (int i = 0; i < 256; ++i) {
        bytes += static_cast<char>(i);
    }
    return bytes;
}

std::string Read(const FilePackage& package, const std::string& name) {
    u32 size = 0;
    const std::unique_ptr<u8[]> bytes = package.GetFile(name, size);
    return bytes ? std::string(reinterpret_cast<const char*>(bytes.get()), size) : "<null>";
}

const std::map<std::string, std::string> kTree = {
    {"Levels/UberGold.lua", "CreateGameObject(\"Tank\")"},
    {"meshes/deep/er/Tank.X", EveryByte()},
    {"readme.txt", "placeholder"},
    {"Empty.DAT", ""},
    {std::string(253, 'L') + ".x", "long name"},
    {".hidden", "skipped"},
    {".git/config", "skipped too"},
};

TEST(Kzpack, PacksAFolderTreeUnderLowercasedBaseNames) {
    ScratchFolder folder;
    for (const std::vector<std::string>& extra :
         {std::vector<std::string>{}, {"--key", "7"}, {"--key", "0xC8", "--direction", "1"}}) {
        const std::string name = "pack" + std::to_string(extra.size());
        SCOPED_TRACE(name);
        const fs::path path = MakePackage(folder.Path(), name, kTree, extra);
        ASSERT_FALSE(path.empty());

        FilePackage package;
        ASSERT_TRUE(package.Open(path.string()));
        EXPECT_EQ(package.IsScrambled(), !extra.empty());
        std::vector<std::string> stored;
        for (const FilePackage::Entry& entry : package.Entries()) {
            stored.emplace_back(entry.m_name);
        }
        EXPECT_EQ(stored, (std::vector<std::string>{"empty.dat", std::string(253, 'l') + ".x",
                                                    "readme.txt", "tank.x", "ubergold.lua"}));
        EXPECT_EQ(Read(package, "UberGold.lua"), "CreateGameObject(\"Tank\")");
        EXPECT_EQ(Read(package, "tank.x"), EveryByte());
        EXPECT_EQ(Read(package, "empty.dat"), "");
        EXPECT_EQ(Read(package, std::string(253, 'L') + ".X"), "long name");

        const std::vector<u8> raw = ReadFile(path);
        const std::string text(raw.begin(), raw.end());
        EXPECT_EQ(text.find("ubergold.lua") != std::string::npos, extra.empty());
        EXPECT_FALSE(fs::exists(path.string() + ".tmp"));
    }
}

TEST(Kzpack, ListsTheDirectory) {
    ScratchFolder folder;
    const fs::path path = MakePackage(folder.Path(), "levels", {{"B.lua", "bb"}, {"a.lua", "a"}},
                                      {"--key", "200", "--direction", "1"});
    const ToolRun run = RunKzpack({"list", path.string()});
    EXPECT_EQ(run.exitCode, 0) << run.output;
    const u32 data = kzp::kHeaderSize + 2 * kzp::kEntrySize;
    EXPECT_EQ(run.output, "2 entries, scrambled with key 200, direction 1\n"
                          "a.lua\t1\t" +
                              std::to_string(data) +
                              "\n"
                              "b.lua\t2\t" +
                              std::to_string(data + 1) + "\n");

    const fs::path empty = MakePackage(folder.Path(), "empty", {});
    const ToolRun emptyRun = RunKzpack({"list", empty.string()});
    EXPECT_EQ(emptyRun.exitCode, 0);
    EXPECT_EQ(emptyRun.output, "0 entries\n");
}

TEST(Kzpack, ReplacesAnExistingPackage) {
    ScratchFolder folder;
    const fs::path first = MakePackage(folder.Path(), "art", {{"old.dds", "old"}});
    fs::remove(folder / "art" / "old.dds");
    const fs::path second = MakePackage(folder.Path(), "art", {{"new.dds", "new"}});
    ASSERT_EQ(first, second);
    FilePackage package;
    ASSERT_TRUE(package.Open(second.string()));
    EXPECT_EQ(package.FindEntry("old.dds"), -1);
    EXPECT_EQ(Read(package, "new.dds"), "new");
}

TEST(Kzpack, RefusesCollidingBaseNames) {
    ScratchFolder folder;
    for (const auto& [a, b] :
         {std::pair<std::string, std::string>{"A.txt", "sub/a.txt"}, {"x/Tank.x", "y/tank.X"}}) {
        const fs::path source = folder / "collide";
        fs::remove_all(source);
        WriteFile(source / a, "one");
        WriteFile(source / b, "two");
        const fs::path output = folder / "collide.kzp";
        const ToolRun run = RunKzpack({"pack", source.string(), output.string()});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_NE(run.output.find((source / a).string()), std::string::npos) << run.output;
        EXPECT_NE(run.output.find((source / b).string()), std::string::npos) << run.output;
        EXPECT_NE(run.output.find('"' + kzp::LowerCase(fs::path(a).filename().string()) + '"'),
                  std::string::npos)
            << run.output;
        EXPECT_FALSE(fs::exists(output));
    }
}

TEST(Kzpack, RejectsBadCommandLines) {
    ScratchFolder folder;
    WriteFile(folder / "in" / "a.txt", "a");
    const std::string in = (folder / "in").string();
    const std::string out = (folder / "out.kzp").string();
    WriteFile(folder / "broken.kzp", std::string(10, 'x'));
    struct Case {
        std::vector<std::string> args;
        int exitCode;
        std::string message;
    };
    const std::vector<Case> cases = {
        {{}, 2, "no command"},
        {{"unpack", in}, 2, "unknown command unpack"},
        {{"pack", in}, 2, "needs a folder and a package path"},
        {{"pack", in, out, "--key"}, 2, "--key needs a value"},
        {{"pack", in, out, "--key", "256"}, 2, "from 0 to 255, not \"256\""},
        {{"pack", in, out, "--key", "seven"}, 2, "not \"seven\""},
        {{"pack", in, out, "--key", "-1"}, 2, "not \"-1\""},
        {{"pack", in, out, "--direction", "1"}, 2, "only means something with --key"},
        {{"pack", in, out, "--level", "1"}, 2, "unknown option --level"},
        {{"pack", (folder / "absent").string(), out}, 1, "is not a folder"},
        {{"pack", (folder / "in" / "a.txt").string(), out}, 1, "is not a folder"},
        {{"list"}, 2, "list needs one package path"},
        {{"list", (folder / "absent.kzp").string()}, 1, "cannot read the package"},
        {{"list", (folder / "broken.kzp").string()}, 1, "shorter than a package header"},
    };
    for (const Case& c : cases) {
        const ToolRun run = RunKzpack(c.args);
        SCOPED_TRACE(run.output);
        EXPECT_EQ(run.exitCode, c.exitCode);
        EXPECT_NE(run.output.find(c.message), std::string::npos);
    }
    EXPECT_FALSE(fs::exists(out));
}

} // namespace
