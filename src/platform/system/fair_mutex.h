#pragma once
// A recursive mutex that only its owner can release, with timed waits and a first-come
// hand-off: when the owner lets go while others wait, the longest waiter becomes the owner at
// once, so a thread that loops on lock and unlock cannot starve another.
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>

namespace sys {

class FairMutex {
  public:
    static constexpr std::uint32_t kInfinite = 0xFFFFFFFFu;

    // kAbandoned: the caller owns the mutex, but its previous owner ended without releasing
    // it, so whatever it guards may be half-changed.
    enum class WaitResult { kAcquired, kTimedOut, kAbandoned };

    FairMutex() = default;
    FairMutex(const FairMutex&) = delete;
    FairMutex& operator=(const FairMutex&) = delete;

    WaitResult Wait(std::uint32_t timeoutMs);
    // Undoes one Wait of the owner; false when the caller does not own the mutex.
    bool Release();
    // Frees the mutex if owner still holds it (at any depth), for an owner that has ended.
    void Abandon(std::thread::id owner);

  private:
    struct Waiter {
        std::thread::id id;
        std::condition_variable wake;
        bool granted = false;
        bool abandoned = false;
    };

    // Passes ownership to the longest waiter, or leaves the mutex free. Called with the lock.
    void HandOff(bool abandoned);

    std::mutex m_lock;
    std::thread::id m_owner;
    std::uint32_t m_count = 0;
    bool m_abandoned = false;
    std::deque<Waiter*> m_waiters;
};

} // namespace sys
