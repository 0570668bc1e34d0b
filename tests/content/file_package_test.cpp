#include "content/file_package.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

#include "content/package_format.h"
#include "support/package_fixture.h"

namespace {

namespace fs = std::filesystem;
using package_fixture::ReadFile;
using package_fixture::ScratchFolder;
using package_fixture::WriteFile;

std::vector<u8> Bytes(const std::string& text) {
    return {text.begin(), text.end()};
}

std::vector<u8> BuildRaw(const std::vector<kzp::PackageFile>& files,
                         const kzp::Scrambling& scrambling = {}) {
    std::vector<u8> package;
    std::string error;
    EXPECT_TRUE(kzp::BuildPackage(files, scrambling, package, error)) << error;
    return package;
}

// The file's bytes, or "<null>" after a failed GetFile; the log lines written meanwhile
// land in `log`.
std::string Fetch(const FilePackage& package, const std::string& name, std::string* log = nullptr) {
    testing::internal::CaptureStdout();
    u32 size = 12345;
    const std::unique_ptr<u8[]> bytes = package.GetFile(name, size);
    const std::string written = testing::internal::GetCapturedStdout();
    if (log != nullptr) {
        *log = written;
    }
    if (!bytes) {
        EXPECT_EQ(size, 0u);
        return "<null>";
    }
    return std::string(reinterpret_cast<const char*>(bytes.get()), size);
}

class FilePackageTest : public testing::Test {
  protected:
    // Writes the package and opens it through the registry, as the game does.
    FilePackage* Install(const std::string& name, const std::vector<u8>& bytes) {
        const fs::path path = m_folder / name;
        WriteFile(path, bytes);
        return FilePackage::Get(path.string());
    }

