#include "core/memory_allocator.h"

#include <algorithm>
#include <cassert>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <new>
#include <thread>

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#define GORVANE_POISON(addr, size) ASAN_POISON_MEMORY_REGION(addr, size)
#define GORVANE_UNPOISON(addr, size) ASAN_UNPOISON_MEMORY_REGION(addr, size)
#else
#define GORVANE_POISON(addr, size) ((void)(addr), (void)(size))
#define GORVANE_UNPOISON(addr, size) ((void)(addr), (void)(size))
#endif

namespace {

constexpr u8 kGuardFill = 0xDD;
constexpr u8 kFreshFill = 0xAA;
constexpr u8 kNewFill = 0xBB;
constexpr u8 kDeleteFill = 0xCC;

u32 RoundUp(u32 value, u32 to) {
    return (value + to - 1) / to * to;
}

u8*& LinkOf(u8* slot) {
    return *reinterpret_cast<u8**>(slot);
}

using pool_detail::Bump;
using pool_detail::kMagazineBatch;
using pool_detail::kMagazineMax;

// Guards the lists of thread caches (each pool's and each thread's); taken only when a
// thread first uses a pool, when a thread ends, when a pool is destroyed and when counters
// are read.
std::mutex& MagazineListLock() {
    static std::mutex* const lock = new std::mutex;
    return *lock;
}

class SpinGuard {
  public:
    explicit SpinGuard(std::atomic_flag& flag) : m_flag(flag) {
        while (m_flag.test_and_set(std::memory_order_acquire)) {
            std::this_thread::yield();
        }
    }
    ~SpinGuard() { m_flag.clear(std::memory_order_release); }

  private:
    std::atomic_flag& m_flag;
};

} // namespace

namespace pool_detail {
thread_local constinit RecentMagazine t_recent[kRecent] = {};
// Set once this thread's caches are gone, for objects freed later in static destruction.
thread_local constinit bool t_magazines_gone = false;
} // namespace pool_detail

using pool_detail::t_magazines_gone;
using pool_detail::t_recent;

// The caches of one thread; on thread exit every cache goes back to its pool.
struct ThreadMagazines {
    std::vector<std::unique_ptr<MemoryPool::Magazine>> owned;
    ~ThreadMagazines();
};

ThreadMagazines::~ThreadMagazines() {
    t_magazines_gone = true;
    std::lock_guard<std::mutex> lock(MagazineListLock());
    for (auto& magazine : owned) {
        if (MemoryPool* pool = magazine->pool.load(std::memory_order_relaxed)) {
            pool->Retire(magazine.get());
        }
    }
}

namespace {
thread_local ThreadMagazines t_magazines;
}

MemoryPool::Magazine* MemoryPool::ThreadMagazine() {
    if (m_debug || m_use_heap || t_magazines_gone) {
        return nullptr;
    }
    if (Magazine* const recent = pool_detail::RecentMagazineOf(this)) {
        return recent;
    }
    ThreadMagazines& mine = t_magazines;
    Magazine* found = nullptr;
    for (auto& magazine : mine.owned) {
        if (magazine->pool.load(std::memory_order_relaxed) == this) {
            found = magazine.get();
            break;
        }
    }
    if (found == nullptr) {
        auto magazine = std::make_unique<Magazine>();
        magazine->pool.store(this, std::memory_order_relaxed);
        found = magazine.get();
        std::lock_guard<std::mutex> lock(MagazineListLock());
        mine.owned.push_back(std::move(magazine));
        m_magazines.push_back(found);
    }
    t_recent[pool_detail::RecentSlot(this)] = {this, found};
    return found;
}

// Called with the cache list lock held, when the cache's thread ends.
void MemoryPool::Retire(Magazine* magazine) {
    SpinGuard guard(m_lock);
    if (magazine->head != nullptr) {
        u8* tail = magazine->head;
        while (LinkOf(tail) != nullptr) {
            tail = LinkOf(tail);
        }
        LinkOf(tail) = m_free_list;
        m_free_list = magazine->head;
        m_free_count += magazine->count.load(std::memory_order_relaxed);
    }
    m_total_allocations += magazine->allocations.load(std::memory_order_relaxed);
    m_total_frees += magazine->frees.load(std::memory_order_relaxed);
    m_high_water = std::max(m_high_water, magazine->highWater.load(std::memory_order_relaxed));
    magazine->head = nullptr;
    magazine->pool.store(nullptr, std::memory_order_relaxed);
    m_magazines.erase(std::find(m_magazines.begin(), m_magazines.end(), magazine));
}

MemoryPool::Totals MemoryPool::Sum() const {
    std::lock_guard<std::mutex> lock(MagazineListLock());
    SpinGuard guard(m_lock);
    Totals totals;
    totals.allocations = m_total_allocations;
    totals.frees = m_total_frees;
    totals.cached = m_free_count;
    totals.highWater = m_high_water;
    for (const Magazine* magazine : m_magazines) {
        totals.allocations += magazine->allocations.load(std::memory_order_relaxed);
        totals.frees += magazine->frees.load(std::memory_order_relaxed);
        totals.cached += magazine->count.load(std::memory_order_relaxed);
        totals.highWater =
            std::max(totals.highWater, magazine->highWater.load(std::memory_order_relaxed));
    }
    return totals;
}

