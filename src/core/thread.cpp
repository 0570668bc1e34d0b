#include "core/thread.h"

namespace openutils {
namespace {

std::string NameOf(const char* name) {
    return name != nullptr ? name : "";
}

} // namespace

NamedMutex loadingMutex("Loading");

Thread::~Thread() {
    Join();
}

void Thread::Start() {
    Start(kNormalPriority);
}

void Thread::Start(int priority) {
    if (!m_handle.Start([this] { Run(); }, priority)) {
        throw ThreadException(ThreadException::kCreateThread);
    }
}

void Thread::SetPriority(int priority) {
    if (!m_handle.Exists()) {
        throw ThreadException(ThreadException::kNoThread);
    }
    if (!m_handle.SetPriority(priority)) {
        throw ThreadException(ThreadException::kSetPriority);
    }
}

void Thread::Join() {
    m_handle.Join();
}

NamedMutex::NamedMutex(const char* name)
    : m_handle(sys::CreateNamedMutex(NameOf(name))), m_name(NameOf(name)) {
    if (!m_handle) {
        throw ThreadException(ThreadException::kCreateMutex);
    }
}

bool NamedMutex::Wait(const char* name, u32 timeoutMs) {
    const std::string key = NameOf(name);
    switch (sys::WaitNamedMutex(key, timeoutMs)) {
    case sys::MutexWait::kAcquired:
        return true;
    case sys::MutexWait::kNotFound:
        throw ThreadException(ThreadException::kMutexNotFound);
    case sys::MutexWait::kTimedOut:
        throw ThreadException(ThreadException::kWaitTimedOut);
    case sys::MutexWait::kAbandoned:
        // The caller learns of the failure by the exception and so will not release the
        // mutex; keeping it would block every other thread for good.
        sys::ReleaseNamedMutex(key);
        throw ThreadException(ThreadException::kNotSignaled);
    }
    return false;
}

void NamedMutex::Release(const char* name) {
    switch (sys::ReleaseNamedMutex(NameOf(name))) {
    case sys::MutexRelease::kReleased:
        return;
    case sys::MutexRelease::kNotFound:
        throw ThreadException(ThreadException::kInvalidHandle);
    case sys::MutexRelease::kNotOwner:
        throw ThreadException(ThreadException::kReleaseMutex);
    }
}

} // namespace openutils
