// Culling cost per frame: 10,000 object boxes against one frustum, as the camera test (no
// sweep) and as a shadow split (boxes swept along the light), plus a single face of the
// swept test. A baseline for the culling workers.
#include <benchmark/benchmark.h>

#include <cfloat>
#include <vector>

#include "core/bounds.h"
#include "core/math_functions.h"
#include "platform/system/crt_rand.h"

namespace {

constexpr int kBoxes = 10000;

struct Scene {
    std::vector<float> corners;
    std::vector<BoxRecord> boxes;
    std::vector<FrustumFaceMemory> memory;
};

float Uniform(float lo, float hi) {
    return lo + (hi - lo) * static_cast<float>(crt::Rand()) / static_cast<float>(crt::kRandMax);
}

// A 90° view from the origin along +z, near 1 and far 500, and boxes of 1 to 10 units
// scattered over a square 1000 units wide around it: about one in six is in view.
const Scene& TheScene() {
    static const Scene scene = [] {
        Scene s;
        const float n = 1.0f, f = 500.0f;
        s.corners = {-n, -n, n, -n, n, n, n, n, n, n, -n, n,
                     -f, -f, f, -f, f, f, f, f, f, f, -f, f};
        crt::SeedRand(7);
        for (int i = 0; i < kBoxes; ++i) {
            const Float3 centre{Uniform(-500, 500), Uniform(-20, 60), Uniform(-500, 500)};
            const float h = Uniform(0.5f, 5.0f);
            BoxRecord box;
            BoundingBox::ComputeCorners(box, Float3{centre.x - h, centre.y - h, centre.z - h},
                                        Float3{centre.x + h, centre.y + h, centre.z + h});
            s.boxes.push_back(box);
        }
        s.memory.resize(kBoxes);
        return s;
    }();
    return scene;
}

void RunBoxInFrustum(benchmark::State& state, const Vector& direction) {
    const Scene& scene = TheScene();
    std::vector<FrustumFaceMemory> memory = scene.memory;
    int visible = 0;
    for (auto _ : state) {
        visible = 0;
        for (int i = 0; i < kBoxes; ++i) {
            visible +=
                Math::BoxInFrustum(scene.corners.data(), direction, 0, scene.boxes[i], memory[i]);
        }
        benchmark::DoNotOptimize(visible);
    }
    state.counters["visible"] = visible;
    state.SetItemsProcessed(state.iterations() * kBoxes);
}

void BM_BoxInFrustumCamera(benchmark::State& state) {
    RunBoxInFrustum(state, Vector(0, 0, 0));
}
BENCHMARK(BM_BoxInFrustumCamera);

void BM_BoxInFrustumShadowSplit(benchmark::State& state) {
    RunBoxInFrustum(state, Vector(0.3f, -0.8f, 0.52f).GetNormalized());
}
BENCHMARK(BM_BoxInFrustumShadowSplit);

void BM_SweptAxisTest(benchmark::State& state) {
    const Scene& scene = TheScene();
    const Vector direction = Vector(0.3f, -0.8f, 0.52f).GetNormalized();
    const Float3 axis{-1.0f, 0.0f, 1.0f}; // the right side face
    int overlapping = 0;
    for (auto _ : state) {
        overlapping = 0;
        for (const BoxRecord& box : scene.boxes) {
            const Float3 centre{(box.min.x + box.max.x) * 0.5f, (box.min.y + box.max.y) * 0.5f,
                                (box.min.z + box.max.z) * 0.5f};
            const Float3 half{(box.max.x - box.min.x) * 0.5f, (box.max.y - box.min.y) * 0.5f,
                              (box.max.z - box.min.z) * 0.5f};
            float tFirst = 0.0f, tLast = FLT_MAX;
            overlapping += Math::SweptAxisTest(axis, direction, centre, half, scene.corners.data(),
                                               tFirst, tLast);
        }
        benchmark::DoNotOptimize(overlapping);
    }
    state.counters["overlapping"] = overlapping;
    state.SetItemsProcessed(state.iterations() * kBoxes);
}
BENCHMARK(BM_SweptAxisTest);

} // namespace

BENCHMARK_MAIN();
