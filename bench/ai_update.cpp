// One frame of the enemy AI: AIViewProcess::Update over 200 active units (120 tanks, 60
// helicopters, 20 citizens) among about 300 buildings, the bodies behind a physics seam that
// takes the moves and does nothing with them, so the units hold their places frame after
// frame. Runs twice: the units only steering toward the robot, and the units' own states
// driving them (tanks seeking and attacking, helicopters, calm citizens). Prints the time per
// frame and per unit and the share of a 60 Hz frame of each.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "ai/ai_view_component.h"
#include "ai/ai_view_process.h"
#include "ai/unit_services.h"
#include "ai/unit_states.h"
#include "core/bounds.h"
#include "core/component_list_process.h"
#include "core/component_type.h"
#include "core/definition_component.h"
#include "core/game_object.h"
#include "core/message.h"
#include "core/message_router.h"
#include "core/physics_body.h"
#include "platform/system/crt_rand.h"
#include "timing_reporter.h"

namespace {

constexpr int kTanks = 120;
constexpr int kHelicopters = 60;
constexpr int kCitizens = 20;
constexpr int kUnits = kTanks + kHelicopters + kCitizens;
constexpr float kCell = 100.0f;
constexpr int kCells = 12; // 1200 units wide, centred on the robot

class SeamBody : public DefinitionComponent, public PhysicsBody {
  public:
    using DefinitionComponent::DefinitionComponent;
    void Move(const Vector& v) override { m_last = v; }
    Vector m_last;
};

class Bodies : public ComponentListProcess {
  public:
    Component* CreateComponent(StreamMap*) override { return nullptr; }
    SeamBody* Make(const std::string& type) { return m_components.Create<SeamBody>(this, type); }
};

// A uniform grid in place of the quadtree: the cells a square of the asked size touches.
class GridIndex : public BuildingIndex {
  public:
    GridIndex() : m_cells(kCells * kCells) {}
    void Add(GameObject* building) {
        m_cells[CellOf(building->position.x) * kCells + CellOf(building->position.z)].push_back(
            building);
    }
    void Collect(const Vector& centre, f32 size, std::vector<GameObject*>& out) const override {
        const int x0 = CellOf(centre.x - size), x1 = CellOf(centre.x + size);
        const int z0 = CellOf(centre.z - size), z1 = CellOf(centre.z + size);
        for (int x = x0; x <= x1; ++x) {
            for (int z = z0; z <= z1; ++z) {
                const auto& cell = m_cells[x * kCells + z];
                out.insert(out.end(), cell.begin(), cell.end());
            }
        }
    }

  private:
    static int CellOf(float v) {
        return std::clamp(static_cast<int>(std::floor(v / kCell)) + kCells / 2, 0, kCells - 1);
    }
    std::vector<std::vector<GameObject*>> m_cells;
};

float Uniform(float lo, float hi) {
    return lo + (hi - lo) * static_cast<float>(crt::Rand()) / static_cast<float>(crt::kRandMax);
}

// The state lists of the units' definitions, for the run with states.
const std::vector<std::string> kTankStates = {"STATE_TANK_SEEK", "STATE_TANK_ATTACK",
                                              "STATE_TANK_RETREAT"};
const std::vector<std::string> kHelicopterStates = {
    "STATE_HELICOPTER_SEEK", "STATE_HELICOPTER_ATTACK", "STATE_HELICOPTER_RETREAT"};
const std::vector<std::string> kCitizenStates = {"STATE_CITIZEN_CALM", "STATE_CITIZEN_PANIC"};

StreamMap UnitStream(const std::string& type, float speed, const std::vector<std::string>* states) {
    StreamMap s;
    s.WriteString(type);
    s.WriteString("AIView");
    s.AddInt("health", 100);
    s.AddFloat("range", 40.0f);
    s.AddBool("arrival", false);
    s.AddFloat("aim", 3.0f);
    s.AddFloat("speed", speed);
    s.AddBool("movement", true);
    s.AddFloat("seek", 0.01f);
    s.AddFloat("heading", 0.0f);
    s.AddFloat("avoid", 0.1f);
    s.AddInt("count", states != nullptr ? static_cast<i32>(states->size()) : 0);
    if (states != nullptr) {
        for (const std::string& name : *states) {
            s.AddString("state", name);
        }
    }
    return s;
}

struct World {
    MessageRouter router;
    Bodies bodies;
    Bodies players;
    GridIndex grid;
    AIViewProcess ai{false};
    std::vector<std::unique_ptr<GameObject>> objects;
    u32 nextId = 1000;

