#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include "core/process_manager.h"
#include "core/threaded_process.h"
#include "platform/system/clock.h"
#include "platform/system/event.h"

namespace {

// Records what each update received, and on which thread.
class StepProcess : public Process {
  public:
    void Update(float dt) override {
        {
            const std::lock_guard<std::mutex> hold(lock);
            dts.push_back(dt);
            threads.push_back(std::this_thread::get_id());
            nices.push_back(getpriority(PRIO_PROCESS, static_cast<id_t>(gettid())));
        }
        if (killAfterUpdate) {
            killed = true;
        }
        updated.Set();
    }

    std::vector<float> Dts() {
        const std::lock_guard<std::mutex> hold(lock);
        return dts;
    }
    std::size_t Count() {
        const std::lock_guard<std::mutex> hold(lock);
        return dts.size();
    }

    std::mutex lock;
    std::vector<float> dts;
    std::vector<std::thread::id> threads;
    std::vector<int> nices;
    std::atomic<bool> killAfterUpdate{false};
    sys::Event updated;
};

using StepPtr = boost::shared_ptr<StepProcess>;

class ThreadedProcessTest : public ::testing::Test {
  protected:
    void SetUp() override { sys::SetTimeSource(&clock); }
    void TearDown() override {
        manager.RemoveAllProcesses();
        sys::SetTimeSource(nullptr);
    }

    boost::shared_ptr<ThreadedProcess> AddThreaded(bool lockStep) {
        auto threaded = boost::shared_ptr<ThreadedProcess>(new ThreadedProcess(process));
        threaded->lockStep = lockStep;
        manager.AddThreadedProcess(threaded);
        return threaded;
    }

    sys::ManualClock clock;
    StepPtr process{new StepProcess()};
    ProcessManager manager;
};

TEST_F(ThreadedProcessTest, BuiltWithoutAThread) {
    const ThreadedProcess threaded(process);
    EXPECT_EQ(threaded.GetName(), "null");
    EXPECT_FALSE(threaded.HasThread());
    EXPECT_FALSE(threaded.m_thread_running);
    EXPECT_FALSE(threaded.stepLocked);
    EXPECT_TRUE(threaded.lockStep);
    EXPECT_EQ(threaded.priority, 0);
}

TEST_F(ThreadedProcessTest, FirstStepGetsTheCapThenMeasuredTimeUpToTheCap) {
    AddThreaded(true);
    clock.Set(1000); // the first step must not depend on how large the counter is
    manager.Update(0.0f);
    process->updated.Wait();
    clock.Advance(0.1);
    manager.Update(0.0f);
    process->updated.Wait();
    clock.Advance(3.0);
    manager.Update(0.0f);
    process->updated.Wait();
    clock.Advance(0.25);
    manager.Update(0.0f);
    process->updated.Wait();
    const std::vector<float> dts = process->Dts();
    ASSERT_EQ(dts.size(), 4u);
    EXPECT_EQ(dts[0], 0.25f);
    EXPECT_FLOAT_EQ(dts[1], 0.1f);
    EXPECT_EQ(dts[2], 0.25f);
    EXPECT_EQ(dts[3], 0.25f);
}

TEST_F(ThreadedProcessTest, LockStepRunsExactlyOneUpdatePerFrame) {
    const auto threaded = AddThreaded(true);
    constexpr int kFrames = 200;
    for (int frame = 0; frame < kFrames; ++frame) {
        manager.Update(0.0f);
        process->updated.Wait();
    }
    threaded->Stop();
    EXPECT_EQ(process->Count(), static_cast<std::size_t>(kFrames));
    const std::thread::id first = process->threads.front();
    EXPECT_NE(first, std::this_thread::get_id());
    EXPECT_TRUE(std::all_of(process->threads.begin(), process->threads.end(),
                            [&](std::thread::id id) { return id == first; }));
}

TEST_F(ThreadedProcessTest, PausedLockStepProcessIsNotReleased) {
    const auto threaded = AddThreaded(true);
    manager.Update(0.0f);
    process->updated.Wait();
    process->paused = true;
    for (int frame = 0; frame < 20; ++frame) {
        manager.Update(0.0f);
    }
    manager.forceUpdate = true;
    manager.Update(0.0f);
    process->updated.Wait();
    threaded->Stop();
    EXPECT_EQ(process->Count(), 2u);
}

TEST_F(ThreadedProcessTest, FreeRunningKeepsUpdatingWithoutReleases) {
    AddThreaded(false);
    manager.Update(0.0f);
    for (int i = 0; i < 5; ++i) {
        process->updated.Wait();
    }
    EXPECT_GE(process->Count(), 5u);
}

TEST_F(ThreadedProcessTest, ReleasesInQuickSuccessionStartOneThread) {
    // The second frame comes before the new thread can have entered its loop.
    const auto threaded = AddThreaded(true);
    manager.Update(0.0f);
    manager.Update(0.0f);
    manager.Update(0.0f);
    process->updated.Wait();
    threaded->Stop();
    const std::thread::id first = process->threads.front();
    EXPECT_TRUE(std::all_of(process->threads.begin(), process->threads.end(),
                            [&](std::thread::id id) { return id == first; }));
}

TEST_F(ThreadedProcessTest, StartingARunningThreadIsRefused) {
    // Refused in every build type, not only where assertions are compiled in.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(
        {
            ThreadedProcess threaded(process);
            threaded.Start();
            threaded.Start();
        },
        "m_thread_running == false");
}

TEST_F(ThreadedProcessTest, StopWithoutAThreadReturnsAtOnce) {
    ThreadedProcess threaded(process);
    threaded.Stop();
    threaded.Stop();
    EXPECT_FALSE(threaded.HasThread());
}

TEST_F(ThreadedProcessTest, PriorityBeforeStartIsKeptForStart) {
    const int base = getpriority(PRIO_PROCESS, static_cast<id_t>(getpid()));
    const auto threaded = AddThreaded(true);
    threaded->SetPriority(-1); // no thread yet: stored, not an error
    EXPECT_EQ(threaded->priority, -1);
    manager.Update(0.0f);
    process->updated.Wait();
    threaded->Stop();
    EXPECT_EQ(process->nices.front(), std::min(base + 5, 19));
}

TEST_F(ThreadedProcessTest, KilledProcessEndsItsLoopAndCanBeStopped) {
    process->killAfterUpdate = true;
    const auto threaded = AddThreaded(false);
    manager.Update(0.0f);
    process->updated.Wait();
    threaded->Stop();
    EXPECT_FALSE(threaded->m_thread_running);
    EXPECT_EQ(process->Count(), 1u) << "no update once killed";
}

TEST_F(ThreadedProcessTest, DestructionStopsARunningThread) {
    {
        ThreadedProcess threaded(process);
        threaded.lockStep = false;
        threaded.Start();
        process->updated.Wait();
    }
    const std::size_t count = process->Count();
    EXPECT_GE(count, 1u);
    std::this_thread::yield();
    EXPECT_EQ(process->Count(), count);
}

} // namespace
