#pragma once
// Runs one Process on a thread of its own. In lock-step mode the thread performs one Update
// each time its manager releases it; free-running, it updates continuously once started.

#include <atomic>

#include <boost/shared_ptr.hpp>

#include "core/process.h"
#include "core/thread.h"
#include "core/types.h"
#include "platform/system/event.h"

class ThreadedProcess : public openutils::Thread {
  public:
    // No update receives more than this, and the first after a start receives exactly this.
    static constexpr float kMaxStep = 0.25f;

    explicit ThreadedProcess(boost::shared_ptr<Process> process);
    ~ThreadedProcess() override;

    void Run() override;

    // The thread counts as running from here on, before it has entered its loop, and runs at
    // priority from its first update.
    void Start();
    // Ends the loop and waits for the thread; returns at once when none was started.
    void Stop();
    // Stored and applied to a running thread; applied by the next Start otherwise.
    void SetPriority(int value);
    // Lets a lock-step thread perform one more update.
    void ReleaseStep();

    std::atomic<bool> keepRunning{false};
    std::atomic<bool> m_thread_running{false};
    std::atomic<bool> stepLocked{false};
    std::atomic<bool> lockStep{true};
    u64 now = 0;
    u64 last = 0;
    boost::shared_ptr<Process> process;
    i32 priority = 0;

  private:
    // Set by every release and stop; a locked thread waits for it.
    sys::Event m_wake;
};
