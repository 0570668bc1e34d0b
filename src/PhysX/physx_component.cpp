#include "PhysX/physx_component.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "PhysX/physx_process.h"
#include "core/bounds.h"
#include "core/component_type.h"
#include "core/game_object.h"
#include "core/handler_ids.h"
#include "core/message.h"
#include "core/message_types.h"
#include "game/physics_info.h"
#include "game/piece_body.h"
#include "platform/physics/actor.h"
#include "platform/physics/scene.h"
#include "platform/system/log.h"

namespace {

constexpr float kWakeCounter = 0.4f;
constexpr float kBodyDensity = 10000.0f;
constexpr float kSphereDensity = 1000000.0f;
constexpr float kSphereMassFactor = 10.0f;
constexpr float kCeilingHeight = 300.0f;
// The swept box around a fast body is the body's box grown by this on every side.
constexpr float kCcdSkin = 2.0f;

bool Contains(const std::string& name, const char* text) {
    return name.find(text) != std::string::npos;
}

physics::Vec3 ToVec3(const Vector& v) {
    return physics::Vec3{v.x, v.y, v.z};
}

// The body's orientation as the physics layer takes it: w negated.
physics::Quat ToActorQuat(const Quaternion& q) {
    return physics::Quat{q.x, q.y, q.z, -q.w};
}

// A row-major 3x3 rotation as a quaternion.
physics::Quat FromRotation(const float* m) {
    const float trace = m[0] + m[4] + m[8];
    physics::Quat q;
    if (trace > 0.0f) {
        const float s = std::sqrt(trace + 1.0f) * 2.0f;
        q.w = 0.25f * s;
        q.x = (m[7] - m[5]) / s;
        q.y = (m[2] - m[6]) / s;
        q.z = (m[3] - m[1]) / s;
    } else if (m[0] > m[4] && m[0] > m[8]) {
        const float s = std::sqrt(1.0f + m[0] - m[4] - m[8]) * 2.0f;
        q.w = (m[7] - m[5]) / s;
        q.x = 0.25f * s;
        q.y = (m[1] + m[3]) / s;
        q.z = (m[2] + m[6]) / s;
    } else if (m[4] > m[8]) {
        const float s = std::sqrt(1.0f + m[4] - m[0] - m[8]) * 2.0f;
        q.w = (m[2] - m[6]) / s;
        q.x = (m[1] + m[3]) / s;
        q.y = 0.25f * s;
        q.z = (m[5] + m[7]) / s;
    } else {
        const float s = std::sqrt(1.0f + m[8] - m[0] - m[4]) * 2.0f;
        q.w = (m[3] - m[1]) / s;
        q.x = (m[2] + m[6]) / s;
        q.y = (m[5] + m[7]) / s;
        q.z = 0.25f * s;
    }
    return q;
}

// Fast bodies are swept so they do not tunnel through thin walls.
void EnableCcd(physics::ActorDesc& desc, const Vector& extents, float threshold) {
    desc.ccdMotionThreshold = threshold;
    desc.ccdSweptRadius = std::min({extents.x, extents.y, extents.z}) + kCcdSkin;
}

} // namespace

PhysXComponent::PhysXComponent(const std::string& objectType, const PhysicsParams& params,
                               PhysXProcess* physXProcess)
    : DefinitionComponent(objectType), m_process(physXProcess), m_sleeping(params.m_sleeping != 0),
      m_mass_divisor(params.m_mass_divisor), m_reserved(params.m_reserved),
      m_damping(params.m_damping), m_radius(params.m_radius), m_extents(params.m_extents),
      m_collision_mesh(params.m_collision_mesh) {}

PhysXComponent::~PhysXComponent() {
    ReleaseActor();
}

void PhysXComponent::ReleaseActor() {
    if (m_actor != nullptr) {
        m_actor->GetScene().ReleaseActor(m_actor);
        m_actor = nullptr;
    }
}

