#pragma once
// The "D3DDEVICE" mutex. The renderer creates it; the renderer and the loader thread take it
// around work on the device and its caches. A wait longer than 5000 ms throws.

#include "core/types.h"

class DeviceMutex {
  public:
    static constexpr const char* kName = "D3DDEVICE";
    static constexpr u32 kTimeoutMs = 5000;

    DeviceMutex();
    ~DeviceMutex();
    DeviceMutex(const DeviceMutex&) = delete;
    DeviceMutex& operator=(const DeviceMutex&) = delete;

    // Recursive for the owning thread.
    static void Wait();
    static void Release();
};

// Holds the device mutex for a scope.
class DeviceLock {
  public:
    DeviceLock() { DeviceMutex::Wait(); }
    ~DeviceLock() { DeviceMutex::Release(); }
    DeviceLock(const DeviceLock&) = delete;
    DeviceLock& operator=(const DeviceLock&) = delete;
};
