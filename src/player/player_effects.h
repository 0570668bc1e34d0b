#pragma once
// The robot's particle effects on objects and the look of its parts: a system hung on an
// object (or dropped again when the object does not take it), a system taken off an object,
// and a part's graphics shown or hidden.
class GameObject;
class ParticleSystemCPU;

namespace player_effects {

void Attach(GameObject& object, ParticleSystemCPU* system);
void Remove(GameObject& object, ParticleSystemCPU* system);
void ShowGraphics(GameObject& object, bool shown);

} // namespace player_effects
