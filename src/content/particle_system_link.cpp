#include "content/particle_system_link.h"

namespace {

ParticleSystemLink* g_link = nullptr;

} // namespace

void ParticleSystemLink::Install(ParticleSystemLink* link) {
    g_link = link;
}

ParticleSystemLink* ParticleSystemLink::Installed() {
    return g_link;
}
