#pragma once
// Threads and named mutexes of the engine. Every failure here is an openutils::ThreadException
// carrying one of the texts below; nothing is logged.

#include <exception>
#include <string>

#include "core/types.h"
#include "platform/system/named_mutex.h"
#include "platform/system/thread.h"

namespace openutils {

class ThreadException : public std::exception {
  public:
    static constexpr const char* kCreateThread = "Failed to create thread";
    static constexpr const char* kNoThread = "Thread object is null";
    static constexpr const char* kSetPriority = "Failed to set priority";
    static constexpr const char* kCreateMutex = "Failed to create mutex";
    static constexpr const char* kMutexNotFound = "Mutex not found";
    static constexpr const char* kWaitTimedOut = "Wait timed out";
    static constexpr const char* kNotSignaled = "Mutex not signaled";
    static constexpr const char* kInvalidHandle = "Invalid mutex handle";
    static constexpr const char* kReleaseMutex = "Failed to release mutex";

    explicit ThreadException(const char* text) : m_message(text) {}
    const std::string& GetMessage() const { return m_message; }
    const char* what() const noexcept override { return m_message.c_str(); }

  private:
    std::string m_message;
};

// Run executes on a thread of its own once Start is called. A derived class whose Run loops
// must end that loop before it is destroyed: the base destructor waits for the thread.
class Thread {
  public:
    // Normal priority; Windows scale as in sys::Thread.
    static constexpr int kNormalPriority = 0;

    Thread() = default;
    virtual ~Thread();
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    virtual void Run() {}

    // Starts Run on a new thread at normal priority.
    void Start();
    // The same, with Run at the given priority from its start: a value the thread cannot have
    // gives normal priority.
    void Start(int priority);
    void SetPriority(int priority);
    // Waits for Run to return; nothing happens without a thread, so a second Join is harmless.
    void Join();
    bool HasThread() const { return m_handle.Exists(); }
    const std::string& GetName() const { return m_name; }

  protected:
    std::string m_name = "null";

  private:
    sys::Thread m_handle;
};

// A process-wide mutex that any thread can take and give back by name, recursive for its
// owner. The mutex exists while its NamedMutex object does.
class NamedMutex {
  public:
    static constexpr u32 kDeviceTimeoutMs = 5000;
    static constexpr u32 kLoadingTimeoutMs = 100000;

    explicit NamedMutex(const char* name);
    NamedMutex(const NamedMutex&) = delete;
    NamedMutex& operator=(const NamedMutex&) = delete;

    // True once the caller owns the mutex. A mutex left behind by a thread that ended while
    // owning it is freed and reported as "Mutex not signaled".
    static bool Wait(const char* name, u32 timeoutMs);
    static void Release(const char* name);

    const std::string& GetName() const { return m_name; }

  private:
    sys::NamedMutexHandle m_handle;
    std::string m_name;
};

// "Loading": serialises loading work between the loader threads and the screens that ask
// whether a level is loaded. Exists from program start.
extern NamedMutex loadingMutex;

} // namespace openutils

using openutils::NamedMutex;
