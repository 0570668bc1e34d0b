#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <stdexcept>
#include <thread>
#include <vector>

#include "core/worker_pool.h"
#include "platform/system/crt_rand.h"
#include "platform/system/thread.h"

namespace {

using Range = WorkerPool::Range;

std::vector<Range> RangesOf(std::size_t count, u32 workers) {
    std::vector<Range> ranges;
    for (u32 k = 0; k < workers; ++k) {
        ranges.push_back(WorkerPool::RangeOf(count, workers, k));
    }
    return ranges;
}

TEST(WorkerPool, SplitsIntoEqualRangesWithTheRestToTheLast) {
    struct Case {
        std::size_t count;
        u32 workers;
        std::vector<Range> ranges;
    };
    const Case cases[] = {
        {10, 4, {{0, 2}, {2, 4}, {4, 6}, {6, 10}}},
        {4, 4, {{0, 1}, {1, 2}, {2, 3}, {3, 4}}},
        {1, 4, {{0, 0}, {0, 0}, {0, 0}, {0, 1}}},
        {3, 4, {{0, 0}, {0, 0}, {0, 0}, {0, 3}}},
        {0, 4, {{0, 0}, {0, 0}, {0, 0}, {0, 0}}},
        {7, 1, {{0, 7}}},
        {35,
         16,
         {{0, 2},
          {2, 4},
          {4, 6},
          {6, 8},
          {8, 10},
          {10, 12},
          {12, 14},
          {14, 16},
          {16, 18},
          {18, 20},
          {20, 22},
          {22, 24},
          {24, 26},
          {26, 28},
          {28, 30},
          {30, 35}}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RangesOf(c.count, c.workers), c.ranges)
            << c.count << " items, " << c.workers << " workers";
    }
}

TEST(WorkerPool, OneWorkerPerProcessorCappedAtSixteen) {
    EXPECT_EQ(WorkerPool().WorkerCount(), std::min(sys::ProcessorCount(), 16u));
    EXPECT_EQ(WorkerPool(64).WorkerCount(), 16u);
    EXPECT_EQ(WorkerPool(16).WorkerCount(), 16u);
    EXPECT_EQ(WorkerPool(0).WorkerCount(), 1u);
}

TEST(WorkerPool, EveryItemIsVisitedOnceByTheWorkerOfItsRange) {
    WorkerPool pool(4);
    EXPECT_FALSE(pool.Started()) << "threads start on first use";
    for (const std::size_t count : {0u, 1u, 3u, 4u, 5u, 10u, 1001u}) {
        std::vector<int> visits(count, 0);
        std::vector<u32> visitor(count, 99);
        std::vector<std::thread::id> threadOf(count);
        pool.Run(count, [&](std::size_t begin, std::size_t end, u32 worker) {
            for (std::size_t i = begin; i < end; ++i) {
                ++visits[i];
                visitor[i] = worker;
                threadOf[i] = std::this_thread::get_id();
            }
        });
        EXPECT_TRUE(pool.Started());
        for (std::size_t i = 0; i < count; ++i) {
            ASSERT_EQ(visits[i], 1) << "item " << i << " of " << count;
            const Range range = WorkerPool::RangeOf(count, 4, visitor[i]);
            EXPECT_TRUE(range.begin <= i && i < range.end) << "item " << i << " of " << count;
            EXPECT_NE(threadOf[i], std::this_thread::get_id());
        }
    }
}

TEST(WorkerPool, EachCallIsOnePassOfEveryWorker) {
    WorkerPool pool(3);
    std::vector<int> items(100, 0);
    std::atomic<int> passes{0};
    constexpr int kFrames = 300;
    for (int frame = 0; frame < kFrames; ++frame) {
        pool.Run(items.size(), [&](std::size_t begin, std::size_t end, u32) {
            ++passes;
            for (std::size_t i = begin; i < end; ++i) {
                ++items[i];
            }
        });
        // The caller reads the workers' writes as soon as Run returns.
        ASSERT_EQ(items[0], frame + 1);
        ASSERT_EQ(items[99], frame + 1);
    }
    EXPECT_EQ(passes, 3 * kFrames);
}

TEST(WorkerPool, ForEachVisitsEveryElement) {
    WorkerPool pool(5);
    std::vector<int> values(17);
    for (std::size_t i = 0; i < values.size(); ++i) {
        values[i] = static_cast<int>(i);
    }
    pool.ForEach(values, [](int& v) { v *= 2; });
    for (std::size_t i = 0; i < values.size(); ++i) {
        EXPECT_EQ(values[i], static_cast<int>(2 * i));
    }
}

TEST(WorkerPool, ExceptionReachesTheCallerAfterAllWorkersFinish) {
    WorkerPool pool(4);
    std::vector<int> visits(8, 0);
    EXPECT_THROW(pool.Run(visits.size(),
                          [&](std::size_t begin, std::size_t end, u32 worker) {
                              for (std::size_t i = begin; i < end; ++i) {
                                  ++visits[i];
                              }
                              if (worker == 1) {
                                  throw std::runtime_error("bad item");
                              }
                          }),
                 std::runtime_error);
    EXPECT_EQ(std::count(visits.begin(), visits.end(), 1), 8);
    // The pool is still usable.
    pool.Run(visits.size(), [&](std::size_t begin, std::size_t end, u32) {
        for (std::size_t i = begin; i < end; ++i) {
            ++visits[i];
        }
    });
    EXPECT_EQ(std::count(visits.begin(), visits.end(), 2), 8);
}

TEST(WorkerPool, WorkersDrawFromUnseededRandomStates) {
    crt::SeedRand(1);
    const int fromInitialState = crt::Rand();
    crt::SeedRand(12345); // the caller's seed does not reach the workers
    WorkerPool pool(3);
    std::vector<int> firstDraw(3, -1);
    pool.Run(3, [&](std::size_t, std::size_t, u32 worker) { firstDraw[worker] = crt::Rand(); });
    EXPECT_EQ(firstDraw, std::vector<int>(3, fromInitialState));
}

} // namespace
