#include "animation/composite_part.h"

#include "animation/animation_process.h"
#include "animation/joint.h"
#include "animation/skeleton.h"
#include "core/component.h"
#include "core/game_object.h"

void AttachPart(GameObject* base, GameObject* part, AnimationProcess* animation,
                Skeleton* skeleton) {
    if (part == nullptr) {
        return;
    }
    // The joint is bound before the part joins the base, so a part without one leaves no
    // gap: the parts after it move up a slot.
    if (skeleton != nullptr && animation != nullptr) {
        if (auto* joint = dynamic_cast<JointComponent*>(part->GetComponent(ComponentType::Joint))) {
            skeleton->AddJoint(animation->DetachJoint(joint));
        }
    }
    part->parentObject = base;
    base->childObjects.push_back(part);
    // Each part keeps a body of its own; robot types share mask 0, so they never touch.
    part->NotifyComponents();
}
