#pragma once
// Our stand-in for a minidump: a text report of a crash with the signal, the faulting
// address, the thread, a backtrace and the memory map of the process. Everything here may
// run inside a signal handler, so nothing allocates or goes through stdio.

#include "platform/system/types.h"

namespace sys {

struct CrashInfo {
    int signal = 0;
    // The faulting address of a memory or arithmetic fault; null for other signals.
    const void* address = nullptr;
};

// Writes text to the standard output at once, without buffering.
void WriteToLog(const char* text);

// Creates the file, or empties an existing one; -1 when it cannot be made (an empty name
// never can).
int CreateReportFile(const char* path);
// Writes the report of the crash seen by thread; false when a write failed.
bool WriteCrashReport(int file, const CrashInfo& info, u64 thread);
void CloseReportFile(int file);

u64 CurrentThreadId();

// Runs the callback for SIGSEGV, SIGBUS, SIGFPE, SIGILL and SIGABRT (on a stack of its own,
// so a stack overflow is reported too); the signal's default action then ends the process.
using CrashCallback = void (*)(const CrashInfo& info);
void InstallCrashSignalHandlers(CrashCallback callback);

} // namespace sys
