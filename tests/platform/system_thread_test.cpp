#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>

#include "platform/system/event.h"
#include "platform/system/thread.h"

namespace {

int OwnNice() {
    return getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
}

int ProcessNice() {
    return getpriority(PRIO_PROCESS, static_cast<id_t>(getpid()));
}

TEST(SystemThread, RunsTheBodyOnAnotherThreadAndJoinsOnce) {
    sys::Thread thread;
    EXPECT_FALSE(thread.Exists());
    thread.Join(); // nothing to wait for

    std::atomic<bool> ran{false};
    std::thread::id bodyThread;
    ASSERT_TRUE(thread.Start([&] {
        bodyThread = std::this_thread::get_id();
        ran = true;
    }));
    EXPECT_TRUE(thread.Exists());
    EXPECT_FALSE(thread.Start([] {})) << "a second thread while the first is attached";
    thread.Join();
    thread.Join();
    EXPECT_TRUE(ran);
    EXPECT_NE(bodyThread, std::this_thread::get_id());
    EXPECT_FALSE(thread.Exists());

    ASSERT_TRUE(thread.Start([] {})) << "startable again once joined";
}

TEST(SystemThread, PriorityNeedsAThreadAndAValueOnTheScale) {
    sys::Thread thread;
    EXPECT_FALSE(thread.SetPriority(0));
    sys::Event finish;
    ASSERT_TRUE(thread.Start([&] { finish.Wait(); }));
    EXPECT_FALSE(thread.SetPriority(16));
    EXPECT_FALSE(thread.SetPriority(-16));
    // Raising needs privileges a player does not have; that is not a failure.
    EXPECT_TRUE(thread.SetPriority(15));
    EXPECT_TRUE(thread.SetPriority(2));
    finish.Set();
    thread.Join();
}

TEST(SystemThread, LowerPrioritiesBecomeHigherNiceValues) {
    const int base = ProcessNice();
    sys::Event go;
    sys::Event measured;
    int firstNice = 0;
    int secondNice = 0;
    sys::Thread thread;
    ASSERT_TRUE(thread.Start([&] {
        go.Wait();
        firstNice = OwnNice();
        measured.Set();
        go.Wait();
        secondNice = OwnNice();
    }));
    // Usually before the thread knows its id, so it is applied as the thread begins.
    ASSERT_TRUE(thread.SetPriority(-1));
    go.Set();
    measured.Wait();
    ASSERT_TRUE(thread.SetPriority(-2));
    go.Set();
    thread.Join();
    EXPECT_EQ(firstNice, std::min(base + 5, 19));
    EXPECT_EQ(secondNice, std::min(base + 10, 19));
}

TEST(SystemThread, PriorityOfAFinishedThreadIsHarmless) {
    sys::Thread thread;
    sys::Event done;
    ASSERT_TRUE(thread.Start([&] { done.Set(); }));
    done.Wait();
    EXPECT_TRUE(thread.SetPriority(-2));
}

TEST(SystemThread, ProcessorCountIsAtLeastOne) {
    EXPECT_GE(sys::ProcessorCount(), 1u);
}

} // namespace