    ScratchFolder m_folder;
};

TEST(FilePackageSplitPath, KeepsThePartAfterTheLastSlash) {
    const std::pair<std::string, std::string> cases[] = {
        {"./assets/levels/ubergold.lua", "ubergold.lua"},
        {"graphics/shaders/sky.fxo", "sky.fxo"},
        {"plain.x", "plain.x"},
        {"/rooted", "rooted"},
        {"folder/", ""},
        {"", ""},
        {"windows\\style\\name.dds", "windows\\style\\name.dds"},
        {"mixed\\a/b\\c.dds", "b\\c.dds"},
    };
    for (const auto& [path, expected] : cases) {
        EXPECT_EQ(FilePackage::SplitPath(path), expected) << path;
    }
}

TEST_F(FilePackageTest, LookupIgnoresLetterCaseAndFolders) {
    FilePackage* const package = Install(
        "levels.kzp",
        BuildRaw({{"ubergold.lua", Bytes("print(1)")}, {"game_objects.xml", Bytes("<Objects/>")}}));
    for (const std::string asked : {"ubergold.lua", "UberGold.LUA", "UBERGOLD.LUA"}) {
        EXPECT_EQ(Fetch(*package, asked), "print(1)") << asked;
    }
    EXPECT_EQ(Fetch(*package, FilePackage::SplitPath("./assets/levels/UberGold.lua")), "print(1)");
    EXPECT_EQ(Fetch(*package, "Game_Objects.XML"), "<Objects/>");
}

TEST_F(FilePackageTest, StoredUpperCaseNameIsNeverFound) {
    FilePackage* const package =
        Install("art.kzp", BuildRaw({{"Tank.x", Bytes("mesh")}, {"jeep.x", Bytes("jeep")}}));
    for (const std::string asked : {"Tank.x", "tank.x", "TANK.X"}) {
        std::string log;
        EXPECT_EQ(Fetch(*package, asked, &log), "<null>") << asked;
        EXPECT_EQ(log, "FilePackage: file not found in package\n");
    }
    EXPECT_EQ(Fetch(*package, "Jeep.X"), "jeep");
}

TEST_F(FilePackageTest, FindsEveryEntryWhateverTheStoredOrder) {
    // Directories of 0, 1, 2 and more entries, stored out of order; every entry is found and
    // names next to the stored ones are not.
    const std::vector<std::vector<std::string>> directories = {
        {},
        {"only.lua"},
        {"b.x", "a.x"},
        {"zeta.dds", "alpha.dds", "mid.dds", "alpha.dds2", "alph.dds", "\xe9t\xe9.wav", "0.x"},
    };
    int n = 0;
    for (const auto& names : directories) {
        std::vector<kzp::PackageFile> files;
        for (const std::string& name : names) {
            files.push_back({name, Bytes("contents of " + name)});
        }
        FilePackage* const package = Install("p" + std::to_string(n++) + ".kzp", BuildRaw(files));
        ASSERT_EQ(package->Entries().size(), names.size());
        for (const std::string& name : names) {
            EXPECT_EQ(Fetch(*package, name), "contents of " + name) << name;
        }
        for (const std::string absent : {"", "a", "only", "only.lua2", "zzz", "b.x.x", "\xff"}) {
            if (std::find(names.begin(), names.end(), absent) == names.end()) {
                std::string log;
                EXPECT_EQ(Fetch(*package, absent, &log), "<null>") << absent;
                EXPECT_EQ(log, "FilePackage: file not found in package\n");
            }
        }
    }
}

TEST_F(FilePackageTest, EntriesAreSortedByUnsignedBytes) {
    FilePackage* const package = Install(
        "sorted.kzp", BuildRaw({{"\xe9.x", {}}, {"b.x", {}}, {"a.x", {}}, {"a", {}}, {"_", {}}}));
    std::vector<std::string> order;
    for (const FilePackage::Entry& entry : package->Entries()) {
        order.emplace_back(entry.m_name);
    }
    EXPECT_EQ(order, (std::vector<std::string>{"_", "a", "a.x", "b.x", "\xe9.x"}));
    EXPECT_EQ(package->FindEntry("b.x"), 3);
    EXPECT_EQ(package->FindEntry("B.x"), -1);
}

TEST_F(FilePackageTest, UnscramblingWrapsAroundInBothDirections) {
    std::vector<u8> every(256);
    for (int i = 0; i < 256; ++i) {
        every[i] = static_cast<u8>(i);
    }
    struct Case {
        u8 direction;
        u8 key;
    };
    const Case cases[] = {{0, 0x20}, {1, 0x20}, {0x80, 0xFF}, {0, 0xFF}, {0, 0}, {1, 1}};
    int n = 0;
    for (const Case c : cases) {
        const kzp::Scrambling scrambling{true, c.direction, c.key};
        const std::vector<u8> raw =
            BuildRaw({{"every.bin", every}, {"name.txt", Bytes("x")}}, scrambling);
        const fs::path path = m_folder / ("scrambled" + std::to_string(n++) + ".kzp");
        WriteFile(path, raw);

        // The stored bytes are what the reader's rule turns into the plain ones: direction 0
        // adds the key, so plain 0x10 with key 0x20 is stored as 0xF0 and wraps back.
        const u32 dataOffset = kzp::kHeaderSize + 2 * kzp::kEntrySize;
        for (int i = 0; i < 256; ++i) {
            const u8 stored = raw[dataOffset + i];
            const int restored =
                c.direction == 0 ? (stored + c.key) % 256 : (stored - c.key + 256) % 256;
            ASSERT_EQ(restored, i) << "direction " << int{c.direction} << " key " << int{c.key};
        }
        FilePackage* const package = FilePackage::Get(path.string());
        ASSERT_EQ(package->Entries().size(), 2u);
        const std::string got = Fetch(*package, "EVERY.bin");
        EXPECT_EQ(std::vector<u8>(got.begin(), got.end()), every);
        EXPECT_EQ(Fetch(*package, "name.txt"), "x");
    }
}

TEST_F(FilePackageTest, ScrambledDirectoryIsNotPlainText) {
    const std::vector<u8> raw =
        BuildRaw({{"secret.lua", Bytes("hidden")}}, kzp::Scrambling{true, 0, 0x41});
    const std::string text(raw.begin(), raw.end());
    EXPECT_EQ(text.find("secret.lua"), std::string::npos);
    EXPECT_EQ(text.find("hidden"), std::string::npos);
    FilePackage* const package = Install("secret.kzp", raw);
    EXPECT_EQ(Fetch(*package, "secret.lua"), "hidden");
}

TEST_F(FilePackageTest, ClearFlagIgnoresDirectionAndKey) {
    std::vector<u8> raw = BuildRaw({{"plain.txt", Bytes("as stored")}});
    raw[kzp::kDirectionOffset] = 1;
    raw[kzp::kKeyOffset] = 0x55;
    FilePackage* const package = Install("plain.kzp", raw);
    EXPECT_FALSE(package->IsScrambled());
    EXPECT_EQ(Fetch(*package, "plain.txt"), "as stored");
}

TEST_F(FilePackageTest, MissingPackageStaysRegisteredAndEmpty) {
    const std::string path = (m_folder / "absent.kzp").string();
    testing::internal::CaptureStdout();
    FilePackage* const package = FilePackage::Get(path);
    const std::string openLog = testing::internal::GetCapturedStdout();
    ASSERT_NE(package, nullptr);
    EXPECT_EQ(openLog, "FilePackage: cannot open package " + path + "\n");
    EXPECT_TRUE(package->Path().empty());
    for (int i = 0; i < 3; ++i) {
        std::string log;
        EXPECT_EQ(Fetch(*package, "anything.lua", &log), "<null>");
        EXPECT_EQ(log, "FilePackage: file package not opened\n");
    }
    // The registry never retries: the package stays empty after the file appears.
    WriteFile(path, BuildRaw({{"anything.lua", Bytes("late")}}));
    EXPECT_EQ(FilePackage::Get(path), package);
    EXPECT_EQ(Fetch(*package, "anything.lua"), "<null>");
}

TEST_F(FilePackageTest, RegistryKeysOnThePathAsSpelled) {
    WriteFile(m_folder / "sounds.kzp", BuildRaw({{"boom.wav", Bytes("boom")}}));
    const std::string path = (m_folder / "sounds.kzp").string();
    const std::string respelled = (m_folder / "." / "sounds.kzp").string();
    FilePackage* const first = FilePackage::Get(path);
    EXPECT_EQ(FilePackage::Get(path), first);
    FilePackage* const second = FilePackage::Get(respelled);
    EXPECT_NE(second, first);
    EXPECT_EQ(Fetch(*second, "boom.wav"), "boom");
}

TEST_F(FilePackageTest, PackageRemovedAfterOpenIsNotOpened) {
    FilePackage* const package = Install("gone.kzp", BuildRaw({{"a.txt", Bytes("a")}}));
    EXPECT_EQ(Fetch(*package, "a.txt"), "a");
    fs::remove(m_folder / "gone.kzp");
    std::string log;
    EXPECT_EQ(Fetch(*package, "a.txt", &log), "<null>");
    EXPECT_EQ(log, "FilePackage: file package not opened\n");
}

TEST_F(FilePackageTest, CorruptPackagesFailToOpenAndStayEmpty) {
    const std::vector<u8> good = BuildRaw({{"one.txt", Bytes("1")}, {"two.txt", Bytes("22")}});
    const std::vector<u8> scrambledGood =
        BuildRaw({{"one.txt", Bytes("1")}}, kzp::Scrambling{true, 1, 0x33});

    auto withCount = [&](u32 count) {
        std::vector<u8> raw = good;
        kzp::WriteU32(raw.data() + kzp::kCountOffset, count);
        return raw;
    };
    auto unterminated = [](std::vector<u8> raw, u32 entry, const kzp::Scrambling& s) {
        u8* const name = raw.data() + kzp::kHeaderSize + entry * kzp::kEntrySize;
        std::fill(name, name + kzp::kNameFieldSize, u8{'a'});
        if (s.enabled) {
            kzp::Scramble(name, kzp::kNameFieldSize, s.direction, s.key);
        }
        return raw;
    };
    struct Case {
        std::string name;
        std::vector<u8> bytes;
        std::string log;
    };
    const std::vector<Case> cases = {
        {"empty", {}, "is shorter than a package header"},
        {"header35", std::vector<u8>(good.begin(), good.begin() + 35),
         "is shorter than a package header"},
        {"headerOnly", std::vector<u8>(good.begin(), good.begin() + kzp::kHeaderSize),
         "lists 2 entries but is too short to hold their directory"},
        {"oneEntryShort", std::vector<u8>(good.begin(), good.end() - 3 - kzp::kEntrySize),
         "lists 2 entries but is too short to hold their directory"},
        {"hugeCount", withCount(0xFFFFFFFFu),
         "lists 4294967295 entries but is too short to hold their directory"},
        {"countTooBig", withCount(3), "lists 3 entries but is too short"},
        {"nameWithoutEnd", unterminated(good, 1, {}), "entry 1 of "},
        {"scrambledNameWithoutEnd", unterminated(scrambledGood, 0, kzp::Scrambling{true, 1, 0x33}),
         "entry 0 of "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path path = m_folder / (c.name + ".kzp");
        WriteFile(path, c.bytes);
        testing::internal::CaptureStdout();
        FilePackage* const package = FilePackage::Get(path.string());
        const std::string log = testing::internal::GetCapturedStdout();
        EXPECT_NE(log.find(c.log), std::string::npos) << log;
        EXPECT_EQ(log.rfind("FilePackage: ", 0), 0u) << log;
        EXPECT_TRUE(package->Entries().empty());
        EXPECT_TRUE(package->Path().empty());
        std::string fetchLog;
        EXPECT_EQ(Fetch(*package, "one.txt", &fetchLog), "<null>");
        EXPECT_EQ(fetchLog, "FilePackage: file package not opened\n");
    }
    // The counted directory exactly filling the file (no file bytes) still opens.
    std::vector<u8> exact(good.begin(), good.begin() + kzp::kHeaderSize + 2 * kzp::kEntrySize);
    FilePackage exactPackage;
    WriteFile(m_folder / "exact.kzp", exact);
    EXPECT_TRUE(exactPackage.Open((m_folder / "exact.kzp").string()));
}

TEST_F(FilePackageTest, EntryPastTheEndIsAnIncorrectRead) {
    const std::vector<u8> raw =
        BuildRaw({{"fine.txt", Bytes("fine")}, {"bad.txt", Bytes("12345678")}});
    const u32 fileLength = static_cast<u32>(raw.size());
    struct Case {
        std::string name;
        u32 size;
        u32 offset;
    };
    // bad.txt is stored second, and its bytes are the last of the file.
    const Case cases[] = {
        {"sizeOneTooMany", 9, fileLength - 8}, {"offsetAtEnd", 1, fileLength},
        {"offsetFarOut", 4, 0x7FFFFFF0u},      {"sizeHuge", 0xFFFFFFFFu, kzp::kHeaderSize},
        {"sumWrapsU32", 0x20, 0xFFFFFFF0u},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<u8> bytes = raw;
        u8* const entry = bytes.data() + kzp::kHeaderSize + kzp::kEntrySize;
        ASSERT_STREQ(reinterpret_cast<const char*>(entry), "bad.txt");
        kzp::WriteU32(entry + kzp::kEntrySizeOffset, c.size);
        kzp::WriteU32(entry + kzp::kEntryDataOffset, c.offset);
        FilePackage* const package = Install(c.name + ".kzp", bytes);
        std::string log;
        EXPECT_EQ(Fetch(*package, "bad.txt", &log), "<null>");
        EXPECT_EQ(log, "FilePackage: incorrect filesize read\n");
        EXPECT_EQ(Fetch(*package, "fine.txt"), "fine");
    }
    // Reaching exactly to the last byte is fine.
    std::vector<u8> bytes = raw;
    u8* const entry = bytes.data() + kzp::kHeaderSize + kzp::kEntrySize;
    kzp::WriteU32(entry + kzp::kEntrySizeOffset, 4);
    kzp::WriteU32(entry + kzp::kEntryDataOffset, fileLength - 4);
    EXPECT_EQ(Fetch(*Install("lastBytes.kzp", bytes), "bad.txt"), "5678");
}

TEST_F(FilePackageTest, ZeroSizeEntryGivesAnEmptyBuffer) {
    for (const kzp::Scrambling scrambling : {kzp::Scrambling{}, kzp::Scrambling{true, 0, 9}}) {
        FilePackage* const package =
            Install(scrambling.enabled ? "zeroScrambled.kzp" : "zero.kzp",
                    BuildRaw({{"empty.txt", {}}, {"full.txt", Bytes("full")}}, scrambling));
        u32 size = 99;
        testing::internal::CaptureStdout();
        const std::unique_ptr<u8[]> bytes = package->GetFile("empty.txt", size);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
        EXPECT_NE(bytes, nullptr);
        EXPECT_EQ(size, 0u);
        EXPECT_EQ(Fetch(*package, "full.txt"), "full");
    }
}

TEST_F(FilePackageTest, OpenAndCloseResetThePackage) {
    WriteFile(m_folder / "a.kzp", BuildRaw({{"a.txt", Bytes("a")}}, kzp::Scrambling{true, 1, 3}));
    WriteFile(m_folder / "b.kzp", BuildRaw({{"b.txt", Bytes("b")}}));
    FilePackage package;
    EXPECT_FALSE(package.Open(""));
    ASSERT_TRUE(package.Open((m_folder / "a.kzp").string()));
    EXPECT_TRUE(package.IsScrambled());
    ASSERT_TRUE(package.Open((m_folder / "b.kzp").string()));
    EXPECT_FALSE(package.IsScrambled());
    EXPECT_EQ(package.FindEntry("a.txt"), -1);
    EXPECT_EQ(Fetch(package, "b.txt"), "b");
    package.Close();
    EXPECT_TRUE(package.Path().empty());
    EXPECT_EQ(Fetch(package, "b.txt"), "<null>");
}

TEST_F(FilePackageTest, ThreadsShareOneRegisteredPackage) {
    std::vector<kzp::PackageFile> files;
    for (int i = 0; i < 64; ++i) {
        files.push_back(
            {"file" + std::to_string(i) + ".bin", Bytes(std::string(1000 + i, 'a' + i % 26))});
    }
    WriteFile(m_folder / "shared.kzp", BuildRaw(files, kzp::Scrambling{true, 0, 77}));
    const std::string path = (m_folder / "shared.kzp").string();

    constexpr int kThreads = 8;
    std::atomic<int> ready{0};
    std::atomic<int> wrong{0};
    FilePackage* seen[kThreads] = {};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            ready.fetch_add(1);
            while (ready.load() < kThreads) {
            }
            seen[t] = FilePackage::Get(path);
            for (int i = 0; i < 64; ++i) {
                const int k = (i + t * 8) % 64;
                u32 size = 0;
                const std::unique_ptr<u8[]> bytes = seen[t]->GetFile(files[k].name, size);
                if (!bytes || std::vector<u8>(bytes.get(), bytes.get() + size) != files[k].bytes) {
                    wrong.fetch_add(1);
                }
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(wrong.load(), 0);
    for (FilePackage* const package : seen) {
        EXPECT_EQ(package, seen[0]);
    }
}

TEST(FilePackageBuild, GameFolderHoldsTheFivePackages) {
    for (const std::string name : {"art", "shaders", "particles", "sounds", "levels"}) {
        const fs::path path = fs::path(GORVANE_ASSETS_DIR) / "packages" / (name + ".kzp");
        FilePackage package;
        EXPECT_TRUE(package.Open(path.string())) << path;
    }
    EXPECT_TRUE(fs::is_directory(fs::path(GORVANE_ASSETS_DIR) / "video"));
}

TEST(PackageFormat, RefusesWhatTheReaderCannotHold) {
    std::vector<u8> package;
    std::string error;
    const std::string longest(kzp::kMaxNameLength, 'n');
    EXPECT_TRUE(kzp::BuildPackage({{longest, {}}}, {}, package, error)) << error;
    EXPECT_FALSE(kzp::BuildPackage({{longest + "n", {}}}, {}, package, error));
    EXPECT_NE(error.find("longer than 255 bytes"), std::string::npos) << error;
    EXPECT_FALSE(kzp::BuildPackage({{std::string("a\0b", 3), {}}}, {}, package, error));
    EXPECT_NE(error.find("NUL"), std::string::npos) << error;
}

} // namespace
