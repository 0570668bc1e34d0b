#include "graphics/laser_beams.h"

#include <algorithm>
#include <cmath>

#include "core/component.h"
#include "core/game_object.h"
#include "core/math_functions.h"

namespace {

// The beam grows over the first 49 % of its time, spans start to end until 51 % and then
// shrinks from the start over the rest.
constexpr float kGrowEnd = 0.49f;
constexpr float kShrinkStart = 0.51f;
constexpr float kGrowRate = 2.0408163f;

auto FindBeam(std::list<LaserBeamInfo>& beams, const Component* beam) {
    return std::find_if(beams.begin(), beams.end(),
                        [beam](const LaserBeamInfo& b) { return b.m_beam == beam; });
}

// Rotation whose first axis is d; the world up serves as the second reference unless the
// beam is vertical, where −z does.
Quaternion BeamRotation(const Float3& d) {
    Float3 reference{0.0f, 1.0f, 0.0f};
    if (std::fabs(Math::Vec3Dot(d, reference)) > 0.9999f) {
        reference = {0.0f, 0.0f, -1.0f};
    }
    const Float3 z = Math::Vec3Normalize(Math::Vec3Cross(d, reference));
    const Float3 y = Math::Vec3Normalize(Math::Vec3Cross(z, d));
    const Float4x4 m = Matrix::FromRotation(d.x, d.y, d.z, y.x, y.y, y.z, z.x, z.y, z.z);
    return Math::QuaternionRotationMatrix(m);
}

} // namespace

void LaserBeams::Create(const LaserBeamInfo& info) {
    m_beams.push_back(info);
}

void LaserBeams::Update(const LaserBeamInfo& info) {
    const auto found = FindBeam(m_beams, info.m_beam);
    if (found == m_beams.end()) {
        return;
    }
    found->m_start = info.m_start;
    found->m_end = info.m_end;
    found->m_elapsed = info.m_elapsed;
    found->m_duration = info.m_duration;
    found->m_width = info.m_width;
}

void LaserBeams::Delete(const LaserBeamInfo& info) {
    if (info.m_beam == nullptr) {
        m_beams.clear();
        return;
    }
    const auto found = FindBeam(m_beams, info.m_beam);
    if (found != m_beams.end()) {
        m_beams.erase(found);
    }
}

void LaserBeams::RemoveOwnedBy(const GameObject* owner) {
    m_beams.remove_if([owner](const LaserBeamInfo& b) {
        return b.m_beam != nullptr && b.m_beam->owner == owner;
    });
}

void LaserBeams::Advance(float dt, const Emit& emit) {
    for (LaserBeamInfo& beam : m_beams) {
        GameObject* object = beam.m_beam != nullptr ? beam.m_beam->owner : nullptr;
        const Vector v = beam.m_end - beam.m_start;
        const float length = v.Length();
        // A beam of no length has no direction: it stays where it is until it gets one.
        if (object == nullptr || !(length > 0.0f)) {
            continue;
        }
        const Vector d = v / length;
        object->SetPosition(beam.m_start);

        // Past its time or with no duration the beam is at its end, never beyond.
        float t = 1.0f;
        if (beam.m_duration > 0.0f && beam.m_elapsed < beam.m_duration) {
            t = beam.m_elapsed / beam.m_duration;
        }
        float s = -length;
        if (t <= kGrowEnd) {
            s = t * kGrowRate * -length;
        } else if (t > kShrinkStart) {
            const float f = (t - kShrinkStart) * kGrowRate;
            object->SetPosition(object->position + d * (f * length));
            s = (1.0f - f) * -length;
        }

        beam.m_emission_time += dt;
        while (beam.m_emission_time >= kEmissionInterval) {
            beam.m_emission_time -= kEmissionInterval;
            if (emit) {
                emit(kParticleSystem, object->position + d * (t * length));
            }
        }

        object->SetScale(Vector(s, beam.m_width, beam.m_width));
        object->SetOrientation(BeamRotation(Float3(d)));
        object->SetPosition(object->position - d * (s * 0.5f));
    }
}
