#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "app/crash_handler.h"
#include "support/scoped_temp_home.h"

namespace {

const std::string kBanner = "        XXXXXXXXXXXXX----------------------XXXXXXXXXXXXX\n"
                            "        XXXXXXXXXXXXX The GAME HAS CRASHED XXXXXXXXXXXXX\n"
                            "        XXXXXXXXXXXXX   Creating MiniDump  XXXXXXXXXXXXX\n"
                            "        XXXXXXXXXXXXX----------------------XXXXXXXXXXXXX\n"
                            "\n";
const std::string kUnnamedPassFails = " Failed to be open/created.\n";

std::string RunHandler(const sys::CrashInfo& info, long* result) {
    testing::internal::CaptureStdout();
    *result = CrashHandler(&info);
    return testing::internal::GetCapturedStdout();
}

TEST(CrashHandler, WritesTheReportInTheMiddlePass) {
    const ScopedTempHome folder; // also the working directory
    int marker = 0;
    sys::CrashInfo info;
    info.signal = SIGSEGV;
    info.address = &marker;
    long result = 0;
    const std::string log = RunHandler(info, &result);

    EXPECT_EQ(result, 1);
    EXPECT_EQ(log, kBanner + kUnnamedPassFails +
                       "**** Dump write Succeeded. ****  :: Generated DumpLittle_Gorvane.dmp\n" +
                       kUnnamedPassFails + "\n");
    const std::string report = folder.ReadFile("DumpLittle_Gorvane.dmp");
    EXPECT_EQ(report.rfind("Gorvane crash report\nSignal: 11 (SIGSEGV)\nAddress: 0x", 0), 0u)
        << report;
    EXPECT_NE(report.find("\nThread: " + std::to_string(gettid()) + "\n"), std::string::npos);
    EXPECT_NE(report.find("\nBacktrace:\n"), std::string::npos);
    // The memory map lists this program's own stack.
    const std::size_t map = report.find("\nMemory map:\n");
    ASSERT_NE(map, std::string::npos);
    EXPECT_NE(report.find("[stack]", map), std::string::npos);
}

TEST(CrashHandler, ReportsFilesItCannotMakeOrWrite) {
    const ScopedTempHome folder;
    long result = 0;

    // A folder in the report's place cannot be opened for writing, not even by root.
    std::filesystem::create_directory("DumpLittle_Gorvane.dmp");
    std::string log = RunHandler(sys::CrashInfo{SIGABRT, nullptr}, &result);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(log, kBanner + kUnnamedPassFails + "DumpLittle_Gorvane.dmp" + kUnnamedPassFails +
                       kUnnamedPassFails + "\n");

    // A full device takes the file but none of the report.
    std::filesystem::remove("DumpLittle_Gorvane.dmp");
    std::filesystem::create_symlink("/dev/full", "DumpLittle_Gorvane.dmp");
    log = RunHandler(sys::CrashInfo{SIGABRT, nullptr}, &result);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(log, kBanner + kUnnamedPassFails +
                       "><>< Dump write did NOT Succeeded. ><><: Did not generate"
                       "DumpLittle_Gorvane.dmp\n" +
                       kUnnamedPassFails + "\n");
}

TEST(CrashHandlerDeathTest, InstalledHandlerReportsAndTheProcessStillDies) {
    const ScopedTempHome folder;
    EXPECT_EXIT(
        {
            InstallCrashHandler();
            raise(SIGABRT);
        },
        testing::KilledBySignal(SIGABRT), "");
    const std::string report = folder.ReadFile("DumpLittle_Gorvane.dmp");
    EXPECT_EQ(report.rfind("Gorvane crash report\nSignal: 6 (SIGABRT)\nAddress: 0x0\n", 0), 0u)
        << report;
}

} // namespace
