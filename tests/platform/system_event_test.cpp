#include <gtest/gtest.h>

#include <thread>

#include "platform/system/event.h"

namespace {

TEST(SystemEvent, SetBeforeWaitIsKeptForOneWait) {
    sys::Event event;
    event.Set();
    event.Set(); // does not count twice
    EXPECT_TRUE(event.WaitFor(0));
    EXPECT_FALSE(event.WaitFor(0));
}

TEST(SystemEvent, WaitForTimesOutWithoutSet) {
    sys::Event event;
    EXPECT_FALSE(event.WaitFor(1));
}

TEST(SystemEvent, EachSetReleasesOneWaitOfAnotherThread) {
    sys::Event ping;
    sys::Event pong;
    int rounds = 0;
    std::thread other([&] {
        for (int i = 0; i < 100; ++i) {
            ping.Wait();
            ++rounds;
            pong.Set();
        }
    });
    for (int i = 0; i < 100; ++i) {
        ping.Set();
        pong.Wait();
        EXPECT_EQ(rounds, i + 1);
    }
    other.join();
}

} // namespace