void PhysXComponent::Initialize() {
    if (Contains(m_object_type, "InvisiblePlane")) {
        m_shape_kind = kPlane;
    } else if (Contains(m_object_type, "Sphere") || m_object_type == "FakeRobotHead") {
        m_shape_kind = kSphere;
    }
}

void PhysXComponent::Finalize() {
    if (!m_actor_created && owner != nullptr) {
        CreateActor();
        m_actor_created = true;
    }
}

void PhysXComponent::Update(float) {
    if (!m_actor_created) {
        if (owner != nullptr) {
            CreateActor();
            m_actor_created = true;
        }
        return;
    }
    if (m_actor == nullptr || !m_actor->IsDynamic() || owner == nullptr) {
        return;
    }
    const physics::Quat q = m_actor->GetOrientation();
    owner->orientation.x = q.x;
    owner->orientation.y = q.y;
    owner->orientation.z = q.z;
    owner->orientation.w = -q.w;
    const physics::Vec3 p = m_actor->GetPosition();
    owner->position.x = p.x;
    owner->position.y = p.y;
    owner->position.z = p.z;
    const physics::Vec3 v = m_actor->GetLinearVelocity();
    owner->velocity.x = v.x;
    owner->velocity.y = v.y;
    owner->velocity.z = v.z;
}

