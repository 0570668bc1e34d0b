#pragma once
// Names one component of an object for the level editor's component requests: its type and
// which of the object's components of that type.
#include "core/component_type.h"
#include "core/types.h"

struct ComponentIndex {
    ComponentType m_type = ComponentType::Invalid;
    u32 m_index = 0;
};
