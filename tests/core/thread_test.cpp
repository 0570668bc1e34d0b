#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "core/thread.h"
#include "platform/system/event.h"
#include "support/expect_thread_exception.h"

namespace {

class CountingThread : public openutils::Thread {
  public:
    void Run() override {
        runThread = std::this_thread::get_id();
        ++runs;
    }
    std::atomic<int> runs{0};
    std::thread::id runThread;
};

TEST(Thread, RunsOnItsOwnThreadAndJoinsTwiceHarmlessly) {
    CountingThread thread;
    EXPECT_EQ(thread.GetName(), "null");
    EXPECT_FALSE(thread.HasThread());
    thread.Start();
    EXPECT_TRUE(thread.HasThread());
    thread.Join();
    EXPECT_FALSE(thread.HasThread());
    thread.Join();
    EXPECT_EQ(thread.runs, 1);
    EXPECT_NE(thread.runThread, std::this_thread::get_id());
}

TEST(Thread, PriorityBeforeStartHasNoThread) {
    CountingThread thread;
    EXPECT_THREAD_EXCEPTION(thread.SetPriority(2), "Thread object is null");
}

TEST(Thread, PriorityOutsideTheScaleFails) {
    class Waiting : public openutils::Thread {
      public:
        void Run() override { go.Wait(); }
        sys::Event go;
    } thread;
    thread.Start();
    thread.SetPriority(15); // unprivileged: kept at normal, not an error
    thread.SetPriority(-15);
    EXPECT_THREAD_EXCEPTION(thread.SetPriority(99), "Failed to set priority");
    thread.go.Set();
    thread.Join();
}

TEST(ThreadException, IsCopiedWithItsText) {
    const openutils::ThreadException original("Wait timed out");
    const openutils::ThreadException copy = original;
    EXPECT_EQ(copy.GetMessage(), "Wait timed out");
}

} // namespace
