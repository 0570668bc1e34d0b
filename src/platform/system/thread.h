#pragma once
// A joinable thread with the game's Windows-scale priorities: -15 idle, -2 lowest, -1 below
// normal, 0 normal, 1 above normal, 2 highest, 15 time-critical. On Linux a priority becomes
// the thread's nice value; raising it above normal needs privileges the game usually lacks,
// and such a refusal is not an error: the thread keeps the priority it had.
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

namespace sys {

class Thread {
  public:
    static constexpr int kLowestPriority = -15;
    static constexpr int kHighestPriority = 15;

    Thread() = default;
    // Waits for the body to return.
    ~Thread();
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // False when a thread is still attached (not yet joined) or the system refuses a new one.
    // The body runs at the given priority from its first instruction; a value off the scale
    // gives normal priority.
    bool Start(std::function<void()> body, int priority = 0);
    // Started and not yet joined.
    bool Exists() const { return m_thread.joinable(); }
    // Waits for the body to return; nothing happens without a thread.
    void Join();
    // False without a thread or for a value outside the scale; applied as soon as the new
    // thread runs when it has not started yet.
    bool SetPriority(int priority);

  private:
    struct Shared;
    std::shared_ptr<Shared> m_shared;
    std::thread m_thread;
};

// The processors this process may run on, at least 1.
std::uint32_t ProcessorCount();

} // namespace sys
