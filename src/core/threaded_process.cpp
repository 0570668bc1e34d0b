#include "core/threaded_process.h"

#include <cstdio>
#include <cstdlib>

#include "platform/system/clock.h"

ThreadedProcess::ThreadedProcess(boost::shared_ptr<Process> process)
    : process(std::move(process)) {}

ThreadedProcess::~ThreadedProcess() {
    // Also joins a thread that has already left its loop, before the process goes.
    Stop();
    process.reset();
}

void ThreadedProcess::Start() {
    // A second thread on the same process would update it twice at once. The check stays
    // in every build: compiled out, a caller's second Start went unnoticed.
    if (m_thread_running) {
        std::fprintf(stderr, "ThreadedProcess::Start: precondition m_thread_running == false "
                             "violated\n");
        std::fflush(stderr);
        std::abort();
    }
    // A thread whose process was killed has left its loop but is still attached.
    Join();
    keepRunning = true;
    stepLocked = false;
    m_thread_running = true;
    try {
        // The process's first update already runs at its priority.
        openutils::Thread::Start(priority);
    } catch (const openutils::ThreadException&) {
        m_thread_running = false;
        keepRunning = false;
        throw;
    }
}

void ThreadedProcess::Stop() {
    keepRunning = false;
    m_wake.Set();
    Join();
}

void ThreadedProcess::SetPriority(int value) {
    priority = value;
    try {
        openutils::Thread::SetPriority(value);
    } catch (const openutils::ThreadException&) {
        // Kept for the next Start.
    }
}

void ThreadedProcess::ReleaseStep() {
    stepLocked = false;
    m_wake.Set();
}

void ThreadedProcess::Run() {
    last = 0;
    bool first = true;
    while (keepRunning) {
        if (process->killed) {
            break;
        }
        // Locking before the update, not after it, keeps a release that arrives meanwhile.
        if (stepLocked.exchange(lockStep)) {
            m_wake.Wait();
            continue;
        }
        now = sys::PerformanceCounter();
        float dt = first ? kMaxStep : static_cast<float>(sys::SecondsBetween(last, now));
        if (dt >= kMaxStep) {
            dt = kMaxStep;
        }
        process->Update(dt);
        last = now;
        first = false;
    }
    m_thread_running = false;
}
