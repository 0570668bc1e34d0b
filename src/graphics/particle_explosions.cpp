// The explosions built from several particle systems: the boss's and the nuke's rings.
#include <cmath>

#include "graphics/particle_system_cpu.h"
#include "graphics/particle_system_manager.h"

namespace {

struct Ring {
    int points;
    float step;
    float radius;
    bool withNuke1;
    float delayLow;
    float delayHigh;
};

constexpr Ring kNukeRings[] = {
    {4, 0.25f, 3.0f, true, 0.1f, 0.2f},
    {10, 0.1f, 8.0f, false, 0.3f, 0.4f},
    {15, 1.0f / 15.0f, 12.0f, false, 0.5f, 0.6f},
    {20, 0.05f, 16.0f, false, 0.7f, 0.8f},
};

constexpr float kTwoPi = 6.28318530718f;

void Delay(ParticleSystemCPU* system, const Ring& ring) {
    if (system != nullptr) {
        system->settings.bornDelayLow = ring.delayLow;
        system->settings.bornDelayHigh = ring.delayHigh;
    }
}

} // namespace

void ParticleSystemManager::CreateBossExplosion(const Vector& position) {
    CreateParticleSystem("BossExplosion1", &position);
    CreateParticleSystem("BossExplosion2", &position);
}

void ParticleSystemManager::CreateNukeExplosion(const Vector& p) {
    const Vector eye(m_camera->eye[0], m_camera->eye[1], m_camera->eye[2]);
    // A hair towards the camera, so the flash is drawn over the rest.
    const Vector flash = p - (eye - p) * 1e-6f;
    CreateParticleSystem("nuke1", &p);
    CreateParticleSystem("nuke3", &flash);
    CreateParticleSystem("nuke4", &p);
    CreateParticleSystem("nuke2", &p);
    for (const Ring& ring : kNukeRings) {
        for (int k = 0; k < ring.points; ++k) {
            const float a = static_cast<float>(k) * ring.step * kTwoPi;
            const Vector at(p.x + ring.radius * std::cos(a), p.y, p.z + ring.radius * std::sin(a));
            Delay(CreateParticleSystem("nuke2", &at), ring);
            if (ring.withNuke1) {
                Delay(CreateParticleSystem("nuke1", &at), ring);
            }
        }
    }
}
