// Routed delivery against a direct virtual call of HandleMessage: local sends, sends across
// a three-level tree and delayed messages due next frame.
#include <benchmark/benchmark.h>

#include "core/message.h"
#include "core/message_handler.h"
#include "core/message_router.h"

namespace {

// Real handlers live in other translation units; keep the compiler from inlining this one
// into the direct-call loop, which would time an addition instead of a call.
class Counter : public MessageHandler {
  public:
    [[gnu::noinline]] void HandleMessage(BaseMessage* msg, u32 fromId) override {
        total += msg->type + fromId;
    }
    u64 total = 0;
};

void BM_DirectVirtualCall(benchmark::State& state) {
    Counter counter;
    MessageHandler* handler = &counter;
    BaseMessage msg(MSG_GRAB);
    for (auto _ : state) {
        benchmark::DoNotOptimize(handler);
        handler->HandleMessage(&msg, 1);
    }
    benchmark::DoNotOptimize(counter.total);
}
BENCHMARK(BM_DirectVirtualCall);

void BM_SendToLocalHandler(benchmark::State& state) {
    MessageRouter router;
    Counter counter;
    counter.Bind(&router, 1000);
    // Other objects' ids alongside, as on a busy router.
    Counter others[16];
    for (u32 i = 0; i < 16; ++i) {
        others[i].Bind(&router, 1001 + i);
    }
    BaseMessage msg(MSG_GRAB);
    for (auto _ : state) {
        router.SendMessage(&msg, 1000, 1);
    }
    benchmark::DoNotOptimize(counter.total);
}
BENCHMARK(BM_SendToLocalHandler);

void BM_SendAcrossThreeLevels(benchmark::State& state) {
    MessageRouter root;
    MessageRouter level(&root);
    MessageRouter object(&level);
    level.AttachToParent();
    object.AttachToParent();
    Counter game, levelProcess, component;
    game.Bind(&root, 0);
    levelProcess.Bind(&level, 6);
    component.Bind(&object, 1000);
    BaseMessage msg(MSG_GRAB);
    for (auto _ : state) {
        // Down from the root to the object, and up from the object to the root.
        root.SendMessage(&msg, 1000, 0);
        object.SendMessage(&msg, 0, 1000);
    }
    state.SetItemsProcessed(state.iterations() * 2);
    benchmark::DoNotOptimize(component.total + game.total);
}
BENCHMARK(BM_SendAcrossThreeLevels);

void BM_DelayedDueNextFrame(benchmark::State& state) {
    MessageRouter router;
    Counter counter;
    counter.Bind(&router, 1000);
    Message<float> msg(MSG_PLAYER_HEALTH, 1.0f);
    for (auto _ : state) {
        router.SendMessage(&msg, 1000, 1, 0.01f, false);
        router.Update(1.0f / 60.0f);
    }
    benchmark::DoNotOptimize(counter.total);
}
BENCHMARK(BM_DelayedDueNextFrame);

} // namespace

BENCHMARK_MAIN();
