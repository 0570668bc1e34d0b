#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "PhysX/user_allocator.h"
#include "platform/physics/scene.h"

namespace {

using testing::internal::CaptureStdout;
using testing::internal::GetCapturedStdout;

// A heap that can be told to refuse; counts what reaches it.
struct FailingHeap {
    static inline bool s_fail = false;
    static inline int s_allocations = 0;
    static inline int s_releases = 0;
    static void* Allocate(std::size_t size) {
        if (s_fail) {
            return nullptr;
        }
        ++s_allocations;
        return std::malloc(size);
    }
    static void* Resize(void* block, std::size_t size) {
        return s_fail ? nullptr : std::realloc(block, size);
    }
    static void Release(void* block) {
        ++s_releases;
        std::free(block);
    }
    static UserAllocator::Heap Heap() { return UserAllocator::Heap{Allocate, Resize, Release}; }
};

class FailingHeapTest : public testing::Test {
  protected:
    void SetUp() override {
        FailingHeap::s_fail = false;
        FailingHeap::s_allocations = 0;
        FailingHeap::s_releases = 0;
    }
};

std::uint32_t HeaderWord(const void* memory, int word) {
    std::uint32_t value;
    std::memcpy(&value, static_cast<const char*>(memory) - 8 + 4 * word, sizeof value);
    return value;
}

TEST(UserAllocator, AllocReallocFreeReportsTotalsOnly) {
    CaptureStdout();
    {
        UserAllocator allocator;
        void* block = allocator.malloc(100, physics::MemoryType::kPersistent);
        ASSERT_NE(block, nullptr);
        EXPECT_EQ(HeaderWord(block, 0), UserAllocator::kMagic);
        EXPECT_EQ(HeaderWord(block, 1), 100u);
        std::memset(block, 0xAB, 100);
        block = allocator.realloc(block, 300);
        ASSERT_NE(block, nullptr);
        EXPECT_EQ(static_cast<unsigned char*>(block)[99], 0xAB); // contents survive the move
        EXPECT_EQ(HeaderWord(block, 1), 300u);
        allocator.free(block);
        EXPECT_EQ(allocator.BytesInUse(), 0);
        EXPECT_EQ(allocator.HighWater(), 300);
        EXPECT_EQ(allocator.LiveCount(), 0);
    }
    EXPECT_EQ(GetCapturedStdout(), "Nb alloc: 1\nNb realloc: 1\nHigh water mark: 0 Kb\n");
}

TEST(UserAllocator, LeakedBlocksAreReportedBeforeTheTotals) {
    CaptureStdout();
    {
        UserAllocator allocator;
        // Left allocated on purpose, then released by hand after the report.
        void* a = allocator.malloc(1024, physics::MemoryType::kPersistent);
        void* b = allocator.malloc(512, physics::MemoryType::kTemp);
        void* c = allocator.mallocDEBUG(512, "file", 1, "Class", physics::MemoryType::kPersistent);
        ASSERT_TRUE(a && b && c);
        // The report reads the counters, so the blocks are returned to the heap behind the
        // allocator's back to keep the test leak-free.
        std::free(static_cast<char*>(a) - 8);
        std::free(static_cast<char*>(b) - 8);
        std::free(static_cast<char*>(c) - 8);
    }
    EXPECT_EQ(GetCapturedStdout(),
              "Memory leak detected: 2048 bytes non released\nRemaining allocs: 3\n"
              "Nb alloc: 3\nNb realloc: 0\nHigh water mark: 2 Kb\n");
}

struct WarningCase {
    const char* name;
    void (*call)(UserAllocator&);
    const char* output;
};

TEST(UserAllocator, NullPointersZeroSizesAndObsoleteEntriesOnlyWarn) {
    const WarningCase cases[] = {
        {"free null", [](UserAllocator& a) { a.free(nullptr); },
         "Warning: trying to free null pointer\n"},
        {"alloc 0",
         [](UserAllocator& a) { EXPECT_EQ(a.malloc(0, physics::MemoryType::kTemp), nullptr); },
         "Warning: trying to allocate 0 bytes\n"},
        {"realloc null", [](UserAllocator& a) { EXPECT_EQ(a.realloc(nullptr, 10), nullptr); },
         "Warning: trying to realloc null pointer\n"},
        {"obsolete malloc", [](UserAllocator& a) { EXPECT_EQ(a.malloc(10), nullptr); },
         "Obsolete code called!\n"},
        {"obsolete debug malloc",
         [](UserAllocator& a) { EXPECT_EQ(a.mallocDEBUG(10, "f", 2), nullptr); },
         "Obsolete code called!\n"},
        {"check", [](UserAllocator& a) { a.check(); }, ""},
    };
    for (const WarningCase& c : cases) {
        SCOPED_TRACE(c.name);
        CaptureStdout();
        {
            UserAllocator allocator;
            c.call(allocator);
            EXPECT_EQ(allocator.BytesInUse(), 0);
            EXPECT_EQ(allocator.AllocCount(), 0);
            EXPECT_EQ(allocator.LiveCount(), 0);
            EXPECT_EQ(allocator.ReallocCount(), 0);
        }
        EXPECT_EQ(GetCapturedStdout(),
                  std::string(c.output) + "Nb alloc: 0\nNb realloc: 0\nHigh water mark: 0 Kb\n");
    }
}

TEST(UserAllocator, ReallocToZeroWarnsAndKeepsAnEmptyBlock) {
    UserAllocator allocator;
    void* block = allocator.malloc(64, physics::MemoryType::kTemp);
    CaptureStdout();
    block = allocator.realloc(block, 0);
    EXPECT_EQ(GetCapturedStdout(), "Warning: trying to realloc 0 bytes\n");
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(HeaderWord(block, 1), 0u);
    EXPECT_EQ(allocator.BytesInUse(), 0);
    EXPECT_EQ(allocator.ReallocCount(), 1);
    allocator.free(block);
    EXPECT_EQ(allocator.LiveCount(), 0);
}

TEST(UserAllocator, ForeignBlockIsNeitherFreedNorCounted) {
    UserAllocator allocator;
    void* own = allocator.malloc(40, physics::MemoryType::kTemp);
    // A block that did not come from the allocator: 8 bytes of something else, then data.
    alignas(16) unsigned char fake[8 + 32] = {};
    const std::uint32_t wrongMagic = 0x12345678, size = 32;
    std::memcpy(fake, &wrongMagic, 4);
    std::memcpy(fake + 4, &size, 4);

    CaptureStdout();
    allocator.free(fake + 8);
    EXPECT_EQ(allocator.realloc(fake + 8, 64), nullptr);
    EXPECT_EQ(GetCapturedStdout(),
              "Error: free unknown memory!!\nError: realloc unknown memory!!\n");
    EXPECT_EQ(allocator.BytesInUse(), 40);
    EXPECT_EQ(allocator.LiveCount(), 1);
    EXPECT_EQ(allocator.ReallocCount(), 0);
    EXPECT_EQ(std::memcmp(fake, &wrongMagic, 4), 0);
    allocator.free(own);
}

TEST(UserAllocator, FreeingMoreThanWasCountedSaysOops) {
    UserAllocator allocator;
    void* block = allocator.malloc(16, physics::MemoryType::kTemp);
    const std::uint32_t bigger = 100;
    std::memcpy(static_cast<char*>(block) - 4, &bigger, 4);
    CaptureStdout();
    allocator.free(block);
    EXPECT_EQ(GetCapturedStdout(), "Oops (100)\n");
    EXPECT_EQ(allocator.BytesInUse(), -84);
}

TEST_F(FailingHeapTest, FailedAllocationCountsNothing) {
    UserAllocator allocator(FailingHeap::Heap());
    FailingHeap::s_fail = true;
    EXPECT_EQ(allocator.malloc(32, physics::MemoryType::kTemp), nullptr);
    EXPECT_EQ(allocator.AllocCount(), 0);
    EXPECT_EQ(allocator.LiveCount(), 0);
    EXPECT_EQ(allocator.BytesInUse(), 0);
    EXPECT_EQ(allocator.HighWater(), 0);
}

TEST_F(FailingHeapTest, FailedResizeLeavesBlockHeaderAndCounters) {
    UserAllocator allocator(FailingHeap::Heap());
    void* block = allocator.malloc(32, physics::MemoryType::kTemp);
    ASSERT_NE(block, nullptr);
    std::memset(block, 0x5A, 32);
    FailingHeap::s_fail = true;
    EXPECT_EQ(allocator.realloc(block, 4096), nullptr);
    EXPECT_EQ(HeaderWord(block, 0), UserAllocator::kMagic);
    EXPECT_EQ(HeaderWord(block, 1), 32u);
    EXPECT_EQ(static_cast<unsigned char*>(block)[31], 0x5A);
    EXPECT_EQ(allocator.BytesInUse(), 32);
    EXPECT_EQ(allocator.HighWater(), 32);
    EXPECT_EQ(allocator.ReallocCount(), 0);
    FailingHeap::s_fail = false;
    allocator.free(block);
    EXPECT_EQ(FailingHeap::s_releases, 1);
    EXPECT_EQ(allocator.LiveCount(), 0);
}

// --- the allocator under a physics scene ---------------------------------------------

physics::ActorDesc BoxDesc(float y) {
    physics::ActorDesc desc;
    desc.body = physics::BodyKind::kDynamic;
    desc.pose.position = {0.0f, y, 0.0f};
    desc.shapes.push_back(physics::ShapeDesc{});
    desc.shapes.back().mass = 1.0f;
    return desc;
}

int Counter(const std::string& report, const std::string& label) {
    const std::size_t at = report.find(label);
    return at == std::string::npos ? -1 : std::atoi(report.c_str() + at + label.size());
}

TEST(UserAllocatorScene, BodiesThatComeAndGoLeaveNoLeak) {
    CaptureStdout();
    {
        UserAllocator allocator;
        {
            physics::Scene scene(allocator);
            physics::ActorDesc ground;
            ground.shapes.emplace_back().kind = physics::ShapeKind::kPlane;
            scene.CreateActor(ground);
            for (int round = 0; round < 3; ++round) {
                physics::Actor* a = scene.CreateActor(BoxDesc(0.5f));
                physics::Actor* b = scene.CreateActor(BoxDesc(3.0f));
                b->SetGroupsMask(7);
                scene.Simulate(physics::Scene::kStep * 2);
                scene.Fetch();
                scene.ReleaseActor(a);
                scene.ReleaseActor(b);
            }
            EXPECT_GT(allocator.LiveCount(), 0);
        }
        EXPECT_EQ(allocator.LiveCount(), 0);
        EXPECT_EQ(allocator.BytesInUse(), 0);
    }
    const std::string report = GetCapturedStdout();
    std::printf("%s", report.c_str()); // the allocator's report belongs in the test log
    EXPECT_EQ(report.find("Memory leak detected"), std::string::npos);
    EXPECT_EQ(report.find("Remaining allocs"), std::string::npos);
    EXPECT_GT(Counter(report, "Nb alloc: "), 0);
}

TEST(UserAllocatorScene, InterleavedScenesCountTheirOwnBlocks) {
    CaptureStdout();
    UserAllocator first, second;
    {
        auto a = std::make_unique<physics::Scene>(first);
        const std::int32_t firstAfterScene = first.LiveCount();
        auto b = std::make_unique<physics::Scene>(second);
        EXPECT_EQ(first.LiveCount(),
                  firstAfterScene); // the second scene is not charged to the first
        const std::int32_t secondAfterScene = second.LiveCount();
        a->CreateActor(BoxDesc(1.0f));
        EXPECT_GT(first.LiveCount(), firstAfterScene);
        EXPECT_EQ(second.LiveCount(), secondAfterScene);
        b->CreateActor(BoxDesc(1.0f));
        a->Simulate(physics::Scene::kStep);
        b->Simulate(physics::Scene::kStep);
        a.reset();
        EXPECT_EQ(first.LiveCount(), 0);
        EXPECT_EQ(first.BytesInUse(), 0);
        EXPECT_GT(second.LiveCount(), 0);
    }
    EXPECT_EQ(second.LiveCount(), 0);
    EXPECT_EQ(second.BytesInUse(), 0);
    GetCapturedStdout();
}

} // namespace
