#pragma once
// The joints a skeleton is made of: AnimationJoint, one joint of a pose (position, rotation
// and blend weight), and JointComponent, the joint of a robot body-part object, which places
// its object whenever a pose is assigned to it.
#include "core/definition_component.h"
#include "core/memory_allocator.h"
#include "core/quaternion.h"
#include "core/vector.h"

// How Accumulate combines a joint into another. Additive sums all eight floats (the
// cross-fades of one track are built that way); Weighted lets the source take over in
// proportion to its weight (the layering of tracks over each other).
enum class BlendMode { Additive, Weighted };

// The data-less root of all joints.
class Joint : public Allocator<Joint> {
  public:
    Joint() = default;
    Joint(const Joint&) = default;
    Joint& operator=(const Joint&) = default;
    virtual ~Joint() = default;
    // Takes the values of source; a bare joint has none to take.
    virtual void Assign(const Joint& source) {}
};

class AnimationJoint : public Joint, public Allocator<AnimationJoint> {
  public:
    using Allocator<AnimationJoint>::operator new;
    using Allocator<AnimationJoint>::operator delete;

    AnimationJoint() = default;
    AnimationJoint(const Quaternion& rotation, const Vector& position, float scale)
        : m_position(position), m_rotation(rotation), m_scale(scale) {}
    AnimationJoint(const AnimationJoint& other)
        : Joint(), m_position(other.m_position), m_rotation(other.m_rotation),
          m_scale(other.m_scale) {}
    AnimationJoint& operator=(const AnimationJoint& other) {
        Assign(other);
        return *this;
    }

    // Copies the three fields when source is an AnimationJoint.
    void Assign(const Joint& source) override;
    // Multiplies all eight floats (position, rotation, weight) by s.
    AnimationJoint& operator*=(float s);
    // Additive: each of the eight floats += the source's. Weighted: with w the source's
    // weight, position and rotation move the fraction w of the way to the source's
    // (rotation along the shorter arc); the weight stays.
    void Accumulate(const AnimationJoint& source, BlendMode mode = BlendMode::Additive);

    // Offset from the base object, in the base object's frame.
    Vector m_position;
    // Rotation relative to the base object.
    Quaternion m_rotation;
    // The blend weight; never used as a geometric scale.
    float m_scale = 0.0f;
};

// The "Joint" component of a robot body part.
class JointComponent : public Joint, public DefinitionComponent, public Allocator<JointComponent> {
  public:
    using Allocator<JointComponent>::operator new;
    using Allocator<JointComponent>::operator delete;

    using DefinitionComponent::DefinitionComponent;

    // Sets the owner's local position and rotation from an AnimationJoint source and keeps
    // the position; the source's weight is not used.
    void Assign(const Joint& source) override;
    // ApplyOwnerPosition, then ApplyOwnerRotation.
    void ApplyToOwner();
    // The last assigned position, turned by the frame of the owner's parent (the owner's
    // own when it has none), becomes the owner's local position; that plus the frame's
    // position is the owner's position. Without a parent the owner therefore moves on
    // every call.
    void ApplyOwnerPosition();
    // The owner's orientation becomes the parent's (else its own) followed by the local
    // rotation.
    void ApplyOwnerRotation();

    // The last position assigned.
    Vector m_position;
};
