#pragma once
// The level's enemy AI (handler 12): creates the "AIView" and "SpawnPoint" components.
// MSG_DISABLE_AI toggles it off and on; while off its components are not updated, which the
// level uses to keep the AI still during a one-off update.
#include "core/component_list_process.h"
#include "core/handler_ids.h"

class AIViewProcess : public ComponentListProcess {
  public:
    static constexpr u32 kHandlerId = HANDLER_AI_VIEW_PROCESS;

    explicit AIViewProcess(bool tutorial) : m_tutorial(tutorial) {}
    void Update(float dt) override;
    void HandleMessage(BaseMessage* msg, u32 fromId) override;
    Component* CreateComponent(StreamMap* parameters) override;

    bool IsDisabled() const { return m_disabled; }

    const bool m_tutorial;

  private:
    bool m_disabled = false;
};
