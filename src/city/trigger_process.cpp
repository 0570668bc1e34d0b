#include "city/trigger_process.h"

#include <algorithm>

#include "city/trigger_component.h"
#include "core/component_header.h"
#include "core/component_type.h"
#include "core/message.h"

TriggerProcess::~TriggerProcess() {
    for (TriggerComponent* trigger : m_triggers) {
        delete trigger;
    }
}

Component* TriggerProcess::CreateComponent(StreamMap* parameters) {
    ComponentHeader header;
    if (!header.Read(parameters) || header.Type() != ComponentType(ComponentType::Trigger)) {
        return nullptr;
    }
    auto* trigger = new TriggerComponent(header.m_object_type);
    trigger->process = this;
    m_triggers.push_back(trigger);
    return trigger;
}

void TriggerProcess::RemoveComponent(Component* component) {
    const auto found = std::find(m_triggers.begin(), m_triggers.end(), component);
    if (found == m_triggers.end()) {
        return;
    }
    TriggerComponent* const trigger = *found;
    m_triggers.erase(found);
    delete trigger;
}

void TriggerProcess::Update(float dt) {
    std::vector<GameObject*> fired;
    for (TriggerComponent* trigger : m_triggers) {
        trigger->Update(dt);
        if (trigger->m_triggered && trigger->owner != nullptr) {
            fired.push_back(trigger->owner);
        }
    }
    // The level deletes at once, which hands the component back and changes the list.
    for (auto it = fired.rbegin(); it != fired.rend(); ++it) {
        Message<GameObject*> remove(MSG_LEVEL_DELETE_OBJECT, *it);
        SendMessage(&remove, HANDLER_LEVEL_STATE);
    }
}

void TriggerProcess::HandleMessage(BaseMessage* msg, u32) {
    if (msg->type != MSG_TRIGGERS_ACTIVATE) {
        return;
    }
    // Copied: a fired trigger's handler may delete objects.
    const std::vector<TriggerComponent*> triggers = m_triggers;
    for (TriggerComponent* trigger : triggers) {
        trigger->Activate();
    }
}
