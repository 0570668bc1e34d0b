#pragma once
// The level's triggers (handler 21): creates the "Trigger" components in order, deletes the
// object of each trigger that fired, and fires every "TriggerTank" on MSG_TRIGGERS_ACTIVATE.
#include <vector>

#include "core/handler_ids.h"
#include "core/process.h"

class TriggerComponent;

class TriggerProcess : public ComponentProcess {
  public:
    static constexpr u32 kHandlerId = HANDLER_TRIGGER_PROCESS;

    TriggerProcess() = default;
    ~TriggerProcess() override;

    void Update(float dt) override;
    void HandleMessage(BaseMessage* msg, u32 fromId) override;
    Component* CreateComponent(StreamMap* parameters) override;
    void RemoveComponent(Component* component) override;

    const std::vector<TriggerComponent*>& Triggers() const { return m_triggers; }

  private:
    std::vector<TriggerComponent*> m_triggers;
};
