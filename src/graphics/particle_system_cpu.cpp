#include "graphics/particle_system_cpu.h"

#include <cstdio>
#include <cstring>
#include <iostream>
#include <new>
#include <variant>

#include "content/file_package.h"
#include "platform/system/log.h"

namespace {

using Field =
    std::variant<i32 ParticleSettings::*, f32 ParticleSettings::*, f32 (ParticleSettings::*)[3],
                 f32 (ParticleSettings::*)[4], std::string ParticleSettings::*>;

struct Keyword {
    const char* text;
    Field field;
};

// Searched in this order for the first keyword a line contains, so a keyword that is part of
// a longer one must come after it ("NumParticles" stands twice; the second never matches).
const Keyword kKeywords[] = {
    {"NumParticles", &ParticleSettings::numParticles},
    {"TextureName", &ParticleSettings::textureName},
    {"EffectName", &ParticleSettings::effectName},
    {"SizeInitialLow", &ParticleSettings::sizeInitialLow},
    {"SizeInitialHigh", &ParticleSettings::sizeInitialHigh},
    {"SizeFinalLow", &ParticleSettings::sizeFinalLow},
    {"SizeFinalHigh", &ParticleSettings::sizeFinalHigh},
    {"ColorInitialLow", &ParticleSettings::colorInitialLow},
    {"ColorInitialHigh", &ParticleSettings::colorInitialHigh},
    {"ColorFinalLow", &ParticleSettings::colorFinalLow},
    {"ColorFinalHigh", &ParticleSettings::colorFinalHigh},
    {"LifeInitialLow", &ParticleSettings::lifeInitialLow},
    {"LifeInitialHigh", &ParticleSettings::lifeInitialHigh},
    {"MassInitialLow", &ParticleSettings::massInitialLow},
    {"MassInitialHigh", &ParticleSettings::massInitialHigh},
    {"VelocityInitialLow", &ParticleSettings::velocityInitialLow},
    {"VelocityInitialHigh", &ParticleSettings::velocityInitialHigh},
    {"VelocityRadiusLow", &ParticleSettings::velocityRadiusLow},
    {"VelocityRadiusHigh", &ParticleSettings::velocityRadiusHigh},
    {"AccelerationInitialLow", &ParticleSettings::accelerationInitialLow},
    {"AccelerationInitialHigh", &ParticleSettings::accelerationInitialHigh},
    {"PositionInitial", &ParticleSettings::positionInitial},
    {"NumParticles", &ParticleSettings::numParticles},
    {"StartRadius", &ParticleSettings::startRadius},
    {"SystemLife", &ParticleSettings::systemLife},
    {"EmitRate", &ParticleSettings::emitRate},
    {"SystemName", &ParticleSettings::systemName},
    {"UseObjectPosition", &ParticleSettings::useObjectPosition},
    {"OffsetPosition", &ParticleSettings::offsetPosition},
    {"BornDelayLow", &ParticleSettings::bornDelayLow},
    {"BornDelayHigh", &ParticleSettings::bornDelayHigh},
    {"AnimInfo", &ParticleSettings::animInfo},
    {"AnimSpeedHigh", &ParticleSettings::animSpeedHigh},
    {"AnimSpeedLow", &ParticleSettings::animSpeedLow},
    {"EmitterVelocity", &ParticleSettings::emitterVelocity},
    {"EmitterAcceleration", &ParticleSettings::emitterAcceleration},
    {"EmitterMass", &ParticleSettings::emitterMass},
    {"ZOrder", &ParticleSettings::zOrder},
    {"NoBillboarding", &ParticleSettings::noBillboarding},
    {"Orientation", &ParticleSettings::orientation},
    {"OrientByVelocity", &ParticleSettings::orientByVelocity},
    {"StartSphericalRadiusLow", &ParticleSettings::startSphericalRadiusLow},
    {"StartSphericalRadiusHigh", &ParticleSettings::startSphericalRadiusHigh},
    {"LockToUp", &ParticleSettings::lockToUp},
    {"RenderInFog", &ParticleSettings::renderInFog},
};

// Formatted scans with the standard rules: false only when the text ends before the first
// conversion. A value with fewer numbers than its format sets the leading components and
// keeps the others.
bool ScanFloats(const char* value, f32* out, int count) {
    f32 read[4] = {};
    const char* const formats[] = {"%f", "%f, %f", "%f, %f, %f", "%f, %f, %f, %f"};
    const int n = std::sscanf(value, formats[count - 1], &read[0], &read[1], &read[2], &read[3]);
    if (n == EOF) {
        return false;
    }
    std::memcpy(out, read, sizeof(f32) * static_cast<std::size_t>(n));
    return true;
}

bool Apply(ParticleSettings& s, const Field& field, const char* value) {
    struct Setter {
        ParticleSettings& s;
        const char* value;
        bool operator()(i32 ParticleSettings::*m) const {
            int read = 0;
            const int n = std::sscanf(value, "%i", &read);
            if (n == 1) {
                s.*m = read;
            }
            return n != EOF;
        }
        bool operator()(f32 ParticleSettings::*m) const { return ScanFloats(value, &(s.*m), 1); }
        bool operator()(f32 (ParticleSettings::*m)[3]) const { return ScanFloats(value, s.*m, 3); }
        bool operator()(f32 (ParticleSettings::*m)[4]) const { return ScanFloats(value, s.*m, 4); }
        bool operator()(std::string ParticleSettings::*m) const {
            char word[ParticleSettings::kNameSize] = {};
            const int n = std::sscanf(value, "%259s", word);
            if (n == 1) {
                s.*m = word;
            }
            return n != EOF;
        }
    };
    return std::visit(Setter{s, value}, field);
}

} // namespace

