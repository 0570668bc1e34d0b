#include "PhysX/physx_process.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "PhysX/physx_component.h"
#include "PhysX/physx_explosion.h"
#include "core/bounds.h"
#include "core/component_header.h"
#include "core/component_type.h"
#include "core/game_object.h"
#include "core/message.h"
#include "core/message_types.h"
#include "core/stream_map.h"
#include "game/radial_force.h"
#include "platform/physics/scene.h"
#include "platform/system/log.h"

namespace {

constexpr float kWakeCounter = 0.4f;

physics::Vec3 ToVec3(const Vector& v) {
    return physics::Vec3{v.x, v.y, v.z};
}

} // namespace

PhysXProcess::PhysXProcess()
    : m_allocator(std::make_unique<UserAllocator>()), m_contact_report(*this),
      m_trigger_report(*this) {
    // There is no hardware scene on this platform: the first attempt always fails.
    sys::LogLine(kSoftwareText);
    m_scene = std::make_unique<physics::Scene>(*m_allocator, physics::Vec3{0.0f, -98.1f, 0.0f});
    if (!m_scene) {
        sys::LogLine(kNoSceneText);
        return;
    }
    m_scene->SetContactReceiver(&m_contact_report);
    m_scene->SetTriggerReceiver(&m_trigger_report);
    // Restitution, static friction, dynamic friction.
    m_scene->SetMaterial(0, physics::Material{0.0f, 0.0f, 1.0f});
    m_scene->SetMaterial(1, physics::Material{0.0f, 0.5f, 0.5f});
    m_scene->SetMaterial(2, physics::Material{0.0f, 0.0f, 0.0f});
}

PhysXProcess::~PhysXProcess() {
    for (PhysXExplosion* explosion : m_explosions) {
        delete explosion;
    }
    m_explosions.clear();
    m_controller_manager.PurgeControllers();
    // Components outlive the scene in the base's list; their actors go with the scene.
    for (std::size_t i = 0; i < m_components.Size(); ++i) {
        static_cast<PhysXComponent*>(m_components.At(i))->ReleaseActor();
    }
    m_scene.reset();
    // Last: the allocator reports what the scene left behind.
    m_allocator.reset();
}

void PhysXProcess::Update(float dt) {
    if (!m_scene) {
        return;
    }
    if (m_first_frame) {
        m_scene->Simulate(kFirstStep);
        m_first_frame = false;
    }
    m_contact_report.m_contact_this_step = false;
    for (std::size_t i = 0; i < m_components.Size(); ++i) {
        static_cast<PhysXComponent*>(m_components.At(i))->SyncToActor();
    }
    UpdateExplosions(dt);
    m_scene->Simulate(dt);
    m_scene->Fetch();
    m_components.Update(0.0f);
    if (m_contact_report.m_contact_this_step) {
        for (GameObject* listener : m_listeners) {
            // A listener's object may be gone by now; the list keeps no claim on it.
            if (!GameObject::IsLive(listener)) {
                continue;
            }
            BaseMessage stepped(MSG_PHYSICS_UPDATE);
            SendMessage(&stepped, listener->id);
        }
    }
}

Component* PhysXProcess::CreateComponent(StreamMap* parameters) {
    if (parameters == nullptr) {
        return nullptr;
    }
    ComponentHeader header;
    if (!header.Read(parameters) || header.Type() != ComponentType::Physics) {
        return nullptr;
    }
    const PhysicsParams params = PhysicsParams::Read(*parameters);
    auto* component = m_components.Create<PhysXComponent>(this, header.m_object_type, params, this);
    component->SetId(++m_last_id);
    return component;
}

void PhysXProcess::RemoveComponent(Component* component) {
    m_components.Remove(component);
}

bool PhysXProcess::Holds(const Component* component) const {
    return component != nullptr && m_components.IndexOf(component) >= 0;
}

void PhysXProcess::UpdateComponent(StreamMap* parameters) {
    if (parameters == nullptr) {
        return;
    }
    ComponentHeader header;
    if (!header.Read(parameters)) {
        return;
    }
    const PhysicsParams params = PhysicsParams::Read(*parameters);
    for (std::size_t i = 0; i < m_components.Size(); ++i) {
        auto* component = static_cast<PhysXComponent*>(m_components.At(i));
        GameObject* object = component->GetOwner();
        if (object == nullptr || object->name != header.m_object_type) {
            continue;
        }
        component->ApplyParams(params);
        const Vector extents(params.m_extents.x * std::abs(object->scale.x),
                             params.m_extents.y * std::abs(object->scale.y),
                             params.m_extents.z * std::abs(object->scale.z));
        const float largest = std::max(
            {std::abs(object->scale.x), std::abs(object->scale.y), std::abs(object->scale.z)});
        object->SetBoundingBox(new BoundingBox(extents));
        object->SetBoundingSphere(new BoundingSphere(params.m_radius * largest));
    }
}

void PhysXProcess::HandleMessage(BaseMessage* msg, u32) {
    if (msg == nullptr) {
        return;
    }
    switch (msg->type) {
    case MSG_PHYSICS_RADIAL_FORCE:
        if (const RadialForce* request = msg->Payload<RadialForce>()) {
            m_explosions.push_back(new PhysXExplosion(*request));
        }
        break;
    case MSG_PLAYER_COMPONENT: {
        const Component* const* listener = msg->Payload<Component*>();
        if (listener != nullptr && *listener != nullptr && (*listener)->owner != nullptr) {
            m_listeners.push_back((*listener)->owner);
        }
        break;
    }
    case MSG_PHYSICS_SET_OBJECTS_COLLIDABLE: {
        using Payload = std::pair<std::pair<GameObject*, GameObject*>, bool>;
        if (const Payload* objects = msg->Payload<Payload>()) {
            SetCollidable(objects->first.first, objects->first.second, objects->second);
        }
        break;
    }
    default:
        break;
    }
}

