#pragma once
// The request to create a particle system at a place: what scripts send the renderer with
// MSG_CREATE_PARTICLE_SYSTEM. It lives here, below the renderer, because the script host
// sends it.

#include <string>

#include "core/vector.h"

struct ParticleSystemInfo {
    Vector position;
    std::string name;
};
