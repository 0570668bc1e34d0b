#pragma once
// The "D3DDEVICE" named mutex. The renderer creates it and holds it for its life; the
// renderer and the loader thread take it around work on the device and its caches. A wait
// longer than 5000 ms throws openutils::ThreadException "Wait timed out".

#include "core/thread.h"
#include "core/types.h"

class DeviceMutex {
  public:
    static constexpr const char* kName = "D3DDEVICE";
    static constexpr u32 kTimeoutMs = NamedMutex::kDeviceTimeoutMs;

    DeviceMutex() : m_mutex(kName) {}

    // Recursive for the owning thread.
    static void Wait() { NamedMutex::Wait(kName, kTimeoutMs); }
    static void Release() { NamedMutex::Release(kName); }

  private:
    NamedMutex m_mutex;
};

// Holds the device mutex for a scope.
class DeviceLock {
  public:
    DeviceLock() { DeviceMutex::Wait(); }
    ~DeviceLock() { DeviceMutex::Release(); }
    DeviceLock(const DeviceLock&) = delete;
    DeviceLock& operator=(const DeviceLock&) = delete;
};
