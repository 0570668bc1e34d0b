#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "core/component_type.h"
#include "core/game_object.h"
#include "core/message.h"
#include "core/worker_pool.h"
#include "graphics/graphics_process.h"
#include "graphics/particle_system_cpu.h"
#include "graphics/particle_system_manager.h"
#include "graphics/render_settings.h"
#include "platform/input/keys.h"
#include "platform/system/crt_rand.h"
#include "support/package_fixture.h"

namespace {

// A live system of `count` slots from settings that make every draw fixed.
ParticleSystemCPU* MakeSystem(int count, f32 emitRate, f32 systemLife = -1.0f) {
    ParticleSystemCPU templ;
    templ.settings.numParticles = count;
    templ.settings.emitRate = emitRate;
    templ.settings.systemLife = systemLife;
    templ.settings.lifeInitialLow = 100.0f;
    templ.settings.lifeInitialHigh = 100.0f;
    templ.settings.sizeInitialLow = templ.settings.sizeInitialHigh = 1.0f;
    templ.settings.sizeFinalLow = templ.settings.sizeFinalHigh = 1.0f;
    templ.settings.colorFinalLow[3] = templ.settings.colorFinalHigh[3] = 1.0f;
    for (int a = 0; a < 3; ++a) {
        templ.settings.positionInitial[a] = 0.0f;
    }
    ParticleSystemCPU* system = templ.Clone();
    system->Initialize();
    return system;
}

u32 Living(const ParticleSystemCPU& system) {
    u32 n = 0;
    for (const Particle& p : system.particles) {
        n += p.age <= p.life ? 1u : 0u;
    }
    return n;
}

TEST(ParticleSimulation, EmitRateTenOverAThirdOfASecondEmitsThreeAndDropsTheRest) {
    std::unique_ptr<ParticleSystemCPU> system(MakeSystem(20, 10.0f));
    system->Simulate(0.35f);
    EXPECT_EQ(Living(*system), 3u);
    EXPECT_EQ(system->liveCount, 3u);
    EXPECT_EQ(system->accumulator, 0.0f); // the 0.05 s left over is dropped
    system->Simulate(0.05f);
    EXPECT_EQ(Living(*system), 3u); // 0.05 s: nothing due
    system->Simulate(0.05f);
    EXPECT_EQ(Living(*system), 4u); // 0.1 s since the last emission
}

TEST(ParticleSimulation, LifeMinusOneNeverFinishesAndALifeOverStopsEmitting) {
    std::unique_ptr<ParticleSystemCPU> forever(MakeSystem(4, 10.0f, -1.0f));
    for (int i = 0; i < 100; ++i) {
        forever->Simulate(1.0f);
    }
    EXPECT_EQ(forever->finished, 0);

    std::unique_ptr<ParticleSystemCPU> brief(MakeSystem(10, 10.0f, 500.0f)); // 0.5 s
    brief->Simulate(0.3f);
    EXPECT_EQ(brief->finished, 0);
    const u32 before = Living(*brief);
    brief->Simulate(0.3f); // age 0.3 s: still emitting
    brief->Simulate(0.3f); // age 0.6 s: finished, nothing more
    EXPECT_EQ(brief->finished, 1);
    const u32 after = Living(*brief);
    brief->Simulate(0.3f);
    EXPECT_EQ(Living(*brief), after);
    EXPECT_GT(after, before);
}

TEST(ParticleSimulation, ABirthDelayKeepsAParticleInvisible) {
    std::unique_ptr<ParticleSystemCPU> system(MakeSystem(1, 10.0f));
    system->settings.bornDelayLow = system->settings.bornDelayHigh = 0.5f;
    system->Simulate(0.1f);
    EXPECT_EQ(system->liveCount, 0u);
    EXPECT_EQ(system->vertices[0].colour, 0u);
    system->Simulate(0.3f);
    EXPECT_EQ(system->liveCount, 0u);
    system->Simulate(0.2f); // 0.5 s after its birth
    EXPECT_EQ(system->liveCount, 1u);
    EXPECT_NE(system->vertices[0].colour, 0u);
}

TEST(ParticleSimulation, ASheetWithoutLoopStopsOnItsLastCell) {
    ParticleSystemCPU system;
    Particle particle;
    particle.age = 0.0f;
    particle.life = 100.0f;
    particle.sheet[0] = 4.0f;
    particle.sheet[1] = 2.0f;
    particle.secondsPerFrame = 0.1f;
    for (int frame = 0; frame < 12; ++frame) {
        system.UpdateParticle(particle, 0.1f);
    }
    EXPECT_FLOAT_EQ(particle.spriteU, 0.75f);
    EXPECT_FLOAT_EQ(particle.spriteV, 0.5f);
    EXPECT_EQ(particle.secondsPerFrame, 0.0f);

    particle = Particle{};
    particle.age = 0.0f;
    particle.life = 100.0f;
    particle.sheet[0] = 4.0f;
    particle.sheet[1] = 2.0f;
    particle.sheet[2] = 1.0f; // loops
    particle.secondsPerFrame = 0.1f;
    for (int frame = 0; frame < 9; ++frame) {
        system.UpdateParticle(particle, 0.1f);
    }
    EXPECT_FLOAT_EQ(particle.spriteU, 0.25f);
    EXPECT_FLOAT_EQ(particle.spriteV, 0.0f);
}

TEST(ParticleSimulation, CornersAreABillboardAroundTheParticleAndFadeWithDistance) {
    g_render_settings = RenderSettings{};
    g_render_settings.fogRange = 400.0f;
    ParticleSystemCPU system;
    Particle particle;
    particle.position[2] = 100.0f; // a quarter of the fog range from the eye
    particle.size = 2.0f;
    particle.sheet[0] = particle.sheet[1] = 1.0f;
    ParticleVertex corners[6];
    system.WriteVertices(particle, corners);
    EXPECT_FLOAT_EQ(corners[0].x, -2.0f);
    EXPECT_FLOAT_EQ(corners[0].y, 2.0f);
    EXPECT_FLOAT_EQ(corners[5].x, 2.0f);
    EXPECT_FLOAT_EQ(corners[5].y, -2.0f);
    EXPECT_FLOAT_EQ(corners[5].z, 100.0f);
    EXPECT_EQ(corners[5].u, 1.0f);
    EXPECT_EQ(corners[0].colour >> 24, 191u); // alpha 0.75
    EXPECT_EQ(corners[0].colour & 0xFFFFFFu, 0xFFFFFFu);

    // LockToUp keeps the up axis vertical; beyond the fog range nothing shows.
    system.settings.lockToUp = 1;
    particle.colour[3] = 1.0f;
    particle.position[2] = 500.0f;
    system.WriteVertices(particle, corners);
    EXPECT_EQ(corners[0].colour >> 24, 0u);
}

TEST(ParticleSimulation, TheSameSeedGivesTheSameCorners) {
    const auto run = [] {
        crt::SeedRand(7);
        std::unique_ptr<ParticleSystemCPU> system(MakeSystem(8, 20.0f));
        system->settings.velocityInitialLow[0] = -3.0f;
        system->settings.velocityInitialHigh[0] = 3.0f;
        system->settings.startRadius[1] = 2.0f;
        system->Simulate(0.4f);
        system->Simulate(0.1f);
        return system->vertices;
    };
    const std::vector<ParticleVertex> first = run();
    const std::vector<ParticleVertex> second = run();
    ASSERT_EQ(first.size(), second.size());
    bool spread = false;
    for (std::size_t i = 0; i < first.size(); ++i) {
        EXPECT_EQ(first[i].x, second[i].x) << i;
        EXPECT_EQ(first[i].y, second[i].y) << i;
        spread = spread || (first[i].colour != 0 && first[i].x != first[0].x);
    }
    EXPECT_TRUE(spread);
}

TEST(ParticleSimulation, AnAttachedEmitterFollowsItsOwnerWithItsOffset) {
    std::unique_ptr<ParticleSystemCPU> system(MakeSystem(4, 10.0f));
    system->settings.offsetPosition[1] = 2.0f;
    GameObject owner("Torch");
    owner.position = Vector(10.0f, 0.0f, 5.0f);
    system->owner = &owner;
    system->Simulate(0.1f);
    EXPECT_FLOAT_EQ(system->position.x, 10.0f);
    EXPECT_FLOAT_EQ(system->position.y, 2.0f);
    EXPECT_FLOAT_EQ(system->position.z, 5.0f);
    system->owner = nullptr;
}

class ParticleManagerUpdate : public ::testing::Test {
  protected:
    void SetUp() override {
        m_package = package_fixture::MakePackage(
            m_folder.Path(), "particles",
            {{"spark.txt", "SystemName = Spark\nNumParticles = 4\nEmitRate = 10\n"
                           "SystemLife = 300\nLifeInitialLow = 0.5\nLifeInitialHigh = 0.5\n"},
             {"smoke.txt", "SystemName = Smoke\nNumParticles = 4\nSystemLife = -1\n"}});
        manager->LoadTemplates(m_package.string());
    }
    void TearDown() override { ParticleSystemManager::DestroyInstance(); }

