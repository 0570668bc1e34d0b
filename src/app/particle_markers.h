#pragma once
// Particle systems that ride on a game object as its "ParticleSystem" components: the
// objective markers of buildings and units and the flames of a burning citizen. The manager
// owns every system; the object gives each back to it when the object goes.
#include <string>
#include <vector>

class GameObject;
class ParticleSystemCPU;

namespace particle_markers {

// The first system of that name on the object, or null.
ParticleSystemCPU* Find(GameObject& object, const std::string& name);
// Starts the named systems and adds them to the object in order; a system the object does not
// take (or a name without a template) is removed from the manager. Returns those it took.
std::vector<ParticleSystemCPU*> Attach(GameObject& object, const std::vector<std::string>& names);
// Takes the system off the object and ends it at once.
void Remove(GameObject& object, ParticleSystemCPU* system);

} // namespace particle_markers
