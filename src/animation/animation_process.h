#pragma once
// The level's skeletal animation (handler 15): creates the "Joint" and "AnimationController"
// components and owns the skeletons that tie joints together.
#include <memory>
#include <vector>

#include "animation/skeleton.h"
#include "core/component_list_process.h"
#include "core/handler_ids.h"

class AnimationProcess : public ComponentListProcess {
  public:
    static constexpr u32 kHandlerId = HANDLER_ANIMATION_PROCESS;

    AnimationProcess() = default;
    Component* CreateComponent(StreamMap* parameters) override;

    // A new empty skeleton, kept until the process ends.
    Skeleton* AddSkeleton();
    // The component's index in this process's component list; 0 when the list lacks it.
    u32 FindComponentIndex(const Component* component) const;

    const std::vector<std::unique_ptr<Skeleton>>& Skeletons() const { return m_skeletons; }

  private:
    std::vector<std::unique_ptr<Skeleton>> m_skeletons;
};
