#pragma once
// The scene's contact and trigger receivers: each turns a report into MSG_PHYSICS_COLLISION
// messages to the objects involved.
#include <optional>

#include "game/collision.h"
#include "platform/physics/scene.h"

class PhysXProcess;
class PhysXComponent;

// The record a contact report sends, or nothing when it sends none: only start and end of
// touch, and ongoing touches of the robot base, are sent, and only when a patch's last
// point lies apart by at least 1e-5.
std::optional<Collision> ContactCollision(const physics::ContactPair& pair, u32 events);
// The record a trigger report sends to the trigger's object.
Collision TriggerCollision(PhysXComponent* trigger, PhysXComponent* other, u32 status);

class PhysXContactReport : public physics::ContactReceiver {
  public:
    explicit PhysXContactReport(PhysXProcess& process) : m_process(process) {}
    void OnContact(const physics::ContactPair& pair, std::uint32_t events) override;

    // Raised by every report; the process clears it before each step.
    bool m_contact_this_step = false;

  private:
    PhysXProcess& m_process;
};

class PhysXTriggerCallback : public physics::TriggerReceiver {
  public:
    explicit PhysXTriggerCallback(PhysXProcess& process) : m_process(process) {}
    void OnTrigger(physics::Actor& trigger, physics::Actor& other, std::uint32_t status) override;

  private:
    PhysXProcess& m_process;
};
