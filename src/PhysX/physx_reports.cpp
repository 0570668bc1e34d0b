#include "PhysX/physx_reports.h"

#include <cmath>

#include "PhysX/physx_component.h"
#include "PhysX/physx_process.h"
#include "core/game_object.h"
#include "core/message.h"
#include "core/message_types.h"
#include "platform/physics/actor.h"

namespace {

// Closer than this, a patch's last point counts as resting, not as a contact to report.
constexpr float kMinSeparation = 1e-5f;

PhysXComponent* ComponentOf(const physics::Actor* actor) {
    return actor != nullptr ? static_cast<PhysXComponent*>(actor->UserData()) : nullptr;
}

bool IsRobotBase(const PhysXComponent* component) {
    return component != nullptr && component->m_object_type.find("RobotBase") != std::string::npos;
}

void SendCollision(PhysXComponent* to, const Collision& collision) {
    if (to == nullptr || to->router == nullptr || to->GetOwner() == nullptr) {
        return;
    }
    Message<Collision> message(MSG_PHYSICS_COLLISION, collision);
    to->SendMessage(&message, to->GetOwner()->id);
}

} // namespace

std::optional<Collision> ContactCollision(const physics::ContactPair& pair, u32 events) {
    PhysXComponent* first = ComponentOf(pair.first);
    PhysXComponent* second = ComponentOf(pair.second);
    const bool starts = (events & physics::contact_event::kStartTouch) != 0;
    const bool ends = (events & physics::contact_event::kEndTouch) != 0;
    const bool touches = (events & physics::contact_event::kTouch) != 0;
    if (!starts && !ends && !(touches && (IsRobotBase(first) || IsRobotBase(second)))) {
        return std::nullopt;
    }
    Vector sum;
    u32 count = 0;
    Vector normal;
    bool send = false;
    u32 kind = Collision::kNone;
    for (u32 p = 0; p < pair.patchCount; ++p) {
        const physics::ContactPatch& patch = pair.patches[p];
        for (u32 i = 0; i < patch.pointCount; ++i) {
            sum = sum + Vector(patch.points[i].position.x, patch.points[i].position.y,
                               patch.points[i].position.z);
            ++count;
        }
        normal = Vector(patch.normal.x, patch.normal.y, patch.normal.z);
        const float last =
            patch.pointCount > 0 ? patch.points[patch.pointCount - 1].separation : 0.0f;
        if (std::abs(last) >= kMinSeparation) {
            send = true;
            if (starts || touches) {
                if (pair.first == nullptr || !pair.first->IsDynamic()) {
                    kind = Collision::kFirstStatic;
                } else if (pair.second != nullptr && pair.second->IsDynamic()) {
                    kind = Collision::kBothDynamic;
                } else {
                    kind = Collision::kFirstDynamic;
                }
            }
        }
    }
    if (!send) {
        return std::nullopt;
    }
    const Vector point = count > 0 ? sum / static_cast<float>(count) : Vector();
    return Collision(point, normal, first, second, kind, events);
}

Collision TriggerCollision(PhysXComponent* trigger, PhysXComponent* other, u32 status) {
    return Collision(Vector(), Vector(), trigger, other, Collision::kNone, status);
}

void PhysXContactReport::OnContact(const physics::ContactPair& pair, std::uint32_t events) {
    m_contact_this_step = true;
    const std::optional<Collision> collision = ContactCollision(pair, events);
    if (!collision) {
        return;
    }
    // A receiver may delete its object (and so its component) while handling the report.
    if (m_process.Holds(collision->m_first)) {
        SendCollision(collision->m_first, *collision);
    }
    if (m_process.Holds(collision->m_second)) {
        SendCollision(collision->m_second, *collision);
    }
}

void PhysXTriggerCallback::OnTrigger(physics::Actor& trigger, physics::Actor& other,
                                     std::uint32_t status) {
    PhysXComponent* first = ComponentOf(&trigger);
    if (!m_process.Holds(first)) {
        return;
    }
    SendCollision(first, TriggerCollision(first, ComponentOf(&other), status));
}
