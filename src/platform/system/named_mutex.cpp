#include "platform/system/named_mutex.h"

#include <algorithm>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <vector>

namespace sys {
namespace {

class Registry {
  public:
    // Never destroyed: mutexes owned by globals are released during static destruction.
    static Registry& Get() {
        static Registry* const registry = new Registry();
        return *registry;
    }

    NamedMutexHandle Create(const std::string& name) {
        const std::lock_guard<std::mutex> hold(m_lock);
        std::weak_ptr<FairMutex>& slot = m_by_name[name];
        NamedMutexHandle mutex = slot.lock();
        if (!mutex) {
            mutex = std::make_shared<FairMutex>();
            slot = mutex;
        }
        // Names whose every handle is gone are free again.
        std::erase_if(m_by_name, [](const auto& entry) { return entry.second.expired(); });
        return mutex;
    }

    NamedMutexHandle Open(const std::string& name) {
        const std::lock_guard<std::mutex> hold(m_lock);
        const auto found = m_by_name.find(name);
        return found != m_by_name.end() ? found->second.lock() : nullptr;
    }

  private:
    std::mutex m_lock;
    std::unordered_map<std::string, std::weak_ptr<FairMutex>> m_by_name;
};

// One entry per successful wait of this thread that it has not released yet.
class HeldByThisThread {
  public:
    ~HeldByThisThread() {
        const std::thread::id self = std::this_thread::get_id();
        for (const std::weak_ptr<FairMutex>& held : m_held) {
            if (const NamedMutexHandle mutex = held.lock()) {
                mutex->Abandon(self);
            }
        }
    }

    void Add(const NamedMutexHandle& mutex) { m_held.push_back(mutex); }

    void Remove(const NamedMutexHandle& mutex) {
        const auto found = std::find_if(m_held.begin(), m_held.end(), [&](const auto& held) {
            return !held.owner_before(mutex) && !mutex.owner_before(held);
        });
        if (found != m_held.end()) {
            m_held.erase(found);
        }
    }

  private:
    std::vector<std::weak_ptr<FairMutex>> m_held;
};

thread_local HeldByThisThread t_held;

} // namespace

NamedMutexHandle CreateNamedMutex(const std::string& name) {
    if (name.empty()) {
        return std::make_shared<FairMutex>();
    }
    return Registry::Get().Create(name);
}

MutexWait WaitNamedMutex(const std::string& name, std::uint32_t timeoutMs) {
    const NamedMutexHandle mutex = Registry::Get().Open(name);
    if (!mutex) {
        return MutexWait::kNotFound;
    }
    switch (mutex->Wait(timeoutMs)) {
    case FairMutex::WaitResult::kTimedOut:
        return MutexWait::kTimedOut;
    case FairMutex::WaitResult::kAbandoned:
        t_held.Add(mutex);
        return MutexWait::kAbandoned;
    case FairMutex::WaitResult::kAcquired:
        break;
    }
    t_held.Add(mutex);
    return MutexWait::kAcquired;
}

MutexRelease ReleaseNamedMutex(const std::string& name) {
    const NamedMutexHandle mutex = Registry::Get().Open(name);
    if (!mutex) {
        return MutexRelease::kNotFound;
    }
    if (!mutex->Release()) {
        return MutexRelease::kNotOwner;
    }
    t_held.Remove(mutex);
    return MutexRelease::kReleased;
}

} // namespace sys
