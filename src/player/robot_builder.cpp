#include "player/robot_builder.h"

#include "animation/animation_controller.h"
#include "animation/animation_process.h"
#include "animation/composite_part.h"
#include "animation/skeleton.h"
#include "core/game_object.h"
#include "game/game_state.h"

GameObject* CreateRobot(GameState& state, AnimationProcess* animation) {
    GameObject* const base = state.CreateObject("RobotBase");
    if (base == nullptr) {
        return nullptr;
    }
    // No joint on the body, no rig: the robot is the base alone.
    GameObject* const body = state.CreateObject("RobotBody");
    if (body == nullptr || body->GetComponent(ComponentType::Joint) == nullptr ||
        animation == nullptr) {
        return base;
    }
    Skeleton* const skeleton = animation->AddSkeleton();
    if (auto* controller = dynamic_cast<AnimationController*>(
            base->GetComponent(ComponentType::AnimationController))) {
        controller->m_skeleton = skeleton;
    }
    AttachPart(base, body, animation, skeleton);
    for (const char* part :
         {"RobotHead", "RobotRightArm", "RobotLeftArm", "RobotLeg", "RobotLeg"}) {
        AttachPart(base, state.CreateObject(part), animation, skeleton);
    }
    for (u32 i = 0; i < kRobotHealthParts; ++i) {
        AttachPart(base, state.CreateObject("RobotHealth"));
    }
    return base;
}