bool ParticleSystemCPU::ApplyDefinition(const std::string& text) {
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        const std::string line = text.substr(start, end - start);
        start = end + 1;
        for (const Keyword& keyword : kKeywords) {
            const std::size_t at = line.find(keyword.text);
            if (at == std::string::npos) {
                continue;
            }
            const std::size_t equals = line.find('=', at + std::strlen(keyword.text));
            if (equals == std::string::npos ||
                !Apply(settings, keyword.field, line.c_str() + equals + 1)) {
                return false;
            }
            break;
        }
    }
    return true;
}

bool ParticleSystemCPU::LoadDefinition(const char* name, const std::string& packagePath) {
    if (name == nullptr) {
        return false;
    }
    std::string text;
    if (const FilePackage* package = FilePackage::Get(packagePath)) {
        u32 size = 0;
        if (const std::unique_ptr<u8[]> bytes =
                package->GetFile(FilePackage::SplitPath(name), size)) {
            text.assign(reinterpret_cast<const char*>(bytes.get()), size);
        }
    }
    // The text ends at its first zero byte, as a C string would.
    text.resize(std::strlen(text.c_str()));
    if (!ApplyDefinition(text)) {
        return false;
    }
    settings.definitionName = name;
    return true;
}

void ParticleSystemCPU::Initialize() {
    const std::size_t count =
        settings.numParticles > 0 ? static_cast<std::size_t>(settings.numParticles) : 0;
    try {
        particles.assign(count, Particle{});
        vertices.assign(count * 6, ParticleVertex{});
    } catch (const std::bad_alloc&) {
        // A count typed wrong in a definition file must not end the game: the system just
        // shows nothing.
        sys::Log() << "Particle system " << settings.systemName << ": no memory for " << count
                   << " particles";
        particles.clear();
        particles.shrink_to_fit();
        vertices.clear();
        vertices.shrink_to_fit();
    }
}

ParticleSystemCPU* ParticleSystemCPU::Clone() const {
    ParticleSystemCPU* copy = new ParticleSystemCPU;
    copy->settings = settings;
    copy->graphics = graphics;
    copy->position = Vector(settings.positionInitial[0], settings.positionInitial[1],
                            settings.positionInitial[2]);
    copy->previousPosition = copy->position;
    copy->emitterVelocity = Vector(settings.emitterVelocity[0], settings.emitterVelocity[1],
                                   settings.emitterVelocity[2]);
    copy->emitterAcceleration =
        Vector(settings.emitterAcceleration[0], settings.emitterAcceleration[1],
               settings.emitterAcceleration[2]);
    copy->active = 1;
    return copy;
}
