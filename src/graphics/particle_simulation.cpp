// The particle simulation: emission, ageing and the corners of every particle's quad.
#include <algorithm>
#include <cmath>

#include "core/game_object.h"
#include "graphics/particle_system_cpu.h"
#include "graphics/render_settings.h"
#include "platform/system/crt_rand.h"

namespace {

constexpr f32 kGravity = 9.8f;
constexpr f32 kTwoPi = 6.28318530718f;
const ParticleCamera kDefaultCamera;

f32 Draw(f32 low, f32 high) {
    const f32 r = static_cast<f32>(crt::Rand()) * (1.0f / 32767.0f);
    return low + r * (high - low);
}

void Draw3(const f32* low, const f32* high, f32* out) {
    for (int i = 0; i < 3; ++i) {
        out[i] = Draw(low[i], high[i]);
    }
}

void Draw4(const f32* low, const f32* high, f32* out) {
    for (int i = 0; i < 4; ++i) {
        out[i] = Draw(low[i], high[i]);
    }
}

// A point on a sphere: (radius, azimuth fraction, polar parameter) each drawn in its range.
void Spherical(const f32* low, const f32* high, f32* out) {
    const f32 radius = Draw(low[0], high[0]);
    const f32 azimuth = Draw(low[1], high[1]) * kTwoPi;
    const f32 polar = std::acos(std::clamp(1.0f - 2.0f * Draw(low[2], high[2]), -1.0f, 1.0f));
    out[0] = radius * std::sin(polar) * std::cos(azimuth);
    out[1] = radius * std::cos(polar);
    out[2] = radius * std::sin(polar) * std::sin(azimuth);
}

Vector Rotate(const Quaternion& q, const Vector& v) {
    // v + 2 w (q x v) + 2 q x (q x v)
    const f32 cx = q.y * v.z - q.z * v.y;
    const f32 cy = q.z * v.x - q.x * v.z;
    const f32 cz = q.x * v.y - q.y * v.x;
    const f32 dx = q.y * cz - q.z * cy;
    const f32 dy = q.z * cx - q.x * cz;
    const f32 dz = q.x * cy - q.y * cx;
    return Vector(v.x + 2.0f * (q.w * cx + dx), v.y + 2.0f * (q.w * cy + dy),
                  v.z + 2.0f * (q.w * cz + dz));
}

u32 Pack(const f32* rgba) {
    const auto channel = [](f32 c) {
        return static_cast<u32>(std::lround(std::clamp(c, 0.0f, 1.0f) * 255.0f));
    };
    return channel(rgba[3]) << 24 | channel(rgba[0]) << 16 | channel(rgba[1]) << 8 |
           channel(rgba[2]);
}

void Normalise(f32* v) {
    const f32 length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (length > 1e-6f) {
        v[0] /= length;
        v[1] /= length;
        v[2] /= length;
    }
}

void Cross(const f32* a, const f32* b, f32* out) {
    out[0] = a[1] * b[2] - a[2] * b[1];
    out[1] = a[2] * b[0] - a[0] * b[2];
    out[2] = a[0] * b[1] - a[1] * b[0];
}

} // namespace

void ParticleSystemCPU::Simulate(float dt) {
    if (settings.systemLife != -1.0f && settings.systemLife < age * 1000.0f) {
        finished = 1;
    }
    if (finished == 0) {
        previousPosition = position;
        if (owner == nullptr) {
            emitterAcceleration.y -= lastDt * lastDt * settings.emitterMass * kGravity;
            emitterVelocity += emitterAcceleration * dt;
            position += emitterVelocity * dt;
        } else {
            const Vector offset(settings.offsetPosition[0], settings.offsetPosition[1],
                                settings.offsetPosition[2]);
            position = owner->position + Rotate(owner->orientation, offset);
        }
        if (age < 1e-5f) {
            previousPosition = position;
        }
    }

    const f32 interval = settings.emitRate > 0.0f ? 1.0f / settings.emitRate : 1e30f;
    accumulator += dt;
    f32 local = accumulator;
    const f32 atStart = accumulator;
    liveCount = 0;
    bool anyVisible = false;
    for (std::size_t i = particles.size(); i-- > 0;) {
        Particle& particle = particles[i];
        ParticleVertex* corners = vertices.data() + i * 6;
        if (particle.age <= particle.life) {
            if (UpdateParticle(particle, dt)) {
                ++liveCount;
                WriteVertices(particle, corners);
                anyVisible = anyVisible || particle.colour[3] >= 1e-5f;
            } else {
                std::fill(corners, corners + 6, ParticleVertex{});
            }
            continue;
        }
        if (local < interval || finished != 0 || emissionStopped != 0) {
            std::fill(corners, corners + 6, ParticleVertex{});
            continue;
        }
        const f32 t = atStart > 0.0f ? local / atStart : 0.0f;
        SpawnParticle(particle, t);
        if (UpdateParticle(particle, t * dt)) {
            ++liveCount;
            WriteVertices(particle, corners);
            anyVisible = anyVisible || particle.colour[3] >= 1e-5f;
        } else {
            std::fill(corners, corners + 6, ParticleVertex{});
        }
        local -= interval;
        // What is left of a frame with emissions is dropped.
        accumulator = 0.0f;
    }
    lastDt = dt;
    invisible = anyVisible ? 0 : 1;
    age += dt;
}

