#pragma once
// A pose of the robot: its joints in slot order Body, Head, RightArm, LeftArm, RightLeg,
// LeftLeg. An owning skeleton holds AnimationJoints of its own (clip key frames, blended
// poses); the robot's bound skeleton holds the JointComponents of its body parts, so
// assigning a pose to it moves the robot. Operations on two skeletons walk both in step and
// stop at the end of the shorter one.
#include <vector>

#include <boost/shared_ptr.hpp>

#include "animation/joint.h"
#include "core/memory_allocator.h"
#include "core/vector.h"

// An extra turn of a pose: by angle (radians) about the line through pivot along the unit
// vector axis.
struct AxisRotation {
    Vector axis;
    Vector pivot;
    float angle = 0.0f;
};

class Skeleton : public Allocator<Skeleton> {
  public:
    static constexpr int kBody = 0;
    static constexpr int kHead = 1;
    static constexpr int kRightArm = 2;
    static constexpr int kLeftArm = 3;
    static constexpr int kRightLeg = 4;
    static constexpr int kLeftLeg = 5;
    static constexpr int kSlotCount = 6;

    explicit Skeleton(bool ownsJoints = true) : m_owns_joints(ownsJoints) {}
    // Always owning, with copies of the other's joints.
    Skeleton(const Skeleton& other);
    // Keeps the flag and the joints of other. There is no move assignment: assigning to a
    // bound skeleton must go through its joints.
    Skeleton(Skeleton&& other) = default;
    // Copies the source's joints into an owning skeleton; pushes them into the joints of a
    // bound one, whose length never changes.
    Skeleton& operator=(const Skeleton& source);

    // Takes ownership of the joint; null is ignored.
    void AddJoint(Joint* joint);
    void Clear() { m_joints.clear(); }
    // Drops the own joints and appends an AnimationJoint copy of each of source's.
    void CopyFrom(const Skeleton& source);
    // Assigns each slot's source joint to the joint of the same slot.
    void AssignJoints(const Skeleton& source);

    // An owning copy with all eight floats of every joint multiplied by s.
    Skeleton operator*(float s) const;
    // An owning copy, each joint accumulated additively with the other's of its slot.
    Skeleton operator+(const Skeleton& other) const;
    Skeleton& operator+=(const Skeleton& other) { return Accumulate(other, BlendMode::Additive); }
    Skeleton& Accumulate(const Skeleton& other, BlendMode mode);
    // Multiplies only the weights.
    Skeleton& ScaleWeights(float w);

    // Appends to out, for each slot in both a and b, the joint t of the way from a to b.
    static void Interpolate(Skeleton& out, const Skeleton& a, const Skeleton& b, float t);

    // Turns each joint by weights[slot] × the angle: the rotation is preceded by the turn,
    // and the position turned about the line (the head's position by twice its weight, at
    // most the full angle).
    void ApplyAxisRotation(const AxisRotation& rotation, const std::vector<float>& weights);

    // The AnimationJoint of a slot, or null when the slot is missing or holds another kind.
    AnimationJoint* PoseJoint(std::size_t slot) const;

    std::vector<boost::shared_ptr<Joint>> m_joints;
    bool m_owns_joints;
};
