#pragma once
// Process-wide mutexes found by name. A mutex exists while at least one handle from
// CreateNamedMutex is held; any thread can then wait for it and release it by name. A thread
// that ends while owning named mutexes abandons them: the next owner is told so.
#include <cstdint>
#include <memory>
#include <string>

#include "platform/system/fair_mutex.h"

namespace sys {

enum class MutexWait { kAcquired, kNotFound, kTimedOut, kAbandoned };
enum class MutexRelease { kReleased, kNotFound, kNotOwner };

using NamedMutexHandle = std::shared_ptr<FairMutex>;

// Opens the mutex of this name, creating it when there is none. An empty name gives a mutex
// that cannot be found by name.
NamedMutexHandle CreateNamedMutex(const std::string& name);
MutexWait WaitNamedMutex(const std::string& name, std::uint32_t timeoutMs);
MutexRelease ReleaseNamedMutex(const std::string& name);

} // namespace sys