bool ParticleSystemCPU::UpdateParticle(Particle& particle, float dt) const {
    particle.birthDelay -= dt;
    if (particle.birthDelay > 0.0f) {
        return false;
    }
    if (particle.secondsPerFrame > 0.0f) {
        particle.spriteTimer += dt;
        if (particle.spriteTimer >= particle.secondsPerFrame) {
            const f32 columns = std::max(particle.sheet[0], 1.0f);
            const f32 rows = std::max(particle.sheet[1], 1.0f);
            particle.spriteTimer = 0.0f;
            particle.spriteU += 1.0f / columns;
            if (particle.spriteU >= 1.0f - 1e-6f) {
                particle.spriteU = 0.0f;
                particle.spriteV += 1.0f / rows;
                if (particle.spriteV >= 1.0f - 1e-6f) {
                    if (particle.sheet[2] == 1.0f) {
                        particle.spriteV = 0.0f;
                    } else {
                        particle.spriteU = (columns - 1.0f) / columns;
                        particle.spriteV -= 1.0f / rows;
                        particle.secondsPerFrame = 0.0f;
                    }
                }
            }
        }
    }
    particle.age += dt;
    const f32 s = std::clamp((particle.age + 1e-6f) / (particle.life + 1e-6f), 0.0f, 1.0f);
    particle.acceleration[1] -= dt * dt * particle.mass * kGravity;
    particle.size = particle.startSize + (particle.endSize - particle.startSize) * s;
    for (int c = 0; c < 4; ++c) {
        particle.colour[c] =
            particle.startColour[c] + (particle.endColour[c] - particle.startColour[c]) * s;
    }
    for (int a = 0; a < 3; ++a) {
        particle.velocity[a] += particle.acceleration[a] * dt;
        particle.position[a] += particle.velocity[a] * dt;
    }
    return true;
}

void ParticleSystemCPU::SpawnParticle(Particle& particle, float t) const {
    f32 offset[3];
    for (int a = 0; a < 3; ++a) {
        offset[a] = Draw(-settings.startRadius[a], settings.startRadius[a]);
    }
    if (std::fabs(settings.startSphericalRadiusHigh[0]) >= 1e-5f) {
        f32 sphere[3];
        Spherical(settings.startSphericalRadiusLow, settings.startSphericalRadiusHigh, sphere);
        for (int a = 0; a < 3; ++a) {
            offset[a] += sphere[a];
        }
    }
    Vector base = position;
    if (owner != nullptr) {
        base = previousPosition + (position - previousPosition) * t;
    }
    particle.position[0] = base.x + offset[0];
    particle.position[1] = base.y + offset[1];
    particle.position[2] = base.z + offset[2];

    Draw3(settings.velocityInitialLow, settings.velocityInitialHigh, particle.velocity);
    f32 spin[3];
    Spherical(settings.velocityRadiusLow, settings.velocityRadiusHigh, spin);
    for (int a = 0; a < 3; ++a) {
        particle.velocity[a] += spin[a];
    }
    Draw3(settings.accelerationInitialLow, settings.accelerationInitialHigh, particle.acceleration);
    particle.age = 0.0f;
    particle.life = Draw(settings.lifeInitialLow, settings.lifeInitialHigh);
    particle.mass = Draw(settings.massInitialLow, settings.massInitialHigh);
    Draw4(settings.colorInitialLow, settings.colorInitialHigh, particle.startColour);
    std::copy(particle.startColour, particle.startColour + 4, particle.colour);
    Draw4(settings.colorFinalLow, settings.colorFinalHigh, particle.endColour);
    particle.startSize = Draw(settings.sizeInitialLow, settings.sizeInitialHigh);
    particle.size = particle.startSize;
    particle.endSize = Draw(settings.sizeFinalLow, settings.sizeFinalHigh);
    particle.birthDelay = Draw(settings.bornDelayLow, settings.bornDelayHigh);
    std::copy(settings.animInfo, settings.animInfo + 3, particle.sheet);
    particle.secondsPerFrame = Draw(settings.animSpeedLow, settings.animSpeedHigh);
    particle.spriteU = 0.0f;
    particle.spriteV = 0.0f;
    particle.spriteTimer = 0.0f;
}

