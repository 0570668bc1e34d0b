#include "core/memory_allocator.h"

#include <cassert>
#include <cstdlib>
#include <cstring>
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

u32 RoundUp(u32 value, u32 to) { return (value + to - 1) / to * to; }

u8*& LinkOf(u8* slot) { return *reinterpret_cast<u8**>(slot); }

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

MemoryPool::MemoryPool(u32 objectSize, bool debug, u32 guardSize, bool useHeap,
                       bool deferFirstPage)
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

void MemoryPool::UnpoisonLive(u8* slot) const { GORVANE_UNPOISON(slot, m_object_size); }

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

void* MemoryPool::New() {
    SpinGuard guard(m_lock);
    if (m_use_heap) {
        void* const block = std::malloc(m_object_size);
        if (block == nullptr) {
            throw std::bad_alloc();
        }
        ++m_live_count;
        ++m_total_allocations;
        if (m_live_count > m_high_water) {
            m_high_water = m_live_count;
        }
        return block;
    }
    if (m_free_list == nullptr) {
        CreatePage();
    }
    u8* const slot = m_free_list;
    GORVANE_UNPOISON(slot, sizeof(void*));
    m_free_list = LinkOf(slot);
    --m_free_count;
    ++m_live_count;
    ++m_total_allocations;
    if (m_live_count > m_high_water) {
        m_high_water = m_live_count;
    }
    UnpoisonLive(slot);
    if (m_debug) {
        std::memset(slot, kNewFill, m_object_size);
    }
    return slot;
}

void MemoryPool::Delete(void* object) {
    SpinGuard guard(m_lock);
    if (m_use_heap) {
        std::free(object);
        --m_live_count;
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
    --m_live_count;
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
