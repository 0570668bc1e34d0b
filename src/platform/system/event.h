#pragma once
// An auto-reset event: Set lets exactly one Wait through and the event resets itself as that
// wait returns. A Set with nobody waiting is kept until the next Wait; a second Set before
// then adds nothing.
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace sys {

class Event {
  public:
    Event() = default;
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void Set();
    void Wait();
    // False when the time ran out before the event was set.
    bool WaitFor(std::uint32_t milliseconds);

  private:
    std::mutex m_lock;
    std::condition_variable m_changed;
    bool m_signalled = false;
};

} // namespace sys