    package_fixture::ScratchFolder m_folder;
    std::filesystem::path m_package;
    ParticleSystemManager* manager = ParticleSystemManager::Instance();
};

TEST_F(ParticleManagerUpdate, FiveSystemsOverTwoWorkersAreAllSimulated) {
    manager->UseWorkers(2);
    EXPECT_EQ(manager->WorkerCount(), 2u);
    std::vector<ParticleSystemCPU*> systems;
    for (int i = 0; i < 5; ++i) {
        systems.push_back(manager->CreateParticleSystem("Smoke", nullptr));
    }
    systems[4]->active = 0;
    manager->Update(0.25f);
    for (int i = 0; i < 4; ++i) {
        EXPECT_FLOAT_EQ(systems[i]->age, 0.25f) << i;
    }
    EXPECT_EQ(systems[4]->age, 0.0f); // inactive systems are not updated
    EXPECT_EQ(WorkerPool::RangeOf(5, 2, 0), (WorkerPool::Range{0, 2}));
    EXPECT_EQ(WorkerPool::RangeOf(5, 2, 1), (WorkerPool::Range{2, 5}));
}

TEST_F(ParticleManagerUpdate, AFinishedSystemGoesOnlyOnceItsParticlesAreGone) {
    manager->UseWorkers(1);
    ParticleSystemCPU* spark = manager->CreateParticleSystem("Spark", nullptr);
    manager->Update(0.2f); // emits
    manager->Update(0.2f); // age 0.2 s: still emitting
    manager->Update(0.1f); // age 0.4 s > 0.3 s: finished, its particles still alive
    EXPECT_EQ(spark->finished, 1);
    EXPECT_TRUE(manager->ContainsSystem(spark));
    EXPECT_GT(spark->liveCount, 0u);
    for (int i = 0; i < 10 && manager->ContainsSystem(spark); ++i) {
        manager->Update(0.1f);
    }
    EXPECT_FALSE(manager->ContainsSystem(spark));
}

TEST_F(ParticleManagerUpdate, TheEmissionSwitchReachesEveryLiveSystem) {
    ParticleSystemCPU* a = manager->CreateParticleSystem("Smoke", nullptr);
    ParticleSystemCPU* b = manager->CreateParticleSystem("Smoke", nullptr);
    manager->ApplyEmissionToggle(1);
    EXPECT_EQ(a->emissionStopped, 1);
    EXPECT_EQ(b->emissionStopped, 1);
    manager->UseWorkers(1);
    manager->Update(0.5f);
    EXPECT_EQ(a->liveCount, 0u);
    EXPECT_EQ(b->liveCount, 0u);
    manager->ApplyEmissionToggle(0);
    EXPECT_EQ(b->emissionStopped, 0);
}

TEST_F(ParticleManagerUpdate, AnObjectLettingGoOfItsSystemEndsItWhereItWas) {
    testing::internal::CaptureStdout();
    GraphicsProcess graphics(nullptr, nullptr, 0, 1024.0f, 3);
    testing::internal::GetCapturedStdout();
    manager->UseWorkers(1);
    ParticleSystemCPU* smoke = manager->CreateParticleSystem("Smoke", nullptr);
    smoke->process = &graphics;
    {
        GameObject torch("Torch");
        torch.position = Vector(5.0f, 0.0f, 0.0f);
        torch.AddComponent(ComponentType::ParticleSystem, smoke);
        manager->Update(0.2f);
        EXPECT_GT(smoke->liveCount, 0u);
    } // the renderer's RemoveComponent runs here
    ASSERT_TRUE(manager->ContainsSystem(smoke));
    EXPECT_EQ(smoke->owner, nullptr);
    EXPECT_EQ(smoke->settings.systemLife, 0.0f);
    manager->Update(0.1f); // never reads the object that has gone
    EXPECT_EQ(smoke->finished, 1);
    EXPECT_FLOAT_EQ(smoke->position.x, 5.0f);
    for (int i = 0; i < 20 && manager->ContainsSystem(smoke); ++i) {
        manager->Update(0.1f);
    }
    EXPECT_FALSE(manager->ContainsSystem(smoke));
}

TEST_F(ParticleManagerUpdate, KeysStartSystemsSwitchEmissionAndParticles) {
    g_render_settings = RenderSettings{};
    testing::internal::CaptureStdout();
    GraphicsProcess graphics(nullptr, nullptr, 0, 1024.0f, 3);
    testing::internal::GetCapturedStdout();
    // The renderer loaded the game's own templates; only the test's two count here.
    manager->Clear();
    manager->LoadTemplates(m_package.string());
    manager->UseWorkers(1);
    const auto press = [&graphics](u8 key) {
        InputState input;
        input.m_keys[key] = INPUT_PRESSED;
        Message<InputState> message(MSG_GRAPHIC_INPUT, input);
        graphics.HandleMessage(&message, 0);
        graphics.Update(0.0f);
        Message<InputState> none(MSG_GRAPHIC_INPUT, InputState{});
        graphics.HandleMessage(&none, 0);
    };
    press(input::key::Digit1);
    press(input::key::Digit2);
    press(input::key::Digit4); // no third template: nothing
    ASSERT_EQ(manager->Systems().size(), 2u);
    press(input::key::M);
    EXPECT_TRUE(graphics.ParticleEmissionStopped());
    for (const ParticleSystemCPU* system : manager->Systems()) {
        EXPECT_EQ(system->emissionStopped, 1);
    }
    press(input::key::P);
    EXPECT_EQ(g_render_settings.particles, 0);
    press(input::key::K);
    EXPECT_TRUE(manager->Systems().empty());
    g_render_settings = RenderSettings{};
}

TEST_F(ParticleManagerUpdate, SystemsAreSortedFarthestFirstWithTheirZOrderInPlace) {
    const Vector near(0.0f, 0.0f, 5.0f);
    const Vector far(0.0f, 0.0f, 10.0f);
    ParticleSystemCPU* a = manager->CreateParticleSystem("Smoke", &near);
    ParticleSystemCPU* b = manager->CreateParticleSystem("Smoke", &far);
    ParticleSystemCPU* c = manager->CreateParticleSystem("Smoke", &near);
    c->settings.zOrder = 100.0f; // 25 + 100 beats 100
    const f32 eye[3] = {0.0f, 0.0f, 0.0f};
    EXPECT_FLOAT_EQ(ParticleSystemManager::SortKey(*c, eye), 125.0f);
    manager->SortBackToFront(eye);
    const std::list<ParticleSystemCPU*> expected = {c, b, a};
    EXPECT_EQ(manager->Systems(), expected);
}

} // namespace

