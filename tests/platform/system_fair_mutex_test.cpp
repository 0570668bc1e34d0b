#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "platform/system/event.h"
#include "platform/system/fair_mutex.h"

namespace {

using Result = sys::FairMutex::WaitResult;

// What another thread gets from Wait(timeoutMs); it gives back what it got.
Result TryFromOtherThread(sys::FairMutex& mutex, std::uint32_t timeoutMs) {
    Result result = Result::kTimedOut;
    std::thread other([&] {
        result = mutex.Wait(timeoutMs);
        if (result != Result::kTimedOut) {
            mutex.Release();
        }
    });
    other.join();
    return result;
}

TEST(SystemFairMutex, RecursiveForItsOwnerAndReleasedOnlyByIt) {
    sys::FairMutex mutex;
    EXPECT_FALSE(mutex.Release()) << "nobody owns it";
    ASSERT_EQ(mutex.Wait(0), Result::kAcquired);
    ASSERT_EQ(mutex.Wait(0), Result::kAcquired);

    bool releasedByOther = true;
    std::thread([&] { releasedByOther = mutex.Release(); }).join();
    EXPECT_FALSE(releasedByOther);

    EXPECT_TRUE(mutex.Release());
    EXPECT_EQ(TryFromOtherThread(mutex, 0), Result::kTimedOut) << "still held once";
    EXPECT_EQ(TryFromOtherThread(mutex, 1), Result::kTimedOut) << "timed wait runs out";
    EXPECT_TRUE(mutex.Release());
    EXPECT_FALSE(mutex.Release());
    EXPECT_EQ(TryFromOtherThread(mutex, 0), Result::kAcquired);
}

TEST(SystemFairMutex, WaiterIsServedWhileAnotherThreadLoopsOnLockAndUnlock) {
    sys::FairMutex mutex;
    std::atomic<bool> stop{false};
    std::atomic<int> loops{0};
    std::thread looper([&] {
        while (!stop) {
            if (mutex.Wait(sys::FairMutex::kInfinite) == Result::kAcquired) {
                ++loops;
                mutex.Release();
            }
        }
    });
    while (loops < 1000) {
        std::this_thread::yield();
    }
    for (int round = 0; round < 50; ++round) {
        ASSERT_EQ(mutex.Wait(5000), Result::kAcquired) << "round " << round;
        const int heldAt = loops;
        std::this_thread::yield();
        EXPECT_EQ(loops, heldAt) << "the looper ran while we owned the mutex";
        EXPECT_TRUE(mutex.Release());
    }
    stop = true;
    looper.join();
}

TEST(SystemFairMutex, AbandonedMutexIsReportedToItsNextOwner) {
    sys::FairMutex mutex;
    sys::Event holding;
    sys::Event finish;
    std::thread::id ownerId;
    // Kept alive throughout: the id of an ended thread may be given to the next one.
    std::thread owner([&] {
        ownerId = std::this_thread::get_id();
        mutex.Wait(0);
        mutex.Wait(0);
        holding.Set();
        finish.Wait();
    });
    holding.Wait();

    mutex.Abandon(std::this_thread::get_id()); // not the owner: no effect
    EXPECT_EQ(TryFromOtherThread(mutex, 0), Result::kTimedOut);

    mutex.Abandon(ownerId);
    ASSERT_EQ(mutex.Wait(0), Result::kAbandoned);
    EXPECT_TRUE(mutex.Release());
    EXPECT_EQ(mutex.Wait(0), Result::kAcquired) << "reported once";
    EXPECT_TRUE(mutex.Release());
    finish.Set();
    owner.join();
}

TEST(SystemFairMutex, WaiterQueuedAtAbandonmentBecomesOwnerAndIsTold) {
    sys::FairMutex mutex;
    ASSERT_EQ(mutex.Wait(0), Result::kAcquired);
    Result waited = Result::kTimedOut;
    std::thread waiter([&] {
        waited = mutex.Wait(sys::FairMutex::kInfinite);
        mutex.Release();
    });
    // Abandon hands the mutex to a queued waiter; until the waiter is queued it just frees
    // it, so either way the waiter must learn of it.
    mutex.Abandon(std::this_thread::get_id());
    waiter.join();
    EXPECT_EQ(waited, Result::kAbandoned);
}

} // namespace
