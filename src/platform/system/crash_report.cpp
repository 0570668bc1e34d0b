#include "platform/system/crash_report.h"

#include <execinfo.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <string_view>

#include "platform/system/files.h"

namespace sys {
namespace {

constexpr int kCrashSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT};
constexpr int kMaxFrames = 64;
constexpr std::size_t kAltStackSize = 64 * 1024;

CrashCallback g_callback = nullptr;
alignas(16) unsigned char g_alt_stack[kAltStackSize];

bool WriteText(int file, const char* text) {
    return WriteAll(file, std::string_view(text));
}

// Digits of value in base 10 or 16 into buffer, NUL-terminated.
const char* FormatNumber(u64 value, unsigned base, char (&buffer)[24]) {
    char* at = buffer + sizeof(buffer) - 1;
    *at = '\0';
    do {
        *--at = "0123456789abcdef"[value % base];
        value /= base;
    } while (value != 0);
    if (base == 16) {
        *--at = 'x';
        *--at = '0';
    }
    return at;
}

const char* SignalName(int signal) {
    switch (signal) {
    case SIGSEGV:
        return "SIGSEGV";
    case SIGBUS:
        return "SIGBUS";
    case SIGFPE:
        return "SIGFPE";
    case SIGILL:
        return "SIGILL";
    case SIGABRT:
        return "SIGABRT";
    case SIGTRAP:
        return "SIGTRAP";
    default:
        return "signal";
    }
}

bool CopyFile(int file, const char* path) {
    const int source = ::open(path, O_RDONLY | O_CLOEXEC);
    if (source < 0) {
        return WriteText(file, "(unreadable)\n");
    }
    char buffer[4096];
    bool ok = true;
    for (;;) {
        const ssize_t got = ::read(source, buffer, sizeof(buffer));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        if (!WriteAll(file, std::string_view(buffer, static_cast<std::size_t>(got)))) {
            ok = false;
            break;
        }
    }
    ::close(source);
    return ok;
}

extern "C" void OnCrashSignal(int signal, siginfo_t* info, void*) {
    CrashInfo crash;
    crash.signal = signal;
    if (signal == SIGSEGV || signal == SIGBUS || signal == SIGFPE || signal == SIGILL) {
        crash.address = info != nullptr ? info->si_addr : nullptr;
    }
    if (g_callback != nullptr) {
        g_callback(crash);
    }
    // The handler was reset to the default action on entry; a fault returns to the faulting
    // instruction and meets it there, a raised signal needs raising again.
    ::raise(signal);
}

} // namespace

void WriteToLog(const char* text) {
    WriteText(STDOUT_FILENO, text);
}

int CreateReportFile(const char* path) {
    if (path == nullptr || path[0] == '\0') {
        return -1;
    }
    return ::open(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
}

bool WriteCrashReport(int file, const CrashInfo& info, u64 thread) {
    char number[24];
    bool ok = WriteText(file, "Gorvane crash report\nSignal: ");
    ok = ok && WriteText(file, FormatNumber(static_cast<u64>(info.signal), 10, number));
    ok = ok && WriteText(file, " (") && WriteText(file, SignalName(info.signal));
    ok = ok && WriteText(file, ")\nAddress: ");
    ok = ok &&
         WriteText(file, FormatNumber(reinterpret_cast<std::uintptr_t>(info.address), 16, number));
    ok = ok && WriteText(file, "\nThread: ") && WriteText(file, FormatNumber(thread, 10, number));
    ok = ok && WriteText(file, "\n\nBacktrace:\n");
    if (ok) {
        void* frames[kMaxFrames];
        const int count = ::backtrace(frames, kMaxFrames);
        ::backtrace_symbols_fd(frames, count, file);
    }
    ok = ok && WriteText(file, "\nMemory map:\n") && CopyFile(file, "/proc/self/maps");
    return ok;
}

void CloseReportFile(int file) {
    if (file >= 0) {
        ::close(file);
    }
}

u64 CurrentThreadId() {
    return static_cast<u64>(::syscall(SYS_gettid));
}

void InstallCrashSignalHandlers(CrashCallback callback) {
    g_callback = callback;
    // The first backtrace loads the unwinder, which must not happen inside the handler.
    void* frame = nullptr;
    ::backtrace(&frame, 1);

    stack_t stack{};
    stack.ss_sp = g_alt_stack;
    stack.ss_size = sizeof(g_alt_stack);
    ::sigaltstack(&stack, nullptr);

    struct sigaction action {};
    action.sa_sigaction = OnCrashSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_RESETHAND;
    for (const int signal : kCrashSignals) {
        ::sigaction(signal, &action, nullptr);
    }
}

} // namespace sys