u32 MemoryPool::FreeCount() const {
    return static_cast<u32>(Sum().cached);
}
u32 MemoryPool::LiveCount() const {
    const Totals totals = Sum();
    return static_cast<u32>(totals.allocations - totals.frees);
}
u32 MemoryPool::HighWater() const {
    return static_cast<u32>(Sum().highWater);
}
u32 MemoryPool::TotalAllocations() const {
    return static_cast<u32>(Sum().allocations);
}
u32 MemoryPool::TotalFrees() const {
    return static_cast<u32>(Sum().frees);
}
u32 MemoryPool::PageCount() const {
    SpinGuard guard(m_lock);
    return m_page_count;
}

MemoryPool::MemoryPool(u32 objectSize, bool debug, u32 guardSize, bool useHeap, bool deferFirstPage)
    : m_use_heap(useHeap), m_defer_first_page(deferFirstPage), m_debug(debug),
      m_guard_size(guardSize),
      // A free slot holds the free-list link in its first bytes.
      m_object_size(objectSize < sizeof(void*) ? static_cast<u32>(sizeof(void*)) : objectSize),
      m_record_size(RoundUp(m_object_size + 2 * guardSize, kAlignment)),
      m_page_size(m_objects_per_page * m_record_size + kPageHeader) {
    if (!m_defer_first_page && !m_use_heap) {
        CreatePage();
    }
}

MemoryPool::~MemoryPool() {
    {
        // Threads that still cache slots of this pool forget them.
        std::lock_guard<std::mutex> lock(MagazineListLock());
        for (Magazine* magazine : m_magazines) {
            magazine->pool.store(nullptr, std::memory_order_relaxed);
            magazine->head = nullptr;
        }
    }
    u8* page = m_pages;
    while (page != nullptr) {
        u8* const previous = LinkOf(page);
        GORVANE_UNPOISON(page, m_page_size);
        std::free(page);
        page = previous;
    }
}

u8* MemoryPool::ObjectAt(u8* page, u32 k) const {
    return page + kPageHeader + m_guard_size + k * m_record_size;
}

void MemoryPool::PoisonFree(u8* slot) const {
    // Checking mode keeps its own fill patterns readable.
    if (m_debug) {
        return;
    }
    GORVANE_POISON(slot + sizeof(void*), m_object_size - sizeof(void*));
}

void MemoryPool::UnpoisonLive(u8* slot) const {
    GORVANE_UNPOISON(slot, m_object_size);
}

void MemoryPool::Push(u8* slot) {
    LinkOf(slot) = m_free_list;
    m_free_list = slot;
    PoisonFree(slot);
}

void MemoryPool::CreatePage() {
    u8* const page = static_cast<u8*>(std::malloc(m_page_size));
    if (page == nullptr) {
        throw "CreatePage: Cannot allocate a new page.";
    }
    LinkOf(page) = m_pages;
    m_pages = page;
    for (u32 k = 0; k < m_objects_per_page; ++k) {
        u8* const object = ObjectAt(page, k);
        if (m_debug) {
            std::memset(object - m_guard_size, kGuardFill, m_guard_size);
            std::memset(object, kFreshFill, m_object_size);
            std::memset(object + m_object_size, kGuardFill, m_guard_size);
        }
        Push(object);
    }
    m_free_count = m_objects_per_page;
    ++m_page_count;
}

void* MemoryPool::LockedNew() {
    SpinGuard guard(m_lock);
    void* block = nullptr;
    if (m_use_heap) {
        block = std::malloc(m_object_size);
        if (block == nullptr) {
            throw std::bad_alloc();
        }
    } else {
        if (m_free_list == nullptr) {
            CreatePage();
        }
        u8* const slot = m_free_list;
        m_free_list = LinkOf(slot);
        --m_free_count;
        UnpoisonLive(slot);
        if (m_debug) {
            std::memset(slot, kNewFill, m_object_size);
        }
        block = slot;
    }
    ++m_total_allocations;
    m_high_water = std::max(m_high_water, m_total_allocations - m_total_frees);
    return block;
}

void MemoryPool::LockedDelete(void* object) {
    SpinGuard guard(m_lock);
    if (m_use_heap) {
        std::free(object);
        ++m_total_frees;
        return;
    }
    u8* const slot = static_cast<u8*>(object);
    if (m_debug) {
        Validate(object);
        std::memset(slot, kDeleteFill, m_object_size);
    }
    Push(slot);
    ++m_free_count;
    ++m_total_frees;
    if (m_debug) {
        for (u32 i = 1; i <= m_guard_size; ++i) {
            if (slot[-static_cast<std::ptrdiff_t>(i)] != kGuardFill) {
                throw "Delete: Memory corrupted before block.";
            }
        }
        for (u32 i = 0; i < m_guard_size; ++i) {
            if (slot[m_object_size + i] != kGuardFill) {
                throw "Delete: Memory corrupted after block.";
            }
        }
    }
}

