#include "app/particle_markers.h"

#include "core/component_type.h"
#include "core/game_object.h"
#include "graphics/particle_system_cpu.h"
#include "graphics/particle_system_manager.h"

namespace particle_markers {

ParticleSystemCPU* Find(GameObject& object, const std::string& name) {
    ParticleSystemManager* const manager = ParticleSystemManager::Instance();
    for (Component* c = object.GetComponent(ComponentType::ParticleSystem); c != nullptr;
         c = c->nextOfType) {
        ParticleSystemCPU* const system = manager->FindSystem(c);
        if (system != nullptr && system->settings.systemName == name) {
            return system;
        }
    }
    return nullptr;
}

std::vector<ParticleSystemCPU*> Attach(GameObject& object, const std::vector<std::string>& names) {
    ParticleSystemManager* const manager = ParticleSystemManager::Instance();
    std::vector<ParticleSystemCPU*> started;
    for (const std::string& name : names) {
        if (ParticleSystemCPU* const system =
                manager->CreateParticleSystem(name, &object.position)) {
            started.push_back(system);
        }
    }
    for (ParticleSystemCPU* system : started) {
        object.AddComponent(ComponentType::ParticleSystem, system);
    }
    std::vector<ParticleSystemCPU*> taken;
    for (ParticleSystemCPU* system : started) {
        if (system->owner == &object) {
            taken.push_back(system);
        } else {
            manager->RemoveSystem(system);
        }
    }
    return taken;
}

void Remove(GameObject& object, ParticleSystemCPU* system) {
    if (system == nullptr) {
        return;
    }
    if (system->owner == &object) {
        object.RemoveComponent(system, false);
        system->owner = nullptr;
    }
    ParticleSystemManager::Instance()->RemoveSystem(system);
}

} // namespace particle_markers
