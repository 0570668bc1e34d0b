// One frame (one 1/24 s step) of the physics layer against the same scene on a bare Bullet
// world: a plane, 1,000 resting boxes and 200 boxes pushed every frame, each with its own
// mask, reports handed to receivers that do nothing.
#include <benchmark/benchmark.h>
#include <btBulletDynamicsCommon.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "PhysX/user_allocator.h"
#include "platform/physics/scene.h"
#include "timing_reporter.h"

namespace {

constexpr int kRestingColumns = 40, kRestingRows = 25; // 1,000
constexpr int kMovingColumns = 20, kMovingRows = 10;   // 200
constexpr float kSpacing = 3.0f;
constexpr float kHalf = 1.0f;
constexpr float kStep = physics::Scene::kStep;
constexpr float kGravity = -98.1f;

struct Home {
    float x, z;
};

Home RestingHome(int i) {
    return {kSpacing * static_cast<float>(i % kRestingColumns),
            kSpacing * static_cast<float>(i / kRestingColumns)};
}
Home MovingHome(int i) {
    return {-100.0f + kSpacing * static_cast<float>(i % kMovingColumns),
            kSpacing * static_cast<float>(i / kMovingColumns)};
}

// The same push for both worlds: back towards home, with a wobble.
void Push(int i, int frame, float x, float z, const Home& home, float& outX, float& outZ) {
    outX = (home.x - x) * 0.5f +
           2.0f * std::sin(0.7f * static_cast<float>(frame) + static_cast<float>(i));
    outZ = (home.z - z) * 0.5f +
           2.0f * std::cos(0.9f * static_cast<float>(frame) + static_cast<float>(i));
}

struct Silent : physics::ContactReceiver, physics::TriggerReceiver {
    void OnContact(const physics::ContactPair&, std::uint32_t) override {}
    void OnTrigger(physics::Actor&, physics::Actor&, std::uint32_t) override {}
};

void BM_LayerFrame(benchmark::State& state) {
    UserAllocator allocator;
    Silent silent;
    {
        physics::Scene scene(allocator);
        scene.SetContactReceiver(&silent);
        scene.SetTriggerReceiver(&silent);
        scene.SetMaterial(0, physics::Material{0.0f, 0.5f, 0.5f});
        physics::ActorDesc ground;
        ground.shapes.emplace_back().kind = physics::ShapeKind::kPlane;
        ground.groupsMask = 1;
        scene.CreateActor(ground);

        physics::ActorDesc box;
        box.body = physics::BodyKind::kDynamic;
        physics::ShapeDesc& shape = box.shapes.emplace_back();
        shape.halfExtents = {kHalf, kHalf, kHalf};
        shape.mass = 1.0f;
        std::uint32_t mask = 2;
        for (int i = 0; i < kRestingColumns * kRestingRows; ++i) {
            box.pose.position = {RestingHome(i).x, kHalf, RestingHome(i).z};
            box.groupsMask = mask++;
            scene.CreateActor(box)->PutToSleep();
        }
        std::vector<physics::Actor*> moving;
        for (int i = 0; i < kMovingColumns * kMovingRows; ++i) {
            box.pose.position = {MovingHome(i).x, kHalf, MovingHome(i).z};
            box.groupsMask = mask++;
            moving.push_back(scene.CreateActor(box));
        }

        int frame = 0;
        for (auto _ : state) {
            for (int i = 0; i < static_cast<int>(moving.size()); ++i) {
                const physics::Vec3 at = moving[i]->GetPosition();
                float x, z;
                Push(i, frame, at.x, at.z, MovingHome(i), x, z);
                moving[i]->AddImpulse({x, 0.0f, z});
            }
            scene.Simulate(kStep);
            scene.Fetch();
            ++frame;
        }
    }
}

void BM_BareBulletFrame(benchmark::State& state) {
    btDefaultCollisionConfiguration configuration;
    configuration.setPlaneConvexMultipointIterations();
    btCollisionDispatcher dispatcher(&configuration);
    btDbvtBroadphase broadphase;
    btSequentialImpulseConstraintSolver solver;
    btDiscreteDynamicsWorld world(&dispatcher, &broadphase, &solver, &configuration);
    world.setGravity(btVector3(0, kGravity, 0));
    world.getSolverInfo().m_erp2 = 0.8f;

    btStaticPlaneShape plane(btVector3(0, 1, 0), 0);
    btBoxShape shape(btVector3(kHalf, kHalf, kHalf));
    btVector3 inertia;
    shape.calculateLocalInertia(1, inertia);
    std::vector<std::unique_ptr<btRigidBody>> bodies;
    bodies.push_back(std::make_unique<btRigidBody>(0, nullptr, &plane));
    bodies.back()->setFriction(0.5f);
    world.addRigidBody(bodies.back().get());
    const auto addBox = [&](const Home& home) {
        btRigidBody::btRigidBodyConstructionInfo info(1, nullptr, &shape, inertia);
        info.m_startWorldTransform.setOrigin(btVector3(home.x, kHalf, home.z));
        info.m_friction = 0.5f;
        info.m_restitution = 0;
        bodies.push_back(std::make_unique<btRigidBody>(info));
        world.addRigidBody(bodies.back().get());
        return bodies.back().get();
    };
    for (int i = 0; i < kRestingColumns * kRestingRows; ++i) {
        addBox(RestingHome(i))->setActivationState(ISLAND_SLEEPING);
    }
    std::vector<btRigidBody*> moving;
    for (int i = 0; i < kMovingColumns * kMovingRows; ++i) {
        moving.push_back(addBox(MovingHome(i)));
    }

    int frame = 0;
    for (auto _ : state) {
        for (int i = 0; i < static_cast<int>(moving.size()); ++i) {
            const btVector3& at = moving[i]->getWorldTransform().getOrigin();
            float x, z;
            Push(i, frame, at.x(), at.z(), MovingHome(i), x, z);
            moving[i]->activate(true);
            moving[i]->applyCentralImpulse(btVector3(x, 0, z));
        }
        world.stepSimulation(kStep, 0);
        ++frame;
    }
    for (auto& body : bodies) {
        world.removeRigidBody(body.get());
    }
}

BENCHMARK(BM_BareBulletFrame)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LayerFrame)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    TimingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto bare = reporter.Time("BM_BareBulletFrame");
    const auto layer = reporter.Time("BM_LayerFrame");
    if (bare && layer) {
        std::printf("physics frame: layer %.0f us, bare Bullet %.0f us, ratio %.2fx (target <= "
                    "1.30x)\n",
                    *layer, *bare, *layer / *bare);
    }
    benchmark::Shutdown();
    return 0;
}
