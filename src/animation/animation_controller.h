#pragma once
// The "AnimationController" component: plays the animations of an object's skeleton.
#include "core/definition_component.h"
#include "core/memory_allocator.h"

class Skeleton;

class AnimationController : public DefinitionComponent, public Allocator<AnimationController> {
  public:
    using DefinitionComponent::DefinitionComponent;

    // Given by the creator of the animated object; the AnimationProcess owns the skeleton.
    Skeleton* m_skeleton = nullptr;
};
