#pragma once
// What scripts need of the renderer's particle systems beyond its messages. The renderer
// sits above the script host, so it installs an implementation at start-up; until it does,
// scripts get no particle systems and their settings go nowhere.

#include <string>

class Component;
class ParticleSystemCPU;

class ParticleSystemLink {
  public:
    virtual ~ParticleSystemLink() = default;

    // A new live system of the named kind at its default place, or null.
    virtual ParticleSystemCPU* Create(const std::string& name) = 0;
    virtual void SetBornDelayHigh(ParticleSystemCPU* system, float seconds) = 0;
    virtual void SetBornDelayLow(ParticleSystemCPU* system, float seconds) = 0;
    // Whether system is a particle system that exists now (scripts hand back bare
    // addresses, which may be anything).
    virtual bool IsLive(const ParticleSystemCPU* system) = 0;
    // The system as the component it is, for attaching it to a game object.
    virtual Component* AsComponent(ParticleSystemCPU* system) = 0;

    // Not owned; null uninstalls.
    static void Install(ParticleSystemLink* link);
    static ParticleSystemLink* Installed();
};
