#pragma once
// A fixed set of worker threads that splits one list of items per call: equal contiguous
// ranges, the last worker also taking the remainder. The caller signals every worker and
// blocks until all are done, so the workers never run beside the caller's own code; each
// worker must write only to the items of its own range. The threads start on the first call
// and run until the pool is destroyed.

#include <array>
#include <atomic>
#include <cstddef>
#include <exception>
#include <functional>

#include "core/types.h"
#include "platform/system/event.h"
#include "platform/system/thread.h"

class WorkerPool {
  public:
    static constexpr u32 kMaxWorkers = 16;

    struct Range {
        std::size_t begin;
        std::size_t end;
        bool operator==(const Range&) const = default;
    };
    // Called on a worker with its range of item positions and its index.
    using Task = std::function<void(std::size_t begin, std::size_t end, u32 worker)>;

    // One worker per processor.
    WorkerPool();
    // At least one worker and at most kMaxWorkers.
    explicit WorkerPool(u32 workerCount);
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    u32 WorkerCount() const { return m_count; }
    bool Started() const { return m_started; }

    static Range RangeOf(std::size_t count, u32 workers, u32 worker);

    // Runs task over [0, count) and returns when every worker is done. An exception thrown
    // by the task is rethrown here once all workers have finished. Not to be called from
    // two threads at once, nor from inside a task.
    void Run(std::size_t count, const Task& task);

    // fn(item) for every element of items, which must not change size meanwhile.
    template <class Container, class Fn> void ForEach(Container& items, Fn&& fn) {
        Run(items.size(), [&items, &fn](std::size_t begin, std::size_t end, u32) {
            for (std::size_t i = begin; i < end; ++i) {
                fn(items[i]);
            }
        });
    }

  private:
    struct Slot {
        u32 index = 0;
        Range range{0, 0};
        sys::Event start;
        sys::Event done;
        std::exception_ptr error;
        sys::Thread thread;
    };

    void StartWorkers();
    void Work(Slot& slot);

    u32 m_count;
    bool m_started = false;
    std::atomic<bool> m_quit{false};
    const Task* m_task = nullptr;
    std::array<Slot, kMaxWorkers> m_slots;
};
