#pragma once
// The one owner of particle systems: the templates read from the definition files, and the
// live systems cloned from them. Game code, scripts and the renderer create systems by
// template name; a live system ends through this manager, never through its owner.

#include <functional>
#include <list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/asset_paths.h"
#include "core/types.h"
#include "core/vector.h"

class Component;
class ComponentProcess;
class GraphicsProcess;
class ParticleSystemCPU;
class WorkerPool;
struct ParticleCamera;

class ParticleSystemManager {
  public:
    // Also lets the script host reach the particle systems while the instance exists.
    static ParticleSystemManager* Instance();
    // Deletes the instance with all its systems; the next Instance makes a new one.
    static void DestroyInstance();

    virtual ~ParticleSystemManager();

    // A template for every ".txt" file of the package, kept whether or not its file parsed.
    void LoadTemplates(const std::string& packagePath = asset_path::kParticlesPackage);

    // A live clone of the first template with this system name, at the given position or
    // else at the template's own; null when no template has the name. The nuke's flash
    // ("nuke3") at a given position also lights the scene around it through the light hook.
    ParticleSystemCPU* CreateParticleSystem(const std::string& name, const Vector* position);
    static constexpr const char* kNukeFlashSystem = "nuke3";
    using NukeLightHook = std::function<void(const Vector& position)>;
    // The renderer's light list for the nuke flashes; empty: no light.
    void SetNukeLightHook(NukeLightHook hook) { m_nuke_light = std::move(hook); }
    ParticleSystemCPU* CreateParticleSystemByIndex(u32 index, const Vector* position);

    // Takes the system off its owner, deletes it and forgets it; false when not live.
    bool RemoveSystem(ParticleSystemCPU* system);
    // Lets the system run out: it is freed from its owner and stops emitting, and goes once
    // its particles are gone. False when not live.
    bool DeactivateSystem(ParticleSystemCPU* system);
    // Compares addresses only, so a pointer to a system that has gone may be asked about.
    bool ContainsSystem(const ParticleSystemCPU* system) const;
    // The live system that is this component, or null.
    ParticleSystemCPU* FindSystem(const Component* component) const;
    // Ends every live system at once (a level ends).
    void DetachAll();
    // Deletes every template and every live system.
    void Clear();

    // Reads the system's own definition file again and starts its particles afresh; false
    // when the file does not parse.
    bool ReloadSystem(ParticleSystemCPU* system);
    // Every live system and every template (the debug reload).
    void ReloadTemplates();

    // "BossExplosion1" and "BossExplosion2" at the position.
    void CreateBossExplosion(const Vector& position);
    // The nuke's flash and four rings of smoke around p, each ring born later than the one
    // inside it; templates that are missing are passed over.
    void CreateNukeExplosion(const Vector& p);

    // One frame: finished systems without living particles go first, then every active
    // system is simulated, the list split over the workers in contiguous ranges.
    void Update(float dt);
    // The workers the next updates use (one per processor unless set).
    void UseWorkers(u32 count);
    u32 WorkerCount() const;
    // The camera every system's quads face, from the renderer's frame.
    void SetCamera(const ParticleCamera& camera);
    // The renderer's emission switch, copied into every live system (a toggle that reached
    // only one system would leave the others emitting).
    void ApplyEmissionToggle(u8 stopped);

    // Draws every active, visible system back to front into the bound target; the live list
    // keeps the drawing order until the next sort. Matrices are row-major, for row vectors.
    void Render(GraphicsProcess& graphics, const f32* eye, const f32* view, const f32* projection);
    // Larger keys are drawn first: the squared distance of the emitter plus "ZOrder".
    static f32 SortKey(const ParticleSystemCPU& system, const f32* eye);
    void SortBackToFront(const f32* eye);
    u32 DrawnParticles() const { return m_drawn_particles; }

    static constexpr const char* kObjectiveLightEffect =
        "graphics/shaders/particle_objective_light.fx";

    const std::list<ParticleSystemCPU*>& Templates() const { return m_templates; }
    const std::list<ParticleSystemCPU*>& Systems() const { return m_systems; }

  private:
    ParticleSystemManager();
    NukeLightHook m_nuke_light;
    ParticleSystemCPU* Start(const ParticleSystemCPU& templ, const Vector* position);
    // Takes the system off the object that owns it, if any.
    static void Detach(ParticleSystemCPU* system);
    static void Destroy(ParticleSystemCPU* system);

    std::list<ParticleSystemCPU*> m_templates;
    std::list<ParticleSystemCPU*> m_systems;
    std::string m_package = asset_path::kParticlesPackage;
    std::unique_ptr<WorkerPool> m_workers;
    std::unique_ptr<ParticleCamera> m_camera;
    std::vector<ParticleSystemCPU*> m_batch;
    u32 m_drawn_particles = 0;
    // The process of every system started here until a process claims it: an object that
    // takes such a system (an objective marker, a script's attach) hands it back here when
    // it goes, and the system lets go of the object instead of following it after its end.
    std::unique_ptr<ComponentProcess> m_hand_back;
};
