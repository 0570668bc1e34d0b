#pragma once
// A billboard particle system simulated on the processor. Templates are read from particle
// definition files; live systems are clones of templates. A system attached to a game
// object is one of its components and follows it.

#include <string>
#include <vector>

#include "core/asset_paths.h"
#include "core/component.h"
#include "core/memory_allocator.h"
#include "core/types.h"
#include "core/vector.h"

class GraphicsProcess;

// The settings of a definition file, with the values a template has before its file is
// read. Low/High pairs bound uniform draws made per particle and per component.
struct ParticleSettings {
    static constexpr u32 kNameSize = 260;

    i32 numParticles = 5000;
    std::string textureName = asset_path::kDefaultParticleTexture;
    std::string effectName = "graphics/shaders/particle_default.fx";
    f32 sizeInitialLow = 0.0f;
    f32 sizeInitialHigh = 0.0f;
    f32 sizeFinalLow = 10.0f;
    f32 sizeFinalHigh = 30.0f;
    f32 colorInitialLow[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    f32 colorInitialHigh[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    f32 colorFinalLow[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    f32 colorFinalHigh[4] = {0.0f, 0.0f, 0.0f, 0.0f};
    f32 lifeInitialLow = 1.0f;
    f32 lifeInitialHigh = 1.0f;
    f32 massInitialLow = 0.0f;
    f32 massInitialHigh = 0.0f;
    f32 velocityInitialLow[3] = {0.0f, 0.0f, 0.0f};
    f32 velocityInitialHigh[3] = {0.0f, 0.0f, 0.0f};
    // (speed, azimuth fraction, polar parameter)
    f32 velocityRadiusLow[3] = {0.0f, 0.0f, 0.0f};
    f32 velocityRadiusHigh[3] = {0.0f, 0.0f, 0.0f};
    f32 accelerationInitialLow[3] = {0.0f, 0.0f, 0.0f};
    f32 accelerationInitialHigh[3] = {0.0f, 0.0f, 0.0f};
    f32 positionInitial[3] = {-7.5f, 0.0f, -15.0f};
    f32 startRadius[3] = {0.0f, 0.0f, 0.0f};
    // Emission time in milliseconds; -1 emits for ever.
    f32 systemLife = 10000.0f;
    f32 emitRate = 10.0f;
    std::string systemName;
    i32 useObjectPosition = 0;
    f32 offsetPosition[3] = {0.0f, 0.0f, 0.0f};
    f32 bornDelayLow = 0.0f;
    f32 bornDelayHigh = 0.0f;
    // (columns, rows, loop flag)
    f32 animInfo[3] = {1.0f, 1.0f, 0.0f};
    f32 animSpeedHigh = 0.0f;
    f32 animSpeedLow = 0.0f;
    f32 emitterVelocity[3] = {0.0f, 0.0f, 0.0f};
    f32 emitterAcceleration[3] = {0.0f, 0.0f, 0.0f};
    f32 emitterMass = 0.0f;
    f32 zOrder = 0.0f;
    i32 noBillboarding = 0;
    // Yaw, pitch, roll in radians.
    f32 orientation[3] = {0.0f, 0.0f, 0.0f};
    i32 orientByVelocity = 0;
    f32 startSphericalRadiusLow[3] = {0.0f, 0.0f, 0.0f};
    f32 startSphericalRadiusHigh[3] = {0.0f, 0.0f, 0.0f};
    i32 lockToUp = 0;
    i32 renderInFog = 0;
    // The file the settings came from.
    std::string definitionName;
};

struct Particle {
    f32 startColour[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    f32 endColour[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    f32 colour[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    f32 position[3] = {0.0f, 0.0f, 0.0f};
    f32 velocity[3] = {0.0f, 0.0f, 0.0f};
    f32 acceleration[3] = {0.0f, 0.0f, 0.0f};
    // A fresh record counts as dead, so it is the first to be emitted.
    f32 age = 1000.1f;
    f32 life = 1000.0f;
    f32 startSize = 1.0f;
    f32 endSize = 1.0f;
    f32 size = 1.0f;
    f32 mass = 0.0f;
    f32 birthDelay = 0.0f;
    f32 sheet[3] = {0.0f, 0.0f, 0.0f};
    f32 secondsPerFrame = 0.0f;
    f32 spriteU = 0.0f;
    f32 spriteV = 0.0f;
    f32 spriteTimer = 0.0f;
};

// One corner of a particle quad: position, A8R8G8B8 colour, texture coordinate; six a
// particle (two triangles). A dead particle's corners have colour 0.
struct ParticleVertex {
    f32 x = 0.0f;
    f32 y = 0.0f;
    f32 z = 0.0f;
    u32 colour = 0;
    f32 u = 0.0f;
    f32 v = 0.0f;
};
static_assert(sizeof(ParticleVertex) == 24);

// What the quads are turned to: the eye and the camera's right and up axes in the world.
struct ParticleCamera {
    f32 eye[3] = {0.0f, 0.0f, 0.0f};
    f32 right[3] = {1.0f, 0.0f, 0.0f};
    f32 up[3] = {0.0f, 1.0f, 0.0f};
};

class ParticleSystemCPU : public Component, public Allocator<ParticleSystemCPU> {
  public:
    static constexpr const char* kPackage = asset_path::kParticlesPackage;

    ParticleSystemCPU() = default;
    ~ParticleSystemCPU() override = default;

    // The manager updates its systems itself, not through the owner's component update.
    void Update(float) override {}

    // Reads the definition file of this name from the particles package; true when every
    // line of it was applied. A failed load keeps the settings read until then.
    bool LoadDefinition(const char* name, const std::string& packagePath = kPackage);
    // Applies the lines of a definition's text; false at the first keyword line without "="
    // or with an empty value.
    bool ApplyDefinition(const std::string& text);

    // Fresh particle records for the pool. Texture, effect and vertex buffer come from the
    // renderer's caches when the system is first drawn.
    void Initialize() override;
    // A live copy of a template: its settings, started at the template's position.
    ParticleSystemCPU* Clone() const;

    // The simulation of one frame: the emitter moves, particles are emitted, age and move,
    // and every particle's six corners are written. Runs on the manager's workers, drawing
    // from the calling thread's random sequence.
    void Simulate(float dt);
    // Ages one living particle; false while its birth delay still runs.
    bool UpdateParticle(Particle& particle, float dt) const;
    // A new particle at the fraction t of this frame's emitter path.
    void SpawnParticle(Particle& particle, float t) const;
    // The six corners of a living particle, faded with distance.
    void WriteVertices(Particle& particle, ParticleVertex* corners) const;

    ParticleSettings settings;
    GraphicsProcess* graphics = nullptr;
    // The manager's camera; the default one looks down +z.
    const ParticleCamera* camera = nullptr;
    std::vector<Particle> particles;
    // Six corners a particle, in the order of particles.
    std::vector<ParticleVertex> vertices;
    Vector position;
    Vector previousPosition;
    Vector emitterVelocity;
    Vector emitterAcceleration;
    f32 accumulator = 0.0f;
    f32 age = 0.0f;
    f32 lastDt = 0.0f;
    u32 liveCount = 0;
    u8 finished = 0;
    u8 emissionStopped = 0;
    u8 invisible = 0;
    // Only active systems are updated and drawn.
    u8 active = 1;
    u8 vertexBufferNotOwned = 0;
};
