#include "animation/skeleton.h"

#include <algorithm>

#include "core/math_functions.h"
#include "core/matrix.h"

namespace {

// A copy of any joint as a pose joint; a joint without pose values gives the empty one.
AnimationJoint* CopyOf(const Joint& joint) {
    if (const auto* pose = dynamic_cast<const AnimationJoint*>(&joint)) {
        return new AnimationJoint(*pose);
    }
    return new AnimationJoint();
}

} // namespace

Skeleton::Skeleton(const Skeleton& other) : m_owns_joints(true) {
    CopyFrom(other);
}

Skeleton& Skeleton::operator=(const Skeleton& source) {
    if (&source == this) {
        return *this;
    }
    if (m_owns_joints) {
        CopyFrom(source);
    } else {
        AssignJoints(source);
    }
    return *this;
}

void Skeleton::AddJoint(Joint* joint) {
    if (joint != nullptr) {
        m_joints.push_back(boost::shared_ptr<Joint>(joint));
    }
}

void Skeleton::CopyFrom(const Skeleton& source) {
    // Built aside first, so copying from a skeleton that shares joints with this one works.
    std::vector<boost::shared_ptr<Joint>> copies;
    copies.reserve(source.m_joints.size());
    for (const boost::shared_ptr<Joint>& joint : source.m_joints) {
        copies.push_back(boost::shared_ptr<Joint>(CopyOf(*joint)));
    }
    m_joints.swap(copies);
}

void Skeleton::AssignJoints(const Skeleton& source) {
    const std::size_t count = std::min(m_joints.size(), source.m_joints.size());
    for (std::size_t i = 0; i < count; ++i) {
        m_joints[i]->Assign(*source.m_joints[i]);
    }
}

AnimationJoint* Skeleton::PoseJoint(std::size_t slot) const {
    return slot < m_joints.size() ? dynamic_cast<AnimationJoint*>(m_joints[slot].get()) : nullptr;
}

Skeleton Skeleton::operator*(float s) const {
    Skeleton result(*this);
    for (std::size_t i = 0; i < result.m_joints.size(); ++i) {
        *result.PoseJoint(i) *= s;
    }
    return result;
}

Skeleton Skeleton::operator+(const Skeleton& other) const {
    Skeleton result(*this);
    result += other;
    return result;
}

Skeleton& Skeleton::Accumulate(const Skeleton& other, BlendMode mode) {
    const std::size_t count = std::min(m_joints.size(), other.m_joints.size());
    for (std::size_t i = 0; i < count; ++i) {
        AnimationJoint* const joint = PoseJoint(i);
        const AnimationJoint* const source = other.PoseJoint(i);
        if (joint != nullptr && source != nullptr) {
            joint->Accumulate(*source, mode);
        }
    }
    return *this;
}

Skeleton& Skeleton::ScaleWeights(float w) {
    for (std::size_t i = 0; i < m_joints.size(); ++i) {
        if (AnimationJoint* const joint = PoseJoint(i)) {
            joint->m_scale *= w;
        }
    }
    return *this;
}

void Skeleton::Interpolate(Skeleton& out, const Skeleton& a, const Skeleton& b, float t) {
    const std::size_t count = std::min(a.m_joints.size(), b.m_joints.size());
    for (std::size_t i = 0; i < count; ++i) {
        const AnimationJoint* const from = a.PoseJoint(i);
        const AnimationJoint* const to = b.PoseJoint(i);
        if (from == nullptr || to == nullptr) {
            continue;
        }
        out.AddJoint(new AnimationJoint(Math::QuaternionSlerp(from->m_rotation, to->m_rotation, t),
                                        from->m_position * (1.0f - t) + to->m_position * t,
                                        from->m_scale * (1.0f - t) + to->m_scale * t));
    }
}

void Skeleton::ApplyAxisRotation(const AxisRotation& rotation, const std::vector<float>& weights) {
    const std::size_t count = std::min(m_joints.size(), weights.size());
    for (std::size_t i = 0; i < count; ++i) {
        AnimationJoint* const joint = PoseJoint(i);
        if (joint == nullptr) {
            continue;
        }
        const float w = weights[i];
        // The head sits far from the pivot and would lag behind the body it rests on.
        const float positionWeight = i == kHead ? std::clamp(2.0f * w, 0.0f, 1.0f) : w;
        Matrix::FromAxisAngle(joint->m_position, rotation.pivot, rotation.axis,
                              positionWeight * rotation.angle);
        const Quaternion turn = Math::QuaternionRotationMatrix(
            Math::MatrixRotationAxis(rotation.axis, rotation.angle * w));
        joint->m_rotation = Math::QuaternionMultiply(turn, joint->m_rotation);
    }
}
