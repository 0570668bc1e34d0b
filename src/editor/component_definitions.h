#pragma once
// Component definitions as the editor sends them to the state.
#include <string>

#include "core/stream_map.h"

namespace editor {

// A definition of component `component` for object type `type` holding every value of
// `source` (after its two leading names) with its name and type; only the names without one.
StreamMap CopyDefinition(const std::string& type, const std::string& component,
                         const StreamMap* source);

} // namespace editor
