#pragma once
// Holds the process-wide "Loading" mutex for its lifetime. Loader steps and the questions
// the screens ask about them take it, so a loader never changes what a screen is reading.
// A wait longer than kTimeoutMs throws.
#include "core/types.h"

class LoadingLock {
  public:
    static constexpr const char* kName = "Loading";
    static constexpr u32 kTimeoutMs = 100000;

    LoadingLock();
    ~LoadingLock();
    LoadingLock(const LoadingLock&) = delete;
    LoadingLock& operator=(const LoadingLock&) = delete;
};
