#pragma once
// The two strings every component stream of an object definition starts with: the object
// type the component was defined under and the component type's name. A process reads them
// first to tell which of its component types the stream describes; the parameters follow.
#include <string>

#include "core/component_type.h"

class StreamMap;

struct ComponentHeader {
    // Reads both strings at the stream's read position; false when either is missing.
    bool Read(StreamMap* stream);
    ComponentType Type() const { return ComponentType::FromName(m_component_type); }

    std::string m_object_type;
    std::string m_component_type;
};
