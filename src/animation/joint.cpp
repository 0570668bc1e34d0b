#include "animation/joint.h"

#include "core/game_object.h"
#include "core/math_functions.h"

void AnimationJoint::Assign(const Joint& source) {
    if (const auto* joint = dynamic_cast<const AnimationJoint*>(&source)) {
        m_position = joint->m_position;
        m_rotation = joint->m_rotation;
        m_scale = joint->m_scale;
    }
}

AnimationJoint& AnimationJoint::operator*=(float s) {
    m_position *= s;
    m_rotation = Quaternion{m_rotation.x * s, m_rotation.y * s, m_rotation.z * s, m_rotation.w * s};
    m_scale *= s;
    return *this;
}

void AnimationJoint::Accumulate(const AnimationJoint& source, BlendMode mode) {
    if (mode == BlendMode::Additive) {
        m_position += source.m_position;
        m_rotation =
            Quaternion{m_rotation.x + source.m_rotation.x, m_rotation.y + source.m_rotation.y,
                       m_rotation.z + source.m_rotation.z, m_rotation.w + source.m_rotation.w};
        m_scale += source.m_scale;
        return;
    }
    const float w = source.m_scale;
    m_position = m_position * (1.0f - w) + source.m_position * w;
    m_rotation = Math::QuaternionSlerp(m_rotation, source.m_rotation, w);
}

void JointComponent::Assign(const Joint& source) {
    const auto* joint = dynamic_cast<const AnimationJoint*>(&source);
    if (joint == nullptr) {
        return;
    }
    m_position = joint->m_position;
    if (owner != nullptr) {
        owner->m_local_position = joint->m_position;
        owner->m_local_rotation = joint->m_rotation;
    }
}

void JointComponent::ApplyToOwner() {
    ApplyOwnerPosition();
    ApplyOwnerRotation();
}

void JointComponent::ApplyOwnerPosition() {
    if (owner == nullptr) {
        return;
    }
    const GameObject& frame = owner->parentObject != nullptr ? *owner->parentObject : *owner;
    // The kept position rather than the local one, which the previous call already turned.
    const Vector turned = Vector::Transform(m_position, Quaternion::ToMatrix(frame.orientation));
    owner->m_local_position = turned;
    owner->SetPosition(turned + frame.position);
}

void JointComponent::ApplyOwnerRotation() {
    if (owner == nullptr) {
        return;
    }
    const Quaternion& frame =
        owner->parentObject != nullptr ? owner->parentObject->orientation : owner->orientation;
    owner->SetOrientation(Math::QuaternionMultiply(frame, owner->m_local_rotation));
}
