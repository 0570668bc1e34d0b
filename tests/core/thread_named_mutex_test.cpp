#include <gtest/gtest.h>

#include <thread>

#include "core/thread.h"
#include "platform/system/event.h"
#include "support/expect_thread_exception.h"

namespace {

constexpr const char* kName = "GorvaneTestMutex";

// Holds the named mutex on another thread until told to let go.
class Holder {
  public:
    explicit Holder(const char* name) : m_name(name) {
        m_thread = std::thread([this] {
            NamedMutex::Wait(m_name, 0);
            m_holding.Set();
            m_letGo.Wait();
            NamedMutex::Release(m_name);
        });
        m_holding.Wait();
    }
    ~Holder() {
        m_letGo.Set();
        m_thread.join();
    }

  private:
    const char* m_name;
    sys::Event m_holding;
    sys::Event m_letGo;
    std::thread m_thread;
};

TEST(NamedMutex, UnknownNamesAreReported) {
    EXPECT_THREAD_EXCEPTION(NamedMutex::Wait("GorvaneNoSuchMutex", 0), "Mutex not found");
    EXPECT_THREAD_EXCEPTION(NamedMutex::Release("GorvaneNoSuchMutex"), "Invalid mutex handle");
    EXPECT_THREAD_EXCEPTION(NamedMutex::Wait(nullptr, 0), "Mutex not found");
}

TEST(NamedMutex, ExistsWhileAnObjectOfItsNameDoes) {
    {
        const NamedMutex mutex(kName);
        EXPECT_EQ(mutex.GetName(), kName);
        EXPECT_TRUE(NamedMutex::Wait(kName, 0));
        NamedMutex::Release(kName);
    }
    EXPECT_THREAD_EXCEPTION(NamedMutex::Wait(kName, 0), "Mutex not found");
}

TEST(NamedMutex, TwoObjectsOfOneNameShareTheMutex) {
    const NamedMutex first(kName);
    {
        const NamedMutex second(kName);
        const Holder holder(kName);
        EXPECT_THREAD_EXCEPTION(NamedMutex::Wait(kName, 0), "Wait timed out");
    }
    EXPECT_TRUE(NamedMutex::Wait(kName, 0)) << "alive while the first object is";
    NamedMutex::Release(kName);
}

TEST(NamedMutex, WaitTimesOutWhileAnotherThreadOwnsIt) {
    const NamedMutex mutex(kName);
    const Holder holder(kName);
    EXPECT_THREAD_EXCEPTION(NamedMutex::Wait(kName, 0), "Wait timed out");
    EXPECT_THREAD_EXCEPTION(NamedMutex::Wait(kName, 2), "Wait timed out");
}

TEST(NamedMutex, OnlyTheOwnerReleases) {
    const NamedMutex mutex(kName);
    EXPECT_THREAD_EXCEPTION(NamedMutex::Release(kName), "Failed to release mutex");
    const Holder holder(kName);
    EXPECT_THREAD_EXCEPTION(NamedMutex::Release(kName), "Failed to release mutex");
}

TEST(NamedMutex, RecursiveForItsOwner) {
    const NamedMutex mutex(kName);
    EXPECT_TRUE(NamedMutex::Wait(kName, 0));
    EXPECT_TRUE(NamedMutex::Wait(kName, 0));
    NamedMutex::Release(kName);
    bool otherGotIt = true;
    std::thread([&] {
        try {
            otherGotIt = NamedMutex::Wait(kName, 0);
        } catch (const openutils::ThreadException&) {
            otherGotIt = false;
        }
    }).join();
    EXPECT_FALSE(otherGotIt) << "one Wait is still unreleased";
    NamedMutex::Release(kName);
    EXPECT_THREAD_EXCEPTION(NamedMutex::Release(kName), "Failed to release mutex");
}

TEST(NamedMutex, OwnerThatEndsWithoutReleasingIsReportedOnceAndFreesIt) {
    const NamedMutex mutex(kName);
    std::thread([] { NamedMutex::Wait(kName, 0); }).join();
    EXPECT_THREAD_EXCEPTION(NamedMutex::Wait(kName, 0), "Mutex not signaled");
    // The failed wait does not leave the caller owning it.
    bool otherGotIt = false;
    std::thread([&] {
        otherGotIt = NamedMutex::Wait(kName, 0);
        NamedMutex::Release(kName);
    }).join();
    EXPECT_TRUE(otherGotIt);
}

TEST(NamedMutex, LoadingExistsFromStart) {
    EXPECT_EQ(openutils::loadingMutex.GetName(), "Loading");
    EXPECT_TRUE(NamedMutex::Wait("Loading", NamedMutex::kLoadingTimeoutMs));
    NamedMutex::Release("Loading");
}

} // namespace
