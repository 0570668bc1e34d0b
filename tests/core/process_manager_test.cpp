#include <gtest/gtest.h>

#include <functional>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "core/process_manager.h"
#include "platform/system/clock.h"
#include "platform/system/event.h"

// Outside any namespace: the log lines carry the class name.
class ProbeProcess : public Process {
  public:
    void Update(float dt) override {
        ++updates;
        lastDt = dt;
        if (onUpdate) {
            onUpdate(*this);
        }
    }
    int updates = 0;
    float lastDt = 0.0f;
    std::function<void(ProbeProcess&)> onUpdate;
};

// Updated on its own thread: reports every update.
class ProbeThreadProcess : public Process {
  public:
    void Update(float) override {
        if (onUpdate) {
            onUpdate(*this);
        }
        ++updates;
        updated.Set();
    }
    std::atomic<int> updates{0};
    sys::Event updated;
    std::function<void(ProbeThreadProcess&)> onUpdate;
};

namespace {

using ProbePtr = boost::shared_ptr<ProbeProcess>;
using ThreadProbePtr = boost::shared_ptr<ProbeThreadProcess>;

ProbePtr NewProbe() {
    return ProbePtr(new ProbeProcess());
}
ThreadProbePtr NewThreadProbe() {
    return ThreadProbePtr(new ProbeThreadProcess());
}

boost::shared_ptr<ThreadedProcess> Wrap(const boost::shared_ptr<Process>& process) {
    return boost::shared_ptr<ThreadedProcess>(new ThreadedProcess(process));
}

class ProcessManagerTest : public ::testing::Test {
  protected:
    void TearDown() override {
        manager.RemoveAllProcesses();
        sys::SetTimeSource(nullptr);
    }
    ProcessManager manager;
};

TEST_F(ProcessManagerTest, StartsEmptyAndMarksWhatItHolds) {
    EXPECT_FALSE(manager.HasProcesses());
    EXPECT_FALSE(manager.timingEnabled || manager.timingLog || manager.forceUpdate);
    const ProbePtr plain = NewProbe();
    const ThreadProbePtr threaded = NewThreadProbe();
    const auto wrapper = Wrap(threaded);
    manager.AddProcess(plain);
    manager.AddThreadedProcess(wrapper);
    EXPECT_TRUE(plain->attached);
    EXPECT_TRUE(threaded->attached);
    EXPECT_TRUE(manager.HasProcesses());
    manager.RemoveAllProcesses();
    EXPECT_FALSE(plain->attached);
    EXPECT_FALSE(threaded->attached);
    EXPECT_FALSE(manager.HasProcesses());
}

TEST_F(ProcessManagerTest, UpdatesRunnableProcessesInOrder) {
    std::vector<int> order;
    std::vector<ProbePtr> probes;
    for (int i = 0; i < 3; ++i) {
        probes.push_back(NewProbe());
        probes.back()->onUpdate = [&order, i](ProbeProcess&) { order.push_back(i); };
        manager.AddProcess(probes.back());
    }
    manager.Update(0.016f);
    EXPECT_EQ(order, (std::vector<int>{0, 1, 2}));
    EXPECT_FLOAT_EQ(probes[1]->lastDt, 0.016f);
}

TEST_F(ProcessManagerTest, SkipsInactiveAndPausedUnlessForced) {
    struct Case {
        bool active;
        bool paused;
        bool force;
        bool updated;
    };
    const Case cases[] = {
        {true, false, false, true}, {false, false, false, false}, {true, true, false, false},
        {true, true, true, true},   {false, true, true, false},
    };
    for (const Case& c : cases) {
        ProcessManager local;
        const ProbePtr probe = NewProbe();
        probe->active = c.active;
        probe->paused = c.paused;
        local.forceUpdate = c.force;
        local.AddProcess(probe);
        local.Update(0.1f);
        SCOPED_TRACE(testing::Message()
                     << "active " << c.active << " paused " << c.paused << " force " << c.force);
        EXPECT_EQ(probe->updates, c.updated ? 1 : 0);
        EXPECT_EQ(local.processes.size(), 1u) << "skipped, not removed";
    }
}

TEST_F(ProcessManagerTest, KilledProcessIsRetiredWithoutUpdate) {
    const ProbePtr doomed = NewProbe();
    const ProbePtr other = NewProbe();
    manager.AddProcess(doomed);
    manager.AddProcess(other);
    doomed->killed = true;
    manager.Update(0.1f);
    EXPECT_EQ(doomed->updates, 0);
    EXPECT_FALSE(doomed->attached);
    ASSERT_EQ(manager.processes.size(), 1u);
    EXPECT_EQ(manager.processes.front(), other);
}

TEST_F(ProcessManagerTest, SuccessorJoinsAndRunsFromTheNextFrame) {
    const ProbePtr first = NewProbe();
    const ProbePtr next = NewProbe();
    manager.AddProcess(first);
    first->onUpdate = [&](ProbeProcess& self) {
        self.SetThreadRequest(next, false, true, 0);
        self.killed = true;
    };
    manager.Update(0.1f); // first runs and asks to be replaced
    EXPECT_EQ(manager.processes.front(), first);
    manager.Update(0.1f); // first retired, next joins
    ASSERT_EQ(manager.processes.size(), 1u);
    EXPECT_EQ(manager.processes.front(), next);
    EXPECT_TRUE(next->attached);
    EXPECT_EQ(next->updates, 0);
    EXPECT_FALSE(first->successor) << "request cleared";
    manager.Update(0.1f);
    EXPECT_EQ(next->updates, 1);
}

TEST_F(ProcessManagerTest, ThreadedSuccessorIsBuiltAsRequestedAndStartsNextFrame) {
    const ProbePtr first = NewProbe();
    const ThreadProbePtr next = NewThreadProbe();
    manager.AddProcess(first);
    first->SetThreadRequest(next, true, false, -1);
    first->killed = true;
    manager.Update(0.1f);
    EXPECT_TRUE(manager.processes.empty());
    ASSERT_EQ(manager.threadedProcesses.size(), 1u);
    const auto wrapper = manager.threadedProcesses.front();
    EXPECT_EQ(wrapper->process, next);
    EXPECT_FALSE(wrapper->lockStep);
    EXPECT_EQ(wrapper->priority, -1);
    EXPECT_FALSE(wrapper->HasThread()) << "not before the next frame";
    EXPECT_FALSE(first->successorThreaded);
    EXPECT_TRUE(first->successorLockStep);
    EXPECT_EQ(first->successorPriority, 0);

    manager.Update(0.1f);
    next->updated.Wait();
    EXPECT_TRUE(wrapper->HasThread());
}

TEST_F(ProcessManagerTest, LoaderHandsOverToALockStepThreadedSuccessor) {
    const ThreadProbePtr loader = NewThreadProbe();
    const ThreadProbePtr next = NewThreadProbe();
    std::thread::id loaderThread;
    loader->onUpdate = [&](ProbeThreadProcess& self) {
        loaderThread = std::this_thread::get_id();
        self.SetThreadRequest(next, true, true, 15);
        self.killed = true;
    };
    std::thread::id nextThread;
    next->onUpdate = [&](ProbeThreadProcess&) { nextThread = std::this_thread::get_id(); };
    const auto loaderWrapper = Wrap(loader);
    loaderWrapper->lockStep = false;
    loaderWrapper->SetPriority(2);
    manager.AddThreadedProcess(loaderWrapper);

    manager.Update(0.1f); // starts the loader, which ends itself
    loader->updated.Wait();
    manager.Update(0.1f); // retires it and adds the successor
    EXPECT_FALSE(loaderWrapper->m_thread_running);
    EXPECT_FALSE(loader->attached);
    ASSERT_EQ(manager.threadedProcesses.size(), 1u);
    const auto nextWrapper = manager.threadedProcesses.front();
    EXPECT_EQ(nextWrapper->process, next);
    EXPECT_TRUE(nextWrapper->lockStep);
    EXPECT_EQ(nextWrapper->priority, 15);
    EXPECT_EQ(next->updates, 0);

    manager.Update(0.1f);
    next->updated.Wait();
    EXPECT_NE(nextThread, std::this_thread::get_id());
    EXPECT_NE(loaderThread, std::this_thread::get_id());
}

TEST_F(ProcessManagerTest, ThreadedProcessKilledFromOutsideIsStoppedAndDropped) {
    const ThreadProbePtr process = NewThreadProbe();
    const auto wrapper = Wrap(process);
    manager.AddThreadedProcess(wrapper);
    manager.Update(0.1f);
    process->updated.Wait();
    process->killed = true;
    manager.Update(0.1f);
    EXPECT_TRUE(manager.threadedProcesses.empty());
    EXPECT_FALSE(wrapper->HasThread());
    EXPECT_FALSE(process->attached);
}

TEST_F(ProcessManagerTest, TimingsHoldTheLatestRecordOfEachProcess) {
    sys::ManualClock clock;
    sys::SetTimeSource(&clock);
    const ProbePtr slow = NewProbe();
    const ProbePtr idle = NewProbe();
    const ProbePtr quick = NewProbe();
    slow->onUpdate = [&](ProbeProcess&) { clock.Advance(0.5); };
    quick->onUpdate = [&](ProbeProcess&) { clock.Advance(0.25); };
    idle->active = false;
    for (const ProbePtr& p : {slow, idle, quick}) {
        manager.AddProcess(p);
    }
    manager.Update(0.1f); // timing off: nothing recorded
    EXPECT_TRUE(manager.timings.empty());

    manager.timingEnabled = true;
    for (int frame = 0; frame < 2; ++frame) {
        manager.Update(0.1f);
        ASSERT_EQ(manager.timings.size(), 3u);
        EXPECT_EQ(manager.timings[0].process, slow.get());
        EXPECT_DOUBLE_EQ(manager.timings[0].seconds, 0.5);
        EXPECT_EQ(manager.timings[1].process, idle.get());
        EXPECT_EQ(manager.timings[1].seconds, 0.0);
        EXPECT_EQ(manager.timings[2].process, quick.get());
        EXPECT_DOUBLE_EQ(manager.timings[2].seconds, 0.25);
    }

    manager.RemoveProcess(quick);
    manager.Update(0.1f);
    ASSERT_EQ(manager.timings.size(), 2u);
    EXPECT_EQ(manager.timings[0].process, slow.get());
    EXPECT_EQ(manager.timings[1].process, idle.get());
}

TEST_F(ProcessManagerTest, TimingLogNamesEveryProcess) {
    std::ostringstream log;
    std::streambuf* const saved = std::cout.rdbuf(log.rdbuf());
    const ProbePtr plain = NewProbe();
    const ProbePtr idle = NewProbe();
    idle->active = false;
    const ThreadProbePtr threaded = NewThreadProbe();
    manager.AddProcess(plain);
    manager.AddProcess(idle);
    manager.AddThreadedProcess(Wrap(threaded));
    manager.timingLog = true;
    manager.Update(0.1f); // lines for processes only when timing is on
    manager.timingEnabled = true;
    manager.Update(0.1f);
    std::cout.rdbuf(saved);
    EXPECT_EQ(log.str(), "ThreadedProcess: ProbeThreadProcess\n"
                         "Process List Done\n"
                         "ThreadedProcess: ProbeThreadProcess\n"
                         "Process: ProbeProcess\n"
                         "Process: ProbeProcess\n"
                         "Process List Done\n");
}

} // namespace
