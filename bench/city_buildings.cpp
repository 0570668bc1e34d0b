// The city's frame cost and its grab query. One frame of the building process with 1,000
// anchored buildings at rest spread over a 2,000 by 2,000 map and 50 loose pieces near the
// robot (messages go to counting handlers), and the grab query (the tree's candidates within
// radius 60 of a point, each tested for distance) beside a scan of every building with the
// same test, at 100, 1,000 and 5,000 buildings.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "city/building_component.h"
#include "city/building_process.h"
#include "city/building_services.h"
#include "core/bounds.h"
#include "core/component_type.h"
#include "core/game_object.h"
#include "core/message.h"
#include "core/message_router.h"
#include "platform/system/crt_rand.h"
#include "timing_reporter.h"

namespace {

float Uniform(float lo, float hi) {
    return lo + (hi - lo) * static_cast<float>(crt::Rand()) / static_cast<float>(crt::kRandMax);
}

// Every object has an anchored graphic unless it is listed as loose.
class BenchServices : public BuildingServices {
  public:
    GraphicComponent* Graphic(GameObject* object) override {
        return reinterpret_cast<GraphicComponent*>(object);
    }
    bool IsGraphicAnchored(GameObject* object) override { return loose.count(object) == 0; }
    bool GetMeshBounds(GameObject* object, Vector* min, Vector* max) override {
        *max = object->boundingBox->m_extents;
        *min = *max * -1.0f;
        return true;
    }
    std::set<GameObject*> loose;
};

class Counter : public MessageHandler {
  public:
    void HandleMessage(BaseMessage*, u32) override { ++count; }
    long count = 0;
};

class City {
  public:
    City(int anchored, int loosePieces) {
        BuildingServices::Install(&m_services);
        crt::SeedRand(11);
        m_process.Bind(&m_root, BuildingProcess::kHandlerId);
        for (u32 handler : {0u, 1u, 2u, 6u, 9u, 16u, 18u}) {
            m_root.RegisterHandler(handler, &m_counter);
        }
        for (int i = 0; i < anchored; ++i) {
            Add("BuildingHighrise", Vector(Uniform(-1000, 1000), 0.0f, Uniform(-1000, 1000)),
                false);
        }
        for (int i = 0; i < loosePieces; ++i) {
            Add("BuildingBlock", Vector(Uniform(-300, 300), 0.0f, Uniform(-300, 300)), true);
        }
        m_robot = std::make_unique<GameObject>("RobotBody");
        m_player.owner = m_robot.get();
        Message<Component*> known(MSG_PLAYER_COMPONENT, &m_player);
        m_process.HandleMessage(&known, 11);
        m_process.Update(1.0f / 60.0f);
    }
    ~City() {
        m_objects.clear();
        BuildingServices::Install(nullptr);
    }

    BuildingProcess& Process() { return m_process; }

  private:
    void Add(const std::string& type, const Vector& at, bool loose) {
        auto object = std::make_unique<GameObject>(type);
        object->id = m_next_id++;
        object->SetPosition(at);
        const float h = Uniform(5.0f, 20.0f);
        object->SetBoundingBox(new BoundingBox(loose ? Vector(2, 2, 2) : Vector(h, 2 * h, h)));
        if (loose) {
            m_services.loose.insert(object.get());
        }
        StreamMap stream;
        stream.AddString("Object Type", type);
        stream.AddString("Component Type", "Building");
        stream.AddBool("Grabbable", true);
        stream.AddFloat("Health", 100.0f);
        object->AddComponent(ComponentType::Building, m_process.CreateComponent(&stream));
        object->InitializeComponents();
        m_objects.push_back(std::move(object));
    }

    BenchServices m_services;
    MessageRouter m_root;
    Counter m_counter;
    BuildingProcess m_process{false, false};
    DefinitionComponent m_player{"Player"};
    std::unique_ptr<GameObject> m_robot;
    std::vector<std::unique_ptr<GameObject>> m_objects;
    u32 m_next_id = 1000;
};

void BM_BuildingFrame(benchmark::State& state) {
    City city(1000, 50);
    for (auto _ : state) {
        city.Process().Update(1.0f / 60.0f);
    }
}

// The points the robot grabs from, spread over the map.
std::vector<Vector> QueryPoints() {
    std::vector<Vector> points;
    crt::SeedRand(5);
    for (int i = 0; i < 256; ++i) {
        points.emplace_back(Uniform(-1000, 1000), 15.0f, Uniform(-1000, 1000));
    }
    return points;
}

bool InReach(const BuildingComponent* b, const Vector& p) {
    const float r = b->m_radius + 30.0f;
    return (p - b->owner->position).LengthSquared() <= r * r;
}

void BM_GrabQueryTree(benchmark::State& state) {
    City city(static_cast<int>(state.range(0)), 0);
    const std::vector<Vector> points = QueryPoints();
    std::size_t i = 0;
    for (auto _ : state) {
        const Vector& p = points[i++ % points.size()];
        int near = 0;
        for (const BuildingComponent* b : city.Process().GrabCandidates(p)) {
            near += InReach(b, p) ? 1 : 0;
        }
        benchmark::DoNotOptimize(near);
    }
}

void BM_GrabQueryScan(benchmark::State& state) {
    City city(static_cast<int>(state.range(0)), 0);
    const std::vector<Vector> points = QueryPoints();
    std::size_t i = 0;
    for (auto _ : state) {
        const Vector& p = points[i++ % points.size()];
        int near = 0;
        for (const BuildingComponent* b : city.Process().Buildings()) {
            near += InReach(b, p) ? 1 : 0;
        }
        benchmark::DoNotOptimize(near);
    }
}

BENCHMARK(BM_BuildingFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GrabQueryTree)->Arg(100)->Arg(1000)->Arg(5000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GrabQueryScan)->Arg(100)->Arg(1000)->Arg(5000)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    TimingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    if (const auto frame = reporter.Time("BM_BuildingFrame")) {
        std::printf("building frame: %.1f us (goal under 1000 us)\n", *frame);
    }
    for (const char* n : {"100", "1000", "5000"}) {
        const auto tree = reporter.Time(std::string("BM_GrabQueryTree/") + n);
        const auto scan = reporter.Time(std::string("BM_GrabQueryScan/") + n);
        if (tree && scan) {
            std::printf("grab query at %s buildings: tree %.2f us, scan %.2f us, ratio %.3fx "
                        "(target <= 0.1x at 1000)\n",
                        n, *tree, *scan, *tree / *scan);
        }
    }
    benchmark::Shutdown();
    return 0;
}
