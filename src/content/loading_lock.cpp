#include "content/loading_lock.h"

#include "platform/system/log.h"
#include "core/thread.h"

LoadingLock::LoadingLock() {
    NamedMutex::Wait(kName, kTimeoutMs);
}

LoadingLock::~LoadingLock() {
    try {
        NamedMutex::Release(kName);
    } catch (const openutils::ThreadException& failure) {
        sys::LogLine(std::string("LoadingLock: ") + failure.what());
    }
}
