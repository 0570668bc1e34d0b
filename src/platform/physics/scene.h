#pragma once
// A physics world: materials, actors, fixed-step simulation and contact and trigger
// reports. Simulate steps; Fetch hands the reports collected since the last Fetch to the
// receivers. Every scene routes the engine's memory through its own Allocator.
#include <cstdint>
#include <memory>

#include "platform/physics/actor.h"
#include "platform/physics/allocator.h"
#include "platform/physics/types.h"

namespace physics {

struct Material {
    float restitution = 0.0f;
    float staticFriction = 0.0f;
    float dynamicFriction = 0.0f;
};

struct ContactPoint {
    Vec3 position;
    float separation = 0.0f; // negative when the shapes overlap
};

// One patch of touching surface: a normal (pointing from the pair's second actor towards
// its first) and up to four points.
struct ContactPatch {
    static constexpr std::uint32_t kMaxPoints = 4;
    Vec3 normal;
    ContactPoint points[kMaxPoints];
    std::uint32_t pointCount = 0;
};

struct ContactPair {
    Actor* first = nullptr;
    Actor* second = nullptr;
    const ContactPatch* patches = nullptr;
    std::uint32_t patchCount = 0;
};

class ContactReceiver {
  public:
    virtual ~ContactReceiver() = default;
    // events: contact_event bits. The pair and its patches live for the call only.
    virtual void OnContact(const ContactPair& pair, std::uint32_t events) = 0;
};

class TriggerReceiver {
  public:
    virtual ~TriggerReceiver() = default;
    // status: one trigger_event bit.
    virtual void OnTrigger(Actor& trigger, Actor& other, std::uint32_t status) = 0;
};

class World;

class Scene {
  public:
    static constexpr float kStep = 1.0f / 24.0f;
    static constexpr int kMaxSteps = 8;

    explicit Scene(Allocator& allocator, const Vec3& gravity = Vec3{0.0f, -98.1f, 0.0f});
    ~Scene();
    Scene(const Scene&) = delete;
    Scene& operator=(const Scene&) = delete;

    void SetGravity(const Vec3& gravity);
    Vec3 Gravity() const;

    // Materials are addressed by index; an index not set yet reads as all zeros.
    void SetMaterial(std::uint32_t index, const Material& material);
    Material GetMaterial(std::uint32_t index) const;

    // Null when the description cannot make an actor (no shapes, a plane on a body,
    // solid and trigger shapes mixed, a non-positive size).
    Actor* CreateActor(const ActorDesc& desc);
    // Safe inside a report: reports still waiting that name the actor are dropped.
    void ReleaseActor(Actor* actor);

    void SetContactReceiver(ContactReceiver* receiver);
    void SetTriggerReceiver(TriggerReceiver* receiver);

    // Adds dt to the time owed and runs the whole steps it covers, at most kMaxSteps
    // (whole steps beyond that are dropped, the fraction of a step is kept). Returns the
    // number of steps run. Poses are those of the last step, not interpolated.
    int Simulate(float dt);
    // Hands the reports of every Simulate since the last Fetch to the receivers.
    void Fetch();

    Allocator& GetAllocator() const;

  private:
    std::unique_ptr<World> m_world;
};

} // namespace physics