namespace {

TEST(ParticleExplosions, TheNukeBuildsItsRingsWithLaterBirthsOutwards) {
    package_fixture::ScratchFolder folder;
    std::map<std::string, std::string> files;
    for (const char* name :
         {"nuke1", "nuke2", "nuke3", "nuke4", "BossExplosion1", "BossExplosion2"}) {
        files[std::string(name) + ".txt"] =
            std::string("SystemName = ") + name + "\nNumParticles = 1\n";
    }
    ParticleSystemManager* manager = ParticleSystemManager::Instance();
    manager->LoadTemplates(
        package_fixture::MakePackage(folder.Path(), "particles", files).string());
    manager->CreateNukeExplosion(Vector(100.0f, 5.0f, 50.0f));
    // Four at the centre, then rings of 4 x 2, 10, 15 and 20.
    const std::vector<ParticleSystemCPU*> systems(manager->Systems().begin(),
                                                  manager->Systems().end());
    ASSERT_EQ(systems.size(), 4u + 8u + 10u + 15u + 20u);
    EXPECT_EQ(systems[1]->settings.systemName, "nuke3");
    EXPECT_EQ(systems[4]->settings.systemName, "nuke2");
    EXPECT_EQ(systems[5]->settings.systemName, "nuke1");
    EXPECT_FLOAT_EQ(systems[4]->position.x, 103.0f); // ring 1, point 0: R 3
    EXPECT_FLOAT_EQ(systems[4]->position.y, 5.0f);
    EXPECT_FLOAT_EQ(systems[4]->settings.bornDelayLow, 0.1f);
    EXPECT_FLOAT_EQ(systems[5]->settings.bornDelayHigh, 0.2f);
    EXPECT_FLOAT_EQ(systems[6]->position.z, 53.0f); // a quarter turn on
    const ParticleSystemCPU* outer = systems.back();
    EXPECT_FLOAT_EQ(outer->settings.bornDelayLow, 0.7f);
    EXPECT_FLOAT_EQ(outer->settings.bornDelayHigh, 0.8f);
    EXPECT_NEAR(std::hypot(outer->position.x - 100.0f, outer->position.z - 50.0f), 16.0f, 1e-3f);
    EXPECT_EQ(systems[0]->settings.bornDelayHigh, 0.0f); // the centre is born at once

    manager->DetachAll();
    manager->CreateBossExplosion(Vector(1.0f, 2.0f, 3.0f));
    ASSERT_EQ(manager->Systems().size(), 2u);
    EXPECT_EQ(manager->Systems().back()->settings.systemName, "BossExplosion2");
    EXPECT_FLOAT_EQ(manager->Systems().back()->position.z, 3.0f);
    ParticleSystemManager::DestroyInstance();
}

} // namespace
