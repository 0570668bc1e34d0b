#include "ai/ai_view_process.h"

#include "ai/ai_view_component.h"
#include "city/spawn_point_component.h"
#include "core/message.h"

void AIViewProcess::Update(float dt) {
    if (!m_disabled) {
        ComponentListProcess::Update(dt);
    }
}

void AIViewProcess::HandleMessage(BaseMessage* msg, u32 fromId) {
    if (msg->type == MSG_DISABLE_AI) {
        m_disabled = !m_disabled;
    }
}

Component* AIViewProcess::CreateComponent(StreamMap* parameters) {
    return CreateFromStream<AIViewComponent, SpawnPointComponent>(parameters, ComponentType::AIView,
                                                                  ComponentType::SpawnPoint);
}
