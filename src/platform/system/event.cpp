#include "platform/system/event.h"

#include <chrono>

namespace sys {

void Event::Set() {
    // Notified under the lock: a waiter that returns may destroy the event at once.
    const std::lock_guard<std::mutex> hold(m_lock);
    m_signalled = true;
    m_changed.notify_one();
}

void Event::Wait() {
    std::unique_lock<std::mutex> hold(m_lock);
    m_changed.wait(hold, [this] { return m_signalled; });
    m_signalled = false;
}

bool Event::WaitFor(std::uint32_t milliseconds) {
    std::unique_lock<std::mutex> hold(m_lock);
    if (!m_changed.wait_for(hold, std::chrono::milliseconds(milliseconds),
                            [this] { return m_signalled; })) {
        return false;
    }
    m_signalled = false;
    return true;
}

} // namespace sys