void PhysXComponent::CreateActor() {
    physics::Scene* scene = m_process != nullptr ? m_process->GetScene() : nullptr;
    if (owner == nullptr || scene == nullptr || m_actor != nullptr) {
        return;
    }
    GameObject& object = *owner;
    const std::string& type = m_object_type;
    object.SetBoundingBox(new BoundingBox(m_extents));
    object.SetBoundingSphere(new BoundingSphere(m_radius));

    m_extents =
        Vector(m_extents.x * std::abs(object.scale.x), m_extents.y * std::abs(object.scale.y),
               m_extents.z * std::abs(object.scale.z));
    const float largestScale =
        std::max({std::abs(object.scale.x), std::abs(object.scale.y), std::abs(object.scale.z)});
    m_radius = m_shape_kind == kSphere ? std::max({m_extents.x, m_extents.y, m_extents.z})
                                       : m_radius * largestScale;

    // A record cut short before its mesh name has no mesh either.
    const bool isMesh = !m_collision_mesh.empty() && m_collision_mesh != "false";
    if (m_shape_kind != kPlane && !(m_mass_divisor > 0.0f)) {
        sys::Log() << "No physics body for " << type << ": its mass divisor is not positive";
        return;
    }
    const float shapeMass = m_shape_kind == kPlane ? 0.0f : 1.0f / m_mass_divisor;

    physics::ActorDesc desc;
    desc.body = physics::BodyKind::kDynamic;
    physics::ShapeDesc box;
    box.kind = physics::ShapeKind::kBox;
    box.halfExtents = ToVec3(m_extents);
    box.mass = shapeMass;

    // The first row that matches the type name applies.
    bool trigger = false;
    if (Contains(type, "Trigger")) {
        trigger = true;
        desc.body = physics::BodyKind::kKinematic;
        box.trigger = true;
        desc.mass = shapeMass;
        desc.inertia = physics::Vec3{1.0f, 1.0f, 1.0f};
    } else if (Contains(type, "FakeRobot")) {
        desc.bodyFlags |= physics::body_flag::kFrozenRot;
        EnableCcd(desc, m_extents, 500.0f);
    } else if (Contains(type, "Robot") || Contains(type, "AnimTest")) {
        desc.bodyFlags |= physics::body_flag::kFrozenRot;
        EnableCcd(desc, m_extents, 100.0f);
    } else if (Contains(type, "CardboardCity") || Contains(type, "GateBlocker") ||
               Contains(type, "AI-Boss-Fly-Mothership") || Contains(type, "Coil") ||
               Contains(type, "WallboardArrow") || Contains(type, "BuildingMarketHeavy")) {
        desc.body = physics::BodyKind::kKinematic;
        box.mass = 0.0f;
        EnableCcd(desc, m_extents, 100.0f);
    } else if (type == "BuildingNeedle") {
        desc.body = physics::BodyKind::kKinematic;
    }

    if (!isMesh) {
        switch (m_shape_kind) {
        case kPlane: {
            desc.body = physics::BodyKind::kStatic;
            desc.bodyFlags = 0;
            desc.ccdMotionThreshold = 0.0f;
            desc.mass = 0.0f;
            desc.inertia = physics::Vec3{};
            physics::ShapeDesc floor;
            floor.kind = physics::ShapeKind::kPlane;
            desc.shapes.push_back(floor);
            if (Contains(type, "InvisiblePlane")) {
                physics::ShapeDesc ceiling = floor;
                ceiling.planeNormal = physics::Vec3{0.0f, -1.0f, 0.0f};
                ceiling.planeDistance = -kCeilingHeight;
                desc.shapes.push_back(ceiling);
            }
            break;
        }
        case kSphere: {
            physics::ShapeDesc sphere;
            sphere.kind = physics::ShapeKind::kSphere;
            sphere.radius = m_radius;
            sphere.material = 2;
            sphere.mass = shapeMass * kSphereMassFactor;
            sphere.trigger = trigger;
            desc.shapes.push_back(sphere);
            desc.density = kSphereDensity;
            break;
        }
        default:
            desc.shapes.push_back(box);
            desc.density = trigger ? 0.0f : kBodyDensity;
            break;
        }
    } else {
        std::vector<PhysicsInfo> records;
        Message<std::pair<std::vector<PhysicsInfo>*, std::pair<std::string, GameObject*>>> ask(
            MSG_GRAPHICS_GET_COLLISION_MESH_DATA, {&records, {m_collision_mesh, &object}});
        SendMessage(&ask, HANDLER_GRAPHICS_PROCESS);
        if (records.empty()) {
            sys::Log() << "No physics body for " << type << ": no collision boxes for mesh "
                       << m_collision_mesh;
            return;
        }
        for (const PhysicsInfo& record : records) {
            physics::ShapeDesc shape;
            if (record.m_name == PhysicsInfo::kSphereName) {
                shape.kind = physics::ShapeKind::kSphere;
                shape.radius = std::max(
                    {record.m_dimensions[0], record.m_dimensions[1], record.m_dimensions[2]});
            } else {
                shape.kind = physics::ShapeKind::kBox;
                shape.halfExtents = physics::Vec3{record.m_dimensions[0], record.m_dimensions[1],
                                                  record.m_dimensions[2]};
            }
            shape.localPose.orientation = FromRotation(record.m_rotation);
            shape.localPose.position = physics::Vec3{
                record.m_translation[0], record.m_translation[1], record.m_translation[2]};
            shape.mass = record.m_mass / m_mass_divisor;
            shape.trigger = trigger;
            desc.shapes.push_back(shape);
        }
        desc.density = kBodyDensity;
    }
    if (desc.body != physics::BodyKind::kStatic) {
        desc.linearDamping = m_damping;
        desc.angularDamping = m_damping;
    }

    // Per-type body flags.
    if (desc.body != physics::BodyKind::kStatic) {
        if (Contains(type, "Ground-")) {
            desc.bodyFlags |= physics::body_flag::kFrozenRot | physics::body_flag::kFrozenPosY;
        } else if (Contains(type, "Fly-")) {
            m_gravity_enabled = false;
            desc.bodyFlags |= physics::body_flag::kFrozenRot | physics::body_flag::kFrozenPosY;
        } else if (type == "Rocket" || type == "Bullet" || type == "LaserPulse") {
            m_gravity_enabled = false;
            desc.bodyFlags |= physics::body_flag::kFrozenRot;
        } else if (type == "FakeRobotRightArm" || type == "FakeRobotLeftArm") {
            m_gravity_enabled = false;
        }
    }
    desc.gravity = m_gravity_enabled;
    m_kinematic = desc.body == physics::BodyKind::kKinematic;

    desc.pose.position = ToVec3(object.position);
    desc.pose.orientation = ToActorQuat(object.orientation);
    // Robot parts never touch one another; everything else touches every other id.
    desc.groupsMask = Contains(type, "Robot") || Contains(type, "AnimTest") ? 0u : m_id;
    desc.userData = this;

    m_actor = scene->CreateActor(desc);
    if (m_actor == nullptr) {
        sys::Log() << "No physics body for " << type << ": the scene refused its shapes";
        return;
    }
    if (m_sleeping) {
        m_actor->PutToSleep();
    }
}

