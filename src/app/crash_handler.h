#pragma once
// The game's answer to a crash: it announces the crash on the log stream and writes a crash
// report ("DumpLittle_Gorvane.dmp" in the working directory). Start-up does not install it.

#include "platform/system/crash_report.h"

inline constexpr const char* kCrashReportName = "DumpLittle_Gorvane.dmp";

// Returns 1: the process is to end.
long CrashHandler(const sys::CrashInfo* info);

// Makes CrashHandler run when the process crashes.
void InstallCrashHandler();