void ParticleSystemCPU::WriteVertices(Particle& particle, ParticleVertex* corners) const {
    const ParticleCamera& view = camera != nullptr ? *camera : kDefaultCamera;
    const f32 dx = particle.position[0] - view.eye[0];
    const f32 dy = particle.position[1] - view.eye[1];
    const f32 dz = particle.position[2] - view.eye[2];
    const f32 distance = std::sqrt(dx * dx + dy * dy + dz * dz);
    const f32 fogRange = g_render_settings.fogRange;
    f32 fade = settings.renderInFog != 0 ? distance * 0.0002f
                                         : (fogRange > 0.0f ? distance / fogRange : 1.0f);
    fade = std::clamp(fade, 0.0f, 1.0f);
    particle.colour[3] *= 1.0f - fade;
    const u32 colour = Pack(particle.colour);

    f32 right[3] = {view.right[0], view.right[1], view.right[2]};
    f32 up[3] = {view.up[0], view.up[1], view.up[2]};
    if (settings.orientByVelocity != 0) {
        // Along the velocity, the quad's width facing the eye.
        f32 along[3] = {particle.velocity[0], particle.velocity[1], particle.velocity[2]};
        Normalise(along);
        const f32 toEye[3] = {-dx, -dy, -dz};
        Cross(along, toEye, right);
        Normalise(right);
        std::copy(along, along + 3, up);
    } else if (settings.noBillboarding != 0) {
        // The yaw (about y), pitch (about x) and roll (about z) of "Orientation".
        const f32 cy = std::cos(settings.orientation[0]), sy = std::sin(settings.orientation[0]);
        const f32 cp = std::cos(settings.orientation[1]), sp = std::sin(settings.orientation[1]);
        const f32 cr = std::cos(settings.orientation[2]), sr = std::sin(settings.orientation[2]);
        right[0] = cr * cy + sr * sp * sy;
        right[1] = sr * cp;
        right[2] = -cr * sy + sr * sp * cy;
        up[0] = -sr * cy + cr * sp * sy;
        up[1] = cr * cp;
        up[2] = sr * sy + cr * sp * cy;
    }
    for (int a = 0; a < 3; ++a) {
        right[a] *= particle.size;
        up[a] *= particle.size;
    }
    if (settings.lockToUp == 1) {
        up[0] = 0.0f;
        up[2] = 0.0f;
    }
    const f32 columns = std::max(particle.sheet[0], 1.0f);
    const f32 rows = std::max(particle.sheet[1], 1.0f);
    const f32 u0 = particle.spriteU;
    const f32 v0 = particle.spriteV;
    const f32 u1 = u0 + 1.0f / columns;
    const f32 v1 = v0 + 1.0f / rows;
    const auto corner = [&](f32 sx, f32 sy, f32 u, f32 v) {
        ParticleVertex vertex;
        vertex.x = particle.position[0] + sx * right[0] + sy * up[0];
        vertex.y = particle.position[1] + sx * right[1] + sy * up[1];
        vertex.z = particle.position[2] + sx * right[2] + sy * up[2];
        vertex.colour = colour;
        vertex.u = u;
        vertex.v = v;
        return vertex;
    };
    const ParticleVertex topLeft = corner(-1.0f, 1.0f, u0, v0);
    const ParticleVertex topRight = corner(1.0f, 1.0f, u1, v0);
    const ParticleVertex bottomLeft = corner(-1.0f, -1.0f, u0, v1);
    const ParticleVertex bottomRight = corner(1.0f, -1.0f, u1, v1);
    // Counter-clockwise as seen from the eye: the renderer culls clockwise faces of
    // billboards, so a quad that turned away would not show.
    corners[0] = topLeft;
    corners[1] = bottomLeft;
    corners[2] = topRight;
    corners[3] = topRight;
    corners[4] = bottomLeft;
    corners[5] = bottomRight;
}
