#include "player/player_effects.h"

#include <algorithm>

#include "content/particle_system_info.h"
#include "core/component_type.h"
#include "core/game_object.h"
#include "core/handler_ids.h"
#include "core/message.h"
#include "core/message_types.h"
#include "graphics/graphic_component.h"
#include "graphics/particle_system_cpu.h"
#include "graphics/particle_system_manager.h"
#include "player/player_component.h"

namespace player_effects {

void Attach(GameObject& object, ParticleSystemCPU* system) {
    if (system == nullptr) {
        return;
    }
    object.AddComponent(ComponentType::ParticleSystem, system);
    const auto systems = object.components.find(ComponentType::ParticleSystem);
    const bool owned =
        systems != object.components.end() &&
        std::find(systems->second.begin(), systems->second.end(), system) != systems->second.end();
    if (!owned) {
        ParticleSystemManager::Instance()->RemoveSystem(system);
    }
}

void Remove(GameObject& object, ParticleSystemCPU* system) {
    if (system == nullptr) {
        return;
    }
    if (system->process != nullptr) {
        // The renderer lets it fade out.
        object.RemoveComponent(system, true);
        return;
    }
    object.RemoveComponent(system, false);
    ParticleSystemManager::Instance()->RemoveSystem(system);
}

void ShowGraphics(GameObject& object, bool shown) {
    const auto graphics = object.components.find(ComponentType::Graphic);
    if (graphics == object.components.end()) {
        return;
    }
    for (Component* c : graphics->second) {
        if (auto* graphic = dynamic_cast<GraphicComponent*>(c)) {
            graphic->m_drawn = shown ? 1 : 0;
        }
    }
}

} // namespace player_effects

ParticleSystemCPU* PlayerComponent::CreateEffect(const char* name, const Vector& at) {
    m_reply_particle_system = nullptr;
    ParticleSystemInfo info;
    info.position = at;
    info.name = name;
    Message<ParticleSystemInfo> request(MSG_CREATE_PARTICLE_SYSTEM, info);
    SendMessage(&request, HANDLER_GRAPHICS_PROCESS);
    return m_reply_particle_system;
}
