#include "ai/ai_movement.h"

#include <algorithm>
#include <cfloat>
#include <string>
#include <vector>

#include "ai/ai_view_component.h"
#include "ai/ai_view_process.h"
#include "ai/unit_names.h"
#include "ai/unit_services.h"
#include "core/bounds.h"
#include "core/game_object.h"
#include "core/message.h"

namespace {

constexpr float kSeparation = 70.0f;

// The nearest hit of a ray against a sphere: its single root, or the smaller of two.
bool RayHit(const Vector& origin, const Vector& centre, const Vector& direction, float radius,
            float& distance) {
    // Reused: this runs three times per building near every moving unit every frame.
    thread_local std::vector<float> hits;
    hits.clear();
    const int count = Math::RaySphereIntersect(origin, centre, direction, radius, &hits);
    if (count == 0 || hits.empty()) {
        return false;
    }
    distance = *std::min_element(hits.begin(), hits.end());
    return true;
}

} // namespace

void AI_Movement::AvoidBuildings(AIViewProcess& process) {
    m_avoid = Vector();
    GameObject* const self = m_owner->owner;
    if (self == nullptr) {
        return;
    }
    const Vector p = self->position;
    const u8 separation = m_owner->m_separation_class;
    for (AIViewComponent* unit : process.m_units) {
        if ((unit->m_separation_class & separation) == 0 || unit == m_owner ||
            unit->owner == nullptr) {
            continue;
        }
        const Vector& q = unit->owner->position;
        const float d2 =
            (p.x - q.x) * (p.x - q.x) + (p.y - q.y) * (p.y - q.y) + (p.z - q.z) * (p.z - q.z);
        if (d2 < kSeparation * kSeparation && d2 > 0.0f) {
            const Vector e = p - q;
            const float d = e.Length();
            m_avoid += (e / d) * (kSeparation / d);
        }
    }

    if (process.m_buildings != nullptr) {
        thread_local std::vector<GameObject*> buildings;
        buildings.clear();
        process.m_buildings->Collect(p, kSeparation, buildings);
        const Vector forward = -Quaternion::GetDirection(self->orientation);
        const Vector side = forward.Cross(Vector(0.0f, 1.0f, 0.0f));
        float best = FLT_MAX;
        bool found = false;
        Vector bestE;
        for (GameObject* building : buildings) {
            if (building == nullptr || building->boundingBox == nullptr) {
                continue;
            }
            const Vector& half = building->boundingBox->m_extents;
            Vector q = building->position;
            if (p.y < q.y - half.y || p.y > q.y + half.y) {
                continue;
            }
            q.y = p.y;
            const Vector e = p - q;
            const float r = std::sqrt(half.x * half.x + half.z * half.z);
            if (!(e.LengthSquared() < (r + kSeparation) * (r + kSeparation))) {
                continue;
            }
            const Vector starts[3] = {p - side * r, p, p + side * r};
            for (const Vector& start : starts) {
                float distance = 0.0f;
                if (RayHit(start, q, forward, r, distance) && distance < best) {
                    best = distance;
                    bestE = e;
                    found = true;
                }
            }
        }
        if (found) {
            const float length = bestE.Length();
            if (length > 0.0f) {
                m_avoid += bestE.Cross(forward).Cross(bestE) / length;
            }
        }
    }
    m_avoid.y = 0.0f;
}

void AI_Movement::Steer(float dt, Kind kind) {
    AIViewComponent& unit = *m_owner;
    GameObject* const self = unit.owner;
    if (unit.m_waypoints.empty() || self == nullptr) {
        return;
    }
    const Vector& w = unit.m_waypoints.front();
    const Vector& p = self->position;
    Vector d = kind == Kind::Missile ? w - p : Vector(w.x - p.x, 0.0f, w.z - p.z);

    if (unit.m_arrivalNotify && d.LengthSquared() < unit.m_range * unit.m_range) {
        if (unit.router != nullptr) {
            BaseMessage arrived(MSG_SEEK_ARRIVAL);
            unit.SendMessage(&arrived, self->id);
        }
        // A looping track keeps its points; the arrival handling cycles them.
        const std::string& name = self->name;
        const bool keep = kind == Kind::Tank &&
                          (name == "AI-Ground-CarGame" || name == "AI-Ground-CitizenCardboard");
        if (!keep) {
            unit.m_waypoints.clear();
        }
        return;
    }

    const float s = unit.m_reverse == 1 ? -1.0f : 1.0f;
    AIViewProcess* const process = unit.Process();
    switch (kind) {
    case Kind::Tank:
        if (self->name != "AI-Ground-CarGame" && s > 0.0f) {
            if (process != nullptr) {
                AvoidBuildings(*process);
            }
            d = d * unit.m_seekGain + m_avoid * unit.m_avoidGain;
            d.y = 0.0f;
        }
        break;
    case Kind::Helicopter:
        if (s > 0.0f) {
            if (process != nullptr) {
                AvoidBuildings(*process);
            }
            d = d * unit.m_seekGain + m_avoid * unit.m_avoidGain;
        }
        break;
    case Kind::Missile: {
        const Vector h = s > 0.0f ? m_heading : Vector();
        d = d * unit.m_seekGain + h * unit.m_headingGain + m_avoid * unit.m_avoidGain;
        break;
    }
    }
    d.Normalize();

    const Vector forward = -Quaternion::GetDirection(self->orientation);
    const float c = forward.Dot(d);
    const float t = std::clamp(c, unit.m_aimCosine, 1.0f);
    const float step = unit.m_speed * dt;
    const float k = Quaternion::GetRight(self->orientation).Dot(d) >= 0.0f ? 1.0f : -1.0f;
    Quaternion q = self->orientation;
    Quaternion::Integrate(q, Vector(0.0f, 1.0f, 0.0f), k * (1.0f - t) * step);
    self->SetOrientation(q);
    self->orientationChanged = true;

    if (kind == Kind::Helicopter) {
        self->MovePhysics(d * s * step);
    } else {
        const Vector ahead = -Quaternion::GetDirection(q);
        self->MovePhysics(ahead * s * t * step);
    }
}
