#pragma once
// A body in a physics scene, made from an ActorDesc. Static actors have no body; dynamic
// and kinematic ones do. Pushes wait for the next step that runs; poses and velocities
// written here take effect at once.
#include <cstdint>
#include <vector>

#include "platform/physics/types.h"

namespace physics {

class Scene;

enum class ShapeKind { kBox, kSphere, kPlane };

struct ShapeDesc {
    ShapeKind kind = ShapeKind::kBox;
    Vec3 halfExtents{0.5f, 0.5f, 0.5f}; // box
    float radius = 0.5f;                // sphere
    Vec3 planeNormal{0.0f, 1.0f, 0.0f}; // plane: points p with dot(normal, p) = distance
    float planeDistance = 0.0f;
    Pose localPose;    // box and sphere, relative to the actor
    float mass = 0.0f; // > 0: this shape's mass; otherwise the actor's density decides
    std::uint32_t material = 0;
    bool trigger =
        false; // reports crossings instead of touching; all solid shapes of an actor or none
};

enum class BodyKind { kStatic, kDynamic, kKinematic };

struct ActorDesc {
    BodyKind body = BodyKind::kStatic;
    std::vector<ShapeDesc> shapes;
    Pose pose;
    float density = 0.0f; // mass per unit volume of shapes that give no mass of their own
    float mass = 0.0f;    // > 0: replaces the mass found from the shapes
    Vec3 inertia{};       // all > 0: replaces the mass-space inertia found from the shapes
    float ccdMotionThreshold =
        0.0f; // speed (units per second) above which motion is swept; 0 = never
    float ccdSweptRadius = 0.0f;
    std::uint32_t bodyFlags = 0; // frozen axes (body_flag)
    bool gravity = true;
    float linearDamping = 0.0f;
    float angularDamping = 0.0f;
    std::uint32_t groupsMask = 0;
    void* userData = nullptr;
};

class Actor {
  public:
    Scene& GetScene() const { return *m_scene; }
    void* UserData() const { return m_userData; }
    void SetUserData(void* data) { m_userData = data; }

    // Has a body: dynamic or kinematic.
    bool IsDynamic() const;
    bool IsKinematic() const;

    // Writes to a static actor are ignored. Writes teleport; a sleeping body stays asleep.
    Vec3 GetPosition() const;
    Quat GetOrientation() const;
    void SetPosition(const Vec3& position);
    void SetOrientation(const Quat& orientation);

    Vec3 GetLinearVelocity() const;
    Vec3 GetAngularVelocity() const;
    void SetLinearVelocity(const Vec3& velocity);
    void SetAngularVelocity(const Vec3& velocity);

    // Pushes land on the next Simulate that runs a step: impulses once before its first
    // step, forces and torques on every step of that call. A smooth impulse is shared out in
    // equal parts over the steps of that call, so a frame's worth of steering reaches the body
    // at the same rate however many steps the frame takes.
    void AddImpulse(const Vec3& impulse, bool wake = true);
    void AddSmoothImpulse(const Vec3& impulse, bool wake = true);
    void AddForce(const Vec3& force, bool wake = true);
    void AddTorque(const Vec3& torque, bool wake = true);
    // The sum of the impulses given since the last step, still to land.
    Vec3 PendingImpulse() const;

    // Each step scales velocity by max(0, 1 - c * step); any c >= 0.
    void SetLinearDamping(float c);
    void SetAngularDamping(float c);
    float LinearDamping() const;
    float AngularDamping() const;

    void SetGravityEnabled(bool enabled);
    bool GravityEnabled() const;

    // Frozen axes by body_flag values; other bits are ignored.
    void RaiseBodyFlags(std::uint32_t flags);
    void ClearBodyFlags(std::uint32_t flags);
    std::uint32_t BodyFlags() const;

    void SetCollisionEnabled(bool enabled);
    bool CollisionEnabled() const;
    // Two actors touch only when both have collision on and their masks differ.
    void SetGroupsMask(std::uint32_t mask);
    std::uint32_t GroupsMask() const;

    // Kinematic bodies keep their mass and inertia for when they turn dynamic again.
    void SetKinematic(bool kinematic);

    void PutToSleep();
    // The body stays awake for at least wakeCounter seconds.
    void WakeUp(float wakeCounter = kDefaultWakeCounter);
    bool IsSleeping() const;

    float GetMass() const;
    Vec3 GetMassSpaceInertia() const;
    void SetMass(float mass);
    void SetMassSpaceInertia(const Vec3& inertia);

    static constexpr float kDefaultWakeCounter = 0.4f;

  protected:
    Actor(Scene& scene, void* userData) : m_scene(&scene), m_userData(userData) {}
    ~Actor() = default;
    Actor(const Actor&) = delete;
    Actor& operator=(const Actor&) = delete;

  private:
    Scene* const m_scene;
    void* m_userData;
};

} // namespace physics
