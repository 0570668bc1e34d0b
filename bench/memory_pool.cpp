// Pooled new/delete against malloc/free for a steady create/destroy loop.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdlib>

#include "core/memory_allocator.h"

namespace {

template <std::size_t N> struct Pooled : Allocator<Pooled<N>> { unsigned char bytes[N]; };

// A window of live objects, replaced one at a time, like messages and components in play.
constexpr int kWindow = 64;

template <std::size_t N> void BM_PoolNewDelete(benchmark::State& state) {
    std::array<Pooled<N>*, kWindow> live{};
    for (auto& p : live) {
        p = new Pooled<N>;
    }
    int i = 0;
    for (auto _ : state) {
        delete live[i];
        live[i] = new Pooled<N>;
        benchmark::DoNotOptimize(live[i]);
        i = (i + 1) % kWindow;
    }
    for (auto* p : live) {
        delete p;
    }
}

template <std::size_t N> void BM_MallocFree(benchmark::State& state) {
    std::array<void*, kWindow> live{};
    for (auto& p : live) {
        p = std::malloc(N);
    }
    int i = 0;
    for (auto _ : state) {
        std::free(live[i]);
        live[i] = std::malloc(N);
        benchmark::DoNotOptimize(live[i]);
        i = (i + 1) % kWindow;
    }
    for (void* p : live) {
        std::free(p);
    }
}

} // namespace

BENCHMARK_TEMPLATE(BM_PoolNewDelete, 16);
BENCHMARK_TEMPLATE(BM_MallocFree, 16);
BENCHMARK_TEMPLATE(BM_PoolNewDelete, 64);
BENCHMARK_TEMPLATE(BM_MallocFree, 64);
BENCHMARK_TEMPLATE(BM_PoolNewDelete, 256);
BENCHMARK_TEMPLATE(BM_MallocFree, 256);

BENCHMARK_MAIN();
