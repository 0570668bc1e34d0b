#include "graphics/particle_system_manager.h"

#include <algorithm>
#include <cstring>

#include "content/file_package.h"
#include "content/particle_system_link.h"
#include "core/game_object.h"
#include "core/process.h"
#include "core/worker_pool.h"
#include "graphics/particle_system_cpu.h"

namespace {

ParticleSystemManager* g_particle_manager = nullptr;

// How the script host, which sits below the renderer, reaches the particle systems.
class ManagerLink : public ParticleSystemLink {
  public:
    ParticleSystemCPU* Create(const std::string& name) override {
        return ParticleSystemManager::Instance()->CreateParticleSystem(name, nullptr);
    }
    void SetBornDelayHigh(ParticleSystemCPU* system, float seconds) override {
        system->settings.bornDelayHigh = seconds;
    }
    void SetBornDelayLow(ParticleSystemCPU* system, float seconds) override {
        system->settings.bornDelayLow = seconds;
    }
    bool IsLive(const ParticleSystemCPU* system) override {
        return ParticleSystemManager::Instance()->ContainsSystem(system);
    }
    Component* AsComponent(ParticleSystemCPU* system) override { return system; }
};

ManagerLink g_link;

// Takes back the systems that objects let go of when no process of their own made them.
class HandBack : public ComponentProcess {
  public:
    explicit HandBack(ParticleSystemManager& manager) : m_manager(manager) {}
    void Update(float) override {}
    Component* CreateComponent(StreamMap*) override { return nullptr; }
    void RemoveComponent(Component* component) override {
        if (ParticleSystemCPU* system = m_manager.FindSystem(component)) {
            system->owner = nullptr;
            m_manager.DeactivateSystem(system);
        }
    }

  private:
    ParticleSystemManager& m_manager;
};

} // namespace

ParticleSystemManager* ParticleSystemManager::Instance() {
    if (g_particle_manager == nullptr) {
        g_particle_manager = new ParticleSystemManager;
        ParticleSystemLink::Install(&g_link);
    }
    return g_particle_manager;
}

void ParticleSystemManager::DestroyInstance() {
    if (ParticleSystemLink::Installed() == &g_link) {
        ParticleSystemLink::Install(nullptr);
    }
    delete g_particle_manager;
    g_particle_manager = nullptr;
}

ParticleSystemManager::~ParticleSystemManager() {
    Clear();
}

void ParticleSystemManager::LoadTemplates(const std::string& packagePath) {
    m_package = packagePath;
    const FilePackage* package = FilePackage::Get(packagePath);
    if (package == nullptr) {
        return;
    }
    for (const FilePackage::Entry& entry : package->Entries()) {
        const std::string name(entry.m_name, strnlen(entry.m_name, sizeof(entry.m_name)));
        if (name.find(".txt") == std::string::npos) {
            continue;
        }
        ParticleSystemCPU* templ = new ParticleSystemCPU;
        templ->LoadDefinition(name.c_str(), packagePath);
        templ->Initialize();
        m_templates.push_back(templ);
    }
}

ParticleSystemManager::ParticleSystemManager()
    : m_camera(std::make_unique<ParticleCamera>()), m_hand_back(std::make_unique<HandBack>(*this)) {
}

bool ParticleSystemManager::ReloadSystem(ParticleSystemCPU* system) {
    const std::string name = system->settings.definitionName;
    const bool parsed = system->LoadDefinition(name.c_str(), m_package);
    system->Initialize();
    return parsed;
}

void ParticleSystemManager::ReloadTemplates() {
    for (ParticleSystemCPU* system : m_systems) {
        ReloadSystem(system);
    }
    for (ParticleSystemCPU* templ : m_templates) {
        ReloadSystem(templ);
    }
}

void ParticleSystemManager::UseWorkers(u32 count) {
    m_workers = std::make_unique<WorkerPool>(count);
}

