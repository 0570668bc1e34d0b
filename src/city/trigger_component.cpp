#include "city/trigger_component.h"

#include "PhysX/physx_component.h"
#include "core/game_object.h"
#include "core/handler_ids.h"
#include "core/message.h"
#include "game/collision.h"

void TriggerComponent::HandleMessage(BaseMessage* msg, u32) {
    if (msg->type != MSG_PHYSICS_COLLISION || m_triggered || m_object_type != kTankTrigger) {
        return;
    }
    const Collision* collision = msg->Payload<Collision>();
    if (collision == nullptr || collision->m_second == nullptr) {
        return;
    }
    const GameObject* other = collision->m_second->owner;
    if (other == nullptr || other->name != kRobotBody) {
        return;
    }
    // Every report of the contact (enter, stay, leave, each touching part) comes here;
    // only the first may switch the AI, or a second would switch it back.
    m_triggered = true;
    DisableAI();
}

void TriggerComponent::Activate() {
    if (m_object_type == kTankTrigger) {
        DisableAI();
    }
}

void TriggerComponent::DisableAI() {
    if (owner == nullptr) {
        return;
    }
    BaseMessage off(MSG_DISABLE_AI);
    owner->router.SendMessage(&off, HANDLER_AI_VIEW_PROCESS, owner->id);
}
