#pragma once
// A physics scene on a counting allocator, with helpers to make grounds and boxes. The
// fixture checks that the scene returns every block it took.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "platform/physics/scene.h"

class CountingAllocator : public physics::Allocator {
  public:
    void* mallocDEBUG(std::size_t size, const char*, int, const char*,
                      physics::MemoryType type) override {
        return malloc(size, type);
    }
    void* mallocDEBUG(std::size_t, const char*, int) override { return nullptr; }
    void* malloc(std::size_t size, physics::MemoryType) override {
        ++m_live;
        return std::malloc(size);
    }
    void* malloc(std::size_t) override { return nullptr; }
    void* realloc(void* memory, std::size_t size) override { return std::realloc(memory, size); }
    void free(void* memory) override {
        --m_live;
        std::free(memory);
    }
    void check() override {}

    int m_live = 0;
};

class PhysicsTest : public testing::Test {
  protected:
    static constexpr float kStep = physics::Scene::kStep;

    void TearDown() override {
        m_scene.reset();
        EXPECT_EQ(m_allocator.m_live, 0);
    }

    physics::Actor* Ground(std::uint32_t mask = 1, std::uint32_t material = 0) {
        physics::ActorDesc desc;
        desc.shapes.emplace_back().kind = physics::ShapeKind::kPlane;
        desc.shapes.back().material = material;
        desc.groupsMask = mask;
        return m_scene->CreateActor(desc);
    }

    static physics::ActorDesc BoxDesc(const physics::Vec3& position, float half = 1.0f,
                                      float mass = 1.0f, std::uint32_t mask = 2) {
        physics::ActorDesc desc;
        desc.body = physics::BodyKind::kDynamic;
        desc.pose.position = position;
        physics::ShapeDesc& shape = desc.shapes.emplace_back();
        shape.halfExtents = {half, half, half};
        shape.mass = mass;
        desc.groupsMask = mask;
        return desc;
    }

    physics::Actor* Box(const physics::Vec3& position, float half = 1.0f, float mass = 1.0f,
                        std::uint32_t mask = 2) {
        return m_scene->CreateActor(BoxDesc(position, half, mass, mask));
    }

    // A body with gravity off, for reading pushes and damping alone.
    physics::Actor* FloatingBox(float mass = 1.0f) {
        physics::ActorDesc desc = BoxDesc({0.0f, 50.0f, 0.0f}, 1.0f, mass);
        desc.gravity = false;
        return m_scene->CreateActor(desc);
    }

    // Whole steps, each its own frame.
    void Frames(int count) {
        for (int i = 0; i < count; ++i) {
            m_scene->Simulate(kStep);
            m_scene->Fetch();
        }
    }

    CountingAllocator m_allocator;
    std::unique_ptr<physics::Scene> m_scene = std::make_unique<physics::Scene>(m_allocator);
};
