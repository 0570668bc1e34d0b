#include "animation/animation_process.h"

#include "animation/animation_controller.h"
#include "animation/joint.h"

Component* AnimationProcess::CreateComponent(StreamMap* parameters) {
    return CreateFromStream<Joint, AnimationController>(parameters, ComponentType::Joint,
                                                        ComponentType::AnimationController);
}

Skeleton* AnimationProcess::AddSkeleton() {
    m_skeletons.push_back(std::make_unique<Skeleton>());
    return m_skeletons.back().get();
}

u32 AnimationProcess::FindComponentIndex(const Component* component) const {
    const i32 index = m_components.IndexOf(component);
    return index < 0 ? 0u : static_cast<u32>(index);
}
