#pragma once
// Updates the processes of one owner once per frame: ordinary processes on the calling
// thread, threaded ones by releasing their threads. Killed processes are retired and the
// successors they asked for join the same manager, to run from the next frame on.

#include <deque>
#include <list>

#include <boost/shared_ptr.hpp>

#include "core/entity.h"
#include "core/process.h"
#include "core/threaded_process.h"

struct ProcessTiming {
    double seconds;
    Process* process;
};

class ProcessManager : public Entity {
  public:
    ProcessManager() = default;
    ~ProcessManager() override;
    ProcessManager(const ProcessManager&) = delete;
    ProcessManager& operator=(const ProcessManager&) = delete;

    void Update(float dt) override;

    void AddProcess(boost::shared_ptr<Process> process);
    void RemoveProcess(boost::shared_ptr<Process> process);
    void AddThreadedProcess(boost::shared_ptr<ThreadedProcess> threaded);
    // Stops the thread first.
    void RemoveThreadedProcess(boost::shared_ptr<ThreadedProcess> threaded);
    void RemoveAllProcesses();
    bool HasProcesses() const;

    std::list<boost::shared_ptr<Process>> processes;
    std::list<boost::shared_ptr<ThreadedProcess>> threadedProcesses;
    // Measure every ordinary update into timings, at most one record per process.
    bool timingEnabled = false;
    // Write a line per process and frame to the log stream.
    bool timingLog = false;
    std::deque<ProcessTiming> timings;
    // Update paused processes too.
    bool forceUpdate = false;

  private:
    struct Pending;

    bool Runnable(const Process& process) const;
    // Queues the successor a killed process asked for and clears the request.
    static void QueueSuccessor(Process& killed, Pending& pending);
};
