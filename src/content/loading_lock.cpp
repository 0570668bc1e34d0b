#include "content/loading_lock.h"

#include <chrono>
#include <mutex>
#include <stdexcept>

// Stand-in until the engine's named mutexes are in: a process-wide timed mutex.
namespace {

std::recursive_timed_mutex& LoadingMutex() {
    static std::recursive_timed_mutex mutex;
    return mutex;
}

} // namespace

LoadingLock::LoadingLock() {
    if (!LoadingMutex().try_lock_for(std::chrono::milliseconds(kTimeoutMs))) {
        throw std::runtime_error("Wait timed out");
    }
}

LoadingLock::~LoadingLock() {
    LoadingMutex().unlock();
}