void PhysXComponent::SyncToActor() {
    if (m_actor == nullptr || owner == nullptr) {
        return;
    }
    m_sleeping = m_actor->IsSleeping();
    if (owner->velocityChanged) {
        owner->velocityChanged = false;
        m_actor->SetLinearVelocity(ToVec3(owner->velocity));
    }
    if (owner->positionChanged) {
        const bool sleeping = m_actor->IsSleeping();
        m_actor->SetPosition(ToVec3(owner->position));
        if (sleeping) {
            m_actor->PutToSleep();
        }
        owner->positionChanged = false;
    }
    if (owner->orientationChanged) {
        owner->orientationChanged = false;
        const bool sleeping = m_actor->IsSleeping();
        m_actor->SetOrientation(ToActorQuat(owner->orientation));
        if (sleeping) {
            m_actor->PutToSleep();
        }
    }
}

static_assert(PhysXComponent::kLongestFrame == physics::Scene::kMaxSteps * physics::Scene::kStep,
              "a frame's push lasts what the simulation covers");

void PhysXComponent::Move(const Vector& v) {
    if (m_actor != nullptr) {
        m_actor->AddSmoothImpulse(ToVec3(v * m_actor->GetMass()));
    }
}

void PhysXComponent::SetCollisionEnabled(bool enabled) {
    m_collision_enabled = enabled;
    if (m_actor != nullptr) {
        m_actor->SetCollisionEnabled(enabled);
    }
}

void PhysXComponent::SetGravityEnabled(bool enabled) {
    m_gravity_enabled = enabled;
    if (m_actor != nullptr) {
        m_actor->SetGravityEnabled(enabled);
    }
}

void PhysXComponent::SetGroupsMask(u32 mask) {
    if (m_actor != nullptr) {
        m_actor->SetGroupsMask(mask);
    }
}

u32 PhysXComponent::GetGroupsMask() const {
    return m_actor != nullptr ? m_actor->GroupsMask() : 0u;
}

void PhysXComponent::SetKinematic(bool kinematic) {
    m_kinematic = kinematic;
    if (m_actor != nullptr) {
        m_actor->SetKinematic(kinematic);
    }
}

void PhysXComponent::UnfreezeAll() {
    ClearBodyFlags(physics::body_flag::kFrozen);
}

void PhysXComponent::FreezeAll() {
    RaiseBodyFlags(physics::body_flag::kFrozen);
}

void PhysXComponent::FreezePositionY() {
    RaiseBodyFlags(physics::body_flag::kFrozenPosY);
}

void PhysXComponent::RaiseBodyFlags(u32 flags) {
    if (m_actor != nullptr) {
        m_actor->RaiseBodyFlags(flags);
    }
}

void PhysXComponent::ClearBodyFlags(u32 flags) {
    if (m_actor != nullptr) {
        m_actor->ClearBodyFlags(flags);
    }
}

void PhysXComponent::ApplyDamping() {
    if (m_actor != nullptr) {
        m_actor->SetLinearDamping(m_damping);
        m_actor->SetAngularDamping(m_damping);
    }
}

