#include "content/loading_lock.h"

#include "core/thread.h"
#include "platform/system/log.h"

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
