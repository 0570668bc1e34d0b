#include "content/loading_lock.h"

#include "content/log_line.h"
#include "core/thread.h"

LoadingLock::LoadingLock() {
    NamedMutex::Wait(kName, kTimeoutMs);
}

LoadingLock::~LoadingLock() {
    try {
        NamedMutex::Release(kName);
    } catch (const openutils::ThreadException& failure) {
        LogLine(std::string("LoadingLock: ") + failure.what());
    }
}