void* MemoryPool::NewSlow() {
    Magazine* const magazine = ThreadMagazine();
    if (magazine == nullptr) {
        return LockedNew();
    }
    if (magazine->head == nullptr) {
        Refill(magazine);
    }
    u8* const slot = magazine->head;
    magazine->head = LinkOf(slot);
    TakeFromMagazine(magazine);
    UnpoisonLive(slot);
    return slot;
}

void MemoryPool::DeleteSlow(void* object) {
    Magazine* const magazine = ThreadMagazine();
    if (magazine == nullptr) {
        LockedDelete(object);
        return;
    }
    u8* const slot = static_cast<u8*>(object);
    LinkOf(slot) = magazine->head;
    magazine->head = slot;
    PoisonFree(slot);
    Bump(magazine->count, 1);
    Bump(magazine->frees, 1);
    if (magazine->count.load(std::memory_order_relaxed) > kMagazineMax) {
        Drain(magazine, kMagazineBatch);
    }
}

void MemoryPool::Refill(Magazine* magazine) {
    SpinGuard guard(m_lock);
    if (m_free_list == nullptr) {
        CreatePage();
    }
    // Take the head of the free list as it stands, so the cache hands slots out in the
    // pool's own order.
    u8* const first = m_free_list;
    u8* last = first;
    u32 taken = 1;
    while (taken < kMagazineBatch && LinkOf(last) != nullptr) {
        last = LinkOf(last);
        ++taken;
    }
    m_free_list = LinkOf(last);
    LinkOf(last) = nullptr;
    m_free_count -= taken;
    magazine->head = first;
    magazine->count.store(taken, std::memory_order_relaxed);
}

void MemoryPool::Drain(Magazine* magazine, u32 keep) {
    // Keep the most recently freed slots; give the older ones back.
    u8* const keptHead = magazine->head;
    u8* keptTail = nullptr;
    u8* rest = keptHead;
    for (u32 i = 0; i < keep && rest != nullptr; ++i) {
        keptTail = rest;
        rest = LinkOf(rest);
    }
    if (rest == nullptr) {
        return;
    }
    u32 returned = 0;
    u8* restTail = rest;
    for (;;) {
        ++returned;
        if (LinkOf(restTail) == nullptr) {
            break;
        }
        restTail = LinkOf(restTail);
    }
    if (keptTail != nullptr) {
        LinkOf(keptTail) = nullptr;
    } else {
        magazine->head = nullptr;
    }
    Bump(magazine->count, -static_cast<i64>(returned));
    SpinGuard guard(m_lock);
    LinkOf(restTail) = m_free_list;
    m_free_list = rest;
    m_free_count += returned;
}

bool MemoryPool::OnFreeList(void* object) const {
    for (u8* slot = m_free_list; slot != nullptr; slot = LinkOf(slot)) {
        if (slot == object) {
            return true;
        }
    }
    return false;
}

bool MemoryPool::Validate(void* object) const {
    if (OnFreeList(object)) {
        throw "OnFreeList: Object has already been freed.";
    }
    const auto address = reinterpret_cast<std::uintptr_t>(object);
    for (u8* page = m_pages; page != nullptr; page = LinkOf(page)) {
        const std::uintptr_t d =
            address - m_guard_size - reinterpret_cast<std::uintptr_t>(page) - kPageHeader;
        if (d < m_page_size - kPageHeader) {
            if (d % m_record_size != 0) {
                throw "Validate: Object on bad boundary in page.";
            }
            return true;
        }
    }
    throw "Validate: Object not on a page.";
}

void MemoryPool::RegisterType(const char* typeName, MemoryPool* pool) {
    SpinGuard guard(pool->m_lock);
    pool->m_types.emplace(typeName, true);
    assert(pool->m_types.size() != 0 && "m_types.size( )");
}

bool MemoryPool::HasType(const std::string& name) const {
    SpinGuard guard(m_lock);
    return m_types.count(name) != 0;
}

std::size_t MemoryPool::TypeCount() const {
    SpinGuard guard(m_lock);
    return m_types.size();
}

MemoryPoolRegistry& MemoryPoolRegistry::Get() {
    // Never destroyed: pooled objects may be freed during static destruction.
    static MemoryPoolRegistry* const registry = new MemoryPoolRegistry();
    return *registry;
}

MemoryPool* MemoryPoolRegistry::PoolForSize(std::size_t size) {
    SpinGuard guard(m_lock);
    const auto found = m_by_size.find(size);
    if (found != m_by_size.end()) {
        return found->second;
    }
    auto* const pool = new MemoryPool(static_cast<u32>(size));
    m_by_size.emplace(size, pool);
    m_pools.push_back(pool);
    return pool;
}

std::vector<MemoryPool*> MemoryPoolRegistry::Pools() const {
    SpinGuard guard(m_lock);
    return m_pools;
}
