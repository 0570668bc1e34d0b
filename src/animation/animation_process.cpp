#include "animation/animation_process.h"

#include <algorithm>

#include "animation/animation_controller.h"
#include "animation/joint.h"

namespace {

// Takes the item out of the list; false when it is not there.
template <class T> bool Erase(std::vector<T*>& list, T* item) {
    const auto found = std::find(list.begin(), list.end(), item);
    if (found == list.end()) {
        return false;
    }
    list.erase(found);
    return true;
}

} // namespace

AnimationProcess::~AnimationProcess() {
    // The skeletons own their joints; the component list must not delete them again.
    for (const std::unique_ptr<Skeleton>& skeleton : m_skeletons) {
        for (const boost::shared_ptr<Joint>& joint : skeleton->m_joints) {
            m_components.Release(dynamic_cast<JointComponent*>(joint.get()));
        }
        skeleton->Clear();
    }
}

void AnimationProcess::Update(float dt) {
    for (std::size_t i = 0; i < m_controllers.size(); ++i) {
        m_controllers[i]->Update(dt);
    }
}

Component* AnimationProcess::CreateComponent(StreamMap* parameters) {
    Component* const made = CreateFromStream<JointComponent, AnimationController>(
        parameters, ComponentType::Joint, ComponentType::AnimationController);
    if (auto* joint = dynamic_cast<JointComponent*>(made)) {
        m_free_joints.push_back(joint);
    } else if (auto* controller = dynamic_cast<AnimationController*>(made)) {
        m_controllers.push_back(controller);
    }
    return made;
}

void AnimationProcess::RemoveComponent(Component* component) {
    if (auto* joint = dynamic_cast<JointComponent*>(component)) {
        for (const std::unique_ptr<Skeleton>& skeleton : m_skeletons) {
            auto& joints = skeleton->m_joints;
            const auto found = std::find_if(
                joints.begin(), joints.end(),
                [joint](const boost::shared_ptr<Joint>& held) { return held.get() == joint; });
            if (found != joints.end()) {
                m_components.Release(joint);
                // The last reference: the joint is destroyed here.
                joints.erase(found);
                return;
            }
        }
        Erase(m_free_joints, joint);
    } else if (auto* controller = dynamic_cast<AnimationController*>(component)) {
        Erase(m_controllers, controller);
    }
    m_components.Remove(component);
}

Skeleton* AnimationProcess::AddSkeleton() {
    m_skeletons.push_back(std::make_unique<Skeleton>(false));
    return m_skeletons.back().get();
}

JointComponent* AnimationProcess::DetachJoint(JointComponent* joint) {
    return Erase(m_free_joints, joint) ? joint : nullptr;
}

u32 AnimationProcess::FindComponentIndex(const Component* component) const {
    const i32 index = m_components.IndexOf(component);
    return index < 0 ? 0u : static_cast<u32>(index);
}
