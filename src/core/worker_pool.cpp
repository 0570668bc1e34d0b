#include "core/worker_pool.h"

#include <algorithm>

WorkerPool::WorkerPool() : WorkerPool(sys::ProcessorCount()) {}

WorkerPool::WorkerPool(u32 workerCount) : m_count(std::clamp(workerCount, 1u, kMaxWorkers)) {}

WorkerPool::~WorkerPool() {
    if (!m_started) {
        return;
    }
    m_quit = true;
    for (u32 k = 0; k < m_count; ++k) {
        m_slots[k].start.Set();
    }
    for (u32 k = 0; k < m_count; ++k) {
        m_slots[k].thread.Join();
    }
}

WorkerPool::Range WorkerPool::RangeOf(std::size_t count, u32 workers, u32 worker) {
    const std::size_t per = count / workers;
    const std::size_t begin = worker * per;
    return {begin, worker + 1 == workers ? count : begin + per};
}

void WorkerPool::StartWorkers() {
    m_started = true;
    u32 started = 0;
    for (u32 k = 0; k < m_count; ++k) {
        Slot& slot = m_slots[k];
        slot.index = k;
        if (!slot.thread.Start([this, &slot] { Work(slot); })) {
            break;
        }
        ++started;
    }
    // Fewer threads than asked for share the work between them; with none the caller
    // does it all.
    m_count = std::max(started, 1u);
    if (started == 0) {
        m_started = false;
    }
}

void WorkerPool::Work(Slot& slot) {
    for (;;) {
        slot.start.Wait();
        if (m_quit) {
            return;
        }
        try {
            (*m_task)(slot.range.begin, slot.range.end, slot.index);
        } catch (...) {
            slot.error = std::current_exception();
        }
        slot.done.Set();
    }
}

void WorkerPool::Run(std::size_t count, const Task& task) {
    if (!m_started) {
        StartWorkers();
        if (!m_started) {
            task(0, count, 0);
            return;
        }
    }
    m_task = &task;
    for (u32 k = 0; k < m_count; ++k) {
        m_slots[k].range = RangeOf(count, m_count, k);
        m_slots[k].start.Set();
    }
    for (u32 k = 0; k < m_count; ++k) {
        m_slots[k].done.Wait();
    }
    m_task = nullptr;
    std::exception_ptr error;
    for (u32 k = 0; k < m_count; ++k) {
        if (m_slots[k].error && !error) {
            error = m_slots[k].error;
        }
        m_slots[k].error = nullptr;
    }
    if (error) {
        std::rethrow_exception(error);
    }
}
