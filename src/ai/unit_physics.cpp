// The states' body operations on the physics components of the level.
#include "PhysX/physx_component.h"
#include "ai/ai_view_process.h"
#include "ai/unit_services.h"
#include "core/component_type.h"
#include "core/game_object.h"

namespace {

constexpr u32 kKinematicFlag = 0x80;

PhysXComponent* BodyOf(GameObject& object) {
    return dynamic_cast<PhysXComponent*>(object.GetComponent(ComponentType::Physics));
}

class PhysXUnitPhysics : public UnitPhysics {
  public:
    bool HasBody(GameObject& object) override { return BodyOf(object) != nullptr; }
    void SetGravityEnabled(GameObject& object, bool enabled) override {
        if (PhysXComponent* body = BodyOf(object)) {
            body->SetGravityEnabled(enabled);
        }
    }
    void UnfreezeAll(GameObject& object) override {
        if (PhysXComponent* body = BodyOf(object)) {
            body->UnfreezeAll();
        }
    }
    void ClearBodyFlags(GameObject& object, u32 flags) override {
        if (PhysXComponent* body = BodyOf(object)) {
            // The kinematic bit goes through the component, which keeps that state too.
            if ((flags & kKinematicFlag) != 0) {
                body->SetKinematic(false);
            }
            body->ClearBodyFlags(flags);
        }
    }
    void Wake(GameObject& object) override {
        if (PhysXComponent* body = BodyOf(object)) {
            body->SetSleeping(false);
        }
    }
    void SetDamping(GameObject& object, f32 damping) override {
        if (PhysXComponent* body = BodyOf(object)) {
            body->SetDamping(damping);
        }
    }
    f32 Mass(GameObject& object) override {
        PhysXComponent* body = BodyOf(object);
        return body != nullptr ? body->GetMass() : 0.0f;
    }
    Vector MassSpaceInertia(GameObject& object) override {
        PhysXComponent* body = BodyOf(object);
        return body != nullptr ? body->GetMassSpaceInertia() : Vector();
    }
    void AddTorque(GameObject& object, const Vector& torque) override {
        if (PhysXComponent* body = BodyOf(object)) {
            body->AddTorque(torque);
        }
    }
};

} // namespace

UnitPhysics* AIViewProcess::Physics() const {
    static PhysXUnitPhysics physx;
    return m_physics != nullptr ? m_physics : &physx;
}
