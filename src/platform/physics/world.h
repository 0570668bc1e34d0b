#pragma once
// Private to the physics layer: the engine objects behind a Scene and its actors. Only
// this folder's sources include it.
#include <BulletCollision/CollisionDispatch/btSimulationIslandManager.h>
#include <btBulletDynamicsCommon.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/physics/allocator.h"
#include "platform/physics/scene.h"

namespace physics {

class ActorBody;

// How long a body must stay slow before it sleeps; the engine's own default is far longer.
constexpr btScalar kSleepDelay = Actor::kDefaultWakeCounter;

// Lets a pair through only when both actors have collision on and their masks differ,
// after the engine's own group test.
class OverlapFilter final : public btOverlapFilterCallback {
  public:
    bool needBroadphaseCollision(btBroadphaseProxy* proxy0,
                                 btBroadphaseProxy* proxy1) const override;
};

// Groups bodies into islands by their contacts alone. The engine's own grouping joins every
// pair whose broadphase boxes overlap, so a body passing a sleeping stack within a hair,
// without touching it, woke the whole stack.
class ContactIslands final : public btSimulationIslandManager {
  public:
    void updateActivationState(btCollisionWorld* world, btDispatcher* dispatcher) override;
};

// The engine's world with its islands grouped by contacts.
class DynamicsWorld final : public btDiscreteDynamicsWorld {
  public:
    DynamicsWorld(btDispatcher* dispatcher, btBroadphaseInterface* broadphase,
                  btConstraintSolver* solver, btCollisionConfiguration* configuration);
};

class ActorBody final : public Actor {
  public:
    ActorBody(Scene& scene, World& world, const ActorDesc& desc, std::uint32_t serial);
    ~ActorBody();

    // Builds the engine objects; false when the description cannot make an actor.
    bool Build(const ActorDesc& desc);
    void AddToWorld();
    void RemoveFromWorld();

    btTransform ActorTransform() const;
    void SetActorTransform(const btTransform& transform);
    void ApplyFrozenAxes();
    btVector3 FrozenVelocity(const btVector3& velocity, bool angular) const;
    void RefreshProxies();
    bool HasSolidBody() const { return m_body != nullptr; }
    bool IsMovingBody() const { return m_body && m_kind == BodyKind::kDynamic; }
    void ApplyFriction(const std::vector<Material>& materials);

    World& m_world;
    const std::uint32_t m_serial; // orders the actors of a pair, the same way every frame
    BodyKind m_kind;
    bool m_trigger = false;
    bool m_collision = true;
    bool m_gravity = true;
    std::uint32_t m_groupsMask = 0;
    std::uint32_t m_bodyFlags = 0;
    std::uint32_t m_material = 0;
    float m_linearDamping = 0.0f;
    float m_angularDamping = 0.0f;
    float m_mass = 0.0f;
    btVector3 m_inertia{0, 0, 0};
    // Body frame (centre of mass, principal axes) relative to the actor frame.
    btTransform m_centreOfMass = btTransform::getIdentity();
    bool m_offsetCentre = false;

    btVector3 m_pendingImpulse{0, 0, 0};
    btVector3 m_pendingSmoothImpulse{0, 0, 0};
    btVector3 m_pendingForce{0, 0, 0};
    btVector3 m_pendingTorque{0, 0, 0};
    bool m_hasPending = false;
    // Put to sleep before it ever took part in a step awake: it rests where it was placed,
    // so whatever it touches at its first awake step it was touching all along. Cleared
    // after that step; m_awakeThisStep marks the step.
    bool m_restingAsMade = false;
    bool m_awakeThisStep = false;
    bool m_steppedAwake = false;

    std::vector<std::unique_ptr<btCollisionShape>>
        m_shapes;                        // children first, the body's shape last
    std::unique_ptr<btRigidBody> m_body; // solid shapes; null for planes only
    std::vector<std::unique_ptr<btRigidBody>> m_planes;
};

// What a pair looked like after the latest step that touched it.
struct PairRecord {
    std::uint64_t key = 0;
    ActorBody* first = nullptr;
    ActorBody* second = nullptr;
    std::uint32_t patchBegin = 0;
    std::uint32_t patchCount = 0;
    // A pair of bodies that rested against each other (or against a static one) since they
    // were made: the first report of its touch does not start it.
    bool settled = false;
};

struct PairSet {
    std::vector<PairRecord> pairs; // sorted by key
    std::vector<ContactPatch> patches;
    void Clear() {
        pairs.clear();
        patches.clear();
    }
};

struct PendingReport {
    ActorBody* first = nullptr; // null once released
    ActorBody* second = nullptr;
    std::uint32_t events = 0;
    std::uint32_t patchBegin = 0;
    std::uint32_t patchCount = 0;
    bool trigger = false;
};

class World {
  public:
    World(Scene& scene, Allocator& allocator, const Vec3& gravity);
    ~World();

    int Simulate(float dt);
    void Fetch();
    ActorBody* CreateActor(const ActorDesc& desc);
    void ReleaseActor(ActorBody* actor);
    void SetGravity(const Vec3& gravity);
    void SetMaterial(std::uint32_t index, const Material& material);

    Scene& m_scene;
    Allocator& m_allocator;
    btVector3 m_gravity;
    std::vector<Material> m_materials;
    ContactReceiver* m_contactReceiver = nullptr;
    TriggerReceiver* m_triggerReceiver = nullptr;

    std::unique_ptr<btDefaultCollisionConfiguration> m_configuration;
    std::unique_ptr<btCollisionDispatcher> m_dispatcher;
    std::unique_ptr<btBroadphaseInterface> m_broadphase;
    std::unique_ptr<btSequentialImpulseConstraintSolver> m_solver;
    std::unique_ptr<btDiscreteDynamicsWorld> m_dynamics;
    OverlapFilter m_filter;

    std::vector<ActorBody*> m_actors; // owned
    std::uint32_t m_nextSerial = 1;
    float m_owed = 0.0f;

  private:
    void BeforeStep(int step, int steps);
    void AfterStep();
    void CollectPairs();
    void MergeStep(PairSet& accumulated, PairSet& step, PairSet& scratch);
    void Diff(const PairSet& previous, const PairSet& current, bool trigger);
    void QueueReport(const PairRecord& record, const PairSet& from, std::uint32_t events,
                     bool trigger);
    void DropReports(const ActorBody* actor);

    // Pairs of the steps of the Simulate running now, those of the last Simulate that ran a
    // step, and the reports not fetched yet.
    PairSet m_stepContacts, m_stepTriggers;
    PairSet m_currentContacts, m_currentTriggers;
    PairSet m_previousContacts, m_previousTriggers;
    PairSet m_scratch;
    std::vector<PendingReport> m_pending;
    std::vector<ContactPatch> m_pendingPatches;
};

bool MayTouch(const ActorBody& a, const ActorBody& b);

} // namespace physics
