#pragma once
// Laser beams: the sender creates a beam object (a game object with a graphic component
// whose mesh spans one unit along x) and drives its timeline by messages; every frame the
// renderer stretches the object between the beam's start and end and leaves a trail of
// "Laser" particle systems along it.

#include <functional>
#include <list>

#include "core/vector.h"
#include "game/laser_beam_info.h"

class GameObject;

class LaserBeams {
  public:
    static constexpr float kEmissionInterval = 0.05f;
    static constexpr const char* kParticleSystem = "Laser";
    // Makes one particle system of the given name at a point.
    using Emit = std::function<void(const char* name, const Vector& position)>;

    void Create(const LaserBeamInfo& info);
    // Start, end, elapsed, duration and width of the first beam with the same component;
    // its emission time runs on.
    void Update(const LaserBeamInfo& info);
    // A null component clears the list, else the first beam with that component goes.
    void Delete(const LaserBeamInfo& info);
    // Drops the beams whose component belongs to owner (the object is going away).
    void RemoveOwnedBy(const GameObject* owner);

    // Places, turns and scales every beam object for this frame and emits the trail.
    void Advance(float dt, const Emit& emit);

    const std::list<LaserBeamInfo>& Beams() const { return m_beams; }

  private:
    std::list<LaserBeamInfo> m_beams;
};
