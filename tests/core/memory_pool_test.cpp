#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <typeinfo>
#include <vector>

#include "core/memory_allocator.h"

namespace {

// Distinct sizes per test so that counts are not shared with other pooled classes.
template <std::size_t N> struct Blob : Allocator<Blob<N>> { unsigned char bytes[N]; };

struct Rock : Allocator<Rock> {
    char data[232];
};
struct Leaf : Allocator<Leaf> {
    char data[232];
};

std::string ThrownText(const std::function<void()>& f) {
    try {
        f();
    } catch (const char* text) {
        return text;
    }
    return "nothing thrown";
}

} // namespace

TEST(MemoryPool, FiftyFirstObjectAddsAPageAndPagesNeverShrink) {
    using T = Blob<200>;
    std::vector<T*> objects;
    for (int i = 0; i < 50; ++i) {
        objects.push_back(new T);
    }
    MemoryPool* pool = T::Pool();
    EXPECT_EQ(pool->PageCount(), 1u);
    objects.push_back(new T);
    EXPECT_EQ(pool->PageCount(), 2u);
    for (T* t : objects) {
        delete t;
    }
    EXPECT_EQ(pool->PageCount(), 2u);
    EXPECT_EQ(pool->LiveCount(), 0u);
}

TEST(MemoryPool, HighWaterLiveAndPagesAfter120New100Deleted) {
    using T = Blob<208>;
    std::vector<T*> objects;
    for (int i = 0; i < 120; ++i) {
        objects.push_back(new T);
    }
    for (int i = 0; i < 100; ++i) {
        delete objects[i];
    }
    MemoryPool* pool = T::Pool();
    EXPECT_EQ(pool->HighWater(), 120u);
    EXPECT_EQ(pool->LiveCount(), 20u);
    EXPECT_EQ(pool->PageCount(), 3u);
    EXPECT_EQ(pool->TotalAllocations(), 120u);
    EXPECT_EQ(pool->TotalFrees(), 100u);
    for (int i = 100; i < 120; ++i) {
        delete objects[i];
    }
}

TEST(MemoryPool, FreedSlotIsReusedFirstAndFreshPageHandsOutFromTheTop) {
    using T = Blob<216>;
    T* a = new T;
    T* b = new T;
    // Slots of a fresh page go from the highest address down.
    EXPECT_LT(reinterpret_cast<char*>(b), reinterpret_cast<char*>(a));
    delete a;
    T* c = new T;
    EXPECT_EQ(c, a);
    delete b;
    delete c;
}

TEST(MemoryPool, ClassesOfOneSizeShareAPoolAndBothNamesAreRecorded) {
    static_assert(sizeof(Rock) == sizeof(Leaf));
    Rock* r = new Rock;
    Leaf* l = new Leaf;
    EXPECT_EQ(Rock::Pool(), Leaf::Pool());
    EXPECT_TRUE(Rock::Pool()->HasType(typeid(Rock).name()));
    EXPECT_TRUE(Rock::Pool()->HasType(typeid(Leaf).name()));
    delete r;
    // LIFO across classes: the leaf takes the rock's slot.
    Leaf* l2 = new Leaf;
    EXPECT_EQ(static_cast<void*>(l2), static_cast<void*>(r));
    delete l;
    delete l2;
}

TEST(MemoryPool, SubclassWithoutItsOwnBaseGetsASlotOfItsOwnSize) {
    struct Base : Allocator<Base> {
        virtual ~Base() = default;
        char data[40];
    };
    struct Bigger : Base {
        char extra[400];
    };
    Base* b = new Bigger;
    MemoryPool* big = MemoryPoolRegistry::Get().PoolForSize(sizeof(Bigger));
    EXPECT_EQ(big->LiveCount(), 1u);
    EXPECT_GE(big->ObjectSize(), sizeof(Bigger));
    std::memset(static_cast<Bigger*>(b)->extra, 0x5A, sizeof(Bigger::extra));
    delete b; // sized delete through the virtual destructor returns it to the same pool
    EXPECT_EQ(big->LiveCount(), 0u);
}

TEST(MemoryPool, SlotsAreSixteenByteAligned) {
    for (u32 size : {1u, 12u, 24u, 36u, 100u}) {
        MemoryPool pool(size);
        void* p = pool.New();
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(p) % 16, 0u) << size;
        pool.Delete(p);
    }
}

