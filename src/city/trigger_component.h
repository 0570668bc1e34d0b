#pragma once
// The "Trigger" component: an invisible volume that sets an event off when the robot walks
// into it. A "TriggerTank" switches the AI off once, on the robot's first contact, and is
// then deleted by its process; every other trigger does nothing.
#include "core/definition_component.h"
#include "core/memory_allocator.h"

class TriggerComponent : public DefinitionComponent, public Allocator<TriggerComponent> {
  public:
    static constexpr const char* kTankTrigger = "TriggerTank";
    static constexpr const char* kRobotBody = "RobotBase";

    using DefinitionComponent::DefinitionComponent;

    // MSG_PHYSICS_COLLISION: the robot's body entering, staying in or leaving the volume.
    void HandleMessage(BaseMessage* msg, u32 fromId) override;
    // Fires a "TriggerTank" again, whatever it did before; leaves it in place.
    void Activate();

    // Set on the robot's first contact: the process deletes the trigger's object.
    bool m_triggered = false;

  private:
    void DisableAI();
};
