#include "city/bullet_process.h"

#include <algorithm>

#include "PhysX/physx_component.h"
#include "city/bullet_component.h"
#include "content/particle_system_info.h"
#include "core/component_type.h"
#include "core/game_object.h"
#include "core/message.h"
#include "core/message_types.h"
#include "game/collision.h"
#include "game/radial_force.h"

namespace {

void Push(MessageHandler& sender, const Vector& at, f32 radius, f32 force, f32 duration) {
    RadialForce push(at, radius, force, duration, 0, 0, RadialForce::kImpulse);
    Message<RadialForce> msg(MSG_PHYSICS_RADIAL_FORCE, push);
    sender.SendMessage(&msg, HANDLER_PHYSX_PROCESS);
}

bool Contains(const std::string& text, const char* part) {
    return text.find(part) != std::string::npos;
}

const std::string& TypeOf(const PhysXComponent* body) {
    static const std::string none;
    return body != nullptr && body->owner != nullptr ? body->owner->name : none;
}

} // namespace

const std::string& BulletComponent::Kind() const {
    return owner != nullptr ? owner->name : m_object_type;
}

void BulletComponent::Update(float dt) {
    if (m_held) {
        return;
    }
    const std::string& kind = Kind();
    if (Contains(kind, "LaserPulse")) {
        const Vector v = owner != nullptr ? owner->velocity : Vector(0.0f, 0.0f, 0.0f);
        if (v.x * v.x + v.y * v.y + v.z * v.z < 10000.0f && m_age > 0.6f) {
            m_dead = 1;
        }
    } else if (!m_hit && kind == "FakeRobotHead" && owner != nullptr) {
        // The thrown head shoves what it passes until it first touches something.
        Push(*this, owner->position, 10.0f, 25.0f, dt);
    }
    m_age += dt;
    if (m_age > m_lifetime) {
        m_dead = 1;
        m_age = 0.0f;
    }
}

void BulletComponent::HandleMessage(BaseMessage* msg, u32 /*fromId*/) {
    if (msg == nullptr || msg->type != MSG_PHYSICS_COLLISION) {
        return;
    }
    const std::string& kind = Kind();
    if (kind == "LaserPulse") {
        const Collision* contact = msg->Payload<Collision>();
        if (contact != nullptr) {
            for (const PhysXComponent* body : {contact->m_first, contact->m_second}) {
                const std::string& other = TypeOf(body);
                if (Contains(other, "UFO") || Contains(other, "Mothership")) {
                    return;
                }
            }
        }
        m_dead = 1;
    }
    if (!m_held && kind != "FakeRobotHead") {
        m_dead = 1;
    }
    if ((kind == "FakeRobotLeftArm" || kind == "FakeRobotRightArm") && owner != nullptr) {
        Push(*this, owner->position, 50.0f, 150.0f, 0.25f);
    }
    m_hit = 1;
}

Component* BulletProcess::CreateComponent(StreamMap* parameters) {
    auto* bullet = static_cast<BulletComponent*>(
        CreateFromStream<BulletComponent>(parameters, ComponentType::Bullet));
    if (bullet != nullptr) {
        m_bullets.push_back(bullet);
    }
    return bullet;
}

void BulletProcess::RemoveComponent(Component* component) {
    const auto at = std::find(m_bullets.begin(), m_bullets.end(), component);
    if (at == m_bullets.end()) {
        return;
    }
    // A projectile handed back while it waits for its explosion is not blown up twice.
    std::erase(m_toRetire, *at);
    m_bullets.erase(at);
    m_components.Remove(component);
}

void BulletProcess::HandleMessage(BaseMessage* msg, u32 fromId) {
    if (msg == nullptr) {
        return;
    }
    switch (msg->type) {
    case MSG_SOUND_INSTANCE:
        m_soundReply = msg->ValueOr<SoundInstance*>(nullptr);
        break;
    case MSG_PLAYER_COMPONENT:
        m_player = msg->ValueOr<Component*>(nullptr);
        break;
    case MSG_BULLET_VALID: {
        const GameObject* const object = msg->ValueOr<GameObject*>(nullptr);
        const bool flies = object != nullptr && std::any_of(m_bullets.begin(), m_bullets.end(),
                                                            [&](const BulletComponent* b) {
                                                                return b->owner == object;
                                                            });
        Message<bool> reply(MSG_BULLET_VALID, flies);
        SendMessage(&reply, fromId);
        break;
    }
    default:
        break;
    }
}

void BulletProcess::Update(float dt) {
    if (!m_initialized) {
        Message<std::string> load(MSG_LOAD_SOUND, kExplosionSound);
        SendMessage(&load, HANDLER_SOUND_PROCESS);
        m_initialized = true;
    }
    m_toRetire.clear();
    for (BulletComponent* bullet : m_bullets) {
        bullet->Update(dt);
        if (bullet->m_dead) {
            m_toRetire.push_back(bullet);
        }
    }
    while (!m_toRetire.empty()) {
        BulletComponent* const bullet = m_toRetire.back();
        GameObject* const object = bullet->owner;
        m_toRetire.pop_back();
        if (object == nullptr) {
            continue;
        }
        ParticleSystemInfo info;
        info.position = object->position;
        info.name = "MissileExplosion";
        Message<ParticleSystemInfo> effect(MSG_CREATE_PARTICLE_SYSTEM, info);
        SendMessage(&effect, HANDLER_GRAPHICS_PROCESS);
        // The sound process answers at once; the instance it hands over is played by the
        // audio layer at the explosion.
        m_soundReply = nullptr;
        Message<std::string> sound(MSG_GET_SOUND_INSTANCE, kExplosionSound);
        SendMessage(&sound, HANDLER_SOUND_PROCESS);
        Message<GameObject*> remove(MSG_LEVEL_DELETE_OBJECT, object);
        SendMessage(&remove, HANDLER_LEVEL_STATE);
    }
}
