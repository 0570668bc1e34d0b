#include "app/crash_handler.h"

namespace {

void Announce() {
    sys::WriteToLog("        XXXXXXXXXXXXX----------------------XXXXXXXXXXXXX\n");
    sys::WriteToLog("        XXXXXXXXXXXXX The GAME HAS CRASHED XXXXXXXXXXXXX\n");
    sys::WriteToLog("        XXXXXXXXXXXXX   Creating MiniDump  XXXXXXXXXXXXX\n");
    sys::WriteToLog("        XXXXXXXXXXXXX----------------------XXXXXXXXXXXXX\n");
    sys::WriteToLog("\n");
}

void OnCrash(const sys::CrashInfo& info) {
    CrashHandler(&info);
}

} // namespace

long CrashHandler(const sys::CrashInfo* info) {
    Announce();
    const sys::CrashInfo crash = info != nullptr ? *info : sys::CrashInfo{};
    const u64 thread = sys::CurrentThreadId();
    // Three tries, of which only the middle one names a file; the report is written once.
    for (int pass = 0; pass < 3; ++pass) {
        const char* name = pass == 1 ? kCrashReportName : "";
        const int file = sys::CreateReportFile(name);
        if (file < 0) {
            sys::WriteToLog(name);
            sys::WriteToLog(" Failed to be open/created.\n");
            continue;
        }
        if (sys::WriteCrashReport(file, crash, thread)) {
            sys::WriteToLog("**** Dump write Succeeded. ****  :: Generated ");
        } else {
            sys::WriteToLog("><>< Dump write did NOT Succeeded. ><><: Did not generate");
        }
        sys::WriteToLog(name);
        sys::WriteToLog("\n");
        sys::CloseReportFile(file);
    }
    // Nobody may be there to press a key: the report is written and the process goes on
    // to end.
    sys::WriteToLog("\n");
    return 1;
}

void InstallCrashHandler() {
    sys::InstallCrashSignalHandlers(OnCrash);
}
