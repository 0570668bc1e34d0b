#include "platform/system/fair_mutex.h"

#include <algorithm>
#include <chrono>

namespace sys {

FairMutex::WaitResult FairMutex::Wait(std::uint32_t timeoutMs) {
    const std::thread::id self = std::this_thread::get_id();
    std::unique_lock<std::mutex> hold(m_lock);
    if (m_count > 0 && m_owner == self) {
        ++m_count;
        return WaitResult::kAcquired;
    }
    // Ownership is handed over on release, so a free mutex never has waiters.
    if (m_count == 0) {
        m_owner = self;
        m_count = 1;
        const bool abandoned = m_abandoned;
        m_abandoned = false;
        return abandoned ? WaitResult::kAbandoned : WaitResult::kAcquired;
    }
    if (timeoutMs == 0) {
        return WaitResult::kTimedOut;
    }
    Waiter waiter;
    waiter.id = self;
    m_waiters.push_back(&waiter);
    const auto granted = [&waiter] { return waiter.granted; };
    if (timeoutMs == kInfinite) {
        waiter.wake.wait(hold, granted);
    } else if (!waiter.wake.wait_for(hold, std::chrono::milliseconds(timeoutMs), granted)) {
        m_waiters.erase(std::find(m_waiters.begin(), m_waiters.end(), &waiter));
        return WaitResult::kTimedOut;
    }
    return waiter.abandoned ? WaitResult::kAbandoned : WaitResult::kAcquired;
}

bool FairMutex::Release() {
    const std::lock_guard<std::mutex> hold(m_lock);
    if (m_count == 0 || m_owner != std::this_thread::get_id()) {
        return false;
    }
    if (--m_count == 0) {
        HandOff(false);
    }
    return true;
}

void FairMutex::Abandon(std::thread::id owner) {
    const std::lock_guard<std::mutex> hold(m_lock);
    if (m_count == 0 || m_owner != owner) {
        return;
    }
    m_count = 0;
    HandOff(true);
}

void FairMutex::HandOff(bool abandoned) {
    if (m_waiters.empty()) {
        m_owner = std::thread::id();
        m_abandoned = abandoned;
        return;
    }
    Waiter* const next = m_waiters.front();
    m_waiters.pop_front();
    m_owner = next->id;
    m_count = 1;
    next->granted = true;
    next->abandoned = abandoned;
    // Still under the lock: the waiter's record lives on its stack and is gone once it runs.
    next->wake.notify_one();
}

} // namespace sys
