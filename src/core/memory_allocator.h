#pragma once
// Size-class object pools. A class takes part by deriving from Allocator<T>; every pooled
// class of one object size shares that size's MemoryPool. Pools hand out slots from pages
// of 50 and keep their pages until the program ends.
//
// The main thread and the loader thread allocate at once. Each thread keeps a small
// last-in first-out cache of free slots per pool and goes to the pool, under its lock, only
// to refill or drain that cache in batches, so a steady create/destroy loop takes no lock.
// The checking and heap modes bypass the caches and lock every call.

#include <atomic>
#include <cstddef>
#include <string>
#include <typeinfo>
#include <unordered_map>
#include <vector>

#include "core/types.h"

class MemoryPool;

namespace pool_detail {

// One thread's cache of free slots of one pool. Only the owning thread changes it; other
// threads read its counters.
struct Magazine {
    std::atomic<MemoryPool*> pool{nullptr};
    u8* head = nullptr;
    std::atomic<u32> count{0};
    std::atomic<u64> allocations{0};
    std::atomic<u64> frees{0};
    std::atomic<u64> highWater{0};
};

// The owning thread alone writes a cache's counters, so no read-modify-write is needed.
template <class T, class D> inline void Bump(std::atomic<T>& counter, D delta) {
    counter.store(static_cast<T>(counter.load(std::memory_order_relaxed) + delta),
                  std::memory_order_relaxed);
}

struct RecentMagazine {
    const MemoryPool* pool;
    Magazine* magazine;
};
inline constexpr std::size_t kRecent = 32;
inline constexpr u32 kMagazineBatch = 16;
inline constexpr u32 kMagazineMax = 64;
extern thread_local constinit RecentMagazine t_recent[kRecent];
extern thread_local constinit bool t_magazines_gone;

inline std::size_t RecentSlot(const MemoryPool* pool) {
    const auto p = reinterpret_cast<std::uintptr_t>(pool);
    return ((p >> 4) ^ (p >> 9)) % kRecent;
}

// The calling thread's cache of the pool when it is at hand, else null.
inline Magazine* RecentMagazineOf(const MemoryPool* pool) {
    const RecentMagazine& recent = t_recent[RecentSlot(pool)];
    if (recent.pool != pool || t_magazines_gone) {
        return nullptr;
    }
    Magazine* const magazine = recent.magazine;
    return magazine->pool.load(std::memory_order_relaxed) == pool ? magazine : nullptr;
}

} // namespace pool_detail

class MemoryPool {
  public:
    // Slots are 16-byte aligned: a page starts with a 16-byte header holding the link to the
    // previous page, and every record (guard, object, guard) is rounded up to 16 bytes.
    static constexpr u32 kPageHeader = 16;
    static constexpr u32 kAlignment = 16;

    explicit MemoryPool(u32 objectSize, bool debug = false, u32 guardSize = 0, bool useHeap = false,
                        bool deferFirstPage = false);
    ~MemoryPool();
    MemoryPool(const MemoryPool&) = delete;
    MemoryPool& operator=(const MemoryPool&) = delete;

    void* New() {
#if !defined(__SANITIZE_ADDRESS__)
        if (pool_detail::Magazine* const magazine = pool_detail::RecentMagazineOf(this)) {
            if (u8* const slot = magazine->head) {
                magazine->head = *reinterpret_cast<u8**>(slot);
                TakeFromMagazine(magazine);
                return slot;
            }
        }
#endif
        return NewSlow();
    }
    void Delete(void* object) {
#if !defined(__SANITIZE_ADDRESS__)
        if (pool_detail::Magazine* const magazine = pool_detail::RecentMagazineOf(this)) {
            if (magazine->count.load(std::memory_order_relaxed) < pool_detail::kMagazineMax) {
                *static_cast<u8**>(object) = magazine->head;
                magazine->head = static_cast<u8*>(object);
                pool_detail::Bump(magazine->count, 1);
                pool_detail::Bump(magazine->frees, 1);
                return;
            }
        }
#endif
        DeleteSlow(object);
    }
    void CreatePage();
    bool Validate(void* object) const;
    bool OnFreeList(void* object) const;

    // Records the name of a class that allocates or frees through this pool.
    static void RegisterType(const char* typeName, MemoryPool* pool);

    u32 ObjectSize() const {
        return m_object_size;
    }
    u32 RecordSize() const {
        return m_record_size;
    }
    u32 PageSize() const {
        return m_page_size;
    }
    // Counters include what the threads' caches did. The high-water mark is exact while
    // one thread uses the pool; with several it is the largest that any one thread saw.
    u32 FreeCount() const;
    u32 LiveCount() const;
    u32 PageCount() const;
    u32 HighWater() const;
    u32 TotalAllocations() const;
    u32 TotalFrees() const;
    bool HasType(const std::string& name) const;
    std::size_t TypeCount() const;

    using Magazine = pool_detail::Magazine;

  private:
    struct Totals {
        u64 allocations = 0;
        u64 frees = 0;
        u64 cached = 0;
        u64 highWater = 0;
    };
    Totals Sum() const;

    u8* ObjectAt(u8* page, u32 k) const;
    void Push(u8* slot);
    void PoisonFree(u8* slot) const;
    void UnpoisonLive(u8* slot) const;
    void* NewSlow();
    void DeleteSlow(void* object);
    static void TakeFromMagazine(Magazine* magazine) {
        pool_detail::Bump(magazine->count, -1);
        pool_detail::Bump(magazine->allocations, 1);
        const u64 live = magazine->allocations.load(std::memory_order_relaxed) -
                         magazine->frees.load(std::memory_order_relaxed);
        // Frees of other threads' objects can make one thread's count negative.
        if (static_cast<i64>(live) >
            static_cast<i64>(magazine->highWater.load(std::memory_order_relaxed))) {
            magazine->highWater.store(live, std::memory_order_relaxed);
        }
    }
    void* LockedNew();
    void LockedDelete(void* object);
    Magazine* ThreadMagazine();
    void Refill(Magazine* magazine);
    void Drain(Magazine* magazine, u32 keep);
    void Retire(Magazine* magazine);
    friend struct ThreadMagazines;

    bool m_use_heap;
    u32 m_objects_per_page = 50;
    bool m_defer_first_page;
    bool m_debug;
    u32 m_guard_size;
    u32 m_object_size;
    u32 m_record_size;
    u32 m_free_count = 0;
    u32 m_page_count = 0;
    u32 m_page_size;
    // Counts of the locked path and of the caches of threads that have ended.
    u64 m_high_water = 0;
    u64 m_total_allocations = 0;
    u64 m_total_frees = 0;
    std::unordered_map<std::string, bool> m_types;
    u8* m_pages = nullptr;
    u8* m_free_list = nullptr;
    // The loader thread and the main thread allocate at once; the lock is a spinlock
    // that costs one atomic exchange when nobody else holds it.
    mutable std::atomic_flag m_lock = ATOMIC_FLAG_INIT;
    // The threads' caches of this pool; guarded by the process-wide cache list lock.
    std::vector<Magazine*> m_magazines;
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
