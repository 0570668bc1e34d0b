#pragma once
// Payload of MSG_CREATE_PARTICLE_SYSTEM: which particle system to create, and where.

#include <string>

#include "core/vector.h"

struct ParticleSystemInfo {
    ParticleSystemInfo() = default;
    ParticleSystemInfo(const Vector& position, const std::string& name)
        : position(position), name(name) {}

    Vector position;
    std::string name;
};