void PhysXComponent::SetDamping(float damping) {
    m_damping = damping;
    ApplyDamping();
}

void PhysXComponent::RestoreSleepState() {
    SetSleeping(m_sleeping);
}

void PhysXComponent::PutToSleep() {
    if (m_actor != nullptr) {
        m_actor->PutToSleep();
    }
}

void PhysXComponent::SetSleeping(bool sleeping) {
    m_sleeping = sleeping;
    if (m_actor == nullptr) {
        return;
    }
    if (sleeping) {
        m_actor->PutToSleep();
    } else {
        m_actor->WakeUp(kWakeCounter);
    }
}

void PhysXComponent::Land() {
    SetGravityEnabled(false);
    if (m_actor != nullptr) {
        physics::Vec3 v = m_actor->GetLinearVelocity();
        v.y = 0.0f;
        m_actor->SetLinearVelocity(v);
    }
}

void PhysXComponent::AddTorque(const Vector& torque) {
    if (m_actor != nullptr) {
        m_actor->AddTorque(ToVec3(torque));
    }
}

void PhysXComponent::ApplyParams(const PhysicsParams& params) {
    m_mass_divisor = params.m_mass_divisor;
    m_reserved = params.m_reserved;
    SetSleeping(params.m_sleeping != 0);
    SetDamping(params.m_damping);
}

void PhysXComponent::HandleMessage(BaseMessage* msg, u32 /*fromId*/) {
    if (msg == nullptr || msg->type != MSG_PHYSICS_PIECE_BODY) {
        return;
    }
    if (const PieceBody* piece = msg->Payload<PieceBody>()) {
        TakePieceBody(*piece);
    }
}

void PhysXComponent::TakePieceBody(const PieceBody& piece) {
    const auto* const broken = piece.m_broken != nullptr
                                   ? dynamic_cast<const PhysXComponent*>(
                                         piece.m_broken->GetComponent(ComponentType::Physics))
                                   : nullptr;
    ReleaseActor();
    m_extents = piece.m_half_extents;
    m_radius = piece.m_radius;
    m_shape_kind = piece.m_sphere ? kSphere : kBox;
    m_collision_mesh = "false";
    m_mass_divisor = PieceMassDivisor(broken != nullptr ? broken->m_mass_divisor : 1.0f,
                                      piece.m_volume_share, m_object_type == PieceBody::kHeavyType);
    if (broken != nullptr) {
        m_reserved = broken->m_reserved;
    }
    m_sleeping = !piece.m_awake;
    CreateActor();
    m_actor_created = true;
    // Pieces that do not fly apart rest where they broke off.
    if (!piece.m_awake || m_actor == nullptr || owner == nullptr || broken == nullptr ||
        broken->m_actor == nullptr || !m_actor->IsDynamic()) {
        return;
    }
    // The piece leaves with the broken body's velocity at its place: the body's own plus
    // its turn's.
    const physics::Vec3 linear = broken->m_actor->GetLinearVelocity();
    const physics::Vec3 angular = broken->m_actor->GetAngularVelocity();
    const Vector turn(angular.x, angular.y, angular.z);
    const Vector velocity = Vector(linear.x, linear.y, linear.z) +
                            turn.Cross(owner->position - piece.m_broken->position);
    m_actor->SetLinearVelocity(ToVec3(velocity));
    owner->velocity = velocity;
    m_actor->WakeUp(kWakeCounter);
}

float PhysXComponent::GetMass() const {
    return m_actor != nullptr ? m_actor->GetMass() : 0.0f;
}

Vector PhysXComponent::GetMassSpaceInertia() const {
    if (m_actor == nullptr) {
        return Vector();
    }
    const physics::Vec3 i = m_actor->GetMassSpaceInertia();
    return Vector(i.x, i.y, i.z);
}
