#include "platform/physics/actor.h"

#include <cmath>

#include "platform/physics/allocator_hook.h"
#include "platform/physics/world.h"

namespace physics {
namespace {

// Sleep below these speeds; the game's units are a tenth of a metre (gravity 98.1).
constexpr btScalar kLinearSleepSpeed = 1.5f;
constexpr btScalar kAngularSleepSpeed = 0.5f;
constexpr btScalar kPi = 3.14159265358979f;

btVector3 ToBt(const Vec3& v) {
    return btVector3(v.x, v.y, v.z);
}
Vec3 ToVec3(const btVector3& v) {
    return Vec3{v.x(), v.y(), v.z()};
}
btTransform ToBt(const Pose& pose) {
    const Quat& q = pose.orientation;
    return btTransform(btQuaternion(q.x, q.y, q.z, q.w), ToBt(pose.position));
}

bool Positive(float value) {
    return std::isfinite(value) && value > 0.0f;
}

bool ValidShape(const ShapeDesc& shape) {
    switch (shape.kind) {
    case ShapeKind::kBox:
        return Positive(shape.halfExtents.x) && Positive(shape.halfExtents.y) &&
               Positive(shape.halfExtents.z);
    case ShapeKind::kSphere:
        return Positive(shape.radius);
    case ShapeKind::kPlane:
        return ToBt(shape.planeNormal).length2() > 0;
    }
    return false;
}

float Volume(const ShapeDesc& shape) {
    if (shape.kind == ShapeKind::kBox) {
        return 8.0f * shape.halfExtents.x * shape.halfExtents.y * shape.halfExtents.z;
    }
    return 4.0f / 3.0f * kPi * shape.radius * shape.radius * shape.radius;
}

bool IsIdentity(const Pose& pose) {
    const Quat& q = pose.orientation;
    return pose.position.x == 0 && pose.position.y == 0 && pose.position.z == 0 && q.x == 0 &&
           q.y == 0 && q.z == 0 && q.w == 1;
}

ActorBody& Body(Actor* actor) {
    return *static_cast<ActorBody*>(actor);
}
const ActorBody& Body(const Actor* actor) {
    return *static_cast<const ActorBody*>(actor);
}

} // namespace

ActorBody::ActorBody(Scene& scene, World& world, const ActorDesc& desc, std::uint32_t serial)
    : Actor(scene, desc.userData), m_world(world), m_serial(serial), m_kind(desc.body) {}

ActorBody::~ActorBody() = default;

bool ActorBody::Build(const ActorDesc& desc) {
    std::vector<const ShapeDesc*> solids;
    std::vector<const ShapeDesc*> planes;
    for (const ShapeDesc& shape : desc.shapes) {
        if (!ValidShape(shape)) {
            return false;
        }
        (shape.kind == ShapeKind::kPlane ? planes : solids).push_back(&shape);
    }
    if (solids.empty() && planes.empty()) {
        return false;
    }
    if (m_kind != BodyKind::kStatic && (solids.empty() || !planes.empty())) {
        return false; // a body cannot carry an infinite plane
    }
    m_trigger = !solids.empty() && solids.front()->trigger;
    for (const ShapeDesc* shape : solids) {
        if (shape->trigger != m_trigger) {
            return false;
        }
    }
    m_collision = true;
    m_gravity = desc.gravity;
    m_groupsMask = desc.groupsMask;
    m_bodyFlags = desc.bodyFlags & body_flag::kFrozen;
    m_linearDamping = std::max(0.0f, desc.linearDamping);
    m_angularDamping = std::max(0.0f, desc.angularDamping);
    m_material = solids.empty() ? planes.front()->material : solids.front()->material;
    const btTransform actorTransform = ToBt(desc.pose);

    if (!solids.empty()) {
        std::vector<btScalar> masses;
        for (const ShapeDesc* shape : solids) {
            if (shape->kind == ShapeKind::kBox) {
                m_shapes.push_back(std::make_unique<btBoxShape>(ToBt(shape->halfExtents)));
            } else {
                m_shapes.push_back(std::make_unique<btSphereShape>(shape->radius));
            }
            masses.push_back(Positive(shape->mass) ? shape->mass
                                                   : std::max(0.0f, desc.density) * Volume(*shape));
        }
        btScalar total = 0;
        for (const btScalar mass : masses) {
            total += mass;
        }
        const bool hasBody = m_kind != BodyKind::kStatic;
        if (Positive(desc.mass)) {
            // A given mass keeps the shapes' share of it.
            for (btScalar& mass : masses) {
                mass = total > 0 ? mass * desc.mass / total
                                 : desc.mass / static_cast<btScalar>(masses.size());
            }
            total = desc.mass;
        } else if (!(total > 0) || !std::isfinite(total)) {
            // Nothing weighs anything: a unit mass spread evenly keeps the body usable.
            for (btScalar& mass : masses) {
                mass = 1.0f / static_cast<btScalar>(masses.size());
            }
            total = 1.0f;
        }
        m_mass = hasBody ? total : 0.0f;

        btCollisionShape* bodyShape = nullptr;
        if (solids.size() == 1 && IsIdentity(solids.front()->localPose)) {
            bodyShape = m_shapes.front().get();
            bodyShape->calculateLocalInertia(total, m_inertia);
        } else {
            auto compound =
                std::make_unique<btCompoundShape>(false, static_cast<int>(solids.size()));
            for (std::size_t i = 0; i < solids.size(); ++i) {
                compound->addChildShape(ToBt(solids[i]->localPose), m_shapes[i].get());
            }
            if (hasBody) {
                // The body turns about its centre of mass: children move into that frame.
                btTransform principal;
                compound->calculatePrincipalAxisTransform(masses.data(), principal, m_inertia);
                for (int i = 0; i < compound->getNumChildShapes(); ++i) {
                    compound->updateChildTransform(
                        i, principal.inverse() * compound->getChildTransform(i), false);
                }
                compound->recalculateLocalAabb();
                m_centreOfMass = principal;
                m_offsetCentre = true;
            }
            bodyShape = compound.get();
            m_shapes.push_back(std::move(compound));
        }
        if (desc.inertia.x > 0 && desc.inertia.y > 0 && desc.inertia.z > 0) {
            m_inertia = ToBt(desc.inertia);
        }
        const bool dynamic = m_kind == BodyKind::kDynamic;
        btRigidBody::btRigidBodyConstructionInfo info(dynamic ? m_mass : 0, nullptr, bodyShape,
                                                      dynamic ? m_inertia : btVector3(0, 0, 0));
        info.m_startWorldTransform = actorTransform * m_centreOfMass;
        info.m_restitution = 0;
        m_body = std::make_unique<btRigidBody>(info);
        m_body->setUserPointer(this);
        m_body->setSleepingThresholds(kLinearSleepSpeed, kAngularSleepSpeed);
        if (m_kind == BodyKind::kKinematic) {
            m_body->setCollisionFlags(m_body->getCollisionFlags() |
                                      btCollisionObject::CF_KINEMATIC_OBJECT);
            m_body->setActivationState(DISABLE_DEACTIVATION);
        }
        if (m_trigger) {
            m_body->setCollisionFlags(m_body->getCollisionFlags() |
                                      btCollisionObject::CF_NO_CONTACT_RESPONSE);
        }
        if (!m_gravity) {
            m_body->setFlags(m_body->getFlags() | BT_DISABLE_WORLD_GRAVITY);
        }
        if (Positive(desc.ccdMotionThreshold)) {
            // The game gives a speed; the engine wants a distance per step.
            m_body->setCcdMotionThreshold(desc.ccdMotionThreshold * Scene::kStep);
            m_body->setCcdSweptSphereRadius(std::max(0.0f, desc.ccdSweptRadius));
        }
        ApplyFrozenAxes();
    }
    for (const ShapeDesc* plane : planes) {
        m_shapes.push_back(std::make_unique<btStaticPlaneShape>(
            ToBt(plane->planeNormal).normalized(), plane->planeDistance));
        btRigidBody::btRigidBodyConstructionInfo info(0, nullptr, m_shapes.back().get());
        info.m_startWorldTransform = actorTransform;
        info.m_restitution = 0;
        m_planes.push_back(std::make_unique<btRigidBody>(info));
        m_planes.back()->setUserPointer(this);
    }
    return true;
}

void ActorBody::AddToWorld() {
    btDiscreteDynamicsWorld& dynamics = *m_world.m_dynamics;
    if (m_body) {
        dynamics.addRigidBody(m_body.get());
        if (!m_gravity) {
            m_body->setGravity(btVector3(0, 0, 0));
        }
        dynamics.updateSingleAabb(m_body.get());
    }
    for (const auto& plane : m_planes) {
        dynamics.addRigidBody(plane.get());
    }
}

void ActorBody::RemoveFromWorld() {
    btDiscreteDynamicsWorld& dynamics = *m_world.m_dynamics;
    if (m_body) {
        dynamics.removeRigidBody(m_body.get());
    }
    for (const auto& plane : m_planes) {
        dynamics.removeRigidBody(plane.get());
    }
}

void ActorBody::RefreshProxies() {
    // New proxies drop the cached pairs and manifolds and meet the filter again.
    btDiscreteDynamicsWorld& dynamics = *m_world.m_dynamics;
    if (m_body) {
        dynamics.refreshBroadphaseProxy(m_body.get());
        dynamics.updateSingleAabb(m_body.get());
    }
    for (const auto& plane : m_planes) {
        dynamics.refreshBroadphaseProxy(plane.get());
    }
}

void ActorBody::ApplyFriction(const std::vector<Material>& materials) {
    const btScalar friction =
        m_material < materials.size() ? materials[m_material].dynamicFriction : 0.0f;
    if (m_body) {
        m_body->setFriction(friction);
    }
    for (const auto& plane : m_planes) {
        plane->setFriction(friction);
    }
}

btTransform ActorBody::ActorTransform() const {
    if (!m_body) {
        return m_planes.front()->getWorldTransform();
    }
    return m_offsetCentre ? m_body->getWorldTransform() * m_centreOfMass.inverse()
                          : m_body->getWorldTransform();
}

void ActorBody::SetActorTransform(const btTransform& transform) {
    // Both the pose and the one a kinematic body's speed is measured from move, so the jump
    // is a teleport, not a motion.
    m_body->setCenterOfMassTransform(m_offsetCentre ? transform * m_centreOfMass : transform);
    m_world.m_dynamics->updateSingleAabb(m_body.get());
}

btVector3 ActorBody::FrozenVelocity(const btVector3& velocity, bool angular) const {
    const std::uint32_t x = angular ? body_flag::kFrozenRotX : body_flag::kFrozenPosX;
    return btVector3((m_bodyFlags & x) ? 0 : velocity.x(),
                     (m_bodyFlags & (x << 1)) ? 0 : velocity.y(),
                     (m_bodyFlags & (x << 2)) ? 0 : velocity.z());
}

void ActorBody::ApplyFrozenAxes() {
    if (!m_body) {
        return;
    }
    m_body->setLinearFactor(FrozenVelocity(btVector3(1, 1, 1), false));
    m_body->setAngularFactor(FrozenVelocity(btVector3(1, 1, 1), true));
    m_body->setLinearVelocity(FrozenVelocity(m_body->getLinearVelocity(), false));
    m_body->setAngularVelocity(FrozenVelocity(m_body->getAngularVelocity(), true));
}

// ---------------------------------------------------------------------------------------

bool Actor::IsDynamic() const {
    return Body(this).m_kind != BodyKind::kStatic;
}

bool Actor::IsKinematic() const {
    return Body(this).m_kind == BodyKind::kKinematic;
}

Vec3 Actor::GetPosition() const {
    return ToVec3(Body(this).ActorTransform().getOrigin());
}

Quat Actor::GetOrientation() const {
    const btQuaternion q = Body(this).ActorTransform().getRotation();
    return Quat{q.x(), q.y(), q.z(), q.w()};
}

void Actor::SetPosition(const Vec3& position) {
    ActorBody& body = Body(this);
    if (!IsDynamic()) {
        return;
    }
    const detail::AllocatorScope scope(body.m_world.m_allocator);
    btTransform transform = body.ActorTransform();
    transform.setOrigin(ToBt(position));
    body.SetActorTransform(transform);
}

void Actor::SetOrientation(const Quat& orientation) {
    ActorBody& body = Body(this);
    if (!IsDynamic()) {
        return;
    }
    const detail::AllocatorScope scope(body.m_world.m_allocator);
    btTransform transform = body.ActorTransform();
    transform.setRotation(
        btQuaternion(orientation.x, orientation.y, orientation.z, orientation.w).normalized());
    body.SetActorTransform(transform);
}

Vec3 Actor::GetLinearVelocity() const {
    const ActorBody& body = Body(this);
    return body.m_body ? ToVec3(body.m_body->getLinearVelocity()) : Vec3{};
}

Vec3 Actor::PendingImpulse() const {
    return ToVec3(Body(this).m_pendingImpulse);
}

Vec3 Actor::GetAngularVelocity() const {
    const ActorBody& body = Body(this);
    return body.m_body ? ToVec3(body.m_body->getAngularVelocity()) : Vec3{};
}

void Actor::SetLinearVelocity(const Vec3& velocity) {
    ActorBody& body = Body(this);
    if (!body.IsMovingBody()) {
        return;
    }
    const btVector3 v = body.FrozenVelocity(ToBt(velocity), false);
    body.m_body->setLinearVelocity(v);
    if (!v.isZero()) {
        body.m_body->activate(true);
    }
}

void Actor::SetAngularVelocity(const Vec3& velocity) {
    ActorBody& body = Body(this);
    if (!body.IsMovingBody()) {
        return;
    }
    const btVector3 v = body.FrozenVelocity(ToBt(velocity), true);
    body.m_body->setAngularVelocity(v);
    if (!v.isZero()) {
        body.m_body->activate(true);
    }
}

namespace {
void Push(ActorBody& body, btVector3 ActorBody::*pending, const Vec3& amount, bool wake) {
    if (!body.IsMovingBody()) {
        return;
    }
    body.*pending += ToBt(amount);
    body.m_hasPending = true;
    if (wake) {
        body.m_body->activate(true);
    }
}
} // namespace

void Actor::AddImpulse(const Vec3& impulse, bool wake) {
    Push(Body(this), &ActorBody::m_pendingImpulse, impulse, wake);
}
void Actor::AddSmoothImpulse(const Vec3& impulse, bool wake) {
    Push(Body(this), &ActorBody::m_pendingSmoothImpulse, impulse, wake);
}
void Actor::AddForce(const Vec3& force, bool wake) {
    Push(Body(this), &ActorBody::m_pendingForce, force, wake);
}
void Actor::AddTorque(const Vec3& torque, bool wake) {
    Push(Body(this), &ActorBody::m_pendingTorque, torque, wake);
}

void Actor::SetLinearDamping(float c) {
    Body(this).m_linearDamping = std::isfinite(c) ? std::max(0.0f, c) : 0.0f;
}
void Actor::SetAngularDamping(float c) {
    Body(this).m_angularDamping = std::isfinite(c) ? std::max(0.0f, c) : 0.0f;
}
float Actor::LinearDamping() const {
    return Body(this).m_linearDamping;
}
float Actor::AngularDamping() const {
    return Body(this).m_angularDamping;
}

void Actor::SetGravityEnabled(bool enabled) {
    ActorBody& body = Body(this);
    body.m_gravity = enabled;
    if (!body.m_body) {
        return;
    }
    btRigidBody& rigid = *body.m_body;
    if (enabled) {
        rigid.setFlags(rigid.getFlags() & ~BT_DISABLE_WORLD_GRAVITY);
        rigid.setGravity(body.m_world.m_gravity);
    } else {
        rigid.setFlags(rigid.getFlags() | BT_DISABLE_WORLD_GRAVITY);
        rigid.setGravity(btVector3(0, 0, 0));
    }
}

bool Actor::GravityEnabled() const {
    return Body(this).m_gravity;
}

void Actor::RaiseBodyFlags(std::uint32_t flags) {
    ActorBody& body = Body(this);
    body.m_bodyFlags |= flags & body_flag::kFrozen;
    body.ApplyFrozenAxes();
}

void Actor::ClearBodyFlags(std::uint32_t flags) {
    ActorBody& body = Body(this);
    body.m_bodyFlags &= ~flags;
    body.ApplyFrozenAxes();
}

std::uint32_t Actor::BodyFlags() const {
    return Body(this).m_bodyFlags;
}

void Actor::SetCollisionEnabled(bool enabled) {
    ActorBody& body = Body(this);
    if (body.m_collision == enabled) {
        return;
    }
    body.m_collision = enabled;
    const detail::AllocatorScope scope(body.m_world.m_allocator);
    body.RefreshProxies();
}

bool Actor::CollisionEnabled() const {
    return Body(this).m_collision;
}

void Actor::SetGroupsMask(std::uint32_t mask) {
    ActorBody& body = Body(this);
    if (body.m_groupsMask == mask) {
        return;
    }
    body.m_groupsMask = mask;
    const detail::AllocatorScope scope(body.m_world.m_allocator);
    body.RefreshProxies();
}

std::uint32_t Actor::GroupsMask() const {
    return Body(this).m_groupsMask;
}

void Actor::SetKinematic(bool kinematic) {
    ActorBody& body = Body(this);
    if (!IsDynamic() || IsKinematic() == kinematic) {
        return;
    }
    const detail::AllocatorScope scope(body.m_world.m_allocator);
    btRigidBody& rigid = *body.m_body;
    body.m_restingAsMade = false;
    // Re-adding lets the world put the body in the broadphase group of its new kind.
    body.RemoveFromWorld();
    if (kinematic) {
        body.m_kind = BodyKind::kKinematic;
        rigid.setMassProps(0, btVector3(0, 0, 0));
        rigid.setCollisionFlags(rigid.getCollisionFlags() | btCollisionObject::CF_KINEMATIC_OBJECT);
        rigid.setLinearVelocity(btVector3(0, 0, 0));
        rigid.setAngularVelocity(btVector3(0, 0, 0));
        rigid.forceActivationState(DISABLE_DEACTIVATION);
        body.m_hasPending = false;
        body.m_pendingImpulse.setZero();
        body.m_pendingSmoothImpulse.setZero();
        body.m_pendingForce.setZero();
        body.m_pendingTorque.setZero();
    } else {
        body.m_kind = BodyKind::kDynamic;
        rigid.setCollisionFlags(rigid.getCollisionFlags() &
                                ~btCollisionObject::CF_KINEMATIC_OBJECT);
        rigid.setMassProps(body.m_mass, body.m_inertia);
        rigid.updateInertiaTensor();
        rigid.forceActivationState(ACTIVE_TAG);
        rigid.setDeactivationTime(0);
        body.ApplyFrozenAxes();
    }
    body.AddToWorld();
}

void Actor::PutToSleep() {
    ActorBody& body = Body(this);
    if (!body.IsMovingBody()) {
        return;
    }
    body.m_body->setLinearVelocity(btVector3(0, 0, 0));
    body.m_body->setAngularVelocity(btVector3(0, 0, 0));
    body.m_body->forceActivationState(ISLAND_SLEEPING);
    if (!body.m_steppedAwake) {
        body.m_restingAsMade = true;
    }
}

void Actor::WakeUp(float wakeCounter) {
    ActorBody& body = Body(this);
    if (!body.IsMovingBody()) {
        return;
    }
    body.m_body->forceActivationState(ACTIVE_TAG);
    // The body sleeps once its slow time passes the world's delay; starting it below zero
    // by the counter keeps it awake that long.
    body.m_body->setDeactivationTime(kSleepDelay - std::max(0.0f, wakeCounter));
}

bool Actor::IsSleeping() const {
    const ActorBody& body = Body(this);
    return body.IsMovingBody() && body.m_body->getActivationState() == ISLAND_SLEEPING;
}

float Actor::GetMass() const {
    return Body(this).m_mass;
}

Vec3 Actor::GetMassSpaceInertia() const {
    return ToVec3(Body(this).m_inertia);
}

void Actor::SetMass(float mass) {
    ActorBody& body = Body(this);
    if (!IsDynamic() || !Positive(mass)) {
        return;
    }
    body.m_mass = mass;
    if (body.IsMovingBody()) {
        body.m_body->setMassProps(mass, body.m_inertia);
        body.m_body->updateInertiaTensor();
    }
}

void Actor::SetMassSpaceInertia(const Vec3& inertia) {
    ActorBody& body = Body(this);
    if (!IsDynamic() || !(inertia.x > 0 && inertia.y > 0 && inertia.z > 0)) {
        return;
    }
    body.m_inertia = ToBt(inertia);
    if (body.IsMovingBody()) {
        body.m_body->setMassProps(body.m_mass, body.m_inertia);
        body.m_body->updateInertiaTensor();
    }
}

} // namespace physics