u32 ParticleSystemManager::WorkerCount() const {
    return m_workers != nullptr ? m_workers->WorkerCount() : 0;
}

void ParticleSystemManager::SetCamera(const ParticleCamera& camera) {
    *m_camera = camera;
}

void ParticleSystemManager::ApplyEmissionToggle(u8 stopped) {
    for (ParticleSystemCPU* system : m_systems) {
        system->emissionStopped = stopped;
    }
}

void ParticleSystemManager::Update(float dt) {
    for (auto it = m_systems.begin(); it != m_systems.end();) {
        ParticleSystemCPU* system = *it;
        if (system->finished != 0 && system->liveCount == 0) {
            it = m_systems.erase(it);
            Destroy(system);
        } else {
            ++it;
        }
    }
    if (m_workers == nullptr) {
        m_workers = std::make_unique<WorkerPool>();
    }
    m_batch.assign(m_systems.begin(), m_systems.end());
    m_workers->ForEach(m_batch, [dt](ParticleSystemCPU* system) {
        if (system->active != 0) {
            system->Simulate(dt);
        }
    });
}

ParticleSystemCPU* ParticleSystemManager::Start(const ParticleSystemCPU& templ,
                                                const Vector* position) {
    ParticleSystemCPU* system = templ.Clone();
    system->process = m_hand_back.get();
    system->camera = m_camera.get();
    system->Initialize();
    if (position != nullptr) {
        system->position = *position;
    }
    m_systems.push_back(system);
    return system;
}

ParticleSystemCPU* ParticleSystemManager::CreateParticleSystem(const std::string& name,
                                                               const Vector* position) {
    for (const ParticleSystemCPU* templ : m_templates) {
        if (templ->settings.systemName == name) {
            ParticleSystemCPU* system = Start(*templ, position);
            if (position != nullptr && m_nuke_light && name == kNukeFlashSystem) {
                m_nuke_light(*position);
            }
            return system;
        }
    }
    return nullptr;
}

ParticleSystemCPU* ParticleSystemManager::CreateParticleSystemByIndex(u32 index,
                                                                      const Vector* position) {
    if (index >= m_templates.size()) {
        return nullptr;
    }
    return Start(**std::next(m_templates.begin(), index), position);
}

void ParticleSystemManager::Detach(ParticleSystemCPU* system) {
    if (system->owner != nullptr) {
        system->owner->RemoveComponent(system, false);
        system->owner = nullptr;
    }
}

void ParticleSystemManager::Destroy(ParticleSystemCPU* system) {
    Detach(system);
    delete system;
}

bool ParticleSystemManager::RemoveSystem(ParticleSystemCPU* system) {
    const auto found = std::find(m_systems.begin(), m_systems.end(), system);
    if (found == m_systems.end()) {
        return false;
    }
    m_systems.erase(found);
    Destroy(system);
    return true;
}

bool ParticleSystemManager::DeactivateSystem(ParticleSystemCPU* system) {
    if (!ContainsSystem(system)) {
        return false;
    }
    Detach(system);
    system->settings.systemLife = 0.0f;
    return true;
}

bool ParticleSystemManager::ContainsSystem(const ParticleSystemCPU* system) const {
    return std::find(m_systems.begin(), m_systems.end(), system) != m_systems.end();
}

ParticleSystemCPU* ParticleSystemManager::FindSystem(const Component* component) const {
    for (ParticleSystemCPU* system : m_systems) {
        if (static_cast<const Component*>(system) == component) {
            return system;
        }
    }
    return nullptr;
}

void ParticleSystemManager::DetachAll() {
    std::list<ParticleSystemCPU*> systems;
    systems.swap(m_systems);
    for (ParticleSystemCPU* system : systems) {
        Destroy(system);
    }
}

void ParticleSystemManager::Clear() {
    DetachAll();
    for (ParticleSystemCPU* templ : m_templates) {
        delete templ;
    }
    m_templates.clear();
}
