#include "animation/animation_process.h"

#include <algorithm>
#include <iterator>
#include <string>

#include "animation/animation_controller.h"
#include "animation/joint.h"
#include "core/message.h"

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
    ComponentHeader header;
    if (parameters == nullptr || !header.Read(parameters)) {
        return nullptr;
    }
    // Only the robot's parts are rigged: the same kinds under other object types make nothing.
    static const char* const kParts[] = {"RobotBody", "RobotHead", "RobotRightArm", "RobotLeftArm",
                                         "RobotLeg"};
    const std::string& part = header.m_object_type;
    const ComponentType type = header.Type();
    if (type == ComponentType::Joint &&
        std::find(std::begin(kParts), std::end(kParts), part) != std::end(kParts)) {
        auto* const joint = m_components.Create<JointComponent>(this, part);
        m_free_joints.push_back(joint);
        return joint;
    }
    if (type == ComponentType::AnimationController && part == "RobotBase") {
        auto* const controller = m_components.Create<AnimationController>(this, part);
        m_controllers.push_back(controller);
        return controller;
    }
    return nullptr;
}

void AnimationProcess::HandleMessage(BaseMessage* message, u32 /*sender*/) {
    if (message == nullptr || message->type != MSG_ANIMATION_REINITIALIZE) {
        return;
    }
    for (std::size_t i = 0; i < m_controllers.size(); ++i) {
        m_controllers[i]->Initialize();
    }
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
