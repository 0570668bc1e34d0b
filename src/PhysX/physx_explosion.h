#pragma once
// A radial force living for its request's duration: radius and force shrink linearly to
// zero while it is applied once a frame.
#include "core/memory_allocator.h"
#include "game/radial_force.h"

class PhysXExplosion : public Allocator<PhysXExplosion> {
  public:
    explicit PhysXExplosion(const RadialForce& request) : m_current(request), m_initial(request) {}

    // Ages the explosion by dt; false once its time has run out.
    bool Age(float dt) {
        m_elapsed += dt;
        if (m_elapsed < m_current.m_duration) {
            Update();
            return true;
        }
        m_done = true;
        return false;
    }
    // This frame's radius and force from the elapsed time.
    void Update() {
        const float factor = 1.0f - m_elapsed / m_current.m_duration;
        m_current.m_radius = m_initial.m_radius * factor;
        m_current.m_force = m_initial.m_force * factor;
    }

    const RadialForce& Current() const { return m_current; }
    bool Done() const { return m_done; }

  private:
    RadialForce m_current;
    RadialForce m_initial;
    float m_elapsed = 0.0f;
    bool m_done = false;
};