TEST(MemoryPoolChecking, FillPatternsAndEveryFaultText) {
    const u32 guard = 16;
    MemoryPool pool(48, /*debug=*/true, guard);
    auto* p = static_cast<unsigned char*>(pool.New());
    for (int i = 0; i < 48; ++i) {
        ASSERT_EQ(p[i], 0xBB) << i;
    }
    pool.Delete(p);
    for (int i = static_cast<int>(sizeof(void*)); i < 48; ++i) {
        ASSERT_EQ(p[i], 0xCC) << i;
    }
    EXPECT_EQ(ThrownText([&] { pool.Delete(p); }), "OnFreeList: Object has already been freed.");

    auto* q = static_cast<unsigned char*>(pool.New());
    EXPECT_EQ(ThrownText([&] { pool.Delete(q + 4); }), "Validate: Object on bad boundary in page.");
    unsigned char outside[64];
    EXPECT_EQ(ThrownText([&] { pool.Delete(outside + 16); }), "Validate: Object not on a page.");

    const u32 freeBefore = pool.FreeCount();
    q[48] = 0; // one byte past the end of the object
    EXPECT_EQ(ThrownText([&] { pool.Delete(q); }), "Delete: Memory corrupted after block.");
    EXPECT_TRUE(pool.OnFreeList(q));
    EXPECT_EQ(pool.FreeCount(), freeBefore + 1);

    auto* r = static_cast<unsigned char*>(pool.New());
    r[-1] = 0;
    EXPECT_EQ(ThrownText([&] { pool.Delete(r); }), "Delete: Memory corrupted before block.");
    EXPECT_TRUE(pool.OnFreeList(r));
}

TEST(MemoryPoolChecking, OnFreeListOfEmptyListIsFalse) {
    MemoryPool pool(32, false, 0, false, /*deferFirstPage=*/true);
    int x = 0;
    EXPECT_FALSE(pool.OnFreeList(&x));
    EXPECT_EQ(pool.PageCount(), 0u);
    void* p = pool.New();
    EXPECT_EQ(pool.PageCount(), 1u);
    pool.Delete(p);
}

TEST(MemoryPoolChecking, HeapModeOnlyCounts) {
    MemoryPool pool(32, false, 0, /*useHeap=*/true);
    void* a = pool.New();
    void* b = pool.New();
    pool.Delete(a);
    EXPECT_EQ(pool.PageCount(), 0u);
    EXPECT_EQ(pool.LiveCount(), 1u);
    EXPECT_EQ(pool.HighWater(), 2u);
    pool.Delete(b);
}

TEST(MemoryPool, ThreadsAllocateAndFreeEachOthersObjectsAndCountsAddUp) {
    using T = Blob<224>;
    MemoryPool* pool = T::Pool();
    const u32 allocationsBefore = pool->TotalAllocations();
    constexpr int kPerThread = 5000;
    std::vector<T*> fromWorker(kPerThread);
    std::thread worker([&] {
        std::vector<T*> own;
        for (int i = 0; i < kPerThread; ++i) {
            fromWorker[i] = new T;
            own.push_back(new T);
            if (own.size() > 30) {
                delete own.front();
                own.erase(own.begin());
            }
        }
        for (T* t : own) {
            delete t;
        }
    });
    std::vector<T*> own;
    for (int i = 0; i < kPerThread; ++i) {
        own.push_back(new T);
    }
    worker.join();
    // The main thread frees what the worker made; slots go back into circulation.
    for (T* t : fromWorker) {
        delete t;
    }
    for (T* t : own) {
        delete t;
    }
    EXPECT_EQ(pool->LiveCount(), 0u);
    EXPECT_EQ(pool->TotalAllocations() - allocationsBefore, 3u * kPerThread);
    EXPECT_EQ(pool->FreeCount(), pool->PageCount() * 50u);
}

#if defined(__SANITIZE_ADDRESS__)
TEST(MemoryPoolDeathTest, UseOfAFreedPooledObjectIsCaughtBySanitizer) {
    using T = Blob<232>;
    EXPECT_DEATH(
        {
            T* t = new T;
            delete t;
            t->bytes[100] = 1;
        },
        "use-after-poison");
}
#endif
