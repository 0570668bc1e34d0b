#include "ai/state.h"

#include <algorithm>
#include <cmath>

#include "ai/ai_view_component.h"
#include "ai/ai_view_process.h"
#include "ai/state_machine.h"
#include "ai/unit_services.h"
#include "ai/unit_weapon.h"
#include "core/game_object.h"
#include "core/quaternion.h"

namespace {

StateFactory g_state_factories[kStateIdCount] = {};

} // namespace

State* MakeState(i32 id) {
    if (!StateIdHasClass(id) || g_state_factories[id] == nullptr) {
        return nullptr;
    }
    return g_state_factories[id]();
}

StateFactory RegisterStateFactory(i32 id, StateFactory factory) {
    if (!StateIdHasClass(id)) {
        return nullptr;
    }
    const StateFactory previous = g_state_factories[id];
    g_state_factories[id] = factory;
    return previous;
}

void ClearStateFactories() {
    for (StateFactory& factory : g_state_factories) {
        factory = nullptr;
    }
}

AIViewComponent* State::Unit() const {
    return m_machine != nullptr ? m_machine->GetOwner() : nullptr;
}

GameObject* State::Self() const {
    AIViewComponent* const unit = Unit();
    return unit != nullptr ? unit->m_object : nullptr;
}

GameObject* State::Target() const {
    AIViewComponent* const unit = Unit();
    return unit != nullptr ? unit->m_target : nullptr;
}

Vector State::Facing() const {
    GameObject* const self = Self();
    return self != nullptr ? -Quaternion::GetDirection(self->orientation) : Vector();
}

f32 State::TargetDistanceSquared() const {
    GameObject* const self = Self();
    GameObject* const target = Target();
    if (self == nullptr || target == nullptr) {
        return 0.0f;
    }
    return (target->position - self->position).LengthSquared();
}

void State::AimWaypoint() {
    AIViewComponent* const unit = Unit();
    if (unit == nullptr) {
        return;
    }
    unit->m_waypoints.clear();
    if (unit->m_target != nullptr) {
        unit->m_waypoints.push_back(unit->m_target->position);
    }
}

void State::ClearWaypoints() {
    if (AIViewComponent* const unit = Unit()) {
        unit->m_waypoints.clear();
    }
}

void State::AdvanceMode() {
    if (AIViewComponent* const unit = Unit()) {
        unit->m_reverse = 0;
        unit->m_arrivalNotify = true;
    }
}

void State::RetreatMode() {
    if (AIViewComponent* const unit = Unit()) {
        unit->m_reverse = 1;
        unit->m_arrivalNotify = false;
    }
}

void State::BeginSeek() {
    AdvanceMode();
    AIViewComponent* const unit = Unit();
    if (unit != nullptr && unit->m_target != nullptr) {
        unit->m_waypoints.push_back(unit->m_target->position);
    }
    SetEmissionPaused(false);
}

bool State::SwitchTo(i32 id) {
    return m_machine != nullptr && m_machine->ChangeTo(id);
}

f32 State::TurnToward(Vector dir, float dt) {
    AIViewComponent* const unit = Unit();
    GameObject* const self = Self();
    if (unit == nullptr || self == nullptr) {
        return 0.0f;
    }
    dir.y = 0.0f;
    dir.Normalize();
    const Vector facing = Facing().Normalize();
    const Vector side = Quaternion::GetRight(self->orientation).Normalize();
    const f32 c = std::clamp(facing.Dot(dir), unit->m_aimCosine, 1.0f);
    const f32 sign = side.Dot(dir) < 0.0f ? -1.0f : 1.0f;
    Quaternion q = self->orientation;
    Quaternion::Integrate(q, Vector(0.0f, 1.0f, 0.0f), (1.0f - c) * sign * unit->m_speed * dt);
    self->SetOrientation(q);
    return c;
}

f32 State::TurnTowardTarget(float dt) {
    GameObject* const self = Self();
    GameObject* const target = Target();
    if (self == nullptr || target == nullptr) {
        return 0.0f;
    }
    return TurnToward(target->position - self->position, dt);
}

void State::SetAnimationPaused(const std::string& clip, bool paused) {
    AIViewComponent* const unit = Unit();
    GameObject* const self = Self();
    AIViewProcess* const ai = unit != nullptr ? unit->Process() : nullptr;
    if (self != nullptr && ai != nullptr && ai->Look() != nullptr) {
        ai->Look()->SetAnimationPaused(*self, clip, paused);
    }
}

void State::SetEmissionPaused(bool paused) {
    AIViewComponent* const unit = Unit();
    GameObject* const self = Self();
    AIViewProcess* const ai = unit != nullptr ? unit->Process() : nullptr;
    if (self != nullptr && ai != nullptr && ai->Look() != nullptr) {
        ai->Look()->SetEmissionPaused(*self, paused);
    }
}

void State::Fire() {
    if (AIViewComponent* const unit = Unit()) {
        FireUnitWeapon(&m_shootAnimPlayed, this, &unit->m_weaponTimer);
    }
}

bool State::LinedUp() const {
    GameObject* const self = Self();
    GameObject* const target = Target();
    if (self == nullptr || target == nullptr) {
        return false;
    }
    const Vector dir = (target->position - self->position).Normalize();
    const f32 a = std::fabs(Facing().Dot(dir));
    return 1.0f - a < 0.15f;
}
