#pragma once
// Holds the process-wide "Loading" mutex for its lifetime. Loader steps and the questions
// the screens ask about them take it, so a loader never changes what a screen is reading.
// The mutex hands over to the longest waiter whenever its owner lets go, so a thread that
// takes it step after step never shuts out one that is waiting. A wait longer than kTimeoutMs
// throws openutils::ThreadException.
#include "core/thread.h"
#include "core/types.h"

class LoadingLock {
  public:
    static constexpr const char* kName = "Loading";
    static constexpr u32 kTimeoutMs = NamedMutex::kLoadingTimeoutMs;

    LoadingLock();
    ~LoadingLock();
    LoadingLock(const LoadingLock&) = delete;
    LoadingLock& operator=(const LoadingLock&) = delete;
};
