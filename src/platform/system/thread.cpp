#include "platform/system/thread.h"

#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <mutex>
#include <system_error>

namespace sys {

// Written by the new thread once it knows its own id; guarded so that a priority is never
// applied to an id that the system may already have given to another thread.
struct Thread::Shared {
    std::mutex lock;
    pid_t tid = 0;
    bool finished = false;
    // Applied by the new thread itself once it knows its id; a SetPriority before then
    // replaces it.
    int nice = 0;
};

namespace {

constexpr int kNiceMin = -20;
constexpr int kNiceMax = 19;
// Nice steps per priority level: highest (2) is 10 steps above normal, lowest (-2) 10 below.
constexpr int kNicePerLevel = 5;

// Thread priorities are relative to the process's own nice value.
int BaseNice() {
    static const int base = [] {
        errno = 0;
        const int nice = getpriority(PRIO_PROCESS, static_cast<id_t>(getpid()));
        return errno == 0 ? nice : 0;
    }();
    return base;
}

bool OnScale(int priority) {
    return priority >= Thread::kLowestPriority && priority <= Thread::kHighestPriority;
}

int NiceFor(int priority) {
    return std::clamp(BaseNice() - priority * kNicePerLevel, kNiceMin, kNiceMax);
}

void ApplyNice(pid_t tid, int nice) {
    // EACCES/EPERM when raising without privileges: the thread keeps its priority.
    setpriority(PRIO_PROCESS, static_cast<id_t>(tid), nice);
}

} // namespace

Thread::~Thread() {
    Join();
}

bool Thread::Start(std::function<void()> body, int priority) {
    if (m_thread.joinable()) {
        return false;
    }
    auto shared = std::make_shared<Shared>();
    shared->nice = NiceFor(OnScale(priority) ? priority : 0);
    try {
        m_thread = std::thread([shared, body = std::move(body)] {
            {
                const std::lock_guard<std::mutex> hold(shared->lock);
                shared->tid = gettid();
                ApplyNice(shared->tid, shared->nice);
            }
            body();
            const std::lock_guard<std::mutex> hold(shared->lock);
            shared->finished = true;
        });
    } catch (const std::system_error&) {
        return false;
    }
    m_shared = std::move(shared);
    return true;
}

void Thread::Join() {
    if (m_thread.joinable()) {
        m_thread.join();
    }
    m_shared.reset();
}

bool Thread::SetPriority(int priority) {
    if (!m_thread.joinable() || !OnScale(priority)) {
        return false;
    }
    const int nice = NiceFor(priority);
    const std::lock_guard<std::mutex> hold(m_shared->lock);
    if (m_shared->finished) {
        return true;
    }
    if (m_shared->tid == 0) {
        m_shared->nice = nice;
        return true;
    }
    ApplyNice(m_shared->tid, nice);
    return true;
}

std::uint32_t ProcessorCount() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof(set), &set) == 0) {
        const int count = CPU_COUNT(&set);
        if (count > 0) {
            return static_cast<std::uint32_t>(count);
        }
    }
    return std::max(1u, std::thread::hardware_concurrency());
}

} // namespace sys
