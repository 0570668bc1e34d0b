#include "graphics/device_mutex.h"

#include <chrono>
#include <mutex>
#include <stdexcept>

// Until the engine's named mutexes are in the tree the lock lives here; it has the same
// name, time-out and failure text, so only this file changes when they arrive.
namespace {

std::recursive_timed_mutex g_device_mutex;

} // namespace

DeviceMutex::DeviceMutex() = default;
DeviceMutex::~DeviceMutex() = default;

void DeviceMutex::Wait() {
    if (!g_device_mutex.try_lock_for(std::chrono::milliseconds(kTimeoutMs))) {
        throw std::runtime_error("Wait timed out");
    }
}

void DeviceMutex::Release() {
    g_device_mutex.unlock();
}
