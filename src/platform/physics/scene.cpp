#include "platform/physics/scene.h"

#include <algorithm>
#include <cmath>

#include "platform/physics/allocator_hook.h"
#include "platform/physics/world.h"

namespace physics {
namespace {

// Keeps small pools: the engine's defaults reserve megabytes a level never uses.
constexpr int kPoolSize = 1024;

constexpr btScalar kContactRecovery = 0.8f;

btVector3 ToBt(const Vec3& v) {
    return btVector3(v.x, v.y, v.z);
}

} // namespace

bool MayTouch(const ActorBody& a, const ActorBody& b) {
    return &a != &b && a.m_collision && b.m_collision && a.m_groupsMask != b.m_groupsMask;
}

bool OverlapFilter::needBroadphaseCollision(btBroadphaseProxy* proxy0,
                                            btBroadphaseProxy* proxy1) const {
    if (!(proxy0->m_collisionFilterGroup & proxy1->m_collisionFilterMask) ||
        !(proxy1->m_collisionFilterGroup & proxy0->m_collisionFilterMask)) {
        return false;
    }
    const auto* object0 = static_cast<const btCollisionObject*>(proxy0->m_clientObject);
    const auto* object1 = static_cast<const btCollisionObject*>(proxy1->m_clientObject);
    return MayTouch(*static_cast<const ActorBody*>(object0->getUserPointer()),
                    *static_cast<const ActorBody*>(object1->getUserPointer()));
}

void ContactIslands::updateActivationState(btCollisionWorld* world, btDispatcher* dispatcher) {
    // Numbered as the engine numbers them: moving bodies only.
    int index = 0;
    btCollisionObjectArray& objects = world->getCollisionObjectArray();
    for (int i = 0; i < objects.size(); ++i) {
        btCollisionObject* object = objects[i];
        if (!object->isStaticOrKinematicObject()) {
            object->setIslandTag(index++);
        }
        object->setCompanionId(-1);
        object->setHitFraction(btScalar(1));
    }
    initUnionFind(index);
    // A pair joins one island only while its manifold holds points, that is while the two
    // touch or nearly touch; the step's manifolds are fresh when the islands are made.
    const int manifolds = dispatcher->getNumManifolds();
    for (int i = 0; i < manifolds; ++i) {
        const btPersistentManifold* manifold = dispatcher->getManifoldByIndexInternal(i);
        const btCollisionObject* body0 = manifold->getBody0();
        const btCollisionObject* body1 = manifold->getBody1();
        if (manifold->getNumContacts() > 0 && body0->mergesSimulationIslands() &&
            body1->mergesSimulationIslands()) {
            getUnionFind().unite(body0->getIslandTag(), body1->getIslandTag());
        }
    }
}

DynamicsWorld::DynamicsWorld(btDispatcher* dispatcher, btBroadphaseInterface* broadphase,
                             btConstraintSolver* solver, btCollisionConfiguration* configuration)
    : btDiscreteDynamicsWorld(dispatcher, broadphase, solver, configuration) {
    // The world owns its island manager and frees it with the engine's aligned free.
    m_islandManager->~btSimulationIslandManager();
    btAlignedFree(m_islandManager);
    m_islandManager = new (btAlignedAlloc(sizeof(ContactIslands), 16)) ContactIslands();
}

World::World(Scene& scene, Allocator& allocator, const Vec3& gravity)
    : m_scene(scene), m_allocator(allocator), m_gravity(ToBt(gravity)) {
    detail::AcquireEngine(allocator);
    const detail::AllocatorScope scope(allocator);
    btDefaultCollisionConstructionInfo info;
    info.m_defaultMaxPersistentManifoldPoolSize = kPoolSize;
    info.m_defaultMaxCollisionAlgorithmPoolSize = kPoolSize;
    m_configuration = std::make_unique<btDefaultCollisionConfiguration>(info);
    // A box landing flat on a plane needs several points at once, or it tips into it.
    m_configuration->setPlaneConvexMultipointIterations();
    m_dispatcher = std::make_unique<btCollisionDispatcher>(m_configuration.get());
    m_broadphase = std::make_unique<btDbvtBroadphase>();
    m_broadphase->getOverlappingPairCache()->setOverlapFilterCallback(&m_filter);
    m_solver = std::make_unique<btSequentialImpulseConstraintSolver>();
    m_dynamics = std::make_unique<DynamicsWorld>(m_dispatcher.get(), m_broadphase.get(),
                                                 m_solver.get(), m_configuration.get());
    m_dynamics->setGravity(m_gravity);
    // Long steps under strong gravity sink bodies deep on landing; push them out within a
    // few steps rather than letting them fall asleep half-buried.
    m_dynamics->getSolverInfo().m_erp2 = kContactRecovery;
    // Sleeping bodies keep their boxes; every write that moves one updates it.
    m_dynamics->setForceUpdateAllAabbs(false);
}

World::~World() {
    {
        const detail::AllocatorScope scope(m_allocator);
        for (ActorBody* actor : m_actors) {
            actor->RemoveFromWorld();
            delete actor;
        }
        m_actors.clear();
        m_dynamics.reset();
        m_solver.reset();
        m_broadphase.reset();
        m_dispatcher.reset();
        m_configuration.reset();
    }
    detail::ReleaseEngine(m_allocator);
}

ActorBody* World::CreateActor(const ActorDesc& desc) {
    const detail::AllocatorScope scope(m_allocator);
    auto actor = std::make_unique<ActorBody>(m_scene, *this, desc, m_nextSerial);
    if (!actor->Build(desc)) {
        return nullptr;
    }
    ++m_nextSerial;
    actor->ApplyFriction(m_materials);
    actor->AddToWorld();
    m_actors.push_back(actor.get());
    return actor.release();
}

void World::ReleaseActor(ActorBody* actor) {
    const auto found = std::find(m_actors.begin(), m_actors.end(), actor);
    if (found == m_actors.end()) {
        return;
    }
    m_actors.erase(found);
    DropReports(actor);
    const detail::AllocatorScope scope(m_allocator);
    actor->RemoveFromWorld();
    delete actor;
}

void World::SetGravity(const Vec3& gravity) {
    m_gravity = ToBt(gravity);
    m_dynamics->setGravity(m_gravity);
    // Long steps under strong gravity sink bodies deep on landing; push them out within a
    // few steps rather than letting them fall asleep half-buried.
    m_dynamics->getSolverInfo().m_erp2 = kContactRecovery;
    // The engine only updates awake bodies; sleepers must fall the new way when woken.
    for (ActorBody* actor : m_actors) {
        if (actor->IsMovingBody() && actor->m_gravity) {
            actor->m_body->setGravity(m_gravity);
        }
    }
}

void World::SetMaterial(std::uint32_t index, const Material& material) {
    if (index >= m_materials.size()) {
        m_materials.resize(static_cast<std::size_t>(index) + 1);
    }
    m_materials[index] = material;
    for (ActorBody* actor : m_actors) {
        if (actor->m_material == index) {
            actor->ApplyFriction(m_materials);
        }
    }
}

int World::Simulate(float dt) {
    if (std::isfinite(dt) && dt > 0.0f) {
        m_owed += dt;
    }
    int steps = static_cast<int>(m_owed / Scene::kStep);
    if (steps <= 0) {
        return 0;
    }
    m_owed = std::max(0.0f, m_owed - static_cast<float>(steps) * Scene::kStep);
    steps = std::min(steps, Scene::kMaxSteps);

    const detail::AllocatorScope scope(m_allocator);
    const btScalar savedDelay = gDeactivationTime;
    gDeactivationTime = kSleepDelay;
    m_currentContacts.Clear();
    m_currentTriggers.Clear();
    for (int i = 0; i < steps; ++i) {
        BeforeStep(i, steps);
        // A zero maximum makes the engine take exactly one step of the given length.
        m_dynamics->stepSimulation(Scene::kStep, 0);
        AfterStep();
        CollectPairs();
        for (ActorBody* actor : m_actors) {
            if (actor->m_awakeThisStep) {
                actor->m_steppedAwake = true;
                actor->m_restingAsMade = false;
            }
        }
        MergeStep(m_currentContacts, m_stepContacts, m_scratch);
        MergeStep(m_currentTriggers, m_stepTriggers, m_scratch);
    }
    for (ActorBody* actor : m_actors) {
        if (actor->m_hasPending) {
            actor->m_pendingImpulse.setZero();
            actor->m_pendingSmoothImpulse.setZero();
            actor->m_pendingForce.setZero();
            actor->m_pendingTorque.setZero();
            actor->m_hasPending = false;
        }
    }
    gDeactivationTime = savedDelay;

    Diff(m_previousContacts, m_currentContacts, false);
    Diff(m_previousTriggers, m_currentTriggers, true);
    std::swap(m_previousContacts, m_currentContacts);
    std::swap(m_previousTriggers, m_currentTriggers);
    return steps;
}

void World::BeforeStep(int step, int steps) {
    const btScalar h = Scene::kStep;
    for (ActorBody* actor : m_actors) {
        if (!actor->IsMovingBody()) {
            continue;
        }
        btRigidBody& body = *actor->m_body;
        // Awake as the step begins, so its contacts are found in this step.
        actor->m_awakeThisStep = body.isActive();
        if (actor->m_hasPending) {
            if (step == 0 && !actor->m_pendingImpulse.isZero()) {
                body.applyCentralImpulse(actor->m_pendingImpulse);
            }
            if (!actor->m_pendingSmoothImpulse.isZero()) {
                body.applyCentralImpulse(actor->m_pendingSmoothImpulse /
                                         static_cast<btScalar>(steps));
            }
            // The engine clears forces after every step, so they are given again each step.
            if (!actor->m_pendingForce.isZero()) {
                body.applyCentralForce(actor->m_pendingForce);
            }
            if (!actor->m_pendingTorque.isZero()) {
                body.applyTorque(actor->m_pendingTorque);
            }
        }
        if (!body.isActive()) {
            continue;
        }
        if (actor->m_linearDamping > 0.0f) {
            body.setLinearVelocity(body.getLinearVelocity() *
                                   std::max(btScalar(0), 1 - actor->m_linearDamping * h));
        }
        if (actor->m_angularDamping > 0.0f) {
            body.setAngularVelocity(body.getAngularVelocity() *
                                    std::max(btScalar(0), 1 - actor->m_angularDamping * h));
        }
    }
}

void World::AfterStep() {
    for (ActorBody* actor : m_actors) {
        if (actor->m_bodyFlags != 0 && actor->IsMovingBody()) {
            actor->ApplyFrozenAxes();
        }
    }
}

Scene::Scene(Allocator& allocator, const Vec3& gravity)
    : m_world(std::make_unique<World>(*this, allocator, gravity)) {}

Scene::~Scene() = default;

void Scene::SetGravity(const Vec3& gravity) {
    m_world->SetGravity(gravity);
}

Vec3 Scene::Gravity() const {
    const btVector3& g = m_world->m_gravity;
    return Vec3{g.x(), g.y(), g.z()};
}

void Scene::SetMaterial(std::uint32_t index, const Material& material) {
    m_world->SetMaterial(index, material);
}

Material Scene::GetMaterial(std::uint32_t index) const {
    return index < m_world->m_materials.size() ? m_world->m_materials[index] : Material{};
}

Actor* Scene::CreateActor(const ActorDesc& desc) {
    return m_world->CreateActor(desc);
}

void Scene::ReleaseActor(Actor* actor) {
    if (actor) {
        m_world->ReleaseActor(static_cast<ActorBody*>(actor));
    }
}

void Scene::SetContactReceiver(ContactReceiver* receiver) {
    m_world->m_contactReceiver = receiver;
}

void Scene::SetTriggerReceiver(TriggerReceiver* receiver) {
    m_world->m_triggerReceiver = receiver;
}

int Scene::Simulate(float dt) {
    return m_world->Simulate(dt);
}

void Scene::Fetch() {
    m_world->Fetch();
}

Allocator& Scene::GetAllocator() const {
    return m_world->m_allocator;
}

} // namespace physics
