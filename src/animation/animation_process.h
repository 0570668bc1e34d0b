#pragma once
// The level's skeletal animation (handler 15): creates the "Joint" and "AnimationController"
// components, keeps the bound skeletons that tie the robot's joints to its controller, and
// updates the controllers once per frame.
#include <memory>
#include <vector>

#include "animation/skeleton.h"
#include "core/component_list_process.h"
#include "core/handler_ids.h"

class AnimationController;
class JointComponent;

class AnimationProcess : public ComponentListProcess {
  public:
    static constexpr u32 kHandlerId = HANDLER_ANIMATION_PROCESS;

    AnimationProcess() = default;
    // Destroys the joints its skeletons still hold.
    ~AnimationProcess() override;

    void Update(float dt) override;
    // A "Joint" for one of the robot's part types, an "AnimationController" for "RobotBase";
    // null for anything else.
    Component* CreateComponent(StreamMap* parameters) override;
    // A joint bound to a skeleton leaves it (the later joints move down a slot) and is
    // destroyed; a free joint or a controller is destroyed.
    void RemoveComponent(Component* component) override;
    // MSG_ANIMATION_REINITIALIZE reloads every controller's file clips, in creation order.
    void HandleMessage(BaseMessage* message, u32 sender) override;

    // A new empty bound skeleton, kept until the process ends.
    Skeleton* AddSkeleton();
    // Hands a joint that no skeleton holds yet to the caller, for Skeleton::AddJoint; null
    // when the process does not have it free.
    JointComponent* DetachJoint(JointComponent* joint);
    // The component's index in creation order among those the process still holds (bound
    // joints included); 0 when it holds none such.
    u32 FindComponentIndex(const Component* component) const;

    const std::vector<std::unique_ptr<Skeleton>>& Skeletons() const { return m_skeletons; }

  private:
    std::vector<std::unique_ptr<Skeleton>> m_skeletons;
    // Created and not yet handed to a skeleton.
    std::vector<JointComponent*> m_free_joints;
    std::vector<AnimationController*> m_controllers;
};