void PhysXProcess::SetCollidable(GameObject* a, GameObject* b, bool collidable) {
    if (a == nullptr || b == nullptr) {
        return;
    }
    auto* bodyA = dynamic_cast<PhysXComponent*>(a->GetComponent(ComponentType::Physics));
    auto* bodyB = dynamic_cast<PhysXComponent*>(b->GetComponent(ComponentType::Physics));
    if (bodyA == nullptr || bodyB == nullptr || bodyA->GetActor() == nullptr ||
        bodyB->GetActor() == nullptr) {
        return;
    }
    // Two bodies touch exactly when their masks differ.
    bodyA->GetActor()->SetGroupsMask(bodyA->GetId());
    bodyB->GetActor()->SetGroupsMask(collidable ? bodyB->GetId() : bodyA->GetId());
}

void PhysXProcess::UpdateExplosions(float dt) {
    for (const PhysXExplosion* explosion : m_explosions) {
        ApplyExplosion(*explosion, dt);
    }
    for (auto it = m_explosions.begin(); it != m_explosions.end();) {
        if (!(*it)->Age(dt)) {
            delete *it;
            it = m_explosions.erase(it);
        } else {
            ++it;
        }
    }
}

namespace {

// Whether object is owner itself or one of the parts hung under it (the robot's arms, legs
// and head are dynamic bodies of their own, jointed to its base).
bool HungUnder(const GameObject* object, const void* owner) {
    for (; object != nullptr; object = object->parentObject) {
        if (object == owner) {
            return true;
        }
    }
    return false;
}

// The pushes' impulses are sized for bodies far heavier than ours: a loose block or a unit
// weighs about 1 and would fly off at tens of millions of units a second, and through its
// contacts take what it touches along (the robot punching a tower of blocks was thrown
// millions of units away; a unit under the laser's force went as far in one frame). A push
// therefore adds speed along its direction only up to kMostPushedSpeed, counting what the body
// already has that way and the pushes still to land, so that the frames of a lasting push do
// not pile up either.
constexpr float kMostPushedSpeed = 400.0f;
// A frame's force acts over no more than the steps one frame simulates.
constexpr float kLongestPush = physics::Scene::kStep * physics::Scene::kMaxSteps;

Vector LimitedPush(const Vector& impulse, const physics::Actor& actor) {
    const float mass = actor.GetMass();
    const float length = impulse.Length();
    if (!(mass > 0.0f) || !(length > 0.0f)) {
        return impulse;
    }
    const Vector direction = impulse * (1.0f / length);
    const physics::Vec3 v = actor.GetLinearVelocity();
    const physics::Vec3 pending = actor.PendingImpulse();
    const float along = (v.x + pending.x / mass) * direction.x +
                        (v.y + pending.y / mass) * direction.y +
                        (v.z + pending.z / mass) * direction.z;
    const float room = std::max(0.0f, kMostPushedSpeed - std::max(0.0f, along)) * mass;
    return length <= room ? impulse : direction * room;
}

} // namespace

void PhysXProcess::ApplyExplosion(const PhysXExplosion& explosion, float dt) {
    const RadialForce& force = explosion.Current();
    for (std::size_t i = 0; i < m_components.Size(); ++i) {
        auto* component = static_cast<PhysXComponent*>(m_components.At(i));
        physics::Actor* actor = component->GetActor();
        if (actor == nullptr || !actor->IsDynamic()) {
            continue;
        }
        if (force.m_exclude_id != 0 && component->GetId() == force.m_exclude_id) {
            continue;
        }
        if (force.m_only_id != 0 && component->GetId() != force.m_only_id) {
            continue;
        }
        if (force.m_exclude_owner != nullptr &&
            HungUnder(component->GetOwner(), force.m_exclude_owner)) {
            continue;
        }
        const physics::Vec3 at = actor->GetPosition();
        Vector d = Vector(at.x, at.y, at.z) - force.m_center;
        const float distance = d.Length();
        const float falloff = 1.0f - distance / force.m_radius;
        if (!(falloff > 0.0f)) {
            continue;
        }
        d = distance != 0.0f ? d * (falloff / distance) : Vector();
        switch (force.m_mode) {
        case RadialForce::kImpulse:
            actor->AddImpulse(ToVec3(LimitedPush(d * (force.m_force * 50000.0f), *actor)));
            break;
        case RadialForce::kForce:
            // The force over the frame, given at once so that it is limited like the rest.
            actor->AddImpulse(ToVec3(LimitedPush(
                d * (force.m_force * 5000000.0f * std::clamp(dt, 0.0f, kLongestPush)), *actor)));
            break;
        case RadialForce::kMassImpulse:
            actor->AddImpulse(ToVec3(LimitedPush(d * (force.m_force * actor->GetMass()), *actor)));
            break;
        default:
            break;
        }
        if (component->GetOwner() != nullptr) {
            Message<float> hit(MSG_PHYSICS_FORCE,
                               10.0f * force.m_force * force.m_force * d.LengthSquared());
            SendMessage(&hit, component->GetOwner()->id);
        }
        // A receiver may have removed components; stop at the list's end.
        if (i >= m_components.Size()) {
            break;
        }
    }
}