    GameObject* Object(const std::string& name, const Vector& at) {
        objects.push_back(std::make_unique<GameObject>(name));
        GameObject* o = objects.back().get();
        o->id = nextId++;
        o->position = at;
        o->SetRouterParent(&router);
        return o;
    }

    explicit World(bool withStates) {
        crt::SeedRand(3);
        if (withStates) {
            RegisterUnitStates();
        }
        ai.Bind(&router, AIViewProcess::kHandlerId);
        GameObject* robot = Object("Robot", Vector());
        robot->AddComponent(ComponentType::Player, players.Make("Robot"));
        Message<Component*> player(MSG_PLAYER_COMPONENT,
                                   robot->GetComponent(ComponentType::Player));
        ai.HandleMessage(&player, 11);

        // About 300 buildings on a street grid, 40 apart, leaving the robot's square free.
        for (int x = -9; x <= 9; ++x) {
            for (int z = -9; z <= 9; ++z) {
                if ((std::abs(x) <= 1 && std::abs(z) <= 1) || crt::Rand() % 6 == 0) {
                    continue;
                }
                const Vector half(Uniform(6, 14), Uniform(10, 40), Uniform(6, 14));
                GameObject* b = Object("Building", Vector(x * 40.0f, half.y, z * 40.0f));
                b->SetBoundingBox(new BoundingBox(half));
                b->SetBoundingSphere(new BoundingSphere(half.Length()));
                grid.Add(b);
            }
        }
        Message<BuildingIndex*> index(MSG_BUILDINGS, &grid);
        ai.HandleMessage(&index, 17);

        for (int i = 0; i < kUnits; ++i) {
            const bool citizen = i >= kTanks + kHelicopters;
            const std::string type = i < kTanks ? "AI-Ground-Tank"
                                     : !citizen ? "AI-Fly-Helicopter"
                                                : "AI-Ground-Citizen";
            const float reach = citizen ? 200.0f : 380.0f;
            const float height = i >= kTanks && !citizen ? 60.0f : 2.0f;
            GameObject* unit =
                Object(type, Vector(Uniform(-reach, reach), height, Uniform(-reach, reach)));
            const std::vector<std::string>* states = !withStates  ? nullptr
                                                     : i < kTanks ? &kTankStates
                                                     : !citizen   ? &kHelicopterStates
                                                                  : &kCitizenStates;
            StreamMap stream = UnitStream(type, citizen ? 4.0f : 10.0f, states);
            unit->AddComponent(ComponentType::AIView, ai.CreateComponent(&stream));
            unit->AddComponent(ComponentType::Physics, bodies.Make(type));
            unit->InitializeComponents();
            static_cast<AIViewComponent*>(unit->GetComponent(ComponentType::AIView))
                ->m_waypoints = {Vector()};
        }
    }
    ~World() {
        // Objects hand their components back before the processes go.
        objects.clear();
    }
};

void BM_AIUpdate(benchmark::State& state) {
    World world(false);
    for (auto _ : state) {
        world.ai.Update(1.0f / 60.0f);
        for (AIViewComponent* unit : world.ai.m_units) {
            // Keep every unit seeking the robot frame after frame.
            if (unit->m_waypoints.empty()) {
                unit->m_waypoints.push_back(Vector());
            }
        }
    }
    state.counters["units"] = static_cast<double>(world.ai.m_units.size());
}
BENCHMARK(BM_AIUpdate)->Unit(benchmark::kMicrosecond);

// The states keep their own waypoints and fire; no level answers the shots.
void BM_AIUpdateWithStates(benchmark::State& state) {
    World world(true);
    for (auto _ : state) {
        world.ai.Update(1.0f / 60.0f);
    }
    state.counters["units"] = static_cast<double>(world.ai.m_units.size());
}
BENCHMARK(BM_AIUpdateWithStates)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    TimingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const char* name : {"BM_AIUpdate", "BM_AIUpdateWithStates"}) {
        if (const auto frame = reporter.Time(name)) {
            const double ms = *frame / 1000.0;
            std::printf("%s: %.3f ms a frame, %.2f us per unit, %.4f of a 16.7 ms frame\n", name,
                        ms, *frame / kUnits, ms / 16.7);
        }
    }
    benchmark::Shutdown();
    return 0;
}
