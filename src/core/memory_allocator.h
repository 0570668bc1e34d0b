#pragma once
// Size-class object pools. A class takes part by deriving from Allocator<T>; every pooled
// class of one object size shares that size's MemoryPool. Pools hand out slots from pages
// of 50 and keep their pages until the program ends.

#include <atomic>
#include <cstddef>
#include <string>
#include <typeinfo>
#include <unordered_map>
#include <vector>

#include "core/types.h"

class MemoryPool {
public:
    // Slots are 16-byte aligned: a page starts with a 16-byte header holding the link to the
    // previous page, and every record (guard, object, guard) is rounded up to 16 bytes.
    static constexpr u32 kPageHeader = 16;
    static constexpr u32 kAlignment = 16;

    explicit MemoryPool(u32 objectSize, bool debug = false, u32 guardSize = 0,
                        bool useHeap = false, bool deferFirstPage = false);
    ~MemoryPool();
    MemoryPool(const MemoryPool&) = delete;
    MemoryPool& operator=(const MemoryPool&) = delete;

    void* New();
    void Delete(void* object);
    void CreatePage();
    bool Validate(void* object) const;
    bool OnFreeList(void* object) const;

    // Records the name of a class that allocates or frees through this pool.
    static void RegisterType(const char* typeName, MemoryPool* pool);

    u32 ObjectSize() const { return m_object_size; }
    u32 RecordSize() const { return m_record_size; }
    u32 PageSize() const { return m_page_size; }
    u32 FreeCount() const { return m_free_count; }
    u32 LiveCount() const { return m_live_count; }
    u32 PageCount() const { return m_page_count; }
    u32 HighWater() const { return m_high_water; }
    u32 TotalAllocations() const { return m_total_allocations; }
    u32 TotalFrees() const { return m_total_frees; }
    bool HasType(const std::string& name) const;
    std::size_t TypeCount() const;

private:
    u8* ObjectAt(u8* page, u32 k) const;
    void Push(u8* slot);
    void PoisonFree(u8* slot) const;
    void UnpoisonLive(u8* slot) const;

    bool m_use_heap;
    u32 m_objects_per_page = 50;
    bool m_defer_first_page;
    bool m_debug;
    u32 m_guard_size;
    u32 m_object_size;
    u32 m_record_size;
    u32 m_free_count = 0;
    u32 m_live_count = 0;
    u32 m_page_count = 0;
    u32 m_page_size;
    u32 m_high_water = 0;
    u32 m_total_allocations = 0;
    u32 m_total_frees = 0;
    std::unordered_map<std::string, bool> m_types;
    u8* m_pages = nullptr;
    u8* m_free_list = nullptr;
    // The loader thread and the main thread allocate at once; the lock is a spinlock
    // that costs one atomic exchange when nobody else holds it.
    mutable std::atomic_flag m_lock = ATOMIC_FLAG_INIT;
};

// Every pool ever built. Pools live until the program ends: their pages are released by
// the operating system, so an object freed late in static destruction never touches a
// freed page.
class MemoryPoolRegistry {
public:
    static MemoryPoolRegistry& Get();

    // The pool of one object size, built on first use.
    MemoryPool* PoolForSize(std::size_t size);
    std::vector<MemoryPool*> Pools() const;

private:
    MemoryPoolRegistry() = default;
    mutable std::atomic_flag m_lock = ATOMIC_FLAG_INIT;
    std::vector<MemoryPool*> m_pools;
    std::unordered_map<std::size_t, MemoryPool*> m_by_size;
};

template <std::size_t N> MemoryPool* GetPool() {
    static MemoryPool* const pool = MemoryPoolRegistry::Get().PoolForSize(N);
    return pool;
}

template <class T> class Allocator {
public:
    // The size argument decides the pool: a subclass that adds members without an
    // Allocator base of its own still gets a slot large enough for it.
    static void* operator new(std::size_t size) {
        MemoryPool* const pool = PoolFor(size);
        return pool->New();
    }
    static void operator delete(void* p, std::size_t size) {
        if (p == nullptr) {
            return;
        }
        PoolFor(size)->Delete(p);
    }

    static MemoryPool* Pool() { return GetPool<sizeof(T)>(); }

private:
    static MemoryPool* PoolFor(std::size_t size) {
        if (size == sizeof(T)) {
            MemoryPool* const pool = GetPool<sizeof(T)>();
            if (!s_registered.load(std::memory_order_acquire)) {
                MemoryPool::RegisterType(typeid(T).name(), pool);
                s_registered.store(true, std::memory_order_release);
            }
            return pool;
        }
        MemoryPool* const pool = MemoryPoolRegistry::Get().PoolForSize(size);
        MemoryPool::RegisterType(typeid(T).name(), pool);
        return pool;
    }

    static inline std::atomic<bool> s_registered{false};
};
