#include "core/process_manager.h"

#include <cassert>
#include <iostream>
#include <typeinfo>
#include <vector>

#include "platform/system/clock.h"
#include "platform/system/log.h"
#include "platform/system/type_name.h"

namespace {

void LogLine(const char* prefix, const Process& process) {
    sys::LogLine(prefix + sys::Demangle(typeid(process).name()));
}

} // namespace

// Changes decided during a frame; the lists stay as they are until all processes have run.
struct ProcessManager::Pending {
    std::vector<boost::shared_ptr<ThreadedProcess>> threadedRemoves;
    std::vector<boost::shared_ptr<Process>> removes;
    std::vector<boost::shared_ptr<ThreadedProcess>> threadedAdds;
    std::vector<boost::shared_ptr<Process>> adds;
};

ProcessManager::~ProcessManager() {
    timings.clear();
    processes.clear();
    // A ThreadedProcess stops its thread when the last reference goes.
    threadedProcesses.clear();
}

void ProcessManager::AddProcess(boost::shared_ptr<Process> process) {
    assert(process);
    process->attached = true;
    processes.push_back(std::move(process));
}

void ProcessManager::RemoveProcess(boost::shared_ptr<Process> process) {
    processes.remove(process);
    process->attached = false;
}

void ProcessManager::AddThreadedProcess(boost::shared_ptr<ThreadedProcess> threaded) {
    assert(threaded && threaded->process);
    threaded->process->attached = true;
    threadedProcesses.push_back(std::move(threaded));
}

void ProcessManager::RemoveThreadedProcess(boost::shared_ptr<ThreadedProcess> threaded) {
    threaded->Stop();
    threadedProcesses.remove(threaded);
    threaded->process->attached = false;
}

void ProcessManager::RemoveAllProcesses() {
    // Copies: each removal changes the list being walked.
    for (const boost::shared_ptr<Process>& process :
         std::vector(processes.begin(), processes.end())) {
        RemoveProcess(process);
    }
    for (const boost::shared_ptr<ThreadedProcess>& threaded :
         std::vector(threadedProcesses.begin(), threadedProcesses.end())) {
        RemoveThreadedProcess(threaded);
    }
}

bool ProcessManager::HasProcesses() const {
    return !processes.empty() || !threadedProcesses.empty();
}

bool ProcessManager::Runnable(const Process& process) const {
    return process.active && (!process.paused || forceUpdate);
}

void ProcessManager::QueueSuccessor(Process& killed, Pending& pending) {
    if (!killed.successor) {
        return;
    }
    if (killed.successorThreaded) {
        auto threaded = boost::shared_ptr<ThreadedProcess>(new ThreadedProcess(killed.successor));
        threaded->lockStep = killed.successorLockStep;
        threaded->SetPriority(killed.successorPriority);
        pending.threadedAdds.push_back(std::move(threaded));
    } else {
        pending.adds.push_back(killed.successor);
    }
    killed.SetThreadRequest(boost::shared_ptr<Process>(), false, true, 0);
}

void ProcessManager::Update(float dt) {
    Pending pending;

    for (const boost::shared_ptr<ThreadedProcess>& threaded : threadedProcesses) {
        Process& process = *threaded->process;
        if (process.killed) {
            QueueSuccessor(process, pending);
            pending.threadedRemoves.push_back(threaded);
        } else if (Runnable(process)) {
            if (timingLog) {
                LogLine("ThreadedProcess: ", process);
            }
            threaded->ReleaseStep();
            if (!threaded->m_thread_running) {
                threaded->Start();
            }
        }
    }

    for (const boost::shared_ptr<Process>& entry : processes) {
        Process& process = *entry;
        if (process.killed) {
            QueueSuccessor(process, pending);
            pending.removes.push_back(entry);
            continue;
        }
        const bool runnable = Runnable(process);
        if (!timingEnabled) {
            if (runnable) {
                process.Update(dt);
            }
            continue;
        }
        if (timingLog) {
            LogLine("Process: ", process);
        }
        double seconds = 0.0;
        if (runnable) {
            const u64 before = sys::PerformanceCounter();
            process.Update(dt);
            seconds = sys::SecondsBetween(before, sys::PerformanceCounter());
        }
        timings.push_back({seconds, &process});
    }

    for (const boost::shared_ptr<ThreadedProcess>& threaded : pending.threadedRemoves) {
        RemoveThreadedProcess(threaded);
    }
    for (const boost::shared_ptr<Process>& process : pending.removes) {
        RemoveProcess(process);
    }
    for (const boost::shared_ptr<ThreadedProcess>& threaded : pending.threadedAdds) {
        AddThreadedProcess(threaded);
    }
    for (const boost::shared_ptr<Process>& process : pending.adds) {
        AddProcess(process);
    }

    if (timingLog) {
        sys::LogLine("Process List Done");
    }
    while (timings.size() > processes.size()) {
        timings.pop_front();
    }
}
