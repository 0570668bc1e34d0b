// The body's five cables: tube meshes bent every frame from two points on the body to two
// points riding on a limb's joint.
#include <array>

#include "animation/animation_controller.h"
#include "animation/joint.h"
#include "animation/skeleton.h"
#include "core/component_type.h"
#include "core/game_object.h"
#include "core/math_functions.h"
#include "graphics/beam_mesh.h"
#include "graphics/graphic_component.h"
#include "player/player_component.h"

namespace {

constexpr const char* kBodyType = "RobotBody";

struct CableRoute {
    int joint;
    // Body-local, then joint-local: the control points in the order they are handed over.
    std::array<Vector, 2> body;
    std::array<Vector, 2> limb;
};

// Left leg, right leg, left arm, right arm, head.
const std::array<CableRoute, PlayerChildComponent::kCableCount> kRoutes = {{
    {Skeleton::kLeftLeg,
     {Vector(2.15f, -4.5f, 0.0f), Vector(2.15f, -5.5f, 0.0f)},
     {Vector(0.25f, 4.25f, 1.0f), Vector(0.25f, 3.25f, 1.0f)}},
    {Skeleton::kRightLeg,
     {Vector(-2.15f, -4.5f, 0.0f), Vector(-2.15f, -5.5f, 0.0f)},
     {Vector(-0.25f, 4.25f, 1.0f), Vector(-0.25f, 3.25f, 1.0f)}},
    {Skeleton::kLeftArm,
     {Vector(3.75f, 2.25f, 0.0f), Vector(4.25f, 1.75f, 0.0f)},
     {Vector(0.0f, 3.0f, 0.0f), Vector(0.0f, 2.0f, 0.0f)}},
    {Skeleton::kRightArm,
     {Vector(-3.75f, 2.25f, 0.0f), Vector(-4.25f, 1.75f, 0.0f)},
     {Vector(0.0f, 3.0f, 0.0f), Vector(0.0f, 2.0f, 0.0f)}},
    {Skeleton::kHead,
     {Vector(0.0f, 3.0f, 0.0f), Vector(0.0f, 3.5f, 0.0f)},
     {Vector(0.0f, -1.75f, 0.0f), Vector(0.0f, -1.5f, 0.0f)}},
}};

// The object a joint of the robot's rig moves, or null.
const GameObject* JointObject(const GameObject* robot, int slot) {
    const auto* controller = robot != nullptr
                                 ? dynamic_cast<const AnimationController*>(
                                       robot->GetComponent(ComponentType::AnimationController))
                                 : nullptr;
    if (controller == nullptr || controller->m_skeleton == nullptr ||
        controller->m_skeleton->m_joints.size() <= static_cast<std::size_t>(slot)) {
        return nullptr;
    }
    const auto* joint =
        dynamic_cast<const JointComponent*>(controller->m_skeleton->m_joints[slot].get());
    return joint != nullptr ? joint->owner : nullptr;
}

} // namespace

PlayerChildComponent::PlayerChildComponent(std::string objectType)
    : DefinitionComponent(std::move(objectType)) {}

PlayerChildComponent::~PlayerChildComponent() = default;

void PlayerChildComponent::Initialize() {
    m_cables.clear();
    if (m_object_type != kBodyType || owner == nullptr) {
        return;
    }
    const auto found = owner->components.find(ComponentType::Graphic);
    if (found == owner->components.end()) {
        return;
    }
    const std::vector<Component*>& graphics = found->second;
    for (std::size_t i = 1; i < graphics.size() && m_cables.size() < kCableCount; ++i) {
        auto* tube = dynamic_cast<GraphicComponent*>(graphics[i]);
        if (tube == nullptr) {
            continue;
        }
        m_cables.push_back(std::make_unique<BeamMesh>());
        m_cables.back()->Create(tube, kCableBoxScale);
    }
}

void PlayerChildComponent::Update(float /*dt*/) {
    if (m_cables.empty() || owner == nullptr) {
        return;
    }
    const GameObject& body = *owner;
    const Quaternion toBody = Math::QuaternionInverse(body.orientation);
    std::vector<Vector> points(4);
    for (std::size_t i = 0; i < m_cables.size(); ++i) {
        const CableRoute& route = kRoutes[i];
        const GameObject* const limb = JointObject(body.parentObject, route.joint);
        // A rig without this joint leaves the cable where it last was.
        if (limb == nullptr) {
            continue;
        }
        points[0] = route.body[0];
        points[1] = route.body[1];
        for (std::size_t k = 0; k < 2; ++k) {
            const Vector world =
                limb->position + Math::RotateByQuaternion(route.limb[k], limb->orientation);
            points[2 + k] = Math::RotateByQuaternion(world - body.position, toBody);
        }
        m_cables[i]->SetControlPoints(points);
        m_cables[i]->Update();
    }
}

void PlayerChildComponent::SetBulge(f32 amplitude, f32 centre, f32 spread) {
    BeamMesh* const cable = Cable(kHeadCable);
    if (cable == nullptr || (cable->BulgeAmplitude() == amplitude &&
                             cable->BulgeCentre() == centre && cable->BulgeSpread() == spread)) {
        return;
    }
    cable->SetBulge(amplitude, centre, spread);
    // The bulge changes the shape though no point moved.
    cable->MarkChanged();
}

BeamMesh* PlayerChildComponent::Cable(u32 index) const {
    return index < m_cables.size() ? m_cables[index].get() : nullptr;
}
