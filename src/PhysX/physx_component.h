#pragma once
// The "Physics" component: the physics body of one game object. It turns the object's
// physics record, type name, pose and scale into one actor of the level's scene, writes the
// actor's pose and velocity back into the object after every step and pushes the object's
// own changes into the actor before every step.
//
// Besides the operations the AI and the player use on their own bodies (Move, the
// toggles, damping and sleep), callers that hold body-flag values as the game stores them
// use RaiseBodyFlags/ClearBodyFlags; SetKinematic also keeps the kinematic state for them;
// a citizen's reset is SetCollisionEnabled(false), PutToSleep(), SetKinematic(true),
// FreezeAll(); a dropped tank's landing is Land(); a thrown part's wake-up is
// SetSleeping(false). Every operation does nothing without an actor and every getter then
// gives zero.
#include <string>

#include "PhysX/physics_params.h"
#include "core/definition_component.h"
#include "core/memory_allocator.h"
#include "core/physics_body.h"
#include "core/types.h"
#include "core/vector.h"

namespace physics {
class Actor;
}
class GameObject;
class PhysXProcess;
struct PieceBody;

class PhysXComponent : public DefinitionComponent,
                       public PhysicsBody,
                       public Allocator<PhysXComponent> {
  public:
    // The longest span one frame's simulation covers (at most eight steps of 1/24 s): a push
    // meant to last a frame lasts no longer than that, however long the frame took.
    static constexpr float kLongestFrame = 8.0f / 24.0f;

    enum ShapeKind : u32 { kBox = 0, kSphere = 1, kPlane = 2 };

    PhysXComponent(const std::string& objectType, const PhysicsParams& params,
                   PhysXProcess* physXProcess);
    ~PhysXComponent() override;
    PhysXComponent(const PhysXComponent&) = delete;
    PhysXComponent& operator=(const PhysXComponent&) = delete;

    // After a step: makes a pending actor, else copies a moving body's pose and velocity
    // into the object.
    void Update(float dt) override;
    // Chooses the shape kind from the type name.
    void Initialize() override;
    // The object is complete: make the actor now rather than at the next step.
    void Finalize() override;
    // Builds the actor once from the record, the type name and the object.
    virtual void CreateActor();
    // Before a step: the object's own velocity, position and orientation changes.
    void SyncToActor();
    // Releases the actor (the scene goes before its components).
    void ReleaseActor();

    // Adds the velocity change v (an impulse of v times the mass), shared out over the steps
    // the next simulation takes: given all at the first step of a long frame, a frame's
    // steering burst the body through walls.
    void Move(const Vector& v) override;
    void SetCollisionEnabled(bool enabled);
    void SetGravityEnabled(bool enabled);
    void SetKinematic(bool kinematic);
    // The actor's collision group: two bodies touch only when their masks differ. A change
    // drops the actor's current pairs.
    void SetGroupsMask(u32 mask);
    u32 GetGroupsMask() const;
    void UnfreezeAll();
    void FreezeAll();
    void FreezePositionY();
    void RaiseBodyFlags(u32 flags);
    void ClearBodyFlags(u32 flags);
    void ApplyDamping();
    void SetDamping(float damping);
    void RestoreSleepState();
    void PutToSleep();
    // Asleep now, or woken for the usual short while.
    void SetSleeping(bool sleeping);
    // A dropped body touching down: gravity off and no vertical speed.
    void Land();
    void AddTorque(const Vector& torque);
    // The editor's change of the record: sleep state, divisor, reserved value, damping.
    void ApplyParams(const PhysicsParams& params);
    // MSG_PHYSICS_PIECE_BODY: this object is a piece of a broken one; its body is rebuilt.
    void HandleMessage(BaseMessage* msg, u32 fromId) override;
    // The piece's box or sphere, its mass by its share of the broken object's, the broken
    // body's reserved value, and the velocity of the broken body at the piece's place.
    void TakePieceBody(const PieceBody& piece);

    float GetMass() const;
    Vector GetMassSpaceInertia() const;
    physics::Actor* GetActor() const { return m_actor; }
    u32 GetId() const { return m_id; }
    void SetId(u32 id) { m_id = id; }
    GameObject* GetOwner() const { return owner; }
    u32 GetShapeKind() const { return m_shape_kind; }
    bool IsActorCreated() const { return m_actor_created; }
    bool IsKinematic() const { return m_kinematic; }
    bool IsGravityEnabled() const { return m_gravity_enabled; }
    bool IsCollisionEnabled() const { return m_collision_enabled; }
    bool IsSleeping() const { return m_sleeping; }
    float GetRadius() const { return m_radius; }
    const Vector& GetExtents() const { return m_extents; }
    float GetDamping() const { return m_damping; }
    float GetReserved() const { return m_reserved; }
    float GetMassDivisor() const { return m_mass_divisor; }
    // "false" unless the body uses a mesh collision shape.
    const std::string& GetCollisionMesh() const { return m_collision_mesh; }

  private:
    PhysXProcess* const m_process;
    physics::Actor* m_actor = nullptr;
    bool m_sleeping = false;
    float m_mass_divisor = 0.0f;
    float m_reserved = 0.0f;
    float m_damping = 0.0f;
    float m_radius = 0.0f;
    Vector m_extents;
    bool m_actor_created = false;
    bool m_gravity_enabled = true;
    bool m_collision_enabled = true;
    bool m_kinematic = false;
    u32 m_id = 0;
    u32 m_shape_kind = kBox;
    std::string m_collision_mesh;
};
